// Value pins and value operations: pins that carry single values (clock
// ticks, floats, booleans, characters, strings, integers, doubles, complex
// numbers and progress triples) instead of buffers, as source, sink and state
// pins; the operations that carry the values; the start-with-rate,
// pump-request and master-pump operations; and the typed stream interfaces.
//
// A value source keeps its current value and sends it to its sinks when it
// changes; a newly linked sink receives the current value at once; a value
// sink keeps the last value received and calls its change handler; a value
// state pin does both within its state group.
//
// Threads and locks: value pins add no lock of their own. SetValue, Send and
// the progress setters hold the pin's own write section from the comparison
// to the end of the send, so the stored value and the sends of concurrent
// setters stay in one order; getters take its read section; receivers keep
// their value under the locks of the delivery. Every send is the pin's Notify and
// runs in the caller's thread under the locks Notify takes; the change,
// clock and notification handlers run in the sending thread under those
// locks. Handlers must not block on another thread that needs the global
// lock.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "framework/pins/OWPins.h"

// ---------------------------------------------------------------------------
// Conversions a link applies when the receiver takes another value type than
// the sender keeps. They never throw: a value sent to several sinks must reach
// every one of them, so out-of-range values saturate instead of failing half
// way through a fan-out.

// Nearest 32-bit integer, halves to the even neighbour; values beyond the
// range give the nearest end of it, NaN gives 0.
int32_t OWRoundToInteger(double value) noexcept;

// Nearest Single (IEEE narrowing: beyond the Single range gives infinity).
float OWNarrowToSingle(double value) noexcept;

// The value as text in general format with 15 significant digits: fixed
// notation for magnitudes from 0.00001 up to 15 integer digits, otherwise
// "mantissa E exponent" ("1E20", "1.5E-7"); trailing zeros dropped; the
// decimal separator is the current C locale's. NaN and infinities read
// "NAN", "INF" and "-INF".
std::string OWFloatToText(double value);

// True when the value is not 0.
bool OWValueToBool(double value) noexcept;

// ---------------------------------------------------------------------------
// Value types

struct TOWRealComplex {
  double Re = 0.0;
  double Im = 0.0;
  friend bool operator==(const TOWRealComplex &, const TOWRealComplex &) = default;
};

// How a source is paced: ptNone, ptSlave, ptMaster, ptHardware (stored in one
// byte). Scoped: the pin kinds use the same prefix.
enum class TOWPumpType : uint8_t { ptNone, ptSlave, ptMaster, ptHardware };

// ---------------------------------------------------------------------------
// Stream interfaces. A pin accepts a stream type when it implements the
// interface of that GUID; the typed data streams add no operation of their own.
// A pin is an IOWStream through its pin base, and a peer's stream interfaces
// are asked for by GUID from that IOWStream; so they derive from IUnknown
// only, which keeps a pin implementing several of them one IOWStream.

struct IOWDataStream : public virtual com::IUnknown {
  static constexpr TGUID IID = TGUID::FromLiteral("{CFDF94D7-5134-49D9-AC65-902BBC1CD140}");
  // The receiving end of sinks and state pins.
  virtual TOWNotifyResult DispatchData(const TGUID *DataTypeID, IOWNotifyOperation *Operation,
                                       TOWNotifyState State) = 0;
};

struct IOWClockStream : public virtual com::IUnknown {
  static constexpr TGUID IID = TGUID::FromLiteral("{48CDAF9F-00C7-4B45-999D-4EE25353A952}");
  virtual void Clock() = 0;
};

struct IOWIntegerStream : public virtual IOWDataStream {
  static constexpr TGUID IID = TGUID::FromLiteral("{92F6B47E-B46E-49BB-9A8E-676D3C2F2E66}");
};
struct IOWFloatStream : public virtual IOWDataStream {
  static constexpr TGUID IID = TGUID::FromLiteral("{67F6997B-7EB4-4E2F-8320-4A512B5F2BC7}");
};
struct IOWRealStream : public virtual IOWDataStream {
  static constexpr TGUID IID = TGUID::FromLiteral("{208F9564-3C20-4C97-BB77-2FC5AE6E4194}");
};
struct IOWRealComplexStream : public virtual IOWDataStream {
  static constexpr TGUID IID = TGUID::FromLiteral("{4CC4ADE6-E5AE-4E27-A9E7-42C14E062F41}");
};
struct IOWBoolStream : public virtual IOWDataStream {
  static constexpr TGUID IID = TGUID::FromLiteral("{7AA677AE-F983-4714-8E64-EC6F3D17695B}");
};
struct IOWCharStream : public virtual IOWDataStream {
  static constexpr TGUID IID = TGUID::FromLiteral("{3241B885-95E1-495F-ACEC-4A1C98872B63}");
};
struct IOWStringStream : public virtual IOWDataStream {
  static constexpr TGUID IID = TGUID::FromLiteral("{25C048B4-89D4-4277-AA98-A835EB29F5C1}");
};
struct IOWIntProgressStream : public virtual IOWDataStream {
  static constexpr TGUID IID = TGUID::FromLiteral("{836EE1EA-B8BD-4E04-8225-6AB547D1A3C4}");
};
struct IOWFloatProgressStream : public virtual IOWDataStream {
  static constexpr TGUID IID = TGUID::FromLiteral("{648AC95D-2772-427C-AD9D-2B7F1EDDE1A7}");
};

