// Kaiser window on 16-byte registers (codes 16-17 and 6-9 share it).
//
// w(n) = I0(alpha sqrt(n (N-1-n))) / I0(alpha (N-1) / 2), two neighbouring pairs per step
// in the two lanes. I0 is the generic's polynomial approximation with the generic's
// coefficients, evaluated in double precision (the exponential of a large argument lane by
// lane through the library). The checks, the 308 limit and the norm are formed exactly as
// the generic forms them (extended precision, the argument from the float alpha without a
// single-precision product), so the weights differ from the generic's by rounding only:
// the bound grows with the exponential's argument (see the tests).
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include <emmintrin.h>

#include "kernels/basic/BasicKernels.h"
#include "kernels/common/ElementLoops.h"

namespace kernels::basic {

namespace {

using ext = long double;

constexpr double kSmall[] = {0.9999999985, 4.0000001935, 3.9999959541, 1.777809969,
                             0.4443189384, 0.0713758187, 0.0075942968, 0.0008267816};
constexpr double kLarge[] = {0.3989422809, 0.0124667783,  0.0017623668, 0.00026,
                             0.0022585672, -0.0128314822, 0.0495811118, -0.1209940805,
                             0.1895476618, -0.1867783276, 0.1113315511, -0.0366694767,
                             0.0051246015};

// The generic's I0 in extended precision, for the norm.
ext besselI0Extended(ext x) {
  const ext ax = std::fabs(x);
  if (ax < 4.0L) {
    const ext y = (ax * 0.25L) * (ax * 0.25L);
    ext r = kSmall[7];
    for (int i = 6; i >= 0; --i)
      r = kSmall[i] + y * r;
    return r;
  }
  const ext u = 4.0L / ax;
  ext p = kLarge[12];
  for (int i = 11; i >= 0; --i)
    p = kLarge[i] + u * p;
  return static_cast<double>(p) * std::exp(static_cast<double>(ax)) / std::sqrt(ax);
}

// I0 of two non-negative lanes: each lane takes the polynomial of its range. The large
// range divides 4 by the lane, so a zero lane (which takes the small range) is replaced
// by 1 there first.
__m128d besselI0Pair(__m128d a) {
  const __m128d quarter = _mm_mul_pd(a, _mm_set1_pd(0.25));
  const __m128d y = _mm_mul_pd(quarter, quarter);
  __m128d small = _mm_set1_pd(kSmall[7]);
  for (int i = 6; i >= 0; --i)
    small = _mm_add_pd(_mm_set1_pd(kSmall[i]), _mm_mul_pd(y, small));
  const __m128d isSmall = _mm_cmplt_pd(a, _mm_set1_pd(4.0));
  if (_mm_movemask_pd(isSmall) == 3)
    return small;
  const __m128d safe = _mm_or_pd(_mm_and_pd(isSmall, _mm_set1_pd(1.0)), _mm_andnot_pd(isSmall, a));
  const __m128d u = _mm_div_pd(_mm_set1_pd(4.0), safe);
  __m128d p = _mm_set1_pd(kLarge[12]);
  for (int i = 11; i >= 0; --i)
    p = _mm_add_pd(_mm_set1_pd(kLarge[i]), _mm_mul_pd(u, p));
  double lanes[2];
  _mm_storeu_pd(lanes, safe);
  const __m128d e = _mm_set_pd(std::exp(lanes[1]), std::exp(lanes[0]));
  const __m128d large = _mm_div_pd(_mm_mul_pd(p, e), _mm_sqrt_pd(safe));
  return _mm_or_pd(_mm_and_pd(isSmall, small), _mm_andnot_pd(isSmall, large));
}

double load1(const double *p) {
  double x;
  std::memcpy(&x, p, sizeof x);
  return x;
}
void store1(double *p, double x) { std::memcpy(p, &x, sizeof x); }

IppOpStatus kaiser(const double *src, double *dst, int len, float alpha) {
  if (!src || !dst)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  if (0.5L * std::fabs(static_cast<ext>(alpha)) * (len - 1) > 308.0L)
    return ippStsHugeWinErr;
  const std::size_t n = static_cast<std::size_t>(len);
  const __m128d norm = _mm_set1_pd(
      static_cast<double>(1.0L / besselI0Extended(0.5L * (alpha * static_cast<ext>(len - 1)))));
  const __m128d alphaV = _mm_set1_pd(static_cast<double>(alpha));
  const __m128d last = _mm_set1_pd(static_cast<double>(len - 1));
  const __m128d absMask = _mm_castsi128_pd(_mm_set1_epi64x(INT64_MAX));
  const std::size_t pairs = n / 2;
  const bool packed = !partlyOverlap(src, n * sizeof(double), dst, n * sizeof(double));
  __m128d k = _mm_set_pd(1.0, 0.0);
  for (std::size_t i = 0; i < pairs; i += 2) {
    const __m128d t = _mm_mul_pd(k, _mm_sub_pd(last, k)); // exact below 2^53
    const __m128d a = _mm_and_pd(_mm_mul_pd(alphaV, _mm_sqrt_pd(t)), absMask);
    const __m128d w = _mm_mul_pd(besselI0Pair(a), norm);
    k = _mm_add_pd(k, _mm_set1_pd(2.0));
    if (packed && i + 2 <= pairs) {
      const std::size_t back = n - 2 - i;
      _mm_storeu_pd(dst + i, _mm_mul_pd(_mm_loadu_pd(src + i), w));
      _mm_storeu_pd(dst + back, _mm_mul_pd(_mm_loadu_pd(src + back), _mm_shuffle_pd(w, w, 1)));
      continue;
    }
    double lanes[2];
    _mm_storeu_pd(lanes, w);
    for (std::size_t j = i; j < i + 2 && j < pairs; ++j) {
      store1(dst + j, load1(src + j) * lanes[j - i]);
      store1(dst + n - 1 - j, load1(src + n - 1 - j) * lanes[j - i]);
    }
  }
  if (n % 2 == 1 && src != dst)
    store1(dst + n / 2, load1(src + n / 2));
  return ippStsNoErr;
}

} // namespace

namespace sse2 {

IppOpStatus ippsWinKaiser_64f_I(double *pSrcDst, int len, float alpha) {
  return kaiser(pSrcDst, pSrcDst, len, alpha);
}
IppOpStatus ippsWinKaiser_64f(const double *pSrc, double *pDst, int len, float alpha) {
  return kaiser(pSrc, pDst, len, alpha);
}

} // namespace sse2

} // namespace kernels::basic
