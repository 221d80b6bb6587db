#include "audio/ALWaveLogger.h"

#include <algorithm>

using namespace avifile;

namespace {
constexpr int64_t kTicksPerSecond = 10000000;
}

const TClassInfo &TALWaveLogger::StaticClassInfo() {
  static const TClassInfo &info = MakeClassInfo<TALWaveLogger>(
      "TALWaveLogger", &TALCommonLogger::StaticClassInfo(), [](TClassBuilder<TALWaveLogger> &c) {
        c.Object("Compression", &TALWaveLogger::GetCompression, &TALWaveLogger::SetCompression);
        c.Enumeration("FileMode", &TALWaveLogger::GetFileMode, &TALWaveLogger::SetFileMode,
                      {"fmTruncate", "fmAppend", "fmOverride"}, fmTruncate);
        c.Event("OnProgress", &TALWaveLogger::OnProgress);
        c.Event("OnError", &TALWaveLogger::OnError);
      });
  return info;
}

TALWaveLogger::TALWaveLogger(TComponent *AOwner) : TALCommonLogger(AOwner) {
  compression_.reset(CreateObject<TALAudioCompression>(this));
  compressor_.reset(CreateObject<TALAcmCompressor>());
  progressWindow_ = std::make_unique<mainloop::THiddenWindow>();
  progressGate_ = std::make_unique<TALProgressGate>([this](bool Later) {
    return Later ? progressWindow_->PostMessageLater(ALLoggerProgressMessage, 0, 0,
                                                     mainloop::DisplayDelay)
                 : progressWindow_->PostMessage(ALLoggerProgressMessage, 0, 0);
  });
  savedProc_ = progressWindow_->SetWindowProc([this](const mainloop::TMessage &Message) {
    if (Message.Msg == ALLoggerProgressMessage)
      SyncReportPosition();
    else if (savedProc_)
      savedProc_(Message);
  });
  failureNotifier_ =
      std::make_unique<TSLMainThreadNotify>([this](TSLMainThreadNotify *) { MainThreadFailure(); });
  AVIFileInit();
}

TALWaveLogger::~TALWaveLogger() {
  ReleaseFile();
  compressor_->CloseCompressor();
  AVIFileExit();
  failureNotifier_.reset();
  progressWindow_->SetWindowProc(savedProc_);
  progressWindow_.reset();
}

void TALWaveLogger::SetCompression(TALAudioCompression *Value) {
  TOWWriteSection section(GetLockObject());
  compression_->SetEnabled(Value->GetEnabled());
  compression_->SetCompressions(Value->GetCompressions());
}

int64_t TALWaveLogger::Get_CurrentSample() const {
  TOWReadSection section(GetLockObject());
  return currentSample_;
}

void TALWaveLogger::Set_CurrentSample(int64_t Value) {
  TOWWriteSection section(GetLockObject());
  currentSample_ = Value;
}

int64_t TALWaveLogger::Get_SamplesCount() const {
  TOWReadSection section(GetLockObject());
  return samplesCount_;
}

int64_t TALWaveLogger::Get_CurrentTime() const {
  TOWReadSection section(GetLockObject());
  const WAVEFORMATEXTENSIBLE *f = GetStreamFormat();
  if (!f || f->Format.nSamplesPerSec == 0)
    return 0;
  return currentSample_ * kTicksPerSecond / f->Format.nSamplesPerSec;
}

void TALWaveLogger::Set_CurrentTime(int64_t Value) {
  TOWWriteSection section(GetLockObject());
  const WAVEFORMATEXTENSIBLE *f = GetStreamFormat();
  if (!f || f->Format.nSamplesPerSec == 0)
    return;
  currentSample_ = Value * f->Format.nSamplesPerSec / kTicksPerSecond;
}

int64_t TALWaveLogger::Get_DurationTime() const {
  TOWReadSection section(GetLockObject());
  const WAVEFORMATEXTENSIBLE *f = GetStreamFormat();
  if (!f || f->Format.nSamplesPerSec == 0)
    return 0;
  return samplesCount_ * kTicksPerSecond / f->Format.nSamplesPerSec;
}

