// The argument check, overlap test and 32-bit lane loop that the element kernels of
// several folders share.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include <emmintrin.h>

#include "kernels/common/IppTypes.h"

namespace kernels {

// The checks of a source-destination operation, in the generic's order: a null pointer
// gives -8, then a length below minLen -6.
inline IppOpStatus checkPair(const void *a, const void *b, int len, int minLen = 1) {
  if (!a || !b)
    return ippStsNullPtrErr;
  if (len < minLen)
    return ippStsSizeErr;
  return ippStsNoErr;
}

// True when the byte ranges [a, a + aBytes) and [b, b + bBytes) share storage without
// starting at the same address. Such calls run element by element in ascending order,
// so each element is read before it is written as in the generic loops.
inline bool partlyOverlap(const void *a, std::size_t aBytes, const void *b, std::size_t bBytes) {
  const auto x = reinterpret_cast<std::uintptr_t>(a);
  const auto y = reinterpret_cast<std::uintptr_t>(b);
  if (x == y)
    return false;
  return x < y + bBytes && y < x + aBytes;
}

// dst[i] = f(src[i]) for 32-bit lanes, f given for four lanes: sixteen elements per pass,
// then four, then one at a time through a single lane for the tail, and throughout when
// source and destination partly overlap.
template <class T, class F> void map32(const T *src, T *dst, std::size_t n, F f) {
  static_assert(sizeof(T) == 4);
  std::size_t i = 0;
  if (!partlyOverlap(src, n * 4, dst, n * 4)) {
    for (; i + 16 <= n; i += 16) {
      const __m128i r0 = f(_mm_loadu_si128(reinterpret_cast<const __m128i *>(src + i)));
      const __m128i r1 = f(_mm_loadu_si128(reinterpret_cast<const __m128i *>(src + i + 4)));
      const __m128i r2 = f(_mm_loadu_si128(reinterpret_cast<const __m128i *>(src + i + 8)));
      const __m128i r3 = f(_mm_loadu_si128(reinterpret_cast<const __m128i *>(src + i + 12)));
      _mm_storeu_si128(reinterpret_cast<__m128i *>(dst + i), r0);
      _mm_storeu_si128(reinterpret_cast<__m128i *>(dst + i + 4), r1);
      _mm_storeu_si128(reinterpret_cast<__m128i *>(dst + i + 8), r2);
      _mm_storeu_si128(reinterpret_cast<__m128i *>(dst + i + 12), r3);
    }
    for (; i + 4 <= n; i += 4)
      _mm_storeu_si128(reinterpret_cast<__m128i *>(dst + i),
                       f(_mm_loadu_si128(reinterpret_cast<const __m128i *>(src + i))));
  }
  for (; i < n; ++i) {
    std::int32_t x;
    std::memcpy(&x, src + i, 4);
    const std::int32_t r = _mm_cvtsi128_si32(f(_mm_cvtsi32_si128(x)));
    std::memcpy(dst + i, &r, 4);
  }
}

} // namespace kernels
