#include "platform/media/VirtualAudio.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "platform/media/Backend.h"
#include "platform/media/Internal.h"
#include "platform/media/Media.h"

namespace media {

using detail::IAudioStream;

struct TVirtualDevice::TState {
  mutable std::mutex m;
  mutable std::condition_variable cv;
  bool busy = false, fault = false, unplugged = false;
  int openCount = 0;
  WAVEFORMATEXTENSIBLE opened{};
  TVirtualPacing pacing = TVirtualPacing::Immediate;
  // Capture.
  TVirtualCaptureSpec spec;
  std::vector<uint8_t> data; // WaveFile: the file's samples; Bytes: the spec's
  WAVEFORMATEXTENSIBLE dataFormat{};
  bool hasDataFormat = false;
  uint64_t released = 0; // Manual pacing: frames the test released
  uint64_t framesRead = 0;
  // Render.
  std::vector<uint8_t> recorded;
  uint64_t framesWritten = 0;
};

namespace {

std::mutex gRegistryLock;
std::vector<std::shared_ptr<TVirtualDevice>> gDevices;

uint32_t Get32(const uint8_t *p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24);
}

// Our own small RIFF/WAVE reader: the format record and the sample bytes.
bool ReadWaveFile(const std::string &path, WAVEFORMATEXTENSIBLE *format,
                  std::vector<uint8_t> *data) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    return false;
  std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (file.size() < 12 || std::memcmp(file.data(), "RIFF", 4) != 0 ||
      std::memcmp(file.data() + 8, "WAVE", 4) != 0)
    return false;
  bool haveFormat = false, haveData = false;
  size_t pos = 12;
  while (pos + 8 <= file.size()) {
    uint32_t size = Get32(file.data() + pos + 4);
    size_t body = pos + 8;
    size_t avail = file.size() - body;
    size_t len = size < avail ? size : avail; // a short file keeps what it has
    if (std::memcmp(file.data() + pos, "fmt ", 4) == 0 && len >= 16) {
      uint8_t rec[40] = {};
      std::memcpy(rec, file.data() + body, len < 40 ? len : 40);
      if (len < 18)
        rec[16] = rec[17] = 0;
      *format =
          detail::ExtensibleOf(rec, static_cast<ULONG>(len < 40 ? (len < 18 ? 18 : len) : 40));
      haveFormat = true;
    } else if (std::memcmp(file.data() + pos, "data", 4) == 0) {
      data->assign(file.begin() + body, file.begin() + body + len);
      haveData = true;
    }
    pos = body + len + (len & 1);
  }
  if (!haveFormat || !haveData)
    return false;
  const WAVEFORMATEX &wf = format->Format;
  if (wf.nBlockAlign == 0 || wf.nChannels == 0)
    return false;
  data->resize(data->size() / wf.nBlockAlign * wf.nBlockAlign);
  return true;
}

void PutSample(uint8_t *p, const WAVEFORMATEXTENSIBLE &f, double v) {
  if (v > 1.0)
    v = 1.0;
  if (v < -1.0)
    v = -1.0;
  uint16_t bits = f.Format.wBitsPerSample;
  if (detail::SubFormatOf(f) == KSDATAFORMAT_SUBTYPE_IEEE_FLOAT) {
    float x = static_cast<float>(v);
    std::memcpy(p, &x, 4);
    return;
  }
  if (bits == 8) {
    *p = static_cast<uint8_t>(128 + std::nearbyint(v * 127.0));
    return;
  }
  int64_t x =
      static_cast<int64_t>(std::nearbyint(v * static_cast<double>((int64_t(1) << (bits - 1)) - 1)));
  for (int i = 0; i < bits / 8; ++i)
    p[i] = static_cast<uint8_t>(x >> (8 * i));
}

class TVirtualStream final : public IAudioStream {
public:
  TVirtualStream(std::shared_ptr<TVirtualDevice::TState> state, bool capture,
                 WAVEFORMATEXTENSIBLE format)
      : s_(std::move(state)), capture_(capture), format_(format),
        started_(std::chrono::steady_clock::now()) {}
  ~TVirtualStream() override {
    std::lock_guard<std::mutex> lock(s_->m);
    --s_->openCount;
    s_->cv.notify_all();
  }

