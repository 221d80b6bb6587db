// The multi-read exclusive-write lock: re-entrancy, promotion, writer
// preference, record reuse and the non-writer assertion.
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "framework/pins/OWMultiReadLock.h"
#include "platform/classlib/Exceptions.h"
#include "tests/support/Wait.h"

using Sync = TOWMultiReadExclusiveWriteSynchronizer;

namespace {

void ExpectIdle(const Sync &s) {
  EXPECT_EQ(s.GetSentinel(), Sync::Idle);
  EXPECT_EQ(s.GetWriter(), 0u);
  EXPECT_EQ(s.GetWriteRecursion(), 0);
  EXPECT_EQ(s.GetCounter().Find(OWCurrentThreadId()), nullptr) << "the thread's record is free";
}

// One thread's sequences of the lock's own calls, each of which must run
// without waiting and end idle.
struct TSequenceCase {
  const char *name;
  std::vector<char> steps; // r R w W = BeginRead EndRead BeginWrite EndWrite
};

class SingleThreadSequence : public ::testing::TestWithParam<TSequenceCase> {};

TEST_P(SingleThreadSequence, NeverWaitsAndEndsIdle) {
  Sync s;
  TTestThread t([&] {
    for (char c : GetParam().steps) {
      switch (c) {
      case 'r':
        s.BeginRead();
        break;
      case 'R':
        s.EndRead();
        break;
      case 'w':
        s.BeginWrite();
        break;
      case 'W':
        s.EndWrite();
        break;
      }
    }
  });
  ASSERT_TRUE(t.Finished(std::chrono::seconds(10)));
  EXPECT_EQ(s.GetSentinel(), Sync::Idle);
  EXPECT_EQ(s.GetWriter(), 0u);
}

INSTANTIATE_TEST_SUITE_P(OWMultiReadLock, SingleThreadSequence,
                         ::testing::Values(TSequenceCase{"NestedReads", {'r', 'r', 'R', 'R'}},
                                           TSequenceCase{"ReadInsideWrite", {'w', 'r', 'R', 'W'}},
                                           TSequenceCase{"PromotedRead", {'r', 'w', 'W', 'R'}},
                                           TSequenceCase{"NestedWrites",
                                                         {'w', 'w', 'w', 'W', 'W', 'W'}},
                                           TSequenceCase{"PromotionInsideNestedReads",
                                                         {'r', 'r', 'w', 'r', 'R', 'W', 'R', 'R'}}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(OWMultiReadLock, NestedReadsLeaveTheRecordFree) {
  Sync s;
  s.BeginRead();
  s.BeginRead();
  EXPECT_EQ(s.GetSentinel(), Sync::Idle - 1);
  ASSERT_NE(s.GetCounter().Find(OWCurrentThreadId()), nullptr);
  EXPECT_EQ(s.GetCounter().Find(OWCurrentThreadId())->recursionCount, 2);
  s.EndRead();
  s.EndRead();
  ExpectIdle(s);
}

TEST(OWMultiReadLock, PromotionFollowsTheWorkedSentinelSequence) {
  Sync s;
  s.BeginRead();
  EXPECT_EQ(s.GetSentinel(), 65534);
  s.BeginWrite();
  EXPECT_EQ(s.GetSentinel(), -1);
  s.EndWrite();
  EXPECT_EQ(s.GetSentinel(), 65534);
  s.EndRead();
  ExpectIdle(s);
}

TEST(OWMultiReadLock, OnlyTheLastOfNestedWritesReleases) {
  Sync s;
  s.BeginWrite();
  s.BeginWrite();
  s.BeginWrite();
  std::atomic<bool> readerIn{false};
  TTestThread reader([&] {
    s.BeginRead();
    readerIn = true;
    s.EndRead();
  });
  s.EndWrite();
  s.EndWrite();
  EXPECT_FALSE(reader.Finished(BlockedFor));
  EXPECT_FALSE(readerIn);
  s.EndWrite();
  EXPECT_TRUE(reader.Finished(std::chrono::seconds(10)));
  EXPECT_TRUE(readerIn);
  EXPECT_EQ(s.GetSentinel(), Sync::Idle);
}

TEST(OWMultiReadLock, WaitingWriterKeepsNewReadersOutButNotNestedOnes) {
  Sync s;
  std::atomic<int> step{0};
  std::atomic<bool> writerIn{false}, newReaderIn{false}, nestedTaken{false};
  sys::TEvent nestNow(sys::TEventReset::Manual), finish(sys::TEventReset::Manual);

  TTestThread firstReader([&] {
    s.BeginRead();
    step = 1;
    nestNow.Wait();
    s.BeginRead(); // must not wait although a writer waits
    nestedTaken = true;
    s.EndRead();
    finish.Wait();
    s.EndRead();
  });
  ASSERT_TRUE(Eventually([&] { return step == 1; }));

  TTestThread writer([&] {
    s.BeginWrite();
    writerIn = true;
    s.EndWrite();
  });
  // A new reader is kept out only once the writer has blocked the readers;
  // wait for that rather than for a fixed time, which a loaded machine may
  // not give the writer.
  EXPECT_TRUE(Eventually([&] { return s.ReadersBlocked(); }));
  EXPECT_FALSE(writer.Finished(BlockedFor));

  TTestThread newReader([&] {
    s.BeginRead();
    newReaderIn = true;
    s.EndRead();
  });
  EXPECT_FALSE(newReader.Finished(BlockedFor));
  EXPECT_FALSE(newReaderIn);

  nestNow.Set();
  EXPECT_TRUE(Eventually([&] { return nestedTaken.load(); }));
  EXPECT_FALSE(writerIn);

  finish.Set();
  EXPECT_TRUE(writer.Finished(std::chrono::seconds(10)));
  EXPECT_TRUE(newReader.Finished(std::chrono::seconds(10)));
  EXPECT_TRUE(firstReader.Finished(std::chrono::seconds(10)));
  EXPECT_TRUE(writerIn);
  EXPECT_TRUE(newReaderIn);
  EXPECT_EQ(s.GetSentinel(), Sync::Idle);
}

TEST(OWMultiReadLock, EndWriteByAnotherThreadRaisesAndKeepsTheLock) {
  Sync s;
  s.BeginWrite();
  bool raised = false;
  std::string text, unit;
  int line = 0;
  TTestThread other([&] {
    try {
      s.EndWrite();
    } catch (const EAssertionFailed &e) {
      raised = true;
      text = e.Text();
      unit = e.Unit();
      line = e.Line();
    }
  });
  ASSERT_TRUE(other.Finished(std::chrono::seconds(10)));
  EXPECT_TRUE(raised);
  EXPECT_EQ(text, "Assertion failure");
  EXPECT_EQ(unit, "OWMultiReadLock");
  EXPECT_EQ(line, 278);
  EXPECT_EQ(s.GetWriter(), OWCurrentThreadId());
  EXPECT_EQ(s.GetWriteRecursion(), 1);
  s.EndWrite();
  EXPECT_EQ(s.GetSentinel(), Sync::Idle);
}

TEST(OWMultiReadLock, ThreadsOfOneBucketGetOwnRecordsAndReuseFreedOnes) {
  Sync s;
  // The test thread holds a read; a second thread of the same bucket holds one
  // too, then frees its record for a third.
  const int bucket = TOWThreadLocalCounter::HashIndex(OWCurrentThreadId());
  s.BeginRead();
  // Thread ids are handed out per thread, so new threads are needed for the
  // actual reads; run readers until one lands in the bucket, holding a read.
  sys::TEvent release(sys::TEventReset::Manual);
  std::atomic<bool> held{false};
  std::unique_ptr<TTestThread> holder;
  for (;;) {
    std::atomic<int> verdict{0}; // 1 same bucket (holding), 2 other bucket
    auto t = std::make_unique<TTestThread>([&] {
      if (TOWThreadLocalCounter::HashIndex(OWCurrentThreadId()) != bucket) {
        verdict = 2;
        return;
      }
      s.BeginRead();
      held = true;
      verdict = 1;
      release.Wait();
      s.EndRead();
    });
    ASSERT_TRUE(Eventually([&] { return verdict != 0; }));
    if (verdict == 1) {
      holder = std::move(t);
      break;
    }
  }
  EXPECT_EQ(s.GetCounter().BucketLength(bucket), 2) << "each thread its own record";
  release.Set();
  ASSERT_TRUE(holder->Finished(std::chrono::seconds(10)));
  // The holder's record is free now; the next thread of the bucket reuses it.
  for (;;) {
    std::atomic<int> verdict{0};
    TTestThread t([&] {
      if (TOWThreadLocalCounter::HashIndex(OWCurrentThreadId()) != bucket) {
        verdict = 2;
        return;
      }
      s.BeginRead();
      s.EndRead();
      verdict = 1;
    });
    ASSERT_TRUE(t.Finished(std::chrono::seconds(10)));
    if (verdict == 1)
      break;
  }
  EXPECT_EQ(s.GetCounter().BucketLength(bucket), 2) << "the freed record was reused";
  s.EndRead();
  EXPECT_EQ(s.GetSentinel(), Sync::Idle);
}

TEST(OWMultiReadLock, RandomisedReadersAndWritersKeepWritesExclusive) {
  Sync s;
  int64_t shared = 0; // changed only under the write lock
  std::atomic<int> writersInside{0};
  std::atomic<bool> overlap{false};
  std::vector<std::unique_ptr<TTestThread>> threads;
  for (int t = 0; t < 6; ++t) {
    threads.push_back(std::make_unique<TTestThread>([&, t] {
      std::mt19937 rng(static_cast<unsigned>(t) * 7919u + 1u);
      for (int i = 0; i < 400; ++i) {
        switch (rng() % 4) {
        case 0:
          s.BeginWrite();
          if (writersInside.fetch_add(1) != 0)
            overlap = true;
          ++shared;
          writersInside.fetch_sub(1);
          s.EndWrite();
          break;
        case 1: // promotion
          s.BeginRead();
          s.BeginWrite();
          ++shared;
          s.EndWrite();
          s.EndRead();
          break;
        default:
          s.BeginRead();
          s.BeginRead();
          if (writersInside.load() != 0)
            overlap = true;
          volatile int64_t v = shared;
          (void)v;
          s.EndRead();
          s.EndRead();
        }
      }
    }));
  }
  for (auto &t : threads)
    EXPECT_TRUE(t->Finished(std::chrono::seconds(60)));
  EXPECT_FALSE(overlap);
  EXPECT_EQ(s.GetSentinel(), Sync::Idle);
}

} // namespace
