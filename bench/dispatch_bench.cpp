// The operations the buffers and meters call most, through their dispatch slots, against
// what a user would write instead (memcpy, memset, plain loops), in one run, and the
// cost of the slot itself against calling the generic variant directly. After the
// run a table gives, per operation and size, our time over the alternative's.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include <benchmark/benchmark.h>

#include "bench/dispatch_bench_loops.h"
#include "framework/dispatch/Albasicdispatcher.h"
#include "framework/dispatch/Ippglobalcpu.h"
#include "framework/dispatch/Slbasicdispatcher.h"
#include "framework/dispatch/Vizazodizaro.h"

namespace {

const std::vector<int> kSizes{1024, 4800, 65536, 1 << 20};

template <class T> std::vector<T> randomVector(int n, double lo, double hi) {
  std::mt19937 gen(12345);
  std::uniform_real_distribution<double> dist(lo, hi);
  std::vector<T> v(static_cast<std::size_t>(n));
  for (T &x : v)
    x = static_cast<T>(dist(gen));
  return v;
}

void setBytes(benchmark::State &state, std::size_t elementBytes) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0) *
                          static_cast<std::int64_t>(elementBytes));
}

// --- copy ----------------------------------------------------------------------------

void Copy_ours(benchmark::State &state) {
  const int n = static_cast<int>(state.range(0));
  const auto src = randomVector<double>(n, -1, 1);
  std::vector<double> dst(src.size());
  for (auto _ : state) {
    Slbasicdispatcher::ippsCopy_64f(src.data(), dst.data(), n);
    benchmark::DoNotOptimize(dst.data());
    benchmark::ClobberMemory();
  }
  setBytes(state, sizeof(double));
}

void Copy_memcpy(benchmark::State &state) {
  const int n = static_cast<int>(state.range(0));
  const auto src = randomVector<double>(n, -1, 1);
  std::vector<double> dst(src.size());
  for (auto _ : state) {
    std::memcpy(dst.data(), src.data(), src.size() * sizeof(double));
    benchmark::DoNotOptimize(dst.data());
    benchmark::ClobberMemory();
  }
  setBytes(state, sizeof(double));
}

// --- set and zero ----------------------------------------------------------------------

void Set_ours(benchmark::State &state) {
  const int n = static_cast<int>(state.range(0));
  std::vector<double> dst(static_cast<std::size_t>(n));
  for (auto _ : state) {
    Slbasicdispatcher::ippsSet_64f(0.25, dst.data(), n);
    benchmark::DoNotOptimize(dst.data());
    benchmark::ClobberMemory();
  }
  setBytes(state, sizeof(double));
}

void Set_loop(benchmark::State &state) {
  const int n = static_cast<int>(state.range(0));
  std::vector<double> dst(static_cast<std::size_t>(n));
  for (auto _ : state) {
    double *d = dst.data();
    for (int i = 0; i < n; ++i)
      d[i] = 0.25;
    benchmark::DoNotOptimize(dst.data());
    benchmark::ClobberMemory();
  }
  setBytes(state, sizeof(double));
}

void Zero_ours(benchmark::State &state) {
  const int n = static_cast<int>(state.range(0));
  std::vector<double> dst(static_cast<std::size_t>(n), 1.0);
  for (auto _ : state) {
    Slbasicdispatcher::ippsZero_64f(dst.data(), n);
    benchmark::DoNotOptimize(dst.data());
    benchmark::ClobberMemory();
  }
  setBytes(state, sizeof(double));
}

void Zero_memset(benchmark::State &state) {
  const int n = static_cast<int>(state.range(0));
  std::vector<double> dst(static_cast<std::size_t>(n), 1.0);
  for (auto _ : state) {
    std::memset(dst.data(), 0, dst.size() * sizeof(double));
    benchmark::DoNotOptimize(dst.data());
    benchmark::ClobberMemory();
  }
  setBytes(state, sizeof(double));
}

