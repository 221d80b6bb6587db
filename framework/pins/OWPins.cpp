// Pins, pin names, stream types and the unit's global state.
#include "framework/pins/OWPins.h"

#include <algorithm>
#include <memory>
#include <mutex>

#include "framework/pins/OWPins_internal.h"
#include "framework/pins/OWTypeRegistry.h"
#include "platform/classlib/Dialogs.h"

// ---------------------------------------------------------------------------
// Unit state

namespace {

com::TComPtr<TOWGlobalLockObject> globalLockHolder;
std::unique_ptr<TOWPinsUnit> unit;
std::mutex initialization;

// A stream type's display name and default handler. Read by deliveries on any
// thread while a pin made elsewhere may register a type: see TOWTypeRegistry.
struct TOWStreamTypeEntry {
  std::string Name;
  TOWDefaultHandler Handler = nullptr;
};
TOWTypeRegistry<TOWStreamTypeEntry> registry;

} // namespace

void OWPinsInitialization() {
  std::lock_guard<std::mutex> lock(initialization);
  if (unit)
    return;
  globalLockHolder = TOWGlobalLockObject::Create();
  OWGlobalLock = globalLockHolder.Get();
  unit = std::make_unique<TOWPinsUnit>();
}

void OWPinsFinalization() {
  std::lock_guard<std::mutex> lock(initialization);
  if (unit) {
    OWClearPendingLinks();
    unit.reset();
    OWGlobalLock = nullptr;
    globalLockHolder.Reset();
  }
  registry.Clear();
}

TOWPinsUnit &OWUnit() {
  if (!unit)
    OWPinsInitialization();
  return *unit;
}

void OWRegisterStream(const TGUID &id, const std::string &name) {
  registry.Update(id, [&](TOWStreamTypeEntry &e) { e.Name = name; });
}

void OWRegisterDefaultHandler(const TGUID &id, TOWDefaultHandler handler) {
  registry.Update(id, [&](TOWStreamTypeEntry &e) { e.Handler = handler; });
}

std::string OWGetStreamTypeFromID(const TGUID &id) {
  if (id == OWNULLID)
    return "NIL ID";
  const TOWStreamTypeEntry *e = registry.Find(id);
  if (e && !e->Name.empty())
    return e->Name;
  return id.ToString();
}

TOWDefaultHandler OWGetDefaultHandler(const TGUID &id) {
  const TOWStreamTypeEntry *e = registry.Find(id);
  return e ? e->Handler : nullptr;
}

TComponent *OWGetMainOwnerComponent(TComponent *c) {
  while (c && c->Owner() && !c->Owner()->IsApplication() && !c->IsForm())
    c = c->Owner();
  return c;
}

std::vector<TOWStateDispatcher *> &Dispatchers(bool designing) {
  return designing ? OWUnit().designingGroups : OWUnit().runtimeGroups;
}

void OWAddPinNotifier(IOWPinNotifierPtr notifier) { OWUnit().notifiers.Add(std::move(notifier)); }

void OWRemovePinNotifier(IOWPinNotifier *notifier) {
  if (unit)
    unit->notifiers.Remove(notifier);
}

void OWRaisePinNotifiers(const std::function<void(IOWPinNotifier *)> &event) {
  if (!unit)
    return;
  const int count = unit->notifiers.Count();
  for (int i = 0; i < count; ++i) {
    try {
      IOWPinNotifierPtr n = unit->notifiers.Items(i);
      event(n.Get());
    } catch (...) {
      // An observer's failure neither stops the others nor reaches the pin.
    }
  }
}

void OWForEachPin(const std::function<void(TOWBasicPin *)> &fn) {
  // The global lock before the unit's section: the calls take pin sections.
  TOWGlobalReadSection global;
  TOWPinsUnit &u = OWUnit();
  sys::TCriticalSectionLock lock(u.cs);
  const std::vector<TOWBasicPin *> snapshot = u.allPins;
  for (TOWBasicPin *p : snapshot)
    if (std::find(u.allPins.begin(), u.allPins.end(), p) != u.allPins.end())
      fn(p);
}

int OWGetPinCount() {
  sys::TCriticalSectionLock lock(OWUnit().cs);
  return static_cast<int>(OWUnit().allPins.size());
}

