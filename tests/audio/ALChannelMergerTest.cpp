#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "audio/ALChannelMerger.h"
#include "tests/audio/AudioChainSupport.h"

namespace {

using Log = std::vector<std::string>;

class ChannelMergerTest : public testing::Test {
protected:
  void SetUp() override {
    merger.reset(CreateObject<TALChannelMerger>(nullptr));
    ASSERT_EQ(merger->GetInputPins()->GetCount(), 2);
    EXPECT_TRUE(merger->GetInputPin(0)->Connect(in[0].pin.get()));
    EXPECT_TRUE(merger->GetInputPin(1)->Connect(in[1].pin.get()));
    EXPECT_TRUE(sink.pin->Connect(merger->GetOutputPin()));
    sink.log.clear();
  }
  void TearDown() override { merger.reset(); }

  // Frames counting up from First (each frame = First + index) on every channel.
  static com::TComPtr<TALAudioBuffer> Ramp(uint32_t rate, uint32_t bits, uint32_t channels,
                                           uint32_t frames, int32_t first) {
    std::vector<int32_t> s;
    for (uint32_t f = 0; f < frames; ++f)
      for (uint32_t c = 0; c < channels; ++c)
        s.push_back(first + static_cast<int32_t>(f));
    return TestAudioBuffer(rate, bits, channels, s);
  }

