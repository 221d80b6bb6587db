// Buffers in the pin-and-link framework: the stream types that carry buffers
// and their registry, the operations that carry buffers and stream starts, and
// the buffer pins.
//
// Every buffer pin implements IOWSLGenericStream: the registered default
// handler of the five buffer types hands each operation to the receiving
// pin's DispatchData, and a typed pin passes it on to its owner's
// TSLOperationEvent. TSLOWSourcePin remembers the last start operation it
// sent (until a stop), replays it to every sink linked later, and sends a stop
// to every sink being unlinked, so a component joined to a running stream
// learns the stream's format at once.
//
// Threads and locks: sends run on the caller's thread. TSLOWSourcePin::Notify
// holds the global lock for reading and the pin's write section from the
// first delivery until the last start is updated; receivers run inside those
// locks. Linking and unlinking run under the global write lock, and the
// replayed start and the stop are delivered inside it. The registry is filled
// at start-up (FrameworkInitialization, framework/data/FrameworkRuntime.h);
// failing that, the first buffer pin made fills it, on whatever thread. Its
// lookups take no lock and stay valid while another thread registers.
#pragma once

#include <functional>

#include "framework/data/SLSimpleDataBuffer.h"
#include "framework/pins/OWPins.h"
#include "framework/pins/OWStdTypes.h"

// ---------------------------------------------------------------------------
// Stream interfaces. A pin accepts a buffer type when it implements the
// interface of that GUID; DispatchData is the one operation of all of them.

struct IOWSLGenericStream : public virtual IOWDataStream {
  static constexpr TGUID IID = TGUID::FromLiteral("{20ACBC6D-DA0D-4359-8C78-CE0067D009A0}");
};
// "SL Generic stream".
struct IOWSLChannelStream : public virtual IOWSLGenericStream {
  static constexpr TGUID IID = TGUID::FromLiteral("{DB6DD866-611D-4DC4-B46F-459CF8F02ECD}");
};
// "SL binary array".
struct IOWSLBinaryStream : public virtual IOWSLChannelStream {
  static constexpr TGUID IID = TGUID::FromLiteral("{BD807B57-05AE-44E0-A99F-3D9BAD83395E}");
};
// "SL real array".
struct IOWSLRealStream : public virtual IOWSLChannelStream {
  static constexpr TGUID IID = TGUID::FromLiteral("{58041272-EF20-4696-87E6-9EE46ABFBD89}");
};
// "SL integer array".
struct IOWSLIntegerStream : public virtual IOWSLChannelStream {
  static constexpr TGUID IID = TGUID::FromLiteral("{473B965F-AB43-4493-B9E3-BEE9CF0803D4}");
};
// "SL complex array".
struct IOWSLComplexStream : public virtual IOWSLChannelStream {
  static constexpr TGUID IID = TGUID::FromLiteral("{BD797143-D7C6-4033-B686-9ABA658346CF}");
};
// "SL Universal stream": never taken by a link (no pin answers it).
struct IOWSLUniversalStream : public virtual IOWSLGenericStream {
  static constexpr TGUID IID = TGUID::FromLiteral("{949B7FD0-421F-4F1B-B8D2-87969D3E66E0}");
};

// ---------------------------------------------------------------------------
// Registry of the buffer stream types, in registration order.

// A new buffer of Size items.
using TSLOWCreateBufferFunction = std::function<com::TComPtr<ISLDataBuffer>(uint32_t Size)>;
// Adapts Buffer to Operation.
using TSLOWUpdateBufferFunction =
    std::function<void(ISLDataBuffer *Buffer, IOWNotifyOperation *Operation)>;

// A known GUID keeps its first sample size and takes the new functions;
// otherwise a record is appended.
void SLOWRegisterStreamType(const TGUID &ID, int32_t SampleSize,
                            TSLOWCreateBufferFunction CreateBuffer,
                            TSLOWUpdateBufferFunction UpdateBuffer);
