// Waiting for a condition that calls queued on the main loop bring about.
//
// Include "tests/support/MainLoopWait.h" and link test_support.
#pragma once

#include "platform/mainloop/MainLoop.h"
#include "tests/support/Wait.h"

// Runs the calls queued on the main loop (this must be the main thread) until
// pred holds or the deadline of Eventually passes.
inline bool PumpUntil(const std::function<bool()> &pred) {
  return EventuallyPumping(
      [] { mainloop::TMainLoop::Main().WaitAndRun(std::chrono::milliseconds(2)); }, pred);
}
