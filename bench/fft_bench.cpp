// Our double-precision transforms against FFTW, N = 2^4 ... 2^20, one thread: the
// generic member and the packed-double SSE2 and SSE3 members side by side; and the
// single-precision real transform's generic, SSE, SSE2 and SSE3 members against FFTW's
// float real transform. Plans and
// specifications are built outside the timed loop (FFTW with FFTW_MEASURE, as a user
// tuning for speed would). After the run the program prints each member's time over
// FFTW's per N (the fastest of the repetitions when run with --benchmark_repetitions;
// --benchmark_enable_random_interleaving spreads a loaded machine's noise over all rows).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <fftw3.h>

#include "kernels/fft-audio/FFTReal32.h"
#include "kernels/fft-real/FFTEngine64.h"
#include "kernels/fft-real/FFTReal64.h"

using namespace kernels::fft_real;

namespace {

constexpr int kMinOrder = 4;
constexpr int kMaxOrder = 20;

void fill(double *x, std::int64_t n) {
  for (std::int64_t i = 0; i < n; ++i)
    x[i] = std::sin(0.37 * double(i)) + 0.01 * double(i % 7);
}

void setFlops(benchmark::State &state, double perCall) {
  state.counters["Gflop/s"] =
      benchmark::Counter(perCall * 1e-9 * double(state.iterations()), benchmark::Counter::kIsRate);
}

struct Member {
  const char *name;
  const TFFTVariant *v;
};
const Member kMembers[] = {
    {"generic", &kFFTGenericVariant}, {"SSE2", &kFFTSse2Variant}, {"SSE3", &kFFTSse3Variant}};

template <int M> void complexOurs(benchmark::State &state) {
  const TFFTVariant &v = *kMembers[M].v;
  const int order = int(state.range(0));
  const std::int64_t N = std::int64_t{1} << order;
  FFTSpec_64 *spec = nullptr;
  if (specInitAlloc(v, &spec, order, kFFTNoDivByAny, 0, kFFTSpecIdComplex) != 0) {
    state.SkipWithError("set-up failed");
    return;
  }
  int size = 0;
  specGetBufSize(spec, &size, kFFTSpecIdComplex);
  std::vector<std::uint8_t> buffer(size);
  std::vector<Ipp64fc> x(N), y(N);
  fill(&x[0].re, 2 * N);
  for (auto _ : state) {
    transformComplex(v, false, x.data(), y.data(), spec, buffer.data());
    benchmark::DoNotOptimize(y.data());
  }
  setFlops(state, 5.0 * double(N) * order);
  specFree(spec, kFFTSpecIdComplex);
}

void complexFftw(benchmark::State &state) {
  const int order = int(state.range(0));
  const int N = 1 << order;
  fftw_complex *in = fftw_alloc_complex(N);
  fftw_complex *out = fftw_alloc_complex(N);
  fftw_plan plan = fftw_plan_dft_1d(N, in, out, FFTW_FORWARD, FFTW_MEASURE);
  fill(&in[0][0], 2 * std::int64_t{N});
  for (auto _ : state) {
    fftw_execute(plan);
    benchmark::DoNotOptimize(out);
  }
  setFlops(state, 5.0 * double(N) * order);
  fftw_destroy_plan(plan);
  fftw_free(in);
  fftw_free(out);
}

template <int M> void realOurs(benchmark::State &state) {
  const TFFTVariant &v = *kMembers[M].v;
  const int order = int(state.range(0));
  const std::int64_t N = std::int64_t{1} << order;
  FFTSpec_64 *spec = nullptr;
  if (specInitAlloc(v, &spec, order, kFFTNoDivByAny, 0, kFFTSpecIdReal) != 0) {
    state.SkipWithError("set-up failed");
    return;
  }
  int size = 0;
  specGetBufSize(spec, &size, kFFTSpecIdReal);
  std::vector<std::uint8_t> buffer(size);
  std::vector<double> x(N), y(N);
  fill(x.data(), N);
  for (auto _ : state) {
    transformRealFwd(v, false, x.data(), y.data(), spec, buffer.data());
    benchmark::DoNotOptimize(y.data());
  }
  setFlops(state, 2.5 * double(N) * order);
  specFree(spec, kFFTSpecIdReal);
}

void realFftw(benchmark::State &state) {
  const int order = int(state.range(0));
  const int N = 1 << order;
  double *in = fftw_alloc_real(N);
  fftw_complex *out = fftw_alloc_complex(N / 2 + 1);
  fftw_plan plan = fftw_plan_dft_r2c_1d(N, in, out, FFTW_MEASURE);
  fill(in, N);
  for (auto _ : state) {
    fftw_execute(plan);
    benchmark::DoNotOptimize(out);
  }
  setFlops(state, 2.5 * double(N) * order);
  fftw_destroy_plan(plan);
  fftw_free(in);
  fftw_free(out);
}

struct Member32 {
  const char *name;
  IppOpStatus (*init)(kernels::fft_audio::FFTSpec_R_32f **, int, int, int);
  IppOpStatus (*fwd)(const float *, float *, const kernels::fft_audio::FFTSpec_R_32f *,
                     std::uint8_t *);
};
const Member32 kMembers32[] = {{"generic", kernels::fft_audio::ippsFFTInitAlloc_R_32f,
                                kernels::fft_audio::ippsFFTFwd_RToPerm_32f},
                               {"SSE", kernels::fft_audio::ippsFFTInitAlloc_R_32f_Sse,
                                kernels::fft_audio::ippsFFTFwd_RToPerm_32f_Sse},
                               {"SSE2", kernels::fft_audio::ippsFFTInitAlloc_R_32f_Sse2,
                                kernels::fft_audio::ippsFFTFwd_RToPerm_32f_Sse2},
                               {"SSE3", kernels::fft_audio::ippsFFTInitAlloc_R_32f_Sse3,
                                kernels::fft_audio::ippsFFTFwd_RToPerm_32f_Sse3}};

template <int M> void real32Ours(benchmark::State &state) {
  const Member32 &m = kMembers32[M];
  const int order = int(state.range(0));
  const std::int64_t N = std::int64_t{1} << order;
  kernels::fft_audio::FFTSpec_R_32f *spec = nullptr;
  if (m.init(&spec, order, 8, 0) != 0) {
    state.SkipWithError("set-up failed");
    return;
  }
  int size = 0;
  kernels::fft_audio::ippsFFTGetBufSize_R_32f(spec, &size);
  std::vector<std::uint8_t> buffer(std::max(size, 1));
  std::vector<float> x(N), y(N);
  for (std::int64_t i = 0; i < N; ++i)
    x[i] = float(std::sin(0.37 * double(i)) + 0.01 * double(i % 7));
  for (auto _ : state) {
    m.fwd(x.data(), y.data(), spec, buffer.data());
    benchmark::DoNotOptimize(y.data());
  }
  setFlops(state, 2.5 * double(N) * order);
  kernels::fft_audio::ippsFFTFree_R_32f(spec);
}

void real32Fftw(benchmark::State &state) {
  const int order = int(state.range(0));
  const int N = 1 << order;
  float *in = fftwf_alloc_real(N);
  fftwf_complex *out = fftwf_alloc_complex(N / 2 + 1);
  fftwf_plan plan = fftwf_plan_dft_r2c_1d(N, in, out, FFTW_MEASURE);
  for (int i = 0; i < N; ++i)
    in[i] = float(std::sin(0.37 * double(i)) + 0.01 * double(i % 7));
  for (auto _ : state) {
    fftwf_execute(plan);
    benchmark::DoNotOptimize(out);
  }
  setFlops(state, 2.5 * double(N) * order);
  fftwf_destroy_plan(plan);
  fftwf_free(in);
  fftwf_free(out);
}

BENCHMARK(complexOurs<0>)->Name("complex/generic")->DenseRange(kMinOrder, kMaxOrder);
BENCHMARK(complexOurs<1>)->Name("complex/SSE2")->DenseRange(kMinOrder, kMaxOrder);
BENCHMARK(complexOurs<2>)->Name("complex/SSE3")->DenseRange(kMinOrder, kMaxOrder);
BENCHMARK(complexFftw)->Name("complex/FFTW")->DenseRange(kMinOrder, kMaxOrder);
BENCHMARK(realOurs<0>)->Name("real/generic")->DenseRange(kMinOrder, kMaxOrder);
BENCHMARK(realOurs<1>)->Name("real/SSE2")->DenseRange(kMinOrder, kMaxOrder);
BENCHMARK(realOurs<2>)->Name("real/SSE3")->DenseRange(kMinOrder, kMaxOrder);
BENCHMARK(realFftw)->Name("real/FFTW")->DenseRange(kMinOrder, kMaxOrder);
BENCHMARK(real32Ours<0>)->Name("real32/generic")->DenseRange(kMinOrder, kMaxOrder);
BENCHMARK(real32Ours<1>)->Name("real32/SSE")->DenseRange(kMinOrder, kMaxOrder);
BENCHMARK(real32Ours<2>)->Name("real32/SSE2")->DenseRange(kMinOrder, kMaxOrder);
BENCHMARK(real32Ours<3>)->Name("real32/SSE3")->DenseRange(kMinOrder, kMaxOrder);
BENCHMARK(real32Fftw)->Name("real32/FFTW")->DenseRange(kMinOrder, kMaxOrder);

// Keeps each run's time per call so that the ratios can be printed after the table.
class TRatioReporter : public benchmark::ConsoleReporter {
public:
  void ReportRuns(const std::vector<Run> &runs) override {
    // The fastest repetition: on a shared machine the slower ones measure the neighbours.
    for (const Run &r : runs)
      if (r.run_type == Run::RT_Iteration && !r.error_occurred) {
        const double t = r.GetAdjustedRealTime();
        auto [it, fresh] = times_.try_emplace(r.benchmark_name(), t);
        if (!fresh)
          it->second = std::min(it->second, t);
      }
    ConsoleReporter::ReportRuns(runs);
  }

