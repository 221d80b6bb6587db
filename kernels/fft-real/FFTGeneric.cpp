// The generic variant: radix passes up to complex order 9, the large-order path above,
// recombination one index per step.
#include "kernels/fft-real/FFTSetUp.h"

namespace kernels::fft_real {

namespace {

constexpr int kRadixLimit = 9;

constexpr TFFTSetUpLevel kGenericSetUp = {kRadixLimit,
                                          ownsFFTInitBitRevTab,
                                          ownsFFTInitTwiddleTab_64fc,
                                          ownsFFTGetSizeLarge,
                                          ownsFFTInitLarge_64fc,
                                          ownsFFTInitRealFwdTab_64f,
                                          ownsFFTInitRealInvTab_64f,
                                          0};

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

// The SSE variant runs the generic code (its arithmetic is double precision throughout,
// so the two agree bit for bit) through kernel tables of its own.
const FFTSmallKernelTable kSseComplexFwd = kFFTComplexFwdKernels;
const FFTSmallKernelTable kSseComplexInv = kFFTComplexInvKernels;
const FFTSmallKernelTable kSseRealFwd = kFFTRealFwdKernels;
const FFTSmallKernelTable kSseRealInv = kFFTRealInvKernels;

} // namespace

int ownsFFTInitComplex_64fc(FFTSpec_64 *spec, int k, const double *S, int m) {
  return initComplexTables<kGenericSetUp>(spec, k, S, m);
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
    &kFFTComplexFwdKernels,
    &kFFTComplexInvKernels,
    &kFFTRealFwdKernels,
    &kFFTRealInvKernels,
    ownsFFTInitComplex_64fc,
    initRealTables<kGenericSetUp>,
    transform<false>,
    transform<true>,
    ownsFFTRealRecomb_64f,
    ownsFFTRealRecombInv_64f,
    largestTableBlock<kGenericSetUp>,
};

const TFFTVariant kFFTSseVariant = {
    kFFTMemberSse,
    &kSseComplexFwd,
    &kSseComplexInv,
    &kSseRealFwd,
    &kSseRealInv,
    ownsFFTInitComplex_64fc_Sse,
    initRealTables<kGenericSetUp>,
    transform<false>,
    transform<true>,
    ownsFFTRealRecomb_64f_Sse,
    ownsFFTRealRecombInv_64f_Sse,
    largestTableBlock<kGenericSetUp>,
};

} // namespace kernels::fft_real
