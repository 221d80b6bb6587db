// The graph-wide helpers on media types and wave-format records.
#include <cstring>

#include "platform/media/Internal.h"

namespace media::detail {

TGUID SubFormatOf(const WAVEFORMATEXTENSIBLE &f) {
  TGUID g;
  std::memcpy(static_cast<void *>(&g),
              reinterpret_cast<const char *>(&f) + offsetof(WAVEFORMATEXTENSIBLE, SubFormat),
              sizeof g);
  return g;
}

void SetSubFormat(WAVEFORMATEXTENSIBLE &f, const TGUID &g) {
  std::memcpy(reinterpret_cast<char *>(&f) + offsetof(WAVEFORMATEXTENSIBLE, SubFormat), &g,
              sizeof g);
}

bool MediaTypeMatches(const AM_MEDIA_TYPE &candidate, const AM_MEDIA_TYPE &pattern) {
  if (!pattern.majortype.IsNull() && pattern.majortype != candidate.majortype)
    return false;
  if (!pattern.subtype.IsNull() && pattern.subtype != candidate.subtype)
    return false;
  if (!pattern.formattype.IsNull()) {
    if (pattern.formattype != candidate.formattype)
      return false;
    if (pattern.cbFormat != 0 &&
        (pattern.cbFormat != candidate.cbFormat || candidate.pbFormat == nullptr ||
         std::memcmp(pattern.pbFormat, candidate.pbFormat, pattern.cbFormat) != 0))
      return false;
  }
  return true;
}

WAVEFORMATEXTENSIBLE ExtensibleOf(const BYTE *format, ULONG size) {
  WAVEFORMATEXTENSIBLE ext;
  std::memset(static_cast<void *>(&ext), 0, sizeof ext);
  if (format == nullptr || size < sizeof(WAVEFORMATEX))
    return ext;
  std::memcpy(static_cast<void *>(&ext), format, size < sizeof ext ? size : sizeof ext);
  WAVEFORMATEX &wf = ext.Format;
  if (wf.wFormatTag != WAVE_FORMAT_EXTENSIBLE || size < sizeof ext) {
    uint16_t tag = wf.wFormatTag == WAVE_FORMAT_EXTENSIBLE ? WAVE_FORMAT_PCM : wf.wFormatTag;
    ext.Samples.wValidBitsPerSample = wf.wBitsPerSample;
    ext.dwChannelMask = wf.nChannels >= 32 ? 0xFFFFFFFFu : (1u << wf.nChannels) - 1;
    SetSubFormat(ext, tag == WAVE_FORMAT_IEEE_FLOAT ? KSDATAFORMAT_SUBTYPE_IEEE_FLOAT
                      : tag == WAVE_FORMAT_PCM      ? KSDATAFORMAT_SUBTYPE_PCM
                                                    : GUID_NULL);
    wf.wFormatTag = WAVE_FORMAT_EXTENSIBLE;
    wf.cbSize = WAVEFORMATEXTENSIBLE_EXTRA;
  }
  return ext;
}

bool IsSupportedWaveFormat(const BYTE *format, ULONG size) {
  if (format == nullptr || size < sizeof(WAVEFORMATEX))
    return false;
  WAVEFORMATEX wf;
  std::memcpy(&wf, format, sizeof wf);
  if (wf.nChannels == 0 || wf.nChannels > 32 || wf.nSamplesPerSec < 1000 ||
      wf.nSamplesPerSec > 768000)
    return false;
  uint16_t tag = wf.wFormatTag;
  uint16_t bits = wf.wBitsPerSample;
  if (wf.nBlockAlign != wf.nChannels * ((bits + 7) / 8))
    return false;
  if (tag == WAVE_FORMAT_PCM)
    return bits == 8 || bits == 16 || bits == 24 || bits == 32;
  if (tag == WAVE_FORMAT_IEEE_FLOAT)
    return bits == 32;
  if (tag == WAVE_FORMAT_EXTENSIBLE) {
    if (size < sizeof(WAVEFORMATEXTENSIBLE))
      return false;
    WAVEFORMATEXTENSIBLE ext = ExtensibleOf(format, size);
    if (SubFormatOf(ext) == KSDATAFORMAT_SUBTYPE_PCM)
      return bits == 8 || bits == 16 || bits == 24 || bits == 32;
    if (SubFormatOf(ext) == KSDATAFORMAT_SUBTYPE_IEEE_FLOAT)
      return bits == 32;
  }
  return false;
}

} // namespace media::detail
