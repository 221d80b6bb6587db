// The floating-point environment: x87 control and status words, the SSE control and
// status register (MXCSR), and their translation into the portable flag word.
//
// The routines act on the calling thread's registers only. No routine ever loads a word
// that unmasks a floating-point exception: every exception mask bit is forced on before
// a load, because an unmasked exception turns the next inexact or invalid result of any
// code into a SIGFPE.
#pragma once

#include <cstdint>

namespace cpu {

// x87 control word fields.
inline constexpr std::uint16_t kX87ExceptionMasks = 0x003F;
inline constexpr std::uint16_t kX87PrecisionField = 0x0300;
inline constexpr std::uint16_t kX87RoundingField = 0x0C00;
inline constexpr std::uint16_t kX87RoundTowardZero = 0x0C00;

// MXCSR fields.
inline constexpr std::uint32_t kMxcsrDefault = 0x1F80; // all masked, round to nearest
inline constexpr std::uint32_t kMxcsrExceptionMasks = 0x1F80;
inline constexpr std::uint32_t kMxcsrRoundingField = 0x6000;

// Portable flag word: exception bits (masks in a control word, flags in a status word),
// rounding field, precision field and infinity control.
inline constexpr std::uint32_t kFlagInvalid = 0x10;
inline constexpr std::uint32_t kFlagDenormal = 0x80000;
inline constexpr std::uint32_t kFlagZeroDivide = 0x08;
inline constexpr std::uint32_t kFlagOverflow = 0x04;
inline constexpr std::uint32_t kFlagUnderflow = 0x02;
inline constexpr std::uint32_t kFlagInexact = 0x01;
inline constexpr std::uint32_t kFlagRoundingMask = 0x300; // near 0, down 100h, up 200h, chop 300h
inline constexpr std::uint32_t kFlagRoundDown = 0x100;
inline constexpr std::uint32_t kFlagRoundUp = 0x200;
inline constexpr std::uint32_t kFlagRoundTowardZero = 0x300;
inline constexpr std::uint32_t kFlagPrecisionMask =
    0x30000; // 64-bit 0, 53-bit 10000h, 24-bit 20000h
inline constexpr std::uint32_t kFlagPrecision53 = 0x10000;
inline constexpr std::uint32_t kFlagPrecision24 = 0x20000;
inline constexpr std::uint32_t kFlagInfinityAffine = 0x40000;

// MXCSR
std::uint32_t GetMxcsr() noexcept;
// Loads value with every exception mask set.
void LoadMxcsr(std::uint32_t value) noexcept;
// Loads 1F80h; returns the previous MXCSR.
std::uint32_t ResetMxcsr() noexcept;
// Loads (old & ~mask) | (value & mask); returns the previous MXCSR.
std::uint32_t SetMxcsrMasked(std::uint32_t value, std::uint32_t mask) noexcept;
// Replaces the rounding field (0, 2000h, 4000h or 6000h) only when it differs; returns the
// previous MXCSR.
std::uint32_t SetMxcsrRoundingBits(std::uint32_t field) noexcept;
// 1 when a full state save reports denormals-are-zero (bit 6 of the MXCSR mask).
int IsDazSupported() noexcept;

// x87
std::uint16_t GetX87ControlWord() noexcept;
std::uint16_t GetX87StatusWord() noexcept;
// Returns the status word and clears the exception flags.
std::uint16_t ClearX87Status() noexcept;
// Loads word with every exception mask set.
void LoadX87ControlWord(std::uint16_t word) noexcept;
// Loads (old & ~mask) | (value & mask); returns the previous word.
std::uint16_t SetX87ControlWordMasked(std::uint16_t value, std::uint16_t mask) noexcept;
// Only when (word & mask) differs from value, loads (word & ~mask) | value; returns the
// word read. The conversion kernels use it to set the rounding field (mask C00h).
std::uint16_t SetX87ControlBits(std::uint16_t value, std::uint16_t mask) noexcept;

// Translation between x87 words and the portable flag word.
std::uint32_t X87ControlToFlags(std::uint16_t controlWord) noexcept;
std::uint16_t FlagsToX87Control(std::uint32_t flags) noexcept;
std::uint32_t X87StatusToFlags(std::uint16_t statusWord) noexcept;
// Replaces the flag bits selected by mask with those of value in the control word and
// loads it; returns the new flag word (as loaded, so exception masks read as set).
std::uint32_t ControlX87Flags(std::uint32_t value, std::uint32_t mask) noexcept;
// The status word as flags; ClearX87Flags also clears the exception flags.
std::uint32_t StatusX87Flags() noexcept;
std::uint32_t ClearX87Flags() noexcept;

// From the double's high and low words.
int IsNaN_64f(double x) noexcept;    // 1 for a quiet or signalling NaN
int IsFinite_64f(double x) noexcept; // 0 for infinities and NaN

} // namespace cpu
