#include "platform/media/Internal.h"

namespace media::detail {

using com::E_INVALIDARG;
using com::E_OUTOFMEMORY;
using com::E_POINTER;
using com::FAILED;
using com::S_FALSE;
using com::S_OK;

TPinBase::TPinBase(TFilterBase *filter, std::u16string name, PIN_DIRECTION dir)
    : filter_(filter), name_(std::move(name)), dir_(dir) {}

TPinBase::~TPinBase() { FreeMediaType(mt_); }

HRESULT TPinBase::QueryInterface(const TGUID &iid, void **out) {
  if (out == nullptr)
    return E_POINTER;
  *out = nullptr;
  if (iid == IUnknown::IID || iid == IPin::IID) {
    *out = static_cast<IPin *>(this);
    AddRef();
    return S_OK;
  }
  return QueryExtra(iid, out);
}

uint32_t TPinBase::AddRef() { return filter_->AddRef(); }
uint32_t TPinBase::Release() { return filter_->Release(); }

bool TPinBase::IsConnected() const {
  std::lock_guard<std::recursive_mutex> lock(pinLock_);
  return connected_ != nullptr;
}

TComPtr<IPin> TPinBase::Connected() const {
  std::lock_guard<std::recursive_mutex> lock(pinLock_);
  return connected_;
}

AM_MEDIA_TYPE TPinBase::ConnectionType() const {
  std::lock_guard<std::recursive_mutex> lock(pinLock_);
  return mt_;
}

void TPinBase::SetConnection(IPin *pin, const AM_MEDIA_TYPE *mt) {
  std::lock_guard<std::recursive_mutex> lock(pinLock_);
  connected_ = pin;
  FreeMediaType(mt_);
  CopyMediaType(&mt_, mt);
}

void TPinBase::ClearConnection() {
  std::lock_guard<std::recursive_mutex> lock(pinLock_);
  connected_ = nullptr;
  FreeMediaType(mt_);
  ZeroMediaType(mt_);
}

HRESULT TPinBase::GetMediaType(int, AM_MEDIA_TYPE *) { return VFW_S_NO_MORE_ITEMS; }

HRESULT TPinBase::AttemptConnection(IPin *receivePin, const AM_MEDIA_TYPE *mt) {
  if (CheckMediaType(mt) != S_OK)
    return VFW_E_TYPE_NOT_ACCEPTED;
  SetConnection(receivePin, mt);
  HRESULT hr = receivePin->ReceiveConnection(this, mt);
  if (FAILED(hr)) {
    ClearConnection();
    return hr;
  }
  hr = CompleteConnect(receivePin);
  if (FAILED(hr)) {
    receivePin->Disconnect();
    BreakConnect();
    ClearConnection();
    return hr;
  }
  return S_OK;
}

HRESULT TPinBase::Connect(IPin *receivePin, const AM_MEDIA_TYPE *mt) {
  if (receivePin == nullptr)
    return E_POINTER;
  std::lock_guard<std::recursive_mutex> flock(filter_->Lock());
  if (IsConnected())
    return VFW_E_ALREADY_CONNECTED;
  if (filter_->State() != State_Stopped)
    return VFW_E_NOT_STOPPED;
  PIN_DIRECTION other;
  if (FAILED(receivePin->QueryDirection(&other)) || other == dir_)
    return VFW_E_INVALID_DIRECTION;
  if (mt != nullptr && !mt->majortype.IsNull() && !mt->formattype.IsNull())
    return AttemptConnection(receivePin, mt);
  HRESULT last = VFW_E_NO_ACCEPTABLE_TYPES;
  // Our own types first, then the receiver's.
  for (int i = 0;; ++i) {
    AM_MEDIA_TYPE t{};
    if (GetMediaType(i, &t) != S_OK) {
      FreeMediaType(t);
      break;
    }
    HRESULT hr = (mt == nullptr || MediaTypeMatches(t, *mt)) ? AttemptConnection(receivePin, &t)
                                                             : VFW_E_NO_ACCEPTABLE_TYPES;
    FreeMediaType(t);
    if (hr == S_OK)
      return S_OK;
    if (hr != com::E_FAIL && hr != E_INVALIDARG && hr != VFW_E_TYPE_NOT_ACCEPTED)
      last = hr;
  }
  TComPtr<IEnumMediaTypes> types;
  if (SUCCEEDED(
          receivePin->EnumMediaTypes(reinterpret_cast<IEnumMediaTypes **>(types.PutVoid()))) &&
      types) {
    AM_MEDIA_TYPE *t = nullptr;
    ULONG got = 0;
    while (types->Next(1, &t, &got) == S_OK && got == 1) {
      HRESULT hr = (mt == nullptr || MediaTypeMatches(*t, *mt)) ? AttemptConnection(receivePin, t)
                                                                : VFW_E_NO_ACCEPTABLE_TYPES;
      DeleteMediaType(t);
      if (hr == S_OK)
        return S_OK;
      if (hr != com::E_FAIL && hr != E_INVALIDARG && hr != VFW_E_TYPE_NOT_ACCEPTED)
        last = hr;
    }
  }
  return last;
}

HRESULT TPinBase::ReceiveConnection(IPin *connector, const AM_MEDIA_TYPE *mt) {
  if (connector == nullptr || mt == nullptr)
    return E_POINTER;
  std::lock_guard<std::recursive_mutex> flock(filter_->Lock());
  if (IsConnected())
    return VFW_E_ALREADY_CONNECTED;
  if (filter_->State() != State_Stopped)
    return VFW_E_NOT_STOPPED;
  PIN_DIRECTION other;
  if (FAILED(connector->QueryDirection(&other)) || other == dir_)
    return VFW_E_INVALID_DIRECTION;
  if (CheckMediaType(mt) != S_OK)
    return VFW_E_TYPE_NOT_ACCEPTED;
  SetConnection(connector, mt);
  HRESULT hr = CompleteConnect(connector);
  if (FAILED(hr)) {
    BreakConnect();
    ClearConnection();
  }
  return hr;
}

HRESULT TPinBase::Disconnect() {
  std::lock_guard<std::recursive_mutex> flock(filter_->Lock());
  if (filter_->State() != State_Stopped)
    return VFW_E_NOT_STOPPED;
  if (!IsConnected())
    return S_FALSE;
  BreakConnect();
  ClearConnection();
  return S_OK;
}

HRESULT TPinBase::ConnectedTo(IPin **pin) {
  if (pin == nullptr)
    return E_POINTER;
  TComPtr<IPin> c = Connected();
  *pin = c.Detach();
  return *pin ? S_OK : VFW_E_NOT_CONNECTED;
}

HRESULT TPinBase::ConnectionMediaType(AM_MEDIA_TYPE *mt) {
  if (mt == nullptr)
    return E_POINTER;
  std::lock_guard<std::recursive_mutex> lock(pinLock_);
  ZeroMediaType(*mt);
  if (!connected_)
    return VFW_E_NOT_CONNECTED;
  return CopyMediaType(mt, &mt_);
}

HRESULT TPinBase::QueryPinInfo(PIN_INFO *info) {
  if (info == nullptr)
    return E_POINTER;
  info->pFilter = filter_;
  filter_->AddRef();
  info->dir = dir_;
  CopyWideName(info->achName, MAX_PIN_NAME, name_);
  return S_OK;
}

HRESULT TPinBase::QueryDirection(PIN_DIRECTION *dir) {
  if (dir == nullptr)
    return E_POINTER;
  *dir = dir_;
  return S_OK;
}

HRESULT TPinBase::QueryId(LPWSTR *id) {
  if (id == nullptr)
    return E_POINTER;
  *id = TaskMemWideCopy(name_);
  return *id ? S_OK : E_OUTOFMEMORY;
}

HRESULT TPinBase::QueryAccept(const AM_MEDIA_TYPE *mt) {
  return CheckMediaType(mt) == S_OK ? S_OK : S_FALSE;
}

HRESULT TPinBase::EnumMediaTypes(IEnumMediaTypes **types) {
  if (types == nullptr)
    return E_POINTER;
  std::vector<AM_MEDIA_TYPE> list;
  for (int i = 0;; ++i) {
    AM_MEDIA_TYPE t{};
    if (GetMediaType(i, &t) != S_OK) {
      FreeMediaType(t);
      break;
    }
    list.push_back(t);
  }
  *types = com::MakeCom<TEnumMediaTypesSnapshot>(list).Detach();
  for (AM_MEDIA_TYPE &t : list)
    FreeMediaType(t);
  return S_OK;
}

HRESULT TPinBase::QueryInternalConnections(IPin **, ULONG *) { return com::E_NOTIMPL; }

} // namespace media::detail
