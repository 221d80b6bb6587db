// Every operation of the catalogue has its generic variant: this file takes the address
// of each one, so a missing or mistyped variant fails the link. It also checks that every
// slot not yet called holds its own set-up routine.
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "framework/dispatch/VectorMath.h"

namespace {

struct OperationLinks {
  std::string name;
  const void *generic;
  bool slotAtSetUp;
};

template <class Fn> const void *address(Fn fn) { return reinterpret_cast<const void *>(fn); }

#define DISPATCH_LINK_ENTRY(unit, name, scheme, ret, params, args)                                 \
  OperationLinks{#unit "::" #name, address(&unit::generic::name),                                  \
                 unit::slots::name.load() == &unit::SetUp_##name},

TEST(GenericVariants, EveryOperationHasOneAndStartsAtItsSetUp) {
  dispatch::ResetSlotsForTesting();
  const OperationLinks all[] = {DISPATCH_CATALOGUE(DISPATCH_LINK_ENTRY)};
  EXPECT_EQ(std::size(all), 207u);
  std::set<const void *> distinct;
  for (const OperationLinks &op : all) {
    EXPECT_NE(op.generic, nullptr) << op.name;
    EXPECT_TRUE(op.slotAtSetUp) << op.name;
    distinct.insert(op.generic);
  }
  // identical code folding aside, each operation has a variant of its own
  EXPECT_EQ(distinct.size(), std::size(all));
}

#undef DISPATCH_LINK_ENTRY

} // namespace
