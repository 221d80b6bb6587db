// Generic variants of the region (two-dimensional) operations, the byte move and
// the region conversions that nothing in the system calls. Regions are walked row by
// row through byte steps; every check comes before the first write.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <utility>

#include "framework/dispatch/Albasicdispatcher.h"
#include "framework/dispatch/GenericHelpers.h"
#include "framework/dispatch/Slbasicdispatcher.h"
#include "framework/dispatch/Slscopedispatcher.h"
#include "framework/dispatch/Vizazodizaro.h"

namespace dispatch_filters {
namespace {

using dispatch_ops::advance;
using dispatch_ops::loadAt;
using dispatch_ops::scaleResult;
using dispatch_ops::storeAt;

template <class T> T *rowAt(T *base, int step, int row) {
  return static_cast<T *>(advance(base, step, row));
}

template <class T> const T *rowAt(const T *base, int step, int row) {
  return static_cast<const T *>(advance(base, step, row));
}

IppOpStatus checkRegion(const void *a, const void *b, tagSIZE roi) {
  if (!a || !b)
    return ippStsNullPtrErr;
  if (roi.width < 1 || roi.height < 1)
    return ippStsSizeErr;
  return ippStsNoErr;
}

// x = f(x, src) over an in-place byte region. Steps below 1 are refused: rows would
// overlap or run backwards over memory the caller did not describe.
template <class F>
IppOpStatus zipRegion8u(const unsigned char *pSrc, int srcStep, unsigned char *pSrcDst,
                        int srcDstStep, tagSIZE roi, F f) {
  if (IppOpStatus st = checkRegion(pSrc, pSrcDst, roi); st != ippStsNoErr)
    return st;
  if (srcStep < 1 || srcDstStep < 1)
    return ippStsStepErr;
  bool zeroDivisor = false;
  for (int y = 0; y < roi.height; ++y) {
    const unsigned char *s = rowAt(pSrc, srcStep, y);
    unsigned char *d = rowAt(pSrcDst, srcDstStep, y);
    for (int x = 0; x < roi.width; ++x)
      d[x] = f(d[x], s[x], zeroDivisor);
  }
  return zeroDivisor ? ippStsDivByZero : ippStsNoErr;
}

template <class F> IppOpStatus mapRegion8uI(unsigned char *pSrcDst, int step, tagSIZE roi, F f) {
  if (IppOpStatus st = checkRegion(pSrcDst, pSrcDst, roi); st != ippStsNoErr)
    return st;
  if (step < 1)
    return ippStsStepErr;
  for (int y = 0; y < roi.height; ++y) {
    unsigned char *d = rowAt(pSrcDst, step, y);
    for (int x = 0; x < roi.width; ++x)
      d[x] = f(d[x]);
  }
  return ippStsNoErr;
}

// dst element = f(src element) between two regions of possibly different element types.
template <class S, class D, class F>
IppOpStatus convertRegion(const S *pSrc, int srcStep, D *pDst, int dstStep, tagSIZE roi, F f) {
  if (IppOpStatus st = checkRegion(pSrc, pDst, roi); st != ippStsNoErr)
    return st;
  if (srcStep < 1 || dstStep < 1)
    return ippStsStepErr;
  for (int y = 0; y < roi.height; ++y) {
    const void *s = advance(pSrc, srcStep, y);
    void *d = advance(pDst, dstStep, y);
    for (int x = 0; x < roi.width; ++x)
      storeAt<D>(d, x, f(loadAt<S>(s, x)));
  }
  return ippStsNoErr;
}

// Float to integer: ties to even when roundMode is 1, toward zero otherwise; saturated,
// a NaN to the lower bound.
template <class T> T floatToInt(float v, int roundMode) {
  if (std::isnan(v))
    return std::numeric_limits<T>::min();
  const double r =
      roundMode == 1 ? std::nearbyint(static_cast<double>(v)) : std::trunc(static_cast<double>(v));
  if (r <= std::numeric_limits<T>::min())
    return std::numeric_limits<T>::min();
  if (r >= std::numeric_limits<T>::max())
    return std::numeric_limits<T>::max();
  return static_cast<T>(r);
}

} // namespace
} // namespace dispatch_filters

using namespace dispatch_filters;

namespace Slscopedispatcher::generic {

IppOpStatus ippiSet_8u_C4R(const unsigned char *value, unsigned char *pDst, int dstStep,
                           tagSIZE roi) {
  if (IppOpStatus st = checkRegion(value, pDst, roi); st != ippStsNoErr)
    return st;
  if (dstStep < 1)
    return ippStsStepErr;
  unsigned char pixel[4];
  std::memcpy(pixel, value, 4);
  for (int y = 0; y < roi.height; ++y) {
    unsigned char *d = rowAt(pDst, dstStep, y);
    for (int x = 0; x < roi.width; ++x)
      std::memcpy(d + 4 * static_cast<std::ptrdiff_t>(x), pixel, 4);
  }
  return ippStsNoErr;
}

IppOpStatus ippsMove_8u(const unsigned char *pSrc, unsigned char *pDst, int len) {
  if (!pSrc || !pDst)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  std::memmove(pDst, pSrc, static_cast<std::size_t>(len));
  return ippStsNoErr;
}

} // namespace Slscopedispatcher::generic

