// The system's own push-source filter and its binary twin.
#include "directshow/DSBaseClass.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <limits>
#include <mutex>
#include <thread>

#include "platform/media/Media.h"

using com::TComPtr;
using media::VFW_E_NOT_CONNECTED;
using media::VFW_E_NOT_FOUND;
using media::VFW_S_NO_MORE_ITEMS;

// ---------------------------------------------------------------------------
// TDSBaseSourceFilter

TDSBaseSourceFilter::TDSBaseSourceFilter(std::string objectName, com::IUnknown *outer,
                                         const TGUID &clsid)
    : TDSBaseFilter(std::move(objectName), outer, clsid) {}

TDSBaseSourceFilter::TDSBaseSourceFilter(std::string objectName, com::IUnknown *outer,
                                         const TGUID &clsid, HRESULT *hr)
    : TDSBaseFilter(std::move(objectName), outer, clsid, hr) {}

TDSBaseSourceFilter::~TDSBaseSourceFilter() {
  std::lock_guard lock(pinsLock_);
  while (!pins_.empty())
    delete pins_.back(); // the pin's destructor takes itself out
}

HRESULT TDSBaseSourceFilter::AddPin(TDSSourceStreamPin *pin) {
  std::lock_guard lock(pinsLock_);
  pins_.push_back(pin);
  IncrementPinVersion();
  return S_OK;
}

HRESULT TDSBaseSourceFilter::RemovePin(TDSSourceStreamPin *pin) {
  std::lock_guard lock(pinsLock_);
  auto it = std::find(pins_.begin(), pins_.end(), pin);
  if (it != pins_.end()) {
    pins_.erase(it);
    IncrementPinVersion();
  }
  return S_OK;
}

int TDSBaseSourceFilter::GetPinCount() {
  std::lock_guard lock(pinsLock_);
  return static_cast<int>(pins_.size());
}

TDSBasePin *TDSBaseSourceFilter::GetPin(int index) {
  std::lock_guard lock(pinsLock_);
  if (index < 0 || index >= static_cast<int>(pins_.size()))
    return nullptr;
  return pins_[static_cast<size_t>(index)];
}

HRESULT TDSBaseSourceFilter::FindPin(LPCWSTR id, IPin **pin) {
  if (pin == nullptr)
    return E_POINTER;
  *pin = nullptr;
  std::u16string wanted = id ? std::u16string(id) : std::u16string();
  std::lock_guard lock(pinsLock_);
  for (TDSSourceStreamPin *p : pins_) {
    DS_ASSERT(p != nullptr);
    if (p->Name() == wanted) {
      IPin *ipin = static_cast<IPin *>(p);
      ipin->AddRef();
      *pin = ipin;
      return S_OK;
    }
  }
  return VFW_E_NOT_FOUND;
}

// ---------------------------------------------------------------------------
// TDSSourceStreamPin

TDSSourceStreamPin::TDSSourceStreamPin(std::string objectName, HRESULT *hr,
                                       TDSBaseSourceFilter *filter, std::u16string pinName)
    : TDSBaseOutputPin(std::move(objectName), filter, filter->Lock(), hr, std::move(pinName)),
      sourceFilter_(filter) {
  sourceFilter_->AddPin(this);
}

TDSSourceStreamPin::~TDSSourceStreamPin() { sourceFilter_->RemovePin(this); }

