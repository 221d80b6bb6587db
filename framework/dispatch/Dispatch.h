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

#include "framework/dispatch/DispatchCatalogue.h"
#include "framework/dispatch/IppTypes.h"
#include "framework/dispatch/Ippglobalcpu.h"

#include <atomic>
#include <cstdint>
#include <span>

namespace dispatch {

// How an operation maps processor codes to variants.
enum class Scheme : std::uint8_t { FourWay, ThreeWayHigh, ThreeWayLow };

enum class VariantClass : std::uint8_t { Sse3, Sse2, Sse, Generic };

// code 16/17: SSE3-class (not three-way low); code 6: SSE2-class (not three-way high);
// codes 7-9: SSE2-class in the four-way scheme only; code 5: SSE-class; any other code
// (0, and every code the detection gives for a current processor): generic.
constexpr VariantClass SelectVariantClass(Scheme scheme, IppCpuType code) noexcept
{
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
// schemes, or SIMD kernels not built) its entry is the generic variant.
template <class Fn>
struct VariantTable {
    Fn sse3;
    Fn sse2;
    Fn sse;
    Fn generic;

    constexpr Fn pick(VariantClass c) const noexcept
    {
        switch (c) {
        case VariantClass::Sse3: return sse3;
        case VariantClass::Sse2: return sse2;
        case VariantClass::Sse: return sse;
        case VariantClass::Generic: break;
        }
        return generic;
    }
};

// Remembers a filled slot's reset routine so tests can bring every slot back to its
// set-up routine. Thread-safe; a routine registered twice is kept once.
void RegisterFilledSlot(void (*reset)() noexcept);

// Test only: puts every slot filled so far back to its set-up routine. Must not run
// while operations are being called.
void ResetSlotsForTesting();

// The set-up step common to every operation: choose for the current processor code,
// store in the slot, and hand the chosen variant back for the call.
template <class Fn>
Fn Install(std::atomic<Fn>& slot, Scheme scheme, const VariantTable<Fn>& variants,
           void (*reset)() noexcept)
{
    const Fn chosen = variants.pick(SelectVariantClass(scheme, Ippglobalcpu::Global_CPU()));
    slot.store(chosen, std::memory_order_release);
    RegisterFilledSlot(reset);
    return chosen;
}

// One row of the catalogue, for listings and tests.
struct CatalogueEntry {
    const char* unit;
    const char* name;
    Scheme scheme;
};

// All operations of the five units, in the catalogue's order.
std::span<const CatalogueEntry> Catalogue() noexcept;

}  // namespace dispatch

// Expanded inside `namespace <Unit>::generic`: the generic variant's declaration.
#define DISPATCH_DECLARE_GENERIC(unit, name, scheme, ret, params, args) ret name params;

// Expanded inside `namespace <Unit>`: slot, operation and set-up routine.
#define DISPATCH_DEFINE_OPERATION(unit, name, scheme, ret, params, args)                        \
    inline ret SetUp_##name params;                                                            \
    namespace slots {                                                                          \
    inline std::atomic<decltype(&generic::name)> name{&SetUp_##name};                          \
    inline void Reset_##name() noexcept { name.store(&SetUp_##name, std::memory_order_release); } \
    }                                                                                          \
    inline ret name params { return slots::name.load(std::memory_order_acquire) args; }        \
    inline ret SetUp_##name params                                                             \
    {                                                                                          \
        constexpr ::dispatch::VariantTable<decltype(&generic::name)> variants{                 \
            &generic::name, &generic::name, &generic::name, &generic::name};                   \
        return ::dispatch::Install(slots::name, ::dispatch::Scheme::scheme, variants,          \
                                   &slots::Reset_##name) args;                                 \
    }
