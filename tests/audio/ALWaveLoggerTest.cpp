#include <cstring>
#include <fstream>

#include <gtest/gtest.h>

#include "audio/ALWaveLogger.h"
#include "tests/audio/ALVirtualSourceSupport.h"
#include "tests/support/WavOracle.h"

using wavoracle::FileBytes;

namespace {

class ALWaveLoggerTest : public testing::Test {
protected:
  void SetUp() override {
    ALTestFrameworkUp();
    mainloop::TMainLoop::Main().BindMainThread();
    source.reset(CreateObject<TALVirtualSource>());
    logger.reset(CreateObject<TALWaveLogger>(nullptr));
    path = dir.File("take.wav");
    logger->SetFileName(path);
    logger->OnError.Fn = [this](TObject *, const std::string &m) { errors.push_back(m); };
    ASSERT_TRUE(logger->GetInputPin()->Connect(source->Pin()));
  }
  void TearDown() override {
    logger.reset();
    source.reset();
    Pump();
  }
  static void Pump() { mainloop::TMainLoop::Main().RunPending(); }

  // The data bytes of the file as libsndfile sees them, 16-bit.
  std::vector<uint8_t> DataBytes(const std::string &file) {
    const auto read = wavoracle::ReadWithSndfile(file);
    EXPECT_TRUE(read.Opened) << read.Error;
    const auto *p = reinterpret_cast<const uint8_t *>(read.Samples.data());
    return std::vector<uint8_t>(p, p + read.Samples.size() * 2);
  }

