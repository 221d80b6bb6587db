// A capture graph as the capture component builds it, on a virtual
// microphone: graph owner, device chosen by name, sample grabber feeding the
// block queue through the callback object. Checks the stamped blocks, device
// loss reaching the main thread as event 31, and a busy device's error.
#include <algorithm>
#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include "directshow/DSBaseClass.h"
#include "directshow/DSCaptureDevice.h"
#include "directshow/DSGraphProperty.h"
#include "directshow/Dsbufferqueue.h"
#include "directshow/Dssamplegrabber.h"
#include "framework/pins/OWPins.h"
#include "platform/mainloop/MainLoop.h"
#include "platform/media/Media.h"
#include "platform/media/VirtualAudio.h"
#include "tests/directshow/DSTestPins.h"
#include "tests/support/MainLoopWait.h"

namespace {

using namespace media;
using com::TComPtr;
using mainloop::TMainLoop;

class TOwner : public TComponent {
public:
  TOwner() : TComponent(nullptr) {}
};

class CaptureGraphTest : public ::testing::Test {
protected:
  void SetUp() override {
    OWPinsInitialization();
    SetAlsaEnabled(false);
    TVirtualAudio::Clear();
    TVirtualCaptureSpec spec;
    spec.FriendlyName = "USB Audio CODEC ";
    spec.Id = "codec";
    spec.Source = TVirtualSource::Bytes;
    for (int i = 0; i < 4096 * 4; ++i)
      spec.Bytes.push_back(static_cast<uint8_t>(i * 13));
    spec.Pacing = TVirtualPacing::Manual;
    mic = TVirtualAudio::AddCapture(spec);
    owner = CreateObject<TOwner>();
    graph = std::make_unique<TDSGraph>(
        owner, [this](LONG code, LONG_PTR, LONG_PTR) { codes.push_back(code); }, &lock);
    device = std::make_unique<TDSAudioCaptureDevice>(&lock, owner, graph.get(), nullptr);
  }
  void TearDown() override {
    if (graph->Graph) {
      if (auto control = TComPtr<IMediaControl>::Query(graph->Graph))
        control->Stop();
    }
    graph->MediaEvent.Reset();
    graph->CaptureGraphBuilder.Reset();
    graph->Graph.Reset();
    grabber.Reset();
    queue.Clear();
    device.reset();
    graph.reset();
    FreeObject(owner);
    TVirtualAudio::Clear();
    SetAlsaEnabled(true);
    TMainLoop::Main().RunPending();
  }

  // Builds device -> grabber (stereo 16-bit 48 kHz, 1024-frame blocks);
  // answers the failing step's code.
  HRESULT Build() {
    if (!graph->CreateGraph() || !graph->CreateGraphBuilder() || !graph->SetMediaEvent())
      return E_FAIL;
    device->SetName("USB Audio CODEC ");
    TComPtr<IMoniker> moniker = device->GetMoniker();
    if (!moniker)
      return MK_E_NOOBJECT;
    TComPtr<IBaseFilter> capture;
    HRESULT hr = moniker->BindToObject(nullptr, nullptr, IBaseFilter::IID, capture.PutVoid());
    if (FAILED(hr))
      return hr;
    if (FAILED(hr = graph->Graph->AddFilter(capture.Get(), u"Capture")))
      return hr;
    TComPtr<IBaseFilter> grabberFilter;
    media::CoCreateInstance(CLSID_SampleGrabber, nullptr, com::CLSCTX_INPROC_SERVER,
                            IBaseFilter::IID, grabberFilter.PutVoid());
    if (FAILED(hr = graph->Graph->AddFilter(grabberFilter.Get(), u"VLDS_AudioGrabber")))
      return hr;
    grabber = TComPtr<ISampleGrabber>::Query(grabberFilter);
    AM_MEDIA_TYPE mt{};
    CreateAudioMediaType(&format, &mt);
    grabber->SetMediaType(&mt);
    TComPtr<IAMStreamConfig> config;
    hr = graph->CaptureGraphBuilder->FindInterface(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Audio,
                                                   capture.Get(), IAMStreamConfig::IID,
                                                   config.PutVoid());
    if (SUCCEEDED(hr))
      hr = config->SetFormat(&mt);
    LPDSFreeMediaType(mt);
    if (FAILED(hr))
      return hr;
    TComPtr<IAMBufferNegotiation> negotiation;
    hr = graph->CaptureGraphBuilder->FindInterface(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Audio,
                                                   capture.Get(), IAMBufferNegotiation::IID,
                                                   negotiation.PutVoid());
    if (FAILED(hr))
      return hr;
    ALLOCATOR_PROPERTIES props{-1, format.Format.nBlockAlign * 1024, -1, -1};
    negotiation->SuggestAllocatorProperties(&props);
    hr = graph->CaptureGraphBuilder->RenderStream(nullptr, &MEDIATYPE_Audio, capture.Get(), nullptr,
                                                  grabberFilter.Get());
    if (FAILED(hr))
      return hr;
    return grabber->SetCallback(&callback, 0);
  }

