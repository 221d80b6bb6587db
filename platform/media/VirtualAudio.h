// Virtual audio devices for tests and machines without a sound card.
//
// Capture devices are fed by a tone generator, a WAV file (PCM or float, read
// by our own small RIFF reader) or bytes given by the test; they pace their
// data in real time, by hand (the test releases frames) or all at once. A
// render device records every byte it is given and offers a manual reference
// clock. Switches make a device busy (opening fails with EBUSY), faulty (the
// open stream fails with EIO) or unplugged (it leaves the list; open streams
// fail with ENODEV and the graph reports EC_DEVICE_LOST).
//
// Devices are listed by the device enumerator in installation order, after
// the ALSA devices. Installing from the environment: SONVELT_VIRTUAL_AUDIO=tone
// (a 440 Hz microphone "USB Audio CODEC " and an output "Virtual Output"),
// or =<path of a WAV file> (that microphone playing the file in a loop, and
// the same output); the microphone runs in real time, or as
// SONVELT_VIRTUAL_PACING says ("manual": frames come when released through
// the device, "immediate").
//
// All calls are safe from any thread.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/media/Interfaces.h"

namespace media {

class TManualReferenceClock;

enum class TVirtualPacing {
  RealTime,  // frames become available at the format's rate
  Manual,    // frames become available when the test releases them
  Immediate, // as fast as they are read
};

enum class TVirtualSource { Tone, WaveFile, Bytes };

struct TVirtualCaptureSpec {
  std::string FriendlyName = "Virtual Microphone";
  std::string Id; // stable part of the display name; empty: derived from the name
  TVirtualSource Source = TVirtualSource::Tone;
  double ToneHz = 440.0;
  double ToneAmplitude = 0.5; // of full scale
  std::string WavePath;       // WaveFile: its format is the only one offered
  std::vector<uint8_t> Bytes; // Bytes: raw frames in whatever format is opened
  bool Loop = true;           // WaveFile/Bytes: start again at the end (else silence)
  TVirtualPacing Pacing = TVirtualPacing::RealTime;
};

class TVirtualDevice {
public:
  virtual ~TVirtualDevice() = default;
  const std::string &FriendlyName() const { return name_; }
  const std::string &Id() const { return id_; }
  bool Capture() const { return capture_; }

  void SetBusy(bool busy);
  void SetFault(bool fault);
  // Leaves the list for good; open streams fail with ENODEV.
  void Unplug();
  // Number of open streams (0 or 1) and a wait for one to open.
  int OpenCount() const;
  bool WaitOpen(std::chrono::milliseconds timeout) const;
  // Format of the open (or last opened) stream.
  WAVEFORMATEXTENSIBLE OpenedFormat() const;

  // Internal state shared with the device's streams.
  struct TState;
  std::shared_ptr<TState> State() const { return state_; }

protected:
  TVirtualDevice(std::string name, std::string id, bool capture);
  std::string name_, id_;
  bool capture_;
  std::shared_ptr<TState> state_;
};

class TVirtualCaptureDevice final : public TVirtualDevice {
public:
  explicit TVirtualCaptureDevice(TVirtualCaptureSpec spec);
  const TVirtualCaptureSpec &Spec() const { return spec_; }
  // Manual pacing: makes frames readable (counted over every stream opened).
  void ReleaseFrames(uint64_t frames);
  uint64_t FramesRead() const;
  // Waits until at least frames have been read by the capture filter.
  bool WaitFramesRead(uint64_t frames, std::chrono::milliseconds timeout) const;

private:
  TVirtualCaptureSpec spec_;
};

class TVirtualRenderDevice final : public TVirtualDevice {
public:
  TVirtualRenderDevice(std::string name, std::string id, TVirtualPacing pacing);
  // Every byte written since installation (or since ClearRecorded).
  std::vector<uint8_t> Recorded() const;
  size_t RecordedBytes() const;
  void ClearRecorded();
  bool WaitRecorded(size_t bytes, std::chrono::milliseconds timeout) const;
  // The clock the render filter offers: it moves only when the test moves it.
  TComPtr<TManualReferenceClock> Clock() const { return clock_; }
  // Manual pacing: frames the device may consume; writes block beyond them.
  void ReleaseFrames(uint64_t frames);

private:
  TComPtr<TManualReferenceClock> clock_;
};

class TVirtualAudio {
public:
  static std::shared_ptr<TVirtualCaptureDevice> AddCapture(TVirtualCaptureSpec spec);
  static std::shared_ptr<TVirtualRenderDevice>
  AddRender(std::string friendlyName = "Virtual Output", std::string id = {},
            TVirtualPacing pacing = TVirtualPacing::Immediate);
  // Takes the device out of the list (open streams keep running).
  static void Remove(const std::shared_ptr<TVirtualDevice> &device);
  // Removes every virtual device.
  static void Clear();
  // Listed devices of one kind, in installation order.
  static std::vector<std::shared_ptr<TVirtualDevice>> Devices(bool capture);
  // Installs what SONVELT_VIRTUAL_AUDIO asks for; false when unset or invalid.
  static bool InstallFromEnvironment();
};

} // namespace media
