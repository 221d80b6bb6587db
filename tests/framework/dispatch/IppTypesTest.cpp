// Layout of the operation types and the reading of statuses.
#include <bit>
#include <cmath>
#include <cstdint>

#include <gtest/gtest.h>

#include "framework/dispatch/IppTypes.h"

namespace {

TEST(IppTypes, LayoutsAreThoseTheOperationsPass) {
  EXPECT_EQ(sizeof(Ipp64fc), 16u);
  EXPECT_EQ(offsetof(Ipp64fc, im), 8u);
  EXPECT_EQ(sizeof(tagSIZE), 8u);
  EXPECT_EQ(offsetof(tagSIZE, height), 4u);
  EXPECT_EQ(sizeof(IppRoundMode), 1u);
  EXPECT_EQ(sizeof(IppCmpOp), 1u);
  EXPECT_EQ(sizeof(IppCpuType), 1u);
  EXPECT_EQ(sizeof(IppWinType), 1u);
  EXPECT_EQ(sizeof(IppiAxis), 1u);
  EXPECT_EQ(sizeof(IppHintAlgorithm), 1u);
  EXPECT_EQ(eIpp64fc, 15);
  EXPECT_EQ(ippAlphaPlusPremul, 11);
  EXPECT_EQ(IPP_VIDEO_FORWARD, 9);
}

TEST(IppTypes, EveryStatusReadsTheSameFromItsLowByte) {
  const IppOpStatus all[] = {
      ippStsNoErr,           ippStsSqrtNegArg,    ippStsDivByZero,         ippStsLnZeroArg,
      ippStsLnNegArg,        ippStsSizeErr,       ippStsNullPtrErr,        ippStsMemAllocErr,
      ippStsDivByZeroErr,    ippStsStepErr,       ippStsFftOrderErr,       ippStsFftFlagErr,
      ippStsContextMatchErr, ippStsThreshErr,     ippStsThreshNegLevelErr, ippStsMirrorFlipErr,
      ippStsIIROrderErr,     ippStsFIRLenErr,     ippStsShiftErr,          ippStsJaehneErr,
      ippStsHugeWinErr,      ippStsTrnglPhaseErr, ippStsTrnglAsymErr,      ippStsTrnglFreqErr,
      ippStsTrnglMagnErr,    ippStsTonePhaseErr,  ippStsToneFreqErr,       ippStsToneMagnErr};
  for (IppOpStatus s : all)
    EXPECT_EQ(static_cast<std::int8_t>(s), s);
  EXPECT_EQ(static_cast<std::int8_t>(ippStsDivByZeroErr), -10);
}

TEST(IppTypes, DefaultNaNIsTheNegativeQuietNaN) {
  EXPECT_TRUE(std::isnan(ippDefaultNaN));
  EXPECT_TRUE(std::signbit(ippDefaultNaN));
  EXPECT_EQ(std::bit_cast<std::uint64_t>(ippDefaultNaN), 0xFFF8000000000000ull);
}

} // namespace
