#include "framework/pins/OWStdTypes.h"

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>

int32_t OWRoundToInteger(double value) noexcept {
  if (std::isnan(value))
    return 0;
  const double rounded = std::nearbyint(value);
  if (rounded >= 2147483647.0)
    return std::numeric_limits<int32_t>::max();
  if (rounded <= -2147483648.0)
    return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(rounded);
}

float OWNarrowToSingle(double value) noexcept { return static_cast<float>(value); }

bool OWValueToBool(double value) noexcept { return value != 0.0; }

std::string OWFloatToText(double value) {
  constexpr int kDigits = 15;
  if (std::isnan(value))
    return "NAN";
  if (std::isinf(value))
    return value < 0 ? "-INF" : "INF";
  if (value == 0.0)
    return "0";

  // Scientific form rounded once to 15 significant digits: "-d.ddddddddddddddde+XX".
  char buf[64];
  const auto res =
      std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, kDigits - 1);
  const std::string sci(buf, res.ptr);
  const bool negative = sci[0] == '-';
  const std::size_t start = negative ? 1 : 0;
  const std::size_t ePos = sci.find('e');
  std::string digits;
  for (std::size_t i = start; i < ePos; ++i)
    if (sci[i] != '.')
      digits += sci[i];
  const int exponent = std::atoi(sci.c_str() + ePos + 1);
  while (digits.size() > 1 && digits.back() == '0')
    digits.pop_back();

  const char *localeSep = std::localeconv()->decimal_point;
  const std::string sep = (localeSep && *localeSep) ? localeSep : ".";
  std::string text = negative ? "-" : "";
  if (exponent >= kDigits || exponent < -5) {
    text += digits[0];
    if (digits.size() > 1)
      text += sep + digits.substr(1);
    text += 'E';
    text += std::to_string(exponent);
  } else if (exponent >= 0) {
    const std::size_t intLen = static_cast<std::size_t>(exponent) + 1;
    if (digits.size() <= intLen) {
      text += digits + std::string(intLen - digits.size(), '0');
    } else {
      text += digits.substr(0, intLen) + sep + digits.substr(intLen);
    }
  } else {
    text += "0" + sep + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
  }
  return text;
}

// ---------------------------------------------------------------------------
// Serving peers

namespace {

bool IsSuppliedValue(IOWNotifyOperation *operation) {
  return OWOperationAs<TOWSuppliedOperation>(operation) != nullptr;
}

template <class Op, class V> IOWNotifyOperationPtr MakeSupplied(const V &value) {
  return TOWNotifyOperation::Make<Op>(value);
}

// Only the first delivery on a link answers nothing: the routines that report
// the peer's result do so for the deliveries that follow.
TOWNotifyResult UnlessNewLink(TOWNotifyState state, TOWNotifyResult result) {
  return state.Contains(nsNewLink) ? TOWNotifyResult{} : result;
}

} // namespace

TOWNotifyResult OWServeRealPeer(IOWStream *handler, const TGUID *dataTypeID,
                                IOWNotifyOperation *operation, TOWNotifyState state,
                                double current) {
  if (OWPeerStream<IOWRealStream>(handler)) {
    OWServePeer<IOWRealStream>(handler, dataTypeID, operation, state, false, [current] {
      return MakeSupplied<TOWSuppliedRealOperation>(current);
    });
    return {};
  }
  // A float-only peer: the current value on a new link, and every double on
  // the way, narrowed to Single.
  const auto *real = OWOperationAs<TOWSuppliedRealOperation>(operation);
  OWServePeer<IOWFloatStream>(handler, dataTypeID, operation, state, real != nullptr, [&] {
    const double value = state.Contains(nsNewLink) ? current : real->Value();
    return MakeSupplied<TOWSuppliedSingleOperation>(OWNarrowToSingle(value));
  });
  return {};
}

// ---------------------------------------------------------------------------
// Source pins

TOWClockSourcePin::TOWClockSourcePin(TComponent *AOwner) : TOWSourcePin(AOwner) {
  AddType(IOWClockStream::IID, [this](IOWStream *h, const TGUID *d, IOWNotifyOperation *o,
                                      TOWNotifyState s) { return ClockNotification(h, d, o, s); });
}

