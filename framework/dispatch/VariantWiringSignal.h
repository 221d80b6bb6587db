// The wiring rows of kernels/signal (see DISPATCH_VARIANT_WIRING).
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
  W(Slbcbbasicdispatcher, ippsCopy_16s, GenericByDesign, Own(&DISPATCH_KS::sse2::ippsCopy_16s),    \
    Own(&DISPATCH_KS::sse::ippsCopy_16s))                                                          \
  W(Slbcbbasicdispatcher, ippsAddC_32s_ISfs, GenericByDesign,                                      \
    Own(&DISPATCH_KS::sse2::ippsAddC_32s_ISfs), GenericByDesign)                                   \
  W(Slbcbbasicdispatcher, ippsSubC_32s_ISfs, GenericByDesign,                                      \
    Own(&DISPATCH_KS::sse2::ippsSubC_32s_ISfs), GenericByDesign)                                   \
  W(Slbcbbasicdispatcher, ippsMulC_32s_ISfs, GenericByDesign, GenericByDesign, GenericByDesign)    \
  W(Slbcbbasicdispatcher, ippsDotProd_32s_Sfs, GenericByDesign, GenericByDesign, GenericByDesign)  \
  W(Slbcbbasicdispatcher, ippsAndC_32u_I, GenericByDesign,                                         \
    Own(&DISPATCH_KS::sse2::ippsAndC_32u_I), Own(&DISPATCH_KS::sse2::ippsAndC_32u_I))              \
  W(Slbcbbasicdispatcher, ippsAnd_32u_I, GenericByDesign, Own(&DISPATCH_KS::sse2::ippsAnd_32u_I),  \
    Own(&DISPATCH_KS::sse2::ippsAnd_32u_I))                                                        \
  W(Slbcbbasicdispatcher, ippsOrC_32u_I, GenericByDesign, Own(&DISPATCH_KS::sse2::ippsOrC_32u_I),  \
    Own(&DISPATCH_KS::sse2::ippsOrC_32u_I))                                                        \
  W(Slbcbbasicdispatcher, ippsOr_32u_I, GenericByDesign, Own(&DISPATCH_KS::sse2::ippsOr_32u_I),    \
    Own(&DISPATCH_KS::sse2::ippsOr_32u_I))                                                         \
  W(Slbcbbasicdispatcher, ippsXorC_32u_I, GenericByDesign,                                         \
    Own(&DISPATCH_KS::sse2::ippsXorC_32u_I), Own(&DISPATCH_KS::sse2::ippsXorC_32u_I))              \
  W(Slbcbbasicdispatcher, ippsXor_32u_I, GenericByDesign, Own(&DISPATCH_KS::sse2::ippsXor_32u_I),  \
    Own(&DISPATCH_KS::sse2::ippsXor_32u_I))                                                        \
  W(Slbcbbasicdispatcher, ippsLShiftC_32s_I, GenericByDesign,                                      \
    Own(&DISPATCH_KS::sse2::ippsLShiftC_32s_I), Own(&DISPATCH_KS::sse2::ippsLShiftC_32s_I))        \
  W(Slbcbbasicdispatcher, ippsRShiftC_32s_I, GenericByDesign,                                      \
    Own(&DISPATCH_KS::sse2::ippsRShiftC_32s_I), Own(&DISPATCH_KS::sse2::ippsRShiftC_32s_I))        \
  W(Slbcbbasicdispatcher, ippsReal_64fc, GenericByDesign, Own(&DISPATCH_KS::sse2::ippsReal_64fc),  \
    GenericByDesign)                                                                               \
  W(Slbcbbasicdispatcher, ippsImag_64fc, GenericByDesign, Own(&DISPATCH_KS::sse2::ippsImag_64fc),  \
    GenericByDesign)                                                                               \
  W(Slbcbbasicdispatcher, ippsRealToCplx_64f, GenericByDesign,                                     \
    Own(&DISPATCH_KS::sse2::ippsRealToCplx_64f), GenericByDesign)                                  \
  W(Slbcbbasicdispatcher, ippsCopy_64fc, GenericByDesign, Own(&DISPATCH_KS::sse2::ippsCopy_64fc),  \
    Own(&DISPATCH_KS::sse::ippsCopy_64fc))                                                         \
  W(Slbcbbasicdispatcher, ippsAbs_64f_I, GenericByDesign, Own(&DISPATCH_KS::sse2::ippsAbs_64f_I),  \
    Own(&DISPATCH_KS::sse2::ippsAbs_64f_I))                                                        \
  W(Slbcbbasicdispatcher, ippsAbs_64f, GenericByDesign, Own(&DISPATCH_KS::sse2::ippsAbs_64f),      \
    Own(&DISPATCH_KS::sse2::ippsAbs_64f))                                                          \
  W(Slbcbbasicdispatcher, ippsThreshold_64f_I, GenericByDesign,                                    \
    Own(&DISPATCH_KS::sse2::ippsThreshold_64f_I), Own(&DISPATCH_KS::sse2::ippsThreshold_64f_I))    \
  W(Slbcbbasicdispatcher, ippsThreshold_64f, GenericByDesign,                                      \
    Own(&DISPATCH_KS::sse2::ippsThreshold_64f), GenericByDesign)                                   \
  W(Slbcbbasicdispatcher, ippsSqr_64f_I, GenericByDesign, Own(&DISPATCH_KS::sse2::ippsSqr_64f_I),  \
    GenericByDesign)                                                                               \
  W(Slbcbbasicdispatcher, ippsSqr_64f, GenericByDesign, Own(&DISPATCH_KS::sse2::ippsSqr_64f),      \
    GenericByDesign)                                                                               \
  W(Slbcbbasicdispatcher, ippsSqrt_64f_I, GenericByDesign,                                         \
    Own(&DISPATCH_KS::sse2::ippsSqrt_64f_I), Own(&DISPATCH_KS::sse2::ippsSqrt_64f_I))              \
  W(Slbcbbasicdispatcher, ippsSqrt_64f, GenericByDesign, Own(&DISPATCH_KS::sse2::ippsSqrt_64f),    \
    Own(&DISPATCH_KS::sse2::ippsSqrt_64f))                                                         \
  W(Slbcbbasicdispatcher, ippsMaxIndx_64f, GenericByDesign,                                        \
    Own(&DISPATCH_KS::sse2::ippsMaxIndx_64f), GenericByDesign)                                     \
  W(Slbcbbasicdispatcher, ippsMinIndx_64f, GenericByDesign,                                        \
    Own(&DISPATCH_KS::sse2::ippsMinIndx_64f), GenericByDesign)                                     \
  W(Slbcbbasicdispatcher, ippsConvert_16s64f_Sfs, GenericByDesign,                                 \
    Own(&DISPATCH_KS::sse2::ippsConvert_16s64f_Sfs), GenericByDesign)                              \
  W(Slbcbbasicdispatcher, ippsAddC_64fc_I, GenericByDesign,                                        \
    Own(&DISPATCH_KS::sse2::ippsAddC_64fc_I), GenericByDesign)                                     \
  W(Slbcbbasicdispatcher, ippsSubC_64fc_I, GenericByDesign,                                        \
    Own(&DISPATCH_KS::sse2::ippsSubC_64fc_I), GenericByDesign)                                     \
  W(Slbcbbasicdispatcher, ippsDotProd_64f, GenericByDesign,                                        \
    Own(&DISPATCH_KS::sse2::ippsDotProd_64f), GenericByDesign)                                     \
  W(Slbcbbasicdispatcher, ippsMean_64f, GenericByDesign, Own(&DISPATCH_KS::sse2::ippsMean_64f),    \
    Own(&DISPATCH_KS::sse::ippsMean_64f))                                                          \
  W(Slbcbbasicdispatcher, ippsStdDev_64f, GenericByDesign,                                         \
    Own(&DISPATCH_KS::sse2::ippsStdDev_64f), Own(&DISPATCH_KS::sse::ippsStdDev_64f))               \
  W(Slbcbbasicdispatcher, ippsNormDiff_L1_64f, GenericByDesign,                                    \
    Own(&DISPATCH_KS::sse2::ippsNormDiff_L1_64f), GenericByDesign)                                 \
  W(Slbcbbasicdispatcher, ippsNormDiff_L2_64f, GenericByDesign,                                    \
    Own(&DISPATCH_KS::sse2::ippsNormDiff_L2_64f), GenericByDesign)                                 \
  W(Slbcbbasicdispatcher, ippsNormDiff_Inf_64f, GenericByDesign,                                   \
    Own(&DISPATCH_KS::sse2::ippsNormDiff_Inf_64f), GenericByDesign)                                \
  W(Slbcbbasicdispatcher, ippsPowerSpectr_64fc, GenericByDesign,                                   \
    Own(&DISPATCH_KS::sse2::ippsPowerSpectr_64fc), GenericByDesign)                                \
  W(Slbcbbasicdispatcher, ippsMagnitude_64fc, GenericByDesign,                                     \
    Own(&DISPATCH_KS::sse2::ippsMagnitude_64fc), GenericByDesign)                                  \
  W(Slbcbbasicdispatcher, ippsDotProd_64fc, GenericByDesign,                                       \
    Own(&DISPATCH_KS::sse2::ippsDotProd_64fc), GenericByDesign)                                    \
  W(Slbcbbasicdispatcher, ippsNormalize_64f, GenericByDesign,                                      \
    Own(&DISPATCH_KS::sse2::ippsNormalize_64f), GenericByDesign)                                   \
  W(Slbcbbasicdispatcher, ippsNormalize_64fc, GenericByDesign,                                     \
    Own(&DISPATCH_KS::sse2::ippsNormalize_64fc), GenericByDesign)                                  \
  W(Slbcbbasicdispatcher, ippsMulC_64fc_I, GenericByDesign,                                        \
    Own(&DISPATCH_KS::sse2::ippsMulC_64fc_I), GenericByDesign)                                     \
  W(Slbcbbasicdispatcher, ippsDivC_64fc_I, GenericByDesign,                                        \
    Own(&DISPATCH_KS::sse2::ippsDivC_64fc_I), GenericByDesign)                                     \
  W(Slbcbbasicdispatcher, ippsSqr_64fc, GenericByDesign, Own(&DISPATCH_KS::sse2::ippsSqr_64fc),    \
    GenericByDesign)                                                                               \
  W(Slbcbbasicdispatcher, ippsSqr_64fc_I, GenericByDesign,                                         \
    Own(&DISPATCH_KS::sse2::ippsSqr_64fc_I), GenericByDesign)                                      \
  W(Slbcbbasicdispatcher, ippsThreshold_64fc_I, GenericByDesign,                                   \
    Own(&DISPATCH_KS::sse2::ippsThreshold_64fc_I), GenericByDesign)                                \
  W(Slbcbbasicdispatcher, ippsThreshold_64fc, GenericByDesign,                                     \
    Own(&DISPATCH_KS::sse2::ippsThreshold_64fc), GenericByDesign)                                  \
  W(Slbcbbasicdispatcher, ippsSqrt_64fc, GenericByDesign, Own(&DISPATCH_KS::sse2::ippsSqrt_64fc),  \
    GenericByDesign)                                                                               \
  W(Slbcbbasicdispatcher, ippsSqrt_64fc_I, GenericByDesign,                                        \
    Own(&DISPATCH_KS::sse2::ippsSqrt_64fc_I), GenericByDesign)                                     \
  W(Slbcbbasicdispatcher, ippsConv_64f, GenericByDesign, Own(&DISPATCH_KS::sse2::ippsConv_64f),    \
    Own(&DISPATCH_KS::sse::ippsConv_64f))                                                          \
  W(Slbcbbasicdispatcher, ippsAutoCorr_64f, GenericByDesign,                                       \
    Own(&DISPATCH_KS::sse2::ippsAutoCorr_64f), Own(&DISPATCH_KS::sse::ippsAutoCorr_64f))           \
  W(Slbcbbasicdispatcher, ippsAutoCorr_NormA_64f, GenericByDesign,                                 \
    Own(&DISPATCH_KS::sse2::ippsAutoCorr_NormA_64f),                                               \
    Own(&DISPATCH_KS::sse::ippsAutoCorr_NormA_64f))                                                \
  W(Slbcbbasicdispatcher, ippsAutoCorr_NormB_64f, GenericByDesign,                                 \
    Own(&DISPATCH_KS::sse2::ippsAutoCorr_NormB_64f),                                               \
    Own(&DISPATCH_KS::sse::ippsAutoCorr_NormB_64f))                                                \
  W(Slbcbbasicdispatcher, ippsCrossCorr_64f, GenericByDesign,                                      \
    Own(&DISPATCH_KS::sse2::ippsCrossCorr_64f), Own(&DISPATCH_KS::sse::ippsCrossCorr_64f))         \
  W(Slbcbbasicdispatcher, ippsAutoCorr_64fc, GenericByDesign,                                      \
    Own(&DISPATCH_KS::sse2::ippsAutoCorr_64fc), Own(&DISPATCH_KS::sse::ippsAutoCorr_64fc))         \
  W(Slbcbbasicdispatcher, ippsAutoCorr_NormA_64fc, GenericByDesign,                                \
    Own(&DISPATCH_KS::sse2::ippsAutoCorr_NormA_64fc),                                              \
    Own(&DISPATCH_KS::sse::ippsAutoCorr_NormA_64fc))                                               \
  W(Slbcbbasicdispatcher, ippsAutoCorr_NormB_64fc, GenericByDesign,                                \
    Own(&DISPATCH_KS::sse2::ippsAutoCorr_NormB_64fc),                                              \
    Own(&DISPATCH_KS::sse::ippsAutoCorr_NormB_64fc))                                               \
  W(Slbcbbasicdispatcher, ippsCrossCorr_64fc, GenericByDesign,                                     \
    Own(&DISPATCH_KS::sse2::ippsCrossCorr_64fc), Own(&DISPATCH_KS::sse::ippsCrossCorr_64fc))       \
  W(Slbcbbasicdispatcher, ippsPhase_64fc, GenericByDesign,                                         \
    Own(&DISPATCH_KS::sse2::ippsPhase_64fc), GenericByDesign)                                      \
  W(Slbcbbasicdispatcher, ippsExp_64f_I, GenericByDesign, Own(&DISPATCH_KS::sse2::ippsExp_64f_I),  \
    Own(&DISPATCH_KS::sse::ippsExp_64f_I))                                                         \
  W(Slbcbbasicdispatcher, ippsExp_64f, GenericByDesign, Own(&DISPATCH_KS::sse2::ippsExp_64f),      \
    Own(&DISPATCH_KS::sse::ippsExp_64f))                                                           \
  W(Slbcbbasicdispatcher, ippsLn_64f_I, GenericByDesign, Own(&DISPATCH_KS::sse2::ippsLn_64f_I),    \
    Own(&DISPATCH_KS::sse::ippsLn_64f_I))                                                          \
  W(Slbcbbasicdispatcher, ippsLn_64f, GenericByDesign, Own(&DISPATCH_KS::sse2::ippsLn_64f),        \
    Own(&DISPATCH_KS::sse::ippsLn_64f))
