// The ALSA back end without sound hardware: a PCM defined in the user's
// configuration reads a raw file as its microphone and writes what it plays
// into another file. alsa-lib reads its configuration once per process, so
// main() points HOME at that configuration before anything touches ALSA.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "tests/platform/media/MediaTestSupport.h"

using namespace mediatest;

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
      << "\"\n  format raw\n  hint { show on; description \"USB Audio CODEC\" }\n}\n";
  setenv("HOME", pattern, 1);
  unsetenv("ALSA_CONFIG_PATH");
  ::testing::InitGoogleTest(&argc, argv);
  int result = RUN_ALL_TESTS();
  std::filesystem::remove_all(gDir);
  return result;
}
