// Counted, failure-injectable block allocation shared by the kernels and the dispatch's
// generic variants.
//
// Every block request passes one admission test: a byte count that does not fit the
// allocators' signed 32-bit argument is a failed allocation, never a wrapped one, and
// tests can fail the k-th request and count the blocks still live. Each owner of blocks
// (the FFT engine, the filter operations) keeps its own TCountedBlocks, so a test can arm
// a failure in one without touching the other. The counters are atomics; arming a
// failure is meant for single-threaded tests.
#pragma once

#include <atomic>
#include <climits>
#include <cstddef>
#include <cstdlib>

namespace kernels {

// The raw allocator under a counter: a block of n bytes (n >= 1) aligned to 32 bytes,
// or null; and its release, which ignores null.
using RawAllocFn = void *(*)(int n) noexcept;
using RawFreeFn = void (*)(void *p) noexcept;

inline void *AlignedAlloc32(int n) noexcept {
  return std::aligned_alloc(32, (static_cast<std::size_t>(n) + 31) / 32 * 32);
}
inline void AlignedFree(void *p) noexcept { std::free(p); }

class TCountedBlocks {
public:
  constexpr TCountedBlocks(RawAllocFn alloc = &AlignedAlloc32, RawFreeFn release = &AlignedFree)
      : alloc_(alloc), free_(release) {}
  TCountedBlocks(const TCountedBlocks &) = delete;
  TCountedBlocks &operator=(const TCountedBlocks &) = delete;

  // A 32-byte-aligned block of `bytes` bytes, or null when bytes < 1, bytes does not
  // fit a signed 32-bit count, an armed failure is due, or memory is exhausted.
  void *Alloc(long long bytes) {
    if (!Admit(bytes))
      return nullptr;
    void *p = alloc_(static_cast<int>(bytes));
    if (p)
      ++live_;
    return p;
  }
  // `count` doubles; null as above (count < 1 or count * 8 too large).
  double *AllocDoubles(long long count) {
    if (count < 1 || count > INT_MAX / 8)
      return nullptr;
    return static_cast<double *>(Alloc(count * 8));
  }
  // Releases a block of Alloc; null is ignored.
  void Free(void *p) {
    if (!p)
      return;
    --live_;
    free_(p);
  }

  // The next `after` requests succeed, the one after fails; -1 disarms.
  void FailAfter(int after) { failAfter_.store(after < 0 ? -1 : after); }
  // Blocks handed out and not yet released.
  long Live() const { return live_.load(); }
  // Requests made so far, successful or not.
  long Requests() const { return requests_.load(); }

private:
  bool Admit(long long bytes) {
    ++requests_;
    if (bytes < 1 || bytes > INT_MAX)
      return false;
    int left = failAfter_.load();
    while (left >= 0) {
      if (failAfter_.compare_exchange_weak(left, left - 1))
        return left != 0;
    }
    return true;
  }

  RawAllocFn alloc_;
  RawFreeFn free_;
  std::atomic<int> failAfter_{-1};
  std::atomic<long> live_{0};
  std::atomic<long> requests_{0};
};

} // namespace kernels
