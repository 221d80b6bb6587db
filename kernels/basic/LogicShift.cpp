// Bitwise operations and shifts of 32-bit vectors with a constant, four elements per
// 16-byte register. Every processor class runs these (code 5 included: its 8-byte
// register loops would share the x87 stack). Results are the generic's bit for bit:
// left shifts by 32 or more give 0, right shifts by 32 or more the sign of the element.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include <emmintrin.h>

#include "kernels/basic/BasicKernels.h"
#include "kernels/common/ElementLoops.h"

namespace kernels::basic {

namespace {

template <class T, class F> IppOpStatus run(const T *src, T *dst, int len, F f) {
  if (const IppOpStatus st = checkPair(src, dst, len); st != ippStsNoErr)
    return st;
  map32(src, dst, static_cast<std::size_t>(len), f);
  return ippStsNoErr;
}

// The packed shifts take the count from a register: 32 and more shift every bit out
// (left) or fill with the sign (right), as the generic defines them.
template <class Shift>
IppOpStatus shiftBy(const int *src, int val, int *dst, int len, Shift shift) {
  if (const IppOpStatus st = checkPair(src, dst, len); st != ippStsNoErr)
    return st;
  if (val < 0)
    return ippStsShiftErr;
  const __m128i by = _mm_cvtsi32_si128(val);
  map32(src, dst, static_cast<std::size_t>(len), [by, shift](__m128i x) { return shift(x, by); });
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

IppOpStatus ippsLShiftC_32s(const int *pSrc, int val, int *pDst, int len) {
  return shiftBy(pSrc, val, pDst, len, [](__m128i x, __m128i by) { return _mm_sll_epi32(x, by); });
}

IppOpStatus ippsRShiftC_32s(const int *pSrc, int val, int *pDst, int len) {
  return shiftBy(pSrc, val, pDst, len, [](__m128i x, __m128i by) { return _mm_sra_epi32(x, by); });
}

} // namespace sse2

} // namespace kernels::basic
