#include "directshow/Dsbufferqueue.h"

#include <cstdlib>
#include <cstring>
#include <mutex>

bool TVLDSBufferQueue::Add(int64_t startTime, int64_t stopTime, const void *data, int32_t length) {
  if (length < 0 || (length > 0 && data == nullptr))
    return false;
  // Allocated before the lock, so the streaming thread holds it only for the copy.
  void *memory = std::malloc(sizeof(TVLDSBufferQueueNodeHeader) + static_cast<size_t>(length));
  if (memory == nullptr)
    return false;
  auto *block = static_cast<TVLDSBufferQueueNodeHeader *>(memory);
  std::lock_guard lock(lock_);
  block->Next = nullptr;
  block->MemoryHandle = memory;
  block->Length = length;
  block->StartTime = startTime;
  block->StopTime = stopTime;
  if (length > 0)
    std::memcpy(block->Data(), data, static_cast<size_t>(length));
  if (tail_ == nullptr) {
    tail_ = block;
    head_.store(block, std::memory_order_release);
  } else {
    tail_->Next = block;
    tail_ = block;
  }
  return true;
}

TVLDSBufferQueueNodeHeader *TVLDSBufferQueue::Get() {
  std::lock_guard lock(lock_);
  TVLDSBufferQueueNodeHeader *block = head_.load(std::memory_order_relaxed);
  if (block == nullptr)
    return nullptr;
  head_.store(block->Next, std::memory_order_release);
  if (block->Next == nullptr)
    tail_ = nullptr;
  block->Next = nullptr;
  return block;
}

void TVLDSBufferQueue::DestroyBlock(TVLDSBufferQueueNodeHeader *block) {
  if (block == nullptr)
    return;
  std::lock_guard lock(lock_);
  std::free(block->MemoryHandle);
}

void TVLDSBufferQueue::Clear() {
  std::lock_guard lock(lock_);
  while (TVLDSBufferQueueNodeHeader *block = Get())
    DestroyBlock(block);
}
