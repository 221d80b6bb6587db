// Shared helpers of the data tests: the framework's global state, made once
// per test program, and bounded waits so a regression fails instead of hanging.
#pragma once

#include "framework/pins/OWPins.h"

#include <chrono>
#include <functional>
#include <mutex>
#include <thread>

inline void SLTestFrameworkUp() {
  static std::once_flag once;
  std::call_once(once, [] { OWPinsInitialization(); });
}

// True when pred holds within the time; polls.
inline bool SLEventually(const std::function<bool()> &pred, std::chrono::milliseconds within = std::chrono::seconds(10)) {
  const auto end = std::chrono::steady_clock::now() + within;
  while (std::chrono::steady_clock::now() < end) {
    if (pred())
      return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return pred();
}

// How long a test watches a thread that should stay blocked.
inline constexpr std::chrono::milliseconds SLBlockedFor{100};
