// The scope in its widget, driven by the platform's own mouse events: the
// curve under the mouse reports itself, leaving the widget closes it, and
// the legend's buttons show the hand.
#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

#include "platform/gui/Application.h"
#include "tests/scope/ScopeMouseSupport.h"

namespace {

TEST(ScopeWidget, HoverThroughTheWidget) {
  gui::Application();
  TStillTimers Timers;
  gui::TScopedWindowTimerService TimerScope{Timers};
  TFixedTextRenderer Text{6, 10, 3};
  TOwnedPtr<TSLScope> Scope{CreateObject<TSLScope>(nullptr)};
  Scope->GetBitmap()->Canvas()->SetTextRenderer(&Text);
  Scope->SetBounds(0, 0, 505, 304);
  Scope->GetToolBar()->SetVisible(false);
  Scope->GetTitle()->SetVisible(false);
  Scope->GetXAxis()->SetVisible(false);
  Scope->GetYAxis()->SetVisible(false);
  Scope->GetYAxis()->SetMin(-32768);
  Scope->GetYAxis()->SetMax(32768);
  Scope->GetYAxis()->GetAutoScaling()->SetEnabled(false);
  TOwnedPtr<TSLOWRealSourcePin> Source{
      CreateObject<TSLOWRealSourcePin>(nullptr, TSLOperationEvent())};
  ASSERT_TRUE(Scope->GetChannels()->GetItem(0)->GetInputPin()->Connect(Source.get()));
  const std::vector<double> Flat(2, 0);
  Source->SubmitBuffer(com::MakeCom<TSLRealBuffer>(Flat.data(), 2u));
  Scope->RefreshView();
  int Overs = 0, Leaves = 0;
  Scope->OnOverChannel.Fn = [&](TObject *, int32_t, int32_t, int32_t, const TSLRealPoint &) {
    ++Overs;
  };
  Scope->OnLeaveChannel.Fn = [&](TObject *) { ++Leaves; };
  {
    TControlWidget W(Scope.get());
    W.show();
    (void)W.grab(); // a paint: the curve's pixels for the hit tests
    const TRect Plot = Scope->GetScopeDataView()->GetDrawRect();
    const int Row = Plot.Top + (Plot.Bottom - 1 - Plot.Top) / 2; // value 0
    QTest::mouseMove(&W, QPoint(Plot.Left + 20, Row));
    EXPECT_EQ(Scope->GetScopeDataView()->GetHotItem(), Scope->GetChannels()->GetItem(0));
    EXPECT_GE(Overs, 1);
    QEvent Leave(QEvent::Leave);
    QApplication::sendEvent(&W, &Leave);
    EXPECT_EQ(Leaves, 1);
    // Over the first legend row the hand shows, off it the control's cursor.
    const TRect Legend = Scope->GetLegend()->GetDrawRect();
    QTest::mouseMove(&W, QPoint(Legend.Left + 10, Legend.Top + 17));
    EXPECT_EQ(W.cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseMove(&W, QPoint(Legend.Left + 10, Legend.Bottom - 2));
    EXPECT_EQ(W.cursor().shape(), Qt::ArrowCursor);
  }
}

} // namespace
