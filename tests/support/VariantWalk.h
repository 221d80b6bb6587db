// Walking the dispatch catalogue: one row per operation with what each processor class
// would get from the wiring, the generic variant, and a call that runs the operation's
// set-up and returns what its slot then holds; and the fixture of tests run at a
// processor code.
//
// Include "tests/support/VariantWalk.h" after the headers of the units walked, and build
// the rows with SONVELT_WALK_ROW over their catalogues.
#pragma once

#include <array>
#include <string>

#include <gtest/gtest.h>

#include "framework/dispatch/Dispatch.h"
#include "framework/dispatch/Ippglobalcpu.h"

namespace variantwalk {

struct WalkRow {
  std::string unit;
  std::string name;
  dispatch::Scheme scheme;
  std::array<dispatch::Wire, 3> wires; // Sse3, Sse2, Sse
  // The variant each class would get from the table, and the generic variant.
  std::array<const void *, 3> entries;
  const void *generic;
  const void *(*select)(); // runs the set-up's choice, returns what the slot holds
};

template <class Fn> const void *addr(Fn fn) { return reinterpret_cast<const void *>(fn); }

// The class a code selects, written out per scheme: -1 generic, else 0 Sse3, 1 Sse2, 2 Sse.
inline int classFor(dispatch::Scheme scheme, int code) {
  using dispatch::Scheme;
  switch (code) {
  case 16:
    return scheme == Scheme::ThreeWayLow ? -1 : 0;
  case 6:
    return scheme == Scheme::ThreeWayHigh ? -1 : 1;
  case 7:
    return scheme == Scheme::FourWay ? 1 : -1;
  case 5:
    return 2;
  default:
    return -1;
  }
}

// A test run at the processor code of its parameter: every slot starts unset and
// chooses under that code, and both are undone after the test.
class AtCode : public ::testing::TestWithParam<int> {
protected:
  void SetUp() override {
    dispatch::ResetSlotsForTesting();
    Ippglobalcpu::SetGlobalCpu(static_cast<IppCpuType>(GetParam()));
  }
  void TearDown() override {
    dispatch::ResetSlotsForTesting();
    Ippglobalcpu::UnInitializeDispatch();
  }
};

} // namespace variantwalk

// One WalkRow, followed by a comma, per entry of a catalogue X-macro.
#define SONVELT_WALK_ROW(unit, name, scheme, ret, params, args)                                    \
  variantwalk::WalkRow{                                                                            \
      #unit,                                                                                       \
      #name,                                                                                       \
      dispatch::Scheme::scheme,                                                                    \
      dispatch::WiresOf<dispatch::op::unit::name>(),                                               \
      {variantwalk::addr(dispatch::Resolve<decltype(&unit::generic::name)>(                        \
           dispatch::Wiring<dispatch::op::unit::name>::sse3, &unit::generic::name)),               \
       variantwalk::addr(dispatch::Resolve<decltype(&unit::generic::name)>(                        \
           dispatch::Wiring<dispatch::op::unit::name>::sse2, &unit::generic::name)),               \
       variantwalk::addr(dispatch::Resolve<decltype(&unit::generic::name)>(                        \
           dispatch::Wiring<dispatch::op::unit::name>::sse, &unit::generic::name))},               \
      variantwalk::addr(&unit::generic::name),                                                     \
      [] {                                                                                         \
        unit::Select_##name();                                                                     \
        return variantwalk::addr(unit::slots::name.load());                                        \
      }},
