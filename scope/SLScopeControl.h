#pragma once
// The scope control in its three levels: TSLDataDisplay (the shell: views,
// background, input routing, zoom entry points with undo and redo),
// TSLDataChart (title, axes, data view, off-screen picture, refresh timer,
// hold, the zoom on the two axes, time and frequency ranges) and TSLScope
// (channels and their pins, size limit, orientation, painting and the
// hand-over of incoming channel data at every refresh). The first two
// levels have headers of their own, SLDataDisplay.h and SLDataChart.h, which
// this one includes.
//
// Threads: the channels' input pins run on the delivering thread and call
// only the thread-safe part of ISLScopeHost (size limit, SetRecalcRects,
// InvalidateHistory, InvalidateFreq, Invalidate). Those set atomic flags that
// the main thread consumes; everything else runs on the main thread.

#include <atomic>
#include <cstdint>
#include <string>

#include "platform/gui/Canvas.h"
#include "scope/SLChannels.h"
#include "scope/SLCursorLinks.h"
#include "scope/SLCursors.h"
#include "scope/SLDataChart.h"
#include "scope/SLHighlighting.h"
#include "scope/SLMarkers.h"
#include "scope/SLScope_hosts.h"

// Published: the control's bounds and flags, Color, Zooming, InputPins, RefreshInterval,
// Vertical, SizeLimit, the views (Title, XAxis, YAxis, DataView) and the
// Channels, Cursors and CursorLinks collections.
class TSLScope : public TSLDataChart, public ISLScopeHost, public ISLCursorChart {
  CLASSLIB_CLASS(TSLScope)

public:
  explicit TSLScope(TComponent *Owner);
  ~TSLScope() override;
  void AfterConstruction() override;
  void BeforeDestruction() override;
  void Loaded() override;

  // Repaint and relayout, both suppressed while a channel's draw handler
  // runs; Invalidate may come from the delivering thread.
  void Invalidate() override;
  void InvalidateRecalc() override;
  void SetRecalcRects() override {
    FRecalcRects = true;
    WakeRefresh();
  }
  void IncomingDataArrived() override { WakeRefresh(); }

  TSLScopeChannels *GetChannels() { return FChannels; }
  TSLScopeMarkerGroups *GetMarkerGroups() override { return FMarkerGroups; }
  // Copies the given marker groups into the owned collection.
  void SetMarkerGroups(TSLScopeMarkerGroups *Value);
  TSLScopeMarkerGroup *GetLastMarerGroup() override;
  double SampleToScale(double Position) override { return FXAxis->SampleToScale(Position); }
  // Copies the given channels into the owned collection.
  void SetChannels(TSLScopeChannels *Value) { FChannels->Assign(Value); }
  TColor GetBackground() const { return FColor; }
  bool GetVertical() const { return FVertical; }
  void SetVertical(bool Value);
  uint32_t GetSizeLimit() override { return FSizeLimit.load(); }
  void SetSizeLimit(uint32_t Value);
  bool GetHold() override;

  bool PopulateDrawBuffers() override;
  bool IncomingPending() override;
  // Shows the "Settings" dialog modally, top right over the control.
  void DoLegendClick(int32_t StartPage, int32_t ItemIndex) override;
  bool GetIsVertical() override { return FVertical; }
  bool GetIsReversed() override { return FVertical && FYAxis->GetReversed(); }
  bool GetChannelsInFreqencyDomain() override;
  bool GetChannelsInIntensityDomain() override;
  double GetSampleRate() override;
  double GetMinXValue() override;
  double GetMaxXValue() override;
  void InvalidateFreq() override { TSLDataChart::InvalidateFreq(); }
  // Any thread: the Y axis's scaling history is reset by the next refresh.
  void InvalidateHistory() override;

  // Painting: the window's paint, the export paint and the drawing routine.
  void PaintWindow(TCanvas *DC, const TRegion &Update) override;
  const QImage *PaintOwnPicture(const TRegion &Update) override;
  bool PaintIsDisabled();
  void PaintCanvas(TCanvas *DC, const TRegion &Region);
  void PaintToCanvas(TCanvas *Canvas) override;
  void PaintToCanvasRgn(TCanvas *Canvas, const TRegion &Region, bool Export);
  // Printing holds the display, so the draw buffers cannot change between
  // the layout and the drawing; the hold is restored whatever happens.
  void Print() override;

