// A made-up processor for the cache-size path of the fill and copy kernels.
#pragma once

#include <cstdint>

#include "platform/cpu/Cpuid.h"

namespace kernels_basic_test {

class FakeCpuid final : public cpu::ICpuidReader {
public:
  // vendor: "GenuineIntel" or another; leaf2Eax..: the leaf-2 registers; cores: leaf 4.
  FakeCpuid(bool intel, std::uint32_t leaf2Eax, std::uint32_t leaf2Ebx, int cores)
      : intel_(intel), l2eax_(leaf2Eax), l2ebx_(leaf2Ebx), cores_(cores) {}
  bool Supported() const noexcept override { return true; }
  cpu::CpuidRegs Query(std::uint32_t leaf, std::uint32_t) const noexcept override {
    switch (leaf) {
    case 0:
      // "GenuineIntel" as EBX, EDX, ECX; "AuthenticAMD" otherwise.
      return intel_ ? cpu::CpuidRegs{4, 0x756e6547, 0x6c65746e, 0x49656e69}
                    : cpu::CpuidRegs{4, 0x68747541, 0x444d4163, 0x69746e65};
    case 2:
      return {l2eax_, l2ebx_, 0, 0};
    case 4:
      return {static_cast<std::uint32_t>(cores_ - 1) << 26, 0, 0, 0};
    default:
      return {};
    }
  }

private:
  bool intel_;
  std::uint32_t l2eax_;
  std::uint32_t l2ebx_;
  int cores_;
};

} // namespace kernels_basic_test
