#pragma once
// The scope control in its three levels: TSLDataDisplay (the shell: views,
// background, input routing, zoom entry points with undo and redo),
// TSLDataChart (title, axes, data view, off-screen picture, refresh timer,
// hold, the zoom on the two axes, time and frequency ranges) and TSLScope
// (channels and their pins, size limit, orientation, painting and the
// hand-over of incoming channel data at every refresh).
//
// Threads: the channels' input pins run on the delivering thread and call
// only the thread-safe part of ISLScopeHost (size limit, SetRecalcRects,
// InvalidateHistory, InvalidateFreq, Invalidate). Those set atomic flags that
// the main thread consumes; everything else runs on the main thread.

#include <atomic>
#include <cstdint>
#include <string>

#include "platform/gui/Canvas.h"
#include "platform/gui/Control.h"
#include "platform/gui/Timers.h"
#include "platform/mainloop/MainLoop.h"
#include "scope/SLAxes.h"
#include "scope/SLChannels.h"
#include "scope/SLCursorLinks.h"
#include "scope/SLCursors.h"
#include "scope/SLDataView.h"
#include "scope/SLDisplayZoom.h"
#include "scope/SLHighlighting.h"
#include "scope/SLLabels.h"
#include "scope/SLLegend.h"
#include "scope/SLMarkers.h"
#include "scope/SLScope.h"
#include "scope/SLToolBar.h"
#include "scope/SLViews.h"

// (Sender: the control; the channel and the two samples under the mouse;
// the curve's value there).
using TSLOverChannelEvent =
    TEvent<void(TObject *Sender, int32_t ChannelIndex, int32_t BeginSampleIndex,
                int32_t EndSampleIndex, const TSLRealPoint &ClickedValue)>;

using TSLZoomChangedEvent =
    TEvent<void(TObject *Sender, TSLZoomOperation ZoomOperation, const TSLRealRanges &ZoomValues)>;

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

class TSLDataChart : public TSLDataDisplay, public ISLAxisChart, public ISLDataViewHost {
  CLASSLIB_SIMPLE_CLASS(TSLDataChart, TSLDataDisplay)

public:
  explicit TSLDataChart(TComponent *Owner);
  ~TSLDataChart() override;

  // Both display hosts reach the control's own repaint and relayout.
  void Invalidate() override { TSLDataDisplay::Invalidate(); }
  void InvalidateRecalc() override { TSLDataDisplay::InvalidateRecalc(); }
  void SetRecalcRects() override { FRecalcRects = true; }
  void InvalidateViewRect(const TRect &R) override { InvalidateRect(R); }

  TOWPinList *GetInputPins() { return FInputPins; }
  TSLScopeXAxis *GetXAxis() override { return FXAxis; }
  TSLScopeYAxis *GetYAxis() override { return FYAxis; }
  TSLDisplayTitle *GetTitle() { return FTitle; }
  TSLScopeDataView *GetScopeDataView() { return FDataView; }
  TSLDisplayView *GetDataView() override { return FDataView; }
  TBitmap *GetBitmap() { return &FBitmap; }
  gui::TTimer *GetRefreshTimer() { return FRefreshTimer; }

  uint32_t GetRefreshInterval() const { return FRefreshTimer->Interval(); }
  // 0 stops the timer: the picture then changes only through RefreshView.
  void SetRefreshInterval(uint32_t Value) { FRefreshTimer->SetInterval(Value); }
  virtual bool GetHold() { return FHold; }
  bool GetVC_Hold() const { return FHold; }
  void SetHold(bool Value) override;

  // SLExpandFormatLabel with the axes' tick texts; Z is not used.
  std::string GetFormatLabelText(double X, double Y, double Z, const std::string &Format,
                                 const std::string &Default) override;

  // The refresh pipeline: PopulateDrawBuffers, and a repaint when it says so.
  void RefreshView();
  // A timer refresh that finds nothing to do stops the timer until new data
  // or a layout request comes (WakeRefresh), so an idle scope never wakes.
  void OnRefreshTimer(TObject *);
  // Any thread: a stopped refresh timer runs again (on the main thread).
  void WakeRefresh();