  // ISLScopeHost.
  TComponent *GetScopeComponent() override { return this; }
  TOWPinList *GetInputPins() override { return FInputPins; }
  TOWSinkPin *CreateChannelPin(TSLScopeChannel *Channel, TSLOperationEvent Handler) override;
  void ChannelPinDestroyed(TSLScopeChannel *) override {}
  void ChannelPinsSwapped(int32_t, int32_t) override {}
  void InvalidateMinMaxCache() override;
  bool GetYAxisReversed() override { return FYAxis->GetReversed(); }
  double GetXScaleFactor() override;
  // Nothing is highlighted without highlighting settings; the colour a
  // highlighted channel would take.
  TColor GetChannelHighlightColor() override { return FHighlighting->GetChannels()->GetColor(); }
  void SetNoInvalidate(bool Value) override { FNoInvalidate = Value; }
  TSLScopeDataView *GetPlotView() override { return FDataView; }
  TSLDisplayHighlighting *GetHighlighting() override { return FHighlighting.get(); }
  TColor GetDisplayColor() override { return FColor; }
  std::string FormatLabelText(double X, double Y, const std::string &Format,
                              const std::string &Default) override {
    return GetFormatLabelText(X, Y, 0, Format, Default);
  }
  // The scope's collections by kind (the channels; the others come with
  // their items).
  TSLDisplayCollection *GetItems(int32_t Kind) override;
  TSLDisplayChannels *GetHitChannels() override { return FChannels; }
  // Items reach the scope through either of its display sides; both let
  // the data view and the legend forget an item that goes.
  void ItemDestroyed(TSLDisplayCollectionItem *Item) override { TSLDataChart::ItemDestroyed(Item); }

  // Cursors and cursor links.
  TSLDisplayCursors *GetCursors() { return FCursors; }
  void SetCursors(TSLDisplayCursors *Value) { FCursors->Assign(Value); }
  TSLDisplayCursorLinks *GetCursorLinks() { return FCursorLinks; }
  void SetCursorLinks(TSLDisplayCursorLinks *Value) { FCursorLinks->Assign(Value); }
  // Every cursor takes its position again, so the axes' snapping and limits
  // apply after an axis setting changed.
  void UpdateCursors() override;
  ISLDisplayHost *CursorDisplay() override { return static_cast<ISLScopeHost *>(this); }
  TObject *CursorSender() override { return this; }
  bool CursorVertical() override { return FVertical; }
  bool CursorYReversed() override { return FYAxis->GetReversed(); }
  void CursorXDataRange(double &Min, double &Max) override;
  double CursorAlignX(double Value) override { return FXAxis->AlignValue(Value); }
  double CursorAlignY(double Value) override { return FYAxis->AlignValue(Value); }
  std::string CursorXTickText(double Value) override { return FXAxis->GetTickText(Value); }
  std::string CursorYTickText(double Value) override { return FYAxis->GetTickText(Value); }
  double CursorSampleToScale(double Position) override { return FXAxis->SampleToScale(Position); }
  TSLDisplayCollectionItem *CursorHotItem() override { return FDataView->GetHotItem(); }
  TSLDisplayCollectionItem *CursorPressed(TSLItemKind Kind) override;
  TSLDisplayCollectionItem *CursorLegendItem(TSLItemKind Kind) override {
    return FDataView->GetLegendHighlighted(Kind);
  }
  void SetCursorLegendItem(TSLItemKind Kind, TSLDisplayCollectionItem *Item) override {
    FDataView->SetLegendHighlighted(Kind, Item);
  }
  TSLHitParts CursorHitParts(TSLItemKind Kind) override { return FDataView->GetHitParts(Kind); }
  TPoint CursorMouse() override { return FDataView->GetMousePoint(); }
  TSLDisplayHighlighting *CursorHighlighting() override { return FHighlighting.get(); }
  TSLDisplayTrails *CursorTrails() override { return FTrails.get(); }
  TColor CursorBackColor() override { return FColor; }
  TSLDisplayChannels *CursorChannels() override { return FChannels; }
  TSLDisplayCursors *CursorItems() override { return FCursors; }
  std::string CursorLabelText(double X, double Y, const std::string &Format,
                              const std::string &Default) override {
    return GetFormatLabelText(X, Y, 0, Format, Default);
  }

  // ISLAxisChart's view of the channels.
  int32_t GetAxisChannelCount() override;
  bool IsAxisChannelVisible(int32_t Index) override;
  ISLRealBufferPtr GetAxisChannelDrawX(int32_t Index) override;
  ISLRealBufferPtr GetAxisChannelDrawY(int32_t Index) override;

protected:
  void FreqCachesDropped() override {
    FDomainsValid = false;
    FSampleRateValid = false;
  }

private:
  bool ChannelsXExtreme(bool Largest, double &Value);
  void ObtainDomains();
  void PopulateMaxSample();
  void ConsumeHistoryReset();

  TSLScopeChannels *FChannels = nullptr;
  TSLDisplayCursors *FCursors = nullptr;
  TSLDisplayCursorLinks *FCursorLinks = nullptr;
  TSLScopeMarkerGroups *FMarkerGroups = nullptr;
  bool FDomainsValid = false;
  bool FFreqDomain = false;
  bool FIntensityDomain = false;
  double FSampleRate = 0;
  bool FSampleRateValid = false;
  std::atomic<bool> FNoInvalidate{false};
  std::atomic<bool> FHistoryStale{false};
  bool FVertical = false;
  std::atomic<uint32_t> FSizeLimit{0};
};

// Makes TSLScope known to the form loader by its class name.
void RegisterScopeClasses();
