// The recording chain as the recorder links it, at 48 kHz stereo 16-bit on a
// file-fed ALSA PCM (a "file" PCM over "null", the codec's description as its
// hint): the capture component feeding the peak meter, the generic filter
// (its data event counting, as the recorder's watchdog does), the VU meter,
// the audio-to-real converter and the wave logger writing a temporary file.
// Against it, a plain snd_pcm_readi + fwrite loop on the same PCM.
//
// The null PCM hands out frames as fast as they are read, so the chain runs
// twice. Unpaced ("immediate"), one minute of audio per take: process CPU
// time per second of audio for both, side by side, and their ratio. Paced at
// real time ("realtime", ten seconds of audio): every snd_pcm_readi of the
// process passes through the wrapper below, which holds each read back until
// its last frame is due as a real device would deliver it and notes when it
// returned; the process CPU time over those seconds is the share of one core
// the chain takes at real time, and each VU value's arrival on the main thread
// against the delivery of the block that completed its 100 ms chunk is the
// capture-to-meter latency. In the unpaced take the wrapper holds reads past
// the take's length until the capture is stopped, so the capture thread
// cannot run far ahead of the chain. The device is chosen by the name the
// PCM is listed under.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <alsa/asoundlib.h>
#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <time.h>
#include <unistd.h>

#include "audio/ALAudioToReal.h"
#include "audio/ALDSAudioIn.h"
#include "audio/ALGenericFilter.h"
#include "audio/ALPPMMeter.h"
#include "audio/ALVUMeter.h"
#include "audio/ALWaveLogger.h"
#include "framework/data/FrameworkRuntime.h"
#include "platform/mainloop/MainLoop.h"
#include "platform/media/Media.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr unsigned kRate = 48000, kChannels = 2, kBlockAlign = 4, kBlockFrames = 1024;
constexpr int kImmediateSeconds = 60, kRealTimeSeconds = 10;
constexpr unsigned kChunkFrames = kRate / 10; // the VU meter's 100 ms period

std::filesystem::path gDir;

// What the snd_pcm_readi wrapper does and saw: the frames each capture read
// returned and when it returned them (after pacing).
struct TReads {
  std::mutex m;
  std::condition_variable cv;
  bool pace = false;
  // Reads beyond limit frames (0: none) wait for Release, so an unpaced take
  // is the length asked for, not whatever the capture thread read meanwhile.
  uint64_t limit = 0;
  Clock::time_point start;
  uint64_t frames = 0;
  std::vector<std::pair<uint64_t, Clock::time_point>> ends; // frames so far, return time

  void Reset(bool paced, uint64_t frameLimit = 0) {
    std::lock_guard<std::mutex> lock(m);
    pace = paced;
    limit = frameLimit;
    frames = 0;
    ends.clear();
    ends.reserve(kRate / kBlockFrames * (kImmediateSeconds + 5));
    cv.notify_all();
  }
  // Lets reads go on past the limit (before the capture is stopped).
  void Release() {
    std::lock_guard<std::mutex> lock(m);
    limit = 0;
    cv.notify_all();
  }
  uint64_t Frames() {
    std::lock_guard<std::mutex> lock(m);
    return frames;
  }
  // When the read holding frame index returned; false when not read.
  bool DeliveredAt(uint64_t index, Clock::time_point &when) {
    std::lock_guard<std::mutex> lock(m);
    auto it = std::upper_bound(ends.begin(), ends.end(), index,
                               [](uint64_t i, const auto &e) { return i < e.first; });
    if (it == ends.end())
      return false;
    when = it->second;
    return true;
  }
};

TReads gReads;

double ProcessCpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

} // namespace

// Every snd_pcm_readi of the program (the media layer's ALSA back end and the
// plain loop) comes here before alsa-lib.
extern "C" snd_pcm_sframes_t snd_pcm_readi(snd_pcm_t *pcm, void *buffer, snd_pcm_uframes_t size) {
  using TReadi = snd_pcm_sframes_t (*)(snd_pcm_t *, void *, snd_pcm_uframes_t);
  static const TReadi real = reinterpret_cast<TReadi>(dlsym(RTLD_NEXT, "snd_pcm_readi"));
  thread_local int depth = 0;
  if (real == nullptr)
    return -ENOSYS;
  if (depth > 0)
    return real(pcm, buffer, size);
  {
    std::unique_lock<std::mutex> lock(gReads.m);
    gReads.cv.wait(lock, [] { return gReads.limit == 0 || gReads.frames < gReads.limit; });
  }
  ++depth;
  const snd_pcm_sframes_t n = real(pcm, buffer, size);
  --depth;
  if (n <= 0)
    return n;
  std::unique_lock<std::mutex> lock(gReads.m);
  if (gReads.frames == 0)
    gReads.start = Clock::now();
  gReads.frames += uint64_t(n);
  if (gReads.pace) {
    const auto due = gReads.start +
                     std::chrono::nanoseconds(int64_t(double(gReads.frames) * 1e9 / double(kRate)));
    lock.unlock();
    std::this_thread::sleep_until(due);
    lock.lock();
  }
  gReads.ends.emplace_back(gReads.frames, Clock::now());
  return n;
}

