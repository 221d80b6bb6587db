// Threaded tests of the meters, the generic filter and the channel merger:
// where their work runs, and that hand-overs between threads never lock up.
#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "audio/ALChannelMerger.h"
#include "audio/ALGenericFilter.h"
#include "audio/ALVUMeter.h"
#include "tests/audio/AudioChainSupport.h"
#include "tests/support/MainLoopWait.h"
#include "tests/support/Wait.h"

namespace {

class MeterThreadsTest : public testing::TestWithParam<TSLSynchronizeType> {};

TEST_P(MeterThreadsTest, ValuesArriveOnTheStatedThread) {
  TestLoop().RunPending();
  TTestAudioSource source;
  TOwnedPtr<TALVUMeter> meter(CreateObject<TALVUMeter>(nullptr));
  ASSERT_TRUE(meter->GetInputPin()->Connect(source.pin.get()));
  meter->SetSynchronizeType(GetParam());
  std::mutex m;
  std::vector<std::thread::id> threads;
  meter->OnValueChange.Fn = [&](TObject *, int, double, double) {
    std::lock_guard<std::mutex> lock(m);
    threads.push_back(std::this_thread::get_id());
  };
  std::thread::id worker;
  {
    TTestThread delivering([&] {
      worker = std::this_thread::get_id();
      source.Start(44100, 16, 2);
      for (int i = 0; i < 10; ++i)
        source.SendConstant(1024, 1000 * (i % 3));
    });
    ASSERT_TRUE(delivering.Finished(EventuallyDeadline));
  }
  ASSERT_TRUE(PumpUntil([&] {
    std::lock_guard<std::mutex> lock(m);
    return !threads.empty();
  }));
  const std::thread::id expected = GetParam() == stNone ? worker : std::this_thread::get_id();
  std::lock_guard<std::mutex> lock(m);
  for (const auto &id : threads)
    EXPECT_EQ(id, expected);
}

INSTANTIATE_TEST_SUITE_P(Modes, MeterThreadsTest, testing::Values(stNone, stSingleBuffer, stQueue));

// A delivering thread feeds a synchronized filter whose main-thread step feeds
// a second synchronized filter. Far more buffers than the 400 slots: the
// delivering thread waits for slots, the main thread never does.
TEST(GenericFilterThreads, AChainOfSynchronizedFiltersDrainsWithoutLockingUp) {
  TestLoop().RunPending();
  TTestAudioSource source;
  TOwnedPtr<TALGenericFilter> first(CreateObject<TALGenericFilter>(nullptr));
  TOwnedPtr<TALGenericFilter> second(CreateObject<TALGenericFilter>(nullptr));
  TTestAudioSink end;
  ASSERT_TRUE(first->GetInputPin()->Connect(source.pin.get()));
  ASSERT_TRUE(second->GetInputPin()->Connect(first->GetOutputPin()));
  ASSERT_TRUE(end.pin->Connect(second->GetOutputPin()));
  first->SetSynchronizeType(stQueue);
  second->SetSynchronizeType(stQueue);
  first->OnProcessData.Fn = [](TObject *, TALCAudioBuffer, TALCAudioBuffer &, bool &) {};
  std::vector<int> seen; // main thread only
  second->OnProcessData.Fn = [&](TObject *, TALCAudioBuffer In, TALCAudioBuffer &, bool &) {
    seen.push_back(In.GetItem(0, 0));
  };
  source.Start(44100, 16, 1);
  const int count = TSLMainThreadSlots::Slots * 3;
  std::atomic<bool> done{false};
  TTestThread delivering([&] {
    for (int v = 0; v < count; ++v)
      source.Send(TestAudioBuffer(44100, 16, 1, {v % 30000}));
    done = true;
  });
  ASSERT_TRUE(PumpUntil([&] { return done.load() && static_cast<int>(seen.size()) == count; }));
  for (int v = 0; v < count; ++v)
    ASSERT_EQ(seen[static_cast<size_t>(v)], v % 30000);
  EXPECT_EQ(static_cast<int>(end.buffers.size()), count);
  ASSERT_TRUE(delivering.Finished(EventuallyDeadline));
}

// Two inputs on their own threads, as two capture components deliver: both
// start on the thread that runs the graphs, then buffers and stop come on each
// input's own thread. The merged stream holds every frame of both, in order.
TEST(ChannelMergerThreads, TwoDeliveringThreadsMergeInOrder) {
  TTestAudioSource in[2];
  TOwnedPtr<TALChannelMerger> merger(CreateObject<TALChannelMerger>(nullptr));
  TTestAudioSink sink;
  ASSERT_TRUE(merger->GetInputPin(0)->Connect(in[0].pin.get()));
  ASSERT_TRUE(merger->GetInputPin(1)->Connect(in[1].pin.get()));
  ASSERT_TRUE(sink.pin->Connect(merger->GetOutputPin()));
  const int buffers = 40;
  in[0].Start(44100, 16, 1);
  in[1].Start(44100, 16, 1);
  auto feed = [&](int i) {
    for (int b = 0; b < buffers; ++b) {
      std::vector<int32_t> s(1024);
      for (int f = 0; f < 1024; ++f)
        s[static_cast<size_t>(f)] = (b * 1024 + f) % 30000 * (i == 0 ? 1 : -1);
      in[i].Send(TestAudioBuffer(44100, 16, 1, s));
    }
    in[i].Stop();
  };
  {
    TTestThread left([&] { feed(0); });
    TTestThread right([&] { feed(1); });
    ASSERT_TRUE(left.Finished(EventuallyDeadline));
    ASSERT_TRUE(right.Finished(EventuallyDeadline));
  }
  ASSERT_EQ(sink.starts.size(), 1u);
  ASSERT_EQ(sink.buffers.size(), static_cast<size_t>(buffers));
  for (int b = 0; b < buffers; ++b)
    for (uint32_t f : {0u, 1023u}) {
      const int expected = (b * 1024 + static_cast<int>(f)) % 30000;
      ASSERT_EQ(sink.buffers[static_cast<size_t>(b)]->GetItem(f, 0), expected);
      ASSERT_EQ(sink.buffers[static_cast<size_t>(b)]->GetItem(f, 1), -expected);
    }
  EXPECT_EQ(sink.log.back(), "stop");
}

} // namespace
