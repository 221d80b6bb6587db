// What the window does so that nothing recorded is lost, without audio
// components: saving onto a full disk, a take left by a crash, where the
// working file lives, one prompt for two close requests; and the window's
// fixed size and status text.
#include <QImage>
#include <QLabel>
#include <QMainWindow>
#include <QTemporaryDir>
#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/MainUnit.h"
#include "platform/classlib/Dialogs.h"
#include "platform/gui/Application.h"
#include "platform/gui/Control.h"
#include "tests/app/FileSizeLimit.h"
#include "tests/app/MainFormTestAccess.h"
#include "tests/app/WorkFolderFixture.h"

namespace fs = std::filesystem;

namespace {

std::string Contents(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A mono 16-bit WAV file of frames frames written by libsndfile; its size.
int64_t WriteWave(const std::string &path, int frames) {
  SF_INFO info{};
  info.samplerate = 44100;
  info.channels = 1;
  info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  SNDFILE *f = sf_open(path.c_str(), SFM_WRITE, &info);
  if (f == nullptr)
    return -1;
  std::vector<short> samples(static_cast<size_t>(frames));
  for (int i = 0; i < frames; ++i)
    samples[size_t(i)] = short(i * 7);
  sf_writef_short(f, samples.data(), frames);
  sf_close(f);
  return int64_t(fs::file_size(path));
}

class TTakeSafetyTest : public TWorkFolderTest {
protected:
  void TearDown() override {
    form.reset();
    TWorkFolderTest::TearDown();
  }
  std::string Target(const char *name) const { return work.path().toStdString() + "/" + name; }
  // The window, with an unsaved take in the working file.
  void OpenWithATake(int frames) {
    form.reset(CreateObject<TMainForm>(nullptr, nullptr));
    ASSERT_GT(WriteWave(workFile, frames), 0);
    Access(*form).SetHasNewRecording(true).SetDeleteWorkFileOnClose(true).SetCanSave(true);
    form->SetCaption(CaptionPrefix + " - [NewFile]");
  }
  std::vector<std::string> FilesInWork() const {
    std::vector<std::string> names;
    for (const auto &e : fs::directory_iterator(work.path().toStdString()))
      names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  TOwnedPtr<TMainForm> form;
};

// Save As onto a disk that fills part way through the copy: the user's file
// stays as it was, nothing half-written is left, the take stays unsaved and
// one message says why.
TEST_F(TTakeSafetyTest, SaveAsOntoAFullDiskKeepsTheTargetAndTheTakeUnsaved) {
  OpenWithATake(132100); // 264,244 bytes of take
  const std::string target = Target("target.wav");
  std::ofstream(target, std::ios::binary) << "the user's earlier recording";
  dialogs.AnswerFile(target);
  bool saved;
  {
    TFileSizeLimit full(61440);
    ASSERT_TRUE(full.Ok());
    saved = form->SaveAsDialog();
  }
  EXPECT_FALSE(saved);
  EXPECT_TRUE(Contents(target) == "the user's earlier recording") << "the target was replaced";
  EXPECT_FALSE(fs::exists(target + ".saving~"));
  EXPECT_TRUE(form->HasNewRecording()) << "the take is not saved";
  EXPECT_TRUE(form->DeleteWorkFileOnClose());
  EXPECT_EQ(form->FileName(), "");
  EXPECT_EQ(form->Caption(), "Sonvelt  - [NewFile]");
  EXPECT_EQ(dialogs.Texts(),
            std::vector<std::string>{"Can not save to : " + target + "\nFile too large"});

  // With room again the same take saves whole.
  dialogs.AnswerFile(target);
  EXPECT_TRUE(form->SaveAsDialog());
  EXPECT_TRUE(Contents(target) == Contents(workFile));
  EXPECT_FALSE(form->HasNewRecording());
}

// A crash or a kill leaves the working file behind: one that holds audio is
// moved aside under a dated name and the user is told once where; an empty
// or headerless one goes as before.
TEST_F(TTakeSafetyTest, ATakeLeftByACrashIsKeptBesideTheWorkingFile) {
  ASSERT_GT(WriteWave(workFile, 4410), 0);
  const std::string take = Contents(workFile);
  struct stat st {};
  ASSERT_EQ(stat(workFile.c_str(), &st), 0);
  std::tm local{};
  localtime_r(&st.st_mtime, &local);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H-%M-%S", &local);
  const std::string kept = Target((std::string("TmpDataFile~ ") + stamp + ".wav").c_str());

  form.reset(CreateObject<TMainForm>(nullptr, nullptr));
  EXPECT_FALSE(fs::exists(workFile));
  EXPECT_TRUE(Contents(kept) == take) << "the take is kept under its dated name";
  EXPECT_EQ(dialogs.Texts(),
            std::vector<std::string>{"A take left by an earlier run was kept in:\n" + kept});
  EXPECT_FALSE(form->HasNewRecording()) << "the window starts empty";
  form.reset();

  // The next start finds no working file: no second message.
  form.reset(CreateObject<TMainForm>(nullptr, nullptr));
  EXPECT_EQ(dialogs.Texts().size(), 1u);
  form.reset();

  // A second take from the same second gets a name of its own.
  ASSERT_GT(WriteWave(workFile, 100), 0);
  const std::string second = Contents(workFile);
  const struct timespec times[2] = {{st.st_mtime, 0}, {st.st_mtime, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, workFile.c_str(), times, 0), 0);
  form.reset(CreateObject<TMainForm>(nullptr, nullptr));
  const std::string keptToo = kept.substr(0, kept.size() - 4) + " (2).wav";
  EXPECT_TRUE(Contents(keptToo) == second);
  EXPECT_TRUE(Contents(kept) == take);
  ASSERT_EQ(dialogs.Texts().size(), 2u);
  EXPECT_EQ(dialogs.Texts().back(), "A take left by an earlier run was kept in:\n" + keptToo);
  form.reset();

  for (const std::string &leftover : {std::string(), std::string("RIFF and nothing else")}) {
    SCOPED_TRACE(leftover);
    std::ofstream(workFile, std::ios::binary) << leftover;
    form.reset(CreateObject<TMainForm>(nullptr, nullptr));
    EXPECT_FALSE(fs::exists(workFile));
    EXPECT_EQ(dialogs.Texts().size(), 2u) << "nothing to tell";
    form.reset();
  }
  // A header with no frame is no take either.
  ASSERT_GT(WriteWave(workFile, 0), 0);
  form.reset(CreateObject<TMainForm>(nullptr, nullptr));
  EXPECT_FALSE(fs::exists(workFile));
  EXPECT_EQ(dialogs.Texts().size(), 2u);
}

// A folder where no file can be created (a program installed system-wide):
// the working file goes to the user's data folder, created when needed.
TEST_F(TTakeSafetyTest, AProgramFolderThatCannotBeWrittenPutsTheTakeInTheUsersDataFolder) {
  QTemporaryDir home;
  ASSERT_TRUE(home.isValid());
  const std::string homePath = home.path().toStdString();
  std::string readOnly = homePath + "/bin";
  fs::create_directory(readOnly);
  fs::permissions(readOnly, fs::perms::owner_read | fs::perms::owner_exec);
  if (geteuid() == 0)
    readOnly = "/proc"; // the superuser writes any folder with rights alone
  const char *oldHome = std::getenv("HOME");
  const std::string savedHome = oldHome ? oldHome : "";
  const char *oldXdg = std::getenv("XDG_DATA_HOME");
  const std::string savedXdg = oldXdg ? oldXdg : "";
  struct TRestore {
    std::string home, xdg;
    bool hadXdg;
    ~TRestore() {
      setenv("HOME", home.c_str(), 1);
      if (hadXdg)
        setenv("XDG_DATA_HOME", xdg.c_str(), 1);
      else
        unsetenv("XDG_DATA_HOME");
    }
  } restore{savedHome, savedXdg, oldXdg != nullptr};
  setenv("HOME", homePath.c_str(), 1);

  unsetenv("XDG_DATA_HOME");
  EXPECT_EQ(TMainForm::ChooseWorkFolder(readOnly), homePath + "/.local/share/sonvelt/");
  EXPECT_TRUE(fs::is_directory(homePath + "/.local/share/sonvelt"));
  setenv("XDG_DATA_HOME", (homePath + "/data").c_str(), 1);
  EXPECT_EQ(TMainForm::ChooseWorkFolder(readOnly), homePath + "/data/sonvelt/");
  EXPECT_TRUE(fs::is_directory(homePath + "/data/sonvelt"));
  setenv("XDG_DATA_HOME", "relative/data", 1); // not an absolute path: ignored
  EXPECT_EQ(TMainForm::ChooseWorkFolder(readOnly), homePath + "/.local/share/sonvelt/");

  // A writable program folder keeps the take beside the program, and no
  // probe is left there.
  const std::string writable = homePath + "/opt/";
  fs::create_directory(writable);
  EXPECT_EQ(TMainForm::ChooseWorkFolder(writable), writable);
  EXPECT_TRUE(fs::is_empty(writable));
}

// Two close requests (the close button twice, two signals) while the save
// prompt is open: one prompt, and the window closes once it is answered.
TEST_F(TTakeSafetyTest, ASecondCloseRequestDuringThePromptAsksNothingMore) {
  OpenWithATake(100);
  form->Show();
  int prompts = 0;
  bool secondClosed = true;
  dialogs.OnShow = [&](const TMessageDialog &) {
    if (++prompts == 1)
      secondClosed = form->Close();
  };
  dialogs.Answer(mrNo);
  EXPECT_TRUE(form->Close());
  EXPECT_EQ(prompts, 1);
  EXPECT_FALSE(secondClosed) << "the first prompt answers for both";
  EXPECT_FALSE(form->Visible());
}

// The client area keeps its size: no resizing, no maximising, minimise only.
TEST_F(TTakeSafetyTest, TheWindowHasAFixedClientSizeAndMinimisesOnly) {
  form.reset(CreateObject<TMainForm>(nullptr, nullptr));
  form->Show();
  QMainWindow *w = form->Window();
  gui::Application().DoIdle();
  EXPECT_EQ(w->centralWidget()->size(), QSize(692, 466));
  EXPECT_EQ(w->minimumSize(), w->maximumSize());
  EXPECT_EQ(w->size(), w->minimumSize());
  const Qt::WindowFlags flags = w->windowFlags();
  EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
  EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
  EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
  w->resize(1000, 800);
  EXPECT_EQ(w->size(), w->minimumSize());
}

// "RECORD" and "PLAYBACK" stand clear of their box's left edge.
TEST_F(TTakeSafetyTest, TheStatusTextStandsClearOfItsBoxsEdge) {
  form.reset(CreateObject<TMainForm>(nullptr, nullptr));
  form->Show();
  for (TRecorderState state : {TRecorderState::Recording, TRecorderState::Playing}) {
    Access(*form).SetState(state);
    gui::Application().DoIdle();
    const QImage shot = form->Status->grab().toImage();
    ASSERT_FALSE(shot.isNull());
    int firstInk = -1;
    for (int x = 0; x < shot.width() && firstInk < 0; ++x)
      for (int y = 0; y < shot.height(); ++y)
        if ((shot.pixel(x, y) & 0xFFFFFFu) != 0) {
          firstInk = x;
          break;
        }
    SCOPED_TRACE(form->StatusText());
    EXPECT_GE(firstInk, 4) << "the text begins at the box's edge";
  }
  Access(*form).SetState(TRecorderState::Idle);
}

} // namespace
