// Memory routines of the filter kernels: byte copies and zero fills per processor
// level, their float-count wrappers. Every level writes the same bytes; large areas go
// around the caches with non-temporal stores, and every such run ends with a store
// fence so later ordinary stores and other threads see the data in order.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include <emmintrin.h>

#include "kernels/audio-filter/AudioFilterKernels.h"
#include "kernels/basic/BasicKernels.h"
#include "platform/cpu/Cpuid.h"

namespace kernels::audio_filter {
namespace {

std::atomic<std::uint64_t> gNonTemporalRuns{0};

// The cache sizes of the probe, read once: per core (fills) and whole (copies).
std::int64_t CacheBytes(bool perCore) {
  static const std::int64_t perCoreBytes =
      kernels::basic::CacheSizePerCore(cpu::HardwareCpuid(), true);
  static const std::int64_t wholeBytes =
      kernels::basic::CacheSizePerCore(cpu::HardwareCpuid(), false);
  return perCore ? perCoreBytes : wholeBytes;
}

unsigned char *B(void *p) { return static_cast<unsigned char *>(p); }
const unsigned char *B(const void *p) { return static_cast<const unsigned char *>(p); }

// The byte routines take a 32-bit count; a float or double count can need more bytes,
// so the wrappers hand them pieces of at most 1 GiB.
template <auto copy> void CopyInPieces(const void *pSrc, void *pDst, std::size_t bytes) {
  const unsigned char *s = B(pSrc);
  unsigned char *d = B(pDst);
  while (bytes > 0) {
    const int piece = bytes > (std::size_t{1} << 30) ? 1 << 30 : static_cast<int>(bytes);
    copy(s, d, piece);
    s += piece;
    d += piece;
    bytes -= static_cast<std::size_t>(piece);
  }
}

template <auto zero> void ZeroInPieces(void *pDst, std::size_t bytes) {
  unsigned char *d = B(pDst);
  while (bytes > 0) {
    const int piece = bytes > (std::size_t{1} << 30) ? 1 << 30 : static_cast<int>(bytes);
    zero(d, piece);
    d += piece;
    bytes -= static_cast<std::size_t>(piece);
  }
}

// The element wrappers: -8 for a null pointer, -6 for len < 1, else the bytes of len
// elements copied or cleared by the level's byte routine.
template <class T, class Copy>
IppOpStatus CheckedCopy(const T *pSrc, T *pDst, int len, Copy copyBytes) {
  if (!pSrc || !pDst)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  copyBytes(pSrc, pDst, sizeof(T) * static_cast<std::size_t>(len));
  return ippStsNoErr;
}

template <class T, class Zero> IppOpStatus CheckedZero(T *pDst, int len, Zero zeroBytes) {
  if (!pDst)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  zeroBytes(pDst, sizeof(T) * static_cast<std::size_t>(len));
  return ippStsNoErr;
}

// A level's float and double wrappers over its byte copy and fill of any length.
#define ELEMENT_WRAPPERS(CopyBytes, ZeroBytes)                                                     \
  IppOpStatus ownsCopy_32f(const float *pSrc, float *pDst, int len) {                              \
    return CheckedCopy(pSrc, pDst, len, CopyBytes);                                                \
  }                                                                                                \
  IppOpStatus ownsZero_32f(float *pDst, int len) { return CheckedZero(pDst, len, ZeroBytes); }     \
  IppOpStatus ownsCopy_64f(const double *pSrc, double *pDst, int len) {                            \
    return CheckedCopy(pSrc, pDst, len, CopyBytes);                                                \
  }                                                                                                \
  IppOpStatus ownsZero_64f(double *pDst, int len) { return CheckedZero(pDst, len, ZeroBytes); }

__m128i LoadU(const unsigned char *p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
}
void StoreA(unsigned char *p, __m128i v) { _mm_store_si128(reinterpret_cast<__m128i *>(p), v); }
void StoreNT(unsigned char *p, __m128i v) { _mm_stream_si128(reinterpret_cast<__m128i *>(p), v); }

// Copies or clears n bytes (n >= 0) with 16-byte stores after aligning the destination;
// non-temporal stores when `stream`, closed by a store fence.
void Blocks(const unsigned char *s, unsigned char *d, std::size_t n, bool stream) {
  const bool zero = s == nullptr;
  const __m128i z = _mm_setzero_si128();
  if (n < 64) {
    if (zero)
      std::memset(d, 0, n);
    else
      std::memcpy(d, s, n);
    return;
  }
  // The head up to the next 16-byte boundary.
  const std::size_t head = (16 - reinterpret_cast<std::uintptr_t>(d) % 16) % 16;
  if (zero)
    std::memset(d, 0, head);
  else
    std::memcpy(d, s, head);
  d += head;
  if (!zero)
    s += head;
  n -= head;
  if (stream)
    gNonTemporalRuns.fetch_add(1, std::memory_order_relaxed);
  for (; n >= 64; n -= 64, d += 64) {
    const __m128i a = zero ? z : LoadU(s), b = zero ? z : LoadU(s + 16),
                  c = zero ? z : LoadU(s + 32), e = zero ? z : LoadU(s + 48);
    if (stream) {
      StoreNT(d, a);
      StoreNT(d + 16, b);
      StoreNT(d + 32, c);
      StoreNT(d + 48, e);
    } else {
      StoreA(d, a);
      StoreA(d + 16, b);
      StoreA(d + 32, c);
      StoreA(d + 48, e);
    }
    if (!zero)
      s += 64;
  }
  if (stream)
    _mm_sfence();
  if (zero)
    std::memset(d, 0, n);
  else
    std::memcpy(d, s, n);
}

} // namespace

std::uint64_t NonTemporalRuns() noexcept {
  return gNonTemporalRuns.load(std::memory_order_relaxed);
}

namespace generic {

// Single bytes up to a 4-byte boundary, 32-byte blocks of 4-byte moves, single bytes.
void *ownsCopy_8u(const void *pSrc, void *pDst, int n) {
  const unsigned char *s = B(pSrc);
  unsigned char *d = B(pDst);
  while (n > 0 && reinterpret_cast<std::uintptr_t>(d) % 4 != 0) {
    *d++ = *s++;
    --n;
  }
  for (; n >= 32; n -= 32, d += 32, s += 32)
    for (int k = 0; k < 32; k += 4)
      std::memcpy(d + k, s + k, 4);
  for (; n > 0; --n)
    *d++ = *s++;
  return pDst;
}

void *ownsZero_8u(void *pDst, int n) {
  unsigned char *d = B(pDst);
  while (n > 0 && reinterpret_cast<std::uintptr_t>(d) % 4 != 0) {
    *d++ = 0;
    --n;
  }
  const std::uint32_t zero = 0;
  for (; n >= 32; n -= 32, d += 32)
    for (int k = 0; k < 32; k += 4)
      std::memcpy(d + k, &zero, 4);
  for (; n > 0; --n)
    *d++ = 0;
  return pDst;
}

ELEMENT_WRAPPERS(CopyInPieces<ownsCopy_8u>, ZeroInPieces<ownsZero_8u>)

} // namespace generic

namespace sse2 {

// Copies go around the caches from more than 128 KiB once they reach half the cache.
void *ownsCopy_8u(const void *pSrc, void *pDst, int n) {
  if (n <= 0)
    return pDst;
  const std::int64_t cache = n > 131072 ? CacheBytes(false) : -1;
  Blocks(B(pSrc), B(pDst), static_cast<std::size_t>(n), cache > 0 && n >= cache / 2);
  return pDst;
}

// Fills go around the caches from more than 256 KiB once they reach the per-core cache.
void *ownsZero_8u(void *pDst, int n) {
  if (n <= 0)
    return pDst;
  const std::int64_t cache = n > 262144 ? CacheBytes(true) : -1;
  Blocks(nullptr, B(pDst), static_cast<std::size_t>(n), cache > 0 && n >= cache);
  return pDst;
}

ELEMENT_WRAPPERS(CopyInPieces<ownsCopy_8u>, ZeroInPieces<ownsZero_8u>)

} // namespace sse2

namespace sse {

void *ownsCopy_8u(const void *pSrc, void *pDst, int n) {
  if (n > 0)
    Blocks(B(pSrc), B(pDst), static_cast<std::size_t>(n), false);
  return pDst;
}

void *ownsZero_8u(void *pDst, int n) {
  if (n > 0)
    Blocks(nullptr, B(pDst), static_cast<std::size_t>(n), false);
  return pDst;
}

void *ownsCopyStream_8u(const void *pSrc, void *pDst, int n) {
  if (n > 0)
    Blocks(B(pSrc), B(pDst), static_cast<std::size_t>(n), true);
  return pDst;
}

// Copies stream from 8 KiB on (2048 floats, 1024 doubles), fills from 20 KiB (5120
// floats, 2560 doubles).
namespace {
void CopyBytes(const void *pSrc, void *pDst, std::size_t bytes) {
  if (bytes < 8192)
    ownsCopy_8u(pSrc, pDst, static_cast<int>(bytes));
  else
    CopyInPieces<ownsCopyStream_8u>(pSrc, pDst, bytes);
}
void ZeroBytes(void *pDst, std::size_t bytes) { Blocks(nullptr, B(pDst), bytes, bytes >= 20480); }
} // namespace

ELEMENT_WRAPPERS(CopyBytes, ZeroBytes)

} // namespace sse

#undef ELEMENT_WRAPPERS

} // namespace kernels::audio_filter
