// The real-transform engine written once over the element type: table builders from a
// quarter-wave sine table, bit reversal, radix-4 passes, the blocked and split large-order
// paths and the real recombination. T is the stored element type, A the type every sum
// and product is formed in before a value is stored (double for float data).
//
// Nothing here tests an argument or allocates: the entry operations have validated
// everything and hand in every table and work area.
#pragma once

#include <cmath>
#include <cstdint>
#include <utility>

#include "kernels/fft-audio/FFTReal32.h"

namespace kernels::fft_audio::engine {

// Rounds a byte count up to a multiple of 16.
constexpr std::int64_t round16(std::int64_t bytes) { return (bytes + 15) / 16 * 16; }

template <class P> P *alignUp16(void *p) {
  const auto v = reinterpret_cast<std::uintptr_t>(p);
  return reinterpret_cast<P *>((v + 15) / 16 * 16);
}

// Quarter-wave sine table of real order m (N = 2^m, N >= 16): N/4 + 1 values, sin(i·2π/N)
// up to N/8 and cos((N/4 - i)·2π/N) above, each computed in extended precision.
template <class T> void initSinTab(int m, T *S) {
  const std::int64_t N = std::int64_t{1} << m;
  const double step = 6.283185307179586 / static_cast<double>(N);
  for (std::int64_t i = 0; i <= N / 4; ++i) {
    const double arg = static_cast<double>(i <= N / 8 ? i : N / 4 - i) * step;
    const long double v = i <= N / 8 ? std::sin(static_cast<long double>(arg))
                                     : std::cos(static_cast<long double>(arg));
    S[i] = static_cast<T>(static_cast<double>(v));
  }
}

// w_L^t, L = 2^a, 0 <= t < L, from the sine table of order M >= a by the quadrant rule:
// copied or negated table values, no arithmetic.
template <class T> TComplex<T> folded(const T *S, int M, int a, std::int64_t t) {
  const std::int64_t L = std::int64_t{1} << a;
  const std::int64_t d = std::int64_t{1} << (M - a);
  const std::int64_t q = L / 4;
  if (t <= q)
    return {S[(q - t) * d], -S[t * d]};
  if (t <= 2 * q)
    return {-S[(t - q) * d], -S[(2 * q - t) * d]};
  if (t <= 3 * q)
    return {-S[(3 * q - t) * d], S[(t - 2 * q) * d]};
  return {S[(t - 3 * q) * d], S[(L - t) * d]};
}

// FFTTwiddleTable of order a: for i = 0 to L/4, w^i, w^2i, w^3i. Returns the 16-aligned end.
template <class T> TComplex<T> *initTwiddleTab(int a, const T *S, int M, TComplex<T> *W) {
  const std::int64_t L = std::int64_t{1} << a;
  for (std::int64_t i = 0; i <= L / 4; ++i) {
    *W++ = folded(S, M, a, i);
    *W++ = folded(S, M, a, 2 * i);
    *W++ = folded(S, M, a, 3 * i);
  }
  return alignUp16<TComplex<T>>(W);
}

// FFTBlockedTwiddleTable of order a: w^i for i < L/4.
template <class T> TComplex<T> *initBlockedTab(int a, const T *S, int M, TComplex<T> *W) {
  const std::int64_t L = std::int64_t{1} << a;
  for (std::int64_t i = 0; i < L / 4; ++i)
    *W++ = folded(S, M, a, i);
  return alignUp16<TComplex<T>>(W);
}

// Recombination tables of real order m: forward (0.5·cos, 0.5 - 0.5·sin), inverse (cos, -sin).
template <class T, class A> void initRealFwdTab(int m, const T *S, TComplex<T> *W) {
  const std::int64_t q = (std::int64_t{1} << m) / 4;
  for (std::int64_t i = 0; i < q; ++i)
    W[i] = {static_cast<T>(A{0.5} * S[q - i]), static_cast<T>(A{0.5} - A{0.5} * S[i])};
}
template <class T> void initRealInvTab(int m, const T *S, TComplex<T> *W) {
  const std::int64_t q = (std::int64_t{1} << m) / 4;
  for (std::int64_t i = 0; i < q; ++i)
    W[i] = {S[q - i], -S[i]};
}

// dst[rev(j)] = src[j] over log2 n bits with an FFTBitRevTable: its words name even
// indices p (as 2p) by pairs (p, rev p), then the self-reversed ones; each p stands for
// the four elements p, p + 1, h + p, h + p + 1.
template <class C> void bitRev(const C *src, C *dst, std::int64_t n, const std::int32_t *table) {
  if (n < 8) {
    dst[0] = src[0];
    dst[n - 1] = src[n - 1];
    if (n > 2) {
      dst[1] = src[2];
      dst[2] = src[1];
    }
    return;
  }
  const std::int64_t h = n / 2;
  const std::int32_t *t = table;
  for (; *t != 0; t += 2) {
    const std::int64_t a = t[0] / 2, b = t[1] / 2;
    dst[b] = src[a];
    dst[b + 1] = src[a + h];
    dst[b + h] = src[a + 1];
    dst[b + h + 1] = src[a + 1 + h];
    dst[a] = src[b];
    dst[a + 1] = src[b + h];
    dst[a + h] = src[b + 1];
    dst[a + h + 1] = src[b + 1 + h];
  }
  for (bool first = true; first || *t != 0; first = false, ++t) {
    const std::int64_t a = t[0] / 2;
    dst[a] = src[a];
    dst[a + 1] = src[a + h];
    dst[a + h] = src[a + 1];
    dst[a + h + 1] = src[a + 1 + h];
  }
}

template <class C> void bitRevInPlace(C *x, std::int64_t n, const std::int32_t *table) {
  if (n < 4)
    return;
  if (n < 8) {
    std::swap(x[1], x[2]);
    return;
  }
  const std::int64_t h = n / 2;
  const std::int32_t *t = table;
  for (; *t != 0; t += 2) {
    const std::int64_t a = t[0] / 2, b = t[1] / 2;
    std::swap(x[a], x[b]);
    std::swap(x[a + 1], x[b + h]);
    std::swap(x[a + h], x[b + 1]);
    std::swap(x[a + h + 1], x[b + h + 1]);
  }
  for (bool first = true; first || *t != 0; first = false, ++t) {
    const std::int64_t a = t[0] / 2;
    std::swap(x[a + 1], x[a + h]);
  }
}

template <class A> struct TAcc {
  A re;
  A im;
};

template <class A, class T> TAcc<A> load(const TComplex<T> &v) { return {A(v.re), A(v.im)}; }
template <class A, class T> TComplex<T> store(const TAcc<A> &v) {
  return {static_cast<T>(v.re), static_cast<T>(v.im)};
}
template <class A> TAcc<A> mul(TAcc<A> p, TAcc<A> w) {
  return {p.re * w.re - p.im * w.im, p.re * w.im + p.im * w.re};
}

// Bit-reversed input of n = 4 ... 1024 points to its unscaled forward transform in
// natural order; T: FFTTwiddleTable of order log2 n.
template <class T, class A> void radix4(TComplex<T> *x, std::int64_t n, const TComplex<T> *tw) {
  using V = TAcc<A>;
  if (n < 4)
    return;
  for (std::int64_t g = 0; g < n; g += 4) {
    const V p0 = load<A>(x[g]), p1 = load<A>(x[g + 1]), p2 = load<A>(x[g + 2]),
            p3 = load<A>(x[g + 3]);
    const V s = {p0.re + p1.re, p0.im + p1.im}, d = {p0.re - p1.re, p0.im - p1.im};
    const V u = {p2.re + p3.re, p2.im + p3.im}, e = {p2.re - p3.re, p2.im - p3.im};
    x[g] = store<A, T>({s.re + u.re, s.im + u.im});
    x[g + 2] = store<A, T>({s.re - u.re, s.im - u.im});
    // -i·e = (e.im, -e.re)
    x[g + 1] = store<A, T>({d.re + e.im, d.im - e.re});
    x[g + 3] = store<A, T>({d.re - e.im, d.im + e.re});
  }
  int c = 0;
  while ((std::int64_t{1} << c) < n)
    ++c;
  std::int64_t L = 4;
  if (c % 2 == 1) {
    for (std::int64_t g = 0; g < n; g += 8)
      for (std::int64_t j = 0; j < 4; ++j) {
        // w8^j: entry n/8 holds w8, w8^2 and w8^3.
        const V w = j == 0 ? V{1, 0} : load<A>(tw[3 * (n / 8) + (j - 1)]);
        const V a = load<A>(x[g + j]);
        const V b = mul(load<A>(x[g + 4 + j]), w);
        x[g + j] = store<A, T>({a.re + b.re, a.im + b.im});
        x[g + 4 + j] = store<A, T>({a.re - b.re, a.im - b.im});
      }
    L = 8;
  }
  for (; 4 * L <= n; L *= 4) {
    for (std::int64_t g = 0; g < n; g += 4 * L)
      for (std::int64_t j = 0; j < L; ++j) {
        const TComplex<T> *e3 = tw + 3 * (j * n / (4 * L));
        const V q0 = load<A>(x[g + j]);
        const V q1 = mul(load<A>(x[g + j + L]), load<A>(e3[1]));
        const V q2 = mul(load<A>(x[g + j + 2 * L]), load<A>(e3[0]));
        const V q3 = mul(load<A>(x[g + j + 3 * L]), load<A>(e3[2]));
        const V a = {q0.re + q1.re, q0.im + q1.im}, b = {q0.re - q1.re, q0.im - q1.im};
        const V e = {q2.re + q3.re, q2.im + q3.im}, f = {q2.re - q3.re, q2.im - q3.im};
        x[g + j] = store<A, T>({a.re + e.re, a.im + e.im});
        x[g + j + 2 * L] = store<A, T>({a.re - e.re, a.im - e.im});
        x[g + j + L] = store<A, T>({b.re + f.im, b.im - f.re});
        x[g + j + 3 * L] = store<A, T>({b.re - f.im, b.im + f.re});
      }
  }
}

template <class T, class A> void scale(T factor, T *x, std::int64_t count) {
  for (std::int64_t i = 0; i < count; ++i)
    x[i] = static_cast<T>(A(x[i]) * A(factor));
}

// Forward recombination of the n-point half-length transform into the Perm spectrum
// (positions 0 and 1 are the caller's).
template <class T, class A>
void realRecombFwd(TComplex<T> *Z, std::int64_t n, const TComplex<T> *table) {
  if (n < 2)
    return;
  for (std::int64_t j = 1; j < n / 2; ++j) {
    const A a = Z[j].re, c = Z[j].im, b = Z[n - j].re, d = Z[n - j].im;
    const A t0 = table[j].re, t1 = table[j].im;
    const A L = t1 * (a - b) + t0 * (c + d);
    const A M = t1 * (c + d) - t0 * (a - b);
    Z[j] = {static_cast<T>(b + L), static_cast<T>(M - d)};
    Z[n - j] = {static_cast<T>(a - L), static_cast<T>(M - c)};
  }
  Z[n / 2].im = -Z[n / 2].im;
}

} // namespace kernels::fft_audio::engine
