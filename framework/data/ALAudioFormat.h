// Audio format records: the format a component produces or expects,
// published as a nested property object, with a complete 40-byte
// WAVEFORMATEXTENSIBLE kept consistent with the properties so the owner can
// hand it to a start-wave operation, an audio buffer or the media layer as it
// is.
//
// Locking: every setter runs under the owner object's write section (global
// read lock, then the owner's lock group) for the whole change, the change
// handler included; getters and GetWaveFormat take no lock. The framework's
// global lock must exist (OWPinsInitialization) before a record is made.
#pragma once

#include <cstdint>
#include <functional>

#include "framework/data/ALWaveFormat.h"
#include "framework/pins/OWPins_object.h"
#include "platform/classlib/Persistent.h"

// The owner's reaction to a format change (Sender: the format record).
using TALFormatChangeEvent = std::function<void(TObject *Sender)>;

class TALAudioFormatBasic : public TPersistent {
  CLASSLIB_CLASS(TALAudioFormatBasic)

public:
  // Sets the fixed header fields, then Channels 2, Bits 16, SampleRate 11025
  // and ChannelMask 3 through the setters: OnChange already runs here.
  TALAudioFormatBasic(TOWObject *OwnerObject, TALFormatChangeEvent OnChange);

  uint32_t GetChannels() const { return format_.Format.nChannels; }
  uint32_t GetBits() const { return format_.Samples.wValidBitsPerSample; }
  uint32_t GetSampleRate() const { return format_.Format.nSamplesPerSec; }
  TALSpeakers GetChannelMask() const { return TALSpeakers(format_.dwChannelMask); }

  // 0 becomes 1 and above 32 becomes 32; nothing happens when unchanged. The
  // mask is left as it is.
  void SetChannels(uint32_t Value);
  // Below 8 becomes 8 and above 32 becomes 32; nothing happens when unchanged.
  void SetBits(uint32_t Value);
  // Always recomputes and notifies.
  void SetSampleRate(uint32_t Value);
  void SetChannelMask(TALSpeakers Value);

  // Recomputes the derived header fields from the four properties.
  void CalculateFormat();
  // The embedded record; valid while the record lives, always current.
  const WAVEFORMATEXTENSIBLE *GetWaveFormat() const { return &format_; }

protected:
  // Runs fn and the change handler under the owner's write section.
  template <class Fn> void Change(Fn fn);
  void NotifyChange();

private:
  WAVEFORMATEXTENSIBLE format_{};
  TALFormatChangeEvent onChange_;
  TOWObject *owner_;
};

// The basic record plus an enable switch (default false).
class TALOptionalBasicAudioFormat : public TALAudioFormatBasic {
  CLASSLIB_CLASS(TALOptionalBasicAudioFormat)

public:
  TALOptionalBasicAudioFormat(TOWObject *OwnerObject, TALFormatChangeEvent OnChange);

  bool GetEnabled() const { return enabled_; }
  // Always notifies; the header does not depend on it.
  void SetEnabled(bool Value);

private:
  bool enabled_ = false;
};

// The basic record plus the buffer size in frames (default 1024).
class TALAudioFormat : public TALAudioFormatBasic {
  CLASSLIB_CLASS(TALAudioFormat)

public:
  TALAudioFormat(TOWObject *OwnerObject, TALFormatChangeEvent OnChange);

  uint32_t GetBufferSize() const { return bufferSize_; }
  // 0 becomes 1; notifies only when the value changes.
  void SetBufferSize(uint32_t Value);

private:
  uint32_t bufferSize_ = 1024;
};
