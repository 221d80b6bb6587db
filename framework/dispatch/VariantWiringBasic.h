// The wiring rows of the kernels in kernels/basic (see DISPATCH_VARIANT_WIRING).
//
// Generic by design beyond code 5's x87 loops: the Jaehne signal (an x87 loop in every
// class), the Hann and Hamming windows of codes 16-17 (x87 recurrences there), the
// out-of-place Bartlett window of codes 16-17.
#pragma once

#include "kernels/basic/BasicKernels.h"

#define DISPATCH_KB ::kernels::basic
#define DISPATCH_WIRING_BASIC(W)                                                                   \
  W(Slbasicdispatcher, ippsSet_8u, Own(&DISPATCH_KB::sse2::ippsSet_8u),                            \
    Own(&DISPATCH_KB::sse2::ippsSet_8u), Own(&DISPATCH_KB::sse::ippsSet_8u))                       \
  W(Slbasicdispatcher, ippsSet_32s, Own(&DISPATCH_KB::sse2::ippsSet_32s),                          \
    Own(&DISPATCH_KB::sse2::ippsSet_32s), Own(&DISPATCH_KB::sse::ippsSet_32s))                     \
  W(Slbasicdispatcher, ippsSet_64f, Own(&DISPATCH_KB::sse2::ippsSet_64f),                          \
    Own(&DISPATCH_KB::sse2::ippsSet_64f), Own(&DISPATCH_KB::sse::ippsSet_64f))                     \
  W(Slbasicdispatcher, ippsSet_64fc, Own(&DISPATCH_KB::sse2::ippsSet_64fc),                        \
    Own(&DISPATCH_KB::sse2::ippsSet_64fc), Own(&DISPATCH_KB::sse::ippsSet_64fc))                   \
  W(Slbasicdispatcher, ippsZero_8u, Own(&DISPATCH_KB::sse2::ippsZero_8u),                          \
    Own(&DISPATCH_KB::sse2::ippsZero_8u), Own(&DISPATCH_KB::sse::ippsZero_8u))                     \
  W(Slbasicdispatcher, ippsZero_16s, Own(&DISPATCH_KB::sse2::ippsZero_16s),                        \
    Own(&DISPATCH_KB::sse2::ippsZero_16s), Own(&DISPATCH_KB::sse::ippsZero_16s))                   \
  W(Slbasicdispatcher, ippsZero_32s, Own(&DISPATCH_KB::sse2::ippsZero_32s),                        \
    Own(&DISPATCH_KB::sse2::ippsZero_32s), Own(&DISPATCH_KB::sse::ippsZero_32s))                   \
  W(Slbasicdispatcher, ippsZero_64f, Own(&DISPATCH_KB::sse2::ippsZero_64f),                        \
    Own(&DISPATCH_KB::sse2::ippsZero_64f), Own(&DISPATCH_KB::sse::ippsZero_64f))                   \
  W(Slbasicdispatcher, ippsZero_64fc, Own(&DISPATCH_KB::sse2::ippsZero_64fc),                      \
    Own(&DISPATCH_KB::sse2::ippsZero_64fc), Own(&DISPATCH_KB::sse::ippsZero_64fc))                 \
  W(Slbasicdispatcher, ippsCopy_8u, Own(&DISPATCH_KB::sse3::ippsCopy_8u),                          \
    Own(&DISPATCH_KB::sse2::ippsCopy_8u), Own(&DISPATCH_KB::sse::ippsCopy_8u))                     \
  W(Slbasicdispatcher, ippsCopy_64f, Own(&DISPATCH_KB::sse3::ippsCopy_64f),                        \
    Own(&DISPATCH_KB::sse2::ippsCopy_64f), Own(&DISPATCH_KB::sse::ippsCopy_64f))                   \
  W(Slbasicdispatcher, ippsMove_64f, Own(&DISPATCH_KB::sse2::ippsMove_64f),                        \
    Own(&DISPATCH_KB::sse2::ippsMove_64f), Own(&DISPATCH_KB::sse::ippsMove_64f))                   \
  W(Slbasicdispatcher, ippsConvert_32f64f, Own(&DISPATCH_KB::sse2::ippsConvert_32f64f),            \
    Own(&DISPATCH_KB::sse2::ippsConvert_32f64f), GenericByDesign)                                  \
  W(Slbasicdispatcher, ippsConvert_32s64f, Own(&DISPATCH_KB::sse2::ippsConvert_32s64f),            \
    Own(&DISPATCH_KB::sse2::ippsConvert_32s64f), GenericByDesign)                                  \
  W(Slbasicdispatcher, ippsConvert_64f32f, Own(&DISPATCH_KB::sse2::ippsConvert_64f32f),            \
    Own(&DISPATCH_KB::sse2::ippsConvert_64f32f), GenericByDesign)                                  \
  W(Slbasicdispatcher, ippsConvert_64f32s_Sfs, Own(&DISPATCH_KB::sse2::ippsConvert_64f32s_Sfs),    \
    Own(&DISPATCH_KB::sse2::ippsConvert_64f32s_Sfs), GenericByDesign)                              \
  W(Slscopedispatcher, ippsConvert_64f32f, Own(&DISPATCH_KB::sse2::scope::ippsConvert_64f32f),     \
    GenericByDesign, GenericByDesign)                                                              \
  W(Slscopedispatcher, ippsConvert_64f32s_Sfs,                                                     \
    Own(&DISPATCH_KB::sse2::scope::ippsConvert_64f32s_Sfs),                                        \
    Own(&DISPATCH_KB::sse2::scope::ippsConvert_64f32s_Sfs), GenericByDesign)                       \
  W(Slscopedispatcher, ippsConvert_32f32s_Sfs,                                                     \
    Own(&DISPATCH_KB::sse2::scope::ippsConvert_32f32s_Sfs),                                        \
    Own(&DISPATCH_KB::sse2::scope::ippsConvert_32f32s_Sfs),                                        \
    Own(&DISPATCH_KB::sse2::scope::ippsConvert_32f32s_Sfs))                                        \
  W(Slbasicdispatcher, ippsAddC_64f, Own(&DISPATCH_KB::sse2::ippsAddC_64f),                        \
    Own(&DISPATCH_KB::sse2::ippsAddC_64f), GenericByDesign)                                        \
  W(Slbasicdispatcher, ippsSubC_64f, Own(&DISPATCH_KB::sse3::ippsSubC_64f),                        \
    Own(&DISPATCH_KB::sse2::ippsSubC_64f), GenericByDesign)                                        \
  W(Slbasicdispatcher, ippsSubCRev_64f, Own(&DISPATCH_KB::sse3::ippsSubCRev_64f),                  \
    Own(&DISPATCH_KB::sse2::ippsSubCRev_64f), GenericByDesign)                                     \
  W(Slbasicdispatcher, ippsMulC_64f, Own(&DISPATCH_KB::sse2::ippsMulC_64f),                        \
    Own(&DISPATCH_KB::sse2::ippsMulC_64f), GenericByDesign)                                        \
  W(Slbasicdispatcher, ippsDivC_64f, Own(&DISPATCH_KB::sse2::ippsDivC_64f),                        \
    Own(&DISPATCH_KB::sse2::ippsDivC_64f), GenericByDesign)                                        \
  W(Slbasicdispatcher, ippsAddC_64f_I, Own(&DISPATCH_KB::sse3::ippsAddC_64f_I),                    \
    Own(&DISPATCH_KB::sse2::ippsAddC_64f_I), GenericByDesign)                                      \
  W(Slbasicdispatcher, ippsSubC_64f_I, Own(&DISPATCH_KB::sse3::ippsSubC_64f_I),                    \
    Own(&DISPATCH_KB::sse2::ippsSubC_64f_I), GenericByDesign)                                      \
  W(Slbasicdispatcher, ippsMulC_64f_I, Own(&DISPATCH_KB::sse3::ippsMulC_64f_I),                    \
    Own(&DISPATCH_KB::sse2::ippsMulC_64f_I), GenericByDesign)                                      \
  W(Slbasicdispatcher, ippsDivC_64f_I, Own(&DISPATCH_KB::sse3::ippsDivC_64f_I),                    \
    Own(&DISPATCH_KB::sse2::ippsDivC_64f_I), GenericByDesign)                                      \
  W(Slbasicdispatcher, ippsAdd_64f, Own(&DISPATCH_KB::sse3::ippsAdd_64f),                          \
    Own(&DISPATCH_KB::sse2::ippsAdd_64f), GenericByDesign)                                         \
  W(Slbasicdispatcher, ippsAdd_64f_I, Own(&DISPATCH_KB::sse2::ippsAdd_64f_I),                      \
    Own(&DISPATCH_KB::sse2::ippsAdd_64f_I), GenericByDesign)                                       \
  W(Slbasicdispatcher, ippsSub_64f_I, Own(&DISPATCH_KB::sse2::ippsSub_64f_I),                      \
    Own(&DISPATCH_KB::sse2::ippsSub_64f_I), GenericByDesign)                                       \
  W(Slbasicdispatcher, ippsMul_64f_I, Own(&DISPATCH_KB::sse2::ippsMul_64f_I),                      \
    Own(&DISPATCH_KB::sse2::ippsMul_64f_I), GenericByDesign)                                       \
  W(Slbasicdispatcher, ippsMul_64fc_I, Own(&DISPATCH_KB::sse3::ippsMul_64fc_I),                    \
    Own(&DISPATCH_KB::sse2::ippsMul_64fc_I), GenericByDesign)                                      \
  W(Slbasicdispatcher, ippsDiv_64f_I, Own(&DISPATCH_KB::sse2::ippsDiv_64f_I),                      \
    Own(&DISPATCH_KB::sse2::ippsDiv_64f_I), GenericByDesign)                                       \
  W(Slbasicdispatcher, ippsDiv_64fc_I, Own(&DISPATCH_KB::sse2::ippsDiv_64fc_I),                    \
    Own(&DISPATCH_KB::sse2::ippsDiv_64fc_I), GenericByDesign)                                      \
  W(Slbasicdispatcher, ippsAdd_64fc, Own(&DISPATCH_KB::sse3::ippsAdd_64fc),                        \
    Own(&DISPATCH_KB::sse2::ippsAdd_64fc), GenericByDesign)                                        \
  W(Slbasicdispatcher, ippsAdd_64fc_I, Own(&DISPATCH_KB::sse2::ippsAdd_64fc_I),                    \
    Own(&DISPATCH_KB::sse2::ippsAdd_64fc_I), GenericByDesign)                                      \
  W(Slbasicdispatcher, ippsSub_64fc_I, Own(&DISPATCH_KB::sse2::ippsSub_64fc_I),                    \
    Own(&DISPATCH_KB::sse2::ippsSub_64fc_I), GenericByDesign)                                      \
  W(Slbasicdispatcher, ippsAddC_64fc, Own(&DISPATCH_KB::sse3::ippsAddC_64fc),                      \
    Own(&DISPATCH_KB::sse2::ippsAddC_64fc), GenericByDesign)                                       \
  W(Slbasicdispatcher, ippsSubC_64fc, Own(&DISPATCH_KB::sse3::ippsSubC_64fc),                      \
    Own(&DISPATCH_KB::sse2::ippsSubC_64fc), GenericByDesign)                                       \
  W(Slbasicdispatcher, ippsSubCRev_64fc, Own(&DISPATCH_KB::sse3::ippsSubCRev_64fc),                \
    Own(&DISPATCH_KB::sse2::ippsSubCRev_64fc), GenericByDesign)                                    \
  W(Slbasicdispatcher, ippsDivC_64fc, Own(&DISPATCH_KB::sse3::ippsDivC_64fc),                      \
    Own(&DISPATCH_KB::sse2::ippsDivC_64fc), GenericByDesign)                                       \
  W(Slbasicdispatcher, ippsMulC_64fc, GenericByDesign, Own(&DISPATCH_KB::sse2::ippsMulC_64fc),     \
    GenericByDesign)                                                                               \
  W(Slbasicdispatcher, ippsMax_64f, Own(&DISPATCH_KB::sse2::ippsMax_64f),                          \
    Own(&DISPATCH_KB::sse2::ippsMax_64f), Own(&DISPATCH_KB::sse2::ippsMax_64f))                    \
  W(Slbasicdispatcher, ippsMin_64f, Own(&DISPATCH_KB::sse2::ippsMin_64f),                          \
    Own(&DISPATCH_KB::sse2::ippsMin_64f), Own(&DISPATCH_KB::sse2::ippsMin_64f))                    \
  W(Slbasicdispatcher, ippsSum_64f, Own(&DISPATCH_KB::sse2::ippsSum_64f),                          \
    Own(&DISPATCH_KB::sse2::ippsSum_64f), GenericByDesign)                                         \
  W(Slbasicdispatcher, ippsVectorJaehne_64f, GenericByDesign, GenericByDesign, GenericByDesign)    \
  W(Slbasicdispatcher, ippsAndC_32u, Own(&DISPATCH_KB::sse2::ippsAndC_32u),                        \
    Own(&DISPATCH_KB::sse2::ippsAndC_32u), Own(&DISPATCH_KB::sse2::ippsAndC_32u))                  \
  W(Slbasicdispatcher, ippsOrC_32u, Own(&DISPATCH_KB::sse2::ippsOrC_32u),                          \
    Own(&DISPATCH_KB::sse2::ippsOrC_32u), Own(&DISPATCH_KB::sse2::ippsOrC_32u))                    \
  W(Slbasicdispatcher, ippsXorC_32u, Own(&DISPATCH_KB::sse2::ippsXorC_32u),                        \
    Own(&DISPATCH_KB::sse2::ippsXorC_32u), Own(&DISPATCH_KB::sse2::ippsXorC_32u))                  \
  W(Slbasicdispatcher, ippsLShiftC_32s, Own(&DISPATCH_KB::sse2::ippsLShiftC_32s),                  \
    Own(&DISPATCH_KB::sse2::ippsLShiftC_32s), Own(&DISPATCH_KB::sse2::ippsLShiftC_32s))            \
  W(Slbasicdispatcher, ippsRShiftC_32s, Own(&DISPATCH_KB::sse2::ippsRShiftC_32s),                  \
    Own(&DISPATCH_KB::sse2::ippsRShiftC_32s), Own(&DISPATCH_KB::sse2::ippsRShiftC_32s))            \
  W(Slbasicdispatcher, ippsAddC_32s_Sfs, Own(&DISPATCH_KB::sse2::ippsAddC_32s_Sfs),                \
    Own(&DISPATCH_KB::sse2::ippsAddC_32s_Sfs), GenericByDesign)                                    \
  W(Slbasicdispatcher, ippsSubC_32s_Sfs, Own(&DISPATCH_KB::sse2::ippsSubC_32s_Sfs),                \
    Own(&DISPATCH_KB::sse2::ippsSubC_32s_Sfs), GenericByDesign)                                    \
  W(Slbasicdispatcher, ippsSubCRev_32s_Sfs, Own(&DISPATCH_KB::sse2::ippsSubCRev_32s_Sfs),          \
    Own(&DISPATCH_KB::sse2::ippsSubCRev_32s_Sfs), GenericByDesign)                                 \
  W(Slbasicdispatcher, ippsMulC_32s_Sfs, Own(&DISPATCH_KB::sse2::ippsMulC_32s_Sfs),                \
    Own(&DISPATCH_KB::sse2::ippsMulC_32s_Sfs), GenericByDesign)                                    \
  W(Slbasicdispatcher, ippsAdd_32s_ISfs, Own(&DISPATCH_KB::sse2::ippsAdd_32s_ISfs),                \
    Own(&DISPATCH_KB::sse2::ippsAdd_32s_ISfs), GenericByDesign)                                    \
  W(Slbasicdispatcher, ippsSub_32s_ISfs, Own(&DISPATCH_KB::sse2::ippsSub_32s_ISfs),                \
    Own(&DISPATCH_KB::sse2::ippsSub_32s_ISfs), GenericByDesign)                                    \
  W(Slbasicdispatcher, ippsMul_32s_ISfs, Own(&DISPATCH_KB::sse2::ippsMul_32s_ISfs),                \
    Own(&DISPATCH_KB::sse2::ippsMul_32s_ISfs), GenericByDesign)                                    \
  W(Slbasicdispatcher, ippsDiv_32s_ISfs, Own(&DISPATCH_KB::sse2::ippsDiv_32s_ISfs),                \
    Own(&DISPATCH_KB::sse2::ippsDiv_32s_ISfs), GenericByDesign)                                    \
  W(Slbasicdispatcher, ippsAdd_8u_ISfs, Own(&DISPATCH_KB::sse2::ippsAdd_8u_ISfs),                  \
    Own(&DISPATCH_KB::sse2::ippsAdd_8u_ISfs), Own(&DISPATCH_KB::sse2::ippsAdd_8u_ISfs))            \
  W(Slbasicdispatcher, ippsSub_8u_ISfs, Own(&DISPATCH_KB::sse2::ippsSub_8u_ISfs),                  \
    Own(&DISPATCH_KB::sse2::ippsSub_8u_ISfs), Own(&DISPATCH_KB::sse2::ippsSub_8u_ISfs))            \
  W(Slbasicdispatcher, ippsMul_8u_ISfs, Own(&DISPATCH_KB::sse2::ippsMul_8u_ISfs),                  \
    Own(&DISPATCH_KB::sse2::ippsMul_8u_ISfs), Own(&DISPATCH_KB::sse2::ippsMul_8u_ISfs))            \
  W(Slbasicdispatcher, ippsWinBartlett_64f_I, Own(&DISPATCH_KB::sse2::ippsWinBartlett_64f_I),      \
    Own(&DISPATCH_KB::sse2::ippsWinBartlett_64f_I), GenericByDesign)                               \
  W(Slbasicdispatcher, ippsWinBartlett_64f, GenericByDesign,                                       \
    Own(&DISPATCH_KB::sse2::ippsWinBartlett_64f), GenericByDesign)                                 \
  W(Slbasicdispatcher, ippsWinHann_64f_I, GenericByDesign,                                         \
    Own(&DISPATCH_KB::sse2::ippsWinHann_64f_I), GenericByDesign)                                   \
  W(Slbasicdispatcher, ippsWinHann_64f, GenericByDesign, Own(&DISPATCH_KB::sse2::ippsWinHann_64f), \
    GenericByDesign)                                                                               \
  W(Slbasicdispatcher, ippsWinHamming_64f_I, GenericByDesign,                                      \
    Own(&DISPATCH_KB::sse2::ippsWinHamming_64f_I), GenericByDesign)                                \
  W(Slbasicdispatcher, ippsWinHamming_64f, GenericByDesign,                                        \
    Own(&DISPATCH_KB::sse2::ippsWinHamming_64f), GenericByDesign)                                  \
  W(Slbasicdispatcher, ippsWinBlackman_64f_I, Own(&DISPATCH_KB::sse2::ippsWinBlackman_64f_I),      \
    Own(&DISPATCH_KB::sse2::ippsWinBlackman_64f_I), GenericByDesign)                               \
  W(Slbasicdispatcher, ippsWinBlackman_64f, Own(&DISPATCH_KB::sse2::ippsWinBlackman_64f),          \
    Own(&DISPATCH_KB::sse2::ippsWinBlackman_64f), GenericByDesign)                                 \
  W(Slbasicdispatcher, ippsWinKaiser_64f_I, Own(&DISPATCH_KB::sse2::ippsWinKaiser_64f_I),          \
    Own(&DISPATCH_KB::sse2::ippsWinKaiser_64f_I), GenericByDesign)                                 \
  W(Slbasicdispatcher, ippsWinKaiser_64f, Own(&DISPATCH_KB::sse2::ippsWinKaiser_64f),              \
    Own(&DISPATCH_KB::sse2::ippsWinKaiser_64f), GenericByDesign)                                   \
  W(Slbasicdispatcher, ippiMirror_8u_C3IR, Own(&DISPATCH_KB::sse2::ippiMirror_8u_C3IR),            \
    Own(&DISPATCH_KB::sse2::ippiMirror_8u_C3IR), Own(&DISPATCH_KB::sse2::ippiMirror_8u_C3IR))      \
  W(Slscopedispatcher, ippiSet_8u_C4R, Own(&DISPATCH_KB::sse2::scope::ippiSet_8u_C4R),             \
    Own(&DISPATCH_KB::sse2::scope::ippiSet_8u_C4R), Own(&DISPATCH_KB::sse::scope::ippiSet_8u_C4R)) \
  W(Slscopedispatcher, ippsMove_8u, Own(&DISPATCH_KB::sse2::scope::ippsMove_8u),                   \
    Own(&DISPATCH_KB::sse2::scope::ippsMove_8u), Own(&DISPATCH_KB::sse::scope::ippsMove_8u))       \
  W(Slscopedispatcher, ippsMulC_64f, Own(&DISPATCH_KB::sse2::scope::ippsMulC_64f),                 \
    Own(&DISPATCH_KB::sse2::scope::ippsMulC_64f), GenericByDesign)                                 \
  W(Slscopedispatcher, ippsAddC_32s_ISfs, Own(&DISPATCH_KB::sse2::scope::ippsAddC_32s_ISfs),       \
    GenericByDesign, GenericByDesign)                                                              \
  W(Slscopedispatcher, ippsSubCRev_32s_ISfs, Own(&DISPATCH_KB::sse2::scope::ippsSubCRev_32s_ISfs), \
    GenericByDesign, GenericByDesign)
