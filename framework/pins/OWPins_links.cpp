// Links between source and sink pins: entries, checks, making and breaking.
#include "framework/pins/OWPins.h"

#include <algorithm>

#include "framework/pins/OWPins_internal.h"
#include "platform/sys/ScopeExit.h"

namespace {

// Step D of every CanConnectTo: false when exactly one of the two is designing.
bool SameDesignMode(TOWBasicPin *a, TOWBasicPin *b) {
  return OWPinDesigning(a) == OWPinDesigning(b);
}

TOWUnloadedPin *MakePlaceholder(TOWBasicPin *missing, TOWPinType kind, TOWBasicPin *linking) {
  return CreateObject<TOWUnloadedPin>(linking->GetRoot(), kind, missing->GetFullIdentName(true),
                                      missing->GetFullName(true), linking->GetFullName(true));
}

} // namespace

// ---------------------------------------------------------------------------
// Entry list

TOWPinEntry *TOWSinkPinEntryList::Add() {
  auto *entry = new TOWPinEntry;
  TObjectList<TOWPinEntry>::Add(entry);
  return entry;
}

TOWPinEntry *TOWSinkPinEntryList::GetItemByPin(const TOWBasicPin *pin) const {
  for (TOWPinEntry *e : *this)
    if (e->Sink == pin)
      return e;
  return nullptr;
}

void TOWSinkPinEntryList::CopyFromList(const TOWSinkPinEntryList &other) {
  for (TOWPinEntry *e : other) {
    TOWPinEntry *copy = Add();
    copy->Sink = e->Sink;
    copy->DownStreamType = e->DownStreamType;
    copy->Handler = e->Handler;
    copy->ChangeCounter = e->ChangeCounter;
  }
}

// ---------------------------------------------------------------------------
// Type choice

TGUID TOWStreamPin::DownStreamFindConnectionID(TOWBasicPin *pin) {
  TOWReadSection own(this);
  if (!pin)
    return OWNULLID;
  TOWPinTypeRestricted list;
  DownStreamFillPossibleStreamTypes(&list, this);
  for (int i = list.GetLength() - 1; i >= 0; --i)
    if (pin->RequestInterfaceOnly(list.GetID(i)) == S_OK)
      return list.GetID(i);
  return OWNULLID;
}

TGUID TOWSinkPin::UpStreamFindConnectionID(TOWBasicPin *source, const TGUID &preferred) {
  TOWReadSection own(this);
  TOWSourcePin *s = OWAsSource(source);
  if (!s)
    return OWNULLID;
  TOWPinTypeRestricted list;
  s->UpStreamFillPossibleStreamTypes(&list, this);
  TGUID first = OWNULLID;
  for (int i = list.GetLength() - 1; i >= 0; --i) {
    const TGUID g = list.GetID(i);
    if (s->RequestInterfaceOnly(g) != S_OK)
      continue;
    if (g == preferred)
      return g;
    if (first == OWNULLID)
      first = g;
  }
  return first;
}

bool TOWSourcePin::CheckDownStreamInterfaces(TOWBasicPin *sink) {
  return DownStreamFindConnectionID(sink) != OWNULLID;
}

bool TOWSinkPin::HasToIgnoreUpstream() {
  TOWReadSection own(this);
  return IgnoreUpstream || types_.GetLength() == 0;
}

bool TOWSinkPin::CheckUpStreamInterfaces(TOWBasicPin *source) {
  TOWReadSection own(this);
  if (HasToIgnoreUpstream())
    return true;
  TOWSourcePin *s = OWAsSource(source);
  if (!s)
    return false;
  const TGUID g = s->DownStreamFindConnectionID(this);
  return UpStreamFindConnectionID(s, g) != OWNULLID;
}

HRESULT TOWSourcePin::RequestInterface(const TGUID &iid, void **out) {
  HRESULT hr = QueryInterface(iid, out);
  if (hr != S_OK)
    return hr;
  return UpStreamQueryPossybleInterface(iid);
}

