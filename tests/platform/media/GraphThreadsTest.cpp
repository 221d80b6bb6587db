#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <thread>

#include <unistd.h>

#include "platform/mainloop/HiddenWindow.h"
#include "platform/sys/Sync.h"
#include "tests/platform/media/MediaTestSupport.h"
#include "tests/support/Wait.h"

using namespace mediatest;

namespace {

constexpr TGUID kRender = CLSID_AudioRendererCategory;

std::vector<uint8_t> Ramp(size_t bytes) {
  std::vector<uint8_t> v(bytes);
  for (size_t i = 0; i < bytes; ++i)
    v[i] = static_cast<uint8_t>(i * 7 + i / 251);
  return v;
}

// A capture graph on one virtual microphone; both go before the devices are
// cleared, as they would at the end of a test's own scope.
class CaptureGraph : public TVirtualOnly {
protected:
  void TearDown() override {
    g = TCaptureGraph();
    device.reset();
    TVirtualOnly::TearDown();
  }

  // Adds the microphone mic describes and builds g on it; returns the build's result.
  HRESULT BuildOn(const TVirtualCaptureSpec &mic, const WAVEFORMATEX &format, LONG bufferFrames) {
    device = TVirtualAudio::AddCapture(mic);
    return g.Build(device->Id(), format, bufferFrames);
  }

  std::shared_ptr<TVirtualCaptureDevice> device;
  TCaptureGraph g;
};

TEST_F(CaptureGraph, DeliversStampedBlocksOfTheNegotiatedSize) {
  const WAVEFORMATEX wf = Pcm(2, 44100, 16);
  std::vector<uint8_t> data = Ramp(3 * 1024 * 4);
  TVirtualCaptureSpec mic;
  mic.FriendlyName = "USB Audio CODEC ";
  mic.Source = TVirtualSource::Bytes;
  mic.Bytes = data;
  mic.Loop = false;
  mic.Pacing = TVirtualPacing::Manual;
  ASSERT_EQ(BuildOn(mic, wf, 1024), com::S_OK);
  ASSERT_EQ(g.control->Run(), com::S_OK);
  EXPECT_EQ(device->OpenedFormat().Format.nSamplesPerSec, 44100u);
  // Released frames that do not fill a block stay with the device.
  device->ReleaseFrames(1000);
  std::this_thread::sleep_for(BlockedFor);
  EXPECT_EQ(g.collector->Blocks().size(), 0u);
  device->ReleaseFrames(3 * 1024 - 1000);
  ASSERT_TRUE(g.collector->WaitCount(3));
  auto blocks = g.collector->Blocks();
  std::vector<uint8_t> joined;
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(blocks[i].bytes.size(), 4096u);
    EXPECT_EQ(blocks[i].start, static_cast<REFERENCE_TIME>(i * 1024 * UNITS / 44100));
    EXPECT_EQ(blocks[i].stop, static_cast<REFERENCE_TIME>((i + 1) * 1024 * UNITS / 44100));
    joined.insert(joined.end(), blocks[i].bytes.begin(), blocks[i].bytes.end());
  }
  EXPECT_EQ(joined, data);
  AM_MEDIA_TYPE mt{};
  ASSERT_EQ(g.grabber->GetConnectedMediaType(&mt), com::S_OK);
  EXPECT_EQ(WaveFormatOf(mt)->nBlockAlign, 4);
  FreeMediaType(mt);
  // Stop with the device thread waiting for frames that never come.
  EXPECT_EQ(g.control->Stop(), com::S_OK);
  EXPECT_EQ(device->OpenCount(), 0);
  // And again from the start: stamps restart at 0.
  ASSERT_EQ(g.control->Run(), com::S_OK);
  device->ReleaseFrames(1024);
  ASSERT_TRUE(g.collector->WaitCount(4));
  EXPECT_EQ(g.collector->Blocks()[3].start, 0);
  EXPECT_EQ(g.control->Stop(), com::S_OK);
}

