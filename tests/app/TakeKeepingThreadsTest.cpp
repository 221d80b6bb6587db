// The window with its own audio components keeps every take: a format change
// asks before a fresh take begins and the fresh take is a new file, a disk
// that fills ends the take at once with one message, a working folder that
// cannot be written shows one message and leaves no take to save; the length
// box shows from the start and Loop goes with the selection.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

#include "app/MainUnit.h"
#include "app/RecorderAudio.h"
#include "platform/classlib/Dialogs.h"
#include "platform/gui/Application.h"
#include "platform/mainloop/MainLoop.h"
#include "tests/app/FileSizeLimit.h"
#include "tests/app/MainFormTestAccess.h"
#include "tests/app/RecordingFixture.h"
#include "tests/support/WavOracle.h"

namespace {

using recordingtest::Bytes;

const std::string SavePrompt = "There is a new recorder file.\nWould you like to save it?";

class TTakeKeepingTest : public recordingtest::TRecordingTest {
protected:
  void Stop() {
    form->StopAction->Execute();
    mainloop::TMainLoop::Main().RunPending();
  }
  // Releases blocks of 1024 frames into the running take.
  void Feed(int blocks) {
    const int64_t start = c->AudioLogger->Get_CurrentSample();
    for (int k = 1; k <= blocks; ++k) {
      mic->ReleaseFrames(1024);
      ASSERT_TRUE(
          PumpUntil([&] { return c->AudioLogger->Get_CurrentSample() == start + k * 1024; }));
    }
  }
};

// Mono take, saved at the prompt of a stereo Record: the stereo take is a new
// file, and Save asks where instead of writing over the mono take's file.
TEST_F(TTakeKeepingTest, AFreshTakeAfterTheFormatPromptIsANewFile) {
  Take(2);
  Stop();
  const std::string a = folder.filePath("A.wav").toStdString();
  const std::string b = folder.filePath("B.wav").toStdString();
  form->Stereo1micRadioButton->setChecked(true);
  dialogs.Answer(mrYes);
  dialogs.AnswerFile(a);
  form->RecordAction->Execute();
  ASSERT_EQ(form->State(), TRecorderState::Recording);
  EXPECT_EQ(form->Caption(), "Sonvelt  - [NewFile]");
  Feed(3);
  Stop();
  EXPECT_TRUE(form->HasNewRecording());
  dialogs.AnswerFile(b);
  gui::Application().DoIdle();
  form->FileSaveAction->Execute();
  EXPECT_EQ(dialogs.UnusedAnswers(), 0u) << "Save asked for a file";
  EXPECT_EQ(dialogs.FileDialogs().size(), 2u);
  const auto mono = wavoracle::ReadWithSndfile(a);
  ASSERT_TRUE(mono.Opened) << mono.Error;
  EXPECT_EQ(mono.Channels, 1);
  EXPECT_EQ(mono.Frames, 2 * 1024) << "the first take's file is untouched";
  const auto stereo = wavoracle::ReadWithSndfile(b);
  ASSERT_TRUE(stereo.Opened) << stereo.Error;
  EXPECT_EQ(stereo.Channels, 2);
  EXPECT_EQ(stereo.Frames, 3 * 1024);
  EXPECT_EQ(form->Caption(), "Sonvelt  - [B.wav]");
  EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{SavePrompt});
}

// A rate change either way asks the same prompt and, once the take is
// saved, begins a fresh take at the new rate; no error and no path of the
// working file is shown.
TEST_F(TTakeKeepingTest, ARateChangeEitherWayAsksAndStartsAFreshTake) {
  struct TCase {
    int From, To;
  };
  for (const TCase &t : {TCase{44100, 48000}, TCase{48000, 44100}}) {
    SCOPED_TRACE(std::to_string(t.From) + " to " + std::to_string(t.To));
    TScriptedDialogs script;
    Access(*form).SetHasNewRecording(false); // the last case's take is not wanted
    form->NewExecute(form.get());
    form->AudioFormatComboBox->setCurrentIndex(form->AudioFormatComboBox->findData(t.From));
    Take(2);
    Stop();
    form->AudioFormatComboBox->setCurrentIndex(form->AudioFormatComboBox->findData(t.To));
    script.Answer(mrYes);
    script.AnswerFile(folder.filePath(QString("at %1.wav").arg(t.From)).toStdString());
    form->RecordAction->Execute();
    ASSERT_EQ(form->State(), TRecorderState::Recording);
    Feed(3);
    Stop();
    EXPECT_EQ(script.Texts(), std::vector<std::string>{SavePrompt});
    const auto read = wavoracle::ReadWithSndfile(form->GetWorkFileName());
    ASSERT_TRUE(read.Opened) << read.Error;
    EXPECT_EQ(read.Rate, t.To);
    EXPECT_EQ(read.Frames, 3 * 1024);
    const auto saved =
        wavoracle::ReadWithSndfile(folder.filePath(QString("at %1.wav").arg(t.From)).toStdString());
    EXPECT_EQ(saved.Rate, t.From);
    EXPECT_EQ(saved.Frames, 2 * 1024);
  }
  Access(*form).SetHasNewRecording(false);
}

