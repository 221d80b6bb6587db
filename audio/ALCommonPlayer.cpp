#include "audio/ALCommonPlayer.h"

#include <algorithm>
#include <cstring>

#include "platform/classlib/FormStream.h"

namespace {
constexpr int64_t kTicksPerSecond = 10000000;
}

// ---------------------------------------------------------------------------
// TALAudioPlayerSegment

void TALAudioPlayerSegment::SetStartSample(int64_t Value) {
  Value = std::max<int64_t>(Value, 0);
  if (Value == startSample_)
    return;
  startSample_ = Value;
  if (stopSample_ < Value)
    stopSample_ = Value;
}

void TALAudioPlayerSegment::SetStopSample(int64_t Value) {
  Value = std::max<int64_t>(Value, 0);
  if (Value == stopSample_)
    return;
  stopSample_ = Value;
  if (startSample_ > Value)
    startSample_ = Value;
}

void TALAudioPlayerSegment::Assign(TPersistent *Source) {
  if (auto *other = dynamic_cast<TALAudioPlayerSegment *>(Source)) {
    enabled_ = other->enabled_;
    startSample_ = other->startSample_;
    stopSample_ = other->stopSample_;
    return;
  }
  TPersistent::Assign(Source);
}

void TALAudioPlayerSegment::DefineProperties(TFiler *Filer) {
  TPersistent::DefineProperties(Filer);
  Filer->DefineProperty(
      "StartFrame", [this](TReader *Reader) { SetStartSample(Reader->ReadInteger()); }, nullptr,
      false);
  Filer->DefineProperty(
      "StopFrame", [this](TReader *Reader) { SetStopSample(Reader->ReadInteger()); }, nullptr,
      false);
}

// ---------------------------------------------------------------------------
// TALCommonPlayer

const TClassInfo &TALAudioPlayerSegment::StaticClassInfo() {
  static const TClassInfo &info = MakeClassInfo<TALAudioPlayerSegment>(
      "TALAudioPlayerSegment", &TPersistent::StaticClassInfo(),
      [](TClassBuilder<TALAudioPlayerSegment> &c) {
        c.Integer("StartSample", &TALAudioPlayerSegment::GetStartSample,
                  &TALAudioPlayerSegment::SetStartSample, 0);
        c.Integer("StopSample", &TALAudioPlayerSegment::GetStopSample,
                  &TALAudioPlayerSegment::SetStopSample, 100);
        c.Boolean("Enabled", &TALAudioPlayerSegment::GetEnabled, &TALAudioPlayerSegment::SetEnabled,
                  false);
      });
  return info;
}

const TClassInfo &TALCommonPlayer::StaticClassInfo() {
  static const TClassInfo &info = MakeClassInfo<TALCommonPlayer>(
      "TALCommonPlayer", &TComponent::StaticClassInfo(), [](TClassBuilder<TALCommonPlayer> &c) {
        c.String("FileName", &TALCommonPlayer::GetFileName, &TALCommonPlayer::SetFileName);
        c.Boolean("RestartOnNewFile", &TALCommonPlayer::GetRestartOnNewFile,
                  &TALCommonPlayer::SetRestartOnNewFile, true);
        c.Integer("PumpPriority", &TALCommonPlayer::GetPumpPriority,
                  &TALCommonPlayer::SetPumpPriority, 0);
        c.Boolean("Enabled", &TALCommonPlayer::GetEnabled, &TALCommonPlayer::SetEnabled, true);
        c.Boolean("Paused", &TALCommonPlayer::GetPaused, &TALCommonPlayer::SetPaused, false);
        c.Boolean("Loop", &TALCommonPlayer::GetLoop, &TALCommonPlayer::SetLoop, false);
        c.Enumeration("ClockSource", &TALCommonPlayer::GetClockSource,
                      &TALCommonPlayer::SetClockSource, {"csInternal", "csExternal"}, csInternal);
        c.Object("PlaySegment", &TALCommonPlayer::GetPlaySegment, &TALCommonPlayer::SetPlaySegment);
        c.Integer("BufferSize", &TALCommonPlayer::GetBufferSize, &TALCommonPlayer::SetBufferSize,
                  1024);
        c.Object("OutputPin", &TALCommonPlayer::GetOutputPin);
        c.Object("FileNamePin", &TALCommonPlayer::GetFileNamePin);
        c.Object("ProgressPin", &TALCommonPlayer::GetProgressPin);
        c.Object("EnablePin", &TALCommonPlayer::GetEnablePin);
        c.Object("PausePin", &TALCommonPlayer::GetPausePin);
        c.Event("OnProgress", &TALCommonPlayer::OnProgress);
        c.Event("OnStop", &TALCommonPlayer::OnStop);
        c.Object("ClockPin", &TALCommonPlayer::GetClockPin);
      });
  return info;
}