  // Pumps the main loop until the callback has seen code (or time runs out).
  bool PumpUntilSeen(LONG code) {
    return PumpUntil([&] { return std::find(codes.begin(), codes.end(), code) != codes.end(); });
  }

  std::shared_ptr<TVirtualCaptureDevice> mic;
  TOWObject lock;
  TOwner *owner = nullptr;
  std::unique_ptr<TDSGraph> graph;
  std::unique_ptr<TDSAudioCaptureDevice> device;
  TComPtr<ISampleGrabber> grabber;
  TVLDSBufferQueue queue;
  TVLDSSampleGrabberCB callback{[this](double, IMediaSample *sample) {
    BYTE *p = nullptr;
    sample->GetPointer(&p);
    REFERENCE_TIME start = 0, stop = 0;
    sample->GetTime(&start, &stop);
    queue.Add(start, stop, p, sample->GetActualDataLength());
  }};
  std::vector<LONG> codes;
  WAVEFORMATEXTENSIBLE format = dstest::Extensible(2, 48000, 16);
};

TEST_F(CaptureGraphTest, CapturedBlocksAre1024FramesStampedFromRun) {
  ASSERT_EQ(Build(), S_OK);
  auto control = TComPtr<IMediaControl>::Query(graph->Graph);
  ASSERT_EQ(control->Run(), S_OK);
  mic->ReleaseFrames(2048);
  ASSERT_TRUE(mic->WaitFramesRead(2048, std::chrono::seconds(10)));
  std::vector<TVLDSBufferQueueNodeHeader *> blocks;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (blocks.size() < 2 && std::chrono::steady_clock::now() < deadline) {
    if (auto *b = queue.Get())
      blocks.push_back(b);
    else
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ASSERT_EQ(blocks.size(), 2u);
  const REFERENCE_TIME d = 1024 * UNITS / 48000;
  for (size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(blocks[i]->Length, 4096);
    EXPECT_EQ(blocks[i]->StartTime, REFERENCE_TIME(i) * d);
    EXPECT_EQ(blocks[i]->StopTime, REFERENCE_TIME(i + 1) * d);
    EXPECT_EQ(blocks[i]->Data()[1], static_cast<uint8_t>((4096 * i + 1) * 13));
    queue.DestroyBlock(blocks[i]);
  }
  EXPECT_EQ(control->Stop(), S_OK);
}

TEST_F(CaptureGraphTest, UnpluggingReachesTheMainThreadAsDeviceLost) {
  int lost = 0;
  graph->OnDeviceLost.Fn = [&](TObject *sender) {
    EXPECT_EQ(sender, owner);
    EXPECT_TRUE(TMainLoop::Main().IsMainThread());
    ++lost;
  };
  ASSERT_EQ(Build(), S_OK);
  auto control = TComPtr<IMediaControl>::Query(graph->Graph);
  ASSERT_EQ(control->Run(), S_OK);
  mic->Unplug();
  ASSERT_TRUE(PumpUntilSeen(EC_DEVICE_LOST));
  EXPECT_EQ(lost, 1);
  EXPECT_EQ(control->Stop(), S_OK);
  // The selection of a device that has gone is simply not found.
  EXPECT_FALSE(device->GetMoniker());
}

TEST_F(CaptureGraphTest, ABusyDeviceFailsRunWithACodeThatSaysBusy) {
  ASSERT_EQ(Build(), S_OK);
  mic->SetBusy(true);
  auto control = TComPtr<IMediaControl>::Query(graph->Graph);
  HRESULT hr = control->Run();
  ASSERT_TRUE(FAILED(hr));
  EXPECT_EQ(ErrnoFromHResult(hr), EBUSY);
  try {
    graph->Error("Can't run graph.", hr);
    FAIL() << "no exception";
  } catch (const EDSException &e) {
    // The system's text and code, then what they mean to a person.
    EXPECT_EQ(e.Message(), Format("Can't run graph. - %u - %x", static_cast<uint32_t>(hr),
                                  static_cast<uint32_t>(hr)) +
                               "\nThe device is in use by another program.");
    EXPECT_NE(e.Message().find("80FF0010"), std::string::npos)
        << e.Message(); // EBUSY in the low bits
  }
  control->Stop();
}

} // namespace
