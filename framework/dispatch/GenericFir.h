// Double-precision FIR filter state of the audio unit's FIR operations.
//
// One block of the aligned allocator: this header, the taps stored reversed, the
// delay line (every sample written twice, L apart, so the last L samples are always
// one contiguous window) and, from 32 taps on, the Perm spectrum of the zero-padded
// taps with its transform record. A state is used by one thread at a time.
#pragma once

#include <cstdint>

#include "framework/dispatch/IppTypes.h"

struct FIRState_64f {
  std::uint32_t id;     // kFIRId (0x46493135 is accepted by the release only)
  int tapsLen;          // L
  int dlyIndex;         // where the next sample goes, 0 ... L-1
  int fftLen;           // N of the taps spectrum; -1 below 32 taps
  double *pTaps;        // L taps, reversed
  double *pDlyLine;     // 2L samples
  double *pSpectrum;    // N doubles in the Perm layout; null below 32 taps
  FFTSpec_R_64f *pSpec; // real transform of order log2 N; null below 32 taps
  int allocated;        // 1 when the block belongs to the state
};

namespace dispatch_filters {

inline constexpr std::uint32_t kFIRId = 0x46493133u;
inline constexpr std::uint32_t kFIRForeignId = 0x46493135u;
// Taps from which the set-up also prepares the spectrum of the taps.
inline constexpr int kFIRSpectrumTaps = 32;

// The transform operations one level of the set-up and release uses for the taps
// spectrum: the member of its own processor code for each.
struct TFIRLevel {
  IppOpStatus (*initAlloc)(FFTSpec_R_64f *&pFFTSpec, int order, int flag, int hint);
  IppOpStatus (*release)(FFTSpec_R_64f &fftSpec);
  IppOpStatus (*getBufSize)(const FFTSpec_R_64f *pSpec, int *pSize);
  IppOpStatus (*fwdPerm)(const double *pSrc, double *pDst, const FFTSpec_R_64f *pSpec,
                         unsigned char *pBuffer);
  // The level's double copy and zero fill (kernels/audio-filter).
  IppOpStatus (*copy)(const double *pSrc, double *pDst, int len);
  IppOpStatus (*zero)(double *pDst, int len);
};

// Set-up and release on a level's transform operations: checks, statuses and layout of
// the generic operations (Vizazodizaro::generic::ippsFIRInitAlloc_64f, ippsFIRFree_64f).
// The spectrum's transform work area is part of the state's block.
IppOpStatus ownsFIRInitAlloc_64f(const TFIRLevel &level, FIRState_64f **ppState,
                                 const double *pTaps, int tapsLen, const double *pDlyLine);
IppOpStatus ownsFIRFree_64f(const TFIRLevel &level, FIRState_64f &state);

// The generic filter step on a valid state: the sample into the delay line, the index
// moved on, the window summed in extended precision and rounded once. Code 5 runs the
// same computation.
double ownsFIROne_64f(double src, FIRState_64f &state);
inline constexpr auto &ownsFIROne_64f_Sse = ownsFIROne_64f;

// The set-up and release members of codes 5 (_Sse), 6-9 (_Sse2) and 16-17 (_Sse3), each
// over the audio unit's transform member of its code (kernels/fft-audio). Any level's
// release frees a state of any level: every block and record comes from one counter.
IppOpStatus ownsFIRInitAlloc_64f_Sse(FIRState_64f **ppState, const double *pTaps, int tapsLen,
                                     const double *pDlyLine);
IppOpStatus ippsFIRInitAlloc_64f_Sse(FIRState_64f **ppState, const double *pTaps, int tapsLen,
                                     const double *pDlyLine);
IppOpStatus ippsFIRFree_64f_Sse(FIRState_64f &state);
IppOpStatus ownsFIRInitAlloc_64f_Sse2(FIRState_64f **ppState, const double *pTaps, int tapsLen,
                                      const double *pDlyLine);
IppOpStatus ippsFIRInitAlloc_64f_Sse2(FIRState_64f **ppState, const double *pTaps, int tapsLen,
                                      const double *pDlyLine);
IppOpStatus ippsFIRFree_64f_Sse2(FIRState_64f &state);
IppOpStatus ownsFIRInitAlloc_64f_Sse3(FIRState_64f **ppState, const double *pTaps, int tapsLen,
                                      const double *pDlyLine);
IppOpStatus ippsFIRInitAlloc_64f_Sse3(FIRState_64f **ppState, const double *pTaps, int tapsLen,
                                      const double *pDlyLine);
IppOpStatus ippsFIRFree_64f_Sse3(FIRState_64f &state);

} // namespace dispatch_filters
