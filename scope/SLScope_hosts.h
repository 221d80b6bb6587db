#pragma once
// What the scope's parts call of the control that owns them. The control
// classes implement these; the parts (collections, channels, views) hold a
// pointer that stays valid for their whole life.

#include <cstdint>
#include <string>

#include "framework/data/SLStreamTypes.h"
#include "platform/gui/Graphics.h"

class TSLScopeChannel;
class TSLDisplayCollectionItem;
class TSLDisplayCollection;
class TSLScopeDataView;
class TSLDisplayHighlighting;
class TSLScopeMarkerGroups;
class TSLScopeMarkerGroup;
class TCanvas;
struct TRect;

// The display side every collection, item and view reaches: a repaint, or a
// new layout and a repaint.
class ISLDisplayHost {
public:
  // Repaint (suppressed while a channel's draw handler runs).
  virtual void Invalidate() = 0;
  // FRecalcRects := true, then Invalidate.
  virtual void InvalidateRecalc() = 0;
  // FRecalcRects := true without asking for a repaint; may run on the
  // delivering thread (channel data writes), so it must be thread-safe.
  virtual void SetRecalcRects() = 0;
  // An item is going: whatever still points at it (the item under the
  // mouse, the one being dragged, the one the legend lights) lets go.
  virtual void ItemDestroyed(TSLDisplayCollectionItem *) {}

protected:
  ~ISLDisplayHost() = default;
};

// What the views call of their control besides repaint and relayout.
class ISLViewHost : public ISLDisplayHost {
public:
  // Repaints R of the control's window, without erasing it.
  virtual void InvalidateViewRect(const TRect &R) = 0;
  // The items of a kind (TSLItemKind: channels, marker groups, cursors,
  // cursor links); null while the control has none of that kind.
  virtual TSLDisplayCollection *GetItems(int32_t) { return nullptr; }
  // Shows a cursor over a part of a view, and the control's own again.
  virtual void ShowViewCursor(int16_t) {}
  virtual void RestoreViewCursor() {}
  // The control's off-screen canvas, where texts are measured; null without
  // one.
  virtual TCanvas *GetDisplayCanvas() { return nullptr; }
  // A legend button was clicked and no handler took it: Section is the
  // item kind, Item the item's index.
  virtual void DoLegendClick(int32_t, int32_t) {}

protected:
  ~ISLViewHost() = default;
};

// What the scope channels and their collection call of the scope.
// Thread rules: GetSizeLimit, SetRecalcRects, InvalidateHistory and
// InvalidateFreq are also called on the delivering thread (a channel's input
// pin), and must be safe there; everything else runs on the main thread.
class ISLScopeHost : public ISLDisplayHost {
public:
  // The component that owns the pins and names the collections in the form
  // stream.
  virtual TComponent *GetScopeComponent() = 0;
  // One sink pin per channel, in channel order; the list owns its pins.
  virtual TOWPinList *GetInputPins() = 0;
  // SizeLimit: most samples a channel keeps, 0 for no limit.
  virtual uint32_t GetSizeLimit() = 0;
  // The channel pin factory and its notifications (SLCreateChannelPin makes
  // the standard pin).
  virtual TOWSinkPin *CreateChannelPin(TSLScopeChannel *Channel, TSLOperationEvent Handler) = 0;
  virtual void ChannelPinDestroyed(TSLScopeChannel *Channel) = 0;
  virtual void ChannelPinsSwapped(int32_t From, int32_t To) = 0;
  // Resets the Y axis's scaling history and repaints.
  virtual void InvalidateHistory() = 0;
  // Clears the sample-rate, time, frequency and domain caches.
  virtual void InvalidateFreq() = 0;
  // InvalidateMinMaxCache on the X axis and on the Y axis.
  virtual void InvalidateMinMaxCache() = 0;

  // What channel drawing reads (main thread). GetIsVertical: the X axis
  // runs vertically. GetYAxisReversed: the Y axis's Reversed.
  virtual bool GetIsVertical() = 0;
  virtual bool GetYAxisReversed() = 0;
  // The X axis's units per X data unit: 1 when its sample range is a single
  // value, else (full scale max - full scale min) / (max sample - min sample).
  virtual double GetXScaleFactor() = 0;
  // The channel highlight colour of the highlighting settings.
  virtual TColor GetChannelHighlightColor() = 0;
  // FNoInvalidate: while set, Invalidate and InvalidateRecalc do nothing
  // (set around a channel's draw handler).
  virtual void SetNoInvalidate(bool Value) = 0;

  // The hover and legend side, for highlighted drawing and the hit point:
  // the plot view, the highlighting settings (null: nothing is lit), the
  // background colour, and the label text of a value pair.
  virtual TSLScopeDataView *GetPlotView() { return nullptr; }
  virtual TSLDisplayHighlighting *GetHighlighting() { return nullptr; }
  virtual TColor GetDisplayColor() { return 0; }
  virtual std::string FormatLabelText(double, double, const std::string &,
                                      const std::string &Default) {
    return Default;
  }

  // The marker groups (null: the scope has none), and the group new
  // markers join: the last one, made when there is none.
  virtual TSLScopeMarkerGroups *GetMarkerGroups() { return nullptr; }
  virtual TSLScopeMarkerGroup *GetLastMarerGroup() { return nullptr; }
  // The X axis's value of a (fractional) sample position.
  virtual double SampleToScale(double Position) { return Position; }
  // Any thread: a channel holds incoming data for the next refresh.
  virtual void IncomingDataArrived() {}

protected:
  ~ISLScopeHost() = default;
};
