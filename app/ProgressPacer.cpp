#include "app/ProgressPacer.h"

#include <utility>

namespace {
constexpr uint64_t PeriodTimer = 1;
}

TProgressPacer::TProgressPacer(uint32_t PeriodMs)
    : period_(PeriodMs), timer_([this](const mainloop::TMessage &) { PeriodEnded(); }) {}

void TProgressPacer::Offer(std::function<void()> Update) {
  if (running_) {
    pending_ = std::move(Update);
    return;
  }
  // Without a timer every report is applied, as before pacing.
  running_ = timer_.SetTimer(PeriodTimer, period_);
  Update();
}

void TProgressPacer::PeriodEnded() {
  if (!pending_) {
    // A quiet period: the next report is applied at once.
    timer_.KillTimer(PeriodTimer);
    running_ = false;
    return;
  }
  std::function<void()> Update = std::move(pending_);
  pending_ = nullptr;
  Update();
}
