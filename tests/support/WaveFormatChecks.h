// Checks of PCM wave-format records, for every suite that makes or reads one
// (audio buffers, start-wave operations, the media layer, WAV files).
//
// IsExtensiblePcm(format, layout) holds when format is the 40-byte extensible
// PCM record of the layout: tag 0xFFFE, cbSize 22, the block align and byte
// rate that follow from channels, container bits and rate, the valid bits,
// the channel mask and the PCM sub-format. On failure it names every field
// that differs, with the value found and the value expected:
//
//   EXPECT_TRUE(IsExtensiblePcm(w, {.Channels = 2, .SamplesPerSec = 44100, .ContainerBits = 16}));
//
// The overload over bytes checks a stored record (a WAV file's fmt chunk
// body, a buffer header): it must be exactly 40 bytes.
//
// Include "tests/support/WaveFormatChecks.h" and link test_support.
#pragma once

#include <cstddef>
#include <cstdint>

#include <gtest/gtest.h>

#include "platform/wave/WaveFormat.h"

// What a PCM record describes. ValidBits 0 means all the container bits.
struct TPcmLayout {
  uint16_t Channels = 2;
  uint32_t SamplesPerSec = 44100;
  uint16_t ContainerBits = 16;
  uint16_t ValidBits = 0;
  uint32_t ChannelMask = 3;
};

::testing::AssertionResult IsExtensiblePcm(const WAVEFORMATEXTENSIBLE &format,
                                           const TPcmLayout &layout);
::testing::AssertionResult IsExtensiblePcm(const void *bytes, size_t size,
                                           const TPcmLayout &layout);
