// Blocks of the double-precision FFT engine: specification records, their tables and
// the work areas that a transform takes for one call.
//
// Every block comes through here so that byte counts are checked in one place (a count
// that does not fit the allocator's signed 32-bit argument is a failed allocation, never
// a wrapped one) and tests can fail the k-th allocation and count the live blocks.
// Blocks are 32-byte aligned. The counters are atomics; arming the failure is meant for
// single-threaded tests.
#pragma once

namespace Slbcbbasicdispatcher {

// A 32-byte-aligned block of `bytes` bytes, or null when bytes < 1, bytes does not fit
// a signed 32-bit count, or memory is exhausted.
void* fftMalloc(long long bytes);
// Releases a block of fftMalloc; null is ignored.
void fftFree(void* p);

// Test seam: the next `after` allocations succeed, the one after fails; -1 disarms.
void fftFailAfter(int after);
// Blocks handed out by fftMalloc and not yet released.
long fftLiveBlocks();
// Allocation requests made so far (successful or not).
long fftAllocRequests();

}  // namespace Slbcbbasicdispatcher
