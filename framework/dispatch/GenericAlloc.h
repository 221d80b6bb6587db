// Scratch and state blocks of the filter, correlation, convolution and region operations.
//
// Every block comes from the aligned allocator through the one filter-block counter that
// the processor-class kernels use too (kernels/common/FilterBlocks.h), so a state made by
// any class's set-up is released by any class's release, byte counts are checked once (a
// count that does not fit the allocator's int argument is a failed allocation) and tests
// can fail the k-th allocation and count live blocks.
#pragma once

#include "kernels/common/FilterBlocks.h"

namespace dispatch_filters {

inline kernels::TCountedBlocks &filterBlocks() { return kernels::FilterBlocks(); }

// A 32-byte-aligned block of `bytes` bytes, or null when bytes < 1, bytes does not
// fit an int, or memory is exhausted.
inline void *blockAlloc(long long bytes) { return filterBlocks().Alloc(bytes); }
// Doubles; null as above (count < 1 or count * 8 too large).
inline double *blockAllocDoubles(long long count) { return filterBlocks().AllocDoubles(count); }
inline void blockFree(void *p) { filterBlocks().Free(p); }

// Test seam: the next `after` allocations succeed, the one after fails; -1 disarms.
inline void blockFailAfter(int after) { filterBlocks().FailAfter(after); }
// Blocks handed out by blockAlloc and not yet released.
inline long blockLiveCount() { return filterBlocks().Live(); }

} // namespace dispatch_filters
