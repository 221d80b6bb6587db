// The sound server back end: devices a running sound server offers (PulseAudio,
// or PipeWire through its PulseAudio service), opened over libpulse. A card
// the server holds cannot be opened as an ALSA hw device while the server
// uses it; through the server it can.
//
// One connection (a threaded main loop and its context) serves the listing
// and every stream. It keeps the device list current from the server's change
// events, so a listing costs a copy under a mutex and no round trip. A lost
// server is noticed at the next listing, which connects anew; streams keep
// the connection they were opened on until they close. Without a server a
// listing does not try to reach one each time (a try starts a thread, reads
// the client configuration and knocks at every socket): it looks again when
// a socket appears or changes where a server would take connections, and
// after kLookAgainAfter for servers found some other way.
//
// Streams are opened with PA_STREAM_DONT_MOVE: the server never moves them to
// another device. A device that goes away kills its stream, and the reader or
// writer gets -ENODEV: an unplug, as with an ALSA card.
//
// Locking: the main loop's lock guards the context and every stream; state
// the listing reads (devices_, defaults_) is also behind list_ so List never
// waits for the main loop thread. Nothing is called with list_ held.
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <optional>
#include <sstream>

#include <pulse/pulseaudio.h>
#include <pulse/rtclock.h>
#include <sys/stat.h>

#include "platform/media/Backend.h"
#include "platform/media/Internal.h"

namespace media::detail {

namespace {

constexpr char kPrefix[] = "pulse:";
constexpr size_t kPrefixLength = sizeof kPrefix - 1;
// How long connecting, listing or opening a stream may take before the
// server counts as not answering.
constexpr pa_usec_t kAnswerTimeout = 3 * PA_USEC_PER_SEC;
// How long a failed look for a server holds while nothing changes where one
// would take connections: a server named by a client configuration or on the
// network makes no socket here, and is found within this time.
constexpr auto kLookAgainAfter = std::chrono::seconds(30);

struct TServerDevice {
  TDeviceEntry Entry;
  std::string Card; // the ALSA id of the device's card, empty when none
  pa_sample_spec Spec{};
};

// The id ALSA gives a card ("CODEC"), from its index; empty when unknown.
std::string AlsaCardId(const char *index) {
  if (index == nullptr || *index == '\0')
    return {};
  for (const char *p = index; *p; ++p)
    if (*p < '0' || *p > '9')
      return {};
  std::ifstream in(std::string("/proc/asound/card") + index + "/id");
  std::string id;
  std::getline(in, id);
  return id;
}

// The machine's id, as the client library names the user's runtime folder
// when there is no XDG_RUNTIME_DIR.
const std::string &MachineId() {
  static const std::string id = [] {
    std::string line;
    for (const char *file : {"/etc/machine-id", "/var/lib/dbus/machine-id"}) {
      std::ifstream in(file);
      if (std::getline(in, line) && !line.empty())
        break;
    }
    return line;
  }();
  return id;
}

// Where a server would take connections, as the client library looks for
// one, and what is there now: the sockets PULSE_SERVER names, else the
// user's and the system's socket; with the variables that choose them. A
// server that starts makes its socket, so this changes when one comes.
std::string ServerPlaces() {
  std::string places;
  auto variable = [&places](const char *name) {
    const char *value = std::getenv(name);
    places += name;
    places += '=';
    places += value ? value : "";
    places += '\n';
    return std::string(value ? value : "");
  };
  const std::string named = variable("PULSE_SERVER");
  const std::string runtime = variable("PULSE_RUNTIME_PATH");
  const std::string xdgRuntime = variable("XDG_RUNTIME_DIR");
  const std::string state = variable("PULSE_STATE_PATH");
  const std::string xdgConfig = variable("XDG_CONFIG_HOME");
  const std::string home = variable("HOME");
  variable("PULSE_CLIENTCONFIG");
  std::vector<std::string> sockets;
  if (!named.empty()) {
    std::istringstream words(named);
    for (std::string word; words >> word;) {
      if (word[0] == '{') { // "{machine id}" before a server of one machine only
        const size_t close = word.find('}');
        word.erase(0, close == std::string::npos ? word.size() : close + 1);
      }
      if (word.rfind("unix:", 0) == 0)
        sockets.push_back(word.substr(5));
      else if (!word.empty() && word[0] == '/')
        sockets.push_back(word);
    }
  } else {
    if (!runtime.empty())
      sockets.push_back(runtime + "/native");
    else if (!xdgRuntime.empty())
      sockets.push_back(xdgRuntime + "/pulse/native");
    else
      for (const std::string &folder :
           {state, xdgConfig.empty() ? "" : xdgConfig + "/pulse",
            home.empty() ? "" : home + "/.config/pulse", home.empty() ? "" : home + "/.pulse"})
        if (!folder.empty())
          sockets.push_back(folder + "/" + MachineId() + "-runtime/native");
    sockets.push_back("/var/run/pulse/native");
  }
  for (const std::string &path : sockets) {
    places += path;
    struct stat st {};
    if (stat(path.c_str(), &st) == 0)
      places += ' ' + std::to_string(st.st_ino) + ' ' + std::to_string(st.st_ctim.tv_sec) + '.' +
                std::to_string(st.st_ctim.tv_nsec);
    places += '\n';
  }
  return places;
}

template <class TInfo> TServerDevice DeviceOf(const TInfo *info) {
  TServerDevice d;
  d.Entry.Id = std::string(kPrefix) + info->name;
  // A card's devices go by the card's ALSA name, as the ALSA back end lists
  // the card; the server's own description is for devices of no card.
  const char *card = pa_proplist_gets(info->proplist, "alsa.card_name");
  d.Entry.FriendlyName = card && *card ? card : (info->description ? info->description : "");
  d.Card = AlsaCardId(pa_proplist_gets(info->proplist, "alsa.card"));
  d.Spec = info->sample_spec;
  return d;
}

int ErrnoOfServerError(int error) {
  switch (error) {
  case PA_ERR_NOENTITY:
    return -ENOENT;
  case PA_ERR_BUSY:
    return -EBUSY;
  case PA_ERR_INVALID:
  case PA_ERR_NOTSUPPORTED:
  case PA_ERR_NOTIMPLEMENTED:
    return -EINVAL;
  case PA_ERR_ACCESS:
    return -EACCES;
  case PA_ERR_CONNECTIONREFUSED:
  case PA_ERR_CONNECTIONTERMINATED:
  case PA_ERR_KILLED:
  case PA_ERR_NODATA:
    return -ENODEV;
  case PA_ERR_TIMEOUT:
    return -ETIMEDOUT;
  default:
    return -EIO;
  }
}

// Holds the main loop's lock for a scope.
class TLoopLock {
public:
  explicit TLoopLock(pa_threaded_mainloop *loop) : loop_(loop) { pa_threaded_mainloop_lock(loop_); }
  ~TLoopLock() { pa_threaded_mainloop_unlock(loop_); }
  TLoopLock(const TLoopLock &) = delete;
  TLoopLock &operator=(const TLoopLock &) = delete;

private:
  pa_threaded_mainloop *loop_;
};

// One connection to the server and the devices it offers.
class TServer {
public:
  TServer(const TServer &) = delete;
  TServer &operator=(const TServer &) = delete;

