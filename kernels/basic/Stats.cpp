// Largest element, smallest element and sum of a double vector for the 16-byte-register
// classes, and the code-5 extremes.
//
// The extremes are the generic's bit for bit: the first element seeds the result, only an
// element strictly beyond it replaces it, so a NaN after the first element never wins, a
// NaN first element is the result, and of equal values (-0.0 and +0.0 too) the first
// stays. The packed sum keeps eight partial sums in double precision; it differs from the
// generic's two extended-precision sums by rounding only.
#include <cstring>

#include <emmintrin.h>

#include "kernels/basic/BasicKernels.h"

namespace kernels::basic {

namespace {

double load1(const double *p) {
  double x;
  std::memcpy(&x, p, sizeof x);
  return x;
}

IppOpStatus checkReduction(const double *src, const double *result, int len) {
  if (!src || !result)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  return ippStsNoErr;
}

// Beyond(x, best) is a packed comparison true where x should replace best.
template <class Beyond> double extreme(const double *src, int len, Beyond beyond) {
  const double first = load1(src);
  if (first != first)
    return first; // nothing compares beyond a NaN
  const std::size_t n = static_cast<std::size_t>(len);
  __m128d acc[4];
  for (__m128d &a : acc)
    a = _mm_set1_pd(first);
  auto take = [&beyond](__m128d a, __m128d x) {
    const __m128d m = beyond(x, a);
    return _mm_or_pd(_mm_and_pd(m, x), _mm_andnot_pd(m, a));
  };
  std::size_t i = 1;
  for (; i + 8 <= n; i += 8)
    for (int k = 0; k < 4; ++k)
      acc[k] = take(acc[k], _mm_loadu_pd(src + i + 2 * k));
  for (int k = 1; k < 4; ++k)
    acc[0] = take(acc[0], acc[k]);
  for (; i + 2 <= n; i += 2)
    acc[0] = take(acc[0], _mm_loadu_pd(src + i));
  __m128d best = take(acc[0], _mm_unpackhi_pd(acc[0], acc[0]));
  if (i < n)
    best = take(best, _mm_set_sd(load1(src + i)));
  const double value = _mm_cvtsd_f64(best);
  // Lanes lose the order of equal zeros: the generic keeps the first zero met.
  if (value == 0.0) {
    for (std::size_t k = 0; k < n; ++k) {
      const double x = load1(src + k);
      if (x == 0.0)
        return x;
    }
  }
  return value;
}

} // namespace

namespace sse2 {

IppOpStatus ippsMax_64f(const double *pSrc, int len, double *pMax) {
  if (const IppOpStatus st = checkReduction(pSrc, pMax, len); st != ippStsNoErr)
    return st;
  const double m = extreme(pSrc, len, [](__m128d x, __m128d a) { return _mm_cmpgt_pd(x, a); });
  std::memcpy(pMax, &m, sizeof m);
  return ippStsNoErr;
}

IppOpStatus ippsMin_64f(const double *pSrc, int len, double *pMin) {
  if (const IppOpStatus st = checkReduction(pSrc, pMin, len); st != ippStsNoErr)
    return st;
  const double m = extreme(pSrc, len, [](__m128d x, __m128d a) { return _mm_cmplt_pd(x, a); });
  std::memcpy(pMin, &m, sizeof m);
  return ippStsNoErr;
}

// Eight partial sums (four registers) over blocks of eight, combined as
// (first + second) + (third + fourth); tails of two and one element join the first.
IppOpStatus ippsSum_64f(const double *pSrc, int len, double *pSum) {
  if (const IppOpStatus st = checkReduction(pSrc, pSum, len); st != ippStsNoErr)
    return st;
  const std::size_t n = static_cast<std::size_t>(len);
  __m128d a0 = _mm_setzero_pd(), a1 = a0, a2 = a0, a3 = a0;
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    a0 = _mm_add_pd(a0, _mm_loadu_pd(pSrc + i));
    a1 = _mm_add_pd(a1, _mm_loadu_pd(pSrc + i + 2));
    a2 = _mm_add_pd(a2, _mm_loadu_pd(pSrc + i + 4));
    a3 = _mm_add_pd(a3, _mm_loadu_pd(pSrc + i + 6));
  }
  a0 = _mm_add_pd(_mm_add_pd(a0, a1), _mm_add_pd(a2, a3));
  for (; i + 2 <= n; i += 2)
    a0 = _mm_add_pd(a0, _mm_loadu_pd(pSrc + i));
  if (i < n)
    a0 = _mm_add_sd(a0, _mm_set_sd(load1(pSrc + i)));
  const double s = _mm_cvtsd_f64(_mm_add_sd(_mm_unpackhi_pd(a0, a0), a0));
  std::memcpy(pSum, &s, sizeof s);
  return ippStsNoErr;
}

} // namespace sse2

} // namespace kernels::basic
