// State groups: pins joined by membership of a named group.
#include "framework/pins/OWPins.h"

#include <algorithm>

#include "framework/pins/OWPins_internal.h"

namespace {

void RaiseGroupChanged(TOWStateDispatcher *group) {
  OWRaisePinNotifiers([&](IOWPinNotifier *n) { n->DispatcherChanged(group); });
}

bool DifferentRoots(TOWBasicPin *a, TOWBasicPin *b) { return a->GetRoot() != b->GetRoot(); }

} // namespace

// ---------------------------------------------------------------------------
// TOWStateDispatcher

TOWStateDispatcher::TOWStateDispatcher(const std::string &name, bool designing)
    : name_(name), designing_(designing) {
  TOWGlobalWriteSection global;
  TOWWriteSection own(this);
  TOWPinsUnit &u = OWUnit();
  sys::TCriticalSectionLock lock(u.cs);
  Dispatchers(designing_).push_back(this);
}

TOWStateDispatcher::TOWStateDispatcher(TComponent *component)
    : TOWStateDispatcher(GetUniqueName(component), component && component->InState(csDesigning)) {}

void TOWStateDispatcher::BeforeDestruction() {
  OWRaisePinNotifiers([&](IOWPinNotifier *n) { n->DispatcherDestroying(this, false); });
  TOWPinObject::BeforeDestruction();
}

TOWStateDispatcher::~TOWStateDispatcher() {
  TOWGlobalWriteSection global;
  TOWWriteSection own(this);
  TOWPinsUnit &u = OWUnit();
  sys::TCriticalSectionLock lock(u.cs);
  std::erase(u.designingGroups, this);
  std::erase(u.runtimeGroups, this);
}

int TOWStateDispatcher::IndexOfPin(const TOWBasicPin *pin) const {
  for (int i = 0; i < members_.Count(); ++i)
    if (members_.GetItem(i)->Pin == pin)
      return i;
  return -1;
}

int TOWStateDispatcher::GetPinCount() {
  TOWReadSection own(this);
  return members_.Count();
}

TOWBasicPin *TOWStateDispatcher::GetPin(int index) {
  TOWReadSection own(this);
  return members_.GetItem(index)->Pin;
}

TOWBasicPin *TOWStateDispatcher::GetAfterPin(int index) {
  TOWReadSection own(this);
  return members_.GetItem(index)->AfterPin;
}

bool TOWStateDispatcher::ContainsPin(TOWBasicPin *pin) {
  TOWReadSection own(this);
  return IndexOfPin(pin) >= 0;
}

TOWBasicPin *TOWStateDispatcher::GetConnectedAfterPin(TOWBasicPin *pin) {
  TOWGlobalReadSection global;
  const int i = IndexOfPin(pin);
  return i >= 0 ? members_.GetItem(i)->AfterPin : nullptr;
}

void TOWStateDispatcher::AddPinAfter(TOWBasicPin *pin, TOWBasicPin *afterPin) {
  TOWGlobalWriteSection global;
  {
    TOWWriteSection own(this);
    if (IndexOfPin(pin) >= 0)
      return;
    auto *record = new TOWDispatcherPinStorage;
    record->Pin = pin;
    record->AfterPin = afterPin;
    members_.Add(record);
  }
  RaiseGroupChanged(this);
}

void TOWStateDispatcher::RemovePin(TOWBasicPin *pin) {
  TOWGlobalWriteSection global;
  bool empty;
  {
    TOWWriteSection own(this);
    const int i = IndexOfPin(pin);
    if (i >= 0) {
      TOWBasicPin *leavingAfter = members_.GetItem(i)->AfterPin;
      members_.Delete(i);
      // Members that were to follow the leaving pin follow what it followed.
      for (TOWDispatcherPinStorage *r : members_)
        if (r->AfterPin == pin)
          r->AfterPin = leavingAfter == r->Pin ? nullptr : leavingAfter;
    }
    if (members_.Count() == 1) {
      members_.GetItem(0)->Pin->SetStateGroup(nullptr);
      members_.Clear();
    }
    empty = members_.Count() == 0;
  }
  RaiseGroupChanged(this);
  if (empty)
    FreeObject(this);
}

