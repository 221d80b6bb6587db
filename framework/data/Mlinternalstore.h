// The store of the media buffers: a shared store that also carries the time
// stamp of its data (validity flag, begin and end in 100 ns units).
//
// The stamp belongs to the store, so every buffer sharing the store sees and
// changes the same stamp; a clone made for copy-on-write carries it over, and
// from then on the two stamps are independent. Begin and end are read and
// written under the store's critical section, so a 64-bit time is never seen
// half written; the flag is an atomic read and written without it. Any thread.
#pragma once

#include <atomic>
#include <cstdint>

#include "framework/data/SLInternalStore.h"

class TMLSmartMediaBuffer : public TSLSmartBuffer {
public:
  // Stamp not available, begin 0, end 0.
  TMLSmartMediaBuffer() = default;
  // The TSLSmartBuffer copy (nothing of Other's counts), with Other's stamp.
  TMLSmartMediaBuffer(TMLSmartMediaBuffer &Other, bool CopyData);

  // A new store of this class with this stamp, counts at 0.
  TMLSmartMediaBuffer *Clone(bool CopyData) override;

  bool GetTimeStampAvailable() const { return timeStampAvailable_.load(std::memory_order_relaxed); }
  void SetTimeStampAvailable(bool Value) {
    timeStampAvailable_.store(Value, std::memory_order_relaxed);
  }
  int64_t GetTimeStampBegin() { return ReadLocked(timeStampBegin_); }
  void SetTimeStampBegin(int64_t Value) { WriteLocked(timeStampBegin_, Value); }
  int64_t GetTimeStampEnd() { return ReadLocked(timeStampEnd_); }
  void SetTimeStampEnd(int64_t Value) { WriteLocked(timeStampEnd_, Value); }

private:
  // A time read or written under the store's section, never seen half written.
  int64_t ReadLocked(const int64_t &Field);
  void WriteLocked(int64_t &Field, int64_t Value);

  std::atomic<bool> timeStampAvailable_{false};
  int64_t timeStampBegin_ = 0;
  int64_t timeStampEnd_ = 0;
};
