// The codec layer's IMA ADPCM streams, as the wave player decodes (8 blocks per
// call) and the logger encodes (1024-frame buffers), against libsndfile
// decoding and encoding the same 10 s of 44.1 kHz stereo in memory. Prints the
// ratios ours / libsndfile (time per take); below 1 is faster.
#include "platform/acm/Acm.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <sndfile.h>

namespace {

constexpr uint32_t kRate = 44100;
constexpr uint16_t kChannels = 2;
constexpr size_t kFrames = 10 * kRate;

std::vector<int16_t> Source() {
  std::vector<int16_t> s(kFrames * kChannels);
  for (size_t i = 0; i < s.size(); ++i)
    s[i] = int16_t(12000 * std::sin(double(i / kChannels) * 0.031 * (1 + i % kChannels)) +
                   double(i * 7919 % 601) - 300);
  return s;
}

// libsndfile over a byte vector.
struct TMemoryFile {
  std::vector<uint8_t> Bytes;
  sf_count_t At = 0;
};
SF_VIRTUAL_IO MemoryIo() {
  SF_VIRTUAL_IO io{};
  io.get_filelen = [](void *u) -> sf_count_t {
    return sf_count_t(static_cast<TMemoryFile *>(u)->Bytes.size());
  };
  io.seek = [](sf_count_t offset, int whence, void *u) -> sf_count_t {
    auto *m = static_cast<TMemoryFile *>(u);
    const sf_count_t base = whence == SEEK_SET   ? 0
                            : whence == SEEK_CUR ? m->At
                                                 : sf_count_t(m->Bytes.size());
    m->At = std::max<sf_count_t>(0, base + offset);
    return m->At;
  };
  io.read = [](void *ptr, sf_count_t count, void *u) -> sf_count_t {
    auto *m = static_cast<TMemoryFile *>(u);
    const sf_count_t n = std::clamp<sf_count_t>(sf_count_t(m->Bytes.size()) - m->At, 0, count);
    std::memcpy(ptr, m->Bytes.data() + m->At, size_t(n));
    m->At += n;
    return n;
  };
  io.write = [](const void *ptr, sf_count_t count, void *u) -> sf_count_t {
    auto *m = static_cast<TMemoryFile *>(u);
    if (m->Bytes.size() < size_t(m->At + count))
      m->Bytes.resize(size_t(m->At + count));
    std::memcpy(m->Bytes.data() + m->At, ptr, size_t(count));
    m->At += count;
    return count;
  };
  io.tell = [](void *u) -> sf_count_t { return static_cast<TMemoryFile *>(u)->At; };
  return io;
}

TMemoryFile SndfileEncode(const std::vector<int16_t> &pcm) {
  TMemoryFile file;
  SF_VIRTUAL_IO io = MemoryIo();
  SF_INFO info{};
  info.samplerate = kRate;
  info.channels = kChannels;
  info.format = SF_FORMAT_WAV | SF_FORMAT_IMA_ADPCM;
  SNDFILE *f = sf_open_virtual(&io, SFM_WRITE, &info, &file);
  sf_writef_short(f, pcm.data(), sf_count_t(kFrames));
  sf_close(f);
  return file;
}

// One stream, fed chunk bytes per call, every destination sized by acmStreamSize.
size_t Convert(HACMSTREAM s, const std::vector<uint8_t> &in, size_t chunk,
               std::vector<uint8_t> &out) {
  size_t produced = 0;
  std::vector<uint8_t> src(chunk);
  for (size_t at = 0; at < in.size(); at += chunk) {
    const uint32_t n = uint32_t(std::min(chunk, in.size() - at));
    std::memcpy(src.data(), in.data() + at, n);
    uint32_t size = 0;
    acmStreamSize(s, n, &size, ACM_STREAMSIZEF_SOURCE);
    if (out.size() < size)
      out.resize(size);
    ACMSTREAMHEADER h{};
    h.cbStruct = sizeof h;
    h.pbSrc = src.data();
    h.cbSrcLength = n;
    h.pbDst = out.data();
    h.cbDstLength = size;
    acmStreamPrepareHeader(s, &h, 0);
    acmStreamConvert(s, &h,
                     ACM_STREAMCONVERTF_BLOCKALIGN | (at == 0 ? ACM_STREAMCONVERTF_START : 0) |
                         (at + n == in.size() ? ACM_STREAMCONVERTF_END : 0));
    acmStreamUnprepareHeader(s, &h, 0);
    produced += h.cbDstLengthUsed;
  }
  return produced;
}

const IMAADPCMWAVEFORMAT kIma = acm::MakeImaAdpcmFormat(kRate, kChannels);
const WAVEFORMATEX kPcm{WAVE_FORMAT_PCM, kChannels, kRate, kRate * 4, 4, 16, 0};

std::vector<uint8_t> PcmBytes() {
  const std::vector<int16_t> s = Source();
  std::vector<uint8_t> b(s.size() * 2);
  std::memcpy(b.data(), s.data(), b.size());
  return b;
}

void Decode_ours(benchmark::State &state) {
  HACMSTREAM enc = nullptr, dec = nullptr;
  acmStreamOpen(&enc, nullptr, &kPcm, &kIma.wfx, nullptr, 0, 0, 0);
  std::vector<uint8_t> ima;
  ima.resize(Convert(enc, PcmBytes(), 4096, ima));
  acmStreamClose(enc, 0);
  acmStreamOpen(&dec, nullptr, &kIma.wfx, &kPcm, nullptr, 0, 0, 0);
  std::vector<uint8_t> out;
  for (auto _ : state)
    benchmark::DoNotOptimize(Convert(dec, ima, 8 * kIma.wfx.nBlockAlign, out));
  acmStreamClose(dec, 0);
  state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(kFrames));
}