  long Read(uint8_t *buffer, size_t frames) override {
    std::unique_lock<std::mutex> lock(s_->m);
    for (;;) {
      if (aborted_) {
        // What the device captured before the abort is handed out.
        frames = static_cast<size_t>(std::min<uint64_t>(frames, Captured()));
        break;
      }
      if (s_->unplugged) {
        // Frames captured before the device went are read first.
        uint64_t held = s_->pacing == TVirtualPacing::Immediate ? 0 : Captured();
        if (held == 0)
          return -ENODEV;
        frames = static_cast<size_t>(std::min<uint64_t>(frames, held));
        break;
      }
      if (s_->fault)
        return -EIO;
      uint64_t need = position_ + frames;
      if (s_->pacing == TVirtualPacing::Immediate)
        break;
      if (s_->pacing == TVirtualPacing::Manual) {
        if (s_->released >= s_->framesRead + frames)
          break;
        s_->cv.wait(lock);
        continue;
      }
      auto due = started_ + std::chrono::nanoseconds(static_cast<int64_t>(
                                static_cast<double>(need) * 1e9 / format_.Format.nSamplesPerSec));
      if (std::chrono::steady_clock::now() >= due)
        break;
      s_->cv.wait_until(lock, due);
    }
    Generate(buffer, frames);
    position_ += frames;
    s_->framesRead += frames;
    s_->cv.notify_all();
    return static_cast<long>(frames);
  }

  long Write(const uint8_t *buffer, size_t frames) override {
    std::unique_lock<std::mutex> lock(s_->m);
    for (;;) {
      if (aborted_)
        return 0;
      if (s_->unplugged)
        return -ENODEV;
      if (s_->fault)
        return -EIO;
      uint64_t need = position_ + frames;
      if (s_->pacing == TVirtualPacing::Immediate)
        break;
      if (s_->pacing == TVirtualPacing::Manual) {
        if (s_->released >= s_->framesWritten + frames)
          break;
        s_->cv.wait(lock);
        continue;
      }
      // Real time: a device buffer of about 100 ms ahead of the clock.
      auto due = started_ +
                 std::chrono::nanoseconds(static_cast<int64_t>(static_cast<double>(need) * 1e9 /
                                                               format_.Format.nSamplesPerSec)) -
                 std::chrono::milliseconds(100);
      if (std::chrono::steady_clock::now() >= due)
        break;
      s_->cv.wait_until(lock, due);
    }
    size_t bytes = frames * format_.Format.nBlockAlign;
    s_->recorded.insert(s_->recorded.end(), buffer, buffer + bytes);
    position_ += frames;
    s_->framesWritten += frames;
    s_->cv.notify_all();
    return static_cast<long>(frames);
  }

  // Real time: returns once the clock has passed the last frame written.
  void Drain() override {
    std::unique_lock<std::mutex> lock(s_->m);
    if (capture_ || s_->pacing != TVirtualPacing::RealTime)
      return;
    const auto end =
        started_ + std::chrono::nanoseconds(static_cast<int64_t>(
                       static_cast<double>(position_) * 1e9 / format_.Format.nSamplesPerSec));
    s_->cv.wait_until(lock, end, [&] { return aborted_ || s_->unplugged || s_->fault; });
  }

  void Abort() override {
    std::lock_guard<std::mutex> lock(s_->m);
    aborted_ = true;
    s_->cv.notify_all();
  }
  bool Aborted() const override {
    std::lock_guard<std::mutex> lock(s_->m);
    return aborted_;
  }
  uint64_t Position() const override {
    std::lock_guard<std::mutex> lock(s_->m);
    return position_;
  }

private:
  // Frames the device holds for this stream now, not yet read.
  uint64_t Captured() const {
    switch (s_->pacing) {
    case TVirtualPacing::Immediate:
      return UINT64_MAX;
    case TVirtualPacing::Manual:
      return s_->released > s_->framesRead ? s_->released - s_->framesRead : 0;
    case TVirtualPacing::RealTime:
      break;
    }
    const double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
    const auto due = static_cast<uint64_t>(elapsed * format_.Format.nSamplesPerSec);
    return due > position_ ? due - position_ : 0;
  }