// ---------------------------------------------------------------------------
// Value operations. Every supplied-value operation is a TOWClockOperation by
// descent, so a clock receiver also ticks on every value that is sent.

// One value of type V, below Base in the operation tree.
template <class V, class Base = TOWSuppliedOperation>
class TOWSuppliedValueOperation : public Base {
public:
  using TValue = V;
  explicit TOWSuppliedValueOperation(V value) : value_(std::move(value)) {}
  const V &Value() const { return value_; }

private:
  const V value_;
};

class TOWSuppliedSingleOperation : public TOWSuppliedValueOperation<float> {
public:
  using TOWSuppliedValueOperation::TOWSuppliedValueOperation;
};
class TOWSuppliedIntegerOperation : public TOWSuppliedValueOperation<int32_t> {
public:
  using TOWSuppliedValueOperation::TOWSuppliedValueOperation;
};
class TOWSuppliedRealOperation : public TOWSuppliedValueOperation<double> {
public:
  using TOWSuppliedValueOperation::TOWSuppliedValueOperation;
};
class TOWSuppliedBoolOperation : public TOWSuppliedValueOperation<bool> {
public:
  using TOWSuppliedValueOperation::TOWSuppliedValueOperation;
};
class TOWSuppliedCharOperation : public TOWSuppliedValueOperation<char> {
public:
  using TOWSuppliedValueOperation::TOWSuppliedValueOperation;
};
class TOWSuppliedStringOperation : public TOWSuppliedValueOperation<std::string> {
public:
  using TOWSuppliedValueOperation::TOWSuppliedValueOperation;
};
class TOWSuppliedRealComplexOperation : public TOWSuppliedValueOperation<TOWRealComplex> {
public:
  using TOWSuppliedValueOperation::TOWSuppliedValueOperation;
};

// A progress triple; the position is the inherited value, so a receiver of
// plain values takes the position.
template <class Base> class TOWSuppliedProgressOperation : public Base {
public:
  using TValue = typename Base::TValue;
  TOWSuppliedProgressOperation(TValue minimum, TValue maximum, TValue position)
      : Base(position), minimum_(minimum), maximum_(maximum) {}
  TValue Minimum() const { return minimum_; }
  TValue Maximum() const { return maximum_; }
  TValue Position() const { return this->Value(); }

private:
  const TValue minimum_;
  const TValue maximum_;
};

class TOWSuppliedSingleProgressOperation
    : public TOWSuppliedProgressOperation<TOWSuppliedSingleOperation> {
public:
  using TOWSuppliedProgressOperation::TOWSuppliedProgressOperation;
};
class TOWSuppliedIntProgressOperation
    : public TOWSuppliedProgressOperation<TOWSuppliedIntegerOperation> {
public:
  using TOWSuppliedProgressOperation::TOWSuppliedProgressOperation;
};

class TOWStartRateOperation : public TOWStartOperation {
public:
  explicit TOWStartRateOperation(float rate) : rate_(rate) {}
  float Rate() const { return rate_; }

private:
  const float rate_;
};

// Sent down a playing source's output; a sink that paces the stream from
// hardware writes itself into the request (Sender, PumpType, Priority), and
// the source reads the request back after the send. The fields are written
// only by the receivers of the send, in the sending thread.
class TOWPumpRequestOperation : public TOWNotifyOperation {
public:
  TOWPumpRequestOperation() = default;
  TOWPumpRequestOperation(TObject *sender, TOWPumpType pumpType, int32_t priority, float rate)
      : Sender(sender), PumpType(pumpType), Priority(priority), Rate(rate) {}

  TObject *Sender = nullptr;
  TOWPumpType PumpType = TOWPumpType::ptNone;
  int32_t Priority = 0;
  float Rate = 0.0f;
};

// Sent upstream by the pacing sink: produce one buffer.
class TOWMasterPumpOperation : public TOWNotifyOperation {
public:
  explicit TOWMasterPumpOperation(TObject *sender) : sender_(sender) {}
  TObject *Sender() const { return sender_; }

private:
  TObject *const sender_;
};

// ---------------------------------------------------------------------------
// Handler types

using TOWClockEvent = std::function<void(TOWPin *Sender)>;
using TOWFloatChangeEvent = std::function<void(TOWPin *Sender, float AValue)>;
using TOWIntegerChangeEvent = std::function<void(TOWPin *Sender, int32_t AValue)>;
using TOWRealChangeEvent = std::function<void(TOWPin *Sender, double AValue)>;
using TOWBoolChangeEvent = std::function<void(TOWPin *Sender, bool AValue)>;
using TOWCharChangeEvent = std::function<void(TOWPin *Sender, char AValue)>;
using TOWStringChangeEvent = std::function<void(TOWPin *Sender, const std::string &AValue)>;
using TOWRealComplexChangeEvent = std::function<void(TOWPin *Sender, const TOWRealComplex &AValue)>;
using TOWIntProgressChangeEvent = std::function<void(TOWPin *Sender, int32_t AMin, int32_t AMax,
                                                     int32_t APosition, bool RangesFilled)>;
using TOWFloatProgressChangeEvent =
    std::function<void(TOWPin *Sender, float AMin, float AMax, float APosition, bool RangesFilled)>;

