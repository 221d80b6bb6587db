#pragma once
// The mouse tests' scope in the recorder's layout, over the test window of
// ScopeTestWindow.h.

#include <QImage>
#include <vector>

#include <gtest/gtest.h>

#include "platform/gui/Control.h"
#include "platform/gui/Timers.h"
#include "scope/SLScopeControl.h"
#include "tests/scope/ScopeTestWindow.h"
#include "tests/support/FrameworkEnvironment.h"

// A scope on such a window in the recorder's layout: 505 x 304, no
// toolbar, only the data view showing (which then covers the whole
// control), Y over [-32768, 32768] without auto-scaling, one red channel fed
// by a source pin. Sample i of S lands in column rnd(i 504 / (S - 1)), value
// v in row 152 - rnd(v 152 / 32768). Texts are fixed cells 6 pixels wide,
// 13 high.
class ScopeOnScreen : public ::testing::Test {
protected:
  void SetUp() override {
    Scope->SetHost(&Window);
    Scope->GetBitmap()->Canvas()->SetTextRenderer(&Text);
    Scope->SetBounds(0, 0, 505, 304);
    Scope->GetToolBar()->SetVisible(false);
    Scope->GetTitle()->SetVisible(false);
    Scope->GetLegend()->SetVisible(false);
    Scope->GetXAxis()->SetVisible(false);
    Scope->GetYAxis()->SetVisible(false);
    Scope->GetYAxis()->SetMin(-32768);
    Scope->GetYAxis()->SetMax(32768);
    Scope->GetYAxis()->GetAutoScaling()->SetEnabled(false);
    Scope->GetZooming()->HoldOnZoom = false;
    Channel()->SetColor(clRed);
    Source.reset(CreateObject<TSLOWRealSourcePin>(nullptr, TSLOperationEvent()));
    EXPECT_TRUE(Channel()->GetInputPin()->Connect(Source.get()));
  }
  void TearDown() override {
    Scope->SetHost(nullptr);
    Scope.reset();
  }
  TSLScopeChannel *Channel(int I = 0) { return Scope->GetChannels()->GetItem(I); }
  // New data, handed to the draw buffers at once.
  void Feed(const std::vector<double> &V) {
    Source->SubmitBuffer(com::MakeCom<TSLRealBuffer>(V.data(), static_cast<uint32_t>(V.size())));
    Scope->RefreshView();
  }
  QImage Paint() { return PaintControl(Scope.get()); }
  static TColor At(const QImage &Image, int X, int Y) { return PixelColor(Image, X, Y); }
  // The mouse moves to (X, Y) over the control.
  void MoveTo(int32_t X, int32_t Y) {
    Window.Mouse = {X, Y};
    Scope->DispatchMouseMove(0, X, Y);
  }

  TStillTimers Timers;
  gui::TScopedWindowTimerService TimerScope{Timers};
  TFixedTextRenderer Text{6, 10, 3};
  TFakeWindow Window;
  TOwnedPtr<TSLScope> Scope{CreateObject<TSLScope>(nullptr)};
  TOwnedPtr<TSLOWRealSourcePin> Source;
};