namespace {

struct TTake {
  double CpuSeconds = 0;
  double WallSeconds = 0;
  uint64_t DeviceFrames = 0; // frames the PCM delivered
  uint64_t FileFrames = 0;   // frames that reached the file
  std::vector<double> LatencyMs;
  std::string Problem;
};

std::string TakePath(const char *name) { return (gDir / (std::string(name) + ".wav")).string(); }

TTake ChainTake(int seconds, bool paced) {
  using mainloop::TMainLoop;
  TTake take;
  const int64_t frames = int64_t(seconds) * kRate;
  const std::string path = TakePath("chain");
  std::vector<Clock::time_point> vuSeen;
  vuSeen.reserve(size_t(seconds) * 10 + 16);
  std::atomic<int64_t> processed{0};
  {
    TOwnedPtr<TALDSAudioIn> in(CreateObject<TALDSAudioIn>(nullptr));
    in->GetAudioFormat()->SetChannels(kChannels);
    in->GetAudioFormat()->SetChannelMask(TALSpeakers(ALDefaultChannelMask(kChannels)));
    in->GetAudioFormat()->SetBits(16);
    in->GetAudioFormat()->SetSampleRate(kRate);
    in->GetAudioFormat()->SetBufferSize(kBlockFrames);
    in->GetAudioCaptureDevice()->SetName("USB Audio CODEC");
    in->GetGraph()->SetRegister(false);
    TOwnedPtr<TALAudioToReal> toReal(CreateObject<TALAudioToReal>(nullptr));
    toReal->SetCountChannels(2);
    TOwnedPtr<TALVUMeter> vu(CreateObject<TALVUMeter>(nullptr));
    vu->SetCountChannels(2);
    TOwnedPtr<TALPPMMeter> ppm(CreateObject<TALPPMMeter>(nullptr));
    ppm->SetCountChannels(2);
    TOwnedPtr<TALWaveLogger> logger(CreateObject<TALWaveLogger>(nullptr));
    logger->SetFileName(path);
    TOwnedPtr<TALGenericFilter> filter(CreateObject<TALGenericFilter>(nullptr));
    std::string loggerError;
    int64_t progress = 0;
    logger->OnError.Fn = [&](TObject *, const std::string &m) { loggerError = m; };
    logger->OnProgress.Fn = [&](TObject *, int64_t current, int64_t) { progress = current; };
    filter->OnProcessData.Fn = [&](TObject *, TALCAudioBuffer, TALCAudioBuffer &, bool &) {
      processed.fetch_add(1, std::memory_order_relaxed);
    };
    vu->SetValueChange([&](TObject *, int ch, double, double) {
      if (ch == 0)
        vuSeen.push_back(Clock::now());
    });
    double peakSum = 0;
    ppm->SetValueChange([&](TObject *, int, double v, double) { peakSum += v; });
    // The capture component's sinks, in the recorder's order.
    for (TALOWAudioSinkPin *sink : {ppm->GetInputPin(), filter->GetInputPin(), vu->GetInputPin(),
                                    toReal->GetInputPin(), logger->GetInputPin()})
      if (!sink->Connect(in->GetOutputPin()))
        take.Problem = "a sink does not link to the capture component";

    gReads.Reset(paced, uint64_t(frames));
    const double cpu0 = ProcessCpuSeconds();
    const auto wall0 = Clock::now();
    if (take.Problem.empty()) {
      try {
        in->Start();
        if (!in->GetRunning())
          take.Problem = "capture does not run";
      } catch (const std::exception &e) {
        take.Problem = std::string("capture does not start: ") + e.what();
      }
    }
    const auto deadline = wall0 + std::chrono::seconds(seconds * 3 + 30);
    while (take.Problem.empty() && logger->Get_CurrentSample() < frames) {
      if (!loggerError.empty())
        take.Problem = "the logger failed: " + loggerError;
      else if (Clock::now() > deadline)
        take.Problem = "the take did not finish in time (logger at " +
                       std::to_string(logger->Get_CurrentSample()) + " frames, the PCM gave " +
                       std::to_string(gReads.Frames()) + ")";
      TMainLoop::Main().WaitAndRun(std::chrono::milliseconds(20));
    }
    gReads.Release();
    in->Stop();
    TMainLoop::Main().RunPending();
    take.CpuSeconds = ProcessCpuSeconds() - cpu0;
    take.WallSeconds = std::chrono::duration<double>(Clock::now() - wall0).count();
    take.DeviceFrames = gReads.Frames();
    take.FileFrames = uint64_t(logger->Get_SamplesCount());
    benchmark::DoNotOptimize(peakSum);
    benchmark::DoNotOptimize(progress);
    if (take.Problem.empty() && processed.load() == 0)
      take.Problem = "the generic filter saw no buffer";
    logger.reset();
    filter.reset();
    ppm.reset();
    vu.reset();
    toReal.reset();
    in.reset();
    TMainLoop::Main().RunPending();
  }
  // The k-th value of channel 0 is the one of chunk k (at real time each
  // block completes at most one chunk, and noise never repeats a value).
  if (paced)
    for (size_t k = 0; k < vuSeen.size(); ++k) {
      Clock::time_point delivered;
      if (gReads.DeliveredAt((k + 1) * kChunkFrames - 1, delivered))
        take.LatencyMs.push_back(
            std::chrono::duration<double, std::milli>(vuSeen[k] - delivered).count());
    }
  gReads.Reset(false);
  std::filesystem::remove(path);
  return take;
}

TTake PlainTake(int seconds, bool paced) {
  TTake take;
  const uint64_t frames = uint64_t(seconds) * kRate;
  const std::string path = TakePath("plain");
  std::vector<uint8_t> block(kBlockFrames * kBlockAlign);
  gReads.Reset(paced);
  const double cpu0 = ProcessCpuSeconds();
  const auto wall0 = Clock::now();
  snd_pcm_t *pcm = nullptr;
  FILE *f = std::fopen(path.c_str(), "wb");
  if (f == nullptr || snd_pcm_open(&pcm, "benchcodec", SND_PCM_STREAM_CAPTURE, 0) < 0 ||
      snd_pcm_set_params(pcm, SND_PCM_FORMAT_S16_LE, SND_PCM_ACCESS_RW_INTERLEAVED, kChannels,
                         kRate, 1, 200000) < 0) {
    take.Problem = "cannot open the PCM or the file";
  } else {
    static const uint8_t header[44] = {};
    std::fwrite(header, 1, sizeof header, f);
    uint64_t got = 0;
    while (got < frames) {
      const snd_pcm_sframes_t n = snd_pcm_readi(pcm, block.data(), kBlockFrames);
      if (n == -EPIPE) {
        snd_pcm_prepare(pcm);
        continue;
      }
      if (n < 0) {
        take.Problem = std::string("read failed: ") + snd_strerror(int(n));
        break;
      }
      std::fwrite(block.data(), kBlockAlign, size_t(n), f);
      got += uint64_t(n);
    }
    take.FileFrames = got;
  }
  if (pcm != nullptr)
    snd_pcm_close(pcm);
  if (f != nullptr)
    std::fclose(f);
  take.CpuSeconds = ProcessCpuSeconds() - cpu0;
  take.WallSeconds = std::chrono::duration<double>(Clock::now() - wall0).count();
  take.DeviceFrames = gReads.Frames();
  gReads.Reset(false);
  std::filesystem::remove(path);
  return take;
}

// Per kind of run: CPU seconds and audio seconds summed over iterations, and
// the latencies of the paced chain.
struct TTotals {
  double Cpu = 0, Audio = 0, Wall = 0;
  std::vector<double> LatencyMs;
};
std::map<std::string, TTotals> gTotals;

void Run(benchmark::State &state, bool chain, bool paced) {
  const int seconds = paced ? kRealTimeSeconds : kImmediateSeconds;
  TTotals &totals = gTotals[std::string(chain ? "chain" : "plain") + (paced ? "/rt" : "/imm")];
  totals = {};
  int64_t lost = 0;
  for (auto _ : state) {
    TTake take = chain ? ChainTake(seconds, paced) : PlainTake(seconds, paced);
    if (!take.Problem.empty()) {
      state.SkipWithError(take.Problem.c_str());
      break;
    }
    lost += int64_t(take.DeviceFrames) - int64_t(take.FileFrames);
    totals.Cpu += take.CpuSeconds;
    totals.Wall += take.WallSeconds;
    totals.Audio += double(take.FileFrames) / kRate;
    totals.LatencyMs.insert(totals.LatencyMs.end(), take.LatencyMs.begin(), take.LatencyMs.end());
  }
  if (totals.Audio > 0) {
    state.counters["cpu_ms_per_audio_s"] = totals.Cpu / totals.Audio * 1e3;
    state.counters["x_realtime"] = totals.Audio / totals.Wall;
    state.counters["frames_not_in_file"] = double(lost);
  }
}

double Percentile(std::vector<double> v, double p) {
  if (v.empty())
    return 0;
  std::sort(v.begin(), v.end());
  return v[std::min(v.size() - 1, size_t(p * double(v.size() - 1) + 0.5))];
}

void PrintSummary() {
  auto per = [](const char *key) {
    const auto it = gTotals.find(key);
    return it == gTotals.end() || it->second.Audio <= 0 ? 0.0
                                                        : it->second.Cpu / it->second.Audio * 1e3;
  };
  std::printf("\nCPU ms per second of 48 kHz stereo 16-bit audio (process CPU time)\n");
  std::printf("%-22s %12s %18s %8s\n", "pacing", "chain", "readi + fwrite", "ratio");
  for (auto [label, a, b] : {std::tuple{"immediate (60 s)", "chain/imm", "plain/imm"},
                             std::tuple{"real time (10 s)", "chain/rt", "plain/rt"}}) {
    const double ours = per(a), plain = per(b);
    if (ours > 0 && plain > 0)
      std::printf("%-22s %12.3f %18.3f %8.1f\n", label, ours, plain, ours / plain);
  }
  if (per("chain/rt") > 0)
    std::printf("share of one core at real time: chain %.2f %% (goal at most 2 %%), plain %.2f "
                "%%\n",
                per("chain/rt") / 10.0, per("plain/rt") / 10.0);
  const auto it = gTotals.find("chain/rt");
  if (it != gTotals.end() && !it->second.LatencyMs.empty()) {
    const auto &l = it->second.LatencyMs;
    const auto late = std::count_if(l.begin(), l.end(), [](double ms) { return ms > 10; });
    std::printf("block delivered -> VU OnValueChange on the main thread: %zu values, median "
                "%.2f ms, p95 %.2f ms, max %.2f ms, %ld over 10 ms\n",
                l.size(), Percentile(l, 0.5), Percentile(l, 0.95), Percentile(l, 1.0), long(late));
  }
}

// One minute of noise over a slow tone, so meter values never repeat.
void WriteSource(const std::filesystem::path &file) {
  std::vector<int16_t> s(size_t(kImmediateSeconds + 2) * kRate * kChannels);
  std::mt19937 rng(7);
  std::normal_distribution<double> noise(0, 2000);
  for (size_t i = 0; i < s.size(); ++i) {
    const double t = double(i / kChannels) / kRate;
    s[i] = int16_t(std::clamp(8000 * std::sin(2 * M_PI * 220 * t) + noise(rng), -32768.0, 32767.0));
  }
  std::ofstream(file, std::ios::binary)
      .write(reinterpret_cast<const char *>(s.data()), std::streamsize(s.size() * 2));
}

} // namespace

