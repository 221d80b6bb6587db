// The logger's and player's published settings and pins load from form text,
// are written back, and link the two components.
#include <string>

#include <gtest/gtest.h>

#include "audio/ALWaveLogger.h"
#include "audio/ALWavePlayer.h"
#include "platform/classlib/FormStream.h"
#include "tests/audio/AudioChainSupport.h"

namespace {

class TFileComponentsTestForm : public TComponent {
  CLASSLIB_SIMPLE_CLASS(TFileComponentsTestForm, TComponent)
public:
  explicit TFileComponentsTestForm(TComponent *owner) : TComponent(owner) { SetIsForm(true); }
};

const char *const Text = R"(object Form1: TFileComponentsTestForm
  object Player: TALWavePlayer
    RestartOnNewFile = False
    PumpPriority = 3
    Enabled = False
    Loop = True
    ClockSource = csExternal
    PlaySegment.StartSample = 10
    PlaySegment.StopSample = 500
    PlaySegment.Enabled = True
    BufferSize = 512
  end
  object Logger: TALWaveLogger
    InputPin.SourcePin = Form1.Player.OutputPin
    FileName = 'take.wav'
    Enabled = False
    FileMode = fmOverride
  end
end
)";

struct TLoaded {
  TLoaded(const std::string &text) : form(CreateObject<TFileComponentsTestForm>(nullptr)) {
    RegisterClass(TFileComponentsTestForm::StaticClassInfo());
    RegisterClass(TALWaveLogger::StaticClassInfo());
    RegisterClass(TALWavePlayer::StaticClassInfo());
    LoadFormText(form.get(), text);
    player = dynamic_cast<TALWavePlayer *>(form->FindComponent("Player"));
    logger = dynamic_cast<TALWaveLogger *>(form->FindComponent("Logger"));
  }
  TOwnedPtr<TFileComponentsTestForm> form;
  TALWavePlayer *player = nullptr;
  TALWaveLogger *logger = nullptr;
};

void ExpectSettings(const TLoaded &l) {
  ASSERT_NE(l.player, nullptr);
  ASSERT_NE(l.logger, nullptr);
  EXPECT_FALSE(l.player->GetRestartOnNewFile());
  EXPECT_EQ(l.player->GetPumpPriority(), 3);
  EXPECT_FALSE(l.player->GetEnabled());
  EXPECT_TRUE(l.player->GetLoop());
  EXPECT_EQ(l.player->GetClockSource(), csExternal);
  EXPECT_EQ(l.player->GetPlaySegment()->GetStartSample(), 10);
  EXPECT_EQ(l.player->GetPlaySegment()->GetStopSample(), 500);
  EXPECT_TRUE(l.player->GetPlaySegment()->GetEnabled());
  EXPECT_EQ(l.player->GetBufferSize(), 512);
  EXPECT_EQ(l.logger->GetFileName(), "take.wav");
  EXPECT_FALSE(l.logger->GetEnabled());
  EXPECT_EQ(l.logger->FileMode, fmOverride);
  EXPECT_TRUE(l.logger->GetInputPin()->IsConnectedTo(l.player->GetOutputPin()));
}

TEST(FileComponentsForm, SettingsAndTheLinkLoadAndSurviveAWriteAndReload) {
  TLoaded first(Text);
  ExpectSettings(first);
  const std::string written = WriteFormText(first.form.get());
  for (const char *line : {"FileMode = fmOverride", "ClockSource = csExternal", "Loop = True",
                           "PlaySegment.StartSample = 10", "BufferSize = 512"})
    EXPECT_NE(written.find(line), std::string::npos) << line << " in\n" << written;
  // Defaults are not written.
  EXPECT_EQ(written.find("RestartOnNewFile = True"), std::string::npos);
  first.form.reset();
  TLoaded second(written);
  ExpectSettings(second);
}

} // namespace
