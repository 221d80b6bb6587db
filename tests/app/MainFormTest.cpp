#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "app/MainUnit.h"
#include "platform/classlib/Dialogs.h"
#include "platform/gui/Application.h"
#include "platform/gui/Control.h"
#include "platform/gui/InstanceLock.h"
#include "platform/mainloop/MainLoop.h"
#include "scope/SLScopeControl.h"
#include "tests/app/MainFormTestAccess.h"
#include "tests/app/WorkFolderFixture.h"

namespace {

// The audio components as the displays see them.
struct TFakeAudio : IRecorderAudio {
  std::string FileName;
  bool Enabled = false, Paused = false;
  int VUChannels = 1, PPMChannels = 1;
  bool ScopeHasData = false;
  int ScopeClears = 0, Stops = 0;
  int64_t Duration = 0;
  std::string PlayerFileName() override { return FileName; }
  bool PlayerEnabled() override { return Enabled; }
  bool PlayerPaused() override { return Paused; }
  int VUMeterActiveChannels() override { return VUChannels; }
  int PPMMeterActiveChannels() override { return PPMChannels; }
  bool ClearScopeChannels() override {
    bool had = ScopeHasData;
    if (had)
      ++ScopeClears;
    ScopeHasData = false;
    return had;
  }
  void StopCaptureAndPlayer() override {
    ++Stops;
    Enabled = false;
  }
  int64_t MeasureWorkFileDuration() override { return Duration; }
  std::vector<std::string> Devices;
  std::vector<std::string> CaptureDeviceNames() override { return Devices; }
};

class TMainFormTest : public ::testing::Test {
protected:
  void SetUp() override {
    gui::Application().SetTitle("Sonvelt");
    gui::Application().ResetTerminated();
    RegisterMainUnitClasses();
    ASSERT_TRUE(folder.isValid());
    TOneInstance::SetLockFolder(folder.path().toStdString());
    form.reset(CreateObject<TMainForm>(nullptr, &audio));
  }
  void TearDown() override {
    form.reset();
    TOneInstance::SetLockFolder("");
  }
  void Idle() { gui::Application().DoIdle(); }
  static bool Shown(QWidget *w) { return !w->isHidden(); }