int main(int argc, char **argv) {
  char pattern[] = "/tmp/sonvelt-recorder-bench-XXXXXX";
  if (mkdtemp(pattern) == nullptr)
    return 2;
  gDir = pattern;
  WriteSource(gDir / "in.raw");
  std::ofstream(gDir / ".asoundrc")
      << "pcm.benchcodec {\n  type file\n  slave.pcm null\n  infile \""
      << (gDir / "in.raw").string()
      << "\"\n  file \"/dev/null\"\n  format raw\n"
         "  hint { show on; description \"USB Audio CODEC\" }\n}\n";
  // alsa-lib reads the configuration once, from HOME, before anything opens.
  setenv("HOME", pattern, 1);
  unsetenv("ALSA_CONFIG_PATH");
  int status = 0;
  {
    TFrameworkRuntime runtime;
    mainloop::TMainLoop::Main().BindMainThread();
    media::SetAlsaEnabled(true);
    benchmark::RegisterBenchmark("chain/immediate", Run, true, false)
        ->MeasureProcessCPUTime()
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("readi_fwrite/immediate", Run, false, false)
        ->MeasureProcessCPUTime()
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("chain/realtime", Run, true, true)
        ->Iterations(1)
        ->MeasureProcessCPUTime()
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("readi_fwrite/realtime", Run, false, true)
        ->Iterations(1)
        ->MeasureProcessCPUTime()
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
      status = 1;
    else {
      benchmark::RunSpecifiedBenchmarks();
      PrintSummary();
    }
    benchmark::Shutdown();
  }
  std::filesystem::remove_all(gDir);
  return status;
}
