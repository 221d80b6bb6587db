// The output component on a virtual output: buffers collected before the
// resume are played in order with times 0, d, 2d, 3d and reach the device byte
// for byte; a start-wave while playing rebuilds the graph with the new format;
// stamped buffers keep their times; master pumping pulls one buffer per period
// of the device's clock and tears the graph down after the stop.
#include <mutex>
#include <thread>

#include <gtest/gtest.h>

#include "audio/ALDSAudioOut.h"
#include "platform/media/Media.h"
#include "platform/media/VirtualAudio.h"
#include "tests/audio/ALVirtualDevicesTest.h"
#include "tests/audio/ALVirtualSourceSupport.h"
#include "tests/support/Wait.h"

namespace {

using mainloop::TMainLoop;
using namespace media;

struct TDelivered {
  int64_t Start, Stop;
  int32_t Bytes;
};

class ALDSAudioOutTest : public TALVirtualDevicesTest<> {
protected:
  void SetUp() override {
    TALVirtualDevicesTest::SetUp();
    output = TVirtualAudio::AddRender("Test Output", "testout", TVirtualPacing::Immediate);
    out.reset(CreateObject<TALDSAudioOut>(nullptr));
    out->GetAudioOutputDevice()->SetName("Test Output");
    out->OnDeliver = [this](int64_t start, int64_t stop, int32_t bytes) {
      std::lock_guard<std::mutex> lock(m);
      delivered.push_back({start, stop, bytes});
    };
    source.reset(CreateObject<TALVirtualSource>());
    ASSERT_TRUE(out->GetInputPin()->Connect(source->Pin()));
  }
  void TearDown() override {
    out.reset();
    source.reset();
    TALVirtualDevicesTest::TearDown();
  }

  std::vector<TDelivered> Delivered() {
    std::lock_guard<std::mutex> lock(m);
    return delivered;
  }
  void Resume() { source->Pin()->Notify(TOWNotifyOperation::Make<TOWSLResumeOperation>().Get()); }
  void SendStamped(const WAVEFORMATEXTENSIBLE &format, uint32_t frames, int64_t begin,
                   int64_t end) {
    auto buffer = com::MakeCom<TALAudioBuffer>(&format, int(frames));
    std::memset(buffer->Write(), 0x33, buffer->GetByteSize());
    buffer->GetTimeStamp()->SetAvailable(true);
    buffer->GetTimeStamp()->SetBegin(begin);
    buffer->GetTimeStamp()->SetEnd(end);
    source->Pin()->SubmitBuffer(com::TComPtr<ISLDataBuffer>(buffer.Get()));
  }

  std::shared_ptr<TVirtualRenderDevice> output;
  TOwnedPtr<TALDSAudioOut> out;
  TOwnedPtr<TALVirtualSource> source;
  std::mutex m;
  std::vector<TDelivered> delivered;
};

TEST_F(ALDSAudioOutTest, FourBuffersThenResumePlayInOrderFromTimeZeroByteForByte) {
  const auto format = ALTestFormat(44100, 16, 2);
  source->Start(format);
  EXPECT_TRUE(out->GetActive());
  EXPECT_TRUE(out->GetConnected());
  for (int i = 0; i < 4; ++i)
    source->SendBuffer(1024);
  std::this_thread::sleep_for(BlockedFor);
  EXPECT_TRUE(Delivered().empty()); // held until the stream resumes
  Resume();
  EXPECT_TRUE(out->GetRunning());
  ASSERT_TRUE(output->WaitRecorded(4 * 4096, EventuallyDeadline));
  const int64_t d = 1024 * UNITS / 44100;
  ASSERT_TRUE(Eventually([&] { return Delivered().size() == 4; }));
  const auto got = Delivered();
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(got[i].Start, i * d);
    EXPECT_EQ(got[i].Stop, (i + 1) * d);
    EXPECT_EQ(got[i].Bytes, 4096);
  }
  EXPECT_EQ(output->Recorded(), source->Sent());
  EXPECT_EQ(output->OpenedFormat().Format.nSamplesPerSec, 44100u);
  // Later buffers go straight through.
  source->SendBuffer(512);
  ASSERT_TRUE(output->WaitRecorded(4 * 4096 + 2048, EventuallyDeadline));
  EXPECT_EQ(output->Recorded(), source->Sent());
}

TEST_F(ALDSAudioOutTest, StampedBuffersKeepTheirTimesAndEmptyOnesAreIgnored) {
  const auto format = ALTestFormat(48000, 16, 1);
  source->Start(format);
  Resume();
  SendStamped(format, 480, 50000, 60000);
  source->SendBuffer(0);   // no frames: ignored
  source->SendBuffer(480); // continues from the stamped end
  ASSERT_TRUE(Eventually([&] { return Delivered().size() == 2; }));
  const auto got = Delivered();
  EXPECT_EQ(got[0].Start, 50000);
  EXPECT_EQ(got[0].Stop, 60000);
  EXPECT_EQ(got[1].Start, 60000);
  EXPECT_EQ(got[1].Stop, 60000 + 480 * UNITS / 48000);
}

