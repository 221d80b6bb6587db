// Internal to kernels/signal: the loop shapes the element kernels share.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include <emmintrin.h>

#include "kernels/common/ElementLoops.h"
#include "kernels/common/IppTypes.h"

namespace kernels::signal::detail {

template <class T> inline T load(const T *p) {
  T v;
  std::memcpy(&v, p, sizeof(T));
  return v;
}

template <class T> inline void store(T *p, T v) { std::memcpy(p, &v, sizeof(T)); }

// dst[i] = f(src[i]) for doubles, two per register, eight per pass; the tail goes through
// the low lane of the same operation. Ranges that partly overlap run singly.
template <class F> void mapDoubles(const double *src, double *dst, std::size_t n, F f) {
  std::size_t i = 0;
  if (!partlyOverlap(src, n * 8, dst, n * 8)) {
    for (; i + 8 <= n; i += 8) {
      const __m128d r0 = f(_mm_loadu_pd(src + i));
      const __m128d r1 = f(_mm_loadu_pd(src + i + 2));
      const __m128d r2 = f(_mm_loadu_pd(src + i + 4));
      const __m128d r3 = f(_mm_loadu_pd(src + i + 6));
      _mm_storeu_pd(dst + i, r0);
      _mm_storeu_pd(dst + i + 2, r1);
      _mm_storeu_pd(dst + i + 4, r2);
      _mm_storeu_pd(dst + i + 6, r3);
    }
    for (; i + 2 <= n; i += 2)
      _mm_storeu_pd(dst + i, f(_mm_loadu_pd(src + i)));
  }
  for (; i < n; ++i)
    store(dst + i, _mm_cvtsd_f64(f(_mm_set_sd(load(src + i)))));
}

// dst[i] = f(dst[i], src[i]) for 32-bit lanes, in place.
template <class T, class F> void zip32(const T *src, T *dst, std::size_t n, F f) {
  std::size_t i = 0;
  if (!partlyOverlap(src, n * 4, dst, n * 4)) {
    for (; i + 8 <= n; i += 8) {
      const __m128i r0 = f(_mm_loadu_si128(reinterpret_cast<const __m128i *>(dst + i)),
                           _mm_loadu_si128(reinterpret_cast<const __m128i *>(src + i)));
      const __m128i r1 = f(_mm_loadu_si128(reinterpret_cast<const __m128i *>(dst + i + 4)),
                           _mm_loadu_si128(reinterpret_cast<const __m128i *>(src + i + 4)));
      _mm_storeu_si128(reinterpret_cast<__m128i *>(dst + i), r0);
      _mm_storeu_si128(reinterpret_cast<__m128i *>(dst + i + 4), r1);
    }
    for (; i + 4 <= n; i += 4)
      _mm_storeu_si128(reinterpret_cast<__m128i *>(dst + i),
                       f(_mm_loadu_si128(reinterpret_cast<const __m128i *>(dst + i)),
                         _mm_loadu_si128(reinterpret_cast<const __m128i *>(src + i))));
  }
  for (; i < n; ++i) {
    std::int32_t x, s;
    std::memcpy(&x, dst + i, 4);
    std::memcpy(&s, src + i, 4);
    const std::int32_t r = _mm_cvtsi128_si32(f(_mm_cvtsi32_si128(x), _mm_cvtsi32_si128(s)));
    std::memcpy(dst + i, &r, 4);
  }
}

// Copies n elements of T: 64-byte passes of 16-byte moves, then 16-byte moves, then the
// last bytes. Ranges that partly overlap are copied element by element, ascending.
template <class T> void copyElements(const T *src, T *dst, std::size_t n) {
  const std::size_t bytes = n * sizeof(T);
  if (partlyOverlap(src, bytes, dst, bytes)) {
    for (std::size_t i = 0; i < n; ++i)
      store(dst + i, load(src + i));
    return;
  }
  const auto *s = reinterpret_cast<const unsigned char *>(src);
  auto *d = reinterpret_cast<unsigned char *>(dst);
  std::size_t i = 0;
  for (; i + 64 <= bytes; i += 64) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + i));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + i + 16));
    const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + i + 32));
    const __m128i e = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + i + 48));
    _mm_storeu_si128(reinterpret_cast<__m128i *>(d + i), a);
    _mm_storeu_si128(reinterpret_cast<__m128i *>(d + i + 16), b);
    _mm_storeu_si128(reinterpret_cast<__m128i *>(d + i + 32), c);
    _mm_storeu_si128(reinterpret_cast<__m128i *>(d + i + 48), e);
  }
  for (; i + 16 <= bytes; i += 16)
    _mm_storeu_si128(reinterpret_cast<__m128i *>(d + i),
                     _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + i)));
  if (i < bytes)
    std::memcpy(d + i, s + i, bytes - i);
}

// An entry reducing one vector to a double: null pointers give -8, a length below minLen
// -6, then the routine's value is stored.
template <double (*Routine)(const double *, std::size_t), int MinLen>
IppOpStatus reduceOne(const double *pSrc, int len, double *pResult) {
  if (!pSrc || !pResult)
    return ippStsNullPtrErr;
  if (len < MinLen)
    return ippStsSizeErr;
  *pResult = Routine(pSrc, static_cast<std::size_t>(len));
  return ippStsNoErr;
}

} // namespace kernels::signal::detail
