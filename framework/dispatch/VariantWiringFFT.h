// The wiring rows of the processor members of the transforms (see DISPATCH_VARIANT_WIRING).
// A row reads W(unit, operation, codes 16-17, codes 6-9, code 5): each class runs its entry,
// named <operation>_Sse3, _Sse2 or _Sse; here each entry is the member function itself.
// The audio unit's double-precision real transform: SSE3 member for codes 16-17, SSE2
// member for codes 6-9, SSE member for code 5 (kernels/fft-audio). The FIR set-up and
// release of each code build and free the taps spectrum's record with that code's member.
#pragma once

#include "framework/dispatch/GenericFir.h"
#include "kernels/fft-audio/FFTAudio64.h"

#define DISPATCH_KFA ::kernels::fft_audio
#define DISPATCH_KFIR ::dispatch_filters
#define DISPATCH_WIRING_FFT(W)                                                                     \
  W(Vizazodizaro, ippsFFTFwd_RToCCS_64f, Own(DISPATCH_KFA::ippsFFTFwd_RToCCS_64f_Sse3),            \
    Own(DISPATCH_KFA::ippsFFTFwd_RToCCS_64f_Sse2), Own(DISPATCH_KFA::ippsFFTFwd_RToCCS_64f_Sse))   \
  W(Vizazodizaro, ippsFFTInitAlloc_R_64f, Own(DISPATCH_KFA::ippsFFTInitAlloc_R_64f_Sse3),          \
    Own(DISPATCH_KFA::ippsFFTInitAlloc_R_64f_Sse2), Own(DISPATCH_KFA::ippsFFTInitAlloc_R_64f_Sse)) \
  W(Vizazodizaro, ippsFFTFree_R_64f, Own(DISPATCH_KFA::ippsFFTFree_R_64f_Sse3),                    \
    Own(DISPATCH_KFA::ippsFFTFree_R_64f_Sse2), Own(DISPATCH_KFA::ippsFFTFree_R_64f_Sse))           \
  W(Vizazodizaro, ippsFIRInitAlloc_64f, Own(DISPATCH_KFIR::ippsFIRInitAlloc_64f_Sse3),             \
    Own(DISPATCH_KFIR::ippsFIRInitAlloc_64f_Sse2), Own(DISPATCH_KFIR::ippsFIRInitAlloc_64f_Sse))   \
  W(Vizazodizaro, ippsFIRFree_64f, Own(DISPATCH_KFIR::ippsFIRFree_64f_Sse3),                       \
    Own(DISPATCH_KFIR::ippsFIRFree_64f_Sse2), Own(DISPATCH_KFIR::ippsFIRFree_64f_Sse))
