// A highest-priority thread that runs one callback per wake-up: the common
// core of the notify thread and the stand-alone clock threads.
//
// Wakes are either counted (each Wake runs the callback once more; at most
// maxWakes wait, further ones are refused and lost) or coalesced (any number of
// Wakes made while the callback runs, or before the thread waits again, lead to
// exactly one further run). A semaphore whose maximum is 1 coalesces exactly as
// an auto-reset event does, so one primitive serves both kinds.
//
// Wake may be called from any thread at any time while the object exists and
// takes no lock beyond the semaphore's own. The callback runs only on the
// thread, never twice at once, with Sender = the thread object. An exception
// raised by the callback is swallowed and the thread goes on waiting, so one
// failed run does not silently stop every later one.
//
// Terminate (and the destructor) ends the thread after the callback that may be
// running has returned; called on the thread itself it only marks the thread.
// A callback must therefore never wait for the thread that destroys it.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/sys/Sync.h"
#include "platform/sys/Thread.h"

class TSLCallbackThread : public sys::TThread {
public:
  using TCallback = std::function<void(sys::TThread *Sender)>;

  ~TSLCallbackThread() override;

  // Sets the terminated flag, wakes the thread and waits without time limit
  // until it has ended.
  void Terminate() override;

  // The semaphore whose releases wake the thread, for a platform clock's
  // AdvisePeriodic: each release the clock makes runs the callback once more.
  sys::TSemaphore *WakeSemaphore() { return &wakes_; }

protected:
  enum class TWakes { Counted, Coalesced };

  // Derived classes start the thread (Start) at the end of their own
  // constructor and call Terminate in their destructor, so the thread never
  // sees a half-built or half-destroyed object.
  TSLCallbackThread(TCallback callback, TWakes wakes, int32_t maxWakes);

  // False when a counted wake was refused because maxWakes were waiting
  // (the failure is otherwise ignored, as the callers do).
  bool Wake() { return wakes_.Release(); }

private:
  void Execute() final;

  const TCallback callback_;
  sys::TSemaphore wakes_;
};
