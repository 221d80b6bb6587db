#include "audio/ALWavePlayer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/acm/AcmCodecs.h"

using namespace avifile;

namespace {

// a x b / c rounded half away from zero, as the platform's MulDiv.
int64_t MulDiv(int64_t a, int64_t b, int64_t c) {
  if (c == 0)
    return -1;
  const __int128 p = (__int128)a * b;
  const __int128 q = p >= 0 ? (p + c / 2) / c : (p - c / 2) / c;
  return int64_t(q);
}

// The format record of a stream, at least a whole WAVEFORMATEX.
std::vector<uint8_t> ReadFormatRecord(PAVISTREAM stream) {
  int32_t size = 0;
  AVIStreamReadFormat(stream, 0, nullptr, &size);
  std::vector<uint8_t> record(size_t(std::max<int32_t>(size, sizeof(WAVEFORMATEX))), 0);
  AVIStreamReadFormat(stream, 0, record.data(), &size);
  return record;
}

std::string Channels(uint32_t n) { return std::to_string(n) + (n == 1 ? " channel" : " channels"); }

// What the player plays a file's format record as: PCM as it is (announced
// as the extensible record), anything else decoded to 16-bit PCM by the codec
// opened into Acm.
struct TPlayableFormat {
  WAVEFORMATEX File{};
  WAVEFORMATEXTENSIBLE Stream{};
  HACMSTREAM Acm = nullptr;
};

// Sets Out up for the record, or says why the player can't play it (a
// sentence; nothing is left open then).
std::string SetUpFormat(const std::vector<uint8_t> &record, TPlayableFormat &Out) {
  WAVEFORMATEX file{};
  std::memcpy(&file, record.data(), sizeof file);
  Out.File = file;
  // The codecs' own bounds; the buffers and meters have no room for more.
  if (file.nChannels > acm::MaxChannels)
    return "The file has " + Channels(file.nChannels) + "; at most " +
           std::to_string(acm::MaxChannels) + " can be played.";
  if (file.nSamplesPerSec > acm::MaxRate)
    return "The file's sample rate of " + std::to_string(file.nSamplesPerSec) +
           " Hz is above the " + std::to_string(acm::MaxRate) + " Hz that can be played.";
  bool pcm = file.wFormatTag == WAVE_FORMAT_PCM;
  std::string subFormat;
  if (file.wFormatTag == WAVE_FORMAT_EXTENSIBLE && record.size() >= sizeof(WAVEFORMATEXTENSIBLE)) {
    WAVEFORMATEXTENSIBLE x;
    std::memcpy(&x, record.data(), sizeof x);
    // Extensible float (or any other sub-format) is not integer PCM: decode it.
    pcm = x.SubFormat == KSDATAFORMAT_SUBTYPE_PCM;
    subFormat = x.SubFormat.ToString();
  }
  if (pcm) {
    WAVEFORMATEXTENSIBLE f{};
    if (file.wFormatTag == WAVE_FORMAT_EXTENSIBLE) {
      std::memcpy(&f, record.data(), sizeof f);
    } else {
      f.Format = file;
      f.Format.wFormatTag = WAVE_FORMAT_EXTENSIBLE;
      f.Format.cbSize = WAVEFORMATEXTENSIBLE_EXTRA;
      f.Samples.wValidBitsPerSample = file.wBitsPerSample;
      f.dwChannelMask = ALDefaultChannelMask(file.nChannels).Mask;
      f.SubFormat = KSDATAFORMAT_SUBTYPE_PCM;
    }
    if (f.Format.wBitsPerSample == 0)
      return "The file's PCM samples have 0 bits.";
    if (f.Format.wBitsPerSample > 32)
      return "The file's PCM samples have " + std::to_string(f.Format.wBitsPerSample) +
             " bits; at most 32 can be played.";
    if (f.Format.wBitsPerSample % 8 != 0)
      f.Format.wBitsPerSample = uint16_t((f.Format.wBitsPerSample / 8 + 1) * 8);
    // Audio buffers derive their container from the valid bits; samples sit
    // at the top of a wider container (24 in 32), so they play as its width.
    if (ALContainerBits(f.Samples.wValidBitsPerSample) != f.Format.wBitsPerSample)
      f.Samples.wValidBitsPerSample = f.Format.wBitsPerSample;
    const uint32_t frame = uint32_t(f.Format.nChannels) * f.Format.wBitsPerSample / 8;
    if (f.Format.nBlockAlign != frame) {
      // Frames of another size than the buffers' would overrun them.
      return "The file's block align of " + std::to_string(f.Format.nBlockAlign) +
             " bytes does not match " + Channels(f.Format.nChannels) + " of " +
             std::to_string(f.Format.wBitsPerSample) + " bits (" + std::to_string(frame) +
             " bytes a frame).";
    }
    Out.Stream = f;
    return "";
  }
  WAVEFORMATEXTENSIBLE d{};
  d.Format.wFormatTag = WAVE_FORMAT_EXTENSIBLE;
  d.Format.nChannels = file.nChannels;
  d.Format.wBitsPerSample = 16;
  d.Format.nSamplesPerSec = file.nSamplesPerSec;
  d.Format.nBlockAlign = uint16_t(16 * file.nChannels / 8);
  d.Format.nAvgBytesPerSec = d.Format.nBlockAlign * file.nSamplesPerSec;
  d.Format.cbSize = WAVEFORMATEXTENSIBLE_EXTRA;
  d.Samples.wValidBitsPerSample = 16;
  d.dwChannelMask = ALDefaultChannelMask(file.nChannels).Mask;
  d.SubFormat = KSDATAFORMAT_SUBTYPE_PCM;
  HACMSTREAM acm = nullptr;
  if (acmStreamOpen(&acm, nullptr, reinterpret_cast<const WAVEFORMATEX *>(record.data()), &d.Format,
                    nullptr, 0, 0, ACM_STREAMOPENF_NONREALTIME) != MMSYSERR_NOERROR) {
    // Compressed bytes handed out as samples would play as noise.
    char tag[8];
    std::snprintf(tag, sizeof tag, "0x%04X", unsigned(file.wFormatTag));
    return "The file's audio format (format tag " + std::string(tag) +
           (subFormat.empty() ? "" : ", sub-format " + subFormat) + ") can't be decoded.";
  }
  Out.Stream = d;
  Out.Acm = acm;
  return "";
}
} // namespace

