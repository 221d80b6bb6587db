#include <csignal>
#include <cstring>
#include <fstream>
#include <random>
#include <vector>

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/avifile/AviFile.h"
#include "platform/wave/WaveFormat.h"
#include "tests/support/WavOracle.h"

using namespace avifile;
using wavoracle::FileBytes;
using wavoracle::Le32At;

namespace {

WAVEFORMATEXTENSIBLE Extensible(uint16_t channels, uint32_t rate, uint16_t bits, uint16_t validBits,
                                uint32_t mask) {
  WAVEFORMATEXTENSIBLE f{};
  f.Format.wFormatTag = WAVE_FORMAT_EXTENSIBLE;
  f.Format.nChannels = channels;
  f.Format.nSamplesPerSec = rate;
  f.Format.nBlockAlign = uint16_t(channels * bits / 8);
  f.Format.nAvgBytesPerSec = rate * f.Format.nBlockAlign;
  f.Format.wBitsPerSample = bits;
  f.Format.cbSize = WAVEFORMATEXTENSIBLE_EXTRA;
  f.Samples.wValidBitsPerSample = validBits;
  f.dwChannelMask = mask;
  f.SubFormat = KSDATAFORMAT_SUBTYPE_PCM;
  return f;
}

WAVEFORMATEX Pcm(uint16_t channels, uint32_t rate, uint16_t bits) {
  WAVEFORMATEX f{};
  f.wFormatTag = WAVE_FORMAT_PCM;
  f.nChannels = channels;
  f.nSamplesPerSec = rate;
  f.nBlockAlign = uint16_t(channels * bits / 8);
  f.nAvgBytesPerSec = rate * f.nBlockAlign;
  f.wBitsPerSample = bits;
  return f;
}

// 16-bit samples with a recognisable ramp per channel, from frame first.
std::vector<int16_t> Ramp(int frames, int channels, int first) {
  std::vector<int16_t> v(size_t(frames * channels));
  for (int i = 0; i < frames; ++i)
    for (int c = 0; c < channels; ++c)
      v[size_t(i * channels + c)] = int16_t((first + i) * 7 + c * 1000);
  return v;
}

// A file opened for writing with its stream and format set.
struct TWriter {
  PAVIFILE file = nullptr;
  PAVISTREAM stream = nullptr;
  ~TWriter() {
    AVIStreamRelease(stream);
    AVIFileRelease(file);
  }
};

class AviFileTest : public testing::Test {
protected:
  void SetUp() override { AVIFileInit(); }
  void TearDown() override {
    AVIFileExit();
    AVISetRiffSizeLimit(0xFFFFFFFFull);
  }

  void Create(TWriter &w, const std::string &path, const void *format, int32_t formatSize,
              uint32_t mode = OF_CREATE | OF_WRITE | OF_SHARE_EXCLUSIVE) {
    ASSERT_EQ(AVIFileOpen(&w.file, path.c_str(), mode, nullptr), AVIERR_OK);
    AVISTREAMINFOA info{};
    info.fccType = streamtypeAUDIO;
    ASSERT_EQ(AVIFileCreateStream(w.file, &w.stream, &info), AVIERR_OK);
    ASSERT_EQ(AVIStreamSetFormat(w.stream, 0, format, formatSize), AVIERR_OK);
  }

  // The header is exact: RIFF size = file size - 8, data size = frames x
  // block align, the file ends at the data's pad byte.
  static void ExpectExactHeader(const std::string &path, uint64_t dataBytes) {
    const auto b = FileBytes(path);
    ASSERT_GE(b.size(), 44u);
    EXPECT_EQ(Le32At(b, 4), b.size() - 8);
    const uint32_t fmtSize = Le32At(b, 16);
    const size_t data = 20 + fmtSize + (fmtSize & 1);
    EXPECT_EQ(Le32At(b, data + 4), dataBytes);
    EXPECT_EQ(b.size(), data + 8 + dataBytes + (dataBytes & 1));
  }

