#include "framework/dispatch/IppMalloc.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "framework/dispatch/Lpmalloc.h"

namespace Lpmalloc {

void *_malloc(unsigned n) noexcept { return std::malloc(n); }

void _free(void *p) noexcept { std::free(p); }

} // namespace Lpmalloc

namespace dispatch {

namespace {
constexpr std::uintptr_t kAlign = 32;
// The back-pointer needs a whole pointer below the handed-out address; the block is
// over-allocated by that plus the largest alignment shift.
constexpr unsigned kSlack = sizeof(void *) + kAlign;
} // namespace

void *_ippMalloc(int n) noexcept {
  if (n < 1)
    return nullptr;
  auto *raw = static_cast<unsigned char *>(Lpmalloc::_malloc(static_cast<unsigned>(n) + kSlack));
  if (!raw)
    return nullptr;
  const auto rawAddr = reinterpret_cast<std::uintptr_t>(raw);
  const std::uintptr_t aligned = (rawAddr + kSlack - 1) & ~(kAlign - 1);
  unsigned char *p = raw + (aligned - rawAddr);
  std::memcpy(p - sizeof(void *), &raw, sizeof(void *));
  return p;
}

void _ippFree(void *p) noexcept {
  if (!p)
    return;
  void *raw = nullptr;
  std::memcpy(&raw, static_cast<unsigned char *>(p) - sizeof(void *), sizeof(void *));
  Lpmalloc::_free(raw);
}

} // namespace dispatch
