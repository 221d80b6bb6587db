// Element kernels on doubles and complex doubles, two doubles per register. Part copies,
// magnitudes and thresholds are bit operations or comparisons and give the generic's bits;
// squares and square roots are the IEEE double results (the square root correctly
// rounded by sqrtpd, as the generic's library root).
#include <cmath>
#include <cstddef>
#include <cstdint>

#include <emmintrin.h>

#include "kernels/signal/Loops.h"
#include "kernels/signal/SignalCorrConv.h"
#include "kernels/signal/SignalKernels.h"

namespace kernels::signal {

namespace {

using detail::load;
using detail::mapDoubles;
using detail::store;

std::size_t count(int len) { return static_cast<std::size_t>(len); }

// One part of each complex element: lane 0 (real) or 1 (imaginary). Eight elements are
// read before any of their four results is stored, so a destination that starts at the
// source (the real parts packed in place) is never written ahead of the reading.
IppOpStatus part(const Ipp64fc *pSrc, double *pDst, int len, int lane) {
  if (const IppOpStatus st = checkPair(pSrc, pDst, len); st != ippStsNoErr)
    return st;
  const std::size_t n = count(len);
  const double *src = reinterpret_cast<const double *>(pSrc) + lane;
  std::size_t i = 0;
  if (!partlyOverlap(pSrc, n * 16, pDst, n * 8) ||
      reinterpret_cast<const void *>(pSrc) == reinterpret_cast<const void *>(pDst)) {
    for (; i + 8 <= n; i += 8) {
      __m128d r[4];
      for (int k = 0; k < 4; ++k) {
        const __m128d a = _mm_loadu_pd(src + 2 * (i + 2 * k) - lane);
        const __m128d b = _mm_loadu_pd(src + 2 * (i + 2 * k + 1) - lane);
        r[k] = lane == 0 ? _mm_unpacklo_pd(a, b) : _mm_unpackhi_pd(a, b);
      }
      for (int k = 0; k < 4; ++k)
        _mm_storeu_pd(pDst + i + 2 * k, r[k]);
    }
  }
  for (; i < n; ++i)
    store(pDst + i, load(src + 2 * i));
  return ippStsNoErr;
}

// The square root of each element, correctly rounded by sqrtpd. A negative element (not
// -0) gives the default NaN; the result is 1 when one was met, else 0, so the caller can
// report the warning once the whole vector is written. pSrc may equal pDst.
int ownsSqrt_64f_Sse2(const double *pSrc, double *pDst, std::size_t n) {
  __m128i negative = _mm_setzero_si128();
  const __m128d nan = _mm_castsi128_pd(_mm_set1_epi64x(static_cast<long long>(ippDefaultNaNBits)));
  const __m128d zero = _mm_setzero_pd();
  mapDoubles(pSrc, pDst, n, [&](__m128d x) {
    const __m128d neg = _mm_cmplt_pd(x, zero);
    negative = _mm_or_si128(negative, _mm_castpd_si128(neg));
    return _mm_or_pd(_mm_and_pd(neg, nan), _mm_andnot_pd(neg, _mm_sqrt_pd(x)));
  });
  // The scalar tail fills only the low lane; its high lane is +0, never negative.
  return _mm_movemask_epi8(negative) != 0 ? 1 : 0;
}

IppOpStatus sqrtInto(const double *pSrc, double *pDst, int len) {
  if (const IppOpStatus st = checkPair(pSrc, pDst, len); st != ippStsNoErr)
    return st;
  return ownsSqrt_64f_Sse2(pSrc, pDst, count(len)) != 0 ? ippStsSqrtNegArg : ippStsNoErr;
}

// The generic clamp: the level replaces elements strictly above it (greater) or strictly
// below it. A NaN element compares false and stays, and -0 against +0 is no crossing, so
// either keeps its sign.
void ownsThreshold_64f_Sse2(double level, const double *pSrc, double *pDst, std::size_t n,
                            bool greater) {
  const __m128d l = _mm_set1_pd(level);
  if (greater)
    mapDoubles(pSrc, pDst, n, [l](__m128d x) {
      const __m128d m = _mm_cmpgt_pd(x, l);
      return _mm_or_pd(_mm_and_pd(m, l), _mm_andnot_pd(m, x));
    });
  else
    mapDoubles(pSrc, pDst, n, [l](__m128d x) {
      const __m128d m = _mm_cmplt_pd(x, l);
      return _mm_or_pd(_mm_and_pd(m, l), _mm_andnot_pd(m, x));
    });
}

void ownsThreshold_64f_I_Sse2(double level, double *pSrcDst, std::size_t n, bool greater) {
  ownsThreshold_64f_Sse2(level, pSrcDst, pSrcDst, n, greater);
}

// Magnitudes by clearing the sign bit: NaN payloads pass unchanged. In place with
// pSrc = pDst.
void ownsAbs_64f_Sse2(const double *pSrc, double *pDst, std::size_t n) {
  const __m128d magnitude = _mm_castsi128_pd(_mm_set1_epi64x(0x7FFFFFFFFFFFFFFF));
  mapDoubles(pSrc, pDst, n, [magnitude](__m128d x) { return _mm_and_pd(x, magnitude); });
}

void ownsSqr_64f_Sse2(const double *pSrc, double *pDst, std::size_t n) {
  mapDoubles(pSrc, pDst, n, [](__m128d x) { return _mm_mul_pd(x, x); });
}

// The entries' shape: tests, then the loop over the whole vector.
template <void (*Loop)(const double *, double *, std::size_t)>
IppOpStatus run(const double *pSrc, double *pDst, int len) {
  if (const IppOpStatus st = checkPair(pSrc, pDst, len); st != ippStsNoErr)
    return st;
  Loop(pSrc, pDst, count(len));
  return ippStsNoErr;
}

IppOpStatus thresholdInto(const double *pSrc, double *pDst, int len, double level, IppCmpOp relOp) {
  if (const IppOpStatus st = checkPair(pSrc, pDst, len); st != ippStsNoErr)
    return st;
  if (pSrc == pDst)
    ownsThreshold_64f_I_Sse2(level, pDst, count(len), relOp == ippCmpGreater);
  else
    ownsThreshold_64f_Sse2(level, pSrc, pDst, count(len), relOp == ippCmpGreater);
  return ippStsNoErr;
}

// 16-bit integers to doubles, eight per pass; with a scale factor each is multiplied by
// the power of two (exact, so the generic's result).
template <bool Scaled>
void convert16s(const short *pSrc, double *pDst, std::size_t n, __m128d factor) {
  auto finish = [factor](__m128d r) {
    if constexpr (Scaled)
      return _mm_mul_pd(r, factor);
    else
      return r;
  };
  std::size_t i = 0;
  if (!partlyOverlap(pSrc, n * 2, pDst, n * 8)) {
    for (; i + 8 <= n; i += 8) {
      const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i *>(pSrc + i));
      const __m128i lo = _mm_srai_epi32(_mm_unpacklo_epi16(x, x), 16);
      const __m128i hi = _mm_srai_epi32(_mm_unpackhi_epi16(x, x), 16);
      const __m128d r[4] = {_mm_cvtepi32_pd(lo), _mm_cvtepi32_pd(_mm_unpackhi_epi64(lo, lo)),
                            _mm_cvtepi32_pd(hi), _mm_cvtepi32_pd(_mm_unpackhi_epi64(hi, hi))};
      for (int k = 0; k < 4; ++k)
        _mm_storeu_pd(pDst + i + 2 * k, finish(r[k]));
    }
  }
  for (; i < n; ++i)
    store(pDst + i, _mm_cvtsd_f64(finish(_mm_set_sd(load(pSrc + i)))));
}

void ownsConvert_16s64f_Sse2(const short *pSrc, double *pDst, std::size_t n) {
  convert16s<false>(pSrc, pDst, n, _mm_setzero_pd());
}

void ownsConvert_16s64f_Sfs_Sse2(const short *pSrc, double *pDst, std::size_t n, double factor) {
  convert16s<true>(pSrc, pDst, n, _mm_set1_pd(factor));
}

} // namespace

