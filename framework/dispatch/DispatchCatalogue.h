// The one table of the vector-math operations: every operation of the five dispatcher
// units, in slot order per unit. Everything per operation (declarations, slots, set-up
// routines, the catalogue listing the tests walk) is generated from these lists.
//
// Row: X(unit, operation, selection scheme, result, (parameters), (arguments))
// Parameters follow the catalogue's notation: pointer to const = read array, plain
// pointer = written array, & = passed by reference, ** or *& = out-parameter.
// Scheme: FourWay, ThreeWayHigh or ThreeWayLow (see dispatch::SelectVariantClass).
// The operations' contracts are those of their generic variants.
#pragma once

#include "framework/dispatch/IppTypes.h"

#define SLSCOPEDISPATCHER_CATALOGUE(X)                                                             \
  X(Slscopedispatcher, ippiSet_8u_C4R, FourWay, IppOpStatus,                                       \
    (const unsigned char *value, unsigned char *pDst, int dstStep, tagSIZE roi),                   \
    (value, pDst, dstStep, roi))                                                                   \
  X(Slscopedispatcher, ippsAddC_32s_ISfs, ThreeWayHigh, IppOpStatus,                               \
    (int val, int &srcDst, int len, int scaleFactor), (val, srcDst, len, scaleFactor))             \
  X(Slscopedispatcher, ippsConvert_64f32f, ThreeWayHigh, IppOpStatus,                              \
    (const double *pSrc, float &dst, int len), (pSrc, dst, len))                                   \
  X(Slscopedispatcher, ippsConvert_32f32s_Sfs, FourWay, IppOpStatus,                               \
    (const float *pSrc, int &dst, int len, IppRoundMode rndMode, int scaleFactor),                 \
    (pSrc, dst, len, rndMode, scaleFactor))                                                        \
  X(Slscopedispatcher, ippsConvert_64f32s_Sfs, FourWay, IppOpStatus,                               \
    (const double *pSrc, int &dst, int len, IppRoundMode rndMode, int scaleFactor),                \
    (pSrc, dst, len, rndMode, scaleFactor))                                                        \
  X(Slscopedispatcher, ippsMove_8u, FourWay, IppOpStatus,                                          \
    (const unsigned char *pSrc, unsigned char *pDst, int len), (pSrc, pDst, len))                  \
  X(Slscopedispatcher, ippsMulC_64f, FourWay, IppOpStatus,                                         \
    (const double *pSrc, double val, double &dst, int len), (pSrc, val, dst, len))                 \
  X(Slscopedispatcher, ippsSubCRev_32s_ISfs, ThreeWayHigh, IppOpStatus,                            \
    (int val, int &srcDst, int len, int scaleFactor), (val, srcDst, len, scaleFactor))

#define VIZAZODIZARO_CATALOGUE(X)                                                                  \
  X(Vizazodizaro, ippsAdd_16s_I, FourWay, IppOpStatus,                                             \
    (const short *pSrc, short *pSrcDst, int len), (pSrc, pSrcDst, len))                            \
  X(Vizazodizaro, ippsConjCcs_64fc_I, FourWay, IppOpStatus, (Ipp64fc * pSrcDst, int len),          \
    (pSrcDst, len))                                                                                \
  X(Vizazodizaro, ippsFIRFree_64f, FourWay, IppOpStatus, (FIRState_64f & state), (state))          \
  X(Vizazodizaro, ippsFIRInitAlloc_64f, FourWay, IppOpStatus,                                      \
    (FIRState_64f * *ppState, const double *pTaps, int tapsLen, const double *pDlyLine),           \
    (ppState, pTaps, tapsLen, pDlyLine))                                                           \
  X(Vizazodizaro, ippsFIROne_64f, FourWay, IppOpStatus,                                            \
    (double src, double &dstVal, FIRState_64f &state), (src, dstVal, state))                       \
  X(Vizazodizaro, ippsFFTFwd_RToCCS_64f, FourWay, IppOpStatus,                                     \
    (const double *pSrc, double *pDst, const FFTSpec_R_64f *pFFTSpec, unsigned char *pBuffer),     \
    (pSrc, pDst, pFFTSpec, pBuffer))                                                               \
  X(Vizazodizaro, ippsFFTInitAlloc_R_64f, FourWay, IppOpStatus,                                    \
    (FFTSpec_R_64f * &pFFTSpec, int order, int flag, int hint), (pFFTSpec, order, flag, hint))     \
  X(Vizazodizaro, ippsFFTFree_R_64f, FourWay, IppOpStatus, (FFTSpec_R_64f & fftSpec), (fftSpec))   \
  X(Vizazodizaro, ippsMagnitude_64fc, FourWay, IppOpStatus,                                        \
    (const Ipp64fc *pSrc, double *pDst, int len), (pSrc, pDst, len))                               \
  X(Vizazodizaro, ippsRandUniform_Direct_16s, FourWay, IppOpStatus,                                \
    (short *pDst, int len, short low, short high, unsigned int &seed),                             \
    (pDst, len, low, high, seed))                                                                  \
  X(Vizazodizaro, ippsRandGauss_Direct_16s, FourWay, IppOpStatus,                                  \
    (short *pDst, int len, short mean, short stdDev, unsigned int &seed),                          \
    (pDst, len, mean, stdDev, seed))                                                               \
  X(Vizazodizaro, ippsThreshold_LTValGTVal_16s_I, FourWay, IppOpStatus,                            \
    (short *pSrcDst, int len, short levelLT, short valueLT, short levelGT, short valueGT),         \
    (pSrcDst, len, levelLT, valueLT, levelGT, valueGT))                                            \
  X(Vizazodizaro, ippsTone_Direct_16s, FourWay, IppOpStatus,                                       \
    (short *pDst, int len, short magn, float rFreq, float &phase, int hint),                       \
    (pDst, len, magn, rFreq, phase, hint))                                                         \
  X(Vizazodizaro, ippsTriangle_Direct_16s, FourWay, IppOpStatus,                                   \
    (short *pDst, int len, short magn, float rFreq, float asym, float &phase),                     \
    (pDst, len, magn, rFreq, asym, phase))                                                         \
  X(Vizazodizaro, ippsSub_32f_I, FourWay, IppOpStatus,                                             \
    (const float *pSrc, float *pSrcDst, int len), (pSrc, pSrcDst, len))                            \
  X(Vizazodizaro, ippsSum_32f, FourWay, IppOpStatus,                                               \
    (const float *pSrc, int len, float *pSum, int hint), (pSrc, len, pSum, hint))                  \
  X(Vizazodizaro, ippsSqr_32f_I, FourWay, IppOpStatus, (float *pSrcDst, int len), (pSrcDst, len))  \
  X(Vizazodizaro, ippiConvert_16s32f_C1R, FourWay, IppOpStatus,                                    \
    (const short *pSrc, int srcStep, float *pDst, int dstStep, tagSIZE roi),                       \
    (pSrc, srcStep, pDst, dstStep, roi))                                                           \
  X(Vizazodizaro, ippiConvert_8s32f_C1R, FourWay, IppOpStatus,                                     \
    (const signed char *pSrc, int srcStep, float *pDst, int dstStep, tagSIZE roi),                 \
    (pSrc, srcStep, pDst, dstStep, roi))                                                           \
  X(Vizazodizaro, ippiConvert_32f16s_C1R, FourWay, IppOpStatus,                                    \
    (const float *pSrc, int srcStep, short *pDst, int dstStep, tagSIZE roi, int roundMode),        \
    (pSrc, srcStep, pDst, dstStep, roi, roundMode))                                                \
  X(Vizazodizaro, ippiConvert_32f8s_C1R, FourWay, IppOpStatus,                                     \
    (const float *pSrc, int srcStep, signed char *pDst, int dstStep, tagSIZE roi, int roundMode),  \
    (pSrc, srcStep, pDst, dstStep, roi, roundMode))                                                \
  X(Vizazodizaro, ippsIIRFree_32f, FourWay, IppOpStatus, (IIRState_32f * pState), (pState))        \
  X(Vizazodizaro, ippsIIRInitAlloc_32f, FourWay, IppOpStatus,                                      \
    (IIRState_32f * *ppState, const float *pTaps, int order, const float *pDlyLine),               \
    (ppState, pTaps, order, pDlyLine))                                                             \
  X(Vizazodizaro, ippsIIR_32f, ThreeWayHigh, IppOpStatus,                                          \
    (const float *pSrc, float *pDst, int len, IIRState_32f *pState), (pSrc, pDst, len, pState))    \
  X(Vizazodizaro, ippsIIR_32f_I, ThreeWayHigh, IppOpStatus,                                        \
    (float *pSrcDst, int len, IIRState_32f *pState), (pSrcDst, len, pState))                       \
  X(Vizazodizaro, ippsMulC_32f, FourWay, IppOpStatus,                                              \
    (const float *pSrc, float val, float *pDst, int len), (pSrc, val, pDst, len))                  \
  X(Vizazodizaro, ippsMulC_32f_I, FourWay, IppOpStatus, (float val, float *pSrcDst, int len),      \
    (val, pSrcDst, len))                                                                           \
  X(Vizazodizaro, ippsDivC_32f_I, FourWay, IppOpStatus, (float val, float *pSrcDst, int len),      \
    (val, pSrcDst, len))

