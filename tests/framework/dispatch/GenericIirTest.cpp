#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "framework/dispatch/GenericAlloc.h"
#include "framework/dispatch/GenericIir.h"
#include "framework/dispatch/Vizazodizaro.h"
#include "tests/framework/dispatch/GenericLiveBlocks.h"
#include "tests/support/RandomVectors.h"

using namespace dispatch_filters;

namespace {
// Called by name, as the meters call them: through the slots.
constexpr auto iirInitAlloc = &Vizazodizaro::ippsIIRInitAlloc_32f;
constexpr auto iirFree = &Vizazodizaro::ippsIIRFree_32f;
constexpr auto iirFilter = &Vizazodizaro::ippsIIR_32f;
constexpr auto iirFilterI = &Vizazodizaro::ippsIIR_32f_I;
} // namespace

namespace {

// A state made by the operation under test; released at the end of the scope.
struct Filter {
  IIRState_32f *state = nullptr;
  Filter(std::vector<float> taps, int order, const float *dly = nullptr) {
    EXPECT_EQ(iirInitAlloc(&state, taps.data(), order, dly), 0);
  }
  ~Filter() {
    if (state) {
      EXPECT_EQ(iirFree(state), 0);
    }
  }
  std::vector<float> run(std::vector<float> x) {
    EXPECT_EQ(iirFilterI(x.data(), static_cast<int>(x.size()), state), 0);
    return x;
  }
};

// y[t] = (sum B x - sum_{k>=1} A y) / A0, in long double.
std::vector<long double> reference(const std::vector<float> &taps, int n,
                                   const std::vector<float> &x) {
  std::vector<long double> y(x.size());
  for (size_t t = 0; t < x.size(); ++t) {
    long double acc = 0;
    for (int k = 0; k <= n; ++k)
      if (t >= static_cast<size_t>(k))
        acc += static_cast<long double>(taps[k]) * x[t - k];
    for (int k = 1; k <= n; ++k)
      if (t >= static_cast<size_t>(k))
        acc -= static_cast<long double>(taps[n + 1 + k]) * y[t - k];
    y[t] = acc / taps[n + 1];
  }
  return y;
}

using IirInit = LiveBlocks;
using IirFiltering = LiveBlocks;

} // namespace

TEST_F(IirInit, IdentityPassesAndA0Scales) {
  const auto x = test_support::RandomVector<float>(37, 1);
  Filter same({1, 0, 0, 1, 0, 0}, 2);
  EXPECT_EQ(same.run(x), x);
  Filter half({1, 0, 0, 2, 0, 0}, 2);
  const auto y = half.run(x);
  for (size_t i = 0; i < x.size(); ++i)
    EXPECT_EQ(y[i], x[i] * 0.5f);
}

TEST_F(IirInit, ZeroOrNanA0FailsAndLeavesNoState) {
  for (float a0 : {0.0f, -0.0f, std::nanf("")}) {
    IIRState_32f *sentinel = reinterpret_cast<IIRState_32f *>(0x1234);
    IIRState_32f *p = sentinel;
    const float taps[] = {1, 2, 3, a0, 1, 1};
    EXPECT_EQ(iirInitAlloc(&p, taps, 2, nullptr), -10);
    // The block is gone; a pointer left in the caller's hands could be released twice.
    EXPECT_EQ(p, nullptr);
  }
}

TEST_F(IirInit, ArgumentErrorsAllocateNothing) {
  const float taps[] = {1, 0, 0, 1, 0, 0};
  IIRState_32f *p = nullptr;
  EXPECT_EQ(iirInitAlloc(nullptr, taps, 2, nullptr), -8);
  EXPECT_EQ(iirInitAlloc(&p, nullptr, 2, nullptr), -8);
  EXPECT_EQ(iirInitAlloc(nullptr, taps, -1, nullptr), -8);
  EXPECT_EQ(iirInitAlloc(&p, taps, -1, nullptr), -25);
  EXPECT_EQ(p, nullptr);
}

