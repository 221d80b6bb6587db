// The wave player feeding the output component on an ALSA device without
// sound hardware: a PCM of the user's configuration writes what it plays into
// a file, which must hold every frame of the played file, also of a file of
// one frame or of fewer frames than one buffer. alsa-lib reads its
// configuration once per process, so main() points HOME at it first.
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>
#include <unistd.h>

#include "audio/ALDSAudioOut.h"
#include "audio/ALWavePlayer.h"
#include "platform/avifile/AviFile.h"
#include "platform/media/Media.h"
#include "platform/media/VirtualAudio.h"
#include "tests/audio/ALVirtualSourceSupport.h"
#include "tests/support/MainLoopWait.h"
#include "tests/support/Wait.h"

namespace {

using mainloop::TMainLoop;
using namespace avifile;

std::filesystem::path gDir;

std::filesystem::path OutFile() { return gDir / "out.raw"; }

std::vector<uint8_t> ReadFile(const std::filesystem::path &p) {
  std::ifstream in(p, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());
}

struct TPlayCase {
  const char *Name;
  uint32_t Rate;
  uint32_t Channels;
  uint32_t Frames;
};

std::string Name(const testing::TestParamInfo<TPlayCase> &info) { return info.param.Name; }

class ALPlaybackAlsaTest : public testing::TestWithParam<TPlayCase> {};

TEST_P(ALPlaybackAlsaTest, TheDeviceGetsEveryFrameOfTheFile) {
  const TPlayCase c = GetParam();
  ALTestFrameworkUp();
  TMainLoop::Main().BindMainThread();
  media::SetAlsaEnabled(true);
  media::TVirtualAudio::Clear();
  std::filesystem::remove(OutFile());
  const std::string path = (gDir / "take.wav").string();
  const std::vector<uint8_t> data = ALWriteTestTake(path, c.Rate, c.Channels, c.Frames);
  ASSERT_FALSE(data.empty()) << path;
  TOwnedPtr<TALDSAudioOut> out(CreateObject<TALDSAudioOut>(nullptr));
  out->GetAudioOutputDevice()->SetName("USB Audio CODEC");
  ASSERT_EQ(out->GetAudioOutputDevice()->GetDeviceName(), "USB Audio CODEC");
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
  const std::vector<uint8_t> written = ReadFile(OutFile());
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
  char pattern[] = "/tmp/sonvelt-alsa-play-XXXXXX";
  if (mkdtemp(pattern) == nullptr)
    return 2;
  gDir = pattern;
  std::ofstream(gDir / "in.raw", std::ios::binary).write("\0\0\0\0", 4);
  ALUseFilePcmConfig(gDir, gDir / "in.raw", OutFile());
  ::testing::InitGoogleTest(&argc, argv);
  const int result = RUN_ALL_TESTS();
  std::filesystem::remove_all(gDir);
  return result;
}
