#include "platform/media/MediaTypes.h"

#include <cerrno>
#include <cstring>

namespace media {

std::string ResultReason(HRESULT hr) {
  switch (ErrnoFromHResult(hr)) {
  case EBUSY:
    return "The device is in use by another program.";
  case ENODEV:
  case ENOENT:
  case ENXIO:
    return "The device is not connected.";
  case EIO:
    return "The device stopped working; it may have been unplugged.";
  case EINVAL:
    return "The device does not accept this audio format.";
  default:
    break;
  }
  switch (hr) {
  case VFW_E_TYPE_NOT_ACCEPTED:
  case VFW_E_NO_ACCEPTABLE_TYPES:
  case VFW_E_INVALIDMEDIATYPE:
    return "The device does not accept this audio format.";
  default:
    return "";
  }
}

std::string ResultText(HRESULT hr) {
  if (int err = ErrnoFromHResult(hr)) {
    switch (err) {
    case EBUSY:
      return "device busy";
    case ENODEV:
    case ENOENT:
    case ENXIO:
      return "device not found";
    case EIO:
      return "device lost";
    default:
      return std::strerror(err);
    }
  }
  switch (hr) {
  case com::S_OK:
    return "success";
  case com::E_NOTIMPL:
    return "not implemented";
  case com::E_OUTOFMEMORY:
    return "out of memory";
  case com::E_INVALIDARG:
    return "invalid argument";
  case VFW_E_NOT_CONNECTED:
    return "pin not connected";
  case VFW_E_NOT_COMMITTED:
    return "allocator not committed";
  case VFW_E_TYPE_NOT_ACCEPTED:
    return "media type not accepted";
  case VFW_E_NO_AUDIO_HARDWARE:
    return "no audio hardware";
  case REGDB_E_CLASSNOTREG:
    return "class not registered";
  default:
    break;
  }
  char text[32];
  std::snprintf(text, sizeof text, "error %08X", static_cast<uint32_t>(hr));
  return text;
}

void ZeroMediaType(AM_MEDIA_TYPE &mt) { mt = AM_MEDIA_TYPE{}; }

void FreeMediaType(AM_MEDIA_TYPE &mt) {
  if (mt.cbFormat != 0 || mt.pbFormat != nullptr) {
    com::CoTaskMemFree(mt.pbFormat);
    mt.cbFormat = 0;
    mt.pbFormat = nullptr;
  }
  if (mt.pUnk != nullptr) {
    mt.pUnk->Release();
    mt.pUnk = nullptr;
  }
}

HRESULT CopyMediaType(AM_MEDIA_TYPE *target, const AM_MEDIA_TYPE *source) {
  if (target == nullptr || source == nullptr)
    return com::E_POINTER;
  *target = *source;
  target->pbFormat = nullptr;
  if (source->cbFormat != 0 && source->pbFormat != nullptr) {
    target->pbFormat = static_cast<BYTE *>(com::CoTaskMemAlloc(source->cbFormat));
    if (target->pbFormat == nullptr) {
      target->cbFormat = 0;
      return com::E_OUTOFMEMORY;
    }
    std::memcpy(target->pbFormat, source->pbFormat, source->cbFormat);
  } else {
    target->cbFormat = 0;
  }
  if (target->pUnk != nullptr)
    target->pUnk->AddRef();
  return com::S_OK;
}

AM_MEDIA_TYPE *CreateMediaType(const AM_MEDIA_TYPE *source) {
  auto *mt = static_cast<AM_MEDIA_TYPE *>(com::CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
  if (mt == nullptr)
    return nullptr;
  ZeroMediaType(*mt);
  if (source != nullptr && com::FAILED(CopyMediaType(mt, source))) {
    FreeMediaType(*mt);
    com::CoTaskMemFree(mt);
    return nullptr;
  }
  return mt;
}

void DeleteMediaType(AM_MEDIA_TYPE *mt) {
  if (mt == nullptr)
    return;
  FreeMediaType(*mt);
  com::CoTaskMemFree(mt);
}

const WAVEFORMATEX *WaveFormatOf(const AM_MEDIA_TYPE &mt) {
  if (mt.formattype != FORMAT_WaveFormatEx || mt.pbFormat == nullptr ||
      mt.cbFormat < sizeof(WAVEFORMATEX))
    return nullptr;
  return reinterpret_cast<const WAVEFORMATEX *>(mt.pbFormat);
}

HRESULT AudioMediaTypeFromFormat(const WAVEFORMATEX *format, AM_MEDIA_TYPE *mt) {
  if (format == nullptr || mt == nullptr)
    return com::E_POINTER;
  WAVEFORMATEX wf;
  std::memcpy(&wf, format, sizeof wf);
  ULONG size = sizeof(WAVEFORMATEX) + (wf.wFormatTag == WAVE_FORMAT_PCM ? 0 : wf.cbSize);
  ZeroMediaType(*mt);
  mt->majortype = MEDIATYPE_Audio;
  mt->subtype = MEDIASUBTYPE_PCM;
  if (wf.wFormatTag == WAVE_FORMAT_IEEE_FLOAT)
    mt->subtype = MEDIASUBTYPE_IEEE_FLOAT;
  if (wf.wFormatTag == WAVE_FORMAT_EXTENSIBLE && wf.cbSize >= WAVEFORMATEXTENSIBLE_EXTRA) {
    WAVEFORMATEXTENSIBLE ext;
    std::memcpy(static_cast<void *>(&ext), format, sizeof ext);
    std::memcpy(static_cast<void *>(&mt->subtype),
                reinterpret_cast<const char *>(&ext) + offsetof(WAVEFORMATEXTENSIBLE, SubFormat),
                sizeof(TGUID));
  }
  mt->bFixedSizeSamples = TRUE;
  mt->bTemporalCompression = FALSE;
  mt->lSampleSize = wf.nBlockAlign;
  mt->formattype = FORMAT_WaveFormatEx;
  mt->pbFormat = static_cast<BYTE *>(com::CoTaskMemAlloc(size));
  if (mt->pbFormat == nullptr)
    return com::E_OUTOFMEMORY;
  std::memcpy(mt->pbFormat, format, size);
  if (wf.wFormatTag == WAVE_FORMAT_PCM)
    reinterpret_cast<WAVEFORMATEX *>(mt->pbFormat)->cbSize = 0;
  mt->cbFormat = size;
  return com::S_OK;
}

std::u16string Utf8ToWide(const std::string &s) {
  std::u16string out;
  out.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    uint32_t c = static_cast<uint8_t>(s[i]);
    size_t extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : 4;
    bool ok = extra < 4 && i + extra < s.size();
    if (ok && extra > 0) {
      c &= (0x3Fu >> extra);
      for (size_t k = 1; k <= extra; ++k) {
        uint8_t b = static_cast<uint8_t>(s[i + k]);
        if ((b >> 6) != 2)
          ok = false;
        c = (c << 6) | (b & 0x3F);
      }
    }
    if (!ok) { // a broken sequence stands as one replacement character
      out += u'\uFFFD';
      ++i;
      continue;
    }
    i += 1 + extra;
    if (c >= 0x10000) {
      c -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (c >> 10));
      out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
  }
  return out;
}

std::string WideToUtf8(const std::u16string &s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    uint32_t c = s[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
      ++i;
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

void CopyWideName(WCHAR *target, size_t n, const std::u16string &s) {
  if (target == nullptr || n == 0)
    return;
  size_t len = s.size() < n - 1 ? s.size() : n - 1;
  std::memcpy(target, s.data(), len * sizeof(WCHAR));
  target[len] = 0;
}

LPWSTR TaskMemWideCopy(const std::u16string &s) {
  auto *p = static_cast<LPWSTR>(com::CoTaskMemAlloc((s.size() + 1) * sizeof(WCHAR)));
  if (p == nullptr)
    return nullptr;
  std::memcpy(p, s.data(), s.size() * sizeof(WCHAR));
  p[s.size()] = 0;
  return p;
}

} // namespace media
