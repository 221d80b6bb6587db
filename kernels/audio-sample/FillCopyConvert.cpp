// Fills, region copies and conversions between sample widths.
#include <atomic>
#include <bit>
#include <cstdint>
#include <cstring>

#include <emmintrin.h>

#include "kernels/audio-sample/AudioSampleKernels.h"
#include "kernels/audio-sample/RowWalk.h"
#include "kernels/basic/BasicKernels.h"
#include "platform/cpu/Cpuid.h"

namespace kernels::audio_sample::sse2 {

using namespace detail;

std::atomic<std::uint64_t> gNonTemporalRuns{0};

// `bytes` bytes of the repeated 16-byte pattern v (whose period divides the element
// size). With `stream`, the part from the first 16-byte boundary on goes around the
// caches in non-temporal stores, the pattern turned so every byte keeps its phase, and
// the run ends with a store fence. The last partial block goes through memcpy.
// Every fill of this unit runs through it, the 16- and 32-bit ones with their patterns.
void ownsSetRow_8u_Sse2(unsigned char *d, std::size_t bytes, __m128i v, bool stream = false) {
  std::size_t i = 0;
  if (stream && bytes >= 64) {
    alignas(16) unsigned char twice[32];
    Store(twice, v);
    Store(twice + 16, v);
    i = (16 - reinterpret_cast<std::uintptr_t>(d) % 16) % 16;
    std::memcpy(d, twice, i);
    const __m128i turned = Load(twice + i);
    gNonTemporalRuns.fetch_add(1, std::memory_order_relaxed);
    for (; i + 16 <= bytes; i += 16)
      _mm_stream_si128(reinterpret_cast<__m128i *>(d + i), turned);
    _mm_sfence();
    v = turned;
  } else {
    for (; i + 64 <= bytes; i += 64) {
      Store(d + i, v);
      Store(d + i + 16, v);
      Store(d + i + 32, v);
      Store(d + i + 48, v);
    }
    for (; i + 16 <= bytes; i += 16)
      Store(d + i, v);
  }
  if (i < bytes) {
    alignas(16) unsigned char b[16];
    Store(b, v);
    std::memcpy(d + i, b, bytes - i);
  }
}

// Region fill; non-temporal rows once the region's bytes exceed `streamAbove` (a
// negative value: always).
template <class T>
IppOpStatus SetRegion(T *pDst, int dstStep, tagSIZE roi, __m128i v, long long streamAbove) {
  if (!pDst)
    return ippStsNullPtrErr;
  if (roi.width < 1 || roi.height < 1)
    return ippStsSizeErr;
  if (dstStep < 1)
    return ippStsStepErr;
  const std::size_t bytes = static_cast<std::size_t>(roi.width) * sizeof(T);
  const bool stream =
      static_cast<long long>(bytes) * static_cast<long long>(roi.height) > streamAbove;
  for (int y = 0; y < roi.height; ++y)
    ownsSetRow_8u_Sse2(RowOf(pDst, dstStep, y), bytes, v, stream);
  return ippStsNoErr;
}

// The per-core cache size of the probe, read once (-1 when none is found).
std::int64_t CacheBytesPerCore() {
  static const std::int64_t bytes = kernels::basic::CacheSizePerCore(cpu::HardwareCpuid(), true);
  return bytes;
}

namespace {

// One row; overlapping rows keep the semantics of a move.
void ownsCopyRow_8u_Sse2(const unsigned char *s, unsigned char *d, std::size_t bytes) {
  if (s < d + bytes && d < s + bytes) {
    std::memmove(d, s, bytes);
    return;
  }
  std::size_t i = 0;
  for (; i + 64 <= bytes; i += 64) {
    const __m128i a = Load(s + i), b = Load(s + i + 16), c = Load(s + i + 32), e = Load(s + i + 48);
    Store(d + i, a);
    Store(d + i + 16, b);
    Store(d + i + 32, c);
    Store(d + i + 48, e);
  }
  for (; i + 16 <= bytes; i += 16)
    Store(d + i, Load(s + i));
  if (i < bytes)
    std::memcpy(d + i, s + i, bytes - i);
}

template <class T>
IppOpStatus CopyRegion(const T *pSrc, int srcStep, T *pDst, int dstStep, tagSIZE roi) {
  if (!pSrc || !pDst)
    return ippStsNullPtrErr;
  if (roi.width < 1 || roi.height < 1)
    return ippStsSizeErr;
  const std::size_t bytes = static_cast<std::size_t>(roi.width) * sizeof(T);
  for (int y = 0; y < roi.height; ++y)
    ownsCopyRow_8u_Sse2(RowOf(pSrc, srcStep, y), RowOf(pDst, dstStep, y), bytes);
  return ippStsNoErr;
}

// Converts one row of `width` elements through a block routine of N elements
// (block(const unsigned char *src, unsigned char *dst)); the last partial block runs on
// padded copies.
template <class S, class D, int N, class Block>
void ConvertRow(const unsigned char *s, unsigned char *d, int width, Block block) {
  int x = 0;
  for (; x + N <= width; x += N)
    block(s + x * sizeof(S), d + x * sizeof(D));
  if (x < width) {
    alignas(16) unsigned char bs[N * sizeof(S)] = {};
    alignas(16) unsigned char bd[N * sizeof(D)];
    const std::size_t rest = static_cast<std::size_t>(width - x);
    std::memcpy(bs, s + x * sizeof(S), rest * sizeof(S));
    block(bs, bd);
    std::memcpy(d + x * sizeof(D), bd, rest * sizeof(D));
  }
}

template <class S, class D, int N, class Block>
IppOpStatus ConvertRegion(const S *pSrc, int srcStep, D *pDst, int dstStep, tagSIZE roi,
                          Block block) {
  if (IppOpStatus st = CheckRegion(pSrc, srcStep, pDst, dstStep, roi); st != ippStsNoErr)
    return st;
  for (int y = 0; y < roi.height; ++y)
    ConvertRow<S, D, N>(RowOf(pSrc, srcStep, y), RowOf(pDst, dstStep, y), roi.width, block);
  return ippStsNoErr;
}

// The conversions' block steps, each named after the conversion whose rows ConvertRow
// walks through it.

// 16 bytes widened to 16 bits: zero-extended (or sign-extended when `sign`).
template <bool sign> void Widen8To16(const unsigned char *s, unsigned char *d) {
  const __m128i v = Load(s);
  if constexpr (sign) {
    Store(d, _mm_srai_epi16(_mm_unpacklo_epi8(v, v), 8));
    Store(d + 16, _mm_srai_epi16(_mm_unpackhi_epi8(v, v), 8));
  } else {
    const __m128i z = _mm_setzero_si128();
    Store(d, _mm_unpacklo_epi8(v, z));
    Store(d + 16, _mm_unpackhi_epi8(v, z));
  }
}

void ownsConvert_8s16s_Sse2(const unsigned char *s, unsigned char *d) { Widen8To16<true>(s, d); }
void ownsConvert_8u16u_Sse2(const unsigned char *s, unsigned char *d) { Widen8To16<false>(s, d); }

// 16 bytes to 16 floats.
void ownsConvert_8u32f_Sse2(const unsigned char *s, unsigned char *d) {
  const __m128i z = _mm_setzero_si128();
  const __m128i v = Load(s);
  const __m128i lo = _mm_unpacklo_epi8(v, z), hi = _mm_unpackhi_epi8(v, z);
  const __m128i w[4] = {_mm_unpacklo_epi16(lo, z), _mm_unpackhi_epi16(lo, z),
                        _mm_unpacklo_epi16(hi, z), _mm_unpackhi_epi16(hi, z)};
  for (int k = 0; k < 4; ++k)
    _mm_storeu_ps(reinterpret_cast<float *>(d + 16 * k), _mm_cvtepi32_ps(w[k]));
}

// v · 257 - 32768 as 16 bits: the byte in both halves, the top bit flipped.
void ownsScale_8u16s_Sse2(const unsigned char *s, unsigned char *d) {
  const __m128i v = Load(s);
  const __m128i flip = _mm_set1_epi16(-0x8000);
  Store(d, _mm_xor_si128(_mm_unpacklo_epi8(v, v), flip));
  Store(d + 16, _mm_xor_si128(_mm_unpackhi_epi8(v, v), flip));
}

// v · 0x01010101 - 2^31 as 32 bits: the byte in all four, the top bit flipped.
void ownsScale_8u32s_Sse2(const unsigned char *s, unsigned char *d) {
  const __m128i v = Load(s);
  const __m128i flip = _mm_set1_epi32(static_cast<int>(0x80000000u));
  const __m128i lo = _mm_unpacklo_epi8(v, v), hi = _mm_unpackhi_epi8(v, v);
  Store(d, _mm_xor_si128(_mm_unpacklo_epi16(lo, lo), flip));
  Store(d + 16, _mm_xor_si128(_mm_unpackhi_epi16(lo, lo), flip));
  Store(d + 32, _mm_xor_si128(_mm_unpacklo_epi16(hi, hi), flip));
  Store(d + 48, _mm_xor_si128(_mm_unpackhi_epi16(hi, hi), flip));
}

// Fast 16-bit to byte scaling: ((v - (v >> 8)) >> 8) + 128, 16 samples. Neither step
// leaves 16 bits.
void ownsScale_16s8u_Sse2(const unsigned char *s, unsigned char *d) {
  const __m128i bias = _mm_set1_epi16(128);
  auto half = [bias](__m128i v) {
    return _mm_add_epi16(_mm_srai_epi16(_mm_sub_epi16(v, _mm_srai_epi16(v, 8)), 8), bias);
  };
  Store(d, _mm_packus_epi16(half(Load(s)), half(Load(s + 16))));
}

// Accurate 16-bit to byte scaling: e = c + k · v with c and k single-precision
// constants. k · v needs at most 40 bits and the sum spans 2^7 to 2^-31, so e is exact
// in double; its integer part, one less when e is an odd integer. 8 samples.
inline __m128i Accurate4(__m128i v32) {
  const __m128d c = _mm_set1_pd(static_cast<double>(std::bit_cast<float>(0x43000080u)));
  const __m128d k = _mm_set1_pd(static_cast<double>(std::bit_cast<float>(0x3B7F00FFu)));
  const __m128d e0 = _mm_add_pd(c, _mm_mul_pd(k, _mm_cvtepi32_pd(v32)));
  const __m128d e1 = _mm_add_pd(c, _mm_mul_pd(k, _mm_cvtepi32_pd(_mm_srli_si128(v32, 8))));
  const __m128i n0 = _mm_cvttpd_epi32(e0), n1 = _mm_cvttpd_epi32(e1);
  // Lanes where e is exactly the odd integer n step down by one.
  const __m128i exact0 = _mm_castpd_si128(_mm_cmpeq_pd(_mm_cvtepi32_pd(n0), e0));
  const __m128i exact1 = _mm_castpd_si128(_mm_cmpeq_pd(_mm_cvtepi32_pd(n1), e1));
  // The compare masks are 64-bit; take their low 32-bit halves next to each other.
  const __m128i exact =
      _mm_unpacklo_epi64(_mm_shuffle_epi32(exact0, 0x08), _mm_shuffle_epi32(exact1, 0x08));
  const __m128i n = _mm_unpacklo_epi64(n0, n1);
  const __m128i odd = _mm_and_si128(n, _mm_set1_epi32(1));
  return _mm_sub_epi32(n, _mm_and_si128(exact, odd));
}

void ownsScaleAccurate_16s8u_Sse2(const unsigned char *s, unsigned char *d) {
  const __m128i v = Load(s);
  const __m128i lo = Accurate4(_mm_srai_epi32(_mm_unpacklo_epi16(v, v), 16));
  const __m128i hi = Accurate4(_mm_srai_epi32(_mm_unpackhi_epi16(v, v), 16));
  // Every n is within 0..255; keep its low byte.
  const __m128i w = _mm_packs_epi32(lo, hi);
  alignas(16) unsigned char b[16];
  Store(b, _mm_packus_epi16(w, w));
  std::memcpy(d, b, 8);
}

// Fast 32-bit to byte scaling: ((v - (v >> 8)) >> 24) + 128, 4 samples.
void ownsScale_32s8u_Sse2(const unsigned char *s, unsigned char *d) {
  const __m128i v = Load(s);
  const __m128i r = _mm_add_epi32(_mm_srai_epi32(_mm_sub_epi32(v, _mm_srai_epi32(v, 8)), 24),
                                  _mm_set1_epi32(128));
  const __m128i w = _mm_packs_epi32(r, r);
  const int bytes = _mm_cvtsi128_si32(_mm_packus_epi16(w, w));
  std::memcpy(d, &bytes, 4);
}

// Accurate 32-bit to byte scaling: k · v needs more than double precision, so this
// path keeps the extended-precision arithmetic of the reference, one sample at a time.
void ownsScaleAccurate_32s8u_Sse2(const unsigned char *s, unsigned char *d) {
  const long double c = std::bit_cast<double>(0x40600000000FF000ull);
  const long double k = std::bit_cast<double>(0x3E6FE000001FE000ull);
  for (int i = 0; i < 4; ++i) {
    std::int32_t v;
    std::memcpy(&v, s + 4 * i, 4);
    const long double e = c + k * static_cast<long double>(v);
    auto n = static_cast<std::int64_t>(e);
    if (static_cast<long double>(n) == e && (n & 1) != 0)
      --n;
    d[i] = static_cast<unsigned char>(n);
  }
}

} // namespace

// Long fills (more than 131072 values) go around the caches once they exceed half the
// per-core cache.
IppOpStatus ippsSet_16s(short val, short *pDst, int len) {
  if (!pDst)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  const std::int64_t cache = len > 131072 ? CacheBytesPerCore() : -1;
  ownsSetRow_8u_Sse2(Bytes(pDst), static_cast<std::size_t>(len) * sizeof(short),
                     _mm_set1_epi16(val), cache > 0 && len > cache / 2);
  return ippStsNoErr;
}

// Region fills of codes 6-9: non-temporal above 262144, 180000 and 1400000 bytes.
IppOpStatus ippiSet_8u_C1R(unsigned char val, unsigned char *pDst, int dstStep, tagSIZE roi) {
  return SetRegion(pDst, dstStep, roi, _mm_set1_epi8(static_cast<char>(val)), 262144);
}
IppOpStatus ippiSet_16s_C1R(short val, short *pDst, int dstStep, tagSIZE roi) {
  return SetRegion(pDst, dstStep, roi, _mm_set1_epi16(val), 180000);
}
IppOpStatus ippiSet_32s_C1R(int val, int *pDst, int dstStep, tagSIZE roi) {
  return SetRegion(pDst, dstStep, roi, _mm_set1_epi32(val), 1400000);
}

IppOpStatus ippiCopy_8u_C1R(const unsigned char *pSrc, int srcStep, unsigned char *pDst,
                            int dstStep, tagSIZE roi) {
  return CopyRegion(pSrc, srcStep, pDst, dstStep, roi);
}
IppOpStatus ippiCopy_16s_C1R(const short *pSrc, int srcStep, short *pDst, int dstStep,
                             tagSIZE roi) {
  return CopyRegion(pSrc, srcStep, pDst, dstStep, roi);
}
IppOpStatus ippiCopy_32s_C1R(const int *pSrc, int srcStep, int *pDst, int dstStep, tagSIZE roi) {
  return CopyRegion(pSrc, srcStep, pDst, dstStep, roi);
}

IppOpStatus ippsConvert_8s16s(const signed char *pSrc, short *pDst, int len) {
  if (!pSrc || !pDst)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  ConvertRow<signed char, short, 16>(
      Bytes(pSrc), Bytes(pDst), len,
      [](const unsigned char *s, unsigned char *d) { ownsConvert_8s16s_Sse2(s, d); });
  return ippStsNoErr;
}

IppOpStatus ippiConvert_8u16u_C1R(const unsigned char *pSrc, int srcStep, unsigned short *pDst,
                                  int dstStep, tagSIZE roi) {
  return ConvertRegion<unsigned char, unsigned short, 16>(
      pSrc, srcStep, pDst, dstStep, roi,
      [](const unsigned char *s, unsigned char *d) { ownsConvert_8u16u_Sse2(s, d); });
}

IppOpStatus ippiConvert_8u32f_C1R(const unsigned char *pSrc, int srcStep, float *pDst, int dstStep,
                                  tagSIZE roi) {
  return ConvertRegion<unsigned char, float, 16>(
      pSrc, srcStep, pDst, dstStep, roi,
      [](const unsigned char *s, unsigned char *d) { ownsConvert_8u32f_Sse2(s, d); });
}

IppOpStatus ippiScale_8u16s_C1R(const unsigned char *pSrc, int srcStep, short *pDst, int dstStep,
                                tagSIZE roi) {
  return ConvertRegion<unsigned char, short, 16>(
      pSrc, srcStep, pDst, dstStep, roi,
      [](const unsigned char *s, unsigned char *d) { ownsScale_8u16s_Sse2(s, d); });
}

IppOpStatus ippiScale_8u32s_C1R(const unsigned char *pSrc, int srcStep, int *pDst, int dstStep,
                                tagSIZE roi) {
  return ConvertRegion<unsigned char, int, 16>(
      pSrc, srcStep, pDst, dstStep, roi,
      [](const unsigned char *s, unsigned char *d) { ownsScale_8u32s_Sse2(s, d); });
}

IppOpStatus ippiScale_16s8u_C1R(const short *pSrc, int srcStep, unsigned char *pDst, int dstStep,
                                tagSIZE roi, int hint) {
  if (hint == 2)
    return ConvertRegion<short, unsigned char, 8>(
        pSrc, srcStep, pDst, dstStep, roi,
        [](const unsigned char *s, unsigned char *d) { ownsScaleAccurate_16s8u_Sse2(s, d); });
  return ConvertRegion<short, unsigned char, 16>(
      pSrc, srcStep, pDst, dstStep, roi,
      [](const unsigned char *s, unsigned char *d) { ownsScale_16s8u_Sse2(s, d); });
}

IppOpStatus ippiScale_32s8u_C1R(const int *pSrc, int srcStep, unsigned char *pDst, int dstStep,
                                tagSIZE roi, int hint) {
  if (hint == 2)
    return ConvertRegion<int, unsigned char, 4>(
        pSrc, srcStep, pDst, dstStep, roi,
        [](const unsigned char *s, unsigned char *d) { ownsScaleAccurate_32s8u_Sse2(s, d); });
  return ConvertRegion<int, unsigned char, 4>(
      pSrc, srcStep, pDst, dstStep, roi,
      [](const unsigned char *s, unsigned char *d) { ownsScale_32s8u_Sse2(s, d); });
}

} // namespace kernels::audio_sample::sse2

