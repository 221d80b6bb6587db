// Fill, zero, copy and move blocks of the processor classes, on 16-byte SSE2 registers.
//
// Every block writes exactly the bytes the generic variant writes. Small heads and tails
// go through memcpy, so no access is ever misaligned for its type. Copies of ranges that
// overlap run as moves, as the generic copy does.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include <emmintrin.h>

#include "kernels/basic/BasicKernels.h"
#include "kernels/basic/FillCopyBlocks.h"

namespace kernels::basic {

namespace {

using std::size_t;
using std::uintptr_t;

// When the fill or copy is to bypass the cache.
enum class Bypass { Never, Always, CacheSized };

// Fills n bytes at dst with a pattern of `period` bytes (1, 2, 4, 8 or 16) repeated from
// dst on. `rep` holds the pattern repeated over 32 bytes.
void fillPattern(unsigned char *dst, size_t n, const unsigned char *rep, size_t period,
                 bool nonTemporal) {
  const size_t head = (16 - (reinterpret_cast<uintptr_t>(dst) & 15)) & 15;
  if (n < 16 + head) {
    for (size_t done = 0; done < n;) {
      const size_t k = n - done < 16 ? n - done : 16;
      std::memcpy(dst + done, rep + done % period, k);
      done += k;
    }
    return;
  }
  std::memcpy(dst, rep, head);
  // Every aligned 16-byte block starts at the same phase of the pattern.
  const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(rep + head % period));
  unsigned char *p = dst + head;
  size_t left = n - head;
  if (nonTemporal) {
    for (; left >= 64; left -= 64, p += 64) {
      _mm_stream_si128(reinterpret_cast<__m128i *>(p), v);
      _mm_stream_si128(reinterpret_cast<__m128i *>(p + 16), v);
      _mm_stream_si128(reinterpret_cast<__m128i *>(p + 32), v);
      _mm_stream_si128(reinterpret_cast<__m128i *>(p + 48), v);
    }
    for (; left >= 16; left -= 16, p += 16)
      _mm_stream_si128(reinterpret_cast<__m128i *>(p), v);
    _mm_sfence();
  } else {
    for (; left >= 64; left -= 64, p += 64) {
      _mm_store_si128(reinterpret_cast<__m128i *>(p), v);
      _mm_store_si128(reinterpret_cast<__m128i *>(p + 16), v);
      _mm_store_si128(reinterpret_cast<__m128i *>(p + 32), v);
      _mm_store_si128(reinterpret_cast<__m128i *>(p + 48), v);
    }
    for (; left >= 16; left -= 16, p += 16)
      _mm_store_si128(reinterpret_cast<__m128i *>(p), v);
  }
  std::memcpy(p, rep + (n - left) % period, left);
}

// 16-byte-register classes: bypass above 256 KB when the fill exceeds the per-core cache
// (byte fills and zeroing: at least reaches it).
bool cacheSizedBypass(size_t bytes, bool orEqual) {
  if (bytes <= 262144)
    return false;
  const std::int64_t size = detail::CachedCacheSize(true);
  if (size <= 0)
    return false;
  const auto b = static_cast<std::int64_t>(bytes);
  return orEqual ? b >= size : b > size;
}

template <class T> void fillValue(const T &value, void *dst, size_t count, bool nonTemporal) {
  static_assert(16 % sizeof(T) == 0);
  unsigned char rep[32 + sizeof(T)];
  for (size_t i = 0; i < sizeof rep / sizeof(T); ++i)
    std::memcpy(rep + i * sizeof(T), &value, sizeof(T));
  if (nonTemporal)
    detail::CountNonTemporal();
  fillPattern(static_cast<unsigned char *>(dst), count * sizeof(T), rep, sizeof(T), nonTemporal);
}

// Class policies: the 16-byte-register classes decide by cache size, code 5 at a fixed
// 20480 bytes.
template <bool Code5> bool fillBypass(size_t bytes, bool orEqual) {
  return Code5 ? bytes >= 20480 : cacheSizedBypass(bytes, orEqual);
}

template <bool Code5, class T> IppOpStatus setVector(T value, T *pDst, int len) {
  if (!pDst)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  const size_t bytes = static_cast<size_t>(len) * sizeof(T);
  fillValue(value, pDst, static_cast<size_t>(len), fillBypass<Code5>(bytes, sizeof(T) == 1));
  return ippStsNoErr;
}

template <bool Code5, class T> IppOpStatus zeroVector(T *pDst, int len) {
  if (!pDst)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  const size_t bytes = static_cast<size_t>(len) * sizeof(T);
  const unsigned char zero = 0;
  fillValue(zero, pDst, bytes, fillBypass<Code5>(bytes, true));
  return ippStsNoErr;
}

// Forward or backward move of n bytes, any overlap: each 16-byte block is loaded before
// it is stored, in the direction that never overwrites source bytes not yet read.
void moveBytes(const unsigned char *src, unsigned char *dst, size_t n) {
  if (dst == src || n == 0)
    return;
  if (dst < src) {
    size_t i = 0;
    for (; i < n && (reinterpret_cast<uintptr_t>(dst + i) & 15) != 0; ++i)
      dst[i] = src[i];
    for (; n - i >= 16; i += 16)
      _mm_store_si128(reinterpret_cast<__m128i *>(dst + i),
                      _mm_loadu_si128(reinterpret_cast<const __m128i *>(src + i)));
    for (; i < n; ++i)
      dst[i] = src[i];
  } else {
    size_t i = n;
    for (; i > 0 && (reinterpret_cast<uintptr_t>(dst + i) & 15) != 0; --i)
      dst[i - 1] = src[i - 1];
    for (; i >= 16; i -= 16)
      _mm_store_si128(reinterpret_cast<__m128i *>(dst + i - 16),
                      _mm_loadu_si128(reinterpret_cast<const __m128i *>(src + i - 16)));
    for (; i > 0; --i)
      dst[i - 1] = src[i - 1];
  }
}

// Copy of n bytes of ranges that do not overlap. With bypass, the source is read ahead a
// chunk at a time (every `touchStride`-th byte) and written with non-temporal stores.
void copyBytes(const unsigned char *src, unsigned char *dst, size_t n, bool bypass,
               size_t touchStride) {
  if (n < 64) {
    std::memcpy(dst, src, n);
    return;
  }
  // One unaligned block brings the destination to a 16-byte boundary.
  _mm_storeu_si128(reinterpret_cast<__m128i *>(dst),
                   _mm_loadu_si128(reinterpret_cast<const __m128i *>(src)));
  const size_t head = 16 - (reinterpret_cast<uintptr_t>(dst) & 15);
  size_t i = head;
  if (bypass) {
    detail::CountNonTemporal();
    constexpr size_t kChunk = 256 * 1024;
    while (n - i >= 16) {
      const size_t chunk = (n - i < kChunk ? n - i : kChunk) & ~size_t{15};
      volatile unsigned char sink = 0;
      for (size_t t = 0; t < chunk; t += touchStride)
        sink = static_cast<unsigned char>(sink + src[i + t]);
      for (size_t end = i + chunk; i < end; i += 16)
        _mm_stream_si128(reinterpret_cast<__m128i *>(dst + i),
                         _mm_loadu_si128(reinterpret_cast<const __m128i *>(src + i)));
    }
    _mm_sfence();
  } else {
    for (; n - i >= 64; i += 64) {
      const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(src + i));
      const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(src + i + 16));
      const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i *>(src + i + 32));
      const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i *>(src + i + 48));
      _mm_store_si128(reinterpret_cast<__m128i *>(dst + i), a);
      _mm_store_si128(reinterpret_cast<__m128i *>(dst + i + 16), b);
      _mm_store_si128(reinterpret_cast<__m128i *>(dst + i + 32), c);
      _mm_store_si128(reinterpret_cast<__m128i *>(dst + i + 48), d);
    }
    for (; n - i >= 16; i += 16)
      _mm_store_si128(reinterpret_cast<__m128i *>(dst + i),
                      _mm_loadu_si128(reinterpret_cast<const __m128i *>(src + i)));
  }
  std::memcpy(dst + i, src + i, n - i);
}

