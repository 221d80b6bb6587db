// Generic variants of the audio unit's real transform operations: set-up, release and
// the forward transform into the CCS layout, over the double-precision FFT engine.
#include <cstring>

#include "framework/dispatch/GenericHelpers.h"
#include "framework/dispatch/Vizazodizaro.h"
#include "kernels/fft-real/FFTReal64.h"

namespace {
namespace fft = kernels::fft_real;
using dispatch_ops::isNullRef;
} // namespace

namespace Vizazodizaro::generic {

IppOpStatus ippsFFTInitAlloc_R_64f(FFTSpec_R_64f *&pFFTSpec, int order, int flag, int hint) {
  if (isNullRef(pFFTSpec))
    return ippStsNullPtrErr;
  return fft::ippsFFTInitAlloc_R_64f(&pFFTSpec, order, flag, hint);
}

IppOpStatus ippsFFTFree_R_64f(FFTSpec_R_64f &fftSpec) {
  if (isNullRef(fftSpec))
    return ippStsNullPtrErr;
  return fft::ippsFFTFree_R_64f(&fftSpec);
}

// CCS: R0, 0, Re1, Im1, ..., R(N/2), 0 in N + 2 doubles (two for N = 1), from the Pack
// layout R0, Re1, Im1, ..., R(N/2) that the engine writes into the first N.
IppOpStatus ippsFFTFwd_RToCCS_64f(const double *pSrc, double *pDst, const FFTSpec_R_64f *pFFTSpec,
                                  unsigned char *pBuffer) {
  const IppOpStatus st = fft::ippsFFTFwd_RToPack_64f(pSrc, pDst, pFFTSpec, pBuffer);
  if (st != ippStsNoErr)
    return st;
  const int n = 1 << pFFTSpec->order;
  if (n == 1) {
    pDst[1] = 0.0;
    return ippStsNoErr;
  }
  const double nyquist = pDst[n - 1];
  std::memmove(pDst + 2, pDst + 1, sizeof(double) * static_cast<std::size_t>(n - 2));
  pDst[1] = 0.0;
  pDst[n] = nyquist;
  pDst[n + 1] = 0.0;
  return ippStsNoErr;
}

} // namespace Vizazodizaro::generic
