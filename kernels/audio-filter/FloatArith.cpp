// Float vector arithmetic and sums, and the saturating 16-bit add.
//
// Every element-wise result is one IEEE single-precision operation, which is what the
// generic variant stores (its extended-precision intermediate of one operation on two
// floats rounds to the same float). The sums add in another order than the generic
// variant; see SumRing and SumFast for what that costs.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include <emmintrin.h>

#include "kernels/audio-filter/AudioFilterKernels.h"

namespace kernels::audio_filter {
namespace {

const unsigned char *B(const void *p) { return static_cast<const unsigned char *>(p); }
unsigned char *B(void *p) { return static_cast<unsigned char *>(p); }

// d[i] = f(d[i], s[i]) on four floats at a time; the last partial group on padded
// copies (s may be null).
template <class F> void Floats(const float *s, float *d, int len, F f) {
  int i = 0;
  for (; i + 8 <= len; i += 8) {
    const __m128 a0 = _mm_loadu_ps(d + i), a1 = _mm_loadu_ps(d + i + 4);
    const __m128 b0 = s ? _mm_loadu_ps(s + i) : a0, b1 = s ? _mm_loadu_ps(s + i + 4) : a1;
    _mm_storeu_ps(d + i, f(a0, b0));
    _mm_storeu_ps(d + i + 4, f(a1, b1));
  }
  for (; i < len; i += 4) {
    const std::size_t n = static_cast<std::size_t>(len - i < 4 ? len - i : 4) * 4;
    alignas(16) float bd[4] = {}, bs[4] = {};
    std::memcpy(bd, d + i, n);
    if (s)
      std::memcpy(bs, s + i, n);
    _mm_store_ps(bd, f(_mm_load_ps(bd), s ? _mm_load_ps(bs) : _mm_load_ps(bd)));
    std::memcpy(d + i, bd, n);
  }
}

// Multiplies by val; a val of 1 copies and a val of 0 (either sign) clears through the
// memory routines of the level, as the generic variant does.
template <IppOpStatus (*Copy)(const float *, float *, int), IppOpStatus (*Zero)(float *, int)>
IppOpStatus MulC(const float *pSrc, float val, float *pDst, int len) {
  if (!pSrc || !pDst)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  if (val == 1.0f)
    return pSrc == pDst ? ippStsNoErr : Copy(pSrc, pDst, len);
  if (val == 0.0f)
    return Zero(pDst, len);
  const __m128 c = _mm_set1_ps(val);
  if (pSrc != pDst) {
    // Copy first only in the sense of reading the source: the products go to pDst.
    int i = 0;
    for (; i + 8 <= len; i += 8) {
      _mm_storeu_ps(pDst + i, _mm_mul_ps(_mm_loadu_ps(pSrc + i), c));
      _mm_storeu_ps(pDst + i + 4, _mm_mul_ps(_mm_loadu_ps(pSrc + i + 4), c));
    }
    for (; i < len; ++i)
      pDst[i] = pSrc[i] * val;
    return ippStsNoErr;
  }
  Floats(nullptr, pDst, len, [c](__m128 a, __m128) { return _mm_mul_ps(a, c); });
  return ippStsNoErr;
}

template <IppOpStatus (*Copy)(const float *, float *, int), IppOpStatus (*Zero)(float *, int)>
IppOpStatus MulCI(float val, float *pSrcDst, int len) {
  if (val == 1.0f && pSrcDst && len >= 1)
    return ippStsNoErr;
  return MulC<Copy, Zero>(pSrcDst, val, pSrcDst, len);
}

// Multiplied by the reciprocal rounded to float, as the generic variant does (so an
// infinite divisor clears); the reciprocal is formed the same way.
template <IppOpStatus (*Copy)(const float *, float *, int), IppOpStatus (*Zero)(float *, int)>
IppOpStatus DivCI(float val, float *pSrcDst, int len) {
  if (!pSrcDst)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  if (val == 0.0f)
    return ippStsDivByZeroErr;
  return MulC<Copy, Zero>(pSrcDst, static_cast<float>(1.0L / val), pSrcDst, len);
}

// Sum, any hint but 1: eight running sums in double precision on a ring that turns by
// one position after every group of eight, the elements after the last group into
// position 0, then ((s0 + s4) + (s2 + s6)) + ((s1 + s5) + (s3 + s7)). Each float and
// each partial sum is exact or rounded to double, so against the exact sum the error is
// at most (len / 8 + 3) · 2^-53 · Σ|x| before the final rounding to float.
float SumRing(const float *x, int len) {
  // Positions 0..7 as r0 = (p0, p1), r1 = (p2, p3), r2 = (p4, p5), r3 = (p6, p7).
  __m128d r0 = _mm_setzero_pd(), r1 = r0, r2 = r0, r3 = r0;
  int i = 0;
  for (; i + 8 <= len; i += 8) {
    const __m128 a = _mm_loadu_ps(x + i), b = _mm_loadu_ps(x + i + 4);
    r0 = _mm_add_pd(r0, _mm_cvtps_pd(a));
    r1 = _mm_add_pd(r1, _mm_cvtps_pd(_mm_movehl_ps(a, a)));
    r2 = _mm_add_pd(r2, _mm_cvtps_pd(b));
    r3 = _mm_add_pd(r3, _mm_cvtps_pd(_mm_movehl_ps(b, b)));
    // Turn the ring: p7 to position 0, every other p to the next position.
    const __m128d n0 = _mm_shuffle_pd(r3, r0, 1), n1 = _mm_shuffle_pd(r0, r1, 1),
                  n2 = _mm_shuffle_pd(r1, r2, 1), n3 = _mm_shuffle_pd(r2, r3, 1);
    r0 = n0;
    r1 = n1;
    r2 = n2;
    r3 = n3;
  }
  alignas(16) double p[8];
  _mm_store_pd(p, r0);
  _mm_store_pd(p + 2, r1);
  _mm_store_pd(p + 4, r2);
  _mm_store_pd(p + 6, r3);
  for (; i < len; ++i)
    p[0] += static_cast<double>(x[i]);
  return static_cast<float>(((p[0] + p[4]) + (p[2] + p[6])) + ((p[1] + p[5]) + (p[3] + p[7])));
}

// Sum, hint 1 (fast): chunks of 32768 elements summed in single precision in sixteen
// lanes, folded and added to a double total. Each lane adds at most 2048 elements, so a
// chunk is within about 2^-13 of its magnitude sum; the result is the generic sum within
// (2048 + 8) · 2^-24 · Σ|x| plus the final rounding.
float SumFast(const float *x, int len) {
  double total = 0.0;
  for (int start = 0; start < len; start += 32768) {
    const int n = len - start < 32768 ? len - start : 32768;
    const float *c = x + start;
    __m128 a0 = _mm_setzero_ps(), a1 = a0, a2 = a0, a3 = a0;
    int i = 0;
    for (; i + 16 <= n; i += 16) {
      a0 = _mm_add_ps(a0, _mm_loadu_ps(c + i));
      a1 = _mm_add_ps(a1, _mm_loadu_ps(c + i + 4));
      a2 = _mm_add_ps(a2, _mm_loadu_ps(c + i + 8));
      a3 = _mm_add_ps(a3, _mm_loadu_ps(c + i + 12));
    }
    __m128 acc = _mm_add_ps(_mm_add_ps(a0, a2), _mm_add_ps(a1, a3));
    for (; i + 4 <= n; i += 4)
      acc = _mm_add_ps(acc, _mm_loadu_ps(c + i));
    alignas(16) float lane[4];
    _mm_store_ps(lane, acc);
    if (i + 2 <= n) {
      lane[0] += c[i];
      lane[1] += c[i + 1];
      i += 2;
    }
    if (i < n)
      lane[0] += c[i];
    const float u = lane[0] + lane[2], v = lane[1] + lane[3];
    total = (total + u) + v;
  }
  return static_cast<float>(total);
}

} // namespace

namespace sse2 {

IppOpStatus ippsAdd_16s_I(const short *pSrc, short *pSrcDst, int len) {
  if (!pSrc || !pSrcDst)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  int i = 0;
  for (; i + 8 <= len; i += 8) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(B(pSrcDst + i)));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(B(pSrc + i)));
    _mm_storeu_si128(reinterpret_cast<__m128i *>(B(pSrcDst + i)), _mm_adds_epi16(a, b));
  }
  if (i < len) {
    const std::size_t n = static_cast<std::size_t>(len - i) * 2;
    alignas(16) short a[8] = {}, b[8] = {};
    std::memcpy(a, pSrcDst + i, n);
    std::memcpy(b, pSrc + i, n);
    _mm_store_si128(reinterpret_cast<__m128i *>(a),
                    _mm_adds_epi16(_mm_load_si128(reinterpret_cast<const __m128i *>(a)),
                                   _mm_load_si128(reinterpret_cast<const __m128i *>(b))));
    std::memcpy(pSrcDst + i, a, n);
  }
  return ippStsNoErr;
}

