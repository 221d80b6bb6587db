// Helpers of the equivalence tests: distances in units of the last place, edge values, and
// buffers at chosen byte offsets with guard bytes around them.
#pragma once

#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

namespace equivalence {

// Distance in units of the last place; NaN against NaN counts as equal.
inline std::uint64_t Ulps(double a, double b) {
  if (std::isnan(a) && std::isnan(b))
    return 0;
  if (std::isnan(a) || std::isnan(b))
    return UINT64_MAX;
  auto ord = [](double x) {
    const auto u = std::bit_cast<std::uint64_t>(x);
    return (u >> 63) ? (std::uint64_t{1} << 63) - (u & ~(std::uint64_t{1} << 63))
                     : (std::uint64_t{1} << 63) + u;
  };
  const std::uint64_t x = ord(a), y = ord(b);
  return x > y ? x - y : y - x;
}

// Same bits, or both NaN (whose sign and payload the SIMD and scalar paths may pass on
// from different operands).
inline bool SameOrBothNaN(double a, double b) {
  return (std::isnan(a) && std::isnan(b)) ||
         std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

inline const std::vector<double> &EdgeDoubles() {
  static const std::vector<double> v = {0.0,
                                        -0.0,
                                        1.0,
                                        -1.0,
                                        0.5,
                                        3.0,
                                        -49.0,
                                        INFINITY,
                                        -INFINITY,
                                        std::numeric_limits<double>::quiet_NaN(),
                                        std::bit_cast<double>(std::uint64_t{0xFFF8000000000123}),
                                        std::bit_cast<double>(std::uint64_t{0x7FF0000000000ABC}),
                                        std::numeric_limits<double>::denorm_min(),
                                        -4.9e-320,
                                        2.2250738585072014e-308,
                                        1e308,
                                        -1e308,
                                        1e-300};
  return v;
}

// A byte buffer holding n elements of T at byte offset `offset`, with guard bytes of 0xA5
// before and after.
template <class T> class Guarded {
public:
  Guarded(std::size_t n, std::size_t offset)
      : n_(n), offset_(offset), bytes_(n * sizeof(T) + offset + 32, 0xA5) {}
  Guarded(const std::vector<T> &values, std::size_t offset) : Guarded(values.size(), offset) {
    std::memcpy(bytes_.data() + offset_, values.data(), n_ * sizeof(T));
  }
  T *get() { return reinterpret_cast<T *>(bytes_.data() + offset_); }
  T at(std::size_t i) const {
    T x;
    std::memcpy(&x, bytes_.data() + offset_ + i * sizeof(T), sizeof(T));
    return x;
  }
  bool GuardsIntact() const {
    for (std::size_t i = 0; i < offset_; ++i)
      if (bytes_[i] != 0xA5)
        return false;
    for (std::size_t i = offset_ + n_ * sizeof(T); i < bytes_.size(); ++i)
      if (bytes_[i] != 0xA5)
        return false;
    return true;
  }

private:
  std::size_t n_, offset_;
  std::vector<unsigned char> bytes_;
};

// Lengths around the kernels' block sizes (one, pairs, blocks of four and eight).
inline const std::vector<int> &ShortLengths() {
  static const std::vector<int> v = {1, 2, 3, 4, 5, 7, 8, 9, 15, 16, 17, 63, 64, 65};
  return v;
}

// Byte offsets: aligned, odd addresses, 8 but not 16 bytes aligned.
inline const std::vector<std::size_t> &Offsets() {
  static const std::vector<std::size_t> v = {0, 1, 3, 8, 15};
  return v;
}

} // namespace equivalence
