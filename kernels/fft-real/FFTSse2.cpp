// The packed-double engine of the SSE2 and SSE3 variants: one design, two radix limits
// (complex order 13 for SSE2, 14 for SSE3) with their own split and chunk tables.
//
// Between passes the data sits in the paired layout: each two consecutive complex values
// as (re0, re1) then (im0, im1), so that one packed operation does two butterflies. Up to
// the radix limit one routine gathers the bit-reversed input in its first pass and
// writes interleaved values in its last. Above it the values are bit-reversed, the rows
// transformed whole (leaves, left in the paired layout), and the columns transformed in
// chunks copied into the work area, with the twiddles between the rows folded into the
// column passes' tables. Every operation rounds to double; no FMA.
#include <algorithm>
#include <cstring>

#include <emmintrin.h>

#include "kernels/fft-real/FFTSetUp.h"

namespace kernels::fft_real {

namespace {

using i64 = std::int64_t;

// ---- Parameters of the two members --------------------------------------------------

struct TSse2Params {
  int radixLimit;
  int split[31]; // split exponent by complex order above the radix limit
  int chunk[31]; // log2 of the values in one column chunk, by complex order
};

// Orders 22 to 30 keep the chunk of orders 15 to 21 (2^13 values, 128 KB; 2^14 for
// SSE3): it satisfies split + 2 <= chunk <= order for every split of those orders, so a
// chunk holds at least four and at most all columns, and the work area does not grow
// past what the mid-size orders already need.
constexpr TSse2Params kSse2Params = {
    13,
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 4, 4, 4, 4, 5, 6, 7, 8, 4, 5, 6, 7, 8, 8, 8, 8, 8},
    {0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  12, 13,
     13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13},
};
constexpr TSse2Params kSse3Params = {
    14,
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 6, 6, 4, 4, 6, 6, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8},
    {0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0, 14,
     14, 14, 14, 14, 14, 14, 14, 14, 14, 14, 14, 14, 14, 14, 14},
};

// ---- Packed helpers -----------------------------------------------------------------

// Two complex values of two lanes: re = (re0, re1), im = (im0, im1).
struct V2 {
  __m128d re, im;
};

// The 45-degree constant of the 8-point stages: one unit in the last place below the
// double nearest to sqrt(1/2).
constexpr double kC8 = 0.7071067811865475;

inline V2 add(V2 a, V2 b) { return {_mm_add_pd(a.re, b.re), _mm_add_pd(a.im, b.im)}; }
inline V2 sub(V2 a, V2 b) { return {_mm_sub_pd(a.re, b.re), _mm_sub_pd(a.im, b.im)}; }
// x·w forward, x·conj(w) inverse.
template <bool Inv> inline V2 mul(V2 x, V2 w) {
  if (Inv)
    return {_mm_add_pd(_mm_mul_pd(x.re, w.re), _mm_mul_pd(x.im, w.im)),
            _mm_sub_pd(_mm_mul_pd(x.im, w.re), _mm_mul_pd(x.re, w.im))};
  return {_mm_sub_pd(_mm_mul_pd(x.re, w.re), _mm_mul_pd(x.im, w.im)),
          _mm_add_pd(_mm_mul_pd(x.re, w.im), _mm_mul_pd(x.im, w.re))};
}
inline V2 scale(V2 a, __m128d c) { return {_mm_mul_pd(a.re, c), _mm_mul_pd(a.im, c)}; }

// Paired block of elements e, e + 1 (e even) at d + 2e.
inline V2 loadPaired(const double *p) { return {_mm_loadu_pd(p), _mm_loadu_pd(p + 2)}; }
inline void storePaired(double *p, V2 v) {
  _mm_storeu_pd(p, v.re);
  _mm_storeu_pd(p + 2, v.im);
}
// Two interleaved complex values at p.
inline V2 loadInter(const double *p) {
  const __m128d a = _mm_loadu_pd(p), b = _mm_loadu_pd(p + 2);
  return {_mm_unpacklo_pd(a, b), _mm_unpackhi_pd(a, b)};
}
// The same two values with their lanes swapped: the value at p + 2 in lane 0.
inline V2 loadInterReversed(const double *p) {
  const __m128d a = _mm_loadu_pd(p), b = _mm_loadu_pd(p + 2);
  return {_mm_unpacklo_pd(b, a), _mm_unpackhi_pd(b, a)};
}
inline void storeInter(double *p, V2 v) {
  _mm_storeu_pd(p, _mm_unpacklo_pd(v.re, v.im));
  _mm_storeu_pd(p + 2, _mm_unpackhi_pd(v.re, v.im));
}
// One complex value as (re, im) in a register, and its lane-wise helpers.
inline __m128d ld1(const double *p) { return _mm_loadu_pd(p); }
template <bool Inv> inline __m128d rot1(__m128d a) {
  const __m128d sw = _mm_shuffle_pd(a, a, 1); // (im, re)
  const __m128d sign = Inv ? _mm_set_pd(0.0, -0.0) : _mm_set_pd(-0.0, 0.0);
  return _mm_xor_pd(sw, sign); // -i: (im, -re); +i: (-im, re)
}
// Two single values into the paired layout: (a.re, b.re), (a.im, b.im).
inline V2 pair(__m128d a, __m128d b) { return {_mm_unpacklo_pd(a, b), _mm_unpackhi_pd(a, b)}; }

