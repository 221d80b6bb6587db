#include "platform/gui/Control.h"

#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>

#include "platform/classlib/ClassBuilder.h"
#include "platform/classlib/Exceptions.h"
#include "platform/classlib/FormStream.h"
#include "platform/gui/Application.h"
#include "platform/sys/ScopeExit.h"

const TClassInfo &TCustomControl::StaticClassInfo() {
  using C = TCustomControl;
  static const TClassInfo &info =
      MakeClassInfo<C>("TCustomControl", &TComponent::StaticClassInfo(), [](TClassBuilder<C> &c) {
        c.Integer("Left", &C::GetLeft, &C::SetLeft);
        c.Integer("Top", &C::GetTop, &C::SetTop);
        c.Integer("Width", &C::GetWidth, &C::SetWidth);
        c.Integer("Height", &C::GetHeight, &C::SetHeight);
        c.Enumeration("Align", &C::GetAlign, &C::SetAlign,
                      {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient", "alCustom"},
                      alNone);
        c.Boolean("Visible", &C::GetVisible, &C::SetVisible, true);
        c.Boolean("TabStop", &C::GetTabStop, &C::SetTabStop, false);
        c.Event("OnMouseDown", &C::OnMouseDown);
        c.Event("OnMouseMove", &C::OnMouseMove);
        c.Event("OnMouseUp", &C::OnMouseUp);
        c.Event("OnClick", &C::OnClick);
        c.Event("OnKeyPress", &C::OnKeyPress);
      });
  return info;
}

namespace {

struct TCursorName {
  TCursor Cursor;
  const char *Name;
};

const TCursorName CursorNames[] = {
    {crDefault, "crDefault"},     {crNone, "crNone"},           {crArrow, "crArrow"},
    {crCross, "crCross"},         {crIBeam, "crIBeam"},         {crSizeNESW, "crSizeNESW"},
    {crSizeNS, "crSizeNS"},       {crSizeNWSE, "crSizeNWSE"},   {crSizeWE, "crSizeWE"},
    {crUpArrow, "crUpArrow"},     {crHourGlass, "crHourGlass"}, {crDrag, "crDrag"},
    {crNoDrop, "crNoDrop"},       {crHSplit, "crHSplit"},       {crVSplit, "crVSplit"},
    {crMultiDrag, "crMultiDrag"}, {crSQLWait, "crSQLWait"},     {crNo, "crNo"},
    {crAppStart, "crAppStart"},   {crHelp, "crHelp"},           {crHandPoint, "crHandPoint"},
    {crSizeAll, "crSizeAll"},
};

} // namespace

bool IdentToCursor(const std::string &Ident, TCursor &Cursor) {
  for (const TCursorName &N : CursorNames)
    if (Ident == N.Name) {
      Cursor = N.Cursor;
      return true;
    }
  return false;
}

bool CursorToIdent(TCursor Cursor, std::string &Ident) {
  for (const TCursorName &N : CursorNames)
    if (Cursor == N.Cursor) {
      Ident = N.Name;
      return true;
    }
  return false;
}

void DefineCursorProperty(TFiler *Filer, const std::string &Name, std::function<TCursor()> Get,
                          std::function<void(TCursor)> Set, bool Stored) {
  Filer->DefineProperty(
      Name,
      [Set](TReader *R) {
        if (R->NextValue() == vaIdent) {
          std::string Ident = R->ReadIdent();
          TCursor C = crDefault;
          if (!IdentToCursor(Ident, C))
            throw EReadError("Invalid property value " + Ident);
          Set(C);
        } else {
          Set(static_cast<TCursor>(R->ReadInteger()));
        }
      },
      [Get](TWriter *W) {
        std::string Ident;
        if (CursorToIdent(Get(), Ident))
          W->WriteIdent(Ident);
        else
          W->WriteInteger(Get());
      },
      Stored);
}

void TCustomControl::DefineProperties(TFiler *Filer) {
  TComponent::DefineProperties(Filer);
  DefineCursorProperty(
      Filer, "Cursor", [this] { return cursor_; }, [this](TCursor C) { SetCursor(C); },
      cursor_ != crDefault);
}

TCustomControl::TCustomControl(TComponent *Owner)
    : TComponent(Owner), loop_(mainloop::TMainLoop::Main()), target_(loop_.AddTarget()) {}

TCustomControl::~TCustomControl() {
  // Drops a repaint posted from another thread and not yet run.
  loop_.RemoveTarget(target_);
  if (host_)
    host_->ControlDestroyed();
}

void TCustomControl::SetHost(IControlHost *Host) { host_ = Host; }

void TCustomControl::SetBounds(int32_t Left, int32_t Top, int32_t Width, int32_t Height) {
  TRect B{Left, Top, Left + std::max(Width, 0), Top + std::max(Height, 0)};
  if (B == bounds_)
    return;
  bounds_ = B;
  if (host_ && !settingFromHost_)
    host_->BoundsChanged(bounds_);
}

void TCustomControl::HostBoundsChanged(const TRect &Bounds) {
  settingFromHost_ = true;
  sys::TScopeExit done([this] { settingFromHost_ = false; });
  SetBounds(Bounds.Left, Bounds.Top, Bounds.Width(), Bounds.Height());
}

void TCustomControl::SetVisible(bool Value) {
  if (Value == visible_)
    return;
  visible_ = Value;
  Invalidate();
}

void TCustomControl::SetCursor(TCursor Value) {
  cursor_ = Value;
  SetDisplayCursor(Value);
}

void TCustomControl::SetDisplayCursor(TCursor Value) {
  if (host_)
    host_->SetCursor(Value);
}

void TCustomControl::SetFocus() {
  if (host_)
    host_->SetFocus();
}

TPoint TCustomControl::GetCursorPos() const {
  return host_ ? host_->CursorPos() : TPoint{-1000000, -1000000};
}

TPoint TCustomControl::GetClientCursorPos() const {
  return host_ ? host_->ScreenToClient(host_->CursorPos()) : TPoint{-1000000, -1000000};
}

void TCustomControl::Invalidate() {
  if (loop_.IsMainThread()) {
    if (host_)
      host_->InvalidateRect(nullptr);
    return;
  }
  // The window belongs to the main thread: ask it once, however many
  // deliveries come before it gets round to it.
  if (!invalidatePending_.exchange(true))
    if (!loop_.Post(target_, [this] { RepaintFromPost(); }))
      invalidatePending_ = false;
}

void TCustomControl::RepaintFromPost() {
  invalidatePending_ = false;
  if (host_)
    host_->InvalidateRect(nullptr);
}

void TCustomControl::InvalidateRect(const TRect &R) {
  if (host_)
    host_->InvalidateRect(&R);
}

const QImage *TCustomControl::PaintOwnPicture(const TRegion &) { return nullptr; }

void TCustomControl::PaintWindow(TCanvas *DC, const TRegion &Update) {
  DC->SelectClipRgn(&Update);
  Paint(DC);
  DC->SelectClipRgn(nullptr);
}

void TCustomControl::DispatchMouseDown(TMouseButton Button, TShiftState Shift, int32_t X,
                                       int32_t Y) {
  if (Button == mbLeft)
    pressed_ = true;
  MouseDown(Button, Shift, X, Y);
}

void TCustomControl::DispatchMouseMove(TShiftState Shift, int32_t X, int32_t Y) {
  MouseMove(Shift, X, Y);
}

void TCustomControl::DispatchMouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  bool WasPressed = pressed_ && Button == mbLeft;
  if (Button == mbLeft)
    pressed_ = false;
  MouseUp(Button, Shift, X, Y);
  // A click is a left press and release inside the control.
  if (WasPressed && PtInRect(GetClientRect(), TPoint{X, Y}))
    Click();
}

