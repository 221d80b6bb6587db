#include "platform/acm/AcmCodecs.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace acm {

namespace {

uint16_t Get16(const uint8_t *p) { return uint16_t(p[0] | (p[1] << 8)); }
void Put16(uint8_t *p, uint16_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}

bool LinearPcmFits(uint16_t bits, uint32_t channels, uint32_t blockAlign) {
  return (bits == 8 || bits == 16 || bits == 24 || bits == 32) && blockAlign == channels * bits / 8;
}

bool FloatFits(uint16_t bits, uint32_t channels, uint32_t blockAlign) {
  return (bits == 32 || bits == 64) && blockAlign == channels * bits / 8;
}

} // namespace

std::optional<TFormat> ParseFormat(const WAVEFORMATEX *wfx) {
  if (!wfx)
    return std::nullopt;
  WAVEFORMATEX h;
  std::memcpy(&h, wfx, sizeof h);
  if (h.nChannels == 0 || h.nChannels > MaxChannels || h.nSamplesPerSec == 0 ||
      h.nSamplesPerSec > MaxRate || h.nBlockAlign == 0)
    return std::nullopt;
  TFormat f;
  f.Tag = h.wFormatTag;
  f.Channels = h.nChannels;
  f.Rate = h.nSamplesPerSec;
  f.Bits = h.wBitsPerSample;
  f.BlockAlign = h.nBlockAlign;
  const auto *extra = reinterpret_cast<const uint8_t *>(wfx) + sizeof(WAVEFORMATEX);
  switch (h.wFormatTag) {
  case WAVE_FORMAT_PCM:
    if (!LinearPcmFits(f.Bits, f.Channels, f.BlockAlign))
      return std::nullopt;
    f.Codec = TCodec::Pcm;
    return f;
  case WAVE_FORMAT_IEEE_FLOAT:
    if (!FloatFits(f.Bits, f.Channels, f.BlockAlign))
      return std::nullopt;
    f.Codec = TCodec::Float;
    return f;
  case WAVE_FORMAT_EXTENSIBLE: {
    if (h.cbSize < WAVEFORMATEXTENSIBLE_EXTRA)
      return std::nullopt;
    WAVEFORMATEXTENSIBLE x;
    std::memcpy(static_cast<void *>(&x), wfx, sizeof x);
    if (x.Samples.wValidBitsPerSample > f.Bits)
      return std::nullopt;
    static constexpr com::TGUID floatSub =
        com::TGUID::FromLiteral("{00000003-0000-0010-8000-00AA00389B71}");
    if (x.SubFormat == KSDATAFORMAT_SUBTYPE_PCM &&
        LinearPcmFits(f.Bits, f.Channels, f.BlockAlign)) {
      f.Codec = TCodec::Pcm;
      return f;
    }
    if (x.SubFormat == floatSub && FloatFits(f.Bits, f.Channels, f.BlockAlign)) {
      f.Codec = TCodec::Float;
      return f;
    }
    return std::nullopt;
  }
  case WAVE_FORMAT_ALAW:
  case WAVE_FORMAT_MULAW:
    if (f.Bits != 8 || f.BlockAlign != f.Channels)
      return std::nullopt;
    f.Codec = h.wFormatTag == WAVE_FORMAT_ALAW ? TCodec::ALaw : TCodec::MuLaw;
    return f;
  case WAVE_FORMAT_IMA_ADPCM: {
    const uint32_t head = 4u * f.Channels;
    if (f.Bits != 4 || h.cbSize < 2 || f.BlockAlign <= head || f.BlockAlign % head != 0)
      return std::nullopt;
    const uint32_t most = (f.BlockAlign - head) * 2 / f.Channels + 1;
    const uint32_t spb = Get16(extra);
    if (spb < 1 || spb > most)
      return std::nullopt;
    f.Codec = TCodec::ImaAdpcm;
    f.FramesPerBlock = spb;
    return f;
  }
  case WAVE_FORMAT_ADPCM: {
    const uint32_t head = 7u * f.Channels;
    if (f.Bits != 4 || h.cbSize < 4 || f.BlockAlign < head)
      return std::nullopt;
    const uint32_t spb = Get16(extra);
    const uint32_t numCoef = Get16(extra + 2);
    const uint32_t most = (f.BlockAlign - head) * 2 / f.Channels + 2;
    if (numCoef < 1 || numCoef > 256 || h.cbSize < 4 + 4 * numCoef || spb < 2 || spb > most)
      return std::nullopt;
    f.Codec = TCodec::MsAdpcm;
    f.FramesPerBlock = spb;
    f.Coef.resize(numCoef);
    for (uint32_t i = 0; i < numCoef; ++i) {
      f.Coef[i].iCoef1 = int16_t(Get16(extra + 4 + 4 * i));
      f.Coef[i].iCoef2 = int16_t(Get16(extra + 6 + 4 * i));
    }
    return f;
  }
  default:
    return std::nullopt;
  }
}

