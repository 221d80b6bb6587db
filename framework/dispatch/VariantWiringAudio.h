// The wiring rows of kernels/audio-sample and kernels/audio-filter (see DISPATCH_VARIANT_WIRING).
// A row reads W(unit, operation, codes 16-17, codes 6-9, code 5): each class either runs its
// entry, named <operation>_Sse3, _Sse2 or _Sse (the kernel headers say which body serves it), or
// GenericByDesign.
//
// Every class of the audio sample operations runs the same 16-byte register kernel; the
// operations whose scheme gives codes 16-17 the generic variant have no entry there. The
// filter unit's IIR filters run the block method at codes 16-17 and 5, the generic one at
// codes 6-9, and every code's IIR set-up lays out the vector layout, which the generic filter
// reads as well. Some classes are the generic code by design, so their slots hold the generic
// variant: ippsThreshold_LTValGTVal_16s_I_Sse (the threshold at code 5), ippsFIROne_64f_Sse
// (code 5's FIR step sums in extended precision, as the generic one),
// ippsRandUniform_Direct_16s_Sse and ippsTriangle_Direct_16s_Sse (code 5's extended-precision
// noise and triangle), and ippsRandGauss_Direct_16s_Sse3, ippsRandGauss_Direct_16s_Sse2 and
// ippsRandGauss_Direct_16s_Sse (normal noise is one sequential polar method in every class).
#pragma once

#include "kernels/audio-filter/AudioFilterKernels.h"
#include "kernels/audio-sample/AudioSampleKernels.h"

