// Generic variants of the 16-bit signal generators (uniform and normal noise, tone,
// triangle). They keep nothing between calls: a caller continues a stream by passing
// back the seed or phase the previous call wrote. Every check comes before any write,
// so a failing call leaves samples, seed and phase as they were.
#include "framework/dispatch/Vizazodizaro.h"
#include "framework/dispatch/generic_helpers.h"

#include <cmath>
#include <cstdint>

namespace dispatch_filters {
namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr double kInvTwoPi = 0.15915494309189535;
constexpr double kPi = 3.141592653589793;
constexpr double kFourPi = 12.566370614359172;

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
short low16(ext v) { return static_cast<short>(static_cast<std::int32_t>(v)); }

short saturate16(ext v) {
  const ext t = std::trunc(v);
  if (!(t > -32768.0L))
    return std::isnan(t) ? 0 : -32768;
  return t >= 32767.0L ? 32767 : static_cast<short>(t);
}

bool phaseOutOfRange(float phase) {
  return !(phase >= 0.0f) || static_cast<double>(phase) >= kTwoPi;
}

// The phase after len samples, reduced to [0, 2π); a rounding slip outside gives 0.
float nextPhase(ext advance, float phase) {
  const ext e = advance + phase;
  const double k = std::floor(static_cast<double>(e * kInvTwoPi));
  const double p = static_cast<double>(static_cast<double>(e) - static_cast<ext>(kTwoPi) * k);
  return (p >= 0.0 && p < kTwoPi) ? static_cast<float>(p) : 0.0f;
}

} // namespace
} // namespace dispatch_filters

using namespace dispatch_filters;

namespace Vizazodizaro::generic {

IppOpStatus ippsRandUniform_Direct_16s(short *pDst, int len, short low, short high,
                                       unsigned int &seed) {
  if (!pDst || isNullRef(seed))
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  const ext a = static_cast<ext>(high - low) * 2.3283064365387e-10;
  const ext b = static_cast<ext>(low + high) * 0.5L;
  CombinedRandom rnd(seed);
  for (int i = 0; i < len; ++i)
    pDst[i] = low16(rnd.next() * a + b);
  seed = rnd.seed();
  return ippStsNoErr;
}

IppOpStatus ippsRandGauss_Direct_16s(short *pDst, int len, short mean, short stdDev,
                                     unsigned int &seed) {
  if (!pDst || isNullRef(seed))
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  CombinedRandom rnd(seed);
  // Polar method: a pair inside the unit circle gives two normal values.
  double z1 = 0, z2 = 0;
  ext g = 0;
  auto draw = [&] {
    double s;
    do {
      z1 = rnd.next() * 4.656612873077e-10;
      z2 = rnd.next() * 4.656612873077e-10;
      s = z1 * z1 + z2 * z2;
    } while (s >= 1.0 || s == 0.0);
    const double f = std::sqrt(static_cast<double>(-2.0L * std::log(s) / s));
    g = static_cast<ext>(f) * stdDev;
  };
  draw();
  int i = 0;
  for (; len - i >= 2; i += 2) {
    pDst[i] = saturate16(mean + z2 * g);
    pDst[i + 1] = saturate16(mean + z1 * g);
    draw();
  }
  if (i < len)
    pDst[i] = saturate16(mean + z2 * g);
  seed = rnd.seed();
  return ippStsNoErr;
}

IppOpStatus ippsTone_Direct_16s(short *pDst, int len, short magn, float rFreq, float &phase,
                                int /*hint*/) {
  if (isNullRef(phase))
    return ippStsNullPtrErr;
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

  const float p = phase;
  const ext w = static_cast<ext>(kTwoPi) * rFreq;
  phase = nextPhase(w * len, p);

  // magn·cos(p + w·n) by the Chebyshev recurrence, restarted from the cosine per call.
  const ext y0 = magn * static_cast<ext>(std::cos(static_cast<double>(p)));
  const ext y1 = magn * static_cast<ext>(std::cos(static_cast<double>(p + w)));
  pDst[0] = low16(y0);
  if (len == 1)
    return ippStsNoErr;
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
  return ippStsNoErr;
}

IppOpStatus ippsTriangle_Direct_16s(short *pDst, int len, short magn, float rFreq, float asym,
                                    float &phase) {
  if (isNullRef(phase))
    return ippStsNullPtrErr;
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

  const float p = phase;
  const ext m = magn;
  const ext f = rFreq;
  phase = nextPhase(static_cast<ext>(kTwoPi) * f * len, p);

  // The period falls from +M at phase 0 to -M at h1, then rises back over h2.
  const ext h1 = kPi + static_cast<ext>(asym);
  const ext h2 = kPi - static_cast<ext>(asym);
  const double fallSlope = static_cast<double>(-(f * kFourPi * m) / h1);
  const double riseSlope = static_cast<double>((f * kFourPi * m) / h2);
  const double riseWrap = static_cast<double>(kFourPi * m / h2);
  const double fallWrap = static_cast<double>(kFourPi * m / h1);
  const double u = static_cast<double>(-h2 / h1);
  const double w = static_cast<double>(-h1 / h2);
  const double aa = static_cast<double>(m - m * u);
  const double g = static_cast<double>(m * w - m);

  ext y;
  ext slope;
  if (p < h1) {
    y = m * (1 - 2 * p / h1);
    slope = fallSlope;
  } else {
    y = m * (2 * (p - h1) / h2 - 1);
    slope = riseSlope;
  }
  for (int i = 0; i < len; ++i) {
    pDst[i] = low16(y);
    const ext next = y + slope;
    if (slope > 0) {
      if (next <= m) {
        y = next;
      } else if (const ext fold = aa + u * next; fold >= -m) {
        y = fold;
        slope = fallSlope;
      } else {
        y = next - riseWrap;
      }
    } else {
      if (next >= -m) {
        y = next;
      } else if (const ext fold = g + w * next; fold <= m) {
        y = fold;
        slope = riseSlope;
      } else {
        y = next + fallWrap;
      }
    }
  }
  return ippStsNoErr;
}

} // namespace Vizazodizaro::generic