TOWNotifyResult TOWClockSourcePin::Clock() {
  return Notify(TOWNotifyOperation::Make<TOWClockOperation>().Get());
}

TOWNotifyResult TOWClockSourcePin::ClockNotification(IOWStream *Handler, const TGUID *,
                                                     IOWNotifyOperation *Operation,
                                                     TOWNotifyState State) {
  // The delivery that opens a link is not a tick.
  if (State.Contains(nsNewLink) || !OWOperationAs<TOWClockOperation>(Operation))
    return {};
  if (com::TComPtr<IOWClockStream> clock = OWPeerStream<IOWClockStream>(Handler))
    clock->Clock();
  return {};
}

TOWNotifyResult TOWComplexSourcePin::SubmitComplex(const TOWRealComplex &value) {
  return Notify(MakeSupplied<TOWSuppliedRealComplexOperation>(value).Get());
}

void TOWCharSourcePin::Send(const std::string &text) {
  TOWWriteSection section(this);
  for (char c : text) {
    value_ = c;
    Notify(MakeSupplied<TOWSuppliedCharOperation>(c).Get());
  }
}

void TOWStringSourcePin::Send(const std::string &text) {
  TOWWriteSection section(this);
  for (char c : text) {
    value_ = std::string(1, c);
    Notify(MakeSupplied<TOWSuppliedStringOperation>(value_).Get());
  }
}

TOWRealSourcePin::TOWRealSourcePin(TComponent *AOwner) : TOWValueSenderPin(AOwner) {
  AddRoutine(IOWFloatStream::IID, &TOWRealSourcePin::Notification);
  AddRoutine(IOWRealStream::IID, &TOWRealSourcePin::Notification);
}

TOWRealSourcePin::TOWRealSourcePin(TComponent *AOwner, TOWPinNotificationEvent OnNotification)
    : TOWRealSourcePin(AOwner) {
  onNotification_ = std::move(OnNotification);
}

TOWNotifyResult TOWRealSourcePin::SubmitReal(double value) {
  return Notify(MakeSupplied<TOWSuppliedRealOperation>(value).Get());
}

TOWNotifyResult TOWRealSourcePin::Notification(IOWStream *Handler, const TGUID *DataTypeID,
                                               IOWNotifyOperation *Operation,
                                               TOWNotifyState State) {
  if (onNotification_) {
    com::TComPtr<IOWDataStream> stream = OWPeerStream<IOWRealStream>(Handler);
    if (!stream)
      stream = OWPeerStream<IOWFloatStream>(Handler);
    return stream ? onNotification_(stream.Get(), DataTypeID, Operation, State) : TOWNotifyResult{};
  }
  return OWServeRealPeer(Handler, DataTypeID, Operation, State, value_);
}

TOWFloatIntSourcePin::TOWFloatIntSourcePin(TComponent *AOwner) : TOWValueSenderPin(AOwner) {
  AddRoutine(IOWFloatStream::IID, &TOWFloatIntSourcePin::FloatNotification);
  AddRoutine(IOWIntegerStream::IID, &TOWFloatIntSourcePin::IntegerNotification);
}

TOWNotifyResult TOWFloatIntSourcePin::FloatNotification(IOWStream *Handler, const TGUID *DataTypeID,
                                                        IOWNotifyOperation *Operation,
                                                        TOWNotifyState State) {
  ServeOwnKind(Handler, DataTypeID, Operation, State);
  return {};
}

TOWNotifyResult TOWFloatIntSourcePin::IntegerNotification(IOWStream *Handler,
                                                          const TGUID *DataTypeID,
                                                          IOWNotifyOperation *Operation,
                                                          TOWNotifyState State) {
  const TOWNotifyResult result = OWServePeer<IOWIntegerStream>(
      Handler, DataTypeID, Operation, State, IsSuppliedValue(Operation),
      [this] { return MakeSupplied<TOWSuppliedIntegerOperation>(OWRoundToInteger(value_)); });
  return UnlessNewLink(State, result);
}

