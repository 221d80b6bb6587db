// Blocks of the double-precision FFT engine: specification records, their tables and
// the work areas that a transform takes for one call.
//
// Every block is an ownsMalloc block (OwnsMalloc.h) taken through the engine's own counter
// (kernels/common/CountedBlocks.h), so byte counts are checked in one place and tests can
// fail the k-th allocation and count the live blocks. Blocks are 32-byte aligned.
#pragma once

#include "kernels/common/CountedBlocks.h"
#include "kernels/fft-real/OwnsMalloc.h"

namespace kernels::fft_real {

inline void *ownsBlock(int n) noexcept { return kernels::fft_audio::ownsMalloc(n); }
inline void ownsRelease(void *p) noexcept { kernels::fft_audio::ownsFree(p); }

inline kernels::TCountedBlocks &fftBlocks() {
  static kernels::TCountedBlocks blocks(&ownsBlock, &ownsRelease);
  return blocks;
}

// A 32-byte-aligned block of `bytes` bytes, or null when bytes < 1, bytes does not fit
// a signed 32-bit count, or memory is exhausted.
inline void *fftMalloc(long long bytes) { return fftBlocks().Alloc(bytes); }
// Releases a block of fftMalloc; null is ignored.
inline void fftFree(void *p) { fftBlocks().Free(p); }

// Test seam: the next `after` allocations succeed, the one after fails; -1 disarms.
inline void fftFailAfter(int after) { fftBlocks().FailAfter(after); }
// Blocks handed out by fftMalloc and not yet released.
inline long fftLiveBlocks() { return fftBlocks().Live(); }
// Allocation requests made so far (successful or not).
inline long fftAllocRequests() { return fftBlocks().Requests(); }

} // namespace kernels::fft_real
