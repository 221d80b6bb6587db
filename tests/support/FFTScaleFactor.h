// The factor by which a transform of N points scales its output under a scaling flag of
// the double-precision FFT engine, per direction; the transform tests multiply their
// references by it.
#pragma once

#include <cmath>
#include <cstdint>

#include "kernels/fft-real/FFTReal64.h"

namespace fftref {

inline long double factor(int flag, bool inverse, std::int64_t N) {
  using namespace kernels::fft_real;
  const long double n = static_cast<long double>(N);
  switch (flag) {
  case kFFTDivFwdByN:
    return inverse ? 1.0L : 1.0L / n;
  case kFFTDivInvByN:
    return inverse ? 1.0L / n : 1.0L;
  case kFFTDivBySqrtN:
    return 1.0L / std::sqrt(n);
  default:
    return 1.0L;
  }
}

} // namespace fftref
