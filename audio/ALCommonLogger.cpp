#include "audio/ALCommonLogger.h"

#include "platform/sys/ScopeExit.h"

const TClassInfo &TALCommonLogger::StaticClassInfo() {
  static const TClassInfo &info = MakeClassInfo<TALCommonLogger>(
      "TALCommonLogger", &TComponent::StaticClassInfo(), [](TClassBuilder<TALCommonLogger> &c) {
        c.Object("InputPin", &TALCommonLogger::GetInputPin);
        c.Object("FileNamePin", &TALCommonLogger::GetFileNamePin);
        c.Object("EnablePin", &TALCommonLogger::GetEnablePin);
        c.String("FileName", &TALCommonLogger::GetFileName, &TALCommonLogger::SetFileName);
        c.Boolean("Enabled", &TALCommonLogger::GetEnabled, &TALCommonLogger::SetEnabled, true);
      });
  return info;
}

TALCommonLogger::TALCommonLogger(TComponent *AOwner)
    : TComponent(AOwner), lock_(std::make_unique<TOWObject>()) {
  notifier_ = std::make_unique<TSLMainThreadNotify>(
      [this](TSLMainThreadNotify *) { MainThreadDataProcess(); });
  fileNamePin_.reset(CreateObject<TOWStringSinkPin>(
      this, [this](TOWPin *, const std::string &Value) { SetFileName(Value); }, nullptr));
  inputPin_.reset(CreateObject<TALOWAudioSinkPin>(
      this, [this](TOWPin *Sender, const TGUID *DataTypeID, IOWNotifyOperation *Operation,
                   TOWNotifyState State) {
        return AudioSinkDispatch(Sender, DataTypeID, Operation, State);
      }));
  pending_ = std::make_unique<TSLOperationList>(inputPin_.get());
  lock_->AddShareLock(inputPin_.get());
  enablePin_.reset(CreateObject<TOWBoolSinkPin>(
      this, [this](TOWPin *, bool Value) { SetEnabled(Value); }, nullptr));
}

TALCommonLogger::~TALCommonLogger() {
  notifier_.reset();
  pending_.reset();
  enablePin_.reset();
  inputPin_.reset();
  fileNamePin_.reset();
}

void TALCommonLogger::BeforeDestruction() {
  inputPin_->Disconnect();
  {
    TOWWriteSection section(inputPin_.get());
    IntEndAudio();
  }
  TComponent::BeforeDestruction();
}

std::string TALCommonLogger::GetFileName() const {
  TOWReadSection section(lock_.get());
  return fileName_;
}

void TALCommonLogger::SetFileName(const std::string &Value) {
  TOWWriteSection section(lock_.get());
  fileName_ = Value;
}

void TALCommonLogger::SetEnabled(bool Value) {
  if (Value == enabled_)
    return;
  TOWWriteSection section(lock_.get());
  enabled_ = Value;
}

void TALCommonLogger::Close() {
  TOWWriteSection section(inputPin_.get());
  IntEndAudio();
  format_.reset();
}

TOWNotifyResult TALCommonLogger::AudioSinkDispatch(TOWPin *, const TGUID *,
                                                   IOWNotifyOperation *Operation, TOWNotifyState) {
  if (deferring_) {
    pending_->Push(IOWNotifyOperationPtr(Operation), false);
    notifier_->Notify();
  } else {
    IntDispatch(Operation, false);
  }
  return {};
}

void TALCommonLogger::IntDispatch(IOWNotifyOperation *Operation, bool FromMain) {
  if (const auto *start = OWOperationAs<TOWStartWaveOperation>(Operation)) {
    format_ = start->WaveFormat();
    bufferSize_ = start->BufferSize();
    if (enabled_)
      IntBeginAudio(bufferSize_, &*format_);
    return;
  }
  if (OWOperationAs<TOWStopOperation>(Operation)) {
    IntEndAudio();
    format_.reset();
    return;
  }
  const auto *supplied = OWOperationAs<TOWSuppliedBufferOperation>(Operation);
  if (!supplied)
    return;
  if (begun_ && openFileName_ != GetFileName())
    IntEndAudio();
  if (!enabled_)
    return;
  if (!begun_ && format_) {
    if (FromMain) {
      IntBeginAudio(bufferSize_, &*format_);
    } else {
      // The file opens on the main thread; this buffer waits behind the
      // start there, so it is written too.
      deferring_ = true;
      pending_->Push(TOWNotifyOperation::Make<TOWStartWaveOperation>(bufferSize_, 0.0f, &*format_),
                     false);
      pending_->Push(IOWNotifyOperationPtr(Operation), false);
      notifier_->Notify();
      return;
    }
  }
  if (!supplied->Buffer())
    return;
  auto buffer = com::MakeCom<TALAudioBuffer>(supplied->Buffer());
  RenderAudio(buffer.Get());
}

void TALCommonLogger::MainThreadDataProcess() {
  // The global lock before the list's group lock, in the framework's order;
  // deferring ends while both are still held.
  TOWWriteSection section(pending_->GetLockObject());
  sys::TScopeExit done([this] { deferring_ = false; });
  while (IOWNotifyOperationPtr op = pending_->Pop())
    IntDispatch(op.Get(), true);
}

void TALCommonLogger::IntBeginAudio(int32_t BufferSize, const WAVEFORMATEXTENSIBLE *Format) {
  begun_ = true;
  openFileName_ = GetFileName();
  BeginAudio(BufferSize, Format);
}

void TALCommonLogger::IntEndAudio() {
  if (!begun_)
    return;
  begun_ = false;
  EndAudio();
}
