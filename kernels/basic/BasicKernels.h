// Processor-class variants of the basic vector operations.
//
// Each namespace holds the variants one processor class selects: sse3 (codes 16-17),
// sse2 (codes 6-9) and sse (code 5). A variant takes exactly the arguments of the
// operation's generic variant, makes the same checks in the same order, returns the
// same statuses and writes the same bytes. Where two classes run the same code, the
// function is declared once and both entries name it.
//
// The dispatch (framework/dispatch) wires these into its slots; nothing here includes
// the dispatch.
#pragma once

#include <cstdint>

#include "kernels/common/IppTypes.h"
#include "platform/cpu/Cpuid.h"

namespace kernels::basic {

// Second- or third-level cache size in bytes (CPUID leaf 2, see CacheDescriptorTable),
// divided by the cores sharing it when divideByCores; -1 when the processor is not
// Intel's, leaf 2 needs more than one query or no descriptor is known.
std::int64_t CacheSizePerCore(const cpu::ICpuidReader &reader, bool divideByCores) noexcept;

// The reader the fill and copy blocks consult; nullptr returns to the hardware. The
// sizes found are kept, so this also forgets them. Tests only; not while kernels run.
void SetCpuidReaderForTesting(const cpu::ICpuidReader *reader) noexcept;

// Counts of block-routine choices, for tests of the size thresholds.
struct BlockCounters {
  std::uint64_t nonTemporal = 0; // calls that used non-temporal stores
};
BlockCounters ReadBlockCounters() noexcept;

// Codes 6-9; codes 16-17 share every routine here but the copies.
namespace sse2 {
IppOpStatus ippsSet_8u(unsigned char val, unsigned char *pDst, int len);
IppOpStatus ippsSet_32s(int val, int *pDst, int len);
IppOpStatus ippsSet_64f(double val, double *pDst, int len);
IppOpStatus ippsSet_64fc(Ipp64fc val, Ipp64fc *pDst, int len);
IppOpStatus ippsZero_8u(unsigned char *pDst, int len);
IppOpStatus ippsZero_16s(short *pDst, int len);
IppOpStatus ippsZero_32s(int *pDst, int len);
IppOpStatus ippsZero_64f(double *pDst, int len);
IppOpStatus ippsZero_64fc(Ipp64fc *pDst, int len);
IppOpStatus ippsCopy_8u(const unsigned char *pSrc, unsigned char *pDst, int len);
IppOpStatus ippsCopy_64f(const double *pSrc, double *pDst, int len);
IppOpStatus ippsMove_64f(const double *pSrc, double *pDst, int len);

// Conversions; codes 16-17 and the code-5 SSE loop run these too. pDst of
// ippsConvert_64f32f may equal pSrc.
IppOpStatus ippsConvert_32f64f(const float *pSrc, double *pDst, int len);
IppOpStatus ippsConvert_32s64f(const int *pSrc, double *pDst, int len);
IppOpStatus ippsConvert_64f32f(const double *pSrc, float *pDst, int len);
IppOpStatus ippsConvert_64f32s_Sfs(const double *pSrc, int *pDst, int len, IppRoundMode rndMode,
                                   int scaleFactor);
IppOpStatus ippsConvert_32f32s_Sfs(const float *pSrc, int *pDst, int len, IppRoundMode rndMode,
                                   int scaleFactor);
// Real constant arithmetic, codes 16-17 and 6-9.
IppOpStatus ippsAddC_64f(const double *pSrc, double val, double *pDst, int len);
IppOpStatus ippsSubC_64f(const double *pSrc, double val, double *pDst, int len);
IppOpStatus ippsSubCRev_64f(const double *pSrc, double val, double *pDst, int len);
IppOpStatus ippsMulC_64f(const double *pSrc, double val, double *pDst, int len);
IppOpStatus ippsDivC_64f(const double *pSrc, double val, double *pDst, int len);
IppOpStatus ippsAddC_64f_I(double val, double *pSrcDst, int len);
IppOpStatus ippsSubC_64f_I(double val, double *pSrcDst, int len);
IppOpStatus ippsMulC_64f_I(double val, double *pSrcDst, int len);
IppOpStatus ippsDivC_64f_I(double val, double *pSrcDst, int len);
// Element-wise arithmetic of two vectors, codes 16-17 and 6-9.
IppOpStatus ippsAdd_64f(const double *pSrc1, const double *pSrc2, double *pDst, int len);
IppOpStatus ippsAdd_64f_I(const double *pSrc, double *pSrcDst, int len);
IppOpStatus ippsSub_64f_I(const double *pSrc, double *pSrcDst, int len);
IppOpStatus ippsMul_64f_I(const double *pSrc, double *pSrcDst, int len);
IppOpStatus ippsDiv_64f_I(const double *pSrc, double *pSrcDst, int len);
IppOpStatus ippsAdd_64fc(const Ipp64fc *pSrc1, const Ipp64fc *pSrc2, Ipp64fc *pDst, int len);
IppOpStatus ippsAdd_64fc_I(const Ipp64fc *pSrc, Ipp64fc *pSrcDst, int len);
IppOpStatus ippsSub_64fc_I(const Ipp64fc *pSrc, Ipp64fc *pSrcDst, int len);
IppOpStatus ippsMul_64fc_I(const Ipp64fc *pSrc, Ipp64fc *pSrcDst, int len);
IppOpStatus ippsDiv_64fc_I(const Ipp64fc *pSrc, Ipp64fc *pSrcDst, int len);
// Complex constant arithmetic, codes 16-17 and 6-9 (the product alone: code 6 only).
IppOpStatus ippsAddC_64fc(const Ipp64fc *pSrc, Ipp64fc val, Ipp64fc *pDst, int len);
IppOpStatus ippsSubC_64fc(const Ipp64fc *pSrc, Ipp64fc val, Ipp64fc *pDst, int len);
IppOpStatus ippsSubCRev_64fc(const Ipp64fc *pSrc, Ipp64fc val, Ipp64fc *pDst, int len);
IppOpStatus ippsMulC_64fc(const Ipp64fc *pSrc, Ipp64fc val, Ipp64fc *pDst, int len);
IppOpStatus ippsDivC_64fc(const Ipp64fc *pSrc, Ipp64fc val, Ipp64fc *pDst, int len);
// Bitwise operations and shifts with a constant, every class (code 5 too).
IppOpStatus ippsAndC_32u(const unsigned *pSrc, unsigned val, unsigned *pDst, int len);
IppOpStatus ippsOrC_32u(const unsigned *pSrc, unsigned val, unsigned *pDst, int len);
IppOpStatus ippsXorC_32u(const unsigned *pSrc, unsigned val, unsigned *pDst, int len);
IppOpStatus ippsLShiftC_32s(const int *pSrc, int val, int *pDst, int len);
IppOpStatus ippsRShiftC_32s(const int *pSrc, int val, int *pDst, int len);
// Scaled integer arithmetic, codes 16-17 and 6-9 (the 8-bit forms code 5 too).
IppOpStatus ippsAddC_32s_Sfs(const int *pSrc, int val, int *pDst, int len, int scaleFactor);
IppOpStatus ippsSubC_32s_Sfs(const int *pSrc, int val, int *pDst, int len, int scaleFactor);
IppOpStatus ippsSubCRev_32s_Sfs(const int *pSrc, int val, int *pDst, int len, int scaleFactor);
IppOpStatus ippsMulC_32s_Sfs(const int *pSrc, int val, int *pDst, int len, int scaleFactor);
IppOpStatus ippsAdd_32s_ISfs(const int *pSrc, int *pSrcDst, int len, int scaleFactor);
IppOpStatus ippsSub_32s_ISfs(const int *pSrc, int *pSrcDst, int len, int scaleFactor);
IppOpStatus ippsMul_32s_ISfs(const int *pSrc, int *pSrcDst, int len, int scaleFactor);
// pSrcDst holds the dividends: pSrcDst[i] * 2^-scaleFactor / pSrc[i], exact.
IppOpStatus ippsDiv_32s_ISfs(const int *pSrc, int *pSrcDst, int len, int scaleFactor);
IppOpStatus ippsAdd_8u_ISfs(const unsigned char *pSrc, unsigned char *pSrcDst, int len,
                            int scaleFactor);
IppOpStatus ippsSub_8u_ISfs(const unsigned char *pSrc, unsigned char *pSrcDst, int len,
                            int scaleFactor);
IppOpStatus ippsMul_8u_ISfs(const unsigned char *pSrc, unsigned char *pSrcDst, int len,
                            int scaleFactor);
// Windows (Bartlett out of place and Hann and Hamming: codes 6-9 only).
IppOpStatus ippsWinBartlett_64f_I(double *pSrcDst, int len);
IppOpStatus ippsWinBartlett_64f(const double *pSrc, double *pDst, int len);
IppOpStatus ippsWinHann_64f_I(double *pSrcDst, int len);
IppOpStatus ippsWinHann_64f(const double *pSrc, double *pDst, int len);
IppOpStatus ippsWinHamming_64f_I(double *pSrcDst, int len);
IppOpStatus ippsWinHamming_64f(const double *pSrc, double *pDst, int len);
IppOpStatus ippsWinBlackman_64f_I(double *pSrcDst, int len, double alpha);
IppOpStatus ippsWinBlackman_64f(const double *pSrc, double *pDst, int len, double alpha);
IppOpStatus ippsWinKaiser_64f_I(double *pSrcDst, int len, float alpha);
IppOpStatus ippsWinKaiser_64f(const double *pSrc, double *pDst, int len, float alpha);
// Mirror of a three-byte-pixel region in place, every class (code 5 too).
IppOpStatus ippiMirror_8u_C3IR(unsigned char *pSrcDst, int srcDstStep, tagSIZE roi, int flip);
// Extremes (code 5 too) and the packed sum.
IppOpStatus ippsMax_64f(const double *pSrc, int len, double *pMax);
IppOpStatus ippsMin_64f(const double *pSrc, int len, double *pMin);
IppOpStatus ippsSum_64f(const double *pSrc, int len, double *pSum);
// The scope unit's forms, whose destination is a reference to its first element.
namespace scope {
IppOpStatus ippiSet_8u_C4R(const unsigned char *value, unsigned char *pDst, int dstStep,
                           tagSIZE roi);
IppOpStatus ippsMove_8u(const unsigned char *pSrc, unsigned char *pDst, int len);
IppOpStatus ippsMulC_64f(const double *pSrc, double val, double &dst, int len);
IppOpStatus ippsAddC_32s_ISfs(int val, int &srcDst, int len, int scaleFactor);
IppOpStatus ippsSubCRev_32s_ISfs(int val, int &srcDst, int len, int scaleFactor);
IppOpStatus ippsConvert_64f32f(const double *pSrc, float &dst, int len);
IppOpStatus ippsConvert_64f32s_Sfs(const double *pSrc, int &dst, int len, IppRoundMode rndMode,
                                   int scaleFactor);
IppOpStatus ippsConvert_32f32s_Sfs(const float *pSrc, int &dst, int len, IppRoundMode rndMode,
                                   int scaleFactor);
} // namespace scope
} // namespace sse2

// Codes 16-17: these differ from codes 6-9 only in when they bypass the cache (most at
// twice the codes 6-9 length; the in-place complex product only here).
namespace sse3 {
IppOpStatus ippsCopy_8u(const unsigned char *pSrc, unsigned char *pDst, int len);
IppOpStatus ippsCopy_64f(const double *pSrc, double *pDst, int len);
IppOpStatus ippsSubC_64f(const double *pSrc, double val, double *pDst, int len);
IppOpStatus ippsSubCRev_64f(const double *pSrc, double val, double *pDst, int len);
IppOpStatus ippsAddC_64f_I(double val, double *pSrcDst, int len);
IppOpStatus ippsSubC_64f_I(double val, double *pSrcDst, int len);
IppOpStatus ippsMulC_64f_I(double val, double *pSrcDst, int len);
IppOpStatus ippsDivC_64f_I(double val, double *pSrcDst, int len);
IppOpStatus ippsAddC_64fc(const Ipp64fc *pSrc, Ipp64fc val, Ipp64fc *pDst, int len);
IppOpStatus ippsSubC_64fc(const Ipp64fc *pSrc, Ipp64fc val, Ipp64fc *pDst, int len);
IppOpStatus ippsSubCRev_64fc(const Ipp64fc *pSrc, Ipp64fc val, Ipp64fc *pDst, int len);
// The division's product streams at the codes 16-17 length (no slot holds that product).
IppOpStatus ippsDivC_64fc(const Ipp64fc *pSrc, Ipp64fc val, Ipp64fc *pDst, int len);
IppOpStatus ippsAdd_64f(const double *pSrc1, const double *pSrc2, double *pDst, int len);
IppOpStatus ippsAdd_64fc(const Ipp64fc *pSrc1, const Ipp64fc *pSrc2, Ipp64fc *pDst, int len);
IppOpStatus ippsMul_64fc_I(const Ipp64fc *pSrc, Ipp64fc *pSrcDst, int len);
} // namespace sse3

// Code 5: fixed non-temporal thresholds, and the platform move.
namespace sse {
IppOpStatus ippsSet_8u(unsigned char val, unsigned char *pDst, int len);
IppOpStatus ippsSet_32s(int val, int *pDst, int len);
IppOpStatus ippsSet_64f(double val, double *pDst, int len);
IppOpStatus ippsSet_64fc(Ipp64fc val, Ipp64fc *pDst, int len);
IppOpStatus ippsZero_8u(unsigned char *pDst, int len);
IppOpStatus ippsZero_16s(short *pDst, int len);
IppOpStatus ippsZero_32s(int *pDst, int len);
IppOpStatus ippsZero_64f(double *pDst, int len);
IppOpStatus ippsZero_64fc(Ipp64fc *pDst, int len);
IppOpStatus ippsCopy_8u(const unsigned char *pSrc, unsigned char *pDst, int len);
IppOpStatus ippsCopy_64f(const double *pSrc, double *pDst, int len);
IppOpStatus ippsMove_64f(const double *pSrc, double *pDst, int len);
// The scope unit's region fill, and its move through the platform's memmove.
namespace scope {
IppOpStatus ippiSet_8u_C4R(const unsigned char *value, unsigned char *pDst, int dstStep,
                           tagSIZE roi);
IppOpStatus ippsMove_8u(const unsigned char *pSrc, unsigned char *pDst, int len);
} // namespace scope
} // namespace sse

// The entries of each processor class, by the names the wiring table gives them: each
// names the body above that serves its class (codes 16-17 share the codes 6-9 body except
// where sse3 has its own; code 5 runs the 16-byte register body unless sse has one).
// Classes that run the generic code by design have no entry.
inline constexpr auto ippsSet_8u_Sse3 = &sse2::ippsSet_8u;
inline constexpr auto ippsSet_8u_Sse2 = &sse2::ippsSet_8u;
inline constexpr auto ippsSet_8u_Sse = &sse::ippsSet_8u;
inline constexpr auto ippsSet_32s_Sse3 = &sse2::ippsSet_32s;
inline constexpr auto ippsSet_32s_Sse2 = &sse2::ippsSet_32s;
inline constexpr auto ippsSet_32s_Sse = &sse::ippsSet_32s;
inline constexpr auto ippsSet_64f_Sse3 = &sse2::ippsSet_64f;
inline constexpr auto ippsSet_64f_Sse2 = &sse2::ippsSet_64f;
inline constexpr auto ippsSet_64f_Sse = &sse::ippsSet_64f;
inline constexpr auto ippsSet_64fc_Sse3 = &sse2::ippsSet_64fc;
inline constexpr auto ippsSet_64fc_Sse2 = &sse2::ippsSet_64fc;
inline constexpr auto ippsSet_64fc_Sse = &sse::ippsSet_64fc;
inline constexpr auto ippsZero_8u_Sse3 = &sse2::ippsZero_8u;
inline constexpr auto ippsZero_8u_Sse2 = &sse2::ippsZero_8u;
inline constexpr auto ippsZero_8u_Sse = &sse::ippsZero_8u;
inline constexpr auto ippsZero_16s_Sse3 = &sse2::ippsZero_16s;
inline constexpr auto ippsZero_16s_Sse2 = &sse2::ippsZero_16s;
inline constexpr auto ippsZero_16s_Sse = &sse::ippsZero_16s;
inline constexpr auto ippsZero_32s_Sse3 = &sse2::ippsZero_32s;
inline constexpr auto ippsZero_32s_Sse2 = &sse2::ippsZero_32s;
inline constexpr auto ippsZero_32s_Sse = &sse::ippsZero_32s;
inline constexpr auto ippsZero_64f_Sse3 = &sse2::ippsZero_64f;
inline constexpr auto ippsZero_64f_Sse2 = &sse2::ippsZero_64f;
inline constexpr auto ippsZero_64f_Sse = &sse::ippsZero_64f;
inline constexpr auto ippsZero_64fc_Sse3 = &sse2::ippsZero_64fc;
inline constexpr auto ippsZero_64fc_Sse2 = &sse2::ippsZero_64fc;
inline constexpr auto ippsZero_64fc_Sse = &sse::ippsZero_64fc;
inline constexpr auto ippsCopy_8u_Sse3 = &sse3::ippsCopy_8u;
inline constexpr auto ippsCopy_8u_Sse2 = &sse2::ippsCopy_8u;
inline constexpr auto ippsCopy_8u_Sse = &sse::ippsCopy_8u;
inline constexpr auto ippsCopy_64f_Sse3 = &sse3::ippsCopy_64f;
inline constexpr auto ippsCopy_64f_Sse2 = &sse2::ippsCopy_64f;
inline constexpr auto ippsCopy_64f_Sse = &sse::ippsCopy_64f;
inline constexpr auto ippsMove_64f_Sse3 = &sse2::ippsMove_64f;
inline constexpr auto ippsMove_64f_Sse2 = &sse2::ippsMove_64f;
inline constexpr auto ippsMove_64f_Sse = &sse::ippsMove_64f;
inline constexpr auto ippsConvert_32f64f_Sse3 = &sse2::ippsConvert_32f64f;
inline constexpr auto ippsConvert_32f64f_Sse2 = &sse2::ippsConvert_32f64f;
inline constexpr auto ippsConvert_32s64f_Sse3 = &sse2::ippsConvert_32s64f;
inline constexpr auto ippsConvert_32s64f_Sse2 = &sse2::ippsConvert_32s64f;
inline constexpr auto ippsConvert_64f32f_Sse3 = &sse2::ippsConvert_64f32f;
inline constexpr auto ippsConvert_64f32f_Sse2 = &sse2::ippsConvert_64f32f;
inline constexpr auto ippsConvert_64f32s_Sfs_Sse3 = &sse2::ippsConvert_64f32s_Sfs;
inline constexpr auto ippsConvert_64f32s_Sfs_Sse2 = &sse2::ippsConvert_64f32s_Sfs;
inline constexpr auto ippsAddC_64f_Sse3 = &sse2::ippsAddC_64f;
inline constexpr auto ippsAddC_64f_Sse2 = &sse2::ippsAddC_64f;
inline constexpr auto ippsSubC_64f_Sse3 = &sse3::ippsSubC_64f;
inline constexpr auto ippsSubC_64f_Sse2 = &sse2::ippsSubC_64f;
inline constexpr auto ippsSubCRev_64f_Sse3 = &sse3::ippsSubCRev_64f;
inline constexpr auto ippsSubCRev_64f_Sse2 = &sse2::ippsSubCRev_64f;
inline constexpr auto ippsMulC_64f_Sse3 = &sse2::ippsMulC_64f;
inline constexpr auto ippsMulC_64f_Sse2 = &sse2::ippsMulC_64f;
inline constexpr auto ippsDivC_64f_Sse3 = &sse2::ippsDivC_64f;
inline constexpr auto ippsDivC_64f_Sse2 = &sse2::ippsDivC_64f;
inline constexpr auto ippsAddC_64f_I_Sse3 = &sse3::ippsAddC_64f_I;
inline constexpr auto ippsAddC_64f_I_Sse2 = &sse2::ippsAddC_64f_I;
inline constexpr auto ippsSubC_64f_I_Sse3 = &sse3::ippsSubC_64f_I;
inline constexpr auto ippsSubC_64f_I_Sse2 = &sse2::ippsSubC_64f_I;
inline constexpr auto ippsMulC_64f_I_Sse3 = &sse3::ippsMulC_64f_I;
inline constexpr auto ippsMulC_64f_I_Sse2 = &sse2::ippsMulC_64f_I;
inline constexpr auto ippsDivC_64f_I_Sse3 = &sse3::ippsDivC_64f_I;
inline constexpr auto ippsDivC_64f_I_Sse2 = &sse2::ippsDivC_64f_I;
inline constexpr auto ippsAdd_64f_Sse3 = &sse3::ippsAdd_64f;
inline constexpr auto ippsAdd_64f_Sse2 = &sse2::ippsAdd_64f;
inline constexpr auto ippsAdd_64f_I_Sse3 = &sse2::ippsAdd_64f_I;
inline constexpr auto ippsAdd_64f_I_Sse2 = &sse2::ippsAdd_64f_I;
inline constexpr auto ippsSub_64f_I_Sse3 = &sse2::ippsSub_64f_I;
inline constexpr auto ippsSub_64f_I_Sse2 = &sse2::ippsSub_64f_I;
inline constexpr auto ippsMul_64f_I_Sse3 = &sse2::ippsMul_64f_I;
inline constexpr auto ippsMul_64f_I_Sse2 = &sse2::ippsMul_64f_I;
inline constexpr auto ippsMul_64fc_I_Sse3 = &sse3::ippsMul_64fc_I;
inline constexpr auto ippsMul_64fc_I_Sse2 = &sse2::ippsMul_64fc_I;
inline constexpr auto ippsDiv_64f_I_Sse3 = &sse2::ippsDiv_64f_I;
inline constexpr auto ippsDiv_64f_I_Sse2 = &sse2::ippsDiv_64f_I;
inline constexpr auto ippsDiv_64fc_I_Sse3 = &sse2::ippsDiv_64fc_I;
inline constexpr auto ippsDiv_64fc_I_Sse2 = &sse2::ippsDiv_64fc_I;
inline constexpr auto ippsAdd_64fc_Sse3 = &sse3::ippsAdd_64fc;
inline constexpr auto ippsAdd_64fc_Sse2 = &sse2::ippsAdd_64fc;
inline constexpr auto ippsAdd_64fc_I_Sse3 = &sse2::ippsAdd_64fc_I;
inline constexpr auto ippsAdd_64fc_I_Sse2 = &sse2::ippsAdd_64fc_I;
inline constexpr auto ippsSub_64fc_I_Sse3 = &sse2::ippsSub_64fc_I;
inline constexpr auto ippsSub_64fc_I_Sse2 = &sse2::ippsSub_64fc_I;
inline constexpr auto ippsAddC_64fc_Sse3 = &sse3::ippsAddC_64fc;
inline constexpr auto ippsAddC_64fc_Sse2 = &sse2::ippsAddC_64fc;
inline constexpr auto ippsSubC_64fc_Sse3 = &sse3::ippsSubC_64fc;
inline constexpr auto ippsSubC_64fc_Sse2 = &sse2::ippsSubC_64fc;
inline constexpr auto ippsSubCRev_64fc_Sse3 = &sse3::ippsSubCRev_64fc;
inline constexpr auto ippsSubCRev_64fc_Sse2 = &sse2::ippsSubCRev_64fc;
inline constexpr auto ippsDivC_64fc_Sse3 = &sse3::ippsDivC_64fc;
inline constexpr auto ippsDivC_64fc_Sse2 = &sse2::ippsDivC_64fc;
inline constexpr auto ippsMulC_64fc_Sse2 = &sse2::ippsMulC_64fc;
inline constexpr auto ippsMax_64f_Sse3 = &sse2::ippsMax_64f;
inline constexpr auto ippsMax_64f_Sse2 = &sse2::ippsMax_64f;
inline constexpr auto ippsMax_64f_Sse = &sse2::ippsMax_64f;
inline constexpr auto ippsMin_64f_Sse3 = &sse2::ippsMin_64f;
inline constexpr auto ippsMin_64f_Sse2 = &sse2::ippsMin_64f;
inline constexpr auto ippsMin_64f_Sse = &sse2::ippsMin_64f;
inline constexpr auto ippsSum_64f_Sse3 = &sse2::ippsSum_64f;
inline constexpr auto ippsSum_64f_Sse2 = &sse2::ippsSum_64f;
inline constexpr auto ippsAndC_32u_Sse3 = &sse2::ippsAndC_32u;
inline constexpr auto ippsAndC_32u_Sse2 = &sse2::ippsAndC_32u;
inline constexpr auto ippsAndC_32u_Sse = &sse2::ippsAndC_32u;
inline constexpr auto ippsOrC_32u_Sse3 = &sse2::ippsOrC_32u;
inline constexpr auto ippsOrC_32u_Sse2 = &sse2::ippsOrC_32u;
inline constexpr auto ippsOrC_32u_Sse = &sse2::ippsOrC_32u;
inline constexpr auto ippsXorC_32u_Sse3 = &sse2::ippsXorC_32u;
inline constexpr auto ippsXorC_32u_Sse2 = &sse2::ippsXorC_32u;
inline constexpr auto ippsXorC_32u_Sse = &sse2::ippsXorC_32u;
inline constexpr auto ippsLShiftC_32s_Sse3 = &sse2::ippsLShiftC_32s;
inline constexpr auto ippsLShiftC_32s_Sse2 = &sse2::ippsLShiftC_32s;
inline constexpr auto ippsLShiftC_32s_Sse = &sse2::ippsLShiftC_32s;
inline constexpr auto ippsRShiftC_32s_Sse3 = &sse2::ippsRShiftC_32s;
inline constexpr auto ippsRShiftC_32s_Sse2 = &sse2::ippsRShiftC_32s;
inline constexpr auto ippsRShiftC_32s_Sse = &sse2::ippsRShiftC_32s;
inline constexpr auto ippsAddC_32s_Sfs_Sse3 = &sse2::ippsAddC_32s_Sfs;
inline constexpr auto ippsAddC_32s_Sfs_Sse2 = &sse2::ippsAddC_32s_Sfs;
inline constexpr auto ippsSubC_32s_Sfs_Sse3 = &sse2::ippsSubC_32s_Sfs;
inline constexpr auto ippsSubC_32s_Sfs_Sse2 = &sse2::ippsSubC_32s_Sfs;
inline constexpr auto ippsSubCRev_32s_Sfs_Sse3 = &sse2::ippsSubCRev_32s_Sfs;
inline constexpr auto ippsSubCRev_32s_Sfs_Sse2 = &sse2::ippsSubCRev_32s_Sfs;
inline constexpr auto ippsMulC_32s_Sfs_Sse3 = &sse2::ippsMulC_32s_Sfs;
inline constexpr auto ippsMulC_32s_Sfs_Sse2 = &sse2::ippsMulC_32s_Sfs;
inline constexpr auto ippsAdd_32s_ISfs_Sse3 = &sse2::ippsAdd_32s_ISfs;
inline constexpr auto ippsAdd_32s_ISfs_Sse2 = &sse2::ippsAdd_32s_ISfs;
inline constexpr auto ippsSub_32s_ISfs_Sse3 = &sse2::ippsSub_32s_ISfs;
inline constexpr auto ippsSub_32s_ISfs_Sse2 = &sse2::ippsSub_32s_ISfs;
inline constexpr auto ippsMul_32s_ISfs_Sse3 = &sse2::ippsMul_32s_ISfs;
inline constexpr auto ippsMul_32s_ISfs_Sse2 = &sse2::ippsMul_32s_ISfs;
inline constexpr auto ippsDiv_32s_ISfs_Sse3 = &sse2::ippsDiv_32s_ISfs;
inline constexpr auto ippsDiv_32s_ISfs_Sse2 = &sse2::ippsDiv_32s_ISfs;
inline constexpr auto ippsAdd_8u_ISfs_Sse3 = &sse2::ippsAdd_8u_ISfs;
inline constexpr auto ippsAdd_8u_ISfs_Sse2 = &sse2::ippsAdd_8u_ISfs;
inline constexpr auto ippsAdd_8u_ISfs_Sse = &sse2::ippsAdd_8u_ISfs;
inline constexpr auto ippsSub_8u_ISfs_Sse3 = &sse2::ippsSub_8u_ISfs;
inline constexpr auto ippsSub_8u_ISfs_Sse2 = &sse2::ippsSub_8u_ISfs;
inline constexpr auto ippsSub_8u_ISfs_Sse = &sse2::ippsSub_8u_ISfs;
inline constexpr auto ippsMul_8u_ISfs_Sse3 = &sse2::ippsMul_8u_ISfs;
inline constexpr auto ippsMul_8u_ISfs_Sse2 = &sse2::ippsMul_8u_ISfs;
inline constexpr auto ippsMul_8u_ISfs_Sse = &sse2::ippsMul_8u_ISfs;
inline constexpr auto ippsWinBartlett_64f_I_Sse3 = &sse2::ippsWinBartlett_64f_I;
inline constexpr auto ippsWinBartlett_64f_I_Sse2 = &sse2::ippsWinBartlett_64f_I;
inline constexpr auto ippsWinBartlett_64f_Sse2 = &sse2::ippsWinBartlett_64f;
inline constexpr auto ippsWinHann_64f_I_Sse2 = &sse2::ippsWinHann_64f_I;
inline constexpr auto ippsWinHann_64f_Sse2 = &sse2::ippsWinHann_64f;
inline constexpr auto ippsWinHamming_64f_I_Sse2 = &sse2::ippsWinHamming_64f_I;
inline constexpr auto ippsWinHamming_64f_Sse2 = &sse2::ippsWinHamming_64f;
inline constexpr auto ippsWinBlackman_64f_I_Sse3 = &sse2::ippsWinBlackman_64f_I;
inline constexpr auto ippsWinBlackman_64f_I_Sse2 = &sse2::ippsWinBlackman_64f_I;
inline constexpr auto ippsWinBlackman_64f_Sse3 = &sse2::ippsWinBlackman_64f;
inline constexpr auto ippsWinBlackman_64f_Sse2 = &sse2::ippsWinBlackman_64f;
inline constexpr auto ippsWinKaiser_64f_I_Sse3 = &sse2::ippsWinKaiser_64f_I;
inline constexpr auto ippsWinKaiser_64f_I_Sse2 = &sse2::ippsWinKaiser_64f_I;
inline constexpr auto ippsWinKaiser_64f_Sse3 = &sse2::ippsWinKaiser_64f;
inline constexpr auto ippsWinKaiser_64f_Sse2 = &sse2::ippsWinKaiser_64f;
inline constexpr auto ippiMirror_8u_C3IR_Sse3 = &sse2::ippiMirror_8u_C3IR;
inline constexpr auto ippiMirror_8u_C3IR_Sse2 = &sse2::ippiMirror_8u_C3IR;
inline constexpr auto ippiMirror_8u_C3IR_Sse = &sse2::ippiMirror_8u_C3IR;

// The scope unit's entries, named the same way.
namespace scope {
inline constexpr auto ippsConvert_64f32f_Sse3 = &sse2::scope::ippsConvert_64f32f;
inline constexpr auto ippsConvert_64f32s_Sfs_Sse3 = &sse2::scope::ippsConvert_64f32s_Sfs;
inline constexpr auto ippsConvert_64f32s_Sfs_Sse2 = &sse2::scope::ippsConvert_64f32s_Sfs;
inline constexpr auto ippsConvert_32f32s_Sfs_Sse3 = &sse2::scope::ippsConvert_32f32s_Sfs;
inline constexpr auto ippsConvert_32f32s_Sfs_Sse2 = &sse2::scope::ippsConvert_32f32s_Sfs;
inline constexpr auto ippsConvert_32f32s_Sfs_Sse = &sse2::scope::ippsConvert_32f32s_Sfs;
inline constexpr auto ippiSet_8u_C4R_Sse3 = &sse2::scope::ippiSet_8u_C4R;
inline constexpr auto ippiSet_8u_C4R_Sse2 = &sse2::scope::ippiSet_8u_C4R;
inline constexpr auto ippiSet_8u_C4R_Sse = &sse::scope::ippiSet_8u_C4R;
inline constexpr auto ippsMove_8u_Sse3 = &sse2::scope::ippsMove_8u;
inline constexpr auto ippsMove_8u_Sse2 = &sse2::scope::ippsMove_8u;
inline constexpr auto ippsMove_8u_Sse = &sse::scope::ippsMove_8u;
inline constexpr auto ippsMulC_64f_Sse3 = &sse2::scope::ippsMulC_64f;
inline constexpr auto ippsMulC_64f_Sse2 = &sse2::scope::ippsMulC_64f;
inline constexpr auto ippsAddC_32s_ISfs_Sse3 = &sse2::scope::ippsAddC_32s_ISfs;
inline constexpr auto ippsSubCRev_32s_ISfs_Sse3 = &sse2::scope::ippsSubCRev_32s_ISfs;
} // namespace scope

} // namespace kernels::basic
