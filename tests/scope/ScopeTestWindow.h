#pragma once
// A scope control's surroundings without a screen: a window that counts
// repaint requests and keeps the mouse where a test puts it (screen and
// client coordinates coincide), and timers that never fire by themselves.

#include "platform/gui/Control.h"
#include "platform/gui/Timers.h"

struct TFakeWindow : IControlHost {
  void InvalidateRect(const TRect *) override { ++Repaints; }
  bool Focused() const override { return HasFocus; }
  void SetFocus() override { HasFocus = true; }
  TPoint ClientToScreen(TPoint P) const override { return P; }
  TPoint ScreenToClient(TPoint P) const override { return P; }
  TPoint CursorPos() const override { return Mouse; }
  void SetCursor(TCursor Cursor) override { Shown = Cursor; }
  void BoundsChanged(const TRect &) override {}
  void ControlDestroyed() override {}

  int Repaints = 0;
  bool HasFocus = false;
  TPoint Mouse{-1000, -1000};
  TCursor Shown = crDefault;
};

// The tests call RefreshView and OnMouseTimer themselves.
struct TStillTimers : sys::ITimerService {
  sys::TTimerId Start(uint32_t, sys::TTimerCallback) override { return ++Last; }
  bool Kill(sys::TTimerId) override { return true; }
  sys::TTimerId Last = 0;
};
