// The recorder program with a hand at the controls: the same entry routine
// as the sonvelt program, plus a driver that works the window through its
// actions, found by name, and answers its dialogs from a script.
//
//   sonvelt_e2e_driver <working folder> <take file> <blocks> [scenario]
//
// Run it as the program runs without a display or a sound card
// (QT_QPA_PLATFORM=offscreen, SONVELT_VIRTUAL_AUDIO=<a WAV file>) with
// SONVELT_VIRTUAL_PACING=manual: the driver releases the microphone's frames
// one block of 1024 at a time (each written before the next). Scenarios:
//
//   save       Record, <blocks> blocks, STOP, Save As <take file>, Exit.
//   full-save  The same, but the disk fills (a file-size limit of 61,440
//              bytes) during the first Save As: it must fail with one
//              message, leave <take file> as it was and the take unsaved;
//              with room again a second Save As saves it.
//   full-take  The disk fills (a file-size limit) during the take: the window
//              must go idle at once with one message and stay quiet (no
//              watchdog) for 6 s; with room again Save As saves what was
//              recorded.
//   kill       Record, <blocks> blocks, then <take file>.ready is written and
//              the program waits to be killed.
//   restart    The start after a kill: one message names where the take left
//              behind was kept; then Exit.
//   mode       A mono take, then Stereo 1 mic and Record: the prompt saves
//              the mono take as <take file>; the stereo take (<blocks>
//              blocks) is "[NewFile]" and Save asks for a file:
//              <take file>.stereo.wav.
//
// The exit code is the program's; a step that fails, or a dialog the
// scenario did not expect, is reported on standard error with exit code 2.
#include <QRadioButton>
#include <QTimer>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <unistd.h>

#include "app/MainUnit.h"
#include "app/RecorderAudio.h"
#include "app/Sonvelt.h"
#include "framework/data/FrameworkRuntime.h"
#include "platform/classlib/Dialogs.h"
#include "platform/gui/Application.h"
#include "platform/media/Media.h"
#include "platform/media/VirtualAudio.h"
#include "tests/app/MainFormTestAccess.h"

namespace {

constexpr int64_t BlockFrames = 1024;

std::string Contents(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

bool Exists(const std::string &path) { return access(path.c_str(), F_OK) == 0; }

// The disk fills for this process at bytes per file; 0: room again.
void LimitFileSize(rlim_t bytes) {
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit limit{};
  getrlimit(RLIMIT_FSIZE, &limit);
  limit.rlim_cur = bytes == 0 ? limit.rlim_max : bytes;
  setrlimit(RLIMIT_FSIZE, &limit);
}

class TDriver {
public:
  TDriver(std::string take, int blocks, std::string scenario)
      : take_(std::move(take)), blocks_(blocks), scenario_(std::move(scenario)) {}

  // Runs the scenario's steps from the program's event loop, a millisecond
  // apart, until the window has closed. False: no such scenario.
  bool Start() {
    if (!Plan())
      return false;
    started_ = std::chrono::steady_clock::now();
    timer_.setInterval(1);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Step(); });
    timer_.start();
    return true;
  }