template <class Stream>
using TOWTypedPinNotificationEvent = std::function<TOWNotifyResult(
    Stream *Handler, const TGUID *DataTypeID, IOWNotifyOperation *Operation, TOWNotifyState State)>;
using TOWFloatPinNotificationEvent = TOWTypedPinNotificationEvent<IOWFloatStream>;
using TOWIntegerPinNotificationEvent = TOWTypedPinNotificationEvent<IOWIntegerStream>;
using TOWRealPinNotificationEvent = TOWTypedPinNotificationEvent<IOWRealStream>;
using TOWBoolPinNotificationEvent = TOWTypedPinNotificationEvent<IOWBoolStream>;
using TOWCharPinNotificationEvent = TOWTypedPinNotificationEvent<IOWCharStream>;
using TOWStringPinNotificationEvent = TOWTypedPinNotificationEvent<IOWStringStream>;
using TOWRealComplexPinNotificationEvent = TOWTypedPinNotificationEvent<IOWRealComplexStream>;
using TOWPinNotificationEvent = TOWTypedPinNotificationEvent<IOWDataStream>;

// ---------------------------------------------------------------------------
// Value kinds: what a pin of one value type keeps, receives and sends.

struct TOWFloatKind {
  using Value = float;
  using Stream = IOWFloatStream;
  using Operation = TOWSuppliedSingleOperation;
};
struct TOWIntegerKind {
  using Value = int32_t;
  using Stream = IOWIntegerStream;
  using Operation = TOWSuppliedIntegerOperation;
};
struct TOWRealKind {
  using Value = double;
  using Stream = IOWRealStream;
  using Operation = TOWSuppliedRealOperation;
};
struct TOWBoolKind {
  using Value = bool;
  using Stream = IOWBoolStream;
  using Operation = TOWSuppliedBoolOperation;
};
struct TOWCharKind {
  using Value = char;
  using Stream = IOWCharStream;
  using Operation = TOWSuppliedCharOperation;
};
struct TOWStringKind {
  using Value = std::string;
  using Stream = IOWStringStream;
  using Operation = TOWSuppliedStringOperation;
};
struct TOWComplexKind {
  using Value = TOWRealComplex;
  using Stream = IOWRealComplexStream;
  using Operation = TOWSuppliedRealComplexOperation;
};

// The operations a receiver of values of type V takes, most specific first;
// the first match's value, converted to V, becomes the received value.
template <class V, class... Ops> struct TOWAccepts {
  static bool Read(IOWNotifyOperation *operation, V &value) {
    return (ReadOne<Ops>(operation, value) || ...);
  }

private:
  template <class Op> static bool ReadOne(IOWNotifyOperation *operation, V &value) {
    if (const Op *op = OWOperationAs<Op>(operation)) {
      value = static_cast<V>(op->Value());
      return true;
    }
    return false;
  }
};

// ---------------------------------------------------------------------------
// Serving one peer on the way out (the pins' per-type notification routines).

// The peer's stream interface I, null when the peer does not implement it.
template <class I> com::TComPtr<I> OWPeerStream(IOWStream *handler) {
  return com::TComPtr<I>::Query(handler);
}

// Hands the operation to the peer's typed stream I, or, on a new link and
// when replace holds, a fresh operation from make(): the new link receives the
// sender's current value instead of the operation that opened it. A peer
// without I is skipped (empty result); otherwise the peer's result.
template <class I, class Make>
TOWNotifyResult OWServePeer(IOWStream *handler, const TGUID *dataTypeID,
                            IOWNotifyOperation *operation, TOWNotifyState state, bool replace,
                            const Make &make) {
  com::TComPtr<I> stream = OWPeerStream<I>(handler);
  if (!stream)
    return {};
  if (replace || state.Contains(nsNewLink)) {
    IOWNotifyOperationPtr fresh = make();
    return stream->DispatchData(dataTypeID, fresh.Get(), state);
  }
  return stream->DispatchData(dataTypeID, operation, state);
}

// The real pins' way out: a real peer gets doubles, a float-only peer the
// values narrowed to Single (other operations pass unchanged).
TOWNotifyResult OWServeRealPeer(IOWStream *handler, const TGUID *dataTypeID,
                                IOWNotifyOperation *operation, TOWNotifyState state,
                                double current);

// ---------------------------------------------------------------------------
// Building blocks of the value pins

// A pin of class PinBase keeping one value of type V.
template <class PinBase, class V> class TOWValueHolderPin : public PinBase {
public:
  using PinBase::PinBase;
  V GetValue() const {
    TOWReadSection section(this);
    return value_;
  }

protected:
  V value_{};
};

// Sending side of source and state pins of one value kind: SetValue and the
// default way out.
template <class PinBase, class Kind>
class TOWValueSenderPin : public TOWValueHolderPin<PinBase, typename Kind::Value> {
public:
  using TValue = typename Kind::Value;
  using TOWValueHolderPin<PinBase, TValue>::TOWValueHolderPin;