std::string TALWaveLogger::GetLastError() const {
  std::lock_guard<std::mutex> lock(reportMutex_);
  return lastError_;
}

bool TALWaveLogger::CreateAVIFile() {
  if (file_)
    return true;
  const std::string name = GetFileName();
  // fmTruncate empties the file only once it holds the exclusive lock, so a
  // file another writer records into is never deleted under it.
  if (FileMode == fmTruncate)
    return AVIFileOpen(&file_, name.c_str(), OF_CREATE | OF_WRITE | OF_SHARE_EXCLUSIVE, nullptr) ==
           AVIERR_OK;
  if (AVIFileOpen(&file_, name.c_str(), OF_WRITE | OF_SHARE_EXCLUSIVE, nullptr) == AVIERR_OK)
    return true;
  return AVIFileOpen(&file_, name.c_str(), OF_CREATE | OF_WRITE | OF_SHARE_EXCLUSIVE, nullptr) ==
         AVIERR_OK;
}

void TALWaveLogger::BeginAudio(int32_t, const WAVEFORMATEXTENSIBLE *Format) {
  blockAlign_ = Format->Format.nBlockAlign;
  failed_ = false;
  {
    TOWWriteSection section(GetLockObject());
    samplesCount_ = 0;
  }
  const std::string name = GetFileName();
  if (blockAlign_ == 0) {
    Fail("Can't record into \"" + name + "\": the audio format has no frame size.");
    return;
  }
  if (!CreateAVIFile()) {
    Fail("Can't open \"" + name +
         "\" for recording (it may be in use or its folder may not be writable).");
    return;
  }
  AVISTREAMINFOA info{};
  info.fccType = streamtypeAUDIO;
  info.dwScale = Format->Format.nBlockAlign;
  info.dwRate = Format->Format.nAvgBytesPerSec;
  info.dwSampleSize = uint32_t(Format->Format.wBitsPerSample / 8) * Format->Format.nChannels;
  if (FileMode == fmTruncate ||
      AVIFileGetStream(file_, &stream_, streamtypeAUDIO, 0) != AVIERR_OK) {
    if (AVIFileCreateStream(file_, &stream_, &info) != AVIERR_OK) {
      ReleaseFile();
      Fail("Can't create the audio stream of \"" + name + "\".");
      return;
    }
  }
  pendingSamples_ = 0;
  if (compression_->GetEnabled()) {
    TALAudioCompressionItems *items = compression_->GetCompressions();
    for (int i = 0; i < items->Count(); ++i) {
      const TALCompressionFormat *target = items->GetItem(i)->GetFormat();
      if (target->GetEmpty())
        continue;
      WAVEFORMATEX pcm = Format->Format;
      pcm.wFormatTag = WAVE_FORMAT_PCM;
      pcm.cbSize = 0;
      if (!compressor_->OpenCompressor(&pcm, target->GetFormat()))
        continue;
      if (AVIStreamSetFormat(stream_, 0, target->GetFormat(), target->GetSize()) == AVIERR_OK) {
        targetBlockAlign_ = target->GetFormat()->nBlockAlign;
        AdjustSampleData();
        return;
      }
      // Neither the next choice nor the plain format may run through this one.
      compressor_->CloseCompressor();
    }
  }
  const int32_t formatSize =
      std::min<int32_t>(18 + Format->Format.cbSize, int32_t(sizeof(WAVEFORMATEXTENSIBLE)));
  if (AVIStreamSetFormat(stream_, 0, Format, formatSize) != AVIERR_OK) {
    // Samples in another layout would turn the take into noise.
    const std::string why = AVIStreamLastError(stream_);
    ReleaseFile();
    Fail("Can't record into \"" + name + "\": " + (why.empty() ? "the format was refused" : why) +
         ". Record into a new file or with the file's format.");
    return;
  }
  AdjustSampleData();
}

void TALWaveLogger::AdjustSampleData() {
  TOWWriteSection section(GetLockObject());
  samplesCount_ = std::max<int64_t>(AVIStreamLength(stream_), 0);
  if (FileMode == fmTruncate)
    currentSample_ = 0;
  else if (FileMode == fmAppend)
    currentSample_ = samplesCount_;
}