namespace Slbasicdispatcher::generic {

IppOpStatus ippiMirror_8u_C3IR(unsigned char *pSrcDst, int srcDstStep, tagSIZE roi, int flip) {
  if (IppOpStatus st = checkRegion(pSrcDst, pSrcDst, roi); st != ippStsNoErr)
    return st;
  if (srcDstStep < 1)
    return ippStsStepErr;
  if (flip != ippAxsHorizontal && flip != ippAxsVertical && flip != ippAxsBoth)
    return ippStsMirrorFlipErr;
  const std::size_t rowBytes = 3 * static_cast<std::size_t>(roi.width);
  if (flip != ippAxsVertical) {
    for (int top = 0, bottom = roi.height - 1; top < bottom; ++top, --bottom) {
      unsigned char *a = rowAt(pSrcDst, srcDstStep, top);
      unsigned char *b = rowAt(pSrcDst, srcDstStep, bottom);
      for (std::size_t i = 0; i < rowBytes; ++i)
        std::swap(a[i], b[i]);
    }
  }
  if (flip != ippAxsHorizontal) {
    for (int y = 0; y < roi.height; ++y) {
      unsigned char *row = rowAt(pSrcDst, srcDstStep, y);
      for (int l = 0, r = roi.width - 1; l < r; ++l, --r)
        for (int c = 0; c < 3; ++c)
          std::swap(row[3 * l + c], row[3 * r + c]);
    }
  }
  return ippStsNoErr;
}

} // namespace Slbasicdispatcher::generic

namespace Albasicdispatcher::generic {

IppOpStatus ippiAdd_8u_C1IRSfs(const unsigned char *pSrc, int srcStep, unsigned char *pSrcDst,
                               int srcDstStep, tagSIZE roi, int scaleFactor) {
  return zipRegion8u(pSrc, srcStep, pSrcDst, srcDstStep, roi,
                     [=](unsigned char x, unsigned char s, bool &) {
                       return scaleResult<unsigned char>(x + s, scaleFactor);
                     });
}

IppOpStatus ippiSub_8u_C1IRSfs(const unsigned char *pSrc, int srcStep, unsigned char *pSrcDst,
                               int srcDstStep, tagSIZE roi, int scaleFactor) {
  return zipRegion8u(pSrc, srcStep, pSrcDst, srcDstStep, roi,
                     [=](unsigned char x, unsigned char s, bool &) {
                       return scaleResult<unsigned char>(x - s, scaleFactor);
                     });
}

IppOpStatus ippiMul_8u_C1IRSfs(const unsigned char *pSrc, int srcStep, unsigned char *pSrcDst,
                               int srcDstStep, tagSIZE roi, int scaleFactor) {
  return zipRegion8u(pSrc, srcStep, pSrcDst, srcDstStep, roi,
                     [=](unsigned char x, unsigned char s, bool &) {
                       return scaleResult<unsigned char>(x * s, scaleFactor);
                     });
}

IppOpStatus ippiDiv_8u_C1IRSfs(const unsigned char *pSrc, int srcStep, unsigned char *pSrcDst,
                               int srcDstStep, tagSIZE roi, int scaleFactor) {
  return zipRegion8u(pSrc, srcStep, pSrcDst, srcDstStep, roi,
                     [=](unsigned char x, unsigned char s, bool &zeroDivisor) -> unsigned char {
                       if (s == 0) {
                         zeroDivisor = true;
                         return x > 0 ? 255 : 0;
                       }
                       return dispatch_ops::scaledQuotient<unsigned char>(x, s, scaleFactor);
                     });
}

IppOpStatus ippiMulC_8u_C1IRSfs(unsigned char val, unsigned char *pSrcDst, int srcDstStep,
                                tagSIZE roi, int scaleFactor) {
  return mapRegion8uI(pSrcDst, srcDstStep, roi, [=](unsigned char x) {
    return scaleResult<unsigned char>(x * val, scaleFactor);
  });
}

IppOpStatus ippiDivC_8u_C1IRSfs(unsigned char val, unsigned char *pSrcDst, int srcDstStep,
                                tagSIZE roi, int scaleFactor) {
  if (IppOpStatus st = checkRegion(pSrcDst, pSrcDst, roi); st != ippStsNoErr)
    return st;
  if (srcDstStep < 1)
    return ippStsStepErr;
  if (val == 0)
    return ippStsDivByZeroErr;
  return mapRegion8uI(pSrcDst, srcDstStep, roi, [=](unsigned char x) {
    return dispatch_ops::scaledQuotient<unsigned char>(x, val, scaleFactor);
  });
}

IppOpStatus ippiConvert_8u16u_C1R(const unsigned char *pSrc, int srcStep, unsigned short *pDst,
                                  int dstStep, tagSIZE roi) {
  return convertRegion(pSrc, srcStep, pDst, dstStep, roi,
                       [](unsigned char v) { return static_cast<unsigned short>(v); });
}

} // namespace Albasicdispatcher::generic

namespace Vizazodizaro::generic {

IppOpStatus ippiConvert_8s32f_C1R(const signed char *pSrc, int srcStep, float *pDst, int dstStep,
                                  tagSIZE roi) {
  return convertRegion(pSrc, srcStep, pDst, dstStep, roi,
                       [](signed char v) { return static_cast<float>(v); });
}

IppOpStatus ippiConvert_32f16s_C1R(const float *pSrc, int srcStep, short *pDst, int dstStep,
                                   tagSIZE roi, int roundMode) {
  return convertRegion(pSrc, srcStep, pDst, dstStep, roi,
                       [roundMode](float v) { return floatToInt<short>(v, roundMode); });
}

IppOpStatus ippiConvert_32f8s_C1R(const float *pSrc, int srcStep, signed char *pDst, int dstStep,
                                  tagSIZE roi, int roundMode) {
  return convertRegion(pSrc, srcStep, pDst, dstStep, roi,
                       [roundMode](float v) { return floatToInt<signed char>(v, roundMode); });
}

} // namespace Vizazodizaro::generic
