// TSLWriteProtect: a small exclusive lock with separate read and write entry
// points. Reads exclude writes and other reads alike; the thread that holds it
// may enter again. Any thread; leave on the thread that entered.
#pragma once

#include "platform/sys/Sync.h"

class TSLWriteProtect {
public:
  TSLWriteProtect() = default;
  TSLWriteProtect(const TSLWriteProtect &) = delete;
  TSLWriteProtect &operator=(const TSLWriteProtect &) = delete;

  void EnterRead() { section_.Enter(); }
  void LeaveRead() { section_.Leave(); }
  void EnterWrite() { section_.Enter(); }
  void LeaveWrite() { section_.Leave(); }

private:
  sys::TCriticalSection section_;
};
