#include "framework/data/SLStreamTypes.h"

#include <algorithm>
#include <mutex>

#include "framework/pins/OWTypeRegistry.h"

// ---------------------------------------------------------------------------
// Registry

namespace {

// A buffer stream type's record. Looked up by deliveries on any thread while
// the first buffer pin, made on another, may still be registering: see
// TOWTypeRegistry.
struct TSLOWStreamTypeRecord {
  bool Registered = false;
  int32_t SampleSize = 1;
  TSLOWCreateBufferFunction CreateBuffer;
  TSLOWUpdateBufferFunction UpdateBuffer;
};

TOWTypeRegistry<TSLOWStreamTypeRecord> &Registry() {
  static TOWTypeRegistry<TSLOWStreamTypeRecord> registry;
  return registry;
}

const TSLOWStreamTypeRecord *Find(const TGUID &ID) { return Registry().Find(ID); }

template <class TBuffer> TSLOWCreateBufferFunction Creator() {
  return [](uint32_t Size) { return com::TComPtr<ISLDataBuffer>(com::MakeCom<TBuffer>(Size)); };
}

// The buffer stream types with a default handler, before the first buffer pin
// is made (and again after the framework's registry was cleared). Pins may be
// made on several threads at once: the first registers while the others wait,
// so none goes on with half the types registered. The default handler of the
// channel stream and the complex record are the last ones registered.
void EnsureRegistered() {
  static std::mutex registering;
  std::lock_guard<std::mutex> lock(registering);
  if (OWGetDefaultHandler(IOWSLChannelStream::IID) == nullptr ||
      Find(IOWSLComplexStream::IID) == nullptr)
    SLStreamTypesInitialization();
}

} // namespace

void SLOWRegisterStreamType(const TGUID &ID, int32_t SampleSize,
                            TSLOWCreateBufferFunction CreateBuffer,
                            TSLOWUpdateBufferFunction UpdateBuffer) {
  Registry().Update(ID, [&](TSLOWStreamTypeRecord &record) {
    if (!record.Registered) {
      record.Registered = true;
      record.SampleSize = SampleSize;
    }
    record.CreateBuffer = std::move(CreateBuffer);
    record.UpdateBuffer = std::move(UpdateBuffer);
  });
}

void SLOWRegisterStreamType(const TGUID &ID, int32_t SampleSize,
                            TSLOWCreateBufferFunction CreateBuffer) {
  SLOWRegisterStreamType(ID, SampleSize, std::move(CreateBuffer),
                         [](ISLDataBuffer *, IOWNotifyOperation *) {});
}

int SLOWGetStreamTypesCount() { return Registry().Count(); }

TGUID SLOWGetStreamType(int Index) {
  const std::optional<TGUID> id = Registry().TypeAt(Index);
  if (!id)
    throw EListError::IndexOutOfBounds(Index);
  return *id;
}

com::TComPtr<ISLDataBuffer> SLOWCreateBuffer(const TGUID &ID, uint32_t Size) {
  const TSLOWStreamTypeRecord *record = Find(ID);
  return record && record->CreateBuffer ? record->CreateBuffer(Size) : nullptr;
}

int32_t SLOWGetSampleSize(const TGUID &ID) {
  const TSLOWStreamTypeRecord *record = Find(ID);
  return record ? record->SampleSize : 1;
}

void SLOWUpdateBuffer(const TGUID &ID, ISLDataBuffer *Buffer, IOWNotifyOperation *Operation) {
  const TSLOWStreamTypeRecord *record = Find(ID);
  if (record && record->UpdateBuffer)
    record->UpdateBuffer(Buffer, Operation);
}

void SLOWStandardUpdateBuffer(ISLDataBuffer *Buffer, IOWNotifyOperation *Operation) {
  if (const auto *start = OWOperationAs<TOWStartSampleRateOperation>(Operation))
    Buffer->Resize(static_cast<uint32_t>(std::max(start->BufferSize(), 0)), false);
}

