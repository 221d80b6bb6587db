// Processor-class variants of the audio sample operations: scaled 8- and 16-bit
// arithmetic on regions and vectors, divisions, fills, region copies and conversions
// between sample widths.
//
// Every class (codes 16-17, 6-9 and 5) runs the same 16-byte register code: the
// 8-byte register code of the oldest class would share the x87 stack with the
// extended-precision code, so it is not used. A variant takes exactly the arguments of
// the operation's generic variant, makes the same checks in the same order, returns the
// same statuses and stores the same bytes.
//
// The dispatch (framework/dispatch) wires these into its slots; nothing here includes
// the dispatch.
#pragma once

#include <cstdint>

#include "kernels/common/IppTypes.h"

namespace kernels::audio_sample::sse2 {

// Region add, subtract and multiply, in place, with a scale factor.
IppOpStatus ippiAdd_8u_C1IRSfs(const unsigned char *pSrc, int srcStep, unsigned char *pSrcDst,
                               int srcDstStep, tagSIZE roi, int scaleFactor);
IppOpStatus ippiSub_8u_C1IRSfs(const unsigned char *pSrc, int srcStep, unsigned char *pSrcDst,
                               int srcDstStep, tagSIZE roi, int scaleFactor);
IppOpStatus ippiMul_8u_C1IRSfs(const unsigned char *pSrc, int srcStep, unsigned char *pSrcDst,
                               int srcDstStep, tagSIZE roi, int scaleFactor);
IppOpStatus ippiAdd_16s_C1IRSfs(const short *pSrc, int srcStep, short *pSrcDst, int srcDstStep,
                                tagSIZE roi, int scaleFactor);
IppOpStatus ippiSub_16s_C1IRSfs(const short *pSrc, int srcStep, short *pSrcDst, int srcDstStep,
                                tagSIZE roi, int scaleFactor);
IppOpStatus ippiMul_16s_C1IRSfs(const short *pSrc, int srcStep, short *pSrcDst, int srcDstStep,
                                tagSIZE roi, int scaleFactor);

// Divisions: quotients exactly rounded (ties to even) and saturated.
IppOpStatus ippiDiv_8u_C1IRSfs(const unsigned char *pSrc, int srcStep, unsigned char *pSrcDst,
                               int srcDstStep, tagSIZE roi, int scaleFactor);
IppOpStatus ippiDiv_16s_C1IRSfs(const short *pSrc, int srcStep, short *pSrcDst, int srcDstStep,
                                tagSIZE roi, int scaleFactor);
IppOpStatus ippsDivC_16s_ISfs(short val, short *pSrcDst, int len, int scaleFactor);
IppOpStatus ippiDivC_8u_C1IRSfs(unsigned char val, unsigned char *pSrcDst, int srcDstStep,
                                tagSIZE roi, int scaleFactor);
IppOpStatus ippiDivC_16s_C1IRSfs(short val, short *pSrcDst, int srcDstStep, tagSIZE roi,
                                 int scaleFactor);

// Constant add, subtract and multiply, vectors and regions, in place.
IppOpStatus ippsAddC_8u_ISfs(unsigned char val, unsigned char *pSrcDst, int len, int scaleFactor);
IppOpStatus ippsSubC_8u_ISfs(unsigned char val, unsigned char *pSrcDst, int len, int scaleFactor);
IppOpStatus ippsMulC_8u_ISfs(unsigned char val, unsigned char *pSrcDst, int len, int scaleFactor);
IppOpStatus ippsAddC_16s_ISfs(short val, short *pSrcDst, int len, int scaleFactor);
IppOpStatus ippsSubC_16s_ISfs(short val, short *pSrcDst, int len, int scaleFactor);
IppOpStatus ippsMulC_16s_ISfs(short val, short *pSrcDst, int len, int scaleFactor);
IppOpStatus ippiAddC_8u_C1IRSfs(unsigned char val, unsigned char *pSrcDst, int srcDstStep,
                                tagSIZE roi, int scaleFactor);
IppOpStatus ippiSubC_8u_C1IRSfs(unsigned char val, unsigned char *pSrcDst, int srcDstStep,
                                tagSIZE roi, int scaleFactor);
IppOpStatus ippiMulC_8u_C1IRSfs(unsigned char val, unsigned char *pSrcDst, int srcDstStep,
                                tagSIZE roi, int scaleFactor);
IppOpStatus ippiAddC_16s_C1IRSfs(short val, short *pSrcDst, int srcDstStep, tagSIZE roi,
                                 int scaleFactor);
IppOpStatus ippiSubC_16s_C1IRSfs(short val, short *pSrcDst, int srcDstStep, tagSIZE roi,
                                 int scaleFactor);
IppOpStatus ippiMulC_16s_C1IRSfs(short val, short *pSrcDst, int srcDstStep, tagSIZE roi,
                                 int scaleFactor);

// Fills and region copies. Large fills go around the caches (thresholds in the code).
IppOpStatus ippsSet_16s(short val, short *pDst, int len);
IppOpStatus ippiSet_8u_C1R(unsigned char val, unsigned char *pDst, int dstStep, tagSIZE roi);
IppOpStatus ippiSet_16s_C1R(short val, short *pDst, int dstStep, tagSIZE roi);
IppOpStatus ippiSet_32s_C1R(int val, int *pDst, int dstStep, tagSIZE roi);
IppOpStatus ippiCopy_8u_C1R(const unsigned char *pSrc, int srcStep, unsigned char *pDst,
                            int dstStep, tagSIZE roi);
IppOpStatus ippiCopy_16s_C1R(const short *pSrc, int srcStep, short *pDst, int dstStep, tagSIZE roi);
IppOpStatus ippiCopy_32s_C1R(const int *pSrc, int srcStep, int *pDst, int dstStep, tagSIZE roi);

// Conversions and scalings between sample widths.
IppOpStatus ippsConvert_8s16s(const signed char *pSrc, short *pDst, int len);
IppOpStatus ippiConvert_8u16u_C1R(const unsigned char *pSrc, int srcStep, unsigned short *pDst,
                                  int dstStep, tagSIZE roi);
IppOpStatus ippiConvert_8u32f_C1R(const unsigned char *pSrc, int srcStep, float *pDst, int dstStep,
                                  tagSIZE roi);
IppOpStatus ippiScale_8u16s_C1R(const unsigned char *pSrc, int srcStep, short *pDst, int dstStep,
                                tagSIZE roi);
IppOpStatus ippiScale_8u32s_C1R(const unsigned char *pSrc, int srcStep, int *pDst, int dstStep,
                                tagSIZE roi);
IppOpStatus ippiScale_16s8u_C1R(const short *pSrc, int srcStep, unsigned char *pDst, int dstStep,
                                tagSIZE roi, int hint);
IppOpStatus ippiScale_32s8u_C1R(const int *pSrc, int srcStep, unsigned char *pDst, int dstStep,
                                tagSIZE roi, int hint);

} // namespace kernels::audio_sample::sse2

