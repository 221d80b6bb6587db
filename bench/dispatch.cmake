# Vector operations through their dispatch slots against what a user would write instead.
sonvelt_bench(dispatch_bench SOURCES dispatch_bench.cpp dispatch_bench_loops.cpp
  dispatch_bench_signal.cpp dispatch_bench_signal_loops.cpp DEPS framework_dispatch)
# The plain loops it compares with are built as a user's would be: -O3, free to vectorise.
set_source_files_properties(dispatch_bench_loops.cpp dispatch_bench_signal_loops.cpp
  PROPERTIES COMPILE_OPTIONS -O3)
