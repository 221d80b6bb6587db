// SSE, SSE2 and SSE3 members of the single-precision real transform: their records, tables,
// forward transforms and large-order paths over the packed-single kernels of
// FFTReal32Quad.h.
//
// The three members share the entries and differ in their thresholds and table layouts:
// - SSE: the bit-reversing kernel up to complex order 9, bit reversal and the radix kernel
//   at 10, above that the generic member's split plan (FFTOrderSplitTable_32f) with its own
//   blocked halves and four-column passes;
// - SSE2 / SSE3: the bit-reversing kernel up to complex order 14 / 15, bit reversal and the
//   radix kernel one order above, above that leaves of up to 2^15 / 2^16 values and column
//   blocks of 2^14 / 2^15 values with the remaining passes of the decimation.
// Complex orders 22 to 29 of the SSE2/SSE3 split plan take 256 rows and column blocks of the
// same 2^14 / 2^15 values as the orders below (64 / 128 columns), so their work area is
// the one of the smaller orders.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

#include "kernels/fft-audio/FFTEngineT.h"
#include "kernels/fft-audio/FFTReal32.h"
#include "kernels/fft-audio/FFTReal32Internal.h"
#include "kernels/fft-audio/FFTReal32Quad.h"
#include "kernels/fft-real/FFTAlloc.h"
#include "kernels/fft-real/FFTEngine64.h"

