// Kernel synchronisation objects of the platform, over the C++ standard library.
//
// TCriticalSection is recursive (the owning thread may enter again), as the
// framework's lock groups and buffer queues rely on. TEvent is a manual- or
// auto-reset event; Set calls on an auto-reset event that nobody has consumed
// yet coalesce into one wake-up. TSemaphore is a counting semaphore with a
// maximum. All members are safe to call from any thread.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

namespace sys {

class TCriticalSection {
public:
  TCriticalSection() = default;
  TCriticalSection(const TCriticalSection &) = delete;
  TCriticalSection &operator=(const TCriticalSection &) = delete;

  void Enter() { m_.lock(); }
  bool TryEnter() { return m_.try_lock(); }
  void Leave() { m_.unlock(); }

  // BasicLockable, so std::lock_guard / std::unique_lock work on it.
  void lock() { Enter(); }
  bool try_lock() { return TryEnter(); }
  void unlock() { Leave(); }

private:
  std::recursive_mutex m_;
};

using TCriticalSectionLock = std::lock_guard<TCriticalSection>;

enum class TEventReset { Manual, Auto };

class TEvent {
public:
  explicit TEvent(TEventReset reset = TEventReset::Auto, bool initiallySet = false)
      : reset_(reset), set_(initiallySet) {}
  TEvent(const TEvent &) = delete;
  TEvent &operator=(const TEvent &) = delete;

  void Set();
  void Reset();
  // Waits until the event is set; an auto-reset event is cleared by the wait
  // that consumes it. Returns false on time-out.
  bool Wait(std::chrono::milliseconds timeout);
  void Wait();
  bool IsSet() const;

private:
  const TEventReset reset_;
  mutable std::mutex m_;
  std::condition_variable cv_;
  bool set_;
};

// Counting semaphore with a maximum count. A release that would take the count
// past the maximum fails and changes nothing (std::counting_semaphore makes
// that undefined, hence our own). Close wakes every waiter and makes every wait,
// then and later, fail at once: an owner that goes away while a thread waits
// on its semaphore uses it to send that thread home.
class TSemaphore {
public:
  TSemaphore(int32_t initialCount, int32_t maximumCount);
  TSemaphore(const TSemaphore &) = delete;
  TSemaphore &operator=(const TSemaphore &) = delete;

  // Adds count (at least 1). False, with the count unchanged, when the
  // result would exceed the maximum or the semaphore is closed.
  bool Release(int32_t count = 1);
  // Takes one unit, waiting while the count is 0. False on time-out or when
  // the semaphore is (or becomes) closed.
  bool Wait(std::chrono::milliseconds timeout);
  bool Wait();
  bool TryWait() { return Wait(std::chrono::milliseconds(0)); }
  void Close();
  int32_t Count() const;
  int32_t Maximum() const { return maximum_; }

private:
  const int32_t maximum_;
  mutable std::mutex m_;
  std::condition_variable cv_;
  int32_t count_;
  bool closed_ = false;
};

// Interlocked counters return the new value, as the platform's do.
inline int32_t InterlockedIncrement(std::atomic<int32_t> &v) { return v.fetch_add(1) + 1; }
inline int32_t InterlockedDecrement(std::atomic<int32_t> &v) { return v.fetch_sub(1) - 1; }
inline int64_t InterlockedIncrement(std::atomic<int64_t> &v) { return v.fetch_add(1) + 1; }
inline int64_t InterlockedDecrement(std::atomic<int64_t> &v) { return v.fetch_sub(1) - 1; }

} // namespace sys
