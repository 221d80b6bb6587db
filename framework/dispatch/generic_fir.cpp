// Generic variants of the audio unit's FIR filter operations; from 32 taps on the set-up
// also keeps the spectrum of the taps, made by the double-precision FFT engine. Every
// failure releases what the call took and leaves the caller's state pointer and output as
// they were.
#include "framework/dispatch/generic_fir.h"
#include "framework/dispatch/Vizazodizaro.h"
#include "framework/dispatch/generic_alloc.h"
#include "framework/dispatch/generic_helpers.h"
#include "kernels/fft-real/FFTReal64.h"

#include <algorithm>
#include <climits>
#include <new>

namespace dispatch_filters {
namespace {

namespace fft = fft_real;

long long align32(long long n) { return (n + 31) / 32 * 32; }

// Order of the taps spectrum: taps zero-padded to N = 2^(e+1), 2^e the smallest power
// above L, so 2L < N <= 4L.
int tapsSpectrumOrder(int tapsLen) {
  int e = 0;
  while ((1LL << e) <= tapsLen)
    ++e;
  return e + 1;
}

} // namespace
} // namespace dispatch_filters

using namespace dispatch_filters;

namespace Vizazodizaro::generic {

IppOpStatus ippsFIRInitAlloc_64f(FIRState_64f **ppState, const double *pTaps, int tapsLen,
                                 const double *pDlyLine) {
  if (!ppState || !pTaps)
    return ippStsNullPtrErr;
  if (tapsLen < 1)
    return ippStsFIRLenErr;

  const long long L = tapsLen;
  const int order = tapsLen >= kFIRSpectrumTaps ? tapsSpectrumOrder(tapsLen) : -1;
  const long long fftLen = order < 0 ? 0 : 1LL << order;
  const long long header = align32(sizeof(FIRState_64f));
  const long long bytes = header + align32(8 * L) + align32(16 * L) + 8 * fftLen;
  if (bytes > INT_MAX)
    return ippStsMemAllocErr; // more than the allocator can hand out; nothing taken
  FFTSpec_R_64f *spec = nullptr;
  if (order >= 0) {
    // Through the transform's slot, so the spectrum is made by the processor's member.
    if (IppOpStatus st = Vizazodizaro::ippsFFTInitAlloc_R_64f(spec, order, fft::kFFTDivInvByN, 0);
        st != ippStsNoErr)
      return st;
  }
  auto *block = static_cast<unsigned char *>(blockAlloc(bytes));
  if (!block) {
    if (spec)
      Vizazodizaro::ippsFFTFree_R_64f(*spec);
    return ippStsMemAllocErr;
  }

  auto *s = new (block) FIRState_64f{};
  s->id = kFIRId;
  s->tapsLen = tapsLen;
  s->fftLen = spec ? static_cast<int>(fftLen) : -1;
  s->pTaps = reinterpret_cast<double *>(block + header);
  s->pDlyLine = reinterpret_cast<double *>(block + header + align32(8 * L));
  s->pSpec = spec;
  s->allocated = 1;
  for (int i = 0; i < tapsLen; ++i) {
    s->pTaps[i] = pTaps[tapsLen - 1 - i];
    s->pDlyLine[i] = pDlyLine ? pDlyLine[tapsLen - 1 - i] : 0.0;
  }
  if (spec) {
    s->pSpectrum = reinterpret_cast<double *>(block + header + align32(8 * L) + align32(16 * L));
    std::copy(pTaps, pTaps + tapsLen, s->pSpectrum);
    std::fill(s->pSpectrum + tapsLen, s->pSpectrum + fftLen, 0.0);
    const IppOpStatus st =
        fft::ippsFFTFwd_RToPerm_64f_OfBuilder(s->pSpectrum, s->pSpectrum, spec, nullptr);
    if (st != ippStsNoErr) {
      Vizazodizaro::ippsFFTFree_R_64f(*spec);
      blockFree(block);
      return st;
    }
  }
  *ppState = s;
  return ippStsNoErr;
}

IppOpStatus ippsFIROne_64f(double src, double &dstVal, FIRState_64f &state) {
  if (isNullRef(state) || isNullRef(dstVal))
    return ippStsNullPtrErr;
  if (state.id != kFIRId)
    return ippStsContextMatchErr;
  const int L = state.tapsLen;
  int i = state.dlyIndex;
  state.pDlyLine[i] = src;
  state.pDlyLine[i + L] = src;
  if (++i == L)
    i = 0;
  state.dlyIndex = i;
  // Oldest sample first, so the newest meets taps[L-1], the caller's first tap.
  ext y = 0;
  const double *window = state.pDlyLine + i;
  for (int k = 0; k < L; ++k)
    y += static_cast<ext>(state.pTaps[k]) * window[k];
  dstVal = static_cast<double>(y);
  return ippStsNoErr;
}

IppOpStatus ippsFIRFree_64f(FIRState_64f &state) {
  if (isNullRef(state))
    return ippStsNullPtrErr;
  if (state.id != kFIRId && state.id != kFIRForeignId)
    return ippStsContextMatchErr;
  if (state.allocated) {
    if (state.pSpec)
      Vizazodizaro::ippsFFTFree_R_64f(*state.pSpec);
    blockFree(&state);
  }
  return ippStsNoErr;
}

} // namespace Vizazodizaro::generic
