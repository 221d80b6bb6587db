// Code 5's mean and standard deviation: extended-precision sums as the generic keeps
// them, but eight partial sums over blocks of eight elements (the rest into the first),
// joined in order. Only the summation order differs from the generic, so the results
// differ from it in the last bits at most.
#include <cmath>
#include <cstddef>

#include "kernels/signal/Loops.h"
#include "kernels/signal/SignalKernels.h"

namespace kernels::signal::sse {

namespace {

template <class Term> long double sum8(const double *p, std::size_t n, Term term) {
  long double s[8] = {0, 0, 0, 0, 0, 0, 0, 0};
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8)
    for (int k = 0; k < 8; ++k)
      s[k] += term(static_cast<long double>(detail::load(p + i + k)));
  for (; i < n; ++i)
    s[0] += term(static_cast<long double>(detail::load(p + i)));
  long double total = s[0];
  for (int k = 1; k < 8; ++k)
    total += s[k];
  return total;
}

constexpr auto kValue = [](long double x) { return x; };
constexpr auto kSquare = [](long double x) { return x * x; };

long double ownsSum_64f_Sse(const double *pSrc, std::size_t n) { return sum8(pSrc, n, kValue); }

double ownsMean_64f_Sse(const double *pSrc, std::size_t n) {
  return static_cast<double>(ownsSum_64f_Sse(pSrc, n) / static_cast<long double>(n));
}

// The generic's rule for the root: sqrt(V / (n (n - 1))) when V > 0, else 0 (a NaN V too).
double ownsStdDev_64f_Sse(const double *pSrc, std::size_t n) {
  const long double s1 = ownsSum_64f_Sse(pSrc, n);
  const long double s2 = sum8(pSrc, n, kSquare);
  const long double nn = static_cast<long double>(n);
  const long double v = nn * s2 - s1 * s1;
  return v > 0 ? static_cast<double>(std::sqrt(v / (nn * (nn - 1)))) : 0.0;
}

} // namespace

IppOpStatus ippsMean_64f(const double *pSrc, int len, double *pMean) {
  return detail::reduceOne<ownsMean_64f_Sse, 1>(pSrc, len, pMean);
}

IppOpStatus ippsStdDev_64f(const double *pSrc, int len, double *pStdDev) {
  return detail::reduceOne<ownsStdDev_64f_Sse, 2>(pSrc, len, pStdDev);
}

} // namespace kernels::signal::sse