TALCommonPlayer::TALCommonPlayer(TComponent *AOwner)
    : TComponent(AOwner), lock_(std::make_unique<TOWObject>()) {
  outputPin_.reset(CreateObject<TALOWAudioSourcePin>(
      this, [this](TOWPin *Sender, const TGUID *DataTypeID, IOWNotifyOperation *Operation,
                   TOWNotifyState State) {
        return AudioDispatchOperation(Sender, DataTypeID, Operation, State);
      }));
  fileNamePin_.reset(CreateObject<TOWStringSinkPin>(
      this, [this](TOWPin *, const std::string &Value) { SetFileName(Value); }, nullptr));
  progressPin_.reset(CreateObject<TOWIntProgressSourcePin>(this));
  enablePin_.reset(CreateObject<TOWBoolStatePin>(
      this, [this](TOWPin *, bool Value) { SetEnabled(Value); }, nullptr));
  pausePin_.reset(CreateObject<TOWBoolStatePin>(
      this, [this](TOWPin *, bool Value) { SetPaused(Value); }, nullptr));
  clockPin_.reset(CreateObject<TOWClockSinkPin>(
      this, [this](TOWPin *Sender) { OnClockPin(Sender); }, nullptr));
  lock_->AddShareLock(outputPin_.get());
  outputPin_->FunctionDependencies().Add(clockPin_.get(), true);
  progressNotifier_ =
      std::make_unique<TSLMainThreadNotify>([this](TSLMainThreadNotify *) { DoProgress(); });
  progressGate_ = std::make_unique<TALProgressGate>([this](bool Later) {
    return Later ? progressNotifier_->NotifyLater() : progressNotifier_->Notify();
  });
  stopNotifier_ =
      std::make_unique<TSLMainThreadNotify>([this](TSLMainThreadNotify *) { DoStop(); });
}

TALCommonPlayer::~TALCommonPlayer() {
  progressGate_.reset();
  progressNotifier_.reset();
  stopNotifier_.reset();
  clockPin_.reset();
  pausePin_.reset();
  enablePin_.reset();
  progressPin_.reset();
  fileNamePin_.reset();
  outputPin_.reset();
}

void TALCommonPlayer::BeforeDestruction() {
  {
    TOWGlobalWriteSection global;
    {
      TOWWriteSection section(lock_.get());
      MainIntStop(true, true, false);
    }
    ReleaseRemovedClocks();
  }
  outputPin_->Disconnect();
  TComponent::BeforeDestruction();
}

void TALCommonPlayer::Loaded() {
  TComponent::Loaded();
  if (enabled_ && IsRunTime()) {
    TOWGlobalWriteSection global;
    {
      TOWWriteSection section(lock_.get());
      TryStart(false);
    }
    ReleaseRemovedClocks();
  }
}

std::string TALCommonPlayer::GetFileName() const {
  TOWReadSection section(lock_.get());
  return fileName_;
}

void TALCommonPlayer::SetFileName(const std::string &Value) {
  {
    TOWGlobalWriteSection global;
    {
      TOWWriteSection section(lock_.get());
      if (Value == fileName_)
        return;
      fileName_ = Value;
      if (enabled_ && !restartOnNewFile_ && IsRunTime() && !InState(csLoading)) {
        // The stream goes on: no stop, the clock stays, no second start-wave.
        MainIntStop(false, false, false);
        TryStart(false);
      }
    }
    ReleaseRemovedClocks();
  }
  if (enabled_ && restartOnNewFile_) {
    SetEnabled(false);
    SetEnabled(true);
  }
}

void TALCommonPlayer::SetEnabled(bool Value) {
  {
    TOWGlobalWriteSection global;
    {
      TOWWriteSection section(lock_.get());
      if (Value == enabled_)
        return;
      enabled_ = Value;
      if (IsRunTime() && !InState(csLoading)) {
        if (Value)
          TryStart(false);
        else
          // A stop asked for is not the end of the data: a plain stop, which
          // the output answers by dropping what it has not played yet.
          MainIntStop(true, true, false);
      }
    }
    ReleaseRemovedClocks();
  }
  enablePin_->SetValue(Value);
}

