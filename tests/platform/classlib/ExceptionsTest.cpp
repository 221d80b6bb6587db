#include <cstdint>
#include <string>

#include <gtest/gtest.h>

#include "platform/classlib/Dialogs.h"
#include "platform/classlib/Exceptions.h"
#include "platform/classlib/Lists.h"

namespace {

TEST(ExceptionsTest, AssertionFailureCarriesTextUnitAndLine) {
  try {
    Assert(false, "OWMultiReadLock", 278);
    FAIL() << "no exception";
  } catch (const EAssertionFailed &e) {
    EXPECT_EQ(e.Text(), "Assertion failure");
    EXPECT_EQ(e.Unit(), "OWMultiReadLock");
    EXPECT_EQ(e.Line(), 278);
    EXPECT_EQ(e.Message(), "Assertion failure (OWMultiReadLock, line 278)");
  }
  EXPECT_NO_THROW(Assert(true, "OWMultiReadLock", 278));
}

TEST(ExceptionsTest, AllDeriveFromTheOneBase) {
  EXPECT_THROW(throw EListError::IndexOutOfBounds(3), Exception);
  EXPECT_THROW(throw EReadError("x"), EFilerError);
  EXPECT_THROW(throw EParserError("x"), EReadError);
  EXPECT_THROW(throw EClassNotFound("x"), EFilerError);
  EXPECT_THROW(throw ERangeError(), Exception);
  EXPECT_EQ(EListError::IndexOutOfBounds(-1).Message(), "List index out of bounds (-1)");
  EXPECT_EQ(EConvertError::CannotAssign("TFoo", "TBar").Message(),
            "Cannot assign a TFoo to a TBar");
  EXPECT_STREQ(ERangeError("Index out of rabge = 5").what(), "Index out of rabge = 5");
}

TEST(ExceptionsTest, FormatLikeTheClassLibrary) {
  EXPECT_EQ(Format("%s - %u - %x", "Render", 2147942487u, 2147942487u),
            "Render - 2147942487 - 80070057");
  EXPECT_EQ(Format(" (%d)", 2), " (2)");
  EXPECT_EQ(Format("%s", ""), "");
}

TEST(ExceptionsTest, FormatWritesHexInUpperCaseWithoutPrefix) {
  EXPECT_EQ(Format("%s - %u - %x", "Can't build DirectShow graph.",
                   static_cast<int32_t>(0x80040154), static_cast<int32_t>(0x80040154)),
            "Can't build DirectShow graph. - 2147746132 - 80040154");
  EXPECT_EQ(Format("%x", 0x8000FFFFu), "8000FFFF");
  EXPECT_EQ(Format("%8x|%-8x|%08x", 0xABCu, 0xABCu, 0xABCu), "     ABC|ABC     |00000ABC");
  EXPECT_EQ(Format("%llx %lu", 0xDEADBEEFCAFEull, 7ul), "DEADBEEFCAFE 7");
  EXPECT_EQ(Format("100%% %.2f %5s%c", 1.005, "ab", 'z'), "100% 1.00    abz");
}

TEST(ExceptionsTest, FormatWritesPointersAtFullWidthInUpperCase) {
  void *p = reinterpret_cast<void *>(static_cast<uintptr_t>(0xABCDEF12u));
  std::string digits = std::string(2 * sizeof(void *) - 8, '0') + "ABCDEF12";
  EXPECT_EQ(Format("FilterGraph %8p pid %8x", p, 0x1F2Au),
            "FilterGraph " + digits + " pid     1F2A");
  EXPECT_EQ(Format("[%p]", static_cast<void *>(nullptr)),
            "[" + std::string(2 * sizeof(void *), '0') + "]");
  EXPECT_EQ(Format("[%20p]", p), "[" + std::string(20 - 2 * sizeof(void *), ' ') + digits + "]");
}

TEST(DialogsTest, ShowMessageGoesToTheInstalledHandler) {
  std::vector<std::string> shown;
  TShowMessageHandler previous =
      SetShowMessageHandler([&](const std::string &text) { shown.push_back(text); });
  ShowMessage("AwaitsLinkingPins =2\r");
  EXPECT_EQ(shown, std::vector<std::string>{"AwaitsLinkingPins =2\r"});
  SetShowMessageHandler(previous);
  ShowMessage("to standard error");
  EXPECT_EQ(shown.size(), 1u);
}

} // namespace
