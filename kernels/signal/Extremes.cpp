// Largest and smallest element with the index of its first occurrence. The generic keeps
// the first element and replaces the current extreme only by one strictly beyond it, so:
// a NaN first element stays the result (index 0); later NaNs never win; among elements
// equal to the extreme (+0 and -0 included) the first one wins, with its own bits. The
// kernel finds the extreme value by packed comparisons with the same rule, then the first
// element that compares equal to it.
#include <cmath>
#include <cstddef>

#include <emmintrin.h>

#include "kernels/signal/Loops.h"
#include "kernels/signal/SignalKernels.h"

namespace kernels::signal {

namespace {

using detail::load;

// The index of the extreme of n >= 1 elements; beyond(x, best) gives the lanes where x
// replaces best.
template <class Beyond> std::size_t extremeIndex(const double *pSrc, std::size_t n, Beyond beyond) {
  const double first = load(pSrc);
  std::size_t at = 0;
  if (!std::isnan(first)) {
    const auto keep = [&](__m128d best, __m128d x) {
      const __m128d m = beyond(x, best);
      return _mm_or_pd(_mm_and_pd(m, x), _mm_andnot_pd(m, best));
    };
    __m128d a = _mm_set1_pd(first), b = a;
    std::size_t i = 1;
    for (; i + 4 <= n; i += 4) {
      a = keep(a, _mm_loadu_pd(pSrc + i));
      b = keep(b, _mm_loadu_pd(pSrc + i + 2));
    }
    for (; i < n; ++i)
      a = keep(a, _mm_set1_pd(load(pSrc + i)));
    a = keep(a, b);
    a = keep(a, _mm_unpackhi_pd(a, a));
    // Neither lane holds a NaN, so the first element equal to the extreme is the one the
    // generic's strict comparison settles on.
    const __m128d target = _mm_unpacklo_pd(a, a);
    std::size_t j = 0;
    for (; j + 2 <= n; j += 2) {
      const int hit = _mm_movemask_pd(_mm_cmpeq_pd(_mm_loadu_pd(pSrc + j), target));
      if (hit != 0) {
        at = j + ((hit & 1) ? 0 : 1);
        break;
      }
    }
    if (j + 2 > n)
      at = n - 1; // the last element, alone in the tail
  }
  return at;
}

constexpr auto kAbove = [](__m128d x, __m128d best) { return _mm_cmpgt_pd(x, best); };
constexpr auto kBelow = [](__m128d x, __m128d best) { return _mm_cmplt_pd(x, best); };

std::size_t ownsMaxIndx_64f_Sse2(const double *pSrc, std::size_t n) {
  return extremeIndex(pSrc, n, kAbove);
}
std::size_t ownsMinIndx_64f_Sse2(const double *pSrc, std::size_t n) {
  return extremeIndex(pSrc, n, kBelow);
}

// The value-only forms (a null index pointer): the same search, so the same element.
double ownsMax_64f_Sse2(const double *pSrc, std::size_t n) {
  return load(pSrc + ownsMaxIndx_64f_Sse2(pSrc, n));
}
double ownsMin_64f_Sse2(const double *pSrc, std::size_t n) {
  return load(pSrc + ownsMinIndx_64f_Sse2(pSrc, n));
}

template <std::size_t (*Indexed)(const double *, std::size_t),
          double (*ValueOnly)(const double *, std::size_t)>
IppOpStatus extremum(const double *pSrc, int len, double *pValue, int *pIndx) {
  if (!pSrc || !pValue)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  const std::size_t n = static_cast<std::size_t>(len);
  if (!pIndx) {
    *pValue = ValueOnly(pSrc, n);
    return ippStsNoErr;
  }
  const std::size_t at = Indexed(pSrc, n);
  *pValue = load(pSrc + at);
  *pIndx = static_cast<int>(at);
  return ippStsNoErr;
}

} // namespace

namespace sse2 {

IppOpStatus ippsMaxIndx_64f(const double *pSrc, int len, double *pMax, int *pIndx) {
  return extremum<ownsMaxIndx_64f_Sse2, ownsMax_64f_Sse2>(pSrc, len, pMax, pIndx);
}

IppOpStatus ippsMinIndx_64f(const double *pSrc, int len, double *pMin, int *pIndx) {
  return extremum<ownsMinIndx_64f_Sse2, ownsMin_64f_Sse2>(pSrc, len, pMin, pIndx);
}

} // namespace sse2

} // namespace kernels::signal
