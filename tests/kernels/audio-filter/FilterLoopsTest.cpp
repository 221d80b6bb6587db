// The IIR set-ups and releases of every processor class and the single-precision block
// filter, against an extended-precision reference within a stated bound; the two-lane FIR
// step against the generic within its bound.
//
// IIR bound: every operation of the block method rounds to float (relative error at most
// u = 2^-24 each), and an error made at one output reaches the later ones through the
// feedback with at most the gain G = Σ|h| of the feedback's impulse response h. With M
// the largest magnitude of an intermediate sum (at most Σ|b| · max|x| + max|y|), each
// output is within K · u · G · M of the exact recursion. Per output the block method makes
// at most 2n + 4 roundings on its way (the feed-forward sum: n + 1 products and n sums;
// the recursive step: the n history products, three W products and their sums), the
// set-up's taps and tables add one or two roundings per coefficient, which act like
// roundings of the output sums, and the rebuilt delay line rounds once per term: for
// the orders tested here (up to 5) K = 16 covers them.
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <numbers>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "framework/dispatch/GenericFir.h"
#include "framework/dispatch/GenericIir.h"
#include "framework/dispatch/Vizazodizaro.h"
#include "kernels/audio-filter/AudioFilterKernels.h"
#include "kernels/common/IIRState.h"
#include "tests/support/ControlWords.h"

namespace {

namespace kf = kernels::audio_filter;
namespace gen = Vizazodizaro::generic;

TEST(FilterLoops, FirStateOffsetsMatchTheSetUpLayout) {
  EXPECT_EQ(offsetof(FIRState_64f, id), kf::fir_layout::kId);
  EXPECT_EQ(offsetof(FIRState_64f, tapsLen), kf::fir_layout::kTapsLen);
  EXPECT_EQ(offsetof(FIRState_64f, dlyIndex), kf::fir_layout::kDlyIndex);
  EXPECT_EQ(offsetof(FIRState_64f, pTaps), kf::fir_layout::kTaps);
  EXPECT_EQ(offsetof(FIRState_64f, pDlyLine), kf::fir_layout::kDlyLine);
}

using InitFn = IppOpStatus (*)(IIRState_32f **, const float *, int, const float *);
using FreeFn = IppOpStatus (*)(IIRState_32f *);
using FilterFn = IppOpStatus (*)(const float *, float *, int, IIRState_32f *);
using FilterIFn = IppOpStatus (*)(float *, int, IIRState_32f *);

struct Maker {
  const char *name;
  InitFn init;
  FreeFn release;
  bool vector; // lays out the vector tables
};
const Maker kSetUps[] = {
    {"generic", &gen::ippsIIRInitAlloc_32f, &gen::ippsIIRFree_32f, false},
    {"sse3", &kf::sse3::ippsIIRInitAlloc_32f, &kf::sse3::ippsIIRFree_32f, true},
    {"sse2", &kf::sse2::ippsIIRInitAlloc_32f, &kf::sse2::ippsIIRFree_32f, true},
    {"sse", &kf::sse::ippsIIRInitAlloc_32f, &kf::sse::ippsIIRFree_32f, true},
};

struct Filter {
  const char *name;
  FilterFn filter;
  FilterIFn filterI;
};
const Filter kFilters[] = {
    {"generic", &gen::ippsIIR_32f, &gen::ippsIIR_32f_I},
    {"sse3", &kf::sse3::ippsIIR_32f, &kf::sse3::ippsIIR_32f_I},
    {"sse", &kf::sse::ippsIIR_32f, &kf::sse::ippsIIR_32f_I},
};

long live() { return kernels::FilterBlocks().Live(); }

// Every block a test took is back when it ends; an armed failure never leaks.
class IirStates : public ::testing::Test {
protected:
  void SetUp() override { live_ = live(); }
  void TearDown() override {
    kernels::FilterBlocks().FailAfter(-1);
    EXPECT_EQ(live(), live_);
  }
  long live_ = 0;
};

// The meters' filter at a sample rate: taps B0..B2, A0..A2.
std::vector<float> meterTaps(double fs) {
  const float c = static_cast<float>(1.0 - 40.0 * std::numbers::pi / fs);
  return {0.0f, -1.0f, 1.0f, -1.0f, c, 0.0f};
}

struct State {
  IIRState_32f *s = nullptr;
  FreeFn release;
  State(const Maker &su, const std::vector<float> &taps, int order, const float *dly = nullptr)
      : release(su.release) {
    EXPECT_EQ(su.init(&s, taps.data(), order, dly), ippStsNoErr) << su.name;
  }
  ~State() {
    if (s) {
      EXPECT_EQ(release(s), ippStsNoErr);
    }
  }
};

bool sameBits(float a, float b) {
  return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b);
}

