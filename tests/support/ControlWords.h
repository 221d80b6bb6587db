// Runs code under SSE and x87 control words a test sets, and gives back the words the
// code left behind; the test's own words come back either way.
#pragma once

#include <cstdint>

#include "platform/cpu/FpuControl.h"

namespace test_support {

struct ControlWords {
  std::uint32_t mxcsr;
  std::uint16_t x87;
};

// Words as an unusual caller leaves them: SSE chop rounding with flush-to-zero and
// denormals-are-zero; x87 extended precision rounding toward zero. Exceptions masked.
inline constexpr ControlWords kCallerControlWords{0x1F80u | 0x6000u | 0x8000u | 0x0040u, 0x0F7F};

// The SSE status flags, which code may raise without changing the controls.
inline constexpr std::uint32_t kMxcsrFlags = 0x3F;

template <class Run> ControlWords RunUnder(ControlWords set, Run &&run) {
  const std::uint32_t savedMxcsr = cpu::GetMxcsr();
  const std::uint16_t savedX87 = cpu::GetX87ControlWord();
  cpu::LoadMxcsr(set.mxcsr);
  cpu::LoadX87ControlWord(set.x87);
  run();
  const ControlWords after{cpu::GetMxcsr(), cpu::GetX87ControlWord()};
  cpu::LoadMxcsr(savedMxcsr);
  cpu::LoadX87ControlWord(savedX87);
  return after;
}

} // namespace test_support
