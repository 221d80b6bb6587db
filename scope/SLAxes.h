#pragma once
// The scope's value axis (Y: fixed range or auto-scaling over the visible
// channels with a history, label format, drag of the zoomed range, the pixel
// transform that curves, grid and ticks share) and its horizontal axis (X:
// the sample index range, shown as time, frequency, intensity, samples or a
// manual range). What the two have in common is written once, in
// TSLDisplayXYAxis (display) and TSLScopeAxisT (scope). Main thread only.

#include <cstdint>
#include <memory>
#include <string>

#include "scope/SLDisplayAxis.h"
#include "scope/SLLabels.h"

// Decimals of the labels of a range A..B: Precision when Fixed, else enough
// for Precision significant digits of the span (one more below 1), at least
// 0. A non-finite span gives 0.
int32_t SLGetDecimalPoints(double A, double B, int32_t Precision, bool Fixed);

// A tick label: Value with Decimals decimals, trimmed; with Fixed, an
// exponent text keeps Precision decimals and loses the zeros after "E".
std::string SLFormatTickText(double Value, int32_t Decimals, int32_t Precision, bool Fixed);

// The unit exponents the X axis's caption and the chart's time and
// frequency ranges use: 3 x trunc(log10(rate / samples x 1000) / 3) and
// 3 x trunc(log10(rate) / 3). A rate or count that gives no finite
// logarithm gives 0.
int32_t SLTimeUnitExponent(double SampleRate, double Samples);
int32_t SLFreqUnitExponent(double SampleRate);
// (Samples - 1) / rate x 10^Exponent, and rate / 2 / 10^Exponent; a rate
// of 0 or NaN gives 0.
double SLCalcMaxTime(double SampleRate, double Samples, int32_t Exponent);
double SLCalcMaxFreq(double SampleRate, int32_t Exponent);
// The captions of a time and of a frequency axis for an exponent.
std::string SLTimeUnitCaption(int32_t Exponent);
std::string SLFreqUnitCaption(int32_t Exponent);

// Both axes ------------------------------------------------------------------------

// Which of the two axes: X (samples, time, frequency) or Y (values).
enum class TSLAxisKind : uint8_t { X, Y };

// What the X and the Y axis share apart from which of the two they are: the
// caption, the zoom buttons and the wheel (on their own axis's factor), the
// label measures and the track marker, caption and ticks of a paint. "Along
// screen X" is the axis's own orientation: the X axis of a vertical control
// runs down the screen, its Y axis across.
class TSLDisplayXYAxis : public TSLDisplayAxis {
public:
  TSLDisplayXYAxis(ISLAxisChart *Chart, TSLAxisKind Kind);

  TSLAxisKind GetKind() const { return FKind; }
  TSLDisplayLabel *GetAxisLabel() { return &FAxisLabel; }
  void SetAxisLabel(TSLDisplayLabel *Value) { FAxisLabel.Assign(Value); }
  void LabelChanged(TObject *Sender);
  int32_t GetMarkerLength() const { return FMarkerLength; }

  void MouseWheelDown(TShiftState Shift, TPoint MousePos) override;
  void MouseWheelUp(TShiftState Shift, TPoint MousePos) override;
  // Along screen X: the wider of the zoomed scale's end labels; else the
  // base's.
  int32_t GetMaxTextLength() override;
  // Along screen X: the width of the data maximum's label + 8, else the text
  // height + 4; at least 20.
  int32_t GetMinScaleLineDistance() override;
  bool GetIsVertical() override;
  void ZoomIn() override;
  void ZoomOut() override;
  // The track marker, all ticks and the caption, turned for the control's
  // orientation (Vertical), then the base's toolbar.
  void Draw(TSLDisplayDrawPart Part, TCanvas *Canvas, bool Vertical, bool Exporting, double YMin,
            double YMax, int32_t YOffset, double YFactor) override;
  // The ticks alone.
  void DrawEx(TSLDisplayDrawPart Part, TCanvas *Canvas, bool Vertical, double YMin, double YMax,
              int32_t YOffset, double YFactor) override;
  virtual void DrawTicks(TCanvas *Canvas, bool All, bool Vertical, double YMin, double YMax,
                         int32_t YOffset, double YFactor) = 0;

protected:
  // Stores a changed setting that moves the ticks: the step is computed
  // again and the control lays itself out anew.
  template <class T> void SetStepSetting(T &Field, T Value) {
    if (Value == Field)
      return;
    Field = Value;
    FStepCache.Valid = false;
    InvalidateRecalc();
  }
  // The control's zoom by Factor on this axis only.
  void ZoomOwnAxis(double Factor);

  TPoint FLastMouse{-1000000, -1000000};
  TSLDisplayLabel FAxisLabel;
  int32_t FMarkerLength = 0;

private:
  const TSLAxisKind FKind;
};

// Y axes ---------------------------------------------------------------------------

class TSLDisplayYAxis : public TSLDisplayXYAxis {
public:
  explicit TSLDisplayYAxis(ISLAxisChart *Chart);

