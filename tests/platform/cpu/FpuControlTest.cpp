// x87 and SSE control registers: masked setters, flag-word translation, and the rule
// that no routine ever unmasks an exception.
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

#include <gtest/gtest.h>

#include "platform/cpu/FpuControl.h"

namespace {

// 1/10 rounds up at nearest. Out of line so the compiler cannot move the division across
// the register loads, which it does not know to depend on.
[[gnu::noinline]] double oneTenth() {
  volatile double a = 1.0, b = 10.0;
  volatile double r = a / b;
  return r;
}

// Restores both control registers whatever a test did to them.
class FpuControl : public ::testing::Test {
protected:
  void SetUp() override {
    savedCw_ = cpu::GetX87ControlWord();
    savedCsr_ = cpu::GetMxcsr();
  }
  void TearDown() override {
    cpu::LoadX87ControlWord(savedCw_);
    cpu::LoadMxcsr(savedCsr_);
    cpu::ClearX87Status();
  }

private:
  std::uint16_t savedCw_ = 0;
  std::uint32_t savedCsr_ = 0;
};

TEST_F(FpuControl, LinuxStartsWithExtendedPrecisionAllMasked) {
  EXPECT_EQ(cpu::GetX87ControlWord() & 0x1F3F, 0x033F);
  EXPECT_EQ(cpu::GetMxcsr() & 0xFFC0, 0x1F80u);
}

TEST_F(FpuControl, MaskedSetterReplacesOnlyTheMaskedBits) {
  const std::uint16_t before = cpu::GetX87ControlWord();
  EXPECT_EQ(cpu::SetX87ControlWordMasked(cpu::kX87RoundTowardZero, cpu::kX87RoundingField), before);
  EXPECT_EQ(cpu::GetX87ControlWord(),
            (before & ~cpu::kX87RoundingField) | cpu::kX87RoundTowardZero);
}

TEST_F(FpuControl, ControlBitsAlreadySetAreNotLoadedAgain) {
  cpu::SetX87ControlWordMasked(cpu::kX87RoundTowardZero, cpu::kX87RoundingField);
  const std::uint16_t word = cpu::GetX87ControlWord();
  EXPECT_EQ(cpu::SetX87ControlBits(0xC00, 0xC00), word);
  EXPECT_EQ(cpu::GetX87ControlWord(), word);
  // and back to nearest, returning the word read before the change
  EXPECT_EQ(cpu::SetX87ControlBits(0, 0xC00), word);
  EXPECT_EQ(cpu::GetX87ControlWord() & 0xC00, 0);
}

TEST_F(FpuControl, RoundingBitsChangeTheX87Result) {
  // 1 + 2^-64 needs the 65th bit: toward zero drops it, nearest keeps 1 too; 1 - 2^-65
  // rounds up to 1 at nearest and down below 1 toward zero.
  volatile long double one = 1.0L;
  volatile long double tiny = 0x1p-65L;
  cpu::SetX87ControlBits(cpu::kX87RoundTowardZero, cpu::kX87RoundingField);
  const long double chopped = one - tiny;
  cpu::SetX87ControlBits(0, cpu::kX87RoundingField);
  const long double nearest = one - tiny;
  EXPECT_LT(chopped, 1.0L);
  EXPECT_EQ(nearest, 1.0L);
}

TEST_F(FpuControl, AControlWordThatUnmasksIsLoadedMasked) {
  cpu::LoadX87ControlWord(0x1332); // invalid, zero-divide and overflow unmasked
  EXPECT_EQ(cpu::GetX87ControlWord() & 0x1F3F, 0x133F);
  cpu::SetX87ControlWordMasked(0, cpu::kX87ExceptionMasks);
  EXPECT_EQ(cpu::GetX87ControlWord() & cpu::kX87ExceptionMasks, cpu::kX87ExceptionMasks);
  cpu::ControlX87Flags(0, cpu::kFlagInvalid | cpu::kFlagZeroDivide);
  EXPECT_EQ(cpu::GetX87ControlWord() & cpu::kX87ExceptionMasks, cpu::kX87ExceptionMasks);
  // a division by zero now gives infinity instead of a trap
  volatile long double zero = 0.0L;
  EXPECT_TRUE(std::isinf(1.0L / zero));
}

TEST_F(FpuControl, AnMxcsrThatUnmasksIsLoadedMasked) {
  cpu::LoadMxcsr(0x0000);
  EXPECT_EQ(cpu::GetMxcsr() & cpu::kMxcsrExceptionMasks, cpu::kMxcsrExceptionMasks);
  cpu::SetMxcsrMasked(0, 0xFFFF);
  EXPECT_EQ(cpu::GetMxcsr() & cpu::kMxcsrExceptionMasks, cpu::kMxcsrExceptionMasks);
}

TEST_F(FpuControl, MxcsrRoundingBitsAndReset) {
  const std::uint32_t before = cpu::GetMxcsr();
  EXPECT_EQ(cpu::SetMxcsrRoundingBits(0x6000), before);
  EXPECT_EQ(cpu::GetMxcsr() & cpu::kMxcsrRoundingField, 0x6000u);
  const double chopped = oneTenth();
  const std::uint32_t chopping = cpu::GetMxcsr();
  EXPECT_EQ(cpu::SetMxcsrRoundingBits(0x6000), chopping);
  EXPECT_EQ(cpu::ResetMxcsr(), chopping);
  EXPECT_EQ(cpu::GetMxcsr() & 0xFFC0, cpu::kMxcsrDefault);
  const double nearest = oneTenth();
  EXPECT_LT(chopped, nearest);
}

TEST(FpuFlags, ControlWordTranslatesFieldByField) {
  // 037F: all masked, 64-bit precision, nearest
  EXPECT_EQ(cpu::X87ControlToFlags(0x037F), 0x8001Fu);
  // 027F: 53-bit; 0C00: toward zero; 007F: 24-bit; 1000: affine
  EXPECT_EQ(cpu::X87ControlToFlags(0x027F) & cpu::kFlagPrecisionMask, cpu::kFlagPrecision53);
  EXPECT_EQ(cpu::X87ControlToFlags(0x007F) & cpu::kFlagPrecisionMask, cpu::kFlagPrecision24);
  EXPECT_EQ(cpu::X87ControlToFlags(0x0F7F) & cpu::kFlagRoundingMask, cpu::kFlagRoundTowardZero);
  EXPECT_EQ(cpu::X87ControlToFlags(0x077F) & cpu::kFlagRoundingMask, cpu::kFlagRoundDown);
  EXPECT_EQ(cpu::X87ControlToFlags(0x0B7F) & cpu::kFlagRoundingMask, cpu::kFlagRoundUp);
  EXPECT_EQ(cpu::X87ControlToFlags(0x137F) & cpu::kFlagInfinityAffine, cpu::kFlagInfinityAffine);
  // only the invalid mask: x87 bit 0 is the flag 10h
  EXPECT_EQ(cpu::X87ControlToFlags(0x0301) & 0x8003Fu, cpu::kFlagInvalid);
  EXPECT_EQ(cpu::X87ControlToFlags(0x0302) & 0x8003Fu, cpu::kFlagDenormal);
  for (std::uint16_t cw : {0x037F, 0x027F, 0x007F, 0x0F7F, 0x177F, 0x0B61}) {
    EXPECT_EQ(cpu::FlagsToX87Control(cpu::X87ControlToFlags(cw)), cw) << std::hex << cw;
  }
}

TEST_F(FpuControl, StatusFlagsAreReadAndCleared) {
  cpu::ClearX87Status();
  volatile long double zero = 0.0L;
  volatile long double r = 1.0L / zero;
  (void)r;
  EXPECT_NE(cpu::StatusX87Flags() & cpu::kFlagZeroDivide, 0u);
  EXPECT_NE(cpu::ClearX87Flags() & cpu::kFlagZeroDivide, 0u);
  EXPECT_EQ(cpu::StatusX87Flags() & cpu::kFlagZeroDivide, 0u);
  EXPECT_EQ(cpu::X87StatusToFlags(0x0021), cpu::kFlagInvalid | cpu::kFlagInexact);
}

TEST(FpuFlags, NaNAndFiniteTests) {
  constexpr double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(cpu::IsNaN_64f(inf), 0);
  EXPECT_EQ(cpu::IsNaN_64f(-inf), 0);
  EXPECT_EQ(cpu::IsNaN_64f(std::bit_cast<double>(0xFFF8000000000000ull)), 1);
  EXPECT_EQ(cpu::IsNaN_64f(std::bit_cast<double>(0x7FF0000000000001ull)),
            1); // signalling, low word
  EXPECT_EQ(cpu::IsNaN_64f(1.0), 0);
  EXPECT_EQ(cpu::IsFinite_64f(inf), 0);
  EXPECT_EQ(cpu::IsFinite_64f(std::bit_cast<double>(0xFFF8000000000000ull)), 0);
  EXPECT_EQ(cpu::IsFinite_64f(std::numeric_limits<double>::max()), 1);
  EXPECT_EQ(cpu::IsFinite_64f(std::numeric_limits<double>::denorm_min()), 1);
}

TEST(FpuFlags, DazIsReportedOnX86_64) {
  // every processor with SSE2, the x86-64 baseline, reports denormals-are-zero
  EXPECT_EQ(cpu::IsDazSupported(), 1);
}

} // namespace