bool overlaps(const unsigned char *a, const unsigned char *b, size_t n) {
  const auto x = reinterpret_cast<uintptr_t>(a);
  const auto y = reinterpret_cast<uintptr_t>(b);
  return x < y + n && y < x + n;
}

enum class CopyClass { Sse3, Sse2, Code5 };

template <CopyClass C> void copyBlock(const unsigned char *src, unsigned char *dst, size_t n) {
  if (overlaps(src, dst, n)) {
    moveBytes(src, dst, n);
    return;
  }
  bool bypass = false;
  size_t stride = 32;
  if constexpr (C == CopyClass::Code5) {
    bypass = n >= 8192;
  } else {
    const size_t from = C == CopyClass::Sse3 ? 524288 : 131073;
    if (n >= from) {
      const std::int64_t size = detail::CachedCacheSize(false);
      bypass = size > 0 && static_cast<std::int64_t>(n) >= size / 2;
    }
    stride = C == CopyClass::Sse3 ? 64 : 32;
  }
  copyBytes(src, dst, n, bypass, stride);
}

template <CopyClass C, class T> IppOpStatus copyVector(const T *pSrc, T *pDst, int len) {
  if (!pSrc || !pDst)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  copyBlock<C>(reinterpret_cast<const unsigned char *>(pSrc),
               reinterpret_cast<unsigned char *>(pDst), static_cast<size_t>(len) * sizeof(T));
  return ippStsNoErr;
}

