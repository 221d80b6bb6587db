// Region walking shared by the audio sample kernels: the common checks and a row
// driver that runs a 16-byte block routine over a row, the last partial block through a
// padded copy so every element goes through the same arithmetic.
#pragma once

#include <cstddef>
#include <cstring>

#include <emmintrin.h>

#include "kernels/common/IppTypes.h"
#include "kernels/common/SseRounding.h"

namespace kernels::audio_sample::detail {

// Null pointers, then width or height below 1, then a step below 1.
inline IppOpStatus CheckRegion(const void *a, int stepA, const void *b, int stepB, tagSIZE roi) {
  if (!a || !b)
    return ippStsNullPtrErr;
  if (roi.width < 1 || roi.height < 1)
    return ippStsSizeErr;
  if (stepA < 1 || stepB < 1)
    return ippStsStepErr;
  return ippStsNoErr;
}

inline __m128i Load(const unsigned char *p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
}
inline void Store(unsigned char *p, __m128i v) {
  _mm_storeu_si128(reinterpret_cast<__m128i *>(p), v);
}

template <class T> const unsigned char *Bytes(const T *p) {
  return reinterpret_cast<const unsigned char *>(p);
}
template <class T> unsigned char *Bytes(T *p) { return reinterpret_cast<unsigned char *>(p); }

// d[i] = block(d[i], s[i]) over `bytes` bytes, 16 at a time. The source bytes past the
// row's end read as `pad` (a divisor there must not be 0).
template <class Block>
void ZipRow(const unsigned char *s, unsigned char *d, std::size_t bytes, Block block, int pad = 0) {
  std::size_t i = 0;
  for (; i + 16 <= bytes; i += 16)
    Store(d + i, block(Load(d + i), Load(s + i)));
  if (i < bytes) {
    alignas(16) unsigned char bd[16] = {};
    alignas(16) unsigned char bs[16];
    std::memset(bs, pad, sizeof bs);
    std::memcpy(bd, d + i, bytes - i);
    std::memcpy(bs, s + i, bytes - i);
    Store(bd, block(Load(bd), Load(bs)));
    std::memcpy(d + i, bd, bytes - i);
  }
}

// d[i] = block(d[i]) over `bytes` bytes.
template <class Block> void MapRow(unsigned char *d, std::size_t bytes, Block block) {
  std::size_t i = 0;
  for (; i + 16 <= bytes; i += 16)
    Store(d + i, block(Load(d + i)));
  if (i < bytes) {
    alignas(16) unsigned char bd[16] = {};
    std::memcpy(bd, d + i, bytes - i);
    Store(bd, block(Load(bd)));
    std::memcpy(d + i, bd, bytes - i);
  }
}

inline const unsigned char *RowOf(const void *base, int step, int row) {
  return static_cast<const unsigned char *>(base) + static_cast<std::ptrdiff_t>(step) * row;
}
inline unsigned char *RowOf(void *base, int step, int row) {
  return static_cast<unsigned char *>(base) + static_cast<std::ptrdiff_t>(step) * row;
}

} // namespace kernels::audio_sample::detail