void TALCommonPlayer::SetPaused(bool Value) {
  if (Value != paused_)
    Value ? Pause() : Resume();
}

void TALCommonPlayer::Pause() {
  {
    TOWGlobalWriteSection global;
    {
      TOWWriteSection section(lock_.get());
      if (paused_)
        return;
      paused_ = true;
      if (IsRunTime()) {
        if (enabled_)
          outputPin_->Notify(TOWNotifyOperation::Make<TOWSLPauseOperation>().Get());
        RemoveTimer();
      }
      progressGate_->Close();
    }
    ReleaseRemovedClocks();
  }
  pausePin_->SetValue(true);
}

void TALCommonPlayer::Resume() {
  {
    TOWGlobalWriteSection global;
    {
      TOWWriteSection section(lock_.get());
      if (!paused_)
        return;
      paused_ = false;
      if (IsRunTime() && enabled_) {
        outputPin_->Notify(TOWNotifyOperation::Make<TOWSLResumeOperation>().Get());
        IntPump();
        if (playing_)
          CreateTimer();
        for (; missedPumps_ > 0; --missedPumps_)
          IntPump();
      }
    }
    ReleaseRemovedClocks();
  }
  pausePin_->SetValue(false);
}

int64_t TALCommonPlayer::GetSamplesCount() const {
  TOWReadSection section(lock_.get());
  return samplesCount_;
}

int64_t TALCommonPlayer::GetCurrentSample() const {
  TOWReadSection section(lock_.get());
  return currentSample_;
}

void TALCommonPlayer::SetCurrentSample(int64_t Value) {
  TOWWriteSection section(lock_.get());
  currentSample_ = Value;
  stopping_ = false;
  ResetPosition();
}

int64_t TALCommonPlayer::Get_CurrentTime() const {
  TOWReadSection section(lock_.get());
  const uint32_t rate = streamFormat_.Format.nSamplesPerSec;
  return rate ? currentSample_ * kTicksPerSecond / rate : 0;
}

void TALCommonPlayer::Set_CurrentTime(int64_t Value) {
  TOWWriteSection section(lock_.get());
  const uint32_t rate = streamFormat_.Format.nSamplesPerSec;
  currentSample_ = rate ? Value * rate / kTicksPerSecond : 0;
  stopping_ = false;
  ResetPosition();
}

int64_t TALCommonPlayer::GetDurationTime() const {
  TOWReadSection section(lock_.get());
  const uint32_t rate = streamFormat_.Format.nSamplesPerSec;
  return rate ? samplesCount_ * kTicksPerSecond / rate : 0;
}

void TALCommonPlayer::Pump() {
  if (clockSource_ == csExternal || paused_)
    IntPump();
}

void TALCommonPlayer::Close() {
  TOWWriteSection section(lock_.get());
  outputPin_->EndStop();
  started_ = false;
}

void TALCommonPlayer::TryStart(bool Force) {
  stopping_ = false;
  if (clockSource_ == csExternal) {
    selfClocked_ = true;
    IntStart(Force);
    return;
  }
  auto request =
      com::MakeCom<TOWPumpRequestOperation>(this, TOWPumpType::ptMaster, pumpPriority_, 1.0f);
  outputPin_->Notify(request.Get());
  if (request->Sender == this) {
    selfClocked_ = true;
    IntStart(Force);
  } else {
    selfClocked_ = false;
    master_ = request->Sender;
    inStart_ = true;
    IntStart(Force);
    inStart_ = false;
  }
}

void TALCommonPlayer::SendStartWave() {
  outputPin_->Notify(TOWNotifyOperation::Make<TOWStartWaveOperation>(
                         bufferSize_, float(streamFormat_.Format.nSamplesPerSec), &streamFormat_)
                         .Get());
  started_ = true;
}

void TALCommonPlayer::SendPumpRequest(float Rate) {
  auto request =
      com::MakeCom<TOWPumpRequestOperation>(this, TOWPumpType::ptMaster, pumpPriority_, Rate);
  outputPin_->Notify(request.Get());
  if (request->Sender == this) {
    selfClocked_ = true;
  } else {
    selfClocked_ = false;
    master_ = request->Sender;
  }
}