  void Generate(uint8_t *out, size_t frames) {
    const WAVEFORMATEX &wf = format_.Format;
    size_t block = wf.nBlockAlign;
    const TVirtualCaptureSpec &spec = s_->spec;
    if (spec.Source == TVirtualSource::Tone) {
      size_t width = wf.wBitsPerSample / 8;
      for (size_t f = 0; f < frames; ++f) {
        double t = static_cast<double>(position_ + f) / wf.nSamplesPerSec;
        double v = spec.ToneAmplitude * std::sin(2.0 * M_PI * spec.ToneHz * t);
        for (size_t c = 0; c < wf.nChannels; ++c)
          PutSample(out + f * block + c * width, format_, v);
      }
      return;
    }
    const std::vector<uint8_t> &data = s_->data;
    size_t total = data.size() / block;
    for (size_t f = 0; f < frames; ++f) {
      uint64_t index = position_ + f;
      uint8_t *dst = out + f * block;
      if (total == 0 || (!spec.Loop && index >= total)) {
        std::memset(dst, wf.wBitsPerSample == 8 ? 0x80 : 0, block);
        continue;
      }
      std::memcpy(dst, data.data() + (index % total) * block, block);
    }
  }

  std::shared_ptr<TVirtualDevice::TState> s_;
  bool capture_;
  WAVEFORMATEXTENSIBLE format_;
  std::chrono::steady_clock::time_point started_;
  bool aborted_ = false;
  uint64_t position_ = 0;
};

std::shared_ptr<TVirtualDevice> Find(const std::string &id) {
  std::lock_guard<std::mutex> lock(gRegistryLock);
  for (auto &d : gDevices)
    if (d->Id() == id)
      return d;
  return nullptr;
}

std::string UniqueId(std::string id) {
  auto taken = [&](const std::string &candidate) {
    for (auto &d : gDevices)
      if (d->Id() == candidate)
        return true;
    return false;
  };
  if (!taken(id))
    return id;
  for (int n = 2;; ++n) {
    std::string candidate = id + "#" + std::to_string(n);
    if (!taken(candidate))
      return candidate;
  }
}

class TVirtualBackend final : public detail::IAudioBackend {
public:
  std::vector<detail::TDeviceEntry> List(bool capture) override {
    std::vector<detail::TDeviceEntry> out;
    for (auto &d : TVirtualAudio::Devices(capture))
      out.push_back({d->Id(), d->FriendlyName()});
    return out;
  }
  bool Owns(const std::string &id) override { return Find(id) != nullptr; }
  int Open(const std::string &id, bool capture, const WAVEFORMATEXTENSIBLE &format,
           std::unique_ptr<IAudioStream> *stream) override {
    std::shared_ptr<TVirtualDevice> d = Find(id);
    if (!d || d->Capture() != capture)
      return -ENOENT;
    auto s = d->State();
    std::lock_guard<std::mutex> lock(s->m);
    if (s->unplugged)
      return -ENODEV;
    if (s->busy || s->openCount > 0)
      return -EBUSY;
    if (s->hasDataFormat && s->spec.Source == TVirtualSource::WaveFile &&
        std::memcmp(&s->dataFormat.Format, &format.Format, 16) != 0)
      return -EINVAL;
    ++s->openCount;
    s->opened = format;
    s->cv.notify_all();
    *stream = std::make_unique<TVirtualStream>(s, capture, format);
    return 0;
  }
  std::string DefaultId(bool capture) override {
    auto list = TVirtualAudio::Devices(capture);
    return list.empty() ? std::string() : list.front()->Id();
  }
  bool PreferredFormat(const std::string &id, bool, WAVEFORMATEXTENSIBLE *format) override {
    std::shared_ptr<TVirtualDevice> d = Find(id);
    if (!d)
      return false;
    auto s = d->State();
    std::lock_guard<std::mutex> lock(s->m);
    *format = s->hasDataFormat ? s->dataFormat : detail::MakeFormat(WAVE_FORMAT_PCM, 2, 48000, 16);
    return true;
  }
  bool FixedFormat(const std::string &id) override {
    std::shared_ptr<TVirtualDevice> d = Find(id);
    return d && d->Capture() && d->State()->hasDataFormat &&
           d->State()->spec.Source == TVirtualSource::WaveFile;
  }
};

} // namespace

