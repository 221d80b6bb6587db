// The signal unit's wiring as a whole: its 63 operations select three ways low, so only
// codes 6 and 5 may leave the generic, and no class of it waits for a kernel. The walk over
// the catalogue (framework/dispatch) checks what each slot then holds at every code.
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "framework/dispatch/VectorMath.h"

namespace {

using dispatch::Scheme;
using dispatch::Wire;

TEST(SignalWiring, EveryOperationIsThreeWayLowAndNoneIsPending) {
  std::set<std::string> names;
  for (const dispatch::CatalogueEntry &e : dispatch::Catalogue()) {
    if (std::string(e.unit) != "Slbcbbasicdispatcher")
      continue;
    names.insert(e.name);
    EXPECT_EQ(e.scheme, Scheme::ThreeWayLow) << e.name;
    // Index 0 is the class of codes 16-17, which this scheme never selects.
    EXPECT_NE(e.wires[0], Wire::Own) << e.name;
    for (Wire w : e.wires)
      EXPECT_NE(w, Wire::Pending) << e.name;
  }
  EXPECT_EQ(names.size(), 63u);
}

// The double-precision operations the value wrappers call run a kernel of their own at
// code 6; those with their own code-5 loops (sums in another order, the transforms'
// class) carry it too.
TEST(SignalWiring, WrapperOperationsRunTheirOwnKernelsAtCodeSix) {
  const std::set<std::string> code6 = {
      "ippsDotProd_64f",  "ippsMean_64f",      "ippsStdDev_64f",  "ippsNormDiff_L2_64f",
      "ippsSqrt_64f",     "ippsExp_64f",       "ippsLn_64f",      "ippsConv_64f",
      "ippsAutoCorr_64f", "ippsCrossCorr_64f", "ippsMaxIndx_64f", "ippsThreshold_64f"};
  const std::set<std::string> code5 = {"ippsMean_64f", "ippsStdDev_64f", "ippsExp_64f",
                                       "ippsLn_64f",   "ippsConv_64f",   "ippsCrossCorr_64f"};
  std::set<std::string> seen;
  for (const dispatch::CatalogueEntry &e : dispatch::Catalogue()) {
    if (std::string(e.unit) != "Slbcbbasicdispatcher")
      continue;
    if (code6.count(e.name)) {
      seen.insert(e.name);
      EXPECT_EQ(e.wires[1], Wire::Own) << e.name;
    }
    if (code5.count(e.name)) {
      EXPECT_EQ(e.wires[2], Wire::Own) << e.name;
    }
  }
  EXPECT_EQ(seen, code6);
}

} // namespace