TEST_F(IirStates, VectorLayoutPlacesEveryAreaInOneBlock) {
  const auto taps = meterTaps(48000);
  const float c = taps[4];
  for (const Maker &su : kSetUps) {
    if (!su.vector)
      continue;
    State st(su, taps, 2);
    const auto *base = reinterpret_cast<const unsigned char *>(st.s);
    auto at = [base](const float *p) { return reinterpret_cast<const unsigned char *>(p) - base; };
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(base) % 32, 0u) << su.name;
    EXPECT_EQ(st.s->id, kernels::iir::kIIRDirectId);
    EXPECT_EQ(st.s->order, 2);
    EXPECT_EQ(st.s->allocated, 1);
    EXPECT_EQ(at(st.s->pTaps), 64) << su.name;
    EXPECT_EQ(at(st.s->pDlyLine), 96) << su.name;
    EXPECT_EQ(at(st.s->pTapVectors), 112) << su.name;
    EXPECT_EQ(at(st.s->pBlockVectors), 112 + 48) << su.name;
    EXPECT_EQ(at(st.s->pWork), 112 + 48 + 80) << su.name;
    // The work area and the 40 spare bytes end the block of 4376 bytes.
    EXPECT_EQ(at(st.s->pWork) + 4096 + 40, kernels::iir::StateBytes(2, true));
    EXPECT_EQ(kernels::iir::StateBytes(2, true), 4376);

    // Every tap times the reciprocal -1; the delay line cleared with its zero term.
    const float want[5] = {-0.0f, 1.0f, -1.0f, -c, -0.0f};
    for (int i = 0; i < 5; ++i)
      EXPECT_TRUE(sameBits(st.s->pTaps[i], want[i])) << su.name << " tap " << i;
    for (int i = 0; i < 3; ++i)
      EXPECT_TRUE(sameBits(st.s->pDlyLine[i], 0.0f)) << su.name << " delay " << i;
    for (int k = 0; k < 3; ++k)
      for (int r = 0; r < 4; ++r)
        EXPECT_TRUE(sameBits(st.s->pTapVectors[4 * k + r], want[k])) << su.name << " " << k;
    // Feedback c1 = c, c2 = 0: h = 1, c, c^2, c^3; C_0 = (c, c^2, c^3, c^4), C_1 = 0.
    const float *C = st.s->pBlockVectors;
    const double h[5] = {1.0, c, double(c) * c, double(c) * c * c, double(c) * c * c * c};
    for (int r = 0; r < 4; ++r) {
      EXPECT_NEAR(C[r], h[r + 1], 4e-7) << su.name << " C0 lane " << r;
      EXPECT_EQ(C[4 + r], 0.0f) << su.name << " C1 lane " << r;
      EXPECT_NEAR(C[8 + r], h[r], 4e-7) << su.name << " H0 lane " << r;
      EXPECT_NEAR(C[12 + r], r < 1 ? 0.0 : h[r - 1], 4e-7) << su.name << " H1 lane " << r;
      EXPECT_NEAR(C[16 + r], r < 2 ? 0.0 : h[r - 2], 4e-7) << su.name << " H2 lane " << r;
    }
  }
}

// Order 3, general feedback: lane r of C_j is the weight of y[t-1-j] in y[t+r].
TEST_F(IirStates, BlockResponseVectorsFollowTheRecursion) {
  const std::vector<float> taps{1.0f, 0.5f, 0.25f, 0.125f, 2.0f, -0.6f, 0.3f, -0.05f};
  const int n = 3;
  for (const Maker &su : kSetUps) {
    if (!su.vector)
      continue;
    State st(su, taps, n);
    std::vector<double> cc(n + 1);
    for (int k = 1; k <= n; ++k)
      cc[k] = -static_cast<double>(st.s->pTaps[n + k]);
    for (int j = 0; j < n; ++j) {
      // Outputs y[t-n .. t-1] zero but y[t-1-j] = 1, zero input: run the recursion.
      std::vector<double> y(n + 4, 0.0);
      y[n - 1 - j] = 1.0;
      for (int r = 0; r < 4; ++r) {
        double v = 0;
        for (int k = 1; k <= n; ++k)
          v += cc[k] * y[n + r - k];
        y[n + r] = v;
        EXPECT_NEAR(st.s->pBlockVectors[4 * j + r], v, 1e-6) << su.name << " C" << j << " " << r;
      }
    }
  }
}