  QTemporaryDir folder;
  sys::TManualTimerService timers;
  gui::TScopedWindowTimerService scopedTimers{timers};
  gui::TTestTrayIconBackend tray;
  TScriptedDialogs dialogs;
  TFakeAudio audio;
  TOwnedPtr<TMainForm> form;
};

TEST_F(TMainFormTest, TheWindowStartsIdleWithItsTextsAndNothingToSaveOrMark) {
  EXPECT_EQ(form->Caption(), "Sonvelt ");
  ASSERT_EQ(form->AudioFormatComboBox->count(), 2);
  EXPECT_EQ(form->AudioFormatComboBox->itemText(0), "PCM 44.1 kHz 16 bit");
  EXPECT_EQ(form->AudioFormatComboBox->itemData(0).toInt(), 44100);
  EXPECT_EQ(form->AudioFormatComboBox->itemText(1), "PCM 48 kHz 16 bit");
  EXPECT_EQ(form->AudioFormatComboBox->itemData(1).toInt(), 48000);
  EXPECT_EQ(form->AudioFormatComboBox->currentIndex(), 0);
  EXPECT_TRUE(form->MonoRadioButton->isChecked());
  EXPECT_EQ(form->Position->text(), "00:00:00");
  EXPECT_EQ(form->StopButton->text(), "STOP");
  EXPECT_TRUE(form->OneInstance->LockOwner());

  Idle();
  EXPECT_FALSE(Shown(form->Status));
  EXPECT_EQ(form->StatusText(), "");
  EXPECT_FALSE(form->RecordAction->Enabled()) << "no microphone";
  EXPECT_FALSE(form->RecButton->isEnabled());
  EXPECT_TRUE(form->PlayAction->Enabled());
  EXPECT_TRUE(form->StopAction->Enabled());
  EXPECT_TRUE(form->New->Enabled());
  EXPECT_TRUE(form->FileOpenAction->Enabled());
  for (gui::TAction *a : {form->MarkAction, form->ClearMarkAction, form->FileSaveAction,
                          form->FileSaveAsAction, form->ResumeAction})
    EXPECT_FALSE(a->Enabled()) << a->Name();
  EXPECT_EQ(form->MarkAction->Caption(), "Mark Begin");
  EXPECT_FALSE(form->TrackBar->isEnabled());
  EXPECT_FALSE(form->Stereo2micRadioButton->isEnabled());
  EXPECT_FALSE(form->SelectionCheckBox->isEnabled());
  EXPECT_FALSE(form->LoopCheckBox->isEnabled());
  EXPECT_FALSE(tray.Shown(form->TrayIcon->Id()));
}

struct TActionCase {
  const char *Name;
  TRecorderState State;
  int Devices;
  bool PlayerFile;
  uint8_t MarkState;
  bool CanSave;
  // Expected.
  bool Record, Play, Mark, ClearMark, Save, TrackBar, Stereo2, Selection;
  const char *MarkCaption;
};

TEST_F(TMainFormTest, TheActionsFollowTheState) {
  const TActionCase cases[] = {
      {"idle, one mic", TRecorderState::Idle, 1, false, 0, false, true, true, false, false, false,
       false, false, false, "Mark Begin"},
      {"idle, two mics, a take", TRecorderState::Idle, 2, true, 0, true, true, true, true, false,
       true, true, true, false, "Mark Begin"},
      {"recording", TRecorderState::Recording, 2, true, 1, true, false, false, false, false, false,
       false, false, false, "Mark End"},
      {"playing a selection", TRecorderState::Playing, 1, true, 2, true, false, false, true, true,
       true, true, false, true, "Mark End"},
      {"idle, begin mark", TRecorderState::Idle, 1, true, 1, true, true, true, true, true, true,
       true, false, false, "Mark End"},
      {"recording paused", TRecorderState::RecordingPaused, 1, true, 0, true, false, false, false,
       false, false, true, false, false, "Mark Begin"},
  };
  for (const TActionCase &c : cases) {
    SCOPED_TRACE(c.Name);
    Access(*form).SetState(c.State);
    Access(*form).SetDeviceCount(c.Devices);
    audio.FileName = c.PlayerFile ? "/tmp/TmpDataFile~.wav" : "";
    Access(*form).SetMarkState(c.MarkState);
    Access(*form).SetCanSave(c.CanSave);
    Idle();
    EXPECT_EQ(form->RecordAction->Enabled(), c.Record);
    EXPECT_EQ(form->PlayAction->Enabled(), c.Play);
    EXPECT_EQ(form->MarkAction->Enabled(), c.Mark);
    EXPECT_EQ(form->ClearMarkAction->Enabled(), c.ClearMark);
    EXPECT_EQ(form->FileSaveAction->Enabled(), c.Save);
    EXPECT_EQ(form->FileSaveAsAction->Enabled(), c.Save);
    EXPECT_EQ(form->TrackBar->isEnabled(), c.TrackBar);
    EXPECT_EQ(form->Stereo2micRadioButton->isEnabled(), c.Stereo2);
    EXPECT_EQ(form->SelectionCheckBox->isEnabled(), c.Selection);
    EXPECT_EQ(form->LoopCheckBox->isEnabled(), c.Selection);
    EXPECT_EQ(form->MarkAction->Caption(), c.MarkCaption);
    EXPECT_EQ(form->Button5->text().toStdString(), c.MarkCaption);
    EXPECT_TRUE(form->StopAction->Enabled());
    EXPECT_TRUE(form->New->Enabled());
    EXPECT_TRUE(form->FileOpenAction->Enabled());
  }
}

TEST_F(TMainFormTest, StatusAndTrayIconShowTheState) {
  Access(*form).SetState(TRecorderState::Recording);
  Idle();
  EXPECT_EQ(form->StatusText(), "RECORD");
  EXPECT_TRUE(Shown(form->Status));
  EXPECT_EQ(form->StatusColour(), clRed);
  ASSERT_TRUE(tray.Shown(form->TrayIcon->Id()));
  EXPECT_EQ(form->TrayIcon->IconList(), form->RedImageList);
  EXPECT_EQ(tray.Icon(form->TrayIcon->Id())->szTip, "")
      << "the resource already names the red list";
  // The icon blinks every 500 ms.
  EXPECT_EQ(timers.FirePeriod(500), 1);

  Access(*form).SetState(TRecorderState::Playing);
  Idle();
  EXPECT_EQ(form->StatusText(), "PLAYBACK");
  EXPECT_EQ(form->StatusColour(), clLime);
  EXPECT_FALSE(tray.Shown(form->TrayIcon->Id()));

  Access(*form).SetState(TRecorderState::RecordingPaused);
  Idle();
  EXPECT_EQ(form->StatusText(), "Paused");
  EXPECT_EQ(form->StatusColour(), clLime);
  EXPECT_EQ(form->TrayIcon->IconList(), form->GrayImageList);
  EXPECT_EQ(tray.Icon(form->TrayIcon->Id())->szTip, "Paused");

  Access(*form).SetState(TRecorderState::Idle);
  Idle();
  EXPECT_FALSE(Shown(form->Status));
  EXPECT_EQ(form->StatusText(), "");
  EXPECT_EQ(form->StatusColour(), clWindow);
  EXPECT_FALSE(tray.Shown(form->TrayIcon->Id()));
}

TEST_F(TMainFormTest, AnIdleUpdateThatFindsNothingChangedChangesNothing) {
  Access(*form).SetDeviceCount(1);
  audio.ScopeHasData = true;
  Idle();
  EXPECT_EQ(audio.ScopeClears, 1);
  std::vector<int> changes;
  auto count = [&] {
    std::vector<int> c;
    for (int i = 0; i < form->ComponentCount(); ++i)
      if (auto *a = dynamic_cast<gui::TAction *>(form->Components(i)))
        c.push_back(a->ChangeCount());
    for (gui::TMeterBar *b :
         {form->ProgressBar1, form->ProgressBar2, form->ProgressBar3, form->ProgressBar4})
      c.push_back(b->RepaintCount());
    return c;
  };
  changes = count();
  for (int i = 0; i < 3; ++i)
    Idle();
  EXPECT_EQ(count(), changes);
  EXPECT_EQ(audio.ScopeClears, 1) << "an empty scope is not cleared again";
}

TEST_F(TMainFormTest, AMonoTakeDrivesBothBarsOfEachMeter) {
  Access(*form).SetState(TRecorderState::Recording);
  form->VUMeterValueChange(nullptr, 0, 1000.4, 32767);
  form->PPMMeterValueChange(nullptr, 0, 20000.5, 32767);
  EXPECT_EQ(form->ProgressBar1->Max(), 32767);
  EXPECT_EQ(form->ProgressBar1->Position(), 1000);
  EXPECT_EQ(form->ProgressBar2->Position(), 1000);
  EXPECT_EQ(form->ProgressBar3->Position(), 20001);
  EXPECT_EQ(form->ProgressBar4->Position(), 20001);
  EXPECT_FALSE(Shown(form->P3));

  audio.VUChannels = audio.PPMChannels = 2;
  form->VUMeterValueChange(nullptr, 1, 500, 32767);
  EXPECT_EQ(form->ProgressBar1->Position(), 1000);
  EXPECT_EQ(form->ProgressBar2->Position(), 500);
}

TEST_F(TMainFormTest, AFullScalePeakLightsTheLampAndALowerOnePutsItOut) {
  Access(*form).SetState(TRecorderState::Recording);
  // A 16-bit peak of -32768 measures 32768, above the maximum 32767.
  form->PPMMeterValueChange(nullptr, 0, 32768, 32767);
  EXPECT_TRUE(Shown(form->P3));
  EXPECT_TRUE(Shown(form->P4));
  EXPECT_EQ(form->ProgressBar3->Position(), 32767);
  form->PPMMeterValueChange(nullptr, 0, 1000, 32767);
  EXPECT_FALSE(Shown(form->P3));
  EXPECT_FALSE(Shown(form->P4));
}

TEST_F(TMainFormTest, MeterEventsAfterTheTakeLeaveTheBarsAtRest) {
  Access(*form).SetState(TRecorderState::Idle);
  form->ProgressBar1->SetPosition(50);
  form->VUMeterValueChange(nullptr, 0, 1000, 32767);
  EXPECT_EQ(form->ProgressBar1->Position(), 0);
  form->PPMMeterValueChange(nullptr, 0, 32768, 32767);
  EXPECT_EQ(form->ProgressBar3->Position(), 0);
  EXPECT_FALSE(Shown(form->P3));
  audio.Enabled = true; // the player feeds the meters while it plays
  form->VUMeterValueChange(nullptr, 0, 1000, 32767);
  EXPECT_EQ(form->ProgressBar1->Position(), 1000);
}

TEST(FormatTimeTest, MinutesSecondsAndCentiseconds) {
  const std::pair<int64_t, const char *> cases[] = {
      {0, "00:00:00"},
      {(20 * 60 + 34) * 10000000LL + 5670000, "20:34:56"},
      {3600LL * 10000000, "60:00:00"},
      {99999999, "00:09:99"},
      {100LL * 60 * 10000000, "100:00:00"},
      {9999, "00:00:00"},
  };
  for (auto [t, text] : cases)
    EXPECT_EQ(TMainForm::FormatTime(t), text) << t;
}

TEST(MeterPositionTest, HalvesRoundUpAndTheRangeHolds) {
  EXPECT_EQ(MeterPosition(0.49), 0);
  EXPECT_EQ(MeterPosition(0.5), 1);
  EXPECT_EQ(MeterPosition(32767.0), 32767);
  EXPECT_EQ(MeterPosition(-0.7), 0) << "truncation toward zero";
  EXPECT_EQ(MeterPosition(1e300), INT_MAX);
  EXPECT_EQ(MeterPosition(std::numeric_limits<double>::quiet_NaN()), 0);
}

TEST_F(TMainFormTest, TimeDisplaysFollowTheTrackBarOverTheTake) {
  Access(*form).SetRecordLength(100LL * 10000000); // 100 s
  form->TrackBar->SetPosition(2500);
  form->UpdateTimeDisplays();
  EXPECT_EQ(form->Position->text(), "00:25:00");
  EXPECT_EQ(form->RecLen->text(), "01:40:00");

  audio.Enabled = true; // a playing player keeps them current itself
  form->TrackBar->SetPosition(5000);
  form->UpdateTimeDisplays();
  EXPECT_EQ(form->Position->text(), "00:25:00");

  Access(*form).SetRecordLength(-1);
  form->UpdateTimeDisplays();
  EXPECT_EQ(form->TrackBar->Position(), 0);
}

TEST_F(TMainFormTest, StopReturnsToIdleMeasuresTheTakeAndClearsTheDisplays) {
  Access(*form).SetState(TRecorderState::Idle);
  form->StopAction->Execute();
  EXPECT_EQ(audio.Stops, 0) << "Stop does nothing while idle";

  Access(*form).SetState(TRecorderState::Recording);
  form->WatchdogTimer->SetEnabled(true);
  form->ProgressBar3->SetPosition(80);
  form->P3->setVisible(true);
  audio.ScopeHasData = true;
  audio.Duration = 3 * 10000000LL;
  form->StopAction->Execute();
  EXPECT_EQ(audio.Stops, 1);
  EXPECT_EQ(form->State(), TRecorderState::Idle);
  EXPECT_EQ(form->RecordLength(), 3 * 10000000LL);
  EXPECT_FALSE(form->WatchdogTimer->Enabled());
  EXPECT_EQ(form->ProgressBar3->Position(), 0);
  EXPECT_FALSE(Shown(form->P3));
  EXPECT_EQ(audio.ScopeClears, 1);

  Access(*form).SetState(TRecorderState::Playing); // a stopped playback is not measured again
  audio.Duration = 0;
  form->StopAction->Execute();
  EXPECT_EQ(form->RecordLength(), 3 * 10000000LL);
}

TEST_F(TMainFormTest, EveryMeterBarIsTheMeterPanelsHeightLessTen) {
  form->MetersPanel->resize(form->MetersPanel->width(), 300);
  form->MetersPanelResize(form.get());
  for (gui::TMeterBar *b :
       {form->ProgressBar1, form->ProgressBar2, form->ProgressBar3, form->ProgressBar4})
    EXPECT_EQ(b->height(), 290);
}

} // namespace

