// Inner pieces of the single-precision real transform that tests and the processor
// members read: the split table, the small-order kernel table, the large-order path and
// the release of a record.
#pragma once

#include "kernels/fft-audio/FFTReal32.h"

namespace fft_audio {

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

} // namespace fft_audio
