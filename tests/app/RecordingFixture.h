// The main window with its own audio components on a virtual "USB Audio
// CODEC" (manual pacing: the test releases the microphone's frames), shared
// by the window's threaded suites.
#pragma once

#include <QTemporaryDir>
#include <chrono>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/MainUnit.h"
#include "app/RecorderAudio.h"
#include "platform/classlib/Dialogs.h"
#include "platform/gui/Application.h"
#include "platform/gui/Control.h"
#include "platform/mainloop/MainLoop.h"
#include "platform/media/Media.h"
#include "platform/media/VirtualAudio.h"
#include "tests/support/FrameworkEnvironment.h"
#include "tests/support/MainLoopWait.h"
#include "tests/support/Wait.h"

namespace recordingtest {

using namespace media;

inline std::vector<uint8_t> Pattern(size_t bytes) {
  std::vector<uint8_t> b(bytes);
  for (size_t i = 0; i < bytes; ++i)
    b[i] = uint8_t((i * 131 + (i >> 8) * 7) & 0xFF);
  return b;
}

inline std::string Bytes(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

class TRecordingTest : public ::testing::Test {
protected:
  void SetUp() override {
    mainloop::TMainLoop::Main().BindMainThread();
    SetAlsaEnabled(false);
    TVirtualAudio::Clear();
    mic = TVirtualAudio::AddCapture(MicSpec());
    speaker = TVirtualAudio::AddRender("Virtual Output", {}, SpeakerPacing());
    gui::Application().ResetTerminated();
    RegisterMainUnitClasses();
    ASSERT_TRUE(folder.isValid());
    TOneInstance::SetLockFolder(folder.path().toStdString());
    TMainForm::SetWorkFolder(folder.path().toStdString());
    form.reset(CreateObject<TMainForm>(nullptr));
    c = form->RecorderComponents();
  }
  void TearDown() override {
    form.reset();
    TMainForm::SetWorkFolder("");
    TOneInstance::SetLockFolder("");
    TVirtualAudio::Clear();
    SetAlsaEnabled(true);
    mainloop::TMainLoop::Main().RunPending();
  }
  // A suite may play to a device paced in real time, or record a tone.
  virtual TVirtualCaptureSpec MicSpec() const {
    TVirtualCaptureSpec spec;
    spec.FriendlyName = "USB Audio CODEC ";
    spec.Id = "usbcodec";
    spec.Source = TVirtualSource::Bytes;
    spec.Bytes = Pattern(1024 * 2 * 64);
    spec.Loop = false;
    spec.Pacing = TVirtualPacing::Manual;
    return spec;
  }
  virtual TVirtualPacing SpeakerPacing() const { return TVirtualPacing::Immediate; }
  // Records blocks of 1024 frames, one at a time, each written before the next.
  void Take(int blocks) {
    form->RecordAction->Execute();
    ASSERT_EQ(form->State(), TRecorderState::Recording);
    int64_t start = c->AudioLogger->Get_CurrentSample();
    for (int k = 1; k <= blocks; ++k) {
      mic->ReleaseFrames(1024);
      ASSERT_TRUE(
          PumpUntil([&] { return c->AudioLogger->Get_CurrentSample() == start + k * 1024; }));
    }
  }

  QTemporaryDir folder;
  sys::TManualTimerService timers;
  gui::TScopedWindowTimerService scopedTimers{timers};
  gui::TTestTrayIconBackend tray;
  TScriptedDialogs dialogs;
  std::shared_ptr<TVirtualCaptureDevice> mic;
  std::shared_ptr<TVirtualRenderDevice> speaker;
  TOwnedPtr<TMainForm> form;
  TRecorderAudio *c = nullptr;
};

} // namespace recordingtest
