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
// PostLater queues a call that only a display shows (a meter, a position), so
// it need not cost the main thread a wake-up of its own: it runs with the next
// run of the queue, which another post or anything else waking the main thread
// brings, and at the latest once its delay has passed. The program's loop learns
// when that is through the due hook and keeps a timer for it; without a due
// hook a later call wakes the loop like any other.
//
// Post, PostLater, AddTarget, RemoveTarget, Shutdown and the queries are safe from any
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

// How long a later call for a display may wait for a wake-up to go with: one
// frame of the program's displays (scope, meters, positions), which show ten
// a second.
inline constexpr std::chrono::milliseconds DisplayDelay{100};

class TMainLoop {
public:
  using TClock = std::chrono::steady_clock;

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
  // Queues call for target in posting order with every other call, to run
  // within the given delay (see above). False as for Post.
  bool PostLater(TTargetId target, std::function<void()> call, std::chrono::milliseconds within);

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
  // Told when the queued later calls must run by, whenever that becomes
  // earlier, and TClock::time_point::max() once none is queued. Called on the
  // thread that changes it, under the queue's lock: it must not call the loop.
  void SetDueHook(std::function<void(TClock::time_point)> hook);

private:
  struct TEntry {
    TTargetId target;
    std::function<void()> call;
    bool later = false;
    TClock::time_point due{}; // of a later entry
  };

  bool Queue(TTargetId target, std::function<void()> call, bool later, TClock::time_point due);
  // After later entries left the queue: the due time goes with the last one,
  // and is told again for those left (the timer may have fired for it).
  void LaterEntriesLeftLocked(size_t count);

  mutable std::mutex m_; // guards everything below
  std::condition_variable posted_;
  std::deque<TEntry> queue_;
  std::unordered_set<TTargetId> targets_;
  TTargetId nextTarget_ = 1;
  bool shutDown_ = false;
  std::thread::id mainThread_;
  std::function<void()> wakeHook_;
  std::function<void(TClock::time_point)> dueHook_;
  size_t laterCount_ = 0; // later entries in queue_
  TClock::time_point due_ = TClock::time_point::max();
};

} // namespace mainloop
