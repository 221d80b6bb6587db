#pragma once
// The rectangular views the scope control is divided into (title, legend,
// axes, data view) and the ordered list that owns them. The control's layout
// pass asks each view for its alignment, size and margins and writes its
// rectangle; the paint pass asks it to draw; every mouse event goes to every
// view, which decides from the coordinates. Main thread only.

#include <algorithm>
#include <cstdint>

#include "platform/classlib/Lists.h"
#include "platform/classlib/Persistent.h"
#include "platform/gui/Canvas.h"
#include "platform/gui/Control.h"
#include "scope/SLScope_hosts.h"

enum TSLDisplayDrawPart : uint8_t { ddpBackground, ddpFeatures, ddpText };

class TSLDisplayView : public TPersistent {
  CLASSLIB_CLASS(TSLDisplayView)

public:
  // Display: the control; never changed, not owned. The rectangle is empty
  // until the first layout.
  explicit TSLDisplayView(ISLViewHost *Display) : FDisplay(Display) {}

  // Written by the control's layout pass only.
  void SetRect(const TRect &R) { FRect = R; }
  const TRect &GetRect() const { return FRect; }
  // The rectangle while IsVisible, else empty.
  TRect GetDrawRect() { return IsVisible() ? FRect : TRect{}; }
  ISLViewHost *GetDisplay() const { return FDisplay; }
  bool GetMouseInside() const { return FMouseInside; }

  // (width, height); -1 in a coordinate takes what is left.
  virtual TPoint GetDefaultSize() = 0;
  virtual int32_t GetDefaultOffsetBegin() { return 0; }
  virtual int32_t GetDefaultOffsetEnd() { return 0; }
  virtual TAlign GetAlign() = 0;
  virtual int32_t GetLeft() { return FRect.Left; }
  virtual int32_t GetTop() { return FRect.Top; }
  // Right - Left - 1 and Bottom - Top - 1, never negative.
  virtual int32_t GetWidth() { return std::max(FRect.Right - FRect.Left - 1, 0); }
  virtual int32_t GetHeight() { return std::max(FRect.Bottom - FRect.Top - 1, 0); }
  // Repaints the view's rectangle.
  virtual void InvalidateView();
  // Enter and leave tracking over the draw rectangle.
  virtual void MouseMove(TShiftState Shift, int32_t X, int32_t Y);
  virtual void MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y, bool InView);
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y, bool InView);
  // The control lost the mouse: a view that had it hears MouseLeaveView.
  virtual void MouseLeave();
  virtual void MouseEnter();
  virtual void MouseLeaveView();
  virtual void MouseEnterView();
  virtual void MouseWheelDown(TShiftState Shift, TPoint MousePos);
  virtual void MouseWheelUp(TShiftState Shift, TPoint MousePos);
  // False for a rectangle less than 2 pixels wide or high.
  virtual bool IsVisible();
  // Whether the view takes part in the layout.
  virtual bool IsVisibleForced();
  virtual double GetValueAt(int32_t X, int32_t Y);
  virtual double GetMinValue();
  virtual double GetMaxValue();
  // Part, the canvas, the control's orientation, whether the picture is for
  // print or export, and the Y axis's zoomed range and pixel transform.
  virtual void Draw(TSLDisplayDrawPart Part, TCanvas *Canvas, bool Vertical, bool Exporting,
                    double YMin, double YMax, int32_t YOffset, double YFactor);
  // The same for a visible view outside the repaint region.
  virtual void DrawEx(TSLDisplayDrawPart Part, TCanvas *Canvas, bool Vertical, double YMin,
                      double YMax, int32_t YOffset, double YFactor);
  virtual void DrawMouseSelction(TCanvas *Canvas);

  // The control redoes its layout and repaints / only repaints.
  void InvalidateRecalc() { FDisplay->InvalidateRecalc(); }
  void Invalidate() { FDisplay->Invalidate(); }

protected:
  TRect FRect;
  ISLViewHost *FDisplay;
  bool FMouseInside = false;
};

// A view that can be switched off.
class TSLOptionalView : public TSLDisplayView {
  CLASSLIB_CLASS(TSLOptionalView)

public:
  using TSLDisplayView::TSLDisplayView;

  bool GetVisible() const { return FVisible; }
  // Stored without comparing; the layout is redone.
  void SetVisible(bool Value);
  bool IsVisible() override;
  bool IsVisibleForced() override { return FVisible; }

protected:
  bool FVisible = true;
};

// The control's views in layout and paint order; frees them.
class TSLDisplayViews : public TObjectList<TSLDisplayView> {
public:
  TSLDisplayViews() : TObjectList<TSLDisplayView>(true) {}
  TSLDisplayView *GetItem(int32_t Index) const { return Items(Index); }
};
