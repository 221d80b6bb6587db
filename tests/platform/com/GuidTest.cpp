#include <unordered_set>

#include <gtest/gtest.h>

#include "platform/com/Guid.h"

namespace {

constexpr TGUID kStream = TGUID::FromLiteral("{2BFF1BE1-1698-4CFA-A427-9E0801C5B357}");

TEST(GuidTest, FormatsInUpperCaseRegistryForm) {
  EXPECT_EQ(kStream.ToString(), "{2BFF1BE1-1698-4CFA-A427-9E0801C5B357}");
  EXPECT_EQ(kStream.Data1, 0x2BFF1BE1u);
  EXPECT_EQ(kStream.Data2, 0x1698u);
  EXPECT_EQ(kStream.Data3, 0x4CFAu);
  EXPECT_EQ(kStream.Data4[0], 0xA4);
  EXPECT_EQ(kStream.Data4[7], 0x57);
  EXPECT_EQ(GUID_NULL.ToString(), "{00000000-0000-0000-0000-000000000000}");
  EXPECT_TRUE(GUID_NULL.IsNull());
  EXPECT_FALSE(kStream.IsNull());
}

TEST(GuidTest, ParsesEitherCaseWithOrWithoutBraces) {
  auto lower = TGUID::TryParse("{cfdf94d7-5134-49d9-ac65-902bbc1cd140}");
  ASSERT_TRUE(lower);
  EXPECT_EQ(lower->ToString(), "{CFDF94D7-5134-49D9-AC65-902BBC1CD140}");
  auto bare = TGUID::TryParse("CFDF94D7-5134-49D9-AC65-902BBC1CD140");
  ASSERT_TRUE(bare);
  EXPECT_EQ(*bare, *lower);
}

class GuidBadInput : public ::testing::TestWithParam<const char *> {};

TEST_P(GuidBadInput, IsRefused) { EXPECT_FALSE(TGUID::TryParse(GetParam())); }

INSTANTIATE_TEST_SUITE_P(
    Cases, GuidBadInput,
    ::testing::Values("", "{}", "{2BFF1BE1-1698-4CFA-A427-9E0801C5B357", // no closing brace
                      "2BFF1BE1-1698-4CFA-A427-9E0801C5B357}",           // no opening brace
                      "{2BFF1BE1-1698-4CFA-A427-9E0801C5B35}",           // one digit short
                      "{2BFF1BE1-1698-4CFA-A427-9E0801C5B3577}",         // one digit long
                      "{2BFF1BE1+1698-4CFA-A427-9E0801C5B357}",          // wrong separator
                      "{2BFF1BE11698-4CFA-A427-9E0801C5B357-}",          // misplaced dash
                      "{2BFF1BG1-1698-4CFA-A427-9E0801C5B357}",          // not hex
                      " {2BFF1BE1-1698-4CFA-A427-9E0801C5B357}",         // stray blank
                      "(2BFF1BE1-1698-4CFA-A427-9E0801C5B357)"));        // wrong brackets

TEST(GuidTest, ComparesOrdersAndHashesByValue) {
  TGUID a = kStream, b = kStream;
  EXPECT_EQ(a, b);
  b.Data4[7] = 0x58;
  EXPECT_NE(a, b);
  EXPECT_LT(a, b);
  TGUID c = kStream;
  c.Data1 = 0x2BFF1BE0;
  EXPECT_LT(c, a); // Data1 decides before the bytes
  std::unordered_set<TGUID> set{a, b, a};
  EXPECT_EQ(set.size(), 2u);
  EXPECT_EQ(sizeof(TGUID), 16u);
}

} // namespace
