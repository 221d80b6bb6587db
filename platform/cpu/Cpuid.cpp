#include "platform/cpu/Cpuid.h"

#include <initializer_list>

#include <cpuid.h>
#include <x86intrin.h>

namespace cpu {

namespace {

class THardwareCpuid final : public ICpuidReader {
public:
  bool Supported() const noexcept override { return __get_cpuid_max(0, nullptr) != 0; }

  CpuidRegs Query(std::uint32_t leaf, std::uint32_t subleaf) const noexcept override {
    CpuidRegs r;
    __cpuid_count(leaf, subleaf, r.eax, r.ebx, r.ecx, r.edx);
    return r;
  }
};

std::uint32_t bit(std::uint32_t word, int n) { return (word >> n) & 1u; }

CpuidRegs leaf1(const ICpuidReader &r) { return r.Supported() ? r.Query(1, 0) : CpuidRegs{}; }

std::uint32_t maxExtendedLeaf(const ICpuidReader &r) {
  return r.Supported() ? r.Query(0x80000000u, 0).eax : 0;
}

} // namespace

const ICpuidReader &HardwareCpuid() noexcept {
  static const THardwareCpuid reader;
  return reader;
}

int CpuidSupported(const ICpuidReader &r) noexcept { return r.Supported() ? 1 : 0; }

std::uint32_t CpuidMaxLeaf(const ICpuidReader &r) noexcept {
  return r.Supported() ? r.Query(0, 0).eax : 0;
}

int CpuHasTsc(const ICpuidReader &r) noexcept { return static_cast<int>(bit(leaf1(r).edx, 4)); }
int CpuHasMmx(const ICpuidReader &r) noexcept { return static_cast<int>(bit(leaf1(r).edx, 23)); }
int CpuHasSse(const ICpuidReader &r) noexcept { return static_cast<int>(bit(leaf1(r).edx, 25)); }
int CpuHasSse2(const ICpuidReader &r) noexcept { return static_cast<int>(bit(leaf1(r).edx, 26)); }
int CpuHasSse3(const ICpuidReader &r) noexcept { return static_cast<int>(bit(leaf1(r).ecx, 0)); }
int CpuHasSsse3(const ICpuidReader &r) noexcept { return static_cast<int>(bit(leaf1(r).ecx, 9)); }

int CpuHasHtt(const ICpuidReader &r) noexcept {
  const CpuidRegs l1 = leaf1(r);
  return bit(l1.edx, 28) && ((l1.ebx >> 16) & 0xFFu) > 1 ? 1 : 0;
}

int CpuCoresPerPackage(const ICpuidReader &r) noexcept {
  if (CpuidMaxLeaf(r) < 4)
    return 1;
  return static_cast<int>((r.Query(4, 0).eax >> 26) & 0x3Fu) + 1;
}

int CpuHasIntel64(const ICpuidReader &r) noexcept {
  if (maxExtendedLeaf(r) < 0x80000001u)
    return 0;
  return static_cast<int>(bit(r.Query(0x80000001u, 0).edx, 29));
}

int IsGenuineIntel(const ICpuidReader &r) noexcept {
  if (!r.Supported())
    return 0;
  const CpuidRegs l0 = r.Query(0, 0);
  // "Genu" "ineI" "ntel", little-endian
  return l0.ebx == 0x756E6547u && l0.edx == 0x49656E69u && l0.ecx == 0x6C65746Eu ? 1 : 0;
}

void FillCpuFeatureRecord(CpuFeatureRecord *record, const ICpuidReader &r) noexcept {
  CpuFeatureRecord f;
  if (r.Supported()) {
    const CpuidRegs l1 = r.Query(1, 0);
    f.family = (l1.eax >> 8) & 0xFu;
    f.stepping = l1.eax & 0xFu;
    f.model = (l1.eax >> 4) & 0xFu;
    f.featuresEdx = l1.edx;
    const CpuidRegs l2 = r.Query(2, 0);
    f.cacheEax = l2.eax;
    f.cacheEdx = l2.edx;
    f.mmx = bit(l1.edx, 23);
    f.sse = bit(l1.edx, 25);
    f.sse2 = bit(l1.edx, 26);
    f.hyperThreading = bit(l1.edx, 28) && ((l1.ebx >> 16) & 0xFFu) > 1 ? 1 : 0;
    f.sse3 = bit(l1.ecx, 0);
    f.intel64 = static_cast<std::uint32_t>(CpuHasIntel64(r));
    f.ssse3 = bit(l1.ecx, 9);
    f.coresPerPackage = static_cast<std::uint32_t>(CpuCoresPerPackage(r));
  }
  *record = f;
}

std::int32_t FindCacheDescriptor(const CacheDescriptorEntry *table,
                                 const ICpuidReader &r) noexcept {
  if (!table || CpuidMaxLeaf(r) < 2)
    return -1;
  const CpuidRegs l2 = r.Query(2, 0);
  if ((l2.eax & 0xFFu) != 1)
    return -1;
  unsigned char bytes[16] = {};
  int count = 0;
  for (const std::uint32_t reg : {l2.eax, l2.ebx, l2.ecx, l2.edx}) {
    if (reg & 0x80000000u)
      continue;
    for (int k = 0; k < 4; ++k)
      bytes[count++] = static_cast<unsigned char>(reg >> (8 * k));
  }
  // AL is the query count, not a descriptor.
  const int first = (l2.eax & 0x80000000u) ? 0 : 1;
  for (const CacheDescriptorEntry *e = table; e->descriptor != 0; ++e) {
    for (int i = first; i < count; ++i) {
      if (bytes[i] != 0 && bytes[i] == e->descriptor)
        return e->value;
    }
  }
  return -1;
}

std::uint64_t ReadTimeStampCounter() noexcept { return __rdtsc(); }

} // namespace cpu