HRESULT TOWSinkPin::RequestInterface(const TGUID &iid, void **out) {
  HRESULT hr = QueryInterface(iid, out);
  if (hr != S_OK)
    return hr;
  return DownStreamQueryPossybleInterface(iid);
}

// ---------------------------------------------------------------------------
// Checks

bool TOWSourcePin::IsCompatible(TOWBasicPin *pin) {
  TOWReadSection own(this);
  if (OWAsSink(pin))
    return static_cast<TOWSinkPin *>(pin)->IsCompatible(this);
  if (OWAsState(pin))
    return FindConnectionID(pin) != OWNULLID;
  return false;
}

bool TOWSinkPin::IsCompatible(TOWBasicPin *pin) {
  TOWGlobalReadSection global;
  if (!pin)
    return true;
  TOWReadSection own(this);
  if (TOWSourcePin *s = OWAsSource(pin))
    return s->CheckDownStreamInterfaces(this) && CheckUpStreamInterfaces(s);
  if (OWAsState(pin))
    return pin->FindConnectionID(this) != OWNULLID;
  return false;
}

bool TOWSourcePin::CanConnectTo(TOWBasicPin *pin) {
  TOWReadSection own(this);
  if (!pin || !SameDesignMode(this, pin))
    return false;
  bool r = TOWPin::CanConnectTo(pin);
  if (!r && pin != this && OWAsSink(pin))
    r = pin->CanConnectTo(this);
  return r;
}

bool TOWSinkPin::CanConnectTo(TOWBasicPin *pin) {
  TOWGlobalReadSection global;
  if (!pin || !SameDesignMode(this, pin))
    return false;
  TOWReadSection own(this);
  bool r = TOWPin::CanConnectTo(pin);
  if (!r && pin != this && IsCompatible(pin))
    r = !pin->DependsOn(this);
  return r;
}

bool TOWSinkPin::CanConnectAfter(TOWBasicPin *pin, TOWBasicPin *afterPin) {
  if (!pin)
    return true;
  return pin->CanConnectAfter(this, afterPin);
}

bool TOWSourcePin::CanConnectAfter(TOWBasicPin *pin, TOWBasicPin *afterPin) {
  bool r = TOWBasicPin::CanConnectAfter(pin, afterPin);
  if (r || pin == afterPin)
    return r;
  TOWReadSection own(this);
  TOWPinEntry *e = entries_.GetItemByPin(afterPin);
  if (!e)
    return r;
  if (!e->AfterPin)
    return true;
  return CanConnectAfter(pin, e->AfterPin);
}

// ---------------------------------------------------------------------------
// Making and breaking

bool TOWSourcePin::ConnectAfter(TOWBasicPin *pin, TOWBasicPin *afterPin) {
  if (pin && !CanConnectAfter(pin, afterPin))
    return false;
  return IntConnectAfter(pin, afterPin);
}

bool TOWSourcePin::IntConnectAfter(TOWBasicPin *pin, TOWBasicPin *afterPin) {
  TOWGlobalWriteSection global;
  TOWWriteSection own(this);
  if (!pin)
    return false;
  if (OWAsSink(pin) || OWAsState(pin) || OWAsPlaceholder(pin))
    return pin->ConnectAfter(this, afterPin);
  return false;
}

void TOWSourcePin::IntConnect(TOWBasicPin *pin, TOWBasicPin *afterPin) {
  TOWWriteSection own(this);
  TOWPinEntry *e = entries_.Add();
  e->Sink = pin;
  e->AfterPin = afterPin;
  e->DownStreamType = DownStreamFindConnectionID(pin);
  e->Handler = GetSubmitFunctionID(e->DownStreamType);
  e->ChangeCounter = 0;
}

