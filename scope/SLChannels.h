#pragma once
// Scope channels: one curve each, with its input pin, its lock, its incoming
// and draw sample buffers and its drawing settings, and the collections that
// hold them.
//
// Threads: a channel's pin delivers on the thread of the linked source (the
// capture component's notify thread, a player's clock thread). The pin's
// handler (SinkDispatch) parks data in the incoming buffers under the
// channel lock; the main thread's refresh moves them to the draw buffers
// under the same lock (PopulateDrawBuffers), and painting reads only the
// draw buffers. Every change of the incoming buffers, from either side,
// holds the lock; the draw buffers and everything else belong to the main
// thread. Flags and the sample rate read across threads are atomic. The lock
// is never held while calling into the pin framework.

#include <atomic>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "framework/data/SLStreamTypes.h"
#include "platform/gui/Graphics.h"
#include "scope/SLChannelData.h"
#include "scope/SLChannelDraw.h"
#include "scope/SLCollections.h"
#include "scope/SLScope_hosts.h"
#include "scope/SLScope_numeric.h"

enum TSLScopeChannelMode { cmLine, cmBar, cmPoint };
enum TSLChannelShadeMode { csmZero, csmTop, csmBottom };

class TSLDisplayChannels;
class TSLScopeChannels;
class TSLScopeChannelMarkers;

// The values where a curve crosses a line, one per crossing.
using TSLScopeRealPoints = std::vector<double>;
// A crossing of a channel's curve: where it is on the screen, and its X and
// Y values. Data is the caller's.
using TSLIntersectionCallback =
    std::function<void(void *Data, int32_t ScreenX, int32_t ScreenY, double XValue, double YValue)>;

using TSLChannelClickEvent =
    TEvent<void(TObject *Sender, int32_t ChannelIndex, int32_t BeginSampleIndex,
                int32_t EndSampleIndex, const TSLRealPoint &ClickedValue, bool &Handled)>;

// The standard channel pin: a sink of real and integer arrays and single
// values, owned by Owner, that ignores the upstream chain (the scope never
// sends upstream).
TOWSinkPin *SLCreateChannelPin(TComponent *Owner, TSLOperationEvent Handler);

class TSLDisplayChannel : public TSLOptionalDisplayCollectionItem {
  CLASSLIB_CLASS(TSLDisplayChannel)

public:
  explicit TSLDisplayChannel(TCollection *Collection);
  // The cursors' links to this channel go with it.
  ~TSLDisplayChannel() override;

  TColor GetColor() const { return FColor; }
  // Stores a different colour and repaints.
  void SetColor(TColor Value);
  int32_t GetWidth() const { return FWidth; }
  // Pen width, kept within 1..2000; a different value repaints.
  void SetWidth(int32_t Value);

  // The display's InvalidateRecalc.
  virtual void Invalidate();
  // Names the channel's input pin after the channel, then Invalidate.
  void InvalidateItem() override;
  std::string GetDisplayName() const override { return FName; }
  TColor GetLegendPenColor() override { return FColor; }
  // The hit distance of (X, Y) from the channel as last painted (see
  // SLChannelHitTest); the outputs are written only on a hit.
  virtual double HitTest(int32_t X, int32_t Y, TPoint &HitPoint, double &Fraction,
                         int32_t &BeginIndex, int32_t &EndIndex) = 0;
  // The legend lights the channel's button: it is the one under the mouse
  // in the plot and the settings ask for it.
  bool GetHighlighted() override;
  // From the legend: lights the channel in the plot (when the settings
  // allow), or puts the legend's light out.
  void SetHighlighted(bool Value) override;

