// The fill, zero, copy and move kernels of every processor class against the generic
// variants: the same bytes at every length and address (guards untouched), the same
// statuses on bad arguments, copies safe on overlap, the non-temporal size thresholds on
// both sides, and the floating-point environment left as it was.
#include <climits>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "framework/dispatch/Slbasicdispatcher.h"
#include "kernels/basic/BasicKernels.h"
#include "platform/cpu/FpuControl.h"
#include "tests/kernels/basic/FakeCpuid.h"
#include "tests/support/RandomVectors.h"

namespace {

namespace kb = kernels::basic;
namespace gen = Slbasicdispatcher::generic;
using kernels_basic_test::FakeCpuid;

// One calling shape for every operation: src (copies), dst, len, value bytes (fills).
using Runner = IppOpStatus (*)(const void *src, void *dst, int len, const unsigned char *value);

template <class T, IppOpStatus (*Fn)(T, T *, int)>
IppOpStatus runSet(const void *, void *dst, int len, const unsigned char *value) {
  T v;
  std::memcpy(&v, value, sizeof v);
  return Fn(v, static_cast<T *>(dst), len);
}
template <class T, IppOpStatus (*Fn)(T *, int)>
IppOpStatus runZero(const void *, void *dst, int len, const unsigned char *) {
  return Fn(static_cast<T *>(dst), len);
}
template <class T, IppOpStatus (*Fn)(const T *, T *, int)>
IppOpStatus runCopy(const void *src, void *dst, int len, const unsigned char *) {
  return Fn(static_cast<const T *>(src), static_cast<T *>(dst), len);
}

enum class Kind { Set, Zero, Copy, Move };
enum Variant { Generic, Sse3, Sse2, Sse, kVariants };
const char *const kVariantNames[] = {"generic", "sse3", "sse2", "sse"};

struct OpRow {
  const char *name;
  std::size_t size; // element bytes
  Kind kind;
  Runner run[kVariants];
};

#define SET_ROW(T, op)                                                                             \
  OpRow {                                                                                          \
#op, sizeof(T), Kind::Set, {                                                                   \
      runSet<T, gen::op>, runSet<T, kb::sse2::op>, runSet<T, kb::sse2::op>, runSet<T, kb::sse::op> \
    }                                                                                              \
  }
#define ZERO_ROW(T, op)                                                                            \
  OpRow {                                                                                          \
#op, sizeof(T), Kind::Zero, {                                                                  \
      runZero<T, gen::op>, runZero<T, kb::sse2::op>, runZero<T, kb::sse2::op>,                     \
          runZero<T, kb::sse::op>                                                                  \
    }                                                                                              \
  }

const std::vector<OpRow> &opRows() {
  static const std::vector<OpRow> rows = {
      SET_ROW(unsigned char, ippsSet_8u),
      SET_ROW(int, ippsSet_32s),
      SET_ROW(double, ippsSet_64f),
      SET_ROW(Ipp64fc, ippsSet_64fc),
      ZERO_ROW(unsigned char, ippsZero_8u),
      ZERO_ROW(short, ippsZero_16s),
      ZERO_ROW(int, ippsZero_32s),
      ZERO_ROW(double, ippsZero_64f),
      ZERO_ROW(Ipp64fc, ippsZero_64fc),
      OpRow{"ippsCopy_8u",
            1,
            Kind::Copy,
            {runCopy<unsigned char, gen::ippsCopy_8u>,
             runCopy<unsigned char, kb::sse3::ippsCopy_8u>,
             runCopy<unsigned char, kb::sse2::ippsCopy_8u>,
             runCopy<unsigned char, kb::sse::ippsCopy_8u>}},
      OpRow{"ippsCopy_64f",
            8,
            Kind::Copy,
            {runCopy<double, gen::ippsCopy_64f>, runCopy<double, kb::sse3::ippsCopy_64f>,
             runCopy<double, kb::sse2::ippsCopy_64f>, runCopy<double, kb::sse::ippsCopy_64f>}},
      OpRow{"ippsMove_64f",
            8,
            Kind::Move,
            {runCopy<double, gen::ippsMove_64f>, runCopy<double, kb::sse2::ippsMove_64f>,
             runCopy<double, kb::sse2::ippsMove_64f>, runCopy<double, kb::sse::ippsMove_64f>}},
  };
  return rows;
}

constexpr unsigned char kGuard = 0xA5;
constexpr std::size_t kGuardBytes = 32;

