// The output component playing on an ALSA device without sound hardware: a
// PCM defined in the user's configuration writes what it plays into a file,
// which must hold exactly the bytes of the stream. alsa-lib reads its
// configuration once per process, so main() points HOME at it first.
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>
#include <unistd.h>

#include "audio/ALDSAudioOut.h"
#include "platform/media/Media.h"
#include "platform/media/VirtualAudio.h"
#include "tests/audio/ALVirtualSourceSupport.h"
#include "tests/support/Wait.h"

namespace {

std::filesystem::path gDir;

std::filesystem::path OutFile() { return gDir / "out.raw"; }

std::vector<uint8_t> ReadFile(const std::filesystem::path &p) {
  std::ifstream in(p, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());
}

TEST(ALDSAudioOutAlsaTest, TheStreamReachesTheConfiguredPcmByteForByte) {
  ALTestFrameworkUp();
  mainloop::TMainLoop::Main().BindMainThread();
  media::SetAlsaEnabled(true);
  media::TVirtualAudio::Clear();
  TOwnedPtr<TALDSAudioOut> out(CreateObject<TALDSAudioOut>(nullptr));
  out->GetAudioOutputDevice()->SetName("USB Audio CODEC");
  ASSERT_EQ(out->GetAudioOutputDevice()->GetDeviceName(), "USB Audio CODEC");
  std::atomic<int> delivered{0};
  out->OnDeliver = [&](int64_t, int64_t, int32_t) { ++delivered; };
  TOwnedPtr<TALVirtualSource> source(CreateObject<TALVirtualSource>());
  ASSERT_TRUE(out->GetInputPin()->Connect(source->Pin()));
  source->Start(ALTestFormat(48000, 16, 2));
  for (int i = 0; i < 3; ++i)
    source->SendBuffer(1024);
  source->Pin()->Notify(TOWNotifyOperation::Make<TOWSLResumeOperation>().Get());
  ASSERT_TRUE(out->GetRunning());
  source->SendBuffer(700);
  ASSERT_TRUE(Eventually([&] { return delivered == 4; }));
  // Every buffer has been written to the device; stopping closes it and
  // completes the file.
  out->Stop();
  out->Close();
  EXPECT_EQ(ReadFile(OutFile()), source->Sent());
  out.reset();
  source.reset();
  mainloop::TMainLoop::Main().RunPending();
}

} // namespace

int main(int argc, char **argv) {
  char pattern[] = "/tmp/sonvelt-alsa-out-XXXXXX";
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
