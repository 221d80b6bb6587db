// One record serves transforms on several threads at once: it is only read.
#include <cmath>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "kernels/fft-real/FFTReal64.h"

using namespace kernels::fft_real;

namespace {

struct Variant {
  const char *name;
  int (*init)(FFTSpec_R_64f **, int, int, int);
  int (*fwd)(const double *, double *, const FFTSpec_R_64f *, std::uint8_t *);
  int (*size)(const FFTSpec_R_64f *, int *);
  int (*release)(FFTSpec_R_64f *);
};

class FFTThreads : public ::testing::TestWithParam<Variant> {};

TEST_P(FFTThreads, ThreadsSharingARecordGetTheSingleThreadedResult) {
  // Real order 14 (complex 13): the generic large-order path and the paired engine's
  // whole-transform pass, both with a work area per call.
  const Variant &v = GetParam();
  const int order = 14;
  const std::size_t N = std::size_t{1} << order;
  FFTSpec_R_64f *spec = nullptr;
  ASSERT_EQ(v.init(&spec, order, kFFTDivInvByN, 0), 0);
  std::vector<double> x(N);
  for (std::size_t i = 0; i < N; ++i)
    x[i] = std::sin(0.01 * double(i * i % 1000));
  std::vector<double> expected(N);
  ASSERT_EQ(v.fwd(x.data(), expected.data(), spec, nullptr), 0);

  constexpr int kThreads = 4;
  constexpr int kRounds = 20;
  std::vector<int> mismatches(kThreads, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&, t] {
      std::vector<double> y(N);
      for (int r = 0; r < kRounds; ++r) {
        // Every other round with a null buffer, so that calls also take their own.
        int size = 0;
        v.size(spec, &size);
        std::vector<std::uint8_t> buffer(r % 2 ? size : 0);
        if (v.fwd(x.data(), y.data(), spec, r % 2 ? buffer.data() : nullptr) != 0 ||
            std::memcmp(y.data(), expected.data(), N * sizeof(double)) != 0)
          ++mismatches[t];
      }
    });
  for (std::thread &th : threads)
    th.join();
  for (int t = 0; t < kThreads; ++t)
    EXPECT_EQ(mismatches[t], 0) << "thread " << t;
  EXPECT_EQ(v.release(spec), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Variants, FFTThreads,
    ::testing::Values(Variant{"generic", ippsFFTInitAlloc_R_64f, ippsFFTFwd_RToPack_64f,
                              ippsFFTGetBufSize_R_64f, ippsFFTFree_R_64f},
                      Variant{"SSE2", ippsFFTInitAlloc_R_64f_Sse2, ippsFFTFwd_RToPack_64f_Sse2,
                              ippsFFTGetBufSize_R_64f_Sse2, ippsFFTFree_R_64f_Sse2}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