// Fill values with awkward bits: a signalling NaN with a payload, -0.0, a subnormal,
// INT_MIN; complex values mix them.
std::vector<std::vector<unsigned char>> valuesFor(std::size_t size) {
  auto bytesOf = [](const auto &v) {
    std::vector<unsigned char> b(sizeof v);
    std::memcpy(b.data(), &v, sizeof v);
    return b;
  };
  const double snan = std::bit_cast<double>(std::uint64_t{0x7FF0000000000ABCull});
  const double sub = std::numeric_limits<double>::denorm_min();
  switch (size) {
  case 1:
    return {bytesOf(static_cast<unsigned char>(0x5A)), bytesOf(static_cast<unsigned char>(0xFF))};
  case 4:
    return {bytesOf(INT_MIN), bytesOf(0x01020304)};
  case 8:
    return {bytesOf(snan), bytesOf(-0.0), bytesOf(sub)};
  default:
    return {bytesOf(Ipp64fc{snan, -0.0}),
            bytesOf(Ipp64fc{sub, -std::numeric_limits<double>::infinity()})};
  }
}

// Lengths in elements around every block and threshold of the kernels.
std::vector<int> lengthsFor(const OpRow &op) {
  std::vector<int> lens = {1,  2,  3,  4,  5,  7,  8,   15,  16,  17,
                           31, 32, 33, 63, 64, 65, 127, 128, 129, 1000};
  const auto bytes = [&](long b) { return static_cast<int>(b / static_cast<long>(op.size)); };
  // code 5: fills and zeroing switch at 20480 bytes, copies at 8192 and 16384
  for (long b : {20480L, 8192L, 16384L}) {
    lens.push_back(bytes(b) - 1);
    lens.push_back(bytes(b));
    lens.push_back(bytes(b) + 1);
  }
  return lens;
}

