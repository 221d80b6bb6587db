#include "scope/SLChannels.h"

#include <algorithm>
#include <cmath>
#include <typeinfo>
#include <vector>

#include "framework/dispatch/Slbasicdispatcher.h"
#include "platform/classlib/ClassBuilder.h"
#include "platform/classlib/Exceptions.h"
#include "scope/SLMarkers.h"

namespace sl = Slbasicdispatcher;

namespace {

ISLRealBufferPtr EmptyReal() { return ISLRealBufferPtr(com::MakeCom<TSLRealBuffer>()); }

// A second buffer object over the same store (copy-on-write keeps them apart).
ISLRealBufferPtr Share(const ISLRealBufferPtr &B) {
  return ISLRealBufferPtr(com::MakeCom<TSLRealBuffer>(static_cast<ISLDataBuffer *>(B.Get())));
}

// The newest Limit items of B, or B itself when it holds no more.
ISLRealBufferPtr Newest(const ISLRealBufferPtr &B, uint32_t Limit) {
  const uint32_t Count = B->GetSize();
  if (Limit == 0 || Count <= Limit)
    return B;
  return ISLRealBufferPtr(com::MakeCom<TSLRealBuffer>(B->Read() + (Count - Limit), Limit));
}

const std::vector<std::string> ChannelModeNames = {"cmLine", "cmBar", "cmPoint"};
const std::vector<std::string> ShadeModeNames = {"csmZero", "csmTop", "csmBottom"};

} // namespace

TOWSinkPin *SLCreateChannelPin(TComponent *Owner, TSLOperationEvent Handler) {
  auto *Pin = CreateObject<TSLOWComboRealIntSinkPin>(Owner, std::move(Handler));
  Pin->IgnoreUpstream = true;
  return Pin;
}

// ---------------------------------------------------------------------------
// TSLDisplayChannel

const TClassInfo &TSLDisplayChannel::StaticClassInfo() {
  using C = TSLDisplayChannel;
  static const TClassInfo &info =
      MakeClassInfo<C>("TSLDisplayChannel", &TSLOptionalDisplayCollectionItem::StaticClassInfo(),
                       [](TClassBuilder<C> &c) {
                         c.Integer("Color", &C::GetColor, &C::SetColor);
                         c.Integer("Width", &C::GetWidth, &C::SetWidth, 1);
                       });
  return info;
}

TSLDisplayChannel::TSLDisplayChannel(TCollection *Collection)
    : TSLOptionalDisplayCollectionItem(Collection), FDrawX(EmptyReal()), FDrawY(EmptyReal()),
      FScaledX(EmptyReal()), FPixelX(com::MakeCom<TSLIntegerBuffer>()),
      FPixelY(com::MakeCom<TSLIntegerBuffer>()) {
  if (auto *Channels = dynamic_cast<TSLDisplayChannels *>(Collection))
    FChart = Channels->GetChart();
}

TSLDisplayChannel::~TSLDisplayChannel() {
  // Freeing a link takes it off the list.
  while (!FLinks.empty()) {
    TSLDisplayCollectionItem *Link = FLinks.back();
    FreeObject(Link);
    if (!FLinks.empty() && FLinks.back() == Link)
      FLinks.pop_back();
  }
}

void TSLDisplayChannel::RemoveLink(TSLDisplayCollectionItem *Link) {
  auto It = std::find(FLinks.begin(), FLinks.end(), Link);
  if (It != FLinks.end())
    FLinks.erase(It);
}

void TSLDisplayChannel::SetColor(TColor Value) {
  if (Value == FColor)
    return;
  FColor = Value;
  Invalidate();
}

void TSLDisplayChannel::SetWidth(int32_t Value) {
  Value = std::clamp(Value, 1, 2000);
  if (Value == FWidth)
    return;
  FWidth = Value;
  Invalidate();
}

void TSLDisplayChannel::Invalidate() {
  if (FDisplay)
    FDisplay->InvalidateRecalc();
}

void TSLDisplayChannel::InvalidateItem() {
  const int I = Index();
  if (FChart && I >= 0) {
    TOWPinList *Pins = FChart->GetInputPins();
    if (Pins && I < Pins->GetCount())
      Pins->SetName(I, FName);
  }
  Invalidate();
}

// ---------------------------------------------------------------------------
// TSLScopeChannel