namespace {
// Entry index of one of the unit's lists, under the unit's section.
template <class T> T *UnitListItem(const std::vector<T *> &list, int index) {
  sys::TCriticalSectionLock lock(OWUnit().cs);
  if (index < 0 || index >= static_cast<int>(list.size()))
    throw EListError::IndexOutOfBounds(index);
  return list[static_cast<size_t>(index)];
}
} // namespace

TOWBasicPin *OWGetPin(int index) { return UnitListItem(OWUnit().allPins, index); }

int OWGetPendingCount() {
  sys::TCriticalSectionLock lock(OWUnit().cs);
  return static_cast<int>(OWUnit().pending.size());
}

TOWUnloadedPin *OWGetPending(int index) { return UnitListItem(OWUnit().pending, index); }

void OWRemovePending(TOWUnloadedPin *placeholder) {
  // The global lock before the unit's section, as every pin destruction takes them.
  TOWGlobalWriteSection global;
  TOWPinsUnit &u = OWUnit();
  {
    sys::TCriticalSectionLock lock(u.cs);
    auto it = std::find(u.pending.begin(), u.pending.end(), placeholder);
    if (it == u.pending.end())
      return;
    u.pending.erase(it);
  }
  FreeObject(placeholder);
}

bool OWGetAllLinked() {
  sys::TCriticalSectionLock lock(OWUnit().cs);
  return OWUnit().pending.empty();
}

void OWClearPendingLinks() {
  TOWGlobalWriteSection global;
  TOWPinsUnit &u = OWUnit();
  for (;;) {
    TOWUnloadedPin *last;
    {
      sys::TCriticalSectionLock lock(u.cs);
      if (u.pending.empty())
        return;
      last = u.pending.back();
    }
    OWRemovePending(last);
  }
}

std::string OWAwaitsLinkingText() {
  TOWGlobalReadSection global;
  TOWPinsUnit &u = OWUnit();
  sys::TCriticalSectionLock lock(u.cs);
  std::string text = "AwaitsLinkingPins =" + std::to_string(u.pending.size()) + "\r";
  for (TOWUnloadedPin *p : u.pending)
    text += "  " + p->GetFullName(true) + "\r";
  return text;
}

void OWReportAwaitsLinking() { ShowMessage(OWAwaitsLinkingText()); }

std::string OWAfterFirstDot(const std::string &name) {
  const size_t p = name.find('.');
  return p == std::string::npos ? name : name.substr(p + 1);
}

std::string OWAfterLastDot(const std::string &name) {
  const size_t p = name.rfind('.');
  return p == std::string::npos ? name : name.substr(p + 1);
}

// ---------------------------------------------------------------------------
// TOWPinStreamType

int TOWPinStreamType::IndexOf(const TGUID &id) const {
  for (size_t i = 0; i < entries_.size(); ++i)
    if (entries_[i].ID == id)
      return static_cast<int>(i);
  return -1;
}

void TOWPinStreamType::AddType(const TGUID &id, TOWSubmit handler) {
  const int i = IndexOf(id);
  if (i >= 0)
    entries_[static_cast<size_t>(i)].Submit = std::move(handler);
  else
    entries_.push_back({id, std::move(handler)});
}

void TOWPinStreamType::RemoveType(const TGUID &id) {
  const int i = IndexOf(id);
  if (i >= 0)
    entries_.erase(entries_.begin() + i);
}

void TOWPinStreamType::SwapPosition(int i, int j) {
  std::swap(entries_.at(static_cast<size_t>(i)), entries_.at(static_cast<size_t>(j)));
}

// ---------------------------------------------------------------------------
// TOWBasicPin

// A pin joins the list of all pins once it is fully built and leaves it before
// its destructors run: other threads walk the list and call the pins' virtual
// operations, which must never meet a pin half made or half gone.
TOWBasicPin::TOWBasicPin() { OWUnit(); }

namespace {
void LeaveAllPins(TOWBasicPin *pin) {
  TOWPinsUnit &u = OWUnit();
  sys::TCriticalSectionLock lock(u.cs);
  auto it = std::find(u.allPins.begin(), u.allPins.end(), pin);
  if (it != u.allPins.end())
    u.allPins.erase(it);
}
} // namespace

TOWBasicPin::~TOWBasicPin() { LeaveAllPins(this); }

