// Generic variants of the real convolution and of the real and complex correlations.
// Short inputs are summed directly in extended precision; long ones go through the
// double-precision FFT (real transforms for doubles, complex ones for Ipp64fc).
// A transform path takes its record, work area and scratch before it writes anything,
// so every failure leaves the destination as it was and releases what it took.
#include "framework/dispatch/GenericCorrConv.h"

#include <algorithm>
#include <cstdint>

#include "framework/dispatch/GenericAlloc.h"
#include "framework/dispatch/GenericHelpers.h"
#include "framework/dispatch/Slbcbbasicdispatcher.h"
#include "kernels/common/CorrConvSteps.h"
#include "kernels/fft-real/FFTReal64.h"

namespace dispatch_filters {

namespace {

namespace cc = kernels::corrconv;
namespace fft = kernels::fft_real;

// The generic transforms of each element type, the spectrum products in extended
// precision.
struct RealFft {
  using Elem = double;
  using Spec = FFTSpec_R_64f;
  static IppOpStatus init(Spec **pp, int order) {
    return fft::ippsFFTInitAlloc_R_64f(pp, order, fft::kFFTDivInvByN, 0);
  }
  static IppOpStatus bufSize(const Spec *p, int *bytes) {
    return fft::ippsFFTGetBufSize_R_64f(p, bytes);
  }
  static void release(Spec *p) { fft::ippsFFTFree_R_64f(p); }
  static IppOpStatus forwardPerm(double *a, const Spec *p, std::uint8_t *w) {
    return fft::ippsFFTFwd_RToPerm_64f(a, a, p, w);
  }
  static IppOpStatus inversePerm(double *a, const Spec *p, std::uint8_t *w) {
    return fft::ippsFFTInv_PermToR_64f(a, a, p, w);
  }
  static IppOpStatus forward(double *a, const Spec *p, std::uint8_t *w) {
    return fft::ippsFFTFwd_RToPack_64f(a, a, p, w);
  }
  static IppOpStatus inverse(const double *a, double *d, const Spec *p, std::uint8_t *w) {
    return fft::ippsFFTInv_PackToR_64f(a, d, p, w);
  }
  static void mulPerm(const double *pSrc, double *pSrcDst, long long n) {
    cc::mulPermSteps<ext>(pSrc, pSrcDst, n);
  }
  static void mulConj(const double *pSrc, double *pSrcDst, long long n) {
    cc::mulPackConjSteps<ext>(pSrc, pSrcDst, n);
  }
};

struct ComplexFft {
  using Elem = Ipp64fc;
  using Spec = FFTSpec_C_64fc;
  static IppOpStatus init(Spec **pp, int order) {
    return fft::ippsFFTInitAlloc_C_64fc(pp, order, fft::kFFTDivInvByN, 0);
  }
  static IppOpStatus bufSize(const Spec *p, int *bytes) {
    return fft::ippsFFTGetBufSize_C_64fc(p, bytes);
  }
  static void release(Spec *p) { fft::ippsFFTFree_C_64fc(p); }
  static IppOpStatus forward(Ipp64fc *a, const Spec *p, std::uint8_t *w) {
    return fft::ippsFFTFwd_CToC_64fc(a, a, p, w);
  }
  static IppOpStatus inverse(const Ipp64fc *a, Ipp64fc *d, const Spec *p, std::uint8_t *w) {
    return fft::ippsFFTInv_CToC_64fc(a, d, p, w);
  }
  static void mulConj(const Ipp64fc *pSrc, Ipp64fc *pSrcDst, long long n) {
    cc::mulConjExtended(pSrc, pSrcDst, n);
  }
};

void scale(double &v, double f) { v *= f; }
void scale(Ipp64fc &v, double f) { v = {v.re * f, v.im * f}; }

// The generic level of the shared steps: direct sums in extended precision, rounded once
// per lag or after every product; plain copies; scratch from the filter block counter.
struct GenericLevel {
  static constexpr int convOutputs = kConvDirectOutputs;
  static constexpr int convTaps = kConvDirectTaps;
  static constexpr int convRatio = kConvLengthRatio;
  static constexpr int autoCorrDirectLags = kAutoCorrDirectLags;
  static constexpr int autoCorrDirectLagsComplex = kAutoCorrDirectLagsComplex;
  using RealFft = dispatch_filters::RealFft;
  using ComplexFft = dispatch_filters::ComplexFft;

