#include "app/MainUnit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <chrono>
#include <climits>
#include <cmath>
#include <filesystem>
#include <system_error>

#include "app/RecorderAudio.h"
#include "platform/classlib/ClassBuilder.h"
#include "platform/classlib/Dialogs.h"
#include "platform/classlib/FormStream.h"
#include "platform/gui/Application.h"
#include "platform/gui/Control.h"
#include "platform/sys/ScopeExit.h"
#include "scope/SLScopeControl.h"
#include "ui_MainWindow.h"

const std::string CaptionPrefix = "Sonvelt ";
const char *const MicrophonePrefixes[2] = {"USB Audio CODEC", "Velmora USB"};

namespace {

// Calls back on the frame's resize.
class TResizeHook : public QObject {
public:
  explicit TResizeHook(std::function<void()> onResize) : onResize_(std::move(onResize)) {}
  bool eventFilter(QObject *, QEvent *event) override {
    if (event->type() == QEvent::Resize)
      gui::Guarded(onResize_);
    return false;
  }

private:
  std::function<void()> onResize_;
};

QString ColourName(TColor colour) {
  if (colour == clWindow)
    return "palette(window)";
  if (colour == clWindowText)
    return "palette(window-text)";
  unsigned c = static_cast<unsigned>(colour);
  return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF).name();
}

template <class T> T *Find(TComponent *root, const char *name) {
  auto *c = dynamic_cast<T *>(root->FindComponent(name));
  if (!c)
    throw EComponentError(std::string("The form resource lacks ") + name);
  return c;
}

} // namespace

int MeterPosition(double value) {
  double v = value + 0.5;
  if (std::isnan(v))
    return 0;
  // Truncation toward zero, held inside the bar's integer range.
  if (v >= static_cast<double>(INT_MAX))
    return INT_MAX;
  if (v <= static_cast<double>(INT_MIN))
    return INT_MIN;
  return static_cast<int>(v);
}

const TClassInfo &TMainForm::StaticClassInfo() {
  using A = void(gui::TAction *, bool &);
  using N = void(TObject *);
  using M = void(TObject *, int, double, double);
  static const TClassInfo &info = MakeClassInfo<TMainForm>(
      "TMainForm", &gui::TForm::StaticClassInfo(), [](TClassBuilder<TMainForm> &c) {
        c.Method<A>("ActionList1Update", &TMainForm::ActionList1Update);
        c.Method<N>("RecordActionUpdate", &TMainForm::RecordActionUpdate);
        c.Method<N>("PlayActionUpdate", &TMainForm::PlayActionUpdate);
        c.Method<N>("PauseActionUpdate", &TMainForm::PauseActionUpdate);
        c.Method<N>("StopActionUpdate", &TMainForm::StopActionUpdate);
        c.Method<N>("ResumeActionUpdate", &TMainForm::ResumeActionUpdate);
        c.Method<N>("MarkActionUpdate", &TMainForm::MarkActionUpdate);
        c.Method<N>("ClearMarkActionUpdate", &TMainForm::ClearMarkActionUpdate);
        c.Method<N>("FileSaveActionUpdate", &TMainForm::FileSaveActionUpdate);
        c.Method<A>("ActionManager1Update", &TMainForm::ActionManager1Update);
        c.Method<N>("StopActionExecute", &TMainForm::StopActionExecute);
        c.Method<N>("RecordActionExecute", &TMainForm::RecordActionExecute);
        c.Method<N>("PlayActionExecute", &TMainForm::PlayActionExecute);
        c.Method<N>("MarkActionExecute", &TMainForm::MarkActionExecute);
        c.Method<N>("ClearMarkActionExecute", &TMainForm::ClearMarkActionExecute);
        c.Method<N>("NewExecute", &TMainForm::NewExecute);
        c.Method<N>("FileOpenActionExecute", &TMainForm::FileOpenActionExecute);
        c.Method<N>("FileSaveActionExecute", &TMainForm::FileSaveActionExecute);
        c.Method<N>("FileSaveAsActionAccept", &TMainForm::FileSaveAsActionAccept);
        c.Method<N>("FileExit1Execute", &TMainForm::FileExit1Execute);
        c.Method<N>("AboutExecute", &TMainForm::AboutExecute);
        c.Method<N>("MetersPanelResize", &TMainForm::MetersPanelResize);
        c.Method<M>("VUMeterValueChange", &TMainForm::VUMeterValueChange);
        c.Method<M>("PPMMeterValueChange", &TMainForm::PPMMeterValueChange);
        c.Method<N>("Timer1Timer", &TMainForm::Timer1Timer);
        c.Method<N>("WatchdogTimerTimer", &TMainForm::WatchdogTimerTimer);
        c.Method<N>("GenericFilterPlayerStart", &TMainForm::GenericFilterPlayerStart);
        c.Method<void(TObject *, int64_t, int64_t)>("AudioLoggerProgress",
                                                    &TMainForm::AudioLoggerProgress);
        c.Method<void(TObject *, const std::string &)>("AudioLoggerError",
                                                       &TMainForm::AudioLoggerError);
        c.Method<void(TObject *, int64_t, int64_t, int64_t)>("AudioPlayerProgress",
                                                             &TMainForm::AudioPlayerProgress);
        c.Method<N>("AudioPlayerStop", &TMainForm::AudioPlayerStop);
        c.Method<void(TObject *, bool &)>("FormCloseQuery", &TMainForm::FormCloseQuery);
        c.Method<void(TObject *, gui::TCloseAction &)>("FormClose", &TMainForm::FormClose);
        c.Method<TALGenericFilter::TProcessDataEvent>("ALGenericFilterProcessData",
                                                      &TMainForm::ALGenericFilterProcessData);
      });
  return info;
}

