// The wiring rows of the kernels in kernels/basic (see DISPATCH_VARIANT_WIRING).
// A row reads W(unit, operation, codes 16-17, codes 6-9, code 5): each class either runs its
// entry, named <operation>_Sse3, _Sse2 or _Sse (BasicKernels.h says which body serves it), or
// GenericByDesign; the scope unit's entries are in kernels::basic::scope.
//
// Generic by design beyond code 5's x87 loops: the Jaehne signal (an x87 loop in every
// class), the Hann and Hamming windows of codes 16-17 (x87 recurrences there), the
// out-of-place Bartlett window of codes 16-17.
#pragma once

#include "kernels/basic/BasicKernels.h"

#define DISPATCH_KB ::kernels::basic
#define DISPATCH_WIRING_BASIC(W)                                                                   \
  W(Slbasicdispatcher, ippsSet_8u, Own(DISPATCH_KB::ippsSet_8u_Sse3),                              \
    Own(DISPATCH_KB::ippsSet_8u_Sse2), Own(DISPATCH_KB::ippsSet_8u_Sse))                           \
  W(Slbasicdispatcher, ippsSet_32s, Own(DISPATCH_KB::ippsSet_32s_Sse3),                            \
    Own(DISPATCH_KB::ippsSet_32s_Sse2), Own(DISPATCH_KB::ippsSet_32s_Sse))                         \
  W(Slbasicdispatcher, ippsSet_64f, Own(DISPATCH_KB::ippsSet_64f_Sse3),                            \
    Own(DISPATCH_KB::ippsSet_64f_Sse2), Own(DISPATCH_KB::ippsSet_64f_Sse))                         \
  W(Slbasicdispatcher, ippsSet_64fc, Own(DISPATCH_KB::ippsSet_64fc_Sse3),                          \
    Own(DISPATCH_KB::ippsSet_64fc_Sse2), Own(DISPATCH_KB::ippsSet_64fc_Sse))                       \
  W(Slbasicdispatcher, ippsZero_8u, Own(DISPATCH_KB::ippsZero_8u_Sse3),                            \
    Own(DISPATCH_KB::ippsZero_8u_Sse2), Own(DISPATCH_KB::ippsZero_8u_Sse))                         \
  W(Slbasicdispatcher, ippsZero_16s, Own(DISPATCH_KB::ippsZero_16s_Sse3),                          \
    Own(DISPATCH_KB::ippsZero_16s_Sse2), Own(DISPATCH_KB::ippsZero_16s_Sse))                       \
  W(Slbasicdispatcher, ippsZero_32s, Own(DISPATCH_KB::ippsZero_32s_Sse3),                          \
    Own(DISPATCH_KB::ippsZero_32s_Sse2), Own(DISPATCH_KB::ippsZero_32s_Sse))                       \
  W(Slbasicdispatcher, ippsZero_64f, Own(DISPATCH_KB::ippsZero_64f_Sse3),                          \
    Own(DISPATCH_KB::ippsZero_64f_Sse2), Own(DISPATCH_KB::ippsZero_64f_Sse))                       \
  W(Slbasicdispatcher, ippsZero_64fc, Own(DISPATCH_KB::ippsZero_64fc_Sse3),                        \
    Own(DISPATCH_KB::ippsZero_64fc_Sse2), Own(DISPATCH_KB::ippsZero_64fc_Sse))                     \
  W(Slbasicdispatcher, ippsCopy_8u, Own(DISPATCH_KB::ippsCopy_8u_Sse3),                            \
    Own(DISPATCH_KB::ippsCopy_8u_Sse2), Own(DISPATCH_KB::ippsCopy_8u_Sse))                         \
  W(Slbasicdispatcher, ippsCopy_64f, Own(DISPATCH_KB::ippsCopy_64f_Sse3),                          \
    Own(DISPATCH_KB::ippsCopy_64f_Sse2), Own(DISPATCH_KB::ippsCopy_64f_Sse))                       \
  W(Slbasicdispatcher, ippsMove_64f, Own(DISPATCH_KB::ippsMove_64f_Sse3),                          \
    Own(DISPATCH_KB::ippsMove_64f_Sse2), Own(DISPATCH_KB::ippsMove_64f_Sse))                       \
  W(Slbasicdispatcher, ippsConvert_32f64f, Own(DISPATCH_KB::ippsConvert_32f64f_Sse3),              \
    Own(DISPATCH_KB::ippsConvert_32f64f_Sse2), GenericByDesign)                                    \
  W(Slbasicdispatcher, ippsConvert_32s64f, Own(DISPATCH_KB::ippsConvert_32s64f_Sse3),              \
    Own(DISPATCH_KB::ippsConvert_32s64f_Sse2), GenericByDesign)                                    \
  W(Slbasicdispatcher, ippsConvert_64f32f, Own(DISPATCH_KB::ippsConvert_64f32f_Sse3),              \
    Own(DISPATCH_KB::ippsConvert_64f32f_Sse2), GenericByDesign)                                    \
  W(Slbasicdispatcher, ippsConvert_64f32s_Sfs, Own(DISPATCH_KB::ippsConvert_64f32s_Sfs_Sse3),      \
    Own(DISPATCH_KB::ippsConvert_64f32s_Sfs_Sse2), GenericByDesign)                                \
  W(Slscopedispatcher, ippsConvert_64f32f, Own(DISPATCH_KB::scope::ippsConvert_64f32f_Sse3),       \
    GenericByDesign, GenericByDesign)                                                              \
  W(Slscopedispatcher, ippsConvert_64f32s_Sfs,                                                     \
    Own(DISPATCH_KB::scope::ippsConvert_64f32s_Sfs_Sse3),                                          \
    Own(DISPATCH_KB::scope::ippsConvert_64f32s_Sfs_Sse2), GenericByDesign)                         \
  W(Slscopedispatcher, ippsConvert_32f32s_Sfs,                                                     \
    Own(DISPATCH_KB::scope::ippsConvert_32f32s_Sfs_Sse3),                                          \
    Own(DISPATCH_KB::scope::ippsConvert_32f32s_Sfs_Sse2),                                          \
    Own(DISPATCH_KB::scope::ippsConvert_32f32s_Sfs_Sse))                                           \
  W(Slbasicdispatcher, ippsAddC_64f, Own(DISPATCH_KB::ippsAddC_64f_Sse3),                          \
    Own(DISPATCH_KB::ippsAddC_64f_Sse2), GenericByDesign)                                          \
  W(Slbasicdispatcher, ippsSubC_64f, Own(DISPATCH_KB::ippsSubC_64f_Sse3),                          \
    Own(DISPATCH_KB::ippsSubC_64f_Sse2), GenericByDesign)                                          \
  W(Slbasicdispatcher, ippsSubCRev_64f, Own(DISPATCH_KB::ippsSubCRev_64f_Sse3),                    \
    Own(DISPATCH_KB::ippsSubCRev_64f_Sse2), GenericByDesign)                                       \
  W(Slbasicdispatcher, ippsMulC_64f, Own(DISPATCH_KB::ippsMulC_64f_Sse3),                          \
    Own(DISPATCH_KB::ippsMulC_64f_Sse2), GenericByDesign)                                          \
  W(Slbasicdispatcher, ippsDivC_64f, Own(DISPATCH_KB::ippsDivC_64f_Sse3),                          \
    Own(DISPATCH_KB::ippsDivC_64f_Sse2), GenericByDesign)                                          \
  W(Slbasicdispatcher, ippsAddC_64f_I, Own(DISPATCH_KB::ippsAddC_64f_I_Sse3),                      \
    Own(DISPATCH_KB::ippsAddC_64f_I_Sse2), GenericByDesign)                                        \
  W(Slbasicdispatcher, ippsSubC_64f_I, Own(DISPATCH_KB::ippsSubC_64f_I_Sse3),                      \
    Own(DISPATCH_KB::ippsSubC_64f_I_Sse2), GenericByDesign)                                        \
  W(Slbasicdispatcher, ippsMulC_64f_I, Own(DISPATCH_KB::ippsMulC_64f_I_Sse3),                      \
    Own(DISPATCH_KB::ippsMulC_64f_I_Sse2), GenericByDesign)                                        \
  W(Slbasicdispatcher, ippsDivC_64f_I, Own(DISPATCH_KB::ippsDivC_64f_I_Sse3),                      \
    Own(DISPATCH_KB::ippsDivC_64f_I_Sse2), GenericByDesign)                                        \
  W(Slbasicdispatcher, ippsAdd_64f, Own(DISPATCH_KB::ippsAdd_64f_Sse3),                            \
    Own(DISPATCH_KB::ippsAdd_64f_Sse2), GenericByDesign)                                           \
  W(Slbasicdispatcher, ippsAdd_64f_I, Own(DISPATCH_KB::ippsAdd_64f_I_Sse3),                        \
    Own(DISPATCH_KB::ippsAdd_64f_I_Sse2), GenericByDesign)                                         \
  W(Slbasicdispatcher, ippsSub_64f_I, Own(DISPATCH_KB::ippsSub_64f_I_Sse3),                        \
    Own(DISPATCH_KB::ippsSub_64f_I_Sse2), GenericByDesign)                                         \
  W(Slbasicdispatcher, ippsMul_64f_I, Own(DISPATCH_KB::ippsMul_64f_I_Sse3),                        \
    Own(DISPATCH_KB::ippsMul_64f_I_Sse2), GenericByDesign)                                         \
  W(Slbasicdispatcher, ippsMul_64fc_I, Own(DISPATCH_KB::ippsMul_64fc_I_Sse3),                      \
    Own(DISPATCH_KB::ippsMul_64fc_I_Sse2), GenericByDesign)                                        \
  W(Slbasicdispatcher, ippsDiv_64f_I, Own(DISPATCH_KB::ippsDiv_64f_I_Sse3),                        \
    Own(DISPATCH_KB::ippsDiv_64f_I_Sse2), GenericByDesign)                                         \
  W(Slbasicdispatcher, ippsDiv_64fc_I, Own(DISPATCH_KB::ippsDiv_64fc_I_Sse3),                      \
    Own(DISPATCH_KB::ippsDiv_64fc_I_Sse2), GenericByDesign)                                        \
  W(Slbasicdispatcher, ippsAdd_64fc, Own(DISPATCH_KB::ippsAdd_64fc_Sse3),                          \
    Own(DISPATCH_KB::ippsAdd_64fc_Sse2), GenericByDesign)                                          \
  W(Slbasicdispatcher, ippsAdd_64fc_I, Own(DISPATCH_KB::ippsAdd_64fc_I_Sse3),                      \
    Own(DISPATCH_KB::ippsAdd_64fc_I_Sse2), GenericByDesign)                                        \
  W(Slbasicdispatcher, ippsSub_64fc_I, Own(DISPATCH_KB::ippsSub_64fc_I_Sse3),                      \
    Own(DISPATCH_KB::ippsSub_64fc_I_Sse2), GenericByDesign)                                        \
  W(Slbasicdispatcher, ippsAddC_64fc, Own(DISPATCH_KB::ippsAddC_64fc_Sse3),                        \
    Own(DISPATCH_KB::ippsAddC_64fc_Sse2), GenericByDesign)                                         \
  W(Slbasicdispatcher, ippsSubC_64fc, Own(DISPATCH_KB::ippsSubC_64fc_Sse3),                        \
    Own(DISPATCH_KB::ippsSubC_64fc_Sse2), GenericByDesign)                                         \
  W(Slbasicdispatcher, ippsSubCRev_64fc, Own(DISPATCH_KB::ippsSubCRev_64fc_Sse3),                  \
    Own(DISPATCH_KB::ippsSubCRev_64fc_Sse2), GenericByDesign)                                      \
  W(Slbasicdispatcher, ippsDivC_64fc, Own(DISPATCH_KB::ippsDivC_64fc_Sse3),                        \
    Own(DISPATCH_KB::ippsDivC_64fc_Sse2), GenericByDesign)                                         \
  W(Slbasicdispatcher, ippsMulC_64fc, GenericByDesign, Own(DISPATCH_KB::ippsMulC_64fc_Sse2),       \
    GenericByDesign)                                                                               \
  W(Slbasicdispatcher, ippsMax_64f, Own(DISPATCH_KB::ippsMax_64f_Sse3),                            \
    Own(DISPATCH_KB::ippsMax_64f_Sse2), Own(DISPATCH_KB::ippsMax_64f_Sse))                         \
  W(Slbasicdispatcher, ippsMin_64f, Own(DISPATCH_KB::ippsMin_64f_Sse3),                            \
    Own(DISPATCH_KB::ippsMin_64f_Sse2), Own(DISPATCH_KB::ippsMin_64f_Sse))                         \
  W(Slbasicdispatcher, ippsSum_64f, Own(DISPATCH_KB::ippsSum_64f_Sse3),                            \
    Own(DISPATCH_KB::ippsSum_64f_Sse2), GenericByDesign)                                           \
  W(Slbasicdispatcher, ippsVectorJaehne_64f, GenericByDesign, GenericByDesign, GenericByDesign)    \
  W(Slbasicdispatcher, ippsAndC_32u, Own(DISPATCH_KB::ippsAndC_32u_Sse3),                          \
    Own(DISPATCH_KB::ippsAndC_32u_Sse2), Own(DISPATCH_KB::ippsAndC_32u_Sse))                       \
  W(Slbasicdispatcher, ippsOrC_32u, Own(DISPATCH_KB::ippsOrC_32u_Sse3),                            \
    Own(DISPATCH_KB::ippsOrC_32u_Sse2), Own(DISPATCH_KB::ippsOrC_32u_Sse))                         \
  W(Slbasicdispatcher, ippsXorC_32u, Own(DISPATCH_KB::ippsXorC_32u_Sse3),                          \
    Own(DISPATCH_KB::ippsXorC_32u_Sse2), Own(DISPATCH_KB::ippsXorC_32u_Sse))                       \
  W(Slbasicdispatcher, ippsLShiftC_32s, Own(DISPATCH_KB::ippsLShiftC_32s_Sse3),                    \
    Own(DISPATCH_KB::ippsLShiftC_32s_Sse2), Own(DISPATCH_KB::ippsLShiftC_32s_Sse))                 \
  W(Slbasicdispatcher, ippsRShiftC_32s, Own(DISPATCH_KB::ippsRShiftC_32s_Sse3),                    \
    Own(DISPATCH_KB::ippsRShiftC_32s_Sse2), Own(DISPATCH_KB::ippsRShiftC_32s_Sse))                 \
  W(Slbasicdispatcher, ippsAddC_32s_Sfs, Own(DISPATCH_KB::ippsAddC_32s_Sfs_Sse3),                  \
    Own(DISPATCH_KB::ippsAddC_32s_Sfs_Sse2), GenericByDesign)                                      \
  W(Slbasicdispatcher, ippsSubC_32s_Sfs, Own(DISPATCH_KB::ippsSubC_32s_Sfs_Sse3),                  \
    Own(DISPATCH_KB::ippsSubC_32s_Sfs_Sse2), GenericByDesign)                                      \
  W(Slbasicdispatcher, ippsSubCRev_32s_Sfs, Own(DISPATCH_KB::ippsSubCRev_32s_Sfs_Sse3),            \
    Own(DISPATCH_KB::ippsSubCRev_32s_Sfs_Sse2), GenericByDesign)                                   \
  W(Slbasicdispatcher, ippsMulC_32s_Sfs, Own(DISPATCH_KB::ippsMulC_32s_Sfs_Sse3),                  \
    Own(DISPATCH_KB::ippsMulC_32s_Sfs_Sse2), GenericByDesign)                                      \
  W(Slbasicdispatcher, ippsAdd_32s_ISfs, Own(DISPATCH_KB::ippsAdd_32s_ISfs_Sse3),                  \
    Own(DISPATCH_KB::ippsAdd_32s_ISfs_Sse2), GenericByDesign)                                      \
  W(Slbasicdispatcher, ippsSub_32s_ISfs, Own(DISPATCH_KB::ippsSub_32s_ISfs_Sse3),                  \
    Own(DISPATCH_KB::ippsSub_32s_ISfs_Sse2), GenericByDesign)                                      \
  W(Slbasicdispatcher, ippsMul_32s_ISfs, Own(DISPATCH_KB::ippsMul_32s_ISfs_Sse3),                  \
    Own(DISPATCH_KB::ippsMul_32s_ISfs_Sse2), GenericByDesign)                                      \
  W(Slbasicdispatcher, ippsDiv_32s_ISfs, Own(DISPATCH_KB::ippsDiv_32s_ISfs_Sse3),                  \
    Own(DISPATCH_KB::ippsDiv_32s_ISfs_Sse2), GenericByDesign)                                      \
  W(Slbasicdispatcher, ippsAdd_8u_ISfs, Own(DISPATCH_KB::ippsAdd_8u_ISfs_Sse3),                    \
    Own(DISPATCH_KB::ippsAdd_8u_ISfs_Sse2), Own(DISPATCH_KB::ippsAdd_8u_ISfs_Sse))                 \
  W(Slbasicdispatcher, ippsSub_8u_ISfs, Own(DISPATCH_KB::ippsSub_8u_ISfs_Sse3),                    \
    Own(DISPATCH_KB::ippsSub_8u_ISfs_Sse2), Own(DISPATCH_KB::ippsSub_8u_ISfs_Sse))                 \
  W(Slbasicdispatcher, ippsMul_8u_ISfs, Own(DISPATCH_KB::ippsMul_8u_ISfs_Sse3),                    \
    Own(DISPATCH_KB::ippsMul_8u_ISfs_Sse2), Own(DISPATCH_KB::ippsMul_8u_ISfs_Sse))                 \
  W(Slbasicdispatcher, ippsWinBartlett_64f_I, Own(DISPATCH_KB::ippsWinBartlett_64f_I_Sse3),        \
    Own(DISPATCH_KB::ippsWinBartlett_64f_I_Sse2), GenericByDesign)                                 \
  W(Slbasicdispatcher, ippsWinBartlett_64f, GenericByDesign,                                       \
    Own(DISPATCH_KB::ippsWinBartlett_64f_Sse2), GenericByDesign)                                   \
  W(Slbasicdispatcher, ippsWinHann_64f_I, GenericByDesign,                                         \
    Own(DISPATCH_KB::ippsWinHann_64f_I_Sse2), GenericByDesign)                                     \
  W(Slbasicdispatcher, ippsWinHann_64f, GenericByDesign, Own(DISPATCH_KB::ippsWinHann_64f_Sse2),   \
    GenericByDesign)                                                                               \
  W(Slbasicdispatcher, ippsWinHamming_64f_I, GenericByDesign,                                      \
    Own(DISPATCH_KB::ippsWinHamming_64f_I_Sse2), GenericByDesign)                                  \
  W(Slbasicdispatcher, ippsWinHamming_64f, GenericByDesign,                                        \
    Own(DISPATCH_KB::ippsWinHamming_64f_Sse2), GenericByDesign)                                    \
  W(Slbasicdispatcher, ippsWinBlackman_64f_I, Own(DISPATCH_KB::ippsWinBlackman_64f_I_Sse3),        \
    Own(DISPATCH_KB::ippsWinBlackman_64f_I_Sse2), GenericByDesign)                                 \
  W(Slbasicdispatcher, ippsWinBlackman_64f, Own(DISPATCH_KB::ippsWinBlackman_64f_Sse3),            \
    Own(DISPATCH_KB::ippsWinBlackman_64f_Sse2), GenericByDesign)                                   \
  W(Slbasicdispatcher, ippsWinKaiser_64f_I, Own(DISPATCH_KB::ippsWinKaiser_64f_I_Sse3),            \
    Own(DISPATCH_KB::ippsWinKaiser_64f_I_Sse2), GenericByDesign)                                   \
  W(Slbasicdispatcher, ippsWinKaiser_64f, Own(DISPATCH_KB::ippsWinKaiser_64f_Sse3),                \
    Own(DISPATCH_KB::ippsWinKaiser_64f_Sse2), GenericByDesign)                                     \
  W(Slbasicdispatcher, ippiMirror_8u_C3IR, Own(DISPATCH_KB::ippiMirror_8u_C3IR_Sse3),              \
    Own(DISPATCH_KB::ippiMirror_8u_C3IR_Sse2), Own(DISPATCH_KB::ippiMirror_8u_C3IR_Sse))           \
  W(Slscopedispatcher, ippiSet_8u_C4R, Own(DISPATCH_KB::scope::ippiSet_8u_C4R_Sse3),               \
    Own(DISPATCH_KB::scope::ippiSet_8u_C4R_Sse2), Own(DISPATCH_KB::scope::ippiSet_8u_C4R_Sse))     \
  W(Slscopedispatcher, ippsMove_8u, Own(DISPATCH_KB::scope::ippsMove_8u_Sse3),                     \
    Own(DISPATCH_KB::scope::ippsMove_8u_Sse2), Own(DISPATCH_KB::scope::ippsMove_8u_Sse))           \
  W(Slscopedispatcher, ippsMulC_64f, Own(DISPATCH_KB::scope::ippsMulC_64f_Sse3),                   \
    Own(DISPATCH_KB::scope::ippsMulC_64f_Sse2), GenericByDesign)                                   \
  W(Slscopedispatcher, ippsAddC_32s_ISfs, Own(DISPATCH_KB::scope::ippsAddC_32s_ISfs_Sse3),         \
    GenericByDesign, GenericByDesign)                                                              \
  W(Slscopedispatcher, ippsSubCRev_32s_ISfs, Own(DISPATCH_KB::scope::ippsSubCRev_32s_ISfs_Sse3),   \
    GenericByDesign, GenericByDesign)
