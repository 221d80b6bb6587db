#include <cstring>
#include <memory>

#include <gtest/gtest.h>

#include "framework/data/ALAudioFormat.h"
#include "tests/support/FrameworkEnvironment.h"
#include "tests/support/WaveFormatChecks.h"

namespace {

class AudioFormatRecord : public testing::Test {
protected:
  std::unique_ptr<TALAudioFormat> Make() {
    return std::make_unique<TALAudioFormat>(&owner_, [this](TObject *sender) {
      ++changes_;
      lastSender_ = sender;
      writesHeld_ = owner_.GetCountWrites();
    });
  }

  TOWObject owner_;
  int changes_ = 0;
  int writesHeld_ = 0;
  TObject *lastSender_ = nullptr;
};

TEST_F(AudioFormatRecord, FreshRecordDescribesStereo16Bit11025WithItsHandlerCalled) {
  auto f = Make();
  EXPECT_TRUE(IsExtensiblePcm(*f->GetWaveFormat(),
                              {.Channels = 2, .SamplesPerSec = 11025, .ContainerBits = 16}));
  EXPECT_EQ(f->GetWaveFormat()->Format.nAvgBytesPerSec, 44100u);
  EXPECT_EQ(f->GetBufferSize(), 1024u);
  // Channels, Bits, SampleRate and ChannelMask went through their setters.
  EXPECT_EQ(changes_, 4);
  EXPECT_EQ(lastSender_, f.get());
}

TEST_F(AudioFormatRecord, SettersClampAndRecompute) {
  auto f = Make();
  f->SetChannels(0);
  EXPECT_EQ(f->GetChannels(), 1u);
  f->SetChannels(40);
  EXPECT_EQ(f->GetChannels(), 32u);
  f->SetBits(4);
  EXPECT_EQ(f->GetBits(), 8u);
  f->SetBits(40);
  EXPECT_EQ(f->GetBits(), 32u);
  f->SetChannels(2);
  f->SetBits(20);
  EXPECT_EQ(f->GetBits(), 20u);
  EXPECT_EQ(f->GetWaveFormat()->Format.wBitsPerSample, 24);
  EXPECT_EQ(f->GetWaveFormat()->Format.nBlockAlign, 6);
  EXPECT_EQ(f->GetWaveFormat()->Format.nAvgBytesPerSec, 6u * 11025);
  f->SetSampleRate(48000);
  EXPECT_EQ(f->GetWaveFormat()->Format.nAvgBytesPerSec, 6u * 48000);
  f->SetBufferSize(0);
  EXPECT_EQ(f->GetBufferSize(), 1u);
}

TEST_F(AudioFormatRecord, HandlerRunsOnChangesOnlyWhereTheRuleSaysAndUnderTheOwnersWriteLock) {
  auto f = Make();
  changes_ = 0;
  f->SetChannels(2); // unchanged
  f->SetBits(16);    // unchanged
  f->SetBufferSize(1024);
  EXPECT_EQ(changes_, 0);
  f->SetSampleRate(11025); // unchanged, still notified
  f->SetChannelMask(TALSpeakers(3));
  EXPECT_EQ(changes_, 2);
  EXPECT_GT(writesHeld_, 0);
  EXPECT_EQ(owner_.GetCountWrites(), 0);
  f->SetBufferSize(512);
  EXPECT_EQ(changes_, 3);
}

TEST_F(AudioFormatRecord, ChannelsDoNotChangeTheMask) {
  auto f = Make();
  f->SetChannels(1);
  EXPECT_EQ(f->GetChannelMask().Mask, 3u);
  EXPECT_EQ(f->GetWaveFormat()->Format.nBlockAlign, 2);
}

TEST_F(AudioFormatRecord, OptionalRecordStartsDisabledAndAlwaysNotifies) {
  int changes = 0;
  TALOptionalBasicAudioFormat f(nullptr, [&](TObject *) { ++changes; });
  EXPECT_FALSE(f.GetEnabled());
  EXPECT_EQ(changes, 5);
  f.SetEnabled(false);
  EXPECT_EQ(changes, 6);
}

TEST_F(AudioFormatRecord, PropertiesArePublishedWithTheirDefaults) {
  const TClassInfo &c = TALAudioFormat::StaticClassInfo();
  const struct {
    const char *name;
    int64_t def;
  } rows[] = {{"Channels", 2},
              {"Bits", 16},
              {"SampleRate", 11025},
              {"ChannelMask", 3},
              {"BufferSize", 1024}};
  auto f = Make();
  for (const auto &r : rows) {
    const TPropInfo *p = c.FindProperty(r.name);
    ASSERT_NE(p, nullptr) << r.name;
    EXPECT_EQ(p->Default, r.def) << r.name;
    EXPECT_EQ(p->GetOrd(f.get()), r.def) << r.name;
  }
  c.FindProperty("Channels")->SetOrd(f.get(), 6);
  EXPECT_EQ(f->GetWaveFormat()->Format.nChannels, 6);
  EXPECT_EQ(c.FindProperty("ChannelMask")->ValueNames.at(spTopBackRight), "spTopBackRight");
}

} // namespace