TEST_F(CaptureGraph, PauseHoldsTheStreamAndRunGoesOn) {
  TVirtualCaptureSpec mic;
  mic.Pacing = TVirtualPacing::Manual;
  ASSERT_EQ(BuildOn(mic, Pcm(1, 16000, 16), 160), com::S_OK);
  ASSERT_EQ(g.control->Run(), com::S_OK);
  device->ReleaseFrames(160);
  ASSERT_TRUE(g.collector->WaitCount(1));
  ASSERT_EQ(g.control->Pause(), com::S_OK);
  EXPECT_EQ(device->OpenCount(), 1); // paused: the device stays open
  device->ReleaseFrames(160);
  std::this_thread::sleep_for(BlockedFor);
  EXPECT_EQ(g.collector->Blocks().size(), 1u);
  ASSERT_EQ(g.control->Run(), com::S_OK);
  ASSERT_TRUE(g.collector->WaitCount(2));
  EXPECT_EQ(g.control->Stop(), com::S_OK);
  EXPECT_EQ(device->OpenCount(), 0);
}

TEST_F(CaptureGraph, StreamConfigReportsItsCapabilities) {
  ASSERT_EQ(BuildOn({}, Pcm(1, 22050, 16), 512), com::S_OK);
  TComPtr<IAMStreamConfig> config;
  ASSERT_EQ(g.builder->FindInterface(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Audio, g.capture.Get(),
                                     IAMStreamConfig::IID, config.PutVoid()),
            com::S_OK);
  int count = 0, size = 0;
  ASSERT_EQ(config->GetNumberOfCapabilities(&count, &size), com::S_OK);
  EXPECT_EQ(size, 52);
  AM_MEDIA_TYPE *mt = nullptr;
  AUDIO_STREAM_CONFIG_CAPS caps{};
  ASSERT_EQ(config->GetStreamCaps(0, &mt, reinterpret_cast<BYTE *>(&caps)), com::S_OK);
  EXPECT_EQ(WaveFormatOf(*mt)->nSamplesPerSec, 22050u);
  EXPECT_LE(caps.MinimumSampleFrequency, 22050u);
  DeleteMediaType(mt);
  TComPtr<IAMBufferNegotiation> negotiation;
  ASSERT_EQ(g.builder->FindInterface(nullptr, nullptr, g.capture.Get(), IAMBufferNegotiation::IID,
                                     negotiation.PutVoid()),
            com::S_OK);
  ALLOCATOR_PROPERTIES props{};
  ASSERT_EQ(negotiation->GetAllocatorProperties(&props), com::S_OK);
  EXPECT_EQ(props.cbBuffer, 1024); // 512 mono 16-bit frames
  // Formats the device cannot give are refused; so is a change while connected.
  WAVEFORMATEX bad = Pcm(2, 44100, 12);
  AM_MEDIA_TYPE badType{};
  AudioMediaTypeFromFormat(&bad, &badType);
  EXPECT_EQ(config->SetFormat(&badType), VFW_E_INVALIDMEDIATYPE);
  FreeMediaType(badType);
  // The device's interface lives on the capture filter's pin, found upstream of the grabber too.
  TComPtr<IAMStreamConfig> viaGrabber;
  EXPECT_EQ(g.builder->FindInterface(nullptr, nullptr, g.grabberFilter.Get(), IAMStreamConfig::IID,
                                     viaGrabber.PutVoid()),
            com::S_OK);
}

