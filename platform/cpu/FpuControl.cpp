#include "platform/cpu/FpuControl.h"

#include <bit>
#include <cstring>

#include <xmmintrin.h>

namespace cpu {

namespace {

// x87 bit and portable flag, one pair per exception.
struct ExceptionBit {
  std::uint16_t x87;
  std::uint32_t flag;
};
constexpr ExceptionBit kExceptionBits[] = {
    {0x01, kFlagInvalid},  {0x02, kFlagDenormal},  {0x04, kFlagZeroDivide},
    {0x08, kFlagOverflow}, {0x10, kFlagUnderflow}, {0x20, kFlagInexact},
};

std::uint32_t exceptionFlags(std::uint16_t word) {
  std::uint32_t flags = 0;
  for (const ExceptionBit &e : kExceptionBits) {
    if (word & e.x87)
      flags |= e.flag;
  }
  return flags;
}

void loadControlWord(std::uint16_t word) {
  const std::uint16_t safe = word | kX87ExceptionMasks;
  asm volatile("fldcw %0" : : "m"(safe));
}

} // namespace

std::uint32_t GetMxcsr() noexcept { return _mm_getcsr(); }

void LoadMxcsr(std::uint32_t value) noexcept { _mm_setcsr(value | kMxcsrExceptionMasks); }

std::uint32_t ResetMxcsr() noexcept {
  const std::uint32_t old = GetMxcsr();
  LoadMxcsr(kMxcsrDefault);
  return old;
}

std::uint32_t SetMxcsrMasked(std::uint32_t value, std::uint32_t mask) noexcept {
  const std::uint32_t old = GetMxcsr();
  LoadMxcsr((old & ~mask) | (value & mask));
  return old;
}

std::uint32_t SetMxcsrRoundingBits(std::uint32_t field) noexcept {
  const std::uint32_t old = GetMxcsr();
  field &= kMxcsrRoundingField;
  if ((old & kMxcsrRoundingField) != field)
    LoadMxcsr((old & ~kMxcsrRoundingField) | field);
  return old;
}

int IsDazSupported() noexcept {
  alignas(16) unsigned char area[512] = {};
  asm volatile("fxsave %0" : "=m"(area));
  std::uint32_t mask = 0;
  std::memcpy(&mask, area + 28, sizeof mask);
  return mask != 0 && (mask & 0x40u) ? 1 : 0;
}

std::uint16_t GetX87ControlWord() noexcept {
  std::uint16_t word;
  asm volatile("fnstcw %0" : "=m"(word));
  return word;
}

std::uint16_t GetX87StatusWord() noexcept {
  std::uint16_t word;
  asm volatile("fnstsw %0" : "=am"(word));
  return word;
}

std::uint16_t ClearX87Status() noexcept {
  const std::uint16_t word = GetX87StatusWord();
  asm volatile("fnclex");
  return word;
}

void LoadX87ControlWord(std::uint16_t word) noexcept { loadControlWord(word); }

std::uint16_t SetX87ControlWordMasked(std::uint16_t value, std::uint16_t mask) noexcept {
  const std::uint16_t old = GetX87ControlWord();
  loadControlWord(static_cast<std::uint16_t>((old & ~mask) | (value & mask)));
  return old;
}

std::uint16_t SetX87ControlBits(std::uint16_t value, std::uint16_t mask) noexcept {
  const std::uint16_t word = GetX87ControlWord();
  if ((word & mask) != value)
    loadControlWord(static_cast<std::uint16_t>((word & ~mask) | value));
  return word;
}

std::uint32_t X87ControlToFlags(std::uint16_t cw) noexcept {
  std::uint32_t flags = exceptionFlags(cw);
  flags |= static_cast<std::uint32_t>((cw >> 10) & 3u) << 8; // rounding: same order
  switch ((cw >> 8) & 3u) {
  case 0:
    flags |= kFlagPrecision24;
    break;
  case 2:
    flags |= kFlagPrecision53;
    break;
  default:
    break; // 64-bit (3) and the reserved 1
  }
  if (cw & 0x1000)
    flags |= kFlagInfinityAffine;
  return flags;
}

std::uint16_t FlagsToX87Control(std::uint32_t flags) noexcept {
  std::uint16_t cw = 0;
  for (const ExceptionBit &e : kExceptionBits) {
    if (flags & e.flag)
      cw |= e.x87;
  }
  cw |= static_cast<std::uint16_t>(((flags & kFlagRoundingMask) >> 8) << 10);
  switch (flags & kFlagPrecisionMask) {
  case kFlagPrecision24:
    break;
  case kFlagPrecision53:
    cw |= 0x0200;
    break;
  default:
    cw |= 0x0300;
    break;
  }
  if (flags & kFlagInfinityAffine)
    cw |= 0x1000;
  // Bit 6 reads as set on every x87 unit.
  return static_cast<std::uint16_t>(cw | 0x0040);
}

std::uint32_t X87StatusToFlags(std::uint16_t sw) noexcept { return exceptionFlags(sw); }

std::uint32_t ControlX87Flags(std::uint32_t value, std::uint32_t mask) noexcept {
  const std::uint32_t old = X87ControlToFlags(GetX87ControlWord());
  loadControlWord(FlagsToX87Control((old & ~mask) | (value & mask)));
  return X87ControlToFlags(GetX87ControlWord());
}

std::uint32_t StatusX87Flags() noexcept { return X87StatusToFlags(GetX87StatusWord()); }

std::uint32_t ClearX87Flags() noexcept { return X87StatusToFlags(ClearX87Status()); }

int IsNaN_64f(double x) noexcept {
  const auto bits = std::bit_cast<std::uint64_t>(x);
  const auto hi = static_cast<std::uint32_t>(bits >> 32);
  const auto lo = static_cast<std::uint32_t>(bits);
  return (hi & 0x7FF00000u) == 0x7FF00000u && ((hi & 0x000FFFFFu) != 0 || lo != 0) ? 1 : 0;
}

int IsFinite_64f(double x) noexcept {
  const auto hi = static_cast<std::uint32_t>(std::bit_cast<std::uint64_t>(x) >> 32);
  return (hi & 0x7FF00000u) == 0x7FF00000u ? 0 : 1;
}

} // namespace cpu
