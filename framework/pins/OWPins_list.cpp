// Pin lists, their "Pins" property, and the pin look-up functions.
#include "framework/pins/OWPins.h"

#include <algorithm>

#include "framework/pins/OWPins_internal.h"

namespace {

void RaiseListChanged(TOWPinList *list) {
  OWRaisePinNotifiers([&](IOWPinNotifier *n) { n->PinListChanged(list); });
}

std::string DefaultItemName(int index) { return "Pin [" + std::to_string(index) + "]"; }

// A reference: an identifier, or a nested list (identifier, display string).
void ReadReferenceValue(TReader *reader, std::string &ident, std::string &display) {
  if (reader->NextValue() == vaList) {
    reader->ReadListBegin();
    ident = reader->ReadIdent();
    display = ident;
    if (reader->NextValue() == vaString)
      display = reader->ReadString();
    while (!reader->EndOfList())
      reader->SkipValue();
    reader->ReadListEnd();
  } else {
    ident = reader->ReadIdent();
    display = ident;
  }
}

} // namespace

// ---------------------------------------------------------------------------
// TOWPinList

TOWPinList::TOWPinList(TComponent *owner, bool ownsPins) : owner_(owner), ownsPins_(ownsPins) {}

TOWPinList::~TOWPinList() {
  TOWGlobalWriteSection global;
  TOWWriteSection own(this);
  Clear();
}

void TOWPinList::AfterConstruction() {
  TOWObject::AfterConstruction();
  OWRaisePinNotifiers([&](IOWPinNotifier *n) { n->PinListCreated(this); });
}

void TOWPinList::BeforeDestruction() {
  OWRaisePinNotifiers([&](IOWPinNotifier *n) { n->PinListDestroying(this); });
  TOWObject::BeforeDestruction();
}

void TOWPinList::DefineProperties(TFiler *filer) {
  TOWObject::DefineProperties(filer);
  filer->DefineProperty(
      "Pins", [this](TReader *r) { ReadConnectionsData(r); },
      [this](TWriter *w) { WriteConnectionsData(w); }, DoWrite());
  filer->DefineProperty(
      "PinsOwner", [](TReader *r) { r->ReadBoolean(); }, nullptr, false);
}

int TOWPinList::GetCount() {
  if (placeholders_ > 0)
    CleanUnloaded();
  TOWReadSection own(this);
  return entries_.Count() - placeholders_;
}

TOWBasicPin *TOWPinList::GetPin(int index) {
  if (placeholders_ > 0)
    CleanUnloaded();
  TOWReadSection own(this);
  return static_cast<TOWBasicPin *>(entries_.Objects(index));
}

void TOWPinList::SetPin(int index, TOWBasicPin *pin) {
  TOWGlobalWriteSection global;
  TOWWriteSection own(this);
  entries_.SetObject(index, pin);
  OWRaisePinChanged(pin);
}

std::string TOWPinList::GetName(int index) {
  TOWReadSection own(this);
  const std::string &s = entries_.Strings(index);
  return s.empty() ? DefaultItemName(index) : s;
}

std::string TOWPinList::GetStoredName(int index) {
  TOWReadSection own(this);
  return entries_.Strings(index);
}

void TOWPinList::SetName(int index, const std::string &name) {
  TOWGlobalWriteSection global;
  TOWWriteSection own(this);
  if (index < 0 || index >= entries_.Count())
    return;
  const std::string stored = name == DefaultItemName(index) ? std::string() : name;
  if (stored == entries_.Strings(index))
    return;
  entries_.SetString(index, stored);
  OWRaisePinChanged(static_cast<TOWBasicPin *>(entries_.Objects(index)));
}

void TOWPinList::SetPinName(TOWPin *pin, const std::string &name) {
  const int i = IndexOf(pin);
  if (i >= 0)
    SetName(i, name);
}

std::string TOWPinList::GetListName() {
  return owner_ ? OWPropertyNameOf(owner_, this, "TOWPinList") : std::string();
}

TComponent *TOWPinList::GetRoot() { return owner_ ? OWGetMainOwnerComponent(owner_) : nullptr; }

int TOWPinList::IndexOf(TOWBasicPin *pin) {
  TOWReadSection own(this);
  return entries_.IndexOfObject(pin);
}

void TOWPinList::Add(TOWBasicPin *pin) {
  AddNamed(pin, std::string());
  OWRaisePinChanged(pin);
}