TEST_F(CaptureGraph, UnplugEndsTheStreamWithDeviceLostOnTheMainThread) {
  TVirtualCaptureSpec mic;
  mic.Pacing = TVirtualPacing::Manual;
  ASSERT_EQ(BuildOn(mic, Pcm(2, 48000, 16), 1024), com::S_OK);
  mainloop::TMainLoop &loop = mainloop::TMainLoop::Main();
  ASSERT_TRUE(loop.IsMainThread());
  mainloop::THiddenWindow window;
  std::vector<LONG> codes;
  bool onMain = true;
  window.SetWindowProc([&](const mainloop::TMessage &msg) {
    if (msg.Msg != WM_GRAPHNOTIFY)
      return;
    onMain = onMain && loop.IsMainThread();
    LONG code;
    LONG_PTR p1, p2;
    while (g.events->GetEvent(&code, &p1, &p2, 0) == com::S_OK) {
      g.events->FreeEventParams(code, p1, p2);
      codes.push_back(code);
    }
  });
  ASSERT_EQ(g.events->SetNotifyWindow(&window, WM_GRAPHNOTIFY, 0), com::S_OK);
  ASSERT_EQ(g.events->SetNotifyFlags(0), com::S_OK);
  ASSERT_EQ(g.control->Run(), com::S_OK);
  device->ReleaseFrames(1024);
  ASSERT_TRUE(g.collector->WaitCount(1));
  device->Unplug();
  EXPECT_TRUE(Eventually([&] {
    loop.RunPending();
    return !codes.empty();
  }));
  ASSERT_EQ(codes.size(), 1u);
  EXPECT_EQ(codes[0], EC_DEVICE_LOST);
  EXPECT_TRUE(onMain);
  EXPECT_EQ(g.control->Stop(), com::S_OK); // no thread left blocked
  // Gone from the list, and running again says why.
  EXPECT_FALSE(Moniker(CLSID_AudioInputDeviceCategory, device->Id()));
  EXPECT_EQ(g.control->Run(), HRESULT_FROM_ERRNO(ENODEV));
  g.events->SetNotifyWindow(nullptr, 0, 0);
}

// The device has captured 1500 frames when the stream ends: the block in
// progress (476 frames) still goes downstream, whether the graph stops or
// the device is unplugged, and every frame arrives exactly once, in order.
TEST_F(CaptureGraph, TheBlockInProgressIsDeliveredWhenTheStreamEnds) {
  for (bool unplug : {false, true}) {
    SCOPED_TRACE(unplug ? "unplug" : "stop");
    g = TCaptureGraph(); // the last pass's graph and microphone go first
    device.reset();
    TVirtualAudio::Clear();
    std::vector<uint8_t> data = Ramp(1500 * 4);
    TVirtualCaptureSpec mic;
    mic.Source = TVirtualSource::Bytes;
    mic.Bytes = data;
    mic.Loop = false;
    mic.Pacing = TVirtualPacing::Manual;
    ASSERT_EQ(BuildOn(mic, Pcm(2, 44100, 16), 1024), com::S_OK);
    ASSERT_EQ(g.control->Run(), com::S_OK);
    device->ReleaseFrames(1500);
    ASSERT_TRUE(g.collector->WaitCount(1));
    if (unplug) {
      device->Unplug();
      EXPECT_TRUE(g.collector->WaitCount(2));
    }
    EXPECT_EQ(g.control->Stop(), com::S_OK);
    auto blocks = g.collector->Blocks();
    std::vector<uint8_t> joined;
    for (auto &b : blocks)
      joined.insert(joined.end(), b.bytes.begin(), b.bytes.end());
    EXPECT_EQ(joined, data);
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_EQ(blocks[1].start, static_cast<REFERENCE_TIME>(1024 * UNITS / 44100));
    EXPECT_EQ(blocks[1].stop, static_cast<REFERENCE_TIME>(1500 * UNITS / 44100));
  }
}

TEST_F(CaptureGraph, BusyDeviceFailsRunWithItsOwnCode) {
  ASSERT_EQ(BuildOn({}, Pcm(2, 48000, 16), 1024), com::S_OK);
  device->SetBusy(true);
  HRESULT hr = g.control->Run();
  EXPECT_EQ(hr, HRESULT_FROM_ERRNO(EBUSY));
  EXPECT_EQ(ErrnoFromHResult(hr), EBUSY);
  OAFilterState state = -1;
  g.control->GetState(0, &state);
  EXPECT_EQ(state, State_Stopped);
  device->SetBusy(false);
  EXPECT_EQ(g.control->Run(), com::S_OK);
  EXPECT_EQ(g.control->Stop(), com::S_OK);
}

