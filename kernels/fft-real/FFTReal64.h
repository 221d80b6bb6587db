// Double-precision fast Fourier transforms of the signal dispatcher unit: complex
// transforms and real transforms in the Perm and Pack spectrum layouts.
//
// A transform runs on a specification record built once for one order (N = 2^order,
// order 0 to 30) and one scaling flag. Set-up either returns a complete record or
// releases everything it took and leaves the caller's pointer unchanged. A finished
// record is only read, so any number of threads may transform with one record at once,
// each with its own destination and work buffer; the release must not overlap a
// transform. Every operation returns a status (0, or a negative error) and never throws;
// a failed call writes nothing.
//
// Forward transforms use e^(-2πi·jk/N), inverse transforms e^(+2πi·jk/N); a transform
// multiplies by the record's scale factor only in the direction its flag selects.
// Every transform accepts pDst == pSrc; partly overlapping arrays are not supported.
#pragma once

#include <cstdint>

#include "kernels/common/IppTypes.h"

// Fields shared by the complex and the real record, in their fixed order.
struct FFTSpec_64 {
  std::int32_t id;
  std::int32_t order;        // the order m given to the set-up
  std::int32_t fwdScaleFlag; // 0 or 1
  std::int32_t invScaleFlag; // 0 or 1
  double scaleFactor;        // 1/N or 1/sqrt(N); 0.0 under flag 8
  std::int32_t hint;         // stored, never read
  std::int32_t workSize;     // bytes of work area a transform needs; 0 for none
  std::int32_t owned;        // 1: the release frees the tables and the record
  std::int32_t *bitRevTable; // FFTBitRevTable of the complex order; null for m <= 3
  Ipp64fc *twiddleTable;     // FFTTwiddleTable, or the whole large-order block
  Ipp64fc *blockedTable;     // inside the large-order block (blocked scheme)
  Ipp64fc *blockedTable2;    // never set
  Ipp64fc *recombFwdTable;   // real records of order 4 or more
  Ipp64fc *recombInvTable;
  Ipp64fc *levelTwiddle[3]; // inside the large-order block, level 0 = top level
  Ipp64fc *levelColumn[3];
  // The processor member that built the record (kernels::fft_real::kFFTMember*). The members lay
  // out their tables differently, so a transform refuses a record of another member.
  std::int32_t member;
};

// The records complete the opaque declarations of the dispatch types; the audio unit's
// transforms run on the same real record.
struct FFTSpec_C_64fc : FFTSpec_64 {};
struct FFTSpec_R_64f : FFTSpec_64 {};

