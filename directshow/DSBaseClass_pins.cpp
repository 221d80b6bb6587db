// Pins: the connection protocol, allocator negotiation, delivery and the
// enumerators of pins and media types.
#include "directshow/DSBaseClass.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include "platform/media/Media.h"

using com::TComPtr;
using media::VFW_E_ALREADY_CONNECTED;
using media::VFW_E_ENUM_OUT_OF_SYNC;
using media::VFW_E_INVALID_DIRECTION;
using media::VFW_E_NO_ACCEPTABLE_TYPES;
using media::VFW_E_NO_ALLOCATOR;
using media::VFW_E_NOT_CONNECTED;
using media::VFW_E_NOT_STOPPED;
using media::VFW_E_TYPE_NOT_ACCEPTED;

namespace {

// Failures that the negotiation does not remember as the reason.
bool IsPlainRefusal(HRESULT hr) {
  return hr == E_FAIL || hr == E_INVALIDARG || hr == VFW_E_TYPE_NOT_ACCEPTED;
}

} // namespace

// ---------------------------------------------------------------------------
// TDSBasePin

TDSBasePin::TDSBasePin(std::string objectName, TDSBaseFilter *filter, sys::TCriticalSection *lock,
                       HRESULT *, std::u16string pinName, PIN_DIRECTION dir)
    : TDSDualUnknown(std::move(objectName), nullptr), pinName_(std::move(pinName)), dir_(dir),
      lock_(lock), filter_(filter) {
  DS_ASSERT(filter != nullptr);
  DS_ASSERT(lock != nullptr);
}

TDSBasePin::~TDSBasePin() {
  // A pin dies with its filter; a connection still held here would be a
  // leaked reference on the other pin, so it is dropped rather than asserted
  // (a destructor cannot raise).
  connected_.Reset();
  LPDSFreeMediaFormat(mt_);
}

HRESULT TDSBasePin::NonDelegatingQueryInterface(const TGUID &iid, void **out) {
  if (out == nullptr)
    return E_POINTER;
  *out = nullptr;
  if (iid == IPin::IID)
    *out = static_cast<IPin *>(this);
  else if (iid == IQualityControl::IID)
    *out = static_cast<IQualityControl *>(this);
  else if (iid == com::IUnknown::IID)
    *out = static_cast<com::IUnknown *>(static_cast<TDSDualUnknown *>(this));
  else
    return E_NOINTERFACE;
  NonDelegatingAddRef();
  return S_OK;
}

uint32_t TDSBasePin::NonDelegatingAddRef() {
  int32_t n = ++pinRef_;
  DS_ASSERT(n > 0);
  return filter_->AddRef();
}

uint32_t TDSBasePin::NonDelegatingRelease() {
  int32_t n = --pinRef_;
  DS_ASSERT(n >= 0);
  // The filter may go with this call, and the pin with it: nothing after.
  return filter_->Release();
}

HRESULT TDSBasePin::Connect(IPin *receivePin, const AM_MEDIA_TYPE *mt) {
  if (receivePin == nullptr)
    return E_POINTER;
  std::lock_guard lock(*lock_);
  if (connected_)
    return VFW_E_ALREADY_CONNECTED;
  if (!IsStopped() && !canReconnectWhenActive_)
    return VFW_E_NOT_STOPPED;
  HRESULT hr = AgreeMediaType(receivePin, mt);
  if (FAILED(hr)) {
    BreakConnectChecked();
    return hr;
  }
  return S_OK;
}

void TDSBasePin::BreakConnectChecked() {
  HRESULT hr = BreakConnect();
  DS_ASSERT(SUCCEEDED(hr));
}

