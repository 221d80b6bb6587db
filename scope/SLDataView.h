#pragma once
// The scope's plot area: the client view that takes the space the title,
// legend and axes leave. It paints the frame and the grid (Y grid lines at
// the Y axis's ticks, the zero line in its own colour, X grid lines at the X
// axis's step) and turns a rectangle dragged with the left button into a zoom
// of both axes. Main thread only.

#include <cstdint>

#include "scope/SLDisplayZoom.h"
#include "scope/SLOptionalAxis.h"
#include "scope/SLViews.h"

// What the data view reads and calls of its control and the control's axes.
class ISLDataViewHost : public ISLViewHost {
public:
  // The control's background colour and zoom settings.
  virtual TColor GetColor() = 0;
  virtual TSLDisplayZoom *GetZooming() = 0;
  // The X axis: its scale zoomed range, its step between grid lines, its
  // data zoomed range; a repaint of its view.
  virtual void GetXScaleZoomedRange(double &Min, double &Max) = 0;
  virtual double GetXStep() = 0;
  virtual void GetXDataZoomedRange(double &Min, double &Max) = 0;
  virtual void InvalidateXAxisView() = 0;
  // The Y axis: its font, Reversed, Logarithmic, scale and data zoomed
  // ranges, its view's repaint and its three tick walks (the axis's
  // UpTickLines, DownTickLines and RightTickLines with their arguments).
  virtual TFont *GetYAxisFont() = 0;
  virtual bool GetYAxisReversed() = 0;
  virtual bool GetYAxisLogarithmic() = 0;
  virtual void GetYScaleZoomedRange(double &Min, double &Max) = 0;
  virtual void GetYDataZoomedRange(double &Min, double &Max) = 0;
  virtual void InvalidateYAxisView() = 0;
  virtual void YUpTickLines(const TSLTickLineProc &Proc, bool FromEnd, TCanvas *Canvas,
                            int32_t TextHeight, bool All, double Min, double Max, int32_t Offset,
                            double Factor) = 0;
  virtual void YDownTickLines(const TSLTickLineProc &Proc, bool FromEnd, TCanvas *Canvas,
                              int32_t TextHeight, bool All, double Min, double Max, int32_t Offset,
                              double Factor) = 0;
  virtual void YRightTickLines(const TSLTickLineProc &Proc, bool FromEnd, TCanvas *Canvas,
                               int32_t TextHeight, bool All, double A, double B, double Min,
                               double Max, int32_t Offset, double Factor) = 0;
  // The control: the orientation, the mouse in client coordinates, the
  // zoom to new ranges, the hold, and the zoom notification of a mouse
  // rectangle (the control's ZoomChanged with zoZoom).
  virtual bool GetIsVertical() = 0;
  virtual TPoint GetMouseClientPos() = 0;
  virtual void ZoomTo(double XMin, double XMax, double YMin, double YMax) = 0;
  virtual void SetHold(bool Value) = 0;
  virtual void ZoomChangedByRectangle() = 0;

protected:
  ~ISLDataViewHost() = default;
};

class TSLScopeDataView : public TSLDisplayView {
  CLASSLIB_CLASS(TSLScopeDataView)

public:
  explicit TSLScopeDataView(ISLDataViewHost *Chart);

  TColor GetGridColor() const { return FGridColor; }
  void SetGridColor(TColor Value);
  TColor GetZeroGridColor() const { return FZeroGridColor; }
  void SetZeroGridColor(TColor Value);

  TPoint GetDefaultSize() override { return {-1, -1}; }
  TAlign GetAlign() override { return alClient; }
  void MouseMove(TShiftState Shift, int32_t X, int32_t Y) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y,
                 bool InView) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y, bool InView) override;
  void MouseLeave() override;
  void MouseEnter() override;
  void Draw(TSLDisplayDrawPart Part, TCanvas *Canvas, bool Vertical, bool Exporting, double YMin,
            double YMax, int32_t YOffset, double YFactor) override;
  void DrawMouseSelction(TCanvas *Canvas) override;

  // A left-button drag over free plot area is under way and mouse zoom is on.
  bool InMouseZooming();
  // The last mouse position in client pixels; X is -1000 after the mouse left.
  TPoint GetMousePoint() const { return FMousePoint; }

  // Grid tick routines: nothing for a minor tick; otherwise a line across
  // the view in the zero or the grid colour, horizontal (DrawUpLines) or
  // vertical (DrawLeftLines).
  void DrawUpLines(TCanvas *Canvas, bool IsZero, int32_t TextHalfHeight, bool IsMinor, double Value,
                   int32_t Position);
  void DrawLeftLines(TCanvas *Canvas, bool IsZero, int32_t TextHalfHeight, bool IsMinor,
                     double Value, int32_t Position);

private:
  void ApplyRectangleZoom();

  ISLDataViewHost *FChart;
  TColor FGridColor = 0x008000;
  TColor FZeroGridColor = 0xFFFFFF;
  bool FZoomDragging = false;
  TPoint FDownPoint;
  TPoint FMousePoint{-1000, 0};
};