  // Stores value and sends it when it differs from the current value.
  void SetValue(const TValue &value) {
    TOWWriteSection section(this);
    if (value == this->value_)
      return;
    this->value_ = value;
    this->Notify(MakeValueOperation(value).Get());
  }

protected:
  virtual IOWNotifyOperationPtr MakeValueOperation(const TValue &value) {
    return TOWNotifyOperation::Make<typename Kind::Operation>(value);
  }
  // The way out without notification handler; the peer's result.
  TOWNotifyResult ServeOwnKind(IOWStream *handler, const TGUID *dataTypeID,
                               IOWNotifyOperation *operation, TOWNotifyState state) {
    return OWServePeer<typename Kind::Stream>(handler, dataTypeID, operation, state, false, [this] {
      return TOWNotifyOperation::Make<typename Kind::Operation>(this->value_);
    });
  }
  // Registers type id with the routine of this pin.
  template <class Self>
  void AddRoutine(const TGUID &id,
                  TOWNotifyResult (Self::*routine)(IOWStream *, const TGUID *, IOWNotifyOperation *,
                                                   TOWNotifyState)) {
    Self *self = static_cast<Self *>(this);
    this->AddType(id, [self, routine](IOWStream *h, const TGUID *d, IOWNotifyOperation *o,
                                      TOWNotifyState s) { return (self->*routine)(h, d, o, s); });
  }
};

// Receiving side of sinks and state pins: DispatchData keeps the first
// accepted operation's value and calls the change handler with it.
template <class Base, class ChangeEvent, class Accepts, class... Streams>
class TOWValueReceiverPin : public Base, public Streams... {
public:
  TOWValueReceiverPin(TComponent *AOwner, ChangeEvent OnChange, TObject *AObject)
      : Base(AOwner), onChange_(std::move(OnChange)) {
    this->SetAssociatedObject(AObject);
  }

  HRESULT QueryInterface(const TGUID &iid, void **out) override {
    if (com::QueryInterfaceFor<Streams..., IOWDataStream>(this, iid, out) == S_OK)
      return S_OK;
    return Base::QueryInterface(iid, out);
  }

  TOWNotifyResult DispatchData(const TGUID *, IOWNotifyOperation *Operation,
                               TOWNotifyState) override {
    if (Accepts::Read(Operation, this->value_) && onChange_)
      onChange_(this, this->value_);
    return {};
  }

private:
  ChangeEvent onChange_;
};

// ---------------------------------------------------------------------------
// Source pins. Each derives from TOWClockSourcePin, whose Clock type comes
// first in the type list; the link prefers the types added later.

class TOWClockSourcePin : public TOWSourcePin {
  CLASSLIB_SIMPLE_CLASS(TOWClockSourcePin, TOWSourcePin)
public:
  explicit TOWClockSourcePin(TComponent *AOwner);
  // Sends a fresh clock operation to every linked sink.
  TOWNotifyResult Clock();
  virtual TOWNotifyResult ClockNotification(IOWStream *Handler, const TGUID *DataTypeID,
                                            IOWNotifyOperation *Operation, TOWNotifyState State);
};

// A value source of one kind, with an optional notification handler that,
// when set, serves every peer implementing the kind's stream in place of the
// default way out. PeerResult: whether the default way out answers what the
// peer's DispatchData answered (else the empty set).
template <class Kind, class NotificationEvent = TOWTypedPinNotificationEvent<typename Kind::Stream>,
          bool PeerResult = false>
class TOWValueSourcePin : public TOWValueSenderPin<TOWClockSourcePin, Kind> {
  using Base = TOWValueSenderPin<TOWClockSourcePin, Kind>;

public:
  explicit TOWValueSourcePin(TComponent *AOwner) : Base(AOwner) {
    this->AddRoutine(Kind::Stream::IID, &TOWValueSourcePin::Notification);
  }
  TOWValueSourcePin(TComponent *AOwner, NotificationEvent OnNotification)
      : TOWValueSourcePin(AOwner) {
    onNotification_ = std::move(OnNotification);
  }

  virtual TOWNotifyResult Notification(IOWStream *Handler, const TGUID *DataTypeID,
                                       IOWNotifyOperation *Operation, TOWNotifyState State) {
    if (onNotification_) {
      com::TComPtr<typename Kind::Stream> stream = OWPeerStream<typename Kind::Stream>(Handler);
      return stream ? onNotification_(stream.Get(), DataTypeID, Operation, State)
                    : TOWNotifyResult{};
    }
    const TOWNotifyResult result = this->ServeOwnKind(Handler, DataTypeID, Operation, State);
    return PeerResult ? result : TOWNotifyResult{};
  }

private:
  NotificationEvent onNotification_;
};

class TOWFloatSourcePin : public TOWValueSourcePin<TOWFloatKind> {
  CLASSLIB_SIMPLE_CLASS(TOWFloatSourcePin, TOWClockSourcePin)
public:
  using TOWValueSourcePin::TOWValueSourcePin;
};
class TOWBoolSourcePin : public TOWValueSourcePin<TOWBoolKind> {
  CLASSLIB_SIMPLE_CLASS(TOWBoolSourcePin, TOWClockSourcePin)
public:
  using TOWValueSourcePin::TOWValueSourcePin;
};
class TOWIntegerSourcePin
    : public TOWValueSourcePin<TOWIntegerKind, TOWIntegerPinNotificationEvent, true> {
  CLASSLIB_SIMPLE_CLASS(TOWIntegerSourcePin, TOWClockSourcePin)
public:
  using TOWValueSourcePin::TOWValueSourcePin;
};
class TOWComplexSourcePin : public TOWValueSourcePin<TOWComplexKind> {
  CLASSLIB_SIMPLE_CLASS(TOWComplexSourcePin, TOWClockSourcePin)
public:
  using TOWValueSourcePin::TOWValueSourcePin;
  // Sends value at once, without comparing or storing it.
  TOWNotifyResult SubmitComplex(const TOWRealComplex &value);
};

