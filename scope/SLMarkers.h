#pragma once
// Markers flag one sample of one channel with a small shape and an optional
// value label. A marker belongs to its channel's Markers; its look belongs to
// a marker group of the scope, shared by markers of any channel. The channel
// draws its markers while it draws itself and each marker remembers the
// pixel it landed on, so that the plot's mouse hit test finds it group by
// group. Main thread only, like painting.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/gui/Canvas.h"
#include "scope/SLCollections.h"
#include "scope/SLLabels.h"
#include "scope/SLMarkerShape.h"

class TSLScopeChannel;
class TSLDisplayMarker;
class TSLScopeChannelMarker;
class TSLScopeMarkerGroup;
class ISLScopeHost;

class TSLDisplayMarkerGroup : public TSLOptionalDisplayCollectionItem {
  CLASSLIB_CLASS(TSLDisplayMarkerGroup)

public:
  explicit TSLDisplayMarkerGroup(TCollection *Collection);
  // Names the group "MarkerGroup<n>", n the group count with it.
  void AfterConstruction() override;

  TBrush *GetBrush() { return &FBrush; }
  TPen *GetPen() { return &FPen; }
  TSLMeasurementLabel *GetLabels() { return &FLabels; }
  // Copy the given object; a change repaints.
  void SetBrush(TBrush *Value) { FBrush.Assign(Value); }
  void SetPen(TPen *Value) { FPen.Assign(Value); }
  void SetLabels(TSLMeasurementLabel *Value);
  TSLDisplayMarkerShape GetShape() const { return FShape; }
  void SetShape(TSLDisplayMarkerShape Value);
  // Half the shape's width in pixels.
  uint32_t GetSize() const { return FSize; }
  void SetSize(uint32_t Value);
  ISLScopeHost *GetScope() const { return FScope; }
  // Another group's name, visibility, brush, pen, shape, size and label.
  void Assign(TPersistent *Source) override;

  // The display repaints; or lays out and repaints.
  void Invalidate();
  void InvalidateRecalc();
  void InvalidateItem() override { InvalidateRecalc(); }
  std::string GetDisplayName() const override { return FName; }
  TColor GetLegendPenColor() override { return FPen.GetColor(); }
  TColor GetLegendBrushColor() override { return FBrush.GetColor(); }
  // The group is under the mouse in the plot or lit from the legend, and
  // the settings light legend buttons.
  bool GetHighlighted() override;
  // From the legend: lights the group's markers in the plot (when the
  // settings allow), or puts the legend's light out.
  void SetHighlighted(bool Value) override;

protected:
  ISLScopeHost *FScope = nullptr;

private:
  TBrush FBrush;
  TPen FPen;
  TSLDisplayMarkerShape FShape = msPlus;
  uint32_t FSize = 3;
  TSLMeasurementLabel FLabels;
};

class TSLScopeMarkerGroup : public TSLDisplayMarkerGroup {
  CLASSLIB_CLASS(TSLScopeMarkerGroup)

public:
  // Collection must be a TSLScopeMarkerGroups.
  explicit TSLScopeMarkerGroup(TCollection *Collection);
  // Destroys the group's markers first.
  void BeforeDestruction() override;

  // The markers that use the group, in the order they joined (not owned).
  int32_t GetMarkerCount() const { return static_cast<int32_t>(FMarkers.size()); }
  void AddMarker(TSLDisplayMarker *Marker);
  void RemoveMarker(TSLDisplayMarker *Marker);
  // Every marker of the group leaves the group and its channel.
  void Clear();
  // The first marker of the group at the screen point (X, Y).
  bool HitTest(int32_t X, int32_t Y, TSLDisplayMarker *&Marker);
  // The plot's hit test: a visible group's marker under the mouse.
  bool PlotHitTest(const TSLPlotArea &Area, int32_t X, int32_t Y, TSLHitParts &Parts,
                   TSLDisplayCollectionItem *&Marker) override;

private:
  std::vector<TSLDisplayMarker *> FMarkers;
};

class TSLScopeMarkerGroups : public TSLOptionalDisplayCollection {
  CLASSLIB_SIMPLE_CLASS(TSLScopeMarkerGroups, TSLOptionalDisplayCollection)

public:
  explicit TSLScopeMarkerGroups(ISLScopeHost *Scope);

