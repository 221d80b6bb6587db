// Generic integer element arithmetic with scale factors. Every exact result is
// formed in 64 or 128 bits, scaled by 2^-sf, rounded half to even and saturated
// to the element type.

#include <cmath>

#include "framework/dispatch/Albasicdispatcher.h"
#include "framework/dispatch/GenericHelpers.h"
#include "framework/dispatch/Slbasicdispatcher.h"
#include "framework/dispatch/Slscopedispatcher.h"

namespace dispatch_ops {
namespace {

constexpr auto kAdd = [](std::int64_t x, std::int64_t v) { return x + v; };
constexpr auto kSub = [](std::int64_t x, std::int64_t v) { return x - v; };
constexpr auto kMul = [](std::int64_t x, std::int64_t v) { return x * v; };
constexpr auto kSubRev = [](std::int64_t x, std::int64_t v) { return v - x; };

template <class T, class Op> int vectorSfs(const T *pSrc, T *pSrcDst, int len, int sf, Op op) {
  return zipVector(pSrc, pSrcDst, len,
                   [sf, op](T x, T src) { return scaleResult<T>(op(x, src), sf); });
}

template <class T, class Op> int constSfs(T val, T *pSrcDst, int len, int sf, Op op) {
  return mapVector(pSrcDst, pSrcDst, len,
                   [val, sf, op](T x) { return scaleResult<T>(op(x, val), sf); });
}

// A zero divisor stores the type's extreme of the dividend's sign (0 for 0).
template <class T> T divByZero(std::int64_t x) {
  if (x > 0)
    return std::numeric_limits<T>::max();
  if (x < 0)
    return std::numeric_limits<T>::min();
  return T(0);
}

// x / d, or the zero-divisor result with warning 6.
template <class T> T quotientOf(T x, T d, int sf, int &status) {
  if (d == 0) {
    status = ippStsDivByZero;
    return divByZero<T>(x);
  }
  return scaledQuotient<T>(x, d, sf);
}

int div32sSfs(const int *pSrc, int *pSrcDst, int len, int sf) {
  return withWarning([&](int &warning) {
    return zipVector(pSrc, pSrcDst, len,
                     [sf, &warning](int x, int d) { return quotientOf(x, d, sf, warning); });
  });
}

// Region forms: width elements per row, rows `step` bytes apart. Every step must be
// at least 1: a step of 0 or below would make the rows overlap and the in-place
// result depend on the walk. Fn(x, src) gives the stored value and may raise the status it is
// handed.
template <class T, class Fn>
int regionSfs(const T *pSrc, int srcStep, T *pSrcDst, int srcDstStep, tagSIZE roi, Fn fn) {
  if (const int st = checkRegion(pSrc, srcStep, pSrcDst, srcDstStep, roi); st != ippStsNoErr)
    return st;
  int status = ippStsNoErr;
  const void *src = pSrc;
  void *dst = pSrcDst;
  for (int y = 0; y < roi.height; ++y) {
    for (int x = 0; x < roi.width; ++x)
      storeAt<T>(dst, x, fn(loadAt<T>(dst, x), loadAt<T>(src, x), status));
    src = advance(src, srcStep, 1);
    dst = advance(dst, srcDstStep, 1);
  }
  return status;
}

template <class T, class Op>
int regionBinarySfs(const T *pSrc, int srcStep, T *pSrcDst, int srcDstStep, tagSIZE roi, int sf,
                    Op op) {
  return regionSfs(pSrc, srcStep, pSrcDst, srcDstStep, roi,
                   [sf, op](T x, T s, int &) { return scaleResult<T>(op(x, s), sf); });
}

// The constant forms walk the one region as both source and destination.
template <class T, class Op>
int regionConstSfs(T val, T *pSrcDst, int step, tagSIZE roi, int sf, Op op) {
  return regionSfs<T>(pSrcDst, step, pSrcDst, step, roi,
                      [sf, op, val](T x, T, int &) { return scaleResult<T>(op(x, val), sf); });
}

int regionDiv16sSfs(const short *pSrc, int srcStep, short *pSrcDst, int srcDstStep, tagSIZE roi,
                    int sf) {
  return regionSfs(pSrc, srcStep, pSrcDst, srcDstStep, roi,
                   [sf](short x, short d, int &status) { return quotientOf(x, d, sf, status); });
}

// Rounds m·x to 16 bits the way the constant division does: 32768.5 is added at
// extended precision, the sum truncated, an odd result of an exact sum stepped
// down, and 32768 taken off again. Near-halves that the rounded factor moves by a
// few units of the last place therefore still go to the even neighbour.
short roundShifted16(long double product) {
  const long double t = product + 32768.5L;
  if (!(t > 0.0L))
    return std::numeric_limits<short>::min();
  if (t >= 65536.0L)
    return std::numeric_limits<short>::max();
  auto n = static_cast<std::int64_t>(t);
  if (static_cast<long double>(n) == t && (n & 1) != 0)
    --n;
  return saturateTo<short>(n - 32768);
}

// 2^-sf / val at extended precision; beyond ±200 every product is 0 or saturated.
long double divCFactor(short val, int sf) {
  if (sf > 200)
    sf = 200;
  if (sf < -200)
    sf = -200;
  return std::ldexp(1.0L, -sf) / val;
}

int divC16sSfs(short val, short *pSrcDst, int len, int sf) {
  if (!pSrcDst)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  if (val == 0)
    return ippStsDivByZeroErr;
  const long double m = divCFactor(val, sf);
  for (int i = 0; i < len; ++i)
    pSrcDst[i] = roundShifted16(m * pSrcDst[i]);
  return ippStsNoErr;
}

int regionDivC16sSfs(short val, short *pSrcDst, int step, tagSIZE roi, int sf) {
  if (const int st = checkRegion(pSrcDst, step, pSrcDst, step, roi); st != ippStsNoErr)
    return st;
  if (val == 0)
    return ippStsDivByZeroErr;
  const long double m = divCFactor(val, sf);
  return regionSfs<short>(pSrcDst, step, pSrcDst, step, roi,
                          [m](short x, short, int &) { return roundShifted16(m * x); });
}

} // namespace
} // namespace dispatch_ops