// Char and string sources can also send a text character by character.
class TOWCharSourcePin : public TOWValueSourcePin<TOWCharKind> {
  CLASSLIB_SIMPLE_CLASS(TOWCharSourcePin, TOWClockSourcePin)
public:
  using TOWValueSourcePin::TOWValueSourcePin;
  // Each character of text in turn becomes the current value and is sent,
  // without comparing; an empty text sends nothing.
  void Send(const std::string &text);
};
class TOWStringSourcePin : public TOWValueSourcePin<TOWStringKind> {
  CLASSLIB_SIMPLE_CLASS(TOWStringSourcePin, TOWClockSourcePin)
public:
  using TOWValueSourcePin::TOWValueSourcePin;
  // As TOWCharSourcePin::Send, each character as a one-character string.
  void Send(const std::string &text);
};

// Keeps a double; a real peer receives doubles, a float-only peer Singles.
class TOWRealSourcePin : public TOWValueSenderPin<TOWClockSourcePin, TOWRealKind> {
  CLASSLIB_SIMPLE_CLASS(TOWRealSourcePin, TOWClockSourcePin)
public:
  explicit TOWRealSourcePin(TComponent *AOwner);
  TOWRealSourcePin(TComponent *AOwner, TOWPinNotificationEvent OnNotification);
  // Sends value at once, without comparing or storing it.
  TOWNotifyResult SubmitReal(double value);
  virtual TOWNotifyResult Notification(IOWStream *Handler, const TGUID *DataTypeID,
                                       IOWNotifyOperation *Operation, TOWNotifyState State);

private:
  TOWPinNotificationEvent onNotification_;
};

// Keeps a Single; float peers receive it, integer peers the value rounded.
class TOWFloatIntSourcePin : public TOWValueSenderPin<TOWClockSourcePin, TOWFloatKind> {
  CLASSLIB_SIMPLE_CLASS(TOWFloatIntSourcePin, TOWClockSourcePin)
public:
  explicit TOWFloatIntSourcePin(TComponent *AOwner);
  virtual TOWNotifyResult FloatNotification(IOWStream *Handler, const TGUID *DataTypeID,
                                            IOWNotifyOperation *Operation, TOWNotifyState State);
  virtual TOWNotifyResult IntegerNotification(IOWStream *Handler, const TGUID *DataTypeID,
                                              IOWNotifyOperation *Operation, TOWNotifyState State);
};

// Keeps a double and sends it as real; every other kind of peer receives the
// current value converted to its own type for every value sent.
class TOWStdComboSourcePin : public TOWValueSenderPin<TOWClockSourcePin, TOWRealKind> {
  CLASSLIB_SIMPLE_CLASS(TOWStdComboSourcePin, TOWClockSourcePin)
public:
  explicit TOWStdComboSourcePin(TComponent *AOwner);
  virtual TOWNotifyResult RealNotification(IOWStream *Handler, const TGUID *DataTypeID,
                                           IOWNotifyOperation *Operation, TOWNotifyState State);
  virtual TOWNotifyResult FloatNotification(IOWStream *Handler, const TGUID *DataTypeID,
                                            IOWNotifyOperation *Operation, TOWNotifyState State);
  virtual TOWNotifyResult IntegerNotification(IOWStream *Handler, const TGUID *DataTypeID,
                                              IOWNotifyOperation *Operation, TOWNotifyState State);
  virtual TOWNotifyResult StringNotification(IOWStream *Handler, const TGUID *DataTypeID,
                                             IOWNotifyOperation *Operation, TOWNotifyState State);
  virtual TOWNotifyResult BoolNotification(IOWStream *Handler, const TGUID *DataTypeID,
                                           IOWNotifyOperation *Operation, TOWNotifyState State);

private:
  template <class Stream, class Op, class Convert>
  TOWNotifyResult ServeConverted(IOWStream *Handler, const TGUID *DataTypeID,
                                 IOWNotifyOperation *Operation, TOWNotifyState State,
                                 Convert convert);
};

// A pin of class PinBase keeping a progress triple of type V.
template <class PinBase, class V> class TOWProgressHolderPin : public PinBase {
public:
  using PinBase::PinBase;
  V GetMin() const { return Get(minimum_); }
  V GetMax() const { return Get(maximum_); }
  V GetProgress() const { return Get(position_); }

protected:
  V minimum_{};
  V maximum_{};
  V position_{};

private:
  V Get(const V &field) const {
    TOWReadSection section(this);
    return field;
  }
};

// Sending side of the integer progress source and state pins: integer peers
// receive the position, progress peers all three.
template <class PinBase>
class TOWIntProgressSenderPin : public TOWProgressHolderPin<PinBase, int32_t> {
public:
  using TOWProgressHolderPin<PinBase, int32_t>::TOWProgressHolderPin;

  // Each sets one of the three and, when it changed, sends all three.
  void SetMin(int32_t value) { Set(this->minimum_, value); }
  void SetMax(int32_t value) { Set(this->maximum_, value); }
  void SetProgress(int32_t value) { Set(this->position_, value); }

