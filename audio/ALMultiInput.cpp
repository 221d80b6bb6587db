#include "audio/ALMultiInput.h"

#include <algorithm>
#include <cmath>

#include "platform/sys/ScopeExit.h"

// ---------------------------------------------------------------------------
// TALVariantQueue

void TALVariantQueue::Push(IALAudioBuffer *Buffer) {
  IALAudioBufferPtr shared(com::MakeCom<TALAudioBuffer>(Buffer).Get());
  collected_ += shared->GetSize();
  items_.push_back(std::move(shared));
}

bool TALVariantQueue::Pop(IALAudioBuffer *Buffer) {
  if (collected_ < Buffer->GetSize())
    return false;
  PopRest(Buffer);
  return true;
}

uint32_t TALVariantQueue::PopRest(IALAudioBuffer *Buffer) {
  const uint32_t wanted = Buffer->GetSize();
  uint32_t copied = 0;
  while (copied < wanted && !items_.empty()) {
    IALAudioBuffer *front = items_.front().Get();
    const uint32_t n = std::min(wanted - copied, front->GetSize() - offset_);
    if (n > 0)
      front->CopyTo(offset_, Buffer, copied, n);
    copied += n;
    offset_ += n;
    collected_ -= n;
    if (offset_ >= front->GetSize()) {
      items_.pop_front();
      offset_ = 0;
    }
  }
  if (copied < wanted)
    Clear();
  return copied;
}

void TALVariantQueue::Clear() {
  items_.clear();
  collected_ = 0;
  offset_ = 0;
}

// ---------------------------------------------------------------------------
// TALOWQueuedAudioSinkPin

void TALOWQueuedAudioSinkPin::StartRate(const WAVEFORMATEXTENSIBLE &Format) {
  accumulator = 0;
  format = Format;
  hasStream = true;
  running = true;
}

void TALOWQueuedAudioSinkPin::StopFull() {
  refill = true;
  ignored = true;
  running = false;
  hasStream = queue.GetCollected() > 0;
}

void TALOWQueuedAudioSinkPin::MasterPump(IOWNotifyOperation *Operation, double OutputRate) {
  if (!hasStream || OutputRate <= 0)
    return;
  accumulator += GetRate() / OutputRate;
  while (accumulator >= 1) {
    accumulator -= 1;
    Notify(Operation);
  }
}

// ---------------------------------------------------------------------------
// TALMultiInput

const TClassInfo &TALMultiInput::StaticClassInfo() {
  static const TClassInfo &info = MakeClassInfo<TALMultiInput>(
      "TALMultiInput", &TComponent::StaticClassInfo(), [](TClassBuilder<TALMultiInput> &c) {
        c.Object("OutputPin", &TALMultiInput::GetOutputPin);
        c.Object("AudioFormat", &TALMultiInput::GetAudioFormat, &TALMultiInput::SetAudioFormat);
      });
  return info;
}

namespace {
bool ReadableFormat(const WAVEFORMATEXTENSIBLE &f) {
  const uint32_t bits = f.Format.wBitsPerSample;
  return f.Format.nChannels > 0 && f.Format.nSamplesPerSec > 0 &&
         (bits == 8 || bits == 16 || bits == 24 || bits == 32);
}
} // namespace

TALMultiInput::TALMultiInput(TComponent *AOwner)
    : TComponent(AOwner), lock_(std::make_unique<TOWObject>()) {
  outputPin_.reset(CreateObject<TALOWAudioSourcePin>(
      this, [this](TOWPin *s, const TGUID *d, IOWNotifyOperation *o, TOWNotifyState st) {
        return SourceDispatch(s, d, o, st);
      }));
  lock_->AddShareLock(outputPin_.get());
  format_ = std::make_unique<TALAudioFormat>(lock_.get(), [this](TObject *) { DoChange(); });
}

TALMultiInput::~TALMultiInput() {
  format_.reset();
  outputPin_.reset();
  lock_.reset();
}

void TALMultiInput::BeforeDestruction() {
  for (TALOWQueuedAudioSinkPin *pin : queuedPins_)
    pin->Disconnect();
  IntStop();
  TComponent::BeforeDestruction();
}

void TALMultiInput::SetAudioFormat(TALAudioFormat *Value) {
  if (Value == nullptr || Value == format_.get())
    return;
  format_->SetChannels(Value->GetChannels());
  format_->SetBits(Value->GetBits());
  format_->SetSampleRate(Value->GetSampleRate());
  format_->SetChannelMask(Value->GetChannelMask());
  format_->SetBufferSize(Value->GetBufferSize());
}

