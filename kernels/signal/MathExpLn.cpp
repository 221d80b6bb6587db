// Exponential and natural logarithm of double vectors: code 6 two elements per register
// in double precision, code 5 one element at a time on the x87 unit in 53-bit precision.
//
// Elements outside the reduction's range take the generic's results (see MathKernels.h);
// the others are computed here. The exponential reduces x = k ln 2 + r with a two-part
// ln 2 and evaluates e^r by a rational form in r²; the scaling by 2^k is split into two
// multiplications so that results near the underflow threshold round once, as subnormals.
// The SSE2 logarithm reduces x = 2^e m and m by a reciprocal r_j of 1 + j/64 held to 12
// bits, so that m r_j - 1 is exact in its leading part, and adds a series in u = m r_j - 1
// to -ln r_j + e ln 2, each held as a part that sums exactly and a small correction. The x87
// logarithm uses the series in s = f / (2 + f) around m in [sqrt(2)/2, sqrt(2)).
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>

#include <emmintrin.h>

#include "kernels/signal/Loops.h"
#include "kernels/signal/MathKernels.h"

namespace kernels::signal {

namespace {

using detail::load;
using detail::store;

constexpr std::uint64_t kSignBit = std::uint64_t{1} << 63;
constexpr std::uint64_t kQuietBit = std::uint64_t{1} << 51;
constexpr std::uint64_t kFraction = 0x000FFFFFFFFFFFFFull;
constexpr double kInf = std::numeric_limits<double>::infinity();

inline std::uint64_t bitsOf(double x) { return std::bit_cast<std::uint64_t>(x); }
inline double fromBits(std::uint64_t b) { return std::bit_cast<double>(b); }
inline __m128d all(double c) { return _mm_set1_pd(c); }

// ---- exponential -------------------------------------------------------------------

constexpr double kInvLn2 = 1.4426950408889634;
constexpr double kLn2Hi = 0.6931471803691238; // 32 significant bits: k * kLn2Hi is exact
constexpr double kLn2Lo = 1.9082149292705877e-10;
constexpr double kRoundMagic = 6755399441055744.0; // 1.5 * 2^52: adding it rounds to an integer
constexpr double kP1 = 0.16666666666666602;
constexpr double kP2 = -0.0027777777777015593;
constexpr double kP3 = 6.613756321437934e-05;
constexpr double kP4 = -1.6533902205465252e-06;
constexpr double kP5 = 4.1381367970572385e-08;

// Elements whose magnitude reaches this bound leave the paired path; below it both rules
// compute e^x.
constexpr double kExpPairBound = 708.0;

// From four elements on: the generic's fast exponential leaves subnormal results as +0.0,
// gives +inf from the high word 0x40862E42 on, and passes only positive quiet NaNs.
bool expSpecialLong(double x, double &out) {
  const auto high = static_cast<std::uint32_t>(bitsOf(x) >> 32);
  const std::uint32_t magnitude = high & 0x7FFFFFFFu;
  if (magnitude < 0x4086232Bu)
    return false;
  if (std::isnan(x)) {
    const bool positiveQuiet = (high >> 31) == 0 && (high & 0x00080000u) != 0;
    out = positiveQuiet ? x : ippDefaultNaN;
    return true;
  }
  if (high >> 31) {
    out = 0.0;
    return true;
  }
  if (magnitude >= 0x40862E42u) {
    out = kInf;
    return true;
  }
  return false;
}

// Below four elements: the library exponential's full range, a NaN passes as it is.
bool expSpecialShort(double x, double &out) {
  if (std::isnan(x)) {
    out = x;
    return true;
  }
  if (x > 709.9) {
    out = kInf;
    return true;
  }
  if (x < -746.0) {
    out = 0.0;
    return true;
  }
  return false;
}

// e^x for finite x in [-746, 709.9], two lanes.
inline __m128d expPair(__m128d x) {
  const __m128d t = x * all(kInvLn2) + all(kRoundMagic);
  const __m128d kf = t - all(kRoundMagic);
  const __m128d hi = x - kf * all(kLn2Hi);
  const __m128d lo = kf * all(kLn2Lo);
  const __m128d r = hi - lo;
  const __m128d z = r * r;
  const __m128d c =
      r - z * (all(kP1) + z * (all(kP2) + z * (all(kP3) + z * (all(kP4) + z * all(kP5)))));
  const __m128d y = all(1.0) - ((lo - (r * c) / (all(2.0) - c)) - hi);
  // k sits in the low word of t; 2^k = 2^k1 * 2^k2 with both factors normal.
  const __m128i k = _mm_castpd_si128(t);
  const __m128i k1 = _mm_srai_epi32(k, 1);
  const __m128i k2 = _mm_sub_epi32(k, k1);
  const __m128i bias = _mm_set1_epi32(1023);
  const __m128d s1 = _mm_castsi128_pd(_mm_slli_epi64(_mm_add_epi32(k1, bias), 52));
  const __m128d s2 = _mm_castsi128_pd(_mm_slli_epi64(_mm_add_epi32(k2, bias), 52));
  return (y * s1) * s2;
}

template <bool (*Special)(double, double &)>
void expVector(const double *src, double *dst, std::size_t n) {
  const auto one = [src, dst](std::size_t i) {
    const double x = load(src + i);
    double out;
    if (!Special(x, out))
      out = _mm_cvtsd_f64(expPair(_mm_set_sd(x)));
    store(dst + i, out);
  };
  std::size_t i = 0;
  if (!partlyOverlap(src, n * 8, dst, n * 8)) {
    const __m128d absMask = _mm_castsi128_pd(_mm_set1_epi64x(~kSignBit));
    for (; i + 2 <= n; i += 2) {
      const __m128d x = _mm_loadu_pd(src + i);
      if (_mm_movemask_pd(_mm_cmplt_pd(_mm_and_pd(x, absMask), all(kExpPairBound))) == 3) {
        _mm_storeu_pd(dst + i, expPair(x));
      } else {
        one(i);
        one(i + 1);
      }
    }
  }
  for (; i < n; ++i)
    one(i);
}

void expSse2(const double *src, double *dst, int len) {
  const auto n = static_cast<std::size_t>(len);
  if (len < 4)
    expVector<expSpecialShort>(src, dst, n);
  else
    expVector<expSpecialLong>(src, dst, n);
}

// ---- logarithm ---------------------------------------------------------------------

// Results of the elements that are not positive finite numbers, the generic's; the first
// zero or negative element sets the warning (2 for +0.0, 4 for the sign bit set).
bool lnSpecial(double x, double &out, int &warning) {
  const std::uint64_t u = bitsOf(x);
  if (u & kSignBit) {
    out = ippDefaultNaN;
    if (warning == 0)
      warning = 4;
    return true;
  }
  if (u == 0) {
    out = -kInf;
    if (warning == 0)
      warning = 2;
    return true;
  }
  if ((u >> 52) == 0x7FF) {
    if ((u & kFraction) == 0)
      out = x;
    else if (u & kQuietBit)
      out = fromBits(ippDefaultNaNBits & ~kSignBit);
    else
      out = fromBits(u | kQuietBit); // a signalling NaN is quietened, its payload kept
    return true;
  }
  return false;
}

// r_j = 1 / (1 + j / 64) to the nearest 1/4096, -ln r_j = hi_j + lo_j, ln 2 = l2hi + l2lo;
// hi_j and l2hi are multiples of 2^-42, so e * l2hi + hi_j is exact for every exponent.
struct LnTable {
  double r[65], hi[65], lo[65];
  double l2hi, l2lo;
};

const LnTable &lnTable() {
  static const LnTable table = [] {
    LnTable t{};
    const auto leading = [](long double v) {
      return static_cast<double>(std::roundl(v * 0x1p42L) / 0x1p42L);
    };
    for (int j = 0; j <= 64; ++j) {
      const long double r = std::roundl(4096.0L / (1.0L + j / 64.0L)) / 4096.0L;
      const long double v = -std::log(r);
      t.r[j] = static_cast<double>(r);
      t.hi[j] = leading(v);
      t.lo[j] = static_cast<double>(v - t.hi[j]);
    }
    t.l2hi = t.hi[64];
    t.l2lo = t.lo[64];
    return t;
  }();
  return table;
}

inline void twoSum(__m128d a, __m128d b, __m128d &s, __m128d &e) {
  s = a + b;
  const __m128d bb = s - a;
  e = (a - (s - bb)) + (b - bb);
}

// ln x for positive finite x (subnormals included), two lanes.
inline __m128d lnPair(__m128d x, const LnTable &t) {
  const __m128d tiny = _mm_cmplt_pd(x, all(0x1p-1022));
  x = _mm_or_pd(_mm_and_pd(tiny, x * all(0x1p54)), _mm_andnot_pd(tiny, x));
  const __m128i bits = _mm_castpd_si128(x);
  const __m128i bias = _mm_add_epi32(_mm_set1_epi64x(1023),
                                     _mm_and_si128(_mm_castpd_si128(tiny), _mm_set1_epi64x(54)));
  const __m128i e = _mm_sub_epi32(_mm_srli_epi64(bits, 52), bias);
  const __m128d ef = _mm_cvtepi32_pd(_mm_shuffle_epi32(e, _MM_SHUFFLE(3, 1, 2, 0)));
  const __m128d m =
      _mm_or_pd(_mm_and_pd(x, _mm_castsi128_pd(_mm_set1_epi64x(kFraction))), all(1.0));
  // j / 64 nearest to m - 1 by its top eleven fraction bits, halves up.
  const __m128i j =
      _mm_srli_epi64(_mm_add_epi64(_mm_and_si128(_mm_srli_epi64(bits, 41), _mm_set1_epi64x(0x7FF)),
                                   _mm_set1_epi64x(16)),
                     5);
  const int j0 = _mm_cvtsi128_si32(j);
  const int j1 = _mm_cvtsi128_si32(_mm_unpackhi_epi64(j, j));
  const __m128d r = _mm_set_pd(t.r[j1], t.r[j0]);
  const __m128d hi = _mm_set_pd(t.hi[j1], t.hi[j0]);
  const __m128d lo = _mm_set_pd(t.lo[j1], t.lo[j0]);
  // m's leading 32 bits times r_j (13 bits) is exact, and so is its difference from 1.
  const __m128d mHi = _mm_and_pd(m, _mm_castsi128_pd(_mm_set1_epi64x(0x7FFFFFFFFFE00000ll)));
  const __m128d mLo = m - mHi;
  const __m128d c = mHi * r - all(1.0);
  const __m128d d = mLo * r;
  const __m128d u = c + d;
  // ln(1 + u) - u for |u| below 0.009, through u^9.
  const __m128d p =
      u * u *
      (all(-0.5) +
       u * (all(1.0 / 3) +
            u * (all(-0.25) + u * (all(0.2) + u * (all(-1.0 / 6) +
                                                   u * (all(1.0 / 7) +
                                                        u * (all(-0.125) + u * all(1.0 / 9))))))));
  const __m128d a = ef * all(t.l2hi) + hi;
  const __m128d b = ef * all(t.l2lo) + lo;
  __m128d s, err;
  twoSum(a, c, s, err);
  return s + (err + ((p + b) + d));
}

int lnSse2(const double *src, double *dst, std::size_t n) {
  const LnTable &t = lnTable();
  int warning = 0;
  const auto one = [src, dst, &t, &warning](std::size_t i) {
    const double x = load(src + i);
    double out;
    if (!lnSpecial(x, out, warning))
      out = _mm_cvtsd_f64(lnPair(_mm_set_sd(x), t));
    store(dst + i, out);
  };
  std::size_t i = 0;
  if (!partlyOverlap(src, n * 8, dst, n * 8)) {
    for (; i + 2 <= n; i += 2) {
      const __m128d x = _mm_loadu_pd(src + i);
      const __m128d ordinary =
          _mm_and_pd(_mm_cmpgt_pd(x, _mm_setzero_pd()), _mm_cmplt_pd(x, all(kInf)));
      if (_mm_movemask_pd(ordinary) == 3) {
        _mm_storeu_pd(dst + i, lnPair(x, t));
      } else {
        one(i);
        one(i + 1);
      }
    }
  }
  for (; i < n; ++i)
    one(i);
  return warning;
}

// ---- x87 forms ---------------------------------------------------------------------

// Holds the x87 control word at 0x02FF (53-bit precision, nearest, all exceptions masked)
// for its scope. The memory clobbers keep the element loads and stores, and with them the
// arithmetic between them, inside the scope.
class X87Double {
public:
  X87Double() noexcept {
    asm volatile("fnstcw %0" : "=m"(saved_) : : "memory");
    const std::uint16_t word = 0x02FF;
    asm volatile("fldcw %0" : : "m"(word) : "memory");
  }
  ~X87Double() { asm volatile("fldcw %0" : : "m"(saved_) : "memory"); }
  X87Double(const X87Double &) = delete;
  X87Double &operator=(const X87Double &) = delete;

private:
  std::uint16_t saved_ = 0;
};

inline long double pow2(int k) { return fromBits(static_cast<std::uint64_t>(k + 1023) << 52); }

// e^x as expPair computes it, every operation rounded to 53 bits; the exponent range of the
// x87 registers lets the scaling by 2^k stay exact until the one rounding of the store.
double expX87(double x) {
  const long double X = x;
  const long double t = X * kInvLn2 + kRoundMagic;
  const long double kf = t - kRoundMagic;
  const long double hi = X - kf * kLn2Hi;
  const long double lo = kf * kLn2Lo;
  const long double r = hi - lo;
  const long double z = r * r;
  const long double c = r - z * (kP1 + z * (kP2 + z * (kP3 + z * (kP4 + z * kP5))));
  const long double y = 1.0L - ((lo - (r * c) / (2.0L - c)) - hi);
  const int k = static_cast<int>(kf);
  return static_cast<double>((y * pow2(k / 2)) * pow2(k - k / 2));
}

template <bool (*Special)(double, double &)>
void expX87Vector(const double *src, double *dst, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    const double x = load(src + i);
    double out;
    if (!Special(x, out))
      out = expX87(x);
    store(dst + i, out);
  }
}

constexpr double kLg1 = 6.666666666666735130e-01;
constexpr double kLg2 = 3.999999999940941908e-01;
constexpr double kLg3 = 2.857142874366239149e-01;
constexpr double kLg4 = 2.222219843214978396e-01;
constexpr double kLg5 = 1.818357216161805012e-01;
constexpr double kLg6 = 1.531383769920937332e-01;
constexpr double kLg7 = 1.479819860511658591e-01;

// ln x for positive finite x: x = 2^k m with m in [sqrt(2)/2, sqrt(2)), f = m - 1.
double lnX87(double x) {
  int k = 0;
  if (x < 0x1p-1022) {
    x *= 0x1p54; // exact
    k = -54;
  }
  const std::uint64_t u = bitsOf(x);
  const int e = static_cast<int>(u >> 52);
  std::uint64_t mBits = u & kFraction;
  if ((u >> 32 & 0xFFFFF) >= 0x6A09E) {
    mBits |= std::uint64_t{0x3FE} << 52;
    k += e - 1022;
  } else {
    mBits |= std::uint64_t{0x3FF} << 52;
    k += e - 1023;
  }
  const long double m = fromBits(mBits);
  const long double f = m - 1.0L;
  const long double hfsq = (f * f) * 0.5L;
  const long double s = f / (m + 1.0L);
  const long double z = s * s;
  const long double R =
      z * (kLg1 + z * (kLg2 + z * (kLg3 + z * (kLg4 + z * (kLg5 + z * (kLg6 + z * kLg7))))));
  const long double kk = k;
  return static_cast<double>((((s * (hfsq + R) + kk * kLn2Lo) - hfsq) + f) + kk * kLn2Hi);
}

IppOpStatus lnStatus(int warning) {
  if (warning == 0)
    return ippStsNoErr;
  return warning == 2 ? ippStsLnZeroArg : ippStsLnNegArg;
}

} // namespace