TEST_F(CaptureGraph, FaultAbortsTheStreamWithAnError) {
  TVirtualCaptureSpec mic;
  mic.Pacing = TVirtualPacing::Immediate;
  ASSERT_EQ(BuildOn(mic, Pcm(1, 8000, 8), 256), com::S_OK);
  ASSERT_EQ(g.control->Run(), com::S_OK);
  ASSERT_TRUE(g.collector->WaitCount(2));
  device->SetFault(true);
  LONG code = 0;
  LONG_PTR p1 = 0, p2 = 0;
  ASSERT_EQ(g.events->GetEvent(&code, &p1, &p2, 10000), com::S_OK);
  EXPECT_EQ(code, EC_DEVICE_LOST);
  g.events->FreeEventParams(code, p1, p2);
  EXPECT_EQ(g.events->GetEvent(&code, &p1, &p2, 0), com::E_ABORT);
  EXPECT_EQ(g.control->Stop(), com::S_OK);
}

// ---- Render -----------------------------------------------------------------------------------
// A graph with its builder, its control and its events; the test adds the
// filters. It goes before the devices are cleared.
class RenderGraph : public TVirtualOnly {
protected:
  void SetUp() override {
    TVirtualOnly::SetUp();
    graph = Create<IGraphBuilder>(CLSID_FilterGraph);
    builder = Create<ICaptureGraphBuilder2>(CLSID_CaptureGraphBuilder2);
    builder->SetFiltergraph(graph.Get());
    control = TComPtr<IMediaControl>::Query(graph);
    events = TComPtr<IMediaEventEx>::Query(graph);
  }
  void TearDown() override {
    events = nullptr;
    control = nullptr;
    builder = nullptr;
    graph = nullptr;
    TVirtualOnly::TearDown();
  }

  TComPtr<IGraphBuilder> graph;
  TComPtr<ICaptureGraphBuilder2> builder;
  TComPtr<IMediaControl> control;
  TComPtr<IMediaEventEx> events;
};

TEST_F(RenderGraph, RecordsExactlyTheBytesSent) {
  auto out = TVirtualAudio::AddRender("Out");
  const WAVEFORMATEX wf = Pcm(2, 11025, 16);
  auto source = com::MakeCom<TTestSource>(wf, 4145);
  TComPtr<IBaseFilter> renderer = Bind(Moniker(kRender, out->Id()));
  ASSERT_EQ(graph->AddFilter(renderer.Get(), u"Audio Render"), com::S_OK);
  ASSERT_EQ(graph->AddFilter(source.Get(), u"AudioSource"), com::S_OK);
  ASSERT_EQ(builder->RenderStream(nullptr, &MEDIATYPE_Audio,
                                  static_cast<IBaseFilter *>(source.Get()), nullptr,
                                  renderer.Get()),
            com::S_OK);
  ASSERT_EQ(control->Run(), com::S_OK);
  // The graph's clock is the output's own.
  TComPtr<IMediaFilter> mediaFilter = TComPtr<IMediaFilter>::Query(graph);
  TComPtr<IReferenceClock> clock;
  ASSERT_EQ(mediaFilter->GetSyncSource(reinterpret_cast<IReferenceClock **>(clock.PutVoid())),
            com::S_OK);
  EXPECT_EQ(clock.Get(), static_cast<IReferenceClock *>(out->Clock().Get()));
  std::vector<uint8_t> data = Ramp(10000);
  ASSERT_EQ(source->Pin()->Push(data.data(), data.size()), com::S_OK);
  EXPECT_EQ(out->Recorded(), data);
  // The end of the stream is announced with the renderer as parameter.
  TComPtr<IPin> in;
  renderer->FindPin(u"Audio Input pin (rendered)", reinterpret_cast<IPin **>(in.PutVoid()));
  ASSERT_EQ(in->EndOfStream(), com::S_OK);
  LONG code = 0;
  LONG_PTR p1 = 0, p2 = 0;
  ASSERT_EQ(events->GetEvent(&code, &p1, &p2, 0), com::S_OK);
  EXPECT_EQ(code, EC_COMPLETE);
  EXPECT_EQ(reinterpret_cast<IBaseFilter *>(p2), renderer.Get());
  events->FreeEventParams(code, p1, p2);
  EXPECT_EQ(control->Stop(), com::S_OK);
}

