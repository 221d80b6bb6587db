// Window-less timers: light timer objects that are no components and own no
// window. Every timer of the process shares one hidden timer window
// (TSimpleTimerHandler), on which each runs a window timer whose identifier
// is the timer object's own address; OnTimer runs on the main thread.
//
// Main thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "platform/classlib/ClassInfo.h"
#include "platform/gui/NotifyEvent.h"
#include "platform/gui/Timers.h"

class TSimpleTimer;

// The shared hidden window and its counts; exists while a timer exists.
class TSimpleTimerHandler : public TObject {
public:
  TSimpleTimerHandler();
  ~TSimpleTimerHandler() override;

  int32_t RefCount = 0;    // timers that exist
  int32_t ActiveCount = 0; // timers whose window timer runs
  gui::TTimerWindow &Window() { return window_; }

private:
  void WndProc(const mainloop::TMessage &message);
  gui::TTimerWindow window_;
};

void AcquireSimpleTimerHandler();
void ReleaseSimpleTimerHandler();
// The handler's counts; 0 when no handler exists.
int32_t GetSimpleTimerCount();
int32_t GetSimpleTimerActiveCount();
// Whether the shared handler (and its window) exists.
bool SimpleTimerHandlerExists();

class TSimpleTimer : public TObject {
public:
  TSimpleTimer(); // 1000 ms, no event
  TSimpleTimer(uint32_t interval, TNotifyEvent onTimer);
  ~TSimpleTimer() override;

  uint64_t Id() const { return id_; }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value);
  uint32_t Interval() const { return interval_; }
  void SetInterval(uint32_t value);
  const TNotifyEvent &OnTimer() const { return onTimer_; }
  void SetOnTimer(TNotifyEvent value);
  // Stop (clearing Enabled) before each OnTimer.
  bool DisableOnFire() const { return disableOnFire_; }
  void SetDisableOnFire(bool value) { disableOnFire_ = value; }

  // False with Interval 0 or when the platform refuses the timer.
  bool Start();
  // Clears Enabled when clearEnabled; false when no window timer ran.
  bool Stop(bool clearEnabled);

private:
  friend class TSimpleTimerHandler;
  void Initialize(uint32_t interval, TNotifyEvent onTimer);
  void Fire();

  uint64_t id_ = 0;
  bool enabled_ = false;
  uint32_t interval_ = 1000;
  bool disableOnFire_ = false;
  TNotifyEvent onTimer_;
};
