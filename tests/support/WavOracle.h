// Reading WAV files back with the real tools: libsndfile for the samples and
// sox for its own verdict. Header-only so a suite that uses it links
// libsndfile itself (target_link_libraries(... sndfile)); the others need not.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <sndfile.h>
#include <stdlib.h>
#include <sys/wait.h>

namespace wavoracle {

struct TSndFile {
  bool Opened = false;
  std::string Error;
  int Channels = 0;
  int Rate = 0;
  int64_t Frames = 0;
  std::vector<int16_t> Samples; // all frames as 16-bit, interleaved
};

// The whole file through libsndfile, samples read as 16-bit.
inline TSndFile ReadWithSndfile(const std::string &path) {
  TSndFile r;
  SF_INFO info{};
  SNDFILE *f = sf_open(path.c_str(), SFM_READ, &info);
  if (!f) {
    r.Error = sf_strerror(nullptr);
    return r;
  }
  r.Opened = true;
  r.Channels = info.channels;
  r.Rate = info.samplerate;
  r.Frames = info.frames;
  r.Samples.resize(size_t(info.frames) * size_t(info.channels));
  const sf_count_t got = sf_readf_short(f, r.Samples.data(), info.frames);
  r.Samples.resize(size_t(got) * size_t(info.channels));
  sf_close(f);
  return r;
}

struct TCommand {
  int Status = -1;    // the exit code, -1 when it did not exit normally
  std::string Output; // stdout and stderr together
};

inline TCommand Run(const std::string &command) {
  TCommand r;
  FILE *p = ::popen((command + " 2>&1").c_str(), "r");
  if (!p)
    return r;
  std::array<char, 4096> buf;
  size_t n;
  while ((n = std::fread(buf.data(), 1, buf.size(), p)) > 0)
    r.Output.append(buf.data(), n);
  const int st = ::pclose(p);
  r.Status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  return r;
}

// sox's verdict on a file: "sox --i" and "sox f -n stat" exit 0 without any
// "sox WARN" line (a stale header shows as "Premature EOF"). Empty when clean,
// otherwise what sox said.
inline std::string SoxProblems(const std::string &path) {
  const TCommand info = Run("sox --i '" + path + "'");
  if (info.Status != 0 || info.Output.find("WARN") != std::string::npos)
    return "sox --i: " + info.Output;
  const TCommand stat = Run("sox '" + path + "' -n stat");
  if (stat.Status != 0 || stat.Output.find("WARN") != std::string::npos)
    return "sox stat: " + stat.Output;
  return "";
}

inline std::vector<uint8_t> FileBytes(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

inline uint32_t Le32At(const std::vector<uint8_t> &b, size_t at) {
  return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 |
         uint32_t(b[at + 3]) << 24;
}

// A fresh folder under the system's temporary folder, removed with its files.
class TTempDir {
public:
  TTempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "sonvelt-XXXXXX").string();
    if (::mkdtemp(tmpl.data()))
      path_ = tmpl;
  }
  ~TTempDir() {
    std::error_code ec;
    if (!path_.empty())
      std::filesystem::remove_all(path_, ec);
  }
  TTempDir(const TTempDir &) = delete;
  TTempDir &operator=(const TTempDir &) = delete;
  std::string File(const std::string &name) const { return path_ + "/" + name; }

private:
  std::string path_;
};

} // namespace wavoracle
