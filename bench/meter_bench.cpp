// The recorder's per-buffer metering work against plain loops doing the same
// arithmetic: a VU and a peak meter (two channels, Period 100, values on the
// delivering thread) and the audio-to-real converter, fed one second of 48 kHz
// stereo 16-bit audio in 1024-frame buffers through their pins; the plain
// loops convert int16 to float, run the one-pole high-pass and take RMS and
// peak, or convert int16 to double per channel. Each iteration is one second
// of audio, so its CPU time is also the share of one core at real time. After
// the run the program prints our time over the loops' and that share.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "audio/ALAudioToReal.h"
#include "audio/ALPPMMeter.h"
#include "audio/ALVUMeter.h"
#include "framework/data/FrameworkRuntime.h"

namespace {

constexpr int kRate = 48000;
constexpr int kFrames = 1024;
constexpr int kBuffers = (kRate + kFrames - 1) / kFrames;

std::vector<com::TComPtr<TALAudioBuffer>> Second() {
  std::vector<com::TComPtr<TALAudioBuffer>> r;
  for (int b = 0; b < kBuffers; ++b) {
    auto buf = com::MakeCom<TALAudioBuffer>(kRate, 16, 2, kFrames);
    auto *s = reinterpret_cast<int16_t *>(buf->Write());
    for (int i = 0; i < 2 * kFrames; ++i)
      s[i] = static_cast<int16_t>(9000 * std::sin(0.01 * (b * 2 * kFrames + i)) + 300);
    r.push_back(buf);
  }
  return r;
}

TOWSourcePin *StartedSource(TOwnedPtr<TALOWAudioSourcePin> &pin) {
  pin.reset(CreateObject<TALOWAudioSourcePin>(nullptr, TSLOperationEvent()));
  return pin.get();
}

void Start(TALOWAudioSourcePin *pin) {
  WAVEFORMATEXTENSIBLE f{};
  ALFillWaveFormat(f, kRate, 16, 2, ALDefaultChannelMask(2));
  pin->Notify(
      TOWNotifyOperation::Make<TOWStartWaveOperation>(kFrames, static_cast<float>(kRate), &f)
          .Get());
}

void Meters(benchmark::State &state) {
  TOwnedPtr<TALOWAudioSourcePin> source;
  StartedSource(source);
  TOwnedPtr<TALVUMeter> vu(CreateObject<TALVUMeter>(nullptr));
  TOwnedPtr<TALPPMMeter> peak(CreateObject<TALPPMMeter>(nullptr));
  vu->SetSynchronizeType(stNone);
  peak->SetSynchronizeType(stNone);
  vu->GetInputPin()->Connect(source.get());
  peak->GetInputPin()->Connect(source.get());
  Start(source.get());
  const auto second = Second();
  for (auto _ : state)
    for (const auto &b : second)
      source->SubmitBuffer(com::TComPtr<ISLDataBuffer>(b.Get()));
}

void MetersPlain(benchmark::State &state) {
  const auto second = Second();
  const float a = static_cast<float>(1.0L - 125.66370614359172954L / kRate);
  std::vector<float> chunk(kRate / 10);
  float x1[2] = {}, x2[2] = {}, y1[2] = {}, p[2] = {};
  size_t filled = 0;
  double results[4] = {};
  for (auto _ : state)
    for (const auto &b : second) {
      const auto *s = reinterpret_cast<const int16_t *>(b->Read());
      for (int f = 0; f < kFrames; ++f, ++filled) {
        if (filled == chunk.size())
          filled = 0;
        for (int ch = 0; ch < 2; ++ch) {
          const float x = s[2 * f + ch];
          const float y = x1[ch] - x2[ch] + a * y1[ch];
          x2[ch] = x1[ch];
          x1[ch] = x;
          y1[ch] = y;
          results[ch] += static_cast<double>(y) * y; // VU sum
          p[ch] = std::max(std::fabs(y), p[ch] * 0.99998f);
        }
        if (filled + 1 == chunk.size())
          for (int ch = 0; ch < 2; ++ch) {
            results[2 + ch] = std::sqrt(results[ch] / static_cast<double>(chunk.size())) + p[ch];
            results[ch] = 0;
          }
      }
      benchmark::DoNotOptimize(results);
    }
}

void AudioToReal(benchmark::State &state) {
  TOwnedPtr<TALOWAudioSourcePin> source;
  StartedSource(source);
  TOwnedPtr<TALAudioToReal> split(CreateObject<TALAudioToReal>(nullptr));
  split->GetInputPin()->Connect(source.get());
  std::vector<TOwnedPtr<TSLOWRealSinkPin>> sinks;
  for (int ch = 0; ch < 2; ++ch) {
    sinks.emplace_back(CreateObject<TSLOWRealSinkPin>(nullptr, TSLOperationEvent()));
    sinks.back()->Connect(split->GetOutputPin(ch));
  }
  Start(source.get());
  const auto second = Second();
  for (auto _ : state)
    for (const auto &b : second)
      source->SubmitBuffer(com::TComPtr<ISLDataBuffer>(b.Get()));
}

void AudioToRealPlain(benchmark::State &state) {
  const auto second = Second();
  std::vector<double> out[2] = {std::vector<double>(kFrames), std::vector<double>(kFrames)};
  for (auto _ : state)
    for (const auto &b : second) {
      const auto *s = reinterpret_cast<const int16_t *>(b->Read());
      for (int ch = 0; ch < 2; ++ch) {
        for (int f = 0; f < kFrames; ++f)
          out[ch][static_cast<size_t>(f)] = s[2 * f + ch];
        benchmark::DoNotOptimize(out[ch].data());
      }
    }
}

class TCollect : public benchmark::ConsoleReporter {
public:
  void ReportRuns(const std::vector<Run> &runs) override {
    for (const auto &r : runs)
      cpu[r.benchmark_name()] = r.GetAdjustedCPUTime(); // seconds per iteration, in the run's unit
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> cpu;
};

} // namespace

int main(int argc, char **argv) {
  TFrameworkRuntime runtime;
  benchmark::RegisterBenchmark("meters/pins", Meters)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("meters/plain", MetersPlain)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("audio_to_real/pins", AudioToReal)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("audio_to_real/plain", AudioToRealPlain)
      ->Unit(benchmark::kMillisecond);
  benchmark::Initialize(&argc, argv);
  TCollect reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\nper second of 48 kHz stereo audio (CPU ms; ours / plain; share of one core)\n");
  for (const char *name : {"meters", "audio_to_real"}) {
    const double ours = reporter.cpu[std::string(name) + "/pins"];
    const double plain = reporter.cpu[std::string(name) + "/plain"];
    if (ours > 0 && plain > 0)
      std::printf("%-14s %8.3f %8.3f   %5.2fx   %6.3f%%\n", name, ours, plain, ours / plain,
                  ours / 10.0);
  }
  benchmark::Shutdown();
  return 0;
}
