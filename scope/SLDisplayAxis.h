#pragma once
// The common base of the scope's X and Y axes: the view that an axis is,
// its value step (SLOptionalAxis.h), tracking marker and minor ticks, the
// cache of its four data-range and six scale-range values that painting
// reads many times, the tick marks with their labels in the four
// orientations an axis can take, the captions, and the application's
// label hook. "Data" values are in the units of the samples (Y) or of the
// sample index (X); "scale" values are what the labels show.
//
// Main thread only, like painting and the mouse.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/gui/Canvas.h"
#include "platform/gui/Control.h"
#include "scope/SLAxisSettings.h"
#include "scope/SLChannelData.h"
#include "scope/SLOptionalAxis.h"
#include "scope/SLScope_hosts.h"
#include "scope/SLToolBar.h"
#include "scope/SLViews.h"

class TSLScopeXAxis;
class TSLScopeYAxis;

enum TSLZoomOperation : uint8_t { zoUndo, zoRedo, zoMouseWheel, zoZoom, zoZoomOff };

// What the axes call of the scope control that owns them. The chart
// implements it; the axes keep the pointer for their whole life.
class ISLAxisChart : public ISLViewHost {
public:
  // The control's off-screen canvas, used to measure texts.
  virtual TCanvas *GetCanvas() = 0;
  // The X axis runs vertically.
  virtual bool GetIsVertical() = 0;
  virtual bool IsDesigning() = 0;
  virtual int32_t GetPlotWidth() = 0;
  // The data view's draw rectangle.
  virtual TRect GetDataViewRect() = 0;
  // The mouse in the control's client coordinates.
  virtual TPoint GetMouseClientPos() = 0;
  virtual TSLScopeXAxis *GetXAxis() = 0;
  virtual TSLScopeYAxis *GetYAxis() = 0;

  // Zoom (the control's zoom state and entry points).
  virtual bool IsZoomed() = 0;
  // Marks the control zoomed.
  virtual void SetZoomed() = 0;
  virtual void SaveUndoZoom(bool Coalesce) = 0;
  virtual void ZoomBy(double FX, double FY, bool SaveUndo) = 0;
  virtual void MouseWheelZoom(TPoint MousePos, double FX, double FY) = 0;
  virtual void ZoomChanged(TSLZoomOperation Operation) = 0;

  // The time and frequency ranges and the sample range of the channels.
  virtual double CalcMinTime() = 0;
  virtual double CalcMaxTime() = 0;
  virtual double CalcMinFreq() = 0;
  virtual double CalcMaxFreq() = 0;
  virtual double GetMinXValue() = 0;
  virtual double GetMaxXValue() = 0;
  virtual double GetSampleRate() = 0;
  virtual bool GetChannelsInFreqencyDomain() = 0;
  virtual bool GetChannelsInIntensityDomain() = 0;
  // The time cache is stale.
  virtual void InvalidateSamples() = 0;
  // The maximum-time and maximum-frequency caches are stale.
  virtual void InvalidateTimeFreqCaches() = 0;
  // Cursors re-apply their snapping after an axis setting changed.
  virtual void UpdateCursors() = 0;

  // The channels, in collection order: visibility and draw buffers (main
  // thread: the draw buffers change only there).
  virtual int32_t GetAxisChannelCount() = 0;
  virtual bool IsAxisChannelVisible(int32_t Index) = 0;
  virtual ISLRealBufferPtr GetAxisChannelDrawX(int32_t Index) = 0;
  virtual ISLRealBufferPtr GetAxisChannelDrawY(int32_t Index) = 0;

protected:
  ~ISLAxisChart() = default;
};

// The step of the axis and the tick walks over the data view.
class TSLOptionalAxis : public TSLOptionalView {
public:
  explicit TSLOptionalAxis(ISLAxisChart *Chart) : TSLOptionalView(Chart), FChart(Chart) {}

  ISLAxisChart *GetChart() const { return FChart; }

  virtual bool IsLogarithmic() { return false; }
  virtual int32_t GetDimentionLength() = 0;
  virtual double GetRangeWidth(bool Logarithmic) = 0;
  // The text height of "Xg" on the control's canvas.
  virtual int32_t GetMaxTextLength();
  virtual int32_t GetMinScaleLineDistance() = 0;
  virtual TFont *GetFont() = 0;

