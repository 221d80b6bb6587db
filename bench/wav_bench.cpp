// Our WAV writer, which rewrites the header after every buffer so a killed
// recorder never loses its take, against a plain fwrite loop of the same
// buffers into a file whose header is never updated: 1024-frame buffers of
// 48 kHz 16-bit stereo, a take of 2000 buffers (about 43 s) per iteration.
// Prints both throughputs and the ratio ours / fwrite (time per take).
#include "platform/avifile/AviFile.h"
#include "platform/wave/WaveFormat.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <unistd.h>

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
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv))
    return 1;
  TRatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatio();
  benchmark::Shutdown();
  return 0;
}
