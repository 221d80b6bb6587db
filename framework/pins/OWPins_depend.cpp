// Pin dependencies and stream locks.
#include "framework/pins/OWPins.h"

#include <algorithm>

#include "framework/pins/OWPins_internal.h"

namespace {
bool EraseFirst(std::vector<TOWSourcePin *> &v, TOWSourcePin *p) {
  auto it = std::find(v.begin(), v.end(), p);
  if (it == v.end())
    return false;
  v.erase(it);
  return true;
}
} // namespace

// ---------------------------------------------------------------------------
// Dependency lists

int TOWSinkPinList::GetCount() const {
  TOWReadSection own(owner_);
  return static_cast<int>(items_.size());
}

TOWSinkPin *TOWSinkPinList::GetItem(int index) const {
  TOWReadSection own(owner_);
  if (index < 0 || index >= static_cast<int>(items_.size()))
    throw EListError::IndexOutOfBounds(index);
  return items_[static_cast<size_t>(index)];
}

bool TOWSinkPinList::Contains(const TOWSinkPin *pin) const {
  TOWReadSection own(owner_);
  return std::find(items_.begin(), items_.end(), pin) != items_.end();
}

void TOWSinkPinList::Add(TOWSinkPin *pin) {
  if (!pin)
    return;
  TOWWriteSection own(owner_);
  items_.push_back(pin);
}

bool TOWSinkPinList::RemoveFirst(TOWSinkPin *pin) {
  auto it = std::find(items_.begin(), items_.end(), pin);
  if (it == items_.end())
    return false;
  items_.erase(it);
  return true;
}

void TOWSinkPinList::Remove(TOWSinkPin *pin) {
  TOWWriteSection own(owner_);
  RemoveFirst(pin);
}

void TOWFunctionSinkPinList::Add(TOWSinkPin *pin, bool shareLock) {
  if (!pin)
    return;
  TOWSinkPinList::Add(pin);
  if (shareLock)
    owner_->AddShareLock(pin);
  TOWWriteSection own(owner_);
  pin->IntAddFunctionDependance(owner_);
}

void TOWFunctionSinkPinList::Remove(TOWSinkPin *pin) {
  TOWWriteSection own(owner_);
  if (RemoveFirst(pin))
    pin->IntRemoveFunctionDependance(owner_);
}

void TOWDataTypeSinkPinList::Add(TOWSinkPin *pin, bool) {
  if (!pin)
    return;
  TOWSinkPinList::Add(pin);
  TOWWriteSection own(owner_);
  pin->IntAddDataTypeDependance(owner_);
}

void TOWDataTypeSinkPinList::Remove(TOWSinkPin *pin) {
  TOWWriteSection own(owner_);
  if (RemoveFirst(pin))
    pin->IntRemoveDataTypeDependance(owner_);
}

void TOWSinkPin::IntAddFunctionDependance(TOWSourcePin *source) {
  TOWWriteSection own(this);
  functionBack_.push_back(source);
}

void TOWSinkPin::IntRemoveFunctionDependance(TOWSourcePin *source) {
  TOWWriteSection own(this);
  EraseFirst(functionBack_, source);
}

void TOWSinkPin::IntAddDataTypeDependance(TOWSourcePin *source) {
  TOWWriteSection own(this);
  dataTypeBack_.push_back(source);
}

void TOWSinkPin::IntRemoveDataTypeDependance(TOWSourcePin *source) {
  TOWWriteSection own(this);
  EraseFirst(dataTypeBack_, source);
}

// ---------------------------------------------------------------------------
// Dependency queries