TALWavePlayer::TALWavePlayer(TComponent *AOwner) : TALCommonPlayer(AOwner) { AVIFileInit(); }

TALWavePlayer::~TALWavePlayer() {
  IntClose();
  AVIFileExit();
}

std::string TALWavePlayer::PlayProblem(const std::string &FileName) {
  PAVIFILE file = nullptr;
  if (AVIFileOpen(&file, FileName.c_str(), OF_READ, nullptr) != AVIERR_OK) {
    const std::string why = AVIFileOpenError();
    return (why.empty() ? "The file is not a readable WAV file" : why) + ".";
  }
  PAVISTREAM stream = nullptr;
  std::string why;
  if (AVIFileGetStream(file, &stream, streamtypeAUDIO, 0) != AVIERR_OK) {
    why = "The file holds no audio stream.";
  } else {
    TPlayableFormat playable;
    why = SetUpFormat(ReadFormatRecord(stream), playable);
    if (playable.Acm)
      acmStreamClose(playable.Acm, 0);
    AVIStreamRelease(stream);
  }
  AVIFileRelease(file);
  return why;
}

std::string TALWavePlayer::GetLastError() const {
  TOWReadSection section(GetLockObject());
  return lastError_;
}

void TALWavePlayer::IntStart(bool Force) {
  resumeCountdown_ = 4;
  leftoverOffset_ = leftoverFrames_ = 0;
  firstPump_ = true;
  lastError_.clear();
  IntClose();
  const std::string name = GetFileName();
  // A file that does not start leaves no length of an earlier one behind.
  samplesCount_ = 0;
  if (name.empty())
    return;
  if (AVIFileOpen(&file_, name.c_str(), OF_READ, nullptr) != AVIERR_OK) {
    lastError_ = "Can't open \"" + name + "\" as a WAV file: " + AVIFileOpenError() + ".";
    return;
  }
  if (AVIFileGetStream(file_, &stream_, streamtypeAUDIO, 0) != AVIERR_OK) {
    lastError_ = "\"" + name + "\" holds no audio stream.";
    IntClose();
    return;
  }
  AVISTREAMINFOA info{};
  AVIStreamInfo(stream_, &info, sizeof info);
  fileFormat_ = ReadFormatRecord(stream_);
  streamLength_ = info.dwLength;
  TPlayableFormat playable;
  if (const std::string why = SetUpFormat(fileFormat_, playable); !why.empty()) {
    lastError_ = "\"" + name + "\": " + why;
    IntClose();
    return;
  }
  streamFormat_ = playable.Stream;
  acm_ = playable.Acm;
  if (!Decoding()) {
    samplesCount_ = int64_t(info.dwLength);
  } else {
    decodedFormat_ = playable.Stream;
    const WAVEFORMATEX &file = playable.File;
    samplesCount_ =
        int64_t((__int128)file.nSamplesPerSec * info.dwLength * info.dwScale / info.dwRate);
  }

  if (AVIFileGetStream(file_, &textStream_, streamtypeTEXT, 0) != AVIERR_OK)
    textStream_ = nullptr;

  TALAudioPlayerSegment *segment = GetPlaySegment();
  const int64_t count = samplesCount_;
  if (segment->GetEnabled()) {
    rangeStart_ = std::min(segment->GetStartSample(), count - 1);
    rangeEnd_ = std::min(segment->GetStopSample(), count - 1);
  } else {
    rangeStart_ = std::min<int64_t>(info.dwStart, std::max<int64_t>(count - 1, 0));
    rangeEnd_ = count - 1;
  }
  rangeStart_ = std::max<int64_t>(rangeStart_, 0);

  const int32_t bufferSize = GetBufferSize();
  if (Decoding())
    period_ = uint32_t(
        std::nearbyint(999.0 / (double(streamFormat_.Format.nSamplesPerSec) / bufferSize)));
  else
    period_ = uint32_t(
        std::max<int64_t>(MulDiv(int64_t(info.dwScale) * bufferSize, 1000, info.dwRate), 0));

  currentSample_ = rangeStart_.load();
  playing_ = true;
  firstConversion_ = true;
  ResetPosition();
  if (!started_ || Force)
    SendStartWave();
  // The start-pump pulls the first buffers at once: the scratch buffer they
  // are read through must exist by then.
  CreateScratch();
  if (GetClockSource() == csInternal && !selfClocked_)
    GetOutputPin()->Notify(TOWNotifyOperation::Make<TOWStartPumpOperation>().Get());
  SendPumpRequest(float(period_));
  if (period_ == 0)
    period_ = 10;
  if (playing_ && !GetPaused())
    CreateTimer();
}

