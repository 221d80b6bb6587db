// The capture component on a virtual microphone: the start-wave inside Start
// on the caller's thread, stamped buffers on the notify thread with one resume
// after the first, at most 11 blocks per wake, a busy device's error and the
// retry, an unplugged device ending the take on the main thread with every
// captured block delivered, and a whole take written by the wave logger.
#include <cstring>
#include <thread>

#include <gtest/gtest.h>

#include "audio/ALDSAudioIn.h"
#include "audio/ALWaveLogger.h"
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

constexpr uint32_t Rate = 44100;

// Source bytes of the microphone: a 16-bit pattern that never repeats within
// a test.
std::vector<uint8_t> PatternBytes(size_t bytes) {
  std::vector<uint8_t> b(bytes);
  for (size_t i = 0; i < bytes; ++i)
    b[i] = uint8_t((i * 131 + (i >> 8) * 7) & 0xFF);
  return b;
}

class ALDSAudioInTest : public TALVirtualDevicesTest<> {
protected:
  void SetUp() override {
    TALVirtualDevicesTest::SetUp();
    TVirtualCaptureSpec spec;
    spec.FriendlyName = "Test Microphone";
    spec.Id = "testmic";
    spec.Source = TVirtualSource::Bytes;
    spec.Bytes = PatternBytes(1024 * 64 * 4);
    spec.Loop = false;
    spec.Pacing = TVirtualPacing::Manual;
    mic = TVirtualAudio::AddCapture(spec);
    in.reset(CreateObject<TALDSAudioIn>(nullptr));
    in->GetAudioCaptureDevice()->SetName("Test Microphone");
    sink.reset(CreateObject<TALRecordingSink>());
    ASSERT_TRUE(sink->Pin()->Connect(in->GetOutputPin()));
  }
  void TearDown() override {
    in.reset();
    sink.reset();
    TALVirtualDevicesTest::TearDown();
  }

  void UseFormat(uint32_t channels) {
    in->GetAudioFormat()->SetChannels(channels);
    in->GetAudioFormat()->SetChannelMask(TALSpeakers(ALDefaultChannelMask(channels)));
    in->GetAudioFormat()->SetSampleRate(Rate);
  }

  std::vector<std::string> Kinds() {
    std::vector<std::string> kinds;
    for (auto &s : sink->Seen()) {
      IOWNotifyOperation *op = s.Operation.Get();
      if (OWOperationAs<TOWStartWaveOperation>(op))
        kinds.push_back("start");
      else if (OWOperationAs<TOWSuppliedBufferOperation>(op))
        kinds.push_back("buffer");
      else if (OWOperationAs<TOWSLResumeOperation>(op))
        kinds.push_back("resume");
      else if (OWOperationAs<TOWStopOperation>(op))
        kinds.push_back("stop");
      else
        kinds.push_back("other");
    }
    return kinds;
  }

  std::shared_ptr<TVirtualCaptureDevice> mic;
  TOwnedPtr<TALDSAudioIn> in;
  TOwnedPtr<TALRecordingSink> sink;
};

struct TFormatCase {
  uint32_t Channels;
  uint32_t Mask;
};

class ALDSAudioInFormatTest : public ALDSAudioInTest,
                              public ::testing::WithParamInterface<TFormatCase> {};

TEST_P(ALDSAudioInFormatTest, StartWaveBeforeStartReturnsThenStampedBuffersOnTheNotifyThread) {
  const TFormatCase c = GetParam();
  UseFormat(c.Channels);
  in->Start();
  // The start-wave has reached the sink on this (the main) thread already.
  auto seen = sink->Seen();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_TRUE(seen[0].OnMainThread);
  auto *start = OWOperationAs<TOWStartWaveOperation>(seen[0].Operation.Get());
  ASSERT_NE(start, nullptr);
  const WAVEFORMATEXTENSIBLE &f = start->WaveFormat();
  EXPECT_EQ(f.Format.wFormatTag, WAVE_FORMAT_EXTENSIBLE);
  EXPECT_EQ(f.Format.nChannels, c.Channels);
  EXPECT_EQ(f.Format.nSamplesPerSec, Rate);
  EXPECT_EQ(f.Format.nAvgBytesPerSec, Rate * 2 * c.Channels);
  EXPECT_EQ(f.Format.nBlockAlign, 2 * c.Channels);
  EXPECT_EQ(f.Format.cbSize, 22);
  EXPECT_EQ(f.Samples.wValidBitsPerSample, 16);
  EXPECT_EQ(f.dwChannelMask, c.Mask);
  EXPECT_TRUE(f.SubFormat == KSDATAFORMAT_SUBTYPE_PCM);
  EXPECT_EQ(start->BufferSize(), 1024);
  EXPECT_TRUE(in->GetRunning());

  mic->ReleaseFrames(3 * 1024);
  ASSERT_TRUE(Eventually([&] { return sink->BufferFrames().size() == 3; }));
  in->Stop();
  EXPECT_EQ(Kinds(),
            (std::vector<std::string>{"start", "buffer", "resume", "buffer", "buffer", "stop"}));
  seen = sink->Seen();
  int k = 0;
  for (auto &s : seen) {
    auto *b = OWOperationAs<TOWSuppliedBufferOperation>(s.Operation.Get());
    if (!b)
      continue;
    EXPECT_FALSE(s.OnMainThread);
    auto audio = IALAudioBufferPtr::Query(b->Buffer());
    ASSERT_TRUE(audio);
    EXPECT_EQ(audio->GetSize(), 1024u);
    EXPECT_EQ(audio->GetChannels(), c.Channels);
    EXPECT_EQ(audio->GetBitsPerSample(), 16u);
    EXPECT_TRUE(audio->GetTimeStamp()->GetAvailable());
    // Times count frames from Run: frames x 10^7 / rate.
    EXPECT_EQ(audio->GetTimeStamp()->GetBegin(), k * 1024 * UNITS / Rate);
    EXPECT_EQ(audio->GetTimeStamp()->GetEnd(), (k + 1) * 1024 * UNITS / Rate);
    ++k;
  }
  EXPECT_TRUE(seen.back().OnMainThread); // the stop
  const auto bytes = sink->Bytes();
  EXPECT_EQ(bytes, std::vector<uint8_t>(mic->Spec().Bytes.begin(),
                                        mic->Spec().Bytes.begin() + ptrdiff_t(bytes.size())));
  EXPECT_FALSE(in->GetRunning());
}

