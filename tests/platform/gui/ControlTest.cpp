#include <QApplication>
#include <QCursor>
#include <QTest>
#include <QWheelEvent>
#include <vector>

#include <gtest/gtest.h>

#include "platform/classlib/ClassBuilder.h"
#include "platform/classlib/Dialogs.h"
#include "platform/classlib/Exceptions.h"
#include "platform/classlib/FormStream.h"
#include "platform/gui/Application.h"
#include "platform/gui/Control.h"
#include "tests/support/Pictures.h"

namespace {

// A window without a window: records what the control asked of it.
class TFakeHost : public IControlHost {
public:
  void InvalidateRect(const TRect *R) override {
    ++Invalidations;
    if (R)
      Rects.push_back(*R);
  }
  bool Focused() const override { return HasFocus; }
  void SetFocus() override { HasFocus = true; }
  TPoint ClientToScreen(TPoint P) const override { return {P.X + Origin.X, P.Y + Origin.Y}; }
  TPoint ScreenToClient(TPoint P) const override { return {P.X - Origin.X, P.Y - Origin.Y}; }
  TPoint CursorPos() const override { return Mouse; }
  void SetCursor(TCursor C) override { Shown = C; }
  void BoundsChanged(const TRect &B) override { Bounds.push_back(B); }
  void ControlDestroyed() override { Destroyed = true; }

