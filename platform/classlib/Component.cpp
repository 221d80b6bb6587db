#include "platform/classlib/Component.h"

#include <algorithm>
#include <cctype>

#include "platform/classlib/ClassBuilder.h"

const TClassInfo &TComponent::StaticClassInfo() {
  static const TClassInfo &info =
      MakeClassInfo<TComponent>("TComponent", &TPersistent::StaticClassInfo());
  return info;
}

bool IsValidIdent(std::string_view name) {
  if (name.empty())
    return false;
  auto alpha = [](char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; };
  if (!alpha(name[0]))
    return false;
  return std::all_of(name.begin() + 1, name.end(), [&](char c) {
    return alpha(c) || std::isdigit(static_cast<unsigned char>(c));
  });
}

TComponent::TComponent(TComponent *owner) {
  if (owner)
    owner->InsertComponent(this);
}

TComponent::~TComponent() {
  Destroying();
  DestroyComponents();
  if (owner_)
    owner_->RemoveComponent(this);
}

void TComponent::BeforeDestruction() {
  if (!InState(csDestroying))
    Destroying();
}

void TComponent::Destroying() {
  if (InState(csDestroying))
    return;
  IncludeState(csDestroying);
  for (TComponent *c : components_)
    c->Destroying();
}

void TComponent::DestroyComponents() {
  // Each component keeps its owner while it is torn down (its names and root
  // still resolve) and leaves the list in its own destructor.
  while (!components_.empty()) {
    TComponent *c = components_.back();
    try {
      FreeObject(c);
    } catch (...) {
      Remove(c);
      throw;
    }
  }
}

TComponent *TComponent::Components(int index) const {
  if (index < 0 || index >= ComponentCount())
    throw EListError::IndexOutOfBounds(index);
  return components_[static_cast<size_t>(index)];
}

int TComponent::ComponentIndex() const {
  if (!owner_)
    return -1;
  auto &list = owner_->components_;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

TComponent *TComponent::FindComponent(std::string_view name) const {
  if (name.empty())
    return nullptr;
  for (TComponent *c : components_)
    if (SameText(c->name_, name))
      return c;
  return nullptr;
}

void TComponent::SetName(const std::string &name) {
  if (name == name_)
    return;
  if (!name.empty() && !IsValidIdent(name))
    throw EComponentError("'" + name + "' is not a valid component name");
  if (owner_ && !name.empty()) {
    TComponent *other = owner_->FindComponent(name);
    if (other && other != this)
      throw EComponentError("A component named " + name + " already exists");
  }
  name_ = name;
}

void TComponent::InsertComponent(TComponent *component) {
  if (!component || component->owner_ == this)
    return;
  if (!component->name_.empty() && FindComponent(component->name_))
    throw EComponentError("A component named " + component->name_ + " already exists");
  if (component->owner_)
    component->owner_->RemoveComponent(component);
  Insert(component);
  Notification(component, opInsert);
}

void TComponent::RemoveComponent(TComponent *component) {
  if (!component || component->owner_ != this)
    return;
  Notification(component, opRemove);
  Remove(component);
}

void TComponent::Insert(TComponent *component) {
  components_.push_back(component);
  component->owner_ = this;
}

void TComponent::Remove(TComponent *component) {
  std::erase(components_, component);
  component->owner_ = nullptr;
}

void TComponent::SetDesigning(bool designing, bool setChildren) {
  if (designing)
    IncludeState(csDesigning);
  else
    ExcludeState(csDesigning);
  if (setChildren)
    for (TComponent *c : components_)
      c->SetDesigning(designing, true);
}

void TComponent::Loaded() { ExcludeState(csLoading); }

void TComponent::Notification(TComponent *component, TOperation operation) {
  // A copy: a handler may change the list.
  std::vector<TComponent *> owned = components_;
  for (TComponent *c : owned)
    if (c != component)
      c->Notification(component, operation);
}
