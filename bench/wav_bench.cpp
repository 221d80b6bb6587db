// Our WAV writer, which rewrites the header after every buffer so a killed
// recorder never loses its take, against a plain fwrite loop of the same
// buffers into a file whose header is never updated: 1024-frame buffers of
// 48 kHz 16-bit stereo, a take of 2000 buffers (about 43 s) per iteration.
// Prints both throughputs and the ratio ours / fwrite (time per take).
//
// Then the simulated one-hour take: a virtual microphone -> the capture
// component -> the wave logger writing a temporary file, one hour of 44.1 kHz
// 16-bit mono in 1024-frame blocks (rounded up to a whole block), as fast as
// the machine goes. Each simulated minute (by the logger's position) the
// resident memory and the live store and buffer counts are sampled; a take
// that leaks shows as growth per minute. At the end libsndfile reads the file
// back, which must hold exactly the frames the microphone gave, sample for
// sample. Two pacings: "stepped" releases the microphone's frames by hand a
// second at a time, never more than two seconds ahead of the logger (the
// chain's own memory); "immediate" lets the microphone run unpaced, so the
// capture queue holds whatever the logger has not caught up with yet. The
// argument is the simulated length in minutes.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <sndfile.h>
#include <unistd.h>

#include "audio/ALDSAudioIn.h"
#include "audio/ALWaveLogger.h"
#include "framework/data/FrameworkRuntime.h"
#include "framework/data/SLInternalStore.h"
#include "framework/data/SLSimpleDataBuffer.h"
#include "platform/avifile/AviFile.h"
#include "platform/mainloop/MainLoop.h"
#include "platform/media/Media.h"
#include "platform/media/VirtualAudio.h"
#include "platform/wave/WaveFormat.h"

