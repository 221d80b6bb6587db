// The wave player feeding the output component on a virtual output that
// plays in real time: whatever the length of the file, every frame reaches
// the device before playback ends, also when the output pumps the player
// (the file fits in the buffers pulled ahead).
#include <atomic>
#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include "audio/ALDSAudioOut.h"
#include "audio/ALWavePlayer.h"
#include "platform/avifile/AviFile.h"
#include "platform/media/Media.h"
#include "platform/media/VirtualAudio.h"
#include "tests/audio/ALVirtualDevicesTest.h"
#include "tests/audio/ALVirtualSourceSupport.h"
#include "tests/support/MainLoopWait.h"
#include "tests/support/Wait.h"
#include "tests/support/WavOracle.h"

namespace {

using mainloop::TMainLoop;
using namespace media;
using namespace avifile;

struct TPlaybackCase {
  uint32_t Rate;
  uint32_t Channels;
  uint32_t Frames;
  bool MasterPumping;
};

std::string Name(const testing::TestParamInfo<TPlaybackCase> &info) {
  return std::to_string(info.param.Frames) + "FramesAt" + std::to_string(info.param.Rate) +
         (info.param.MasterPumping ? "MasterPumped" : "");
}

class ALPlaybackEndTest : public TALVirtualDevicesTest<testing::TestWithParam<TPlaybackCase>> {
protected:
  void SetUp() override {
    TALVirtualDevicesTest::SetUp();
    device = TVirtualAudio::AddRender("Test Output", "testout", TVirtualPacing::RealTime);
  }
  void TearDown() override {
    player.reset();
    out.reset();
    SLClockGenFinalization();
    TALVirtualDevicesTest::TearDown();
  }

  std::vector<uint8_t> MakeFile(const TPlaybackCase &c) {
    path = dir.File("take.wav");
    std::vector<uint8_t> data = ALWriteTestTake(path, c.Rate, c.Channels, c.Frames);
    EXPECT_FALSE(data.empty()) << path;
    return data;
  }

  wavoracle::TTempDir dir;
  std::string path;
  std::shared_ptr<TVirtualRenderDevice> device;
  TOwnedPtr<TALDSAudioOut> out;
  TOwnedPtr<TALWavePlayer> player;
};

TEST_P(ALPlaybackEndTest, EveryFrameOfTheFileReachesTheDevice) {
  const TPlaybackCase c = GetParam();
  const std::vector<uint8_t> data = MakeFile(c);
  out.reset(CreateObject<TALDSAudioOut>(nullptr));
  out->EnableMasterPumping = c.MasterPumping;
  out->GetAudioOutputDevice()->SetName("Test Output");
  player.reset(CreateObject<TALWavePlayer>(nullptr));
  player->SetEnabled(false);
  std::atomic<int> stops{0};
  player->OnStop.Fn = [&](TObject *) { ++stops; };
  ASSERT_TRUE(out->GetInputPin()->Connect(player->GetOutputPin()));
  player->SetFileName(path);
  // The virtual output's clock moves only when told: with master pumping it
  // paces the player, so it runs here, faster than real time.
  std::atomic<bool> done{false};
  std::thread ticker([&] {
    while (c.MasterPumping && !done) {
      device->Clock()->Advance(100000);
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  });
  player->Start();
  // The device's clock goes on while the graph runs: the output ends once
  // the device has played the stream.
  const bool ended = PumpUntil([&] { return stops == 1; });
  const bool drained = ended && PumpUntil([&] { return !out->GetRunning(); });
  done = true;
  ticker.join();
  ASSERT_TRUE(ended) << player->GetLastError();
  // The end of playback is the end of the sound: the device has it all and
  // the output has let its graph go.
  ASSERT_TRUE(drained);
  EXPECT_EQ(device->RecordedBytes(), data.size());
  EXPECT_TRUE(device->Recorded() == data);
  EXPECT_TRUE(PumpUntil([&] { return device->OpenCount() == 0; }));
}

// A Stop the user asks for is not the end of the data: the sound stops at
// once, nothing queued in the output reaches the device afterwards.
TEST_F(ALPlaybackEndTest, AStopAskedForDropsWhatIsStillQueued) {
  const TPlaybackCase c{8000, 1, 3 * 8000, false};
  const std::vector<uint8_t> data = MakeFile(c);
  out.reset(CreateObject<TALDSAudioOut>(nullptr));
  out->GetAudioOutputDevice()->SetName("Test Output");
  player.reset(CreateObject<TALWavePlayer>(nullptr));
  player->SetEnabled(false);
  ASSERT_TRUE(out->GetInputPin()->Connect(player->GetOutputPin()));
  player->SetFileName(path);
  player->Start();
  // Half a second has been played; the player is buffers ahead of that.
  ASSERT_TRUE(device->WaitRecorded(8000, EventuallyDeadline));
  player->Stop();
  EXPECT_FALSE(out->GetRunning());
  const size_t played = device->RecordedBytes();
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  TMainLoop::Main().RunPending();
  EXPECT_EQ(device->RecordedBytes(), played) << "the queue was played after the Stop";
  EXPECT_LT(played, data.size() / 2);
  // The next start plays the file from its start again.
  device->ClearRecorded();
  player->Start();
  EXPECT_TRUE(device->WaitRecorded(2048, EventuallyDeadline));
  player->Stop();
}

INSTANTIATE_TEST_SUITE_P(
    Lengths, ALPlaybackEndTest,
    testing::Values(TPlaybackCase{8000, 1, 1, false}, TPlaybackCase{8000, 1, 1000, false},
                    TPlaybackCase{8000, 2, 6000, false}, TPlaybackCase{44100, 2, 5 * 44100, false},
                    TPlaybackCase{8000, 1, 1, true}, TPlaybackCase{8000, 1, 1000, true},
                    TPlaybackCase{8000, 1, 20000, true}, TPlaybackCase{8000, 2, 30000, true}),
    Name);

} // namespace
