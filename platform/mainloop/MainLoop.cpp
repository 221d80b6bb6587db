#include "platform/mainloop/MainLoop.h"

#include <algorithm>

namespace mainloop {

TMainLoop::TMainLoop() : mainThread_(std::this_thread::get_id()) {}

TMainLoop &TMainLoop::Main() {
  // Never destroyed: hidden windows that live in other static objects may
  // still remove themselves from it while the process exits.
  static TMainLoop &loop = *new TMainLoop;
  return loop;
}

TTargetId TMainLoop::AddTarget() {
  std::lock_guard<std::mutex> lock(m_);
  TTargetId id = nextTarget_++;
  targets_.insert(id);
  return id;
}

void TMainLoop::RemoveTarget(TTargetId target) {
  std::deque<TEntry> dropped;
  {
    std::lock_guard<std::mutex> lock(m_);
    targets_.erase(target);
    // The calls go now, so nothing they hold outlives their target.
    std::deque<TEntry> kept;
    for (TEntry &e : queue_)
      (e.target == target ? dropped : kept).push_back(std::move(e));
    queue_.swap(kept);
  }
  // dropped is destroyed outside the lock: the calls' captures may release
  // objects that post or remove targets.
}

bool TMainLoop::HasTarget(TTargetId target) const {
  std::lock_guard<std::mutex> lock(m_);
  return targets_.count(target) != 0;
}

bool TMainLoop::Post(TTargetId target, std::function<void()> call) {
  std::function<void()> hook;
  {
    std::lock_guard<std::mutex> lock(m_);
    if (shutDown_ || !call || targets_.count(target) == 0)
      return false;
    queue_.push_back(TEntry{target, std::move(call)});
    hook = wakeHook_;
    posted_.notify_all();
  }
  if (hook)
    hook();
  return true;
}

size_t TMainLoop::RunPending(size_t maxCalls) {
  size_t budget;
  {
    std::lock_guard<std::mutex> lock(m_);
    budget = std::min(queue_.size(), maxCalls);
  }
  size_t ran = 0;
  while (budget-- > 0) {
    std::function<void()> call;
    {
      std::lock_guard<std::mutex> lock(m_);
      // Entries of removed targets were taken out by RemoveTarget, and
      // Shutdown empties the queue, so whatever is at the head is live.
      if (queue_.empty())
        break;
      call = std::move(queue_.front().call);
      queue_.pop_front();
    }
    ++ran;
    call();
  }
  return ran;
}

size_t TMainLoop::WaitAndRun(std::chrono::milliseconds timeout) {
  {
    std::unique_lock<std::mutex> lock(m_);
    posted_.wait_for(lock, timeout, [this] { return !queue_.empty() || shutDown_; });
  }
  return RunPending();
}

size_t TMainLoop::PendingCount() const {
  std::lock_guard<std::mutex> lock(m_);
  return queue_.size();
}

void TMainLoop::Shutdown() {
  std::deque<TEntry> discarded;
  {
    std::lock_guard<std::mutex> lock(m_);
    shutDown_ = true;
    discarded.swap(queue_);
    posted_.notify_all();
  }
  // discarded is destroyed outside the lock, as in RemoveTarget.
}

bool TMainLoop::IsShutDown() const {
  std::lock_guard<std::mutex> lock(m_);
  return shutDown_;
}

void TMainLoop::BindMainThread() {
  std::lock_guard<std::mutex> lock(m_);
  mainThread_ = std::this_thread::get_id();
}

bool TMainLoop::IsMainThread() const {
  std::lock_guard<std::mutex> lock(m_);
  return mainThread_ == std::this_thread::get_id();
}

void TMainLoop::SetWakeHook(std::function<void()> hook) {
  std::lock_guard<std::mutex> lock(m_);
  wakeHook_ = std::move(hook);
}

} // namespace mainloop