void SLStreamTypesInitialization() {
  for (const TGUID &id : {IOWSLBinaryStream::IID, IOWSLRealStream::IID, IOWSLIntegerStream::IID,
                          IOWSLComplexStream::IID, IOWSLChannelStream::IID})
    OWRegisterDefaultHandler(id, DefaultSLChannelNotificationHandler);
  SLOWRegisterStreamType(IOWSLChannelStream::IID, 1, Creator<TSLBlockBuffer>(),
                         SLOWStandardUpdateBuffer);
  SLOWRegisterStreamType(IOWSLBinaryStream::IID, 1, Creator<TSLBlockBuffer>(),
                         SLOWStandardUpdateBuffer);
  SLOWRegisterStreamType(IOWSLRealStream::IID, 8, Creator<TSLRealBuffer>(),
                         SLOWStandardUpdateBuffer);
  SLOWRegisterStreamType(IOWSLIntegerStream::IID, 4, Creator<TSLIntegerBuffer>(),
                         SLOWStandardUpdateBuffer);
  SLOWRegisterStreamType(IOWSLComplexStream::IID, 16, Creator<TSLComplexBuffer>(),
                         SLOWStandardUpdateBuffer);
}

void SLStreamTypesFinalization() { Registry().Clear(); }

TOWNotifyResult DefaultSLChannelNotificationHandler(TOWPin *, IOWStream *Handler,
                                                    const TGUID *DataTypeID,
                                                    IOWNotifyOperation *Operation,
                                                    TOWNotifyState State) {
  if (State.Contains(nsNewLink))
    return {};
  com::TComPtr<IOWSLGenericStream> stream = OWPeerStream<IOWSLGenericStream>(Handler);
  return stream ? stream->DispatchData(DataTypeID, Operation, State) : TOWNotifyResult{};
}

// ---------------------------------------------------------------------------
// Operations

TOWStartSampleRateOperation::TOWStartSampleRateOperation(int32_t BufferSize, double SampleRate)
    : TOWStartRateOperation(
          static_cast<float>(BufferSize > 0 ? SampleRate / BufferSize : SampleRate)),
      bufferSize_(BufferSize), sampleRate_(SampleRate) {}

// ---------------------------------------------------------------------------
// TSLOWSourcePin

TSLOWSourcePin::TSLOWSourcePin(TComponent *Owner) : TOWSourcePin(Owner) {
  EnsureRegistered();
  AddRoutine(IOWClockStream::IID, &TSLOWSourcePin::ClockNotification);
  AddType(IOWSLUniversalStream::IID);
}

HRESULT TSLOWSourcePin::QueryInterface(const TGUID &iid, void **out) {
  if (com::QueryInterfaceFor<IOWSLGenericStream>(this, iid, out) == S_OK)
    return S_OK;
  return TOWSourcePin::QueryInterface(iid, out);
}

TOWNotifyResult TSLOWSourcePin::Notify(IOWNotifyOperation *Operation) {
  TOWWriteSection own(this);
  const TOWNotifyResult result = TOWSourcePin::Notify(Operation);
  if (OWOperationAs<TOWStartOperation>(Operation))
    lastStart_ = Operation;
  else if (OWOperationAs<TOWStopOperation>(Operation))
    lastStart_.Reset();
  return result;
}

IOWNotifyOperationPtr TSLOWSourcePin::GetLastStart() {
  TOWReadSection own(this);
  return lastStart_;
}

void TSLOWSourcePin::SendTo(TOWBasicPin *Pin, IOWNotifyOperation *Operation) {
  NotifyPin(Pin, Operation);
}

void TSLOWSourcePin::IntConnect(TOWBasicPin *Pin, TOWBasicPin *AfterPin) {
  TOWWriteSection own(this);
  TOWSourcePin::IntConnect(Pin, AfterPin);
  if (lastStart_)
    SendTo(Pin, IOWNotifyOperationPtr(lastStart_).Get());
}

void TSLOWSourcePin::IntDisconnect(TOWBasicPin *Pin, bool Keep) {
  {
    TOWWriteSection own(this);
    // The unlinking must complete (it also runs while pins are destroyed):
    // a receiver that fails on the stop does not stop it.
    if (GetEntries().GetItemByPin(Pin) != nullptr) {
      try {
        SendTo(Pin, TOWNotifyOperation::Make<TOWStopOperation>().Get());
      } catch (...) {
      }
    }
  }
  TOWSourcePin::IntDisconnect(Pin, Keep);
}

TOWNotifyResult TSLOWSourcePin::SubmitBuffer(com::TComPtr<ISLDataBuffer> Buffer) {
  IOWNotifyOperationPtr operation =
      TOWNotifyOperation::Make<TOWSuppliedBufferOperation>(std::move(Buffer));
  try {
    return Notify(operation.Get());
  } catch (...) {
    // A failing receiver must not interrupt the component that produces the
    // stream (a capture or clock thread).
    return {};
  }
}

