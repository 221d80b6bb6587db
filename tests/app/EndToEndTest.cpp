// The whole program in a child process, started as scripts/run starts it on
// a machine without a display or a sound card: Record, 130 blocks of 1024
// frames released by hand, STOP, Save As, Exit. The saved take is then read
// by sox and libsndfile and compared with the microphone's source file.
#include <gtest/gtest.h>

#include <sndfile.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
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

// Runs the driver with the environment scripts/run gives the program when
// there is no display and no sound card; its exit code (-1: it did not
// exit), its output in output.
int RunDriver(const std::vector<std::string> &args, const std::string &source,
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
  if (child < 0)
    return -1;
  // The driver gives up by itself well before this; a program that hangs
  // anyway is ended so the test fails instead of hanging.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(4);
  int status = 0;
  for (;;) {
    const pid_t done = waitpid(child, &status, WNOHANG);
    if (done == child)
      break;
    if (done < 0)
      return -1;
    if (std::chrono::steady_clock::now() > deadline) {
      kill(child, SIGKILL);
      waitpid(child, &status, 0);
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

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