// The outputs of the small transforms, in natural order. Values travel in named
// registers, not arrays: an array indexed in a loop is kept on the stack.
struct Y4 {
  __m128d y0, y1, y2, y3;
};
struct Y8 {
  __m128d y0, y1, y2, y3, y4, y5, y6, y7;
};

// 4-point transform of natural-order inputs.
template <bool Inv> inline Y4 dft4(__m128d x0, __m128d x1, __m128d x2, __m128d x3) {
  const __m128d p = _mm_add_pd(x0, x2), q = _mm_add_pd(x1, x3);
  const __m128d e = _mm_sub_pd(x0, x2), f = rot1<Inv>(_mm_sub_pd(x1, x3));
  return {_mm_add_pd(p, q), _mm_add_pd(e, f), _mm_sub_pd(p, q), _mm_sub_pd(e, f)};
}

// 8-point transform of natural-order inputs.
template <bool Inv>
inline Y8 dft8(__m128d x0, __m128d x1, __m128d x2, __m128d x3, __m128d x4, __m128d x5, __m128d x6,
               __m128d x7) {
  const Y4 a = dft4<Inv>(x0, x2, x4, x6);
  const Y4 b = dft4<Inv>(x1, x3, x5, x7);
  const __m128d c = _mm_set1_pd(kC8), nc = _mm_set1_pd(-kC8);
  // W8^1·z = (z + rot z)·c; W8^2·z = rot z; W8^3·z = (z + rot' z)·(-c), rot' the other way.
  const __m128d z1 = _mm_mul_pd(_mm_add_pd(b.y1, rot1<Inv>(b.y1)), c);
  const __m128d z2 = rot1<Inv>(b.y2);
  const __m128d z3 = _mm_mul_pd(_mm_add_pd(b.y3, rot1<!Inv>(b.y3)), nc);
  return {_mm_add_pd(a.y0, b.y0), _mm_add_pd(a.y1, z1), _mm_add_pd(a.y2, z2), _mm_add_pd(a.y3, z3),
          _mm_sub_pd(a.y0, b.y0), _mm_sub_pd(a.y1, z1), _mm_sub_pd(a.y2, z2), _mm_sub_pd(a.y3, z3)};
}

constexpr int kRev2[4] = {0, 2, 1, 3};
constexpr int kRev3[8] = {0, 4, 2, 6, 1, 5, 3, 7};

// ---- Radix passes on the paired layout ----------------------------------------------

// The radix-4 butterfly of the passes: x1 takes w^2, x2 w, x3 w^3 (the quarters of a
// bit-reversed block hold the sub-sequences 0, 2, 1, 3 modulo 4).
template <bool Inv> inline void butterfly4(V2 &x0, V2 &x1, V2 &x2, V2 &x3, V2 w1, V2 w2, V2 w3) {
  const V2 t1 = mul<Inv>(x1, w2), t2 = mul<Inv>(x2, w1), t3 = mul<Inv>(x3, w3);
  const V2 s = add(x0, t1), d = sub(x0, t1);
  const V2 u = add(t2, t3), v = sub(t2, t3);
  x0 = add(s, u);
  x2 = sub(s, u);
  // d ± v·(-i) forward, d ± v·(+i) inverse, the rotation folded into the adds.
  if (Inv) {
    x1 = {_mm_sub_pd(d.re, v.im), _mm_add_pd(d.im, v.re)};
    x3 = {_mm_add_pd(d.re, v.im), _mm_sub_pd(d.im, v.re)};
  } else {
    x1 = {_mm_add_pd(d.re, v.im), _mm_sub_pd(d.im, v.re)};
    x3 = {_mm_sub_pd(d.re, v.im), _mm_add_pd(d.im, v.re)};
  }
}

inline void loadTw(const double *t, V2 &w1, V2 &w2, V2 &w3) {
  w1 = loadPaired(t);
  w2 = loadPaired(t + 4);
  w3 = loadPaired(t + 8);
}

// One radix-4 pass building blocks of P values over N values in the paired layout at w;
// tw: the pass's twiddles. The last pass may write interleaved values to out.
template <bool Inv, bool Interleaved>
void radixPass(const double *w, double *out, i64 N, i64 P, const double *tw) {
  const i64 S = P / 4;
  for (i64 B = 0; B < N; B += P) {
    const double *t = tw;
    for (i64 q = 0; q < S; q += 2, t += 12) {
      V2 w1, w2, w3;
      loadTw(t, w1, w2, w3);
      const i64 e0 = B + q;
      V2 x0 = loadPaired(w + 2 * e0), x1 = loadPaired(w + 2 * (e0 + S));
      V2 x2 = loadPaired(w + 2 * (e0 + 2 * S)), x3 = loadPaired(w + 2 * (e0 + 3 * S));
      butterfly4<Inv>(x0, x1, x2, x3, w1, w2, w3);
      if (Interleaved) {
        storeInter(out + 2 * e0, x0);
        storeInter(out + 2 * (e0 + S), x1);
        storeInter(out + 2 * (e0 + 2 * S), x2);
        storeInter(out + 2 * (e0 + 3 * S), x3);
      } else {
        storePaired(out + 2 * e0, x0);
        storePaired(out + 2 * (e0 + S), x1);
        storePaired(out + 2 * (e0 + 2 * S), x2);
        storePaired(out + 2 * (e0 + 3 * S), x3);
      }
    }
  }
}

