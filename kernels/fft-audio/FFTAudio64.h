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
#include "kernels/fft-real/OwnsMalloc.h"

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

// The aligned blocks of the transform objects (ownsMalloc, ownsFree) are declared in
// kernels/fft-real/OwnsMalloc.h: every block of the shared engine comes from them.

} // namespace fft_audio
