// Spaces a component's position hand-over to the main thread. A stream moves
// the position once per buffer (some 47 times a second at 48 kHz), while the
// displays fed by it show centiseconds a person reads a few times a second:
// the gate posts the first change at once and then at most one per period,
// and a change that had to wait is posted when the position stops moving
// (Close: a stop, a pause, the end of a take), so what the main thread last
// sees is the exact final position.
//
// The posted handler reads the newest values itself, so one post in flight
// covers every change made before the handler calls Arrived. Posts while the
// position moves only feed a display and may wait for the main thread's next
// wake-up (Later); the one at Close goes at once.
//
// Threads: Changed and Close from any thread; Arrived on the main thread, at
// the start of the posted handler and before it reads the values. The mutex
// is a leaf: the post function is called while it is held and must take no
// framework lock (posting a message takes none).
#pragma once

#include <chrono>
#include <functional>
#include <mutex>

class TALProgressGate {
public:
  using TClock = std::chrono::steady_clock;
  static constexpr std::chrono::milliseconds DefaultPeriod{100};

  // Post hands one call of the handler to the main thread, Later as a call
  // that may wait for the next wake-up; false when it could not (the main loop
  // has shut down).
  using TPost = std::function<bool(bool Later)>;
  explicit TALProgressGate(TPost Post, TClock::duration Period = DefaultPeriod);
  TALProgressGate(const TALProgressGate &) = delete;
  TALProgressGate &operator=(const TALProgressGate &) = delete;

  // The position moved (call after storing the new values).
  void Changed();
  // The position stops moving: a change still waiting is posted now.
  void Close();
  // The posted handler runs: later changes need a post of their own.
  void Arrived();

private:
  bool PostLocked(bool Later);

  const TPost post_;
  const TClock::duration period_;
  std::mutex m_;
  bool inFlight_ = false; // a post is on its way and the handler has not run
  bool waiting_ = false;  // a change no post covers yet
  TClock::time_point lastPost_{};
};