void TALWavePlayer::ResetPosition() {
  TALCommonPlayer::ResetPosition();
  const int64_t current = currentSample_;
  if (Decoding()) {
    // Blocks of the file and decoded frames meet exactly only at 0; elsewhere
    // the block that holds the frame in proportion, decoded afresh.
    readPosition_ =
        samplesCount_ > 0 ? int64_t((__int128)current * streamLength_ / samplesCount_) : 0;
    firstConversion_ = true;
  } else {
    readPosition_ = current;
  }
  flushed_ = false;
  leftoverOffset_ = leftoverFrames_ = 0;
  lastTextSample_ = -1;
}

int32_t TALWavePlayer::Decode(const uint8_t *Source, uint32_t Bytes, bool End) {
  leftoverOffset_ = leftoverFrames_ = 0;
  uint32_t outSize = 0;
  const uint32_t sizeOf =
      End && Bytes == 0
          ? std::max<uint32_t>(1, reinterpret_cast<WAVEFORMATEX *>(fileFormat_.data())->nBlockAlign)
          : Bytes;
  if (acmStreamSize(acm_, sizeOf, &outSize, ACM_STREAMSIZEF_SOURCE) != MMSYSERR_NOERROR ||
      outSize == 0)
    return 0;
  leftover_.resize(outSize);
  ACMSTREAMHEADER header{};
  header.cbStruct = sizeof header;
  header.pbSrc = const_cast<uint8_t *>(Source);
  header.cbSrcLength = Bytes;
  header.pbDst = leftover_.data();
  header.cbDstLength = outSize;
  if (acmStreamPrepareHeader(acm_, &header, 0) != MMSYSERR_NOERROR)
    return 0;
  uint32_t flags = ACM_STREAMCONVERTF_BLOCKALIGN;
  if (firstConversion_)
    flags |= ACM_STREAMCONVERTF_START;
  if (End)
    flags |= ACM_STREAMCONVERTF_END;
  const bool ok = acmStreamConvert(acm_, &header, flags) == MMSYSERR_NOERROR;
  acmStreamUnprepareHeader(acm_, &header, 0);
  if (!ok)
    return 0;
  firstConversion_ = false;
  leftoverFrames_ = int32_t(header.cbDstLengthUsed / streamFormat_.Format.nBlockAlign);
  return leftoverFrames_;
}

