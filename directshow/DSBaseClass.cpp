// Media-type routines, the dual unknown and the base filter.
#include "directshow/DSBaseClass.h"

#include <cstring>
#include <mutex>

#include "platform/media/Media.h"

using com::TComPtr;
using media::VFW_E_NO_CLOCK;
using media::VFW_E_NOT_FOUND;

// ---------------------------------------------------------------------------
// Media-type routines

void LPDSCopyMediaType(AM_MEDIA_TYPE *target, const AM_MEDIA_TYPE *source) {
  DS_ASSERT(target != nullptr && source != nullptr);
  *target = *source;
  if (source->cbFormat != 0) {
    DS_ASSERT(source->pbFormat != nullptr);
    target->pbFormat = static_cast<media::BYTE *>(com::CoTaskMemAlloc(source->cbFormat));
    if (target->pbFormat == nullptr)
      target->cbFormat = 0;
    else
      std::memcpy(target->pbFormat, source->pbFormat, source->cbFormat);
  }
  if (target->pUnk != nullptr)
    target->pUnk->AddRef();
}

void LPDSFreeMediaFormat(AM_MEDIA_TYPE &mt) {
  if (mt.cbFormat != 0) {
    com::CoTaskMemFree(mt.pbFormat);
    mt.cbFormat = 0;
    mt.pbFormat = nullptr;
  }
  if (mt.pUnk != nullptr) {
    mt.pUnk->Release();
    mt.pUnk = nullptr;
  }
}

void LPDSInitMediaType(AM_MEDIA_TYPE *mt) {
  std::memset(static_cast<void *>(mt), 0, sizeof *mt);
  mt->lSampleSize = 1;
  mt->bFixedSizeSamples = media::TRUE;
}

bool LPDSMatchMediaType(const AM_MEDIA_TYPE *candidate, const AM_MEDIA_TYPE *pattern) {
  if (!pattern->majortype.IsNull() && pattern->majortype != candidate->majortype)
    return false;
  if (!pattern->subtype.IsNull() && pattern->subtype != candidate->subtype)
    return false;
  if (pattern->formattype.IsNull())
    return true;
  if (pattern->formattype != candidate->formattype || pattern->cbFormat != candidate->cbFormat)
    return false;
  return pattern->cbFormat == 0 ||
         std::memcmp(pattern->pbFormat, candidate->pbFormat, pattern->cbFormat) == 0;
}

void LPDSFreeMediaType(AM_MEDIA_TYPE mt) {
  if (mt.cbFormat != 0)
    com::CoTaskMemFree(mt.pbFormat);
}

void LPDSDeleteMediaType(AM_MEDIA_TYPE *mt) {
  if (mt == nullptr)
    return;
  LPDSFreeMediaFormat(*mt);
  com::CoTaskMemFree(mt);
}

HRESULT CreateAudioMediaType(const WAVEFORMATEXTENSIBLE *format, AM_MEDIA_TYPE *mt, int32_t) {
  if (format == nullptr || mt == nullptr)
    return E_POINTER;
  mt->majortype = media::MEDIATYPE_Audio;
  mt->subtype = media::MEDIASUBTYPE_PCM;
  mt->bFixedSizeSamples = media::TRUE;
  mt->bTemporalCompression = media::FALSE;
  mt->lSampleSize = 1;
  mt->formattype = media::FORMAT_WaveFormatEx;
  if (mt->pUnk != nullptr)
    mt->pUnk->Release();
  mt->pUnk = nullptr;
  WAVEFORMATEXTENSIBLE copy = *format;
  bool plain = copy.Format.nChannels <= 2 && copy.Format.wBitsPerSample <= 16;
  if (plain) {
    copy.Format.wFormatTag = WAVE_FORMAT_PCM;
    copy.Format.cbSize = 0;
    mt->cbFormat = sizeof(WAVEFORMATEX);
  } else {
    mt->cbFormat = copy.Format.cbSize + sizeof(WAVEFORMATEX);
  }
  mt->pbFormat = static_cast<media::BYTE *>(com::CoTaskMemAlloc(mt->cbFormat));
  if (mt->pbFormat == nullptr)
    return E_OUTOFMEMORY;
  // The format's own bytes end after 40; a longer cbSize is filled with zeros.
  size_t known = std::min<size_t>(mt->cbFormat, sizeof copy);
  std::memcpy(mt->pbFormat, &copy, known);
  if (mt->cbFormat > known)
    std::memset(mt->pbFormat + known, 0, mt->cbFormat - known);
  return S_OK;
}

bool LPDSIsFourCC(const TGUID &guid) {
  static constexpr TGUID base = TGUID::FromLiteral("{00000000-0000-0010-8000-00AA00389B71}");
  TGUID g = guid;
  g.Data1 = 0;
  return g == base;
}