#define SLBCBBASICDISPATCHER_CATALOGUE(X)                                                          \
  X(Slbcbbasicdispatcher, ippsReal_64fc, ThreeWayLow, IppOpStatus,                                 \
    (const Ipp64fc *pSrc, double *pDst, int len), (pSrc, pDst, len))                               \
  X(Slbcbbasicdispatcher, ippsImag_64fc, ThreeWayLow, IppOpStatus,                                 \
    (const Ipp64fc *pSrc, double *pDst, int len), (pSrc, pDst, len))                               \
  X(Slbcbbasicdispatcher, ippsRealToCplx_64f, ThreeWayLow, IppOpStatus,                            \
    (const double *pSrcRe, const double *pSrcIm, Ipp64fc *pDst, int len),                          \
    (pSrcRe, pSrcIm, pDst, len))                                                                   \
  X(Slbcbbasicdispatcher, ippsCopy_64fc, ThreeWayLow, IppOpStatus,                                 \
    (const Ipp64fc *pSrc, Ipp64fc *pDst, int len), (pSrc, pDst, len))                              \
  X(Slbcbbasicdispatcher, ippsAddC_64fc_I, ThreeWayLow, IppOpStatus,                               \
    (Ipp64fc val, Ipp64fc * pSrcDst, int len), (val, pSrcDst, len))                                \
  X(Slbcbbasicdispatcher, ippsMulC_64fc_I, ThreeWayLow, IppOpStatus,                               \
    (Ipp64fc val, Ipp64fc * pSrcDst, int len), (val, pSrcDst, len))                                \
  X(Slbcbbasicdispatcher, ippsDivC_64fc_I, ThreeWayLow, IppOpStatus,                               \
    (Ipp64fc val, Ipp64fc * pSrcDst, int len), (val, pSrcDst, len))                                \
  X(Slbcbbasicdispatcher, ippsSubC_64fc_I, ThreeWayLow, IppOpStatus,                               \
    (Ipp64fc val, Ipp64fc * pSrcDst, int len), (val, pSrcDst, len))                                \
  X(Slbcbbasicdispatcher, ippsNormalize_64fc, ThreeWayLow, IppOpStatus,                            \
    (const Ipp64fc *pSrc, Ipp64fc *pDst, int len, Ipp64fc vSub, double vDiv),                      \
    (pSrc, pDst, len, vSub, vDiv))                                                                 \
  X(Slbcbbasicdispatcher, ippsDotProd_64fc, ThreeWayLow, IppOpStatus,                              \
    (const Ipp64fc *pSrc1, const Ipp64fc *pSrc2, int len, Ipp64fc *pDp), (pSrc1, pSrc2, len, pDp)) \
  X(Slbcbbasicdispatcher, ippsThreshold_64fc_I, ThreeWayLow, IppOpStatus,                          \
    (Ipp64fc * pSrcDst, int len, double level, IppCmpOp relOp), (pSrcDst, len, level, relOp))      \
  X(Slbcbbasicdispatcher, ippsSqr_64fc_I, ThreeWayLow, IppOpStatus, (Ipp64fc * pSrcDst, int len),  \
    (pSrcDst, len))                                                                                \
  X(Slbcbbasicdispatcher, ippsAutoCorr_64fc, ThreeWayLow, IppOpStatus,                             \
    (const Ipp64fc *pSrc, int srcLen, Ipp64fc *pDst, int dstLen), (pSrc, srcLen, pDst, dstLen))    \
  X(Slbcbbasicdispatcher, ippsThreshold_64fc, ThreeWayLow, IppOpStatus,                            \
    (const Ipp64fc *pSrc, Ipp64fc *pDst, int len, double level, IppCmpOp relOp),                   \
    (pSrc, pDst, len, level, relOp))                                                               \
  X(Slbcbbasicdispatcher, ippsAutoCorr_NormA_64fc, ThreeWayLow, IppOpStatus,                       \
    (const Ipp64fc *pSrc, int srcLen, Ipp64fc *pDst, int dstLen), (pSrc, srcLen, pDst, dstLen))    \
  X(Slbcbbasicdispatcher, ippsAutoCorr_NormB_64fc, ThreeWayLow, IppOpStatus,                       \
    (const Ipp64fc *pSrc, int srcLen, Ipp64fc *pDst, int dstLen), (pSrc, srcLen, pDst, dstLen))    \
  X(Slbcbbasicdispatcher, ippsCrossCorr_64fc, ThreeWayLow, IppOpStatus,                            \
    (const Ipp64fc *pSrc1, int src1Len, const Ipp64fc *pSrc2, int src2Len, Ipp64fc *pDst,          \
     int dstLen, int lowLag),                                                                      \
    (pSrc1, src1Len, pSrc2, src2Len, pDst, dstLen, lowLag))                                        \
  X(Slbcbbasicdispatcher, ippsPhase_64fc, ThreeWayLow, IppOpStatus,                                \
    (const Ipp64fc *pSrc, double *pDst, int len), (pSrc, pDst, len))                               \
  X(Slbcbbasicdispatcher, ippsMagnitude_64fc, ThreeWayLow, IppOpStatus,                            \
    (const Ipp64fc *pSrc, double *pDst, int len), (pSrc, pDst, len))                               \
  X(Slbcbbasicdispatcher, ippsPowerSpectr_64fc, ThreeWayLow, IppOpStatus,                          \
    (const Ipp64fc *pSrc, double *pDst, int len), (pSrc, pDst, len))                               \
  X(Slbcbbasicdispatcher, ippsSqr_64fc, ThreeWayLow, IppOpStatus,                                  \
    (const Ipp64fc *pSrc, Ipp64fc *pDst, int len), (pSrc, pDst, len))                              \
  X(Slbcbbasicdispatcher, ippsSqrt_64fc_I, ThreeWayLow, IppOpStatus, (Ipp64fc * pSrcDst, int len), \
    (pSrcDst, len))                                                                                \
  X(Slbcbbasicdispatcher, ippsSqrt_64fc, ThreeWayLow, IppOpStatus,                                 \
    (const Ipp64fc *pSrc, Ipp64fc *pDst, int len), (pSrc, pDst, len))                              \
  X(Slbcbbasicdispatcher, ippsCopy_16s, ThreeWayLow, IppOpStatus,                                  \
    (const short *pSrc, short *pDst, int len), (pSrc, pDst, len))                                  \
  X(Slbcbbasicdispatcher, ippsAddC_32s_ISfs, ThreeWayLow, IppOpStatus,                             \
    (int val, int *pSrcDst, int len, int scaleFactor), (val, pSrcDst, len, scaleFactor))           \
  X(Slbcbbasicdispatcher, ippsMulC_32s_ISfs, ThreeWayLow, IppOpStatus,                             \
    (int val, int *pSrcDst, int len, int scaleFactor), (val, pSrcDst, len, scaleFactor))           \
  X(Slbcbbasicdispatcher, ippsSubC_32s_ISfs, ThreeWayLow, IppOpStatus,                             \
    (int val, int *pSrcDst, int len, int scaleFactor), (val, pSrcDst, len, scaleFactor))           \
  X(Slbcbbasicdispatcher, ippsDotProd_32s_Sfs, ThreeWayLow, IppOpStatus,                           \
    (const int *pSrc1, const int *pSrc2, int len, int *pDp, int scaleFactor),                      \
    (pSrc1, pSrc2, len, pDp, scaleFactor))                                                         \
  X(Slbcbbasicdispatcher, ippsAndC_32u_I, ThreeWayLow, IppOpStatus,                                \
    (unsigned int val, unsigned int *pSrcDst, int len), (val, pSrcDst, len))                       \
  X(Slbcbbasicdispatcher, ippsAnd_32u_I, ThreeWayLow, IppOpStatus,                                 \
    (const unsigned int *pSrc, unsigned int *pSrcDst, int len), (pSrc, pSrcDst, len))              \
  X(Slbcbbasicdispatcher, ippsOrC_32u_I, ThreeWayLow, IppOpStatus,                                 \
    (unsigned int val, unsigned int *pSrcDst, int len), (val, pSrcDst, len))                       \
  X(Slbcbbasicdispatcher, ippsOr_32u_I, ThreeWayLow, IppOpStatus,                                  \
    (const unsigned int *pSrc, unsigned int *pSrcDst, int len), (pSrc, pSrcDst, len))              \
  X(Slbcbbasicdispatcher, ippsXorC_32u_I, ThreeWayLow, IppOpStatus,                                \
    (unsigned int val, unsigned int *pSrcDst, int len), (val, pSrcDst, len))                       \
  X(Slbcbbasicdispatcher, ippsXor_32u_I, ThreeWayLow, IppOpStatus,                                 \
    (const unsigned int *pSrc, unsigned int *pSrcDst, int len), (pSrc, pSrcDst, len))              \
  X(Slbcbbasicdispatcher, ippsLShiftC_32s_I, ThreeWayLow, IppOpStatus,                             \
    (int val, int *pSrcDst, int len), (val, pSrcDst, len))                                         \
  X(Slbcbbasicdispatcher, ippsRShiftC_32s_I, ThreeWayLow, IppOpStatus,                             \
    (int val, int *pSrcDst, int len), (val, pSrcDst, len))                                         \
  X(Slbcbbasicdispatcher, ippsConvert_16s64f_Sfs, ThreeWayLow, IppOpStatus,                        \
    (const short *pSrc, double *pDst, int len, int scaleFactor), (pSrc, pDst, len, scaleFactor))   \
  X(Slbcbbasicdispatcher, ippsNormalize_64f, ThreeWayLow, IppOpStatus,                             \
    (const double *pSrc, double *pDst, int len, double vSub, double vDiv),                         \
    (pSrc, pDst, len, vSub, vDiv))                                                                 \
  X(Slbcbbasicdispatcher, ippsDotProd_64f, ThreeWayLow, IppOpStatus,                               \
    (const double *pSrc1, const double *pSrc2, int len, double *pDp), (pSrc1, pSrc2, len, pDp))    \
  X(Slbcbbasicdispatcher, ippsThreshold_64f_I, ThreeWayLow, IppOpStatus,                           \
    (double *pSrcDst, int len, double level, IppCmpOp relOp), (pSrcDst, len, level, relOp))        \
  X(Slbcbbasicdispatcher, ippsThreshold_64f, ThreeWayLow, IppOpStatus,                             \
    (const double *pSrc, double *pDst, int len, double level, IppCmpOp relOp),                     \
    (pSrc, pDst, len, level, relOp))                                                               \
  X(Slbcbbasicdispatcher, ippsAbs_64f_I, ThreeWayLow, IppOpStatus, (double *pSrcDst, int len),     \
    (pSrcDst, len))                                                                                \
  X(Slbcbbasicdispatcher, ippsAbs_64f, ThreeWayLow, IppOpStatus,                                   \
    (const double *pSrc, double *pDst, int len), (pSrc, pDst, len))                                \
  X(Slbcbbasicdispatcher, ippsSqr_64f_I, ThreeWayLow, IppOpStatus, (double *pSrcDst, int len),     \
    (pSrcDst, len))                                                                                \
  X(Slbcbbasicdispatcher, ippsSqr_64f, ThreeWayLow, IppOpStatus,                                   \
    (const double *pSrc, double *pDst, int len), (pSrc, pDst, len))                                \
  X(Slbcbbasicdispatcher, ippsSqrt_64f_I, ThreeWayLow, IppOpStatus, (double *pSrcDst, int len),    \
    (pSrcDst, len))                                                                                \
  X(Slbcbbasicdispatcher, ippsSqrt_64f, ThreeWayLow, IppOpStatus,                                  \
    (const double *pSrc, double *pDst, int len), (pSrc, pDst, len))                                \
  X(Slbcbbasicdispatcher, ippsExp_64f_I, ThreeWayLow, IppOpStatus, (double *pSrcDst, int len),     \
    (pSrcDst, len))                                                                                \
  X(Slbcbbasicdispatcher, ippsExp_64f, ThreeWayLow, IppOpStatus,                                   \
    (const double *pSrc, double *pDst, int len), (pSrc, pDst, len))                                \
  X(Slbcbbasicdispatcher, ippsLn_64f_I, ThreeWayLow, IppOpStatus, (double *pSrcDst, int len),      \
    (pSrcDst, len))                                                                                \
  X(Slbcbbasicdispatcher, ippsLn_64f, ThreeWayLow, IppOpStatus,                                    \
    (const double *pSrc, double *pDst, int len), (pSrc, pDst, len))                                \
  X(Slbcbbasicdispatcher, ippsMaxIndx_64f, ThreeWayLow, IppOpStatus,                               \
    (const double *pSrc, int len, double *pMax, int *pIndx), (pSrc, len, pMax, pIndx))             \
  X(Slbcbbasicdispatcher, ippsMinIndx_64f, ThreeWayLow, IppOpStatus,                               \
    (const double *pSrc, int len, double *pMin, int *pIndx), (pSrc, len, pMin, pIndx))             \
  X(Slbcbbasicdispatcher, ippsMean_64f, ThreeWayLow, IppOpStatus,                                  \
    (const double *pSrc, int len, double *pMean), (pSrc, len, pMean))                              \
  X(Slbcbbasicdispatcher, ippsStdDev_64f, ThreeWayLow, IppOpStatus,                                \
    (const double *pSrc, int len, double *pStdDev), (pSrc, len, pStdDev))                          \
  X(Slbcbbasicdispatcher, ippsNormDiff_L1_64f, ThreeWayLow, IppOpStatus,                           \
    (const double *pSrc1, const double *pSrc2, int len, double *pNorm),                            \
    (pSrc1, pSrc2, len, pNorm))                                                                    \
  X(Slbcbbasicdispatcher, ippsNormDiff_L2_64f, ThreeWayLow, IppOpStatus,                           \
    (const double *pSrc1, const double *pSrc2, int len, double *pNorm),                            \
    (pSrc1, pSrc2, len, pNorm))                                                                    \
  X(Slbcbbasicdispatcher, ippsNormDiff_Inf_64f, ThreeWayLow, IppOpStatus,                          \
    (const double *pSrc1, const double *pSrc2, int len, double *pNorm),                            \
    (pSrc1, pSrc2, len, pNorm))                                                                    \
  X(Slbcbbasicdispatcher, ippsConv_64f, ThreeWayLow, IppOpStatus,                                  \
    (const double *pSrc1, int src1Len, const double *pSrc2, int src2Len, double *pDst),            \
    (pSrc1, src1Len, pSrc2, src2Len, pDst))                                                        \
  X(Slbcbbasicdispatcher, ippsAutoCorr_64f, ThreeWayLow, IppOpStatus,                              \
    (const double *pSrc, int srcLen, double *pDst, int dstLen), (pSrc, srcLen, pDst, dstLen))      \
  X(Slbcbbasicdispatcher, ippsAutoCorr_NormA_64f, ThreeWayLow, IppOpStatus,                        \
    (const double *pSrc, int srcLen, double *pDst, int dstLen), (pSrc, srcLen, pDst, dstLen))      \
  X(Slbcbbasicdispatcher, ippsAutoCorr_NormB_64f, ThreeWayLow, IppOpStatus,                        \
    (const double *pSrc, int srcLen, double *pDst, int dstLen), (pSrc, srcLen, pDst, dstLen))      \
  X(Slbcbbasicdispatcher, ippsCrossCorr_64f, ThreeWayLow, IppOpStatus,                             \
    (const double *pSrc1, int src1Len, const double *pSrc2, int src2Len, double *pDst, int dstLen, \
     int lowLag),                                                                                  \
    (pSrc1, src1Len, pSrc2, src2Len, pDst, dstLen, lowLag))

