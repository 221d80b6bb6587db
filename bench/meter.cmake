# The level meters and the audio-to-real converter, fed through their pins, against plain loops.
sonvelt_bench(meter_bench SOURCES meter_bench.cpp DEPS audio framework_data)
