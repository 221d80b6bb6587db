#pragma once
// The legend: the view at the right edge of the scope that lists the
// channels, marker groups, cursors and cursor links as rows of small
// buttons, one section (TSLLegendGroup) per kind, each with a caption. The
// mouse over a button lights the button and, as the highlighting settings
// allow, the item in the plot; a click goes to the section's OnItemClick
// and, unhandled, to the control's DoLegendClick (the properties dialog on
// that page). Main thread only.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/classlib/Persistent.h"
#include "platform/gui/Canvas.h"
#include "scope/SLCollections.h"
#include "scope/SLLabels.h"
#include "scope/SLViews.h"

class TSLLegendView;

// (Sender: the section; ChannelIndex: the clicked item's index in the
// section's collection; Handled: set it to keep the dialog closed).
using TSLChartItemClickEvent = TEvent<void(TObject *Sender, int32_t ChannelIndex, bool &Handled)>;

class TSLLegendGroup : public TPersistent {
  CLASSLIB_CLASS(TSLLegendGroup)

public:
  // Legend: the view that owns the section; Kind: which collection of the
  // control it lists (asked of the control whenever needed, so collections
  // made later appear as well).
  TSLLegendGroup(TSLLegendView *Legend, TSLItemKind Kind, std::string DefaultCaption);

  TSLDisplayLabel *GetCaption() { return &FCaption; }
  // Copies the label; the legend's layout is redone.
  void SetLegendLabel(TSLDisplayLabel *Value);
  bool GetVisible() const { return FVisible; }
  void SetVisible(bool Value);
  TCursor GetCursor() const { return FCursor; }
  void SetCursor(TCursor Value) { FCursor = Value; }
  TSLItemKind GetKind() const { return FKind; }
  // The listed collection; null while the control has none of this kind.
  TSLDisplayCollection *GetCollection() const;
  int32_t GetHotIndex() const { return FHotIndex; }
  int32_t GetPressedIndex() const { return FPressedIndex; }
  void SetPressedIndex(int32_t Value) { FPressedIndex = Value; }
  // The hot row goes (the mouse left the legend); true when there was one.
  bool ClearHot();

  // (width, -1): 0 wide when hidden or empty; else the widest of the
  // caption + 23 and every visible item's name + 30.
  TPoint GetDefaultSize(TCanvas *Canvas);
  // Marks the button under (X, Y) hot (or none), lights its item, and
  // advances RowY (the centre line of the current row) past the section.
  void ButtonHitTest(TCanvas *Canvas, int32_t X, int32_t Y, int32_t &RowY);
  // Draws the caption and the rows from RowY on, advancing it.
  void Draw(TCanvas *Canvas, bool Exporting, int32_t &RowY);

  void Assign(TPersistent *Source) override;

  TSLChartItemClickEvent OnItemClick;

private:
  bool Empty() const;
  const std::string &CaptionText() const;
  void Changed();

  TSLLegendView *FLegend;
  TSLDisplayLabel FCaption;
  int32_t FHotIndex = -1;
  int32_t FPressedIndex = -1;
  TSLItemKind FKind;
  std::string FDefaultCaption;
  bool FVisible = true;
  TCursor FCursor = crHandPoint;
};

class TSLLegendView : public TSLOptionalView {
  CLASSLIB_CLASS(TSLLegendView)

public:
  explicit TSLLegendView(ISLViewHost *Display);
  ~TSLLegendView() override;

  TFont *GetFont() { return &FFont; }
  void SetFont(TFont *Value) { FFont.Assign(Value); }
  TColor GetMouseOverBorderColor() const { return FMouseOverBorderColor; }
  void SetMouseOverBorderColor(TColor Value);
  TColor GetMouseOverButtonColor() const { return FMouseOverButtonColor; }
  void SetMouseOverButtonColor(TColor Value);
  TColor GetMouseDownBorderColor() const { return FMouseDownBorderColor; }
  void SetMouseDownBorderColor(TColor Value);
  TColor GetMouseDownButtonColor() const { return FMouseDownButtonColor; }
  void SetMouseDownButtonColor(TColor Value);
  bool GetButtonsEnabled() const { return FButtonsEnabled; }
  void SetButtonsEnabled(bool Value);

  TSLLegendGroup *GetGroup(int32_t Index) const { return FGroups[static_cast<size_t>(Index)]; }
  // The legend's canvas for measuring: the control's, or a private one.
  TCanvas *MeasureCanvas();

  // The row height: the larger of the text height of "Xg" + 1 and 6, in
  // the legend's font.
  int32_t RowHeight(TCanvas *Canvas);
  // Marks the button under (X, Y) hot in every section (none while the
  // buttons are disabled).
  void ButtonHitTest(int32_t X, int32_t Y);
  // An item of a listed collection is going.
  void ItemDestroyed(TSLDisplayCollectionItem *Item);

  TPoint GetDefaultSize() override;
  TAlign GetAlign() override { return alRight; }
  void MouseMove(TShiftState Shift, int32_t X, int32_t Y) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y,
                 bool InView) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y, bool InView) override;
  void MouseLeave() override;
  void Draw(TSLDisplayDrawPart Part, TCanvas *Canvas, bool Vertical, bool Exporting, double YMin,
            double YMax, int32_t YOffset, double YFactor) override;

protected:
  // The sections in display order; not owned here.
  std::vector<TSLLegendGroup *> FGroups;

private:
  TFont FFont;
  TColor FMouseOverBorderColor = 0x00FF00;
  TColor FMouseOverButtonColor = 0x008000;
  TColor FMouseDownBorderColor = 0x00FFFF;
  TColor FMouseDownButtonColor = 0x008080;
  bool FButtonsEnabled = true;
  std::unique_ptr<TBitmap> FMeasure;
};

// The scope's legend: channels, marker groups, cursors and links.
class TSLScopeLegendView : public TSLLegendView {
  CLASSLIB_CLASS(TSLScopeLegendView)

public:
  explicit TSLScopeLegendView(ISLViewHost *Chart);

  TSLLegendGroup *GetChannels() { return &FChannels; }
  TSLLegendGroup *GetMarkerGroups() { return &FMarkerGroups; }
  TSLLegendGroup *GetCursors() { return &FCursors; }
  TSLLegendGroup *GetCursorLinks() { return &FCursorLinks; }
  void SetChannels(TSLLegendGroup *Value) { FChannels.Assign(Value); }
  void SetMarkerGroups(TSLLegendGroup *Value) { FMarkerGroups.Assign(Value); }
  void SetCursors(TSLLegendGroup *Value) { FCursors.Assign(Value); }
  void SetCursorLinks(TSLLegendGroup *Value) { FCursorLinks.Assign(Value); }

private:
  TSLLegendGroup FChannels;
  TSLLegendGroup FMarkerGroups;
  TSLLegendGroup FCursors;
  TSLLegendGroup FCursorLinks;
};
