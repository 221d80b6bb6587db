// Entry operations of the complex and real transforms: argument checks, small orders,
// work area, the Perm and Pack layouts.
#include <cstdint>

#include "kernels/fft-real/FFTAlloc.h"
#include "kernels/fft-real/FFTEngine64.h"

namespace kernels::fft_real {

namespace {

// The work area of one call: the caller's buffer from its first 16-byte boundary, or a
// block of our own that lives until the call returns.
class TWorkArea {
public:
  TWorkArea() = default;
  TWorkArea(const TWorkArea &) = delete;
  TWorkArea &operator=(const TWorkArea &) = delete;
  ~TWorkArea() { fftFree(own_); }

  // Settled before anything is written, so that -9 leaves the destination unchanged.
  int settle(const FFTSpec_64 *spec, std::uint8_t *pBuffer) {
    if (spec->workSize <= 0)
      return ippStsNoErr;
    if (pBuffer) {
      const auto addr = reinterpret_cast<std::uintptr_t>(pBuffer);
      area_ = reinterpret_cast<Ipp64fc *>((addr + 15) & ~std::uintptr_t{15});
      return ippStsNoErr;
    }
    own_ = fftMalloc(spec->workSize);
    if (!own_)
      return ippStsMemAllocErr;
    area_ = static_cast<Ipp64fc *>(own_);
    return ippStsNoErr;
  }