const TClassInfo &TSLScopeChannel::StaticClassInfo() {
  using C = TSLScopeChannel;
  static const TClassInfo &info = MakeClassInfo<C>(
      "TSLScopeChannel", &TSLDisplayChannel::StaticClassInfo(), [](TClassBuilder<C> &c) {
        c.Object("InputPin", &C::GetInputPin);
        c.Enumeration("ChannelMode", &C::GetChannelMode, &C::SetChannelMode, ChannelModeNames);
        c.Enumeration("ShadeMode", &C::GetShadeMode, &C::SetShadeMode, ShadeModeNames);
        c.Object("Points", &C::GetPoints, &C::SetPoints);
        c.Object("Markers", &C::GetMarkers, &C::SetMarkers);
        c.Event("OnSampleDraw", &C::OnSampleDraw);
        c.Event("OnChannelDraw", &C::OnChannelDraw);
      });
  return info;
}

namespace {
ISLScopeHost *ScopeOf(TCollection *Collection) {
  auto *Channels = dynamic_cast<TSLScopeChannels *>(Collection);
  if (!Channels || !Channels->GetScope())
    throw EInvalidOperation("A scope channel belongs to the channels of a scope");
  return Channels->GetScope();
}
} // namespace

TSLScopeChannel::TSLScopeChannel(TCollection *Collection)
    : TSLDisplayChannel(Collection), FScope(ScopeOf(Collection)), FInX(EmptyReal()),
      FInY(EmptyReal()), FPaintX(EmptyReal()), FPaintY(EmptyReal()), FData(this), FPoints(FScope),
      FMarkers(CreateObject<TSLScopeChannelMarkers>(this, FScope)) {}

void TSLScopeChannel::AfterConstruction() {
  FInputPin = CreatePin();
  TOWPinList *Pins = FScope->GetInputPins();
  FName = "Channel" + std::to_string(Pins->GetCount());
  Pins->AddNamed(FInputPin, FName);
  TSLDisplayChannel::AfterConstruction();
}

TSLScopeChannel::~TSLScopeChannel() {
  FreeObject(FMarkers);
  FScope->ChannelPinDestroyed(this);
  if (FInputPin) {
    // Unlinking waits for a delivery in progress; no handler call reaches
    // this channel afterwards.
    FInputPin->Disconnect();
    FScope->GetInputPins()->Remove(FInputPin);
    FInputPin = nullptr;
  }
  FScope->SetRecalcRects();
}

TOWSinkPin *TSLScopeChannel::CreatePin() {
  return FScope->CreateChannelPin(
      this, [this](TOWPin *Pin, const TGUID *Stream, IOWNotifyOperation *Operation,
                   TOWNotifyState State) { return SinkDispatch(Pin, Stream, Operation, State); });
}

TPersistent *TSLScopeChannel::GetOwner() { return FScope->GetScopeComponent(); }

void TSLScopeChannel::Assign(TPersistent *Source) {
  auto *Other = dynamic_cast<TSLScopeChannel *>(Source);
  if (!Other) {
    TSLDisplayChannel::Assign(Source);
    return;
  }
  if (Other == this)
    return;
  ISLRealBufferPtr X, Y;
  {
    // The source's incoming buffers are its producer's: read them under its
    // lock, then store them under ours (never both locks at once).
    sys::TCriticalSectionLock Lock(Other->FLock);
    X = Share(Other->FInX);
    Y = Share(Other->FInY);
  }
  {
    sys::TCriticalSectionLock Lock(FLock);
    FInX = X;
    FInY = Y;
  }
  FDrawX = Share(Other->FDrawX);
  FDrawY = Share(Other->FDrawY);
  ++FDrawXGeneration;
  FScaledX = Share(Other->FScaledX);
  FScope->InvalidateMinMaxCache();
  FPaintX = Share(Other->FPaintX);
  // Painting writes into the paint Y buffer as scratch: a buffer object of
  // our own over the shared store, never the source's object.
  FPaintY = Share(Other->FPaintY);
  FColor = Other->FColor;
  FNewData = true;
  FScope->IncomingDataArrived();
}

