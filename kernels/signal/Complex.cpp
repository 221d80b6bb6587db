// Complex double kernels in double precision, one element per register: the dot product
// (eight partial sums as the real one), the power spectrum re^2 + im^2 and the magnitude,
// its correctly rounded root. Where the double squares leave the normal range (above
// about 1e154 or below about 1e-146) the element is computed as the generic does: its
// extended sum rounded once to double (then the root), so the last bits of tiny results
// do not depend on partial squares lost below the range.
#include <cmath>
#include <cstddef>

#include <emmintrin.h>

#include "kernels/signal/Loops.h"
#include "kernels/signal/SignalKernels.h"

namespace kernels::signal {

namespace {

using detail::load;
using detail::store;

std::size_t count(int len) { return static_cast<std::size_t>(len); }

// re^2 + im^2 of two elements given as {re0, im0}, {re1, im1}: {p0, p1}.
__m128d power2(__m128d a, __m128d b) {
  const __m128d re = _mm_unpacklo_pd(a, b), im = _mm_unpackhi_pd(a, b);
  return _mm_add_pd(_mm_mul_pd(re, re), _mm_mul_pd(im, im));
}

double powerExtended(Ipp64fc x) {
  return static_cast<double>(static_cast<long double>(x.re) * x.re +
                             static_cast<long double>(x.im) * x.im);
}

double magnitudeExtended(Ipp64fc x) { return std::sqrt(powerExtended(x)); }

// The lanes whose double square sum may differ from the extended one by more than its
// rounding: infinite, or below the normal range's 2^-968 (partial squares lost).
int outOfRange(__m128d p) {
  const __m128d inf = _mm_set1_pd(INFINITY), low = _mm_set1_pd(0x1p-968);
  return _mm_movemask_pd(_mm_or_pd(_mm_cmpeq_pd(p, inf), _mm_cmplt_pd(p, low)));
}

// pDst[i] = f(pSrc[i]) two elements at a time, with the extended form for out-of-range
// lanes and for the last odd element.
template <class Finish, class Exact>
IppOpStatus spectrum(const Ipp64fc *pSrc, double *pDst, int len, Finish finish, Exact exact) {
  if (!pSrc || !pDst)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  const std::size_t n = count(len);
  const double *src = reinterpret_cast<const double *>(pSrc);
  std::size_t i = 0;
  if (!partlyOverlap(pSrc, 16 * n, pDst, 8 * n) ||
      static_cast<const void *>(pSrc) == static_cast<void *>(pDst)) {
    for (; i + 2 <= n; i += 2) {
      const Ipp64fc x0 = load(pSrc + i), x1 = load(pSrc + i + 1);
      const __m128d p = power2(_mm_loadu_pd(src + 2 * i), _mm_loadu_pd(src + 2 * i + 2));
      const int odd = outOfRange(p);
      double r[2];
      _mm_storeu_pd(r, finish(p));
      if (odd & 1)
        r[0] = exact(x0);
      if (odd & 2)
        r[1] = exact(x1);
      store(pDst + i, r[0]);
      store(pDst + i + 1, r[1]);
    }
  }
  for (; i < n; ++i)
    store(pDst + i, exact(load(pSrc + i)));
  return ippStsNoErr;
}

} // namespace

namespace sse2 {

IppOpStatus ippsPowerSpectr_64fc(const Ipp64fc *pSrc, double *pDst, int len) {
  return spectrum(
      pSrc, pDst, len, [](__m128d p) { return p; }, powerExtended);
}

IppOpStatus ippsMagnitude_64fc(const Ipp64fc *pSrc, double *pDst, int len) {
  return spectrum(
      pSrc, pDst, len, [](__m128d p) { return _mm_sqrt_pd(p); }, magnitudeExtended);
}

// sum of x * y (no conjugate): with A = sum x * y.re and B = sum x * y.im (both as
// {re, im} pairs), re = A.re - B.im and im = B.re + A.im. A result the double sums
// cannot hold (overflow of a partial sum, NaN from opposite infinities) is recomputed in
// extended precision in the generic's order.
IppOpStatus ippsDotProd_64fc(const Ipp64fc *pSrc1, const Ipp64fc *pSrc2, int len, Ipp64fc *pDp) {
  if (!pSrc1 || !pSrc2 || !pDp)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  const std::size_t n = count(len);
  const double *a = reinterpret_cast<const double *>(pSrc1);
  const double *b = reinterpret_cast<const double *>(pSrc2);
  __m128d A0 = _mm_setzero_pd(), A1 = A0, B0 = A0, B1 = A0;
  std::size_t i = 0;
  for (; i + 2 <= n; i += 2) {
    const __m128d x0 = _mm_loadu_pd(a + 2 * i), y0 = _mm_loadu_pd(b + 2 * i);
    const __m128d x1 = _mm_loadu_pd(a + 2 * i + 2), y1 = _mm_loadu_pd(b + 2 * i + 2);
    A0 = _mm_add_pd(A0, _mm_mul_pd(x0, _mm_unpacklo_pd(y0, y0)));
    B0 = _mm_add_pd(B0, _mm_mul_pd(x0, _mm_unpackhi_pd(y0, y0)));
    A1 = _mm_add_pd(A1, _mm_mul_pd(x1, _mm_unpacklo_pd(y1, y1)));
    B1 = _mm_add_pd(B1, _mm_mul_pd(x1, _mm_unpackhi_pd(y1, y1)));
  }
  if (i < n) {
    const __m128d x = _mm_loadu_pd(a + 2 * i), y = _mm_loadu_pd(b + 2 * i);
    A0 = _mm_add_pd(A0, _mm_mul_pd(x, _mm_unpacklo_pd(y, y)));
    B0 = _mm_add_pd(B0, _mm_mul_pd(x, _mm_unpackhi_pd(y, y)));
  }
  const __m128d A = _mm_add_pd(A0, A1), B = _mm_add_pd(B0, B1);
  Ipp64fc r{_mm_cvtsd_f64(_mm_sub_sd(A, _mm_unpackhi_pd(B, B))),
            _mm_cvtsd_f64(_mm_add_sd(B, _mm_unpackhi_pd(A, A)))};
  if (!std::isfinite(r.re) || !std::isfinite(r.im)) {
    long double re = 0, im = 0;
    for (std::size_t k = 0; k < n; ++k) {
      const Ipp64fc x = load(pSrc1 + k), y = load(pSrc2 + k);
      re = (re + static_cast<long double>(x.re) * y.re) - static_cast<long double>(x.im) * y.im;
      im = (im + static_cast<long double>(x.re) * y.im) + static_cast<long double>(x.im) * y.re;
    }
    r = {static_cast<double>(re), static_cast<double>(im)};
  }
  *pDp = r;
  return ippStsNoErr;
}

} // namespace sse2

} // namespace kernels::signal