TMainForm::TMainForm(TComponent *owner) : TMainForm(owner, nullptr, true) {}

TMainForm::TMainForm(TComponent *owner, IRecorderAudio *audio) : TMainForm(owner, audio, false) {}

TMainForm::TMainForm(TComponent *owner, IRecorderAudio *audio, bool ownComponents)
    : gui::TForm(owner, new QMainWindow), ui_(std::make_unique<Ui::MainWindow>()), audio_(audio) {
  ui_->setupUi(Window());
  // A fixed client area (the panels are laid out for it) under the menu bar:
  // the window can be minimised, never resized or maximised.
  ui_->centralwidget->setFixedSize(ClientWidth, ClientHeight);
  Window()->layout()->setSizeConstraint(QLayout::SetFixedSize);
  Window()->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                           Qt::WindowCloseButtonHint);
  rearmWindow_ = std::make_unique<mainloop::THiddenWindow>();
  rearmWindow_->SetWindowProc([this](const mainloop::TMessage &) {
    rearmPending_ = false;
    // A buffer that was on its way when the take ended must not start a
    // watchdog on the idle window.
    if (FState != TRecorderState::Recording)
      return;
    WatchdogTimer->SetEnabled(false);
    WatchdogTimer->SetEnabled(true);
  });
  LoadFormText(this, MainFormResource);
  ActionList1 = Find<gui::TActionList>(this, "ActionList1");
  ActionManager1 = Find<gui::TActionManager>(this, "ActionManager1");
  RecordAction = Find<gui::TAction>(this, "RecordAction");
  PlayAction = Find<gui::TAction>(this, "PlayAction");
  PauseAction = Find<gui::TAction>(this, "PauseAction");
  StopAction = Find<gui::TAction>(this, "StopAction");
  ResumeAction = Find<gui::TAction>(this, "ResumeAction");
  MarkAction = Find<gui::TAction>(this, "MarkAction");
  ClearMarkAction = Find<gui::TAction>(this, "ClearMarkAction");
  New = Find<gui::TAction>(this, "New");
  FileOpenAction = Find<gui::TAction>(this, "FileOpenAction");
  FileSaveAction = Find<gui::TAction>(this, "FileSaveAction");
  FileSaveAsAction = Find<gui::TAction>(this, "FileSaveAsAction");
  FileExit1 = Find<gui::TAction>(this, "FileExit1");
  About = Find<gui::TAction>(this, "About");
  Timer1 = Find<gui::TTimer>(this, "Timer1");
  WatchdogTimer = Find<gui::TTimer>(this, "WatchdogTimer");
  TrayIcon = Find<TCoolTrayIcon>(this, "TrayIcon");
  OneInstance = Find<TOneInstance>(this, "OneInstance");
  RedImageList = Find<gui::TImageList>(this, "RedImageList");
  GrayImageList = Find<gui::TImageList>(this, "GrayImageList");
  FileOpenDialog = Find<TOpenDialog>(this, "FileOpenDialog");
  Scope = Find<TSLScope>(this, "Scope");
  // The window neither zooms nor holds the scope: it only watches the take.
  TSLDisplayZoom *zooming = Scope->GetZooming();
  zooming->MouseZoom = false;
  zooming->KeyboardZoom = false;
  zooming->MouseWheelEnabled = false;
  zooming->HoldOnZoom = false;
  for (gui::TAction *a : {RecordAction, PlayAction, PauseAction, StopAction, ResumeAction,
                          MarkAction, ClearMarkAction})
    a->SetActionList(ActionList1);
  for (gui::TAction *a : {New, FileOpenAction, FileSaveAction, FileSaveAsAction, FileExit1, About})
    a->SetActionList(ActionManager1);
  // The tray icon blinks red while recording and grey while paused.
  for (unsigned rgb : {0xE00000u, 0x600000u})
    RedImageList->Add(gui::SolidIcon(rgb));
  for (unsigned rgb : {0x909090u, 0x404040u})
    GrayImageList->Add(gui::SolidIcon(rgb));
  TrayIcon->SetIconList(RedImageList);
  BindWidgets();
  if (ownComponents) {
    components_ = std::make_unique<TRecorderAudio>(this);
    audio_ = components_.get();
    HookComponents();
  }

  // Constructor steps that need no audio component.
  New->SetEnabled(true);
  FileOpenAction->SetEnabled(true);
  // A leftover working file is dealt with only by the copy that holds the
  // single-instance lock: a second copy must not touch the running copy's
  // take.
  if (OneInstance->LockOwner())
    KeepLeftoverTake();
  if (components_)
    components_->AudioLogger->SetFileName(GetWorkFileName());
  SetStatus("", false, clWindow);
  AudioFormatComboBox->clear();
  AudioFormatComboBox->addItem("PCM 44.1 kHz 16 bit", 44100);
  AudioFormatComboBox->addItem("PCM 48 kHz 16 bit", 48000);
  AudioFormatComboBox->setCurrentIndex(0);
  if (components_) {
    // Only to learn the output device's name; no output device leaves the
    // box empty and the window usable.
    try {
      components_->AudioOutput->Open();
      PlaybackBox->clear();
      PlaybackBox->addItem(QString::fromStdString(
          components_->AudioOutput->GetAudioOutputDevice()->GetVC_OpenedDeviceName()));
    } catch (const std::exception &) {
    }
    components_->AudioOutput->Close();
  }
  DetectMicrophones();
  UpdateTimeDisplays();
  SetCaption(CaptionPrefix);
}

