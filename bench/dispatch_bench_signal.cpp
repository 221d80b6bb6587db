// The signal unit's rows of dispatch_bench: reductions, square root, exponential,
// logarithm and convolution through their slots at codes 0, 5 and 6, against plain -O3
// loops (dispatch_bench_signal_loops.cpp). The ratio table of dispatch_bench pairs each
// "<op>_ours/<args>" with its "<op>_loop/<args>"; the last argument is the code.
#include <cstdint>
#include <random>
#include <vector>

#include <benchmark/benchmark.h>

#include "bench/dispatch_bench_signal_loops.h"
#include "framework/dispatch/Dispatch.h"
#include "framework/dispatch/Ippglobalcpu.h"
#include "framework/dispatch/Slbcbbasicdispatcher.h"

namespace {

std::vector<double> randomDoubles(int n, double lo, double hi, unsigned seed) {
  std::mt19937 gen(seed);
  std::uniform_real_distribution<double> dist(lo, hi);
  std::vector<double> v(static_cast<std::size_t>(n));
  for (double &x : v)
    x = dist(gen);
  return v;
}

// Sets the processor code for one run and puts the slots back afterwards.
class TSignalCodeScope {
public:
  explicit TSignalCodeScope(int code) {
    dispatch::ResetSlotsForTesting();
    Ippglobalcpu::SetGlobalCpu(static_cast<IppCpuType>(code));
  }
  ~TSignalCodeScope() {
    dispatch::ResetSlotsForTesting();
    Ippglobalcpu::UnInitializeDispatch();
  }
};

// body(a, b, dst, n) over n elements at the code in range(1); a in [lo, hi).
template <class Body> void signalAtCode(benchmark::State &state, double lo, double hi, Body body) {
  const TSignalCodeScope code(static_cast<int>(state.range(1)));
  const int n = static_cast<int>(state.range(0));
  const auto a = randomDoubles(n, lo, hi, 1);
  const auto b = randomDoubles(n, lo, hi, 2);
  std::vector<double> d(static_cast<std::size_t>(n));
  for (auto _ : state) {
    body(a.data(), b.data(), d.data(), n);
    benchmark::DoNotOptimize(d.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * n * 8);
}

void DotProd_ours(benchmark::State &s) {
  signalAtCode(s, -1, 1, [](const double *a, const double *b, double *d, int n) {
    Slbcbbasicdispatcher::ippsDotProd_64f(a, b, n, d);
  });
}
void DotProd_loop(benchmark::State &s) {
  signalAtCode(s, -1, 1, [](const double *a, const double *b, double *d, int n) {
    d[0] = bench_signal_loops::dotProd(a, b, n);
  });
}
void NormL2_ours(benchmark::State &s) {
  signalAtCode(s, -1, 1, [](const double *a, const double *b, double *d, int n) {
    Slbcbbasicdispatcher::ippsNormDiff_L2_64f(a, b, n, d);
  });
}
void NormL2_loop(benchmark::State &s) {
  signalAtCode(s, -1, 1, [](const double *a, const double *b, double *d, int n) {
    d[0] = bench_signal_loops::normDiffL2(a, b, n);
  });
}
void StdDev_ours(benchmark::State &s) {
  signalAtCode(s, -1, 1, [](const double *a, const double *, double *d, int n) {
    Slbcbbasicdispatcher::ippsStdDev_64f(a, n, d);
  });
}
void StdDev_loop(benchmark::State &s) {
  signalAtCode(s, -1, 1, [](const double *a, const double *, double *d, int n) {
    d[0] = bench_signal_loops::stdDev(a, n);
  });
}
void Sqrt_ours(benchmark::State &s) {
  signalAtCode(s, 0, 100, [](const double *a, const double *, double *d, int n) {
    Slbcbbasicdispatcher::ippsSqrt_64f(a, d, n);
  });
}
void Sqrt_loop(benchmark::State &s) {
  signalAtCode(s, 0, 100, [](const double *a, const double *, double *d, int n) {
    bench_signal_loops::sqrt64f(a, d, n);
  });
}
void Exp_ours(benchmark::State &s) {
  signalAtCode(s, -20, 20, [](const double *a, const double *, double *d, int n) {
    Slbcbbasicdispatcher::ippsExp_64f(a, d, n);
  });
}
void Exp_loop(benchmark::State &s) {
  signalAtCode(s, -20, 20, [](const double *a, const double *, double *d, int n) {
    bench_signal_loops::exp64f(a, d, n);
  });
}
void Ln_ours(benchmark::State &s) {
  signalAtCode(s, 1e-3, 1e3, [](const double *a, const double *, double *d, int n) {
    Slbcbbasicdispatcher::ippsLn_64f(a, d, n);
  });
}
void Ln_loop(benchmark::State &s) {
  signalAtCode(s, 1e-3, 1e3, [](const double *a, const double *, double *d, int n) {
    bench_signal_loops::ln64f(a, d, n);
  });
}

// Convolution of la and lb samples (range 0 and 1) at the code in range(2).
template <class Body> void convAtCode(benchmark::State &state, Body body) {
  const TSignalCodeScope code(static_cast<int>(state.range(2)));
  const int la = static_cast<int>(state.range(0));
  const int lb = static_cast<int>(state.range(1));
  const auto a = randomDoubles(la, -1, 1, 3);
  const auto b = randomDoubles(lb, -1, 1, 4);
  std::vector<double> d(static_cast<std::size_t>(la + lb - 1));
  for (auto _ : state) {
    body(a.data(), la, b.data(), lb, d.data());
    benchmark::DoNotOptimize(d.data());
    benchmark::ClobberMemory();
  }
  state.counters["MACs/s"] = benchmark::Counter(static_cast<double>(la) * lb,
                                                benchmark::Counter::kIsIterationInvariantRate);
}

void Conv_ours(benchmark::State &s) {
  convAtCode(s, [](const double *a, int la, const double *b, int lb, double *d) {
    Slbcbbasicdispatcher::ippsConv_64f(a, la, b, lb, d);
  });
}
void Conv_loop(benchmark::State &s) {
  convAtCode(s, [](const double *a, int la, const double *b, int lb, double *d) {
    bench_signal_loops::conv(a, la, b, lb, d);
  });
}

void signalCodeSizes(benchmark::internal::Benchmark *b) {
  for (int code : {0, 5, 6})
    for (int n : {64, 1024, 65536, 1 << 20})
      b->Args({n, code});
}

// Direct sizes (short kernels; 499 results, direct at codes 5 and 6 but not 0) and
// transform sizes (one transform; overlap-save blocks).
void convSizes(benchmark::internal::Benchmark *b) {
  for (int code : {0, 5, 6})
    for (auto [la, lb] : {std::pair{4096, 16}, std::pair{400, 100}, std::pair{1000, 60},
                          std::pair{2048, 1024}, std::pair{65536, 512}})
      b->Args({la, lb, code});
}

BENCHMARK(DotProd_ours)->Apply(signalCodeSizes);
BENCHMARK(DotProd_loop)->Apply(signalCodeSizes);
BENCHMARK(NormL2_ours)->Apply(signalCodeSizes);
BENCHMARK(NormL2_loop)->Apply(signalCodeSizes);
BENCHMARK(StdDev_ours)->Apply(signalCodeSizes);
BENCHMARK(StdDev_loop)->Apply(signalCodeSizes);
BENCHMARK(Sqrt_ours)->Apply(signalCodeSizes);
BENCHMARK(Sqrt_loop)->Apply(signalCodeSizes);
BENCHMARK(Exp_ours)->Apply(signalCodeSizes);
BENCHMARK(Exp_loop)->Apply(signalCodeSizes);
BENCHMARK(Ln_ours)->Apply(signalCodeSizes);
BENCHMARK(Ln_loop)->Apply(signalCodeSizes);
BENCHMARK(Conv_ours)->Apply(convSizes);
BENCHMARK(Conv_loop)->Apply(convSizes);

} // namespace
