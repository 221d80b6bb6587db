// A first-in first-out queue of double values, without a bound. The meters
// keep one per output channel: processing appends each computed value, the
// main-thread progress step takes them off in order.
//
// No lock: the owner guards the queue (the meter holds its component's write
// lock while it adds and takes values).
#pragma once

#include <deque>

class TSLRealQueue {
public:
  TSLRealQueue() = default;
  TSLRealQueue(const TSLRealQueue &) = delete;
  TSLRealQueue &operator=(const TSLRealQueue &) = delete;

  void Add(double Value) { values_.push_back(Value); }
  int GetCount() const { return static_cast<int>(values_.size()); }
  // The value at Index, 0 being the head; EListError "List index out of
  // bounds (%d)" outside the queue.
  double GetItem(int Index) const;
  // Drops the head; EListError with index 0 on an empty queue.
  void Remove();
  void Clear() { values_.clear(); }

private:
  std::deque<double> values_;
};
