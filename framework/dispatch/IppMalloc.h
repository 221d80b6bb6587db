// The 32-byte-aligned allocator that the buffer pool and the operations draw their
// blocks from. Any thread; it keeps no state of its own.
//
// A block is taken from Lpmalloc::_malloc with room for the alignment and, in the whole
// pointer just below the address handed out, the raw block's address for _ippFree.
#pragma once

namespace dispatch {

// A 32-byte-aligned block of n bytes; null when n < 1 or memory is exhausted.
void *_ippMalloc(int n) noexcept;
// Releases a block of _ippMalloc; null is ignored.
void _ippFree(void *p) noexcept;

} // namespace dispatch