namespace {

TEST_F(TMainFormTest, AScreenshotOfTheWindowDuringATakeIsSavedForReview) {
  form->Show();
  Access(*form).SetState(TRecorderState::Recording);
  Access(*form).SetDeviceCount(1);
  Access(*form).SetRecordLength(0);
  form->SetCaption(CaptionPrefix + " - [NewFile]");
  Idle();
  form->VUMeterValueChange(nullptr, 0, 12000, 32767);
  form->PPMMeterValueChange(nullptr, 0, 32768, 32767);
  form->Position->setText("00:03:02");
  // The stand-in has no converter: the scope gets two tones directly.
  std::vector<double> left(1024), right(1024);
  for (size_t i = 0; i < left.size(); ++i) {
    left[i] = 20000 * std::sin(2 * M_PI * double(i) / 256);
    right[i] = 9000 * std::sin(2 * M_PI * double(i) / 100);
  }
  form->Scope->GetChannels()->GetItem(0)->GetVC_Data()->SetYData(left.data(), 1024);
  form->Scope->GetChannels()->GetItem(1)->GetVC_Data()->SetYData(right.data(), 1024);
  form->Scope->RefreshView();
  QImage shot = form->Window()->grab().toImage();
  ASSERT_FALSE(shot.isNull());
  EXPECT_GE(shot.width(), 692);
  EXPECT_GE(shot.height(), 466);
  // The scope fills its area: its frame and both curves are in the picture.
  const QPoint area = form->ScopeArea->mapTo(form->Window(), QPoint(0, 0));
  auto colourCount = [&](QRgb colour) {
    int n = 0;
    for (int y = 0; y < form->ScopeArea->height(); ++y)
      for (int x = 0; x < form->ScopeArea->width(); ++x)
        n += (shot.pixel(area.x() + x, area.y() + y) & 0xFFFFFFu) == colour;
    return n;
  };
  EXPECT_GT(colourCount(0xFF0000u), 100) << "channel 0 in red";
  EXPECT_GT(colourCount(0x00FF00u), 100) << "channel 1 in lime";
  EXPECT_EQ(shot.pixel(area.x(), area.y() + 10) & 0xFFFFFFu, 0x008000u) << "green frame";
  // The window's scope shows no toolbars, even under the mouse.
  EXPECT_FALSE(form->Scope->GetToolBar()->GetVisible());
  EXPECT_FALSE(form->Scope->GetXAxis()->GetToolBar()->GetVisible());
  EXPECT_FALSE(form->Scope->GetYAxis()->GetToolBar()->GetVisible());
  // The README shows this picture.
  std::filesystem::create_directories(SONVELT_DOCS_DIR);
  EXPECT_TRUE(shot.save(SONVELT_DOCS_DIR "/main-window-recording.png"));
}

} // namespace