void ownsExp_64f_Sse2(const double *pSrc, double *pDst, int len) { expSse2(pSrc, pDst, len); }

void ownsExp_64f_I_Sse2(double *pSrcDst, int len) { expSse2(pSrcDst, pSrcDst, len); }

int ownsLn_64f_Sse2(const double *pSrc, double *pDst, int len) {
  return lnSse2(pSrc, pDst, static_cast<std::size_t>(len));
}

void ownsExp_64f_Sse(const double *pSrc, double *pDst, int len) {
  const X87Double precision;
  const auto n = static_cast<std::size_t>(len);
  if (len < 4)
    expX87Vector<expSpecialShort>(pSrc, pDst, n);
  else
    expX87Vector<expSpecialLong>(pSrc, pDst, n);
}

void ownsExp_64f_I_Sse(double *pSrcDst, int len) { ownsExp_64f_Sse(pSrcDst, pSrcDst, len); }

int ownsLn_64f_Sse(const double *pSrc, double *pDst, int len) {
  const X87Double precision;
  int warning = 0;
  for (std::size_t i = 0, n = static_cast<std::size_t>(len); i < n; ++i) {
    const double x = load(pSrc + i);
    double out;
    if (!lnSpecial(x, out, warning))
      out = lnX87(x);
    store(pDst + i, out);
  }
  return warning;
}