void TOWPinList::AddNamed(TOWBasicPin *pin, const std::string &name) {
  TOWGlobalWriteSection global;
  TOWWriteSection own(this);
  // A list that owns its pins frees each entry's pin once; a second entry for
  // the same pin would free it again.
  if (ownsPins_ && entries_.IndexOfObject(pin) >= 0)
    throw EOWException("The pin is already in the list.");
  if (auto *placeholder = OWAsPlaceholder(pin)) {
    placeholder->HeldByList = true;
    ++placeholders_;
    entries_.AddObject(name, pin);
  } else {
    int slot = -1;
    if (placeholders_ > 0)
      for (int i = 0; i < entries_.Count() && slot < 0; ++i)
        if (OWAsPlaceholder(static_cast<TOWBasicPin *>(entries_.Objects(i))))
          slot = i;
    if (slot >= 0) {
      auto *placeholder =
          static_cast<TOWUnloadedPin *>(static_cast<TOWBasicPin *>(entries_.Objects(slot)));
      entries_.SetString(slot, name);
      entries_.SetObject(slot, pin);
      --placeholders_;
      placeholder->HeldByList = false;
      TOWUnloadedPin::TakeOver(placeholder, pin);
    } else {
      entries_.AddObject(name, pin);
    }
  }
  if (pin->GetOwnerComponent() && pin->GetOwnerComponent() == owner_) {
    pin->SetPinList(this);
    OWRaisePinChanged(pin);
  }
  const int count = entries_.Count();
  RaiseListChanged(this);
  OWRaisePinNotifiers([&](IOWPinNotifier *n) { n->PinListPinAdded(this, pin, count - 1); });
}

void TOWPinList::FreePin(TOWBasicPin *pin) {
  if (auto *placeholder = OWAsPlaceholder(pin)) {
    // Placeholders belong to the pending list: it frees them.
    placeholder->HeldByList = false;
    placeholder->CheckRemove();
    return;
  }
  FreeObject(pin);
}

void TOWPinList::Delete(int index) {
  TOWGlobalWriteSection global;
  TOWWriteSection own(this);
  auto *pin = static_cast<TOWBasicPin *>(entries_.Objects(index));
  if (!ownsPins_ && pin->GetPinList() == this) {
    pin->SetPinList(nullptr);
    OWRaisePinChanged(pin);
  }
  OWRaisePinNotifiers([&](IOWPinNotifier *n) { n->PinListPinRemoved(this, pin, index); });
  entries_.Delete(index);
  if (OWAsPlaceholder(pin) && placeholders_ > 0)
    --placeholders_;
  RaiseListChanged(this);
  if (ownsPins_)
    FreePin(pin);
  else if (auto *placeholder = OWAsPlaceholder(pin)) {
    placeholder->HeldByList = false;
    placeholder->CheckRemove();
  }
}

void TOWPinList::Remove(TOWBasicPin *pin) {
  TOWGlobalWriteSection global;
  TOWWriteSection own(this);
  for (int i = 0; i < entries_.Count();)
    if (entries_.Objects(i) == pin)
      Delete(i);
    else
      ++i;
}

void TOWPinList::Clear() {
  TOWGlobalWriteSection global;
  TOWWriteSection own(this);
  const int real = entries_.Count() - placeholders_;
  for (int i = 0; i < real; ++i) {
    auto *pin = static_cast<TOWBasicPin *>(entries_.Objects(i));
    if (ownsPins_) {
      FreePin(pin);
    } else if (pin->GetPinList() == this) {
      pin->SetPinList(nullptr);
      OWRaisePinChanged(pin);
    }
  }
  std::vector<TOWUnloadedPin *> left;
  for (int i = std::max(real, 0); i < entries_.Count(); ++i)
    if (auto *p = OWAsPlaceholder(static_cast<TOWBasicPin *>(entries_.Objects(i))))
      left.push_back(p);
  entries_.Clear();
  placeholders_ = 0;
  for (TOWUnloadedPin *p : left) {
    p->HeldByList = false;
    p->CheckRemove();
  }
  RaiseListChanged(this);
}

void TOWPinList::Swap(int i, int j) {
  TOWGlobalWriteSection global;
  TOWWriteSection own(this);
  auto *a = static_cast<TOWBasicPin *>(entries_.Objects(i));
  auto *b = static_cast<TOWBasicPin *>(entries_.Objects(j));
  OWRaisePinNotifiers([&](IOWPinNotifier *n) { n->PinListPinsSwapped(this, a, b, i, j); });
  entries_.Exchange(i, j);
  RaiseListChanged(this);
}

