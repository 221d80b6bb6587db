// The SSE rounding-mode routines the kernels share: the conversions that must round to
// nearest whatever mode the caller runs in switch the mode for the call and give the
// caller's register back on return.
#pragma once

#include <cstdint>

#include <xmmintrin.h>

namespace kernels {

inline constexpr std::uint32_t kMxcsrRoundingBits = 0x6000;
inline constexpr std::uint32_t kMxcsrAllMasked = 0x1F80;

// Loads the register with its rounding field replaced by `mode` (0, 2000h, 4000h or
// 6000h; callers pass values inside the field) only when the field differs; returns the
// previous register either way.
inline std::uint32_t ownsSetSseRounding(std::uint32_t mode) noexcept {
  const std::uint32_t previous = _mm_getcsr();
  if ((previous & kMxcsrRoundingBits) != mode)
    _mm_setcsr((previous & ~kMxcsrRoundingBits) | mode);
  return previous;
}

// Loads `value` as the register, unchanged.
inline void ownsRestoreMxcsr(std::uint32_t value) noexcept { _mm_setcsr(value); }

// Round to nearest for the conversions inside a kernel, every exception masked so that a
// caller's unmasked exceptions cannot trap inside it; the caller's register, status flags
// included, comes back on return.
class NearestRounding {
public:
  NearestRounding() noexcept : saved_(ownsSetSseRounding(0)) {
    if ((saved_ & kMxcsrAllMasked) != kMxcsrAllMasked)
      _mm_setcsr(_mm_getcsr() | kMxcsrAllMasked);
  }
  ~NearestRounding() { ownsRestoreMxcsr(saved_); }
  NearestRounding(const NearestRounding &) = delete;
  NearestRounding &operator=(const NearestRounding &) = delete;

private:
  std::uint32_t saved_;
};

} // namespace kernels
