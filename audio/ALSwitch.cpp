#include "audio/ALSwitch.h"

const TClassInfo &TALSwitch::StaticClassInfo() {
  static const TClassInfo &info = MakeClassInfo<TALSwitch>(
      "TALSwitch", &TComponent::StaticClassInfo(), [](TClassBuilder<TALSwitch> &c) {
        c.Object("InputPin", &TALSwitch::GetInputPin);
        c.Object("OutputPin", &TALSwitch::GetOutputPin);
        c.Object("EnabledPin", &TALSwitch::GetEnabledPin);
        c.Boolean("Enabled", &TALSwitch::GetEnabled, &TALSwitch::SetEnabled, true);
        c.Boolean("ResetOnEnable", &TALSwitch::GetResetOnEnable, &TALSwitch::SetResetOnEnable,
                  false);
      });
  return info;
}

TALSwitch::TALSwitch(TComponent *AOwner)
    : TComponent(AOwner), lock_(std::make_unique<TOWObject>()) {
  inputPin_.reset(CreateObject<TALOWAudioSinkPin>(
      this, [this](TOWPin *s, const TGUID *d, IOWNotifyOperation *o, TOWNotifyState st) {
        return SinkDispatch(s, d, o, st);
      }));
  outputPin_.reset(CreateObject<TALOWAudioSourcePin>(
      this, [this](TOWPin *s, const TGUID *d, IOWNotifyOperation *o, TOWNotifyState st) {
        return SourceDispatch(s, d, o, st);
      }));
  outputPin_->FunctionDependencies().Add(inputPin_.get(), true);
  enabledPin_.reset(CreateObject<TOWBoolSinkPin>(
      this, [this](TOWPin *Pin, bool Value) { OnEnableEvent(Pin, Value); }, nullptr));
  lock_->AddShareLock(inputPin_.get());
  format_ = std::make_unique<TALAudioFormatBasic>(lock_.get(), TALFormatChangeEvent());
}

TALSwitch::~TALSwitch() {
  enabledPin_.reset();
  inputPin_.reset();
  outputPin_.reset();
  format_.reset();
  lock_.reset();
}

void TALSwitch::BeforeDestruction() {
  inputPin_->Disconnect();
  TComponent::BeforeDestruction();
}

void TALSwitch::OnEnableEvent(TOWPin *, bool Value) { SetEnabled(Value); }

void TALSwitch::SetEnabled(bool Value) {
  if (Value == enabled_)
    return;
  enabled_ = Value;
  if (Value && (resetOnEnable_ || startPending_)) {
    IOWNotifyOperationPtr start = TOWNotifyOperation::Make<TOWStartWaveOperation>(
        bufferSize_, static_cast<float>(format_->GetSampleRate()), format_->GetWaveFormat());
    const TGUID id = dataTypeID_;
    SinkDispatch(outputPin_.get(), &id, start.Get(), TOWNotifyState{});
  }
}

void TALSwitch::StartPump() {
  outputPin_->Notify(TOWNotifyOperation::Make<TOWStartPumpOperation>().Get());
}

void TALSwitch::PumpRequest(IOWNotifyOperation *Operation) { outputPin_->Notify(Operation); }

TOWNotifyResult TALSwitch::SinkDispatch(TOWPin *, const TGUID *DataTypeID,
                                        IOWNotifyOperation *Operation, TOWNotifyState) {
  dataTypeID_ = DataTypeID ? *DataTypeID : OWNULLID;
  if (const auto *start = OWOperationAs<TOWStartWaveOperation>(Operation)) {
    const WAVEFORMATEXTENSIBLE &f = start->WaveFormat();
    bufferSize_ = start->BufferSize();
    format_->SetChannels(f.Format.nChannels);
    format_->SetBits(f.Samples.wValidBitsPerSample);
    format_->SetSampleRate(f.Format.nSamplesPerSec);
    format_->SetChannelMask(TALSpeakers(f.dwChannelMask));
    if (enabled_) {
      outputPin_->Notify(Operation);
      startPending_ = false;
      outputPin_->Notify(TOWNotifyOperation::Make<TOWSLResumeOperation>().Get());
    } else {
      startPending_ = true;
    }
    return {};
  }
  if (OWOperationAs<TOWStartPumpOperation>(Operation)) {
    StartPump();
    return {};
  }
  if (OWOperationAs<TOWStopOperation>(Operation)) {
    Stop();
    return outputPin_->Notify(Operation);
  }
  if (const auto *supplied = OWOperationAs<TOWSuppliedBufferOperation>(Operation)) {
    if (!enabled_)
      return {};
    IALAudioBufferPtr audio = IALAudioBufferPtr::Query(supplied->Buffer());
    if (!audio)
      return {};
    return outputPin_->SubmitBuffer(
        com::TComPtr<ISLDataBuffer>(com::MakeCom<TALAudioBuffer>(audio.Get()).Get()));
  }
  if (OWOperationAs<TOWPumpRequestOperation>(Operation)) {
    PumpRequest(Operation);
    return {};
  }
  return {};
}

TOWNotifyResult TALSwitch::SourceDispatch(TOWPin *Sender, const TGUID *DataTypeID,
                                          IOWNotifyOperation *Operation, TOWNotifyState State) {
  if (inputPin_->IsConnected())
    return inputPin_->Notify(Operation);
  return SinkDispatch(Sender, DataTypeID, Operation, State);
}

void ALSwitchRegister() { RegisterClass(TALSwitch::StaticClassInfo()); }