  // A connection whose first device listing has arrived, or null when no
  // server answers.
  static std::shared_ptr<TServer> Connect() {
    auto server = std::shared_ptr<TServer>(new TServer);
    return server->Start() ? server : nullptr;
  }

  ~TServer() {
    if (loop_ == nullptr)
      return;
    pa_threaded_mainloop_stop(loop_);
    if (context_) {
      pa_context_set_state_callback(context_, nullptr, nullptr);
      pa_context_set_subscribe_callback(context_, nullptr, nullptr);
      pa_context_disconnect(context_);
      pa_context_unref(context_);
    }
    pa_threaded_mainloop_free(loop_);
  }

  pa_threaded_mainloop *Loop() const { return loop_; }
  pa_context *Context() const { return context_; }
  bool Alive() const { return state_ == PA_CONTEXT_READY; }

  std::vector<TServerDevice> Devices(bool capture) {
    std::lock_guard<std::mutex> lock(list_);
    return devices_[capture ? 1 : 0];
  }
  std::string DefaultName(bool capture) {
    std::lock_guard<std::mutex> lock(list_);
    return defaults_[capture ? 1 : 0];
  }

  // Waits (main loop lock held) until done() holds, the connection fails or
  // the answer takes too long; done()'s value at the end.
  template <class F> bool WaitFor(F done) { return WaitUntil(done, true); }

private:
  TServer() = default;

