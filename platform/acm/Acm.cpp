#include "platform/acm/Acm.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <numeric>
#include <string>
#include <unordered_set>

#include "platform/acm/AcmCodecs.h"

using acm::TCodec;
using acm::TFormat;

namespace {

// ---- The codec registry ------------------------------------------------------

struct TTagInfo {
  uint16_t Tag;
  const char *Name;
  uint32_t LargestSize;
  uint32_t StandardFormats; // rates x channels x widths
};

// In tag order; the index is the dwFormatTagIndex of acmFormatTagDetails.
constexpr TTagInfo Tags[] = {
    {WAVE_FORMAT_PCM, "PCM", sizeof(WAVEFORMATEX), 5 * 2 * 4},
    {WAVE_FORMAT_ADPCM, "MS ADPCM", sizeof(ADPCMWAVEFORMAT), 5 * 2},
    {WAVE_FORMAT_IEEE_FLOAT, "IEEE Float", sizeof(WAVEFORMATEX), 5 * 2 * 2},
    {WAVE_FORMAT_ALAW, "A-Law", sizeof(WAVEFORMATEX), 5 * 2},
    {WAVE_FORMAT_MULAW, "u-Law", sizeof(WAVEFORMATEX), 5 * 2},
    {WAVE_FORMAT_IMA_ADPCM, "IMA ADPCM", sizeof(IMAADPCMWAVEFORMAT), 5 * 2},
};
constexpr uint32_t LargestFormat = sizeof(ADPCMWAVEFORMAT);
static_assert(LargestFormat == 50);

const TTagInfo *FindTag(uint32_t tag) {
  for (const auto &t : Tags)
    if (t.Tag == tag)
      return &t;
  return nullptr;
}

void CopyName(char *dst, size_t cap, const std::string &text) {
  const size_t n = std::min(cap - 1, text.size());
  std::memcpy(dst, text.data(), n);
  dst[n] = 0;
}

// Channel counts a stream can map between: equal, from mono, or to mono.
bool ChannelsMap(uint16_t from, uint16_t to) { return from == to || from == 1 || to == 1; }

uint32_t BlockFactor(uint32_t rate) { return rate <= 11025 ? 1 : rate <= 22050 ? 2 : 4; }

void FillPcm(WAVEFORMATEX &w, uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits) {
  w.wFormatTag = tag;
  w.nChannels = channels;
  w.nSamplesPerSec = rate;
  w.nBlockAlign = uint16_t(channels * bits / 8);
  w.nAvgBytesPerSec = rate * w.nBlockAlign;
  w.wBitsPerSample = bits;
  w.cbSize = 0;
}

// ---- Rate conversion --------------------------------------------------------

// Linear interpolation between neighbouring input frames. Output frame k sits
// at input position k * From / To; the ratio is reduced, positions are exact
// rationals, and only the last input frame is kept between calls.
struct TResampler {
  uint64_t From = 1, To = 1;
  uint16_t Channels = 1;
  uint64_t InBase = 0; // absolute index of the next input frame
  uint64_t OutNext = 0;
  std::vector<int32_t> Last; // frame InBase - 1, when InBase > 0

  void Init(uint32_t from, uint32_t to, uint16_t channels) {
    const uint64_t g = std::gcd(from, to);
    From = from / g;
    To = to / g;
    Channels = channels;
    Reset();
  }
  void Reset() {
    InBase = OutNext = 0;
    Last.assign(Channels, 0);
  }
  // Output frames that n more input frames can give at most (with the end).
  uint64_t MaxOut(uint64_t n) const {
    const unsigned __int128 total = (unsigned __int128)(InBase + n) * To;
    const uint64_t count = uint64_t((total + From - 1) / From);
    return count > OutNext ? count - OutNext : 0;
  }
  // Interpolates what n input frames allow; at the end every output whose
  // position lies before the last input frame's end, holding the last frame.
  void Run(const int32_t *in, uint64_t n, bool end, std::vector<int32_t> &out) {
    const uint64_t total = InBase + n;
    auto frame = [&](uint64_t i) {
      return i + 1 == InBase ? Last.data() : in + (i - InBase) * Channels;
    };
    for (;; ++OutNext) {
      const unsigned __int128 pos = (unsigned __int128)OutNext * From;
      const uint64_t i = uint64_t(pos / To);
      const int64_t frac = int64_t(pos % To);
      if (i >= total)
        break;
      if (frac != 0 && i + 1 >= total && !end)
        break;
      const int32_t *a = frame(i);
      const int32_t *b = (frac != 0 && i + 1 < total) ? frame(i + 1) : a;
      for (uint16_t c = 0; c < Channels; ++c)
        out.push_back(int32_t(a[c] + (int64_t(b[c]) - a[c]) * frac / int64_t(To)));
    }
    if (n)
      std::copy(in + (n - 1) * Channels, in + n * Channels, Last.begin());
    InBase = total;
  }
};

} // namespace

