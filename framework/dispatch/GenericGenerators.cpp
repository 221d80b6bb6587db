// Generic variants of the 16-bit signal generators (uniform and normal noise, tone,
// triangle). They keep nothing between calls: a caller continues a stream by passing
// back the seed or phase the previous call wrote. Every check comes before any write,
// so a failing call leaves samples, seed and phase as they were.
#include <cmath>
#include <cstdint>

#include "framework/dispatch/GenericHelpers.h"
#include "framework/dispatch/Vizazodizaro.h"
#include "kernels/common/SignalGenerators.h"

namespace dispatch_filters {
namespace {

using kernels::generators::CombinedRandom;
using kernels::generators::low16;
using kernels::generators::nextPhase;

short saturate16(ext v) {
  const ext t = std::trunc(v);
  if (!(t > -32768.0L))
    return std::isnan(t) ? 0 : -32768;
  return t >= 32767.0L ? 32767 : static_cast<short>(t);
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
  if (const IppOpStatus st = kernels::generators::checkTone(pDst, len, magn, rFreq, phase);
      st != ippStsNoErr)
    return st;
  const float p = phase;
  const ext w = static_cast<ext>(kernels::generators::kTwoPi) * rFreq;
  phase = nextPhase(w * len, p);
  kernels::generators::toneExtended(pDst, len, magn, w, p);
  return ippStsNoErr;
}

IppOpStatus ippsTriangle_Direct_16s(short *pDst, int len, short magn, float rFreq, float asym,
                                    float &phase) {
  if (isNullRef(phase))
    return ippStsNullPtrErr;
  if (const IppOpStatus st =
          kernels::generators::checkTriangle(pDst, len, magn, rFreq, asym, phase);
      st != ippStsNoErr)
    return st;
  const float p = phase;
  phase = nextPhase(static_cast<ext>(kernels::generators::kTwoPi) * rFreq * len, p);
  kernels::generators::triangleWave<ext>(pDst, len, magn, rFreq, asym, p);
  return ippStsNoErr;
}

} // namespace Vizazodizaro::generic