HRESULT TDSBasePin::AgreeMediaType(IPin *receivePin, const AM_MEDIA_TYPE *mt) {
  DS_ASSERT(receivePin != nullptr);
  if (mt != nullptr && !mt->majortype.IsNull() && !mt->formattype.IsNull())
    return AttemptConnection(receivePin, mt);
  HRESULT remembered = S_OK;
  for (int pass = 0; pass < 2; ++pass) {
    bool useOther = (pass == 0) != tryMyTypesFirst_;
    IEnumMediaTypes *raw = nullptr;
    HRESULT hr = useOther ? receivePin->EnumMediaTypes(&raw) : EnumMediaTypes(&raw);
    if (FAILED(hr) || raw == nullptr)
      continue;
    auto types = TComPtr<IEnumMediaTypes>::Attach(raw);
    hr = TryMediaTypes(receivePin, mt, types.Get());
    if (SUCCEEDED(hr))
      return S_OK;
    if (!IsPlainRefusal(hr))
      remembered = hr;
  }
  return FAILED(remembered) ? remembered : VFW_E_NO_ACCEPTABLE_TYPES;
}

HRESULT TDSBasePin::TryMediaTypes(IPin *receivePin, const AM_MEDIA_TYPE *mt,
                                  IEnumMediaTypes *types) {
  HRESULT hr = types->Reset();
  if (FAILED(hr))
    return hr;
  HRESULT remembered = S_OK;
  for (;;) {
    AM_MEDIA_TYPE *candidate = nullptr;
    ULONG fetched = 0;
    if (types->Next(1, &candidate, &fetched) != S_OK)
      break;
    DS_ASSERT(fetched == 1 && candidate != nullptr);
    HRESULT attempt = VFW_E_NO_ACCEPTABLE_TYPES;
    if (mt == nullptr || LPDSMatchMediaType(candidate, mt))
      attempt = AttemptConnection(receivePin, candidate);
    LPDSDeleteMediaType(candidate);
    if (attempt == S_OK)
      return S_OK;
    if (FAILED(attempt) && !IsPlainRefusal(attempt) && SUCCEEDED(remembered))
      remembered = attempt;
  }
  return FAILED(remembered) ? remembered : VFW_E_NO_ACCEPTABLE_TYPES;
}

HRESULT TDSBasePin::AttemptConnection(IPin *receivePin, const AM_MEDIA_TYPE *mt) {
  HRESULT hr = CheckConnect(receivePin);
  if (FAILED(hr)) {
    BreakConnectChecked();
    return hr;
  }
  hr = CheckMediaType(mt);
  if (hr == S_OK) {
    connected_ = receivePin;
    hr = SetMediaType(mt);
    if (SUCCEEDED(hr)) {
      hr = receivePin->ReceiveConnection(static_cast<IPin *>(this), mt);
      if (SUCCEEDED(hr)) {
        hr = CompleteConnect(receivePin);
        if (SUCCEEDED(hr))
          return S_OK;
        receivePin->Disconnect();
      }
    }
  } else if (SUCCEEDED(hr) || hr == E_FAIL || hr == E_INVALIDARG) {
    hr = VFW_E_TYPE_NOT_ACCEPTED;
  }
  BreakConnectChecked();
  connected_.Reset();
  return hr;
}

HRESULT TDSBasePin::ReceiveConnection(IPin *connector, const AM_MEDIA_TYPE *mt) {
  if (connector == nullptr || mt == nullptr)
    return E_POINTER;
  std::lock_guard lock(*lock_);
  if (connected_)
    return VFW_E_ALREADY_CONNECTED;
  if (!IsStopped() && !canReconnectWhenActive_)
    return VFW_E_NOT_STOPPED;
  HRESULT hr = CheckConnect(connector);
  if (FAILED(hr)) {
    BreakConnectChecked();
    return hr;
  }
  hr = CheckMediaType(mt);
  if (hr != S_OK) {
    BreakConnectChecked();
    if (SUCCEEDED(hr) || hr == E_FAIL || hr == E_INVALIDARG)
      return VFW_E_TYPE_NOT_ACCEPTED;
    return hr;
  }
  connected_ = connector;
  hr = SetMediaType(mt);
  if (SUCCEEDED(hr)) {
    hr = CompleteConnect(connector);
    if (SUCCEEDED(hr))
      return S_OK;
  }
  connected_.Reset();
  BreakConnectChecked();
  return hr;
}

HRESULT TDSBasePin::Disconnect() {
  std::lock_guard lock(*lock_);
  if (!IsStopped())
    return VFW_E_NOT_STOPPED;
  if (!connected_)
    return S_FALSE;
  HRESULT hr = BreakConnect();
  if (FAILED(hr))
    return hr;
  connected_.Reset();
  return S_OK;
}