// The same with an update function that does nothing.
void SLOWRegisterStreamType(const TGUID &ID, int32_t SampleSize,
                            TSLOWCreateBufferFunction CreateBuffer);
int SLOWGetStreamTypesCount();
// The GUID of record Index; EListError outside the registry.
TGUID SLOWGetStreamType(int Index);
// Null when ID is not registered.
com::TComPtr<ISLDataBuffer> SLOWCreateBuffer(const TGUID &ID, uint32_t Size);
// 1 when ID is not registered.
int32_t SLOWGetSampleSize(const TGUID &ID);
// Nothing when ID is not registered.
void SLOWUpdateBuffer(const TGUID &ID, ISLDataBuffer *Buffer, IOWNotifyOperation *Operation);
// The standard update: a start with sample rate resizes the buffer to its
// buffer size (data not kept); other operations change nothing.
void SLOWStandardUpdateBuffer(ISLDataBuffer *Buffer, IOWNotifyOperation *Operation);

// Registers the default handler of the five buffer types with the pin
// framework, then their registry records (SL Generic, binary, real, integer,
// complex). Running it again changes nothing.
void SLStreamTypesInitialization();
// Empties the registry.
void SLStreamTypesFinalization();

// The default handler of the buffer types: nothing on a new link's greeting;
// otherwise the receiving pin's DispatchData when it offers
// IOWSLGenericStream.
TOWNotifyResult DefaultSLChannelNotificationHandler(TOWPin *Sender, IOWStream *Handler,
                                                    const TGUID *DataTypeID,
                                                    IOWNotifyOperation *Operation,
                                                    TOWNotifyState State);

// ---------------------------------------------------------------------------
// Operations

// Carries one buffer reference (the buffer is not copied). A supplied
// operation, and so also a clock tick.
class TOWSuppliedBufferOperation : public TOWSuppliedOperation {
public:
  explicit TOWSuppliedBufferOperation(com::TComPtr<ISLDataBuffer> Buffer)
      : buffer_(std::move(Buffer)) {}
  ISLDataBuffer *Buffer() const { return buffer_.Get(); }

private:
  const com::TComPtr<ISLDataBuffer> buffer_;
};

class TOWInternalBufferOperation : public TOWSuppliedBufferOperation {
public:
  TOWInternalBufferOperation(bool Enabled, com::TComPtr<ISLDataBuffer> Buffer)
      : TOWSuppliedBufferOperation(std::move(Buffer)), Enabled(Enabled) {}
  const bool Enabled;
};

// A start with buffer size (items) and sample rate; the rate of the start-rate
// base is SampleRate / BufferSize (SampleRate for a buffer size of 0 or less).
class TOWStartSampleRateOperation : public TOWStartRateOperation {
public:
  TOWStartSampleRateOperation(int32_t BufferSize, double SampleRate);
  int32_t BufferSize() const { return bufferSize_; }
  double SampleRate() const { return sampleRate_; }

private:
  const int32_t bufferSize_;
  const double sampleRate_;
};

class TOWStartSpectrumOperation : public TOWStartSampleRateOperation {
public:
  using TOWStartSampleRateOperation::TOWStartSampleRateOperation;
};
class TOWStartIntensityOperation : public TOWStartSampleRateOperation {
public:
  using TOWStartSampleRateOperation::TOWStartSampleRateOperation;
};
class TOWStartPumpOperation : public TOWNotifyOperation {};
class TOWSLPauseOperation : public TOWNotifyOperation {};
class TOWSLResumeOperation : public TOWNotifyOperation {};

// A persistent object that names the framework object it belongs to.
class TLPLockedPersistent : public TPersistent {
  CLASSLIB_SIMPLE_CLASS(TLPLockedPersistent, TPersistent)
public:
  explicit TLPLockedPersistent(TOWObject *Owner) : owner_(Owner) {}
  TOWObject *GetOwner() const { return owner_; }

private:
  TOWObject *owner_;
};
using TLPPropertyExpandEvent =
    std::function<void(TLPLockedPersistent *Sender1, TLPLockedPersistent *Sender2)>;