// ---- Streams ------------------------------------------------------------------

struct TAcmStream {
  TFormat Src, Dst;
  bool Resample = false;
  TResampler Resampler;
  std::vector<uint8_t> Held;    // a partial source block
  std::vector<int32_t> Pending; // frames waiting for a whole destination block
  std::vector<int> ImaIndex;    // IMA encoder state
  std::vector<int32_t> Decoded, Mapped, Rated;
  std::vector<int16_t> Block16;

  void Reset() {
    Held.clear();
    Pending.clear();
    ImaIndex.assign(Dst.Channels, 0);
    if (Resample)
      Resampler.Reset();
  }

  bool DstIsBlock() const { return !Dst.IsFrameCodec(); }
  bool SrcIsBlock() const { return !Src.IsFrameCodec(); }

  uint64_t OutFrames(uint64_t inFrames) const {
    return Resample ? Resampler.MaxOut(inFrames) : inFrames;
  }

  // Destination bytes for frames more output frames; with flush a partial
  // destination block counts whole.
  uint64_t DstBytes(uint64_t frames, bool flush) const {
    if (!DstIsBlock())
      return frames * Dst.BlockAlign;
    const uint64_t all = Pending.size() / Dst.Channels + frames;
    const uint64_t blocks =
        flush ? (all + Dst.FramesPerBlock - 1) / Dst.FramesPerBlock : all / Dst.FramesPerBlock;
    return blocks * Dst.BlockAlign;
  }

  uint64_t FlushBytes() const {
    const uint64_t partial = (SrcIsBlock() && !Held.empty()) ? Src.FramesPerBlock : 0;
    return DstBytes(OutFrames(partial), true);
  }

  // Channel map, rate change and encoding of n decoded source frames.
  void Emit(const int32_t *in, size_t n, bool end, uint8_t *dst, size_t &dstUsed) {
    const int32_t *p = in;
    const size_t sc = Src.Channels, dc = Dst.Channels;
    if (sc != dc) {
      Mapped.resize(n * dc);
      for (size_t f = 0; f < n; ++f) {
        if (sc == 1) {
          std::fill_n(&Mapped[f * dc], dc, in[f]);
        } else {
          int64_t sum = 0;
          for (size_t c = 0; c < sc; ++c)
            sum += in[f * sc + c];
          Mapped[f] = int32_t(sum / int64_t(sc));
        }
      }
      p = Mapped.data();
    }
    if (Resample) {
      Rated.clear();
      Resampler.Run(p, n, end, Rated);
      p = Rated.data();
      n = Rated.size() / dc;
    }
    if (!DstIsBlock()) {
      acm::EncodeFrames(Dst, p, n, dst + dstUsed);
      dstUsed += n * Dst.BlockAlign;
      return;
    }
    Pending.insert(Pending.end(), p, p + n * dc);
    const size_t blockValues = size_t(Dst.FramesPerBlock) * dc;
    size_t at = 0;
    for (; Pending.size() - at >= blockValues; at += blockValues)
      EncodeBlock(&Pending[at], dst, dstUsed);
    Pending.erase(Pending.begin(), Pending.begin() + ptrdiff_t(at));
  }

