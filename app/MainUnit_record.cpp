// The main window's recording, playback, marks and working-file handlers:
// everything that drives the window's own audio components.
#include "app/MainUnit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMainWindow>
#include <QRadioButton>
#include <algorithm>
#include <filesystem>
#include <system_error>

#include "app/RecorderAudio.h"
#include "audio/ALWavePlayer.h"
#include "platform/avifile/AviFile.h"
#include "platform/classlib/Dialogs.h"
#include "platform/gui/Application.h"
#include "platform/mainloop/MainLoop.h"

namespace fs = std::filesystem;

namespace {

// position x newScale / oldScale in signed 64 bits, product first, truncated
// toward zero; an empty old scale gives 0.
int64_t Rescale(int64_t position, int64_t newScale, int64_t oldScale) {
  if (oldScale == 0)
    return 0;
  return position * newScale / oldScale;
}

std::string FilePart(const std::string &path) { return fs::path(path).filename().string(); }

// Why path cannot be played and recorded over, or empty when it can: the
// player's own reader and codecs must take it, and it must hold at least one
// sample.
std::string WaveFileProblem(const std::string &path) {
  using namespace avifile;
  if (std::string why = TALWavePlayer::PlayProblem(path); !why.empty())
    return why;
  PAVIFILE file = nullptr;
  if (AVIFileOpen(&file, path.c_str(), OF_READ, nullptr) != AVIERR_OK)
    return "The file is not a readable WAV file.";
  PAVISTREAM stream = nullptr;
  std::string problem;
  if (AVIFileGetStream(file, &stream, streamtypeAUDIO, 0) != AVIERR_OK ||
      AVIStreamLength(stream) <= 0)
    problem = "The file holds no audio.";
  if (stream)
    AVIStreamRelease(stream);
  AVIFileRelease(file);
  return problem;
}

} // namespace

bool TMainForm::CheckWaveFile(const std::string &Source) {
  std::string problem = WaveFileProblem(Source);
  if (problem.empty())
    return true;
  ShowMessage("Can not open : " + Source + "\n" + problem);
  return false;
}

void TMainForm::HookComponents() {
  TRecorderAudio &c = *components_;
  // An output that can't start (device busy, gone, format refused) ends the
  // playback: the window goes back to idle once the failure's own handling
  // (its message) is over. The error is still raised as before.
  TDSErrorEvent outputFailed;
  outputFailed.Fn = [this](TObject *, const std::string &, int32_t, bool &) {
    if (rearmWindow_)
      mainloop::TMainLoop::Main().Post(rearmWindow_->Handle(), [this] {
        if (PlaybackRunning())
          StopAll();
      });
  };
  c.AudioOutput->GetGraph()->SetOnError(std::move(outputFailed));

  TrackBar->OnChange = [this] { TrackBarChange(this); };
  TrackBar->OnMouseDown = [this](int x, int) { TrackBarMouseDown(x); };
  TrackBar->OnMouseUp = [this](int, int) { TrackBarMouseUp(); };
  QObject::connect(SelectionCheckBox, &QCheckBox::toggled, Window(),
                   [this](bool) { gui::Guarded([this] { SelectionCheckBoxClick(this); }); });
  QObject::connect(LoopCheckBox, &QCheckBox::toggled, Window(),
                   [this](bool) { gui::Guarded([this] { LoopCheckBoxClick(this); }); });
}

int TMainForm::GetChannelMode() const {
  if (MonoRadioButton->isChecked())
    return 0;
  return Stereo1micRadioButton->isChecked() ? 1 : 2;
}

int TMainForm::GetSampleRate() const {
  int rate = AudioFormatComboBox->currentData().toInt();
  return rate > 0 ? rate : 44100;
}

