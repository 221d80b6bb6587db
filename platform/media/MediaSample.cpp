#include "platform/media/Internal.h"

namespace media::detail {

using com::E_OUTOFMEMORY;
using com::E_POINTER;
using com::S_FALSE;
using com::S_OK;

TMediaSample::TMediaSample(TMemAllocator *owner, LONG size)
    : owner_(owner), data_(static_cast<size_t>(size)), size_(size) {}

TMediaSample::~TMediaSample() { DeleteMediaType(type_); }

HRESULT TMediaSample::QueryInterface(const TGUID &iid, void **out) {
  return com::QueryInterfaceFor<IMediaSample>(this, iid, out);
}

// Samples are pooled: the allocator holds them with a count of 0; the last
// outside reference going returns the sample to the pool instead of freeing it.
uint32_t TMediaSample::AddRef() { return outstanding_.fetch_add(1, std::memory_order_relaxed) + 1; }

uint32_t TMediaSample::Release() {
  uint32_t n = outstanding_.fetch_sub(1, std::memory_order_acq_rel) - 1;
  if (n == 0) {
    if (owner_ != nullptr)
      owner_->ReturnSample(this); // may free the allocator and with it this sample
    else
      delete this;
  }
  return n;
}

HRESULT TMediaSample::GetPointer(BYTE **buffer) {
  if (buffer == nullptr)
    return E_POINTER;
  *buffer = data_.data();
  return S_OK;
}

HRESULT TMediaSample::GetTime(REFERENCE_TIME *start, REFERENCE_TIME *end) {
  if (!timeValid_)
    return VFW_E_SAMPLE_TIME_NOT_SET;
  if (start)
    *start = start_;
  if (end)
    *end = stopValid_ ? stop_ : start_ + 1;
  return stopValid_ ? S_OK : VFW_S_NO_STOP_TIME;
}

HRESULT TMediaSample::SetTime(REFERENCE_TIME *start, REFERENCE_TIME *end) {
  timeValid_ = start != nullptr;
  stopValid_ = start != nullptr && end != nullptr;
  start_ = start ? *start : 0;
  stop_ = end ? *end : 0;
  return S_OK;
}

HRESULT TMediaSample::SetSyncPoint(BOOL sync) {
  sync_ = sync != FALSE;
  return S_OK;
}
HRESULT TMediaSample::SetPreroll(BOOL preroll) {
  preroll_ = preroll != FALSE;
  return S_OK;
}
HRESULT TMediaSample::SetDiscontinuity(BOOL discontinuity) {
  discontinuity_ = discontinuity != FALSE;
  return S_OK;
}

HRESULT TMediaSample::SetActualDataLength(LONG length) {
  if (length < 0 || length > size_)
    return VFW_E_BUFFER_OVERFLOW;
  actual_ = length;
  return S_OK;
}

HRESULT TMediaSample::GetMediaType(AM_MEDIA_TYPE **mt) {
  if (mt == nullptr)
    return E_POINTER;
  *mt = nullptr;
  if (type_ == nullptr)
    return S_FALSE;
  *mt = CreateMediaType(type_);
  return *mt ? S_OK : E_OUTOFMEMORY;
}

HRESULT TMediaSample::SetMediaType(AM_MEDIA_TYPE *mt) {
  DeleteMediaType(type_);
  type_ = nullptr;
  if (mt == nullptr)
    return S_OK;
  type_ = CreateMediaType(mt);
  return type_ ? S_OK : E_OUTOFMEMORY;
}

HRESULT TMediaSample::GetMediaTime(int64_t *, int64_t *) { return VFW_E_MEDIA_TIME_NOT_SET; }
HRESULT TMediaSample::SetMediaTime(int64_t *, int64_t *) { return S_OK; }

void TMediaSample::ResetFlags() {
  actual_ = 0;
  timeValid_ = stopValid_ = sync_ = preroll_ = discontinuity_ = false;
  start_ = stop_ = 0;
  DeleteMediaType(type_);
  type_ = nullptr;
}

} // namespace media::detail
