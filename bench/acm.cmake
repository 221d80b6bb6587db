# The codec layer's IMA ADPCM streams against libsndfile coding the same audio in memory.
sonvelt_bench(acm_bench SOURCES acm_bench.cpp DEPS platform_acm sndfile)