// Calls f(n) for every n < count (a power of two) in tiles of 2^T values of the top bits
// by 2^T of the bottom ones: within a tile the reads at n and the writes at the
// bit-reversed place of n each stay within a few kilobytes. A plain walk in either
// order leaves one side jumping through the whole buffer, a cache miss per group once
// the data outgrows the first-level cache.
template <class F> inline void forEachTiled(i64 count, F f) {
  constexpr int T = 3;
  int bits = 0;
  while ((i64{1} << bits) < count)
    ++bits;
  if (bits < 2 * T) {
    for (i64 n = 0; n < count; ++n)
      f(n);
    return;
  }
  const i64 side = i64{1} << T;
  for (i64 mid = 0; mid < (i64{1} << (bits - 2 * T)); ++mid)
    for (i64 top = 0; top < side; ++top) {
      const i64 base = (top << (bits - T)) | (mid << T);
      for (i64 bottom = 0; bottom < side; ++bottom)
        f(base | bottom);
    }
}

// The first pass: 4-point (even order) or 8-point (odd order) transforms of the inputs
// that the bit reversal brings together, written to w in the paired layout. With a
// reversal table the inputs are gathered from src in natural order; without one src
// already holds them in bit-reversed order at the same places (a leaf row).
template <bool Inv>
void firstPass(const double *src, double *w, i64 N, int k, const std::int32_t *rev) {
  if (k % 2 == 0) {
    const auto put = [w](i64 g, const Y4 &y) {
      storePaired(w + 8 * g, pair(y.y0, y.y1));
      storePaired(w + 8 * g + 4, pair(y.y2, y.y3));
    };
    const i64 q = N / 4;
    if (rev) {
      // Group g = rev(n) gathers the inputs n + t·q.
      forEachTiled(q, [&](i64 n) {
        const double *p = src + 2 * n;
        put(rev[n] / 2, dft4<Inv>(ld1(p), ld1(p + 2 * q), ld1(p + 4 * q), ld1(p + 6 * q)));
      });
    } else {
      for (i64 g = 0; g < q; ++g) {
        const double *p = src + 8 * g;
        put(g, dft4<Inv>(ld1(p), ld1(p + 4), ld1(p + 2), ld1(p + 6)));
      }
    }
    return;
  }
  const auto put = [w](i64 g, const Y8 &y) {
    double *o = w + 16 * g;
    storePaired(o, pair(y.y0, y.y1));
    storePaired(o + 4, pair(y.y2, y.y3));
    storePaired(o + 8, pair(y.y4, y.y5));
    storePaired(o + 12, pair(y.y6, y.y7));
  };
  const i64 e = N / 8;
  if (rev) {
    forEachTiled(e, [&](i64 n) {
      const double *p = src + 2 * n;
      put(rev[2 * n] / 2,
          dft8<Inv>(ld1(p), ld1(p + 2 * e), ld1(p + 4 * e), ld1(p + 6 * e), ld1(p + 8 * e),
                    ld1(p + 10 * e), ld1(p + 12 * e), ld1(p + 14 * e)));
    });
  } else {
    // Input t of a group sits at its bit-reversed place rev3(t).
    for (i64 g = 0; g < e; ++g) {
      const double *p = src + 16 * g;
      put(g, dft8<Inv>(ld1(p), ld1(p + 8), ld1(p + 4), ld1(p + 12), ld1(p + 2), ld1(p + 10),
                       ld1(p + 6), ld1(p + 14)));
    }
  }
}

// First pass, then the radix-4 passes of the twiddle table up to N (k >= 4).
template <bool Inv>
void passes(const double *src, double *w, double *out, i64 N, int k, const double *tw,
            const std::int32_t *rev, bool interleaved) {
  firstPass<Inv>(src, w, N, k, rev);
  for (i64 P = k % 2 == 0 ? 16 : 32; P <= N; P *= 4) {
    if (P == N && interleaved)
      radixPass<Inv, true>(w, out, N, P, tw);
    else
      radixPass<Inv, false>(w, P == N ? out : w, N, P, tw);
    tw += 3 * P / 2; // 12·P bytes per pass
  }
}

// ---- Twiddle tables -----------------------------------------------------------------

inline double *putBlock(double *t, Ipp64fc a, Ipp64fc b) {
  t[0] = a.re;
  t[1] = b.re;
  t[2] = a.im;
  t[3] = b.im;
  return t + 4;
}

// ---- Large-order path ---------------------------------------------------------------

template <const TSse2Params &Pm> void sizeLevel(int k, i64 *block, i64 *work) {
  const int s = Pm.split[k], r = k - s;
  if (r <= Pm.radixLimit) {
    *block = 16 * ((i64{1} << r) + 1);
    *work = 16 * (i64{1} << r);
  } else {
    sizeLevel<Pm>(r, block, work);
  }
  *block += 16 * (i64{1} << k);
  *work = std::max(*work, 16 * (i64{1} << Pm.chunk[k]));
}

