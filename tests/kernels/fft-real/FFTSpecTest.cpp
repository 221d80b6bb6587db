// Set-up, size query and release of the specification records; statuses of the
// transforms; every failure path releases what it took and writes nothing.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "kernels/fft-real/FFTAlloc.h"
#include "kernels/fft-real/FFTReal64.h"

using namespace kernels::fft_real;

namespace {

// Checks on leaving that the test left no block of the engine behind and disarms the
// failure seam.
class FFTSpecFixture : public ::testing::Test {
protected:
  void SetUp() override { live_ = fftLiveBlocks(); }
  void TearDown() override {
    fftFailAfter(-1);
    EXPECT_EQ(fftLiveBlocks(), live_);
  }
  long live_ = 0;
};

using FFTSpecSetUp = FFTSpecFixture;

TEST_F(FFTSpecSetUp, ArgumentsAreTestedBeforeAnythingIsAllocated) {
  const long requests = fftAllocRequests();
  EXPECT_EQ(ippsFFTInitAlloc_R_64f(nullptr, 31, 2, 0), -8);
  EXPECT_EQ(ippsFFTInitAlloc_C_64fc(nullptr, 4, 2, 0), -8);
  FFTSpec_R_64f *r = nullptr;
  FFTSpec_C_64fc *c = nullptr;
  EXPECT_EQ(ippsFFTInitAlloc_R_64f(&r, 31, 2, 0), -15);
  EXPECT_EQ(ippsFFTInitAlloc_C_64fc(&c, -1, 2, 0), -15);
  EXPECT_EQ(fftAllocRequests(), requests);
  EXPECT_EQ(r, nullptr);
  EXPECT_EQ(c, nullptr);
}

TEST_F(FFTSpecSetUp, AFlagOutsideItsTableIsRejectedAndTheRecordReleased) {
  for (int flag : {0, 3, 5, 16, -1}) {
    FFTSpec_R_64f *r = nullptr;
    FFTSpec_C_64fc *c = nullptr;
    EXPECT_EQ(ippsFFTInitAlloc_R_64f(&r, 5, flag, 0), -16) << flag;
    EXPECT_EQ(ippsFFTInitAlloc_C_64fc(&c, 12, flag, 0), -16) << flag;
    EXPECT_EQ(r, nullptr);
    EXPECT_EQ(c, nullptr);
  }
}

TEST_F(FFTSpecSetUp, TheRecordIsAllocatedBeforeTheFlagIsTested) {
  FFTSpec_R_64f *const sentinel = reinterpret_cast<FFTSpec_R_64f *>(std::uintptr_t{0x1234560});
  FFTSpec_R_64f *r = sentinel;
  fftFailAfter(0);
  EXPECT_EQ(ippsFFTInitAlloc_R_64f(&r, 5, 3, 0), -9);
  EXPECT_EQ(r, sentinel);
}

struct FlagCase {
  int flag;
  int fwd, inv;
  double factorOrder0, factorOrder3;
};

class FFTSpecFlags : public FFTSpecFixture, public ::testing::WithParamInterface<FlagCase> {};

// The fields every record of orders 0 to 3 holds: flags and factor, no table, no work.
void expectSmallRecord(const FFTSpec_64 *s, std::int32_t id, int order, const FlagCase &fc) {
  EXPECT_EQ(s->id, id);
  EXPECT_EQ(s->order, order);
  EXPECT_EQ(s->hint, 2);
  EXPECT_EQ(s->owned, 1);
  EXPECT_EQ(s->fwdScaleFlag, fc.fwd);
  EXPECT_EQ(s->invScaleFlag, fc.inv);
  EXPECT_EQ(s->scaleFactor, order == 0 ? fc.factorOrder0 : fc.factorOrder3);
  EXPECT_EQ(s->workSize, 0);
  EXPECT_EQ(s->bitRevTable, nullptr);
  EXPECT_EQ(s->twiddleTable, nullptr);
  EXPECT_EQ(s->recombFwdTable, nullptr);
  EXPECT_EQ(s->recombInvTable, nullptr);
}

TEST_P(FFTSpecFlags, FlagSetsTheScaleFlagsAndFactor) {
  const FlagCase &fc = GetParam();
  for (int order : {0, 3}) {
    SCOPED_TRACE(::testing::Message() << "order " << order);
    FFTSpec_C_64fc *c = nullptr;
    FFTSpec_R_64f *r = nullptr;
    ASSERT_EQ(ippsFFTInitAlloc_C_64fc(&c, order, fc.flag, 2), 0);
    ASSERT_EQ(ippsFFTInitAlloc_R_64f(&r, order, fc.flag, 2), 0);
    expectSmallRecord(c, 7, order, fc);
    expectSmallRecord(r, 9, order, fc);
    int sc = -1, sr = -1;
    EXPECT_EQ(ippsFFTGetBufSize_C_64fc(c, &sc), 0);
    EXPECT_EQ(ippsFFTGetBufSize_R_64f(r, &sr), 0);
    EXPECT_EQ(sc, 0);
    EXPECT_EQ(sr, 0);
    EXPECT_EQ(ippsFFTFree_C_64fc(c), 0);
    EXPECT_EQ(ippsFFTFree_R_64f(r), 0);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Flags, FFTSpecFlags,
    ::testing::Values(FlagCase{8, 0, 0, 0.0, 0.0}, FlagCase{1, 1, 0, 1.0, 0.125},
                      FlagCase{2, 0, 1, 1.0, 0.125},
                      FlagCase{4, 1, 1, 1.0, static_cast<double>(1.0L / std::sqrt(8.0))}));

TEST_F(FFTSpecSetUp, RealOrder4HoldsTheTablesOfComplexOrder3) {
  FFTSpec_R_64f *r = nullptr;
  ASSERT_EQ(ippsFFTInitAlloc_R_64f(&r, 4, 2, 0), 0);
  EXPECT_EQ(r->id, 9);
  ASSERT_NE(r->bitRevTable, nullptr);
  EXPECT_EQ(r->bitRevTable[0], 0);
  EXPECT_EQ(r->bitRevTable[1], 4);
  EXPECT_EQ(r->bitRevTable[2], 0);
  ASSERT_NE(r->twiddleTable, nullptr);
  ASSERT_NE(r->recombFwdTable, nullptr);
  ASSERT_NE(r->recombInvTable, nullptr);
  EXPECT_EQ(r->recombFwdTable[0].re, 0.5);
  EXPECT_EQ(r->recombInvTable[0].re, 1.0);
  EXPECT_EQ(r->blockedTable, nullptr);
  EXPECT_EQ(r->levelTwiddle[0], nullptr);
  int size = -1;
  EXPECT_EQ(ippsFFTGetBufSize_R_64f(r, &size), 0);
  EXPECT_EQ(size, 0);
  EXPECT_EQ(ippsFFTFree_R_64f(r), 0);
}

struct WorkCase {
  int k; // complex order
  int workSize;
  int levels;
  bool blocked;
};

class FFTSpecWork : public FFTSpecFixture, public ::testing::WithParamInterface<WorkCase> {};

TEST_P(FFTSpecWork, WorkSizeAndLargeOrderTablesByOrder) {
  const WorkCase &w = GetParam();
  FFTSpec_C_64fc *c = nullptr;
  FFTSpec_R_64f *r = nullptr;
  ASSERT_EQ(ippsFFTInitAlloc_C_64fc(&c, w.k, 2, 0), 0);
  ASSERT_EQ(ippsFFTInitAlloc_R_64f(&r, w.k + 1, 2, 0), 0);
  for (const FFTSpec_64 *s :
       {static_cast<const FFTSpec_64 *>(c), static_cast<const FFTSpec_64 *>(r)}) {
    EXPECT_EQ(s->workSize, w.workSize);
    EXPECT_EQ(s->blockedTable != nullptr, w.blocked);
    EXPECT_EQ(s->blockedTable2, nullptr);
    for (int d = 0; d < 3; ++d) {
      EXPECT_EQ(s->levelTwiddle[d] != nullptr, d < w.levels) << d;
      EXPECT_EQ(s->levelColumn[d] != nullptr, d < w.levels) << d;
    }
  }
  int sc = -1, sr = -1;
  EXPECT_EQ(ippsFFTGetBufSize_C_64fc(c, &sc), 0);
  EXPECT_EQ(ippsFFTGetBufSize_R_64f(r, &sr), 0);
  EXPECT_EQ(sc, w.workSize ? w.workSize + 16 : 0);
  EXPECT_EQ(sr, sc);
  EXPECT_EQ(r->recombFwdTable != nullptr, true);
  EXPECT_EQ(ippsFFTFree_C_64fc(c), 0);
  EXPECT_EQ(ippsFFTFree_R_64f(r), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Orders, FFTSpecWork,
    ::testing::Values(WorkCase{4, 0, 0, false}, WorkCase{9, 0, 0, false}, WorkCase{10, 0, 0, true},
                      WorkCase{11, 0, 0, true}, WorkCase{12, 1024, 1, false},
                      WorkCase{13, 2048, 1, false}, WorkCase{14, 4096, 1, false},
                      WorkCase{15, 8192, 1, false}, WorkCase{16, 8192, 1, false},
                      WorkCase{17, 16384, 1, false}, WorkCase{18, 32768, 1, false},
                      WorkCase{19, 32768, 1, true}, WorkCase{20, 32768, 1, true},
                      WorkCase{21, 16384, 2, false}));

TEST_F(FFTSpecSetUp, SizeQueryAndReleaseTestOnlyPointersAndTheId) {
  FFTSpec_C_64fc *c = nullptr;
  FFTSpec_R_64f *r = nullptr;
  ASSERT_EQ(ippsFFTInitAlloc_C_64fc(&c, 12, 2, 0), 0);
  ASSERT_EQ(ippsFFTInitAlloc_R_64f(&r, 13, 2, 0), 0);
  int size = 5;
  EXPECT_EQ(ippsFFTGetBufSize_C_64fc(nullptr, &size), -8);
  EXPECT_EQ(ippsFFTGetBufSize_C_64fc(c, nullptr), -8);
  EXPECT_EQ(ippsFFTGetBufSize_R_64f(reinterpret_cast<const FFTSpec_R_64f *>(c), &size), -17);
  EXPECT_EQ(ippsFFTGetBufSize_C_64fc(reinterpret_cast<const FFTSpec_C_64fc *>(r), &size), -17);
  EXPECT_EQ(size, 5);
  EXPECT_EQ(ippsFFTFree_C_64fc(nullptr), -8);
  EXPECT_EQ(ippsFFTFree_R_64f(nullptr), -8);
  EXPECT_EQ(ippsFFTFree_R_64f(reinterpret_cast<FFTSpec_R_64f *>(c)), -17);
  EXPECT_EQ(ippsFFTFree_C_64fc(reinterpret_cast<FFTSpec_C_64fc *>(r)), -17);
  EXPECT_EQ(c->id, 7);
  EXPECT_EQ(r->id, 9);
  EXPECT_EQ(ippsFFTFree_C_64fc(c), 0);
  EXPECT_EQ(ippsFFTFree_R_64f(r), 0);
}

TEST_F(FFTSpecSetUp, ARecordThatOwnsNothingIsOnlyMarkedReleased) {
  FFTSpec_R_64f record{};
  record.id = 9;
  record.owned = 0;
  EXPECT_EQ(ippsFFTFree_R_64f(&record), 0);
  EXPECT_EQ(record.id, 0);
  double x[4] = {1, 2, 3, 4};
  EXPECT_EQ(ippsFFTFwd_RToPerm_64f(x, x, &record, nullptr), -17);
  EXPECT_EQ(ippsFFTFree_R_64f(&record), -17);
}

// Fails the k-th allocation of a set-up for every k until one succeeds: each failure
// returns -9, leaves the caller's pointer as it was and leaks nothing.
template <class Spec>
void failEveryAllocation(int (*init)(Spec **, int, int, int), int (*release)(Spec *), int order) {
  const long live = fftLiveBlocks();
  Spec *const sentinel = reinterpret_cast<Spec *>(std::uintptr_t{0x1234560});
  int failures = 0;
  for (int k = 0;; ++k) {
    Spec *spec = sentinel;
    fftFailAfter(k);
    const int status = init(&spec, order, 4, 0);
    fftFailAfter(-1);
    if (status == 0) {
      EXPECT_EQ(release(spec), 0);
      break;
    }
    ++failures;
    ASSERT_EQ(status, -9) << "order " << order << ", allocation " << k;
    EXPECT_EQ(spec, sentinel);
    EXPECT_EQ(fftLiveBlocks(), live) << "order " << order << ", allocation " << k;
    ASSERT_LT(k, 20);
  }
  EXPECT_GE(failures, 1);
}

class FFTSpecFailure : public FFTSpecFixture, public ::testing::WithParamInterface<int> {};

TEST_P(FFTSpecFailure, FailingAnyAllocationOfTheSetUpReleasesEverything) {
  failEveryAllocation(ippsFFTInitAlloc_C_64fc, ippsFFTFree_C_64fc, GetParam());
  failEveryAllocation(ippsFFTInitAlloc_R_64f, ippsFFTFree_R_64f, GetParam());
}

INSTANTIATE_TEST_SUITE_P(Orders, FFTSpecFailure,
                         ::testing::Values(0, 1, 3, 4, 5, 9, 10, 11, 12, 13, 19, 20, 21));

TEST_F(FFTSpecSetUp, ByteCountsBeyondTheAllocatorFailWithoutWrapping) {
  // The sine table of order 30 alone needs 2^31 + 8 bytes.
  FFTSpec_C_64fc *c = nullptr;
  FFTSpec_R_64f *r = nullptr;
  EXPECT_EQ(ippsFFTInitAlloc_C_64fc(&c, 30, 2, 0), -9);
  EXPECT_EQ(ippsFFTInitAlloc_R_64f(&r, 30, 2, 0), -9);
  EXPECT_EQ(c, nullptr);
  EXPECT_EQ(r, nullptr);
  EXPECT_EQ(fftMalloc(std::int64_t{1} << 31), nullptr);
  EXPECT_EQ(fftMalloc(-16), nullptr);
}

using FFTTransformStatus = FFTSpecFixture;

TEST_F(FFTTransformStatus, ChecksComeInOrderAndWriteNothing) {
  FFTSpec_C_64fc *c = nullptr;
  FFTSpec_R_64f *r = nullptr;
  ASSERT_EQ(ippsFFTInitAlloc_C_64fc(&c, 5, 2, 0), 0);
  ASSERT_EQ(ippsFFTInitAlloc_R_64f(&r, 5, 2, 0), 0);
  std::vector<double> src(64, 1.0), dst(64, 7.0);
  auto *cs = reinterpret_cast<const Ipp64fc *>(src.data());
  auto *cd = reinterpret_cast<Ipp64fc *>(dst.data());
  auto *wrongC = reinterpret_cast<const FFTSpec_C_64fc *>(r);
  auto *wrongR = reinterpret_cast<const FFTSpec_R_64f *>(c);
  for (auto op : {ippsFFTFwd_CToC_64fc, ippsFFTInv_CToC_64fc}) {
    EXPECT_EQ(op(nullptr, nullptr, nullptr, nullptr), -8);
    EXPECT_EQ(op(nullptr, nullptr, wrongC, nullptr), -17);
    EXPECT_EQ(op(cs, cd, wrongC, nullptr), -17);
    EXPECT_EQ(op(nullptr, cd, c, nullptr), -8);
    EXPECT_EQ(op(cs, nullptr, c, nullptr), -8);
  }
  for (auto op : {ippsFFTFwd_RToPerm_64f, ippsFFTInv_PermToR_64f, ippsFFTFwd_RToPack_64f,
                  ippsFFTInv_PackToR_64f}) {
    EXPECT_EQ(op(nullptr, nullptr, nullptr, nullptr), -8);
    EXPECT_EQ(op(nullptr, nullptr, wrongR, nullptr), -17);
    EXPECT_EQ(op(src.data(), dst.data(), wrongR, nullptr), -17);
    EXPECT_EQ(op(nullptr, dst.data(), r, nullptr), -8);
    EXPECT_EQ(op(src.data(), nullptr, r, nullptr), -8);
  }
  EXPECT_EQ(dst, std::vector<double>(64, 7.0));
  ippsFFTFree_C_64fc(c);
  ippsFFTFree_R_64f(r);
}

TEST_F(FFTTransformStatus, AFailedWorkAreaAllocationLeavesTheDestinationUnchanged) {
  FFTSpec_C_64fc *c = nullptr;
  FFTSpec_R_64f *r = nullptr;
  ASSERT_EQ(ippsFFTInitAlloc_C_64fc(&c, 12, 2, 0), 0);
  ASSERT_EQ(ippsFFTInitAlloc_R_64f(&r, 13, 2, 0), 0);
  std::vector<double> src(8192, 1.0), dst(8192, 7.0);
  auto *cs = reinterpret_cast<const Ipp64fc *>(src.data());
  auto *cd = reinterpret_cast<Ipp64fc *>(dst.data());
  fftFailAfter(0);
  EXPECT_EQ(ippsFFTFwd_CToC_64fc(cs, cd, c, nullptr), -9);
  fftFailAfter(0);
  EXPECT_EQ(ippsFFTInv_CToC_64fc(cs, cd, c, nullptr), -9);
  for (auto op : {ippsFFTFwd_RToPerm_64f, ippsFFTInv_PermToR_64f, ippsFFTFwd_RToPack_64f,
                  ippsFFTInv_PackToR_64f}) {
    fftFailAfter(0);
    EXPECT_EQ(op(src.data(), dst.data(), r, nullptr), -9);
  }
  fftFailAfter(-1);
  EXPECT_EQ(dst, std::vector<double>(8192, 7.0));
  // With a caller's buffer nothing is allocated.
  int size = 0;
  ASSERT_EQ(ippsFFTGetBufSize_R_64f(r, &size), 0);
  std::vector<std::uint8_t> buffer(size);
  fftFailAfter(0);
  EXPECT_EQ(ippsFFTFwd_RToPerm_64f(src.data(), dst.data(), r, buffer.data()), 0);
  fftFailAfter(-1);
  ippsFFTFree_C_64fc(c);
  ippsFFTFree_R_64f(r);
}

TEST_F(FFTTransformStatus, SmallAndBlockedOrdersNeverTouchTheBuffer) {
  for (int order : {0, 3, 9, 10, 11}) {
    FFTSpec_C_64fc *c = nullptr;
    ASSERT_EQ(ippsFFTInitAlloc_C_64fc(&c, order, 8, 0), 0);
    std::vector<double> x(2 << order, 0.5);
    std::vector<std::uint8_t> buffer(64, 0xAB);
    auto *p = reinterpret_cast<Ipp64fc *>(x.data());
    const long requests = fftAllocRequests();
    EXPECT_EQ(ippsFFTFwd_CToC_64fc(p, p, c, buffer.data()), 0);
    EXPECT_EQ(ippsFFTInv_CToC_64fc(p, p, c, nullptr), 0);
    EXPECT_EQ(fftAllocRequests(), requests) << order;
    EXPECT_EQ(buffer, std::vector<std::uint8_t>(64, 0xAB)) << order;
    ippsFFTFree_C_64fc(c);
  }
}

TEST_F(FFTTransformStatus, AMisalignedBufferIsUsedFromItsNext16ByteBoundary) {
  FFTSpec_R_64f *r = nullptr;
  ASSERT_EQ(ippsFFTInitAlloc_R_64f(&r, 14, 1, 0), 0);
  int size = 0;
  ASSERT_EQ(ippsFFTGetBufSize_R_64f(r, &size), 0);
  ASSERT_GT(size, 16);
  std::vector<double> x(1 << 14);
  for (std::size_t i = 0; i < x.size(); ++i)
    x[i] = std::sin(0.001 * i * i);
  std::vector<double> expected(x.size());
  ASSERT_EQ(ippsFFTFwd_RToPerm_64f(x.data(), expected.data(), r, nullptr), 0);
  std::vector<std::uint8_t> storage(size + 16);
  for (int offset = 1; offset < 16; offset += 7) {
    std::vector<double> y(x.size());
    // The buffer starts `offset` bytes past a 16-byte boundary and is exactly `size` long.
    auto base = reinterpret_cast<std::uintptr_t>(storage.data());
    auto *buf = reinterpret_cast<std::uint8_t *>((base + 15) / 16 * 16 + offset);
    ASSERT_LE(buf + size, storage.data() + storage.size());
    ASSERT_EQ(ippsFFTFwd_RToPerm_64f(x.data(), y.data(), r, buf), 0);
    EXPECT_EQ(std::memcmp(y.data(), expected.data(), y.size() * sizeof(double)), 0) << offset;
  }
  ippsFFTFree_R_64f(r);
}

} // namespace
