#pragma once
// Cursor links: a pair of cursors with what lies between them, a
// measurement line labelled with the difference of their values and an
// optional selection band (or box) behind the data. A new link picks the
// pair of cursors with the fewest links, a link moves on to another cursor
// when one of its cursors goes, and the form stream keeps the pair as cursor
// indexes that may be resolved only once the cursors exist. Main thread
// only, like the display.

#include <cstdint>

#include "scope/SLCursors.h"
#include "scope/SLLabels.h"

class TSLDisplayCursorLink;

class TSLScopeMeasurementLine : public TPersistent {
  CLASSLIB_CLASS(TSLScopeMeasurementLine)

public:
  explicit TSLScopeMeasurementLine(TSLDisplayCursorLink *Link = nullptr);

  // Across the plot: -100 at the left (top in vertical display), 100 at the
  // right, for a line between two horizontal cursors.
  double GetX() const { return FX; }
  void SetX(double Value);
  // Up the plot: 100 at the top (left in vertical display), -100 at the
  // bottom, for a line between two vertical cursors.
  double GetY() const { return FY; }
  void SetY(double Value);
  TColor GetColor() const { return FColor; }
  void SetColor(TColor Value);
  TPenStyle GetStyle() const { return FStyle; }
  void SetStyle(TPenStyle Value);
  TPenMode GetMode() const { return FMode; }
  void SetMode(TPenMode Value);
  TSLMeasurementLabel *GetMeasurementLabel() { return &FLabel; }
  void SetMeasurementLabel(TSLMeasurementLabel *Value);
  bool GetVisible() const { return FVisible; }
  void SetVisible(bool Value);
  void Assign(TPersistent *Source) override;
  void DefineProperties(TFiler *Filer) override;

private:
  void Changed();

  double FX = 0;
  double FY = 0;
  TColor FColor = 0x00FFFF;
  TPenStyle FStyle = psDot;
  TPenMode FMode = pmCopy;
  TSLMeasurementLabel FLabel;
  bool FVisible = true;
  TSLDisplayCursorLink *FLink;
};

class TSLScopeSelection : public TPersistent {
  CLASSLIB_CLASS(TSLScopeSelection)

public:
  explicit TSLScopeSelection(TSLDisplayCursorLink *Link = nullptr);

  bool GetVisible() const { return FVisible; }
  void SetVisible(bool Value);
  TBrush *GetBrush() { return &FBrush; }
  void SetBrush(TBrush *Value) { FBrush.Assign(Value); }
  void Assign(TPersistent *Source) override;

private:
  TSLDisplayCursorLink *FLink;
  bool FVisible = false;
  TBrush FBrush;
};

class TSLDisplayCursorLink : public TSLDisplayCollectionItem {
  CLASSLIB_CLASS(TSLDisplayCursorLink)

public:
  explicit TSLDisplayCursorLink(TCollection *Collection);
  // Leaves the link lists of both its cursors.
  ~TSLDisplayCursorLink() override;
  // "Link" followed by the collection's count.
  void AfterConstruction() override;
  // "CursorIndex_": the two cursor indexes.
  void DefineProperties(TFiler *Filer) override;
  void Assign(TPersistent *Source) override;

  ISLCursorChart *GetChart() const { return FChart; }
  TSLDisplayCursor *GetBeginCursor() const { return FBegin; }
  TSLDisplayCursor *GetEndCursor() const { return FEnd; }
  void SetBeginCursor(TSLDisplayCursor *Value);
  void SetEndCursor(TSLDisplayCursor *Value);
  // The cursors' indexes, -1 for none.
  int32_t GetBeginCursorIndex() const;
  int32_t GetEndCursorIndex() const;
  // Sets the cursor at Index; an index outside the cursors changes nothing.
  void SetBeginCursorIndex(int32_t Index);
  void SetEndCursorIndex(int32_t Index);
  // The end index read from the stream before its cursor existed.
  int32_t GetPendingEndIndex() const { return FEndIndex; }
  TSLScopeMeasurementLine *GetMeasurementLine() { return &FMeasurementLine; }
  void SetMeasurementLine(TSLScopeMeasurementLine *Value) { FMeasurementLine.Assign(Value); }
  TSLScopeSelection *GetSelection() { return &FSelection; }
  void SetSelection(TSLScopeSelection *Value) { FSelection.Assign(Value); }
  bool GetVC_IsDynamic() const { return FIsDynamic; }
  void SetIsDynamic(bool Value) { FIsDynamic = Value; }

