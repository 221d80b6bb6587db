// Test doubles of the media layer's suites: a receiving pin that records the
// samples it is given, over an allocator whose grant the test limits, and an
// empty media-type enumerator.
#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <vector>

#include <gtest/gtest.h>

#include "platform/media/Media.h"

namespace dstest {

using namespace media;
using com::TComPtr;

class TEmptyTypes final : public com::TInterfacedObject, public IEnumMediaTypes {
public:
  HRESULT QueryInterface(const TGUID &iid, void **out) override {
    return com::QueryInterfaceFor<IEnumMediaTypes>(this, iid, out);
  }
  uint32_t AddRef() override { return TInterfacedObject::AddRef(); }
  uint32_t Release() override { return TInterfacedObject::Release(); }
  HRESULT Next(ULONG, AM_MEDIA_TYPE **, ULONG *fetched) override {
    if (fetched)
      *fetched = 0;
    return com::S_FALSE;
  }
  HRESULT Skip(ULONG) override { return com::S_FALSE; }
  HRESULT Reset() override { return com::S_OK; }
  HRESULT Clone(IEnumMediaTypes **clone) override {
    *clone = com::MakeCom<TEmptyTypes>().Detach();
    return com::S_OK;
  }
};

// The platform's allocator, granting at most MaxBytes per buffer.
class TLimitedAllocator final : public com::TInterfacedObject, public IMemAllocator {
public:
  // emptySamples: grant what is asked, but hand out samples that report no
  // room (a broken allocator).
  explicit TLimitedAllocator(LONG maxBytes, bool emptySamples = false)
      : max_(maxBytes), empty_(emptySamples) {
    media::CoCreateInstance(CLSID_MemoryAllocator, nullptr, com::CLSCTX_INPROC_SERVER,
                            IMemAllocator::IID, inner_.PutVoid());
  }
  HRESULT QueryInterface(const TGUID &iid, void **out) override {
    return com::QueryInterfaceFor<IMemAllocator>(this, iid, out);
  }
  uint32_t AddRef() override { return TInterfacedObject::AddRef(); }
  uint32_t Release() override { return TInterfacedObject::Release(); }
  HRESULT SetProperties(ALLOCATOR_PROPERTIES *request, ALLOCATOR_PROPERTIES *actual) override {
    requested = *request;
    ALLOCATOR_PROPERTIES limited = *request;
    limited.cbBuffer = std::min(limited.cbBuffer, max_);
    return inner_->SetProperties(&limited, actual);
  }
  HRESULT GetProperties(ALLOCATOR_PROPERTIES *props) override {
    return inner_->GetProperties(props);
  }
  HRESULT Commit() override { return inner_->Commit(); }
  HRESULT Decommit() override { return inner_->Decommit(); }
  HRESULT GetBuffer(IMediaSample **sample, REFERENCE_TIME *start, REFERENCE_TIME *end,
                    DWORD flags) override {
    HRESULT hr = inner_->GetBuffer(sample, start, end, flags);
    if (SUCCEEDED(hr) && empty_)
      *sample = com::MakeCom<TZeroSample>(TComPtr<IMediaSample>::Attach(*sample)).Detach();
    return hr;
  }
  HRESULT ReleaseBuffer(IMediaSample *sample) override { return inner_->ReleaseBuffer(sample); }

