// Seeded random vectors for the numeric tests: the same values for the same seed on every
// machine and standard library (the values are scaled from std::mt19937's raw output, not
// drawn through a distribution whose algorithm a library may choose).
#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <type_traits>
#include <vector>

namespace test_support {

// n values spread evenly over [lo, hi).
template <class T = double>
std::vector<T> RandomVector(std::size_t n, unsigned seed, T lo = T(-1), T hi = T(1)) {
  std::mt19937 g(seed);
  std::vector<T> v(n);
  for (auto &x : v) {
    const long double unit = static_cast<long double>(g()) / 4294967296.0L; // [0, 1)
    if constexpr (std::is_integral_v<T>) // hi - lo may not fit T (the full int range)
      x = static_cast<T>(static_cast<long double>(lo) +
                         (static_cast<long double>(hi) - static_cast<long double>(lo)) * unit);
    else
      x = static_cast<T>(lo + (hi - lo) * unit);
    if (!(x < hi)) // rounding to T may reach hi itself
      x = lo;
  }
  return v;
}

// n complex values (any type built as {re, im}) whose parts are spread over [-1, 1).
template <class C> std::vector<C> RandomComplexVector(std::size_t n, unsigned seed) {
  const std::vector<double> parts = RandomVector<double>(2 * n, seed);
  std::vector<C> v(n);
  for (std::size_t i = 0; i < n; ++i)
    v[i] = C{parts[2 * i], parts[2 * i + 1]};
  return v;
}

} // namespace test_support