// The column table of a level of order k (split s) in chunks of b columns: pass by pass,
// position by position, column pair by column pair, the powers w, w^2, w^3.
void initColumnTable(int k, int s, i64 b, const double *S, int m, double *t) {
  const int r = k - s;
  const i64 C = i64{1} << r;
  for (i64 t0 = 0; t0 < C; t0 += b) {
    int i = 1;
    for (; 2 * i <= s; ++i) {
      const int lu = r + 2 * i; // u = C·4^i
      for (i64 j = 0; j < (i64{1} << (2 * i - 2)); ++j)
        for (i64 c = t0; c < t0 + b; c += 2) {
          const i64 q = c + j * C;
          for (int l = 1; l <= 3; ++l)
            t = putBlock(t, ownsFFTFolded(S, m, lu, l * q), ownsFFTFolded(S, m, lu, l * (q + 1)));
        }
    }
    if (s % 2 == 1)
      for (i64 j = 0; j < (i64{1} << (s - 1)); ++j)
        for (i64 c = t0; c < t0 + b; c += 2) {
          const i64 q = c + j * C;
          t = putBlock(t, ownsFFTFolded(S, m, k, q), ownsFFTFolded(S, m, k, q + 1));
        }
  }
}

template <const TSse2Params &Pm>
char *initLevel(FFTSpec_64 *spec, int k, const double *S, int m, char *block, int depth,
                i64 *work) {
  const int s = Pm.split[k], r = k - s;
  char *P;
  if (r <= Pm.radixLimit) {
    ownsFFTInitTwiddleTab_64fc_Sse2(r, S, m, reinterpret_cast<Ipp64fc *>(block));
    P = block + 16 * (i64{1} << r);
    *work = 16 * (i64{1} << r);
  } else {
    P = initLevel<Pm>(spec, r, S, m, block, depth + 1, work);
  }
  spec->levelColumn[depth] = reinterpret_cast<Ipp64fc *>(P);
  initColumnTable(k, s, i64{1} << (Pm.chunk[k] - s), S, m, reinterpret_cast<double *>(P));
  *work = std::max(*work, 16 * (i64{1} << Pm.chunk[k]));
  return P + 16 * (i64{1} << k);
}

// Column radix-4 pass over the chunk (K rows of b values, paired): pass i has the quarter
// distance D = 4^(i-1) rows; the twiddles depend on the position j < D and the column.
} // namespace

template <bool Inv>
const double *ownsFFTColRadix4_64fc_Sse2(double *w, i64 b, i64 K, i64 D, const double *tw) {
  for (i64 g = 0; g < K; g += 4 * D) {
    const double *t = tw;
    for (i64 j = 0; j < D; ++j) {
      double *row = w + 2 * (g + j) * b;
      for (i64 c = 0; c < b; c += 2, t += 12) {
        V2 w1, w2, w3;
        loadTw(t, w1, w2, w3);
        double *p0 = row + 2 * c;
        V2 x0 = loadPaired(p0), x1 = loadPaired(p0 + 2 * D * b);
        V2 x2 = loadPaired(p0 + 4 * D * b), x3 = loadPaired(p0 + 6 * D * b);
        butterfly4<Inv>(x0, x1, x2, x3, w1, w2, w3);
        storePaired(p0, x0);
        storePaired(p0 + 2 * D * b, x1);
        storePaired(p0 + 4 * D * b, x2);
        storePaired(p0 + 6 * D * b, x3);
      }
    }
  }
  return tw + 12 * D * (b / 2);
}

// The final radix-2 pass of an odd split: rows j and j + K/2.
template <bool Inv>
const double *ownsFFTColRadix2_64fc_Sse2(double *w, i64 b, i64 K, const double *tw) {
  const i64 H = K / 2;
  const double *t = tw;
  for (i64 j = 0; j < H; ++j)
    for (i64 c = 0; c < b; c += 2, t += 4) {
      const V2 wt = loadPaired(t);
      double *p0 = w + 2 * (j * b + c);
      const V2 x0 = loadPaired(p0), x1 = mul<Inv>(loadPaired(p0 + 2 * H * b), wt);
      storePaired(p0, add(x0, x1));
      storePaired(p0 + 2 * H * b, sub(x0, x1));
    }
  return t;
}

template const double *ownsFFTColRadix4_64fc_Sse2<false>(double *, i64, i64, i64, const double *);
template const double *ownsFFTColRadix4_64fc_Sse2<true>(double *, i64, i64, i64, const double *);
template const double *ownsFFTColRadix2_64fc_Sse2<false>(double *, i64, i64, const double *);
template const double *ownsFFTColRadix2_64fc_Sse2<true>(double *, i64, i64, const double *);

void ownsFFTRadix4_64fc_Sse2(double *x, std::int64_t N, int k, const double *tw) {
  passes<false>(x, x, x, N, k, tw, nullptr, false);
}
void ownsFFTRadix4Inv_64fc_Sse2(double *x, std::int64_t N, int k, const double *tw) {
  passes<true>(x, x, x, N, k, tw, nullptr, false);
}

void ownsFFTGatherCols_64fc_Sse2(const double *data, double *work, std::int64_t C, std::int64_t R,
                                 std::int64_t b) {
  for (i64 row = 0; row < R; ++row)
    std::memcpy(work + 2 * row * b, data + 2 * row * C, 16 * b);
}

void ownsFFTScatterCols_64fc_Sse2(const double *work, double *data, std::int64_t C, std::int64_t R,
                                  std::int64_t b, bool interleave) {
  for (i64 row = 0; row < R; ++row) {
    const double *from = work + 2 * row * b;
    double *to = data + 2 * row * C;
    if (interleave)
      for (i64 c = 0; c < b; c += 2)
        storeInter(to + 2 * c, loadPaired(from + 2 * c));
    else
      std::memcpy(to, from, 16 * b);
  }
}

