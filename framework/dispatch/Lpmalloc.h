// The heap allocator under the aligned allocator. Any thread; the heap locks itself.
#pragma once

namespace Lpmalloc {

// n bytes from the process heap, contents undefined; null when exhausted.
void *_malloc(unsigned n) noexcept;
// Gives a block of _malloc back; null is ignored.
void _free(void *p) noexcept;

} // namespace Lpmalloc