namespace kernels::fft_real {

// Scaling flags of the set-up.
enum : int {
  kFFTDivFwdByN = 1,  // forward scaled by 1/N
  kFFTDivInvByN = 2,  // inverse scaled by 1/N
  kFFTDivBySqrtN = 4, // both scaled by 1/sqrt(N)
  kFFTNoDivByAny = 8, // no scaling
};

// Record identifiers: 7 complex, 9 real, 0 after release.
enum : std::int32_t { kFFTSpecIdComplex = 7, kFFTSpecIdReal = 9 };

// Member tags. A transform given a record of another member returns -17, as for a record
// of the wrong kind: the generic and SSE records hold the interleaved tables, the SSE2
// and SSE3 records the paired ones with other radix limits, and reading one as the other
// would run off the tables' ends. Size queries and releases accept any member's record,
// since they read only the fields every member fills the same way; this keeps a release
// through a slot that latched another member from leaking.
enum : std::int32_t {
  kFFTMemberGeneric = 1,
  kFFTMemberSse = 2,
  kFFTMemberSse2 = 3,
  kFFTMemberSse3 = 4,
};

// Set-up, size query and release (generic variant).
IppOpStatus ippsFFTInitAlloc_C_64fc(FFTSpec_C_64fc **ppSpec, int order, int flag, int hint);
IppOpStatus ippsFFTInitAlloc_R_64f(FFTSpec_R_64f **ppSpec, int order, int flag, int hint);
// Work-buffer size in bytes: the record's work size + 16 (a caller's buffer is used from
// its first 16-byte boundary), or 0 when no work area is needed.
IppOpStatus ippsFFTGetBufSize_C_64fc(const FFTSpec_C_64fc *pSpec, int *pSize);
IppOpStatus ippsFFTGetBufSize_R_64f(const FFTSpec_R_64f *pSpec, int *pSize);
IppOpStatus ippsFFTFree_C_64fc(FFTSpec_C_64fc *pSpec);
IppOpStatus ippsFFTFree_R_64f(FFTSpec_R_64f *pSpec);

// Complex transforms of N values. pBuffer may be null: the transform then takes its own
// work area for the call when the record needs one.
IppOpStatus ippsFFTFwd_CToC_64fc(const Ipp64fc *pSrc, Ipp64fc *pDst, const FFTSpec_C_64fc *pSpec,
                                 std::uint8_t *pBuffer);
IppOpStatus ippsFFTInv_CToC_64fc(const Ipp64fc *pSrc, Ipp64fc *pDst, const FFTSpec_C_64fc *pSpec,
                                 std::uint8_t *pBuffer);

// Real transforms of N doubles. Perm: R0, R(N/2), Re1, Im1, ...; Pack: R0, Re1, Im1, ...,
// R(N/2). The inverses treat the spectrum as conjugate-symmetric.
IppOpStatus ippsFFTFwd_RToPerm_64f(const double *pSrc, double *pDst, const FFTSpec_R_64f *pSpec,
                                   std::uint8_t *pBuffer);
IppOpStatus ippsFFTInv_PermToR_64f(const double *pSrc, double *pDst, const FFTSpec_R_64f *pSpec,
                                   std::uint8_t *pBuffer);
IppOpStatus ippsFFTFwd_RToPack_64f(const double *pSrc, double *pDst, const FFTSpec_R_64f *pSpec,
                                   std::uint8_t *pBuffer);
IppOpStatus ippsFFTInv_PackToR_64f(const double *pSrc, double *pDst, const FFTSpec_R_64f *pSpec,
                                   std::uint8_t *pBuffer);

// The Sse variant: the same operations, checks and statuses as the generic
// variant, computed by the same scalar double code, so its results equal the generic ones
// bit for bit; its records are tagged as its own.
IppOpStatus ippsFFTInitAlloc_C_64fc_Sse(FFTSpec_C_64fc **ppSpec, int order, int flag, int hint);
IppOpStatus ippsFFTInitAlloc_R_64f_Sse(FFTSpec_R_64f **ppSpec, int order, int flag, int hint);
IppOpStatus ippsFFTGetBufSize_C_64fc_Sse(const FFTSpec_C_64fc *pSpec, int *pSize);
IppOpStatus ippsFFTGetBufSize_R_64f_Sse(const FFTSpec_R_64f *pSpec, int *pSize);
IppOpStatus ippsFFTFree_C_64fc_Sse(FFTSpec_C_64fc *pSpec);
IppOpStatus ippsFFTFree_R_64f_Sse(FFTSpec_R_64f *pSpec);
IppOpStatus ippsFFTFwd_CToC_64fc_Sse(const Ipp64fc *pSrc, Ipp64fc *pDst,
                                     const FFTSpec_C_64fc *pSpec, std::uint8_t *pBuffer);
IppOpStatus ippsFFTInv_CToC_64fc_Sse(const Ipp64fc *pSrc, Ipp64fc *pDst,
                                     const FFTSpec_C_64fc *pSpec, std::uint8_t *pBuffer);
IppOpStatus ippsFFTFwd_RToPerm_64f_Sse(const double *pSrc, double *pDst, const FFTSpec_R_64f *pSpec,
                                       std::uint8_t *pBuffer);
IppOpStatus ippsFFTInv_PermToR_64f_Sse(const double *pSrc, double *pDst, const FFTSpec_R_64f *pSpec,
                                       std::uint8_t *pBuffer);
IppOpStatus ippsFFTFwd_RToPack_64f_Sse(const double *pSrc, double *pDst, const FFTSpec_R_64f *pSpec,
                                       std::uint8_t *pBuffer);
IppOpStatus ippsFFTInv_PackToR_64f_Sse(const double *pSrc, double *pDst, const FFTSpec_R_64f *pSpec,
                                       std::uint8_t *pBuffer);

// The Sse2 variant: the same operations, checks and statuses; packed-double SSE2
// passes on the paired layout, radix passes up to complex order 13 with the bit reversal
// folded into the first pass, a column-chunk large-order path above. Results agree with the
// generic ones to rounding.
IppOpStatus ippsFFTInitAlloc_C_64fc_Sse2(FFTSpec_C_64fc **ppSpec, int order, int flag, int hint);
IppOpStatus ippsFFTInitAlloc_R_64f_Sse2(FFTSpec_R_64f **ppSpec, int order, int flag, int hint);
IppOpStatus ippsFFTGetBufSize_C_64fc_Sse2(const FFTSpec_C_64fc *pSpec, int *pSize);
IppOpStatus ippsFFTGetBufSize_R_64f_Sse2(const FFTSpec_R_64f *pSpec, int *pSize);
IppOpStatus ippsFFTFree_C_64fc_Sse2(FFTSpec_C_64fc *pSpec);
IppOpStatus ippsFFTFree_R_64f_Sse2(FFTSpec_R_64f *pSpec);
IppOpStatus ippsFFTFwd_CToC_64fc_Sse2(const Ipp64fc *pSrc, Ipp64fc *pDst,
                                      const FFTSpec_C_64fc *pSpec, std::uint8_t *pBuffer);
IppOpStatus ippsFFTInv_CToC_64fc_Sse2(const Ipp64fc *pSrc, Ipp64fc *pDst,
                                      const FFTSpec_C_64fc *pSpec, std::uint8_t *pBuffer);
IppOpStatus ippsFFTFwd_RToPerm_64f_Sse2(const double *pSrc, double *pDst,
                                        const FFTSpec_R_64f *pSpec, std::uint8_t *pBuffer);
IppOpStatus ippsFFTInv_PermToR_64f_Sse2(const double *pSrc, double *pDst,
                                        const FFTSpec_R_64f *pSpec, std::uint8_t *pBuffer);
IppOpStatus ippsFFTFwd_RToPack_64f_Sse2(const double *pSrc, double *pDst,
                                        const FFTSpec_R_64f *pSpec, std::uint8_t *pBuffer);
IppOpStatus ippsFFTInv_PackToR_64f_Sse2(const double *pSrc, double *pDst,
                                        const FFTSpec_R_64f *pSpec, std::uint8_t *pBuffer);

} // namespace kernels::fft_real
