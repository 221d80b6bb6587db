#pragma once
// A scope control's surroundings without a screen: a window that counts
// repaint requests and keeps the mouse where a test puts it (screen and
// client coordinates coincide), timers that never fire by themselves, and a
// scope hosted on such a window.

#include <QImage>

#include "platform/gui/Canvas.h"
#include "platform/gui/Control.h"
#include "platform/gui/Timers.h"
#include "scope/SLScopeControl.h"

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

// A scope on a TFakeWindow, its texts in fixed cells 6 pixels wide, its
// timers on the given service; it leaves the window before it goes.
struct THostedScope {
  explicit THostedScope(sys::ITimerService &Timers) : TimerScope{Timers} {
    Scope->SetHost(&Window);
    Scope->GetBitmap()->Canvas()->SetTextRenderer(&Text);
  }
  ~THostedScope() { Scope->SetHost(nullptr); }
  THostedScope(const THostedScope &) = delete;
  THostedScope &operator=(const THostedScope &) = delete;

  gui::TScopedWindowTimerService TimerScope;
  TFixedTextRenderer Text{6, 10, 3};
  TFakeWindow Window;
  TOwnedPtr<TSLScope> Scope{CreateObject<TSLScope>(nullptr)};
};

// The window's paint of the whole control; texts through Text where given,
// else through the canvas's own renderer.
inline QImage PaintControl(TSLScope *Scope, ITextRenderer *Text = nullptr) {
  QImage Image(Scope->GetWidth(), Scope->GetHeight(), QImage::Format_RGB32);
  Image.fill(0xFF123456u);
  TCanvas Canvas(&Image);
  if (Text != nullptr)
    Canvas.SetTextRenderer(Text);
  Scope->PaintWindow(&Canvas, TRegion(Scope->GetClientRect()));
  Canvas.Flush();
  return Image;
}

// A pixel as a colour of the class library (0x00BBGGRR).
inline TColor PixelColor(const QImage &Image, int X, int Y) {
  const QRgb P = Image.pixel(X, Y);
  return TColor(qRed(P) | qGreen(P) << 8 | qBlue(P) << 16);
}
