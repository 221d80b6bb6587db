// Inner pieces of the single-precision real transform that tests and the processor
// members read: the split table, the small-order kernel table, the large-order path and
// the release of a record.
#pragma once

#include "kernels/fft-audio/FFTReal32.h"

namespace kernels::fft_audio {

// FFTOrderSplitTable_32f: split exponent of complex order k (0: blocked path, or none).
int ownsFFTOrderSplit_32f(int k);

using FFTKernel_32f = void (*)(const float *src, float *dst);
using FFTKernelScale_32f = void (*)(const float *src, float *dst, float scale);
// Entries 0 to 3: unscaled real forward kernels of orders 0 to 3; 4 to 7: the scaled ones.
struct FFTSmallKernelTable_32f {
  FFTKernel_32f unscaled[4];
  FFTKernelScale_32f scaled[4];
};
extern const FFTSmallKernelTable_32f kFFTSmallKernels_32f;

// Bit-reversed input of 2^c points (c above 10) to its forward transform in natural
// order, scaled when the record's forward flag is set; work: the 16-aligned work area.
void ownsFFTLarge_32fc(const FFTSpec_R_32f *spec, Ipp32fc *data, int c, Ipp32fc *work);

// Clears the id and, when the record owns them, frees its tables and the record.
void ownsFFTFreeSpec_R_32f(FFTSpec_R_32f *spec);

// Radix kernels of the processor members: bit-reversed data of n >= 8 points to its
// transform in natural order, interleaved for form 1, quad-split otherwise; work (8n bytes,
// 16-aligned) is used when data is not 16-byte aligned. tw: the member's pass-twiddle table
// of order log2 n. The SSE3 kernel ends odd orders with a radix-2 pass, the others start
// them with an 8-point pass; even orders give the same bits in all three.
void ownsFFTRadix4_32fc_Sse(Ipp32fc *data, int n, const float *tw, Ipp32fc *work, int form);
void ownsFFTRadix4_32fc_Sse2(Ipp32fc *data, int n, const float *tw, Ipp32fc *work, int form);
void ownsFFTRadix4_32fc_Sse3(Ipp32fc *data, int n, const float *tw, Ipp32fc *work, int form);
// Pass-twiddle tables of complex order m from the sine table of real order b; returns the
// 16-aligned end (out itself for m <= 3).
float *ownsFFTInitTwiddleTab_32fc_Sse(int m, const float *S, int b, float *out);
float *ownsFFTInitTwiddleTab_32fc_Sse2(int m, const float *S, int b, float *out);
float *ownsFFTInitTwiddleTab_32fc_Sse3(int m, const float *S, int b, float *out);
// Bytes of the table area, the set-up's temporary area (none: the column tables are written
// directly) and the work area of complex order k above a member's radix limit.
void ownsFFTGetSizeLarge_32fc_Sse(int k, std::int64_t *table, std::int64_t *temp,
                                  std::int64_t *work);
void ownsFFTGetSizeLarge_32fc_Sse2(int k, std::int64_t *table, std::int64_t *temp,
                                   std::int64_t *work);
void ownsFFTGetSizeLarge_32fc_Sse3(int k, std::int64_t *table, std::int64_t *temp,
                                   std::int64_t *work);
// FFTBitRevIndexTable of complex order m: word j = 2·rev_(m-2)(j) for j < 2^(m-2), then 0.
std::int32_t *ownsFFTInitBitRevIndexTab_Sse(int m, std::int32_t *table);

} // namespace kernels::fft_audio
