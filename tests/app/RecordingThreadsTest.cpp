// The main window with its own audio components on a virtual "USB Audio
// CODEC": a take written into the working file equals the microphone's
// samples, Save As copies it byte for byte, and a take whose data stops is
// ended by the watchdog with its message.
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QWidget>
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "app/MainUnit.h"
#include "app/RecorderAudio.h"
#include "platform/classlib/Dialogs.h"
#include "platform/gui/Application.h"
#include "platform/gui/Control.h"
#include "platform/mainloop/MainLoop.h"
#include "platform/media/Media.h"
#include "platform/media/VirtualAudio.h"
#include "scope/SLScopeControl.h"
#include "tests/app/MainFormTestAccess.h"
#include "tests/app/RecordingFixture.h"
#include "tests/support/FrameworkEnvironment.h"
#include "tests/support/Wait.h"
#include "tests/support/WavOracle.h"

namespace {

using namespace media;
using recordingtest::Bytes;
using recordingtest::Pattern;
using recordingtest::TRecordingTest;

TEST_F(TRecordingTest, ATakeIsTheMicrophonesSamplesAndSaveAsCopiesItByteForByte) {
  EXPECT_EQ(form->InputBox->currentText(), "USB Audio CODEC");
  gui::Application().DoIdle();
  EXPECT_TRUE(form->RecordAction->Enabled());
  Take(5);
  EXPECT_EQ(form->Caption(), "Sonvelt  - [NewFile]");
  gui::Application().DoIdle();
  EXPECT_EQ(form->StatusText(), "RECORD");
  form->StopAction->Execute();
  mainloop::TMainLoop::Main().RunPending();
  EXPECT_EQ(form->State(), TRecorderState::Idle);
  EXPECT_TRUE(form->HasNewRecording());
  EXPECT_EQ(form->RecordLength(), 5 * 1024 * 10000000LL / 44100);
  const std::string work = form->GetWorkFileName();
  auto read = wavoracle::ReadWithSndfile(work);
  ASSERT_TRUE(read.Opened) << read.Error;
  EXPECT_EQ(read.Channels, 1);
  EXPECT_EQ(read.Rate, 44100);
  ASSERT_EQ(read.Frames, 5 * 1024);
  EXPECT_EQ(std::memcmp(read.Samples.data(), mic->Spec().Bytes.data(), 5 * 1024 * 2), 0);

  const std::string target = folder.filePath("take.wav").toStdString();
  dialogs.AnswerFile(target);
  gui::Application().DoIdle();
  form->FileSaveAsAction->Execute();
  EXPECT_EQ(Bytes(target), Bytes(work));
  EXPECT_EQ(form->Caption(), "Sonvelt  - [take.wav]");
  EXPECT_FALSE(form->HasNewRecording());
  EXPECT_EQ(wavoracle::SoxProblems(target), "");
}

TEST_F(TRecordingTest, RecordingOverTheTakeKeepsItsHeadAndTail) {
  Take(8);
  form->StopAction->Execute();
  mainloop::TMainLoop::Main().RunPending();
  // The thumb at a quarter: the new audio (the virtual microphone starts its
  // bytes again for each stream) replaces blocks 2 and 3 only.
  form->TrackBar->SetPosition(form->TrackBar->Max() / 4);
  Take(2);
  form->StopAction->Execute();
  mainloop::TMainLoop::Main().RunPending();
  auto read = wavoracle::ReadWithSndfile(form->GetWorkFileName());
  ASSERT_TRUE(read.Opened) << read.Error;
  ASSERT_EQ(read.Frames, 8 * 1024);
  const uint8_t *src = mic->Spec().Bytes.data();
  const uint8_t *got = reinterpret_cast<const uint8_t *>(read.Samples.data());
  EXPECT_EQ(std::memcmp(got, src, 2 * 1024 * 2), 0) << "head";
  EXPECT_EQ(std::memcmp(got + 2 * 1024 * 2, src, 2 * 1024 * 2), 0) << "new";
  EXPECT_EQ(std::memcmp(got + 4 * 1024 * 2, src + 4 * 1024 * 2, 4 * 1024 * 2), 0) << "tail";
}

TEST_F(TRecordingTest, AnUnpluggedMicrophoneEndsTheTakeThroughTheWatchdog) {
  Take(3);
  mic->Unplug();
  mainloop::TMainLoop::Main().RunPending();
  EXPECT_EQ(timers.FirePeriod(5000), 1);
  EXPECT_EQ(form->State(), TRecorderState::Idle);
  ASSERT_FALSE(dialogs.Texts().empty());
  EXPECT_EQ(dialogs.Texts().back(), "The microphone was disconnected.");
  auto read = wavoracle::ReadWithSndfile(form->GetWorkFileName());
  ASSERT_TRUE(read.Opened) << read.Error;
  EXPECT_EQ(read.Frames, 3 * 1024);
  EXPECT_GT(form->RecordLength(), 0);
}

} // namespace