// ---------------------------------------------------------------------------
// Pins

// The owner's handler of every operation that arrives at a typed pin.
using TSLOperationEvent = std::function<TOWNotifyResult(
    TOWPin *Sender, const TGUID *DataTypeID, IOWNotifyOperation *Operation, TOWNotifyState State)>;
// Replaces the standard delivery of one operation to one linked pin.
using TSLDispatchEvent =
    std::function<TOWNotifyResult(IOWStream *Handler, const TGUID *DataTypeID,
                                  IOWNotifyOperation *Operation, TOWNotifyState State)>;

// Base of every buffer and audio output pin.
class TSLOWSourcePin : public TOWSourcePin, public virtual IOWSLGenericStream {
  CLASSLIB_SIMPLE_CLASS(TSLOWSourcePin, TOWSourcePin)
public:
  // Types: Clock (served by ClockNotification), SL Universal.
  explicit TSLOWSourcePin(TComponent *Owner);

  HRESULT QueryInterface(const TGUID &iid, void **out) override;
  // Sends Operation to every linked sink; then a start (or descendant) becomes
  // the last start, a stop (or descendant) drops it.
  TOWNotifyResult Notify(IOWNotifyOperation *Operation) override;
  // After linking, replays the last start to the new sink alone.
  void IntConnect(TOWBasicPin *Pin, TOWBasicPin *AfterPin) override;
  // Sends a stop to the sink alone, whether or not a stream runs, then
  // unlinks. An exception of the sink's handler is dropped.
  void IntDisconnect(TOWBasicPin *Pin, bool Keep) override;

  // Wraps Buffer in a supplied-buffer operation and sends it. An exception of
  // a receiver is dropped (the sinks after it on this pin miss the buffer);
  // the result is then empty.
  TOWNotifyResult SubmitBuffer(com::TComPtr<ISLDataBuffer> Buffer);
  TOWNotifyResult Stop();
  TOWNotifyResult EndStop();
  TOWNotifyResult BCBNotify(IOWNotifyOperation *Operation) { return Notify(Operation); }

  // The Clock type's handler: one tick for every clock operation (so for every
  // supplied buffer); none for starts and stops.
  virtual TOWNotifyResult ClockNotification(IOWStream *Handler, const TGUID *DataTypeID,
                                            IOWNotifyOperation *Operation, TOWNotifyState State);
  // Operations sent upstream to a plain buffer source end here.
  TOWNotifyResult DispatchData(const TGUID *DataTypeID, IOWNotifyOperation *Operation,
                               TOWNotifyState State) override;

  // The start a new sink would be greeted with; null when none.
  IOWNotifyOperationPtr GetLastStart();

protected:
  // Sends Operation to Pin alone (a sink of this pin).
  void SendTo(TOWBasicPin *Pin, IOWNotifyOperation *Operation);
  // Adds a type served by a member routine of this pin.
  template <class Self>
  void AddRoutine(const TGUID &ID,
                  TOWNotifyResult (Self::*Routine)(IOWStream *, const TGUID *, IOWNotifyOperation *,
                                                   TOWNotifyState)) {
    Self *self = static_cast<Self *>(this);
    AddType(ID, [self, Routine](IOWStream *h, const TGUID *d, IOWNotifyOperation *o,
                                TOWNotifyState s) { return (self->*Routine)(h, d, o, s); });
  }

private:
  // Guarded by the pin's lock group.
  IOWNotifyOperationPtr lastStart_;
};

// Base of every buffer and audio input pin.
class TSLOWSinkPin : public TOWSinkPin, public virtual IOWSLGenericStream {
  CLASSLIB_SIMPLE_CLASS(TSLOWSinkPin, TOWSinkPin)
public:
  // Type: SL Universal.
  explicit TSLOWSinkPin(TComponent *Owner);