template <class T> IppOpStatus moveVector(const T *pSrc, T *pDst, int len, bool platformMove) {
  if (!pSrc || !pDst)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  const size_t n = static_cast<size_t>(len) * sizeof(T);
  if (platformMove)
    std::memmove(static_cast<void *>(pDst), pSrc, n);
  else
    moveBytes(reinterpret_cast<const unsigned char *>(pSrc),
              reinterpret_cast<unsigned char *>(pDst), n);
  return ippStsNoErr;
}

// The scope unit's fill of a region of four-byte pixels: rows in order, each filled with
// the pixel from its start, so rows that overlap (a step below four bytes a pixel) end as
// the generic leaves them. Code 5 streams every row; the other classes above 256 KB.
IppOpStatus setRegion4(const unsigned char *value, unsigned char *pDst, int step, tagSIZE roi,
                       bool code5) {
  if (!value || !pDst)
    return ippStsNullPtrErr;
  if (roi.width < 1 || roi.height < 1)
    return ippStsSizeErr;
  if (step < 1)
    return ippStsStepErr;
  std::uint32_t pixel;
  std::memcpy(&pixel, value, 4);
  const size_t width = static_cast<size_t>(roi.width);
  const bool nonTemporal = code5 || 4 * width * static_cast<size_t>(roi.height) > 262144;
  for (int y = 0; y < roi.height; ++y)
    fillValue(pixel, pDst + static_cast<std::ptrdiff_t>(step) * y, width, nonTemporal);
  return ippStsNoErr;
}

} // namespace