void TOWStateDispatcher::DisconnectAll() {
  TOWGlobalWriteSection global;
  for (;;) {
    TOWBasicPin *first;
    int count;
    {
      TOWReadSection own(this);
      count = members_.Count();
      first = count > 0 ? members_.GetItem(0)->Pin : nullptr;
    }
    if (count == 0) {
      FreeObject(this);
      return;
    }
    first->SetStateGroup(nullptr);
    RemovePin(first);
    if (count <= 2)
      return; // the group has freed itself
  }
}

void TOWStateDispatcher::NewConnection(TOWBasicPin *newPin) {
  TOWGlobalWriteSection global;
  TOWWriteSection own(this);
  IOWNotifyOperationPtr op = TOWNotifyOperation::Make();
  const TOWNotifyState state{nsNewLink};
  std::vector<TOWBasicPin *> members;
  for (TOWDispatcherPinStorage *r : members_)
    members.push_back(r->Pin);
  for (TOWBasicPin *m : members)
    if (OWAsSource(m)) {
      m->NotifyDispatcher(op.Get(), state, m == newPin ? nullptr : newPin);
      return;
    }
  for (TOWBasicPin *m : members)
    if (!OWAsSink(m))
      m->NotifyDispatcher(op.Get(), state, m == newPin ? nullptr : newPin);
}

bool TOWStateDispatcher::CanConnectAfter(TOWBasicPin *pin, TOWBasicPin *afterPin) {
  if (!afterPin)
    return true;
  TOWReadSection own(this);
  const int i = IndexOfPin(afterPin);
  if (pin == afterPin || i < 0)
    return false;
  if (TOWBasicPin *a = members_.GetItem(i)->AfterPin)
    return CanConnectAfter(pin, a);
  return true;
}

void TOWStateDispatcher::SetNotifyAfterByName(TOWPin *pin, const std::string &name) {
  const int own = IndexOfPin(pin);
  if (own < 0)
    return;
  for (TOWDispatcherPinStorage *r : members_)
    if (r->Pin->GetFullName(false) == name || r->Pin->GetFullName(true) == name) {
      members_.GetItem(own)->AfterPin = r->Pin;
      return;
    }
}

std::string TOWStateDispatcher::GetAfterPinDisplayName(TOWPin *pin) {
  const int i = IndexOfPin(pin);
  if (i < 0 || !members_.GetItem(i)->AfterPin)
    return {};
  return members_.GetItem(i)->AfterPin->GetFullName(true);
}

void TOWStateDispatcher::PinDeletedNotify(TOWBasicPin *pin) {
  for (TOWDispatcherPinStorage *r : members_)
    if (r->AfterPin == pin)
      r->AfterPin = nullptr;
}

bool TOWStateDispatcher::IsCrosForm() {
  TOWReadSection own(this);
  if (members_.Count() < 2)
    return false;
  const std::string first = members_.GetItem(0)->Pin->GetRootName();
  for (TOWDispatcherPinStorage *r : members_)
    if (r->Pin->GetRootName() != first)
      return true;
  return false;
}

void TOWStateDispatcher::ResetFormsSave() {
  savedForms_.clear();
  savedCount_ = 0;
}

void TOWStateDispatcher::AddFormSaved(TComponent *component) {
  if (!IsFormSaved(component))
    savedForms_.push_back(component);
  ++savedCount_;
}

bool TOWStateDispatcher::IsFormSaved(TComponent *component) {
  return std::find(savedForms_.begin(), savedForms_.end(), component) != savedForms_.end();
}

bool TOWStateDispatcher::ConnectedToForm(TComponent *component) {
  if (!component)
    return false;
  TOWGlobalWriteSection global;
  TOWWriteSection own(this);
  for (TOWDispatcherPinStorage *r : members_)
    if (r->Pin->GetRootName() == component->Name())
      return true;
  return false;
}