void TOWPinList::CleanUnloaded() {
  if (!owner_ || owner_->InState(csLoading) || owner_->InState(csDesigning))
    return;
  TOWGlobalWriteSection global;
  TOWWriteSection own(this);
  for (int i = entries_.Count() - 1; i >= 0 && placeholders_ > 0; --i)
    if (OWAsPlaceholder(static_cast<TOWBasicPin *>(entries_.Objects(i))))
      Delete(i);
}

void TOWPinList::TakeOverPlaceholderOf(TOWBasicPin *pin) {
  TComponent *root = GetRoot();
  const std::string rootName = root ? root->Name() : std::string();
  TOWUnloadedPin *found = nullptr;
  {
    TOWGlobalReadSection global;
    sys::TCriticalSectionLock lock(OWUnit().cs);
    const std::string ident = pin->GetFullIdentName(false);
    const std::string display = pin->GetFullName(false);
    for (TOWUnloadedPin *p : OWUnit().pending) {
      if (p == pin || (root && p->GetRootName() != rootName))
        continue;
      if (p->GetFullIdentName(false) == ident || p->GetFullName(false) == display) {
        found = p;
        break;
      }
    }
  }
  if (found)
    TOWUnloadedPin::TakeOver(found, pin);
}

void TOWPinList::ConnectPin(int index, TOWPinType ownKind, TOWPinType peerKind,
                            const std::string &peerIdent, const std::string &peerDisplay) {
  TComponent *root = GetRoot();
  const std::string rootName = root ? root->Name() : std::string();
  if (index < entries_.Count()) {
    TakeOverPlaceholderOf(static_cast<TOWBasicPin *>(entries_.Objects(index)));
  } else {
    while (entries_.Count() <= index) {
      const std::string n = rootName + "." + (owner_ ? owner_->Name() : std::string()) + "." +
                            GetListName() + "._Pin" + std::to_string(entries_.Count());
      Add(TOWUnloadedPin::FindOrCreate(root, ownKind, n, n, n));
    }
  }
  auto *pin = static_cast<TOWBasicPin *>(entries_.Objects(index));
  pin->Connect(
      TOWUnloadedPin::FindOrCreate(root, peerKind, peerIdent, peerDisplay, pin->GetFullName(true)));
}

void TOWPinList::ReadReference(TReader *reader, int index, TOWPinType ownKind,
                               TOWPinType peerKind) {
  std::string ident, display;
  ReadReferenceValue(reader, ident, display);
  ConnectPin(index, ownKind, peerKind, ident, display);
}

void TOWPinList::ReadSinks(TReader *reader, int index) {
  reader->ReadListBegin();
  while (!reader->EndOfList())
    ReadReference(reader, index, ptSource, ptSink);
  reader->ReadListEnd();
}

void TOWPinList::ReadConnectionsData(TReader *reader) {
  TOWGlobalWriteSection global;
  TOWWriteSection own(this);
  reader->ReadListBegin();
  for (int i = 0; !reader->EndOfList(); ++i) {
    if (reader->NextValue() == vaList) {
      ReadReference(reader, i, ptSink, ptSource);
      continue;
    }
    const std::string ident = reader->ReadIdent();
    if (ident == "nil")
      continue;
    if (ident == "Sinks") {
      ReadSinks(reader, i);
      continue;
    }
    if (ident != "State") {
      ConnectPin(i, ptSink, ptSource, ident, ident);
      continue;
    }
    reader->ReadListBegin();
    if (i < entries_.Count()) {
      static_cast<TOWBasicPin *>(entries_.Objects(i))->ReadStateConnectionsData(reader);
    } else {
      while (reader->NextValue() == vaString)
        ConnectPin(i, ptState, ptState, "State", reader->ReadString());
    }
    if (!reader->EndOfList()) {
      if (reader->NextValue() == vaIdent) {
        const std::string next = reader->ReadIdent();
        if (next == "Sinks")
          ReadSinks(reader, i);
        else
          ConnectPin(i, ptSink, ptSource, next, next);
      } else {
        ReadReference(reader, i, ptSink, ptSource);
      }
    }
    reader->ReadListEnd();
  }
  reader->ReadListEnd();
}

