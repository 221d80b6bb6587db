#include "platform/media/Internal.h"

namespace media::detail {

using com::E_INVALIDARG;
using com::E_OUTOFMEMORY;
using com::E_POINTER;
using com::S_OK;

TMemAllocator::~TMemAllocator() {
  for (TMediaSample *s : all_)
    delete s;
}

HRESULT TMemAllocator::QueryInterface(const TGUID &iid, void **out) {
  return com::QueryInterfaceFor<IMemAllocator>(this, iid, out);
}

HRESULT TMemAllocator::SetProperties(ALLOCATOR_PROPERTIES *request, ALLOCATOR_PROPERTIES *actual) {
  if (request == nullptr || actual == nullptr)
    return E_POINTER;
  // A buffer of no bytes can carry nothing: a sender would loop forever on it.
  if (request->cbBuffer <= 0)
    return E_INVALIDARG;
  std::lock_guard<std::mutex> lock(m_);
  if (committed_)
    return VFW_E_ALREADY_COMMITTED;
  if (outstanding_ != 0)
    return VFW_E_BUFFERS_OUTSTANDING;
  ALLOCATOR_PROPERTIES p = *request;
  if (p.cBuffers <= 0)
    p.cBuffers = 1;
  if (p.cbAlign <= 0)
    p.cbAlign = 1;
  if (p.cbPrefix < 0)
    p.cbPrefix = 0;
  if (p.cBuffers > 1024)
    p.cBuffers = 1024;
  if (p.cbBuffer != props_.cbBuffer || p.cBuffers != props_.cBuffers) {
    for (TMediaSample *s : all_)
      delete s;
    all_.clear();
    free_.clear();
  }
  props_ = p;
  propsSet_ = true;
  *actual = p;
  return S_OK;
}

HRESULT TMemAllocator::GetProperties(ALLOCATOR_PROPERTIES *props) {
  if (props == nullptr)
    return E_POINTER;
  std::lock_guard<std::mutex> lock(m_);
  *props = props_;
  return S_OK;
}

HRESULT TMemAllocator::Commit() {
  std::lock_guard<std::mutex> lock(m_);
  if (!propsSet_)
    return VFW_E_SIZENOTSET;
  if (committed_)
    return S_OK;
  try {
    while (all_.size() < static_cast<size_t>(props_.cBuffers)) {
      all_.push_back(new TMediaSample(this, props_.cbBuffer));
      free_.push_back(all_.back());
    }
  } catch (const std::bad_alloc &) {
    return E_OUTOFMEMORY;
  }
  committed_ = true;
  return S_OK;
}

HRESULT TMemAllocator::Decommit() {
  {
    std::lock_guard<std::mutex> lock(m_);
    committed_ = false;
  }
  cv_.notify_all();
  return S_OK;
}

HRESULT TMemAllocator::GetBuffer(IMediaSample **sample, REFERENCE_TIME *start, REFERENCE_TIME *end,
                                 DWORD flags) {
  if (sample == nullptr)
    return E_POINTER;
  *sample = nullptr;
  TMediaSample *s = nullptr;
  {
    std::unique_lock<std::mutex> lock(m_);
    for (;;) {
      if (!committed_)
        return VFW_E_NOT_COMMITTED;
      if (!free_.empty())
        break;
      if (flags & AM_GBF_NOWAIT)
        return VFW_E_TIMEOUT;
      cv_.wait(lock);
    }
    s = free_.back();
    free_.pop_back();
    ++outstanding_;
  }
  AddRef(); // an outstanding sample keeps its allocator
  s->ResetFlags();
  if (start != nullptr)
    s->SetTime(start, end);
  s->AddRef();
  *sample = s;
  return S_OK;
}

HRESULT TMemAllocator::ReleaseBuffer(IMediaSample *sample) { return sample ? S_OK : E_POINTER; }

void TMemAllocator::ReturnSample(TMediaSample *sample) {
  {
    std::lock_guard<std::mutex> lock(m_);
    free_.push_back(sample);
    --outstanding_;
  }
  cv_.notify_one();
  Release();
}

} // namespace media::detail