void TOWBasicPin::AfterConstruction() {
  TOWPinObject::AfterConstruction();
  {
    TOWPinsUnit &u = OWUnit();
    sys::TCriticalSectionLock lock(u.cs);
    if (std::find(u.allPins.begin(), u.allPins.end(), this) == u.allPins.end())
      u.allPins.push_back(this);
  }
  TOWWriteSection own(this);
  OWRaisePinNotifiers([&](IOWPinNotifier *n) { n->PinCreated(this); });
}

void TOWBasicPin::BeforeDestruction() {
  TOWGlobalWriteSection global;
  {
    TOWWriteSection own(this);
    Disconnect();
    const bool keep = OwnerInDesigning() && RootInDestroying();
    OWRaisePinNotifiers([&](IOWPinNotifier *n) { n->PinDestroying(this, keep); });
    TOWPinsUnit &u = OWUnit();
    sys::TCriticalSectionLock lock(u.cs);
    OWForEachPin([&](TOWBasicPin *p) { p->PinDeletedNotify(this); });
    for (bool designing : {true, false}) {
      const std::vector<TOWStateDispatcher *> groups = Dispatchers(designing);
      for (TOWStateDispatcher *g : groups)
        g->PinDeletedNotify(this);
    }
    LeaveAllPins(this);
  }
  TOWPinObject::BeforeDestruction();
}

HRESULT TOWBasicPin::QueryInterface(const TGUID &iid, void **out) {
  return com::QueryInterfaceFor<IOWStream>(this, iid, out);
}

HRESULT TOWBasicPin::RequestInterfaceOnly(const TGUID &iid) {
  void *out = nullptr;
  // Pins are not reference-counted, so the answer needs no release.
  return RequestInterface(iid, &out);
}

bool TOWBasicPin::GetIsRealPin() const { return dynamic_cast<const TOWPin *>(this) != nullptr; }

TOWBasicPin *TOWBasicPin::GetConnectedAfterPin(TOWBasicPin *pin) {
  return stateGroup_ ? stateGroup_->GetConnectedAfterPin(pin) : nullptr;
}

std::string TOWBasicPin::GetRootName() {
  const std::string s = GetFullIdentName(true);
  const size_t p = s.find('.');
  return p == std::string::npos ? std::string() : s.substr(0, p);
}

std::string TOWBasicPin::GetOwnerName() {
  const std::string s = GetFullIdentName(true);
  const size_t first = s.find('.');
  if (first == std::string::npos)
    return {};
  const size_t last = s.rfind('.');
  return last > first ? s.substr(first + 1, last - first - 1) : std::string();
}

TComponent *TOWBasicPin::GetRoot() const {
  TComponent *owner = GetOwnerComponent();
  return owner ? OWGetMainOwnerComponent(owner) : nullptr;
}

bool TOWBasicPin::IsConnected() {
  TOWReadSection own(this);
  return stateGroup_ != nullptr;
}

bool TOWBasicPin::IsConnectedTo(TOWBasicPin *pin) {
  TOWReadSection own(this);
  return stateGroup_ && stateGroup_->ContainsPin(pin);
}

bool TOWBasicPin::CanConnectAfter(TOWBasicPin *pin, TOWBasicPin *afterPin) {
  if (!afterPin)
    return CanConnectTo(pin);
  return stateGroup_ ? stateGroup_->CanConnectAfter(pin, afterPin) : false;
}

void TOWBasicPin::LeaveStateGroup() {
  TOWGlobalWriteSection global;
  TOWWriteSection own(this);
  TOWStateDispatcher *group = stateGroup_;
  stateGroup_ = nullptr;
  if (group)
    group->RemovePin(this);
  own.Release();
  OWRaisePinChanged(this);
}

void TOWBasicPin::Disconnect() { LeaveStateGroup(); }

// ---------------------------------------------------------------------------
// TOWPin

TOWPin::TOWPin(TComponent *owner) : owner_(owner) {
  BeginWrite();
  GetRootName();
  EndWrite();
}

TOWPin::~TOWPin() {
  TOWWriteSection own(this);
  types_.ClearTypes();
}

void TOWPin::DefineProperties(TFiler *filer) {
  TOWBasicPin::DefineProperties(filer);
  filer->DefineProperty(
      "State", [this](TReader *r) { ReadStateConnectionsData(r); },
      [this](TWriter *w) { WriteStateConnectionsData(w); }, DoStateWrite());
}

bool TOWPin::OwnerInDesigning() {
  TOWWriteSection own(this);
  return owner_ && owner_->InState(csDesigning);
}