HRESULT TDSBasePin::ConnectedTo(IPin **pin) {
  if (pin == nullptr)
    return E_POINTER;
  std::lock_guard lock(*lock_);
  *pin = nullptr;
  if (!connected_)
    return VFW_E_NOT_CONNECTED;
  connected_->AddRef();
  *pin = connected_.Get();
  return S_OK;
}

HRESULT TDSBasePin::ConnectionMediaType(AM_MEDIA_TYPE *mt) {
  if (mt == nullptr)
    return E_POINTER;
  std::lock_guard lock(*lock_);
  if (!connected_) {
    LPDSInitMediaType(mt);
    return VFW_E_NOT_CONNECTED;
  }
  LPDSCopyMediaType(mt, &mt_);
  return S_OK;
}

HRESULT TDSBasePin::QueryPinInfo(PIN_INFO *info) {
  if (info == nullptr)
    return E_POINTER;
  info->pFilter = static_cast<IBaseFilter *>(filter_);
  filter_->AddRef();
  media::CopyWideName(info->achName, media::MAX_PIN_NAME, pinName_);
  info->dir = dir_;
  return S_OK;
}

HRESULT TDSBasePin::QueryDirection(PIN_DIRECTION *dir) {
  if (dir == nullptr)
    return E_POINTER;
  *dir = dir_;
  return S_OK;
}

HRESULT TDSBasePin::QueryId(LPWSTR *id) {
  DS_ASSERT(id != nullptr);
  if (pinName_.empty()) {
    *id = nullptr;
    return S_OK;
  }
  *id = media::TaskMemWideCopy(pinName_);
  return *id ? S_OK : E_OUTOFMEMORY;
}

HRESULT TDSBasePin::QueryAccept(const AM_MEDIA_TYPE *mt) {
  HRESULT hr = CheckMediaType(mt);
  return FAILED(hr) ? S_FALSE : hr;
}

HRESULT TDSBasePin::EnumMediaTypes(IEnumMediaTypes **types) {
  if (types == nullptr)
    return E_POINTER;
  *types = com::MakeCom<TDSEnumMediaTypes>(this).Detach();
  return *types ? S_OK : E_OUTOFMEMORY;
}

HRESULT TDSBasePin::QueryInternalConnections(IPin **pins, ULONG *) {
  if (pins != nullptr)
    *pins = nullptr;
  return E_NOTIMPL;
}

HRESULT TDSBasePin::EndOfStream() { return S_OK; }

HRESULT TDSBasePin::NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) {
  segmentStart_ = start;
  segmentStop_ = stop;
  segmentRate_ = rate;
  return S_OK;
}

HRESULT TDSBasePin::Notify(IBaseFilter *, media::Quality) { return E_NOTIMPL; }

HRESULT TDSBasePin::SetSink(IQualityControl *sink) {
  std::lock_guard lock(*lock_);
  qualitySink_ = sink;
  return S_OK;
}

LONG TDSBasePin::GetMediaTypeVersion() { return typeVersion_.load(); }
HRESULT TDSBasePin::Active() { return S_OK; }

HRESULT TDSBasePin::Inactive() {
  runTimeError_ = false;
  return S_OK;
}

HRESULT TDSBasePin::Run(REFERENCE_TIME) { return S_OK; }

HRESULT TDSBasePin::SetMediaType(const AM_MEDIA_TYPE *mt) {
  LPDSFreeMediaFormat(mt_);
  LPDSCopyMediaType(&mt_, mt);
  return S_OK;
}

HRESULT TDSBasePin::CheckConnect(IPin *pin) {
  PIN_DIRECTION other;
  HRESULT hr = pin->QueryDirection(&other);
  if (FAILED(hr))
    return hr;
  DS_ASSERT(other == media::PINDIR_INPUT || other == media::PINDIR_OUTPUT);
  DS_ASSERT(dir_ == media::PINDIR_INPUT || dir_ == media::PINDIR_OUTPUT);
  return other == dir_ ? VFW_E_INVALID_DIRECTION : S_OK;
}