bool TALMultiInput::IsQueuedPin(TOWPin *Pin) const {
  return std::find(queuedPins_.begin(), queuedPins_.end(), Pin) != queuedPins_.end();
}

TALOWQueuedAudioSinkPin *TALMultiInput::QueuedPinCreateFunction() {
  auto *pin = CreateObject<TALOWQueuedAudioSinkPin>(
      this, [this](TOWPin *s, const TGUID *d, IOWNotifyOperation *o, TOWNotifyState st) {
        return SinkDispatch(s, d, o, st);
      });
  queuedPins_.push_back(pin);
  outputPin_->FunctionDependencies().Add(pin, true);
  return pin;
}

void TALMultiInput::QueuedPinDestroyFunction(TALOWQueuedAudioSinkPin *Pin) {
  queuedPins_.erase(std::remove(queuedPins_.begin(), queuedPins_.end(), Pin), queuedPins_.end());
}

void TALMultiInput::DoChange() {
  if (inCalculation_ || !started_)
    return;
  CalculateRate();
}

void TALMultiInput::IntStop() {
  {
    TOWWriteSection section(lock_.get());
    started_ = false;
    rateCalculated_ = false;
  }
  outputPin_->Notify(TOWNotifyOperation::Make<TOWStopOperation>().Get());
}

void TALMultiInput::AttemptStop() {
  if (!started_)
    return;
  for (TALOWQueuedAudioSinkPin *pin : queuedPins_)
    if (pin->hasStream)
      return;
  IntStop();
}

void TALMultiInput::AttemptResume() {
  for (TALOWQueuedAudioSinkPin *pin : queuedPins_)
    if (!pin->resumed)
      return;
  outputPin_->Notify(TOWNotifyOperation::Make<TOWSLResumeOperation>().Get());
}

bool TALMultiInput::IsStartReady(TALOWQueuedAudioSinkPin *Pin) {
  if (Pin->hasStream || Pin->badFormat || !Pin->IsConnected() || !Pin->enabled)
    return true;
  // The source answers the query with an ignore-stream operation, on this
  // thread, when it will not deliver.
  Pin->ignored = false;
  Pin->Notify(TOWNotifyOperation::Make<TOWQueryStreamOperation>().Get());
  return Pin->ignored;
}

bool TALMultiInput::CalculateRateInt() {
  if (!rateCalculated_) {
    double rate = 0;
    for (TALOWQueuedAudioSinkPin *pin : queuedPins_)
      if (!IsStartReady(pin))
        return false;
    for (TALOWQueuedAudioSinkPin *pin : queuedPins_)
      if (pin->IsConnected() && pin->hasStream)
        rate = std::max(rate, pin->GetRate());
    // Nothing to merge yet: no input delivers.
    if (rate <= 0)
      return false;
    outputRate_ = rate;
    rateCalculated_ = true;
  }
  SetSampleRates();
  return true;
}

void TALMultiInput::SetSampleRates() {
  for (TALOWQueuedAudioSinkPin *pin : queuedPins_) {
    if (pin->IsConnected() && pin->hasStream && outputRate_ > 0)
      pin->framesPerOutput = static_cast<int32_t>(std::nearbyint(
          static_cast<double>(format_->GetBufferSize()) * pin->GetRate() / outputRate_));
    else
      pin->refill = true;
  }
}

void TALMultiInput::CalculateRate() {
  if (started_) {
    SetSampleRates();
    return;
  }
  inCalculation_ = true;
  sys::TScopeExit done([this] { inCalculation_ = false; });
  if (CalculateRateInt()) {
    format_->SetSampleRate(static_cast<uint32_t>(std::nearbyint(outputRate_)));
    if (!started_) {
      StreamStarted();
      outputPin_->Notify(TOWNotifyOperation::Make<TOWStartWaveOperation>(
                             static_cast<int32_t>(format_->GetBufferSize()),
                             static_cast<float>(outputRate_), format_->GetWaveFormat())
                             .Get());
      started_ = true;
      if (pumpPending_)
        outputPin_->Notify(TOWNotifyOperation::Make<TOWPumpRequestOperation>().Get());
      pumpPending_ = false;
    }
  }
}

bool TALMultiInput::IsReady(TALOWQueuedAudioSinkPin *Pin) {
  const uint64_t one = static_cast<uint64_t>(std::max(Pin->framesPerOutput, 0));
  if (!Pin->hasStream)
    return false;
  if (!Pin->running)
    return true;
  if (Pin->refill) {
    if (Pin->queue.GetCollected() < one * buffersAhead_)
      return false;
    Pin->refill = false;
    return true;
  }
  return Pin->queue.GetCollected() >= one;
}

