// Dispatch slots and set-up routines of the vector-math operations.
//
// Every operation of the catalogue (DispatchCatalogue.h) is called by name through its
// own slot, a std::atomic function pointer. A slot starts at the operation's set-up
// routine SetUp_<operation>, which reads the processor code, picks the variant by the
// operation's selection scheme, stores it in the slot, calls it with the caller's
// arguments and returns its status; later calls run the stored variant directly.
// Two threads making the first call at once both pick the same variant and both store
// it, which is harmless. Slots and set-up routines are inline in the unit headers, so a
// program that calls one operation links only that operation's variants.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <span>

#include "framework/dispatch/DispatchCatalogue.h"
#include "framework/dispatch/IppTypes.h"
#include "framework/dispatch/Ippglobalcpu.h"
#include "framework/dispatch/VariantWiringAudio.h"
#include "framework/dispatch/VariantWiringBasic.h"
#include "framework/dispatch/VariantWiringFFT.h"
#include "framework/dispatch/VariantWiringSignal.h"

namespace dispatch {

// How an operation maps processor codes to variants.
enum class Scheme : std::uint8_t { FourWay, ThreeWayHigh, ThreeWayLow };

enum class VariantClass : std::uint8_t { Sse3, Sse2, Sse, Generic };

// code 16/17: SSE3-class (not three-way low); code 6: SSE2-class (not three-way high);
// codes 7-9: SSE2-class in the four-way scheme only; code 5: SSE-class; any other code
// (0, and every code the detection gives for a current processor): generic.
constexpr VariantClass SelectVariantClass(Scheme scheme, IppCpuType code) noexcept {
  switch (code) {
  case 16:
  case 17:
    return scheme == Scheme::ThreeWayLow ? VariantClass::Generic : VariantClass::Sse3;
  case 6:
    return scheme == Scheme::ThreeWayHigh ? VariantClass::Generic : VariantClass::Sse2;
  case 7:
  case 8:
  case 9:
    return scheme == Scheme::FourWay ? VariantClass::Sse2 : VariantClass::Generic;
  case 5:
    return VariantClass::Sse;
  default:
    return VariantClass::Generic;
  }
}

// The variants of one operation. Where a class has no variant of its own (three-way
// schemes, a class that runs the generic code by design, or a kernel not built yet) its
// entry is the generic variant.
template <class Fn> struct VariantTable {
  Fn sse3;
  Fn sse2;
  Fn sse;
  Fn generic;

  constexpr Fn pick(VariantClass c) const noexcept {
    switch (c) {
    case VariantClass::Sse3:
      return sse3;
    case VariantClass::Sse2:
      return sse2;
    case VariantClass::Sse:
      return sse;
    case VariantClass::Generic:
      break;
    }
    return generic;
  }
};

// How one processor class of one operation is wired.
//   Own:     a kernel of its own (kernels/*) stands in the slot for that class.
//   Generic: the class runs the generic variant because that is its design.
//   Pending: the class should have a kernel of its own that is not built yet; until it
//            is, the slot holds the generic variant and the catalogue says so.
enum class Wire : std::uint8_t { Own, Generic, Pending };

template <class Fn> struct OwnEntry { Fn fn; };
struct GenericEntry {};
struct PendingEntry {};

// Entries of the wiring table (DISPATCH_VARIANT_WIRING in DispatchCatalogue.h).
template <class Fn> constexpr OwnEntry<Fn> Own(Fn fn) noexcept { return {fn}; }
inline constexpr GenericEntry GenericByDesign{};
inline constexpr PendingEntry NotYetBuilt{};

template <class Fn> constexpr Wire WireOf(OwnEntry<Fn>) noexcept { return Wire::Own; }
constexpr Wire WireOf(GenericEntry) noexcept { return Wire::Generic; }
constexpr Wire WireOf(PendingEntry) noexcept { return Wire::Pending; }

// The function an entry puts in the slot. An own kernel must have exactly the
// operation's signature, or this does not compile.
template <class Fn> constexpr Fn Resolve(OwnEntry<Fn> e, Fn) noexcept { return e.fn; }
template <class Fn> constexpr Fn Resolve(GenericEntry, Fn generic) noexcept { return generic; }
template <class Fn> constexpr Fn Resolve(PendingEntry, Fn generic) noexcept { return generic; }

// One tag type per operation, dispatch::op::<Unit>::<operation>, naming it in the wiring.
#define DISPATCH_DECLARE_TAG(unit, name, scheme, ret, params, args)                                \
  namespace op::unit {                                                                             \
  struct name;                                                                                     \
  }
DISPATCH_CATALOGUE(DISPATCH_DECLARE_TAG)
#undef DISPATCH_DECLARE_TAG

// The wiring of an operation that the table does not list: every class pending.
template <class Op> struct Wiring {
  static constexpr PendingEntry sse3{};
  static constexpr PendingEntry sse2{};
  static constexpr PendingEntry sse{};
};

#define DISPATCH_WIRE(unit, name, e3, e2, e1)                                                      \
  template <> struct Wiring<op::unit::name> {                                                      \
    static constexpr auto sse3 = e3;                                                               \
    static constexpr auto sse2 = e2;                                                               \
    static constexpr auto sse = e1;                                                                \
  };
DISPATCH_VARIANT_WIRING(DISPATCH_WIRE)
#undef DISPATCH_WIRE

// The wires of one operation for the classes Sse3, Sse2, Sse, in that order.
template <class Op> constexpr std::array<Wire, 3> WiresOf() noexcept {
  return {WireOf(Wiring<Op>::sse3), WireOf(Wiring<Op>::sse2), WireOf(Wiring<Op>::sse)};
}

// Remembers a filled slot's reset routine so tests can bring every slot back to its
// set-up routine. Thread-safe; a routine registered twice is kept once.
void RegisterFilledSlot(void (*reset)() noexcept);

// Test only: puts every slot filled so far back to its set-up routine. Must not run
// while operations are being called.
void ResetSlotsForTesting();

// The set-up step common to every operation: choose for the current processor code,
// store in the slot, and hand the chosen variant back for the call.
template <class Fn>
Fn Install(std::atomic<Fn> &slot, Scheme scheme, const VariantTable<Fn> &variants,
           void (*reset)() noexcept) {
  const Fn chosen = variants.pick(SelectVariantClass(scheme, Ippglobalcpu::Global_CPU()));
  slot.store(chosen, std::memory_order_release);
  RegisterFilledSlot(reset);
  return chosen;
}

// One row of the catalogue, for listings and tests.
struct CatalogueEntry {
  const char *unit;
  const char *name;
  Scheme scheme;
  std::array<Wire, 3> wires; // Sse3, Sse2, Sse
};

// All operations of the five units, in the catalogue's order.
std::span<const CatalogueEntry> Catalogue() noexcept;

} // namespace dispatch