  // WaitFor, also while the connection is not yet up (aliveOnly false).
  template <class F> bool WaitUntil(F done, bool aliveOnly) {
    bool expired = false;
    pa_time_event *timer =
        pa_context_rttime_new(context_, pa_rtclock_now() + kAnswerTimeout, &TServer::OnTimer, this);
    while (!done() && (Alive() || !aliveOnly) && !expired) {
      pa_threaded_mainloop_wait(loop_);
      expired = timerFired_.exchange(false);
    }
    if (timer)
      pa_threaded_mainloop_get_api(loop_)->time_free(timer);
    timerFired_ = false;
    return done();
  }

  bool Start() {
    loop_ = pa_threaded_mainloop_new();
    if (loop_ == nullptr)
      return false;
    context_ = pa_context_new(pa_threaded_mainloop_get_api(loop_), "Sonvelt");
    if (context_ == nullptr)
      return false;
    pa_context_set_state_callback(context_, &TServer::OnState, this);
    // Never start a server of our own: without one the ALSA devices serve.
    if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
      return false;
    if (pa_threaded_mainloop_start(loop_) < 0)
      return false;
    TLoopLock lock(loop_);
    state_ = pa_context_get_state(context_);
    WaitUntil([&] { return PA_CONTEXT_IS_GOOD(state_.load()) == 0 || state_ == PA_CONTEXT_READY; },
              false);
    if (!Alive())
      return false;
    pa_context_set_subscribe_callback(context_, &TServer::OnEvent, this);
    pa_operation_unref(pa_context_subscribe(
        context_,
        static_cast<pa_subscription_mask_t>(
            PA_SUBSCRIPTION_MASK_SOURCE | PA_SUBSCRIPTION_MASK_SINK | PA_SUBSCRIPTION_MASK_SERVER),
        nullptr, nullptr));
    uint64_t wanted = Refresh();
    return WaitFor([&] { return listed_ >= wanted; });
  }

  // Asks for the devices and the defaults anew; the number listed_ reaches
  // when the answers are in. Main loop lock held.
  uint64_t Refresh() {
    pa_operation *ops[] = {pa_context_get_server_info(context_, &TServer::OnServerInfo, this),
                           pa_context_get_source_info_list(context_, &TServer::OnSource, this),
                           pa_context_get_sink_info_list(context_, &TServer::OnSink, this)};
    for (pa_operation *op : ops)
      if (op)
        pa_operation_unref(op);
    return ++requested_;
  }

  static void OnState(pa_context *c, void *self) {
    auto *s = static_cast<TServer *>(self);
    s->state_ = pa_context_get_state(c);
    pa_threaded_mainloop_signal(s->loop_, 0);
  }
  static void OnTimer(pa_mainloop_api *, pa_time_event *, const struct timeval *, void *self) {
    auto *s = static_cast<TServer *>(self);
    s->timerFired_ = true;
    pa_threaded_mainloop_signal(s->loop_, 0);
  }
  static void OnEvent(pa_context *, pa_subscription_event_type_t, uint32_t, void *self) {
    static_cast<TServer *>(self)->Refresh();
  }
  static void OnServerInfo(pa_context *, const pa_server_info *info, void *self) {
    auto *s = static_cast<TServer *>(self);
    if (info) {
      std::lock_guard<std::mutex> lock(s->list_);
      s->defaults_[0] = info->default_sink_name ? info->default_sink_name : "";
      s->defaults_[1] = info->default_source_name ? info->default_source_name : "";
    }
  }
  static void OnSource(pa_context *, const pa_source_info *info, int eol, void *self) {
    auto *s = static_cast<TServer *>(self);
    if (eol == 0 && info) {
      // A monitor replays an output: not a microphone.
      if (info->monitor_of_sink == PA_INVALID_INDEX)
        s->pending_[1].push_back(DeviceOf(info));
      return;
    }
    s->Commit(1);
  }
  static void OnSink(pa_context *, const pa_sink_info *info, int eol, void *self) {
    auto *s = static_cast<TServer *>(self);
    if (eol == 0 && info) {
      s->pending_[0].push_back(DeviceOf(info));
      return;
    }
    s->Commit(0);
    // The sink list is asked for last: its end is the end of a refresh.
    ++s->listed_;
    pa_threaded_mainloop_signal(s->loop_, 0);
  }
  void Commit(int kind) {
    std::lock_guard<std::mutex> lock(list_);
    devices_[kind] = std::move(pending_[kind]);
    pending_[kind].clear();
  }