// --- convert -------------------------------------------------------------------------

void Convert_ours(benchmark::State &state) {
  const int n = static_cast<int>(state.range(0));
  const auto src = randomVector<float>(n, -1, 1);
  std::vector<double> dst(src.size());
  for (auto _ : state) {
    Slbasicdispatcher::ippsConvert_32f64f(src.data(), dst.data(), n);
    benchmark::DoNotOptimize(dst.data());
    benchmark::ClobberMemory();
  }
  setBytes(state, sizeof(float));
}

void Convert_loop(benchmark::State &state) {
  const int n = static_cast<int>(state.range(0));
  const auto src = randomVector<float>(n, -1, 1);
  std::vector<double> dst(src.size());
  for (auto _ : state) {
    const float *s = src.data();
    double *d = dst.data();
    for (int i = 0; i < n; ++i)
      d[i] = s[i];
    benchmark::DoNotOptimize(dst.data());
    benchmark::ClobberMemory();
  }
  setBytes(state, sizeof(float));
}

// --- sum (extended-precision accumulator against a float and a double loop) -------------

void Sum_ours(benchmark::State &state) {
  const int n = static_cast<int>(state.range(0));
  const auto src = randomVector<float>(n, -1, 1);
  float sum = 0;
  for (auto _ : state) {
    Vizazodizaro::ippsSum_32f(src.data(), n, &sum, 0);
    benchmark::DoNotOptimize(sum);
  }
  setBytes(state, sizeof(float));
}

void Sum_loop(benchmark::State &state) {
  const int n = static_cast<int>(state.range(0));
  const auto src = randomVector<float>(n, -1, 1);
  for (auto _ : state) {
    double sum = 0;
    for (float x : src)
      sum += x;
    benchmark::DoNotOptimize(sum);
  }
  setBytes(state, sizeof(float));
}

// --- IIR (the meters' second-order DC blocker) against a textbook DF2T loop -------------
// Each pass filters a fresh copy of the same input: the meters' filter passes the
// highest frequencies with a gain a little over one, so filtering the same buffer over
// and over grows it into infinities and NaNs after some ten thousand passes, which the
// extended-precision variant handles at a hundred times the normal cost; the figure
// would tell of that, not of the filter.

// b0 b1 b2 a0 a1 a2
const float kTaps[6] = {0.99869f, -1.99738f, 0.99869f, 1.0f, -1.99738f, 0.99738f};

void IIR_ours(benchmark::State &state) {
  const int n = static_cast<int>(state.range(0));
  const auto input = randomVector<float>(n, -1, 1);
  std::vector<float> data(input);
  IIRState_32f *iir = nullptr;
  if (Vizazodizaro::ippsIIRInitAlloc_32f(&iir, kTaps, 2, nullptr) != ippStsNoErr) {
    state.SkipWithError("IIR set-up failed");
    return;
  }
  for (auto _ : state) {
    std::copy(input.begin(), input.end(), data.begin());
    Vizazodizaro::ippsIIR_32f_I(data.data(), n, iir);
    benchmark::DoNotOptimize(data.data());
    benchmark::ClobberMemory();
  }
  Vizazodizaro::ippsIIRFree_32f(iir);
  setBytes(state, sizeof(float));
}

void IIR_loop(benchmark::State &state) {
  const int n = static_cast<int>(state.range(0));
  const auto input = randomVector<float>(n, -1, 1);
  std::vector<float> data(input);
  const float b0 = kTaps[0], b1 = kTaps[1], b2 = kTaps[2], a1 = kTaps[4], a2 = kTaps[5];
  float d0 = 0, d1 = 0;
  for (auto _ : state) {
    std::copy(input.begin(), input.end(), data.begin());
    for (float &x : data) {
      const float y = b0 * x + d0;
      d0 = b1 * x - a1 * y + d1;
      d1 = b2 * x - a2 * y;
      x = y;
    }
    benchmark::DoNotOptimize(data.data());
    benchmark::ClobberMemory();
  }
  setBytes(state, sizeof(float));
}