  void EncodeBlock(const int32_t *values, uint8_t *dst, size_t &dstUsed) {
    const size_t count = size_t(Dst.FramesPerBlock) * Dst.Channels;
    Block16.resize(count);
    for (size_t i = 0; i < count; ++i)
      Block16[i] = acm::Narrow16(values[i]);
    if (Dst.Codec == TCodec::ImaAdpcm)
      acm::EncodeImaBlock(Dst, Block16.data(), dst + dstUsed, ImaIndex);
    else
      acm::EncodeMsAdpcmBlock(Dst, Block16.data(), dst + dstUsed);
    dstUsed += Dst.BlockAlign;
  }

  // Decodes up to maxBytes of one source block (whole when maxBytes is the block align).
  void DecodeBlock(const uint8_t *src, size_t bytes, bool end, uint8_t *dst, size_t &dstUsed) {
    Block16.resize(size_t(Src.FramesPerBlock) * Src.Channels);
    const uint32_t frames = Src.Codec == TCodec::ImaAdpcm
                                ? acm::DecodeImaBlock(Src, src, bytes, Block16.data())
                                : acm::DecodeMsAdpcmBlock(Src, src, bytes, Block16.data());
    Decoded.resize(size_t(frames) * Src.Channels);
    for (size_t i = 0; i < Decoded.size(); ++i)
      Decoded[i] = acm::Widen16(Block16[i]);
    Emit(Decoded.data(), frames, end, dst, dstUsed);
  }

  void ConvertBlocks(const uint8_t *src, uint64_t blocks, uint8_t *dst, size_t &dstUsed) {
    if (SrcIsBlock()) {
      for (uint64_t b = 0; b < blocks; ++b)
        DecodeBlock(src + b * Src.BlockAlign, Src.BlockAlign, false, dst, dstUsed);
      return;
    }
    constexpr uint64_t chunk = 4096;
    for (uint64_t done = 0; done < blocks;) {
      const uint64_t n = std::min(chunk, blocks - done);
      Decoded.resize(n * Src.Channels);
      acm::DecodeFrames(Src, src + done * Src.BlockAlign, n, Decoded.data());
      Emit(Decoded.data(), n, false, dst, dstUsed);
      done += n;
    }
  }

  void Flush(uint8_t *dst, size_t &dstUsed) {
    if (SrcIsBlock() && !Held.empty()) {
      std::vector<uint8_t> partial;
      partial.swap(Held);
      DecodeBlock(partial.data(), partial.size(), false, dst, dstUsed);
    }
    Held.clear(); // a partial frame of a frame codec holds no whole sample
    if (Resample)
      Emit(nullptr, 0, true, dst, dstUsed);
    if (DstIsBlock() && !Pending.empty()) {
      Pending.resize(size_t(Dst.FramesPerBlock) * Dst.Channels, 0); // silence pads the last block
      EncodeBlock(Pending.data(), dst, dstUsed);
      Pending.clear();
    }
  }
};

