// Waiting in threaded tests without guessing how long a thread takes.
//
// Eventually(pred) polls a condition until it holds or a generous deadline
// passes, so a slow machine (or a sanitizer build) only makes a passing test
// slower, and a regression fails instead of hanging. BlockedFor is how long a
// test watches a thread that must stay blocked: a thread that wrongly gets
// through is caught on most runs, and a right one costs only this wait.
// TTestThread runs a body on its own thread and joins it with a deadline, so a
// lock that never comes free fails the test instead of hanging the program.
//
// Include "tests/support/Wait.h" and link test_support.
#pragma once

#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <thread>

// The deadline of Eventually and of TTestThread's join: far longer than any
// healthy test needs, even under a sanitizer on a loaded two-core machine.
inline constexpr std::chrono::milliseconds EventuallyDeadline{30000};

// How long a test watches a thread that should stay blocked.
inline constexpr std::chrono::milliseconds BlockedFor{100};

// True as soon as pred holds; false when it still does not hold at the
// deadline. Polls every millisecond; pred runs on the calling thread.
bool Eventually(const std::function<bool()> &pred,
                std::chrono::milliseconds within = EventuallyDeadline);

// Like Eventually, but runs pump (one turn of the event loop the test drives)
// between the checks instead of sleeping. MainLoopWait.h and QtWait.h hold the
// pumps of the program's two loops.
bool EventuallyPumping(const std::function<void()> &pump, const std::function<bool()> &pred,
                       std::chrono::milliseconds within = EventuallyDeadline);

// A thread whose end the test can wait for with a bound.
class TTestThread {
public:
  explicit TTestThread(std::function<void()> body);
  TTestThread(const TTestThread &) = delete;
  TTestThread &operator=(const TTestThread &) = delete;
  // Joins the thread when it ends within the deadline; a thread still blocked
  // then is left behind (the test has already failed on Finished).
  ~TTestThread();
  // True when the body has returned within the time.
  bool Finished(std::chrono::milliseconds within);

private:
  std::future<void> finished_;
  std::thread thread_;
};
