#include "framework/dispatch/GenericIir.h"

#include <cmath>
#include <cstdint>

#include "framework/dispatch/GenericAlloc.h"
#include "framework/dispatch/GenericHelpers.h"
#include "framework/dispatch/Vizazodizaro.h"

namespace dispatch_filters {

namespace {

// Direct form II transposed in extended precision. Outputs and delays are stored
// as floats; the delay updates use the unrounded output. From order 2 on the
// samples go in pairs, both outputs formed from the delay line as it stood
// before the pair, so a pair may differ in the last bit from two single steps.
void filterDirect(const float *src, float *dst, int len, IIRState_32f &s) {
  const int n = s.order;
  const float *b = s.pTaps;
  const float *a = s.pTaps + n; // a[k] for k = 1 .. n
  float *d = s.pDlyLine;

  if (n <= 0) {
    const ext b0 = b[0];
    for (int i = 0; i < len; ++i)
      dst[i] = static_cast<float>(b0 * src[i]);
    return;
  }
  if (n == 1) {
    for (int i = 0; i < len; ++i) {
      const ext x = src[i];
      const ext y = b[0] * x + d[0];
      d[0] = static_cast<float>(b[1] * x - a[1] * y);
      dst[i] = static_cast<float>(y);
    }
    return;
  }

  const ext b0 = b[0];
  const ext b1 = b[1];
  int i = 0;
  for (; i + 1 < len; i += 2) {
    const ext x0 = src[i];
    const ext x1 = src[i + 1];
    const ext y0 = b0 * x0 + d[0];
    const ext t = (b1 * x0 + d[1]) - a[1] * y0;
    const ext y1 = b0 * x1 + t;
    for (int j = 0; j <= n - 2; ++j)
      d[j] = static_cast<float>(
          (((b[j + 1] * x1 - a[j + 1] * y1) + b[j + 2] * x0) - a[j + 2] * y0) + d[j + 2]);
    d[n - 1] = static_cast<float>(b[n] * x1 - a[n] * y1);
    dst[i] = static_cast<float>(y0);
    dst[i + 1] = static_cast<float>(y1);
  }
  if (i < len) {
    const ext x = src[i];
    const ext y = b0 * x + d[0];
    for (int j = 0; j < n; ++j)
      d[j] = static_cast<float>((b[j + 1] * x - a[j + 1] * y) + d[j + 1]);
    dst[i] = static_cast<float>(y);
  }
}

// Cascade of second-order sections: five taps (b0 b1 b2 a1 a2) and two delays per
// section; sections run while the index of their first delay is below the order.
void filterBiQuad(const float *src, float *dst, int len, IIRState_32f &s) {
  const int order = s.order;
  for (int i = 0; i < len; ++i) {
    if (order <= 0) {
      dst[i] = 0.0f;
      continue;
    }
    ext x = src[i];
    for (int k = 0; 2 * k < order; ++k) {
      const float *t = s.pTaps + 5 * k;
      float *d = s.pDlyLine + 2 * k;
      const ext y = t[0] * x + d[0];
      d[0] = static_cast<float>((t[1] * x + d[1]) - t[3] * y);
      d[1] = static_cast<float>(t[2] * x - t[4] * y);
      x = y;
    }
    dst[i] = static_cast<float>(x);
  }
}

} // namespace

} // namespace dispatch_filters

namespace Vizazodizaro::generic {

using namespace dispatch_filters;

IppOpStatus ippsIIRInitAlloc_32f(IIRState_32f **ppState, const float *pTaps, int order,
                                 const float *pDlyLine) {
  if (!ppState || !pTaps)
    return ippStsNullPtrErr;
  if (order < 0)
    return ippStsIIROrderErr;
  const long long bytes = iirStateBytes(order);
  void *block = bytes < 0 ? nullptr : blockAlloc(bytes);
  if (!block)
    return ippStsMemAllocErr;

  const int n = order;
  IIRState_32f *s = kernels::iir::LayOut(block, n, kIIRDirectId, false);
  if (n > 0) {
    for (int i = 0; i < n; ++i)
      s->pDlyLine[i] = pDlyLine ? pDlyLine[i] : 0.0f;
    s->pDlyLine[n] = 0.0f;
  }

  const float a0 = pTaps[n + 1];
  if (a0 == 0.0f || std::isnan(a0)) {
    // The state was never usable: release it here, and leave the caller no pointer it
    // could release (or filter through) later.
    blockFree(block);
    *ppState = nullptr;
    return ippStsDivByZeroErr;
  }
  const ext r = 1.0L / static_cast<ext>(a0);
  s->pTaps[0] = static_cast<float>(pTaps[0] * r);
  for (int k = 1; k <= n; ++k) {
    s->pTaps[k] = static_cast<float>(pTaps[k] * r);
    s->pTaps[n + k] = static_cast<float>(pTaps[n + 1 + k] * r);
  }
  s->allocated = 1;
  *ppState = s;
  return ippStsNoErr;
}

IppOpStatus ippsIIRFree_32f(IIRState_32f *pState) { return kernels::iir::Release(pState); }

IppOpStatus ippsIIR_32f(const float *pSrc, float *pDst, int len, IIRState_32f *pState) {
  if (!pState || !pSrc || !pDst)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  if (pState->id == kIIRDirectId)
    filterDirect(pSrc, pDst, len, *pState);
  else if (pState->id == kIIRBiQuadId)
    filterBiQuad(pSrc, pDst, len, *pState);
  else
    return ippStsContextMatchErr;
  return ippStsNoErr;
}

IppOpStatus ippsIIR_32f_I(float *pSrcDst, int len, IIRState_32f *pState) {
  // Every sample is read before its output is written, so in place is the same kernel.
  return ippsIIR_32f(pSrcDst, pSrcDst, len, pState);
}

} // namespace Vizazodizaro::generic