void TOWPinList::WritePinItem(TWriter *writer, TOWBasicPin *pin) {
  auto *source = OWAsSource(pin);
  auto *sink = OWAsSink(pin);
  const bool sourceWithSinks = source && source->GetSinkCount() > 0;
  const bool sinkWithSource = sink && sink->GetSourcePin();
  if (pin->GetStateGroup()) {
    writer->WriteIdent("State");
    writer->WriteListBegin();
    pin->WriteStateConnectionsData(writer);
    if (sourceWithSinks) {
      writer->WriteIdent("Sinks");
      source->WriteConnectionsData(writer);
    } else if (sinkWithSource) {
      sink->WriteConnectionsData(writer);
    }
    writer->WriteListEnd();
  } else if (sinkWithSource) {
    sink->WriteConnectionsData(writer);
  } else if (sourceWithSinks) {
    writer->WriteIdent("Sinks");
    source->WriteConnectionsData(writer);
  } else {
    writer->WriteIdent("nil");
  }
}

void TOWPinList::WriteConnectionsData(TWriter *writer) {
  TOWGlobalReadSection global;
  TOWReadSection own(this);
  writer->WriteListBegin();
  for (int i = 0; i < entries_.Count(); ++i)
    WritePinItem(writer, static_cast<TOWBasicPin *>(entries_.Objects(i)));
  writer->WriteListEnd();
}

bool TOWPinList::DoWrite() {
  TOWGlobalReadSection global;
  TOWReadSection own(this);
  for (int i = 0; i < entries_.Count(); ++i)
    if (static_cast<TOWBasicPin *>(entries_.Objects(i))->IsConnected())
      return true;
  return false;
}

// ---------------------------------------------------------------------------
// TOWPinListOwner

TOWPinListOwner::TOWPinListOwner(TComponent *owner, TCreateMethod create, TDestroyMethod destroy)
    : TOWPinList(owner, true), create_(std::move(create)), destroy_(std::move(destroy)) {}

TOWPinListOwner::TOWPinListOwner(TComponent *owner, int minimum, int maximum, TCreateMethod create,
                                 TDestroyMethod destroy)
    : TOWPinList(owner, true), create_(std::move(create)), destroy_(std::move(destroy)),
      minimum_(std::max(minimum, 0)), maximum_(maximum) {
  SetCount(minimum_);
}

void TOWPinListOwner::AfterConstruction() { TOWPinList::AfterConstruction(); }

void TOWPinListOwner::BeforeDestruction() {
  minimum_ = 0;
  SetCount(0);
  TOWPinList::BeforeDestruction();
}

void TOWPinListOwner::SetCount(int n) {
  TOWGlobalWriteSection global;
  TOWWriteSection own(this);
  n = std::min(std::max(n, minimum_), maximum_);
  while (GetCount() > n) {
    const int last = GetCount() - 1;
    TOWBasicPin *pin = GetPin(last);
    if (destroy_)
      destroy_(this, pin);
    Delete(last);
  }
  if (create_)
    while (GetCount() < n)
      Add(create_(this));
}

void TOWPinListOwner::ReadConnectionsData(TReader *reader) {
  TOWGlobalWriteSection global;
  TOWWriteSection own(this);
  reader->ReadListBegin();
  for (int index = 0; !reader->EndOfList();) {
    if (!create_) {
      reader->SkipValue();
      continue;
    }
    TOWBasicPin *pin;
    if (index < GetCount()) {
      pin = GetPin(index);
    } else {
      pin = create_(this);
      Add(pin);
    }
    ++index;
    // A source loaded earlier may wait for this pin through a placeholder.
    TakeOverPlaceholderOf(pin);
    TComponent *root = GetRoot();
    const bool isSource = OWAsSource(pin) != nullptr;
    auto link = [&](const std::string &ident, const std::string &display) {
      pin->Connect(TOWUnloadedPin::FindOrCreate(root, isSource ? ptSink : ptSource, ident, display,
                                                pin->GetFullName(true)));
    };
    std::string ident, display;
    if (reader->NextValue() == vaList) {
      ReadReferenceValue(reader, ident, display);
      link(ident, display);
      continue;
    }
    ident = reader->ReadIdent();
    if (ident == "nil")
      continue;
    if (ident == "State") {
      reader->ReadListBegin();
      pin->ReadStateConnectionsData(reader);
      while (!reader->EndOfList())
        reader->SkipValue();
      reader->ReadListEnd();
    } else if (isSource && ident == "Sinks") {
      reader->ReadListBegin();
      while (!reader->EndOfList()) {
        ReadReferenceValue(reader, ident, display);
        link(ident, display);
      }
      reader->ReadListEnd();
    } else {
      link(ident, ident);
    }
  }
  reader->ReadListEnd();
}

