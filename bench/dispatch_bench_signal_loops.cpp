// Built at -O3 (dispatch.cmake), free to vectorise, as a user's loops would be.
#include "bench/dispatch_bench_signal_loops.h"

#include <cmath>

namespace bench_signal_loops {

double dotProd(const double *a, const double *b, int n) {
  double s = 0;
  for (int i = 0; i < n; ++i)
    s += a[i] * b[i];
  return s;
}

double normDiffL2(const double *a, const double *b, int n) {
  double s = 0;
  for (int i = 0; i < n; ++i) {
    const double d = a[i] - b[i];
    s += d * d;
  }
  return std::sqrt(s);
}

double stdDev(const double *a, int n) {
  double mean = 0;
  for (int i = 0; i < n; ++i)
    mean += a[i];
  mean /= n;
  double s = 0;
  for (int i = 0; i < n; ++i)
    s += (a[i] - mean) * (a[i] - mean);
  return std::sqrt(s / (n - 1));
}

void sqrt64f(const double *s, double *d, int n) {
  for (int i = 0; i < n; ++i)
    d[i] = std::sqrt(s[i]);
}

void exp64f(const double *s, double *d, int n) {
  for (int i = 0; i < n; ++i)
    d[i] = std::exp(s[i]);
}

void ln64f(const double *s, double *d, int n) {
  for (int i = 0; i < n; ++i)
    d[i] = std::log(s[i]);
}

void conv(const double *a, int la, const double *b, int lb, double *d) {
  for (int k = 0; k < la + lb - 1; ++k)
    d[k] = 0;
  for (int i = 0; i < lb; ++i)
    for (int j = 0; j < la; ++j)
      d[i + j] += a[j] * b[i];
}

} // namespace bench_signal_loops
