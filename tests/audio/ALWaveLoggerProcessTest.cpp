// A recording child process killed at chosen moments, and one that runs out of
// file space: in both cases the take on disk reads cleanly in sox and
// libsndfile and holds exactly the frames that were written. The parent
// process runs no framework code, so each child starts from a clean process.
#include <chrono>
#include <csignal>
#include <cstring>
#include <random>
#include <thread>

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "audio/ALWaveLogger.h"
#include "tests/audio/ALVirtualSourceSupport.h"
#include "tests/support/WavOracle.h"

namespace {

constexpr uint32_t kFrames = 1024;
constexpr uint32_t kBlockAlign = 4; // 16-bit stereo

// The bytes TALVirtualSource sends, in order.
std::vector<uint8_t> SourceBytes(size_t n) {
  std::mt19937 rng(12345);
  std::vector<uint8_t> v(n);
  for (auto &b : v)
    b = uint8_t(rng() >> 24);
  return v;
}

// The child: records buffers into path, writing one byte to the pipe after
// the header and after every buffer; after stopAfter buffers it waits to be
// killed (a negative stopAfter keeps sending).
[[noreturn]] void RecordingChild(const std::string &path, int fd, int stopAfter) {
  ALTestFrameworkUp();
  mainloop::TMainLoop::Main().BindMainThread();
  TOwnedPtr<TALVirtualSource> source(CreateObject<TALVirtualSource>());
  TOwnedPtr<TALWaveLogger> logger(CreateObject<TALWaveLogger>(nullptr));
  logger->SetFileName(path);
  if (!logger->GetInputPin()->Connect(source->Pin()))
    ::_exit(3);
  source->Start(ALTestFormat(48000, 16, 2));
  const char tick = 'x';
  if (::write(fd, &tick, 1) != 1)
    ::_exit(4);
  for (int k = 0; stopAfter < 0 ? k < 4000 : k < stopAfter; ++k) {
    source->SendBuffer(kFrames);
    if (::write(fd, &tick, 1) != 1)
      ::_exit(4);
  }
  for (;;)
    ::pause();
}

// Reads n ticks from fd; false when the child went away first.
bool WaitForTicks(int fd, int n) {
  char buf[64];
  while (n > 0) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 20000) <= 0)
      return false;
    const ssize_t r = ::read(fd, buf, size_t(std::min(n, 64)));
    if (r <= 0)
      return false;
    n -= int(r);
  }
  return true;
}

void ExpectCleanPrefixOfTheSource(const std::string &path, int64_t minFrames) {
  EXPECT_EQ(wavoracle::SoxProblems(path), "");
  const auto read = wavoracle::ReadWithSndfile(path);
  ASSERT_TRUE(read.Opened) << read.Error;
  EXPECT_EQ(read.Channels, 2);
  EXPECT_GE(read.Frames, minFrames);
  EXPECT_EQ(read.Frames % kFrames, 0);
  const size_t bytes = read.Samples.size() * 2;
  const auto expected = SourceBytes(bytes);
  const auto *got = reinterpret_cast<const uint8_t *>(read.Samples.data());
  EXPECT_TRUE(std::equal(expected.begin(), expected.end(), got));
}

struct TMoment {
  const char *name;
  int buffers; // ticks after the header before the kill; -1: a random moment
  unsigned seed;
};

class ALWaveLoggerKillTest : public testing::TestWithParam<TMoment> {
protected:
  wavoracle::TTempDir dir;
};

TEST_P(ALWaveLoggerKillTest, AKilledRecorderLeavesAReadableTake) {
  const TMoment m = GetParam();
  const std::string path = dir.File("killed.wav");
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::close(fds[0]);
    RecordingChild(path, fds[1], m.buffers);
  }
  ::close(fds[1]);
  const bool reached = WaitForTicks(fds[0], 1 + std::max(m.buffers, 0));
  if (m.buffers < 0) {
    std::mt19937 rng(m.seed);
    std::this_thread::sleep_for(std::chrono::microseconds(rng() % 20000));
  }
  ::kill(child, SIGKILL);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ::close(fds[0]);
  ASSERT_TRUE(reached) << "the child ended early";
  ASSERT_TRUE(WIFSIGNALED(status));
  ExpectCleanPrefixOfTheSource(path, int64_t(std::max(m.buffers, 0)) * kFrames);
  if (m.buffers >= 0) {
    EXPECT_EQ(wavoracle::ReadWithSndfile(path).Frames, int64_t(m.buffers) * kFrames);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Moments, ALWaveLoggerKillTest,
    testing::Values(TMoment{"RightAfterTheHeader", 0, 0}, TMoment{"AfterOneBuffer", 1, 0},
                    TMoment{"AfterTwoBuffers", 2, 0}, TMoment{"AfterFiveBuffers", 5, 0},
                    TMoment{"AfterSeventeenBuffers", 17, 0}, TMoment{"AtRandomA", -1, 1},
                    TMoment{"AtRandomB", -1, 2}, TMoment{"AtRandomC", -1, 3}),
    [](const testing::TestParamInfo<TMoment> &info) { return std::string(info.param.name); });

TEST(ALWaveLoggerDiskFullTest, ATakeThatRunsOutOfSpaceStopsReportsAndKeepsWhatWasWritten) {
  wavoracle::TTempDir dir;
  const std::string path = dir.File("full.wav");
  constexpr rlim_t kLimit = 200000;
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{kLimit, kLimit};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    ALTestFrameworkUp();
    mainloop::TMainLoop::Main().BindMainThread();
    TOwnedPtr<TALVirtualSource> source(CreateObject<TALVirtualSource>());
    TOwnedPtr<TALWaveLogger> logger(CreateObject<TALWaveLogger>(nullptr));
    std::string error;
    logger->OnError.Fn = [&](TObject *, const std::string &m) { error = m; };
    logger->SetFileName(path);
    if (!logger->GetInputPin()->Connect(source->Pin()))
      ::_exit(3);
    source->Start(ALTestFormat(48000, 16, 2));
    int sent = 0;
    while (source->UpstreamCount<TOWStopOperation>() == 0 && sent < 1000) {
      source->SendBuffer(kFrames);
      ++sent;
      mainloop::TMainLoop::Main().RunPending();
    }
    source->Stop();
    // The failing buffer was the first that did not fit; its stop came at once.
    const bool fits = sent == int((kLimit - 68) / (kFrames * kBlockAlign)) + 1;
    const bool reported = error.find("File too large") != std::string::npos &&
                          error.find("Everything recorded before is kept") != std::string::npos;
    ::_exit(fits && reported ? 0 : 10 + (fits ? 0 : 1) + (reported ? 0 : 2));
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  ASSERT_EQ(WEXITSTATUS(status), 0);
  ExpectCleanPrefixOfTheSource(path, 48 * kFrames);
  EXPECT_EQ(wavoracle::ReadWithSndfile(path).Frames, 48 * kFrames);
}

} // namespace
