// The recorder's main window: its widgets (MainWindow.ui), the components of
// its form resource, the recorder state and everything on the screen that
// follows it: the actions' enabling and captions at idle time, the status
// panel, the tray icon, the four meter bars with their clip lamps and the
// two time displays.
//
// The audio components (capture, logger, player, meters, scope) reach the
// window through IRecorderAudio: what the displays read of them and the
// stops the window asks for. The window that owns them implements it; tests
// give a stand-in.
//
// Handlers are bound by name: the form resource (MainUnit_form.cpp) names
// the handler of every event of the form and its components (close events,
// actions, action lists, timers, meters, filters, the logger and the
// player), and StaticClassInfo registers each one. Only the widgets, which
// the Qt layout makes and form text does not hold, are bound in code: in
// HookComponents the output graph's error, the track bar and the check boxes.
//
// Threads: the window, its state and its widgets belong to the main thread.
// Every handler runs there (the meters, the logger and the player hand their
// events to the main thread before they raise them; GenericFilterPlayerStart
// runs where the player is started, which is always the main thread here)
// except ALGenericFilterProcessData: the capture component's notify thread
// calls it for every buffer, since its filter passes buffers on without
// handing them over. It calls only RearmWatchdog, which touches nothing but
// the atomics rearmPending_ and lastRearm_ and posts to rearmWindow_; the
// re-arm itself runs on the main thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/CoolTrayIcon.h"
#include "app/OneInstance.h"
#include "framework/data/Alcaudiobuffer.h"
#include "platform/classlib/Dialogs.h"
#include "platform/gui/Actions.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/ImageList.h"
#include "platform/gui/MeterBar.h"
#include "platform/gui/Timers.h"
#include "platform/gui/TrackBar.h"
#include "platform/mainloop/HiddenWindow.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMainWindow;
class QPushButton;
class QRadioButton;
class QWidget;
class TControlWidget;
class TRecorderAudio;
class TSLScope;

namespace Ui {
class MainWindow;
}

// The start of every caption of the main window: "Sonvelt " (with a
// trailing blank).
extern const std::string CaptionPrefix;

// The recorder states.
enum class TRecorderState : uint8_t {
  Idle = 0,
  Recording = 1,
  Playing = 2,
  RecordingPaused = 3, // tested by the handlers; nothing enters it
  PlayingPaused = 4,   // tested by the handlers; nothing enters it
};

class IRecorderAudio {
public:
  virtual ~IRecorderAudio() = default;
  // The player's file name (empty before a take or an Open).
  virtual std::string PlayerFileName() = 0;
  virtual bool PlayerEnabled() = 0;
  virtual bool PlayerPaused() = 0;
  virtual int VUMeterActiveChannels() = 0;
  virtual int PPMMeterActiveChannels() = 0;
  // Clears the data of scope channels 0 and 1; true when they held any.
  virtual bool ClearScopeChannels() = 0;
  // Stops the capture components, then un-pauses and stops the player.
  virtual void StopCaptureAndPlayer() = 0;
  // The working file's duration (100-ns units), measured by the player.
  virtual int64_t MeasureWorkFileDuration() = 0;
  // The friendly names of the capture devices, in the platform's order.
  virtual std::vector<std::string> CaptureDeviceNames() = 0;
};

class TMainForm : public gui::TForm {
  CLASSLIB_CLASS(TMainForm)

public:
  // Loads the form resource (creating and linking the components; the
  // single-instance lock tests for a running copy meanwhile), then sets the
  // window up. audio may be null until the components are hooked in.
  TMainForm(TComponent *owner, IRecorderAudio *audio);
  // The program's window: it creates, links and drives its own audio
  // components.
  explicit TMainForm(TComponent *owner);
  ~TMainForm() override;

  // The window's client area (below the menu bar), in pixels.
  static constexpr int ClientWidth = 692, ClientHeight = 466;