  // The crossings of the curve as last painted with the vertical line at
  // X = Value (in the X axis's units) or the horizontal line Y = Value, in
  // sample order. A sample on the line counts once, the last one too.
  void CalcVIntersections(const TSLIntersectionCallback &Callback, void *Data, double Value);
  void CalcHIntersections(const TSLIntersectionCallback &Callback, void *Data, double Value);
  // The same with the X of a fractional sample position given by the caller.
  void CalcHIntersections(const TSLIntersectionCallback &Callback, void *Data, double Value,
                          const std::function<double(double)> &SampleToScale);
  // The X values where the curve reaches Y = Value; the Y values it has at
  // X = Value.
  TSLScopeRealPoints GetXPointsAtValue(double Value);
  TSLScopeRealPoints GetYPointsAtValue(double Value);
  // The same for callers that cannot hold the array: a new holder, to be
  // released with NET_DestroyArray.
  // kept: public member of the channel
  TSLScopeRealPoints *NET_GetXPointsAtValue(double Value);
  TSLScopeRealPoints *NET_GetYPointsAtValue(double Value);
  static int32_t NET_GetArrayLength(TSLScopeRealPoints *Holder);
  static double *NET_GetArray(TSLScopeRealPoints *Holder);
  // Copies the holder's values to Dest (room for NET_GetArrayLength).
  static void NET_PopulateArray(TSLScopeRealPoints *Holder, double *Dest);
  static void NET_DestroyArray(TSLScopeRealPoints *Holder);

  // Draw buffers: main thread only.
  const ISLRealBufferPtr &GetDrawX() const { return FDrawX; }
  const ISLRealBufferPtr &GetDrawY() const { return FDrawY; }

  // The cursors' channel links that name this channel.
  void AddLink(TSLDisplayCollectionItem *Link) { FLinks.push_back(Link); }
  void RemoveLink(TSLDisplayCollectionItem *Link);

protected:
  ISLScopeHost *FChart = nullptr;
  TColor FColor = clBlack; // not a palette colour: the new channel counts as none
  int32_t FWidth = 1;
  ISLRealBufferPtr FDrawX;
  ISLRealBufferPtr FDrawY;
  ISLRealBufferPtr FScaledX;
  void GetXIntersectPoint(void *Data, int32_t ScreenX, int32_t ScreenY, double XValue,
                          double YValue);
  void GetYIntersectPoint(void *Data, int32_t ScreenX, int32_t ScreenY, double XValue,
                          double YValue);
  com::TComPtr<ISLIntegerBuffer> FPixelX;
  com::TComPtr<ISLIntegerBuffer> FPixelY;
  std::vector<TSLDisplayCollectionItem *> FLinks;
};

class TSLScopeChannel : public TSLDisplayChannel, public ISLChannelDataHost {
  CLASSLIB_CLASS(TSLScopeChannel)

public:
  // Collection must be a TSLScopeChannels (EInvalidOperation otherwise).
  explicit TSLScopeChannel(TCollection *Collection);
  ~TSLScopeChannel() override;
  // Makes the pin and names the channel "Channel<n>", n being the number of
  // pins the scope had before; then the channel joins its collection.
  void AfterConstruction() override;

  // A scope channel copies another's data (shared copy-on-write) and colour;
  // any other source goes to the base rule.
  void Assign(TPersistent *Source) override;
  // Moves the channel and its pin along, so that pin i stays channel i's.
  void SetIndex(int Value) override;
  TPersistent *GetOwner() override;

  ISLScopeHost *GetScope() const { return FScope; }
  TSLChannelData *GetVC_Data() { return &FData; }
  TOWSinkPin *GetInputPin() const { return FInputPin; }

  TSLScopeChannelMode GetChannelMode() const { return FChannelMode; }
  void SetChannelMode(TSLScopeChannelMode Value);
  TSLChannelShadeMode GetShadeMode() const { return FShadeMode; }
  void SetShadeMode(TSLChannelShadeMode Value);

  // The rate announced by the last start (0 when unknown), and whether that
  // start was a spectrum or an intensity stream. Any thread.
  double GetSampleRate() const { return FSampleRate.load(); }
  bool GetSpectrum() const { return FSpectrum.load(); }
  bool GetIntensity() const { return FIntensity.load(); }
  // The incoming buffers hold data the draw buffers have not taken yet.
  bool HasNewData() const { return FNewData.load(); }
  // New draw data since the last draw handler call (main thread).
  bool GetWasChanged() const { return FWasChanged; }