bool TOWSinkPin::ConnectAfter(TOWBasicPin *pin, TOWBasicPin *afterPin) {
  TOWGlobalWriteSection global;
  TOWWriteSection own(this);
  if (pin == source_)
    return true;
  if (!pin) {
    const bool keep = OwnerInDesigning() && RootInDestroying();
    TOWBasicPin *old = source_;
    if (old) {
      old->IntDisconnect(this, keep);
      OWRaisePinDisconnected(this, old);
      source_ = nullptr;
    }
    handler_ = nullptr;
    PopulateStreamLocks();
    OWRaisePinChanged(this);
    own.Release();
    global.Release();
    if (old)
      old->CheckRemove();
    return true;
  }
  if (!CanConnectTo(pin))
    return false;
  if (GetStateGroup())
    Disconnect();
  if (TOWBasicPin *old = source_) {
    const bool keep = OwnerInDesigning() && RootInDestroying();
    old->IntDisconnect(this, keep);
    OWRaisePinDisconnected(this, old);
    old->CheckRemove();
    source_ = nullptr;
    handler_ = nullptr;
  }
  bool result;
  if (TOWSourcePin *s = OWAsSource(pin)) {
    source_ = s;
    s->IntConnect(this, afterPin);
    result = true;
    TGUID g = s->DownStreamFindConnectionID(this);
    upstreamType_ = UpStreamFindConnectionID(s, g);
    handler_ = GetSubmitFunctionID(upstreamType_);
    s->NewConnection(this);
    g = s->DownStreamFindConnectionID(this);
    ChainReconnect(g, upstreamType_);
  } else {
    result = pin->Connect(this);
  }
  PopulateStreamLocks();
  OWRaisePinConnected(this, pin);
  OWRaisePinChanged(this);
  return result;
}

void TOWSinkPin::Disconnect() {
  TOWGlobalWriteSection global;
  TOWWriteSection source(RealSource());
  TOWWriteSection own(this);
  LeaveStateGroup();
  Connect(nullptr);
}

void TOWSourcePin::IntDisconnect(TOWBasicPin *pin, bool keep) {
  if (relinking_)
    return;
  TOWWriteSection own(this);
  {
    relinking_ = true;
    sys::TScopeExit done([this] { relinking_ = false; });
    if (keep && !RootInDestroying())
      Connect(MakePlaceholder(pin, ptSink, this));
  }
  if (TOWPinEntry *e = entries_.GetItemByPin(pin)) {
    entries_.Remove(e);
    own.Release();
    OWRaisePinChanged(this);
    pin->CheckRemove();
  }
}

void TOWSinkPin::IntDisconnect(TOWBasicPin *pin, bool keep) {
  TOWWriteSection own(this);
  if (!keep || !source_ || RootInDestroying()) {
    source_ = nullptr;
    return;
  }
  TOWUnloadedPin *placeholder = MakePlaceholder(pin, ptSource, this);
  TOWBasicPin *old = source_;
  old->CheckRemove();
  source_ = nullptr;
  placeholder->Connect(this);
  OWRaisePinChanged(this);
}

std::vector<TOWSinkPin *> TOWSourcePin::LinkedSinkPins() {
  TOWReadSection own(this);
  std::vector<TOWSinkPin *> sinks;
  for (TOWPinEntry *e : entries_)
    if (TOWSinkPin *s = OWAsSink(e->Sink))
      sinks.push_back(s);
  return sinks;
}

void TOWSourcePin::Disconnect() {
  TOWGlobalWriteSection global;
  TOWWriteSection own(this);
  LeaveStateGroup();
  std::vector<TOWBasicPin *> sinks;
  for (TOWPinEntry *e : entries_)
    sinks.push_back(e->Sink);
  for (auto it = sinks.rbegin(); it != sinks.rend(); ++it) {
    TOWBasicPin *s = *it;
    // A placeholder freed by an earlier step has left the entries.
    if (!entries_.GetItemByPin(s))
      continue;
    const bool keep = OwnerInDesigning() && RootInDestroying();
    OWRaisePinDisconnected(this, s);
    s->IntDisconnect(this, keep);
    if (TOWSinkPin *sink = OWAsSink(s))
      sink->PopulateStreamLocks();
    s->CheckRemove();
  }
  entries_.Clear();
}

