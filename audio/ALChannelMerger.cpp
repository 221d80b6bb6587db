#include "audio/ALChannelMerger.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "framework/data/Ippextrafunctions.h"
#include "framework/dispatch/Albasicdispatcher.h"

const TClassInfo &TALChannelMerger::StaticClassInfo() {
  static const TClassInfo &info = MakeClassInfo<TALChannelMerger>(
      "TALChannelMerger", &TALMultiInput::StaticClassInfo(),
      [](TClassBuilder<TALChannelMerger> &c) {
        c.Object("InputPins", &TALChannelMerger::GetInputPins);
        c.Integer("BuffersAhead", &TALChannelMerger::GetBuffersAhead,
                  &TALChannelMerger::SetBuffersAhead, 2);
      });
  return info;
}

TALChannelMerger::TALChannelMerger(TComponent *AOwner) : TALMultiInput(AOwner) {
  SetBuffersAheadValue(2);
  inputPins_.reset(CreateObject<TOWPinList>(this, true));
  DoChange();
}

TALChannelMerger::~TALChannelMerger() {
  while (inputPins_->GetCount() > 0) {
    auto *pin =
        static_cast<TALOWQueuedAudioSinkPin *>(inputPins_->GetPin(inputPins_->GetCount() - 1));
    TALMultiInput::QueuedPinDestroyFunction(pin);
    inputPins_->Delete(inputPins_->GetCount() - 1);
  }
  inputPins_.reset();
}

TALOWQueuedAudioSinkPin *TALChannelMerger::GetInputPin(int Index) const {
  return static_cast<TALOWQueuedAudioSinkPin *>(inputPins_->GetPin(Index));
}

void TALChannelMerger::SetBuffersAhead(uint32_t Value) {
  TOWWriteSection section(GetLockObject());
  SetBuffersAheadValue(Value == 0 ? 1 : Value);
}

void TALChannelMerger::DoChange() {
  // Runs already while the base builds its format record, before the pin
  // list exists.
  if (inputPins_) {
    const int channels = static_cast<int>(GetAudioFormat()->GetChannels());
    while (inputPins_->GetCount() > channels) {
      auto *pin =
          static_cast<TALOWQueuedAudioSinkPin *>(inputPins_->GetPin(inputPins_->GetCount() - 1));
      QueuedPinDestroyFunction(pin);
      inputPins_->Delete(inputPins_->GetCount() - 1);
    }
    while (inputPins_->GetCount() < channels)
      QueuedPinCreateFunction();
  }
  TALMultiInput::DoChange();
}

TALOWQueuedAudioSinkPin *TALChannelMerger::QueuedPinCreateFunction() {
  TALOWQueuedAudioSinkPin *pin = TALMultiInput::QueuedPinCreateFunction();
  inputPins_->Add(pin);
  return pin;
}

void TALChannelMerger::QueuedPinDestroyFunction(TALOWQueuedAudioSinkPin *Pin) {
  TALMultiInput::QueuedPinDestroyFunction(Pin);
}

namespace {
// A stopped input whose data is used up stops streaming, so no silent buffer
// is made for it alone.
void EndUsedUpStream(TALOWQueuedAudioSinkPin *Pin) {
  if (!Pin->running && Pin->queue.GetCollected() == 0)
    Pin->hasStream = false;
}
} // namespace

bool TALChannelMerger::StretchLoadBuffer(TALOWQueuedAudioSinkPin *Pin, IALAudioBuffer *Buffer) {
  const uint32_t frames = Buffer->GetSize();
  if (Pin->framesPerOutput <= 0) {
    // Too slow an input to give a frame per output buffer: silence, and a
    // stopped one ends here.
    Buffer->Zero();
    if (!Pin->running) {
      Pin->queue.Clear();
      Pin->hasStream = false;
    }
    return true;
  }
  const uint32_t own = static_cast<uint32_t>(Pin->framesPerOutput);
  if (frames == own) {
    if (Pin->queue.Pop(Buffer)) {
      EndUsedUpStream(Pin);
      return true;
    }
    if (Pin->running)
      return false;
    // A stopped input's last frames, then silence; its stream ends here.
    Buffer->Zero();
    Pin->queue.PopRest(Buffer);
    Pin->hasStream = false;
    return true;
  }
  WAVEFORMATEXTENSIBLE format;
  Buffer->GetWaveFormat(format);
  auto temp = com::MakeCom<TALAudioBuffer>(&format, static_cast<int>(own));
  temp->Zero();
  if (Pin->queue.GetCollected() < own) {
    // An underrun: what is left, then silence; never unwritten memory.
    Pin->queue.PopRest(temp.Get());
    Pin->hasStream = Pin->running;
  } else {
    Pin->queue.Pop(temp.Get());
    EndUsedUpStream(Pin);
  }
  const uint32_t step = Buffer->GetDataStep();
  const uint8_t *src = temp->Read();
  uint8_t *dst = Buffer->Write();
  const double ratio = static_cast<double>(own) / frames;
  for (uint32_t f = 0; f < frames; ++f) {
    const auto index = std::min<uint32_t>(
        own - 1, static_cast<uint32_t>(std::nearbyint(static_cast<double>(f) * ratio)));
    std::memcpy(dst + static_cast<size_t>(f) * step, src + static_cast<size_t>(index) * step, step);
  }
  return true;
}

