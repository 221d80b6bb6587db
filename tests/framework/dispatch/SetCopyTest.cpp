// Fills, zero fills, copies and moves, called through their dispatch slots.
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <ostream>
#include <vector>

#include <gtest/gtest.h>

#include "framework/dispatch/Albasicdispatcher.h"
#include "framework/dispatch/Slbasicdispatcher.h"

namespace {

namespace B = Slbasicdispatcher;
namespace A = Albasicdispatcher;

// --- status order: nothing is written when a check fails --------------------------

struct StatusCase {
  const char *what;
  std::function<IppOpStatus(unsigned char *dst)> call; // dst: a 64-byte guard-filled area
  IppOpStatus expected;
};

std::ostream &operator<<(std::ostream &os, const StatusCase &c) { return os << c.what; }

class SetCopyStatus : public ::testing::TestWithParam<StatusCase> {};

TEST_P(SetCopyStatus, ChecksInOrderAndWritesNothingOnFailure) {
  alignas(16) std::array<unsigned char, 64> area;
  area.fill(0xEE);
  const IppOpStatus status = GetParam().call(area.data());
  EXPECT_EQ(status, GetParam().expected);
  if (status < 0) {
    for (unsigned char b : area)
      ASSERT_EQ(b, 0xEE);
  }
}

template <class T> T *as(unsigned char *p) { return reinterpret_cast<T *>(p); }
template <class T> const T *as(const unsigned char *p) { return reinterpret_cast<const T *>(p); }

const unsigned char kSrc[64] = {1, 2, 3, 4};
const double kSrcD[8] = {1, 2, 3, 4, 5, 6, 7, 8};
constexpr tagSIZE kOne{1, 1};

INSTANTIATE_TEST_SUITE_P(
    VectorOperations, SetCopyStatus,
    ::testing::Values(
        StatusCase{"Zero_64f len 0",
                   [](unsigned char *d) { return B::ippsZero_64f(as<double>(d), 0); },
                   ippStsSizeErr},
        StatusCase{"Zero_64f null before len 0",
                   [](unsigned char *) { return B::ippsZero_64f(nullptr, 0); }, ippStsNullPtrErr},
        StatusCase{"Zero_8u negative len", [](unsigned char *d) { return B::ippsZero_8u(d, -1); },
                   ippStsSizeErr},
        StatusCase{"Zero_16s null", [](unsigned char *) { return B::ippsZero_16s(nullptr, 4); },
                   ippStsNullPtrErr},
        StatusCase{"Zero_32s len 0",
                   [](unsigned char *d) { return B::ippsZero_32s(as<int>(d), 0); }, ippStsSizeErr},
        StatusCase{"Zero_64fc null", [](unsigned char *) { return B::ippsZero_64fc(nullptr, 1); },
                   ippStsNullPtrErr},
        StatusCase{"Set_8u null", [](unsigned char *) { return B::ippsSet_8u(1, nullptr, 0); },
                   ippStsNullPtrErr},
        StatusCase{"Set_32s len 0",
                   [](unsigned char *d) { return B::ippsSet_32s(1, as<int>(d), 0); },
                   ippStsSizeErr},
        StatusCase{"Set_64f len 0",
                   [](unsigned char *d) { return B::ippsSet_64f(1, as<double>(d), 0); },
                   ippStsSizeErr},
        StatusCase{"Set_64fc null",
                   [](unsigned char *) {
                     return B::ippsSet_64fc({1, 2}, nullptr, 1);
                   },
                   ippStsNullPtrErr},
        StatusCase{"Set_16s len 0",
                   [](unsigned char *d) { return A::ippsSet_16s(1, as<short>(d), 0); },
                   ippStsSizeErr},
        StatusCase{"Copy_8u null source",
                   [](unsigned char *d) { return B::ippsCopy_8u(nullptr, d, 0); },
                   ippStsNullPtrErr},
        StatusCase{"Copy_8u len 0", [](unsigned char *d) { return B::ippsCopy_8u(kSrc, d, 0); },
                   ippStsSizeErr},
        StatusCase{"Copy_64f null destination",
                   [](unsigned char *) { return B::ippsCopy_64f(kSrcD, nullptr, 2); },
                   ippStsNullPtrErr},
        StatusCase{"Move_64f null source",
                   [](unsigned char *d) { return B::ippsMove_64f(nullptr, as<double>(d), -1); },
                   ippStsNullPtrErr},
        StatusCase{"Move_64f len 0",
                   [](unsigned char *d) { return B::ippsMove_64f(kSrcD, as<double>(d), 0); },
                   ippStsSizeErr},
        StatusCase{"Copy_64f len 1",
                   [](unsigned char *d) { return B::ippsCopy_64f(kSrcD, as<double>(d), 1); },
                   ippStsNoErr}));

INSTANTIATE_TEST_SUITE_P(
    RegionOperations, SetCopyStatus,
    ::testing::Values(
        StatusCase{"Set region null before size and step",
                   [](unsigned char *) {
                     return A::ippiSet_32s_C1R(1, nullptr, 0, {0, 0});
                   },
                   ippStsNullPtrErr},
        StatusCase{"Set region width 0 before step",
                   [](unsigned char *d) {
                     return A::ippiSet_32s_C1R(1, as<int>(d), 0, {0, 1});
                   },
                   ippStsSizeErr},
        StatusCase{"Set region height 0",
                   [](unsigned char *d) {
                     return A::ippiSet_16s_C1R(1, as<short>(d), 4, {1, 0});
                   },
                   ippStsSizeErr},
        StatusCase{"Set region step 0",
                   [](unsigned char *d) { return A::ippiSet_32s_C1R(1, as<int>(d), 0, kOne); },
                   ippStsStepErr},
        StatusCase{"Set region step -4",
                   [](unsigned char *d) { return A::ippiSet_8u_C1R(1, d, -4, kOne); },
                   ippStsStepErr},
        StatusCase{"Copy region null",
                   [](unsigned char *d) { return A::ippiCopy_8u_C1R(nullptr, 1, d, 1, kOne); },
                   ippStsNullPtrErr},
        StatusCase{"Copy region height 0",
                   [](unsigned char *d) {
                     return A::ippiCopy_16s_C1R(as<short>(kSrc), 2, as<short>(d), 2, {1, 0});
                   },
                   ippStsSizeErr},
        StatusCase{"Copy region step 0 is taken",
                   [](unsigned char *d) {
                     return A::ippiCopy_32s_C1R(as<int>(kSrc), 0, as<int>(d), 0, {1, 2});
                   },
                   ippStsNoErr},
        StatusCase{"Copy region negative step is taken",
                   [](unsigned char *d) {
                     return A::ippiCopy_8u_C1R(kSrc + 8, -1, d + 8, -1, {1, 3});
                   },
                   ippStsNoErr}));

// --- results -----------------------------------------------------------------------

TEST(SetCopy, FillsStoreValuesBitForBit) {
  const double specials[] = {-0.0, std::bit_cast<double>(0x7FF4000000000001ull),
                             std::bit_cast<double>(0xFFF8000000000000ull),
                             std::numeric_limits<double>::infinity(),
                             std::numeric_limits<double>::denorm_min()};
  for (double v : specials) {
    std::array<double, 7> d{};
    EXPECT_EQ(B::ippsSet_64f(v, d.data(), 7), ippStsNoErr);
    for (double x : d)
      EXPECT_EQ(std::bit_cast<std::uint64_t>(x), std::bit_cast<std::uint64_t>(v));
    std::array<Ipp64fc, 3> c{};
    EXPECT_EQ(B::ippsSet_64fc({v, -0.0}, c.data(), 3), ippStsNoErr);
    for (const Ipp64fc &x : c) {
      EXPECT_EQ(std::bit_cast<std::uint64_t>(x.re), std::bit_cast<std::uint64_t>(v));
      EXPECT_EQ(std::bit_cast<std::uint64_t>(x.im), std::bit_cast<std::uint64_t>(-0.0));
    }
  }
}

TEST(SetCopy, FillsAndZerosTouchExactlyLenElements) {
  // odd starts and lengths around the word-sized blocks
  for (int offset : {0, 1, 3}) {
    for (int len : {1, 3, 4, 31, 32, 33, 100}) {
      std::vector<unsigned char> b(140, 0x11);
      EXPECT_EQ(B::ippsSet_8u(0xAB, b.data() + offset, len), ippStsNoErr);
      for (int i = 0; i < 140; ++i)
        ASSERT_EQ(b[i], i >= offset && i < offset + len ? 0xAB : 0x11)
            << offset << " " << len << " " << i;
      EXPECT_EQ(B::ippsZero_8u(b.data() + offset, len), ippStsNoErr);
      for (int i = 0; i < 140; ++i)
        ASSERT_EQ(b[i], i >= offset && i < offset + len ? 0 : 0x11);
    }
  }
  std::array<int, 5> i32{9, 9, 9, 9, 9};
  EXPECT_EQ(B::ippsSet_32s(-7, i32.data(), 4), ippStsNoErr);
  EXPECT_EQ(i32, (std::array<int, 5>{-7, -7, -7, -7, 9}));
  EXPECT_EQ(B::ippsZero_32s(i32.data() + 1, 3), ippStsNoErr);
  EXPECT_EQ(i32, (std::array<int, 5>{-7, 0, 0, 0, 9}));
  std::array<short, 4> i16{5, 5, 5, 5};
  EXPECT_EQ(A::ippsSet_16s(-32768, i16.data(), 3), ippStsNoErr);
  EXPECT_EQ(i16, (std::array<short, 4>{-32768, -32768, -32768, 5}));
  EXPECT_EQ(B::ippsZero_16s(i16.data(), 2), ippStsNoErr);
  EXPECT_EQ(i16, (std::array<short, 4>{0, 0, -32768, 5}));
  std::array<double, 3> d{-1.0, -1.0, -1.0};
  EXPECT_EQ(B::ippsZero_64f(d.data(), 2), ippStsNoErr);
  EXPECT_EQ(std::bit_cast<std::uint64_t>(d[0]), 0u); // +0.0, all bits clear
  EXPECT_EQ(d[2], -1.0);
  std::array<Ipp64fc, 2> c{{{1, 2}, {3, 4}}};
  EXPECT_EQ(B::ippsZero_64fc(c.data(), 1), ippStsNoErr);
  EXPECT_EQ(c[0].re, 0.0);
  EXPECT_EQ(c[0].im, 0.0);
  EXPECT_EQ(c[1].im, 4.0);
}

TEST(SetCopy, CopiesCopyLenElements) {
  std::vector<unsigned char> src(77), dst(80, 0);
  for (int i = 0; i < 77; ++i)
    src[i] = static_cast<unsigned char>(i * 7 + 1);
  EXPECT_EQ(B::ippsCopy_8u(src.data(), dst.data() + 1, 77), ippStsNoErr);
  EXPECT_EQ(dst[0], 0);
  EXPECT_EQ(std::memcmp(dst.data() + 1, src.data(), 77), 0);
  EXPECT_EQ(dst[78], 0);
  const std::array<double, 5> s{1.5, -0.0, 3.0, 4.25, -7.0};
  std::array<double, 6> d{};
  EXPECT_EQ(B::ippsCopy_64f(s.data(), d.data(), 5), ippStsNoErr);
  EXPECT_EQ(std::memcmp(s.data(), d.data(), sizeof s), 0);
  EXPECT_EQ(d[5], 0.0);
}

TEST(SetCopy, MoveToTheSameAddressLeavesTheData) {
  std::array<double, 3> v{1, 2, 3};
  EXPECT_EQ(B::ippsMove_64f(v.data(), v.data(), 3), ippStsNoErr);
  EXPECT_EQ(v, (std::array<double, 3>{1, 2, 3}));
}

TEST(RegionCopy, GathersTheLeftChannelOfInterleavedStereo) {
  const std::array<short, 8> stereo{10, -10, 20, -20, 30, -30, 40, -40};
  std::array<short, 5> left{};
  EXPECT_EQ(A::ippiCopy_16s_C1R(stereo.data(), 4, left.data(), 2, {1, 4}), ippStsNoErr);
  EXPECT_EQ(left, (std::array<short, 5>{10, 20, 30, 40, 0}));
}

TEST(RegionCopy, StepZeroCopiesTheSameRowAgain) {
  const std::array<int, 2> row{5, 6};
  std::array<int, 6> dst{};
  EXPECT_EQ(A::ippiCopy_32s_C1R(row.data(), 0, dst.data(), 8, {2, 3}), ippStsNoErr);
  EXPECT_EQ(dst, (std::array<int, 6>{5, 6, 5, 6, 5, 6}));
}

TEST(RegionCopy, OnlyWidthElementsOfEachRowAreTouched) {
  std::array<unsigned char, 12> src{}, dst{};
  for (int i = 0; i < 12; ++i)
    src[i] = static_cast<unsigned char>(i + 1);
  dst.fill(0xEE);
  EXPECT_EQ(A::ippiCopy_8u_C1R(src.data(), 4, dst.data(), 4, {3, 3}), ippStsNoErr);
  EXPECT_EQ(dst, (std::array<unsigned char, 12>{1, 2, 3, 0xEE, 5, 6, 7, 0xEE, 9, 10, 11, 0xEE}));
}

TEST(RegionSet, FillsTheRegionThroughUnalignedSteps) {
  // a step of 3 bytes puts every 16-bit row at an odd address
  std::array<unsigned char, 16> b{};
  b.fill(0);
  const short v = 0x1234;
  EXPECT_EQ(A::ippiSet_16s_C1R(v, reinterpret_cast<short *>(b.data() + 1), 3, {1, 4}), ippStsNoErr);
  for (int row = 0; row < 4; ++row) {
    short got;
    std::memcpy(&got, b.data() + 1 + 3 * row, 2);
    EXPECT_EQ(got, v);
  }
  EXPECT_EQ(b[0], 0);
  EXPECT_EQ(b[2], 0x12); // row 0's high byte
  EXPECT_EQ(b[3], 0);    // nothing between rows
  EXPECT_EQ(b[13], 0);

  std::array<int, 8> ints{};
  EXPECT_EQ(A::ippiSet_32s_C1R(-1, ints.data(), 16, {2, 2}), ippStsNoErr);
  EXPECT_EQ(ints, (std::array<int, 8>{-1, -1, 0, 0, -1, -1, 0, 0}));
  std::array<unsigned char, 6> bytes{};
  EXPECT_EQ(A::ippiSet_8u_C1R(7, bytes.data(), 2, {1, 3}), ippStsNoErr);
  EXPECT_EQ(bytes, (std::array<unsigned char, 6>{7, 0, 7, 0, 7, 0}));
}

} // namespace
