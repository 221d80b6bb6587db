// Generic conversions: widening to floating point, narrowing to floats and to
// 32-bit integers with a scale factor and rounding mode, and the full-range
// rescaling of unsigned 8-bit samples. Saturation is silent.

#include <cmath>

#include <emmintrin.h>

#include "framework/dispatch/Albasicdispatcher.h"
#include "framework/dispatch/GenericHelpers.h"
#include "framework/dispatch/Slbasicdispatcher.h"
#include "framework/dispatch/Slbcbbasicdispatcher.h"
#include "framework/dispatch/Slscopedispatcher.h"
#include "framework/dispatch/Vizazodizaro.h"

namespace dispatch_ops {
namespace {

constexpr double kFloatMax = std::numeric_limits<float>::max();

template <class TSrc, class TDst, class Fn>
int convertRegion(const TSrc *pSrc, int srcStep, TDst *pDst, int dstStep, tagSIZE roi, Fn fn) {
  if (const int st = checkRegion(pSrc, srcStep, pDst, dstStep, roi); st != ippStsNoErr)
    return st;
  const void *src = pSrc;
  void *dst = pDst;
  for (int y = 0; y < roi.height; ++y) {
    for (int x = 0; x < roi.width; ++x)
      storeAt<TDst>(dst, x, fn(loadAt<TSrc>(src, x)));
    src = advance(src, srcStep, 1);
    dst = advance(dst, dstStep, 1);
  }
  return ippStsNoErr;
}

float toFloatSaturated(double x) {
  if (x >= kFloatMax)
    return std::numeric_limits<float>::max();
  if (!(x > -kFloatMax))
    return std::numeric_limits<float>::lowest(); // NaN included
  return static_cast<float>(x);
}

// x · 2^-sf rounded by rnd (1 to nearest even, anything else toward zero) and
// saturated to 32 bits. Beyond ±20000 the factor already gives 0 or saturation.
// A double holds the scaled value exactly (a float or double times a power of
// two) wherever it can matter: a result that underflows lies far below one half
// and rounds to zero, one that overflows saturates, so this gives the same
// integers as scaling and rounding at extended precision, at a fraction of the
// cost. The conversion instructions round in the current mode, as nearbyint does.
int toInt32Scaled(double x, int rnd, int sf) {
  if (sf > 20000)
    sf = 20000;
  if (sf < -20000)
    sf = -20000;
  const double d = sf == 0 ? x : std::ldexp(x, -sf);
  if (d >= 2147483647.0)
    return std::numeric_limits<int>::max();
  if (!(d > -2147483648.0))
    return std::numeric_limits<int>::min();
  return rnd == 1 ? _mm_cvtsd_si32(_mm_set_sd(d)) : _mm_cvttsd_si32(_mm_set_sd(d));
}

template <class TSrc> int convertToInt32Sfs(const TSrc *pSrc, int *pDst, int len, int rnd, int sf) {
  return mapVector(pSrc, pDst, len, [rnd, sf](TSrc x) { return toInt32Scaled(x, rnd, sf); });
}

int convert16s64fSfs(const short *pSrc, double *pDst, int len, int sf) {
  if (sf == 0)
    return mapVector(pSrc, pDst, len, [](short v) { return static_cast<double>(v); });
  if (sf > 1022)
    sf = 1022;
  if (sf < -1008)
    sf = -1008;
  const double factor = std::ldexp(1.0, -sf);
  return mapVector(pSrc, pDst, len, [factor](short v) { return v * factor; });
}

// Unsigned 8-bit samples to and from signed 16- and 32-bit samples over the full range.

short scale8u16s(unsigned char v) { return static_cast<short>(v * 257 - 32768); }

int scale8u32s(unsigned char v) {
  return static_cast<int>(std::int64_t(v) * 16843009 - 2147483648LL);
}

// e = c + k·v at extended precision; its integer part, one less when e is exactly odd.
unsigned char scaleAccurate(long double c, long double k, std::int64_t v) {
  const long double e = c + k * static_cast<long double>(v);
  std::int64_t n = static_cast<std::int64_t>(e);
  if (static_cast<long double>(n) == e && (n & 1) != 0)
    --n;
  return static_cast<unsigned char>(n);
}

// Signed 16- or 32-bit samples to unsigned bytes: by hint 2 through e = c + k·v,
// otherwise through shifts that keep the low 8 bits.
template <class T>
int scaleToBytes(const T *pSrc, int srcStep, unsigned char *pDst, int dstStep, tagSIZE roi,
                 int hint, long double c, long double k) {
  if (hint == 2)
    return convertRegion(pSrc, srcStep, pDst, dstStep, roi,
                         [c, k](T v) { return scaleAccurate(c, k, v); });
  return convertRegion(pSrc, srcStep, pDst, dstStep, roi, [](T s) {
    constexpr int shift = 8 * sizeof(T) - 8;
    const std::int64_t v = s;
    return static_cast<unsigned char>(((v - (v >> 8)) >> shift) + 128);
  });
}

template <class T> constexpr auto kExact = [](auto v) { return static_cast<T>(v); };

} // namespace
} // namespace dispatch_ops

