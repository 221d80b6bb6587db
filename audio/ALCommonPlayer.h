// The base of components that play an audio file as a stream of fixed-size
// audio buffers on an output pin: playback state (file name, enabled, paused,
// loop, segment, position in frames), what drives the stream (its own clock
// from the shared clock generator, the clock pin, or a downstream component
// that claims to pump it), buffers produced through the descendant's ReadData,
// and progress and the end of playback reported on the main thread.
//
// A stream: a start-wave, buffers of BufferSize frames (the last one shorter),
// a resume after the fourth buffer, and an end-stop (or stop) at the end of
// the range. Playback also ends at the end of the data, so a file that holds
// fewer frames than its header says (or none) still ends.
//
// Threads and locks: the setters, Start/Stop, Pause/Resume and the stop that
// ends playback run on the main thread and take the global lock for writing,
// then the component's write lock. Buffers are produced by whoever pumps (the
// clock generator's thread, a master's thread, the main thread on Resume)
// under the component's write lock; sinks run inside it. Joining and leaving
// the clock generator happen only while the global write lock is held, and
// the clock is left after the component's lock has been given back, so a tick
// waiting for that lock cannot deadlock with it. OnProgress and the OnStop of
// an ended range run on the main thread; OnProgress at most about every
// 100 ms while the position moves, and once more with the position where
// playback pauses or stops.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "audio/ALProgressGate.h"
#include "framework/data/ALStreamTypes.h"
#include "framework/data/Alsimpleaudiobuffer.h"
#include "framework/data/SLClockGen.h"
#include "framework/data/SLClockSource.h"
#include "framework/pins/OWStdTypes.h"
#include "platform/classlib/Component.h"

// The part of the file to play, read when a file starts.
class TALAudioPlayerSegment : public TPersistent {
  CLASSLIB_CLASS(TALAudioPlayerSegment)
public:
  TALAudioPlayerSegment() = default;

  int64_t GetStartSample() const { return startSample_; }
  int64_t GetStopSample() const { return stopSample_; }
  bool GetEnabled() const { return enabled_; }
  // Negative becomes 0; a stop before the new start moves with it.
  void SetStartSample(int64_t Value);
  // Negative becomes 0; a start after the new stop moves with it.
  void SetStopSample(int64_t Value);
  void SetEnabled(bool Value) { enabled_ = Value; }
  void Assign(TPersistent *Source) override;
  // Also reads the older "StartFrame" and "StopFrame" (never written).
  void DefineProperties(TFiler *Filer) override;

private:
  int64_t startSample_ = 0;
  int64_t stopSample_ = 100;
  bool enabled_ = false;
};

using TALAudioProgressEvent =
    TEvent<void(TObject *Sender, int64_t SartSample, int64_t EndSample, int64_t CurrenSample)>;
using TALPlayerNotifyEvent = TEvent<void(TObject *Sender)>;

class TALCommonPlayer : public TComponent {
  CLASSLIB_CLASS(TALCommonPlayer)
public:
  explicit TALCommonPlayer(TComponent *AOwner);
  ~TALCommonPlayer() override;
  void BeforeDestruction() override;
  void Loaded() override;

  TALOWAudioSourcePin *GetOutputPin() const { return outputPin_.get(); }
  TOWStringSinkPin *GetFileNamePin() const { return fileNamePin_.get(); }
  TOWIntProgressSourcePin *GetProgressPin() const { return progressPin_.get(); }
  TOWBoolStatePin *GetEnablePin() const { return enablePin_.get(); }
  TOWBoolStatePin *GetPausePin() const { return pausePin_.get(); }
  TOWClockSinkPin *GetClockPin() const { return clockPin_.get(); }

  std::string GetFileName() const;
  void SetFileName(const std::string &Value);
  bool GetRestartOnNewFile() const { return restartOnNewFile_; }
  void SetRestartOnNewFile(bool Value) { restartOnNewFile_ = Value; }
  int32_t GetPumpPriority() const { return pumpPriority_; }
  void SetPumpPriority(int32_t Value) { pumpPriority_ = Value; }
  bool GetEnabled() const { return enabled_; }
  void SetEnabled(bool Value);
  bool GetPaused() const { return paused_; }
  void SetPaused(bool Value);
  TSLClockSource GetClockSource() const { return clockSource_; }
  void SetClockSource(TSLClockSource Value) { clockSource_ = Value; }
  TALAudioPlayerSegment *GetPlaySegment() { return &segment_; }
  void SetPlaySegment(TALAudioPlayerSegment *Value) { segment_.Assign(Value); }
  int32_t GetBufferSize() const { return bufferSize_; }
  // A value of 0 or less becomes 1.
  void SetBufferSize(int32_t Value) { bufferSize_ = Value <= 0 ? 1 : Value; }