namespace sse2 {

IppOpStatus ippsExp_64f_I(double *pSrcDst, int len) {
  if (const IppOpStatus st = checkPair(pSrcDst, pSrcDst, len); st != ippStsNoErr)
    return st;
  ownsExp_64f_I_Sse2(pSrcDst, len);
  return ippStsNoErr;
}

IppOpStatus ippsExp_64f(const double *pSrc, double *pDst, int len) {
  if (const IppOpStatus st = checkPair(pSrc, pDst, len); st != ippStsNoErr)
    return st;
  ownsExp_64f_Sse2(pSrc, pDst, len);
  return ippStsNoErr;
}

IppOpStatus ippsLn_64f_I(double *pSrcDst, int len) {
  if (const IppOpStatus st = checkPair(pSrcDst, pSrcDst, len); st != ippStsNoErr)
    return st;
  return lnStatus(ownsLn_64f_Sse2(pSrcDst, pSrcDst, len));
}

IppOpStatus ippsLn_64f(const double *pSrc, double *pDst, int len) {
  if (const IppOpStatus st = checkPair(pSrc, pDst, len); st != ippStsNoErr)
    return st;
  return lnStatus(ownsLn_64f_Sse2(pSrc, pDst, len));
}

} // namespace sse2

namespace sse {

IppOpStatus ippsExp_64f_I(double *pSrcDst, int len) {
  if (const IppOpStatus st = checkPair(pSrcDst, pSrcDst, len); st != ippStsNoErr)
    return st;
  ownsExp_64f_I_Sse(pSrcDst, len);
  return ippStsNoErr;
}

IppOpStatus ippsExp_64f(const double *pSrc, double *pDst, int len) {
  if (const IppOpStatus st = checkPair(pSrc, pDst, len); st != ippStsNoErr)
    return st;
  ownsExp_64f_Sse(pSrc, pDst, len);
  return ippStsNoErr;
}

IppOpStatus ippsLn_64f_I(double *pSrcDst, int len) {
  if (const IppOpStatus st = checkPair(pSrcDst, pSrcDst, len); st != ippStsNoErr)
    return st;
  return lnStatus(ownsLn_64f_Sse(pSrcDst, pSrcDst, len));
}

IppOpStatus ippsLn_64f(const double *pSrc, double *pDst, int len) {
  if (const IppOpStatus st = checkPair(pSrc, pDst, len); st != ippStsNoErr)
    return st;
  return lnStatus(ownsLn_64f_Sse(pSrc, pDst, len));
}

} // namespace sse

} // namespace kernels::signal
