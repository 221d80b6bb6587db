#include "platform/sys/Sync.h"

namespace sys {

void TEvent::Set() {
  {
    std::lock_guard<std::mutex> lock(m_);
    set_ = true;
  }
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

} // namespace sys
