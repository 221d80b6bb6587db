#include <QApplication>
#include <QMainWindow>
#include <QTemporaryDir>
#include <QTimer>
#include <csignal>

#include <gtest/gtest.h>

#include "app/OneInstance.h"
#include "app/Sonvelt.h"
#include "platform/classlib/Dialogs.h"
#include "platform/gui/Application.h"
#include "platform/gui/InstanceLock.h"
#include "platform/gui/Timers.h"
#include "platform/gui/TrayIconBackend.h"

namespace {

class TEntryTest : public ::testing::Test {
protected:
  void SetUp() override {
    gui::Application().ResetTerminated();
    ASSERT_TRUE(folder.isValid());
    TOneInstance::SetLockFolder(folder.path().toStdString());
  }
  void TearDown() override {
    TOneInstance::SetLockFolder("");
    gui::Application().ResetTerminated();
  }
  static QMainWindow *MainWindow() {
    for (QWidget *w : QApplication::topLevelWidgets())
      if (auto *m = qobject_cast<QMainWindow *>(w); m && m->isVisible())
        return m;
    return nullptr;
  }
  QTemporaryDir folder;
  sys::TManualTimerService timers;
  gui::TScopedWindowTimerService scopedTimers{timers};
  gui::TTestTrayIconBackend tray;
  TScriptedDialogs dialogs;
  char name[8] = "sonvelt";
  char *argv[2] = {name, nullptr};
};

TEST_F(TEntryTest, TheProgramShowsItsWindowAndReturnsZeroWhenItCloses) {
  QString caption;
  QTimer::singleShot(0, [&] {
    QMainWindow *w = MainWindow();
    ASSERT_NE(w, nullptr);
    caption = w->windowTitle();
    w->close();
  });
  EXPECT_EQ(WinMain(1, argv), 0);
  EXPECT_EQ(caption, "Sonvelt ");
  EXPECT_EQ(gui::Application().Title(), "Sonvelt");
  EXPECT_TRUE(dialogs.Shown().empty());
}

TEST_F(TEntryTest, SigtermClosesTheWindow) {
  QTimer::singleShot(0, [] { std::raise(SIGTERM); });
  EXPECT_EQ(WinMain(1, argv), 0);
  EXPECT_EQ(MainWindow(), nullptr);
}

TEST_F(TEntryTest, ASecondCopyNeverShowsItsWindowAndRaisesTheFirst) {
  gui::Application().SetTitle("Sonvelt");
  gui::TInstanceLock first(TOneInstance::MutexName(), folder.path().toStdString());
  int raised = 0;
  first.OnRaiseRequest = [&] { ++raised; };
  ASSERT_TRUE(first.TryAcquire());
  bool shown = false;
  QTimer::singleShot(0, [&] { shown = MainWindow() != nullptr; });
  EXPECT_EQ(WinMain(1, argv), 0);
  EXPECT_FALSE(shown);
  EXPECT_TRUE(gui::Application().Terminated()) << "the copy was told to end before its loop";
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (raised == 0 && std::chrono::steady_clock::now() < deadline)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  EXPECT_EQ(raised, 1);
}

} // namespace
