// The cache size that decides when the 16-byte-register fills and copies bypass the
// cache with non-temporal stores.
#include <atomic>

#include "kernels/basic/BasicKernels.h"
#include "kernels/basic/FillCopyBlocks.h"

namespace kernels::basic {

namespace {

// Size code: (code >> 4) << ((code & 15) + 18) bytes.
constexpr std::int32_t SizeOfCode(std::uint32_t code) noexcept {
  return static_cast<std::int32_t>((code >> 4) << ((code & 15) + 18));
}

// Second- and third-level cache descriptors of 256 KB and more, largest first, so the
// first descriptor the processor reports is its largest cache.
constexpr cpu::CacheDescriptorEntry kCacheDescriptorTable[] = {{0x47, SizeOfCode(0x15)},
                                                               {0x49, SizeOfCode(0x14)},
                                                               {0x29, SizeOfCode(0x14)},
                                                               {0x46, SizeOfCode(0x14)},
                                                               {0x25, SizeOfCode(0x13)},
                                                               {0x7D, SizeOfCode(0x13)},
                                                               {0x85, SizeOfCode(0x13)},
                                                               {0x45, SizeOfCode(0x13)},
                                                               {0x23, SizeOfCode(0x12)},
                                                               {0x87, SizeOfCode(0x12)},
                                                               {0x7C, SizeOfCode(0x12)},
                                                               {0x78, SizeOfCode(0x12)},
                                                               {0x84, SizeOfCode(0x12)},
                                                               {0x44, SizeOfCode(0x12)},
                                                               {0x22, SizeOfCode(0x11)},
                                                               {0x7B, SizeOfCode(0x11)},
                                                               {0x86, SizeOfCode(0x11)},
                                                               {0x7F, SizeOfCode(0x11)},
                                                               {0x83, SizeOfCode(0x11)},
                                                               {0x43, SizeOfCode(0x11)},
                                                               {0x7A, SizeOfCode(0x10)},
                                                               {0x82, SizeOfCode(0x10)},
                                                               {0x3C, SizeOfCode(0x10)},
                                                               {0x42, SizeOfCode(0x10)},
                                                               {0, 0}};
static_assert(SizeOfCode(0x15) == 8 * 1024 * 1024 && SizeOfCode(0x10) == 256 * 1024);

constexpr std::int64_t kUnknown = -2;

std::atomic<const cpu::ICpuidReader *> gReader{nullptr};
// Sizes found so far (undivided, divided); kUnknown until first asked. CPUID is slow
// under virtual machines, so it is read once, not on every large fill.
std::atomic<std::int64_t> gSizes[2] = {kUnknown, kUnknown};
std::atomic<std::uint64_t> gNonTemporal{0};

const cpu::ICpuidReader &reader() noexcept {
  const cpu::ICpuidReader *r = gReader.load(std::memory_order_acquire);
  return r ? *r : cpu::HardwareCpuid();
}

} // namespace

std::int64_t CacheSizePerCore(const cpu::ICpuidReader &r, bool divideByCores) noexcept {
  if (!cpu::CpuidSupported(r) || !cpu::IsGenuineIntel(r))
    return -1;
  const std::int32_t size = cpu::FindCacheDescriptor(kCacheDescriptorTable, r);
  if (size <= 0)
    return -1;
  return divideByCores ? size / cpu::CpuCoresPerPackage(r) : size;
}

void SetCpuidReaderForTesting(const cpu::ICpuidReader *r) noexcept {
  gReader.store(r, std::memory_order_release);
  gSizes[0].store(kUnknown, std::memory_order_release);
  gSizes[1].store(kUnknown, std::memory_order_release);
}

BlockCounters ReadBlockCounters() noexcept {
  return {gNonTemporal.load(std::memory_order_relaxed)};
}

namespace detail {

std::int64_t CachedCacheSize(bool divideByCores) noexcept {
  std::atomic<std::int64_t> &slot = gSizes[divideByCores ? 1 : 0];
  std::int64_t size = slot.load(std::memory_order_acquire);
  if (size == kUnknown) {
    size = CacheSizePerCore(reader(), divideByCores);
    slot.store(size, std::memory_order_release);
  }
  return size;
}

void CountNonTemporal() noexcept { gNonTemporal.fetch_add(1, std::memory_order_relaxed); }

} // namespace detail

} // namespace kernels::basic