TOWNotifyResult TSLOWSourcePin::Stop() {
  return Notify(TOWNotifyOperation::Make<TOWStopOperation>().Get());
}

TOWNotifyResult TSLOWSourcePin::EndStop() {
  return Notify(TOWNotifyOperation::Make<TOWEndStopOperation>().Get());
}

TOWNotifyResult TSLOWSourcePin::ClockNotification(IOWStream *Handler, const TGUID *,
                                                  IOWNotifyOperation *Operation, TOWNotifyState) {
  com::TComPtr<IOWClockStream> clock = OWPeerStream<IOWClockStream>(Handler);
  if (clock && OWOperationAs<TOWClockOperation>(Operation))
    clock->Clock();
  return {};
}

TOWNotifyResult TSLOWSourcePin::DispatchData(const TGUID *, IOWNotifyOperation *, TOWNotifyState) {
  return {};
}

// ---------------------------------------------------------------------------
// TSLOWSinkPin

TSLOWSinkPin::TSLOWSinkPin(TComponent *Owner) : TOWSinkPin(Owner) {
  EnsureRegistered();
  AddType(IOWSLUniversalStream::IID);
}

HRESULT TSLOWSinkPin::QueryInterface(const TGUID &iid, void **out) {
  if (com::QueryInterfaceFor<IOWSLGenericStream>(this, iid, out) == S_OK)
    return S_OK;
  return TOWSinkPin::QueryInterface(iid, out);
}

TOWNotifyResult TSLOWSinkPin::DispatchData(const TGUID *, IOWNotifyOperation *, TOWNotifyState) {
  return {};
}

TOWNotifyResult TSLOWSinkPin::MasterPump(TObject *Sender) {
  return Notify(TOWNotifyOperation::Make<TOWMasterPumpOperation>(Sender).Get());
}

// ---------------------------------------------------------------------------
// Typed pins

namespace {
void AddTypes(TOWPin *pin, std::initializer_list<TGUID> types) {
  for (const TGUID &id : types)
    pin->AddType(id);
}
} // namespace

TSLOWBinarySourcePin::TSLOWBinarySourcePin(TComponent *Owner, TSLOperationEvent OnOperation)
    : TSLOWStreamsT(Owner, std::move(OnOperation)) {
  AddTypes(this, {IOWSLBinaryStream::IID});
}
TSLOWBinarySinkPin::TSLOWBinarySinkPin(TComponent *Owner, TSLOperationEvent OnOperation)
    : TSLOWStreamsT(Owner, std::move(OnOperation)) {
  AddTypes(this, {IOWSLBinaryStream::IID});
}

TSLOWIntegerSourcePin::TSLOWIntegerSourcePin(TComponent *Owner, TSLOperationEvent OnOperation)
    : TSLOWStreamsT(Owner, std::move(OnOperation)) {
  AddTypes(this, {IOWSLIntegerStream::IID});
}
TSLOWIntegerSinkPin::TSLOWIntegerSinkPin(TComponent *Owner, TSLOperationEvent OnOperation)
    : TSLOWStreamsT(Owner, std::move(OnOperation)) {
  AddTypes(this, {IOWSLIntegerStream::IID});
}

TSLOWRealSourcePin::TSLOWRealSourcePin(TComponent *Owner, TSLOperationEvent OnOperation, int)
    : TSLOWStreamsT(Owner, std::move(OnOperation)) {
  AddTypes(this, {IOWSLRealStream::IID});
}
TSLOWRealSourcePin::TSLOWRealSourcePin(TComponent *Owner, TSLOperationEvent OnOperation)
    : TSLOWStreamsT(Owner, std::move(OnOperation)) {
  AddRoutine(IOWFloatStream::IID, &TSLOWRealSourcePin::NotificationSingle);
  AddTypes(this, {IOWSLRealStream::IID});
}

TOWNotifyResult TSLOWRealSourcePin::NotificationSingle(IOWStream *Handler, const TGUID *DataTypeID,
                                                       IOWNotifyOperation *Operation,
                                                       TOWNotifyState State) {
  if (State.Contains(nsNewLink))
    return {};
  const auto *supplied = OWOperationAs<TOWSuppliedBufferOperation>(Operation);
  com::TComPtr<IOWFloatStream> stream = OWPeerStream<IOWFloatStream>(Handler);
  if (!supplied || !stream)
    return {};
  com::TComPtr<ISLRealBuffer> buffer = com::TComPtr<ISLRealBuffer>::Query(supplied->Buffer());
  if (!buffer)
    return {};
  IOWNotifyOperationPtr single =
      TOWNotifyOperation::Make<TOWSuppliedSingleOperation>(static_cast<float>(buffer->GetItem(0)));
  stream->DispatchData(DataTypeID, single.Get(), State);
  return {};
}

