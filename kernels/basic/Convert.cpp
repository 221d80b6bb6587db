// Conversion kernels of the 16-byte-register classes, on SSE2.
//
// Results equal the generic variants bit for bit: a NaN narrows to -FLT_MAX and
// converts to -2^31, as in the generic code; rounding modes other than ippRndNear
// truncate; the scale factor is applied exactly (2^-sf as a double, or element by element
// in extended precision where it leaves the double range). The MXCSR is put back exactly
// as it was, flags included.
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include <emmintrin.h>

#include "kernels/basic/BasicKernels.h"

namespace kernels::basic {

namespace {

constexpr double kFloatMax = std::numeric_limits<float>::max();

float narrowOne(double x) {
  if (x >= kFloatMax)
    return std::numeric_limits<float>::max();
  if (!(x > -kFloatMax))
    return std::numeric_limits<float>::lowest();
  return static_cast<float>(x);
}

// Lanes of x limited to [-FLT_MAX, FLT_MAX]; NaN lanes take -FLT_MAX.
__m128d limitToFloat(__m128d x) {
  const __m128d hi = _mm_set1_pd(kFloatMax);
  const __m128d lo = _mm_set1_pd(-kFloatMax);
  const __m128d above = _mm_cmpge_pd(x, hi);
  const __m128d inside = _mm_cmpgt_pd(x, lo); // false for NaN
  x = _mm_or_pd(_mm_and_pd(above, hi), _mm_andnot_pd(above, x));
  return _mm_or_pd(_mm_and_pd(inside, x), _mm_andnot_pd(inside, lo));
}

// Reads each pair of doubles before writing the two floats that may overlay them, so
// pDst may equal pSrc.
void narrow(const double *pSrc, float *pDst, int len) {
  int i = 0;
  for (; i + 2 <= len; i += 2) {
    __m128d x;
    std::memcpy(&x, pSrc + i, sizeof x);
    const __m128 f = _mm_cvtpd_ps(limitToFloat(x));
    std::memcpy(pDst + i, &f, 2 * sizeof(float));
  }
  for (; i < len; ++i) {
    double x;
    std::memcpy(&x, pSrc + i, sizeof x);
    const float f = narrowOne(x);
    std::memcpy(pDst + i, &f, sizeof f);
  }
}

void widenFloats(const float *pSrc, double *pDst, int len) {
  int i = 0;
  for (; i + 4 <= len; i += 4) {
    __m128 f;
    std::memcpy(&f, pSrc + i, sizeof f);
    const __m128d a = _mm_cvtps_pd(f);
    const __m128d b = _mm_cvtps_pd(_mm_movehl_ps(f, f));
    std::memcpy(pDst + i, &a, sizeof a);
    std::memcpy(pDst + i + 2, &b, sizeof b);
  }
  for (; i < len; ++i) {
    float f;
    std::memcpy(&f, pSrc + i, sizeof f);
    const double d = f;
    std::memcpy(pDst + i, &d, sizeof d);
  }
}

void widenInts(const int *pSrc, double *pDst, int len) {
  int i = 0;
  for (; i + 4 <= len; i += 4) {
    __m128i v;
    std::memcpy(&v, pSrc + i, sizeof v);
    const __m128d a = _mm_cvtepi32_pd(v);
    const __m128d b = _mm_cvtepi32_pd(_mm_srli_si128(v, 8));
    std::memcpy(pDst + i, &a, sizeof a);
    std::memcpy(pDst + i + 2, &b, sizeof b);
  }
  for (; i < len; ++i) {
    int v;
    std::memcpy(&v, pSrc + i, sizeof v);
    const double d = v;
    std::memcpy(pDst + i, &d, sizeof d);
  }
}

// One element the generic way: exact scaling in extended precision, saturation, then
// rounding half to even (ippRndNear) or truncation.
int toInt32Scaled(long double x, bool nearest, int sf) {
  if (sf > 20000)
    sf = 20000;
  if (sf < -20000)
    sf = -20000;
  const long double d = std::ldexp(x, -sf);
  if (d >= 2147483647.0L)
    return INT_MAX;
  if (!(d > -2147483648.0L))
    return INT_MIN;
  return static_cast<int>(nearest ? std::nearbyint(d) : std::trunc(d));
}

// Two lanes of y (already scaled) saturated and converted: >= 2^31-1 gives INT_MAX,
// NaN and <= -2^31 give INT_MIN. In-range lanes convert under the MXCSR rounding (the
// caller set nearest) or truncate.
__m128i convertPair(__m128d y, bool nearest) {
  const __m128d hi = _mm_set1_pd(2147483647.0);
  const __m128d lo = _mm_set1_pd(-2147483648.0);
  const __m128d above = _mm_cmpge_pd(y, hi);
  const __m128d inside = _mm_cmpgt_pd(y, lo);
  const __m128d safe = _mm_and_pd(_mm_andnot_pd(above, inside), y); // others to 0
  __m128i r = nearest ? _mm_cvtpd_epi32(safe) : _mm_cvttpd_epi32(safe);
  const __m128i aboveI = _mm_shuffle_epi32(_mm_castpd_si128(above), 0x08);
  const __m128i insideI = _mm_shuffle_epi32(_mm_castpd_si128(inside), 0x08);
  r = _mm_or_si128(_mm_and_si128(insideI, r), _mm_andnot_si128(insideI, _mm_set1_epi32(INT_MIN)));
  return _mm_or_si128(_mm_and_si128(aboveI, _mm_set1_epi32(INT_MAX)), _mm_andnot_si128(aboveI, r));
}

template <class T> void toInt32(const T *pSrc, int *pDst, int len, IppRoundMode rndMode, int sf) {
  const bool nearest = rndMode == ippRndNear;
  // Beyond this the factor leaves the double range; such calls go element by element.
  if (sf > 1000 || sf < -1000) {
    for (int i = 0; i < len; ++i) {
      T x;
      std::memcpy(&x, pSrc + i, sizeof x);
      const int r = toInt32Scaled(x, nearest, sf);
      std::memcpy(pDst + i, &r, sizeof r);
    }
    return;
  }
  // x * 2^-sf is exact in double for |sf| <= 1000 unless it underflows, and an
  // underflowing product converts to 0 under either rounding.
  const __m128d f = _mm_set1_pd(std::ldexp(1.0, -sf));
  const unsigned int saved = _mm_getcsr();
  if (nearest && (saved & 0x6000u) != 0)
    _mm_setcsr(saved & ~0x6000u);
  int i = 0;
  for (; i + 2 <= len; i += 2) {
    __m128d x;
    if constexpr (sizeof(T) == 4) {
      std::uint64_t bits;
      std::memcpy(&bits, pSrc + i, sizeof bits);
      x = _mm_cvtps_pd(_mm_castsi128_ps(_mm_cvtsi64_si128(static_cast<long long>(bits))));
    } else {
      std::memcpy(&x, pSrc + i, sizeof x);
    }
    const __m128i r = convertPair(sf == 0 ? x : _mm_mul_pd(x, f), nearest);
    const long long lo = _mm_cvtsi128_si64(r);
    std::memcpy(pDst + i, &lo, 2 * sizeof(int));
  }
  for (; i < len; ++i) {
    T x;
    std::memcpy(&x, pSrc + i, sizeof x);
    const __m128i r = convertPair(_mm_mul_sd(_mm_set_sd(x), f), nearest);
    const int v = _mm_cvtsi128_si32(r);
    std::memcpy(pDst + i, &v, sizeof v);
  }
  _mm_setcsr(saved);
}

template <class S, class D> IppOpStatus checked(const S *pSrc, const D *pDst, int len) {
  if (!pSrc || !pDst)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  return ippStsNoErr;
}

} // namespace

namespace sse2 {

IppOpStatus ippsConvert_32f64f(const float *pSrc, double *pDst, int len) {
  const IppOpStatus st = checked(pSrc, pDst, len);
  if (st == ippStsNoErr)
    widenFloats(pSrc, pDst, len);
  return st;
}

IppOpStatus ippsConvert_32s64f(const int *pSrc, double *pDst, int len) {
  const IppOpStatus st = checked(pSrc, pDst, len);
  if (st == ippStsNoErr)
    widenInts(pSrc, pDst, len);
  return st;
}

IppOpStatus ippsConvert_64f32f(const double *pSrc, float *pDst, int len) {
  const IppOpStatus st = checked(pSrc, pDst, len);
  if (st == ippStsNoErr)
    narrow(pSrc, pDst, len);
  return st;
}

IppOpStatus ippsConvert_64f32s_Sfs(const double *pSrc, int *pDst, int len, IppRoundMode rndMode,
                                   int scaleFactor) {
  const IppOpStatus st = checked(pSrc, pDst, len);
  if (st == ippStsNoErr)
    toInt32(pSrc, pDst, len, rndMode, scaleFactor);
  return st;
}

IppOpStatus ippsConvert_32f32s_Sfs(const float *pSrc, int *pDst, int len, IppRoundMode rndMode,
                                   int scaleFactor) {
  const IppOpStatus st = checked(pSrc, pDst, len);
  if (st == ippStsNoErr)
    toInt32(pSrc, pDst, len, rndMode, scaleFactor);
  return st;
}

namespace scope {
IppOpStatus ippsConvert_64f32f(const double *pSrc, float &dst, int len) {
  return sse2::ippsConvert_64f32f(pSrc, &dst, len);
}
IppOpStatus ippsConvert_64f32s_Sfs(const double *pSrc, int &dst, int len, IppRoundMode rndMode,
                                   int scaleFactor) {
  return sse2::ippsConvert_64f32s_Sfs(pSrc, &dst, len, rndMode, scaleFactor);
}
IppOpStatus ippsConvert_32f32s_Sfs(const float *pSrc, int &dst, int len, IppRoundMode rndMode,
                                   int scaleFactor) {
  return sse2::ippsConvert_32f32s_Sfs(pSrc, &dst, len, rndMode, scaleFactor);
}
} // namespace scope

} // namespace sse2

} // namespace kernels::basic
