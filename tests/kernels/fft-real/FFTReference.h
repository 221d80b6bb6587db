// Long double references for the transform tests: a naive DFT for small sizes and a
// radix-2 FFT whose twiddles are computed in long double from exact angles, for sizes
// where an O(N^2) sum would take too long.
#pragma once

#include <cfloat>
#include <cmath>
#include <complex>
#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

#include "kernels/fft-real/FFTReal64.h"

namespace fftref {

using CL = std::complex<long double>;

inline const long double kTwoPi = 6.283185307179586476925286766559005768L;

// e^(sign·2πi·j/N), angle reduced exactly before the long double sine and cosine.
inline CL unitRoot(std::int64_t j, std::int64_t N, int sign) {
  j %= N;
  const long double a = kTwoPi * static_cast<long double>(j) / static_cast<long double>(N);
  return {std::cos(a), sign * std::sin(a)};
}

// sign -1: forward, +1: inverse; unscaled.
inline std::vector<CL> naiveDft(const std::vector<CL> &x, int sign) {
  const std::int64_t N = static_cast<std::int64_t>(x.size());
  std::vector<CL> w(N);
  for (std::int64_t j = 0; j < N; ++j)
    w[j] = unitRoot(j, N, sign);
  std::vector<CL> y(N);
  for (std::int64_t k = 0; k < N; ++k) {
    CL s = 0;
    for (std::int64_t j = 0; j < N; ++j)
      s += x[j] * w[(j * k) % N];
    y[k] = s;
  }
  return y;
}

inline std::vector<CL> fft(std::vector<CL> x, int sign) {
  const std::int64_t N = static_cast<std::int64_t>(x.size());
  for (std::int64_t i = 1, j = 0; i < N; ++i) {
    std::int64_t bit = N >> 1;
    for (; j & bit; bit >>= 1)
      j ^= bit;
    j ^= bit;
    if (i < j)
      std::swap(x[i], x[j]);
  }
  std::vector<CL> w(N / 2 > 0 ? N / 2 : 1);
  for (std::int64_t j = 0; j < N / 2; ++j)
    w[j] = unitRoot(j, N, sign);
  for (std::int64_t len = 2; len <= N; len *= 2) {
    const std::int64_t step = N / len;
    for (std::int64_t b = 0; b < N; b += len)
      for (std::int64_t k = 0; k < len / 2; ++k) {
        const CL u = x[b + k], v = x[b + k + len / 2] * w[k * step];
        x[b + k] = u + v;
        x[b + k + len / 2] = u - v;
      }
  }
  return x;
}

inline std::vector<CL> transform(const std::vector<CL> &x, int sign) {
  return x.size() <= 64 ? naiveDft(x, sign) : fft(x, sign);
}

// Full spectrum of a real sequence as the Perm layout stores it.
inline std::vector<double> realSpectrumPerm(const std::vector<CL> &X) {
  const std::int64_t N = static_cast<std::int64_t>(X.size());
  std::vector<double> p(N);
  p[0] = static_cast<double>(X[0].real());
  if (N > 1)
    p[1] = static_cast<double>(X[N / 2].real());
  for (std::int64_t k = 1; k < N / 2; ++k) {
    p[2 * k] = static_cast<double>(X[k].real());
    p[2 * k + 1] = static_cast<double>(X[k].imag());
  }
  return p;
}

// The conjugate-symmetric spectrum a Perm vector stands for.
inline std::vector<CL> permToFull(const std::vector<double> &p) {
  const std::int64_t N = static_cast<std::int64_t>(p.size());
  std::vector<CL> X(N);
  X[0] = p[0];
  if (N > 1)
    X[N / 2] = p[1];
  for (std::int64_t k = 1; k < N / 2; ++k) {
    X[k] = CL(p[2 * k], p[2 * k + 1]);
    X[N - k] = std::conj(X[k]);
  }
  return X;
}

// A Perm vector in the Pack layout: the Nyquist term moves from the second
// place to the last, the pairs between move one place down.
inline std::vector<double> permToPack(const std::vector<double> &perm) {
  const std::size_t N = perm.size();
  std::vector<double> pack(N);
  pack[0] = perm[0];
  if (N > 1)
    pack[N - 1] = perm[1];
  for (std::size_t i = 2; i < N; ++i)
    pack[i - 1] = perm[i];
  return pack;
}

// N single-precision values over [-1, 1) drawn from seed.
inline std::vector<float> randomSignal(std::int64_t N, unsigned seed) {
  std::mt19937 gen(seed);
  std::uniform_real_distribution<float> dist(-1.0f, 1.0f);
  std::vector<float> x(static_cast<std::size_t>(N));
  for (float &v : x)
    v = dist(gen);
  return x;
}

// ||y - ref||2 / ||ref||2 in long double.
inline long double relError(const double *y, const std::vector<long double> &ref) {
  long double num = 0, den = 0;
  for (std::size_t i = 0; i < ref.size(); ++i) {
    const long double d = static_cast<long double>(y[i]) - ref[i];
    num += d * d;
    den += ref[i] * ref[i];
  }
  return den == 0 ? std::sqrt(num) : std::sqrt(num / den);
}

inline std::vector<long double> flatten(const std::vector<CL> &x, long double scale) {
  std::vector<long double> f;
  f.reserve(2 * x.size());
  for (const CL &c : x) {
    f.push_back(c.real() * scale);
    f.push_back(c.imag() * scale);
  }
  return f;
}

// The accuracy every transform promises: 5·ε·log2 N relative error.
inline long double tolerance(int order) { return 5.0L * DBL_EPSILON * order; }

} // namespace fftref
