// The wiring rows of kernels/audio-sample and kernels/audio-filter (see DISPATCH_VARIANT_WIRING).
// Every class of the audio sample operations runs the same 16-byte register kernel; the
// operations whose scheme gives codes 16-17 the generic variant have no entry there.
#pragma once

#include "kernels/audio-sample/AudioSampleKernels.h"

#define DISPATCH_KAS ::kernels::audio_sample::sse2
#define DISPATCH_WIRING_AUDIO(W)                                                                   \
  W(Albasicdispatcher, ippiAdd_8u_C1IRSfs, Own(&DISPATCH_KAS::ippiAdd_8u_C1IRSfs),                 \
    Own(&DISPATCH_KAS::ippiAdd_8u_C1IRSfs), Own(&DISPATCH_KAS::ippiAdd_8u_C1IRSfs))                \
  W(Albasicdispatcher, ippiAdd_16s_C1IRSfs, Own(&DISPATCH_KAS::ippiAdd_16s_C1IRSfs),               \
    Own(&DISPATCH_KAS::ippiAdd_16s_C1IRSfs), Own(&DISPATCH_KAS::ippiAdd_16s_C1IRSfs))              \
  W(Albasicdispatcher, ippiSub_8u_C1IRSfs, Own(&DISPATCH_KAS::ippiSub_8u_C1IRSfs),                 \
    Own(&DISPATCH_KAS::ippiSub_8u_C1IRSfs), Own(&DISPATCH_KAS::ippiSub_8u_C1IRSfs))                \
  W(Albasicdispatcher, ippiSub_16s_C1IRSfs, Own(&DISPATCH_KAS::ippiSub_16s_C1IRSfs),               \
    Own(&DISPATCH_KAS::ippiSub_16s_C1IRSfs), Own(&DISPATCH_KAS::ippiSub_16s_C1IRSfs))              \
  W(Albasicdispatcher, ippiMul_8u_C1IRSfs, Own(&DISPATCH_KAS::ippiMul_8u_C1IRSfs),                 \
    Own(&DISPATCH_KAS::ippiMul_8u_C1IRSfs), Own(&DISPATCH_KAS::ippiMul_8u_C1IRSfs))                \
  W(Albasicdispatcher, ippiMul_16s_C1IRSfs, Own(&DISPATCH_KAS::ippiMul_16s_C1IRSfs),               \
    Own(&DISPATCH_KAS::ippiMul_16s_C1IRSfs), Own(&DISPATCH_KAS::ippiMul_16s_C1IRSfs))              \
  W(Albasicdispatcher, ippiDiv_8u_C1IRSfs, Own(&DISPATCH_KAS::ippiDiv_8u_C1IRSfs),                 \
    Own(&DISPATCH_KAS::ippiDiv_8u_C1IRSfs), Own(&DISPATCH_KAS::ippiDiv_8u_C1IRSfs))                \
  W(Albasicdispatcher, ippiDiv_16s_C1IRSfs, Own(&DISPATCH_KAS::ippiDiv_16s_C1IRSfs),               \
    Own(&DISPATCH_KAS::ippiDiv_16s_C1IRSfs), Own(&DISPATCH_KAS::ippiDiv_16s_C1IRSfs))              \
  W(Albasicdispatcher, ippsDivC_16s_ISfs, Own(&DISPATCH_KAS::ippsDivC_16s_ISfs),                   \
    Own(&DISPATCH_KAS::ippsDivC_16s_ISfs), Own(&DISPATCH_KAS::ippsDivC_16s_ISfs))                  \
  W(Albasicdispatcher, ippsSet_16s, Own(&DISPATCH_KAS::ippsSet_16s),                               \
    Own(&DISPATCH_KAS::ippsSet_16s), Own(&DISPATCH_KAS::ippsSet_16s))                              \
  W(Albasicdispatcher, ippsConvert_8s16s, Own(&DISPATCH_KAS::ippsConvert_8s16s),                   \
    Own(&DISPATCH_KAS::ippsConvert_8s16s), Own(&DISPATCH_KAS::ippsConvert_8s16s))                  \
  W(Albasicdispatcher, ippiSet_8u_C1R, GenericByDesign, Own(&DISPATCH_KAS::ippiSet_8u_C1R),        \
    Own(&DISPATCH_KAS::ippiSet_8u_C1R))                                                            \
  W(Albasicdispatcher, ippiSet_16s_C1R, GenericByDesign, Own(&DISPATCH_KAS::ippiSet_16s_C1R),      \
    Own(&DISPATCH_KAS::ippiSet_16s_C1R))                                                           \
  W(Albasicdispatcher, ippiSet_32s_C1R, GenericByDesign, Own(&DISPATCH_KAS::ippiSet_32s_C1R),      \
    Own(&DISPATCH_KAS::ippiSet_32s_C1R))                                                           \
  W(Albasicdispatcher, ippsAddC_8u_ISfs, GenericByDesign, Own(&DISPATCH_KAS::ippsAddC_8u_ISfs),    \
    Own(&DISPATCH_KAS::ippsAddC_8u_ISfs))                                                          \
  W(Albasicdispatcher, ippsAddC_16s_ISfs, GenericByDesign, Own(&DISPATCH_KAS::ippsAddC_16s_ISfs),  \
    Own(&DISPATCH_KAS::ippsAddC_16s_ISfs))                                                         \
  W(Albasicdispatcher, ippiAddC_8u_C1IRSfs, GenericByDesign,                                       \
    Own(&DISPATCH_KAS::ippiAddC_8u_C1IRSfs), Own(&DISPATCH_KAS::ippiAddC_8u_C1IRSfs))              \
  W(Albasicdispatcher, ippiAddC_16s_C1IRSfs, GenericByDesign,                                      \
    Own(&DISPATCH_KAS::ippiAddC_16s_C1IRSfs), Own(&DISPATCH_KAS::ippiAddC_16s_C1IRSfs))            \
  W(Albasicdispatcher, ippsSubC_8u_ISfs, GenericByDesign, Own(&DISPATCH_KAS::ippsSubC_8u_ISfs),    \
    Own(&DISPATCH_KAS::ippsSubC_8u_ISfs))                                                          \
  W(Albasicdispatcher, ippsSubC_16s_ISfs, GenericByDesign, Own(&DISPATCH_KAS::ippsSubC_16s_ISfs),  \
    Own(&DISPATCH_KAS::ippsSubC_16s_ISfs))                                                         \
  W(Albasicdispatcher, ippiSubC_8u_C1IRSfs, GenericByDesign,                                       \
    Own(&DISPATCH_KAS::ippiSubC_8u_C1IRSfs), Own(&DISPATCH_KAS::ippiSubC_8u_C1IRSfs))              \
  W(Albasicdispatcher, ippiSubC_16s_C1IRSfs, GenericByDesign,                                      \
    Own(&DISPATCH_KAS::ippiSubC_16s_C1IRSfs), Own(&DISPATCH_KAS::ippiSubC_16s_C1IRSfs))            \
  W(Albasicdispatcher, ippsMulC_8u_ISfs, GenericByDesign, Own(&DISPATCH_KAS::ippsMulC_8u_ISfs),    \
    Own(&DISPATCH_KAS::ippsMulC_8u_ISfs))                                                          \
  W(Albasicdispatcher, ippsMulC_16s_ISfs, GenericByDesign, Own(&DISPATCH_KAS::ippsMulC_16s_ISfs),  \
    Own(&DISPATCH_KAS::ippsMulC_16s_ISfs))                                                         \
  W(Albasicdispatcher, ippiMulC_8u_C1IRSfs, GenericByDesign,                                       \
    Own(&DISPATCH_KAS::ippiMulC_8u_C1IRSfs), Own(&DISPATCH_KAS::ippiMulC_8u_C1IRSfs))              \
  W(Albasicdispatcher, ippiMulC_16s_C1IRSfs, GenericByDesign,                                      \
    Own(&DISPATCH_KAS::ippiMulC_16s_C1IRSfs), Own(&DISPATCH_KAS::ippiMulC_16s_C1IRSfs))            \
  W(Albasicdispatcher, ippiDivC_8u_C1IRSfs, GenericByDesign,                                       \
    Own(&DISPATCH_KAS::ippiDivC_8u_C1IRSfs), Own(&DISPATCH_KAS::ippiDivC_8u_C1IRSfs))              \
  W(Albasicdispatcher, ippiDivC_16s_C1IRSfs, GenericByDesign,                                      \
    Own(&DISPATCH_KAS::ippiDivC_16s_C1IRSfs), Own(&DISPATCH_KAS::ippiDivC_16s_C1IRSfs))            \
  W(Albasicdispatcher, ippiCopy_8u_C1R, Own(&DISPATCH_KAS::ippiCopy_8u_C1R),                       \
    Own(&DISPATCH_KAS::ippiCopy_8u_C1R), Own(&DISPATCH_KAS::ippiCopy_8u_C1R))                      \
  W(Albasicdispatcher, ippiCopy_16s_C1R, Own(&DISPATCH_KAS::ippiCopy_16s_C1R),                     \
    Own(&DISPATCH_KAS::ippiCopy_16s_C1R), Own(&DISPATCH_KAS::ippiCopy_16s_C1R))                    \
  W(Albasicdispatcher, ippiCopy_32s_C1R, Own(&DISPATCH_KAS::ippiCopy_32s_C1R),                     \
    Own(&DISPATCH_KAS::ippiCopy_32s_C1R), Own(&DISPATCH_KAS::ippiCopy_32s_C1R))                    \
  W(Albasicdispatcher, ippiConvert_8u16u_C1R, Own(&DISPATCH_KAS::ippiConvert_8u16u_C1R),           \
    Own(&DISPATCH_KAS::ippiConvert_8u16u_C1R), Own(&DISPATCH_KAS::ippiConvert_8u16u_C1R))          \
  W(Albasicdispatcher, ippiConvert_8u32f_C1R, Own(&DISPATCH_KAS::ippiConvert_8u32f_C1R),           \
    Own(&DISPATCH_KAS::ippiConvert_8u32f_C1R), Own(&DISPATCH_KAS::ippiConvert_8u32f_C1R))          \
  W(Albasicdispatcher, ippiScale_8u16s_C1R, Own(&DISPATCH_KAS::ippiScale_8u16s_C1R),               \
    Own(&DISPATCH_KAS::ippiScale_8u16s_C1R), Own(&DISPATCH_KAS::ippiScale_8u16s_C1R))              \
  W(Albasicdispatcher, ippiScale_8u32s_C1R, Own(&DISPATCH_KAS::ippiScale_8u32s_C1R),               \
    Own(&DISPATCH_KAS::ippiScale_8u32s_C1R), Own(&DISPATCH_KAS::ippiScale_8u32s_C1R))              \
  W(Albasicdispatcher, ippiScale_16s8u_C1R, Own(&DISPATCH_KAS::ippiScale_16s8u_C1R),               \
    Own(&DISPATCH_KAS::ippiScale_16s8u_C1R), Own(&DISPATCH_KAS::ippiScale_16s8u_C1R))              \
  W(Albasicdispatcher, ippiScale_32s8u_C1R, Own(&DISPATCH_KAS::ippiScale_32s8u_C1R),               \
    Own(&DISPATCH_KAS::ippiScale_32s8u_C1R), Own(&DISPATCH_KAS::ippiScale_32s8u_C1R))