TOWStateDispatcher *TOWStateDispatcher::GetByName(const std::string &name, bool designing) {
  TOWGlobalReadSection global;
  sys::TCriticalSectionLock lock(OWUnit().cs);
  for (TOWStateDispatcher *g : Dispatchers(designing))
    if (g->name_ == name)
      return g;
  return nullptr;
}

TOWStateDispatcher *TOWStateDispatcher::GetByNameCreate(TOWBasicPin *pin, const std::string &name,
                                                        bool designing) {
  // Writing: a group made here takes the global write lock, which must not be
  // a promotion while the unit's section is held.
  TOWGlobalWriteSection global;
  sys::TCriticalSectionLock lock(OWUnit().cs);
  if (TOWStateDispatcher *g = GetByName(name, designing))
    return g;
  return pin->CreateNamedDispatcher(name, designing);
}

bool TOWStateDispatcher::IsUniqueName(const std::string &name, bool designing) {
  return GetByName(name, designing) == nullptr;
}

std::string TOWStateDispatcher::GetUniqueName(TComponent *component) {
  TOWGlobalReadSection global;
  sys::TCriticalSectionLock lock(OWUnit().cs);
  const std::string base = (component ? component->Name() : std::string()) + "Link";
  const bool designing = component && component->InState(csDesigning);
  for (int n = 1;; ++n)
    if (IsUniqueName(base + std::to_string(n), designing))
      return base + std::to_string(n);
}

int OWGetDispatcherCount() {
  sys::TCriticalSectionLock lock(OWUnit().cs);
  return !Dispatchers(true).empty() ? static_cast<int>(Dispatchers(true).size())
                                    : static_cast<int>(Dispatchers(false).size());
}

TOWStateDispatcher *OWGetDispatcher(int index) {
  sys::TCriticalSectionLock lock(OWUnit().cs);
  auto &list = !Dispatchers(true).empty() ? Dispatchers(true) : Dispatchers(false);
  if (index < 0 || index >= static_cast<int>(list.size()))
    throw EListError::IndexOutOfBounds(index);
  return list[static_cast<size_t>(index)];
}

// ---------------------------------------------------------------------------
// Pin operations

int TOWBasicPin::GetDispatcherCount() { return stateGroup_ ? 1 : 0; }

TOWStateDispatcher *TOWBasicPin::GetDispatcher(int) { return stateGroup_; }

TOWStateDispatcher *TOWBasicPin::CreateDispatcher(TComponent *component) {
  return CreateObject<TOWStateDispatcher>(component);
}

TOWStateDispatcher *TOWBasicPin::CreateNamedDispatcher(const std::string &name, bool designing) {
  return CreateObject<TOWStateDispatcher>(name, designing);
}

bool TOWBasicPin::CanConnectToState(TOWStateDispatcher *group) {
  TOWReadSection own(this);
  if (!group)
    return false;
  if (group == stateGroup_ || group->GetPinCount() == 0)
    return true;
  for (int i = 0; i < group->GetPinCount(); ++i)
    if (!CanConnectTo(group->GetPin(i)))
      return false;
  return true;
}

bool TOWSinkPin::CanConnectToState(TOWStateDispatcher *group) {
  TOWGlobalReadSection global;
  TOWReadSection own(this);
  if (!group)
    return false;
  if (group == GetStateGroup() || group->GetPinCount() == 0)
    return true;
  for (int i = 0; i < group->GetPinCount(); ++i) {
    TOWBasicPin *m = group->GetPin(i);
    if (!OWAsSink(m) && !CanConnectTo(m))
      return false;
  }
  return true;
}

bool TOWBasicPin::ConnectToStateAfter(TOWStateDispatcher *group, TOWBasicPin *afterPin) {
  // The global lock before the pin's own, as everywhere.
  TOWGlobalWriteSection global;
  TOWWriteSection own(this);
  if (group == stateGroup_)
    return false;
  if (stateGroup_)
    Disconnect();
  if (group && CanConnectToState(group)) {
    group->AddPinAfter(this, afterPin);
    stateGroup_ = group;
    UpdateStateValue();
    OWRaisePinConnected(this, group);
    return true;
  }
  return false;
}

