// A hand-driven audio source for the logger and player tests: a component
// with a TALOWAudioSourcePin that sends what the test tells it to, and
// remembers what its sinks sent back (stops, pump requests...). Also a
// recording sink that keeps every operation it receives, and the framework
// start-up the audio tests share.
#pragma once

#include <cstring>
#include <mutex>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "framework/data/ALStreamTypes.h"
#include "framework/data/Alsimpleaudiobuffer.h"
#include "framework/pins/OWStdTypes.h"
#include "platform/avifile/AviFile.h"
#include "platform/classlib/Component.h"
#include "platform/mainloop/MainLoop.h"

inline void ALTestFrameworkUp() {
  static std::once_flag once;
  std::call_once(once, [] {
    OWPinsInitialization();
    OWStdTypesInitialization();
    SLStreamTypesInitialization();
    ALStreamTypesInitialization();
  });
}

inline WAVEFORMATEXTENSIBLE ALTestFormat(uint32_t rate, uint32_t bits, uint32_t channels) {
  WAVEFORMATEXTENSIBLE f{};
  ALFillWaveFormat(f, rate, bits, channels, ALDefaultChannelMask(channels));
  return f;
}

// Writes a 16-bit WAV file of frames whose bytes never repeat in step, and
// returns its samples (empty when the file could not be written).
inline std::vector<uint8_t> ALWriteTestTake(const std::string &path, uint32_t rate,
                                            uint32_t channels, uint32_t frames) {
  using namespace avifile;
  const auto format = ALTestFormat(rate, 16, channels);
  std::vector<uint8_t> data(size_t(frames) * format.Format.nBlockAlign);
  for (size_t i = 0; i < data.size(); ++i)
    data[i] = uint8_t(i * 7 + i / 251 + 1);
  PAVIFILE file = nullptr;
  PAVISTREAM stream = nullptr;
  AVISTREAMINFOA info{};
  info.fccType = streamtypeAUDIO;
  if (AVIFileOpen(&file, path.c_str(), OF_CREATE | OF_WRITE, nullptr) != AVIERR_OK)
    return {};
  bool written = AVIFileCreateStream(file, &stream, &info) == AVIERR_OK &&
                 AVIStreamSetFormat(stream, 0, &format, sizeof format) == AVIERR_OK &&
                 AVIStreamWrite(stream, 0, int32_t(frames), data.data(), int32_t(data.size()), 0,
                                nullptr, nullptr) == AVIERR_OK;
  if (stream != nullptr)
    AVIStreamRelease(stream);
  AVIFileRelease(file);
  return written ? data : std::vector<uint8_t>{};
}

// Writes a WAV file with the given format record and data, through our writer.
inline void WriteWav(const std::string &path, const void *format, int32_t formatSize,
                     const std::vector<uint8_t> &data) {
  using namespace avifile;
  PAVIFILE file = nullptr;
  PAVISTREAM stream = nullptr;
  AVISTREAMINFOA info{};
  info.fccType = streamtypeAUDIO;
  ASSERT_EQ(AVIFileOpen(&file, path.c_str(), OF_CREATE | OF_WRITE, nullptr), AVIERR_OK);
  ASSERT_EQ(AVIFileCreateStream(file, &stream, &info), AVIERR_OK);
  ASSERT_EQ(AVIStreamSetFormat(stream, 0, format, formatSize), AVIERR_OK);
  const uint32_t ba = static_cast<const WAVEFORMATEX *>(format)->nBlockAlign;
  if (!data.empty()) {
    ASSERT_EQ(AVIStreamWrite(stream, 0, int32_t(data.size() / ba), data.data(),
                             int32_t(data.size()), 0, nullptr, nullptr),
              AVIERR_OK);
  }
  AVIStreamRelease(stream);
  AVIFileRelease(file);
}

class TALVirtualSource : public TComponent {
public:
  explicit TALVirtualSource(TComponent *Owner = nullptr) : TComponent(Owner) {
    pin_.reset(CreateObject<TALOWAudioSourcePin>(
        this, [this](TOWPin *, const TGUID *, IOWNotifyOperation *Operation, TOWNotifyState) {
          std::lock_guard<std::mutex> lock(m_);
          upstream_.push_back(IOWNotifyOperationPtr(Operation));
          return TOWNotifyResult{};
        }));
  }
  ~TALVirtualSource() override { pin_.reset(); }

