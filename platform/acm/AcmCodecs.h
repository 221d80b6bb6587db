// The codecs behind the compression manager's streams: format records read and
// checked into one description, and the sample routines of each codec.
//
// Linear samples travel between codecs as 32-bit signed values at full scale
// (a 16-bit sample s is s << 16). Narrowing rounds half up and saturates, as
// the sound tools our files are checked with do, so a 16-bit value survives a
// round trip unchanged. Everything here is stateless apart from the encoder
// state a caller passes in; safe on any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/acm/Acm.h"

namespace acm {

enum class TCodec : uint8_t { Pcm, Float, ALaw, MuLaw, ImaAdpcm, MsAdpcm };

// A checked format record.
struct TFormat {
  TCodec Codec = TCodec::Pcm;
  uint16_t Tag = WAVE_FORMAT_PCM; // the record's own tag (0xFFFE stays 0xFFFE)
  uint16_t Channels = 0;
  uint32_t Rate = 0;
  uint16_t Bits = 0;              // container bits (4 for the ADPCMs)
  uint32_t BlockAlign = 0;        // bytes of one block
  uint32_t FramesPerBlock = 1;    // 1 for PCM, float and the laws
  std::vector<ADPCMCOEFSET> Coef; // MS ADPCM predictor pairs

  bool IsFrameCodec() const {
    return FramesPerBlock == 1 && Codec != TCodec::ImaAdpcm && Codec != TCodec::MsAdpcm;
  }
};

inline constexpr uint16_t MaxChannels = 32;
inline constexpr uint32_t MaxRate = 4'000'000;

// Reads *wfx with its cbSize extra bytes. nullopt for a null record, an unknown
// tag or inconsistent fields (zero or too many channels, zero rate, a block
// align or bit count that does not fit the codec, missing codec bytes).
std::optional<TFormat> ParseFormat(const WAVEFORMATEX *wfx);

// 16-bit value <-> full-scale 32-bit value.
constexpr int32_t Widen16(int16_t s) { return int32_t(uint32_t(int32_t(s)) << 16); }
constexpr int16_t Narrow16(int32_t x) {
  return x > INT32_MAX - 0x8000 ? INT16_MAX : int16_t((int64_t(x) + 0x8000) >> 16);
}

// G.711.
int16_t ALawToLinear(uint8_t a);
uint8_t LinearToALaw(int16_t s);
int16_t MuLawToLinear(uint8_t u);
uint8_t LinearToMuLaw(int16_t s);

// Frame codecs (PCM, float, laws): frames * BlockAlign bytes <-> frames * Channels values.
void DecodeFrames(const TFormat &f, const uint8_t *src, size_t frames, int32_t *out);
void EncodeFrames(const TFormat &f, const int32_t *in, size_t frames, uint8_t *dst);

// Block codecs. A decoder reads at most len bytes of one block (len may be
// shorter than BlockAlign: the frames that the bytes hold are decoded) and
// answers the frames written to out (room for FramesPerBlock frames). A block
// whose header is corrupt (an MS ADPCM predictor past the table) decodes as
// silence. An encoder reads FramesPerBlock frames and writes BlockAlign bytes;
// the IMA encoder carries its step index per channel in index (Channels values,
// 0 at the start of a stream).
uint32_t DecodeImaBlock(const TFormat &f, const uint8_t *src, size_t len, int16_t *out);
void EncodeImaBlock(const TFormat &f, const int16_t *in, uint8_t *dst, std::vector<int> &index);
uint32_t DecodeMsAdpcmBlock(const TFormat &f, const uint8_t *src, size_t len, int16_t *out);
void EncodeMsAdpcmBlock(const TFormat &f, const int16_t *in, uint8_t *dst);

} // namespace acm
