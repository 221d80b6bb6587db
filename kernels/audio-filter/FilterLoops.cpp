// Vector IIR filtering (block method) and the two-lane FIR step.
//
// The filters read their states through the fixed field offsets of the states the set-up
// lays out (identifier, taps pointer, delay-line pointer, order; for the FIR the tap
// count, delay index, taps and delay line), so these kernels need no declaration from
// the dispatch; a test checks the offsets against the set-up's layout.
//
// IIR block method, single precision. Per block of at most 1024 samples and order n:
// the feed-forward sums W of the whole block first, the first n samples one by one from
// the delay line, the delay line rebuilt from the block's last inputs, then the outputs
// four at a time from W and the n outputs before each group through block-response
// vectors (C_j: the weight of y[t-1-j] in y[t..t+3]; H_k: the impulse response of the
// feedback shifted by k), and finally the feedback part of the delay line. The block
// tables are derived from the taps on every call, so a state of the generic layout
// serves; the work area is on the stack.
#include "kernels/audio-filter/AudioFilterKernels.h"

#include <emmintrin.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace kernels::audio_filter {

namespace {

constexpr std::uint32_t kIIRDirectId = 0x49493031u;
constexpr std::uint32_t kIIRBiQuadId = 0x49493032u;
constexpr std::uint32_t kFIRId = 0x46493133u;
constexpr int kBlock = 1024;

template <class T> T FieldAt(const void *state, std::size_t offset) {
  T v;
  std::memcpy(&v, static_cast<const unsigned char *>(state) + offset, sizeof v);
  return v;
}
template <class T> void SetFieldAt(void *state, std::size_t offset, T v) {
  std::memcpy(static_cast<unsigned char *>(state) + offset, &v, sizeof v);
}

struct IirView {
  std::uint32_t id;
  float *taps;
  float *dly;
  int order;
};

IirView ViewOf(const IIRState_32f *s) {
  return {FieldAt<std::uint32_t>(s, iir_layout::kId), FieldAt<float *>(s, iir_layout::kTaps),
          FieldAt<float *>(s, iir_layout::kDlyLine), FieldAt<int>(s, iir_layout::kOrder)};
}

// The taps as b[0..n] and c[1..n] = -a[1..n] with c[k] = 0 beyond n, and the block
// tables: C[j] for j < n, then H0, H1, H2.
struct Tables {
  int n = 0;
  const float *b = nullptr;
  const float *a = nullptr;        // a[k] for k = 1..n
  std::vector<float> blockVectors; // C_0 .. C_(n-1), H_0, H_1, H_2, four lanes each

  __m128 vec(int k) const { return _mm_loadu_ps(&blockVectors[4 * static_cast<std::size_t>(k)]); }

  float cAt(int k) const { return k <= n ? -a[k] : 0.0f; }