  Ipp64fc *area() const { return area_; }

private:
  Ipp64fc *area_ = nullptr;
  void *own_ = nullptr;
};

int check(const TFFTVariant &v, const FFTSpec_64 *pSpec, const void *pSrc, const void *pDst,
          std::int32_t id) {
  if (!pSpec)
    return ippStsNullPtrErr;
  if (pSpec->id != id || pSpec->member != v.member)
    return ippStsContextMatchErr;
  if (!pSrc || !pDst)
    return ippStsNullPtrErr;
  return ippStsNoErr;
}

// Orders 0 to 3: one straight-line kernel of the operation's table, scaled when the
// direction's flag is set.
void runSmall(const FFTSmallKernelTable &table, bool scale, const FFTSpec_64 *spec,
              const double *src, double *dst) {
  if (scale)
    table.scaled[spec->order](src, dst, spec->scaleFactor);
  else
    table.unscaled[spec->order](src, dst);
}

// Perm (R0, R(N/2), Re1, Im1, ...) to Pack (R0, Re1, Im1, ..., R(N/2)) in place.
void permToPack(double *x, std::int64_t N) {
  if (N <= 2)
    return;
  const double t = x[1];
  for (std::int64_t i = 1; i <= N - 3; i += 2) {
    x[i] = x[i + 1];
    x[i + 1] = x[i + 2];
  }
  x[N - 1] = t;
}

// Pack to Perm; moves the pairs from the top down, so dst may be src.
void packToPerm(const double *src, double *dst, std::int64_t N) {
  dst[0] = src[0];
  if (N <= 1)
    return;
  const double t = src[N - 1];
  for (std::int64_t i = N - 3; i > 0; i -= 2) {
    dst[i + 2] = src[i + 1];
    dst[i + 1] = src[i];
  }
  dst[1] = t;
}

Ipp64fc *asComplex(double *x) { return reinterpret_cast<Ipp64fc *>(x); }
const Ipp64fc *asComplex(const double *x) { return reinterpret_cast<const Ipp64fc *>(x); }

} // namespace

int transformComplex(const TFFTVariant &v, bool inverse, const Ipp64fc *pSrc, Ipp64fc *pDst,
                     const FFTSpec_64 *pSpec, std::uint8_t *pBuffer) {
  if (const int status = check(v, pSpec, pSrc, pDst, kFFTSpecIdComplex))
    return status;
  const bool scale = inverse ? pSpec->invScaleFlag : pSpec->fwdScaleFlag;
  if (pSpec->order <= 3) {
    runSmall(inverse ? *v.complexInv : *v.complexFwd, scale, pSpec, &pSrc->re, &pDst->re);
    return ippStsNoErr;
  }
  TWorkArea work;
  if (const int status = work.settle(pSpec, pBuffer))
    return status;
  (inverse ? v.transformInv : v.transformFwd)(pSpec, pSrc, pDst, pSpec->order, work.area());
  return ippStsNoErr;
}

int transformRealFwd(const TFFTVariant &v, bool pack, const double *pSrc, double *pDst,
                     const FFTSpec_64 *pSpec, std::uint8_t *pBuffer) {
  if (const int status = check(v, pSpec, pSrc, pDst, kFFTSpecIdReal))
    return status;
  const int m = pSpec->order;
  const std::int64_t N = std::int64_t{1} << m;
  if (m <= 3) {
    runSmall(*v.realFwd, pSpec->fwdScaleFlag, pSpec, pSrc, pDst);
  } else {
    TWorkArea work;
    if (const int status = work.settle(pSpec, pBuffer))
      return status;
    // N reals as N/2 complex values: one half-length transform, then recombination.
    v.transformFwd(pSpec, asComplex(pSrc), asComplex(pDst), m - 1, work.area());
    const double a = pDst[0], b = pDst[1];
    pDst[0] = a + b;
    pDst[1] = a - b;
    v.recombFwd(asComplex(pDst), N / 2, pSpec->recombFwdTable);
  }
  if (pack)
    permToPack(pDst, N);
  return ippStsNoErr;
}

int transformRealInv(const TFFTVariant &v, bool pack, const double *pSrc, double *pDst,
                     const FFTSpec_64 *pSpec, std::uint8_t *pBuffer) {
  if (const int status = check(v, pSpec, pSrc, pDst, kFFTSpecIdReal))
    return status;
  const int m = pSpec->order;
  const std::int64_t N = std::int64_t{1} << m;
  TWorkArea work;
  if (m > 3) {
    if (const int status = work.settle(pSpec, pBuffer))
      return status;
  }
  if (pack) {
    packToPerm(pSrc, pDst, N);
    pSrc = pDst;
  }
  if (m <= 3) {
    runSmall(*v.realInv, pSpec->invScaleFlag, pSpec, pSrc, pDst);
    return ippStsNoErr;
  }
  const double a = pSrc[0], b = pSrc[1];
  pDst[0] = a + b;
  pDst[1] = a - b;
  v.recombInv(asComplex(pSrc), asComplex(pDst), N / 2, pSpec->recombInvTable);
  v.transformInv(pSpec, asComplex(pDst), asComplex(pDst), m - 1, work.area());
  return ippStsNoErr;
}

#define FFT_TRANSFORM_ENTRIES(SUFFIX, VARIANT)                                                     \
  IppOpStatus ippsFFTFwd_CToC_64fc##SUFFIX(const Ipp64fc *pSrc, Ipp64fc *pDst,                     \
                                           const FFTSpec_C_64fc *pSpec, std::uint8_t *pBuffer) {   \
    return transformComplex(VARIANT, false, pSrc, pDst, pSpec, pBuffer);                           \
  }                                                                                                \
  IppOpStatus ippsFFTInv_CToC_64fc##SUFFIX(const Ipp64fc *pSrc, Ipp64fc *pDst,                     \
                                           const FFTSpec_C_64fc *pSpec, std::uint8_t *pBuffer) {   \
    return transformComplex(VARIANT, true, pSrc, pDst, pSpec, pBuffer);                            \
  }                                                                                                \
  IppOpStatus ippsFFTFwd_RToPerm_64f##SUFFIX(const double *pSrc, double *pDst,                     \
                                             const FFTSpec_R_64f *pSpec, std::uint8_t *pBuffer) {  \
    return transformRealFwd(VARIANT, false, pSrc, pDst, pSpec, pBuffer);                           \
  }                                                                                                \
  IppOpStatus ippsFFTInv_PermToR_64f##SUFFIX(const double *pSrc, double *pDst,                     \
                                             const FFTSpec_R_64f *pSpec, std::uint8_t *pBuffer) {  \
    return transformRealInv(VARIANT, false, pSrc, pDst, pSpec, pBuffer);                           \
  }                                                                                                \
  IppOpStatus ippsFFTFwd_RToPack_64f##SUFFIX(const double *pSrc, double *pDst,                     \
                                             const FFTSpec_R_64f *pSpec, std::uint8_t *pBuffer) {  \
    return transformRealFwd(VARIANT, true, pSrc, pDst, pSpec, pBuffer);                            \
  }                                                                                                \
  IppOpStatus ippsFFTInv_PackToR_64f##SUFFIX(const double *pSrc, double *pDst,                     \
                                             const FFTSpec_R_64f *pSpec, std::uint8_t *pBuffer) {  \
    return transformRealInv(VARIANT, true, pSrc, pDst, pSpec, pBuffer);                            \
  }

FFT_TRANSFORM_ENTRIES(, kFFTGenericVariant)
FFT_TRANSFORM_ENTRIES(_Sse, kFFTSseVariant)
FFT_TRANSFORM_ENTRIES(_Sse2, kFFTSse2Variant)

} // namespace kernels::fft_real
