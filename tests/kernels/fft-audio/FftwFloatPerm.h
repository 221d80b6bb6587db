#pragma once
// FFTW's float real transform of x, laid out as the Perm spectrum: X(0) and
// X(N/2) first, then the real and imaginary parts of X(1) .. X(N/2 - 1).

#include <algorithm>
#include <cstddef>
#include <vector>

#include <fftw3.h>

inline std::vector<long double> FftwFloatPerm(const std::vector<float> &x) {
  const int N = static_cast<int>(x.size());
  float *in = fftwf_alloc_real(x.size());
  fftwf_complex *out = fftwf_alloc_complex(x.size() / 2 + 1);
  fftwf_plan plan = fftwf_plan_dft_r2c_1d(N, in, out, FFTW_ESTIMATE);
  std::copy(x.begin(), x.end(), in);
  fftwf_execute(plan);
  std::vector<long double> perm(x.size());
  perm[0] = out[0][0];
  perm[1] = out[N / 2][0];
  for (int j = 1; j < N / 2; ++j) {
    perm[2 * static_cast<std::size_t>(j)] = out[j][0];
    perm[2 * static_cast<std::size_t>(j) + 1] = out[j][1];
  }
  fftwf_destroy_plan(plan);
  fftwf_free(in);
  fftwf_free(out);
  return perm;
}