// ---- Devices ------------------------------------------------------------------------
TVirtualDevice::TVirtualDevice(std::string name, std::string id, bool capture)
    : name_(std::move(name)), id_(std::move(id)), capture_(capture),
      state_(std::make_shared<TState>()) {}

void TVirtualDevice::SetBusy(bool busy) {
  std::lock_guard<std::mutex> lock(state_->m);
  state_->busy = busy;
}
void TVirtualDevice::SetFault(bool fault) {
  std::lock_guard<std::mutex> lock(state_->m);
  state_->fault = fault;
  state_->cv.notify_all();
}
void TVirtualDevice::Unplug() {
  {
    std::lock_guard<std::mutex> lock(state_->m);
    state_->unplugged = true;
    state_->cv.notify_all();
  }
  std::lock_guard<std::mutex> lock(gRegistryLock);
  std::erase_if(gDevices,
                [this](const std::shared_ptr<TVirtualDevice> &d) { return d.get() == this; });
}
int TVirtualDevice::OpenCount() const {
  std::lock_guard<std::mutex> lock(state_->m);
  return state_->openCount;
}
bool TVirtualDevice::WaitOpen(std::chrono::milliseconds timeout) const {
  std::unique_lock<std::mutex> lock(state_->m);
  return state_->cv.wait_for(lock, timeout, [&] { return state_->openCount > 0; });
}
WAVEFORMATEXTENSIBLE TVirtualDevice::OpenedFormat() const {
  std::lock_guard<std::mutex> lock(state_->m);
  return state_->opened;
}

TVirtualCaptureDevice::TVirtualCaptureDevice(TVirtualCaptureSpec spec)
    : TVirtualDevice(spec.FriendlyName, spec.Id.empty() ? spec.FriendlyName : spec.Id, true),
      spec_(spec) {
  state_->spec = spec_;
  state_->pacing = spec_.Pacing;
  if (spec_.Source == TVirtualSource::Bytes)
    state_->data = spec_.Bytes;
  if (spec_.Source == TVirtualSource::WaveFile)
    state_->hasDataFormat = ReadWaveFile(spec_.WavePath, &state_->dataFormat, &state_->data);
}

void TVirtualCaptureDevice::ReleaseFrames(uint64_t frames) {
  std::lock_guard<std::mutex> lock(state_->m);
  state_->released += frames;
  state_->cv.notify_all();
}
uint64_t TVirtualCaptureDevice::FramesRead() const {
  std::lock_guard<std::mutex> lock(state_->m);
  return state_->framesRead;
}
bool TVirtualCaptureDevice::WaitFramesRead(uint64_t frames,
                                           std::chrono::milliseconds timeout) const {
  std::unique_lock<std::mutex> lock(state_->m);
  return state_->cv.wait_for(lock, timeout, [&] { return state_->framesRead >= frames; });
}