  wavoracle::TTempDir dir;
  std::string path;
  TOwnedPtr<TALVirtualSource> source;
  TOwnedPtr<TALWaveLogger> logger;
  std::vector<std::string> errors;
};

TEST_F(ALWaveLoggerTest, TheFileEqualsTheSourceAndItsHeaderIsExactAfterEveryWrite) {
  const auto format = ALTestFormat(48000, 16, 2);
  source->Start(format);
  for (int k = 1; k <= 6; ++k) {
    source->SendBuffer(1024);
    const auto read = wavoracle::ReadWithSndfile(path);
    ASSERT_TRUE(read.Opened) << read.Error;
    ASSERT_EQ(read.Frames, k * 1024);
    EXPECT_EQ(logger->Get_CurrentSample(), k * 1024);
    EXPECT_EQ(logger->Get_SamplesCount(), k * 1024);
  }
  source->SendBuffer(100);
  EXPECT_EQ(logger->Get_CurrentTime(), 6244LL * 10000000 / 48000);
  source->Stop();
  EXPECT_EQ(DataBytes(path), source->Sent());
  EXPECT_EQ(wavoracle::SoxProblems(path), "");
  // The extensible record went into the file as the stream sent it.
  const auto b = FileBytes(path);
  EXPECT_EQ(std::memcmp(&b[20], &format, 40), 0);
  EXPECT_TRUE(errors.empty());
}

TEST_F(ALWaveLoggerTest, AStartTriggeredByABufferWritesThatBufferToo) {
  const auto format = ALTestFormat(44100, 16, 1);
  logger->SetEnabled(false);
  source->Start(format);
  logger->SetEnabled(true);
  // The first buffer after enabling begins the file on the main thread; it and
  // the ones that arrive meanwhile wait for it.
  source->SendBuffer(1024);
  source->SendBuffer(1024);
  source->SendBuffer(500);
  EXPECT_FALSE(std::ifstream(path).good());
  Pump();
  source->SendBuffer(1024);
  EXPECT_EQ(logger->Get_CurrentSample(), 3572);
  source->Stop();
  EXPECT_EQ(DataBytes(path), source->Sent());
}

TEST_F(ALWaveLoggerTest, ANewFileNameEndsTheFileAndTheNextBufferBeginsTheNewOne) {
  source->Start(ALTestFormat(44100, 16, 2));
  source->SendBuffer(1000);
  source->SendBuffer(1000);
  const std::string second = dir.File("second.wav");
  logger->SetFileName(second);
  source->SendBuffer(700);
  Pump();
  source->SendBuffer(300);
  source->Stop();
  const auto &sent = source->Sent();
  EXPECT_EQ(DataBytes(path), std::vector<uint8_t>(sent.begin(), sent.begin() + 8000));
  EXPECT_EQ(DataBytes(second), std::vector<uint8_t>(sent.begin() + 8000, sent.end()));
}

TEST_F(ALWaveLoggerTest, OverrideFromOneSecondKeepsHeadAndTailByteExact) {
  const auto format = ALTestFormat(44100, 16, 1);
  source->Start(format);
  for (int k = 0; k < 441; ++k)
    source->SendBuffer(1000);
  source->Stop();
  const auto first = FileBytes(path);
  ASSERT_EQ(logger->Get_SamplesCount(), 441000);

  logger->FileMode = fmOverride;
  logger->Set_CurrentSample(44100);
  TOwnedPtr<TALVirtualSource> punch(CreateObject<TALVirtualSource>());
  logger->GetInputPin()->Disconnect();
  ASSERT_TRUE(logger->GetInputPin()->Connect(punch->Pin()));
  punch->Start(format);
  for (int k = 0; k < 20; ++k)
    punch->SendBuffer(4410);
  // Inside the old take the length stays; then it grows with the writes.
  EXPECT_EQ(logger->Get_SamplesCount(), 441000);
  EXPECT_EQ(logger->Get_CurrentSample(), 44100 + 88200);
  punch->Stop();
  const auto second = FileBytes(path);
  ASSERT_EQ(second.size(), first.size());
  const size_t data = first.size() - 882000;
  const size_t from = data + 88200, to = from + 176400;
  EXPECT_TRUE(std::equal(first.begin(), first.begin() + std::ptrdiff_t(from), second.begin()));
  EXPECT_TRUE(std::equal(punch->Sent().begin(), punch->Sent().end(),
                         second.begin() + std::ptrdiff_t(from)));
  EXPECT_TRUE(std::equal(first.begin() + std::ptrdiff_t(to), first.end(),
                         second.begin() + std::ptrdiff_t(to)));

  // Past the end the take grows with the writes.
  logger->Set_CurrentSample(440000);
  punch->Start(format);
  punch->SendBuffer(4000);
  EXPECT_EQ(logger->Get_SamplesCount(), 444000);
  punch->Stop();
  EXPECT_EQ(wavoracle::SoxProblems(path), "");
}

TEST_F(ALWaveLoggerTest, AppendWritesAtTheOldEndAndTruncateStartsAfresh) {
  const auto format = ALTestFormat(8000, 16, 2);
  source->Start(format);
  source->SendBuffer(300);
  source->Stop();
  logger->FileMode = fmAppend;
  logger->Set_CurrentSample(5); // not used by append
  source->Start(format);
  EXPECT_EQ(logger->Get_CurrentSample(), 300);
  source->SendBuffer(200);
  source->Stop();
  EXPECT_EQ(DataBytes(path), source->Sent());

  logger->FileMode = fmTruncate;
  logger->Set_CurrentSample(77);
  TOwnedPtr<TALVirtualSource> again(CreateObject<TALVirtualSource>());
  logger->GetInputPin()->Disconnect();
  ASSERT_TRUE(logger->GetInputPin()->Connect(again->Pin()));
  again->Start(format);
  EXPECT_EQ(logger->Get_CurrentSample(), 0);
  EXPECT_EQ(logger->Get_SamplesCount(), 0);
  again->SendBuffer(100);
  again->Stop();
  EXPECT_EQ(DataBytes(path), again->Sent());
}

TEST_F(ALWaveLoggerTest, OverrideOnAMissingFileCreatesItAndKeepsThePosition) {
  logger->FileMode = fmOverride;
  logger->Set_CurrentSample(10);
  source->Start(ALTestFormat(8000, 16, 1));
  source->SendBuffer(5);
  source->Stop();
  const auto data = DataBytes(path);
  ASSERT_EQ(data.size(), 30u);
  EXPECT_EQ(std::vector<uint8_t>(data.begin(), data.begin() + 20), std::vector<uint8_t>(20, 0));
  EXPECT_EQ(std::vector<uint8_t>(data.begin() + 20, data.end()), source->Sent());
}

TEST_F(ALWaveLoggerTest, AppendingInAnotherFormatIsRefusedAndReported) {
  source->Start(ALTestFormat(44100, 16, 2));
  source->SendBuffer(100);
  source->Stop();
  const auto before = FileBytes(path);
  for (const TALLoggerFileMode mode : {fmAppend, fmOverride}) {
    logger->FileMode = mode;
    logger->Set_CurrentSample(0);
    errors.clear();
    const int stopsBefore = source->UpstreamCount<TOWStopOperation>();
    source->Start(ALTestFormat(48000, 16, 2));
    source->SendBuffer(100);
    EXPECT_TRUE(errors.empty()); // reported on the main thread
    Pump();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("another format"), std::string::npos) << errors[0];
    EXPECT_EQ(logger->GetLastError(), errors[0]);
    // The source is asked to stop the take.
    EXPECT_EQ(source->UpstreamCount<TOWStopOperation>(), stopsBefore + 1);
    source->Stop();
    EXPECT_EQ(FileBytes(path), before);
  }
}

