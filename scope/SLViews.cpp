#include "scope/SLViews.h"

#include "platform/classlib/ClassBuilder.h"

const TClassInfo &TSLDisplayView::StaticClassInfo() {
  static const TClassInfo &info =
      MakeClassInfo<TSLDisplayView>("TSLDisplayView", &TPersistent::StaticClassInfo());
  return info;
}

const TClassInfo &TSLOptionalView::StaticClassInfo() {
  using C = TSLOptionalView;
  static const TClassInfo &info = MakeClassInfo<C>(
      "TSLOptionalView", &TSLDisplayView::StaticClassInfo(),
      [](TClassBuilder<C> &c) { c.Boolean("Visible", &C::GetVisible, &C::SetVisible, true); });
  return info;
}

void TSLDisplayView::InvalidateView() { FDisplay->InvalidateViewRect(FRect); }

void TSLDisplayView::MouseMove(TShiftState, int32_t X, int32_t Y) {
  if (PtInRect(GetDrawRect(), TPoint{X, Y})) {
    if (FMouseInside)
      return;
    FMouseInside = true;
    MouseEnterView();
  } else if (FMouseInside) {
    FMouseInside = false;
    MouseLeaveView();
  }
}

void TSLDisplayView::MouseDown(TMouseButton, TShiftState, int32_t, int32_t, bool) {}
void TSLDisplayView::MouseUp(TMouseButton, TShiftState, int32_t, int32_t, bool) {}

void TSLDisplayView::MouseLeave() {
  if (!FMouseInside)
    return;
  FMouseInside = false;
  MouseLeaveView();
}

void TSLDisplayView::MouseEnter() {}
void TSLDisplayView::MouseLeaveView() {}
void TSLDisplayView::MouseEnterView() {}
void TSLDisplayView::MouseWheelDown(TShiftState, TPoint) {}
void TSLDisplayView::MouseWheelUp(TShiftState, TPoint) {}

bool TSLDisplayView::IsVisible() { return GetHeight() >= 1 && GetWidth() >= 1; }
bool TSLDisplayView::IsVisibleForced() { return true; }
double TSLDisplayView::GetValueAt(int32_t, int32_t) { return -1000.0; }
double TSLDisplayView::GetMinValue() { return 0.0; }
double TSLDisplayView::GetMaxValue() { return 0.0; }
void TSLDisplayView::Draw(TSLDisplayDrawPart, TCanvas *, bool, bool, double, double, int32_t,
                          double) {}
void TSLDisplayView::DrawEx(TSLDisplayDrawPart, TCanvas *, bool, double, double, int32_t, double) {}
void TSLDisplayView::DrawMouseSelction(TCanvas *) {}

void TSLOptionalView::SetVisible(bool Value) {
  FVisible = Value;
  InvalidateRecalc();
}

bool TSLOptionalView::IsVisible() { return GetHeight() >= 1 && GetWidth() >= 1 && FVisible; }
