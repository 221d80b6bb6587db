// The output component playing on an ALSA device without sound hardware: a
// PCM defined in the user's configuration writes what it plays into a file,
// which must hold exactly the bytes of the stream. alsa-lib reads its
// configuration once per process, so main() sets the device up first.
#include <filesystem>

#include <gtest/gtest.h>

#include "tests/audio/ALFilePcmOutput.h"
#include "tests/audio/ALVirtualSourceSupport.h"
#include "tests/support/AlsaFilePcm.h"
#include "tests/support/Wait.h"

namespace {

std::filesystem::path gDir;

std::filesystem::path OutFile() { return gDir / "out.raw"; }

using ALDSAudioOutAlsaTest = TALFilePcmOutputTest<>;

TEST_F(ALDSAudioOutAlsaTest, TheStreamReachesTheConfiguredPcmByteForByte) {
  TOwnedPtr<TALDSAudioOut> &out = Out;
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
  EXPECT_EQ(ReadFileBytes(OutFile()), source->Sent());
  out.reset();
  source.reset();
  mainloop::TMainLoop::Main().RunPending();
}

} // namespace

int main(int argc, char **argv) {
  return RunTestsOnAlsaFilePcm(argc, argv, "/tmp/sonvelt-alsa-out-XXXXXX", gDir, {0, 0, 0, 0});
}
