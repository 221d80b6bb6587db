// Generic member of the single-precision real transform: the record, its tables, the
// forward transform into Perm and the small-order kernels, over the element-type
// templates of FFTEngineT.h with float data and double intermediates.
#include "kernels/fft-audio/FFTReal32.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

#include "kernels/fft-audio/FFTEngineT.h"
#include "kernels/fft-audio/FFTReal32Internal.h"
#include "kernels/fft-real/FFTAlloc.h"
#include "kernels/fft-real/FFTEngine64.h"

namespace kernels::fft_audio {

namespace {

using engine::round16;
using A = double;
using C = Ipp32fc;

constexpr int kRadixLimit = 10;

// ---- Tables -------------------------------------------------------------------------------

// The builders fill the table at their argument and return its 16-aligned end, so that
// the large-order tables pack into one block.
float *ownsFFTInitSinTab_32f(int order, float *table) {
  engine::initSinTab(order, table);
  return engine::alignUp16<float>(table + (std::int64_t{1} << order) / 4 + 1);
}
C *ownsFFTInitTwiddleTab_32fc(int a, const float *S, int M, C *table) {
  return engine::initTwiddleTab(a, S, M, table);
}
C *ownsFFTInitBlockedTab_32fc(int a, const float *S, int M, C *table) {
  return engine::initBlockedTab(a, S, M, table);
}
C *ownsFFTInitRealFwdTab_32f(int order, const float *S, C *table) {
  engine::initRealFwdTab<float, A>(order, S, table);
  return engine::alignUp16<C>(table + (std::int64_t{1} << order) / 4);
}
C *ownsFFTInitRealInvTab_32f(int order, const float *S, C *table) {
  engine::initRealInvTab(order, S, table);
  return engine::alignUp16<C>(table + (std::int64_t{1} << order) / 4);
}

// Sizes of the large-order block and the work area for complex order k above the radix
// limit, all in 64 bits: the top levels of real orders 29 and 30 pass 2^31 bytes. The
// column tables are written straight into the block, so the set-up needs no temporary.
void ownsFFTGetSizeLarge_32fc(int k, std::int64_t *table, std::int64_t *temp, std::int64_t *work) {
  *temp = 0;
  const int s = ownsFFTOrderSplit_32f(k);
  if (s == 0) {
    *table = round16((std::int64_t{1} << k) / 4 * 8) + 8208;
    *work = 0;
    return;
  }
  const int r = k - s;
  if (r <= kRadixLimit) {
    *table = round16(8 * (std::int64_t{1} << r) + 8);
    *work = 0;
  } else {
    ownsFFTGetSizeLarge_32fc(r, table, temp, work);
  }
  *table += 8 * (std::int64_t{1} << k) + round16(8 * (std::int64_t{1} << s) + 8);
  *work = std::max<std::int64_t>(*work, 32 * (std::int64_t{1} << s));
}

std::int64_t reverseBits(std::int64_t v, int bits) {
  std::int64_t r = 0;
  for (int i = 0; i < bits; ++i)
    r |= ((v >> i) & 1) << (bits - 1 - i);
  return r;
}

// Places the tables of complex order c at depth d of the split from p on; returns the
// 16-aligned end. S: sine table of real order M.
C *initLargeLevel(FFTSpec_R_32f *spec, int c, int d, const float *S, int M, C *p) {
  const int s = ownsFFTOrderSplit_32f(c);
  const int r = c - s;
  if (r <= kRadixLimit) {
    spec->twiddleTable = p;
    p = ownsFFTInitTwiddleTab_32fc(r, S, M, p);
  } else if (ownsFFTOrderSplit_32f(r) == 0) {
    spec->twiddleTable = p;
    spec->blockedTable = ownsFFTInitTwiddleTab_32fc(kRadixLimit, S, M, p);
    p = ownsFFTInitBlockedTab_32fc(r, S, M, spec->blockedTable);
  } else {
    p = initLargeLevel(spec, r, d + 1, S, M, p);
  }
  spec->levelTwiddle[d] = p;
  C *column = ownsFFTInitTwiddleTab_32fc(s, S, M, p);
  spec->levelColumn[d] = column;
  const std::int64_t rows = std::int64_t{1} << s;
  const std::int64_t cols = std::int64_t{1} << r;
  for (std::int64_t g = 0; g < cols; g += 4)
    for (std::int64_t t = 0; t < rows; ++t) {
      const std::int64_t bt = reverseBits(t, s);
      for (std::int64_t u = 0; u < 4; ++u)
        *column++ = engine::folded(S, M, c, bt * (g + u));
    }
  spec->workSize = std::max(spec->workSize, static_cast<std::int32_t>(32 * rows));
  return engine::alignUp16<C>(column);
}

// The large-order block of complex order k: the leaf's tables at its start (so field 10 is
// the block the release frees), then each split level's twiddles and column twiddles.
void ownsFFTInitLarge_32fc(FFTSpec_R_32f *spec, int k, const float *S, int M, C *block) {
  if (ownsFFTOrderSplit_32f(k) == 0) {
    spec->twiddleTable = block;
    spec->blockedTable = ownsFFTInitTwiddleTab_32fc(kRadixLimit, S, M, block);
    ownsFFTInitBlockedTab_32fc(k, S, M, spec->blockedTable);
    return;
  }
  initLargeLevel(spec, k, 0, S, M, block);
}

int ownsFFTInitComplex_32fc(FFTSpec_R_32f *spec, int k, const float *S, int M) {
  const std::int64_t n = std::int64_t{1} << k;
  spec->bitRevTable =
      static_cast<std::int32_t *>(kernels::fft_real::fftMalloc(round16(n / 4 * 4 + 4)));
  if (spec->bitRevTable == nullptr)
    return ippStsMemAllocErr;
  kernels::fft_real::ownsFFTInitBitRevTab(k, spec->bitRevTable);
  if (k <= kRadixLimit) {
    spec->twiddleTable = static_cast<C *>(kernels::fft_real::fftMalloc(round16(8 * n + 8)));
    if (spec->twiddleTable == nullptr)
      return ippStsMemAllocErr;
    ownsFFTInitTwiddleTab_32fc(k, S, M, spec->twiddleTable);
    return ippStsNoErr;
  }
  std::int64_t tableSize = 0, tempSize = 0, workSize = 0;
  ownsFFTGetSizeLarge_32fc(k, &tableSize, &tempSize, &workSize);
  C *block = static_cast<C *>(kernels::fft_real::fftMalloc(tableSize));
  if (block == nullptr)
    return ippStsMemAllocErr;
  ownsFFTInitLarge_32fc(spec, k, S, M, block);
  return ippStsNoErr;
}

// Largest block the tables of real order m need (the sine table and the large-order block
// dominate); the set-up refuses an order whose blocks cannot be had before building.
std::int64_t largestBlock(int m) {
  const int k = m - 1;
  std::int64_t biggest = round16((std::int64_t{1} << m) / 4 * 8); // each recombination table
  if (k > kRadixLimit) {
    std::int64_t table = 0, temp = 0, work = 0;
    ownsFFTGetSizeLarge_32fc(k, &table, &temp, &work);
    biggest = std::max(biggest, table);
  }
  return biggest;
}

// ---- Engine routines -----------------------------------------------------------------------

void ownsBitRev_32fc(const C *src, C *dst, std::int64_t n, const std::int32_t *table) {
  engine::bitRev(src, dst, n, table);
}
void ownsBitRev_32fc_I(C *data, std::int64_t n, const std::int32_t *table) {
  engine::bitRevInPlace(data, n, table);
}
void ownsFFTRadix4_32fc(C *data, std::int64_t n, const C *twiddles) {
  engine::radix4<float, A>(data, n, twiddles);
}
void ownsFFTScale_32f(float scale, float *data, std::int64_t count) {
  engine::scale<float, A>(scale, data, count);
}
void ownsFFTRealRecomb_32f(C *data, std::int64_t n, const C *fwdTable) {
  engine::realRecombFwd<float, A>(data, n, fwdTable);
}

// Joins adjacent blocks of B0 points level by level up to the m-point transform; T holds
// w_m^i for i < m/4. Only 2048 and 4096 points reach it, so the whole transform is one
// group and no join across groups is needed.
void ownsFFTBlockedCombine_32fc(C *data, std::int64_t m, std::int64_t B0, const C *T) {
  for (std::int64_t B = B0; 2 * B <= m; B *= 2) {
    const std::int64_t stride = m / (2 * B);
    for (std::int64_t P = 0; P < m; P += 2 * B)
      for (std::int64_t j = 0; j < B; ++j) {
        engine::TAcc<A> t;
        if (j < B / 2) {
          t = engine::load<A>(T[j * stride]);
        } else {
          const engine::TAcc<A> v = engine::load<A>(T[(j - B / 2) * stride]);
          t = {v.im, -v.re}; // -i·v
        }
        const engine::TAcc<A> p = engine::load<A>(data[P + j]);
        const engine::TAcc<A> q = engine::mul(engine::load<A>(data[P + B + j]), t);
        data[P + j] = engine::store<A, float>({p.re + q.re, p.im + q.im});
        data[P + B + j] = engine::store<A, float>({p.re - q.re, p.im - q.im});
      }
  }
}

void leafScale(const FFTSpec_R_32f *spec, C *x, std::int64_t points) {
  if (spec->fwdScaleFlag)
    ownsFFTScale_32f(spec->scale, &x->re, 2 * points);
}

void ownsFFTLargeBlocked_32fc(const FFTSpec_R_32f *spec, C *data, std::int64_t m) {
  constexpr std::int64_t kBlock = 1024;
  for (std::int64_t b = m - kBlock; b >= 0; b -= kBlock) {
    ownsFFTRadix4_32fc(data + b, kBlock, spec->twiddleTable);
    leafScale(spec, data + b, kBlock);
  }
  ownsFFTBlockedCombine_32fc(data, m, kBlock, spec->blockedTable);
}

void ownsFFTLargeSplit_32fc(const FFTSpec_R_32f *spec, C *data, int c, int d, C *work) {
  const int s = ownsFFTOrderSplit_32f(c);
  const int r = c - s;
  const std::int64_t rows = std::int64_t{1} << s;
  const std::int64_t cols = std::int64_t{1} << r;
  for (std::int64_t t = 0; t < rows; ++t) {
    C *row = data + t * cols;
    if (r <= kRadixLimit) {
      ownsFFTRadix4_32fc(row, cols, spec->twiddleTable);
      leafScale(spec, row, cols);
    } else if (ownsFFTOrderSplit_32f(r) == 0) {
      ownsFFTLargeBlocked_32fc(spec, row, cols);
    } else {
      ownsFFTLargeSplit_32fc(spec, row, r, d + 1, work);
    }
  }
  const C *tw = spec->levelColumn[d];
  for (std::int64_t g = 0; g < cols; g += 4) {
    for (std::int64_t t = 0; t < rows; ++t)
      for (std::int64_t u = 0; u < 4; ++u, ++tw)
        work[u * rows + t] = engine::store<A, float>(
            engine::mul(engine::load<A>(data[t * cols + g + u]), engine::load<A>(*tw)));
    for (std::int64_t u = 0; u < 4; ++u)
      ownsFFTRadix4_32fc(work + u * rows, rows, spec->levelTwiddle[d]);
    for (std::int64_t t = 0; t < rows; ++t)
      for (std::int64_t u = 0; u < 4; ++u)
        data[t * cols + g + u] = work[u * rows + t];
  }
}

// ---- Small-order kernels ---------------------------------------------------------------

// r, the float nearest sqrt(1/2), as the order-3 kernels read it.
constexpr float kR = 0.70710677f;

void perm8(const float *x, float *y, A s) {
  const A a04 = A(x[0]) + x[4], d04 = A(x[0]) - x[4];
  const A a26 = A(x[2]) + x[6], d26 = A(x[2]) - x[6];
  const A a15 = A(x[1]) + x[5], d15 = A(x[1]) - x[5];
  const A a37 = A(x[3]) + x[7], d37 = A(x[3]) - x[7];
  const A r = kR;
  const A u = r * (d15 - d37); // r(x1 - x3 - x5 + x7)
  const A v = r * (d15 + d37); // r(x1 + x3 - x5 - x7)
  const A out[8] = {a04 + a26 + a15 + a37,
                    a04 + a26 - a15 - a37,
                    d04 + u,
                    -d26 - v,
                    a04 - a26,
                    a37 - a15,
                    d04 - u,
                    d26 - v};
  for (int i = 0; i < 8; ++i)
    y[i] = static_cast<float>(out[i] * s);
}

void ownsFFTOrd0_R_32f(const float *src, float *dst) { std::memcpy(dst, src, sizeof(float)); }
void ownsFFTOrd0Scale_R_32f(const float *src, float *dst, float s) {
  dst[0] = static_cast<float>(A(src[0]) * s);
}
void ownsFFTOrd1_R_32f(const float *src, float *dst) {
  const A a = src[0], b = src[1];
  dst[0] = static_cast<float>(a + b);
  dst[1] = static_cast<float>(a - b);
}
void ownsFFTOrd1Scale_R_32f(const float *src, float *dst, float s) {
  const A a = src[0], b = src[1];
  dst[0] = static_cast<float>((a + b) * s);
  dst[1] = static_cast<float>((a - b) * s);
}
void fwd4(const float *x, float *y, A s) {
  const A a02 = A(x[0]) + x[2], d02 = A(x[0]) - x[2];
  const A a13 = A(x[1]) + x[3], d31 = A(x[3]) - x[1];
  const A out[4] = {a02 + a13, a02 - a13, d02, d31};
  for (int i = 0; i < 4; ++i)
    y[i] = static_cast<float>(out[i] * s);
}
void ownsFFTFwdOrd2_RToPerm_32f(const float *src, float *dst) { fwd4(src, dst, 1.0); }
void ownsFFTFwdOrd2Scale_RToPerm_32f(const float *src, float *dst, float s) { fwd4(src, dst, s); }
void ownsFFTFwdOrd3_RToPerm_32f(const float *src, float *dst) { perm8(src, dst, 1.0); }
void ownsFFTFwdOrd3Scale_RToPerm_32f(const float *src, float *dst, float s) { perm8(src, dst, s); }

} // namespace

const FFTSmallKernelTable_32f kFFTSmallKernels_32f = {
    {ownsFFTOrd0_R_32f, ownsFFTOrd1_R_32f, ownsFFTFwdOrd2_RToPerm_32f, ownsFFTFwdOrd3_RToPerm_32f},
    {ownsFFTOrd0Scale_R_32f, ownsFFTOrd1Scale_R_32f, ownsFFTFwdOrd2Scale_RToPerm_32f,
     ownsFFTFwdOrd3Scale_RToPerm_32f}};

int ownsFFTOrderSplit_32f(int k) {
  static constexpr int kSplit[31] = {0, 0, 0, 0,  0,  0,  0,  0, 0, 0,  0,  0,  0,  5,  6, 7,
                                     8, 8, 8, 10, 10, 10, 10, 8, 8, 10, 10, 10, 10, 10, 10};
  return k >= 0 && k <= 30 ? kSplit[k] : 0;
}

void ownsFFTFreeSpec_R_32f(FFTSpec_R_32f *spec) {
  spec->id = 0;
  if (spec->allocated != 1)
    return;
  kernels::fft_real::fftFree(spec->bitRevTable);
  kernels::fft_real::fftFree(spec->twiddleTable);
  kernels::fft_real::fftFree(spec->recombFwdTable);
  kernels::fft_real::fftFree(spec->recombInvTable);
  kernels::fft_real::fftFree(spec);
}

void ownsFFTLarge_32fc(const FFTSpec_R_32f *spec, Ipp32fc *data, int c, Ipp32fc *work) {
  if (ownsFFTOrderSplit_32f(c) == 0)
    ownsFFTLargeBlocked_32fc(spec, data, std::int64_t{1} << c);
  else
    ownsFFTLargeSplit_32fc(spec, data, c, 0, work);
}

IppOpStatus ippsFFTInitAlloc_R_32f(FFTSpec_R_32f **ppSpec, int order, int flag, int hint) {
  if (ppSpec == nullptr)
    return ippStsNullPtrErr;
  if (order < 0 || order > 30)
    return ippStsFftOrderErr;
  auto *spec = static_cast<FFTSpec_R_32f *>(kernels::fft_real::fftMalloc(sizeof(FFTSpec_R_32f)));
  if (spec == nullptr)
    return ippStsMemAllocErr;
  std::memset(spec, 0, sizeof(*spec));
  spec->id = kFFTSpecIdReal32;
  spec->order = order;
  spec->hint = hint;
  spec->allocated = 1;
  spec->member = kernels::fft_real::kFFTMemberGeneric;
  const double N = std::ldexp(1.0, order);
  switch (flag) {
  case 8:
    break;
  case 4:
    spec->fwdScaleFlag = spec->invScaleFlag = 1;
    // The root rounded to double, the quotient formed wider and rounded to float once.
    spec->scale =
        static_cast<float>(1.0L / static_cast<double>(std::sqrt(static_cast<long double>(N))));
    break;
  case 1:
  case 2:
    (flag == 1 ? spec->fwdScaleFlag : spec->invScaleFlag) = 1;
    spec->scale = static_cast<float>(1.0 / N);
    break;
  default:
    ownsFFTFreeSpec_R_32f(spec);
    return ippStsFftFlagErr;
  }
  if (order <= 3) {
    *ppSpec = spec;
    return ippStsNoErr;
  }
  const std::int64_t sinBytes = round16((std::int64_t{1} << order) / 4 * 4 + 4);
  if (std::max(sinBytes, largestBlock(order)) > INT_MAX) {
    ownsFFTFreeSpec_R_32f(spec);
    return ippStsMemAllocErr;
  }
  auto *S = static_cast<float *>(kernels::fft_real::fftMalloc(sinBytes));
  if (S == nullptr) {
    ownsFFTFreeSpec_R_32f(spec);
    return ippStsMemAllocErr;
  }
  ownsFFTInitSinTab_32f(order, S);
  int status = ownsFFTInitComplex_32fc(spec, order - 1, S, order);
  const std::int64_t recombBytes = round16((std::int64_t{1} << order) / 4 * 8);
  if (status == ippStsNoErr) {
    spec->recombFwdTable = static_cast<C *>(kernels::fft_real::fftMalloc(recombBytes));
    if (spec->recombFwdTable == nullptr)
      status = ippStsMemAllocErr;
    else
      ownsFFTInitRealFwdTab_32f(order, S, spec->recombFwdTable);
  }
  if (status == ippStsNoErr) {
    spec->recombInvTable = static_cast<C *>(kernels::fft_real::fftMalloc(recombBytes));
    if (spec->recombInvTable == nullptr)
      status = ippStsMemAllocErr;
    else
      ownsFFTInitRealInvTab_32f(order, S, spec->recombInvTable);
  }
  kernels::fft_real::fftFree(S);
  if (status != ippStsNoErr) {
    ownsFFTFreeSpec_R_32f(spec);
    return status;
  }
  *ppSpec = spec;
  return ippStsNoErr;
}

IppOpStatus ippsFFTGetBufSize_R_32f(const FFTSpec_R_32f *pSpec, int *pSize) {
  if (pSize == nullptr || pSpec == nullptr)
    return ippStsNullPtrErr;
  if (pSpec->id != kFFTSpecIdReal32)
    return ippStsContextMatchErr;
  *pSize = pSpec->workSize > 0 ? pSpec->workSize + 16 : 0;
  return ippStsNoErr;
}

IppOpStatus ippsFFTFree_R_32f(FFTSpec_R_32f *pSpec) {
  if (pSpec == nullptr)
    return ippStsNullPtrErr;
  if (pSpec->id != kFFTSpecIdReal32)
    return ippStsContextMatchErr;
  ownsFFTFreeSpec_R_32f(pSpec);
  return ippStsNoErr;
}

IppOpStatus ippsFFTFwd_RToPerm_32f(const float *pSrc, float *pDst, const FFTSpec_R_32f *pSpec,
                                   std::uint8_t *pBuffer) {
  if (pSpec == nullptr)
    return ippStsNullPtrErr;
  if (pSpec->id != kFFTSpecIdReal32 || pSpec->member != kernels::fft_real::kFFTMemberGeneric)
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
  if (pSpec->workSize > 0) {
    if (pBuffer != nullptr) {
      work = engine::alignUp16<C>(pBuffer);
    } else {
      taken = kernels::fft_real::fftMalloc(pSpec->workSize);
      if (taken == nullptr)
        return ippStsMemAllocErr;
      work = static_cast<C *>(taken);
    }
  }
  const int k = order - 1;
  const std::int64_t n = std::int64_t{1} << k;
  C *z = reinterpret_cast<C *>(pDst);
  if (pSrc == pDst)
    ownsBitRev_32fc_I(z, n, pSpec->bitRevTable);
  else
    ownsBitRev_32fc(reinterpret_cast<const C *>(pSrc), z, n, pSpec->bitRevTable);
  if (k > kRadixLimit) {
    ownsFFTLarge_32fc(pSpec, z, k, work);
  } else {
    ownsFFTRadix4_32fc(z, n, pSpec->twiddleTable);
    leafScale(pSpec, z, n);
  }
  const A r = z[0].re, i = z[0].im;
  pDst[0] = static_cast<float>(r + i);
  pDst[1] = static_cast<float>(r - i);
  ownsFFTRealRecomb_32f(z, n, pSpec->recombFwdTable);
  kernels::fft_real::fftFree(taken);
  return ippStsNoErr;
}

} // namespace kernels::fft_audio
