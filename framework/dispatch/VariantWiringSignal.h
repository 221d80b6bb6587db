// The wiring rows of kernels/signal (see DISPATCH_VARIANT_WIRING).
// A row reads W(unit, operation, codes 16-17, codes 6-9, code 5): each class either runs its
// entry, named <operation>_Sse2 or _Sse (the kernel headers say which body serves it), or
// GenericByDesign.
//
// The unit's operations select three ways low: only codes 6-9 and 5 leave the generic, so
// the codes 16-17 entry is generic by design throughout. Code 5 runs the SSE2 kernel where
// that gives the generic's bits (copies, bit operations, comparisons, the correctly rounded
// root); its double arithmetic and the part extraction are the generic x87 loops, and so
// are the scaled integer sums (scalar in that class). The scaled product with a constant
// and the scaled integer dot product are scalar and x87 code in every class. Code 5's mean
// and standard deviation keep eight extended partial sums of their own.
#pragma once

#include "kernels/signal/MathKernels.h"
#include "kernels/signal/SignalCorrConv.h"
#include "kernels/signal/SignalKernels.h"

#define DISPATCH_KS ::kernels::signal
#define DISPATCH_WIRING_SIGNAL(W)                                                                  \
  W(Slbcbbasicdispatcher, ippsCopy_16s, GenericByDesign, Own(DISPATCH_KS::ippsCopy_16s_Sse2),      \
    Own(DISPATCH_KS::ippsCopy_16s_Sse))                                                            \
  W(Slbcbbasicdispatcher, ippsAddC_32s_ISfs, GenericByDesign,                                      \
    Own(DISPATCH_KS::ippsAddC_32s_ISfs_Sse2), GenericByDesign)                                     \
  W(Slbcbbasicdispatcher, ippsSubC_32s_ISfs, GenericByDesign,                                      \
    Own(DISPATCH_KS::ippsSubC_32s_ISfs_Sse2), GenericByDesign)                                     \
  W(Slbcbbasicdispatcher, ippsMulC_32s_ISfs, GenericByDesign, GenericByDesign, GenericByDesign)    \
  W(Slbcbbasicdispatcher, ippsDotProd_32s_Sfs, GenericByDesign, GenericByDesign, GenericByDesign)  \
  W(Slbcbbasicdispatcher, ippsAndC_32u_I, GenericByDesign, Own(DISPATCH_KS::ippsAndC_32u_I_Sse2),  \
    Own(DISPATCH_KS::ippsAndC_32u_I_Sse))                                                          \
  W(Slbcbbasicdispatcher, ippsAnd_32u_I, GenericByDesign, Own(DISPATCH_KS::ippsAnd_32u_I_Sse2),    \
    Own(DISPATCH_KS::ippsAnd_32u_I_Sse))                                                           \
  W(Slbcbbasicdispatcher, ippsOrC_32u_I, GenericByDesign, Own(DISPATCH_KS::ippsOrC_32u_I_Sse2),    \
    Own(DISPATCH_KS::ippsOrC_32u_I_Sse))                                                           \
  W(Slbcbbasicdispatcher, ippsOr_32u_I, GenericByDesign, Own(DISPATCH_KS::ippsOr_32u_I_Sse2),      \
    Own(DISPATCH_KS::ippsOr_32u_I_Sse))                                                            \
  W(Slbcbbasicdispatcher, ippsXorC_32u_I, GenericByDesign, Own(DISPATCH_KS::ippsXorC_32u_I_Sse2),  \
    Own(DISPATCH_KS::ippsXorC_32u_I_Sse))                                                          \
  W(Slbcbbasicdispatcher, ippsXor_32u_I, GenericByDesign, Own(DISPATCH_KS::ippsXor_32u_I_Sse2),    \
    Own(DISPATCH_KS::ippsXor_32u_I_Sse))                                                           \
  W(Slbcbbasicdispatcher, ippsLShiftC_32s_I, GenericByDesign,                                      \
    Own(DISPATCH_KS::ippsLShiftC_32s_I_Sse2), Own(DISPATCH_KS::ippsLShiftC_32s_I_Sse))             \
  W(Slbcbbasicdispatcher, ippsRShiftC_32s_I, GenericByDesign,                                      \
    Own(DISPATCH_KS::ippsRShiftC_32s_I_Sse2), Own(DISPATCH_KS::ippsRShiftC_32s_I_Sse))             \
  W(Slbcbbasicdispatcher, ippsReal_64fc, GenericByDesign, Own(DISPATCH_KS::ippsReal_64fc_Sse2),    \
    GenericByDesign)                                                                               \
  W(Slbcbbasicdispatcher, ippsImag_64fc, GenericByDesign, Own(DISPATCH_KS::ippsImag_64fc_Sse2),    \
    GenericByDesign)                                                                               \
  W(Slbcbbasicdispatcher, ippsRealToCplx_64f, GenericByDesign,                                     \
    Own(DISPATCH_KS::ippsRealToCplx_64f_Sse2), GenericByDesign)                                    \
  W(Slbcbbasicdispatcher, ippsCopy_64fc, GenericByDesign, Own(DISPATCH_KS::ippsCopy_64fc_Sse2),    \
    Own(DISPATCH_KS::ippsCopy_64fc_Sse))                                                           \
  W(Slbcbbasicdispatcher, ippsAbs_64f_I, GenericByDesign, Own(DISPATCH_KS::ippsAbs_64f_I_Sse2),    \
    Own(DISPATCH_KS::ippsAbs_64f_I_Sse))                                                           \
  W(Slbcbbasicdispatcher, ippsAbs_64f, GenericByDesign, Own(DISPATCH_KS::ippsAbs_64f_Sse2),        \
    Own(DISPATCH_KS::ippsAbs_64f_Sse))                                                             \
  W(Slbcbbasicdispatcher, ippsThreshold_64f_I, GenericByDesign,                                    \
    Own(DISPATCH_KS::ippsThreshold_64f_I_Sse2), Own(DISPATCH_KS::ippsThreshold_64f_I_Sse))         \
  W(Slbcbbasicdispatcher, ippsThreshold_64f, GenericByDesign,                                      \
    Own(DISPATCH_KS::ippsThreshold_64f_Sse2), GenericByDesign)                                     \
  W(Slbcbbasicdispatcher, ippsSqr_64f_I, GenericByDesign, Own(DISPATCH_KS::ippsSqr_64f_I_Sse2),    \
    GenericByDesign)                                                                               \
  W(Slbcbbasicdispatcher, ippsSqr_64f, GenericByDesign, Own(DISPATCH_KS::ippsSqr_64f_Sse2),        \
    GenericByDesign)                                                                               \
  W(Slbcbbasicdispatcher, ippsSqrt_64f_I, GenericByDesign, Own(DISPATCH_KS::ippsSqrt_64f_I_Sse2),  \
    Own(DISPATCH_KS::ippsSqrt_64f_I_Sse))                                                          \
  W(Slbcbbasicdispatcher, ippsSqrt_64f, GenericByDesign, Own(DISPATCH_KS::ippsSqrt_64f_Sse2),      \
    Own(DISPATCH_KS::ippsSqrt_64f_Sse))                                                            \
  W(Slbcbbasicdispatcher, ippsMaxIndx_64f, GenericByDesign,                                        \
    Own(DISPATCH_KS::ippsMaxIndx_64f_Sse2), GenericByDesign)                                       \
  W(Slbcbbasicdispatcher, ippsMinIndx_64f, GenericByDesign,                                        \
    Own(DISPATCH_KS::ippsMinIndx_64f_Sse2), GenericByDesign)                                       \
  W(Slbcbbasicdispatcher, ippsConvert_16s64f_Sfs, GenericByDesign,                                 \
    Own(DISPATCH_KS::ippsConvert_16s64f_Sfs_Sse2), GenericByDesign)                                \
  W(Slbcbbasicdispatcher, ippsAddC_64fc_I, GenericByDesign,                                        \
    Own(DISPATCH_KS::ippsAddC_64fc_I_Sse2), GenericByDesign)                                       \
  W(Slbcbbasicdispatcher, ippsSubC_64fc_I, GenericByDesign,                                        \
    Own(DISPATCH_KS::ippsSubC_64fc_I_Sse2), GenericByDesign)                                       \
  W(Slbcbbasicdispatcher, ippsDotProd_64f, GenericByDesign,                                        \
    Own(DISPATCH_KS::ippsDotProd_64f_Sse2), GenericByDesign)                                       \
  W(Slbcbbasicdispatcher, ippsMean_64f, GenericByDesign, Own(DISPATCH_KS::ippsMean_64f_Sse2),      \
    Own(DISPATCH_KS::ippsMean_64f_Sse))                                                            \
  W(Slbcbbasicdispatcher, ippsStdDev_64f, GenericByDesign, Own(DISPATCH_KS::ippsStdDev_64f_Sse2),  \
    Own(DISPATCH_KS::ippsStdDev_64f_Sse))                                                          \
  W(Slbcbbasicdispatcher, ippsNormDiff_L1_64f, GenericByDesign,                                    \
    Own(DISPATCH_KS::ippsNormDiff_L1_64f_Sse2), GenericByDesign)                                   \
  W(Slbcbbasicdispatcher, ippsNormDiff_L2_64f, GenericByDesign,                                    \
    Own(DISPATCH_KS::ippsNormDiff_L2_64f_Sse2), GenericByDesign)                                   \
  W(Slbcbbasicdispatcher, ippsNormDiff_Inf_64f, GenericByDesign,                                   \
    Own(DISPATCH_KS::ippsNormDiff_Inf_64f_Sse2), GenericByDesign)                                  \
  W(Slbcbbasicdispatcher, ippsPowerSpectr_64fc, GenericByDesign,                                   \
    Own(DISPATCH_KS::ippsPowerSpectr_64fc_Sse2), GenericByDesign)                                  \
  W(Slbcbbasicdispatcher, ippsMagnitude_64fc, GenericByDesign,                                     \
    Own(DISPATCH_KS::ippsMagnitude_64fc_Sse2), GenericByDesign)                                    \
  W(Slbcbbasicdispatcher, ippsDotProd_64fc, GenericByDesign,                                       \
    Own(DISPATCH_KS::ippsDotProd_64fc_Sse2), GenericByDesign)                                      \
  W(Slbcbbasicdispatcher, ippsNormalize_64f, GenericByDesign,                                      \
    Own(DISPATCH_KS::ippsNormalize_64f_Sse2), GenericByDesign)                                     \
  W(Slbcbbasicdispatcher, ippsNormalize_64fc, GenericByDesign,                                     \
    Own(DISPATCH_KS::ippsNormalize_64fc_Sse2), GenericByDesign)                                    \
  W(Slbcbbasicdispatcher, ippsMulC_64fc_I, GenericByDesign,                                        \
    Own(DISPATCH_KS::ippsMulC_64fc_I_Sse2), GenericByDesign)                                       \
  W(Slbcbbasicdispatcher, ippsDivC_64fc_I, GenericByDesign,                                        \
    Own(DISPATCH_KS::ippsDivC_64fc_I_Sse2), GenericByDesign)                                       \
  W(Slbcbbasicdispatcher, ippsSqr_64fc, GenericByDesign, Own(DISPATCH_KS::ippsSqr_64fc_Sse2),      \
    GenericByDesign)                                                                               \
  W(Slbcbbasicdispatcher, ippsSqr_64fc_I, GenericByDesign, Own(DISPATCH_KS::ippsSqr_64fc_I_Sse2),  \
    GenericByDesign)                                                                               \
  W(Slbcbbasicdispatcher, ippsThreshold_64fc_I, GenericByDesign,                                   \
    Own(DISPATCH_KS::ippsThreshold_64fc_I_Sse2), GenericByDesign)                                  \
  W(Slbcbbasicdispatcher, ippsThreshold_64fc, GenericByDesign,                                     \
    Own(DISPATCH_KS::ippsThreshold_64fc_Sse2), GenericByDesign)                                    \
  W(Slbcbbasicdispatcher, ippsSqrt_64fc, GenericByDesign, Own(DISPATCH_KS::ippsSqrt_64fc_Sse2),    \
    GenericByDesign)                                                                               \
  W(Slbcbbasicdispatcher, ippsSqrt_64fc_I, GenericByDesign,                                        \
    Own(DISPATCH_KS::ippsSqrt_64fc_I_Sse2), GenericByDesign)                                       \
  W(Slbcbbasicdispatcher, ippsConv_64f, GenericByDesign, Own(DISPATCH_KS::ippsConv_64f_Sse2),      \
    Own(DISPATCH_KS::ippsConv_64f_Sse))                                                            \
  W(Slbcbbasicdispatcher, ippsAutoCorr_64f, GenericByDesign,                                       \
    Own(DISPATCH_KS::ippsAutoCorr_64f_Sse2), Own(DISPATCH_KS::ippsAutoCorr_64f_Sse))               \
  W(Slbcbbasicdispatcher, ippsAutoCorr_NormA_64f, GenericByDesign,                                 \
    Own(DISPATCH_KS::ippsAutoCorr_NormA_64f_Sse2), Own(DISPATCH_KS::ippsAutoCorr_NormA_64f_Sse))   \
  W(Slbcbbasicdispatcher, ippsAutoCorr_NormB_64f, GenericByDesign,                                 \
    Own(DISPATCH_KS::ippsAutoCorr_NormB_64f_Sse2), Own(DISPATCH_KS::ippsAutoCorr_NormB_64f_Sse))   \
  W(Slbcbbasicdispatcher, ippsCrossCorr_64f, GenericByDesign,                                      \
    Own(DISPATCH_KS::ippsCrossCorr_64f_Sse2), Own(DISPATCH_KS::ippsCrossCorr_64f_Sse))             \
  W(Slbcbbasicdispatcher, ippsAutoCorr_64fc, GenericByDesign,                                      \
    Own(DISPATCH_KS::ippsAutoCorr_64fc_Sse2), Own(DISPATCH_KS::ippsAutoCorr_64fc_Sse))             \
  W(Slbcbbasicdispatcher, ippsAutoCorr_NormA_64fc, GenericByDesign,                                \
    Own(DISPATCH_KS::ippsAutoCorr_NormA_64fc_Sse2), Own(DISPATCH_KS::ippsAutoCorr_NormA_64fc_Sse)) \
  W(Slbcbbasicdispatcher, ippsAutoCorr_NormB_64fc, GenericByDesign,                                \
    Own(DISPATCH_KS::ippsAutoCorr_NormB_64fc_Sse2), Own(DISPATCH_KS::ippsAutoCorr_NormB_64fc_Sse)) \
  W(Slbcbbasicdispatcher, ippsCrossCorr_64fc, GenericByDesign,                                     \
    Own(DISPATCH_KS::ippsCrossCorr_64fc_Sse2), Own(DISPATCH_KS::ippsCrossCorr_64fc_Sse))           \
  W(Slbcbbasicdispatcher, ippsPhase_64fc, GenericByDesign, Own(DISPATCH_KS::ippsPhase_64fc_Sse2),  \
    GenericByDesign)                                                                               \
  W(Slbcbbasicdispatcher, ippsExp_64f_I, GenericByDesign, Own(DISPATCH_KS::ippsExp_64f_I_Sse2),    \
    Own(DISPATCH_KS::ippsExp_64f_I_Sse))                                                           \
  W(Slbcbbasicdispatcher, ippsExp_64f, GenericByDesign, Own(DISPATCH_KS::ippsExp_64f_Sse2),        \
    Own(DISPATCH_KS::ippsExp_64f_Sse))                                                             \
  W(Slbcbbasicdispatcher, ippsLn_64f_I, GenericByDesign, Own(DISPATCH_KS::ippsLn_64f_I_Sse2),      \
    Own(DISPATCH_KS::ippsLn_64f_I_Sse))                                                            \
  W(Slbcbbasicdispatcher, ippsLn_64f, GenericByDesign, Own(DISPATCH_KS::ippsLn_64f_Sse2),          \
    Own(DISPATCH_KS::ippsLn_64f_Sse))
