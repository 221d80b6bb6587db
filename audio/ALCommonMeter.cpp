#include "audio/ALCommonMeter.h"

#include <algorithm>
#include <cmath>

#include "framework/data/Ippextrafunctions.h"
#include "framework/dispatch/Albasicdispatcher.h"
#include "framework/dispatch/Vizazodizaro.h"
#include "platform/classlib/Exceptions.h"

// ---------------------------------------------------------------------------
// TALMeterBufferQueue

void TALMeterBufferQueue::Push(IALAudioBuffer *Buffer) {
  IALAudioBufferPtr shared(com::MakeCom<TALAudioBuffer>(Buffer).Get());
  queuedFrames_ += shared->GetSize();
  items_.push_back(std::make_unique<TALObjectWrapper>(std::move(shared)));
}

void TALMeterBufferQueue::Pop() {
  IALAudioBufferPtr dropped;
  Pop(dropped);
}

void TALMeterBufferQueue::Pop(IALAudioBufferPtr &Buffer) {
  Buffer = IALAudioBufferPtr();
  if (items_.empty())
    return;
  Buffer = std::move(items_.front()->Buffer);
  items_.pop_front();
  queuedFrames_ -= Buffer->GetSize();
}

bool TALMeterBufferQueue::GetBuffer(int Index, IALAudioBufferPtr &Buffer) const {
  if (Index < 0 || Index >= GetCount()) {
    Buffer = IALAudioBufferPtr();
    return false;
  }
  Buffer = items_[static_cast<size_t>(Index)]->Buffer;
  return true;
}

void TALMeterBufferQueue::Clear() {
  queuedFrames_ = 0;
  items_.clear();
}

// ---------------------------------------------------------------------------
// TALCommonMeter

const TClassInfo &TALCommonMeter::StaticClassInfo() {
  static const TClassInfo &info = MakeClassInfo<TALCommonMeter>(
      "TALCommonMeter", &TComponent::StaticClassInfo(), [](TClassBuilder<TALCommonMeter> &c) {
        c.Object("InputPin", &TALCommonMeter::GetInputPin);
        c.Object("OutputPins", &TALCommonMeter::GetOutputPins);
        c.Integer("CountChannels", &TALCommonMeter::GetCountChannels,
                  &TALCommonMeter::SetCountChannels, 2);
        c.Enumeration("SynchronizeType", &TALCommonMeter::GetSynchronizeType,
                      &TALCommonMeter::SetSynchronizeType, {"stNone", "stSingleBuffer", "stQueue"},
                      stSingleBuffer);
        c.Integer("Period", &TALCommonMeter::GetPeriod, &TALCommonMeter::SetTimePeriod, 100);
        c.Event("OnValueChange", &TALCommonMeter::OnValueChange);
      });
  return info;
}

TALCommonMeter::TALCommonMeter(TComponent *AOwner) : TComponent(AOwner) {
  if (!InState(csDesigning))
    notifier_ =
        std::make_unique<TSLMainThreadNotify>([this](TSLMainThreadNotify *) { DoProgress(); });
  lock_ = std::make_unique<TOWObject>();
  inputPin_.reset(CreateObject<TALOWAudioSinkPin>(
      this, [this](TOWPin *s, const TGUID *d, IOWNotifyOperation *o, TOWNotifyState st) {
        return SinkDispatch(s, d, o, st);
      }));
  outputPins_.reset(CreateObject<TOWPinList>(this, true));
}

void TALCommonMeter::AfterConstruction() {
  TComponent::AfterConstruction();
  SetCountChannels(2);
  lock_->AddShareLock(inputPin_.get());
}

TALCommonMeter::~TALCommonMeter() {
  outputPins_.reset();
  inputPin_.reset();
  bufferQueue_.Clear();
  notifier_.reset();
  valueQueues_.clear();
  lock_.reset();
}

void TALCommonMeter::BeforeDestruction() {
  inputPin_->Disconnect();
  Stop();
  TComponent::BeforeDestruction();
}

TOWRealSourcePin *TALCommonMeter::GetOutputPin(int Index) const {
  return static_cast<TOWRealSourcePin *>(outputPins_->GetPin(Index));
}

int TALCommonMeter::GetCountChannels() const { return outputPins_->GetCount(); }

void TALCommonMeter::SetCountChannels(int Count) {
  Count = std::clamp(Count, 1, MaxChannels);
  valueQueues_.clear();
  for (int i = 0; i < Count; ++i)
    valueQueues_.push_back(std::make_unique<TSLRealQueue>());
  while (outputPins_->GetCount() > Count)
    outputPins_->Delete(outputPins_->GetCount() - 1);
  while (outputPins_->GetCount() < Count) {
    TOWRealSourcePin *pin = CreateObject<TOWRealSourcePin>(this);
    outputPins_->Add(pin);
    pin->FunctionDependencies().Add(inputPin_.get(), true);
  }
}

