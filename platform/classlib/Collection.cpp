#include "platform/classlib/Collection.h"

#include <algorithm>
#include <utility>

#include "platform/classlib/ClassBuilder.h"
#include "platform/sys/ScopeExit.h"

const TClassInfo &TCollectionItem::StaticClassInfo() {
  static const TClassInfo &info =
      MakeClassInfo<TCollectionItem>("TCollectionItem", &TPersistent::StaticClassInfo());
  return info;
}

const TClassInfo &TCollection::StaticClassInfo() {
  static const TClassInfo &info =
      MakeClassInfo<TCollection>("TCollection", &TPersistent::StaticClassInfo());
  return info;
}

TCollectionItem::TCollectionItem(TCollection *collection) : joinOnConstruction_(collection) {}

TCollectionItem::~TCollectionItem() {
  // Freed without BeforeDestruction (a failed AfterConstruction, or delete):
  // still leave the collection so it never names a freed item.
  if (collection_)
    collection_->RemoveItem(this, cnExtracting);
}

void TCollectionItem::AfterConstruction() {
  TPersistent::AfterConstruction();
  TCollection *c = std::exchange(joinOnConstruction_, nullptr);
  if (c)
    SetCollection(c);
}

void TCollectionItem::BeforeDestruction() {
  if (collection_)
    collection_->RemoveItem(this, cnExtracting);
  TPersistent::BeforeDestruction();
}

void TCollectionItem::SetCollection(TCollection *collection) {
  if (collection == collection_)
    return;
  if (collection_)
    collection_->RemoveItem(this, cnExtracting);
  if (collection)
    collection->InsertItem(this);
}

int TCollectionItem::Index() const {
  if (!collection_)
    return -1;
  auto &items = collection_->items_;
  auto it = std::find(items.begin(), items.end(), this);
  return it == items.end() ? -1 : static_cast<int>(it - items.begin());
}

void TCollectionItem::SetIndex(int index) {
  int current = Index();
  if (current < 0 || current == index)
    return;
  auto &items = collection_->items_;
  if (index < 0 || index >= static_cast<int>(items.size()))
    throw EListError::IndexOutOfBounds(index);
  items.erase(items.begin() + current);
  items.insert(items.begin() + index, this);
}

std::string TCollectionItem::GetDisplayName() const { return ClassName(); }

TPersistent *TCollectionItem::GetOwner() { return collection_; }

TCollection::TCollection(const TMetaClass *itemClass) : itemClass_(itemClass) {}

TCollection::~TCollection() {
  ++updateCount_;
  Clear();
}

TCollectionItem *TCollection::Items(int index) const {
  if (index < 0 || index >= Count())
    throw EListError::IndexOutOfBounds(index);
  return items_[static_cast<size_t>(index)];
}

TCollectionItem *TCollection::FindItemID(int id) const {
  for (TCollectionItem *item : items_)
    if (item->id_ == id)
      return item;
  return nullptr;
}

TCollectionItem *TCollection::Add() {
  if (!itemClass_ || !itemClass_->ItemFactory())
    throw EInvalidOperation("Collection items of class " +
                            (itemClass_ ? itemClass_->ClassName() : std::string("nil")) +
                            " cannot be created");
  return itemClass_->ItemFactory()(this);
}

TCollectionItem *TCollection::Insert(int index) {
  if (index < 0 || index > Count())
    throw EListError::IndexOutOfBounds(index);
  TCollectionItem *item = Add();
  item->SetIndex(index);
  return item;
}

void TCollection::Delete(int index) {
  TCollectionItem *item = Items(index);
  sys::TScopeExit free([item] { FreeObject(item); });
  RemoveItem(item, cnDeleting);
}

void TCollection::Clear() {
  if (items_.empty())
    return;
  BeginUpdate();
  while (!items_.empty())
    FreeObject(items_.back());
  EndUpdate();
}

void TCollection::Assign(TPersistent *source) {
  auto *other = dynamic_cast<TCollection *>(source);
  if (!other) {
    TPersistent::Assign(source);
    return;
  }
  BeginUpdate();
  sys::TScopeExit end([this] { EndUpdate(); });
  Clear();
  for (TCollectionItem *item : other->items_)
    Add()->Assign(item);
}

void TCollection::EndUpdate() {
  if (updateCount_ > 0)
    --updateCount_;
}

void TCollection::Notify(TCollectionItem *, TCollectionNotification) {}

void TCollection::InsertItem(TCollectionItem *item) {
  items_.push_back(item);
  item->collection_ = this;
  item->id_ = nextId_++;
  Notify(item, cnAdded);
}

void TCollection::RemoveItem(TCollectionItem *item, TCollectionNotification action) {
  if (item->collection_ != this || item->leaving_)
    return;
  // Announced while the item is still in the collection; the mark keeps a
  // handler that frees or moves the item from announcing it again. The item
  // leaves even when a handler raises.
  item->leaving_ = true;
  sys::TScopeExit leave([this, item] {
    std::erase(items_, item);
    item->collection_ = nullptr;
    item->leaving_ = false;
  });
  Notify(item, action);
}
