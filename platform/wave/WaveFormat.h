// The platform's wave-format records, as WAV files, the media framework and
// every audio buffer header store them: the 18-byte WAVEFORMATEX and the
// 40-byte WAVEFORMATEXTENSIBLE that adds valid bits, the speaker mask and the
// sub-format GUID.
//
// Both are byte-exact images of the stored records: packed, little-endian
// (the host order on x86_64), GUID fields in the platform's layout (a 32-bit
// field, two 16-bit fields, eight bytes). Copy them with memcpy or by value;
// never through a pointer cast of unaligned bytes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/com/Guid.h"

inline constexpr uint16_t WAVE_FORMAT_PCM = 0x0001;
inline constexpr uint16_t WAVE_FORMAT_IEEE_FLOAT = 0x0003;
inline constexpr uint16_t WAVE_FORMAT_EXTENSIBLE = 0xFFFE;

// Bytes that follow WAVEFORMATEX in an extensible record (its cbSize).
inline constexpr uint16_t WAVEFORMATEXTENSIBLE_EXTRA = 22;

// {00000001-0000-0010-8000-00AA00389B71}: integer PCM samples.
inline constexpr com::TGUID KSDATAFORMAT_SUBTYPE_PCM =
    com::TGUID::FromLiteral("{00000001-0000-0010-8000-00AA00389B71}");
// {00000003-0000-0010-8000-00AA00389B71}: IEEE floating-point samples.
inline constexpr com::TGUID KSDATAFORMAT_SUBTYPE_IEEE_FLOAT =
    com::TGUID::FromLiteral("{00000003-0000-0010-8000-00AA00389B71}");

#pragma pack(push, 1)

struct WAVEFORMATEX {
  uint16_t wFormatTag;
  uint16_t nChannels;
  uint32_t nSamplesPerSec;
  uint32_t nAvgBytesPerSec;
  uint16_t nBlockAlign;    // bytes per frame
  uint16_t wBitsPerSample; // container bits of one sample
  uint16_t cbSize;         // bytes of format data after these 18
};

struct WAVEFORMATEXTENSIBLE {
  WAVEFORMATEX Format;
  union {
    uint16_t wValidBitsPerSample;
    uint16_t wSamplesPerBlock;
    uint16_t wReserved;
  } Samples;
  uint32_t dwChannelMask; // one bit per speaker position, front left first
  com::TGUID SubFormat;
};

#pragma pack(pop)

static_assert(sizeof(WAVEFORMATEX) == 18);
static_assert(sizeof(WAVEFORMATEXTENSIBLE) == 40);
static_assert(offsetof(WAVEFORMATEXTENSIBLE, Samples) == 18);
static_assert(offsetof(WAVEFORMATEXTENSIBLE, dwChannelMask) == 20);
static_assert(offsetof(WAVEFORMATEXTENSIBLE, SubFormat) == 24);