  virtual bool GetChannelsInFreqencyDomain() override = 0;
  virtual bool GetChannelsInIntensityDomain() override = 0;
  double GetSampleRate() override = 0;
  double CalcMinFreq() override { return 0; }
  double CalcMaxFreq() override;
  double CalcMinTime() override { return 0; }
  double CalcMaxTime() override;
  double GetMinXValue() override { return 0; }
  double GetMaxXValue() override { return FXAxis->GetVC_Samples() - 1; }
  void InvalidateSamples() override { FMaxTimeValid = false; }
  // Any thread: the caches are dropped by the main thread's next read.
  virtual void InvalidateFreq() { FFreqStale = true; }
  virtual void InvalidateHistory() { Invalidate(); }

  // Zoom on the two axes.
  void MouseWheelZoom(TPoint MousePos, double FX, double FY) override;
  double GerXMinZoom() const override { return FXAxis->GetZoomMin(); }
  double GerXMaxZoom() const override { return FXAxis->GetZoomMax(); }
  double GerYMinZoom() const override { return FYAxis->GetZoomMin(); }
  double GerYMaxZoom() const override { return FYAxis->GetZoomMax(); }
  void IntZoomTo(double XMin, double XMax, double YMin, double YMax) override;
  void IntZoomOff() override;
  void SaveUndoZoom(bool Coalesce) override;
  using TSLDataDisplay::ZoomBy;
  void ZoomBy(double FX, double FY, bool SaveUndo) override;
  using TSLDataDisplay::ZoomTo;
  // The data view's rectangle zoom lands here: undo entry, hold and the one
  // zoZoom notification.
  void ZoomTo(double XMin, double XMax, double YMin, double YMax) override {
    TSLDataDisplay::ZoomTo(XMin, XMax, YMin, YMax);
  }
  void ZoomTo(double XMin, double XMax, double YMin, double YMax, bool SaveUndo) override;
  void UndoZoom() override;
  void RedoZoom() override;
  void ClearZoomUndo() override;
  void ZoomChanged(TSLZoomOperation Operation) override { TSLDataDisplay::ZoomChanged(Operation); }
  // The item under the mouse is looked for again, then the repaint.
  void HighlightingChanged() override;
  void DoLegendClick(int32_t StartPage, int32_t ItemIndex) override {
    TSLDataDisplay::DoLegendClick(StartPage, ItemIndex);
  }

  TSLScopeLegendView *GetLegend() { return FLegend; }
  void SetLegend(TSLScopeLegendView *Value) { FLegend->Assign(Value); }
  TSLDisplayTrails *GetTrails() { return FTrails.get(); }
  void SetTrails(TSLDisplayTrails *Value) { FTrails->Assign(Value); }
  TSLDisplayHighlighting *GetHighlighting() override { return FHighlighting.get(); }
  void SetHighlighting(TSLDisplayHighlighting *Value) { FHighlighting->Assign(Value); }

  // The hover side of the views.
  TObject *GetChartObject() override { return this; }
  void DoOverChannel(int32_t ChannelIndex, int32_t BeginSampleIndex, int32_t EndSampleIndex,
                     const TSLRealPoint &Value) override;
  void DoLeaveChannel() override;
  TCanvas *GetDisplayCanvas() override { return FBitmap.Canvas(); }
  void ShowViewCursor(int16_t Cursor) override { SetDisplayCursor(Cursor); }
  void RestoreViewCursor() override { SetDisplayCursor(FCursor); }
  void ItemDestroyed(TSLDisplayCollectionItem *Item) override;

  TSLOverChannelEvent OnOverChannel;
  TNotifyEvent OnLeaveChannel;
  TCanvas *GetCanvas() override { return FBitmap.Canvas(); }

