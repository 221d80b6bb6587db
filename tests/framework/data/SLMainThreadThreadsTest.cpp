#include <atomic>
#include <memory>
#include <stdexcept>
#include <thread>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

#include "framework/data/SLClockGen.h"
#include "tests/framework/data/FakeDataBuffer.h"
#include "tests/support/FrameworkEnvironment.h"
#include "tests/support/Wait.h"

using namespace std::chrono_literals;
using TQueue = TSLMainThreadBufferQueueT<TFakeBufferPtr>;

namespace {

// The test's thread plays the main thread and pumps the process's main loop by
// hand; whatever a test leaves queued is run off before the next.
class MainThreadTest : public ::testing::Test {
protected:
  void SetUp() override {
    Loop().BindMainThread();
    Loop().RunPending();
  }
  void TearDown() override { Loop().RunPending(); }
  static mainloop::TMainLoop &Loop() { return mainloop::TMainLoop::Main(); }
};

} // namespace

TEST_F(MainThreadTest, EachNotifyGivesOneCallbackInOrderWithTheNotifierAsSender) {
  std::vector<std::pair<int, TSLMainThreadNotify *>> calls;
  int n = 0;
  TSLMainThreadNotify notifier(
      [&](TSLMainThreadNotify *sender) { calls.emplace_back(++n, sender); });
  std::thread producer([&] {
    for (int i = 0; i < 3; ++i)
      EXPECT_TRUE(notifier.Notify());
  });
  producer.join();
  EXPECT_TRUE(calls.empty()) << "callbacks must wait for the main loop";
  Loop().RunPending();
  ASSERT_EQ(calls.size(), 3u);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(calls[i].first, i + 1);
    EXPECT_EQ(calls[i].second, &notifier);
  }
}

TEST_F(MainThreadTest, ADestroyedNotifiersMessagesAreIgnoredAndOthersStillArrive) {
  int gone = 0, kept = 0;
  TSLMainThreadNotify keeper([&](TSLMainThreadNotify *) { ++kept; });
  auto doomed = std::make_unique<TSLMainThreadNotify>([&](TSLMainThreadNotify *) { ++gone; });
  doomed->Notify();
  keeper.Notify();
  doomed->Notify();
  doomed.reset();
  // A new notifier may take the old one's memory; the old messages must not reach it.
  TSLMainThreadNotify successor([&](TSLMainThreadNotify *) { gone += 100; });
  Loop().RunPending();
  EXPECT_EQ(gone, 0);
  EXPECT_EQ(kept, 1);
}

TEST_F(MainThreadTest, TheLastNotifierTakesTheWindowAlongAndTheNextMakesANewOne) {
  mainloop::TTargetId first;
  {
    TSLMainThreadNotify a(nullptr), b(nullptr);
    first = SLMainWindowHandle();
    ASSERT_NE(first, 0u);
    a.Notify();
    b.Notify();
  }
  EXPECT_EQ(SLMainWindowHandle(), 0u);
  EXPECT_EQ(Loop().PendingCount(), 0u) << "the window's messages go with it";
  TSLMainThreadNotify c(nullptr);
  EXPECT_NE(SLMainWindowHandle(), 0u);
  EXPECT_NE(SLMainWindowHandle(), first);
}

TEST_F(MainThreadTest, ACallbackMayDestroyItsOwnNotifier) {
  int calls = 0;
  std::unique_ptr<TSLMainThreadNotify> notifier;
  notifier = std::make_unique<TSLMainThreadNotify>([&](TSLMainThreadNotify *) {
    ++calls;
    notifier.reset();
  });
  notifier->Notify();
  notifier->Notify();
  Loop().RunPending();
  EXPECT_EQ(calls, 1);
  EXPECT_FALSE(notifier);
}

// What the callback captured must outlive its own run, also when the run
// destroys the notifier that holds the callback.
TEST_F(MainThreadTest, ACallbackKeepsItsCapturesWhileItDestroysItsNotifier) {
  struct TCapture {
    bool *destroyed;
    ~TCapture() { *destroyed = true; }
  };
  bool captureDestroyed = false;
  bool destroyedDuringRun = true;
  std::unique_ptr<TSLMainThreadNotify> notifier;
  auto capture = std::make_shared<TCapture>(&captureDestroyed);
  notifier = std::make_unique<TSLMainThreadNotify>([&, capture](TSLMainThreadNotify *) {
    notifier.reset();
    destroyedDuringRun = captureDestroyed;
  });
  capture.reset(); // the callback holds the only reference now
  notifier->Notify();
  Loop().RunPending();
  EXPECT_FALSE(destroyedDuringRun) << "the callback's captures went while it ran";
  EXPECT_TRUE(captureDestroyed);
}

