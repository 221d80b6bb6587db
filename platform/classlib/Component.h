// Components: persistent objects with an owner, a name, the components they
// own (in insertion order) and state flags.
//
// An owner frees the components it owns when it is freed, last first.
// Components are created with CreateObject<T>(owner) and freed with
// FreeObject: BeforeDestruction marks the component and everything it owns
// as destroying (while the derived class still exists); the TComponent
// destructor then frees the owned components, each still seeing its owner
// during its own tear-down, and leaves its owner (which is notified).
//
// A form (or data module) and the application object mark themselves with
// SetIsForm / SetIsApplication; the framework stops its search for a root
// component there.
//
// Components live on the main thread; only ComponentState() may be read from
// other threads.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/classlib/Persistent.h"

enum TComponentStateFlag : uint32_t {
  csLoading = 1u << 0,    // its form is being read
  csReading = 1u << 1,    // its properties are being read
  csWriting = 1u << 2,    // its properties are being written
  csDestroying = 1u << 3, // BeforeDestruction has run
  csDesigning = 1u << 4,  // it is being edited in a designer
};
using TComponentState = uint32_t;

enum TOperation { opInsert, opRemove };

class TComponent : public TPersistent {
  CLASSLIB_CLASS(TComponent)

public:
  // Inserts the component into owner's list (owner may be null).
  explicit TComponent(TComponent *owner);
  ~TComponent() override;
  void BeforeDestruction() override;

  TComponent *Owner() const { return owner_; }
  TPersistent *GetOwner() override { return owner_; }

  const std::string &Name() const { return name_; }
  // Raises EComponentError for a name that is not an identifier
  // ("'%s' is not a valid component name") or that another component of
  // the same owner has, compared case-insensitively ("A component named %s
  // already exists"). The empty name is allowed.
  virtual void SetName(const std::string &name);

  int ComponentCount() const { return static_cast<int>(components_.size()); }
  // Raises EListError for an index outside the list.
  TComponent *Components(int index) const;
  // Index in the owner's list, -1 without owner.
  int ComponentIndex() const;
  // The owned component of that name (case-insensitive), or null.
  TComponent *FindComponent(std::string_view name) const;

  // Moves component into this owner's list (out of its former owner's);
  // both owners hear Notification.
  void InsertComponent(TComponent *component);
  void RemoveComponent(TComponent *component);
  // Frees every owned component, last first.
  void DestroyComponents();

  TComponentState ComponentState() const { return state_.load(std::memory_order_acquire); }
  bool InState(TComponentStateFlag flag) const { return (ComponentState() & flag) != 0; }
  // Sets or clears state flags; used by the form stream and designers.
  void IncludeState(TComponentState flags) { state_.fetch_or(flags, std::memory_order_acq_rel); }
  void ExcludeState(TComponentState flags) { state_.fetch_and(~flags, std::memory_order_acq_rel); }
  // csDesigning on this component and, with setChildren, on everything it owns.
  void SetDesigning(bool designing, bool setChildren = true);
  // csDestroying on this component and everything it owns.
  void Destroying();

  bool IsForm() const { return isForm_; }
  void SetIsForm(bool value) { isForm_ = value; }
  bool IsApplication() const { return isApplication_; }
  void SetIsApplication(bool value) { isApplication_ = value; }

  // Called by the form loader once the whole form has been read, in creation
  // order (the root first), while csLoading is still set; the base clears
  // csLoading. Overrides call the base first.
  virtual void Loaded();

  // Told about components inserted into or removed from this owner, and
  // passed on to every owned component. Overrides call the base.
  virtual void Notification(TComponent *component, TOperation operation);

private:
  void Insert(TComponent *component);
  void Remove(TComponent *component);

  TComponent *owner_ = nullptr;
  std::string name_;
  std::vector<TComponent *> components_;
  std::atomic<TComponentState> state_{0};
  bool isForm_ = false;
  bool isApplication_ = false;
};

// Whether name can name a component: a letter or underscore, then letters,
// digits and underscores.
bool IsValidIdent(std::string_view name);
