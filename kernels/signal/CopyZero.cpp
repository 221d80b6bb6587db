// The signal unit's copy and zero primitives.
//
// The 16-byte-register classes run kernels/basic's fill and copy blocks, whose cache
// probe and bypass rules are the ones these primitives need. Code 5 copies by fixed byte
// limits: ordinary stores below 8192 bytes, streaming stores below 16384, and from there
// page by page, each source page touched and prefetched before it is streamed; its zero
// fills stream from 20480 bytes. Every streaming run ends
// with a store fence, so the bytes are visible to other threads when the call returns.
#include <atomic>
#include <climits>
#include <cstring>

#include <emmintrin.h>
#include <xmmintrin.h>

#include "kernels/basic/BasicKernels.h"
#include "kernels/basic/FillCopyBlocks.h"
#include "kernels/signal/Loops.h"
#include "kernels/signal/SignalCorrConv.h"

namespace kernels::signal {

namespace {

using std::size_t;
using std::uintptr_t;

// kernels/basic takes int counts; longer runs go in pieces (each far above any bypass
// threshold, so the choice is the same as for the whole).
constexpr size_t kPiece = size_t{1} << 30;

std::atomic<std::uint64_t> gSmall{0}, gNonTemporal{0}, gLarge{0};

void count(std::atomic<std::uint64_t> &c) { c.fetch_add(1, std::memory_order_relaxed); }

// Streams n bytes from src to dst: ordinary moves until dst is 16-aligned, 16-byte
// streaming stores, then the tail. No fence: the caller fences once after its run.
void streamCopy(const unsigned char *src, unsigned char *dst, size_t n) {
  size_t head = (16 - (reinterpret_cast<uintptr_t>(dst) & 15)) & 15;
  if (head > n)
    head = n;
  std::memcpy(dst, src, head);
  size_t i = head;
  for (; n - i >= 64; i += 64) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(src + i));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(src + i + 16));
    const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i *>(src + i + 32));
    const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i *>(src + i + 48));
    _mm_stream_si128(reinterpret_cast<__m128i *>(dst + i), a);
    _mm_stream_si128(reinterpret_cast<__m128i *>(dst + i + 16), b);
    _mm_stream_si128(reinterpret_cast<__m128i *>(dst + i + 32), c);
    _mm_stream_si128(reinterpret_cast<__m128i *>(dst + i + 48), d);
  }
  for (; n - i >= 16; i += 16)
    _mm_stream_si128(reinterpret_cast<__m128i *>(dst + i),
                     _mm_loadu_si128(reinterpret_cast<const __m128i *>(src + i)));
  std::memcpy(dst + i, src + i, n - i);
}

} // namespace

SignalCopyCounters ReadSignalCopyCounters() noexcept {
  return {gSmall.load(std::memory_order_relaxed), gNonTemporal.load(std::memory_order_relaxed),
          gLarge.load(std::memory_order_relaxed)};
}

namespace sse2 {

void *ownsCopy_8u_Sse2(const void *pSrc, void *pDst, size_t n) noexcept {
  const auto *s = static_cast<const unsigned char *>(pSrc);
  auto *d = static_cast<unsigned char *>(pDst);
  for (size_t done = 0; done < n;) {
    const size_t k = n - done < kPiece ? n - done : kPiece;
    kernels::basic::sse2::ippsCopy_8u(s + done, d + done, static_cast<int>(k));
    done += k;
  }
  return pDst;
}

void *ownsZero_8u_Sse2(void *pDst, size_t n) noexcept {
  auto *d = static_cast<unsigned char *>(pDst);
  for (size_t done = 0; done < n;) {
    const size_t k = n - done < kPiece ? n - done : kPiece;
    kernels::basic::sse2::ippsZero_8u(d + done, static_cast<int>(k));
    done += k;
  }
  return pDst;
}

} // namespace sse2

namespace sse {

void *ownsCopy_8u_Sse(const void *pSrc, void *pDst, size_t n) noexcept {
  const auto *s = static_cast<const unsigned char *>(pSrc);
  auto *d = static_cast<unsigned char *>(pDst);
  size_t i = 0;
  for (; n - i >= 64; i += 64) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + i));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + i + 16));
    const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + i + 32));
    const __m128i e = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + i + 48));
    _mm_storeu_si128(reinterpret_cast<__m128i *>(d + i), a);
    _mm_storeu_si128(reinterpret_cast<__m128i *>(d + i + 16), b);
    _mm_storeu_si128(reinterpret_cast<__m128i *>(d + i + 32), c);
    _mm_storeu_si128(reinterpret_cast<__m128i *>(d + i + 48), e);
  }
  std::memcpy(d + i, s + i, n - i);
  return pDst;
}