// Expanded inside `namespace <Unit>::generic`: the generic variant's declaration.
#define DISPATCH_DECLARE_GENERIC(unit, name, scheme, ret, params, args) ret name params;

// Expanded inside `namespace <Unit>`: slot, operation and set-up routine. Select_<name>
// is the set-up routine's choice without the call: it stores the variant for the current
// processor code in the slot and returns it (tests walk the catalogue with it).
#define DISPATCH_DEFINE_OPERATION(unit, name, scheme, ret, params, args)                           \
  inline ret SetUp_##name params;                                                                  \
  namespace slots {                                                                                \
  inline std::atomic<decltype(&generic::name)> name{&SetUp_##name};                                \
  inline void Reset_##name() noexcept { name.store(&SetUp_##name, std::memory_order_release); }    \
  }                                                                                                \
  inline ret name params { return slots::name.load(std::memory_order_acquire) args; }              \
  inline decltype(&generic::name) Select_##name() {                                                \
    using Fn = decltype(&generic::name);                                                           \
    using W = ::dispatch::Wiring<::dispatch::op::unit::name>;                                      \
    constexpr ::dispatch::VariantTable<Fn> variants{                                               \
        ::dispatch::Resolve<Fn>(W::sse3, &generic::name),                                          \
        ::dispatch::Resolve<Fn>(W::sse2, &generic::name),                                          \
        ::dispatch::Resolve<Fn>(W::sse, &generic::name), &generic::name};                          \
    return ::dispatch::Install(slots::name, ::dispatch::Scheme::scheme, variants,                  \
                               &slots::Reset_##name);                                              \
  }                                                                                                \
  inline ret SetUp_##name params { return Select_##name() args; }
