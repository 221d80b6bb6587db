#pragma once
// A scope on a window without a screen, with every view shown and a curve
// fed through its first channel's pin: the fixture of the export, printing
// and toolbar tests. Texts go through Qt's renderer, as on the screen, so
// the screen picture and the exported ones are drawn alike.

#include <QImage>
#include <cstdint>
#include <filesystem>
#include <vector>

#include <gtest/gtest.h>
#include <stdlib.h>

#include "platform/gui/Application.h"
#include "scope/SLScopeControl.h"
#include "tests/scope/ScopeTestWindow.h"
#include "tests/support/FrameworkEnvironment.h"

class ScopeOnWindow : public ::testing::Test {
protected:
  void SetUp() override {
    gui::Application();
    Scope->SetHost(&Window);
    Scope->SetBounds(0, 0, 320, 200);
    Source.reset(CreateObject<TSLOWRealSourcePin>(nullptr, TSLOperationEvent()));
    ASSERT_TRUE(Scope->GetChannels()->GetItem(0)->GetInputPin()->Connect(Source.get()));
    std::vector<double> Wave(200);
    for (size_t I = 0; I < Wave.size(); ++I)
      Wave[I] = double(I % 50) - 25;
    Source->SubmitBuffer(com::MakeCom<TSLRealBuffer>(Wave.data(), uint32_t(Wave.size())));
    Scope->RefreshView();
  }
  void TearDown() override {
    Scope->SetHost(nullptr);
    Scope.reset();
    if (!Temp.empty())
      std::filesystem::remove_all(Temp);
  }
  // The export of the whole control, as CopyToBitmap gives it.
  QImage Exported() {
    TBitmap Bitmap;
    Scope->CopyToBitmap(&Bitmap);
    return Bitmap.Image().copy();
  }
  // A folder of the test's own, removed after it.
  std::filesystem::path Dir() {
    if (Temp.empty()) {
      char Name[] = "/tmp/sonvelt-scope-XXXXXX";
      Temp = mkdtemp(Name);
    }
    return Temp;
  }
  // The window's paint of the whole control.
  QImage Paint() { return PaintControl(Scope.get()); }
  // Moves the mouse to (X, Y) over the control, as the window reports it.
  void MoveMouse(int32_t X, int32_t Y) {
    Window.Mouse = {X, Y};
    Scope->DispatchMouseMove(0, X, Y);
  }
  static TColor At(const QImage &Image, int X, int Y) { return PixelColor(Image, X, Y); }

  TStillTimers Timers;
  gui::TScopedWindowTimerService TimerScope{Timers};
  TFakeWindow Window;
  TOwnedPtr<TSLScope> Scope{CreateObject<TSLScope>(nullptr)};
  TOwnedPtr<TSLOWRealSourcePin> Source;
  std::filesystem::path Temp;
};
