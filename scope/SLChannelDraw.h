#pragma once
// How a scope channel is painted: the point symbol settings of a channel,
// and the events a channel raises while it draws. The drawing itself
// (TSLScopeChannel::Draw and PlotChannelData) turns the draw buffers into
// pixel positions with the scope dispatcher's vector operations and paints
// them as a polyline, bars or single points. Main thread only.

#include <cstdint>

#include "platform/classlib/Persistent.h"
#include "platform/gui/Canvas.h"
#include "scope/SLScope_hosts.h"

enum TSLScopePointsShape { psCircle, psSquare, psDiamond, psPlus, psCross, psStar };

// (Sender: the scope; ChannelIndex; ChannelData: the draw Y values;
// DataSize; WasChanged: new draw data since the last call).
using TSLChannelDrawEvent =
    TEvent<void(TObject *Sender, int32_t ChannelIndex, const double *ChannelData, int32_t DataSize,
                bool WasChanged)>;
// (Sender: the channel; the sample's values; the canvas; Highlighted;
// DefaultDraw: clear it to leave the sample's bar out).
using TSLSampleDrawEvent = TEvent<void(TObject *Sender, double XValue, double YValue,
                                       TCanvas *&Canvas, bool Highlighted, bool &DefaultDraw)>;

// A channel's point symbols. Setters repaint the chart when a value changes.
class TSLScopePoints : public TPersistent {
  CLASSLIB_CLASS(TSLScopePoints)

public:
  explicit TSLScopePoints(ISLDisplayHost *Chart);

  bool GetVisible() const { return FVisible; }
  void SetVisible(bool Value);
  TSLScopePointsShape GetShape() const { return FShape; }
  void SetShape(TSLScopePointsShape Value);
  // Half the symbol size in pixels; 0 is stored as 1.
  uint32_t GetSize() const { return FSize; }
  void SetSize(uint32_t Value);
  bool GetUseChannelColor() const { return FUseChannelColor; }
  void SetUseChannelColor(bool Value);
  TBrush *GetBrush() { return &FBrush; }
  void SetBrush(TBrush *Value);
  TPen *GetPen() { return &FPen; }
  void SetPen(TPen *Value);

  // Another TSLScopePoints: its settings, pen and brush are copied.
  void Assign(TPersistent *Source) override;
  // "Color": the pen and brush colours as a list of two integers, as older
  // streams hold them; read, never written.
  void DefineProperties(TFiler *Filer) override;

private:
  void SettingsChange();

  bool FVisible = false;
  TSLScopePointsShape FShape = psCircle;
  uint32_t FSize = 3;
  ISLDisplayHost *FChart;
  TBrush FBrush;
  TPen FPen;
  bool FUseChannelColor = true;
};