  HRESULT QueryInterface(const TGUID &iid, void **out) override;
  TOWNotifyResult DispatchData(const TGUID *DataTypeID, IOWNotifyOperation *Operation,
                               TOWNotifyState State) override;
  // Sends upstream to the linked source.
  TOWNotifyResult BCBNotify(IOWNotifyOperation *Operation) { return Notify(Operation); }
  // Asks the source for one buffer.
  TOWNotifyResult MasterPump(TObject *Sender);
};

// A pin that hands every arriving operation to its owner's handler.
template <class Base> class TSLOWOperationPinT : public Base {
public:
  TSLOWOperationPinT(TComponent *Owner, TSLOperationEvent OnOperation)
      : Base(Owner), OnOperation(std::move(OnOperation)) {}
  TOWNotifyResult DispatchData(const TGUID *DataTypeID, IOWNotifyOperation *Operation,
                               TOWNotifyState State) override {
    return OnOperation ? OnOperation(this, DataTypeID, Operation, State) : TOWNotifyResult{};
  }
  TSLOperationEvent OnOperation;
};

// A pin that also implements the stream interfaces Streams (answered by
// QueryInterface; served by the pin's DispatchData).
template <class Base, class... Streams> class TSLOWStreamsT : public Base, public Streams... {
public:
  using Base::Base;
  HRESULT QueryInterface(const TGUID &iid, void **out) override {
    if (com::QueryInterfaceFor<Streams...>(this, iid, out) == S_OK)
      return S_OK;
    return Base::QueryInterface(iid, out);
  }
};

template <class... Streams>
using TSLOWTypedSourcePinT = TSLOWStreamsT<TSLOWOperationPinT<TSLOWSourcePin>, Streams...>;
template <class... Streams>
using TSLOWTypedSinkPinT = TSLOWStreamsT<TSLOWOperationPinT<TSLOWSinkPin>, Streams...>;

// Typed pins. Each adds its stream types to the inherited ones, in the order
// given; a link takes the source's most recently added type that the sink
// implements.

// SL binary array.
class TSLOWBinarySourcePin : public TSLOWTypedSourcePinT<IOWSLBinaryStream> {
  CLASSLIB_SIMPLE_CLASS(TSLOWBinarySourcePin, TSLOWSourcePin)
public:
  TSLOWBinarySourcePin(TComponent *Owner, TSLOperationEvent OnOperation);
};
class TSLOWBinarySinkPin : public TSLOWTypedSinkPinT<IOWSLBinaryStream> {
  CLASSLIB_SIMPLE_CLASS(TSLOWBinarySinkPin, TSLOWSinkPin)
public:
  TSLOWBinarySinkPin(TComponent *Owner, TSLOperationEvent OnOperation);
};

// SL integer array.
class TSLOWIntegerSourcePin : public TSLOWTypedSourcePinT<IOWSLIntegerStream> {
  CLASSLIB_SIMPLE_CLASS(TSLOWIntegerSourcePin, TSLOWSourcePin)
public:
  TSLOWIntegerSourcePin(TComponent *Owner, TSLOperationEvent OnOperation);
};
class TSLOWIntegerSinkPin : public TSLOWTypedSinkPinT<IOWSLIntegerStream> {
  CLASSLIB_SIMPLE_CLASS(TSLOWIntegerSinkPin, TSLOWSinkPin)
public:
  TSLOWIntegerSinkPin(TComponent *Owner, TSLOperationEvent OnOperation);
};

