#include "tests/support/WaveFormatChecks.h"

#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>

namespace {

// The registry form, without the platform library's formatter.
std::string GuidText(const com::TGUID &g) {
  char text[40];
  std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g.Data1,
                g.Data2, g.Data3, g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4],
                g.Data4[5], g.Data4[6], g.Data4[7]);
  return text;
}

// Collects the fields that differ.
class TFieldCheck {
public:
  template <class T, class U> void Field(const char *name, T found, U expected) {
    if (static_cast<uint64_t>(found) == static_cast<uint64_t>(expected))
      return;
    differences_ << "\n  " << name << " is " << static_cast<uint64_t>(found) << ", expected "
                 << static_cast<uint64_t>(expected);
  }
  void Guid(const char *name, const com::TGUID &found, const com::TGUID &expected) {
    if (!(found == expected))
      differences_ << "\n  " << name << " is " << GuidText(found) << ", expected "
                   << GuidText(expected);
  }
  ::testing::AssertionResult Result() const {
    const std::string text = differences_.str();
    if (text.empty())
      return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "not the PCM record expected:" << text;
  }

private:
  std::ostringstream differences_;
};

} // namespace

::testing::AssertionResult IsExtensiblePcm(const WAVEFORMATEXTENSIBLE &format,
                                           const TPcmLayout &layout) {
  const uint32_t blockAlign = uint32_t{layout.Channels} * (layout.ContainerBits / 8u);
  TFieldCheck check;
  check.Field("wFormatTag", format.Format.wFormatTag, WAVE_FORMAT_EXTENSIBLE);
  check.Field("nChannels", format.Format.nChannels, layout.Channels);
  check.Field("nSamplesPerSec", format.Format.nSamplesPerSec, layout.SamplesPerSec);
  check.Field("nAvgBytesPerSec", format.Format.nAvgBytesPerSec,
              uint64_t{layout.SamplesPerSec} * blockAlign);
  check.Field("nBlockAlign", format.Format.nBlockAlign, blockAlign);
  check.Field("wBitsPerSample", format.Format.wBitsPerSample, layout.ContainerBits);
  check.Field("cbSize", format.Format.cbSize, WAVEFORMATEXTENSIBLE_EXTRA);
  check.Field("wValidBitsPerSample", format.Samples.wValidBitsPerSample,
              layout.ValidBits ? layout.ValidBits : layout.ContainerBits);
  check.Field("dwChannelMask", format.dwChannelMask, layout.ChannelMask);
  const com::TGUID subFormat = format.SubFormat;
  check.Guid("SubFormat", subFormat, KSDATAFORMAT_SUBTYPE_PCM);
  return check.Result();
}

::testing::AssertionResult IsExtensiblePcm(const void *bytes, size_t size,
                                           const TPcmLayout &layout) {
  if (size != sizeof(WAVEFORMATEXTENSIBLE))
    return ::testing::AssertionFailure()
           << "a PCM record of " << size << " bytes, expected " << sizeof(WAVEFORMATEXTENSIBLE);
  WAVEFORMATEXTENSIBLE format;
  std::memcpy(&format, bytes, sizeof format);
  return IsExtensiblePcm(format, layout);
}
