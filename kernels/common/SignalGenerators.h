// The pieces of the 16-bit signal generators (noise, tone, triangle) that the generic
// variants and the processor kernels share: the noise sequence, the phase bookkeeping,
// the argument checks after the phase's null test, the extended-precision tone and one
// triangle body parameterised by the format its wave is carried in.
#pragma once

#include <cmath>
#include <cstdint>

#include "kernels/common/IppTypes.h"

namespace kernels::generators {

inline constexpr double kTwoPi = 6.283185307179586;
inline constexpr double kInvTwoPi = 0.15915494309189535;
inline constexpr double kPi = 3.141592653589793;
inline constexpr double kFourPi = 12.566370614359172;

// Subtract-with-borrow sequence combined with a congruential one, set up afresh from
// the seed on every call, so a call's samples depend on the seed alone.
class CombinedRandom {
public:
  explicit CombinedRandom(std::uint32_t seed)
      : a_(seed), b_(69069u * seed + 1013904243u), c_(69069u * b_ + 1013904243u) {}

  std::int32_t next() {
    g_ = 69069u * g_ + 1013904243u;
    std::uint32_t t = b_ - c_ - k_;
    if (static_cast<std::int32_t>(t) < 0) {
      t -= 18u;
      k_ = 1;
    } else {
      k_ = 0;
    }
    c_ = b_;
    b_ = a_;
    a_ = t;
    return static_cast<std::int32_t>(t + g_);
  }

  // The seed the next call continues from: the last subtract-with-borrow value.
  std::uint32_t seed() const { return a_; }

private:
  std::uint32_t a_, b_, c_;
  std::uint32_t k_ = 1;
  std::uint32_t g_ = 1131199209u;
};

// Truncated toward zero to 32 bits, of which the low 16 are the sample.
template <class A> short low16(A v) { return static_cast<short>(static_cast<std::int32_t>(v)); }

inline bool phaseOutOfRange(float phase) {
  return !(phase >= 0.0f) || static_cast<double>(phase) >= kTwoPi;
}

// The phase after the advance, reduced to [0, 2π); a rounding slip outside gives 0.
inline float nextPhase(long double advance, float phase) {
  const long double e = advance + phase;
  const double k = std::floor(static_cast<double>(e * kInvTwoPi));
  const double p =
      static_cast<double>(static_cast<double>(e) - static_cast<long double>(kTwoPi) * k);
  return (p >= 0.0 && p < kTwoPi) ? static_cast<float>(p) : 0.0f;
}

// The tone's checks after the phase's null test, in the generic's order.
inline IppOpStatus checkTone(const short *pDst, int len, short magn, float rFreq, float phase) {
  if (magn <= 0)
    return ippStsToneMagnErr;
  if (rFreq < 0.0f || rFreq >= 0.5f)
    return ippStsToneFreqErr;
  if (phaseOutOfRange(phase))
    return ippStsTonePhaseErr;
  if (!pDst)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  return ippStsNoErr;
}

// The triangle's checks after the phase's null test, in the generic's order.
inline IppOpStatus checkTriangle(const short *pDst, int len, short magn, float rFreq, float asym,
                                 float phase) {
  if (magn <= 0)
    return ippStsTrnglMagnErr;
  if (rFreq < 0.0f || rFreq >= 0.5f)
    return ippStsTrnglFreqErr;
  if (!(asym >= -kPi) || asym >= kPi)
    return ippStsTrnglAsymErr;
  if (phaseOutOfRange(phase))
    return ippStsTrnglPhaseErr;
  if (!pDst)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  return ippStsNoErr;
}

// magn·cos(p + w·n), n = 0 .. len-1 (len >= 1), by the Chebyshev recurrence in the
// extended format, restarted from the cosine per call.
inline void toneExtended(short *pDst, int len, short magn, long double w, float p) {
  using ext = long double;
  const ext y0 = magn * static_cast<ext>(std::cos(static_cast<double>(p)));
  const ext y1 = magn * static_cast<ext>(std::cos(static_cast<double>(p + w)));
  pDst[0] = low16(y0);
  if (len == 1)
    return;
  pDst[1] = low16(y1);
  const ext k = 2.0L * std::cos(static_cast<double>(w));
  const ext k2 = k * k - 2.0L;
  ext y[4] = {static_cast<double>(y0), static_cast<double>(y1), 0, 0};
  y[2] = k * y[1] - y[0];
  y[3] = k * y[2] - y[1];
  for (int n = 2; n < len; ++n) {
    // y[n] = 2cos(2w)·y[n-2] - y[n-4], kept in a ring of four.
    if (n >= 4)
      y[n % 4] = k2 * y[(n - 2) % 4] - y[n % 4];
    pDst[n] = low16(y[n % 4]);
  }
}

// The triangle wave from phase p (len >= 1): the generic carries the wave, its slopes'
// sums, folds and wraps in the extended format (A = long double), the 16-byte register
// classes in double (A = double), where a sample within rounding error of an integer can
// be truncated to its neighbour. The slopes, folds and wraps themselves are doubles in
// both.
template <class A>
void triangleWave(short *pDst, int len, short magn, float rFreq, float asym, float p) {
  const A m = magn;
  const A f = rFreq;
  // The period falls from +M at phase 0 to -M at h1, then rises back over h2.
  const A h1 = kPi + static_cast<A>(asym);
  const A h2 = kPi - static_cast<A>(asym);
  const double fallSlope = static_cast<double>(-(f * kFourPi * m) / h1);
  const double riseSlope = static_cast<double>((f * kFourPi * m) / h2);
  const double riseWrap = static_cast<double>(kFourPi * m / h2);
  const double fallWrap = static_cast<double>(kFourPi * m / h1);
  const double u = static_cast<double>(-h2 / h1);
  const double w = static_cast<double>(-h1 / h2);
  const double aa = static_cast<double>(m - m * u);
  const double g = static_cast<double>(m * w - m);

  A y;
  A slope;
  if (p < h1) {
    y = m * (1 - 2 * p / h1);
    slope = fallSlope;
  } else {
    y = m * (2 * (p - h1) / h2 - 1);
    slope = riseSlope;
  }
  for (int i = 0; i < len; ++i) {
    pDst[i] = low16(y);
    const A next = y + slope;
    if (slope > 0) {
      if (next <= m) {
        y = next;
      } else if (const A fold = aa + u * next; fold >= -m) {
        y = fold;
        slope = fallSlope;
      } else {
        y = next - riseWrap;
      }
    } else {
      if (next >= -m) {
        y = next;
      } else if (const A fold = g + w * next; fold <= m) {
        y = fold;
        slope = riseSlope;
      } else {
        y = next + fallWrap;
      }
    }
  }
}

} // namespace kernels::generators
