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
    size_t later = 0;
    for (TEntry &e : queue_) {
      later += e.target == target && e.later;
      (e.target == target ? dropped : kept).push_back(std::move(e));
    }
    queue_.swap(kept);
    LaterEntriesLeftLocked(later);
  }
  // dropped is destroyed outside the lock: the calls' captures may release
  // objects that post or remove targets.
}

bool TMainLoop::HasTarget(TTargetId target) const {
  std::lock_guard<std::mutex> lock(m_);
  return targets_.count(target) != 0;
}

bool TMainLoop::Post(TTargetId target, std::function<void()> call) {
  return Queue(target, std::move(call), false, {});
}

bool TMainLoop::PostLater(TTargetId target, std::function<void()> call,
                          std::chrono::milliseconds within) {
  return Queue(target, std::move(call), true, TClock::now() + within);
}

bool TMainLoop::Queue(TTargetId target, std::function<void()> call, bool later,
                      TClock::time_point due) {
  std::function<void()> hook;
  {
    std::lock_guard<std::mutex> lock(m_);
    if (shutDown_ || !call || targets_.count(target) == 0)
      return false;
    later = later && dueHook_;
    queue_.push_back(TEntry{target, std::move(call), later, due});
    if (later) {
      ++laterCount_;
      if (due < due_) {
        due_ = due;
        dueHook_(due_);
      }
    } else {
      hook = wakeHook_;
    }
    posted_.notify_all();
  }
  if (hook)
    hook();
  return true;
}

void TMainLoop::LaterEntriesLeftLocked(size_t count) {
  if (count == 0)
    return;
  laterCount_ -= count;
  due_ = TClock::time_point::max();
  for (const TEntry &e : queue_)
    if (e.later)
      due_ = std::min(due_, e.due);
  // Later entries exist only while a due hook does (SetDueHook(nullptr) turns
  // them into ordinary ones).
  dueHook_(due_);
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
      const bool later = queue_.front().later;
      queue_.pop_front();
      LaterEntriesLeftLocked(later ? 1 : 0);
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
    LaterEntriesLeftLocked(laterCount_);
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

void TMainLoop::SetDueHook(std::function<void(TClock::time_point)> hook) {
  std::function<void()> wake;
  {
    std::lock_guard<std::mutex> lock(m_);
    dueHook_ = std::move(hook);
    if (laterCount_ == 0)
      return;
    if (dueHook_) {
      dueHook_(due_);
      return;
    }
    // No one keeps the time any more: what waits is posted as usual.
    for (TEntry &e : queue_)
      e.later = false;
    laterCount_ = 0;
    due_ = TClock::time_point::max();
    wake = wakeHook_;
  }
  if (wake)
    wake();
}

} // namespace mainloop