namespace {

class TWorkFileTest : public TWorkFolderTest {
protected:
  void SetUp() override {
    TWorkFolderTest::SetUp();
    if (HasFatalFailure())
      return;
    std::ofstream(workFile) << "RIFF take of the running copy";
  }
  void TearDown() override {
    TWorkFolderTest::TearDown();
    gui::Application().SetTitle("Sonvelt");
  }
  static std::string Contents(const std::string &path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
};

TEST_F(TWorkFileTest, TheFirstCopyDeletesALeftoverWorkingFileASecondCopyLeavesItAlone) {
  gui::TInstanceLock running(TOneInstance::MutexName(), locks.path().toStdString());
  ASSERT_TRUE(running.TryAcquire());
  {
    TOwnedPtr<TMainForm> second(CreateObject<TMainForm>(nullptr, nullptr));
    EXPECT_EQ(second->GetWorkFileName(), workFile);
    EXPECT_FALSE(second->OneInstance->LockOwner());
    EXPECT_TRUE(gui::Application().Terminated());
  }
  EXPECT_EQ(Contents(workFile), "RIFF take of the running copy");
  running.Release();
  gui::Application().ResetTerminated();

  TOwnedPtr<TMainForm> first(CreateObject<TMainForm>(nullptr, nullptr));
  EXPECT_TRUE(first->OneInstance->LockOwner());
  EXPECT_FALSE(std::filesystem::exists(workFile));
}

TEST_F(TWorkFileTest, WithoutAFolderSetTheWorkingFileSitsBesideTheProgram) {
  TMainForm::SetWorkFolder("");
  TOwnedPtr<TMainForm> form(CreateObject<TMainForm>(nullptr, nullptr));
  std::string exe = gui::Application().ExeName();
  EXPECT_EQ(form->GetWorkFileName(), exe.substr(0, exe.find_last_of('/') + 1) + "TmpDataFile~.wav");
}

} // namespace

namespace {

TEST_F(TMainFormTest, MicrophonesAreCountedByTheirNamesPrefixes) {
  struct TCase {
    std::vector<std::string> Names;
    int Count;
    const char *Shown;
  };
  const TCase cases[] = {
      {{}, 0, "No USB Microphone"},
      {{"HDA Intel PCH", "usb audio codec"}, 0, "No USB Microphone"},
      {{"USB Audio CODEC "}, 1, "USB Audio CODEC"},
      {{"Velmora USB Mic 2", "HDA Intel PCH"}, 1, "Velmora USB"},
      {{"Velmora USB", "USB Audio CODEC 2"}, 2, "USB Audio CODEC"},
      {{"USB Audio CODEC ", "USB Audio CODEC "}, 2, "USB Audio CODEC"},
  };
  for (const TCase &c : cases) {
    audio.Devices = c.Names;
    EXPECT_EQ(form->DetectMicrophones(), c.Count > 0);
    EXPECT_EQ(form->DeviceCount(), c.Count);
    ASSERT_EQ(form->InputBox->count(), 1);
    EXPECT_EQ(form->InputBox->itemText(0).toStdString(), c.Shown);
  }
}

TEST_F(TMainFormTest, PluggingAMicrophoneInEnablesRecordAtTheNextPoll) {
  Idle();
  EXPECT_FALSE(form->RecordAction->Enabled());
  audio.Devices = {"USB Audio CODEC "};
  ASSERT_EQ(timers.FirePeriod(1000), 1) << "the one-second device poll";
  Idle();
  EXPECT_TRUE(form->RecordAction->Enabled());
  audio.Devices = {"USB Audio CODEC ", "Velmora USB"};
  timers.FirePeriod(1000);
  Idle();
  EXPECT_TRUE(form->Stereo2micRadioButton->isEnabled());
  audio.Devices.clear();
  timers.FirePeriod(1000);
  Idle();
  EXPECT_FALSE(form->RecordAction->Enabled());
}

TEST_F(TMainFormTest, DataFromAnotherThreadKeepsTheWatchdogAwayDuringATake) {
  Access(*form).SetState(TRecorderState::Recording);
  form->WatchdogTimer->SetEnabled(true);
  sys::TTimerId armed = 0;
  for (sys::TTimerId id : timers.Running())
    if (timers.Period(id) == 5000)
      armed = id;
  ASSERT_NE(armed, 0u);
  std::thread notify([&] {
    for (int i = 0; i < 50; ++i)
      form->RearmWatchdog();
  });
  notify.join();
  EXPECT_LE(mainloop::TMainLoop::Main().RunPending(), 50u);
  EXPECT_FALSE(timers.Fire(armed)) << "the count started again";
  EXPECT_TRUE(form->WatchdogTimer->Running());
  EXPECT_TRUE(dialogs.Shown().empty());
}

// A buffer every 21 ms (1024 frames at 48 kHz) does not wake the main thread
// each time: within a quarter second the watchdog is re-armed once.
TEST_F(TMainFormTest, BuffersInQuickSuccessionRearmTheWatchdogOnce) {
  Access(*form).SetState(TRecorderState::Recording);
  form->WatchdogTimer->SetEnabled(true);
  size_t handOvers = 0;
  for (int i = 0; i < 5; ++i) {
    std::thread notify([&] { form->RearmWatchdog(); });
    notify.join();
    handOvers += mainloop::TMainLoop::Main().RunPending();
  }
  EXPECT_EQ(handOvers, 1u);
  EXPECT_TRUE(form->WatchdogTimer->Running());
  // A quarter second on, the next buffer re-arms again.
  std::this_thread::sleep_for(std::chrono::milliseconds(TMainForm::RearmSpacingMs + 10));
  std::thread notify([&] { form->RearmWatchdog(); });
  notify.join();
  EXPECT_EQ(mainloop::TMainLoop::Main().RunPending(), 1u);
}

TEST_F(TMainFormTest, FiveSecondsWithoutDataEndTheTakeAndTellTheUser) {
  Access(*form).SetState(TRecorderState::Recording);
  audio.Duration = 2 * 10000000LL;
  form->WatchdogTimer->SetEnabled(true);
  ASSERT_EQ(timers.FirePeriod(5000), 1);
  EXPECT_EQ(form->State(), TRecorderState::Idle);
  EXPECT_EQ(audio.Stops, 1);
  EXPECT_EQ(form->RecordLength(), 2 * 10000000LL) << "the take so far is kept and measured";
  EXPECT_FALSE(form->WatchdogTimer->Enabled());
  EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{"The microphone was disconnected."});

