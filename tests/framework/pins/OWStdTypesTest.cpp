// Per-link value conversions of the value pins.
#include <clocale>
#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "framework/pins/OWStdTypes.h"

namespace {

struct RoundCase {
  double value;
  int32_t expected;
};

class OWRoundToIntegerTest : public ::testing::TestWithParam<RoundCase> {};

TEST_P(OWRoundToIntegerTest, HalvesGoToEvenAndRangeSaturates) {
  EXPECT_EQ(OWRoundToInteger(GetParam().value), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, OWRoundToIntegerTest,
    ::testing::Values(RoundCase{2.5, 2}, RoundCase{3.5, 4}, RoundCase{-2.5, -2},
                      RoundCase{-3.5, -4}, RoundCase{0.5, 0}, RoundCase{1.5, 2},
                      RoundCase{2.4999999, 2}, RoundCase{2.5000001, 3}, RoundCase{-0.0, 0},
                      RoundCase{2147483646.5, 2147483646}, RoundCase{2147483647.0, 2147483647},
                      RoundCase{2147483647.5, 2147483647}, RoundCase{3e9, 2147483647},
                      RoundCase{1e300, 2147483647}, RoundCase{-2147483648.0, -2147483647 - 1},
                      RoundCase{-2147483648.5, -2147483647 - 1}, RoundCase{-1e300, -2147483647 - 1},
                      RoundCase{std::numeric_limits<double>::infinity(), 2147483647},
                      RoundCase{-std::numeric_limits<double>::infinity(), -2147483647 - 1},
                      RoundCase{std::numeric_limits<double>::quiet_NaN(), 0}));

struct TextCase {
  double value;
  const char *expected;
};

class OWFloatToTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(OWFloatToTextTest, GeneralFormatWith15Digits) {
  EXPECT_EQ(OWFloatToText(GetParam().value), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, OWFloatToTextTest,
    ::testing::Values(TextCase{2.5, "2.5"}, TextCase{0.0, "0"}, TextCase{-0.0, "0"},
                      TextCase{1.0, "1"}, TextCase{-2.5, "-2.5"}, TextCase{100.0, "100"},
                      TextCase{0.1, "0.1"}, TextCase{1.0 / 3.0, "0.333333333333333"},
                      TextCase{2.0 / 3.0, "0.666666666666667"},
                      TextCase{123456789012345.0, "123456789012345"},
                      TextCase{999999999999999.0, "999999999999999"},
                      TextCase{1234567890123456.0, "1.23456789012346E15"}, TextCase{1e20, "1E20"},
                      TextCase{0.00001, "0.00001"}, TextCase{0.000012345, "0.000012345"},
                      TextCase{0.000001, "1E-6"}, TextCase{-1.5e-7, "-1.5E-7"},
                      TextCase{1e-300, "1E-300"}, TextCase{9.9999999999999999e14, "1E15"},
                      TextCase{std::numeric_limits<double>::quiet_NaN(), "NAN"},
                      TextCase{std::numeric_limits<double>::infinity(), "INF"},
                      TextCase{-std::numeric_limits<double>::infinity(), "-INF"}));

TEST(OWFloatToText, UsesTheLocaleDecimalSeparator) {
  const char *german = std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
  if (german == nullptr)
    GTEST_SKIP() << "no German locale installed";
  const std::string text = OWFloatToText(2.5);
  const std::string exp = OWFloatToText(1.5e20);
  std::setlocale(LC_NUMERIC, "C");
  EXPECT_EQ(text, "2,5");
  EXPECT_EQ(exp, "1,5E20");
}

TEST(OWValueToBool, OnlyZeroIsFalse) {
  EXPECT_FALSE(OWValueToBool(0.0));
  EXPECT_FALSE(OWValueToBool(-0.0));
  EXPECT_TRUE(OWValueToBool(2.5));
  EXPECT_TRUE(OWValueToBool(-1e-300));
}

TEST(OWNarrowToSingle, RoundsToNearestSingle) {
  EXPECT_EQ(OWNarrowToSingle(2.5), 2.5f);
  EXPECT_EQ(OWNarrowToSingle(0.1), 0.1f);
  EXPECT_EQ(OWNarrowToSingle(16777217.0), 16777216.0f); // halfway goes to even
  EXPECT_TRUE(std::isinf(OWNarrowToSingle(1e300)));
}

} // namespace
