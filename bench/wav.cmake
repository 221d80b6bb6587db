# The WAV writer (header rewritten after every buffer) against a plain fwrite loop, and a
# simulated one-hour take from a virtual microphone through capture into the wave logger,
# checked with libsndfile.
sonvelt_bench(wav_bench SOURCES wav_bench.cpp
              DEPS platform_avifile audio platform_media framework_data sndfile)