HRESULT TDSBasePin::BreakConnect() { return S_OK; }
HRESULT TDSBasePin::CompleteConnect(IPin *) { return S_OK; }
HRESULT TDSBasePin::GetMediaType(int, AM_MEDIA_TYPE *) { return E_UNEXPECTED; }

AM_MEDIA_TYPE TDSBasePin::GetCurrentMediaType() {
  std::lock_guard lock(*lock_);
  AM_MEDIA_TYPE copy{};
  LPDSCopyMediaType(&copy, &mt_);
  return copy;
}

// ---------------------------------------------------------------------------
// TDSBaseOutputPin

TDSBaseOutputPin::TDSBaseOutputPin(std::string objectName, TDSBaseFilter *filter,
                                   sys::TCriticalSection *lock, HRESULT *hr, std::u16string pinName)
    : TDSBasePin(std::move(objectName), filter, lock, hr, std::move(pinName),
                 media::PINDIR_OUTPUT) {}

TDSBaseOutputPin::~TDSBaseOutputPin() = default;

TComPtr<IMemAllocator> TDSBaseOutputPin::TakeAllocator() {
  std::lock_guard lock(delivery_);
  return allocator_;
}

TComPtr<IMemInputPin> TDSBaseOutputPin::TakeInputPin() {
  std::lock_guard lock(delivery_);
  return inputPin_;
}

HRESULT TDSBaseOutputPin::CheckConnect(IPin *pin) {
  HRESULT hr = TDSBasePin::CheckConnect(pin);
  if (FAILED(hr))
    return hr;
  TComPtr<IMemInputPin> input;
  hr = pin->QueryInterface(IMemInputPin::IID, input.PutVoid());
  if (FAILED(hr))
    return hr;
  std::lock_guard lock(delivery_);
  inputPin_ = input;
  return S_OK;
}

HRESULT TDSBaseOutputPin::CompleteConnect(IPin *) {
  TComPtr<IMemInputPin> input = TakeInputPin();
  if (!input)
    return E_UNEXPECTED;
  TComPtr<IMemAllocator> allocator;
  HRESULT hr = DecideAllocator(input.Get(), allocator);
  std::lock_guard lock(delivery_);
  allocator_ = allocator;
  return hr;
}

HRESULT TDSBaseOutputPin::BreakConnect() {
  TComPtr<IMemAllocator> allocator = TakeAllocator();
  if (allocator) {
    HRESULT hr = allocator->Decommit();
    if (FAILED(hr))
      return hr;
  }
  std::lock_guard lock(delivery_);
  allocator_.Reset();
  inputPin_.Reset();
  return S_OK;
}

HRESULT TDSBaseOutputPin::Active() {
  TComPtr<IMemAllocator> allocator = TakeAllocator();
  if (!allocator)
    return VFW_E_NO_ALLOCATOR;
  return allocator->Commit();
}

HRESULT TDSBaseOutputPin::Inactive() {
  runTimeError_ = false;
  TComPtr<IMemAllocator> allocator = TakeAllocator();
  if (!allocator)
    return VFW_E_NO_ALLOCATOR;
  return allocator->Decommit();
}

HRESULT TDSBaseOutputPin::DecideAllocator(IMemInputPin *pin, TComPtr<IMemAllocator> &allocator) {
  allocator.Reset();
  ALLOCATOR_PROPERTIES props{};
  pin->GetAllocatorRequirements(&props);
  if (props.cbAlign == 0)
    props.cbAlign = 1;
  HRESULT hr = pin->GetAllocator(reinterpret_cast<IMemAllocator **>(allocator.PutVoid()));
  if (SUCCEEDED(hr) && allocator) {
    hr = DecideBufferSize(allocator.Get(), &props);
    if (SUCCEEDED(hr)) {
      hr = pin->NotifyAllocator(allocator.Get(), media::FALSE);
      if (SUCCEEDED(hr))
        return S_OK;
    }
  }
  allocator.Reset();
  hr = InitAllocator(allocator);
  if (SUCCEEDED(hr) && allocator) {
    hr = DecideBufferSize(allocator.Get(), &props);
    if (SUCCEEDED(hr)) {
      hr = pin->NotifyAllocator(allocator.Get(), media::FALSE);
      if (SUCCEEDED(hr))
        return S_OK;
    }
  }
  allocator.Reset();
  return FAILED(hr) ? hr : E_FAIL;
}

