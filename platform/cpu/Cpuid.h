// Processor identification: the CPUID leaves the dispatch and the kernels read, behind an
// injectable reader so that detection can be tested against made-up processors.
//
// Every probe runs its own queries and keeps nothing, so any thread may call any of them.
#pragma once

#include <cstdint>

namespace cpu {

struct CpuidRegs {
  std::uint32_t eax = 0;
  std::uint32_t ebx = 0;
  std::uint32_t ecx = 0;
  std::uint32_t edx = 0;
};

// Where the probes get their CPUID results from.
class ICpuidReader {
public:
  virtual ~ICpuidReader() = default;
  // Whether the processor has the identification instruction at all.
  virtual bool Supported() const noexcept = 0;
  virtual CpuidRegs Query(std::uint32_t leaf, std::uint32_t subleaf) const noexcept = 0;
};

// The processor this program runs on.
const ICpuidReader &HardwareCpuid() noexcept;

// Sixteen 32-bit fields, in the order of one query pass; fields 4 and 9 stay 0.
struct CpuFeatureRecord {
  std::uint32_t family = 0;   // leaf-1 EAX bits 8-11
  std::uint32_t stepping = 0; // bits 0-3
  std::uint32_t model = 0;    // bits 4-7
  std::uint32_t reserved4 = 0;
  std::uint32_t featuresEdx = 0; // leaf-1 EDX
  std::uint32_t cacheEax = 0;    // leaf-2 EAX
  std::uint32_t cacheEdx = 0;    // leaf-2 EDX
  std::uint32_t mmx = 0;
  std::uint32_t reserved9 = 0;
  std::uint32_t sse = 0;
  std::uint32_t sse2 = 0;
  std::uint32_t hyperThreading = 0;
  std::uint32_t sse3 = 0;
  std::uint32_t intel64 = 0;
  std::uint32_t ssse3 = 0;
  std::uint32_t coresPerPackage = 0;
};
static_assert(sizeof(CpuFeatureRecord) == 16 * 4);

// 1 when the identification instruction exists, else 0.
int CpuidSupported(const ICpuidReader &r = HardwareCpuid()) noexcept;
// EAX of leaf 0: the highest basic leaf.
std::uint32_t CpuidMaxLeaf(const ICpuidReader &r = HardwareCpuid()) noexcept;
int CpuHasTsc(const ICpuidReader &r = HardwareCpuid()) noexcept;  // leaf-1 EDX bit 4
int CpuHasMmx(const ICpuidReader &r = HardwareCpuid()) noexcept;  // leaf-1 EDX bit 23
int CpuHasSse(const ICpuidReader &r = HardwareCpuid()) noexcept;  // leaf-1 EDX bit 25
int CpuHasSse2(const ICpuidReader &r = HardwareCpuid()) noexcept; // leaf-1 EDX bit 26
// Leaf-1 EDX bit 28 with more than one logical processor in EBX bits 16-23.
int CpuHasHtt(const ICpuidReader &r = HardwareCpuid()) noexcept;
int CpuHasSse3(const ICpuidReader &r = HardwareCpuid()) noexcept;  // leaf-1 ECX bit 0
int CpuHasSsse3(const ICpuidReader &r = HardwareCpuid()) noexcept; // leaf-1 ECX bit 9
// Leaf-4 EAX bits 26-31 plus 1 when the highest basic leaf is at least 4, else 1.
int CpuCoresPerPackage(const ICpuidReader &r = HardwareCpuid()) noexcept;
// Extended leaf 80000001h EDX bit 29; 0 when the processor has no such leaf.
int CpuHasIntel64(const ICpuidReader &r = HardwareCpuid()) noexcept;
// 1 when the leaf-0 vendor registers EBX, EDX, ECX spell "GenuineIntel".
int IsGenuineIntel(const ICpuidReader &r = HardwareCpuid()) noexcept;
// All of the above in one pass; a processor without the instruction gives all zeros.
void FillCpuFeatureRecord(CpuFeatureRecord *record,
                          const ICpuidReader &r = HardwareCpuid()) noexcept;

// One pair of a cache-descriptor table; a zero descriptor ends the table.
struct CacheDescriptorEntry {
  std::uint32_t descriptor;
  std::int32_t value;
};
// The value of the first table pair (in table order) whose descriptor byte occurs among
// the leaf-2 descriptor bytes; -1 when none does or leaf 2 needs more than one query.
// Registers with bit 31 set carry no descriptors; AL is the query count, not a descriptor.
std::int32_t FindCacheDescriptor(const CacheDescriptorEntry *table,
                                 const ICpuidReader &r = HardwareCpuid()) noexcept;

// The 64-bit time-stamp counter.
std::uint64_t ReadTimeStampCounter() noexcept;

} // namespace cpu
