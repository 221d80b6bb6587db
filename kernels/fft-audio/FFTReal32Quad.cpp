// Packed-single radix kernels and tables of the SSE, SSE2 and SSE3 single-precision
// members (see FFTReal32Quad.h). Only SSE instructions: packed single arithmetic,
// shuffles, unpacks, sign masks and 8- and 16-byte moves.
#include "kernels/fft-audio/FFTReal32Quad.h"

#include <cstring>

#include <xmmintrin.h>

#include "kernels/fft-audio/FFTEngineT.h"
#include "kernels/fft-real/FFTEngine64.h"

namespace kernels::fft_audio::quad {

namespace {

struct Q {
  __m128 re;
  __m128 im;
};

bool aligned16(const void *p) { return (reinterpret_cast<std::uintptr_t>(p) & 15) == 0; }

Q ld(const float *p) { return {_mm_load_ps(p), _mm_load_ps(p + 4)}; }
Q ldu(const float *p) { return {_mm_loadu_ps(p), _mm_loadu_ps(p + 4)}; }
void st(float *p, Q v) {
  _mm_store_ps(p, v.re);
  _mm_store_ps(p + 4, v.im);
}

Q add(Q a, Q b) { return {_mm_add_ps(a.re, b.re), _mm_add_ps(a.im, b.im)}; }
Q sub(Q a, Q b) { return {_mm_sub_ps(a.re, b.re), _mm_sub_ps(a.im, b.im)}; }

// w·x = (Re w·Re x - Im w·Im x, Im x·Re w + Re x·Im w).
Q cmul(Q x, __m128 wr, __m128 wi) {
  return {_mm_sub_ps(_mm_mul_ps(wr, x.re), _mm_mul_ps(wi, x.im)),
          _mm_add_ps(_mm_mul_ps(x.im, wr), _mm_mul_ps(x.re, wi))};
}

// Where a pass writes its results: quad-split runs or interleaved values, aligned or not.
struct Out {
  float *base;
  bool interleaved;
  bool aligned;

