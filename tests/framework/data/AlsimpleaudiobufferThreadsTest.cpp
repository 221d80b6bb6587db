#include <atomic>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "framework/data/Alsimpleaudiobuffer.h"
#include "tests/support/FrameworkEnvironment.h"
#include "tests/support/Wait.h"

namespace {

// Several threads each take a buffer sharing one store and write into it at
// once: every writer ends up with a private copy, the shared samples and the
// stamp stay as they were, and every store and buffer is released.
TEST(AudioBufferThreads, WritersSharingAStoreEachGetTheirOwnCopy) {
  const int stores = _SLCountStores.load(), buffers = _SLCountPasBuffers.load();
  {
    auto shared = com::MakeCom<TALAudioBuffer>(44100, 16, 2, 256);
    shared->SetValue(7);
    shared->GetTimeStamp()->SetBegin(123);
    constexpr int Writers = 8;
    std::atomic<int> done{0}, wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < Writers; ++t)
      threads.emplace_back([&, t] {
        for (int round = 0; round < 50; ++round) {
          auto mine = com::MakeCom<TALAudioBuffer>(shared.Get());
          mine->SetItem(uint32_t(round), uint32_t(t % 2), 1000 + t);
          mine->GetTimeStamp()->SetBegin(t);
          mine->Add(shared.Get());
          if (mine->GetItem(uint32_t(round), uint32_t(t % 2)) != 1007 + t ||
              mine->GetBuffer() == shared->GetBuffer())
            ++wrong;
        }
        ++done;
      });
    const bool finished = Eventually([&] { return done.load() == Writers; });
    ASSERT_TRUE(finished);
    for (auto &th : threads)
      th.join();
    EXPECT_EQ(wrong.load(), 0);
    for (uint32_t f = 0; f < shared->GetSize(); ++f)
      for (uint32_t c = 0; c < 2; ++c)
        ASSERT_EQ(shared->GetItem(f, c), 7);
    EXPECT_EQ(shared->GetTimeStamp()->GetBegin(), 123);
  }
  EXPECT_EQ(_SLCountStores.load(), stores);
  EXPECT_EQ(_SLCountPasBuffers.load(), buffers);
}

} // namespace