bool TALMultiInput::CanSend() {
  if (!started_)
    return false;
  for (TALOWQueuedAudioSinkPin *pin : queuedPins_) {
    if (!pin->IsConnected())
      continue;
    if (pin->hasStream) {
      if (!IsReady(pin))
        return false;
    } else if (!pin->ignored && !pin->refill && !pin->enabled) {
      return false;
    }
  }
  return true;
}

void TALMultiInput::TrySend() {
  if (!CanSend())
    return;
  CalculateSendOutput();
  AttemptStop();
}

void TALMultiInput::Flush() {
  // After a stop no buffer may come to push the data of the stopped inputs
  // out: send what is left while every streaming input can contribute, as
  // long as each pass uses some of it up.
  for (;;) {
    bool anyStream = false;
    uint64_t before = 0;
    for (TALOWQueuedAudioSinkPin *pin : queuedPins_) {
      anyStream = anyStream || pin->hasStream;
      before += pin->queue.GetCollected() + (pin->hasStream ? 1 : 0);
    }
    if (!anyStream || !CanSend())
      break;
    CalculateSendOutput();
    uint64_t after = 0;
    for (TALOWQueuedAudioSinkPin *pin : queuedPins_)
      after += pin->queue.GetCollected() + (pin->hasStream ? 1 : 0);
    if (after >= before)
      break;
  }
  AttemptStop();
}

TOWNotifyResult TALMultiInput::SinkDispatch(TOWPin *Sender, const TGUID *,
                                            IOWNotifyOperation *Operation, TOWNotifyState) {
  if (OWOperationAs<TOWStartPumpOperation>(Operation)) {
    if (started_)
      return outputPin_->Notify(Operation);
    pumpPending_ = true;
    return {};
  }
  if (OWOperationAs<TOWPumpRequestOperation>(Operation))
    return {};
  // An operation that came back from downstream with no input linked: only
  // the pump bookkeeping above applies to it.
  if (!IsQueuedPin(Sender))
    return {};
  auto *pin = static_cast<TALOWQueuedAudioSinkPin *>(Sender);
  if (const auto *start = OWOperationAs<TOWStartWaveOperation>(Operation)) {
    pin->queue.Clear();
    pin->badFormat = !ReadableFormat(start->WaveFormat());
    if (!pin->badFormat) {
      pin->StartRate(start->WaveFormat());
      pin->ignored = false;
    } else {
      // Nothing can be read from it: the input counts as one that will not
      // deliver, so the others can go ahead.
      pin->StopFull();
      pin->format = WAVEFORMATEXTENSIBLE{};
    }
    CalculateRate();
    return {};
  }
  if (OWOperationAs<TOWStopOperation>(Operation)) {
    pin->badFormat = false;
    pin->StopFull();
    Flush();
    return {};
  }
  if (const auto *supplied = OWOperationAs<TOWSuppliedBufferOperation>(Operation)) {
    IALAudioBufferPtr audio = IALAudioBufferPtr::Query(supplied->Buffer());
    if (!audio || !pin->running ||
        audio->GetSamplesPerSecond() != pin->format.Format.nSamplesPerSec)
      return {};
    pin->queue.Push(audio.Get());
    TrySend();
    return {};
  }
  if (OWOperationAs<TOWIgnoreStreamOperation>(Operation)) {
    pin->ignored = true;
    return outputPin_->Notify(Operation);
  }
  if (OWOperationAs<TOWSLResumeOperation>(Operation)) {
    pin->resumed = true;
    pin->ignored = false;
    if (!started_)
      CalculateRate();
    return {};
  }
  if (OWOperationAs<TOWSLPauseOperation>(Operation)) {
    pin->ignored = true;
    return {};
  }
  return outputPin_->Notify(Operation);
}

TOWNotifyResult TALMultiInput::SourceDispatch(TOWPin *, const TGUID *DataTypeID,
                                              IOWNotifyOperation *Operation, TOWNotifyState State) {
  if (OWOperationAs<TOWMasterPumpOperation>(Operation)) {
    for (TALOWQueuedAudioSinkPin *pin : queuedPins_)
      pin->MasterPump(Operation, outputRate_);
    return {};
  }
  bool any = false;
  TOWNotifyResult result;
  for (TALOWQueuedAudioSinkPin *pin : queuedPins_)
    if (pin->IsConnected()) {
      any = true;
      result = pin->Notify(Operation);
    }
  if (any)
    return result;
  if (OWOperationAs<TOWStartOperation>(Operation))
    outputPin_->Notify(TOWNotifyOperation::Make<TOWPumpRequestOperation>().Get());
  return SinkDispatch(outputPin_.get(), DataTypeID, Operation, State);
}