  // Components of the form resource.
  gui::TActionList *ActionList1 = nullptr;
  gui::TActionManager *ActionManager1 = nullptr;
  gui::TAction *RecordAction = nullptr, *PlayAction = nullptr, *PauseAction = nullptr,
               *StopAction = nullptr, *ResumeAction = nullptr, *MarkAction = nullptr,
               *ClearMarkAction = nullptr;
  gui::TAction *New = nullptr, *FileOpenAction = nullptr, *FileSaveAction = nullptr,
               *FileSaveAsAction = nullptr, *FileExit1 = nullptr, *About = nullptr;
  gui::TTimer *Timer1 = nullptr, *WatchdogTimer = nullptr;
  TCoolTrayIcon *TrayIcon = nullptr;
  TOneInstance *OneInstance = nullptr;
  gui::TImageList *RedImageList = nullptr, *GrayImageList = nullptr;
  TOpenDialog *FileOpenDialog = nullptr;
  // The scope showing the converter's two channels, and the widget that
  // hosts it in ScopeArea (filling the area as the window resizes).
  TSLScope *Scope = nullptr;
  TControlWidget *ScopeWidget = nullptr;

  // Widgets of MainWindow.ui.
  QComboBox *AudioFormatComboBox, *InputBox, *PlaybackBox;
  QRadioButton *MonoRadioButton, *Stereo1micRadioButton, *Stereo2micRadioButton;
  QFrame *P3, *P4, *MetersPanel;
  QWidget *ScopeArea;
  QPushButton *RecButton, *PlayButton, *StopButton, *Button5, *Button7;
  QCheckBox *SelectionCheckBox, *LoopCheckBox;
  gui::TMeterBar *ProgressBar1, *ProgressBar2, *ProgressBar3, *ProgressBar4;
  gui::TTrackBar *TrackBar;
  QLabel *Status;
  QLineEdit *Position, *RecLen;

  // The recorder state, as the handlers of recording, playback and the
  // working file leave it.
  TRecorderState State() const { return FState; }
  int32_t DeviceCount() const { return FDeviceCount; }
  int64_t RecordLength() const { return FRecordLength; } // 100-ns units
  uint8_t MarkState() const { return FMarkState; }
  bool HasNewRecording() const { return FHasNewRecording; }
  bool FileLoaded() const { return FFileLoaded; }
  bool LoadedIs44k16() const { return FLoadedIs44k16; }
  bool LoadedStereo() const { return FLoadedStereo; }
  bool RecordStereo() const { return FRecordStereo; }
  bool DeleteWorkFileOnClose() const { return FDeleteWorkFileOnClose; }
  const std::string &FileName() const { return FFileName; }
  int32_t SaveAnswer() const { return FSaveAnswer; }

  // Recording (needs the window's own components; nothing without them).
  void RecordActionExecute(TObject *Sender);
  void MeasureRecordLength();
  void AudioLoggerProgress(TObject *Sender, int64_t CurrentSample, int64_t TotalSamples);
  void GenericFilterPlayerStart(TObject *Sender);
  // Every captured buffer (on the capture component's notify thread): the
  // watchdog's count starts again.
  void ALGenericFilterProcessData(TObject *Sender, TALCAudioBuffer InBuffer,
                                  TALCAudioBuffer &OutBuffer, bool &SendOutputData);
  int GetChannelMode() const;
  bool IsStereoMode() const { return GetChannelMode() != 0; }
  int GetSampleRate() const;

  // Playback, marks and selection.
  void PlayActionExecute(TObject *Sender);
  void ApplyPlaySegment();
  void MarkActionExecute(TObject *Sender);
  void ClearMarkActionExecute(TObject *Sender);
  void ClearSelection();
  void SelectionCheckBoxClick(TObject *Sender);
  void LoopCheckBoxClick(TObject *Sender);
  void TrackBarChange(TObject *Sender);
  // The track bar's press and release (x in the track bar's pixels).
  void TrackBarMouseDown(int x);
  void TrackBarMouseUp();
  void AudioPlayerProgress(TObject *Sender, int64_t SartSample, int64_t EndSample,
                           int64_t CurrenSample);
  void AudioPlayerStop(TObject *Sender);

  // Working file, open, save, new, about.
  // Copies Source over the working file (through a file beside it, renamed
  // over it); false, with a message, when the copy failed.
  bool LoadIntoWorkFile(const std::string &Source);
  // True when Source is a WAV file with audio the player can read; otherwise
  // shows why it cannot be opened and returns false.
  bool CheckWaveFile(const std::string &Source);
  void NewExecute(TObject *Sender);
  void FileOpenActionExecute(TObject *Sender);
  void FileSaveActionExecute(TObject *Sender);
  // Save As: the action has no dialog of its own, so this runs SaveAsDialog.
  void FileSaveAsActionAccept(TObject *Sender);
  void FileExit1Execute(TObject *Sender);
  void AboutExecute(TObject *Sender);

