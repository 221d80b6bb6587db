// Vector IIR filtering (block method) and the two-lane FIR step.
//
// IIR block method, single precision, on the vector layout that the vector set-ups lay
// out (kernels/common/IIRState.h). Per block of at most 1024 samples and order n: the
// feed-forward sums W of the whole block into the state's work area first, the first n
// samples one by one from the delay line, the delay line rebuilt from the block's last
// inputs, then the outputs four at a time from W and the n outputs before each group
// through the block-response vectors (C_j: the weight of y[t-1-j] in y[t..t+3]; H_k: the
// impulse response of the feedback shifted by k), and finally the feedback part of the
// delay line. The tables are the set-up's; nothing is derived or allocated per call.
// A state of the generic layout (no vector tables, e.g. made at another processor code)
// is filtered sample by sample in single precision with the same delay-line updates.
//
// The FIR step reads its state through the fixed field offsets of the state the set-up
// lays out (tap count, delay index, taps and delay line); a test checks the offsets.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include <emmintrin.h>

#include "kernels/audio-filter/AudioFilterKernels.h"
#include "kernels/common/IIRState.h"

namespace kernels::audio_filter {

namespace {

using kernels::iir::kBlockSamples;
using kernels::iir::kIIRBiQuadId;
using kernels::iir::kIIRDirectId;
constexpr std::uint32_t kFIRId = 0x46493133u;

template <class T> T FieldAt(const void *state, std::size_t offset) {
  T v;
  std::memcpy(&v, static_cast<const unsigned char *>(state) + offset, sizeof v);
  return v;
}
template <class T> void SetFieldAt(void *state, std::size_t offset, T v) {
  std::memcpy(static_cast<unsigned char *>(state) + offset, &v, sizeof v);
}

// One sample through the direct form, every operation rounded to float; the delays go in
// ascending order, each reading the old d[j+1] (d[n] is the stored zero).
inline float ownsIIRDirectOne_32f(float x, const float *b, const float *a, float *d, int n) {
  const float y = b[0] * x + d[0];
  for (int j = 0; j < n; ++j)
    d[j] = (b[j + 1] * x - a[j + 1] * y) + d[j + 1];
  return y;
}

// W[i] = b0 x[i+n] + b1 x[i+n-1] + ... + bn x[i], i = 0 .. m-1, from the tap vectors.
void ownsIIRDirectNum_32f(const float *x, float *w, int m, const float *tapVec, int n) {
  auto tap = [tapVec](int k) { return _mm_load_ps(tapVec + 4 * k); };
  int i = 0;
  if (n == 1) {
    const __m128 b0 = tap(0), b1 = tap(1);
    for (; i + 4 <= m; i += 4)
      _mm_store_ps(w + i, _mm_add_ps(_mm_mul_ps(b1, _mm_loadu_ps(x + i)),
                                     _mm_mul_ps(b0, _mm_loadu_ps(x + i + 1))));
    for (; i < m; ++i)
      w[i] = tapVec[4] * x[i] + tapVec[0] * x[i + 1];
    return;
  }
  if (n == 2) {
    const __m128 b0 = tap(0), b1 = tap(1), b2 = tap(2);
    for (; i + 4 <= m; i += 4)
      _mm_store_ps(w + i, _mm_add_ps(_mm_add_ps(_mm_mul_ps(b2, _mm_loadu_ps(x + i)),
                                                _mm_mul_ps(b1, _mm_loadu_ps(x + i + 1))),
                                     _mm_mul_ps(b0, _mm_loadu_ps(x + i + 2))));
    for (; i < m; ++i)
      w[i] = (tapVec[8] * x[i] + tapVec[4] * x[i + 1]) + tapVec[0] * x[i + 2];
    return;
  }
  for (; i + 4 <= m; i += 4) {
    __m128 acc = _mm_mul_ps(tap(n), _mm_loadu_ps(x + i));
    for (int k = n - 1; k >= 0; --k)
      acc = _mm_add_ps(acc, _mm_mul_ps(tap(k), _mm_loadu_ps(x + i + n - k)));
    _mm_store_ps(w + i, acc);
  }
  for (; i < m; ++i) {
    float acc = tapVec[4 * n] * x[i];
    for (int k = n - 1; k >= 0; --k)
      acc = acc + tapVec[4 * k] * x[i + n - k];
    w[i] = acc;
  }
}

// Outputs y[n .. n+m-1] from W and the n outputs before each group. The W terms of a
// group do not depend on earlier outputs, so only the C terms lie on the recursion's
// chain; the last outputs of a group stay in a register for the next one.
void ownsIIRDirectRec_32f(const float *w, float *y, int m, const float *blockVec, int n) {
  auto vec = [blockVec](int k) { return _mm_load_ps(blockVec + 4 * k); };
  const __m128 H0 = vec(n), H1 = vec(n + 1), H2 = vec(n + 2);
  const __m128 lastLane = _mm_castsi128_ps(_mm_setr_epi32(0, 0, 0, -1));
  // H_0 W[t] + H_1 W[t+1] + H_2 W[t+2] + (0, 0, 0, W[t+3]); w + i is 16-byte aligned.
  auto wPart = [&](int i) {
    const __m128 W = _mm_load_ps(w + i);
    const __m128 lo = _mm_add_ps(_mm_mul_ps(H0, _mm_shuffle_ps(W, W, 0x00)),
                                 _mm_mul_ps(H1, _mm_shuffle_ps(W, W, 0x55)));
    return _mm_add_ps(_mm_add_ps(lo, _mm_mul_ps(H2, _mm_shuffle_ps(W, W, 0xAA))),
                      _mm_and_ps(lastLane, W));
  };
  float *out = y + n;
  int i = 0;
  if (n == 1) {
    const __m128 C0 = vec(0);
    __m128 prev = _mm_set1_ps(y[0]);
    for (; i + 4 <= m; i += 4) {
      const __m128 v = _mm_add_ps(_mm_mul_ps(C0, _mm_shuffle_ps(prev, prev, 0xFF)), wPart(i));
      _mm_storeu_ps(out + i, v);
      prev = v;
    }
  } else if (n == 2) {
    const __m128 C0 = vec(0), C1 = vec(1);
    __m128 prev = _mm_setr_ps(0.0f, 0.0f, y[0], y[1]);
    for (; i + 4 <= m; i += 4) {
      const __m128 v =
          _mm_add_ps(_mm_add_ps(_mm_mul_ps(C1, _mm_shuffle_ps(prev, prev, 0xAA)), wPart(i)),
                     _mm_mul_ps(C0, _mm_shuffle_ps(prev, prev, 0xFF)));
      _mm_storeu_ps(out + i, v);
      prev = v;
    }
  } else {
    for (; i + 4 <= m; i += 4) {
      // History oldest first, then the W terms, then the newest output.
      __m128 acc = _mm_setzero_ps();
      for (int j = n - 1; j >= 1; --j)
        acc = _mm_add_ps(acc, _mm_mul_ps(vec(j), _mm_set1_ps(out[i - 1 - j])));
      acc = _mm_add_ps(acc, wPart(i));
      _mm_storeu_ps(out + i, _mm_add_ps(acc, _mm_mul_ps(vec(0), _mm_set1_ps(out[i - 1]))));
    }
  }
  // The last m mod 4 outputs one at a time: y[t] = W[t] + c_1 y[t-1] + ... + c_n y[t-n],
  // c_k from lane 0 of C_(k-1).
  for (; i < m; ++i) {
    float acc = 0.0f;
    for (int k = n; k >= 1; --k)
      acc = acc + blockVec[4 * (k - 1)] * out[i - k];
    out[i] = acc + w[i];
  }
}

// One block of L samples (L <= 1024) of a vector-layout state of order n >= 1.
void ownsIIRDirectBlock_32f(const float *x, float *y, int L, IIRState_32f &s) {
  const int n = s.order;
  const float *b = s.pTaps;
  const float *a = s.pTaps + n; // a[k] for k = 1 .. n
  float *d = s.pDlyLine;
  if (L <= 4 * n) {
    for (int i = 0; i < L; ++i)
      y[i] = ownsIIRDirectOne_32f(x[i], b, a, d, n);
    return;
  }
  const int m = L - n;
  ownsIIRDirectNum_32f(x, s.pWork, m, s.pTapVectors, n);
  for (int i = 0; i < n; ++i)
    y[i] = ownsIIRDirectOne_32f(x[i], b, a, d, n);
  // Feed-forward part of the delay line from the block's last inputs, oldest first (read
  // before the outputs overwrite them in place: they lie at or after sample L - n > n).
  for (int j = 0; j < n; ++j) {
    d[j] = 0.0f;
    for (int k = n - 1 - j; k >= 0; --k)
      d[j] = d[j] + b[j + 1 + k] * x[L - 1 - k];
  }
  ownsIIRDirectRec_32f(s.pWork, y, m, s.pBlockVectors, n);
  // Feedback part of the delay line from the block's last outputs.
  for (int j = 0; j < n; ++j)
    for (int k = n - 1 - j; k >= 0; --k)
      d[j] = d[j] - a[j + 1 + k] * y[L - 1 - k];
}

// Biquad cascade, one sample at a time in single precision: per section of taps
// (b0 b1 b2 a1 a2) and delays (d0 d1). Nothing here builds such a state.
void ownsIIRBiQuad_32f(const float *x, float *y, int len, const IIRState_32f &v) {
  for (int i = 0; i < len; ++i) {
    if (v.order <= 0) {
      y[i] = 0.0f;
      continue;
    }
    float s = x[i];
    for (int k = 0; 2 * k < v.order; ++k) {
      const float *t = v.pTaps + 5 * k;
      float *d = v.pDlyLine + 2 * k;
      const float out = t[0] * s + d[0];
      d[0] = (t[1] * s + d[1]) - t[3] * out;
      d[1] = t[2] * s - t[4] * out;
      s = out;
    }
    y[i] = s;
  }
}

using MulCFn = IppOpStatus (*)(const float *, float, float *, int);

template <MulCFn MulC>
IppOpStatus ownsIIRDirect_32f(const float *pSrc, float *pDst, int len, IIRState_32f &s) {
  const int n = s.order;
  if (n <= 0) {
    // Order 0 only scales; its status cannot fail for the checked arguments.
    MulC(pSrc, s.pTapVectors ? s.pTapVectors[0] : s.pTaps[0], pDst, len);
    return ippStsNoErr;
  }
  if (!s.pTapVectors || !s.pBlockVectors || !s.pWork) {
    // A generic-layout state has no tables: sample by sample, same delay updates.
    for (int i = 0; i < len; ++i)
      pDst[i] = ownsIIRDirectOne_32f(pSrc[i], s.pTaps, s.pTaps + n, s.pDlyLine, n);
    return ippStsNoErr;
  }
  for (int start = 0; start < len; start += kBlockSamples)
    ownsIIRDirectBlock_32f(pSrc + start, pDst + start, std::min(kBlockSamples, len - start), s);
  return ippStsNoErr;
}

template <MulCFn MulC>
IppOpStatus Filter(const float *pSrc, float *pDst, int len, IIRState_32f *pState) {
  if (!pState || !pSrc || !pDst)
    return ippStsNullPtrErr;
  if (len < 1)
    return ippStsSizeErr;
  if (pState->id == kIIRBiQuadId) {
    ownsIIRBiQuad_32f(pSrc, pDst, len, *pState);
    return ippStsNoErr;
  }
  if (pState->id != kIIRDirectId)
    return ippStsContextMatchErr;
  return ownsIIRDirect_32f<MulC>(pSrc, pDst, len, *pState);
}

} // namespace

// The two-lane filter step: the sample goes into the delay line twice (so the window of
// the last L samples, oldest first, never wraps), the index moves on, and the window is
// summed in two double-precision lanes, even products in lane 0 and odd ones in lane 1:
// blocks of eight products as a tree of pairs, then four, two and one left over (the
// last one in lane 0 alone), the lanes added at the end.
double ownsFIROne_64f_Sse2(double src, FIRState_64f *ps) {
  const int L = FieldAt<int>(ps, fir_layout::kTapsLen);
  int i = FieldAt<int>(ps, fir_layout::kDlyIndex);
  const double *taps = FieldAt<double *>(ps, fir_layout::kTaps);
  double *dly = FieldAt<double *>(ps, fir_layout::kDlyLine);
  dly[i] = src;
  dly[i + L] = src;
  if (static_cast<unsigned>(++i) >= static_cast<unsigned>(L))
    i = 0;
  SetFieldAt<int>(ps, fir_layout::kDlyIndex, i);
  const double *window = dly + i;
  const auto product = [&](int k) {
    return _mm_mul_pd(_mm_loadu_pd(taps + k), _mm_loadu_pd(window + k));
  };
  __m128d acc = _mm_setzero_pd();
  int k = 0;
  for (; k + 8 <= L; k += 8)
    acc = _mm_add_pd(acc, _mm_add_pd(_mm_add_pd(product(k), product(k + 2)),
                                     _mm_add_pd(product(k + 4), product(k + 6))));
  if (L & 4) {
    acc = _mm_add_pd(acc, _mm_add_pd(product(k), product(k + 2)));
    k += 4;
  }
  if (L & 2) {
    acc = _mm_add_pd(acc, product(k));
    k += 2;
  }
  if (L & 1)
    acc = _mm_add_sd(acc, _mm_set_sd(taps[k] * window[k]));
  return _mm_cvtsd_f64(_mm_add_sd(acc, _mm_unpackhi_pd(acc, acc)));
}

namespace sse3 {

IppOpStatus ippsIIR_32f(const float *pSrc, float *pDst, int len, IIRState_32f *pState) {
  return Filter<&sse2::ippsMulC_32f>(pSrc, pDst, len, pState);
}

IppOpStatus ippsIIR_32f_I(float *pSrcDst, int len, IIRState_32f *pState) {
  return Filter<&sse2::ippsMulC_32f>(pSrcDst, pSrcDst, len, pState);
}

} // namespace sse3

namespace sse {

IppOpStatus ippsIIR_32f(const float *pSrc, float *pDst, int len, IIRState_32f *pState) {
  return Filter<&sse::ippsMulC_32f>(pSrc, pDst, len, pState);
}

IppOpStatus ippsIIR_32f_I(float *pSrcDst, int len, IIRState_32f *pState) {
  return Filter<&sse::ippsMulC_32f>(pSrcDst, pSrcDst, len, pState);
}

} // namespace sse

namespace sse2 {

IppOpStatus ippsFIROne_64f(double src, double &dstVal, FIRState_64f &state) {
  FIRState_64f *volatile ps = &state;
  double *volatile pd = &dstVal;
  if (!ps || !pd)
    return ippStsNullPtrErr;
  if (FieldAt<std::uint32_t>(ps, fir_layout::kId) != kFIRId)
    return ippStsContextMatchErr;
  *pd = ownsFIROne_64f_Sse2(src, ps);
  return ippStsNoErr;
}

} // namespace sse2

} // namespace kernels::audio_filter
