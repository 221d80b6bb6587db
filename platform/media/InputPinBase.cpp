#include "platform/media/Internal.h"

namespace media::detail {

using com::E_NOINTERFACE;
using com::E_POINTER;
using com::S_OK;

HRESULT TInputPinBase::QueryExtra(const TGUID &iid, void **out) {
  if (iid == IMemInputPin::IID) {
    *out = static_cast<IMemInputPin *>(this);
    AddRef();
    return S_OK;
  }
  return E_NOINTERFACE;
}

HRESULT TInputPinBase::GetAllocator(IMemAllocator **allocator) {
  if (allocator == nullptr)
    return E_POINTER;
  std::lock_guard<std::recursive_mutex> lock(pinLock_);
  if (!allocator_)
    allocator_ = com::MakeCom<TMemAllocator>();
  *allocator = TComPtr<IMemAllocator>(allocator_).Detach();
  return S_OK;
}

HRESULT TInputPinBase::NotifyAllocator(IMemAllocator *allocator, BOOL) {
  if (allocator == nullptr)
    return E_POINTER;
  std::lock_guard<std::recursive_mutex> lock(pinLock_);
  allocator_ = allocator;
  return S_OK;
}

HRESULT TInputPinBase::Receive(IMediaSample *sample) {
  if (sample == nullptr)
    return E_POINTER;
  if (filter_->State() == State_Stopped)
    return VFW_E_WRONG_STATE;
  return OnReceive(sample);
}

HRESULT TInputPinBase::ReceiveMultiple(IMediaSample **samples, LONG count, LONG *processed) {
  if (samples == nullptr || processed == nullptr)
    return E_POINTER;
  *processed = 0;
  HRESULT hr = S_OK;
  while (*processed < count) {
    hr = Receive(samples[*processed]);
    if (hr != S_OK)
      break;
    ++*processed;
  }
  return hr;
}

void TInputPinBase::BreakConnect() {
  std::lock_guard<std::recursive_mutex> lock(pinLock_);
  allocator_ = nullptr;
}

HRESULT TInputPinBase::Inactive() { return S_OK; }

} // namespace media::detail
