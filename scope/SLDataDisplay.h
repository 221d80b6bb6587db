#pragma once
// The first level of the scope control, TSLDataDisplay: the shell (views,
// background, input routing, zoom entry points with undo and redo). The
// threads are those of the whole control (SLScopeControl.h).

#include <atomic>
#include <cstdint>
#include <string>

#include "platform/gui/Canvas.h"
#include "platform/gui/Control.h"
#include "platform/gui/Timers.h"
#include "scope/SLDisplayAxis.h"
#include "scope/SLDisplayZoom.h"
#include "scope/SLDisplayZoomProperties.h"
#include "scope/SLScope_numeric.h"
#include "scope/SLToolBar.h"
#include "scope/SLViews.h"

using TSLZoomChangedEvent =
    TEvent<void(TObject *Sender, TSLZoomOperation ZoomOperation, const TSLRealRanges &ZoomValues)>;

class TSLDataDisplay : public TCustomControl, public ISLZoomedDisplay, public ISLToolBarHost {
  CLASSLIB_SIMPLE_CLASS(TSLDataDisplay, TCustomControl)

public:
  explicit TSLDataDisplay(TComponent *Owner);
  ~TSLDataDisplay() override;

  void Loaded() override;
  void SetBounds(int32_t Left, int32_t Top, int32_t Width, int32_t Height) override;
  void SetCursor(TCursor Value) override;

  TColor GetColor() const { return FColor; }
  void SetColor(TColor Value);
  TSLDisplayZoom *GetZooming() { return &FZooming; }
  // kept: setter of a published property
  void SetZooming(TSLDisplayZoom *Value) { FZooming.Assign(*Value); }
  // `Zooming` as published.
  TSLDisplayZoomProperties *GetZoomingProperties() { return FZoomingProperties.get(); }
  TSLDisplayViews *GetViews() { return &FViews; }
  // The toolbar drawn top right inside the control.
  TSLDisplayToolBar *GetToolBar() { return FToolBar.get(); }
  void SetToolBar(TSLDisplayToolBar *Value) { FToolBar->Assign(Value); }
  bool GetMouseInside() const { return FMouseInside; }
  gui::TTimer *GetMouseTimer() { return FMouseTimer; }
  bool GetRecalcRects() const { return FRecalcRects.load(); }

  virtual void InvalidateRecalc();
  // A label's text from its template: Format, or Default when Format is
  // empty; "%X" and "%Y" become the axes' tick texts of X and Y, "%D" the
  // Default template, "%%" a percent sign; any other code gives nothing.
  virtual std::string GetFormatLabelText(double X, double Y, double Z, const std::string &Format,
                                         const std::string &Default) = 0;
  virtual bool PopulateDrawBuffers() = 0;
  virtual TCanvas *GetCanvas() = 0;
  virtual void HighlightingChanged() = 0;
  virtual void MouseWheelZoom(TPoint MousePos, double FX, double FY) = 0;
  double GerXMinZoom() const override = 0;
  double GerXMaxZoom() const override = 0;
  double GerYMinZoom() const override = 0;
  double GerYMaxZoom() const override = 0;
  bool GetIsZoomed() const override { return FZoomed; }
  virtual void IntZoomTo(double XMin, double XMax, double YMin, double YMax) = 0;
  virtual void IntZoomOff() = 0;
  virtual void SaveUndoZoom(bool Coalesce) = 0;
  virtual void MouseEnter();
  virtual void MouseLeave();
  virtual void PaintToCanvas(TCanvas *) {}
  // Opens the properties dialog on page StartPage with item ItemIndex
  // selected (the legend's click); a bare display has none.
  virtual void DoLegendClick(int32_t /*StartPage*/, int32_t /*ItemIndex*/) {}
  // The properties dialog on the channels page, first item.
  void ShowSetupDialog() { DoLegendClick(0, 0); }
  virtual TSLDisplayView *GetDataView() = 0;
  virtual bool GetIsVertical() { return false; }
  virtual bool GetIsReversed() { return false; }

