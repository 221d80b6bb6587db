#include <cstring>

#include <gtest/gtest.h>

#include "audio/ALWaveLogger.h"
#include "audio/ALWavePlayer.h"
#include "tests/audio/ALVirtualSourceSupport.h"
#include "tests/support/WavOracle.h"

using namespace avifile;

namespace {

std::vector<uint8_t> Noise(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<uint8_t> v(n);
  for (auto &b : v)
    b = uint8_t(rng() >> 24);
  return v;
}

class ALWavePlayerTest : public testing::Test {
protected:
  void SetUp() override {
    ALTestFrameworkUp();
    mainloop::TMainLoop::Main().BindMainThread();
    player.reset(CreateObject<TALWavePlayer>(nullptr));
    player->SetEnabled(false);
    player->SetClockSource(csExternal);
    sink.reset(CreateObject<TALRecordingSink>());
    ASSERT_TRUE(sink->Pin()->Connect(player->GetOutputPin()));
    player->OnStop.Fn = [this](TObject *) {
      ++stops;
      stopOnMain = mainloop::TMainLoop::Main().IsMainThread();
    };
  }
  void TearDown() override {
    player.reset();
    sink.reset();
    Pump();
  }
  static void Pump() { mainloop::TMainLoop::Main().RunPending(); }

  // A 16-bit stereo file of frames frames of noise.
  std::vector<uint8_t> StereoFile(const std::string &name, uint32_t frames) {
    path = dir.File(name);
    const auto format = ALTestFormat(44100, 16, 2);
    auto data = Noise(size_t(frames) * 4, frames);
    WriteWav(path, &format, sizeof format, data);
    return data;
  }
  void Play(int pumps) {
    for (int i = 0; i < pumps; ++i)
      player->Pump();
  }

  wavoracle::TTempDir dir;
  std::string path;
  TOwnedPtr<TALWavePlayer> player;
  TOwnedPtr<TALRecordingSink> sink;
  int stops = 0;
  bool stopOnMain = false;
};

TEST_F(ALWavePlayerTest, TenThousandFramesPlayAsNineFullBuffersAndOneShortThenStopOnTheMainThread) {
  const auto data = StereoFile("ten.wav", 10000);
  player->SetFileName(path);
  player->Start();
  ASSERT_TRUE(player->GetPlaying());
  EXPECT_EQ(player->GetSamplesCount(), 10000);
  EXPECT_EQ(player->GetClockPeriod(), 23u);
  Play(10);
  EXPECT_EQ(sink->BufferFrames(),
            (std::vector<uint32_t>{1024, 1024, 1024, 1024, 1024, 1024, 1024, 1024, 1024, 784}));
  EXPECT_EQ(sink->Bytes(), data);
  EXPECT_EQ(stops, 0); // the end is handled on the main thread
  Play(3);             // nothing more is produced meanwhile
  EXPECT_EQ(sink->BufferFrames().size(), 10u);
  Pump();
  EXPECT_EQ(stops, 1);
  EXPECT_TRUE(stopOnMain);
  EXPECT_FALSE(player->GetEnabled());
  EXPECT_FALSE(player->GetPlaying());
  // Start-wave, four buffers, the resume, the rest, the end-stop.
  std::string order;
  for (const auto &s : sink->Seen()) {
    IOWNotifyOperation *op = s.Operation.Get();
    if (OWOperationAs<TOWStartWaveOperation>(op))
      order += 'W';
    else if (OWOperationAs<TOWSuppliedBufferOperation>(op))
      order += 'b';
    else if (OWOperationAs<TOWSLResumeOperation>(op))
      order += 'R';
    else if (OWOperationAs<TOWEndStopOperation>(op))
      order += 'E';
  }
  EXPECT_EQ(order, "WbbbbRbbbbbbE");
  const auto *start = OWOperationAs<TOWStartWaveOperation>(sink->Seen()[0].Operation.Get());
  ASSERT_NE(start, nullptr);
  EXPECT_EQ(start->BufferSize(), 1024);
  EXPECT_EQ(start->SampleRate(), 44100.0);
  EXPECT_EQ(player->GetCurrentSample(), 9999);
}

// Buffers come faster than a person reads the position: the main thread sees
// the first at once, the rest at most once a period, and the exact position
// where playback pauses and where it ends.
TEST_F(ALWavePlayerTest, ProgressReachesTheMainThreadOncePerPeriodAndExactlyAtPauseAndEnd) {
  StereoFile("progress.wav", 10000);
  std::vector<int64_t> shown;
  player->OnProgress.Fn = [&](TObject *, int64_t, int64_t, int64_t current) {
    shown.push_back(current);
  };
  player->SetFileName(path);
  player->Start();
  for (int i = 0; i < 4; ++i) {
    player->Pump();
    Pump();
  }
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0], 1024);
  player->Pause();
  Pump();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown.back(), 4096);
  player->Resume();
  Play(10);
  Pump(); // the end
  Pump(); // what it posted
  EXPECT_EQ(stops, 1);
  EXPECT_EQ(shown.size(), 3u);
  EXPECT_EQ(shown.back(), player->GetCurrentSample());
}