// ---- G.711 ----------------------------------------------------------------

int16_t ALawToLinear(uint8_t a) {
  a ^= 0x55;
  int t = (a & 0x0F) << 4;
  const int seg = (a & 0x70) >> 4;
  if (seg == 0)
    t += 8;
  else if (seg == 1)
    t += 0x108;
  else
    t = (t + 0x108) << (seg - 1);
  return int16_t((a & 0x80) ? t : -t);
}

uint8_t LinearToALaw(int16_t s) {
  static constexpr int segEnd[8] = {0x1F, 0x3F, 0x7F, 0xFF, 0x1FF, 0x3FF, 0x7FF, 0xFFF};
  int pcm = s >> 3; // 13 significant bits
  uint8_t mask;
  if (pcm >= 0) {
    mask = 0xD5;
  } else {
    mask = 0x55;
    pcm = -pcm - 1;
  }
  int seg = 0;
  while (seg < 8 && pcm > segEnd[seg])
    ++seg;
  if (seg >= 8)
    return uint8_t(0x7F ^ mask);
  int aval = seg << 4;
  aval |= seg < 2 ? (pcm >> 1) & 0x0F : (pcm >> seg) & 0x0F;
  return uint8_t(aval ^ mask);
}

int16_t MuLawToLinear(uint8_t u) {
  u = uint8_t(~u);
  int t = ((u & 0x0F) << 3) + 0x84;
  t <<= (u & 0x70) >> 4;
  return int16_t((u & 0x80) ? 0x84 - t : t - 0x84);
}

uint8_t LinearToMuLaw(int16_t s) {
  static constexpr int segEnd[8] = {0x3F, 0x7F, 0xFF, 0x1FF, 0x3FF, 0x7FF, 0xFFF, 0x1FFF};
  int pcm = s >> 2; // 14 significant bits
  uint8_t mask;
  if (pcm < 0) {
    pcm = -pcm;
    mask = 0x7F;
  } else {
    mask = 0xFF;
  }
  pcm = std::min(pcm, 8159) + 0x21;
  int seg = 0;
  while (seg < 8 && pcm > segEnd[seg])
    ++seg;
  if (seg >= 8)
    return uint8_t(0x7F ^ mask);
  return uint8_t(((seg << 4) | ((pcm >> (seg + 1)) & 0x0F)) ^ mask);
}

// ---- PCM, float and the laws ----------------------------------------------

namespace {

// Round half away from zero, saturating; NaN reads as silence.
int32_t FloatToFull(double v) {
  const double d = v * 2147483648.0;
  if (std::isnan(d))
    return 0;
  if (d < 0)
    return d <= double(INT32_MIN) - 0.5 ? INT32_MIN : int32_t(d - 0.5);
  return d >= double(INT32_MAX) + 0.5 ? INT32_MAX : int32_t(d + 0.5);
}

int32_t NarrowTo(int32_t x, int bits) {
  const int shift = 32 - bits;
  const int64_t half = int64_t(1) << (shift - 1);
  if (x > INT32_MAX - half)
    return int32_t((int64_t(1) << (bits - 1)) - 1);
  return int32_t((int64_t(x) + half) >> shift);
}

} // namespace

