// The sound server back end against a real sound server of the test's own: a
// pipe source stands for a USB codec's microphone (with the card properties
// the server gives an ALSA card's devices), a null sink for its output. What
// the microphone is fed must come out of a take frame for frame; what is
// played must reach the output frame for frame, read back from the FIFO a
// pipe sink writes what it plays into.
#include <atomic>
#include <filesystem>
#include <thread>

#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <pulse/context.h>
#include <unistd.h>

#include "tests/platform/media/MediaTestSupport.h"
#include "tests/support/SoundServer.h"
#include "tests/support/Wait.h"

using namespace mediatest;

namespace {

constexpr uint32_t kRate = 8000;

std::atomic<int> gConnects{0}; // tries to reach a server

// Samples that are never 0, so the played part stands out of the silence
// around it.
std::vector<uint8_t> Signal(size_t frames, unsigned seed) {
  std::vector<uint8_t> out(frames * 2);
  for (size_t i = 0; i < frames; ++i) {
    int16_t v = static_cast<int16_t>((i * 7919 + seed * 104729) % 60000 - 30000);
    if (v == 0)
      v = 1;
    out[2 * i] = static_cast<uint8_t>(v & 0xff);
    out[2 * i + 1] = static_cast<uint8_t>((v >> 8) & 0xff);
  }
  return out;
}

const std::vector<std::string> kModules = {
    // Written as played, never rewritten: what reached the output.
    "load-module module-pipe-sink sink_name=codec_out file=%s/speaker rate=8000 channels=1 "
    "format=s16le use_system_clock_for_timing=yes sink_properties=\"device.description='Codec "
    "Output' alsa.card_name='USB Audio CODEC'\"",
    "load-module module-pipe-source source_name=codec_in file=%s/mic rate=8000 channels=1 "
    "format=s16le source_properties=\"device.description='Codec Input' "
    "alsa.card_name='USB Audio CODEC'\"",
    "load-module module-null-sink sink_name=speakers rate=8000 channels=1 format=s16le "
    "sink_properties=\"device.description='Speakers'\""};

std::vector<std::string> ModulesIn(const std::string &folder) {
  std::vector<std::string> out;
  for (std::string m : kModules) {
    for (auto at = m.find("%s"); at != std::string::npos; at = m.find("%s"))
      m.replace(at, 2, folder);
    out.push_back(m);
  }
  return out;
}

// The server's folder is only known once it exists: a server without the
// pipe source first would do, but a second daemon is cheaper to avoid.
std::string NewFolder() {
  char pattern[] = "/tmp/sonvelt-mic-XXXXXX";
  return mkdtemp(pattern) ? pattern : "";
}

std::string IdNamed(bool capture, const std::string &name) {
  for (auto &e : detail::ListDevices(capture))
    if (e.FriendlyName == name)
      return e.Id;
  return {};
}

class Server : public ::testing::Test {
protected:
  void SetUp() override {
    SetAlsaEnabled(true);
    TVirtualAudio::Clear();
    micFolder_ = NewFolder();
    server_ = std::make_unique<TSoundServer>(ModulesIn(micFolder_));
    ASSERT_TRUE(server_->Running()) << server_->Log();
  }
  void TearDown() override {
    server_.reset();
    std::error_code ec;
    std::filesystem::remove_all(micFolder_, ec);
  }

