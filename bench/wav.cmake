# The WAV writer (header rewritten after every buffer) against a plain fwrite loop.
sonvelt_bench(wav_bench SOURCES wav_bench.cpp DEPS platform_avifile)