INSTANTIATE_TEST_SUITE_P(Channels, ALDSAudioInFormatTest,
                         ::testing::Values(TFormatCase{1, 1}, TFormatCase{2, 3}));

TEST_F(ALDSAudioInTest, ABacklogLongerThanOneWakesShareArrivesWithoutAFurtherBlock) {
  UseFormat(1);
  in->Start();
  ASSERT_TRUE(in->GetRunning());
  // Twenty blocks wait without a wake; the microphone's first block makes
  // twenty-one and wakes the notify thread once. A wake turns at most eleven
  // into buffers, and the rest must not wait for a block that may never come.
  std::vector<uint8_t> block(2048, 0x11);
  for (int i = 0; i < 20; ++i)
    ASSERT_TRUE(in->GetBlockQueue()->Add(i * 10, i * 10 + 10, block.data(), 2048));
  mic->ReleaseFrames(1024);
  ASSERT_TRUE(Eventually([&] { return sink->BufferFrames().size() == 21; }));
  EXPECT_FALSE(in->GetBlockQueue()->HasData());
  EXPECT_EQ(sink->Count<TOWSLResumeOperation>(), 1);
  in->Stop();
}

TEST_F(ALDSAudioInTest, ASecondStartDoesNothingAndARestartReusesTheGraphWithANewResume) {
  UseFormat(1);
  in->Start();
  in->Start();
  EXPECT_EQ(sink->Count<TOWStartWaveOperation>(), 1);
  mic->ReleaseFrames(1024);
  ASSERT_TRUE(Eventually([&] { return sink->BufferFrames().size() == 1; }));
  in->Stop();
  in->Stop();
  EXPECT_EQ(sink->Count<TOWStopOperation>(), 1);
  EXPECT_TRUE(in->GetConnected());
  in->Start();
  mic->ReleaseFrames(1024);
  ASSERT_TRUE(Eventually([&] { return sink->BufferFrames().size() == 2; }));
  in->Stop();
  EXPECT_EQ(Kinds(), (std::vector<std::string>{"start", "buffer", "resume", "stop", "start",
                                               "buffer", "resume", "stop"}));
}

TEST_F(ALDSAudioInTest, ABusyDeviceRaisesCantStartCaptureAndTheNextStartRetries) {
  UseFormat(1);
  mic->SetBusy(true);
  try {
    in->Start();
    FAIL() << "no exception";
  } catch (const EDSException &e) {
    EXPECT_EQ(std::string(e.what()).rfind("Can't start capture. - ", 0), 0u) << e.what();
  }
  EXPECT_FALSE(in->GetRunning());
  // The sinks that heard the start-wave heard the end of that take too.
  EXPECT_EQ(Kinds(), (std::vector<std::string>{"start", "stop"}));
  mic->SetBusy(false);
  sink->Clear();
  in->Start();
  ASSERT_TRUE(in->GetRunning());
  mic->ReleaseFrames(1024);
  ASSERT_TRUE(Eventually([&] { return sink->BufferFrames().size() == 1; }));
  in->Stop();
  EXPECT_EQ(Kinds(), (std::vector<std::string>{"start", "buffer", "resume", "stop"}));
}

