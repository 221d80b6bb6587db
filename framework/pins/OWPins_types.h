// Stream types, notification sets, operations and the stream-type registry of
// the pin framework.
//
// A stream type is a GUID; it is also the interface identifier of the stream
// interface through which a pin receives data of that type. Everything that
// travels along links is an operation (IOWNotifyOperation), a reference-counted
// object whose class says what happened; receivers tell operations apart by
// the class of Instance() (dynamic_cast, which also matches descendants).
//
// The registry is written only by the units' start-up and shut-down on the
// main thread, before any pin exists and after the last one went; reading it
// needs no lock. Operation ids come from one atomic counter.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>

#include "platform/classlib/Exceptions.h"
#include "platform/com/Unknown.h"

class TOWPin;
class TOWNotifyOperation;

// The all-zero GUID: no stream type.
inline constexpr TGUID OWNULLID{};

// Every pin implements IOWStream; a pin is handed to handlers as its IOWStream.
struct IOWStream : public virtual com::IUnknown {
  static constexpr TGUID IID = TGUID::FromLiteral("{2BFF1BE1-1698-4CFA-A427-9E0801C5B357}");
};

// A small set over an enumeration whose ordinals are below 32.
template <class E> class TOWSet {
public:
  constexpr TOWSet() = default;
  constexpr TOWSet(std::initializer_list<E> items) {
    for (E e : items)
      bits_ |= Bit(e);
  }
  constexpr bool Contains(E e) const { return (bits_ & Bit(e)) != 0; }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr TOWSet &Include(E e) {
    bits_ |= Bit(e);
    return *this;
  }
  constexpr TOWSet &Exclude(E e) {
    bits_ &= ~Bit(e);
    return *this;
  }
  constexpr uint32_t Bits() const { return bits_; }
  friend constexpr bool operator==(TOWSet a, TOWSet b) { return a.bits_ == b.bits_; }
  friend constexpr TOWSet operator+(TOWSet a, TOWSet b) {
    a.bits_ |= b.bits_;
    return a;
  }

private:
  static constexpr uint32_t Bit(E e) { return 1u << static_cast<uint32_t>(e); }
  uint32_t bits_ = 0;
};

// nsNewLink: the first delivery on a link just made or retyped.
// nsLastIteration: the last receiver of a fan-out.
enum TOWNotifyStateItem { nsNewLink, nsLastIteration };
using TOWNotifyState = TOWSet<TOWNotifyStateItem>;

// A source serves the sinks that answer nrDataChanged after the others.
enum TOWNotifyResultItem { nrDataChanged };
using TOWNotifyResult = TOWSet<TOWNotifyResultItem>;

enum TOWPinType { ptSource, ptSink, ptState, ptEvent };

// ---------------------------------------------------------------------------
// Operations

struct IOWNotifyOperation : public virtual com::IUnknown {
  static constexpr TGUID IID = TGUID::FromLiteral("{AC2714E1-1E70-4C60-ABBB-EA27737CEE74}");
  virtual TOWNotifyOperation *Instance() = 0;
};
using IOWNotifyOperationPtr = com::TComPtr<IOWNotifyOperation>;

// Base of every operation. Ids are 64-bit, taken from a process-wide counter
// that starts at 1 and increases in creation order across threads.
class TOWNotifyOperation : public com::TInterfacedObject, public IOWNotifyOperation {
public:
  TOWNotifyOperation();
  HRESULT QueryInterface(const TGUID &iid, void **out) override {
    return com::QueryInterfaceFor<IOWNotifyOperation>(this, iid, out);
  }
  TOWNotifyOperation *Instance() override { return this; }
  int64_t GetOperationID() const { return id_; }

  // A fresh operation of class T, as the interface that travels along links.
  template <class T = TOWNotifyOperation, class... Args>
  static IOWNotifyOperationPtr Make(Args &&...args) {
    return IOWNotifyOperationPtr(com::MakeCom<T>(std::forward<Args>(args)...));
  }

private:
  const int64_t id_;
};

// The plain operations: no fields; receivers tell them apart by class.
class TOWClockOperation : public TOWNotifyOperation {};
class TOWSuppliedOperation : public TOWClockOperation {};
class TOWSuppliedMulticastOperation : public TOWSuppliedOperation {};
class TOWStartOperation : public TOWNotifyOperation {};
class TOWStopOperation : public TOWNotifyOperation {};
class TOWEndStopOperation : public TOWStopOperation {};
class TOWQueryStreamOperation : public TOWNotifyOperation {};
class TOWIgnoreStreamOperation : public TOWNotifyOperation {};

// True when the operation is of class T or a descendant.
template <class T> T *OWOperationAs(IOWNotifyOperation *operation) {
  return operation ? dynamic_cast<T *>(operation->Instance()) : nullptr;
}

// ---------------------------------------------------------------------------
// Handlers

// The sending side's handler for one stream type: hands Operation to the
// receiving pin Handler under the link's type DataTypeID. Assigned when the
// function is set.
using TOWSubmit =
    std::function<TOWNotifyResult(IOWStream *Handler, const TGUID *DataTypeID,
                                  IOWNotifyOperation *Operation, TOWNotifyState State)>;

// A stream type's default handler; Pin is the sending pin.
using TOWDefaultHandler = TOWNotifyResult (*)(TOWPin *Pin, IOWStream *Handler,
                                              const TGUID *DataTypeID,
                                              IOWNotifyOperation *Operation, TOWNotifyState State);

// ---------------------------------------------------------------------------
// Registry. Registration is meant for start-up on the main thread, but may
// also come from a pin made on another thread (the buffer and audio pins
// register their types if start-up did not): lookups take no lock and stay
// valid while another thread registers. OWPinsFinalization empties it.

// Finds or appends the entry of id, then sets its display name.
void OWRegisterStream(const TGUID &id, const std::string &name);
// Finds or appends the entry of id, then sets its default handler.
void OWRegisterDefaultHandler(const TGUID &id, TOWDefaultHandler handler);
// "NIL ID" for OWNULLID, the registered name, else the braces form.
std::string OWGetStreamTypeFromID(const TGUID &id);
// The default handler of id, null when none.
TOWDefaultHandler OWGetDefaultHandler(const TGUID &id);

// ---------------------------------------------------------------------------

// The exception of the pin framework.
class EOWException : public Exception {
public:
  using Exception::Exception;
};
