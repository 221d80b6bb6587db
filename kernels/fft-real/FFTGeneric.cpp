// The generic variant: radix passes up to complex order 9, the large-order path above,
// recombination one index per step.
#include "kernels/fft-real/FFTAlloc.h"
#include "kernels/fft-real/FFTEngine64.h"

namespace fft_real {

namespace {

constexpr int kRadixLimit = 9;

std::int64_t roundUp16(std::int64_t bytes) { return (bytes + 15) / 16 * 16; }

int initReal(FFTSpec_64 *spec, int m, const double *S) {
  const std::int64_t bytes = 16 * ((std::int64_t{1} << m) / 4);
  spec->recombFwdTable = static_cast<Ipp64fc *>(fftMalloc(bytes));
  if (!spec->recombFwdTable)
    return ippStsMemAllocErr;
  ownsFFTInitRealFwdTab_64f(m, S, spec->recombFwdTable);
  spec->recombInvTable = static_cast<Ipp64fc *>(fftMalloc(bytes));
  if (!spec->recombInvTable)
    return ippStsMemAllocErr;
  ownsFFTInitRealInvTab_64f(m, S, spec->recombInvTable);
  return ippStsNoErr;
}

template <bool Inv>
void transform(const FFTSpec_64 *spec, const Ipp64fc *src, Ipp64fc *dst, int k, Ipp64fc *work) {
  const std::int64_t N = std::int64_t{1} << k;
  if (src == dst)
    ownsBitRev_64fc_I(dst, N, spec->bitRevTable);
  else
    ownsBitRev_64fc(src, dst, N, spec->bitRevTable);
  if (k > kRadixLimit) {
    if (Inv)
      ownsFFTLargeInv_64fc(spec, dst, k, work);
    else
      ownsFFTLarge_64fc(spec, dst, k, work);
    return;
  }
  ownsFFTRadix4Leaf_64fc<Inv>(spec, dst, N, spec->twiddleTable);
}

const FFTSmallKernelTable kComplexFwd = {
    {ownsFFTCopy_64fc, ownsFFT2_64fc, ownsFFTFwd4_64fc, ownsFFTFwd8_64fc},
    {ownsFFTCopyScale_64fc, ownsFFT2Scale_64fc, ownsFFTFwd4Scale_64fc, ownsFFTFwd8Scale_64fc}};
const FFTSmallKernelTable kComplexInv = {
    {ownsFFTCopy_64fc, ownsFFT2_64fc, ownsFFTInv4_64fc, ownsFFTInv8_64fc},
    {ownsFFTCopyScale_64fc, ownsFFT2Scale_64fc, ownsFFTInv4Scale_64fc, ownsFFTInv8Scale_64fc}};
const FFTSmallKernelTable kRealFwd = {
    {ownsFFTCopy_64f, ownsFFT2_64f, ownsFFTFwd4_64f, ownsFFTFwd8_64f},
    {ownsFFTCopyScale_64f, ownsFFT2Scale_64f, ownsFFTFwd4Scale_64f, ownsFFTFwd8Scale_64f}};
const FFTSmallKernelTable kRealInv = {
    {ownsFFTCopy_64f, ownsFFT2_64f, ownsFFTInv4_64f, ownsFFTInv8_64f},
    {ownsFFTCopyScale_64f, ownsFFT2Scale_64f, ownsFFTInv4Scale_64f, ownsFFTInv8Scale_64f}};

std::int64_t largestBlock(int k) {
  if (k <= kRadixLimit)
    return 16 * ((std::int64_t{1} << k) + 1);
  std::int64_t blockSize = 0, workSize = 0;
  ownsFFTGetSizeLarge(k, &blockSize, &workSize);
  return blockSize;
}

// The SSE variant runs the generic code (its arithmetic is double precision throughout,
// so the two agree bit for bit) through kernel tables of its own.
const FFTSmallKernelTable kSseComplexFwd = kComplexFwd;
const FFTSmallKernelTable kSseComplexInv = kComplexInv;
const FFTSmallKernelTable kSseRealFwd = kRealFwd;
const FFTSmallKernelTable kSseRealInv = kRealInv;

} // namespace

int ownsFFTInitComplex_64fc(FFTSpec_64 *spec, int k, const double *S, int m) {
  const std::int64_t n = std::int64_t{1} << k;
  spec->bitRevTable = static_cast<std::int32_t *>(fftMalloc(roundUp16(4 * (n / 4 + 1))));
  if (!spec->bitRevTable)
    return ippStsMemAllocErr;
  ownsFFTInitBitRevTab(k, spec->bitRevTable);
  if (k <= kRadixLimit) {
    spec->twiddleTable = static_cast<Ipp64fc *>(fftMalloc(16 * (n + 1)));
    if (!spec->twiddleTable)
      return ippStsMemAllocErr;
    ownsFFTInitTwiddleTab_64fc(k, S, m, spec->twiddleTable);
    spec->workSize = 0;
    return ippStsNoErr;
  }
  std::int64_t blockSize = 0, workSize = 0;
  ownsFFTGetSizeLarge(k, &blockSize, &workSize);
  auto *block = static_cast<Ipp64fc *>(fftMalloc(blockSize));
  if (!block)
    return ippStsMemAllocErr;
  ownsFFTInitLarge_64fc(spec, k, S, m, block); // the block becomes the twiddle table
  return ippStsNoErr;
}

void ownsFFTRealRecomb_64f(Ipp64fc *data, std::int64_t M, const Ipp64fc *table) {
  for (std::int64_t k = 1; k < M / 2; ++k) {
    const std::int64_t j = M - k;
    const Ipp64fc zk = data[k], zj = data[j];
    const double a = table[k].re, b = table[k].im;
    const double delta = zk.re - zj.re, sigma = zk.im + zj.im;
    const double L = b * delta + a * sigma;
    const double Q = b * sigma - a * delta;
    data[k] = {zj.re + L, Q - zj.im};
    data[j] = {zk.re - L, Q - zk.im};
  }
  data[M / 2].im = -data[M / 2].im;
}

void ownsFFTRealRecombInv_64f(const Ipp64fc *src, Ipp64fc *dst, std::int64_t M,
                              const Ipp64fc *table) {
  for (std::int64_t k = 1; k < M / 2; ++k) {
    const std::int64_t j = M - k;
    const Ipp64fc yk = src[k], yj = src[j];
    const double c = table[k].re, s = table[k].im;
    const double P = yk.re + yj.re, delta = yk.re - yj.re;
    const double D = yk.im - yj.im, sigma = yk.im + yj.im;
    const double H = s * delta - c * sigma;
    const double G = c * delta + s * sigma;
    dst[k] = {P + H, D + G};
    dst[j] = {P - H, G - D};
  }
  const Ipp64fc mid = src[M / 2];
  dst[M / 2] = {2.0 * mid.re, -2.0 * mid.im};
}

const TFFTVariant kFFTGenericVariant = {
    kFFTMemberGeneric,
    &kComplexFwd,
    &kComplexInv,
    &kRealFwd,
    &kRealInv,
    ownsFFTInitComplex_64fc,
    initReal,
    transform<false>,
    transform<true>,
    ownsFFTRealRecomb_64f,
    ownsFFTRealRecombInv_64f,
    largestBlock,
};

const TFFTVariant kFFTSseVariant = {
    kFFTMemberSse,
    &kSseComplexFwd,
    &kSseComplexInv,
    &kSseRealFwd,
    &kSseRealInv,
    ownsFFTInitComplex_64fc_Sse,
    initReal,
    transform<false>,
    transform<true>,
    ownsFFTRealRecomb_64f_Sse,
    ownsFFTRealRecombInv_64f_Sse,
    largestBlock,
};

} // namespace fft_real
