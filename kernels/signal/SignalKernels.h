// Processor-class variants of the signal unit's vector operations.
//
// Every function takes exactly the arguments of the operation's generic variant, makes
// the same checks in the same order, returns the same statuses and writes the same
// bytes (element arithmetic: the double result of the same formula). The sse2 namespace
// holds the kernels of codes 6-9; where code 5 runs a kernel of its own that is bit for
// bit the SSE2 result, its entry (at the end) names the SSE2 function.
//
// The dispatch (framework/dispatch) wires these into its slots; nothing here includes
// the dispatch.
#pragma once

#include "kernels/common/IppTypes.h"

namespace kernels::signal::sse2 {

// Integer, bitwise and shift operations.
IppOpStatus ippsCopy_16s(const short *pSrc, short *pDst, int len);
IppOpStatus ippsAddC_32s_ISfs(int val, int *pSrcDst, int len, int scaleFactor);
IppOpStatus ippsSubC_32s_ISfs(int val, int *pSrcDst, int len, int scaleFactor);
IppOpStatus ippsAndC_32u_I(unsigned int val, unsigned int *pSrcDst, int len);
IppOpStatus ippsAnd_32u_I(const unsigned int *pSrc, unsigned int *pSrcDst, int len);
IppOpStatus ippsOrC_32u_I(unsigned int val, unsigned int *pSrcDst, int len);
IppOpStatus ippsOr_32u_I(const unsigned int *pSrc, unsigned int *pSrcDst, int len);
IppOpStatus ippsXorC_32u_I(unsigned int val, unsigned int *pSrcDst, int len);
IppOpStatus ippsXor_32u_I(const unsigned int *pSrc, unsigned int *pSrcDst, int len);
IppOpStatus ippsLShiftC_32s_I(int val, int *pSrcDst, int len);
IppOpStatus ippsRShiftC_32s_I(int val, int *pSrcDst, int len);

// Complex parts and copies.
IppOpStatus ippsReal_64fc(const Ipp64fc *pSrc, double *pDst, int len);
IppOpStatus ippsImag_64fc(const Ipp64fc *pSrc, double *pDst, int len);
IppOpStatus ippsRealToCplx_64f(const double *pSrcRe, const double *pSrcIm, Ipp64fc *pDst, int len);
IppOpStatus ippsCopy_64fc(const Ipp64fc *pSrc, Ipp64fc *pDst, int len);
IppOpStatus ippsAddC_64fc_I(Ipp64fc val, Ipp64fc *pSrcDst, int len);
IppOpStatus ippsSubC_64fc_I(Ipp64fc val, Ipp64fc *pSrcDst, int len);

// Complex products in double precision (see Complex.cpp for the range rule).
IppOpStatus ippsPowerSpectr_64fc(const Ipp64fc *pSrc, double *pDst, int len);
IppOpStatus ippsMagnitude_64fc(const Ipp64fc *pSrc, double *pDst, int len);
IppOpStatus ippsDotProd_64fc(const Ipp64fc *pSrc1, const Ipp64fc *pSrc2, int len, Ipp64fc *pDp);

// Complex products with a constant and squares in double precision (see ComplexArith.cpp).
IppOpStatus ippsMulC_64fc_I(Ipp64fc val, Ipp64fc *pSrcDst, int len);
IppOpStatus ippsDivC_64fc_I(Ipp64fc val, Ipp64fc *pSrcDst, int len);
IppOpStatus ippsSqr_64fc(const Ipp64fc *pSrc, Ipp64fc *pDst, int len);
IppOpStatus ippsSqr_64fc_I(Ipp64fc *pSrcDst, int len);

// Principal square roots (the generic's steps in double; special values the generic's).
IppOpStatus ippsSqrt_64fc(const Ipp64fc *pSrc, Ipp64fc *pDst, int len);
IppOpStatus ippsSqrt_64fc_I(Ipp64fc *pSrcDst, int len);

// Magnitude thresholds keeping the phase; the generic's bits.
IppOpStatus ippsThreshold_64fc_I(Ipp64fc *pSrcDst, int len, double level, IppCmpOp relOp);
IppOpStatus ippsThreshold_64fc(const Ipp64fc *pSrc, Ipp64fc *pDst, int len, double level,
                               IppCmpOp relOp);

// (x - vSub) / vDiv as a product with the double reciprocal.
IppOpStatus ippsNormalize_64f(const double *pSrc, double *pDst, int len, double vSub, double vDiv);
IppOpStatus ippsNormalize_64fc(const Ipp64fc *pSrc, Ipp64fc *pDst, int len, Ipp64fc vSub,
                               double vDiv);

// Real element operations.
IppOpStatus ippsConvert_16s64f_Sfs(const short *pSrc, double *pDst, int len, int scaleFactor);
IppOpStatus ippsAbs_64f_I(double *pSrcDst, int len);
IppOpStatus ippsAbs_64f(const double *pSrc, double *pDst, int len);
IppOpStatus ippsThreshold_64f_I(double *pSrcDst, int len, double level, IppCmpOp relOp);
IppOpStatus ippsThreshold_64f(const double *pSrc, double *pDst, int len, double level,
                              IppCmpOp relOp);
IppOpStatus ippsSqr_64f_I(double *pSrcDst, int len);
IppOpStatus ippsSqr_64f(const double *pSrc, double *pDst, int len);
IppOpStatus ippsSqrt_64f_I(double *pSrcDst, int len);
IppOpStatus ippsSqrt_64f(const double *pSrc, double *pDst, int len);

// Extremes with the index of their first occurrence (pIndx may be null).
IppOpStatus ippsMaxIndx_64f(const double *pSrc, int len, double *pMax, int *pIndx);
IppOpStatus ippsMinIndx_64f(const double *pSrc, int len, double *pMin, int *pIndx);

// Sums and norms in double precision, eight partial sums (bounded against the generic's
// extended sums); the maximum norm by the generic's comparison rule.
IppOpStatus ippsDotProd_64f(const double *pSrc1, const double *pSrc2, int len, double *pDp);
IppOpStatus ippsMean_64f(const double *pSrc, int len, double *pMean);
IppOpStatus ippsStdDev_64f(const double *pSrc, int len, double *pStdDev);
IppOpStatus ippsNormDiff_L1_64f(const double *pSrc1, const double *pSrc2, int len, double *pNorm);
IppOpStatus ippsNormDiff_L2_64f(const double *pSrc1, const double *pSrc2, int len, double *pNorm);
IppOpStatus ippsNormDiff_Inf_64f(const double *pSrc1, const double *pSrc2, int len, double *pNorm);

} // namespace kernels::signal::sse2