bool TOWSourcePin::DependsOnSearch(TOWBasicPin *pin, std::vector<TOWSourcePin *> &visited,
                                   bool direct) {
  TOWGlobalReadSection global;
  TOWReadSection own(this);
  if (std::find(visited.begin(), visited.end(), this) != visited.end())
    return false;
  visited.push_back(this);
  if (!pin)
    return false;
  std::vector<TOWSinkPin *> deps(functionDependencies_.items_);
  if (std::find(deps.begin(), deps.end(), pin) != deps.end())
    return true;
  if (direct)
    return false;
  for (TOWSinkPin *d : deps) {
    if (d->source_ == pin)
      return true;
    if (TOWSourcePin *s = d->RealSource())
      if (s->DependsOnSearch(pin, visited, false))
        return true;
  }
  return false;
}

bool TOWSourcePin::DependsOn(TOWBasicPin *pin) {
  std::vector<TOWSourcePin *> visited;
  return DependsOnSearch(pin, visited, false);
}

bool TOWSourcePin::DirectDependsOn(TOWBasicPin *pin) {
  std::vector<TOWSourcePin *> visited;
  return DependsOnSearch(pin, visited, true);
}

bool TOWSinkPin::DependsOn(TOWBasicPin *pin) {
  TOWGlobalReadSection global;
  TOWReadSection own(this);
  if (!source_)
    return false;
  if (pin == source_)
    return true;
  return source_->DependsOn(pin);
}

bool TOWSinkPin::DirectDependsOn(TOWBasicPin *pin) {
  TOWReadSection own(this);
  return source_ ? source_->DirectDependsOn(pin) : false;
}

// ---------------------------------------------------------------------------
// Stream locks

void TOWStreamPin::BackPopulateStreamChains(TOWObjectListList &, TOWObjectList *chain) {
  chain->Add(this);
}

void TOWSourcePin::BackPopulateStreamChains(TOWObjectListList &chains, TOWObjectList *chain) {
  chain->Add(this);
  const std::vector<TOWSinkPin *> deps(functionDependencies_.items_);
  for (size_t i = 0; i < deps.size(); ++i) {
    TOWObjectList *target = chain;
    if (i > 0)
      target = chains.GetItem(chains.Add(TOWObjectList::Create()));
    deps[i]->BackPopulateStreamChains(chains, target);
  }
}

void TOWSinkPin::BackPopulateStreamChains(TOWObjectListList &chains, TOWObjectList *chain) {
  chain->Add(this);
  if (TOWSourcePin *s = RealSource())
    s->BackPopulateStreamChains(chains, chain);
}

void TOWSourcePin::PopulateStreamLocks() {
  for (TOWSinkPin *s : LinkedSinkPins())
    s->PopulateStreamLocks();
}

void TOWSinkPin::PopulateStreamLocks() {
  com::TComPtr<TOWObjectList> fresh = TOWObjectList::Create();
  {
    TOWWriteSection own(this);
    streamLocks_ = IOWObjectListPtr(fresh);
  }
  const std::vector<TOWSourcePin *> back(functionBack_);
  for (TOWSourcePin *s : back)
    s->PopulateStreamLocks();
  TOWSourcePin *source = RealSource();
  if (!source)
    return;
  TOWObjectListList chains;
  TOWObjectList *first = chains.GetItem(chains.Add(TOWObjectList::Create()));
  first->Add(this);
  source->BackPopulateStreamChains(chains, first);
  while (chains.GetCount() > 0) {
    for (int i = chains.GetCount() - 1; i >= 0; --i) {
      TOWObjectList *chain = chains.GetItem(i);
      fresh->Add(chain->PopLast());
      if (chain->GetCount() == 0)
        chains.Delete(i);
    }
  }
}

IOWObjectListPtr TOWSinkPin::GetStreamLocks() {
  TOWReadSection own(this);
  return streamLocks_;
}

void TOWSinkPin::LockStreamLocks(IOWObjectList *list) {
  if (!list)
    return;
  for (int i = 0; i < list->GetCount(); ++i)
    list->GetItem(i)->BeginRead();
}

void TOWSinkPin::UnlockStreamLocks(IOWObjectList *list) {
  if (!list)
    return;
  for (int i = 0; i < list->GetCount(); ++i)
    list->GetItem(i)->EndRead();
}