void DecodeFrames(const TFormat &f, const uint8_t *src, size_t frames, int32_t *out) {
  const size_t n = frames * f.Channels;
  switch (f.Codec) {
  case TCodec::Pcm:
    switch (f.Bits) {
    case 8:
      for (size_t i = 0; i < n; ++i)
        out[i] = int32_t(uint32_t(int32_t(src[i]) - 128) << 24);
      break;
    case 16:
      for (size_t i = 0; i < n; ++i)
        out[i] = Widen16(int16_t(Get16(src + 2 * i)));
      break;
    case 24:
      for (size_t i = 0; i < n; ++i) {
        const uint8_t *p = src + 3 * i;
        out[i] = int32_t((uint32_t(p[0]) << 8) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 24));
      }
      break;
    default:
      std::memcpy(out, src, n * 4);
      break;
    }
    break;
  case TCodec::Float:
    if (f.Bits == 32) {
      for (size_t i = 0; i < n; ++i) {
        float v;
        std::memcpy(&v, src + 4 * i, 4);
        out[i] = FloatToFull(v);
      }
    } else {
      for (size_t i = 0; i < n; ++i) {
        double v;
        std::memcpy(&v, src + 8 * i, 8);
        out[i] = FloatToFull(v);
      }
    }
    break;
  case TCodec::ALaw:
    for (size_t i = 0; i < n; ++i)
      out[i] = Widen16(ALawToLinear(src[i]));
    break;
  case TCodec::MuLaw:
    for (size_t i = 0; i < n; ++i)
      out[i] = Widen16(MuLawToLinear(src[i]));
    break;
  default:
    std::fill(out, out + n, 0);
    break;
  }
}

void EncodeFrames(const TFormat &f, const int32_t *in, size_t frames, uint8_t *dst) {
  const size_t n = frames * f.Channels;
  switch (f.Codec) {
  case TCodec::Pcm:
    switch (f.Bits) {
    case 8:
      for (size_t i = 0; i < n; ++i)
        dst[i] = uint8_t(NarrowTo(in[i], 8) + 128);
      break;
    case 16:
      for (size_t i = 0; i < n; ++i)
        Put16(dst + 2 * i, uint16_t(Narrow16(in[i])));
      break;
    case 24:
      for (size_t i = 0; i < n; ++i) {
        const uint32_t v = uint32_t(NarrowTo(in[i], 24));
        dst[3 * i] = uint8_t(v);
        dst[3 * i + 1] = uint8_t(v >> 8);
        dst[3 * i + 2] = uint8_t(v >> 16);
      }
      break;
    default:
      std::memcpy(dst, in, n * 4);
      break;
    }
    break;
  case TCodec::Float:
    if (f.Bits == 32) {
      for (size_t i = 0; i < n; ++i) {
        const float v = float(in[i] / 2147483648.0);
        std::memcpy(dst + 4 * i, &v, 4);
      }
    } else {
      for (size_t i = 0; i < n; ++i) {
        const double v = in[i] / 2147483648.0;
        std::memcpy(dst + 8 * i, &v, 8);
      }
    }
    break;
  case TCodec::ALaw:
    for (size_t i = 0; i < n; ++i)
      dst[i] = LinearToALaw(Narrow16(in[i]));
    break;
  case TCodec::MuLaw:
    for (size_t i = 0; i < n; ++i)
      dst[i] = LinearToMuLaw(Narrow16(in[i]));
    break;
  default:
    break;
  }
}

// ---- IMA ADPCM --------------------------------------------------------------

namespace {

constexpr int ImaIndexTable[16] = {-1, -1, -1, -1, 2, 4, 6, 8, -1, -1, -1, -1, 2, 4, 6, 8};
constexpr int ImaStepTable[89] = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,   21,    23,
    25,    28,    31,    34,    37,    41,    45,    50,    55,    60,    66,   73,    80,
    88,    97,    107,   118,   130,   143,   157,   173,   190,   209,   230,  253,   279,
    307,   337,   371,   408,   449,   494,   544,   598,   658,   724,   796,  876,   963,
    1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,  2272,  2499,  2749, 3024,  3327,
    3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,  9493, 10442, 11487,
    12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};

struct TImaChannel {
  int Predictor;
  int Index;

  int Expand(int nibble) {
    const int step = ImaStepTable[Index];
    int diff = step >> 3;
    if (nibble & 4)
      diff += step;
    if (nibble & 2)
      diff += step >> 1;
    if (nibble & 1)
      diff += step >> 2;
    Predictor = std::clamp((nibble & 8) ? Predictor - diff : Predictor + diff, -32768, 32767);
    Index = std::clamp(Index + ImaIndexTable[nibble], 0, 88);
    return Predictor;
  }

