// The processor members of the engine (generic, SSE, SSE2, SSE3) side by side: accuracy
// against the long double reference for every order and flag, the bit identities between
// members, FFTW as an outside check, the member tag on the record, the paired tables'
// golden values, and the all-or-nothing set-up under failing allocations.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include <fftw3.h>
#include <gtest/gtest.h>

#include "kernels/fft-real/FFTAlloc.h"
#include "kernels/fft-real/FFTEngine64.h"
#include "kernels/fft-real/FFTReal64.h"
#include "tests/kernels/fft-real/FFTReference.h"
#include "tests/support/FFTScaleFactor.h"
#include "tests/support/RandomVectors.h"
#include "tests/support/Sanitized.h"

using namespace kernels::fft_real;
using fftref::CL;
using fftref::factor;
using fftref::permToPack;

namespace {

struct Member {
  const char *name;
  const TFFTVariant *v;
};
const Member kMembers[] = {{"generic", &kFFTGenericVariant},
                           {"SSE", &kFFTSseVariant},
                           {"SSE2", &kFFTSse2Variant},
                           {"SSE3", &kFFTSse3Variant}};
const int kFlags[] = {kFFTDivFwdByN, kFFTDivInvByN, kFFTDivBySqrtN, kFFTNoDivByAny};

struct Spec {
  FFTSpec_64 *p = nullptr;
  std::int32_t id;
  Spec(const TFFTVariant &v, int order, int flag, bool real)
      : id(real ? kFFTSpecIdReal : kFFTSpecIdComplex) {
    EXPECT_EQ(specInitAlloc(v, &p, order, flag, 0, id), 0);
  }
  ~Spec() {
    if (p)
      specFree(p, id);
  }
  Spec(const Spec &) = delete;
  Spec &operator=(const Spec &) = delete;
};

// ||y - f·ref||2 / ||f·ref||2, without copying the reference.
long double relError(const std::vector<double> &y, const std::vector<long double> &ref,
                     long double f) {
  long double num = 0, den = 0;
  for (std::size_t i = 0; i < ref.size(); ++i) {
    const long double r = ref[i] * f, d = static_cast<long double>(y[i]) - r;
    num += d * d;
    den += r * r;
  }
  return den == 0 ? std::sqrt(num) : std::sqrt(num / den);
}

// A fingerprint of the bits of a result (FNV-1a over the doubles' bytes), so that the
// members' results can be compared bit for bit without keeping them all.
std::uint64_t bitsHash(const std::vector<double> &v) {
  std::uint64_t h = 1469598103934665603ull;
  const auto *b = reinterpret_cast<const unsigned char *>(v.data());
  for (std::size_t i = 0; i < 8 * v.size(); ++i)
    h = (h ^ b[i]) * 1099511628211ull;
  return h;
}

const Ipp64fc *C(const std::vector<double> &v) {
  return reinterpret_cast<const Ipp64fc *>(v.data());
}
Ipp64fc *C(std::vector<double> &v) { return reinterpret_cast<Ipp64fc *>(v.data()); }

bool sameBits(const std::vector<double> &a, const std::vector<double> &b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), 8 * a.size()) == 0;
}

// ---- Accuracy sweep -----------------------------------------------------------------

class FFTMembersAccuracy : public ::testing::TestWithParam<int> {};