namespace {

std::mutex StreamsLock;
std::unordered_set<const TAcmStream *> &LiveStreams() {
  static std::unordered_set<const TAcmStream *> streams;
  return streams;
}

bool IsLive(HACMSTREAM has) {
  std::lock_guard lock(StreamsLock);
  return has && LiveStreams().count(has) != 0;
}

enum : size_t { rsStream, rsSrc, rsSrcLength, rsDst, rsDstLength };

std::optional<WAVEFORMATEX> SuggestRecord(const TFormat &src, const WAVEFORMATEX &want,
                                          uint32_t flags, std::vector<uint8_t> &record) {
  const uint16_t tag = (flags & ACM_FORMATSUGGESTF_WFORMATTAG) ? want.wFormatTag : WAVE_FORMAT_PCM;
  const uint16_t channels = (flags & ACM_FORMATSUGGESTF_NCHANNELS) ? want.nChannels : src.Channels;
  const uint32_t rate =
      (flags & ACM_FORMATSUGGESTF_NSAMPLESPERSEC) ? want.nSamplesPerSec : src.Rate;
  if (channels == 0 || channels > acm::MaxChannels || rate == 0 || rate > acm::MaxRate ||
      !ChannelsMap(src.Channels, channels))
    return std::nullopt;
  uint16_t bits;
  switch (tag) {
  case WAVE_FORMAT_PCM:
    bits = src.Codec == TCodec::Pcm ? src.Bits : 16;
    break;
  case WAVE_FORMAT_IEEE_FLOAT:
    bits = 32;
    break;
  case WAVE_FORMAT_ALAW:
  case WAVE_FORMAT_MULAW:
    bits = 8;
    break;
  case WAVE_FORMAT_IMA_ADPCM:
  case WAVE_FORMAT_ADPCM:
    bits = 4;
    break;
  default:
    return std::nullopt;
  }
  if (flags & ACM_FORMATSUGGESTF_WBITSPERSAMPLE) {
    const uint16_t wanted = want.wBitsPerSample;
    const bool ok = tag == WAVE_FORMAT_PCM
                        ? (wanted == 8 || wanted == 16 || wanted == 24 || wanted == 32)
                    : tag == WAVE_FORMAT_IEEE_FLOAT ? (wanted == 32 || wanted == 64)
                                                    : wanted == bits;
    if (!ok)
      return std::nullopt;
    bits = wanted;
  }
  if (tag == WAVE_FORMAT_IMA_ADPCM) {
    const IMAADPCMWAVEFORMAT f = acm::MakeImaAdpcmFormat(rate, channels);
    record.assign(reinterpret_cast<const uint8_t *>(&f),
                  reinterpret_cast<const uint8_t *>(&f) + sizeof f);
    return f.wfx;
  }
  if (tag == WAVE_FORMAT_ADPCM) {
    const ADPCMWAVEFORMAT f = acm::MakeMsAdpcmFormat(rate, channels);
    record.assign(reinterpret_cast<const uint8_t *>(&f),
                  reinterpret_cast<const uint8_t *>(&f) + sizeof f);
    return f.wfx;
  }
  WAVEFORMATEX w;
  FillPcm(w, tag, channels, rate, bits);
  if (tag == WAVE_FORMAT_ALAW || tag == WAVE_FORMAT_MULAW) {
    w.nBlockAlign = channels;
    w.nAvgBytesPerSec = rate * channels;
  }
  record.assign(reinterpret_cast<const uint8_t *>(&w),
                reinterpret_cast<const uint8_t *>(&w) + sizeof w);
  return w;
}

std::string ChannelText(uint32_t channels) {
  if (channels == 1)
    return "Mono";
  if (channels == 2)
    return "Stereo";
  return std::to_string(channels) + " Channels";
}

} // namespace

namespace acm {

IMAADPCMWAVEFORMAT MakeImaAdpcmFormat(uint32_t samplesPerSec, uint16_t channels) {
  IMAADPCMWAVEFORMAT f{};
  f.wfx.wFormatTag = WAVE_FORMAT_IMA_ADPCM;
  f.wfx.nChannels = channels;
  f.wfx.nSamplesPerSec = samplesPerSec;
  f.wfx.nBlockAlign = uint16_t(256u * channels * BlockFactor(samplesPerSec));
  f.wfx.wBitsPerSample = 4;
  f.wfx.cbSize = 2;
  f.wSamplesPerBlock = uint16_t((f.wfx.nBlockAlign - 4u * channels) * 2 / channels + 1);
  f.wfx.nAvgBytesPerSec =
      uint32_t(uint64_t(samplesPerSec) * f.wfx.nBlockAlign / f.wSamplesPerBlock);
  return f;
}

ADPCMWAVEFORMAT MakeMsAdpcmFormat(uint32_t samplesPerSec, uint16_t channels) {
  ADPCMWAVEFORMAT f{};
  f.wfx.wFormatTag = WAVE_FORMAT_ADPCM;
  f.wfx.nChannels = channels;
  f.wfx.nSamplesPerSec = samplesPerSec;
  f.wfx.nBlockAlign = uint16_t(256u * channels * BlockFactor(samplesPerSec));
  f.wfx.wBitsPerSample = 4;
  f.wfx.cbSize = 4 + 4 * MSADPCM_NUM_COEF;
  f.wSamplesPerBlock = uint16_t((f.wfx.nBlockAlign - 7u * channels) * 2 / channels + 2);
  f.wNumCoef = MSADPCM_NUM_COEF;
  std::copy(std::begin(MSADPCM_STANDARD_COEF), std::end(MSADPCM_STANDARD_COEF), f.aCoef);
  f.wfx.nAvgBytesPerSec =
      uint32_t(uint64_t(samplesPerSec) * f.wfx.nBlockAlign / f.wSamplesPerBlock);
  return f;
}

} // namespace acm