namespace {
bool ReadableFormat(const WAVEFORMATEXTENSIBLE &f) {
  const uint32_t bits = f.Format.wBitsPerSample;
  return f.Format.nChannels > 0 && f.Format.nSamplesPerSec > 0 &&
         (bits == 8 || bits == 16 || bits == 24 || bits == 32) &&
         f.Format.nBlockAlign >= uint32_t{f.Format.nChannels} * (bits / 8);
}
} // namespace

int TALCommonMeter::GetActiveChannels() const {
  if (!ReadableFormat(streamFormat_))
    return 0;
  return std::min(GetCountChannels(), static_cast<int>(streamFormat_.Format.nChannels));
}

void TALCommonMeter::SetSynchronizeType(TSLSynchronizeType Value) {
  TOWWriteSection section(lock_.get());
  synchronizeType_ = Value;
}

void TALCommonMeter::SetValueChange(std::function<TALMeterValueChangeEvent> Handler) {
  TOWWriteSection section(lock_.get());
  OnValueChange.Fn = std::move(Handler);
}

void TALCommonMeter::SetTimePeriod(uint32_t Milliseconds) {
  TOWWriteSection section(lock_.get());
  const uint64_t frames = uint64_t{Milliseconds} * streamFormat_.Format.nSamplesPerSec / 1000;
  if (frames > ALMaxMeterChunkFrames)
    throw ERangeError(
        Format("Meter period of %u ms is too long: a chunk of %llu frames at %u Hz passes the "
               "limit of %llu frames",
               Milliseconds, static_cast<unsigned long long>(frames),
               static_cast<unsigned>(streamFormat_.Format.nSamplesPerSec),
               static_cast<unsigned long long>(ALMaxMeterChunkFrames)));
  period_ = Milliseconds;
  InitBuffers();
}

uint32_t TALCommonMeter::GetBufferSize() {
  // In 64 bits: a long period at a high rate must not wrap into a short chunk.
  const uint64_t frames = uint64_t{period_} * streamFormat_.Format.nSamplesPerSec / 1000;
  return static_cast<uint32_t>(std::clamp<uint64_t>(frames, 1, ALMaxMeterChunkFrames));
}

void TALCommonMeter::Reset(const WAVEFORMATEXTENSIBLE *Format) {
  if (Format == nullptr)
    return;
  streamFormat_ = *Format;
  fullScale_ = std::ldexp(1.0, static_cast<int>(streamFormat_.Format.wBitsPerSample) - 1) - 1;
  bufferQueue_.Clear();
  readPosition_ = 0;
  sentSinceStart_ = 0;
  for (auto &queue : valueQueues_)
    queue->Clear();
}

void TALCommonMeter::InitBuffers() {
  TOWWriteSection section(lock_.get());
  chunkBuffers_.clear();
  chunkFrames_ = GetBufferSize();
  if (!ReadableFormat(streamFormat_))
    return;
  for (uint32_t ch = 0; ch < streamFormat_.Format.nChannels; ++ch) {
    auto chunk = com::MakeCom<TSLBlockBuffer>(chunkFrames_ * static_cast<uint32_t>(sizeof(float)));
    chunk->Zero();
    chunkBuffers_.push_back(std::move(chunk));
  }
}

float *TALCommonMeter::ChunkData(int Channel) {
  if (Channel < 0 || static_cast<size_t>(Channel) >= chunkBuffers_.size())
    return nullptr;
  return reinterpret_cast<float *>(chunkBuffers_[static_cast<size_t>(Channel)]->Modify());
}

void TALCommonMeter::FillInternalBuffers() {
  const uint32_t C = chunkFrames_;
  if (bufferQueue_.GetQueuedFrames() < uint64_t{C} + readPosition_)
    return;
  IALAudioBufferPtr buffer;
  if (!bufferQueue_.GetBuffer(0, buffer))
    return;
  uint32_t F = buffer->GetSize();
  const uint32_t align = streamFormat_.Format.nBlockAlign;
  const uint32_t bits = streamFormat_.Format.wBitsPerSample;
  const uint32_t bytes = bits / 8;
  const int M = std::min(GetActiveChannels(), static_cast<int>(chunkBuffers_.size()));
  uint32_t filled = 0;
  while (filled < C) {
    if (readPosition_ >= F) {
      bufferQueue_.Pop();
      readPosition_ = 0;
      if (!bufferQueue_.GetBuffer(0, buffer))
        break;
      F = buffer->GetSize();
      continue;
    }
    const uint32_t n = std::min(C - filled, F - readPosition_);
    const uint8_t *frames = buffer->Read() + static_cast<size_t>(readPosition_) * align;
    const tagSIZE roi{1, static_cast<int>(n)};
    const int srcStep = static_cast<int>(align);
    for (int ch = 0; ch < M; ++ch) {
      const uint8_t *src = frames + static_cast<size_t>(ch) * bytes;
      float *dst = ChunkData(ch) + filled;
      switch (bits) {
      case 8:
        Albasicdispatcher::ippiConvert_8u32f_C1R(src, srcStep, dst, sizeof(float), roi);
        break;
      case 16:
        Vizazodizaro::ippiConvert_16s32f_C1R(reinterpret_cast<const short *>(src), srcStep, dst,
                                             sizeof(float), roi);
        break;
      case 24:
        Ippextrafunctions::ippiConvert_24s32f_C1R(src, srcStep, dst, sizeof(float), roi);
        break;
      case 32:
        Ippextrafunctions::ippiConvert_32s32f_C1R(reinterpret_cast<const int *>(src), srcStep, dst,
                                                  sizeof(float), roi);
        break;
      default:
        break;
      }
    }
    readPosition_ += n;
    filled += n;
  }
}

