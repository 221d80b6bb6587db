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
#include <span>
#include <string>

#include "framework/data/SLStreamTypes.h"
#include "platform/gui/Graphics.h"
#include "scope/SLChannelData.h"
#include "scope/SLCollections.h"
#include "scope/SLScope.h"

enum TSLScopeChannelMode { cmLine, cmBar, cmPoint };
enum TSLChannelShadeMode { csmZero, csmTop, csmBottom };

class TSLDisplayChannels;
class TSLScopeChannels;

// The standard channel pin: a sink of real and integer arrays and single
// values, owned by Owner, that ignores the upstream chain (the scope never
// sends upstream).
TOWSinkPin *SLCreateChannelPin(TComponent *Owner, TSLOperationEvent Handler);

class TSLDisplayChannel : public TSLOptionalDisplayCollectionItem {
  CLASSLIB_CLASS(TSLDisplayChannel)

public:
  explicit TSLDisplayChannel(TCollection *Collection);

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

  // Draw buffers: main thread only.
  const ISLRealBufferPtr &GetDrawX() const { return FDrawX; }
  const ISLRealBufferPtr &GetDrawY() const { return FDrawY; }

protected:
  ISLScopeHost *FChart = nullptr;
  TColor FColor = clBlack; // not a palette colour: the new channel counts as none
  int32_t FWidth = 1;
  ISLRealBufferPtr FDrawX;
  ISLRealBufferPtr FDrawY;
  ISLRealBufferPtr FScaledX;
  com::TComPtr<ISLIntegerBuffer> FPixelX;
  com::TComPtr<ISLIntegerBuffer> FPixelY;
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
  void SetNewData() override { FNewData = true; }
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

private:
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

protected:
  ISLScopeHost *FChart;
};

class TSLScopeChannels : public TSLDisplayChannels {
  CLASSLIB_SIMPLE_CLASS(TSLScopeChannels, TSLDisplayChannels)

public:
  explicit TSLScopeChannels(ISLScopeHost *Scope);

  ISLScopeHost *GetScope() const { return FScope; }
  TSLScopeChannel *GetItem(int32_t Index) const;
  void SetItem(int32_t Index, TSLScopeChannel *Item);
  TSLScopeChannel *Add();

  // Repaints the scope.
  void Update(TCollectionItem *Item) override;
  // A new channel takes the least-used palette colour; the layout is redone.
  void NewItemCreated(TCollectionItem *Item) override;

private:
  ISLScopeHost *FScope;
};