  pa_threaded_mainloop *loop_ = nullptr;
  pa_context *context_ = nullptr;
  std::atomic<pa_context_state_t> state_{PA_CONTEXT_UNCONNECTED};
  std::atomic<bool> timerFired_{false};
  uint64_t requested_ = 0;                // main loop lock
  std::atomic<uint64_t> listed_{0};       // written by the main loop thread
  std::vector<TServerDevice> pending_[2]; // main loop thread only
  std::mutex list_;
  std::vector<TServerDevice> devices_[2]; // [0] outputs, [1] microphones
  std::string defaults_[2];
};

bool SampleSpecOf(const WAVEFORMATEXTENSIBLE &f, pa_sample_spec *sample) {
  sample->rate = f.Format.nSamplesPerSec;
  sample->channels = static_cast<uint8_t>(f.Format.nChannels);
  if (f.Format.nChannels > PA_CHANNELS_MAX)
    return false;
  if (SubFormatOf(f) == KSDATAFORMAT_SUBTYPE_IEEE_FLOAT) {
    if (f.Format.wBitsPerSample != 32)
      return false;
    sample->format = PA_SAMPLE_FLOAT32LE;
  } else if (SubFormatOf(f) == KSDATAFORMAT_SUBTYPE_PCM) {
    switch (f.Format.wBitsPerSample) {
    case 8:
      sample->format = PA_SAMPLE_U8;
      break;
    case 16:
      sample->format = PA_SAMPLE_S16LE;
      break;
    case 24:
      sample->format = PA_SAMPLE_S24LE;
      break;
    case 32:
      sample->format = PA_SAMPLE_S32LE;
      break;
    default:
      return false;
    }
  } else
    return false;
  return pa_sample_spec_valid(sample) &&
         pa_frame_size(sample) == static_cast<size_t>(f.Format.nBlockAlign);
}

class TServerStream final : public IAudioStream {
public:
  TServerStream(std::shared_ptr<TServer> server, pa_stream *stream, bool capture, size_t block)
      : server_(std::move(server)), stream_(stream), capture_(capture), block_(block) {}

  ~TServerStream() override {
    TLoopLock lock(server_->Loop());
    pa_stream_set_state_callback(stream_, nullptr, nullptr);
    pa_stream_set_read_callback(stream_, nullptr, nullptr);
    pa_stream_set_write_callback(stream_, nullptr, nullptr);
    pa_stream_disconnect(stream_);
    pa_stream_unref(stream_);
  }

  // Once aborted, takes only what has already arrived and waits for
  // nothing: a take stopped now still gets every frame the server sent.
  long Read(uint8_t *buffer, size_t frames) override {
    TLoopLock lock(server_->Loop());
    const size_t want = frames * block_;
    size_t got = 0;
    while (got < want) {
      if (!Usable())
        return got > 0 && aborted_ ? static_cast<long>(got / block_) : -ENODEV;
      if (fragment_ != nullptr || fragmentSize_ > 0) {
        size_t n = std::min(fragmentSize_ - fragmentUsed_, want - got);
        if (fragment_)
          std::memcpy(buffer + got, fragment_ + fragmentUsed_, n);
        else // a hole in the recording: silence
          std::memset(buffer + got, 0, n);
        got += n;
        fragmentUsed_ += n;
        // A fragment is let go only once all of it is taken: what a block
        // does not hold goes into the next one.
        if (fragmentUsed_ == fragmentSize_) {
          pa_stream_drop(stream_);
          fragment_ = nullptr;
          fragmentSize_ = fragmentUsed_ = 0;
        }
        continue;
      }
      const void *data = nullptr;
      size_t size = 0;
      if (pa_stream_peek(stream_, &data, &size) < 0)
        return ErrnoOfServerError(pa_context_errno(server_->Context()));
      if (size == 0) {
        if (aborted_)
          break;
        pa_threaded_mainloop_wait(server_->Loop());
        continue;
      }
      fragment_ = static_cast<const uint8_t *>(data);
      fragmentSize_ = size;
      fragmentUsed_ = 0;
    }
    position_ += got / block_;
    return static_cast<long>(got / block_);
  }

