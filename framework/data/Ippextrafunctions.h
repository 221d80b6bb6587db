// Sample routines the vector-math catalogue lacks: packed 24-bit samples
// (three little-endian bytes, two's complement), "offset" 8-bit samples whose
// zero level is 127, and a few 32-bit integer and float routines the audio
// buffer, its width conversion and the meters need.
//
// They follow the catalogue's conventions: ipps routines work on a count of
// contiguous items, ippi routines on a region (tagSIZE) with byte steps. A
// region is walked as width x height items in one sequence, each pointer
// advancing by its step after every item; a non-positive width or height does
// nothing. Scale factors (names ending in Sfs) and hints are accepted and
// ignored. They return no status; they never throw and keep no state, so any
// thread may call them.
//
// 24-bit results are stored by the store rule (Convert32BitTo24Bit), which
// saturates to -8388608 ... 8388607; width scaling and float conversions
// saturate to the target's range; 8-bit offset arithmetic wraps modulo 256;
// 32-bit addition, subtraction and multiplication wrap. A zero divisor gives
// the zero level (127 for offset bytes) in the 8-bit routines and the
// saturated quotient (0 for 0 / 0) in the 24- and 32-bit ones.
//
// The names live in their own namespace so that they never collide with the
// dispatch slots of the catalogue.
#pragma once

#include <cstdint>

#include "framework/dispatch/IppTypes.h"