TEST_F(IirStates, OrderZeroWritesOneTapVectorAndNoDelay) {
  for (const Maker &su : kSetUps) {
    if (!su.vector)
      continue;
    // The given delay line must not be read: a null-free bogus pointer would crash.
    const float dly[1] = {123.0f};
    IIRState_32f *s = nullptr;
    ASSERT_EQ(su.init(&s, std::vector<float>{3.0f, 2.0f}.data(), 0, dly), ippStsNoErr);
    EXPECT_EQ(s->pTaps[0], 1.5f);
    for (int r = 0; r < 4; ++r)
      EXPECT_EQ(s->pTapVectors[r], 1.5f);
    EXPECT_EQ(reinterpret_cast<unsigned char *>(s->pWork) + 4096 + 40,
              reinterpret_cast<unsigned char *>(s) + kernels::iir::StateBytes(0, true));
    EXPECT_EQ(su.release(s), ippStsNoErr);
  }
}

TEST_F(IirStates, GivenDelayLineIsCopiedBitForBit) {
  const float dly[3] = {std::bit_cast<float>(0x7fc00001u), -0.0f, 1e-40f};
  const std::vector<float> taps{1, 2, 3, 4, 1, 0.5f, 0.25f, 0.125f};
  for (const Maker &su : kSetUps) {
    State st(su, taps, 3, dly);
    for (int i = 0; i < 3; ++i)
      EXPECT_TRUE(sameBits(st.s->pDlyLine[i], dly[i])) << su.name << " " << i;
    EXPECT_TRUE(sameBits(st.s->pDlyLine[3], 0.0f)) << su.name;
  }
}

// Bad arguments in the generic's order with its statuses; nothing leaks on any failure.
TEST_F(IirStates, SetUpFailuresMatchTheGenericAndLeakNothing) {
  const float good[6] = {1, 0, 0, 1, 0, 0};
  auto *const sentinel = reinterpret_cast<IIRState_32f *>(0x1234);
  for (const Maker &su : kSetUps) {
    IIRState_32f *p = sentinel;
    EXPECT_EQ(su.init(nullptr, good, 2, nullptr), ippStsNullPtrErr) << su.name;
    EXPECT_EQ(su.init(&p, nullptr, -1, nullptr), ippStsNullPtrErr) << su.name;
    EXPECT_EQ(su.init(&p, good, -1, nullptr), ippStsIIROrderErr) << su.name;
    EXPECT_EQ(p, sentinel);
    // No memory, and an order whose block would not fit 32 bits: -9, pointer untouched.
    kernels::FilterBlocks().FailAfter(0);
    EXPECT_EQ(su.init(&p, good, 2, nullptr), ippStsMemAllocErr) << su.name;
    kernels::FilterBlocks().FailAfter(-1);
    EXPECT_EQ(su.init(&p, good, 0x7fffffff, nullptr), ippStsMemAllocErr) << su.name;
    EXPECT_EQ(su.init(&p, good, 200'000'000, nullptr), ippStsMemAllocErr) << su.name;
    if (su.vector) { // 44 bytes per order: past 32 bits here, where the generic layout fits
      EXPECT_EQ(su.init(&p, good, 50'000'000, nullptr), ippStsMemAllocErr) << su.name;
    }
    EXPECT_EQ(p, sentinel);
    // A0 zero of either sign or NaN: the block goes back and the caller holds null.
    for (float a0 : {0.0f, -0.0f, std::nanf("")}) {
      const float taps[6] = {1, 2, 3, a0, 1, 1};
      p = sentinel;
      EXPECT_EQ(su.init(&p, taps, 2, nullptr), ippStsDivByZeroErr) << su.name;
      EXPECT_EQ(p, nullptr) << su.name;
    }
  }
}

// Any class's release frees any class's state (ASan checks the frees); bad states give
// the generic statuses and release nothing.
TEST_F(IirStates, EveryReleaseFreesEveryState) {
  const auto taps = meterTaps(44100);
  for (const Maker &maker : kSetUps)
    for (const Maker &releaser : kSetUps) {
      IIRState_32f *s = nullptr;
      ASSERT_EQ(maker.init(&s, taps.data(), 2, nullptr), ippStsNoErr);
      const long before = live();
      EXPECT_EQ(releaser.release(s), ippStsNoErr) << maker.name << " by " << releaser.name;
      EXPECT_EQ(live(), before - 1) << maker.name << " by " << releaser.name;
    }
  IIRState_32f laidOut{};
  for (const Maker &su : kSetUps) {
    EXPECT_EQ(su.release(nullptr), ippStsNullPtrErr);
    laidOut.id = 0x49493030u;
    EXPECT_EQ(su.release(&laidOut), ippStsContextMatchErr) << su.name;
    // A state the caller laid out itself (flag 0) is accepted and not released.
    laidOut.id = kernels::iir::kIIRBiQuadId;
    EXPECT_EQ(su.release(&laidOut), ippStsNoErr) << su.name;
  }
}

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

