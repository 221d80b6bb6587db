#include "framework/data/SLCommonFilter.h"

// ---------------------------------------------------------------------------
// TSLCommonFilter

TSLCommonFilter::TSLCommonFilter(TComponent *AOwner)
    : TComponent(AOwner), lock_(std::make_unique<TOWObject>()),
      enablePin_(CreateObject<TOWBoolSinkPin>(
          this, [this](TOWPin *Pin, bool Value) { OnEnableEvent(Pin, Value); }, nullptr)) {}

TSLCommonFilter::~TSLCommonFilter() = default;

void TSLCommonFilter::BeforeDestruction() {
  Stop();
  TComponent::BeforeDestruction();
}

void TSLCommonFilter::Stop() { sampleRate_ = 0.0; }

void TSLCommonFilter::SetEnabled(bool Value) {
  if (Value == enabled_)
    return;
  TOWWriteSection section(lock_.get());
  enabled_ = Value;
}

void TSLCommonFilter::OnEnableEvent(TOWPin *, bool Value) { SetEnabled(Value); }

// ---------------------------------------------------------------------------
// Typed bases

template <class TOutPin, class TInPin, class TBuffer, class IBuffer>
TSLCommonBufferFilterT<TOutPin, TInPin, TBuffer, IBuffer>::TSLCommonBufferFilterT(
    TComponent *AOwner, bool ShareLock)
    : TSLCommonFilter(AOwner) {
  output_.reset(CreateObject<TOutPin>(
      this, [this](TOWPin *s, const TGUID *d, IOWNotifyOperation *o, TOWNotifyState st) {
        return SourceDispatch(s, d, o, st);
      }));
  input_.reset(
      CreateObject<TInPin>(this, [this](TOWPin *s, const TGUID *d, IOWNotifyOperation *o,
                                        TOWNotifyState st) { return SinkDispatch(s, d, o, st); }));
  input_->IgnoreUpstream = true;
  output_->FunctionDependencies().Add(input_.get(), true);
  if (ShareLock)
    GetLockObject()->AddShareLock(input_.get());
}

template <class TOutPin, class TInPin, class TBuffer, class IBuffer>
TSLCommonBufferFilterT<TOutPin, TInPin, TBuffer, IBuffer>::~TSLCommonBufferFilterT() {
  input_.reset();
  output_.reset();
}

template <class TOutPin, class TInPin, class TBuffer, class IBuffer>
void TSLCommonBufferFilterT<TOutPin, TInPin, TBuffer, IBuffer>::BeforeDestruction() {
  input_->Disconnect();
  TSLCommonFilter::BeforeDestruction();
}

template <class TOutPin, class TInPin, class TBuffer, class IBuffer>
TOWNotifyResult TSLCommonBufferFilterT<TOutPin, TInPin, TBuffer, IBuffer>::SourceDispatch(
    TOWPin *, const TGUID *DataTypeID, IOWNotifyOperation *Operation, TOWNotifyState State) {
  if (input_->IsConnected())
    return input_->Notify(Operation);
  return SinkDispatch(output_.get(), DataTypeID, Operation, State);
}

template <class TOutPin, class TInPin, class TBuffer, class IBuffer>
TOWNotifyResult TSLCommonBufferFilterT<TOutPin, TInPin, TBuffer, IBuffer>::SinkDispatch(
    TOWPin *, const TGUID *, IOWNotifyOperation *Operation, TOWNotifyState State) {
  if (const auto *start = OWOperationAs<TOWStartSampleRateOperation>(Operation)) {
    SetSamples(start->BufferSize());
    SetSampleRate(start->SampleRate());
    Reset();
    return Forward(Operation);
  }
  if (OWOperationAs<TOWStopOperation>(Operation)) {
    Stop();
    return Forward(Operation);
  }
  if (const auto *supplied = OWOperationAs<TOWSuppliedBufferOperation>(Operation))
    return DispatchBuffer(supplied, State);
  return Forward(Operation);
}

template <class TOutPin, class TInPin, class TBuffer, class IBuffer>
void TSLCommonBufferFilterT<TOutPin, TInPin, TBuffer, IBuffer>::InternalOperation(
    IBuffer *InBuffer, TBufferPtr &OutBuffer, bool OutputConnected, bool &SendOutput) {
  if (OutputConnected)
    FilterInternalOperation(InBuffer, OutBuffer, SendOutput);
}

template <class TOutPin, class TInPin, class TBuffer, class IBuffer>
typename TSLCommonBufferFilterT<TOutPin, TInPin, TBuffer, IBuffer>::TBufferPtr
TSLCommonBufferFilterT<TOutPin, TInPin, TBuffer, IBuffer>::MakeOutBuffer(TBuffer *InBuffer,
                                                                         TOWNotifyState) {
  com::TComPtr<TBuffer> out = com::MakeCom<TBuffer>(InBuffer->GetSize());
  out->Zero();
  return TBufferPtr(out.Get());
}