HRESULT TDSBaseOutputPin::DecideBufferSize(IMemAllocator *, ALLOCATOR_PROPERTIES *) { return S_OK; }

HRESULT TDSBaseOutputPin::InitAllocator(TComPtr<IMemAllocator> &allocator) {
  return media::CoCreateInstance(media::CLSID_MemoryAllocator, nullptr, com::CLSCTX_INPROC_SERVER,
                                 IMemAllocator::IID, allocator.PutVoid());
}

HRESULT TDSBaseOutputPin::GetDeliveryBuffer(IMediaSample **sample, REFERENCE_TIME *start,
                                            REFERENCE_TIME *stop, DWORD flags) {
  if (sample == nullptr)
    return E_POINTER;
  *sample = nullptr;
  TComPtr<IMemAllocator> allocator = TakeAllocator();
  if (!allocator)
    return E_NOINTERFACE;
  return allocator->GetBuffer(sample, start, stop, flags);
}

HRESULT TDSBaseOutputPin::Deliver(IMediaSample *sample) {
  TComPtr<IMemInputPin> input = TakeInputPin();
  if (!input)
    return VFW_E_NOT_CONNECTED;
  return input->Receive(sample);
}

HRESULT TDSBaseOutputPin::DeliverEndOfStream() {
  TComPtr<IPin> other = connected_;
  return other ? other->EndOfStream() : VFW_E_NOT_CONNECTED;
}
HRESULT TDSBaseOutputPin::DeliverBeginFlush() {
  TComPtr<IPin> other = connected_;
  return other ? other->BeginFlush() : VFW_E_NOT_CONNECTED;
}
HRESULT TDSBaseOutputPin::DeliverEndFlush() {
  TComPtr<IPin> other = connected_;
  return other ? other->EndFlush() : VFW_E_NOT_CONNECTED;
}
HRESULT TDSBaseOutputPin::DeliverNewSegment(REFERENCE_TIME start, REFERENCE_TIME stop,
                                            double rate) {
  TComPtr<IPin> other = connected_;
  return other ? other->NewSegment(start, stop, rate) : VFW_E_NOT_CONNECTED;
}

HRESULT TDSBaseOutputPin::EndOfStream() { return E_UNEXPECTED; }
HRESULT TDSBaseOutputPin::BeginFlush() { return E_UNEXPECTED; }
HRESULT TDSBaseOutputPin::EndFlush() { return E_UNEXPECTED; }

// ---------------------------------------------------------------------------
// TDSEnumPins

TDSEnumPins::TDSEnumPins(TDSBaseFilter *filter, const TDSEnumPins *source) : filter_(filter) {
  filter_->AddRef();
  if (source != nullptr) {
    position_ = source->position_;
    pinCount_ = source->pinCount_;
    version_ = source->version_;
    handedOut_ = source->handedOut_;
  } else {
    version_ = filter_->GetPinVersion();
    pinCount_ = filter_->GetPinCount();
  }
}

TDSEnumPins::~TDSEnumPins() { filter_->Release(); }

void TDSEnumPins::Refresh() {
  version_ = filter_->GetPinVersion();
  pinCount_ = filter_->GetPinCount();
  position_ = 0;
}

HRESULT TDSEnumPins::Next(ULONG count, IPin **pins, ULONG *fetched) {
  if (pins == nullptr)
    return E_POINTER;
  pins[0] = nullptr;
  if (fetched != nullptr)
    *fetched = 0;
  else if (count > 1)
    return E_INVALIDARG;
  if (AreWeOutOfSync())
    Refresh();
  ULONG wanted = std::min<ULONG>(count, static_cast<ULONG>(std::max(0, pinCount_ - position_)));
  if (wanted == 0)
    return S_FALSE;
  ULONG handed = 0;
  while (handed < wanted && position_ < pinCount_) {
    TDSBasePin *pin = filter_->GetPin(position_++);
    if (pin == nullptr) {
      DS_ASSERT(handed == 0);
      return VFW_E_ENUM_OUT_OF_SYNC;
    }
    IPin *ipin = static_cast<IPin *>(pin);
    if (std::find(handedOut_.begin(), handedOut_.end(), ipin) != handedOut_.end())
      continue;
    ipin->AddRef();
    pins[handed++] = ipin;
    handedOut_.push_back(ipin);
  }
  if (fetched != nullptr)
    *fetched = handed;
  return handed == count ? S_OK : S_FALSE;
}

