// Set-up, size query and release of the specification records. A set-up either returns
// a record with every table of its order or releases everything it took.
#include <cmath>
#include <cstdint>
#include <new>

#include "kernels/fft-real/FFTAlloc.h"
#include "kernels/fft-real/FFTEngine64.h"

namespace kernels::fft_real {

static_assert(sizeof(FFTSpec_C_64fc) == sizeof(FFTSpec_64) &&
                  sizeof(FFTSpec_R_64f) == sizeof(FFTSpec_64),
              "the two records share one layout");

void ownsFFTFreeSpec_R_64f(FFTSpec_64 *spec) {
  spec->id = 0;
  if (spec->owned != 1)
    return;
  fftFree(spec->bitRevTable);
  fftFree(spec->twiddleTable);
  fftFree(spec->recombFwdTable);
  fftFree(spec->recombInvTable);
  fftFree(spec);
}

int specInitAlloc(const TFFTVariant &v, FFTSpec_64 **ppSpec, int order, int flag, int hint,
                  std::int32_t id) {
  if (!ppSpec)
    return ippStsNullPtrErr;
  if (order < 0 || order > 30)
    return ippStsFftOrderErr;
  void *mem = fftMalloc(sizeof(FFTSpec_64));
  if (!mem)
    return ippStsMemAllocErr;
  // Value-initialised: every field the set-up does not set reads as zero or null.
  FFTSpec_64 *spec = id == kFFTSpecIdComplex ? static_cast<FFTSpec_64 *>(new (mem) FFTSpec_C_64fc{})
                                             : static_cast<FFTSpec_64 *>(new (mem) FFTSpec_R_64f{});
  spec->id = id;
  spec->order = order;
  spec->hint = hint;
  spec->owned = 1;
  spec->member = v.member;
  const std::int64_t N = std::int64_t{1} << order;
  const long double n = static_cast<long double>(N);
  switch (flag) {
  case kFFTNoDivByAny:
    break;
  case kFFTDivBySqrtN:
    spec->fwdScaleFlag = spec->invScaleFlag = 1;
    spec->scaleFactor =
        static_cast<double>(1.0L / static_cast<long double>(std::sqrt(static_cast<double>(N))));
    break;
  case kFFTDivFwdByN:
    spec->fwdScaleFlag = 1;
    spec->scaleFactor = static_cast<double>(1.0L / n);
    break;
  case kFFTDivInvByN:
    spec->invScaleFlag = 1;
    spec->scaleFactor = static_cast<double>(1.0L / n);
    break;
  default:
    ownsFFTFreeSpec_R_64f(spec);
    return ippStsFftFlagErr;
  }
  if (order <= 3) {
    *ppSpec = spec;
    return ippStsNoErr;
  }

  // An order whose tables cannot be had fails before the sine table is built: the sizes
  // are 64-bit, and every block must fit the allocator's signed 32-bit count.
  const int k = id == kFFTSpecIdReal ? order - 1 : order;
  const std::int64_t sineBytes = (8 * (N / 4 + 1) + 15) / 16 * 16;
  if (sineBytes > INT32_MAX || v.largestBlock(k) > INT32_MAX) {
    ownsFFTFreeSpec_R_64f(spec);
    return ippStsMemAllocErr;
  }
  // Every trigonometric value of the record is read from this table.
  auto *S = static_cast<double *>(fftMalloc(sineBytes));
  if (!S) {
    ownsFFTFreeSpec_R_64f(spec);
    return ippStsMemAllocErr;
  }
  ownsFFTInitSinTab_64f(order, S);
  int status = v.initComplex(spec, k, S, order);
  if (status == ippStsNoErr && id == kFFTSpecIdReal)
    status = v.initReal(spec, order, S);
  fftFree(S);
  if (status != ippStsNoErr) {
    ownsFFTFreeSpec_R_64f(spec);
    return status;
  }
  *ppSpec = spec;
  return ippStsNoErr;
}

int specGetBufSize(const FFTSpec_64 *pSpec, int *pSize, std::int32_t id) {
  if (!pSize || !pSpec)
    return ippStsNullPtrErr;
  if (pSpec->id != id)
    return ippStsContextMatchErr;
  *pSize = pSpec->workSize > 0 ? pSpec->workSize + 16 : 0;
  return ippStsNoErr;
}

int specFree(FFTSpec_64 *pSpec, std::int32_t id) {
  if (!pSpec)
    return ippStsNullPtrErr;
  if (pSpec->id != id)
    return ippStsContextMatchErr;
  ownsFFTFreeSpec_R_64f(pSpec);
  return ippStsNoErr;
}

namespace {

IppOpStatus initC(const TFFTVariant &v, FFTSpec_C_64fc **ppSpec, int order, int flag, int hint) {
  FFTSpec_64 *spec = nullptr;
  const int status =
      specInitAlloc(v, ppSpec ? &spec : nullptr, order, flag, hint, kFFTSpecIdComplex);
  if (status == ippStsNoErr)
    *ppSpec = static_cast<FFTSpec_C_64fc *>(spec);
  return status;
}

IppOpStatus initR(const TFFTVariant &v, FFTSpec_R_64f **ppSpec, int order, int flag, int hint) {
  FFTSpec_64 *spec = nullptr;
  const int status = specInitAlloc(v, ppSpec ? &spec : nullptr, order, flag, hint, kFFTSpecIdReal);
  if (status == ippStsNoErr)
    *ppSpec = static_cast<FFTSpec_R_64f *>(spec);
  return status;
}

} // namespace

#define FFT_SPEC_ENTRIES(SUFFIX, VARIANT)                                                          \
  IppOpStatus ippsFFTInitAlloc_C_64fc##SUFFIX(FFTSpec_C_64fc **ppSpec, int order, int flag,        \
                                              int hint) {                                          \
    return initC(VARIANT, ppSpec, order, flag, hint);                                              \
  }                                                                                                \
  IppOpStatus ippsFFTInitAlloc_R_64f##SUFFIX(FFTSpec_R_64f **ppSpec, int order, int flag,          \
                                             int hint) {                                           \
    return initR(VARIANT, ppSpec, order, flag, hint);                                              \
  }                                                                                                \
  IppOpStatus ippsFFTGetBufSize_C_64fc##SUFFIX(const FFTSpec_C_64fc *pSpec, int *pSize) {          \
    return specGetBufSize(pSpec, pSize, kFFTSpecIdComplex);                                        \
  }                                                                                                \
  IppOpStatus ippsFFTGetBufSize_R_64f##SUFFIX(const FFTSpec_R_64f *pSpec, int *pSize) {            \
    return specGetBufSize(pSpec, pSize, kFFTSpecIdReal);                                           \
  }                                                                                                \
  IppOpStatus ippsFFTFree_C_64fc##SUFFIX(FFTSpec_C_64fc *pSpec) {                                  \
    return specFree(pSpec, kFFTSpecIdComplex);                                                     \
  }                                                                                                \
  IppOpStatus ippsFFTFree_R_64f##SUFFIX(FFTSpec_R_64f *pSpec) {                                    \
    return specFree(pSpec, kFFTSpecIdReal);                                                        \
  }

FFT_SPEC_ENTRIES(, kFFTGenericVariant)
FFT_SPEC_ENTRIES(_Sse, kFFTSseVariant)
FFT_SPEC_ENTRIES(_Sse2, kFFTSse2Variant)

} // namespace kernels::fft_real
