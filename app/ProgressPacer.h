// The window's share of the position hand-over: the logger and the player
// report their position once per buffer (some 47 times a second), while the
// time displays show centiseconds a person reads a few times a second. A
// pacer applies the first report at once and then at most one per period,
// always the latest, so the last report before a stop or a pause is shown
// exactly, at most one period late.
//
// Main thread only.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/gui/Timers.h"

class TProgressPacer {
public:
  static constexpr uint32_t DefaultPeriodMs = 100;

  explicit TProgressPacer(uint32_t PeriodMs = DefaultPeriodMs);
  TProgressPacer(const TProgressPacer &) = delete;
  TProgressPacer &operator=(const TProgressPacer &) = delete;

  // Applies Update now when no period runs, otherwise keeps it (replacing
  // the one kept before) for the end of the period.
  void Offer(std::function<void()> Update);

private:
  void PeriodEnded();

  uint32_t period_;
  std::function<void()> pending_;
  bool running_ = false;
  gui::TTimerWindow timer_;
};