TEST_F(ALWaveLoggerTest, PositionsBeyond32BitsAreRefusedNotWrapped) {
  const auto format = ALTestFormat(8000, 8, 1);
  source->Start(format);
  source->SendBuffer(100);
  source->Stop();
  const auto before = FileBytes(path);
  logger->FileMode = fmOverride;
  logger->Set_CurrentSample((int64_t(1) << 32) + 10);
  source->Start(format);
  source->SendBuffer(50);
  Pump();
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find("4 GiB"), std::string::npos) << errors[0];
  EXPECT_EQ(FileBytes(path), before); // frame 10 was not overwritten
  EXPECT_EQ(logger->Get_CurrentSample(), (int64_t(1) << 32) + 10);
}

TEST_F(ALWaveLoggerTest, AFileThatCannotBeOpenedIsReported) {
  logger->SetFileName(dir.File("no/such/folder/take.wav"));
  source->Start(ALTestFormat(8000, 16, 1));
  source->SendBuffer(10);
  Pump();
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find("Can't open"), std::string::npos);
  EXPECT_EQ(source->UpstreamCount<TOWStopOperation>(), 1);
}

TEST_F(ALWaveLoggerTest, ASecondWriterOfTheSameFileFailsCleanly) {
  source->Start(ALTestFormat(8000, 16, 1));
  source->SendBuffer(10);
  TOwnedPtr<TALWaveLogger> other(CreateObject<TALWaveLogger>(nullptr));
  std::vector<std::string> otherErrors;
  other->OnError.Fn = [&](TObject *, const std::string &m) { otherErrors.push_back(m); };
  other->SetFileName(path);
  TOwnedPtr<TALVirtualSource> second(CreateObject<TALVirtualSource>());
  ASSERT_TRUE(other->GetInputPin()->Connect(second->Pin()));
  second->Start(ALTestFormat(8000, 16, 1));
  second->SendBuffer(10);
  Pump();
  EXPECT_EQ(otherErrors.size(), 1u);
  source->SendBuffer(10);
  source->Stop();
  EXPECT_EQ(DataBytes(path), source->Sent());
}

TEST_F(ALWaveLoggerTest, ProgressReachesTheMainThreadWithTheNewestValues) {
  std::vector<std::pair<int64_t, int64_t>> reports;
  source->Start(ALTestFormat(8000, 16, 1));
  source->SendBuffer(100); // no handler: nothing posted
  EXPECT_EQ(mainloop::TMainLoop::Main().PendingCount(), 0u);
  logger->OnProgress.Fn = [&](TObject *, int64_t current, int64_t total) {
    reports.emplace_back(current, total);
  };
  source->SendBuffer(100);
  source->SendBuffer(100);
  Pump();
  // One post in flight carries every change made before it is handled.
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0], std::make_pair(int64_t(300), int64_t(300)));
}

TEST_F(ALWaveLoggerTest, BuffersInQuickSuccessionWakeTheMainThreadOnceAndTheStopShowsTheEnd) {
  std::vector<std::pair<int64_t, int64_t>> reports;
  logger->OnProgress.Fn = [&](TObject *, int64_t current, int64_t total) {
    reports.emplace_back(current, total);
  };
  source->Start(ALTestFormat(48000, 16, 2));
  for (int k = 0; k < 20; ++k) { // well within one 100 ms period
    source->SendBuffer(1024);
    Pump();
  }
  ASSERT_EQ(reports.size(), 1u) << "the first buffer is shown at once, the rest wait";
  EXPECT_EQ(reports[0], std::make_pair(int64_t(1024), int64_t(1024)));
  source->SendBuffer(100); // the take's last, shorter buffer
  source->Stop();
  Pump();
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_EQ(reports.back(), std::make_pair(int64_t(20 * 1024 + 100), int64_t(20 * 1024 + 100)));
  EXPECT_EQ(logger->Get_CurrentSample(), 20 * 1024 + 100);
  Pump();
  EXPECT_EQ(reports.size(), 2u) << "nothing moved after the stop";
}