  int Invalidations = 0;
  std::vector<TRect> Rects;
  bool HasFocus = false;
  TPoint Origin{100, 50};
  TPoint Mouse{0, 0};
  TCursor Shown = crDefault;
  std::vector<TRect> Bounds;
  bool Destroyed = false;
};

// Records the dynamic methods as a derived control sees them.
class TProbeControl : public TCustomControl {
public:
  using TCustomControl::TCustomControl;
  std::vector<std::string> Calls;
  TColor Fill = clRed;

protected:
  bool DoMouseWheelDown(TShiftState S, TPoint P) override {
    Calls.push_back("down " + std::to_string(P.X) + "," + std::to_string(P.Y));
    return TCustomControl::DoMouseWheelDown(S, P);
  }
  bool DoMouseWheelUp(TShiftState S, TPoint P) override {
    Calls.push_back("up");
    return TCustomControl::DoMouseWheelUp(S, P);
  }
  void CMMouseEnter() override { Calls.push_back("enter"); }
  void CMMouseLeave() override { Calls.push_back("leave"); }
  void WMSetFocus() override { Calls.push_back("focus"); }
  void WMKillFocus() override { Calls.push_back("unfocus"); }
  void Paint(TCanvas *C) override {
    C->Brush()->SetColor(Fill);
    C->FillRect(GetClientRect());
    C->Pen()->SetColor(clWhite);
    C->MoveTo(0, 0);
    C->LineTo(GetWidth(), 0);
  }
};

class TControlTest : public ::testing::Test {
protected:
  void SetUp() override {
    gui::Application();
    Control.SetHost(&Host);
  }
  TFakeHost Host;
  TProbeControl Control{nullptr};
};

TEST_F(TControlTest, HostCarriesInvalidationFocusCursorAndCoordinates) {
  Control.Invalidate();
  Control.InvalidateRect({1, 2, 3, 4});
  EXPECT_EQ(Host.Invalidations, 2);
  ASSERT_EQ(Host.Rects.size(), 1u);
  EXPECT_EQ(Host.Rects[0], (TRect{1, 2, 3, 4}));
  EXPECT_FALSE(Control.Focused());
  Control.SetFocus();
  EXPECT_TRUE(Control.Focused());
  EXPECT_EQ(Control.ScreenToClient({130, 70}), (TPoint{30, 20}));
  EXPECT_EQ(Control.ClientToScreen({0, 0}), (TPoint{100, 50}));
  Host.Mouse = {107, 58};
  EXPECT_EQ(Control.GetCursorPos(), (TPoint{107, 58}));
  EXPECT_EQ(Control.GetClientCursorPos(), (TPoint{7, 8}));
  // The cursor property is remembered; a display cursor only shown.
  Control.SetCursor(crCross);
  Control.SetDisplayCursor(crHandPoint);
  EXPECT_EQ(Host.Shown, crHandPoint);
  EXPECT_EQ(Control.GetCursor(), crCross);
  // Without a window nothing is asked and nothing fails.
  Control.SetHost(nullptr);
  Control.Invalidate();
  EXPECT_EQ(Host.Invalidations, 2);
  EXPECT_FALSE(Control.HandleAllocated());
}

TEST_F(TControlTest, BoundsFromCodeMoveTheWindowButTheWindowsOwnDoNotEcho) {
  Control.SetBounds(100, 97, 505, 304);
  ASSERT_EQ(Host.Bounds.size(), 1u);
  EXPECT_EQ(Host.Bounds[0], (TRect{100, 97, 605, 401}));
  Control.SetBounds(100, 97, 505, 304); // unchanged: no call
  Control.HostBoundsChanged({0, 0, 300, 200});
  EXPECT_EQ(Host.Bounds.size(), 1u);
  EXPECT_EQ(Control.GetWidth(), 300);
  Control.SetWidth(-5);
  EXPECT_EQ(Control.GetWidth(), 0);
  EXPECT_EQ(Control.GetClientRect(), (TRect{0, 0, 0, 200}));
}

TEST_F(TControlTest, MouseEventsAndClicks) {
  std::vector<std::string> Seen;
  Control.OnMouseDown.Fn = [&](TObject *, TMouseButton B, TShiftState S, int32_t X, int32_t Y) {
    Seen.push_back("down " + std::to_string(B) + " " + std::to_string(S) + " " + std::to_string(X) +
                   "," + std::to_string(Y));
  };
  Control.OnMouseUp.Fn = [&](TObject *, TMouseButton, TShiftState, int32_t, int32_t) {
    Seen.push_back("up");
  };
  Control.OnClick.Fn = [&](TObject *) { Seen.push_back("click"); };
  Control.SetBounds(0, 0, 50, 40);
  Control.DispatchMouseDown(mbLeft, ssLeft | ssShift, 10, 12);
  Control.DispatchMouseUp(mbLeft, ssShift, 10, 12);
  // Released outside: no click; a right button never clicks.
  Control.DispatchMouseDown(mbLeft, ssLeft, 10, 12);
  Control.DispatchMouseUp(mbLeft, 0, 60, 12);
  Control.DispatchMouseDown(mbRight, ssRight, 1, 1);
  Control.DispatchMouseUp(mbRight, 0, 1, 1);
  std::vector<std::string> Want{"down 0 9 10,12", "up", "click", "down 0 8 10,12", "up",
                                "down 1 16 1,1",  "up"};
  EXPECT_EQ(Seen, Want);
}

TEST_F(TControlTest, WheelDeltasBecomeNotchesKeepingTheRemainder) {
  struct TCase {
    std::vector<int32_t> Deltas;
    std::vector<std::string> Calls;
  };
  const TCase Cases[] = {
      {{-120}, {"down 5,6"}}, {{120}, {"up"}},
      {{60, 60}, {"up"}},     {{-360}, {"down 5,6", "down 5,6", "down 5,6"}},
      {{40, 40}, {}},         {{-119}, {}},
  };
  for (const TCase &K : Cases) {
    TProbeControl C(nullptr);
    for (int32_t D : K.Deltas)
      C.DispatchMouseWheel(0, D, TPoint{5, 6});
    EXPECT_EQ(C.Calls, K.Calls) << K.Deltas.size();
  }
  // A handler that takes the notch reports it.
  Control.OnMouseWheelDown.Fn = [](TObject *, TShiftState, TPoint, bool &Handled) {
    Handled = true;
  };
  EXPECT_TRUE(Control.DispatchMouseWheel(0, -120, {0, 0}));
  EXPECT_FALSE(Control.DispatchMouseWheel(0, 120, {0, 0}));
}

TEST_F(TControlTest, KeyCharactersReachKeyPressAndMayBeChanged) {
  std::string Keys;
  Control.OnKeyPress.Fn = [&](TObject *, char &Key) {
    Keys += Key;
    Key = 0;
  };
  Control.DispatchKeyPress('+');
  Control.DispatchKeyPress('-');
  EXPECT_EQ(Keys, "+-");
}

TEST_F(TControlTest, BoundsCursorAndSwitchesLoadFromFormText) {
  TCustomControl *C = CreateObject<TCustomControl>(nullptr);
  LoadFormText(C, "object Scope1: TCustomControl\n  Left = 100\n  Top = 97\n  Width = 505\n"
                  "  Height = 304\n  Cursor = crCross\n  TabStop = False\n  Align = alClient\n"
                  "end\n");
  EXPECT_EQ(C->GetLeft(), 100);
  EXPECT_EQ(C->GetTop(), 97);
  EXPECT_EQ(C->GetWidth(), 505);
  EXPECT_EQ(C->GetHeight(), 304);
  EXPECT_EQ(C->GetCursor(), crCross);
  EXPECT_EQ(C->GetAlign(), alClient);
  std::string Text = WriteFormText(C);
  EXPECT_NE(Text.find("Cursor = crCross"), std::string::npos) << Text;
  EXPECT_THROW(LoadFormText(C, "object Scope1: TCustomControl\n  Cursor = crTeapot\nend\n"),
               EReadError);
  FreeObject(C);
}

TEST(ControlWidgetTest, TheWidgetShowsThePictureAndFeedsInput) {
  gui::Application();
  TProbeControl Control(nullptr);
  Control.SetBounds(0, 0, 40, 30);
  Control.SetTabStop(true);
  {
    TControlWidget W(&Control);
    EXPECT_EQ(Control.GetHost(), &W);
    EXPECT_EQ(W.width(), 40);
    W.resize(60, 20);
    EXPECT_EQ(Control.GetWidth(), 60);
    Control.SetBounds(0, 0, 32, 24);
    EXPECT_EQ(W.size(), QSize(32, 24));

    // The picture: red with a white top row, the last pixel of the line left out.
    TExpectedPicture E(32, 24, clRed);
    E.HLine(0, 31, 0, clWhite);
    EXPECT_TRUE(PicturesEqual(W.grab().toImage().convertToFormat(QImage::Format_RGB32), E.Image(),
                              "control-widget"));

    std::string Keys;
    Control.OnKeyPress.Fn = [&](TObject *, char &Key) { Keys += Key; };
    int Clicks = 0;
    Control.OnClick.Fn = [&](TObject *) { ++Clicks; };
    W.show();
    QTest::keyClicks(&W, "+-");
    QTest::mouseClick(&W, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_EQ(Keys, "+-");
    EXPECT_EQ(Clicks, 1);
    QWheelEvent Wheel(QPointF(5, 5), QPointF(W.mapToGlobal(QPoint(5, 5))), QPoint(),
                      QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&W, &Wheel);
    QPoint G = W.mapToGlobal(QPoint(5, 5));
    EXPECT_EQ(Control.Calls.back(), "down " + std::to_string(G.x()) + "," + std::to_string(G.y()));
  }
  // The widget went first: the control no longer has a window.
  EXPECT_FALSE(Control.HandleAllocated());
}

// Presses, moves and releases with their buttons and modifiers, enter and
// leave, and the pointer shapes, through Qt's own events.
TEST(ControlWidgetTest, MouseInputAndPointerShapesGoThroughTheWidget) {
  gui::Application();
  TProbeControl Control(nullptr);
  Control.SetBounds(0, 0, 40, 30);
  std::vector<std::string> Seen;
  auto Text = [](TShiftState S, int32_t X, int32_t Y) {
    return std::to_string(S) + " " + std::to_string(X) + "," + std::to_string(Y);
  };
  Control.OnMouseDown.Fn = [&](TObject *, TMouseButton B, TShiftState S, int32_t X, int32_t Y) {
    Seen.push_back("down " + std::to_string(B) + " " + Text(S, X, Y));
  };
  Control.OnMouseMove.Fn = [&](TObject *, TShiftState S, int32_t X, int32_t Y) {
    Seen.push_back("move " + Text(S, X, Y));
  };
  Control.OnMouseUp.Fn = [&](TObject *, TMouseButton B, TShiftState S, int32_t X, int32_t Y) {
    Seen.push_back("up " + std::to_string(B) + " " + Text(S, X, Y));
  };
  TControlWidget W(&Control);
  W.show();
  QTest::mousePress(&W, Qt::LeftButton, Qt::ShiftModifier, QPoint(5, 6));
  QMouseEvent Move(QEvent::MouseMove, QPointF(9, 7), QPointF(W.mapToGlobal(QPoint(9, 7))),
                   Qt::NoButton, Qt::LeftButton, Qt::ShiftModifier);
  QApplication::sendEvent(&W, &Move);
  QTest::mouseRelease(&W, Qt::LeftButton, Qt::NoModifier, QPoint(9, 7));
  QTest::mouseClick(&W, Qt::RightButton, Qt::ControlModifier, QPoint(1, 2));
  std::vector<std::string> Want{"down 0 9 5,6", "move 9 9,7", "up 0 0 9,7", "down 1 20 1,2",
                                "up 1 4 1,2"};
  EXPECT_EQ(Seen, Want);

  QEnterEvent Enter(QPointF(3, 3), QPointF(3, 3), QPointF(W.mapToGlobal(QPoint(3, 3))));
  QApplication::sendEvent(&W, &Enter);
  QEvent Leave(QEvent::Leave);
  QApplication::sendEvent(&W, &Leave);
  ASSERT_GE(Control.Calls.size(), 2u);
  EXPECT_EQ(Control.Calls[Control.Calls.size() - 2], "enter");
  EXPECT_EQ(Control.Calls.back(), "leave");

  const std::pair<TCursor, Qt::CursorShape> Shapes[] = {
      {crHandPoint, Qt::PointingHandCursor}, {crCross, Qt::CrossCursor},
      {crSizeWE, Qt::SizeHorCursor},         {crSizeNS, Qt::SizeVerCursor},
      {crDefault, Qt::ArrowCursor},
  };
  for (const auto &[Cursor, Shape] : Shapes) {
    Control.SetDisplayCursor(Cursor);
    EXPECT_EQ(W.cursor().shape(), Shape) << Cursor;
  }
  // The control's own cursor comes back after a shown one.
  Control.SetCursor(crCross);
  Control.SetDisplayCursor(crHandPoint);
  Control.SetDisplayCursor(Control.GetCursor());
  EXPECT_EQ(W.cursor().shape(), Qt::CrossCursor);
  // In client coordinates, wherever the widget is.
  QPoint Global = QCursor::pos();
  QPoint Local = W.mapFromGlobal(Global);
  EXPECT_EQ(Control.GetClientCursorPos(), (TPoint{Local.x(), Local.y()}));
}

// An action started by a press or a release that fails (a save to an
// unwritable file) is shown as an error and never reaches Qt's event loop.
TEST(ControlWidgetTest, FailuresOfPressesAndReleasesAreShown) {
  gui::Application();
  TProbeControl Control(nullptr);
  Control.SetBounds(0, 0, 40, 30);
  Control.OnMouseDown.Fn = [](TObject *, TMouseButton, TShiftState, int32_t, int32_t) {
    throw Exception("press failed");
  };
  Control.OnMouseUp.Fn = [](TObject *, TMouseButton, TShiftState, int32_t, int32_t) {
    throw Exception("release failed");
  };
  TScriptedDialogs Dialogs;
  TControlWidget W(&Control);
  W.show();
  QTest::mousePress(&W, Qt::LeftButton, Qt::NoModifier, QPoint(5, 6));
  QTest::mouseRelease(&W, Qt::LeftButton, Qt::NoModifier, QPoint(5, 6));
  EXPECT_EQ(Dialogs.Texts(), (std::vector<std::string>{"press failed", "release failed"}));
}

// A control with a picture of its own paints into it and the window shows it
// as it stands, without painting through a canvas of its own.
class TOwnPictureControl : public TCustomControl {
public:
  using TCustomControl::TCustomControl;
  int OwnPaints = 0, WindowPaints = 0;
  QImage Picture;

  const QImage *PaintOwnPicture(const TRegion &) override {
    ++OwnPaints;
    Picture = QImage(GetWidth(), GetHeight(), QImage::Format_RGB32);
    Picture.fill(0xFF0000FFu);
    Picture.setPixel(3, 2, 0xFFFFFF00u);
    return &Picture;
  }
  void PaintWindow(TCanvas *DC, const TRegion &Update) override {
    ++WindowPaints;
    TCustomControl::PaintWindow(DC, Update);
  }
};

TEST(ControlWidgetTest, AControlsOwnPictureIsShownAsItStands) {
  gui::Application();
  TOwnPictureControl Control(nullptr);
  Control.SetBounds(0, 0, 12, 8);
  TControlWidget W(&Control);
  TExpectedPicture E(12, 8, clBlue);
  E.Pixel(3, 2, clYellow);
  EXPECT_TRUE(PicturesEqual(W.grab().toImage().convertToFormat(QImage::Format_RGB32), E.Image(),
                            "control-own-picture"));
  EXPECT_GE(Control.OwnPaints, 1);
  EXPECT_EQ(Control.WindowPaints, 0);
}

TEST(ControlWidgetTest, AControlDestroyedFirstLeavesTheWidgetInert) {
  gui::Application();
  auto Control = std::make_unique<TProbeControl>(nullptr);
  Control->SetBounds(0, 0, 10, 10);
  TControlWidget W(Control.get());
  Control.reset();
  // Painting and input now reach nothing.
  QImage Shot = W.grab().toImage();
  EXPECT_EQ(Shot.width(), 10);
  QTest::mouseClick(&W, Qt::LeftButton);
}

} // namespace
