// Code 6's direct convolution loop, in double on 16-byte registers.
//
// The kernel's taps go in groups of four (the last group holds lb mod 4). A group adds,
// at every result position n it reaches, its four products in one update:
//   dst[n] = ((h3·a[n-3] + h2·a[n-2]) + dst[n]) + (h0·a[n] + h1·a[n-1]),
// terms whose sample lies outside a left out (never multiplied by a zero, so an infinite
// tap cannot turn a missing term into a NaN). Each result is thus rounded once per group
// rather than once per product; the results differ from the generic's extended sums only
// by that rounding.
#include <emmintrin.h>

#include "kernels/signal/SignalCorrConv.h"

namespace kernels::signal::sse2 {

namespace {

// One position of a group of t taps h, with the sample reads checked against [0, la).
inline void updateChecked(const double *a, long long la, const double *h, int t, double *dst,
                          long long n) {
  auto term = [&](int k, double &out) {
    const long long j = n - k;
    if (k >= t || j < 0 || j >= la)
      return false;
    out = h[k] * a[j];
    return true;
  };
  double p0 = 0, p1 = 0, p2 = 0, p3 = 0;
  const bool has0 = term(0, p0), has1 = term(1, p1), has2 = term(2, p2), has3 = term(3, p3);
  double r = dst[n];
  if (has3 || has2) {
    const double hi = has3 && has2 ? p3 + p2 : (has3 ? p3 : p2);
    r = hi + r;
  }
  if (has0 || has1)
    r = r + (has0 && has1 ? p0 + p1 : (has0 ? p0 : p1));
  dst[n] = r;
}

// Positions where all t taps find a sample, two per register and four per step.
template <int T>
long long updateFull(const double *a, long long la, const double *h, double *dst, long long n) {
  const __m128d h0 = _mm_set1_pd(h[0]);
  const __m128d h1 = _mm_set1_pd(T > 1 ? h[1] : 0.0);
  const __m128d h2 = _mm_set1_pd(T > 2 ? h[2] : 0.0);
  const __m128d h3 = _mm_set1_pd(T > 3 ? h[3] : 0.0);
  auto two = [&](long long at) {
    __m128d lo = _mm_mul_pd(h0, _mm_loadu_pd(a + at));
    if constexpr (T > 1)
      lo = _mm_add_pd(lo, _mm_mul_pd(h1, _mm_loadu_pd(a + at - 1)));
    __m128d r = _mm_loadu_pd(dst + at);
    if constexpr (T > 2) {
      __m128d hi = _mm_mul_pd(h2, _mm_loadu_pd(a + at - 2));
      if constexpr (T > 3)
        hi = _mm_add_pd(_mm_mul_pd(h3, _mm_loadu_pd(a + at - 3)), hi);
      r = _mm_add_pd(hi, r);
    }
    _mm_storeu_pd(dst + at, _mm_add_pd(r, lo));
  };
  for (; n + 4 <= la; n += 4) {
    two(n);
    two(n + 2);
  }
  for (; n + 2 <= la; n += 2)
    two(n);
  return n;
}

void group(const double *a, long long la, const double *h, int t, double *dst) {
  const long long end = la + t - 1; // positions this group reaches
  long long n = 0;
  for (; n < t - 1 && n < end; ++n)
    updateChecked(a, la, h, t, dst, n);
  switch (t) {
  case 4:
    n = updateFull<4>(a, la, h, dst, n);
    break;
  case 3:
    n = updateFull<3>(a, la, h, dst, n);
    break;
  case 2:
    n = updateFull<2>(a, la, h, dst, n);
    break;
  default:
    n = updateFull<1>(a, la, h, dst, n);
    break;
  }
  for (; n < end; ++n)
    updateChecked(a, la, h, t, dst, n);
}

} // namespace

void ownsConvDirect_64f_Sse2(const double *a, int la, const double *b, int lb, double *dst) {
  for (int m = 0; m < lb; m += 4) {
    const int t = lb - m < 4 ? lb - m : 4;
    group(a, la, b + m, t, dst + m);
  }
}

} // namespace kernels::signal::sse2
