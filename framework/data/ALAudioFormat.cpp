#include "framework/data/ALAudioFormat.h"

#include <algorithm>

#include "platform/classlib/ClassBuilder.h"

namespace {

std::vector<std::string> SpeakerNames() {
  return {"spFrontLeft",     "spFrontRight",     "spFrontCenter",       "spSubwoofer",
          "spBackLeft",      "spBackRight",      "spFrontLeftOfCenter", "spFrontRightOfCenter",
          "spBackCenter",    "spSideLeft",       "spSideRight",         "spTopCenter",
          "spTopFrontLeft",  "spTopFrontCenter", "spTopFrontRight",     "spTopBackLeft",
          "spTopBackCenter", "spTopBackRight"};
}

} // namespace

const TClassInfo &TALAudioFormatBasic::StaticClassInfo() {
  static const TClassInfo &info = MakeClassInfo<TALAudioFormatBasic>(
      "TALAudioFormatBasic", &TPersistent::StaticClassInfo(),
      [](TClassBuilder<TALAudioFormatBasic> &c) {
        c.Integer("Channels", &TALAudioFormatBasic::GetChannels, &TALAudioFormatBasic::SetChannels,
                  2);
        c.Integer("Bits", &TALAudioFormatBasic::GetBits, &TALAudioFormatBasic::SetBits, 16);
        c.Integer("SampleRate", &TALAudioFormatBasic::GetSampleRate,
                  &TALAudioFormatBasic::SetSampleRate, 11025);
        c.Set(
            "ChannelMask", [](TALAudioFormatBasic &f) { return f.GetChannelMask().Mask; },
            [](TALAudioFormatBasic &f, uint32_t mask) { f.SetChannelMask(TALSpeakers(mask)); },
            SpeakerNames(), 3);
      });
  return info;
}

const TClassInfo &TALOptionalBasicAudioFormat::StaticClassInfo() {
  static const TClassInfo &info = MakeClassInfo<TALOptionalBasicAudioFormat>(
      "TALOptionalBasicAudioFormat", &TALAudioFormatBasic::StaticClassInfo(),
      [](TClassBuilder<TALOptionalBasicAudioFormat> &c) {
        c.Boolean("Enabled", &TALOptionalBasicAudioFormat::GetEnabled,
                  &TALOptionalBasicAudioFormat::SetEnabled, false);
      });
  return info;
}

const TClassInfo &TALAudioFormat::StaticClassInfo() {
  static const TClassInfo &info =
      MakeClassInfo<TALAudioFormat>("TALAudioFormat", &TALAudioFormatBasic::StaticClassInfo(),
                                    [](TClassBuilder<TALAudioFormat> &c) {
                                      c.Integer("BufferSize", &TALAudioFormat::GetBufferSize,
                                                &TALAudioFormat::SetBufferSize, 1024);
                                    });
  return info;
}

TALAudioFormatBasic::TALAudioFormatBasic(TOWObject *OwnerObject, TALFormatChangeEvent OnChange)
    : onChange_(std::move(OnChange)), owner_(OwnerObject) {
  format_.Format.wFormatTag = WAVE_FORMAT_EXTENSIBLE;
  format_.Format.cbSize = WAVEFORMATEXTENSIBLE_EXTRA;
  format_.SubFormat = KSDATAFORMAT_SUBTYPE_PCM;
  SetChannels(2);
  SetBits(16);
  SetSampleRate(11025);
  SetChannelMask(ALDefaultChannelMask(2));
}

template <class Fn> void TALAudioFormatBasic::Change(Fn fn) {
  TOWWriteSection section(owner_);
  fn();
}

void TALAudioFormatBasic::NotifyChange() {
  if (onChange_)
    onChange_(this);
}

void TALAudioFormatBasic::SetChannels(uint32_t Value) {
  Value = std::clamp<uint32_t>(Value, 1, 32);
  Change([&] {
    if (Value == GetChannels())
      return;
    format_.Format.nChannels = static_cast<uint16_t>(Value);
    CalculateFormat();
    NotifyChange();
  });
}

void TALAudioFormatBasic::SetBits(uint32_t Value) {
  Value = std::clamp<uint32_t>(Value, 8, 32);
  Change([&] {
    if (Value == GetBits())
      return;
    format_.Samples.wValidBitsPerSample = static_cast<uint16_t>(Value);
    CalculateFormat();
    NotifyChange();
  });
}

void TALAudioFormatBasic::SetSampleRate(uint32_t Value) {
  Change([&] {
    format_.Format.nSamplesPerSec = Value;
    CalculateFormat();
    NotifyChange();
  });
}

void TALAudioFormatBasic::SetChannelMask(TALSpeakers Value) {
  Change([&] {
    format_.dwChannelMask = Value.Mask;
    CalculateFormat();
    NotifyChange();
  });
}

void TALAudioFormatBasic::CalculateFormat() {
  ALFillWaveFormat(format_, GetSampleRate(), GetBits(), GetChannels(), GetChannelMask());
}

TALOptionalBasicAudioFormat::TALOptionalBasicAudioFormat(TOWObject *OwnerObject,
                                                         TALFormatChangeEvent OnChange)
    : TALAudioFormatBasic(OwnerObject, std::move(OnChange)) {
  SetEnabled(false);
}

void TALOptionalBasicAudioFormat::SetEnabled(bool Value) {
  Change([&] {
    enabled_ = Value;
    NotifyChange();
  });
}

TALAudioFormat::TALAudioFormat(TOWObject *OwnerObject, TALFormatChangeEvent OnChange)
    : TALAudioFormatBasic(OwnerObject, std::move(OnChange)) {}

void TALAudioFormat::SetBufferSize(uint32_t Value) {
  Value = std::max<uint32_t>(Value, 1);
  Change([&] {
    if (Value == bufferSize_)
      return;
    bufferSize_ = Value;
    NotifyChange();
  });
}
