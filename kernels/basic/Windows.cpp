// Bartlett, Hann, Hamming and Blackman windows on 16-byte registers.
//
// Each window is symmetric: weight w(k) serves sample k and sample N-1-k, and an odd
// middle sample has weight 1 (copied out of place, untouched in place). The weights of
// two neighbouring pairs travel in the two lanes of a register: Bartlett's are k x 2/(N-1);
// the cosine windows take cos(k theta), theta = 2 pi/(N-1), from a rotation by 2 theta
// applied to both lanes, started from the generic's cos(theta) and sqrt(1 - cos^2). The
// generic runs the same recurrences one pair at a time in extended precision, so results
// differ from it by a bound that grows with k (stated in the tests); checks, statuses, the
// zero ends of Bartlett (stored, so non-finite end samples give 0 there as well) and of the
// three-sample Blackman are the generic's.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <numbers>

#include <emmintrin.h>

#include "kernels/basic/BasicKernels.h"
#include "kernels/common/ElementLoops.h"

namespace kernels::basic {

namespace {

using ext = long double;

double load1(const double *p) {
  double x;
  std::memcpy(&x, p, sizeof x);
  return x;
}
void store1(double *p, double x) { std::memcpy(p, &x, sizeof x); }
__m128d swapLanes(__m128d v) { return _mm_shuffle_pd(v, v, 1); }

// Applies weights two pairs at a time. next() returns the weights (w(k), w(k+1)) of the
// next two pairs. Where the vectors share part of their storage, the products are stored
// one by one in the generic's order (front, back, next front, next back).
template <class Next> void applyPairs(const double *src, double *dst, int len, Next next) {
  const std::size_t n = static_cast<std::size_t>(len);
  const std::size_t pairs = n / 2;
  const bool packed = !partlyOverlap(src, n * sizeof(double), dst, n * sizeof(double));
  std::size_t k = 0;
  for (; k < pairs; k += 2) {
    const __m128d w = next();
    if (packed && k + 2 <= pairs) {
      const std::size_t back = n - 2 - k; // samples N-2-k and N-1-k: weights w(k+1), w(k)
      _mm_storeu_pd(dst + k, _mm_mul_pd(_mm_loadu_pd(src + k), w));
      _mm_storeu_pd(dst + back, _mm_mul_pd(_mm_loadu_pd(src + back), swapLanes(w)));
      continue;
    }
    double lanes[2];
    _mm_storeu_pd(lanes, w);
    for (std::size_t j = k; j < k + 2 && j < pairs; ++j) {
      const __m128d wj = _mm_set_sd(lanes[j - k]);
      store1(dst + j, _mm_cvtsd_f64(_mm_mul_sd(_mm_set_sd(load1(src + j)), wj)));
      store1(dst + n - 1 - j, _mm_cvtsd_f64(_mm_mul_sd(_mm_set_sd(load1(src + n - 1 - j)), wj)));
    }
  }
  if (n % 2 == 1 && src != dst)
    store1(dst + n / 2, load1(src + n / 2));
}

// cos(k theta) and sin(k theta) for two consecutive k in two lanes, stepping k by 2.
class CosinePairs {
public:
  explicit CosinePairs(int len) {
    const double c1 = std::cos(2.0 * std::numbers::pi / (len - 1));
    const ext c1x = c1;
    const double s1 = std::sqrt(static_cast<double>(1.0L - c1x * c1x));
    const ext s1x = s1;
    c2_ = _mm_set1_pd(static_cast<double>(c1x * c1x - s1x * s1x));
    s2_ = _mm_set1_pd(static_cast<double>(2 * c1x * s1x));
    c_ = _mm_set_pd(c1, 1.0);
    s_ = _mm_set_pd(s1, 0.0);
  }
  // The cosines of the current two k; then both lanes advance by two steps.
  __m128d next() {
    const __m128d c = c_;
    c_ = _mm_sub_pd(_mm_mul_pd(c, c2_), _mm_mul_pd(s_, s2_));
    s_ = _mm_add_pd(_mm_mul_pd(s_, c2_), _mm_mul_pd(c, s2_));
    return c;
  }

private:
  __m128d c2_, s2_, c_, s_;
};

IppOpStatus raisedCosine(const double *src, double *dst, int len, double a, double b) {
  if (const IppOpStatus st = checkPair(src, dst, len, 3); st != ippStsNoErr)
    return st;
  CosinePairs cosines(len);
  const __m128d av = _mm_set1_pd(a), bv = _mm_set1_pd(b);
  applyPairs(src, dst, len, [&] { return _mm_sub_pd(av, _mm_mul_pd(bv, cosines.next())); });
  return ippStsNoErr;
}

IppOpStatus bartlett(const double *src, double *dst, int len) {
  if (const IppOpStatus st = checkPair(src, dst, len, 3); st != ippStsNoErr)
    return st;
  const __m128d f = _mm_set1_pd(2.0 / (len - 1));
  __m128d k = _mm_set_pd(1.0, 0.0);
  const __m128d two = _mm_set1_pd(2.0);
  applyPairs(src, dst, len, [&] {
    const __m128d w = _mm_mul_pd(k, f);
    k = _mm_add_pd(k, two);
    return w;
  });
  store1(dst, 0.0);
  store1(dst + len - 1, 0.0);
  return ippStsNoErr;
}

// w = (1 + alpha)/2 - cos/2 - (alpha/2) cos(2 k theta), cos(2x) = 2 cos^2 x - 1.
IppOpStatus blackman(const double *src, double *dst, int len, double alpha) {
  if (const IppOpStatus st = checkPair(src, dst, len, 3); st != ippStsNoErr)
    return st;
  if (len == 3) {
    const double middle = load1(src + 1);
    store1(dst, 0.0);
    store1(dst + 1, middle);
    store1(dst + 2, 0.0);
    return ippStsNoErr;
  }
  const __m128d g = _mm_set1_pd(static_cast<double>((1.0L + alpha) * 0.5L));
  const __m128d h = _mm_set1_pd(static_cast<double>(alpha * 0.5L));
  const __m128d half = _mm_set1_pd(0.5), one = _mm_set1_pd(1.0), two = _mm_set1_pd(2.0);
  CosinePairs cosines(len);
  applyPairs(src, dst, len, [&] {
    const __m128d c = cosines.next();
    const __m128d q = _mm_sub_pd(_mm_mul_pd(_mm_mul_pd(two, c), c), one);
    return _mm_sub_pd(_mm_sub_pd(g, _mm_mul_pd(half, c)), _mm_mul_pd(h, q));
  });
  return ippStsNoErr;
}

} // namespace

namespace sse2 {

IppOpStatus ippsWinBartlett_64f_I(double *pSrcDst, int len) {
  return bartlett(pSrcDst, pSrcDst, len);
}
IppOpStatus ippsWinBartlett_64f(const double *pSrc, double *pDst, int len) {
  return bartlett(pSrc, pDst, len);
}
IppOpStatus ippsWinHann_64f_I(double *pSrcDst, int len) {
  return raisedCosine(pSrcDst, pSrcDst, len, 0.5, 0.5);
}
IppOpStatus ippsWinHann_64f(const double *pSrc, double *pDst, int len) {
  return raisedCosine(pSrc, pDst, len, 0.5, 0.5);
}
IppOpStatus ippsWinHamming_64f_I(double *pSrcDst, int len) {
  return raisedCosine(pSrcDst, pSrcDst, len, 0.54, 0.46);
}
IppOpStatus ippsWinHamming_64f(const double *pSrc, double *pDst, int len) {
  return raisedCosine(pSrc, pDst, len, 0.54, 0.46);
}
IppOpStatus ippsWinBlackman_64f_I(double *pSrcDst, int len, double alpha) {
  return blackman(pSrcDst, pSrcDst, len, alpha);
}
IppOpStatus ippsWinBlackman_64f(const double *pSrc, double *pDst, int len, double alpha) {
  return blackman(pSrc, pDst, len, alpha);
}

} // namespace sse2

} // namespace kernels::basic