TVirtualRenderDevice::TVirtualRenderDevice(std::string name, std::string id, TVirtualPacing pacing)
    : TVirtualDevice(name, id.empty() ? name : id, false),
      clock_(com::MakeCom<TManualReferenceClock>()) {
  state_->pacing = pacing;
}
std::vector<uint8_t> TVirtualRenderDevice::Recorded() const {
  std::lock_guard<std::mutex> lock(state_->m);
  return state_->recorded;
}
size_t TVirtualRenderDevice::RecordedBytes() const {
  std::lock_guard<std::mutex> lock(state_->m);
  return state_->recorded.size();
}
void TVirtualRenderDevice::ClearRecorded() {
  std::lock_guard<std::mutex> lock(state_->m);
  state_->recorded.clear();
}
bool TVirtualRenderDevice::WaitRecorded(size_t bytes, std::chrono::milliseconds timeout) const {
  std::unique_lock<std::mutex> lock(state_->m);
  return state_->cv.wait_for(lock, timeout, [&] { return state_->recorded.size() >= bytes; });
}
void TVirtualRenderDevice::ReleaseFrames(uint64_t frames) {
  std::lock_guard<std::mutex> lock(state_->m);
  state_->released += frames;
  state_->cv.notify_all();
}

// ---- Registry ----------------------------------------------------------------------------
std::shared_ptr<TVirtualCaptureDevice> TVirtualAudio::AddCapture(TVirtualCaptureSpec spec) {
  std::lock_guard<std::mutex> lock(gRegistryLock);
  spec.Id = UniqueId(spec.Id.empty() ? spec.FriendlyName : spec.Id);
  auto d = std::make_shared<TVirtualCaptureDevice>(std::move(spec));
  gDevices.push_back(d);
  return d;
}

std::shared_ptr<TVirtualRenderDevice>
TVirtualAudio::AddRender(std::string friendlyName, std::string id, TVirtualPacing pacing) {
  std::lock_guard<std::mutex> lock(gRegistryLock);
  id = UniqueId(id.empty() ? friendlyName : id);
  auto d = std::make_shared<TVirtualRenderDevice>(std::move(friendlyName), std::move(id), pacing);
  gDevices.push_back(d);
  return d;
}

void TVirtualAudio::Remove(const std::shared_ptr<TVirtualDevice> &device) {
  std::lock_guard<std::mutex> lock(gRegistryLock);
  std::erase(gDevices, device);
}

void TVirtualAudio::Clear() {
  std::lock_guard<std::mutex> lock(gRegistryLock);
  gDevices.clear();
}

std::vector<std::shared_ptr<TVirtualDevice>> TVirtualAudio::Devices(bool capture) {
  std::lock_guard<std::mutex> lock(gRegistryLock);
  std::vector<std::shared_ptr<TVirtualDevice>> out;
  for (auto &d : gDevices)
    if (d->Capture() == capture)
      out.push_back(d);
  return out;
}

bool TVirtualAudio::InstallFromEnvironment() {
  const char *value = std::getenv("SONVELT_VIRTUAL_AUDIO");
  if (value == nullptr || *value == 0)
    return false;
  TVirtualCaptureSpec spec;
  // The name the recorder looks for, so the program finds its microphone.
  spec.FriendlyName = "USB Audio CODEC ";
  spec.Pacing = TVirtualPacing::RealTime;
  if (const char *pacing = std::getenv("SONVELT_VIRTUAL_PACING"); pacing != nullptr) {
    if (std::string(pacing) == "manual")
      spec.Pacing = TVirtualPacing::Manual;
    else if (std::string(pacing) == "immediate")
      spec.Pacing = TVirtualPacing::Immediate;
  }
  if (std::string(value) != "tone") {
    spec.Source = TVirtualSource::WaveFile;
    spec.WavePath = value;
    WAVEFORMATEXTENSIBLE f;
    std::vector<uint8_t> data;
    if (!ReadWaveFile(value, &f, &data))
      return false;
  }
  AddCapture(spec);
  AddRender("Virtual Output", {}, TVirtualPacing::RealTime);
  return true;
}

namespace detail {
IAudioBackend &VirtualBackend() {
  static TVirtualBackend backend;
  return backend;
}

WAVEFORMATEXTENSIBLE MakeFormat(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits) {
  WAVEFORMATEX wf{tag, channels, rate, 0, static_cast<uint16_t>(channels * bits / 8), bits, 0};
  wf.nAvgBytesPerSec = rate * wf.nBlockAlign;
  return ExtensibleOf(reinterpret_cast<const BYTE *>(&wf), sizeof wf);
}
} // namespace detail

} // namespace media