  // ISLAxisChart.
  bool GetIsVertical() override { return false; }
  bool IsDesigning() override { return Designing(); }
  int32_t GetPlotWidth() override { return TSLDataDisplay::GetPlotWidth(); }
  TRect GetDataViewRect() override { return FDataView->GetDrawRect(); }
  TPoint GetMouseClientPos() override { return ScreenToClient(GetCursorPos()); }
  bool IsZoomed() override { return FZoomed; }
  void SetZoomed() override { FZoomed = true; }
  void InvalidateTimeFreqCaches() override { InvalidateFreq(); }
  // A chart without cursors has nothing to re-place.
  void UpdateCursors() override {}

  // ISLDataViewHost.
  TColor GetColor() override { return FColor; }
  TSLDisplayZoom *GetZooming() override { return &FZooming; }
  void GetXScaleZoomedRange(double &Min, double &Max) override;
  double GetXStep() override { return FXAxis->GetStep(); }
  void GetXDataZoomedRange(double &Min, double &Max) override;
  void InvalidateXAxisView() override { FXAxis->InvalidateView(); }
  TFont *GetYAxisFont() override { return FYAxis->GetFont(); }
  bool GetYAxisReversed() override { return FYAxis->GetReversed(); }
  bool GetYAxisLogarithmic() override { return FYAxis->GetLogarithmic(); }
  void GetYScaleZoomedRange(double &Min, double &Max) override;
  void GetYDataZoomedRange(double &Min, double &Max) override;
  void InvalidateYAxisView() override { FYAxis->InvalidateView(); }
  void YUpTickLines(const TSLTickLineProc &Proc, bool FromEnd, TCanvas *Canvas, int32_t TextHeight,
                    bool All, double Min, double Max, int32_t Offset, double Factor) override;
  void YDownTickLines(const TSLTickLineProc &Proc, bool FromEnd, TCanvas *Canvas,
                      int32_t TextHeight, bool All, double Min, double Max, int32_t Offset,
                      double Factor) override;
  void YRightTickLines(const TSLTickLineProc &Proc, bool FromEnd, TCanvas *Canvas,
                       int32_t TextHeight, bool All, double A, double B, double Min, double Max,
                       int32_t Offset, double Factor) override;
  // The event went out with the zoom itself; only the layout is redone.
  void ZoomChangedByRectangle() override { InvalidateRecalc(); }

protected:
  // Drops the frequency and time caches when a delivering thread asked.
  void ConsumeFreqInvalidation();
  virtual void FreqCachesDropped() {}
  // Incoming data the draw buffers have not taken yet.
  virtual bool IncomingPending() { return false; }

  TBitmap FBitmap{10, 10};
  TOWPinList *FInputPins = nullptr;
  TSLScopeXAxis *FXAxis = nullptr;
  TSLScopeYAxis *FYAxis = nullptr;
  TSLDisplayTitle *FTitle = nullptr;
  TSLScopeDataView *FDataView = nullptr;
  TSLScopeLegendView *FLegend = nullptr;
  TOwnedPtr<TSLDisplayTrails> FTrails;
  TOwnedPtr<TSLDisplayHighlighting> FHighlighting;
  gui::TTimer *FRefreshTimer = nullptr;
  // The refresh timer was stopped by an idle refresh; the target receives
  // the wake from other threads.
  std::atomic<bool> FRefreshParked{false};
  mainloop::TTargetId FRefreshTarget = 0;
  bool FMaxFreqValid = false;
  double FMaxFreq = 0;
  bool FMaxTimeValid = false;
  double FMaxTime = 0;
  std::atomic<bool> FFreqStale{false};
  bool FHold = false;
  bool FUndoSaved = false;
};

// Published: the control's bounds and flags, Color, Zooming, InputPins, RefreshInterval,
// Vertical, SizeLimit, the views (Title, XAxis, YAxis, DataView) and the
// Channels, Cursors and CursorLinks collections.
class TSLScope : public TSLDataChart, public ISLScopeHost, public ISLCursorChart {
  CLASSLIB_CLASS(TSLScope)

public:
  explicit TSLScope(TComponent *Owner);
  ~TSLScope() override;
  void AfterConstruction() override;
  void BeforeDestruction() override;
  void Loaded() override;

