// Helpers of the codec tests: format records as byte blocks, whole conversions
// through a stream in chunks, and the chunks of a RIFF/WAVE file.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/acm/Acm.h"

namespace acmtest {

using TBytes = std::vector<uint8_t>;

template <class T> TBytes Record(const T &r) {
  return TBytes(reinterpret_cast<const uint8_t *>(&r),
                reinterpret_cast<const uint8_t *>(&r) + sizeof r);
}

inline const WAVEFORMATEX *Wfx(const TBytes &b) {
  return reinterpret_cast<const WAVEFORMATEX *>(b.data());
}

inline TBytes Pcm(uint16_t channels, uint32_t rate, uint16_t bits, uint16_t tag = WAVE_FORMAT_PCM) {
  WAVEFORMATEX w{};
  w.wFormatTag = tag;
  w.nChannels = channels;
  w.nSamplesPerSec = rate;
  w.wBitsPerSample = bits;
  w.nBlockAlign = uint16_t(channels * bits / 8);
  w.nAvgBytesPerSec = rate * w.nBlockAlign;
  return Record(w);
}

inline TBytes Law(uint16_t tag, uint16_t channels, uint32_t rate) {
  WAVEFORMATEX w{tag, channels, rate, rate * channels, channels, 8, 0};
  return Record(w);
}

inline TBytes Samples16(const std::vector<int16_t> &s) {
  TBytes b(s.size() * 2);
  std::memcpy(b.data(), s.data(), b.size());
  return b;
}

inline std::vector<int16_t> As16(const TBytes &b) {
  std::vector<int16_t> s(b.size() / 2);
  std::memcpy(s.data(), b.data(), s.size() * 2);
  return s;
}

struct TConversion {
  MMRESULT Result = MMSYSERR_NOERROR;
  TBytes Out;
};

// Converts data through one stream, chunk source bytes per call (the last call
// carries END when end is set; the first START), each destination sized by
// acmStreamSize. Checks that every call takes all its source bytes.
TConversion ConvertAll(const TBytes &from, const TBytes &to, const TBytes &data, size_t chunk,
                       bool end = true);

// The same with a list of chunk sizes, used in turn.
TConversion ConvertChunks(HACMSTREAM s, const TBytes &data, const std::vector<size_t> &chunks,
                          bool end, bool start = true);

struct TRiff {
  bool Ok = false;
  TBytes Fmt;
  TBytes Data;
};

// The fmt and data chunks of a RIFF/WAVE file's bytes.
TRiff ParseRiff(const TBytes &file);

// A RIFF/WAVE file with the given fmt record, a fact chunk with the frame count
// and the data.
TBytes MakeRiff(const TBytes &fmt, uint32_t frames, const TBytes &data);

} // namespace acmtest
