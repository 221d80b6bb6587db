// The wave logger: writes the audio stream that reaches its input into a WAV
// file through the AVI file services, each buffer at the current sample
// position (64-bit frames), so a take can overwrite part of an existing file
// (punch-in), and reports its position to the main thread.
//
// FileMode, read when a file begins: fmTruncate deletes the file and starts
// at 0; fmAppend starts at the end of the file's stream; fmOverride starts at
// the position set with Set_CurrentSample. Appending to or recording over a
// stream of another format is refused.
//
// A write that fails (disk full, file-size limit, the 4 GiB limit of a WAV
// file) ends the take cleanly: the file keeps every frame written before and
// a header that matches it, no further buffer is written, the source is asked
// to stop, and OnError reports the reason on the main thread. The same holds
// for a file that cannot be opened or refuses the format.
//
// With Compression enabled the first choice whose compressor opens and whose
// format the file accepts is used; the compressor's last partial block is
// flushed into the file when the take ends, so no tail is lost.
//
// Threads: OnProgress and OnError run on the main thread (OnProgress through
// the progress window's message 1026, at most about every 100 ms while the
// position moves, and once more with the last position when a take ends). CurrentSample and
// SamplesCount are read and written under the lock object's sections; the reported values cross
// threads inside their own mutex.
#pragma once

#include <functional>
#include <mutex>

#include "audio/ALCommonLogger.h"
#include "audio/ALCompression.h"
#include "audio/ALProgressGate.h"
#include "audio/Alacmcompressor.h"
#include "platform/avifile/AviFile.h"
#include "platform/mainloop/HiddenWindow.h"

enum TALLoggerFileMode { fmTruncate, fmAppend, fmOverride };

using TALLoggerProgressEvent =
    TEvent<void(TObject *Sender, int64_t CurrentSample, int64_t TotalSamples)>;
// A take that could not be written, or not all of it; Message says why.
using TALLoggerErrorEvent = TEvent<void(TObject *Sender, const std::string &Message)>;

// WM_USER + 2: the progress window's message.
inline constexpr uint32_t ALLoggerProgressMessage = 1026;

class TALWaveLogger : public TALCommonLogger {
  CLASSLIB_CLASS(TALWaveLogger)
public:
  explicit TALWaveLogger(TComponent *AOwner);
  ~TALWaveLogger() override;

  // The compression choices tried in order when a file begins (off by default).
  TALAudioCompression *GetCompression() const { return compression_.get(); }
  void SetCompression(TALAudioCompression *Value);

  TALLoggerFileMode FileMode = fmTruncate;
  TALLoggerFileMode GetFileMode() const { return FileMode; }
  void SetFileMode(TALLoggerFileMode Value) { FileMode = Value; }
  TALLoggerProgressEvent OnProgress;
  TALLoggerErrorEvent OnError;

  int64_t Get_CurrentSample() const;
  // The position of the next buffer, in frames; nothing else changes.
  void Set_CurrentSample(int64_t Value);
  int64_t Get_SamplesCount() const;
  // 100-ns units by the stream's rate; 0 without a format or rate.
  int64_t Get_CurrentTime() const;
  // kept: public setter; the program does not call it
  void Set_CurrentTime(int64_t Value);
  int64_t Get_DurationTime() const;
  // The message of the last failure of a take; "" when none.
  std::string GetLastError() const;

protected:
  void BeginAudio(int32_t BufferSize, const WAVEFORMATEXTENSIBLE *Format) override;
  void EndAudio() override;
  void RenderAudio(IALAudioBuffer *Buffer) override;

private:
  bool CreateAVIFile();
  void AdjustSampleData();
  void ReportPosition();
  void SyncReportPosition();
  // Ends writing for this take and hands Message to the main thread.
  void Fail(const std::string &Message);
  void MainThreadFailure();
  void ReleaseFile();
  // Writes Bytes of Data (Samples stream samples) at the current sample.
  bool WriteSamples(const uint8_t *Data, uint32_t Bytes, int64_t Samples);

  avifile::PAVIFILE file_ = nullptr; // input pin's group
  avifile::PAVISTREAM stream_ = nullptr;
  uint32_t blockAlign_ = 0;
  uint32_t targetBlockAlign_ = 0; // of the compressed format, when compressing
  int64_t pendingSamples_ = 0;
  TOwnedPtr<TALAudioCompression> compression_;
  TOwnedPtr<TALAcmCompressor> compressor_;
  bool failed_ = false;       // the take stopped writing after a failure
  int64_t currentSample_ = 0; // lock object
  int64_t samplesCount_ = 0;
  mutable std::mutex reportMutex_; // guards the four below
  int64_t reportedCurrent_ = -1;
  int64_t reportedTotal_ = 0;
  std::string lastError_;
  std::string pendingError_;
  std::unique_ptr<mainloop::THiddenWindow> progressWindow_;
  std::unique_ptr<TALProgressGate> progressGate_;
  mainloop::TWndProc savedProc_;
  std::unique_ptr<TSLMainThreadNotify> failureNotifier_;
};
