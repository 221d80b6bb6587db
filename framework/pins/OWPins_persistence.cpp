// Link persistence ("SinkPins", "SourcePin"), placeholder pins and linking by
// name.
#include "framework/pins/OWPins.h"

#include <algorithm>

#include "framework/pins/OWPins_internal.h"

namespace {

// Algorithm of the loaders: a pin of the list named ident (with root R).
TOWBasicPin *FindByIdent(const std::vector<TOWBasicPin *> &pins, const std::string &name,
                         TComponent *root) {
  const std::string shortName = OWAfterFirstDot(name);
  for (TOWBasicPin *x : pins) {
    TComponent *xRoot = x->GetRoot();
    const std::string ident = x->GetFullIdentName(true);
    if (xRoot && root && xRoot != root) {
      if (root->Name() != x->GetRootName() && ident == name)
        return x;
      continue;
    }
    if (root && root->Name() != x->GetRootName()) {
      if (ident == name || ident == shortName)
        return x;
    } else if (x->GetFullIdentName(false) == name || ident == name || ident == shortName) {
      return x;
    }
  }
  return nullptr;
}

TOWBasicPin *FindByDisplay(const std::vector<TOWBasicPin *> &pins, const std::string &name,
                           TComponent *root) {
  for (TOWBasicPin *x : pins) {
    TComponent *xRoot = x->GetRoot();
    if (xRoot && root && xRoot != root)
      continue;
    if (x->GetFullName(false) == name || x->GetFullName(true) == name)
      return x;
  }
  return nullptr;
}

std::vector<TOWBasicPin *> PendingPins() {
  TOWPinsUnit &u = OWUnit();
  return std::vector<TOWBasicPin *>(u.pending.begin(), u.pending.end());
}

} // namespace

// ---------------------------------------------------------------------------
// Placeholders

TOWUnloadedPin::TOWUnloadedPin(TComponent *, TOWPinType kind, const std::string &ident,
                               const std::string &display, const std::string &)
    : display_(display), ident_(ident), kind_(kind) {}

void TOWUnloadedPin::AfterConstruction() {
  {
    TOWPinsUnit &u = OWUnit();
    sys::TCriticalSectionLock lock(u.cs);
    if (std::find(u.pending.begin(), u.pending.end(), this) == u.pending.end())
      u.pending.push_back(this);
  }
  TOWBasicPin::AfterConstruction();
}

TOWUnloadedPin::~TOWUnloadedPin() = default;

void TOWUnloadedPin::BeforeDestruction() {
  // Whatever a peer does while this placeholder goes, it must not free it again.
  removalGuard_ = true;
  TOWBasicPin::BeforeDestruction();
}

std::string TOWUnloadedPin::GetName() { return OWAfterLastDot(display_); }

std::string TOWUnloadedPin::GetFullName(bool withRoot) {
  return withRoot ? display_ : OWAfterFirstDot(ident_);
}

std::string TOWUnloadedPin::GetFullIdentName(bool withRoot) {
  return withRoot ? ident_ : OWAfterFirstDot(ident_);
}

bool TOWUnloadedPin::IsConnected() {
  TOWReadSection own(this);
  return links_.Count() > 0;
}

bool TOWUnloadedPin::IsConnectedTo(TOWBasicPin *pin) {
  TOWReadSection own(this);
  return links_.GetItemByPin(pin) != nullptr;
}

bool TOWUnloadedPin::ConnectAfter(TOWBasicPin *pin, TOWBasicPin *afterPin) {
  TOWGlobalWriteSection global;
  TOWWriteSection own(this);
  if (links_.GetItemByPin(pin))
    return true;
  if (pin) {
    TOWPinEntry *e = links_.Add();
    e->Sink = pin;
    e->AfterPin = afterPin;
    if (TOWSourcePin *s = OWAsSource(pin)) {
      s->IntConnect(this, afterPin);
    } else if (TOWSinkPin *k = OWAsSink(pin)) {
      k->Disconnect();
      TOWWriteSection sink(k);
      k->source_ = this;
      k->handler_ = nullptr;
      k->upstreamType_ = OWNULLID;
    }
  }
  return true;
}

void TOWUnloadedPin::IntConnect(TOWBasicPin *pin, TOWBasicPin *afterPin) {
  if (!pin)
    return;
  TOWWriteSection own(this);
  TOWPinEntry *e = links_.Add();
  e->Sink = pin;
  e->AfterPin = afterPin;
}

void TOWUnloadedPin::Forget(TOWBasicPin *pin) {
  TOWWriteSection own(this);
  for (int i = links_.Count() - 1; i >= 0; --i)
    if (links_.GetItem(i)->Sink == pin)
      links_.Delete(i);
}

void TOWUnloadedPin::IntDisconnect(TOWBasicPin *pin, bool) { Forget(pin); }

void TOWUnloadedPin::PinDeletedNotify(TOWBasicPin *pin) { Forget(pin); }