bool TDSSourceStreamPin::PushData(const uint8_t *data, int32_t size, REFERENCE_TIME start,
                                  REFERENCE_TIME stop, bool stamp, bool sync) {
  if (size < 0 || (size > 0 && data == nullptr))
    return false;
  if (!TakeInputPin())
    return false;
  int64_t remaining = size;
  int64_t delivered = 0;
  REFERENCE_TIME chunkStart = start;
  HRESULT last = S_OK;
  do {
    // The allocator's GetBuffer waits for a free sample and is released by
    // Decommit (the graph stopping): a refusal that no retry can cure ends
    // the call instead of waiting for ever on a pin that will never deliver.
    IMediaSample *raw = nullptr;
    HRESULT hr;
    for (;;) {
      hr = GetDeliveryBuffer(&raw, nullptr, nullptr, 0);
      if (SUCCEEDED(hr) && raw != nullptr)
        break;
      if (hr == media::VFW_E_NOT_COMMITTED || hr == E_NOINTERFACE || hr == E_POINTER ||
          !TakeInputPin())
        return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    auto sample = TComPtr<IMediaSample>::Attach(raw);
    media::BYTE *target = nullptr;
    sample->GetPointer(&target);
    int64_t room = sample->GetSize();
    // An empty delivery buffer would never take any of the data.
    if (remaining > 0 && (room <= 0 || target == nullptr))
      return false;
    int64_t n = std::min(room, remaining);
    if (n > 0)
      std::memcpy(target, data, static_cast<size_t>(n));
    data += n;
    remaining -= n;
    delivered += n;
    sample->SetActualDataLength(static_cast<LONG>(n));
    if (stamp && (start != 0 || stop != 0)) {
      int64_t whole = size == 0 ? 1 : size;
      // Wide enough for any span a 32-bit size can cut.
      REFERENCE_TIME chunkEnd =
          start +
          static_cast<REFERENCE_TIME>(static_cast<__int128>(stop - start) * delivered / whole);
      sample->SetTime(&chunkStart, &chunkEnd);
      chunkStart = chunkEnd;
      sample->SetSyncPoint(sync ? media::TRUE : media::FALSE);
    }
    last = Deliver(sample.Get());
  } while (remaining > 0);
  return SUCCEEDED(last);
}

// ---------------------------------------------------------------------------
// TDSAudioSourceStreamPin

TDSAudioSourceStreamPin::TDSAudioSourceStreamPin(std::string objectName, HRESULT *hr,
                                                 TDSBaseSourceFilter *filter,
                                                 std::u16string pinName)
    : TDSSourceStreamPin(std::move(objectName), hr, filter, std::move(pinName)) {}

void TDSAudioSourceStreamPin::SetFormat(const WAVEFORMATEXTENSIBLE &format, bool basic,
                                        int32_t bufferMs) {
  std::lock_guard lock(*lock_);
  format_ = format;
  bufferMs_ = bufferMs;
  basic_ = basic;
  if (basic) {
    format_.Format.wFormatTag = WAVE_FORMAT_PCM;
    format_.Format.cbSize = 0;
  }
}

bool TDSAudioSourceStreamPin::SendData(const void *data, int32_t size, REFERENCE_TIME start,
                                       REFERENCE_TIME stop, bool sync) {
  return PushData(static_cast<const uint8_t *>(data), size, start, stop, true, sync);
}

HRESULT TDSAudioSourceStreamPin::CheckMediaType(const AM_MEDIA_TYPE *mt) {
  if (mt == nullptr)
    return E_POINTER;
  if (mt->majortype == media::MEDIATYPE_Audio && mt->subtype == media::MEDIASUBTYPE_PCM &&
      mt->pbFormat != nullptr)
    return S_OK;
  return E_INVALIDARG;
}

HRESULT TDSAudioSourceStreamPin::GetMediaType(int position, AM_MEDIA_TYPE *mt) {
  if (mt == nullptr)
    return E_POINTER;
  std::lock_guard lock(*lock_);
  if (position < 0)
    return E_INVALIDARG;
  if (position > 0)
    return VFW_S_NO_MORE_ITEMS;
  if (mt->pUnk != nullptr) {
    mt->pUnk->Release();
    mt->pUnk = nullptr;
  }
  if (!basic_)
    return CreateAudioMediaType(&format_, mt);
  const WAVEFORMATEX &wf = format_.Format;
  mt->majortype = media::MEDIATYPE_Audio;
  if (wf.wFormatTag == WAVE_FORMAT_EXTENSIBLE) {
    mt->subtype = format_.SubFormat;
  } else {
    mt->subtype = media::MEDIASUBTYPE_PCM;
    mt->subtype.Data1 = wf.wFormatTag;
  }
  mt->formattype = media::FORMAT_WaveFormatEx;
  mt->bFixedSizeSamples = media::TRUE;
  mt->bTemporalCompression = media::FALSE;
  mt->lSampleSize = wf.nBlockAlign;
  size_t bytes =
      wf.wFormatTag == WAVE_FORMAT_PCM ? sizeof(WAVEFORMATEX) : wf.cbSize + sizeof(WAVEFORMATEX);
  mt->cbFormat = static_cast<ULONG>(bytes);
  mt->pbFormat = static_cast<media::BYTE *>(com::CoTaskMemAlloc(bytes));
  if (mt->pbFormat == nullptr)
    return E_OUTOFMEMORY;
  WAVEFORMATEXTENSIBLE copy = format_;
  if (wf.wFormatTag == WAVE_FORMAT_PCM)
    copy.Format.cbSize = 0;
  size_t known = std::min(bytes, sizeof copy);
  std::memcpy(mt->pbFormat, &copy, known);
  if (bytes > known)
    std::memset(mt->pbFormat + known, 0, bytes - known);
  return S_OK;
}

HRESULT TDSAudioSourceStreamPin::DecideBufferSize(IMemAllocator *allocator,
                                                  ALLOCATOR_PROPERTIES *properties) {
  if (allocator == nullptr || properties == nullptr)
    return E_POINTER;
  std::lock_guard lock(*lock_);
  const WAVEFORMATEX *wf = media::WaveFormatOf(mt_);
  if (wf == nullptr)
    return E_FAIL;
  properties->cBuffers = 1;
  // In 64 bits: many channels at a high rate with a long buffer pass 2^32.
  uint64_t bytes =
      uint64_t(wf->nBlockAlign) * wf->nSamplesPerSec * uint64_t(int64_t(bufferMs_) + 2) / 1000;
  if (bufferMs_ < -2 || bytes == 0 || bytes > uint64_t(std::numeric_limits<LONG>::max()))
    return E_FAIL;
  properties->cbBuffer = static_cast<LONG>(bytes);
  ALLOCATOR_PROPERTIES actual{};
  HRESULT hr = allocator->SetProperties(properties, &actual);
  if (FAILED(hr))
    return hr;
  return actual.cbBuffer < properties->cbBuffer ? E_FAIL : S_OK;
}

// ---------------------------------------------------------------------------
// TDSAudioSourceFilter

TDSAudioSourceFilter::TDSAudioSourceFilter(const std::string &filterName, const TGUID &clsid)
    : TDSBaseSourceFilter(filterName, nullptr, clsid) {
  HRESULT hr = S_OK;
  pin_ = new TDSAudioSourceStreamPin("AudioOutput", &hr, this, u"AudioOutput");
}

void TDSAudioSourceFilter::SetFormat(const WAVEFORMATEXTENSIBLE &format, bool basic,
                                     int32_t bufferMs) {
  format_ = format;
  pin_->SetFormat(format, basic, bufferMs);
}

bool TDSAudioSourceFilter::SendData(const void *data, int32_t size, REFERENCE_TIME start,
                                    REFERENCE_TIME stop, bool sync) {
  return pin_->SendData(data, size, start, stop, sync);
}

// ---------------------------------------------------------------------------
// Binary twin

TDSBinarySourceStreamPin::TDSBinarySourceStreamPin(std::string objectName, HRESULT *hr,
                                                   TDSBaseSourceFilter *filter,
                                                   std::u16string pinName)
    : TDSSourceStreamPin(std::move(objectName), hr, filter, std::move(pinName)) {}

TDSBinarySourceStreamPin::~TDSBinarySourceStreamPin() { LPDSFreeMediaFormat(stored_); }

void TDSBinarySourceStreamPin::SetMediaType(const AM_MEDIA_TYPE &mt) {
  std::lock_guard lock(*lock_);
  LPDSFreeMediaFormat(stored_);
  LPDSCopyMediaType(&stored_, &mt);
}

bool TDSBinarySourceStreamPin::SendData(const void *data, int32_t size) {
  return PushData(static_cast<const uint8_t *>(data), size, 0, 0, false, false);
}

HRESULT TDSBinarySourceStreamPin::CheckMediaType(const AM_MEDIA_TYPE *) { return S_OK; }

HRESULT TDSBinarySourceStreamPin::GetMediaType(int position, AM_MEDIA_TYPE *mt) {
  if (mt == nullptr)
    return E_POINTER;
  std::lock_guard lock(*lock_);
  if (position < 0)
    return E_INVALIDARG;
  if (position > 0)
    return VFW_S_NO_MORE_ITEMS;
  LPDSFreeMediaFormat(*mt);
  LPDSCopyMediaType(mt, &stored_);
  return S_OK;
}

HRESULT TDSBinarySourceStreamPin::DecideBufferSize(IMemAllocator *allocator,
                                                   ALLOCATOR_PROPERTIES *properties) {
  if (allocator == nullptr || properties == nullptr)
    return E_POINTER;
  std::lock_guard lock(*lock_);
  if (bufferSize_ <= 0)
    return E_FAIL;
  properties->cBuffers = 1;
  properties->cbBuffer = bufferSize_;
  ALLOCATOR_PROPERTIES actual{};
  HRESULT hr = allocator->SetProperties(properties, &actual);
  if (FAILED(hr))
    return hr;
  return actual.cbBuffer < properties->cbBuffer ? E_FAIL : S_OK;
}

TDSBinarySourceFilter::TDSBinarySourceFilter(const std::string &filterName, const TGUID &clsid)
    : TDSBaseSourceFilter(filterName, nullptr, clsid) {
  HRESULT hr = S_OK;
  pin_ = new TDSBinarySourceStreamPin("BinaryOutput", &hr, this, u"BinaryOutput");
}
