#pragma once
// The scope's value axis (Y: fixed range or auto-scaling over the visible
// channels with a history, label format, drag of the zoomed range, the pixel
// transform that curves, grid and ticks share) and its horizontal axis (X:
// the sample index range, shown as time, frequency, intensity, samples or a
// manual range). Main thread only.

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

// Y axes ---------------------------------------------------------------------------

class TSLDisplayYAxis : public TSLDisplayAxis {
public:
  explicit TSLDisplayYAxis(ISLAxisChart *Chart);

  TSLDisplayLabel *GetAxisLabel() { return &FAxisLabel; }
  void SetAxisLabel(TSLDisplayLabel *Value) { FAxisLabel.Assign(Value); }
  void LabelChanged(TObject *Sender);

  int32_t GetDefaultOffsetBegin() override;
  int32_t GetDefaultOffsetEnd() override;
  TAlign GetAlign() override;
  void MouseMove(TShiftState Shift, int32_t X, int32_t Y) override;
  void MouseWheelDown(TShiftState Shift, TPoint MousePos) override;
  void MouseWheelUp(TShiftState Shift, TPoint MousePos) override;
  int32_t GetDimentionLength() override;
  int32_t GetMaxTextLength() override;
  int32_t GetMinScaleLineDistance() override;
  bool GetIsVertical() override;
  void ZoomIn() override;
  void ZoomOut() override;
  virtual void DrawTicks(TCanvas *Canvas, bool All, bool Vertical, double YMin, double YMax,
                         int32_t YOffset, double YFactor);

protected:
  TPoint FLastMouse{-1000000, -1000000};
  TSLDisplayLabel FAxisLabel;
};

class TSLScopeYAxis : public TSLDisplayYAxis {
  CLASSLIB_CLASS(TSLScopeYAxis)

public:
  explicit TSLScopeYAxis(ISLAxisChart *Chart);

  double GetMin() const { return FMin; }
  void SetMin(double Value);
  double GetMax() const { return FMax; }
  void SetMax(double Value);
  int32_t GetPrecision() const { return FPrecision; }
  void SetPrecision(int32_t Value);
  bool GetFixedPrecision() const { return FFixedPrecision; }
  void SetFixedPrecision(bool Value);
  bool GetLogarithmic() const { return FLogarithmic; }
  void SetLogarithmic(bool Value);
  TSLScopeAutoScaling *GetAutoScaling() { return &FAutoScaling; }
  void SetAutoScaling(TSLScopeAutoScaling *Value) { FAutoScaling.Assign(Value); }
  TSLDisplayAxisCursorSettings *GetCursorSettings() { return &FCursorSettings; }
  void SetCursorSettings(TSLDisplayAxisCursorSettings *Value);
  double GetZoomMin() const { return FZoomMin; }
  double GetZoomMax() const { return FZoomMax; }
  int32_t GetMarkerLength() const { return FMarkerLength; }
  int32_t GetHistoryCount() const { return FHistoryCount; }
  // The chart's InvalidateHistory: the scaling history starts again.
  void ResetHistory() {
    FHistoryPos = 0;
    FHistoryCount = 0;
  }

