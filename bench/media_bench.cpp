// CPU time per second of 48 kHz stereo 16-bit audio through our capture path
// (a file-fed ALSA PCM -> capture filter -> sample grabber -> a block queue)
// against a plain snd_pcm_readi loop over the same PCM, and through our render
// path (push source -> render filter -> the PCM) against snd_pcm_writei.
// Both sides open and close the device once per second of audio. And one
// device poll (the microphone list the window reads once a second) against a
// plain snd_card_next walk over the same cards. main() points
// HOME at a configuration defining the PCM before alsa-lib reads it.
#include "platform/media/Media.h"

#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>

#include <alsa/asoundlib.h>
#include <benchmark/benchmark.h>
#include <unistd.h>

#include "platform/media/Backend.h"
#include "platform/media/Internal.h"
#include "tests/support/MediaTestSource.h"

namespace {

using namespace media;

constexpr unsigned kRate = 48000, kChannels = 2, kBlockAlign = 4;
constexpr unsigned kBlockFrames = 1024;
constexpr unsigned kBlocks =
    kRate / kBlockFrames; // 46 blocks: the part of a second in whole blocks

// The capture component's grabber callback: one allocation and one copy per
// sample into a locked queue, a wake for the consumer.
class TQueueCallback final : public com::TInterfacedObject, public ISampleGrabberCB {
public:
  HRESULT QueryInterface(const TGUID &iid, void **out) override {
    return com::QueryInterfaceFor<ISampleGrabberCB>(this, iid, out);
  }
  uint32_t AddRef() override { return TInterfacedObject::AddRef(); }
  uint32_t Release() override { return TInterfacedObject::Release(); }
  HRESULT SampleCB(double, IMediaSample *sample) override {
    BYTE *p = nullptr;
    sample->GetPointer(&p);
    std::vector<uint8_t> block(p, p + sample->GetActualDataLength());
    std::lock_guard<std::mutex> lock(m_);
    queue_.push_back(std::move(block));
    ++count_;
    cv_.notify_one();
    return com::S_OK;
  }
  HRESULT BufferCB(double, BYTE *, LONG) override { return com::S_OK; }
  void WaitAndClear(unsigned n) {
    std::unique_lock<std::mutex> lock(m_);
    cv_.wait(lock, [&] { return count_ >= n; });
    queue_.clear();
    count_ = 0;
  }

private:
  std::mutex m_;
  std::condition_variable cv_;
  std::deque<std::vector<uint8_t>> queue_;
  unsigned count_ = 0;
};

template <class I> TComPtr<I> Create(const TGUID &clsid) {
  TComPtr<I> p;
  media::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, I::IID, p.PutVoid());
  return p;
}

WAVEFORMATEX Format() {
  return WAVEFORMATEX{WAVE_FORMAT_PCM, kChannels, kRate, kRate * kBlockAlign, kBlockAlign, 16, 0};
}

void Capture_ours(benchmark::State &state) {
  TComPtr<IGraphBuilder> graph = Create<IGraphBuilder>(CLSID_FilterGraph);
  TComPtr<ICaptureGraphBuilder2> builder =
      Create<ICaptureGraphBuilder2>(CLSID_CaptureGraphBuilder2);
  builder->SetFiltergraph(graph.Get());
  TComPtr<IMoniker> moniker = mediatest::Moniker(CLSID_AudioInputDeviceCategory, "benchcodec");
  TComPtr<IBaseFilter> capture, grabberFilter = Create<IBaseFilter>(CLSID_SampleGrabber);
  if (!moniker ||
      FAILED(moniker->BindToObject(nullptr, nullptr, IBaseFilter::IID, capture.PutVoid()))) {
    state.SkipWithError("no capture device");
    return;
  }
  graph->AddFilter(capture.Get(), nullptr);
  graph->AddFilter(grabberFilter.Get(), u"Grabber");
  WAVEFORMATEX wf = Format();
  AM_MEDIA_TYPE mt{};
  AudioMediaTypeFromFormat(&wf, &mt);
  TComPtr<ISampleGrabber> grabber = TComPtr<ISampleGrabber>::Query(grabberFilter);
  grabber->SetMediaType(&mt);
  TComPtr<IAMStreamConfig> config;
  builder->FindInterface(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Audio, capture.Get(),
                         IAMStreamConfig::IID, config.PutVoid());
  config->SetFormat(&mt);
  FreeMediaType(mt);
  TComPtr<IAMBufferNegotiation> negotiation;
  builder->FindInterface(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Audio, capture.Get(),
                         IAMBufferNegotiation::IID, negotiation.PutVoid());
  ALLOCATOR_PROPERTIES props{-1, static_cast<LONG>(kBlockFrames * kBlockAlign), -1, -1};
  negotiation->SuggestAllocatorProperties(&props);
  if (FAILED(builder->RenderStream(nullptr, &MEDIATYPE_Audio, capture.Get(), nullptr,
                                   grabberFilter.Get()))) {
    state.SkipWithError("cannot connect the grabber");
    return;
  }
  auto callback = com::MakeCom<TQueueCallback>();
  grabber->SetCallback(callback.Get(), 0);
  TComPtr<IMediaControl> control = TComPtr<IMediaControl>::Query(graph);
  for (auto _ : state) {
    if (FAILED(control->Run())) {
      state.SkipWithError("run failed");
      break;
    }
    callback->WaitAndClear(kBlocks);
    control->Stop();
  }
}

