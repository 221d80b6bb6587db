// The main thread's message queue. Other threads reach the main thread only
// through it: Post queues a call aimed at a target (a hidden window, a
// notifier) without blocking; the main thread runs the queued calls in posting
// order; a call whose target has been removed is dropped, also when it was
// queued before the removal; Shutdown discards whatever is still queued.
//
// Tests pump the queue by hand (RunPending, WaitAndRun). The program plugs it
// into its event loop through the wake hook: the hook is called after every
// post, on the posting thread, and is expected to schedule RunPending on the
// main thread (for instance with a queued call to a main-thread object).
//
// Post, AddTarget, RemoveTarget, Shutdown and the queries are safe from any
// thread; RunPending and WaitAndRun are for the main thread. Calls run without
// any lock of the queue held, so they may post and remove targets themselves.
// A target removed on another thread while its call is already running still
// finishes that one call.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <unordered_set>

namespace mainloop {

// Targets are named by ids that are never reused, so a stale post cannot reach
// a newer target that happens to live at the same address.
using TTargetId = uint64_t;

class TMainLoop {
public:
  // The main thread is the one that constructs the loop, until BindMainThread.
  TMainLoop();
  TMainLoop(const TMainLoop &) = delete;
  TMainLoop &operator=(const TMainLoop &) = delete;

  // The process's loop, the one hidden windows post to by default.
  static TMainLoop &Main();

  TTargetId AddTarget();
  // Later and still-queued calls for the target are dropped.
  void RemoveTarget(TTargetId target);
  bool HasTarget(TTargetId target) const;

  // Queues call for target. False, and nothing queued, when the target is
  // unknown or the loop has shut down.
  bool Post(TTargetId target, std::function<void()> call);

  // Runs the calls queued when it starts (calls they post wait for the next
  // run), at most maxCalls of them, and returns how many ran. An exception
  // from a call passes out; the calls behind it stay queued.
  size_t RunPending(size_t maxCalls = SIZE_MAX);
  // Waits up to timeout for a queued call, then runs the pending ones.
  // Returns how many ran.
  size_t WaitAndRun(std::chrono::milliseconds timeout);
  size_t PendingCount() const;

  // Discards the queue and refuses every later post.
  void Shutdown();
  bool IsShutDown() const;

  void BindMainThread();
  bool IsMainThread() const;

  // Called after every successful post, outside the queue's lock.
  void SetWakeHook(std::function<void()> hook);

private:
  struct TEntry {
    TTargetId target;
    std::function<void()> call;
  };

  mutable std::mutex m_; // guards everything below
  std::condition_variable posted_;
  std::deque<TEntry> queue_;
  std::unordered_set<TTargetId> targets_;
  TTargetId nextTarget_ = 1;
  bool shutDown_ = false;
  std::thread::id mainThread_;
  std::function<void()> wakeHook_;
};

} // namespace mainloop