  ISLScopeHost *GetScope() const { return FScope; }
  TSLScopeMarkerGroup *GetItem(int32_t Index) const;
  void SetItem(int32_t Index, TSLScopeMarkerGroup *Item) { Items(Index)->Assign(Item); }
  TSLScopeMarkerGroup *Add();
  // Number of groups whose brush has that colour.
  int32_t GetCountOfColor(TColor Color) const;

  // The scope repaints.
  void Update(TCollectionItem *Item) override;
  // A new group takes the least-used palette colour for pen and brush.
  void NewItemCreated(TCollectionItem *Item) override;

private:
  ISLScopeHost *FScope;
};

class TSLDisplayMarker : public TSLDisplayCollectionItem {
  CLASSLIB_CLASS(TSLDisplayMarker)

public:
  explicit TSLDisplayMarker(TCollection *Collection);
  // Names the marker "Marker<n>", n the marker count of its channel with it.
  void AfterConstruction() override;
  // Leaves its group's list.
  void BeforeDestruction() override;

  TSLScopeMarkerGroup *GetGroup() const { return FGroup; }
  // Leaves the old group's list and joins the new one's.
  void SetGroup(TSLScopeMarkerGroup *Value);
  // The group's index, -1 without a group.
  int32_t GetGroupIndex() const;
  // An index past the groups means the last group; a negative index (or no
  // groups at all) changes nothing.
  void SetGroupIndex(int32_t Value);
  void InvalidateItem() override;

  // Draws the marker at (XPixel, YPixel), the sample's place along X and
  // along Y (exchanged on the screen when the scope is vertical), lit when
  // its group is lit from the legend or the marker is under the mouse; the
  // label shows XValue and YValue. Remembers the place for HitTest.
  void Draw(TCanvas *Canvas, int32_t XPixel, int32_t YPixel, double XValue, double YValue);
  // The shape grown by Grow pixels on each side, in the canvas's pen and
  // brush; with Grow 0 the group's label as well.
  void DrawSize(TCanvas *Canvas, int32_t XPixel, int32_t YPixel, double XValue, double YValue,
                int32_t Grow);
  // Not drawn in the last paint: never hit.
  void ClearDrawData() { FLastX = NotDrawn; }
  // Whether the screen point (X, Y) lies in the marker's hit box.
  bool HitTest(int32_t X, int32_t Y);
  TPoint GetLastPixel() const { return {FLastX, FLastY}; }

  static constexpr int32_t NotDrawn = -10000;

protected:
  ISLScopeHost *FScope = nullptr;
  TSLScopeMarkerGroup *FGroup = nullptr;
  int32_t FLastX = NotDrawn;
  int32_t FLastY = 0;

  friend class TSLScopeMarkerGroup;
};

class TSLScopeChannelMarker : public TSLDisplayMarker {
  CLASSLIB_CLASS(TSLScopeChannelMarker)

public:
  // Collection must be a TSLScopeChannelMarkers.
  explicit TSLScopeChannelMarker(TCollection *Collection);
  // Joins the scope's last marker group (one is made when there is none).
  void AfterConstruction() override;

  // The marked sample's index.
  int32_t GetPosition() const { return FPosition; }
  void SetPosition(int32_t Value);
  // Another marker's name, position and group index (a group of this
  // scope, the last when there are fewer).
  void Assign(TPersistent *Source) override;

  // "MarkerGroupIndex" holds the group; the older "MarkerGroup" is skipped.
  void DefineProperties(TFiler *Filer) override;

private:
  int32_t FPosition = 0;
};

class TSLScopeChannelMarkers : public TSLDisplayCollection {
  CLASSLIB_SIMPLE_CLASS(TSLScopeChannelMarkers, TSLDisplayCollection)

public:
  TSLScopeChannelMarkers(TSLScopeChannel *Channel, ISLScopeHost *Scope);

  TSLScopeChannel *GetChannel() const { return FChannel; }
  ISLScopeHost *GetScope() const { return FScope; }
  TSLScopeChannelMarker *GetItem(int32_t Index) const;
  TSLScopeChannelMarker *Add();
  // A marker of group GroupIndex at Position; the class library's list
  // error "Index out of range : <index>" when there is no such group.
  TSLScopeChannelMarker *AddMarkerAt(int32_t GroupIndex, int32_t Position);
  // The scope repaints.
  void Update(TCollectionItem *Item) override;

private:
  TSLScopeChannel *FChannel;
  ISLScopeHost *FScope;
};