  // A buffer that was on its way arrives after the stop.
  form->RearmWatchdog();
  mainloop::TMainLoop::Main().RunPending();
  EXPECT_FALSE(form->WatchdogTimer->Enabled());
  EXPECT_EQ(timers.FirePeriod(5000), 0) << "no second message on the idle window";
}

} // namespace

namespace {

class TSaveTest : public TWorkFileTest {
protected:
  void SetUp() override {
    TWorkFileTest::SetUp();
    form.reset(CreateObject<TMainForm>(nullptr, nullptr));
    std::ofstream(workFile, std::ios::binary) << std::string("RIFF\0\0\0\0WAVEtake", 16);
    Access(*form).SetHasNewRecording(true).SetDeleteWorkFileOnClose(true);
  }
  void TearDown() override {
    form.reset();
    TWorkFileTest::TearDown();
  }
  std::string Target(const char *name) const { return work.path().toStdString() + "/" + name; }
  TOwnedPtr<TMainForm> form;
};

TEST_F(TSaveTest, ThePromptsAnswersDecideWhatHappens) {
  struct TCase {
    const char *Name;
    TModalResult Answer;
    bool GiveFile;
    bool Result;
    int SaveAnswer;
  };
  const TCase cases[] = {
      {"cancel", mrCancel, false, false, 1},
      {"no", mrNo, false, false, 0},
      {"yes, dialog cancelled", mrYes, false, false, 1},
      {"yes, saved", mrYes, true, true, 2},
  };
  for (const TCase &c : cases) {
    SCOPED_TRACE(c.Name);
    TScriptedDialogs script;
    script.Answer(c.Answer);
    if (c.Answer == mrYes)
      script.AnswerFile(c.GiveFile ? std::optional<std::string>(Target("take")) : std::nullopt);
    EXPECT_EQ(form->AskSaveRecording(), c.Result);
    EXPECT_EQ(form->SaveAnswer(), c.SaveAnswer);
    ASSERT_GE(script.Shown().size(), 1u);
    EXPECT_EQ(script.Shown()[0].Text, "There is a new recorder file.\nWould you like to save it?");
    EXPECT_EQ(script.Shown()[0].Type, mtWarning);
    EXPECT_EQ(script.Shown()[0].Buttons, MsgDlgButtons({mbYes, mbNo, mbCancel}));
    EXPECT_EQ(script.UnusedAnswers(), 0u);
  }
  // The saved take is a byte-identical copy under the default extension.
  EXPECT_EQ(Contents(Target("take.wav")), Contents(workFile));
  EXPECT_EQ(form->FileName(), Target("take.wav"));
  EXPECT_EQ(form->Caption(), "Sonvelt  - [take.wav]");
  EXPECT_FALSE(form->HasNewRecording());
  EXPECT_FALSE(form->DeleteWorkFileOnClose());
  EXPECT_TRUE(std::filesystem::exists(workFile)) << "the take stays in the working file";
}

TEST_F(TSaveTest, SavingOverAnExistingFileReplacesIt) {
  std::ofstream(Target("old.wav")) << "an older take";
  EXPECT_TRUE(form->SaveToFile(Target("old.wav")));
  EXPECT_EQ(Contents(Target("old.wav")), Contents(workFile));
  EXPECT_FALSE(std::filesystem::exists(Target("old.wav.saving~")));
}

TEST_F(TSaveTest, SavingOntoTheWorkingFileIsRefusedAndKeepsTheTake) {
  std::string before = Contents(workFile);
  EXPECT_FALSE(form->SaveToFile(work.path().toStdString() + "/./TmpDataFile~.wav"));
  EXPECT_EQ(Contents(workFile), before);
  EXPECT_EQ(dialogs.Texts(),
            std::vector<std::string>{"Can not save to : " + work.path().toStdString() +
                                     "/./TmpDataFile~.wav"});
  EXPECT_TRUE(form->HasNewRecording());
}

TEST_F(TSaveTest, AFailedSaveNeverDestroysTheUsersFile) {
  std::ofstream(Target("mine.wav")) << "the user's own recording";
  std::filesystem::remove(workFile); // nothing to copy
  EXPECT_FALSE(form->SaveToFile(Target("mine.wav")));
  EXPECT_EQ(Contents(Target("mine.wav")), "the user's own recording");
  EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{"Can not save to : " + Target("mine.wav") +
                                                      "\nNo such file or directory"});
  EXPECT_EQ(form->FileName(), "");
  EXPECT_TRUE(form->HasNewRecording());

