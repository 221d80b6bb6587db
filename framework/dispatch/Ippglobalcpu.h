// The processor code every set-up routine reads to choose an operation's variant.
//
// The code starts at 0 (unknown) and nothing in the program sets it, so every operation
// runs its generic variant; tests set it before an operation's first call to reach the
// other variants. The code is read only at an operation's first call: setting or clearing
// it later does not change operations already set up. Any thread may call these; the
// code is an atomic byte, so a setter racing with a first call is not a data race
// (which variant that call picks is then not defined).
#pragma once

#include <cstdint>

#include "framework/dispatch/IppTypes.h"

namespace cpu {
class ICpuidReader;
}

namespace Ippglobalcpu {

// The processor code.
IppCpuType Global_CPU() noexcept;
// 1 once SetGlobalCpu or InitializeDispatch ran (and UnInitializeDispatch did not), else 0.
std::uint8_t CPU_TYPE_INITIALIZED() noexcept;
// Stores the code, sets the initialized flag, returns the code.
IppCpuType SetGlobalCpu(IppCpuType code) noexcept;
// Detects the code from this processor, stores it, sets the flag, returns it.
IppCpuType InitializeDispatch() noexcept;
// Clears the code and the flag.
void UnInitializeDispatch() noexcept;

// The code the detection gives for the processor `reader` describes.
IppCpuType DetectCpuType(const cpu::ICpuidReader &reader) noexcept;

} // namespace Ippglobalcpu