TSLOWComboRealSourcePin::TSLOWComboRealSourcePin(TComponent *Owner, TSLOperationEvent OnOperation)
    : TSLOWStreamsT(Owner, std::move(OnOperation)) {
  ClearTypes();
  AddRoutine(IOWClockStream::IID, &TSLOWSourcePin::ClockNotification);
  AddTypes(this, {IOWSLUniversalStream::IID, IOWFloatStream::IID, IOWSLRealStream::IID});
}

TOWNotifyResult TSLOWComboRealSourcePin::SubmitFloat(float Value) {
  return Notify(TOWNotifyOperation::Make<TOWSuppliedSingleOperation>(Value).Get());
}

TSLOWRealSinkPin::TSLOWRealSinkPin(TComponent *Owner, TSLOperationEvent OnOperation)
    : TSLOWStreamsT(Owner, std::move(OnOperation)) {
  AddTypes(this, {IOWSLRealStream::IID});
}
TSLOWComboRealSinkPin::TSLOWComboRealSinkPin(TComponent *Owner, TSLOperationEvent OnOperation)
    : TSLOWStreamsT(Owner, std::move(OnOperation)) {
  AddTypes(this, {IOWFloatStream::IID, IOWRealStream::IID});
}
TSLOWComboRealIntSinkPin::TSLOWComboRealIntSinkPin(TComponent *Owner, TSLOperationEvent OnOperation)
    : TSLOWStreamsT(Owner, std::move(OnOperation)) {
  AddTypes(this, {IOWSLIntegerStream::IID, IOWIntegerStream::IID});
}

TSLOWRealComplexSinkPin::TSLOWRealComplexSinkPin(TComponent *Owner, TSLOperationEvent OnOperation)
    : TSLOWStreamsT(Owner, std::move(OnOperation)) {
  AddTypes(this, {IOWSLRealStream::IID, IOWSLComplexStream::IID});
}

TSLOWIntegerRealComplexSourcePin::TSLOWIntegerRealComplexSourcePin(TComponent *Owner,
                                                                   TSLOperationEvent OnOperation)
    : TSLOWStreamsT(Owner, std::move(OnOperation)) {
  AddTypes(this, {IOWSLIntegerStream::IID, IOWSLRealStream::IID, IOWSLComplexStream::IID});
}
TSLOWIntegerRealComplexSinkPin::TSLOWIntegerRealComplexSinkPin(TComponent *Owner,
                                                               TSLOperationEvent OnOperation)
    : TSLOWStreamsT(Owner, std::move(OnOperation)) {
  AddTypes(this, {IOWSLIntegerStream::IID, IOWSLRealStream::IID, IOWSLComplexStream::IID});
}

TSLOWIntegerRealComplexBinarySourcePin::TSLOWIntegerRealComplexBinarySourcePin(
    TComponent *Owner, TSLOperationEvent OnOperation)
    : TSLOWStreamsT(Owner, std::move(OnOperation)) {
  AddTypes(this, {IOWSLIntegerStream::IID, IOWSLRealStream::IID, IOWSLComplexStream::IID,
                  IOWSLBinaryStream::IID});
}
TSLOWIntegerRealComplexBinarySinkPin::TSLOWIntegerRealComplexBinarySinkPin(
    TComponent *Owner, TSLOperationEvent OnOperation)
    : TSLOWStreamsT(Owner, std::move(OnOperation)) {
  AddTypes(this, {IOWSLIntegerStream::IID, IOWSLRealStream::IID, IOWSLComplexStream::IID,
                  IOWSLBinaryStream::IID});
}

TSLOWComplexSourcePin::TSLOWComplexSourcePin(TComponent *Owner, TSLOperationEvent OnOperation)
    : TSLOWStreamsT(Owner, std::move(OnOperation)) {
  AddTypes(this, {IOWSLComplexStream::IID});
}
TSLOWComplexSinkPin::TSLOWComplexSinkPin(TComponent *Owner, TSLOperationEvent OnOperation)
    : TSLOWStreamsT(Owner, std::move(OnOperation)) {
  AddTypes(this, {IOWSLComplexStream::IID});
}

