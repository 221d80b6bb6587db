// Collections: an ordered list of items of one class, owned by the
// collection, stored in form streams as "< item ... end >". The collection
// announces every item added and every item about to go through the virtual
// Notify.
//
// Items are created with TCollection::Add / Insert (or CreateObject<T>(coll))
// and freed with TCollection::Delete or FreeObject(item): an item joins its
// collection in AfterConstruction and leaves it in BeforeDestruction, so
// Notify sees the item whole on both occasions. Each removal is announced
// once: Delete as cnDeleting, any other leaving (FreeObject, SetCollection to
// another collection or null) as cnExtracting. Freeing the collection frees
// its items and announces each as cnExtracting.
//
// Collections take no lock; they belong to the thread that owns their owner.
#pragma once

#include <vector>

#include "platform/classlib/Persistent.h"

class TCollection;

enum TCollectionNotification { cnAdded, cnExtracting, cnDeleting };

class TCollectionItem : public TPersistent {
  CLASSLIB_CLASS(TCollectionItem)

public:
  // collection may be null (an item outside any collection).
  explicit TCollectionItem(TCollection *collection);
  ~TCollectionItem() override;
  void AfterConstruction() override;
  void BeforeDestruction() override;

  TCollection *Collection() const { return collection_; }
  // Leaves the present collection (if any) and joins the new one at its end.
  void SetCollection(TCollection *collection);
  // Position in the collection, -1 outside one.
  int Index() const;
  // Moves the item within its collection.
  virtual void SetIndex(int index);
  // A number unique within the collection, given when the item joins.
  int ID() const { return id_; }
  // The item's display text; the class name by default.
  virtual std::string GetDisplayName() const;
  TPersistent *GetOwner() override;

private:
  friend class TCollection;
  TCollection *collection_ = nullptr;
  TCollection *joinOnConstruction_ = nullptr;
  int id_ = 0;
  bool leaving_ = false;
};

class TCollection : public TPersistent {
  CLASSLIB_CLASS(TCollection)

public:
  // itemClass must have an item factory (a concrete TCollectionItem
  // descendant constructible from TCollection*) for Add and Insert to work.
  explicit TCollection(const TMetaClass *itemClass);
  ~TCollection() override;

  const TMetaClass *ItemClass() const { return itemClass_; }
  int Count() const { return static_cast<int>(items_.size()); }
  // Raises EListError for an index outside the collection.
  TCollectionItem *Items(int index) const;
  TCollectionItem *FindItemID(int id) const;

  // A new item of the item class at the end / at index.
  TCollectionItem *Add();
  TCollectionItem *Insert(int index);
  // Announces cnDeleting, then frees the item.
  void Delete(int index);
  // Frees every item, last first.
  void Clear();

  // Replaces the items with new items assigned from source's (a TCollection);
  // other sources go to the base rule.
  void Assign(TPersistent *source) override;

  // Brackets a batch of changes (the form reader and Clear use it); nests.
  void BeginUpdate() { ++updateCount_; }
  void EndUpdate();
  int UpdateCount() const { return updateCount_; }

protected:
  // Called on every item added (after it joined) and before every item
  // leaves (while it is still in the collection). Overrides call the base.
  virtual void Notify(TCollectionItem *item, TCollectionNotification action);

private:
  friend class TCollectionItem;
  void InsertItem(TCollectionItem *item);
  void RemoveItem(TCollectionItem *item, TCollectionNotification action);

  const TMetaClass *itemClass_;
  std::vector<TCollectionItem *> items_;
  int nextId_ = 0;
  int updateCount_ = 0;
};