void TALCommonMeter::ProcessSampleChunk(double *Values) {
  FillInternalBuffers();
  GetMeterValue(Values);
}

void TALCommonMeter::Deliver(int Channel, double Value) {
  TOWRealSourcePin *pin = GetOutputPin(Channel);
  const uint32_t bit = uint32_t{1} << Channel;
  if ((sentSinceStart_ & bit) != 0 && pin->GetValue() == Value)
    return;
  sentSinceStart_ |= bit;
  pin->SetValue(Value);
  if (OnValueChange)
    OnValueChange(this, Channel, Value, fullScale_);
}

void TALCommonMeter::ProcessQueue() {
  TOWWriteSection section(lock_.get());
  const int M = std::min(GetActiveChannels(), static_cast<int>(valueQueues_.size()));
  const uint64_t C = chunkFrames_;
  auto chunkReady = [&] { return C + readPosition_ < bufferQueue_.GetQueuedFrames(); };
  double values[MaxChannels] = {};
  switch (synchronizeType_.load()) {
  case stNone:
    while (chunkReady()) {
      ProcessSampleChunk(values);
      for (int ch = 0; ch < M; ++ch)
        Deliver(ch, values[ch]);
    }
    break;
  case stSingleBuffer:
    if (!chunkReady())
      break;
    while (chunkReady())
      ProcessSampleChunk(values);
    for (int ch = 0; ch < M; ++ch)
      valueQueues_[static_cast<size_t>(ch)]->Add(values[ch]);
    if (notifier_)
      notifier_->NotifyLater();
    break;
  case stQueue:
    while (chunkReady()) {
      ProcessSampleChunk(values);
      for (int ch = 0; ch < M; ++ch)
        valueQueues_[static_cast<size_t>(ch)]->Add(values[ch]);
    }
    if (notifier_)
      notifier_->NotifyLater();
    break;
  }
}

void TALCommonMeter::DoProgress() {
  TOWWriteSection section(lock_.get());
  const int M = std::min(GetActiveChannels(), static_cast<int>(valueQueues_.size()));
  bool any = true;
  while (any) {
    any = false;
    for (int ch = 0; ch < M; ++ch) {
      TSLRealQueue &queue = *valueQueues_[static_cast<size_t>(ch)];
      if (queue.GetCount() == 0)
        continue;
      any = true;
      const double value = static_cast<float>(queue.GetItem(0));
      queue.Remove();
      Deliver(ch, value);
    }
  }
}

bool TALCommonMeter::MatchesStream(IALAudioBuffer *Buffer) const {
  return Buffer->GetChannels() == streamFormat_.Format.nChannels &&
         Buffer->GetSampleBitWidth() == streamFormat_.Format.wBitsPerSample &&
         Buffer->GetDataStep() == streamFormat_.Format.nBlockAlign;
}

TOWNotifyResult TALCommonMeter::SinkDispatch(TOWPin *, const TGUID *, IOWNotifyOperation *Operation,
                                             TOWNotifyState) {
  if (const auto *start = OWOperationAs<TOWStartWaveOperation>(Operation)) {
    Reset(&start->WaveFormat());
  } else if (OWOperationAs<TOWStopOperation>(Operation)) {
    Stop();
  } else if (const auto *supplied = OWOperationAs<TOWSuppliedBufferOperation>(Operation)) {
    // Only buffers of the announced layout are read: the stream format sets
    // the stride, so another layout would be read past its end.
    if (!ReadableFormat(streamFormat_) || supplied->Buffer() == nullptr)
      return {};
    IALAudioBufferPtr buffer = IALAudioBufferPtr::Query(supplied->Buffer());
    if (!buffer || !MatchesStream(buffer.Get()))
      return {};
    bufferQueue_.Push(buffer.Get());
    ProcessQueue();
  }
  return {};
}