  virtual TOWNotifyResult IntNotification(IOWStream *Handler, const TGUID *DataTypeID,
                                          IOWNotifyOperation *Operation, TOWNotifyState State) {
    OWServePeer<IOWIntegerStream>(Handler, DataTypeID, Operation, State, false, [this] {
      return TOWNotifyOperation::Make<TOWSuppliedIntegerOperation>(this->position_);
    });
    return {};
  }
  virtual TOWNotifyResult IntProgressNotification(IOWStream *Handler, const TGUID *DataTypeID,
                                                  IOWNotifyOperation *Operation,
                                                  TOWNotifyState State) {
    OWServePeer<IOWIntProgressStream>(Handler, DataTypeID, Operation, State, false, [this] {
      return TOWNotifyOperation::Make<TOWSuppliedIntProgressOperation>(
          this->minimum_, this->maximum_, this->position_);
    });
    return {};
  }

protected:
  void AddProgressTypes() {
    this->AddType(IOWIntegerStream::IID,
                  [this](IOWStream *h, const TGUID *d, IOWNotifyOperation *o, TOWNotifyState s) {
                    return IntNotification(h, d, o, s);
                  });
    this->AddType(IOWIntProgressStream::IID,
                  [this](IOWStream *h, const TGUID *d, IOWNotifyOperation *o, TOWNotifyState s) {
                    return IntProgressNotification(h, d, o, s);
                  });
  }

private:
  void Set(int32_t &field, int32_t value) {
    TOWWriteSection section(this);
    if (field == value)
      return;
    field = value;
    this->Notify(TOWNotifyOperation::Make<TOWSuppliedIntProgressOperation>(
                     this->minimum_, this->maximum_, this->position_)
                     .Get());
  }
};

class TOWIntProgressSourcePin : public TOWIntProgressSenderPin<TOWClockSourcePin> {
  CLASSLIB_SIMPLE_CLASS(TOWIntProgressSourcePin, TOWClockSourcePin)
public:
  explicit TOWIntProgressSourcePin(TComponent *AOwner);
};

// ---------------------------------------------------------------------------
// Sink pins. None adds a type to its type list; each implements the stream
// interfaces it accepts. AObject becomes the pin's associated object, which
// nothing in the framework reads.

class TOWClockSinkPin : public TOWSinkPin, public IOWClockStream {
  CLASSLIB_SIMPLE_CLASS(TOWClockSinkPin, TOWSinkPin)
public:
  TOWClockSinkPin(TComponent *AOwner, TOWClockEvent OnClock, TObject *AObject);
  HRESULT QueryInterface(const TGUID &iid, void **out) override;
  // Calls the clock handler with this pin.
  void Clock() override;

private:
  TOWClockEvent onClock_;
};

template <class V, class ChangeEvent, class Accepts, class... Streams>
using TOWValueSinkPin =
    TOWValueReceiverPin<TOWValueHolderPin<TOWSinkPin, V>, ChangeEvent, Accepts, Streams...>;

class TOWFloatSinkPin
    : public TOWValueSinkPin<float, TOWFloatChangeEvent,
                             TOWAccepts<float, TOWSuppliedSingleOperation>, IOWFloatStream> {
  CLASSLIB_SIMPLE_CLASS(TOWFloatSinkPin, TOWSinkPin)
public:
  using TOWValueReceiverPin::TOWValueReceiverPin;
};
class TOWBoolSinkPin
    : public TOWValueSinkPin<bool, TOWBoolChangeEvent, TOWAccepts<bool, TOWSuppliedBoolOperation>,
                             IOWBoolStream> {
  CLASSLIB_SIMPLE_CLASS(TOWBoolSinkPin, TOWSinkPin)
public:
  using TOWValueReceiverPin::TOWValueReceiverPin;
};
class TOWCharSinkPin
    : public TOWValueSinkPin<char, TOWCharChangeEvent, TOWAccepts<char, TOWSuppliedCharOperation>,
                             IOWCharStream> {
  CLASSLIB_SIMPLE_CLASS(TOWCharSinkPin, TOWSinkPin)
public:
  using TOWValueReceiverPin::TOWValueReceiverPin;
};
class TOWStringSinkPin
    : public TOWValueSinkPin<std::string, TOWStringChangeEvent,
                             TOWAccepts<std::string, TOWSuppliedStringOperation>, IOWStringStream> {
  CLASSLIB_SIMPLE_CLASS(TOWStringSinkPin, TOWSinkPin)
public:
  using TOWValueReceiverPin::TOWValueReceiverPin;
};
// Progress operations included: an integer receiver takes their position.
class TOWIntegerSinkPin
    : public TOWValueSinkPin<int32_t, TOWIntegerChangeEvent,
                             TOWAccepts<int32_t, TOWSuppliedIntegerOperation>, IOWIntegerStream> {
  CLASSLIB_SIMPLE_CLASS(TOWIntegerSinkPin, TOWSinkPin)
public:
  using TOWValueReceiverPin::TOWValueReceiverPin;
};
class TOWRealSinkPin : public TOWValueSinkPin<
                           double, TOWRealChangeEvent,
                           TOWAccepts<double, TOWSuppliedRealOperation, TOWSuppliedSingleOperation>,
                           IOWRealStream, IOWFloatStream> {
  CLASSLIB_SIMPLE_CLASS(TOWRealSinkPin, TOWSinkPin)
public:
  using TOWValueReceiverPin::TOWValueReceiverPin;
};
class TOWComplexSinkPin
    : public TOWValueSinkPin<TOWRealComplex, TOWRealComplexChangeEvent,
                             TOWAccepts<TOWRealComplex, TOWSuppliedRealComplexOperation>,
                             IOWRealComplexStream> {
  CLASSLIB_SIMPLE_CLASS(TOWComplexSinkPin, TOWSinkPin)
public:
  using TOWValueReceiverPin::TOWValueReceiverPin;
};
// An integer becomes the nearest Single.
class TOWFloatIntSinkPin
    : public TOWValueSinkPin<
          float, TOWFloatChangeEvent,
          TOWAccepts<float, TOWSuppliedIntegerOperation, TOWSuppliedSingleOperation>,
          IOWIntegerStream, IOWFloatStream> {
  CLASSLIB_SIMPLE_CLASS(TOWFloatIntSinkPin, TOWSinkPin)
public:
  using TOWValueReceiverPin::TOWValueReceiverPin;
};

