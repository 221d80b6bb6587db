#include "framework/data/SLVariantStorages.h"

namespace {

// The lock object's write side for one call. The operations that leave the
// list are released by the caller after the lock is given back.
class TWriteHold {
public:
  explicit TWriteHold(TOWObject *lock) : lock_(lock) { lock_->BeginWrite(); }
  ~TWriteHold() { lock_->EndWrite(); }
  TWriteHold(const TWriteHold &) = delete;
  TWriteHold &operator=(const TWriteHold &) = delete;

private:
  TOWObject *lock_;
};

} // namespace

TSLOperationList::TSLOperationList(TOWObject *Owner)
    : ownLock_(Owner ? nullptr : std::make_unique<TOWExposedObject>()),
      lock_(Owner ? Owner : ownLock_.get()) {}

// No lock: nobody else may use the list any more, and the owner may be gone.
TSLOperationList::~TSLOperationList() = default;

int TSLOperationList::Push(const IOWNotifyOperationPtr &Operation, bool LatestOnly) {
  std::deque<IOWNotifyOperationPtr> dropped;
  TWriteHold hold(lock_);
  operations_.push_back(Operation);
  if (LatestOnly)
    while (operations_.size() > 1) {
      dropped.push_back(std::move(operations_.front()));
      operations_.pop_front();
    }
  return static_cast<int>(operations_.size());
}

int TSLOperationList::PushBack(const IOWNotifyOperationPtr &Operation) {
  TWriteHold hold(lock_);
  operations_.push_front(Operation);
  return static_cast<int>(operations_.size());
}

IOWNotifyOperationPtr TSLOperationList::Pop() {
  TWriteHold hold(lock_);
  if (operations_.empty())
    return nullptr;
  IOWNotifyOperationPtr head = std::move(operations_.front());
  operations_.pop_front();
  return head;
}

IOWNotifyOperationPtr TSLOperationList::Peek() {
  TWriteHold hold(lock_);
  return operations_.empty() ? nullptr : operations_.front();
}

int TSLOperationList::ItemsCount() {
  lock_->BeginRead();
  const int count = static_cast<int>(operations_.size());
  lock_->EndRead();
  return count;
}

void TSLOperationList::Clear() {
  std::deque<IOWNotifyOperationPtr> dropped;
  TWriteHold hold(lock_);
  dropped.swap(operations_);
}