void TMainForm::FormCloseQuery(TObject *, bool &CanClose) {
  // A second request while the prompt of the first is open (the close button
  // again, another signal) is answered by that prompt.
  if (closePromptOpen_) {
    CanClose = false;
    return;
  }
  StopAll();
  if (FHasNewRecording) {
    closePromptOpen_ = true;
    sys::TScopeExit reopen([this] { closePromptOpen_ = false; });
    AskSaveRecording();
    CanClose = FSaveAnswer != 1;
  }
}

void TMainForm::FormClose(TObject *, gui::TCloseAction &) {
  StopAll();
  if (FDeleteWorkFileOnClose) {
    std::error_code ignored;
    std::filesystem::remove(GetWorkFileName(), ignored);
  }
  // No progress reaches the closing window.
  if (components_) {
    components_->AudioPlayer->OnProgress.Clear();
    components_->AudioLogger->OnProgress.Clear();
  }
}

TMainForm::~TMainForm() {
  if (components_) {
    // The components outlive this object by a little (the class library
    // frees them): they must neither run nor call back into it.
    components_->StopCaptureAndPlayer();
    components_->AudioPlayer->OnProgress.Clear();
    components_->AudioPlayer->OnStop.Clear();
    components_->AudioLogger->OnProgress.Clear();
    components_->AudioLogger->OnError.Clear();
    components_->ALGenericFilter->OnProcessData.Fn = nullptr;
    components_->GenericFilterPlayer->OnStart.Fn = nullptr;
    components_->VUMeter->SetValueChange(nullptr);
    components_->PPMMeter->SetValueChange(nullptr);
  }
  rearmWindow_.reset(); // no re-arm reaches a window that is going
  // The scope stays with the class library a little longer than its host.
  delete ScopeWidget;
  if (metersResize_)
    MetersPanel->removeEventFilter(metersResize_.get());
}

