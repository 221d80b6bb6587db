#include <gtest/gtest.h>

#include "platform/gui/VersionInfo.h"

namespace {

using namespace gui;

TEST(VersionInfoTest, TheRunningProgramCarriesItsStringsAndNoOtherFileDoes) {
  ASSERT_GT(GetFileVersionInfoSize("/proc/self/exe"), 0u);
  std::map<std::string, std::string> block;
  ASSERT_TRUE(GetFileVersionInfo("/proc/self/exe", block));
  std::string value;
  ASSERT_TRUE(VerQueryValue(block, "\\StringFileInfo\\040904E4\\ProductName", value));
  EXPECT_EQ(value, "Sonvelt");
  EXPECT_TRUE(VerQueryValue(block, "\\StringFileInfo\\040904E4\\FileVersion", value));
  EXPECT_FALSE(VerQueryValue(block, "\\StringFileInfo\\040904E4\\Nothing", value));

  EXPECT_EQ(GetFileVersionInfoSize("/bin/sh"), 0u);
  EXPECT_EQ(GetFileVersionInfoSize("/no/such/file"), 0u);
  EXPECT_FALSE(GetFileVersionInfo("/bin/sh", block));
}

} // namespace