  long Write(const uint8_t *buffer, size_t frames) override {
    TLoopLock lock(server_->Loop());
    const size_t total = frames * block_;
    size_t done = 0;
    while (done < total && !aborted_) {
      if (!Usable())
        return -ENODEV;
      size_t room = pa_stream_writable_size(stream_);
      if (room == static_cast<size_t>(-1))
        return ErrnoOfServerError(pa_context_errno(server_->Context()));
      room = std::min(room, total - done) / block_ * block_;
      if (room == 0) {
        pa_threaded_mainloop_wait(server_->Loop());
        continue;
      }
      if (pa_stream_write(stream_, buffer + done, room, nullptr, 0, PA_SEEK_RELATIVE) < 0)
        return ErrnoOfServerError(pa_context_errno(server_->Context()));
      done += room;
      position_ += room / block_;
    }
    return static_cast<long>(done / block_);
  }

  // Waits until the server has played everything written (also what is
  // short of the buffer's start threshold).
  void Drain() override {
    if (capture_)
      return;
    TLoopLock lock(server_->Loop());
    if (aborted_ || !Usable())
      return;
    drained_ = false;
    pa_operation *op = pa_stream_drain(stream_, &TServerStream::OnDrained, this);
    if (op == nullptr)
      return;
    while (!drained_ && !aborted_ && Usable())
      pa_threaded_mainloop_wait(server_->Loop());
    if (!drained_)
      pa_operation_cancel(op);
    pa_operation_unref(op);
  }

  void Abort() override {
    TLoopLock lock(server_->Loop());
    aborted_ = true;
    pa_threaded_mainloop_signal(server_->Loop(), 0);
  }
  bool Aborted() const override { return aborted_; }
  uint64_t Position() const override { return position_; }

  static void OnChange(pa_stream *, void *loop) {
    pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop *>(loop), 0);
  }
  static void OnTransfer(pa_stream *, size_t, void *loop) {
    pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop *>(loop), 0);
  }

private:
  // The stream still runs on a live connection (main loop lock held).
  bool Usable() const {
    return server_->Alive() && pa_stream_get_state(stream_) == PA_STREAM_READY;
  }
  static void OnDrained(pa_stream *, int, void *self) {
    auto *s = static_cast<TServerStream *>(self);
    s->drained_ = true;
    pa_threaded_mainloop_signal(s->server_->Loop(), 0);
  }

  std::shared_ptr<TServer> server_;
  pa_stream *stream_;
  bool capture_;
  size_t block_;
  std::atomic<bool> aborted_{false};
  std::atomic<uint64_t> position_{0};
  bool drained_ = false; // main loop lock
  // The fragment being taken apart (capture; main loop lock).
  const uint8_t *fragment_ = nullptr;
  size_t fragmentSize_ = 0, fragmentUsed_ = 0;
};

class TPulseBackend final : public IAudioBackend {
public:
  std::vector<TDeviceEntry> List(bool capture) override {
    std::vector<TDeviceEntry> out;
    if (auto server = Current())
      for (auto &d : server->Devices(capture))
        out.push_back(d.Entry);
    return out;
  }

  std::vector<TDeviceEntry> List(bool capture, std::vector<std::string> *cards) {
    std::vector<TDeviceEntry> out;
    if (auto server = Current())
      for (auto &d : server->Devices(capture)) {
        out.push_back(d.Entry);
        if (!d.Card.empty())
          cards->push_back(d.Card);
      }
    return out;
  }

  bool Owns(const std::string &id) override { return id.rfind(kPrefix, 0) == 0; }