HRESULT TDSEnumPins::Skip(ULONG count) {
  if (AreWeOutOfSync())
    return VFW_E_ENUM_OUT_OF_SYNC;
  if (static_cast<int64_t>(count) > pinCount_ - position_)
    return S_FALSE;
  position_ += static_cast<int>(count);
  return S_OK;
}

HRESULT TDSEnumPins::Reset() {
  Refresh();
  handedOut_.clear();
  return S_OK;
}

HRESULT TDSEnumPins::Clone(IEnumPins **clone) {
  if (clone == nullptr)
    return E_POINTER;
  *clone = nullptr;
  if (AreWeOutOfSync())
    return VFW_E_ENUM_OUT_OF_SYNC;
  *clone = com::MakeCom<TDSEnumPins>(filter_, this).Detach();
  return *clone ? S_OK : E_OUTOFMEMORY;
}

// ---------------------------------------------------------------------------
// TDSEnumMediaTypes

TDSEnumMediaTypes::TDSEnumMediaTypes(TDSBasePin *pin, const TDSEnumMediaTypes *source) : pin_(pin) {
  pin_->AddRef();
  if (source != nullptr) {
    position_ = source->position_;
    version_ = source->version_;
  } else {
    version_ = pin_->GetMediaTypeVersion();
  }
}

TDSEnumMediaTypes::~TDSEnumMediaTypes() { pin_->Release(); }

HRESULT TDSEnumMediaTypes::Next(ULONG count, AM_MEDIA_TYPE **types, ULONG *fetched) {
  if (types == nullptr)
    return E_POINTER;
  if (AreWeOutOfSync())
    return VFW_E_ENUM_OUT_OF_SYNC;
  if (fetched != nullptr)
    *fetched = 0;
  else if (count > 1)
    return E_INVALIDARG;
  ULONG got = 0;
  while (got < count) {
    AM_MEDIA_TYPE scratch;
    LPDSInitMediaType(&scratch);
    HRESULT hr = pin_->GetMediaType(position_++, &scratch);
    if (hr != S_OK) {
      LPDSFreeMediaFormat(scratch);
      break;
    }
    auto *record = static_cast<AM_MEDIA_TYPE *>(com::CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
    if (record == nullptr) {
      LPDSFreeMediaFormat(scratch);
      break;
    }
    *record = scratch; // the format block and pUnk move with it
    types[got++] = record;
  }
  if (fetched != nullptr)
    *fetched = got;
  return got == count ? S_OK : S_FALSE;
}

HRESULT TDSEnumMediaTypes::Skip(ULONG count) {
  if (count == 0)
    return S_OK;
  if (AreWeOutOfSync())
    return VFW_E_ENUM_OUT_OF_SYNC;
  position_ += static_cast<int>(count);
  AM_MEDIA_TYPE scratch;
  LPDSInitMediaType(&scratch);
  HRESULT hr = pin_->GetMediaType(position_ - 1, &scratch);
  LPDSFreeMediaFormat(scratch);
  return hr == S_OK ? S_OK : S_FALSE;
}

HRESULT TDSEnumMediaTypes::Reset() {
  position_ = 0;
  version_ = pin_->GetMediaTypeVersion();
  return S_OK;
}

HRESULT TDSEnumMediaTypes::Clone(IEnumMediaTypes **clone) {
  if (clone == nullptr)
    return E_POINTER;
  *clone = nullptr;
  if (AreWeOutOfSync())
    return VFW_E_ENUM_OUT_OF_SYNC;
  *clone = com::MakeCom<TDSEnumMediaTypes>(pin_, this).Detach();
  return *clone ? S_OK : E_OUTOFMEMORY;
}
