// The catalogue: how many operations each unit has, their schemes and their names.
#include <map>
#include <set>
#include <string>
#include <type_traits>
#include <vector>

#include <gtest/gtest.h>

#include "framework/dispatch/VectorMath.h"

namespace {

using dispatch::Scheme;

// Argument passing as the catalogue writes it: read arrays are pointers to const, the
// scope unit passes array results by reference to the first element, states come back
// through a pointer to a pointer or a reference to a pointer.
template <auto Op, class Expected>
constexpr bool hasSignature = std::is_same_v<decltype(Op), Expected>;

static_assert(hasSignature<&Slscopedispatcher::ippsConvert_64f32f,
                           IppOpStatus (*)(const double *, float &, int)>);
static_assert(hasSignature<&Slbasicdispatcher::ippsConvert_64f32f,
                           IppOpStatus (*)(const double *, float *, int)>);
static_assert(
    hasSignature<&Slscopedispatcher::ippsAddC_32s_ISfs, IppOpStatus (*)(int, int &, int, int)>);
static_assert(
    hasSignature<&Slbcbbasicdispatcher::ippsAddC_32s_ISfs, IppOpStatus (*)(int, int *, int, int)>);
static_assert(hasSignature<&Vizazodizaro::ippsFFTInitAlloc_R_64f,
                           IppOpStatus (*)(FFTSpec_R_64f *&, int, int, int)>);
static_assert(hasSignature<&Vizazodizaro::ippsIIRInitAlloc_32f,
                           IppOpStatus (*)(IIRState_32f **, const float *, int, const float *)>);
static_assert(
    hasSignature<&Vizazodizaro::ippsFIROne_64f, IppOpStatus (*)(double, double &, FIRState_64f &)>);
static_assert(hasSignature<&Slbasicdispatcher::ippsConvert_64f32s_Sfs,
                           IppOpStatus (*)(const double *, int *, int, IppRoundMode, int)>);
static_assert(hasSignature<&Slbcbbasicdispatcher::ippsThreshold_64f,
                           IppOpStatus (*)(const double *, double *, int, double, IppCmpOp)>);
static_assert(
    hasSignature<&Albasicdispatcher::ippiScale_16s8u_C1R,
                 IppOpStatus (*)(const short *, int, unsigned char *, int, tagSIZE, int)>);
static_assert(hasSignature<&Albasicdispatcher::ippiDivC_16s_C1IRSfs,
                           IppOpStatus (*)(short, short *, int, tagSIZE, int)>);
static_assert(
    hasSignature<&Slbasicdispatcher::ippsSet_64fc, IppOpStatus (*)(Ipp64fc, Ipp64fc *, int)>);
// the set-up routine takes the operation's own arguments
static_assert(hasSignature<&Slbasicdispatcher::SetUp_ippsCopy_64f,
                           decltype(&Slbasicdispatcher::ippsCopy_64f)>);

struct UnitRow {
  const char *unit;
  int operations;
  int fourWay;
  int threeWayHigh;
  int threeWayLow;
};

class CatalogueUnits : public ::testing::TestWithParam<UnitRow> {};

TEST_P(CatalogueUnits, CountsAndSchemesPerUnit) {
  const UnitRow &row = GetParam();
  int total = 0;
  std::map<Scheme, int> schemes;
  for (const dispatch::CatalogueEntry &e : dispatch::Catalogue()) {
    if (std::string(e.unit) == row.unit) {
      ++total;
      ++schemes[e.scheme];
    }
  }
  EXPECT_EQ(total, row.operations);
  EXPECT_EQ(schemes[Scheme::FourWay], row.fourWay);
  EXPECT_EQ(schemes[Scheme::ThreeWayHigh], row.threeWayHigh);
  EXPECT_EQ(schemes[Scheme::ThreeWayLow], row.threeWayLow);
}

INSTANTIATE_TEST_SUITE_P(FiveUnits, CatalogueUnits,
                         ::testing::Values(UnitRow{"Slscopedispatcher", 8, 5, 3, 0},
                                           UnitRow{"Vizazodizaro", 28, 26, 2, 0},
                                           UnitRow{"Slbcbbasicdispatcher", 63, 0, 0, 63},
                                           UnitRow{"Slbasicdispatcher", 71, 70, 0, 1},
                                           UnitRow{"Albasicdispatcher", 37, 20, 0, 17}));

std::vector<std::string> namesOf(const char *unit, Scheme scheme) {
  std::vector<std::string> names;
  for (const dispatch::CatalogueEntry &e : dispatch::Catalogue()) {
    if (std::string(e.unit) == unit && e.scheme == scheme)
      names.push_back(e.name);
  }
  return names;
}

TEST(Catalogue, HoldsTwoHundredAndSevenOperations) {
  EXPECT_EQ(dispatch::Catalogue().size(), 207u);
  std::map<Scheme, int> schemes;
  for (const dispatch::CatalogueEntry &e : dispatch::Catalogue())
    ++schemes[e.scheme];
  EXPECT_EQ(schemes[Scheme::FourWay], 121);
  EXPECT_EQ(schemes[Scheme::ThreeWayHigh], 5);
  EXPECT_EQ(schemes[Scheme::ThreeWayLow], 81);
}

TEST(Catalogue, TheOperationsOfTheThreeWaySchemesOutsideTheAllLowUnit) {
  using V = std::vector<std::string>;
  EXPECT_EQ(namesOf("Slscopedispatcher", Scheme::ThreeWayHigh),
            (V{"ippsAddC_32s_ISfs", "ippsConvert_64f32f", "ippsSubCRev_32s_ISfs"}));
  EXPECT_EQ(namesOf("Vizazodizaro", Scheme::ThreeWayHigh), (V{"ippsIIR_32f", "ippsIIR_32f_I"}));
  EXPECT_EQ(namesOf("Slbasicdispatcher", Scheme::ThreeWayLow), (V{"ippsMulC_64fc"}));
  const V low = namesOf("Albasicdispatcher", Scheme::ThreeWayLow);
  ASSERT_EQ(low.size(), 17u);
  EXPECT_EQ(low.front(), "ippiSet_8u_C1R");
  EXPECT_EQ(low.back(), "ippiDivC_16s_C1IRSfs");
}

TEST(Catalogue, AlbasicLowSchemeOperationsAreOneRunOfSlots) {
  // slots 12 to 28 of the unit, with ippsDivC_16s_ISfs (slot 9) four-way
  int slot = 0;
  for (const dispatch::CatalogueEntry &e : dispatch::Catalogue()) {
    if (std::string(e.unit) != "Albasicdispatcher")
      continue;
    ++slot;
    EXPECT_EQ(e.scheme == Scheme::ThreeWayLow, slot >= 12 && slot <= 28) << e.name;
  }
}

TEST(Catalogue, NamesAreUniqueInAUnitAndFiveRecurAcrossUnits) {
  std::map<std::string, std::set<std::string>> unitsOf;
  for (const dispatch::CatalogueEntry &e : dispatch::Catalogue()) {
    const bool fresh = unitsOf[e.name].insert(e.unit).second;
    EXPECT_TRUE(fresh) << e.unit << "::" << e.name;
  }
  std::set<std::string> shared;
  for (const auto &[name, units] : unitsOf) {
    if (units.size() > 1)
      shared.insert(name);
  }
  EXPECT_EQ(shared, (std::set<std::string>{"ippsAddC_32s_ISfs", "ippsConvert_64f32f",
                                           "ippsConvert_64f32s_Sfs", "ippsMagnitude_64fc",
                                           "ippsMulC_64f"}));
}

TEST(Catalogue, UnitsComeInTheirOrderWithSlotsInCatalogueOrder) {
  std::vector<std::string> order;
  for (const dispatch::CatalogueEntry &e : dispatch::Catalogue()) {
    if (order.empty() || order.back() != e.unit)
      order.push_back(e.unit);
  }
  EXPECT_EQ(order,
            (std::vector<std::string>{"Slscopedispatcher", "Vizazodizaro", "Slbcbbasicdispatcher",
                                      "Slbasicdispatcher", "Albasicdispatcher"}));
  const auto all = dispatch::Catalogue();
  EXPECT_STREQ(all.front().name, "ippiSet_8u_C4R");
  EXPECT_STREQ(all[8].name, "ippsAdd_16s_I");
  EXPECT_STREQ(all.back().name, "ippiScale_32s8u_C1R");
}

} // namespace
