// Buffers and stores used from several threads at once: the pool, the store
// counts and copy-on-write between sharers on different threads.
#include <chrono>
#include <future>
#include <vector>

#include <gtest/gtest.h>

#include "framework/data/Mlsimplemediabuffer.h"
#include "framework/data/SLSimpleDataBuffer.h"
#include "tests/framework/data/SLBufferTestSupport.h"

namespace {

using com::MakeCom;
using com::TComPtr;

// Runs body on count threads at once; false when they do not all finish
// within the time (a thread left behind is abandoned, the test has failed).
bool RunConcurrently(int count, const std::function<void(int)> &body,
                     std::chrono::seconds within = std::chrono::seconds(30)) {
  std::promise<void> go;
  std::shared_future<void> start = go.get_future().share();
  std::vector<std::future<void>> done;
  for (int i = 0; i < count; ++i)
    done.push_back(std::async(std::launch::async, [i, start, &body] {
      start.wait();
      body(i);
    }));
  go.set_value();
  const auto end = std::chrono::steady_clock::now() + within;
  bool finished = true;
  for (auto &f : done)
    if (f.wait_until(end) != std::future_status::ready)
      finished = false;
  if (!finished)
    for (auto &f : done)
      new std::future<void>(std::move(f)); // never joined: the test fails instead of hanging
  return finished;
}

using SLBufferThreadsTest = SLCountedTest;

TEST_F(SLBufferThreadsTest, PoolServesManyThreads) {
  ASSERT_TRUE(RunConcurrently(8, [](int id) {
    for (int round = 0; round < 2000; ++round) {
      TComPtr<TSLRealBuffer> a =
          MakeCom<TSLRealBuffer>(static_cast<uint32_t>(1 + (round + id) % 300));
      TComPtr<ISLDataBuffer> b = a->MakeCopy();
      a->Modify()[0] = id;
      b->ByteWrite();
    }
  }));
}

TEST_F(SLBufferThreadsTest, SharersWritingAtOnceEachGetTheirOwnCopy) {
  const int threads = 8;
  std::vector<double> values(64, 7.0);
  TComPtr<TSLRealBuffer> original = MakeCom<TSLRealBuffer>(values.data(), 64u);
  std::vector<TComPtr<ISLRealBuffer>> copies;
  for (int i = 0; i < threads; ++i)
    copies.push_back(TComPtr<ISLRealBuffer>::Query(original->MakeCopy()));
  ASSERT_TRUE(RunConcurrently(threads, [&copies](int id) {
    double *p = copies[static_cast<size_t>(id)]->Modify();
    for (int k = 0; k < 64; ++k)
      p[k] += id;
  }));
  for (int i = 0; i < threads; ++i) {
    EXPECT_NE(copies[static_cast<size_t>(i)]->Read(), original->Read());
    for (uint32_t k = 0; k < 64; ++k)
      ASSERT_EQ(copies[static_cast<size_t>(i)]->GetItem(static_cast<int32_t>(k)), 7.0 + i);
  }
  for (uint32_t k = 0; k < 64; ++k)
    EXPECT_EQ(original->GetItem(static_cast<int32_t>(k)), 7.0);
}

TEST_F(SLBufferThreadsTest, CopiesReleasedOnOtherThreadsFreeTheStoreOnce) {
  for (int round = 0; round < 50; ++round) {
    TComPtr<TSLIntegerBuffer> original = MakeCom<TSLIntegerBuffer>(16u);
    std::vector<TComPtr<ISLDataBuffer>> copies;
    for (int i = 0; i < 6; ++i)
      copies.push_back(original->MakeCopy());
    original.Reset();
    ASSERT_TRUE(RunConcurrently(6, [&copies](int id) { copies[static_cast<size_t>(id)].Reset(); }));
  }
}

TEST_F(SLBufferThreadsTest, SharedTimeStampIsReadWhileItIsWritten) {
  TComPtr<TMLMediaBuffer> writer = MakeCom<TMLMediaBuffer>(new TMLSmartMediaBuffer(), 0u);
  TComPtr<ISLDataBuffer> reader = writer->MakeCopy();
  auto *view = TComPtr<IMLMediaBuffer>::Query(reader)->GetTimeStamp();
  ASSERT_TRUE(RunConcurrently(2, [&](int id) {
    for (int64_t k = 1; k <= 20000; ++k) {
      if (id == 0) {
        writer->GetTimeStamp()->SetBegin(k * 0x100000001LL);
      } else {
        const int64_t v = view->GetBegin();
        ASSERT_EQ(v % 0x100000001LL, 0); // never half written
      }
    }
  }));
  EXPECT_EQ(view->GetBegin(), 20000 * 0x100000001LL);
}

} // namespace