// SL real array; the two-argument form first adds Float single, served by
// NotificationSingle, so a sink of single floats can follow a real stream.
class TSLOWRealSourcePin : public TSLOWTypedSourcePinT<IOWSLRealStream> {
  CLASSLIB_SIMPLE_CLASS(TSLOWRealSourcePin, TSLOWSourcePin)
public:
  TSLOWRealSourcePin(TComponent *Owner, TSLOperationEvent OnOperation, int Unused);
  TSLOWRealSourcePin(TComponent *Owner, TSLOperationEvent OnOperation);
  // For each supplied real buffer: one float, the buffer's first item (a range
  // error for an empty buffer). Nothing on a new link, for other operations,
  // or for a supplied operation without a real buffer.
  virtual TOWNotifyResult NotificationSingle(IOWStream *Handler, const TGUID *DataTypeID,
                                             IOWNotifyOperation *Operation, TOWNotifyState State);
};

// Clock, SL Universal, Float single (no handler: it delivers nothing), SL real
// array; sends single floats too.
class TSLOWComboRealSourcePin : public TSLOWStreamsT<TSLOWRealSourcePin, IOWFloatStream> {
  CLASSLIB_SIMPLE_CLASS(TSLOWComboRealSourcePin, TSLOWRealSourcePin)
public:
  TSLOWComboRealSourcePin(TComponent *Owner, TSLOperationEvent OnOperation);
  TOWNotifyResult SubmitFloat(float Value);
};

class TSLOWRealSinkPin : public TSLOWTypedSinkPinT<IOWSLRealStream> {
  CLASSLIB_SIMPLE_CLASS(TSLOWRealSinkPin, TSLOWSinkPin)
public:
  TSLOWRealSinkPin(TComponent *Owner, TSLOperationEvent OnOperation);
};
// Also Float single and Real single.
class TSLOWComboRealSinkPin
    : public TSLOWStreamsT<TSLOWRealSinkPin, IOWRealStream, IOWFloatStream> {
  CLASSLIB_SIMPLE_CLASS(TSLOWComboRealSinkPin, TSLOWRealSinkPin)
public:
  TSLOWComboRealSinkPin(TComponent *Owner, TSLOperationEvent OnOperation);
};
// Also SL integer array and Integer single.
class TSLOWComboRealIntSinkPin
    : public TSLOWStreamsT<TSLOWComboRealSinkPin, IOWIntegerStream, IOWSLIntegerStream> {
  CLASSLIB_SIMPLE_CLASS(TSLOWComboRealIntSinkPin, TSLOWComboRealSinkPin)
public:
  TSLOWComboRealIntSinkPin(TComponent *Owner, TSLOperationEvent OnOperation);
};

class TSLOWRealComplexSinkPin : public TSLOWTypedSinkPinT<IOWSLRealStream, IOWSLComplexStream> {
  CLASSLIB_SIMPLE_CLASS(TSLOWRealComplexSinkPin, TSLOWSinkPin)
public:
  TSLOWRealComplexSinkPin(TComponent *Owner, TSLOperationEvent OnOperation);
};

class TSLOWIntegerRealComplexSourcePin
    : public TSLOWTypedSourcePinT<IOWSLIntegerStream, IOWSLRealStream, IOWSLComplexStream> {
  CLASSLIB_SIMPLE_CLASS(TSLOWIntegerRealComplexSourcePin, TSLOWSourcePin)
public:
  TSLOWIntegerRealComplexSourcePin(TComponent *Owner, TSLOperationEvent OnOperation);
};
class TSLOWIntegerRealComplexSinkPin
    : public TSLOWTypedSinkPinT<IOWSLIntegerStream, IOWSLRealStream, IOWSLComplexStream> {
  CLASSLIB_SIMPLE_CLASS(TSLOWIntegerRealComplexSinkPin, TSLOWSinkPin)
public:
  TSLOWIntegerRealComplexSinkPin(TComponent *Owner, TSLOperationEvent OnOperation);
};