using namespace dispatch_ops;

namespace Slbasicdispatcher::generic {

IppOpStatus ippsAdd_32s_ISfs(const int *pSrc, int *pSrcDst, int len, int scaleFactor) {
  return vectorSfs(pSrc, pSrcDst, len, scaleFactor, kAdd);
}
IppOpStatus ippsSub_32s_ISfs(const int *pSrc, int *pSrcDst, int len, int scaleFactor) {
  return vectorSfs(pSrc, pSrcDst, len, scaleFactor, kSub);
}
IppOpStatus ippsMul_32s_ISfs(const int *pSrc, int *pSrcDst, int len, int scaleFactor) {
  return vectorSfs(pSrc, pSrcDst, len, scaleFactor, kMul);
}
IppOpStatus ippsDiv_32s_ISfs(const int *pSrc, int *pSrcDst, int len, int scaleFactor) {
  return div32sSfs(pSrc, pSrcDst, len, scaleFactor);
}

IppOpStatus ippsAdd_8u_ISfs(const unsigned char *pSrc, unsigned char *pSrcDst, int len,
                            int scaleFactor) {
  return vectorSfs(pSrc, pSrcDst, len, scaleFactor, kAdd);
}

IppOpStatus ippsSub_8u_ISfs(const unsigned char *pSrc, unsigned char *pSrcDst, int len,
                            int scaleFactor) {
  return vectorSfs(pSrc, pSrcDst, len, scaleFactor, kSub);
}

IppOpStatus ippsMul_8u_ISfs(const unsigned char *pSrc, unsigned char *pSrcDst, int len,
                            int scaleFactor) {
  return vectorSfs(pSrc, pSrcDst, len, scaleFactor, kMul);
}

} // namespace Slbasicdispatcher::generic

namespace Slscopedispatcher::generic {

// The scope passes the first element of its coordinate array.
IppOpStatus ippsAddC_32s_ISfs(int val, int &srcDst, int len, int scaleFactor) {
  return constSfs(val, &srcDst, len, scaleFactor, kAdd);
}
IppOpStatus ippsSubCRev_32s_ISfs(int val, int &srcDst, int len, int scaleFactor) {
  return constSfs(val, &srcDst, len, scaleFactor, kSubRev);
}

} // namespace Slscopedispatcher::generic

