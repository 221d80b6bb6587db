// The base of self-drawn controls (the scope, the recorder's own drawn
// parts): a component with bounds, a cursor, focus, mouse and key input and
// painting, that talks to its window only through a host interface, so it
// runs and is tested without a widget. TControlWidget is the thin QWidget
// host of the program.
//
// Threads: everything runs on the main thread except Invalidate, which any
// thread may call: off the main thread it sets an atomic flag and posts one
// repaint request through platform/mainloop (further calls before it runs
// add nothing). The post is dropped when the control is destroyed first.
#pragma once

#include <QImage>
#include <QWidget>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/classlib/Component.h"
#include "platform/gui/Canvas.h"
#include "platform/gui/NotifyEvent.h"
#include "platform/mainloop/MainLoop.h"

enum TMouseButton : uint8_t { mbLeft, mbRight, mbMiddle };

// Which modifier keys and buttons are down.
using TShiftState = uint16_t;
constexpr TShiftState ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32,
                      ssDouble = 64;

// The class library's cursor numbers.
using TCursor = int16_t;
constexpr TCursor crDefault = 0, crNone = -1, crArrow = -2, crCross = -3, crIBeam = -4,
                  crSizeNESW = -6, crSizeNS = -7, crSizeNWSE = -8, crSizeWE = -9, crUpArrow = -10,
                  crHourGlass = -11, crDrag = -12, crNoDrop = -13, crHSplit = -14, crVSplit = -15,
                  crMultiDrag = -16, crSQLWait = -17, crNo = -18, crAppStart = -19, crHelp = -20,
                  crHandPoint = -21, crSizeAll = -22;

// The cursor names of form texts ("crDefault", "crCross"...), both ways.
bool IdentToCursor(const std::string &Ident, TCursor &Cursor);
bool CursorToIdent(TCursor Cursor, std::string &Ident);
// Declares a cursor property in DefineProperties: read as a name or a
// number, written as a name when the cursor has one; written only when
// Stored.
void DefineCursorProperty(TFiler *Filer, const std::string &Name, std::function<TCursor()> Get,
                          std::function<void(TCursor)> Set, bool Stored);

enum TAlign : uint8_t { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };

// One notch of a mouse wheel in the platform's delta units.
constexpr int32_t WHEEL_DELTA = 120;

// What a control needs of its window. Main thread only.
class IControlHost {
public:
  virtual ~IControlHost() = default;
  // Schedules a repaint of R (client pixels), or of everything for nullptr.
  virtual void InvalidateRect(const TRect *R) = 0;
  virtual bool Focused() const = 0;
  virtual void SetFocus() = 0;
  virtual TPoint ClientToScreen(TPoint P) const = 0;
  virtual TPoint ScreenToClient(TPoint P) const = 0;
  // The mouse position in screen coordinates.
  virtual TPoint CursorPos() const = 0;
  virtual void SetCursor(TCursor Cursor) = 0;
  // The control moved or changed size from code.
  virtual void BoundsChanged(const TRect &Bounds) = 0;
  // The control is going; the host must not call it any more.
  virtual void ControlDestroyed() = 0;
};

using TMouseEvent =
    TEvent<void(TObject *Sender, TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y)>;
using TMouseMoveEvent = TEvent<void(TObject *Sender, TShiftState Shift, int32_t X, int32_t Y)>;
using TKeyPressEvent = TEvent<void(TObject *Sender, char &Key)>;
using TMouseWheelUpDownEvent =
    TEvent<void(TObject *Sender, TShiftState Shift, TPoint MousePos, bool &Handled)>;

class TCustomControl : public TComponent {
  CLASSLIB_CLASS(TCustomControl)

public:
  explicit TCustomControl(TComponent *Owner);
  ~TCustomControl() override;

  // Cursor, by name or number.
  void DefineProperties(TFiler *Filer) override;

  // The window; nullptr detaches it. Not owned.
  void SetHost(IControlHost *Host);
  IControlHost *GetHost() const { return host_; }
  // A window exists.
  bool HandleAllocated() const { return host_ != nullptr; }

  int32_t GetLeft() const { return bounds_.Left; }
  int32_t GetTop() const { return bounds_.Top; }
  int32_t GetWidth() const { return bounds_.Width(); }
  int32_t GetHeight() const { return bounds_.Height(); }
  void SetLeft(int32_t Value) { SetBounds(Value, GetTop(), GetWidth(), GetHeight()); }
  void SetTop(int32_t Value) { SetBounds(GetLeft(), Value, GetWidth(), GetHeight()); }
  void SetWidth(int32_t Value) { SetBounds(GetLeft(), GetTop(), Value, GetHeight()); }
  void SetHeight(int32_t Value) { SetBounds(GetLeft(), GetTop(), GetWidth(), Value); }
  // Negative sizes count as 0. Tells the host unless the host asked.
  virtual void SetBounds(int32_t Left, int32_t Top, int32_t Width, int32_t Height);
  // The window changed size or place: SetBounds without telling it back.
  void HostBoundsChanged(const TRect &Bounds);
  TRect GetClientRect() const { return TRect{0, 0, GetWidth(), GetHeight()}; }

  bool GetVisible() const { return visible_; }
  virtual void SetVisible(bool Value);
  bool GetTabStop() const { return tabStop_; }
  void SetTabStop(bool Value) { tabStop_ = Value; }
  TAlign GetAlign() const { return align_; }
  void SetAlign(TAlign Value) { align_ = Value; }

