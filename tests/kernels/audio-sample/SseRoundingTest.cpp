// The kernels' rounding-mode routines, and the guard the rounding kernels wrap around
// their conversions, under callers' registers of every rounding mode and with exceptions
// unmasked.
#include <cstdint>

#include <gtest/gtest.h>
#include <xmmintrin.h>

#include "kernels/audio-sample/AudioSampleKernels.h"
#include "kernels/common/SseRounding.h"

namespace {

namespace ks = kernels::audio_sample::sse2;

// Registers as callers leave them: every rounding mode, flush-to-zero and
// denormals-are-zero, unmasked exceptions and raised flags.
const std::uint32_t kCallerRegisters[] = {0x1F80, 0x3F80, 0x5F80, 0x7F80, 0x9FC0,
                                          0x0F80, 0x1E80, 0x7F81, 0x1FBF};

TEST(SseRounding, SetReplacesTheRoundingFieldOnlyAndRestoreLoadsTheWholeRegister) {
  const std::uint32_t saved = _mm_getcsr();
  for (std::uint32_t caller : kCallerRegisters) {
    for (std::uint32_t mode : {0x0000u, 0x2000u, 0x4000u, 0x6000u}) {
      _mm_setcsr(caller);
      const std::uint32_t previous = kernels::ownsSetSseRounding(mode);
      const std::uint32_t during = _mm_getcsr();
      kernels::ownsRestoreMxcsr(previous);
      const std::uint32_t after = _mm_getcsr();
      _mm_setcsr(saved);
      EXPECT_EQ(previous, caller) << std::hex << caller << " " << mode;
      EXPECT_EQ(during, (caller & ~0x6000u) | mode) << std::hex << caller << " " << mode;
      EXPECT_EQ(after, caller) << std::hex << caller << " " << mode;
    }
  }
}

// 3 / 2 is inexact and 1 / 0 takes the zero-divisor path: with the precision exception
// unmasked by the caller, the division still rounds to nearest, nothing traps, and the
// caller's register comes back bit for bit.
TEST(SseRounding, DivisionsUnderAnUnmaskedCallerRoundToNearestAndRestoreTheRegister) {
  const std::uint32_t saved = _mm_getcsr();
  for (std::uint32_t caller : kCallerRegisters) {
    short d[4] = {2, 2, 0, 4};
    short x[4] = {3, 5, 1, -10};
    _mm_setcsr(caller);
    const IppOpStatus st = ks::ippiDiv_16s_C1IRSfs(d, 8, x, 8, {4, 1}, 0);
    const std::uint32_t after = _mm_getcsr();
    _mm_setcsr(saved);
    EXPECT_EQ(after, caller) << std::hex << caller;
    EXPECT_EQ(st, ippStsDivByZero);
    EXPECT_EQ(x[0], 2) << std::hex << caller; // 1.5 to even
    EXPECT_EQ(x[1], 2) << std::hex << caller; // 2.5 to even
    EXPECT_EQ(x[2], 32767) << std::hex << caller;
    EXPECT_EQ(x[3], -2) << std::hex << caller; // -2.5 to even
  }
}

} // namespace
