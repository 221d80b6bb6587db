#include <cstring>

#include "platform/media/Internal.h"

namespace media::detail {

using com::E_INVALIDARG;
using com::E_NOTIMPL;
using com::E_POINTER;
using com::S_FALSE;
using com::S_OK;

namespace {

class TSampleGrabber;

class TGrabberInput final : public TInputPinBase {
public:
  TGrabberInput(TFilterBase *filter, TSampleGrabber *grabber)
      : TInputPinBase(filter, u"Input"), grabber_(grabber) {}
  HRESULT CheckMediaType(const AM_MEDIA_TYPE *mt) override;
  HRESULT OnReceive(IMediaSample *sample) override;

private:
  TSampleGrabber *grabber_;
};

class TGrabberOutput final : public TOutputPinBase {
public:
  TGrabberOutput(TFilterBase *filter, TSampleGrabber *grabber)
      : TOutputPinBase(filter, u"Output"), grabber_(grabber) {}
  HRESULT CheckMediaType(const AM_MEDIA_TYPE *mt) override;
  HRESULT GetMediaType(int position, AM_MEDIA_TYPE *mt) override;
  HRESULT DecideBufferSize(IMemAllocator *allocator, ALLOCATOR_PROPERTIES *request) override;

private:
  TSampleGrabber *grabber_;
};

// Passes samples through unchanged and shows each one to a callback on the
// streaming thread; its output may stay unconnected.
class TSampleGrabber final : public TFilterBase, public ISampleGrabber {
public:
  TSampleGrabber() : TFilterBase(CLSID_SampleGrabber) {
    pins_.push_back(std::make_unique<TGrabberInput>(this, this));
    pins_.push_back(std::make_unique<TGrabberOutput>(this, this));
  }
  HRESULT QueryInterface(const TGUID &iid, void **out) override {
    return TFilterBase::QueryInterface(iid, out);
  }
  uint32_t AddRef() override { return TFilterBase::AddRef(); }
  uint32_t Release() override { return TFilterBase::Release(); }
  HRESULT QueryExtra(const TGUID &iid, void **out) override {
    if (iid != ISampleGrabber::IID)
      return com::E_NOINTERFACE;
    *out = static_cast<ISampleGrabber *>(this);
    AddRef();
    return S_OK;
  }

  HRESULT SetOneShot(BOOL oneShot) override {
    std::lock_guard<std::mutex> lock(m_);
    oneShot_ = oneShot != FALSE;
    return S_OK;
  }
  HRESULT SetMediaType(const AM_MEDIA_TYPE *mt) override {
    std::lock_guard<std::mutex> lock(m_);
    FreeMediaType(pattern_);
    ZeroMediaType(pattern_);
    return mt ? CopyMediaType(&pattern_, mt) : S_OK;
  }
  HRESULT GetConnectedMediaType(AM_MEDIA_TYPE *mt) override {
    if (mt == nullptr)
      return E_POINTER;
    return Input()->ConnectionMediaType(mt);
  }
  HRESULT SetBufferSamples(BOOL buffer) override {
    std::lock_guard<std::mutex> lock(m_);
    bufferSamples_ = buffer != FALSE;
    return S_OK;
  }
  HRESULT GetCurrentBuffer(LONG *size, LONG *buffer) override {
    if (size == nullptr)
      return E_POINTER;
    std::lock_guard<std::mutex> lock(m_);
    if (!bufferSamples_)
      return E_INVALIDARG;
    if (!haveBuffer_)
      return VFW_E_WRONG_STATE;
    LONG need = static_cast<LONG>(buffer_.size());
    if (buffer == nullptr) {
      *size = need;
      return S_OK;
    }
    if (*size < need)
      return E_OUTOFMEMORY_BUFFER;
    std::memcpy(buffer, buffer_.data(), buffer_.size());
    *size = need;
    return S_OK;
  }
  HRESULT GetCurrentSample(IMediaSample **sample) override {
    if (sample)
      *sample = nullptr;
    return E_NOTIMPL;
  }
  HRESULT SetCallback(ISampleGrabberCB *callback, LONG which) override {
    if (which != 0 && which != 1)
      return E_INVALIDARG;
    std::lock_guard<std::mutex> lock(m_);
    callback_ = callback;
    which_ = which;
    return S_OK;
  }

  bool Accepts(const AM_MEDIA_TYPE &mt) {
    std::lock_guard<std::mutex> lock(m_);
    if (!pattern_.majortype.IsNull() && pattern_.majortype != mt.majortype)
      return false;
    if (!pattern_.subtype.IsNull() && pattern_.subtype != mt.subtype)
      return false;
    if (!pattern_.formattype.IsNull() && pattern_.formattype != mt.formattype)
      return false;
    return true;
  }