  TTestAudioSource in[2];
  TOwnedPtr<TALChannelMerger> merger;
  TTestAudioSink sink;
};

TEST_F(ChannelMergerTest, TwoMonoInputsBecomeLeftAndRight) {
  in[0].Start(44100, 16, 1);
  EXPECT_TRUE(sink.log.empty()) << "the second input has not started";
  in[1].Start(44100, 16, 1);
  ASSERT_EQ(sink.log, Log{"start"});
  EXPECT_EQ(sink.Start(0)->BufferSize(), 1024);
  EXPECT_EQ(sink.Start(0)->WaveFormat().Format.nChannels, 2);
  EXPECT_EQ(sink.Start(0)->WaveFormat().Format.nSamplesPerSec, 44100u);
  in[0].Send(Ramp(44100, 16, 1, 1024, 100));
  in[0].Send(Ramp(44100, 16, 1, 1024, 3000));
  EXPECT_EQ(sink.Count("buffer"), 0) << "nothing until both inputs have a buffer's worth";
  in[1].Send(Ramp(44100, 16, 1, 1024, -2000));
  ASSERT_EQ(sink.buffers.size(), 1u);
  IALAudioBuffer *out = sink.buffers[0].Get();
  EXPECT_EQ(out->GetSize(), 1024u);
  EXPECT_EQ(out->GetChannels(), 2u);
  for (uint32_t f : {0u, 1u, 500u, 1023u}) {
    EXPECT_EQ(out->GetItem(f, 0), 100 + static_cast<int>(f));
    EXPECT_EQ(out->GetItem(f, 1), -2000 + static_cast<int>(f));
  }
}

TEST_F(ChannelMergerTest, ASlowerInputIsStretchedToTheOutputLength) {
  in[0].Start(48000, 16, 1);
  in[1].Start(44100, 16, 1);
  ASSERT_EQ(sink.starts.size(), 1u);
  EXPECT_EQ(sink.Start(0)->WaveFormat().Format.nSamplesPerSec, 48000u);
  EXPECT_EQ(merger->GetInputPin(1)->framesPerOutput, 941);
  in[1].Send(Ramp(44100, 16, 1, 941, 0));
  in[0].Send(Ramp(48000, 16, 1, 1024, 0));
  ASSERT_EQ(sink.buffers.size(), 1u);
  IALAudioBuffer *out = sink.buffers[0].Get();
  for (uint32_t f : {0u, 1u, 12u, 13u, 512u, 1023u}) {
    const int nearest = std::min(940, static_cast<int>(std::nearbyint(f * 941.0 / 1024)));
    EXPECT_EQ(out->GetItem(f, 1), nearest) << f;
    EXPECT_EQ(out->GetItem(f, 0), static_cast<int>(f));
  }
}

TEST_F(ChannelMergerTest, OnlyTheFirstChannelOfAStereoInputIsTaken) {
  in[0].Start(44100, 16, 2);
  in[1].Start(44100, 16, 1);
  std::vector<int32_t> stereo;
  for (int f = 0; f < 1024; ++f) {
    stereo.push_back(7);
    stereo.push_back(-7);
  }
  in[0].Send(TestAudioBuffer(44100, 16, 2, stereo));
  in[1].Send(Ramp(44100, 16, 1, 1024, 1));
  ASSERT_EQ(sink.buffers.size(), 1u);
  EXPECT_EQ(sink.buffers[0]->GetItem(10, 0), 7);
  EXPECT_EQ(sink.buffers[0]->GetItem(10, 1), 11);
}

TEST_F(ChannelMergerTest, AnInputOfAnotherWidthIsConvertedToTheOutputWidth) {
  in[0].Start(44100, 24, 1);
  in[1].Start(44100, 8, 1);
  in[0].Send(TestAudioBuffer(44100, 24, 1, std::vector<int32_t>(1024, 0x400000))); // half scale
  in[1].Send(TestAudioBuffer(44100, 8, 1, std::vector<int32_t>(1024, 127))); // the 8-bit zero level
  ASSERT_EQ(sink.buffers.size(), 1u);
  IALAudioBuffer *out = sink.buffers[0].Get();
  EXPECT_EQ(out->GetSampleBitWidth(), 16u);
  EXPECT_NEAR(out->GetItem(3, 0), 16384, 1);
  EXPECT_NEAR(out->GetItem(3, 1), 0, 256);
}

TEST_F(ChannelMergerTest, AStoppedInputEndsInSilenceAndBothStopsStopTheOutput) {
  in[0].Start(44100, 16, 1);
  in[1].Start(44100, 16, 1);
  in[0].Send(Ramp(44100, 16, 1, 1024, 1));
  in[0].Send(Ramp(44100, 16, 1, 512, 5000)); // half a buffer left over
  in[0].Stop();
  in[1].Send(Ramp(44100, 16, 1, 1024, 1));
  in[1].Send(Ramp(44100, 16, 1, 1024, 1));
  in[1].Send(Ramp(44100, 16, 1, 1024, 1));
  ASSERT_EQ(sink.buffers.size(), 3u);
  IALAudioBuffer *rest = sink.buffers[1].Get();
  EXPECT_EQ(rest->GetItem(0, 0), 5000);
  EXPECT_EQ(rest->GetItem(511, 0), 5511);
  EXPECT_EQ(rest->GetItem(512, 0), 0) << "silence after the leftover frames";
  EXPECT_EQ(sink.buffers[2]->GetItem(100, 0), 0) << "a stopped input's channel stays silent";
  EXPECT_EQ(sink.buffers[2]->GetItem(100, 1), 101);
  EXPECT_EQ(sink.Count("stop"), 0);
  in[1].Stop();
  EXPECT_EQ(sink.Count("stop"), 1);
}

TEST_F(ChannelMergerTest, TheLastStopFlushesWhatWasLeft) {
  in[0].Start(44100, 16, 1);
  in[1].Start(44100, 16, 1);
  in[0].Send(Ramp(44100, 16, 1, 2048, 0));
  in[1].Send(Ramp(44100, 16, 1, 1500, 0));
  ASSERT_EQ(sink.buffers.size(), 1u);
  in[1].Stop();
  in[0].Stop();
  ASSERT_EQ(sink.buffers.size(), 2u);
  EXPECT_EQ(sink.buffers[1]->GetItem(475, 1), 1024 + 475);
  EXPECT_EQ(sink.buffers[1]->GetItem(476, 1), 0);
  EXPECT_EQ(sink.log.back(), "stop");
}

TEST_F(ChannelMergerTest, AResumeFollowsTheBuffersAheadPlusFirstBufferOfEveryStream) {
  merger->SetBuffersAhead(0);
  EXPECT_EQ(merger->GetBuffersAhead(), 1u);
  merger->SetBuffersAhead(2);
  for (int run = 0; run < 2; ++run) {
    sink.log.clear();
    in[0].Start(44100, 16, 1);
    in[1].Start(44100, 16, 1);
    for (int i = 0; i < 5; ++i) {
      in[0].Send(Ramp(44100, 16, 1, 1024, 0));
      in[1].Send(Ramp(44100, 16, 1, 1024, 0));
    }
    in[0].Stop();
    in[1].Stop();
    const auto resume = std::find(sink.log.begin(), sink.log.end(), "resume");
    ASSERT_NE(resume, sink.log.end()) << "run " << run;
    EXPECT_EQ(std::count(sink.log.begin(), resume, "buffer"), 3) << "run " << run;
  }
}

TEST_F(ChannelMergerTest, AnInputThatWillNotDeliverLetsTheOtherStart) {
  in[1].AnswerIgnore = true;
  in[0].Start(44100, 16, 1);
  ASSERT_EQ(sink.starts.size(), 1u);
  in[0].Send(Ramp(44100, 16, 1, 1024, 1));
  ASSERT_EQ(sink.buffers.size(), 1u);
  EXPECT_EQ(sink.buffers[0]->GetItem(9, 0), 10);
  EXPECT_EQ(sink.buffers[0]->GetItem(9, 1), 0);
}

struct TBadStart {
  const char *Name;
  uint32_t Rate, Bits, Channels;
};

class ChannelMergerBadStartTest : public ChannelMergerTest,
                                  public testing::WithParamInterface<TBadStart> {};

TEST_P(ChannelMergerBadStartTest, AnUnreadableInputCountsAsSilent) {
  const TBadStart &p = GetParam();
  WAVEFORMATEXTENSIBLE f = TestWaveFormat(p.Rate, p.Bits == 12 ? 16 : p.Bits, p.Channels);
  if (p.Bits == 12)
    f.Format.wBitsPerSample = 12;
  in[1].StartWith(f);
  in[1].Send(Ramp(44100, 16, 1, 1024, 1));
  in[0].Start(44100, 16, 1);
  in[0].Send(Ramp(44100, 16, 1, 1024, 1));
  ASSERT_EQ(sink.starts.size(), 1u) << p.Name;
  EXPECT_EQ(sink.Start(0)->WaveFormat().Format.nSamplesPerSec, 44100u) << p.Name;
  ASSERT_EQ(sink.buffers.size(), 1u) << p.Name;
  EXPECT_EQ(sink.buffers[0]->GetItem(9, 1), 0) << p.Name;
}

INSTANTIATE_TEST_SUITE_P(Formats, ChannelMergerBadStartTest,
                         testing::Values(TBadStart{"no channels", 44100, 16, 0},
                                         TBadStart{"rate 0", 0, 16, 1},
                                         TBadStart{"12-bit container", 44100, 12, 1}));

TEST_F(ChannelMergerTest, BuffersBeforeAStartAreDropped) {
  in[0].Send(Ramp(44100, 16, 1, 1024, 1));
  in[1].Send(Ramp(44100, 16, 1, 1024, 1));
  EXPECT_TRUE(sink.log.empty());
  EXPECT_EQ(merger->GetInputPin(0)->queue.GetCollected(), 0u);
}

TEST_F(ChannelMergerTest, ChannelsFollowTheFormat) {
  merger->GetAudioFormat()->SetChannels(3);
  EXPECT_EQ(merger->GetInputPins()->GetCount(), 3);
  EXPECT_EQ(merger->GetQueuedPinCount(), 3);
  merger->GetAudioFormat()->SetChannels(1);
  EXPECT_EQ(merger->GetInputPins()->GetCount(), 1);
  EXPECT_EQ(merger->GetQueuedPinCount(), 1);
}

} // namespace