  int Compress(int sample) {
    int step = ImaStepTable[Index];
    int diff = sample - Predictor;
    int nibble = 0;
    if (diff < 0) {
      nibble = 8;
      diff = -diff;
    }
    for (int mask = 4; mask; mask >>= 1) {
      if (diff >= step) {
        nibble |= mask;
        diff -= step;
      }
      step >>= 1;
    }
    Expand(nibble);
    return nibble;
  }
};

} // namespace

uint32_t DecodeImaBlock(const TFormat &f, const uint8_t *src, size_t len, int16_t *out) {
  const size_t ch = f.Channels;
  const size_t head = 4 * ch;
  if (len < head)
    return 0;
  len = std::min<size_t>(len, f.BlockAlign);
  TImaChannel state[MaxChannels];
  for (size_t c = 0; c < ch; ++c) {
    state[c].Predictor = int16_t(Get16(src + 4 * c));
    state[c].Index = std::min<int>(src[4 * c + 2], 88);
    out[c] = int16_t(state[c].Predictor);
  }
  const size_t groups = (len - head) / head;
  const size_t frames = std::min<size_t>(f.FramesPerBlock, 1 + 8 * groups);
  const uint8_t *data = src + head;
  for (size_t g = 0; g < groups; ++g)
    for (size_t c = 0; c < ch; ++c)
      for (size_t b = 0; b < 4; ++b) {
        const uint8_t byte = data[g * head + 4 * c + b];
        const size_t frame = 1 + 8 * g + 2 * b;
        const int lo = state[c].Expand(byte & 0x0F);
        const int hi = state[c].Expand(byte >> 4);
        if (frame < frames)
          out[frame * ch + c] = int16_t(lo);
        if (frame + 1 < frames)
          out[(frame + 1) * ch + c] = int16_t(hi);
      }
  return uint32_t(frames);
}

void EncodeImaBlock(const TFormat &f, const int16_t *in, uint8_t *dst, std::vector<int> &index) {
  const size_t ch = f.Channels;
  const size_t head = 4 * ch;
  index.resize(ch, 0);
  TImaChannel state[MaxChannels];
  for (size_t c = 0; c < ch; ++c) {
    state[c].Predictor = in[c];
    state[c].Index = std::clamp(index[c], 0, 88);
    Put16(dst + 4 * c, uint16_t(in[c]));
    dst[4 * c + 2] = uint8_t(state[c].Index);
    dst[4 * c + 3] = 0;
  }
  const size_t groups = (f.BlockAlign - head) / head;
  uint8_t *data = dst + head;
  for (size_t g = 0; g < groups; ++g)
    for (size_t c = 0; c < ch; ++c)
      for (size_t b = 0; b < 4; ++b) {
        const size_t frame = 1 + 8 * g + 2 * b;
        // Frames past the block's count are never decoded: their nibbles stay 0.
        const int lo = frame < f.FramesPerBlock ? state[c].Compress(in[frame * ch + c]) : 0;
        const int hi =
            frame + 1 < f.FramesPerBlock ? state[c].Compress(in[(frame + 1) * ch + c]) : 0;
        data[g * head + 4 * c + b] = uint8_t(lo | (hi << 4));
      }
  for (size_t c = 0; c < ch; ++c)
    index[c] = state[c].Index;
}

// ---- MS ADPCM ---------------------------------------------------------------

namespace {

constexpr int MsAdaptTable[16] = {230, 230, 230, 230, 307, 409, 512, 614,
                                  768, 614, 512, 409, 307, 230, 230, 230};
// Far above any delta a real stream reaches; keeps corrupt data from overflowing.
constexpr int MsMaxDelta = 1 << 20;

struct TMsChannel {
  int Coef1, Coef2, Delta, Sample1, Sample2;

  int Predict() const { return (Sample1 * Coef1 + Sample2 * Coef2) >> 8; }
  void Adapt(int nibble) {
    Delta = std::clamp((MsAdaptTable[nibble & 0x0F] * Delta) >> 8, 16, MsMaxDelta);
  }
  int Expand(int nibble) {
    const int signedNibble = nibble >= 8 ? nibble - 16 : nibble;
    const int s = std::clamp(Predict() + signedNibble * Delta, -32768, 32767);
    Adapt(nibble);
    Sample2 = Sample1;
    Sample1 = s;
    return s;
  }
  int Compress(int sample) {
    const int pred = Predict();
    const int err = sample - pred;
    const int half = Delta / 2;
    int q = (err >= 0 ? err + half : err - half) / Delta;
    q = std::clamp(q, -8, 7);
    const int nibble = q & 0x0F;
    Expand(nibble);
    return nibble;
  }
};

} // namespace

