#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <chrono>
#include <cstdlib>
#include <fstream>

#include <gtest/gtest.h>

#include "platform/gui/Application.h"
#include "platform/gui/InstanceLock.h"
#include "tests/support/QtWait.h"

namespace {

using namespace gui;

QByteArray Contents(const std::string &path) {
  QFile f(QString::fromStdString(path));
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class TInstanceLockTest : public ::testing::Test {
protected:
  void SetUp() override {
    Application();
    ASSERT_TRUE(folder.isValid());
  }
  std::string Folder() const { return folder.path().toStdString(); }
  QTemporaryDir folder;
};

TEST_F(TInstanceLockTest, TheSecondCopyFindsTheFirstRaisesItAndTouchesNothing) {
  TInstanceLock first("sonvelt", Folder());
  int raised = 0;
  first.OnRaiseRequest = [&] { ++raised; };
  ASSERT_TRUE(first.TryAcquire());
  EXPECT_TRUE(first.Held());
  QByteArray lockBefore = Contents(first.LockFileName());
  ASSERT_FALSE(lockBefore.isEmpty());

  TInstanceLock second("sonvelt", Folder());
  EXPECT_FALSE(second.TryAcquire());
  EXPECT_FALSE(second.Held());
  EXPECT_TRUE(second.RaisePrior());
  ASSERT_TRUE(PumpQtUntil([&] { return raised == 1; }));
  EXPECT_EQ(Contents(first.LockFileName()), lockBefore);

  first.Release();
  EXPECT_TRUE(second.TryAcquire()) << "the lock is free once the first copy ends";
}

TEST_F(TInstanceLockTest, CopiesUnderOtherNamesDoNotSeeEachOther) {
  TInstanceLock a("sonvelt", Folder());
  TInstanceLock b("sonvelt-copy", Folder());
  EXPECT_TRUE(a.TryAcquire());
  EXPECT_TRUE(b.TryAcquire());
  EXPECT_TRUE(a.TryAcquire()) << "taking a held lock again is no second copy";
}

TEST_F(TInstanceLockTest, NobodyToRaiseWithoutAFirstCopy) {
  TInstanceLock alone("sonvelt", Folder());
  EXPECT_FALSE(alone.RaisePrior());
}

TEST_F(TInstanceLockTest, ALockLeftByADeadCopyIsTakenOver) {
  TInstanceLock probe("sonvelt", Folder());
  // The lock file of a process that no longer runs, on this host.
  QProcess dead;
  dead.start("/bin/true");
  ASSERT_TRUE(dead.waitForFinished());
  qint64 pid = dead.processId();
  {
    TInstanceLock live("sonvelt", Folder());
    ASSERT_TRUE(live.TryAcquire());
    QByteArray text = Contents(live.LockFileName());
    live.Release();
    QList<QByteArray> lines = text.split('\n');
    ASSERT_GE(lines.size(), 3);
    lines[0] = QByteArray::number(pid > 0 ? pid : 999999);
    std::ofstream out(live.LockFileName());
    out << lines.join('\n').toStdString();
  }
  EXPECT_TRUE(probe.TryAcquire());
}

TEST_F(TInstanceLockTest, AnUnusableFolderIsAClearError) {
  TInstanceLock lock("sonvelt", Folder() + "/missing/deeper");
  EXPECT_THROW(lock.TryAcquire(), std::exception);
}

// The other process of the test below; skipped unless started by it.
TEST(InstanceLockChild, SecondCopy) {
  const char *folder = std::getenv("SONVELT_LOCK_TEST_FOLDER");
  if (!folder)
    GTEST_SKIP() << "runs only as the child of another test";
  Application();
  TInstanceLock lock("sonvelt", folder);
  ASSERT_FALSE(lock.TryAcquire());
  ASSERT_TRUE(lock.RaisePrior());
}

TEST_F(TInstanceLockTest, ASecondProcessFindsTheFirstAndRaisesIt) {
  TInstanceLock first("sonvelt", Folder());
  int raised = 0;
  first.OnRaiseRequest = [&] { ++raised; };
  ASSERT_TRUE(first.TryAcquire());
  QProcess child;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("SONVELT_LOCK_TEST_FOLDER", folder.path());
  env.insert("QT_QPA_PLATFORM", "offscreen");
  child.setProcessEnvironment(env);
  child.start(QCoreApplication::applicationFilePath(),
              {"--gtest_filter=InstanceLockChild.SecondCopy"});
  ASSERT_TRUE(child.waitForStarted());
  ASSERT_TRUE(PumpQtUntil([&] { return child.state() == QProcess::NotRunning; }));
  EXPECT_EQ(child.exitCode(), 0) << child.readAllStandardOutput().toStdString();
  ASSERT_TRUE(PumpQtUntil([&] { return raised == 1; }));
  EXPECT_TRUE(first.Held());
}

} // namespace