  TSLScopePoints *GetPoints() { return &FPoints; }
  // Copies the settings into the channel's own points, then repaints.
  void SetPoints(TSLScopePoints *Value);
  TSLScopeChannelMarkers *GetMarkers() { return FMarkers; }
  // Copies the given markers into the channel's own, then repaints.
  void SetMarkers(TSLScopeChannelMarkers *Value);

  // Paints the channel (nothing when hidden or empty). Rect: the data view
  // with its bottom reduced by 1; XMin, XMax: the X axis's zoomed data
  // range; YMin, YMax: the Y axis's (not used by the drawing); Logarithmic:
  // the Y axis's; YOffset, YScale: the Y pixel transform of the Y axis. An
  // exception on the way (a handler's included) is swallowed, so the other
  // channels still draw.
  void Draw(TCanvas *Canvas, const TRect &Rect, double XMin, double XMax, double YMin, double YMax,
            bool Logarithmic, int32_t YOffset, double YScale);
  // Paints the pixel buffers in the channel mode (with the point symbols
  // when they are visible); YValues and XValues give the samples' values to
  // the sample handler.
  void PlotChannelData(TCanvas *Canvas, bool Highlighted, const TRect &Rect, int32_t YOffset,
                       const ISLRealBufferPtr &YValues, const double *XValues);
  // The pixel positions of the last draw, along X and along Y, and their
  // bounds (main thread).
  const com::TComPtr<ISLIntegerBuffer> &GetPixelX() const { return FPixelX; }
  const com::TComPtr<ISLIntegerBuffer> &GetPixelY() const { return FPixelY; }
  TRect GetPixelBounds() const { return {FMinPixelX, FMinPixelY, FMaxPixelX, FMaxPixelY}; }
  // How many times the X pixel positions were computed.
  uint32_t GetPixelXComputations() const { return FPixelXComputations; }

  TSLSampleDrawEvent OnSampleDraw;
  TSLChannelDrawEvent OnChannelDraw;

  double HitTest(int32_t X, int32_t Y, TPoint &HitPoint, double &Fraction, int32_t &BeginIndex,
                 int32_t &EndIndex) override;
  // Drawn highlighted first: lit from the legend or under the mouse, as
  // the highlighting settings allow.
  bool IsDrawnHighlighted();
  // The curve's point under the mouse and its "%X : %Y" label, when this is
  // the channel under the mouse and the hit point is enabled.
  void DrawHitPoint(TCanvas *Canvas);

  virtual TOWSinkPin *CreatePin();
  // The input pin's handler; runs on the delivering thread.
  TOWNotifyResult SinkDispatch(TOWPin *Pin, const TGUID *Stream, IOWNotifyOperation *Operation,
                               TOWNotifyState State);
  // Main thread: the incoming buffers become the draw buffers.
  void PopulateDrawBuffers();
  // Main thread, when the scope's SizeLimit drops: incoming data longer than
  // Limit keeps its newest Limit samples (X and Y alike). 0 changes nothing.
  void ApplySizeLimit(uint32_t Limit);

