#include <QApplication>
#include <QCoreApplication>
#include <QTimer>
#include <chrono>
#include <csignal>
#include <stdexcept>
#include <thread>

#include <gtest/gtest.h>

#include "platform/classlib/Dialogs.h"
#include "platform/classlib/Exceptions.h"
#include "platform/gui/Actions.h"
#include "platform/gui/Application.h"
#include "platform/gui/Signals.h"
#include "platform/mainloop/HiddenWindow.h"
#include "tests/support/QtWait.h"

namespace {

using namespace gui;

TEST(ApplicationTest, PostsFromAnotherThreadRunOnTheMainThreadThroughTheQtLoop) {
  Application();
  mainloop::THiddenWindow window;
  std::thread::id ranOn;
  int ran = 0;
  window.SetWindowProc([&](const mainloop::TMessage &m) {
    ranOn = std::this_thread::get_id();
    ran += static_cast<int>(m.WParam);
  });
  std::thread poster([&] {
    for (int i = 0; i < 3; ++i)
      window.PostMessage(1025, 1, 0);
  });
  poster.join();
  ASSERT_TRUE(PumpQtUntil([&] { return ran == 3; }));
  EXPECT_EQ(ranOn, std::this_thread::get_id());
}

// Nothing but the application's own timer runs a later call when the pump
// never waits: it still comes, once due.
TEST(ApplicationTest, ALaterCallRunsWhenDueThoughNothingElseWakesTheLoop) {
  Application();
  mainloop::THiddenWindow window;
  int ran = 0;
  window.SetWindowProc([&](const mainloop::TMessage &) { ++ran; });
  std::thread([&] { window.PostMessageLater(1025, 0, 0, std::chrono::milliseconds(30)); }).join();
  ASSERT_TRUE(PumpQtUntil([&] { return ran == 1; }));
}

TEST(ApplicationTest, ALaterCallGoesWithTheLoopsNextWakeUpLongBeforeItIsDue) {
  Application();
  mainloop::THiddenWindow window;
  int ran = 0;
  window.SetWindowProc([&](const mainloop::TMessage &) { ++ran; });
  window.PostMessageLater(1025, 0, 0, std::chrono::hours(1));
  QTimer wake;
  wake.start(20);
  ASSERT_TRUE(PumpQtUntil([&] {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return ran == 1;
  }));
}

TEST(ApplicationTest, AnExceptionOfAPostedCallIsShownAndTheCallsBehindItStillRun) {
  Application().SetTitle("Sonvelt");
  TScriptedDialogs dialogs;
  mainloop::THiddenWindow window;
  int after = 0;
  window.SetWindowProc([&](const mainloop::TMessage &m) {
    if (m.Msg == 1)
      throw Exception("Can't build DirectShow graph. - 2147746132 - 80040154");
    if (m.Msg == 2)
      throw 42; // not an exception object: shown with an empty text
    ++after;
  });
  window.PostMessage(1, 0, 0);
  window.PostMessage(2, 0, 0);
  window.PostMessage(3, 0, 0);
  ASSERT_TRUE(PumpQtUntil([&] { return after == 1; }));
  ASSERT_EQ(dialogs.Shown().size(), 2u);
  EXPECT_EQ(dialogs.Shown()[0].Text, "Can't build DirectShow graph. - 2147746132 - 80040154");
  EXPECT_EQ(dialogs.Shown()[0].Caption, "Sonvelt");
  EXPECT_EQ(dialogs.Shown()[0].Type, mtError);
  EXPECT_EQ(dialogs.Shown()[1].Text, "");
}

TEST(ApplicationTest, GuardedShowsWhatEscapesAHandler) {
  TScriptedDialogs dialogs;
  Guarded([] { throw std::runtime_error("disk full"); });
  Guarded([] {});
  EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{"disk full"});
}

TEST(ApplicationTest, TerminateBeforeRunMakesRunReturnAtOnce) {
  TApplication app;
  int argc = 1;
  char name[] = "second";
  char *argv[] = {name, nullptr};
  app.Initialize(argc, argv); // takes over the existing Qt application
  EXPECT_TRUE(app.Initialized());
  app.Terminate();
  app.Run(); // would block for ever if the request were lost
  EXPECT_TRUE(app.Terminated());
}

