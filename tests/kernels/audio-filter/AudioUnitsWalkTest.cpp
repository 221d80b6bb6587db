// Walks the catalogue rows of the two audio units (the audio sample operations and the
// filter and statistics operations) under the processor codes that select each class:
// every class of every operation has a kernel of its own or runs the generic by design,
// nothing is left to build, and each slot then holds what its row names. Three-way rows
// keep the generic at the codes their scheme leaves out (the IIR filters at code 6).
#include <array>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "framework/dispatch/Albasicdispatcher.h"
#include "framework/dispatch/Ippglobalcpu.h"
#include "framework/dispatch/Vizazodizaro.h"
#include "tests/support/VariantWalk.h"

namespace {

using dispatch::Scheme;
using dispatch::Wire;

using variantwalk::classFor;
using variantwalk::WalkRow;

const std::vector<WalkRow> &rows() {
  static const std::vector<WalkRow> all = {VIZAZODIZARO_CATALOGUE(SONVELT_WALK_ROW)
                                               ALBASICDISPATCHER_CATALOGUE(SONVELT_WALK_ROW)};
  return all;
}

// The FIR set-up and release and the transforms of the filter unit belong to the
// double-precision transform kernels; everything else here is the audio kernels'.
const std::set<std::string> kOtherKernels = {"ippsFIRInitAlloc_64f", "ippsFIRFree_64f",
                                             "ippsFFTFwd_RToCCS_64f", "ippsFFTInitAlloc_R_64f",
                                             "ippsFFTFree_R_64f"};

using AudioUnitsWalk = variantwalk::AtCode;

TEST_P(AudioUnitsWalk, EverySlotHoldsItsKernelAndNothingIsPending) {
  const int code = GetParam();
  std::set<Scheme> schemesSeen;
  for (const WalkRow &row : rows()) {
    schemesSeen.insert(row.scheme);
    const int c = classFor(row.scheme, code);
    const void *expected = c < 0 ? row.generic : row.entries[static_cast<std::size_t>(c)];
    EXPECT_EQ(row.select(), expected) << row.unit << "::" << row.name << " code " << code;
    if (kOtherKernels.count(row.name))
      continue;
    for (std::size_t k = 0; k < 3; ++k) {
      EXPECT_NE(row.wires[k], Wire::Pending) << row.unit << "::" << row.name << " class " << k;
      EXPECT_EQ(row.wires[k] == Wire::Own, row.entries[k] != row.generic) << row.name;
    }
  }
  // Both three-way schemes are among the rows walked.
  EXPECT_TRUE(schemesSeen.count(Scheme::ThreeWayHigh));
  EXPECT_TRUE(schemesSeen.count(Scheme::ThreeWayLow));
}

INSTANTIATE_TEST_SUITE_P(Codes, AudioUnitsWalk, ::testing::Values(0, 5, 6, 7, 16));

// The filters' own rows at the codes that matter: the IIR block method at 16 and 5, the
// generic IIR filter at 6; every code's IIR set-up its own. The two-lane FIR step at
// codes 16-17 and 6-9; code 5 sums in extended precision as the generic step does, so
// its slot holds the generic.
TEST(AudioUnitsWalkFilters, FilterSlotsPerCode) {
  struct Want {
    int code;
    bool ownFilter;
    bool ownSetUp;
    bool ownFirStep;
  } wants[] = {{0, false, false, false},
               {5, true, true, false},
               {6, false, true, true},
               {7, false, true, true},
               {16, true, true, true}};
  for (const Want &w : wants) {
    dispatch::ResetSlotsForTesting();
    Ippglobalcpu::SetGlobalCpu(static_cast<IppCpuType>(w.code));
    EXPECT_EQ(Vizazodizaro::Select_ippsIIR_32f_I() != &Vizazodizaro::generic::ippsIIR_32f_I,
              w.ownFilter)
        << w.code;
    EXPECT_EQ(Vizazodizaro::Select_ippsIIR_32f() != &Vizazodizaro::generic::ippsIIR_32f,
              w.ownFilter)
        << w.code;
    EXPECT_EQ(Vizazodizaro::Select_ippsIIRInitAlloc_32f() !=
                  &Vizazodizaro::generic::ippsIIRInitAlloc_32f,
              w.ownSetUp)
        << w.code;
    EXPECT_EQ(Vizazodizaro::Select_ippsIIRFree_32f() != &Vizazodizaro::generic::ippsIIRFree_32f,
              w.ownSetUp)
        << w.code;
    EXPECT_EQ(Vizazodizaro::Select_ippsFIROne_64f() != &Vizazodizaro::generic::ippsFIROne_64f,
              w.ownFirStep)
        << w.code;
  }
  dispatch::ResetSlotsForTesting();
  Ippglobalcpu::UnInitializeDispatch();
}

} // namespace