  // The window's own components (null when a stand-in was given).
  TRecorderAudio *RecorderComponents() const { return components_.get(); }

  // Idle updates of the actions.
  void ActionList1Update(gui::TAction *Action, bool &Handled);
  void RecordActionUpdate(TObject *Sender);
  void PlayActionUpdate(TObject *Sender);
  void PauseActionUpdate(TObject *Sender);
  void StopActionUpdate(TObject *Sender);
  void ResumeActionUpdate(TObject *Sender);
  void MarkActionUpdate(TObject *Sender);
  void ClearMarkActionUpdate(TObject *Sender);
  void FileSaveActionUpdate(TObject *Sender);
  void ActionManager1Update(gui::TAction *Action, bool &Handled);

  void StopActionExecute(TObject *Sender);
  // Stops capture and playback and returns to idle; a running take is
  // measured.
  void StopAll();

  void SetStatus(const std::string &Text, bool Visible, TColor Colour);
  const std::string &StatusText() const { return statusText_; }
  TColor StatusColour() const { return statusColour_; }

  void VUMeterValueChange(TObject *Sender, int AChannel, double AValue, double AMax);
  void PPMMeterValueChange(TObject *Sender, int AChannel, double AValue, double AMax);
  void MetersPanelResize(TObject *Sender);

  // The working file: its folder with a path delimiter, then
  // "TmpDataFile~.wav". The folder is the one set with SetWorkFolder, else
  // ChooseWorkFolder of the program's folder, decided at the first call.
  std::string GetWorkFileName() const;
  // Where the working file lives instead of the program's folder (tests);
  // empty: ChooseWorkFolder decides.
  static void SetWorkFolder(const std::string &folder);
  // programFolder when a file can be created in it (so a program installed
  // in a folder the user cannot write still records); otherwise the user's
  // data folder $XDG_DATA_HOME/sonvelt (default ~/.local/share/sonvelt),
  // created when needed.
  static std::string ChooseWorkFolder(const std::string &programFolder);
  // True when path is a WAV file holding at least one frame of audio.
  static bool HoldsAudio(const std::string &path);
  // At start: a working file left behind (a crash, a kill) that holds audio
  // is kept beside it as "TmpDataFile~ <date> <time>.wav" and the user is
  // told once where; an empty or broken one is deleted.
  void KeepLeftoverTake();
  // OnError of the logger, which could not write the take (disk full, folder
  // not writable, format refused): the window goes idle at once and shows
  // Message once; a working file left without audio is no take to save.
  void AudioLoggerError(TObject *Sender, const std::string &Message);

  // Counts the capture devices whose names begin with a microphone prefix
  // and shows the prefix found last (or "No USB Microphone") in InputBox;
  // true when there is one.
  bool DetectMicrophones();
  // The device poll (every 1000 ms, in every state).
  void Timer1Timer(TObject *Sender);
  // 5000 ms without data while recording: the take ends and the user is told.
  void WatchdogTimerTimer(TObject *Sender);
  // Restarts the watchdog's count; safe from any thread (the capture
  // component's notify thread calls it for every buffer). One re-arm is
  // handed over per RearmSpacingMs at most, and goes with the main thread's
  // next wake-up within mainloop::DisplayDelay (the count then ends at most
  // that much later than 5000 ms after the newest buffer, instead of the main
  // thread waking for every buffer); re-arms coming together are handled
  // once, and one arriving after the take ended is dropped.
  void RearmWatchdog();
  static constexpr int64_t RearmSpacingMs = 250;

  // Closing: everything stops first, then an unsaved take is offered for
  // saving (Cancel or a failed save keeps the window open); a take that was
  // never saved is deleted with the window.
  void FormCloseQuery(TObject *Sender, bool &CanClose);
  void FormClose(TObject *Sender, gui::TCloseAction &Action);

  // The save prompt; true only when the user chose Yes and the save
  // succeeded. FSaveAnswer: 0 No, 1 Cancel or a failed save, 2 saved.
  bool AskSaveRecording();
  // The Save As dialog, then SaveToFile; false when cancelled or failed.
  bool SaveAsDialog();
  // Copies the working file to Target. The copy is written beside Target and
  // renamed over it, so a failed save never destroys the user's file; the
  // working file itself is never a target.
  bool SaveToFile(const std::string &Target);