namespace {

constexpr int kFrames = 1024;
constexpr int kBuffers = 2000;
constexpr int kBytes = kFrames * 4;

std::string TempFile(const char *name) {
  return (std::filesystem::temp_directory_path() /
          (std::string("sonvelt-bench-") + name + "-" + std::to_string(::getpid()) + ".wav"))
      .string();
}

std::vector<uint8_t> Buffer() {
  std::vector<uint8_t> b(kBytes);
  for (size_t i = 0; i < b.size(); ++i)
    b[i] = uint8_t(i * 31);
  return b;
}

void Writer_ours(benchmark::State &state) {
  using namespace avifile;
  const std::string path = TempFile("ours");
  const auto data = Buffer();
  WAVEFORMATEXTENSIBLE f{};
  f.Format = {WAVE_FORMAT_EXTENSIBLE, 2, 48000, 192000, 4, 16, WAVEFORMATEXTENSIBLE_EXTRA};
  f.Samples.wValidBitsPerSample = 16;
  f.dwChannelMask = 3;
  f.SubFormat = KSDATAFORMAT_SUBTYPE_PCM;
  for (auto _ : state) {
    PAVIFILE file = nullptr;
    PAVISTREAM stream = nullptr;
    AVISTREAMINFOA info{};
    info.fccType = streamtypeAUDIO;
    AVIFileOpen(&file, path.c_str(), OF_CREATE | OF_WRITE | OF_SHARE_EXCLUSIVE, nullptr);
    AVIFileCreateStream(file, &stream, &info);
    AVIStreamSetFormat(stream, 0, &f, sizeof f);
    for (int k = 0; k < kBuffers; ++k)
      AVIStreamWrite(stream, int64_t(k) * kFrames, kFrames, data.data(), kBytes, AVIIF_KEYFRAME,
                     nullptr, nullptr);
    AVIStreamRelease(stream);
    AVIFileRelease(file);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * kBuffers * kBytes);
  std::filesystem::remove(path);
}

void Writer_fwrite(benchmark::State &state) {
  const std::string path = TempFile("fwrite");
  const auto data = Buffer();
  std::vector<uint8_t> header(68, 0);
  for (auto _ : state) {
    FILE *f = std::fopen(path.c_str(), "wb");
    std::fwrite(header.data(), 1, header.size(), f);
    for (int k = 0; k < kBuffers; ++k)
      std::fwrite(data.data(), 1, data.size(), f);
    std::fclose(f);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * kBuffers * kBytes);
  std::filesystem::remove(path);
}

BENCHMARK(Writer_ours)->Unit(benchmark::kMillisecond);
BENCHMARK(Writer_fwrite)->Unit(benchmark::kMillisecond);

// ---- The simulated one-hour take ----

constexpr uint32_t kTakeRate = 44100;
constexpr uint32_t kTakeBlock = 1024;
// Source frames of the microphone: a length prime to the block, so the loop
// point wanders through the blocks.
constexpr size_t kPatternFrames = 44100 * 3 + 7;

struct TMinuteRow {
  int Minute;
  double RssMiB;
  int Stores;
  int PasBuffers;
  double BacklogSeconds; // read by the microphone, not yet in the file
};

struct TTakeResult {
  std::vector<TMinuteRow> Rows;
  double Seconds = 0;
};

std::map<std::string, TTakeResult> gTakes;

double ResidentMiB() {
  std::ifstream statm("/proc/self/statm");
  long size = 0, resident = 0;
  statm >> size >> resident;
  return double(resident) * double(::sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

std::vector<uint8_t> PatternBytes() {
  std::vector<uint8_t> b(kPatternFrames * 2);
  uint32_t x = 0x12345678u;
  for (size_t i = 0; i < b.size(); ++i) {
    x = x * 1664525u + 1013904223u;
    b[i] = uint8_t(x >> 24);
  }
  return b;
}

// Empty when the file holds exactly frames frames of the looped pattern,
// else what is wrong.
std::string CheckFile(const std::string &path, int64_t frames,
                      const std::vector<uint8_t> &pattern) {
  SF_INFO info{};
  SNDFILE *f = sf_open(path.c_str(), SFM_READ, &info);
  if (f == nullptr)
    return std::string("libsndfile cannot open the take: ") + sf_strerror(nullptr);
  std::string problem;
  if (info.channels != 1 || info.samplerate != int(kTakeRate))
    problem = "format " + std::to_string(info.channels) + " ch " + std::to_string(info.samplerate) +
              " Hz";
  else if (info.frames != frames)
    problem = "file holds " + std::to_string(info.frames) + " frames, the microphone gave " +
              std::to_string(frames);
  std::vector<int16_t> chunk(1 << 16);
  int64_t at = 0;
  while (problem.empty() && at < frames) {
    const sf_count_t n = sf_readf_short(f, chunk.data(), sf_count_t(chunk.size()));
    if (n <= 0) {
      problem = "short read at frame " + std::to_string(at);
      break;
    }
    for (sf_count_t i = 0; i < n; ++i, ++at) {
      const size_t k = size_t(at) % kPatternFrames;
      const int16_t want = int16_t(uint16_t(pattern[2 * k] | (pattern[2 * k + 1] << 8)));
      if (chunk[size_t(i)] != want) {
        problem = "sample differs at frame " + std::to_string(at);
        break;
      }
    }
  }
  sf_close(f);
  return problem;
}

void RunTake(benchmark::State &state, media::TVirtualPacing pacing, const char *name) {
  using mainloop::TMainLoop;
  const int minutes = int(state.range(0));
  const int64_t perMinute = int64_t(kTakeRate) * 60;
  const int64_t total = (perMinute * minutes + kTakeBlock - 1) / kTakeBlock * kTakeBlock;
  const std::string path = TempFile("take");
  const std::vector<uint8_t> pattern = PatternBytes();
  TMainLoop::Main().BindMainThread();
  media::SetAlsaEnabled(false);
  media::TVirtualAudio::Clear();
  for (auto _ : state) {
    media::TVirtualCaptureSpec spec;
    spec.FriendlyName = "Bench Microphone";
    spec.Id = "benchmic";
    spec.Source = media::TVirtualSource::Bytes;
    spec.Bytes = pattern;
    spec.Loop = true;
    spec.Pacing = pacing;
    auto mic = media::TVirtualAudio::AddCapture(spec);
    TTakeResult result;
    std::string problem;
    int64_t fed = 0;
    {
      TOwnedPtr<TALDSAudioIn> in(CreateObject<TALDSAudioIn>(nullptr));
      in->GetAudioCaptureDevice()->SetName("Bench Microphone");
      in->GetAudioFormat()->SetChannels(1);
      in->GetAudioFormat()->SetSampleRate(kTakeRate);
      in->GetAudioFormat()->SetBufferSize(kTakeBlock);
      TOwnedPtr<TALWaveLogger> logger(CreateObject<TALWaveLogger>(nullptr));
      logger->SetFileName(path);
      std::string loggerError;
      logger->OnError.Fn = [&](TObject *, const std::string &m) { loggerError = m; };
      logger->GetInputPin()->Connect(in->GetOutputPin());
      const auto begin = std::chrono::steady_clock::now();
      try {
        in->Start();
      } catch (const std::exception &e) {
        problem = std::string("capture does not start: ") + e.what();
      }
      int64_t released = 0;
      int nextMinute = 1;
      const int64_t step = kTakeRate, ahead = 2 * int64_t(kTakeRate);
      while (problem.empty()) {
        const int64_t logged = logger->Get_CurrentSample();
        while (nextMinute <= minutes && logged >= nextMinute * perMinute) {
          const int64_t read = int64_t(mic->FramesRead());
          result.Rows.push_back({nextMinute, ResidentMiB(), _SLCountStores.load(),
                                 _SLCountPasBuffers.load(), double(read - logged) / kTakeRate});
          ++nextMinute;
        }
        if (logged >= total)
          break;
        if (!loggerError.empty()) {
          problem = "the logger failed: " + loggerError;
          break;
        }
        if (pacing == media::TVirtualPacing::Manual && released < total &&
            released - logged < ahead) {
          const int64_t n = std::min(step, total - released);
          mic->ReleaseFrames(uint64_t(n));
          released += n;
        }
        TMainLoop::Main().WaitAndRun(std::chrono::milliseconds(1));
      }
      in->Stop();
      TMainLoop::Main().RunPending();
      result.Seconds =
          std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
      fed = int64_t(mic->FramesRead());
      logger.reset();
      in.reset();
      TMainLoop::Main().RunPending();
    }
    media::TVirtualAudio::Clear();
    if (problem.empty())
      problem = CheckFile(path, fed, pattern);
    std::filesystem::remove(path);
    if (!problem.empty()) {
      state.SkipWithError(problem.c_str());
      break;
    }
    // Growth per minute: least squares over minutes 2.. (the first holds the
    // start-up's allocations).
    double sx = 0, sy = 0, sxx = 0, sxy = 0, n = 0;
    int maxStores = 0, maxBuffers = 0;
    for (const TMinuteRow &r : result.Rows) {
      maxStores = std::max(maxStores, r.Stores);
      maxBuffers = std::max(maxBuffers, r.PasBuffers);
      if (r.Minute < 2)
        continue;
      sx += r.Minute;
      sy += r.RssMiB;
      sxx += double(r.Minute) * r.Minute;
      sxy += r.Minute * r.RssMiB;
      n += 1;
    }
    const double slope = n > 1 ? (n * sxy - sx * sy) / (n * sxx - sx * sx) : 0;
    state.counters["audio_s"] = double(fed) / kTakeRate;
    state.counters["x_realtime"] = double(fed) / kTakeRate / result.Seconds;
    state.counters["rss_min1_MiB"] = result.Rows.empty() ? 0 : result.Rows.front().RssMiB;
    state.counters["rss_end_MiB"] = result.Rows.empty() ? 0 : result.Rows.back().RssMiB;
    state.counters["rss_KiB_per_min"] = slope * 1024;
    state.counters["stores_max"] = maxStores;
    state.counters["buffers_max"] = maxBuffers;
    gTakes[name] = result;
  }
}

void OneHourTake_stepped(benchmark::State &state) {
  RunTake(state, media::TVirtualPacing::Manual, "stepped");
}
void OneHourTake_immediate(benchmark::State &state) {
  RunTake(state, media::TVirtualPacing::Immediate, "immediate");
}

BENCHMARK(OneHourTake_stepped)->Arg(60)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);
BENCHMARK(OneHourTake_immediate)->Arg(60)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

void PrintTakes() {
  for (const auto &[name, take] : gTakes) {
    std::printf("\n%s: %.1f s of wall time\n%6s %10s %8s %9s %12s\n", name.c_str(), take.Seconds,
                "minute", "RSS MiB", "stores", "buffers", "backlog s");
    for (const TMinuteRow &r : take.Rows)
      if (r.Minute <= 5 || r.Minute % 5 == 0 || &r == &take.Rows.back())
        std::printf("%6d %10.2f %8d %9d %12.2f\n", r.Minute, r.RssMiB, r.Stores, r.PasBuffers,
                    r.BacklogSeconds);
  }
}

class TRatioReporter : public benchmark::ConsoleReporter {
public:
  void ReportRuns(const std::vector<Run> &runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run &r : runs)
      if (!r.error_occurred && r.run_type == Run::RT_Iteration)
        times_[r.benchmark_name()] = r.GetAdjustedRealTime();
  }
  void PrintRatio() const {
    const auto ours = times_.find("Writer_ours"), theirs = times_.find("Writer_fwrite");
    if (ours != times_.end() && theirs != times_.end() && theirs->second > 0)
      std::printf("\nWAV writer, ours / fwrite (time per take): %.2f\n",
                  ours->second / theirs->second);
  }

private:
  std::map<std::string, double> times_;
};

} // namespace

int main(int argc, char **argv) {
  TFrameworkRuntime runtime;
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv))
    return 1;
  TRatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatio();
  PrintTakes();
  benchmark::Shutdown();
  return 0;
}
