// Generic floating-point element arithmetic: constants, in-place vector
// operations on doubles and complex doubles, and the one-argument functions.
// Every result is formed in long double and rounded once when stored.

#include <cmath>

#include "framework/dispatch/GenericHelpers.h"
#include "framework/dispatch/Libcdispatcher.h"
#include "framework/dispatch/Slbasicdispatcher.h"
#include "framework/dispatch/Slbcbbasicdispatcher.h"
#include "framework/dispatch/Slscopedispatcher.h"
#include "framework/dispatch/Vizazodizaro.h"

namespace dispatch_ops {
namespace {

inline double rounded(long double v) { return static_cast<double>(v); }

constexpr auto kPlus = [](long double x, long double y) { return x + y; };
constexpr auto kMinus = [](long double x, long double y) { return x - y; };
constexpr auto kTimes = [](long double x, long double y) { return x * y; };

// Adding or subtracting a constant in place. Zero would turn -0.0 into +0.0 and quieten
// NaNs; the data stays as it is.
template <class Op> int addSubC64f(double val, double *pSrcDst, int len, Op op) {
  if (!pSrcDst)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  if (val == 0.0)
    return ippStsNoErr;
  return mapVector(pSrcDst, pSrcDst, len, [val, op](double x) { return rounded(op(x, val)); });
}

// Multiplication by a constant into pDst (pDst may equal pSrc): 1.0 copies, 0.0 stores +0.0.
int mulC64f(const double *pSrc, double val, double *pDst, int len) {
  if (!pSrc || !pDst)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  if (val == 1.0) {
    if (pDst != pSrc)
      std::memmove(pDst, pSrc, sizeof(double) * static_cast<std::size_t>(len));
    return ippStsNoErr;
  }
  if (val == 0.0)
    return mapVector(pSrc, pDst, len, [](double) { return 0.0; });
  return mapVector(pSrc, pDst, len,
                   [val](double x) { return rounded(static_cast<long double>(x) * val); });
}

int divC64f(double val, double *pSrcDst, int len) {
  if (!pSrcDst)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  if (val == 0.0)
    return ippStsDivByZeroErr;
  // Multiplying by the rounded reciprocal is what the buffers rely on, last bit included.
  return mulC64f(pSrcDst, rounded(1.0L / val), pSrcDst, len);
}

template <class Op> int binary64fI(const double *pSrc, double *pSrcDst, int len, Op op) {
  return zipVector(pSrc, pSrcDst, len, [op](double x, double src) { return rounded(op(x, src)); });
}

double divOf(double x, double d, int &status) {
  if (d != 0.0)
    return rounded(static_cast<long double>(x) / d);
  status = ippStsDivByZero;
  if (x > 0.0)
    return std::numeric_limits<double>::infinity();
  if (x < 0.0)
    return -std::numeric_limits<double>::infinity();
  if (x == 0.0)
    return ippDefaultNaN;
  return x; // a NaN dividend stays the NaN it is
}

int div64fI(const double *pSrc, double *pSrcDst, int len) {
  return withWarning([&](int &warning) {
    return zipVector(pSrc, pSrcDst, len,
                     [&warning](double x, double d) { return divOf(x, d, warning); });
  });
}

// Sum and difference test the length before the pointers.
template <class Op> int addSub64fcI(const Ipp64fc *pSrc, Ipp64fc *pSrcDst, int len, Op op) {
  if (len < 1)
    return ippStsSizeErr;
  return zipVector(pSrc, pSrcDst, len, [op](Ipp64fc x, Ipp64fc src) {
    return Ipp64fc{rounded(op(x.re, src.re)), rounded(op(x.im, src.im))};
  });
}

Ipp64fc mulOf(Ipp64fc x, Ipp64fc src) {
  const long double a = x.re, b = x.im;
  const long double c = src.re, d = src.im;
  return Ipp64fc{rounded(a * c - b * d), rounded(a * d + b * c)};
}

Ipp64fc divOf(Ipp64fc x, Ipp64fc src, int &status) {
  const long double a = x.re, b = x.im;
  const long double c = src.re, d = src.im;
  // The extended exponent range keeps c² + d² free of overflow and underflow.
  const long double m = c * c + d * d;
  if (m == 0.0L) {
    status = ippStsDivByZero;
    return Ipp64fc{ippDefaultNaN, ippDefaultNaN};
  }
  const long double r = 1.0L / m;
  return Ipp64fc{rounded(r * (a * c + b * d)), rounded(r * (b * c - a * d))};
}

int div64fcI(const Ipp64fc *pSrc, Ipp64fc *pSrcDst, int len) {
  return withWarning([&](int &warning) {
    return zipVector(pSrc, pSrcDst, len,
                     [&warning](Ipp64fc x, Ipp64fc d) { return divOf(x, d, warning); });
  });
}

// One-argument functions: pSrc may equal pDst. Fn maps one element and may raise
// the status it is given.
template <class T, class Fn> int unary(const T *pSrc, T *pDst, int len, Fn fn) {
  return withWarning([&](int &warning) {
    return mapVector(pSrc, pDst, len, [&warning, fn](T x) { return fn(x, warning); });
  });
}

double absOf(double x, int &) {
  return std::bit_cast<double>(bitsOf(x) & ~(std::uint64_t(1) << 63));
}

double sqrOf(double x, int &) { return rounded(static_cast<long double>(x) * x); }

// The square of a float is exact in a double (48 significant bits, exponents
// well inside the range), so the float product, rounded once from the exact
// square, is what rounding an extended-precision square gives.
float sqrOf32(float x) { return x * x; }

double sqrtOf(double x, int &status) {
  if (x < 0.0) {
    status = ippStsSqrtNegArg;
    return ippDefaultNaN;
  }
  return Libcdispatcher::_sqrt(x);
}

double lnOf(double x, int &status) {
  const std::uint64_t bits = bitsOf(x);
  if (bits >> 63) { // negative numbers, -0.0 and negative NaNs
    if (status == ippStsNoErr)
      status = ippStsLnNegArg;
    return ippDefaultNaN;
  }
  // A positive quiet NaN gives the default NaN without its sign; a signalling one goes on
  // to the logarithm, which quietens it and keeps its payload.
  constexpr std::uint64_t kQuietBit = std::uint64_t(1) << 51;
  if (std::isnan(x) && (bits & kQuietBit))
    return std::bit_cast<double>(ippDefaultNaNBits & ~(std::uint64_t(1) << 63));
  if (x == 0.0) {
    if (status == ippStsNoErr)
      status = ippStsLnZeroArg;
    return -std::numeric_limits<double>::infinity();
  }
  return Libcdispatcher::_log(x);
}

// Short vectors take the library exponential element by element, last bit included.
double expShort(double x, int &) { return Libcdispatcher::_exp(x); }

// The path for vectors of four or more elements: results that would be subnormal
// become +0.0, and NaNs other than a positive quiet one become the default NaN.
double expLong(double x, int &) {
  const std::uint32_t high = static_cast<std::uint32_t>(bitsOf(x) >> 32);
  const std::uint32_t magnitude = high & 0x7FFFFFFFu;
  if (magnitude < 0x4086232Bu)
    return rounded(std::exp(static_cast<long double>(x)));
  if (std::isnan(x)) {
    const bool positiveQuiet = (high >> 31) == 0 && (high & 0x00080000u) != 0;
    return positiveQuiet ? x : ippDefaultNaN;
  }
  if (high >> 31)
    return 0.0;
  if (std::isinf(x) || high >= 0x40862E42u)
    return std::numeric_limits<double>::infinity();
  return rounded(std::exp(static_cast<long double>(x)));
}

int exp64f(const double *pSrc, double *pDst, int len) {
  if (len < 4)
    return unary(pSrc, pDst, len, expShort);
  return unary(pSrc, pDst, len, expLong);
}

} // namespace
} // namespace dispatch_ops