  int Open(const std::string &id, bool capture, const WAVEFORMATEXTENSIBLE &format,
           std::unique_ptr<IAudioStream> *out) override {
    pa_sample_spec sample{};
    if (!SampleSpecOf(format, &sample))
      return -EINVAL;
    std::shared_ptr<TServer> server = Current();
    if (!server)
      return -ENODEV; // the server is gone, and its devices with it
    pa_channel_map map;
    pa_channel_map_init_extend(&map, sample.channels, PA_CHANNEL_MAP_WAVEEX);
    std::string name = id.substr(kPrefixLength);

    TLoopLock lock(server->Loop());
    pa_stream *stream =
        pa_stream_new(server->Context(), capture ? "Capture" : "Playback", &sample, &map);
    if (stream == nullptr)
      return ErrnoOfServerError(pa_context_errno(server->Context()));
    pa_stream_set_state_callback(stream, &TServerStream::OnChange, server->Loop());
    if (capture)
      pa_stream_set_read_callback(stream, &TServerStream::OnTransfer, server->Loop());
    else
      pa_stream_set_write_callback(stream, &TServerStream::OnTransfer, server->Loop());
    pa_buffer_attr attr;
    std::memset(&attr, 0xff, sizeof attr); // every field: the server's choice
    if (capture)
      attr.fragsize = static_cast<uint32_t>(pa_usec_to_bytes(20 * PA_USEC_PER_MSEC, &sample));
    else // enough queued that a writer held up on a busy machine does not leave a gap
      attr.tlength = static_cast<uint32_t>(pa_usec_to_bytes(400 * PA_USEC_PER_MSEC, &sample));
    auto flags = static_cast<pa_stream_flags_t>(PA_STREAM_DONT_MOVE | PA_STREAM_ADJUST_LATENCY);
    const char *device = name.empty() ? nullptr : name.c_str();
    int err = capture ? pa_stream_connect_record(stream, device, &attr, flags)
                      : pa_stream_connect_playback(stream, device, &attr, flags, nullptr, nullptr);
    if (err == 0)
      server->WaitFor([&] {
        pa_stream_state_t s = pa_stream_get_state(stream);
        return s == PA_STREAM_READY || s == PA_STREAM_FAILED || s == PA_STREAM_TERMINATED;
      });
    if (err < 0 || pa_stream_get_state(stream) != PA_STREAM_READY) {
      int result =
          server->Alive() ? ErrnoOfServerError(pa_context_errno(server->Context())) : -ENODEV;
      pa_stream_set_state_callback(stream, nullptr, nullptr);
      pa_stream_set_read_callback(stream, nullptr, nullptr);
      pa_stream_set_write_callback(stream, nullptr, nullptr);
      pa_stream_disconnect(stream);
      pa_stream_unref(stream);
      return result < 0 ? result : -EIO;
    }
    *out = std::make_unique<TServerStream>(server, stream, capture, format.Format.nBlockAlign);
    return 0;
  }

  // The server's default device, while a server runs.
  std::string DefaultId(bool) override { return Current() ? kPrefix : std::string(); }

  bool PreferredFormat(const std::string &id, bool capture, WAVEFORMATEXTENSIBLE *format) override {
    *format = MakeFormat(WAVE_FORMAT_PCM, 2, 48000, 16);
    auto server = Current();
    if (!server)
      return true;
    std::string name = id.substr(std::min(id.size(), kPrefixLength));
    if (name.empty())
      name = server->DefaultName(capture);
    for (auto &d : server->Devices(capture)) {
      if (d.Entry.Id.compare(kPrefixLength, std::string::npos, name) != 0)
        continue;
      uint16_t channels = d.Spec.channels;
      switch (d.Spec.format) {
      case PA_SAMPLE_U8:
        *format = MakeFormat(WAVE_FORMAT_PCM, channels, d.Spec.rate, 8);
        break;
      case PA_SAMPLE_S16LE:
        *format = MakeFormat(WAVE_FORMAT_PCM, channels, d.Spec.rate, 16);
        break;
      case PA_SAMPLE_S24LE:
        *format = MakeFormat(WAVE_FORMAT_PCM, channels, d.Spec.rate, 24);
        break;
      default: // what the server converts from best: 16 bits at the device's rate
        *format = MakeFormat(WAVE_FORMAT_PCM, channels, d.Spec.rate, 16);
        break;
      }
    }
    return true;
  }

private:
  // The live connection, made anew when there is none; null when no server
  // answers. A lost connection is tried again at once; after a failed try,
  // only once the places a server would be at change, or kLookAgainAfter
  // later.
  std::shared_ptr<TServer> Current() {
    std::lock_guard<std::mutex> lock(m_);
    if (server_ && server_->Alive())
      return server_;
    server_.reset();
    const auto now = std::chrono::steady_clock::now();
    std::string places = ServerPlaces();
    if (failed_ && places == failedPlaces_ && now - failedAt_ < kLookAgainAfter)
      return nullptr;
    server_ = TServer::Connect();
    failed_ = server_ == nullptr;
    // The places as they were before the try: a server that came during it
    // is tried again at the next call.
    failedPlaces_ = std::move(places);
    failedAt_ = now;
    return server_;
  }

  std::mutex m_;
  std::shared_ptr<TServer> server_;
  bool failed_ = false; // the last try found no server
  std::string failedPlaces_;
  std::chrono::steady_clock::time_point failedAt_;
};

} // namespace

namespace {
TPulseBackend &Backend() {
  static TPulseBackend backend;
  return backend;
}
} // namespace

IAudioBackend &PulseBackend() { return Backend(); }

std::vector<TDeviceEntry> ServerDevices(bool capture, std::vector<std::string> *cards) {
  return Backend().List(capture, cards);
}

} // namespace media::detail