TComPtr<IPin> LPDSGetPin(IBaseFilter *filter, PIN_DIRECTION dir) {
  if (filter == nullptr)
    return nullptr;
  IEnumPins *raw = nullptr;
  if (FAILED(filter->EnumPins(&raw)) || raw == nullptr)
    return nullptr;
  auto pins = TComPtr<IEnumPins>::Attach(raw);
  IPin *pin = nullptr;
  while (pins->Next(1, &pin, nullptr) == S_OK && pin != nullptr) {
    auto held = TComPtr<IPin>::Attach(pin);
    PIN_DIRECTION d;
    if (SUCCEEDED(held->QueryDirection(&d)) && d == dir)
      return held;
    pin = nullptr;
  }
  return nullptr;
}

TComPtr<IPin> LPDSGetInputPin(IBaseFilter *filter) {
  return LPDSGetPin(filter, media::PINDIR_INPUT);
}
TComPtr<IPin> LPDSGetOutputPin(IBaseFilter *filter) {
  return LPDSGetPin(filter, media::PINDIR_OUTPUT);
}

// ---------------------------------------------------------------------------
// TDSDualUnknown

TDSDualUnknown::TDSDualUnknown(std::string objectName, com::IUnknown *outer)
    : outer_(outer), name_(std::move(objectName)) {}

HRESULT TDSDualUnknown::QueryInterface(const TGUID &iid, void **out) {
  if (outer_ != nullptr)
    return outer_->QueryInterface(iid, out);
  return NonDelegatingQueryInterface(iid, out);
}

uint32_t TDSDualUnknown::AddRef() {
  if (outer_ != nullptr)
    return outer_->AddRef();
  return NonDelegatingAddRef();
}

uint32_t TDSDualUnknown::Release() {
  if (outer_ != nullptr)
    return outer_->Release();
  return NonDelegatingRelease();
}

HRESULT TDSDualUnknown::NonDelegatingQueryInterface(const TGUID &iid, void **out) {
  return com::QueryInterfaceFor<>(this, iid, out);
}

uint32_t TDSDualUnknown::NonDelegatingAddRef() { return static_cast<uint32_t>(++ref_); }

uint32_t TDSDualUnknown::NonDelegatingRelease() {
  int32_t n = --ref_;
  if (n == 0)
    delete this;
  return static_cast<uint32_t>(n);
}

// ---------------------------------------------------------------------------
// TDSBaseFilter

TDSBaseFilter::TDSBaseFilter(std::string objectName, com::IUnknown *outer, const TGUID &clsid)
    : TDSDualUnknown(std::move(objectName), outer), clsid_(clsid) {}

TDSBaseFilter::TDSBaseFilter(std::string objectName, com::IUnknown *outer, const TGUID &clsid,
                             HRESULT *hr)
    : TDSBaseFilter(std::move(objectName), outer, clsid) {
  DS_ASSERT(hr != nullptr, "Unreferenced parameter: hr");
}

HRESULT TDSBaseFilter::NonDelegatingQueryInterface(const TGUID &iid, void **out) {
  if (out == nullptr)
    return E_POINTER;
  *out = nullptr;
  if (iid == IBaseFilter::IID) {
    *out = static_cast<IBaseFilter *>(this);
  } else if (iid == com::IUnknown::IID) {
    *out = static_cast<com::IUnknown *>(static_cast<TDSDualUnknown *>(this));
  } else {
    return E_NOINTERFACE;
  }
  NonDelegatingAddRef();
  return S_OK;
}

HRESULT TDSBaseFilter::GetClassID(media::CLSID *clsid) {
  if (clsid == nullptr)
    return E_POINTER;
  *clsid = clsid_;
  return S_OK;
}

HRESULT TDSBaseFilter::Stop() {
  std::lock_guard lock(lock_);
  HRESULT result = S_OK;
  if (state_.load() != media::State_Stopped) {
    for (int i = 0; i < GetPinCount(); ++i) {
      TDSBasePin *pin = GetPin(i);
      if (pin == nullptr || !pin->IsConnected())
        continue;
      HRESULT hr = pin->Inactive();
      if (FAILED(hr) && SUCCEEDED(result))
        result = hr;
    }
  }
  state_ = media::State_Stopped;
  return result;
}

HRESULT TDSBaseFilter::Pause() {
  std::lock_guard lock(lock_);
  if (state_.load() == media::State_Stopped) {
    for (int i = 0; i < GetPinCount(); ++i) {
      TDSBasePin *pin = GetPin(i);
      if (pin == nullptr || !pin->IsConnected())
        continue;
      HRESULT hr = pin->Active();
      if (FAILED(hr))
        return hr;
    }
  }
  state_ = media::State_Paused;
  return S_OK;
}

