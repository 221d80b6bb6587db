// The main window's working file: where it lives, a take a crash left in
// it, the save prompt and saving the take to a file of the user's choice.
#include "app/MainUnit.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/RecorderAudio.h"
#include "platform/avifile/AviFile.h"
#include "platform/classlib/Dialogs.h"

namespace fs = std::filesystem;

namespace {

const char *const waveFilter = "Wave Files(*.wav)|*.wav|All Files(*.*)|*.*";

std::string FilePart(const std::string &path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool SameFile(const std::string &a, const std::string &b) {
  std::error_code ec;
  if (fs::equivalent(a, b, ec))
    return true;
  // One of them may not exist yet: compare the normalised paths.
  return fs::weakly_canonical(a, ec) == fs::weakly_canonical(b, ec);
}

std::string ErrorText(int error) { return std::strerror(error); }

// Writes all of data to fd; false with errno set when the disk refuses.
bool WriteAll(int fd, const char *data, size_t size) {
  while (size > 0) {
    ssize_t n = write(fd, data, size);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0) {
      if (n == 0)
        errno = EIO;
      return false;
    }
    data += n;
    size -= size_t(n);
  }
  return true;
}

// Copies source to temp, every write checked, and flushes the copy to the
// disk; false with why when any step failed (temp may be left behind).
bool CopyToDisk(const std::string &source, const std::string &temp, std::string &why) {
  const int in = open(source.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) {
    why = ErrorText(errno);
    return false;
  }
  struct stat sourceStat {};
  if (fstat(in, &sourceStat) != 0) {
    why = ErrorText(errno);
    close(in);
    return false;
  }
  const int out = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (out < 0) {
    why = ErrorText(errno);
    close(in);
    return false;
  }
  std::vector<char> buffer(1 << 16);
  off_t copied = 0;
  bool ok = true;
  for (;;) {
    ssize_t n = read(in, buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR)
      continue;
    if (n < 0) {
      why = ErrorText(errno);
      ok = false;
      break;
    }
    if (n == 0)
      break;
    if (!WriteAll(out, buffer.data(), size_t(n))) {
      why = ErrorText(errno);
      ok = false;
      break;
    }
    copied += n;
  }
  close(in);
  if (ok && fsync(out) != 0) {
    why = ErrorText(errno);
    ok = false;
  }
  struct stat copyStat {};
  if (ok && fstat(out, &copyStat) != 0) {
    why = ErrorText(errno);
    ok = false;
  }
  if (close(out) != 0 && ok) {
    why = ErrorText(errno);
    ok = false;
  }
  if (ok && (copied != sourceStat.st_size || copyStat.st_size != sourceStat.st_size)) {
    why = "The copy is " + std::to_string(copyStat.st_size) + " bytes, the take " +
          std::to_string(sourceStat.st_size) + ".";
    ok = false;
  }
  return ok;
}

// Copies source to target through a temporary file beside target. Only a
// whole copy, on the disk and of the source's size, replaces target; the
// folder is flushed after the rename so the new name survives a crash. On
// failure target is as it was, the temporary file is gone and why says what
// went wrong.
bool CopyReplacing(const std::string &source, const std::string &target, std::string &why) {
  const std::string temp = target + ".saving~";
  if (!CopyToDisk(source, temp, why) || std::rename(temp.c_str(), target.c_str()) != 0) {
    if (why.empty())
      why = ErrorText(errno);
    unlink(temp.c_str());
    return false;
  }
  fs::path folder = fs::path(target).parent_path();
  if (folder.empty())
    folder = ".";
  const int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    // Some file systems cannot flush a folder; the file itself is on the disk.
    fsync(dir);
    close(dir);
  }
  return true;
}

} // namespace

bool TMainForm::AskSaveRecording() {
  FSaveAnswer = 2;
  TModalResult answer = MessageDlg("There is a new recorder file.\nWould you like to save it?",
                                   mtWarning, MsgDlgButtons({mbYes, mbNo, mbCancel}));
  if (answer == mrNo) {
    FSaveAnswer = 0;
    return false;
  }
  if (answer != mrYes) {
    FSaveAnswer = 1;
    return false;
  }
  if (SaveAsDialog())
    return true;
  FSaveAnswer = 1;
  return false;
}

bool TMainForm::SaveAsDialog() {
  TFileDialog dialog;
  dialog.Kind = fdSave;
  dialog.Filter = waveFilter;
  dialog.DefaultExt = "wav";
  if (!ExecuteFileDialog(dialog))
    return false;
  return SaveToFile(dialog.FileName);
}