namespace {

// The take's buffers come faster than a person reads the time boxes; what
// they show once the take is stopped is its exact end.
TEST_F(TRecordingTest, AfterStopTheTimeBoxesShowTheTakesExactEnd) {
  Take(40);
  form->StopAction->Execute();
  ASSERT_TRUE(PumpUntil([&] { return mainloop::TMainLoop::Main().PendingCount() == 0; }));
  const int64_t end = 40 * 1024 * 10000000LL / 44100;
  EXPECT_EQ(form->Position->text().toStdString(), TMainForm::FormatTime(end));
  EXPECT_EQ(form->RecLen->text().toStdString(), TMainForm::FormatTime(end));
}

TEST_F(TRecordingTest, WithoutAnOutputDeviceStopStillEndsAndMeasuresTheTake) {
  for (auto &d : TVirtualAudio::Devices(false))
    TVirtualAudio::Remove(d);
  Take(2);
  form->StopAction->Execute();
  mainloop::TMainLoop::Main().RunPending();
  EXPECT_EQ(form->State(), TRecorderState::Idle);
  EXPECT_EQ(form->RecordLength(), 2 * 1024 * 10000000LL / 44100);
}

} // namespace

namespace {

TEST_F(TRecordingTest, ABusyMicrophoneShowsTheErrorAndLeavesTheWindowIdle) {
  mic->SetBusy(true);
  EXPECT_ANY_THROW(form->RecordActionExecute(form.get()));
  EXPECT_EQ(form->State(), TRecorderState::Idle);
  EXPECT_FALSE(form->WatchdogTimer->Enabled());
  EXPECT_FALSE(form->HasNewRecording());
  mic->SetBusy(false);
  Take(1);
  EXPECT_EQ(form->State(), TRecorderState::Recording);
}

} // namespace

namespace {

TEST_F(TRecordingTest, MarksInEitherOrderGiveOneSelectionAndTheSameMarkNone) {
  Take(4);
  form->StopAction->Execute();
  mainloop::TMainLoop::Main().RunPending();
  const int64_t samples = c->AudioPlayer->GetSamplesCount();
  ASSERT_EQ(samples, 4 * 1024);
  for (auto [first, second] : {std::pair{2500, 7500}, std::pair{7500, 2500}}) {
    form->ClearMarkActionExecute(form.get());
    form->TrackBar->SetPosition(first);
    form->MarkActionExecute(form.get());
    form->MarkActionExecute(form.get()); // the same place: no selection
    EXPECT_EQ(form->MarkState(), 1);
    form->TrackBar->SetPosition(second);
    form->MarkActionExecute(form.get());
    EXPECT_EQ(form->MarkState(), 2);
    EXPECT_EQ(form->TrackBar->SelStart(), 2500);
    EXPECT_EQ(form->TrackBar->SelEnd(), 7500);
    EXPECT_EQ(c->AudioPlayer->GetPlaySegment()->GetStartSample(), samples / 4);
    EXPECT_EQ(c->AudioPlayer->GetPlaySegment()->GetStopSample(), samples * 3 / 4);
  }
  form->ClearMarkActionExecute(form.get());
  EXPECT_EQ(form->MarkState(), 0);
  EXPECT_EQ(form->TrackBar->SelEnd(), 0);
  EXPECT_FALSE(c->AudioPlayer->GetPlaySegment()->GetEnabled());
}

} // namespace

