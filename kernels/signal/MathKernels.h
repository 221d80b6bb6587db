// Exponential, natural logarithm and phase of double vectors for codes 6 and 5, and the
// inner routines that walk the vectors.
//
// Special elements (NaNs, infinities, zeros, negatives, the overflow and underflow ranges)
// give the generic's bits and warnings; every other element is within 1 ulp of the
// correctly rounded result. The exponential keeps the generic's two rules: below four
// elements results may be subnormal and a NaN passes as it is, from four elements on
// results below the normal range are +0.0 and NaNs other than a positive quiet one
// become the default NaN.
#pragma once

#include "kernels/common/IppTypes.h"

namespace kernels::signal {

// Inner routines: pointers valid, len >= 1, source and destination equal or apart.
// The logarithms return 0, 2 when the first special element below or at zero was +0.0,
// or 4 when it was negative (-0.0 and negative NaNs included).
void ownsExp_64f_Sse2(const double *pSrc, double *pDst, int len);
void ownsExp_64f_I_Sse2(double *pSrcDst, int len);
int ownsLn_64f_Sse2(const double *pSrc, double *pDst, int len);
void ownsPhase_64fc_Sse2(const Ipp64fc *pSrc, double *pDst, int len);

// The x87 forms, in 53-bit precision with all exceptions masked (control word 0x02FF),
// the caller's control word restored before they return.
void ownsExp_64f_Sse(const double *pSrc, double *pDst, int len);
void ownsExp_64f_I_Sse(double *pSrcDst, int len);
int ownsLn_64f_Sse(const double *pSrc, double *pDst, int len);

} // namespace kernels::signal

namespace kernels::signal::sse2 {
IppOpStatus ippsExp_64f_I(double *pSrcDst, int len);
IppOpStatus ippsExp_64f(const double *pSrc, double *pDst, int len);
IppOpStatus ippsLn_64f_I(double *pSrcDst, int len);
IppOpStatus ippsLn_64f(const double *pSrc, double *pDst, int len);
IppOpStatus ippsPhase_64fc(const Ipp64fc *pSrc, double *pDst, int len);
} // namespace kernels::signal::sse2

namespace kernels::signal::sse {
IppOpStatus ippsExp_64f_I(double *pSrcDst, int len);
IppOpStatus ippsExp_64f(const double *pSrc, double *pDst, int len);
IppOpStatus ippsLn_64f_I(double *pSrcDst, int len);
IppOpStatus ippsLn_64f(const double *pSrc, double *pDst, int len);
} // namespace kernels::signal::sse

// The entries of each processor class, by the names the wiring table gives them: each
// names the body above that serves its class (codes 16-17 run the generic code).
namespace kernels::signal {
inline constexpr auto ippsPhase_64fc_Sse2 = &sse2::ippsPhase_64fc;
inline constexpr auto ippsExp_64f_I_Sse2 = &sse2::ippsExp_64f_I;
inline constexpr auto ippsExp_64f_I_Sse = &sse::ippsExp_64f_I;
inline constexpr auto ippsExp_64f_Sse2 = &sse2::ippsExp_64f;
inline constexpr auto ippsExp_64f_Sse = &sse::ippsExp_64f;
inline constexpr auto ippsLn_64f_I_Sse2 = &sse2::ippsLn_64f_I;
inline constexpr auto ippsLn_64f_I_Sse = &sse::ippsLn_64f_I;
inline constexpr auto ippsLn_64f_Sse2 = &sse2::ippsLn_64f;
inline constexpr auto ippsLn_64f_Sse = &sse::ippsLn_64f;
} // namespace kernels::signal