TEST_F(MainThreadTest, AnUnassignedCallbackIsSkipped) {
  TSLMainThreadNotify notifier(nullptr);
  notifier.Notify();
  EXPECT_EQ(Loop().RunPending(), 1u);
}

// ---- buffer queue ----------------------------------------------------------

namespace {

struct TReceived {
  std::vector<int> tags;
  std::vector<TQueue *> senders;
  TQueue::TCallback Callback() {
    return [this](TQueue *sender, const TFakeBufferPtr &buffer) {
      tags.push_back(buffer->tag);
      senders.push_back(sender);
    };
  }
};

} // namespace

struct ForceCase {
  bool force;
  std::vector<int> expected;
};

class MainThreadQueueForce : public MainThreadTest,
                             public ::testing::WithParamInterface<ForceCase> {};

TEST_P(MainThreadQueueForce, FiveBuffersBeforeTheMainThreadRuns) {
  TReceived got;
  TQueue queue(got.Callback());
  std::thread producer([&] {
    for (int tag = 1; tag <= 5; ++tag)
      EXPECT_TRUE(queue.AddBuffer(TFakeBuffer::Make(2, 1, tag), GetParam().force));
  });
  producer.join();
  EXPECT_EQ(queue.GetFreeSlots(), TSLMainThreadSlots::Slots - 5);
  EXPECT_EQ(Loop().RunPending(), 5u);
  EXPECT_EQ(got.tags, GetParam().expected);
  for (TQueue *sender : got.senders)
    EXPECT_EQ(sender, &queue);
  EXPECT_EQ(queue.GetFreeSlots(), TSLMainThreadSlots::Slots);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, MainThreadQueueForce,
    ::testing::Values(ForceCase{true, {1, 2, 3, 4, 5}}, // every buffer, in order
                      ForceCase{false, {1}}),           // only the oldest waiting one
    [](const auto &info) { return info.param.force ? "Forced" : "NotForced"; });

TEST_F(MainThreadTest, TheQueueHandsOverCopiesThatShareTheSamples) {
  TFakeBufferPtr seen;
  TQueue queue([&](TQueue *, const TFakeBufferPtr &buffer) { seen = buffer; });
  TFakeBufferPtr sent = TFakeBuffer::Counting(3, 7);
  queue.AddBuffer(sent, true);
  Loop().RunPending();
  ASSERT_TRUE(seen);
  EXPECT_NE(seen, sent);
  EXPECT_EQ(seen->ByteRead(), sent->ByteRead());
}

TEST_F(MainThreadTest, TheSystemsBufferQueueHandsOverDataBuffers) {
  std::vector<double> seen;
  TSLMainThreadBufferQueue queue([&](TSLMainThreadBufferQueue *, const ISLDataBufferPtr &buffer) {
    auto real = com::TComPtr<ISLRealBuffer>::Query(buffer);
    ASSERT_TRUE(real);
    seen.insert(seen.end(), real->Read(), real->Read() + real->GetSize());
  });
  std::thread producer([&] {
    for (double v : {1.0, 2.0}) {
      std::vector<double> values{v, v + 10};
      queue.AddBuffer(com::MakeCom<TSLRealBuffer>(values.data(), 2u), true);
    }
  });
  producer.join();
  Loop().RunPending();
  EXPECT_EQ(seen, (std::vector<double>{1, 11, 2, 12}));
}

TEST_F(MainThreadTest, The401stBufferWaitsUntilTheMainThreadHandlesOne) {
  TReceived got;
  TQueue queue(got.Callback());
  std::atomic<int> added{0};
  std::thread producer([&] {
    for (int tag = 1; tag <= TSLMainThreadSlots::Slots + 1; ++tag) {
      queue.AddBuffer(TFakeBuffer::Make(1, 1, tag), true);
      ++added;
    }
  });
  ASSERT_TRUE(Eventually([&] { return added.load() == TSLMainThreadSlots::Slots; }));
  std::this_thread::sleep_for(BlockedFor);
  EXPECT_EQ(added.load(), TSLMainThreadSlots::Slots) << "the 401st buffer did not wait";
  EXPECT_EQ(queue.GetFreeSlots(), 0);
  EXPECT_EQ(Loop().RunPending(1), 1u);
  EXPECT_TRUE(Eventually([&] { return added.load() == TSLMainThreadSlots::Slots + 1; }));
  producer.join();
  Loop().RunPending();
  ASSERT_EQ(got.tags.size(), static_cast<size_t>(TSLMainThreadSlots::Slots + 1));
  EXPECT_EQ(got.tags.back(), TSLMainThreadSlots::Slots + 1);
  EXPECT_EQ(queue.GetFreeSlots(), TSLMainThreadSlots::Slots);
}

