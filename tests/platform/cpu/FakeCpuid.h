// A made-up processor for the CPUID probes: leaves are set by hand, unknown leaves read 0.
#pragma once

#include <cstdint>
#include <cstring>
#include <map>
#include <utility>

#include "platform/cpu/Cpuid.h"

namespace cpu::testing {

class TFakeCpuid final : public ICpuidReader {
public:
  bool supported = true;
  std::map<std::pair<std::uint32_t, std::uint32_t>, CpuidRegs> leaves;

  bool Supported() const noexcept override { return supported; }

  CpuidRegs Query(std::uint32_t leaf, std::uint32_t subleaf) const noexcept override {
    auto it = leaves.find({leaf, subleaf});
    return it == leaves.end() ? CpuidRegs{} : it->second;
  }

  // Leaf 0: the highest basic leaf and a 12-character vendor string.
  void SetVendor(const char *vendor, std::uint32_t maxLeaf) {
    CpuidRegs r;
    r.eax = maxLeaf;
    std::memcpy(&r.ebx, vendor, 4);
    std::memcpy(&r.edx, vendor + 4, 4);
    std::memcpy(&r.ecx, vendor + 8, 4);
    leaves[{0, 0}] = r;
  }
};

} // namespace cpu::testing
