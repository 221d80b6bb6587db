// Phase of complex doubles, atan2(im, re), two elements per register.
//
// With a = min(|re|, |im|) and b = max, atan(a / b) = atan(c) + atan(u) for the nearest
// c = i / 16 to a / b and u = (a - c b) / (b + c a), |u| <= 1/32. Numerator and
// denominator are formed as double-double values (Dekker's splitting, no fused
// multiply-add needed), u as a double-double quotient, atan(u) by its series through u^11,
// and atan(c) from a table of double-double values; the quadrant (pi/2 - A, pi - A,
// pi/2 + A) is added in double-double before the one final rounding, which keeps the
// result within 1 ulp of the correctly rounded angle. Zeros, infinities, NaNs and
// elements whose magnitudes lie outside [2^-800, 2^800] or whose ratio is below 2^-60
// take the generic's atan2 itself, so their results are the generic's bits.
#include <cmath>
#include <cstddef>
#include <cstdint>

#include <emmintrin.h>

#include "kernels/signal/Loops.h"
#include "kernels/signal/MathKernels.h"

namespace kernels::signal {

namespace {

using detail::load;
using detail::store;

inline __m128d all(double c) { return _mm_set1_pd(c); }

struct AtanTable {
  double hi[17], lo[17];
};

const AtanTable &atanTable() {
  static const AtanTable table = [] {
    AtanTable t{};
    for (int i = 0; i <= 16; ++i) {
      const long double v = std::atan(static_cast<long double>(i) / 16.0L);
      t.hi[i] = static_cast<double>(v);
      t.lo[i] = static_cast<double>(v - t.hi[i]);
    }
    return t;
  }();
  return table;
}

constexpr double kPiHi = 3.141592653589793;
constexpr double kPiLo = 1.2246467991473532e-16;
constexpr double kHalfPiHi = 1.5707963267948966;
constexpr double kHalfPiLo = 6.123233995736766e-17;

inline void twoSum(__m128d a, __m128d b, __m128d &s, __m128d &e) {
  s = a + b;
  const __m128d bb = s - a;
  e = (a - (s - bb)) + (b - bb);
}

// The same when |a| >= |b|.
inline void fastTwoSum(__m128d a, __m128d b, __m128d &s, __m128d &e) {
  s = a + b;
  e = b - (s - a);
}

inline void split(__m128d x, __m128d &hi, __m128d &lo) {
  const __m128d t = x * all(134217729.0); // 2^27 + 1
  hi = t - (t - x);
  lo = x - hi;
}

// p + e = a * b exactly.
inline void twoProduct(__m128d a, __m128d b, __m128d &p, __m128d &e) {
  p = a * b;
  __m128d ah, al, bh, bl;
  split(a, ah, al);
  split(b, bh, bl);
  e = ((ah * bh - p) + ah * bl + al * bh) + al * bl;
}

inline __m128d select(__m128d mask, __m128d yes, __m128d no) {
  return _mm_or_pd(_mm_and_pd(mask, yes), _mm_andnot_pd(mask, no));
}

// Angles of two elements; a lane whose bit is clear in the returned mask is not ordinary
// and its result must come from atan2 instead.
inline __m128d phasePair(__m128d re, __m128d im, const AtanTable &tab, int &ordinaryMask) {
  const __m128d signBit = all(-0.0);
  const __m128d ar = _mm_andnot_pd(signBit, re);
  const __m128d ai = _mm_andnot_pd(signBit, im);
  __m128d a = _mm_min_pd(ar, ai);
  __m128d b = _mm_max_pd(ar, ai);
  // min and max pass a NaN over: the ordered test keeps it out.
  const __m128d ordinary =
      _mm_and_pd(_mm_and_pd(_mm_cmpord_pd(re, im), _mm_and_pd(_mm_cmpge_pd(b, all(0x1p-800)),
                                                              _mm_cmple_pd(b, all(0x1p800)))),
                 _mm_cmpge_pd(a, b * all(0x1p-60)));
  ordinaryMask = _mm_movemask_pd(ordinary);
  if (ordinaryMask == 0)
    return _mm_setzero_pd();
  a = select(ordinary, a, all(0.5));
  b = select(ordinary, b, all(1.0));

  const __m128i i = _mm_cvttpd_epi32((a / b) * all(16.0) + all(0.5));
  const __m128d c = _mm_cvtepi32_pd(i) * all(1.0 / 16);
  const int i0 = _mm_cvtsi128_si32(i);
  const int i1 = _mm_cvtsi128_si32(_mm_srli_si128(i, 4));
  const __m128d th = _mm_set_pd(tab.hi[i1], tab.hi[i0]);
  const __m128d tl = _mm_set_pd(tab.lo[i1], tab.lo[i0]);

  // c has at most five significant bits, so c times a 26-bit half is exact.
  __m128d ah, al, bh, bl;
  split(a, ah, al);
  split(b, bh, bl);
  __m128d nh, ne, dh, de, nl, dl;
  twoSum(a, -(c * bh), nh, ne);
  fastTwoSum(nh, ne - c * bl, nh, nl);
  twoSum(b, c * ah, dh, de);
  fastTwoSum(dh, de + c * al, dh, dl);
  const __m128d q = nh / dh;
  __m128d p, pe;
  twoProduct(q, dh, p, pe);
  const __m128d ql = ((((nh - p) - pe) + nl) - q * dl) / dh;

  const __m128d z = q * q;
  const __m128d series =
      q * z *
      (all(-1.0 / 3) +
       z * (all(1.0 / 5) + z * (all(-1.0 / 7) + z * (all(1.0 / 9) + z * all(-1.0 / 11)))));
  __m128d ahi, ae;
  twoSum(th, q, ahi, ae);
  const __m128d alo = ae + (tl + (ql + series));

  // Quadrant: |im| > |re| gives pi/2 - A, re < 0 gives pi - (that).
  const __m128d swap = _mm_cmpgt_pd(ai, ar);
  const __m128d negative = _mm_cmplt_pd(re, _mm_setzero_pd());
  const __m128d kHi = select(swap, all(kHalfPiHi), _mm_and_pd(negative, all(kPiHi)));
  const __m128d kLo = select(swap, all(kHalfPiLo), _mm_and_pd(negative, all(kPiLo)));
  const __m128d flip = _mm_and_pd(_mm_xor_pd(swap, negative), signBit);
  __m128d h, he;
  twoSum(kHi, _mm_xor_pd(ahi, flip), h, he);
  const __m128d angle = h + (he + (kLo + _mm_xor_pd(alo, flip)));
  return _mm_or_pd(angle, _mm_and_pd(im, signBit));
}

double phaseOne(Ipp64fc x, const AtanTable &tab) {
  int ordinary = 0;
  const double r = _mm_cvtsd_f64(phasePair(_mm_set_sd(x.re), _mm_set_sd(x.im), tab, ordinary));
  return (ordinary & 1) ? r : std::atan2(x.im, x.re);
}

} // namespace

void ownsPhase_64fc_Sse2(const Ipp64fc *pSrc, double *pDst, int len) {
  const AtanTable &tab = atanTable();
  const auto n = static_cast<std::size_t>(len);
  std::size_t i = 0;
  if (!partlyOverlap(pSrc, n * sizeof(Ipp64fc), pDst, n * sizeof(double))) {
    const double *src = reinterpret_cast<const double *>(pSrc);
    for (; i + 2 <= n; i += 2) {
      const __m128d x0 = _mm_loadu_pd(src + 2 * i);
      const __m128d x1 = _mm_loadu_pd(src + 2 * i + 2);
      int ordinary = 0;
      const __m128d r = phasePair(_mm_unpacklo_pd(x0, x1), _mm_unpackhi_pd(x0, x1), tab, ordinary);
      if (ordinary == 3) {
        _mm_storeu_pd(pDst + i, r);
        continue;
      }
      double out[2];
      _mm_storeu_pd(out, r);
      for (int k = 0; k < 2; ++k) {
        const Ipp64fc x = load(pSrc + i + k);
        store(pDst + i + k, (ordinary >> k & 1) ? out[k] : std::atan2(x.im, x.re));
      }
    }
  }
  for (; i < n; ++i)
    store(pDst + i, phaseOne(load(pSrc + i), tab));
}

namespace sse2 {

IppOpStatus ippsPhase_64fc(const Ipp64fc *pSrc, double *pDst, int len) {
  if (!pSrc || !pDst)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  ownsPhase_64fc_Sse2(pSrc, pDst, len);
  return ippStsNoErr;
}

} // namespace sse2

} // namespace kernels::signal