snd_pcm_t *OpenPcm(snd_pcm_stream_t stream) {
  snd_pcm_t *pcm = nullptr;
  if (snd_pcm_open(&pcm, "benchcodec", stream, 0) < 0)
    return nullptr;
  if (snd_pcm_set_params(pcm, SND_PCM_FORMAT_S16_LE, SND_PCM_ACCESS_RW_INTERLEAVED, kChannels,
                         kRate, 1, 200000) < 0) {
    snd_pcm_close(pcm);
    return nullptr;
  }
  return pcm;
}

void Capture_readi(benchmark::State &state) {
  std::vector<uint8_t> block(kBlockFrames * kBlockAlign);
  std::deque<std::vector<uint8_t>> queue;
  for (auto _ : state) {
    snd_pcm_t *pcm = OpenPcm(SND_PCM_STREAM_CAPTURE);
    if (pcm == nullptr) {
      state.SkipWithError("cannot open the PCM");
      break;
    }
    for (unsigned i = 0; i < kBlocks; ++i) {
      snd_pcm_sframes_t n = snd_pcm_readi(pcm, block.data(), kBlockFrames);
      if (n == -EPIPE)
        snd_pcm_prepare(pcm);
      queue.emplace_back(block);
    }
    queue.clear();
    snd_pcm_close(pcm);
  }
}

std::vector<uint8_t> OneSecond() {
  std::vector<uint8_t> v(kRate * kBlockAlign);
  for (size_t i = 0; i < v.size(); ++i)
    v[i] = static_cast<uint8_t>(i * 31);
  return v;
}

void Render_ours(benchmark::State &state) {
  TComPtr<IGraphBuilder> graph = Create<IGraphBuilder>(CLSID_FilterGraph);
  TComPtr<IMoniker> moniker = mediatest::Moniker(CLSID_AudioRendererCategory, "benchcodec");
  TComPtr<IBaseFilter> renderer;
  if (!moniker ||
      FAILED(moniker->BindToObject(nullptr, nullptr, IBaseFilter::IID, renderer.PutVoid()))) {
    state.SkipWithError("no render device");
    return;
  }
  auto source =
      com::MakeCom<mediatest::TTestSource>(Format(), static_cast<LONG>(kBlockFrames * kBlockAlign));
  graph->AddFilter(renderer.Get(), u"Audio Render");
  graph->AddFilter(source.Get(), u"AudioSource");
  TComPtr<IPin> in;
  renderer->FindPin(u"Audio Input pin (rendered)", reinterpret_cast<IPin **>(in.PutVoid()));
  if (FAILED(graph->Connect(source->Pin(), in.Get()))) {
    state.SkipWithError("cannot connect the renderer");
    return;
  }
  TComPtr<IMediaControl> control = TComPtr<IMediaControl>::Query(graph);
  std::vector<uint8_t> data = OneSecond();
  for (auto _ : state) {
    if (FAILED(control->Run())) {
      state.SkipWithError("run failed");
      break;
    }
    source->Pin()->Push(data.data(), data.size());
    control->Stop();
  }
}

void Render_writei(benchmark::State &state) {
  std::vector<uint8_t> data = OneSecond();
  for (auto _ : state) {
    snd_pcm_t *pcm = OpenPcm(SND_PCM_STREAM_PLAYBACK);
    if (pcm == nullptr) {
      state.SkipWithError("cannot open the PCM");
      break;
    }
    for (size_t off = 0; off < data.size(); off += kBlockFrames * kBlockAlign) {
      size_t frames = std::min<size_t>(kBlockFrames, (data.size() - off) / kBlockAlign);
      if (snd_pcm_writei(pcm, data.data() + off, frames) == -EPIPE)
        snd_pcm_prepare(pcm);
    }
    snd_pcm_close(pcm);
  }
}