bool TOWPin::OwnerInLoading() {
  TOWWriteSection own(this);
  return owner_ && owner_->InState(csLoading);
}

bool TOWPin::RootInDestroying() const {
  TOWWriteSection own(this);
  return owner_ && OWGetMainOwnerComponent(owner_)->InState(csDestroying);
}

std::string TOWPin::GetFullName(bool withRoot) {
  return OWValueToString(this, ".", withRoot, false);
}

std::string TOWPin::GetFullIdentName(bool withRoot) {
  return OWValueToString(this, ".", withRoot, true);
}

std::string TOWPin::GetName() {
  TOWWriteSection own(this);
  return OWAfterFirstDot(GetFullName(false));
}

std::string TOWPin::GetSaveName() {
  TOWWriteSection own(this);
  return OWAfterFirstDot(GetFullIdentName(false));
}

std::string TOWPin::GetRootName() {
  if (!owner_)
    return TOWBasicPin::GetRootName();
  if (owner_->Owner())
    cachedRootName_ = OWGetMainOwnerComponent(owner_)->Name();
  return cachedRootName_;
}

bool TOWPin::CanConnectTo(TOWBasicPin *pin) {
  TOWReadSection own(this);
  if (!pin || OwnerInDesigning() != OWPinDesigning(pin))
    return false;
  if (OWAsState(pin))
    return FindConnectionID(pin) != OWNULLID;
  if (OWAsPlaceholder(pin))
    return pin->CanConnectTo(this);
  return false;
}

TGUID TOWPin::FindConnectionID(TOWBasicPin *pin) {
  TOWReadSection own(this);
  if (!pin)
    return OWNULLID;
  for (int i = types_.GetLength() - 1; i >= 0; --i)
    if (pin->RequestInterfaceOnly(types_.GetID(i)) == S_OK)
      return types_.GetID(i);
  return OWNULLID;
}

TGUID TOWPin::GetPrimaryConnectionID() {
  if (!IsConnected())
    return OWNULLID;
  TOWStateDispatcher *group = GetStateGroup();
  if (group && group->GetPinCount() > 0)
    return GetConnectionID(group->GetPin(0));
  return OWNULLID;
}

bool TOWPin::IsCompatible(TOWBasicPin *pin) {
  TOWReadSection own(this);
  if (OWAsState(pin))
    return FindConnectionID(pin) != OWNULLID && pin->FindConnectionID(this) != OWNULLID;
  return false;
}

bool TOWPin::IsConnectedToState(TOWStateDispatcher *group) {
  TOWReadSection own(this);
  return GetStateGroup() == group;
}

void TOWPin::AddType(const TGUID &id) {
  TOWWriteSection own(this);
  types_.AddType(id, [this](IOWStream *h, const TGUID *t, IOWNotifyOperation *op,
                            TOWNotifyState s) { return DefaultNotifyDispatcher(h, t, op, s); });
}

void TOWPin::AddType(const TGUID &id, TOWSubmit handler) {
  TOWWriteSection own(this);
  types_.AddType(id, std::move(handler));
}

void TOWPin::RemoveType(const TGUID &id) {
  TOWWriteSection own(this);
  types_.RemoveType(id);
}

void TOWPin::ClearTypes() {
  TOWWriteSection own(this);
  types_.ClearTypes();
}

TOWSubmit TOWPin::GetSubmitFunctionID(const TGUID &id) {
  if (id == OWNULLID)
    return {};
  TOWReadSection own(this);
  const int i = types_.IndexOf(id);
  if (i < 0)
    return {};
  if (types_.GetSubmitFunc(i))
    return types_.GetSubmitFunc(i);
  return [this](IOWStream *h, const TGUID *t, IOWNotifyOperation *op, TOWNotifyState s) {
    return DefaultNotifyDispatcher(h, t, op, s);
  };
}

TOWNotifyResult TOWPin::DefaultNotifyDispatcher(IOWStream *handler, const TGUID *dataTypeId,
                                                IOWNotifyOperation *operation,
                                                TOWNotifyState state) {
  TOWReadSection own(this);
  TOWDefaultHandler h = dataTypeId ? OWGetDefaultHandler(*dataTypeId) : nullptr;
  return h ? h(this, handler, dataTypeId, operation, state) : TOWNotifyResult{};
}

std::string TOWPin::GetLinkNameID(const TGUID &id) {
  return id == OWNULLID ? std::string() : OWGetStreamTypeFromID(id);
}
