#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "audio/ALSwitch.h"
#include "tests/audio/AudioChainSupport.h"

namespace {

using Log = std::vector<std::string>;

class SwitchTest : public testing::Test {
protected:
  void SetUp() override {
    sw.reset(CreateObject<TALSwitch>(nullptr));
    EXPECT_TRUE(sw->GetInputPin()->Connect(source.pin.get()));
    EXPECT_TRUE(sink.pin->Connect(sw->GetOutputPin()));
    sink.log.clear();
  }

  TTestAudioSource source;
  TOwnedPtr<TALSwitch> sw;
  TTestAudioSink sink;
};

TEST_F(SwitchTest, EnabledPassesTheStreamAndAddsAResumeToTheStart) {
  source.Start(44100, 16, 2, 512);
  source.SendConstant(4, 1);
  source.pin->Notify(TOWNotifyOperation::Make<TOWSLPauseOperation>().Get());
  source.pin->Notify(TOWNotifyOperation::Make<TOWSLResumeOperation>().Get());
  source.Stop();
  EXPECT_EQ(sink.log, (Log{"start", "resume", "buffer", "stop"}));
  EXPECT_EQ(sink.Start(0)->BufferSize(), 512);
}

TEST_F(SwitchTest, DisabledHoldsBuffersBackAndPassesStops) {
  source.Start(44100, 16, 2);
  sw->SetEnabled(false);
  source.SendConstant(4, 1);
  source.Stop();
  EXPECT_EQ(sink.log, (Log{"start", "resume", "stop"}));
}

TEST_F(SwitchTest, EnablingAfterAHeldStartRestartsDownstream) {
  sw->SetEnabled(false);
  WAVEFORMATEXTENSIBLE f = TestWaveFormat(48000, 24, 1);
  source.StartWith(f, 256);
  EXPECT_TRUE(sink.log.empty());
  EXPECT_TRUE(sw->GetStartPending());
  sw->SetEnabled(true);
  EXPECT_EQ(sink.log, (Log{"start", "resume"}));
  const TOWStartWaveOperation *start = sink.Start(0);
  EXPECT_EQ(start->BufferSize(), 256);
  EXPECT_EQ(start->SampleRate(), 48000);
  EXPECT_EQ(start->WaveFormat().Format.nChannels, 1);
  EXPECT_EQ(start->WaveFormat().Samples.wValidBitsPerSample, 24);
  EXPECT_EQ(start->WaveFormat().dwChannelMask, 1u);
  EXPECT_FALSE(sw->GetStartPending());
  sw->SetEnabled(true);
  EXPECT_EQ(sink.log.size(), 2u) << "setting the current value sends nothing";
  source.SendConstant(4, 1);
  EXPECT_EQ(sink.Count("buffer"), 1);
}

TEST_F(SwitchTest, ResetOnEnableRestartsEvenWithoutAStart) {
  sw->SetResetOnEnable(true);
  sw->SetEnabled(false);
  sw->SetEnabled(true);
  EXPECT_EQ(sink.log, (Log{"start", "resume"}));
  const TOWStartWaveOperation *start = sink.Start(0);
  EXPECT_EQ(start->BufferSize(), 0);
  EXPECT_EQ(start->WaveFormat().Format.nChannels, 2);
  EXPECT_EQ(start->WaveFormat().Samples.wValidBitsPerSample, 16);
  EXPECT_EQ(start->WaveFormat().Format.nSamplesPerSec, 11025u);
  EXPECT_EQ(start->WaveFormat().dwChannelMask, 3u);
}

TEST_F(SwitchTest, TheEnabledPinSwitches) {
  TOwnedPtr<TOWBoolSourcePin> control(CreateObject<TOWBoolSourcePin>(nullptr));
  ASSERT_TRUE(sw->GetEnabledPin()->Connect(control.get()));
  control->SetValue(true);
  control->SetValue(false);
  EXPECT_FALSE(sw->GetEnabled());
  source.Start(44100, 16, 2);
  control->SetValue(true);
  EXPECT_TRUE(sw->GetEnabled());
  EXPECT_EQ(sink.log, (Log{"start", "resume"}));
}

TEST_F(SwitchTest, AStartWhileEnabledIsPassedAsTheSameOperation) {
  IOWNotifyOperationPtr start =
      TOWNotifyOperation::Make<TOWStartWaveOperation>(1024, 44100.0f, nullptr);
  source.pin->Notify(start.Get());
  ASSERT_EQ(sink.starts.size(), 1u);
  EXPECT_EQ(sink.starts[0].Get(), start.Get());
}

} // namespace