// ---- The calls ------------------------------------------------------------------

MMRESULT acmMetrics(HACMOBJ hao, uint32_t uMetric, void *pMetric) {
  if (hao)
    return MMSYSERR_INVALHANDLE;
  if (!pMetric)
    return MMSYSERR_INVALPARAM;
  uint32_t value;
  switch (uMetric) {
  case ACM_METRIC_COUNT_DRIVERS:
  case ACM_METRIC_COUNT_CODECS:
    value = 1;
    break;
  case ACM_METRIC_MAX_SIZE_FORMAT:
    value = LargestFormat;
    break;
  default:
    return MMSYSERR_NOTSUPPORTED;
  }
  std::memcpy(pMetric, &value, sizeof value);
  return MMSYSERR_NOERROR;
}

MMRESULT acmFormatSuggest(HACMDRIVER had, const WAVEFORMATEX *pwfxSrc, WAVEFORMATEX *pwfxDst,
                          uint32_t cbwfxDst, uint32_t fdwSuggest) {
  if (had)
    return MMSYSERR_INVALHANDLE;
  if (fdwSuggest & ~ACM_FORMATSUGGESTF_TYPEMASK)
    return MMSYSERR_INVALFLAG;
  if (!pwfxSrc || !pwfxDst || cbwfxDst < sizeof(WAVEFORMATEX))
    return MMSYSERR_INVALPARAM;
  const auto src = acm::ParseFormat(pwfxSrc);
  if (!src)
    return ACMERR_NOTPOSSIBLE;
  WAVEFORMATEX want;
  std::memcpy(&want, pwfxDst, sizeof want);
  std::vector<uint8_t> record;
  if (!SuggestRecord(*src, want, fdwSuggest, record))
    return ACMERR_NOTPOSSIBLE;
  if (record.size() > cbwfxDst)
    return MMSYSERR_INVALPARAM;
  std::memcpy(pwfxDst, record.data(), record.size());
  return MMSYSERR_NOERROR;
}

MMRESULT acmFormatTagDetails(HACMDRIVER had, ACMFORMATTAGDETAILS *paftd, uint32_t fdwDetails) {
  if (had)
    return MMSYSERR_INVALHANDLE;
  if (!paftd || paftd->cbStruct < sizeof(ACMFORMATTAGDETAILS))
    return MMSYSERR_INVALPARAM;
  const TTagInfo *info = nullptr;
  switch (fdwDetails) {
  case ACM_FORMATTAGDETAILSF_INDEX:
    if (paftd->dwFormatTagIndex < std::size(Tags))
      info = &Tags[paftd->dwFormatTagIndex];
    break;
  case ACM_FORMATTAGDETAILSF_FORMATTAG:
    info = FindTag(paftd->dwFormatTag);
    break;
  case ACM_FORMATTAGDETAILSF_LARGESTSIZE:
    if (paftd->dwFormatTag == WAVE_FORMAT_UNKNOWN)
      info = FindTag(WAVE_FORMAT_ADPCM);
    else
      info = FindTag(paftd->dwFormatTag);
    break;
  default:
    return MMSYSERR_INVALFLAG;
  }
  if (!info)
    return ACMERR_NOTPOSSIBLE;
  paftd->cbStruct = sizeof(ACMFORMATTAGDETAILS);
  paftd->dwFormatTagIndex = uint32_t(info - Tags);
  paftd->dwFormatTag = info->Tag;
  paftd->cbFormatSize = info->LargestSize;
  paftd->fdwSupport = ACMDRIVERDETAILS_SUPPORTF_CODEC | ACMDRIVERDETAILS_SUPPORTF_CONVERTER;
  paftd->cFormats = info->StandardFormats;
  CopyName(paftd->szFormatTag, sizeof paftd->szFormatTag, info->Name);
  return MMSYSERR_NOERROR;
}