TEST_F(IirInit, NoMemoryLeavesPointerAlone) {
  const float taps[] = {1, 0, 0, 1, 0, 0};
  IIRState_32f *sentinel = reinterpret_cast<IIRState_32f *>(0x1234);
  IIRState_32f *p = sentinel;
  blockFailAfter(0);
  EXPECT_EQ(iirInitAlloc(&p, taps, 2, nullptr), -9);
  EXPECT_EQ(p, sentinel);
}

TEST_F(IirInit, StateSizesAndLayout) {
  EXPECT_EQ(iirStateBytes(0), 96);
  EXPECT_EQ(iirStateBytes(2), 112);
  // Orders whose block would not fit the allocator's int argument are refused.
  EXPECT_EQ(iirStateBytes(0x7fffffff), -1);
  Filter f({0, -1, 1, -1, 0.5f, 0}, 2);
  auto *base = reinterpret_cast<unsigned char *>(f.state);
  EXPECT_EQ(reinterpret_cast<unsigned char *>(f.state->pTaps), base + 64);
  EXPECT_EQ(reinterpret_cast<unsigned char *>(f.state->pDlyLine), base + 96);
  EXPECT_EQ(f.state->id, kIIRDirectId);
  EXPECT_EQ(f.state->allocated, 1);
  const float want[] = {-0.0f, 1, -1, -0.5f, -0.0f};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(f.state->pTaps[i], want[i]) << i;
    EXPECT_EQ(std::signbit(f.state->pTaps[i]), std::signbit(want[i])) << i;
  }
}

TEST_F(IirInit, HugeOrderFailsWithoutMemory) {
  std::vector<float> taps(8, 1.0f);
  IIRState_32f *p = nullptr;
  // The taps array is never read: the size check fails first.
  EXPECT_EQ(iirInitAlloc(&p, taps.data(), 0x7fffffff, nullptr), -9);
  EXPECT_EQ(p, nullptr);
}

TEST_F(IirFiltering, StatusOrderAndNothingWritten) {
  Filter f({1, 2, 3, 1, 0.1f, 0.2f}, 2);
  float buf[4] = {1, 2, 3, 4};
  EXPECT_EQ(iirFilter(buf, buf, 4, nullptr), -8);
  EXPECT_EQ(iirFilter(nullptr, buf, 4, f.state), -8);
  EXPECT_EQ(iirFilter(buf, nullptr, 4, f.state), -8);
  EXPECT_EQ(iirFilter(buf, buf, 0, f.state), -6);
  EXPECT_EQ(iirFilter(buf, buf, -3, f.state), -6);

  IIRState_32f bogus = *f.state;
  bogus.id = 0x12345678;
  EXPECT_EQ(iirFilter(buf, buf, 0, &bogus), -6); // length before identifier
  EXPECT_EQ(iirFilter(buf, buf, 4, &bogus), -17);
  EXPECT_EQ(iirFree(&bogus), -17);
  EXPECT_EQ(iirFree(nullptr), -8);
  const float want[4] = {1, 2, 3, 4};
  EXPECT_EQ(std::memcmp(buf, want, sizeof buf), 0);
  EXPECT_EQ(f.state->pDlyLine[0], 0.0f);
  EXPECT_EQ(f.state->pDlyLine[1], 0.0f);
}

TEST_F(IirFiltering, FirstOutputWithoutDelayLineIsB0TimesX0) {
  Filter f({0.25f, 2, 3, 1, 0.1f, 0.2f}, 2);
  EXPECT_EQ(f.run({8.0f})[0], 2.0f);
}

TEST_F(IirFiltering, GivenDelayLineEntersFirstOutput) {
  const float dly[] = {0.5f, -0.25f};
  Filter f({1, 2, 3, 1, 0.1f, 0.2f}, 2, dly);
  EXPECT_EQ(f.state->pDlyLine[2], 0.0f);
  EXPECT_EQ(f.run({1.0f})[0], 1.5f);
}

