#pragma once
// A scope without a window for the tests of its parts: a component with the
// input pin list, the size limit and its channel collection, counting what
// the parts ask of it. SetSizeLimit applies the limit to every channel as the
// scope does.

#include <atomic>
#include <utility>
#include <vector>

#include "platform/classlib/ClassBuilder.h"
#include "scope/SLChannels.h"

class TTestScopeHost : public TComponent, public ISLScopeHost {
  CLASSLIB_SIMPLE_CLASS(TTestScopeHost, TComponent)

public:
  explicit TTestScopeHost(TComponent *Owner = nullptr)
      : TComponent(Owner), Pins(CreateObject<TOWPinList>(this, true)) {}
  ~TTestScopeHost() override {
    FreeObject(Channels);
    FreeObject(Pins);
  }
  // The channel collection, made after construction (it needs this host).
  TSLScopeChannels *MakeChannels() {
    Channels = CreateObject<TSLScopeChannels>(static_cast<ISLScopeHost *>(this));
    return Channels;
  }

  void Invalidate() override {
    if (!NoInvalidate)
      ++Invalidations;
  }
  void InvalidateRecalc() override {
    if (NoInvalidate)
      return;
    RecalcRects = true;
    ++Recalcs;
  }
  void SetRecalcRects() override { RecalcRects = true; }
  TComponent *GetScopeComponent() override { return this; }
  TOWPinList *GetInputPins() override { return Pins; }
  uint32_t GetSizeLimit() override { return Limit.load(); }
  TOWSinkPin *CreateChannelPin(TSLScopeChannel *, TSLOperationEvent Handler) override {
    return SLCreateChannelPin(this, std::move(Handler));
  }
  void ChannelPinDestroyed(TSLScopeChannel *) override { ++PinsDestroyed; }
  void ChannelPinsSwapped(int32_t From, int32_t To) override { Swaps.emplace_back(From, To); }
  void InvalidateHistory() override { ++HistoryResets; }
  void InvalidateFreq() override { ++FreqInvalidations; }
  void InvalidateMinMaxCache() override { ++MinMaxInvalidations; }
  bool GetIsVertical() override { return Vertical; }
  bool GetYAxisReversed() override { return YReversed; }
  double GetXScaleFactor() override { return XScale; }
  TColor GetChannelHighlightColor() override { return HighlightColor; }
  void SetNoInvalidate(bool Value) override { NoInvalidate = Value; }

  void SetSizeLimit(uint32_t Value) {
    Limit = Value;
    for (int I = 0; I < Channels->Count(); ++I)
      Channels->GetItem(I)->ApplySizeLimit(Value);
  }
  // The scope's refresh step: channels with new data hand it over.
  void Refresh() {
    for (int I = 0; I < Channels->Count(); ++I)
      if (Channels->GetItem(I)->HasNewData())
        Channels->GetItem(I)->PopulateDrawBuffers();
  }
  void ResetCounts() {
    Invalidations = Recalcs = HistoryResets = FreqInvalidations = MinMaxInvalidations = 0;
    PinsDestroyed = 0;
    RecalcRects = false;
    Swaps.clear();
  }

  TOWPinList *Pins;
  TSLScopeChannels *Channels = nullptr;
  std::atomic<uint32_t> Limit{0};
  std::atomic<bool> RecalcRects{false};
  std::atomic<int> Invalidations{0}, Recalcs{0}, HistoryResets{0}, FreqInvalidations{0};
  int MinMaxInvalidations = 0, PinsDestroyed = 0;
  std::vector<std::pair<int32_t, int32_t>> Swaps;
  bool Vertical = false;
  bool YReversed = false;
  double XScale = 1;
  TColor HighlightColor = clAqua;
  bool NoInvalidate = false;
};
