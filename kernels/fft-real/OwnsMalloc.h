// Aligned blocks of the transform objects: every record, table and work area of the FFT
// engine (both units' double- and single-precision transforms) and the filter states that
// take blocks of the same kind. A raw heap block of n + 40 bytes, the result at raw + 39
// rounded down to 32, the raw pointer in the 8 bytes below it. The engine counts its
// blocks above this layer (FFTAlloc.h).
#pragma once

#include <cstddef>

namespace kernels::fft_audio {

// A block of n bytes at a multiple of 32, or null for n <= 0 or a refused heap request.
// The whole raw pointer sits in the 8 bytes just below the block, so the heap request
// is n + 40 bytes (formed in 64 bits). Not cleared.
void *ownsMalloc(int n);
void *ownsMalloc_Sse(int n);
void *ownsMalloc_Sse2(int n);
void *ownsMalloc_Sse3(int n);
// Releases a block of any ownsMalloc member; null is ignored. Every member's release is
// the same, since every member lays its blocks out alike.
void ownsFree(void *p);
void ownsFree_Sse(void *p);
void ownsFree_Sse2(void *p);
void ownsFree_Sse3(void *p);

// Test seam: the heap under ownsMalloc/ownsFree (null restores malloc and free).
using OwnsHeapAlloc = void *(*)(std::size_t bytes);
using OwnsHeapFree = void (*)(void *p);
void ownsSetHeapForTesting(OwnsHeapAlloc alloc, OwnsHeapFree release);

} // namespace kernels::fft_audio
