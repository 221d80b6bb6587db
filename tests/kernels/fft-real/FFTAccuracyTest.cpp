// Every transform against a long double reference, for every order 0 to 20 and every
// scaling flag; forward then inverse; in place against out of place.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "kernels/fft-real/FFTReal64.h"
#include "tests/kernels/fft-real/FFTReference.h"
#include "tests/support/FFTScaleFactor.h"
#include "tests/support/RandomVectors.h"

using namespace kernels::fft_real;
using fftref::CL;
using fftref::factor;
using fftref::permToPack;

namespace {

const int kFlags[] = {kFFTDivFwdByN, kFFTDivInvByN, kFFTDivBySqrtN, kFFTNoDivByAny};

struct SpecC {
  FFTSpec_C_64fc *p = nullptr;
  SpecC(int order, int flag) { EXPECT_EQ(ippsFFTInitAlloc_C_64fc(&p, order, flag, 0), 0); }
  ~SpecC() { ippsFFTFree_C_64fc(p); }
};

struct SpecR {
  FFTSpec_R_64f *p = nullptr;
  SpecR(int order, int flag) { EXPECT_EQ(ippsFFTInitAlloc_R_64f(&p, order, flag, 0), 0); }
  ~SpecR() { ippsFFTFree_R_64f(p); }
};

std::vector<long double> toLong(const std::vector<double> &v, long double scale) {
  std::vector<long double> r(v.size());
  for (std::size_t i = 0; i < v.size(); ++i)
    r[i] = v[i] * scale;
  return r;
}

class FFTAccuracy : public ::testing::TestWithParam<int> {};

TEST_P(FFTAccuracy, ComplexTransformsMatchTheReferenceUnderEveryFlag) {
  const int order = GetParam();
  const std::int64_t N = std::int64_t{1} << order;
  const std::vector<double> x = test_support::RandomVector<double>(2 * N, 100 + order);
  std::vector<CL> xl(N);
  for (std::int64_t i = 0; i < N; ++i)
    xl[i] = CL(x[2 * i], x[2 * i + 1]);
  const std::vector<CL> fwd = fftref::transform(xl, -1);
  const std::vector<CL> inv = fftref::transform(xl, +1);
  std::vector<double> y(2 * N);
  for (int flag : kFlags) {
    SCOPED_TRACE(::testing::Message() << "flag " << flag);
    SpecC spec(order, flag);
    int size = 0;
    ASSERT_EQ(ippsFFTGetBufSize_C_64fc(spec.p, &size), 0);
    std::vector<std::uint8_t> buffer(size);
    const auto *src = reinterpret_cast<const Ipp64fc *>(x.data());
    auto *dst = reinterpret_cast<Ipp64fc *>(y.data());
    ASSERT_EQ(ippsFFTFwd_CToC_64fc(src, dst, spec.p, buffer.data()), 0);
    EXPECT_LE(fftref::relError(y.data(), fftref::flatten(fwd, factor(flag, false, N))),
              fftref::tolerance(order));
    ASSERT_EQ(ippsFFTInv_CToC_64fc(src, dst, spec.p, nullptr), 0);
    EXPECT_LE(fftref::relError(y.data(), fftref::flatten(inv, factor(flag, true, N))),
              fftref::tolerance(order));
  }
}

TEST_P(FFTAccuracy, RealTransformsMatchTheReferenceInPermAndPack) {
  const int order = GetParam();
  const std::int64_t N = std::int64_t{1} << order;
  const std::vector<double> x = test_support::RandomVector<double>(N, 200 + order);
  std::vector<CL> xl(x.begin(), x.end());
  const std::vector<double> perm = fftref::realSpectrumPerm(fftref::transform(xl, -1));
  // For the inverse: a random spectrum, read as conjugate-symmetric.
  const std::vector<double> spec = test_support::RandomVector<double>(N, 300 + order);
  std::vector<long double> invRef(N);
  {
    const std::vector<CL> t = fftref::transform(fftref::permToFull(spec), +1);
    for (std::int64_t i = 0; i < N; ++i)
      invRef[i] = t[i].real();
  }
  const std::vector<double> specPack = permToPack(spec);
  std::vector<double> y(N);
  for (int flag : kFlags) {
    SCOPED_TRACE(::testing::Message() << "flag " << flag);
    SpecR s(order, flag);
    const long double f = factor(flag, false, N), fi = factor(flag, true, N);
    std::vector<long double> refInv(N);
    for (std::int64_t i = 0; i < N; ++i)
      refInv[i] = invRef[i] * fi;

    ASSERT_EQ(ippsFFTFwd_RToPerm_64f(x.data(), y.data(), s.p, nullptr), 0);
    EXPECT_LE(fftref::relError(y.data(), toLong(perm, f)), fftref::tolerance(order));
    ASSERT_EQ(ippsFFTFwd_RToPack_64f(x.data(), y.data(), s.p, nullptr), 0);
    EXPECT_LE(fftref::relError(y.data(), toLong(permToPack(perm), f)), fftref::tolerance(order));
    ASSERT_EQ(ippsFFTInv_PermToR_64f(spec.data(), y.data(), s.p, nullptr), 0);
    EXPECT_LE(fftref::relError(y.data(), refInv), fftref::tolerance(order));
    ASSERT_EQ(ippsFFTInv_PackToR_64f(specPack.data(), y.data(), s.p, nullptr), 0);
    EXPECT_LE(fftref::relError(y.data(), refInv), fftref::tolerance(order));
  }
}

TEST_P(FFTAccuracy, ForwardThenInverseReturnsTheInput) {
  const int order = GetParam();
  const std::int64_t N = std::int64_t{1} << order;
  const std::vector<double> xc = test_support::RandomVector<double>(2 * N, 400 + order);
  const std::vector<double> xr = test_support::RandomVector<double>(N, 500 + order);
  for (int flag : kFlags) {
    SCOPED_TRACE(::testing::Message() << "flag " << flag);
    // Flag 8 scales neither direction, so the round trip gives N times the input.
    const long double gain = flag == kFFTNoDivByAny ? static_cast<long double>(N) : 1.0L;
    const long double tol = 2 * fftref::tolerance(order > 0 ? order : 1);
    {
      SpecC s(order, flag);
      std::vector<double> y(2 * N);
      auto *p = reinterpret_cast<Ipp64fc *>(y.data());
      ASSERT_EQ(ippsFFTFwd_CToC_64fc(reinterpret_cast<const Ipp64fc *>(xc.data()), p, s.p, nullptr),
                0);
      ASSERT_EQ(ippsFFTInv_CToC_64fc(p, p, s.p, nullptr), 0);
      EXPECT_LE(fftref::relError(y.data(), toLong(xc, gain)), tol);
    }
    SpecR s(order, flag);
    for (bool pack : {false, true}) {
      std::vector<double> y(N);
      ASSERT_EQ((pack ? ippsFFTFwd_RToPack_64f : ippsFFTFwd_RToPerm_64f)(xr.data(), y.data(), s.p,
                                                                         nullptr),
                0);
      ASSERT_EQ((pack ? ippsFFTInv_PackToR_64f : ippsFFTInv_PermToR_64f)(y.data(), y.data(), s.p,
                                                                         nullptr),
                0);
      EXPECT_LE(fftref::relError(y.data(), toLong(xr, gain)), tol) << (pack ? "Pack" : "Perm");
    }
  }
}

using RealOp = int (*)(const double *, double *, const FFTSpec_R_64f *, std::uint8_t *);

TEST_P(FFTAccuracy, InPlaceEqualsOutOfPlaceBitForBitAndLeavesTheSourceAlone) {
  const int order = GetParam();
  const std::int64_t N = std::int64_t{1} << order;
  const std::vector<double> x = test_support::RandomVector<double>(2 * N, 600 + order);
  for (int flag : {kFFTDivInvByN, kFFTDivBySqrtN}) {
    SpecC sc(order, flag);
    for (bool inverse : {false, true}) {
      auto op = inverse ? ippsFFTInv_CToC_64fc : ippsFFTFwd_CToC_64fc;
      std::vector<double> src = x, out(2 * N), in = x;
      ASSERT_EQ(op(reinterpret_cast<const Ipp64fc *>(src.data()),
                   reinterpret_cast<Ipp64fc *>(out.data()), sc.p, nullptr),
                0);
      ASSERT_EQ(op(reinterpret_cast<const Ipp64fc *>(in.data()),
                   reinterpret_cast<Ipp64fc *>(in.data()), sc.p, nullptr),
                0);
      EXPECT_EQ(std::memcmp(out.data(), in.data(), out.size() * sizeof(double)), 0)
          << "complex inverse " << inverse;
      EXPECT_EQ(src, x);
    }
    SpecR sr(order, flag);
    const RealOp ops[] = {ippsFFTFwd_RToPerm_64f, ippsFFTInv_PermToR_64f, ippsFFTFwd_RToPack_64f,
                          ippsFFTInv_PackToR_64f};
    for (int i = 0; i < 4; ++i) {
      const std::vector<double> xs(x.begin(), x.begin() + N);
      std::vector<double> src = xs, out(N), in = xs;
      ASSERT_EQ(ops[i](src.data(), out.data(), sr.p, nullptr), 0);
      ASSERT_EQ(ops[i](in.data(), in.data(), sr.p, nullptr), 0);
      EXPECT_EQ(std::memcmp(out.data(), in.data(), out.size() * sizeof(double)), 0)
          << "real operation " << i;
      EXPECT_EQ(src, xs);
    }
  }
}

// Data that starts 8 bytes past a 16-byte boundary: the radix orders, the blocked scheme
// and the split scheme give the bits they give on aligned data.
TEST(FFTAlignment, DataOffTheSixteenByteGridGivesTheSameBits) {
  for (int order : {4, 5, 10, 12, 19}) {
    SCOPED_TRACE(::testing::Message() << "order " << order);
    const std::int64_t N = std::int64_t{1} << order;
    const std::vector<double> x = test_support::RandomVector<double>(2 * N, 900 + order);
    // One spare double on each side, so one copy sits on the grid and one 8 bytes off.
    std::vector<double> store(2 * N + 2), out(2 * N + 2);
    auto *base = store.data() + (reinterpret_cast<std::uintptr_t>(store.data()) % 16 ? 1 : 0);
    auto *outBase = out.data() + (reinterpret_cast<std::uintptr_t>(out.data()) % 16 ? 1 : 0);
    SpecC sc(order, kFFTDivBySqrtN);
    SpecR sr(order + 1, kFFTDivBySqrtN);
    for (int kind = 0; kind < 4; ++kind) {
      std::vector<double> results[2];
      for (int off = 0; off < 2; ++off) {
        double *src = base + off;
        double *dst = outBase + off;
        ASSERT_EQ(reinterpret_cast<std::uintptr_t>(src) % 16, off ? 8u : 0u);
        std::copy(x.begin(), x.end(), src);
        const auto *cs = reinterpret_cast<const Ipp64fc *>(src);
        auto *cd = reinterpret_cast<Ipp64fc *>(dst);
        switch (kind) {
        case 0:
          ASSERT_EQ(ippsFFTFwd_CToC_64fc(cs, cd, sc.p, nullptr), 0);
          break;
        case 1:
          ASSERT_EQ(ippsFFTInv_CToC_64fc(cs, cd, sc.p, nullptr), 0);
          break;
        case 2:
          ASSERT_EQ(ippsFFTFwd_RToPack_64f(src, dst, sr.p, nullptr), 0);
          break;
        default:
          ASSERT_EQ(ippsFFTInv_PermToR_64f(src, src, sr.p, nullptr), 0);
          dst = src;
          break;
        }
        results[off].assign(dst, dst + 2 * N);
      }
      EXPECT_EQ(std::memcmp(results[0].data(), results[1].data(), 2 * N * sizeof(double)), 0)
          << "kind " << kind;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Orders, FFTAccuracy, ::testing::Range(0, 21),
                         [](const ::testing::TestParamInfo<int> &info) {
                           return "order" + std::to_string(info.param);
                         });

TEST(FFTReference, TheLongDoubleFftAgreesWithTheNaiveSum) {
  for (int order = 0; order <= 10; ++order) {
    const std::int64_t N = std::int64_t{1} << order;
    const std::vector<double> x = test_support::RandomVector<double>(2 * N, order);
    std::vector<CL> xl(N);
    for (std::int64_t i = 0; i < N; ++i)
      xl[i] = CL(x[2 * i], x[2 * i + 1]);
    const auto a = fftref::fft(xl, -1), b = fftref::naiveDft(xl, -1);
    long double num = 0, den = 0;
    for (std::int64_t i = 0; i < N; ++i) {
      num += std::norm(a[i] - b[i]);
      den += std::norm(b[i]);
    }
    EXPECT_LE(std::sqrt(num / den), 1e-17L) << order;
  }
}

} // namespace