  // Attaches the cursors of pending indexes that exist now.
  void PopulateLink();
  // A cursor is going: the link takes the next other cursor after it (from
  // the start when none follows), or none.
  void RemoveCursor(TSLDisplayCursor *Cursor);

  std::string GetDisplayName() const override { return FName; }
  TColor GetLegendPenColor() override;
  TColor GetLegendBrushColor() override;
  bool IsVisible() override;
  bool GetHighlighted() override;
  void SetHighlighted(bool Value) override;
  bool GetMouseDown() override;
  void InvalidateItem() override;

  bool HitTest(bool &VHit, bool &HHit, int32_t X, int32_t Y, const TRect &Rect, double XMin,
               double XMax, double YMin, double YMax);
  void MoveTo(bool MoveY, bool MoveX, int32_t X, int32_t Y, const TRect &Rect, double XMin,
              double XMax, double YMin, double YMax);
  // ddpBackground: the selection; ddpFeatures: the measurement lines.
  void Draw(TSLDisplayDrawPart Part, TCanvas *Canvas, const TRect &Rect, double XMin, double XMax,
            double YMin, double YMax);

  // The data view's routing: First is the vertical measurement line, Second
  // the horizontal one.
  bool PlotHitTest(const TSLPlotArea &Area, int32_t X, int32_t Y, TSLHitParts &Parts,
                   TSLDisplayCollectionItem *&Marker) override;
  void PlotMoveTo(const TSLHitParts &Parts, const TSLPlotArea &Area, int32_t X, int32_t Y) override;

private:
  bool BothVisible() const;
  bool BothH() const;
  bool BothV() const;
  void Attach(TSLDisplayCursor *&End, int32_t &Index, TSLDisplayCursor *Value);
  // Where the measurement lines stand across the plot: the vertical one's
  // coordinate along X (screen X, or Y in vertical display), the horizontal
  // one's along Y.
  int32_t VLinePos(const TSLCursorGeometry &G) const;
  int32_t HLinePos(const TSLCursorGeometry &G) const;
  void DrawSelection(TCanvas *Canvas, const TSLCursorGeometry &G);
  void DrawHighlight(TCanvas *Canvas, const TSLCursorGeometry &G, bool VLine);
  // The measurement between vertical cursors (XMeasure) or between
  // horizontal ones, with its label and the previews of drags.
  void DrawMeasurement(TCanvas *Canvas, const TSLCursorGeometry &G, bool XMeasure);

  ISLCursorChart *FChart = nullptr;
  TSLDisplayCursor *FBegin = nullptr;
  TSLDisplayCursor *FEnd = nullptr;
  int32_t FBeginIndex = -1;
  int32_t FEndIndex = -1;
  TSLScopeMeasurementLine FMeasurementLine{this};
  TSLScopeSelection FSelection{this};
  bool FIsDynamic = false;
};

class TSLDisplayCursorLinks : public TSLDisplayCollection {
  CLASSLIB_SIMPLE_CLASS(TSLDisplayCursorLinks, TSLDisplayCollection)

public:
  TSLDisplayCursorLinks(TPersistent *Owner, ISLCursorChart *Chart);

  ISLCursorChart *GetChart() const { return FChart; }
  TSLDisplayCursorLink *GetItem(int32_t Index) const;
  TSLDisplayCursorLink *Add();
  // The new link takes the pair of cursors with the fewest links.
  void NewItemCreated(TCollectionItem *Item) override;
  void Update(TCollectionItem *Item) override;
  // Both none with fewer than two cursors; otherwise the first pair (i < j)
  // with the fewest links between them.
  void GetNewCursors(TSLDisplayCursor *&Begin, TSLDisplayCursor *&End) const;
  // The links between A and B, either way round.
  int32_t GetCountOfLinks(const TSLDisplayCursor *A, const TSLDisplayCursor *B) const;

  // Raised when the mouse moves a measurement line.
  TSLPositionChangeEvent OnPositionChange;

private:
  ISLCursorChart *FChart;
};
