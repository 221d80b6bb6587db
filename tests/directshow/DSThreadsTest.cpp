// Threaded behaviour of the media layer: a delivery thread waiting for a
// buffer is sent home by stopping the graph, and the block queue carries
// blocks from a streaming thread to a consumer in order.
#include <atomic>
#include <future>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "directshow/DSBaseClass.h"
#include "directshow/Dsbufferqueue.h"
#include "tests/directshow/DSTestPins.h"

namespace {

using namespace media;
using com::TComPtr;

TEST(DeliveryThreadsTest, StoppingTheFilterReleasesASendDataWaitingForABuffer) {
  auto filter = com::MakeCom<TDSAudioSourceFilter>("AudioSource", GUID_NULL);
  filter->SetFormat(dstest::Extensible(1, 1000, 16), false, 48); // one buffer of 100 bytes
  auto sink = com::MakeCom<dstest::TTestSink>();
  sink->HoldSamples = true;
  IPin *out = static_cast<IPin *>(filter->StreamPin());
  ASSERT_EQ(out->Connect(sink.Get(), nullptr), S_OK);
  ASSERT_EQ(filter->Run(0), S_OK);
  std::vector<uint8_t> data(300, 1);
  // The first sample stays with the sink: the second GetBuffer waits.
  auto sent = std::async(std::launch::async,
                         [&] { return filter->SendData(data.data(), 300, 0, 300, true); });
  ASSERT_TRUE(sink->WaitReceived(1));
  EXPECT_EQ(sent.wait_for(std::chrono::milliseconds(0)), std::future_status::timeout);
  EXPECT_EQ(filter->Stop(), S_OK);
  ASSERT_EQ(sent.wait_for(std::chrono::seconds(10)), std::future_status::ready);
  EXPECT_FALSE(sent.get());
  sink->DropHeld();
  out->Disconnect();
}

TEST(DeliveryThreadsTest, BlocksCrossFromProducerToConsumerInOrder) {
  TVLDSBufferQueue queue;
  constexpr int kBlocks = 100000;
  // The producer keeps at most two blocks queued, so that most Adds meet a Get
  // on a queue of one block, where an unguarded link loses blocks. The counters
  // are relaxed: they must not order the queue's own accesses for the thread
  // sanitizer.
  std::atomic<int> added{0}, taken{0};
  std::atomic<bool> quit{false};
  std::thread producer([&] {
    for (int i = 0; i < kBlocks; ++i) {
      while (taken.load(std::memory_order_relaxed) + 1 < i && !quit.load(std::memory_order_relaxed))
        std::this_thread::yield();
      int32_t value = i;
      queue.Add(i, i + 1, &value, sizeof value);
      added.fetch_add(1, std::memory_order_relaxed);
    }
  });
  int next = 0;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (next < kBlocks && std::chrono::steady_clock::now() < deadline) {
    const int before = added.load(std::memory_order_relaxed);
    TVLDSBufferQueueNodeHeader *block = queue.Get();
    if (block == nullptr) {
      if (before > next)
        break; // a block was added and is not in the queue: it is lost
      std::this_thread::yield();
      continue;
    }
    int32_t value;
    std::memcpy(&value, block->Data(), sizeof value);
    EXPECT_EQ(value, next);
    EXPECT_EQ(block->StartTime, next);
    queue.DestroyBlock(block);
    taken.store(++next, std::memory_order_relaxed);
  }
  quit.store(true, std::memory_order_relaxed);
  producer.join();
  EXPECT_EQ(next, kBlocks);
  queue.Clear();
}

} // namespace
