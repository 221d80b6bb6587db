#pragma once
// The bases of every list of things the scope draws besides its views
// (channels, marker groups, markers, cursors, channel links, cursor links):
// streamable collections whose items know the display that owns them, a
// change hook that repaints, and the rule by which a new item picks the
// least-used colour of a palette. Main thread only, like the display.

#include <functional>
#include <span>
#include <string>

#include "framework/pins/OWExtCollection.h"
#include "platform/gui/Control.h"
#include "platform/gui/Graphics.h"
#include "scope/SLScope_hosts.h"

class TSLDisplayCollection;

// The kinds of items the plot and the legend list, in the legend's order
// (which is also the start page of the properties dialog).
enum TSLItemKind : int32_t { ikChannels, ikMarkerGroups, ikCursors, ikCursorLinks };

// Where an item is hit and moved: the data view's rectangle and the axes'
// data zoomed ranges.
struct TSLPlotArea {
  TRect Rect;
  double XMin = 0;
  double XMax = 0;
  double YMin = 0;
  double YMax = 0;
};

// Which parts of an item a hit found (a cursor's two lines, a link's two
// ends); handed back to the item when a drag ends.
struct TSLHitParts {
  bool First = false;
  bool Second = false;
};

class TSLDisplayCollectionItem : public TOWExtCollectionItem {
  CLASSLIB_CLASS(TSLDisplayCollectionItem)

public:
  // The display is taken from the collection before the item joins it, so
  // the collection's new-item hook can already reach it.
  explicit TSLDisplayCollectionItem(TCollection *Collection);
  // Tells the display (which forgets the item wherever the mouse or the
  // legend left it) and sets its layout flag, so that the next paint redoes
  // its hit tests.
  ~TSLDisplayCollectionItem() override;

  std::string GetName() const { return FName; }
  // Stores a different name and calls InvalidateItem.
  void SetName(const std::string &Value);
  ISLDisplayHost *GetDisplay() const { return FDisplay; }
  // Moves the item and tells the collection (its Update).
  void SetIndex(int Value) override;

  virtual TColor GetLegendPenColor();
  virtual TColor GetLegendBrushColor();
  virtual bool IsVisible();
  virtual bool GetHighlighted();
  virtual void SetHighlighted(bool Value);
  virtual bool GetMouseDown();
  // A setting changed: repaint.
  virtual void InvalidateItem();

  // The plot's mouse routing. The data view asks the items of each kind,
  // the last first, whether (X, Y) hits them; Parts records which part was
  // hit, and a marker group names its marker under the mouse in Marker.
  // The base is never hit.
  virtual bool PlotHitTest(const TSLPlotArea &Area, int32_t X, int32_t Y, TSLHitParts &Parts,
                           TSLDisplayCollectionItem *&Marker);
  // The left button went down on the item (cursors and links): a drag
  // starts, and the item follows the mouse until PlotMoveTo.
  virtual void PlotMouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y,
                             bool InView);
  // The drag ended at (X, Y) with the parts the press hit.
  virtual void PlotMoveTo(const TSLHitParts &Parts, const TSLPlotArea &Area, int32_t X, int32_t Y);

protected:
  std::string FName;
  ISLDisplayHost *FDisplay = nullptr;
};

class TSLOptionalDisplayCollectionItem : public TSLDisplayCollectionItem {
  CLASSLIB_CLASS(TSLOptionalDisplayCollectionItem)

public:
  explicit TSLOptionalDisplayCollectionItem(TCollection *Collection)
      : TSLDisplayCollectionItem(Collection) {}

  bool GetVisible() const { return FVisible; }
  // Stores a different value and calls InvalidateItem.
  void SetVisible(bool Value);
  bool IsVisible() override { return FVisible; }

protected:
  bool FVisible = true;
};

class TSLDisplayCollection : public TOWExtCollection {
  CLASSLIB_SIMPLE_CLASS(TSLDisplayCollection, TOWExtCollection)

public:
  // Owner names the collection in the form stream; Display is not owned.
  TSLDisplayCollection(TPersistent *Owner, const TMetaClass *ItemClass, ISLDisplayHost *Display);

  ISLDisplayHost *GetDisplay() const { return FDisplay; }
  // The class library's range error outside the collection.
  TSLDisplayCollectionItem *GetItem(int32_t Index) const;
  // The item at Index copies Item's settings.
  // kept: collection operation; nothing calls it
  void SetItem(int32_t Index, TSLDisplayCollectionItem *Item);
  // The first index holding exactly Item; -1 when absent or null.
  int32_t IndexOf(const TCollectionItem *Item) const;

  // The change notification: runs after an item was added, before one
  // leaves, and after one moved, unless an update bracket is open. Nothing
  // here; the concrete collections repaint.
  virtual void Update(TCollectionItem *Item);

protected:
  void Notify(TCollectionItem *Item, TCollectionNotification Action) override;

private:
  ISLDisplayHost *FDisplay;
};

class TSLOptionalDisplayCollection : public TSLDisplayCollection {
  CLASSLIB_SIMPLE_CLASS(TSLOptionalDisplayCollection, TSLDisplayCollection)

public:
  using TSLDisplayCollection::TSLDisplayCollection;
  TSLOptionalDisplayCollectionItem *GetItem(int32_t Index) const;
};

// The 14 colours new items choose from, in order (aqua twice, as the scope
// always had it: the second entry never wins over the first).
inline constexpr TColor SLDisplayItemColors[14] = {0x0000FF, 0x00FF00, 0xFF0000, 0x00FFFF, 0xFFFF00,
                                                   0xF0FBFF, 0x008080, 0xFFFFFF, 0xC0C0C0, 0x800080,
                                                   0xFF00FF, 0xFFFF00, 0x808000, 0x800000};

// The least-used colour: each palette colour in order is counted with
// CountOfColor; a colour wins only with a count strictly below the best so
// far (which starts at 22000 with red), so ties keep the earlier colour.
TColor SLLeastUsedColor(std::span<const TColor> Palette,
                        const std::function<int32_t(TColor)> &CountOfColor);
