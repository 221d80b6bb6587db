#include <QTest>
#include <climits>
#include <memory>

#include <gtest/gtest.h>

#include "platform/gui/Application.h"
#include "platform/gui/MeterBar.h"
#include "platform/gui/TrackBar.h"

namespace {

using namespace gui;

struct TMeterCase {
  int Max;
  int Position;
  int Shown;
};

TEST(MeterBarTest, PositionsAreClampedToTheRangeNotDropped) {
  Application();
  const TMeterCase cases[] = {
      {100, 50, 50},         {100, 0, 0},    {100, 100, 100},         {100, 101, 100},
      {32767, 32768, 32767}, {32767, -5, 0}, {32767, INT_MAX, 32767}, {0, 5, 1},
  };
  for (const TMeterCase &c : cases) {
    TMeterBar bar;
    bar.SetPosition(7);
    bar.SetMax(c.Max);
    bar.SetPosition(c.Position);
    EXPECT_EQ(bar.Position(), c.Shown) << c.Max << " " << c.Position;
    // The clip lamp's test: a full-scale peak reaches the maximum.
    if (c.Position >= c.Max && c.Max > 0) {
      EXPECT_GE(bar.Position(), bar.Max());
    }
  }
}

TEST(MeterBarTest, LoweringTheMaximumPullsThePositionDownAndOnlyChangesRepaint) {
  Application();
  TMeterBar bar;
  bar.SetMax(32767);
  bar.SetPosition(30000);
  bar.SetMax(100);
  EXPECT_EQ(bar.Position(), 100);
  int repaints = bar.RepaintCount();
  bar.SetPosition(100);
  bar.SetMax(100);
  bar.SetPosition(5000); // still clamped to 100
  EXPECT_EQ(bar.RepaintCount(), repaints);
}

class TTrackBarTest : public ::testing::Test {
protected:
  void SetUp() override {
    Application(); // widgets need the application first
    owned = std::make_unique<TTrackBar>();
    owned->resize(400, 30);
    owned->SetMax(10000);
    owned->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(owned.get()));
  }
  std::unique_ptr<TTrackBar> owned;
  TTrackBar &bar() { return *owned; }
};

TEST_F(TTrackBarTest, OnChangeFollowsEveryPositionChangeWhileAttached) {
  int changes = 0;
  bar().OnChange = [&] { ++changes; };
  bar().SetPosition(2500);
  EXPECT_EQ(changes, 1);
  bar().SetPosition(2500);
  EXPECT_EQ(changes, 1) << "no change, no event";
  // Moving the thumb from a progress event: detach, move, re-attach.
  auto saved = bar().OnChange;
  bar().OnChange = nullptr;
  bar().SetPosition(9000);
  bar().OnChange = saved;
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(bar().Position(), 9000);
}

TEST_F(TTrackBarTest, PressAndReleaseRunTheHooksBeforeTheSlider) {
  std::vector<std::string> log;
  bar().OnMouseDown = [&](int x, int) {
    log.push_back("down " + std::to_string(bar().Position()));
    // Jump to the pressed point the way the main window does.
    QRect channel = bar().ChannelRect();
    int width = channel.width() - bar().ThumbLength() / 2;
    bar().SetPosition(
        static_cast<int>(static_cast<long long>(bar().Max()) * (x - channel.left()) / width));
  };
  bar().OnMouseUp = [&](int, int) { log.push_back("up"); };
  QRect channel = bar().ChannelRect();
  ASSERT_GT(channel.width(), bar().ThumbLength());
  QPoint middle(channel.left() + channel.width() / 2, bar().height() / 2);
  QTest::mousePress(&bar(), Qt::LeftButton, {}, middle);
  QTest::mouseRelease(&bar(), Qt::LeftButton, {}, middle);
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0], "down 0");
  EXPECT_EQ(log[1], "up");
  EXPECT_GT(bar().Position(), 4000);
  EXPECT_LT(bar().Position(), 6000);
}

TEST_F(TTrackBarTest, TheSelectionBandIsKeptAndDrawn) {
  bar().SetSelStart(2500);
  bar().SetSelEnd(7500);
  EXPECT_EQ(bar().SelStart(), 2500);
  EXPECT_EQ(bar().SelEnd(), 7500);
  QImage withBand = bar().grab().toImage();
  bar().SetSelStart(0);
  bar().SetSelEnd(0);
  QImage without = bar().grab().toImage();
  EXPECT_NE(withBand, without);
}

} // namespace