  double ComputeValueStep();
  bool IsValidStep();

  // The walks of SLOptionalAxis.h over the data view's rectangle.
  void UpTickLines(const TSLTickLineProc &Proc, bool FromEnd, TCanvas *Canvas, int32_t TextHeight,
                   bool All, double Min, double Max, int32_t Offset, double Factor);
  void DownTickLines(const TSLTickLineProc &Proc, bool FromEnd, TCanvas *Canvas, int32_t TextHeight,
                     bool All, double Min, double Max, int32_t Offset, double Factor);
  void RightTickLines(const TSLTickLineProc &Proc, bool FromEnd, TCanvas *Canvas,
                      int32_t TextHeight, bool All, double A, double B, double Min, double Max,
                      int32_t Offset, double Factor);

protected:
  TSLValueStepQuery StepQuery();
  virtual double GetStepForWalk() = 0;
  virtual uint32_t GetMinorCount() = 0;
  ISLAxisChart *FChart;
  TSLValueStepCache FStepCache;
};

class TSLTrackingOptionalAxis : public TSLOptionalAxis {
public:
  explicit TSLTrackingOptionalAxis(ISLAxisChart *Chart);

  bool GetTrackCursor() const { return FTrackCursor; }
  void SetTrackCursor(bool Value);
  TColor GetTrackColor() const { return FTrackColor; }
  void SetTrackColor(TColor Value);
  TSLMinorTicks *GetMinorTicks() { return &FMinorTicks; }
  void SetMinorTicks(TSLMinorTicks *Value) { FMinorTicks.Assign(Value); }
  bool GetMouseOver() const { return FMouseOver; }

  virtual double GetStep() = 0;
  virtual void FontChanged(TObject *Sender) = 0;

  void MouseLeave() override;
  void MouseEnter() override;

protected:
  double GetStepForWalk() override { return GetStep(); }
  uint32_t GetMinorCount() override { return FMinorTicks.GetCount(); }

  bool FTrackCursor = true;
  TColor FTrackColor = clRed;
  bool FMouseOver = false;
  TSLMinorTicks FMinorTicks;
};

// The application's label hook: may change AxisLabel, or call SetTickText.
using TSLCustomAxisLabelEvent =
    TEvent<void(TObject *Sender, double SampleValue, std::string &AxisLabel)>;

class TSLDisplayAxis : public TSLTrackingOptionalAxis {
public:
  explicit TSLDisplayAxis(ISLAxisChart *Chart);
  ~TSLDisplayAxis() override;

  bool GetReversed() const { return FReversed; }
  virtual void SetReversed(bool Value);
  TColor GetColor() const { return FColor; }
  void SetColor(TColor Value);
  TFont *GetFont() override { return FFont.get(); }
  void SetFont(TFont *Value) { FFont->Assign(Value); }
  // kept: the published event's getter
  const TSLCustomAxisLabelEvent &GetOnCustomLabel() const { return FOnCustomLabel; }
  void SetOnCustomLabel(TSLCustomAxisLabelEvent Value);
  // Inside OnCustomLabel: this text becomes the label.
  void SetTickText(const std::string &Text);
  // The axis's zoom in and zoom out buttons.
  TSLAxisToolBar *GetToolBar() { return FToolBar.get(); }
  void SetToolBar(TSLAxisToolBar *Value) { FToolBar->Assign(Value); }
  // The toolbar shows while the mouse is over the axis.
  void MouseEnterView() override;
  void MouseLeaveView() override;

  virtual bool GetIsVertical() = 0;
  virtual void ZoomIn() = 0;
  virtual void ZoomOut() = 0;
  virtual std::string GetAxisLabelText() { return std::string(); }
  virtual double GetDataFullMin() = 0;
  virtual double GetDataFullMax() = 0;
  virtual double GetDataZoomedMin() = 0;
  virtual double GetDataZoomedMax() = 0;
  virtual double GetScaleFullMin() { return GetDataFullMinRead(); }
  virtual double GetScaleFullMax() { return GetDataFullMaxRead(); }
  virtual double GetScaleFullRealMin() { return GetDataFullMinRead(); }
  virtual double GetScaleFullRealMax() { return GetDataFullMaxRead(); }
  virtual double GetScaleZoomedMin();
  virtual double GetScaleZoomedMax();
  virtual void InvalidateMinMaxCache();
  virtual std::string GetTickText(double Value) = 0;
  virtual void InvalidateStep() { InvalidateRecalc(); }