TEST_F(ALWaveLoggerTest, APunchInShowsWhereItEndsNotWhereTheFileEnds) {
  std::vector<std::pair<int64_t, int64_t>> reports;
  source->Start(ALTestFormat(8000, 16, 1));
  source->SendBuffer(1000);
  source->Stop();
  logger->OnProgress.Fn = [&](TObject *, int64_t current, int64_t total) {
    reports.emplace_back(current, total);
  };
  logger->FileMode = fmOverride;
  logger->Set_CurrentSample(200);
  source->Start(ALTestFormat(8000, 16, 1));
  for (int k = 0; k < 5; ++k) {
    source->SendBuffer(50);
    Pump();
  }
  source->Stop();
  Pump();
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_EQ(reports.front(), std::make_pair(int64_t(250), int64_t(1000)));
  EXPECT_EQ(reports.back(), std::make_pair(int64_t(450), int64_t(1000)));
}

TEST_F(ALWaveLoggerTest, AStopWithoutAStartDoesNothing) {
  source->Stop();
  Pump();
  EXPECT_FALSE(std::ifstream(path).good());
  EXPECT_TRUE(errors.empty());
  EXPECT_EQ(logger->Get_CurrentTime(), 0);
  EXPECT_EQ(logger->Get_DurationTime(), 0);
}

TEST_F(ALWaveLoggerTest, ACompressedTakeIsWholeToItsLastBlock) {
  struct TCase {
    const char *name;
    uint16_t tag, blockAlign, bits, extra;
    const char
        *soxEncoding; // sox's own encoding of the same samples, compared byte for byte; null: none
  };
  for (const TCase c :
       {TCase{"mu-law", 7, 1, 8, 0, "-e mu-law"}, TCase{"IMA ADPCM", 0x11, 256, 4, 2, nullptr}}) {
    SCOPED_TRACE(c.name);
    std::vector<uint8_t> record(18 + c.extra, 0);
    WAVEFORMATEX target{c.tag, 1, 8000, 0, c.blockAlign, c.bits, c.extra};
    target.nAvgBytesPerSec = c.tag == 7 ? 8000 : 8000 * 256 / 505;
    std::memcpy(record.data(), &target, sizeof target);
    if (c.extra) {
      const uint16_t samplesPerBlock = 505;
      std::memcpy(&record[18], &samplesPerBlock, 2);
    }
    logger->GetCompression()->SetEnabled(true);
    logger->GetCompression()->GetCompressions()->GetItem(0)->GetFormat()->SetFormat(
        reinterpret_cast<const WAVEFORMATEX *>(record.data()), int32_t(record.size()));
    path = dir.File(std::string(c.name) + ".wav");
    logger->SetFileName(path);
    TOwnedPtr<TALVirtualSource> s(CreateObject<TALVirtualSource>());
    logger->GetInputPin()->Disconnect();
    ASSERT_TRUE(logger->GetInputPin()->Connect(s->Pin()));
    s->Start(ALTestFormat(8000, 16, 1));
    for (int k = 0; k < 3; ++k)
      s->SendBuffer(1000);
    s->Stop();
    EXPECT_EQ(wavoracle::SoxProblems(path), "");
    const auto read = wavoracle::ReadWithSndfile(path);
    ASSERT_TRUE(read.Opened) << read.Error;
    // Every frame made it, the codec's last partial block included.
    EXPECT_GE(read.Frames, 3000);
    EXPECT_LT(read.Frames, 3000 + 505);
    if (c.soxEncoding) {
      const std::string raw = dir.File("source.raw"), ref = dir.File("ref.wav");
      std::ofstream(raw, std::ios::binary)
          .write(reinterpret_cast<const char *>(s->Sent().data()),
                 std::streamsize(s->Sent().size()));
      ASSERT_EQ(wavoracle::Run("sox -D -t raw -e signed -b 16 -r 8000 -c 1 '" + raw + "' " +
                               c.soxEncoding + " '" + ref + "'")
                    .Status,
                0);
      const auto ours = FileBytes(path), theirs = FileBytes(ref);
      ASSERT_GE(ours.size(), 3000u);
      ASSERT_GE(theirs.size(), 3000u);
      // The same codes, or the neighbouring code where two encoders round a
      // value on a step boundary differently.
      int worst = 0;
      for (size_t i = 0; i < 3000; ++i)
        worst = std::max(worst, std::abs(int(ours[ours.size() - 3000 + i]) -
                                         int(theirs[theirs.size() - 3000 + i])));
      EXPECT_LE(worst, 1);
    }
  }
  EXPECT_TRUE(errors.empty());
}

} // namespace
