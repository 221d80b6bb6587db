# The whole program recording from a paced ALSA PCM (a private PulseAudio daemon behind
# a private ALSA configuration) against arecord on the same PCM, per thread.
sonvelt_bench(program_bench SOURCES program_bench.cpp DEPS app)
