#include "audio/ALCommonFilter.h"

#include "platform/sys/ScopeExit.h"

const TClassInfo &TALCommonFilter::StaticClassInfo() {
  static const TClassInfo &info = MakeClassInfo<TALCommonFilter>(
      "TALCommonFilter", &TSLCommonFilter::StaticClassInfo(),
      [](TClassBuilder<TALCommonFilter> &c) {
        c.Boolean("Enabled", &TALCommonFilter::GetEnabled, &TALCommonFilter::SetEnabled, true);
        c.Object("InputPin", &TALCommonFilter::GetInputPin);
        c.Object("OutputPin", &TALCommonFilter::GetOutputPin);
        c.Object("EnablePin", &TALCommonFilter::GetEnablePin);
      });
  return info;
}

TALCommonFilter::TALCommonFilter(TComponent *AOwner) : TSLCommonFilter(AOwner) {
  inputPin_.reset(CreateObject<TALOWAudioSinkPin>(
      this, [this](TOWPin *s, const TGUID *d, IOWNotifyOperation *o, TOWNotifyState st) {
        return SinkDispatch(s, d, o, st);
      }));
  outputPin_.reset(CreateObject<TALOWAudioSourcePin>(
      this, [this](TOWPin *s, const TGUID *d, IOWNotifyOperation *o, TOWNotifyState st) {
        return SourceDispatch(s, d, o, st);
      }));
  outputPin_->FunctionDependencies().Add(inputPin_.get(), true);
  GetLockObject()->AddShareLock(inputPin_.get());
}

TALCommonFilter::~TALCommonFilter() {
  inputPin_.reset();
  outputPin_.reset();
}

void TALCommonFilter::BeforeDestruction() {
  inputPin_->Disconnect();
  // Not the signal base's step, which would stop a second time: the unlinked
  // source has already sent its stop.
  TComponent::BeforeDestruction();
}

void TALCommonFilter::Reset(TOWStartWaveOperation *Operation) {
  currentFormat_ = Operation->WaveFormat();
  SetSampleRate(Operation->WaveFormat().Format.nSamplesPerSec);
  outputPin_->Notify(Operation);
}

void TALCommonFilter::MasterPump(TOWMasterPumpOperation *Operation) {
  inputPin_->Notify(Operation);
}

void TALCommonFilter::InternalOperation(IALAudioBuffer *InBuffer, IALAudioBufferPtr &OutBuffer,
                                        bool OutputConnected, bool &SendOutput) {
  if (OutputConnected)
    FilterInternalOperation(InBuffer, OutBuffer, SendOutput);
}

TOWNotifyResult TALCommonFilter::SinkDispatch(TOWPin *, const TGUID *,
                                              IOWNotifyOperation *Operation, TOWNotifyState) {
  if (auto *start = OWOperationAs<TOWStartWaveOperation>(Operation)) {
    Reset(start);
    return {};
  }
  if (OWOperationAs<TOWStopOperation>(Operation)) {
    Stop();
    return outputPin_->Notify(Operation);
  }
  if (const auto *supplied = OWOperationAs<TOWSuppliedBufferOperation>(Operation)) {
    // Only audio buffers travel on an audio link; anything else is dropped
    // rather than taken apart as audio.
    IALAudioBufferPtr received = IALAudioBufferPtr::Query(supplied->Buffer());
    if (!received)
      return {};
    IALAudioBufferPtr in(com::MakeCom<TALAudioBuffer>(received.Get()).Get());
    IALAudioBufferPtr out(com::MakeCom<TALAudioBuffer>(in.Get()).Get());
    bool send = true;
    if (GetEnabled()) {
      const std::thread::id outer = dispatchThread_.exchange(std::this_thread::get_id());
      sys::TScopeExit restore([this, outer] { dispatchThread_ = outer; });
      InternalOperation(in.Get(), out, outputPin_->IsConnected(), send);
    }
    if (send && out && outputPin_->IsConnected())
      return outputPin_->SubmitBuffer(com::TComPtr<ISLDataBuffer>(out.Get()));
    return {};
  }
  return outputPin_->Notify(Operation);
}

TOWNotifyResult TALCommonFilter::SourceDispatch(TOWPin *Sender, const TGUID *DataTypeID,
                                                IOWNotifyOperation *Operation,
                                                TOWNotifyState State) {
  if (auto *pump = OWOperationAs<TOWMasterPumpOperation>(Operation)) {
    MasterPump(pump);
    return {};
  }
  if (inputPin_->IsConnected())
    return inputPin_->Notify(Operation);
  return SinkDispatch(Sender, DataTypeID, Operation, State);
}
