// Processor members of the audio unit's double-precision real transform: set-up,
// forward transform into the CCS layout and release (behind the unit's slots), and the
// size query and Perm forward transform that the FIR set-up members call directly, in an SSE, an
// SSE2 and an SSE3 member beside the generic member of the dispatch. The arguments, checks,
// statuses and the spectrum are the generic member's; the SSE member gives its results bit for bit,
// the SSE2 and SSE3 members to rounding (and bit for bit with each other up to real
// order 14).
//
// A record is read by the member that built it: a transform of another member returns
// -17 (see fft_real::kFFTMemberGeneric). A release takes any member's record.
//
// CCS: R0, 0, Re1, Im1, ..., R(N/2), 0 in N + 2 doubles (two for N = 1).
#pragma once

#include "kernels/common/IppTypes.h"
#include "kernels/fft-real/FFTReal64.h"

#include <cstddef>
#include <cstdint>

namespace fft_audio {

#define FFT_AUDIO_MEMBER(SUFFIX)                                                                   \
  IppOpStatus ippsFFTInitAlloc_R_64f##SUFFIX(FFTSpec_R_64f *&pFFTSpec, int order, int flag,        \
                                             int hint);                                            \
  IppOpStatus ippsFFTFree_R_64f##SUFFIX(FFTSpec_R_64f &fftSpec);                                   \
  IppOpStatus ippsFFTFwd_RToCCS_64f##SUFFIX(                                                       \
      const double *pSrc, double *pDst, const FFTSpec_R_64f *pFFTSpec, unsigned char *pBuffer);    \
  IppOpStatus ippsFFTGetBufSize_R_64f##SUFFIX(const FFTSpec_R_64f *pSpec, int *pBufSize);          \
  IppOpStatus ippsFFTFwd_RToPerm_64f##SUFFIX(const double *pSrc, double *pDst,                     \
                                             const FFTSpec_R_64f *pSpec, unsigned char *pBuffer);

FFT_AUDIO_MEMBER(_Sse)
FFT_AUDIO_MEMBER(_Sse2)
FFT_AUDIO_MEMBER(_Sse3)
#undef FFT_AUDIO_MEMBER

// ---- Aligned blocks of the transform objects ----------------------------------------

// A block of n bytes at a multiple of 32, or null for n <= 0 or a refused heap request.
// The whole raw pointer sits in the 8 bytes just below the block, so the heap request
// is n + 40 bytes (formed in 64 bits). Not cleared.
void *ownsMalloc(int n);
void *ownsMalloc_Sse(int n);
void *ownsMalloc_Sse2(int n);
void *ownsMalloc_Sse3(int n);
// Releases a block of any ownsMalloc member; null is ignored.
void ownsFree(void *p);

// Test seam: the heap under ownsMalloc/ownsFree (null restores malloc and free).
using OwnsHeapAlloc = void *(*)(std::size_t bytes);
using OwnsHeapFree = void (*)(void *p);
void ownsSetHeapForTesting(OwnsHeapAlloc alloc, OwnsHeapFree release);

} // namespace fft_audio