namespace sse2 {
IppOpStatus ippsSet_8u(unsigned char val, unsigned char *pDst, int len) {
  return setVector<false>(val, pDst, len);
}
IppOpStatus ippsSet_32s(int val, int *pDst, int len) { return setVector<false>(val, pDst, len); }
IppOpStatus ippsSet_64f(double val, double *pDst, int len) {
  return setVector<false>(val, pDst, len);
}
IppOpStatus ippsSet_64fc(Ipp64fc val, Ipp64fc *pDst, int len) {
  return setVector<false>(val, pDst, len);
}
IppOpStatus ippsZero_8u(unsigned char *pDst, int len) { return zeroVector<false>(pDst, len); }
IppOpStatus ippsZero_16s(short *pDst, int len) { return zeroVector<false>(pDst, len); }
IppOpStatus ippsZero_32s(int *pDst, int len) { return zeroVector<false>(pDst, len); }
IppOpStatus ippsZero_64f(double *pDst, int len) { return zeroVector<false>(pDst, len); }
IppOpStatus ippsZero_64fc(Ipp64fc *pDst, int len) { return zeroVector<false>(pDst, len); }
IppOpStatus ippsCopy_8u(const unsigned char *pSrc, unsigned char *pDst, int len) {
  return copyVector<CopyClass::Sse2>(pSrc, pDst, len);
}
IppOpStatus ippsCopy_64f(const double *pSrc, double *pDst, int len) {
  return copyVector<CopyClass::Sse2>(pSrc, pDst, len);
}
IppOpStatus ippsMove_64f(const double *pSrc, double *pDst, int len) {
  return moveVector(pSrc, pDst, len, false);
}
namespace scope {
IppOpStatus ippiSet_8u_C4R(const unsigned char *value, unsigned char *pDst, int dstStep,
                           tagSIZE roi) {
  return setRegion4(value, pDst, dstStep, roi, false);
}
IppOpStatus ippsMove_8u(const unsigned char *pSrc, unsigned char *pDst, int len) {
  return moveVector(pSrc, pDst, len, false);
}
} // namespace scope
} // namespace sse2

namespace sse3 {
IppOpStatus ippsCopy_8u(const unsigned char *pSrc, unsigned char *pDst, int len) {
  return copyVector<CopyClass::Sse3>(pSrc, pDst, len);
}
IppOpStatus ippsCopy_64f(const double *pSrc, double *pDst, int len) {
  return copyVector<CopyClass::Sse3>(pSrc, pDst, len);
}
} // namespace sse3

namespace sse {
IppOpStatus ippsSet_8u(unsigned char val, unsigned char *pDst, int len) {
  return setVector<true>(val, pDst, len);
}
IppOpStatus ippsSet_32s(int val, int *pDst, int len) { return setVector<true>(val, pDst, len); }
IppOpStatus ippsSet_64f(double val, double *pDst, int len) {
  return setVector<true>(val, pDst, len);
}
IppOpStatus ippsSet_64fc(Ipp64fc val, Ipp64fc *pDst, int len) {
  return setVector<true>(val, pDst, len);
}
IppOpStatus ippsZero_8u(unsigned char *pDst, int len) { return zeroVector<true>(pDst, len); }
IppOpStatus ippsZero_16s(short *pDst, int len) { return zeroVector<true>(pDst, len); }
IppOpStatus ippsZero_32s(int *pDst, int len) { return zeroVector<true>(pDst, len); }
IppOpStatus ippsZero_64f(double *pDst, int len) { return zeroVector<true>(pDst, len); }
IppOpStatus ippsZero_64fc(Ipp64fc *pDst, int len) { return zeroVector<true>(pDst, len); }
IppOpStatus ippsCopy_8u(const unsigned char *pSrc, unsigned char *pDst, int len) {
  return copyVector<CopyClass::Code5>(pSrc, pDst, len);
}
IppOpStatus ippsCopy_64f(const double *pSrc, double *pDst, int len) {
  return copyVector<CopyClass::Code5>(pSrc, pDst, len);
}
IppOpStatus ippsMove_64f(const double *pSrc, double *pDst, int len) {
  return moveVector(pSrc, pDst, len, true);
}
namespace scope {
IppOpStatus ippiSet_8u_C4R(const unsigned char *value, unsigned char *pDst, int dstStep,
                           tagSIZE roi) {
  return setRegion4(value, pDst, dstStep, roi, true);
}
IppOpStatus ippsMove_8u(const unsigned char *pSrc, unsigned char *pDst, int len) {
  return moveVector(pSrc, pDst, len, true);
}
} // namespace scope
} // namespace sse

} // namespace kernels::basic