namespace {

// A mark taken while playing counts samples of the take, one at rest counts
// steps of the thumb: each is converted with its own scale.
TEST_F(TRecordingTest, EachMarkIsConvertedWithItsOwnScale) {
  Take(4);
  form->StopAction->Execute();
  mainloop::TMainLoop::Main().RunPending();
  form->PlayAction->Execute();
  ASSERT_EQ(form->State(), TRecorderState::Playing);
  c->AudioPlayer->Pause();
  c->AudioPlayer->SetCurrentSample(1024);
  form->MarkActionExecute(form.get()); // Mark Begin at sample 1024 of 4096
  form->StopAction->Execute();
  mainloop::TMainLoop::Main().RunPending();
  ASSERT_EQ(form->State(), TRecorderState::Idle);
  form->TrackBar->SetPosition(7500);
  form->MarkActionExecute(form.get()); // Mark End at step 7500 of 10000
  EXPECT_EQ(form->MarkState(), 2);
  EXPECT_EQ(form->TrackBar->SelStart(), 2500);
  EXPECT_EQ(form->TrackBar->SelEnd(), 7500);
  EXPECT_EQ(c->AudioPlayer->GetPlaySegment()->GetStartSample(), 1024);
  EXPECT_EQ(c->AudioPlayer->GetPlaySegment()->GetStopSample(), 3072);
}

// Play with the thumb one step before the end starts again from the beginning.
TEST_F(TRecordingTest, PlayWithTheThumbOneStepBeforeTheEndStartsFromTheBeginning) {
  Take(4);
  form->StopAction->Execute();
  mainloop::TMainLoop::Main().RunPending();
  auto output = std::dynamic_pointer_cast<TVirtualRenderDevice>(TVirtualAudio::Devices(false)[0]);
  ASSERT_NE(output, nullptr);
  form->TrackBar->SetPosition(form->TrackBar->Max() - 1);
  form->PlayAction->Execute();
  EXPECT_EQ(form->TrackBar->Position(), 0);
  ASSERT_TRUE(output->WaitRecorded(1024 * 2, EventuallyDeadline)) << "a first buffer is played";
  const std::vector<uint8_t> played = output->Recorded();
  const std::vector<uint8_t> &take = mic->Spec().Bytes;
  EXPECT_TRUE(std::equal(take.begin(), take.begin() + 1024 * 2, played.begin()))
      << "from the take's first sample";
}

} // namespace

namespace {

TEST_F(TRecordingTest, OpenCopiesTheFileInAndNewEmptiesTheWindow) {
  Take(3);
  form->StopAction->Execute();
  mainloop::TMainLoop::Main().RunPending();
  const std::string saved = folder.filePath("first.wav").toStdString();
  dialogs.Answer(mrYes); // save the new take first
  dialogs.AnswerFile(saved);
  dialogs.AnswerFile(saved); // then open it
  form->FileOpenActionExecute(form.get());
  EXPECT_EQ(form->Caption(), "Sonvelt  - [first.wav]");
  EXPECT_EQ(Bytes(form->GetWorkFileName()), Bytes(saved));
  EXPECT_TRUE(form->FileLoaded());
  EXPECT_TRUE(form->LoadedIs44k16());
  EXPECT_FALSE(form->LoadedStereo());
  EXPECT_EQ(form->RecordLength(), 3 * 1024 * 10000000LL / 44100);

  form->NewExecute(form.get());
  EXPECT_FALSE(std::filesystem::exists(form->GetWorkFileName()));
  EXPECT_EQ(form->Caption(), "Sonvelt ");
  EXPECT_TRUE(c->AudioPlayer->GetFileName().empty());
  EXPECT_EQ(form->RecordLength(), 0);
  EXPECT_TRUE(std::filesystem::exists(saved));
}

} // namespace

namespace {

// An opened 44.1 kHz file cannot take a 48 kHz recording over it: Record asks
// to save it first, and Cancel leaves everything as it was.
TEST_F(TRecordingTest, RecordingAt48kOverAnOpened44kFileAsksToSaveItFirst) {
  Take(3);
  form->StopAction->Execute();
  mainloop::TMainLoop::Main().RunPending();
  const std::string saved = folder.filePath("mono44.wav").toStdString();
  dialogs.Answer(mrYes);
  dialogs.AnswerFile(saved);
  dialogs.AnswerFile(saved);
  form->FileOpenActionExecute(form.get());
  ASSERT_TRUE(form->FileLoaded());
  ASSERT_FALSE(form->HasNewRecording());
  const std::string work = form->GetWorkFileName();
  const std::string before = Bytes(work);
  ASSERT_EQ(before, Bytes(saved));
  form->AudioFormatComboBox->setCurrentIndex(1);
  ASSERT_EQ(form->AudioFormatComboBox->currentText(), "PCM 48 kHz 16 bit");
  const size_t shown = dialogs.Texts().size();
  dialogs.Answer(mrCancel);
  form->RecordAction->Execute();
  ASSERT_EQ(dialogs.Texts().size(), shown + 1) << "Record asks first";
  EXPECT_EQ(dialogs.Texts().back(), "There is a new recorder file.\nWould you like to save it?");
  EXPECT_EQ(form->State(), TRecorderState::Idle);
  mainloop::TMainLoop::Main().RunPending();
  EXPECT_EQ(Bytes(work), before);
}

} // namespace