// The disk fills during a take: the window is idle at once, one message says
// what happened without the working file's path, the watchdog stays quiet,
// and what was written is a take to save.
TEST_F(TTakeKeepingTest, ADiskThatFillsEndsTheTakeAtOnceWithOneMessage) {
  Take(3);
  {
    TFileSizeLimit full(44 + 3 * 2048 + 1000);
    ASSERT_TRUE(full.Ok());
    mic->ReleaseFrames(1024);
    EXPECT_TRUE(PumpUntil([&] { return form->State() == TRecorderState::Idle; }));
  }
  EXPECT_FALSE(form->WatchdogTimer->Enabled());
  EXPECT_EQ(timers.FirePeriod(5000), 0);
  mainloop::TMainLoop::Main().RunPending();
  gui::Application().DoIdle();
  EXPECT_EQ(form->StatusText(), "");
  ASSERT_EQ(dialogs.Texts().size(), 1u) << ::testing::PrintToString(dialogs.Texts());
  const std::string said = dialogs.Texts()[0];
  EXPECT_EQ(said.rfind("Recording into the take stopped: Can't write the WAV file: ", 0), 0u)
      << said;
  EXPECT_NE(said.find("Everything recorded before is kept in the file."), std::string::npos);
  EXPECT_EQ(said.find("TmpDataFile~"), std::string::npos);
  const auto read = wavoracle::ReadWithSndfile(form->GetWorkFileName());
  ASSERT_TRUE(read.Opened) << read.Error;
  EXPECT_EQ(read.Frames, 3 * 1024);
  EXPECT_TRUE(form->HasNewRecording()) << "the take so far can be saved";
  EXPECT_EQ(form->RecordLength(), 3 * 1024 * 10000000LL / 44100);
}

// No file can be written where the take would go: Record says so once, the
// window is idle, and there is neither a take to play nor one to save.
TEST_F(TTakeKeepingTest, AWorkingFolderThatCannotBeWrittenGivesOneMessageAndNoTake) {
  QTemporaryDir locked;
  ASSERT_TRUE(locked.isValid());
  std::string unwritable = locked.path().toStdString();
  std::filesystem::permissions(unwritable, std::filesystem::perms::owner_read |
                                               std::filesystem::perms::owner_exec);
  if (geteuid() == 0)
    unwritable = "/proc"; // the superuser writes any folder with rights alone
  form.reset();
  TMainForm::SetWorkFolder(unwritable);
  form.reset(CreateObject<TMainForm>(nullptr));
  c = form->RecorderComponents();
  form->RecordAction->Execute();
  EXPECT_TRUE(PumpUntil([&] { return form->State() == TRecorderState::Idle; }));
  for (int i = 0; i < 20; ++i)
    mainloop::TMainLoop::Main().WaitAndRun(std::chrono::milliseconds(5));
  EXPECT_EQ(timers.FirePeriod(5000), 0);
  ASSERT_EQ(dialogs.Texts().size(), 1u) << ::testing::PrintToString(dialogs.Texts());
  EXPECT_EQ(dialogs.Texts()[0].find("TmpDataFile~"), std::string::npos) << dialogs.Texts()[0];
  EXPECT_FALSE(form->HasNewRecording());
  gui::Application().DoIdle();
  EXPECT_FALSE(form->FileSaveAsAction->Enabled());
  form->Show();
  EXPECT_TRUE(form->Close());
  EXPECT_EQ(dialogs.Texts().size(), 1u) << "closing asks to save nothing";
}

TEST_F(TTakeKeepingTest, TheLengthBoxShowsZeroFromTheStart) {
  EXPECT_EQ(form->RecLen->text(), "00:00:00");
  EXPECT_EQ(form->Position->text(), "00:00:00");
}

// Clearing the selection takes Loop with it: nothing loops on behind a
// greyed box.
TEST_F(TTakeKeepingTest, ClearingTheSelectionTurnsLoopOff) {
  Take(4);
  Stop();
  form->TrackBar->SetPosition(2500);
  form->MarkActionExecute(form.get());
  form->TrackBar->SetPosition(7500);
  form->MarkActionExecute(form.get());
  ASSERT_EQ(form->MarkState(), 2);
  gui::Application().DoIdle();
  form->SelectionCheckBox->setChecked(true);
  form->LoopCheckBox->setChecked(true);
  ASSERT_TRUE(c->AudioPlayer->Loop);
  form->ClearMarkAction->Execute();
  gui::Application().DoIdle();
  EXPECT_FALSE(form->LoopCheckBox->isChecked());
  EXPECT_FALSE(form->LoopCheckBox->isEnabled());
  EXPECT_FALSE(c->AudioPlayer->Loop);
}

} // namespace