  ALLOCATOR_PROPERTIES requested{};

private:
  class TZeroSample final : public com::TInterfacedObject, public IMediaSample {
  public:
    explicit TZeroSample(TComPtr<IMediaSample> inner) : inner_(std::move(inner)) {}
    HRESULT QueryInterface(const TGUID &iid, void **out) override {
      return com::QueryInterfaceFor<IMediaSample>(this, iid, out);
    }
    uint32_t AddRef() override { return TInterfacedObject::AddRef(); }
    uint32_t Release() override { return TInterfacedObject::Release(); }
    HRESULT GetPointer(BYTE **buffer) override { return inner_->GetPointer(buffer); }
    LONG GetSize() override { return 0; }
    HRESULT GetTime(REFERENCE_TIME *s, REFERENCE_TIME *e) override { return inner_->GetTime(s, e); }
    HRESULT SetTime(REFERENCE_TIME *s, REFERENCE_TIME *e) override { return inner_->SetTime(s, e); }
    HRESULT IsSyncPoint() override { return inner_->IsSyncPoint(); }
    HRESULT SetSyncPoint(BOOL v) override { return inner_->SetSyncPoint(v); }
    HRESULT IsPreroll() override { return inner_->IsPreroll(); }
    HRESULT SetPreroll(BOOL v) override { return inner_->SetPreroll(v); }
    LONG GetActualDataLength() override { return inner_->GetActualDataLength(); }
    HRESULT SetActualDataLength(LONG n) override { return inner_->SetActualDataLength(n); }
    HRESULT GetMediaType(AM_MEDIA_TYPE **mt) override { return inner_->GetMediaType(mt); }
    HRESULT SetMediaType(AM_MEDIA_TYPE *mt) override { return inner_->SetMediaType(mt); }
    HRESULT IsDiscontinuity() override { return inner_->IsDiscontinuity(); }
    HRESULT SetDiscontinuity(BOOL v) override { return inner_->SetDiscontinuity(v); }
    HRESULT GetMediaTime(int64_t *s, int64_t *e) override { return inner_->GetMediaTime(s, e); }
    HRESULT SetMediaTime(int64_t *s, int64_t *e) override { return inner_->SetMediaTime(s, e); }

  private:
    TComPtr<IMediaSample> inner_;
  };

  TComPtr<IMemAllocator> inner_;
  const LONG max_;
  const bool empty_;
};

struct TReceived {
  REFERENCE_TIME start = 0, stop = 0;
  bool timed = false;
  bool sync = false;
  std::vector<uint8_t> bytes;
};

// An input pin of no filter: accepts every connection (unless told not to),
// offers no media types and records what it receives.
class TTestSink final : public com::TInterfacedObject, public IPin, public IMemInputPin {
public:
  explicit TTestSink(LONG maxBufferBytes = 1 << 20, bool emptySamples = false)
      : allocator_(com::MakeCom<TLimitedAllocator>(maxBufferBytes, emptySamples)) {}
  HRESULT QueryInterface(const TGUID &iid, void **out) override {
    return com::QueryInterfaceFor<IPin, IMemInputPin>(this, iid, out);
  }
  uint32_t AddRef() override { return TInterfacedObject::AddRef(); }
  uint32_t Release() override { return TInterfacedObject::Release(); }

  // IPin
  HRESULT Connect(IPin *, const AM_MEDIA_TYPE *) override { return E_UNEXPECTED; }
  HRESULT ReceiveConnection(IPin *connector, const AM_MEDIA_TYPE *mt) override {
    if (FAILED(ReceiveResult))
      return ReceiveResult;
    connected_ = connector;
    FreeMediaType(type_);
    CopyMediaType(&type_, mt);
    return com::S_OK;
  }
  HRESULT Disconnect() override {
    if (!connected_)
      return com::S_FALSE;
    connected_.Reset();
    return com::S_OK;
  }
  HRESULT ConnectedTo(IPin **pin) override {
    *pin = connected_.Get();
    if (!*pin)
      return VFW_E_NOT_CONNECTED;
    (*pin)->AddRef();
    return com::S_OK;
  }
  HRESULT ConnectionMediaType(AM_MEDIA_TYPE *mt) override { return CopyMediaType(mt, &type_); }
  HRESULT QueryPinInfo(PIN_INFO *info) override {
    info->pFilter = nullptr;
    info->dir = PINDIR_INPUT;
    CopyWideName(info->achName, MAX_PIN_NAME, u"In");
    return com::S_OK;
  }
  HRESULT QueryDirection(PIN_DIRECTION *dir) override {
    *dir = PINDIR_INPUT;
    return com::S_OK;
  }
  HRESULT QueryId(LPWSTR *id) override {
    *id = TaskMemWideCopy(u"In");
    return com::S_OK;
  }
  HRESULT QueryAccept(const AM_MEDIA_TYPE *) override { return com::S_OK; }
  HRESULT EnumMediaTypes(IEnumMediaTypes **types) override {
    *types = com::MakeCom<TEmptyTypes>().Detach();
    return com::S_OK;
  }
  HRESULT QueryInternalConnections(IPin **, ULONG *) override { return E_NOTIMPL; }
  HRESULT EndOfStream() override { return com::S_OK; }
  HRESULT BeginFlush() override { return com::S_OK; }
  HRESULT EndFlush() override { return com::S_OK; }
  HRESULT NewSegment(REFERENCE_TIME, REFERENCE_TIME, double) override { return com::S_OK; }