  // The cached readers: each value is computed at most once until
  // InvalidateMinMaxCache.
  double GetDataFullMinRead() { return Cached(0, &TSLDisplayAxis::GetDataFullMin); }
  double GetDataFullMaxRead() { return Cached(1, &TSLDisplayAxis::GetDataFullMax); }
  double GetDataZoomedMinRead() { return Cached(2, &TSLDisplayAxis::GetDataZoomedMin); }
  double GetDataZoomedMaxRead() { return Cached(3, &TSLDisplayAxis::GetDataZoomedMax); }
  double GetScaleFullMinRead() { return Cached(4, &TSLDisplayAxis::GetScaleFullMin); }
  double GetScaleFullMaxRead() { return Cached(5, &TSLDisplayAxis::GetScaleFullMax); }
  double GetScaleFullMinRealRead() { return Cached(6, &TSLDisplayAxis::GetScaleFullRealMin); }
  double GetScaleFullMaxRealRead() { return Cached(7, &TSLDisplayAxis::GetScaleFullRealMax); }
  double GetScaleZoomedMinRead() { return Cached(8, &TSLDisplayAxis::GetScaleZoomedMin); }
  double GetScaleZoomedMaxRead() { return Cached(9, &TSLDisplayAxis::GetScaleZoomedMax); }
  // kept: public member of the axis
  double GetScaleZoomedRange() { return GetScaleZoomedMaxRead() - GetScaleZoomedMinRead(); }

  void FontChanged(TObject *Sender) override;
  void Draw(TSLDisplayDrawPart Part, TCanvas *Canvas, bool Vertical, bool Exporting, double YMin,
            double YMax, int32_t YOffset, double YFactor) override;

  // Tick sets (axis line when All, then the walk) and single ticks.
  void DrawUpTicks(TCanvas *Canvas, bool All, double YMin, double YMax, int32_t YOffset,
                   double YFactor);
  void DrawDownTicks(TCanvas *Canvas, bool All, double YMin, double YMax, int32_t YOffset,
                     double YFactor);
  void DrawLeftTicks(TCanvas *Canvas, bool All, double YMin, double YMax, int32_t YOffset,
                     double YFactor);
  void DrawRightTicks(TCanvas *Canvas, bool All, double YMin, double YMax, int32_t YOffset,
                      double YFactor);
  void DrawLeftTicksV(TCanvas *Canvas, bool All);
  void DrawUpTick(TCanvas *Canvas, bool IsZero, int32_t TextHalfHeight, bool IsMinor, double Value,
                  int32_t Position);
  void DrawRightTick(TCanvas *Canvas, bool IsZero, int32_t TextHalfHeight, bool IsMinor,
                     double Value, int32_t Position);
  void DrawVerticalLabel(TCanvas *Canvas, TFont *Font);
  void DrawHorizontalLabel(TCanvas *Canvas, TFont *Font);
  void DrawVerticalMouseMarker(TCanvas *Canvas, int32_t Length);
  void DrawHorizontalMouseMarker(TCanvas *Canvas, int32_t Length);

  // How many times each cached value was computed (tests).
  int32_t CacheFills(int Index) const { return FCache[Index].Fills; }

protected:
  // The descendant's formatted text passed through OnCustomLabel.
  std::string CustomLabel(double Value, std::string Text);
  void PrepareTicks(TCanvas *Canvas, int32_t &TextHeight);

  bool FReversed = false;
  TColor FColor = clWhite;
  std::unique_ptr<TFont> FFont;
  TSLCustomAxisLabelEvent FOnCustomLabel;
  bool FTickTextSet = false;
  std::string FTickText;
  std::unique_ptr<TSLAxisToolBar> FToolBar;

private:
  struct TCacheEntry {
    bool Valid = false;
    double Value = 0;
    int32_t Fills = 0;
  };
  double Cached(int Index, double (TSLDisplayAxis::*Get)());
  std::array<TCacheEntry, 10> FCache;
};