  int32_t GetDefaultOffsetBegin() override;
  int32_t GetDefaultOffsetEnd() override;
  TAlign GetAlign() override;
  void MouseMove(TShiftState Shift, int32_t X, int32_t Y) override;
  int32_t GetDimentionLength() override;
  void DrawTicks(TCanvas *Canvas, bool All, bool Vertical, double YMin, double YMax,
                 int32_t YOffset, double YFactor) override;
};

// X axes ---------------------------------------------------------------------------

enum TSLDisplayAxisTicksMode : uint8_t {
  atmAuto,
  atmBufferSamples,
  atmFrequency,
  atmIntensity,
  atmTime,
  atmManual
};

class TSLDisplayXAxis : public TSLDisplayXYAxis {
public:
  explicit TSLDisplayXAxis(ISLAxisChart *Chart);

  // kept: public member of the axis
  std::string GetLabelText(const std::string &Text) { return Text; }

  TPoint GetDefaultSize() override;
  int32_t GetDefaultOffsetBegin() override;
  int32_t GetDefaultOffsetEnd() override;
  TAlign GetAlign() override;
  void MouseMove(TShiftState Shift, int32_t X, int32_t Y) override;
  int32_t GetDimentionLength() override;
  double GetRangeWidth(bool Logarithmic) override;
  double GetStep() override;
  std::string GetAxisLabelText() override;
  double GetDataZoomedMin() override { return GetMinSample(); }
  double GetDataZoomedMax() override { return GetMaxSample(); }
  std::string GetTickText(double Value) override;

  virtual int32_t GetMinSample() { return 0; }
  virtual int32_t GetMaxSample() { return FSamples; }
  // 0 counts as 1024.
  virtual void SetSamples(int32_t Count);
  int32_t GetVC_Samples() const { return FSamples; }

  void DrawTicks(TCanvas *Canvas, bool All, bool Vertical, double YMin, double YMax,
                 int32_t YOffset, double YFactor) override;

protected:
  int32_t FSamples = 1024;
};

// The scope's axes ------------------------------------------------------------------

// What the scope's two axes add alike to their display axes (TDisplay is
// TSLDisplayXAxis or TSLDisplayYAxis): the zoomed range and its drag with
// the left button, snapping cursor values to the channels' samples, the
// label precision and the cursor settings. Where the two differ it says so.
template <class TDisplay> class TSLScopeAxisT : public TDisplay {
public:
  explicit TSLScopeAxisT(ISLAxisChart *Chart);

  int32_t GetPrecision() const { return FPrecision; }
  void SetPrecision(int32_t Value);
  bool GetFixedPrecision() const { return FFixedPrecision; }
  void SetFixedPrecision(bool Value);
  TSLDisplayAxisCursorSettings *GetCursorSettings() { return &FCursorSettings; }
  void SetCursorSettings(TSLDisplayAxisCursorSettings *Value);
  double GetZoomMin() const { return FZoomMin; }
  double GetZoomMax() const { return FZoomMax; }

  void MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y,
                 bool InView) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y, bool InView) override;
  void MouseMove(TShiftState Shift, int32_t X, int32_t Y) override;
  // Precision's decimals over the zoomed range: the data range on the Y
  // axis, the scale range on the X axis.
  std::string GetTickText(double Value) override;

  bool IsZoomed() { return this->FChart->IsZoomed(); }
  void ZoomBy(double Factor, bool SaveUndo = true);
  void ZoomTo(double A, double B, bool SaveUndo = true);
  // Sets the zoom range (smaller end first, at least 0.0001 wide); the Y
  // axis also computes its step again.
  void IntZoomTo(double A, double B);
  // Scales the zoomed range about its middle; a range that would not be
  // finite leaves the zoom as it was.
  void IntZoom(double Factor);
  // With SnapToSample, each channel in turn moves Value to its nearest
  // sample value (X values on the X axis, Y values on the Y axis) when Value
  // lies strictly inside that channel's range.
  double AlignValue(double Value);
  // Moves the zoomed range by the drag from Start to Current, while zoomed:
  // along the axis's screen direction, the Y axis's turned unless Reversed;
  // the X range stays inside the data range, the Y range does not.
  void MouseMoveScale(TPoint Start, TPoint Current);

protected:
  double FZoomMin = -1.0;
  double FZoomMax = 1.0;
  int32_t FPrecision = 3;
  bool FFixedPrecision = false;
  TSLDisplayAxisCursorSettings FCursorSettings;

private:
  bool IsX() const { return this->GetKind() == TSLAxisKind::X; }
  // Saves the zoom for undo when asked, runs Zoom and shows the result.
  template <class F> void ZoomChart(bool SaveUndo, F Zoom);
  // The zoom range moved: the Y axis's step follows it; the X axis
  // computes its step on every paint.
  void ZoomRangeChanged();

  bool FDragging = false;
  TPoint FDragStart;
  double FDragStartMin = 0;
  double FDragStartMax = 0;
};

