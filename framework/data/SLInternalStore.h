// Buffer pool and shared stores.
//
// Every sample buffer keeps its samples in a store: a reference-counted
// container that several buffer objects share until one of them writes
// (copy-on-write, see SLSimpleDataBuffer.h). Store memory comes from one
// process-wide pool that keeps freed blocks by their exact byte size and hands
// the most recently freed block of a size out first, so a stream of equally
// sized buffers stops touching the heap after its first few buffers.
//
// Pool (SLBufferAllocate, SLBufferDeallocate, SLMemoryCleanUp): any thread; one
// mutex guards every list, and is held during a fresh heap allocation. Blocks
// are 32-byte aligned and carry no header: the caller gives the size back.
//
// Stores: a store's lock guards its owner and transport counts; AddReff,
// RemoveReff, RemoveOwnerShip and SingleOwner may run on any thread. The buffer
// number and its flag are read and written without the lock (atomics).
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/classlib/Exceptions.h"
#include "platform/sys/Sync.h"

// Live stores (diagnostics only): every store constructor increments it, every
// destructor decrements it.
extern std::atomic<int32_t> _SLCountStores;

// The largest data block a store holds, and so the largest byte size of a
// buffer.
inline constexpr uint32_t SLMaxStoreSize = 1u << 30;

// Memory for a store or its data could not be taken.
class EOutOfMemory : public Exception {
public:
  EOutOfMemory() : Exception("Out of memory") {}
  using Exception::Exception;
};

// A block of exactly Size bytes; null for Size 0 or when the heap is exhausted.
void *SLBufferAllocate(uint32_t Size);
// Gives a block back to the free list of its size. A block whose size has no
// list (it was taken before SLMemoryCleanUp) goes back to the heap.
void SLBufferDeallocate(void *Block, uint32_t Size);
// Frees every block the pool keeps; blocks in use are untouched.
void SLMemoryCleanUp();

// Pool diagnostics for tests: the number of size lists, and the number of free
// blocks kept for one size (0 when the size has no list).
int SLPoolListCount();
int SLPoolFreeBlockCount(uint32_t Size);

// The free list of one block size. Owned by the pool; used under its lock.
class TSLSmartBufferList {
public:
  explicit TSLSmartBufferList(uint32_t Size) : Size(Size) {}
  TSLSmartBufferList(const TSLSmartBufferList &) = delete;
  TSLSmartBufferList &operator=(const TSLSmartBufferList &) = delete;
  // Frees every kept block.
  ~TSLSmartBufferList();

  // The last freed block, or a fresh one when none is kept.
  void *Take();
  void Put(void *Block) { Free.push_back(Block); }

  const uint32_t Size;
  std::vector<void *> Free;
};

// The shared, reference-counted store. The transport count is the number of
// references that keep the store alive (every buffer using it holds one); the
// owner count is how many of those also claim the right to write in place.
// The store destroys itself when its last transport goes. Created with both
// counts 0: the first holder calls AddReff.
class TSLSmartBuffer {
public:
  TSLSmartBuffer();
  // Takes nothing from Other (neither counts nor buffer number): descendants
  // call it first and then copy what they hold.
  TSLSmartBuffer(const TSLSmartBuffer &Other, bool CopyData);
  TSLSmartBuffer &operator=(const TSLSmartBuffer &) = delete;
  virtual ~TSLSmartBuffer();

  // All four enter or leave the one critical section.
  void EnterRead() { lock_.Enter(); }
  void LeaveRead() { lock_.Leave(); }
  void EnterWrite() { lock_.Enter(); }
  void LeaveWrite() { lock_.Leave(); }

  virtual void AddReff(bool Owner);
  // May destroy the store (when the transport count reaches 0): the caller
  // must not touch it afterwards.
  virtual void RemoveReff(bool Owner);
  virtual void RemoveOwnerShip();
  // True while fewer than two owners exist: only then may a holder write the
  // store in place.
  virtual bool SingleOwner();
  // A new store of the same class with its counts at 0; the caller takes its
  // references. The base copies nothing.
  virtual TSLSmartBuffer *Clone(bool CopyData);