HRESULT TDSBaseFilter::Run(REFERENCE_TIME start) {
  std::lock_guard lock(lock_);
  start_ = start;
  if (state_.load() == media::State_Stopped) {
    HRESULT hr = Pause();
    if (FAILED(hr))
      return hr;
  }
  if (state_.load() != media::State_Running) {
    for (int i = 0; i < GetPinCount(); ++i) {
      TDSBasePin *pin = GetPin(i);
      if (pin == nullptr || !pin->IsConnected())
        continue;
      HRESULT hr = pin->Run(start);
      if (FAILED(hr))
        return hr;
    }
  }
  state_ = media::State_Running;
  return S_OK;
}

HRESULT TDSBaseFilter::GetState(DWORD, FILTER_STATE *state) {
  if (state == nullptr)
    return E_POINTER;
  *state = state_.load();
  return S_OK;
}

HRESULT TDSBaseFilter::SetSyncSource(IReferenceClock *clock) {
  std::lock_guard lock(lock_);
  clock_ = clock;
  return S_OK;
}

HRESULT TDSBaseFilter::GetSyncSource(IReferenceClock **clock) {
  if (clock == nullptr)
    return E_POINTER;
  *clock = nullptr;
  std::lock_guard lock(lock_);
  if (clock_) {
    clock_->AddRef();
    *clock = clock_.Get();
  }
  return S_OK;
}

HRESULT TDSBaseFilter::StreamTime(REFERENCE_TIME *time) {
  std::lock_guard lock(lock_);
  if (!clock_)
    return VFW_E_NO_CLOCK;
  HRESULT hr = clock_->GetTime(time);
  if (FAILED(hr))
    return hr;
  *time -= start_;
  return S_OK;
}

LONG TDSBaseFilter::GetPinVersion() { return pinVersion_.load(); }

HRESULT TDSBaseFilter::EnumPins(IEnumPins **pins) {
  if (pins == nullptr)
    return E_POINTER;
  *pins = com::MakeCom<TDSEnumPins>(this).Detach();
  return *pins ? S_OK : E_OUTOFMEMORY;
}

HRESULT TDSBaseFilter::FindPin(LPCWSTR id, IPin **pin) {
  if (pin == nullptr)
    return E_POINTER;
  *pin = nullptr;
  std::lock_guard lock(lock_);
  std::u16string wanted = id ? std::u16string(id) : std::u16string();
  for (int i = 0; i < GetPinCount(); ++i) {
    TDSBasePin *p = GetPin(i);
    DS_ASSERT(p != nullptr);
    if (p->Name() == wanted) {
      p->AddRef();
      *pin = p;
      return S_OK;
    }
  }
  return VFW_E_NOT_FOUND;
}

HRESULT TDSBaseFilter::QueryFilterInfo(FILTER_INFO *info) {
  if (info == nullptr)
    return E_POINTER;
  media::CopyWideName(info->achName, media::MAX_FILTER_NAME, filterName_);
  info->pGraph = graph_;
  if (graph_ != nullptr)
    graph_->AddRef();
  return S_OK;
}

HRESULT TDSBaseFilter::JoinFilterGraph(IFilterGraph *graph, LPCWSTR name) {
  std::lock_guard lock(lock_);
  graph_ = graph;
  sink_ = nullptr;
  if (graph != nullptr) {
    // Kept without a reference, as the graph holds the filter: drop the one
    // QueryInterface added.
    IMediaEventSink *sink = nullptr;
    if (SUCCEEDED(graph->QueryInterface(IMediaEventSink::IID, reinterpret_cast<void **>(&sink))) &&
        sink) {
      sink_ = sink;
      sink->Release();
    } else {
      DS_ASSERT(sink == nullptr);
    }
  }
  filterName_ = name != nullptr ? std::u16string(name) : std::u16string();
  return S_OK;
}

HRESULT TDSBaseFilter::QueryVendorInfo(LPWSTR *) { return E_NOTIMPL; }

HRESULT TDSBaseFilter::NotifyEvent(LONG code, LONG_PTR p1, LONG_PTR p2) {
  IMediaEventSink *sink = sink_;
  if (sink == nullptr)
    return E_NOTIMPL;
  if (code == media::EC_COMPLETE)
    p2 = reinterpret_cast<LONG_PTR>(static_cast<IBaseFilter *>(this));
  return sink->Notify(code, p1, p2);
}

HRESULT TDSBaseFilter::ReconnectPin(IPin *pin, const AM_MEDIA_TYPE *mt) {
  IFilterGraph *graph = graph_;
  if (graph == nullptr)
    return E_NOINTERFACE;
  auto graph2 = TComPtr<media::IFilterGraph2>::Query(graph);
  if (graph2)
    return graph2->ReconnectEx(pin, mt);
  return graph->Reconnect(pin);
}

bool TDSBaseFilter::IsActive() {
  std::lock_guard lock(lock_);
  return state_.load() != media::State_Stopped;
}