class TSLOWIntegerRealComplexBinarySourcePin
    : public TSLOWTypedSourcePinT<IOWSLIntegerStream, IOWSLRealStream, IOWSLComplexStream,
                                  IOWSLBinaryStream> {
  CLASSLIB_SIMPLE_CLASS(TSLOWIntegerRealComplexBinarySourcePin, TSLOWSourcePin)
public:
  TSLOWIntegerRealComplexBinarySourcePin(TComponent *Owner, TSLOperationEvent OnOperation);
};
class TSLOWIntegerRealComplexBinarySinkPin
    : public TSLOWTypedSinkPinT<IOWSLIntegerStream, IOWSLRealStream, IOWSLComplexStream,
                                IOWSLBinaryStream> {
  CLASSLIB_SIMPLE_CLASS(TSLOWIntegerRealComplexBinarySinkPin, TSLOWSinkPin)
public:
  TSLOWIntegerRealComplexBinarySinkPin(TComponent *Owner, TSLOperationEvent OnOperation);
};

// SL complex array.
class TSLOWComplexSourcePin : public TSLOWTypedSourcePinT<IOWSLComplexStream> {
  CLASSLIB_SIMPLE_CLASS(TSLOWComplexSourcePin, TSLOWSourcePin)
public:
  TSLOWComplexSourcePin(TComponent *Owner, TSLOperationEvent OnOperation);
};
class TSLOWComplexSinkPin : public TSLOWTypedSinkPinT<IOWSLComplexStream> {
  CLASSLIB_SIMPLE_CLASS(TSLOWComplexSinkPin, TSLOWSinkPin)
public:
  TSLOWComplexSinkPin(TComponent *Owner, TSLOperationEvent OnOperation);
};

// The five buffer types (integer, binary, generic, complex, real), each served
// by DispatchSend: OnDispatch when assigned, else the standard delivery.
class TSLOWChannelSourcePin : public TSLOWTypedSourcePinT<IOWSLComplexStream, IOWSLRealStream,
                                                          IOWSLIntegerStream, IOWSLBinaryStream> {
  CLASSLIB_SIMPLE_CLASS(TSLOWChannelSourcePin, TSLOWSourcePin)
public:
  TSLOWChannelSourcePin(TComponent *Owner, TSLOperationEvent OnOperation,
                        TSLDispatchEvent OnDispatch);
  virtual TOWNotifyResult DispatchSend(IOWStream *Handler, const TGUID *DataTypeID,
                                       IOWNotifyOperation *Operation, TOWNotifyState State);
  // The largest sample size of the types of its links to sink pins; at least 1.
  int32_t GetMaxSampleSize();
  TSLDispatchEvent OnDispatch;
};
class TSLOWChannelSinkPin : public TSLOWTypedSinkPinT<IOWSLComplexStream, IOWSLRealStream,
                                                      IOWSLIntegerStream, IOWSLBinaryStream> {
  CLASSLIB_SIMPLE_CLASS(TSLOWChannelSinkPin, TSLOWSinkPin)
public:
  TSLOWChannelSinkPin(TComponent *Owner, TSLOperationEvent OnOperation);
};

// Universal pins: every registered buffer type, and any of them that the
// pin's pass-through chain allows is accepted.
class TSLOWUniversalSourcePin : public TSLOWStreamsT<TSLOWSourcePin, IOWSLUniversalStream> {
  CLASSLIB_SIMPLE_CLASS(TSLOWUniversalSourcePin, TSLOWSourcePin)
public:
  explicit TSLOWUniversalSourcePin(TComponent *Owner);
  HRESULT RequestInterface(const TGUID &iid, void **out) override;
  TOWNotifyResult UniversalNotification(IOWStream *Handler, const TGUID *DataTypeID,
                                        IOWNotifyOperation *Operation, TOWNotifyState State);
};
class TSLOWUniversalSinkPin : public TSLOWStreamsT<TSLOWSinkPin, IOWSLUniversalStream> {
  CLASSLIB_SIMPLE_CLASS(TSLOWUniversalSinkPin, TSLOWSinkPin)
public:
  explicit TSLOWUniversalSinkPin(TComponent *Owner);
  HRESULT RequestInterface(const TGUID &iid, void **out) override;
};