void *ownsCopyNT_8u_Sse(const void *pSrc, void *pDst, size_t n) noexcept {
  streamCopy(static_cast<const unsigned char *>(pSrc), static_cast<unsigned char *>(pDst), n);
  _mm_sfence();
  return pDst;
}

void ownsPrefetch_8u_Sse(const void *p, size_t n) noexcept {
  const auto *s = static_cast<const char *>(p);
  const auto *touch = static_cast<const volatile char *>(p);
  for (size_t at = 0; at < n; at += 4096) {
    const size_t piece = n - at < 4096 ? n - at : 4096;
    // Touching both ends brings the page's translation in before the prefetches.
    (void)touch[at];
    (void)touch[at + piece - 1];
    for (size_t line = 0; line < piece; line += 32)
      _mm_prefetch(s + at + line, _MM_HINT_NTA);
  }
}

void *ownsCopyLarge_8u_Sse(const void *pSrc, void *pDst, size_t n) noexcept {
  const auto *s = static_cast<const unsigned char *>(pSrc);
  auto *d = static_cast<unsigned char *>(pDst);
  size_t i = 0;
  for (; i < n && (reinterpret_cast<uintptr_t>(d + i) & 7) != 0; ++i)
    d[i] = s[i];
  if (n - i < 20480) {
    streamCopy(s + i, d + i, n - i);
  } else {
    // Up to the source's next page boundary, then whole pages, then the rest.
    const size_t toPage = (4096 - (reinterpret_cast<uintptr_t>(s + i) & 4095)) & 4095;
    streamCopy(s + i, d + i, toPage);
    i += toPage;
    for (; n - i >= 4096; i += 4096) {
      ownsPrefetch_8u_Sse(s + i, 4096);
      streamCopy(s + i, d + i, 4096);
    }
    streamCopy(s + i, d + i, n - i);
  }
  _mm_sfence();
  return pDst;
}

void *ownsZero_8u_Sse(void *pDst, size_t n) noexcept {
  std::memset(pDst, 0, n);
  return pDst;
}

void *ownsZeroNT_8u_Sse(void *pDst, size_t n) noexcept {
  auto *d = static_cast<unsigned char *>(pDst);
  size_t head = (16 - (reinterpret_cast<uintptr_t>(d) & 15)) & 15;
  if (head > n)
    head = n;
  std::memset(d, 0, head);
  const __m128i zero = _mm_setzero_si128();
  size_t i = head;
  for (; n - i >= 16; i += 16)
    _mm_stream_si128(reinterpret_cast<__m128i *>(d + i), zero);
  std::memset(d + i, 0, n - i);
  _mm_sfence();
  return pDst;
}

void *ZeroBytes(void *pDst, size_t n) noexcept {
  if (n < 20480)
    return ownsZero_8u_Sse(pDst, n);
  kernels::basic::detail::CountNonTemporal();
  return ownsZeroNT_8u_Sse(pDst, n);
}

void *CopyBytes(const void *pSrc, void *pDst, size_t n) noexcept {
  if (n < 8192) {
    count(gSmall);
    return ownsCopy_8u_Sse(pSrc, pDst, n);
  }
  if (n < 16384) {
    count(gNonTemporal);
    return ownsCopyNT_8u_Sse(pSrc, pDst, n);
  }
  count(gLarge);
  return ownsCopyLarge_8u_Sse(pSrc, pDst, n);
}

namespace {
// Partly overlapping ranges copy element by element, ascending, as the generic does.
template <class T> IppOpStatus copyCode5(const T *pSrc, T *pDst, int len) {
  if (!pSrc || !pDst)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  const size_t n = static_cast<size_t>(len);
  if (partlyOverlap(pSrc, n * sizeof(T), pDst, n * sizeof(T)))
    detail::copyElements(pSrc, pDst, n);
  else if (pSrc != pDst)
    CopyBytes(pSrc, pDst, n * sizeof(T));
  return ippStsNoErr;
}
} // namespace

IppOpStatus ippsCopy_16s(const short *pSrc, short *pDst, int len) {
  return copyCode5(pSrc, pDst, len);
}

IppOpStatus ippsCopy_64fc(const Ipp64fc *pSrc, Ipp64fc *pDst, int len) {
  return copyCode5(pSrc, pDst, len);
}

} // namespace sse

} // namespace kernels::signal