namespace {

std::vector<uint8_t> OtherPattern(size_t bytes) {
  std::vector<uint8_t> b(bytes);
  for (size_t i = 0; i < bytes; ++i)
    b[i] = uint8_t((i * 37 + (i >> 9) * 11 + 5) & 0xFF);
  return b;
}

std::shared_ptr<TVirtualCaptureDevice> AddMicrophone(const std::string &name,
                                                     std::vector<uint8_t> bytes) {
  TVirtualCaptureSpec spec;
  spec.FriendlyName = name;
  spec.Source = TVirtualSource::Bytes;
  spec.Bytes = std::move(bytes);
  spec.Loop = false;
  spec.Pacing = TVirtualPacing::Manual;
  return TVirtualAudio::AddCapture(spec);
}

// Two microphones, each on its own capture thread, merged into one take:
// the left channel is the first microphone, the right one the second.
TEST_F(TRecordingTest, TwoMicrophonesGiveOneStereoTakeWithAChannelEach) {
  auto second = AddMicrophone("Velmora USB", OtherPattern(1024 * 2 * 64));
  ASSERT_EQ(timers.FirePeriod(1000), 1);
  gui::Application().DoIdle();
  ASSERT_EQ(form->DeviceCount(), 2);
  ASSERT_TRUE(form->Stereo2micRadioButton->isEnabled());
  form->Stereo2micRadioButton->setChecked(true);
  form->RecordAction->Execute();
  ASSERT_EQ(form->State(), TRecorderState::Recording);
  ASSERT_NE(c->FMerger, nullptr);
  ASSERT_NE(c->FAudioIn2, nullptr);
  const int blocks = 6;
  for (int k = 1; k <= blocks; ++k) {
    mic->ReleaseFrames(1024);
    second->ReleaseFrames(1024);
    ASSERT_TRUE(PumpUntil([&] { return c->AudioLogger->Get_CurrentSample() == k * 1024; }));
  }
  EXPECT_EQ(c->AudioIn->GetAudioCaptureDevice()->GetVC_OpenedDeviceName(), "USB Audio CODEC ");
  EXPECT_EQ(c->FAudioIn2->GetAudioCaptureDevice()->GetVC_OpenedDeviceName(), "Velmora USB");
  form->StopAction->Execute();
  mainloop::TMainLoop::Main().RunPending();
  EXPECT_EQ(form->State(), TRecorderState::Idle);
  EXPECT_TRUE(form->RecordStereo());

  auto read = wavoracle::ReadWithSndfile(form->GetWorkFileName());
  ASSERT_TRUE(read.Opened) << read.Error;
  ASSERT_EQ(read.Channels, 2);
  EXPECT_EQ(read.Rate, 44100);
  ASSERT_EQ(read.Frames, blocks * 1024);
  const auto *left = reinterpret_cast<const int16_t *>(mic->Spec().Bytes.data());
  const auto *right = reinterpret_cast<const int16_t *>(second->Spec().Bytes.data());
  int wrong = 0;
  for (size_t f = 0; f < size_t(blocks) * 1024; ++f)
    if (read.Samples[2 * f] != left[f] || read.Samples[2 * f + 1] != right[f])
      ++wrong;
  EXPECT_EQ(wrong, 0) << "frames that differ from the two microphones";
  EXPECT_EQ(wavoracle::SoxProblems(form->GetWorkFileName()), "");
}

// Detection accepts either name: a take works with only the second kind of
// microphone plugged in.
TEST_F(TRecordingTest, ATakeWorksWithTheOtherKindOfMicrophoneAlone) {
  TVirtualAudio::Remove(mic);
  auto other = AddMicrophone("Velmora USB Mic", OtherPattern(1024 * 2 * 8));
  ASSERT_EQ(timers.FirePeriod(1000), 1);
  EXPECT_EQ(form->InputBox->currentText(), "Velmora USB");
  form->RecordAction->Execute();
  ASSERT_EQ(form->State(), TRecorderState::Recording);
  for (int k = 1; k <= 2; ++k) {
    other->ReleaseFrames(1024);
    ASSERT_TRUE(PumpUntil([&] { return c->AudioLogger->Get_CurrentSample() == k * 1024; }));
  }
  form->StopAction->Execute();
  mainloop::TMainLoop::Main().RunPending();
  auto read = wavoracle::ReadWithSndfile(form->GetWorkFileName());
  ASSERT_TRUE(read.Opened) << read.Error;
  ASSERT_EQ(read.Frames, 2 * 1024);
  EXPECT_EQ(std::memcmp(read.Samples.data(), other->Spec().Bytes.data(), 2 * 1024 * 2), 0);
}

} // namespace