namespace Albasicdispatcher::generic {

IppOpStatus ippsAddC_8u_ISfs(unsigned char val, unsigned char *pSrcDst, int len, int scaleFactor) {
  return constSfs(val, pSrcDst, len, scaleFactor, kAdd);
}
IppOpStatus ippsSubC_8u_ISfs(unsigned char val, unsigned char *pSrcDst, int len, int scaleFactor) {
  return constSfs(val, pSrcDst, len, scaleFactor, kSub);
}
IppOpStatus ippsAddC_16s_ISfs(short val, short *pSrcDst, int len, int scaleFactor) {
  return constSfs(val, pSrcDst, len, scaleFactor, kAdd);
}
IppOpStatus ippsSubC_16s_ISfs(short val, short *pSrcDst, int len, int scaleFactor) {
  return constSfs(val, pSrcDst, len, scaleFactor, kSub);
}
IppOpStatus ippsMulC_16s_ISfs(short val, short *pSrcDst, int len, int scaleFactor) {
  return constSfs(val, pSrcDst, len, scaleFactor, kMul);
}
IppOpStatus ippsDivC_16s_ISfs(short val, short *pSrcDst, int len, int scaleFactor) {
  return divC16sSfs(val, pSrcDst, len, scaleFactor);
}

IppOpStatus ippiAdd_16s_C1IRSfs(const short *pSrc, int srcStep, short *pSrcDst, int srcDstStep,
                                tagSIZE roi, int scaleFactor) {
  return regionBinarySfs(pSrc, srcStep, pSrcDst, srcDstStep, roi, scaleFactor, kAdd);
}

IppOpStatus ippiSub_16s_C1IRSfs(const short *pSrc, int srcStep, short *pSrcDst, int srcDstStep,
                                tagSIZE roi, int scaleFactor) {
  return regionBinarySfs(pSrc, srcStep, pSrcDst, srcDstStep, roi, scaleFactor, kSub);
}

IppOpStatus ippiMul_16s_C1IRSfs(const short *pSrc, int srcStep, short *pSrcDst, int srcDstStep,
                                tagSIZE roi, int scaleFactor) {
  return regionBinarySfs(pSrc, srcStep, pSrcDst, srcDstStep, roi, scaleFactor, kMul);
}

IppOpStatus ippiDiv_16s_C1IRSfs(const short *pSrc, int srcStep, short *pSrcDst, int srcDstStep,
                                tagSIZE roi, int scaleFactor) {
  return regionDiv16sSfs(pSrc, srcStep, pSrcDst, srcDstStep, roi, scaleFactor);
}

IppOpStatus ippiAddC_8u_C1IRSfs(unsigned char val, unsigned char *pSrcDst, int srcDstStep,
                                tagSIZE roi, int scaleFactor) {
  return regionConstSfs(val, pSrcDst, srcDstStep, roi, scaleFactor, kAdd);
}

IppOpStatus ippiSubC_8u_C1IRSfs(unsigned char val, unsigned char *pSrcDst, int srcDstStep,
                                tagSIZE roi, int scaleFactor) {
  return regionConstSfs(val, pSrcDst, srcDstStep, roi, scaleFactor, kSub);
}

IppOpStatus ippiAddC_16s_C1IRSfs(short val, short *pSrcDst, int srcDstStep, tagSIZE roi,
                                 int scaleFactor) {
  return regionConstSfs(val, pSrcDst, srcDstStep, roi, scaleFactor, kAdd);
}

IppOpStatus ippiSubC_16s_C1IRSfs(short val, short *pSrcDst, int srcDstStep, tagSIZE roi,
                                 int scaleFactor) {
  return regionConstSfs(val, pSrcDst, srcDstStep, roi, scaleFactor, kSub);
}

IppOpStatus ippiMulC_16s_C1IRSfs(short val, short *pSrcDst, int srcDstStep, tagSIZE roi,
                                 int scaleFactor) {
  return regionConstSfs(val, pSrcDst, srcDstStep, roi, scaleFactor, kMul);
}

IppOpStatus ippiDivC_16s_C1IRSfs(short val, short *pSrcDst, int srcDstStep, tagSIZE roi,
                                 int scaleFactor) {
  return regionDivC16sSfs(val, pSrcDst, srcDstStep, roi, scaleFactor);
}

} // namespace Albasicdispatcher::generic
