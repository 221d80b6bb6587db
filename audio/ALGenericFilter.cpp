#include "audio/ALGenericFilter.h"

#include "platform/classlib/FormStream.h"
#include "platform/mainloop/MainLoop.h"

#include <algorithm>
#include <cstring>

const TClassInfo &TALGenericFilter::StaticClassInfo() {
  static const TClassInfo &info = MakeClassInfo<TALGenericFilter>(
      "TALGenericFilter", &TALCommonFilter::StaticClassInfo(),
      [](TClassBuilder<TALGenericFilter> &c) {
        c.Enumeration("SynchronizeType", &TALGenericFilter::GetSynchronizeType,
                      &TALGenericFilter::SetSynchronizeType,
                      {"stNone", "stSingleBuffer", "stQueue"}, stNone);
        c.Event("OnStart", &TALGenericFilter::OnStart);
        c.Event("OnStop", &TALGenericFilter::OnStop);
        c.Event("OnProcessData", &TALGenericFilter::OnProcessData);
      });
  return info;
}

namespace {
TALAudioBuffer *AudioObject(ISLDataBuffer *Buffer) {
  return SLBufferObject<TALAudioBuffer>(Buffer);
}
} // namespace

TALGenericFilter::TALGenericFilter(TComponent *AOwner)
    : TALCommonFilter(AOwner),
      queue_(std::make_unique<TSLMainThreadBufferQueue>(
          [this](TSLMainThreadBufferQueue *Sender, const ISLDataBufferPtr &Buffer) {
            SyncBuffer(Sender, Buffer);
          })) {}

TALGenericFilter::~TALGenericFilter() { queue_.reset(); }

void TALGenericFilter::DefineProperties(TFiler *Filer) {
  TALCommonFilter::DefineProperties(Filer);
  Filer->DefineProperty(
      "OnFilterData", [this](TReader *Reader) { ReadFilterData(Reader); }, [](TWriter *) {}, false);
}

void TALGenericFilter::ReadFilterData(TReader *Reader) {
  const std::string name = Reader->ReadIdent();
  try {
    TComponent *root = Reader->Root();
    if (root == nullptr)
      return;
    std::any bound = root->ClassInfo().BindMethod(root, name);
    if (const auto *fn = std::any_cast<std::function<TProcessDataEvent>>(&bound)) {
      OnProcessData.Fn = *fn;
      OnProcessData.MethodName = name;
    }
  } catch (...) {
    // A stale name in an old form is not worth failing the load for.
  }
}

void TALGenericFilter::InternalOperation(IALAudioBuffer *InBuffer, IALAudioBufferPtr &OutBuffer,
                                         bool, bool &SendOutput) {
  OutBuffer->Assign(InBuffer);
  if (!OnProcessData)
    return;
  const TSLSynchronizeType type = synchronizeType_;
  if (type != stNone) {
    SendOutput = false;
    HandOver(InBuffer, type == stQueue);
    return;
  }
  TALCAudioBuffer in(AudioObject(InBuffer));
  TALCAudioBuffer out(AudioObject(OutBuffer.Get()));
  OnProcessData(this, in, out, SendOutput);
}

void TALGenericFilter::HandOver(IALAudioBuffer *Buffer, bool Force) {
  const ISLDataBufferPtr copy = Buffer->MakeCopy();
  if (queue_->TryAddBuffer(copy, Force))
    return;
  if (!mainloop::TMainLoop::Main().IsMainThread()) {
    if (!InBufferDispatch()) {
      queue_->AddBuffer(copy, Force);
      return;
    }
    // Wait for a slot without the lock group that the delivery holds: the
    // main thread needs it to send the buffers whose handling frees the
    // slots. Nothing of the filter is touched while it is given up.
    const IOWLockObjectPtr lock = GetLockObject()->GetGroupLock();
    TOWLockObject *group = lock->Instance();
    const int64_t held = group->GetEntries();
    for (int64_t i = 0; i < held; ++i)
      group->EndWrite();
    try {
      queue_->AddBuffer(copy, Force);
    } catch (...) {
      for (int64_t i = 0; i < held; ++i)
        group->BeginWrite();
      throw;
    }
    for (int64_t i = 0; i < held; ++i)
      group->BeginWrite();
    return;
  }
  // Every slot is taken and only this thread gives them back: waiting would
  // never end. The main thread is where the buffer is headed anyway.
  queue_->ExtractWaiting();
  SyncBuffer(queue_.get(), copy);
}

void TALGenericFilter::SyncBuffer(TSLMainThreadBufferQueue *, const ISLDataBufferPtr &Buffer) {
  IALAudioBufferPtr audio = IALAudioBufferPtr::Query(Buffer);
  if (!audio)
    return;
  com::TComPtr<TALAudioBuffer> outBuffer = com::MakeCom<TALAudioBuffer>(audio.Get());
  TALCAudioBuffer out(outBuffer.Get());
  bool send = true;
  if (OnProcessData) {
    TALCAudioBuffer in(AudioObject(Buffer.Get()));
    OnProcessData(this, in, out, send);
  }
  if (send)
    SendData(out);
}

TOWNotifyResult TALGenericFilter::SendData(TALCAudioBuffer Buffer) {
  IOWNotifyOperationPtr operation = TOWNotifyOperation::Make<TOWSuppliedBufferOperation>(
      com::TComPtr<ISLDataBuffer>(static_cast<ISLDataBuffer *>(Buffer.GetPasBuffer())));
  return GetOutputPin()->BCBNotify(operation.Get());
}

void TALGenericFilter::Reset(TOWStartWaveOperation *Operation) {
  TALCommonFilter::Reset(Operation);
  StreamFormat = Operation->WaveFormat();
  if (OnStart)
    OnStart(this);
}

void TALGenericFilter::Stop() {
  if (queue_)
    queue_->Clear();
  if (OnStop)
    OnStop(this);
  StreamFormat = WAVEFORMATEXTENSIBLE{};
  TALCommonFilter::Stop();
}

TOWNotifyResult TALGenericFilter::SendCommand(IOWNotifyOperation *Operation) {
  if (GetInputPin()->IsConnected())
    return GetInputPin()->Notify(Operation);
  return GetOutputPin()->Notify(Operation);
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

void TALGenericFilter::SetSynchronizeType(TSLSynchronizeType Value) {
  TOWGlobalWriteSection global;
  TOWWriteSection section(GetLockObject());
  if (Value == synchronizeType_)
    return;
  synchronizeType_ = Value;
  if (Value != stNone) {
    GetLockObject()->AddShareLock(GetOutputPin());
    GetInputPin()->AddShareLock(GetOutputPin());
  } else {
    GetLockObject()->AddShareLock(GetInputPin());
    GetLockObject()->RemoveShareLock(GetOutputPin());
    GetInputPin()->RemoveShareLock(GetOutputPin());
  }
}

void ALGenericFilterRegister() { RegisterClass(TALGenericFilter::StaticClassInfo()); }