  void printRatios() const {
    std::printf("\nTime per forward transform, member / FFTW (below 1: we are faster)\n");
    std::printf("%8s", "N");
    for (const char *kind : {"complex", "real"})
      for (const Member &m : kMembers)
        std::printf(" %9.9s/%-7s", kind, m.name);
    std::printf("\n");
    for (int order = kMinOrder; order <= kMaxOrder; ++order) {
      const std::string o = "/" + std::to_string(order);
      std::printf("%8lld", 1LL << order);
      for (const char *kind : {"complex", "real"})
        for (const Member &m : kMembers) {
          const std::string k = kind;
          std::printf(" %17s", ratio(k + "/" + m.name + o, k + "/FFTW" + o).c_str());
        }
      std::printf("\n");
    }
    std::printf("\nSingle precision, real forward transform, member / FFTW float\n");
    std::printf("%8s", "N");
    for (const Member32 &m : kMembers32)
      std::printf(" %17s", (std::string("real32/") + m.name).c_str());
    std::printf("\n");
    for (int order = kMinOrder; order <= kMaxOrder; ++order) {
      const std::string o = "/" + std::to_string(order);
      std::printf("%8lld", 1LL << order);
      for (const Member32 &m : kMembers32)
        std::printf(" %17s", ratio(std::string("real32/") + m.name + o, "real32/FFTW" + o).c_str());
      std::printf("\n");
    }
  }

private:
  std::string ratio(const std::string &ours, const std::string &theirs) const {
    const auto a = times_.find(ours), b = times_.find(theirs);
    if (a == times_.end() || b == times_.end() || b->second <= 0)
      return "-";
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", a->second / b->second);
    return text;
  }

  std::map<std::string, double> times_;
};

} // namespace

int main(int argc, char **argv) {
  benchmark::Initialize(&argc, argv);
  TRatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.printRatios();
  benchmark::Shutdown();
  return 0;
}