void TALCommonPlayer::CreateScratch() {
  scratch_ = com::MakeCom<TALAudioBuffer>(&streamFormat_, bufferSize_);
  scratchOffset_ = 0;
  scratchFill_ = 0;
}

void TALCommonPlayer::CreateTimer() {
  if (!selfClocked_ || clockSource_ != csInternal || clock_)
    return;
  clock_ = SLGetClockGen(
      period_, [this] { Clock(); }, lock_.get());
}

void TALCommonPlayer::RemoveTimer() {
  if (clock_) {
    removedClocks_.push_back(clock_);
    clock_ = nullptr;
  }
}

void TALCommonPlayer::ReleaseRemovedClocks() {
  std::vector<TSLClockGenItem *> items;
  items.swap(removedClocks_);
  for (TSLClockGenItem *item : items)
    SLReleaseClockGen(item, lock_.get());
}

void TALCommonPlayer::Clock() {
  if (!paused_)
    IntPump();
}

void TALCommonPlayer::OnClockPin(TOWPin *) {
  if (paused_ || (selfClocked_ && clockSource_ == csExternal))
    IntPump();
}

void TALCommonPlayer::IntPump() {
  if (!enabled_)
    return;
  if (paused_) {
    if (inStart_)
      missedPumps_ = 2;
    return;
  }
  GenerateNewTextFrame();
  TOWWriteSection section(lock_.get());
  if (!playing_ || stopping_)
    return;
  IALAudioBufferPtr buffer;
  GenerateSoundFrame(int32_t(currentSample_), buffer);
  if (!buffer) {
    // The output is linked but nothing is left to read: the data ended before
    // the range did (an empty or truncated file).
    if (outputPin_->IsConnected()) {
      ResumeBeforeEnd();
      currentSample_.store(rangeEnd_);
      stopping_ = true;
      IntStop(restartOnNewFile_, true, true);
    }
    return;
  }
  const bool empty = buffer->GetSize() == 0;
  if (!empty && outputPin_->IsConnected())
    outputPin_->SubmitBuffer(com::TComPtr<ISLDataBuffer>(buffer.Get()));
  if (!empty && resumeCountdown_ > 0 && --resumeCountdown_ == 0)
    outputPin_->Notify(TOWNotifyOperation::Make<TOWSLResumeOperation>().Get());
  if (currentSample_ > rangeEnd_ || empty) {
    if (Loop && !empty && rangeStart_ <= rangeEnd_) {
      currentSample_.store(rangeStart_);
      ResetPosition();
    } else {
      ResumeBeforeEnd();
      currentSample_.store(rangeEnd_);
      stopping_ = true;
      IntStop(restartOnNewFile_, true, true);
    }
  }
}

// A stream shorter than the buffers sent ahead of the resume still plays:
// its resume goes before its end.
void TALCommonPlayer::ResumeBeforeEnd() {
  if (resumeCountdown_ > 0 && outputPin_->IsConnected()) {
    resumeCountdown_ = 0;
    outputPin_->Notify(TOWNotifyOperation::Make<TOWSLResumeOperation>().Get());
  }
}