namespace {

// A row of a level whose rows are within the radix limit: its input is already
// bit-reversed, its output stays in the paired layout, scaled once here when the
// direction asks for it.
template <bool Inv> void leafRow(const FFTSpec_64 *spec, double *row, i64 C, int r) {
  const double *tw = reinterpret_cast<const double *>(spec->twiddleTable);
  if (Inv)
    ownsFFTRadix4Inv_64fc_Sse2(row, C, r, tw);
  else
    ownsFFTRadix4_64fc_Sse2(row, C, r, tw);
  if (Inv ? spec->invScaleFlag : spec->fwdScaleFlag)
    ownsFFTScale_64f_Sse2(spec->scaleFactor, row, 2 * C);
}

} // namespace

void ownsFFTLeaf_64fc_Sse2(const FFTSpec_64 *spec, double *row, std::int64_t C, int r) {
  leafRow<false>(spec, row, C, r);
}
void ownsFFTLeafInv_64fc_Sse2(const FFTSpec_64 *spec, double *row, std::int64_t C, int r) {
  leafRow<true>(spec, row, C, r);
}

// One level of order k: rows whole, then the columns in chunks of b through the work area.
template <const TSse2Params &Pm, bool Inv>
void ownsFFTLargeStep_64fc_Sse2(const FFTSpec_64 *spec, double *data, int k, int depth,
                                double *work) {
  const int s = Pm.split[k], r = k - s;
  const i64 K = i64{1} << s, C = i64{1} << r;
  for (i64 row = 0; row < K; ++row) {
    double *R = data + 2 * row * C;
    if (r > Pm.radixLimit)
      ownsFFTLargeStep_64fc_Sse2<Pm, Inv>(spec, R, r, depth + 1, work);
    else if (Inv)
      ownsFFTLeafInv_64fc_Sse2(spec, R, C, r);
    else
      ownsFFTLeaf_64fc_Sse2(spec, R, C, r);
  }
  const i64 b = i64{1} << (Pm.chunk[k] - s);
  const double *tw = reinterpret_cast<const double *>(spec->levelColumn[depth]);
  for (i64 c0 = 0; c0 < C; c0 += b) {
    ownsFFTGatherCols_64fc_Sse2(data + 2 * c0, work, C, K, b);
    i64 D = 1;
    for (; 4 * D <= K; D *= 4)
      tw = ownsFFTColRadix4_64fc_Sse2<Inv>(work, b, K, D, tw);
    if (D < K)
      tw = ownsFFTColRadix2_64fc_Sse2<Inv>(work, b, K, tw);
    // The top level leaves interleaved values, the deeper ones the paired layout.
    ownsFFTScatterCols_64fc_Sse2(work, data + 2 * c0, C, K, b, depth == 0);
  }
}

namespace {

// ---- Variant hooks ------------------------------------------------------------------

using LargeFn = void (*)(const FFTSpec_64 *, Ipp64fc *, int, Ipp64fc *);

template <const TSse2Params &Pm, bool Inv, LargeFn Large>
void transform(const FFTSpec_64 *spec, const Ipp64fc *src, Ipp64fc *dst, int k, Ipp64fc *work) {
  const i64 N = i64{1} << k;
  if (k <= Pm.radixLimit) {
    ownsFFTBitRevRadix4Dir_64fc_Sse2<Inv>(src, dst, N, spec->twiddleTable, spec->bitRevTable, work);
    if (Inv ? spec->invScaleFlag : spec->fwdScaleFlag)
      ownsFFTScale_64f_Sse2(spec->scaleFactor, &dst->re, 2 * N);
    return;
  }
  if (src == dst)
    ownsBitRev_64fc_I_Sse2(dst, N, spec->bitRevTable);
  else
    ownsBitRev_64fc_Sse2(src, dst, N, spec->bitRevTable);
  Large(spec, dst, k, work);
}

const FFTSmallKernelTable kSse3ComplexFwd = kFFTComplexFwdKernels;
const FFTSmallKernelTable kSse3ComplexInv = kFFTComplexInvKernels;
const FFTSmallKernelTable kSse3RealFwd = kFFTRealFwdKernels;
const FFTSmallKernelTable kSse3RealInv = kFFTRealInvKernels;

// The set-up of the two members: radix limits of their own, the tables laid out for
// the packed passes, which run in a work area of one complex value per point.
constexpr TFFTSetUpLevel kSse2SetUp = {
    kSse2Params.radixLimit,          ownsFFTInitBitRevTab_Sse2,
    ownsFFTInitTwiddleTab_64fc_Sse2, ownsFFTGetSizeLarge_Sse2,
    ownsFFTInitLarge_64fc_Sse2,      ownsFFTInitRealFwdTab_64f_Sse2,
    ownsFFTInitRealInvTab_64f_Sse2,  16};
constexpr TFFTSetUpLevel kSse3SetUp = {
    kSse3Params.radixLimit,          ownsFFTInitBitRevTab_Sse2,
    ownsFFTInitTwiddleTab_64fc_Sse2, ownsFFTGetSizeLarge_Sse3,
    ownsFFTInitLarge_64fc_Sse3,      ownsFFTInitRealFwdTab_64f_Sse2,
    ownsFFTInitRealInvTab_64f_Sse2,  16};

} // namespace

// ---- Named routines -----------------------------------------------------------------

int ownsFFTInitComplex_64fc_Sse2(FFTSpec_64 *spec, int k, const double *S, int m) {
  return initComplexTables<kSse2SetUp>(spec, k, S, m);
}
int ownsFFTInitComplex_64fc_Sse3(FFTSpec_64 *spec, int k, const double *S, int m) {
  return initComplexTables<kSse3SetUp>(spec, k, S, m);
}

