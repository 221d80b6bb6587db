// Set-up and release of the IIR filter state at codes 16-17, 6-9 and 5.
//
// Each level lays out the vector layout of kernels/common/IIRState.h in one block of the
// filter-block counter: header, taps divided by A0, delay line, then the tables the block
// method reads (tap vectors and block-response vectors) and its 1024-float work area. The
// levels differ in the precision of the taps and tables and in the memory routines that
// fill the delay line; the routines below take the level as a template argument.
//
// Block-response vectors: with c_j = -a_j (0 beyond the order), lane r of C_j is the
// weight of y[t-1-j] in y[t+r] of the recursion y[t] = W[t] + c_1 y[t-1] + ... + c_n y[t-n],
// built lane by lane (each lane from the two or three before it, then the next feedback
// tap added); H_0, H_1, H_2 are the feedback's impulse response shifted by 0, 1 and 2.
#include <cmath>

#include "kernels/audio-filter/AudioFilterKernels.h"
#include "kernels/common/IIRState.h"

namespace kernels::audio_filter {

namespace {

using kernels::iir::kIIRDirectId;

enum class Level { Sse3, Sse2, Sse };

// The block size of the vector layout, or -1 for an order whose size does not fit.
template <Level> long long ownsIIRGetStateSize_32f(int order) {
  return kernels::iir::StateBytes(order, true);
}

// Every level draws from the one counter, so every level's release fits every block.
template <Level> void *ownsMalloc(long long bytes) { return kernels::FilterBlocks().Alloc(bytes); }

template <Level> IppOpStatus ippsIIRFree_32f(IIRState_32f *pState) {
  return kernels::iir::Release(pState);
}

template <Level L> IppOpStatus CopyFloats(const float *pSrc, float *pDst, int len) {
  if constexpr (L == Level::Sse)
    return sse::ownsCopy_32f(pSrc, pDst, len);
  else
    return sse2::ownsCopy_32f(pSrc, pDst, len);
}
template <Level L> IppOpStatus ZeroFloats(float *pDst, int len) {
  if constexpr (L == Level::Sse)
    return sse::ownsZero_32f(pDst, len);
  else
    return sse2::ownsZero_32f(pDst, len);
}

// d[0..n-1] from pDlyLine (bit for bit) or zero, d[n] = 0; order 0 touches nothing.
template <Level L> void ownsIIRSetDlyLine_32f(IIRState_32f &s, const float *pDlyLine) {
  const int n = s.order;
  if (n <= 0)
    return;
  if (pDlyLine)
    CopyFloats<L>(pDlyLine, s.pDlyLine, n);
  else
    ZeroFloats<L>(s.pDlyLine, n);
  s.pDlyLine[n] = 0.0f;
}

// c1 l1 + c2 l0, and (c1 l2 + c2 l1) + c3 l0: at sse3 formed in extended precision and
// rounded once, at the other levels every product and sum in single precision.
template <Level L> float Dot2(float c1, float l1, float c2, float l0) {
  if constexpr (L == Level::Sse3)
    return static_cast<float>(static_cast<long double>(c1) * l1 +
                              static_cast<long double>(c2) * l0);
  else
    return c1 * l1 + c2 * l0;
}
template <Level L> float Dot3(float c1, float l2, float c2, float l1, float c3, float l0) {
  if constexpr (L == Level::Sse3)
    return static_cast<float>(
        (static_cast<long double>(c1) * l2 + static_cast<long double>(c2) * l1) +
        static_cast<long double>(c3) * l0);
  else
    return (c1 * l2 + c2 * l1) + c3 * l0;
}

template <Level L> void BuildVectors(IIRState_32f &s) {
  const int n = s.order;
  const float *t = s.pTaps;
  for (int k = 0; k <= n; ++k)
    for (int r = 0; r < 4; ++r)
      s.pTapVectors[4 * k + r] = t[k];
  if (n == 0)
    return;
  auto c = [t, n](int j) { return j <= n ? -t[n + j] : 0.0f; }; // j >= 1
  float *C = s.pBlockVectors;                                   // lane r of C_j at C[4 j + r]
  const float c1 = c(1), c2 = c(2), c3 = c(3);
  for (int j = 0; j < n; ++j) {
    C[4 * j] = c(j + 1);
    C[4 * j + 1] = c1 * c(j + 1);
  }
  for (int j = 0; j + 2 <= n; ++j)
    C[4 * j + 1] = C[4 * j + 1] + c(j + 2);
  for (int j = 0; j < n; ++j)
    C[4 * j + 2] = Dot2<L>(c1, C[4 * j + 1], c2, C[4 * j]);
  for (int j = 0; j + 3 <= n; ++j)
    C[4 * j + 2] = C[4 * j + 2] + c(j + 3);
  for (int j = 0; j < n; ++j)
    C[4 * j + 3] = Dot3<L>(c1, C[4 * j + 2], c2, C[4 * j + 1], c3, C[4 * j]);
  for (int j = 0; j + 4 <= n; ++j)
    C[4 * j + 3] = C[4 * j + 3] + c(j + 4);
  const float g1 = C[0], g2 = C[1], g3 = C[2];
  const float h[12] = {1.0f, g1, g2, g3, 0.0f, 1.0f, g1, g2, 0.0f, 0.0f, 1.0f, g1};
  for (int k = 0; k < 12; ++k)
    C[4 * n + k] = h[k];
}

// The taps times the reciprocal of A0 (not divided by it), then the vector tables; -10
// and nothing stored when A0 is zero of either sign or NaN.
template <Level L> IppOpStatus ownsIIRSetTaps_32f(const float *pTaps, IIRState_32f &s) {
  const int n = s.order;
  const float a0 = pTaps[n + 1];
  if (a0 == 0.0f || std::isnan(a0))
    return ippStsDivByZeroErr;
  float r;
  if constexpr (L == Level::Sse3)
    r = static_cast<float>(1.0L / static_cast<long double>(a0));
  else
    r = 1.0f / a0;
  float *t = s.pTaps;
  t[0] = pTaps[0] * r;
  for (int i = 1; i <= n; ++i) {
    t[i] = pTaps[i] * r;
    t[n + i] = pTaps[n + 1 + i] * r;
  }
  BuildVectors<L>(s);
  return ippStsNoErr;
}

template <Level L>
IppOpStatus ownsIIRSetState_32f(IIRState_32f **ppState, const float *pTaps, int order,
                                const float *pDlyLine, void *block, std::uint32_t id) {
  IIRState_32f *s = kernels::iir::LayOut(block, order, id, true);
  *ppState = s;
  ownsIIRSetDlyLine_32f<L>(*s, pDlyLine);
  return ownsIIRSetTaps_32f<L>(pTaps, *s);
}

template <Level L>
IppOpStatus ownsIIRInitAlloc_32f(IIRState_32f **ppState, const float *pTaps, int order,
                                 const float *pDlyLine, std::uint32_t id) {
  const long long bytes = ownsIIRGetStateSize_32f<L>(order);
  void *block = bytes < 0 ? nullptr : ownsMalloc<L>(bytes);
  if (!block)
    return ippStsMemAllocErr;
  const IppOpStatus status = ownsIIRSetState_32f<L>(ppState, pTaps, order, pDlyLine, block, id);
  (*ppState)->allocated = 1;
  if (status != ippStsNoErr) {
    // The state was never usable: released by this level, and the caller holds null.
    ippsIIRFree_32f<L>(*ppState);
    *ppState = nullptr;
  }
  return status;
}

template <Level L>
IppOpStatus ippsIIRInitAlloc_32f(IIRState_32f **ppState, const float *pTaps, int order,
                                 const float *pDlyLine) {
  if (!pTaps || !ppState)
    return ippStsNullPtrErr;
  if (order < 0)
    return ippStsIIROrderErr;
  return ownsIIRInitAlloc_32f<L>(ppState, pTaps, order, pDlyLine, kIIRDirectId);
}

} // namespace

namespace sse3 {
IppOpStatus ippsIIRInitAlloc_32f(IIRState_32f **ppState, const float *pTaps, int order,
                                 const float *pDlyLine) {
  return audio_filter::ippsIIRInitAlloc_32f<Level::Sse3>(ppState, pTaps, order, pDlyLine);
}
IppOpStatus ippsIIRFree_32f(IIRState_32f *pState) {
  return audio_filter::ippsIIRFree_32f<Level::Sse3>(pState);
}
} // namespace sse3

namespace sse2 {
IppOpStatus ippsIIRInitAlloc_32f(IIRState_32f **ppState, const float *pTaps, int order,
                                 const float *pDlyLine) {
  return audio_filter::ippsIIRInitAlloc_32f<Level::Sse2>(ppState, pTaps, order, pDlyLine);
}
IppOpStatus ippsIIRFree_32f(IIRState_32f *pState) {
  return audio_filter::ippsIIRFree_32f<Level::Sse2>(pState);
}
} // namespace sse2

namespace sse {
IppOpStatus ippsIIRInitAlloc_32f(IIRState_32f **ppState, const float *pTaps, int order,
                                 const float *pDlyLine) {
  return audio_filter::ippsIIRInitAlloc_32f<Level::Sse>(ppState, pTaps, order, pDlyLine);
}
IppOpStatus ippsIIRFree_32f(IIRState_32f *pState) {
  return audio_filter::ippsIIRFree_32f<Level::Sse>(pState);
}
} // namespace sse

} // namespace kernels::audio_filter
