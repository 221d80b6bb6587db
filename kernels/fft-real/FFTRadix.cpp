// Bit reversal, radix passes and scaling of the complex transforms up to 1024 points.
// Arithmetic is double precision throughout: every sum and product is rounded to
// double, which is within the accuracy the transforms promise.
#include <utility>

#include "kernels/fft-real/FFTEngine64.h"

namespace kernels::fft_real {

void ownsBitRev_64fc(const Ipp64fc *src, Ipp64fc *dst, std::int64_t N, const std::int32_t *table) {
  if (N < 8) {
    dst[0] = src[0];
    dst[N - 1] = src[N - 1];
    if (N > 2) {
      dst[1] = src[2];
      dst[2] = src[1];
    }
    return;
  }
  // The table lists the even indices p < N/2 by pairs (p, rev p) and then by
  // self-reversed p; each p stands for the four elements p, p + 1, H + p, H + p + 1.
  const std::int64_t H = N / 2;
  const std::int32_t *t = table;
  for (; *t != 0; t += 2) {
    const std::int64_t p = t[0] / 2, q = t[1] / 2;
    dst[q] = src[p];
    dst[q + 1] = src[H + p];
    dst[p] = src[q];
    dst[p + 1] = src[H + q];
    dst[H + q] = src[p + 1];
    dst[H + q + 1] = src[H + p + 1];
    dst[H + p] = src[q + 1];
    dst[H + p + 1] = src[H + q + 1];
  }
  for (bool first = true; first || *t != 0; first = false, ++t) {
    const std::int64_t p = t[0] / 2;
    dst[p] = src[p];
    dst[p + 1] = src[H + p];
    dst[H + p] = src[p + 1];
    dst[H + p + 1] = src[H + p + 1];
  }
}

void ownsBitRev_64fc_I(Ipp64fc *x, std::int64_t N, const std::int32_t *table) {
  if (N < 4)
    return;
  const std::int64_t H = N / 2;
  const std::int32_t *t = table;
  for (; *t != 0; t += 2) {
    const std::int64_t p = t[0] / 2, q = t[1] / 2;
    std::swap(x[p], x[q]);
    std::swap(x[p + 1], x[H + q]);
    std::swap(x[H + p], x[q + 1]);
    std::swap(x[H + p + 1], x[H + q + 1]);
  }
  for (bool first = true; first || *t != 0; first = false, ++t) {
    const std::int64_t p = t[0] / 2;
    std::swap(x[p + 1], x[H + p]);
  }
}

namespace {

// The radix-4 butterfly on a, b, c, d standing L apart; the quarters hold the
// sub-transforms of the indices 0, 2, 1, 3 modulo 4, so b takes w^2 and c takes w.
template <bool Inv>
inline void butterfly(Ipp64fc *x, std::int64_t L, Ipp64fc t2, Ipp64fc t1, Ipp64fc t3) {
  const Ipp64fc a = x[0];
  const double sRe = a.re + t2.re, sIm = a.im + t2.im;
  const double dRe = a.re - t2.re, dIm = a.im - t2.im;
  const double pRe = t1.re + t3.re, pIm = t1.im + t3.im;
  const double mRe = t1.re - t3.re, mIm = t1.im - t3.im;
  x[0] = {sRe + pRe, sIm + pIm};
  x[2 * L] = {sRe - pRe, sIm - pIm};
  if (Inv) {
    x[L] = {dRe - mIm, dIm + mRe};
    x[3 * L] = {dRe + mIm, dIm - mRe};
  } else {
    x[L] = {dRe + mIm, dIm - mRe};
    x[3 * L] = {dRe - mIm, dIm + mRe};
  }
}

template <bool Inv> void radix4(Ipp64fc *x, std::int64_t N, const Ipp64fc *tw) {
  for (std::int64_t B = 0; B < N; B += 4)
    butterfly<Inv>(x + B, 1, x[B + 1], x[B + 2], x[B + 3]);

  std::int64_t L = 4;
  int order = 0;
  while ((std::int64_t{1} << order) < N)
    ++order;
  if (order % 2 == 1) {
    // Radix-2 pass on blocks of 8: b times w_8^k (conjugate for the inverse).
    const double s = tw[3 * (N / 8)].re, s2 = tw[3 * (N / 8)].im;
    for (std::int64_t B = 0; B < N; B += 8) {
      Ipp64fc *y = x + B;
      for (int k = 0; k < 4; ++k) {
        const Ipp64fc a = y[k], b = y[k + 4];
        Ipp64fc u = b;
        if (k == 1)
          u = Inv ? Ipp64fc{(b.re - b.im) * s, (b.re + b.im) * s}
                  : Ipp64fc{(b.re + b.im) * s, (b.im - b.re) * s};
        else if (k == 2)
          u = Inv ? Ipp64fc{-b.im, b.re} : Ipp64fc{b.im, -b.re};
        else if (k == 3)
          u = Inv ? Ipp64fc{(b.re + b.im) * s2, (b.im - b.re) * s2}
                  : Ipp64fc{(b.re - b.im) * s2, (b.im + b.re) * s2};
        y[k] = {a.re + u.re, a.im + u.im};
        y[k + 4] = {a.re - u.re, a.im - u.im};
      }
    }
    L = 8;
  }
  for (; 4 * L <= N; L *= 4) {
    const std::int64_t stride = N / (4 * L);
    for (std::int64_t B = 0; B < N; B += 4 * L)
      butterfly<Inv>(x + B, L, x[B + L], x[B + 2 * L], x[B + 3 * L]);
    for (std::int64_t k = 1; k < L; ++k) {
      const Ipp64fc *w = tw + 3 * k * stride;
      const Ipp64fc w1 = w[0], w2 = w[1], w3 = w[2];
      for (std::int64_t B = k; B < N; B += 4 * L)
        butterfly<Inv>(x + B, L, ownsFFTMulTw<Inv>(x[B + L], w2),
                       ownsFFTMulTw<Inv>(x[B + 2 * L], w1), ownsFFTMulTw<Inv>(x[B + 3 * L], w3));
    }
  }
}

} // namespace

void ownsFFTRadix4_64fc(Ipp64fc *x, std::int64_t N, const Ipp64fc *tw) { radix4<false>(x, N, tw); }

void ownsFFTRadix4Inv_64fc(Ipp64fc *x, std::int64_t N, const Ipp64fc *tw) {
  radix4<true>(x, N, tw);
}

void ownsFFTScale_64f(double factor, double *x, std::int64_t count) {
  for (std::int64_t i = 0; i < count; ++i)
    x[i] *= factor;
}

} // namespace kernels::fft_real
