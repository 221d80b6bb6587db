// Processor-class variants of the signal unit's convolution and correlations, and the
// copy and zero primitives they and the unit's copies run on.
//
// The variants take the generic's arguments, make its checks in its order and return its
// statuses. Each chooses between the direct sums and the transforms by thresholds of its
// own and runs the transforms of its own class (kernels/fft-real); both paths give the
// defined result up to rounding. A transform path takes everything it needs before it
// writes anything, so a failure (-9 included) leaves the destination as it was.
//
// Code 5 (namespace sse) sums in extended precision like the generic, code 6 (sse2) in
// double on 16-byte registers.
#pragma once

#include <cstddef>
#include <cstdint>

#include "kernels/common/IppTypes.h"

namespace kernels::signal {

// Path thresholds of one class: direct convolution below convOutputs results or convTaps
// kernel samples; direct autocorrelation below the given numbers of lags. The
// cross-correlation's estimate threshold (512) is the same in every class.
struct CorrConvThresholds {
  int convOutputs;
  int convTaps;
  int autoCorrLags;
  int autoCorrLagsComplex;
};
inline constexpr CorrConvThresholds kSseThresholds{256, 32, 700, 96};
inline constexpr CorrConvThresholds kSse2Thresholds{512, 64, 856, 368};

// The code 5 and code 6 choice of the cross-correlation's path: the estimate
// lags · shorter / longer is formed in single precision (so near 512 it can decide
// otherwise than the generic's exact test; both paths give the result up to rounding).
bool CrossCorrTakesTransformSingle(long long lags, int len1, int len2) noexcept;

// Scratch blocks of these kernels. Tests can fail the k-th allocation (-1 disarms) and
// count the blocks still held.
void SignalBlocksFailAfter(int after) noexcept;
long SignalBlocksLive() noexcept;

// Which code-5 copy ran, for the tests of its byte limits.
struct SignalCopyCounters {
  std::uint64_t small = 0;       // ordinary stores, below 8192 bytes
  std::uint64_t nonTemporal = 0; // streaming stores, 8192 to 16383 bytes
  std::uint64_t large = 0;       // page by page with prefetch, from 16384 bytes
};
SignalCopyCounters ReadSignalCopyCounters() noexcept;

// Spectrum products of the transform paths: pSrcDst := pSrc · pSrcDst in the Perm layout,
// pSrcDst := pSrc · conj(pSrcDst) in the Pack layout (odd lengths hold no last real
// bin). Null pointers give -8, len < 1 gives -6. Code 6 rounds each step to double, code
// 5 keeps the generic's extended steps.
IppOpStatus ippsMulPerm_64f_I_Sse2(const double *pSrc, double *pSrcDst, int len);
IppOpStatus ippsMulPerm_64f_I_Sse(const double *pSrc, double *pSrcDst, int len);
IppOpStatus ippsMulPackConj_64f_I_Sse2(const double *pSrc, double *pSrcDst, int len);
IppOpStatus ippsMulPackConj_64f_I_Sse(const double *pSrc, double *pSrcDst, int len);

// The convolution and correlation entries of one class (namespaces sse2 and sse below).
#define SIGNAL_CORRCONV_DECLARATIONS                                                               \
  IppOpStatus ippsConv_64f(const double *pSrc1, int len1, const double *pSrc2, int len2,           \
                           double *pDst);                                                          \
  IppOpStatus ippsAutoCorr_64f(const double *pSrc, int srcLen, double *pDst, int dstLen);          \
  IppOpStatus ippsAutoCorr_NormA_64f(const double *pSrc, int srcLen, double *pDst, int dstLen);    \
  IppOpStatus ippsAutoCorr_NormB_64f(const double *pSrc, int srcLen, double *pDst, int dstLen);    \
  IppOpStatus ippsCrossCorr_64f(const double *pSrc1, int src1Len, const double *pSrc2,             \
                                int src2Len, double *pDst, int dstLen, int lowLag);                \
  IppOpStatus ippsAutoCorr_64fc(const Ipp64fc *pSrc, int srcLen, Ipp64fc *pDst, int dstLen);       \
  IppOpStatus ippsAutoCorr_NormA_64fc(const Ipp64fc *pSrc, int srcLen, Ipp64fc *pDst, int dstLen); \
  IppOpStatus ippsAutoCorr_NormB_64fc(const Ipp64fc *pSrc, int srcLen, Ipp64fc *pDst, int dstLen); \
  IppOpStatus ippsCrossCorr_64fc(const Ipp64fc *pSrc1, int src1Len, const Ipp64fc *pSrc2,          \
                                 int src2Len, Ipp64fc *pDst, int dstLen, int lowLag);

namespace sse2 {
// n >= 1 bytes; ranges must not overlap. Large runs bypass the cache by the processor's
// cache size (kernels/basic's probe) and are fenced before return. Each returns pDst.
void *ownsCopy_8u_Sse2(const void *pSrc, void *pDst, std::size_t n) noexcept;
void *ownsZero_8u_Sse2(void *pDst, std::size_t n) noexcept;

// In double precision; the direct loop adds the full convolution of a (la samples) and b
// (lb) into dst, which the caller has prepared.
void ownsConvDirect_64f_Sse2(const double *a, int la, const double *b, int lb, double *dst);

SIGNAL_CORRCONV_DECLARATIONS
} // namespace sse2

namespace sse {
// n >= 1 bytes; ranges must not overlap. Each returns pDst. The streaming forms fence
// their stores before return.
void *ownsCopy_8u_Sse(const void *pSrc, void *pDst, std::size_t n) noexcept;
void *ownsCopyNT_8u_Sse(const void *pSrc, void *pDst, std::size_t n) noexcept;
void *ownsCopyLarge_8u_Sse(const void *pSrc, void *pDst, std::size_t n) noexcept;
void *ownsZero_8u_Sse(void *pDst, std::size_t n) noexcept;
void *ownsZeroNT_8u_Sse(void *pDst, std::size_t n) noexcept;
// Reads the first and last byte of every 4 KB piece of [p, p + n) and prefetches its lines.
void ownsPrefetch_8u_Sse(const void *p, std::size_t n) noexcept;
// Code 5's copy of n bytes by its limits: ordinary below 8192, streaming below 16384,
// page by page from there.
void *CopyBytes(const void *pSrc, void *pDst, std::size_t n) noexcept;
// Code 5's zero fill of n bytes: ordinary stores below 20480 bytes, streaming from there
// (counted with kernels/basic's non-temporal choices).
void *ZeroBytes(void *pDst, std::size_t n) noexcept;

// The unit's copies with code 5's byte limits.
IppOpStatus ippsCopy_16s(const short *pSrc, short *pDst, int len);
IppOpStatus ippsCopy_64fc(const Ipp64fc *pSrc, Ipp64fc *pDst, int len);

SIGNAL_CORRCONV_DECLARATIONS
} // namespace sse

#undef SIGNAL_CORRCONV_DECLARATIONS

// The entries of each processor class, by the names the wiring table gives them: each
// names the body above that serves its class (codes 16-17 run the generic code). The
// copies' code 6 entries are in SignalKernels.h.
inline constexpr auto ippsCopy_16s_Sse = &sse::ippsCopy_16s;
inline constexpr auto ippsCopy_64fc_Sse = &sse::ippsCopy_64fc;
inline constexpr auto ippsConv_64f_Sse2 = &sse2::ippsConv_64f;
inline constexpr auto ippsConv_64f_Sse = &sse::ippsConv_64f;
inline constexpr auto ippsAutoCorr_64f_Sse2 = &sse2::ippsAutoCorr_64f;
inline constexpr auto ippsAutoCorr_64f_Sse = &sse::ippsAutoCorr_64f;
inline constexpr auto ippsAutoCorr_NormA_64f_Sse2 = &sse2::ippsAutoCorr_NormA_64f;
inline constexpr auto ippsAutoCorr_NormA_64f_Sse = &sse::ippsAutoCorr_NormA_64f;
inline constexpr auto ippsAutoCorr_NormB_64f_Sse2 = &sse2::ippsAutoCorr_NormB_64f;
inline constexpr auto ippsAutoCorr_NormB_64f_Sse = &sse::ippsAutoCorr_NormB_64f;
inline constexpr auto ippsCrossCorr_64f_Sse2 = &sse2::ippsCrossCorr_64f;
inline constexpr auto ippsCrossCorr_64f_Sse = &sse::ippsCrossCorr_64f;
inline constexpr auto ippsAutoCorr_64fc_Sse2 = &sse2::ippsAutoCorr_64fc;
inline constexpr auto ippsAutoCorr_64fc_Sse = &sse::ippsAutoCorr_64fc;
inline constexpr auto ippsAutoCorr_NormA_64fc_Sse2 = &sse2::ippsAutoCorr_NormA_64fc;
inline constexpr auto ippsAutoCorr_NormA_64fc_Sse = &sse::ippsAutoCorr_NormA_64fc;
inline constexpr auto ippsAutoCorr_NormB_64fc_Sse2 = &sse2::ippsAutoCorr_NormB_64fc;
inline constexpr auto ippsAutoCorr_NormB_64fc_Sse = &sse::ippsAutoCorr_NormB_64fc;
inline constexpr auto ippsCrossCorr_64fc_Sse2 = &sse2::ippsCrossCorr_64fc;
inline constexpr auto ippsCrossCorr_64fc_Sse = &sse::ippsCrossCorr_64fc;

} // namespace kernels::signal