// Receiving side of the progress pins: a progress operation sets all three
// and reports RangesFilled; a plain value sets the position only. Base is a
// TOWProgressHolderPin of V. WithSingle: whether Single values and Single
// progress are taken too.
template <class Base, class V, class ChangeEvent, bool WithSingle, class... Streams>
class TOWProgressReceiverPin : public Base, public Streams... {
public:
  TOWProgressReceiverPin(TComponent *AOwner, ChangeEvent OnChange, TObject *AObject)
      : Base(AOwner), onChange_(std::move(OnChange)) {
    this->SetAssociatedObject(AObject);
  }

  HRESULT QueryInterface(const TGUID &iid, void **out) override {
    if (com::QueryInterfaceFor<Streams..., IOWDataStream>(this, iid, out) == S_OK)
      return S_OK;
    return Base::QueryInterface(iid, out);
  }

  TOWNotifyResult DispatchData(const TGUID *, IOWNotifyOperation *Operation,
                               TOWNotifyState) override {
    bool ranges = false;
    if (!Read(Operation, ranges))
      return {};
    if (onChange_)
      onChange_(this, this->minimum_, this->maximum_, this->position_, ranges);
    return {};
  }

private:
  template <class Op> bool ReadRanges(IOWNotifyOperation *operation) {
    if (const Op *op = OWOperationAs<Op>(operation)) {
      this->minimum_ = static_cast<V>(op->Minimum());
      this->maximum_ = static_cast<V>(op->Maximum());
      this->position_ = static_cast<V>(op->Position());
      return true;
    }
    return false;
  }
  template <class Op> bool ReadPosition(IOWNotifyOperation *operation) {
    if (const Op *op = OWOperationAs<Op>(operation)) {
      this->position_ = static_cast<V>(op->Value());
      return true;
    }
    return false;
  }
  bool Read(IOWNotifyOperation *operation, bool &ranges) {
    if constexpr (WithSingle) {
      if ((ranges = ReadRanges<TOWSuppliedSingleProgressOperation>(operation)))
        return true;
    }
    if ((ranges = ReadRanges<TOWSuppliedIntProgressOperation>(operation)))
      return true;
    if (ReadPosition<TOWSuppliedIntegerOperation>(operation))
      return true;
    if constexpr (WithSingle)
      return ReadPosition<TOWSuppliedSingleOperation>(operation);
    return false;
  }

  ChangeEvent onChange_;
};

class TOWIntProgressSinkPin
    : public TOWProgressReceiverPin<TOWProgressHolderPin<TOWSinkPin, int32_t>, int32_t,
                                    TOWIntProgressChangeEvent, false, IOWIntegerStream,
                                    IOWIntProgressStream> {
  CLASSLIB_SIMPLE_CLASS(TOWIntProgressSinkPin, TOWSinkPin)
public:
  using TOWProgressReceiverPin::TOWProgressReceiverPin;
};
class TOWFloatIntProgressSinkPin
    : public TOWProgressReceiverPin<TOWProgressHolderPin<TOWSinkPin, float>, float,
                                    TOWFloatProgressChangeEvent, true, IOWIntegerStream,
                                    IOWFloatStream, IOWIntProgressStream, IOWFloatProgressStream> {
  CLASSLIB_SIMPLE_CLASS(TOWFloatIntProgressSinkPin, TOWSinkPin)
public:
  using TOWProgressReceiverPin::TOWProgressReceiverPin;
};

// ---------------------------------------------------------------------------
// State pins: SetValue sends to every member of the pin's group, the pin
// itself included (nothing without a group); each member receives through
// DispatchData like a sink.

// The state pins of one value kind. On the way out a supplied value of the
// pin's own kind first becomes its current value; then the peer is served
// with the default way out.
template <class Kind, class ChangeEvent, class Accepts, class... Streams>
class TOWValueStatePin : public TOWValueReceiverPin<TOWValueSenderPin<TOWStatePin, Kind>,
                                                    ChangeEvent, Accepts, Streams...> {
  using Base =
      TOWValueReceiverPin<TOWValueSenderPin<TOWStatePin, Kind>, ChangeEvent, Accepts, Streams...>;

public:
  TOWValueStatePin(TComponent *AOwner, ChangeEvent OnChange, TObject *AObject)
      : Base(AOwner, std::move(OnChange), AObject) {
    this->AddRoutine(Kind::Stream::IID, &TOWValueStatePin::Notification);
  }

  virtual TOWNotifyResult Notification(IOWStream *Handler, const TGUID *DataTypeID,
                                       IOWNotifyOperation *Operation, TOWNotifyState State) {
    Accepts::Read(Operation, this->value_);
    this->ServeOwnKind(Handler, DataTypeID, Operation, State);
    return {};
  }
};

