#pragma once
// Cursors: user-placed measuring lines over the plot, vertical at an X
// value, horizontal at a Y value, or both crossing at a point. A cursor
// draws itself with the points where it crosses its linked channels, tells
// whether the mouse is on one of its lines, previews a drag with a dotted
// trail and the difference it would make, and moves when the drag ends.
// Main thread only, like the display.

#include <cstdint>
#include <string>
#include <vector>

#include "scope/SLCollections.h"
#include "scope/SLScope_hosts.h"
#include "scope/SLScope_numeric.h"

class TSLDisplayChannels;
class TSLDisplayChannelLinks;
class TSLDisplayCursor;
class TSLDisplayCursorLink;
class TSLDisplayCursors;
class TSLDisplayHighlighting;
class TSLDisplayTrails;

enum TSLDisplayCursorKind : uint8_t { ckVertical, ckHorizontal, ckBoth };

// (Sender: the display; Index: the item's place in its collection).
using TSLPositionChangeEvent =
    TEvent<void(TObject *Sender, int32_t Index, const TSLRealPoint &OldPosition,
                const TSLRealPoint &NewPosition)>;

// What cursors and cursor links read of the chart that shows them: its
// axes, the data view's mouse state, the settings they draw with.
class ISLCursorChart {
public:
  // Repaint and relayout of the display.
  virtual ISLDisplayHost *CursorDisplay() = 0;
  // The events' sender.
  virtual TObject *CursorSender() = 0;
  // The X axis runs down the plot.
  virtual bool CursorVertical() = 0;
  virtual bool CursorYReversed() = 0;
  // The X axis's full data range, which bounds every cursor's X.
  virtual void CursorXDataRange(double &Min, double &Max) = 0;
  // The axes' snapping of a cursor value (identity when snapping is off).
  virtual double CursorAlignX(double Value) = 0;
  virtual double CursorAlignY(double Value) = 0;
  virtual std::string CursorXTickText(double Value) = 0;
  virtual std::string CursorYTickText(double Value) = 0;
  // The X value of a (fractional) sample position.
  virtual double CursorSampleToScale(double Position) = 0;
  // The data view's state: the item under the mouse, the item of a kind
  // being dragged and the one the legend lights, the parts of the hot or
  // dragged item of a kind that the mouse hit, the mouse in client pixels.
  virtual TSLDisplayCollectionItem *CursorHotItem() = 0;
  virtual TSLDisplayCollectionItem *CursorPressed(TSLItemKind Kind) = 0;
  virtual TSLDisplayCollectionItem *CursorLegendItem(TSLItemKind Kind) = 0;
  virtual void SetCursorLegendItem(TSLItemKind Kind, TSLDisplayCollectionItem *Item) = 0;
  virtual TSLHitParts CursorHitParts(TSLItemKind Kind) = 0;
  virtual TPoint CursorMouse() = 0;
  // Settings: null highlighting means nothing is ever lit.
  virtual TSLDisplayHighlighting *CursorHighlighting() = 0;
  virtual TSLDisplayTrails *CursorTrails() = 0;
  virtual TColor CursorBackColor() = 0;
  // The channels cursors link to, and the cursors links join.
  virtual TSLDisplayChannels *CursorChannels() = 0;
  virtual TSLDisplayCursors *CursorItems() = 0;
  // The label formatter ("%X", "%Y", "%D", "%%") with the axes' texts.
  virtual std::string CursorLabelText(double X, double Y, const std::string &Format,
                                      const std::string &Default) = 0;

protected:
  ~ISLCursorChart() = default;
};

// Where a cursor value lands on the plot and back. Rect is the plot
// rectangle (the data view with its bottom reduced by one); a displayed range
// of 0 counts as 0.00001. X values run across L..R-1 (down T..B-1 in vertical
// display), Y values over T..B (across L..R in vertical display), so that a
// cursor at the ends of the range sits on the frame. Drawing, hit tests,
// trails and drops all use these, so a drop lands on the pixel the trail
// showed.
struct TSLCursorGeometry {
  TRect Rect;
  double XMin = 0, XMax = 0, YMin = 0, YMax = 0;
  bool Vertical = false;
  bool Reversed = false;