// --- the slot itself: one indirect call on top of the variant --------------------------

void Slot_ours(benchmark::State &state) {
  const int n = static_cast<int>(state.range(0));
  const double src[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  double dst[8];
  for (auto _ : state) {
    Slbasicdispatcher::ippsCopy_64f(src, dst, n);
    benchmark::DoNotOptimize(dst);
    benchmark::ClobberMemory();
  }
}

void Slot_direct(benchmark::State &state) {
  const int n = static_cast<int>(state.range(0));
  const double src[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  double dst[8];
  for (auto _ : state) {
    Slbasicdispatcher::generic::ippsCopy_64f(src, dst, n);
    benchmark::DoNotOptimize(dst);
    benchmark::ClobberMemory();
  }
}

// --- processor codes: the same slots with a code set (second argument) ---------------

// Sets the processor code for one benchmark run and puts the slots back afterwards.
class TCodeScope {
public:
  explicit TCodeScope(int code) {
    dispatch::ResetSlotsForTesting();
    Ippglobalcpu::SetGlobalCpu(static_cast<IppCpuType>(code));
  }
  ~TCodeScope() {
    dispatch::ResetSlotsForTesting();
    Ippglobalcpu::UnInitializeDispatch();
  }
};

template <class Body> void atCode(benchmark::State &state, std::size_t elementBytes, Body body) {
  const TCodeScope code(static_cast<int>(state.range(1)));
  const int n = static_cast<int>(state.range(0));
  const auto src = randomVector<double>(n, -1, 1);
  std::vector<double> dst(src.size());
  for (auto _ : state) {
    body(src.data(), dst.data(), n);
    benchmark::DoNotOptimize(dst.data());
    benchmark::ClobberMemory();
  }
  setBytes(state, elementBytes);
}

void CopyAt_ours(benchmark::State &s) {
  atCode(s, 8, [](const double *a, double *b, int n) { Slbasicdispatcher::ippsCopy_64f(a, b, n); });
}
void CopyAt_memcpy(benchmark::State &s) {
  atCode(s, 8, [](const double *a, double *b, int n) {
    std::memcpy(b, a, sizeof(double) * static_cast<std::size_t>(n));
  });
}
void MoveAt_ours(benchmark::State &s) {
  atCode(s, 8, [](const double *a, double *b, int n) { Slbasicdispatcher::ippsMove_64f(a, b, n); });
}
void MoveAt_memmove(benchmark::State &s) {
  atCode(s, 8, [](const double *a, double *b, int n) {
    std::memmove(b, a, sizeof(double) * static_cast<std::size_t>(n));
  });
}
void SetAt_ours(benchmark::State &s) {
  atCode(s, 8,
         [](const double *, double *b, int n) { Slbasicdispatcher::ippsSet_64f(0.25, b, n); });
}
void SetAt_fill(benchmark::State &s) {
  atCode(s, 8, [](const double *, double *b, int n) { std::fill_n(b, n, 0.25); });
}
void ZeroAt_ours(benchmark::State &s) {
  atCode(s, 8, [](const double *, double *b, int n) { Slbasicdispatcher::ippsZero_64f(b, n); });
}
void ZeroAt_memset(benchmark::State &s) {
  atCode(s, 8, [](const double *, double *b, int n) {
    std::memset(b, 0, sizeof(double) * static_cast<std::size_t>(n));
  });
}
void MulCAt_ours(benchmark::State &s) {
  atCode(s, 8,
         [](const double *a, double *b, int n) { Slbasicdispatcher::ippsMulC_64f(a, 1.5, b, n); });
}
void MulCAt_loop(benchmark::State &s) {
  atCode(s, 8, [](const double *a, double *b, int n) {
    for (int i = 0; i < n; ++i)
      b[i] = a[i] * 1.5;
  });
}

// Sizes in elements (8 KiB to 16 MiB of doubles) at codes 0, 5, 6 and 16.
void codeSizes(benchmark::internal::Benchmark *b) {
  for (int code : {0, 5, 6, 16})
    for (int n : {1024, 8192, 65536, 1 << 20, 1 << 21})
      b->Args({n, code});
}

void sizes(benchmark::internal::Benchmark *b) {
  for (int n : kSizes)
    b->Arg(n);
}

BENCHMARK(Copy_ours)->Apply(sizes);
BENCHMARK(Copy_memcpy)->Apply(sizes);
BENCHMARK(Set_ours)->Apply(sizes);
BENCHMARK(Set_loop)->Apply(sizes);
BENCHMARK(Zero_ours)->Apply(sizes);
BENCHMARK(Zero_memset)->Apply(sizes);
BENCHMARK(Convert_ours)->Apply(sizes);
BENCHMARK(Convert_loop)->Apply(sizes);
BENCHMARK(Sum_ours)->Apply(sizes);
BENCHMARK(Sum_loop)->Apply(sizes);
BENCHMARK(IIR_ours)->Apply(sizes);
BENCHMARK(IIR_loop)->Apply(sizes);
BENCHMARK(Slot_ours)->Arg(8);
BENCHMARK(Slot_direct)->Arg(8);
BENCHMARK(CopyAt_ours)->Apply(codeSizes);
BENCHMARK(CopyAt_memcpy)->Apply(codeSizes);
BENCHMARK(MoveAt_ours)->Apply(codeSizes);
BENCHMARK(MoveAt_memmove)->Apply(codeSizes);
BENCHMARK(SetAt_ours)->Apply(codeSizes);
BENCHMARK(SetAt_fill)->Apply(codeSizes);
BENCHMARK(ZeroAt_ours)->Apply(codeSizes);
BENCHMARK(ZeroAt_memset)->Apply(codeSizes);
BENCHMARK(MulCAt_ours)->Apply(codeSizes);
BENCHMARK(MulCAt_loop)->Apply(codeSizes);

// --- audio sample and filter kernels at codes 0, 5, 6, 16 against plain -O3 loops -------

// Runs body(n) over 16-bit samples (src, dst) and floats for one code; the loops ignore
// the code but run under the same arguments so the ratio table pairs them.
struct TAudioData {
  std::vector<short> src, dst;
  std::vector<float> f;
  std::vector<unsigned char> bytes;
  explicit TAudioData(int n)
      : src(randomVector<short>(n, -20000, 20000)), dst(randomVector<short>(n, -20000, 20000)),
        f(randomVector<float>(n, -1, 1)), bytes(static_cast<std::size_t>(n)) {}
};

template <class Body>
void audioAtCode(benchmark::State &state, std::size_t elementBytes, Body body) {
  const TCodeScope code(static_cast<int>(state.range(1)));
  const int n = static_cast<int>(state.range(0));
  TAudioData data(n);
  for (auto _ : state) {
    body(data, n);
    benchmark::DoNotOptimize(data.dst.data());
    benchmark::DoNotOptimize(data.f.data());
    benchmark::ClobberMemory();
  }
  setBytes(state, elementBytes);
}

const tagSIZE rowOf(int n) { return {n, 1}; }

#define AUDIO_REGION_PAIR(Name, op, loop, sf)                                                      \
  void Name##_ours(benchmark::State &s) {                                                          \
    audioAtCode(s, 2, [](TAudioData &d, int n) {                                                   \
      Albasicdispatcher::op(d.src.data(), 2 * n, d.dst.data(), 2 * n, rowOf(n), sf);               \
    });                                                                                            \
  }                                                                                                \
  void Name##_loop(benchmark::State &s) {                                                          \
    audioAtCode(                                                                                   \
        s, 2, [](TAudioData &d, int n) { bench_loops::loop(d.src.data(), d.dst.data(), n, sf); }); \
  }
