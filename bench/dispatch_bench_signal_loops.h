// Plain -O3 loops for the signal rows of dispatch_bench: what a user would write instead
// of the signal unit's reductions, square root, exponential, logarithm and convolution.
#pragma once

namespace bench_signal_loops {
double dotProd(const double *a, const double *b, int n);
double normDiffL2(const double *a, const double *b, int n);
// Sample standard deviation, two passes (mean, then squared deviations).
double stdDev(const double *a, int n);
void sqrt64f(const double *s, double *d, int n);
void exp64f(const double *s, double *d, int n);
void ln64f(const double *s, double *d, int n);
// Full linear convolution, la + lb - 1 results.
void conv(const double *a, int la, const double *b, int lb, double *d);
} // namespace bench_signal_loops