bool TMainForm::SaveToFile(const std::string &Target) {
  // Saving onto the working file would delete the take before copying it.
  if (SameFile(Target, GetWorkFileName())) {
    ShowMessage("Can not save to : " + Target);
    return false;
  }
  std::error_code ec;
  if (fs::exists(Target, ec)) {
    // Replacing a file takes a writable folder and no folder in its place.
    fs::path folder = fs::path(Target).parent_path();
    if (folder.empty())
      folder = ".";
    if (fs::is_directory(Target, ec) || access(folder.c_str(), W_OK) != 0) {
      ShowMessage(Target + " - exists and can not be deleted !");
      return false;
    }
  }
  std::string why;
  if (!CopyReplacing(GetWorkFileName(), Target, why)) {
    ShowMessage("Can not save to : " + Target + "\n" + why);
    return false;
  }
  FFileName = Target;
  SetCaption(CaptionPrefix + " - [" + FilePart(Target) + "]");
  FHasNewRecording = false;
  FDeleteWorkFileOnClose = false;
  return true;
}

namespace {

// True when a file can be created in folder (the access rights alone do not
// tell: a read-only file system, or a superuser's rights).
bool CanCreateFilesIn(const std::string &folder) {
  std::string probe = folder;
  if (probe.empty() || probe.back() != '/')
    probe.push_back('/');
  probe += ".sonvelt-probe-" + std::to_string(getpid());
  const int fd = open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0)
    return false;
  close(fd);
  unlink(probe.c_str());
  return true;
}

// "<name without .wav> YYYY-MM-DD HH-MM-SS.wav" beside path, by the local
// time of when, with " (2)", " (3)", ... when the name is taken.
std::string DatedName(const std::string &path, std::time_t when) {
  std::tm local{};
  localtime_r(&when, &local);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H-%M-%S", &local);
  std::string stem = path.size() > 4 && path.compare(path.size() - 4, 4, ".wav") == 0
                         ? path.substr(0, path.size() - 4)
                         : path;
  stem += std::string(" ") + stamp;
  std::string name = stem + ".wav";
  std::error_code ec;
  for (int n = 2; fs::exists(name, ec); ++n)
    name = stem + " (" + std::to_string(n) + ").wav";
  return name;
}

} // namespace

std::string TMainForm::ChooseWorkFolder(const std::string &programFolder) {
  if (!programFolder.empty() && CanCreateFilesIn(programFolder))
    return programFolder;
  fs::path data;
  const char *xdg = std::getenv("XDG_DATA_HOME");
  if (xdg != nullptr && xdg[0] == '/') {
    data = xdg;
  } else {
    const char *home = std::getenv("HOME");
    data = fs::path(home != nullptr ? home : "") / ".local" / "share";
  }
  data /= "sonvelt";
  std::error_code ignored;
  fs::create_directories(data, ignored);
  return data.string() + "/";
}

bool TMainForm::HoldsAudio(const std::string &path) {
  using namespace avifile;
  PAVIFILE file = nullptr;
  if (AVIFileOpen(&file, path.c_str(), OF_READ, nullptr) != AVIERR_OK)
    return false;
  PAVISTREAM stream = nullptr;
  bool audio = AVIFileGetStream(file, &stream, streamtypeAUDIO, 0) == AVIERR_OK &&
               AVIStreamLength(stream) > 0;
  if (stream)
    AVIStreamRelease(stream);
  AVIFileRelease(file);
  return audio;
}

void TMainForm::KeepLeftoverTake() {
  const std::string work = GetWorkFileName();
  std::error_code ec;
  if (!fs::exists(work, ec))
    return;
  if (!HoldsAudio(work)) {
    fs::remove(work, ec);
    return;
  }
  struct stat st {};
  const std::time_t when = stat(work.c_str(), &st) == 0 ? st.st_mtime : std::time(nullptr);
  const std::string kept = DatedName(work, when);
  if (std::rename(work.c_str(), kept.c_str()) != 0) {
    ShowMessage(
        "A take left by an earlier run could not be kept: " + ErrorText(errno) +
        ".\nIt stays in its folder until the next start: " + fs::path(work).parent_path().string());
    return;
  }
  ShowMessage("A take left by an earlier run was kept in:\n" + kept);
}

void TMainForm::AudioLoggerError(TObject *, const std::string &Message) {
  // A second report of the same take's failure finds the window idle.
  if (!TakeRunning())
    return;
  StopAll();
  const std::string work = GetWorkFileName();
  if (!HoldsAudio(work)) {
    FHasNewRecording = false;
    FDeleteWorkFileOnClose = false;
    FCanSave = false;
    FRecordLength = 0;
    std::error_code ignored;
    fs::remove(work, ignored);
    if (components_)
      components_->AudioPlayer->SetFileName("");
  }
  // The working file is the program's business: the user hears of "the take".
  std::string text = Message;
  const std::string quoted = "\"" + work + "\"";
  for (size_t at; (at = text.find(quoted)) != std::string::npos;)
    text.replace(at, quoted.size(), "the take");
  ShowMessage(text);
}
