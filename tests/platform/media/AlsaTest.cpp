// The ALSA back end without sound hardware: a PCM defined in the user's
// configuration reads a raw file as its microphone and writes what it plays
// into another file. alsa-lib reads its configuration once per process, so
// main() points HOME at that configuration before anything touches ALSA.
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include <alsa/asoundlib.h>
#include <dlfcn.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include "tests/platform/media/MediaTestSupport.h"

using namespace mediatest;

// A microphone that takes 2 s to deliver its first frame, as a sound server
// starting its stream does: while it is slow, the calls below stand in for
// the device. Its descriptor has woken (a plugin's descriptor may wake without
// data) and, when `clears`, stays awake until the PCM is asked what it means;
// otherwise it stays awake throughout, as a server plugin's does while its
// stream starts. The frames come at the deadline. Every read and every
// question about the descriptor while it is slow is counted.
namespace slowmic {
std::atomic<bool> armed{false};
std::atomic<bool> clears{true};
std::atomic<long> reads{0};
std::atomic<long> questions{0};
int fd = -1;
std::chrono::steady_clock::time_point due;

bool Waiting() { return armed && std::chrono::steady_clock::now() < due; }

template <class F> F Real(const char *name) { return reinterpret_cast<F>(dlsym(RTLD_NEXT, name)); }
} // namespace slowmic

extern "C" {
snd_pcm_sframes_t snd_pcm_readi(snd_pcm_t *pcm, void *buffer, snd_pcm_uframes_t size) {
  using namespace slowmic;
  if (Waiting()) {
    ++reads;
    return -EAGAIN;
  }
  static auto real =
      Real<snd_pcm_sframes_t (*)(snd_pcm_t *, void *, snd_pcm_uframes_t)>("snd_pcm_readi");
  return real(pcm, buffer, size);
}
int snd_pcm_poll_descriptors_count(snd_pcm_t *pcm) {
  static auto real = slowmic::Real<int (*)(snd_pcm_t *)>("snd_pcm_poll_descriptors_count");
  return slowmic::armed ? 1 : real(pcm);
}
int snd_pcm_poll_descriptors(snd_pcm_t *pcm, struct pollfd *pfds, unsigned int space) {
  static auto real = slowmic::Real<int (*)(snd_pcm_t *, struct pollfd *, unsigned int)>(
      "snd_pcm_poll_descriptors");
  if (!slowmic::armed)
    return real(pcm, pfds, space);
  if (space < 1)
    return 0;
  pfds[0] = {slowmic::fd, POLLIN, 0};
  return 1;
}
int snd_pcm_poll_descriptors_revents(snd_pcm_t *pcm, struct pollfd *pfds, unsigned int nfds,
                                     unsigned short *revents) {
  static auto real =
      slowmic::Real<int (*)(snd_pcm_t *, struct pollfd *, unsigned int, unsigned short *)>(
          "snd_pcm_poll_descriptors_revents");
  if (!slowmic::armed)
    return real(pcm, pfds, nfds, revents);
  if (slowmic::Waiting()) {
    ++slowmic::questions;
    uint64_t v;
    if (slowmic::clears)
      (void)!read(slowmic::fd, &v, sizeof v); // nothing yet: back to sleep
    *revents = 0;
  } else {
    *revents = POLLIN;
  }
  return 0;
}
}

