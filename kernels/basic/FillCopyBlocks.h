// Internal to kernels/basic: what the fill and copy blocks share with the cache lookup.
#pragma once

#include <cstdint>

namespace kernels::basic::detail {

// CacheSizePerCore of the current reader, read once and kept.
std::int64_t CachedCacheSize(bool divideByCores) noexcept;
void CountNonTemporal() noexcept;

} // namespace kernels::basic::detail
