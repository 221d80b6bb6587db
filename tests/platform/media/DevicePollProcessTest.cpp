// The device poll (the recorder lists its microphones once a second) reads
// the configured PCMs anew only when the ALSA configuration changes: asking
// alsa-lib for them parses the whole configuration. A PCM configured while
// the program runs is still found at the next poll. Likewise it walks the
// sound cards only when the card folder changes: a card that comes or goes
// is read at the next poll.
//
// alsa-lib reads its configuration once per process, so main() points
// ALSA_CONFIG_PATH at the system's configuration and a file of the test's
// own before anything touches ALSA; the calls into snd_device_name_hint and
// the walks over the cards are counted on their way to alsa-lib.
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <alsa/asoundlib.h>
#include <dlfcn.h>
#include <sys/stat.h>

#include "tests/platform/media/MediaTestSupport.h"

using namespace mediatest;

namespace {

std::atomic<int> gHintCalls{0};
std::atomic<int> gCardWalks{0};
std::filesystem::path gDir;

std::filesystem::path ExtraConfig() { return gDir / "extra.conf"; }

// Writes the test's configuration file, dated ten seconds after the last
// one: alsa-lib tells a changed file by its time, in seconds.
void WriteConfig(const std::string &text) {
  static time_t stamp = time(nullptr) - 1000;
  stamp += 10;
  std::ofstream(ExtraConfig()) << text;
  timespec times[2] = {{stamp, 0}, {stamp, 0}};
  utimensat(AT_FDCWD, ExtraConfig().c_str(), times, 0);
}

std::string PcmDefinition(const std::string &name, const std::string &description) {
  return "pcm." + name + " {\n  type null\n  hint { show on; description \"" + description +
         "\" }\n}\n";
}

bool Listed(const std::string &id) {
  for (auto &e : detail::ListDevices(true))
    if (e.Id == id)
      return true;
  return false;
}

class DevicePoll : public ::testing::Test {
protected:
  void SetUp() override {
    SetAlsaEnabled(true);
    TVirtualAudio::Clear();
  }
};

TEST_F(DevicePoll, ConfiguredPcmsAreReadOnceWhileNothingChanges) {
  ASSERT_TRUE(Listed("pollmic"));
  detail::ListDevices(false);
  int before = gHintCalls;
  for (int poll = 0; poll < 10; ++poll) {
    EXPECT_TRUE(Listed("pollmic"));
    detail::ListDevices(false);
  }
  EXPECT_EQ(gHintCalls, before);
}

TEST_F(DevicePoll, APcmConfiguredWhileRunningIsFoundAtTheNextPoll) {
  ASSERT_TRUE(Listed("pollmic"));
  EXPECT_FALSE(Listed("latemic"));
  WriteConfig(PcmDefinition("pollmic", "Poll Microphone") +
              PcmDefinition("latemic", "Late Microphone"));
  EXPECT_TRUE(Listed("latemic"));
  int after = gHintCalls;
  EXPECT_TRUE(Listed("latemic"));
  EXPECT_EQ(gHintCalls, after);
  // And one taken out is gone at the next poll.
  WriteConfig(PcmDefinition("pollmic", "Poll Microphone"));
  EXPECT_FALSE(Listed("latemic"));
  EXPECT_TRUE(Listed("pollmic"));
}

// Changes of the card folder as cards come and go, in turn.
struct TFolderChange {
  const char *name;
  void (*apply)(const std::filesystem::path &folder);
};

void Touch(const std::filesystem::path &file) { std::ofstream{file}; }

const TFolderChange kFolderChanges[] = {
    {"FirstCardComesWithTheFolder",
     [](const std::filesystem::path &f) {
       std::filesystem::create_directory(f);
       Touch(f / "controlC0");
     }},
    {"SecondCardComes", [](const std::filesystem::path &f) { Touch(f / "controlC1"); }},
    {"CardGoes", [](const std::filesystem::path &f) { std::filesystem::remove(f / "controlC1"); }},
    // The name stays, the node is another one.
    {"CardTakesTheIndexOfOneThatWent",
     [](const std::filesystem::path &f) {
       Touch(f / "next");
       std::filesystem::rename(f / "next", f / "controlC0");
     }},
    {"LastCardGoesWithTheFolder",
     [](const std::filesystem::path &f) { std::filesystem::remove_all(f); }},
};

TEST_F(DevicePoll, CardsAreWalkedAgainOnlyWhenTheCardFolderChanges) {
  const std::filesystem::path folder = gDir / "snd";
  detail::SetCardFolder(folder.string());
  detail::ListDevices(true);
  for (const TFolderChange &change : kFolderChanges) {
    SCOPED_TRACE(change.name);
    const int before = gCardWalks;
    for (int poll = 0; poll < 5; ++poll)
      EXPECT_TRUE(Listed("pollmic"));
    EXPECT_EQ(gCardWalks, before) << "polls with the folder unchanged walked the cards";
    change.apply(folder);
    EXPECT_TRUE(Listed("pollmic"));
    EXPECT_GT(gCardWalks, before) << "the poll after the change kept the old cards";
  }
  detail::SetCardFolder("/dev/snd");
}

} // namespace

// Counts the calls on their way to alsa-lib.
extern "C" int snd_device_name_hint(int card, const char *iface, void ***hints) {
  using THint = int (*)(int, const char *, void ***);
  static const auto real = reinterpret_cast<THint>(dlsym(RTLD_NEXT, "snd_device_name_hint"));
  ++gHintCalls;
  return real(card, iface, hints);
}

// Counts the walks over the cards (each starts at -1).
extern "C" int snd_card_next(int *card) {
  using TNext = int (*)(int *);
  static const auto real = reinterpret_cast<TNext>(dlsym(RTLD_NEXT, "snd_card_next"));
  if (card != nullptr && *card < 0)
    ++gCardWalks;
  return real(card);
}

int main(int argc, char **argv) {
  char pattern[] = "/tmp/sonvelt-poll-XXXXXX";
  if (mkdtemp(pattern) == nullptr)
    return 2;
  gDir = pattern;
  WriteConfig(PcmDefinition("pollmic", "Poll Microphone"));
  std::string path = std::string(snd_config_topdir()) + "/alsa.conf:" + ExtraConfig().string();
  setenv("ALSA_CONFIG_PATH", path.c_str(), 1);
  setenv("HOME", pattern, 1);
  ::testing::InitGoogleTest(&argc, argv);
  int result = RUN_ALL_TESTS();
  std::filesystem::remove_all(gDir);
  return result;
}