bool TOWSinkPin::ConnectToStateAfter(TOWStateDispatcher *group, TOWBasicPin *afterPin) {
  // Global write first, then the sink's own section: taking the own section
  // first would invert the framework's lock order against any thread that
  // holds the global lock and waits for this sink's group.
  TOWGlobalWriteSection global;
  TOWWriteSection own(this);
  const bool result = TOWStreamPin::ConnectToStateAfter(group, afterPin);
  if (result && source_) {
    TOWBasicPin *s = source_;
    s->IntDisconnect(this, false);
    OWRaisePinDisconnected(this, s);
    IntDisconnect(s, false);
    s->CheckRemove();
  }
  return result;
}

bool TOWBasicPin::ConnectByStateAfter(TOWBasicPin *pin, TOWBasicPin *) {
  if (!CanConnectTo(pin))
    return false;
  TOWGlobalWriteSection global;
  TOWWriteSection own(this);
  if (stateGroup_) {
    const bool result = pin->ConnectToState(stateGroup_);
    UpdateStateValue();
    OWRaisePinChanged(this);
    return result;
  }
  if (TOWStateDispatcher *other = pin->GetStateGroup()) {
    const bool result = ConnectToState(other);
    UpdateStateValue();
    OWRaisePinChanged(this);
    return result;
  }
  TOWStateDispatcher *group = CreateDispatcher(GetRoot());
  stateGroup_ = group;
  pin->SetStateGroup(group);
  group->AddPin(this);
  group->AddPin(pin);
  OWRaisePinNotifiers([&](IOWPinNotifier *n) { n->PinConnectedByState(group); });
  UpdateStateValue();
  OWRaisePinConnected(pin, group);
  OWRaisePinConnected(this, group);
  OWRaisePinChanged(pin);
  OWRaisePinChanged(this);
  return true;
}

void TOWBasicPin::LinkToStateByName(const std::string &name) {
  TOWGlobalWriteSection global;
  TOWWriteSection own(this);
  TOWStateDispatcher *group = TOWStateDispatcher::GetByNameCreate(this, name, OwnerInDesigning());
  if (stateGroup_ && stateGroup_ != group) {
    TOWStateDispatcher *old = stateGroup_;
    stateGroup_ = nullptr;
    old->RemovePin(this);
  }
  stateGroup_ = group;
  group->AddPin(this);
  UpdateStateValue();
}

void TOWStatePin::UpdateStateValue() {
  TOWWriteSection own(this);
  if (TOWStateDispatcher *g = GetStateGroup())
    g->NewConnection(this);
}

void TOWSinkPin::UpdateStateValue() {
  TOWWriteSection own(this);
  if (TOWStateDispatcher *g = GetStateGroup())
    g->NewConnection(this);
}

void TOWSourcePin::UpdateStateValue() {
  TOWReadSection own(this);
  if (GetStateGroup())
    NotifyDispatcher(TOWNotifyOperation::Make().Get(), {nsNewLink}, nullptr);
}

bool TOWBasicPin::DoStateWrite() {
  TOWReadSection own(this);
  return stateGroup_ != nullptr;
}