  // ISLChannelDataHost (the channel data store's view of this channel).
  sys::TCriticalSection &ChannelLock() override { return FLock; }
  ISLRealBufferPtr &InX() override { return FInX; }
  ISLRealBufferPtr &InY() override { return FInY; }
  ISLRealBufferPtr DrawX() override { return FDrawX; }
  ISLRealBufferPtr DrawY() override { return FDrawY; }
  uint32_t SizeLimit() override { return FScope->GetSizeLimit(); }
  double GetSampleRateValue() override { return FSampleRate.load(); }
  // A rate that is not a positive finite number is stored as 0 (unknown), so
  // the scope falls back to its default rate.
  void SetSampleRateValue(double Value) override;
  void SetNewData() override {
    FNewData = true;
    FScope->IncomingDataArrived();
  }
  void SetRecalcRects() override { FScope->SetRecalcRects(); }
  void Invalidate() override { TSLDisplayChannel::Invalidate(); }

protected:
  ISLScopeHost *FScope;
  sys::TCriticalSection FLock;
  ISLRealBufferPtr FInX;
  ISLRealBufferPtr FInY;
  bool FWasChanged = false;
  TOWSinkPin *FInputPin = nullptr;
  TSLScopeChannelMode FChannelMode = cmLine;
  TSLChannelShadeMode FShadeMode = csmZero;
  std::atomic<bool> FNewData{false};
  ISLRealBufferPtr FPaintX;
  ISLRealBufferPtr FPaintY;
  std::atomic<double> FSampleRate{0};
  std::atomic<bool> FSpectrum{false};
  std::atomic<bool> FIntensity{false};
  TSLChannelData FData;
  TSLScopePoints FPoints;
  TSLScopeChannelMarkers *FMarkers = nullptr;
  // The values FPixelX was last computed for.
  int32_t FPixelCount = -1;
  int32_t FPixelLength = 0;
  int32_t FPixelOrigin = 0;
  double FPixelXMin = 0;
  double FPixelXMax = 0;
  uint32_t FPixelXComputations = 0;
  // Each new draw X buffer counts up FDrawXGeneration. The X pixels stand
  // while the X values do: same generation, or a ramp replaced by a ramp.
  uint64_t FDrawXGeneration = 0;
  uint64_t FPixelXGeneration = ~uint64_t(0);
  bool FPixelXRamp = false;
  int32_t FMinPixelX = 0, FMaxPixelX = 0, FMinPixelY = 0, FMaxPixelY = 0;
  // The rectangle and Y offset of the last paint, for the bars' hit test.
  TRect FHitRect;
  int32_t FHitYOffset = 0;

private:
  void ComputePixelX(const double *DX, int32_t N, int32_t L, int32_t O, double XMin, double XMax);
  void ComputePixelY(const double *DY, int32_t N, const TRect &Rect, bool Logarithmic,
                     int32_t YOffset, double YScale);
  void PlotPoints(TCanvas *Canvas, bool Highlighted, int32_t N, bool Vertical);
  // Draws the markers on the last pixels; markers not drawn are not hit.
  void DrawMarkers(TCanvas *Canvas, int32_t N, const double *DY);
  void ClearMarkersDrawData();
  void StartStream(IOWNotifyOperation *Operation);
  void TakeBuffer(ISLDataBuffer *Buffer);
};

class TSLDisplayChannels : public TSLOptionalDisplayCollection {
  CLASSLIB_SIMPLE_CLASS(TSLDisplayChannels, TSLOptionalDisplayCollection)

public:
  TSLDisplayChannels(ISLScopeHost *Chart, const TMetaClass *ItemClass, ISLScopeHost *Display);

  ISLScopeHost *GetChart() const { return FChart; }
  TSLDisplayChannel *GetItem(int32_t Index) const;
  // Number of channels of that colour.
  int32_t GetCountOfColor(TColor Color) const;
  // The palette colour the fewest channels use (earlier colours win ties).
  TColor GetNewColor(std::span<const TColor> Colors) const;
  // The best hit over the channels: the smallest distance, the higher index
  // among equals; true when it is below 3 pixels.
  bool HitTest(int32_t X, int32_t Y, int32_t &ChannelIndex, TPoint &HitPoint, double &Fraction,
               int32_t &BeginIndex, int32_t &EndIndex);

  // A click on a channel's curve in the plot; Handled stops the zoom
  // rectangle.
  TSLChannelClickEvent OnClick;

protected:
  ISLScopeHost *FChart;
};

class TSLScopeChannels : public TSLDisplayChannels {
  CLASSLIB_SIMPLE_CLASS(TSLScopeChannels, TSLDisplayChannels)

public:
  explicit TSLScopeChannels(ISLScopeHost *Scope);

  ISLScopeHost *GetScope() const { return FScope; }
  TSLScopeChannel *GetItem(int32_t Index) const;
  // kept: typed collection operation; nothing calls it
  void SetItem(int32_t Index, TSLScopeChannel *Item);
  TSLScopeChannel *Add();

  // Repaints the scope.
  void Update(TCollectionItem *Item) override;
  // A new channel takes the least-used palette colour; the layout is redone.
  void NewItemCreated(TCollectionItem *Item) override;

private:
  ISLScopeHost *FScope;
};
