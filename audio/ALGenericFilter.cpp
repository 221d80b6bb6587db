#include "audio/ALGenericFilter.h"

#include <algorithm>
#include <cstring>

const TClassInfo &TALGenericFilter::StaticClassInfo() {
  return SLGenericFilterClassInfo<TALGenericFilter>("TALGenericFilter",
                                                    &TALCommonFilter::StaticClassInfo());
}

namespace {
TALAudioBuffer *AudioObject(ISLDataBuffer *Buffer) {
  return SLBufferObject<TALAudioBuffer>(Buffer);
}
} // namespace

TALGenericFilter::TALGenericFilter(TComponent *AOwner) : TSLGenericFilterT(AOwner) {}

void TALGenericFilter::InternalOperation(IALAudioBuffer *InBuffer, IALAudioBufferPtr &OutBuffer,
                                         bool, bool &SendOutput) {
  OutBuffer->Assign(InBuffer);
  if (!OnProcessData ||
      HandedOver([InBuffer] { return InBuffer->MakeCopy(); }, InBufferDispatch(), SendOutput))
    return;
  TALCAudioBuffer in(AudioObject(InBuffer));
  TALCAudioBuffer out(AudioObject(OutBuffer.Get()));
  OnProcessData(this, in, out, SendOutput);
}

void TALGenericFilter::SyncBuffer(TSLMainThreadBufferQueue *, const ISLDataBufferPtr &Buffer) {
  IALAudioBufferPtr audio = IALAudioBufferPtr::Query(Buffer);
  if (!audio)
    return;
  com::TComPtr<TALAudioBuffer> outBuffer = com::MakeCom<TALAudioBuffer>(audio.Get());
  TALCAudioBuffer out(outBuffer.Get());
  if (ProcessData([&] { return TALCAudioBuffer(AudioObject(Buffer.Get())); }, out))
    SendData(out);
}

TOWNotifyResult TALGenericFilter::SendData(TALCAudioBuffer Buffer) {
  return SendBuffer(static_cast<ISLDataBuffer *>(Buffer.GetPasBuffer()));
}

void TALGenericFilter::Reset(TOWStartWaveOperation *Operation) {
  TALCommonFilter::Reset(Operation);
  StreamFormat = Operation->WaveFormat();
  if (OnStart)
    OnStart(this);
}

void TALGenericFilter::Stop() {
  StopHandOver();
  StreamFormat = WAVEFORMATEXTENSIBLE{};
  TALCommonFilter::Stop();
}

TOWNotifyResult TALGenericFilter::SendStartCommand(int Bits, int Channels, int BufferSize,
                                                   float SampleRate) {
  // Out-of-range arguments are brought into the range a header can describe,
  // so the start never announces a zero-sized frame or a shifted-out mask.
  Bits = std::clamp(Bits, 1, 32);
  Channels = std::clamp(Channels, 1, 32);
  WAVEFORMATEXTENSIBLE &f = CurrentFormat();
  f = WAVEFORMATEXTENSIBLE{};
  f.Format.wFormatTag = WAVE_FORMAT_PCM;
  f.Format.nChannels = static_cast<uint16_t>(Channels);
  f.Format.wBitsPerSample = static_cast<uint16_t>(ALContainerBits(static_cast<uint32_t>(Bits)));
  f.Format.nBlockAlign = static_cast<uint16_t>(f.Format.wBitsPerSample / 8 * Channels);
  f.Format.nSamplesPerSec = SampleRate > 0 ? static_cast<uint32_t>(SampleRate + 0.5f) : 0;
  f.Format.nAvgBytesPerSec = f.Format.nBlockAlign * f.Format.nSamplesPerSec;
  f.Format.cbSize = 22;
  f.Samples.wValidBitsPerSample = static_cast<uint16_t>(Bits);
  f.dwChannelMask = ALDefaultChannelMask(static_cast<uint32_t>(Channels)).Mask;
  f.SubFormat = KSDATAFORMAT_SUBTYPE_PCM;
  return SendCommand(
      TOWNotifyOperation::Make<TOWStartWaveOperation>(BufferSize, SampleRate, &f).Get());
}

TOWNotifyResult TALGenericFilter::SendStopCommand() {
  return SendCommand(TOWNotifyOperation::Make<TOWStopOperation>().Get());
}

TOWNotifyResult TALGenericFilter::SendResumeCommand() {
  return GetOutputPin()->Notify(TOWNotifyOperation::Make<TOWSLResumeOperation>().Get());
}

void ALGenericFilterRegister() { RegisterClass(TALGenericFilter::StaticClassInfo()); }
