#pragma once
#include "platform/classlib/ClassInfo.h"
#include "platform/classlib/Persistent.h"
#include "scope/SLDisplayZoom.h"

// The zoom settings as the form stream sees them: the five published
// properties of the display's `Zooming`, read and written in place.
class TSLDisplayZoomProperties : public TPersistent {
  CLASSLIB_CLASS(TSLDisplayZoomProperties)

public:
  explicit TSLDisplayZoomProperties(TSLDisplayZoom &Zoom) : FZoom(Zoom) {}
  bool GetMouseZoom() const { return FZoom.MouseZoom; }
  void SetMouseZoom(bool Value) { FZoom.MouseZoom = Value; }
  bool GetKeyboardZoom() const { return FZoom.KeyboardZoom; }
  void SetKeyboardZoom(bool Value) { FZoom.KeyboardZoom = Value; }
  TColor GetSelectionColor() const { return FZoom.SelectionColor; }
  void SetSelectionColor(TColor Value) { FZoom.SelectionColor = Value; }
  bool GetMouseWheelEnabled() const { return FZoom.MouseWheelEnabled; }
  void SetMouseWheelEnabled(bool Value) { FZoom.MouseWheelEnabled = Value; }
  bool GetHoldOnZoom() const { return FZoom.HoldOnZoom; }
  void SetHoldOnZoom(bool Value) { FZoom.HoldOnZoom = Value; }

private:
  TSLDisplayZoom &FZoom;
};