TMainForm::TTakeFormat TMainForm::CompareTakeFormat() const {
  if (!FHasNewRecording && !FFileLoaded)
    return TTakeFormat::None;
  // Recording over the take keeps its format: only the same stereo setting
  // and the same rate (for an opened file, 44.1 kHz 16 bit) qualify.
  const bool sameFormat =
      FHasNewRecording
          ? IsStereoMode() == FRecordStereo && GetSampleRate() == FRecordRate
          : FLoadedIs44k16 && IsStereoMode() == FLoadedStereo && GetSampleRate() == 44100;
  return sameFormat ? TTakeFormat::Same : TTakeFormat::Other;
}

void TMainForm::RecordActionExecute(TObject *) {
  if (!DetectMicrophones()) {
    MessageBox("No USB Microphone Connected", "Error", MB_OK);
    return;
  }
  if (!components_)
    return;
  TRecorderAudio &c = *components_;
  const TTakeFormat format = CompareTakeFormat();
  const bool over = format == TTakeFormat::Same;
  if (format == TTakeFormat::Other) {
    if (!AskSaveRecording())
      return;
    std::error_code ignored;
    fs::remove(GetWorkFileName(), ignored);
    // A take in another format is a new file: Save must not put it over the
    // file the old take was saved to or opened from.
    FFileName.clear();
    FFileLoaded = false;
    FHasNewRecording = false;
  }
  c.AudioLogger->FileMode = fmOverride;
  c.AudioLogger->Set_CurrentSample(
      over ? Rescale(TrackBar->Position(), c.AudioPlayer->GetSamplesCount(), TrackBar->Max()) : 0);
  EnterRecording();
  if (FFileName.empty())
    SetCaption(CaptionPrefix + " - [NewFile]");
  FRecordStereo = IsStereoMode();
  FRecordRate = GetSampleRate();
  int mode = GetChannelMode();
  c.AudioIn->GetAudioFormat()->SetChannels(mode == 1 ? 2 : 1);
  // Any detected microphone will do: the capture component keeps its device
  // while that is among them, else takes the first one found.
  std::vector<std::string> microphones;
  for (const std::string &name : c.CaptureDeviceNames())
    for (const char *prefix : MicrophonePrefixes)
      if (name.rfind(prefix, 0) == 0) {
        microphones.push_back(name);
        break;
      }
  std::string first = c.AudioIn->GetAudioCaptureDevice()->GetDeviceName();
  if (!microphones.empty() &&
      std::find(microphones.begin(), microphones.end(), first) == microphones.end()) {
    first = microphones.front();
    c.AudioIn->GetAudioCaptureDevice()->SetName(first);
  }
  if (mode == 2) {
    if (!c.FMerger) {
      std::string second;
      for (const std::string &name : microphones)
        if (name != first) {
          second = name;
          break;
        }
      c.CreateSecondInput(second, GetSampleRate());
    }
    c.LinkCaptureSinks(c.FMerger->GetOutputPin());
  } else {
    if (c.FMerger)
      c.FreeSecondInput();
    c.LinkCaptureSinks(c.AudioIn->GetOutputPin());
  }
  c.AudioIn->GetAudioFormat()->SetBits(16);
  c.AudioIn->GetAudioFormat()->SetSampleRate(GetSampleRate());
  c.AudioPlayer->SetFileName(GetWorkFileName());
  try {
    c.AudioIn->Start();
    if (c.FAudioIn2)
      c.FAudioIn2->Start();
  } catch (...) {
    // A busy device or a failed start: back to idle, not left at "RECORD".
    c.AudioIn->Stop();
    if (c.FAudioIn2)
      c.FAudioIn2->Stop();
    EnterIdle();
    throw;
  }
  // The take's first buffer re-arms at once.
  lastRearm_ = INT64_MIN;
  WatchdogTimer->SetEnabled(true);
  FHasNewRecording = true;
  FDeleteWorkFileOnClose = true;
  FCanSave = true;
}

void TMainForm::MeasureRecordLength() {
  if (audio_)
    FRecordLength = audio_->MeasureWorkFileDuration();
}

