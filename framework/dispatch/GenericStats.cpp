// Generic reductions, thresholds, normalisation and the Jaehne signal. Sums run
// in long double in a fixed order (it decides the last bit of the result) and are
// rounded once when stored.

#include <algorithm>
#include <bit>
#include <climits>
#include <cmath>
#include <cstdint>

#include <emmintrin.h>

#include "framework/dispatch/GenericHelpers.h"
#include "framework/dispatch/Libcdispatcher.h"
#include "framework/dispatch/Slbasicdispatcher.h"
#include "framework/dispatch/Slbcbbasicdispatcher.h"
#include "framework/dispatch/Vizazodizaro.h"

namespace dispatch_ops {
namespace {

// The two partial sums over groups of four elements: `even` takes the first and
// third element of each group, `odd` the second and fourth. Returns the number of
// elements consumed.
template <class T, class Fn>
int pairedGroupSums(const T *p, int len, long double &even, long double &odd, Fn term) {
  const int groups = len / 4;
  for (int g = 0; g < groups; ++g) {
    const T *q = p + 4 * g;
    even += term(q[0]);
    odd += term(q[1]);
    even += term(q[2]);
    odd += term(q[3]);
  }
  return groups * 4;
}

constexpr auto kIdentity = [](auto x) { return static_cast<long double>(x); };

// The float sum when the long double sums below provably round nowhere, so that
// their result is the exact sum rounded once; false where they might round.
// Every partial sum there is a sum of some of the elements: below 2^p (p from
// the largest magnitude and the count) and a multiple of the smallest element's
// unit in the last place 2^u; p - u <= 64 makes every one of them exact. The
// exact sum is formed here in doubles in any order: each element is split
// into a multiple of 2^(p - 50) and a remainder, and both sums of parts are
// exact by the same count of bits; their sum is rounded to odd in a double
// and then to float, which rounds the exact sum once.
bool exactSum32f(const float *p, int len, float &sum) {
  if (len < 16 || len > (1 << 24))
    return false;
  // The largest magnitude and the smallest non-zero one. A NaN may slip past
  // these; it makes the sums below NaN, which sends the block to the long
  // double sums like an infinity.
  const __m128 absMask = _mm_castsi128_ps(_mm_set1_epi32(INT32_MAX));
  const __m128 inf = _mm_set1_ps(INFINITY), zero = _mm_setzero_ps();
  __m128 maxAbs = zero, minAbs = inf;
  int i = 0;
  for (; i + 4 <= len; i += 4) {
    const __m128 a = _mm_and_ps(_mm_loadu_ps(p + i), absMask);
    const __m128 isZero = _mm_cmpeq_ps(a, zero);
    maxAbs = _mm_max_ps(maxAbs, a);
    minAbs = _mm_min_ps(minAbs, _mm_or_ps(_mm_andnot_ps(isZero, a), _mm_and_ps(isZero, inf)));
  }
  alignas(16) float maxLanes[4], minLanes[4];
  _mm_store_ps(maxLanes, maxAbs);
  _mm_store_ps(minLanes, minAbs);
  std::int32_t maxBits = 0, minBits = INT32_MAX;
  auto take = [&](float m, float n) {
    maxBits = std::max(maxBits, std::bit_cast<std::int32_t>(m) & INT32_MAX);
    const std::int32_t nb = std::bit_cast<std::int32_t>(n) & INT32_MAX;
    minBits = std::min(minBits, nb == 0 ? INT32_MAX : nb);
  };
  for (int j = 0; j < 4; ++j)
    take(maxLanes[j], minLanes[j]);
  for (int j = i; j < len; ++j)
    take(p[j], p[j]);
  if (maxBits >= 0x7F800000) // an infinity or a NaN
    return false;
  if (maxBits == 0) { // zeros of either sign sum to +0
    sum = 0.0f;
    return true;
  }
  int countBits = 1; // len <= 2^(countBits - 1)
  while ((std::int64_t(1) << (countBits - 1)) < len)
    ++countBits;
  const int top = ((maxBits >> 23) - 126) + countBits - 1;
  const int unit = std::max(minBits >> 23, 1) - 150;
  if (top - unit > 64)
    return false;
  const double magic = std::ldexp(1.5, top - 50 + 52);
  const __m128d m = _mm_set1_pd(magic);
  // Eight elements a step into four pairs of lanes: the adds of one step do
  // not wait for each other.
  __m128d hi[4], lo[4];
  for (int j = 0; j < 4; ++j)
    hi[j] = lo[j] = _mm_setzero_pd();
  i = 0;
  for (; i + 8 <= len; i += 8) {
    for (int k = 0; k < 2; ++k) {
      const __m128 f = _mm_loadu_ps(p + i + 4 * k);
      const __m128d d[2] = {_mm_cvtps_pd(f), _mm_cvtps_pd(_mm_movehl_ps(f, f))};
      for (int j = 0; j < 2; ++j) {
        const __m128d h = _mm_sub_pd(_mm_add_pd(d[j], m), m);
        hi[2 * k + j] = _mm_add_pd(hi[2 * k + j], h);
        lo[2 * k + j] = _mm_add_pd(lo[2 * k + j], _mm_sub_pd(d[j], h));
      }
    }
  }
  alignas(16) double lanes[16];
  for (int j = 0; j < 4; ++j) {
    _mm_store_pd(lanes + 2 * j, hi[j]);
    _mm_store_pd(lanes + 8 + 2 * j, lo[j]);
  }
  double H = 0, L = 0;
  for (int j = 0; j < 8; ++j) {
    H += lanes[j];
    L += lanes[8 + j];
  }
  for (; i < len; ++i) {
    const double d = p[i];
    const double h = (d + magic) - magic;
    H += h;
    L += d - h;
  }
  if (!std::isfinite(H) || !std::isfinite(L))
    return false;
  double s = H + L;
  const double back = s - H;
  const double err = (H - (s - back)) + (L - back);
  if (err != 0 && (std::bit_cast<std::uint64_t>(s) & 1) == 0)
    s = std::nextafter(s, err > 0 ? INFINITY : -INFINITY);
  sum = static_cast<float>(s);
  return true;
}

int sum32f(const float *pSrc, int len, float *pSum) {
  if (!pSrc || !pSum)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  if (exactSum32f(pSrc, len, *pSum))
    return ippStsNoErr;
  long double even = 0, odd = 0;
  int i = pairedGroupSums(pSrc, len, even, odd, kIdentity);
  long double total = odd + even;
  for (; i < len; ++i)
    total += pSrc[i];
  *pSum = static_cast<float>(total);
  return ippStsNoErr;
}

int mean64f(const double *pSrc, int len, double *pMean) {
  if (!pSrc || !pMean)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  long double even = 0, odd = 0;
  int i = pairedGroupSums(pSrc, len, even, odd, kIdentity);
  for (; i < len; ++i)
    even += pSrc[i];
  *pMean = static_cast<double>((odd + even) / len);
  return ippStsNoErr;
}

int stdDev64f(const double *pSrc, int len, double *pStdDev) {
  if (!pSrc || !pStdDev)
    return ippStsNullPtrErr;
  if (len < 2)
    return ippStsSizeErr;
  long double s1 = 0, s2 = 0, q1 = 0, q2 = 0;
  pairedGroupSums(pSrc, len, s1, s2, kIdentity);
  const int done = pairedGroupSums(pSrc, len, q1, q2, [](double x) {
    const long double v = x;
    return v * v;
  });
  long double s = s2 + s1;
  long double q = q2 + q1;
  for (int i = done; i < len; ++i) {
    const long double v = pSrc[i];
    s += v;
    q += v * v;
  }
  const long double n = len;
  const long double g = q * n - s * s;
  // Rounding can leave g slightly negative for constant data.
  *pStdDev = g > 0 ? static_cast<double>(std::sqrt(g / (n * (n - 1)))) : 0.0;
  return ippStsNoErr;
}

// One accumulator, elements in order from the first; `finish` works on the extended sum
// before it is rounded.
template <class Term, class Finish = decltype(kIdentity)>
int reduce2(const double *pSrc1, const double *pSrc2, int len, double *pResult, Term term,
            Finish finish = kIdentity) {
  if (!pSrc1 || !pSrc2 || !pResult)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  long double acc = 0;
  for (int i = 0; i < len; ++i)
    acc += term(static_cast<long double>(pSrc1[i]), pSrc2[i]);
  *pResult = static_cast<double>(finish(acc));
  return ippStsNoErr;
}

int dotProd64f(const double *a, const double *b, int len, double *pDp) {
  return reduce2(a, b, len, pDp, [](long double x, long double y) { return x * y; });
}

int normDiffL1(const double *a, const double *b, int len, double *pNorm) {
  return reduce2(a, b, len, pNorm, [](long double x, long double y) { return std::fabs(x - y); });
}

int normDiffL2(const double *a, const double *b, int len, double *pNorm) {
  return reduce2(
      a, b, len, pNorm, [](long double x, long double y) { return (x - y) * (x - y); },
      [](long double sum) { return std::sqrt(sum); });
}

int normDiffInf(const double *a, const double *b, int len, double *pNorm) {
  if (!a || !b || !pNorm)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  long double largest = std::fabs(static_cast<long double>(a[0]) - b[0]);
  for (int i = 1; i < len; ++i) {
    const long double d = std::fabs(static_cast<long double>(a[i]) - b[i]);
    if (d > largest)
      largest = d;
  }
  *pNorm = static_cast<double>(largest);
  return ippStsNoErr;
}

// Maximum or minimum with the index of its first occurrence. The current value is
// replaced only by an element that compares strictly beyond it, so a NaN after the
// first element never wins, for the minimum as for the maximum.
template <class Beyond>
int extremum(const double *pSrc, int len, double *pValue, int *pIndx, Beyond beyond) {
  if (!pSrc || !pValue)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  double best = pSrc[0];
  int at = 0;
  for (int i = 1; i < len; ++i) {
    if (beyond(pSrc[i], best)) {
      best = pSrc[i];
      at = i;
    }
  }
  *pValue = best;
  if (pIndx)
    *pIndx = at;
  return ippStsNoErr;
}

int max64f(const double *pSrc, int len, double *pMax, int *pIndx) {
  return extremum(pSrc, len, pMax, pIndx, [](double x, double best) { return x > best; });
}

int min64f(const double *pSrc, int len, double *pMin, int *pIndx) {
  return extremum(pSrc, len, pMin, pIndx, [](double x, double best) { return x < best; });
}

// relOp 4 (greater) clamps from above, every other value from below.
int threshold64f(const double *pSrc, double *pDst, int len, double level, int relOp) {
  const bool upper = relOp == 4;
  return mapVector(pSrc, pDst, len, [upper, level](double x) {
    return (upper ? x > level : x < level) ? level : x;
  });
}

int normalize64f(const double *pSrc, double *pDst, int len, double vSub, double vDiv) {
  if (!pSrc || !pDst)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  if (!(std::fabs(vDiv) >= std::numeric_limits<double>::min()))
    return ippStsDivByZeroErr; // NaN too
  const long double r = 1.0L / vDiv;
  for (int i = 0; i < len; ++i)
    pDst[i] = static_cast<double>(r * (static_cast<long double>(pSrc[i]) - vSub));
  return ippStsNoErr;
}

int vectorJaehne64f(double *pDst, int len, double magn) {
  if (!pDst)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  if (magn < 0)
    return ippStsJaehneErr;
  const double k = static_cast<double>((std::acos(-1.0L) / 2) / len);
  for (int i = 0; i < len; ++i) {
    const long double ii = static_cast<long double>(static_cast<std::int64_t>(i) * i);
    const double arg = static_cast<double>(ii * k);
    // The library sine hands back a double; the product with magn is rounded once.
    pDst[i] = static_cast<double>(static_cast<long double>(magn) * Libcdispatcher::_sin(arg));
  }
  return ippStsNoErr;
}

} // namespace
} // namespace dispatch_ops