#define SLBASICDISPATCHER_CATALOGUE(X)                                                             \
  X(Slbasicdispatcher, ippsAddC_32s_Sfs, FourWay, IppOpStatus,                                     \
    (const int *pSrc, int val, int *pDst, int len, int scaleFactor),                               \
    (pSrc, val, pDst, len, scaleFactor))                                                           \
  X(Slbasicdispatcher, ippsAddC_64f, FourWay, IppOpStatus,                                         \
    (const double *pSrc, double val, double *pDst, int len), (pSrc, val, pDst, len))               \
  X(Slbasicdispatcher, ippsSubC_64f, FourWay, IppOpStatus,                                         \
    (const double *pSrc, double val, double *pDst, int len), (pSrc, val, pDst, len))               \
  X(Slbasicdispatcher, ippsSubC_64f_I, FourWay, IppOpStatus,                                       \
    (double val, double *pSrcDst, int len), (val, pSrcDst, len))                                   \
  X(Slbasicdispatcher, ippsMulC_64f, FourWay, IppOpStatus,                                         \
    (const double *pSrc, double val, double *pDst, int len), (pSrc, val, pDst, len))               \
  X(Slbasicdispatcher, ippsDivC_64f, FourWay, IppOpStatus,                                         \
    (const double *pSrc, double val, double *pDst, int len), (pSrc, val, pDst, len))               \
  X(Slbasicdispatcher, ippsAddC_64f_I, FourWay, IppOpStatus,                                       \
    (double val, double *pSrcDst, int len), (val, pSrcDst, len))                                   \
  X(Slbasicdispatcher, ippsAddC_64fc, FourWay, IppOpStatus,                                        \
    (const Ipp64fc *pSrc, Ipp64fc val, Ipp64fc *pDst, int len), (pSrc, val, pDst, len))            \
  X(Slbasicdispatcher, ippsAndC_32u, FourWay, IppOpStatus,                                         \
    (const unsigned int *pSrc, unsigned int val, unsigned int *pDst, int len),                     \
    (pSrc, val, pDst, len))                                                                        \
  X(Slbasicdispatcher, ippsAdd_32s_ISfs, FourWay, IppOpStatus,                                     \
    (const int *pSrc, int *pSrcDst, int len, int scaleFactor), (pSrc, pSrcDst, len, scaleFactor))  \
  X(Slbasicdispatcher, ippsAdd_64f, FourWay, IppOpStatus,                                          \
    (const double *pSrc1, const double *pSrc2, double *pDst, int len), (pSrc1, pSrc2, pDst, len))  \
  X(Slbasicdispatcher, ippsAdd_64f_I, FourWay, IppOpStatus,                                        \
    (const double *pSrc, double *pSrcDst, int len), (pSrc, pSrcDst, len))                          \
  X(Slbasicdispatcher, ippsAdd_64fc, FourWay, IppOpStatus,                                         \
    (const Ipp64fc *pSrc1, const Ipp64fc *pSrc2, Ipp64fc *pDst, int len),                          \
    (pSrc1, pSrc2, pDst, len))                                                                     \
  X(Slbasicdispatcher, ippsAdd_64fc_I, FourWay, IppOpStatus,                                       \
    (const Ipp64fc *pSrc, Ipp64fc *pSrcDst, int len), (pSrc, pSrcDst, len))                        \
  X(Slbasicdispatcher, ippsAdd_8u_ISfs, FourWay, IppOpStatus,                                      \
    (const unsigned char *pSrc, unsigned char *pSrcDst, int len, int scaleFactor),                 \
    (pSrc, pSrcDst, len, scaleFactor))                                                             \
  X(Slbasicdispatcher, ippsConvert_32f64f, FourWay, IppOpStatus,                                   \
    (const float *pSrc, double *pDst, int len), (pSrc, pDst, len))                                 \
  X(Slbasicdispatcher, ippsCopy_64f, FourWay, IppOpStatus,                                         \
    (const double *pSrc, double *pDst, int len), (pSrc, pDst, len))                                \
  X(Slbasicdispatcher, ippsMove_64f, FourWay, IppOpStatus,                                         \
    (const double *pSrc, double *pDst, int len), (pSrc, pDst, len))                                \
  X(Slbasicdispatcher, ippsCopy_8u, FourWay, IppOpStatus,                                          \
    (const unsigned char *pSrc, unsigned char *pDst, int len), (pSrc, pDst, len))                  \
  X(Slbasicdispatcher, ippsDiv_32s_ISfs, FourWay, IppOpStatus,                                     \
    (const int *pSrc, int *pSrcDst, int len, int scaleFactor), (pSrc, pSrcDst, len, scaleFactor))  \
  X(Slbasicdispatcher, ippsDiv_64f_I, FourWay, IppOpStatus,                                        \
    (const double *pSrc, double *pSrcDst, int len), (pSrc, pSrcDst, len))                          \
  X(Slbasicdispatcher, ippsDiv_64fc_I, FourWay, IppOpStatus,                                       \
    (const Ipp64fc *pSrc, Ipp64fc *pSrcDst, int len), (pSrc, pSrcDst, len))                        \
  X(Slbasicdispatcher, ippsDivC_64f_I, FourWay, IppOpStatus,                                       \
    (double val, double *pSrcDst, int len), (val, pSrcDst, len))                                   \
  X(Slbasicdispatcher, ippsMax_64f, FourWay, IppOpStatus,                                          \
    (const double *pSrc, int len, double *pMax), (pSrc, len, pMax))                                \
  X(Slbasicdispatcher, ippsMin_64f, FourWay, IppOpStatus,                                          \
    (const double *pSrc, int len, double *pMin), (pSrc, len, pMin))                                \
  X(Slbasicdispatcher, ippsMul_32s_ISfs, FourWay, IppOpStatus,                                     \
    (const int *pSrc, int *pSrcDst, int len, int scaleFactor), (pSrc, pSrcDst, len, scaleFactor))  \
  X(Slbasicdispatcher, ippsMul_64f_I, FourWay, IppOpStatus,                                        \
    (const double *pSrc, double *pSrcDst, int len), (pSrc, pSrcDst, len))                          \
  X(Slbasicdispatcher, ippsMul_64fc_I, FourWay, IppOpStatus,                                       \
    (const Ipp64fc *pSrc, Ipp64fc *pSrcDst, int len), (pSrc, pSrcDst, len))                        \
  X(Slbasicdispatcher, ippsMul_8u_ISfs, FourWay, IppOpStatus,                                      \
    (const unsigned char *pSrc, unsigned char *pSrcDst, int len, int scaleFactor),                 \
    (pSrc, pSrcDst, len, scaleFactor))                                                             \
  X(Slbasicdispatcher, ippsMulC_64f_I, FourWay, IppOpStatus,                                       \
    (double val, double *pSrcDst, int len), (val, pSrcDst, len))                                   \
  X(Slbasicdispatcher, ippsSet_32s, FourWay, IppOpStatus, (int val, int *pDst, int len),           \
    (val, pDst, len))                                                                              \
  X(Slbasicdispatcher, ippsSet_64f, FourWay, IppOpStatus, (double val, double *pDst, int len),     \
    (val, pDst, len))                                                                              \
  X(Slbasicdispatcher, ippsSet_64fc, FourWay, IppOpStatus, (Ipp64fc val, Ipp64fc * pDst, int len), \
    (val, pDst, len))                                                                              \
  X(Slbasicdispatcher, ippsSet_8u, FourWay, IppOpStatus,                                           \
    (unsigned char val, unsigned char *pDst, int len), (val, pDst, len))                           \
  X(Slbasicdispatcher, ippsSub_32s_ISfs, FourWay, IppOpStatus,                                     \
    (const int *pSrc, int *pSrcDst, int len, int scaleFactor), (pSrc, pSrcDst, len, scaleFactor))  \
  X(Slbasicdispatcher, ippsSub_64f_I, FourWay, IppOpStatus,                                        \
    (const double *pSrc, double *pSrcDst, int len), (pSrc, pSrcDst, len))                          \
  X(Slbasicdispatcher, ippsSub_64fc_I, FourWay, IppOpStatus,                                       \
    (const Ipp64fc *pSrc, Ipp64fc *pSrcDst, int len), (pSrc, pSrcDst, len))                        \
  X(Slbasicdispatcher, ippsSub_8u_ISfs, FourWay, IppOpStatus,                                      \
    (const unsigned char *pSrc, unsigned char *pSrcDst, int len, int scaleFactor),                 \
    (pSrc, pSrcDst, len, scaleFactor))                                                             \
  X(Slbasicdispatcher, ippsSum_64f, FourWay, IppOpStatus,                                          \
    (const double *pSrc, int len, double *pSum), (pSrc, len, pSum))                                \
  X(Slbasicdispatcher, ippsVectorJaehne_64f, FourWay, IppOpStatus,                                 \
    (double *pDst, int len, double magn), (pDst, len, magn))                                       \
  X(Slbasicdispatcher, ippsWinBartlett_64f_I, FourWay, IppOpStatus, (double *pSrcDst, int len),    \
    (pSrcDst, len))                                                                                \
  X(Slbasicdispatcher, ippsWinBartlett_64f, FourWay, IppOpStatus,                                  \
    (const double *pSrc, double *pDst, int len), (pSrc, pDst, len))                                \
  X(Slbasicdispatcher, ippsWinBlackman_64f_I, FourWay, IppOpStatus,                                \
    (double *pSrcDst, int len, double alpha), (pSrcDst, len, alpha))                               \
  X(Slbasicdispatcher, ippsWinBlackman_64f, FourWay, IppOpStatus,                                  \
    (const double *pSrc, double *pDst, int len, double alpha), (pSrc, pDst, len, alpha))           \
  X(Slbasicdispatcher, ippsWinHamming_64f_I, FourWay, IppOpStatus, (double *pSrcDst, int len),     \
    (pSrcDst, len))                                                                                \
  X(Slbasicdispatcher, ippsWinHamming_64f, FourWay, IppOpStatus,                                   \
    (const double *pSrc, double *pDst, int len), (pSrc, pDst, len))                                \
  X(Slbasicdispatcher, ippsWinHann_64f_I, FourWay, IppOpStatus, (double *pSrcDst, int len),        \
    (pSrcDst, len))                                                                                \
  X(Slbasicdispatcher, ippsWinHann_64f, FourWay, IppOpStatus,                                      \
    (const double *pSrc, double *pDst, int len), (pSrc, pDst, len))                                \
  X(Slbasicdispatcher, ippsWinKaiser_64f_I, FourWay, IppOpStatus,                                  \
    (double *pSrcDst, int len, float alpha), (pSrcDst, len, alpha))                                \
  X(Slbasicdispatcher, ippsWinKaiser_64f, FourWay, IppOpStatus,                                    \
    (const double *pSrc, double *pDst, int len, float alpha), (pSrc, pDst, len, alpha))            \
  X(Slbasicdispatcher, ippsZero_16s, FourWay, IppOpStatus, (short *pDst, int len), (pDst, len))    \
  X(Slbasicdispatcher, ippsZero_32s, FourWay, IppOpStatus, (int *pDst, int len), (pDst, len))      \
  X(Slbasicdispatcher, ippsZero_64f, FourWay, IppOpStatus, (double *pDst, int len), (pDst, len))   \
  X(Slbasicdispatcher, ippsZero_64fc, FourWay, IppOpStatus, (Ipp64fc * pDst, int len),             \
    (pDst, len))                                                                                   \
  X(Slbasicdispatcher, ippsZero_8u, FourWay, IppOpStatus, (unsigned char *pDst, int len),          \
    (pDst, len))                                                                                   \
  X(Slbasicdispatcher, ippsSubC_32s_Sfs, FourWay, IppOpStatus,                                     \
    (const int *pSrc, int val, int *pDst, int len, int scaleFactor),                               \
    (pSrc, val, pDst, len, scaleFactor))                                                           \
  X(Slbasicdispatcher, ippsSubC_64fc, FourWay, IppOpStatus,                                        \
    (const Ipp64fc *pSrc, Ipp64fc val, Ipp64fc *pDst, int len), (pSrc, val, pDst, len))            \
  X(Slbasicdispatcher, ippsSubCRev_32s_Sfs, FourWay, IppOpStatus,                                  \
    (const int *pSrc, int val, int *pDst, int len, int scaleFactor),                               \
    (pSrc, val, pDst, len, scaleFactor))                                                           \
  X(Slbasicdispatcher, ippsSubCRev_64f, FourWay, IppOpStatus,                                      \
    (const double *pSrc, double val, double *pDst, int len), (pSrc, val, pDst, len))               \
  X(Slbasicdispatcher, ippsSubCRev_64fc, FourWay, IppOpStatus,                                     \
    (const Ipp64fc *pSrc, Ipp64fc val, Ipp64fc *pDst, int len), (pSrc, val, pDst, len))            \
  X(Slbasicdispatcher, ippsDivC_64fc, FourWay, IppOpStatus,                                        \
    (const Ipp64fc *pSrc, Ipp64fc val, Ipp64fc *pDst, int len), (pSrc, val, pDst, len))            \
  X(Slbasicdispatcher, ippsMulC_64fc, ThreeWayLow, IppOpStatus,                                    \
    (const Ipp64fc *pSrc, Ipp64fc val, Ipp64fc *pDst, int len), (pSrc, val, pDst, len))            \
  X(Slbasicdispatcher, ippsMulC_32s_Sfs, FourWay, IppOpStatus,                                     \
    (const int *pSrc, int val, int *pDst, int len, int scaleFactor),                               \
    (pSrc, val, pDst, len, scaleFactor))                                                           \
  X(Slbasicdispatcher, ippsOrC_32u, FourWay, IppOpStatus,                                          \
    (const unsigned int *pSrc, unsigned int val, unsigned int *pDst, int len),                     \
    (pSrc, val, pDst, len))                                                                        \
  X(Slbasicdispatcher, ippsXorC_32u, FourWay, IppOpStatus,                                         \
    (const unsigned int *pSrc, unsigned int val, unsigned int *pDst, int len),                     \
    (pSrc, val, pDst, len))                                                                        \
  X(Slbasicdispatcher, ippsLShiftC_32s, FourWay, IppOpStatus,                                      \
    (const int *pSrc, int val, int *pDst, int len), (pSrc, val, pDst, len))                        \
  X(Slbasicdispatcher, ippsRShiftC_32s, FourWay, IppOpStatus,                                      \
    (const int *pSrc, int val, int *pDst, int len), (pSrc, val, pDst, len))                        \
  X(Slbasicdispatcher, ippsConvert_64f32f, FourWay, IppOpStatus,                                   \
    (const double *pSrc, float *pDst, int len), (pSrc, pDst, len))                                 \
  X(Slbasicdispatcher, ippsConvert_64f32s_Sfs, FourWay, IppOpStatus,                               \
    (const double *pSrc, int *pDst, int len, IppRoundMode rndMode, int scaleFactor),               \
    (pSrc, pDst, len, rndMode, scaleFactor))                                                       \
  X(Slbasicdispatcher, ippsConvert_32s64f, FourWay, IppOpStatus,                                   \
    (const int *pSrc, double *pDst, int len), (pSrc, pDst, len))                                   \
  X(Slbasicdispatcher, ippiMirror_8u_C3IR, FourWay, IppOpStatus,                                   \
    (unsigned char *pSrcDst, int srcDstStep, tagSIZE roi, int flip),                               \
    (pSrcDst, srcDstStep, roi, flip))

