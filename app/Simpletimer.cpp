#include "app/Simpletimer.h"

#include <set>

namespace {

TSimpleTimerHandler *handler = nullptr;

// The timers that exist: a WM_TIMER for an identifier no longer here (the
// timer died while its message was on the way) is dropped.
std::set<uint64_t> &LiveTimers() {
  static std::set<uint64_t> timers;
  return timers;
}

} // namespace

TSimpleTimerHandler::TSimpleTimerHandler()
    : window_([this](const mainloop::TMessage &m) { WndProc(m); }) {}

TSimpleTimerHandler::~TSimpleTimerHandler() = default;

void TSimpleTimerHandler::WndProc(const mainloop::TMessage &message) {
  if (message.Msg != gui::WM_TIMER || !LiveTimers().count(message.WParam))
    return;
  reinterpret_cast<TSimpleTimer *>(message.WParam)->Fire();
}

void AcquireSimpleTimerHandler() {
  if (!handler)
    handler = new TSimpleTimerHandler;
  ++handler->RefCount;
}

void ReleaseSimpleTimerHandler() {
  if (!handler)
    return;
  if (handler->RefCount > 0)
    --handler->RefCount;
  if (handler->RefCount == 0) {
    delete handler;
    handler = nullptr;
  }
}

int32_t GetSimpleTimerCount() { return handler ? handler->RefCount : 0; }
int32_t GetSimpleTimerActiveCount() { return handler ? handler->ActiveCount : 0; }
bool SimpleTimerHandlerExists() { return handler != nullptr; }

TSimpleTimer::TSimpleTimer() { Initialize(1000, TNotifyEvent{}); }

TSimpleTimer::TSimpleTimer(uint32_t interval, TNotifyEvent onTimer) {
  Initialize(interval, std::move(onTimer));
}

void TSimpleTimer::Initialize(uint32_t interval, TNotifyEvent onTimer) {
  id_ = reinterpret_cast<uint64_t>(this);
  disableOnFire_ = false;
  enabled_ = false;
  interval_ = interval;
  SetOnTimer(std::move(onTimer));
  LiveTimers().insert(id_);
  AcquireSimpleTimerHandler();
}

TSimpleTimer::~TSimpleTimer() {
  if (enabled_)
    Stop(true);
  LiveTimers().erase(id_);
  ReleaseSimpleTimerHandler();
}

void TSimpleTimer::SetEnabled(bool value) {
  if (value)
    Start();
  else
    Stop(true);
}

void TSimpleTimer::SetInterval(uint32_t value) {
  if (value == interval_)
    return;
  interval_ = value;
  if (!enabled_)
    return;
  if (interval_ != 0)
    Start();
  else
    Stop(false);
}

void TSimpleTimer::SetOnTimer(TNotifyEvent value) {
  onTimer_ = std::move(value);
  if (!onTimer_ && enabled_)
    Stop(false);
}

bool TSimpleTimer::Start() {
  if (interval_ == 0)
    return false;
  if (enabled_)
    Stop(true);
  bool ok = handler && handler->Window().SetTimer(id_, interval_);
  if (ok) {
    enabled_ = true;
    ++handler->ActiveCount;
  }
  return ok;
}

bool TSimpleTimer::Stop(bool clearEnabled) {
  if (clearEnabled)
    enabled_ = false;
  bool ok = handler && handler->Window().KillTimer(id_);
  if (ok && handler->ActiveCount > 0)
    --handler->ActiveCount;
  return ok;
}

void TSimpleTimer::Fire() {
  if (disableOnFire_)
    Stop(true);
  if (onTimer_)
    onTimer_(this);
}