MMRESULT acmFormatDetails(HACMDRIVER had, ACMFORMATDETAILS *pafd, uint32_t fdwDetails) {
  if (had)
    return MMSYSERR_INVALHANDLE;
  if (fdwDetails == ACM_FORMATDETAILSF_INDEX)
    return MMSYSERR_NOTSUPPORTED;
  if (fdwDetails != ACM_FORMATDETAILSF_FORMAT)
    return MMSYSERR_INVALFLAG;
  if (!pafd || pafd->cbStruct < sizeof(ACMFORMATDETAILS) || !pafd->pwfx ||
      pafd->cbwfx < sizeof(WAVEFORMATEX))
    return MMSYSERR_INVALPARAM;
  WAVEFORMATEX head;
  std::memcpy(&head, pafd->pwfx, sizeof head);
  if (pafd->cbwfx < acm::FormatRecordSize(head) || pafd->dwFormatTag != head.wFormatTag)
    return MMSYSERR_INVALPARAM;
  const auto f = acm::ParseFormat(pafd->pwfx);
  if (!f)
    return ACMERR_NOTPOSSIBLE;
  const uint32_t rate = f->Rate;
  std::string text = std::to_string(rate / 1000) + ".";
  const std::string millis = std::to_string(rate % 1000);
  text += std::string(3 - millis.size(), '0') + millis + " kHz, " + std::to_string(f->Bits) +
          " Bit, " + ChannelText(f->Channels);
  pafd->fdwSupport = ACMDRIVERDETAILS_SUPPORTF_CODEC | ACMDRIVERDETAILS_SUPPORTF_CONVERTER;
  CopyName(pafd->szFormat, sizeof pafd->szFormat, text);
  return MMSYSERR_NOERROR;
}

MMRESULT acmFormatChoose(ACMFORMATCHOOSE *pafmtc) {
  if (!pafmtc || pafmtc->cbStruct < sizeof(ACMFORMATCHOOSE) || !pafmtc->pwfx ||
      pafmtc->cbwfx < sizeof(WAVEFORMATEX))
    return MMSYSERR_INVALPARAM;
  return ACMERR_CANCELED; // no dialog on this platform: the user "cancelled"
}

MMRESULT acmStreamOpen(HACMSTREAM *phas, HACMDRIVER had, const WAVEFORMATEX *pwfxSrc,
                       const WAVEFORMATEX *pwfxDst, WAVEFILTER *pwfltr, uintptr_t dwCallback,
                       uintptr_t dwInstance, uint32_t fdwOpen) {
  (void)dwInstance;
  const bool query = fdwOpen & ACM_STREAMOPENF_QUERY;
  if (phas)
    *phas = nullptr;
  if (had)
    return MMSYSERR_INVALHANDLE;
  if (fdwOpen & ~(ACM_STREAMOPENF_QUERY | ACM_STREAMOPENF_ASYNC | ACM_STREAMOPENF_NONREALTIME))
    return MMSYSERR_INVALFLAG;
  if ((fdwOpen & ACM_STREAMOPENF_ASYNC) || pwfltr || dwCallback)
    return MMSYSERR_NOTSUPPORTED;
  if ((!phas && !query) || !pwfxSrc || !pwfxDst)
    return MMSYSERR_INVALPARAM;
  const auto src = acm::ParseFormat(pwfxSrc);
  const auto dst = acm::ParseFormat(pwfxDst);
  if (!src || !dst || !ChannelsMap(src->Channels, dst->Channels))
    return ACMERR_NOTPOSSIBLE;
  if (query)
    return MMSYSERR_NOERROR;
  auto stream = std::make_unique<TAcmStream>();
  stream->Src = *src;
  stream->Dst = *dst;
  stream->Resample = src->Rate != dst->Rate;
  if (stream->Resample)
    stream->Resampler.Init(src->Rate, dst->Rate, dst->Channels);
  stream->Reset();
  {
    std::lock_guard lock(StreamsLock);
    LiveStreams().insert(stream.get());
  }
  *phas = stream.release();
  return MMSYSERR_NOERROR;
}