TEST_F(IirFiltering, MeterTapsImpulseResponse) {
  const float c = static_cast<float>(1.0 - 40.0 * M_PI / 48000.0);
  Filter f({0, -1, 1, -1, c, 0}, 2);
  const auto y = f.run({1, 0, 0, 0});
  EXPECT_EQ(y[0], 0.0f);
  EXPECT_EQ(y[1], 1.0f);
  EXPECT_FLOAT_EQ(y[2], -0.0026180148f);
  EXPECT_FLOAT_EQ(y[3], -0.0026111607f);
}

TEST_F(IirFiltering, OrderZeroOnlyScales) {
  Filter f({3, 2}, 0);
  EXPECT_EQ(f.run({1, -2, 0.5f}), (std::vector<float>{1.5f, -3.0f, 0.75f}));
}

struct OrderCase {
  int order;
  std::vector<float> taps;
};

class IirOrders : public ::testing::TestWithParam<OrderCase> {};

// Against a long double reference, every order path (0, 1, pairs, odd tail).
TEST_P(IirOrders, MatchesReferenceForEveryLength) {
  const auto &c = GetParam();
  for (int len : {1, 2, 3, 4, 5, 31, 100}) {
    const auto x = test_support::RandomVector<float>(len, 7u + len);
    Filter f(c.taps, c.order);
    const auto y = f.run(x);
    const auto ref = reference(c.taps, c.order, x);
    for (int i = 0; i < len; ++i)
      EXPECT_NEAR(y[i], static_cast<double>(ref[i]),
                  2e-6 * (1 + std::fabs(static_cast<double>(ref[i]))))
          << "order " << c.order << " len " << len << " i " << i;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Orders, IirOrders,
    ::testing::Values(OrderCase{0, {0.5f, 2.0f}}, OrderCase{1, {0.3f, 0.2f, 1.0f, -0.5f}},
                      OrderCase{2, {0.2f, 0.4f, 0.2f, 1.0f, -0.3f, 0.1f}},
                      OrderCase{3, {0.1f, 0.3f, 0.3f, 0.1f, 2.0f, -0.6f, 0.3f, -0.05f}},
                      OrderCase{4, {1, -1, 0.5f, 0.25f, -0.125f, 1, 0.2f, -0.1f, 0.05f, 0.01f}}));

TEST_F(IirFiltering, BlocksFilterAsOneSignal) {
  const std::vector<float> taps{0.2f, 0.4f, 0.2f, 1.0f, -0.3f, 0.1f};
  const auto x = test_support::RandomVector<float>(100, 3);
  Filter whole(taps, 2);
  const auto y = whole.run(x);

  Filter parts(taps, 2);
  std::vector<float> z;
  size_t at = 0;
  for (int n : {1, 2, 3, 94}) {
    auto part = parts.run(std::vector<float>(x.begin() + at, x.begin() + at + n));
    z.insert(z.end(), part.begin(), part.end());
    at += n;
  }
  for (size_t i = 0; i < x.size(); ++i)
    EXPECT_NEAR(z[i], y[i], 4 * std::numeric_limits<float>::epsilon() * (1 + std::fabs(y[i]))) << i;
}

TEST_F(IirFiltering, EvenBlocksGiveIdenticalOutputAndDelays) {
  const std::vector<float> taps{0.2f, 0.4f, 0.2f, 1.0f, -0.3f, 0.1f};
  const auto x = test_support::RandomVector<float>(4800, 4);
  Filter whole(taps, 2);
  const auto y = whole.run(x);
  Filter halves(taps, 2);
  auto a = halves.run(std::vector<float>(x.begin(), x.begin() + 2400));
  auto b = halves.run(std::vector<float>(x.begin() + 2400, x.end()));
  a.insert(a.end(), b.begin(), b.end());
  EXPECT_EQ(a, y);
  EXPECT_EQ(whole.state->pDlyLine[0], halves.state->pDlyLine[0]);
  EXPECT_EQ(whole.state->pDlyLine[1], halves.state->pDlyLine[1]);
}

TEST_F(IirFiltering, OddTailTakesTheSingleStep) {
  // Three samples: one pair, then the single step, which rounds its delays to float.
  const std::vector<float> taps{0.3f, 0.7f, 0.11f, 1.0f, -0.45f, 0.2f};
  const std::vector<float> x{0.9f, -0.4f, 0.77f};
  Filter f(taps, 2);
  const auto y = f.run(x);

  using ext = long double;
  const ext b0 = taps[0], b1 = taps[1], b2 = taps[2], a1 = taps[4], a2 = taps[5];
  const ext y0 = b0 * x[0];
  const ext t = b1 * x[0] - a1 * y0;
  const ext y1 = b0 * x[1] + t;
  const float d0 = static_cast<float>(((b1 * x[1] - a1 * y1) + b2 * x[0]) - a2 * y0);
  const ext y2 = b0 * x[2] + d0;
  EXPECT_EQ(y[2], static_cast<float>(y2));
  EXPECT_EQ(f.state->pDlyLine[1], static_cast<float>(b2 * x[2] - a2 * y2));
}

TEST_F(IirFiltering, InPlaceEqualsOutOfPlace) {
  const std::vector<float> taps{0.2f, 0.4f, 0.2f, 1.0f, -0.3f, 0.1f};
  const auto x = test_support::RandomVector<float>(33, 5);
  Filter a(taps, 2), b(taps, 2);
  std::vector<float> out(x.size());
  EXPECT_EQ(iirFilter(x.data(), out.data(), 33, a.state), 0);
  EXPECT_EQ(b.run(x), out);
}

TEST_F(IirFiltering, BiQuadCascade) {
  // Two sections laid out as the filter reads them: taps b0 b1 b2 a1 a2 per section.
  struct alignas(16) Block {
    IIRState_32f header;
    float taps[10] = {0.5f, 0.25f, 0.125f, -0.2f, 0.1f, 1.0f, -0.5f, 0.0f, 0.3f, 0.0f};
    float dly[4] = {};
  } blk{};
  blk.header.id = kIIRBiQuadId;
  blk.header.pTaps = blk.taps;
  blk.header.pDlyLine = blk.dly;
  blk.header.order = 4;
  const auto x = test_support::RandomVector<float>(20, 9);
  std::vector<float> y(x.size());
  ASSERT_EQ(iirFilter(x.data(), y.data(), 20, &blk.header), 0);

  // Reference: the two sections as cascaded long double difference equations.
  std::vector<long double> mid(20), out(20);
  for (int t = 0; t < 20; ++t) {
    auto at = [&](const std::vector<long double> &v, int k) {
      return t - k >= 0 ? v[t - k] : 0.0L;
    };
    auto xin = [&](int k) { return t - k >= 0 ? static_cast<long double>(x[t - k]) : 0.0L; };
    mid[t] = 0.5L * xin(0) + 0.25L * xin(1) + 0.125L * xin(2) - (long double)-0.2f * at(mid, 1) -
             (long double)0.1f * at(mid, 2);
    out[t] = 1.0L * mid[t] - 0.5L * at(mid, 1) - (long double)0.3f * at(out, 1);
  }
  for (int t = 0; t < 20; ++t)
    EXPECT_NEAR(y[t], static_cast<double>(out[t]), 1e-6) << t;

  blk.header.order = 0;
  ASSERT_EQ(iirFilter(x.data(), y.data(), 20, &blk.header), 0);
  for (float v : y)
    EXPECT_EQ(v, 0.0f);
  // A state the caller laid out (allocated flag 0) is accepted and nothing is released.
  EXPECT_EQ(iirFree(&blk.header), 0);
}
