// The rules by which the audio side fills its 40-byte WAVEFORMATEXTENSIBLE
// headers (audio buffers, format records, start-wave operations): container
// bits from valid bits, block align and byte rate from them. The speaker
// positions come with the audio store. Header-only; no state.
#pragma once

#include <cstdint>

#include "framework/data/Alinternalstore.h"
#include "platform/wave/WaveFormat.h"

inline constexpr int ALSpeakerCount = spTopBackRight + 1;

// Valid bits rounded up to a whole number of bytes: 1-8 give 8, 9-16 give 16,
// 17-24 give 24, 25-32 give 32.
constexpr uint32_t ALContainerBits(uint32_t validBits) { return (validBits + 7) / 8 * 8; }

// One bit per channel from the front left up; 32 channels set all 32 bits.
constexpr TALSpeakers ALDefaultChannelMask(uint32_t channels) {
  return TALSpeakers(channels >= 32 ? 0xFFFFFFFFu : (uint32_t{1} << channels) - 1);
}

// Writes every field of an extensible PCM header from the four that define it.
inline void ALFillWaveFormat(WAVEFORMATEXTENSIBLE &f, uint32_t samplesPerSec, uint32_t validBits,
                             uint32_t channels, TALSpeakers channelMask) {
  const uint32_t container = ALContainerBits(validBits);
  f.Format.wFormatTag = WAVE_FORMAT_EXTENSIBLE;
  f.Format.nChannels = static_cast<uint16_t>(channels);
  f.Format.nSamplesPerSec = samplesPerSec;
  f.Format.nBlockAlign = static_cast<uint16_t>(channels * container / 8);
  f.Format.nAvgBytesPerSec = samplesPerSec * f.Format.nBlockAlign;
  f.Format.wBitsPerSample = static_cast<uint16_t>(container);
  f.Format.cbSize = WAVEFORMATEXTENSIBLE_EXTRA;
  f.Samples.wValidBitsPerSample = static_cast<uint16_t>(validBits);
  f.dwChannelMask = channelMask.Mask;
  f.SubFormat = KSDATAFORMAT_SUBTYPE_PCM;
}
