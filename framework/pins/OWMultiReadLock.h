// Multi-read exclusive-write lock: the framework's global lock.
//
// TOWMultiReadExclusiveWriteSynchronizer lets many threads read at once and one
// thread write. It is re-entrant: reads nest in reads, writes in writes, the
// writer may read, and a reader may ask to write (it gives its read back while it
// waits, so data read before may have changed when the write is granted).
// Waiting writers keep new first-level readers out; a thread that already reads
// may read again at once. No wait times out.
//
// Every entry point may be called from any thread. Callers give locks back in the
// reverse order of taking them (a read taken while writing ends before the write,
// a promoted read ends after its write); the lock sections of the framework do so.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/sys/Sync.h"

// Small integer id of the calling thread, 1 for the first thread that asks and
// never 0, so that 0 can mean "no thread" in the lock's fields.
uint32_t OWCurrentThreadId();

// One thread's read record. Records are pushed at the head of their bucket and
// never unlinked before the counter goes, so a bucket walks without a lock.
struct TOWThreadInfo {
  TOWThreadInfo *next = nullptr;
  std::atomic<uint32_t> threadId{0};
  std::atomic<int32_t> inUse{0};
  // Reads held by the owning thread; only that thread touches it while it owns
  // the record, and the record changes hands through inUse.
  int32_t recursionCount = 0;
};

class TOWThreadLocalCounter {
public:
  static constexpr int32_t InUse = 2147483647;
  static constexpr int BucketCount = 16;

  TOWThreadLocalCounter() = default;
  TOWThreadLocalCounter(const TOWThreadLocalCounter &) = delete;
  TOWThreadLocalCounter &operator=(const TOWThreadLocalCounter &) = delete;
  ~TOWThreadLocalCounter();

  static int HashIndex(uint32_t threadId) {
    return static_cast<int>((threadId ^ (threadId >> 8)) & 15);
  }

  // The calling thread's record, found, recycled or made.
  void Open(TOWThreadInfo *&info);
  void Delete(TOWThreadInfo *&info);
  void Close(TOWThreadInfo *&info) { info = nullptr; }

  // For inspection: the record a thread owns now, or null.
  TOWThreadInfo *Find(uint32_t threadId) const;
  // Number of records (free or owned) in a bucket.
  int BucketLength(int bucket) const;

private:
  TOWThreadInfo *Recycle(uint32_t threadId);

  std::atomic<TOWThreadInfo *> buckets_[BucketCount] = {};
};

class TOWMultiReadExclusiveWriteSynchronizer {
public:
  static constexpr int32_t Idle = 65535;

  TOWMultiReadExclusiveWriteSynchronizer();
  TOWMultiReadExclusiveWriteSynchronizer(const TOWMultiReadExclusiveWriteSynchronizer &) = delete;
  TOWMultiReadExclusiveWriteSynchronizer &
  operator=(const TOWMultiReadExclusiveWriteSynchronizer &) = delete;
  // Takes the write lock first, so it waits until every other holder is gone.
  virtual ~TOWMultiReadExclusiveWriteSynchronizer();

  void BeginRead();
  void EndRead();
  void BeginWrite();
  // Raises EAssertionFailed ("Assertion failure", OWMultiReadLock, 278) when the
  // calling thread is not the writer; nothing changes then.
  void EndWrite();

  // Inspection, for tests and assertions.
  int32_t GetSentinel() const { return sentinel_.load(); }
  uint32_t GetWriter() const { return writer_.load(); }
  int32_t GetWriteRecursion() const { return writeRecursion_; }
  const TOWThreadLocalCounter &GetCounter() const { return counter_; }
  // True while a writer waits or writes and keeps new first-level readers out.
  bool ReadersBlocked() const { return !readSignal_.IsSet(); }
  // True when the calling thread holds the write lock.
  bool IsWriter() const { return writer_.load() == OWCurrentThreadId(); }

protected:
  void BlockReaders() { readSignal_.Reset(); }
  void UnblockReaders() { readSignal_.Set(); }
  void UnblockOneWriter() { writeSignal_.Set(); }
  void WaitForReadSignal() { readSignal_.Wait(); }
  void WaitForWriteSignal() { writeSignal_.Wait(); }

private:
  std::atomic<int32_t> sentinel_{Idle};
  sys::TEvent readSignal_{sys::TEventReset::Manual, true};
  sys::TEvent writeSignal_{sys::TEventReset::Auto, false};
  // Only the writer changes it, while it holds the write lock.
  int32_t writeRecursion_ = 0;
  TOWThreadLocalCounter counter_;
  std::atomic<uint32_t> writer_{0};
};