namespace {

std::vector<std::string> SinkOwners(TOWSourcePin *source) {
  std::vector<std::string> names;
  for (int i = 0; i < source->GetSinkCount(); ++i) {
    TComponent *owner = source->GetSink(i)->GetOwnerComponent();
    names.push_back(owner ? owner->Name() : "?");
  }
  return names;
}

// The window's audio components come from its form resource: created,
// configured and linked there, idle until Record, and the scope converter's
// two outputs feeding the scope's two channels.
TEST_F(TRecordingTest, TheFormResourceCreatesAndLinksTheAudioComponents) {
  EXPECT_EQ(form->FindComponent("AudioIn"), c->AudioIn);
  ASSERT_NE(form->Scope, nullptr);
  EXPECT_EQ(form->FindComponent("Scope"), form->Scope);
  EXPECT_EQ(c->Scope, form->Scope);
  EXPECT_FALSE(c->AudioIn->GetEnabled()) << "no capture before Record";
  EXPECT_EQ(mic->OpenCount(), 0);
  EXPECT_EQ(c->AudioIn->GetAudioFormat()->GetChannels(), 1);
  EXPECT_EQ(c->AudioIn->GetAudioFormat()->GetSampleRate(), 44100);
  EXPECT_FALSE(c->AudioIn->GetGraph()->GetRegister());
  EXPECT_FALSE(c->AudioOutput->EnableMasterPumping);
  EXPECT_EQ(OWGetPendingCount(), 0) << "every link found its pin";

  // Which sink is served first is the framework's loading order; every one
  // of the five is served.
  std::vector<std::string> sinks = SinkOwners(c->AudioIn->GetOutputPin());
  std::sort(sinks.begin(), sinks.end());
  EXPECT_EQ(sinks, (std::vector<std::string>{"ALGenericFilter", "AudioLogger", "AudioToReal",
                                             "PPMMeter", "VUMeter"}));
  EXPECT_EQ(SinkOwners(c->AudioPlayer->GetOutputPin()),
            (std::vector<std::string>{"GenericFilterPlayer", "AudioOutput"}));
  TOWPinList *outputs = c->AudioToReal->GetOutputPins();
  ASSERT_EQ(outputs->GetCount(), 2);
  TSLScopeChannels *channels = form->Scope->GetChannels();
  ASSERT_EQ(channels->Count(), 2);
  for (int i = 0; i < outputs->GetCount(); ++i) {
    auto *pin = dynamic_cast<TOWSourcePin *>(outputs->GetPin(i));
    ASSERT_NE(pin, nullptr);
    ASSERT_EQ(pin->GetSinkCount(), 1) << "output " << i;
    EXPECT_EQ(pin->GetSink(0), channels->GetItem(i)->GetInputPin()) << "output " << i;
    EXPECT_EQ(channels->GetItem(i)->GetName(), "Channel" + std::to_string(i));
  }
  EXPECT_EQ(channels->GetItem(0)->GetColor(), clRed);
  EXPECT_EQ(channels->GetItem(1)->GetColor(), clLime);
  EXPECT_EQ(form->Scope->GetYAxis()->GetMin(), -32768);
  EXPECT_EQ(form->Scope->GetYAxis()->GetMax(), 32768);
  EXPECT_FALSE(form->Scope->GetYAxis()->GetAutoScaling()->GetEnabled());
  EXPECT_FALSE(form->Scope->GetXAxis()->GetVisible());
  EXPECT_FALSE(form->Scope->GetYAxis()->GetVisible());
  EXPECT_FALSE(form->Scope->GetTitle()->GetVisible());
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(channels->GetItem(i)->GetChannelMode(), cmLine);
    EXPECT_EQ(channels->GetItem(i)->GetShadeMode(), csmZero);
    EXPECT_FALSE(channels->GetItem(i)->GetPoints()->GetVisible());
  }
  TSLScopeYAxis *y = form->Scope->GetYAxis();
  EXPECT_EQ(y->GetAxisLabel()->GetText(), "Amplitude");
  EXPECT_TRUE(y->GetFixedPrecision());
  EXPECT_EQ(y->GetFont()->GetName(), "Arial");
  EXPECT_EQ(y->GetFont()->GetColor(), clWhite);
  TSLScopeXAxis *x = form->Scope->GetXAxis();
  EXPECT_EQ(x->GetTicksMode(), atmTime);
  EXPECT_EQ(x->GetMin()->GetValue(), 0);
  EXPECT_EQ(x->GetMax()->GetValue(), 1024);
  EXPECT_FALSE(form->Scope->GetTabStop());
  EXPECT_FALSE(form->Scope->GetZooming()->MouseZoom);
  EXPECT_FALSE(form->Scope->GetZooming()->HoldOnZoom);