  template <bool Interleaved, bool Aligned> void putAs(std::int64_t element, Q v) const {
    float *p = base + 2 * element;
    __m128 a = v.re, b = v.im;
    if constexpr (Interleaved) {
      a = _mm_unpacklo_ps(v.re, v.im);
      b = _mm_unpackhi_ps(v.re, v.im);
    }
    if constexpr (Aligned) {
      _mm_store_ps(p, a);
      _mm_store_ps(p + 4, b);
    } else {
      _mm_storeu_ps(p, a);
      _mm_storeu_ps(p + 4, b);
    }
  }
  void put(std::int64_t element, Q v) const {
    if (interleaved)
      aligned ? putAs<true, true>(element, v) : putAs<true, false>(element, v);
    else
      aligned ? putAs<false, true>(element, v) : putAs<false, false>(element, v);
  }
};

// The twiddled radix-4 step on four quad-split runs with one 24-float table block.
[[gnu::always_inline]] inline void step4(Q x0, Q x1, Q x2, Q x3, const float *w, Q &o0, Q &o1,
                                         Q &o2, Q &o3) {
  const Q c = cmul(x2, _mm_load_ps(w), _mm_load_ps(w + 4));
  const Q b = cmul(x1, _mm_load_ps(w + 8), _mm_load_ps(w + 12));
  const Q d = cmul(x3, _mm_load_ps(w + 16), _mm_load_ps(w + 20));
  const Q e = add(x0, b), f = sub(x0, b), g = add(d, c), h = sub(c, d);
  o0 = add(g, e);
  o2 = sub(e, g);
  // f - i·h and f + i·h
  o1 = {_mm_add_ps(f.re, h.im), _mm_sub_ps(f.im, h.re)};
  o3 = {_mm_sub_ps(f.re, h.im), _mm_add_ps(f.im, h.re)};
}

// The store form is chosen once per pass, outside the loops.
template <bool Interleaved, bool Aligned>
void pass4Loop(const float *src, Out out, std::int64_t span, std::int64_t groups,
               const float *seg) {
  for (std::int64_t g = 0; g < groups; ++g) {
    const std::int64_t base = 4 * span * g;
    for (std::int64_t k = 0; k < span; k += 4) {
      const float *p = src + 2 * (base + k);
      Q o0, o1, o2, o3;
      step4(ld(p), ld(p + 2 * span), ld(p + 4 * span), ld(p + 6 * span), seg + 6 * k, o0, o1, o2,
            o3);
      out.putAs<Interleaved, Aligned>(base + k, o0);
      out.putAs<Interleaved, Aligned>(base + k + span, o1);
      out.putAs<Interleaved, Aligned>(base + k + 2 * span, o2);
      out.putAs<Interleaved, Aligned>(base + k + 3 * span, o3);
    }
  }
}

void pass4To(const float *src, Out out, std::int64_t span, std::int64_t groups, const float *seg) {
  if (out.interleaved)
    out.aligned ? pass4Loop<true, true>(src, out, span, groups, seg)
                : pass4Loop<true, false>(src, out, span, groups, seg);
  else
    out.aligned ? pass4Loop<false, true>(src, out, span, groups, seg)
                : pass4Loop<false, false>(src, out, span, groups, seg);
}

void pass2To(const float *src, Out out, std::int64_t span, const float *seg) {
  for (std::int64_t k = 0; k < span; k += 4) {
    const float *p = src + 2 * k;
    const Q x0 = ld(p);
    const Q y = cmul(ld(p + 2 * span), _mm_load_ps(seg + 2 * k), _mm_load_ps(seg + 2 * k + 4));
    out.put(k, add(x0, y));
    out.put(k + span, sub(x0, y));
  }
}

// Sixteen element pointers in, the real and imaginary parts of lane j of vectors R[i], I[i]
// from element 4j + i: each group of four positions becomes one lane.
[[gnu::always_inline]] inline void gather16(const float *const e[16], __m128 R[4], __m128 I[4]) {
#pragma GCC unroll 4
  for (int i = 0; i < 4; ++i) {
    __m128 t0 = _mm_setzero_ps(), t1 = _mm_setzero_ps();
    t0 = _mm_loadl_pi(t0, reinterpret_cast<const __m64 *>(e[i]));
    t0 = _mm_loadh_pi(t0, reinterpret_cast<const __m64 *>(e[4 + i]));
    t1 = _mm_loadl_pi(t1, reinterpret_cast<const __m64 *>(e[8 + i]));
    t1 = _mm_loadh_pi(t1, reinterpret_cast<const __m64 *>(e[12 + i]));
    R[i] = _mm_shuffle_ps(t0, t1, _MM_SHUFFLE(2, 0, 2, 0));
    I[i] = _mm_shuffle_ps(t0, t1, _MM_SHUFFLE(3, 1, 3, 1));
  }
}

// Four 4-point DFTs (one per lane) of inputs held in bit-reversed order (a0, a2, a1, a3),
// results transposed so that vector g holds the outputs k = 0 .. 3 of lane g.
[[gnu::always_inline]] inline void dft4x4(const float *const e[16], Q y[4]) {
  __m128 R[4], I[4];
  gather16(e, R, I);
  const __m128 pr = _mm_add_ps(R[0], R[1]), pi = _mm_add_ps(I[0], I[1]);
  const __m128 qr = _mm_sub_ps(R[0], R[1]), qi = _mm_sub_ps(I[0], I[1]);
  const __m128 ur = _mm_add_ps(R[2], R[3]), ui = _mm_add_ps(I[2], I[3]);
  const __m128 vr = _mm_sub_ps(R[2], R[3]), vi = _mm_sub_ps(I[2], I[3]);
  __m128 y0r = _mm_add_ps(pr, ur), y0i = _mm_add_ps(pi, ui);
  __m128 y2r = _mm_sub_ps(pr, ur), y2i = _mm_sub_ps(pi, ui);
  __m128 y1r = _mm_add_ps(qr, vi), y1i = _mm_sub_ps(qi, vr); // q - i·v
  __m128 y3r = _mm_sub_ps(qr, vi), y3i = _mm_add_ps(qi, vr); // q + i·v
  _MM_TRANSPOSE4_PS(y0r, y1r, y2r, y3r);
  _MM_TRANSPOSE4_PS(y0i, y1i, y2i, y3i);
  y[0] = {y0r, y0i};
  y[1] = {y1r, y1i};
  y[2] = {y2r, y2i};
  y[3] = {y3r, y3i};
}

// w8^k, k = 0 .. 3, with the rounded-up root 0x3F3504F4 the 8-point passes use.
const __m128 &c0() {
  static const __m128 v = [] {
    float s;
    const std::uint32_t bits = 0x3F3504F4u;
    std::memcpy(&s, &bits, sizeof s);
    return _mm_setr_ps(1.0f, s, 0.0f, -s);
  }();
  return v;
}
const __m128 &c1() {
  static const __m128 v = [] {
    float s;
    const std::uint32_t bits = 0x3F3504F4u;
    std::memcpy(&s, &bits, sizeof s);
    return _mm_setr_ps(0.0f, -s, -1.0f, -s);
  }();
  return v;
}

// Element pointers of one 16-element block of the bit-reversed sequence: consecutive from
// data, or gathered from natural-order src through the index table.
struct Consecutive {
  const float *data;
  void operator()(std::int64_t first, const float *e[16]) const {
#pragma GCC unroll 16
    for (int j = 0; j < 16; ++j)
      e[j] = data + 2 * (first + j);
  }
};
struct Gathered {
  const float *src;
  const std::int32_t *index;
  std::int64_t q; // n/4
  // first is a multiple of 16: element 4a + b of the block comes from row rev2(b) of the
  // source quarters at the table's offset for group first/4 + a.
  void operator()(std::int64_t first, const float *e[16]) const {
    const std::int64_t rows[4] = {0, 2 * 2 * q, 2 * q, 2 * 3 * q};
#pragma GCC unroll 4
    for (int a = 0; a < 4; ++a) {
      const float *base = src + static_cast<std::uint32_t>(index[first / 4 + a]);
#pragma GCC unroll 4
      for (int b = 0; b < 4; ++b)
        e[4 * a + b] = base + rows[b];
    }
  }
};

// First pass into T (quad-split): 8-point DFTs (two blocks per step) or 16-point DFTs with
// the D = 16 segment. n = 8 takes its second block from zeros and keeps only the first.
template <class Src> void firstPass8(const Src &src, std::int64_t n, float *T) {
  static const float zeros[2] = {0.0f, 0.0f};
  const __m128 w0 = c0(), w1 = c1();
  for (std::int64_t b = 0; b < n; b += 16) {
    const float *e[16];
    src(b, e);
    if (n == 8)
      for (int j = 8; j < 16; ++j)
        e[j] = zeros;
    Q y[4];
    dft4x4(e, y);
    for (int h = 0; h < 2 && b + 8 * h < n; ++h) {
      const Q E = y[2 * h];
      const Q t = cmul(y[2 * h + 1], w0, w1);
      st(T + 2 * (b + 8 * h), add(E, t));
      st(T + 2 * (b + 8 * h + 4), sub(E, t));
    }
  }
}

template <class Src>
void firstPass16(const Src &src, std::int64_t n, float *T, const float *seg16) {
  for (std::int64_t b = 0; b < n; b += 16) {
    const float *e[16];
    src(b, e);
    Q y[4];
    dft4x4(e, y);
    Q o0, o1, o2, o3;
    step4(y[0], y[1], y[2], y[3], seg16, o0, o1, o2, o3);
    float *p = T + 2 * b;
    st(p, o0);
    st(p + 8, o1);
    st(p + 16, o2);
    st(p + 24, o3);
  }
}

int log2of(std::int64_t n) {
  int m = 0;
  while ((std::int64_t{1} << m) < n)
    ++m;
  return m;
}

// The whole pass chain: first pass from src into T, the middle passes in T, the last pass
// from T to out.
template <class Src>
void chain(OddPlan plan, const Src &src, float *T, Out out, std::int64_t n, const float *tw) {
  const int m = log2of(n);
  std::int64_t L;
  const float *seg = tw;
  if (m % 2 == 1 && (plan == OddPlan::First8 || n == 8)) {
    firstPass8(src, n, T);
    L = 8;
  } else {
    firstPass16(src, n, T, seg);
    seg += 24;
    L = 16;
  }
  if (L == n) {
    if (out.base != T || out.interleaved)
      for (std::int64_t r = 0; r < n; r += 4)
        out.put(r, ld(T + 2 * r));
    return;
  }
  for (;;) {
    if (2 * L == n) {
      pass2To(T, out, L, seg);
      return;
    }
    if (4 * L == n) {
      pass4To(T, out, L, 1, seg);
      return;
    }
    pass4To(T, Out{T, false, true}, L, n / (4 * L), seg);
    seg += 6 * L;
    L *= 4;
  }
}

} // namespace

float *initPassTwiddleTab(OddPlan plan, int m, const float *S, int b, float *out) {
  if (m <= 3)
    return out;
  const std::int64_t n = std::int64_t{1} << m;
  float *w = out;
  auto radix4Segment = [&](int i) {
    const std::int64_t D = std::int64_t{1} << i;
    for (std::int64_t t = 0; t < D / 16; ++t)
      for (int l = 1; l <= 3; ++l) {
        for (int u = 0; u < 4; ++u)
          w[u] = engine::folded(S, b, i, l * (4 * t + u)).re;
        for (int u = 0; u < 4; ++u)
          w[4 + u] = engine::folded(S, b, i, l * (4 * t + u)).im;
        w += 8;
      }
  };
  if (plan == OddPlan::LastRadix2) {
    for (int i = 4; i <= m - (m % 2); i += 2)
      radix4Segment(i);
    if (m % 2 == 1)
      for (std::int64_t t = 0; t < n / 8; ++t) {
        for (int u = 0; u < 4; ++u)
          w[u] = engine::folded(S, b, m, 4 * t + u).re;
        for (int u = 0; u < 4; ++u)
          w[4 + u] = engine::folded(S, b, m, 4 * t + u).im;
        w += 8;
      }
  } else {
    for (int i = 4 + m % 2; i <= m; i += 2)
      radix4Segment(i);
  }
  return engine::alignUp16<float>(out + 2 * n);
}

void radix(OddPlan plan, Ipp32fc *data, std::int64_t n, const float *tw, Ipp32fc *work,
           bool interleaved) {
  float *d = &data->re;
  const bool al = aligned16(d);
  float *T = al ? d : &work->re;
  chain(plan, Consecutive{d}, T, Out{d, interleaved, al}, n, tw);
}

void bitRevRadix(OddPlan plan, const Ipp32fc *src, Ipp32fc *dst, std::int64_t n, const float *tw,
                 const std::int32_t *index, Ipp32fc *work) {
  float *d = &dst->re;
  const bool al = aligned16(d);
  float *T = (src != dst && al) ? d : &work->re;
  chain(plan, Gathered{&src->re, index, n / 4}, T, Out{d, true, al}, n, tw);
}

void bitRevIndexed(const Ipp32fc *src, Ipp32fc *dst, std::int64_t n, const std::int32_t *index) {
  static constexpr int kRev2[4] = {0, 2, 1, 3};
  const std::int64_t q = n / 4;
  if (n == 8) {
    static constexpr int kOrder[8] = {0, 4, 2, 6, 1, 5, 3, 7};
    for (int p = 0; p < 8; ++p)
      dst[p] = src[kOrder[p]];
    return;
  }
  // Each tile is a 4 x 4 transpose of complex values: source row j (four consecutive values
  // at rev2(j)·q + 4g) gives element j of destination rows u, from its value rev2(u).
  const float *s = &src->re;
  float *d = &dst->re;
  for (std::int64_t g = 0; g < n / 16; ++g) {
    const std::int64_t R = index[g] / 2;
    __m128 a[4], b[4];
    for (int j = 0; j < 4; ++j) {
      const float *row = s + 2 * (kRev2[j] * q + 4 * g);
      a[j] = _mm_loadu_ps(row);     // values 0, 1
      b[j] = _mm_loadu_ps(row + 4); // values 2, 3
    }
    float *d0 = d + 2 * R, *d1 = d + 2 * (q + R), *d2 = d + 2 * (2 * q + R),
          *d3 = d + 2 * (3 * q + R);
    _mm_storeu_ps(d0, _mm_movelh_ps(a[0], a[1])); // value 0 of each row
    _mm_storeu_ps(d0 + 4, _mm_movelh_ps(a[2], a[3]));
    _mm_storeu_ps(d1, _mm_movelh_ps(b[0], b[1])); // value rev2(1) = 2
    _mm_storeu_ps(d1 + 4, _mm_movelh_ps(b[2], b[3]));
    _mm_storeu_ps(d2, _mm_movehl_ps(a[1], a[0])); // value rev2(2) = 1
    _mm_storeu_ps(d2 + 4, _mm_movehl_ps(a[3], a[2]));
    _mm_storeu_ps(d3, _mm_movehl_ps(b[1], b[0])); // value 3
    _mm_storeu_ps(d3 + 4, _mm_movehl_ps(b[3], b[2]));
  }
}

void bitRevIndexedInPlace(Ipp32fc *x, std::int64_t n, const std::int32_t *index) {
  static constexpr int kRev2[4] = {0, 2, 1, 3};
  const std::int64_t q = n / 4;
  if (n == 8) {
    std::swap(x[1], x[4]);
    std::swap(x[3], x[6]);
    return;
  }
  for (std::int64_t g = n / 16 - 1; g >= 0; --g) {
    const std::int64_t R = index[g] / 2;
    if (R < 4 * g)
      continue;
    for (int u = 0; u < 4; ++u)
      for (int j = 0; j < 4; ++j) {
        const std::int64_t a = u * q + R + j, b = kRev2[j] * q + 4 * g + kRev2[u];
        if (R > 4 * g || a < b)
          std::swap(x[a], x[b]);
      }
  }
}

void pass4(const float *src, float *dst, std::int64_t span, std::int64_t groups, const float *seg) {
  pass4To(src, Out{dst, false, true}, span, groups, seg);
}

void pass2(const float *src, float *dst, std::int64_t span, const float *seg) {
  pass2To(src, Out{dst, false, true}, span, seg);
}

void scale(float factor, float *x, std::int64_t count) {
  const __m128 f = _mm_set1_ps(factor);
  std::int64_t i = 0;
  for (; i + 8 <= count; i += 8) {
    _mm_storeu_ps(x + i, _mm_mul_ps(_mm_loadu_ps(x + i), f));
    _mm_storeu_ps(x + i + 4, _mm_mul_ps(_mm_loadu_ps(x + i + 4), f));
  }
  for (; i < count; ++i)
    x[i] *= factor;
}

void realRecomb(Ipp32fc *Z, std::int64_t n, const float *table) {
  float *z = &Z->re;
  const Ipp32fc middle = Z[n / 2];
  for (std::int64_t g = 0; g < n / 8; ++g) {
    const std::int64_t k0 = 4 * g + 1;
    float *front = z + 2 * k0;
    float *back = z + 2 * (n - k0 - 3);
    const __m128 f0 = _mm_loadu_ps(front), f1 = _mm_loadu_ps(front + 4);
    const __m128 b0 = _mm_loadu_ps(back), b1 = _mm_loadu_ps(back + 4);
    const __m128 ar = _mm_shuffle_ps(f0, f1, _MM_SHUFFLE(2, 0, 2, 0));
    const __m128 ai = _mm_shuffle_ps(f0, f1, _MM_SHUFFLE(3, 1, 3, 1));
    // The back values in reverse, so that lane u pairs with k0 + u.
    const __m128 br = _mm_shuffle_ps(b1, b0, _MM_SHUFFLE(0, 2, 0, 2));
    const __m128 bi = _mm_shuffle_ps(b1, b0, _MM_SHUFFLE(1, 3, 1, 3));
    const __m128 A = _mm_load_ps(table + 8 * g), B = _mm_load_ps(table + 8 * g + 4);
    const __m128 s = _mm_add_ps(ai, bi), d = _mm_sub_ps(ar, br);
    const __m128 P = _mm_sub_ps(_mm_mul_ps(B, s), _mm_mul_ps(A, d));
    const __m128 Qv = _mm_add_ps(_mm_mul_ps(A, s), _mm_mul_ps(B, d));
    const __m128 xr = _mm_add_ps(br, Qv), xi = _mm_sub_ps(P, bi);
    const __m128 yr = _mm_sub_ps(ar, Qv), yi = _mm_sub_ps(P, ai);
    _mm_storeu_ps(front, _mm_unpacklo_ps(xr, xi));
    _mm_storeu_ps(front + 4, _mm_unpackhi_ps(xr, xi));
    // Lanes 3 .. 0 back into ascending positions n - k0 - 3 .. n - k0.
    const __m128 rr = _mm_shuffle_ps(yr, yr, _MM_SHUFFLE(0, 1, 2, 3));
    const __m128 ri = _mm_shuffle_ps(yi, yi, _MM_SHUFFLE(0, 1, 2, 3));
    _mm_storeu_ps(back, _mm_unpacklo_ps(rr, ri));
    _mm_storeu_ps(back + 4, _mm_unpackhi_ps(rr, ri));
  }
  // The last group computed the middle element too; it is the conjugate of its input.
  Z[n / 2] = {middle.re, -middle.im};
}

void initRealFwdTab(int order, const float *S, float *table) {
  const std::int64_t q = (std::int64_t{1} << order) / 4;
  for (std::int64_t g = 0; g < q / 4; ++g)
    for (int u = 0; u < 4; ++u) {
      const std::int64_t k = 4 * g + u + 1;
      table[8 * g + u] = static_cast<float>(0.5L * S[q - k]);
      table[8 * g + 4 + u] = static_cast<float>(0.5L - 0.5L * S[k]);
    }
}

void initRealInvTab(int order, const float *S, float *table) {
  const std::int64_t q = (std::int64_t{1} << order) / 4;
  for (std::int64_t g = 0; g < q / 4; ++g)
    for (int u = 0; u < 4; ++u) {
      const std::int64_t k = 4 * g + u + 1;
      table[8 * g + u] = S[q - k];
      table[8 * g + 4 + u] = -S[k];
    }
}

void blockedCombine(float *data, std::int64_t m, const float *T, bool interleaved) {
  const Out out{data, interleaved, false};
  const std::int64_t h = m / 2;
  for (std::int64_t t = 0; t < h; t += 4) {
    const std::int64_t tt = t < m / 4 ? t : t - m / 4;
    const __m128 wr = _mm_load_ps(T + 2 * tt), wi = _mm_load_ps(T + 2 * tt + 4);
    const Q p = ldu(data + 2 * t), q = ldu(data + 2 * (t + h));
    Q x;
    if (t < m / 4) {
      x = cmul(q, wr, wi);
    } else {
      // (-i·w)·q
      x = {_mm_add_ps(_mm_mul_ps(wi, q.re), _mm_mul_ps(wr, q.im)),
           _mm_sub_ps(_mm_mul_ps(wi, q.im), _mm_mul_ps(wr, q.re))};
    }
    out.put(t, add(p, x));
    out.put(t + h, sub(p, x));
  }
}

void columnLoadTwiddled(const float *rows, float *dst, const float *W, std::int64_t stride,
                        std::int64_t count) {
  for (std::int64_t t = 0; t < count; ++t) {
    const Q x =
        cmul(ldu(rows + 2 * t * stride), _mm_load_ps(W + 8 * t), _mm_load_ps(W + 8 * t + 4));
    alignas(16) float re[4], im[4];
    _mm_store_ps(re, x.re);
    _mm_store_ps(im, x.im);
    for (int u = 0; u < 4; ++u) {
      dst[2 * (u * count + t)] = re[u];
      dst[2 * (u * count + t) + 1] = im[u];
    }
  }
}

void columnStoreVectors(float *rows, const float *src, std::int64_t stride, std::int64_t count,
                        bool interleaved) {
  for (std::int64_t t = 0; t < count; t += 4) {
    // Four rows at once: lane l of vector u is row t + l, column u.
    __m128 r[4], i[4];
    for (int u = 0; u < 4; ++u) {
      r[u] = _mm_load_ps(src + 2 * (u * count + t));
      i[u] = _mm_load_ps(src + 2 * (u * count + t) + 4);
    }
    _MM_TRANSPOSE4_PS(r[0], r[1], r[2], r[3]);
    _MM_TRANSPOSE4_PS(i[0], i[1], i[2], i[3]);
    for (int l = 0; l < 4; ++l)
      Out{rows + 2 * (t + l) * stride, interleaved, false}.put(0, Q{r[l], i[l]});
  }
}

void columnLoadBlock(const float *rows, float *dst, std::int64_t stride, std::int64_t count,
                     std::int64_t width) {
  for (std::int64_t t = 0; t < count; ++t) {
    const float *s = rows + 2 * t * stride;
    float *d = dst + 2 * t * width;
    for (std::int64_t e = 0; e < 2 * width; e += 8) {
      _mm_store_ps(d + e, _mm_loadu_ps(s + e));
      _mm_store_ps(d + e + 4, _mm_loadu_ps(s + e + 4));
    }
  }
}

void columnStoreBlock(float *rows, const float *src, std::int64_t stride, std::int64_t count,
                      std::int64_t width, bool interleaved) {
  for (std::int64_t t = 0; t < count; ++t) {
    const Out out{rows + 2 * t * stride, interleaved, false};
    const float *s = src + 2 * t * width;
    for (std::int64_t e = 0; e < width; e += 4)
      out.put(e, ld(s + 2 * e));
  }
}

} // namespace kernels::fft_audio::quad
