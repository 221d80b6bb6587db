// The main window's working file: the save prompt and saving the take to a
// file of the user's choice.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <unistd.h>

#include "app/MainUnit.h"
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

// Copies source to target through a temporary file beside target, flushed
// to the disk before it replaces target.
bool CopyReplacing(const std::string &source, const std::string &target) {
  std::string temp = target + ".saving~";
  {
    std::ifstream in(source, std::ios::binary);
    if (!in)
      return false;
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out)
      return false;
    out << in.rdbuf();
    out.flush();
    if (!out || in.bad()) {
      out.close();
      std::remove(temp.c_str());
      return false;
    }
  }
  if (FILE *f = std::fopen(temp.c_str(), "rb")) {
    fsync(fileno(f));
    std::fclose(f);
  }
  std::error_code ec;
  fs::rename(temp, target, ec);
  if (ec) {
    std::remove(temp.c_str());
    return false;
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
  if (!CopyReplacing(GetWorkFileName(), Target)) {
    ShowMessage("Can not save to : " + Target);
    return false;
  }
  FFileName = Target;
  SetCaption(CaptionPrefix + " - [" + FilePart(Target) + "]");
  FHasNewRecording = false;
  FDeleteWorkFileOnClose = false;
  return true;
}