  void DefineProperties(TFiler *Filer) override;
  TPoint GetDefaultSize() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y,
                 bool InView) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y, bool InView) override;
  void MouseMove(TShiftState Shift, int32_t X, int32_t Y) override;
  void Draw(TSLDisplayDrawPart Part, TCanvas *Canvas, bool Vertical, bool Exporting, double YMin,
            double YMax, int32_t YOffset, double YFactor) override;
  void DrawEx(TSLDisplayDrawPart Part, TCanvas *Canvas, bool Vertical, double YMin, double YMax,
              int32_t YOffset, double YFactor) override;
  bool IsLogarithmic() override { return FLogarithmic; }
  double GetRangeWidth(bool Logarithmic) override;
  double GetStep() override;
  std::string GetAxisLabelText() override { return FAxisLabel.GetText(); }
  double GetDataFullMin() override;
  double GetDataFullMax() override;
  double GetDataZoomedMin() override;
  double GetDataZoomedMax() override;
  std::string GetTickText(double Value) override;
  void InvalidateStep() override;

  bool IsZoomed() { return FChart->IsZoomed(); }
  void ZoomBy(double Factor, bool SaveUndo = true);
  void ZoomTo(double A, double B, bool SaveUndo = true);
  // Sets the zoom range (smaller end first, at least 0.0001 wide).
  void IntZoomTo(double A, double B);
  // Scales the zoomed range about its middle; a range that would not be
  // finite leaves the zoom as it was.
  void IntZoom(double Factor);

  void PopulateScaleHistory();
  double GetCalcMinCurrentScale();
  double GetCalcMaxCurrentScale();
  // Offset + rnd(L(v) x Factor) pixels from the low end of the axis.
  void GetScaleInfo(int32_t &Offset, double &Factor, double A, double B);
  double AlignValue(double Value);
  void MouseMoveScale(TPoint Start, TPoint Current);

private:
  // Visible channels with more than Least values.
  bool AnyChannelHolds(uint32_t Least);
  // Smallest and largest finite values of each visible channel with more
  // than one value, over the X axis's sample window.
  template <class F> void ForEachChannelRange(F Each);

  double FStep = 1.0;
  double FMin = -1000.0;
  double FMax = 1000.0;
  double FZoomMin = -1.0;
  double FZoomMax = 1.0;
  int32_t FPrecision = 3;
  bool FFixedPrecision = false;
  TSLScopeAutoScaling FAutoScaling;
  TSLDisplayAxisCursorSettings FCursorSettings;
  int32_t FHistoryPos = 0;
  int32_t FHistoryCount = 0;
  int32_t FMarkerLength = 0;
  bool FLogarithmic = false;
  double FLastAutoMin = 0;
  double FLastAutoMax = 0;
  bool FDragging = false;
  TPoint FDragStart;
  double FDragStartMin = 0;
  double FDragStartMax = 0;
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

class TSLDisplayXAxis : public TSLDisplayAxis {
public:
  explicit TSLDisplayXAxis(ISLAxisChart *Chart);

  TSLDisplayLabel *GetAxisLabel() { return &FAxisLabel; }
  void SetAxisLabel(TSLDisplayLabel *Value) { FAxisLabel.Assign(Value); }
  void LabelChanged(TObject *Sender);
  std::string GetLabelText(const std::string &Text) { return Text; }

  TPoint GetDefaultSize() override;
  int32_t GetDefaultOffsetBegin() override;
  int32_t GetDefaultOffsetEnd() override;
  TAlign GetAlign() override;
  void MouseMove(TShiftState Shift, int32_t X, int32_t Y) override;
  void MouseWheelDown(TShiftState Shift, TPoint MousePos) override;
  void MouseWheelUp(TShiftState Shift, TPoint MousePos) override;
  void Draw(TSLDisplayDrawPart Part, TCanvas *Canvas, bool Vertical, bool Exporting, double YMin,
            double YMax, int32_t YOffset, double YFactor) override;
  void DrawEx(TSLDisplayDrawPart Part, TCanvas *Canvas, bool Vertical, double YMin, double YMax,
              int32_t YOffset, double YFactor) override;
  int32_t GetDimentionLength() override;
  double GetRangeWidth(bool Logarithmic) override;
  int32_t GetMaxTextLength() override;
  int32_t GetMinScaleLineDistance() override;
  double GetStep() override;
  bool GetIsVertical() override;
  void ZoomIn() override;
  void ZoomOut() override;
  std::string GetAxisLabelText() override;
  double GetDataZoomedMin() override { return GetMinSample(); }
  double GetDataZoomedMax() override { return GetMaxSample(); }
  std::string GetTickText(double Value) override;

  virtual int32_t GetMinSample() { return 0; }
  virtual int32_t GetMaxSample() { return FSamples; }
  // 0 counts as 1024.
  virtual void SetSamples(int32_t Count);
  int32_t GetVC_Samples() const { return FSamples; }
  int32_t GetMarkerLength() const { return FMarkerLength; }

