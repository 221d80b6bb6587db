// Framework objects and lock groups: re-entrancy, merge and split of groups
// with held counts, sections, and a randomised stress of merges under load.
#include <memory>
#include <random>

#include <gtest/gtest.h>

#include "framework/pins/OWPins.h"
#include "tests/support/Wait.h"

namespace {

using namespace std::chrono_literals;

TOWLockObject *LockOf(const TOWObject &o) { return o.GetGroupLock()->Instance(); }

// True when another thread's read section on o has to wait.
bool OtherThreadWaitsForRead(TOWObject &o, std::unique_ptr<TTestThread> &thread,
                             std::atomic<bool> &entered) {
  thread = std::make_unique<TTestThread>([&] {
    IOWLockSectionPtr section = o.ReadLock();
    entered = true;
  });
  return !thread->Finished(BlockedFor) && !entered;
}

TEST(TOWObject, AFreshObjectIsAGroupOfOneAndReEntrant) {
  TOWObject a;
  a.BeginWrite();
  a.BeginWrite();
  EXPECT_EQ(a.GetCountWrites(), 2);
  std::unique_ptr<TTestThread> reader;
  std::atomic<bool> entered{false};
  EXPECT_TRUE(OtherThreadWaitsForRead(a, reader, entered));
  a.EndWrite();
  EXPECT_FALSE(reader->Finished(BlockedFor));
  a.EndWrite();
  EXPECT_TRUE(reader->Finished(10s));
  EXPECT_TRUE(entered);
  EXPECT_EQ(a.GetCountWrites(), 0);
  EXPECT_EQ(a.GetCountReads(), 0);
}

TEST(TOWObject, ShareLinksMakeOneGroupWithOneLock) {
  TOWObject a, b, c;
  EXPECT_NE(LockOf(a), LockOf(b));
  a.AddShareLock(&b);
  b.AddShareLock(&c);
  EXPECT_EQ(LockOf(a), LockOf(b));
  EXPECT_EQ(LockOf(b), LockOf(c));

  IOWLockSectionPtr onA = a.WriteLock();
  std::unique_ptr<TTestThread> reader;
  std::atomic<bool> entered{false};
  EXPECT_TRUE(OtherThreadWaitsForRead(c, reader, entered));
  onA.Reset();
  EXPECT_TRUE(reader->Finished(10s));
}

TEST(TOWObject, AddingTheSameShareLinkTwiceRecordsItOnce) {
  TOWObject a, b;
  a.AddShareLock(&b);
  a.AddShareLock(&b);
  EXPECT_EQ(a.GetSharesWith().size(), 1u);
  EXPECT_EQ(b.GetSharedBy().size(), 1u);
  a.AddShareLock(nullptr);
  a.RemoveShareLock(nullptr);
  EXPECT_EQ(LockOf(a), LockOf(b));
}

TEST(TOWObject, DestroyingTheMiddleSplitsTheGroup) {
  TOWObject a, c;
  {
    TOWObject b;
    a.AddShareLock(&b);
    b.AddShareLock(&c);
    ASSERT_EQ(LockOf(a), LockOf(c));
  }
  EXPECT_NE(LockOf(a), LockOf(c));
  EXPECT_TRUE(a.GetSharesWith().empty());
  EXPECT_TRUE(c.GetSharedBy().empty());
  IOWLockSectionPtr onA = a.WriteLock();
  std::atomic<bool> entered{false};
  TTestThread t([&] {
    IOWLockSectionPtr onC = c.WriteLock();
    entered = true;
  });
  EXPECT_TRUE(t.Finished(10s)) << "C no longer shares A's lock";
}

TEST(TOWObject, RemovingAShareLinkThatDoesNotExistStillRenewsLocks) {
  TOWObject a, b;
  TOWLockObject *before = LockOf(a);
  a.RemoveShareLock(&b);
  EXPECT_NE(LockOf(a), before);
  EXPECT_NE(LockOf(a), LockOf(b));
}

TEST(TOWObject, MergeWhileHoldingAWriteSectionMovesTheSectionToTheNewLock) {
  TOWObject a, b;
  IOWLockSectionPtr onA = a.WriteLock();
  a.AddShareLock(&b); // must not wait on itself
  EXPECT_EQ(LockOf(a), LockOf(b));
  EXPECT_EQ(a.GetGroupLock()->Instance()->GetEntries(), 1);
  std::unique_ptr<TTestThread> reader;
  std::atomic<bool> entered{false};
  EXPECT_TRUE(OtherThreadWaitsForRead(b, reader, entered));
  onA.Reset();
  EXPECT_TRUE(reader->Finished(10s));
}

// Held counts on every member stay what they were through a merge and a split.
TEST(TOWObject, CountsAreUnchangedByMergeAndSplit) {
  TOWObject a, b, c;
  a.BeginRead();
  a.BeginWrite();
  b.BeginRead();
  b.BeginRead();
  c.BeginWrite();
  auto counts = [&] {
    return std::vector<int>{a.GetCountReads(),  a.GetCountWrites(), b.GetCountReads(),
                            b.GetCountWrites(), c.GetCountReads(),  c.GetCountWrites()};
  };
  const std::vector<int> before = counts();
  a.AddShareLock(&b);
  b.AddShareLock(&c);
  EXPECT_EQ(counts(), before);
  EXPECT_EQ(a.GetGroupLock()->Instance()->GetEntries(), 5);
  a.RemoveShareLock(&b);
  EXPECT_EQ(counts(), before);
  EXPECT_EQ(LockOf(b), LockOf(c));
  EXPECT_EQ(a.GetGroupLock()->Instance()->GetEntries(), 2);
  EXPECT_EQ(b.GetGroupLock()->Instance()->GetEntries(), 3);
  c.EndWrite();
  b.EndRead();
  b.EndRead();
  a.EndWrite();
  a.EndRead();
  EXPECT_EQ(a.GetGroupLock()->Instance()->GetEntries(), 0);
  EXPECT_EQ(b.GetGroupLock()->Instance()->GetEntries(), 0);
}

// A waiter blocked on a lock that a merge replaces enters the new lock in its
// own right once the merge is over.
TEST(TOWObject, AWaiterOnAReplacedLockRetriesOnTheCurrentOne) {
  TOWObject a, b;
  TOWObject holder;
  // The test thread holds A's lock through a stream section on the lock object
  // itself (not counted on A), so that the waiter below blocks on it.
  IOWLockObjectPtr oldLock = a.GetGroupLock();
  oldLock->BeginWrite();
  std::atomic<bool> entered{false};
  TTestThread waiter([&] {
    a.BeginWrite();
    entered = true;
    a.EndWrite();
  });
  ASSERT_TRUE(Eventually([&] { return a.GetCountWrites() == 1; }));
  EXPECT_FALSE(waiter.Finished(BlockedFor));
  a.AddShareLock(&b);
  EXPECT_NE(LockOf(a), oldLock->Instance());
  // The merge took nothing for the waiter; it is still blocked on the old lock.
  EXPECT_FALSE(entered);
  IOWLockSectionPtr onB = b.WriteLock();
  oldLock->EndWrite(); // the waiter wakes on the old lock, leaves it and retries
  EXPECT_FALSE(waiter.Finished(BlockedFor)) << "the current lock is held through B";
  onB.Reset();
  EXPECT_TRUE(waiter.Finished(10s));
  EXPECT_TRUE(entered);
  EXPECT_EQ(a.GetCountWrites(), 0);
  EXPECT_EQ(oldLock->Instance()->GetEntries(), 0);
}

TEST(TOWObject, AStreamSectionLeavesTheLockItEntered) {
  TOWObject a, b;
  IOWLockObjectPtr lock = a.GetGroupLock();
  IOWLockSectionPtr section = lock->WriteLock();
  a.AddShareLock(&b);
  EXPECT_EQ(lock->Instance()->GetEntries(), 1);
  EXPECT_EQ(a.GetGroupLock()->Instance()->GetEntries(), 0)
      << "stream entries are not counted on objects";
  section.Reset();
  EXPECT_EQ(lock->Instance()->GetEntries(), 0);
}

TEST(TOWObject, GlobalSectionsTakeTheGlobalLock) {
  {
    IOWLockSectionPtr w = OWGlobalLock->WriteLock();
    EXPECT_TRUE(OWGlobalLock->IsWriter());
  }
  EXPECT_FALSE(OWGlobalLock->IsWriter());
  {
    IOWLockSectionPtr r = OWGlobalLock->ReadLock();
    EXPECT_EQ(OWGlobalLock->GetSentinel(), TOWMultiReadExclusiveWriteSynchronizer::Idle - 1);
  }
  EXPECT_EQ(OWGlobalLock->GetSentinel(), TOWMultiReadExclusiveWriteSynchronizer::Idle);
}

// Sections on objects of changing groups from several threads while another
// thread merges and splits them: no deadlock, no lost entry, clean under the
// thread sanitizer.
TEST(TOWObject, StressOfSectionsWhileGroupsMergeAndSplit) {
  constexpr int N = 6;
  std::vector<std::unique_ptr<TOWObject>> objects;
  for (int i = 0; i < N; ++i)
    objects.push_back(std::make_unique<TOWObject>());
  std::vector<int64_t> guarded(N, 0); // each changed under its object's write section
  std::atomic<bool> stop{false};
  std::vector<std::unique_ptr<TTestThread>> workers;
  for (int t = 0; t < 4; ++t) {
    workers.push_back(std::make_unique<TTestThread>([&, t] {
      std::mt19937 rng(static_cast<unsigned>(t) + 11u);
      while (!stop) {
        int i = static_cast<int>(rng() % N);
        if (rng() % 2) {
          IOWLockSectionPtr s = objects[static_cast<size_t>(i)]->WriteLock();
          ++guarded[static_cast<size_t>(i)];
        } else {
          IOWLockSectionPtr s = objects[static_cast<size_t>(i)]->ReadLock();
          volatile int64_t v = guarded[static_cast<size_t>(i)];
          (void)v;
        }
      }
    }));
  }
  TTestThread topology([&] {
    std::mt19937 rng(99);
    for (int k = 0; k < 300; ++k) {
      int i = static_cast<int>(rng() % N), j = static_cast<int>(rng() % N);
      if (i == j)
        continue;
      if (rng() % 2)
        objects[static_cast<size_t>(i)]->AddShareLock(objects[static_cast<size_t>(j)].get());
      else
        objects[static_cast<size_t>(i)]->RemoveShareLock(objects[static_cast<size_t>(j)].get());
    }
  });
  EXPECT_TRUE(topology.Finished(60s));
  stop = true;
  for (auto &w : workers)
    EXPECT_TRUE(w->Finished(60s));
  for (auto &o : objects) {
    EXPECT_EQ(o->GetCountReads(), 0);
    EXPECT_EQ(o->GetCountWrites(), 0);
    EXPECT_EQ(o->GetGroupLock()->Instance()->GetEntries(), 0);
  }
}

} // namespace
