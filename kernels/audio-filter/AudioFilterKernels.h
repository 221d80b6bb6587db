// Processor-class variants of the audio filter and statistics operations: region
// conversions between integer samples and floats, float arithmetic and sums, complex
// spectrum operations and the threshold, with the memory routines they share.
//
// The 16-byte register code serves codes 16-17 and 6-9 (namespace sse2); code 5 runs
// the same code (the 8-byte register code would share the x87 stack with the
// extended-precision code) except where its memory routines differ (namespace sse). A
// variant takes exactly the arguments of the operation's generic variant, makes the
// same checks in the same order and returns the same statuses; its results are the
// generic ones except for the sum and the magnitude, whose bounds are stated there.
//
// The dispatch (framework/dispatch) wires these into its slots; nothing here includes
// the dispatch.
#pragma once

#include <cstddef>
#include <cstdint>

#include "kernels/common/IppTypes.h"

namespace kernels::audio_filter {

// Memory routines of the filter kernels. Byte routines: nothing for n <= 0, no overlap,
// they return the destination. Float and double wrappers: -8 for a null pointer, -6 for
// len < 1, else the bytes of len elements copied or cleared and 0. Every level writes the same
// bytes; the levels differ in store kinds and thresholds (non-temporal stores for large areas, each
// run closed by a store fence).
namespace generic {
void *ownsCopy_8u(const void *pSrc, void *pDst, int n);
void *ownsZero_8u(void *pDst, int n);
IppOpStatus ownsCopy_32f(const float *pSrc, float *pDst, int len);
IppOpStatus ownsZero_32f(float *pDst, int len);
IppOpStatus ownsCopy_64f(const double *pSrc, double *pDst, int len);
IppOpStatus ownsZero_64f(double *pDst, int len);
} // namespace generic

// Codes 6-9 and 16-17.
namespace sse2 {
void *ownsCopy_8u(const void *pSrc, void *pDst, int n);
void *ownsZero_8u(void *pDst, int n);
IppOpStatus ownsCopy_32f(const float *pSrc, float *pDst, int len);
IppOpStatus ownsZero_32f(float *pDst, int len);
IppOpStatus ownsCopy_64f(const double *pSrc, double *pDst, int len);
IppOpStatus ownsZero_64f(double *pDst, int len);

IppOpStatus ippiConvert_16s32f_C1R(const short *pSrc, int srcStep, float *pDst, int dstStep,
                                   tagSIZE roi);
IppOpStatus ippiConvert_8s32f_C1R(const signed char *pSrc, int srcStep, float *pDst, int dstStep,
                                  tagSIZE roi);
IppOpStatus ippiConvert_32f16s_C1R(const float *pSrc, int srcStep, short *pDst, int dstStep,
                                   tagSIZE roi, int roundMode);
IppOpStatus ippiConvert_32f8s_C1R(const float *pSrc, int srcStep, signed char *pDst, int dstStep,
                                  tagSIZE roi, int roundMode);

IppOpStatus ippsAdd_16s_I(const short *pSrc, short *pSrcDst, int len);
IppOpStatus ippsSub_32f_I(const float *pSrc, float *pSrcDst, int len);
IppOpStatus ippsSqr_32f_I(float *pSrcDst, int len);
// Sums in another order than the generic variant (see FloatArith.cpp for the bound).
IppOpStatus ippsSum_32f(const float *pSrc, int len, float *pSum, int hint);
IppOpStatus ippsMulC_32f(const float *pSrc, float val, float *pDst, int len);
IppOpStatus ippsMulC_32f_I(float val, float *pSrcDst, int len);
IppOpStatus ippsDivC_32f_I(float val, float *pSrcDst, int len);

IppOpStatus ippsConjCcs_64fc_I(Ipp64fc *pSrcDst, int len);
// Squares and their sum rounded to double, exact root: within 2 units in the last
// place of the generic result for components whose squares are normal doubles.
IppOpStatus ippsMagnitude_64fc(const Ipp64fc *pSrc, double *pDst, int len);
IppOpStatus ippsThreshold_LTValGTVal_16s_I(short *pSrcDst, int len, short levelLT, short valueLT,
                                           short levelGT, short valueGT);
// Hint 1: blocks of 1024 restarted from the cosine, single-precision eight-step recurrence.
IppOpStatus ippsTone_Direct_16s(short *pDst, int len, short magn, float rFreq, float &phase,
                                int hint);
// Rounded instead of truncated: samples at most one above the generic ones, same seed.
IppOpStatus ippsRandUniform_Direct_16s(short *pDst, int len, short low, short high,
                                       unsigned int &seed);
// In double precision: samples within one unit of the generic ones, the same phase.
IppOpStatus ippsTriangle_Direct_16s(short *pDst, int len, short magn, float rFreq, float asym,
                                    float &phase);
} // namespace sse2

// Code 5: its own memory routines and the constant multiplications over them.
namespace sse {
void *ownsCopy_8u(const void *pSrc, void *pDst, int n);
void *ownsZero_8u(void *pDst, int n);
// Always with non-temporal stores, fenced.
void *ownsCopyStream_8u(const void *pSrc, void *pDst, int n);
IppOpStatus ownsCopy_32f(const float *pSrc, float *pDst, int len);
IppOpStatus ownsZero_32f(float *pDst, int len);
IppOpStatus ownsCopy_64f(const double *pSrc, double *pDst, int len);
IppOpStatus ownsZero_64f(double *pDst, int len);

IppOpStatus ippsMulC_32f(const float *pSrc, float val, float *pDst, int len);
IppOpStatus ippsMulC_32f_I(float val, float *pSrcDst, int len);
IppOpStatus ippsDivC_32f_I(float val, float *pSrcDst, int len);
} // namespace sse

// Field offsets of the FIR state, as its set-up lays it out.
namespace fir_layout {
inline constexpr std::size_t kId = 0;       // 32-bit identifier
inline constexpr std::size_t kTapsLen = 4;  // 32-bit tap count L
inline constexpr std::size_t kDlyIndex = 8; // 32-bit index of the next sample
inline constexpr std::size_t kTaps = 16;    // double *: L taps, reversed
inline constexpr std::size_t kDlyLine = 24; // double *: 2L samples
} // namespace fir_layout

// IIR states (kernels/common/IIRState.h). The set-ups of codes 16-17 (sse3), 6-9 (sse2)
// and 5 (sse) make the checks of the generic set-up in its order with its statuses and lay
// out the vector layout: taps normalised in single precision (sse3: the reciprocal of A0
// formed in extended precision and rounded once), then the tap and block-response vectors.
// A set-up that finds A0 zero or NaN releases its block through its own level's release,
// sets *ppState to null and gives -10. Every release frees a state of any layout made at
// any code: all blocks come from one counter.
namespace sse3 {
IppOpStatus ippsIIRInitAlloc_32f(IIRState_32f **ppState, const float *pTaps, int order,
                                 const float *pDlyLine);
IppOpStatus ippsIIRFree_32f(IIRState_32f *pState);
} // namespace sse3
namespace sse2 {
IppOpStatus ippsIIRInitAlloc_32f(IIRState_32f **ppState, const float *pTaps, int order,
                                 const float *pDlyLine);
IppOpStatus ippsIIRFree_32f(IIRState_32f *pState);
} // namespace sse2
namespace sse {
IppOpStatus ippsIIRInitAlloc_32f(IIRState_32f **ppState, const float *pTaps, int order,
                                 const float *pDlyLine);
IppOpStatus ippsIIRFree_32f(IIRState_32f *pState);
} // namespace sse

// Codes 16-17 (sse3) and 5 (sse); the scheme gives codes 6-9 the generic filter. The block
// method in single precision on the tables of the vector set-ups (a generic-layout state
// is filtered sample by sample in single precision). Outputs differ from the generic
// extended-precision ones by rounding; the bound is stated with the tests. The two differ
// only in the constant multiplication of order 0.
namespace sse3 {
IppOpStatus ippsIIR_32f(const float *pSrc, float *pDst, int len, IIRState_32f *pState);
IppOpStatus ippsIIR_32f_I(float *pSrcDst, int len, IIRState_32f *pState);
} // namespace sse3
namespace sse {
IppOpStatus ippsIIR_32f(const float *pSrc, float *pDst, int len, IIRState_32f *pState);
IppOpStatus ippsIIR_32f_I(float *pSrcDst, int len, IIRState_32f *pState);
} // namespace sse

// The filter step kernel of codes 16-17 and 6-9: one sample into the state, the output
// summed in two double-precision lanes. The state is valid (the entry has checked it).
double ownsFIROne_64f_Sse2(double src, FIRState_64f *ps);

namespace sse2 {
// The FIR step over two double-precision lanes, codes 16-17 and 6-9 (code 5 keeps the
// generic extended-precision step): the generic sum in another order and precision,
// within (L + 1) · 2^-52 · Σ|tap · sample| of it.
IppOpStatus ippsFIROne_64f(double src, double &dstVal, FIRState_64f &state);
} // namespace sse2

// Counts of non-temporal runs of the memory routines, for tests of the thresholds.
std::uint64_t NonTemporalRuns() noexcept;

// The entries of each processor class, by the names the wiring table gives them: each
// names the body above that serves its class. Classes whose scheme keeps the generic code
// have no entry (see framework/dispatch/VariantWiringAudio.h); the memory routines of codes
// 16-17 are the 16-byte register ones of codes 6-9.
inline constexpr auto ownsCopy_8u_Sse3 = &sse2::ownsCopy_8u;
inline constexpr auto ownsZero_8u_Sse3 = &sse2::ownsZero_8u;
inline constexpr auto ownsCopy_32f_Sse3 = &sse2::ownsCopy_32f;
inline constexpr auto ownsCopy_32f_Sse2 = &sse2::ownsCopy_32f;
inline constexpr auto ownsCopy_32f_Sse = &sse::ownsCopy_32f;
inline constexpr auto ownsZero_32f_Sse3 = &sse2::ownsZero_32f;
inline constexpr auto ownsZero_32f_Sse2 = &sse2::ownsZero_32f;
inline constexpr auto ownsZero_32f_Sse = &sse::ownsZero_32f;
inline constexpr auto ownsCopy_64f_Sse3 = &sse2::ownsCopy_64f;
inline constexpr auto ownsCopy_64f_Sse2 = &sse2::ownsCopy_64f;
inline constexpr auto ownsCopy_64f_Sse = &sse::ownsCopy_64f;
inline constexpr auto ownsZero_64f_Sse3 = &sse2::ownsZero_64f;
inline constexpr auto ownsZero_64f_Sse2 = &sse2::ownsZero_64f;
inline constexpr auto ownsZero_64f_Sse = &sse::ownsZero_64f;
inline constexpr auto ownsCopyStream_8u_Sse = &sse::ownsCopyStream_8u;

inline constexpr auto ippsAdd_16s_I_Sse3 = &sse2::ippsAdd_16s_I;
inline constexpr auto ippsAdd_16s_I_Sse2 = &sse2::ippsAdd_16s_I;
inline constexpr auto ippsAdd_16s_I_Sse = &sse2::ippsAdd_16s_I;
inline constexpr auto ippsConjCcs_64fc_I_Sse3 = &sse2::ippsConjCcs_64fc_I;
inline constexpr auto ippsConjCcs_64fc_I_Sse2 = &sse2::ippsConjCcs_64fc_I;
inline constexpr auto ippsConjCcs_64fc_I_Sse = &sse2::ippsConjCcs_64fc_I;
inline constexpr auto ippiConvert_16s32f_C1R_Sse3 = &sse2::ippiConvert_16s32f_C1R;
inline constexpr auto ippiConvert_16s32f_C1R_Sse2 = &sse2::ippiConvert_16s32f_C1R;
inline constexpr auto ippiConvert_16s32f_C1R_Sse = &sse2::ippiConvert_16s32f_C1R;
inline constexpr auto ippiConvert_32f16s_C1R_Sse3 = &sse2::ippiConvert_32f16s_C1R;
inline constexpr auto ippiConvert_32f16s_C1R_Sse2 = &sse2::ippiConvert_32f16s_C1R;
inline constexpr auto ippiConvert_32f16s_C1R_Sse = &sse2::ippiConvert_32f16s_C1R;
inline constexpr auto ippiConvert_32f8s_C1R_Sse3 = &sse2::ippiConvert_32f8s_C1R;
inline constexpr auto ippiConvert_32f8s_C1R_Sse2 = &sse2::ippiConvert_32f8s_C1R;
inline constexpr auto ippiConvert_32f8s_C1R_Sse = &sse2::ippiConvert_32f8s_C1R;
inline constexpr auto ippiConvert_8s32f_C1R_Sse3 = &sse2::ippiConvert_8s32f_C1R;
inline constexpr auto ippiConvert_8s32f_C1R_Sse2 = &sse2::ippiConvert_8s32f_C1R;
inline constexpr auto ippiConvert_8s32f_C1R_Sse = &sse2::ippiConvert_8s32f_C1R;
inline constexpr auto ippsDivC_32f_I_Sse3 = &sse2::ippsDivC_32f_I;
inline constexpr auto ippsDivC_32f_I_Sse2 = &sse2::ippsDivC_32f_I;
inline constexpr auto ippsDivC_32f_I_Sse = &sse::ippsDivC_32f_I;
inline constexpr auto ippsFIROne_64f_Sse3 = &sse2::ippsFIROne_64f;
inline constexpr auto ippsFIROne_64f_Sse2 = &sse2::ippsFIROne_64f;
inline constexpr auto ownsFIROne_64f_Sse3 = &ownsFIROne_64f_Sse2;
inline constexpr auto ippsIIR_32f_Sse3 = &sse3::ippsIIR_32f;
inline constexpr auto ippsIIR_32f_Sse = &sse::ippsIIR_32f;
inline constexpr auto ippsIIR_32f_I_Sse3 = &sse3::ippsIIR_32f_I;
inline constexpr auto ippsIIR_32f_I_Sse = &sse::ippsIIR_32f_I;
inline constexpr auto ippsIIRFree_32f_Sse3 = &sse3::ippsIIRFree_32f;
inline constexpr auto ippsIIRFree_32f_Sse2 = &sse2::ippsIIRFree_32f;
inline constexpr auto ippsIIRFree_32f_Sse = &sse::ippsIIRFree_32f;
inline constexpr auto ippsIIRInitAlloc_32f_Sse3 = &sse3::ippsIIRInitAlloc_32f;
inline constexpr auto ippsIIRInitAlloc_32f_Sse2 = &sse2::ippsIIRInitAlloc_32f;
inline constexpr auto ippsIIRInitAlloc_32f_Sse = &sse::ippsIIRInitAlloc_32f;
inline constexpr auto ippsMagnitude_64fc_Sse3 = &sse2::ippsMagnitude_64fc;
inline constexpr auto ippsMagnitude_64fc_Sse2 = &sse2::ippsMagnitude_64fc;
inline constexpr auto ippsMagnitude_64fc_Sse = &sse2::ippsMagnitude_64fc;
inline constexpr auto ippsMulC_32f_Sse3 = &sse2::ippsMulC_32f;
inline constexpr auto ippsMulC_32f_Sse2 = &sse2::ippsMulC_32f;
inline constexpr auto ippsMulC_32f_Sse = &sse::ippsMulC_32f;
inline constexpr auto ippsMulC_32f_I_Sse3 = &sse2::ippsMulC_32f_I;
inline constexpr auto ippsMulC_32f_I_Sse2 = &sse2::ippsMulC_32f_I;
inline constexpr auto ippsMulC_32f_I_Sse = &sse::ippsMulC_32f_I;
inline constexpr auto ippsRandUniform_Direct_16s_Sse3 = &sse2::ippsRandUniform_Direct_16s;
inline constexpr auto ippsRandUniform_Direct_16s_Sse2 = &sse2::ippsRandUniform_Direct_16s;
inline constexpr auto ippsSqr_32f_I_Sse3 = &sse2::ippsSqr_32f_I;
inline constexpr auto ippsSqr_32f_I_Sse2 = &sse2::ippsSqr_32f_I;
inline constexpr auto ippsSqr_32f_I_Sse = &sse2::ippsSqr_32f_I;
inline constexpr auto ippsSub_32f_I_Sse3 = &sse2::ippsSub_32f_I;
inline constexpr auto ippsSub_32f_I_Sse2 = &sse2::ippsSub_32f_I;
inline constexpr auto ippsSub_32f_I_Sse = &sse2::ippsSub_32f_I;
inline constexpr auto ippsSum_32f_Sse3 = &sse2::ippsSum_32f;
inline constexpr auto ippsSum_32f_Sse2 = &sse2::ippsSum_32f;
inline constexpr auto ippsSum_32f_Sse = &sse2::ippsSum_32f;
inline constexpr auto ippsThreshold_LTValGTVal_16s_I_Sse3 = &sse2::ippsThreshold_LTValGTVal_16s_I;
inline constexpr auto ippsThreshold_LTValGTVal_16s_I_Sse2 = &sse2::ippsThreshold_LTValGTVal_16s_I;
inline constexpr auto ippsTone_Direct_16s_Sse3 = &sse2::ippsTone_Direct_16s;
inline constexpr auto ippsTone_Direct_16s_Sse2 = &sse2::ippsTone_Direct_16s;
inline constexpr auto ippsTone_Direct_16s_Sse = &sse2::ippsTone_Direct_16s;
inline constexpr auto ippsTriangle_Direct_16s_Sse3 = &sse2::ippsTriangle_Direct_16s;
inline constexpr auto ippsTriangle_Direct_16s_Sse2 = &sse2::ippsTriangle_Direct_16s;

} // namespace kernels::audio_filter