void Decode_libsndfile(benchmark::State &state) {
  TMemoryFile file = SndfileEncode(Source());
  std::vector<int16_t> out(1024 * kChannels);
  SF_VIRTUAL_IO io = MemoryIo();
  for (auto _ : state) {
    file.At = 0;
    SF_INFO info{};
    SNDFILE *f = sf_open_virtual(&io, SFM_READ, &info, &file);
    sf_count_t total = 0, got;
    while ((got = sf_readf_short(f, out.data(), 1024)) > 0)
      total += got;
    sf_close(f);
    benchmark::DoNotOptimize(total);
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(kFrames));
}

void Encode_ours(benchmark::State &state) {
  const std::vector<uint8_t> pcm = PcmBytes();
  HACMSTREAM enc = nullptr;
  acmStreamOpen(&enc, nullptr, &kPcm, &kIma.wfx, nullptr, 0, 0, 0);
  std::vector<uint8_t> out;
  for (auto _ : state)
    benchmark::DoNotOptimize(Convert(enc, pcm, 1024 * 4, out));
  acmStreamClose(enc, 0);
  state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(kFrames));
}

void Encode_libsndfile(benchmark::State &state) {
  const std::vector<int16_t> pcm = Source();
  for (auto _ : state)
    benchmark::DoNotOptimize(SndfileEncode(pcm).Bytes.size());
  state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(kFrames));
}

BENCHMARK(Decode_ours)->Unit(benchmark::kMillisecond);
BENCHMARK(Decode_libsndfile)->Unit(benchmark::kMillisecond);
BENCHMARK(Encode_ours)->Unit(benchmark::kMillisecond);
BENCHMARK(Encode_libsndfile)->Unit(benchmark::kMillisecond);

class TRatioReporter : public benchmark::ConsoleReporter {
public:
  void ReportRuns(const std::vector<Run> &runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run &r : runs)
      if (!r.error_occurred && r.run_type == Run::RT_Iteration)
        times_[r.benchmark_name()] = r.GetAdjustedRealTime();
  }
  void PrintRatio(const char *what, const std::string &ours, const std::string &theirs) const {
    const auto a = times_.find(ours), b = times_.find(theirs);
    if (a != times_.end() && b != times_.end() && b->second > 0)
      std::printf("IMA ADPCM %s, ours / libsndfile (time per take): %.2f\n", what,
                  a->second / b->second);
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
  std::printf("\n");
  reporter.PrintRatio("decode", "Decode_ours", "Decode_libsndfile");
  reporter.PrintRatio("encode", "Encode_ours", "Encode_libsndfile");
  benchmark::Shutdown();
  return 0;
}