namespace kernels::audio_sample {

// Code 5's fills: the same bytes, non-temporal stores from other sizes.
namespace sse {
IppOpStatus ippsSet_16s(short val, short *pDst, int len);
IppOpStatus ippiSet_8u_C1R(unsigned char val, unsigned char *pDst, int dstStep, tagSIZE roi);
IppOpStatus ippiSet_16s_C1R(short val, short *pDst, int dstStep, tagSIZE roi);
IppOpStatus ippiSet_32s_C1R(int val, int *pDst, int dstStep, tagSIZE roi);
} // namespace sse

// Fills that went around the caches so far (every such run ends with a store fence).
std::uint64_t NonTemporalFills() noexcept;

// The entries of each processor class, by the names the wiring table gives them: each
// names the body above that serves its class (the 16-byte register code for every class,
// code 5's own fills). Classes whose scheme keeps the generic code have no entry, except
// the region fills' codes 16-17 copies, which the region arithmetic of those codes uses.
inline constexpr auto ippiAdd_16s_C1IRSfs_Sse3 = &sse2::ippiAdd_16s_C1IRSfs;
inline constexpr auto ippiAdd_16s_C1IRSfs_Sse2 = &sse2::ippiAdd_16s_C1IRSfs;
inline constexpr auto ippiAdd_16s_C1IRSfs_Sse = &sse2::ippiAdd_16s_C1IRSfs;
inline constexpr auto ippiAdd_8u_C1IRSfs_Sse3 = &sse2::ippiAdd_8u_C1IRSfs;
inline constexpr auto ippiAdd_8u_C1IRSfs_Sse2 = &sse2::ippiAdd_8u_C1IRSfs;
inline constexpr auto ippiAdd_8u_C1IRSfs_Sse = &sse2::ippiAdd_8u_C1IRSfs;
inline constexpr auto ippiAddC_16s_C1IRSfs_Sse2 = &sse2::ippiAddC_16s_C1IRSfs;
inline constexpr auto ippiAddC_16s_C1IRSfs_Sse = &sse2::ippiAddC_16s_C1IRSfs;
inline constexpr auto ippiAddC_8u_C1IRSfs_Sse2 = &sse2::ippiAddC_8u_C1IRSfs;
inline constexpr auto ippiAddC_8u_C1IRSfs_Sse = &sse2::ippiAddC_8u_C1IRSfs;
inline constexpr auto ippsAddC_16s_ISfs_Sse2 = &sse2::ippsAddC_16s_ISfs;
inline constexpr auto ippsAddC_16s_ISfs_Sse = &sse2::ippsAddC_16s_ISfs;
inline constexpr auto ippsAddC_8u_ISfs_Sse2 = &sse2::ippsAddC_8u_ISfs;
inline constexpr auto ippsAddC_8u_ISfs_Sse = &sse2::ippsAddC_8u_ISfs;
inline constexpr auto ippiConvert_8u16u_C1R_Sse3 = &sse2::ippiConvert_8u16u_C1R;
inline constexpr auto ippiConvert_8u16u_C1R_Sse2 = &sse2::ippiConvert_8u16u_C1R;
inline constexpr auto ippiConvert_8u16u_C1R_Sse = &sse2::ippiConvert_8u16u_C1R;
inline constexpr auto ippiConvert_8u32f_C1R_Sse3 = &sse2::ippiConvert_8u32f_C1R;
inline constexpr auto ippiConvert_8u32f_C1R_Sse2 = &sse2::ippiConvert_8u32f_C1R;
inline constexpr auto ippiConvert_8u32f_C1R_Sse = &sse2::ippiConvert_8u32f_C1R;
inline constexpr auto ippsConvert_8s16s_Sse3 = &sse2::ippsConvert_8s16s;
inline constexpr auto ippsConvert_8s16s_Sse2 = &sse2::ippsConvert_8s16s;
inline constexpr auto ippsConvert_8s16s_Sse = &sse2::ippsConvert_8s16s;
inline constexpr auto ippiCopy_16s_C1R_Sse3 = &sse2::ippiCopy_16s_C1R;
inline constexpr auto ippiCopy_16s_C1R_Sse2 = &sse2::ippiCopy_16s_C1R;
inline constexpr auto ippiCopy_16s_C1R_Sse = &sse2::ippiCopy_16s_C1R;
inline constexpr auto ippiCopy_32s_C1R_Sse3 = &sse2::ippiCopy_32s_C1R;
inline constexpr auto ippiCopy_32s_C1R_Sse2 = &sse2::ippiCopy_32s_C1R;
inline constexpr auto ippiCopy_32s_C1R_Sse = &sse2::ippiCopy_32s_C1R;
inline constexpr auto ippiCopy_8u_C1R_Sse3 = &sse2::ippiCopy_8u_C1R;
inline constexpr auto ippiCopy_8u_C1R_Sse2 = &sse2::ippiCopy_8u_C1R;
inline constexpr auto ippiCopy_8u_C1R_Sse = &sse2::ippiCopy_8u_C1R;
inline constexpr auto ippiDiv_16s_C1IRSfs_Sse3 = &sse2::ippiDiv_16s_C1IRSfs;
inline constexpr auto ippiDiv_16s_C1IRSfs_Sse2 = &sse2::ippiDiv_16s_C1IRSfs;
inline constexpr auto ippiDiv_16s_C1IRSfs_Sse = &sse2::ippiDiv_16s_C1IRSfs;
inline constexpr auto ippiDiv_8u_C1IRSfs_Sse3 = &sse2::ippiDiv_8u_C1IRSfs;
inline constexpr auto ippiDiv_8u_C1IRSfs_Sse2 = &sse2::ippiDiv_8u_C1IRSfs;
inline constexpr auto ippiDiv_8u_C1IRSfs_Sse = &sse2::ippiDiv_8u_C1IRSfs;
inline constexpr auto ippiDivC_16s_C1IRSfs_Sse2 = &sse2::ippiDivC_16s_C1IRSfs;
inline constexpr auto ippiDivC_16s_C1IRSfs_Sse = &sse2::ippiDivC_16s_C1IRSfs;
inline constexpr auto ippiDivC_8u_C1IRSfs_Sse2 = &sse2::ippiDivC_8u_C1IRSfs;
inline constexpr auto ippiDivC_8u_C1IRSfs_Sse = &sse2::ippiDivC_8u_C1IRSfs;
inline constexpr auto ippsDivC_16s_ISfs_Sse3 = &sse2::ippsDivC_16s_ISfs;
inline constexpr auto ippsDivC_16s_ISfs_Sse2 = &sse2::ippsDivC_16s_ISfs;
inline constexpr auto ippsDivC_16s_ISfs_Sse = &sse2::ippsDivC_16s_ISfs;
inline constexpr auto ippiMul_16s_C1IRSfs_Sse3 = &sse2::ippiMul_16s_C1IRSfs;
inline constexpr auto ippiMul_16s_C1IRSfs_Sse2 = &sse2::ippiMul_16s_C1IRSfs;
inline constexpr auto ippiMul_16s_C1IRSfs_Sse = &sse2::ippiMul_16s_C1IRSfs;
inline constexpr auto ippiMul_8u_C1IRSfs_Sse3 = &sse2::ippiMul_8u_C1IRSfs;
inline constexpr auto ippiMul_8u_C1IRSfs_Sse2 = &sse2::ippiMul_8u_C1IRSfs;
inline constexpr auto ippiMul_8u_C1IRSfs_Sse = &sse2::ippiMul_8u_C1IRSfs;
inline constexpr auto ippiMulC_16s_C1IRSfs_Sse2 = &sse2::ippiMulC_16s_C1IRSfs;
inline constexpr auto ippiMulC_16s_C1IRSfs_Sse = &sse2::ippiMulC_16s_C1IRSfs;
inline constexpr auto ippiMulC_8u_C1IRSfs_Sse2 = &sse2::ippiMulC_8u_C1IRSfs;
inline constexpr auto ippiMulC_8u_C1IRSfs_Sse = &sse2::ippiMulC_8u_C1IRSfs;
inline constexpr auto ippsMulC_16s_ISfs_Sse2 = &sse2::ippsMulC_16s_ISfs;
inline constexpr auto ippsMulC_16s_ISfs_Sse = &sse2::ippsMulC_16s_ISfs;
inline constexpr auto ippsMulC_8u_ISfs_Sse2 = &sse2::ippsMulC_8u_ISfs;
inline constexpr auto ippsMulC_8u_ISfs_Sse = &sse2::ippsMulC_8u_ISfs;
inline constexpr auto ippiScale_16s8u_C1R_Sse3 = &sse2::ippiScale_16s8u_C1R;
inline constexpr auto ippiScale_16s8u_C1R_Sse2 = &sse2::ippiScale_16s8u_C1R;
inline constexpr auto ippiScale_16s8u_C1R_Sse = &sse2::ippiScale_16s8u_C1R;
inline constexpr auto ippiScale_32s8u_C1R_Sse3 = &sse2::ippiScale_32s8u_C1R;
inline constexpr auto ippiScale_32s8u_C1R_Sse2 = &sse2::ippiScale_32s8u_C1R;
inline constexpr auto ippiScale_32s8u_C1R_Sse = &sse2::ippiScale_32s8u_C1R;
inline constexpr auto ippiScale_8u16s_C1R_Sse3 = &sse2::ippiScale_8u16s_C1R;
inline constexpr auto ippiScale_8u16s_C1R_Sse2 = &sse2::ippiScale_8u16s_C1R;
inline constexpr auto ippiScale_8u16s_C1R_Sse = &sse2::ippiScale_8u16s_C1R;
inline constexpr auto ippiScale_8u32s_C1R_Sse3 = &sse2::ippiScale_8u32s_C1R;
inline constexpr auto ippiScale_8u32s_C1R_Sse2 = &sse2::ippiScale_8u32s_C1R;
inline constexpr auto ippiScale_8u32s_C1R_Sse = &sse2::ippiScale_8u32s_C1R;
inline constexpr auto ippiSet_16s_C1R_Sse3 = &sse2::ippiSet_16s_C1R;
inline constexpr auto ippiSet_16s_C1R_Sse2 = &sse2::ippiSet_16s_C1R;
inline constexpr auto ippiSet_16s_C1R_Sse = &sse::ippiSet_16s_C1R;
inline constexpr auto ippiSet_32s_C1R_Sse2 = &sse2::ippiSet_32s_C1R;
inline constexpr auto ippiSet_32s_C1R_Sse = &sse::ippiSet_32s_C1R;
inline constexpr auto ippiSet_8u_C1R_Sse3 = &sse2::ippiSet_8u_C1R;
inline constexpr auto ippiSet_8u_C1R_Sse2 = &sse2::ippiSet_8u_C1R;
inline constexpr auto ippiSet_8u_C1R_Sse = &sse::ippiSet_8u_C1R;
inline constexpr auto ippsSet_16s_Sse3 = &sse2::ippsSet_16s;
inline constexpr auto ippsSet_16s_Sse2 = &sse2::ippsSet_16s;
inline constexpr auto ippsSet_16s_Sse = &sse::ippsSet_16s;
inline constexpr auto ippiSub_16s_C1IRSfs_Sse3 = &sse2::ippiSub_16s_C1IRSfs;
inline constexpr auto ippiSub_16s_C1IRSfs_Sse2 = &sse2::ippiSub_16s_C1IRSfs;
inline constexpr auto ippiSub_16s_C1IRSfs_Sse = &sse2::ippiSub_16s_C1IRSfs;
inline constexpr auto ippiSub_8u_C1IRSfs_Sse3 = &sse2::ippiSub_8u_C1IRSfs;
inline constexpr auto ippiSub_8u_C1IRSfs_Sse2 = &sse2::ippiSub_8u_C1IRSfs;
inline constexpr auto ippiSub_8u_C1IRSfs_Sse = &sse2::ippiSub_8u_C1IRSfs;
inline constexpr auto ippiSubC_16s_C1IRSfs_Sse2 = &sse2::ippiSubC_16s_C1IRSfs;
inline constexpr auto ippiSubC_16s_C1IRSfs_Sse = &sse2::ippiSubC_16s_C1IRSfs;
inline constexpr auto ippiSubC_8u_C1IRSfs_Sse2 = &sse2::ippiSubC_8u_C1IRSfs;
inline constexpr auto ippiSubC_8u_C1IRSfs_Sse = &sse2::ippiSubC_8u_C1IRSfs;
inline constexpr auto ippsSubC_16s_ISfs_Sse2 = &sse2::ippsSubC_16s_ISfs;
inline constexpr auto ippsSubC_16s_ISfs_Sse = &sse2::ippsSubC_16s_ISfs;
inline constexpr auto ippsSubC_8u_ISfs_Sse2 = &sse2::ippsSubC_8u_ISfs;
inline constexpr auto ippsSubC_8u_ISfs_Sse = &sse2::ippsSubC_8u_ISfs;

} // namespace kernels::audio_sample
