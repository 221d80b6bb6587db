// The single-precision block IIR filter and the two-lane FIR step against an
// extended-precision reference, within stated bounds, on states made by the set-up.
//
// IIR bound: every operation of the block method rounds to float, and an error made at
// one output reaches the later ones through the feedback with at most the gain
// G = Σ|h| of the feedback's impulse response. With M the largest magnitude of an
// intermediate sum (at most Σ|b| · max|x| + max|y|), each output is within
// K · 2^-24 · G · M of the exact recursion; K = 16 covers the few roundings per term
// of the order-2 block sums and the rebuilt delay line.
#include "framework/dispatch/Vizazodizaro.h"
#include "framework/dispatch/generic_fir.h"
#include "framework/dispatch/generic_iir.h"
#include "kernels/audio-filter/AudioFilterKernels.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <numbers>
#include <random>
#include <vector>

namespace {

namespace kf = kernels::audio_filter;
namespace gen = Vizazodizaro::generic;

TEST(FilterLoops, StateOffsetsMatchTheSetUpLayout) {
  EXPECT_EQ(offsetof(IIRState_32f, id), kf::iir_layout::kId);
  EXPECT_EQ(offsetof(IIRState_32f, pTaps), kf::iir_layout::kTaps);
  EXPECT_EQ(offsetof(IIRState_32f, pDlyLine), kf::iir_layout::kDlyLine);
  EXPECT_EQ(offsetof(IIRState_32f, order), kf::iir_layout::kOrder);
  EXPECT_EQ(offsetof(FIRState_64f, id), kf::fir_layout::kId);
  EXPECT_EQ(offsetof(FIRState_64f, tapsLen), kf::fir_layout::kTapsLen);
  EXPECT_EQ(offsetof(FIRState_64f, dlyIndex), kf::fir_layout::kDlyIndex);
  EXPECT_EQ(offsetof(FIRState_64f, pTaps), kf::fir_layout::kTaps);
  EXPECT_EQ(offsetof(FIRState_64f, pDlyLine), kf::fir_layout::kDlyLine);
}

// The meters' filter at a sample rate: taps B0..B2, A0..A2.
std::vector<float> meterTaps(double fs) {
  const float c = static_cast<float>(1.0 - 40.0 * std::numbers::pi / fs);
  return {0.0f, -1.0f, 1.0f, -1.0f, c, 0.0f};
}

struct State {
  IIRState_32f *s = nullptr;
  explicit State(const std::vector<float> &taps, int order, const float *dly = nullptr) {
    EXPECT_EQ(gen::ippsIIRInitAlloc_32f(&s, taps.data(), order, dly), ippStsNoErr);
  }
  ~State() { gen::ippsIIRFree_32f(s); }
};

// y[t] = (Σ B_k x[t-k] - Σ_{k>=1} A_k y[t-k]) / A0 in long double.
std::vector<long double> reference(const std::vector<float> &taps, int n,
                                   const std::vector<float> &x) {
  std::vector<long double> y(x.size());
  const long double a0 = taps[static_cast<std::size_t>(n) + 1];
  for (std::size_t t = 0; t < x.size(); ++t) {
    long double acc = 0;
    for (int k = 0; k <= n && static_cast<std::size_t>(k) <= t; ++k)
      acc += static_cast<long double>(taps[static_cast<std::size_t>(k)]) *
             x[t - static_cast<std::size_t>(k)];
    for (int k = 1; k <= n && static_cast<std::size_t>(k) <= t; ++k)
      acc -= static_cast<long double>(taps[static_cast<std::size_t>(n + 1 + k)]) *
             y[t - static_cast<std::size_t>(k)];
    y[t] = acc / a0;
  }
  return y;
}

// Σ|h| of 1/A over a long enough stretch, and Σ|b|.
long double feedbackGain(const std::vector<float> &taps, int n) {
  std::vector<long double> h(20000);
  long double sum = 0;
  const long double a0 = taps[static_cast<std::size_t>(n) + 1];
  for (std::size_t m = 0; m < h.size(); ++m) {
    long double v = m == 0 ? 1 : 0;
    for (int k = 1; k <= n && static_cast<std::size_t>(k) <= m; ++k)
      v -= taps[static_cast<std::size_t>(n + 1 + k)] / a0 * h[m - static_cast<std::size_t>(k)];
    h[m] = v;
    sum += std::fabs(v);
  }
  return sum;
}

TEST(FilterLoops, MetersImpulseAtFortyEightKilohertz) {
  const auto taps = meterTaps(48000);
  State st(taps, 2);
  std::vector<float> x(64, 0.0f);
  x[0] = 1.0f;
  ASSERT_EQ(kf::sse3::ippsIIR_32f_I(x.data(), 64, st.s), ippStsNoErr);
  EXPECT_EQ(x[0], 0.0f);
  EXPECT_EQ(x[1], 1.0f);
  EXPECT_NEAR(x[2], -0.0026180148, 1e-8);
  EXPECT_NEAR(x[3], -0.0026111607, 1e-8);
}

TEST(FilterLoops, ChunksCarryTheDelayLineWithinTheBound) {
  struct Filter {
    std::vector<float> taps;
    int order;
  } filters[] = {
      {meterTaps(48000), 2},
      {meterTaps(44100), 2},
      {{0.5f, 0.25f, 2.0f, -0.5f}, 1},
      {{1.0f, 2.0f, 1.0f, 0.5f, 4.0f, -1.0f, 0.25f, 0.0f}, 3},
      {{0.3f, -0.1f, 0.2f, 0.05f, 0.1f, 0.02f, 1.0f, -0.5f, 0.2f, -0.1f, 0.05f, 0.02f}, 5},
      {{2.0f, 4.0f}, 0}};
  std::mt19937 rng(9);
  std::vector<float> x(4800);
  for (float &v : x)
    v = std::uniform_real_distribution<float>(-1.0f, 1.0f)(rng) * 32767.0f;
  for (const Filter &f : filters) {
    const auto ref = reference(f.taps, f.order, x);
    const long double gain = feedbackGain(f.taps, f.order);
    long double sumB = 0;
    for (int k = 0; k <= f.order; ++k)
      sumB += std::fabs(f.taps[static_cast<std::size_t>(k)] /
                        f.taps[static_cast<std::size_t>(f.order) + 1]);
    long double maxY = 0;
    for (long double v : ref)
      maxY = std::max(maxY, std::fabs(v));
    const long double m = sumB * 32767.0L + maxY;
    const long double bound = 16 * std::ldexp(1.0L, -24) * gain * m + 1e-30L;
    for (int chunk : {4800, 1, 3, 1023, 1024, 1025}) {
      State st(f.taps, f.order);
      std::vector<float> y(x.size());
      for (int start = 0; start < 4800; start += chunk) {
        const int len = std::min(chunk, 4800 - start);
        if (chunk % 2 == 0)
          ASSERT_EQ(kf::sse3::ippsIIR_32f(x.data() + start, y.data() + start, len, st.s), 0);
        else {
          std::copy(x.begin() + start, x.begin() + start + len, y.begin() + start);
          ASSERT_EQ(kf::sse3::ippsIIR_32f_I(y.data() + start, len, st.s), 0);
        }
      }
      long double worst = 0;
      for (std::size_t t = 0; t < y.size(); ++t)
        worst = std::max(worst, std::fabs(static_cast<long double>(y[t]) - ref[t]));
      EXPECT_LE(worst, bound) << "order " << f.order << " chunk " << chunk;
    }
  }
}

// A state made by the generic set-up at one code, filtered by the generic filter and by
// the block method from the same start, stays within the bound; the vector filter leaves
// the delay line in the generic layout so the generic filter can take over.
TEST(FilterLoops, GenericAndBlockFiltersShareTheState) {
  const auto taps = meterTaps(48000);
  const float dly[2] = {0.25f, -0.5f};
  State a(taps, 2, dly), b(taps, 2, dly);
  std::vector<float> x(2048), ya(2048), yb(2048);
  for (std::size_t i = 0; i < x.size(); ++i)
    x[i] = static_cast<float>(std::sin(0.01 * static_cast<double>(i)) * 1000.0);
  ASSERT_EQ(kf::sse3::ippsIIR_32f(x.data(), ya.data(), 1500, a.s), 0);
  ASSERT_EQ(gen::ippsIIR_32f(x.data() + 1500, ya.data() + 1500, 548, a.s), 0);
  ASSERT_EQ(gen::ippsIIR_32f(x.data(), yb.data(), 2048, b.s), 0);
  for (std::size_t i = 0; i < x.size(); ++i)
    EXPECT_NEAR(ya[i], yb[i], 0.05) << i;
}

TEST(FilterLoops, StatusesEqualTheGeneric) {
  const auto taps = meterTaps(48000);
  State st(taps, 2);
  float v[4] = {1, 2, 3, 4};
  EXPECT_EQ(kf::sse3::ippsIIR_32f(v, v, 4, nullptr), ippStsNullPtrErr);
  EXPECT_EQ(kf::sse3::ippsIIR_32f(nullptr, v, 0, st.s), ippStsNullPtrErr);
  EXPECT_EQ(kf::sse3::ippsIIR_32f_I(v, 0, st.s), ippStsSizeErr);
  const std::uint32_t id = st.s->id;
  st.s->id = 0x12345678u;
  EXPECT_EQ(kf::sse3::ippsIIR_32f_I(v, 4, st.s), ippStsContextMatchErr);
  EXPECT_EQ(kf::sse3::ippsIIR_32f_I(v, 0, st.s), ippStsSizeErr);
  st.s->id = id;
  EXPECT_EQ(v[0], 1.0f);
}

TEST(FilterLoops, FirStepWithinItsBoundOfTheGeneric) {
  for (int L : {1, 2, 3, 31, 32, 33, 100}) {
    std::vector<double> taps(static_cast<std::size_t>(L));
    std::mt19937_64 rng(static_cast<unsigned>(L));
    for (double &t : taps)
      t = std::uniform_real_distribution<double>(-1, 1)(rng);
    FIRState_64f *a = nullptr, *b = nullptr;
    ASSERT_EQ(gen::ippsFIRInitAlloc_64f(&a, taps.data(), L, nullptr), 0);
    ASSERT_EQ(gen::ippsFIRInitAlloc_64f(&b, taps.data(), L, nullptr), 0);
    long double magnitude = 0;
    std::vector<double> hist;
    for (int i = 0; i < 3 * L + 5; ++i) {
      const double x = std::uniform_real_distribution<double>(-1e3, 1e3)(rng);
      hist.push_back(x);
      double ya = 0, yb = 0;
      ASSERT_EQ(kf::sse2::ippsFIROne_64f(x, ya, *a), 0);
      ASSERT_EQ(gen::ippsFIROne_64f(x, yb, *b), 0);
      magnitude = 0;
      for (int k = 0; k < L && k <= i; ++k)
        magnitude +=
            std::fabs(taps[static_cast<std::size_t>(k)] * hist[static_cast<std::size_t>(i - k)]);
      EXPECT_LE(std::fabs(static_cast<long double>(ya) - yb),
                (L + 1) * std::ldexp(1.0L, -52) * magnitude + std::ldexp(1.0L, -1074))
          << "L " << L << " step " << i;
    }
    double y = 0;
    a->id = 1;
    EXPECT_EQ(kf::sse2::ippsFIROne_64f(1.0, y, *a), ippStsContextMatchErr);
    a->id = b->id;
    gen::ippsFIRFree_64f(*a);
    gen::ippsFIRFree_64f(*b);
  }
}

} // namespace