void TMainForm::AudioLoggerProgress(TObject *, int64_t CurrentSample, int64_t TotalSamples) {
  auto saved = std::move(TrackBar->OnChange);
  TrackBar->OnChange = nullptr;
  TrackBar->SetPosition(TotalSamples != 0
                            ? int(Rescale(CurrentSample, TrackBar->Max(), TotalSamples))
                            : TrackBar->Max());
  TrackBar->OnChange = std::move(saved);
  // By the take's own rate: the last report of a take arrives after the
  // stop, when the logger no longer knows the stream's format.
  if (FRecordRate > 0) {
    ShowTime(Position, CurrentSample * 10000000 / FRecordRate);
    ShowTime(RecLen, TotalSamples * 10000000 / FRecordRate);
  } else if (components_) {
    ShowTime(Position, components_->AudioLogger->Get_CurrentTime());
    ShowTime(RecLen, components_->AudioLogger->Get_DurationTime());
  }
}

void TMainForm::ALGenericFilterProcessData(TObject *, TALCAudioBuffer, TALCAudioBuffer &, bool &) {
  RearmWatchdog();
}

void TMainForm::GenericFilterPlayerStart(TObject *) {
  if (!components_)
    return;
  const WAVEFORMATEXTENSIBLE &f = components_->GenericFilterPlayer->StreamFormat;
  FLoadedStereo = f.Format.nChannels > 1;
  FLoadedIs44k16 = f.Format.nSamplesPerSec == 44100 && f.Format.wBitsPerSample == 16;
  FFileLoaded = true;
}

// Playback, marks and selection.

void TMainForm::PlayActionExecute(TObject *) {
  if (!components_)
    return;
  TRecorderAudio &c = *components_;
  if (TrackBar->Position() >= TrackBar->Max() - 1)
    TrackBar->SetPosition(0);
  if (c.AudioPlayer->GetFileName().empty()) {
    if (!FileOpenDialog->Execute() || !CheckWaveFile(FileOpenDialog->FileName()))
      return;
    if (!LoadIntoWorkFile(FileOpenDialog->FileName()))
      return;
    TrackBar->SetPosition(0);
    SetCaption(CaptionPrefix + " - [" + FilePart(FFileName) + "]");
  }
  std::string name = c.AudioPlayer->GetFileName();
  std::error_code ec;
  if (name.empty() || !fs::exists(name, ec)) {
    ShowMessage("File " + name + " does not exist!");
    return;
  }
  EnterPlaying();
  for (TALOWAudioSinkPin *sink :
       {c.AudioToReal->GetInputPin(), c.VUMeter->GetInputPin(), c.PPMMeter->GetInputPin()})
    sink->Connect(c.AudioPlayer->GetOutputPin());
  ApplyPlaySegment();
  if (SelectionCheckBox->isChecked()) {
    TrackBar->SetPosition(0);
    c.AudioPlayer->Start();
  } else if (TrackBar->Position() <= 0) {
    c.AudioPlayer->Start();
  } else {
    c.AudioPlayer->Pause();
    c.AudioPlayer->Start();
    c.AudioPlayer->SetCurrentSample(
        Rescale(TrackBar->Position(), c.AudioPlayer->GetSamplesCount(), TrackBar->Max()));
    c.AudioPlayer->Resume();
  }
  // A file the player refuses (changed since it was opened) plays nothing:
  // the window says why and stays idle.
  if (std::string why = c.AudioPlayer->GetLastError(); !why.empty()) {
    StopAll();
    ShowMessage(why);
    return;
  }
  PlaybackBox->clear();
  PlaybackBox->addItem(
      QString::fromStdString(c.AudioOutput->GetAudioOutputDevice()->GetVC_OpenedDeviceName()));
}