  bool GetBufferNumberAvailable() const {
    return bufferNumberAvailable_.load(std::memory_order_relaxed);
  }
  void SetBufferNumberAvailable(bool Value) {
    bufferNumberAvailable_.store(Value, std::memory_order_relaxed);
  }
  int64_t GetBufferNumber() const { return bufferNumber_.load(std::memory_order_relaxed); }
  void SetBufferNumber(int64_t Value) { bufferNumber_.store(Value, std::memory_order_relaxed); }

  // The block size for a requested data size: the smallest power of two from
  // 4 to 2^30 that holds it (2^30 for anything larger).
  static uint32_t CalculateAllocationSize(uint32_t Size);

  // Counts, read under the lock (diagnostics and tests).
  int32_t OwnerCount();
  int32_t TransportCount();

private:
  int32_t ownerCount_ = 0;
  int32_t transportCount_ = 0;
  sys::TCriticalSection lock_;
  std::atomic<bool> bufferNumberAvailable_{false};
  std::atomic<int64_t> bufferNumber_{0};
};

// Allocates the instance memory of a store class from the pool (a block of the
// instance's exact size) instead of the heap. Throws EOutOfMemory.
struct TSLPoolAllocated {
  static void *operator new(size_t Size);
  static void operator delete(void *Block, size_t Size) noexcept;
};

// The data block of a store: one pool block of the power-of-two class size,
// given back to the pool when the holder goes. Shared by the memory store and
// the audio store.
class TSLStoreBlock {
public:
  // A block for Size bytes, contents not initialised (a reused block holds old
  // data); then, when Data is not null, its first Size bytes are copied.
  // ERangeError when Size exceeds SLMaxStoreSize; EOutOfMemory when the pool
  // has no memory.
  TSLStoreBlock(const void *Data, uint32_t Size);
  // A fresh block of Other's allocated size with Other's first CopyBytes bytes.
  TSLStoreBlock(const TSLStoreBlock &Other, uint32_t CopyBytes);
  TSLStoreBlock &operator=(const TSLStoreBlock &) = delete;
  ~TSLStoreBlock();

  uint8_t *GetRawData() const { return rawData_; }
  uint32_t GetAllocatedSize() const { return allocatedSize_; }
  // Copies min(Other's, own allocated size) bytes to the start of this block.
  void CopyFrom(const TSLStoreBlock &Other);

private:
  uint32_t allocatedSize_;
  uint8_t *rawData_;
};

// The plain memory store: one pool block of a power-of-two size.
class TSLSmartMemoryBuffer : public TSLSmartBuffer, public TSLPoolAllocated {
public:
  using TSLPoolAllocated::operator new;
  using TSLPoolAllocated::operator delete;

  // A block for Size bytes, contents not initialised.
  explicit TSLSmartMemoryBuffer(uint32_t Size) : block_(nullptr, Size) {}
  // As above; then, when Data is not null, its first Size bytes are copied.
  TSLSmartMemoryBuffer(const void *Data, uint32_t Size) : block_(Data, Size) {}
  // A fresh block of Other's allocated size; the whole block copied when
  // CopyData is true.
  TSLSmartMemoryBuffer(const TSLSmartMemoryBuffer &Other, bool CopyData)
      : TSLSmartBuffer(Other, CopyData),
        block_(Other.block_, CopyData ? Other.GetAllocatedSize() : 0) {}

  uint8_t *GetRawData() const { return block_.GetRawData(); }
  uint32_t GetAllocatedSize() const { return block_.GetAllocatedSize(); }
  void CopyFrom(const TSLSmartMemoryBuffer &Other) { block_.CopyFrom(Other.block_); }
  TSLSmartMemoryBuffer *Clone(bool CopyData) override {
    return new TSLSmartMemoryBuffer(*this, CopyData);
  }
  static void ReleaseMemory() { SLMemoryCleanUp(); }

private:
  TSLStoreBlock block_;
};

// Throws ERangeError when a store of Size bytes was asked for beyond
// SLMaxStoreSize; shared by the stores and the buffers that size them.
void SLCheckStoreSize(uint64_t Size);
