# Vector operations through their dispatch slots against what a user would write instead.
sonvelt_bench(dispatch_bench SOURCES dispatch_bench.cpp DEPS framework_dispatch)
