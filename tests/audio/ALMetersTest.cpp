#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "audio/ALPPMMeter.h"
#include "audio/ALVUMeter.h"
#include "platform/classlib/Exceptions.h"
#include "tests/audio/AudioChainSupport.h"

namespace {

// The DC-blocking high-pass computed independently: y[n] = x[n-1] - x[n-2] +
// a y[n-1], a = 1 - 40 pi / fs as a float.
class TReferenceFilter {
public:
  explicit TReferenceFilter(double fs)
      : a_(static_cast<float>(1.0L - 125.66370614359172954L / fs)) {}
  double Step(double x) {
    const double y = x1_ - x2_ + a_ * y1_;
    x2_ = x1_;
    x1_ = x;
    y1_ = y;
    return y;
  }
  double Pole() const { return a_; }

private:
  double a_, x1_ = 0, x2_ = 0, y1_ = 0;
};

struct TValue {
  int Channel;
  double Value;
  double Max;
};

template <class TMeter> class MeterTest : public testing::Test {
protected:
  void SetUp() override {
    TestLoop().RunPending();
    meter.reset(CreateObject<TMeter>(nullptr));
    meter->OnValueChange.Fn = [this](TObject *, int ch, double v, double max) {
      values.push_back({ch, v, max});
    };
    EXPECT_TRUE(meter->GetInputPin()->Connect(source.pin.get()));
  }
  void TearDown() override {
    meter.reset();
    TestLoop().RunPending();
  }
  std::vector<double> Of(int channel) const {
    std::vector<double> r;
    for (const auto &v : values)
      if (v.Channel == channel)
        r.push_back(v.Value);
    return r;
  }

  TTestAudioSource source;
  TOwnedPtr<TMeter> meter;
  std::vector<TValue> values;
};

using VUMeterTest = MeterTest<TALVUMeter>;
using PPMMeterTest = MeterTest<TALPPMMeter>;

TEST_F(VUMeterTest, ChunksOfThePeriodCutAcrossBuffers) {
  meter->SetSynchronizeType(stNone);
  source.Start(44100, 16, 2);
  EXPECT_EQ(meter->GetBufferSize(), 4410u);
  for (int i = 0; i < 4; ++i)
    source.SendConstant(1024, 1000);
  EXPECT_TRUE(values.empty()) << "4096 frames hold no whole chunk of 4410 with one to spare";
  source.SendConstant(1024, 1000);
  EXPECT_EQ(Of(0).size(), 1u);
  EXPECT_EQ(Of(1).size(), 1u);
  // The first chunk took the first four buffers whole and 314 frames of the
  // fifth, which stays queued for the next chunk.
  EXPECT_EQ(meter->GetReadPosition(), 314u);
  EXPECT_EQ(meter->GetBufferQueue().GetCount(), 1);
  EXPECT_EQ(values[0].Max, 32767);
}

TEST_F(VUMeterTest, ExactlyOneChunkQueuedWaitsForMoreFrames) {
  meter->SetSynchronizeType(stNone);
  source.Start(1000, 16, 1);
  meter->SetTimePeriod(10); // 10 frames
  source.SendConstant(10, 1000);
  EXPECT_TRUE(values.empty());
  source.SendConstant(1, 1000);
  EXPECT_EQ(values.size(), 1u);
}

TEST_F(VUMeterTest, AConstantGivesTheFilterStepThenNothing) {
  meter->SetSynchronizeType(stNone);
  source.Start(44100, 16, 2);
  for (int i = 0; i < 13; ++i)
    source.SendConstant(1024, 1000);
  const std::vector<double> left = Of(0);
  ASSERT_GE(left.size(), 2u);
  EXPECT_NEAR(left[0], 199.6, 0.1);
  // Independently: the step response of the high-pass over the first chunk.
  TReferenceFilter ref(44100);
  double sum = 0;
  for (int i = 0; i < 4410; ++i)
    sum += std::pow(ref.Step(1000), 2);
  EXPECT_NEAR(left[0], std::sqrt(sum / 4410), 0.02);
  for (size_t i = 1; i < left.size(); ++i)
    EXPECT_LT(left[i], 0.001) << "chunk " << i;
  EXPECT_EQ(Of(1), left);
}

TEST_F(VUMeterTest, AFullScaleSquareWaveOvershootsSlightly) {
  meter->SetSynchronizeType(stNone);
  source.Start(44100, 16, 1);
  std::vector<int32_t> wave(44100);
  for (size_t i = 0; i < wave.size(); ++i)
    wave[i] = (i * 2000 / 44100) % 2 == 0 ? 32767 : -32767;
  source.Send(TestAudioBuffer(44100, 16, 1, wave));
  // Chunks of ten whole periods: once the filter has settled every chunk has
  // the same value, which is delivered once.
  const std::vector<double> v = Of(0);
  ASSERT_GE(v.size(), 2u);
  EXPECT_NEAR(v.back(), 32808, 15);
}

TEST_F(VUMeterTest, AMonoStreamMetersOneChannel) {
  meter->SetSynchronizeType(stNone);
  EXPECT_EQ(meter->GetActiveChannels(), 0);
  source.Start(44100, 16, 1);
  EXPECT_EQ(meter->GetActiveChannels(), 1);
  for (int i = 0; i < 6; ++i)
    source.SendConstant(1024, 1000);
  EXPECT_FALSE(Of(0).empty());
  EXPECT_TRUE(Of(1).empty());
}

TEST_F(VUMeterTest, OutputPinsFollowTheValues) {
  meter->SetSynchronizeType(stNone);
  source.Start(44100, 16, 2);
  for (int i = 0; i < 5; ++i)
    source.SendConstant(1024, 1000);
  ASSERT_FALSE(Of(1).empty());
  EXPECT_EQ(meter->GetOutputPin(1)->GetValue(), Of(1).back());
}

TEST_F(VUMeterTest, CountChannelsIsClampedToOneToThirtyTwo) {
  meter->SetCountChannels(0);
  EXPECT_EQ(meter->GetCountChannels(), 1);
  meter->SetCountChannels(40);
  EXPECT_EQ(meter->GetCountChannels(), 32);
  meter->SetCountChannels(3);
  EXPECT_EQ(meter->GetOutputPins()->GetCount(), 3);
}

TEST_F(VUMeterTest, SingleBufferDeliversTheValuesOfEachCallInOneMainThreadPass) {
  source.Start(1000, 16, 1);
  meter->SetTimePeriod(10);
  // Three buffers that each complete one chunk (the first needs one frame to
  // spare), each of another level.
  source.Send(TestAudioBuffer(1000, 16, 1, std::vector<int32_t>(11, 0)));
  source.SendConstant(10, 3000);
  source.SendConstant(10, -2000);
  EXPECT_TRUE(values.empty()) << "nothing before the main thread runs";
  TestLoop().RunPending(1);
  ASSERT_EQ(values.size(), 3u) << "the first chunk's 0 is the stream's first value: it is sent";
  EXPECT_EQ(values[0].Value, 0);
  EXPECT_GT(values[1].Value, 0);
  EXPECT_NE(values[1].Value, values[2].Value);
  TestLoop().RunPending();
  EXPECT_EQ(values.size(), 3u);
  // A call that completes two chunks hands over only the second value.
  source.Send(TestAudioBuffer(1000, 16, 1, std::vector<int32_t>(20, 0)));
  TestLoop().RunPending();
  EXPECT_EQ(values.size(), 4u);
}

TEST_F(VUMeterTest, QueueDeliversEveryValueInOrderOnTheMainThread) {
  auto stNoneMeter = TOwnedPtr<TALVUMeter>(CreateObject<TALVUMeter>(nullptr));
  std::vector<double> direct;
  stNoneMeter->SetSynchronizeType(stNone);
  stNoneMeter->OnValueChange.Fn = [&](TObject *, int, double v, double) {
    direct.push_back(static_cast<float>(v));
  };
  ASSERT_TRUE(stNoneMeter->GetInputPin()->Connect(source.pin.get()));
  meter->SetSynchronizeType(stQueue);
  source.Start(1000, 16, 1);
  meter->SetTimePeriod(10);
  stNoneMeter->SetTimePeriod(10);
  std::vector<int32_t> samples(61);
  for (size_t i = 0; i < samples.size(); ++i)
    samples[i] = static_cast<int32_t>((i * 37) % 1000) - 500;
  source.Send(TestAudioBuffer(1000, 16, 1, samples));
  EXPECT_TRUE(values.empty());
  TestLoop().RunPending();
  EXPECT_EQ(Of(0), direct);
  EXPECT_EQ(direct.size(), 6u);
}

TEST_F(VUMeterTest, ALongPeriodIsComputedWithoutWrapping) {
  source.Start(44100, 16, 2);
  meter->SetTimePeriod(100000); // 100 s: 4.41e9 overflows 32 bits before the division
  EXPECT_EQ(meter->GetBufferSize(), 4410000u);
}

TEST_F(VUMeterTest, APeriodPastTheBufferLimitIsRefused) {
  source.Start(192000, 16, 2);
  EXPECT_THROW(meter->SetTimePeriod(0xFFFFFFFFu), ERangeError);
  EXPECT_EQ(meter->GetPeriod(), 100u);
  EXPECT_EQ(meter->GetBufferSize(), 19200u);
}

// Formats and buffers the meter cannot read: no value, no crash.
struct TBadInput {
  const char *Name;
  uint32_t Rate, Bits, Channels;
  uint32_t BufferBits; // the width of the buffers sent after the start
};

class MeterBadInputTest : public MeterTest<TALVUMeter>,
                          public testing::WithParamInterface<TBadInput> {};

TEST_P(MeterBadInputTest, NothingIsMeasured) {
  const TBadInput &p = GetParam();
  meter->SetSynchronizeType(stNone);
  WAVEFORMATEXTENSIBLE f = TestWaveFormat(p.Rate, p.Bits, p.Channels);
  if (p.Bits == 12) { // a container width no reader knows
    f.Format.wBitsPerSample = 12;
    f.Format.nBlockAlign = 3;
  }
  if (p.Channels == 0)
    f.Format.nBlockAlign = 0;
  source.StartWith(f);
  EXPECT_EQ(meter->GetActiveChannels(), 0) << p.Name;
  for (int i = 0; i < 6; ++i)
    source.Send(TestAudioBuffer(44100, p.BufferBits, 2, std::vector<int32_t>(2048, 1000)));
  EXPECT_TRUE(values.empty()) << p.Name;
}

INSTANTIATE_TEST_SUITE_P(Formats, MeterBadInputTest,
                         testing::Values(TBadInput{"no channels", 44100, 16, 0, 16},
                                         TBadInput{"rate 0", 0, 16, 2, 16},
                                         TBadInput{"12-bit container", 44100, 12, 2, 16}));

TEST_F(VUMeterTest, BuffersBeforeTheStartOrOfAnotherWidthAreDropped) {
  meter->SetSynchronizeType(stNone);
  for (int i = 0; i < 6; ++i)
    source.Send(TestAudioBuffer(44100, 16, 2, std::vector<int32_t>(2048, 1000)));
  EXPECT_TRUE(values.empty());
  source.Start(44100, 16, 2);
  for (int i = 0; i < 6; ++i)
    source.Send(TestAudioBuffer(44100, 24, 2, std::vector<int32_t>(2048, 1000)));
  EXPECT_TRUE(values.empty());
  EXPECT_EQ(meter->GetBufferQueue().GetCount(), 0);
}

TEST_F(VUMeterTest, EightBitDataIsMeteredAroundItsOffset) {
  meter->SetSynchronizeType(stNone);
  source.Start(44100, 8, 1);
  for (int i = 0; i < 13; ++i)
    source.SendConstant(1024, 200);
  const std::vector<double> v = Of(0);
  ASSERT_GE(v.size(), 2u);
  EXPECT_EQ(values[0].Max, 127);
  EXPECT_LT(v.back(), 0.001) << "the high-pass removes the 8-bit offset";
}

TEST_F(PPMMeterTest, TheFirstFilteredSampleIsZero) {
  meter->SetSynchronizeType(stNone);
  source.Start(1000, 16, 1);
  meter->SetTimePeriod(1); // one-frame chunks
  source.SendConstant(2, 1000);
  EXPECT_EQ(meter->GetPeakValue(0), 0.0) << "the output lags the input by one sample";
  source.SendConstant(1, 1000);
  EXPECT_EQ(meter->GetPeakValue(0), 1000.0);
}

TEST_F(PPMMeterTest, APeakFallsByItsHalfLifeFactorPerSample) {
  meter->SetSynchronizeType(stNone);
  source.Start(44100, 16, 1);
  std::vector<int32_t> impulse(4411 * 2, 0);
  impulse[100] = 20000;
  source.Send(TestAudioBuffer(44100, 16, 1, impulse));
  // The filtered impulse is h one sample later; the rest of the chunk only
  // lowers it, by 1/(fs x HalfLife / 1000) of itself per sample.
  const double factor = 1 - 1000.0 / (44100.0 * 1000);
  const double expected = 20000 * std::pow(factor, 4410 - 102);
  ASSERT_FALSE(Of(0).empty());
  EXPECT_NEAR(Of(0)[0], expected, expected * 1e-4);
}

TEST_F(PPMMeterTest, ASmallPeakDropsToZero) {
  meter->SetSynchronizeType(stNone);
  meter->SetHalfLife(1); // falls to 1/e in about 44 samples
  source.Start(44100, 16, 1);
  std::vector<int32_t> impulse(4411 * 2, 0);
  impulse[0] = 1000;
  source.Send(TestAudioBuffer(44100, 16, 1, impulse));
  EXPECT_EQ(meter->GetPeakValue(0), 0.0);
}

class PPMHalfLifeTest : public MeterTest<TALPPMMeter>,
                        public testing::WithParamInterface<int32_t> {};

TEST_P(PPMHalfLifeTest, WithoutAHoldTimeThePeakFollowsTheSignal) {
  meter->SetSynchronizeType(stNone);
  meter->SetHalfLife(GetParam());
  source.Start(1000, 16, 1);
  meter->SetTimePeriod(1);
  std::vector<int32_t> ramp = {0, 0, 0, 100, 100, 100, 100, 100};
  source.Send(TestAudioBuffer(1000, 16, 1, ramp));
  // Filtered: 0 0 0 0 100 100a 100a^2 ...: after the step the peak follows
  // the falling signal and never grows past it.
  TReferenceFilter ref(1000);
  double last = 0;
  for (int i = 0; i < 7; ++i)
    last = std::fabs(static_cast<float>(ref.Step(ramp[static_cast<size_t>(i)])));
  EXPECT_NEAR(meter->GetPeakValue(0), last, 1e-3);
  EXPECT_LE(meter->GetPeakValue(0), 100.0);
}

INSTANTIATE_TEST_SUITE_P(HalfLives, PPMHalfLifeTest, testing::Values(0, -5));

TEST_F(PPMMeterTest, APeakOfAChannelNoLongerStreamedIsKeptButNotDelivered) {
  meter->SetSynchronizeType(stNone);
  source.Start(44100, 16, 2);
  std::vector<int32_t> impulse(4411 * 2 * 2, 0);
  impulse[201] = 10000; // channel 1
  source.Send(TestAudioBuffer(44100, 16, 2, impulse));
  const double kept = meter->GetPeakValue(1);
  EXPECT_GT(kept, 8000);
  values.clear();
  source.Start(44100, 16, 1);
  source.SendConstant(4411 * 2, 0);
  EXPECT_EQ(meter->GetPeakValue(1), kept);
  EXPECT_TRUE(Of(1).empty());
}

} // namespace

