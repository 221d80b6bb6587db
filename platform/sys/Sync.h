// Kernel synchronisation objects of the platform, over the C++ standard library.
//
// TCriticalSection is recursive (the owning thread may enter again), as the
// framework's lock groups and buffer queues rely on. TEvent is a manual- or
// auto-reset event. All members are safe to call from any thread.
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

using TThreadId = std::thread::id;
inline TThreadId CurrentThreadId() { return std::this_thread::get_id(); }

// Interlocked counters return the new value, as the platform's do.
inline int32_t InterlockedIncrement(std::atomic<int32_t> &v) { return v.fetch_add(1) + 1; }
inline int32_t InterlockedDecrement(std::atomic<int32_t> &v) { return v.fetch_sub(1) - 1; }
inline int64_t InterlockedIncrement(std::atomic<int64_t> &v) { return v.fetch_add(1) + 1; }
inline int64_t InterlockedDecrement(std::atomic<int64_t> &v) { return v.fetch_sub(1) - 1; }

} // namespace sys