#define ALBASICDISPATCHER_CATALOGUE(X)                                                             \
  X(Albasicdispatcher, ippiAdd_8u_C1IRSfs, FourWay, IppOpStatus,                                   \
    (const unsigned char *pSrc, int srcStep, unsigned char *pSrcDst, int srcDstStep, tagSIZE roi,  \
     int scaleFactor),                                                                             \
    (pSrc, srcStep, pSrcDst, srcDstStep, roi, scaleFactor))                                        \
  X(Albasicdispatcher, ippiAdd_16s_C1IRSfs, FourWay, IppOpStatus,                                  \
    (const short *pSrc, int srcStep, short *pSrcDst, int srcDstStep, tagSIZE roi,                  \
     int scaleFactor),                                                                             \
    (pSrc, srcStep, pSrcDst, srcDstStep, roi, scaleFactor))                                        \
  X(Albasicdispatcher, ippiSub_8u_C1IRSfs, FourWay, IppOpStatus,                                   \
    (const unsigned char *pSrc, int srcStep, unsigned char *pSrcDst, int srcDstStep, tagSIZE roi,  \
     int scaleFactor),                                                                             \
    (pSrc, srcStep, pSrcDst, srcDstStep, roi, scaleFactor))                                        \
  X(Albasicdispatcher, ippiSub_16s_C1IRSfs, FourWay, IppOpStatus,                                  \
    (const short *pSrc, int srcStep, short *pSrcDst, int srcDstStep, tagSIZE roi,                  \
     int scaleFactor),                                                                             \
    (pSrc, srcStep, pSrcDst, srcDstStep, roi, scaleFactor))                                        \
  X(Albasicdispatcher, ippiMul_8u_C1IRSfs, FourWay, IppOpStatus,                                   \
    (const unsigned char *pSrc, int srcStep, unsigned char *pSrcDst, int srcDstStep, tagSIZE roi,  \
     int scaleFactor),                                                                             \
    (pSrc, srcStep, pSrcDst, srcDstStep, roi, scaleFactor))                                        \
  X(Albasicdispatcher, ippiMul_16s_C1IRSfs, FourWay, IppOpStatus,                                  \
    (const short *pSrc, int srcStep, short *pSrcDst, int srcDstStep, tagSIZE roi,                  \
     int scaleFactor),                                                                             \
    (pSrc, srcStep, pSrcDst, srcDstStep, roi, scaleFactor))                                        \
  X(Albasicdispatcher, ippiDiv_8u_C1IRSfs, FourWay, IppOpStatus,                                   \
    (const unsigned char *pSrc, int srcStep, unsigned char *pSrcDst, int srcDstStep, tagSIZE roi,  \
     int scaleFactor),                                                                             \
    (pSrc, srcStep, pSrcDst, srcDstStep, roi, scaleFactor))                                        \
  X(Albasicdispatcher, ippiDiv_16s_C1IRSfs, FourWay, IppOpStatus,                                  \
    (const short *pSrc, int srcStep, short *pSrcDst, int srcDstStep, tagSIZE roi,                  \
     int scaleFactor),                                                                             \
    (pSrc, srcStep, pSrcDst, srcDstStep, roi, scaleFactor))                                        \
  X(Albasicdispatcher, ippsDivC_16s_ISfs, FourWay, IppOpStatus,                                    \
    (short val, short *pSrcDst, int len, int scaleFactor), (val, pSrcDst, len, scaleFactor))       \
  X(Albasicdispatcher, ippsSet_16s, FourWay, IppOpStatus, (short val, short *pDst, int len),       \
    (val, pDst, len))                                                                              \
  X(Albasicdispatcher, ippsConvert_8s16s, FourWay, IppOpStatus,                                    \
    (const signed char *pSrc, short *pDst, int len), (pSrc, pDst, len))                            \
  X(Albasicdispatcher, ippiSet_8u_C1R, ThreeWayLow, IppOpStatus,                                   \
    (unsigned char val, unsigned char *pDst, int dstStep, tagSIZE roi), (val, pDst, dstStep, roi)) \
  X(Albasicdispatcher, ippiSet_16s_C1R, ThreeWayLow, IppOpStatus,                                  \
    (short val, short *pDst, int dstStep, tagSIZE roi), (val, pDst, dstStep, roi))                 \
  X(Albasicdispatcher, ippiSet_32s_C1R, ThreeWayLow, IppOpStatus,                                  \
    (int val, int *pDst, int dstStep, tagSIZE roi), (val, pDst, dstStep, roi))                     \
  X(Albasicdispatcher, ippsAddC_8u_ISfs, ThreeWayLow, IppOpStatus,                                 \
    (unsigned char val, unsigned char *pSrcDst, int len, int scaleFactor),                         \
    (val, pSrcDst, len, scaleFactor))                                                              \
  X(Albasicdispatcher, ippsAddC_16s_ISfs, ThreeWayLow, IppOpStatus,                                \
    (short val, short *pSrcDst, int len, int scaleFactor), (val, pSrcDst, len, scaleFactor))       \
  X(Albasicdispatcher, ippiAddC_8u_C1IRSfs, ThreeWayLow, IppOpStatus,                              \
    (unsigned char val, unsigned char *pSrcDst, int srcDstStep, tagSIZE roi, int scaleFactor),     \
    (val, pSrcDst, srcDstStep, roi, scaleFactor))                                                  \
  X(Albasicdispatcher, ippiAddC_16s_C1IRSfs, ThreeWayLow, IppOpStatus,                             \
    (short val, short *pSrcDst, int srcDstStep, tagSIZE roi, int scaleFactor),                     \
    (val, pSrcDst, srcDstStep, roi, scaleFactor))                                                  \
  X(Albasicdispatcher, ippsSubC_8u_ISfs, ThreeWayLow, IppOpStatus,                                 \
    (unsigned char val, unsigned char *pSrcDst, int len, int scaleFactor),                         \
    (val, pSrcDst, len, scaleFactor))                                                              \
  X(Albasicdispatcher, ippsSubC_16s_ISfs, ThreeWayLow, IppOpStatus,                                \
    (short val, short *pSrcDst, int len, int scaleFactor), (val, pSrcDst, len, scaleFactor))       \
  X(Albasicdispatcher, ippiSubC_8u_C1IRSfs, ThreeWayLow, IppOpStatus,                              \
    (unsigned char val, unsigned char *pSrcDst, int srcDstStep, tagSIZE roi, int scaleFactor),     \
    (val, pSrcDst, srcDstStep, roi, scaleFactor))                                                  \
  X(Albasicdispatcher, ippiSubC_16s_C1IRSfs, ThreeWayLow, IppOpStatus,                             \
    (short val, short *pSrcDst, int srcDstStep, tagSIZE roi, int scaleFactor),                     \
    (val, pSrcDst, srcDstStep, roi, scaleFactor))                                                  \
  X(Albasicdispatcher, ippsMulC_8u_ISfs, ThreeWayLow, IppOpStatus,                                 \
    (unsigned char val, unsigned char *pSrcDst, int len, int scaleFactor),                         \
    (val, pSrcDst, len, scaleFactor))                                                              \
  X(Albasicdispatcher, ippsMulC_16s_ISfs, ThreeWayLow, IppOpStatus,                                \
    (short val, short *pSrcDst, int len, int scaleFactor), (val, pSrcDst, len, scaleFactor))       \
  X(Albasicdispatcher, ippiMulC_8u_C1IRSfs, ThreeWayLow, IppOpStatus,                              \
    (unsigned char val, unsigned char *pSrcDst, int srcDstStep, tagSIZE roi, int scaleFactor),     \
    (val, pSrcDst, srcDstStep, roi, scaleFactor))                                                  \
  X(Albasicdispatcher, ippiMulC_16s_C1IRSfs, ThreeWayLow, IppOpStatus,                             \
    (short val, short *pSrcDst, int srcDstStep, tagSIZE roi, int scaleFactor),                     \
    (val, pSrcDst, srcDstStep, roi, scaleFactor))                                                  \
  X(Albasicdispatcher, ippiDivC_8u_C1IRSfs, ThreeWayLow, IppOpStatus,                              \
    (unsigned char val, unsigned char *pSrcDst, int srcDstStep, tagSIZE roi, int scaleFactor),     \
    (val, pSrcDst, srcDstStep, roi, scaleFactor))                                                  \
  X(Albasicdispatcher, ippiDivC_16s_C1IRSfs, ThreeWayLow, IppOpStatus,                             \
    (short val, short *pSrcDst, int srcDstStep, tagSIZE roi, int scaleFactor),                     \
    (val, pSrcDst, srcDstStep, roi, scaleFactor))                                                  \
  X(Albasicdispatcher, ippiCopy_8u_C1R, FourWay, IppOpStatus,                                      \
    (const unsigned char *pSrc, int srcStep, unsigned char *pDst, int dstStep, tagSIZE roi),       \
    (pSrc, srcStep, pDst, dstStep, roi))                                                           \
  X(Albasicdispatcher, ippiCopy_16s_C1R, FourWay, IppOpStatus,                                     \
    (const short *pSrc, int srcStep, short *pDst, int dstStep, tagSIZE roi),                       \
    (pSrc, srcStep, pDst, dstStep, roi))                                                           \
  X(Albasicdispatcher, ippiCopy_32s_C1R, FourWay, IppOpStatus,                                     \
    (const int *pSrc, int srcStep, int *pDst, int dstStep, tagSIZE roi),                           \
    (pSrc, srcStep, pDst, dstStep, roi))                                                           \
  X(Albasicdispatcher, ippiConvert_8u16u_C1R, FourWay, IppOpStatus,                                \
    (const unsigned char *pSrc, int srcStep, unsigned short *pDst, int dstStep, tagSIZE roi),      \
    (pSrc, srcStep, pDst, dstStep, roi))                                                           \
  X(Albasicdispatcher, ippiConvert_8u32f_C1R, FourWay, IppOpStatus,                                \
    (const unsigned char *pSrc, int srcStep, float *pDst, int dstStep, tagSIZE roi),               \
    (pSrc, srcStep, pDst, dstStep, roi))                                                           \
  X(Albasicdispatcher, ippiScale_8u16s_C1R, FourWay, IppOpStatus,                                  \
    (const unsigned char *pSrc, int srcStep, short *pDst, int dstStep, tagSIZE roi),               \
    (pSrc, srcStep, pDst, dstStep, roi))                                                           \
  X(Albasicdispatcher, ippiScale_8u32s_C1R, FourWay, IppOpStatus,                                  \
    (const unsigned char *pSrc, int srcStep, int *pDst, int dstStep, tagSIZE roi),                 \
    (pSrc, srcStep, pDst, dstStep, roi))                                                           \
  X(Albasicdispatcher, ippiScale_16s8u_C1R, FourWay, IppOpStatus,                                  \
    (const short *pSrc, int srcStep, unsigned char *pDst, int dstStep, tagSIZE roi, int hint),     \
    (pSrc, srcStep, pDst, dstStep, roi, hint))                                                     \
  X(Albasicdispatcher, ippiScale_32s8u_C1R, FourWay, IppOpStatus,                                  \
    (const int *pSrc, int srcStep, unsigned char *pDst, int dstStep, tagSIZE roi, int hint),       \
    (pSrc, srcStep, pDst, dstStep, roi, hint))

