#include "audio/ALAudioToReal.h"

TOWPin *TALAudioToReal::CreateSourcePin() {
  return CreateObject<TSLOWRealSourcePin>(
      this,
      [this](TOWPin *s, const TGUID *d, IOWNotifyOperation *o, TOWNotifyState st) {
        return SourceDispatch(s, d, o, st);
      },
      0);
}

TSLOWRealSourcePin *TALAudioToReal::GetOutputPin(int Index) const {
  return static_cast<TSLOWRealSourcePin *>(GetOutputPins()->GetPin(Index));
}

void TALAudioToReal::Reset(const WAVEFORMATEXTENSIBLE *Format) {
  if (Format == nullptr)
    return;
  SetStreamFormat(*Format);
  for (int i = 0; i < GetCountChannels(); ++i)
    GetOutputPin(i)->Notify(TOWNotifyOperation::Make<TOWStartSampleRateOperation>(
                                0, static_cast<double>(Format->Format.nSamplesPerSec))
                                .Get());
}

void TALAudioToReal::SplitBuffer(int Channel, ISLRealBuffer *Buffer) {
  GetOutputPin(Channel)->SubmitBuffer(com::TComPtr<ISLDataBuffer>(Buffer));
}

void ALAudioToRealRegister() { RegisterClass(TALAudioToReal::StaticClassInfo()); }
