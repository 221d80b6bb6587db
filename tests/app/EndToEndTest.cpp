// The whole program in a child process, started as scripts/run starts it on
// a machine without a display or a sound card: Record, 130 blocks of 1024
// frames released by hand, STOP, Save As, Exit. The saved take is then read
// by sox and libsndfile and compared with the microphone's source file.
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/support/WavOracle.h"

extern char **environ;

namespace {

constexpr int Blocks = 130;
constexpr int64_t TakeFrames = Blocks * 1024; // 133,120 frames, about 3 s at 44.1 kHz

// A mono 16-bit 44.1 kHz source longer than the take, every sample distinct
// from its neighbours, written by libsndfile.
std::vector<int16_t> WriteSource(const std::string &path, int64_t frames) {
  std::vector<int16_t> samples(static_cast<size_t>(frames));
  uint32_t x = 12345;
  for (auto &s : samples) {
    x = x * 1103515245u + 12345u;
    s = static_cast<int16_t>(x >> 16);
  }
  SF_INFO info{};
  info.samplerate = 44100;
  info.channels = 1;
  info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  SNDFILE *f = sf_open(path.c_str(), SFM_WRITE, &info);
  if (f == nullptr)
    return {};
  const sf_count_t written = sf_writef_short(f, samples.data(), frames);
  sf_close(f);
  return written == frames ? samples : std::vector<int16_t>{};
}

// Starts the driver with the environment scripts/run gives the program when
// there is no display and no sound card, its output in output; its process
// id (-1: it did not start).
pid_t StartDriver(const std::vector<std::string> &args, const std::string &source,
                  const std::string &output) {
  std::vector<std::string> env;
  auto replaced = [](const std::string &var) {
    for (const char *name : {"DISPLAY=", "WAYLAND_DISPLAY=", "QT_QPA_PLATFORM=",
                             "SONVELT_VIRTUAL_AUDIO=", "SONVELT_VIRTUAL_PACING="})
      if (var.rfind(name, 0) == 0)
        return true;
    return false;
  };
  for (char **e = environ; *e != nullptr; ++e)
    if (!replaced(*e))
      env.emplace_back(*e);
  env.push_back("QT_QPA_PLATFORM=offscreen");
  env.push_back("SONVELT_VIRTUAL_AUDIO=" + source);
  env.push_back("SONVELT_VIRTUAL_PACING=manual");
  std::vector<char *> envp, argv;
  for (auto &e : env)
    envp.push_back(e.data());
  envp.push_back(nullptr);
  std::vector<std::string> all = args;
  for (auto &a : all)
    argv.push_back(a.data());
  argv.push_back(nullptr);

  const int out = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (out < 0)
    return -1;
  const pid_t child = fork();
  if (child == 0) {
    // Only async-signal-safe calls between fork and exec.
    if (dup2(out, 1) < 0 || dup2(out, 2) < 0)
      _exit(127);
    execve(argv[0], argv.data(), envp.data());
    _exit(127);
  }
  close(out);
  return child;
}

// Waits for the driver to end, or for until to return true (then the driver
// is left running and 0 returned); its exit code, -1 when it did not exit by
// itself. The driver gives up by itself well before the deadline; a program
// that hangs anyway is ended so the test fails instead of hanging.
int WaitDriver(pid_t child, const std::function<bool()> &until = nullptr) {
  if (child < 0)
    return -1;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(4);
  int status = 0;
  for (;;) {
    const pid_t done = waitpid(child, &status, WNOHANG);
    if (done == child)
      break;
    if (done < 0)
      return -1;
    if (until && until())
      return 0;
    if (std::chrono::steady_clock::now() > deadline) {
      kill(child, SIGKILL);
      waitpid(child, &status, 0);
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Runs the driver to its end; its exit code (-1: it did not exit).
int RunDriver(const std::vector<std::string> &args, const std::string &source,
              const std::string &output) {
  return WaitDriver(StartDriver(args, source, output));
}

// The frames of a WAV file that sox reads without a warning and libsndfile
// reads as mono 16-bit 44.1 kHz; empty (with a failure) otherwise.
std::vector<int16_t> CleanMonoTake(const std::string &path) {
  for (const std::string &command : {"sox --i '" + path + "'", "sox '" + path + "' -n stat"}) {
    SCOPED_TRACE(command);
    const wavoracle::TCommand run = wavoracle::Run(command);
    EXPECT_EQ(run.Status, 0) << run.Output;
    EXPECT_EQ(run.Output.find("sox WARN"), std::string::npos) << run.Output;
    EXPECT_EQ(run.Output.find("sox FAIL"), std::string::npos) << run.Output;
  }
  const wavoracle::TSndFile read = wavoracle::ReadWithSndfile(path);
  EXPECT_TRUE(read.Opened) << read.Error;
  EXPECT_EQ(read.Channels, 1);
  EXPECT_EQ(read.Rate, 44100);
  if (!read.Opened || read.Channels != 1)
    return {};
  return {read.Samples.begin(), read.Samples.end()};
}

// The first frames of source, for comparing with a take.
std::vector<int16_t> Head(const std::vector<int16_t> &source, int64_t frames) {
  return {source.begin(), source.begin() + frames};
}

// A scenario of the driver in a folder of its own, with its source and log.
class TEndToEndTest : public ::testing::Test {
protected:
  void SetUp() override {
    source = dir.File("source.wav");
    take = dir.File("take.wav");
    samples = WriteSource(source, TakeFrames + 44100);
    ASSERT_FALSE(samples.empty());
    folder = dir.File("");
    folder.pop_back();
  }
  std::vector<std::string> Args(const char *scenario, int blocks = Blocks) const {
    return {SONVELT_E2E_DRIVER, folder, take, std::to_string(blocks), scenario};
  }
  std::string Said(const std::string &log) const {
    const std::vector<uint8_t> bytes = wavoracle::FileBytes(log);
    return {bytes.begin(), bytes.end()};
  }
  // The takes kept beside the working file.
  std::vector<std::string> KeptTakes() const {
    std::vector<std::string> kept;
    for (const auto &e : std::filesystem::directory_iterator(folder)) {
      const std::string name = e.path().filename().string();
      if (name.rfind("TmpDataFile~ ", 0) == 0 && name.size() > 4 &&
          name.compare(name.size() - 4, 4, ".wav") == 0)
        kept.push_back(e.path().string());
    }
    return kept;
  }

  wavoracle::TTempDir dir;
  std::string source, take, folder;
  std::vector<int16_t> samples;
};

TEST(EndToEnd, ATakeRecordedStoppedAndSavedInTheProgramIsTheMicrophonesAudio) {
  wavoracle::TTempDir dir;
  const std::string source = dir.File("source.wav");
  const std::string take = dir.File("take.wav");
  const std::vector<int16_t> samples = WriteSource(source, TakeFrames + 44100);
  ASSERT_FALSE(samples.empty());

  const std::string log = dir.File("driver.log");
  std::string folder = dir.File("");
  folder.pop_back();
  const int code =
      RunDriver({SONVELT_E2E_DRIVER, folder, take, std::to_string(Blocks)}, source, log);
  const std::vector<uint8_t> said = wavoracle::FileBytes(log);
  ASSERT_EQ(code, 0) << std::string(said.begin(), said.end());

  for (const std::string &command : {"sox --i '" + take + "'", "sox '" + take + "' -n stat"}) {
    SCOPED_TRACE(command);
    const wavoracle::TCommand run = wavoracle::Run(command);
    EXPECT_EQ(run.Status, 0) << run.Output;
    EXPECT_EQ(run.Output.find("sox WARN"), std::string::npos) << run.Output;
    EXPECT_EQ(run.Output.find("sox FAIL"), std::string::npos) << run.Output;
  }

  const wavoracle::TSndFile read = wavoracle::ReadWithSndfile(take);
  ASSERT_TRUE(read.Opened) << read.Error;
  EXPECT_EQ(read.Channels, 1);
  EXPECT_EQ(read.Rate, 44100);
  ASSERT_EQ(read.Frames, TakeFrames);
  SF_INFO info{};
  SNDFILE *f = sf_open(take.c_str(), SFM_READ, &info);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(info.format & SF_FORMAT_SUBMASK, SF_FORMAT_PCM_16);
  sf_close(f);
  ASSERT_EQ(read.Samples.size(), static_cast<size_t>(TakeFrames));
  int64_t differ = 0, first = -1;
  for (int64_t i = 0; i < TakeFrames; ++i)
    if (read.Samples[size_t(i)] != samples[size_t(i)]) {
      ++differ;
      if (first < 0)
        first = i;
    }
  EXPECT_EQ(differ, 0) << "first differing frame " << first;
}

} // namespace

namespace {

// Save As onto a disk that fills during the copy (a file-size limit in the
// program's process): the earlier file at the target stays, the take stays
// unsaved, one message; with room again the take saves whole.
TEST_F(TEndToEndTest, SaveAsOntoAFullDiskKeepsTheTargetAndTheTake) {
  std::ofstream(take, std::ios::binary) << "an earlier take the user keeps";
  const std::string log = dir.File("driver.log");
  ASSERT_EQ(RunDriver(Args("full-save"), source, log), 0) << Said(log);
  EXPECT_EQ(CleanMonoTake(take), Head(samples, TakeFrames));
  EXPECT_FALSE(std::filesystem::exists(take + ".saving~"));
}

// The disk fills during the take: one message, the window idle at once and
// quiet after, and every whole block written before is the saved take.
TEST_F(TEndToEndTest, ADiskThatFillsDuringTheTakeEndsItWithOneMessageAndKeepsIt) {
  const std::string log = dir.File("driver.log");
  ASSERT_EQ(RunDriver(Args("full-take", 8), source, log), 0) << Said(log);
  EXPECT_EQ(CleanMonoTake(take), Head(samples, 4 * 1024));
}

// kill -9 in the middle of a take, then a restart: the take is kept beside
// the working file with every frame written before the kill, and the user
// is told once where.
TEST_F(TEndToEndTest, AKilledTakeIsKeptAtTheNextStart) {
  const std::string log = dir.File("driver.log");
  const pid_t child = StartDriver(Args("kill"), source, log);
  ASSERT_GT(child, 0);
  const std::string ready = take + ".ready";
  ASSERT_EQ(WaitDriver(child, [&] { return std::filesystem::exists(ready); }), 0) << Said(log);
  ASSERT_EQ(kill(child, SIGKILL), 0);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  const std::string work = folder + "/TmpDataFile~.wav";
  const std::vector<int16_t> atKill = CleanMonoTake(work);
  EXPECT_EQ(atKill, Head(samples, TakeFrames)) << "every frame up to the kill";

  const std::string again = dir.File("restart.log");
  ASSERT_EQ(RunDriver(Args("restart"), source, again), 0) << Said(again);
  EXPECT_FALSE(std::filesystem::exists(work));
  const std::vector<std::string> kept = KeptTakes();
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_EQ(CleanMonoTake(kept[0]), Head(samples, TakeFrames));

  // A later start has nothing more to keep or tell.
  ASSERT_EQ(RunDriver(Args("save", 2), source, again), 0) << Said(again);
  EXPECT_EQ(KeptTakes(), kept);
}

// After the format prompt saved the mono take, the stereo take is a new
// file: Save asks where and the mono take's file stays as it was. (The tone
// microphone gives any format; a WAV file's microphone only the file's.)
TEST_F(TEndToEndTest, AFreshTakeAfterTheFormatPromptNeverOverwritesTheSavedOne) {
  const std::string log = dir.File("driver.log");
  ASSERT_EQ(RunDriver(Args("mode", 20), "tone", log), 0) << Said(log);
  const wavoracle::TSndFile mono = wavoracle::ReadWithSndfile(take);
  ASSERT_TRUE(mono.Opened) << mono.Error;
  EXPECT_EQ(mono.Channels, 1);
  EXPECT_EQ(mono.Frames, 10 * 1024);
  EXPECT_EQ(wavoracle::SoxProblems(take), "");
  const wavoracle::TSndFile stereo = wavoracle::ReadWithSndfile(take + ".stereo.wav");
  ASSERT_TRUE(stereo.Opened) << stereo.Error;
  EXPECT_EQ(stereo.Channels, 2);
  EXPECT_EQ(stereo.Frames, 20 * 1024);
  EXPECT_EQ(wavoracle::SoxProblems(take + ".stereo.wav"), "");
}

} // namespace