TEST_F(ALDSAudioOutTest, AStartWaveWhilePlayingRebuildsTheGraphWithTheNewFormat) {
  source->Start(ALTestFormat(44100, 16, 2));
  Resume();
  source->SendBuffer(1024);
  ASSERT_TRUE(output->WaitRecorded(4096, EventuallyDeadline));
  source->Start(ALTestFormat(22050, 16, 1));
  ASSERT_NE(out->GetSourceFilter(), nullptr);
  EXPECT_EQ(out->GetSourceFilter()->StreamPin()->Format().Format.nSamplesPerSec, 22050u);
  EXPECT_EQ(out->GetStreamFormat().Format.nChannels, 1);
  Resume();
  source->SendBuffer(1024);
  ASSERT_TRUE(output->WaitRecorded(4096 + 2048, EventuallyDeadline));
  EXPECT_EQ(output->OpenedFormat().Format.nSamplesPerSec, 22050u);
  EXPECT_EQ(output->OpenedFormat().Format.nChannels, 1);
  EXPECT_EQ(output->Recorded(), source->Sent());
  // The new stream starts again at time 0.
  ASSERT_TRUE(Eventually([&] { return Delivered().size() == 2; }));
  EXPECT_EQ(Delivered().back().Start, 0);
}

TEST_F(ALDSAudioOutTest, BeforeAnyStreamTheGraphUsesTheDefaultFormat) {
  out->Open();
  ASSERT_TRUE(out->GetConnected());
  ASSERT_NE(out->GetSourceFilter(), nullptr);
  const WAVEFORMATEXTENSIBLE &f = out->GetSourceFilter()->StreamPin()->Format();
  EXPECT_EQ(f.Format.nSamplesPerSec, 11025u);
  EXPECT_EQ(f.Format.nChannels, 2);
  EXPECT_EQ(f.Format.nBlockAlign, 4);
  EXPECT_EQ(f.dwChannelMask, 3u);
  out->Close();
  EXPECT_FALSE(out->GetConnected());
}

TEST_F(ALDSAudioOutTest, AfterAStopBuffersAreDroppedUntilTheNextStream) {
  source->Start(ALTestFormat(44100, 16, 2));
  Resume();
  source->SendBuffer(1024);
  ASSERT_TRUE(output->WaitRecorded(4096, EventuallyDeadline));
  out->Stop();
  EXPECT_FALSE(out->GetActive());
  source->SendBuffer(1024);
  std::this_thread::sleep_for(BlockedFor);
  EXPECT_EQ(output->RecordedBytes(), 4096u);
}

TEST_F(ALDSAudioOutTest, MasterPumpingPullsOneBufferPerClockPeriodAndEndsAfterTheStop) {
  out->EnableMasterPumping = true;
  const auto format = ALTestFormat(44100, 16, 2);
  source->Start(format);
  IOWNotifyOperationPtr requestOp = TOWNotifyOperation::Make<TOWPumpRequestOperation>(
      source.get(), TOWPumpType::ptNone, 0, 44100.0f);
  source->Pin()->Notify(requestOp.Get());
  auto *request = OWOperationAs<TOWPumpRequestOperation>(requestOp.Get());
  EXPECT_EQ(request->Sender, out.get());
  EXPECT_EQ(request->PumpType, TOWPumpType::ptHardware);
  source->Pin()->Notify(TOWNotifyOperation::Make<TOWStartPumpOperation>().Get());
  // Pre-pumping: five pulls while the stream has not resumed, then one more.
  EXPECT_EQ(source->UpstreamCount<TOWMasterPumpOperation>(), 6);
  ASSERT_TRUE(out->GetRunning());
  source->SendBuffer(1024);
  ASSERT_TRUE(output->WaitRecorded(4096, EventuallyDeadline));
  // The first played buffer arms one periodic advise of its duration.
  auto clock = output->Clock();
  ASSERT_TRUE(Eventually([&] { return clock->AdviseCount() == 1; }));
  const int64_t d = 1024 * UNITS / 44100;
  const int before = source->UpstreamCount<TOWMasterPumpOperation>();
  clock->Advance(d);
  ASSERT_TRUE(Eventually([&] { return source->UpstreamCount<TOWMasterPumpOperation>() > before; }));
  // A buffer of the same length keeps the advise; a stop ends the stream on
  // the first tick that finds the list played out.
  source->SendBuffer(1024);
  ASSERT_TRUE(output->WaitRecorded(2 * 4096, EventuallyDeadline));
  EXPECT_EQ(clock->AdviseCount(), 1u);
  source->Stop();
  clock->Advance(2 * d);
  // The renderer's completion ends it, on the main thread.
  ASSERT_TRUE(Eventually([&] {
    TMainLoop::Main().RunPending();
    return !out->GetActive();
  }));
  EXPECT_EQ(clock->AdviseCount(), 0u);
}

} // namespace
