// Integer, bitwise and shift operations of the signal unit, four 32-bit lanes per
// register. Results are the generic's bit for bit: scaled sums are the exact sum times
// 2^-sf rounded half to even and saturated; left shifts by 32 or more give 0, right shifts
// by 32 or more the sign of the element.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>

#include <emmintrin.h>

#include "kernels/signal/Loops.h"
#include "kernels/signal/SignalCorrConv.h"
#include "kernels/signal/SignalKernels.h"

namespace kernels::signal {

namespace {

using detail::zip32;

std::size_t count(int len) { return static_cast<std::size_t>(len); }

std::int32_t saturate(std::int64_t r) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(
      r, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

// The exact r times 2^-sf, rounded half to even, saturated (|r| <= 2^32 here).
std::int32_t scaled(std::int64_t r, int sf) {
  if (sf == 0 || r == 0)
    return saturate(r);
  if (sf > 0) {
    if (sf >= 63)
      return 0;
    const std::int64_t q = r >> sf;
    const std::int64_t rest = r - (q << sf);
    const std::int64_t half = std::int64_t{1} << (sf - 1);
    return saturate(q + ((rest > half || (rest == half && (q & 1) != 0)) ? 1 : 0));
  }
  if (sf <= -40) // |r| >= 1, so the product is beyond 32 bits
    return r > 0 ? std::numeric_limits<std::int32_t>::max()
                 : std::numeric_limits<std::int32_t>::min();
  const __int128 v = static_cast<__int128>(r) * (static_cast<__int128>(1) << -sf);
  return static_cast<std::int32_t>(std::clamp<__int128>(v, std::numeric_limits<std::int32_t>::min(),
                                                        std::numeric_limits<std::int32_t>::max()));
}

// x + val saturated, by the sign rule: an overflow happened when the result's sign
// differs from both operands'.
__m128i addSaturate(__m128i x, __m128i v) {
  const __m128i r = _mm_add_epi32(x, v);
  const __m128i over = _mm_srai_epi32(_mm_and_si128(_mm_xor_si128(x, r), _mm_xor_si128(v, r)), 31);
  const __m128i sat = _mm_xor_si128(_mm_srai_epi32(x, 31), _mm_set1_epi32(0x7FFFFFFF));
  return _mm_or_si128(_mm_and_si128(over, sat), _mm_andnot_si128(over, r));
}

// x - val saturated: an overflow happened when the operands' signs differ and the
// result's sign differs from x's.
__m128i subSaturate(__m128i x, __m128i v) {
  const __m128i r = _mm_sub_epi32(x, v);
  const __m128i over = _mm_srai_epi32(_mm_and_si128(_mm_xor_si128(x, v), _mm_xor_si128(x, r)), 31);
  const __m128i sat = _mm_xor_si128(_mm_srai_epi32(x, 31), _mm_set1_epi32(0x7FFFFFFF));
  return _mm_or_si128(_mm_and_si128(over, sat), _mm_andnot_si128(over, r));
}

// (x + v) * 2^-k rounded half to even for k in 1 ... 31, without leaving 32-bit lanes: with
// x = xh * 2^k + xl (0 <= xl < 2^k) and likewise v, the floor of the quotient is
// xh + vh + carry of xl + vl, and the remainder is the low k bits of xl + vl. The result
// lies within 32 bits, so nothing saturates.
__m128i addScaled(__m128i x, __m128i v, __m128i k, __m128i lowMask, __m128i half) {
  const __m128i t = _mm_add_epi32(_mm_and_si128(x, lowMask), _mm_and_si128(v, lowMask));
  __m128i q =
      _mm_add_epi32(_mm_add_epi32(_mm_sra_epi32(x, k), _mm_sra_epi32(v, k)), _mm_srl_epi32(t, k));
  const __m128i rest = _mm_and_si128(t, lowMask);
  const __m128i odd = _mm_cmpeq_epi32(_mm_and_si128(q, _mm_set1_epi32(1)), _mm_set1_epi32(1));
  const __m128i up =
      _mm_or_si128(_mm_cmpgt_epi32(rest, half), _mm_and_si128(_mm_cmpeq_epi32(rest, half), odd));
  return _mm_sub_epi32(q, up);
}

// Scale factor 0: x + val and x - val saturated.
void ownsAddC_32s_I_Sse2(int val, int *pSrcDst, std::size_t n) {
  const __m128i v = _mm_set1_epi32(val);
  map32(pSrcDst, pSrcDst, n, [v](__m128i x) { return addSaturate(x, v); });
}

void ownsSubC_32s_I_Sse2(int val, int *pSrcDst, std::size_t n) {
  const __m128i v = _mm_set1_epi32(val);
  map32(pSrcDst, pSrcDst, n, [v](__m128i x) { return subSaturate(x, v); });
}

// Scale factors 1 ... 31 (1 included: the halving is the same steps with k = 1).
void ownsAddC_32s_ISfs_Sse2(int val, int *pSrcDst, std::size_t n, int sf) {
  const __m128i v = _mm_set1_epi32(val);
  const __m128i k = _mm_cvtsi32_si128(sf);
  const __m128i lowMask = _mm_set1_epi32(static_cast<int>((std::uint32_t{1} << sf) - 1));
  const __m128i half = _mm_set1_epi32(static_cast<int>(std::uint32_t{1} << (sf - 1)));
  map32(pSrcDst, pSrcDst, n, [=](__m128i x) { return addScaled(x, v, k, lowMask, half); });
}

// x - val is x + (-val); the caller keeps the one constant without a negation away.
void ownsSubC_32s_ISfs_Sse2(int val, int *pSrcDst, std::size_t n, int sf) {
  ownsAddC_32s_ISfs_Sse2(-val, pSrcDst, n, sf);
}

// The in-place scaled addition of a constant; sub selects x - val. Negative and large
// scale factors go element by element through the exact 64-bit sum.
IppOpStatus addSubC(int val, int *pSrcDst, int len, int sf, bool sub) {
  if (!pSrcDst)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  const std::size_t n = count(len);
  if (sf == 0) {
    if (val == 0)
      return ippStsNoErr; // nothing changes
    if (sub)
      ownsSubC_32s_I_Sse2(val, pSrcDst, n);
    else
      ownsAddC_32s_I_Sse2(val, pSrcDst, n);
    return ippStsNoErr;
  }
  if (sf >= 1 && sf <= 31 && !(sub && val == std::numeric_limits<int>::min())) {
    if (sub)
      ownsSubC_32s_ISfs_Sse2(val, pSrcDst, n, sf);
    else
      ownsAddC_32s_ISfs_Sse2(val, pSrcDst, n, sf);
    return ippStsNoErr;
  }
  for (std::size_t i = 0; i < n; ++i) {
    const std::int64_t x = detail::load(pSrcDst + i);
    detail::store(pSrcDst + i, static_cast<int>(scaled(sub ? x - val : x + val, sf)));
  }
  return ippStsNoErr;
}

void ownsAndC_32u_I_Sse2(unsigned val, unsigned *pSrcDst, std::size_t n) {
  const __m128i c = _mm_set1_epi32(static_cast<int>(val));
  map32(pSrcDst, pSrcDst, n, [c](__m128i x) { return _mm_and_si128(x, c); });
}

void ownsOrC_32u_I_Sse2(unsigned val, unsigned *pSrcDst, std::size_t n) {
  const __m128i c = _mm_set1_epi32(static_cast<int>(val));
  map32(pSrcDst, pSrcDst, n, [c](__m128i x) { return _mm_or_si128(x, c); });
}

void ownsXorC_32u_I_Sse2(unsigned val, unsigned *pSrcDst, std::size_t n) {
  const __m128i c = _mm_set1_epi32(static_cast<int>(val));
  map32(pSrcDst, pSrcDst, n, [c](__m128i x) { return _mm_xor_si128(x, c); });
}

// The packed shifts take their count from a register: from 32 on, the left shift clears
// every lane and the arithmetic right shift fills it with the sign. Code 5 runs the same
// loops.
void ownsLShiftC_32s_I_Sse2(int val, int *pSrcDst, std::size_t n) {
  const __m128i by = _mm_cvtsi32_si128(val);
  map32(pSrcDst, pSrcDst, n, [by](__m128i x) { return _mm_sll_epi32(x, by); });
}

void ownsRShiftC_32s_I_Sse2(int val, int *pSrcDst, std::size_t n) {
  const __m128i by = _mm_cvtsi32_si128(val);
  map32(pSrcDst, pSrcDst, n, [by](__m128i x) { return _mm_sra_epi32(x, by); });
}

// A shift count below 0 is refused; 0 writes nothing.
template <void (*Loop)(int, int *, std::size_t)> IppOpStatus shift(int val, int *pSrcDst, int len) {
  if (const IppOpStatus st = checkPair(pSrcDst, pSrcDst, len); st != ippStsNoErr)
    return st;
  if (val < 0)
    return ippStsShiftErr;
  if (val > 0)
    Loop(val, pSrcDst, count(len));
  return ippStsNoErr;
}

template <class F> IppOpStatus vectorOp(const unsigned *pSrc, unsigned *pSrcDst, int len, F f) {
  if (const IppOpStatus st = checkPair(pSrc, pSrcDst, len); st != ippStsNoErr)
    return st;
  zip32(pSrc, pSrcDst, count(len), f);
  return ippStsNoErr;
}

} // namespace

namespace sse2 {

IppOpStatus ippsCopy_16s(const short *pSrc, short *pDst, int len) {
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

IppOpStatus ippsAddC_32s_ISfs(int val, int *pSrcDst, int len, int scaleFactor) {
  return addSubC(val, pSrcDst, len, scaleFactor, false);
}

IppOpStatus ippsSubC_32s_ISfs(int val, int *pSrcDst, int len, int scaleFactor) {
  return addSubC(val, pSrcDst, len, scaleFactor, true);
}

IppOpStatus ippsAndC_32u_I(unsigned int val, unsigned int *pSrcDst, int len) {
  if (const IppOpStatus st = checkPair(pSrcDst, pSrcDst, len); st != ippStsNoErr)
    return st;
  ownsAndC_32u_I_Sse2(val, pSrcDst, count(len));
  return ippStsNoErr;
}

// A zero constant changes nothing, so nothing is written.
IppOpStatus ippsOrC_32u_I(unsigned int val, unsigned int *pSrcDst, int len) {
  if (const IppOpStatus st = checkPair(pSrcDst, pSrcDst, len); st != ippStsNoErr || val == 0)
    return st;
  ownsOrC_32u_I_Sse2(val, pSrcDst, count(len));
  return ippStsNoErr;
}

IppOpStatus ippsXorC_32u_I(unsigned int val, unsigned int *pSrcDst, int len) {
  if (const IppOpStatus st = checkPair(pSrcDst, pSrcDst, len); st != ippStsNoErr || val == 0)
    return st;
  ownsXorC_32u_I_Sse2(val, pSrcDst, count(len));
  return ippStsNoErr;
}

IppOpStatus ippsAnd_32u_I(const unsigned int *pSrc, unsigned int *pSrcDst, int len) {
  return vectorOp(pSrc, pSrcDst, len, [](__m128i d, __m128i s) { return _mm_and_si128(d, s); });
}

IppOpStatus ippsOr_32u_I(const unsigned int *pSrc, unsigned int *pSrcDst, int len) {
  return vectorOp(pSrc, pSrcDst, len, [](__m128i d, __m128i s) { return _mm_or_si128(d, s); });
}

IppOpStatus ippsXor_32u_I(const unsigned int *pSrc, unsigned int *pSrcDst, int len) {
  return vectorOp(pSrc, pSrcDst, len, [](__m128i d, __m128i s) { return _mm_xor_si128(d, s); });
}

IppOpStatus ippsLShiftC_32s_I(int val, int *pSrcDst, int len) {
  return shift<ownsLShiftC_32s_I_Sse2>(val, pSrcDst, len);
}

IppOpStatus ippsRShiftC_32s_I(int val, int *pSrcDst, int len) {
  return shift<ownsRShiftC_32s_I_Sse2>(val, pSrcDst, len);
}

} // namespace sse2

} // namespace kernels::signal