AUDIO_REGION_PAIR(Add16sSf0, ippiAdd_16s_C1IRSfs, add16s, 0)
AUDIO_REGION_PAIR(Add16sSf1, ippiAdd_16s_C1IRSfs, add16s, 1)
AUDIO_REGION_PAIR(Sub16sSf0, ippiSub_16s_C1IRSfs, sub16s, 0)
AUDIO_REGION_PAIR(Sub16sSf1, ippiSub_16s_C1IRSfs, sub16s, 1)
AUDIO_REGION_PAIR(Mul16sSf0, ippiMul_16s_C1IRSfs, mul16s, 0)
AUDIO_REGION_PAIR(Mul16sSf1, ippiMul_16s_C1IRSfs, mul16s, 1)
#undef AUDIO_REGION_PAIR

void AddC16s_ours(benchmark::State &s) {
  audioAtCode(s, 2, [](TAudioData &d, int n) {
    Albasicdispatcher::ippsAddC_16s_ISfs(3, d.dst.data(), n, 0);
  });
}
void AddC16s_loop(benchmark::State &s) {
  audioAtCode(s, 2, [](TAudioData &d, int n) { bench_loops::addC16s(3, d.dst.data(), n); });
}
void MulC16s_ours(benchmark::State &s) {
  audioAtCode(s, 2, [](TAudioData &d, int n) {
    Albasicdispatcher::ippsMulC_16s_ISfs(3, d.dst.data(), n, 0);
  });
}
void MulC16s_loop(benchmark::State &s) {
  audioAtCode(s, 2, [](TAudioData &d, int n) { bench_loops::mulC16s(3, d.dst.data(), n); });
}
void Set16s_ours(benchmark::State &s) {
  audioAtCode(s, 2,
              [](TAudioData &d, int n) { Albasicdispatcher::ippsSet_16s(7, d.dst.data(), n); });
}
void Set16s_loop(benchmark::State &s) {
  audioAtCode(s, 2, [](TAudioData &d, int n) { bench_loops::set16s(7, d.dst.data(), n); });
}
void SetRegion16s_ours(benchmark::State &s) {
  audioAtCode(s, 2, [](TAudioData &d, int n) {
    Albasicdispatcher::ippiSet_16s_C1R(7, d.dst.data(), 2 * n, rowOf(n));
  });
}
void SetRegion16s_loop(benchmark::State &s) {
  audioAtCode(s, 2, [](TAudioData &d, int n) { bench_loops::set16s(7, d.dst.data(), n); });
}
void CopyRegion16s_ours(benchmark::State &s) {
  audioAtCode(s, 2, [](TAudioData &d, int n) {
    Albasicdispatcher::ippiCopy_16s_C1R(d.src.data(), 2 * n, d.dst.data(), 2 * n, rowOf(n));
  });
}
void CopyRegion16s_memcpy(benchmark::State &s) {
  audioAtCode(s, 2,
              [](TAudioData &d, int n) { bench_loops::copy16s(d.src.data(), d.dst.data(), n); });
}
void Convert16s32f_ours(benchmark::State &s) {
  audioAtCode(s, 2, [](TAudioData &d, int n) {
    Vizazodizaro::ippiConvert_16s32f_C1R(d.src.data(), 2 * n, d.f.data(), 4 * n, rowOf(n));
  });
}
void Convert16s32f_loop(benchmark::State &s) {
  audioAtCode(
      s, 2, [](TAudioData &d, int n) { bench_loops::convert16s32f(d.src.data(), d.f.data(), n); });
}
void Scale16s8u_ours(benchmark::State &s) {
  audioAtCode(s, 2, [](TAudioData &d, int n) {
    Albasicdispatcher::ippiScale_16s8u_C1R(d.src.data(), 2 * n, d.bytes.data(), n, rowOf(n), 0);
  });
}
void Scale16s8u_loop(benchmark::State &s) {
  audioAtCode(
      s, 2, [](TAudioData &d, int n) { bench_loops::scale16s8u(d.src.data(), d.bytes.data(), n); });
}
// The VU meter's reading: squares in place, then their sum (data refreshed each pass).
void SqrSum_ours(benchmark::State &s) {
  audioAtCode(s, 4, [](TAudioData &d, int n) {
    float sum = 0;
    std::fill_n(d.f.data(), n, 0.5f);
    Vizazodizaro::ippsSqr_32f_I(d.f.data(), n);
    Vizazodizaro::ippsSum_32f(d.f.data(), n, &sum, 0);
    benchmark::DoNotOptimize(sum);
  });
}
void SqrSum_loop(benchmark::State &s) {
  audioAtCode(s, 4, [](TAudioData &d, int n) {
    std::fill_n(d.f.data(), n, 0.5f);
    benchmark::DoNotOptimize(bench_loops::sqrSum(d.f.data(), n));
  });
}
// The meters' filter at 48000 Hz: B0..B2, A0..A2 = 0, -1, 1, -1, c, 0.
const float kMeterTaps[6] = {0.0f, -1.0f, 1.0f, -1.0f, 0.99738199f, 0.0f};
void IIRMeter_ours(benchmark::State &s) {
  const TCodeScope code(static_cast<int>(s.range(1)));
  const int n = static_cast<int>(s.range(0));
  const auto input = randomVector<float>(n, -1, 1);
  std::vector<float> data(input);
  IIRState_32f *iir = nullptr;
  if (Vizazodizaro::ippsIIRInitAlloc_32f(&iir, kMeterTaps, 2, nullptr) != ippStsNoErr) {
    s.SkipWithError("IIR set-up failed");
    return;
  }
  for (auto _ : s) {
    std::copy(input.begin(), input.end(), data.begin());
    Vizazodizaro::ippsIIR_32f_I(data.data(), n, iir);
    benchmark::DoNotOptimize(data.data());
    benchmark::ClobberMemory();
  }
  Vizazodizaro::ippsIIRFree_32f(iir);
  setBytes(s, sizeof(float));
}
void IIRMeter_loop(benchmark::State &s) {
  const int n = static_cast<int>(s.range(0));
  const auto input = randomVector<float>(n, -1, 1);
  std::vector<float> data(input);
  // Normalised by A0 = -1: b = (0, 1, -1), a1 = -c, a2 = 0.
  const float taps[6] = {0.0f, 1.0f, -1.0f, 1.0f, -0.99738199f, 0.0f};
  float d[2] = {0, 0};
  for (auto _ : s) {
    std::copy(input.begin(), input.end(), data.begin());
    bench_loops::iir2(taps, d, data.data(), n);
    benchmark::DoNotOptimize(data.data());
    benchmark::ClobberMemory();
  }
  setBytes(s, sizeof(float));
}

