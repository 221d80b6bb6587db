// Thread-safe containers through which components park buffers and operations
// between the thread that receives them and the thread that handles them.
//
// TSLBufferListT / TSLBufferStampListT: locked lists of buffer copies (copies
// share the samples until one side writes), oldest first, with first-in and
// last-in removal. TSLBufferQueueT: a first-in first-out store of samples that
// takes buffers of any size and gives out buffers of the size the caller asks
// for. Each has one critical section that every operation takes, except
// GetVarItem, which the caller must guard when used from outside; so one thread
// may add while another pops.
//
// The containers are written over the buffer reference type TBuffer, a
// counted reference to a data buffer with MakeCopy, GetSize (items),
// GetByteSize, ByteRead and ByteModify; TSLBufferList, TSLBufferStampList and
// TSLBufferQueue are the ones over ISLDataBuffer.
//
// TSLOperationList: a queue of operations locked through a framework object's
// lock group (its owner's, or an object of its own).
#pragma once

#include <cstdint>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>

#include "framework/data/SLSimpleDataBuffer.h"
#include "framework/pins/OWPins_object.h"
#include "framework/pins/OWPins_types.h"
#include "platform/sys/Sync.h"

// ---------------------------------------------------------------------------
// Item records, owned by their list.

template <class TBuffer> struct TSLBufferWrapperT { TBuffer Buffer; };

template <class TBuffer> struct TSLBufferStampWrapperT : TSLBufferWrapperT<TBuffer> {
  int64_t Stamp1 = 0;
  int64_t Stamp2 = 0;
};

// The list core the two buffer lists share: a locked deque of item records.
template <class TItem> class TSLLockedItemList {
public:
  TSLLockedItemList() = default;
  TSLLockedItemList(const TSLLockedItemList &) = delete;
  TSLLockedItemList &operator=(const TSLLockedItemList &) = delete;

  // Removes the item at Index (its buffer reference is released); an index
  // outside the list changes nothing.
  void Delete(int Index) {
    std::lock_guard<sys::TCriticalSection> lock(section_);
    if (Index >= 0 && static_cast<size_t>(Index) < items_.size())
      items_.erase(items_.begin() + Index);
  }
  void Clear() {
    std::deque<TItem> released;
    std::lock_guard<sys::TCriticalSection> lock(section_);
    released.swap(items_);
  }
  int GetCount() const {
    std::lock_guard<sys::TCriticalSection> lock(section_);
    return static_cast<int>(items_.size());
  }
  bool HasData() const { return GetCount() > 0; }

protected:
  // Item at Index, or null for an index outside the list. Takes no lock.
  TItem *ItemAt(int Index) {
    return Index >= 0 && static_cast<size_t>(Index) < items_.size()
               ? &items_[static_cast<size_t>(Index)]
               : nullptr;
  }
  // Takes the oldest (First) or newest item out; false when empty.
  bool PopItem(bool First, TItem &Item) {
    std::lock_guard<sys::TCriticalSection> lock(section_);
    if (items_.empty())
      return false;
    if (First) {
      Item = std::move(items_.front());
      items_.pop_front();
    } else {
      Item = std::move(items_.back());
      items_.pop_back();
    }
    return true;
  }

  mutable sys::TCriticalSection section_;
  std::deque<TItem> items_;
};

// ---------------------------------------------------------------------------

template <class TBuffer>
class TSLBufferListT : public TSLLockedItemList<TSLBufferWrapperT<TBuffer>> {
  using TItem = TSLBufferWrapperT<TBuffer>;

public:
  // Appends a copy of Buffer (MakeCopy) when Force is set or the list is
  // empty; otherwise Buffer is not stored. A null buffer is never stored.
  void Add(const TBuffer &Buffer, bool Force) {
    if (!Buffer)
      return;
    std::lock_guard<sys::TCriticalSection> lock(this->section_);
    if (Force || this->items_.empty())
      this->items_.push_back(TItem{Buffer->MakeCopy()});
  }
  // Give out the oldest (newest) stored buffer and remove it; false, with
  // Buffer unchanged, when the list is empty.
  bool PopFirst(TBuffer &Buffer) { return Pop(true, Buffer); }
  bool PopLast(TBuffer &Buffer) { return Pop(false, Buffer); }
  // The buffer at Index without removing it; false (Buffer unchanged) for an
  // index outside the list. Takes no lock.
  bool GetVarItem(int Index, TBuffer &Buffer) {
    TItem *item = this->ItemAt(Index);
    if (!item)
      return false;
    Buffer = item->Buffer;
    return true;
  }

private:
  bool Pop(bool First, TBuffer &Buffer) {
    TItem item;
    if (!this->PopItem(First, item))
      return false;
    Buffer = std::move(item.Buffer);
    return true;
  }
};

