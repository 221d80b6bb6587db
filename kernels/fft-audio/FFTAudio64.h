// Processor members of the audio unit's double-precision real transform: set-up,
// forward transform into the CCS layout and release (behind the unit's slots), and the
// size query and Perm forward transform that the FIR set-up members call directly, in an SSE, an
// SSE2 and an SSE3 member beside the generic member of the dispatch. The arguments, checks,
// statuses and the spectrum are the generic member's; the SSE member gives its results bit for bit,
// the SSE2 and SSE3 members to rounding (and bit for bit with each other up to real
// order 14).
//
// A record is read by the member that built it: a transform of another member returns
// -17 (see kernels::fft_real::kFFTMemberGeneric). A release takes any member's record.
//
// CCS: R0, 0, Re1, Im1, ..., R(N/2), 0 in N + 2 doubles (two for N = 1).
#pragma once

#include <cstddef>
#include <cstdint>

#include "kernels/common/IppTypes.h"
#include "kernels/fft-real/FFTEngine64.h"
#include "kernels/fft-real/FFTReal64.h"
#include "kernels/fft-real/OwnsMalloc.h"

namespace kernels::fft_audio {

IppOpStatus ippsFFTInitAlloc_R_64f_Sse(FFTSpec_R_64f *&pFFTSpec, int order, int flag, int hint);
IppOpStatus ippsFFTFree_R_64f_Sse(FFTSpec_R_64f &fftSpec);
IppOpStatus ippsFFTFwd_RToCCS_64f_Sse(const double *pSrc, double *pDst,
                                      const FFTSpec_R_64f *pFFTSpec, unsigned char *pBuffer);
IppOpStatus ippsFFTGetBufSize_R_64f_Sse(const FFTSpec_R_64f *pSpec, int *pBufSize);
IppOpStatus ippsFFTFwd_RToPerm_64f_Sse(const double *pSrc, double *pDst, const FFTSpec_R_64f *pSpec,
                                       unsigned char *pBuffer);

IppOpStatus ippsFFTInitAlloc_R_64f_Sse2(FFTSpec_R_64f *&pFFTSpec, int order, int flag, int hint);
IppOpStatus ippsFFTFree_R_64f_Sse2(FFTSpec_R_64f &fftSpec);
IppOpStatus ippsFFTFwd_RToCCS_64f_Sse2(const double *pSrc, double *pDst,
                                       const FFTSpec_R_64f *pFFTSpec, unsigned char *pBuffer);
IppOpStatus ippsFFTGetBufSize_R_64f_Sse2(const FFTSpec_R_64f *pSpec, int *pBufSize);
IppOpStatus ippsFFTFwd_RToPerm_64f_Sse2(const double *pSrc, double *pDst,
                                        const FFTSpec_R_64f *pSpec, unsigned char *pBuffer);

IppOpStatus ippsFFTInitAlloc_R_64f_Sse3(FFTSpec_R_64f *&pFFTSpec, int order, int flag, int hint);
IppOpStatus ippsFFTFree_R_64f_Sse3(FFTSpec_R_64f &fftSpec);
IppOpStatus ippsFFTFwd_RToCCS_64f_Sse3(const double *pSrc, double *pDst,
                                       const FFTSpec_R_64f *pFFTSpec, unsigned char *pBuffer);
IppOpStatus ippsFFTGetBufSize_R_64f_Sse3(const FFTSpec_R_64f *pSpec, int *pBufSize);
IppOpStatus ippsFFTFwd_RToPerm_64f_Sse3(const double *pSrc, double *pDst,
                                        const FFTSpec_R_64f *pSpec, unsigned char *pBuffer);

// ---- The unit's names for the shared engine's routines ------------------------------

// The small-order kernels of every member, by order, family and direction: interleaved
// complex (CToC_64fc), split complex (CToC_64f) and real (R, RToPerm, PermToR).
inline constexpr auto &ownsFFTOrd0_CToC_64fc = kernels::fft_real::ownsFFTCopy_64fc;
inline constexpr auto &ownsFFTOrd0Scale_CToC_64fc = kernels::fft_real::ownsFFTCopyScale_64fc;
inline constexpr auto &ownsFFTOrd1_CToC_64fc = kernels::fft_real::ownsFFT2_64fc;
inline constexpr auto &ownsFFTOrd1Scale_CToC_64fc = kernels::fft_real::ownsFFT2Scale_64fc;
inline constexpr auto &ownsFFTFwdOrd2_CToC_64fc = kernels::fft_real::ownsFFTFwd4_64fc;
inline constexpr auto &ownsFFTFwdOrd2Scale_CToC_64fc = kernels::fft_real::ownsFFTFwd4Scale_64fc;
inline constexpr auto &ownsFFTFwdOrd3_CToC_64fc = kernels::fft_real::ownsFFTFwd8_64fc;
inline constexpr auto &ownsFFTFwdOrd3Scale_CToC_64fc = kernels::fft_real::ownsFFTFwd8Scale_64fc;
inline constexpr auto &ownsFFTInvOrd2_CToC_64fc = kernels::fft_real::ownsFFTInv4_64fc;
inline constexpr auto &ownsFFTInvOrd2Scale_CToC_64fc = kernels::fft_real::ownsFFTInv4Scale_64fc;
inline constexpr auto &ownsFFTInvOrd3_CToC_64fc = kernels::fft_real::ownsFFTInv8_64fc;
inline constexpr auto &ownsFFTInvOrd3Scale_CToC_64fc = kernels::fft_real::ownsFFTInv8Scale_64fc;
inline constexpr auto &ownsFFTOrd0_CToC_64f = kernels::fft_real::ownsFFTCopy_64fc_Split;
inline constexpr auto &ownsFFTOrd0Scale_CToC_64f = kernels::fft_real::ownsFFTCopyScale_64fc_Split;
inline constexpr auto &ownsFFTOrd1_CToC_64f = kernels::fft_real::ownsFFT2_64fc_Split;
inline constexpr auto &ownsFFTOrd1Scale_CToC_64f = kernels::fft_real::ownsFFT2Scale_64fc_Split;
inline constexpr auto &ownsFFTFwdOrd2_CToC_64f = kernels::fft_real::ownsFFTFwd4_64fc_Split;
inline constexpr auto &ownsFFTFwdOrd2Scale_CToC_64f =
    kernels::fft_real::ownsFFTFwd4Scale_64fc_Split;
inline constexpr auto &ownsFFTFwdOrd3_CToC_64f = kernels::fft_real::ownsFFTFwd8_64fc_Split;
inline constexpr auto &ownsFFTFwdOrd3Scale_CToC_64f =
    kernels::fft_real::ownsFFTFwd8Scale_64fc_Split;
inline constexpr auto &ownsFFTInvOrd2_CToC_64f = kernels::fft_real::ownsFFTInv4_64fc_Split;
inline constexpr auto &ownsFFTInvOrd2Scale_CToC_64f =
    kernels::fft_real::ownsFFTInv4Scale_64fc_Split;
inline constexpr auto &ownsFFTInvOrd3_CToC_64f = kernels::fft_real::ownsFFTInv8_64fc_Split;
inline constexpr auto &ownsFFTInvOrd3Scale_CToC_64f =
    kernels::fft_real::ownsFFTInv8Scale_64fc_Split;
inline constexpr auto &ownsFFTOrd0_R_64f = kernels::fft_real::ownsFFTCopy_64f;
inline constexpr auto &ownsFFTOrd0Scale_R_64f = kernels::fft_real::ownsFFTCopyScale_64f;
inline constexpr auto &ownsFFTOrd1_R_64f = kernels::fft_real::ownsFFT2_64f;
inline constexpr auto &ownsFFTOrd1Scale_R_64f = kernels::fft_real::ownsFFT2Scale_64f;
inline constexpr auto &ownsFFTFwdOrd2_RToPerm_64f = kernels::fft_real::ownsFFTFwd4_64f;
inline constexpr auto &ownsFFTFwdOrd2Scale_RToPerm_64f = kernels::fft_real::ownsFFTFwd4Scale_64f;
inline constexpr auto &ownsFFTFwdOrd3_RToPerm_64f = kernels::fft_real::ownsFFTFwd8_64f;
inline constexpr auto &ownsFFTFwdOrd3Scale_RToPerm_64f = kernels::fft_real::ownsFFTFwd8Scale_64f;
inline constexpr auto &ownsFFTInvOrd2_PermToR_64f = kernels::fft_real::ownsFFTInv4_64f;
inline constexpr auto &ownsFFTInvOrd2Scale_PermToR_64f = kernels::fft_real::ownsFFTInv4Scale_64f;
inline constexpr auto &ownsFFTInvOrd3_PermToR_64f = kernels::fft_real::ownsFFTInv8_64f;
inline constexpr auto &ownsFFTInvOrd3Scale_PermToR_64f = kernels::fft_real::ownsFFTInv8Scale_64f;

// The generic and SSE members' large-order routines: the split level, the blocked scheme
// and its combine passes, and the record release every member shares.
inline constexpr auto &ownsFFTLargeSplit_64fc = kernels::fft_real::ownsFFTLargeStep_64fc;
inline constexpr auto &ownsFFTLargeSplit_64fc_Sse = kernels::fft_real::ownsFFTLargeStep_64fc_Sse;
inline constexpr auto &ownsFFTLargeBlocked_64fc = kernels::fft_real::ownsFFTBlocked_64fc;
inline constexpr auto &ownsFFTLargeBlocked_64fc_Sse = kernels::fft_real::ownsFFTBlocked_64fc_Sse;
inline constexpr auto &ownsFFTBlockedCombine_64fc = kernels::fft_real::ownsFFTBlockedPass_64fc;
inline constexpr auto &ownsFFTBlockedCombine_64fc_Sse =
    kernels::fft_real::ownsFFTBlockedPass_64fc_Sse;
inline constexpr auto &ownsFFTFreeSpec_R_64f_Sse = kernels::fft_real::ownsFFTFreeSpec_R_64f;
inline constexpr auto &ownsFFTFreeSpec_R_64f_Sse2 = kernels::fft_real::ownsFFTFreeSpec_R_64f;
inline constexpr auto &ownsFFTFreeSpec_R_64f_Sse3 = kernels::fft_real::ownsFFTFreeSpec_R_64f;

// The SSE3 member is the SSE2 engine with a radix limit of 14: the same routines, tables
// and column-chunk passes.
inline constexpr auto &ownsFFTColumnLoad_64fc_Sse2 = kernels::fft_real::ownsFFTGatherCols_64fc_Sse2;
inline constexpr auto &ownsFFTColumnStore_64fc_Sse2 =
    kernels::fft_real::ownsFFTScatterCols_64fc_Sse2;
template <bool Inv>
inline constexpr auto &ownsFFTColumnRadix4_64fc_Sse2 =
    kernels::fft_real::ownsFFTColRadix4_64fc_Sse2<Inv>;
template <bool Inv>
inline constexpr auto &ownsFFTColumnRadix2_64fc_Sse2 =
    kernels::fft_real::ownsFFTColRadix2_64fc_Sse2<Inv>;
inline constexpr auto &ownsFFTColumnLoad_64fc_Sse3 = kernels::fft_real::ownsFFTGatherCols_64fc_Sse2;
inline constexpr auto &ownsFFTColumnStore_64fc_Sse3 =
    kernels::fft_real::ownsFFTScatterCols_64fc_Sse2;
template <bool Inv>
inline constexpr auto &ownsFFTColumnRadix4_64fc_Sse3 =
    kernels::fft_real::ownsFFTColRadix4_64fc_Sse2<Inv>;
template <bool Inv>
inline constexpr auto &ownsFFTColumnRadix2_64fc_Sse3 =
    kernels::fft_real::ownsFFTColRadix2_64fc_Sse2<Inv>;
inline constexpr auto &ownsFFTBitRevRadix4_64fc_Sse3 =
    kernels::fft_real::ownsFFTBitRevRadix4_64fc_Sse2;
inline constexpr auto &ownsBitRev_64fc_Sse3 = kernels::fft_real::ownsBitRev_64fc_Sse2;
inline constexpr auto &ownsBitRev_64fc_I_Sse3 = kernels::fft_real::ownsBitRev_64fc_I_Sse2;
inline constexpr auto &ownsFFTInitTwiddleTab_64fc_Sse3 =
    kernels::fft_real::ownsFFTInitTwiddleTab_64fc_Sse2;
inline constexpr auto &ownsFFTInitRealFwdTab_64f_Sse3 =
    kernels::fft_real::ownsFFTInitRealFwdTab_64f_Sse2;
inline constexpr auto &ownsFFTInitRealInvTab_64f_Sse3 =
    kernels::fft_real::ownsFFTInitRealInvTab_64f_Sse2;
inline constexpr auto &ownsFFTRealRecomb_64f_Sse3 = kernels::fft_real::ownsFFTRealRecomb_64f_Sse2;
inline constexpr auto &ownsFFTScale_64f_Sse3 = kernels::fft_real::ownsFFTScale_64f_Sse2;
inline constexpr auto &ownsFFTRadix4_64fc_Sse3 = kernels::fft_real::ownsFFTRadix4_64fc_Sse2;
inline constexpr auto &ownsFFTInitBitRevTab_Sse3 = kernels::fft_real::ownsFFTInitBitRevTab_Sse2;
inline constexpr auto &ownsFFTInitSinTab_64f_Sse3 = kernels::fft_real::ownsFFTInitSinTab_64f;

// The aligned blocks of the transform objects (ownsMalloc, ownsFree) are declared in
// kernels/fft-real/OwnsMalloc.h: every block of the shared engine comes from them.

} // namespace kernels::fft_audio