// Both are compiled once, with the axes' unit.
extern template class TSLScopeAxisT<TSLDisplayXAxis>;
extern template class TSLScopeAxisT<TSLDisplayYAxis>;

// Y axis of the scope ----------------------------------------------------------------

class TSLScopeYAxis : public TSLScopeAxisT<TSLDisplayYAxis> {
  CLASSLIB_CLASS(TSLScopeYAxis)

public:
  explicit TSLScopeYAxis(ISLAxisChart *Chart);

  double GetMin() const { return FMin; }
  void SetMin(double Value);
  double GetMax() const { return FMax; }
  void SetMax(double Value);
  bool GetLogarithmic() const { return FLogarithmic; }
  void SetLogarithmic(bool Value);
  TSLScopeAutoScaling *GetAutoScaling() { return &FAutoScaling; }
  void SetAutoScaling(TSLScopeAutoScaling *Value) { FAutoScaling.Assign(Value); }
  int32_t GetHistoryCount() const { return FHistoryCount; }
  // The chart's InvalidateHistory: the scaling history starts again.
  void ResetHistory() {
    FHistoryPos = 0;
    FHistoryCount = 0;
  }

  void DefineProperties(TFiler *Filer) override;
  TPoint GetDefaultSize() override;
  bool IsLogarithmic() override { return FLogarithmic; }
  double GetRangeWidth(bool Logarithmic) override;
  double GetStep() override;
  std::string GetAxisLabelText() override { return FAxisLabel.GetText(); }
  double GetDataFullMin() override;
  double GetDataFullMax() override;
  double GetDataZoomedMin() override;
  double GetDataZoomedMax() override;
  void InvalidateStep() override;

  void PopulateScaleHistory();
  double GetCalcMinCurrentScale();
  double GetCalcMaxCurrentScale();
  // Offset + rnd(L(v) x Factor) pixels from the low end of the axis.
  void GetScaleInfo(int32_t &Offset, double &Factor, double A, double B);

private:
  // Visible channels with more than Least values.
  bool AnyChannelHolds(uint32_t Least);
  // Smallest and largest finite values of each visible channel with more
  // than one value, over the X axis's sample window.
  template <class F> void ForEachChannelRange(F Each);

  double FStep = 1.0;
  double FMin = -1000.0;
  double FMax = 1000.0;
  TSLScopeAutoScaling FAutoScaling;
  int32_t FHistoryPos = 0;
  int32_t FHistoryCount = 0;
  bool FLogarithmic = false;
  double FLastAutoMin = 0;
  double FLastAutoMax = 0;
};

// X axis of the scope ----------------------------------------------------------------

class TSLScopeXAxis : public TSLScopeAxisT<TSLDisplayXAxis> {
  CLASSLIB_CLASS(TSLScopeXAxis)

public:
  explicit TSLScopeXAxis(ISLAxisChart *Chart);

  TSLScopeAxisValue *GetMin() { return &FMinValue; }
  void SetMin(TSLScopeAxisValue *Value);
  TSLScopeAxisValue *GetMax() { return &FMaxValue; }
  void SetMax(TSLScopeAxisValue *Value);
  TSLDisplayAxisTicksMode GetTicksMode() const { return FTicksMode; }
  void SetTicksMode(TSLDisplayAxisTicksMode Value);
  TSLScopeMaxSample *GetMaxSampleSettings() { return &FMaxSample; }
  void SetMaxSample(TSLScopeMaxSample *Value) { FMaxSample.Assign(Value); }
  TSLScopeXAxisUnitScale *GetUnitScale() { return &FUnitScale; }
  void SetUnitScale(TSLScopeXAxisUnitScale *Value) { FUnitScale.Assign(Value); }

  bool InTimeAxis();
  bool InFreqAxis();
  bool InIntensityAxis();

  void DefineProperties(TFiler *Filer) override;
  void InvalidateView() override;
  std::string GetAxisLabelText() override;
  double GetDataFullMin() override;
  double GetDataFullMax() override;
  double GetDataZoomedMin() override;
  double GetDataZoomedMax() override;
  double GetScaleFullMin() override;
  double GetScaleFullMax() override;
  double GetScaleFullRealMin() override;
  double GetScaleFullRealMax() override;
  void InvalidateMinMaxCache() override;
  int32_t GetMinSample() override;
  int32_t GetMaxSample() override;
  void SetSamples(int32_t Count) override;

  double SampleToScale(double X);
  double ScaleToSample(double X);
  double GetMinSampleReal() { return FChart->GetMinXValue(); }
  double GetMaxSampleReal() { return FChart->GetMaxXValue(); }

private:
  void LimitChanged(TObject *Sender);
  // The sample index of a fixed limit: rnd(samples x v / range) with v
  // limited to the data range; a zero range gives Fallback.
  int32_t FixedSample(double V, int32_t Fallback);

  TSLScopeAxisValue FMinValue;
  TSLScopeAxisValue FMaxValue;
  TSLDisplayAxisTicksMode FTicksMode = atmAuto;
  TSLScopeMaxSample FMaxSample;
  TSLScopeXAxisUnitScale FUnitScale;
};
