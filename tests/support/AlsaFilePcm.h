// An ALSA device without sound hardware for the tests of one process: a folder
// whose configuration lists "USB Audio CODEC", a file PCM over null that
// captures in.raw's bytes and writes what is played through it into out.raw.
// alsa-lib reads its configuration once per process, so the folder is set up
// before any test runs and lives until the last has ended.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

// Points this process's ALSA configuration (read from $HOME/.asoundrc) at
// folder: "usbcodec", listed as "USB Audio CODEC", a file PCM over null that
// captures inFile's bytes and writes what passes through it to outFile.
inline void UseAlsaFilePcm(const std::filesystem::path &folder, const std::filesystem::path &inFile,
                           const std::filesystem::path &outFile) {
  std::ofstream(folder / ".asoundrc")
      << "pcm.usbcodec {\n  type file\n  slave.pcm null\n  infile \"" << inFile.string()
      << "\"\n  file \"" << outFile.string()
      << "\"\n  format raw\n  hint { show on; description \"USB Audio CODEC\" }\n}\n";
  setenv("HOME", folder.c_str(), 1);
  unsetenv("ALSA_CONFIG_PATH");
}

inline std::vector<uint8_t> ReadFileBytes(const std::filesystem::path &p) {
  std::ifstream in(p, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());
}

// Runs the process's tests with the device's folder made from pattern (as
// for mkdtemp) and in.raw holding microphone, and removes the folder after.
// Returns 2 when the folder cannot be made.
inline int RunTestsOnAlsaFilePcm(int argc, char **argv, std::string pattern,
                                 std::filesystem::path &folder,
                                 const std::vector<uint8_t> &microphone) {
  if (mkdtemp(pattern.data()) == nullptr)
    return 2;
  folder = pattern;
  std::ofstream(folder / "in.raw", std::ios::binary)
      .write(reinterpret_cast<const char *>(microphone.data()),
             static_cast<std::streamsize>(microphone.size()));
  UseAlsaFilePcm(folder, folder / "in.raw", folder / "out.raw");
  ::testing::InitGoogleTest(&argc, argv);
  const int result = RUN_ALL_TESTS();
  std::filesystem::remove_all(folder);
  return result;
}
