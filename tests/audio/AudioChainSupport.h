// Helpers of the audio component tests: a hand-driven audio source, a sink
// that records what reaches it, and audio buffers made from sample values.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "framework/data/ALStreamTypes.h"
#include "framework/data/Alsimpleaudiobuffer.h"
#include "framework/pins/OWPins.h"
#include "platform/mainloop/MainLoop.h"
#include "tests/support/FrameworkEnvironment.h"

inline WAVEFORMATEXTENSIBLE TestWaveFormat(uint32_t rate, uint32_t bits, uint32_t channels) {
  WAVEFORMATEXTENSIBLE f{};
  ALFillWaveFormat(f, rate, bits, channels, ALDefaultChannelMask(channels));
  return f;
}

// Interleaved frames of samples (frame by frame, channel by channel).
inline com::TComPtr<TALAudioBuffer> TestAudioBuffer(uint32_t rate, uint32_t bits, uint32_t channels,
                                                    const std::vector<int32_t> &samples) {
  const uint32_t frames = static_cast<uint32_t>(samples.size()) / channels;
  auto b = com::MakeCom<TALAudioBuffer>(static_cast<int>(rate), static_cast<int>(bits),
                                        static_cast<int>(channels), static_cast<int>(frames));
  for (uint32_t f = 0; f < frames; ++f)
    for (uint32_t c = 0; c < channels; ++c)
      b->SetItem(f, c, samples[f * channels + c]);
  return b;
}

// An audio source driven by the test. Upstream operations are recorded; a
// query for the stream is answered with an ignore when AnswerIgnore is set.
class TTestAudioSource {
public:
  TTestAudioSource()
      : pin(CreateObject<TALOWAudioSourcePin>(
            nullptr,
            [this](TOWPin *, const TGUID *, IOWNotifyOperation *op,
                   TOWNotifyState) -> TOWNotifyResult {
              upstream.push_back(op);
              if (AnswerIgnore && OWOperationAs<TOWQueryStreamOperation>(op))
                pin->Notify(TOWNotifyOperation::Make<TOWIgnoreStreamOperation>().Get());
              return {};
            })) {}

  void Start(uint32_t rate, uint32_t bits, uint32_t channels, int32_t bufferSize = 1024) {
    StartWith(TestWaveFormat(rate, bits, channels), bufferSize);
  }
  void StartWith(const WAVEFORMATEXTENSIBLE &f, int32_t bufferSize = 1024) {
    format = f;
    pin->Notify(TOWNotifyOperation::Make<TOWStartWaveOperation>(
                    bufferSize, static_cast<float>(f.Format.nSamplesPerSec), &f)
                    .Get());
  }
  void Send(const com::TComPtr<TALAudioBuffer> &b) {
    pin->SubmitBuffer(com::TComPtr<ISLDataBuffer>(b.Get()));
  }
  // Frames of one value on every channel, in the started format.
  void SendConstant(uint32_t frames, int32_t value) {
    const uint32_t ch = format.Format.nChannels;
    Send(TestAudioBuffer(format.Format.nSamplesPerSec, format.Samples.wValidBitsPerSample, ch,
                         std::vector<int32_t>(static_cast<size_t>(frames) * ch, value)));
  }
  void Stop() { pin->Notify(TOWNotifyOperation::Make<TOWStopOperation>().Get()); }

  bool AnswerIgnore = false;
  std::vector<IOWNotifyOperationPtr> upstream;
  WAVEFORMATEXTENSIBLE format{};
  TOwnedPtr<TALOWAudioSourcePin> pin;
};

// An audio sink that records, in order, "start", "resume", "pause", "stop"
// and "buffer", with the starts and buffers themselves.
class TTestAudioSink {
public:
  TTestAudioSink()
      : pin(CreateObject<TALOWAudioSinkPin>(
            nullptr,
            [this](TOWPin *, const TGUID *, IOWNotifyOperation *op,
                   TOWNotifyState) -> TOWNotifyResult {
              if (OWOperationAs<TOWStartWaveOperation>(op)) {
                log.push_back("start");
                starts.push_back(op);
              } else if (OWOperationAs<TOWSLResumeOperation>(op)) {
                log.push_back("resume");
              } else if (OWOperationAs<TOWSLPauseOperation>(op)) {
                log.push_back("pause");
              } else if (OWOperationAs<TOWStopOperation>(op)) {
                log.push_back("stop");
              } else if (auto *b = OWOperationAs<TOWSuppliedBufferOperation>(op)) {
                log.push_back("buffer");
                buffers.push_back(IALAudioBufferPtr::Query(b->Buffer()));
              } else if (OWOperationAs<TOWPumpRequestOperation>(op)) {
                log.push_back("pump request");
              } else {
                log.push_back("other");
              }
              return {};
            })) {}

  int Count(const std::string &what) const {
    int n = 0;
    for (const auto &s : log)
      n += s == what;
    return n;
  }

  TOWStartWaveOperation *Start(size_t i) const {
    return OWOperationAs<TOWStartWaveOperation>(starts.at(i).Get());
  }

  std::vector<std::string> log;
  std::vector<IOWNotifyOperationPtr> starts;
  std::vector<IALAudioBufferPtr> buffers;
  TOwnedPtr<TALOWAudioSinkPin> pin;
};

inline mainloop::TMainLoop &TestLoop() { return mainloop::TMainLoop::Main(); }

// A meter of our own to check the VU and peak meters against. Per channel:
// the DC-blocking high-pass, then RMS and the held peak per
// chunk, in the meters' precision (float filter output, float squares).
class TReferenceMeter {
public:
  TReferenceMeter(double fs, double halfLifeMs) : hold_(fs * halfLifeMs / 1000) {
    a_ = static_cast<float>(1.0L - 125.66370614359172954L / fs);
  }
  void Chunk(const std::vector<int32_t> &x, double &vu, double &peak) {
    double sum = 0;
    for (int32_t s : x) {
      const double y = x1_ - x2_ + a_ * y1_;
      x2_ = x1_;
      x1_ = s;
      y1_ = y;
      const float f = static_cast<float>(y);
      sum += static_cast<double>(f) * f;
      const float a = std::fabs(f);
      if (a > p_)
        p_ = a;
      else if (p_ > 0.005)
        p_ = std::max<double>(a, p_ - p_ / hold_);
      else
        p_ = 0;
    }
    vu = std::sqrt(sum / static_cast<double>(x.size()));
    peak = p_;
  }

private:
  double hold_, a_, x1_ = 0, x2_ = 0, y1_ = 0, p_ = 0;
};

// The reference's VU and peak readings of one channel after each of its first
// chunks pieces of chunk samples, with the meters' one-second half-life.
struct TReferenceReadings {
  std::vector<double> Vu, Peak;
};

inline TReferenceReadings ReferenceReadings(double fs, const std::vector<int32_t> &samples,
                                            size_t chunk, size_t chunks) {
  TReferenceMeter ref(fs, 1000);
  TReferenceReadings readings;
  for (size_t c = 0; c < chunks; ++c) {
    double v, p;
    ref.Chunk(std::vector<int32_t>(samples.begin() + static_cast<long>(c * chunk),
                                   samples.begin() + static_cast<long>((c + 1) * chunk)),
              v, p);
    readings.Vu.push_back(v);
    readings.Peak.push_back(p);
  }
  return readings;
}
