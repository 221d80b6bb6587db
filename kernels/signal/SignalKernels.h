// Processor-class variants of the signal unit's vector operations.
//
// Every function takes exactly the arguments of the operation's generic variant, makes
// the same checks in the same order, returns the same statuses and writes the same
// bytes (element arithmetic: the double result of the same formula). The sse2 namespace
// holds the kernels of codes 6-9; where code 5 runs a kernel of its own that is bit for
// bit the SSE2 result, its wiring names the SSE2 function.
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
