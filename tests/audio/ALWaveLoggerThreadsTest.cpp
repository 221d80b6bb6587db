// The wave logger fed from another thread, as the capture component's notify
// thread feeds it: a file that begins because of a buffer begins on the main
// thread, and every buffer, the one that triggered it included, is written in
// order.
#include <atomic>
#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include "audio/ALWaveLogger.h"
#include "tests/audio/ALVirtualSourceSupport.h"
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
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!done && std::chrono::steady_clock::now() < deadline)
    mainloop::TMainLoop::Main().WaitAndRun(std::chrono::milliseconds(1));
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

} // namespace