QMainWindow *TMainForm::Window() const { return static_cast<QMainWindow *>(Widget()); }

void TMainForm::BindWidgets() {
  Ui::MainWindow &u = *ui_;
  AudioFormatComboBox = u.AudioFormatComboBox;
  InputBox = u.InputBox;
  PlaybackBox = u.PlaybackBox;
  MonoRadioButton = u.MonoRadioButton;
  Stereo1micRadioButton = u.Stereo1micRadioButton;
  Stereo2micRadioButton = u.Stereo2micRadioButton;
  P3 = u.P3;
  P4 = u.P4;
  MetersPanel = u.MetersPanel;
  ScopeArea = u.ScopeArea;
  // The scope fills its area (the class library's client alignment).
  ScopeWidget = new TControlWidget(Scope, ScopeArea);
  auto *scopeLayout = new QVBoxLayout(ScopeArea);
  scopeLayout->setContentsMargins(0, 0, 0, 0);
  scopeLayout->addWidget(ScopeWidget);
  RecButton = u.RecButton;
  PlayButton = u.PlayButton;
  StopButton = u.StopButton;
  Button5 = u.Button5;
  Button7 = u.Button7;
  SelectionCheckBox = u.SelectionCheckBox;
  LoopCheckBox = u.LoopCheckBox;
  ProgressBar1 = u.ProgressBar1;
  ProgressBar2 = u.ProgressBar2;
  ProgressBar3 = u.ProgressBar3;
  ProgressBar4 = u.ProgressBar4;
  TrackBar = u.TrackBar;
  Status = u.Status;
  Position = u.Position;
  RecLen = u.RecLen;

  TrackBar->SetMin(0);
  TrackBar->SetMax(10000);
  TrackBar->SetPosition(0);
  for (gui::TMeterBar *bar : {ProgressBar1, ProgressBar2, ProgressBar3, ProgressBar4})
    bar->SetMax(100);

  gui::BindAction(RecordAction, RecButton);
  gui::BindAction(PlayAction, PlayButton);
  gui::BindAction(StopAction, StopButton, false); // the button reads "STOP"
  gui::BindAction(MarkAction, Button5);
  gui::BindAction(ClearMarkAction, Button7);

  QMenu *file = u.FileMenu;
  for (gui::TAction *a : {New, FileOpenAction, FileSaveAction, FileSaveAsAction})
    gui::BindAction(a, file->addAction(QString()));
  file->addSeparator();
  gui::BindAction(FileExit1, file->addAction(QString()));
  gui::BindAction(About, u.HelpMenu->addAction(QString()));

  metersResize_ = std::make_unique<TResizeHook>([this] { MetersPanelResize(this); });
  MetersPanel->installEventFilter(metersResize_.get());
}

void TMainForm::ActionList1Update(gui::TAction *, bool &) {
  bool hasFile = audio_ && !audio_->PlayerFileName().empty();
  TrackBar->setEnabled((hasFile && FState != TRecorderState::Recording && FRecordLength > -1) ||
                       FState == TRecorderState::Playing);
  Stereo2micRadioButton->setEnabled(FState == TRecorderState::Idle && FDeviceCount > 1);
  SelectionCheckBox->setEnabled(FMarkState == 2);
  LoopCheckBox->setEnabled(SelectionCheckBox->isEnabled());
  TrayIcon->SetIconVisible(TakeRunning());
  switch (FState) {
  case TRecorderState::Recording:
    if (TrayIcon->IconList() != RedImageList) {
      TrayIcon->SetIconList(RedImageList);
      TrayIcon->SetHint("Recording...");
      TrayIcon->SetShowHint(true);
    }
    SetStatus("RECORD", true, clRed);
    break;
  case TRecorderState::Playing:
    SetStatus("PLAYBACK", true, clLime);
    break;
  case TRecorderState::RecordingPaused:
  case TRecorderState::PlayingPaused:
    if (TrayIcon->IconList() != GrayImageList) {
      TrayIcon->SetIconList(GrayImageList);
      TrayIcon->SetHint("Paused");
      TrayIcon->SetShowHint(true);
    }
    SetStatus("Paused", true, clLime);
    break;
  default:
    SetStatus("", false, clWindow);
    ClearDisplays();
    break;
  }
}