using namespace dispatch_ops;

namespace Slbasicdispatcher::generic {

IppOpStatus ippsAddC_64f_I(double val, double *pSrcDst, int len) {
  return addSubC64f(val, pSrcDst, len, kPlus);
}
IppOpStatus ippsSubC_64f_I(double val, double *pSrcDst, int len) {
  return addSubC64f(val, pSrcDst, len, kMinus);
}
IppOpStatus ippsMulC_64f_I(double val, double *pSrcDst, int len) {
  return mulC64f(pSrcDst, val, pSrcDst, len);
}
IppOpStatus ippsDivC_64f_I(double val, double *pSrcDst, int len) {
  return divC64f(val, pSrcDst, len);
}

IppOpStatus ippsAdd_64f_I(const double *pSrc, double *pSrcDst, int len) {
  return binary64fI(pSrc, pSrcDst, len, kPlus);
}
IppOpStatus ippsSub_64f_I(const double *pSrc, double *pSrcDst, int len) {
  return binary64fI(pSrc, pSrcDst, len, kMinus);
}
IppOpStatus ippsMul_64f_I(const double *pSrc, double *pSrcDst, int len) {
  return binary64fI(pSrc, pSrcDst, len, kTimes);
}
IppOpStatus ippsDiv_64f_I(const double *pSrc, double *pSrcDst, int len) {
  return div64fI(pSrc, pSrcDst, len);
}

IppOpStatus ippsAdd_64fc_I(const Ipp64fc *pSrc, Ipp64fc *pSrcDst, int len) {
  return addSub64fcI(pSrc, pSrcDst, len, kPlus);
}
IppOpStatus ippsSub_64fc_I(const Ipp64fc *pSrc, Ipp64fc *pSrcDst, int len) {
  return addSub64fcI(pSrc, pSrcDst, len, kMinus);
}
IppOpStatus ippsMul_64fc_I(const Ipp64fc *pSrc, Ipp64fc *pSrcDst, int len) {
  return zipVector(pSrc, pSrcDst, len, mulOf);
}
IppOpStatus ippsDiv_64fc_I(const Ipp64fc *pSrc, Ipp64fc *pSrcDst, int len) {
  return div64fcI(pSrc, pSrcDst, len);
}

} // namespace Slbasicdispatcher::generic

