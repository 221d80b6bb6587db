// Aligned blocks (see OwnsMalloc.h). The members differ in nothing visible.
#include "kernels/fft-real/OwnsMalloc.h"

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace kernels::fft_audio {

namespace {

std::atomic<OwnsHeapAlloc> gAlloc{&std::malloc};
std::atomic<OwnsHeapFree> gFree{&std::free};

constexpr std::int64_t kSlot = sizeof(void *);
constexpr std::int64_t kExtra = 32 + kSlot;

void *alignedBlock(int n) {
  if (n <= 0)
    return nullptr;
  auto *raw = static_cast<unsigned char *>(
      gAlloc.load()(static_cast<std::size_t>(static_cast<std::int64_t>(n) + kExtra)));
  if (!raw)
    return nullptr;
  const auto addr = reinterpret_cast<std::uintptr_t>(raw) + (kExtra - 1);
  auto *q = reinterpret_cast<unsigned char *>(addr & ~std::uintptr_t{31});
  std::memcpy(q - kSlot, &raw, sizeof raw);
  return q;
}

} // namespace

void *ownsMalloc(int n) { return alignedBlock(n); }
void *ownsMalloc_Sse(int n) { return alignedBlock(n); }
void *ownsMalloc_Sse2(int n) { return alignedBlock(n); }
void *ownsMalloc_Sse3(int n) { return alignedBlock(n); }

void ownsFree(void *p) {
  if (!p)
    return;
  void *raw = nullptr;
  std::memcpy(&raw, static_cast<unsigned char *>(p) - kSlot, sizeof raw);
  gFree.load()(raw);
}
void ownsFree_Sse(void *p) { ownsFree(p); }
void ownsFree_Sse2(void *p) { ownsFree(p); }
void ownsFree_Sse3(void *p) { ownsFree(p); }

void ownsSetHeapForTesting(OwnsHeapAlloc alloc, OwnsHeapFree release) {
  gAlloc.store(alloc ? alloc : &std::malloc);
  gFree.store(release ? release : &std::free);
}

} // namespace kernels::fft_audio