void TSLScopeChannel::SetIndex(int Value) {
  const int Old = Index();
  if (Old < 0 || Old == Value)
    return;
  if (Value < 0 || Value >= Collection()->Count())
    throw EListError::IndexOutOfBounds(Value);
  TOWPinList *Pins = FScope->GetInputPins();
  int Pin = Pins->IndexOf(FInputPin);
  if (Pin >= 0 && Value < Pins->GetCount()) {
    // One place at a time, so that the pins between shift as the channels
    // between do and every pin stays at its channel's index.
    const int Step = Pin < Value ? 1 : -1;
    for (; Pin != Value; Pin += Step) {
      FScope->ChannelPinsSwapped(Pin, Pin + Step);
      Pins->Swap(Pin, Pin + Step);
    }
  }
  TSLDisplayChannel::SetIndex(Value);
}

void TSLScopeChannel::SetChannelMode(TSLScopeChannelMode Value) {
  if (Value == FChannelMode)
    return;
  FChannelMode = Value;
  FScope->Invalidate();
}

void TSLScopeChannel::SetPoints(TSLScopePoints *Value) {
  if (Value != &FPoints)
    FPoints.Assign(Value);
  FScope->Invalidate();
}

void TSLScopeChannel::SetMarkers(TSLScopeChannelMarkers *Value) {
  if (Value != FMarkers)
    FMarkers->Assign(Value);
  FScope->Invalidate();
}

void TSLScopeChannel::SetShadeMode(TSLChannelShadeMode Value) {
  if (Value == FShadeMode)
    return;
  FShadeMode = Value;
  FScope->Invalidate();
}

void TSLScopeChannel::SetSampleRateValue(double Value) {
  FSampleRate = (std::isfinite(Value) && Value > 0) ? Value : 0.0;
  FScope->InvalidateFreq();
}

TOWNotifyResult TSLScopeChannel::SinkDispatch(TOWPin *, const TGUID *,
                                              IOWNotifyOperation *Operation, TOWNotifyState) {
  if (OWOperationAs<TOWStartOperation>(Operation)) {
    StartStream(Operation);
  } else if (OWOperationAs<TOWStopOperation>(Operation)) {
    FScope->InvalidateHistory();
  } else if (auto *Supplied = OWOperationAs<TOWSuppliedBufferOperation>(Operation)) {
    TakeBuffer(Supplied->Buffer());
  } else if (auto *Single = OWOperationAs<TOWSuppliedSingleOperation>(Operation)) {
    FData.AddYPoint(Single->Value());
  } else if (auto *Real = OWOperationAs<TOWSuppliedRealOperation>(Operation)) {
    FData.AddYPoint(Real->Value());
  } else if (auto *Integer = OWOperationAs<TOWSuppliedIntegerOperation>(Operation)) {
    FData.AddYPoint(Integer->Value());
  }
  return {};
}

void TSLScopeChannel::StartStream(IOWNotifyOperation *Operation) {
  FScope->InvalidateHistory();
  auto *Rate = OWOperationAs<TOWStartSampleRateOperation>(Operation);
  const double Value = Rate ? Rate->SampleRate() : 10000.0;
  FSampleRate = (std::isfinite(Value) && Value > 0) ? Value : 0.0;
  FSpectrum = OWOperationAs<TOWStartSpectrumOperation>(Operation) != nullptr;
  FIntensity = OWOperationAs<TOWStartIntensityOperation>(Operation) != nullptr;
  {
    sys::TCriticalSectionLock Lock(FLock);
    FInY = EmptyReal();
    FInX = EmptyReal();
  }
  // The draw buffers are the main thread's: the next refresh hands the empty
  // incoming buffers over, which clears the picture.
  FNewData = true;
  FScope->IncomingDataArrived();
  FScope->InvalidateFreq();
}