void TOWBasicPin::WriteStateConnectionsData(TWriter *writer) {
  TOWWriteSection own(this);
  TOWStateDispatcher *group = stateGroup_;
  if (!group)
    return;
  const std::string rootName = GetRootName();
  TComponent *form = GetRoot();
  if (group->GetSavedCount() == 0)
    group->ResetFormsSave();
  bool listWritten = false;
  if ((!form || !group->IsFormSaved(form)) && group->IsCrosForm()) {
    writer->WriteListBegin();
    writer->WriteString(group->GetName());
    for (int i = 0; i < group->GetPinCount(); ++i) {
      TOWBasicPin *m = group->GetPin(i);
      if (m->GetRootName() == rootName)
        continue;
      const std::string ident = m->GetFullIdentName(true);
      const std::string display = m->GetFullName(true);
      if (ident == display) {
        writer->WriteIdent(ident);
      } else {
        writer->WriteListBegin();
        writer->WriteIdent(ident);
        writer->WriteString(display);
        writer->WriteListEnd();
      }
    }
    writer->WriteListEnd();
    listWritten = true;
  }
  if (group->GetPinCount() == group->GetSavedCount())
    group->ResetFormsSave();
  else
    group->AddFormSaved(form);
  if (!listWritten)
    writer->WriteString(group->GetName());
}

void TOWBasicPin::ReadStateConnectionsData(TReader *reader) {
  TOWWriteSection own(this);
  CheckVirtualList();
  if (reader->NextValue() == vaList) {
    reader->ReadListBegin();
    LinkToStateByName(reader->ReadString());
    while (!reader->EndOfList())
      reader->SkipValue();
    reader->ReadListEnd();
  } else {
    LinkToStateByName(reader->ReadString());
  }
}

// ---------------------------------------------------------------------------
// TOWStatePin

bool TOWStatePin::CanConnectTo(TOWBasicPin *pin) {
  TOWGlobalReadSection global;
  TOWReadSection own(this);
  if (!pin || OwnerInDesigning() != OWPinDesigning(pin))
    return false;
  if (OWAsSource(pin))
    return pin->FindConnectionID(this) != OWNULLID;
  return FindConnectionID(pin) != OWNULLID;
}

bool TOWStatePin::IsCompatible(TOWBasicPin *pin) {
  TOWGlobalReadSection global;
  TOWReadSection own(this);
  if (!pin)
    return true;
  if (OWAsState(pin))
    return FindConnectionID(pin) != OWNULLID && pin->FindConnectionID(this) != OWNULLID;
  if (OWAsSink(pin))
    return FindConnectionID(pin) != OWNULLID;
  if (OWAsSource(pin))
    return pin->FindConnectionID(this) != OWNULLID;
  return false;
}

TGUID TOWStatePin::GetConnectionID(TOWBasicPin *pin) {
  TOWGlobalReadSection global;
  TOWReadSection own(this);
  TOWStateDispatcher *group = GetStateGroup();
  return group && group->ContainsPin(pin) ? GetStateSubmitID(pin) : OWNULLID;
}

int TOWStatePin::GetPinCount() {
  TOWStateDispatcher *group = GetStateGroup();
  return group ? group->GetPinCount() : 0;
}

TOWBasicPin *TOWStatePin::GetPin(int index) {
  TOWStateDispatcher *group = GetStateGroup();
  return group ? group->GetPin(index) : nullptr;
}

bool TOWStatePin::IsLinkedTo(const std::string &name) {
  TOWGlobalReadSection global;
  TOWReadSection own(this);
  for (int i = 0; i < GetPinCount(); ++i)
    if (GetPin(i)->GetFullName(true) == name)
      return true;
  return false;
}

std::string TOWStatePin::GetLinkStr(TOWBasicPin *pin) {
  TOWGlobalReadSection global;
  TOWReadSection own(this);
  return pin->GetFullName(DifferentRoots(this, pin));
}

bool TOWStatePin::TryLinkTo(TComponent *root, const std::string &name) {
  if (name.empty()) {
    Disconnect();
    return true;
  }
  TOWGlobalWriteSection global;
  TOWWriteSection own(this);
  TStringList list;
  const TOWPinValueFilters filters{pvoFullList};
  if (!OWListLinkCandidates(&list, this, root, filters))
    return true;
  for (int i = 0; i < list.Count(); ++i)
    if (list.Strings(i) == name || GetRootName() + "." + list.Strings(i) == name) {
      Connect(dynamic_cast<TOWBasicPin *>(list.Objects(i)));
      return true;
    }
  return false;
}