// Σ|h| of 1/A over a long enough stretch.
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

TEST_F(IirStates, MetersImpulseAtFortyEightKilohertz) {
  const auto taps = meterTaps(48000);
  for (const Maker &su : kSetUps)
    for (const Filter &f : kFilters) {
      State st(su, taps, 2);
      std::vector<float> x(64, 0.0f);
      x[0] = 1.0f;
      ASSERT_EQ(f.filterI(x.data(), 64, st.s), ippStsNoErr);
      EXPECT_EQ(x[0], 0.0f) << su.name << " / " << f.name;
      EXPECT_EQ(x[1], 1.0f) << su.name << " / " << f.name;
      EXPECT_NEAR(x[2], -0.0026180148, 1e-8) << su.name << " / " << f.name;
      EXPECT_NEAR(x[3], -0.0026111607, 1e-8) << su.name << " / " << f.name;
    }
}

// Each class's set-up with each class's filter (a vector filter on a generic-layout state
// goes sample by sample), 4800 samples in one call and in chunks with the delay line
// carried, within the bound of the exact recursion.
TEST_F(IirStates, EverySetUpWithEveryFilterStaysWithinTheBound) {
  struct Case {
    std::vector<float> taps;
    int order;
  } cases[] = {{meterTaps(48000), 2},
               {meterTaps(44100), 2},
               {{0.5f, 0.25f, 2.0f, -0.5f}, 1},
               {{1.0f, 2.0f, 1.0f, 0.5f, 4.0f, -1.0f, 0.25f, 0.0f}, 3},
               {{0.2f, 0.1f, -0.3f, 0.05f, 0.5f, 1.0f, -0.4f, 0.3f, -0.1f, 0.02f}, 4},
               {{0.3f, -0.1f, 0.2f, 0.05f, 0.1f, 0.02f, 1.0f, -0.5f, 0.2f, -0.1f, 0.05f, 0.02f}, 5},
               {{2.0f, 4.0f}, 0}};
  std::mt19937 rng(9);
  std::vector<float> x(4800);
  for (float &v : x)
    v = std::uniform_real_distribution<float>(-1.0f, 1.0f)(rng) * 32767.0f;
  for (const Case &c : cases) {
    const auto ref = reference(c.taps, c.order, x);
    long double sumB = 0;
    for (int k = 0; k <= c.order; ++k)
      sumB += std::fabs(c.taps[static_cast<std::size_t>(k)] /
                        c.taps[static_cast<std::size_t>(c.order) + 1]);
    long double maxY = 0;
    for (long double v : ref)
      maxY = std::max(maxY, std::fabs(v));
    const long double bound =
        16 * std::ldexp(1.0L, -24) * feedbackGain(c.taps, c.order) * (sumB * 32767.0L + maxY) +
        1e-30L;
    for (const Maker &su : kSetUps)
      for (const Filter &f : kFilters)
        for (int chunk : {4800, 1, 3, 4 * c.order, 4 * c.order + 1, 1023, 1024, 1025}) {
          if (chunk < 1)
            continue;
          State st(su, c.taps, c.order);
          std::vector<float> y(x.size());
          for (int start = 0; start < 4800; start += chunk) {
            const int len = std::min(chunk, 4800 - start);
            if (chunk % 2 == 0)
              ASSERT_EQ(f.filter(x.data() + start, y.data() + start, len, st.s), 0);
            else {
              std::copy(x.begin() + start, x.begin() + start + len, y.begin() + start);
              ASSERT_EQ(f.filterI(y.data() + start, len, st.s), 0);
            }
          }
          long double worst = 0;
          for (std::size_t t = 0; t < y.size(); ++t)
            worst = std::max(worst, std::fabs(static_cast<long double>(y[t]) - ref[t]));
          EXPECT_LE(worst, bound) << "order " << c.order << " chunk " << chunk << " set-up "
                                  << su.name << " filter " << f.name;
        }
  }
}

