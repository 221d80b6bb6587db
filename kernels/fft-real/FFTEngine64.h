// Inner routines of the double-precision FFT engine: table builders, bit reversal,
// radix passes, scaling, the large-order path, the real recombination passes and the
// small-order kernels, together with the variant record through which the entry
// operations reach them.
//
// Nothing here tests an argument, returns a status or allocates (except a variant's two
// set-up entries, which allocate through fftMalloc and report -9): the entry operations
// have validated everything first. The routines keep no state and take no locks.
// They are the building blocks that other transforms of the system (the audio unit's
// transforms into other spectrum layouts) run on as well.
#pragma once

#include <cstdint>

#include "kernels/fft-real/FFTReal64.h"

namespace kernels::fft_real {

// ---- Tables ---------------------------------------------------------------------------

// Split exponent of the large-order scheme by complex order k (0: the blocked scheme).
int ownsFFTOrderSplit(int k);

// The folded value (cos(2πp/L), -sin(2πp/L)), L = 2^j, read from the quarter-wave sine
// table S of order m (j <= m, 0 <= p < L).
Ipp64fc ownsFFTFolded(const double *S, int m, int j, std::int64_t p);

void ownsFFTInitSinTab_64f(int m, double *S);
// Each builder returns the first 16-byte boundary after what it wrote.
std::int32_t *ownsFFTInitBitRevTab(int k, std::int32_t *T);
Ipp64fc *ownsFFTInitTwiddleTab_64fc(int k, const double *S, int m, Ipp64fc *W);
Ipp64fc *ownsFFTInitBlockedTab_64fc(int k, const double *S, int m, Ipp64fc *W);
void ownsFFTInitRealFwdTab_64f(int m, const double *S, Ipp64fc *T);
void ownsFFTInitRealInvTab_64f(int m, const double *S, Ipp64fc *T);
// Byte sizes of the large-order block and the work area for complex order k above the
// radix limit.
void ownsFFTGetSizeLarge(int k, std::int64_t *blockSize, std::int64_t *workSize);
// Fills the large-order block and stores the record's twiddle, blocked and level tables
// and its work size.
void ownsFFTInitLarge_64fc(FFTSpec_64 *spec, int k, const double *S, int m, Ipp64fc *block);
// The tables of complex order k (>= 3) of the generic variant into the record, from the
// sine table of order m; every block it takes is attached to the record at once.
// Returns 0 or -9.
int ownsFFTInitComplex_64fc(FFTSpec_64 *spec, int k, const double *S, int m);

// ---- Complex inner routines -----------------------------------------------------------

// p·w for the forward direction, p·conj(w) for the inverse: the inverse passes read the
// forward tables.
template <bool Inv> inline Ipp64fc ownsFFTMulTw(Ipp64fc p, Ipp64fc w) {
  if (Inv)
    return {p.re * w.re + p.im * w.im, p.im * w.re - p.re * w.im};
  return {p.re * w.re - p.im * w.im, p.re * w.im + p.im * w.re};
}

// dst[rev(j)] = src[j] over n = log2 N bits; table: FFTBitRevTable of order n.
void ownsBitRev_64fc(const Ipp64fc *src, Ipp64fc *dst, std::int64_t N, const std::int32_t *table);
void ownsBitRev_64fc_I(Ipp64fc *x, std::int64_t N, const std::int32_t *table);
// Bit-reversed input of N = 4 ... 1024 values to its unscaled transform in natural order;
// tw: FFTTwiddleTable of order log2 N.
void ownsFFTRadix4_64fc(Ipp64fc *x, std::int64_t N, const Ipp64fc *tw);
void ownsFFTRadix4Inv_64fc(Ipp64fc *x, std::int64_t N, const Ipp64fc *tw);
void ownsFFTScale_64f(double factor, double *x, std::int64_t count);

// The radix passes of one direction.
template <bool Inv>
inline void ownsFFTRadix4Dir_64fc(Ipp64fc *x, std::int64_t N, const Ipp64fc *tw) {
  if (Inv)
    ownsFFTRadix4Inv_64fc(x, N, tw);
  else
    ownsFFTRadix4_64fc(x, N, tw);
}

// A leaf transform: the radix passes of one direction, then the record's scale factor
// when that direction's flag is set, so that every value is scaled exactly once.
template <bool Inv>
inline void ownsFFTRadix4Leaf_64fc(const FFTSpec_64 *spec, Ipp64fc *x, std::int64_t N,
                                   const Ipp64fc *tw) {
  ownsFFTRadix4Dir_64fc<Inv>(x, N, tw);
  if (Inv ? spec->invScaleFlag : spec->fwdScaleFlag)
    ownsFFTScale_64f(spec->scaleFactor, &x->re, 2 * N);
}

// Bit-reversed input of 2^order values (order above the radix limit) to its transform in
// natural order, scaled when the direction's flag is set. work: the 16-aligned work area,
// null when the record's work size is 0.
void ownsFFTLarge_64fc(const FFTSpec_64 *spec, Ipp64fc *data, int order, Ipp64fc *work);
void ownsFFTLargeInv_64fc(const FFTSpec_64 *spec, Ipp64fc *data, int order, Ipp64fc *work);
// One level of the split scheme (level 0 to 2) over 2^order values: the rows (leaves,
// deeper levels or the blocked scheme), then the columns four at a time.
void ownsFFTLargeStep_64fc(const FFTSpec_64 *spec, Ipp64fc *data, int order, int level,
                           Ipp64fc *work);
void ownsFFTLargeStepInv_64fc(const FFTSpec_64 *spec, Ipp64fc *data, int order, int level,
                              Ipp64fc *work);
// The blocked scheme for 2^10 or 2^11 values: 512-point leaves joined by the combine
// passes, which turn total/start transforms of start points lying one after the other into
// one transform of total points (table[j] = W_total^j, j < total/4).
void ownsFFTBlocked_64fc(const FFTSpec_64 *spec, Ipp64fc *data, std::int64_t count);
void ownsFFTBlockedInv_64fc(const FFTSpec_64 *spec, Ipp64fc *data, std::int64_t count);
void ownsFFTBlockedPass_64fc(Ipp64fc *data, std::int64_t total, std::int64_t start,
                             const Ipp64fc *table);
void ownsFFTBlockedPassInv_64fc(Ipp64fc *data, std::int64_t total, std::int64_t start,
                                const Ipp64fc *table);

// ---- Real recombination ---------------------------------------------------------------

// data: the M values of the half-length forward transform; becomes the Perm spectrum
// except slots 0 and 1, which the caller fills.
void ownsFFTRealRecomb_64f(Ipp64fc *data, std::int64_t M, const Ipp64fc *table);
// src: a Perm spectrum; dst (may be src) receives twice the half-length spectrum,
// element 0 untouched.
void ownsFFTRealRecombInv_64f(const Ipp64fc *src, Ipp64fc *dst, std::int64_t M,
                              const Ipp64fc *table);

// ---- Small-order kernels (orders 0 to 3) ----------------------------------------------

using FFTKernel = void (*)(const double *src, double *dst);
using FFTKernelScale = void (*)(const double *src, double *dst, double factor);

// Entries 0 to 3: unscaled kernels of orders 0 to 3; entries 4 to 7: the scaled ones.
struct FFTSmallKernelTable {
  FFTKernel unscaled[4];
  FFTKernelScale scaled[4];
};

void ownsFFTCopy_64fc(const double *src, double *dst);
void ownsFFTCopyScale_64fc(const double *src, double *dst, double s);
void ownsFFT2_64fc(const double *src, double *dst);
void ownsFFT2Scale_64fc(const double *src, double *dst, double s);
void ownsFFTFwd4_64fc(const double *src, double *dst);
void ownsFFTInv4_64fc(const double *src, double *dst);
void ownsFFTFwd4Scale_64fc(const double *src, double *dst, double s);
void ownsFFTInv4Scale_64fc(const double *src, double *dst, double s);
void ownsFFTFwd8_64fc(const double *src, double *dst);
void ownsFFTInv8_64fc(const double *src, double *dst);
void ownsFFTFwd8Scale_64fc(const double *src, double *dst, double s);
void ownsFFTInv8Scale_64fc(const double *src, double *dst, double s);

void ownsFFTCopy_64f(const double *src, double *dst);
void ownsFFTCopyScale_64f(const double *src, double *dst, double s);
void ownsFFT2_64f(const double *src, double *dst);
void ownsFFT2Scale_64f(const double *src, double *dst, double s);
void ownsFFTFwd4_64f(const double *src, double *dst);
void ownsFFTInv4_64f(const double *src, double *dst);
void ownsFFTFwd4Scale_64f(const double *src, double *dst, double s);
void ownsFFTInv4Scale_64f(const double *src, double *dst, double s);
void ownsFFTFwd8_64f(const double *src, double *dst);
void ownsFFTInv8_64f(const double *src, double *dst);
void ownsFFTFwd8Scale_64f(const double *src, double *dst, double s);
void ownsFFTInv8Scale_64f(const double *src, double *dst, double s);

// Twins of the complex kernels on separate real and imaginary arrays.
void ownsFFTCopy_64fc_Split(const double *sRe, const double *sIm, double *dRe, double *dIm);
void ownsFFTCopyScale_64fc_Split(const double *sRe, const double *sIm, double *dRe, double *dIm,
                                 double s);
void ownsFFT2_64fc_Split(const double *sRe, const double *sIm, double *dRe, double *dIm);
void ownsFFT2Scale_64fc_Split(const double *sRe, const double *sIm, double *dRe, double *dIm,
                              double s);
void ownsFFTFwd4_64fc_Split(const double *sRe, const double *sIm, double *dRe, double *dIm);
void ownsFFTInv4_64fc_Split(const double *sRe, const double *sIm, double *dRe, double *dIm);
void ownsFFTFwd4Scale_64fc_Split(const double *sRe, const double *sIm, double *dRe, double *dIm,
                                 double s);
void ownsFFTInv4Scale_64fc_Split(const double *sRe, const double *sIm, double *dRe, double *dIm,
                                 double s);
void ownsFFTFwd8_64fc_Split(const double *sRe, const double *sIm, double *dRe, double *dIm);
void ownsFFTInv8_64fc_Split(const double *sRe, const double *sIm, double *dRe, double *dIm);
void ownsFFTFwd8Scale_64fc_Split(const double *sRe, const double *sIm, double *dRe, double *dIm,
                                 double s);
void ownsFFTInv8Scale_64fc_Split(const double *sRe, const double *sIm, double *dRe, double *dIm,
                                 double s);

// ---- SSE2 and SSE3 engine (paired layout) ------------------------------------------

// Plain reversal table: entry i = 2·rev(i) over k - 2 bits for i < n/4, entry n/4 = 0.
std::int32_t *ownsFFTInitBitRevTab_Sse2(int k, std::int32_t *T);
// Twiddles of the radix-4 passes of lengths 2^j, j = 4 or 5, ..., k: per index pair and
// power l = 1, 2, 3 one block (cos, cos, -sin, -sin). Returns W + 2^k.
Ipp64fc *ownsFFTInitTwiddleTab_64fc_Sse2(int k, const double *S, int m, Ipp64fc *W);
// Recombination tables in blocks of two indices j, j + 1 for j = 1, 3, ..., N/4 - 1.
void ownsFFTInitRealFwdTab_64f_Sse2(int m, const double *S, Ipp64fc *T);
void ownsFFTInitRealInvTab_64f_Sse2(int m, const double *S, Ipp64fc *T);
// Byte sizes of the large-order block and the work area of complex order k above the
// radix limit of the SSE2 (13) and the SSE3 (14) engine.
void ownsFFTGetSizeLarge_Sse2(int k, std::int64_t *blockSize, std::int64_t *workSize);
void ownsFFTGetSizeLarge_Sse3(int k, std::int64_t *blockSize, std::int64_t *workSize);
// Natural-order input of N = 8 ... 2^14 values to its unscaled transform, the bit
// reversal folded into the first pass; work: N values, used when src == dst.
template <bool Inv>
void ownsFFTBitRevRadix4Dir_64fc_Sse2(const Ipp64fc *src, Ipp64fc *dst, std::int64_t N,
                                      const Ipp64fc *tw, const std::int32_t *rev, Ipp64fc *work);
void ownsFFTBitRevRadix4_64fc_Sse2(const Ipp64fc *src, Ipp64fc *dst, std::int64_t N,
                                   const Ipp64fc *tw, const std::int32_t *rev, Ipp64fc *work);
void ownsFFTBitRevRadix4Inv_64fc_Sse2(const Ipp64fc *src, Ipp64fc *dst, std::int64_t N,
                                      const Ipp64fc *tw, const std::int32_t *rev, Ipp64fc *work);
// Bit reversal of N >= 8 values with the plain table, out of place and in place.
void ownsBitRev_64fc_Sse2(const Ipp64fc *src, Ipp64fc *dst, std::int64_t N,
                          const std::int32_t *rev);
void ownsBitRev_64fc_I_Sse2(Ipp64fc *x, std::int64_t N, const std::int32_t *rev);
void ownsFFTScale_64f_Sse2(double factor, double *x, std::int64_t count);
// The tables of complex order k (>= 3) of the SSE2 (radix limit 13) and SSE3 (14)
// engines; 0 or -9 as ownsFFTInitComplex_64fc. Above the radix limit the large-order
// block (sized by ownsFFTGetSizeLarge_Sse2/_Sse3) is filled level by level: the leaf's
// twiddles, then each level's column table in chunk order; the record's work size is set.
int ownsFFTInitComplex_64fc_Sse2(FFTSpec_64 *spec, int k, const double *S, int m);
int ownsFFTInitComplex_64fc_Sse3(FFTSpec_64 *spec, int k, const double *S, int m);
void ownsFFTInitLarge_64fc_Sse2(FFTSpec_64 *spec, int k, const double *S, int m, Ipp64fc *block);
void ownsFFTInitLarge_64fc_Sse3(FFTSpec_64 *spec, int k, const double *S, int m, Ipp64fc *block);
// Bit-reversed input of 2^order values above the radix limit to its transform in natural
// order, scaled when the direction's flag is set; work: the record's work area.
void ownsFFTLarge_64fc_Sse2(const FFTSpec_64 *spec, Ipp64fc *data, int order, Ipp64fc *work);
void ownsFFTLargeInv_64fc_Sse2(const FFTSpec_64 *spec, Ipp64fc *data, int order, Ipp64fc *work);
void ownsFFTLarge_64fc_Sse3(const FFTSpec_64 *spec, Ipp64fc *data, int order, Ipp64fc *work);
void ownsFFTLargeInv_64fc_Sse3(const FFTSpec_64 *spec, Ipp64fc *data, int order, Ipp64fc *work);
// One level of the column-chunk scheme at the given depth (0: the top level, which
// leaves interleaved values; deeper levels leave the paired layout).
void ownsFFTLargeSplit_64fc_Sse2(const FFTSpec_64 *spec, double *data, int order, int depth,
                                 double *work);
void ownsFFTLargeSplitInv_64fc_Sse2(const FFTSpec_64 *spec, double *data, int order, int depth,
                                    double *work);
void ownsFFTLargeSplit_64fc_Sse3(const FFTSpec_64 *spec, double *data, int order, int depth,
                                 double *work);
void ownsFFTLargeSplitInv_64fc_Sse3(const FFTSpec_64 *spec, double *data, int order, int depth,
                                    double *work);
// Bit-reversed input of N = 2^k values (8 <= N, k up to the radix limit) to its unscaled
// transform in the paired layout, in place; tw: the paired twiddle table of order k.
void ownsFFTRadix4_64fc_Sse2(double *x, std::int64_t N, int k, const double *tw);
void ownsFFTRadix4Inv_64fc_Sse2(double *x, std::int64_t N, int k, const double *tw);
// A leaf row of C = 2^r values (bit-reversed input) to its transform in the paired layout,
// scaled when the direction's flag is set.
void ownsFFTLeaf_64fc_Sse2(const FFTSpec_64 *spec, double *row, std::int64_t C, int r);
void ownsFFTLeafInv_64fc_Sse2(const FFTSpec_64 *spec, double *row, std::int64_t C, int r);
// A column chunk: R rows of b paired values, row length C, copied into the work area and
// back (interleaved at the top level, paired below).
void ownsFFTGatherCols_64fc_Sse2(const double *data, double *work, std::int64_t C, std::int64_t R,
                                 std::int64_t b);
void ownsFFTScatterCols_64fc_Sse2(const double *work, double *data, std::int64_t C, std::int64_t R,
                                  std::int64_t b, bool interleave);
// The column passes over a chunk of R rows of b values in the work area: radix-4 with the
// quarter distance D rows, and the radix-2 pass of an odd split; each returns the twiddles
// after those it read.
template <bool Inv>
const double *ownsFFTColRadix4_64fc_Sse2(double *w, std::int64_t b, std::int64_t R, std::int64_t D,
                                         const double *tw);
template <bool Inv>
const double *ownsFFTColRadix2_64fc_Sse2(double *w, std::int64_t b, std::int64_t R,
                                         const double *tw);
// The sine table of the paired engines is the generic one.
inline constexpr auto &ownsFFTInitSinTab_64f_Sse2 = ownsFFTInitSinTab_64f;
// The recombinations two indices per step over the paired tables.
void ownsFFTRealRecomb_64f_Sse2(Ipp64fc *data, std::int64_t M, const Ipp64fc *table);
void ownsFFTRealRecombInv_64f_Sse2(const Ipp64fc *src, Ipp64fc *dst, std::int64_t M,
                                   const Ipp64fc *table);

// ---- SSE variant --------------------------------------------------------------------

// The SSE variant's routines are the generic bodies: its arithmetic is double precision
// throughout, so its tables and results equal the generic ones bit for bit. Its record
// hooks and the audio unit's SSE member reach them under these names.
inline constexpr auto &ownsFFTInitSinTab_64f_Sse = ownsFFTInitSinTab_64f;
inline constexpr auto &ownsFFTInitBitRevTab_Sse = ownsFFTInitBitRevTab;
inline constexpr auto &ownsFFTInitTwiddleTab_64fc_Sse = ownsFFTInitTwiddleTab_64fc;
inline constexpr auto &ownsFFTInitBlockedTab_64fc_Sse = ownsFFTInitBlockedTab_64fc;
inline constexpr auto &ownsFFTInitRealFwdTab_64f_Sse = ownsFFTInitRealFwdTab_64f;
inline constexpr auto &ownsFFTInitRealInvTab_64f_Sse = ownsFFTInitRealInvTab_64f;
inline constexpr auto &ownsFFTGetSizeLarge_Sse = ownsFFTGetSizeLarge;
inline constexpr auto &ownsFFTInitLarge_64fc_Sse = ownsFFTInitLarge_64fc;
inline constexpr auto &ownsFFTInitComplex_64fc_Sse = ownsFFTInitComplex_64fc;
inline constexpr auto &ownsBitRev_64fc_Sse = ownsBitRev_64fc;
inline constexpr auto &ownsBitRev_64fc_I_Sse = ownsBitRev_64fc_I;
inline constexpr auto &ownsFFTRadix4_64fc_Sse = ownsFFTRadix4_64fc;
inline constexpr auto &ownsFFTRadix4Inv_64fc_Sse = ownsFFTRadix4Inv_64fc;
inline constexpr auto &ownsFFTScale_64f_Sse = ownsFFTScale_64f;
inline constexpr auto &ownsFFTLarge_64fc_Sse = ownsFFTLarge_64fc;
inline constexpr auto &ownsFFTLargeInv_64fc_Sse = ownsFFTLargeInv_64fc;
inline constexpr auto &ownsFFTLargeStep_64fc_Sse = ownsFFTLargeStep_64fc;
inline constexpr auto &ownsFFTLargeStepInv_64fc_Sse = ownsFFTLargeStepInv_64fc;
inline constexpr auto &ownsFFTBlocked_64fc_Sse = ownsFFTBlocked_64fc;
inline constexpr auto &ownsFFTBlockedInv_64fc_Sse = ownsFFTBlockedInv_64fc;
inline constexpr auto &ownsFFTBlockedPass_64fc_Sse = ownsFFTBlockedPass_64fc;
inline constexpr auto &ownsFFTBlockedPassInv_64fc_Sse = ownsFFTBlockedPassInv_64fc;
inline constexpr auto &ownsFFTRealRecomb_64f_Sse = ownsFFTRealRecomb_64f;
inline constexpr auto &ownsFFTRealRecombInv_64f_Sse = ownsFFTRealRecombInv_64f;

// ---- Variants -------------------------------------------------------------------------

// What distinguishes one processor variant of the engine: its radix limit, table
// layouts, passes and kernel tables. The entry operations (checks, work buffer, scaling
// choice, Perm and Pack moves, release) are shared and take the variant as an argument;
// a record must be read by the variant that built it.
struct TFFTVariant {
  // The tag stored in every record this variant builds.
  std::int32_t member;
  // Kernel tables of the six entry operations (Pack shares the Perm tables).
  const FFTSmallKernelTable *complexFwd;
  const FFTSmallKernelTable *complexInv;
  const FFTSmallKernelTable *realFwd;
  const FFTSmallKernelTable *realInv;
  // Builds the tables of complex order k (>= 3) into the record from the sine table of
  // order m and sets its work size; attaches every block it allocates to the record
  // at once, so that a release frees them. Returns 0 or -9.
  int (*initComplex)(FFTSpec_64 *spec, int k, const double *S, int m);
  // Builds the two recombination tables of real order m (>= 4); 0 or -9 as above.
  int (*initReal)(FFTSpec_64 *spec, int m, const double *S);
  // Transform of 2^k values (k >= 3) from src into dst (src may be dst), including
  // the bit reversal and the direction's scaling.
  void (*transformFwd)(const FFTSpec_64 *spec, const Ipp64fc *src, Ipp64fc *dst, int k,
                       Ipp64fc *work);
  void (*transformInv)(const FFTSpec_64 *spec, const Ipp64fc *src, Ipp64fc *dst, int k,
                       Ipp64fc *work);
  void (*recombFwd)(Ipp64fc *data, std::int64_t M, const Ipp64fc *table);
  void (*recombInv)(const Ipp64fc *src, Ipp64fc *dst, std::int64_t M, const Ipp64fc *table);
  // Largest single block the tables of complex order k (>= 3) need, in bytes; the set-up
  // refuses an order whose blocks cannot be had before it builds anything.
  std::int64_t (*largestBlock)(int k);
};

extern const TFFTVariant kFFTGenericVariant;
extern const TFFTVariant kFFTSseVariant;
// One engine, two radix limits: complex order 13 (SSE2) and 14 (SSE3).
extern const TFFTVariant kFFTSse2Variant;
extern const TFFTVariant kFFTSse3Variant;

// Shared entry operations, parametrised by the variant.
int specInitAlloc(const TFFTVariant &v, FFTSpec_64 **ppSpec, int order, int flag, int hint,
                  std::int32_t id);
int specGetBufSize(const FFTSpec_64 *pSpec, int *pSize, std::int32_t id);
int specFree(FFTSpec_64 *pSpec, std::int32_t id);
int transformComplex(const TFFTVariant &v, bool inverse, const Ipp64fc *pSrc, Ipp64fc *pDst,
                     const FFTSpec_64 *pSpec, std::uint8_t *pBuffer);
int transformRealFwd(const TFFTVariant &v, bool pack, const double *pSrc, double *pDst,
                     const FFTSpec_64 *pSpec, std::uint8_t *pBuffer);
int transformRealInv(const TFFTVariant &v, bool pack, const double *pSrc, double *pDst,
                     const FFTSpec_64 *pSpec, std::uint8_t *pBuffer);

// Clears the record's id and, when it owns them, frees its tables and the record.
void ownsFFTFreeSpec_R_64f(FFTSpec_64 *spec);

} // namespace kernels::fft_real