#define DISPATCH_CATALOGUE(X)                                                                      \
  SLSCOPEDISPATCHER_CATALOGUE(X)                                                                   \
  VIZAZODIZARO_CATALOGUE(X)                                                                        \
  SLBCBBASICDISPATCHER_CATALOGUE(X)                                                                \
  SLBASICDISPATCHER_CATALOGUE(X)                                                                   \
  ALBASICDISPATCHER_CATALOGUE(X)

// Which kernel each processor class runs, per operation:
// W(unit, operation, codes 16-17 entry, codes 6-9 entry, code 5 entry), each entry
//   Own(entry)       a kernel of its own (kernels/*, same signature as the generic), by the
//                    name of that class's entry: <operation>_Sse3, _Sse2 or _Sse,
//   GenericByDesign  the class runs the generic variant because that is its design,
//   NotYetBuilt      the class is meant to have a kernel that does not exist yet.
// An operation without a row here is NotYetBuilt in every class. Either way a slot then
// holds the generic variant, and the catalogue (dispatch::Catalogue) says which it was.
// Code 5's x87 loops are the generic extended-precision code (GenericByDesign); its SSE
// loops run the SSE2 kernels, since the 8-byte register code would share the x87 stack.
// Each kernel folder keeps its rows in a header of its own (VariantWiring*.h), next to
// the declarations of its kernels. Expanded in namespace dispatch by Dispatch.h.
#define DISPATCH_VARIANT_WIRING(W)                                                                 \
  DISPATCH_WIRING_BASIC(W)                                                                         \
  DISPATCH_WIRING_AUDIO(W)                                                                         \
  DISPATCH_WIRING_SIGNAL(W)                                                                        \
  DISPATCH_WIRING_FFT(W)