template <class TBuffer>
class TSLBufferStampListT : public TSLLockedItemList<TSLBufferStampWrapperT<TBuffer>> {
  using TItem = TSLBufferStampWrapperT<TBuffer>;

public:
  // Appends a copy of Buffer (MakeCopy) with the two stamps, always (a null
  // buffer is not stored).
  void Add(const TBuffer &Buffer, int64_t Stamp1, int64_t Stamp2) {
    if (!Buffer)
      return;
    TItem item;
    item.Buffer = Buffer->MakeCopy();
    item.Stamp1 = Stamp1;
    item.Stamp2 = Stamp2;
    std::lock_guard<sys::TCriticalSection> lock(this->section_);
    this->items_.push_back(std::move(item));
  }
  bool PopFirst(TBuffer &Buffer, int64_t &Stamp1, int64_t &Stamp2) {
    return Pop(true, Buffer, Stamp1, Stamp2);
  }
  bool PopLast(TBuffer &Buffer, int64_t &Stamp1, int64_t &Stamp2) {
    return Pop(false, Buffer, Stamp1, Stamp2);
  }
  bool GetVarItem(int Index, TBuffer &Buffer, int64_t &Stamp1, int64_t &Stamp2) {
    TItem *item = this->ItemAt(Index);
    if (!item)
      return false;
    Buffer = item->Buffer;
    Stamp1 = item->Stamp1;
    Stamp2 = item->Stamp2;
    return true;
  }

private:
  bool Pop(bool First, TBuffer &Buffer, int64_t &Stamp1, int64_t &Stamp2) {
    TItem item;
    if (!this->PopItem(First, item))
      return false;
    Buffer = std::move(item.Buffer);
    Stamp1 = item.Stamp1;
    Stamp2 = item.Stamp2;
    return true;
  }
};

// ---------------------------------------------------------------------------