namespace Slscopedispatcher::generic {

// The scope passes the first element of its destination array.
IppOpStatus ippsMulC_64f(const double *pSrc, double val, double &dst, int len) {
  return mulC64f(pSrc, val, &dst, len);
}

} // namespace Slscopedispatcher::generic

namespace Slbcbbasicdispatcher::generic {

IppOpStatus ippsAbs_64f_I(double *pSrcDst, int len) { return unary(pSrcDst, pSrcDst, len, absOf); }
IppOpStatus ippsAbs_64f(const double *pSrc, double *pDst, int len) {
  return unary(pSrc, pDst, len, absOf);
}
IppOpStatus ippsSqr_64f_I(double *pSrcDst, int len) { return unary(pSrcDst, pSrcDst, len, sqrOf); }
IppOpStatus ippsSqr_64f(const double *pSrc, double *pDst, int len) {
  return unary(pSrc, pDst, len, sqrOf);
}
IppOpStatus ippsSqrt_64f_I(double *pSrcDst, int len) {
  return unary(pSrcDst, pSrcDst, len, sqrtOf);
}
IppOpStatus ippsSqrt_64f(const double *pSrc, double *pDst, int len) {
  return unary(pSrc, pDst, len, sqrtOf);
}
IppOpStatus ippsExp_64f_I(double *pSrcDst, int len) { return exp64f(pSrcDst, pSrcDst, len); }
IppOpStatus ippsExp_64f(const double *pSrc, double *pDst, int len) {
  return exp64f(pSrc, pDst, len);
}
IppOpStatus ippsLn_64f_I(double *pSrcDst, int len) { return unary(pSrcDst, pSrcDst, len, lnOf); }
IppOpStatus ippsLn_64f(const double *pSrc, double *pDst, int len) {
  return unary(pSrc, pDst, len, lnOf);
}

} // namespace Slbcbbasicdispatcher::generic

namespace Vizazodizaro::generic {

IppOpStatus ippsSqr_32f_I(float *pSrcDst, int len) {
  return mapVector(pSrcDst, pSrcDst, len, sqrOf32);
}

} // namespace Vizazodizaro::generic