  template <class T> static void copy(const T *src, T *dst, long long n) {
    if (n > 0)
      std::copy(src, src + n, dst);
  }
  template <class T> static void zero(T *dst, long long n) {
    std::fill(dst, dst + std::max(0LL, n), T{});
  }
  static void *alloc(long long bytes) { return blockAlloc(bytes); }
  static void release(void *p) { blockFree(p); }
  static void convPiece(const double *a, int la, const double *b, int lb, double *d) {
    cc::convPieceExtended(a, la, b, lb, d);
  }
  template <class T> static T crossLag(const T *x1, int len1, const T *x2, int len2, long long k) {
    return cc::crossLagExtended(x1, len1, x2, len2, k);
  }
  template <class T> static void autoCorrLags(const T *x, int srcLen, T *dst, int n) {
    for (int k = 0; k < n; ++k)
      dst[k] = cc::crossLagExtended(x, srcLen, x, srcLen, k);
  }
  static bool crossCorrTakesTransform(long long lags, int len1, int len2) {
    return dispatch_filters::crossCorrTakesTransform(lags, len1, len2);
  }
  template <class T> static void scaleLags(T *dst, int n, double f) {
    for (int k = 0; k < n; ++k)
      scale(dst[k], f);
  }
};

} // namespace

bool crossCorrTakesTransform(long long lags, int len1, int len2) {
  const long long shorter = std::min(len1, len2);
  const long long longer = std::max(len1, len2);
  // lags·shorter / longer, truncated, compared with the estimate threshold exactly.
  return lags * shorter >= kCrossCorrEstimate * longer;
}

} // namespace dispatch_filters

using namespace dispatch_filters;

namespace Slbcbbasicdispatcher::generic {

IppOpStatus ippsConv_64f(const double *pSrc1, int len1, const double *pSrc2, int len2,
                         double *pDst) {
  return cc::conv<GenericLevel>(pSrc1, len1, pSrc2, len2, pDst);
}

IppOpStatus ippsAutoCorr_64f(const double *pSrc, int srcLen, double *pDst, int dstLen) {
  return cc::autoCorr<GenericLevel>(pSrc, srcLen, pDst, dstLen, cc::Norm::None);
}

IppOpStatus ippsAutoCorr_NormA_64f(const double *pSrc, int srcLen, double *pDst, int dstLen) {
  return cc::autoCorr<GenericLevel>(pSrc, srcLen, pDst, dstLen, cc::Norm::A);
}

IppOpStatus ippsAutoCorr_NormB_64f(const double *pSrc, int srcLen, double *pDst, int dstLen) {
  return cc::autoCorr<GenericLevel>(pSrc, srcLen, pDst, dstLen, cc::Norm::B);
}

IppOpStatus ippsCrossCorr_64f(const double *pSrc1, int src1Len, const double *pSrc2, int src2Len,
                              double *pDst, int dstLen, int lowLag) {
  return cc::crossCorr<GenericLevel>(pSrc1, src1Len, pSrc2, src2Len, pDst, dstLen, lowLag);
}

IppOpStatus ippsAutoCorr_64fc(const Ipp64fc *pSrc, int srcLen, Ipp64fc *pDst, int dstLen) {
  return cc::autoCorr<GenericLevel>(pSrc, srcLen, pDst, dstLen, cc::Norm::None);
}

IppOpStatus ippsAutoCorr_NormA_64fc(const Ipp64fc *pSrc, int srcLen, Ipp64fc *pDst, int dstLen) {
  return cc::autoCorr<GenericLevel>(pSrc, srcLen, pDst, dstLen, cc::Norm::A);
}

IppOpStatus ippsAutoCorr_NormB_64fc(const Ipp64fc *pSrc, int srcLen, Ipp64fc *pDst, int dstLen) {
  return cc::autoCorr<GenericLevel>(pSrc, srcLen, pDst, dstLen, cc::Norm::B);
}

IppOpStatus ippsCrossCorr_64fc(const Ipp64fc *pSrc1, int src1Len, const Ipp64fc *pSrc2, int src2Len,
                               Ipp64fc *pDst, int dstLen, int lowLag) {
  return cc::crossCorr<GenericLevel>(pSrc1, src1Len, pSrc2, src2Len, pDst, dstLen, lowLag);
}

} // namespace Slbcbbasicdispatcher::generic
