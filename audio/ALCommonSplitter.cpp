#include "audio/ALCommonSplitter.h"

#include <algorithm>

const TClassInfo &TALCommonSplitter::StaticClassInfo() {
  static const TClassInfo &info = MakeClassInfo<TALCommonSplitter>(
      "TALCommonSplitter", &TComponent::StaticClassInfo(), [](TClassBuilder<TALCommonSplitter> &c) {
        c.Object("InputPin", &TALCommonSplitter::GetInputPin);
        c.Object("OutputPins", &TALCommonSplitter::GetOutputPins);
        c.Integer("CountChannels", &TALCommonSplitter::GetCountChannels,
                  &TALCommonSplitter::SetCountChannels, 2);
      });
  return info;
}

TALCommonSplitter::TALCommonSplitter(TComponent *AOwner)
    : TComponent(AOwner), lock_(std::make_unique<TOWObject>()) {
  inputPin_.reset(CreateObject<TALOWAudioSinkPin>(
      this, [this](TOWPin *s, const TGUID *d, IOWNotifyOperation *o, TOWNotifyState st) {
        return SinkDispatch(s, d, o, st);
      }));
  outputPins_.reset(CreateObject<TOWPinList>(this, true));
  lock_->AddShareLock(inputPin_.get());
}

TALCommonSplitter::~TALCommonSplitter() {
  outputPins_.reset();
  inputPin_.reset();
  lock_.reset();
}

void TALCommonSplitter::AfterConstruction() {
  TComponent::AfterConstruction();
  SetCountChannels(2);
}

void TALCommonSplitter::BeforeDestruction() {
  inputPin_->Disconnect();
  Stop();
  TComponent::BeforeDestruction();
}

int TALCommonSplitter::GetCountChannels() const { return outputPins_->GetCount(); }

void TALCommonSplitter::SetCountChannels(int Count) {
  Count = std::clamp(Count, 1, MaxChannels);
  while (outputPins_->GetCount() > Count)
    outputPins_->Delete(outputPins_->GetCount() - 1);
  while (outputPins_->GetCount() < Count) {
    TOWPin *pin = CreateSourcePin();
    outputPins_->Add(pin);
    static_cast<TOWSourcePin *>(pin)->FunctionDependencies().Add(inputPin_.get(), true);
  }
}

void TALCommonSplitter::Stop() {
  OperationDispatch(TOWNotifyOperation::Make<TOWStopOperation>().Get());
}

void TALCommonSplitter::Resume() {
  OperationDispatch(TOWNotifyOperation::Make<TOWSLResumeOperation>().Get());
}

void TALCommonSplitter::OperationDispatch(IOWNotifyOperation *Operation) {
  for (int i = 0; i < outputPins_->GetCount(); ++i)
    static_cast<TOWPin *>(outputPins_->GetPin(i))->Notify(Operation);
}

void TALCommonSplitter::Process(IALAudioBuffer *Buffer) {
  const WAVEFORMATEXTENSIBLE &f = streamFormat_;
  const uint32_t bits = f.Format.wBitsPerSample;
  void (TALCommonSplitter::*strip)(int, IALAudioBuffer *) = nullptr;
  switch (bits) {
  case 8:
    strip = &TALCommonSplitter::Strip8Bits;
    break;
  case 16:
    strip = &TALCommonSplitter::Strip16Bits;
    break;
  case 24:
    strip = &TALCommonSplitter::Strip24Bits;
    break;
  case 32:
    strip = &TALCommonSplitter::Strip32Bits;
    break;
  default:
    return;
  }
  // The stream format sets the stride: a block that cannot hold its channels,
  // or a buffer laid out otherwise, would be read past its end.
  if (f.Format.nChannels == 0 || f.Format.nBlockAlign < uint32_t{f.Format.nChannels} * (bits / 8) ||
      Buffer->GetDataStep() != f.Format.nBlockAlign || Buffer->GetSampleBitWidth() != bits)
    return;
  const int channels = std::min(GetCountChannels(), static_cast<int>(f.Format.nChannels));
  for (int c = 0; c < channels; ++c)
    if (outputPins_->GetPin(c)->IsConnected())
      (this->*strip)(c, Buffer);
}

void TALCommonSplitter::Strip(int Channel, IALAudioBuffer *Buffer, uint32_t Bits, int Offset) {
  const uint32_t align = streamFormat_.Format.nBlockAlign;
  const uint32_t frames = Buffer->GetByteSize() / align;
  auto real = com::MakeCom<TSLRealBuffer>(frames);
  const uint8_t *src = Buffer->Read() + (Bits / 8) * static_cast<uint32_t>(Channel);
  double *dst = real->Write();
  for (uint32_t i = 0; i < frames; ++i, src += align)
    dst[i] = ALReadSample(src, Bits) - Offset;
  SplitBuffer(Channel, real.Get());
}

void TALCommonSplitter::Strip8Bits(int Channel, IALAudioBuffer *Buffer) {
  Strip(Channel, Buffer, 8, 127);
}
void TALCommonSplitter::Strip16Bits(int Channel, IALAudioBuffer *Buffer) {
  Strip(Channel, Buffer, 16, 0);
}
void TALCommonSplitter::Strip24Bits(int Channel, IALAudioBuffer *Buffer) {
  Strip(Channel, Buffer, 24, 0);
}
void TALCommonSplitter::Strip32Bits(int Channel, IALAudioBuffer *Buffer) {
  Strip(Channel, Buffer, 32, 0);
}

TOWNotifyResult TALCommonSplitter::SinkDispatch(TOWPin *, const TGUID *,
                                                IOWNotifyOperation *Operation, TOWNotifyState) {
  if (const auto *start = OWOperationAs<TOWStartWaveOperation>(Operation)) {
    Reset(&start->WaveFormat());
  } else if (OWOperationAs<TOWStopOperation>(Operation)) {
    Stop();
  } else if (OWOperationAs<TOWSLResumeOperation>(Operation)) {
    Resume();
  } else if (const auto *supplied = OWOperationAs<TOWSuppliedBufferOperation>(Operation)) {
    if (IALAudioBufferPtr audio = IALAudioBufferPtr::Query(supplied->Buffer())) {
      IALAudioBufferPtr own(com::MakeCom<TALAudioBuffer>(audio.Get()).Get());
      IALAudioBufferPtr second(com::MakeCom<TALAudioBuffer>(own.Get()).Get());
      Process(second.Get());
    }
  }
  return {};
}

TOWNotifyResult TALCommonSplitter::SourceDispatch(TOWPin *Sender, const TGUID *DataTypeID,
                                                  IOWNotifyOperation *Operation,
                                                  TOWNotifyState State) {
  if (inputPin_->IsConnected())
    return inputPin_->Notify(Operation);
  return SinkDispatch(Sender, DataTypeID, Operation, State);
}