// ---------------------------------------------------------------------------
// Look-up functions

namespace {

bool WalkProperties(TObject *obj, const std::string &className, TStringList *list, bool saveValue,
                    const std::string &prefix, int depth, std::vector<TObject *> &visited) {
  if (depth > 20)
    return false;
  if (auto *c = dynamic_cast<TComponent *>(obj); c && c->InState(csDestroying))
    return true;
  bool result = true;
  try {
    for (const TPropInfo *p : obj->ClassInfo().ObjectProperties()) {
      TObject *value = p->GetObject ? p->GetObject(obj) : nullptr;
      if (!value)
        continue;
      if (value->InheritsFrom(className)) {
        list->AddObject(prefix + p->Name, value);
      } else if (auto *pins = dynamic_cast<TOWPinList *>(value)) {
        for (int i = 0; i < pins->GetCount(); ++i) {
          TOWBasicPin *pin = pins->GetPin(i);
          if (pin && pin->InheritsFrom(className))
            list->AddObject(prefix + p->Name +
                                (saveValue ? "._Pin" + std::to_string(i) : "." + pins->GetName(i)),
                            pin);
        }
      } else if (dynamic_cast<TPersistent *>(value) && !dynamic_cast<TComponent *>(value) &&
                 std::find(visited.begin(), visited.end(), value) == visited.end()) {
        visited.push_back(value);
        if (!WalkProperties(value, className, list, saveValue, prefix + p->Name + ".", depth + 1,
                            visited))
          result = false;
      }
    }
  } catch (...) {
    return false;
  }
  return result;
}

} // namespace

bool OWGetClassPropertiesOfTypeName(TObject *obj, const std::string &className, TStringList *list,
                                    bool saveValue) {
  std::vector<TObject *> visited;
  return WalkProperties(obj, className, list, saveValue, std::string(), 0, visited);
}

bool OWGetPinsValueListSingleRoot(TStringList *list, TComponent *root, TOWPin *pin,
                                  const std::string &separator, const std::string &prefix,
                                  TOWPinValueFilters options) {
  if (!root)
    return false;
  bool result = true;
  for (int i = 0; i < root->ComponentCount(); ++i) {
    TComponent *c = root->Components(i);
    TStringList scratch;
    if (!OWGetClassPropertiesOfTypeName(c, "TOWPin", &scratch, options.Contains(pvoSaveValue)))
      result = false;
    for (int k = 0; k < scratch.Count(); ++k) {
      auto *p = dynamic_cast<TOWBasicPin *>(scratch.Objects(k));
      if (!p || p->GetOwnerComponent() != c)
        continue;
      bool qualifies;
      if (options.Contains(pvoFullList))
        qualifies = pin->IsCompatible(p) &&
                    !(options.Contains(pvoExcludeDirectDependency) && pin->DirectDependsOn(p));
      else
        qualifies = pin->CanConnectTo(p);
      if (!qualifies)
        continue;
      const std::string name = c->Name() + separator + scratch.Strings(k);
      list->AddObject(prefix.empty() ? name : prefix + separator + name, p);
    }
    if (c->ComponentCount() > 0 &&
        !OWGetPinsValueListSingleRoot(list, c, pin, separator, prefix, options))
      result = false;
  }
  return result;
}

bool OWGetPinsValueListSingle(TStringList *list, TComponent *component, TOWPin *pin,
                              const std::string &separator, const std::string &prefix,
                              TOWPinValueFilters options) {
  return OWGetPinsValueListSingleRoot(list, OWGetMainOwnerComponent(component), pin, separator,
                                      prefix, options);
}

bool OWGetPinsValueList(TStringList *list, TOWPin *pin, const std::string &separator,
                        TOWPinValueFilters options) {
  TComponent *owner = pin ? pin->GetOwnerComponent() : nullptr;
  return OWGetPinsValueListSingleRoot(list, OWGetMainOwnerComponent(owner), pin, separator,
                                      std::string(), options);
}

bool OWListLinkCandidates(TStringList *list, TOWPin *pin, TComponent *component,
                          TOWPinValueFilters filters) {
  if (component && component != pin->GetRoot())
    return OWGetPinsValueListSingle(list, component, pin, ".", component->Name(), filters);
  return OWGetPinsValueList(list, pin, ".", filters);
}