  std::atomic<bool> Loop{false};
  bool GetLoop() const { return Loop; }
  void SetLoop(bool Value) { Loop = Value; }
  TALAudioProgressEvent OnProgress;
  TALPlayerNotifyEvent OnStop;

  void Start() { SetEnabled(true); }
  void Stop() { SetEnabled(false); }
  void Pause();
  void Resume();
  int64_t GetSamplesCount() const;
  int64_t GetCurrentSample() const;
  void SetCurrentSample(int64_t Value);
  int64_t Get_CurrentTime() const;
  // kept: public setter; the program does not call it
  void Set_CurrentTime(int64_t Value);
  int64_t GetDurationTime() const;
  // One buffer, when the clock pin drives or while paused.
  void Pump();
  // Sends an end-stop and forgets the sent start.
  // kept: public member; no component calls it
  void Close();

  // The clock period in milliseconds of the open file (for tests and tools).
  uint32_t GetClockPeriod() const { return period_; }
  bool GetPlaying() const { return playing_; }

protected:
  virtual void IntClose() = 0;
  virtual void IntStart(bool Force) = 0;
  virtual void GenerateSoundFrame(int32_t Position, IALAudioBufferPtr &Buffer);
  virtual void ResetPosition();
  // Frames read into Destination (at most Frames); negative on failure.
  virtual int32_t ReadData(uint8_t *Destination, int32_t Frames) = 0;
  virtual void GenerateNewTextFrame() {}

  // For the descendant's IntStart.
  void SendStartWave();
  void SendPumpRequest(float Rate);
  void CreateTimer();
  void CreateScratch();
  bool IsRunTime() const { return !InState(csDesigning); }
  TOWObject *GetLockObject() const { return lock_.get(); }

  // Set by the descendant when a file starts (under the component's lock).
  uint32_t period_ = 0;
  WAVEFORMATEXTENSIBLE streamFormat_{};
  std::atomic<int64_t> rangeStart_{0};
  std::atomic<int64_t> rangeEnd_{0};
  std::atomic<int64_t> currentSample_{0};
  std::atomic<int64_t> samplesCount_{0};
  std::atomic<bool> playing_{false};
  bool selfClocked_ = true;
  bool firstPump_ = true;
  bool started_ = false;
  bool inStart_ = false;
  bool stopping_ = false; // the end was reached; no buffer until the stop runs
  int resumeCountdown_ = 0;

private:
  void TryStart(bool Force);
  void RemoveTimer();
  // Leaves the clock generator for clocks removed meanwhile; the global write
  // lock is held and the component's lock is not.
  void ReleaseRemovedClocks();
  void Clock();
  void IntPump();
  void ResumeBeforeEnd();
  void IntStop(bool SendStop, bool RemoveClock, bool EndStop);
  void MainIntStop(bool SendStop, bool RemoveClock, bool EndStop);
  void DoStop();
  void DoProgress();
  void MasterPump(TObject *Sender, int64_t Identifier);
  TOWNotifyResult AudioDispatchOperation(TOWPin *Sender, const TGUID *DataTypeID,
                                         IOWNotifyOperation *Operation, TOWNotifyState State);
  void OnClockPin(TOWPin *Sender);

  std::unique_ptr<TOWObject> lock_;
  TOwnedPtr<TALOWAudioSourcePin> outputPin_;
  TOwnedPtr<TOWStringSinkPin> fileNamePin_;
  TOwnedPtr<TOWIntProgressSourcePin> progressPin_;
  TOwnedPtr<TOWBoolStatePin> enablePin_;
  TOwnedPtr<TOWBoolStatePin> pausePin_;
  TOwnedPtr<TOWClockSinkPin> clockPin_;
  std::unique_ptr<TSLMainThreadNotify> progressNotifier_;
  std::unique_ptr<TALProgressGate> progressGate_; // spaces progressNotifier_'s posts
  std::unique_ptr<TSLMainThreadNotify> stopNotifier_;

  std::string fileName_;
  bool restartOnNewFile_ = true;
  int32_t pumpPriority_ = 0;
  std::atomic<bool> enabled_{true};
  std::atomic<bool> paused_{false};
  TSLClockSource clockSource_ = csInternal;
  TALAudioPlayerSegment segment_;
  int32_t bufferSize_ = 1024;

  com::TComPtr<TALAudioBuffer> scratch_;
  int32_t scratchOffset_ = 0;
  int32_t scratchFill_ = 0;
  bool stopArgs_[3] = {false, false, false};
  TSLClockGenItem *clock_ = nullptr;
  std::vector<TSLClockGenItem *> removedClocks_;
  TObject *master_ = nullptr;
  int64_t lastPumpId_ = 0;
  int missedPumps_ = 0;
};
