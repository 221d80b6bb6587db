// Straight-line transforms of 1, 2, 4 and 8 points, scaled or not, in natural order.
// Each kernel reads all its inputs before it writes, so dst may be src. The complex
// kernels are written once over an accessor, so the interleaved kernels and their
// split-format twins compute the same values in the same steps.
#include "kernels/fft-real/FFTEngine64.h"

namespace kernels::fft_real {

namespace {

constexpr double kC = 0.7071067811865476;  // nearest double to sqrt(1/2)
constexpr double kC2 = 1.4142135623730951; // 2c

struct Cx {
  double re, im;
};

Cx operator+(Cx a, Cx b) { return {a.re + b.re, a.im + b.im}; }
Cx operator-(Cx a, Cx b) { return {a.re - b.re, a.im - b.im}; }
Cx scaled(Cx a, double s) { return {a.re * s, a.im * s}; }
Cx mulMinusI(Cx z) { return {z.im, -z.re}; } // -i·z
Cx mulPlusI(Cx z) { return {-z.im, z.re}; }  // +i·z

struct Interleaved {
  const double *s;
  double *d;
  Cx get(int n) const { return {s[2 * n], s[2 * n + 1]}; }
  void put(int k, Cx v) const {
    d[2 * k] = v.re;
    d[2 * k + 1] = v.im;
  }
};

struct Split {
  const double *sRe;
  const double *sIm;
  double *dRe;
  double *dIm;
  Cx get(int n) const { return {sRe[n], sIm[n]}; }
  void put(int k, Cx v) const {
    dRe[k] = v.re;
    dIm[k] = v.im;
  }
};

// The first-stage values are scaled as soon as they are formed.
template <bool Scale> Cx first(Cx v, double s) { return Scale ? scaled(v, s) : v; }

template <bool Scale, class A> void copyC(A io, double s) { io.put(0, first<Scale>(io.get(0), s)); }

template <bool Scale, class A> void fft2C(A io, double s) {
  const Cx x0 = io.get(0), x1 = io.get(1);
  io.put(0, first<Scale>(x0 + x1, s));
  io.put(1, first<Scale>(x0 - x1, s));
}

template <bool Inv, bool Scale, class A> void fft4C(A io, double s) {
  const Cx x0 = io.get(0), x1 = io.get(1), x2 = io.get(2), x3 = io.get(3);
  const Cx a = first<Scale>(x0 + x2, s), b = first<Scale>(x1 + x3, s);
  const Cx d = first<Scale>(x0 - x2, s), e = first<Scale>(x1 - x3, s);
  const Cx ie = Inv ? mulPlusI(e) : mulMinusI(e);
  io.put(0, a + b);
  io.put(1, d + ie);
  io.put(2, a - b);
  io.put(3, d - ie);
}

template <bool Inv, bool Scale, class A> void fft8C(A io, double s) {
  Cx S[4], D[4];
  for (int n = 0; n < 4; ++n) {
    const Cx a = io.get(n), b = io.get(n + 4);
    S[n] = first<Scale>(a + b, s);
    D[n] = first<Scale>(a - b, s);
  }
  // rot(z) is -i·z forward, +i·z inverse.
  auto rot = [](Cx z) { return Inv ? mulPlusI(z) : mulMinusI(z); };
  const Cx s02 = S[0] + S[2], s13 = S[1] + S[3];
  const Cx d02 = S[0] - S[2], d13 = rot(S[1] - S[3]);
  const Cx e = D[0] + rot(D[2]), f = D[0] - rot(D[2]);
  const Cx p = D[1] + rot(D[3]), q = D[1] - rot(D[3]);
  // p times e^(-πi/4) and q times e^(-3πi/4) (conjugates for the inverse).
  const Cx g =
      Inv ? Cx{kC * (p.re - p.im), kC * (p.re + p.im)} : Cx{kC * (p.re + p.im), kC * (p.im - p.re)};
  const Cx h = Inv ? Cx{-kC * (q.re + q.im), -kC * (q.im - q.re)}
                   : Cx{-kC * (q.re - q.im), -kC * (q.re + q.im)};
  io.put(0, s02 + s13);
  io.put(4, s02 - s13);
  io.put(2, d02 + d13);
  io.put(6, d02 - d13);
  io.put(1, e + g);
  io.put(5, e - g);
  io.put(3, f + h);
  io.put(7, f - h);
}

template <bool Scale> double firstR(double v, double s) { return Scale ? v * s : v; }

template <bool Scale> void fwd4R(const double *x, double *y, double s) {
  const double a = firstR<Scale>(x[0] + x[2], s), b = firstR<Scale>(x[1] + x[3], s);
  const double d = firstR<Scale>(x[0] - x[2], s), e = firstR<Scale>(x[3] - x[1], s);
  y[0] = a + b;
  y[1] = a - b;
  y[2] = d;
  y[3] = e;
}

template <bool Scale> void inv4R(const double *x, double *y, double s) {
  const double a = firstR<Scale>(x[0] + x[1], s), b = firstR<Scale>(x[2] + x[2], s);
  const double d = firstR<Scale>(x[0] - x[1], s), e = firstR<Scale>(x[3] + x[3], s);
  y[0] = a + b;
  y[1] = d - e;
  y[2] = a - b;
  y[3] = d + e;
}

template <bool Scale> void fwd8R(const double *x, double *y, double s) {
  double S[4], D[4];
  for (int n = 0; n < 4; ++n) {
    S[n] = firstR<Scale>(x[n] + x[n + 4], s);
    D[n] = firstR<Scale>(x[n] - x[n + 4], s);
  }
  const double g = kC * (D[1] - D[3]);
  const double h = -kC * (D[1] + D[3]);
  const double s02 = S[0] + S[2], s13 = S[1] + S[3];
  y[0] = s02 + s13;
  y[1] = s02 - s13;
  y[2] = D[0] + g;
  y[3] = h - D[2];
  y[4] = S[0] - S[2];
  y[5] = S[3] - S[1];
  y[6] = D[0] - g;
  y[7] = h + D[2];
}

template <bool Scale> void inv8R(const double *x, double *y, double s) {
  const double R0 = x[0], R4 = x[1], R1 = x[2], I1 = x[3], R2 = x[4], I2 = x[5], R3 = x[6],
               I3 = x[7];
  const double a = firstR<Scale>(R0 + R4, s), b = firstR<Scale>(R2 + R2, s);
  const double d = firstR<Scale>(R0 - R4, s), e = firstR<Scale>(I2 + I2, s);
  const double f = firstR<Scale>(R1 + R3, s), g = firstR<Scale>(R1 - R3, s);
  const double h = firstR<Scale>(I1 + I3, s), k = firstR<Scale>(I1 - I3, s);
  const double P = a + b, Q = a - b, U = d - e, V = d + e;
  const double m = kC2 * (g - h), r = -kC2 * (g + h);
  y[0] = P + 2.0 * f;
  y[1] = U + m;
  y[2] = Q - 2.0 * k;
  y[3] = V + r;
  y[4] = P - 2.0 * f;
  y[5] = U - m;
  y[6] = Q + 2.0 * k;
  y[7] = V - r;
}

} // namespace

// Complex, interleaved.
void ownsFFTCopy_64fc(const double *x, double *y) { copyC<false>(Interleaved{x, y}, 0.0); }
void ownsFFTCopyScale_64fc(const double *x, double *y, double s) {
  copyC<true>(Interleaved{x, y}, s);
}
void ownsFFT2_64fc(const double *x, double *y) { fft2C<false>(Interleaved{x, y}, 0.0); }
void ownsFFT2Scale_64fc(const double *x, double *y, double s) { fft2C<true>(Interleaved{x, y}, s); }
void ownsFFTFwd4_64fc(const double *x, double *y) { fft4C<false, false>(Interleaved{x, y}, 0.0); }
void ownsFFTInv4_64fc(const double *x, double *y) { fft4C<true, false>(Interleaved{x, y}, 0.0); }
void ownsFFTFwd4Scale_64fc(const double *x, double *y, double s) {
  fft4C<false, true>(Interleaved{x, y}, s);
}
void ownsFFTInv4Scale_64fc(const double *x, double *y, double s) {
  fft4C<true, true>(Interleaved{x, y}, s);
}
void ownsFFTFwd8_64fc(const double *x, double *y) { fft8C<false, false>(Interleaved{x, y}, 0.0); }
void ownsFFTInv8_64fc(const double *x, double *y) { fft8C<true, false>(Interleaved{x, y}, 0.0); }
void ownsFFTFwd8Scale_64fc(const double *x, double *y, double s) {
  fft8C<false, true>(Interleaved{x, y}, s);
}
void ownsFFTInv8Scale_64fc(const double *x, double *y, double s) {
  fft8C<true, true>(Interleaved{x, y}, s);
}

// Real, Perm layout.
void ownsFFTCopy_64f(const double *x, double *y) { y[0] = x[0]; }
void ownsFFTCopyScale_64f(const double *x, double *y, double s) { y[0] = x[0] * s; }
void ownsFFT2_64f(const double *x, double *y) {
  const double a = x[0], b = x[1];
  y[0] = a + b;
  y[1] = a - b;
}
void ownsFFT2Scale_64f(const double *x, double *y, double s) {
  const double a = x[0], b = x[1];
  y[0] = s * (a + b);
  y[1] = s * (a - b);
}
void ownsFFTFwd4_64f(const double *x, double *y) { fwd4R<false>(x, y, 0.0); }
void ownsFFTInv4_64f(const double *x, double *y) { inv4R<false>(x, y, 0.0); }
void ownsFFTFwd4Scale_64f(const double *x, double *y, double s) { fwd4R<true>(x, y, s); }
void ownsFFTInv4Scale_64f(const double *x, double *y, double s) { inv4R<true>(x, y, s); }
void ownsFFTFwd8_64f(const double *x, double *y) { fwd8R<false>(x, y, 0.0); }
void ownsFFTInv8_64f(const double *x, double *y) { inv8R<false>(x, y, 0.0); }
void ownsFFTFwd8Scale_64f(const double *x, double *y, double s) { fwd8R<true>(x, y, s); }
void ownsFFTInv8Scale_64f(const double *x, double *y, double s) { inv8R<true>(x, y, s); }

// Complex, split format.
#define SPLIT_ARGS const double *sRe, const double *sIm, double *dRe, double *dIm
#define SPLIT_IO (Split{sRe, sIm, dRe, dIm})
void ownsFFTCopy_64fc_Split(SPLIT_ARGS) { copyC<false>(SPLIT_IO, 0.0); }
void ownsFFTCopyScale_64fc_Split(SPLIT_ARGS, double s) { copyC<true>(SPLIT_IO, s); }
void ownsFFT2_64fc_Split(SPLIT_ARGS) { fft2C<false>(SPLIT_IO, 0.0); }
void ownsFFT2Scale_64fc_Split(SPLIT_ARGS, double s) { fft2C<true>(SPLIT_IO, s); }
void ownsFFTFwd4_64fc_Split(SPLIT_ARGS) { fft4C<false, false>(SPLIT_IO, 0.0); }
void ownsFFTInv4_64fc_Split(SPLIT_ARGS) { fft4C<true, false>(SPLIT_IO, 0.0); }
void ownsFFTFwd4Scale_64fc_Split(SPLIT_ARGS, double s) { fft4C<false, true>(SPLIT_IO, s); }
void ownsFFTInv4Scale_64fc_Split(SPLIT_ARGS, double s) { fft4C<true, true>(SPLIT_IO, s); }
void ownsFFTFwd8_64fc_Split(SPLIT_ARGS) { fft8C<false, false>(SPLIT_IO, 0.0); }
void ownsFFTInv8_64fc_Split(SPLIT_ARGS) { fft8C<true, false>(SPLIT_IO, 0.0); }
void ownsFFTFwd8Scale_64fc_Split(SPLIT_ARGS, double s) { fft8C<false, true>(SPLIT_IO, s); }
void ownsFFTInv8Scale_64fc_Split(SPLIT_ARGS, double s) { fft8C<true, true>(SPLIT_IO, s); }
#undef SPLIT_IO
#undef SPLIT_ARGS

} // namespace kernels::fft_real
