#include "platform/gui/Timers.h"

#include <QTimer>
#include <mutex>
#include <utility>

#include "platform/classlib/ClassBuilder.h"
#include "platform/gui/Application.h"

namespace gui {

namespace {

std::mutex serviceLock; // guards installed
sys::ITimerService *installed = nullptr;

TQtTimerService &QtService() {
  // Never destroyed: timers may be killed by static objects at exit.
  static TQtTimerService &service = *new TQtTimerService;
  return service;
}

} // namespace

sys::ITimerService &WindowTimerService() {
  std::lock_guard lock(serviceLock);
  return installed ? *installed : QtService();
}

sys::ITimerService *SetWindowTimerService(sys::ITimerService *service) {
  std::lock_guard lock(serviceLock);
  return std::exchange(installed, service);
}

TQtTimerService::~TQtTimerService() {
  for (auto &[id, timer] : timers_)
    delete timer;
}

sys::TTimerId TQtTimerService::Start(uint32_t periodMs, sys::TTimerCallback callback) {
  if (periodMs == 0 || !callback)
    return 0;
  sys::TTimerId id = next_++;
  auto *timer = new QTimer;
  timer->setInterval(static_cast<int>(periodMs));
  QObject::connect(timer, &QTimer::timeout, timer, [cb = std::move(callback)] { Guarded(cb); });
  timers_.emplace(id, timer);
  timer->start();
  return id;
}

bool TQtTimerService::Kill(sys::TTimerId id) {
  auto it = timers_.find(id);
  if (it == timers_.end())
    return false;
  it->second->stop();
  // Possibly inside its own timeout: deleted once that returns.
  it->second->deleteLater();
  timers_.erase(it);
  return true;
}

TTimerWindow::TTimerWindow(mainloop::TWndProc proc)
    : proc_(std::move(proc)), alive_(std::make_shared<bool>(true)) {}

TTimerWindow::~TTimerWindow() {
  alive_.reset();
  for (auto &[id, t] : timers_)
    t.Service->Kill(t.Id);
}

bool TTimerWindow::SetTimer(uint64_t id, uint32_t intervalMs) {
  KillTimer(id);
  if (intervalMs < USER_TIMER_MINIMUM)
    intervalMs = USER_TIMER_MINIMUM;
  sys::ITimerService &service = WindowTimerService();
  std::weak_ptr<bool> alive = alive_;
  sys::TTimerId timer = service.Start(intervalMs, [this, alive, id] {
    if (!alive.lock())
      return;
    // A copy: the procedure may destroy this window.
    mainloop::TWndProc proc = proc_;
    if (proc)
      proc(mainloop::TMessage{WM_TIMER, id, 0});
  });
  if (timer == 0)
    return false;
  timers_[id] = TRunning{&service, timer};
  return true;
}

bool TTimerWindow::KillTimer(uint64_t id) {
  auto it = timers_.find(id);
  if (it == timers_.end())
    return false;
  TRunning t = it->second;
  timers_.erase(it);
  return t.Service->Kill(t.Id);
}

const TClassInfo &TTimer::StaticClassInfo() {
  static const TClassInfo &info =
      MakeClassInfo<TTimer>("TTimer", &TComponent::StaticClassInfo(), [](TClassBuilder<TTimer> &c) {
        c.Boolean("Enabled", &TTimer::Enabled, &TTimer::SetEnabled, true);
        c.Integer("Interval", &TTimer::Interval, &TTimer::SetInterval, 1000);
        c.Event("OnTimer", &TTimer::onTimer_);
      });
  return info;
}

TTimer::TTimer(TComponent *owner) : TComponent(owner), alive_(std::make_shared<bool>(true)) {}

TTimer::~TTimer() {
  alive_.reset();
  if (running_.Service)
    running_.Service->Kill(running_.Id);
}

void TTimer::SetEnabled(bool value) {
  if (value == enabled_)
    return;
  enabled_ = value;
  UpdateTimer();
}

void TTimer::SetInterval(uint32_t value) {
  if (value == interval_)
    return;
  interval_ = value;
  UpdateTimer();
}

void TTimer::SetOnTimer(TNotifyEvent handler) {
  onTimer_ = std::move(handler);
  UpdateTimer();
}

void TTimer::Loaded() {
  TComponent::Loaded();
  UpdateTimer(); // the form set OnTimer without the setter
}

void TTimer::Timer() {
  if (enabled_ && onTimer_)
    onTimer_(this);
}

void TTimer::UpdateTimer() {
  if (running_.Service) {
    running_.Service->Kill(running_.Id);
    running_.Service = nullptr;
    running_.Id = 0;
  }
  if (!enabled_ || interval_ == 0 || !onTimer_ || InState(csDestroying))
    return;
  sys::ITimerService &service = WindowTimerService();
  std::weak_ptr<bool> alive = alive_;
  sys::TTimerId id = service.Start(interval_, [this, alive] {
    if (alive.lock())
      Timer();
  });
  if (id != 0) {
    running_.Service = &service;
    running_.Id = id;
  }
}

void RegisterTimerClasses() { RegisterClass(TTimer::StaticClassInfo()); }

} // namespace gui