  static std::string FormatTime(int64_t Time);
  // Shows Time in a time box; the same text again is left alone (a new text
  // lays the box out and repaints it, and playback shows the same length at
  // every step).
  static void ShowTime(QLineEdit *Box, int64_t Time);
  void UpdateTimeDisplays();

  QMainWindow *Window() const;
  IRecorderAudio *Audio() const { return audio_; }
  void SetAudio(IRecorderAudio *audio) { audio_ = audio; }

private:
  // Tests set what no user step reaches alone (a paused state, a take
  // without audio components).
  friend class TMainFormTestAccess;

  // The state's transitions: Record enters Recording, Play enters Playing;
  // StopAll, a failed start and the player's stop return to Idle.
  void EnterRecording() { FState = TRecorderState::Recording; }
  void EnterPlaying() { FState = TRecorderState::Playing; }
  void EnterIdle() { FState = TRecorderState::Idle; }
  // A take is being written (recording, or recording paused).
  bool TakeRunning() const {
    return FState == TRecorderState::Recording || FState == TRecorderState::RecordingPaused;
  }
  // The player plays the working file (playing, or playing paused).
  bool PlaybackRunning() const {
    return FState == TRecorderState::Playing || FState == TRecorderState::PlayingPaused;
  }
  // Either paused state.
  bool Paused() const {
    return FState == TRecorderState::RecordingPaused || FState == TRecorderState::PlayingPaused;
  }

  // The take in the working file against the format Record would write now:
  // None (no take whose format is known: the new take starts at sample 0),
  // Same (the take is recorded over from the thumb) or Other (the take is
  // offered for saving before a fresh one begins).
  enum class TTakeFormat : uint8_t { None, Same, Other };
  TTakeFormat CompareTakeFormat() const;

  // The recorder state, written by the handlers of recording, playback and
  // the working file.
  TRecorderState FState = TRecorderState::Idle;
  bool FPausedByTrackBar = false;
  int32_t FDeviceCount = 0;
  int64_t FRecordLength = 0; // 100-ns units
  uint8_t FMarkState = 0;
  bool FHasNewRecording = false;
  bool FFileLoaded = false;
  bool FLoadedIs44k16 = false;
  bool FDeleteWorkFileOnClose = false;
  bool FRecordStereo = false;
  int32_t FRecordRate = 0; // the take's rate, Hz
  bool FLoadedStereo = false;
  bool FCanSave = false;
  std::string FFileName;
  int32_t FSaveAnswer = 0;
  // Marks: (scale, position); the position counts units of a take that has
  // scale units.
  struct TMark {
    int64_t Scale = 0;
    int64_t Position = 0;
  };
  TMark FMark2, FMark1;

  // Meters, lamps and scope back to rest; touches only what is not at rest.
  void ClearDisplays();
  void BindWidgets();

  TMainForm(TComponent *owner, IRecorderAudio *audio, bool ownComponents);
  // Binds what form text cannot name (the output graph's error, the track
  // bar's and the check boxes' signals) to their handlers.
  void HookComponents();

  std::unique_ptr<Ui::MainWindow> ui_;
  mutable std::string workFile_;
  // A save prompt of a close request is open: a second request waits.
  bool closePromptOpen_ = false;
  std::unique_ptr<TRecorderAudio> components_;
  IRecorderAudio *audio_;
  std::string statusText_;
  TColor statusColour_ = clWindow;
  std::unique_ptr<QObject> metersResize_;
  // Hands re-arms of the watchdog from the notify thread to the main thread.
  std::unique_ptr<mainloop::THiddenWindow> rearmWindow_;
  std::atomic<bool> rearmPending_{false};
  // Steady-clock nanoseconds of the last re-arm handed over.
  std::atomic<int64_t> lastRearm_{INT64_MIN};
};

// The names that mark a capture device as one of the recorder's microphones,
// matched at the start of the name, case-sensitively.
extern const char *const MicrophonePrefixes[2];

// Registers the classes of the main window's form resource.
void RegisterMainUnitClasses();
// The main window's form resource.
extern const char *const MainFormResource;

// Meter value to bar position: trunc(value + 0.5), held inside int.
int MeterPosition(double value);