  // Repaint and relayout, both suppressed while a channel's draw handler
  // runs; Invalidate may come from the delivering thread.
  void Invalidate() override;
  void InvalidateRecalc() override;
  void SetRecalcRects() override {
    FRecalcRects = true;
    WakeRefresh();
  }
  void IncomingDataArrived() override { WakeRefresh(); }

  TSLScopeChannels *GetChannels() { return FChannels; }
  TSLScopeMarkerGroups *GetMarkerGroups() override { return FMarkerGroups; }
  // Copies the given marker groups into the owned collection.
  void SetMarkerGroups(TSLScopeMarkerGroups *Value);
  TSLScopeMarkerGroup *GetLastMarerGroup() override;
  double SampleToScale(double Position) override { return FXAxis->SampleToScale(Position); }
  // Copies the given channels into the owned collection.
  void SetChannels(TSLScopeChannels *Value) { FChannels->Assign(Value); }
  TColor GetBackground() const { return FColor; }
  bool GetVertical() const { return FVertical; }
  void SetVertical(bool Value);
  uint32_t GetSizeLimit() override { return FSizeLimit.load(); }
  void SetSizeLimit(uint32_t Value);
  bool GetHold() override;

  bool PopulateDrawBuffers() override;
  bool IncomingPending() override;
  // Shows the "Settings" dialog modally, top right over the control.
  void DoLegendClick(int32_t StartPage, int32_t ItemIndex) override;
  bool GetIsVertical() override { return FVertical; }
  bool GetIsReversed() override { return FVertical && FYAxis->GetReversed(); }
  bool GetChannelsInFreqencyDomain() override;
  bool GetChannelsInIntensityDomain() override;
  double GetSampleRate() override;
  double GetMinXValue() override;
  double GetMaxXValue() override;
  void InvalidateFreq() override { TSLDataChart::InvalidateFreq(); }
  // Any thread: the Y axis's scaling history is reset by the next refresh.
  void InvalidateHistory() override;

  // Painting: the window's paint, the export paint and the drawing routine.
  void PaintWindow(TCanvas *DC, const TRegion &Update) override;
  const QImage *PaintOwnPicture(const TRegion &Update) override;
  bool PaintIsDisabled();
  void PaintCanvas(TCanvas *DC, const TRegion &Region);
  void PaintToCanvas(TCanvas *Canvas) override;
  void PaintToCanvasRgn(TCanvas *Canvas, const TRegion &Region, bool Export);
  // Printing holds the display, so the draw buffers cannot change between
  // the layout and the drawing; the hold is restored whatever happens.
  void Print() override;

  // ISLScopeHost.
  TComponent *GetScopeComponent() override { return this; }
  TOWPinList *GetInputPins() override { return FInputPins; }
  TOWSinkPin *CreateChannelPin(TSLScopeChannel *Channel, TSLOperationEvent Handler) override;
  void ChannelPinDestroyed(TSLScopeChannel *) override {}
  void ChannelPinsSwapped(int32_t, int32_t) override {}
  void InvalidateMinMaxCache() override;
  bool GetYAxisReversed() override { return FYAxis->GetReversed(); }
  double GetXScaleFactor() override;
  // Nothing is highlighted without highlighting settings; the colour a
  // highlighted channel would take.
  TColor GetChannelHighlightColor() override { return FHighlighting->GetChannels()->GetColor(); }
  void SetNoInvalidate(bool Value) override { FNoInvalidate = Value; }
  TSLScopeDataView *GetPlotView() override { return FDataView; }
  TSLDisplayHighlighting *GetHighlighting() override { return FHighlighting.get(); }
  TColor GetDisplayColor() override { return FColor; }
  std::string FormatLabelText(double X, double Y, const std::string &Format,
                              const std::string &Default) override {
    return GetFormatLabelText(X, Y, 0, Format, Default);
  }
  // The scope's collections by kind (the channels; the others come with
  // their items).
  TSLDisplayCollection *GetItems(int32_t Kind) override;
  TSLDisplayChannels *GetHitChannels() override { return FChannels; }
  // Items reach the scope through either of its display sides; both let
  // the data view and the legend forget an item that goes.
  void ItemDestroyed(TSLDisplayCollectionItem *Item) override { TSLDataChart::ItemDestroyed(Item); }

