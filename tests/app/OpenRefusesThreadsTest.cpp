// The main window with its own audio components on virtual devices: Open
// refuses a file the player can't play and says why, leaving the working
// file as it was, and a playback that can't start (the player refuses the
// file, or the output device can't start) leaves the window idle.
#include <QTemporaryDir>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "app/MainUnit.h"
#include "app/RecorderAudio.h"
#include "platform/classlib/Dialogs.h"
#include "platform/gui/Application.h"
#include "platform/gui/Control.h"
#include "platform/mainloop/MainLoop.h"
#include "platform/media/Media.h"
#include "platform/media/VirtualAudio.h"
#include "tests/app/RecordingFixture.h"
#include "tests/support/Wait.h"

namespace {

using namespace media;

std::string Le16(uint32_t v) { return {char(v), char(v >> 8)}; }
std::string Le32(uint32_t v) { return {char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; }

// The fields of a format record; Extra follows cbSize (its length is cbSize).
struct TFmt {
  uint16_t Tag = 1;
  uint16_t Channels = 1;
  uint32_t Rate = 8000;
  uint32_t ByteRate = 16000;
  uint16_t BlockAlign = 2;
  uint16_t Bits = 16;
  std::string Extra;
};

// A RIFF/WAVE file of the record and Frames x 2 bytes of data.
std::string Wave(const TFmt &f, uint32_t dataBytes = 2000) {
  std::string fmt = Le16(f.Tag) + Le16(f.Channels) + Le32(f.Rate) + Le32(f.ByteRate) +
                    Le16(f.BlockAlign) + Le16(f.Bits) + Le16(uint16_t(f.Extra.size())) + f.Extra;
  std::string body = "WAVEfmt " + Le32(uint32_t(fmt.size())) + fmt + "data" + Le32(dataBytes) +
                     std::string(dataBytes, '\x21');
  return "RIFF" + Le32(uint32_t(body.size())) + body;
}

// The 22 bytes after cbSize of an extensible record: valid bits, channel
// mask, sub-format.
std::string Extensible(uint16_t validBits, const std::string &subFormat) {
  return Le16(validBits) + Le32(4) + subFormat;
}

using recordingtest::Bytes;

class TOpenRefusesTest : public recordingtest::TRecordingTest {
protected:
  TVirtualCaptureSpec MicSpec() const override {
    TVirtualCaptureSpec spec;
    spec.FriendlyName = "USB Audio CODEC ";
    spec.Id = "usbcodec";
    return spec;
  }
  TVirtualPacing SpeakerPacing() const override { return TVirtualPacing::RealTime; }
  std::string File(const char *name) const { return folder.path().toStdString() + "/" + name; }
  // Opens a good 8 kHz mono file through the window.
  void OpenGood() {
    const std::string good = File("good.wav");
    std::ofstream(good, std::ios::binary) << Wave(TFmt{}, 16000);
    dialogs.AnswerFile(good);
    form->FileOpenActionExecute(form.get());
    ASSERT_TRUE(dialogs.Texts().empty());
    ASSERT_EQ(form->FileName(), good);
  }
  // Runs the main loop (posted failures and stops land there) until pred
  // holds; what it raises is kept.
  bool PumpUntil(const std::function<bool()> &pred) {
    return EventuallyPumping(
        [this] {
          try {
            mainloop::TMainLoop::Main().WaitAndRun(std::chrono::milliseconds(2));
          } catch (const std::exception &e) {
            raised.push_back(e.what());
          }
        },
        pred);
  }

  std::vector<std::string> raised;
};

TEST_F(TOpenRefusesTest, AFileThePlayerCantPlayIsRefusedWithItsReasonAndNothingChanges) {
  OpenGood();
  const std::string work = form->GetWorkFileName();
  const std::string before = Bytes(work);
  const std::string zeroGuid(16, '\0');
  std::string pcmGuid =
      Le32(1) + Le16(0) + Le16(0x10) + std::string("\x80\x00\x00\xAA\x00\x38\x9B\x71", 8);
  TFmt mp3{0x55, 1, 8000, 1000, 1, 0, Le16(1) + Le32(2) + Le16(104) + Le16(1) + Le16(1393)};
  TFmt zeroSub{0xFFFE, 1, 8000, 16000, 2, 16, Extensible(16, zeroGuid)};
  TFmt align3{1, 1, 8000, 16000, 3, 16, ""};
  TFmt align4{1, 1, 8000, 16000, 4, 16, ""};
  TFmt noBits{1, 1, 8000, 16000, 2, 0, ""};
  TFmt manyChannels{1, 65535, 8000, 16000, 2, 16, ""};
  TFmt hugeRate{1, 1, 4000000000u, 16000, 2, 16, ""};
  TFmt wide{1, 1, 8000, 40000, 5, 40, ""};
  TFmt extAlign3{0xFFFE, 1, 8000, 16000, 3, 16, Extensible(16, pcmGuid)};
  TFmt ima{0x11, 1, 8000, 4000, 3, 4, Le16(505)};
  struct TCase {
    const char *Name;
    std::string Bytes;
    std::string Why;
  };
  const TCase cases[] = {
      {"format tag 0x55", Wave(mp3),
       "The file's audio format (format tag 0x0055) can't be decoded."},
      {"all-zero extensible sub-format", Wave(zeroSub),
       "The file's audio format (format tag 0xFFFE, sub-format "
       "{00000000-0000-0000-0000-000000000000}) can't be decoded."},
      {"block align 3 for mono 16-bit", Wave(align3),
       "The file's block align of 3 bytes does not match 1 channel of 16 bits (2 bytes a frame)."},
      {"block align 4 for mono 16-bit", Wave(align4),
       "The file's block align of 4 bytes does not match 1 channel of 16 bits (2 bytes a frame)."},
      {"extensible PCM with block align 3", Wave(extAlign3),
       "The file's block align of 3 bytes does not match 1 channel of 16 bits (2 bytes a frame)."},
      {"0 bits per sample", Wave(noBits), "The file's PCM samples have 0 bits."},
      {"40 bits per sample", Wave(wide),
       "The file's PCM samples have 40 bits; at most 32 can be played."},
      {"65,535 channels", Wave(manyChannels),
       "The file has 65535 channels; at most 32 can be played."},
      {"rate 4,000,000,000", Wave(hugeRate),
       "The file's sample rate of 4000000000 Hz is above the 4000000 Hz that can be played."},
      {"IMA ADPCM blocks too short", Wave(ima),
       "The file's audio format (format tag 0x0011) can't be decoded."},
      {"header cut in the format record", Wave(TFmt{}).substr(0, 30),
       "The wave format record passes the end of the file."},
      {"header cut after the RIFF tag", Wave(TFmt{}).substr(0, 8),
       "The file is too short for a WAV file."},
  };
  for (const TCase &k : cases) {
    SCOPED_TRACE(k.Name);
    const std::string path = File("refused.wav");
    std::ofstream(path, std::ios::binary | std::ios::trunc) << k.Bytes;
    TScriptedDialogs script;
    script.AnswerFile(path);
    form->FileOpenActionExecute(form.get());
    EXPECT_EQ(script.Texts(), std::vector<std::string>{"Can not open : " + path + "\n" + k.Why});
    EXPECT_EQ(Bytes(work), before) << "the working file is untouched";
    EXPECT_EQ(form->FileName(), File("good.wav"));
    EXPECT_EQ(c->AudioPlayer->GetFileName(), work);
    EXPECT_EQ(form->State(), TRecorderState::Idle);
  }
}

// The working file changed behind the window's back: Play says why the player
// refused it and the window stays idle.
TEST_F(TOpenRefusesTest, PlayOfAFileThePlayerRefusesLeavesTheWindowIdle) {
  OpenGood();
  std::ofstream(form->GetWorkFileName(), std::ios::binary | std::ios::trunc)
      << Wave(TFmt{0x55, 1, 8000, 1000, 1, 0, ""});
  form->PlayActionExecute(form.get());
  EXPECT_EQ(form->State(), TRecorderState::Idle);
  ASSERT_EQ(dialogs.Texts().size(), 1u);
  EXPECT_NE(dialogs.Texts()[0].find("can't be decoded"), std::string::npos) << dialogs.Texts()[0];
  mainloop::TMainLoop::Main().RunPending();
  gui::Application().DoIdle();
  EXPECT_NE(form->StatusText(), "PLAYBACK");
  EXPECT_FALSE(c->AudioPlayer->GetEnabled());
}

// The output device is busy: the start of playback fails with the system's
// text and code and the reason, and the window returns to idle.
TEST_F(TOpenRefusesTest, PlaybackWhoseOutputCantStartLeavesTheWindowIdle) {
  OpenGood();
  speaker->SetBusy(true);
  try {
    form->PlayActionExecute(form.get());
  } catch (const std::exception &e) {
    raised.push_back(e.what());
  }
  // The output starts once the player has sent its first buffers.
  ASSERT_TRUE(PumpUntil([&] { return !raised.empty() && form->State() == TRecorderState::Idle; }))
      << raised.size();
  EXPECT_EQ(raised[0].rfind("Can't start render. - 2164195344 - 80FF0010\n"
                            "The device is in use by another program.",
                            0),
            0u)
      << raised[0];
  EXPECT_EQ(form->State(), TRecorderState::Idle);
  gui::Application().DoIdle();
  EXPECT_NE(form->StatusText(), "PLAYBACK");
  EXPECT_FALSE(c->AudioPlayer->GetEnabled()) << "the player was stopped";
  // Once the device is free the same file plays.
  speaker->SetBusy(false);
  raised.clear();
  form->PlayActionExecute(form.get());
  EXPECT_EQ(form->State(), TRecorderState::Playing);
  EXPECT_TRUE(speaker->WaitRecorded(2000, std::chrono::seconds(5)));
  form->StopAction->Execute();
  EXPECT_TRUE(raised.empty());
}

} // namespace