MMRESULT acmStreamClose(HACMSTREAM has, uint32_t fdwClose) {
  if (fdwClose)
    return MMSYSERR_INVALFLAG;
  {
    std::lock_guard lock(StreamsLock);
    if (!has || LiveStreams().erase(has) == 0)
      return MMSYSERR_INVALHANDLE;
  }
  delete has;
  return MMSYSERR_NOERROR;
}

MMRESULT acmStreamSize(HACMSTREAM has, uint32_t cbInput, uint32_t *pdwOutputBytes,
                       uint32_t fdwSize) {
  if (!IsLive(has))
    return MMSYSERR_INVALHANDLE;
  if (!pdwOutputBytes)
    return MMSYSERR_INVALPARAM;
  const TAcmStream &s = *has;
  uint64_t bytes;
  if (fdwSize == ACM_STREAMSIZEF_SOURCE) {
    const uint64_t blocks =
        (s.Held.size() + uint64_t(cbInput) + s.Src.BlockAlign - 1) / s.Src.BlockAlign;
    bytes = s.DstBytes(s.OutFrames(blocks * s.Src.FramesPerBlock), true);
  } else if (fdwSize == ACM_STREAMSIZEF_DESTINATION) {
    const uint64_t frames = uint64_t(cbInput / s.Dst.BlockAlign) * s.Dst.FramesPerBlock;
    const uint64_t srcFrames =
        s.Resample ? uint64_t((unsigned __int128)frames * s.Resampler.From / s.Resampler.To)
                   : frames;
    bytes = srcFrames / s.Src.FramesPerBlock * s.Src.BlockAlign;
  } else {
    return MMSYSERR_INVALFLAG;
  }
  if (bytes > UINT32_MAX)
    return MMSYSERR_INVALPARAM;
  *pdwOutputBytes = uint32_t(bytes);
  return MMSYSERR_NOERROR;
}

MMRESULT acmStreamPrepareHeader(HACMSTREAM has, ACMSTREAMHEADER *pash, uint32_t fdwPrepare) {
  if (!IsLive(has))
    return MMSYSERR_INVALHANDLE;
  if (fdwPrepare)
    return MMSYSERR_INVALFLAG;
  if (!pash || pash->cbStruct != sizeof(ACMSTREAMHEADER) || (!pash->pbSrc && pash->cbSrcLength) ||
      (!pash->pbDst && pash->cbDstLength))
    return MMSYSERR_INVALPARAM;
  if ((pash->fdwStatus & ACMSTREAMHEADER_STATUSF_PREPARED) &&
      pash->dwReservedDriver[rsStream] == reinterpret_cast<uintptr_t>(has))
    return MMSYSERR_NOERROR;
  pash->dwReservedDriver[rsStream] = reinterpret_cast<uintptr_t>(has);
  pash->dwReservedDriver[rsSrc] = reinterpret_cast<uintptr_t>(pash->pbSrc);
  pash->dwReservedDriver[rsSrcLength] = pash->cbSrcLength;
  pash->dwReservedDriver[rsDst] = reinterpret_cast<uintptr_t>(pash->pbDst);
  pash->dwReservedDriver[rsDstLength] = pash->cbDstLength;
  pash->fdwStatus = ACMSTREAMHEADER_STATUSF_PREPARED;
  return MMSYSERR_NOERROR;
}

namespace {

bool PreparedFor(HACMSTREAM has, const ACMSTREAMHEADER *pash) {
  return (pash->fdwStatus & ACMSTREAMHEADER_STATUSF_PREPARED) &&
         pash->dwReservedDriver[rsStream] == reinterpret_cast<uintptr_t>(has);
}

bool BuffersAsPrepared(const ACMSTREAMHEADER *pash) {
  return pash->dwReservedDriver[rsSrc] == reinterpret_cast<uintptr_t>(pash->pbSrc) &&
         pash->dwReservedDriver[rsDst] == reinterpret_cast<uintptr_t>(pash->pbDst) &&
         pash->cbSrcLength <= pash->dwReservedDriver[rsSrcLength] &&
         pash->cbDstLength <= pash->dwReservedDriver[rsDstLength];
}

} // namespace

