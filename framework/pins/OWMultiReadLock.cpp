#include "framework/pins/OWMultiReadLock.h"

#include <thread>

#include "platform/classlib/Exceptions.h"

uint32_t OWCurrentThreadId() {
  static std::atomic<uint32_t> next{1};
  thread_local const uint32_t id = next.fetch_add(1);
  return id;
}

// ---------------------------------------------------------------------------
// TOWThreadLocalCounter

TOWThreadLocalCounter::~TOWThreadLocalCounter() {
  for (auto &bucket : buckets_) {
    TOWThreadInfo *p = bucket.load();
    while (p) {
      TOWThreadInfo *next = p->next;
      delete p;
      p = next;
    }
  }
}

TOWThreadInfo *TOWThreadLocalCounter::Find(uint32_t threadId) const {
  for (TOWThreadInfo *p = buckets_[HashIndex(threadId)].load(); p; p = p->next)
    if (p->threadId.load() == threadId)
      return p;
  return nullptr;
}

int TOWThreadLocalCounter::BucketLength(int bucket) const {
  int n = 0;
  for (TOWThreadInfo *p = buckets_[bucket].load(); p; p = p->next)
    ++n;
  return n;
}

TOWThreadInfo *TOWThreadLocalCounter::Recycle(uint32_t threadId) {
  for (TOWThreadInfo *p = buckets_[HashIndex(threadId)].load(); p; p = p->next) {
    if (p->inUse.exchange(InUse) != InUse) {
      p->threadId.store(threadId);
      return p;
    }
  }
  return nullptr;
}

void TOWThreadLocalCounter::Open(TOWThreadInfo *&info) {
  const uint32_t me = OWCurrentThreadId();
  info = Find(me);
  if (info)
    return;
  info = Recycle(me);
  if (info)
    return;
  auto *fresh = new TOWThreadInfo;
  fresh->threadId.store(me);
  fresh->inUse.store(InUse);
  // The new record's next must be in place before walkers can see it, so the
  // head is swapped by compare-exchange rather than a blind exchange.
  auto &head = buckets_[HashIndex(me)];
  fresh->next = head.load();
  while (!head.compare_exchange_weak(fresh->next, fresh)) {
  }
  info = fresh;
}

void TOWThreadLocalCounter::Delete(TOWThreadInfo *&info) {
  info->threadId.store(0);
  info->inUse.store(0);
}

// ---------------------------------------------------------------------------
// TOWMultiReadExclusiveWriteSynchronizer

TOWMultiReadExclusiveWriteSynchronizer::TOWMultiReadExclusiveWriteSynchronizer() = default;

TOWMultiReadExclusiveWriteSynchronizer::~TOWMultiReadExclusiveWriteSynchronizer() { BeginWrite(); }

void TOWMultiReadExclusiveWriteSynchronizer::BeginRead() {
  TOWThreadInfo *info;
  counter_.Open(info);
  ++info->recursionCount;
  if (writer_.load() == OWCurrentThreadId() || info->recursionCount > 1)
    return;
  WaitForReadSignal();
  for (;;) {
    if (sentinel_.fetch_sub(1) - 1 > 0)
      return;
    if (sentinel_.fetch_add(1) + 1 == Idle)
      UnblockOneWriter();
    std::this_thread::yield();
    WaitForReadSignal();
  }
}

void TOWMultiReadExclusiveWriteSynchronizer::EndRead() {
  TOWThreadInfo *info;
  counter_.Open(info);
  if (--info->recursionCount != 0)
    return;
  counter_.Delete(info);
  if (writer_.load() == OWCurrentThreadId())
    return;
  const int32_t t = sentinel_.fetch_add(1) + 1;
  if (t == Idle)
    UnblockOneWriter();
  else if (t <= 0 && t % Idle == 0)
    UnblockOneWriter();
}

void TOWMultiReadExclusiveWriteSynchronizer::BeginWrite() {
  const uint32_t me = OWCurrentThreadId();
  if (writer_.load() != me) {
    BlockReaders();
    TOWThreadInfo *info;
    counter_.Open(info);
    const bool holdsReads = info->recursionCount != 0;
    if (holdsReads)
      sentinel_.fetch_add(1);
    for (;;) {
      if (sentinel_.fetch_sub(Idle) == Idle)
        break;
      if (sentinel_.fetch_add(Idle) != 0)
        WaitForWriteSignal();
    }
    BlockReaders();
    if (holdsReads)
      sentinel_.fetch_sub(1);
    writer_.store(me);
  }
  ++writeRecursion_;
}

void TOWMultiReadExclusiveWriteSynchronizer::EndWrite() {
  if (writer_.load() != OWCurrentThreadId())
    throw EAssertionFailed("Assertion failure", "OWMultiReadLock", 278);
  TOWThreadInfo *info;
  counter_.Open(info);
  if (--writeRecursion_ == 0) {
    writer_.store(0);
    sentinel_.fetch_add(Idle);
    UnblockOneWriter();
    UnblockReaders();
  }
  if (info->recursionCount == 0)
    counter_.Delete(info);
}