  // Cursors and cursor links.
  TSLDisplayCursors *GetCursors() { return FCursors; }
  void SetCursors(TSLDisplayCursors *Value) { FCursors->Assign(Value); }
  TSLDisplayCursorLinks *GetCursorLinks() { return FCursorLinks; }
  void SetCursorLinks(TSLDisplayCursorLinks *Value) { FCursorLinks->Assign(Value); }
  // Every cursor takes its position again, so the axes' snapping and limits
  // apply after an axis setting changed.
  void UpdateCursors() override;
  ISLDisplayHost *CursorDisplay() override { return static_cast<ISLScopeHost *>(this); }
  TObject *CursorSender() override { return this; }
  bool CursorVertical() override { return FVertical; }
  bool CursorYReversed() override { return FYAxis->GetReversed(); }
  void CursorXDataRange(double &Min, double &Max) override;
  double CursorAlignX(double Value) override { return FXAxis->AlignValue(Value); }
  double CursorAlignY(double Value) override { return FYAxis->AlignValue(Value); }
  std::string CursorXTickText(double Value) override { return FXAxis->GetTickText(Value); }
  std::string CursorYTickText(double Value) override { return FYAxis->GetTickText(Value); }
  double CursorSampleToScale(double Position) override { return FXAxis->SampleToScale(Position); }
  TSLDisplayCollectionItem *CursorHotItem() override { return FDataView->GetHotItem(); }
  TSLDisplayCollectionItem *CursorPressed(TSLItemKind Kind) override;
  TSLDisplayCollectionItem *CursorLegendItem(TSLItemKind Kind) override {
    return FDataView->GetLegendHighlighted(Kind);
  }
  void SetCursorLegendItem(TSLItemKind Kind, TSLDisplayCollectionItem *Item) override {
    FDataView->SetLegendHighlighted(Kind, Item);
  }
  TSLHitParts CursorHitParts(TSLItemKind Kind) override { return FDataView->GetHitParts(Kind); }
  TPoint CursorMouse() override { return FDataView->GetMousePoint(); }
  TSLDisplayHighlighting *CursorHighlighting() override { return FHighlighting.get(); }
  TSLDisplayTrails *CursorTrails() override { return FTrails.get(); }
  TColor CursorBackColor() override { return FColor; }
  TSLDisplayChannels *CursorChannels() override { return FChannels; }
  TSLDisplayCursors *CursorItems() override { return FCursors; }
  std::string CursorLabelText(double X, double Y, const std::string &Format,
                              const std::string &Default) override {
    return GetFormatLabelText(X, Y, 0, Format, Default);
  }

  // ISLAxisChart's view of the channels.
  int32_t GetAxisChannelCount() override;
  bool IsAxisChannelVisible(int32_t Index) override;
  ISLRealBufferPtr GetAxisChannelDrawX(int32_t Index) override;
  ISLRealBufferPtr GetAxisChannelDrawY(int32_t Index) override;

protected:
  void FreqCachesDropped() override {
    FDomainsValid = false;
    FSampleRateValid = false;
  }

private:
  bool ChannelsXExtreme(bool Largest, double &Value);
  void ObtainDomains();
  void PopulateMaxSample();
  void ConsumeHistoryReset();

  TSLScopeChannels *FChannels = nullptr;
  TSLDisplayCursors *FCursors = nullptr;
  TSLDisplayCursorLinks *FCursorLinks = nullptr;
  TSLScopeMarkerGroups *FMarkerGroups = nullptr;
  bool FDomainsValid = false;
  bool FFreqDomain = false;
  bool FIntensityDomain = false;
  double FSampleRate = 0;
  bool FSampleRateValid = false;
  std::atomic<bool> FNoInvalidate{false};
  std::atomic<bool> FHistoryStale{false};
  bool FVertical = false;
  std::atomic<uint32_t> FSizeLimit{0};
};

// Makes TSLScope known to the form loader by its class name.
void RegisterScopeClasses();