using namespace dispatch_ops;

namespace Vizazodizaro::generic {

// The hint does not change the result.
IppOpStatus ippsSum_32f(const float *pSrc, int len, float *pSum, int /*hint*/) {
  return sum32f(pSrc, len, pSum);
}

} // namespace Vizazodizaro::generic

namespace Slbasicdispatcher::generic {

IppOpStatus ippsMax_64f(const double *pSrc, int len, double *pMax) {
  return max64f(pSrc, len, pMax, nullptr);
}
IppOpStatus ippsMin_64f(const double *pSrc, int len, double *pMin) {
  return min64f(pSrc, len, pMin, nullptr);
}
IppOpStatus ippsVectorJaehne_64f(double *pDst, int len, double magn) {
  return vectorJaehne64f(pDst, len, magn);
}

} // namespace Slbasicdispatcher::generic

namespace Slbcbbasicdispatcher::generic {

IppOpStatus ippsMaxIndx_64f(const double *pSrc, int len, double *pMax, int *pIndx) {
  return max64f(pSrc, len, pMax, pIndx);
}
IppOpStatus ippsMinIndx_64f(const double *pSrc, int len, double *pMin, int *pIndx) {
  return min64f(pSrc, len, pMin, pIndx);
}
IppOpStatus ippsMean_64f(const double *pSrc, int len, double *pMean) {
  return mean64f(pSrc, len, pMean);
}
IppOpStatus ippsStdDev_64f(const double *pSrc, int len, double *pStdDev) {
  return stdDev64f(pSrc, len, pStdDev);
}

IppOpStatus ippsDotProd_64f(const double *pSrc1, const double *pSrc2, int len, double *pDp) {
  return dotProd64f(pSrc1, pSrc2, len, pDp);
}

IppOpStatus ippsNormDiff_L1_64f(const double *pSrc1, const double *pSrc2, int len, double *pNorm) {
  return normDiffL1(pSrc1, pSrc2, len, pNorm);
}

IppOpStatus ippsNormDiff_L2_64f(const double *pSrc1, const double *pSrc2, int len, double *pNorm) {
  return normDiffL2(pSrc1, pSrc2, len, pNorm);
}

IppOpStatus ippsNormDiff_Inf_64f(const double *pSrc1, const double *pSrc2, int len, double *pNorm) {
  return normDiffInf(pSrc1, pSrc2, len, pNorm);
}

IppOpStatus ippsThreshold_64f_I(double *pSrcDst, int len, double level, IppCmpOp relOp) {
  return threshold64f(pSrcDst, pSrcDst, len, level, relOp);
}

IppOpStatus ippsThreshold_64f(const double *pSrc, double *pDst, int len, double level,
                              IppCmpOp relOp) {
  return threshold64f(pSrc, pDst, len, level, relOp);
}

IppOpStatus ippsNormalize_64f(const double *pSrc, double *pDst, int len, double vSub, double vDiv) {
  return normalize64f(pSrc, pDst, len, vSub, vDiv);
}

} // namespace Slbcbbasicdispatcher::generic