TEST_F(RenderGraph, NullSinkUsesTheDefaultOutputAndStopReleasesAWaitingSender) {
  auto out = TVirtualAudio::AddRender("Out", {}, TVirtualPacing::Manual);
  auto source = com::MakeCom<TTestSource>(Pcm(1, 8000, 16), 200);
  ASSERT_EQ(graph->AddFilter(source.Get(), u"AudioSource"), com::S_OK);
  ASSERT_EQ(builder->RenderStream(nullptr, &MEDIATYPE_Audio,
                                  static_cast<IBaseFilter *>(source.Get()), nullptr, nullptr),
            com::S_OK);
  ASSERT_EQ(control->Pause(), com::S_OK);
  EXPECT_TRUE(out->WaitOpen(std::chrono::milliseconds(0)));
  std::vector<uint8_t> data = Ramp(1000);
  HRESULT pushed = com::S_OK;
  // Paused: the renderer holds the first sample; the sender then waits for a buffer.
  TTestThread sender([&] { pushed = source->Pin()->Push(data.data(), data.size()); });
  EXPECT_FALSE(sender.Finished(BlockedFor));
  ASSERT_EQ(control->Run(), com::S_OK);
  out->ReleaseFrames(200); // two samples' worth: the device then blocks the third
  EXPECT_TRUE(out->WaitRecorded(400, std::chrono::seconds(10)));
  EXPECT_FALSE(sender.Finished(BlockedFor));
  EXPECT_EQ(control->Stop(), com::S_OK);
  EXPECT_TRUE(sender.Finished(EventuallyDeadline));
  EXPECT_TRUE(com::FAILED(pushed));
  EXPECT_EQ(out->RecordedBytes(), 400u);
}

TEST_F(RenderGraph, UnpluggedOutputFailsPauseAndALostOneReportsIt) {
  auto out = TVirtualAudio::AddRender("Out");
  auto source = com::MakeCom<TTestSource>(Pcm(1, 8000, 16), 200);
  TComPtr<IBaseFilter> renderer = Bind(Moniker(kRender, out->Id()));
  graph->AddFilter(renderer.Get(), u"Audio Render");
  graph->AddFilter(source.Get(), u"AudioSource");
  TComPtr<IPin> in;
  renderer->FindPin(u"Audio Input pin (rendered)", reinterpret_cast<IPin **>(in.PutVoid()));
  ASSERT_EQ(graph->Connect(source->Pin(), in.Get()), com::S_OK);
  ASSERT_EQ(control->Run(), com::S_OK);
  out->SetFault(true);
  std::vector<uint8_t> data = Ramp(400);
  EXPECT_TRUE(com::FAILED(source->Pin()->Push(data.data(), data.size())));
  LONG code = 0;
  LONG_PTR p1 = 0, p2 = 0;
  ASSERT_EQ(events->GetEvent(&code, &p1, &p2, 10000), com::S_OK);
  EXPECT_EQ(code, EC_DEVICE_LOST);
  events->FreeEventParams(code, p1, p2);
  control->Stop();
  out->SetFault(false);
  out->Unplug();
  EXPECT_EQ(control->Run(), HRESULT_FROM_ERRNO(ENODEV));
}

