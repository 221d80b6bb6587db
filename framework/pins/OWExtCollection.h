// Extended collection: a collection that knows its owner (for the form
// stream's name path) and tells registered observers when an item has been
// added or is about to go. Descendants set up new items in NewItemCreated.
//
// Threads and locks: the collection takes no lock of its own and belongs to
// the thread of its owner (the main thread for the components that hold
// one). The notifier list is the class library's interface list, which locks
// itself for each call, so registering from another thread is safe.
#pragma once

#include <functional>
#include <memory>

#include "platform/classlib/ClassBuilder.h"
#include "platform/classlib/Collection.h"
#include "platform/classlib/Lists.h"
#include "platform/com/Unknown.h"

class TOWExtCollection;

// Observer of a TOWExtCollection's items. Exceptions raised here never reach
// the collection's caller.
struct IOWCollectionNotifier : public virtual com::IUnknown {
  virtual void ItemCreated(TOWExtCollection *collection, TCollectionItem *item) = 0;
  virtual void ItemDestroyed(TOWExtCollection *collection, TCollectionItem *item) = 0;
};

class TOWExtCollection : public TCollection {
  CLASSLIB_SIMPLE_CLASS(TOWExtCollection, TCollection)

public:
  // owner is not owned; it names the collection in the form stream.
  TOWExtCollection(TPersistent *owner, const TMetaClass *itemClass);
  // The notifiers are dropped first: the items freed by the class library
  // afterwards reach no notifier and no NewItemCreated override.
  ~TOWExtCollection() override;

  TPersistent *GetOwner() override { return owner_; }

  // Set-up hook of descendants: runs once the item has joined the
  // collection, before any notifier hears of it and before the item's
  // creation returns.
  virtual void NewItemCreated(TCollectionItem *item);

protected:
  void Notify(TCollectionItem *item, TCollectionNotification action) override;
  void AfterNewItemCreated(TCollectionItem *item);
  void AfterNewItemDestroyed(TCollectionItem *item);

private:
  friend void OWAddCollectionNotifier(TOWExtCollection *, com::TComPtr<IOWCollectionNotifier>);
  friend void OWRemoveCollectionNotifier(TOWExtCollection *, IOWCollectionNotifier *);
  TInterfaceList<IOWCollectionNotifier> &Notifiers();
  void CallNotifiers(const std::function<void(IOWCollectionNotifier &)> &call);

  TPersistent *owner_;
  std::unique_ptr<TInterfaceList<IOWCollectionNotifier>> notifiers_;
};

// Item base of TOWExtCollection. A holder outside the collection (an open
// editor, a pointer kept by another object) may register the variable that
// refers to the item; the variable is set to null when the item is freed, so
// it never refers to a freed item.
class TOWExtCollectionItem : public TCollectionItem {
  CLASSLIB_SIMPLE_CLASS(TOWExtCollectionItem, TCollectionItem)

public:
  explicit TOWExtCollectionItem(TCollection *collection) : TCollectionItem(collection) {}
  ~TOWExtCollectionItem() override;

  // variable: the holder's pointer to this item, or null to forget it.
  template <class T> void SetReferenceVariable(T **variable) {
    static_assert(std::is_base_of_v<TOWExtCollectionItem, T>,
                  "the variable must refer to the item");
    if (variable == nullptr)
      clearReference_ = nullptr;
    else
      clearReference_ = [variable] { *variable = nullptr; };
  }

private:
  std::function<void()> clearReference_;
};

// Nothing happens for a null collection. Adding makes the notifier list on
// first use; removing an absent notifier changes nothing.
void OWAddCollectionNotifier(TOWExtCollection *collection,
                             com::TComPtr<IOWCollectionNotifier> notifier);
void OWRemoveCollectionNotifier(TOWExtCollection *collection, IOWCollectionNotifier *notifier);