IppOpStatus ippsSub_32f_I(const float *pSrc, float *pSrcDst, int len) {
  if (!pSrc || !pSrcDst)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  Floats(pSrc, pSrcDst, len, [](__m128 d, __m128 s) { return _mm_sub_ps(d, s); });
  return ippStsNoErr;
}

IppOpStatus ippsSqr_32f_I(float *pSrcDst, int len) {
  if (!pSrcDst)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  Floats(nullptr, pSrcDst, len, [](__m128 d, __m128) { return _mm_mul_ps(d, d); });
  return ippStsNoErr;
}

IppOpStatus ippsSum_32f(const float *pSrc, int len, float *pSum, int hint) {
  if (!pSrc || !pSum)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  if (hint == 1 && (reinterpret_cast<std::uintptr_t>(pSrc) & 0xC) != 0) {
    // The fast chunks want a source on a 16-byte boundary; elsewhere one extended sum in
    // index order.
    long double total = 0;
    for (int i = 0; i < len; ++i)
      total += pSrc[i];
    *pSum = static_cast<float>(total);
    return ippStsNoErr;
  }
  *pSum = hint == 1 ? SumFast(pSrc, len) : SumRing(pSrc, len);
  return ippStsNoErr;
}

IppOpStatus ippsMulC_32f(const float *pSrc, float val, float *pDst, int len) {
  return MulC<ownsCopy_32f, ownsZero_32f>(pSrc, val, pDst, len);
}
IppOpStatus ippsMulC_32f_I(float val, float *pSrcDst, int len) {
  return MulCI<ownsCopy_32f, ownsZero_32f>(val, pSrcDst, len);
}
IppOpStatus ippsDivC_32f_I(float val, float *pSrcDst, int len) {
  return DivCI<ownsCopy_32f, ownsZero_32f>(val, pSrcDst, len);
}

} // namespace sse2

namespace sse {

IppOpStatus ippsMulC_32f(const float *pSrc, float val, float *pDst, int len) {
  return MulC<ownsCopy_32f, ownsZero_32f>(pSrc, val, pDst, len);
}
IppOpStatus ippsMulC_32f_I(float val, float *pSrcDst, int len) {
  return MulCI<ownsCopy_32f, ownsZero_32f>(val, pSrcDst, len);
}
IppOpStatus ippsDivC_32f_I(float val, float *pSrcDst, int len) {
  return DivCI<ownsCopy_32f, ownsZero_32f>(val, pSrcDst, len);
}

} // namespace sse

} // namespace kernels::audio_filter
