#pragma once
// The scope's plot area: the client view that takes the space the title,
// legend and axes leave. It paints the frame and the grid (Y grid lines at
// the Y axis's ticks, the zero line in its own colour, X grid lines at the X
// axis's step) and turns a rectangle dragged with the left button into a zoom
// of both axes. Main thread only.

#include <cstdint>

#include "scope/SLCollections.h"
#include "scope/SLDisplayZoom.h"
#include "scope/SLOptionalAxis.h"
#include "scope/SLScope_numeric.h"
#include "scope/SLViews.h"

class TSLDisplayHighlighting;
class TSLDisplayChannel;
class TSLDisplayChannels;

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

  // The hover side. The highlighting settings (none: nothing is looked for
  // under the mouse), the channels, the control as the events' sender, and
  // the control's OnOverChannel and OnLeaveChannel.
  virtual TSLDisplayHighlighting *GetHighlighting() { return nullptr; }
  virtual TSLDisplayChannels *GetHitChannels() { return nullptr; }
  virtual TObject *GetChartObject() { return nullptr; }
  virtual void DoOverChannel(int32_t, int32_t, int32_t, const TSLRealPoint &) {}
  virtual void DoLeaveChannel() {}

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

  // What lies under the mouse: looks again (IntHitTests) and repaints the
  // control when the item or the marker under the mouse changed.
  void HitTests();
  // The cursor, cursor link, marker group or channel under the mouse.
  TSLDisplayCollectionItem *GetHotItem() const { return FHotItem; }
  TSLDisplayCollectionItem *GetHotMarker() const { return FHotMarker; }
  // The hot item when it is a channel.
  TSLDisplayChannel *GetHotChannel() const;
  // The curve's pixel and value under the mouse (while a channel is hot).
  TPoint GetHitPoint() const { return FHitPoint; }
  TSLRealPoint GetHitValue() const { return FHitValue; }
  // The cursor or cursor link pressed (and perhaps being dragged).
  TSLDisplayCollectionItem *GetPressedCursor() const { return FPressedCursor; }
  TSLDisplayCollectionItem *GetPressedCursorLink() const { return FPressedCursorLink; }
  // The parts of the hot or pressed cursor (ikCursors) or link
  // (ikCursorLinks) that the mouse hit.
  TSLHitParts GetHitParts(TSLItemKind Kind) const {
    return Kind == ikCursorLinks ? FLinkHitParts : FCursorHitParts;
  }
  // The item of a kind the legend lights in the plot (none when none).
  TSLDisplayCollectionItem *GetLegendHighlighted(TSLItemKind Kind) const;
  // Makes Item the legend-lit item of its kind (null: none); repaints the
  // view when it changes.
  void SetLegendHighlighted(TSLItemKind Kind, TSLDisplayCollectionItem *Item);
  // An item is going: nothing here points at it any more.
  void ItemDestroyed(TSLDisplayCollectionItem *Item);
  // The view's rectangle with its bottom reduced by one (where items are
  // drawn) and the axes' data zoomed ranges.
  TSLPlotArea GetPlotArea();
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
  void IntHitTests();
  // The channels' hit at (X, Y) and its value; false without one (or when
  // the channel's data no longer holds the hit samples).
  bool ChannelHit(int32_t X, int32_t Y, int32_t &ChannelIndex, TPoint &HitPoint,
                  int32_t &BeginIndex, int32_t &EndIndex, TSLRealPoint &Value);
  // The first item of a kind, the last first, that (X, Y) hits.
  TSLDisplayCollectionItem *HitItem(TSLItemKind Kind, const TSLPlotArea &Area, int32_t X, int32_t Y,
                                    TSLHitParts &Parts, TSLDisplayCollectionItem *&Marker);

  ISLDataViewHost *FChart;
  TColor FGridColor = 0x008000;
  TColor FZeroGridColor = 0xFFFFFF;
  bool FZoomDragging = false;
  TPoint FDownPoint;
  TPoint FMousePoint{-1000, 0};
  bool FItemDragging = false;
  TSLDisplayCollectionItem *FHotItem = nullptr;
  TPoint FHitPoint;
  TSLRealPoint FHitValue;
  TSLDisplayCollectionItem *FHotMarker = nullptr;
  TSLDisplayCollectionItem *FPressedCursor = nullptr;
  TSLDisplayCollectionItem *FPressedCursorLink = nullptr;
  // By TSLItemKind.
  TSLDisplayCollectionItem *FLegendHighlighted[4] = {};
  TSLHitParts FCursorHitParts;
  TSLHitParts FLinkHitParts;
};
