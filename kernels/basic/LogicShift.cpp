// Bitwise operations and shifts of 32-bit vectors with a constant, four elements per
// 16-byte register. Every processor class runs these (code 5 included: its 8-byte
// register loops would share the x87 stack). Results are the generic's bit for bit:
// left shifts by 32 or more give 0, right shifts by 32 or more the sign of the element.
#include "kernels/basic/BasicKernels.h"

#include <emmintrin.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace kernels::basic {

namespace {

bool partlyOverlap(const void *a, const void *b, std::size_t bytes) {
  if (a == b)
    return false;
  const auto x = reinterpret_cast<std::uintptr_t>(a);
  const auto y = reinterpret_cast<std::uintptr_t>(b);
  return x < y + bytes && y < x + bytes;
}

// dst[i] = f(src[i]) with f given for four lanes; one element at a time (through a single
// lane) for the tail, and throughout when source and destination share part of their
// storage, so each element is read before it is written as in the generic's loop.
template <class T, class F> void map32(const T *src, T *dst, int len, F f) {
  static_assert(sizeof(T) == 4);
  const std::size_t n = static_cast<std::size_t>(len);
  std::size_t i = 0;
  if (!partlyOverlap(src, dst, n * 4)) {
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

IppOpStatus check(const void *src, const void *dst, int len) {
  if (!src || !dst)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  return ippStsNoErr;
}

template <class T, class F> IppOpStatus run(const T *src, T *dst, int len, F f) {
  if (const IppOpStatus st = check(src, dst, len); st != ippStsNoErr)
    return st;
  map32(src, dst, len, f);
  return ippStsNoErr;
}

__m128i constant(unsigned val) { return _mm_set1_epi32(static_cast<int>(val)); }

} // namespace

namespace sse2 {

IppOpStatus ippsAndC_32u(const unsigned *pSrc, unsigned val, unsigned *pDst, int len) {
  const __m128i c = constant(val);
  return run(pSrc, pDst, len, [c](__m128i x) { return _mm_and_si128(x, c); });
}

IppOpStatus ippsOrC_32u(const unsigned *pSrc, unsigned val, unsigned *pDst, int len) {
  const __m128i c = constant(val);
  return run(pSrc, pDst, len, [c](__m128i x) { return _mm_or_si128(x, c); });
}

IppOpStatus ippsXorC_32u(const unsigned *pSrc, unsigned val, unsigned *pDst, int len) {
  const __m128i c = constant(val);
  return run(pSrc, pDst, len, [c](__m128i x) { return _mm_xor_si128(x, c); });
}

// The packed shifts take the count from a register: 32 and more shift every bit out
// (left) or fill with the sign (right), as the generic defines them.
IppOpStatus ippsLShiftC_32s(const int *pSrc, int val, int *pDst, int len) {
  if (const IppOpStatus st = check(pSrc, pDst, len); st != ippStsNoErr)
    return st;
  if (val < 0)
    return ippStsShiftErr;
  const __m128i by = _mm_cvtsi32_si128(val);
  map32(pSrc, pDst, len, [by](__m128i x) { return _mm_sll_epi32(x, by); });
  return ippStsNoErr;
}

IppOpStatus ippsRShiftC_32s(const int *pSrc, int val, int *pDst, int len) {
  if (const IppOpStatus st = check(pSrc, pDst, len); st != ippStsNoErr)
    return st;
  if (val < 0)
    return ippStsShiftErr;
  const __m128i by = _mm_cvtsi32_si128(val);
  map32(pSrc, pDst, len, [by](__m128i x) { return _mm_sra_epi32(x, by); });
  return ippStsNoErr;
}

} // namespace sse2

} // namespace kernels::basic
