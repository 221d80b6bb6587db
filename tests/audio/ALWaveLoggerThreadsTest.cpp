// The wave logger fed from another thread, as the capture component's notify
// thread feeds it: a file that begins because of a buffer begins on the main
// thread, and every buffer, the one that triggered it included, is written in
// order.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "audio/ALWaveLogger.h"
#include "tests/audio/ALVirtualSourceSupport.h"
#include "tests/support/MainLoopWait.h"
#include "tests/support/WavOracle.h"

namespace {

TEST(ALWaveLoggerThreadsTest, ADeferredStartOnTheMainThreadKeepsEveryBufferOfTheDeliveryThread) {
  ALTestFrameworkUp();
  mainloop::TMainLoop::Main().BindMainThread();
  wavoracle::TTempDir dir;
  const std::string path = dir.File("take.wav");
  TOwnedPtr<TALVirtualSource> source(CreateObject<TALVirtualSource>());
  TOwnedPtr<TALWaveLogger> logger(CreateObject<TALWaveLogger>(nullptr));
  logger->SetFileName(path);
  ASSERT_TRUE(logger->GetInputPin()->Connect(source->Pin()));
  logger->SetEnabled(false);
  source->Start(ALTestFormat(44100, 16, 2));
  logger->SetEnabled(true);
  std::atomic<bool> done{false};
  std::thread delivery([&] {
    for (int k = 0; k < 200; ++k)
      source->SendBuffer(256);
    done = true;
  });
  PumpUntil([&] { return done.load(); });
  delivery.join();
  mainloop::TMainLoop::Main().RunPending();
  EXPECT_EQ(logger->Get_CurrentSample(), 200 * 256);
  source->Stop();
  const auto read = wavoracle::ReadWithSndfile(path);
  ASSERT_TRUE(read.Opened) << read.Error;
  ASSERT_EQ(read.Frames, 200 * 256);
  EXPECT_EQ(std::memcmp(read.Samples.data(), source->Sent().data(), source->Sent().size()), 0);
  logger.reset();
  source.reset();
  mainloop::TMainLoop::Main().RunPending();
}

// The delivery thread writes a buffer every 5 ms for about a second while the
// main thread runs its loop: the position reaches the main thread about every
// 100 ms, not per buffer, and the stop hands over the exact end.
TEST(ALWaveLoggerThreadsTest, ThePositionReachesTheMainThreadAtMostEveryPeriodAndExactlyAtTheEnd) {
  ALTestFrameworkUp();
  mainloop::TMainLoop::Main().BindMainThread();
  wavoracle::TTempDir dir;
  TOwnedPtr<TALVirtualSource> source(CreateObject<TALVirtualSource>());
  TOwnedPtr<TALWaveLogger> logger(CreateObject<TALWaveLogger>(nullptr));
  logger->SetFileName(dir.File("take.wav"));
  ASSERT_TRUE(logger->GetInputPin()->Connect(source->Pin()));
  std::vector<int64_t> shown;
  logger->OnProgress.Fn = [&](TObject *, int64_t current, int64_t) { shown.push_back(current); };
  source->Start(ALTestFormat(48000, 16, 2));
  constexpr int Buffers = 200;
  std::atomic<bool> done{false};
  const auto began = std::chrono::steady_clock::now();
  std::thread delivery([&] {
    for (int k = 0; k < Buffers; ++k) {
      source->SendBuffer(240);
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    done = true;
  });
  PumpUntil([&] { return done.load(); });
  delivery.join();
  const double periods =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count() / 0.1;
  source->Stop();
  mainloop::TMainLoop::Main().RunPending();
  ASSERT_FALSE(shown.empty());
  EXPECT_LE(double(shown.size()), periods + 2) << "one hand-over per buffer would be " << Buffers;
  EXPECT_EQ(shown.back(), Buffers * 240);
  EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end()));
  logger.reset();
  source.reset();
  mainloop::TMainLoop::Main().RunPending();
}

} // namespace
