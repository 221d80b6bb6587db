// Helpers of the media stand-in's tests: graphs, device monikers, a grabber
// callback that records what it sees, and a push source of our own.
#pragma once

#include <condition_variable>
#include <cstring>
#include <mutex>
#include <vector>

#include <gtest/gtest.h>

#include "platform/media/Backend.h"
#include "platform/media/Internal.h"
#include "platform/media/Media.h"
#include "platform/media/VirtualAudio.h"
#include "tests/support/MediaTestSource.h"
#include "tests/support/VirtualDevicesOnly.h"

namespace mediatest {

using namespace media;

template <class I> TComPtr<I> Create(const TGUID &clsid) {
  TComPtr<I> p;
  EXPECT_EQ(media::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, I::IID, p.PutVoid()),
            com::S_OK);
  return p;
}

inline TComPtr<IBaseFilter> Bind(const TComPtr<IMoniker> &m) {
  TComPtr<IBaseFilter> f;
  if (m)
    m->BindToObject(nullptr, nullptr, IBaseFilter::IID, f.PutVoid());
  return f;
}

inline WAVEFORMATEX Pcm(uint16_t channels, uint32_t rate, uint16_t bits) {
  WAVEFORMATEX wf{
      WAVE_FORMAT_PCM, channels, rate, 0, static_cast<uint16_t>(channels * bits / 8), bits, 0};
  wf.nAvgBytesPerSec = rate * wf.nBlockAlign;
  return wf;
}

struct TBlock {
  REFERENCE_TIME start, stop;
  std::vector<uint8_t> bytes;
};

// Records every sample the grabber shows it.
class TCollector final : public com::TInterfacedObject, public ISampleGrabberCB {
public:
  HRESULT QueryInterface(const TGUID &iid, void **out) override {
    return com::QueryInterfaceFor<ISampleGrabberCB>(this, iid, out);
  }
  uint32_t AddRef() override { return TInterfacedObject::AddRef(); }
  uint32_t Release() override { return TInterfacedObject::Release(); }
  HRESULT SampleCB(double, IMediaSample *sample) override {
    TBlock b{};
    sample->GetTime(&b.start, &b.stop);
    BYTE *p = nullptr;
    sample->GetPointer(&p);
    b.bytes.assign(p, p + sample->GetActualDataLength());
    std::lock_guard<std::mutex> lock(m_);
    blocks_.push_back(std::move(b));
    cv_.notify_all();
    return com::S_OK;
  }
  HRESULT BufferCB(double, BYTE *, LONG) override { return com::S_OK; }
  bool WaitCount(size_t n) {
    std::unique_lock<std::mutex> lock(m_);
    return cv_.wait_for(lock, std::chrono::seconds(10), [&] { return blocks_.size() >= n; });
  }
  std::vector<TBlock> Blocks() {
    std::lock_guard<std::mutex> lock(m_);
    return blocks_;
  }

private:
  std::mutex m_;
  std::condition_variable cv_;
  std::vector<TBlock> blocks_;
};

// A capture graph as the capture component builds one: device filter, then
// the grabber set to the format, blocks of bufferFrames.
struct TCaptureGraph {
  TComPtr<IGraphBuilder> graph;
  TComPtr<ICaptureGraphBuilder2> builder;
  TComPtr<IMediaControl> control;
  TComPtr<IMediaEventEx> events;
  TComPtr<IBaseFilter> capture, grabberFilter;
  TComPtr<ISampleGrabber> grabber;
  TComPtr<TCollector> collector = com::MakeCom<TCollector>();

  // Returns the first failure of the build.
  HRESULT Build(const std::string &id, const WAVEFORMATEX &format, LONG bufferFrames) {
    graph = Create<IGraphBuilder>(CLSID_FilterGraph);
    builder = Create<ICaptureGraphBuilder2>(CLSID_CaptureGraphBuilder2);
    HRESULT hr = builder->SetFiltergraph(graph.Get());
    if (FAILED(hr))
      return hr;
    control = TComPtr<IMediaControl>::Query(graph);
    events = TComPtr<IMediaEventEx>::Query(graph);
    capture = Bind(Moniker(CLSID_AudioInputDeviceCategory, id));
    if (!capture)
      return MK_E_NOOBJECT;
    if (FAILED(hr = graph->AddFilter(capture.Get(), nullptr)))
      return hr;
    grabberFilter = Create<IBaseFilter>(CLSID_SampleGrabber);
    if (FAILED(hr = graph->AddFilter(grabberFilter.Get(), u"VLDS_AudioGrabber")))
      return hr;
    grabber = TComPtr<ISampleGrabber>::Query(grabberFilter);
    AM_MEDIA_TYPE mt{};
    AudioMediaTypeFromFormat(&format, &mt);
    grabber->SetMediaType(&mt);
    TComPtr<IAMStreamConfig> config;
    hr = builder->FindInterface(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Audio, capture.Get(),
                                IAMStreamConfig::IID, config.PutVoid());
    if (SUCCEEDED(hr))
      hr = config->SetFormat(&mt);
    FreeMediaType(mt);
    if (FAILED(hr))
      return hr;
    TComPtr<IAMBufferNegotiation> negotiation;
    hr = builder->FindInterface(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Audio, capture.Get(),
                                IAMBufferNegotiation::IID, negotiation.PutVoid());
    if (FAILED(hr))
      return hr;
    ALLOCATOR_PROPERTIES props{-1, format.nBlockAlign * bufferFrames, -1, -1};
    negotiation->SuggestAllocatorProperties(&props);
    if (FAILED(hr = builder->RenderStream(nullptr, &MEDIATYPE_Audio, capture.Get(), nullptr,
                                          grabberFilter.Get())))
      return hr;
    grabber->SetBufferSamples(FALSE);
    grabber->SetOneShot(FALSE);
    return grabber->SetCallback(collector.Get(), 0);
  }
};

// Takes every virtual device out and ALSA out of the listing for the test.
using TVirtualOnly = TVirtualDevicesOnly<>;

} // namespace mediatest