  bool Failed() const { return !failure_.empty(); }
  const std::string &Failure() const { return failure_; }
  // The dialogs shown that the scenario did not expect.
  std::vector<std::string> UnexpectedDialogs() const {
    std::vector<std::string> texts = dialogs_.Texts();
    if (texts.size() > expected_)
      return {texts.begin() + long(expected_), texts.end()};
    return {};
  }

private:
  using TStep = std::function<bool()>; // true: done, next step

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
    if (!failure_.empty())
      return false;
    failure_ = why;
    steps_.clear();
    timer_.stop();
    if (form_ != nullptr) {
      form_->StopAll();
      Access(*form_).SetHasNewRecording(false); // no prompt keeps the failing window open
      form_->Close();
    } else {
      gui::Application().Terminate();
    }
    return false;
  }

  // Checks that exactly one more dialog was shown since the last check and
  // that its text begins with prefix.
  bool ExpectDialog(const std::string &prefix) {
    const std::vector<std::string> texts = dialogs_.Texts();
    if (texts.size() != expected_ + 1)
      return Fail("expected one dialog \"" + prefix + "\", " +
                  std::to_string(texts.size() - expected_) + " shown");
    ++expected_;
    if (texts.back().rfind(prefix, 0) != 0)
      return Fail("expected \"" + prefix + "\", shown \"" + texts.back() + "\"");
    return true;
  }
  bool ExpectNoNewDialog() {
    if (dialogs_.Texts().size() != expected_)
      return Fail("unexpected dialog: " + dialogs_.Texts().back());
    return true;
  }

  void Step() {
    if (std::chrono::steady_clock::now() - started_ > std::chrono::seconds(120)) {
      Fail("timed out");
      return;
    }
    while (next_ < steps_.size() && failure_.empty()) {
      if (!steps_[next_]())
        return;
      ++next_;
    }
    if (next_ >= steps_.size())
      timer_.stop();
  }

  // The steps.
  TStep FindWindow() {
    return [this] {
      form_ = dynamic_cast<TMainForm *>(gui::Application().FindComponent("MainForm"));
      if (form_ == nullptr || !form_->Visible())
        return false;
      for (const auto &device : media::TVirtualAudio::Devices(true))
        if (auto mic = std::dynamic_pointer_cast<media::TVirtualCaptureDevice>(device))
          mic_ = mic;
      if (!mic_)
        return Fail("no virtual microphone installed");
      if (form_->RecorderComponents() == nullptr)
        return Fail("the window has no audio components");
      return true;
    };
  }
  TStep Record() {
    return [this] {
      if (!Press("RecordAction"))
        return false;
      if (form_->State() != TRecorderState::Recording)
        return Fail("Record did not start a take");
      released_ = form_->RecorderComponents()->AudioLogger->Get_CurrentSample() / BlockFrames;
      return true;
    };
  }
  // Releases blocks, one at a time, each written before the next.
  TStep Feed(int blocks) {
    return [this, blocks] {
      const int64_t written = form_->RecorderComponents()->AudioLogger->Get_CurrentSample();
      if (written > released_ * BlockFrames)
        return Fail("the take holds more frames than were released");
      if (written < released_ * BlockFrames)
        return false; // the block released last is still on its way
      if (fed_ < blocks) {
        mic_->ReleaseFrames(uint64_t(BlockFrames));
        ++released_;
        ++fed_;
        return false;
      }
      fed_ = 0;
      return true;
    };
  }
  TStep Stop() {
    return [this] {
      if (!Press("StopAction"))
        return false;
      if (form_->State() != TRecorderState::Idle)
        return Fail("STOP left the window busy");
      return true;
    };
  }
  TStep SaveAs(const std::string &target) {
    return [this, target] {
      dialogs_.AnswerFile(target);
      if (!Press("FileSaveAsAction"))
        return false;
      if (form_->HasNewRecording())
        return Fail("Save As did not save the take");
      return true;
    };
  }
  TStep Exit() {
    return [this] {
      if (!ExpectNoNewDialog())
        return false;
      Press("FileExit1");
      return true;
    };
  }
  TStep Do(std::function<bool()> step) { return step; }

  bool Plan() {
    steps_.push_back(FindWindow());
    if (scenario_ == "save") {
      steps_.insert(steps_.end(), {Record(), Feed(blocks_), Stop(), SaveAs(take_), Exit()});
    } else if (scenario_ == "full-save") {
      steps_.insert(steps_.end(), {Record(), Feed(blocks_), Stop(), Do([this] {
                                     const std::string before = Contents(take_);
                                     LimitFileSize(61440);
                                     dialogs_.AnswerFile(take_);
                                     const bool pressed = Press("FileSaveAsAction");
                                     LimitFileSize(0);
                                     if (!pressed || !ExpectDialog("Can not save to : " + take_))
                                       return false;
                                     if (!form_->HasNewRecording())
                                       return Fail("a failed save marked the take saved");
                                     if (Contents(take_) != before)
                                       return Fail("a failed save changed the target");
                                     if (Exists(take_ + ".saving~"))
                                       return Fail("a failed save left its copy behind");
                                     return true;
                                   }),
                                   SaveAs(take_), Exit()});
    } else if (scenario_ == "full-take") {
      // Room for the header and half the blocks, and a little of the next.
      const rlim_t limit = rlim_t(44 + (blocks_ / 2) * BlockFrames * 2 + 1000);
      steps_.insert(steps_.end(),
                    {Do([limit] {
                       LimitFileSize(limit);
                       return true;
                     }),
                     Record(), Do([this] {
                       // Blocks until the disk is full and the take has ended.
                       if (form_->State() == TRecorderState::Idle)
                         return true;
                       const int64_t written =
                           form_->RecorderComponents()->AudioLogger->Get_CurrentSample();
                       if (written == released_ * BlockFrames && released_ < blocks_) {
                         mic_->ReleaseFrames(uint64_t(BlockFrames));
                         ++released_;
                       }
                       return false;
                     }),
                     Do([this] {
                       if (!ExpectDialog("Recording into the take stopped: "))
                         return false;
                       if (dialogs_.Texts().back().find("TmpDataFile~") != std::string::npos)
                         return Fail("the message names the working file");
                       quietUntil_ = std::chrono::steady_clock::now() + std::chrono::seconds(6);
                       return true;
                     }),
                     Do([this] {
                       // The watchdog (5 s) would speak up now if it were still running.
                       if (!ExpectNoNewDialog())
                         return false;
                       if (form_->State() != TRecorderState::Idle)
                         return Fail("the window left idle by itself");
                       return std::chrono::steady_clock::now() > quietUntil_;
                     }),
                     Do([] {
                       LimitFileSize(0);
                       return true;
                     }),
                     SaveAs(take_), Exit()});
    } else if (scenario_ == "kill") {
      steps_.insert(steps_.end(), {Record(), Feed(blocks_), Do([this] {
                                     std::ofstream(take_ + ".ready") << "recording\n";
                                     return true;
                                   }),
                                   Do([] { return false; })}); // until killed
    } else if (scenario_ == "restart") {
      steps_.insert(
          steps_.end(),
          {Do([this] { return ExpectDialog("A take left by an earlier run was kept in:\n"); }),
           Exit()});
    } else if (scenario_ == "mode") {
      const std::string stereo = take_ + ".stereo.wav";
      steps_.insert(steps_.end(),
                    {Record(), Feed(blocks_ / 2), Stop(), Do([this] {
                       form_->Stereo1micRadioButton->setChecked(true);
                       dialogs_.Answer(mrYes);
                       dialogs_.AnswerFile(take_);
                       return true;
                     }),
                     Record(), Do([this] {
                       if (!ExpectDialog("There is a new recorder file."))
                         return false;
                       if (form_->Caption() != CaptionPrefix + " - [NewFile]")
                         return Fail("the stereo take's caption is " + form_->Caption());
                       return true;
                     }),
                     Feed(blocks_), Stop(), Do([this, stereo] {
                       dialogs_.AnswerFile(stereo);
                       if (!Press("FileSaveAction"))
                         return false;
                       if (dialogs_.UnusedAnswers() != 0)
                         return Fail("Save did not ask where to save the new take");
                       if (form_->HasNewRecording())
                         return Fail("Save did not save the take");
                       return true;
                     }),
                     Exit()});
    } else {
      return false;
    }
    return true;
  }

  std::string take_;
  int blocks_;
  std::string scenario_;
  TScriptedDialogs dialogs_;
  size_t expected_ = 0;
  QTimer timer_;
  std::vector<TStep> steps_;
  size_t next_ = 0;
  TMainForm *form_ = nullptr;
  std::shared_ptr<media::TVirtualCaptureDevice> mic_;
  int64_t released_ = 0;
  int fed_ = 0;
  std::chrono::steady_clock::time_point started_, quietUntil_;
  std::string failure_;
};

} // namespace

int main(int argc, char **argv) {
  if (argc != 4 && argc != 5) {
    std::fprintf(stderr, "usage: %s <working folder> <take file> <blocks> [scenario]\n", argv[0]);
    return 2;
  }
  TFrameworkRuntime runtime;
  TMainForm::SetWorkFolder(argv[1]);
  TOneInstance::SetLockFolder(argv[1]);
  int programArgc = 1;
  gui::InitApplication(programArgc, argv);
  TDriver driver(argv[2], std::atoi(argv[3]), argc == 5 ? argv[4] : "save");
  if (!driver.Start()) {
    std::fprintf(stderr, "no scenario %s\n", argv[4]);
    return 2;
  }
  const int code = WinMain(1, argv);
  const std::vector<std::string> unexpected = driver.UnexpectedDialogs();
  for (const std::string &text : unexpected)
    std::fprintf(stderr, "dialog: %s\n", text.c_str());
  if (driver.Failed())
    std::fprintf(stderr, "driver: %s\n", driver.Failure().c_str());
  return driver.Failed() || !unexpected.empty() ? 2 : code;
}