namespace {
const std::initializer_list<TGUID> ChannelTypes = {IOWSLIntegerStream::IID, IOWSLBinaryStream::IID,
                                                   IOWSLChannelStream::IID, IOWSLComplexStream::IID,
                                                   IOWSLRealStream::IID};
}

TSLOWChannelSourcePin::TSLOWChannelSourcePin(TComponent *Owner, TSLOperationEvent OnOperation,
                                             TSLDispatchEvent OnDispatch)
    : TSLOWStreamsT(Owner, std::move(OnOperation)), OnDispatch(std::move(OnDispatch)) {
  for (const TGUID &id : ChannelTypes)
    AddRoutine(id, &TSLOWChannelSourcePin::DispatchSend);
}

TOWNotifyResult TSLOWChannelSourcePin::DispatchSend(IOWStream *Handler, const TGUID *DataTypeID,
                                                    IOWNotifyOperation *Operation,
                                                    TOWNotifyState State) {
  if (OnDispatch)
    return OnDispatch(Handler, DataTypeID, Operation, State);
  return DefaultSLChannelNotificationHandler(this, Handler, DataTypeID, Operation, State);
}

int32_t TSLOWChannelSourcePin::GetMaxSampleSize() {
  TOWReadSection own(this);
  int32_t result = 1;
  const TOWSinkPinEntryList &entries = GetEntries();
  for (int i = 0; i < entries.Count(); ++i) {
    const TOWPinEntry *e = entries.GetItem(i);
    if (e->Sink != nullptr && e->Sink->GetIsRealPin() && e->Sink->GetPinType() == ptSink)
      result = std::max(result, SLOWGetSampleSize(e->DownStreamType));
  }
  return result;
}

TSLOWChannelSinkPin::TSLOWChannelSinkPin(TComponent *Owner, TSLOperationEvent OnOperation)
    : TSLOWStreamsT(Owner, std::move(OnOperation)) {
  AddTypes(this, ChannelTypes);
}

// ---------------------------------------------------------------------------
// Universal pins

namespace {
// The universal pins' answer: the pin's generic stream for a registered buffer
// type that its chain allows.
HRESULT UniversalRequest(TOWStreamPin *pin, IOWSLGenericStream *stream, const TGUID &iid,
                         void **out, HRESULT hr, bool upstream) {
  if (hr == S_OK || Find(iid) == nullptr)
    return hr;
  const HRESULT chain = upstream ? pin->UpStreamQueryPossybleInterface(iid)
                                 : pin->DownStreamQueryPossybleInterface(iid);
  if (chain != S_OK)
    return hr;
  *out = stream;
  return chain;
}
} // namespace

TSLOWUniversalSourcePin::TSLOWUniversalSourcePin(TComponent *Owner) : TSLOWStreamsT(Owner) {
  Registry().ForEach([this](const TGUID &id, const TSLOWStreamTypeRecord &) {
    AddRoutine(id, &TSLOWUniversalSourcePin::UniversalNotification);
  });
}

HRESULT TSLOWUniversalSourcePin::RequestInterface(const TGUID &iid, void **out) {
  if (out == nullptr)
    return E_POINTER;
  *out = nullptr;
  if (iid == IOWSLUniversalStream::IID)
    return E_NOINTERFACE;
  return UniversalRequest(this, this, iid, out, TSLOWSourcePin::RequestInterface(iid, out), true);
}

TOWNotifyResult TSLOWUniversalSourcePin::UniversalNotification(IOWStream *Handler,
                                                               const TGUID *DataTypeID,
                                                               IOWNotifyOperation *Operation,
                                                               TOWNotifyState State) {
  return DefaultSLChannelNotificationHandler(this, Handler, DataTypeID, Operation, State);
}

TSLOWUniversalSinkPin::TSLOWUniversalSinkPin(TComponent *Owner) : TSLOWStreamsT(Owner) {
  Registry().ForEach([this](const TGUID &id, const TSLOWStreamTypeRecord &) { AddType(id); });
}

HRESULT TSLOWUniversalSinkPin::RequestInterface(const TGUID &iid, void **out) {
  if (out == nullptr)
    return E_POINTER;
  *out = nullptr;
  if (iid == IOWSLUniversalStream::IID)
    return E_NOINTERFACE;
  return UniversalRequest(this, this, iid, out, TSLOWSinkPin::RequestInterface(iid, out), false);
}