namespace {

// A display rests between streams: the first value of each start is sent,
// even silence, even the very value the last stream ended on.
template <class TMeter> void ExpectEachStartSendsItsFirstValue() {
  TestLoop().RunPending();
  TTestAudioSource source;
  TOwnedPtr<TMeter> meter(CreateObject<TMeter>(nullptr));
  std::vector<TValue> values;
  meter->OnValueChange.Fn = [&](TObject *, int ch, double v, double max) {
    values.push_back({ch, v, max});
  };
  ASSERT_TRUE(meter->GetInputPin()->Connect(source.pin.get()));
  meter->SetSynchronizeType(stNone);
  for (int take = 1; take <= 2; ++take) {
    SCOPED_TRACE(take);
    values.clear();
    source.Start(44100, 16, 2);
    for (int i = 0; i < 13; ++i)
      source.SendConstant(1024, 0);
    ASSERT_EQ(values.size(), 2u) << "one value per channel, then nothing while it holds";
    EXPECT_EQ(values[0].Channel, 0);
    EXPECT_EQ(values[1].Channel, 1);
    EXPECT_EQ(values[0].Value, 0);
    EXPECT_EQ(values[1].Value, 0);
  }
  meter.reset();
  TestLoop().RunPending();
}

TEST(MeterStartTest, EachStartOfAStreamSendsItsFirstValue) {
  {
    SCOPED_TRACE("VU");
    ExpectEachStartSendsItsFirstValue<TALVUMeter>();
  }
  {
    SCOPED_TRACE("PPM");
    ExpectEachStartSendsItsFirstValue<TALPPMMeter>();
  }
}

} // namespace