TOWStdComboSourcePin::TOWStdComboSourcePin(TComponent *AOwner) : TOWValueSenderPin(AOwner) {
  AddRoutine(IOWRealStream::IID, &TOWStdComboSourcePin::RealNotification);
  AddRoutine(IOWFloatStream::IID, &TOWStdComboSourcePin::FloatNotification);
  AddRoutine(IOWIntegerStream::IID, &TOWStdComboSourcePin::IntegerNotification);
  AddRoutine(IOWStringStream::IID, &TOWStdComboSourcePin::StringNotification);
  AddRoutine(IOWBoolStream::IID, &TOWStdComboSourcePin::BoolNotification);
}

TOWNotifyResult TOWStdComboSourcePin::RealNotification(IOWStream *Handler, const TGUID *DataTypeID,
                                                       IOWNotifyOperation *Operation,
                                                       TOWNotifyState State) {
  ServeOwnKind(Handler, DataTypeID, Operation, State);
  return {};
}

// The combo's other peers get the current value in their own type for every
// value sent, whatever the operation carried.
template <class Stream, class Op, class Convert>
TOWNotifyResult TOWStdComboSourcePin::ServeConverted(IOWStream *Handler, const TGUID *DataTypeID,
                                                     IOWNotifyOperation *Operation,
                                                     TOWNotifyState State, Convert convert) {
  OWServePeer<Stream>(Handler, DataTypeID, Operation, State, IsSuppliedValue(Operation),
                      [&] { return MakeSupplied<Op>(convert(value_)); });
  return {};
}

TOWNotifyResult TOWStdComboSourcePin::FloatNotification(IOWStream *Handler, const TGUID *DataTypeID,
                                                        IOWNotifyOperation *Operation,
                                                        TOWNotifyState State) {
  return ServeConverted<IOWFloatStream, TOWSuppliedSingleOperation>(Handler, DataTypeID, Operation,
                                                                    State, OWNarrowToSingle);
}

TOWNotifyResult TOWStdComboSourcePin::IntegerNotification(IOWStream *Handler,
                                                          const TGUID *DataTypeID,
                                                          IOWNotifyOperation *Operation,
                                                          TOWNotifyState State) {
  return ServeConverted<IOWIntegerStream, TOWSuppliedIntegerOperation>(
      Handler, DataTypeID, Operation, State, OWRoundToInteger);
}

TOWNotifyResult TOWStdComboSourcePin::StringNotification(IOWStream *Handler,
                                                         const TGUID *DataTypeID,
                                                         IOWNotifyOperation *Operation,
                                                         TOWNotifyState State) {
  return ServeConverted<IOWStringStream, TOWSuppliedStringOperation>(Handler, DataTypeID, Operation,
                                                                     State, OWFloatToText);
}

TOWNotifyResult TOWStdComboSourcePin::BoolNotification(IOWStream *Handler, const TGUID *DataTypeID,
                                                       IOWNotifyOperation *Operation,
                                                       TOWNotifyState State) {
  return ServeConverted<IOWBoolStream, TOWSuppliedBoolOperation>(Handler, DataTypeID, Operation,
                                                                 State, OWValueToBool);
}

TOWIntProgressSourcePin::TOWIntProgressSourcePin(TComponent *AOwner)
    : TOWIntProgressSenderPin(AOwner) {
  AddProgressTypes();
}

// ---------------------------------------------------------------------------
// Sink pins

TOWClockSinkPin::TOWClockSinkPin(TComponent *AOwner, TOWClockEvent OnClock, TObject *AObject)
    : TOWSinkPin(AOwner), onClock_(std::move(OnClock)) {
  SetAssociatedObject(AObject);
}

HRESULT TOWClockSinkPin::QueryInterface(const TGUID &iid, void **out) {
  if (com::QueryInterfaceFor<IOWClockStream>(this, iid, out) == S_OK)
    return S_OK;
  return TOWSinkPin::QueryInterface(iid, out);
}

