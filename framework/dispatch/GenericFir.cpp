// Generic variants of the audio unit's FIR filter operations; from 32 taps on the set-up
// also keeps the spectrum of the taps, made by the double-precision FFT engine. Every
// failure releases what the call took and leaves the caller's state pointer and output as
// they were.
#include "framework/dispatch/GenericFir.h"

#include <algorithm>
#include <climits>
#include <new>

#include "framework/dispatch/GenericAlloc.h"
#include "framework/dispatch/GenericHelpers.h"
#include "framework/dispatch/Vizazodizaro.h"
#include "kernels/audio-filter/AudioFilterKernels.h"
#include "kernels/fft-audio/FFTAudio64.h"
#include "kernels/fft-real/FFTReal64.h"

namespace dispatch_filters {
namespace {

namespace fft = kernels::fft_real;
namespace audio_filter = kernels::audio_filter;

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

namespace dispatch_filters {

// The set-up body of every level: the arguments as the entry received them, and the
// level's transform operations, which build, size, fill and release the taps spectrum's
// record, so that the record is read only by the member that built it.
IppOpStatus ownsFIRInitAlloc_64f(const TFIRLevel &level, FIRState_64f **ppState,
                                 const double *pTaps, int tapsLen, const double *pDlyLine) {
  if (!ppState || !pTaps)
    return ippStsNullPtrErr;
  if (tapsLen < 1)
    return ippStsFIRLenErr;

  const long long L = tapsLen;
  const int order = tapsLen >= kFIRSpectrumTaps ? tapsSpectrumOrder(tapsLen) : -1;
  const long long fftLen = order < 0 ? 0 : 1LL << order;
  const long long header = align32(sizeof(FIRState_64f));
  const long long fixed = header + align32(8 * L) + align32(16 * L) + align32(8 * fftLen);
  if (fixed > INT_MAX)
    return ippStsMemAllocErr; // more than the allocator can hand out; nothing taken
  FFTSpec_R_64f *spec = nullptr;
  int workBytes = 0;
  if (order >= 0) {
    if (IppOpStatus st = level.initAlloc(spec, order, fft::kFFTDivInvByN, 0); st != ippStsNoErr)
      return st;
    // The transform's work area lives in the block, so filling the spectrum takes no
    // further memory.
    if (IppOpStatus st = level.getBufSize(spec, &workBytes); st != ippStsNoErr) {
      level.release(*spec);
      return st;
    }
  }
  auto *block = static_cast<unsigned char *>(blockAlloc(fixed + workBytes));
  if (!block) {
    if (spec)
      level.release(*spec);
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
  for (int i = 0; i < tapsLen; ++i)
    s->pTaps[i] = pTaps[tapsLen - 1 - i];
  if (pDlyLine) {
    for (int i = 0; i < tapsLen; ++i)
      s->pDlyLine[i] = pDlyLine[tapsLen - 1 - i];
  } else {
    level.zero(s->pDlyLine, tapsLen);
  }
  if (spec) {
    unsigned char *spectrum = block + header + align32(8 * L) + align32(16 * L);
    s->pSpectrum = reinterpret_cast<double *>(spectrum);
    // N > 2L, so both runs are non-empty.
    level.copy(pTaps, s->pSpectrum, tapsLen);
    level.zero(s->pSpectrum + tapsLen, static_cast<int>(fftLen - L));
    unsigned char *work = workBytes > 0 ? spectrum + align32(8 * fftLen) : nullptr;
    const IppOpStatus st = level.fwdPerm(s->pSpectrum, s->pSpectrum, spec, work);
    if (st != ippStsNoErr) {
      level.release(*spec);
      blockFree(block);
      return st;
    }
  }
  *ppState = s;
  return ippStsNoErr;
}

double ownsFIROne_64f(double src, FIRState_64f &state) {
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
  return static_cast<double>(y);
}

IppOpStatus ownsFIRFree_64f(const TFIRLevel &level, FIRState_64f &state) {
  if (isNullRef(state))
    return ippStsNullPtrErr;
  if (state.id != kFIRId && state.id != kFIRForeignId)
    return ippStsContextMatchErr;
  if (state.allocated) {
    if (state.pSpec)
      level.release(*state.pSpec);
    blockFree(&state);
  }
  return ippStsNoErr;
}

namespace {

// The generic level runs the generic transform operations.
IppOpStatus genericFwdPerm(const double *pSrc, double *pDst, const FFTSpec_R_64f *pSpec,
                           unsigned char *pBuffer) {
  return fft::ippsFFTFwd_RToPerm_64f(pSrc, pDst, pSpec, pBuffer);
}
IppOpStatus genericGetBufSize(const FFTSpec_R_64f *pSpec, int *pSize) {
  return fft::ippsFFTGetBufSize_R_64f(pSpec, pSize);
}

const TFIRLevel kGenericLevel = {&Vizazodizaro::generic::ippsFFTInitAlloc_R_64f,
                                 &Vizazodizaro::generic::ippsFFTFree_R_64f,
                                 &genericGetBufSize,
                                 &genericFwdPerm,
                                 &audio_filter::generic::ownsCopy_64f,
                                 &audio_filter::generic::ownsZero_64f};

#define FIR_LEVEL(SUFFIX)                                                                          \
  const TFIRLevel kLevel##SUFFIX = {&kernels::fft_audio::ippsFFTInitAlloc_R_64f##SUFFIX,           \
                                    &kernels::fft_audio::ippsFFTFree_R_64f##SUFFIX,                \
                                    &kernels::fft_audio::ippsFFTGetBufSize_R_64f##SUFFIX,          \
                                    &kernels::fft_audio::ippsFFTFwd_RToPerm_64f##SUFFIX,           \
                                    audio_filter::ownsCopy_64f##SUFFIX,                            \
                                    audio_filter::ownsZero_64f##SUFFIX};
FIR_LEVEL(_Sse)
FIR_LEVEL(_Sse2)
FIR_LEVEL(_Sse3)
#undef FIR_LEVEL

} // namespace

// The set-up and release members of codes 5, 6-9 and 16-17: the generic checks, layout
// and filter state, the taps spectrum made and released by the transform member of the
// same code.
#define FIR_MEMBERS(SUFFIX)                                                                        \
  IppOpStatus ownsFIRInitAlloc_64f##SUFFIX(FIRState_64f **ppState, const double *pTaps,            \
                                           int tapsLen, const double *pDlyLine) {                  \
    return ownsFIRInitAlloc_64f(kLevel##SUFFIX, ppState, pTaps, tapsLen, pDlyLine);                \
  }                                                                                                \
  IppOpStatus ippsFIRInitAlloc_64f##SUFFIX(FIRState_64f **ppState, const double *pTaps,            \
                                           int tapsLen, const double *pDlyLine) {                  \
    return ownsFIRInitAlloc_64f##SUFFIX(ppState, pTaps, tapsLen, pDlyLine);                        \
  }                                                                                                \
  IppOpStatus ippsFIRFree_64f##SUFFIX(FIRState_64f &state) {                                       \
    return ownsFIRFree_64f(kLevel##SUFFIX, state);                                                 \
  }
FIR_MEMBERS(_Sse)
FIR_MEMBERS(_Sse2)
FIR_MEMBERS(_Sse3)
#undef FIR_MEMBERS

} // namespace dispatch_filters

namespace Vizazodizaro::generic {

IppOpStatus ippsFIRInitAlloc_64f(FIRState_64f **ppState, const double *pTaps, int tapsLen,
                                 const double *pDlyLine) {
  return ownsFIRInitAlloc_64f(kGenericLevel, ppState, pTaps, tapsLen, pDlyLine);
}

IppOpStatus ippsFIROne_64f(double src, double &dstVal, FIRState_64f &state) {
  if (isNullRef(state) || isNullRef(dstVal))
    return ippStsNullPtrErr;
  if (state.id != kFIRId)
    return ippStsContextMatchErr;
  dstVal = ownsFIROne_64f(src, state);
  return ippStsNoErr;
}

IppOpStatus ippsFIRFree_64f(FIRState_64f &state) { return ownsFIRFree_64f(kGenericLevel, state); }

} // namespace Vizazodizaro::generic
