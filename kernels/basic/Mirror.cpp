// In-place mirror of a three-byte-pixel image region, for every processor class (code 5
// too). Rows swap places 16 bytes at a time; the pixels of a row reverse four at a time
// (12 bytes from each end regrouped in 64- and 32-bit words, each pixel's bytes kept in
// order). Moves exactly the generic's bytes; where the rows overlap (a step below the
// row's length) the bytes move one at a time in the generic's order, since the result then
// depends on it.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>

#include <emmintrin.h>

#include "kernels/basic/BasicKernels.h"

namespace kernels::basic {

namespace {

constexpr int kHorizontal = 0, kVertical = 1, kBoth = 2;

unsigned char *rowAt(unsigned char *base, int step, int y) {
  return base + static_cast<std::ptrdiff_t>(step) * y;
}

void swapRows(unsigned char *a, unsigned char *b, std::size_t bytes) {
  std::size_t i = 0;
  for (; i + 16 <= bytes; i += 16) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i *>(a + i));
    const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i *>(b + i));
    _mm_storeu_si128(reinterpret_cast<__m128i *>(a + i), y);
    _mm_storeu_si128(reinterpret_cast<__m128i *>(b + i), x);
  }
  for (; i < bytes; ++i)
    std::swap(a[i], b[i]);
}

// Four pixels (12 bytes) in reverse pixel order.
void reverse4(const unsigned char *in, unsigned char *out) {
  std::uint64_t lo;
  std::uint32_t hi;
  std::memcpy(&lo, in, 8);
  std::memcpy(&hi, in + 8, 4);
  const std::uint64_t p0 = lo & 0xFFFFFF, p1 = (lo >> 24) & 0xFFFFFF;
  const std::uint64_t p2 = ((lo >> 48) | (std::uint64_t{hi} << 16)) & 0xFFFFFF;
  const std::uint64_t p3 = hi >> 8;
  const std::uint64_t outLo = p3 | (p2 << 24) | (p1 << 48);
  const auto outHi = static_cast<std::uint32_t>((p1 >> 16) | (p0 << 8));
  std::memcpy(out, &outLo, 8);
  std::memcpy(out + 8, &outHi, 4);
}

void reversePixels(unsigned char *row, int width) {
  int l = 0, r = width - 1;
  for (; l + 3 < r - 3; l += 4, r -= 4) {
    unsigned char front[12], back[12];
    reverse4(row + 3 * l, back);
    reverse4(row + 3 * (r - 3), front);
    std::memcpy(row + 3 * l, front, 12);
    std::memcpy(row + 3 * (r - 3), back, 12);
  }
  for (; l < r; ++l, --r)
    for (int c = 0; c < 3; ++c)
      std::swap(row[3 * l + c], row[3 * r + c]);
}

// The generic's byte order, for rows that overlap.
void mirrorBytewise(unsigned char *p, int step, tagSIZE roi, int axis) {
  const std::size_t rowBytes = 3 * static_cast<std::size_t>(roi.width);
  if (axis != kVertical)
    for (int top = 0, bottom = roi.height - 1; top < bottom; ++top, --bottom) {
      unsigned char *a = rowAt(p, step, top), *b = rowAt(p, step, bottom);
      for (std::size_t i = 0; i < rowBytes; ++i)
        std::swap(a[i], b[i]);
    }
  if (axis != kHorizontal)
    for (int y = 0; y < roi.height; ++y) {
      unsigned char *row = rowAt(p, step, y);
      for (int l = 0, r = roi.width - 1; l < r; ++l, --r)
        for (int c = 0; c < 3; ++c)
          std::swap(row[3 * l + c], row[3 * r + c]);
    }
}

} // namespace

namespace sse2 {

IppOpStatus ippiMirror_8u_C3IR(unsigned char *pSrcDst, int srcDstStep, tagSIZE roi, int flip) {
  if (!pSrcDst)
    return ippStsNullPtrErr;
  if (roi.width < 1 || roi.height < 1)
    return ippStsSizeErr;
  if (srcDstStep < 1)
    return ippStsStepErr;
  if (flip != kHorizontal && flip != kVertical && flip != kBoth)
    return ippStsMirrorFlipErr;
  const std::size_t rowBytes = 3 * static_cast<std::size_t>(roi.width);
  if (roi.height > 1 && static_cast<std::size_t>(srcDstStep) < rowBytes) {
    mirrorBytewise(pSrcDst, srcDstStep, roi, flip);
    return ippStsNoErr;
  }
  if (flip != kVertical)
    for (int top = 0, bottom = roi.height - 1; top < bottom; ++top, --bottom)
      swapRows(rowAt(pSrcDst, srcDstStep, top), rowAt(pSrcDst, srcDstStep, bottom), rowBytes);
  if (flip != kHorizontal)
    for (int y = 0; y < roi.height; ++y)
      reversePixels(rowAt(pSrcDst, srcDstStep, y), roi.width);
  return ippStsNoErr;
}

} // namespace sse2

} // namespace kernels::basic