TEST_F(ALDSAudioInTest, UnpluggingEndsTheTakeOnTheMainThreadWithEveryCapturedBlock) {
  UseFormat(1);
  in->Start();
  mic->ReleaseFrames(2 * 1024);
  ASSERT_TRUE(Eventually([&] { return sink->BufferFrames().size() == 2; }));
  // Two more blocks were captured but the notify thread has not run for them.
  std::vector<uint8_t> block(2048, 0x5A);
  ASSERT_TRUE(in->GetBlockQueue()->Add(100, 200, block.data(), 2048));
  ASSERT_TRUE(in->GetBlockQueue()->Add(200, 300, block.data(), 2048));
  mic->Unplug();
  ASSERT_TRUE(PumpUntil([&] { return sink->Count<TOWStopOperation>() == 1; }));
  EXPECT_FALSE(in->GetRunning());
  auto seen = sink->Seen();
  ASSERT_EQ(sink->BufferFrames().size(), 4u);
  EXPECT_TRUE(seen.back().OnMainThread);
  ASSERT_TRUE(OWOperationAs<TOWStopOperation>(seen.back().Operation.Get()));
  // The last two buffers before the stop are the queued blocks, delivered on
  // the main thread.
  auto *last = OWOperationAs<TOWSuppliedBufferOperation>(seen[seen.size() - 2].Operation.Get());
  ASSERT_TRUE(last);
  EXPECT_TRUE(seen[seen.size() - 2].OnMainThread);
  EXPECT_EQ(IALAudioBufferPtr::Query(last->Buffer())->GetTimeStamp()->GetBegin(), 200);
}

TEST_F(ALDSAudioInTest, ASinkThatSendsAStopBackEndsTheTake) {
  UseFormat(1);
  in->Start();
  ASSERT_TRUE(in->GetRunning());
  sink->Pin()->Notify(TOWNotifyOperation::Make<TOWStopOperation>().Get());
  EXPECT_FALSE(in->GetRunning());
  EXPECT_EQ(sink->Count<TOWStopOperation>(), 1);
}

TEST_F(ALDSAudioInTest, AFormatChangeWhileStoppedRebuildsTheGraphWithTheNewFormat) {
  UseFormat(1);
  in->Start();
  in->Stop();
  EXPECT_TRUE(in->GetConnected());
  in->GetAudioFormat()->SetChannels(2);
  EXPECT_FALSE(in->GetConnected());
  in->Start();
  ASSERT_EQ(sink->Count<TOWStartWaveOperation>(), 2);
  auto seen = sink->Seen();
  auto *start = OWOperationAs<TOWStartWaveOperation>(seen[seen.size() - 1].Operation.Get());
  ASSERT_TRUE(start);
  EXPECT_EQ(start->WaveFormat().Format.nChannels, 2);
  EXPECT_EQ(mic->OpenedFormat().Format.nChannels, 2);
  in->Stop();
}

TEST_F(ALDSAudioInTest, AMissingDeviceLeavesTheComponentClosedWithoutAnException) {
  in->GetAudioCaptureDevice()->SetName("None");
  in->Start();
  // No device: the graph holds no filters and runs; nothing ever arrives.
  EXPECT_TRUE(sink->BufferFrames().empty());
  in->Stop();
}

TEST_F(ALDSAudioInTest, DestroyingARunningComponentStopsTheGraphWithoutAStopOperation) {
  UseFormat(1);
  in->Start();
  mic->ReleaseFrames(1024);
  ASSERT_TRUE(Eventually([&] { return sink->BufferFrames().size() == 1; }));
  in.reset();
  EXPECT_EQ(sink->Count<TOWStopOperation>(), 0);
  EXPECT_TRUE(Eventually([&] { return mic->OpenCount() == 0; }));
}

TEST_F(ALDSAudioInTest, AWholeTakeThroughTheWaveLoggerEqualsTheSourceSampleForSample) {
  wavoracle::TTempDir dir;
  const std::string path = dir.File("take.wav");
  TOwnedPtr<TALWaveLogger> logger(CreateObject<TALWaveLogger>(nullptr));
  logger->SetFileName(path);
  ASSERT_TRUE(logger->GetInputPin()->Connect(in->GetOutputPin()));
  UseFormat(2);
  in->Start();
  // One block per wake, so no block waits for a later one to be drained.
  for (int64_t k = 1; k <= 19; ++k) {
    mic->ReleaseFrames(1024);
    ASSERT_TRUE(PumpUntil([&] { return logger->Get_CurrentSample() == k * 1024; }));
  }
  // The last block may still be queued when the take stops: Stop delivers it.
  mic->ReleaseFrames(1024);
  ASSERT_TRUE(mic->WaitFramesRead(20 * 1024, EventuallyDeadline));
  ASSERT_TRUE(Eventually(
      [&] { return in->GetBlockQueue()->HasData() || logger->Get_CurrentSample() == 20 * 1024; }));
  in->Stop();
  TMainLoop::Main().RunPending();
  const auto read = wavoracle::ReadWithSndfile(path);
  ASSERT_TRUE(read.Opened) << read.Error;
  EXPECT_EQ(read.Channels, 2);
  EXPECT_EQ(read.Rate, int(Rate));
  ASSERT_EQ(read.Frames, 20 * 1024);
  EXPECT_EQ(std::memcmp(read.Samples.data(), mic->Spec().Bytes.data(), 20 * 1024 * 4), 0);
  EXPECT_EQ(wavoracle::SoxProblems(path), "");
  logger.reset();
}

} // namespace