void TMainForm::ApplyPlaySegment() {
  if (!components_)
    return;
  TALWavePlayer *player = components_->AudioPlayer;
  TALAudioPlayerSegment *segment = player->GetPlaySegment();
  if (FMarkState == 2) {
    int64_t count = player->GetSamplesCount();
    if (count <= 0)
      return;
    int64_t a = Rescale(FMark1.Position, count, FMark1.Scale);
    int64_t b = Rescale(FMark2.Position, count, FMark2.Scale);
    segment->SetStartSample(std::min(a, b));
    segment->SetStopSample(std::max(a, b));
    segment->SetEnabled(SelectionCheckBox->isChecked());
  } else {
    segment->SetEnabled(false);
  }
}

void TMainForm::SelectionCheckBoxClick(TObject *) {
  if (components_)
    components_->AudioPlayer->GetPlaySegment()->SetEnabled(SelectionCheckBox->isChecked());
  ApplyPlaySegment();
}

void TMainForm::LoopCheckBoxClick(TObject *) {
  if (components_)
    components_->AudioPlayer->Loop = LoopCheckBox->isChecked();
}

void TMainForm::MarkActionExecute(TObject *) {
  TMark mark;
  if (FState == TRecorderState::Playing && components_) {
    mark.Position = components_->AudioPlayer->GetCurrentSample();
    mark.Scale = components_->AudioPlayer->GetSamplesCount();
  } else {
    mark.Position = TrackBar->Position();
    mark.Scale = TrackBar->Max();
  }
  if (FMarkState == 0) {
    FMark1 = mark;
    FMarkState = 1;
    TrackBar->SetSelStart(0);
    TrackBar->SetSelEnd(0);
    return;
  }
  FMark2 = mark;
  int64_t a = Rescale(FMark1.Position, mark.Scale, FMark1.Scale);
  int64_t b = Rescale(FMark2.Position, mark.Scale, FMark2.Scale);
  if (a == b)
    return;
  FMarkState = 2;
  int64_t s1 = Rescale(FMark1.Position, 10000, FMark1.Scale);
  int64_t s2 = Rescale(FMark2.Position, 10000, FMark2.Scale);
  TrackBar->SetSelStart(int(std::min(s1, s2)));
  TrackBar->SetSelEnd(int(std::max(s1, s2)));
  ApplyPlaySegment();
}

void TMainForm::ClearMarkActionExecute(TObject *) { ClearSelection(); }

void TMainForm::ClearSelection() {
  FMarkState = 0;
  // Loop applies to the selection: without one it goes off, and no take
  // plays on endlessly behind a greyed box.
  LoopCheckBox->setChecked(false);
  if (components_)
    components_->AudioPlayer->Loop = false;
  bool wasChecked = SelectionCheckBox->isChecked();
  SelectionCheckBox->setChecked(false);
  if (!wasChecked) // no toggle: the segment still goes off
    SelectionCheckBoxClick(this);
  TrackBar->SetSelStart(0);
  TrackBar->SetSelEnd(0);
}

void TMainForm::TrackBarChange(TObject *) {
  if (components_)
    components_->AudioPlayer->SetCurrentSample(Rescale(
        TrackBar->Position(), components_->AudioPlayer->GetSamplesCount(), TrackBar->Max()));
  UpdateTimeDisplays();
}

void TMainForm::TrackBarMouseDown(int pressX) {
  if (components_) {
    TALWavePlayer *p = components_->AudioPlayer;
    if (p->GetEnabled() && !p->GetPaused()) {
      p->Pause();
      FPausedByTrackBar = true;
    }
  }
  int x = int(int16_t(pressX)) - 4;
  gui::TChannelRect channel;
  TrackBar->Perform(gui::TBM_GETCHANNELRECT, 0, reinterpret_cast<intptr_t>(&channel));
  int left = channel.left, right = channel.right;
  int width = (right - left) - int(TrackBar->Perform(gui::TBM_GETTHUMBLENGTH, 0, 0)) / 2;
  if (x > right)
    x = width;
  else if (x < left)
    x = 0;
  else
    x = x - left;
  if (width > 0)
    TrackBar->SetPosition(TrackBar->Max() * x / width);
}