// One run of the recorder's once-a-second device poll: list the microphones
// and read each one's name, as the window does to find the codec.
void DevicePoll_ours(benchmark::State &state) {
  TComPtr<ICreateDevEnum> devices = Create<ICreateDevEnum>(CLSID_SystemDeviceEnum);
  size_t names = 0;
  for (auto _ : state) {
    TComPtr<IEnumMoniker> list;
    if (devices->CreateClassEnumerator(CLSID_AudioInputDeviceCategory,
                                       reinterpret_cast<IEnumMoniker **>(list.PutVoid()),
                                       0) != com::S_OK)
      continue;
    IMoniker *m = nullptr;
    while (list->Next(1, &m, nullptr) == com::S_OK) {
      TComPtr<IPropertyBag> bag;
      if (m->BindToStorage(nullptr, nullptr, IPropertyBag::IID, bag.PutVoid()) == com::S_OK) {
        VARIANT v;
        if (bag->Read(u"FriendlyName", &v, nullptr) == com::S_OK)
          names += !v.bstrVal.empty();
      }
      m->Release();
    }
  }
  state.counters["names"] =
      benchmark::Counter(static_cast<double>(names) / static_cast<double>(state.iterations()));
}

// What the poll cost while it read every card and configured PCM each time.
void DevicePoll_fullListing(benchmark::State &state) {
  for (auto _ : state)
    benchmark::DoNotOptimize(detail::AlsaBackend().List(true));
}

// What seeing a card come or go costs at the least: a walk over the cards.
void DevicePoll_cardWalk(benchmark::State &state) {
  for (auto _ : state) {
    int card = -1, cards = 0;
    while (snd_card_next(&card) == 0 && card >= 0)
      ++cards;
    benchmark::DoNotOptimize(cards);
  }
}

BENCHMARK(DevicePoll_ours)->MeasureProcessCPUTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(DevicePoll_cardWalk)->MeasureProcessCPUTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(DevicePoll_fullListing)->MeasureProcessCPUTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(Capture_ours)->MeasureProcessCPUTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(Capture_readi)->MeasureProcessCPUTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(Render_ours)->MeasureProcessCPUTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(Render_writei)->MeasureProcessCPUTime()->Unit(benchmark::kMicrosecond);

// Prints as usual and keeps each run's process CPU time for the ratio table.
class TRatioReporter : public benchmark::ConsoleReporter {
public:
  void ReportRuns(const std::vector<Run> &runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run &r : runs)
      if (!r.error_occurred && r.run_type == Run::RT_Iteration)
        times_[r.benchmark_name()] = r.GetAdjustedCPUTime();
  }
  void PrintRatios() const {
    std::printf("\n%-26s %-14s %16s\n", "path", "against", "ours / theirs");
    for (auto [ours, theirs, path, label] :
         {std::tuple{"Capture_ours", "Capture_readi", "Capture", "snd_pcm_readi"},
          std::tuple{"Render_ours", "Render_writei", "Render", "snd_pcm_writei"},
          std::tuple{"DevicePoll_ours", "DevicePoll_cardWalk", "DevicePoll", "snd_card_next"},
          std::tuple{"DevicePoll_fullListing", "DevicePoll_cardWalk", "DevicePoll (full listing)",
                     "snd_card_next"}}) {
      double a = Time(ours), b = Time(theirs);
      if (a <= 0 || b <= 0)
        continue;
      std::printf("%-26s %-14s %16.2f\n", path, label, a / b);
    }
  }

private:
  // The run of a benchmark, whatever suffix its options gave its name.
  double Time(const std::string &name) const {
    for (const auto &[key, t] : times_)
      if (key == name || key.rfind(name + "/", 0) == 0)
        return t;
    return 0;
  }
  std::map<std::string, double> times_;
};

} // namespace

int main(int argc, char **argv) {
  char pattern[] = "/tmp/sonvelt-media-bench-XXXXXX";
  if (mkdtemp(pattern) == nullptr)
    return 2;
  std::filesystem::path dir = pattern;
  std::vector<uint8_t> second = OneSecond();
  std::ofstream(dir / "in.raw", std::ios::binary)
      .write(reinterpret_cast<const char *>(second.data()), second.size());
  std::ofstream(dir / ".asoundrc")
      << "pcm.benchcodec {\n  type file\n  slave.pcm null\n  infile \"" << (dir / "in.raw").string()
      << "\"\n  file \"/dev/null\"\n  format raw\n"
         "  hint { show on; description \"USB Audio CODEC\" }\n}\n";
  setenv("HOME", pattern, 1);
  unsetenv("ALSA_CONFIG_PATH");
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv))
    return 1;
  TRatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  benchmark::Shutdown();
  std::filesystem::remove_all(dir);
  return 0;
}
