// Internal to kernels/basic: what the fill and copy blocks share with the cache lookup.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kernels::basic::detail {

// CacheSizePerCore of the current reader, read once and kept.
std::int64_t CachedCacheSize(bool divideByCores) noexcept;
void CountNonTemporal() noexcept;

// Whether an arithmetic block writes with non-temporal stores: more than `threshold` units
// (blocks or element pairs) and the alignment those stores need. A yes is counted with the
// fill and copy blocks' choices; the block fences its streaming stores before it returns.
inline bool StreamAbove(std::size_t units, std::size_t threshold, bool aligned) noexcept {
  if (units <= threshold || !aligned)
    return false;
  CountNonTemporal();
  return true;
}

// Whether an in-place block prefetches ahead with a non-temporal hint.
inline bool PrefetchAbove(std::size_t units, std::size_t threshold) noexcept {
  return units > threshold;
}

inline bool Aligned16(const void *p) noexcept {
  return (reinterpret_cast<std::uintptr_t>(p) & 15) == 0;
}

// The bypass thresholds of the constant-arithmetic blocks, for codes 6-9; codes 16-17 use
// twice each.
inline constexpr std::size_t kStreamBlocksOfFour = 8192; // real out-of-place differences
inline constexpr std::size_t kPrefetchElements = 65536;  // real in-place, whole blocks
inline constexpr std::size_t kStreamAddPairs = 8192;     // complex sums
inline constexpr std::size_t kStreamOtherPairs = 16384;  // complex differences, products

} // namespace kernels::basic::detail