// ---- Allocator and clocks across threads
// ---------------------------------------------------------
TEST(AllocatorThreads, DecommitWakesAWaitingGetBuffer) {
  TComPtr<IMemAllocator> a = Create<IMemAllocator>(CLSID_MemoryAllocator);
  ALLOCATOR_PROPERTIES want{1, 16, 1, 0}, got{};
  ASSERT_EQ(a->SetProperties(&want, &got), com::S_OK);
  ASSERT_EQ(a->Commit(), com::S_OK);
  IMediaSample *held = nullptr;
  ASSERT_EQ(a->GetBuffer(&held, nullptr, nullptr, 0), com::S_OK);
  HRESULT result = com::S_OK;
  TTestThread waiter([&] {
    IMediaSample *s = nullptr;
    result = a->GetBuffer(&s, nullptr, nullptr, 0);
  });
  EXPECT_FALSE(waiter.Finished(BlockedFor));
  a->Decommit();
  EXPECT_TRUE(waiter.Finished(EventuallyDeadline));
  EXPECT_EQ(result, VFW_E_NOT_COMMITTED);
  held->Release();
}

TEST(ClockThreads, SystemClockReleasesThePeriodicSemaphore) {
  TComPtr<IReferenceClock> clock = CreateSystemClock();
  REFERENCE_TIME t0 = 0, t1 = 0;
  clock->GetTime(&t0);
  sys::TSemaphore sem(0, 1000);
  DWORD_PTR cookie = 0;
  ASSERT_EQ(clock->AdvisePeriodic(t0 + 10 * MILLISECONDS, 10 * MILLISECONDS, &sem, &cookie),
            com::S_OK);
  for (int i = 0; i < 3; ++i)
    EXPECT_TRUE(sem.Wait(std::chrono::seconds(10)));
  clock->GetTime(&t1);
  EXPECT_GE(t1 - t0, 30 * MILLISECONDS);
  EXPECT_EQ(clock->Unadvise(cookie), com::S_OK);
  int after = sem.Count();
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  EXPECT_EQ(sem.Count(), after);
}

} // namespace

namespace {

void Put16(std::string &s, uint16_t v) {
  s.append({static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)});
}
void Put32(std::string &s, uint32_t v) {
  Put16(s, static_cast<uint16_t>(v & 0xFFFF));
  Put16(s, static_cast<uint16_t>(v >> 16));
}

class WaveDevice : public TVirtualOnly {
protected:
  std::string path_ = "/tmp/sonvelt-media-test-" + std::to_string(getpid()) + ".wav";
  void TearDown() override {
    std::remove(path_.c_str());
    unsetenv("SONVELT_VIRTUAL_AUDIO");
    TVirtualOnly::TearDown();
  }
  // Mono 16-bit 8 kHz: an odd-sized chunk before the data, and a data chunk
  // claiming more bytes than the file holds.
  std::vector<uint8_t> Write(size_t frames) {
    std::vector<uint8_t> samples = Ramp(frames * 2);
    std::string f = "RIFF";
    Put32(f, 0);
    f += "WAVEfmt ";
    Put32(f, 16);
    Put16(f, WAVE_FORMAT_PCM);
    Put16(f, 1);
    Put32(f, 8000);
    Put32(f, 16000);
    Put16(f, 2);
    Put16(f, 16);
    f += "LIST";
    Put32(f, 3);
    f += "abc";
    f += '\0'; // padding of the odd chunk
    f += "data";
    Put32(f, static_cast<uint32_t>(samples.size() + 1000));
    f.append(samples.begin(), samples.end());
    std::ofstream(path_, std::ios::binary) << f;
    return samples;
  }
};

TEST_F(WaveDevice, PlaysTheFileInItsOwnFormat) {
  std::vector<uint8_t> samples = Write(512);
  TVirtualCaptureSpec mic;
  mic.Source = TVirtualSource::WaveFile;
  mic.WavePath = path_;
  mic.Loop = false;
  mic.Pacing = TVirtualPacing::Immediate;
  auto device = TVirtualAudio::AddCapture(mic);
  TCaptureGraph g;
  // Another format than the file's is refused.
  EXPECT_EQ(g.Build(device->Id(), Pcm(2, 44100, 16), 256), VFW_E_INVALIDMEDIATYPE);
  TCaptureGraph ok;
  ASSERT_EQ(ok.Build(device->Id(), Pcm(1, 8000, 16), 256), com::S_OK);
  ASSERT_EQ(ok.control->Run(), com::S_OK);
  ASSERT_TRUE(ok.collector->WaitCount(3));
  ok.control->Stop();
  auto blocks = ok.collector->Blocks();
  std::vector<uint8_t> joined;
  for (size_t i = 0; i < 2; ++i)
    joined.insert(joined.end(), blocks[i].bytes.begin(), blocks[i].bytes.end());
  EXPECT_EQ(joined, samples);
  EXPECT_EQ(blocks[2].bytes, std::vector<uint8_t>(512, 0)); // silence after the end
}

