#include "framework/pins/OWExtCollection.h"

#include "platform/classlib/Exceptions.h"

TOWExtCollection::TOWExtCollection(TPersistent *owner, const TMetaClass *itemClass)
    : TCollection(itemClass), owner_(owner) {}

TOWExtCollection::~TOWExtCollection() { notifiers_.reset(); }

void TOWExtCollection::NewItemCreated(TCollectionItem *) {}

void TOWExtCollection::Notify(TCollectionItem *item, TCollectionNotification action) {
  TCollection::Notify(item, action);
  switch (action) {
  case cnAdded:
    NewItemCreated(item);
    AfterNewItemCreated(item);
    break;
  case cnExtracting:
  case cnDeleting:
    AfterNewItemDestroyed(item);
    break;
  }
}

void TOWExtCollection::CallNotifiers(const std::function<void(IOWCollectionNotifier &)> &call) {
  if (!notifiers_)
    return;
  const int count = notifiers_->Count();
  for (int i = 0; i < count; ++i) {
    // An observer's failure is its own: the collection's change has happened
    // and the remaining observers must still hear of it. A notifier that
    // removed others meanwhile shortens the list; the index error is dropped
    // the same way.
    try {
      com::TComPtr<IOWCollectionNotifier> notifier = notifiers_->Items(i);
      call(*notifier);
    } catch (...) {
    }
  }
}

void TOWExtCollection::AfterNewItemCreated(TCollectionItem *item) {
  CallNotifiers([&](IOWCollectionNotifier &n) { n.ItemCreated(this, item); });
}

void TOWExtCollection::AfterNewItemDestroyed(TCollectionItem *item) {
  CallNotifiers([&](IOWCollectionNotifier &n) { n.ItemDestroyed(this, item); });
}

TInterfaceList<IOWCollectionNotifier> &TOWExtCollection::Notifiers() {
  if (!notifiers_)
    notifiers_ = std::make_unique<TInterfaceList<IOWCollectionNotifier>>();
  return *notifiers_;
}

void OWAddCollectionNotifier(TOWExtCollection *collection,
                             com::TComPtr<IOWCollectionNotifier> notifier) {
  if (collection == nullptr)
    return;
  collection->Notifiers().Add(std::move(notifier));
}

void OWRemoveCollectionNotifier(TOWExtCollection *collection, IOWCollectionNotifier *notifier) {
  if (collection == nullptr)
    return;
  collection->Notifiers().Remove(notifier);
}

TOWExtCollectionItem::~TOWExtCollectionItem() {
  if (clearReference_)
    clearReference_();
}