  void build(const IirView &v) {
    n = v.order;
    b = v.taps;
    a = v.taps + n;
    if (n <= 0)
      return;
    blockVectors.assign(4 * (static_cast<std::size_t>(n) + 3), 0.0f);
    std::vector<float> lanes(4 * static_cast<std::size_t>(n));
    auto L = [&](int j, int r) -> float & { return lanes[4 * static_cast<std::size_t>(j) + r]; };
    const float c1 = cAt(1), c2 = cAt(2), c3 = cAt(3);
    for (int j = 0; j < n; ++j) {
      L(j, 0) = cAt(j + 1);
      L(j, 1) = c1 * cAt(j + 1);
    }
    for (int j = 0; j + 2 <= n; ++j)
      L(j, 1) = L(j, 1) + cAt(j + 2);
    for (int j = 0; j < n; ++j)
      L(j, 2) = c1 * L(j, 1) + c2 * L(j, 0);
    for (int j = 0; j + 3 <= n; ++j)
      L(j, 2) = L(j, 2) + cAt(j + 3);
    for (int j = 0; j < n; ++j)
      L(j, 3) = (c1 * L(j, 2) + c2 * L(j, 1)) + c3 * L(j, 0);
    for (int j = 0; j + 4 <= n; ++j)
      L(j, 3) = L(j, 3) + cAt(j + 4);
    std::copy(lanes.begin(), lanes.end(), blockVectors.begin());
    const float g1 = L(0, 0), g2 = L(0, 1), g3 = L(0, 2);
    const float h[12] = {1.0f, g1, g2, g3, 0.0f, 1.0f, g1, g2, 0.0f, 0.0f, 1.0f, g1};
    std::copy(h, h + 12, blockVectors.begin() + 4 * static_cast<std::ptrdiff_t>(n));
  }
};

// One sample through the direct form, every operation rounded to float.
float DirectOne(float x, const Tables &t, float *d) {
  const int n = t.n;
  const float y = t.b[0] * x + d[0];
  for (int j = 0; j < n; ++j)
    d[j] = (t.b[j + 1] * x - t.a[j + 1] * y) + d[j + 1]; // d[n] is the stored zero
  return y;
}

void DirectBlock(const float *x, float *y, int L, const Tables &t, float *d, float *w) {
  const int n = t.n;
  if (L <= 4 * n) {
    for (int i = 0; i < L; ++i)
      y[i] = DirectOne(x[i], t, d);
    return;
  }
  // Feed-forward sums W[i] = b0 x[i+n] + ... + bn x[i] (oldest tap first), four at a time.
  const int m = L - n;
  int i = 0;
  for (; i + 4 <= m; i += 4) {
    __m128 acc = _mm_mul_ps(_mm_set1_ps(t.b[n]), _mm_loadu_ps(x + i));
    for (int k = n - 1; k >= 0; --k)
      acc = _mm_add_ps(acc, _mm_mul_ps(_mm_set1_ps(t.b[k]), _mm_loadu_ps(x + i + n - k)));
    _mm_storeu_ps(w + i, acc);
  }
  for (; i < m; ++i) {
    float acc = t.b[n] * x[i];
    for (int k = n - 1; k >= 0; --k)
      acc = acc + t.b[k] * x[i + n - k];
    w[i] = acc;
  }
  // The first n samples from the delay line the previous block left.
  for (int s = 0; s < n; ++s)
    y[s] = DirectOne(x[s], t, d);
  // Feed-forward part of the delay line from the block's last inputs (read before the
  // outputs overwrite them in place).
  for (int j = 0; j < n; ++j) {
    float v = 0.0f;
    for (int k = n - 1 - j; k >= 0; --k)
      v = v + t.b[j + 1 + k] * x[L - 1 - k];
    d[j] = v;
  }
  // Outputs n .. L-1, four at a time.
  const __m128 lastLane = _mm_castsi128_ps(_mm_setr_epi32(0, 0, 0, -1));
  const __m128 H0 = t.vec(n), H1 = t.vec(n + 1), H2 = t.vec(n + 2), C0 = t.vec(0);
  int s = n;
  for (; s + 4 <= L; s += 4) {
    const float *wt = w + (s - n);
    __m128 acc =
        _mm_add_ps(_mm_mul_ps(C0, _mm_set1_ps(y[s - 1])), _mm_mul_ps(H0, _mm_set1_ps(wt[0])));
    for (int j = 1; j < n; ++j)
      acc = _mm_add_ps(acc, _mm_mul_ps(t.vec(j), _mm_set1_ps(y[s - 1 - j])));
    const __m128 rest = _mm_add_ps(
        _mm_add_ps(_mm_mul_ps(H1, _mm_set1_ps(wt[1])), _mm_mul_ps(H2, _mm_set1_ps(wt[2]))),
        _mm_and_ps(lastLane, _mm_set1_ps(wt[3])));
    _mm_storeu_ps(y + s, _mm_add_ps(acc, rest));
  }
  for (; s < L; ++s) {
    float acc = 0.0f;
    for (int k = n; k >= 1; --k)
      acc = acc + t.cAt(k) * y[s - k];
    y[s] = acc + w[s - n];
  }
  // Feedback part of the delay line from the block's last outputs.
  for (int j = 0; j < n; ++j)
    for (int k = n - 1 - j; k >= 0; --k)
      d[j] = d[j] - t.a[j + 1 + k] * y[L - 1 - k];
}

// Biquad cascade, one sample at a time in single precision: per section of taps
// (b0 b1 b2 a1 a2) and delays (d0 d1).
void BiQuad(const float *x, float *y, int len, const IirView &v) {
  for (int i = 0; i < len; ++i) {
    if (v.order <= 0) {
      y[i] = 0.0f;
      continue;
    }
    float s = x[i];
    for (int k = 0; 2 * k < v.order; ++k) {
      const float *t = v.taps + 5 * k;
      float *d = v.dly + 2 * k;
      const float out = t[0] * s + d[0];
      d[0] = (t[1] * s + d[1]) - t[3] * out;
      d[1] = t[2] * s - t[4] * out;
      s = out;
    }
    y[i] = s;
  }
}

IppOpStatus Filter(const float *pSrc, float *pDst, int len, IIRState_32f *pState) {
  if (!pState || !pSrc || !pDst)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  const IirView v = ViewOf(pState);
  if (v.id == kIIRBiQuadId) {
    BiQuad(pSrc, pDst, len, v);
    return ippStsNoErr;
  }
  if (v.id != kIIRDirectId)
    return ippStsContextMatchErr;
  if (v.order <= 0) {
    sse2::ippsMulC_32f(pSrc, v.taps[0], pDst, len);
    return ippStsNoErr;
  }
  Tables t;
  t.build(v);
  alignas(16) float work[kBlock];
  for (int start = 0; start < len; start += kBlock)
    DirectBlock(pSrc + start, pDst + start, std::min(kBlock, len - start), t, v.dly, work);
  return ippStsNoErr;
}

} // namespace

