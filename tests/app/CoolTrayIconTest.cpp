#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/CoolTrayIcon.h"
#include "platform/gui/Application.h"
#include "platform/mainloop/MainLoop.h"

namespace {

using gui::NIM_ADD;
using gui::NIM_DELETE;
using gui::NIM_MODIFY;

class TCoolTrayIconTest : public ::testing::Test {
protected:
  void SetUp() override {
    gui::Application();
    for (unsigned rgb : {0xFF0000u, 0xAA0000u, 0x550000u})
      red->Add(gui::SolidIcon(rgb));
  }
  void TearDown() override {
    icon.reset();
    red.reset();
  }
  // Runs the notification messages the shell posted.
  static void Deliver() { mainloop::TMainLoop::Main().RunPending(); }
  int ShownPicture() const {
    const gui::TNotifyIconData *d = shell.Icon(icon->Id());
    if (!d)
      return -1;
    for (int i = 0; i < red->Count(); ++i) {
      QIcon p;
      red->GetIcon(i, p);
      if (p.cacheKey() == d->hIcon.cacheKey())
        return i;
    }
    return -2;
  }

  sys::TManualTimerService timers;
  gui::TScopedWindowTimerService scoped{timers};
  gui::TTestTrayIconBackend shell;
  TOwnedPtr<gui::TImageList> red{CreateObject<gui::TImageList>(nullptr)};
  TOwnedPtr<TCoolTrayIcon> icon{CreateObject<TCoolTrayIcon>(nullptr)};
};

TEST_F(TCoolTrayIconTest, TheIconIsAddedModifiedAndDeletedWithItsRecord) {
  icon->SetIconList(red.get());
  shell.ClearCalls();
  icon->SetIconVisible(true);
  icon->SetHint("Recording...");
  icon->SetIconVisible(false);
  EXPECT_EQ(shell.Messages(), (std::vector<uint32_t>{NIM_ADD, NIM_MODIFY, NIM_DELETE}));
  const gui::TNotifyIconData &d = shell.Calls()[1].Data;
  EXPECT_EQ(d.cbSize, 488u);
  EXPECT_EQ(d.uID, reinterpret_cast<uint64_t>(icon.get()));
  EXPECT_EQ(d.uFlags, 7u);
  EXPECT_EQ(d.uCallbackMessage, 2048u);
  EXPECT_EQ(d.Wnd, &TrayIconHandler()->Window());
  EXPECT_EQ(d.szTip, "Recording...");
  EXPECT_FALSE(icon->IconVisible());
  EXPECT_FALSE(shell.Shown(icon->Id()));
}

TEST_F(TCoolTrayIconTest, RepeatedVisibilityRequestsLeaveOneIcon) {
  for (int i = 0; i < 3; ++i)
    icon->SetIconVisible(true); // the main window asks at every idle update
  uint64_t id = icon->Id();
  EXPECT_TRUE(shell.Shown(id));
  icon.reset();
  EXPECT_FALSE(shell.Shown(id)) << "a destroyed icon leaves the notification area";
  EXPECT_EQ(TrayIconHandler(), nullptr) << "the shared window goes with the last icon";
}

TEST_F(TCoolTrayIconTest, CyclingShowsEveryPictureInTurnAtTheInterval) {
  icon->SetIconList(red.get());
  icon->SetIconVisible(true);
  std::vector<int> announced;
  icon->OnCycle.Fn = [&](TObject *, int32_t next) { announced.push_back(next); };
  icon->SetCycleInterval(500);
  icon->SetCycleIcons(true);
  std::vector<int> shown{ShownPicture()};
  for (int i = 0; i < 4; ++i) {
    ASSERT_EQ(timers.FirePeriod(500), 1);
    shown.push_back(ShownPicture());
  }
  EXPECT_EQ(shown, (std::vector<int>{0, 1, 2, 0, 1}));
  EXPECT_EQ(announced, (std::vector<int>{1, 2, 0, 1}));
  icon->SetCycleIcons(false);
  EXPECT_EQ(timers.FirePeriod(500), 0);
}

// A hidden icon has nothing to cycle: its timer rests (an idle window would
// otherwise wake twice a second) and cycling goes on once it is shown. With
// an OnCycle handler bound the announcements go on while it is hidden.
TEST_F(TCoolTrayIconTest, AHiddenIconCyclesOnlyForAnOnCycleHandler) {
  icon->SetIconList(red.get());
  icon->SetCycleInterval(500);
  icon->SetCycleIcons(true);
  EXPECT_EQ(timers.FirePeriod(500), 0) << "hidden from the start";
  for (int i = 0; i < 3; ++i)
    icon->SetIconVisible(true); // the main window asks at every idle update
  std::vector<int> shown{ShownPicture()};
  for (int i = 0; i < 2; ++i) {
    ASSERT_EQ(timers.FirePeriod(500), 1) << "repeated requests do not restart the count";
    shown.push_back(ShownPicture());
  }
  EXPECT_EQ(shown, (std::vector<int>{0, 1, 2}));
  icon->SetIconVisible(false);
  icon->SetIconVisible(false);
  EXPECT_EQ(timers.FirePeriod(500), 0);

  std::vector<int> announced;
  icon->OnCycle.Fn = [&](TObject *, int32_t next) { announced.push_back(next); };
  icon->SetCycleIcons(true);
  ASSERT_EQ(timers.FirePeriod(500), 1);
  EXPECT_EQ(announced, std::vector<int>{1});
  EXPECT_FALSE(shell.Shown(icon->Id()));
}

TEST_F(TCoolTrayIconTest, AnIndexOutsideTheListIsBroughtInside) {
  icon->SetIconList(red.get());
  icon->SetIconVisible(true);
  icon->SetIconIndex(7);
  EXPECT_EQ(icon->IconIndex(), 2);
  EXPECT_EQ(ShownPicture(), 2);
  icon->SetIconIndex(-3);
  EXPECT_EQ(icon->IconIndex(), 0);
  icon->SetIconList(nullptr);
  icon->SetIconIndex(2);
  EXPECT_EQ(icon->IconIndex(), 0);
}

TEST_F(TCoolTrayIconTest, TheTipIsCutTo127CharactersAndEmptyWithoutShowHint) {
  std::string hint;
  for (int i = 0; i < 130; ++i)
    hint += "\xC3\xA9"; // é: two bytes, one character
  icon->SetHint(hint);
  icon->SetIconVisible(true);
  std::string tip = shell.Icon(icon->Id())->szTip;
  EXPECT_EQ(tip.size(), 254u);
  EXPECT_EQ(tip, hint.substr(0, 254));
  icon->SetShowHint(false);
  EXPECT_EQ(shell.Icon(icon->Id())->szTip, "");
}

TEST_F(TCoolTrayIconTest, ARestartedTaskbarGetsTheVisibleIconBack) {
  icon->SetIconVisible(true);
  shell.RestartTaskbar();
  EXPECT_TRUE(shell.Shown(icon->Id()));
  icon->SetIconVisible(false);
  shell.RestartTaskbar();
  EXPECT_FALSE(shell.Shown(icon->Id()));
}

TEST_F(TCoolTrayIconTest, WithoutDoubleClickHandlerAClickComesOnRelease) {
  icon->SetIconVisible(true);
  std::vector<std::string> log;
  icon->OnClick.Fn = [&](TObject *) { log.push_back("click"); };
  icon->OnMouseDown.Fn = [&](TObject *, TMouseButton b, TShiftState s, int, int) {
    EXPECT_EQ(b, mbLeft);
    EXPECT_TRUE(s & gui::ssLeft);
    log.push_back("down");
  };
  icon->OnMouseUp.Fn = [&](TObject *, TMouseButton, TShiftState, int, int) { log.push_back("up"); };
  shell.Send(icon->Id(), gui::WM_LBUTTONDOWN);
  shell.Send(icon->Id(), gui::WM_LBUTTONUP);
  Deliver();
  EXPECT_EQ(log, (std::vector<std::string>{"down", "click", "up"}));
}

TEST_F(TCoolTrayIconTest, WithADoubleClickHandlerTheClickWaitsAndADoubleClickHasNone) {
  icon->SetIconVisible(true);
  shell.SetDoubleClickTime(400);
  int clicks = 0, doubles = 0;
  icon->OnClick.Fn = [&](TObject *) { ++clicks; };
  icon->OnDblClick.Fn = [&](TObject *) { ++doubles; };

  shell.Send(icon->Id(), gui::WM_LBUTTONDOWN);
  shell.Send(icon->Id(), gui::WM_LBUTTONUP);
  Deliver();
  EXPECT_EQ(clicks, 0);
  ASSERT_EQ(timers.FirePeriod(400), 1);
  EXPECT_EQ(clicks, 1);

  shell.Send(icon->Id(), gui::WM_LBUTTONDOWN);
  shell.Send(icon->Id(), gui::WM_LBUTTONUP);
  shell.Send(icon->Id(), gui::WM_LBUTTONDBLCLK);
  shell.Send(icon->Id(), gui::WM_LBUTTONUP);
  Deliver();
  timers.FirePeriod(400);
  EXPECT_EQ(doubles, 1);
  EXPECT_EQ(clicks, 1);
}

TEST_F(TCoolTrayIconTest, ADisabledIconIgnoresTheMouse) {
  icon->SetIconVisible(true);
  int events = 0;
  icon->OnClick.Fn = [&](TObject *) { ++events; };
  icon->OnMouseMove.Fn = [&](TObject *, TShiftState, int, int) { ++events; };
  icon->SetEnabled(false);
  shell.Send(icon->Id(), gui::WM_MOUSEMOVE);
  shell.Send(icon->Id(), gui::WM_LBUTTONDOWN);
  shell.Send(icon->Id(), gui::WM_LBUTTONUP);
  Deliver();
  EXPECT_EQ(events, 0);
}

TEST_F(TCoolTrayIconTest, EnterAndExitFollowThePointer) {
  icon->SetIconVisible(true);
  icon->SetWantEnterExitEvents(true);
  std::vector<std::string> log;
  icon->OnMouseEnter.Fn = [&](TObject *) { log.push_back("enter"); };
  icon->OnMouseExit.Fn = [&](TObject *) { log.push_back("exit"); };
  shell.SetCursorPos(QPoint(10, 10));
  shell.Send(icon->Id(), gui::WM_MOUSEMOVE);
  Deliver();
  timers.FirePeriod(20); // the pointer has not moved
  shell.SetCursorPos(QPoint(300, 10));
  timers.FirePeriod(20);
  timers.FirePeriod(20);
  EXPECT_EQ(log, (std::vector<std::string>{"enter", "exit"}));
}

TEST_F(TCoolTrayIconTest, BalloonsAreCutByCharacterAndTheFlagsComeBack) {
  icon->SetIconVisible(true);
  std::u16string text(300, u'\u00DF'); // ß
  ASSERT_TRUE(icon->ShowBalloonHintUnicode(u"Titel \u00FCber", text, bitWarning, 10));
  const auto &call = shell.Calls().back();
  EXPECT_EQ(call.Message, NIM_MODIFY);
  EXPECT_EQ(call.Data.uFlags, 7u | gui::NIF_INFO);
  EXPECT_EQ(call.Data.szInfoTitle, "Titel \xC3\xBC"
                                   "ber");
  EXPECT_EQ(call.Data.szInfo.size(), 2u * 255);
  EXPECT_EQ(call.Data.uTimeoutOrVersion, 10000u);
  EXPECT_EQ(call.Data.dwInfoFlags, gui::NIIF_WARNING);
  EXPECT_EQ(icon->IconData().uFlags, 7u);
  icon->HideBalloonHint();
  EXPECT_EQ(shell.Calls().back().Data.szInfo, "");
}

TEST(TrayTextTest, Utf8PrefixCountsCharactersNotBytes) {
  EXPECT_EQ(Utf8Prefix("abc", 2), "ab");
  EXPECT_EQ(Utf8Prefix("\xC3\xA9\xE2\x82\xAC"
                       "x",
                       2),
            "\xC3\xA9\xE2\x82\xAC");
  EXPECT_EQ(Utf8Prefix("ab", 5), "ab");
  EXPECT_EQ(Utf8Prefix("\xF0\x9F\x8E\xA4", 1), "\xF0\x9F\x8E\xA4");
}

} // namespace
