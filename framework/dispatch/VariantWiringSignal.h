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

#define DISPATCH_KS ::kernels::signal::sse2
#define DISPATCH_WIRING_SIGNAL_SAME(W, op)                                                         \
  W(Slbcbbasicdispatcher, op, GenericByDesign, Own(&DISPATCH_KS::op), Own(&DISPATCH_KS::op))
#define DISPATCH_WIRING_SIGNAL_SSE2(W, op)                                                         \
  W(Slbcbbasicdispatcher, op, GenericByDesign, Own(&DISPATCH_KS::op), GenericByDesign)
#define DISPATCH_WIRING_SIGNAL_BOTH(W, op)                                                         \
  W(Slbcbbasicdispatcher, op, GenericByDesign, Own(&DISPATCH_KS::op),                              \
    Own(&::kernels::signal::sse::op))
#define DISPATCH_WIRING_SIGNAL(W)                                                                  \
  DISPATCH_WIRING_SIGNAL_BOTH(W, ippsCopy_16s)                                                     \
  DISPATCH_WIRING_SIGNAL_SSE2(W, ippsAddC_32s_ISfs)                                                \
  DISPATCH_WIRING_SIGNAL_SSE2(W, ippsSubC_32s_ISfs)                                                \
  W(Slbcbbasicdispatcher, ippsMulC_32s_ISfs, GenericByDesign, GenericByDesign, GenericByDesign)    \
  W(Slbcbbasicdispatcher, ippsDotProd_32s_Sfs, GenericByDesign, GenericByDesign, GenericByDesign)  \
  DISPATCH_WIRING_SIGNAL_SAME(W, ippsAndC_32u_I)                                                   \
  DISPATCH_WIRING_SIGNAL_SAME(W, ippsAnd_32u_I)                                                    \
  DISPATCH_WIRING_SIGNAL_SAME(W, ippsOrC_32u_I)                                                    \
  DISPATCH_WIRING_SIGNAL_SAME(W, ippsOr_32u_I)                                                     \
  DISPATCH_WIRING_SIGNAL_SAME(W, ippsXorC_32u_I)                                                   \
  DISPATCH_WIRING_SIGNAL_SAME(W, ippsXor_32u_I)                                                    \
  DISPATCH_WIRING_SIGNAL_SAME(W, ippsLShiftC_32s_I)                                                \
  DISPATCH_WIRING_SIGNAL_SAME(W, ippsRShiftC_32s_I)                                                \
  DISPATCH_WIRING_SIGNAL_SSE2(W, ippsReal_64fc)                                                    \
  DISPATCH_WIRING_SIGNAL_SSE2(W, ippsImag_64fc)                                                    \
  DISPATCH_WIRING_SIGNAL_SSE2(W, ippsRealToCplx_64f)                                               \
  DISPATCH_WIRING_SIGNAL_BOTH(W, ippsCopy_64fc)                                                    \
  DISPATCH_WIRING_SIGNAL_SAME(W, ippsAbs_64f_I)                                                    \
  DISPATCH_WIRING_SIGNAL_SAME(W, ippsAbs_64f)                                                      \
  DISPATCH_WIRING_SIGNAL_SAME(W, ippsThreshold_64f_I)                                              \
  DISPATCH_WIRING_SIGNAL_SSE2(W, ippsThreshold_64f)                                                \
  DISPATCH_WIRING_SIGNAL_SSE2(W, ippsSqr_64f_I)                                                    \
  DISPATCH_WIRING_SIGNAL_SSE2(W, ippsSqr_64f)                                                      \
  DISPATCH_WIRING_SIGNAL_SAME(W, ippsSqrt_64f_I)                                                   \
  DISPATCH_WIRING_SIGNAL_SAME(W, ippsSqrt_64f)                                                     \
  DISPATCH_WIRING_SIGNAL_SSE2(W, ippsMaxIndx_64f)                                                  \
  DISPATCH_WIRING_SIGNAL_SSE2(W, ippsMinIndx_64f)                                                  \
  DISPATCH_WIRING_SIGNAL_SSE2(W, ippsConvert_16s64f_Sfs)                                           \
  DISPATCH_WIRING_SIGNAL_SSE2(W, ippsAddC_64fc_I)                                                  \
  DISPATCH_WIRING_SIGNAL_SSE2(W, ippsSubC_64fc_I)                                                  \
  DISPATCH_WIRING_SIGNAL_SSE2(W, ippsDotProd_64f)                                                  \
  DISPATCH_WIRING_SIGNAL_BOTH(W, ippsMean_64f)                                                     \
  DISPATCH_WIRING_SIGNAL_BOTH(W, ippsStdDev_64f)                                                   \
  DISPATCH_WIRING_SIGNAL_SSE2(W, ippsNormDiff_L1_64f)                                              \
  DISPATCH_WIRING_SIGNAL_SSE2(W, ippsNormDiff_L2_64f)                                              \
  DISPATCH_WIRING_SIGNAL_SSE2(W, ippsNormDiff_Inf_64f)                                             \
  DISPATCH_WIRING_SIGNAL_SSE2(W, ippsPowerSpectr_64fc)                                             \
  DISPATCH_WIRING_SIGNAL_SSE2(W, ippsMagnitude_64fc)                                               \
  DISPATCH_WIRING_SIGNAL_SSE2(W, ippsDotProd_64fc)                                                 \
  DISPATCH_WIRING_SIGNAL_SSE2(W, ippsNormalize_64f)                                                \
  DISPATCH_WIRING_SIGNAL_SSE2(W, ippsNormalize_64fc)                                               \
  DISPATCH_WIRING_SIGNAL_SSE2(W, ippsMulC_64fc_I)                                                  \
  DISPATCH_WIRING_SIGNAL_SSE2(W, ippsDivC_64fc_I)                                                  \
  DISPATCH_WIRING_SIGNAL_SSE2(W, ippsSqr_64fc)                                                     \
  DISPATCH_WIRING_SIGNAL_SSE2(W, ippsSqr_64fc_I)                                                   \
  DISPATCH_WIRING_SIGNAL_SSE2(W, ippsThreshold_64fc_I)                                             \
  DISPATCH_WIRING_SIGNAL_SSE2(W, ippsThreshold_64fc)                                               \
  DISPATCH_WIRING_SIGNAL_SSE2(W, ippsSqrt_64fc)                                                    \
  DISPATCH_WIRING_SIGNAL_SSE2(W, ippsSqrt_64fc_I)                                                  \
  DISPATCH_WIRING_SIGNAL_BOTH(W, ippsConv_64f)                                                     \
  DISPATCH_WIRING_SIGNAL_BOTH(W, ippsAutoCorr_64f)                                                 \
  DISPATCH_WIRING_SIGNAL_BOTH(W, ippsAutoCorr_NormA_64f)                                           \
  DISPATCH_WIRING_SIGNAL_BOTH(W, ippsAutoCorr_NormB_64f)                                           \
  DISPATCH_WIRING_SIGNAL_BOTH(W, ippsCrossCorr_64f)                                                \
  DISPATCH_WIRING_SIGNAL_BOTH(W, ippsAutoCorr_64fc)                                                \
  DISPATCH_WIRING_SIGNAL_BOTH(W, ippsAutoCorr_NormA_64fc)                                          \
  DISPATCH_WIRING_SIGNAL_BOTH(W, ippsAutoCorr_NormB_64fc)                                          \
  DISPATCH_WIRING_SIGNAL_BOTH(W, ippsCrossCorr_64fc)                                               \
  DISPATCH_WIRING_SIGNAL_SSE2(W, ippsPhase_64fc)                                                   \
  DISPATCH_WIRING_SIGNAL_BOTH(W, ippsExp_64f_I)                                                    \
  DISPATCH_WIRING_SIGNAL_BOTH(W, ippsExp_64f)                                                      \
  DISPATCH_WIRING_SIGNAL_BOTH(W, ippsLn_64f_I)                                                     \
  DISPATCH_WIRING_SIGNAL_BOTH(W, ippsLn_64f)