void TSLScopeChannel::TakeBuffer(ISLDataBuffer *Buffer) {
  TSLGenericBuffer *Object = Buffer ? Buffer->GetInstance() : nullptr;
  const uint32_t Limit = FScope->GetSizeLimit();
  {
    sys::TCriticalSectionLock Lock(FLock);
    // Real buffers and plain memory blocks (read as doubles) are shared, not
    // copied, while they fit the limit; typed buffers of other items (complex,
    // bytes) are not channel data.
    if (Object &&
        (dynamic_cast<TSLRealBuffer *>(Object) || typeid(*Object) == typeid(TSLMemoryBuffer))) {
      ISLRealBufferPtr B(com::MakeCom<TSLRealBuffer>(Buffer));
      FInY = Newest(B, Limit);
    } else if (Object && dynamic_cast<TSLIntegerBuffer *>(Object)) {
      com::TComPtr<ISLIntegerBuffer> B(com::MakeCom<TSLIntegerBuffer>(Buffer));
      uint32_t Count = B->GetSize();
      const int32_t *Source = B->Read();
      if (Limit != 0 && Count > Limit) {
        Source += Count - Limit;
        Count = Limit;
      }
      ISLRealBufferPtr Y(com::MakeCom<TSLRealBuffer>(Count));
      if (Count != 0)
        (void)sl::ippsConvert_32s64f(Source, Y->Write(), static_cast<int>(Count));
      FInY = Y;
    }
    FData.PopulateRamp();
  }
  FNewData = true;
  FScope->IncomingDataArrived();
}

void TSLScopeChannel::PopulateDrawBuffers() {
  {
    sys::TCriticalSectionLock Lock(FLock);
    // Cleared before the buffers are taken: a producer that stores after
    // this point sets it again, so its data is not left for a later refresh.
    FNewData = false;
    FDrawX = Share(FInX);
    FDrawY = Share(FInY);
  }
  ++FDrawXGeneration;
  FScope->InvalidateMinMaxCache();
  if (FDrawY->GetSize() == 0) {
    FPixelX->Resize(0, false);
    FPixelY->Resize(0, false);
  }
  FWasChanged = true;
  FPaintY = Share(FDrawY);
  FPaintX = Share(FDrawX);
}

void TSLScopeChannel::ApplySizeLimit(uint32_t Limit) {
  if (Limit == 0)
    return;
  bool Cut = false;
  {
    sys::TCriticalSectionLock Lock(FLock);
    if (FInY->GetSize() > Limit || FInX->GetSize() > Limit) {
      FInY = Newest(FInY, Limit);
      FInX = Newest(FInX, Limit);
      Cut = true;
    }
  }
  if (Cut) {
    FNewData = true;
    FScope->IncomingDataArrived();
    FScope->SetRecalcRects();
  }
}

// ---------------------------------------------------------------------------
// Collections

TSLDisplayChannels::TSLDisplayChannels(ISLScopeHost *Chart, const TMetaClass *ItemClass,
                                       ISLScopeHost *Display)
    : TSLOptionalDisplayCollection(Chart ? Chart->GetScopeComponent() : nullptr, ItemClass,
                                   Display),
      FChart(Chart) {}

TSLDisplayChannel *TSLDisplayChannels::GetItem(int32_t Index) const {
  return static_cast<TSLDisplayChannel *>(Items(Index));
}

int32_t TSLDisplayChannels::GetCountOfColor(TColor Color) const {
  int32_t N = 0;
  for (int32_t I = 0; I < Count(); ++I)
    if (GetItem(I)->GetColor() == Color)
      ++N;
  return N;
}

TColor TSLDisplayChannels::GetNewColor(std::span<const TColor> Colors) const {
  return SLLeastUsedColor(Colors, [this](TColor C) { return GetCountOfColor(C); });
}

TSLScopeChannels::TSLScopeChannels(ISLScopeHost *Scope)
    : TSLDisplayChannels(Scope, &TSLScopeChannel::StaticClassInfo(), Scope), FScope(Scope) {}

TSLScopeChannel *TSLScopeChannels::GetItem(int32_t Index) const {
  return static_cast<TSLScopeChannel *>(Items(Index));
}

void TSLScopeChannels::SetItem(int32_t Index, TSLScopeChannel *Item) { Items(Index)->Assign(Item); }

TSLScopeChannel *TSLScopeChannels::Add() {
  return static_cast<TSLScopeChannel *>(TCollection::Add());
}

void TSLScopeChannels::Update(TCollectionItem *Item) {
  TSLDisplayChannels::Update(Item);
  if (FScope)
    FScope->Invalidate();
}

void TSLScopeChannels::NewItemCreated(TCollectionItem *Item) {
  TSLDisplayChannels::NewItemCreated(Item);
  if (auto *Channel = dynamic_cast<TSLDisplayChannel *>(Item))
    Channel->SetColor(GetNewColor(SLDisplayItemColors));
  if (FScope)
    FScope->InvalidateRecalc();
}