TEST_F(MainThreadTest, ClearDropsTheBuffersAndTheMessagesGiveTheSlotsBack) {
  TReceived got;
  TQueue queue(got.Callback());
  for (int tag = 1; tag <= 4; ++tag)
    queue.AddBuffer(TFakeBuffer::Make(1, 1, tag), true);
  queue.Clear();
  EXPECT_EQ(queue.GetFreeSlots(), TSLMainThreadSlots::Slots - 4);
  EXPECT_EQ(Loop().RunPending(), 4u);
  EXPECT_TRUE(got.tags.empty());
  EXPECT_EQ(queue.GetFreeSlots(), TSLMainThreadSlots::Slots);
}

TEST_F(MainThreadTest, DestroyingTheQueueSendsAWaitingProducerHome) {
  auto queue = std::make_unique<TQueue>([](TQueue *, const TFakeBufferPtr &) {});
  for (int i = 0; i < TSLMainThreadSlots::Slots; ++i)
    queue->AddBuffer(TFakeBuffer::Make(1), true);
  std::atomic<int> result{-1};
  TQueue *target = queue.get();
  std::thread producer(
      [&result, target] { result = target->AddBuffer(TFakeBuffer::Make(1), true) ? 1 : 0; });
  std::this_thread::sleep_for(BlockedFor);
  EXPECT_EQ(result.load(), -1) << "the producer should be waiting for a slot";
  queue.reset();
  producer.join();
  EXPECT_EQ(result.load(), 0);
  EXPECT_EQ(Loop().PendingCount(), 0u) << "the queue's messages go with its notifier";
}

TEST_F(MainThreadTest, ACallbackThatRaisesStillGivesItsSlotBack) {
  TQueue queue([](TQueue *, const TFakeBufferPtr &) { throw std::runtime_error("meter failed"); });
  queue.AddBuffer(TFakeBuffer::Make(1), true);
  queue.AddBuffer(TFakeBuffer::Make(1), true);
  EXPECT_THROW(Loop().RunPending(), std::runtime_error);
  EXPECT_THROW(Loop().RunPending(), std::runtime_error);
  EXPECT_EQ(queue.GetFreeSlots(), TSLMainThreadSlots::Slots);
}

TEST_F(MainThreadTest, ProducersOnSeveralThreadsLoseNothingWhenForced) {
  std::vector<int> tags;
  TQueue queue([&](TQueue *, const TFakeBufferPtr &buffer) { tags.push_back(buffer->tag); });
  constexpr int perThread = 600; // more than the slots: producers must wait and resume
  std::vector<std::thread> producers;
  for (int t = 0; t < 3; ++t)
    producers.emplace_back([&, t] {
      for (int i = 0; i < perThread; ++i)
        queue.AddBuffer(TFakeBuffer::Make(1, 1, t * perThread + i), true);
    });
  const auto deadline = std::chrono::steady_clock::now() + 30s;
  while (tags.size() < 3u * perThread && std::chrono::steady_clock::now() < deadline)
    Loop().WaitAndRun(10ms);
  for (auto &p : producers)
    p.join();
  Loop().RunPending();
  ASSERT_EQ(tags.size(), 3u * perThread);
  std::vector<int> last(3, -1);
  for (int tag : tags) {
    EXPECT_GT(tag % perThread, last[tag / perThread])
        << "a producer's buffers arrived out of order";
    last[tag / perThread] = tag % perThread;
  }
}

// A message that cannot be posted must not keep its slot: once the main loop
// has shut down, producers still come through instead of blocking after 400.
// Shutting the process's loop down is for good, hence a child process.
TEST_F(MainThreadTest, AFailedPostGivesItsSlotBack) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        alarm(30); // a producer stuck on a lost slot ends the child instead of hanging
        TQueue queue([](TQueue *, const TFakeBufferPtr &) {});
        Loop().Shutdown();
        for (int i = 0; i < 2 * TSLMainThreadSlots::Slots; ++i)
          queue.AddBuffer(TFakeBuffer::Make(1), true);
        std::exit(queue.GetFreeSlots() == TSLMainThreadSlots::Slots ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}