  double XRange() const;
  double YRange() const;
  // The pixel of an X value along the X direction (a screen X in normal
  // display, a screen Y in vertical display), and back from the mouse
  // coordinate along that direction.
  int32_t XPixel(double X) const;
  double XValue(int32_t Mouse) const;
  int32_t YPixel(double Y) const;
  double YValue(int32_t Mouse) const;
};

// The geometry of a chart's plot rectangle and displayed ranges.
TSLCursorGeometry SLCursorGeometry(ISLCursorChart *Chart, const TRect &Rect, double XMin,
                                   double XMax, double YMin, double YMax);
// Value within the chart's X data range (upper limit first).
double SLWithinXRange(ISLCursorChart *Chart, double Value);

// A plain list of the cursor links that use a cursor (not owning them).
class TSLDisplayCursorLinkList : public TObject {
public:
  int32_t GetCount() const { return static_cast<int32_t>(FItems.size()); }
  TSLDisplayCursorLink *GetItem(int32_t Index) const { return FItems.at(size_t(Index)); }
  void Add(TSLDisplayCursorLink *Link) { FItems.push_back(Link); }
  // Removes the first occurrence.
  void Remove(TSLDisplayCursorLink *Link);

private:
  std::vector<TSLDisplayCursorLink *> FItems;
};

class TSLDisplayCursorPosition : public TPersistent {
  CLASSLIB_CLASS(TSLDisplayCursorPosition)

public:
  explicit TSLDisplayCursorPosition(TSLDisplayCursor *Cursor = nullptr) : FCursor(Cursor) {}

  // The stored X within the X axis's full data range.
  double GetX();
  // Within the X axis's full data range, then snapped by the X axis; a
  // changed value repaints. NaN changes nothing; infinities go to the ends.
  void SetX(double Value);
  double GetY() const { return FY; }
  // Snapped by the Y axis; a changed value repaints. A value that is not
  // finite changes nothing: it has no place on any plot.
  void SetY(double Value);
  double GetStoredX() const { return FX; }
  void Assign(TPersistent *Source) override;

private:
  ISLCursorChart *Chart() const;

  double FX = 0;
  double FY = 0;
  TSLDisplayCursor *FCursor;
};

class TSLDisplayCursor : public TSLOptionalDisplayCollectionItem {
  CLASSLIB_CLASS(TSLDisplayCursor)

public:
  explicit TSLDisplayCursor(TCollection *Collection);
  // Its links move to other cursors (or lose it) first.
  ~TSLDisplayCursor() override;
  // "Cursor" followed by the collection's count.
  void AfterConstruction() override;

  ISLCursorChart *GetChart() const { return FChart; }
  TSLDisplayCursorPosition *GetPosition() { return &FPosition; }
  void SetPosition(TSLDisplayCursorPosition *Value);
  TColor GetColor() const { return FColor; }
  void SetColor(TColor Value);
  TSLDisplayCursorKind GetKind() const { return FKind; }
  void SetKind(TSLDisplayCursorKind Value);
  TSLDisplayChannelLinks *GetChannels() { return FChannels.get(); }
  // Copies of the given links.
  void SetChannels(TSLDisplayChannelLinks *Value);
  bool GetVC_IsDynamic() const { return FIsDynamic; }
  void SetIsDynamic(bool Value) { FIsDynamic = Value; }
  TSLDisplayCursorLinkList *GetVC_CursorLinks() { return &FCursorLinks; }
  void AddLink(TSLDisplayCursorLink *Link) { FCursorLinks.Add(Link); }
  void RemoveLink(TSLDisplayCursorLink *Link) { FCursorLinks.Remove(Link); }
  // The links resolve their pending cursor indexes.
  void PopulateLinks();
  // The cursor is going: every link that uses it moves to another cursor or
  // lets go of it.
  void ReleaseLinks();
  // A vertical line (ckVertical, ckBoth) and a horizontal one (ckHorizontal,
  // ckBoth).
  bool HasVLine() const { return FKind != ckHorizontal; }
  bool HasHLine() const { return FKind != ckVertical; }