namespace {

std::filesystem::path gDir;
std::vector<uint8_t> gRaw;

std::filesystem::path InFile() { return gDir / "in.raw"; }
std::filesystem::path OutFile() { return gDir / "out.raw"; }

std::vector<uint8_t> ReadFile(const std::filesystem::path &p) {
  std::ifstream in(p, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());
}

class Alsa : public ::testing::Test {
protected:
  void SetUp() override {
    SetAlsaEnabled(true);
    TVirtualAudio::Clear();
  }
};

bool Listed(bool capture) {
  for (auto &e : detail::ListDevices(capture))
    if (e.Id == "usbcodec" && e.FriendlyName == "USB Audio CODEC")
      return true;
  return false;
}

TEST_F(Alsa, ConfiguredCodecIsListedByItsDescription) {
  EXPECT_TRUE(Listed(true));
  EXPECT_TRUE(Listed(false));
  TComPtr<IMoniker> m = Moniker(CLSID_AudioInputDeviceCategory, "usbcodec");
  ASSERT_TRUE(m);
  TComPtr<IPropertyBag> bag;
  ASSERT_EQ(m->BindToStorage(nullptr, nullptr, IPropertyBag::IID, bag.PutVoid()), com::S_OK);
  VARIANT v;
  ASSERT_EQ(bag->Read(u"FriendlyName", &v, nullptr), com::S_OK);
  EXPECT_EQ(v.bstrVal, u"USB Audio CODEC");
}

TEST_F(Alsa, SoundCardsAreListedThroughTheirControlDevice) {
  std::ifstream cards("/proc/asound/cards");
  std::string first;
  std::getline(cards, first);
  if (!cards || first.find("no soundcards") != std::string::npos)
    GTEST_SKIP() << "no sound card here";
  bool card = false;
  for (bool capture : {true, false})
    for (auto &e : detail::ListDevices(capture))
      if (e.Id.rfind("plughw:CARD=", 0) == 0) {
        card = true;
        EXPECT_FALSE(e.FriendlyName.empty());
      }
  EXPECT_TRUE(card);
}

TEST_F(Alsa, CaptureYieldsTheRawSamplesExactly) {
  TCaptureGraph g;
  ASSERT_EQ(g.Build("usbcodec", Pcm(2, 48000, 16), 1024), com::S_OK);
  ASSERT_EQ(g.control->Run(), com::S_OK);
  ASSERT_TRUE(g.collector->WaitCount(3));
  EXPECT_EQ(g.control->Stop(), com::S_OK);
  auto blocks = g.collector->Blocks();
  std::vector<uint8_t> joined;
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(blocks[i].bytes.size(), 4096u);
    EXPECT_EQ(blocks[i].start, static_cast<REFERENCE_TIME>(i * 1024 * UNITS / 48000));
    joined.insert(joined.end(), blocks[i].bytes.begin(), blocks[i].bytes.end());
  }
  EXPECT_EQ(joined, gRaw);
}

class SlowMic : public Alsa, public ::testing::WithParamInterface<bool> {};

TEST_P(SlowMic, CaptureSleepsWhileTheDeviceHasNoDataYet) {
  slowmic::clears = GetParam();
  slowmic::fd = eventfd(1, EFD_NONBLOCK | EFD_CLOEXEC);
  ASSERT_GE(slowmic::fd, 0);
  slowmic::due = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  std::thread wake([] {
    std::this_thread::sleep_until(slowmic::due);
    uint64_t one = 1;
    (void)!write(slowmic::fd, &one, sizeof one);
  });
  slowmic::reads = 0;
  slowmic::questions = 0;
  slowmic::armed = true;
  TCaptureGraph g;
  ASSERT_EQ(g.Build("slowmic", Pcm(2, 48000, 16), 1024), com::S_OK);
  ASSERT_EQ(g.control->Run(), com::S_OK);
  EXPECT_TRUE(g.collector->WaitCount(1));
  const long reads = slowmic::reads;
  const long questions = slowmic::questions;
  EXPECT_EQ(g.control->Stop(), com::S_OK);
  slowmic::armed = false;
  wake.join();
  close(slowmic::fd);
  EXPECT_GE(std::chrono::steady_clock::now(), slowmic::due);
  // A thread that spins makes hundreds of thousands of reads, or of polls
  // of a descriptor that stays awake, over the wait.
  EXPECT_LE(reads, 300);
  EXPECT_LE(questions, 1000);
}

INSTANTIATE_TEST_SUITE_P(Descriptor, SlowMic, ::testing::Values(true, false),
                         [](const auto &info) { return info.param ? "Clears" : "StaysAwake"; });