MMRESULT acmStreamUnprepareHeader(HACMSTREAM has, ACMSTREAMHEADER *pash, uint32_t fdwUnprepare) {
  if (!IsLive(has))
    return MMSYSERR_INVALHANDLE;
  if (fdwUnprepare)
    return MMSYSERR_INVALFLAG;
  if (!pash || pash->cbStruct != sizeof(ACMSTREAMHEADER))
    return MMSYSERR_INVALPARAM;
  if (!PreparedFor(has, pash))
    return ACMERR_UNPREPARED;
  if (pash->fdwStatus & ACMSTREAMHEADER_STATUSF_INQUEUE)
    return ACMERR_BUSY;
  if (!BuffersAsPrepared(pash))
    return MMSYSERR_INVALPARAM;
  pash->fdwStatus &= ~ACMSTREAMHEADER_STATUSF_PREPARED;
  std::fill(std::begin(pash->dwReservedDriver), std::end(pash->dwReservedDriver), 0);
  return MMSYSERR_NOERROR;
}

MMRESULT acmStreamConvert(HACMSTREAM has, ACMSTREAMHEADER *pash, uint32_t fdwConvert) {
  if (!IsLive(has))
    return MMSYSERR_INVALHANDLE;
  if (fdwConvert &
      ~(ACM_STREAMCONVERTF_BLOCKALIGN | ACM_STREAMCONVERTF_START | ACM_STREAMCONVERTF_END))
    return MMSYSERR_INVALFLAG;
  if (!pash || pash->cbStruct != sizeof(ACMSTREAMHEADER))
    return MMSYSERR_INVALPARAM;
  if (!PreparedFor(has, pash))
    return ACMERR_UNPREPARED;
  if (!BuffersAsPrepared(pash))
    return MMSYSERR_INVALPARAM;
  TAcmStream &s = *has;
  if (fdwConvert & ACM_STREAMCONVERTF_START)
    s.Reset();

  const uint8_t *src = pash->pbSrc;
  const uint64_t srcLength = pash->cbSrcLength;
  const uint64_t dstCap = pash->cbDstLength;
  const uint64_t blockBytes = s.Src.BlockAlign;
  const uint64_t wholeBlocks = (s.Held.size() + srcLength) / blockBytes;
  // The most whole source blocks whose output is sure to fit.
  auto fits = [&](uint64_t blocks) {
    return s.DstBytes(s.OutFrames(blocks * s.Src.FramesPerBlock), false) <= dstCap;
  };
  uint64_t lo = 0, hi = wholeBlocks;
  while (lo < hi) {
    const uint64_t mid = lo + (hi - lo + 1) / 2;
    if (fits(mid))
      lo = mid;
    else
      hi = mid - 1;
  }
  const uint64_t blocks = lo;

  size_t dstUsed = 0;
  uint64_t srcUsed = 0;
  uint64_t left = blocks;
  if (left > 0 && !s.Held.empty()) {
    const uint64_t need = blockBytes - s.Held.size();
    s.Held.insert(s.Held.end(), src, src + need);
    srcUsed = need;
    std::vector<uint8_t> first;
    first.swap(s.Held);
    s.ConvertBlocks(first.data(), 1, pash->pbDst, dstUsed);
    --left;
  }
  s.ConvertBlocks(src + srcUsed, left, pash->pbDst, dstUsed);
  srcUsed += left * blockBytes;
  if (blocks == wholeBlocks) {
    // Every whole block is done: the tail waits in the stream for its block's rest.
    s.Held.insert(s.Held.end(), src + srcUsed, src + srcLength);
    srcUsed = srcLength;
    if ((fdwConvert & ACM_STREAMCONVERTF_END) && s.FlushBytes() <= dstCap - dstUsed)
      s.Flush(pash->pbDst, dstUsed);
  }
  pash->cbSrcLengthUsed = uint32_t(srcUsed);
  pash->cbDstLengthUsed = uint32_t(dstUsed);
  pash->fdwStatus |= ACMSTREAMHEADER_STATUSF_DONE;
  return MMSYSERR_NOERROR;
}
