// Magnitude thresholds of complex vectors. The generic decides on the extended squared
// magnitude and scales by an extended factor; the kernel decides two elements at a time
// on the double squared magnitude where that decides certainly (a relative margin of
// 2^-48 to the squared level, both within the normal range) and copies such elements
// unchanged. Every other element (near the level, scaled, zero, NaN, beyond the range)
// goes through the generic's extended steps, so the output is the generic's bit for bit.
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include <emmintrin.h>

#include "kernels/signal/Loops.h"
#include "kernels/signal/SignalKernels.h"

namespace kernels::signal {

namespace {

using detail::load;
using detail::store;

// The generic's rule for one element. An element that is not scaled keeps its bits (a
// signalling NaN is not quietened by passing through the x87 stack): the parts are
// carried as integers until they are stored.
struct Bits {
  std::uint64_t re, im;
};

Bits bitsOf(Ipp64fc x) {
  return {std::bit_cast<std::uint64_t>(x.re), std::bit_cast<std::uint64_t>(x.im)};
}

Ipp64fc fromBits(Bits b) { return {std::bit_cast<double>(b.re), std::bit_cast<double>(b.im)}; }

Bits thresholdOne(Bits xb, double level, long double l2, bool upper, bool inPlace) {
  const Ipp64fc x = fromBits(xb);
  const long double m =
      static_cast<long double>(x.re) * x.re + static_cast<long double>(x.im) * x.im;
  bool scale;
  Bits out = xb;
  if (upper) {
    scale = inPlace ? (m > l2) : !(l2 >= m);
  } else if (inPlace) {
    scale = !(m >= l2);
    if (scale && (m == 0 || std::isnan(m))) {
      out.re = std::bit_cast<std::uint64_t>(level);
      scale = false;
    }
  } else {
    scale = l2 > m;
    if (scale && m == 0) {
      out = {std::bit_cast<std::uint64_t>(level), 0};
      scale = false;
    }
  }
  if (scale) {
    const long double s = std::sqrt(l2 / m);
    out = bitsOf({static_cast<double>(x.re * s), static_cast<double>(x.im * s)});
  }
  return out;
}

IppOpStatus ownsThreshold_64fc_Sse2(const Ipp64fc *pSrc, Ipp64fc *pDst, int len, double level,
                                    IppCmpOp relOp, bool inPlace) {
  if (!pSrc || !pDst)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  if (level < 0.0)
    return ippStsThreshNegLevelErr;
  const long double l2 = static_cast<long double>(level) * level;
  const bool upper = relOp == ippCmpGreater;
  const std::size_t n = static_cast<std::size_t>(len);
  const double l2d = level * level;
  const bool filter =
      l2d >= 0x1p-900 && l2d <= 0x1p1000 && (!partlyOverlap(pSrc, 16 * n, pDst, 16 * n));
  // Keep certainly: below the level for the upper clamp, above it for the lower one.
  const __m128d bound = _mm_set1_pd(upper ? l2d * (1 - 0x1p-48) : l2d * (1 + 0x1p-48));
  const __m128d low = _mm_set1_pd(0x1p-900), high = _mm_set1_pd(0x1p1000);
  const double *s = reinterpret_cast<const double *>(pSrc);
  double *d = reinterpret_cast<double *>(pDst);
  std::size_t i = 0;
  if (filter) {
    for (; i + 2 <= n; i += 2) {
      const __m128d a = _mm_loadu_pd(s + 2 * i), b = _mm_loadu_pd(s + 2 * i + 2);
      const __m128d re = _mm_unpacklo_pd(a, b), im = _mm_unpackhi_pd(a, b);
      const __m128d m = _mm_add_pd(_mm_mul_pd(re, re), _mm_mul_pd(im, im));
      const __m128d inRange = _mm_and_pd(_mm_cmpge_pd(m, low), _mm_cmple_pd(m, high));
      const __m128d sure =
          _mm_and_pd(inRange, upper ? _mm_cmplt_pd(m, bound) : _mm_cmpgt_pd(m, bound));
      const int keep = _mm_movemask_pd(sure);
      const Bits x0 = load(reinterpret_cast<const Bits *>(pSrc + i));
      const Bits x1 = load(reinterpret_cast<const Bits *>(pSrc + i + 1));
      if (keep & 1)
        _mm_storeu_pd(d + 2 * i, a);
      else
        store(reinterpret_cast<Bits *>(pDst + i), thresholdOne(x0, level, l2, upper, inPlace));
      if (keep & 2)
        _mm_storeu_pd(d + 2 * i + 2, b);
      else
        store(reinterpret_cast<Bits *>(pDst + i + 1), thresholdOne(x1, level, l2, upper, inPlace));
    }
  }
  for (; i < n; ++i)
    store(reinterpret_cast<Bits *>(pDst + i),
          thresholdOne(load(reinterpret_cast<const Bits *>(pSrc + i)), level, l2, upper, inPlace));
  return ippStsNoErr;
}

} // namespace

namespace sse2 {

IppOpStatus ippsThreshold_64fc_I(Ipp64fc *pSrcDst, int len, double level, IppCmpOp relOp) {
  return ownsThreshold_64fc_Sse2(pSrcDst, pSrcDst, len, level, relOp, true);
}

IppOpStatus ippsThreshold_64fc(const Ipp64fc *pSrc, Ipp64fc *pDst, int len, double level,
                               IppCmpOp relOp) {
  return ownsThreshold_64fc_Sse2(pSrc, pDst, len, level, relOp, false);
}

} // namespace sse2

} // namespace kernels::signal
