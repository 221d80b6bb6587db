// Scratch and state blocks of the filter, correlation and uncalled operations.
//
// Every block comes from the aligned allocator through here, so that byte counts
// are checked once (a count that does not fit the allocator's int argument is a
// failed allocation) and tests can fail the k-th allocation and count live blocks.
// The seam's counters are atomics; arming it is meant for single-threaded tests.
#pragma once

namespace dispatch_filters {

// A 32-byte-aligned block of `bytes` bytes, or null when bytes < 1, bytes does not
// fit an int, or memory is exhausted.
void* blockAlloc(long long bytes);
// Doubles; null as above (count < 1 or count * 8 too large).
double* blockAllocDoubles(long long count);
void blockFree(void* p);

// Test seam: the next `after` allocations succeed, the one after fails; -1 disarms.
void blockFailAfter(int after);
// Blocks handed out by blockAlloc and not yet released.
long blockLiveCount();

}  // namespace dispatch_filters
