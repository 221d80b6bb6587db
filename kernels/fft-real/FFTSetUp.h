// Internal to kernels/fft-real: the table set-up every variant runs, one body
// parameterised by the level's radix limit and table builders, and the small-order
// kernel tables the variants share.
#pragma once

#include <cstdint>

#include "kernels/fft-real/FFTAlloc.h"
#include "kernels/fft-real/FFTEngine64.h"

namespace kernels::fft_real {

// What one level's set-up builds with: up to radixLimit the radix passes read a
// bit-reversal table and one twiddle table of n + 1 values, above it the large-order
// block sized and filled by the level's own routines.
struct TFFTSetUpLevel {
  int radixLimit;
  std::int32_t *(*initBitRev)(int k, std::int32_t *T);
  Ipp64fc *(*initTwiddle)(int k, const double *S, int m, Ipp64fc *W);
  void (*getSizeLarge)(int k, std::int64_t *blockSize, std::int64_t *workSize);
  void (*initLarge)(FFTSpec_64 *spec, int k, const double *S, int m, Ipp64fc *block);
  void (*initRealFwd)(int m, const double *S, Ipp64fc *T);
  void (*initRealInv)(int m, const double *S, Ipp64fc *T);
  // Work area of the radix orders, in bytes per point (the in-place passes of some
  // levels run in it).
  std::int32_t radixWorkPerPoint;
};

inline std::int64_t roundUp16(std::int64_t bytes) { return (bytes + 15) / 16 * 16; }

// TFFTVariant::initComplex of the level.
template <const TFFTSetUpLevel &L>
int initComplexTables(FFTSpec_64 *spec, int k, const double *S, int m) {
  const std::int64_t n = std::int64_t{1} << k;
  spec->bitRevTable = static_cast<std::int32_t *>(fftMalloc(roundUp16(4 * (n / 4 + 1))));
  if (!spec->bitRevTable)
    return ippStsMemAllocErr;
  L.initBitRev(k, spec->bitRevTable);
  if (k <= L.radixLimit) {
    spec->twiddleTable = static_cast<Ipp64fc *>(fftMalloc(16 * (n + 1)));
    if (!spec->twiddleTable)
      return ippStsMemAllocErr;
    L.initTwiddle(k, S, m, spec->twiddleTable);
    spec->workSize = static_cast<std::int32_t>(L.radixWorkPerPoint * n);
    return ippStsNoErr;
  }
  std::int64_t blockSize = 0, workSize = 0;
  L.getSizeLarge(k, &blockSize, &workSize);
  // The block becomes the twiddle table; the level's set-up sets the work size.
  spec->twiddleTable = static_cast<Ipp64fc *>(fftMalloc(blockSize));
  if (!spec->twiddleTable)
    return ippStsMemAllocErr;
  L.initLarge(spec, k, S, m, spec->twiddleTable);
  return ippStsNoErr;
}

// TFFTVariant::initReal of the level.
template <const TFFTSetUpLevel &L> int initRealTables(FFTSpec_64 *spec, int m, const double *S) {
  const std::int64_t bytes = 16 * ((std::int64_t{1} << m) / 4);
  spec->recombFwdTable = static_cast<Ipp64fc *>(fftMalloc(bytes));
  if (!spec->recombFwdTable)
    return ippStsMemAllocErr;
  L.initRealFwd(m, S, spec->recombFwdTable);
  spec->recombInvTable = static_cast<Ipp64fc *>(fftMalloc(bytes));
  if (!spec->recombInvTable)
    return ippStsMemAllocErr;
  L.initRealInv(m, S, spec->recombInvTable);
  return ippStsNoErr;
}

// TFFTVariant::largestBlock of the level.
template <const TFFTSetUpLevel &L> std::int64_t largestTableBlock(int k) {
  if (k <= L.radixLimit)
    return 16 * ((std::int64_t{1} << k) + 1);
  std::int64_t blockSize = 0, workSize = 0;
  L.getSizeLarge(k, &blockSize, &workSize);
  return blockSize;
}

// The small-order kernels of the complex and real entries, by direction.
inline constexpr FFTSmallKernelTable kFFTComplexFwdKernels = {
    {ownsFFTCopy_64fc, ownsFFT2_64fc, ownsFFTFwd4_64fc, ownsFFTFwd8_64fc},
    {ownsFFTCopyScale_64fc, ownsFFT2Scale_64fc, ownsFFTFwd4Scale_64fc, ownsFFTFwd8Scale_64fc}};
inline constexpr FFTSmallKernelTable kFFTComplexInvKernels = {
    {ownsFFTCopy_64fc, ownsFFT2_64fc, ownsFFTInv4_64fc, ownsFFTInv8_64fc},
    {ownsFFTCopyScale_64fc, ownsFFT2Scale_64fc, ownsFFTInv4Scale_64fc, ownsFFTInv8Scale_64fc}};
inline constexpr FFTSmallKernelTable kFFTRealFwdKernels = {
    {ownsFFTCopy_64f, ownsFFT2_64f, ownsFFTFwd4_64f, ownsFFTFwd8_64f},
    {ownsFFTCopyScale_64f, ownsFFT2Scale_64f, ownsFFTFwd4Scale_64f, ownsFFTFwd8Scale_64f}};
inline constexpr FFTSmallKernelTable kFFTRealInvKernels = {
    {ownsFFTCopy_64f, ownsFFT2_64f, ownsFFTInv4_64f, ownsFFTInv8_64f},
    {ownsFFTCopyScale_64f, ownsFFT2Scale_64f, ownsFFTInv4Scale_64f, ownsFFTInv8Scale_64f}};

} // namespace kernels::fft_real