void audioCodeSizes(benchmark::internal::Benchmark *b) {
  for (int code : {0, 5, 6, 16})
    for (int n : {1024, 4800, 65536})
      b->Args({n, code});
}

BENCHMARK(Add16sSf0_ours)->Apply(audioCodeSizes);
BENCHMARK(Add16sSf0_loop)->Apply(audioCodeSizes);
BENCHMARK(Add16sSf1_ours)->Apply(audioCodeSizes);
BENCHMARK(Add16sSf1_loop)->Apply(audioCodeSizes);
BENCHMARK(Sub16sSf0_ours)->Apply(audioCodeSizes);
BENCHMARK(Sub16sSf0_loop)->Apply(audioCodeSizes);
BENCHMARK(Sub16sSf1_ours)->Apply(audioCodeSizes);
BENCHMARK(Sub16sSf1_loop)->Apply(audioCodeSizes);
BENCHMARK(Mul16sSf0_ours)->Apply(audioCodeSizes);
BENCHMARK(Mul16sSf0_loop)->Apply(audioCodeSizes);
BENCHMARK(Mul16sSf1_ours)->Apply(audioCodeSizes);
BENCHMARK(Mul16sSf1_loop)->Apply(audioCodeSizes);
BENCHMARK(AddC16s_ours)->Apply(audioCodeSizes);
BENCHMARK(AddC16s_loop)->Apply(audioCodeSizes);
BENCHMARK(MulC16s_ours)->Apply(audioCodeSizes);
BENCHMARK(MulC16s_loop)->Apply(audioCodeSizes);
BENCHMARK(Set16s_ours)->Apply(audioCodeSizes);
BENCHMARK(Set16s_loop)->Apply(audioCodeSizes);
BENCHMARK(SetRegion16s_ours)->Apply(audioCodeSizes);
BENCHMARK(SetRegion16s_loop)->Apply(audioCodeSizes);
BENCHMARK(CopyRegion16s_ours)->Apply(audioCodeSizes);
BENCHMARK(CopyRegion16s_memcpy)->Apply(audioCodeSizes);
BENCHMARK(Convert16s32f_ours)->Apply(audioCodeSizes);
BENCHMARK(Convert16s32f_loop)->Apply(audioCodeSizes);
BENCHMARK(Scale16s8u_ours)->Apply(audioCodeSizes);
BENCHMARK(Scale16s8u_loop)->Apply(audioCodeSizes);
BENCHMARK(SqrSum_ours)->Apply(audioCodeSizes);
BENCHMARK(SqrSum_loop)->Apply(audioCodeSizes);
BENCHMARK(IIRMeter_ours)->Apply(audioCodeSizes);
BENCHMARK(IIRMeter_loop)->Apply(audioCodeSizes);

