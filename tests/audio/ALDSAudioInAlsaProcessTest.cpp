// The capture component recording from an ALSA device without sound
// hardware: a PCM of the user's configuration reads a raw file as its
// microphone. The take the wave logger writes holds every frame the
// device delivered up to Stop, and begins with the file's frames exactly.
// alsa-lib reads its configuration once per process, so main() points HOME at
// it first.
#include <cstring>
#include <filesystem>

#include <gtest/gtest.h>

#include "audio/ALDSAudioIn.h"
#include "audio/ALWaveLogger.h"
#include "platform/media/Media.h"
#include "platform/media/VirtualAudio.h"
#include "tests/audio/ALVirtualSourceSupport.h"
#include "tests/support/AlsaFilePcm.h"
#include "tests/support/MainLoopWait.h"
#include "tests/support/Wait.h"
#include "tests/support/WavOracle.h"

namespace {

using mainloop::TMainLoop;

std::filesystem::path gDir;
std::vector<uint8_t> gRaw; // the microphone's frames: 5000 of 16-bit stereo

TEST(ALDSAudioInAlsaTest, ATakeHoldsEveryFrameDeliveredUpToStop) {
  ALTestFrameworkUp();
  TMainLoop::Main().BindMainThread();
  media::SetAlsaEnabled(true);
  media::TVirtualAudio::Clear();
  const std::string path = (gDir / "take.wav").string();
  TOwnedPtr<TALDSAudioIn> in(CreateObject<TALDSAudioIn>(nullptr));
  in->GetAudioCaptureDevice()->SetName("USB Audio CODEC");
  ASSERT_EQ(in->GetAudioCaptureDevice()->GetDeviceName(), "USB Audio CODEC");
  in->GetAudioFormat()->SetChannels(2);
  in->GetAudioFormat()->SetChannelMask(TALSpeakers(ALDefaultChannelMask(2)));
  in->GetAudioFormat()->SetSampleRate(48000);
  in->GetAudioFormat()->SetBits(16);
  TOwnedPtr<TALRecordingSink> sink(CreateObject<TALRecordingSink>());
  ASSERT_TRUE(sink->Pin()->Connect(in->GetOutputPin()));
  TOwnedPtr<TALWaveLogger> logger(CreateObject<TALWaveLogger>(nullptr));
  logger->SetFileName(path);
  ASSERT_TRUE(logger->GetInputPin()->Connect(in->GetOutputPin()));
  in->Start();
  ASSERT_TRUE(PumpUntil([&] { return sink->Bytes().size() >= gRaw.size(); }));
  in->Stop();
  TMainLoop::Main().RunPending();
  const std::vector<uint8_t> delivered = sink->Bytes();
  ASSERT_GE(delivered.size(), gRaw.size());
  EXPECT_EQ(delivered.size() % 4, 0u);
  EXPECT_EQ(std::memcmp(delivered.data(), gRaw.data(), gRaw.size()), 0);
  logger.reset();
  const auto read = wavoracle::ReadWithSndfile(path);
  ASSERT_TRUE(read.Opened) << read.Error;
  EXPECT_EQ(read.Channels, 2);
  EXPECT_EQ(read.Rate, 48000);
  ASSERT_EQ(size_t(read.Frames) * 4, delivered.size());
  EXPECT_EQ(std::memcmp(read.Samples.data(), delivered.data(), delivered.size()), 0);
  // The PCM copies every frame read from it into its output file (complete
  // once the device is closed): the take holds them all, the block that was
  // in progress at Stop included.
  in.reset();
  EXPECT_EQ(std::filesystem::file_size(gDir / "out.raw"), delivered.size());
  sink.reset();
  TMainLoop::Main().RunPending();
}

} // namespace

int main(int argc, char **argv) {
  gRaw.resize(5000 * 4);
  for (size_t i = 0; i < gRaw.size(); ++i)
    gRaw[i] = uint8_t(i * 13 + i / 509 + 1);
  return RunTestsOnAlsaFilePcm(argc, argv, "/tmp/sonvelt-alsa-in-XXXXXX", gDir, gRaw);
}