// Code 5: the mean and standard deviation in extended precision with eight partial sums.
namespace kernels::signal::sse {
IppOpStatus ippsMean_64f(const double *pSrc, int len, double *pMean);
IppOpStatus ippsStdDev_64f(const double *pSrc, int len, double *pStdDev);
} // namespace kernels::signal::sse

// The entries of each processor class, by the names the wiring table gives them: each
// names the body above that serves its class (codes 16-17 run the generic code). Code 5's
// copies are in SignalCorrConv.h.
namespace kernels::signal {
inline constexpr auto ippsCopy_16s_Sse2 = &sse2::ippsCopy_16s;
inline constexpr auto ippsAddC_32s_ISfs_Sse2 = &sse2::ippsAddC_32s_ISfs;
inline constexpr auto ippsSubC_32s_ISfs_Sse2 = &sse2::ippsSubC_32s_ISfs;
inline constexpr auto ippsAndC_32u_I_Sse2 = &sse2::ippsAndC_32u_I;
inline constexpr auto ippsAndC_32u_I_Sse = &sse2::ippsAndC_32u_I;
inline constexpr auto ippsAnd_32u_I_Sse2 = &sse2::ippsAnd_32u_I;
inline constexpr auto ippsAnd_32u_I_Sse = &sse2::ippsAnd_32u_I;
inline constexpr auto ippsOrC_32u_I_Sse2 = &sse2::ippsOrC_32u_I;
inline constexpr auto ippsOrC_32u_I_Sse = &sse2::ippsOrC_32u_I;
inline constexpr auto ippsOr_32u_I_Sse2 = &sse2::ippsOr_32u_I;
inline constexpr auto ippsOr_32u_I_Sse = &sse2::ippsOr_32u_I;
inline constexpr auto ippsXorC_32u_I_Sse2 = &sse2::ippsXorC_32u_I;
inline constexpr auto ippsXorC_32u_I_Sse = &sse2::ippsXorC_32u_I;
inline constexpr auto ippsXor_32u_I_Sse2 = &sse2::ippsXor_32u_I;
inline constexpr auto ippsXor_32u_I_Sse = &sse2::ippsXor_32u_I;
inline constexpr auto ippsLShiftC_32s_I_Sse2 = &sse2::ippsLShiftC_32s_I;
inline constexpr auto ippsLShiftC_32s_I_Sse = &sse2::ippsLShiftC_32s_I;
inline constexpr auto ippsRShiftC_32s_I_Sse2 = &sse2::ippsRShiftC_32s_I;
inline constexpr auto ippsRShiftC_32s_I_Sse = &sse2::ippsRShiftC_32s_I;
inline constexpr auto ippsReal_64fc_Sse2 = &sse2::ippsReal_64fc;
inline constexpr auto ippsImag_64fc_Sse2 = &sse2::ippsImag_64fc;
inline constexpr auto ippsRealToCplx_64f_Sse2 = &sse2::ippsRealToCplx_64f;
inline constexpr auto ippsCopy_64fc_Sse2 = &sse2::ippsCopy_64fc;
inline constexpr auto ippsAbs_64f_I_Sse2 = &sse2::ippsAbs_64f_I;
inline constexpr auto ippsAbs_64f_I_Sse = &sse2::ippsAbs_64f_I;
inline constexpr auto ippsAbs_64f_Sse2 = &sse2::ippsAbs_64f;
inline constexpr auto ippsAbs_64f_Sse = &sse2::ippsAbs_64f;
inline constexpr auto ippsThreshold_64f_I_Sse2 = &sse2::ippsThreshold_64f_I;
inline constexpr auto ippsThreshold_64f_I_Sse = &sse2::ippsThreshold_64f_I;
inline constexpr auto ippsThreshold_64f_Sse2 = &sse2::ippsThreshold_64f;
inline constexpr auto ippsSqr_64f_I_Sse2 = &sse2::ippsSqr_64f_I;
inline constexpr auto ippsSqr_64f_Sse2 = &sse2::ippsSqr_64f;
inline constexpr auto ippsSqrt_64f_I_Sse2 = &sse2::ippsSqrt_64f_I;
inline constexpr auto ippsSqrt_64f_I_Sse = &sse2::ippsSqrt_64f_I;
inline constexpr auto ippsSqrt_64f_Sse2 = &sse2::ippsSqrt_64f;
inline constexpr auto ippsSqrt_64f_Sse = &sse2::ippsSqrt_64f;
inline constexpr auto ippsMaxIndx_64f_Sse2 = &sse2::ippsMaxIndx_64f;
inline constexpr auto ippsMinIndx_64f_Sse2 = &sse2::ippsMinIndx_64f;
inline constexpr auto ippsConvert_16s64f_Sfs_Sse2 = &sse2::ippsConvert_16s64f_Sfs;
inline constexpr auto ippsAddC_64fc_I_Sse2 = &sse2::ippsAddC_64fc_I;
inline constexpr auto ippsSubC_64fc_I_Sse2 = &sse2::ippsSubC_64fc_I;
inline constexpr auto ippsDotProd_64f_Sse2 = &sse2::ippsDotProd_64f;
inline constexpr auto ippsMean_64f_Sse2 = &sse2::ippsMean_64f;
inline constexpr auto ippsMean_64f_Sse = &sse::ippsMean_64f;
inline constexpr auto ippsStdDev_64f_Sse2 = &sse2::ippsStdDev_64f;
inline constexpr auto ippsStdDev_64f_Sse = &sse::ippsStdDev_64f;
inline constexpr auto ippsNormDiff_L1_64f_Sse2 = &sse2::ippsNormDiff_L1_64f;
inline constexpr auto ippsNormDiff_L2_64f_Sse2 = &sse2::ippsNormDiff_L2_64f;
inline constexpr auto ippsNormDiff_Inf_64f_Sse2 = &sse2::ippsNormDiff_Inf_64f;
inline constexpr auto ippsPowerSpectr_64fc_Sse2 = &sse2::ippsPowerSpectr_64fc;
inline constexpr auto ippsMagnitude_64fc_Sse2 = &sse2::ippsMagnitude_64fc;
inline constexpr auto ippsDotProd_64fc_Sse2 = &sse2::ippsDotProd_64fc;
inline constexpr auto ippsNormalize_64f_Sse2 = &sse2::ippsNormalize_64f;
inline constexpr auto ippsNormalize_64fc_Sse2 = &sse2::ippsNormalize_64fc;
inline constexpr auto ippsMulC_64fc_I_Sse2 = &sse2::ippsMulC_64fc_I;
inline constexpr auto ippsDivC_64fc_I_Sse2 = &sse2::ippsDivC_64fc_I;
inline constexpr auto ippsSqr_64fc_Sse2 = &sse2::ippsSqr_64fc;
inline constexpr auto ippsSqr_64fc_I_Sse2 = &sse2::ippsSqr_64fc_I;
inline constexpr auto ippsThreshold_64fc_I_Sse2 = &sse2::ippsThreshold_64fc_I;
inline constexpr auto ippsThreshold_64fc_Sse2 = &sse2::ippsThreshold_64fc;
inline constexpr auto ippsSqrt_64fc_Sse2 = &sse2::ippsSqrt_64fc;
inline constexpr auto ippsSqrt_64fc_I_Sse2 = &sse2::ippsSqrt_64fc_I;
} // namespace kernels::signal
