// Element-wise arithmetic of two double or complex vectors, and complex constant
// arithmetic, for the 16-byte-register classes (codes 16-17 and 6-9 share these).
//
// Sums, differences and products are the IEEE double of their formula, so they may differ
// from the generic's extended-precision results in the last place (real operations) or,
// for complex products and quotients under cancellation, by a few units of the larger
// term. Everything else is the generic's: checks and their order, the zero-divisor rule
// (infinity of the dividend's sign, the default NaN for 0/0, warning 6), NaN divisors
// divided normally, and quotients of complex numbers whose squares would leave the double
// range, which go through the generic's extended-precision formula instead.
//
// Long complex constant sums, differences and products write with non-temporal stores
// (fenced before returning); codes 16-17 wait for twice the length codes 6-9 do.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>

#include <emmintrin.h>

#include "kernels/basic/BasicKernels.h"
#include "kernels/basic/FillCopyBlocks.h"
#include "kernels/common/ElementLoops.h"

namespace kernels::basic {

namespace {

using ext = long double;

__m128d loadComplex(const Ipp64fc *p) { return _mm_loadu_pd(reinterpret_cast<const double *>(p)); }
void storeComplex(Ipp64fc *p, __m128d v) { _mm_storeu_pd(reinterpret_cast<double *>(p), v); }

double load1(const double *p) {
  double x;
  std::memcpy(&x, p, sizeof x);
  return x;
}
void store1(double *p, double x) { std::memcpy(p, &x, sizeof x); }

// dst[i] = op(a[i], b[i]); dst may equal a or b. Eight doubles per pass, then pairs, then
// the last one alone. With streamAbove (blocks of four) nonzero, a long sum into a
// destination on the 8-byte grid writes its passes with fenced non-temporal stores.
template <class Op>
void zipPairs(const double *a, const double *b, double *dst, std::size_t n, Op op,
              std::size_t streamAbove = 0) {
  std::size_t i = 0;
  if (!partlyOverlap(dst, n * sizeof(double), a, n * sizeof(double)) &&
      !partlyOverlap(dst, n * sizeof(double), b, n * sizeof(double))) {
    const auto dstAt = reinterpret_cast<std::uintptr_t>(dst);
    if (streamAbove != 0 && detail::StreamAbove(n / 4, streamAbove, dstAt % 8 == 0)) {
      if (dstAt % 16 != 0) {
        store1(dst, _mm_cvtsd_f64(op(_mm_set_sd(load1(a)), _mm_set_sd(load1(b)))));
        i = 1;
      }
      for (; i + 8 <= n; i += 8) {
        for (std::size_t k = 0; k < 8; k += 2)
          _mm_stream_pd(dst + i + k, op(_mm_loadu_pd(a + i + k), _mm_loadu_pd(b + i + k)));
      }
      _mm_sfence(); // the streamed passes reach memory before any later store
    }
    for (; i + 8 <= n; i += 8) {
      const __m128d r0 = op(_mm_loadu_pd(a + i), _mm_loadu_pd(b + i));
      const __m128d r1 = op(_mm_loadu_pd(a + i + 2), _mm_loadu_pd(b + i + 2));
      const __m128d r2 = op(_mm_loadu_pd(a + i + 4), _mm_loadu_pd(b + i + 4));
      const __m128d r3 = op(_mm_loadu_pd(a + i + 6), _mm_loadu_pd(b + i + 6));
      _mm_storeu_pd(dst + i, r0);
      _mm_storeu_pd(dst + i + 2, r1);
      _mm_storeu_pd(dst + i + 4, r2);
      _mm_storeu_pd(dst + i + 6, r3);
    }
    for (; i + 2 <= n; i += 2)
      _mm_storeu_pd(dst + i, op(_mm_loadu_pd(a + i), _mm_loadu_pd(b + i)));
  }
  for (; i < n; ++i)
    store1(dst + i, _mm_cvtsd_f64(op(_mm_set_sd(load1(a + i)), _mm_set_sd(load1(b + i)))));
}

IppOpStatus check2(const void *a, const void *b, int len) {
  if (!a || !b)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  return ippStsNoErr;
}

IppOpStatus check3(const void *a, const void *b, const void *c, int len) {
  if (!a || !b || !c)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  return ippStsNoErr;
}

const auto kAdd = [](__m128d x, __m128d y) { return _mm_add_pd(x, y); };
const auto kSub = [](__m128d x, __m128d y) { return _mm_sub_pd(x, y); };
const auto kMul = [](__m128d x, __m128d y) { return _mm_mul_pd(x, y); };

// The generic rule for a zero divisor: +Inf, -Inf, the default NaN for a zero dividend,
// and a NaN dividend kept as it is.
double zeroDivisorResult(double x) {
  if (x > 0.0)
    return std::numeric_limits<double>::infinity();
  if (x < 0.0)
    return -std::numeric_limits<double>::infinity();
  if (x == 0.0)
    return ippDefaultNaN;
  return x;
}

// v[i] = v[i] / d[i]; returns true when a zero divisor was met. Divisors are tested before
// they are used, so a zero never reaches a division; a pair holding one takes the scalar rule.
bool divideInPlace(const double *d, double *v, std::size_t n) {
  bool zero = false;
  auto one = [&](std::size_t k) {
    const double dv = load1(d + k);
    const double x = load1(v + k);
    if (dv == 0.0) {
      zero = true;
      store1(v + k, zeroDivisorResult(x));
    } else {
      store1(v + k, _mm_cvtsd_f64(_mm_div_sd(_mm_set_sd(x), _mm_set_sd(dv))));
    }
  };
  std::size_t i = 0;
  if (!partlyOverlap(v, n * sizeof(double), d, n * sizeof(double))) {
    for (; i + 2 <= n; i += 2) {
      const __m128d dv = _mm_loadu_pd(d + i);
      if (_mm_movemask_pd(_mm_cmpeq_pd(dv, _mm_setzero_pd())) == 0) {
        _mm_storeu_pd(v + i, _mm_div_pd(_mm_loadu_pd(v + i), dv));
      } else {
        one(i);
        one(i + 1);
      }
    }
  }
  for (; i < n; ++i)
    one(i);
  return zero;
}

// Sign masks: negate the low lane, or the high lane.
__m128d negLow() { return _mm_set_pd(0.0, -0.0); }
__m128d negHigh() { return _mm_set_pd(-0.0, 0.0); }
__m128d swapLanes(__m128d v) { return _mm_shuffle_pd(v, v, 1); }

// (c, d) x (a, b) = (c a - d b, c b + d a), each product and the sum rounded to double.
__m128d complexMul(__m128d v, __m128d s) {
  const __m128d c = _mm_unpacklo_pd(v, v);
  const __m128d d = _mm_unpackhi_pd(v, v);
  const __m128d t0 = _mm_mul_pd(c, s);                                  // (c a, c b)
  const __m128d t1 = _mm_xor_pd(_mm_mul_pd(d, swapLanes(s)), negLow()); // (-(d b), d a)
  return _mm_add_pd(t0, t1);
}

// The generic product in extended precision, for elements whose double products overflow.
__m128d complexMulExtended(__m128d v, __m128d s) {
  double x[2], y[2];
  _mm_storeu_pd(x, v);
  _mm_storeu_pd(y, s);
  const ext a = x[0], b = x[1], c = y[0], d = y[1];
  return _mm_set_pd(static_cast<double>(a * d + b * c), static_cast<double>(a * c - b * d));
}

// The double product where it is finite; an infinite or NaN part is formed again as the
// generic forms it, so (1e300 + 1e300i) x (1e10 + 1e10i) has the real part 0, not the
// inf - inf of overflowing double products, and infinite or NaN inputs give its results.
__m128d complexMulChecked(__m128d v, __m128d s) {
  const __m128d r = complexMul(v, s);
  const __m128d t = _mm_sub_pd(r, r);
  if (_mm_movemask_pd(_mm_cmpunord_pd(t, t)) == 0)
    return r;
  return complexMulExtended(v, s);
}

// The generic quotient of complex numbers, in extended precision.
Ipp64fc divideExtended(Ipp64fc x, Ipp64fc src, bool &zero) {
  const ext a = x.re, b = x.im;
  const ext c = src.re, d = src.im;
  const ext m = c * c + d * d;
  if (m == 0.0L) {
    zero = true;
    return Ipp64fc{ippDefaultNaN, ippDefaultNaN};
  }
  const ext r = 1.0L / m;
  return Ipp64fc{static_cast<double>(r * (a * c + b * d)),
                 static_cast<double>(r * (b * c - a * d))};
}

// Every lane zero or of a magnitude in [2^-250, 2^250]: then all products, the squared
// magnitude and the quotient stay well inside the double range.
bool moderate(__m128d v) {
  const __m128d mag = _mm_andnot_pd(_mm_set1_pd(-0.0), v);
  const __m128d inRange =
      _mm_and_pd(_mm_cmpge_pd(mag, _mm_set1_pd(0x1p-250)), _mm_cmple_pd(mag, _mm_set1_pd(0x1p250)));
  const __m128d ok = _mm_or_pd(inRange, _mm_cmpeq_pd(mag, _mm_setzero_pd()));
  return _mm_movemask_pd(ok) == 3;
}

// (r, s) / (p, q) = ((r p + s q) w, (s p - r q) w) with w = 1 / (p p + q q), in double.
__m128d complexDiv(__m128d x, __m128d d) {
  const __m128d sq = _mm_mul_pd(d, d);
  const __m128d m = _mm_add_sd(sq, swapLanes(sq)); // low lane: p p + q q
  const __m128d w = _mm_div_pd(_mm_set1_pd(1.0), _mm_unpacklo_pd(m, m));
  const __m128d p = _mm_unpacklo_pd(d, d);
  const __m128d q = _mm_unpackhi_pd(d, d);
  const __m128d t0 = _mm_mul_pd(x, p);                                   // (r p, s p)
  const __m128d t1 = _mm_xor_pd(_mm_mul_pd(swapLanes(x), q), negHigh()); // (s q, -(r q))
  return _mm_mul_pd(_mm_add_pd(t0, t1), w);
}

bool divideComplexInPlace(const Ipp64fc *d, Ipp64fc *v, int len) {
  bool zero = false;
  for (int i = 0; i < len; ++i) {
    const __m128d dv = loadComplex(d + i);
    const __m128d x = loadComplex(v + i);
    const bool nonzero = _mm_movemask_pd(_mm_cmpneq_pd(dv, _mm_setzero_pd())) != 0;
    if (nonzero && moderate(dv) && moderate(x)) {
      storeComplex(v + i, complexDiv(x, dv));
    } else {
      Ipp64fc a, b;
      std::memcpy(&a, v + i, sizeof a);
      std::memcpy(&b, d + i, sizeof b);
      const Ipp64fc r = divideExtended(a, b, zero);
      std::memcpy(v + i, &r, sizeof r);
    }
  }
  return zero;
}

// dst[i] = f(src[i]) for complex elements, one per pass in order, so any overlap of source
// and destination reads each element before it is written, as the generic does.
// Above `pairs` pairs of elements, and with the destination (alone, or with the source when
// sourceAligned) on the 16-byte grid, the stores bypass the cache; pairs 0: never.
template <class F>
IppOpStatus mapComplex(const Ipp64fc *src, Ipp64fc *dst, int len, F f, std::size_t pairs = 0,
                       bool sourceAligned = false) {
  if (const IppOpStatus st = check2(src, dst, len); st != ippStsNoErr)
    return st;
  const bool aligned = detail::Aligned16(dst) && (!sourceAligned || detail::Aligned16(src));
  if (pairs != 0 && detail::StreamAbove(static_cast<std::size_t>(len) / 2, pairs, aligned)) {
    for (int i = 0; i < len; ++i)
      _mm_stream_pd(reinterpret_cast<double *>(dst + i), f(loadComplex(src + i)));
    _mm_sfence(); // the streamed elements reach memory before any later store
    return ippStsNoErr;
  }
  for (int i = 0; i < len; ++i)
    storeComplex(dst + i, f(loadComplex(src + i)));
  return ippStsNoErr;
}

// The product of codes 6-9 (class 1); codes 16-17 use it with class 2 inside their
// division only.
IppOpStatus mulC64fc(const Ipp64fc *pSrc, Ipp64fc val, Ipp64fc *pDst, int len, std::size_t cls) {
  const __m128d c = _mm_set_pd(val.im, val.re);
  return mapComplex(
      pSrc, pDst, len, [c](__m128d x) { return complexMulChecked(x, c); },
      detail::kStreamOtherPairs * cls, true);
}

// The factor conj(val) / |val|^2 is formed in extended precision as the generic forms it,
// so tiny constants still divide and huge ones do not give zeros; the product is double.
IppOpStatus divC64fc(const Ipp64fc *pSrc, Ipp64fc val, Ipp64fc *pDst, int len, std::size_t cls) {
  if (const IppOpStatus st = check2(pSrc, pDst, len); st != ippStsNoErr)
    return st;
  const ext m = static_cast<ext>(val.re) * val.re + static_cast<ext>(val.im) * val.im;
  if (m == 0 || std::isnan(m))
    return ippStsDivByZeroErr;
  const ext r = 1.0L / m;
  const Ipp64fc f{static_cast<double>(val.re * r), static_cast<double>(-val.im * r)};
  return mulC64fc(pSrc, f, pDst, len, cls);
}

IppOpStatus addC64fc(const Ipp64fc *pSrc, Ipp64fc val, Ipp64fc *pDst, int len, std::size_t cls) {
  const __m128d c = _mm_set_pd(val.im, val.re);
  return mapComplex(
      pSrc, pDst, len, [c](__m128d x) { return _mm_add_pd(x, c); }, detail::kStreamAddPairs * cls,
      false);
}
IppOpStatus subC64fc(const Ipp64fc *pSrc, Ipp64fc val, Ipp64fc *pDst, int len, std::size_t cls) {
  const __m128d c = _mm_set_pd(val.im, val.re);
  return mapComplex(
      pSrc, pDst, len, [c](__m128d x) { return _mm_sub_pd(x, c); }, detail::kStreamOtherPairs * cls,
      true);
}
IppOpStatus subCRev64fc(const Ipp64fc *pSrc, Ipp64fc val, Ipp64fc *pDst, int len, std::size_t cls) {
  const __m128d c = _mm_set_pd(val.im, val.re);
  return mapComplex(
      pSrc, pDst, len, [c](__m128d x) { return _mm_sub_pd(c, x); }, detail::kStreamOtherPairs * cls,
      true);
}

std::size_t doubles(int complexLen) { return 2 * static_cast<std::size_t>(complexLen); }

// Sums of two vectors: codes 6-9 (class 1) stream above 5461 blocks of four, codes 16-17
// (class 2) above 10922; the complex sum is the real one over twice the length.
constexpr std::size_t kStreamSumBlocks = 5461;

IppOpStatus add64f(const double *pSrc1, const double *pSrc2, double *pDst, int len,
                   std::size_t cls) {
  if (const IppOpStatus st = check3(pSrc1, pSrc2, pDst, len); st != ippStsNoErr)
    return st;
  zipPairs(pSrc1, pSrc2, pDst, static_cast<std::size_t>(len), kAdd, kStreamSumBlocks * cls);
  return ippStsNoErr;
}

IppOpStatus add64fc(const Ipp64fc *pSrc1, const Ipp64fc *pSrc2, Ipp64fc *pDst, int len,
                    std::size_t cls) {
  if (len < 1)
    return ippStsSizeErr;
  if (!pSrc1 || !pSrc2 || !pDst)
    return ippStsNullPtrErr;
  zipPairs(reinterpret_cast<const double *>(pSrc1), reinterpret_cast<const double *>(pSrc2),
           reinterpret_cast<double *>(pDst), doubles(len), kAdd, kStreamSumBlocks * cls);
  return ippStsNoErr;
}

// In-place complex product, one element per pass in order. Codes 16-17 (stream) write with
// fenced non-temporal stores above 16384 pairs when the vector is on the 16-byte grid and
// the source on the 8-byte one.
constexpr std::size_t kStreamProductPairs = 16384;

IppOpStatus mul64fcInPlace(const Ipp64fc *pSrc, Ipp64fc *pSrcDst, int len, bool stream) {
  if (const IppOpStatus st = check2(pSrc, pSrcDst, len); st != ippStsNoErr)
    return st;
  const bool aligned =
      detail::Aligned16(pSrcDst) && reinterpret_cast<std::uintptr_t>(pSrc) % 8 == 0;
  if (stream &&
      detail::StreamAbove(static_cast<std::size_t>(len) / 2, kStreamProductPairs, aligned)) {
    for (int i = 0; i < len; ++i)
      _mm_stream_pd(reinterpret_cast<double *>(pSrcDst + i),
                    complexMulChecked(loadComplex(pSrcDst + i), loadComplex(pSrc + i)));
    _mm_sfence();
    return ippStsNoErr;
  }
  for (int i = 0; i < len; ++i)
    storeComplex(pSrcDst + i, complexMulChecked(loadComplex(pSrcDst + i), loadComplex(pSrc + i)));
  return ippStsNoErr;
}

} // namespace

namespace sse2 {

IppOpStatus ippsAdd_64f(const double *pSrc1, const double *pSrc2, double *pDst, int len) {
  return add64f(pSrc1, pSrc2, pDst, len, 1);
}

IppOpStatus ippsAdd_64f_I(const double *pSrc, double *pSrcDst, int len) {
  if (const IppOpStatus st = check2(pSrc, pSrcDst, len); st != ippStsNoErr)
    return st;
  zipPairs(pSrcDst, pSrc, pSrcDst, static_cast<std::size_t>(len), kAdd);
  return ippStsNoErr;
}

IppOpStatus ippsSub_64f_I(const double *pSrc, double *pSrcDst, int len) {
  if (const IppOpStatus st = check2(pSrc, pSrcDst, len); st != ippStsNoErr)
    return st;
  zipPairs(pSrcDst, pSrc, pSrcDst, static_cast<std::size_t>(len), kSub);
  return ippStsNoErr;
}

IppOpStatus ippsMul_64f_I(const double *pSrc, double *pSrcDst, int len) {
  if (const IppOpStatus st = check2(pSrc, pSrcDst, len); st != ippStsNoErr)
    return st;
  zipPairs(pSrcDst, pSrc, pSrcDst, static_cast<std::size_t>(len), kMul);
  return ippStsNoErr;
}

IppOpStatus ippsDiv_64f_I(const double *pSrc, double *pSrcDst, int len) {
  if (const IppOpStatus st = check2(pSrc, pSrcDst, len); st != ippStsNoErr)
    return st;
  return divideInPlace(pSrc, pSrcDst, static_cast<std::size_t>(len)) ? ippStsDivByZero
                                                                     : ippStsNoErr;
}

// The complex sums and differences test the length first, then run the real loops over
// both parts; the count of doubles is formed without int overflow.
IppOpStatus ippsAdd_64fc(const Ipp64fc *pSrc1, const Ipp64fc *pSrc2, Ipp64fc *pDst, int len) {
  return add64fc(pSrc1, pSrc2, pDst, len, 1);
}

IppOpStatus ippsAdd_64fc_I(const Ipp64fc *pSrc, Ipp64fc *pSrcDst, int len) {
  if (len < 1)
    return ippStsSizeErr;
  if (!pSrc || !pSrcDst)
    return ippStsNullPtrErr;
  auto *v = reinterpret_cast<double *>(pSrcDst);
  zipPairs(v, reinterpret_cast<const double *>(pSrc), v, doubles(len), kAdd);
  return ippStsNoErr;
}

IppOpStatus ippsSub_64fc_I(const Ipp64fc *pSrc, Ipp64fc *pSrcDst, int len) {
  if (len < 1)
    return ippStsSizeErr;
  if (!pSrc || !pSrcDst)
    return ippStsNullPtrErr;
  auto *v = reinterpret_cast<double *>(pSrcDst);
  zipPairs(v, reinterpret_cast<const double *>(pSrc), v, doubles(len), kSub);
  return ippStsNoErr;
}

IppOpStatus ippsMul_64fc_I(const Ipp64fc *pSrc, Ipp64fc *pSrcDst, int len) {
  return mul64fcInPlace(pSrc, pSrcDst, len, false);
}

IppOpStatus ippsDiv_64fc_I(const Ipp64fc *pSrc, Ipp64fc *pSrcDst, int len) {
  if (const IppOpStatus st = check2(pSrc, pSrcDst, len); st != ippStsNoErr)
    return st;
  return divideComplexInPlace(pSrc, pSrcDst, len) ? ippStsDivByZero : ippStsNoErr;
}

IppOpStatus ippsAddC_64fc(const Ipp64fc *pSrc, Ipp64fc val, Ipp64fc *pDst, int len) {
  return addC64fc(pSrc, val, pDst, len, 1);
}

IppOpStatus ippsSubC_64fc(const Ipp64fc *pSrc, Ipp64fc val, Ipp64fc *pDst, int len) {
  return subC64fc(pSrc, val, pDst, len, 1);
}

IppOpStatus ippsSubCRev_64fc(const Ipp64fc *pSrc, Ipp64fc val, Ipp64fc *pDst, int len) {
  return subCRev64fc(pSrc, val, pDst, len, 1);
}

IppOpStatus ippsMulC_64fc(const Ipp64fc *pSrc, Ipp64fc val, Ipp64fc *pDst, int len) {
  return mulC64fc(pSrc, val, pDst, len, 1);
}

IppOpStatus ippsDivC_64fc(const Ipp64fc *pSrc, Ipp64fc val, Ipp64fc *pDst, int len) {
  return divC64fc(pSrc, val, pDst, len, 1);
}

} // namespace sse2

namespace sse3 {

IppOpStatus ippsAddC_64fc(const Ipp64fc *pSrc, Ipp64fc val, Ipp64fc *pDst, int len) {
  return addC64fc(pSrc, val, pDst, len, 2);
}
IppOpStatus ippsSubC_64fc(const Ipp64fc *pSrc, Ipp64fc val, Ipp64fc *pDst, int len) {
  return subC64fc(pSrc, val, pDst, len, 2);
}
IppOpStatus ippsSubCRev_64fc(const Ipp64fc *pSrc, Ipp64fc val, Ipp64fc *pDst, int len) {
  return subCRev64fc(pSrc, val, pDst, len, 2);
}
IppOpStatus ippsDivC_64fc(const Ipp64fc *pSrc, Ipp64fc val, Ipp64fc *pDst, int len) {
  return divC64fc(pSrc, val, pDst, len, 2);
}
IppOpStatus ippsAdd_64f(const double *pSrc1, const double *pSrc2, double *pDst, int len) {
  return add64f(pSrc1, pSrc2, pDst, len, 2);
}
IppOpStatus ippsAdd_64fc(const Ipp64fc *pSrc1, const Ipp64fc *pSrc2, Ipp64fc *pDst, int len) {
  return add64fc(pSrc1, pSrc2, pDst, len, 2);
}
IppOpStatus ippsMul_64fc_I(const Ipp64fc *pSrc, Ipp64fc *pSrcDst, int len) {
  return mul64fcInPlace(pSrc, pSrcDst, len, true);
}

} // namespace sse3

} // namespace kernels::basic