  EXPECT_EQ(c->VUMeter->OnValueChange.MethodName, "VUMeterValueChange");
  EXPECT_EQ(c->PPMMeter->OnValueChange.MethodName, "PPMMeterValueChange");
  EXPECT_EQ(c->ALGenericFilter->OnProcessData.MethodName, "ALGenericFilterProcessData");
  EXPECT_EQ(c->GenericFilterPlayer->OnStart.MethodName, "GenericFilterPlayerStart");
  EXPECT_EQ(c->AudioLogger->OnProgress.MethodName, "AudioLoggerProgress");
  EXPECT_EQ(c->AudioLogger->OnError.MethodName, "AudioLoggerError");
  EXPECT_EQ(c->AudioPlayer->OnProgress.MethodName, "AudioPlayerProgress");
  EXPECT_EQ(c->AudioPlayer->OnStop.MethodName, "AudioPlayerStop");
  EXPECT_EQ(form->OnCloseQuery.MethodName, "FormCloseQuery");
  EXPECT_EQ(form->OnClose.MethodName, "FormClose");
  // The bound handlers reach the window: a meter value moves the bars.
  Access(*form).SetState(TRecorderState::Recording);
  c->VUMeter->OnValueChange(c->VUMeter, 0, 1200, 32767);
  EXPECT_EQ(form->ProgressBar1->Position(), 1200);
}

// During a stereo take the converter feeds the scope: after a refresh both
// channels draw the microphone's blocks, and the scope fills its area of
// the window; Stop clears it at the next idle pass.
TEST_F(TRecordingTest, TheScopeShowsTheTakeAndIsClearedWhenItEnds) {
  form->Show();
  ASSERT_TRUE(form->ScopeWidget->isVisible());
  EXPECT_EQ(form->ScopeWidget->size(), form->ScopeArea->size());
  EXPECT_EQ(form->Scope->GetWidth(), form->ScopeArea->width());
  // Stereo from the one microphone: the converter has two channels to hand
  // on (a mono take feeds channel 0 alone).
  form->Stereo1micRadioButton->setChecked(true);
  Take(3);
  TSLScopeChannels *channels = form->Scope->GetChannels();
  auto size = [&](int i) { return channels->GetItem(i)->GetVC_Data()->GetSize(); };
  ASSERT_TRUE(PumpUntil([&] { return size(0) > 0 && size(1) > 0; }));
  form->Scope->RefreshView();
  EXPECT_GT(channels->GetItem(0)->GetVC_Data()->GetDrawSize(), 0u);
  EXPECT_GT(channels->GetItem(1)->GetVC_Data()->GetDrawSize(), 0u);
  QImage shot = form->ScopeWidget->grab().toImage();
  bool red = false;
  for (int y = 0; y < shot.height() && !red; ++y)
    for (int x = 0; x < shot.width() && !red; ++x)
      red = (shot.pixel(x, y) & 0xFFFFFFu) == 0xFF0000u ||
            (shot.pixel(x, y) & 0xFFFFFFu) == 0x00FF00u;
  EXPECT_TRUE(red) << "a curve shows in the window";

  form->StopAction->Execute();
  mainloop::TMainLoop::Main().RunPending();
  gui::Application().DoIdle();
  EXPECT_EQ(size(0), 0u);
  EXPECT_EQ(size(1), 0u);
  form->Scope->RefreshView();
  EXPECT_EQ(channels->GetItem(0)->GetVC_Data()->GetDrawSize(), 0u);
  EXPECT_FALSE(c->ClearScopeChannels()) << "nothing is left to clear";
}

} // namespace
