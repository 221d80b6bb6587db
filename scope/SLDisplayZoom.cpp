#include "scope/SLDisplayZoom.h"

void TSLDisplayZoom::Assign(const TSLDisplayZoom &Source) {
  MouseZoom = Source.MouseZoom;
  KeyboardZoom = Source.KeyboardZoom;
  SelectionColor = Source.SelectionColor;
  MouseWheelEnabled = Source.MouseWheelEnabled;
  HoldOnZoom = Source.HoldOnZoom;
}

bool TSLDisplayZoom::GetIsZoomed() const { return Display_ && Display_->GetIsZoomed(); }
double TSLDisplayZoom::GerXMin() const { return Display_ ? Display_->GerXMinZoom() : 0.0; }
double TSLDisplayZoom::GerXMax() const { return Display_ ? Display_->GerXMaxZoom() : 0.0; }
double TSLDisplayZoom::GerYMin() const { return Display_ ? Display_->GerYMinZoom() : 0.0; }
double TSLDisplayZoom::GerYMax() const { return Display_ ? Display_->GerYMaxZoom() : 0.0; }

void TSLDisplayZoomList::Add(double XMin, double XMax, double YMin, double YMax, bool Zoomed) {
  if (!Items_.empty()) {
    const auto &Last = Items_.back();
    if (Last.XMin == XMin && Last.XMax == XMax && Last.YMin == YMin && Last.YMax == YMax &&
        Last.Zoomed == Zoomed)
      return;
  }
  Items_.push_back({XMin, XMax, YMin, YMax, Zoomed});
  if (Items_.size() > MaxItems)
    Items_.erase(Items_.begin());
}

bool TSLDisplayZoomList::Get(double &XMin, double &XMax, double &YMin, double &YMax, bool &Zoomed) {
  if (Items_.empty()) {
    XMin = XMax = YMin = YMax = 0;
    Zoomed = false;
    return false;
  }
  const auto Last = Items_.back();
  Items_.pop_back();
  XMin = Last.XMin;
  XMax = Last.XMax;
  YMin = Last.YMin;
  YMax = Last.YMax;
  Zoomed = Last.Zoomed;
  return true;
}
