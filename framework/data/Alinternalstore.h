// The store of the audio buffers and the speaker positions of a channel mask.
//
// TALSmartAudioBuffer holds, in one pooled block, the 40-byte wave-format
// header (WAVEFORMATEXTENSIBLE) followed by the interleaved samples; the
// block's layout belongs to the audio buffer (Alsimpleaudiobuffer). The store
// carries the media time stamp of TMLSmartMediaBuffer, and its instance memory
// is itself a pool block. Counts and stamp: see the base classes; any thread.
#pragma once

#include <cstdint>

#include "framework/data/Mlinternalstore.h"

// Bytes of the wave-format header at the start of every audio store.
inline constexpr uint32_t ALWaveFormatHeaderSize = 40;

// Speaker positions; the ordinal is the position's bit in the channel mask.
enum TALSpeaker : uint8_t {
  spFrontLeft,
  spFrontRight,
  spFrontCenter,
  spSubwoofer,
  spBackLeft,
  spBackRight,
  spFrontLeftOfCenter,
  spFrontRightOfCenter,
  spBackCenter,
  spSideLeft,
  spSideRight,
  spTopCenter,
  spTopFrontLeft,
  spTopFrontCenter,
  spTopFrontRight,
  spTopBackLeft,
  spTopBackCenter,
  spTopBackRight
};

// A set of speaker positions, stored as the 32-bit channel mask.
struct TALSpeakers {
  uint32_t Mask = 0;

  constexpr TALSpeakers() = default;
  constexpr explicit TALSpeakers(uint32_t mask) : Mask(mask) {}
  constexpr bool Contains(TALSpeaker s) const { return (Mask >> s) & 1u; }
  constexpr TALSpeakers &Include(TALSpeaker s) {
    Mask |= 1u << s;
    return *this;
  }
  constexpr TALSpeakers &Exclude(TALSpeaker s) {
    Mask &= ~(1u << s);
    return *this;
  }
  friend constexpr bool operator==(TALSpeakers a, TALSpeakers b) { return a.Mask == b.Mask; }
};

class TALSmartAudioBuffer : public TMLSmartMediaBuffer, public TSLPoolAllocated {
public:
  using TSLPoolAllocated::operator new;
  using TSLPoolAllocated::operator delete;

  // A block for Size bytes (header included), contents not initialised; time
  // stamp not available, 0, 0. ERangeError beyond SLMaxStoreSize, EOutOfMemory
  // when the pool has no memory.
  explicit TALSmartAudioBuffer(uint32_t Size) : block_(nullptr, Size) {}
  // As above, with the first Size bytes copied from Data (when not null).
  TALSmartAudioBuffer(const void *Data, uint32_t Size) : block_(Data, Size) {}
  // Other's stamp and allocated size in a fresh block: the whole block copied
  // when CopyData, otherwise only the wave-format header.
  TALSmartAudioBuffer(TALSmartAudioBuffer &Other, bool CopyData)
      : TMLSmartMediaBuffer(Other, CopyData),
        block_(Other.block_, CopyData ? Other.GetAllocatedSize() : ALWaveFormatHeaderSize) {}

  TALSmartAudioBuffer *Clone(bool CopyData) override {
    return new TALSmartAudioBuffer(*this, CopyData);
  }

  uint8_t *GetRawData() const { return block_.GetRawData(); }
  uint32_t GetAllocatedSize() const { return block_.GetAllocatedSize(); }
  // Copies min(Other's, own allocated size) bytes to the start of this block.
  void CopyFrom(const TALSmartAudioBuffer &Other) { block_.CopyFrom(Other.block_); }
  static void ReleaseMemory() { SLMemoryCleanUp(); }

private:
  TSLStoreBlock block_;
};