void TALChannelMerger::MergeBuffer(IALAudioBuffer *Stretch, IALAudioBuffer *Output, int Channel) {
  const uint32_t bits = Output->GetSampleBitWidth();
  // The stretch buffer has the output's width (its queue converted the
  // input), so both step by their own frame sizes.
  if (Stretch->GetSampleBitWidth() != bits || Channel < 0 ||
      static_cast<uint32_t>(Channel) >= Output->GetChannels())
    return;
  const tagSIZE roi{1, static_cast<int>(std::min(Stretch->GetSize(), Output->GetSize()))};
  const int srcStep = static_cast<int>(Stretch->GetDataStep());
  const int dstStep = static_cast<int>(Output->GetDataStep());
  const uint8_t *src = Stretch->Read();
  uint8_t *dst = Output->Modify() + static_cast<size_t>(Channel) * (bits / 8);
  switch (bits) {
  case 8:
    Albasicdispatcher::ippiCopy_8u_C1R(src, srcStep, dst, dstStep, roi);
    break;
  case 16:
    Albasicdispatcher::ippiCopy_16s_C1R(reinterpret_cast<const short *>(src), srcStep,
                                        reinterpret_cast<short *>(dst), dstStep, roi);
    break;
  case 24:
    Ippextrafunctions::ippiCopy_24s_C1R(src, srcStep, dst, dstStep, roi);
    break;
  case 32:
    Albasicdispatcher::ippiCopy_32s_C1R(reinterpret_cast<const int *>(src), srcStep,
                                        reinterpret_cast<int *>(dst), dstStep, roi);
    break;
  default:
    break;
  }
}

void TALChannelMerger::CalculateSendOutput() {
  TOWWriteSection section(GetLockObject());
  const TALAudioFormat *format = GetAudioFormat();
  const int size = static_cast<int>(format->GetBufferSize());
  auto output = com::MakeCom<TALAudioBuffer>(
      static_cast<int>(format->GetSampleRate()), static_cast<int>(format->GetBits()),
      static_cast<int>(format->GetChannels()), size, format->GetChannelMask());
  // Channels whose input has no data stay silent rather than unwritten.
  output->Zero();
  bool merged = false;
  for (int i = 0; i < GetQueuedPinCount(); ++i) {
    TALOWQueuedAudioSinkPin *pin = GetQueuedPin(i);
    if (!pin->IsConnected() || !pin->hasStream)
      continue;
    // The input's own channel count and mask, so its channels pair one to
    // one; the output's rate and width, so the copy converts the samples.
    const uint32_t channels = std::max<uint32_t>(pin->format.Format.nChannels, 1);
    const TALSpeakers mask = pin->format.dwChannelMask != 0 ? TALSpeakers(pin->format.dwChannelMask)
                                                            : ALDefaultChannelMask(channels);
    auto stretch = com::MakeCom<TALAudioBuffer>(static_cast<int>(format->GetSampleRate()),
                                                static_cast<int>(format->GetBits()),
                                                static_cast<int>(channels), size, mask);
    // A buffer whose speakers do not pair with the announced ones leaves
    // silence, not unwritten memory.
    stretch->Zero();
    if (!StretchLoadBuffer(pin, stretch.Get()))
      stretch->Zero();
    MergeBuffer(stretch.Get(), output.Get(), i);
    merged = true;
  }
  if (!merged)
    return;
  GetOutputPin()->SubmitBuffer(
      com::TComPtr<ISLDataBuffer>(static_cast<ISLDataBuffer *>(output.Get())));
  const uint32_t ahead = GetBuffersAhead();
  if (resumeCounter_ < ahead) {
    ++resumeCounter_;
  } else if (resumeCounter_ == ahead) {
    resumeCounter_ = ahead + 10;
    GetOutputPin()->Notify(TOWNotifyOperation::Make<TOWSLResumeOperation>().Get());
  }
}

void ALChannelMergerRegister() { RegisterClass(TALChannelMerger::StaticClassInfo()); }