TEST_F(WaveDevice, EnvironmentInstallsAToneOrAFile) {
  setenv("SONVELT_VIRTUAL_AUDIO", "tone", 1);
  ASSERT_TRUE(TVirtualAudio::InstallFromEnvironment());
  ASSERT_EQ(TVirtualAudio::Devices(true).size(), 1u);
  EXPECT_EQ(TVirtualAudio::Devices(false).size(), 1u);
  TVirtualAudio::Clear();
  Write(16);
  setenv("SONVELT_VIRTUAL_AUDIO", path_.c_str(), 1);
  ASSERT_TRUE(TVirtualAudio::InstallFromEnvironment());
  auto mic = TVirtualAudio::Devices(true);
  ASSERT_EQ(mic.size(), 1u);
  WAVEFORMATEXTENSIBLE f{};
  ASSERT_TRUE(detail::VirtualBackend().PreferredFormat(mic[0]->Id(), true, &f));
  EXPECT_EQ(f.Format.nSamplesPerSec, 8000u);
  TVirtualAudio::Clear();
  setenv("SONVELT_VIRTUAL_AUDIO", "/nonexistent.wav", 1);
  EXPECT_FALSE(TVirtualAudio::InstallFromEnvironment());
  EXPECT_TRUE(TVirtualAudio::Devices(true).empty());
}

TEST_F(WaveDevice, ToneFillsEveryChannelAtItsAmplitude) {
  TVirtualCaptureSpec mic;
  mic.Pacing = TVirtualPacing::Immediate;
  mic.ToneHz = 1000;
  mic.ToneAmplitude = 0.5;
  auto device = TVirtualAudio::AddCapture(mic);
  TCaptureGraph g;
  ASSERT_EQ(g.Build(device->Id(), Pcm(2, 48000, 16), 480), com::S_OK);
  ASSERT_EQ(g.control->Run(), com::S_OK);
  ASSERT_TRUE(g.collector->WaitCount(1));
  g.control->Stop();
  auto block = g.collector->Blocks()[0].bytes;
  int16_t peak = 0;
  for (size_t i = 0; i + 3 < block.size(); i += 4) {
    int16_t l, r;
    std::memcpy(&l, &block[i], 2);
    std::memcpy(&r, &block[i + 2], 2);
    EXPECT_EQ(l, r);
    peak = std::max<int16_t>(peak, l);
  }
  EXPECT_NEAR(peak, 16383, 2);
}

} // namespace

namespace {

// A callback that stops the graph from the device thread, as a sink may.
class TStopper final : public com::TInterfacedObject, public ISampleGrabberCB {
public:
  explicit TStopper(IMediaControl *control) : control_(control) {}
  HRESULT QueryInterface(const TGUID &iid, void **out) override {
    return com::QueryInterfaceFor<ISampleGrabberCB>(this, iid, out);
  }
  uint32_t AddRef() override { return TInterfacedObject::AddRef(); }
  uint32_t Release() override { return TInterfacedObject::Release(); }
  HRESULT SampleCB(double, IMediaSample *) override {
    result_ = control_->Stop();
    done_.Set();
    return com::S_OK;
  }
  HRESULT BufferCB(double, BYTE *, LONG) override { return com::S_OK; }
  IMediaControl *control_;
  HRESULT result_ = com::E_FAIL;
  sys::TEvent done_{sys::TEventReset::Manual};
};

TEST_F(CaptureGraph, StopFromTheDeviceThreadEndsTheStream) {
  TVirtualCaptureSpec mic;
  mic.Pacing = TVirtualPacing::Immediate;
  ASSERT_EQ(BuildOn(mic, Pcm(1, 8000, 16), 64), com::S_OK);
  auto stopper = com::MakeCom<TStopper>(g.control.Get());
  g.grabber->SetCallback(stopper.Get(), 0);
  ASSERT_EQ(g.control->Run(), com::S_OK);
  ASSERT_TRUE(stopper->done_.Wait(std::chrono::seconds(10)));
  EXPECT_EQ(stopper->result_, com::S_OK);
  EXPECT_TRUE(Eventually([&] { return device->OpenCount() == 0; }));
  g.grabber->SetCallback(nullptr, 0);
}

} // namespace