namespace Ippextrafunctions {

inline constexpr int Max24 = 8388607;
inline constexpr int Min24 = -8388608;

// The sample at src sign-extended from bit 23.
int Convert24BitTo32Bit(const unsigned char *src);
// The store rule: value clamped to the 24-bit range, low three bytes to dst.
void Convert32BitTo24Bit(int value, unsigned char *dst);

// Filling and copying.
void ippsZero_24s(unsigned char *dst, int n);
void ippsSet_24s(int value, unsigned char *dst, int n);
void ippiSet_24s_C1R(int value, unsigned char *dst, int step, tagSIZE roi);
void ippiSet_32u_C1R(unsigned value, unsigned *dst, int step, tagSIZE roi);
void ippiCopy_24s_C1R(const unsigned char *src, int srcStep, unsigned char *dst, int dstStep,
                      tagSIZE roi);

// Element arithmetic, target (srcDst) op source.
void ippiAdd_8s_C1IRSfs(const unsigned char *src, int srcStep, unsigned char *srcDst,
                        int srcDstStep, tagSIZE roi, int sf);
void ippiSub_8s_C1IRSfs(const unsigned char *src, int srcStep, unsigned char *srcDst,
                        int srcDstStep, tagSIZE roi, int sf);
void ippiMul_8s_C1IRSfs(const unsigned char *src, int srcStep, unsigned char *srcDst,
                        int srcDstStep, tagSIZE roi, int sf);
void ippiDiv_8s_C1IRSfs(const unsigned char *src, int srcStep, unsigned char *srcDst,
                        int srcDstStep, tagSIZE roi, int sf);
void ippiAdd_24s_C1IRSfs(const unsigned char *src, int srcStep, unsigned char *srcDst,
                         int srcDstStep, tagSIZE roi, int sf);
void ippiSub_24s_C1IRSfs(const unsigned char *src, int srcStep, unsigned char *srcDst,
                         int srcDstStep, tagSIZE roi, int sf);
void ippiMul_24s_C1IRSfs(const unsigned char *src, int srcStep, unsigned char *srcDst,
                         int srcDstStep, tagSIZE roi, int sf);
void ippiDiv_24s_C1IRSfs(const unsigned char *src, int srcStep, unsigned char *srcDst,
                         int srcDstStep, tagSIZE roi, int sf);
void ippiAdd_32s_C1IRSfs(const int *src, int srcStep, int *srcDst, int srcDstStep, tagSIZE roi,
                         int sf);
void ippiSub_32s_C1IRSfs(const int *src, int srcStep, int *srcDst, int srcDstStep, tagSIZE roi,
                         int sf);
void ippiMul_32s_C1IRSfs(const int *src, int srcStep, int *srcDst, int srcDstStep, tagSIZE roi,
                         int sf);
void ippiDiv_32s_C1IRSfs(const int *src, int srcStep, int *srcDst, int srcDstStep, tagSIZE roi,
                         int sf);

// Arithmetic with a constant v, in place.
void ippsMulC_8s_ISfs(int v, unsigned char *srcDst, int n, int sf);
void ippsDivC_8s_ISfs(int v, unsigned char *srcDst, int n, int sf);
void ippsAddC_24s_ISfs(int v, unsigned char *srcDst, int n, int sf);
void ippsSubC_24s_ISfs(int v, unsigned char *srcDst, int n, int sf);
void ippsMulC_24s_ISfs(int v, unsigned char *srcDst, int n, int sf);
void ippsDivC_24s_ISfs(int v, unsigned char *srcDst, int n, int sf);
void ippsAddC_32s_ISfs(int v, int *srcDst, int n, int sf);
void ippsSubC_32s_ISfs(int v, int *srcDst, int n, int sf);
void ippsMulC_32s_ISfs(int v, int *srcDst, int n, int sf);
void ippsDivC_32s_ISfs(int v, int *srcDst, int n, int sf);
void ippiMulC_8s_C1IRSfs(int v, unsigned char *srcDst, int step, tagSIZE roi, int sf);
void ippiDivC_8s_C1IRSfs(int v, unsigned char *srcDst, int step, tagSIZE roi, int sf);
void ippiAddC_24s_C1IRSfs(int v, unsigned char *srcDst, int step, tagSIZE roi, int sf);
void ippiSubC_24s_C1IRSfs(int v, unsigned char *srcDst, int step, tagSIZE roi, int sf);
void ippiMulC_24s_C1IRSfs(int v, unsigned char *srcDst, int step, tagSIZE roi, int sf);
void ippiDivC_24s_C1IRSfs(int v, unsigned char *srcDst, int step, tagSIZE roi, int sf);
void ippiAddC_32s_C1IRSfs(int v, int *srcDst, int step, tagSIZE roi, int sf);
void ippiSubC_32s_C1IRSfs(int v, int *srcDst, int step, tagSIZE roi, int sf);
void ippiMulC_32s_C1IRSfs(int v, int *srcDst, int step, tagSIZE roi, int sf);
void ippiDivC_32s_C1IRSfs(int v, int *srcDst, int step, tagSIZE roi, int sf);

// Width scaling by full-scale ratios, products in 64 bits, quotients truncated
// toward zero, results saturated to the target width.
void ippiScale_8u24s_C1R(const unsigned char *src, int srcStep, unsigned char *dst, int dstStep,
                         tagSIZE roi);
void ippiScale_16s24s_C1R(const short *src, int srcStep, unsigned char *dst, int dstStep,
                          tagSIZE roi);
void ippiScale_16s32s_C1R(const short *src, int srcStep, int *dst, int dstStep, tagSIZE roi);
void ippiScale_24s32s_C1R(const unsigned char *src, int srcStep, int *dst, int dstStep,
                          tagSIZE roi);
void ippiScale_24s8u_C1R(const unsigned char *src, int srcStep, unsigned char *dst, int dstStep,
                         tagSIZE roi, int hint);
void ippiScale_24s16s_C1R(const unsigned char *src, int srcStep, short *dst, int dstStep,
                          tagSIZE roi, int hint);
void ippiScale_32s16s_C1R(const int *src, int srcStep, short *dst, int dstStep, tagSIZE roi,
                          int hint);
void ippiScale_32s24s_C1R(const int *src, int srcStep, unsigned char *dst, int dstStep, tagSIZE roi,
                          int hint);

// Conversions with floats; float to integer rounds to nearest, ties to even,
// and saturates (NaN gives 0).
void ippiConvert_24s32f_C1R(const unsigned char *src, int srcStep, float *dst, int dstStep,
                            tagSIZE roi);
void ippiConvert_32s32f_C1R(const int *src, int srcStep, float *dst, int dstStep, tagSIZE roi);
void ippiConvert_32f24s_C1R(const float *src, int srcStep, unsigned char *dst, int dstStep,
                            tagSIZE roi, int sf);
void ippiConvert_32f32s_C1R(const float *src, int srcStep, int *dst, int dstStep, tagSIZE roi,
                            int sf);

// Each item times x, rounded to nearest (ties to even) and saturated to the
// item's range. The 8-bit form scales the offset value (x - 127), so the zero
// level stays where it is.
void MultiplyByReal8u(double x, unsigned char *data, int step, tagSIZE roi);
void MultiplyByReal16s(double x, short *data, int step, tagSIZE roi);
void MultiplyByReal24s(double x, unsigned char *data, int step, tagSIZE roi);
void MultiplyByReal32s(double x, int *data, int step, tagSIZE roi);

} // namespace Ippextrafunctions
