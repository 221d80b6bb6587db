// Integer square-root blocks on SSE2: a float estimate of the root, truncated, then one
// exact integer comparison that decides a +1. The comparisons of the unscaled, halving and
// scale-down blocks are made on 16-bit values read as unsigned, so products from 32768 to
// 65535 compare by their true size.
#include "kernels/fft-audio/Sqrt16s.h"

#include <cstring>

namespace kernels::fft_audio {
namespace {

constexpr int kLanes = 8;

__m128i unsignedGreater16(__m128i a, __m128i b) {
  const __m128i bias = _mm_set1_epi16(static_cast<short>(0x8000));
  return _mm_cmpgt_epi16(_mm_xor_si128(a, bias), _mm_xor_si128(b, bias));
}

// True when some 16-bit lane of x is 0: the reciprocal estimate would give 0 * infinity
// there, so the whole vector takes the exact root instead.
bool anyZeroLane(__m128i x) {
  return _mm_movemask_epi8(_mm_cmpeq_epi16(x, _mm_setzero_si128())) != 0;
}

__m128 plainRoot(__m128 y, bool exact) {
  return exact ? _mm_sqrt_ps(y) : _mm_mul_ps(y, _mm_rsqrt_ps(y));
}

__m128 refinedRoot(__m128 y, bool exact) {
  if (exact)
    return _mm_sqrt_ps(y);
  const __m128 r = _mm_rsqrt_ps(y);
  const __m128 e = _mm_mul_ps(y, r);
  const __m128 t = _mm_sub_ps(_mm_mul_ps(e, r), _mm_set1_ps(3.0f));
  return _mm_mul_ps(_mm_mul_ps(e, _mm_set1_ps(-0.5f)), t);
}

// Truncated roots of the eight non-negative 16-bit lanes of x, each times `scale`.
__m128i truncatedRoot16(__m128i x, __m128 scale) {
  const bool exact = anyZeroLane(x);
  const __m128i zero = _mm_setzero_si128();
  const __m128 ylo = _mm_mul_ps(_mm_cvtepi32_ps(_mm_unpacklo_epi16(x, zero)), scale);
  const __m128 yhi = _mm_mul_ps(_mm_cvtepi32_ps(_mm_unpackhi_epi16(x, zero)), scale);
  return _mm_packs_epi32(_mm_cvttps_epi32(plainRoot(ylo, exact)),
                         _mm_cvttps_epi32(plainRoot(yhi, exact)));
}

// Common step of the scale-up blocks: X = x << h in 32 bits, s = truncated root packed to
// 16 bits with saturation, and the mask of lanes where X - s > s*s.
template <bool Refined> __m128i scaleUpRoot(__m128i x, int h, __m128i &mask) {
  const bool exact = anyZeroLane(x);
  const __m128i zero = _mm_setzero_si128();
  const __m128i count = _mm_cvtsi32_si128(h);
  const __m128i xlo = _mm_sll_epi32(_mm_unpacklo_epi16(x, zero), count);
  const __m128i xhi = _mm_sll_epi32(_mm_unpackhi_epi16(x, zero), count);
  auto root = [exact](__m128i v) {
    const __m128 y = _mm_cvtepi32_ps(v);
    return _mm_cvttps_epi32(Refined ? refinedRoot(y, exact) : plainRoot(y, exact));
  };
  const __m128i s = _mm_packs_epi32(root(xlo), root(xhi));
  const __m128i slo = _mm_unpacklo_epi16(s, zero);
  const __m128i shi = _mm_unpackhi_epi16(s, zero);
  // The high halves of slo/shi are 0, so madd gives s*s exactly (s <= 32767).
  const __m128i mlo = _mm_cmpgt_epi32(_mm_sub_epi32(xlo, slo), _mm_madd_epi16(slo, slo));
  const __m128i mhi = _mm_cmpgt_epi32(_mm_sub_epi32(xhi, shi), _mm_madd_epi16(shi, shi));
  mask = _mm_packs_epi32(mlo, mhi);
  return s;
}

__m128i nonNegative(__m128i x, const SqrtBlockParams &params, __m128i &negAcc) {
  negAcc = _mm_or_si128(negAcc, x);
  return _mm_max_epi16(x, params.zero);
}

// Low 32 bits of the lane products (SSE2 has no 32-bit low multiply).
__m128i mullo32(__m128i a, __m128i b) {
  const __m128i even = _mm_mul_epu32(a, b);
  const __m128i odd = _mm_mul_epu32(_mm_srli_epi64(a, 32), _mm_srli_epi64(b, 32));
  return _mm_unpacklo_epi32(_mm_shuffle_epi32(even, _MM_SHUFFLE(0, 0, 2, 0)),
                            _mm_shuffle_epi32(odd, _MM_SHUFFLE(0, 0, 2, 0)));
}

// Roots of non-negative 32-bit lanes (below 2^31) rounded to nearest: the refined estimate
// with the reciprocal estimate taken of 0.5 where p is 0 (the product with the true 0 keeps
// that root 0), truncated, then +1 when p > m*m + m.
__m128i roundedRoot32(__m128i p) {
  const __m128 y = _mm_cvtepi32_ps(p);
  const __m128 isZero = _mm_cmpeq_ps(y, _mm_setzero_ps());
  const __m128 safe = _mm_or_ps(_mm_andnot_ps(isZero, y), _mm_and_ps(isZero, _mm_set1_ps(0.5f)));
  const __m128 r = _mm_rsqrt_ps(safe);
  const __m128 e = _mm_mul_ps(y, r);
  const __m128 refined =
      _mm_mul_ps(_mm_mul_ps(_mm_set1_ps(0.5f), e), _mm_sub_ps(_mm_set1_ps(3.0f), _mm_mul_ps(e, r)));
  const __m128i m = _mm_cvttps_epi32(refined);
  const __m128i up = _mm_cmpgt_epi32(p, _mm_add_epi32(mullo32(m, m), m));
  return _mm_sub_epi32(m, up);
}

} // namespace

__m128i ownsSqrtRnd_16s_Sse2(__m128i x, const SqrtBlockParams &params, __m128i &negAcc) {
  const __m128i v = nonNegative(x, params, negAcc);
  const __m128i s = truncatedRoot16(v, _mm_set1_ps(1.0f));
  const __m128i up = unsignedGreater16(_mm_sub_epi16(v, s), _mm_mullo_epi16(s, s));
  return _mm_sub_epi16(s, up);
}

__m128i ownsSqrtHalf_16s_Sse2(__m128i x, const SqrtBlockParams &params, __m128i &negAcc) {
  const __m128i v = nonNegative(x, params, negAcc);
  const __m128i s = truncatedRoot16(v, _mm_set1_ps(1.0f));
  const __m128i half = _mm_srli_epi16(s, 1);
  const __m128i odd = _mm_or_si128(s, params.ones);
  const __m128i up = unsignedGreater16(_mm_add_epi16(v, _mm_and_si128(half, params.ones)),
                                       _mm_mullo_epi16(odd, odd));
  return _mm_sub_epi16(half, up);
}

__m128i ownsSqrtScaleDown_16s_Sse2(__m128i x, const SqrtBlockParams &params, __m128i &negAcc) {
  const __m128i v = nonNegative(x, params, negAcc);
  const __m128i s = truncatedRoot16(v, params.multiplier);
  // (2s + 1) * 2^h stays below 256 for h <= 7, so its square fits 16 unsigned bits.
  const __m128i edge = _mm_sll_epi16(_mm_or_si128(_mm_add_epi16(s, s), params.ones),
                                     _mm_cvtsi32_si128(params.shift));
  const __m128i up = unsignedGreater16(_mm_add_epi16(v, _mm_and_si128(s, params.ones)),
                                       _mm_mullo_epi16(edge, edge));
  return _mm_sub_epi16(s, up);
}

__m128i ownsSqrtScaleUp_16s_Sse2(__m128i x, const SqrtBlockParams &params, __m128i &negAcc) {
  const __m128i v = nonNegative(x, params, negAcc);
  __m128i up;
  const __m128i s = scaleUpRoot<false>(v, params.shift, up);
  return _mm_sub_epi16(s, up);
}

__m128i ownsSqrtScaleUpNR_16s_Sse2(__m128i x, const SqrtBlockParams &params, __m128i &negAcc) {
  const __m128i v = nonNegative(x, params, negAcc);
  __m128i up;
  const __m128i s = scaleUpRoot<true>(v, params.shift, up);
  return _mm_adds_epi16(s, _mm_and_si128(up, params.ones));
}

__m128i ownsSqrtScaleUpNRClamp_16s_Sse2(__m128i x, const SqrtBlockParams &params, __m128i &negAcc) {
  const int limit = 0xFFFF >> (params.shift - 15);
  const __m128i clamped = _mm_min_epi16(x, _mm_set1_epi16(static_cast<short>(limit)));
  negAcc = _mm_or_si128(negAcc, x);
  __m128i ignored = params.zero;
  return ownsSqrtScaleUpNR_16s_Sse2(clamped, params, ignored);
}

void ownsSqrtTail_16s_Sse2(const std::int16_t *src, std::int16_t *dst, int count,
                           SqrtBlock16s block, const SqrtBlockParams &params, __m128i &negAcc) {
  // Lanes past the last value repeat loaded values, so the accumulator and the zero-lane
  // test see only real inputs.
  alignas(16) std::int16_t lanes[kLanes];
  for (int i = 0; i < kLanes; ++i) {
    if (count >= 4)
      lanes[i] = src[i < count ? i : i - 4];
    else if (count >= 2)
      lanes[i] = src[i < count ? i : i % 2];
    else
      lanes[i] = src[0];
  }
  alignas(16) std::int16_t results[kLanes];
  _mm_store_si128(reinterpret_cast<__m128i *>(results),
                  block(_mm_load_si128(reinterpret_cast<const __m128i *>(lanes)), params, negAcc));
  std::memcpy(dst, results, static_cast<std::size_t>(count) * sizeof(std::int16_t));
}

__m128i ownsSqrt_16sc_Sse2(__m128i z) {
  __m128i p = _mm_madd_epi16(z, z);
  // a = b = -32768 gives 2^31, read as INT_MIN: take 2^31 - 1.
  p = _mm_add_epi32(p, _mm_cmpeq_epi32(p, _mm_set1_epi32(INT32_MIN)));
  const __m128i modulus = roundedRoot32(p);
  const __m128i a = _mm_srai_epi32(_mm_slli_epi32(z, 16), 16);
  const __m128i b = _mm_srai_epi32(z, 16);
  const __m128i one = _mm_set1_epi32(1);
  const __m128i u = _mm_srai_epi32(_mm_add_epi32(_mm_add_epi32(modulus, a), one), 1);
  const __m128i v = _mm_srai_epi32(_mm_add_epi32(_mm_sub_epi32(modulus, a), one), 1);
  const __m128i re = roundedRoot32(u);
  const __m128i sign = _mm_srai_epi32(b, 31);
  const __m128i im = _mm_sub_epi32(_mm_xor_si128(roundedRoot32(v), sign), sign);
  const __m128i packed = _mm_packs_epi32(re, im);
  return _mm_unpacklo_epi16(packed, _mm_srli_si128(packed, 8));
}

IppOpStatus ownsSqrtArray_16s_Sfs_Sse2(const std::int16_t *pSrc, std::int16_t *pDst, int len,
                                       int scaleFactor) {
  if (pSrc == nullptr || pDst == nullptr)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  SqrtBlockParams params{_mm_setzero_si128(), _mm_set1_epi16(1), _mm_set1_ps(1.0f), 0};
  SqrtBlock16s block = nullptr;
  if (scaleFactor == 0) {
    block = ownsSqrtRnd_16s_Sse2;
  } else if (scaleFactor == 1) {
    block = ownsSqrtHalf_16s_Sse2;
  } else if (scaleFactor >= 2 && scaleFactor <= 8) {
    block = ownsSqrtScaleDown_16s_Sse2;
    params.shift = scaleFactor - 1;
    params.multiplier = _mm_set1_ps(1.0f / static_cast<float>(1 << (2 * scaleFactor)));
  } else if (scaleFactor >= -2 && scaleFactor <= -1) {
    block = ownsSqrtScaleUp_16s_Sse2;
    params.shift = -2 * scaleFactor;
  } else if (scaleFactor >= -8 && scaleFactor <= -3) {
    block = ownsSqrtScaleUpNR_16s_Sse2;
    params.shift = -2 * scaleFactor;
  } else if (scaleFactor >= -14 && scaleFactor <= -9) {
    block = ownsSqrtScaleUpNRClamp_16s_Sse2;
    params.shift = -2 * scaleFactor;
  }
  bool negative = false;
  if (block == nullptr) {
    // Above 8 every root rounds to 0 (sqrt(32767) / 512 < 0.5); below -14 every positive
    // root saturates (sqrt(1) * 2^15 > 32767).
    for (int i = 0; i < len; ++i) {
      const std::int16_t x = pSrc[i];
      negative = negative || x < 0;
      pDst[i] = static_cast<std::int16_t>(scaleFactor > 0 || x <= 0 ? 0 : INT16_MAX);
    }
  } else {
    __m128i negAcc = _mm_setzero_si128();
    int i = 0;
    for (; i + kLanes <= len; i += kLanes) {
      const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i *>(pSrc + i));
      _mm_storeu_si128(reinterpret_cast<__m128i *>(pDst + i), block(x, params, negAcc));
    }
    if (i < len)
      ownsSqrtTail_16s_Sse2(pSrc + i, pDst + i, len - i, block, params, negAcc);
    // Bit 15 of each lane is the sign: the odd bytes' top bits.
    negative = (_mm_movemask_epi8(negAcc) & 0xAAAA) != 0;
  }
  return negative ? ippStsSqrtNegArg : ippStsNoErr;
}

IppOpStatus ownsSqrtArray_16sc_Sse2(const std::int16_t *pSrc, std::int16_t *pDst, int len) {
  if (pSrc == nullptr || pDst == nullptr)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  constexpr int kValues = 4;
  int i = 0;
  for (; i + kValues <= len; i += kValues) {
    const __m128i z = _mm_loadu_si128(reinterpret_cast<const __m128i *>(pSrc + 2 * i));
    _mm_storeu_si128(reinterpret_cast<__m128i *>(pDst + 2 * i), ownsSqrt_16sc_Sse2(z));
  }
  if (i < len) {
    alignas(16) std::int16_t lanes[2 * kValues] = {};
    const std::size_t bytes = static_cast<std::size_t>(len - i) * 2 * sizeof(std::int16_t);
    std::memcpy(lanes, pSrc + 2 * i, bytes);
    _mm_store_si128(reinterpret_cast<__m128i *>(lanes),
                    ownsSqrt_16sc_Sse2(_mm_load_si128(reinterpret_cast<const __m128i *>(lanes))));
    std::memcpy(pDst + 2 * i, lanes, bytes);
  }
  return ippStsNoErr;
}

} // namespace kernels::fft_audio
