#include "platform/sys/MMTimer.h"

#include <atomic>
#include <cerrno>
#include <thread>

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include "platform/sys/Thread.h"

namespace sys {

namespace {

std::atomic<ITimerService *> installedService{nullptr};

TTimerFdService &DefaultService() {
  static TTimerFdService service;
  return service;
}

} // namespace

ITimerService &TimerService() {
  ITimerService *s = installedService.load();
  return s ? *s : DefaultService();
}

ITimerService *SetTimerService(ITimerService *service) {
  return installedService.exchange(service);
}

TTimerId TimeSetEvent(uint32_t periodMs, TTimerCallback callback) {
  return TimerService().Start(periodMs, std::move(callback));
}

bool TimeKillEvent(TTimerId id) { return TimerService().Kill(id); }

// ---- timerfd ---------------------------------------------------------------

struct TTimerFdService::TTimer {
  int timerFd = -1;
  int stopFd = -1; // eventfd written by Kill to wake the poll
  std::atomic<bool> stop{false};
  TTimerCallback callback;
  std::thread thread;

  ~TTimer() {
    if (timerFd >= 0)
      close(timerFd);
    if (stopFd >= 0)
      close(stopFd);
  }

  // The thread owns a reference, so a timer killed from its own callback
  // (its thread then detached) stays valid until the thread has left.
  static void Run(std::shared_ptr<TTimer> self) {
    RaiseCurrentThreadPriority();
    pollfd fds[2] = {{self->timerFd, POLLIN, 0}, {self->stopFd, POLLIN, 0}};
    while (!self->stop.load()) {
      if (poll(fds, 2, -1) < 0) {
        if (errno == EINTR)
          continue;
        return;
      }
      if (fds[1].revents != 0 || self->stop.load())
        return;
      uint64_t expirations = 0;
      if (read(self->timerFd, &expirations, sizeof expirations) != sizeof expirations)
        continue;
      // Each expiration is one tick, also those that piled up while this
      // thread was not scheduled.
      for (uint64_t i = 0; i < expirations && !self->stop.load(); ++i)
        self->callback();
    }
  }
};

TTimerFdService::~TTimerFdService() {
  std::vector<TTimerId> ids;
  {
    std::lock_guard<std::mutex> lock(m_);
    for (auto &entry : timers_)
      ids.push_back(entry.first);
  }
  for (TTimerId id : ids)
    Kill(id);
}

TTimerId TTimerFdService::Start(uint32_t periodMs, TTimerCallback callback) {
  if (periodMs == 0 || !callback)
    return 0;
  auto timer = std::make_shared<TTimer>();
  timer->callback = std::move(callback);
  timer->timerFd = timerfd_create(CLOCK_MONOTONIC, TFD_CLOEXEC);
  timer->stopFd = eventfd(0, EFD_CLOEXEC);
  if (timer->timerFd < 0 || timer->stopFd < 0)
    return 0;
  itimerspec spec{};
  spec.it_interval.tv_sec = periodMs / 1000;
  spec.it_interval.tv_nsec = static_cast<long>(periodMs % 1000) * 1000000L;
  spec.it_value = spec.it_interval;
  if (timerfd_settime(timer->timerFd, 0, &spec, nullptr) != 0)
    return 0;
  std::lock_guard<std::mutex> lock(m_);
  TTimerId id = next_++;
  if (next_ == 0)
    next_ = 1;
  timer->thread = std::thread(&TTimer::Run, timer);
  timers_.emplace(id, timer);
  return id;
}

bool TTimerFdService::Kill(TTimerId id) {
  std::shared_ptr<TTimer> timer;
  {
    std::lock_guard<std::mutex> lock(m_);
    auto it = timers_.find(id);
    if (it == timers_.end())
      return false;
    timer = std::move(it->second);
    timers_.erase(it);
  }
  timer->stop.store(true);
  uint64_t one = 1;
  [[maybe_unused]] ssize_t written = write(timer->stopFd, &one, sizeof one);
  if (timer->thread.get_id() == std::this_thread::get_id())
    timer->thread.detach();
  else
    timer->thread.join();
  return true;
}

// ---- manual ----------------------------------------------------------------

TTimerId TManualTimerService::Start(uint32_t periodMs, TTimerCallback callback) {
  if (periodMs == 0 || !callback)
    return 0;
  std::lock_guard<std::mutex> lock(m_);
  TTimerId id = next_++;
  timers_.emplace(id, TTimer{periodMs, std::make_shared<TTimerCallback>(std::move(callback))});
  return id;
}

bool TManualTimerService::Kill(TTimerId id) {
  std::lock_guard<std::recursive_mutex> firing(fire_);
  std::lock_guard<std::mutex> lock(m_);
  return timers_.erase(id) == 1;
}

bool TManualTimerService::Fire(TTimerId id, int count) {
  std::lock_guard<std::recursive_mutex> firing(fire_);
  for (int i = 0; i < count; ++i) {
    std::shared_ptr<TTimerCallback> callback;
    {
      std::lock_guard<std::mutex> lock(m_);
      auto it = timers_.find(id);
      if (it == timers_.end())
        return i > 0;
      callback = it->second.callback;
    }
    (*callback)();
  }
  return true;
}

int TManualTimerService::FirePeriod(uint32_t periodMs) {
  int fired = 0;
  for (TTimerId id : Running())
    if (Period(id) == periodMs && Fire(id))
      ++fired;
  return fired;
}

std::vector<TTimerId> TManualTimerService::Running() const {
  std::lock_guard<std::mutex> lock(m_);
  std::vector<TTimerId> ids;
  for (const auto &entry : timers_)
    ids.push_back(entry.first);
  return ids;
}

uint32_t TManualTimerService::Period(TTimerId id) const {
  std::lock_guard<std::mutex> lock(m_);
  auto it = timers_.find(id);
  return it == timers_.end() ? 0 : it->second.period;
}

} // namespace sys
