#include "framework/data/ALStreamTypes.h"

#include <cstring>

#include "framework/data/ALWaveFormat.h"

void ALStreamTypesInitialization() {
  if (OWGetDefaultHandler(IOWALAudioStream::IID) == nullptr)
    OWRegisterDefaultHandler(IOWALAudioStream::IID, DefaultSLChannelNotificationHandler);
}

TOWStartWaveOperation::TOWStartWaveOperation(int32_t BufferSize, float SampleRate,
                                             const WAVEFORMATEXTENSIBLE *Format)
    : TOWStartSampleRateOperation(BufferSize, SampleRate) {
  if (Format != nullptr)
    std::memcpy(&waveFormat_, Format, sizeof waveFormat_);
  else
    ALFillWaveFormat(waveFormat_, 11024, 16, 2, ALDefaultChannelMask(2));
}

TALOWAudioSourcePin::TALOWAudioSourcePin(TComponent *Owner, TSLOperationEvent OnDispatch)
    : TSLOWStreamsT(Owner, std::move(OnDispatch)) {
  ALStreamTypesInitialization();
  AddType(IOWALAudioStream::IID);
}

void TALOWAudioSourcePin::IntConnect(TOWBasicPin *Pin, TOWBasicPin *AfterPin) {
  TOWWriteSection own(this);
  TSLOWSourcePin::IntConnect(Pin, AfterPin);
  if (lastResume_)
    SendTo(Pin, IOWNotifyOperationPtr(lastResume_).Get());
}

TOWNotifyResult TALOWAudioSourcePin::Notify(IOWNotifyOperation *Operation) {
  TOWWriteSection own(this);
  const TOWNotifyResult result = TSLOWSourcePin::Notify(Operation);
  if (OWOperationAs<TOWSLResumeOperation>(Operation))
    lastResume_ = Operation;
  else if (OWOperationAs<TOWStopOperation>(Operation))
    lastResume_.Reset();
  return result;
}

IOWNotifyOperationPtr TALOWAudioSourcePin::GetLastResume() {
  TOWReadSection own(this);
  return lastResume_;
}

TALOWAudioSinkPin::TALOWAudioSinkPin(TComponent *Owner, TSLOperationEvent OnDispatch)
    : TSLOWStreamsT(Owner, std::move(OnDispatch)) {
  ALStreamTypesInitialization();
  AddType(IOWALAudioStream::IID);
}