  TALOWAudioSourcePin *Pin() const { return pin_.get(); }

  void Start(const WAVEFORMATEXTENSIBLE &Format, int32_t BufferSize = 1024) {
    format_ = Format;
    pin_->Notify(TOWNotifyOperation::Make<TOWStartWaveOperation>(
                     BufferSize, float(Format.Format.nSamplesPerSec), &Format)
                     .Get());
  }
  void Stop() { pin_->Stop(); }

  // A buffer of Frames frames in the started format whose bytes continue a
  // seeded pseudo-random sequence (Sent() keeps every byte sent).
  void SendBuffer(uint32_t Frames) {
    auto buffer = com::MakeCom<TALAudioBuffer>(&format_, int(Frames));
    uint8_t *p = buffer->Write();
    const size_t n = size_t(Frames) * format_.Format.nBlockAlign;
    for (size_t i = 0; i < n; ++i)
      p[i] = uint8_t(rng_() >> 24);
    sent_.insert(sent_.end(), p, p + n);
    pin_->SubmitBuffer(com::TComPtr<ISLDataBuffer>(buffer.Get()));
  }
  const std::vector<uint8_t> &Sent() const { return sent_; }

  // Operations the sinks sent back, in order.
  std::vector<IOWNotifyOperationPtr> Upstream() {
    std::lock_guard<std::mutex> lock(m_);
    return upstream_;
  }
  template <class T> int UpstreamCount() {
    int n = 0;
    for (auto &op : Upstream())
      n += OWOperationAs<T>(op.Get()) != nullptr;
    return n;
  }

private:
  TOwnedPtr<TALOWAudioSourcePin> pin_;
  WAVEFORMATEXTENSIBLE format_{};
  std::vector<uint8_t> sent_;
  std::mt19937 rng_{12345};
  std::mutex m_;
  std::vector<IOWNotifyOperationPtr> upstream_;
};

// Keeps every operation that reaches its input, with the thread it came on.
class TALRecordingSink : public TComponent {
public:
  struct TSeen {
    IOWNotifyOperationPtr Operation;
    bool OnMainThread;
  };

  explicit TALRecordingSink(TComponent *Owner = nullptr) : TComponent(Owner) {
    pin_.reset(CreateObject<TALOWAudioSinkPin>(
        this, [this](TOWPin *, const TGUID *, IOWNotifyOperation *Operation, TOWNotifyState) {
          std::lock_guard<std::mutex> lock(m_);
          seen_.push_back(
              {IOWNotifyOperationPtr(Operation), mainloop::TMainLoop::Main().IsMainThread()});
          return TOWNotifyResult{};
        }));
  }
  ~TALRecordingSink() override { pin_.reset(); }
  TALOWAudioSinkPin *Pin() const { return pin_.get(); }

  std::vector<TSeen> Seen() {
    std::lock_guard<std::mutex> lock(m_);
    return seen_;
  }
  void Clear() {
    std::lock_guard<std::mutex> lock(m_);
    seen_.clear();
  }
  // Frames of every supplied buffer, in order.
  std::vector<uint32_t> BufferFrames() {
    std::vector<uint32_t> frames;
    for (auto &s : Seen())
      if (auto *b = OWOperationAs<TOWSuppliedBufferOperation>(s.Operation.Get()))
        frames.push_back(com::MakeCom<TALAudioBuffer>(b->Buffer())->GetSize());
    return frames;
  }
  // The bytes of every supplied buffer, concatenated.
  std::vector<uint8_t> Bytes() {
    std::vector<uint8_t> bytes;
    for (auto &s : Seen())
      if (auto *b = OWOperationAs<TOWSuppliedBufferOperation>(s.Operation.Get())) {
        auto audio = com::MakeCom<TALAudioBuffer>(b->Buffer());
        const uint8_t *p = audio->Read();
        bytes.insert(bytes.end(), p, p + audio->GetByteSize());
      }
    return bytes;
  }
  template <class T> int Count() {
    int n = 0;
    for (auto &s : Seen())
      n += OWOperationAs<T>(s.Operation.Get()) != nullptr;
    return n;
  }

private:
  TOwnedPtr<TALOWAudioSinkPin> pin_;
  std::mutex m_;
  std::vector<TSeen> seen_;
};