using namespace dispatch_ops;

namespace Slbasicdispatcher::generic {

IppOpStatus ippsConvert_32f64f(const float *pSrc, double *pDst, int len) {
  return mapVector(pSrc, pDst, len, kExact<double>);
}
IppOpStatus ippsConvert_32s64f(const int *pSrc, double *pDst, int len) {
  return mapVector(pSrc, pDst, len, kExact<double>);
}
IppOpStatus ippsConvert_64f32f(const double *pSrc, float *pDst, int len) {
  return mapVector(pSrc, pDst, len, toFloatSaturated);
}

IppOpStatus ippsConvert_64f32s_Sfs(const double *pSrc, int *pDst, int len, IppRoundMode rndMode,
                                   int scaleFactor) {
  return convertToInt32Sfs(pSrc, pDst, len, rndMode, scaleFactor);
}

} // namespace Slbasicdispatcher::generic

namespace Slscopedispatcher::generic {

// The scope passes the first element of its destination array.
IppOpStatus ippsConvert_64f32f(const double *pSrc, float &dst, int len) {
  return mapVector(pSrc, &dst, len, toFloatSaturated);
}

IppOpStatus ippsConvert_32f32s_Sfs(const float *pSrc, int &dst, int len, IppRoundMode rndMode,
                                   int scaleFactor) {
  return convertToInt32Sfs(pSrc, &dst, len, rndMode, scaleFactor);
}

IppOpStatus ippsConvert_64f32s_Sfs(const double *pSrc, int &dst, int len, IppRoundMode rndMode,
                                   int scaleFactor) {
  return convertToInt32Sfs(pSrc, &dst, len, rndMode, scaleFactor);
}

} // namespace Slscopedispatcher::generic

namespace Slbcbbasicdispatcher::generic {

IppOpStatus ippsConvert_16s64f_Sfs(const short *pSrc, double *pDst, int len, int scaleFactor) {
  return convert16s64fSfs(pSrc, pDst, len, scaleFactor);
}

} // namespace Slbcbbasicdispatcher::generic

namespace Vizazodizaro::generic {

IppOpStatus ippiConvert_16s32f_C1R(const short *pSrc, int srcStep, float *pDst, int dstStep,
                                   tagSIZE roi) {
  return convertRegion(pSrc, srcStep, pDst, dstStep, roi, kExact<float>);
}

} // namespace Vizazodizaro::generic

namespace Albasicdispatcher::generic {

IppOpStatus ippiConvert_8u32f_C1R(const unsigned char *pSrc, int srcStep, float *pDst, int dstStep,
                                  tagSIZE roi) {
  return convertRegion(pSrc, srcStep, pDst, dstStep, roi, kExact<float>);
}

IppOpStatus ippiScale_8u16s_C1R(const unsigned char *pSrc, int srcStep, short *pDst, int dstStep,
                                tagSIZE roi) {
  return convertRegion(pSrc, srcStep, pDst, dstStep, roi, scale8u16s);
}

IppOpStatus ippiScale_8u32s_C1R(const unsigned char *pSrc, int srcStep, int *pDst, int dstStep,
                                tagSIZE roi) {
  return convertRegion(pSrc, srcStep, pDst, dstStep, roi, scale8u32s);
}

IppOpStatus ippiScale_16s8u_C1R(const short *pSrc, int srcStep, unsigned char *pDst, int dstStep,
                                tagSIZE roi, int hint) {
  return scaleToBytes(pSrc, srcStep, pDst, dstStep, roi, hint, std::bit_cast<float>(0x43000080u),
                      std::bit_cast<float>(0x3B7F00FFu));
}

IppOpStatus ippiScale_32s8u_C1R(const int *pSrc, int srcStep, unsigned char *pDst, int dstStep,
                                tagSIZE roi, int hint) {
  return scaleToBytes(pSrc, srcStep, pDst, dstStep, roi, hint,
                      std::bit_cast<double>(0x40600000000FF000ull),
                      std::bit_cast<double>(0x3E6FE000001FE000ull));
}

} // namespace Albasicdispatcher::generic
