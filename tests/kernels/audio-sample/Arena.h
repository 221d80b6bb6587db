// Two identical byte arenas, one for the kernel and one for the generic variant: a call
// gets pointers at the same offsets into each, and afterwards every byte of the two
// arenas must agree, so anything written outside the region shows up as a difference.
#pragma once

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include <gtest/gtest.h>

namespace audio_kernel_test {

class Arenas {
public:
  // Random 16-bit words, one in four an extreme (0, ±1, the 16-bit and 8-bit bounds), so
  // saturation and the edges of every scale regime come up often.
  Arenas(std::size_t bytes, std::uint32_t seed) : a_(bytes + 64), b_(bytes + 64) {
    std::mt19937 rng(seed);
    static const std::uint16_t extremes[] = {0x0000, 0x0001, 0xFFFF, 0x8000, 0x7FFF,
                                             0x00FF, 0xFF00, 0x8080, 0x7F7F, 0x0101};
    for (std::size_t i = 0; i + 1 < a_.size(); i += 2) {
      std::uint16_t w = static_cast<std::uint16_t>(rng());
      if (rng() % 4 == 0)
        w = extremes[rng() % (sizeof extremes / sizeof extremes[0])];
      std::memcpy(&a_[i], &w, 2);
    }
    b_ = a_;
  }

  // Offset `off` from a 16-byte boundary inside each arena.
  unsigned char *kernel(std::size_t off) { return aligned(a_) + off; }
  unsigned char *generic(std::size_t off) { return aligned(b_) + off; }

  void set(std::size_t off, const void *data, std::size_t n) {
    std::memcpy(kernel(off), data, n);
    std::memcpy(generic(off), data, n);
  }

  // The first differing byte, or -1.
  long firstDifference() const {
    for (std::size_t i = 0; i < a_.size(); ++i)
      if (a_[i] != b_[i])
        return static_cast<long>(i);
    return -1;
  }

private:
  static unsigned char *aligned(std::vector<unsigned char> &v) {
    const auto p = reinterpret_cast<std::uintptr_t>(v.data());
    return v.data() + ((16 - p % 16) % 16);
  }
  std::vector<unsigned char> a_, b_;
};

} // namespace audio_kernel_test
