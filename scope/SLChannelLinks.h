#pragma once
// The channel links of a cursor: one per channel whose crossings with the
// cursor's lines are marked, each with the look of its crossing points and
// their label. And the crossings themselves: where a channel's curve, as the
// last paint placed it, crosses a vertical or a horizontal line. Main thread
// only, like painting.

#include <cstdint>
#include <functional>
#include <string>

#include "scope/SLCollections.h"
#include "scope/SLLabels.h"
#include "scope/SLMarkerShape.h"

class ISLCursorChart;
class TSLDisplayChannel;
class TSLScopeChannel;

// One crossing: its screen pixel and its values.
using TSLCrossingProc =
    std::function<void(int32_t ScreenX, int32_t ScreenY, double XValue, double YValue)>;

// The crossings of a channel as last painted with the vertical line X =
// Value (X in the axis's units) or the horizontal line Y = Value. A sample
// exactly on the line is reported once, the last sample included; a segment
// crossing it gives the point interpolated between its ends (one pixel up,
// where the line is drawn). SampleToScale gives the X of a fractional sample
// position for horizontal crossings.
void SLCalcVIntersections(TSLScopeChannel *Channel, double Value, const TSLCrossingProc &Callback);
void SLCalcHIntersections(TSLScopeChannel *Channel, double Value,
                          const std::function<double(double)> &SampleToScale,
                          const TSLCrossingProc &Callback);

class TSLDisplayChannelLink : public TSLDisplayCollectionItem {
  CLASSLIB_CLASS(TSLDisplayChannelLink)

public:
  explicit TSLDisplayChannelLink(TCollection *Collection);
  // Leaves its channel's list of links.
  ~TSLDisplayChannelLink() override;
  void DefineProperties(TFiler *Filer) override;
  void Assign(TPersistent *Source) override;

  TSLDisplayChannel *GetChannel() const { return FChannel; }
  void SetChannel(TSLDisplayChannel *Value);
  int32_t GetChannelIndex() const;
  // The class library's range error for an index outside the channels.
  void SetChannelIndex(int32_t Index);
  TSLDisplayLabel *GetChannelLabel() { return &FChannelLabel; }
  void SetChannelLabel(TSLDisplayLabel *Value) { FChannelLabel.Assign(Value); }
  bool GetUseChannelColor() const { return FUseChannelColor; }
  void SetUseChannelColor(bool Value);
  TPen *GetPen() { return &FPen; }
  void SetPen(TPen *Value) { FPen.Assign(Value); }
  uint32_t GetSize() const { return FSize; }
  void SetSize(uint32_t Value);
  TSLDisplayMarkerShape GetShape() const { return FShape; }
  void SetShape(TSLDisplayMarkerShape Value);
  TBrush *GetBrush() { return &FBrush; }
  void SetBrush(TBrush *Value) { FBrush.Assign(Value); }

  // The channel's name; the class name without a channel.
  std::string GetDisplayName() const override;
  // One crossing point at (XPixel, YPixel) with its label; with Trail the
  // canvas keeps its pen (the drag trail's) and fills nothing.
  void Draw(TCanvas *Canvas, bool Trail, double XValue, double YValue, int32_t XPixel,
            int32_t YPixel, const std::string &DefaultFormat);

private:
  ISLCursorChart *Chart() const;

  TSLDisplayChannel *FChannel = nullptr;
  TSLDisplayLabel FChannelLabel;
  bool FUseChannelColor = true;
  TPen FPen;
  uint32_t FSize = 3;
  TSLDisplayMarkerShape FShape = msCircle;
  TBrush FBrush;
};

class TSLDisplayChannelLinks : public TSLDisplayCollection {
  CLASSLIB_SIMPLE_CLASS(TSLDisplayChannelLinks, TSLDisplayCollection)

public:
  TSLDisplayChannelLinks(TPersistent *Owner, ISLCursorChart *Chart);

  ISLCursorChart *GetChart() const { return FChart; }
  TSLDisplayChannelLink *GetItem(int32_t Index) const;
  // None when the display has no channels.
  TSLDisplayChannelLink *Add();
  // The new link takes GetNewChannel; the layout is redone.
  void NewItemCreated(TCollectionItem *Item) override;
  void Update(TCollectionItem *Item) override;
  // The channel with the fewest links here, the first on ties; the class
  // library's range error without channels.
  TSLDisplayChannel *GetNewChannel() const;
  int32_t GetCountOfChannels(const TSLDisplayChannel *Channel) const;
  // A link to the channel, unless one exists.
  void AddChannel(TSLDisplayChannel *Channel);
  // Deletes every link to the channel.
  void RemoveChannel(const TSLDisplayChannel *Channel);

private:
  ISLCursorChart *FChart;
};
