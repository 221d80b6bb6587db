// Variant selection by processor code and scheme, slot filling at the first call, and the
// processor code's own state.
#include <array>
#include <atomic>
#include <set>
#include <string>
#include <tuple>
#include <utility>

#include <gtest/gtest.h>

#include "framework/dispatch/Dispatch.h"
#include "framework/dispatch/Ippglobalcpu.h"
#include "framework/dispatch/Slbasicdispatcher.h"
#include "framework/dispatch/Slscopedispatcher.h"

namespace {

using dispatch::Scheme;
using dispatch::VariantClass;

// Leaves the processor code unset and every slot at its set-up routine, as at load.
class DispatchState : public ::testing::Test {
protected:
  void SetUp() override { reset(); }
  void TearDown() override { reset(); }
  static void reset() {
    Ippglobalcpu::UnInitializeDispatch();
    dispatch::ResetSlotsForTesting();
  }
};

// --- the selection table -----------------------------------------------------------

struct SelectionRow {
  IppCpuType code;
  VariantClass fourWay;
  VariantClass threeWayHigh;
  VariantClass threeWayLow;
};

constexpr VariantClass S3 = VariantClass::Sse3;
constexpr VariantClass S2 = VariantClass::Sse2;
constexpr VariantClass S1 = VariantClass::Sse;
constexpr VariantClass G = VariantClass::Generic;

// One row per code the table names; every other code selects the generic variant.
constexpr SelectionRow kSelection[] = {
    {16, S3, S3, G}, {17, S3, S3, G}, {6, S2, G, S2},  {7, S2, G, G},
    {8, S2, G, G},   {9, S2, G, G},   {5, S1, S1, S1},
};

TEST(VariantSelection, EveryCodeInEveryScheme) {
  for (int code = 0; code < 256; ++code) {
    SelectionRow expected{static_cast<IppCpuType>(code), G, G, G};
    for (const SelectionRow &row : kSelection) {
      if (row.code == code)
        expected = row;
    }
    const auto c = static_cast<IppCpuType>(code);
    EXPECT_EQ(dispatch::SelectVariantClass(Scheme::FourWay, c), expected.fourWay) << code;
    EXPECT_EQ(dispatch::SelectVariantClass(Scheme::ThreeWayHigh, c), expected.threeWayHigh) << code;
    EXPECT_EQ(dispatch::SelectVariantClass(Scheme::ThreeWayLow, c), expected.threeWayLow) << code;
  }
}

TEST(VariantSelection, CodesOfCurrentProcessorsSelectGeneric) {
  for (IppCpuType code : {0, 10, 32, 33, 64, 65, 66}) {
    for (Scheme s : {Scheme::FourWay, Scheme::ThreeWayHigh, Scheme::ThreeWayLow})
      EXPECT_EQ(dispatch::SelectVariantClass(s, code), G) << int(code);
  }
}

// --- a slot with four distinguishable variants ----------------------------------------

using ProbeFn = IppOpStatus (*)(int *);
IppOpStatus probeSse3(int *ran) {
  *ran = 3;
  return 13;
}
IppOpStatus probeSse2(int *ran) {
  *ran = 2;
  return 12;
}
IppOpStatus probeSse(int *ran) {
  *ran = 1;
  return 11;
}
IppOpStatus probeGeneric(int *ran) {
  *ran = 0;
  return 10;
}

std::atomic<ProbeFn> probeSlot{nullptr};
Scheme probeScheme = Scheme::FourWay;
IppOpStatus SetUp_probe(int *ran);
void resetProbe() noexcept { probeSlot.store(&SetUp_probe); }
IppOpStatus SetUp_probe(int *ran) {
  constexpr dispatch::VariantTable<ProbeFn> variants{&probeSse3, &probeSse2, &probeSse,
                                                     &probeGeneric};
  return dispatch::Install(probeSlot, probeScheme, variants, &resetProbe)(ran);
}
IppOpStatus probe(int *ran) { return probeSlot.load()(ran); }

int classIndex(VariantClass c) {
  switch (c) {
  case VariantClass::Sse3:
    return 3;
  case VariantClass::Sse2:
    return 2;
  case VariantClass::Sse:
    return 1;
  case VariantClass::Generic:
    break;
  }
  return 0;
}

class SlotFilling : public DispatchState,
                    public ::testing::WithParamInterface<std::tuple<Scheme, int>> {};

TEST_P(SlotFilling, FirstCallChoosesByCodeAndLaterCodesChangeNothing) {
  const auto [scheme, code] = GetParam();
  probeScheme = scheme;
  resetProbe();
  Ippglobalcpu::SetGlobalCpu(static_cast<IppCpuType>(code));
  const int expected =
      classIndex(dispatch::SelectVariantClass(scheme, static_cast<IppCpuType>(code)));

  int ran = -1;
  EXPECT_EQ(probe(&ran), 10 + expected); // the set-up routine passes the status through
  EXPECT_EQ(ran, expected);
  EXPECT_NE(probeSlot.load(), &SetUp_probe);

  for (IppCpuType later : {0, 5, 6, 16}) {
    Ippglobalcpu::SetGlobalCpu(later);
    ran = -1;
    EXPECT_EQ(probe(&ran), 10 + expected);
    EXPECT_EQ(ran, expected);
  }
  Ippglobalcpu::UnInitializeDispatch();
  EXPECT_EQ(probe(&ran), 10 + expected);
}

INSTANTIATE_TEST_SUITE_P(AllSchemesAndCodes, SlotFilling,
                         ::testing::Combine(::testing::Values(Scheme::FourWay, Scheme::ThreeWayHigh,
                                                              Scheme::ThreeWayLow),
                                            ::testing::Values(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 16,
                                                              17, 32, 33, 64, 65, 66, 255)));

TEST_F(DispatchState, ResetBringsAFilledSlotBackToItsSetUp) {
  probeScheme = Scheme::FourWay;
  resetProbe();
  int ran = -1;
  probe(&ran);
  dispatch::ResetSlotsForTesting();
  EXPECT_EQ(probeSlot.load(), &SetUp_probe);
  Ippglobalcpu::SetGlobalCpu(5);
  EXPECT_EQ(probe(&ran), 11);
}

// --- real operations -------------------------------------------------------------

TEST_F(DispatchState, SlotsStartAtTheirSetUpAndKeepTheGenericVariant) {
  using namespace Slbasicdispatcher;
  EXPECT_EQ(slots::ippsCopy_64f.load(), &SetUp_ippsCopy_64f);
  double src = 2.5, dst = 0;
  EXPECT_EQ(ippsCopy_64f(&src, &dst, 1), ippStsNoErr);
  EXPECT_EQ(dst, 2.5);
  EXPECT_EQ(slots::ippsCopy_64f.load(), &generic::ippsCopy_64f);
}

TEST_F(DispatchState, EveryCodeInstallsTheKernelOfItsClass) {
  using namespace Slbasicdispatcher;
  const std::pair<IppCpuType, decltype(&generic::ippsZero_64f)> rows[] = {
      {0, &generic::ippsZero_64f},
      {5, &kernels::basic::sse::ippsZero_64f},
      {6, &kernels::basic::sse2::ippsZero_64f},
      {9, &kernels::basic::sse2::ippsZero_64f},
      {16, &kernels::basic::sse2::ippsZero_64f}};
  for (const auto &[code, variant] : rows) {
    dispatch::ResetSlotsForTesting();
    Ippglobalcpu::SetGlobalCpu(code);
    double v = 1;
    EXPECT_EQ(ippsZero_64f(&v, 1), ippStsNoErr);
    EXPECT_EQ(v, 0.0);
    EXPECT_EQ(slots::ippsZero_64f.load(), variant) << int(code);
  }
}

TEST_F(DispatchState, FirstAndLaterCallsMoveOverlappingRangesAlike) {
  // first call through the set-up routine, second through the stored variant
  for (int call = 0; call < 2; ++call) {
    std::array<double, 6> up{1, 2, 3, 4, 5, 6};
    EXPECT_EQ(Slbasicdispatcher::ippsMove_64f(up.data(), up.data() + 1, 5), ippStsNoErr);
    EXPECT_EQ(up, (std::array<double, 6>{1, 1, 2, 3, 4, 5})) << call;
    std::array<double, 6> down{1, 2, 3, 4, 5, 6};
    EXPECT_EQ(Slbasicdispatcher::ippsMove_64f(down.data() + 1, down.data(), 5), ippStsNoErr);
    EXPECT_EQ(down, (std::array<double, 6>{2, 3, 4, 5, 6, 6})) << call;
  }
}

TEST_F(DispatchState, FirstCallReturnsWhatTheSecondReturns) {
  std::array<double, 3> dst{7, 7, 7};
  EXPECT_EQ(Slbasicdispatcher::ippsZero_64f(dst.data(), 0), ippStsSizeErr);
  EXPECT_EQ(Slbasicdispatcher::ippsZero_64f(dst.data(), 0), ippStsSizeErr);
  EXPECT_EQ(Slbasicdispatcher::ippsZero_64f(nullptr, 3), ippStsNullPtrErr);
  EXPECT_EQ(dst, (std::array<double, 3>{7, 7, 7}));
}

TEST_F(DispatchState, SameNamedOperationsOfTwoUnitsHaveSeparateSlots) {
  const double src[2] = {1.5, -2.25};
  float scope[2] = {};
  EXPECT_EQ(Slscopedispatcher::ippsConvert_64f32f(src, scope[0], 2), ippStsNoErr);
  EXPECT_EQ(scope[1], -2.25f);
  EXPECT_EQ(Slscopedispatcher::slots::ippsConvert_64f32f.load(),
            &Slscopedispatcher::generic::ippsConvert_64f32f);
  EXPECT_EQ(Slbasicdispatcher::slots::ippsConvert_64f32f.load(),
            &Slbasicdispatcher::SetUp_ippsConvert_64f32f);
  float basic[2] = {};
  EXPECT_EQ(Slbasicdispatcher::ippsConvert_64f32f(src, basic, 2), ippStsNoErr);
  EXPECT_EQ(basic[0], 1.5f);
  EXPECT_EQ(Slbasicdispatcher::slots::ippsConvert_64f32f.load(),
            &Slbasicdispatcher::generic::ippsConvert_64f32f);
}

// --- the processor code ------------------------------------------------------------

TEST_F(DispatchState, CodeAndFlagStartAtZero) {
  EXPECT_EQ(Ippglobalcpu::Global_CPU(), 0);
  EXPECT_EQ(Ippglobalcpu::CPU_TYPE_INITIALIZED(), 0);
}

TEST_F(DispatchState, SetAndClearTheCode) {
  EXPECT_EQ(Ippglobalcpu::SetGlobalCpu(6), 6);
  EXPECT_EQ(Ippglobalcpu::Global_CPU(), 6);
  EXPECT_EQ(Ippglobalcpu::CPU_TYPE_INITIALIZED(), 1);
  Ippglobalcpu::UnInitializeDispatch();
  EXPECT_EQ(Ippglobalcpu::Global_CPU(), 0);
  EXPECT_EQ(Ippglobalcpu::CPU_TYPE_INITIALIZED(), 0);
}

TEST_F(DispatchState, InitializeDispatchDetectsThisProcessor) {
  const IppCpuType code = Ippglobalcpu::InitializeDispatch();
  EXPECT_EQ(Ippglobalcpu::Global_CPU(), code);
  EXPECT_EQ(Ippglobalcpu::CPU_TYPE_INITIALIZED(), 1);
  // every x86-64 processor has SSE2, so the detection gives one of these
  const std::set<int> possible{9, 10, 32, 33, 65, 66};
  EXPECT_TRUE(possible.count(code)) << int(code);
  if (code != 9) {
    for (Scheme s : {Scheme::FourWay, Scheme::ThreeWayHigh, Scheme::ThreeWayLow})
      EXPECT_EQ(dispatch::SelectVariantClass(s, code), G);
  }
}

} // namespace