// Every member, every flag, every order; the references are taken once per order and
// shared by the members and flags. A sanitized build runs the flags that scale both
// directions above order 16: the other flags take the same paths at those orders.
TEST_P(FFTMembersAccuracy, EveryMemberMatchesTheReferenceAndTheBitIdentitiesHold) {
  const int order = GetParam();
  const std::int64_t N = std::int64_t{1} << order;
  const long double tol = fftref::tolerance(order);

  const std::vector<double> x = test_support::RandomVector<double>(2 * N, 900 + order);
  // The reference transforms cost most of the time at the largest orders, so each is
  // taken once: the inverse of x is its forward transform read at -j, and above order
  // 16 the inverse real input is the (rounded) spectrum of the forward input, whose
  // inverse is N times that input to within the spectrum's rounding.
  const bool sweep = order <= 16;
  std::vector<long double> cFwd, cInv(2 * N);
  {
    std::vector<CL> xl(N);
    for (std::int64_t i = 0; i < N; ++i)
      xl[i] = CL(x[2 * i], x[2 * i + 1]);
    cFwd = fftref::flatten(fftref::transform(xl, -1), 1.0L);
    for (std::int64_t j = 0; j < N; ++j) {
      const std::int64_t from = (N - j) % N;
      cInv[2 * j] = cFwd[2 * from];
      cInv[2 * j + 1] = cFwd[2 * from + 1];
    }
  }
  const std::vector<double> xr(x.begin(), x.begin() + N);
  std::vector<long double> rFwd(N), rInv(N);
  {
    // The Perm reference kept in long double.
    const std::vector<CL> X = fftref::transform(std::vector<CL>(xr.begin(), xr.end()), -1);
    rFwd[0] = X[0].real();
    if (N > 1)
      rFwd[1] = X[N / 2].real();
    for (std::int64_t k = 1; k < N / 2; ++k) {
      rFwd[2 * k] = X[k].real();
      rFwd[2 * k + 1] = X[k].imag();
    }
  }
  std::vector<double> spec(N);
  if (sweep) {
    spec = test_support::RandomVector<double>(N, 950 + order);
    const std::vector<CL> t = fftref::transform(fftref::permToFull(spec), +1);
    for (std::int64_t i = 0; i < N; ++i)
      rInv[i] = t[i].real();
  } else {
    for (std::int64_t i = 0; i < N; ++i) {
      spec[i] = static_cast<double>(rFwd[i]);
      rInv[i] = static_cast<long double>(N) * xr[i];
    }
  }
  const std::vector<double> specPack = permToPack(spec);
  std::vector<long double> rFwdPack(N);
  rFwdPack[0] = rFwd[0];
  if (N > 1)
    rFwdPack[N - 1] = rFwd[1];
  for (std::int64_t i = 2; i < N; ++i)
    rFwdPack[i - 1] = rFwd[i];

  for (int flag : kFlags) {
    if (kSanitizedBuild && !sweep && flag != kFFTDivBySqrtN)
      continue;
    std::uint64_t hashes[4][6] = {};
    std::vector<double> yc(2 * N), yr(N);
    for (int mi = 0; mi < 4; ++mi) {
      const TFFTVariant &v = *kMembers[mi].v;
      SCOPED_TRACE(::testing::Message() << kMembers[mi].name << " flag " << flag);
      std::uint64_t *h = hashes[mi];
      const long double f = factor(flag, false, N), fi = factor(flag, true, N);
      {
        Spec s(v, order, flag, false);
        ASSERT_NE(s.p, nullptr);
        int size = -1;
        ASSERT_EQ(specGetBufSize(s.p, &size, kFFTSpecIdComplex), 0);
        std::vector<std::uint8_t> buffer(static_cast<std::size_t>(size) + 1);
        ASSERT_EQ(transformComplex(v, false, C(x), C(yc), s.p, buffer.data()), 0);
        EXPECT_LE(relError(yc, cFwd, f), tol);
        h[0] = bitsHash(yc);
        ASSERT_EQ(transformComplex(v, true, C(x), C(yc), s.p, nullptr), 0);
        EXPECT_LE(relError(yc, cInv, fi), tol);
        h[1] = bitsHash(yc);
      }
      {
        Spec s(v, order, flag, true);
        ASSERT_NE(s.p, nullptr);
        ASSERT_EQ(transformRealFwd(v, false, xr.data(), yr.data(), s.p, nullptr), 0);
        EXPECT_LE(relError(yr, rFwd, f), tol);
        h[2] = bitsHash(yr);
        ASSERT_EQ(transformRealFwd(v, true, xr.data(), yr.data(), s.p, nullptr), 0);
        EXPECT_LE(relError(yr, rFwdPack, f), tol);
        h[3] = bitsHash(yr);
        ASSERT_EQ(transformRealInv(v, false, spec.data(), yr.data(), s.p, nullptr), 0);
        EXPECT_LE(relError(yr, rInv, fi), tol);
        h[4] = bitsHash(yr);
        ASSERT_EQ(transformRealInv(v, true, specPack.data(), yr.data(), s.p, nullptr), 0);
        EXPECT_LE(relError(yr, rInv, fi), tol);
        h[5] = bitsHash(yr);
      }
    }
    // SSE is the generic code: identical at every order. SSE2 and SSE3 share their
    // passes up to complex order 13 (real order 14).
    for (int op = 0; op < 6; ++op) {
      EXPECT_EQ(hashes[0][op], hashes[1][op])
          << "SSE against generic, flag " << flag << " op " << op;
      if ((op < 2 ? order : order - 1) <= 13) {
        EXPECT_EQ(hashes[2][op], hashes[3][op])
            << "SSE3 against SSE2, flag " << flag << " op " << op;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Orders, FFTMembersAccuracy, ::testing::Range(0, 23),
                         [](const auto &info) { return "order" + std::to_string(info.param); });

// ---- FFTW check ---------------------------------------------------------------------

class FFTMembersFftw : public ::testing::TestWithParam<int> {};

TEST_P(FFTMembersFftw, ComplexAndRealForwardAgreeWithFftw) {
  const int order = GetParam();
  const int N = 1 << order;
  const std::vector<double> x = test_support::RandomVector<double>(2 * N, 1700 + order);
  std::vector<long double> cref(2 * N), perm(N);
  {
    fftw_complex *in = fftw_alloc_complex(N), *out = fftw_alloc_complex(N);
    fftw_plan plan = fftw_plan_dft_1d(N, in, out, FFTW_FORWARD, FFTW_ESTIMATE);
    std::memcpy(in, x.data(), 16 * static_cast<std::size_t>(N));
    fftw_execute(plan);
    for (int i = 0; i < N; ++i) {
      cref[2 * i] = out[i][0];
      cref[2 * i + 1] = out[i][1];
    }
    fftw_destroy_plan(plan);
    fftw_free(in);
    fftw_free(out);
  }
  {
    double *in = fftw_alloc_real(N);
    fftw_complex *out = fftw_alloc_complex(N / 2 + 1);
    fftw_plan plan = fftw_plan_dft_r2c_1d(N, in, out, FFTW_ESTIMATE);
    std::copy(x.begin(), x.begin() + N, in);
    fftw_execute(plan);
    perm[0] = out[0][0];
    perm[1] = out[N / 2][0];
    for (int k = 1; k < N / 2; ++k) {
      perm[2 * k] = out[k][0];
      perm[2 * k + 1] = out[k][1];
    }
    fftw_destroy_plan(plan);
    fftw_free(in);
    fftw_free(out);
  }
  const std::vector<double> xr(x.begin(), x.begin() + N);
  for (const Member &m : kMembers) {
    SCOPED_TRACE(m.name);
    std::vector<double> y(2 * N), yr(N);
    Spec c(*m.v, order, kFFTNoDivByAny, false), r(*m.v, order, kFFTNoDivByAny, true);
    ASSERT_EQ(transformComplex(*m.v, false, C(x), C(y), c.p, nullptr), 0);
    EXPECT_LE(fftref::relError(y.data(), cref), fftref::tolerance(order));
    ASSERT_EQ(transformRealFwd(*m.v, false, xr.data(), yr.data(), r.p, nullptr), 0);
    EXPECT_LE(fftref::relError(yr.data(), perm), fftref::tolerance(order));
  }
}

INSTANTIATE_TEST_SUITE_P(Orders, FFTMembersFftw, ::testing::Range(2, 23));

// Complex order 23 runs the paired members' column chunks of 2^13 (SSE2) and 2^14 (SSE3)
// values on a level of order 23 over one of order 18, the widest split the chunk of the
// orders above 21 serves: both directions against FFTW.
TEST(FFTMembersFftwLarge, PairedMembersAtComplexOrder23) {
  const int order = 23;
  const int N = 1 << order;
  const std::vector<double> x = test_support::RandomVector<double>(2 * std::size_t(N), 2323);
  std::vector<double> y(2 * std::size_t(N));
  std::vector<long double> ref(2 * std::size_t(N));
  fftw_complex *io = fftw_alloc_complex(N);
  for (const Member &m : {kMembers[2], kMembers[3]}) {
    Spec c(*m.v, order, kFFTNoDivByAny, false);
    for (int sign : {FFTW_FORWARD, FFTW_BACKWARD}) {
      SCOPED_TRACE(::testing::Message() << m.name << " sign " << sign);
      fftw_plan plan = fftw_plan_dft_1d(N, io, io, sign, FFTW_ESTIMATE);
      std::memcpy(io, x.data(), 16 * std::size_t(N));
      fftw_execute(plan);
      fftw_destroy_plan(plan);
      const double *d = &io[0][0];
      std::copy(d, d + 2 * std::size_t(N), ref.begin());
      ASSERT_EQ(transformComplex(*m.v, sign == FFTW_BACKWARD, C(x), C(y), c.p, nullptr), 0);
      EXPECT_LE(fftref::relError(y.data(), ref), fftref::tolerance(order));
    }
  }
  fftw_free(io);
}

// ---- Layout-independent results -----------------------------------------------------

class FFTMembersPlacement : public ::testing::TestWithParam<int> {};

// In place equals out of place, and data or buffer off the 16-byte grid changes no bit;
// a null buffer takes one block for the call and gives it back.
TEST_P(FFTMembersPlacement, InPlaceMisalignedAndOwnBufferGiveTheSameBits) {
  const int order = GetParam();
  const std::int64_t N = std::int64_t{1} << order;
  const std::vector<double> x = test_support::RandomVector<double>(2 * N, 1300 + order);
  for (const Member &m : kMembers) {
    SCOPED_TRACE(::testing::Message() << m.name << " order " << order);
    for (bool real : {false, true}) {
      Spec s(*m.v, order, kFFTDivBySqrtN, real);
      int size = 0;
      ASSERT_EQ(specGetBufSize(s.p, &size, s.id), 0);
      const std::size_t len = real ? N : 2 * N;
      for (int op = 0; op < 4; ++op) {
        if (!real && op >= 2)
          break;
        auto run = [&](const double *src, double *dst, std::uint8_t *buf) {
          if (!real)
            return transformComplex(*m.v, op == 1, reinterpret_cast<const Ipp64fc *>(src),
                                    reinterpret_cast<Ipp64fc *>(dst), s.p, buf);
          if (op % 2 == 0)
            return transformRealFwd(*m.v, op == 2, src, dst, s.p, buf);
          return transformRealInv(*m.v, op == 3, src, dst, s.p, buf);
        };
        std::vector<double> ref(len);
        std::vector<std::uint8_t> buffer(static_cast<std::size_t>(size) + 24);
        ASSERT_EQ(run(x.data(), ref.data(), buffer.data()), 0);

        std::vector<double> inPlace(x.begin(), x.begin() + static_cast<std::ptrdiff_t>(len));
        ASSERT_EQ(run(inPlace.data(), inPlace.data(), buffer.data() + 8), 0);
        EXPECT_TRUE(sameBits(inPlace, ref)) << "in place, op " << op;

        // Data at an odd multiple of 8 bytes, buffer off the grid too.
        std::vector<double> src(len + 1), dst(len + 1);
        std::copy(x.begin(), x.begin() + static_cast<std::ptrdiff_t>(len), src.begin() + 1);
        const long liveBefore = fftLiveBlocks();
        ASSERT_EQ(run(src.data() + 1, dst.data() + 1, buffer.data() + 3), 0);
        EXPECT_TRUE(sameBits(std::vector<double>(dst.begin() + 1, dst.end()), ref))
            << "misaligned, op " << op;

        const long requests = fftAllocRequests();
        ASSERT_EQ(run(x.data(), dst.data() + 1, nullptr), 0);
        EXPECT_TRUE(sameBits(std::vector<double>(dst.begin() + 1, dst.end()), ref))
            << "own buffer, op " << op;
        EXPECT_EQ(fftAllocRequests() - requests, size > 0 ? 1 : 0);
        EXPECT_EQ(fftLiveBlocks(), liveBefore);
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Orders, FFTMembersPlacement,
                         ::testing::Values(0, 3, 4, 5, 6, 9, 10, 13, 14, 15, 16, 17, 19));

// ---- Exact values -------------------------------------------------------------------

// An impulse gives exact ones, a constant c exactly N·c in bin 0 and zeros elsewhere.
TEST(FFTMembersExact, ImpulseAndConstantTransformExactly) {
  for (const Member &m : kMembers)
    for (int order : {1, 3, 4, 5, 8, 11, 14, 15, 16}) {
      SCOPED_TRACE(::testing::Message() << m.name << " order " << order);
      const std::int64_t N = std::int64_t{1} << order;
      Spec c(*m.v, order, kFFTNoDivByAny, false), r(*m.v, order, kFFTNoDivByAny, true);
      std::vector<double> imp(2 * N, 0.0), y(2 * N);
      imp[0] = 1.0;
      ASSERT_EQ(transformComplex(*m.v, false, C(imp), C(y), c.p, nullptr), 0);
      for (std::int64_t i = 0; i < N; ++i)
        ASSERT_TRUE(y[2 * i] == 1.0 && y[2 * i + 1] == 0.0) << "bin " << i;
      const double cst = 0.375;
      std::vector<double> k(2 * N);
      for (std::int64_t i = 0; i < N; ++i)
        k[2 * i] = k[2 * i + 1] = cst;
      ASSERT_EQ(transformComplex(*m.v, true, C(k), C(y), c.p, nullptr), 0);
      EXPECT_EQ(y[0], N * cst);
      EXPECT_EQ(y[1], N * cst);
      for (std::int64_t i = 2; i < 2 * N; ++i)
        ASSERT_EQ(y[i], 0.0) << "value " << i;
      std::vector<double> rk(N, cst), ry(N);
      ASSERT_EQ(transformRealFwd(*m.v, false, rk.data(), ry.data(), r.p, nullptr), 0);
      EXPECT_EQ(ry[0], N * cst);
      for (std::int64_t i = 1; i < N; ++i)
        ASSERT_EQ(ry[i], 0.0) << "value " << i;
    }
}

TEST(FFTMembersTables, PairedGoldenValues) {
  std::int32_t t[16];
  const std::vector<std::vector<std::int32_t>> golden = {
      {0, 2, 0}, {0, 4, 2, 6, 0}, {0, 8, 4, 12, 2, 10, 6, 14, 0}};
  for (int k = 3; k <= 5; ++k) {
    std::fill(std::begin(t), std::end(t), -1);
    ownsFFTInitBitRevTab_Sse2(k, t);
    EXPECT_EQ(std::vector<std::int32_t>(t, t + golden[k - 3].size()), golden[k - 3]) << k;
  }
  struct Size {
    int k;
    std::int64_t block, work;
  };
  for (const Size &s :
       {Size{14, 278544, 65536}, Size{15, 557072, 131072}, Size{21, 33685520, 131072}}) {
    std::int64_t block = 0, work = 0;
    ownsFFTGetSizeLarge_Sse2(s.k, &block, &work);
    EXPECT_EQ(block, s.block) << s.k;
    EXPECT_EQ(work, s.work) << s.k;
  }
  // The SSE3 engine keeps order 14 on its radix path and uses 2^14-value chunks above.
  std::int64_t block = 0, work = 0;
  ownsFFTGetSizeLarge_Sse3(15, &block, &work);
  EXPECT_EQ(work, 262144);

  // Work sizes as reported: real order 4 is 0 generic and 144 in the paired engines;
  // real order 5 and complex order 14 as the engines size them.
  struct Buf {
    const TFFTVariant *v;
    int order;
    bool real;
    int size;
  };
  for (const Buf &b :
       {Buf{&kFFTGenericVariant, 4, true, 0}, Buf{&kFFTSseVariant, 4, true, 0},
        Buf{&kFFTSse2Variant, 4, true, 144}, Buf{&kFFTSse3Variant, 4, true, 144},
        Buf{&kFFTSse2Variant, 5, true, 272}, Buf{&kFFTSse2Variant, 14, false, 65552},
        Buf{&kFFTSse3Variant, 15, true, 262160}, Buf{&kFFTSse2Variant, 15, true, 65552}}) {
    Spec s(*b.v, b.order, kFFTNoDivByAny, b.real);
    int size = -1;
    ASSERT_EQ(specGetBufSize(s.p, &size, s.id), 0);
    EXPECT_EQ(size, b.size) << "member " << b.v->member << " order " << b.order;
  }

  // The real recombination tables of real order 4 hold indices 1 to 4 in pairs.
  Spec r(kFFTSse2Variant, 4, kFFTNoDivByAny, true);
  const double *f = &r.p->recombFwdTable->re;
  const double s1 = std::sin(6.283185307179586 / 16 * 1), s2 = std::sin(6.283185307179586 / 16 * 2);
  EXPECT_DOUBLE_EQ(f[0], 0.5 * std::cos(6.283185307179586 / 16));
  EXPECT_DOUBLE_EQ(f[2], 0.5 - 0.5 * s1);
  EXPECT_DOUBLE_EQ(f[3], 0.5 - 0.5 * s2);
  EXPECT_EQ(f[5], 0.0); // 0.5·cos(π/2) from the table's exact zero
  EXPECT_EQ(f[7], 0.0); // 0.5 - 0.5·sin(π/2)
}

// The SSE variant builds the generic tables byte for byte.
TEST(FFTMembersTables, SseTablesEqualTheGenericOnes) {
  auto same = [](const void *a, const void *b, std::int64_t bytes) {
    return std::memcmp(a, b, static_cast<std::size_t>(bytes)) == 0;
  };
  for (int order : {4, 7, 10, 13}) {
    SCOPED_TRACE(order);
    Spec g(kFFTGenericVariant, order, kFFTDivInvByN, true);
    Spec s(kFFTSseVariant, order, kFFTDivInvByN, true);
    const int k = order - 1;
    const std::int64_t n = std::int64_t{1} << k;
    EXPECT_TRUE(same(g.p->bitRevTable, s.p->bitRevTable, 4 * (n / 4 + 1)));
    EXPECT_TRUE(same(g.p->recombFwdTable, s.p->recombFwdTable, 16 * (n / 2)));
    EXPECT_TRUE(same(g.p->recombInvTable, s.p->recombInvTable, 16 * (n / 2)));
    if (k <= 9) {
      EXPECT_TRUE(same(g.p->twiddleTable, s.p->twiddleTable, 48 * (n / 4 + 1)));
    } else { // complex order 12: one level of 16 rows over a leaf of order 8
      EXPECT_TRUE(same(g.p->twiddleTable, s.p->twiddleTable, 48 * (256 / 4 + 1)));
      EXPECT_TRUE(same(g.p->levelTwiddle[0], s.p->levelTwiddle[0], 48 * (16 / 4 + 1)));
      EXPECT_TRUE(same(g.p->levelColumn[0], s.p->levelColumn[0], 16 * n));
    }
    EXPECT_EQ(g.p->workSize, s.p->workSize);
  }
}

// ---- Member tag ---------------------------------------------------------------------

// A transform refuses a record of another member with -17 and writes nothing, in both
// directions; size queries and releases take any member's record.
TEST(FFTMembersTag, ATransformRefusesAnotherMembersRecord) {
  for (const Member &builder : kMembers)
    for (const Member &reader : kMembers) {
      if (builder.v == reader.v)
        continue;
      SCOPED_TRACE(::testing::Message() << builder.name << " record, " << reader.name);
      for (int order : {2, 6, 15}) {
        const std::int64_t N = std::int64_t{1} << order;
        Spec c(*builder.v, order, kFFTNoDivByAny, false),
            r(*builder.v, order, kFFTNoDivByAny, true);
        std::vector<double> x(2 * N, 1.0), y(2 * N, -7.0);
        EXPECT_EQ(transformComplex(*reader.v, false, C(x), C(y), c.p, nullptr), -17);
        EXPECT_EQ(transformComplex(*reader.v, true, C(x), C(y), c.p, nullptr), -17);
        EXPECT_EQ(transformRealFwd(*reader.v, false, x.data(), y.data(), r.p, nullptr), -17);
        EXPECT_EQ(transformRealInv(*reader.v, true, x.data(), y.data(), r.p, nullptr), -17);
        EXPECT_TRUE(std::all_of(y.begin(), y.end(), [](double v) { return v == -7.0; }));
        EXPECT_EQ(c.p->member, builder.v->member);
      }
    }
  // Named entries: an SSE2 record through the generic operation and back.
  FFTSpec_C_64fc *sse2 = nullptr, *gen = nullptr;
  ASSERT_EQ(ippsFFTInitAlloc_C_64fc_Sse2(&sse2, 5, kFFTNoDivByAny, 0), 0);
  ASSERT_EQ(ippsFFTInitAlloc_C_64fc(&gen, 5, kFFTNoDivByAny, 0), 0);
  std::vector<double> x(64, 0.5), y(64);
  EXPECT_EQ(ippsFFTFwd_CToC_64fc(C(x), C(y), sse2, nullptr), -17);
  EXPECT_EQ(ippsFFTFwd_CToC_64fc_Sse2(C(x), C(y), gen, nullptr), -17);
  EXPECT_EQ(ippsFFTFwd_CToC_64fc_Sse2(C(x), C(y), sse2, nullptr), 0);
  int size = -1;
  EXPECT_EQ(ippsFFTGetBufSize_C_64fc(sse2, &size), 0);
  EXPECT_EQ(size, 16 * 32 + 16);
  const long live = fftLiveBlocks();
  EXPECT_EQ(ippsFFTFree_C_64fc(sse2), 0); // another member's release still frees it all
  EXPECT_EQ(ippsFFTFree_C_64fc_Sse2(gen), 0);
  EXPECT_EQ(fftLiveBlocks(), live - 6);
}

// ---- Set-up failures ----------------------------------------------------------------

// Failing the k-th allocation of a set-up returns -9, leaves the pointer as it was and
// leaks nothing, for every k and every member.
TEST(FFTMembersSetUp, EveryFailedAllocationReleasesEverything) {
  for (const Member &m : kMembers)
    for (bool real : {false, true})
      for (int order : {4, 5, 10, 11, 14, 15, 16}) {
        SCOPED_TRACE(::testing::Message() << m.name << (real ? " real " : " complex ") << order);
        const std::int32_t id = real ? kFFTSpecIdReal : kFFTSpecIdComplex;
        const long live = fftLiveBlocks();
        long requests = fftAllocRequests();
        FFTSpec_64 *ok = nullptr;
        ASSERT_EQ(specInitAlloc(*m.v, &ok, order, kFFTDivInvByN, 0, id), 0);
        const long needed = fftAllocRequests() - requests;
        ASSERT_EQ(specFree(ok, id), 0);
        ASSERT_EQ(fftLiveBlocks(), live);
        for (long k = 0; k < needed; ++k) {
          FFTSpec_64 sentinel{};
          FFTSpec_64 *p = &sentinel;
          fftFailAfter(static_cast<int>(k));
          EXPECT_EQ(specInitAlloc(*m.v, &p, order, kFFTDivInvByN, 0, id), -9) << "k " << k;
          fftFailAfter(-1);
          EXPECT_EQ(p, &sentinel);
          EXPECT_EQ(fftLiveBlocks(), live) << "k " << k;
        }
      }
}

// Orders whose tables cannot be had fail at once, before any table is built.
TEST(FFTMembersSetUp, OrdersTooLargeForMemoryFailBeforeBuilding) {
  for (const Member &m : kMembers)
    for (int order : {27, 28, 30}) {
      SCOPED_TRACE(::testing::Message() << m.name << " order " << order);
      FFTSpec_64 sentinel{};
      FFTSpec_64 *p = &sentinel;
      const long live = fftLiveBlocks();
      const long requests = fftAllocRequests();
      EXPECT_EQ(specInitAlloc(*m.v, &p, order, kFFTNoDivByAny, 0, kFFTSpecIdComplex), -9);
      EXPECT_EQ(fftAllocRequests() - requests, 1); // the record only
      EXPECT_EQ(p, &sentinel);
      EXPECT_EQ(fftLiveBlocks(), live);
    }
}

// Bad input in the order the operations test it; nothing is written on failure.
TEST(FFTMembersSetUp, BadInputInOrder) {
  for (const Member &m : kMembers) {
    SCOPED_TRACE(m.name);
    const long live = fftLiveBlocks();
    FFTSpec_64 sentinel{};
    FFTSpec_64 *p = &sentinel;
    EXPECT_EQ(specInitAlloc(*m.v, nullptr, 31, 3, 0, kFFTSpecIdReal), -8);
    EXPECT_EQ(specInitAlloc(*m.v, &p, 31, kFFTNoDivByAny, 0, kFFTSpecIdReal), -15);
    EXPECT_EQ(specInitAlloc(*m.v, &p, -1, kFFTNoDivByAny, 0, kFFTSpecIdReal), -15);
    for (int flag : {0, 3, 5, 16})
      EXPECT_EQ(specInitAlloc(*m.v, &p, 5, flag, 0, kFFTSpecIdReal), -16) << flag;
    EXPECT_EQ(p, &sentinel);
    EXPECT_EQ(fftLiveBlocks(), live);

    Spec c(*m.v, 6, kFFTNoDivByAny, false);
    std::vector<double> x(128, 1.0), y(128, -3.0);
    EXPECT_EQ(transformComplex(*m.v, false, nullptr, nullptr, nullptr, nullptr), -8);
    EXPECT_EQ(transformRealFwd(*m.v, false, nullptr, nullptr, c.p, nullptr), -17);
    EXPECT_EQ(transformComplex(*m.v, false, nullptr, C(y), c.p, nullptr), -8);
    EXPECT_EQ(transformComplex(*m.v, false, C(x), nullptr, c.p, nullptr), -8);
    int size = 0;
    EXPECT_EQ(specGetBufSize(c.p, &size, kFFTSpecIdReal), -17);
    EXPECT_EQ(specFree(c.p, kFFTSpecIdReal), -17);
    // A work area that cannot be had: -9 before anything is written.
    if (c.p->workSize > 0) {
      fftFailAfter(0);
      EXPECT_EQ(transformComplex(*m.v, false, C(x), C(y), c.p, nullptr), -9);
      fftFailAfter(-1);
    }
    EXPECT_TRUE(std::all_of(y.begin(), y.end(), [](double v) { return v == -3.0; }));
  }
}

} // namespace