void TOWClockSinkPin::Clock() {
  if (onClock_)
    onClock_(this);
}

// ---------------------------------------------------------------------------
// State pins

TOWRealStatePin::TOWRealStatePin(TComponent *AOwner, TOWRealChangeEvent OnChange, TObject *AObject)
    : TOWValueReceiverPin(AOwner, std::move(OnChange), AObject) {
  AddRoutine(IOWFloatStream::IID, &TOWRealStatePin::Notification);
  AddRoutine(IOWRealStream::IID, &TOWRealStatePin::Notification);
}

TOWNotifyResult TOWRealStatePin::Notification(IOWStream *Handler, const TGUID *DataTypeID,
                                              IOWNotifyOperation *Operation, TOWNotifyState State) {
  TOWAccepts<double, TOWSuppliedRealOperation, TOWSuppliedSingleOperation>::Read(Operation, value_);
  return OWServeRealPeer(Handler, DataTypeID, Operation, State, value_);
}

TOWFloatIntStatePin::TOWFloatIntStatePin(TComponent *AOwner, TOWFloatChangeEvent OnChange,
                                         TObject *AObject)
    : TOWValueReceiverPin(AOwner, std::move(OnChange), AObject) {
  AddRoutine(IOWFloatStream::IID, &TOWFloatIntStatePin::Notification);
  AddRoutine(IOWIntegerStream::IID, &TOWFloatIntStatePin::Notification);
}

IOWNotifyOperationPtr TOWFloatIntStatePin::MakeValueOperation(const float &) {
  return TOWNotifyOperation::Make<TOWSuppliedMulticastOperation>();
}

TOWNotifyResult TOWFloatIntStatePin::Notification(IOWStream *Handler, const TGUID *DataTypeID,
                                                  IOWNotifyOperation *Operation,
                                                  TOWNotifyState State) {
  const bool multicast = OWOperationAs<TOWSuppliedMulticastOperation>(Operation) != nullptr;
  TOWNotifyResult result;
  if (OWPeerStream<IOWFloatStream>(Handler))
    result = OWServePeer<IOWFloatStream>(Handler, DataTypeID, Operation, State, multicast, [this] {
      return MakeSupplied<TOWSuppliedSingleOperation>(value_);
    });
  else
    result =
        OWServePeer<IOWIntegerStream>(Handler, DataTypeID, Operation, State, multicast, [this] {
          return MakeSupplied<TOWSuppliedIntegerOperation>(OWRoundToInteger(value_));
        });
  return UnlessNewLink(State, result);
}

TOWIntProgressStatePin::TOWIntProgressStatePin(TComponent *AOwner,
                                               TOWIntProgressChangeEvent OnChange, TObject *AObject)
    : TOWProgressReceiverPin(AOwner, std::move(OnChange), AObject) {
  AddProgressTypes();
}

// ---------------------------------------------------------------------------
// Unit start-up

namespace {

// The default handler of IOWDataStream: any data stream receives through its
// DispatchData.
TOWNotifyResult DataStreamDefaultHandler(TOWPin *, IOWStream *Handler, const TGUID *DataTypeID,
                                         IOWNotifyOperation *Operation, TOWNotifyState State) {
  com::TComPtr<IOWDataStream> stream = OWPeerStream<IOWDataStream>(Handler);
  return stream ? stream->DispatchData(DataTypeID, Operation, State) : TOWNotifyResult{};
}

} // namespace

void OWStdTypesInitialization() {
  OWRegisterStream(IOWIntegerStream::IID, "Integer single");
  OWRegisterStream(IOWFloatStream::IID, "Float single");
  OWRegisterStream(IOWRealStream::IID, "Real single");
  OWRegisterStream(IOWRealComplexStream::IID, "Real Complex single");
  OWRegisterStream(IOWBoolStream::IID, "Boolean single");
  OWRegisterStream(IOWCharStream::IID, "Character single");
  OWRegisterStream(IOWStringStream::IID, "Sting");
  OWRegisterDefaultHandler(IOWDataStream::IID, DataStreamDefaultHandler);
}

void OWStdTypesFinalization() {}
