// The signal unit's copy and zero primitives: exactly the n destination bytes at every
// alignment, and the stores each class chooses on both sides of its byte limits (code 5:
// streaming copies from 8192 bytes, page-wise from 16384, streaming zero fills from
// 20480; the 16-byte-register class by the cache size, never on another vendor's part).
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "framework/dispatch/Slbcbbasicdispatcher.h"
#include "kernels/basic/BasicKernels.h"
#include "kernels/signal/SignalCorrConv.h"
#include "kernels/signal/SignalKernels.h"
#include "tests/kernels/basic/FakeCpuid.h"
#include "tests/support/RandomVectors.h"

namespace {

namespace ks = kernels::signal;
namespace kb = kernels::basic;

constexpr unsigned char kGuard = 0xA5;

using CopyFn = void *(*)(const void *, void *, std::size_t) noexcept;
using ZeroFn = void *(*)(void *, std::size_t) noexcept;

// n bytes copied or zeroed at dst offset dstAt and src offset srcAt (both 0..15 past a
// 16-byte boundary); the 32 bytes on each side stay as they were.
TEST(SignalCopyZero, EveryPrimitiveWritesExactlyItsBytesAtEveryAlignment) {
  const struct {
    const char *name;
    CopyFn fn;
  } copies[] = {{"Copy_Sse2", ks::sse2::ownsCopy_8u_Sse2},
                {"Copy_Sse", ks::sse::ownsCopy_8u_Sse},
                {"CopyNT_Sse", ks::sse::ownsCopyNT_8u_Sse},
                {"CopyLarge_Sse", ks::sse::ownsCopyLarge_8u_Sse},
                {"CopyBytes", ks::sse::CopyBytes}};
  const struct {
    const char *name;
    ZeroFn fn;
  } zeros[] = {{"Zero_Sse2", ks::sse2::ownsZero_8u_Sse2},
               {"Zero_Sse", ks::sse::ownsZero_8u_Sse},
               {"ZeroNT_Sse", ks::sse::ownsZeroNT_8u_Sse},
               {"ZeroBytes", ks::sse::ZeroBytes}};
  const std::size_t sizes[] = {1, 3, 15, 16, 63, 64, 65, 4097, 8191, 8192, 16384, 20480, 45000};
  for (std::size_t n : sizes) {
    const auto src =
        test_support::RandomVector<unsigned char>(n + 16, static_cast<unsigned>(n), 0, 255);
    for (std::size_t dstAt : {0, 1, 8, 13}) {
      for (std::size_t srcAt : {0, 4, 7}) {
        const std::string where = " n " + std::to_string(n) + " dst+" + std::to_string(dstAt) +
                                  " src+" + std::to_string(srcAt);
        for (const auto &c : copies) {
          alignas(16) static unsigned char buf[64 + 16 + 45000 + 64];
          std::memset(buf, kGuard, sizeof buf);
          unsigned char *dst = buf + 32 + dstAt;
          ASSERT_EQ(c.fn(src.data() + srcAt, dst, n), dst);
          ASSERT_EQ(std::memcmp(dst, src.data() + srcAt, n), 0) << c.name << where;
          for (std::size_t i = 0; i < 32 + dstAt; ++i)
            ASSERT_EQ(buf[i], kGuard) << c.name << where;
          for (std::size_t i = 32 + dstAt + n; i < 32 + dstAt + n + 32; ++i)
            ASSERT_EQ(buf[i], kGuard) << c.name << where;
        }
        if (srcAt != 0)
          continue;
        for (const auto &z : zeros) {
          alignas(16) static unsigned char buf[64 + 16 + 45000 + 64];
          std::memset(buf, kGuard, sizeof buf);
          unsigned char *dst = buf + 32 + dstAt;
          ASSERT_EQ(z.fn(dst, n), dst);
          for (std::size_t i = 0; i < sizeof buf; ++i) {
            const bool inside = i >= 32 + dstAt && i < 32 + dstAt + n;
            ASSERT_EQ(buf[i], inside ? 0 : kGuard) << z.name << where << " byte " << i;
          }
        }
      }
    }
  }
}

// Code 5's copies through the unit's operations: below 8192 bytes ordinary stores, up to
// 16383 streaming, from 16384 page by page; the bytes are the generic's either way.
TEST(SignalCopyZero, Code5CopiesSwitchAt8192And16384Bytes) {
  struct Row {
    int len;
    bool complex;
    int which; // 0 small, 1 streaming, 2 large
  };
  const Row rows[] = {{511, true, 0},   {512, true, 1},   {1023, true, 1},   {1024, true, 2},
                      {4095, false, 0}, {4096, false, 1}, {8191, false, 1},  {8192, false, 2},
                      {2048, true, 2},  {1, false, 0},    {50000, false, 2}, {1100, true, 2}};
  for (const Row &r : rows) {
    const ks::SignalCopyCounters before = ks::ReadSignalCopyCounters();
    if (r.complex) {
      const auto src = test_support::RandomVector<double>(2 * static_cast<std::size_t>(r.len), 3);
      std::vector<Ipp64fc> dst(static_cast<std::size_t>(r.len) + 1, Ipp64fc{7, 7}), want = dst;
      const auto *s = reinterpret_cast<const Ipp64fc *>(src.data());
      ASSERT_EQ(ks::sse::ippsCopy_64fc(s, dst.data(), r.len), ippStsNoErr);
      ASSERT_EQ(Slbcbbasicdispatcher::generic::ippsCopy_64fc(s, want.data(), r.len), ippStsNoErr);
      EXPECT_EQ(std::memcmp(dst.data(), want.data(), dst.size() * 16), 0) << r.len;
    } else {
      const auto src =
          test_support::RandomVector<short>(static_cast<std::size_t>(r.len), 4, -30000, 30000);
      std::vector<short> dst(static_cast<std::size_t>(r.len) + 3, 7), want = dst;
      ASSERT_EQ(ks::sse::ippsCopy_16s(src.data(), dst.data() + 1, r.len), ippStsNoErr);
      ASSERT_EQ(Slbcbbasicdispatcher::generic::ippsCopy_16s(src.data(), want.data() + 1, r.len),
                ippStsNoErr);
      EXPECT_EQ(dst, want) << r.len;
    }
    const ks::SignalCopyCounters after = ks::ReadSignalCopyCounters();
    EXPECT_EQ(after.small - before.small, r.which == 0 ? 1u : 0u) << r.len;
    EXPECT_EQ(after.nonTemporal - before.nonTemporal, r.which == 1 ? 1u : 0u) << r.len;
    EXPECT_EQ(after.large - before.large, r.which == 2 ? 1u : 0u) << r.len;
  }
  short s[2] = {1, 2}, d[2] = {7, 7};
  EXPECT_EQ(ks::sse::ippsCopy_16s(nullptr, d, 0), ippStsNullPtrErr);
  EXPECT_EQ(ks::sse::ippsCopy_16s(s, d, 0), ippStsSizeErr);
  EXPECT_EQ(d[0], 7);
}

// A copy whose ranges partly overlap runs element by element, ascending, as the generic.
TEST(SignalCopyZero, PartlyOverlappingCopiesMatchTheGeneric) {
  for (int len : {3, 600, 1500}) {
    std::vector<Ipp64fc> a(static_cast<std::size_t>(len) + 2), b;
    for (std::size_t i = 0; i < a.size(); ++i)
      a[i] = {static_cast<double>(i), -static_cast<double>(i)};
    b = a;
    std::vector<Ipp64fc> c = a;
    ASSERT_EQ(ks::sse::ippsCopy_64fc(a.data(), a.data() + 1, len), ippStsNoErr);
    ASSERT_EQ(ks::sse2::ippsCopy_64fc(c.data(), c.data() + 1, len), ippStsNoErr);
    ASSERT_EQ(Slbcbbasicdispatcher::generic::ippsCopy_64fc(b.data(), b.data() + 1, len),
              ippStsNoErr);
    EXPECT_EQ(std::memcmp(a.data(), b.data(), a.size() * 16), 0) << len;
    EXPECT_EQ(std::memcmp(c.data(), b.data(), c.size() * 16), 0) << len;
  }
}

class SignalCacheSized : public ::testing::Test {
protected:
  void TearDown() override { kb::SetCpuidReaderForTesting(nullptr); }
};

// Code 5 zero fills stream from 20480 bytes; the 16-byte-register copy and zero by the
// cache size (a 256 KB cache, one core): zero fills above 256 KB, copies from half the
// cache above 128 KB; never on a processor of another vendor.
TEST_F(SignalCacheSized, StreamingStartsAtEachThreshold) {
  using kernels_basic_test::FakeCpuid;
  constexpr std::uint32_t k256K = 0x4201;
  struct Row {
    const char *what;
    bool intel;
    int op; // 0 code-5 zero, 1 sse2 zero, 2 sse2 copy
    std::size_t n;
    bool streams;
  };
  const Row rows[] = {
      {"code-5 zero below 20480", true, 0, 20479, false},
      {"code-5 zero from 20480", true, 0, 20480, true},
      {"16-byte zero of 256 KB", true, 1, 262144, false},
      {"16-byte zero above 256 KB", true, 1, 262145, true},
      {"16-byte copy of 128 KB", true, 2, 131072, false},
      {"16-byte copy above 128 KB", true, 2, 131073, true},
      {"other vendor's zero", false, 1, 300000, false},
      {"other vendor's copy", false, 2, 300000, false},
  };
  for (const Row &r : rows) {
    const FakeCpuid fake(r.intel, k256K, 0, 1);
    kb::SetCpuidReaderForTesting(&fake);
    std::vector<unsigned char> dst(r.n + 8, kGuard);
    const auto src = test_support::RandomVector<unsigned char>(r.n, 9, 1, 255);
    const std::uint64_t before = kb::ReadBlockCounters().nonTemporal;
    switch (r.op) {
    case 0:
      ks::sse::ZeroBytes(dst.data() + 3, r.n);
      break;
    case 1:
      ks::sse2::ownsZero_8u_Sse2(dst.data() + 3, r.n);
      break;
    default:
      ks::sse2::ownsCopy_8u_Sse2(src.data(), dst.data() + 3, r.n);
      break;
    }
    EXPECT_EQ(kb::ReadBlockCounters().nonTemporal - before, r.streams ? 1u : 0u) << r.what;
    for (std::size_t i = 0; i < r.n; ++i)
      ASSERT_EQ(dst[i + 3], r.op == 2 ? src[i] : 0) << r.what;
    EXPECT_EQ(dst[2], kGuard);
    EXPECT_EQ(dst[r.n + 3], kGuard);
    kb::SetCpuidReaderForTesting(nullptr);
  }
}

} // namespace