void TOWSourcePin::PinDeletedNotify(TOWBasicPin *pin) {
  TOWWriteSection own(this);
  if (TOWSinkPin *s = OWAsSink(pin)) {
    while (functionDependencies_.Contains(s))
      functionDependencies_.Remove(s);
    while (dataTypeDependencies_.Contains(s))
      dataTypeDependencies_.Remove(s);
  }
  for (int i = entries_.Count() - 1; i >= 0; --i)
    if (i < entries_.Count() && entries_.GetItem(i)->Sink == pin)
      IntDisconnect(pin, false);
  for (TOWPinEntry *e : entries_)
    if (e->AfterPin == pin)
      e->AfterPin = nullptr;
}

void TOWSinkPin::PinDeletedNotify(TOWBasicPin *pin) {
  TOWWriteSection own(this);
  if (TOWSourcePin *s = OWAsSource(pin)) {
    std::erase(functionBack_, s);
    std::erase(dataTypeBack_, s);
  }
  if (pin == source_)
    Disconnect();
}

void TOWSourcePin::PinReplacedNotify(TOWBasicPin *old, TOWBasicPin *replacement) {
  TOWWriteSection own(this);
  for (TOWPinEntry *e : entries_)
    if (e->AfterPin == old)
      e->AfterPin = replacement;
}

// ---------------------------------------------------------------------------
// Construction and destruction

TOWSourcePin::TOWSourcePin(TComponent *owner) : TOWStreamPin(owner) {}

TOWSourcePin::~TOWSourcePin() {
  TOWWriteSection own(this);
  Disconnect();
}

TOWSinkPin::TOWSinkPin(TComponent *owner) : TOWStreamPin(owner) {}

TOWSinkPin::~TOWSinkPin() {
  TOWGlobalWriteSection global;
  TOWWriteSection own(this);
  Connect(nullptr);
  own.Release();
  streamLocks_.Reset();
}

TOWSourcePin *TOWSinkPin::RealSource() const { return dynamic_cast<TOWSourcePin *>(source_); }

// ---------------------------------------------------------------------------
// Queries

int TOWSourcePin::GetSinkCount() {
  TOWReadSection own(this);
  return entries_.Count();
}

TOWBasicPin *TOWSourcePin::GetSink(int index) {
  TOWReadSection own(this);
  return entries_.GetItem(index)->Sink;
}

TOWSubmit TOWSourcePin::GetSubmit(int index) {
  TOWReadSection own(this);
  return entries_.GetItem(index)->Handler;
}

TGUID TOWSourcePin::GetSubmitID(int index) {
  TOWReadSection own(this);
  return entries_.GetItem(index)->DownStreamType;
}

TOWBasicPin *TOWSourcePin::GetConnectedAfterPin(TOWBasicPin *pin) {
  TOWReadSection own(this);
  TOWPinEntry *e = entries_.GetItemByPin(pin);
  return e ? e->AfterPin : nullptr;
}

TOWBasicPin *TOWSinkPin::GetConnectedAfterPin(TOWBasicPin *pin) {
  if (pin && pin == source_ && RealSource())
    return RealSource()->GetConnectedAfterPin(this);
  return TOWBasicPin::GetConnectedAfterPin(pin);
}

bool TOWSourcePin::IsConnected() {
  TOWReadSection own(this);
  return entries_.Count() > 0 || GetStateGroup();
}

bool TOWSinkPin::IsConnected() {
  TOWReadSection own(this);
  return source_ || GetStateGroup();
}

bool TOWSourcePin::IsConnectedTo(TOWBasicPin *pin) {
  TOWReadSection own(this);
  return entries_.GetItemByPin(pin) || TOWBasicPin::IsConnectedTo(pin);
}

bool TOWSinkPin::IsConnectedTo(TOWBasicPin *pin) {
  TOWReadSection own(this);
  return (pin && pin == source_) || TOWBasicPin::IsConnectedTo(pin);
}

TGUID TOWSourcePin::GetConnectionID(TOWBasicPin *pin) {
  TOWReadSection own(this);
  if (TOWPinEntry *e = entries_.GetItemByPin(pin))
    return e->DownStreamType;
  return TOWPin::GetConnectionID(pin);
}