void TOWUnloadedPin::Disconnect() {
  TOWWriteSection own(this);
  links_.Clear();
}

void TOWUnloadedPin::PinReplacedNotify(TOWBasicPin *old, TOWBasicPin *replacement) {
  TOWWriteSection own(this);
  for (TOWPinEntry *e : links_) {
    if (e->AfterPin == old)
      e->AfterPin = replacement;
    if (e->Sink == old)
      e->Sink = replacement;
  }
}

void TOWUnloadedPin::CheckRemove() {
  if (removalGuard_)
    return;
  removalGuard_ = true;
  if (!HeldByList && !IsConnected()) {
    OWRemovePending(this); // frees this placeholder
    return;
  }
  removalGuard_ = false;
}

TOWBasicPin *TOWUnloadedPin::FindOrCreate(TComponent *root, TOWPinType kind,
                                          const std::string &ident, const std::string &display,
                                          const std::string &linkingPinName) {
  if (ident.empty())
    return nullptr;
  // The global lock before the unit's section, as everywhere: the names are
  // computed under pin sections and a new placeholder takes its own.
  TOWGlobalReadSection global;
  TOWPinsUnit &u = OWUnit();
  sys::TCriticalSectionLock lock(u.cs);
  if (TOWBasicPin *p = FindByIdent(u.allPins, ident, root))
    return p;
  if (TOWBasicPin *p = FindByDisplay(u.allPins, display, root))
    return p;
  return CreateObject<TOWUnloadedPin>(root, kind, ident, display, linkingPinName);
}

void TOWUnloadedPin::TakeOver(TOWUnloadedPin *placeholder, TOWBasicPin *realPin) {
  // The placeholder stays alive until the end, whatever its peers do while
  // their links move.
  // Moving links is a topology change; the list walk below takes the unit's
  // section, always after the global lock.
  TOWGlobalWriteSection global;
  const bool guard = placeholder->removalGuard_;
  placeholder->removalGuard_ = true;
  std::vector<std::pair<TOWBasicPin *, TOWBasicPin *>> links;
  for (TOWPinEntry *e : placeholder->links_)
    links.emplace_back(e->Sink, e->AfterPin);
  for (auto it = links.rbegin(); it != links.rend(); ++it)
    realPin->ConnectAfter(it->first, it->second);
  // Every pin, under the unit's section: the list must not change under the walk.
  OWForEachPin([&](TOWBasicPin *p) { p->PinReplacedNotify(placeholder, realPin); });
  placeholder->removalGuard_ = guard;
  OWRemovePending(placeholder);
}

void TOWPin::CheckVirtualList() {
  try {
    for (;;) {
      TOWBasicPin *found;
      {
        TOWGlobalReadSection global;
        TOWPinsUnit &u = OWUnit();
        sys::TCriticalSectionLock lock(u.cs);
        const std::vector<TOWBasicPin *> pending = PendingPins();
        found = FindByIdent(pending, GetFullName(true), GetRoot());
        if (!found)
          found = FindByIdent(pending, GetFullName(false), GetRoot());
      }
      if (!found)
        return;
      TOWUnloadedPin::TakeOver(static_cast<TOWUnloadedPin *>(found), this);
    }
  } catch (...) {
    // A failed pass ends the search; the links wait for the next load.
  }
}

// ---------------------------------------------------------------------------
// Stored links

void TOWSourcePin::DefineProperties(TFiler *filer) {
  TOWPin::DefineProperties(filer);
  filer->DefineProperty(
      "SinkPins", [this](TReader *r) { ReadConnectionsData(r); },
      [this](TWriter *w) { WriteConnectionsData(w); }, DoWrite());
}

void TOWSinkPin::DefineProperties(TFiler *filer) {
  TOWPin::DefineProperties(filer);
  filer->DefineProperty(
      "SourcePin", [this](TReader *r) { ReadConnectionsData(r); },
      [this](TWriter *w) { WriteConnectionsData(w); }, DoWrite());
}

bool TOWSourcePin::DoWrite() { return GetSinkCount() > 0; }

bool TOWSinkPin::DoWrite() { return GetSourcePin() != nullptr; }

void TOWSourcePin::WriteConnectionsData(TWriter *writer) {
  TOWWriteSection own(this);
  writer->WriteListBegin();
  for (TOWPinEntry *e : entries_) {
    const std::string ident = e->Sink->GetFullIdentName(true);
    const std::string display = e->Sink->GetFullName(true);
    if (ident == display && !e->AfterPin) {
      writer->WriteIdent(ident);
      continue;
    }
    writer->WriteListBegin();
    writer->WriteIdent(ident);
    if (e->AfterPin)
      writer->WriteIdent(e->AfterPin->GetFullIdentName(true));
    if (ident != display)
      writer->WriteString(display);
    writer->WriteListEnd();
  }
  writer->WriteListEnd();
}

