#include "framework/data/SLInternalStore.h"

#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <unordered_map>

#include "framework/dispatch/IppMalloc.h"

std::atomic<int32_t> _SLCountStores{0};

// ---------------------------------------------------------------------------
// Pool

namespace {

// The one pool of the process. Its lists live until cleanup or the end of the
// program; the mutex guards the map and every list in it.
class TSLSmartBufferManager {
public:
  ~TSLSmartBufferManager() { CleanUp(); }

  void *Allocate(uint32_t Size) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::unique_ptr<TSLSmartBufferList> &list = lists_[Size];
    if (!list)
      list = std::make_unique<TSLSmartBufferList>(Size);
    return list->Take();
  }

  void Deallocate(void *Block, uint32_t Size) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      auto it = lists_.find(Size);
      if (it != lists_.end()) {
        it->second->Put(Block);
        return;
      }
    }
    // Taken before a cleanup: no list keeps it, so it would never be seen again.
    dispatch::_ippFree(Block);
  }

  void CleanUp() {
    std::unordered_map<uint32_t, std::unique_ptr<TSLSmartBufferList>> dropped;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      dropped.swap(lists_);
    }
  }

  int ListCount() {
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<int>(lists_.size());
  }

  int FreeBlockCount(uint32_t Size) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = lists_.find(Size);
    return it == lists_.end() ? 0 : static_cast<int>(it->second->Free.size());
  }

private:
  std::mutex mutex_;
  std::unordered_map<uint32_t, std::unique_ptr<TSLSmartBufferList>> lists_;
};

// Made on first use, so it exists before any store that could outlive it.
TSLSmartBufferManager &Manager() {
  static TSLSmartBufferManager manager;
  return manager;
}

} // namespace

TSLSmartBufferList::~TSLSmartBufferList() {
  for (void *block : Free)
    dispatch::_ippFree(block);
}

void *TSLSmartBufferList::Take() {
  if (Free.empty())
    return dispatch::_ippMalloc(static_cast<int>(Size)); // null when out of memory
  void *block = Free.back();
  Free.pop_back();
  return block;
}

void *SLBufferAllocate(uint32_t Size) {
  if (Size == 0 || Size > static_cast<uint32_t>(INT32_MAX))
    return nullptr;
  return Manager().Allocate(Size);
}

void SLBufferDeallocate(void *Block, uint32_t Size) {
  if (Block == nullptr)
    return;
  Manager().Deallocate(Block, Size);
}

void SLMemoryCleanUp() { Manager().CleanUp(); }

int SLPoolListCount() { return Manager().ListCount(); }

int SLPoolFreeBlockCount(uint32_t Size) { return Manager().FreeBlockCount(Size); }

void SLCheckStoreSize(uint64_t Size) {
  if (Size > SLMaxStoreSize)
    throw ERangeError(
        Format("Buffer size out of range = %llu", static_cast<unsigned long long>(Size)));
}

// ---------------------------------------------------------------------------
// TSLSmartBuffer

TSLSmartBuffer::TSLSmartBuffer() { sys::InterlockedIncrement(_SLCountStores); }

TSLSmartBuffer::TSLSmartBuffer(const TSLSmartBuffer &, bool) : TSLSmartBuffer() {}

TSLSmartBuffer::~TSLSmartBuffer() { sys::InterlockedDecrement(_SLCountStores); }

void TSLSmartBuffer::AddReff(bool Owner) {
  std::lock_guard<sys::TCriticalSection> lock(lock_);
  if (Owner)
    ++ownerCount_;
  ++transportCount_;
}

void TSLSmartBuffer::RemoveReff(bool Owner) {
  bool destroy = false;
  {
    std::lock_guard<sys::TCriticalSection> lock(lock_);
    if (Owner && ownerCount_ > 0)
      --ownerCount_;
    if (transportCount_ > 0) {
      --transportCount_;
      destroy = transportCount_ == 0;
    }
  }
  if (destroy)
    delete this;
}

void TSLSmartBuffer::RemoveOwnerShip() {
  std::lock_guard<sys::TCriticalSection> lock(lock_);
  if (ownerCount_ > 0)
    --ownerCount_;
}

bool TSLSmartBuffer::SingleOwner() {
  std::lock_guard<sys::TCriticalSection> lock(lock_);
  return ownerCount_ < 2;
}

TSLSmartBuffer *TSLSmartBuffer::Clone(bool CopyData) { return new TSLSmartBuffer(*this, CopyData); }

uint32_t TSLSmartBuffer::CalculateAllocationSize(uint32_t Size) {
  for (uint32_t k = 2; k <= 30; ++k) {
    const uint32_t block = 1u << k;
    if (block >= Size)
      return block;
  }
  return SLMaxStoreSize;
}

int32_t TSLSmartBuffer::OwnerCount() {
  std::lock_guard<sys::TCriticalSection> lock(lock_);
  return ownerCount_;
}

int32_t TSLSmartBuffer::TransportCount() {
  std::lock_guard<sys::TCriticalSection> lock(lock_);
  return transportCount_;
}

// ---------------------------------------------------------------------------
// Pool-allocated instances

void *TSLPoolAllocated::operator new(size_t Size) {
  void *block = SLBufferAllocate(static_cast<uint32_t>(Size));
  if (block == nullptr)
    throw EOutOfMemory();
  return block;
}

void TSLPoolAllocated::operator delete(void *Block, size_t Size) noexcept {
  SLBufferDeallocate(Block, static_cast<uint32_t>(Size));
}

// ---------------------------------------------------------------------------
// TSLStoreBlock

namespace {
uint8_t *AllocateStoreBlock(uint32_t AllocatedSize) {
  void *block = SLBufferAllocate(AllocatedSize);
  if (block == nullptr)
    throw EOutOfMemory();
  return static_cast<uint8_t *>(block);
}
} // namespace

TSLStoreBlock::TSLStoreBlock(const void *Data, uint32_t Size)
    : allocatedSize_(TSLSmartBuffer::CalculateAllocationSize(Size)), rawData_(nullptr) {
  // A larger request would get a 2^30 block while its holder counts more.
  SLCheckStoreSize(Size);
  rawData_ = AllocateStoreBlock(allocatedSize_);
  if (Data != nullptr && Size > 0)
    std::memcpy(rawData_, Data, Size);
}

TSLStoreBlock::TSLStoreBlock(const TSLStoreBlock &Other, uint32_t CopyBytes)
    : allocatedSize_(Other.allocatedSize_), rawData_(AllocateStoreBlock(Other.allocatedSize_)) {
  if (CopyBytes > 0)
    std::memcpy(rawData_, Other.rawData_, CopyBytes < allocatedSize_ ? CopyBytes : allocatedSize_);
}

TSLStoreBlock::~TSLStoreBlock() {
  if (rawData_ != nullptr) {
    SLBufferDeallocate(rawData_, allocatedSize_);
    rawData_ = nullptr;
  }
}

void TSLStoreBlock::CopyFrom(const TSLStoreBlock &Other) {
  const uint32_t n = Other.allocatedSize_ < allocatedSize_ ? Other.allocatedSize_ : allocatedSize_;
  if (&Other != this)
    std::memcpy(rawData_, Other.rawData_, n);
}
