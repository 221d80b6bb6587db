#include <string>

#include <gtest/gtest.h>

#include "platform/classlib/Dialogs.h"
#include "platform/gui/QtDialogs.h"

namespace {

TEST(DialogsTest, ScriptedAnswersComeInOrderAndEveryTextIsRecorded) {
  TScriptedDialogs dialogs;
  dialogs.Answer(mrYes);
  dialogs.AnswerFile("/tmp/take");
  dialogs.AnswerFile(std::nullopt);

  EXPECT_EQ(MessageDlg("There is a new recorder file.\nWould you like to save it?", mtWarning,
                       MsgDlgButtons({mbYes, mbNo, mbCancel})),
            mrYes);
  TFileDialog save{fdSave, "", "Wave Files(*.wav)|*.wav|All Files(*.*)|*.*", "wav", "", ""};
  ASSERT_TRUE(ExecuteFileDialog(save));
  EXPECT_EQ(save.FileName, "/tmp/take.wav");
  TFileDialog open{fdOpen, "", "", "wav", "", "kept"};
  EXPECT_FALSE(ExecuteFileDialog(open));
  EXPECT_EQ(open.FileName, "kept");
  ShowMessage("The microphone was disconnected.");
  EXPECT_EQ(MessageBox("No USB Microphone Connected", "Error", MB_OK), IDOK);

  ASSERT_EQ(dialogs.Shown().size(), 3u);
  EXPECT_EQ(dialogs.Shown()[0].Type, mtWarning);
  EXPECT_EQ(dialogs.Texts(),
            (std::vector<std::string>{"There is a new recorder file.\nWould you like to save it?",
                                      "The microphone was disconnected.",
                                      "No USB Microphone Connected"}));
  EXPECT_EQ(dialogs.Shown()[2].Caption, "Error");
  EXPECT_EQ(dialogs.FileDialogs().size(), 2u);
  EXPECT_EQ(dialogs.FileDialogs()[0].Kind, fdSave);
  EXPECT_EQ(dialogs.UnusedAnswers(), 0u);
}

TEST(DialogsTest, UnansweredDialogsChangeNothing) {
  {
    TScriptedDialogs dialogs;
    EXPECT_EQ(MessageDlg("?", mtWarning, MsgDlgButtons({mbYes, mbNo, mbCancel})), mrCancel);
    EXPECT_EQ(MessageDlg("?", mtWarning, MsgDlgButtons({mbYes, mbNo})), mrYes);
    TFileDialog d;
    EXPECT_FALSE(ExecuteFileDialog(d));
  }
  // No handler at all: the text goes to standard error and the safe answer comes back.
  EXPECT_EQ(MessageDlg("?", mtWarning, MsgDlgButtons({mbYes, mbNo, mbCancel})), mrCancel);
  EXPECT_EQ(MessageDlg("?", mtWarning, MsgDlgButtons({mbYes, mbNo})), mrNo);
  EXPECT_EQ(MessageBox("x", "Error", MB_OK), IDOK);
  TFileDialog d;
  EXPECT_FALSE(ExecuteFileDialog(d));
}

TEST(DialogsTest, TheMessageHandlerStillTakesPrecedence) {
  TScriptedDialogs dialogs;
  std::string seen;
  TShowMessageHandler previous = SetShowMessageHandler([&](const std::string &t) { seen = t; });
  ShowMessage("AwaitsLinkingPins =1\r");
  SetShowMessageHandler(previous);
  EXPECT_EQ(seen, "AwaitsLinkingPins =1\r");
  EXPECT_TRUE(dialogs.Shown().empty());
}

struct TBoxCase {
  uint32_t Flags;
  TMsgDlgButtons Buttons;
  TMsgDlgType Type;
};

TEST(DialogsTest, MessageBoxFlagsBecomeButtonsAndKind) {
  const TBoxCase cases[] = {
      {MB_OK, MsgDlgButtons({mbOK}), mtCustom},
      {MB_OK | MB_ICONERROR, MsgDlgButtons({mbOK}), mtError},
      {MB_OKCANCEL | MB_ICONWARNING, MsgDlgButtons({mbOK, mbCancel}), mtWarning},
      {MB_YESNOCANCEL | MB_ICONQUESTION, MsgDlgButtons({mbYes, mbNo, mbCancel}), mtConfirmation},
      {MB_YESNO | MB_ICONINFORMATION, MsgDlgButtons({mbYes, mbNo}), mtInformation},
      {MB_ABORTRETRYIGNORE, MsgDlgButtons({mbAbort, mbRetry, mbIgnore}), mtCustom},
      {MB_RETRYCANCEL, MsgDlgButtons({mbRetry, mbCancel}), mtCustom},
  };
  for (const TBoxCase &c : cases) {
    TScriptedDialogs dialogs;
    MessageBox("text", "caption", c.Flags);
    ASSERT_EQ(dialogs.Shown().size(), 1u);
    EXPECT_EQ(dialogs.Shown()[0].Buttons, c.Buttons) << c.Flags;
    EXPECT_EQ(dialogs.Shown()[0].Type, c.Type) << c.Flags;
  }
}

TEST(DialogsTest, DefaultExtensionOnlyWhenTheFilePartHasNone) {
  const std::pair<const char *, const char *> cases[] = {
      {"take", "take.wav"},
      {"take.wav", "take.wav"},
      {"take.WAV", "take.WAV"},
      {"/a.b/take", "/a.b/take.wav"},
      {"/a/.hidden", "/a/.hidden.wav"},
      {"", ""},
      {"/a/", "/a/"},
  };
  for (auto [in, out] : cases)
    EXPECT_EQ(WithDefaultExt(in, "wav"), out) << in;
  EXPECT_EQ(WithDefaultExt("take", ""), "take");
}

TEST(DialogsTest, FiltersInQtForm) {
  // The patterns appear once, after the description.
  EXPECT_EQ(gui::QtFileFilter("Wave Files(*.wav)|*.wav|All Files(*.*)|*.*"),
            "Wave Files (*.wav);;All Files (*)");
  EXPECT_EQ(gui::QtFileFilter("Sound (*.wav;*.aif)|*.wav;*.aif"), "Sound (*.wav *.aif)");
  EXPECT_EQ(gui::QtFileFilter("Pictures|*.bmp;*.jpg"), "Pictures (*.bmp *.jpg)");
  EXPECT_EQ(gui::QtFileFilter(""), "");
}

} // namespace