class TOWFloatStatePin
    : public TOWValueStatePin<TOWFloatKind, TOWFloatChangeEvent,
                              TOWAccepts<float, TOWSuppliedSingleOperation>, IOWFloatStream> {
  CLASSLIB_SIMPLE_CLASS(TOWFloatStatePin, TOWStatePin)
public:
  using TOWValueStatePin::TOWValueStatePin;
};
class TOWBoolStatePin
    : public TOWValueStatePin<TOWBoolKind, TOWBoolChangeEvent,
                              TOWAccepts<bool, TOWSuppliedBoolOperation>, IOWBoolStream> {
  CLASSLIB_SIMPLE_CLASS(TOWBoolStatePin, TOWStatePin)
public:
  using TOWValueStatePin::TOWValueStatePin;
};
class TOWCharStatePin
    : public TOWValueStatePin<TOWCharKind, TOWCharChangeEvent,
                              TOWAccepts<char, TOWSuppliedCharOperation>, IOWCharStream> {
  CLASSLIB_SIMPLE_CLASS(TOWCharStatePin, TOWStatePin)
public:
  using TOWValueStatePin::TOWValueStatePin;
};
class TOWStringStatePin
    : public TOWValueStatePin<TOWStringKind, TOWStringChangeEvent,
                              TOWAccepts<std::string, TOWSuppliedStringOperation>,
                              IOWStringStream> {
  CLASSLIB_SIMPLE_CLASS(TOWStringStatePin, TOWStatePin)
public:
  using TOWValueStatePin::TOWValueStatePin;
};
class TOWIntegerStatePin
    : public TOWValueStatePin<TOWIntegerKind, TOWIntegerChangeEvent,
                              TOWAccepts<int32_t, TOWSuppliedIntegerOperation>, IOWIntegerStream> {
  CLASSLIB_SIMPLE_CLASS(TOWIntegerStatePin, TOWStatePin)
public:
  using TOWValueStatePin::TOWValueStatePin;
};
class TOWComplexStatePin
    : public TOWValueStatePin<TOWComplexKind, TOWRealComplexChangeEvent,
                              TOWAccepts<TOWRealComplex, TOWSuppliedRealComplexOperation>,
                              IOWRealComplexStream> {
  CLASSLIB_SIMPLE_CLASS(TOWComplexStatePin, TOWStatePin)
public:
  using TOWValueStatePin::TOWValueStatePin;
};

// Types Float and Real; takes doubles and Singles widened; serves its peers
// as the real source does.
class TOWRealStatePin
    : public TOWValueReceiverPin<
          TOWValueSenderPin<TOWStatePin, TOWRealKind>, TOWRealChangeEvent,
          TOWAccepts<double, TOWSuppliedRealOperation, TOWSuppliedSingleOperation>, IOWRealStream,
          IOWFloatStream> {
  CLASSLIB_SIMPLE_CLASS(TOWRealStatePin, TOWStatePin)
public:
  TOWRealStatePin(TComponent *AOwner, TOWRealChangeEvent OnChange, TObject *AObject);
  virtual TOWNotifyResult Notification(IOWStream *Handler, const TGUID *DataTypeID,
                                       IOWNotifyOperation *Operation, TOWNotifyState State);
};

// Types Float and Integer; SetValue sends a multicast operation, which each
// member receives as its own type: Single, or the value rounded.
class TOWFloatIntStatePin
    : public TOWValueReceiverPin<
          TOWValueSenderPin<TOWStatePin, TOWFloatKind>, TOWFloatChangeEvent,
          TOWAccepts<float, TOWSuppliedIntegerOperation, TOWSuppliedSingleOperation>,
          IOWIntegerStream, IOWFloatStream> {
  CLASSLIB_SIMPLE_CLASS(TOWFloatIntStatePin, TOWStatePin)
public:
  TOWFloatIntStatePin(TComponent *AOwner, TOWFloatChangeEvent OnChange, TObject *AObject);
  virtual TOWNotifyResult Notification(IOWStream *Handler, const TGUID *DataTypeID,
                                       IOWNotifyOperation *Operation, TOWNotifyState State);

protected:
  IOWNotifyOperationPtr MakeValueOperation(const float &value) override;
};

class TOWIntProgressStatePin
    : public TOWProgressReceiverPin<TOWIntProgressSenderPin<TOWStatePin>, int32_t,
                                    TOWIntProgressChangeEvent, false, IOWIntegerStream,
                                    IOWIntProgressStream> {
  CLASSLIB_SIMPLE_CLASS(TOWIntProgressStatePin, TOWStatePin)
public:
  TOWIntProgressStatePin(TComponent *AOwner, TOWIntProgressChangeEvent OnChange, TObject *AObject);
};

// ---------------------------------------------------------------------------
// Unit start-up: registers the display names of the value stream types and
// the default handler of IOWDataStream. Runs on the main thread after
// OWPinsInitialization; registering again changes nothing.
void OWStdTypesInitialization();
void OWStdTypesFinalization();