void TALWaveLogger::EndAudio() {
  ClearPending();
  if (compressor_->GetOpened()) {
    if (stream_ && !failed_ && targetBlockAlign_) {
      // What the codec still holds is the end of the take.
      IALAudioBufferPtr out;
      uint32_t bytes = 0;
      compressor_->FlushBuffer(out, bytes);
      if (bytes > 0)
        WriteSamples(out->Read(), bytes, bytes / targetBlockAlign_);
    }
    compressor_->CloseCompressor();
  }
  ReleaseFile();
  // The take's last position reaches the window even when it came within a
  // period of the one shown.
  progressGate_->Close();
}

void TALWaveLogger::ReleaseFile() {
  if (stream_) {
    AVIStreamRelease(stream_);
    stream_ = nullptr;
  }
  if (file_) {
    AVIFileRelease(file_);
    file_ = nullptr;
  }
}

void TALWaveLogger::RenderAudio(IALAudioBuffer *Buffer) {
  if (!stream_ || failed_ || blockAlign_ == 0)
    return;
  if (compressor_->GetOpened()) {
    IALAudioBufferPtr out;
    uint32_t bytes = 0;
    compressor_->CompressBuffer(Buffer, out, bytes);
    if (targetBlockAlign_ == 0)
      return;
    pendingSamples_ += bytes / targetBlockAlign_;
    if (bytes > 0 && WriteSamples(out->Read(), bytes, pendingSamples_))
      pendingSamples_ = 0;
    return;
  }
  const uint32_t bytes = Buffer->GetByteSize();
  const uint32_t frames = bytes / blockAlign_;
  if (frames > 0)
    WriteSamples(Buffer->Read(), frames * blockAlign_, frames);
}

bool TALWaveLogger::WriteSamples(const uint8_t *Data, uint32_t Bytes, int64_t Samples) {
  int64_t at;
  {
    TOWReadSection section(GetLockObject());
    at = currentSample_;
  }
  if (AVIStreamWrite(stream_, at, int32_t(Samples), Data, int32_t(Bytes), AVIIF_KEYFRAME, nullptr,
                     nullptr) != AVIERR_OK) {
    const std::string why = AVIStreamLastError(stream_);
    ReleaseFile();
    Fail("Recording into \"" + GetFileName() + "\" stopped: " + why +
         ". Everything recorded before is kept in the file.");
    return false;
  }
  {
    TOWWriteSection section(GetLockObject());
    currentSample_ = at + Samples;
    samplesCount_ = std::max(samplesCount_, currentSample_);
  }
  ReportPosition();
  return true;
}

void TALWaveLogger::ReportPosition() {
  if (!OnProgress)
    return;
  const int64_t current = Get_CurrentSample();
  const int64_t total = Get_SamplesCount();
  {
    std::lock_guard<std::mutex> lock(reportMutex_);
    if (current == reportedCurrent_)
      return;
    reportedCurrent_ = current;
    reportedTotal_ = total;
  }
  progressGate_->Changed();
}

void TALWaveLogger::SyncReportPosition() {
  progressGate_->Arrived();
  int64_t current, total;
  {
    std::lock_guard<std::mutex> lock(reportMutex_);
    current = reportedCurrent_;
    total = reportedTotal_;
  }
  if (OnProgress)
    OnProgress(this, current, total);
}

void TALWaveLogger::Fail(const std::string &Message) {
  failed_ = true;
  {
    std::lock_guard<std::mutex> lock(reportMutex_);
    lastError_ = Message;
    pendingError_ = Message;
  }
  failureNotifier_->Notify();
}

void TALWaveLogger::MainThreadFailure() {
  std::string message;
  {
    std::lock_guard<std::mutex> lock(reportMutex_);
    message.swap(pendingError_);
  }
  if (message.empty())
    return;
  // Ask the source to end the take; the stop comes back down and closes the file.
  GetInputPin()->Notify(TOWNotifyOperation::Make<TOWStopOperation>().Get());
  if (OnError)
    OnError(this, message);
}
