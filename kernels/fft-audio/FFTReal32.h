// Single-precision real transform of the audio unit: set-up, work-buffer size, forward
// transform into the Perm layout and release. No dispatch slot holds them; callers name
// the member they want.
//
// Perm layout of N = 2^order values: X0, X(N/2), Re X1, Im X1, ..., Re X(N/2-1),
// Im X(N/2-1); N = 1 gives X0, N = 2 gives X0, X1. X(j) = s * sum x(t) e^(-2πi·tj/N), s the
// record's scale when its forward flag is set, else 1.
//
// Statuses: 0; -8 null pointer; -9 no memory; -15 order outside 0 to 30; -16 flag other
// than 1, 2, 4, 8 (tested after the record was taken, which is then released); -17 a
// record that is not a live single-precision record of this member. Nothing is written
// on a failure and *ppSpec is only written on success.
#pragma once

#include <cstdint>

#include "kernels/common/IppTypes.h"

namespace kernels::fft_audio {

// A complex value of element type T, real part first; complex arrays are interleaved.
template <class T> struct TComplex {
  T re;
  T im;
};
using Ipp32fc = TComplex<float>;

// Record of one single-precision real transform, fields in their fixed order.
struct FFTSpec_R_32f {
  std::int32_t id;           // 6 while valid, 0 after release
  std::int32_t order;        // 0 to 30
  std::int32_t fwdScaleFlag; // flags 1 and 4
  std::int32_t invScaleFlag; // flags 2 and 4 (recorded only)
  float scale;               // 1/N, 1/sqrt(N); 0 under flag 8
  std::int32_t hint;         // stored, never read
  std::int32_t workSize;     // bytes of work area a forward transform needs
  std::int32_t allocated;    // 1: the release frees the tables and the record
  std::int32_t *bitRevTable; // FFTBitRevTable of complex order order - 1
  Ipp32fc *twiddleTable;     // FFTTwiddleTable, or the whole large-order block
  Ipp32fc *blockedTable;     // FFTBlockedTwiddleTable inside the large-order block
  Ipp32fc *blockedTable2;    // never set
  Ipp32fc *recombFwdTable;
  Ipp32fc *recombInvTable;
  Ipp32fc *levelTwiddle[3]; // inside the large-order block, level 0 = top level
  Ipp32fc *levelColumn[3];
  // The member that built the record: the members lay out their tables differently, so a
  // forward transform of another member refuses the record with -17.
  std::int32_t member;
};

inline constexpr std::int32_t kFFTSpecIdReal32 = 6;

// Generic member.
IppOpStatus ippsFFTInitAlloc_R_32f(FFTSpec_R_32f **ppSpec, int order, int flag, int hint);
// The record's work size + 16 (a caller's buffer is used from its first 16-byte boundary),
// or 0 when no work area is needed; pSize is tested first.
IppOpStatus ippsFFTGetBufSize_R_32f(const FFTSpec_R_32f *pSpec, int *pSize);
// pBuffer may be null: the transform then takes its own work area for the call when the
// record needs one. pSrc may equal pDst.
IppOpStatus ippsFFTFwd_RToPerm_32f(const float *pSrc, float *pDst, const FFTSpec_R_32f *pSpec,
                                   std::uint8_t *pBuffer);
IppOpStatus ippsFFTFree_R_32f(FFTSpec_R_32f *pSpec);

// Processor members (packed single precision): the same arguments, checks, statuses and
// spectrum to float rounding. Each lays out its own tables and needs a work area from
// order 4 on; a record is read only by the forward transform of the member that built it
// (another member's forward transform returns -17). GetBufSize and Free take any member's
// record.
#define FFT_REAL32_MEMBER(SUFFIX)                                                                  \
  IppOpStatus ippsFFTInitAlloc_R_32f##SUFFIX(FFTSpec_R_32f **ppSpec, int order, int flag,          \
                                             int hint);                                            \
  IppOpStatus ippsFFTGetBufSize_R_32f##SUFFIX(const FFTSpec_R_32f *pSpec, int *pSize);             \
  IppOpStatus ippsFFTFwd_RToPerm_32f##SUFFIX(const float *pSrc, float *pDst,                       \
                                             const FFTSpec_R_32f *pSpec, std::uint8_t *pBuffer);   \
  IppOpStatus ippsFFTFree_R_32f##SUFFIX(FFTSpec_R_32f *pSpec);
FFT_REAL32_MEMBER(_Sse)
FFT_REAL32_MEMBER(_Sse2)
FFT_REAL32_MEMBER(_Sse3)
#undef FFT_REAL32_MEMBER

} // namespace kernels::fft_audio
