// The SSE, SSE2 and SSE3 members over the engine's variants of the same names.
#include "kernels/fft-audio/FFTAudio64.h"

#include "kernels/fft-real/FFTEngine64.h"

namespace kernels::fft_audio {

namespace {

using kernels::fft_real::TFFTVariant;

// The slots pass references; a reference bound through a null pointer is reported as a
// null argument rather than followed.
template <class T> bool isNullRef(T &ref) {
  T *volatile p = &ref;
  return p == nullptr;
}

IppOpStatus initAlloc(const TFFTVariant &v, FFTSpec_R_64f *&pFFTSpec, int order, int flag,
                      int hint) {
  if (isNullRef(pFFTSpec))
    return ippStsNullPtrErr;
  FFTSpec_64 *spec = nullptr;
  const int status = kernels::fft_real::specInitAlloc(v, &spec, order, flag, hint,
                                                      kernels::fft_real::kFFTSpecIdReal);
  if (status == ippStsNoErr)
    pFFTSpec = static_cast<FFTSpec_R_64f *>(spec);
  return status;
}

IppOpStatus release(FFTSpec_R_64f &fftSpec) {
  if (isNullRef(fftSpec))
    return ippStsNullPtrErr;
  return kernels::fft_real::specFree(&fftSpec, kernels::fft_real::kFFTSpecIdReal);
}

// The Perm spectrum (R0, R(N/2), Re1, Im1, ...) rearranged into CCS in place: only the
// two real-valued bins move.
IppOpStatus forwardCcs(const TFFTVariant &v, const double *pSrc, double *pDst,
                       const FFTSpec_R_64f *pFFTSpec, unsigned char *pBuffer) {
  const int status = kernels::fft_real::transformRealFwd(v, false, pSrc, pDst, pFFTSpec, pBuffer);
  if (status != ippStsNoErr)
    return status;
  const std::int64_t N = std::int64_t{1} << pFFTSpec->order;
  if (N > 1) {
    pDst[N] = pDst[1];
    pDst[N + 1] = 0.0;
  }
  pDst[1] = 0.0;
  return ippStsNoErr;
}

} // namespace

#define FFT_AUDIO_MEMBER(SUFFIX, VARIANT)                                                          \
  IppOpStatus ippsFFTInitAlloc_R_64f##SUFFIX(FFTSpec_R_64f *&pFFTSpec, int order, int flag,        \
                                             int hint) {                                           \
    return initAlloc(VARIANT, pFFTSpec, order, flag, hint);                                        \
  }                                                                                                \
  IppOpStatus ippsFFTFree_R_64f##SUFFIX(FFTSpec_R_64f &fftSpec) { return release(fftSpec); }       \
  IppOpStatus ippsFFTFwd_RToCCS_64f##SUFFIX(                                                       \
      const double *pSrc, double *pDst, const FFTSpec_R_64f *pFFTSpec, unsigned char *pBuffer) {   \
    return forwardCcs(VARIANT, pSrc, pDst, pFFTSpec, pBuffer);                                     \
  }                                                                                                \
  IppOpStatus ippsFFTGetBufSize_R_64f##SUFFIX(const FFTSpec_R_64f *pSpec, int *pBufSize) {         \
    return kernels::fft_real::specGetBufSize(pSpec, pBufSize, kernels::fft_real::kFFTSpecIdReal);  \
  }                                                                                                \
  IppOpStatus ippsFFTFwd_RToPerm_64f##SUFFIX(const double *pSrc, double *pDst,                     \
                                             const FFTSpec_R_64f *pSpec, unsigned char *pBuffer) { \
    return kernels::fft_real::transformRealFwd(VARIANT, false, pSrc, pDst, pSpec, pBuffer);        \
  }

FFT_AUDIO_MEMBER(_Sse, kernels::fft_real::kFFTSseVariant)
FFT_AUDIO_MEMBER(_Sse2, kernels::fft_real::kFFTSse2Variant)
FFT_AUDIO_MEMBER(_Sse3, kernels::fft_real::kFFTSse3Variant)

} // namespace kernels::fft_audio