TEST_F(ALWavePlayerTest, LoopStartsAgainAtTheRangeStart) {
  const auto data = StereoFile("loop.wav", 3000);
  player->Loop = true;
  player->SetFileName(path);
  player->Start();
  Play(4); // 1024, 1024, 952, then the start again
  EXPECT_EQ(sink->BufferFrames(), (std::vector<uint32_t>{1024, 1024, 952, 1024}));
  const auto bytes = sink->Bytes();
  EXPECT_TRUE(std::equal(data.begin(), data.begin() + 4096, bytes.begin() + 12000));
  Pump();
  EXPECT_EQ(stops, 0);
  EXPECT_TRUE(player->GetPlaying());
}

TEST_F(ALWavePlayerTest, ASegmentStartsAtItsStartAndEndsWithTheBufferHoldingItsStop) {
  const auto data = StereoFile("segment.wav", 10000);
  player->GetPlaySegment()->SetEnabled(true);
  player->GetPlaySegment()->SetStartSample(1000);
  player->GetPlaySegment()->SetStopSample(2000);
  player->SetFileName(path);
  player->Start();
  Play(3);
  EXPECT_EQ(sink->BufferFrames(), (std::vector<uint32_t>{1024}));
  EXPECT_EQ(sink->Bytes(), std::vector<uint8_t>(data.begin() + 4000, data.begin() + 4000 + 4096));
  Pump();
  EXPECT_EQ(stops, 1);
}

// A range ends after its last sample: the frame past a full buffer is played,
// and a stop on a buffer boundary plays the buffer that starts there.
struct TRangeEndCase {
  const char *name;
  uint32_t frames;
  int64_t stop; // a segment from 0, or the whole file when negative
  std::vector<uint32_t> buffers;
};

class ALWavePlayerRangeEndTest : public ALWavePlayerTest,
                                 public testing::WithParamInterface<TRangeEndCase> {};