void ownsFFTInitLarge_64fc_Sse2(FFTSpec_64 *spec, int k, const double *S, int m, Ipp64fc *block) {
  i64 work = 0;
  initLevel<kSse2Params>(spec, k, S, m, reinterpret_cast<char *>(block), 0, &work);
  spec->workSize = static_cast<std::int32_t>(work);
}
void ownsFFTInitLarge_64fc_Sse3(FFTSpec_64 *spec, int k, const double *S, int m, Ipp64fc *block) {
  i64 work = 0;
  initLevel<kSse3Params>(spec, k, S, m, reinterpret_cast<char *>(block), 0, &work);
  spec->workSize = static_cast<std::int32_t>(work);
}

void ownsFFTLargeSplit_64fc_Sse2(const FFTSpec_64 *spec, double *data, int order, int depth,
                                 double *work) {
  ownsFFTLargeStep_64fc_Sse2<kSse2Params, false>(spec, data, order, depth, work);
}
void ownsFFTLargeSplitInv_64fc_Sse2(const FFTSpec_64 *spec, double *data, int order, int depth,
                                    double *work) {
  ownsFFTLargeStep_64fc_Sse2<kSse2Params, true>(spec, data, order, depth, work);
}
void ownsFFTLarge_64fc_Sse2(const FFTSpec_64 *spec, Ipp64fc *data, int order, Ipp64fc *work) {
  ownsFFTLargeSplit_64fc_Sse2(spec, &data->re, order, 0, &work->re);
}
void ownsFFTLargeInv_64fc_Sse2(const FFTSpec_64 *spec, Ipp64fc *data, int order, Ipp64fc *work) {
  ownsFFTLargeSplitInv_64fc_Sse2(spec, &data->re, order, 0, &work->re);
}
void ownsFFTLargeSplit_64fc_Sse3(const FFTSpec_64 *spec, double *data, int order, int depth,
                                 double *work) {
  ownsFFTLargeStep_64fc_Sse2<kSse3Params, false>(spec, data, order, depth, work);
}
void ownsFFTLargeSplitInv_64fc_Sse3(const FFTSpec_64 *spec, double *data, int order, int depth,
                                    double *work) {
  ownsFFTLargeStep_64fc_Sse2<kSse3Params, true>(spec, data, order, depth, work);
}
void ownsFFTLarge_64fc_Sse3(const FFTSpec_64 *spec, Ipp64fc *data, int order, Ipp64fc *work) {
  ownsFFTLargeSplit_64fc_Sse3(spec, &data->re, order, 0, &work->re);
}
void ownsFFTLargeInv_64fc_Sse3(const FFTSpec_64 *spec, Ipp64fc *data, int order, Ipp64fc *work) {
  ownsFFTLargeSplitInv_64fc_Sse3(spec, &data->re, order, 0, &work->re);
}

std::int32_t *ownsFFTInitBitRevTab_Sse2(int k, std::int32_t *T) {
  if (k < 2)
    return T;
  const i64 B = i64{1} << (k - 2);
  i64 rev = 0;
  T[0] = 0;
  for (i64 i = 1; i < B; ++i) {
    i64 h = B / 2;
    while (h <= rev) {
      rev -= h;
      h /= 2;
    }
    rev += h;
    T[i] = static_cast<std::int32_t>(2 * rev);
  }
  T[B] = 0;
  return reinterpret_cast<std::int32_t *>(reinterpret_cast<char *>(T) + roundUp16(4 * (B + 1)));
}

Ipp64fc *ownsFFTInitTwiddleTab_64fc_Sse2(int k, const double *S, int m, Ipp64fc *W) {
  const i64 n = i64{1} << k;
  if (k <= 3)
    return W + n;
  double *t = &W->re;
  for (int j = k % 2 == 0 ? 4 : 5; j <= k; j += 2) {
    const i64 L = i64{1} << j;
    for (i64 q = 0; q < L / 4; q += 2)
      for (int l = 1; l <= 3; ++l)
        t = putBlock(t, ownsFFTFolded(S, m, j, l * q), ownsFFTFolded(S, m, j, l * (q + 1)));
  }
  return W + n;
}

void ownsFFTInitRealFwdTab_64f_Sse2(int m, const double *S, Ipp64fc *T) {
  const i64 Q = (i64{1} << m) / 4;
  double *t = &T->re;
  for (i64 j = 1; j < Q; j += 2, t += 4) {
    t[0] = 0.5 * S[Q - j];
    t[1] = 0.5 * S[Q - j - 1];
    t[2] = 0.5 - 0.5 * S[j];
    t[3] = 0.5 - 0.5 * S[j + 1];
  }
}

void ownsFFTInitRealInvTab_64f_Sse2(int m, const double *S, Ipp64fc *T) {
  const i64 Q = (i64{1} << m) / 4;
  double *t = &T->re;
  for (i64 j = 1; j < Q; j += 2, t += 4) {
    t[0] = S[Q - j];
    t[1] = S[Q - j - 1];
    t[2] = -S[j];
    t[3] = -S[j + 1];
  }
}

void ownsFFTGetSizeLarge_Sse2(int k, std::int64_t *blockSize, std::int64_t *workSize) {
  sizeLevel<kSse2Params>(k, blockSize, workSize);
}
void ownsFFTGetSizeLarge_Sse3(int k, std::int64_t *blockSize, std::int64_t *workSize) {
  sizeLevel<kSse3Params>(k, blockSize, workSize);
}