  // IMemInputPin
  HRESULT GetAllocator(IMemAllocator **allocator) override {
    *allocator = allocator_.Get();
    allocator_->AddRef();
    return com::S_OK;
  }
  HRESULT NotifyAllocator(IMemAllocator *allocator, BOOL) override {
    notified_ = allocator;
    return com::S_OK;
  }
  HRESULT GetAllocatorRequirements(ALLOCATOR_PROPERTIES *props) override {
    props->cbAlign = 0; // the negotiation makes it 1
    props->cbPrefix = 0;
    return com::S_OK;
  }
  HRESULT Receive(IMediaSample *sample) override {
    TReceived r;
    r.timed = sample->GetTime(&r.start, &r.stop) == com::S_OK;
    r.sync = sample->IsSyncPoint() == com::S_OK;
    BYTE *p = nullptr;
    sample->GetPointer(&p);
    r.bytes.assign(p, p + sample->GetActualDataLength());
    std::lock_guard lock(m_);
    received_.push_back(std::move(r));
    if (HoldSamples)
      held_.emplace_back(sample);
    cv_.notify_all();
    return ReceiveSampleResult;
  }
  HRESULT ReceiveMultiple(IMediaSample **samples, LONG count, LONG *processed) override {
    for (*processed = 0; *processed < count; ++*processed)
      Receive(samples[*processed]);
    return com::S_OK;
  }
  HRESULT ReceiveCanBlock() override { return com::S_FALSE; }

  ~TTestSink() override { FreeMediaType(type_); }

  bool WaitReceived(size_t n) {
    std::unique_lock lock(m_);
    return cv_.wait_for(lock, std::chrono::seconds(10), [&] { return received_.size() >= n; });
  }
  void DropHeld() {
    std::lock_guard lock(m_);
    held_.clear();
  }
  std::vector<TReceived> Received() {
    std::lock_guard lock(m_);
    return received_;
  }
  TLimitedAllocator *Allocator() const { return allocator_.Get(); }
  IPin *Connected() const { return connected_.Get(); }
  const AM_MEDIA_TYPE &Type() const { return type_; }

  HRESULT ReceiveResult = com::S_OK;
  HRESULT ReceiveSampleResult = com::S_OK;
  // Keep every sample received, so the allocator runs out of free ones.
  std::atomic<bool> HoldSamples{false};

private:
  TComPtr<TLimitedAllocator> allocator_;
  TComPtr<IPin> connected_;
  TComPtr<IMemAllocator> notified_;
  AM_MEDIA_TYPE type_{};
  std::mutex m_;
  std::condition_variable cv_;
  std::vector<TReceived> received_;
  std::vector<TComPtr<IMediaSample>> held_;
};

inline WAVEFORMATEXTENSIBLE Extensible(uint16_t channels, uint32_t rate, uint16_t bits) {
  WAVEFORMATEXTENSIBLE f{};
  f.Format.wFormatTag = WAVE_FORMAT_EXTENSIBLE;
  f.Format.nChannels = channels;
  f.Format.nSamplesPerSec = rate;
  f.Format.nBlockAlign = static_cast<uint16_t>(channels * bits / 8);
  f.Format.nAvgBytesPerSec = rate * f.Format.nBlockAlign;
  f.Format.wBitsPerSample = bits;
  f.Format.cbSize = WAVEFORMATEXTENSIBLE_EXTRA;
  f.Samples.wValidBitsPerSample = bits;
  f.dwChannelMask = channels == 1 ? 4u : (1u << channels) - 1;
  f.SubFormat = KSDATAFORMAT_SUBTYPE_PCM;
  return f;
}

} // namespace dstest