void TALCommonPlayer::GenerateSoundFrame(int32_t, IALAudioBufferPtr &Buffer) {
  Buffer = nullptr;
  if (!outputPin_->IsConnected())
    return;
  TOWWriteSection section(lock_.get());
  if (!enabled_) {
    Buffer = IALAudioBufferPtr(com::MakeCom<TALAudioBuffer>().Get());
    return;
  }
  const int64_t current = currentSample_;
  const int64_t end = std::min<int64_t>(current + bufferSize_, samplesCount_);
  if (end <= current || !scratch_)
    return;
  const int32_t wanted = int32_t(end - current);
  auto result = com::MakeCom<TALAudioBuffer>(&streamFormat_, bufferSize_);
  const uint32_t ba = streamFormat_.Format.nBlockAlign;
  int32_t got = 0;
  auto copyFromScratch = [&](int32_t from, int32_t to, int32_t n) {
    std::memcpy(result->Write() + size_t(to) * ba, scratch_->Read() + size_t(from) * ba,
                size_t(n) * ba);
  };
  if (scratchOffset_ == 0) {
    got = ReadData(result->Write(), bufferSize_);
    if (got <= 0) {
      got = 0;
    } else {
      while (got < bufferSize_) {
        const int32_t fill = ReadData(scratch_->Write(), bufferSize_);
        if (fill <= 0) {
          scratchOffset_ = 0;
          break;
        }
        const int32_t n = std::min(fill, bufferSize_ - got);
        copyFromScratch(0, got, n);
        got += n;
        scratchFill_ = fill;
        scratchOffset_ = n >= fill ? 0 : n;
      }
    }
  } else {
    if (scratchFill_ > 0) {
      int32_t n = std::min(scratchFill_ - scratchOffset_, wanted);
      copyFromScratch(scratchOffset_, 0, n);
      scratchOffset_ += n;
      if (scratchOffset_ >= scratchFill_)
        scratchOffset_ = 0;
      got = n;
      while (got < wanted) {
        const int32_t fill = ReadData(scratch_->Write(), wanted);
        if (fill <= 0)
          break;
        n = std::min(fill, wanted - got);
        copyFromScratch(0, got, n);
        got += n;
        scratchFill_ = fill;
        scratchOffset_ = n >= fill ? 0 : n;
      }
    }
  }
  if (got < bufferSize_)
    result->Resize(uint32_t(got), true);
  currentSample_ += got;
  if (OnProgress || progressPin_->IsConnected())
    progressGate_->Changed();
  Buffer = IALAudioBufferPtr(result.Get());
}

void TALCommonPlayer::ResetPosition() { scratchOffset_ = 0; }

void TALCommonPlayer::IntStop(bool SendStop, bool RemoveClock, bool EndStop) {
  if (!playing_)
    return;
  stopArgs_[0] = SendStop;
  stopArgs_[1] = RemoveClock;
  stopArgs_[2] = EndStop;
  stopNotifier_->Notify();
}

void TALCommonPlayer::DoStop() {
  {
    TOWGlobalWriteSection global;
    {
      TOWWriteSection section(lock_.get());
      if (!playing_)
        return;
      MainIntStop(stopArgs_[0], stopArgs_[1], stopArgs_[2]);
      if (stopArgs_[2])
        enabled_ = false;
    }
    ReleaseRemovedClocks();
  }
}

void TALCommonPlayer::MainIntStop(bool SendStop, bool RemoveClock, bool EndStop) {
  if (!playing_)
    return;
  firstPump_ = true;
  if (OnStop)
    OnStop(this);
  if (RemoveClock)
    RemoveTimer();
  if (SendStop) {
    if (EndStop)
      outputPin_->EndStop();
    else
      outputPin_->Stop();
    started_ = false;
  }
  IntClose();
  playing_ = false;
  stopping_ = false;
  // Where playback stopped reaches the window even within a period of the
  // position shown last.
  progressGate_->Close();
}

void TALCommonPlayer::DoProgress() {
  progressGate_->Arrived();
  const int64_t start = rangeStart_, end = rangeEnd_, current = currentSample_;
  if (OnProgress)
    OnProgress(this, start, end, current);
  progressPin_->SetMin(int32_t(start));
  progressPin_->SetProgress(int32_t(current));
  progressPin_->SetMax(int32_t(end));
}

void TALCommonPlayer::MasterPump(TObject *Sender, int64_t Identifier) {
  if (!selfClocked_ && Sender == master_ && (Identifier != lastPumpId_ || firstPump_))
    IntPump();
  firstPump_ = false;
  lastPumpId_ = Identifier;
}

TOWNotifyResult TALCommonPlayer::AudioDispatchOperation(TOWPin *, const TGUID *,
                                                        IOWNotifyOperation *Operation,
                                                        TOWNotifyState) {
  if (OWOperationAs<TOWStartSampleRateOperation>(Operation)) {
    IntStart(false);
  } else if (OWOperationAs<TOWStopOperation>(Operation)) {
    IntStop(true, true, false);
  } else if (auto *pump = OWOperationAs<TOWMasterPumpOperation>(Operation)) {
    MasterPump(pump->Sender(), pump->GetOperationID());
    return {};
  } else if (OWOperationAs<TOWQueryStreamOperation>(Operation)) {
    if (!enabled_ || GetFileName().empty())
      outputPin_->Notify(TOWNotifyOperation::Make<TOWIgnoreStreamOperation>().Get());
  }
  return outputPin_->Notify(Operation);
}
