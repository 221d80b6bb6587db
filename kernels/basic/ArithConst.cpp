// Real constant arithmetic of the 16-byte-register classes (codes 16-17 and 6-9 share
// these): two doubles per instruction, each result the IEEE double of its formula.
//
// Checks, shortcuts and statuses are the generic variant's: out of place, a zero
// constant copies for AddC and SubC; in place, a zero constant leaves the vector, 1.0
// leaves it for MulC and 0.0 stores +0.0; a zero divisor is -10. The generic forms the
// in-place results and the division's products in extended precision, so those may
// differ from these by one unit in the last place where extended rounding rounds twice.
//
// Long vectors keep out of the cache: the out-of-place differences write with
// non-temporal stores (fenced before returning) and the in-place sums, differences and
// products prefetch ahead with a non-temporal hint. Codes 16-17 wait for twice the
// length codes 6-9 do; the results are the same either way.
#include <cstring>

#include <emmintrin.h>
#include <xmmintrin.h>

#include "kernels/basic/BasicKernels.h"
#include "kernels/basic/FillCopyBlocks.h"
#include "kernels/common/ElementLoops.h"

namespace kernels::basic {

namespace {

struct Bypass {
  bool stream = false;   // source and destination both on the 16-byte grid
  bool prefetch = false; // non-temporal prefetch of the next block
};

// Codes 6-9 run with class 1, codes 16-17 with class 2 (thresholds twice as long).
Bypass streamBlocks(const double *src, const double *dst, int len, std::size_t cls) {
  const bool aligned = detail::Aligned16(src) && detail::Aligned16(dst);
  return {detail::StreamAbove(static_cast<std::size_t>(len) / 4, detail::kStreamBlocksOfFour * cls,
                              aligned),
          false};
}
Bypass prefetchBlocks(int len, std::size_t cls) {
  return {false, detail::PrefetchAbove(static_cast<std::size_t>(len) / 4 * 4,
                                       detail::kPrefetchElements * cls)};
}

// dst[i] = op(src[i]) for two lanes at a time; src may equal dst. Loads and stores go
// through unaligned forms (memcpy for the scalar tail), so any address is fine.
template <class Op> void mapPairs(const double *src, double *dst, int len, Op op, Bypass by = {}) {
  int i = 0;
  if (by.stream) {
    for (; i + 4 <= len; i += 4) {
      const __m128d a = op(_mm_load_pd(src + i));
      const __m128d b = op(_mm_load_pd(src + i + 2));
      _mm_stream_pd(dst + i, a);
      _mm_stream_pd(dst + i + 2, b);
    }
    _mm_sfence(); // the streamed blocks reach memory before any later store
  }
  for (; i + 4 <= len; i += 4) {
    if (by.prefetch)
      _mm_prefetch(reinterpret_cast<const char *>(src + i + 4), _MM_HINT_NTA);
    const __m128d a = op(_mm_loadu_pd(src + i));
    const __m128d b = op(_mm_loadu_pd(src + i + 2));
    _mm_storeu_pd(dst + i, a);
    _mm_storeu_pd(dst + i + 2, b);
  }
  for (; i < len; ++i) {
    double x;
    std::memcpy(&x, src + i, sizeof x);
    const double r = _mm_cvtsd_f64(op(_mm_set_sd(x)));
    std::memcpy(dst + i, &r, sizeof r);
  }
}

void copyIfApart(const double *src, double *dst, int len) {
  if (src != dst)
    std::memmove(static_cast<void *>(dst), src, sizeof(double) * static_cast<std::size_t>(len));
}

void mulBy(const double *src, double val, double *dst, int len, Bypass by = {}) {
  const __m128d c = _mm_set1_pd(val);
  mapPairs(
      src, dst, len, [c](__m128d x) { return _mm_mul_pd(x, c); }, by);
}

// The in-place multiply: 1.0 leaves the vector, 0.0 stores +0.0.
IppOpStatus mulInPlace(double val, double *v, int len, std::size_t cls) {
  if (const IppOpStatus st = checkPair(v, v, len); st != ippStsNoErr)
    return st;
  if (val == 1.0)
    return ippStsNoErr;
  if (val == 0.0) {
    std::memset(static_cast<void *>(v), 0, sizeof(double) * static_cast<std::size_t>(len));
    return ippStsNoErr;
  }
  mulBy(v, val, v, len, prefetchBlocks(len, cls));
  return ippStsNoErr;
}

IppOpStatus subC(const double *pSrc, double val, double *pDst, int len, std::size_t cls) {
  if (const IppOpStatus st = checkPair(pSrc, pDst, len); st != ippStsNoErr)
    return st;
  if (val == 0.0) {
    copyIfApart(pSrc, pDst, len);
    return ippStsNoErr;
  }
  const __m128d c = _mm_set1_pd(val);
  mapPairs(
      pSrc, pDst, len, [c](__m128d x) { return _mm_sub_pd(x, c); },
      streamBlocks(pSrc, pDst, len, cls));
  return ippStsNoErr;
}

IppOpStatus subCRev(const double *pSrc, double val, double *pDst, int len, std::size_t cls) {
  if (const IppOpStatus st = checkPair(pSrc, pDst, len); st != ippStsNoErr)
    return st;
  const __m128d c = _mm_set1_pd(val);
  mapPairs(
      pSrc, pDst, len, [c](__m128d x) { return _mm_sub_pd(c, x); },
      streamBlocks(pSrc, pDst, len, cls));
  return ippStsNoErr;
}

IppOpStatus addCInPlace(double val, double *pSrcDst, int len, std::size_t cls) {
  if (const IppOpStatus st = checkPair(pSrcDst, pSrcDst, len); st != ippStsNoErr)
    return st;
  if (val == 0.0)
    return ippStsNoErr;
  const __m128d c = _mm_set1_pd(val);
  mapPairs(
      pSrcDst, pSrcDst, len, [c](__m128d x) { return _mm_add_pd(x, c); }, prefetchBlocks(len, cls));
  return ippStsNoErr;
}

IppOpStatus subCInPlace(double val, double *pSrcDst, int len, std::size_t cls) {
  if (const IppOpStatus st = checkPair(pSrcDst, pSrcDst, len); st != ippStsNoErr)
    return st;
  if (val == 0.0)
    return ippStsNoErr;
  const __m128d c = _mm_set1_pd(val);
  mapPairs(
      pSrcDst, pSrcDst, len, [c](__m128d x) { return _mm_sub_pd(x, c); }, prefetchBlocks(len, cls));
  return ippStsNoErr;
}

// The reciprocal the generic variants multiply by: 1/val in extended precision, rounded.
double reciprocal(double val) { return static_cast<double>(1.0L / val); }

IppOpStatus divCInPlace(double val, double *pSrcDst, int len, std::size_t cls) {
  if (const IppOpStatus st = checkPair(pSrcDst, pSrcDst, len); st != ippStsNoErr)
    return st;
  if (val == 0.0)
    return ippStsDivByZeroErr;
  return mulInPlace(reciprocal(val), pSrcDst, len, cls);
}

} // namespace

namespace sse2 {

IppOpStatus ippsAddC_64f(const double *pSrc, double val, double *pDst, int len) {
  if (const IppOpStatus st = checkPair(pSrc, pDst, len); st != ippStsNoErr)
    return st;
  if (val == 0.0) {
    copyIfApart(pSrc, pDst, len);
    return ippStsNoErr;
  }
  const __m128d c = _mm_set1_pd(val);
  mapPairs(pSrc, pDst, len, [c](__m128d x) { return _mm_add_pd(x, c); });
  return ippStsNoErr;
}

IppOpStatus ippsSubC_64f(const double *pSrc, double val, double *pDst, int len) {
  return subC(pSrc, val, pDst, len, 1);
}

IppOpStatus ippsSubCRev_64f(const double *pSrc, double val, double *pDst, int len) {
  return subCRev(pSrc, val, pDst, len, 1);
}

IppOpStatus ippsMulC_64f(const double *pSrc, double val, double *pDst, int len) {
  if (const IppOpStatus st = checkPair(pSrc, pDst, len); st != ippStsNoErr)
    return st;
  mulBy(pSrc, val, pDst, len);
  return ippStsNoErr;
}

IppOpStatus ippsDivC_64f(const double *pSrc, double val, double *pDst, int len) {
  if (const IppOpStatus st = checkPair(pSrc, pDst, len); st != ippStsNoErr)
    return st;
  if (val == 0.0)
    return ippStsDivByZeroErr;
  mulBy(pSrc, reciprocal(val), pDst, len);
  return ippStsNoErr;
}

IppOpStatus ippsAddC_64f_I(double val, double *pSrcDst, int len) {
  return addCInPlace(val, pSrcDst, len, 1);
}

IppOpStatus ippsSubC_64f_I(double val, double *pSrcDst, int len) {
  return subCInPlace(val, pSrcDst, len, 1);
}

IppOpStatus ippsMulC_64f_I(double val, double *pSrcDst, int len) {
  return mulInPlace(val, pSrcDst, len, 1);
}

IppOpStatus ippsDivC_64f_I(double val, double *pSrcDst, int len) {
  return divCInPlace(val, pSrcDst, len, 1);
}

namespace scope {

// The scope's product: 1.0 copies, 0.0 of either sign stores +0.0 whatever the source
// holds, anything else (NaN too) multiplies.
IppOpStatus ippsMulC_64f(const double *pSrc, double val, double &dst, int len) {
  double *const volatile pDst = &dst; // a reference the caller may still pass as null
  if (const IppOpStatus st = checkPair(pSrc, pDst, len); st != ippStsNoErr)
    return st;
  if (val == 1.0) {
    copyIfApart(pSrc, pDst, len);
    return ippStsNoErr;
  }
  if (val == 0.0)
    return sse2::ippsZero_64f(pDst, len);
  mulBy(pSrc, val, pDst, len);
  return ippStsNoErr;
}

// The scope's in-place scaled sums and reversed differences with a constant.
IppOpStatus ippsAddC_32s_ISfs(int val, int &srcDst, int len, int scaleFactor) {
  int *const volatile p = &srcDst;
  return sse2::ippsAddC_32s_Sfs(p, val, p, len, scaleFactor);
}
IppOpStatus ippsSubCRev_32s_ISfs(int val, int &srcDst, int len, int scaleFactor) {
  int *const volatile p = &srcDst;
  return sse2::ippsSubCRev_32s_Sfs(p, val, p, len, scaleFactor);
}

} // namespace scope

} // namespace sse2

namespace sse3 {

IppOpStatus ippsSubC_64f(const double *pSrc, double val, double *pDst, int len) {
  return subC(pSrc, val, pDst, len, 2);
}
IppOpStatus ippsSubCRev_64f(const double *pSrc, double val, double *pDst, int len) {
  return subCRev(pSrc, val, pDst, len, 2);
}
IppOpStatus ippsAddC_64f_I(double val, double *pSrcDst, int len) {
  return addCInPlace(val, pSrcDst, len, 2);
}
IppOpStatus ippsSubC_64f_I(double val, double *pSrcDst, int len) {
  return subCInPlace(val, pSrcDst, len, 2);
}
IppOpStatus ippsMulC_64f_I(double val, double *pSrcDst, int len) {
  return mulInPlace(val, pSrcDst, len, 2);
}
IppOpStatus ippsDivC_64f_I(double val, double *pSrcDst, int len) {
  return divCInPlace(val, pSrcDst, len, 2);
}

} // namespace sse3

} // namespace kernels::basic
