// A locked first-in-first-out queue of copied capture blocks: the sample
// grabber's callback copies each sample's bytes and times in on the graph's
// streaming thread; the capture component's notify thread takes them out.
//
// Threads and locks: Add runs on the streaming thread, Get and DestroyBlock on
// the notify thread, Clear on the thread that starts or stops the graph. One
// re-entrant critical section guards the links, the filling and the freeing;
// the block's bytes are copied inside it, so Get never sees a block half
// written. HasData reads one pointer without the lock and is only a hint.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "platform/sys/Sync.h"

// The header in front of every queued block's data; one allocation holds both
// (allocation size = sizeof header + Length).
struct TVLDSBufferQueueNodeHeader {
  TVLDSBufferQueueNodeHeader *Next;
  void *MemoryHandle; // the allocation this very block lives in
  int32_t Length;     // data bytes after the header
  int64_t StartTime;  // 100 ns, as the sample reported it
  int64_t StopTime;
  // The data bytes, directly behind the header.
  uint8_t *Data() { return reinterpret_cast<uint8_t *>(this + 1); }
  const uint8_t *Data() const { return reinterpret_cast<const uint8_t *>(this + 1); }
};

class TVLDSBufferQueue {
public:
  TVLDSBufferQueue() = default;
  // Does not free queued blocks: the owner calls Clear first.
  ~TVLDSBufferQueue() = default;
  TVLDSBufferQueue(const TVLDSBufferQueue &) = delete;
  TVLDSBufferQueue &operator=(const TVLDSBufferQueue &) = delete;

  // Appends a copy of length bytes with the two times. A sample of length 0
  // still queues a block. False, and nothing queued, when the memory cannot
  // be had or length is negative (or data is null with a positive length):
  // the streaming thread has nobody to report to, so the sample is dropped.
  bool Add(int64_t startTime, int64_t stopTime, const void *data, int32_t length);
  // Unlinks and answers the first block, or null when the queue is empty. The
  // block belongs to the caller until it hands it to DestroyBlock.
  TVLDSBufferQueueNodeHeader *Get();
  // Frees a block taken with Get; null is ignored.
  void DestroyBlock(TVLDSBufferQueueNodeHeader *block);
  bool HasData() const { return head_.load(std::memory_order_relaxed) != nullptr; }
  // Frees every queued block.
  void Clear();

private:
  sys::TCriticalSection lock_;
  std::atomic<TVLDSBufferQueueNodeHeader *> head_{nullptr};
  TVLDSBufferQueueNodeHeader *tail_ = nullptr;
};

// A block taken with Get, handed back to its queue's DestroyBlock when the
// owner lets go of it on whatever path.
struct TVLDSBlockDestroyer {
  TVLDSBufferQueue *queue;
  void operator()(TVLDSBufferQueueNodeHeader *block) const { queue->DestroyBlock(block); }
};
using TVLDSOwnedBlock = std::unique_ptr<TVLDSBufferQueueNodeHeader, TVLDSBlockDestroyer>;