namespace kernels::fft_audio {

namespace {

using engine::round16;
using quad::OddPlan;
using C = Ipp32fc;

constexpr std::int64_t pow2(int e) { return std::int64_t{1} << e; }

float *F(C *p) { return &p->re; }

// A member: its thresholds and its own copies of the routines that the shared bodies below
// call, so that each member runs only its own tables and kernels.
struct TMember {
  std::int32_t tag;
  OddPlan plan;
  int bitRevLimit; // last complex order of the bit-reversing kernel
  int radixLimit;  // last complex order of the plain radix kernel; leaves up to it
  int columnLog;   // log2 of the values in one column block (SSE2/SSE3)
  void (*freeSpec)(FFTSpec_R_32f *spec);
  int (*initComplex)(FFTSpec_R_32f *spec, int k, const float *S, int M);
  float *(*initSinTab)(int order, float *table);
  float *(*initRealFwdTab)(int order, const float *S, float *table);
  float *(*initRealInvTab)(int order, const float *S, float *table);
  std::int32_t *(*initBitRevTab)(int k, std::int32_t *table);
  float *(*initTwiddleTab)(int m, const float *S, int M, float *table);
  void (*bitRevRadix4)(const C *src, C *dst, std::int64_t n, const float *tw,
                       const std::int32_t *index, C *work);
  void (*bitRev)(const C *src, C *dst, std::int64_t n, const std::int32_t *table);
  void (*bitRevInPlace)(C *data, std::int64_t n, const std::int32_t *table);
  void (*radix4)(C *data, int n, const float *tw, C *work, int form);
  void (*scale)(float scale, float *data, std::int64_t count);
  int (*initLarge)(FFTSpec_R_32f *spec, int k, const float *S, int M, float *area);
  void (*large)(const FFTSpec_R_32f *spec, C *data, int k, C *work);
  void (*largeSplit)(const FFTSpec_R_32f *spec, C *data, int k, int depth, C *work);
  // Column block routines of the SSE2/SSE3 split (the SSE member moves four columns at a
  // time with routines of its own).
  void (*columnLoad)(const float *rows, float *dst, std::int64_t stride, std::int64_t count,
                     std::int64_t width);
  void (*columnRadix4)(const float *src, float *dst, std::int64_t span, std::int64_t groups,
                       const float *stream);
  void (*columnRadix2)(const float *src, float *dst, std::int64_t span, const float *stream);
  void (*columnStore)(float *rows, const float *src, std::int64_t stride, std::int64_t count,
                      std::int64_t width, int mode);
  void (*realRecomb)(C *data, std::int64_t n, const float *table);
};

extern const TMember kSse, kSse2, kSse3;

void leafScale(const TMember &mb, const FFTSpec_R_32f *spec, C *x, std::int64_t points) {
  if (spec->fwdScaleFlag)
    mb.scale(spec->scale, F(x), 2 * points);
}

// ---- Routines the members share -----------------------------------------------------------

float *initSinTab(int order, float *table) {
  engine::initSinTab(order, table);
  return engine::alignUp16<float>(table + pow2(order) / 4 + 1);
}
float *initRealFwdTab(int order, const float *S, float *table) {
  quad::initRealFwdTab(order, S, table);
  return engine::alignUp16<float>(table + pow2(order) / 2);
}
float *initRealInvTab(int order, const float *S, float *table) {
  quad::initRealInvTab(order, S, table);
  return engine::alignUp16<float>(table + pow2(order) / 2);
}
void bitRevListed(const C *src, C *dst, std::int64_t n, const std::int32_t *table) {
  engine::bitRev(src, dst, n, table);
}
void bitRevListedInPlace(C *data, std::int64_t n, const std::int32_t *table) {
  engine::bitRevInPlace(data, n, table);
}

// ---- SSE member: the generic split plan --------------------------------------------------

void sseSizeLarge(int k, std::int64_t &table, std::int64_t &work) {
  const int s = ownsFFTOrderSplit_32f(k);
  if (s == 0) {
    table = round16(pow2(k) / 2 * 8) + 8208;
    work = 8192;
    return;
  }
  const int r = k - s;
  if (r <= 10) {
    table = round16(8 * pow2(r) + 8);
    work = round16(8 * pow2(r));
  } else if (ownsFFTOrderSplit_32f(r) == 0) {
    table = round16(pow2(r) / 2 * 8) + 8208;
    work = 8192;
  } else {
    sseSizeLarge(r, table, work);
  }
  table += 8 * pow2(k) + round16(8 * pow2(s) + 8);
  work = std::max(work, 32 * pow2(s));
}

// Twiddles of every combining level v = b down to 11, w_(2^v)^t for t < 2^v/4, quad-split.
float *ownsFFTInitBlockedTab_32fc_Sse(int b, const float *S, int M, float *out) {
  float *w = out;
  for (int v = b; v >= 11; --v)
    for (std::int64_t t = 0; t < pow2(v) / 4; t += 4) {
      for (int u = 0; u < 4; ++u) {
        const Ipp32fc z = engine::folded(S, M, v, t + u);
        w[u] = z.re;
        w[4 + u] = z.im;
      }
      w += 8;
    }
  return engine::alignUp16<float>(out + pow2(b));
}

float *sseInitLevel(FFTSpec_R_32f *spec, int c, int d, const float *S, int M, float *p) {
  const int s = ownsFFTOrderSplit_32f(c);
  const int r = c - s;
  if (r <= 10) {
    spec->twiddleTable = reinterpret_cast<C *>(p);
    p = ownsFFTInitTwiddleTab_32fc_Sse(r, S, M, p);
    spec->workSize = std::max(spec->workSize, static_cast<std::int32_t>(round16(8 * pow2(r))));
  } else if (ownsFFTOrderSplit_32f(r) == 0) {
    spec->twiddleTable = reinterpret_cast<C *>(p);
    ownsFFTInitTwiddleTab_32fc_Sse(10, S, M, p);
    spec->blockedTable = reinterpret_cast<C *>(p + 2048);
    p = ownsFFTInitBlockedTab_32fc_Sse(r, S, M, p + 2048);
    spec->workSize = std::max(spec->workSize, std::int32_t{8192});
  } else {
    p = sseInitLevel(spec, r, d + 1, S, M, p);
  }
  spec->levelTwiddle[d] = reinterpret_cast<C *>(p);
  float *column = ownsFFTInitTwiddleTab_32fc_Sse(s, S, M, p);
  spec->levelColumn[d] = reinterpret_cast<C *>(column);
  const std::int64_t R = pow2(s), cols = pow2(r);
  float *w = column;
  for (std::int64_t g = 0; g < cols; g += 4)
    for (std::int64_t j = 0; j < R; ++j) {
      std::int64_t bj = 0;
      for (int i = 0; i < s; ++i)
        bj |= ((j >> i) & 1) << (s - 1 - i);
      for (int u = 0; u < 4; ++u) {
        const Ipp32fc z = engine::folded(S, M, c, bj * (g + u));
        w[u] = z.re;
        w[4 + u] = z.im;
      }
      w += 8;
    }
  spec->workSize = std::max(spec->workSize, static_cast<std::int32_t>(32 * R));
  return column + 2 * pow2(c);
}

// The column tables are written straight into the block: no temporary area.
int ownsFFTInitLarge_32fc_Sse(FFTSpec_R_32f *spec, int k, const float *S, int M, float *block) {
  if (ownsFFTOrderSplit_32f(k) == 0) {
    spec->twiddleTable = reinterpret_cast<C *>(block);
    ownsFFTInitTwiddleTab_32fc_Sse(10, S, M, block);
    spec->blockedTable = reinterpret_cast<C *>(block + 2048);
    ownsFFTInitBlockedTab_32fc_Sse(k, S, M, block + 2048);
    spec->workSize = 8192;
  } else {
    sseInitLevel(spec, k, 0, S, M, block);
  }
  return ippStsNoErr;
}

void ownsFFTBlockedCombine_32fc_Sse(float *data, std::int64_t m, const float *T, int form) {
  quad::blockedCombine(data, m, T, form == 1);
}

// Halves down to 1024 points, each level joined with its own table; form 1: interleaved.
void ownsFFTBlockedHalf_32fc_Sse(const FFTSpec_R_32f *spec, C *block, std::int64_t m,
                                 const float *T, C *work, int form) {
  const std::int64_t h = m / 2;
  if (h == 1024) {
    for (C *half : {block, block + h}) {
      ownsFFTRadix4_32fc_Sse(half, 1024, F(spec->twiddleTable), work, 0);
      leafScale(kSse, spec, half, 1024);
    }
  } else {
    ownsFFTBlockedHalf_32fc_Sse(spec, block, h, T + m / 2, work, 0);
    ownsFFTBlockedHalf_32fc_Sse(spec, block + h, h, T + m / 2, work, 0);
  }
  ownsFFTBlockedCombine_32fc_Sse(F(block), m, T, form);
}

void ownsFFTLargeBlocked_32fc_Sse(const FFTSpec_R_32f *spec, C *data, std::int64_t m, C *work) {
  ownsFFTBlockedHalf_32fc_Sse(spec, data, m, F(spec->blockedTable), work, 1);
}

void ownsFFTColumnLoad_32fc_Sse(const float *rows, float *dst, const float *W, std::int64_t stride,
                                std::int64_t count) {
  quad::columnLoadTwiddled(rows, dst, W, stride, count);
}
void ownsFFTColumnStore_32fc_Sse(float *rows, const float *src, std::int64_t stride,
                                 std::int64_t count, int form) {
  quad::columnStoreVectors(rows, src, stride, count, form == 1);
}

void ownsFFTLargeSplit_32fc_Sse(const FFTSpec_R_32f *spec, C *data, int c, int d, C *work) {
  const int s = ownsFFTOrderSplit_32f(c);
  const int r = c - s;
  const std::int64_t R = pow2(s), cols = pow2(r);
  for (std::int64_t t = 0; t < R; ++t) {
    C *row = data + t * cols;
    if (r <= 10) {
      ownsFFTRadix4_32fc_Sse(row, static_cast<int>(cols), F(spec->twiddleTable), work, 0);
      leafScale(kSse, spec, row, cols);
    } else if (ownsFFTOrderSplit_32f(r) == 0) {
      ownsFFTBlockedHalf_32fc_Sse(spec, row, cols, F(spec->blockedTable), work, 0);
    } else {
      ownsFFTLargeSplit_32fc_Sse(spec, row, r, d + 1, work);
    }
  }
  const float *W = F(spec->levelColumn[d]);
  for (std::int64_t g = 0; g < cols; g += 4, W += 8 * R) {
    ownsFFTColumnLoad_32fc_Sse(F(data + g), F(work), W, cols, R);
    for (int u = 0; u < 4; ++u)
      ownsFFTRadix4_32fc_Sse(work + u * R, static_cast<int>(R), F(spec->levelTwiddle[d]), nullptr,
                             0);
    ownsFFTColumnStore_32fc_Sse(F(data + g), F(work), cols, R, d == 0 ? 1 : 0);
  }
}

void ownsFFTLarge_32fc_Sse(const FFTSpec_R_32f *spec, C *data, int k, C *work) {
  if (ownsFFTOrderSplit_32f(k) == 0)
    ownsFFTLargeBlocked_32fc_Sse(spec, data, pow2(k), work);
  else
    ownsFFTLargeSplit_32fc_Sse(spec, data, k, 0, work);
}

// ---- SSE2 and SSE3 members: leaves and column blocks ------------------------------------

int vecSplit(const TMember &mb, int m) {
  if (m >= 22)
    return 8;
  static constexpr int kSse3[6] = {0, 3, 4, 4, 4, 5}; // orders 16 .. 21
  static constexpr int kSse2[6] = {4, 4, 4, 5, 6, 6}; // orders 16 .. 21
  return mb.plan == OddPlan::LastRadix2 ? kSse3[m - 16] : kSse2[m - 16];
}

void vecSizeLarge(const TMember &mb, int m, std::int64_t &table, std::int64_t &work) {
  const int d = m - vecSplit(mb, m);
  if (d <= mb.radixLimit) {
    table = round16(8 * pow2(d) + 8);
    work = 8 * pow2(d);
  } else {
    vecSizeLarge(mb, d, table, work);
  }
  table += 8 * pow2(m);
  work = std::max(work, 8 * pow2(mb.columnLog));
}

// The column-pass twiddles of one level (see the member notes above): per column block, per
// radix-4 pass the blocks of (w^e, w^2e, w^3e) for the global index e of every value, then
// for an odd split the radix-2 factors.
float *vecInitLevel(const TMember &mb, FFTSpec_R_32f *spec, int m, int depth, const float *S, int M,
                    float *area) {
  const int s = vecSplit(mb, m);
  const int d = m - s;
  float *start;
  if (d <= mb.radixLimit) {
    spec->twiddleTable = reinterpret_cast<C *>(area);
    start = mb.initTwiddleTab(d, S, M, area);
    spec->workSize = std::max(spec->workSize, static_cast<std::int32_t>(8 * pow2(d)));
  } else {
    start = vecInitLevel(mb, spec, d, depth + 1, S, M, area);
  }
  spec->levelColumn[depth] = reinterpret_cast<C *>(start);
  const std::int64_t L = pow2(d), B = pow2(mb.columnLog - s);
  const int p = s / 2;
  float *w = start;
  for (std::int64_t c0 = 0; c0 < L; c0 += B) {
    for (int i = 1; i <= p; ++i) {
      const int logT = d + 2 * i;
      for (std::int64_t j = 0; j < pow2(2 * (i - 1)); ++j)
        for (std::int64_t k = 0; k < B; k += 4)
          for (int l = 1; l <= 3; ++l) {
            for (int u = 0; u < 4; ++u) {
              const Ipp32fc z = engine::folded(S, M, logT, l * (c0 + j * L + k + u));
              w[u] = z.re;
              w[4 + u] = z.im;
            }
            w += 8;
          }
    }
    if (s % 2 == 1)
      for (std::int64_t j = 0; j < pow2(2 * p); ++j)
        for (std::int64_t k = 0; k < B; k += 4) {
          for (int u = 0; u < 4; ++u) {
            const Ipp32fc z = engine::folded(S, M, m, c0 + j * L + k + u);
            w[u] = z.re;
            w[4 + u] = z.im;
          }
          w += 8;
        }
  }
  spec->workSize = std::max(spec->workSize, static_cast<std::int32_t>(8 * pow2(mb.columnLog)));
  return start + 2 * pow2(m);
}

// One level of the SSE2/SSE3 split over 2^m bit-reversed values: the leaves (or the next
// level) on the rows, then the remaining passes of the decimation on column blocks.
void vecLevel(const TMember &mb, const FFTSpec_R_32f *spec, C *data, int m, int depth, C *work) {
  const int s = vecSplit(mb, m);
  const int d = m - s;
  const std::int64_t K = pow2(s), L = pow2(d);
  for (std::int64_t t = 0; t < K; ++t) {
    C *row = data + t * L;
    if (d <= mb.radixLimit) {
      mb.radix4(row, static_cast<int>(L), F(spec->twiddleTable), work, 0);
      leafScale(mb, spec, row, L);
    } else {
      mb.largeSplit(spec, row, d, depth + 1, work);
    }
  }
  const std::int64_t B = pow2(mb.columnLog - s);
  const int p = s / 2;
  const float *stream = F(spec->levelColumn[depth]);
  float *block = F(work);
  for (std::int64_t c0 = 0; c0 < L; c0 += B) {
    mb.columnLoad(F(data + c0), block, L, K, B);
    std::int64_t span = B;
    for (int i = 1; i <= p; ++i, span *= 4) {
      mb.columnRadix4(block, block, span, K / (4 * span / B), stream);
      stream += 6 * span;
    }
    if (s % 2 == 1) {
      mb.columnRadix2(block, block, span, stream);
      stream += 2 * span;
    }
    mb.columnStore(F(data + c0), block, L, K, B, depth == 0 ? 1 : 0);
  }
}

// ---- Entries shared by the three members -------------------------------------------------

void *take(std::int64_t bytes) { return kernels::fft_real::fftMalloc(bytes); }

// Bytes of the table area of complex order k above the radix limit.
std::int64_t largeTableBytes(const TMember &mb, int k) {
  std::int64_t table = 0, temp = 0, work = 0;
  if (mb.tag == kernels::fft_real::kFFTMemberSse)
    ownsFFTGetSizeLarge_32fc_Sse(k, &table, &temp, &work);
  else if (mb.tag == kernels::fft_real::kFFTMemberSse2)
    ownsFFTGetSizeLarge_32fc_Sse2(k, &table, &temp, &work);
  else
    ownsFFTGetSizeLarge_32fc_Sse3(k, &table, &temp, &work);
  return table;
}

int initComplex(const TMember &mb, FFTSpec_R_32f *spec, int k, const float *S, int M) {
  const std::int64_t n = pow2(k);
  const bool sse = mb.tag == kernels::fft_real::kFFTMemberSse;
  const std::int64_t revBytes = sse ? round16(n / 4 * 4 + 4) : (n + 19) / 16 * 16;
  spec->bitRevTable = static_cast<std::int32_t *>(take(revBytes));
  if (spec->bitRevTable == nullptr)
    return ippStsMemAllocErr;
  // The SSE member's bit reversal from complex order 10 on walks the listed pairs; below,
  // and in the other members, the first pass gathers through the index table.
  if (sse && k >= 10)
    mb.initBitRevTab(k, spec->bitRevTable);
  else if (sse)
    ownsFFTInitBitRevIndexTab_Sse(k, spec->bitRevTable);
  else
    mb.initBitRevTab(k, spec->bitRevTable);
  if (k <= mb.radixLimit) {
    const std::int64_t twBytes = sse ? round16(8 * n + 8) : (8 * n + 23) / 16 * 16;
    spec->twiddleTable = static_cast<C *>(take(twBytes));
    if (spec->twiddleTable == nullptr)
      return ippStsMemAllocErr;
    mb.initTwiddleTab(k, S, M, F(spec->twiddleTable));
    spec->workSize = static_cast<std::int32_t>(8 * n);
    return ippStsNoErr;
  }
  auto *area = static_cast<float *>(take(largeTableBytes(mb, k)));
  if (area == nullptr)
    return ippStsMemAllocErr;
  // The leaf's table lies at the area start, so field 10 is the block the release frees.
  return mb.initLarge(spec, k, S, M, area);
}

IppOpStatus initAlloc(const TMember &mb, FFTSpec_R_32f **ppSpec, int order, int flag, int hint) {
  if (ppSpec == nullptr)
    return ippStsNullPtrErr;
  if (order < 0 || order > 30)
    return ippStsFftOrderErr;
  auto *spec = static_cast<FFTSpec_R_32f *>(take(sizeof(FFTSpec_R_32f)));
  if (spec == nullptr)
    return ippStsMemAllocErr;
  std::memset(spec, 0, sizeof(*spec));
  spec->id = kFFTSpecIdReal32;
  spec->order = order;
  spec->hint = hint;
  spec->allocated = 1;
  spec->member = mb.tag;
  const std::int64_t N = pow2(order);
  switch (flag) {
  case 8:
    break;
  case 4:
    spec->fwdScaleFlag = spec->invScaleFlag = 1;
    spec->scale = static_cast<float>(1.0 / std::sqrt(static_cast<double>(N)));
    break;
  case 1:
  case 2:
    (flag == 1 ? spec->fwdScaleFlag : spec->invScaleFlag) = 1;
    spec->scale = 1.0f / static_cast<float>(N);
    break;
  default:
    mb.freeSpec(spec);
    return ippStsFftFlagErr;
  }
  if (order <= 3) {
    *ppSpec = spec;
    return ippStsNoErr;
  }
  const int k = order - 1;
  // Every block size in 64 bits and checked before anything is built: the table areas of
  // the top orders pass 2^31 bytes.
  const std::int64_t sinBytes = round16(N / 4 * 4 + 4);
  const std::int64_t recombBytes = round16(N / 4 * 8);
  std::int64_t biggest = std::max(sinBytes, recombBytes);
  if (k > mb.radixLimit)
    biggest = std::max(biggest, largeTableBytes(mb, k));
  if (biggest > INT_MAX) {
    mb.freeSpec(spec);
    return ippStsMemAllocErr;
  }
  auto *S = static_cast<float *>(take(sinBytes));
  if (S == nullptr) {
    mb.freeSpec(spec);
    return ippStsMemAllocErr;
  }
  mb.initSinTab(order, S);
  int status = mb.initComplex(spec, k, S, order);
  if (status == ippStsNoErr) {
    spec->recombFwdTable = static_cast<C *>(take(recombBytes));
    if (spec->recombFwdTable == nullptr)
      status = ippStsMemAllocErr;
    else
      mb.initRealFwdTab(order, S, F(spec->recombFwdTable));
  }
  if (status == ippStsNoErr) {
    spec->recombInvTable = static_cast<C *>(take(recombBytes));
    if (spec->recombInvTable == nullptr)
      status = ippStsMemAllocErr;
    else
      mb.initRealInvTab(order, S, F(spec->recombInvTable));
  }
  kernels::fft_real::fftFree(S);
  if (status != ippStsNoErr) {
    mb.freeSpec(spec);
    return status;
  }
  *ppSpec = spec;
  return ippStsNoErr;
}

IppOpStatus forward(const TMember &mb, const float *pSrc, float *pDst, const FFTSpec_R_32f *pSpec,
                    std::uint8_t *pBuffer) {
  if (pSpec == nullptr)
    return ippStsNullPtrErr;
  if (pSpec->id != kFFTSpecIdReal32 || pSpec->member != mb.tag)
    return ippStsContextMatchErr;
  if (pSrc == nullptr || pDst == nullptr)
    return ippStsNullPtrErr;
  const int order = pSpec->order;
  if (order <= 3) {
    if (pSpec->fwdScaleFlag)
      kFFTSmallKernels_32f.scaled[order](pSrc, pDst, pSpec->scale);
    else
      kFFTSmallKernels_32f.unscaled[order](pSrc, pDst);
    return ippStsNoErr;
  }
  C *work = nullptr;
  void *taken = nullptr;
  if (pBuffer != nullptr) {
    work = engine::alignUp16<C>(pBuffer);
  } else {
    taken = take(pSpec->workSize);
    if (taken == nullptr)
      return ippStsMemAllocErr;
    work = static_cast<C *>(taken);
  }
  const int k = order - 1;
  const std::int64_t n = pow2(k);
  const auto *src = reinterpret_cast<const C *>(pSrc);
  C *z = reinterpret_cast<C *>(pDst);
  const float *tw = F(pSpec->twiddleTable);
  if (k <= mb.bitRevLimit) {
    mb.bitRevRadix4(src, z, n, tw, pSpec->bitRevTable, work);
    leafScale(mb, pSpec, z, n);
  } else {
    if (pSrc == pDst)
      mb.bitRevInPlace(z, n, pSpec->bitRevTable);
    else
      mb.bitRev(src, z, n, pSpec->bitRevTable);
    if (k <= mb.radixLimit) {
      mb.radix4(z, static_cast<int>(n), tw, work, 1);
      leafScale(mb, pSpec, z, n);
    } else {
      mb.large(pSpec, z, k, work);
    }
  }
  const double r = z[0].re, i = z[0].im;
  pDst[0] = static_cast<float>(r + i);
  pDst[1] = static_cast<float>(r - i);
  mb.realRecomb(z, n, F(pSpec->recombFwdTable));
  kernels::fft_real::fftFree(taken);
  return ippStsNoErr;
}

IppOpStatus getBufSize(const FFTSpec_R_32f *pSpec, int *pSize) {
  return ippsFFTGetBufSize_R_32f(pSpec, pSize);
}

IppOpStatus release(const TMember &mb, FFTSpec_R_32f *pSpec) {
  if (pSpec == nullptr)
    return ippStsNullPtrErr;
  if (pSpec->id != kFFTSpecIdReal32)
    return ippStsContextMatchErr;
  mb.freeSpec(pSpec);
  return ippStsNoErr;
}

// ---- Each member's own copies ------------------------------------------------------------
// Thin names over the shared bodies: the members differ only in the tables and kernels
// they pass on.

void ownsFFTFreeSpec_R_32f_Sse(FFTSpec_R_32f *spec) { ownsFFTFreeSpec_R_32f(spec); }
void ownsFFTFreeSpec_R_32f_Sse2(FFTSpec_R_32f *spec) { ownsFFTFreeSpec_R_32f(spec); }
void ownsFFTFreeSpec_R_32f_Sse3(FFTSpec_R_32f *spec) { ownsFFTFreeSpec_R_32f(spec); }

int ownsFFTInitComplex_32fc_Sse(FFTSpec_R_32f *spec, int k, const float *S, int M) {
  return initComplex(kSse, spec, k, S, M);
}
int ownsFFTInitComplex_32fc_Sse2(FFTSpec_R_32f *spec, int k, const float *S, int M) {
  return initComplex(kSse2, spec, k, S, M);
}
int ownsFFTInitComplex_32fc_Sse3(FFTSpec_R_32f *spec, int k, const float *S, int M) {
  return initComplex(kSse3, spec, k, S, M);
}

float *ownsFFTInitSinTab_32f_Sse(int order, float *table) { return initSinTab(order, table); }
float *ownsFFTInitSinTab_32f_Sse2(int order, float *table) { return initSinTab(order, table); }
float *ownsFFTInitSinTab_32f_Sse3(int order, float *table) { return initSinTab(order, table); }

float *ownsFFTInitRealFwdTab_32f_Sse(int order, const float *S, float *table) {
  return initRealFwdTab(order, S, table);
}
float *ownsFFTInitRealFwdTab_32f_Sse2(int order, const float *S, float *table) {
  return initRealFwdTab(order, S, table);
}
float *ownsFFTInitRealFwdTab_32f_Sse3(int order, const float *S, float *table) {
  return initRealFwdTab(order, S, table);
}
float *ownsFFTInitRealInvTab_32f_Sse(int order, const float *S, float *table) {
  return initRealInvTab(order, S, table);
}
float *ownsFFTInitRealInvTab_32f_Sse2(int order, const float *S, float *table) {
  return initRealInvTab(order, S, table);
}
float *ownsFFTInitRealInvTab_32f_Sse3(int order, const float *S, float *table) {
  return initRealInvTab(order, S, table);
}

// The SSE member lists bit-reversed pairs from complex order 10 on; the SSE3 member, like
// the SSE2 member, reads the index table.
std::int32_t *ownsFFTInitBitRevTab_Sse(int k, std::int32_t *table) {
  return kernels::fft_real::ownsFFTInitBitRevTab(k, table);
}
std::int32_t *ownsFFTInitBitRevTab_Sse3(int k, std::int32_t *table) {
  return kernels::fft_real::ownsFFTInitBitRevTab_Sse2(k, table);
}

void ownsFFTBitRevRadix4_32fc_Sse(const C *src, C *dst, std::int64_t n, const float *tw,
                                  const std::int32_t *index, C *work) {
  quad::bitRevRadix(OddPlan::First8, src, dst, n, tw, index, work);
}
void ownsFFTBitRevRadix4_32fc_Sse2(const C *src, C *dst, std::int64_t n, const float *tw,
                                   const std::int32_t *index, C *work) {
  quad::bitRevRadix(OddPlan::First8, src, dst, n, tw, index, work);
}
void ownsFFTBitRevRadix4_32fc_Sse3(const C *src, C *dst, std::int64_t n, const float *tw,
                                   const std::int32_t *index, C *work) {
  quad::bitRevRadix(OddPlan::LastRadix2, src, dst, n, tw, index, work);
}

void ownsBitRev_32fc_Sse(const C *src, C *dst, std::int64_t n, const std::int32_t *table) {
  bitRevListed(src, dst, n, table);
}
void ownsBitRev_32fc_I_Sse(C *data, std::int64_t n, const std::int32_t *table) {
  bitRevListedInPlace(data, n, table);
}
void ownsBitRev_32fc_Sse2(const C *src, C *dst, std::int64_t n, const std::int32_t *index) {
  quad::bitRevIndexed(src, dst, n, index);
}
void ownsBitRev_32fc_I_Sse2(C *data, std::int64_t n, const std::int32_t *index) {
  quad::bitRevIndexedInPlace(data, n, index);
}
void ownsBitRev_32fc_Sse3(const C *src, C *dst, std::int64_t n, const std::int32_t *index) {
  quad::bitRevIndexed(src, dst, n, index);
}
void ownsBitRev_32fc_I_Sse3(C *data, std::int64_t n, const std::int32_t *index) {
  quad::bitRevIndexedInPlace(data, n, index);
}

void ownsFFTScale_32f_Sse(float scale, float *data, std::int64_t count) {
  quad::scale(scale, data, count);
}
void ownsFFTScale_32f_Sse2(float scale, float *data, std::int64_t count) {
  quad::scale(scale, data, count);
}
void ownsFFTScale_32f_Sse3(float scale, float *data, std::int64_t count) {
  quad::scale(scale, data, count);
}

// Forward recombination only: no operation runs the inverse pre-processing.
void ownsFFTRealRecomb_32f_Sse(C *data, std::int64_t n, const float *table) {
  quad::realRecomb(data, n, table);
}
void ownsFFTRealRecomb_32f_Sse2(C *data, std::int64_t n, const float *table) {
  quad::realRecomb(data, n, table);
}
void ownsFFTRealRecomb_32f_Sse3(C *data, std::int64_t n, const float *table) {
  quad::realRecomb(data, n, table);
}

void ownsFFTColumnLoad_32fc_Sse2(const float *rows, float *dst, std::int64_t stride,
                                 std::int64_t count, std::int64_t width) {
  quad::columnLoadBlock(rows, dst, stride, count, width);
}
void ownsFFTColumnLoad_32fc_Sse3(const float *rows, float *dst, std::int64_t stride,
                                 std::int64_t count, std::int64_t width) {
  quad::columnLoadBlock(rows, dst, stride, count, width);
}
void ownsFFTColumnRadix4_32fc_Sse2(const float *src, float *dst, std::int64_t span,
                                   std::int64_t groups, const float *stream) {
  quad::pass4(src, dst, span, groups, stream);
}
void ownsFFTColumnRadix4_32fc_Sse3(const float *src, float *dst, std::int64_t span,
                                   std::int64_t groups, const float *stream) {
  quad::pass4(src, dst, span, groups, stream);
}
void ownsFFTColumnRadix2_32fc_Sse2(const float *src, float *dst, std::int64_t span,
                                   const float *stream) {
  quad::pass2(src, dst, span, stream);
}
void ownsFFTColumnRadix2_32fc_Sse3(const float *src, float *dst, std::int64_t span,
                                   const float *stream) {
  quad::pass2(src, dst, span, stream);
}
void ownsFFTColumnStore_32fc_Sse2(float *rows, const float *src, std::int64_t stride,
                                  std::int64_t count, std::int64_t width, int mode) {
  quad::columnStoreBlock(rows, src, stride, count, width, mode == 1);
}
void ownsFFTColumnStore_32fc_Sse3(float *rows, const float *src, std::int64_t stride,
                                  std::int64_t count, std::int64_t width, int mode) {
  quad::columnStoreBlock(rows, src, stride, count, width, mode == 1);
}

int ownsFFTInitLarge_32fc_Sse2(FFTSpec_R_32f *spec, int m, const float *S, int M, float *area) {
  vecInitLevel(kSse2, spec, m, 0, S, M, area);
  return ippStsNoErr;
}
int ownsFFTInitLarge_32fc_Sse3(FFTSpec_R_32f *spec, int m, const float *S, int M, float *area) {
  vecInitLevel(kSse3, spec, m, 0, S, M, area);
  return ippStsNoErr;
}

void ownsFFTLarge_32fc_Sse2(const FFTSpec_R_32f *spec, C *data, int m, C *work) {
  vecLevel(kSse2, spec, data, m, 0, work);
}
void ownsFFTLarge_32fc_Sse3(const FFTSpec_R_32f *spec, C *data, int m, C *work) {
  vecLevel(kSse3, spec, data, m, 0, work);
}
void ownsFFTLargeSplit_32fc_Sse2(const FFTSpec_R_32f *spec, C *data, int m, int depth, C *work) {
  vecLevel(kSse2, spec, data, m, depth, work);
}
void ownsFFTLargeSplit_32fc_Sse3(const FFTSpec_R_32f *spec, C *data, int m, int depth, C *work) {
  vecLevel(kSse3, spec, data, m, depth, work);
}

const TMember kSse{kernels::fft_real::kFFTMemberSse,
                   OddPlan::First8,
                   9,
                   10,
                   0,
                   ownsFFTFreeSpec_R_32f_Sse,
                   ownsFFTInitComplex_32fc_Sse,
                   ownsFFTInitSinTab_32f_Sse,
                   ownsFFTInitRealFwdTab_32f_Sse,
                   ownsFFTInitRealInvTab_32f_Sse,
                   ownsFFTInitBitRevTab_Sse,
                   ownsFFTInitTwiddleTab_32fc_Sse,
                   ownsFFTBitRevRadix4_32fc_Sse,
                   ownsBitRev_32fc_Sse,
                   ownsBitRev_32fc_I_Sse,
                   ownsFFTRadix4_32fc_Sse,
                   ownsFFTScale_32f_Sse,
                   ownsFFTInitLarge_32fc_Sse,
                   ownsFFTLarge_32fc_Sse,
                   ownsFFTLargeSplit_32fc_Sse,
                   nullptr,
                   nullptr,
                   nullptr,
                   nullptr,
                   ownsFFTRealRecomb_32f_Sse};
const TMember kSse2{kernels::fft_real::kFFTMemberSse2,
                    OddPlan::First8,
                    14,
                    15,
                    14,
                    ownsFFTFreeSpec_R_32f_Sse2,
                    ownsFFTInitComplex_32fc_Sse2,
                    ownsFFTInitSinTab_32f_Sse2,
                    ownsFFTInitRealFwdTab_32f_Sse2,
                    ownsFFTInitRealInvTab_32f_Sse2,
                    kernels::fft_real::ownsFFTInitBitRevTab_Sse2,
                    ownsFFTInitTwiddleTab_32fc_Sse2,
                    ownsFFTBitRevRadix4_32fc_Sse2,
                    ownsBitRev_32fc_Sse2,
                    ownsBitRev_32fc_I_Sse2,
                    ownsFFTRadix4_32fc_Sse2,
                    ownsFFTScale_32f_Sse2,
                    ownsFFTInitLarge_32fc_Sse2,
                    ownsFFTLarge_32fc_Sse2,
                    ownsFFTLargeSplit_32fc_Sse2,
                    ownsFFTColumnLoad_32fc_Sse2,
                    ownsFFTColumnRadix4_32fc_Sse2,
                    ownsFFTColumnRadix2_32fc_Sse2,
                    ownsFFTColumnStore_32fc_Sse2,
                    ownsFFTRealRecomb_32f_Sse2};
const TMember kSse3{kernels::fft_real::kFFTMemberSse3,
                    OddPlan::LastRadix2,
                    15,
                    16,
                    15,
                    ownsFFTFreeSpec_R_32f_Sse3,
                    ownsFFTInitComplex_32fc_Sse3,
                    ownsFFTInitSinTab_32f_Sse3,
                    ownsFFTInitRealFwdTab_32f_Sse3,
                    ownsFFTInitRealInvTab_32f_Sse3,
                    ownsFFTInitBitRevTab_Sse3,
                    ownsFFTInitTwiddleTab_32fc_Sse3,
                    ownsFFTBitRevRadix4_32fc_Sse3,
                    ownsBitRev_32fc_Sse3,
                    ownsBitRev_32fc_I_Sse3,
                    ownsFFTRadix4_32fc_Sse3,
                    ownsFFTScale_32f_Sse3,
                    ownsFFTInitLarge_32fc_Sse3,
                    ownsFFTLarge_32fc_Sse3,
                    ownsFFTLargeSplit_32fc_Sse3,
                    ownsFFTColumnLoad_32fc_Sse3,
                    ownsFFTColumnRadix4_32fc_Sse3,
                    ownsFFTColumnRadix2_32fc_Sse3,
                    ownsFFTColumnStore_32fc_Sse3,
                    ownsFFTRealRecomb_32f_Sse3};

} // namespace

IppOpStatus ippsFFTInitAlloc_R_32f_Sse(FFTSpec_R_32f **ppSpec, int order, int flag, int hint) {
  return initAlloc(kSse, ppSpec, order, flag, hint);
}
IppOpStatus ippsFFTInitAlloc_R_32f_Sse2(FFTSpec_R_32f **ppSpec, int order, int flag, int hint) {
  return initAlloc(kSse2, ppSpec, order, flag, hint);
}
IppOpStatus ippsFFTInitAlloc_R_32f_Sse3(FFTSpec_R_32f **ppSpec, int order, int flag, int hint) {
  return initAlloc(kSse3, ppSpec, order, flag, hint);
}
IppOpStatus ippsFFTGetBufSize_R_32f_Sse(const FFTSpec_R_32f *pSpec, int *pSize) {
  return getBufSize(pSpec, pSize);
}
IppOpStatus ippsFFTGetBufSize_R_32f_Sse2(const FFTSpec_R_32f *pSpec, int *pSize) {
  return getBufSize(pSpec, pSize);
}
IppOpStatus ippsFFTGetBufSize_R_32f_Sse3(const FFTSpec_R_32f *pSpec, int *pSize) {
  return getBufSize(pSpec, pSize);
}
IppOpStatus ippsFFTFwd_RToPerm_32f_Sse(const float *pSrc, float *pDst, const FFTSpec_R_32f *pSpec,
                                       std::uint8_t *pBuffer) {
  return forward(kSse, pSrc, pDst, pSpec, pBuffer);
}
IppOpStatus ippsFFTFwd_RToPerm_32f_Sse2(const float *pSrc, float *pDst, const FFTSpec_R_32f *pSpec,
                                        std::uint8_t *pBuffer) {
  return forward(kSse2, pSrc, pDst, pSpec, pBuffer);
}
IppOpStatus ippsFFTFwd_RToPerm_32f_Sse3(const float *pSrc, float *pDst, const FFTSpec_R_32f *pSpec,
                                        std::uint8_t *pBuffer) {
  return forward(kSse3, pSrc, pDst, pSpec, pBuffer);
}
IppOpStatus ippsFFTFree_R_32f_Sse(FFTSpec_R_32f *pSpec) { return release(kSse, pSpec); }
IppOpStatus ippsFFTFree_R_32f_Sse2(FFTSpec_R_32f *pSpec) { return release(kSse2, pSpec); }
IppOpStatus ippsFFTFree_R_32f_Sse3(FFTSpec_R_32f *pSpec) { return release(kSse3, pSpec); }

void ownsFFTRadix4_32fc_Sse(Ipp32fc *data, int n, const float *tw, Ipp32fc *work, int form) {
  quad::radix(OddPlan::First8, data, n, tw, work, form == 1);
}
void ownsFFTRadix4_32fc_Sse2(Ipp32fc *data, int n, const float *tw, Ipp32fc *work, int form) {
  quad::radix(OddPlan::First8, data, n, tw, work, form == 1);
}
void ownsFFTRadix4_32fc_Sse3(Ipp32fc *data, int n, const float *tw, Ipp32fc *work, int form) {
  quad::radix(OddPlan::LastRadix2, data, n, tw, work, form == 1);
}
float *ownsFFTInitTwiddleTab_32fc_Sse(int m, const float *S, int b, float *out) {
  return quad::initPassTwiddleTab(OddPlan::First8, m, S, b, out);
}
float *ownsFFTInitTwiddleTab_32fc_Sse2(int m, const float *S, int b, float *out) {
  return quad::initPassTwiddleTab(OddPlan::First8, m, S, b, out);
}
float *ownsFFTInitTwiddleTab_32fc_Sse3(int m, const float *S, int b, float *out) {
  return quad::initPassTwiddleTab(OddPlan::LastRadix2, m, S, b, out);
}
void ownsFFTGetSizeLarge_32fc_Sse(int k, std::int64_t *table, std::int64_t *temp,
                                  std::int64_t *work) {
  sseSizeLarge(k, *table, *work);
  *temp = 0;
}
void ownsFFTGetSizeLarge_32fc_Sse2(int k, std::int64_t *table, std::int64_t *temp,
                                   std::int64_t *work) {
  vecSizeLarge(kSse2, k, *table, *work);
  *temp = 0;
}
void ownsFFTGetSizeLarge_32fc_Sse3(int k, std::int64_t *table, std::int64_t *temp,
                                   std::int64_t *work) {
  vecSizeLarge(kSse3, k, *table, *work);
  *temp = 0;
}
std::int32_t *ownsFFTInitBitRevIndexTab_Sse(int m, std::int32_t *table) {
  return kernels::fft_real::ownsFFTInitBitRevTab_Sse2(m, table);
}

} // namespace kernels::fft_audio
