#include <gtest/gtest.h>

#include "framework/data/SLClockSource.h"

namespace {

TEST(SLClockSourceTest, NamesRoundTripAndUnknownNamesAreRefused) {
  for (const TSLClockSource value : {csInternal, csExternal})
    EXPECT_EQ(SLClockSourceFromName(SLClockSourceName(value)), value);
  EXPECT_EQ(SLClockSourceName(csInternal), "csInternal");
  EXPECT_EQ(SLClockSourceName(csExternal), "csExternal");
  for (const char *bad : {"", "csinternal", "csExternal ", "internal"})
    EXPECT_FALSE(SLClockSourceFromName(bad).has_value()) << bad;
}

} // namespace
