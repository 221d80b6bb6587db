#pragma once
// The second level of the scope control, TSLDataChart: title, axes, data
// view, off-screen picture, refresh timer, hold, the zoom on the two axes,
// time and frequency ranges. The threads are those of the whole control
// (SLScopeControl.h).

#include <atomic>
#include <cstdint>
#include <string>

#include "platform/gui/Canvas.h"
#include "platform/gui/Timers.h"
#include "platform/mainloop/MainLoop.h"
#include "scope/SLAxes.h"
#include "scope/SLDataDisplay.h"
#include "scope/SLDataView.h"
#include "scope/SLHighlighting.h"
#include "scope/SLLabels.h"
#include "scope/SLLegend.h"
#include "scope/SLScope_numeric.h"

// (Sender: the control; the channel and the two samples under the mouse;
// the curve's value there).
using TSLOverChannelEvent =
    TEvent<void(TObject *Sender, int32_t ChannelIndex, int32_t BeginSampleIndex,
                int32_t EndSampleIndex, const TSLRealPoint &ClickedValue)>;

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