// The vector filter leaves the delay line as the sample-by-sample recursion would, so
// the generic filter can take over a state mid-signal.
TEST_F(IirStates, GenericAndBlockFiltersShareTheState) {
  const auto taps = meterTaps(48000);
  const float dly[2] = {0.25f, -0.5f};
  State a(kSetUps[1], taps, 2, dly), b(kSetUps[1], taps, 2, dly);
  std::vector<float> x(2048), ya(2048), yb(2048);
  for (std::size_t i = 0; i < x.size(); ++i)
    x[i] = static_cast<float>(std::sin(0.01 * static_cast<double>(i)) * 1000.0);
  ASSERT_EQ(kf::sse3::ippsIIR_32f(x.data(), ya.data(), 1500, a.s), 0);
  ASSERT_EQ(gen::ippsIIR_32f(x.data() + 1500, ya.data() + 1500, 548, a.s), 0);
  ASSERT_EQ(gen::ippsIIR_32f(x.data(), yb.data(), 2048, b.s), 0);
  for (std::size_t i = 0; i < x.size(); ++i)
    EXPECT_NEAR(ya[i], yb[i], 0.05) << i;
}

TEST_F(IirStates, FilterStatusesEqualTheGeneric) {
  for (const Filter &f : kFilters) {
    State st(kSetUps[1], meterTaps(48000), 2);
    float v[4] = {1, 2, 3, 4};
    EXPECT_EQ(f.filter(v, v, 4, nullptr), ippStsNullPtrErr);
    EXPECT_EQ(f.filter(nullptr, v, 0, st.s), ippStsNullPtrErr);
    EXPECT_EQ(f.filter(v, nullptr, 4, st.s), ippStsNullPtrErr);
    EXPECT_EQ(f.filterI(v, 0, st.s), ippStsSizeErr);
    const std::uint32_t id = st.s->id;
    st.s->id = 0x12345678u;
    EXPECT_EQ(f.filterI(v, 4, st.s), ippStsContextMatchErr) << f.name;
    EXPECT_EQ(f.filterI(v, 0, st.s), ippStsSizeErr) << f.name;
    st.s->id = id;
    EXPECT_EQ(v[0], 1.0f);
    EXPECT_EQ(st.s->pDlyLine[0], 0.0f);
  }
}

// Set-ups, filters and releases leave the caller's SSE and x87 control words as set.
TEST_F(IirStates, ControlWordsStayAsSet) {
  using namespace test_support;
  // Round down, flush and DAZ; x87 64-bit mantissa, chop.
  const ControlWords set{0x1F80u | 0x2000u | 0x8040u, 0x0F7F};
  const auto taps = meterTaps(48000);
  std::vector<float> x(3000, 0.25f);
  for (const Maker &su : kSetUps)
    for (const Filter &f : kFilters) {
      IppOpStatus made = -1, run = -1, freed = -1;
      const ControlWords after = RunUnder(set, [&] {
        IIRState_32f *s = nullptr;
        made = su.init(&s, taps.data(), 2, nullptr);
        run = made == 0 ? f.filterI(x.data(), 3000, s) : made;
        freed = made == 0 ? su.release(s) : made;
      });
      EXPECT_EQ(made, 0);
      EXPECT_EQ(run, 0);
      EXPECT_EQ(freed, 0);
      EXPECT_EQ(after.mxcsr & ~kMxcsrFlags, set.mxcsr) << su.name << " / " << f.name;
      EXPECT_EQ(after.x87, set.x87) << su.name << " / " << f.name;
    }
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

// The two lanes add their products in blocks of eight as a tree of pairs, so with all
// taps 1 the window 1e16, 0, 1, 0, -1e16, 0, 1, 0, 0 sums in lane 0 as
// (1e16 + 1) + (-1e16 + 1) = 0: each 1 is lost in rounding. Added one after another it
// would be 1, and the generic extended-precision sum is exact.
TEST(FilterLoops, FirStepAddsItsProductsInBlocksOfEight) {
  const double window[9] = {1e16, 0, 1, 0, -1e16, 0, 1, 0, 0};
  const std::vector<double> taps(9, 1.0);
  // The first step's window is the delay line (newest first) from its second entry, then
  // the new sample.
  double delay[9] = {};
  for (int k = 0; k < 8; ++k)
    delay[7 - k] = window[k];
  FIRState_64f *a = nullptr, *b = nullptr;
  ASSERT_EQ(gen::ippsFIRInitAlloc_64f(&a, taps.data(), 9, delay), 0);
  ASSERT_EQ(gen::ippsFIRInitAlloc_64f(&b, taps.data(), 9, delay), 0);
  double ya = -1, yb = -1;
  ASSERT_EQ(kf::sse2::ippsFIROne_64f(window[8], ya, *a), 0);
  ASSERT_EQ(gen::ippsFIROne_64f(window[8], yb, *b), 0);
  EXPECT_EQ(ya, 0.0);
  EXPECT_EQ(yb, 2.0);
  gen::ippsFIRFree_64f(*a);
  gen::ippsFIRFree_64f(*b);
}

} // namespace