namespace sse2 {

IppOpStatus ippsReal_64fc(const Ipp64fc *pSrc, double *pDst, int len) {
  return part(pSrc, pDst, len, 0);
}

IppOpStatus ippsImag_64fc(const Ipp64fc *pSrc, double *pDst, int len) {
  return part(pSrc, pDst, len, 1);
}

// A null part reads as +0. The destination is tested first, then the length, then that
// at least one part is given.
IppOpStatus ippsRealToCplx_64f(const double *pSrcRe, const double *pSrcIm, Ipp64fc *pDst, int len) {
  if (!pDst)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  if (!pSrcRe && !pSrcIm)
    return ippStsNullPtrErr;
  const std::size_t n = count(len);
  double *dst = reinterpret_cast<double *>(pDst);
  std::size_t i = 0;
  const bool apart = (!pSrcRe || !partlyOverlap(pSrcRe, n * 8, pDst, n * 16)) &&
                     (!pSrcIm || !partlyOverlap(pSrcIm, n * 8, pDst, n * 16)) &&
                     static_cast<const void *>(pSrcRe) != static_cast<void *>(pDst) &&
                     static_cast<const void *>(pSrcIm) != static_cast<void *>(pDst);
  if (apart) {
    for (; i + 2 <= n; i += 2) {
      const __m128d re = pSrcRe ? _mm_loadu_pd(pSrcRe + i) : _mm_setzero_pd();
      const __m128d im = pSrcIm ? _mm_loadu_pd(pSrcIm + i) : _mm_setzero_pd();
      _mm_storeu_pd(dst + 2 * i, _mm_unpacklo_pd(re, im));
      _mm_storeu_pd(dst + 2 * i + 2, _mm_unpackhi_pd(re, im));
    }
  }
  for (; i < n; ++i) {
    const double re = pSrcRe ? load(pSrcRe + i) : 0.0;
    const double im = pSrcIm ? load(pSrcIm + i) : 0.0;
    store(dst + 2 * i, re);
    store(dst + 2 * i + 1, im);
  }
  return ippStsNoErr;
}

IppOpStatus ippsCopy_64fc(const Ipp64fc *pSrc, Ipp64fc *pDst, int len) {
  if (const IppOpStatus st = checkPair(pSrc, pDst, len); st != ippStsNoErr)
    return st;
  // Ranges that partly overlap go element by element, ascending, as the generic copies.
  const std::size_t n = count(len);
  if (partlyOverlap(pSrc, n * sizeof(*pSrc), pDst, n * sizeof(*pSrc)))
    detail::copyElements(pSrc, pDst, n);
  else if (pSrc != pDst)
    ownsCopy_8u_Sse2(pSrc, pDst, n * sizeof(*pSrc));
  return ippStsNoErr;
}

// Scale factor 0 converts; any other is clamped to -1008 ... 1022 and multiplies by
// 2^-sf. Every result is exact, so it is the generic's.
IppOpStatus ippsConvert_16s64f_Sfs(const short *pSrc, double *pDst, int len, int scaleFactor) {
  if (const IppOpStatus st = checkPair(pSrc, pDst, len); st != ippStsNoErr)
    return st;
  const int sf = scaleFactor < -1008 ? -1008 : (scaleFactor > 1022 ? 1022 : scaleFactor);
  if (sf == 0)
    ownsConvert_16s64f_Sse2(pSrc, pDst, count(len));
  else
    ownsConvert_16s64f_Sfs_Sse2(pSrc, pDst, count(len), std::ldexp(1.0, -sf));
  return ippStsNoErr;
}

// The complex constant added to or taken from every element, one element per register.
IppOpStatus ippsAddC_64fc_I(Ipp64fc val, Ipp64fc *pSrcDst, int len) {
  if (const IppOpStatus st = checkPair(pSrcDst, pSrcDst, len); st != ippStsNoErr)
    return st;
  const __m128d v = _mm_set_pd(val.im, val.re);
  double *d = reinterpret_cast<double *>(pSrcDst);
  mapDoubles(d, d, 2 * count(len), [v](__m128d x) { return _mm_add_pd(x, v); });
  return ippStsNoErr;
}

IppOpStatus ippsSubC_64fc_I(Ipp64fc val, Ipp64fc *pSrcDst, int len) {
  if (const IppOpStatus st = checkPair(pSrcDst, pSrcDst, len); st != ippStsNoErr)
    return st;
  const __m128d v = _mm_set_pd(val.im, val.re);
  double *d = reinterpret_cast<double *>(pSrcDst);
  mapDoubles(d, d, 2 * count(len), [v](__m128d x) { return _mm_sub_pd(x, v); });
  return ippStsNoErr;
}

IppOpStatus ippsAbs_64f_I(double *pSrcDst, int len) {
  return run<ownsAbs_64f_Sse2>(pSrcDst, pSrcDst, len);
}
IppOpStatus ippsAbs_64f(const double *pSrc, double *pDst, int len) {
  return run<ownsAbs_64f_Sse2>(pSrc, pDst, len);
}

IppOpStatus ippsThreshold_64f_I(double *pSrcDst, int len, double level, IppCmpOp relOp) {
  return thresholdInto(pSrcDst, pSrcDst, len, level, relOp);
}
IppOpStatus ippsThreshold_64f(const double *pSrc, double *pDst, int len, double level,
                              IppCmpOp relOp) {
  return thresholdInto(pSrc, pDst, len, level, relOp);
}

IppOpStatus ippsSqr_64f_I(double *pSrcDst, int len) {
  return run<ownsSqr_64f_Sse2>(pSrcDst, pSrcDst, len);
}
IppOpStatus ippsSqr_64f(const double *pSrc, double *pDst, int len) {
  return run<ownsSqr_64f_Sse2>(pSrc, pDst, len);
}

IppOpStatus ippsSqrt_64f_I(double *pSrcDst, int len) { return sqrtInto(pSrcDst, pSrcDst, len); }
IppOpStatus ippsSqrt_64f(const double *pSrc, double *pDst, int len) {
  return sqrtInto(pSrc, pDst, len);
}

} // namespace sse2

} // namespace kernels::signal