bool TCustomControl::DispatchMouseWheel(TShiftState Shift, int32_t Delta, TPoint ScreenPos) {
  bool Handled = false;
  // Sums in 64 bits: a stuck wheel cannot overflow the remainder.
  int64_t Sum = int64_t(wheelAccumulator_) + Delta;
  while (Sum >= WHEEL_DELTA) {
    Sum -= WHEEL_DELTA;
    Handled = DoMouseWheelUp(Shift, ScreenPos) || Handled;
  }
  while (Sum <= -WHEEL_DELTA) {
    Sum += WHEEL_DELTA;
    Handled = DoMouseWheelDown(Shift, ScreenPos) || Handled;
  }
  wheelAccumulator_ = static_cast<int32_t>(Sum);
  return Handled;
}

void TCustomControl::DispatchKeyPress(char Key) { KeyPress(Key); }

void TCustomControl::MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  if (OnMouseDown)
    OnMouseDown(this, Button, Shift, X, Y);
}

void TCustomControl::MouseMove(TShiftState Shift, int32_t X, int32_t Y) {
  if (OnMouseMove)
    OnMouseMove(this, Shift, X, Y);
}

void TCustomControl::MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  if (OnMouseUp)
    OnMouseUp(this, Button, Shift, X, Y);
}

void TCustomControl::Click() {
  if (OnClick)
    OnClick(this);
}

