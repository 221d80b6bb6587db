// Code 5 and code 6 variants of the real convolution and of the real and complex
// correlations.
//
// Both classes follow the generic's paths (direct sums; one transform of the whole
// result; overlap-save blocks for a long signal and a short kernel) with thresholds of
// their own, and run the transforms of their own class. Code 5 sums and multiplies
// spectra in extended precision, as the generic does; code 6 does both in double on
// 16-byte registers. A transform path takes its record, work area and scratch before it
// writes anything, so a failure leaves the destination as it was and releases what it
// took.
#include <algorithm>
#include <cstring>
#include <type_traits>

#include <emmintrin.h>

#include "kernels/common/CorrConvSteps.h"
#include "kernels/common/CountedBlocks.h"
#include "kernels/fft-real/FFTReal64.h"
#include "kernels/signal/SignalCorrConv.h"

namespace kernels::signal {

namespace {

namespace cc = kernels::corrconv;
namespace fft = kernels::fft_real;
using ext = long double;
using std::size_t;

TCountedBlocks &blocks() {
  static TCountedBlocks b;
  return b;
}

// The class's copy and zero of n elements (n may be 0).
template <bool Sse2, class T> void copyN(const T *src, T *dst, long long n) {
  if (n <= 0)
    return;
  const size_t bytes = static_cast<size_t>(n) * sizeof(T);
  if constexpr (Sse2)
    sse2::ownsCopy_8u_Sse2(src, dst, bytes);
  else
    sse::CopyBytes(src, dst, bytes);
}

template <bool Sse2, class T> void zeroN(T *dst, long long n) {
  if (n <= 0)
    return;
  const size_t bytes = static_cast<size_t>(n) * sizeof(T);
  if constexpr (Sse2)
    sse2::ownsZero_8u_Sse2(dst, bytes);
  else
    sse::ZeroBytes(dst, bytes);
}

// Tests, then the product over len elements.
template <void (*Steps)(const double *, double *, long long)>
IppOpStatus spectrumProduct(const double *pSrc, double *pSrcDst, int len) {
  if (!pSrc || !pSrcDst)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  Steps(pSrc, pSrcDst, len);
  return ippStsNoErr;
}

} // namespace

// The classes' spectrum products: code 6 rounds every product and sum to double, code 5
// keeps them in extended precision as the generic. The transform paths pass valid
// arguments only and do not read the status.
IppOpStatus ippsMulPerm_64f_I_Sse2(const double *pSrc, double *pSrcDst, int len) {
  return spectrumProduct<cc::mulPermSteps<double>>(pSrc, pSrcDst, len);
}

IppOpStatus ippsMulPerm_64f_I_Sse(const double *pSrc, double *pSrcDst, int len) {
  return spectrumProduct<cc::mulPermSteps<ext>>(pSrc, pSrcDst, len);
}

IppOpStatus ippsMulPackConj_64f_I_Sse2(const double *pSrc, double *pSrcDst, int len) {
  return spectrumProduct<cc::mulPackConjSteps<double>>(pSrc, pSrcDst, len);
}

IppOpStatus ippsMulPackConj_64f_I_Sse(const double *pSrc, double *pSrcDst, int len) {
  return spectrumProduct<cc::mulPackConjSteps<ext>>(pSrc, pSrcDst, len);
}

namespace {

// Transform lengths are powers of two up to 2^30, so they pass as int.
template <bool Sse2> void mulPackConj(const double *pSrc, double *pSrcDst, long long n) {
  (Sse2 ? ippsMulPackConj_64f_I_Sse2 : ippsMulPackConj_64f_I_Sse)(pSrc, pSrcDst,
                                                                  static_cast<int>(n));
}

// Complex spectra: pSrcDst := pSrc · conj(pSrcDst), element by element.
template <bool Sse2> void mulConjComplex(const Ipp64fc *pSrc, Ipp64fc *pSrcDst, long long n) {
  if constexpr (Sse2) {
    const __m128d flip = _mm_set_pd(-0.0, 0.0); // negates the high lane
    for (long long i = 0; i < n; ++i) {
      const __m128d s = _mm_loadu_pd(&pSrc[i].re);
      const __m128d d = _mm_loadu_pd(&pSrcDst[i].re);
      // (sr·dr, si·dr) + (si·di, -(sr·di))
      const __m128d p = _mm_mul_pd(s, _mm_unpacklo_pd(d, d));
      const __m128d q = _mm_mul_pd(_mm_shuffle_pd(s, s, 1), _mm_unpackhi_pd(d, d));
      _mm_storeu_pd(&pSrcDst[i].re, _mm_add_pd(p, _mm_xor_pd(q, flip)));
    }
  } else {
    cc::mulConjExtended(pSrc, pSrcDst, n);
  }
}

// --- transforms of each class ----------------------------------------------------------

template <bool Sse2> struct RealFft {
  using Elem = double;
  using Spec = FFTSpec_R_64f;
  static IppOpStatus init(Spec **pp, int order) {
    return Sse2 ? fft::ippsFFTInitAlloc_R_64f_Sse2(pp, order, fft::kFFTDivInvByN, 0)
                : fft::ippsFFTInitAlloc_R_64f_Sse(pp, order, fft::kFFTDivInvByN, 0);
  }
  static IppOpStatus bufSize(const Spec *p, int *bytes) {
    return Sse2 ? fft::ippsFFTGetBufSize_R_64f_Sse2(p, bytes)
                : fft::ippsFFTGetBufSize_R_64f_Sse(p, bytes);
  }
  static void release(Spec *p) {
    if (Sse2)
      fft::ippsFFTFree_R_64f_Sse2(p);
    else
      fft::ippsFFTFree_R_64f_Sse(p);
  }
  static IppOpStatus forwardPerm(double *a, const Spec *p, std::uint8_t *w) {
    return Sse2 ? fft::ippsFFTFwd_RToPerm_64f_Sse2(a, a, p, w)
                : fft::ippsFFTFwd_RToPerm_64f_Sse(a, a, p, w);
  }
  static IppOpStatus inversePerm(double *a, const Spec *p, std::uint8_t *w) {
    return Sse2 ? fft::ippsFFTInv_PermToR_64f_Sse2(a, a, p, w)
                : fft::ippsFFTInv_PermToR_64f_Sse(a, a, p, w);
  }
  static IppOpStatus forward(double *a, const Spec *p, std::uint8_t *w) {
    return Sse2 ? fft::ippsFFTFwd_RToPack_64f_Sse2(a, a, p, w)
                : fft::ippsFFTFwd_RToPack_64f_Sse(a, a, p, w);
  }
  static IppOpStatus inverse(const double *a, double *d, const Spec *p, std::uint8_t *w) {
    return Sse2 ? fft::ippsFFTInv_PackToR_64f_Sse2(a, d, p, w)
                : fft::ippsFFTInv_PackToR_64f_Sse(a, d, p, w);
  }
  static void mulPerm(const double *pSrc, double *pSrcDst, long long n) {
    (Sse2 ? ippsMulPerm_64f_I_Sse2 : ippsMulPerm_64f_I_Sse)(pSrc, pSrcDst, static_cast<int>(n));
  }
  static void mulConj(const double *pSrc, double *pSrcDst, long long n) {
    mulPackConj<Sse2>(pSrc, pSrcDst, n);
  }
};

template <bool Sse2> struct ComplexFft {
  using Elem = Ipp64fc;
  using Spec = FFTSpec_C_64fc;
  static IppOpStatus init(Spec **pp, int order) {
    return Sse2 ? fft::ippsFFTInitAlloc_C_64fc_Sse2(pp, order, fft::kFFTDivInvByN, 0)
                : fft::ippsFFTInitAlloc_C_64fc_Sse(pp, order, fft::kFFTDivInvByN, 0);
  }
  static IppOpStatus bufSize(const Spec *p, int *bytes) {
    return Sse2 ? fft::ippsFFTGetBufSize_C_64fc_Sse2(p, bytes)
                : fft::ippsFFTGetBufSize_C_64fc_Sse(p, bytes);
  }
  static void release(Spec *p) {
    if (Sse2)
      fft::ippsFFTFree_C_64fc_Sse2(p);
    else
      fft::ippsFFTFree_C_64fc_Sse(p);
  }
  static IppOpStatus forward(Ipp64fc *a, const Spec *p, std::uint8_t *w) {
    return Sse2 ? fft::ippsFFTFwd_CToC_64fc_Sse2(a, a, p, w)
                : fft::ippsFFTFwd_CToC_64fc_Sse(a, a, p, w);
  }
  static IppOpStatus inverse(const Ipp64fc *a, Ipp64fc *d, const Spec *p, std::uint8_t *w) {
    return Sse2 ? fft::ippsFFTInv_CToC_64fc_Sse2(a, d, p, w)
                : fft::ippsFFTInv_CToC_64fc_Sse(a, d, p, w);
  }
  static void mulConj(const Ipp64fc *pSrc, Ipp64fc *pSrcDst, long long n) {
    mulConjComplex<Sse2>(pSrc, pSrcDst, n);
  }
};

// --- correlation ---------------------------------------------------------------------

// x[0 .. n) · y[0 .. n) in double: two lanes, four products a step, then two, then one;
// the lanes are added at the end.
double dotDouble(const double *x, const double *y, long long n) {
  __m128d s0 = _mm_setzero_pd(), s1 = _mm_setzero_pd();
  long long i = 0;
  for (; i + 4 <= n; i += 4) {
    s0 = _mm_add_pd(s0, _mm_mul_pd(_mm_loadu_pd(x + i), _mm_loadu_pd(y + i)));
    s1 = _mm_add_pd(s1, _mm_mul_pd(_mm_loadu_pd(x + i + 2), _mm_loadu_pd(y + i + 2)));
  }
  if (i + 2 <= n) {
    s0 = _mm_add_pd(s0, _mm_mul_pd(_mm_loadu_pd(x + i), _mm_loadu_pd(y + i)));
    i += 2;
  }
  s0 = _mm_add_pd(s0, s1);
  double r = _mm_cvtsd_f64(s0) + _mm_cvtsd_f64(_mm_unpackhi_pd(s0, s0));
  if (i < n)
    r += x[i] * y[i];
  return r;
}

// sum of conj(x[j])·y[j] in double: (a, b)·(c, d) adds (a·c + b·d, a·d - b·c).
Ipp64fc dotConjDouble(const Ipp64fc *x, const Ipp64fc *y, long long n) {
  const __m128d flip = _mm_set_pd(-0.0, 0.0);
  __m128d s0 = _mm_setzero_pd(), s1 = _mm_setzero_pd();
  auto term = [&](long long j) {
    const __m128d xv = _mm_loadu_pd(&x[j].re);
    const __m128d yv = _mm_loadu_pd(&y[j].re);
    const __m128d p = _mm_mul_pd(_mm_unpacklo_pd(xv, xv), yv);                        // (ac, ad)
    const __m128d q = _mm_mul_pd(_mm_unpackhi_pd(xv, xv), _mm_shuffle_pd(yv, yv, 1)); // (bd, bc)
    return _mm_add_pd(p, _mm_xor_pd(q, flip));
  };
  long long j = 0;
  for (; j + 2 <= n; j += 2) {
    s0 = _mm_add_pd(s0, term(j));
    s1 = _mm_add_pd(s1, term(j + 1));
  }
  if (j < n)
    s0 = _mm_add_pd(s0, term(j));
  Ipp64fc r;
  _mm_storeu_pd(&r.re, _mm_add_pd(s0, s1));
  return r;
}

// Lag k of the cross-correlation over the overlap of the two inputs: code 5 in extended
// precision rounded once, as the generic; code 6 in double.
template <bool Sse2, class T>
T crossLag(const T *x1, int len1, const T *x2, int len2, long long k) {
  const long long from = std::max(0LL, -k);
  const long long to = std::min<long long>(len1, len2 - k);
  if constexpr (Sse2) {
    if constexpr (std::is_same_v<T, double>)
      return dotDouble(x1 + from, x2 + from + k, to - from);
    else
      return dotConjDouble(x1 + from, x2 + from + k, to - from);
  } else {
    return cc::crossLagExtended(x1, len1, x2, len2, k);
  }
}

// Lags 0 .. n-1 (n <= srcLen), each summed on its own.
template <bool Sse2, class T> void autoCorrLags(const T *x, int srcLen, T *dst, int n) {
  for (int k = 0; k < n; ++k)
    dst[k] = crossLag<Sse2>(x, srcLen, x, srcLen, k);
}

void ownsAutoCorrDirect_64f_Sse2(const double *x, int srcLen, double *dst, int n) {
  autoCorrLags<true>(x, srcLen, dst, n);
}

void ownsAutoCorrDirect_64fc_Sse2(const Ipp64fc *x, int srcLen, Ipp64fc *dst, int n) {
  autoCorrLags<true>(x, srcLen, dst, n);
}

// Code 5's real loop; its complex lags are the generic's loop in extended precision.
void ownsAutoCorrDirect_64f_Sse(const double *x, int srcLen, double *dst, int n) {
  autoCorrLags<false>(x, srcLen, dst, n);
}

template <bool Sse2, class T> void autoCorrDirect(const T *x, int srcLen, T *dst, int n) {
  if constexpr (Sse2 && std::is_same_v<T, double>)
    ownsAutoCorrDirect_64f_Sse2(x, srcLen, dst, n);
  else if constexpr (Sse2)
    ownsAutoCorrDirect_64fc_Sse2(x, srcLen, dst, n);
  else if constexpr (std::is_same_v<T, double>)
    ownsAutoCorrDirect_64f_Sse(x, srcLen, dst, n);
  else
    autoCorrLags<false>(x, srcLen, dst, n);
}

// Each double times val, two per register: one rounding, so code 5 shares the loop.
void ownsMulC_64f_I_Sse2(double val, double *pSrcDst, std::size_t n) {
  const __m128d v = _mm_set1_pd(val);
  std::size_t i = 0;
  for (; i + 2 <= n; i += 2)
    _mm_storeu_pd(pSrcDst + i, _mm_mul_pd(_mm_loadu_pd(pSrcDst + i), v));
  if (i < n)
    pSrcDst[i] *= val;
}

// The shared steps' level of each class: its thresholds, copies, transforms and direct
// sums; scratch from this unit's block counter.
template <bool Sse2> struct SignalLevel {
  static constexpr CorrConvThresholds kThresholds = Sse2 ? kSse2Thresholds : kSseThresholds;
  static constexpr int convOutputs = kThresholds.convOutputs;
  static constexpr int convTaps = kThresholds.convTaps;
  static constexpr int convRatio = 3;
  static constexpr int autoCorrDirectLags = kThresholds.autoCorrLags;
  static constexpr int autoCorrDirectLagsComplex = kThresholds.autoCorrLagsComplex;
  using RealFft = signal::RealFft<Sse2>;
  using ComplexFft = signal::ComplexFft<Sse2>;

  template <class T> static void copy(const T *src, T *dst, long long n) {
    copyN<Sse2>(src, dst, n);
  }
  template <class T> static void zero(T *dst, long long n) { zeroN<Sse2>(dst, n); }
  static void *alloc(long long bytes) { return blocks().Alloc(bytes); }
  static void release(void *p) { blocks().Free(p); }
  static void convPiece(const double *a, int la, const double *b, int lb, double *d) {
    if constexpr (Sse2)
      sse2::ownsConvDirect_64f_Sse2(a, la, b, lb, d);
    else
      cc::convPieceExtended(a, la, b, lb, d);
  }
  template <class T> static T crossLag(const T *x1, int len1, const T *x2, int len2, long long k) {
    return signal::crossLag<Sse2>(x1, len1, x2, len2, k);
  }
  template <class T> static void autoCorrLags(const T *x, int srcLen, T *dst, int n) {
    autoCorrDirect<Sse2>(x, srcLen, dst, n);
  }
  static bool crossCorrTakesTransform(long long lags, int len1, int len2) {
    return CrossCorrTakesTransformSingle(lags, len1, len2);
  }
  template <class T> static void scaleLags(T *dst, int n, double f) {
    ownsMulC_64f_I_Sse2(f, reinterpret_cast<double *>(dst),
                        static_cast<std::size_t>(n) * (sizeof(T) / sizeof(double)));
  }
};

} // namespace

bool CrossCorrTakesTransformSingle(long long lags, int len1, int len2) noexcept {
  // Each step rounds to single precision (no wider intermediate on this target).
  const float m = static_cast<float>(lags);
  const float shorter = static_cast<float>(std::min(len1, len2));
  const float longer = static_cast<float>(std::max(len1, len2));
  const float product = m * shorter;
  const float estimate = product / longer;
  // Truncated toward zero, the estimate reaches 512 exactly when the quotient does.
  return estimate >= 512.0f;
}

void SignalBlocksFailAfter(int after) noexcept { blocks().FailAfter(after); }
long SignalBlocksLive() noexcept { return blocks().Live(); }

#define SIGNAL_CORRCONV_ENTRIES(NS, SSE2)                                                          \
  namespace NS {                                                                                   \
  IppOpStatus ippsConv_64f(const double *pSrc1, int len1, const double *pSrc2, int len2,           \
                           double *pDst) {                                                         \
    return cc::conv<SignalLevel<SSE2>>(pSrc1, len1, pSrc2, len2, pDst);                            \
  }                                                                                                \
  IppOpStatus ippsAutoCorr_64f(const double *pSrc, int srcLen, double *pDst, int dstLen) {         \
    return cc::autoCorr<SignalLevel<SSE2>>(pSrc, srcLen, pDst, dstLen, cc::Norm::None);            \
  }                                                                                                \
  IppOpStatus ippsAutoCorr_NormA_64f(const double *pSrc, int srcLen, double *pDst, int dstLen) {   \
    return cc::autoCorr<SignalLevel<SSE2>>(pSrc, srcLen, pDst, dstLen, cc::Norm::A);               \
  }                                                                                                \
  IppOpStatus ippsAutoCorr_NormB_64f(const double *pSrc, int srcLen, double *pDst, int dstLen) {   \
    return cc::autoCorr<SignalLevel<SSE2>>(pSrc, srcLen, pDst, dstLen, cc::Norm::B);               \
  }                                                                                                \
  IppOpStatus ippsCrossCorr_64f(const double *pSrc1, int src1Len, const double *pSrc2,             \
                                int src2Len, double *pDst, int dstLen, int lowLag) {               \
    return cc::crossCorr<SignalLevel<SSE2>>(pSrc1, src1Len, pSrc2, src2Len, pDst, dstLen, lowLag); \
  }                                                                                                \
  IppOpStatus ippsAutoCorr_64fc(const Ipp64fc *pSrc, int srcLen, Ipp64fc *pDst, int dstLen) {      \
    return cc::autoCorr<SignalLevel<SSE2>>(pSrc, srcLen, pDst, dstLen, cc::Norm::None);            \
  }                                                                                                \
  IppOpStatus ippsAutoCorr_NormA_64fc(const Ipp64fc *pSrc, int srcLen, Ipp64fc *pDst,              \
                                      int dstLen) {                                                \
    return cc::autoCorr<SignalLevel<SSE2>>(pSrc, srcLen, pDst, dstLen, cc::Norm::A);               \
  }                                                                                                \
  IppOpStatus ippsAutoCorr_NormB_64fc(const Ipp64fc *pSrc, int srcLen, Ipp64fc *pDst,              \
                                      int dstLen) {                                                \
    return cc::autoCorr<SignalLevel<SSE2>>(pSrc, srcLen, pDst, dstLen, cc::Norm::B);               \
  }                                                                                                \
  IppOpStatus ippsCrossCorr_64fc(const Ipp64fc *pSrc1, int src1Len, const Ipp64fc *pSrc2,          \
                                 int src2Len, Ipp64fc *pDst, int dstLen, int lowLag) {             \
    return cc::crossCorr<SignalLevel<SSE2>>(pSrc1, src1Len, pSrc2, src2Len, pDst, dstLen, lowLag); \
  }                                                                                                \
  }

SIGNAL_CORRCONV_ENTRIES(sse2, true)
SIGNAL_CORRCONV_ENTRIES(sse, false)
#undef SIGNAL_CORRCONV_ENTRIES

} // namespace kernels::signal
