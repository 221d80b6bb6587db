#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "scope/SLScope_numeric.h"

namespace {

TEST(SLScopeNumeric, LogMapIsOddAndInvertedByPow10a) {
  EXPECT_DOUBLE_EQ(SLLog10a(9), 1.0);
  EXPECT_DOUBLE_EQ(SLLog10a(-9), -1.0);
  EXPECT_EQ(SLLog10a(0), 0.0);
  EXPECT_DOUBLE_EQ(SLPow10a(1), 9.0);
  EXPECT_DOUBLE_EQ(SLPow10a(-1), -9.0);
  EXPECT_DOUBLE_EQ(SLPow10(-2), -100.0);
  EXPECT_DOUBLE_EQ(SLPow10(2), 100.0);
  for (double V : {-12345.5, -1.0, -0.25, 0.0, 0.5, 3.0, 1e6})
    EXPECT_NEAR(SLPow10a(SLLog10a(V)), V, 1e-9 * (1 + std::fabs(V))) << V;
  EXPECT_TRUE(std::isnan(SLLog10a(std::numeric_limits<double>::quiet_NaN())));
}

struct TrimCase {
  const char *Text;
  int Decimals;
  const char *Expected;
};

class SLTrimExponentTest : public ::testing::TestWithParam<TrimCase> {};

TEST_P(SLTrimExponentTest, KeepsDecimalsAndDropsExponentZeros) {
  std::string Result;
  SLTrimExponent(GetParam().Text, GetParam().Decimals, Result);
  EXPECT_EQ(Result, GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SLTrimExponentTest,
    ::testing::Values(TrimCase{"1.23456E005", 2, "1.23E5"}, TrimCase{"1.23456", 2, "1.23456"},
                      TrimCase{"1.2E003", 4, "1.2E3"}, TrimCase{"5E000", 1, "5E"},
                      TrimCase{"1.5E-003", 0, "1.E-003"}, TrimCase{"", 3, ""}));

std::string XText(double V) { return "x" + std::to_string(static_cast<int>(V * 10)); }
std::string YText(double V) { return "y" + std::to_string(static_cast<int>(V * 10)); }

struct FormatCase {
  const char *Format;
  const char *Default;
  const char *Expected;
};

class SLFormatLabelTest : public ::testing::TestWithParam<FormatCase> {};

TEST_P(SLFormatLabelTest, ExpandsCodes) {
  EXPECT_EQ(SLExpandFormatLabel(1.5, 2, GetParam().Format, GetParam().Default, XText, YText),
            GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SLFormatLabelTest,
    ::testing::Values(FormatCase{"", "%X : %Y", "x15 : y20"},
                      FormatCase{"Max %D!", "%Y", "Max y20!"}, FormatCase{"100%%", "", "100%"},
                      FormatCase{"abc%", "", "abc"}, FormatCase{"%Q", "", ""},
                      FormatCase{"%x/%y", "", "x15/y20"},
                      // A default naming itself ends instead of expanding forever.
                      FormatCase{"", "a%Db", "ab"}, FormatCase{"<%D>", "a%Db", "<ab>"}));

TEST(SLMeasurementLabel, ExpandsValueInEitherCase) {
  EXPECT_EQ(SLExpandMeasurementLabel("12 ms", "dt = %v", ""), "dt = 12 ms");
  EXPECT_EQ(SLExpandMeasurementLabel("3", "", "%V%% of %X"), "3% of ");
  EXPECT_EQ(SLExpandMeasurementLabel("3", "end%", ""), "end");
}

} // namespace