  // Zoom entry points: a factor below 1 zooms in, above 1 out.
  virtual void ZoomOff();
  void ZoomBy(double Factor) { ZoomBy(Factor, true); }
  void ZoomBy(double Factor, bool SaveUndo) { ZoomBy(Factor, Factor, SaveUndo); }
  void ZoomBy(double FX, double FY) { ZoomBy(FX, FY, true); }
  virtual void ZoomBy(double FX, double FY, bool SaveUndo) = 0;
  virtual void ZoomTo(double XMin, double XMax, double YMin, double YMax) {
    ZoomTo(XMin, XMax, YMin, YMax, true);
  }
  virtual void ZoomTo(double XMin, double XMax, double YMin, double YMax, bool SaveUndo) = 0;
  virtual void UndoZoom() = 0;
  virtual void RedoZoom() = 0;
  virtual void ClearZoomUndo();
  bool GetCanUndoZoom() const { return FUndoZoomList.HasItems(); }
  bool GetCanRedoZoom() const { return FRedoZoomList.HasItems(); }
  bool IsZoomed() { return FZoomed; }
  // InvalidateRecalc, then OnZoomChanged with the zoomed ranges.
  virtual void ZoomChanged(TSLZoomOperation Operation);

  // The mouse-leave poll of FMouseTimer.
  void OnMouseTimer(TObject *Sender);

  // The plot size: the print size while printing, else the control's size.
  int32_t GetPlotWidth() { return FPrinting ? FPrintWidth : GetWidth(); }
  int32_t GetPlotHeight() { return FPrinting ? FPrintHeight : GetHeight(); }

  // The picture without the toolbar, Width by Height: onto the clipboard,
  // into Bitmap (resized to it), into a bitmap or a JPEG file. An empty
  // control gives an empty Bitmap; the clipboard and the files refuse it.
  void CopyToClipboard();
  void CopyToBitmap(TBitmap *Bitmap);
  void SaveToBitmap(const std::string &FileName);
  void SaveToJpeg(const std::string &FileName);
  // The print job's title.
  virtual std::string GetPrintTitle() { return "Unknown"; }
  // One page on the printer: the plot laid out at the screen's resolution
  // over the page's physical size, then stretched over the page. The job
  // ends and the control returns to the screen also when printing fails.
  virtual void Print();
  bool GetPrinting() const { return FPrinting; }

  // ISLToolBarHost.
  int32_t GetToolBarPlotWidth() override { return GetPlotWidth(); }
  TPoint GetToolBarMousePos() override { return ScreenToClient(GetCursorPos()); }
  TColor GetToolBarColor() override { return FColor; }
  void InvalidateToolBar() override { Invalidate(); }
  void InvalidateToolBarRect(const TRect &R) override { InvalidateRect(R); }
  // The layout of the views; only while FRecalcRects is set.
  void RecalculateViewRects();

  TSLZoomChangedEvent OnZoomChanged;

protected:
  void MouseMove(TShiftState Shift, int32_t X, int32_t Y) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
  bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
  bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;
  void KeyPress(char &Key) override;
  void CMMouseLeave() override;
  void WMSetFocus() override { Invalidate(); }
  void WMKillFocus() override { Invalidate(); }
  bool Designing() const { return InState(csDesigning); }

  TSLDisplayViews FViews;
  // Made by the chart.
  TOwnedPtr<TSLDisplayToolBar> FToolBar;
  bool FToolBarCursorShown = false;
  // Also set by channel data writes on the delivering thread.
  std::atomic<bool> FRecalcRects{true};
  TColor FColor = 0;
  bool FPrinting = false;
  int32_t FPrintWidth = 0;
  int32_t FPrintHeight = 0;
  bool FMouseInside = false;
  gui::TTimer *FMouseTimer = nullptr;
  TSLDisplayZoomList FUndoZoomList;
  TSLDisplayZoomList FRedoZoomList;
  TCursor FCursor = crDefault;
  TSLDisplayZoom FZooming{this};
  TOwnedPtr<TSLDisplayZoomProperties> FZoomingProperties{
      CreateObject<TSLDisplayZoomProperties>(FZooming)};
  bool FZoomed = false;

private:
  void WheelAt(bool Down, TShiftState Shift, TPoint MousePos);
};
