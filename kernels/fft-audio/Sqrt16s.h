// Integer square roots of signed 16-bit values, eight per SSE2 block, with a power-of-two
// scale on the root, a block for four 16-bit complex values, a tail routine for the last
// one to seven values, and the drivers that walk whole arrays with them.
//
// Real results: round(sqrt(max(x, 0)) * 2^-scaleFactor), ties to even (a tie only occurs
// with scaleFactor >= 1), saturated to 32767. A negative input gives 0 and makes the
// driver return ippStsSqrtNegArg after writing every result.
//
// Complex results: the principal root w of z = a + ib, w = sqrt(U) + i*sign(b)*sqrt(V) with
// U = ceil((M + a) / 2), V = ceil((M - a) / 2), M = |z| rounded to nearest, each root
// rounded to nearest; b = 0 gives a non-negative imaginary part.
#pragma once

#include <cstdint>

#include <emmintrin.h>

#include "kernels/common/IppTypes.h"

namespace kernels::fft_audio {

// Parameters a driver sets up for the block that serves its scale factor.
struct SqrtBlockParams {
  __m128i zero;      // eight 16-bit zeros
  __m128i ones;      // eight 16-bit ones
  __m128 multiplier; // c = 4^-(h+1) in all four lanes (scale-down block)
  int shift;         // h
};

// One block: eight inputs in, eight results out; every input vector is OR-ed into the
// negative-input accumulator (its lane sign bits tell whether any input was negative).
using SqrtBlock16s = __m128i (*)(__m128i x, const SqrtBlockParams &params, __m128i &negAcc);

// sqrt(x) rounded to nearest.
__m128i ownsSqrtRnd_16s_Sse2(__m128i x, const SqrtBlockParams &params, __m128i &negAcc);
// sqrt(x) / 2 rounded to nearest, ties to even.
__m128i ownsSqrtHalf_16s_Sse2(__m128i x, const SqrtBlockParams &params, __m128i &negAcc);
// sqrt(x) * 2^-(h+1) rounded to nearest, ties to even; h from 0 to 7.
__m128i ownsSqrtScaleDown_16s_Sse2(__m128i x, const SqrtBlockParams &params, __m128i &negAcc);
// sqrt(x << h) rounded to nearest from the plain estimate; exact for h up to 4.
__m128i ownsSqrtScaleUp_16s_Sse2(__m128i x, const SqrtBlockParams &params, __m128i &negAcc);
// sqrt(x << h) from a Newton-refined estimate, saturated to 32767; h up to 16.
__m128i ownsSqrtScaleUpNR_16s_Sse2(__m128i x, const SqrtBlockParams &params, __m128i &negAcc);
// The same for h of 16 or more: inputs above 2^(31-h) - 1 are clamped first (their roots
// saturate anyway), so x << h fits in 31 bits.
__m128i ownsSqrtScaleUpNRClamp_16s_Sse2(__m128i x, const SqrtBlockParams &params, __m128i &negAcc);

// The last count (1 to 7) values through a block; writes exactly count results.
void ownsSqrtTail_16s_Sse2(const std::int16_t *src, std::int16_t *dst, int count,
                           SqrtBlock16s block, const SqrtBlockParams &params, __m128i &negAcc);

// Four complex values, each a 32-bit lane: real part low 16 bits, imaginary part high.
__m128i ownsSqrt_16sc_Sse2(__m128i z);

// Drivers: -8 for a null pointer, -6 for len < 1, 3 (ippStsSqrtNegArg) when some real
// input was negative, else 0. src and dst may be the same array.
IppOpStatus ownsSqrtArray_16s_Sfs_Sse2(const std::int16_t *pSrc, std::int16_t *pDst, int len,
                                       int scaleFactor);
// Complex values as (re, im) pairs of 16-bit integers; no scale.
IppOpStatus ownsSqrtArray_16sc_Sse2(const std::int16_t *pSrc, std::int16_t *pDst, int len);

} // namespace kernels::fft_audio