template <bool Inv>
void ownsFFTBitRevRadix4Dir_64fc_Sse2(const Ipp64fc *src, Ipp64fc *dst, std::int64_t N,
                                      const Ipp64fc *tw, const std::int32_t *rev, Ipp64fc *work) {
  const double *s = &src->re;
  double *d = &dst->re;
  if (N == 8) {
    const Y8 y = dft8<Inv>(ld1(s), ld1(s + 2), ld1(s + 4), ld1(s + 6), ld1(s + 8), ld1(s + 10),
                           ld1(s + 12), ld1(s + 14));
    const __m128d out[8] = {y.y0, y.y1, y.y2, y.y3, y.y4, y.y5, y.y6, y.y7};
    for (int t = 0; t < 8; ++t)
      _mm_storeu_pd(d + 2 * t, out[t]);
    return;
  }
  // The gather reads all of src, so an in-place transform runs its passes in the work area.
  double *w = src == dst ? &work->re : d;
  int k = 0;
  while ((i64{1} << k) < N)
    ++k;
  passes<Inv>(s, w, d, N, k, &tw->re, rev, true);
}
template void ownsFFTBitRevRadix4Dir_64fc_Sse2<false>(const Ipp64fc *, Ipp64fc *, std::int64_t,
                                                      const Ipp64fc *, const std::int32_t *,
                                                      Ipp64fc *);
template void ownsFFTBitRevRadix4Dir_64fc_Sse2<true>(const Ipp64fc *, Ipp64fc *, std::int64_t,
                                                     const Ipp64fc *, const std::int32_t *,
                                                     Ipp64fc *);

void ownsFFTBitRevRadix4_64fc_Sse2(const Ipp64fc *src, Ipp64fc *dst, std::int64_t N,
                                   const Ipp64fc *tw, const std::int32_t *rev, Ipp64fc *work) {
  ownsFFTBitRevRadix4Dir_64fc_Sse2<false>(src, dst, N, tw, rev, work);
}
void ownsFFTBitRevRadix4Inv_64fc_Sse2(const Ipp64fc *src, Ipp64fc *dst, std::int64_t N,
                                      const Ipp64fc *tw, const std::int32_t *rev, Ipp64fc *work) {
  ownsFFTBitRevRadix4Dir_64fc_Sse2<true>(src, dst, N, tw, rev, work);
}

// dst[u·q + 4g + j] = src[rev2(j)·q + R + rev2(u)], R = rev[g]/2, q = N/4: sixteen values
// per group of the plain reversal table.
void ownsBitRev_64fc_Sse2(const Ipp64fc *src, Ipp64fc *dst, std::int64_t N,
                          const std::int32_t *rev) {
  if (N == 8) {
    for (int t = 0; t < 8; ++t)
      dst[t] = src[kRev3[t]];
    return;
  }
  const i64 q = N / 4;
  const double *s = &src->re;
  double *d = &dst->re;
  // Source line j (four values from r(j)·q + R) gives column j of the destination block:
  // its value r(u) lands in row u.
  const auto column = [&](const double *from, double *to) {
    const __m128d v0 = ld1(from), v1 = ld1(from + 2), v2 = ld1(from + 4), v3 = ld1(from + 6);
    _mm_storeu_pd(to, v0);
    _mm_storeu_pd(to + 2 * q, v2);
    _mm_storeu_pd(to + 4 * q, v1);
    _mm_storeu_pd(to + 6 * q, v3);
  };
  forEachTiled(N / 16, [&](i64 g) {
    const double *from = s + rev[g]; // element R = rev[g] / 2
    double *to = d + 8 * g;
    column(from, to);
    column(from + 4 * q, to + 2);
    column(from + 2 * q, to + 4);
    column(from + 6 * q, to + 6);
  });
}

void ownsBitRev_64fc_I_Sse2(Ipp64fc *x, std::int64_t N, const std::int32_t *rev) {
  if (N == 8) {
    std::swap(x[1], x[4]);
    std::swap(x[3], x[6]);
    return;
  }
  const i64 q = N / 4;
  Ipp64fc a[16], b[16];
  for (i64 g = N / 16 - 1; g >= 0; --g) {
    const i64 h = rev[g] / 8; // the partner group
    if (h < g)
      continue;
    for (int u = 0; u < 4; ++u)
      for (int j = 0; j < 4; ++j) {
        a[4 * u + j] = x[u * q + 4 * g + j];
        b[4 * u + j] = x[u * q + 4 * h + j];
      }
    for (int u = 0; u < 4; ++u)
      for (int j = 0; j < 4; ++j) {
        x[u * q + 4 * g + j] = b[4 * kRev2[j] + kRev2[u]];
        if (h != g)
          x[u * q + 4 * h + j] = a[4 * kRev2[j] + kRev2[u]];
      }
  }
}

void ownsFFTScale_64f_Sse2(double factor, double *x, std::int64_t count) {
  const __m128d f = _mm_set1_pd(factor);
  i64 i = 0;
  for (; i + 4 <= count; i += 4) {
    _mm_storeu_pd(x + i, _mm_mul_pd(_mm_loadu_pd(x + i), f));
    _mm_storeu_pd(x + i + 2, _mm_mul_pd(_mm_loadu_pd(x + i + 2), f));
  }
  for (; i < count; ++i)
    x[i] *= factor;
}