template <class TOutPin, class TInPin, class TBuffer, class IBuffer>
TOWNotifyResult TSLCommonBufferFilterT<TOutPin, TInPin, TBuffer, IBuffer>::DispatchBuffer(
    const TOWSuppliedBufferOperation *Operation, TOWNotifyState State) {
  com::TComPtr<TBuffer> in = com::MakeCom<TBuffer>(Operation->Buffer());
  TBufferPtr out = MakeOutBuffer(in.Get(), State);
  bool send = true;
  if (GetEnabled())
    InternalOperation(in.Get(), out, output_->IsConnected(), send);
  else
    out->Assign(in.Get());
  if (!send)
    return {};
  return output_->SubmitBuffer(com::TComPtr<ISLDataBuffer>(out.Get()));
}

template class TSLCommonBufferFilterT<TSLOWComboRealSourcePin, TSLOWComboRealSinkPin, TSLRealBuffer,
                                      ISLRealBuffer>;
template class TSLCommonBufferFilterT<TSLOWComplexSourcePin, TSLOWComplexSinkPin, TSLComplexBuffer,
                                      ISLComplexBuffer>;
template class TSLCommonBufferFilterT<TSLOWIntegerSourcePin, TSLOWIntegerSinkPin, TSLIntegerBuffer,
                                      ISLIntegerBuffer>;
template class TSLCommonBufferFilterT<TSLOWBinarySourcePin, TSLOWBinarySinkPin, TSLBlockBuffer,
                                      ISLBlockBuffer>;

// ---------------------------------------------------------------------------
// Class records

#define SL_FILTER_CLASS_INFO(T)                                                                    \
  const TClassInfo &T::StaticClassInfo() {                                                         \
    static const TClassInfo &info =                                                                \
        MakeClassInfo<T>(#T, &TSLCommonFilter::StaticClassInfo(),                                  \
                         [](TClassBuilder<T> &c) { SLPublishFilterProperties(c); });               \
    return info;                                                                                   \
  }
SL_FILTER_CLASS_INFO(TSLCommonRealFilter)
SL_FILTER_CLASS_INFO(TSLCommonComplexFilter)
SL_FILTER_CLASS_INFO(TSLCommonIntegerFilter)
SL_FILTER_CLASS_INFO(TSLCommonBinaryFilter)
#undef SL_FILTER_CLASS_INFO

// ---------------------------------------------------------------------------
// TSLCommonRealFilter

TSLCommonRealFilter::TSLCommonRealFilter(TComponent *AOwner)
    : TSLCommonBufferFilterT(AOwner, true) {}

TOWNotifyResult TSLCommonRealFilter::SinkDispatch(TOWPin *Sender, const TGUID *DataTypeID,
                                                  IOWNotifyOperation *Operation,
                                                  TOWNotifyState State) {
  if (!OWOperationAs<TOWStartSampleRateOperation>(Operation) &&
      OWOperationAs<TOWStartOperation>(Operation)) {
    SetSamples(1);
    Reset();
    return Forward(Operation);
  }
  if (const auto *single = OWOperationAs<TOWSuppliedSingleOperation>(Operation))
    return DispatchValue(single->Value(), Operation);
  if (const auto *real = OWOperationAs<TOWSuppliedRealOperation>(Operation))
    return DispatchValue(real->Value(), Operation);
  return TSLCommonBufferFilterT::SinkDispatch(Sender, DataTypeID, Operation, State);
}

TOWNotifyResult TSLCommonRealFilter::DispatchValue(double Value, IOWNotifyOperation *Operation) {
  bool send = true;
  double output = Value;
  InternalFloatOperation(Value, output, send);
  if (!send)
    return Forward(Operation);
  GetOutputPin()->SubmitFloat(static_cast<float>(output));
  return {};
}

void TSLCommonRealFilter::InternalFloatOperation(double Value, double &Output, bool &SendOutput) {
  if (!GetEnabled()) {
    Output = Value;
    return;
  }
  com::TComPtr<TSLRealBuffer> in = com::MakeCom<TSLRealBuffer>(1u);
  in->SetValue(Value);
  // The output starts as the value, so a hook that writes nothing passes it
  // on rather than an unwritten item.
  TBufferPtr out(com::MakeCom<TSLRealBuffer>(1u).Get());
  out->SetValue(Value);
  InternalOperation(in.Get(), out, GetOutputPin()->IsConnected(), SendOutput);
  Output = out->GetItem(0);
}

TSLCommonRealFilter::TBufferPtr TSLCommonRealFilter::MakeOutBuffer(TSLRealBuffer *InBuffer,
                                                                   TOWNotifyState State) {
  com::TComPtr<TSLRealBuffer> out =
      com::MakeCom<TSLRealBuffer>(static_cast<ISLDataBuffer *>(InBuffer));
  if (State.Contains(nsLastIteration) && CanInline())
    out->RemoveOwnerShip();
  return TBufferPtr(out.Get());
}
