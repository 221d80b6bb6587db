// Periodic multimedia timer: TimeSetEvent starts a timer whose callback runs on
// a timer thread of the platform, once per period; TimeKillEvent stops it.
//
// The callbacks are meant to do almost nothing (count a tick into a semaphore)
// so the timer thread is never held up. Every expiration is delivered: when the
// timer thread falls behind, the missed periods are called back to back.
// TimeKillEvent is synchronous: when it returns, the timer's callback is not
// running and will not run again (called from the callback itself, it only
// stops further calls).
//
// The service behind the two calls is replaceable, so tests drive timers by
// hand (TManualTimerService) instead of waiting for real time. All functions
// may be called from any thread.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace sys {

using TTimerId = uint32_t; // 0 is never a valid timer
using TTimerCallback = std::function<void()>;

class ITimerService {
public:
  virtual ~ITimerService() = default;
  // Starts a periodic timer; 0 when it cannot (a period of 0 is refused).
  virtual TTimerId Start(uint32_t periodMs, TTimerCallback callback) = 0;
  // Stops the timer; false when the id names no running timer.
  virtual bool Kill(TTimerId id) = 0;
};

// The service that TimeSetEvent and TimeKillEvent use: the timerfd service
// unless one was installed.
ITimerService &TimerService();
// Installs a service (nullptr restores the default) and returns the previous
// one. Timers started on a service must be killed on that same service.
ITimerService *SetTimerService(ITimerService *service);

TTimerId TimeSetEvent(uint32_t periodMs, TTimerCallback callback);
bool TimeKillEvent(TTimerId id);

// Real timers: one timerfd on the monotonic clock and one thread per timer.
class TTimerFdService final : public ITimerService {
public:
  TTimerFdService() = default;
  ~TTimerFdService() override; // kills the timers still running
  TTimerFdService(const TTimerFdService &) = delete;
  TTimerFdService &operator=(const TTimerFdService &) = delete;

  TTimerId Start(uint32_t periodMs, TTimerCallback callback) override;
  bool Kill(TTimerId id) override;

  struct TTimer; // platform detail, in the source

private:
  std::mutex m_; // guards timers_ and next_
  std::map<TTimerId, std::shared_ptr<TTimer>> timers_;
  TTimerId next_ = 1;
};

// Timers for tests: nothing fires until the test calls Fire, which runs the
// callbacks on the calling thread (standing in for the timer thread).
class TManualTimerService final : public ITimerService {
public:
  TTimerId Start(uint32_t periodMs, TTimerCallback callback) override;
  bool Kill(TTimerId id) override;

  // Calls the timer's callback count times; false when the timer is not running.
  bool Fire(TTimerId id, int count = 1);
  // Fires every running timer of that period once; returns how many fired.
  int FirePeriod(uint32_t periodMs);
  std::vector<TTimerId> Running() const;
  uint32_t Period(TTimerId id) const; // 0 when not running

private:
  struct TTimer {
    uint32_t period;
    std::shared_ptr<TTimerCallback> callback;
  };
  // Kill waits on this while a Fire is inside the callback, so stopping stays
  // synchronous here too.
  mutable std::recursive_mutex fire_;
  mutable std::mutex m_; // guards timers_ and next_
  std::map<TTimerId, TTimer> timers_;
  TTimerId next_ = 1;
};

// Installs a service for the life of a scope.
class TScopedTimerService {
public:
  explicit TScopedTimerService(ITimerService &service) : previous_(SetTimerService(&service)) {}
  ~TScopedTimerService() { SetTimerService(previous_); }
  TScopedTimerService(const TScopedTimerService &) = delete;
  TScopedTimerService &operator=(const TScopedTimerService &) = delete;

private:
  ITimerService *previous_;
};

} // namespace sys