namespace {

class BufferCallback final : public com::TInterfacedObject, public ISampleGrabberCB {
public:
  HRESULT QueryInterface(const TGUID &iid, void **out) override {
    return com::QueryInterfaceFor<ISampleGrabberCB>(this, iid, out);
  }
  uint32_t AddRef() override { return TInterfacedObject::AddRef(); }
  uint32_t Release() override { return TInterfacedObject::Release(); }
  HRESULT SampleCB(double, IMediaSample *) override { return com::E_UNEXPECTED; }
  HRESULT BufferCB(double, BYTE *buffer, LONG length) override {
    std::lock_guard<std::mutex> lock(m);
    bytes.assign(buffer, buffer + length);
    ++calls;
    return com::S_OK;
  }
  std::mutex m;
  std::vector<uint8_t> bytes;
  int calls = 0;
};

TEST_F(CaptureGraph, OneShotGrabberKeepsItsSampleAndCompletes) {
  TVirtualCaptureSpec mic;
  mic.Source = TVirtualSource::Bytes;
  mic.Bytes = Ramp(4096);
  mic.Pacing = TVirtualPacing::Immediate;
  ASSERT_EQ(BuildOn(mic, Pcm(2, 44100, 16), 256), com::S_OK);
  auto callback = com::MakeCom<BufferCallback>();
  ASSERT_EQ(g.grabber->SetCallback(callback.Get(), 1), com::S_OK);
  EXPECT_EQ(g.grabber->SetCallback(callback.Get(), 2), com::E_INVALIDARG);
  g.grabber->SetOneShot(TRUE);
  g.grabber->SetBufferSamples(TRUE);
  LONG size = 0;
  EXPECT_EQ(g.grabber->GetCurrentBuffer(&size, nullptr), VFW_E_WRONG_STATE);
  ASSERT_EQ(g.control->Run(), com::S_OK);
  LONG code = 0;
  LONG_PTR p1 = 0, p2 = 0;
  ASSERT_EQ(g.events->GetEvent(&code, &p1, &p2, 10000), com::S_OK);
  EXPECT_EQ(code, EC_COMPLETE);
  EXPECT_EQ(reinterpret_cast<IBaseFilter *>(p2), g.grabberFilter.Get());
  g.events->FreeEventParams(code, p1, p2);
  ASSERT_TRUE(
      device->WaitFramesRead(3 * 256, std::chrono::seconds(10))); // later samples pass unseen
  EXPECT_EQ(g.control->Stop(), com::S_OK);
  std::vector<uint8_t> first(mic.Bytes.begin(), mic.Bytes.begin() + 1024);
  {
    std::lock_guard<std::mutex> lock(callback->m);
    EXPECT_EQ(callback->calls, 1);
    EXPECT_EQ(callback->bytes, first);
  }
  ASSERT_EQ(g.grabber->GetCurrentBuffer(&size, nullptr), com::S_OK);
  ASSERT_EQ(size, 1024);
  std::vector<uint8_t> kept(1024);
  ASSERT_EQ(g.grabber->GetCurrentBuffer(&size, reinterpret_cast<LONG *>(kept.data())), com::S_OK);
  EXPECT_EQ(kept, first);
}

} // namespace
