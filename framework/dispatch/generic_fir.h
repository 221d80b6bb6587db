// Double-precision FIR filter state of the audio unit's FIR operations.
//
// One block of the aligned allocator: this header, the taps stored reversed, the
// delay line (every sample written twice, L apart, so the last L samples are always
// one contiguous window) and, from 32 taps on, the Perm spectrum of the zero-padded
// taps with its transform record. A state is used by one thread at a time.
#pragma once

#include "framework/dispatch/IppTypes.h"

#include <cstdint>

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

} // namespace dispatch_filters
