#include <vector>

#include <gtest/gtest.h>

#include "audio/ALAudioToReal.h"
#include "tests/audio/AudioChainSupport.h"

namespace {

// A real sink that records the values of every buffer and the starts.
class TRealRecorder {
public:
  TRealRecorder()
      : pin(CreateObject<TSLOWRealSinkPin>(
            nullptr,
            [this](TOWPin *, const TGUID *, IOWNotifyOperation *op,
                   TOWNotifyState) -> TOWNotifyResult {
              if (auto *b = OWOperationAs<TOWSuppliedBufferOperation>(op)) {
                const auto *d = reinterpret_cast<const double *>(b->Buffer()->ByteRead());
                buffers.emplace_back(d, d + b->Buffer()->GetByteSize() / sizeof(double));
              } else if (auto *s = OWOperationAs<TOWStartSampleRateOperation>(op)) {
                starts.push_back({s->BufferSize(), s->SampleRate()});
              } else if (OWOperationAs<TOWStopOperation>(op)) {
                ++stops;
              }
              return {};
            })) {}
  std::vector<std::vector<double>> buffers;
  std::vector<std::pair<int32_t, double>> starts;
  int stops = 0;
  TOwnedPtr<TSLOWRealSinkPin> pin;
};

class AudioToRealTest : public testing::Test {
protected:
  void SetUp() override {
    splitter.reset(CreateObject<TALAudioToReal>(nullptr));
    EXPECT_TRUE(splitter->GetInputPin()->Connect(source.pin.get()));
    EXPECT_TRUE(out[0].pin->Connect(splitter->GetOutputPin(0)));
    EXPECT_TRUE(out[1].pin->Connect(splitter->GetOutputPin(1)));
  }

  TTestAudioSource source;
  TOwnedPtr<TALAudioToReal> splitter;
  TRealRecorder out[2];
};

TEST_F(AudioToRealTest, EachChannelBecomesARealStream) {
  source.Start(44100, 16, 2);
  for (auto &o : out)
    EXPECT_EQ(o.starts, (std::vector<std::pair<int32_t, double>>{{0, 44100.0}}));
  source.Send(TestAudioBuffer(44100, 16, 2, {1, -1, 2, -2}));
  EXPECT_EQ(out[0].buffers, (std::vector<std::vector<double>>{{1, 2}}));
  EXPECT_EQ(out[1].buffers, (std::vector<std::vector<double>>{{-1, -2}}));
  source.Stop();
  EXPECT_EQ(out[0].stops, 1);
  EXPECT_EQ(out[1].stops, 1);
}

struct TSampleCase {
  uint32_t Bits;
  std::vector<uint8_t> Bytes; // one mono frame
  double Value;
};

class AudioToRealSampleTest : public AudioToRealTest,
                              public testing::WithParamInterface<TSampleCase> {};

TEST_P(AudioToRealSampleTest, SamplesKeepTheirIntegerRange) {
  const TSampleCase &p = GetParam();
  source.Start(44100, p.Bits, 1);
  auto b = com::MakeCom<TALAudioBuffer>(44100, static_cast<int>(p.Bits), 1, 1);
  std::copy(p.Bytes.begin(), p.Bytes.end(), b->Write());
  source.Send(b);
  ASSERT_EQ(out[0].buffers.size(), 1u);
  EXPECT_EQ(out[0].buffers[0], std::vector<double>{p.Value});
  EXPECT_TRUE(out[1].buffers.empty()) << "a mono stream fills only the first output";
}

INSTANTIATE_TEST_SUITE_P(Widths, AudioToRealSampleTest,
                         testing::Values(TSampleCase{8, {127}, 0}, TSampleCase{8, {0}, -127},
                                         TSampleCase{8, {255}, 128},
                                         TSampleCase{16, {0x00, 0x80}, -32768},
                                         TSampleCase{24, {0xFF, 0xFF, 0xFF}, -1},
                                         TSampleCase{24, {0x00, 0x00, 0x80}, -8388608},
                                         TSampleCase{32, {0xFF, 0xFF, 0xFF, 0x7F}, 2147483647.0}));

TEST_F(AudioToRealTest, AnUnlinkedOutputGetsNothing) {
  out[1].pin->Disconnect();
  source.Start(44100, 16, 2);
  source.Send(TestAudioBuffer(44100, 16, 2, {1, -1}));
  EXPECT_EQ(out[0].buffers.size(), 1u);
  EXPECT_TRUE(out[1].buffers.empty());
}

TEST_F(AudioToRealTest, NothingBeforeAStartOrInAnotherLayout) {
  source.Send(TestAudioBuffer(44100, 16, 2, {1, -1}));
  source.Start(44100, 16, 2);
  source.Send(TestAudioBuffer(44100, 24, 2, {1, -1}));
  source.Send(TestAudioBuffer(44100, 16, 1, {1, -1}));
  EXPECT_TRUE(out[0].buffers.empty());
  EXPECT_TRUE(out[1].buffers.empty());
}

TEST_F(AudioToRealTest, ABadStartProducesNothing) {
  WAVEFORMATEXTENSIBLE f = TestWaveFormat(44100, 16, 2);
  f.Format.nBlockAlign = 1; // smaller than its two 16-bit channels
  source.StartWith(f);
  source.Send(TestAudioBuffer(44100, 16, 2, {1, -1}));
  f = TestWaveFormat(44100, 16, 2);
  f.Format.wBitsPerSample = 12;
  source.StartWith(f);
  source.Send(TestAudioBuffer(44100, 16, 2, {1, -1}));
  EXPECT_TRUE(out[0].buffers.empty());
}

TEST_F(AudioToRealTest, ASinkLinkedLaterIsGreetedWithTheStart) {
  source.Start(48000, 16, 2);
  TRealRecorder late;
  ASSERT_TRUE(late.pin->Connect(splitter->GetOutputPin(1)));
  EXPECT_EQ(late.starts, (std::vector<std::pair<int32_t, double>>{{0, 48000.0}}));
}

TEST_F(AudioToRealTest, CountChannelsIsClamped) {
  splitter->SetCountChannels(0);
  EXPECT_EQ(splitter->GetCountChannels(), 1);
  splitter->SetCountChannels(40);
  EXPECT_EQ(splitter->GetCountChannels(), 32);
}

} // namespace
