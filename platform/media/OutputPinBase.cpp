#include "platform/media/Internal.h"

namespace media::detail {

using com::E_NOINTERFACE;
using com::FAILED;
using com::S_OK;

HRESULT TOutputPinBase::CompleteConnect(IPin *receivePin) {
  TComPtr<IMemInputPin> input = TComPtr<IMemInputPin>::Query(receivePin);
  if (!input)
    return E_NOINTERFACE;
  ALLOCATOR_PROPERTIES props{};
  input->GetAllocatorRequirements(&props);
  if (props.cbAlign == 0)
    props.cbAlign = 1;
  TComPtr<IMemAllocator> allocator;
  HRESULT hr = input->GetAllocator(reinterpret_cast<IMemAllocator **>(allocator.PutVoid()));
  if (SUCCEEDED(hr) && allocator) {
    ALLOCATOR_PROPERTIES request = props;
    hr = DecideBufferSize(allocator.Get(), &request);
    if (SUCCEEDED(hr))
      hr = input->NotifyAllocator(allocator.Get(), FALSE);
  }
  if (FAILED(hr) || !allocator) {
    allocator = com::MakeCom<TMemAllocator>();
    ALLOCATOR_PROPERTIES request = props;
    hr = DecideBufferSize(allocator.Get(), &request);
    if (SUCCEEDED(hr))
      hr = input->NotifyAllocator(allocator.Get(), FALSE);
  }
  if (FAILED(hr))
    return hr;
  std::lock_guard<std::recursive_mutex> lock(pinLock_);
  allocator_ = allocator;
  input_ = input;
  return S_OK;
}

void TOutputPinBase::BreakConnect() {
  std::lock_guard<std::recursive_mutex> lock(pinLock_);
  if (allocator_)
    allocator_->Decommit();
  allocator_ = nullptr;
  input_ = nullptr;
}

HRESULT TOutputPinBase::Active() {
  TComPtr<IMemAllocator> a = Allocator();
  return a ? a->Commit() : VFW_E_NO_ALLOCATOR;
}

HRESULT TOutputPinBase::Inactive() {
  TComPtr<IMemAllocator> a = Allocator();
  return a ? a->Decommit() : VFW_E_NO_ALLOCATOR;
}

TComPtr<IMemAllocator> TOutputPinBase::Allocator() const {
  std::lock_guard<std::recursive_mutex> lock(pinLock_);
  return allocator_;
}

HRESULT TOutputPinBase::Deliver(IMediaSample *sample) {
  TComPtr<IMemInputPin> input;
  {
    std::lock_guard<std::recursive_mutex> lock(pinLock_);
    input = input_;
  }
  return input ? input->Receive(sample) : VFW_E_NOT_CONNECTED;
}

} // namespace media::detail