// Two indices k, k + 1 per step with their partners M - k, M - k - 1; the second lane of
// the last step (k + 1 = M/2, its own partner) is computed and not stored.
void ownsFFTRealRecomb_64f_Sse2(Ipp64fc *data, std::int64_t M, const Ipp64fc *table) {
  double *d = &data->re;
  const double *t = &table->re;
  const i64 Q = M / 2;
  for (i64 k = 1; k < Q; k += 2, t += 4) {
    const V2 zk = loadInter(d + 2 * k);
    const V2 zj = loadInterReversed(d + 2 * (M - k - 1));
    const __m128d a = _mm_loadu_pd(t), b = _mm_loadu_pd(t + 2);
    const __m128d delta = _mm_sub_pd(zk.re, zj.re), sigma = _mm_add_pd(zk.im, zj.im);
    const __m128d L = _mm_add_pd(_mm_mul_pd(b, delta), _mm_mul_pd(a, sigma));
    const __m128d Qv = _mm_sub_pd(_mm_mul_pd(b, sigma), _mm_mul_pd(a, delta));
    const V2 xk = {_mm_add_pd(zj.re, L), _mm_sub_pd(Qv, zj.im)};
    const V2 xj = {_mm_sub_pd(zk.re, L), _mm_sub_pd(Qv, zk.im)};
    _mm_storeu_pd(d + 2 * k, _mm_unpacklo_pd(xk.re, xk.im));
    _mm_storeu_pd(d + 2 * (M - k), _mm_unpacklo_pd(xj.re, xj.im));
    if (k + 1 < Q) {
      _mm_storeu_pd(d + 2 * (k + 1), _mm_unpackhi_pd(xk.re, xk.im));
      _mm_storeu_pd(d + 2 * (M - k - 1), _mm_unpackhi_pd(xj.re, xj.im));
    }
  }
  d[2 * Q + 1] = -d[2 * Q + 1];
}

void ownsFFTRealRecombInv_64f_Sse2(const Ipp64fc *src, Ipp64fc *dst, std::int64_t M,
                                   const Ipp64fc *table) {
  const double *s = &src->re;
  double *d = &dst->re;
  const double *t = &table->re;
  const i64 Q = M / 2;
  const double midRe = s[2 * Q], midIm = s[2 * Q + 1];
  d[2 * Q] = 2.0 * midRe;
  d[2 * Q + 1] = -2.0 * midIm;
  for (i64 k = 1; k < Q; k += 2, t += 4) {
    const V2 yk = loadInter(s + 2 * k);
    const V2 yj = loadInterReversed(s + 2 * (M - k - 1));
    const __m128d c = _mm_loadu_pd(t), sn = _mm_loadu_pd(t + 2);
    const __m128d P = _mm_add_pd(yk.re, yj.re), delta = _mm_sub_pd(yk.re, yj.re);
    const __m128d D = _mm_sub_pd(yk.im, yj.im), sigma = _mm_add_pd(yk.im, yj.im);
    const __m128d H = _mm_sub_pd(_mm_mul_pd(sn, delta), _mm_mul_pd(c, sigma));
    const __m128d G = _mm_add_pd(_mm_mul_pd(c, delta), _mm_mul_pd(sn, sigma));
    const V2 wk = {_mm_add_pd(P, H), _mm_add_pd(D, G)};
    const V2 wj = {_mm_sub_pd(P, H), _mm_sub_pd(G, D)};
    _mm_storeu_pd(d + 2 * k, _mm_unpacklo_pd(wk.re, wk.im));
    _mm_storeu_pd(d + 2 * (M - k), _mm_unpacklo_pd(wj.re, wj.im));
    if (k + 1 < Q) {
      _mm_storeu_pd(d + 2 * (k + 1), _mm_unpackhi_pd(wk.re, wk.im));
      _mm_storeu_pd(d + 2 * (M - k - 1), _mm_unpackhi_pd(wj.re, wj.im));
    }
  }
}

const TFFTVariant kFFTSse2Variant = {
    kFFTMemberSse2,
    &kFFTComplexFwdKernels,
    &kFFTComplexInvKernels,
    &kFFTRealFwdKernels,
    &kFFTRealInvKernels,
    ownsFFTInitComplex_64fc_Sse2,
    initRealTables<kSse2SetUp>,
    transform<kSse2Params, false, ownsFFTLarge_64fc_Sse2>,
    transform<kSse2Params, true, ownsFFTLargeInv_64fc_Sse2>,
    ownsFFTRealRecomb_64f_Sse2,
    ownsFFTRealRecombInv_64f_Sse2,
    largestTableBlock<kSse2SetUp>,
};

const TFFTVariant kFFTSse3Variant = {
    kFFTMemberSse3,
    &kSse3ComplexFwd,
    &kSse3ComplexInv,
    &kSse3RealFwd,
    &kSse3RealInv,
    ownsFFTInitComplex_64fc_Sse3,
    initRealTables<kSse3SetUp>,
    transform<kSse3Params, false, ownsFFTLarge_64fc_Sse3>,
    transform<kSse3Params, true, ownsFFTLargeInv_64fc_Sse3>,
    ownsFFTRealRecomb_64f_Sse2,
    ownsFFTRealRecombInv_64f_Sse2,
    largestTableBlock<kSse3SetUp>,
};

} // namespace kernels::fft_real
