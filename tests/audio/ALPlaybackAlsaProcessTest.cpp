// The wave player feeding the output component on an ALSA device without
// sound hardware: a PCM of the user's configuration writes what it plays into
// a file, which must hold every frame of the played file, also of a file of
// one frame or of fewer frames than one buffer. alsa-lib reads its
// configuration once per process, so main() sets the device up first.
#include <atomic>
#include <filesystem>

#include <gtest/gtest.h>

#include "audio/ALWavePlayer.h"
#include "platform/avifile/AviFile.h"
#include "tests/audio/ALFilePcmOutput.h"
#include "tests/audio/ALVirtualSourceSupport.h"
#include "tests/support/AlsaFilePcm.h"
#include "tests/support/MainLoopWait.h"
#include "tests/support/Wait.h"

namespace {

using mainloop::TMainLoop;
using namespace avifile;

std::filesystem::path gDir;

std::filesystem::path OutFile() { return gDir / "out.raw"; }

struct TPlayCase {
  const char *Name;
  uint32_t Rate;
  uint32_t Channels;
  uint32_t Frames;
};

std::string Name(const testing::TestParamInfo<TPlayCase> &info) { return info.param.Name; }

using ALPlaybackAlsaTest = TALFilePcmOutputTest<testing::TestWithParam<TPlayCase>>;

TEST_P(ALPlaybackAlsaTest, TheDeviceGetsEveryFrameOfTheFile) {
  const TPlayCase c = GetParam();
  TOwnedPtr<TALDSAudioOut> &out = Out;
  std::filesystem::remove(OutFile());
  const std::string path = (gDir / "take.wav").string();
  const std::vector<uint8_t> data = ALWriteTestTake(path, c.Rate, c.Channels, c.Frames);
  ASSERT_FALSE(data.empty()) << path;
  TOwnedPtr<TALWavePlayer> player(CreateObject<TALWavePlayer>(nullptr));
  player->SetEnabled(false);
  std::atomic<int> stops{0};
  player->OnStop.Fn = [&](TObject *) { ++stops; };
  ASSERT_TRUE(out->GetInputPin()->Connect(player->GetOutputPin()));
  player->SetFileName(path);
  player->Start();
  ASSERT_TRUE(PumpUntil([&] { return stops == 1; })) << player->GetLastError();
  // The output ends once the device has played the stream out.
  ASSERT_TRUE(PumpUntil([&] { return !out->GetRunning(); }));
  out->Close();
  const std::vector<uint8_t> written = ReadFileBytes(OutFile());
  EXPECT_EQ(written.size(), data.size());
  EXPECT_TRUE(written == data);
  player.reset();
  out.reset();
  TMainLoop::Main().RunPending();
}

INSTANTIATE_TEST_SUITE_P(Files, ALPlaybackAlsaTest,
                         testing::Values(TPlayCase{"OneFrameAt8k", 8000, 1, 1},
                                         TPlayCase{"ThousandFramesAt8k", 8000, 1, 1000},
                                         TPlayCase{"StereoTakeAt8k", 8000, 2, 12345},
                                         TPlayCase{"StereoTakeAt44k", 44100, 2, 44100 + 333}),
                         Name);

} // namespace

int main(int argc, char **argv) {
  return RunTestsOnAlsaFilePcm(argc, argv, "/tmp/sonvelt-alsa-play-XXXXXX", gDir, {0, 0, 0, 0});
}