  dialogs.OnShow = nullptr;
  std::ofstream(workFile) << "take";
  EXPECT_FALSE(form->SaveToFile(Target("no/such/folder/x.wav")));
  EXPECT_EQ(dialogs.Texts().back(),
            "Can not save to : " + Target("no/such/folder/x.wav") + "\nNo such file or directory");
}

TEST_F(TSaveTest, ATargetThatCannotBeReplacedIsNamed) {
  std::filesystem::create_directory(Target("folder.wav"));
  EXPECT_FALSE(form->SaveToFile(Target("folder.wav")));
  EXPECT_EQ(dialogs.Texts(),
            std::vector<std::string>{Target("folder.wav") + " - exists and can not be deleted !"});
}

} // namespace

namespace {

TEST_F(TSaveTest, ClosingDuringATakeStopsItFirstAndCancelKeepsTheWindow) {
  TFakeAudio audio;
  form->SetAudio(&audio);
  form->Show();
  Access(*form).SetState(TRecorderState::Recording);
  dialogs.Answer(mrCancel);
  int stopsWhenAsked = -1;
  dialogs.OnShow = [&](const TMessageDialog &) { stopsWhenAsked = audio.Stops; };
  EXPECT_FALSE(form->Close());
  EXPECT_EQ(stopsWhenAsked, 1) << "the take stopped before the prompt";
  EXPECT_EQ(form->State(), TRecorderState::Idle);
  EXPECT_TRUE(form->Visible());
  EXPECT_TRUE(std::filesystem::exists(workFile));
  form->SetAudio(nullptr);
}

TEST_F(TSaveTest, ClosingAfterAnUnsavedTakeDeletesTheWorkingFileAfterASaveKeepsIt) {
  form->Show();
  dialogs.Answer(mrNo);
  EXPECT_TRUE(form->Close());
  EXPECT_FALSE(std::filesystem::exists(workFile));

  std::ofstream(workFile) << "take";
  Access(*form).SetHasNewRecording(true).SetDeleteWorkFileOnClose(true);
  form->Show();
  dialogs.Answer(mrYes);
  dialogs.AnswerFile(Target("kept.wav"));
  EXPECT_TRUE(form->Close());
  EXPECT_TRUE(std::filesystem::exists(workFile)) << "a saved take's working file stays";
  EXPECT_EQ(Contents(Target("kept.wav")), "take");
}

} // namespace

