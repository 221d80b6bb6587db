// Clock services, and the hand-over of work to the main thread.
//
// TSLClockThread runs its callback once for every Clock call made on it (at
// most 300000 calls wait; further ones are lost). TSLEventClockThread runs it
// once for any number of Clock calls made while it was busy. Both run at the
// highest priority from construction to destruction; Clock may be called from
// any thread; the destructor waits until a running callback has returned.
#pragma once

#include "framework/data/SLCallbackThread.h"

class TSLClockThread final : public TSLCallbackThread {
public:
  static constexpr int32_t MaxPendingTicks = 300000;

  explicit TSLClockThread(TCallback callback);
  ~TSLClockThread() override;
  TSLClockThread(const TSLClockThread &) = delete;
  TSLClockThread &operator=(const TSLClockThread &) = delete;

  void Clock() { Wake(); }
};

class TSLEventClockThread final : public TSLCallbackThread {
public:
  explicit TSLEventClockThread(TCallback callback);
  ~TSLEventClockThread() override;
  TSLEventClockThread(const TSLEventClockThread &) = delete;
  TSLEventClockThread &operator=(const TSLEventClockThread &) = delete;

  void Clock() { Wake(); }
};