void TMainForm::ClearDisplays() {
  if (audio_)
    audio_->ClearScopeChannels();
  for (QObject *child : MetersPanel->children())
    if (auto *bar = qobject_cast<gui::TMeterBar *>(child))
      bar->SetPosition(0);
  P3->setVisible(false);
  P4->setVisible(false);
}

void TMainForm::RecordActionUpdate(TObject *) {
  RecordAction->SetEnabled(FState == TRecorderState::Idle && FDeviceCount > 0);
}

void TMainForm::PlayActionUpdate(TObject *) {
  PlayAction->SetEnabled(FState == TRecorderState::Idle);
}

void TMainForm::PauseActionUpdate(TObject *) {}

void TMainForm::StopActionUpdate(TObject *) { StopAction->SetEnabled(true); }

void TMainForm::ResumeActionUpdate(TObject *) { ResumeAction->SetEnabled(Paused()); }

void TMainForm::MarkActionUpdate(TObject *) {
  bool hasFile = audio_ && !audio_->PlayerFileName().empty();
  MarkAction->SetEnabled(hasFile && !TakeRunning());
  MarkAction->SetCaption(FMarkState != 0 ? "Mark End" : "Mark Begin");
}

void TMainForm::ClearMarkActionUpdate(TObject *) {
  ClearMarkAction->SetEnabled(!TakeRunning() && FMarkState != 0);
}

// Saving copies the working file: not while a take is still being written
// into it.
void TMainForm::FileSaveActionUpdate(TObject *) {
  FileSaveAction->SetEnabled(FCanSave && !TakeRunning());
}

void TMainForm::ActionManager1Update(gui::TAction *, bool &) {
  FileSaveAsAction->SetEnabled(FCanSave && !TakeRunning());
}

void TMainForm::StopActionExecute(TObject *) {
  if (FState != TRecorderState::Idle)
    StopAll();
}

void TMainForm::StopAll() {
  if (audio_)
    audio_->StopCaptureAndPlayer();
  if (TakeRunning())
    MeasureRecordLength();
  EnterIdle();
  ClearDisplays();
  WatchdogTimer->SetEnabled(false);
}

bool TMainForm::DetectMicrophones() {
  std::vector<std::string> names;
  if (audio_)
    names = audio_->CaptureDeviceNames();
  FDeviceCount = 0;
  std::string found;
  for (const std::string &name : names)
    for (const char *prefix : MicrophonePrefixes)
      if (name.rfind(prefix, 0) == 0) {
        ++FDeviceCount;
        found = prefix;
      }
  QString text = QString::fromStdString(FDeviceCount > 0 ? found : "No USB Microphone");
  // Only a change touches the box: the poll runs every second.
  if (InputBox->count() != 1 || InputBox->itemText(0) != text) {
    InputBox->clear();
    InputBox->addItem(text);
  }
  return FDeviceCount > 0;
}

void TMainForm::Timer1Timer(TObject *) { DetectMicrophones(); }

void TMainForm::WatchdogTimerTimer(TObject *) {
  StopAll();
  ShowMessage("The microphone was disconnected.");
}

void TMainForm::RearmWatchdog() {
  const int64_t now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                          std::chrono::steady_clock::now().time_since_epoch())
                          .count();
  const int64_t last = lastRearm_.load();
  if (last != INT64_MIN && now - last < RearmSpacingMs * 1000000)
    return;
  if (!rearmPending_.exchange(true)) {
    lastRearm_ = now;
    if (!rearmWindow_->PostMessageLater(1, 0, 0, mainloop::DisplayDelay))
      rearmPending_ = false;
  }
}

void TMainForm::SetStatus(const std::string &Text, bool Visible, TColor Colour) {
  // Each part only when it changes: the idle update calls this every time.
  if (Colour != statusColour_) {
    statusColour_ = Colour;
    Status->setStyleSheet(
        "background-color: black; font-weight: bold; color: " + ColourName(Colour) + ";");
  }
  if (Text != statusText_) {
    statusText_ = Text;
    Status->setText(QString::fromStdString(Text));
  }
  if (Visible != !Status->isHidden())
    Status->setVisible(Visible);
}