#define DISPATCH_KAS ::kernels::audio_sample
#define DISPATCH_KAF ::kernels::audio_filter
#define DISPATCH_WIRING_AUDIO(W)                                                                   \
  W(Albasicdispatcher, ippiAdd_8u_C1IRSfs, Own(DISPATCH_KAS::ippiAdd_8u_C1IRSfs_Sse3),             \
    Own(DISPATCH_KAS::ippiAdd_8u_C1IRSfs_Sse2), Own(DISPATCH_KAS::ippiAdd_8u_C1IRSfs_Sse))         \
  W(Albasicdispatcher, ippiAdd_16s_C1IRSfs, Own(DISPATCH_KAS::ippiAdd_16s_C1IRSfs_Sse3),           \
    Own(DISPATCH_KAS::ippiAdd_16s_C1IRSfs_Sse2), Own(DISPATCH_KAS::ippiAdd_16s_C1IRSfs_Sse))       \
  W(Albasicdispatcher, ippiSub_8u_C1IRSfs, Own(DISPATCH_KAS::ippiSub_8u_C1IRSfs_Sse3),             \
    Own(DISPATCH_KAS::ippiSub_8u_C1IRSfs_Sse2), Own(DISPATCH_KAS::ippiSub_8u_C1IRSfs_Sse))         \
  W(Albasicdispatcher, ippiSub_16s_C1IRSfs, Own(DISPATCH_KAS::ippiSub_16s_C1IRSfs_Sse3),           \
    Own(DISPATCH_KAS::ippiSub_16s_C1IRSfs_Sse2), Own(DISPATCH_KAS::ippiSub_16s_C1IRSfs_Sse))       \
  W(Albasicdispatcher, ippiMul_8u_C1IRSfs, Own(DISPATCH_KAS::ippiMul_8u_C1IRSfs_Sse3),             \
    Own(DISPATCH_KAS::ippiMul_8u_C1IRSfs_Sse2), Own(DISPATCH_KAS::ippiMul_8u_C1IRSfs_Sse))         \
  W(Albasicdispatcher, ippiMul_16s_C1IRSfs, Own(DISPATCH_KAS::ippiMul_16s_C1IRSfs_Sse3),           \
    Own(DISPATCH_KAS::ippiMul_16s_C1IRSfs_Sse2), Own(DISPATCH_KAS::ippiMul_16s_C1IRSfs_Sse))       \
  W(Albasicdispatcher, ippiDiv_8u_C1IRSfs, Own(DISPATCH_KAS::ippiDiv_8u_C1IRSfs_Sse3),             \
    Own(DISPATCH_KAS::ippiDiv_8u_C1IRSfs_Sse2), Own(DISPATCH_KAS::ippiDiv_8u_C1IRSfs_Sse))         \
  W(Albasicdispatcher, ippiDiv_16s_C1IRSfs, Own(DISPATCH_KAS::ippiDiv_16s_C1IRSfs_Sse3),           \
    Own(DISPATCH_KAS::ippiDiv_16s_C1IRSfs_Sse2), Own(DISPATCH_KAS::ippiDiv_16s_C1IRSfs_Sse))       \
  W(Albasicdispatcher, ippsDivC_16s_ISfs, Own(DISPATCH_KAS::ippsDivC_16s_ISfs_Sse3),               \
    Own(DISPATCH_KAS::ippsDivC_16s_ISfs_Sse2), Own(DISPATCH_KAS::ippsDivC_16s_ISfs_Sse))           \
  W(Albasicdispatcher, ippsSet_16s, Own(DISPATCH_KAS::ippsSet_16s_Sse3),                           \
    Own(DISPATCH_KAS::ippsSet_16s_Sse2), Own(DISPATCH_KAS::ippsSet_16s_Sse))                       \
  W(Albasicdispatcher, ippsConvert_8s16s, Own(DISPATCH_KAS::ippsConvert_8s16s_Sse3),               \
    Own(DISPATCH_KAS::ippsConvert_8s16s_Sse2), Own(DISPATCH_KAS::ippsConvert_8s16s_Sse))           \
  W(Albasicdispatcher, ippiSet_8u_C1R, GenericByDesign, Own(DISPATCH_KAS::ippiSet_8u_C1R_Sse2),    \
    Own(DISPATCH_KAS::ippiSet_8u_C1R_Sse))                                                         \
  W(Albasicdispatcher, ippiSet_16s_C1R, GenericByDesign, Own(DISPATCH_KAS::ippiSet_16s_C1R_Sse2),  \
    Own(DISPATCH_KAS::ippiSet_16s_C1R_Sse))                                                        \
  W(Albasicdispatcher, ippiSet_32s_C1R, GenericByDesign, Own(DISPATCH_KAS::ippiSet_32s_C1R_Sse2),  \
    Own(DISPATCH_KAS::ippiSet_32s_C1R_Sse))                                                        \
  W(Albasicdispatcher, ippsAddC_8u_ISfs, GenericByDesign,                                          \
    Own(DISPATCH_KAS::ippsAddC_8u_ISfs_Sse2), Own(DISPATCH_KAS::ippsAddC_8u_ISfs_Sse))             \
  W(Albasicdispatcher, ippsAddC_16s_ISfs, GenericByDesign,                                         \
    Own(DISPATCH_KAS::ippsAddC_16s_ISfs_Sse2), Own(DISPATCH_KAS::ippsAddC_16s_ISfs_Sse))           \
  W(Albasicdispatcher, ippiAddC_8u_C1IRSfs, GenericByDesign,                                       \
    Own(DISPATCH_KAS::ippiAddC_8u_C1IRSfs_Sse2), Own(DISPATCH_KAS::ippiAddC_8u_C1IRSfs_Sse))       \
  W(Albasicdispatcher, ippiAddC_16s_C1IRSfs, GenericByDesign,                                      \
    Own(DISPATCH_KAS::ippiAddC_16s_C1IRSfs_Sse2), Own(DISPATCH_KAS::ippiAddC_16s_C1IRSfs_Sse))     \
  W(Albasicdispatcher, ippsSubC_8u_ISfs, GenericByDesign,                                          \
    Own(DISPATCH_KAS::ippsSubC_8u_ISfs_Sse2), Own(DISPATCH_KAS::ippsSubC_8u_ISfs_Sse))             \
  W(Albasicdispatcher, ippsSubC_16s_ISfs, GenericByDesign,                                         \
    Own(DISPATCH_KAS::ippsSubC_16s_ISfs_Sse2), Own(DISPATCH_KAS::ippsSubC_16s_ISfs_Sse))           \
  W(Albasicdispatcher, ippiSubC_8u_C1IRSfs, GenericByDesign,                                       \
    Own(DISPATCH_KAS::ippiSubC_8u_C1IRSfs_Sse2), Own(DISPATCH_KAS::ippiSubC_8u_C1IRSfs_Sse))       \
  W(Albasicdispatcher, ippiSubC_16s_C1IRSfs, GenericByDesign,                                      \
    Own(DISPATCH_KAS::ippiSubC_16s_C1IRSfs_Sse2), Own(DISPATCH_KAS::ippiSubC_16s_C1IRSfs_Sse))     \
  W(Albasicdispatcher, ippsMulC_8u_ISfs, GenericByDesign,                                          \
    Own(DISPATCH_KAS::ippsMulC_8u_ISfs_Sse2), Own(DISPATCH_KAS::ippsMulC_8u_ISfs_Sse))             \
  W(Albasicdispatcher, ippsMulC_16s_ISfs, GenericByDesign,                                         \
    Own(DISPATCH_KAS::ippsMulC_16s_ISfs_Sse2), Own(DISPATCH_KAS::ippsMulC_16s_ISfs_Sse))           \
  W(Albasicdispatcher, ippiMulC_8u_C1IRSfs, GenericByDesign,                                       \
    Own(DISPATCH_KAS::ippiMulC_8u_C1IRSfs_Sse2), Own(DISPATCH_KAS::ippiMulC_8u_C1IRSfs_Sse))       \
  W(Albasicdispatcher, ippiMulC_16s_C1IRSfs, GenericByDesign,                                      \
    Own(DISPATCH_KAS::ippiMulC_16s_C1IRSfs_Sse2), Own(DISPATCH_KAS::ippiMulC_16s_C1IRSfs_Sse))     \
  W(Albasicdispatcher, ippiDivC_8u_C1IRSfs, GenericByDesign,                                       \
    Own(DISPATCH_KAS::ippiDivC_8u_C1IRSfs_Sse2), Own(DISPATCH_KAS::ippiDivC_8u_C1IRSfs_Sse))       \
  W(Albasicdispatcher, ippiDivC_16s_C1IRSfs, GenericByDesign,                                      \
    Own(DISPATCH_KAS::ippiDivC_16s_C1IRSfs_Sse2), Own(DISPATCH_KAS::ippiDivC_16s_C1IRSfs_Sse))     \
  W(Albasicdispatcher, ippiCopy_8u_C1R, Own(DISPATCH_KAS::ippiCopy_8u_C1R_Sse3),                   \
    Own(DISPATCH_KAS::ippiCopy_8u_C1R_Sse2), Own(DISPATCH_KAS::ippiCopy_8u_C1R_Sse))               \
  W(Albasicdispatcher, ippiCopy_16s_C1R, Own(DISPATCH_KAS::ippiCopy_16s_C1R_Sse3),                 \
    Own(DISPATCH_KAS::ippiCopy_16s_C1R_Sse2), Own(DISPATCH_KAS::ippiCopy_16s_C1R_Sse))             \
  W(Albasicdispatcher, ippiCopy_32s_C1R, Own(DISPATCH_KAS::ippiCopy_32s_C1R_Sse3),                 \
    Own(DISPATCH_KAS::ippiCopy_32s_C1R_Sse2), Own(DISPATCH_KAS::ippiCopy_32s_C1R_Sse))             \
  W(Albasicdispatcher, ippiConvert_8u16u_C1R, Own(DISPATCH_KAS::ippiConvert_8u16u_C1R_Sse3),       \
    Own(DISPATCH_KAS::ippiConvert_8u16u_C1R_Sse2), Own(DISPATCH_KAS::ippiConvert_8u16u_C1R_Sse))   \
  W(Albasicdispatcher, ippiConvert_8u32f_C1R, Own(DISPATCH_KAS::ippiConvert_8u32f_C1R_Sse3),       \
    Own(DISPATCH_KAS::ippiConvert_8u32f_C1R_Sse2), Own(DISPATCH_KAS::ippiConvert_8u32f_C1R_Sse))   \
  W(Albasicdispatcher, ippiScale_8u16s_C1R, Own(DISPATCH_KAS::ippiScale_8u16s_C1R_Sse3),           \
    Own(DISPATCH_KAS::ippiScale_8u16s_C1R_Sse2), Own(DISPATCH_KAS::ippiScale_8u16s_C1R_Sse))       \
  W(Albasicdispatcher, ippiScale_8u32s_C1R, Own(DISPATCH_KAS::ippiScale_8u32s_C1R_Sse3),           \
    Own(DISPATCH_KAS::ippiScale_8u32s_C1R_Sse2), Own(DISPATCH_KAS::ippiScale_8u32s_C1R_Sse))       \
  W(Albasicdispatcher, ippiScale_16s8u_C1R, Own(DISPATCH_KAS::ippiScale_16s8u_C1R_Sse3),           \
    Own(DISPATCH_KAS::ippiScale_16s8u_C1R_Sse2), Own(DISPATCH_KAS::ippiScale_16s8u_C1R_Sse))       \
  W(Albasicdispatcher, ippiScale_32s8u_C1R, Own(DISPATCH_KAS::ippiScale_32s8u_C1R_Sse3),           \
    Own(DISPATCH_KAS::ippiScale_32s8u_C1R_Sse2), Own(DISPATCH_KAS::ippiScale_32s8u_C1R_Sse))       \
  W(Vizazodizaro, ippsAdd_16s_I, Own(DISPATCH_KAF::ippsAdd_16s_I_Sse3),                            \
    Own(DISPATCH_KAF::ippsAdd_16s_I_Sse2), Own(DISPATCH_KAF::ippsAdd_16s_I_Sse))                   \
  W(Vizazodizaro, ippsConjCcs_64fc_I, Own(DISPATCH_KAF::ippsConjCcs_64fc_I_Sse3),                  \
    Own(DISPATCH_KAF::ippsConjCcs_64fc_I_Sse2), Own(DISPATCH_KAF::ippsConjCcs_64fc_I_Sse))         \
  W(Vizazodizaro, ippsMagnitude_64fc, Own(DISPATCH_KAF::ippsMagnitude_64fc_Sse3),                  \
    Own(DISPATCH_KAF::ippsMagnitude_64fc_Sse2), Own(DISPATCH_KAF::ippsMagnitude_64fc_Sse))         \
  W(Vizazodizaro, ippsSub_32f_I, Own(DISPATCH_KAF::ippsSub_32f_I_Sse3),                            \
    Own(DISPATCH_KAF::ippsSub_32f_I_Sse2), Own(DISPATCH_KAF::ippsSub_32f_I_Sse))                   \
  W(Vizazodizaro, ippsSum_32f, Own(DISPATCH_KAF::ippsSum_32f_Sse3),                                \
    Own(DISPATCH_KAF::ippsSum_32f_Sse2), Own(DISPATCH_KAF::ippsSum_32f_Sse))                       \
  W(Vizazodizaro, ippsSqr_32f_I, Own(DISPATCH_KAF::ippsSqr_32f_I_Sse3),                            \
    Own(DISPATCH_KAF::ippsSqr_32f_I_Sse2), Own(DISPATCH_KAF::ippsSqr_32f_I_Sse))                   \
  W(Vizazodizaro, ippiConvert_16s32f_C1R, Own(DISPATCH_KAF::ippiConvert_16s32f_C1R_Sse3),          \
    Own(DISPATCH_KAF::ippiConvert_16s32f_C1R_Sse2), Own(DISPATCH_KAF::ippiConvert_16s32f_C1R_Sse)) \
  W(Vizazodizaro, ippiConvert_8s32f_C1R, Own(DISPATCH_KAF::ippiConvert_8s32f_C1R_Sse3),            \
    Own(DISPATCH_KAF::ippiConvert_8s32f_C1R_Sse2), Own(DISPATCH_KAF::ippiConvert_8s32f_C1R_Sse))   \
  W(Vizazodizaro, ippiConvert_32f16s_C1R, Own(DISPATCH_KAF::ippiConvert_32f16s_C1R_Sse3),          \
    Own(DISPATCH_KAF::ippiConvert_32f16s_C1R_Sse2), Own(DISPATCH_KAF::ippiConvert_32f16s_C1R_Sse)) \
  W(Vizazodizaro, ippiConvert_32f8s_C1R, Own(DISPATCH_KAF::ippiConvert_32f8s_C1R_Sse3),            \
    Own(DISPATCH_KAF::ippiConvert_32f8s_C1R_Sse2), Own(DISPATCH_KAF::ippiConvert_32f8s_C1R_Sse))   \
  W(Vizazodizaro, ippsThreshold_LTValGTVal_16s_I,                                                  \
    Own(DISPATCH_KAF::ippsThreshold_LTValGTVal_16s_I_Sse3),                                        \
    Own(DISPATCH_KAF::ippsThreshold_LTValGTVal_16s_I_Sse2), GenericByDesign)                       \
  W(Vizazodizaro, ippsMulC_32f, Own(DISPATCH_KAF::ippsMulC_32f_Sse3),                              \
    Own(DISPATCH_KAF::ippsMulC_32f_Sse2), Own(DISPATCH_KAF::ippsMulC_32f_Sse))                     \
  W(Vizazodizaro, ippsMulC_32f_I, Own(DISPATCH_KAF::ippsMulC_32f_I_Sse3),                          \
    Own(DISPATCH_KAF::ippsMulC_32f_I_Sse2), Own(DISPATCH_KAF::ippsMulC_32f_I_Sse))                 \
  W(Vizazodizaro, ippsDivC_32f_I, Own(DISPATCH_KAF::ippsDivC_32f_I_Sse3),                          \
    Own(DISPATCH_KAF::ippsDivC_32f_I_Sse2), Own(DISPATCH_KAF::ippsDivC_32f_I_Sse))                 \
  W(Vizazodizaro, ippsIIRInitAlloc_32f, Own(DISPATCH_KAF::ippsIIRInitAlloc_32f_Sse3),              \
    Own(DISPATCH_KAF::ippsIIRInitAlloc_32f_Sse2), Own(DISPATCH_KAF::ippsIIRInitAlloc_32f_Sse))     \
  W(Vizazodizaro, ippsIIRFree_32f, Own(DISPATCH_KAF::ippsIIRFree_32f_Sse3),                        \
    Own(DISPATCH_KAF::ippsIIRFree_32f_Sse2), Own(DISPATCH_KAF::ippsIIRFree_32f_Sse))               \
  W(Vizazodizaro, ippsIIR_32f, Own(DISPATCH_KAF::ippsIIR_32f_Sse3), GenericByDesign,               \
    Own(DISPATCH_KAF::ippsIIR_32f_Sse))                                                            \
  W(Vizazodizaro, ippsIIR_32f_I, Own(DISPATCH_KAF::ippsIIR_32f_I_Sse3), GenericByDesign,           \
    Own(DISPATCH_KAF::ippsIIR_32f_I_Sse))                                                          \
  W(Vizazodizaro, ippsFIROne_64f, Own(DISPATCH_KAF::ippsFIROne_64f_Sse3),                          \
    Own(DISPATCH_KAF::ippsFIROne_64f_Sse2), GenericByDesign)                                       \
  W(Vizazodizaro, ippsRandGauss_Direct_16s, GenericByDesign, GenericByDesign, GenericByDesign)     \
  W(Vizazodizaro, ippsRandUniform_Direct_16s, Own(DISPATCH_KAF::ippsRandUniform_Direct_16s_Sse3),  \
    Own(DISPATCH_KAF::ippsRandUniform_Direct_16s_Sse2), GenericByDesign)                           \
  W(Vizazodizaro, ippsTriangle_Direct_16s, Own(DISPATCH_KAF::ippsTriangle_Direct_16s_Sse3),        \
    Own(DISPATCH_KAF::ippsTriangle_Direct_16s_Sse2), GenericByDesign)                              \
  W(Vizazodizaro, ippsTone_Direct_16s, Own(DISPATCH_KAF::ippsTone_Direct_16s_Sse3),                \
    Own(DISPATCH_KAF::ippsTone_Direct_16s_Sse2), Own(DISPATCH_KAF::ippsTone_Direct_16s_Sse))