  void DrawTicks(TCanvas *Canvas, bool All, bool Vertical, double YMin, double YMax,
                 int32_t YOffset, double YFactor);

protected:
  int32_t FSamples = 1024;
  TPoint FLastMouse{-1000000, -1000000};
  TSLDisplayLabel FAxisLabel;
  int32_t FMarkerLength = 0;
};

class TSLScopeXAxis : public TSLDisplayXAxis {
  CLASSLIB_CLASS(TSLScopeXAxis)

public:
  explicit TSLScopeXAxis(ISLAxisChart *Chart);

  TSLScopeAxisValue *GetMin() { return &FMinValue; }
  void SetMin(TSLScopeAxisValue *Value);
  TSLScopeAxisValue *GetMax() { return &FMaxValue; }
  void SetMax(TSLScopeAxisValue *Value);
  int32_t GetPrecision() const { return FPrecision; }
  void SetPrecision(int32_t Value);
  bool GetFixedPrecision() const { return FFixedPrecision; }
  void SetFixedPrecision(bool Value);
  TSLDisplayAxisTicksMode GetTicksMode() const { return FTicksMode; }
  void SetTicksMode(TSLDisplayAxisTicksMode Value);
  TSLDisplayAxisCursorSettings *GetCursorSettings() { return &FCursorSettings; }
  void SetCursorSettings(TSLDisplayAxisCursorSettings *Value);
  TSLScopeMaxSample *GetMaxSampleSettings() { return &FMaxSample; }
  void SetMaxSample(TSLScopeMaxSample *Value) { FMaxSample.Assign(Value); }
  TSLScopeXAxisUnitScale *GetUnitScale() { return &FUnitScale; }
  void SetUnitScale(TSLScopeXAxisUnitScale *Value) { FUnitScale.Assign(Value); }
  double GetZoomMin() const { return FZoomMin; }
  double GetZoomMax() const { return FZoomMax; }

  bool InTimeAxis();
  bool InFreqAxis();
  bool InIntensityAxis();

  void DefineProperties(TFiler *Filer) override;
  void InvalidateView() override;
  void MouseMove(TShiftState Shift, int32_t X, int32_t Y) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y,
                 bool InView) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y, bool InView) override;
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
  std::string GetTickText(double Value) override;
  int32_t GetMinSample() override;
  int32_t GetMaxSample() override;
  void SetSamples(int32_t Count) override;

  bool IsZoomed() { return FChart->IsZoomed(); }
  void ZoomBy(double Factor, bool SaveUndo = true);
  void ZoomTo(double A, double B, bool SaveUndo = true);
  void IntZoomTo(double A, double B);
  void IntZoom(double Factor);

  double SampleToScale(double X);
  double ScaleToSample(double X);
  double GetMinSampleReal() { return FChart->GetMinXValue(); }
  double GetMaxSampleReal() { return FChart->GetMaxXValue(); }
  double AlignValue(double Value);
  void MouseMoveScale(TPoint Start, TPoint Current);

private:
  void LimitChanged(TObject *Sender);
  // The sample index of a fixed limit: rnd(samples x v / range) with v
  // limited to the data range; a zero range gives Fallback.
  int32_t FixedSample(double V, int32_t Fallback);

  TSLScopeAxisValue FMinValue;
  TSLScopeAxisValue FMaxValue;
  int32_t FPrecision = 3;
  bool FFixedPrecision = false;
  TSLDisplayAxisTicksMode FTicksMode = atmAuto;
  TSLDisplayAxisCursorSettings FCursorSettings;
  double FZoomMin = -1.0;
  double FZoomMax = 1.0;
  bool FDragging = false;
  TPoint FDragStart;
  double FDragStartMin = 0;
  double FDragStartMax = 0;
  TSLScopeMaxSample FMaxSample;
  TSLScopeXAxisUnitScale FUnitScale;
};