void TMainForm::VUMeterValueChange(TObject *, int AChannel, double AValue, double AMax) {
  if (FState == TRecorderState::Recording || (audio_ && audio_->PlayerEnabled())) {
    if (AChannel == 0) {
      ProgressBar1->SetMax(MeterPosition(AMax));
      ProgressBar1->SetPosition(MeterPosition(AValue));
    }
    // A mono stream drives both bars.
    if (AChannel == 1 || (audio_ && audio_->VUMeterActiveChannels() == 1)) {
      ProgressBar2->SetMax(MeterPosition(AMax));
      ProgressBar2->SetPosition(MeterPosition(AValue));
    }
  } else {
    ProgressBar1->SetPosition(0);
    ProgressBar2->SetPosition(0);
  }
}

void TMainForm::PPMMeterValueChange(TObject *, int AChannel, double AValue, double AMax) {
  if (FState != TRecorderState::Recording && !(audio_ && audio_->PlayerEnabled()))
    return;
  if (AChannel == 0) {
    ProgressBar3->SetMax(MeterPosition(AMax));
    ProgressBar3->SetPosition(MeterPosition(AValue));
  }
  if (AChannel == 1 || (audio_ && audio_->PPMMeterActiveChannels() == 1)) {
    ProgressBar4->SetMax(MeterPosition(AMax));
    ProgressBar4->SetPosition(MeterPosition(AValue));
  }
  P3->setVisible(ProgressBar3->Position() >= AMax);
  P4->setVisible(ProgressBar4->Position() >= AMax);
}

void TMainForm::MetersPanelResize(TObject *) {
  int height = MetersPanel->height() - 10;
  for (QObject *child : MetersPanel->children())
    if (auto *w = qobject_cast<QWidget *>(child))
      w->resize(w->width(), height);
}

namespace {
std::string &WorkFolder() {
  static std::string folder;
  return folder;
}
} // namespace

void TMainForm::SetWorkFolder(const std::string &folder) { WorkFolder() = folder; }

std::string TMainForm::GetWorkFileName() const {
  if (workFile_.empty()) {
    std::string folder = WorkFolder();
    if (folder.empty()) {
      std::string exe = gui::Application().ExeName();
      folder = ChooseWorkFolder(exe.substr(0, exe.find_last_of('/') + 1));
    }
    if (folder.empty() || folder.back() != '/')
      folder.push_back('/');
    workFile_ = folder + "TmpDataFile~.wav";
  }
  return workFile_;
}

std::string TMainForm::FormatTime(int64_t Time) {
  auto ms = static_cast<int32_t>(Time / 10000);
  int32_t s = ms / 1000;
  int32_t cs = (ms / 10) % 100;
  int32_t m = s / 60;
  s = s % 60;
  auto part = [](int32_t v) { return (v < 10 ? "0" : "") + std::to_string(v); };
  return part(m) + ":" + part(s) + ":" + part(cs);
}

void TMainForm::ShowTime(QLineEdit *Box, int64_t Time) {
  const QString Text = QString::fromStdString(FormatTime(Time));
  if (Box->text() != Text)
    Box->setText(Text);
}

void TMainForm::UpdateTimeDisplays() {
  if (FRecordLength < 0) {
    TrackBar->SetPosition(0);
    return;
  }
  if (audio_ && audio_->PlayerEnabled() && !audio_->PlayerPaused())
    return;
  int64_t max = TrackBar->Max();
  // An empty track bar has no position inside the take.
  int64_t at = max > 0 ? static_cast<int64_t>(TrackBar->Position()) * FRecordLength / max : 0;
  ShowTime(Position, at);
  ShowTime(RecLen, FRecordLength);
}

void RegisterMainUnitClasses() {
  gui::RegisterTimerClasses();
  gui::RegisterActionClasses();
  RegisterDialogClasses();
  ALDSAudioInRegister();
  ALAudioToRealRegister();
  ALVUMeterRegister();
  ALPPMMeterRegister();
  ALGenericFilterRegister();
  ALDSAudioOutRegister();
  RegisterScopeClasses();
  RegisterClass(TALWaveLogger::StaticClassInfo());
  RegisterClass(TALWavePlayer::StaticClassInfo());
  RegisterClass(gui::TImageList::StaticClassInfo());
  RegisterCoolTrayIconClasses();
  RegisterOneInstanceClasses();
  RegisterClass(TMainForm::StaticClassInfo());
}