  // Feeds the microphone: the pipe source reads its FIFO.
  void Feed(const std::vector<uint8_t> &data) {
    int fd = open((micFolder_ + "/mic").c_str(), O_WRONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    size_t done = 0;
    while (done < data.size()) {
      ssize_t n = write(fd, data.data() + done, data.size() - done);
      ASSERT_GT(n, 0);
      done += static_cast<size_t>(n);
    }
    close(fd);
  }

  std::string micFolder_;
  std::unique_ptr<TSoundServer> server_;
};

// Reads what the output writes into its FIFO while it lives.
class TOutputReader {
public:
  explicit TOutputReader(const std::string &fifo) {
    fd_ = open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ >= 0)
      thread_ = std::thread([this] {
        uint8_t chunk[4096];
        while (!stop_) {
          pollfd p{fd_, POLLIN, 0};
          if (poll(&p, 1, 20) <= 0)
            continue;
          ssize_t n = read(fd_, chunk, sizeof chunk);
          if (n <= 0)
            continue;
          std::lock_guard<std::mutex> lock(m_);
          data_.insert(data_.end(), chunk, chunk + n);
        }
      });
  }
  ~TOutputReader() { Finish(); }
  bool Reading() const { return fd_ >= 0; }
  std::vector<uint8_t> Finish() {
    if (fd_ >= 0) {
      stop_ = true;
      thread_.join();
      close(fd_);
      fd_ = -1;
    }
    std::lock_guard<std::mutex> lock(m_);
    return data_;
  }
  // Bytes written that are not silence.
  size_t Heard() {
    std::lock_guard<std::mutex> lock(m_);
    size_t n = 0;
    for (uint8_t b : data_)
      n += b != 0;
    return n;
  }

private:
  int fd_ = -1;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::mutex m_;
  std::vector<uint8_t> data_;
};

// What was recorded from the first sound on, as long as what was played.
std::vector<uint8_t> PlayedPart(const std::vector<uint8_t> &recorded, size_t size) {
  size_t first = 0;
  while (first + 1 < recorded.size() && recorded[first] == 0 && recorded[first + 1] == 0)
    first += 2;
  size_t end = std::min(recorded.size(), first + size);
  return std::vector<uint8_t>(recorded.begin() + static_cast<long>(first),
                              recorded.begin() + static_cast<long>(end));
}

TEST_F(Server, CardDevicesAreListedUnderTheCardNameAndMonitorsAreNot) {
  EXPECT_EQ(IdNamed(true, "USB Audio CODEC"), "pulse:codec_in");
  EXPECT_EQ(IdNamed(false, "USB Audio CODEC"), "pulse:codec_out");
  // A device of no card goes by the server's description.
  EXPECT_EQ(IdNamed(false, "Speakers"), "pulse:speakers");
  for (auto &e : detail::ListDevices(true))
    EXPECT_EQ(e.Id.find(".monitor"), std::string::npos) << e.Id;
  detail::TDeviceEntry def;
  ASSERT_TRUE(detail::DefaultDevice(false, &def));
  EXPECT_EQ(def.Id, "pulse:");
}

TEST_F(Server, TakeFromTheMicrophoneNamedByItsCardIsBitExact) {
  std::string id = IdNamed(true, "USB Audio CODEC");
  ASSERT_FALSE(id.empty());
  TCaptureGraph g;
  ASSERT_EQ(g.Build(id, Pcm(1, kRate, 16), 256), com::S_OK);
  ASSERT_EQ(g.control->Run(), com::S_OK);
  auto data = Signal(40 * 256, 1);
  Feed(data);
  ASSERT_TRUE(g.collector->WaitCount(40));
  EXPECT_EQ(g.control->Stop(), com::S_OK);
  std::vector<uint8_t> joined;
  auto blocks = g.collector->Blocks();
  for (size_t i = 0; i < blocks.size(); ++i) {
    EXPECT_EQ(blocks[i].start, static_cast<REFERENCE_TIME>(i * 256 * UNITS / kRate));
    joined.insert(joined.end(), blocks[i].bytes.begin(), blocks[i].bytes.end());
  }
  EXPECT_EQ(joined, data);
}

// Reads of any length join and split the server's fragments without losing
// or repeating a byte.
TEST_F(Server, ReadsOfAnyLengthTakeEveryFrameOnce) {
  std::unique_ptr<detail::IAudioStream> stream;
  auto format = detail::MakeFormat(WAVE_FORMAT_PCM, 1, kRate, 16);
  ASSERT_EQ(detail::PulseBackend().Open("pulse:codec_in", true, format, &stream), 0);
  auto data = Signal(7777, 2);
  Feed(data);
  std::vector<uint8_t> got(data.size());
  size_t frames = 0, step = 1;
  while (frames < 7777) {
    size_t n = std::min<size_t>(step, 7777 - frames);
    ASSERT_EQ(stream->Read(got.data() + frames * 2, n), static_cast<long>(n));
    frames += n;
    step = step * 3 % 1031 + 1;
  }
  EXPECT_EQ(got, data);
  EXPECT_EQ(stream->Position(), 7777u);
}

// Stop comes while frames are on their way: what has arrived is still
// taken, and nothing is waited for.
TEST_F(Server, ReadsAfterAbortTakeWhatHasArrivedWithoutWaiting) {
  std::unique_ptr<detail::IAudioStream> stream;
  auto format = detail::MakeFormat(WAVE_FORMAT_PCM, 1, kRate, 16);
  ASSERT_EQ(detail::PulseBackend().Open("pulse:codec_in", true, format, &stream), 0);
  auto data = Signal(1000, 5);
  Feed(data);
  std::vector<uint8_t> got(4000);
  ASSERT_EQ(stream->Read(got.data(), 100), 100);
  // The rest arrives within moments of being fed.
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  stream->Abort();
  ASSERT_EQ(stream->Read(got.data() + 200, 2000 - 100), 900);
  got.resize(2000);
  EXPECT_EQ(got, data);
  EXPECT_EQ(stream->Read(got.data(), 100), 0);
}

// The server must not move a take to another microphone when its own goes:
// the take ends as an unplug, and nothing more is delivered.
TEST_F(Server, RemovedMicrophoneIsAnUnplugNotAMove) {
  TCaptureGraph g;
  ASSERT_EQ(g.Build("pulse:codec_in", Pcm(1, kRate, 16), 256), com::S_OK);
  ASSERT_EQ(g.control->Run(), com::S_OK);
  Feed(Signal(4 * 256, 3));
  ASSERT_TRUE(g.collector->WaitCount(4));
  int status = 0;
  server_->Pactl("unload-module module-pipe-source", status);
  ASSERT_EQ(status, 0);
  LONG code = 0;
  LONG_PTR p1 = 0, p2 = 0;
  bool lost = false;
  for (int i = 0; i < 50 && !lost; ++i)
    if (g.events->GetEvent(&code, &p1, &p2, 200) == com::S_OK) {
      lost = code == EC_DEVICE_LOST;
      g.events->FreeEventParams(code, p1, p2);
    }
  EXPECT_TRUE(lost);
  size_t after = g.collector->Blocks().size();
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(g.collector->Blocks().size(), after);
  g.control->Stop();
  EXPECT_EQ(IdNamed(true, "USB Audio CODEC"), "");
}

TEST_F(Server, DevicesOfAServerThatEndsAreGoneAtTheNextListing) {
  ASSERT_FALSE(IdNamed(true, "USB Audio CODEC").empty());
  server_->Stop();
  EXPECT_TRUE(Eventually([] { return IdNamed(true, "USB Audio CODEC").empty(); }));
  detail::TDeviceEntry def;
  ASSERT_TRUE(detail::DefaultDevice(false, &def));
  EXPECT_EQ(def.Id, "default");
}

// Without a server a listing does not try to reach one each time; a server
// whose socket appears where the client would connect is found at the next
// listing.
TEST(ServerLater, IsFoundOnceItsSocketAppearsAndNotLookedForMeanwhile) {
  SetAlsaEnabled(true);
  TVirtualAudio::Clear();
  const std::string folder = NewFolder();
  const std::string place = folder + "/native";
  setenv("PULSE_SERVER", ("unix:" + place).c_str(), 1);
  EXPECT_EQ(IdNamed(true, "USB Audio CODEC"), "");
  const int tries = gConnects;
  detail::TDeviceEntry def;
  for (int poll = 0; poll < 5; ++poll) {
    EXPECT_EQ(IdNamed(true, "USB Audio CODEC"), "");
    ASSERT_TRUE(detail::DefaultDevice(true, &def));
    EXPECT_EQ(def.Id, "default");
  }
  EXPECT_EQ(gConnects, tries);
  {
    TSoundServer server(ModulesIn(folder));
    ASSERT_TRUE(server.Running()) << server.Log();
    // The server points this process at its own socket and client
    // configuration: watch the place named before instead, where nothing
    // is yet.
    setenv("PULSE_SERVER", ("unix:" + place).c_str(), 1);
    EXPECT_EQ(IdNamed(true, "USB Audio CODEC"), "");
    const int triesWithServer = gConnects;
    EXPECT_LE(triesWithServer, tries + 1) << "a new client configuration is one try";
    EXPECT_EQ(IdNamed(true, "USB Audio CODEC"), "");
    EXPECT_EQ(gConnects, triesWithServer);
    ASSERT_EQ(symlink((server.Folder() + "/run/native").c_str(), place.c_str()), 0);
    EXPECT_NE(IdNamed(true, "USB Audio CODEC"), "");
    ASSERT_TRUE(detail::DefaultDevice(true, &def));
    EXPECT_EQ(def.Id, "pulse:");
  }
  EXPECT_TRUE(Eventually([] { return IdNamed(true, "USB Audio CODEC").empty(); }));
  std::error_code ec;
  std::filesystem::remove_all(folder, ec);
}

TEST_F(Server, OpenTellsAMissingDeviceFromARefusedFormat) {
  std::unique_ptr<detail::IAudioStream> stream;
  auto format = detail::MakeFormat(WAVE_FORMAT_PCM, 1, kRate, 16);
  EXPECT_EQ(detail::PulseBackend().Open("pulse:no_such_mic", true, format, &stream), -ENOENT);
  auto odd = format;
  odd.Format.wBitsPerSample = 12;
  EXPECT_EQ(detail::PulseBackend().Open("pulse:codec_in", true, odd, &stream), -EINVAL);
  EXPECT_FALSE(stream);
}

// Playback through the server: a take, a single frame and 1000 frames all
// reach the output whole once the stream is drained.
class ServerPlayback : public Server, public ::testing::WithParamInterface<size_t> {};

TEST_P(ServerPlayback, DrainedPlaybackDeliversEveryFrame) {
  size_t frames = GetParam();
  auto data = Signal(frames, 4);
  TOutputReader output(micFolder_ + "/speaker");
  ASSERT_TRUE(output.Reading());
  {
    std::unique_ptr<detail::IAudioStream> stream;
    auto format = detail::MakeFormat(WAVE_FORMAT_PCM, 1, kRate, 16);
    ASSERT_EQ(
        detail::PulseBackend().Open(IdNamed(false, "USB Audio CODEC"), false, format, &stream), 0);
    // Written in pieces as the render filter writes samples.
    for (size_t at = 0; at < frames; at += 441) {
      size_t n = std::min<size_t>(441, frames - at);
      ASSERT_EQ(stream->Write(data.data() + at * 2, n), static_cast<long>(n));
    }
    stream->Drain();
  }
  // The output writes in real time: wait until all of it is heard.
  EXPECT_TRUE(
      Eventually([&] { return output.Heard() >= data.size() - frames; }, std::chrono::seconds(10)));
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  auto recorded = output.Finish();
  EXPECT_EQ(PlayedPart(recorded, data.size()), data);
}

INSTANTIATE_TEST_SUITE_P(Lengths, ServerPlayback, ::testing::Values(1, 1000, 37 * 1024 + 11));

} // namespace

// Counts the tries to reach a server on their way to libpulse.
extern "C" int pa_context_connect(pa_context *context, const char *server, pa_context_flags_t flags,
                                  const pa_spawn_api *api) {
  using TConnect = int (*)(pa_context *, const char *, pa_context_flags_t, const pa_spawn_api *);
  static const auto real = reinterpret_cast<TConnect>(dlsym(RTLD_NEXT, "pa_context_connect"));
  ++gConnects;
  return real(context, server, flags, api);
}