namespace kernels::audio_sample {

std::uint64_t NonTemporalFills() noexcept {
  return sse2::gNonTemporalRuns.load(std::memory_order_relaxed);
}

namespace sse {

// Code 5: vector fills stream from 10240 values, the 8- and 16-bit region fills always,
// the 32-bit region fill never.
IppOpStatus ippsSet_16s(short val, short *pDst, int len) {
  if (!pDst)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  sse2::ownsSetRow_8u_Sse2(sse2::Bytes(pDst), static_cast<std::size_t>(len) * sizeof(short),
                           _mm_set1_epi16(val), len >= 10240);
  return ippStsNoErr;
}
IppOpStatus ippiSet_8u_C1R(unsigned char val, unsigned char *pDst, int dstStep, tagSIZE roi) {
  return sse2::SetRegion(pDst, dstStep, roi, _mm_set1_epi8(static_cast<char>(val)), -1);
}
IppOpStatus ippiSet_16s_C1R(short val, short *pDst, int dstStep, tagSIZE roi) {
  return sse2::SetRegion(pDst, dstStep, roi, _mm_set1_epi16(val), -1);
}
IppOpStatus ippiSet_32s_C1R(int val, int *pDst, int dstStep, tagSIZE roi) {
  return sse2::SetRegion(pDst, dstStep, roi, _mm_set1_epi32(val), 0x7FFFFFFFFFFFFFFFLL);
}

} // namespace sse
} // namespace kernels::audio_sample