  // The control's cursor, shown while the mouse is over it.
  TCursor GetCursor() const { return cursor_; }
  virtual void SetCursor(TCursor Value);
  // Shows a cursor without making it the control's own.
  void SetDisplayCursor(TCursor Value);

  bool Focused() const { return host_ && host_->Focused(); }
  void SetFocus();
  TPoint ScreenToClient(TPoint P) const { return host_ ? host_->ScreenToClient(P) : P; }
  TPoint ClientToScreen(TPoint P) const { return host_ ? host_->ClientToScreen(P) : P; }
  // The mouse in screen coordinates; (-1000000, -1000000) without a window.
  TPoint GetCursorPos() const;
  // The mouse in client coordinates (far outside without a window).
  TPoint GetClientCursorPos() const;

  // Repaints the whole control. Any thread (see the file comment).
  virtual void Invalidate();
  // Main thread.
  void InvalidateRect(const TRect &R);
  // Repaint requests posted from other threads and not yet run.
  bool InvalidatePending() const { return invalidatePending_.load(); }

  // The window asks for its picture: paint Update (client pixels) into DC,
  // which covers the client area. The base calls Paint with the canvas.
  virtual void PaintWindow(TCanvas *DC, const TRegion &Update);
  // A control that keeps its own picture paints Update into it and hands it
  // over, and the window shows it as it stands, without a copy through DC;
  // nullptr (the base) has the window paint through PaintWindow.
  virtual const QImage *PaintOwnPicture(const TRegion &Update);

  // Input from the window, in client coordinates (the wheel in screen
  // coordinates, as the platform gives it).
  void DispatchMouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y);
  void DispatchMouseMove(TShiftState Shift, int32_t X, int32_t Y);
  void DispatchMouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y);
  // Delta in WHEEL_DELTA units per notch, positive away from the user; a
  // high-resolution wheel's partial notches add up. Returns whether a
  // handler took the notches.
  bool DispatchMouseWheel(TShiftState Shift, int32_t Delta, TPoint ScreenPos);
  void DispatchKeyPress(char Key);
  void DispatchMouseEnter() { CMMouseEnter(); }
  void DispatchMouseLeave() { CMMouseLeave(); }
  void DispatchFocus(bool Focused) {
    if (Focused)
      WMSetFocus();
    else
      WMKillFocus();
  }

  TMouseEvent OnMouseDown;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseUp;
  TNotifyEvent OnClick;
  TKeyPressEvent OnKeyPress;
  TMouseWheelUpDownEvent OnMouseWheelDown;
  TMouseWheelUpDownEvent OnMouseWheelUp;

protected:
  // The class library's dynamic methods: the base raises the events.
  virtual void MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y);
  virtual void MouseMove(TShiftState Shift, int32_t X, int32_t Y);
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y);
  virtual void Click();
  virtual bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos);
  virtual bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos);
  virtual void KeyPress(char &Key);
  virtual void CMMouseEnter() {}
  virtual void CMMouseLeave() {}
  virtual void WMSetFocus() {}
  virtual void WMKillFocus() {}
  virtual void Paint(TCanvas *) {}

private:
  void RepaintFromPost();

  IControlHost *host_ = nullptr;
  TRect bounds_;
  bool visible_ = true;
  bool tabStop_ = false;
  TAlign align_ = alNone;
  TCursor cursor_ = crDefault;
  bool settingFromHost_ = false;
  int32_t wheelAccumulator_ = 0;
  bool pressed_ = false;
  std::atomic<bool> invalidatePending_{false};
  mainloop::TMainLoop &loop_;
  const mainloop::TTargetId target_;
};

// The program's host: a QWidget that paints the control's picture and feeds
// it Qt's input. Created with the control and a parent widget; the control
// is not owned.
class TControlWidget final : public QWidget, public IControlHost {
public:
  explicit TControlWidget(TCustomControl *Control, QWidget *Parent = nullptr);
  ~TControlWidget() override;

  void InvalidateRect(const TRect *R) override;
  bool Focused() const override { return hasFocus(); }
  void SetFocus() override { setFocus(Qt::MouseFocusReason); }
  TPoint ClientToScreen(TPoint P) const override;
  TPoint ScreenToClient(TPoint P) const override;
  TPoint CursorPos() const override;
  void SetCursor(TCursor Cursor) override;
  void BoundsChanged(const TRect &Bounds) override;
  void ControlDestroyed() override { control_ = nullptr; }

protected:
  void paintEvent(QPaintEvent *Event) override;
  void resizeEvent(QResizeEvent *Event) override;
  void moveEvent(QMoveEvent *Event) override;
  void mousePressEvent(QMouseEvent *Event) override;
  void mouseMoveEvent(QMouseEvent *Event) override;
  void mouseReleaseEvent(QMouseEvent *Event) override;
  void wheelEvent(QWheelEvent *Event) override;
  void keyPressEvent(QKeyEvent *Event) override;
  void enterEvent(QEnterEvent *Event) override;
  void leaveEvent(QEvent *Event) override;
  void focusInEvent(QFocusEvent *Event) override;
  void focusOutEvent(QFocusEvent *Event) override;

private:
  void SyncBounds();
  TCustomControl *control_;
  QImage surface_;
};