  HRESULT OnReceive(IMediaSample *sample) {
    TComPtr<ISampleGrabberCB> callback;
    LONG which;
    bool oneShot;
    {
      std::lock_guard<std::mutex> lock(m_);
      if (oneShot_ && shotTaken_)
        return S_FALSE;
      callback = callback_;
      which = which_;
      if (bufferSamples_) {
        BYTE *p = nullptr;
        sample->GetPointer(&p);
        LONG n = sample->GetActualDataLength();
        buffer_.assign(p, p + (n > 0 ? n : 0));
        haveBuffer_ = true;
      }
      if (oneShot_)
        shotTaken_ = true;
      oneShot = oneShot_;
    }
    REFERENCE_TIME start = 0, stop = 0;
    sample->GetTime(&start, &stop);
    double seconds = static_cast<double>(start) / UNITS;
    if (callback) {
      if (which == 0) {
        callback->SampleCB(seconds, sample);
      } else {
        BYTE *p = nullptr;
        sample->GetPointer(&p);
        callback->BufferCB(seconds, p, sample->GetActualDataLength());
      }
    }
    HRESULT hr = S_OK;
    if (Output()->IsConnected())
      hr = Output()->Deliver(sample);
    if (oneShot) {
      NotifyEvent(EC_COMPLETE, S_OK, reinterpret_cast<LONG_PTR>(static_cast<IBaseFilter *>(this)));
      return S_FALSE;
    }
    return hr;
  }

  HRESULT OnPause(FILTER_STATE from) override {
    if (from == State_Stopped) {
      std::lock_guard<std::mutex> lock(m_);
      shotTaken_ = false;
    }
    return S_OK;
  }

  TGrabberInput *Input() { return static_cast<TGrabberInput *>(pins_[0].get()); }
  TGrabberOutput *Output() { return static_cast<TGrabberOutput *>(pins_[1].get()); }

private:
  static constexpr HRESULT E_OUTOFMEMORY_BUFFER = com::E_OUTOFMEMORY;
  ~TSampleGrabber() override {
    for (auto &p : pins_)
      p->Disconnect();
    FreeMediaType(pattern_);
  }
  std::mutex m_;
  AM_MEDIA_TYPE pattern_{};
  bool oneShot_ = false, shotTaken_ = false, bufferSamples_ = false, haveBuffer_ = false;
  std::vector<BYTE> buffer_;
  TComPtr<ISampleGrabberCB> callback_;
  LONG which_ = 0;
};

HRESULT TGrabberInput::CheckMediaType(const AM_MEDIA_TYPE *mt) {
  if (mt == nullptr)
    return E_POINTER;
  return grabber_->Accepts(*mt) ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT TGrabberInput::OnReceive(IMediaSample *sample) { return grabber_->OnReceive(sample); }

HRESULT TGrabberOutput::CheckMediaType(const AM_MEDIA_TYPE *mt) {
  if (mt == nullptr)
    return E_POINTER;
  if (!grabber_->Input()->IsConnected())
    return VFW_E_NOT_CONNECTED;
  AM_MEDIA_TYPE in = grabber_->Input()->ConnectionType();
  return in.majortype == mt->majortype && in.subtype == mt->subtype &&
                 in.formattype == mt->formattype
             ? S_OK
             : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT TGrabberOutput::GetMediaType(int position, AM_MEDIA_TYPE *mt) {
  if (position < 0)
    return E_INVALIDARG;
  if (position > 0 || !grabber_->Input()->IsConnected())
    return VFW_S_NO_MORE_ITEMS;
  return grabber_->Input()->ConnectionMediaType(mt);
}

HRESULT TGrabberOutput::DecideBufferSize(IMemAllocator *allocator, ALLOCATOR_PROPERTIES *request) {
  ALLOCATOR_PROPERTIES props = *request, actual{};
  TComPtr<IMemAllocator> upstream;
  grabber_->Input()->GetAllocator(reinterpret_cast<IMemAllocator **>(upstream.PutVoid()));
  if (upstream)
    upstream->GetProperties(&props);
  if (props.cbBuffer <= 0)
    props.cbBuffer = 65536;
  if (props.cBuffers <= 0)
    props.cBuffers = 1;
  return allocator->SetProperties(&props, &actual);
}

} // namespace

void RegisterGrabberClasses() {
  com::RegisterClass(CLSID_SampleGrabber, com::FactoryOf<TSampleGrabber>());
}

} // namespace media::detail
