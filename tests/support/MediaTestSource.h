// A device moniker by name and a push source of our own, for the media stand-in's
// tests and the benchmark that renders through it. No test framework here: the
// benchmark includes it too.
#pragma once

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/media/Internal.h"
#include "platform/media/Media.h"

namespace mediatest {

using namespace media;

inline TComPtr<IMoniker> Moniker(const TGUID &category, const std::string &id) {
  TComPtr<IMoniker> m;
  std::u16string name = Utf8ToWide(DeviceDisplayName(category, id));
  MkParseDisplayName(nullptr, name.c_str(), nullptr, reinterpret_cast<IMoniker **>(m.PutVoid()));
  return m;
}

// A push source of our own: one output pin offering one format, buffers of
// a fixed size; Push cuts data into samples and delivers them.
class TTestSource;

class TTestSourcePin final : public detail::TOutputPinBase {
public:
  TTestSourcePin(detail::TFilterBase *f, WAVEFORMATEX format, LONG bufferBytes)
      : TOutputPinBase(f, u"AudioOutput"), format_(format), bufferBytes_(bufferBytes) {}
  HRESULT CheckMediaType(const AM_MEDIA_TYPE *mt) override {
    return mt && mt->majortype == MEDIATYPE_Audio && mt->formattype == FORMAT_WaveFormatEx
               ? com::S_OK
               : VFW_E_TYPE_NOT_ACCEPTED;
  }
  HRESULT GetMediaType(int position, AM_MEDIA_TYPE *mt) override {
    if (position != 0)
      return VFW_S_NO_MORE_ITEMS;
    return AudioMediaTypeFromFormat(&format_, mt);
  }
  HRESULT DecideBufferSize(IMemAllocator *a, ALLOCATOR_PROPERTIES *) override {
    ALLOCATOR_PROPERTIES want{1, bufferBytes_, 1, 0}, got{};
    HRESULT hr = a->SetProperties(&want, &got);
    return FAILED(hr) ? hr : (got.cbBuffer < bufferBytes_ ? com::E_FAIL : com::S_OK);
  }
  // Returns the first failure of GetBuffer or Deliver.
  HRESULT Push(const uint8_t *data, size_t size) {
    while (size > 0) {
      TComPtr<IMediaSample> s;
      TComPtr<IMemAllocator> a = Allocator();
      if (!a)
        return VFW_E_NOT_CONNECTED;
      HRESULT hr =
          a->GetBuffer(reinterpret_cast<IMediaSample **>(s.PutVoid()), nullptr, nullptr, 0);
      if (FAILED(hr))
        return hr;
      BYTE *p = nullptr;
      s->GetPointer(&p);
      size_t n = std::min<size_t>(size, static_cast<size_t>(s->GetSize()));
      std::memcpy(p, data, n);
      s->SetActualDataLength(static_cast<LONG>(n));
      data += n;
      size -= n;
      if (FAILED(hr = Deliver(s.Get())))
        return hr;
    }
    return com::S_OK;
  }

private:
  WAVEFORMATEX format_;
  LONG bufferBytes_;
};

class TTestSource final : public detail::TFilterBase {
public:
  TTestSource(WAVEFORMATEX format, LONG bufferBytes) : TFilterBase(GUID_NULL) {
    pins_.push_back(std::make_unique<TTestSourcePin>(this, format, bufferBytes));
  }
  TTestSourcePin *Pin() { return static_cast<TTestSourcePin *>(pins_[0].get()); }
};

} // namespace mediatest
