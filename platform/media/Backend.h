// The device back ends behind the capture and render filters: one interface,
// implemented over ALSA and over the virtual devices. Internal to
// platform/media.
//
// Streams are used by one device thread; Abort may come from any thread and
// makes a blocked Read or Write return at once (and every later one, until
// the stream is closed).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/wave/WaveFormat.h"

namespace media::detail {

struct TDeviceEntry {
  std::string Id;           // stable: the tail of the display name
  std::string FriendlyName; // as shown ("USB Audio CODEC")
};

class IAudioStream {
public:
  virtual ~IAudioStream() = default;
  // Frames transferred (all of them unless aborted: then fewer, possibly 0),
  // or a negative errno: -ENODEV/-EIO the device is gone, others fatal.
  virtual long Read(uint8_t *buffer, size_t frames) = 0;
  virtual long Write(const uint8_t *buffer, size_t frames) = 0;
  // Plays out what was written (render) before closing; may be aborted.
  virtual void Drain() {}
  virtual void Abort() = 0;
  virtual bool Aborted() const = 0;
  // Frames the device has consumed or produced so far (render: played).
  virtual uint64_t Position() const = 0;
};

class IAudioBackend {
public:
  virtual ~IAudioBackend() = default;
  virtual std::vector<TDeviceEntry> List(bool capture) = 0;
  // True when the id names one of this back end's devices (listed or not).
  virtual bool Owns(const std::string &id) = 0;
  // 0 and a stream, or a negative errno (-EBUSY busy, -ENODEV/-ENOENT missing,
  // -EINVAL format refused).
  virtual int Open(const std::string &id, bool capture, const WAVEFORMATEXTENSIBLE &format,
                   std::unique_ptr<IAudioStream> *stream) = 0;
  // The id of the category's default device, empty when it has none.
  virtual std::string DefaultId(bool capture) = 0;
  // The device's preferred format (for capture devices fed by a file: the file's).
  virtual bool PreferredFormat(const std::string &id, bool capture,
                               WAVEFORMATEXTENSIBLE *format) = 0;
  // True when only the preferred format can be opened.
  virtual bool FixedFormat(const std::string &id) {
    (void)id;
    return false;
  }
};

IAudioBackend &AlsaBackend();
IAudioBackend &VirtualBackend();
// A running sound server's devices ("pulse:<name>"); lists none without one.
IAudioBackend &PulseBackend();
// The sound server's listed devices of a kind, and the ALSA ids of the cards
// they stand for ("CODEC"): the cards the server holds.
std::vector<TDeviceEntry> ServerDevices(bool capture, std::vector<std::string> *cards);
// The back end owning a device id (virtual, then sound server, then ALSA),
// null when none.
IAudioBackend *BackendFor(const std::string &id);
// Every listed device of a kind: with ALSA enabled the sound server's, then
// ALSA's less the cards the server holds; then the virtual ones.
std::vector<TDeviceEntry> ListDevices(bool capture);
// The folder whose entries change when a sound card comes or goes ("/dev/snd",
// where alsa-lib finds the cards); tests watch a folder of their own.
void SetCardFolder(const std::string &folder);
// The kind's default device: the sound server's while one runs, else ALSA's
// "default" when ALSA lists devices (or when no virtual device exists), else
// the first virtual device.
bool DefaultDevice(bool capture, TDeviceEntry *entry);

// A 16-bit stereo 48 kHz format record (the default of devices without one).
WAVEFORMATEXTENSIBLE MakeFormat(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits);

} // namespace media::detail
