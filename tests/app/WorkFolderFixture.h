// The program's surroundings for a test of the main window: a lock folder and
// a working folder of the test's own, the main unit's classes registered,
// manual timers, a tray icon without a desktop and scripted dialogs. workFile
// is where the window keeps its working file.
#pragma once

#include <QTemporaryDir>
#include <string>

#include <gtest/gtest.h>

#include "app/MainUnit.h"
#include "platform/classlib/Dialogs.h"
#include "platform/gui/Application.h"
#include "platform/gui/Timers.h"
#include "platform/gui/TrayIconBackend.h"

class TWorkFolderTest : public ::testing::Test {
protected:
  void SetUp() override {
    gui::Application().SetTitle("Sonvelt");
    gui::Application().ResetTerminated();
    RegisterMainUnitClasses();
    ASSERT_TRUE(locks.isValid());
    ASSERT_TRUE(work.isValid());
    TOneInstance::SetLockFolder(locks.path().toStdString());
    TMainForm::SetWorkFolder(work.path().toStdString());
    workFile = work.path().toStdString() + "/TmpDataFile~.wav";
  }
  void TearDown() override {
    TOneInstance::SetLockFolder("");
    TMainForm::SetWorkFolder("");
    gui::Application().ResetTerminated();
  }

  QTemporaryDir locks, work;
  std::string workFile;
  sys::TManualTimerService timers;
  gui::TScopedWindowTimerService scopedTimers{timers};
  gui::TTestTrayIconBackend tray;
  TScriptedDialogs dialogs;
};