namespace sse3 {

IppOpStatus ippsIIR_32f(const float *pSrc, float *pDst, int len, IIRState_32f *pState) {
  return Filter(pSrc, pDst, len, pState);
}

IppOpStatus ippsIIR_32f_I(float *pSrcDst, int len, IIRState_32f *pState) {
  return Filter(pSrcDst, pSrcDst, len, pState);
}

} // namespace sse3

namespace sse2 {

// Two lanes over the window of the last L samples (oldest first), double precision,
// the lanes added at the end.
IppOpStatus ippsFIROne_64f(double src, double &dstVal, FIRState_64f &state) {
  FIRState_64f *volatile ps = &state;
  double *volatile pd = &dstVal;
  if (!ps || !pd)
    return ippStsNullPtrErr;
  if (FieldAt<std::uint32_t>(ps, fir_layout::kId) != kFIRId)
    return ippStsContextMatchErr;
  const int L = FieldAt<int>(ps, fir_layout::kTapsLen);
  int i = FieldAt<int>(ps, fir_layout::kDlyIndex);
  const double *taps = FieldAt<double *>(ps, fir_layout::kTaps);
  double *dly = FieldAt<double *>(ps, fir_layout::kDlyLine);
  dly[i] = src;
  dly[i + L] = src;
  if (++i == L)
    i = 0;
  SetFieldAt<int>(ps, fir_layout::kDlyIndex, i);
  const double *window = dly + i;
  __m128d acc = _mm_setzero_pd();
  int k = 0;
  for (; k + 2 <= L; k += 2)
    acc = _mm_add_pd(acc, _mm_mul_pd(_mm_loadu_pd(taps + k), _mm_loadu_pd(window + k)));
  double y = _mm_cvtsd_f64(_mm_add_sd(acc, _mm_unpackhi_pd(acc, acc)));
  if (k < L)
    y += taps[k] * window[k];
  *pd = y;
  return ippStsNoErr;
}

} // namespace sse2

} // namespace kernels::audio_filter