TEST(ApplicationTest, RunEndsOnTerminateFromAHandler) {
  TApplication app;
  int argc = 1;
  char name[] = "runner";
  char *argv[] = {name, nullptr};
  app.Initialize(argc, argv);
  QTimer::singleShot(0, [&] { app.Terminate(); });
  app.Run();
  EXPECT_TRUE(app.Terminated());
}

class TIdleTest : public ::testing::Test {
protected:
  void SetUp() override {
    Application();
    list = CreateObject<TActionList>(nullptr);
    record = CreateObject<TAction>(nullptr);
    record->SetActionList(list);
    record->SetCaption("Record");
  }
  void TearDown() override {
    FreeObject(record);
    FreeObject(list);
  }
  TActionList *list = nullptr;
  TAction *record = nullptr;
};

TEST_F(TIdleTest, AnIdleUpdateThatFindsNothingChangedChangesNothing) {
  bool canRecord = false;
  int listUpdates = 0;
  list->OnUpdate.Fn = [&](TAction *, bool &handled) {
    ++listUpdates;
    handled = false; // the action's own handler runs as well
  };
  record->OnUpdate.Fn = [&](TObject *) { record->SetEnabled(canRecord); };
  int shown = 0;
  record->AddChangeListener([&](TAction &) { ++shown; });

  Application().DoIdle();
  EXPECT_FALSE(record->Enabled());
  EXPECT_EQ(shown, 1);
  int changes = record->ChangeCount();
  for (int i = 0; i < 5; ++i)
    Application().DoIdle();
  EXPECT_EQ(record->ChangeCount(), changes) << "a repeated idle pass must not touch the screen";
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(listUpdates, 6);

  canRecord = true;
  Application().DoIdle();
  EXPECT_TRUE(record->Enabled());
  EXPECT_EQ(shown, 2);
}

TEST_F(TIdleTest, AListThatHandlesTheUpdateKeepsTheActionsOwnHandlerOut) {
  int own = 0;
  list->OnUpdate.Fn = [&](TAction *, bool &handled) { handled = true; };
  record->OnUpdate.Fn = [&](TObject *) { ++own; };
  Application().DoIdle();
  EXPECT_EQ(own, 0);
}

TEST_F(TIdleTest, TheIdlePassRunsWhenTheLoopIsAboutToWait) {
  int before = Application().IdleCount();
  // Waiting for events, with a timer to end the wait.
  QTimer wake;
  wake.start(20);
  ASSERT_TRUE(PumpQtUntil([&] {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return Application().IdleCount() > before;
  }));
}

TEST_F(TIdleTest, AnExceptionInAnUpdateIsShownAndTheNextPassRuns) {
  TScriptedDialogs dialogs;
  int runs = 0;
  record->OnUpdate.Fn = [&](TObject *) {
    if (++runs == 1)
      throw Exception("update failed");
  };
  Application().DoIdle();
  Application().DoIdle();
  EXPECT_EQ(runs, 2);
  EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{"update failed"});
}

TEST_F(TIdleTest, ADisabledActionDoesNotExecute) {
  int executed = 0;
  record->OnExecute.Fn = [&](TObject *) { ++executed; };
  EXPECT_TRUE(record->Execute());
  record->SetEnabled(false);
  EXPECT_FALSE(record->Execute());
  EXPECT_EQ(executed, 1);
}

} // namespace

namespace {

TEST(TerminationSignalsTest, SigtermAndSigintReachTheHandlerOnTheMainThread) {
  gui::Application();
  std::vector<int> got;
  std::thread::id on;
  gui::InstallTerminationHandler([&](int signal) {
    got.push_back(signal);
    on = std::this_thread::get_id();
  });
  std::raise(SIGTERM);
  std::raise(SIGINT);
  ASSERT_TRUE(PumpQtUntil([&] { return got.size() == 2; }));
  EXPECT_EQ(got, (std::vector<int>{SIGTERM, SIGINT}));
  EXPECT_EQ(on, std::this_thread::get_id());
  gui::RemoveTerminationHandler();
}

} // namespace
