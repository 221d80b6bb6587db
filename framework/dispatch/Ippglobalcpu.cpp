#include "framework/dispatch/Ippglobalcpu.h"

#include <atomic>

#include "platform/cpu/Cpuid.h"

namespace Ippglobalcpu {

namespace {
std::atomic<IppCpuType> cpuCode{0};
std::atomic<std::uint8_t> initialized{0};

IppCpuType otherVendorCode(const cpu::CpuFeatureRecord &f) {
  if (f.ssse3)
    return 33;
  if (f.sse3)
    return 66;
  if (f.sse2)
    return 65;
  if (f.sse)
    return 64;
  return 0;
}
} // namespace

IppCpuType Global_CPU() noexcept { return cpuCode.load(std::memory_order_acquire); }

std::uint8_t CPU_TYPE_INITIALIZED() noexcept { return initialized.load(std::memory_order_acquire); }

IppCpuType SetGlobalCpu(IppCpuType code) noexcept {
  cpuCode.store(code, std::memory_order_release);
  initialized.store(1, std::memory_order_release);
  return code;
}

IppCpuType InitializeDispatch() noexcept {
  return SetGlobalCpu(DetectCpuType(cpu::HardwareCpuid()));
}

void UnInitializeDispatch() noexcept {
  cpuCode.store(0, std::memory_order_release);
  initialized.store(0, std::memory_order_release);
}

IppCpuType DetectCpuType(const cpu::ICpuidReader &reader) noexcept {
  if (!cpu::CpuidSupported(reader))
    return 0;
  cpu::CpuFeatureRecord f;
  cpu::FillCpuFeatureRecord(&f, reader);
  if (!cpu::IsGenuineIntel(reader))
    return otherVendorCode(f);
  switch (f.family) {
  case 7:
    return 16;
  case 15:
    if (!f.sse2)
      return 17;
    if (!f.sse3)
      return f.hyperThreading ? 7 : 6;
    if (!f.intel64)
      return 8;
    return f.ssse3 ? 33 : 32;
  case 5:
    return f.mmx ? 2 : 1;
  case 6:
    if (f.sse2)
      return f.sse3 ? 10 : 9;
    if (f.sse)
      return 5;
    return f.mmx ? 4 : 3;
  default:
    return otherVendorCode(f);
  }
}

} // namespace Ippglobalcpu
