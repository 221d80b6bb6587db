// Complex products in double precision, one element per register, in the generic's
// formulas and order: x * v = (x.re v.re - x.im v.im, x.re v.im + x.im v.re) and
// x^2 = ((re - im)(re + im), (re im) 2). The generic keeps each element's intermediate
// values in extended precision, so the results differ by the double roundings of the
// products (bounded by 2^-52 (|x.re v.re| + |x.im v.im|) per part). An element whose
// double intermediate values overflow while its operands are finite is computed as the
// generic computes it.
#include <cmath>
#include <cstddef>

#include <emmintrin.h>

#include "kernels/signal/Loops.h"
#include "kernels/signal/SignalKernels.h"

namespace kernels::signal {

namespace {

using detail::load;
using detail::store;

Ipp64fc mulExtended(Ipp64fc x, Ipp64fc v) {
  const long double re =
      static_cast<long double>(x.re) * v.re - static_cast<long double>(x.im) * v.im;
  const long double im =
      static_cast<long double>(x.re) * v.im + static_cast<long double>(x.im) * v.re;
  return {static_cast<double>(re), static_cast<double>(im)};
}

Ipp64fc sqrExtended(Ipp64fc x) {
  const long double re =
      (static_cast<long double>(x.re) - x.im) * (static_cast<long double>(x.re) + x.im);
  const long double im = (static_cast<long double>(x.re) * x.im) * 2;
  return {static_cast<double>(re), static_cast<double>(im)};
}

// True when a part of y is infinite or NaN while both parts of x are finite.
bool leftTheRange(__m128d x, __m128d y) {
  const __m128d magnitude = _mm_castsi128_pd(_mm_set1_epi64x(0x7FFFFFFFFFFFFFFF));
  const __m128d inf = _mm_set1_pd(INFINITY);
  const int yInf = _mm_movemask_pd(_mm_cmpnlt_pd(_mm_and_pd(y, magnitude), inf));
  const int xFinite = _mm_movemask_pd(_mm_cmplt_pd(_mm_and_pd(x, magnitude), inf));
  return yInf != 0 && xFinite == 3;
}

// pDst[i] = f(pSrc[i]) element by element (each element read before it is written).
template <class F, class Exact>
IppOpStatus mapComplex(const Ipp64fc *pSrc, Ipp64fc *pDst, int len, F f, Exact exact) {
  if (!pSrc || !pDst)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  const double *s = reinterpret_cast<const double *>(pSrc);
  double *d = reinterpret_cast<double *>(pDst);
  for (std::size_t i = 0; i < static_cast<std::size_t>(len); ++i) {
    const __m128d x = _mm_loadu_pd(s + 2 * i);
    const __m128d y = f(x);
    if (leftTheRange(x, y))
      store(pDst + i, exact(load(pSrc + i)));
    else
      _mm_storeu_pd(d + 2 * i, y);
  }
  return ippStsNoErr;
}

// x * v with v as {v.re, v.re} and {-v.im, v.im}: x * vRe + swap(x) * vIm.
IppOpStatus ownsMulC_64fc_Sse2(const Ipp64fc *pSrc, Ipp64fc val, Ipp64fc *pDst, int len) {
  const __m128d vRe = _mm_set1_pd(val.re);
  const __m128d vIm = _mm_set_pd(val.im, -val.im);
  return mapComplex(
      pSrc, pDst, len,
      [=](__m128d x) {
        const __m128d swapped = _mm_shuffle_pd(x, x, 1);
        return _mm_add_pd(_mm_mul_pd(x, vRe), _mm_mul_pd(swapped, vIm));
      },
      [val](Ipp64fc x) { return mulExtended(x, val); });
}

} // namespace

namespace sse2 {

IppOpStatus ippsMulC_64fc_I(Ipp64fc val, Ipp64fc *pSrcDst, int len) {
  return ownsMulC_64fc_Sse2(pSrcDst, val, pSrcDst, len);
}

// The factor conj(val) / |val|^2 is formed once as the generic forms it (extended |val|^2,
// so a constant whose square underflows in double is still a divisor), then multiplied.
IppOpStatus ippsDivC_64fc_I(Ipp64fc val, Ipp64fc *pSrcDst, int len) {
  if (!pSrcDst)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  const long double m =
      static_cast<long double>(val.re) * val.re + static_cast<long double>(val.im) * val.im;
  if (m == 0 || std::isnan(m))
    return ippStsDivByZeroErr;
  const long double r = 1.0L / m;
  const Ipp64fc c{static_cast<double>(val.re * r), static_cast<double>(-val.im * r)};
  return ownsMulC_64fc_Sse2(pSrcDst, c, pSrcDst, len);
}

IppOpStatus ippsSqr_64fc(const Ipp64fc *pSrc, Ipp64fc *pDst, int len) {
  const __m128d two = _mm_set_pd(2.0, 1.0);
  return mapComplex(
      pSrc, pDst, len,
      [two](__m128d x) {
        // {re, re} and {im, im}: re part (re - im)(re + im), im part (re im) 2.
        const __m128d re = _mm_unpacklo_pd(x, x), im = _mm_unpackhi_pd(x, x);
        const __m128d a = _mm_unpacklo_pd(_mm_sub_sd(re, im), re); // {re - im, re}
        const __m128d b = _mm_unpacklo_pd(_mm_add_sd(re, im), im); // {re + im, im}
        return _mm_mul_pd(_mm_mul_pd(a, b), two);
      },
      sqrExtended);
}

IppOpStatus ippsSqr_64fc_I(Ipp64fc *pSrcDst, int len) {
  return ippsSqr_64fc(pSrcDst, pSrcDst, len);
}

} // namespace sse2

} // namespace kernels::signal
