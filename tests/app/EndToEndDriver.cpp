// The recorder program with a hand at the controls: the same entry routine
// as the sonvelt program, plus a driver that works the window through its
// actions, found by name, and answers its dialogs from a script.
//
//   sonvelt_e2e_driver <working folder> <take file> <blocks>
//
// Run it as the program runs without a display or a sound card
// (QT_QPA_PLATFORM=offscreen, SONVELT_VIRTUAL_AUDIO=<a WAV file>) with
// SONVELT_VIRTUAL_PACING=manual: the driver presses Record, releases the
// microphone's frames one block of 1024 at a time (each written before the
// next), presses STOP, saves the take with Save As and leaves through Exit.
// The exit code is the program's; a step that fails, or any dialog the
// script did not expect, is reported on standard error with exit code 2.
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "app/MainUnit.h"
#include "app/RecorderAudio.h"
#include "app/Sonvelt.h"
#include "framework/data/FrameworkRuntime.h"
#include "platform/classlib/Dialogs.h"
#include "platform/gui/Application.h"
#include "platform/media/Media.h"
#include "platform/media/VirtualAudio.h"

namespace {

constexpr int64_t BlockFrames = 1024;

class TDriver {
public:
  TDriver(std::string take, int blocks) : take_(std::move(take)), blocks_(blocks) {}

  // Runs the steps from the program's event loop, a few times a millisecond
  // apart, until the window has closed.
  void Start() {
    started_ = std::chrono::steady_clock::now();
    timer_.setInterval(1);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Step(); });
    timer_.start();
  }

  bool Failed() const { return !failure_.empty(); }
  const std::string &Failure() const { return failure_; }
  const TScriptedDialogs &Dialogs() const { return dialogs_; }

private:
  enum class TStage { FindWindow, Feed, Done };

  gui::TAction *Action(const char *name) {
    return dynamic_cast<gui::TAction *>(form_->FindComponent(name));
  }

  // Runs an action as the user's click would: after the idle pass that
  // enables it.
  bool Press(const char *name) {
    gui::Application().DoIdle();
    gui::TAction *action = Action(name);
    if (action == nullptr)
      return Fail(std::string("no action ") + name);
    if (!action->Execute())
      return Fail(std::string(name) + " is disabled");
    return true;
  }

  bool Fail(const std::string &why) {
    failure_ = why;
    stage_ = TStage::Done;
    timer_.stop();
    if (form_ != nullptr) {
      form_->StopAll();
      form_->FHasNewRecording = false; // no prompt keeps the failing window open
      form_->Close();
    } else {
      gui::Application().Terminate();
    }
    return false;
  }

  void Step() {
    if (std::chrono::steady_clock::now() - started_ > std::chrono::seconds(120)) {
      Fail("timed out");
      return;
    }
    switch (stage_) {
    case TStage::FindWindow:
      FindWindow();
      break;
    case TStage::Feed:
      Feed();
      break;
    case TStage::Done:
      break;
    }
  }

  void FindWindow() {
    form_ = dynamic_cast<TMainForm *>(gui::Application().FindComponent("MainForm"));
    if (form_ == nullptr || !form_->Visible())
      return;
    for (const auto &device : media::TVirtualAudio::Devices(true))
      if (auto mic = std::dynamic_pointer_cast<media::TVirtualCaptureDevice>(device))
        mic_ = mic;
    if (!mic_)
      return void(Fail("no virtual microphone installed"));
    if (form_->RecorderComponents() == nullptr)
      return void(Fail("the window has no audio components"));
    if (!Press("RecordAction"))
      return;
    if (form_->FState != stRecording)
      return void(Fail("Record did not start a take"));
    stage_ = TStage::Feed;
  }

  void Feed() {
    const int64_t written = form_->RecorderComponents()->AudioLogger->Get_CurrentSample();
    if (written > released_ * BlockFrames)
      return void(Fail("the take holds more frames than were released"));
    if (written < released_ * BlockFrames)
      return; // the block released last is still on its way
    if (released_ < blocks_) {
      mic_->ReleaseFrames(uint64_t(BlockFrames));
      ++released_;
      return;
    }
    if (!Press("StopAction"))
      return;
    if (form_->FState != stIdle)
      return void(Fail("STOP left the window busy"));
    dialogs_.AnswerFile(take_);
    if (!Press("FileSaveAsAction"))
      return;
    if (form_->FHasNewRecording)
      return void(Fail("Save As did not save the take"));
    stage_ = TStage::Done;
    timer_.stop();
    Press("FileExit1");
  }

  std::string take_;
  int blocks_;
  TScriptedDialogs dialogs_;
  QTimer timer_;
  TStage stage_ = TStage::FindWindow;
  TMainForm *form_ = nullptr;
  std::shared_ptr<media::TVirtualCaptureDevice> mic_;
  int64_t released_ = 0;
  std::chrono::steady_clock::time_point started_;
  std::string failure_;
};

} // namespace

int main(int argc, char **argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s <working folder> <take file> <blocks>\n", argv[0]);
    return 2;
  }
  TFrameworkRuntime runtime;
  TMainForm::SetWorkFolder(argv[1]);
  TOneInstance::SetLockFolder(argv[1]);
  int programArgc = 1;
  gui::InitApplication(programArgc, argv);
  TDriver driver(argv[2], std::atoi(argv[3]));
  driver.Start();
  const int code = WinMain(1, argv);
  bool unexpected = !driver.Dialogs().Shown().empty();
  for (const TMessageDialog &d : driver.Dialogs().Shown())
    std::fprintf(stderr, "dialog: %s\n", d.Text.c_str());
  if (driver.Failed())
    std::fprintf(stderr, "driver: %s\n", driver.Failure().c_str());
  return driver.Failed() || unexpected ? 2 : code;
}
