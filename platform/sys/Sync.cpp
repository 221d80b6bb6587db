#include "platform/sys/Sync.h"

namespace sys {

// Set, Release and Close notify while holding the mutex: a waiter that returns
// may destroy the object at once, and must not do so under a notify still in
// progress on the signalling thread.
void TEvent::Set() {
  std::lock_guard<std::mutex> lock(m_);
  set_ = true;
  if (reset_ == TEventReset::Manual)
    cv_.notify_all();
  else
    cv_.notify_one();
}

void TEvent::Reset() {
  std::lock_guard<std::mutex> lock(m_);
  set_ = false;
}

bool TEvent::Wait(std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> lock(m_);
  if (!cv_.wait_for(lock, timeout, [this] { return set_; }))
    return false;
  if (reset_ == TEventReset::Auto)
    set_ = false;
  return true;
}

void TEvent::Wait() {
  std::unique_lock<std::mutex> lock(m_);
  cv_.wait(lock, [this] { return set_; });
  if (reset_ == TEventReset::Auto)
    set_ = false;
}

bool TEvent::IsSet() const {
  std::lock_guard<std::mutex> lock(m_);
  return set_;
}

TSemaphore::TSemaphore(int32_t initialCount, int32_t maximumCount)
    : maximum_(maximumCount < 1 ? 1 : maximumCount),
      count_(initialCount < 0 ? 0 : (initialCount > maximum_ ? maximum_ : initialCount)) {}

bool TSemaphore::Release(int32_t count) {
  if (count < 1)
    return false;
  std::lock_guard<std::mutex> lock(m_);
  if (closed_ || count > maximum_ - count_)
    return false;
  count_ += count;
  if (count == 1)
    cv_.notify_one();
  else
    cv_.notify_all();
  return true;
}

bool TSemaphore::Wait(std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> lock(m_);
  if (!cv_.wait_for(lock, timeout, [this] { return closed_ || count_ > 0; }) || closed_)
    return false;
  --count_;
  return true;
}

bool TSemaphore::Wait() {
  std::unique_lock<std::mutex> lock(m_);
  cv_.wait(lock, [this] { return closed_ || count_ > 0; });
  if (closed_)
    return false;
  --count_;
  return true;
}

void TSemaphore::Close() {
  std::lock_guard<std::mutex> lock(m_);
  closed_ = true;
  cv_.notify_all();
}

int32_t TSemaphore::Count() const {
  std::lock_guard<std::mutex> lock(m_);
  return count_;
}

} // namespace sys