// --- basic double and integer kernels at codes 0, 5, 6, 16 against plain -O3 loops -----

template <class Body>
void basicAtCode(benchmark::State &state, std::size_t elementBytes, Body body) {
  const TCodeScope code(static_cast<int>(state.range(1)));
  const int n = static_cast<int>(state.range(0));
  const auto a = randomVector<double>(n, -1, 1);
  std::vector<double> d = randomVector<double>(n, 0.5, 2);
  std::vector<int> ia(static_cast<std::size_t>(n), 12345), id(static_cast<std::size_t>(n), -777);
  for (auto _ : state) {
    body(a.data(), d.data(), ia.data(), id.data(), n);
    benchmark::DoNotOptimize(d.data());
    benchmark::DoNotOptimize(id.data());
    benchmark::ClobberMemory();
  }
  setBytes(state, elementBytes);
}

void Add64f_ours(benchmark::State &s) {
  basicAtCode(s, 8, [](const double *a, double *d, const int *, int *, int n) {
    Slbasicdispatcher::ippsAdd_64f(a, d, d, n);
  });
}
void Add64f_loop(benchmark::State &s) {
  basicAtCode(s, 8, [](const double *a, double *d, const int *, int *, int n) {
    bench_loops::add64f(a, d, d, n);
  });
}
void MulI64f_ours(benchmark::State &s) {
  basicAtCode(s, 8, [](const double *a, double *d, const int *, int *, int n) {
    Slbasicdispatcher::ippsMul_64f_I(a, d, n);
  });
}
void MulI64f_loop(benchmark::State &s) {
  basicAtCode(s, 8, [](const double *a, double *d, const int *, int *, int n) {
    bench_loops::mul64fI(a, d, n);
  });
}
void AddC64f_ours(benchmark::State &s) {
  basicAtCode(s, 8, [](const double *a, double *d, const int *, int *, int n) {
    Slbasicdispatcher::ippsAddC_64f(a, 0.75, d, n);
  });
}
void AddC64f_loop(benchmark::State &s) {
  basicAtCode(s, 8, [](const double *a, double *d, const int *, int *, int n) {
    bench_loops::addC64f(a, 0.75, d, n);
  });
}
void Max64f_ours(benchmark::State &s) {
  basicAtCode(s, 8, [](const double *a, double *d, const int *, int *, int n) {
    Slbasicdispatcher::ippsMax_64f(a, n, d);
  });
}
void Max64f_loop(benchmark::State &s) {
  basicAtCode(s, 8, [](const double *a, double *d, const int *, int *, int n) {
    d[0] = bench_loops::max64f(a, n);
  });
}
void Add32sSf1_ours(benchmark::State &s) {
  basicAtCode(s, 4, [](const double *, double *, const int *ia, int *id, int n) {
    Slbasicdispatcher::ippsAdd_32s_ISfs(ia, id, n, 1);
  });
}
void Add32sSf1_loop(benchmark::State &s) {
  basicAtCode(s, 4, [](const double *, double *, const int *ia, int *id, int n) {
    bench_loops::add32sSf1(ia, id, n);
  });
}