int32_t TALWavePlayer::ReadData(uint8_t *Destination, int32_t Frames) {
  const uint32_t ba = streamFormat_.Format.nBlockAlign;
  if (!stream_ || ba == 0 || Frames <= 0)
    return -1;
  int32_t result = 0;
  for (;;) {
    if (leftoverOffset_ < leftoverFrames_) {
      const int32_t n = std::min(Frames - result, leftoverFrames_ - leftoverOffset_);
      std::memcpy(Destination + size_t(result) * ba,
                  leftover_.data() + size_t(leftoverOffset_) * ba, size_t(n) * ba);
      leftoverOffset_ += n;
      result += n;
      if (leftoverOffset_ >= leftoverFrames_)
        leftoverOffset_ = leftoverFrames_ = 0;
    }
    if (result >= Frames)
      return result;
    const uint32_t want = uint32_t(Frames - result) * ba;
    int32_t bytes = 0, samples = 0;
    if (!Decoding()) {
      if (AVIStreamRead(stream_, readPosition_, Frames - result, Destination + size_t(result) * ba,
                        int32_t(want), &bytes, &samples) != AVIERR_OK)
        return result > 0 ? result : -1;
      readPosition_ += samples;
      return result + samples;
    }
    const uint32_t blockAlign = reinterpret_cast<WAVEFORMATEX *>(fileFormat_.data())->nBlockAlign;
    compressed_.resize(std::max(want, blockAlign));
    if (AVIStreamRead(stream_, readPosition_, AVISTREAMREAD_CONVENIENT, compressed_.data(),
                      int32_t(compressed_.size()), &bytes, &samples) != AVIERR_OK)
      return result > 0 ? result : -1;
    readPosition_ += samples;
    if (samples == 0) {
      // The end of the stream: what the codec still holds is the last sound.
      if (flushed_ || Decode(nullptr, 0, true) == 0) {
        flushed_ = true;
        return result;
      }
      flushed_ = true;
      continue;
    }
    Decode(compressed_.data(), uint32_t(bytes), false);
  }
}

void TALWavePlayer::GenerateNewTextFrame() {
  if (!GetEnabled() || !textStream_ || !stream_)
    return;
  int64_t from = currentSample_, to = from + GetBufferSize();
  if (from > rangeEnd_)
    from = rangeEnd_ - 1;
  if (to > rangeEnd_)
    to = rangeEnd_;
  const int64_t textFrom = AVIStreamTimeToSample(textStream_, AVIStreamSampleToTime(stream_, from));
  const int64_t textTo = AVIStreamTimeToSample(textStream_, AVIStreamSampleToTime(stream_, to));
  if (textFrom == lastTextSample_)
    return;
  lastTextSample_ = textFrom;
  if (textFrom >= textTo)
    return;
  int32_t bytes = 0;
  if (AVIStreamRead(textStream_, textFrom, int32_t(textTo - textFrom), nullptr, 0, &bytes,
                    nullptr) != AVIERR_OK ||
      bytes <= 0)
    return;
  std::string text(size_t(bytes), '\0');
  if (AVIStreamRead(textStream_, textFrom, int32_t(textTo - textFrom), text.data(), bytes, &bytes,
                    nullptr) != AVIERR_OK)
    return;
  text.resize(strnlen(text.c_str(), text.size()));
  if (!text.empty() && OnCaptionText)
    OnCaptionText(this, text);
}

void TALWavePlayer::IntClose() {
  if (acm_) {
    acmStreamClose(acm_, 0);
    acm_ = nullptr;
  }
  if (textStream_) {
    AVIStreamRelease(textStream_);
    textStream_ = nullptr;
  }
  if (stream_) {
    AVIStreamRelease(stream_);
    stream_ = nullptr;
  }
  if (file_) {
    AVIFileRelease(file_);
    file_ = nullptr;
  }
  fileFormat_.clear();
}