bool TCustomControl::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
  bool Handled = false;
  if (OnMouseWheelDown)
    OnMouseWheelDown(this, Shift, MousePos, Handled);
  return Handled;
}

bool TCustomControl::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
  bool Handled = false;
  if (OnMouseWheelUp)
    OnMouseWheelUp(this, Shift, MousePos, Handled);
  return Handled;
}

void TCustomControl::KeyPress(char &Key) {
  if (OnKeyPress)
    OnKeyPress(this, Key);
}

// The Qt host --------------------------------------------------------------------

namespace {

TShiftState ShiftOf(Qt::KeyboardModifiers Mods, Qt::MouseButtons Buttons) {
  TShiftState S = 0;
  if (Mods & Qt::ShiftModifier)
    S |= ssShift;
  if (Mods & Qt::AltModifier)
    S |= ssAlt;
  if (Mods & Qt::ControlModifier)
    S |= ssCtrl;
  if (Buttons & Qt::LeftButton)
    S |= ssLeft;
  if (Buttons & Qt::RightButton)
    S |= ssRight;
  if (Buttons & Qt::MiddleButton)
    S |= ssMiddle;
  return S;
}

bool ButtonOf(Qt::MouseButton B, TMouseButton &Out) {
  switch (B) {
  case Qt::LeftButton:
    Out = mbLeft;
    return true;
  case Qt::RightButton:
    Out = mbRight;
    return true;
  case Qt::MiddleButton:
    Out = mbMiddle;
    return true;
  default:
    return false;
  }
}

Qt::CursorShape ShapeOf(TCursor C) {
  switch (C) {
  case crNone:
    return Qt::BlankCursor;
  case crCross:
    return Qt::CrossCursor;
  case crIBeam:
    return Qt::IBeamCursor;
  case crSizeNESW:
    return Qt::SizeBDiagCursor;
  case crSizeNS:
  case crVSplit:
    return Qt::SizeVerCursor;
  case crSizeNWSE:
    return Qt::SizeFDiagCursor;
  case crSizeWE:
  case crHSplit:
    return Qt::SizeHorCursor;
  case crUpArrow:
    return Qt::UpArrowCursor;
  case crHourGlass:
  case crSQLWait:
    return Qt::WaitCursor;
  case crDrag:
  case crMultiDrag:
    return Qt::DragMoveCursor;
  case crNoDrop:
  case crNo:
    return Qt::ForbiddenCursor;
  case crAppStart:
    return Qt::BusyCursor;
  case crHelp:
    return Qt::WhatsThisCursor;
  case crHandPoint:
    return Qt::PointingHandCursor;
  case crSizeAll:
    return Qt::SizeAllCursor;
  default:
    return Qt::ArrowCursor;
  }
}

} // namespace

TControlWidget::TControlWidget(TCustomControl *Control, QWidget *Parent)
    : QWidget(Parent), control_(Control) {
  setMouseTracking(true);
  // Every pixel comes from the control's picture: Qt need not clear first.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Control->GetTabStop() ? Qt::StrongFocus : Qt::ClickFocus);
  setGeometry(Control->GetLeft(), Control->GetTop(), Control->GetWidth(), Control->GetHeight());
  setVisible(Control->GetVisible());
  control_->SetHost(this);
  setCursor(ShapeOf(Control->GetCursor()));
}

TControlWidget::~TControlWidget() {
  if (control_)
    control_->SetHost(nullptr);
}