void basicCodeSizes(benchmark::internal::Benchmark *b) {
  for (int code : {0, 5, 6, 16})
    for (int n : {1024, 4800, 65536, 1 << 20})
      b->Args({n, code});
}

BENCHMARK(Add64f_ours)->Apply(basicCodeSizes);
BENCHMARK(Add64f_loop)->Apply(basicCodeSizes);
BENCHMARK(MulI64f_ours)->Apply(basicCodeSizes);
BENCHMARK(MulI64f_loop)->Apply(basicCodeSizes);
BENCHMARK(AddC64f_ours)->Apply(basicCodeSizes);
BENCHMARK(AddC64f_loop)->Apply(basicCodeSizes);
BENCHMARK(Max64f_ours)->Apply(basicCodeSizes);
BENCHMARK(Max64f_loop)->Apply(basicCodeSizes);
BENCHMARK(Add32sSf1_ours)->Apply(basicCodeSizes);
BENCHMARK(Add32sSf1_loop)->Apply(basicCodeSizes);

// Prints as usual and keeps each run's time per iteration for the ratio table.
class TRatioReporter : public benchmark::ConsoleReporter {
public:
  void ReportRuns(const std::vector<Run> &runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run &r : runs) {
      if (!r.error_occurred && r.run_type == Run::RT_Iteration)
        times_[r.benchmark_name()] = r.GetAdjustedRealTime();
    }
  }

  // "<op>_ours/<n>" over the "<op>_<other>/<n>" next to it.
  void PrintRatios() const {
    struct Row {
      std::string op;
      std::string size;
      std::string against;
      double ratio;
    };
    std::vector<Row> rows;
    for (const auto &[name, ours] : times_) {
      const auto us = name.find("_ours/");
      if (us == std::string::npos)
        continue;
      const std::string op = name.substr(0, us);
      const std::string size = name.substr(us + 6);
      for (const auto &[other, theirs] : times_) {
        if (other.rfind(op + "_", 0) == 0 && other != name && other.ends_with("/" + size) &&
            theirs > 0) {
          rows.push_back({op, size, other.substr(op.size() + 1, other.find('/') - op.size() - 1),
                          ours / theirs});
        }
      }
    }
    std::sort(rows.begin(), rows.end(), [](const Row &a, const Row &b) {
      return std::tie(a.op, a.size) < std::tie(b.op, b.size);
    });
    std::printf("\n%-10s %12s %-8s %14s\n", "operation", "size[/code]", "against", "ours / theirs");
    for (const Row &r : rows)
      std::printf("%-10s %12s %-8s %14.2f\n", r.op.c_str(), r.size.c_str(), r.against.c_str(),
                  r.ratio);
  }

private:
  std::map<std::string, double> times_;
};

} // namespace

int main(int argc, char **argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv))
    return 1;
  TRatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  benchmark::Shutdown();
  return 0;
}