uint32_t DecodeMsAdpcmBlock(const TFormat &f, const uint8_t *src, size_t len, int16_t *out) {
  const size_t ch = f.Channels;
  const size_t head = 7 * ch;
  if (len < head)
    return 0;
  len = std::min<size_t>(len, f.BlockAlign);
  const size_t nibbles = (len - head) * 2;
  const size_t frames = std::min<size_t>(f.FramesPerBlock, 2 + nibbles / ch);
  TMsChannel state[MaxChannels];
  for (size_t c = 0; c < ch; ++c) {
    if (src[c] >= f.Coef.size()) {
      std::fill(out, out + frames * ch, int16_t(0));
      return uint32_t(frames);
    }
    state[c].Coef1 = f.Coef[src[c]].iCoef1;
    state[c].Coef2 = f.Coef[src[c]].iCoef2;
    state[c].Delta = int16_t(Get16(src + ch + 2 * c));
    state[c].Sample1 = int16_t(Get16(src + 3 * ch + 2 * c));
    state[c].Sample2 = int16_t(Get16(src + 5 * ch + 2 * c));
    out[c] = int16_t(state[c].Sample2);
    out[ch + c] = int16_t(state[c].Sample1);
  }
  const uint8_t *data = src + head;
  for (size_t i = 0; i < (frames - 2) * ch; ++i) {
    const uint8_t byte = data[i / 2];
    const int nibble = (i & 1) ? byte & 0x0F : byte >> 4;
    out[2 * ch + i] = int16_t(state[i % ch].Expand(nibble));
  }
  return uint32_t(frames);
}

void EncodeMsAdpcmBlock(const TFormat &f, const int16_t *in, uint8_t *dst) {
  const size_t ch = f.Channels;
  const size_t spb = f.FramesPerBlock;
  std::memset(dst, 0, f.BlockAlign);
  std::vector<uint8_t> best(spb), trial(spb);
  for (size_t c = 0; c < ch; ++c) {
    auto sample = [&](size_t frame) { return int(in[frame * ch + c]); };
    int bestCoef = 0, bestDelta = 16;
    int64_t bestError = std::numeric_limits<int64_t>::max();
    // Try each predictor pair with a starting delta near its first residuals.
    for (size_t k = 0; k < f.Coef.size() && k < 256; ++k) {
      const int c1 = f.Coef[k].iCoef1, c2 = f.Coef[k].iCoef2;
      int64_t sum = 0;
      size_t count = 0;
      for (size_t n = 2; n < spb && n < 6; ++n, ++count)
        sum += std::abs(sample(n) - ((sample(n - 1) * c1 + sample(n - 2) * c2) >> 8));
      const int estimate = std::clamp(int(count ? sum / int64_t(count) / 4 : 16), 16, 16384);
      for (int delta : {estimate / 2, estimate, estimate * 2}) {
        TMsChannel s{c1, c2, std::clamp(delta, 16, 32767), sample(1), sample(0)};
        const int start = s.Delta;
        int64_t error = 0;
        for (size_t n = 2; n < spb; ++n) {
          trial[n] = uint8_t(s.Compress(sample(n)));
          const int64_t e = sample(n) - s.Sample1;
          error += e * e;
        }
        if (error < bestError) {
          bestError = error;
          bestCoef = int(k);
          bestDelta = start;
          best.swap(trial);
        }
      }
    }
    dst[c] = uint8_t(bestCoef);
    Put16(dst + ch + 2 * c, uint16_t(bestDelta));
    Put16(dst + 3 * ch + 2 * c, uint16_t(in[ch + c]));
    Put16(dst + 5 * ch + 2 * c, uint16_t(in[c]));
    uint8_t *data = dst + 7 * ch;
    for (size_t n = 2; n < spb; ++n) {
      const size_t i = (n - 2) * ch + c;
      data[i / 2] |= (i & 1) ? best[n] : uint8_t(best[n] << 4);
    }
  }
}

} // namespace acm