TGUID TOWSinkPin::GetConnectionID(TOWBasicPin *) {
  TOWReadSection own(this);
  return upstreamType_;
}

TGUID TOWSourcePin::GetPrimaryConnectionID() {
  {
    TOWReadSection own(this);
    if (entries_.Count() > 0)
      return entries_.GetItem(0)->DownStreamType;
  }
  return TOWPin::GetPrimaryConnectionID();
}

TGUID TOWSinkPin::GetPrimaryConnectionID() {
  {
    TOWReadSection own(this);
    if (upstreamType_ != OWNULLID)
      return upstreamType_;
  }
  return TOWPin::GetPrimaryConnectionID();
}

int TOWSinkPin::GetConnectedPinCount() {
  TOWReadSection own(this);
  return source_ ? 1 : 0;
}

TOWBasicPin *TOWSinkPin::GetConnectedPin(int) { return GetSourcePin(); }

TOWBasicPin *TOWSinkPin::GetSourcePin() {
  TOWReadSection own(this);
  return source_;
}

TGUID TOWSinkPin::GetUpStreamID() { return IsConnected() ? upstreamType_ : OWNULLID; }

namespace {
// The first member of pin's group other than pin, for groups of two or more.
TOWBasicPin *OtherGroupMember(TOWBasicPin *pin) {
  TOWStateDispatcher *group = pin->GetStateGroup();
  if (!group || group->GetPinCount() < 2)
    return nullptr;
  TOWBasicPin *first = group->GetPin(0);
  return first == pin ? group->GetPin(1) : first;
}
} // namespace

TGUID TOWSinkPin::GetDownStreamID() {
  TOWReadSection own(this);
  if (source_)
    return source_->GetConnectionID(this);
  if (TOWBasicPin *other = OtherGroupMember(this))
    return other->FindConnectionID(this);
  return OWNULLID;
}

std::string TOWSinkPin::GetUpStreamLinkName() {
  TOWReadSection own(this);
  if (source_)
    return GetLinkNameID(upstreamType_);
  if (TOWBasicPin *other = OtherGroupMember(this))
    return GetLinkNameID(other->FindConnectionID(this));
  return {};
}

std::string TOWSinkPin::GetDownStreamLinkName() {
  TOWReadSection own(this);
  if (source_)
    return GetLinkNameID(source_->GetConnectionID(this));
  if (TOWBasicPin *other = OtherGroupMember(this))
    return GetLinkNameID(other->FindConnectionID(this));
  return {};
}

bool TOWSourcePin::IsConnectedToPinName(const std::string &name) {
  TOWReadSection own(this);
  for (TOWPinEntry *e : entries_)
    if (e->Sink->GetFullIdentName(true) == name)
      return true;
  return false;
}

bool TOWSinkPin::IsConnectedToPinName(const std::string &name) {
  TOWReadSection own(this);
  return source_ && source_->GetFullIdentName(true) == name;
}

bool TOWSourcePin::IsLinkedTo(const std::string &name) {
  TOWReadSection own(this);
  for (TOWPinEntry *e : entries_)
    if (e->Sink->GetFullName(false) == name || e->Sink->GetFullName(true) == name)
      return true;
  return false;
}

void TOWSourcePin::DisconnectFromPinName(const std::string &name) {
  TOWBasicPin *target = nullptr;
  {
    TOWReadSection own(this);
    for (TOWPinEntry *e : entries_)
      if (e->Sink->GetFullIdentName(true) == name || e->Sink->GetFullIdentName(false) == name) {
        target = e->Sink;
        break;
      }
  }
  if (target)
    target->Disconnect();
}

void TOWSinkPin::Assign(TPersistent *source) {
  if (!source) {
    Connect(nullptr);
    return;
  }
  if (auto *other = dynamic_cast<TOWSinkPin *>(source)) {
    Connect(other->GetSourcePin());
    return;
  }
  TOWStreamPin::Assign(source);
}
