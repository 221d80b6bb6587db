// The wave player on the shared clock generator's thread, with the timer
// driven by hand: buffers come from the clock thread, the end of playback
// reaches the main thread, and starting, pausing and stopping on the main
// thread while ticks arrive never deadlocks.
#include <atomic>
#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include "audio/ALWavePlayer.h"
#include "platform/sys/MMTimer.h"
#include "tests/audio/ALVirtualSourceSupport.h"
#include "tests/support/MainLoopWait.h"
#include "tests/support/WavOracle.h"

using namespace avifile;

namespace {

class ALWavePlayerThreadsTest : public testing::Test {
protected:
  void SetUp() override {
    ALTestFrameworkUp();
    mainloop::TMainLoop::Main().BindMainThread();
    path = dir.File("take.wav");
    const auto format = ALTestFormat(44100, 16, 2);
    ASSERT_NO_FATAL_FAILURE(
        WriteWav(path, &format, sizeof format, std::vector<uint8_t>(40000, 0x11)));

    player.reset(CreateObject<TALWavePlayer>(nullptr));
    player->SetEnabled(false);
    sink.reset(CreateObject<TALRecordingSink>());
    ASSERT_TRUE(sink->Pin()->Connect(player->GetOutputPin()));
    player->OnStop.Fn = [this](TObject *) {
      stopOnMain = mainloop::TMainLoop::Main().IsMainThread();
      ++stops;
    };
    player->SetFileName(path);
  }
  void TearDown() override {
    player.reset();
    sink.reset();
    // The generator goes with its thread, which kills its timer on our service;
    // the ended threads are joined here.
    SLClockGenFinalization();
    EXPECT_EQ(SLClockGenLiveThreads(), 0);
    mainloop::TMainLoop::Main().RunPending();
  }

  sys::TManualTimerService timers;
  sys::TScopedTimerService scoped{timers};
  wavoracle::TTempDir dir;
  std::string path;
  TOwnedPtr<TALWavePlayer> player;
  TOwnedPtr<TALRecordingSink> sink;
  std::atomic<int> stops{0};
  std::atomic<bool> stopOnMain{false};
};

TEST_F(ALWavePlayerThreadsTest, ClockTicksPlayTheFileAndTheEndReachesTheMainThread) {
  player->Start();
  ASSERT_EQ(timers.Running().size(), 1u);
  EXPECT_EQ(timers.Period(timers.Running()[0]), 23u);
  // Each tick is counted into the generator's thread, which pumps the player.
  std::thread ticker([this] {
    for (int i = 0; i < 14; ++i)
      timers.FirePeriod(23);
  });
  ticker.join();
  ASSERT_TRUE(PumpUntil([this] { return stops == 1; }));
  EXPECT_TRUE(stopOnMain);
  EXPECT_EQ(sink->BufferFrames(),
            (std::vector<uint32_t>{1024, 1024, 1024, 1024, 1024, 1024, 1024, 1024, 1024, 784}));
  EXPECT_EQ(sink->Count<TOWEndStopOperation>(), 1);
  EXPECT_FALSE(player->GetEnabled());
  // The clock was left: no timer runs any more.
  EXPECT_TRUE(PumpUntil([this] { return timers.Running().empty(); }));
}

TEST_F(ALWavePlayerThreadsTest, PausingSeekingAndStoppingWhileTicksArriveNeverDeadlocks) {
  player->Loop = true;
  std::atomic<bool> done{false};
  std::thread ticker([&] {
    while (!done)
      timers.FirePeriod(23);
  });
  for (int round = 0; round < 30; ++round) {
    player->Start();
    player->Pause();
    player->SetCurrentSample(round * 100);
    player->Resume();
    mainloop::TMainLoop::Main().RunPending();
    player->Stop();
  }
  done = true;
  ticker.join();
  EXPECT_FALSE(player->GetPlaying());
  EXPECT_GT(sink->BufferFrames().size(), 0u);
}

} // namespace