  std::string GetDisplayName() const override { return FName; }
  TColor GetLegendPenColor() override { return FColor; }
  bool GetHighlighted() override;
  void SetHighlighted(bool Value) override;
  bool GetMouseDown() override;
  void InvalidateItem() override;

  void MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y, bool InView);
  void MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y, bool InView);
  void Draw(TCanvas *Canvas, const TRect &Rect, double XMin, double XMax, double YMin, double YMax);
  bool HitTest(bool &VHit, bool &HHit, int32_t X, int32_t Y, const TRect &Rect, double XMin,
               double XMax, double YMin, double YMax);
  void MoveTo(bool MoveY, bool MoveX, int32_t X, int32_t Y, const TRect &Rect, double XMin,
              double XMax, double YMin, double YMax);

  // The data view's routing: First is the vertical line, Second the
  // horizontal one.
  bool PlotHitTest(const TSLPlotArea &Area, int32_t X, int32_t Y, TSLHitParts &Parts,
                   TSLDisplayCollectionItem *&Marker) override;
  void PlotMouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y,
                     bool InView) override;
  void PlotMoveTo(const TSLHitParts &Parts, const TSLPlotArea &Area, int32_t X, int32_t Y) override;

  // The X a drag of the vertical line to the mouse coordinate Mouse would
  // give (within the data range, snapped), and the Y of the horizontal line.
  double DragX(const TSLCursorGeometry &G, int32_t Mouse);
  double DragY(const TSLCursorGeometry &G, int32_t Mouse);
  TSLCursorGeometry Geometry(const TRect &Rect, double XMin, double XMax, double YMin, double YMax);

  TNotifyEvent OnClick;
  TEvent<void(TObject *, TMouseButton, TShiftState, int32_t, int32_t)> OnMouseDown;
  TEvent<void(TObject *, TMouseButton, TShiftState, int32_t, int32_t)> OnMouseUp;

private:
  bool IsHot();
  bool IsPressed();
  void DrawHighlight(TCanvas *Canvas, const TSLCursorGeometry &G, bool VLine, TSLHitParts Hits);
  // The vertical line (VLine) or the horizontal one, its crossings, and
  // while it is dragged its trail.
  void DrawLine(TCanvas *Canvas, const TSLCursorGeometry &G, bool VLine, TSLHitParts Hits);
  void DrawCrossings(TCanvas *Canvas, bool VLine, double Value, bool Trail);

  ISLCursorChart *FChart = nullptr;
  TSLDisplayCursorPosition FPosition{this};
  TColor FColor = clBlack;
  TOwnedPtr<TSLDisplayChannelLinks> FChannels;
  TSLDisplayCursorKind FKind = ckVertical;
  bool FIsDynamic = false;
  TSLDisplayCursorLinkList FCursorLinks;
};

class TSLDisplayCursors : public TSLOptionalDisplayCollection {
  CLASSLIB_SIMPLE_CLASS(TSLDisplayCursors, TSLOptionalDisplayCollection)

public:
  TSLDisplayCursors(TPersistent *Owner, ISLCursorChart *Chart);

  ISLCursorChart *GetChart() const { return FChart; }
  TSLDisplayCursor *GetItem(int32_t Index) const;
  // kept: typed collection operation; nothing calls it
  void SetItem(int32_t Index, TSLDisplayCursor *Item);
  TSLDisplayCursor *Add();
  // The chart repaints.
  void Update(TCollectionItem *Item) override;
  // The new cursor takes the least-used palette colour; the layout is
  // redone.
  void NewItemCreated(TCollectionItem *Item) override;
  TColor GetNewColor(std::span<const TColor> Palette) const;
  int32_t GetCountOfColor(TColor Color) const;

  // Raised when the mouse moves a cursor.
  TSLPositionChangeEvent OnPositionChange;

protected:
  // A cursor that leaves hands its links on while it still holds its place,
  // so they look for the cursors after it.
  void Notify(TCollectionItem *Item, TCollectionNotification Action) override;

private:
  ISLCursorChart *FChart;
};