void TOWSinkPin::WriteConnectionsData(TWriter *writer) {
  TOWReadSection own(this);
  if (!source_)
    return;
  const std::string ident = source_->GetFullIdentName(true);
  const std::string display = source_->GetFullName(true);
  if (ident == display) {
    writer->WriteIdent(ident);
    return;
  }
  writer->WriteListBegin();
  writer->WriteIdent(ident);
  writer->WriteString(display);
  writer->WriteListEnd();
}

void TOWSourcePin::ReadConnectionsData(TReader *reader) {
  TOWWriteSection own(this);
  CheckVirtualList();
  const std::string self = GetFullName(true);
  reader->ReadListBegin();
  while (!reader->EndOfList()) {
    std::string ident, display;
    TOWBasicPin *after = nullptr;
    if (reader->NextValue() == vaList) {
      reader->ReadListBegin();
      ident = reader->ReadIdent();
      if (reader->NextValue() == vaIdent) {
        const std::string afterIdent = reader->ReadIdent();
        after = TOWUnloadedPin::FindOrCreate(GetRoot(), ptSink, afterIdent, afterIdent, self);
      }
      display = ident;
      if (reader->NextValue() == vaString)
        display = reader->ReadString();
      reader->ReadListEnd();
    } else {
      ident = reader->ReadIdent();
      display = ident;
    }
    IntConnectAfter(TOWUnloadedPin::FindOrCreate(GetRoot(), ptSink, ident, display, self), after);
  }
  reader->ReadListEnd();
}

void TOWSinkPin::ReadConnectionsData(TReader *reader) {
  TOWWriteSection own(this);
  CheckVirtualList();
  std::string ident, display;
  if (reader->NextValue() == vaList) {
    reader->ReadListBegin();
    ident = reader->ReadIdent();
    display = reader->ReadString();
    reader->ReadListEnd();
  } else {
    ident = reader->ReadIdent();
    display = ident;
  }
  Connect(TOWUnloadedPin::FindOrCreate(GetRoot(), ptSource, ident, display, GetFullName(true)));
}

// ---------------------------------------------------------------------------
// After-pins and link texts

void TOWSourcePin::SetNotifyAfterByName(TOWPin *pin, const std::string &name) {
  TOWBasicPin *after = nullptr;
  for (TOWPinEntry *e : entries_) {
    if (e->Sink->GetFullName(false) == name || e->Sink->GetFullName(true) == name) {
      after = e->Sink;
      break;
    }
  }
  if (!after)
    return;
  if (TOWPinEntry *e = entries_.GetItemByPin(pin))
    e->AfterPin = after;
}

std::string TOWSourcePin::GetAfterPinDisplayName(TOWPin *pin) {
  TOWPinEntry *e = entries_.GetItemByPin(pin);
  if (!e || !e->AfterPin)
    return {};
  return e->AfterPin->GetFullName(GetRoot() != pin->GetRoot());
}

std::string TOWSourcePin::GetLinkStr(int index) {
  TOWReadSection own(this);
  TOWBasicPin *sink = entries_.GetItem(index)->Sink;
  const bool withRoot = entries_.Count() > 0 && sink->GetRoot() != GetRoot();
  return sink->GetFullName(withRoot);
}

std::string TOWSinkPin::GetLinkStr() {
  TOWGlobalReadSection global;
  TOWReadSection own(this);
  if (!source_)
    return {};
  return source_->GetFullName(source_->GetRootName() != GetRootName());
}

// ---------------------------------------------------------------------------
// Linking by name

bool TOWSourcePin::TryLinkTo(TComponent *component, const std::string &name, const std::string &,
                             const std::string &, bool keepWhenEmpty) {
  if (name.empty()) {
    if (!keepWhenEmpty)
      Disconnect();
    return true;
  }
  TOWWriteSection own(this);
  TOWPinValueFilters filters{pvoFullList};
  if (keepWhenEmpty)
    filters.Include(pvoSaveValue);
  TStringList list;
  if (!OWListLinkCandidates(&list, this, component, filters))
    return true;
  for (int i = 0; i < list.Count(); ++i)
    if (list.Strings(i) == name) {
      Connect(dynamic_cast<TOWBasicPin *>(list.Objects(i)));
      return true;
    }
  return false;
}

void TOWSourcePin::TryLinkToList(TComponent *component, const std::vector<std::string> &names,
                                 const std::vector<std::string> &others) {
  for (size_t i = 0; i < others.size() && i < names.size(); ++i)
    TryLinkTo(component, names[i], others[i], std::string(), true);
}

bool TOWSinkPin::TryLinkTo(TComponent *, const std::string &name, const std::string &display,
                           bool) {
  TOWWriteSection own(this);
  if (name == "nil")
    return Connect(nullptr);
  return Connect(
      TOWUnloadedPin::FindOrCreate(GetRoot(), ptSource, name, display, GetFullName(true)));
}
