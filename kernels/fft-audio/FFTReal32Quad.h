// Packed-single pieces of the SSE, SSE2 and SSE3 members of the single-precision real
// transform: the quad-split complex layout (four real parts, then the four imaginary
// parts of four consecutive values, 32 bytes), the pass-twiddle tables the radix passes
// read, and the radix kernels over them. Every sum and product is one single-precision
// operation, so the members agree with the generic member to float rounding.
//
// Tables (all floats, 16-byte aligned):
// - index table of complex order m >= 2: n/4 + 1 words, word j = 2·rev_(m-2)(j), the last 0;
// - pass-twiddle table of order m: one segment per twiddled pass; a radix-4 segment of
//   size D holds D/16 blocks of six vectors (Re w^k, Im w^k, Re w^2k, Im w^2k, Re w^3k,
//   Im w^3k for k = 4t .. 4t + 3, w = e^(-2πi/D)); a radix-2 segment of size D holds D/8
//   blocks of two vectors (Re w^k, Im w^k).
//
// Pass plans (n = 2^m): even m: a 16-point first pass, radix-4 passes of 64, 256, ...
// points. Odd m: the SSE and SSE2 members start with an 8-point pass and go on with
// radix-4 passes of 32, 128, ... points; the SSE3 member does the even plan up to n/2 and
// ends with a radix-2 pass. Even orders therefore give the same bits in all three.
#pragma once

#include <cstdint>

#include "kernels/fft-audio/FFTReal32.h"

namespace kernels::fft_audio::quad {

enum class OddPlan {
  First8,     // SSE, SSE2
  LastRadix2, // SSE3
};

// Fills the pass-twiddle table of complex order m from the sine table S of real order b
// (b > m); nothing for m <= 3. Returns out + 8·2^m bytes rounded up to 16 (out itself
// when nothing is written).
float *initPassTwiddleTab(OddPlan plan, int m, const float *S, int b, float *out);

// Bit-reversed data of n >= 8 points to the transform in natural order, in place; work
// (8n bytes, 16-aligned) is used when data is not 16-byte aligned. interleaved: the result
// as interleaved complex values, else quad-split.
void radix(OddPlan plan, Ipp32fc *data, std::int64_t n, const float *tw, Ipp32fc *work,
           bool interleaved);

// Natural-order src of n >= 8 points to its transform, interleaved, in dst; dst may equal
// src. The bit reversal is folded into the first pass through the index table.
void bitRevRadix(OddPlan plan, const Ipp32fc *src, Ipp32fc *dst, std::int64_t n, const float *tw,
                 const std::int32_t *index, Ipp32fc *work);

// dst[p] = src[rev_m(p)] (dst != src) and its in-place form, through the index table
// in tiles of sixteen values.
void bitRevIndexed(const Ipp32fc *src, Ipp32fc *dst, std::int64_t n, const std::int32_t *index);
void bitRevIndexedInPlace(Ipp32fc *x, std::int64_t n, const std::int32_t *index);

// One twiddled radix-4 pass of span L (elements, a multiple of 4) over `groups` groups of
// 4L quad-split values, each group restarting at seg; src and dst 16-aligned (may be the
// same). And the radix-2 pass of span L over one group with a radix-2 segment.
void pass4(const float *src, float *dst, std::int64_t span, std::int64_t groups, const float *seg);
void pass2(const float *src, float *dst, std::int64_t span, const float *seg);

// One radix-2 combining level of the blocked path over m quad-split values: the first
// half P and the second half Q become P + w^t·Q and P - w^t·Q, T holding w_m^t for
// t < m/4 in quad-split groups (the upper quarter uses -i·w^(t - m/4)). data may be
// unaligned; interleaved: the results as interleaved values.
void blockedCombine(float *data, std::int64_t m, const float *T, bool interleaved);

// Column pass of the SSE member's split path: the four values of row t (one quad-split run
// at rows + t·stride values), times the row's four twiddles (a quad-split run of W), go
// interleaved to position t of the four vectors dst + u·count; and the way back, element
// t of the four quad-split vectors at src to row t, interleaved or as one quad-split run.
void columnLoadTwiddled(const float *rows, float *dst, const float *W, std::int64_t stride,
                        std::int64_t count);
void columnStoreVectors(float *rows, const float *src, std::int64_t stride, std::int64_t count,
                        bool interleaved);

// Column block of the SSE2/SSE3 members' split path: `width` columns (a multiple of 4) of
// `count` rows copied as quad-split runs into dst, rows packed; and back, interleaved or not.
void columnLoadBlock(const float *rows, float *dst, std::int64_t stride, std::int64_t count,
                     std::int64_t width);
void columnStoreBlock(float *rows, const float *src, std::int64_t stride, std::int64_t count,
                      std::int64_t width, bool interleaved);

// Multiplies `count` floats by factor.
void scale(float factor, float *x, std::int64_t count);

// Forward recombination of the n (>= 8) point half-length spectrum into Perm positions 2
// upwards, with the quad-split forward table (entries k = 1 .. n/2 in groups of four).
void realRecomb(Ipp32fc *Z, std::int64_t n, const float *table);

// Quad-split recombination tables of real order `order` (N >= 16) from the sine table.
void initRealFwdTab(int order, const float *S, float *table);
void initRealInvTab(int order, const float *S, float *table);

} // namespace kernels::fft_audio::quad