std::vector<std::size_t> offsetsFor(int len) {
  if (len <= 1000)
    return {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
  return {0, 1, 4, 8, 13};
}

struct Param {
  std::size_t op;
  Variant variant;
};

std::string paramName(const ::testing::TestParamInfo<Param> &info) {
  return std::string(opRows()[info.param.op].name) + "_" + kVariantNames[info.param.variant];
}

std::vector<Param> allParams() {
  std::vector<Param> ps;
  for (std::size_t i = 0; i < opRows().size(); ++i)
    for (Variant v : {Sse3, Sse2, Sse})
      ps.push_back({i, v});
  return ps;
}

class Kernel : public ::testing::TestWithParam<Param> {
protected:
  const OpRow &op() const { return opRows()[GetParam().op]; }
  Runner run() const { return op().run[GetParam().variant]; }
};

// The bytes the generic variant writes, made on element-aligned memory and moved to the
// same place in a guarded copy of `before`.
std::vector<unsigned char> genericBytes(const OpRow &op, const std::vector<unsigned char> &before,
                                        std::size_t dstAt, std::size_t srcAt, int len,
                                        const unsigned char *value) {
  std::vector<unsigned char> expect = before;
  const std::size_t n = static_cast<std::size_t>(len) * op.size;
  if (op.kind == Kind::Copy || op.kind == Kind::Move) {
    // the generic copy and move are overlap-safe moves of the bytes
    std::vector<std::uint64_t> alignedSrc((n + 7) / 8 + 2), alignedDst((n + 7) / 8 + 2);
    std::memcpy(alignedSrc.data(), before.data() + srcAt, n);
    EXPECT_EQ(op.run[Generic](alignedSrc.data(), alignedDst.data(), len, value), ippStsNoErr);
    std::memcpy(expect.data() + dstAt, alignedDst.data(), n);
  } else {
    std::vector<std::uint64_t> aligned((n + 7) / 8 + 2);
    EXPECT_EQ(op.run[Generic](nullptr, aligned.data(), len, value), ippStsNoErr);
    std::memcpy(expect.data() + dstAt, aligned.data(), n);
  }
  return expect;
}

TEST_P(Kernel, WritesTheGenericBytesAtEveryLengthAndAddress) {
  std::vector<std::vector<unsigned char>> values = {{0}};
  if (op().kind == Kind::Set)
    values = valuesFor(op().size);
  for (const std::vector<unsigned char> &value : values) {
    for (int len : lengthsFor(op())) {
      const std::size_t n = static_cast<std::size_t>(len) * op().size;
      for (std::size_t off : offsetsFor(len)) {
        // [guard][src (copies)][guard][dst][guard], all on a 16-byte boundary + off
        const std::size_t srcAt = kGuardBytes + (off * 7) % 16;
        const std::size_t dstAt = srcAt + n + kGuardBytes + off;
        std::vector<unsigned char> buf(dstAt + n + kGuardBytes, kGuard);
        const std::vector<unsigned char> src =
            test_support::RandomVector<unsigned char>(n, static_cast<unsigned>(len + off), 0, 255);
        std::memcpy(buf.data() + srcAt, src.data(), n);
        const std::vector<unsigned char> expect =
            genericBytes(op(), buf, dstAt, srcAt, len, value.data());
        ASSERT_EQ(run()(buf.data() + srcAt, buf.data() + dstAt, len, value.data()), ippStsNoErr);
        ASSERT_TRUE(buf == expect) << "len " << len << " offset " << off;
      }
    }
  }
}

TEST_P(Kernel, BadArgumentsGiveTheGenericStatusAndWriteNothing) {
  struct Bad {
    bool nullSrc;
    bool nullDst;
    int len;
  };
  const Bad rows[] = {{false, true, 4},       {false, true, 0},  {true, false, 4},
                      {true, true, -1},       {false, false, 0}, {false, false, -1},
                      {false, false, INT_MIN}};
  const std::vector<unsigned char> value(16, 0x11);
  for (const Bad &b : rows) {
    if ((op().kind == Kind::Set || op().kind == Kind::Zero) && b.nullSrc && !b.nullDst)
      continue; // fills have no source: a valid call
    alignas(16) unsigned char srcBuf[64];
    alignas(16) unsigned char genericDst[64];
    alignas(16) unsigned char dstBuf[64];
    std::memset(srcBuf, 0x22, sizeof srcBuf);
    std::memset(genericDst, kGuard, sizeof genericDst);
    std::memset(dstBuf, kGuard, sizeof dstBuf);
    const void *src = b.nullSrc ? nullptr : srcBuf;
    const IppOpStatus want =
        op().run[Generic](src, b.nullDst ? nullptr : genericDst, b.len, value.data());
    EXPECT_NE(want, ippStsNoErr);
    EXPECT_EQ(run()(src, b.nullDst ? nullptr : dstBuf, b.len, value.data()), want)
        << b.nullSrc << b.nullDst << " len " << b.len;
    for (unsigned char c : dstBuf)
      ASSERT_EQ(c, kGuard);
  }
}

// The generic copy is a move; a copy of overlapping ranges must not bring back the
// corruption a forward block copy gives.
class CopyKernel : public Kernel {};

TEST_P(CopyKernel, OverlappingCopiesAndMovesEqualTheGeneric) {
  for (int len : {1, 3, 8, 9, 16, 17, 63, 64, 65, 200, 1100}) {
    const std::size_t n = static_cast<std::size_t>(len) * op().size;
    for (int shift : {-40, -17, -16, -9, -8, -7, -1, 0, 1, 2, 7, 8, 9, 15, 16, 17, 33}) {
      std::vector<unsigned char> buf(n + 2 * kGuardBytes + 80);
      const std::vector<unsigned char> init = test_support::RandomVector<unsigned char>(
          buf.size(), static_cast<unsigned>(len * 97 + shift + 50), 0, 255);
      buf = init;
      const std::size_t srcAt = kGuardBytes + 40;
      const std::size_t dstAt = static_cast<std::size_t>(static_cast<long>(srcAt) + shift);
      std::vector<unsigned char> expect = init;
      std::memmove(expect.data() + dstAt, expect.data() + srcAt, n);
      ASSERT_EQ(run()(buf.data() + srcAt, buf.data() + dstAt, len, nullptr), ippStsNoErr);
      ASSERT_TRUE(buf == expect) << "len " << len << " shift " << shift;
    }
  }
}

// With MXCSR at toward-zero + DAZ + FTZ and the x87 word at chop, every call (failing
// ones too) leaves both as set.
TEST_P(Kernel, LeavesTheFloatingPointControlWordsAsSet) {
  const std::uint32_t mxcsrBefore = cpu::GetMxcsr();
  const std::uint16_t x87Before = cpu::GetX87ControlWord();
  const std::uint32_t mxcsr = 0x1F80u | 0x6000u | 0x8000u | 0x0040u;
  const std::uint16_t x87 = 0x0F7F;
  cpu::LoadMxcsr(mxcsr);
  cpu::LoadX87ControlWord(x87);
  alignas(16) unsigned char src[4096] = {};
  alignas(16) unsigned char dst[4096 + 16];
  const std::vector<unsigned char> value(16, 0x3C);
  const int len = static_cast<int>(sizeof src / op().size);
  for (int l : {len, 1, 0, -1}) {
    run()(src, dst + 3, l, value.data());
    run()(nullptr, dst, l, value.data());
  }
  const std::uint32_t mxcsrAfter = cpu::GetMxcsr();
  const std::uint16_t x87After = cpu::GetX87ControlWord();
  cpu::LoadMxcsr(mxcsrBefore);
  cpu::LoadX87ControlWord(x87Before);
  EXPECT_EQ(mxcsrAfter & ~0x3Fu, mxcsr); // exception flags may be raised, never controls
  EXPECT_EQ(x87After, x87);
}

INSTANTIATE_TEST_SUITE_P(FillZeroCopyMove, Kernel, ::testing::ValuesIn(allParams()), paramName);

std::vector<Param> copyParams() {
  std::vector<Param> ps;
  for (const Param &p : allParams())
    if (opRows()[p.op].kind == Kind::Copy || opRows()[p.op].kind == Kind::Move)
      ps.push_back(p);
  return ps;
}
INSTANTIATE_TEST_SUITE_P(CopyMove, CopyKernel, ::testing::ValuesIn(copyParams()), paramName);

// Non-temporal stores on both sides of each threshold, under made-up processors.
struct ThresholdRow {
  const char *what;
  std::size_t op; // index into opRows()
  Variant variant;
  int len;
  bool intel;
  std::uint32_t leaf2Eax; // cache descriptor in AH, query count 1 in AL
  bool nonTemporal;
};

class Threshold : public ::testing::TestWithParam<ThresholdRow> {
protected:
  void TearDown() override { kb::SetCpuidReaderForTesting(nullptr); }
};

TEST_P(Threshold, NonTemporalOnlyBeyondTheCacheSizeAndTheSameBytes) {
  const ThresholdRow &r = GetParam();
  const FakeCpuid fake(r.intel, r.leaf2Eax, 0, 1);
  kb::SetCpuidReaderForTesting(&fake);
  const OpRow &op = opRows()[r.op];
  const std::size_t n = static_cast<std::size_t>(r.len) * op.size;
  const std::size_t srcAt = 16, dstAt = srcAt + n + 16 + 5;
  std::vector<unsigned char> buf(dstAt + n + 16, kGuard);
  const std::vector<unsigned char> src = test_support::RandomVector<unsigned char>(n, 5, 0, 255);
  std::memcpy(buf.data() + srcAt, src.data(), n);
  const std::vector<unsigned char> value = valuesFor(op.size).front();
  const std::vector<unsigned char> expect =
      genericBytes(op, buf, dstAt, srcAt, r.len, value.data());
  const std::uint64_t before = kb::ReadBlockCounters().nonTemporal;
  ASSERT_EQ(op.run[r.variant](buf.data() + srcAt, buf.data() + dstAt, r.len, value.data()),
            ippStsNoErr);
  EXPECT_EQ(kb::ReadBlockCounters().nonTemporal - before, r.nonTemporal ? 1u : 0u) << r.what;
  EXPECT_TRUE(buf == expect) << r.what;
}

constexpr std::size_t kSet8u = 0, kSet32s = 1, kSet64fc = 3, kZero8u = 4, kZero64f = 7, kCopy8u = 9,
                      kCopy64f = 10;
constexpr std::uint32_t k256K = 0x4201, k8M = 0x4701;
INSTANTIATE_TEST_SUITE_P(
    Sizes, Threshold,
    ::testing::Values(
        ThresholdRow{"16-byte zero of exactly 256 KB stays cached", kZero8u, Sse2, 262144, true,
                     k256K, false},
        ThresholdRow{"16-byte zero above 256 KB and the cache", kZero8u, Sse3, 262145, true, k256K,
                     true},
        ThresholdRow{"16-byte fill of 65536 ints stays cached", kSet32s, Sse2, 65536, true, k256K,
                     false},
        ThresholdRow{"16-byte fill of 65537 ints bypasses", kSet32s, Sse2, 65537, true, k256K,
                     true},
        ThresholdRow{"fill smaller than an 8 MB cache", kSet8u, Sse3, 300000, true, k8M, false},
        ThresholdRow{"other vendors never bypass", kZero8u, Sse2, 300000, false, k256K, false},
        ThresholdRow{"code-5 zero below 20480 bytes", kZero64f, Sse, 2559, true, k256K, false},
        ThresholdRow{"code-5 zero from 20480 bytes", kZero64f, Sse, 2560, true, k256K, true},
        ThresholdRow{"code-5 complex fill below 1280", kSet64fc, Sse, 1279, true, k256K, false},
        ThresholdRow{"code-5 complex fill from 1280", kSet64fc, Sse, 1280, true, k256K, true},
        ThresholdRow{"code-5 copy below 8192 bytes", kCopy8u, Sse, 8191, true, k256K, false},
        ThresholdRow{"code-5 copy from 8192 bytes", kCopy64f, Sse, 1024, true, k256K, true},
        ThresholdRow{"codes 6-9 copy of 128 KB stays cached", kCopy8u, Sse2, 131072, true, k256K,
                     false},
        ThresholdRow{"codes 6-9 copy above 128 KB, half the cache", kCopy8u, Sse2, 131073, true,
                     k256K, true},
        ThresholdRow{"codes 16-17 copy below 512 KB stays cached", kCopy8u, Sse3, 524287, true,
                     k256K, false},
        ThresholdRow{"codes 16-17 copy from 512 KB", kCopy8u, Sse3, 524288, true, k256K, true},
        ThresholdRow{"copy below half an 8 MB cache", kCopy8u, Sse3, 1048576, true, k8M, false}));

} // namespace