TEST_P(ALWavePlayerRangeEndTest, TheRangePlaysThroughItsLastSample) {
  const TRangeEndCase c = GetParam();
  const auto data = StereoFile("end.wav", c.frames);
  if (c.stop >= 0) {
    player->GetPlaySegment()->SetEnabled(true);
    player->GetPlaySegment()->SetStopSample(c.stop);
  }
  player->SetFileName(path);
  player->Start();
  Play(int(c.buffers.size()) + 2);
  EXPECT_EQ(sink->BufferFrames(), c.buffers);
  size_t frames = 0;
  for (uint32_t n : c.buffers)
    frames += n;
  EXPECT_EQ(sink->Bytes(), std::vector<uint8_t>(data.begin(), data.begin() + frames * 4));
  Pump();
  EXPECT_EQ(stops, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Ends, ALWavePlayerRangeEndTest,
    testing::Values(TRangeEndCase{"OneFrameAfterAFullBuffer", 1025, -1, {1024, 1}},
                    TRangeEndCase{"SegmentStopOnABufferBoundary", 10000, 2048, {1024, 1024, 1024}}),
    [](const testing::TestParamInfo<TRangeEndCase> &info) { return std::string(info.param.name); });

// The clock ticks once a buffer, its period rounded to the nearest millisecond.
class ALWavePlayerPeriodTest : public ALWavePlayerTest,
                               public testing::WithParamInterface<std::pair<uint32_t, uint32_t>> {};

TEST_P(ALWavePlayerPeriodTest, TheClockPeriodIsTheBufferDurationRounded) {
  const auto [rate, period] = GetParam();
  path = dir.File("rate.wav");
  const auto format = ALTestFormat(rate, 16, 2);
  WriteWav(path, &format, sizeof format, Noise(4096 * 4, rate));
  player->SetFileName(path);
  player->Start();
  ASSERT_TRUE(player->GetPlaying());
  EXPECT_EQ(player->GetClockPeriod(), period) << rate << " Hz";
}

INSTANTIATE_TEST_SUITE_P(Rates, ALWavePlayerPeriodTest,
                         testing::Values(std::pair{11025u, 93u}, // 92.88 ms
                                         std::pair{96000u, 11u}, // 10.67 ms
                                         std::pair{44100u, 23u}) // 23.22 ms
);

TEST_F(ALWavePlayerTest, SegmentSettersKeepStartBeforeStop) {
  TALAudioPlayerSegment segment;
  segment.SetStartSample(10);
  segment.SetStopSample(5);
  EXPECT_EQ(segment.GetStartSample(), 5);
  EXPECT_EQ(segment.GetStopSample(), 5);
  segment.SetStartSample(-3);
  EXPECT_EQ(segment.GetStartSample(), 0);
  segment.SetStartSample(50);
  EXPECT_EQ(segment.GetStopSample(), 50);
  player->SetBufferSize(0);
  EXPECT_EQ(player->GetBufferSize(), 1);
}

TEST_F(ALWavePlayerTest, PauseBeforeStartThenSeekThenResumePlaysFromThePosition) {
  const auto data = StereoFile("seek.wav", 10000);
  player->SetFileName(path);
  player->Pause();
  player->Start();
  EXPECT_TRUE(player->GetPlaying());
  player->SetCurrentSample(5000);
  sink->Clear();
  player->Resume();
  // The resume reaches the sinks before the first buffer, which starts at 5000.
  const auto seen = sink->Seen();
  ASSERT_GE(seen.size(), 2u);
  EXPECT_NE(OWOperationAs<TOWSLResumeOperation>(seen[0].Operation.Get()), nullptr);
  EXPECT_EQ(sink->Bytes(), std::vector<uint8_t>(data.begin() + 20000, data.begin() + 20000 + 4096));
  // A pause in the middle, a seek back, and on.
  player->Pause();
  player->SetCurrentSample(0);
  sink->Clear();
  player->Resume();
  Play(1);
  EXPECT_EQ(sink->Bytes(), std::vector<uint8_t>(data.begin(), data.begin() + 8192));
  EXPECT_EQ(sink->Count<TOWSLPauseOperation>(), 0);
}

TEST_F(ALWavePlayerTest, AMasterPumpWithTheSameIdentifierPumpsOnce) {
  StereoFile("master.wav", 10000);
  player->SetClockSource(csInternal);
  // A sink that claims the pumping.
  TOwnedPtr<TALOWAudioSinkPin> master(CreateObject<TALOWAudioSinkPin>(
      nullptr, [&](TOWPin *, const TGUID *, IOWNotifyOperation *Operation, TOWNotifyState) {
        if (auto *request = OWOperationAs<TOWPumpRequestOperation>(Operation))
          request->Sender = master.get();
        return TOWNotifyResult{};
      }));
  ASSERT_TRUE(master->Connect(player->GetOutputPin()));
  player->SetFileName(path);
  player->Start();
  auto pump = TOWNotifyOperation::Make<TOWMasterPumpOperation>(master.get());
  master->Notify(pump.Get());
  master->Notify(pump.Get());
  EXPECT_EQ(sink->BufferFrames().size(), 1u);
  master->Notify(TOWNotifyOperation::Make<TOWMasterPumpOperation>(master.get()).Get());
  EXPECT_EQ(sink->BufferFrames().size(), 2u);
  EXPECT_EQ(sink->Count<TOWStartPumpOperation>(), 1);
  master->Disconnect();
}

struct TPcmCase {
  const char *name;
  uint16_t channels, bits;
  bool extensible;
  uint16_t validBits;
  uint32_t mask;
  uint16_t wantBits;  // container bits announced
  uint16_t wantValid; // valid bits announced
};

class ALWavePlayerFormatTest : public ALWavePlayerTest,
                               public testing::WithParamInterface<TPcmCase> {};

TEST_P(ALWavePlayerFormatTest, PcmFormatsAreAnnouncedAsTheExtensibleRecord) {
  const TPcmCase c = GetParam();
  path = dir.File("fmt.wav");
  WAVEFORMATEXTENSIBLE f{};
  f.Format.wFormatTag = c.extensible ? WAVE_FORMAT_EXTENSIBLE : WAVE_FORMAT_PCM;
  f.Format.nChannels = c.channels;
  f.Format.nSamplesPerSec = 8000;
  f.Format.nBlockAlign = uint16_t(c.channels * ((c.bits + 7) / 8));
  f.Format.nAvgBytesPerSec = 8000u * f.Format.nBlockAlign;
  f.Format.wBitsPerSample = c.bits;
  f.Format.cbSize = c.extensible ? 22 : 0;
  f.Samples.wValidBitsPerSample = c.validBits;
  f.dwChannelMask = c.mask;
  f.SubFormat = KSDATAFORMAT_SUBTYPE_PCM;
  const auto data = Noise(size_t(f.Format.nBlockAlign) * 100, 7);
  WriteWav(path, &f, c.extensible ? 40 : 18, data);
  player->SetFileName(path);
  player->Start();
  const auto seen = sink->Seen();
  ASSERT_FALSE(seen.empty());
  const auto *start = OWOperationAs<TOWStartWaveOperation>(seen[0].Operation.Get());
  ASSERT_NE(start, nullptr);
  const WAVEFORMATEXTENSIBLE &w = start->WaveFormat();
  EXPECT_EQ(w.Format.wFormatTag, WAVE_FORMAT_EXTENSIBLE);
  EXPECT_EQ(w.Format.wBitsPerSample, c.wantBits);
  EXPECT_EQ(w.Samples.wValidBitsPerSample, c.wantValid);
  EXPECT_EQ(w.dwChannelMask, c.mask);
  EXPECT_EQ(w.SubFormat, KSDATAFORMAT_SUBTYPE_PCM);
  Play(1);
  EXPECT_EQ(sink->Bytes(), data);
}

INSTANTIATE_TEST_SUITE_P(
    Pcm, ALWavePlayerFormatTest,
    testing::Values(TPcmCase{"Plain8BitMono", 1, 8, false, 0, 1, 8, 8},
                    TPcmCase{"Plain12Bit", 1, 12, false, 0, 1, 16, 12},
                    TPcmCase{"ExtensibleKeepsItsMask", 2, 16, true, 16, 0x600, 16, 16},
                    TPcmCase{"Extensible20In24", 1, 24, true, 20, 4, 24, 20},
                    // A buffer's container follows its valid bits: 24 in 32 plays as 32-bit.
                    TPcmCase{"Extensible24In32", 2, 32, true, 24, 3, 32, 32}),
    [](const testing::TestParamInfo<TPcmCase> &info) { return std::string(info.param.name); });

TEST_F(ALWavePlayerTest, ATakeWrittenByTheLoggerPlaysWithItsFormatUnchanged) {
  path = dir.File("logged.wav");
  TOwnedPtr<TALVirtualSource> source(CreateObject<TALVirtualSource>());
  TOwnedPtr<TALWaveLogger> logger(CreateObject<TALWaveLogger>(nullptr));
  logger->SetFileName(path);
  ASSERT_TRUE(logger->GetInputPin()->Connect(source->Pin()));
  WAVEFORMATEXTENSIBLE format = ALTestFormat(48000, 16, 2);
  format.dwChannelMask = 0x30; // back left, back right
  source->Start(format);
  source->SendBuffer(1500);
  source->Stop();
  player->SetFileName(path);
  player->Start();
  Play(2);
  const auto seen = sink->Seen();
  const auto *start = OWOperationAs<TOWStartWaveOperation>(seen[0].Operation.Get());
  ASSERT_NE(start, nullptr);
  EXPECT_EQ(std::memcmp(&start->WaveFormat(), &format, 40), 0);
  EXPECT_EQ(sink->Bytes(), source->Sent());
}

TEST_F(ALWavePlayerTest, AnEmptyTakeEndsInsteadOfHanging) {
  path = dir.File("empty.wav");
  const auto format = ALTestFormat(44100, 16, 2);
  WriteWav(path, &format, sizeof format, {});
  player->SetFileName(path);
  player->Start();
  Play(2);
  Pump();
  EXPECT_EQ(stops, 1);
  EXPECT_TRUE(sink->BufferFrames().empty());
  EXPECT_FALSE(player->GetEnabled());
}

TEST_F(ALWavePlayerTest, AnUndecodableCodecIsRefusedNotPlayedAsNoise) {
  path = dir.File("mp3.wav");
  WAVEFORMATEX f{};
  f.wFormatTag = 0x55; // a codec we do not have
  f.nChannels = 2;
  f.nSamplesPerSec = 44100;
  f.nAvgBytesPerSec = 16000;
  f.nBlockAlign = 1;
  WriteWav(path, &f, sizeof f, Noise(4000, 3));
  player->SetFileName(path);
  player->Start();
  Play(2);
  EXPECT_FALSE(player->GetPlaying());
  EXPECT_TRUE(sink->Seen().empty());
  EXPECT_NE(player->GetLastError().find("can't be decoded"), std::string::npos)
      << player->GetLastError();
  EXPECT_EQ(player->GetSamplesCount(), 0);
}

TEST_F(ALWavePlayerTest, AMissingFileStartsNothingAndForgetsTheOldLength) {
  StereoFile("present.wav", 5000);
  player->SetFileName(path);
  player->Start();
  EXPECT_EQ(player->GetSamplesCount(), 5000);
  player->SetFileName(dir.File("absent.wav"));
  EXPECT_FALSE(player->GetPlaying());
  EXPECT_EQ(player->GetSamplesCount(), 0);
  EXPECT_TRUE(player->GetEnabled());
}

// Compressed files made by sox decode as sox decodes them.
struct TCodecCase {
  const char *name;
  const char *soxEncoding;
  int tolerance; // in 16-bit steps
};

class ALWavePlayerCodecTest : public ALWavePlayerTest,
                              public testing::WithParamInterface<TCodecCase> {};

TEST_P(ALWavePlayerCodecTest, DecodesAsSoxDoes) {
  const TCodecCase c = GetParam();
  path = dir.File("coded.wav");
  const std::string ref = dir.File("ref.raw");
  ASSERT_EQ(wavoracle::Run(std::string("sox -D -n -r 8000 -c 2 ") + c.soxEncoding + " '" + path +
                           "' synth 2 sine 440 sine 1000 vol 0.7")
                .Status,
            0);
  ASSERT_EQ(wavoracle::Run("sox -D '" + path + "' -e signed -b 16 -t raw '" + ref + "'").Status, 0);
  const auto expected = wavoracle::FileBytes(ref);
  player->SetFileName(path);
  player->Start();
  ASSERT_TRUE(player->GetPlaying()) << player->GetLastError();
  EXPECT_EQ(player->GetClockPeriod(), 128u);
  const auto *start = OWOperationAs<TOWStartWaveOperation>(sink->Seen()[0].Operation.Get());
  ASSERT_NE(start, nullptr);
  EXPECT_EQ(start->WaveFormat().Format.wBitsPerSample, 16);
  EXPECT_EQ(start->WaveFormat().Format.nChannels, 2);
  Play(40);
  const auto bytes = sink->Bytes();
  // The count comes from the header's rates; the last frames may differ by a block.
  EXPECT_NEAR(double(bytes.size()) / 4, double(expected.size()) / 4, 512.0);
  const size_t n = std::min(bytes.size(), expected.size()) / 2;
  int worst = 0;
  for (size_t i = 0; i < n; ++i) {
    int16_t a, b;
    std::memcpy(&a, &bytes[2 * i], 2);
    std::memcpy(&b, &expected[2 * i], 2);
    worst = std::max(worst, std::abs(int(a) - int(b)));
  }
  EXPECT_LE(worst, c.tolerance);
  Pump();
  EXPECT_EQ(stops, 1);
}

INSTANTIATE_TEST_SUITE_P(Sox, ALWavePlayerCodecTest,
                         testing::Values(TCodecCase{"MuLaw", "-e mu-law", 0},
                                         TCodecCase{"ALaw", "-e a-law", 0},
                                         TCodecCase{"ImaAdpcm", "-e ima-adpcm", 0},
                                         TCodecCase{"MsAdpcm", "-e ms-adpcm", 0},
                                         TCodecCase{"Float", "-e floating-point -b 32", 1}),
                         [](const testing::TestParamInfo<TCodecCase> &info) {
                           return std::string(info.param.name);
                         });

} // namespace
