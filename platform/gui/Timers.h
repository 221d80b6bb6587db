// Window timers: timers whose callbacks run on the main thread, between the
// event loop's other work, like the platform's WM_TIMER.
//
// - The window timer service starts and stops them. The program's service
//   runs QTimers; tests install sys::TManualTimerService and fire the timers
//   by hand on the main thread, so no test waits for a 1000 ms poll or a
//   5000 ms watchdog.
// - TTimerWindow stands in for the hidden window that the window-less timers
//   share: SetTimer / KillTimer by identifier, WM_TIMER (wParam = the
//   identifier) to its window procedure.
// - TTimer is the class library's timer component (Enabled, Interval,
//   OnTimer).
//
// All of it is for the main thread only; another thread hands a re-arm to
// the main thread through platform/mainloop.
#pragma once

#include <cstdint>
#include <map>
#include <memory>

#include "platform/classlib/Component.h"
#include "platform/gui/NotifyEvent.h"
#include "platform/mainloop/HiddenWindow.h"
#include "platform/sys/MMTimer.h"

class QTimer;

namespace gui {

// The service that window timers use: TQtTimerService unless one was
// installed (nullptr restores it). A timer must be killed on the service
// that started it; the users below remember theirs.
sys::ITimerService &WindowTimerService();
sys::ITimerService *SetWindowTimerService(sys::ITimerService *service);

class TScopedWindowTimerService {
public:
  explicit TScopedWindowTimerService(sys::ITimerService &service)
      : previous_(SetWindowTimerService(&service)) {}
  ~TScopedWindowTimerService() { SetWindowTimerService(previous_); }
  TScopedWindowTimerService(const TScopedWindowTimerService &) = delete;
  TScopedWindowTimerService &operator=(const TScopedWindowTimerService &) = delete;

private:
  sys::ITimerService *previous_;
};

// QTimers on the main thread's event loop.
class TQtTimerService final : public sys::ITimerService {
public:
  TQtTimerService() = default;
  ~TQtTimerService() override;
  TQtTimerService(const TQtTimerService &) = delete;
  TQtTimerService &operator=(const TQtTimerService &) = delete;

  sys::TTimerId Start(uint32_t periodMs, sys::TTimerCallback callback) override;
  bool Kill(sys::TTimerId id) override;

private:
  std::map<sys::TTimerId, QTimer *> timers_;
  sys::TTimerId next_ = 1;
};

constexpr uint32_t WM_TIMER = 0x0113;
// The shortest period the platform gives a window timer; 0 asks for it.
constexpr uint32_t USER_TIMER_MINIMUM = 10;

class TTimerWindow {
public:
  explicit TTimerWindow(mainloop::TWndProc proc);
  ~TTimerWindow(); // kills its timers
  TTimerWindow(const TTimerWindow &) = delete;
  TTimerWindow &operator=(const TTimerWindow &) = delete;

  // Starts (or, for an identifier already running, restarts) a timer; false
  // when the service refuses it.
  bool SetTimer(uint64_t id, uint32_t intervalMs);
  // False when no timer of that identifier runs.
  bool KillTimer(uint64_t id);
  size_t TimerCount() const { return timers_.size(); }

private:
  struct TRunning {
    sys::ITimerService *Service;
    sys::TTimerId Id;
  };
  mainloop::TWndProc proc_;
  std::map<uint64_t, TRunning> timers_;
  std::shared_ptr<bool> alive_;
};

// The timer component: while Enabled, Interval is not 0 and OnTimer is
// assigned, OnTimer runs every Interval ms on the main thread. Any change of
// the three restarts the count.
class TTimer : public TComponent {
  CLASSLIB_CLASS(TTimer)

public:
  explicit TTimer(TComponent *owner);
  ~TTimer() override;

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value);
  uint32_t Interval() const { return interval_; }
  void SetInterval(uint32_t value);
  const TNotifyEvent &OnTimer() const { return onTimer_; }
  void SetOnTimer(TNotifyEvent handler);
  void Loaded() override;
  // Runs the timer's work as a firing would (the watchdog test's hand).
  void Timer();
  bool Running() const { return running_.Service != nullptr; }

private:
  void UpdateTimer();

  bool enabled_ = true;
  uint32_t interval_ = 1000;
  TNotifyEvent onTimer_;
  struct {
    sys::ITimerService *Service = nullptr;
    sys::TTimerId Id = 0;
  } running_;
  std::shared_ptr<bool> alive_;
};

// Registers TTimer for form loading.
void RegisterTimerClasses();

} // namespace gui