  wavoracle::TTempDir dir;
};

TEST_F(AviFileTest, EveryWriteLeavesAFileLibsndfileAndSoxReadWhole) {
  const std::string path = dir.File("take.wav");
  const auto format = Extensible(2, 48000, 16, 16, 3);
  TWriter w;
  Create(w, path, &format, sizeof format);
  const auto all = Ramp(5 * 1024, 2, 0);
  for (int k = 0; k < 5; ++k) {
    int32_t samples = 0, bytes = 0;
    ASSERT_EQ(AVIStreamWrite(w.stream, int64_t(k) * 1024, 1024, &all[size_t(k) * 2048], 4096,
                             AVIIF_KEYFRAME, &samples, &bytes),
              AVIERR_OK);
    EXPECT_EQ(samples, 1024);
    EXPECT_EQ(bytes, 4096);
    ExpectExactHeader(path, uint64_t(k + 1) * 4096);
    const auto read = wavoracle::ReadWithSndfile(path);
    ASSERT_TRUE(read.Opened) << read.Error;
    ASSERT_EQ(read.Frames, (k + 1) * 1024);
    EXPECT_TRUE(std::equal(read.Samples.begin(), read.Samples.end(), all.begin()));
  }
  EXPECT_EQ(wavoracle::SoxProblems(path), "");
  // The 40-byte record is stored as given, byte for byte.
  const auto b = FileBytes(path);
  EXPECT_EQ(Le32At(b, 16), 40u);
  EXPECT_EQ(std::memcmp(&b[20], &format, 40), 0);
}

TEST_F(AviFileTest, StreamInfoFormatAndReadsDescribeTheStoredTake) {
  const std::string path = dir.File("info.wav");
  const auto format = Extensible(1, 44100, 16, 12, 4);
  {
    TWriter w;
    Create(w, path, &format, sizeof format);
    const auto data = Ramp(1000, 1, 0);
    ASSERT_EQ(
        AVIStreamWrite(w.stream, 0, 1000, data.data(), 2000, AVIIF_KEYFRAME, nullptr, nullptr),
        AVIERR_OK);
  }
  PAVIFILE file = nullptr;
  ASSERT_EQ(AVIFileOpen(&file, path.c_str(), OF_READ, nullptr), AVIERR_OK);
  PAVISTREAM stream = nullptr;
  EXPECT_EQ(AVIFileGetStream(file, &stream, streamtypeTEXT, 0), AVIERR_NODATA);
  ASSERT_EQ(AVIFileGetStream(file, &stream, streamtypeAUDIO, 0), AVIERR_OK);
  AVISTREAMINFOA info{};
  ASSERT_EQ(AVIStreamInfo(stream, &info, sizeof info), AVIERR_OK);
  EXPECT_EQ(info.fccType, 0x73647561u);
  EXPECT_EQ(info.dwScale, 2u);
  EXPECT_EQ(info.dwRate, 88200u);
  EXPECT_EQ(info.dwStart, 0u);
  EXPECT_EQ(info.dwLength, 1000u);
  EXPECT_EQ(AVIStreamLength(stream), 1000);
  EXPECT_EQ(AVIStreamStart(stream), 0);
  int32_t size = 0;
  ASSERT_EQ(AVIStreamReadFormat(stream, 0, nullptr, &size), AVIERR_OK);
  ASSERT_EQ(size, 40);
  WAVEFORMATEXTENSIBLE back{};
  ASSERT_EQ(AVIStreamReadFormat(stream, 0, &back, &size), AVIERR_OK);
  EXPECT_EQ(std::memcmp(&back, &format, 40), 0);
  // A null buffer asks for the size; reads stop at the end; past the end reads nothing.
  int32_t bytes = 0, samples = 0;
  ASSERT_EQ(AVIStreamRead(stream, 0, 10, nullptr, 0, &bytes, &samples), AVIERR_OK);
  EXPECT_EQ(bytes, 20);
  std::vector<int16_t> buf(100);
  ASSERT_EQ(AVIStreamRead(stream, 990, 100, buf.data(), 200, &bytes, &samples), AVIERR_OK);
  EXPECT_EQ(samples, 10);
  EXPECT_EQ(buf[0], int16_t(990 * 7));
  ASSERT_EQ(AVIStreamRead(stream, 1000, 100, buf.data(), 200, &bytes, &samples), AVIERR_OK);
  EXPECT_EQ(samples, 0);
  // The buffer's size limits the read to whole samples.
  ASSERT_EQ(AVIStreamRead(stream, 0, 100, buf.data(), 7, &bytes, &samples), AVIERR_OK);
  EXPECT_EQ(samples, 3);
  EXPECT_EQ(AVIStreamSampleToTime(stream, 44100), 1000);
  EXPECT_EQ(AVIStreamTimeToSample(stream, 500), 22050);
  // A read-only file takes no samples.
  EXPECT_NE(AVIStreamWrite(stream, 0, 1, buf.data(), 2, 0, nullptr, nullptr), AVIERR_OK);
  AVIStreamRelease(stream);
  AVIFileRelease(file);
}

TEST_F(AviFileTest, WritesOverTheTakeAndPastItsEndFillTheGapWithSilence) {
  struct TCase {
    const char *name;
    uint16_t channels, bits;
    uint8_t silence;
  };
  for (const TCase c : {TCase{"16-bit stereo", 2, 16, 0x00}, TCase{"8-bit mono", 1, 8, 0x80}}) {
    SCOPED_TRACE(c.name);
    const std::string path = dir.File(std::string(c.name) + ".wav");
    const auto format = Pcm(c.channels, 8000, c.bits);
    const uint32_t ba = format.nBlockAlign;
    TWriter w;
    Create(w, path, &format, sizeof format);
    std::vector<uint8_t> ones(100 * ba, 0x11), twos(10 * ba, 0x22), threes(3 * ba, 0x33);
    ASSERT_EQ(
        AVIStreamWrite(w.stream, 0, 100, ones.data(), int32_t(ones.size()), 0, nullptr, nullptr),
        AVIERR_OK);
    ASSERT_EQ(
        AVIStreamWrite(w.stream, 50, 10, twos.data(), int32_t(twos.size()), 0, nullptr, nullptr),
        AVIERR_OK);
    EXPECT_EQ(AVIStreamLength(w.stream), 100);
    // 3 frames at 200: 100 frames of silence in between; an odd size gets its pad byte.
    ASSERT_EQ(AVIStreamWrite(w.stream, 200, 3, threes.data(), int32_t(threes.size()), 0, nullptr,
                             nullptr),
              AVIERR_OK);
    EXPECT_EQ(AVIStreamLength(w.stream), 203);
    ExpectExactHeader(path, 203 * ba);
    const auto b = FileBytes(path);
    const size_t data = b.size() - 203 * ba - ((203 * ba) & 1);
    for (size_t i = 0; i < 203 * ba; ++i) {
      const size_t frame = i / ba;
      const uint8_t want = frame < 50    ? 0x11
                           : frame < 60  ? 0x22
                           : frame < 100 ? 0x11
                           : frame < 200 ? c.silence
                                         : 0x33;
      ASSERT_EQ(b[data + i], want) << "byte " << i;
    }
    // A negative position appends.
    ASSERT_EQ(AVIStreamWrite(w.stream, -1, 1, threes.data(), int32_t(ba), 0, nullptr, nullptr),
              AVIERR_OK);
    EXPECT_EQ(AVIStreamLength(w.stream), 204);
    ExpectExactHeader(path, 204 * ba);
    EXPECT_EQ(wavoracle::SoxProblems(path), "");
  }
}

TEST_F(AviFileTest, AStreamWithSamplesKeepsItsFormat) {
  const std::string path = dir.File("fmt.wav");
  const auto stereo = Extensible(2, 44100, 16, 16, 3);
  {
    TWriter w;
    Create(w, path, &stereo, sizeof stereo);
    // Before samples arrive the format may still change.
    const auto mono = Pcm(1, 8000, 8);
    ASSERT_EQ(AVIStreamSetFormat(w.stream, 0, &mono, sizeof mono), AVIERR_OK);
    ASSERT_EQ(AVIStreamSetFormat(w.stream, 0, &stereo, sizeof stereo), AVIERR_OK);
    const auto data = Ramp(10, 2, 0);
    ASSERT_EQ(AVIStreamWrite(w.stream, 0, 10, data.data(), 40, 0, nullptr, nullptr), AVIERR_OK);
  }
  TWriter w;
  ASSERT_EQ(AVIFileOpen(&w.file, path.c_str(), OF_WRITE | OF_SHARE_EXCLUSIVE, nullptr), AVIERR_OK);
  ASSERT_EQ(AVIFileGetStream(w.file, &w.stream, streamtypeAUDIO, 0), AVIERR_OK);
  EXPECT_EQ(AVIStreamSetFormat(w.stream, 0, &stereo, sizeof stereo), AVIERR_OK);
  const auto other = Extensible(2, 48000, 16, 16, 3);
  EXPECT_EQ(AVIStreamSetFormat(w.stream, 0, &other, sizeof other), AVIERR_UNSUPPORTED);
  EXPECT_EQ(AVIStreamLastError(w.stream), "The file's audio stream has another format");
  AVISTREAMINFOA info{};
  info.fccType = streamtypeAUDIO;
  PAVISTREAM second = nullptr;
  EXPECT_EQ(AVIFileCreateStream(w.file, &second, &info), AVIERR_UNSUPPORTED);
  EXPECT_EQ(second, nullptr);
}

TEST_F(AviFileTest, ASecondExclusiveOpenFailsAndChangesNothing) {
  const std::string path = dir.File("busy.wav");
  const auto format = Pcm(2, 44100, 16);
  TWriter w;
  Create(w, path, &format, sizeof format);
  const auto data = Ramp(100, 2, 0);
  ASSERT_EQ(AVIStreamWrite(w.stream, 0, 100, data.data(), 400, 0, nullptr, nullptr), AVIERR_OK);
  PAVIFILE second = nullptr;
  EXPECT_EQ(AVIFileOpen(&second, path.c_str(), OF_WRITE | OF_SHARE_EXCLUSIVE, nullptr),
            AVIERR_FILEOPEN);
  // Not even a creating open empties a file that someone records into.
  EXPECT_EQ(AVIFileOpen(&second, path.c_str(), OF_CREATE | OF_WRITE | OF_SHARE_EXCLUSIVE, nullptr),
            AVIERR_FILEOPEN);
  EXPECT_EQ(second, nullptr);
  ExpectExactHeader(path, 400);
  // Another process is refused as well.
  const pid_t child = ::fork();
  if (child == 0) {
    PAVIFILE f = nullptr;
    ::_exit(AVIFileOpen(&f, path.c_str(), OF_WRITE | OF_SHARE_EXCLUSIVE, nullptr) == AVIERR_FILEOPEN
                ? 0
                : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST_F(AviFileTest, TheWriterStopsBeforeTheRiffSizeLimit) {
  const std::string path = dir.File("limit.wav");
  const auto format = Extensible(2, 48000, 16, 16, 3);
  TWriter w;
  Create(w, path, &format, sizeof format);
  // Header (68 bytes) - 8 + 4096 bytes of data fit exactly; one more frame does not.
  AVISetRiffSizeLimit(60 + 4096);
  const auto data = Ramp(1025, 2, 0);
  ASSERT_EQ(AVIStreamWrite(w.stream, 0, 1024, data.data(), 4096, 0, nullptr, nullptr), AVIERR_OK);
  int32_t written = -1;
  EXPECT_EQ(AVIStreamWrite(w.stream, 1024, 1, data.data(), 4, 0, &written, nullptr),
            AVIERR_FILEWRITE);
  EXPECT_EQ(written, 0);
  EXPECT_EQ(AVIStreamLastError(w.stream), "The WAV file would pass its 4 GiB size limit");
  EXPECT_EQ(AVIStreamLength(w.stream), 1024);
  ExpectExactHeader(path, 4096);
  // Overwriting inside the take is still allowed.
  EXPECT_EQ(AVIStreamWrite(w.stream, 0, 1, data.data(), 4, 0, nullptr, nullptr), AVIERR_OK);
}

TEST_F(AviFileTest, AFullDiskFailsTheWriteAndKeepsTheHeaderMatchingTheFile) {
  const std::string path = dir.File("full.wav");
  const pid_t child = ::fork();
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{20000, 20000};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    const auto format = Extensible(2, 48000, 16, 16, 3);
    PAVIFILE file = nullptr;
    PAVISTREAM stream = nullptr;
    AVISTREAMINFOA info{};
    info.fccType = streamtypeAUDIO;
    if (AVIFileOpen(&file, path.c_str(), OF_CREATE | OF_WRITE, nullptr) != AVIERR_OK ||
        AVIFileCreateStream(file, &stream, &info) != AVIERR_OK ||
        AVIStreamSetFormat(stream, 0, &format, sizeof format) != AVIERR_OK)
      ::_exit(10);
    const auto data = Ramp(1000, 2, 0);
    for (int k = 0; k < 10; ++k) {
      if (AVIStreamWrite(stream, -1, 1000, data.data(), 4000, 0, nullptr, nullptr) != AVIERR_OK)
        // Four buffers fit under the limit, the fifth does not.
        ::_exit(k == 4 && AVIStreamLength(stream) == 4000 &&
                        AVIStreamLastError(stream).find("File too large") != std::string::npos
                    ? 0
                    : 20 + k);
    }
    ::_exit(11);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  ASSERT_EQ(WEXITSTATUS(status), 0);
  ExpectExactHeader(path, 4 * 4000);
  const auto read = wavoracle::ReadWithSndfile(path);
  ASSERT_TRUE(read.Opened) << read.Error;
  EXPECT_EQ(read.Frames, 4000);
  EXPECT_EQ(wavoracle::SoxProblems(path), "");
}

// ---------------------------------------------------------------------------
// Broken files

std::vector<uint8_t> Chunk(const char *id, std::vector<uint8_t> body, bool pad = true) {
  std::vector<uint8_t> c(id, id + 4);
  const uint32_t n = uint32_t(body.size());
  for (int i = 0; i < 4; ++i)
    c.push_back(uint8_t(n >> (8 * i)));
  c.insert(c.end(), body.begin(), body.end());
  if (pad && (n & 1))
    c.push_back(0);
  return c;
}

std::vector<uint8_t> Riff(const std::vector<std::vector<uint8_t>> &chunks,
                          const char *form = "WAVE") {
  std::vector<uint8_t> body(form, form + 4);
  for (const auto &c : chunks)
    body.insert(body.end(), c.begin(), c.end());
  return Chunk("RIFF", body, false);
}

template <class T> std::vector<uint8_t> Bytes(const T &t, size_t n = sizeof(T)) {
  const auto *p = reinterpret_cast<const uint8_t *>(&t);
  return std::vector<uint8_t>(p, p + n);
}

void Store(const std::string &path, const std::vector<uint8_t> &b) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char *>(b.data()), std::streamsize(b.size()));
}

// Opens path for reading: -1 when refused, else the stream's length; reads
// every sample so a read past the file would show.
int64_t OpenAndReadAll(const std::string &path) {
  PAVIFILE file = nullptr;
  if (AVIFileOpen(&file, path.c_str(), OF_READ, nullptr) != AVIERR_OK)
    return -1;
  PAVISTREAM stream = nullptr;
  int64_t length = -1;
  if (AVIFileGetStream(file, &stream, streamtypeAUDIO, 0) == AVIERR_OK) {
    length = AVIStreamLength(stream);
    AVISTREAMINFOA info{};
    AVIStreamInfo(stream, &info, sizeof info);
    int32_t size = 0;
    AVIStreamReadFormat(stream, 0, nullptr, &size);
    std::vector<uint8_t> fmt(size_t(std::max(size, 0)));
    AVIStreamReadFormat(stream, 0, fmt.data(), &size);
    std::vector<uint8_t> buf(4096);
    int32_t got = 0;
    for (int64_t at = 0; at < length; at += got) {
      if (AVIStreamRead(stream, at, AVISTREAMREAD_CONVENIENT, buf.data(), int32_t(buf.size()),
                        nullptr, &got) != AVIERR_OK ||
          got <= 0) {
        ADD_FAILURE() << "a stream of " << length << " samples stops at " << at;
        break;
      }
    }
    AVIStreamRelease(stream);
  }
  AVIFileRelease(file);
  return length;
}

struct TBroken {
  const char *name;
  std::vector<uint8_t> bytes;
  int64_t length; // -1: refused
};

class AviFileBrokenTest : public AviFileTest, public testing::WithParamInterface<TBroken> {};

TEST_P(AviFileBrokenTest, IsRefusedOrClampedWithoutReadingPastTheFile) {
  const std::string path = dir.File("broken.wav");
  Store(path, GetParam().bytes);
  EXPECT_EQ(OpenAndReadAll(path), GetParam().length);
}

WAVEFORMATEX With(WAVEFORMATEX f, void (*change)(WAVEFORMATEX &)) {
  change(f);
  return f;
}

std::vector<uint8_t> Frames(size_t n) { return std::vector<uint8_t>(n, 0x41); }

const auto pcm = Pcm(2, 8000, 16);
const auto fmt16 = Chunk("fmt ", Bytes(pcm, 16));
const auto fmt18 = Chunk("fmt ", Bytes(pcm));

INSTANTIATE_TEST_SUITE_P(
    Files, AviFileBrokenTest,
    testing::Values(
        TBroken{"empty", {}, -1}, TBroken{"not RIFF", Riff({fmt18, Chunk("data", Frames(8))}, "AVI "), -1},
        TBroken{"truncated header", {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A'}, -1},
        TBroken{"no data chunk", Riff({fmt18}), -1}, TBroken{"no fmt chunk", Riff({Chunk("data", Frames(8))}), -1},
        TBroken{"fmt too short", Riff({Chunk("fmt ", Bytes(pcm, 14)), Chunk("data", Frames(8))}), -1},
        TBroken{"fmt too long", Riff({Chunk("fmt ", std::vector<uint8_t>(5000)), Chunk("data", Frames(8))}), -1},
        TBroken{"cbSize past the record",
                Riff({Chunk("fmt ", Bytes(With(pcm, [](WAVEFORMATEX &f) { f.cbSize = 30; }))),
                      Chunk("data", Frames(8))}),
                -1},
        TBroken{"block align 0",
                Riff({Chunk("fmt ", Bytes(With(pcm, [](WAVEFORMATEX &f) { f.nBlockAlign = 0; }))),
                      Chunk("data", Frames(8))}),
                -1},
        TBroken{"no channels",
                Riff({Chunk("fmt ", Bytes(With(pcm, [](WAVEFORMATEX &f) { f.nChannels = 0; }))),
                      Chunk("data", Frames(8))}),
                -1},
        TBroken{"rate 0",
                Riff({Chunk("fmt ", Bytes(With(pcm, [](WAVEFORMATEX &f) { f.nSamplesPerSec = 0; }))),
                      Chunk("data", Frames(8))}),
                -1},
        TBroken{"extensible tag in 18 bytes",
                Riff({Chunk("fmt ", Bytes(With(pcm, [](WAVEFORMATEX &f) { f.wFormatTag = 0xFFFE; }))),
                      Chunk("data", Frames(8))}),
                -1},
        TBroken{"fmt past the end",
                [] {
                  auto b = Riff({fmt18});
                  b[16] = 200; // the fmt chunk's size
                  return b;
                }(),
                -1},
        TBroken{"16-byte fmt", Riff({fmt16, Chunk("data", Frames(8))}), 2},
        TBroken{"unknown chunks skipped, odd ones padded",
                Riff({Chunk("junk", Frames(3)), fmt18, Chunk("LIST", Frames(5)), Chunk("data", Frames(12))}), 3},
        TBroken{"data size past the end",
                [] {
                  auto b = Riff({fmt18, Chunk("data", Frames(10))});
                  b[b.size() - 14] = 0xFF; // data size low byte: 255 of 10 present
                  return b;
                }(),
                2},
        TBroken{"data size 0xFFFFFFFF of a streamed take",
                [] {
                  auto b = Riff({fmt18, Chunk("data", Frames(20))});
                  for (size_t i = b.size() - 24; i < b.size() - 20; ++i)
                    b[i] = 0xFF;
                  return b;
                }(),
                5},
        TBroken{"part of a block at the end", Riff({fmt18, Chunk("data", Frames(11), false)}), 2},
        TBroken{"chunk past the end before data",
                [] {
                  auto b = Riff({fmt18, Chunk("junk", Frames(4)), Chunk("data", Frames(8))});
                  b[b.size() - 24] = 0x7F; // the junk chunk's size
                  return b;
                }(),
                -1}),
    [](const testing::TestParamInfo<TBroken> &info) {
      std::string n;
      for (const char *p = info.param.name; *p; ++p)
        n += std::isalnum(uint8_t(*p)) ? *p : '_';
      return n;
    });

TEST_F(AviFileTest, MutatedFilesNeverCrashOrReadPastTheFile) {
  const std::string valid = dir.File("valid.wav");
  const auto format = Extensible(2, 44100, 16, 16, 3);
  {
    TWriter w;
    Create(w, valid, &format, sizeof format);
    const auto data = Ramp(300, 2, 0);
    ASSERT_EQ(AVIStreamWrite(w.stream, 0, 300, data.data(), 1200, 0, nullptr, nullptr), AVIERR_OK);
  }
  const auto original = FileBytes(valid);
  std::mt19937 rng(20261210);
  const std::string path = dir.File("mutated.wav");
  int opened = 0;
  for (int round = 0; round < 500; ++round) {
    auto b = original;
    const int edits = 1 + int(rng() % 4);
    for (int e = 0; e < edits; ++e) {
      // Mostly the header, where a flipped byte matters.
      const size_t at = rng() % 4 ? rng() % 80 : rng() % b.size();
      switch (rng() % 4) {
      case 0:
        b[at] = uint8_t(rng());
        break;
      case 1:
        b[at] ^= uint8_t(1u << (rng() % 8));
        break;
      case 2:
        b[at] = rng() % 2 ? 0 : 0xFF;
        break;
      default:
        b.resize(at);
        break;
      }
      if (b.empty())
        break;
    }
    Store(path, b);
    const int64_t length = OpenAndReadAll(path);
    if (length >= 0) {
      ++opened;
      EXPECT_LE(length * 4, int64_t(b.size())) << "round " << round;
    }
  }
  // The mutations leave some files readable; the point is that none crashes.
  EXPECT_GT(opened, 0);
}

TEST_F(AviFileTest, AppendingToAFileWithTrailingChunksKeepsTheHeaderExact) {
  const std::string path = dir.File("trailing.wav");
  Store(path, Riff({fmt18, Chunk("data", Frames(8)), Chunk("LIST", Frames(6))}));
  TWriter w;
  ASSERT_EQ(AVIFileOpen(&w.file, path.c_str(), OF_WRITE | OF_SHARE_EXCLUSIVE, nullptr), AVIERR_OK);
  ASSERT_EQ(AVIFileGetStream(w.file, &w.stream, streamtypeAUDIO, 0), AVIERR_OK);
  const auto data = Ramp(4, 2, 0);
  ASSERT_EQ(AVIStreamWrite(w.stream, 2, 4, data.data(), 16, 0, nullptr, nullptr), AVIERR_OK);
  ExpectExactHeader(path, 24);
  const auto read = wavoracle::ReadWithSndfile(path);
  ASSERT_TRUE(read.Opened) << read.Error;
  EXPECT_EQ(read.Frames, 6);
  EXPECT_EQ(read.Samples[0], 0x4141);
  EXPECT_EQ(read.Samples[4], data[0]);
}

} // namespace