void TMainForm::TrackBarMouseUp() {
  if (FPausedByTrackBar) {
    if (components_)
      components_->AudioPlayer->Resume();
    FPausedByTrackBar = false;
  }
}

void TMainForm::AudioPlayerProgress(TObject *, int64_t, int64_t, int64_t CurrenSample) {
  if (!components_ || !components_->AudioPlayer->GetEnabled())
    return;
  TALWavePlayer *p = components_->AudioPlayer;
  auto saved = std::move(TrackBar->OnChange);
  TrackBar->OnChange = nullptr;
  TrackBar->SetPosition(int(Rescale(CurrenSample, TrackBar->Max(), p->GetSamplesCount())));
  TrackBar->OnChange = std::move(saved);
  ShowTime(Position, p->Get_CurrentTime());
  ShowTime(RecLen, p->GetDurationTime());
}

void TMainForm::AudioPlayerStop(TObject *) {
  if (PlaybackRunning())
    EnterIdle();
}

// Working file, open, save, new.

bool TMainForm::LoadIntoWorkFile(const std::string &Source) {
  FDeleteWorkFileOnClose = false;
  FHasNewRecording = false;
  // Through a file beside the working file, renamed over it: a failed copy
  // never leaves the working file half-written.
  std::string work = GetWorkFileName();
  std::string temp = work + ".part";
  std::error_code ec;
  fs::copy_file(Source, temp, fs::copy_options::overwrite_existing, ec);
  if (!ec)
    fs::rename(temp, work, ec);
  if (ec) {
    std::error_code ignored;
    fs::remove(temp, ignored);
    ShowMessage("Can't create temporary file!");
    return false;
  }
  FFileName = Source;
  if (components_)
    components_->AudioPlayer->SetFileName(work);
  FCanSave = true;
  ClearSelection();
  MeasureRecordLength();
  ShowTime(RecLen, FRecordLength);
  return true;
}

void TMainForm::FileOpenActionExecute(TObject *) {
  if (FHasNewRecording) {
    AskSaveRecording();
    if (FSaveAnswer == 1)
      return;
  }
  // A file that cannot be played changes nothing: the take, the working file
  // and the window stay as they are.
  if (!FileOpenDialog->Execute() || !CheckWaveFile(FileOpenDialog->FileName()))
    return;
  // The working file is replaced: nothing may still be writing or reading it.
  StopAll();
  FFileLoaded = false;
  FHasNewRecording = false;
  FDeleteWorkFileOnClose = false;
  TrackBar->SetPosition(0);
  if (!LoadIntoWorkFile(FileOpenDialog->FileName()))
    return;
  SetCaption(CaptionPrefix + " - [" + FilePart(FFileName) + "]");
}

void TMainForm::FileSaveActionExecute(TObject *) {
  if (TakeRunning())
    return; // the take is still being written
  if (FFileName.empty())
    SaveAsDialog();
  else
    SaveToFile(FFileName);
}

void TMainForm::FileSaveAsActionAccept(TObject *) { SaveAsDialog(); }

void TMainForm::FileExit1Execute(TObject *) { Close(); }

void TMainForm::NewExecute(TObject *) {
  StopAll();
  ClearSelection();
  if (FHasNewRecording) {
    AskSaveRecording();
    if (FSaveAnswer == 1)
      return;
  }
  std::error_code ignored;
  fs::remove(GetWorkFileName(), ignored);
  FHasNewRecording = false;
  FDeleteWorkFileOnClose = false;
  if (components_)
    components_->AudioPlayer->SetFileName("");
  SetCaption(CaptionPrefix);
  FCanSave = false;
  FFileLoaded = false;
  FFileName.clear();
  FRecordLength = 0;
  TrackBar->SetPosition(0);
}

void TMainForm::AboutExecute(TObject *) {
  if (auto *box = dynamic_cast<gui::TForm *>(gui::Application().FindComponent("AboutBox")))
    box->ShowModal();
}