// Holds the pushed buffers themselves (no copies): a producer that writes into
// a pushed buffer afterwards changes what is queued.
// Invariant: available = (items of all stored buffers) - read position.
template <class TBuffer> class TSLBufferQueueT {
public:
  TSLBufferQueueT() = default;
  TSLBufferQueueT(const TSLBufferQueueT &) = delete;
  TSLBufferQueueT &operator=(const TSLBufferQueueT &) = delete;

  void Push(const TBuffer &Buffer) {
    if (!Buffer)
      return;
    std::lock_guard<sys::TCriticalSection> lock(section_);
    items_.push_back(Buffer);
    available_ += Buffer->GetSize();
  }

  // Fills Buffer completely with the oldest stored items, crossing buffer
  // boundaries as needed; a stored buffer used up exactly is removed. False,
  // with nothing changed, when fewer items are stored than Buffer holds.
  // Offsets and counts are items, turned into bytes with each buffer's own
  // item size, so typed buffers are copied whole and not by their first bytes.
  // Stored buffers of another item size than Buffer's give each item the
  // bytes both sizes have in common.
  bool Pop(const TBuffer &Buffer) {
    if (!Buffer)
      return false;
    std::lock_guard<sys::TCriticalSection> lock(section_);
    const uint32_t n = Buffer->GetSize();
    if (n > available_)
      return false;
    if (n == 0)
      return true;
    uint8_t *dest = BytesOf(Buffer->ByteModify());
    const uint32_t destItem = ItemBytes(Buffer);
    uint32_t remaining = n, target = 0;
    while (remaining > 0) {
      const TBuffer &head = items_.front();
      const uint32_t headItem = ItemBytes(head);
      const uint32_t a = head->GetSize() - readPosition_;
      const uint32_t take = a > remaining ? remaining : a;
      CopyItems(BytesOf(head->ByteRead()) + static_cast<size_t>(readPosition_) * headItem, headItem,
                dest + static_cast<size_t>(target) * destItem, destItem, take);
      if (a > remaining) {
        readPosition_ += remaining;
        break;
      }
      items_.pop_front();
      remaining -= a;
      target += a;
      readPosition_ = 0;
    }
    available_ -= n;
    return true;
  }

  void Clear() {
    std::deque<TBuffer> released;
    std::lock_guard<sys::TCriticalSection> lock(section_);
    released.swap(items_);
    readPosition_ = 0;
    available_ = 0;
  }

  uint32_t GetAvailable() const {
    std::lock_guard<sys::TCriticalSection> lock(section_);
    return available_;
  }

private:
  template <class T> static uint8_t *BytesOf(T *p) {
    return static_cast<uint8_t *>(const_cast<void *>(static_cast<const void *>(p)));
  }
  // Copies count items from one buffer to another. Items of equal size are copied
  // whole; otherwise each item gets the bytes both sizes have in common, so
  // neither buffer is read or written past its end.
  static void CopyItems(const uint8_t *from, uint32_t fromItem, uint8_t *to, uint32_t toItem,
                        uint32_t count) {
    if (fromItem == toItem) {
      std::memcpy(to, from, static_cast<size_t>(count) * toItem);
      return;
    }
    const uint32_t common = fromItem < toItem ? fromItem : toItem;
    for (uint32_t i = 0; i < count; ++i)
      std::memcpy(to + static_cast<size_t>(i) * toItem, from + static_cast<size_t>(i) * fromItem,
                  common);
  }
  static uint32_t ItemBytes(const TBuffer &b) {
    const uint32_t items = b->GetSize();
    return items == 0 ? 1 : b->GetByteSize() / items;
  }

  mutable sys::TCriticalSection section_;
  std::deque<TBuffer> items_;
  uint32_t available_ = 0;
  uint32_t readPosition_ = 0;
};

using TSLBufferWrapper = TSLBufferWrapperT<ISLDataBufferPtr>;
using TSLBufferStampWrapper = TSLBufferStampWrapperT<ISLDataBufferPtr>;
using TSLBufferList = TSLBufferListT<ISLDataBufferPtr>;
using TSLBufferStampList = TSLBufferStampListT<ISLDataBufferPtr>;
using TSLBufferQueue = TSLBufferQueueT<ISLDataBufferPtr>;

// ---------------------------------------------------------------------------

// A framework object without additions: the lock of an operation list that was
// given no owner.
class TOWExposedObject final : public TOWObject {};

// An operation class of this unit; nothing creates it.
class TSLInternalStopOperation : public TOWNotifyOperation {};

// Every operation but ItemsCount runs between BeginWrite and EndWrite of the
// lock object, which is the owner's group lock when an owner was given: a
// component that passes its input pin as owner excludes queue operations while
// an operation is being delivered on that pin. Only the group lock is taken,
// never the global lock. Lock / Unlock hold the list across several calls
// (the group lock is re-entrant). Any thread.
class TSLOperationList {
public:
  explicit TSLOperationList(TOWObject *Owner = nullptr);
  ~TSLOperationList();
  TSLOperationList(const TSLOperationList &) = delete;
  TSLOperationList &operator=(const TSLOperationList &) = delete;

  void Lock() { lock_->BeginWrite(); }
  void Unlock() { lock_->EndWrite(); }

  // Appends at the tail; with LatestOnly, then drops from the head until only
  // the new operation is left. Returns the count.
  int Push(const IOWNotifyOperationPtr &Operation, bool LatestOnly);
  // Inserts at the head, so the operation is the next one popped. Returns the count.
  int PushBack(const IOWNotifyOperationPtr &Operation);
  // The head operation, removed; null when the list is empty.
  IOWNotifyOperationPtr Pop();
  // The head operation, left in place; null when the list is empty.
  IOWNotifyOperationPtr Peek();
  // Read between BeginRead and EndRead of the lock object.
  int ItemsCount();
  void Clear();

  TOWObject *GetLockObject() const { return lock_; }

private:
  std::unique_ptr<TOWExposedObject> ownLock_;
  TOWObject *const lock_;
  std::deque<IOWNotifyOperationPtr> operations_;
};
