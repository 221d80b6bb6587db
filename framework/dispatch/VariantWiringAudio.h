// The wiring rows of kernels/audio-sample and kernels/audio-filter (see DISPATCH_VARIANT_WIRING).
// Every class of the audio sample operations runs the same 16-byte register kernel; the
// operations whose scheme gives codes 16-17 the generic variant have no entry there. The filter
// unit's IIR filters run the block method at codes 16-17 and 5, the generic one at codes 6-9,
// and every code's IIR set-up lays out the vector layout, which the generic filter reads as
// well. Generic by design: the threshold at code 5, code 5's FIR step (it sums in extended
// precision, as the generic one), code 5's extended-precision uniform noise and triangle, and
// normal noise in every class (one sequential polar method).
#pragma once

#include "kernels/audio-filter/AudioFilterKernels.h"
#include "kernels/audio-sample/AudioSampleKernels.h"

#define DISPATCH_KAS ::kernels::audio_sample
#define DISPATCH_KAF ::kernels::audio_filter
#define DISPATCH_WIRING_AUDIO(W)                                                                   \
  W(Albasicdispatcher, ippiAdd_8u_C1IRSfs, Own(&DISPATCH_KAS::sse2::ippiAdd_8u_C1IRSfs),           \
    Own(&DISPATCH_KAS::sse2::ippiAdd_8u_C1IRSfs), Own(&DISPATCH_KAS::sse2::ippiAdd_8u_C1IRSfs))    \
  W(Albasicdispatcher, ippiAdd_16s_C1IRSfs, Own(&DISPATCH_KAS::sse2::ippiAdd_16s_C1IRSfs),         \
    Own(&DISPATCH_KAS::sse2::ippiAdd_16s_C1IRSfs), Own(&DISPATCH_KAS::sse2::ippiAdd_16s_C1IRSfs))  \
  W(Albasicdispatcher, ippiSub_8u_C1IRSfs, Own(&DISPATCH_KAS::sse2::ippiSub_8u_C1IRSfs),           \
    Own(&DISPATCH_KAS::sse2::ippiSub_8u_C1IRSfs), Own(&DISPATCH_KAS::sse2::ippiSub_8u_C1IRSfs))    \
  W(Albasicdispatcher, ippiSub_16s_C1IRSfs, Own(&DISPATCH_KAS::sse2::ippiSub_16s_C1IRSfs),         \
    Own(&DISPATCH_KAS::sse2::ippiSub_16s_C1IRSfs), Own(&DISPATCH_KAS::sse2::ippiSub_16s_C1IRSfs))  \
  W(Albasicdispatcher, ippiMul_8u_C1IRSfs, Own(&DISPATCH_KAS::sse2::ippiMul_8u_C1IRSfs),           \
    Own(&DISPATCH_KAS::sse2::ippiMul_8u_C1IRSfs), Own(&DISPATCH_KAS::sse2::ippiMul_8u_C1IRSfs))    \
  W(Albasicdispatcher, ippiMul_16s_C1IRSfs, Own(&DISPATCH_KAS::sse2::ippiMul_16s_C1IRSfs),         \
    Own(&DISPATCH_KAS::sse2::ippiMul_16s_C1IRSfs), Own(&DISPATCH_KAS::sse2::ippiMul_16s_C1IRSfs))  \
  W(Albasicdispatcher, ippiDiv_8u_C1IRSfs, Own(&DISPATCH_KAS::sse2::ippiDiv_8u_C1IRSfs),           \
    Own(&DISPATCH_KAS::sse2::ippiDiv_8u_C1IRSfs), Own(&DISPATCH_KAS::sse2::ippiDiv_8u_C1IRSfs))    \
  W(Albasicdispatcher, ippiDiv_16s_C1IRSfs, Own(&DISPATCH_KAS::sse2::ippiDiv_16s_C1IRSfs),         \
    Own(&DISPATCH_KAS::sse2::ippiDiv_16s_C1IRSfs), Own(&DISPATCH_KAS::sse2::ippiDiv_16s_C1IRSfs))  \
  W(Albasicdispatcher, ippsDivC_16s_ISfs, Own(&DISPATCH_KAS::sse2::ippsDivC_16s_ISfs),             \
    Own(&DISPATCH_KAS::sse2::ippsDivC_16s_ISfs), Own(&DISPATCH_KAS::sse2::ippsDivC_16s_ISfs))      \
  W(Albasicdispatcher, ippsSet_16s, Own(&DISPATCH_KAS::sse2::ippsSet_16s),                         \
    Own(&DISPATCH_KAS::sse2::ippsSet_16s), Own(&DISPATCH_KAS::sse::ippsSet_16s))                   \
  W(Albasicdispatcher, ippsConvert_8s16s, Own(&DISPATCH_KAS::sse2::ippsConvert_8s16s),             \
    Own(&DISPATCH_KAS::sse2::ippsConvert_8s16s), Own(&DISPATCH_KAS::sse2::ippsConvert_8s16s))      \
  W(Albasicdispatcher, ippiSet_8u_C1R, GenericByDesign, Own(&DISPATCH_KAS::sse2::ippiSet_8u_C1R),  \
    Own(&DISPATCH_KAS::sse::ippiSet_8u_C1R))                                                       \
  W(Albasicdispatcher, ippiSet_16s_C1R, GenericByDesign,                                           \
    Own(&DISPATCH_KAS::sse2::ippiSet_16s_C1R), Own(&DISPATCH_KAS::sse::ippiSet_16s_C1R))           \
  W(Albasicdispatcher, ippiSet_32s_C1R, GenericByDesign,                                           \
    Own(&DISPATCH_KAS::sse2::ippiSet_32s_C1R), Own(&DISPATCH_KAS::sse::ippiSet_32s_C1R))           \
  W(Albasicdispatcher, ippsAddC_8u_ISfs, GenericByDesign,                                          \
    Own(&DISPATCH_KAS::sse2::ippsAddC_8u_ISfs), Own(&DISPATCH_KAS::sse2::ippsAddC_8u_ISfs))        \
  W(Albasicdispatcher, ippsAddC_16s_ISfs, GenericByDesign,                                         \
    Own(&DISPATCH_KAS::sse2::ippsAddC_16s_ISfs), Own(&DISPATCH_KAS::sse2::ippsAddC_16s_ISfs))      \
  W(Albasicdispatcher, ippiAddC_8u_C1IRSfs, GenericByDesign,                                       \
    Own(&DISPATCH_KAS::sse2::ippiAddC_8u_C1IRSfs), Own(&DISPATCH_KAS::sse2::ippiAddC_8u_C1IRSfs))  \
  W(Albasicdispatcher, ippiAddC_16s_C1IRSfs, GenericByDesign,                                      \
    Own(&DISPATCH_KAS::sse2::ippiAddC_16s_C1IRSfs),                                                \
    Own(&DISPATCH_KAS::sse2::ippiAddC_16s_C1IRSfs))                                                \
  W(Albasicdispatcher, ippsSubC_8u_ISfs, GenericByDesign,                                          \
    Own(&DISPATCH_KAS::sse2::ippsSubC_8u_ISfs), Own(&DISPATCH_KAS::sse2::ippsSubC_8u_ISfs))        \
  W(Albasicdispatcher, ippsSubC_16s_ISfs, GenericByDesign,                                         \
    Own(&DISPATCH_KAS::sse2::ippsSubC_16s_ISfs), Own(&DISPATCH_KAS::sse2::ippsSubC_16s_ISfs))      \
  W(Albasicdispatcher, ippiSubC_8u_C1IRSfs, GenericByDesign,                                       \
    Own(&DISPATCH_KAS::sse2::ippiSubC_8u_C1IRSfs), Own(&DISPATCH_KAS::sse2::ippiSubC_8u_C1IRSfs))  \
  W(Albasicdispatcher, ippiSubC_16s_C1IRSfs, GenericByDesign,                                      \
    Own(&DISPATCH_KAS::sse2::ippiSubC_16s_C1IRSfs),                                                \
    Own(&DISPATCH_KAS::sse2::ippiSubC_16s_C1IRSfs))                                                \
  W(Albasicdispatcher, ippsMulC_8u_ISfs, GenericByDesign,                                          \
    Own(&DISPATCH_KAS::sse2::ippsMulC_8u_ISfs), Own(&DISPATCH_KAS::sse2::ippsMulC_8u_ISfs))        \
  W(Albasicdispatcher, ippsMulC_16s_ISfs, GenericByDesign,                                         \
    Own(&DISPATCH_KAS::sse2::ippsMulC_16s_ISfs), Own(&DISPATCH_KAS::sse2::ippsMulC_16s_ISfs))      \
  W(Albasicdispatcher, ippiMulC_8u_C1IRSfs, GenericByDesign,                                       \
    Own(&DISPATCH_KAS::sse2::ippiMulC_8u_C1IRSfs), Own(&DISPATCH_KAS::sse2::ippiMulC_8u_C1IRSfs))  \
  W(Albasicdispatcher, ippiMulC_16s_C1IRSfs, GenericByDesign,                                      \
    Own(&DISPATCH_KAS::sse2::ippiMulC_16s_C1IRSfs),                                                \
    Own(&DISPATCH_KAS::sse2::ippiMulC_16s_C1IRSfs))                                                \
  W(Albasicdispatcher, ippiDivC_8u_C1IRSfs, GenericByDesign,                                       \
    Own(&DISPATCH_KAS::sse2::ippiDivC_8u_C1IRSfs), Own(&DISPATCH_KAS::sse2::ippiDivC_8u_C1IRSfs))  \
  W(Albasicdispatcher, ippiDivC_16s_C1IRSfs, GenericByDesign,                                      \
    Own(&DISPATCH_KAS::sse2::ippiDivC_16s_C1IRSfs),                                                \
    Own(&DISPATCH_KAS::sse2::ippiDivC_16s_C1IRSfs))                                                \
  W(Albasicdispatcher, ippiCopy_8u_C1R, Own(&DISPATCH_KAS::sse2::ippiCopy_8u_C1R),                 \
    Own(&DISPATCH_KAS::sse2::ippiCopy_8u_C1R), Own(&DISPATCH_KAS::sse2::ippiCopy_8u_C1R))          \
  W(Albasicdispatcher, ippiCopy_16s_C1R, Own(&DISPATCH_KAS::sse2::ippiCopy_16s_C1R),               \
    Own(&DISPATCH_KAS::sse2::ippiCopy_16s_C1R), Own(&DISPATCH_KAS::sse2::ippiCopy_16s_C1R))        \
  W(Albasicdispatcher, ippiCopy_32s_C1R, Own(&DISPATCH_KAS::sse2::ippiCopy_32s_C1R),               \
    Own(&DISPATCH_KAS::sse2::ippiCopy_32s_C1R), Own(&DISPATCH_KAS::sse2::ippiCopy_32s_C1R))        \
  W(Albasicdispatcher, ippiConvert_8u16u_C1R, Own(&DISPATCH_KAS::sse2::ippiConvert_8u16u_C1R),     \
    Own(&DISPATCH_KAS::sse2::ippiConvert_8u16u_C1R),                                               \
    Own(&DISPATCH_KAS::sse2::ippiConvert_8u16u_C1R))                                               \
  W(Albasicdispatcher, ippiConvert_8u32f_C1R, Own(&DISPATCH_KAS::sse2::ippiConvert_8u32f_C1R),     \
    Own(&DISPATCH_KAS::sse2::ippiConvert_8u32f_C1R),                                               \
    Own(&DISPATCH_KAS::sse2::ippiConvert_8u32f_C1R))                                               \
  W(Albasicdispatcher, ippiScale_8u16s_C1R, Own(&DISPATCH_KAS::sse2::ippiScale_8u16s_C1R),         \
    Own(&DISPATCH_KAS::sse2::ippiScale_8u16s_C1R), Own(&DISPATCH_KAS::sse2::ippiScale_8u16s_C1R))  \
  W(Albasicdispatcher, ippiScale_8u32s_C1R, Own(&DISPATCH_KAS::sse2::ippiScale_8u32s_C1R),         \
    Own(&DISPATCH_KAS::sse2::ippiScale_8u32s_C1R), Own(&DISPATCH_KAS::sse2::ippiScale_8u32s_C1R))  \
  W(Albasicdispatcher, ippiScale_16s8u_C1R, Own(&DISPATCH_KAS::sse2::ippiScale_16s8u_C1R),         \
    Own(&DISPATCH_KAS::sse2::ippiScale_16s8u_C1R), Own(&DISPATCH_KAS::sse2::ippiScale_16s8u_C1R))  \
  W(Albasicdispatcher, ippiScale_32s8u_C1R, Own(&DISPATCH_KAS::sse2::ippiScale_32s8u_C1R),         \
    Own(&DISPATCH_KAS::sse2::ippiScale_32s8u_C1R), Own(&DISPATCH_KAS::sse2::ippiScale_32s8u_C1R))  \
  W(Vizazodizaro, ippsAdd_16s_I, Own(&DISPATCH_KAF::sse2::ippsAdd_16s_I),                          \
    Own(&DISPATCH_KAF::sse2::ippsAdd_16s_I), Own(&DISPATCH_KAF::sse2::ippsAdd_16s_I))              \
  W(Vizazodizaro, ippsConjCcs_64fc_I, Own(&DISPATCH_KAF::sse2::ippsConjCcs_64fc_I),                \
    Own(&DISPATCH_KAF::sse2::ippsConjCcs_64fc_I), Own(&DISPATCH_KAF::sse2::ippsConjCcs_64fc_I))    \
  W(Vizazodizaro, ippsMagnitude_64fc, Own(&DISPATCH_KAF::sse2::ippsMagnitude_64fc),                \
    Own(&DISPATCH_KAF::sse2::ippsMagnitude_64fc), Own(&DISPATCH_KAF::sse2::ippsMagnitude_64fc))    \
  W(Vizazodizaro, ippsSub_32f_I, Own(&DISPATCH_KAF::sse2::ippsSub_32f_I),                          \
    Own(&DISPATCH_KAF::sse2::ippsSub_32f_I), Own(&DISPATCH_KAF::sse2::ippsSub_32f_I))              \
  W(Vizazodizaro, ippsSum_32f, Own(&DISPATCH_KAF::sse2::ippsSum_32f),                              \
    Own(&DISPATCH_KAF::sse2::ippsSum_32f), Own(&DISPATCH_KAF::sse2::ippsSum_32f))                  \
  W(Vizazodizaro, ippsSqr_32f_I, Own(&DISPATCH_KAF::sse2::ippsSqr_32f_I),                          \
    Own(&DISPATCH_KAF::sse2::ippsSqr_32f_I), Own(&DISPATCH_KAF::sse2::ippsSqr_32f_I))              \
  W(Vizazodizaro, ippiConvert_16s32f_C1R, Own(&DISPATCH_KAF::sse2::ippiConvert_16s32f_C1R),        \
    Own(&DISPATCH_KAF::sse2::ippiConvert_16s32f_C1R),                                              \
    Own(&DISPATCH_KAF::sse2::ippiConvert_16s32f_C1R))                                              \
  W(Vizazodizaro, ippiConvert_8s32f_C1R, Own(&DISPATCH_KAF::sse2::ippiConvert_8s32f_C1R),          \
    Own(&DISPATCH_KAF::sse2::ippiConvert_8s32f_C1R),                                               \
    Own(&DISPATCH_KAF::sse2::ippiConvert_8s32f_C1R))                                               \
  W(Vizazodizaro, ippiConvert_32f16s_C1R, Own(&DISPATCH_KAF::sse2::ippiConvert_32f16s_C1R),        \
    Own(&DISPATCH_KAF::sse2::ippiConvert_32f16s_C1R),                                              \
    Own(&DISPATCH_KAF::sse2::ippiConvert_32f16s_C1R))                                              \
  W(Vizazodizaro, ippiConvert_32f8s_C1R, Own(&DISPATCH_KAF::sse2::ippiConvert_32f8s_C1R),          \
    Own(&DISPATCH_KAF::sse2::ippiConvert_32f8s_C1R),                                               \
    Own(&DISPATCH_KAF::sse2::ippiConvert_32f8s_C1R))                                               \
  W(Vizazodizaro, ippsThreshold_LTValGTVal_16s_I,                                                  \
    Own(&DISPATCH_KAF::sse2::ippsThreshold_LTValGTVal_16s_I),                                      \
    Own(&DISPATCH_KAF::sse2::ippsThreshold_LTValGTVal_16s_I), GenericByDesign)                     \
  W(Vizazodizaro, ippsMulC_32f, Own(&DISPATCH_KAF::sse2::ippsMulC_32f),                            \
    Own(&DISPATCH_KAF::sse2::ippsMulC_32f), Own(&DISPATCH_KAF::sse::ippsMulC_32f))                 \
  W(Vizazodizaro, ippsMulC_32f_I, Own(&DISPATCH_KAF::sse2::ippsMulC_32f_I),                        \
    Own(&DISPATCH_KAF::sse2::ippsMulC_32f_I), Own(&DISPATCH_KAF::sse::ippsMulC_32f_I))             \
  W(Vizazodizaro, ippsDivC_32f_I, Own(&DISPATCH_KAF::sse2::ippsDivC_32f_I),                        \
    Own(&DISPATCH_KAF::sse2::ippsDivC_32f_I), Own(&DISPATCH_KAF::sse::ippsDivC_32f_I))             \
  W(Vizazodizaro, ippsIIRInitAlloc_32f, Own(&DISPATCH_KAF::sse3::ippsIIRInitAlloc_32f),            \
    Own(&DISPATCH_KAF::sse2::ippsIIRInitAlloc_32f), Own(&DISPATCH_KAF::sse::ippsIIRInitAlloc_32f)) \
  W(Vizazodizaro, ippsIIRFree_32f, Own(&DISPATCH_KAF::sse3::ippsIIRFree_32f),                      \
    Own(&DISPATCH_KAF::sse2::ippsIIRFree_32f), Own(&DISPATCH_KAF::sse::ippsIIRFree_32f))           \
  W(Vizazodizaro, ippsIIR_32f, Own(&DISPATCH_KAF::sse3::ippsIIR_32f), GenericByDesign,             \
    Own(&DISPATCH_KAF::sse::ippsIIR_32f))                                                          \
  W(Vizazodizaro, ippsIIR_32f_I, Own(&DISPATCH_KAF::sse3::ippsIIR_32f_I), GenericByDesign,         \
    Own(&DISPATCH_KAF::sse::ippsIIR_32f_I))                                                        \
  W(Vizazodizaro, ippsFIROne_64f, Own(&DISPATCH_KAF::sse2::ippsFIROne_64f),                        \
    Own(&DISPATCH_KAF::sse2::ippsFIROne_64f), GenericByDesign)                                     \
  W(Vizazodizaro, ippsRandGauss_Direct_16s, GenericByDesign, GenericByDesign, GenericByDesign)     \
  W(Vizazodizaro, ippsRandUniform_Direct_16s,                                                      \
    Own(&DISPATCH_KAF::sse2::ippsRandUniform_Direct_16s),                                          \
    Own(&DISPATCH_KAF::sse2::ippsRandUniform_Direct_16s), GenericByDesign)                         \
  W(Vizazodizaro, ippsTriangle_Direct_16s, Own(&DISPATCH_KAF::sse2::ippsTriangle_Direct_16s),      \
    Own(&DISPATCH_KAF::sse2::ippsTriangle_Direct_16s), GenericByDesign)                            \
  W(Vizazodizaro, ippsTone_Direct_16s, Own(&DISPATCH_KAF::sse2::ippsTone_Direct_16s),              \
    Own(&DISPATCH_KAF::sse2::ippsTone_Direct_16s), Own(&DISPATCH_KAF::sse2::ippsTone_Direct_16s))