void TControlWidget::InvalidateRect(const TRect *R) {
  if (R)
    update(R->Left, R->Top, R->Width(), R->Height());
  else
    update();
}

TPoint TControlWidget::ClientToScreen(TPoint P) const {
  QPoint Q = mapToGlobal(QPoint(P.X, P.Y));
  return TPoint{Q.x(), Q.y()};
}

TPoint TControlWidget::ScreenToClient(TPoint P) const {
  QPoint Q = mapFromGlobal(QPoint(P.X, P.Y));
  return TPoint{Q.x(), Q.y()};
}

TPoint TControlWidget::CursorPos() const {
  QPoint Q = QCursor::pos();
  return TPoint{Q.x(), Q.y()};
}

void TControlWidget::SetCursor(TCursor Cursor) { setCursor(ShapeOf(Cursor)); }

void TControlWidget::BoundsChanged(const TRect &Bounds) {
  setGeometry(Bounds.Left, Bounds.Top, Bounds.Width(), Bounds.Height());
}

void TControlWidget::SyncBounds() {
  if (control_)
    control_->HostBoundsChanged(TRect{x(), y(), x() + width(), y() + height()});
}

void TControlWidget::paintEvent(QPaintEvent *Event) {
  if (!control_)
    return;
  if (const QImage *Own = control_->PaintOwnPicture(TRegion(Event->region()))) {
    QPainter P(this);
    P.drawImage(Event->rect(), *Own, Event->rect());
    return;
  }
  if (surface_.size() != size())
    surface_ = QImage(size(), QImage::Format_RGB32);
  if (surface_.isNull())
    return;
  {
    TCanvas DC(&surface_);
    control_->PaintWindow(&DC, TRegion(Event->region()));
  }
  QPainter P(this);
  P.drawImage(Event->rect(), surface_, Event->rect());
}

void TControlWidget::resizeEvent(QResizeEvent *) { SyncBounds(); }
void TControlWidget::moveEvent(QMoveEvent *) { SyncBounds(); }

// A press or release may start an action that fails (a save to an
// unwritable file): the failure is shown and goes no further, as Qt's event
// loop must not see it.
void TControlWidget::mousePressEvent(QMouseEvent *Event) {
  TMouseButton B;
  if (control_ && ButtonOf(Event->button(), B))
    gui::Guarded([&] {
      control_->DispatchMouseDown(B, ShiftOf(Event->modifiers(), Event->buttons()),
                                  Event->position().toPoint().x(), Event->position().toPoint().y());
    });
}

void TControlWidget::mouseMoveEvent(QMouseEvent *Event) {
  if (control_)
    control_->DispatchMouseMove(ShiftOf(Event->modifiers(), Event->buttons()),
                                Event->position().toPoint().x(), Event->position().toPoint().y());
}

void TControlWidget::mouseReleaseEvent(QMouseEvent *Event) {
  TMouseButton B;
  if (control_ && ButtonOf(Event->button(), B))
    gui::Guarded([&] {
      control_->DispatchMouseUp(B, ShiftOf(Event->modifiers(), Event->buttons()),
                                Event->position().toPoint().x(), Event->position().toPoint().y());
    });
}

void TControlWidget::wheelEvent(QWheelEvent *Event) {
  if (!control_)
    return;
  QPoint G = Event->globalPosition().toPoint();
  bool Handled = control_->DispatchMouseWheel(ShiftOf(Event->modifiers(), Event->buttons()),
                                              Event->angleDelta().y(), TPoint{G.x(), G.y()});
  Event->setAccepted(Handled);
}

void TControlWidget::keyPressEvent(QKeyEvent *Event) {
  if (!control_)
    return;
  QByteArray Text = Event->text().toLatin1();
  for (char Ch : Text)
    control_->DispatchKeyPress(Ch);
}

void TControlWidget::enterEvent(QEnterEvent *) {
  if (control_)
    control_->DispatchMouseEnter();
}

void TControlWidget::leaveEvent(QEvent *) {
  if (control_)
    control_->DispatchMouseLeave();
}

void TControlWidget::focusInEvent(QFocusEvent *) {
  if (control_)
    control_->DispatchFocus(true);
}

void TControlWidget::focusOutEvent(QFocusEvent *) {
  if (control_)
    control_->DispatchFocus(false);
}