TEST_F(Alsa, RenderWritesExactlyWhatWasSent) {
  auto source = com::MakeCom<TTestSource>(Pcm(2, 48000, 16), 4145);
  TComPtr<IGraphBuilder> graph = Create<IGraphBuilder>(CLSID_FilterGraph);
  TComPtr<IBaseFilter> renderer = Bind(Moniker(CLSID_AudioRendererCategory, "usbcodec"));
  ASSERT_TRUE(renderer);
  graph->AddFilter(renderer.Get(), u"Audio Render");
  graph->AddFilter(source.Get(), u"AudioSource");
  TComPtr<IPin> in;
  renderer->FindPin(u"Audio Input pin (rendered)", reinterpret_cast<IPin **>(in.PutVoid()));
  ASSERT_EQ(graph->Connect(source->Pin(), in.Get()), com::S_OK);
  TComPtr<IMediaControl> control = TComPtr<IMediaControl>::Query(graph);
  ASSERT_EQ(control->Run(), com::S_OK);
  std::vector<uint8_t> data(gRaw.rbegin(), gRaw.rend());
  data.resize(data.size() / 4 * 4);
  ASSERT_EQ(source->Pin()->Push(data.data(), data.size()), com::S_OK);
  EXPECT_EQ(control->Stop(), com::S_OK); // closes the device: the file is complete
  EXPECT_EQ(ReadFile(OutFile()), data);
}

TEST_F(Alsa, MissingDeviceFailsWithItsErrno) {
  TCaptureGraph g;
  // A configured name that is not there: binding works, running says why.
  TVirtualAudio::Clear();
  TComPtr<IBaseFilter> f = detail::CreateCaptureFilter("plughw:CARD=NoSuchCard,DEV=0", "x");
  TComPtr<IGraphBuilder> graph = Create<IGraphBuilder>(CLSID_FilterGraph);
  TComPtr<IBaseFilter> grabber = Create<IBaseFilter>(CLSID_SampleGrabber);
  graph->AddFilter(f.Get(), nullptr);
  graph->AddFilter(grabber.Get(), u"Grabber");
  TComPtr<ICaptureGraphBuilder2> builder =
      Create<ICaptureGraphBuilder2>(CLSID_CaptureGraphBuilder2);
  builder->SetFiltergraph(graph.Get());
  ASSERT_EQ(builder->RenderStream(nullptr, &MEDIATYPE_Audio, f.Get(), nullptr, grabber.Get()),
            com::S_OK);
  TComPtr<IMediaControl> control = TComPtr<IMediaControl>::Query(graph);
  HRESULT hr = control->Run();
  EXPECT_TRUE(com::FAILED(hr));
  EXPECT_NE(ErrnoFromHResult(hr), 0) << ResultText(hr);
  EXPECT_NE(ErrnoFromHResult(hr), EBUSY);
}

} // namespace

int main(int argc, char **argv) {
  char pattern[] = "/tmp/sonvelt-alsa-XXXXXX";
  if (mkdtemp(pattern) == nullptr)
    return 2;
  gDir = pattern;
  gRaw.resize(3 * 1024 * 4);
  for (size_t i = 0; i < gRaw.size(); ++i)
    gRaw[i] = static_cast<uint8_t>(i * 13 + i / 256);
  std::ofstream(InFile(), std::ios::binary)
      .write(reinterpret_cast<const char *>(gRaw.data()), gRaw.size());
  std::ofstream(gDir / ".asoundrc")
      << "pcm.usbcodec {\n  type file\n  slave.pcm null\n  infile \"" << InFile().string()
      << "\"\n  file \"" << OutFile().string()
      << "\"\n  format raw\n  hint { show on; description \"USB Audio CODEC\" }\n}\n"
      << "pcm.slowmic {\n  type null\n  hint { show on; description \"Slow Mic\" }\n}\n";
  setenv("HOME", pattern, 1);
  unsetenv("ALSA_CONFIG_PATH");
  ::testing::InitGoogleTest(&argc, argv);
  int result = RUN_ALL_TESTS();
  std::filesystem::remove_all(gDir);
  return result;
}
