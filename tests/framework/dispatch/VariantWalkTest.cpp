// Walks every operation of the catalogue under the processor codes that select each
// class, and checks that its slot then holds what the wiring names: its own kernel where
// one is wired, the generic variant where the class runs the generic by design or its
// kernel is not built yet. Pending entries are listed, never counted as done.
#include <array>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "framework/dispatch/VectorMath.h"
#include "tests/support/VariantWalk.h"

namespace {

using dispatch::Scheme;
using dispatch::Wire;

using variantwalk::classFor;
using variantwalk::WalkRow;

const std::vector<WalkRow> &walkRows() {
  static const std::vector<WalkRow> rows = {DISPATCH_CATALOGUE(SONVELT_WALK_ROW)};
  return rows;
}

using VariantWalk = variantwalk::AtCode;

TEST_P(VariantWalk, EverySlotHoldsTheVariantItsWiringNames) {
  const int code = GetParam();
  int own = 0;
  std::vector<std::string> pending;
  for (const WalkRow &row : walkRows()) {
    const int c = classFor(row.scheme, code);
    const void *expected = c < 0 ? row.generic : row.entries[static_cast<std::size_t>(c)];
    EXPECT_EQ(row.select(), expected) << row.unit << "::" << row.name << " code " << code;
    if (c < 0)
      continue;
    switch (row.wires[static_cast<std::size_t>(c)]) {
    case Wire::Own:
      ++own;
      EXPECT_NE(expected, row.generic) << row.unit << "::" << row.name;
      break;
    case Wire::Generic:
      EXPECT_EQ(expected, row.generic);
      break;
    case Wire::Pending:
      EXPECT_EQ(expected, row.generic);
      pending.push_back(std::string(row.unit) + "::" + row.name);
      break;
    }
  }
  if (code == 0)
    EXPECT_EQ(own, 0);
  else
    EXPECT_GT(own, 0);
  // Not failures: the list of kernels still to build for this code.
  std::printf("code %d: %d own kernels, %zu pending\n", code, own, pending.size());
  RecordProperty("own", own);
  RecordProperty("pending", static_cast<int>(pending.size()));
}

INSTANTIATE_TEST_SUITE_P(Codes, VariantWalk, ::testing::Values(0, 5, 6, 7, 16));

// A class the scheme never selects must not carry a kernel: it would never run.
TEST(VariantWiring, NoKernelIsWiredToAClassItsSchemeNeverSelects) {
  for (const WalkRow &row : walkRows()) {
    if (row.scheme == Scheme::ThreeWayLow) {
      EXPECT_NE(row.wires[0], Wire::Own) << row.name;
    }
    if (row.scheme == Scheme::ThreeWayHigh) {
      EXPECT_NE(row.wires[1], Wire::Own) << row.name;
    }
  }
}

// What is wired so far: the fill, zero, copy and move kernels, in every class.
TEST(VariantWiring, FillZeroCopyMoveHaveKernelsOfTheirOwnInEveryClass) {
  const std::set<std::string> done = {"ippsSet_8u",   "ippsSet_32s",  "ippsSet_64f",
                                      "ippsSet_64fc", "ippsZero_8u",  "ippsZero_16s",
                                      "ippsZero_32s", "ippsZero_64f", "ippsZero_64fc",
                                      "ippsCopy_8u",  "ippsCopy_64f", "ippsMove_64f"};
  std::set<std::string> seen;
  for (const dispatch::CatalogueEntry &e : dispatch::Catalogue()) {
    if (std::string(e.unit) != "Slbasicdispatcher" || !done.count(e.name))
      continue;
    seen.insert(e.name);
    for (Wire w : e.wires)
      EXPECT_EQ(w, Wire::Own) << e.name;
  }
  EXPECT_EQ(seen, done);
}

} // namespace
