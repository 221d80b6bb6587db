// Region conversions between 8/16-bit signed samples and floats.
//
// Widening is exact. Narrowing clamps to the destination range before converting:
// min(bound, v) returns its second operand, v, when v is not a number, and the
// following max with the lower bound likewise keeps the NaN, whose conversion gives the
// integer indefinite value that packs to the lower bound, as the generic variant stores
// for NaN. Round to nearest (roundMode 1) runs under a to-nearest rounding field set for
// the call; any other mode uses the truncating conversion, whatever the caller's mode.
#include <cstddef>
#include <cstring>

#include <emmintrin.h>

#include "kernels/audio-filter/AudioFilterKernels.h"
#include "kernels/common/SseRounding.h"

namespace kernels::audio_filter::sse2 {
namespace {

IppOpStatus CheckRegion(const void *s, int srcStep, const void *d, int dstStep, tagSIZE roi) {
  if (!s || !d)
    return ippStsNullPtrErr;
  if (roi.width < 1 || roi.height < 1)
    return ippStsSizeErr;
  if (srcStep < 1 || dstStep < 1)
    return ippStsStepErr;
  return ippStsNoErr;
}

const unsigned char *RowOf(const void *p, int step, int y) {
  return static_cast<const unsigned char *>(p) + static_cast<std::ptrdiff_t>(step) * y;
}
unsigned char *RowOf(void *p, int step, int y) {
  return static_cast<unsigned char *>(p) + static_cast<std::ptrdiff_t>(step) * y;
}

// N source elements of S per block; the last partial block on padded copies.
template <class S, class D, int N, class Block>
IppOpStatus Convert(const S *pSrc, int srcStep, D *pDst, int dstStep, tagSIZE roi, Block block) {
  if (IppOpStatus st = CheckRegion(pSrc, srcStep, pDst, dstStep, roi); st != ippStsNoErr)
    return st;
  // Contiguous regions run as one row.
  int width = roi.width, height = roi.height;
  if (static_cast<long long>(srcStep) ==
          static_cast<long long>(width) * static_cast<long long>(sizeof(S)) &&
      static_cast<long long>(dstStep) ==
          static_cast<long long>(width) * static_cast<long long>(sizeof(D)) &&
      static_cast<long long>(width) * height <= 0x7FFFFFFF) {
    width *= height;
    height = 1;
  }
  for (int y = 0; y < height; ++y) {
    const unsigned char *s = RowOf(pSrc, srcStep, y);
    unsigned char *d = RowOf(pDst, dstStep, y);
    int x = 0;
    for (; x + N <= width; x += N)
      block(s + static_cast<std::size_t>(x) * sizeof(S),
            d + static_cast<std::size_t>(x) * sizeof(D));
    if (x < width) {
      alignas(16) unsigned char bs[N * sizeof(S)] = {};
      alignas(16) unsigned char bd[N * sizeof(D)];
      const std::size_t rest = static_cast<std::size_t>(width - x);
      std::memcpy(bs, s + static_cast<std::size_t>(x) * sizeof(S), rest * sizeof(S));
      block(bs, bd);
      std::memcpy(d + static_cast<std::size_t>(x) * sizeof(D), bd, rest * sizeof(D));
    }
  }
  return ippStsNoErr;
}

__m128i LoadU(const unsigned char *p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
}
void StoreU(unsigned char *p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i *>(p), v); }
void StoreF(unsigned char *p, __m128 v) { _mm_storeu_ps(reinterpret_cast<float *>(p), v); }
__m128 LoadF(const unsigned char *p) { return _mm_loadu_ps(reinterpret_cast<const float *>(p)); }

// 8 samples.
void Widen16s(const unsigned char *s, unsigned char *d) {
  const __m128i v = LoadU(s);
  StoreF(d, _mm_cvtepi32_ps(_mm_srai_epi32(_mm_unpacklo_epi16(v, v), 16)));
  StoreF(d + 16, _mm_cvtepi32_ps(_mm_srai_epi32(_mm_unpackhi_epi16(v, v), 16)));
}

// 16 samples.
void ownsConvert_8s32f_Sse2(const unsigned char *s, unsigned char *d) {
  const __m128i v = LoadU(s);
  const __m128i lo = _mm_unpacklo_epi8(v, v), hi = _mm_unpackhi_epi8(v, v);
  StoreF(d, _mm_cvtepi32_ps(_mm_srai_epi32(_mm_unpacklo_epi16(lo, lo), 24)));
  StoreF(d + 16, _mm_cvtepi32_ps(_mm_srai_epi32(_mm_unpackhi_epi16(lo, lo), 24)));
  StoreF(d + 32, _mm_cvtepi32_ps(_mm_srai_epi32(_mm_unpacklo_epi16(hi, hi), 24)));
  StoreF(d + 48, _mm_cvtepi32_ps(_mm_srai_epi32(_mm_unpackhi_epi16(hi, hi), 24)));
}

// Four floats clamped to [lo, hi] (NaN kept) and converted.
template <bool nearest> __m128i Narrow4(__m128 v, __m128 lo, __m128 hi) {
  const __m128 c = _mm_max_ps(lo, _mm_min_ps(hi, v));
  return nearest ? _mm_cvtps_epi32(c) : _mm_cvttps_epi32(c);
}

// 8 floats to 16-bit samples.
template <bool nearest> void ownsConvert_32f16s_Sse2(const unsigned char *s, unsigned char *d) {
  const __m128 lo = _mm_set1_ps(-32768.0f), hi = _mm_set1_ps(32767.0f);
  StoreU(d, _mm_packs_epi32(Narrow4<nearest>(LoadF(s), lo, hi),
                            Narrow4<nearest>(LoadF(s + 16), lo, hi)));
}

// 16 floats to 8-bit samples.
template <bool nearest> void ownsConvert_32f8s_Sse2(const unsigned char *s, unsigned char *d) {
  const __m128 lo = _mm_set1_ps(-128.0f), hi = _mm_set1_ps(127.0f);
  const __m128i a =
      _mm_packs_epi32(Narrow4<nearest>(LoadF(s), lo, hi), Narrow4<nearest>(LoadF(s + 16), lo, hi));
  const __m128i b = _mm_packs_epi32(Narrow4<nearest>(LoadF(s + 32), lo, hi),
                                    Narrow4<nearest>(LoadF(s + 48), lo, hi));
  StoreU(d, _mm_packs_epi16(a, b));
}

// The meters widen every chunk of samples: 16 per step on a row (two loads, four stores),
// then one step of 8, then single samples, which convert exactly as the vector steps do.
void ownsConvert_16s32f_Sse2(const unsigned char *s, unsigned char *d, int width) {
  int x = 0;
  for (; x + 16 <= width; x += 16, s += 32, d += 64) {
    const __m128i a = LoadU(s), b = LoadU(s + 16);
    StoreF(d, _mm_cvtepi32_ps(_mm_srai_epi32(_mm_unpacklo_epi16(a, a), 16)));
    StoreF(d + 16, _mm_cvtepi32_ps(_mm_srai_epi32(_mm_unpackhi_epi16(a, a), 16)));
    StoreF(d + 32, _mm_cvtepi32_ps(_mm_srai_epi32(_mm_unpacklo_epi16(b, b), 16)));
    StoreF(d + 48, _mm_cvtepi32_ps(_mm_srai_epi32(_mm_unpackhi_epi16(b, b), 16)));
  }
  if (x + 8 <= width) {
    Widen16s(s, d);
    x += 8, s += 16, d += 32;
  }
  for (; x < width; ++x, s += 2, d += 4) {
    short v;
    std::memcpy(&v, s, sizeof v);
    const float f = v;
    std::memcpy(d, &f, sizeof f);
  }
}

} // namespace