namespace {

// A WAV file's bytes: a RIFF header, a 16-byte PCM format record and a data
// chunk; riff and data override the sizes the header gives (0: the true ones).
std::string WaveBytes(uint16_t channels, uint32_t frames, uint32_t riff = 0, uint32_t data = 0) {
  auto le32 = [](uint32_t v) {
    return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
  };
  auto le16 = [](uint16_t v) { return std::string{char(v), char(v >> 8)}; };
  const uint32_t bytes = frames * 2 * (channels ? channels : 1);
  std::string fmt = le16(1) + le16(channels) + le32(44100) + le32(44100 * 2 * channels) +
                    le16(uint16_t(2 * channels)) + le16(16);
  std::string body = "WAVEfmt " + le32(16) + fmt + "data" + le32(data ? data : bytes);
  body += std::string(bytes, '\x11');
  return "RIFF" + le32(riff ? riff : uint32_t(body.size())) + body;
}

TEST_F(TSaveTest, OpeningABrokenWaveFileSaysSoAndLeavesEverythingAsItWas) {
  const std::string earlier = Target("earlier.wav");
  Access(*form).SetHasNewRecording(false);
  Access(*form).SetFileName(earlier);
  form->SetCaption("Sonvelt  - [earlier.wav]");
  const std::string before = Contents(workFile);
  const std::string good = WaveBytes(1, 100);
  struct TCase {
    const char *Name;
    std::string Bytes;
    const char *Why;
  };
  const TCase cases[] = {
      {"empty file", "", "The file is empty."},
      {"text, not RIFF", "just some notes, not audio at all, long enough for a header",
       "The file is not a RIFF WAVE file."},
      {"RIFF but not WAVE", "RIFF" + good.substr(4, 4) + "AVI " + good.substr(12),
       "The file is not a RIFF WAVE file."},
      {"header cut in the format record", good.substr(0, 30),
       "The wave format record passes the end of the file."},
      {"header cut before the data chunk", good.substr(0, 36), "The WAV file has no data chunk."},
      {"zero channels", WaveBytes(0, 100), "The wave format has no channels."},
      {"no data, bogus sizes", WaveBytes(1, 0, 0xFFFFFFF0u, 0x7FFFFFF0u),
       "The file holds no audio."},
      {"empty data chunk", WaveBytes(1, 0), "The file holds no audio."},
  };
  for (const TCase &c : cases) {
    SCOPED_TRACE(c.Name);
    const std::string path = Target("broken.wav");
    std::ofstream(path, std::ios::binary | std::ios::trunc) << c.Bytes;
    TScriptedDialogs script;
    script.AnswerFile(path);
    form->FileOpenActionExecute(form.get());
    EXPECT_EQ(script.Texts(), std::vector<std::string>{"Can not open : " + path + "\n" + c.Why});
    EXPECT_EQ(Contents(workFile), before) << "the working file is untouched";
    EXPECT_FALSE(std::filesystem::exists(workFile + ".part"));
    EXPECT_EQ(form->FileName(), earlier);
    EXPECT_EQ(form->Caption(), "Sonvelt  - [earlier.wav]");
  }

  // A sound file opens over the same working file.
  std::ofstream(Target("good.wav"), std::ios::binary) << good;
  dialogs.AnswerFile(Target("good.wav"));
  form->FileOpenActionExecute(form.get());
  EXPECT_TRUE(dialogs.Texts().empty());
  ASSERT_EQ(dialogs.FileDialogs().size(), 1u);
  EXPECT_EQ(dialogs.FileDialogs()[0].Kind, fdOpen);
  EXPECT_EQ(dialogs.FileDialogs()[0].Filter, "Wave Files(*.wav)|*.wav|All Files(*.*)|*.*");
  EXPECT_EQ(dialogs.FileDialogs()[0].DefaultExt, "wav");
  EXPECT_EQ(form->FileOpenDialog->FileName(), Target("good.wav"));
  EXPECT_EQ(Contents(workFile), good);
  EXPECT_EQ(form->FileName(), Target("good.wav"));
  EXPECT_EQ(form->Caption(), "Sonvelt  - [good.wav]");
}

} // namespace

