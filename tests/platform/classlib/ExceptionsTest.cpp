#include "platform/classlib/Exceptions.h"

#include <gtest/gtest.h>

#include "platform/classlib/Dialogs.h"
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
  EXPECT_EQ(EConvertError::CannotAssign("TFoo", "TBar").Message(), "Cannot assign a TFoo to a TBar");
  EXPECT_STREQ(ERangeError("Index out of rabge = 5").what(), "Index out of rabge = 5");
}

TEST(ExceptionsTest, FormatLikeTheClassLibrary) {
  EXPECT_EQ(Format("%s - %u - %x", "Render", 2147942487u, 2147942487u), "Render - 2147942487 - 80070057");
  EXPECT_EQ(Format(" (%d)", 2), " (2)");
  EXPECT_EQ(Format("%s", ""), "");
}

TEST(DialogsTest, ShowMessageGoesToTheInstalledHandler) {
  std::vector<std::string> shown;
  TShowMessageHandler previous = SetShowMessageHandler([&](const std::string &text) { shown.push_back(text); });
  ShowMessage("AwaitsLinkingPins =2\r");
  EXPECT_EQ(shown, std::vector<std::string>{"AwaitsLinkingPins =2\r"});
  SetShowMessageHandler(previous);
  ShowMessage("to standard error");
  EXPECT_EQ(shown.size(), 1u);
}

} // namespace