IppOpStatus ippiConvert_16s32f_C1R(const short *pSrc, int srcStep, float *pDst, int dstStep,
                                   tagSIZE roi) {
  if (IppOpStatus st = CheckRegion(pSrc, srcStep, pDst, dstStep, roi); st != ippStsNoErr)
    return st;
  int width = roi.width, height = roi.height;
  if (static_cast<long long>(srcStep) == 2LL * width &&
      static_cast<long long>(dstStep) == 4LL * width &&
      static_cast<long long>(width) * height <= 0x7FFFFFFF) {
    width *= height;
    height = 1;
  }
  for (int y = 0; y < height; ++y)
    ownsConvert_16s32f_Sse2(RowOf(pSrc, srcStep, y), RowOf(pDst, dstStep, y), width);
  return ippStsNoErr;
}

IppOpStatus ippiConvert_8s32f_C1R(const signed char *pSrc, int srcStep, float *pDst, int dstStep,
                                  tagSIZE roi) {
  return Convert<signed char, float, 16>(
      pSrc, srcStep, pDst, dstStep, roi,
      [](const unsigned char *s, unsigned char *d) { ownsConvert_8s32f_Sse2(s, d); });
}

IppOpStatus ippiConvert_32f16s_C1R(const float *pSrc, int srcStep, short *pDst, int dstStep,
                                   tagSIZE roi, int roundMode) {
  if (IppOpStatus st = CheckRegion(pSrc, srcStep, pDst, dstStep, roi); st != ippStsNoErr)
    return st;
  if (roundMode != 1)
    return Convert<float, short, 8>(
        pSrc, srcStep, pDst, dstStep, roi,
        [](const unsigned char *s, unsigned char *d) { ownsConvert_32f16s_Sse2<false>(s, d); });
  const NearestRounding nearest;
  return Convert<float, short, 8>(
      pSrc, srcStep, pDst, dstStep, roi,
      [](const unsigned char *s, unsigned char *d) { ownsConvert_32f16s_Sse2<true>(s, d); });
}

IppOpStatus ippiConvert_32f8s_C1R(const float *pSrc, int srcStep, signed char *pDst, int dstStep,
                                  tagSIZE roi, int roundMode) {
  if (IppOpStatus st = CheckRegion(pSrc, srcStep, pDst, dstStep, roi); st != ippStsNoErr)
    return st;
  if (roundMode != 1)
    return Convert<float, signed char, 16>(
        pSrc, srcStep, pDst, dstStep, roi,
        [](const unsigned char *s, unsigned char *d) { ownsConvert_32f8s_Sse2<false>(s, d); });
  const NearestRounding nearest;
  return Convert<float, signed char, 16>(
      pSrc, srcStep, pDst, dstStep, roi,
      [](const unsigned char *s, unsigned char *d) { ownsConvert_32f8s_Sse2<true>(s, d); });
}

} // namespace kernels::audio_filter::sse2