namespace {

TEST_F(TMainFormTest, TheMenusActionsBelongToTheActionManager) {
  EXPECT_EQ(form->ActionManager1->ClassInfo().ClassName(), "TActionManager");
  for (gui::TAction *a : {form->New, form->FileOpenAction, form->FileSaveAction,
                          form->FileSaveAsAction, form->FileExit1, form->About})
    EXPECT_EQ(a->ActionList(), form->ActionManager1) << a->Name();
  EXPECT_EQ(form->RecordAction->ActionList(), form->ActionList1);
}

// A press moves the thumb to the pressed point: 4 pixels left of the press,
// measured from the channel's left end over its length less half a thumb.
TEST_F(TMainFormTest, APressOnTheTrackBarMovesTheThumbThere) {
  form->Show();
  form->TrackBar->setEnabled(true);
  const QRect groove = form->TrackBar->ChannelRect();
  const int left = groove.left(), right = groove.right() + 1;
  const int width = (right - left) - form->TrackBar->ThumbLength() / 2;
  ASSERT_GT(width, 0);
  struct TCase {
    const char *Name;
    int PressX;
    int Position;
  };
  const int mid = left + 4 + width / 2;
  const TCase cases[] = {
      {"left of the channel", left - 10, 0},         {"at the channel's start", left + 4, 0},
      {"halfway", mid, 10000 * (width / 2) / width}, {"past the right end", right + 50, 10000},
      {"a negative 16-bit x", 65536 - 20, 0},
  };
  for (const TCase &c : cases) {
    SCOPED_TRACE(c.Name);
    form->TrackBar->SetPosition(1234);
    form->TrackBarMouseDown(c.PressX);
    EXPECT_EQ(form->TrackBar->Position(), c.Position);
  }
}

} // namespace
