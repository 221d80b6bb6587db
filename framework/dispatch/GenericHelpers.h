// Helpers shared by the generic variants of every operation family (element arithmetic,
// conversions, statistics, scaled integers, complex, window, region, generator, filter and
// transform operations). Private to framework/dispatch: stateless, no locks, nothing here
// throws.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>

#include "framework/dispatch/IppTypes.h"

namespace dispatch_ops {

// "Computed at extended precision, rounded once."
using ext = long double;

inline std::uint64_t bitsOf(double x) { return std::bit_cast<std::uint64_t>(x); }

// Element access through a byte step. Steps need not be multiples of the element
// size, so rows are read and written byte-wise instead of through typed pointers.
template <class T> inline T loadAt(const void *row, int i) {
  T v;
  std::memcpy(&v,
              static_cast<const unsigned char *>(row) + static_cast<std::ptrdiff_t>(i) * sizeof(T),
              sizeof(T));
  return v;
}

template <class T> inline void storeAt(void *row, int i, T v) {
  std::memcpy(static_cast<unsigned char *>(row) + static_cast<std::ptrdiff_t>(i) * sizeof(T), &v,
              sizeof(T));
}

inline const void *advance(const void *p, int step, int rows) {
  return static_cast<const unsigned char *>(p) + static_cast<std::ptrdiff_t>(step) * rows;
}

inline void *advance(void *p, int step, int rows) {
  return static_cast<unsigned char *>(p) + static_cast<std::ptrdiff_t>(step) * rows;
}

// pDst[i] = f(pSrc[i]) after the common tests (null pointer, then length below 1);
// pSrc may equal pDst.
template <class S, class D, class F> inline int mapVector(const S *pSrc, D *pDst, int len, F f) {
  if (!pSrc || !pDst)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  for (int i = 0; i < len; ++i)
    pDst[i] = f(pSrc[i]);
  return ippStsNoErr;
}

// pSrcDst[i] = f(pSrcDst[i], pSrc[i]) in place, after the same tests.
template <class S, class T, class F> inline int zipVector(const S *pSrc, T *pSrcDst, int len, F f) {
  if (!pSrc || !pSrcDst)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  for (int i = 0; i < len; ++i)
    pSrcDst[i] = f(pSrcDst[i], pSrc[i]);
  return ippStsNoErr;
}

// A reference argument the caller may still pass as a null pointer dereference; read
// through a volatile so the test is not folded away.
template <class T> bool isNullRef(T &ref) {
  T *volatile p = &ref;
  return p == nullptr;
}

// run(warning) runs a vector operation whose element function may set a warning in
// `warning`; an error of the common tests wins, otherwise the warning is the status.
template <class Run> inline int withWarning(Run run) {
  int warning = ippStsNoErr;
  const int status = run(warning);
  return status != ippStsNoErr ? status : warning;
}

// The tests of the one-channel region operations, in their order: null pointer, width or
// height below 1, a row step below 1.
inline int checkRegion(const void *pSrc, int srcStep, const void *pDst, int dstStep, tagSIZE roi) {
  if (!pSrc || !pDst)
    return ippStsNullPtrErr;
  if (roi.width < 1 || roi.height < 1)
    return ippStsSizeErr;
  if (srcStep < 1 || dstStep < 1)
    return ippStsStepErr;
  return ippStsNoErr;
}

template <class T> inline T saturateTo(__int128 v) {
  constexpr __int128 lo = std::numeric_limits<T>::min();
  constexpr __int128 hi = std::numeric_limits<T>::max();
  return static_cast<T>(v < lo ? lo : (v > hi ? hi : v));
}

// Quotient num / den (den > 0) rounded to the nearest integer, an exact half to
// the even neighbour. 2 · |num| and 2 · den must fit I.
template <class I> inline I divRoundHalfEven(I num, I den) {
  I q = num / den;
  I r = num % den;
  if (r < 0) { // make q the floor and r non-negative
    q -= 1;
    r += den;
  }
  const I twice = 2 * r;
  if (twice > den || (twice == den && (q & 1) != 0))
    q += 1;
  return q;
}

// The scale-factor rule: the exact result r times 2^-sf, rounded half to even and
// saturated to T. |r| is at most 2^62 (the square of -2^31), so every shifted value
// stays within 64 bits and every scaled-up one within 128.
template <class T> inline T scaleResult(std::int64_t r, int sf) {
  if (sf == 0 || r == 0)
    return saturateTo<T>(r);
  if (sf > 0) {
    if (sf >= 63)
      return T(0);                  // |r| / 2^63 is at most a half, which goes to the even 0
    const std::int64_t q = r >> sf; // floor
    const std::int64_t rest = r - (q << sf);
    const std::int64_t half = std::int64_t{1} << (sf - 1);
    return saturateTo<T>(q + ((rest > half || (rest == half && (q & 1) != 0)) ? 1 : 0));
  }
  if (sf <= -64)
    return saturateTo<T>(r > 0 ? std::numeric_limits<std::int64_t>::max()
                               : std::numeric_limits<std::int64_t>::min());
  return saturateTo<T>(static_cast<__int128>(r) * (static_cast<__int128>(1) << -sf));
}

// x · 2^-sf / d exactly, rounded half to even and saturated to T (d != 0; x and d
// are 32-bit values).
template <class T> inline T scaledQuotient(std::int64_t x, std::int64_t d, int sf) {
  if (x == 0)
    return T(0);
  if (d < 0) {
    x = -x;
    d = -d;
  }
  if (sf > 40)
    return T(0); // |x / d| <= 2^31, so the scaled quotient is below a half
  if (sf < -62)
    return saturateTo<T>(x > 0 ? std::numeric_limits<std::int64_t>::max()
                               : std::numeric_limits<std::int64_t>::min());
  if (sf >= -31 && sf <= 31) { // both sides stay within 2^62
    return saturateTo<T>(sf > 0 ? divRoundHalfEven<std::int64_t>(x, d << sf)
                                : divRoundHalfEven<std::int64_t>(x * (std::int64_t{1} << -sf), d));
  }
  __int128 num = x;
  __int128 den = d;
  if (sf > 0)
    den <<= sf;
  else
    num *= static_cast<__int128>(1) << -sf;
  return saturateTo<T>(divRoundHalfEven<__int128>(num, den));
}

} // namespace dispatch_ops

// The filter, transform and uncalled operations live in their own namespace and use the
// same helpers.
namespace dispatch_filters {
using dispatch_ops::ext;
using dispatch_ops::isNullRef;
using dispatch_ops::mapVector;
using dispatch_ops::zipVector;
} // namespace dispatch_filters
