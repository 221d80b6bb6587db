#include "framework/dispatch/Dispatch.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace dispatch {

namespace {

using ResetFn = void (*)() noexcept;

// Reset routines of the slots filled so far; touched only at first calls and by tests.
struct TFilledSlots {
  std::mutex lock;
  std::vector<ResetFn> resets;
};

TFilledSlots &filledSlots() {
  static TFilledSlots slots;
  return slots;
}

#define DISPATCH_CATALOGUE_ENTRY(unit, name, scheme, ret, params, args)                            \
  {#unit, #name, Scheme::scheme, WiresOf<op::unit::name>()},
constexpr CatalogueEntry kCatalogue[] = {DISPATCH_CATALOGUE(DISPATCH_CATALOGUE_ENTRY)};
#undef DISPATCH_CATALOGUE_ENTRY

} // namespace

void RegisterFilledSlot(ResetFn reset) {
  TFilledSlots &s = filledSlots();
  const std::lock_guard<std::mutex> guard(s.lock);
  if (std::find(s.resets.begin(), s.resets.end(), reset) == s.resets.end())
    s.resets.push_back(reset);
}

void ResetSlotsForTesting() {
  TFilledSlots &s = filledSlots();
  const std::lock_guard<std::mutex> guard(s.lock);
  for (ResetFn reset : s.resets)
    reset();
  s.resets.clear();
}

std::span<const CatalogueEntry> Catalogue() noexcept { return kCatalogue; }

} // namespace dispatch
