#include "scope/SLChannelLinks.h"

#include <algorithm>
#include <cmath>

#include "platform/classlib/ClassBuilder.h"
#include "platform/classlib/FormStream.h"
#include "scope/SLChannels.h"
#include "scope/SLCursors.h"
#include "scope/SLOptionalAxis.h"

// The channel's own crossing walks, with the callback this unit uses.
void SLCalcVIntersections(TSLScopeChannel *Channel, double Value, const TSLCrossingProc &Callback) {
  Channel->CalcVIntersections(
      [&](void *, int32_t SX, int32_t SY, double X, double Y) { Callback(SX, SY, X, Y); }, nullptr,
      Value);
}

void SLCalcHIntersections(TSLScopeChannel *Channel, double Value,
                          const std::function<double(double)> &SampleToScale,
                          const TSLCrossingProc &Callback) {
  Channel->CalcHIntersections(
      [&](void *, int32_t SX, int32_t SY, double X, double Y) { Callback(SX, SY, X, Y); }, nullptr,
      Value, SampleToScale);
}

// ---------------------------------------------------------------------------
// Link

const TClassInfo &TSLDisplayChannelLink::StaticClassInfo() {
  using C = TSLDisplayChannelLink;
  static const TClassInfo &info = MakeClassInfo<C>(
      "TSLDisplayChannelLink", &TSLDisplayCollectionItem::StaticClassInfo(),
      [](TClassBuilder<C> &c) {
        c.Object("ChannelLabel", &C::GetChannelLabel, &C::SetChannelLabel);
        c.Boolean("UseChannelColor", &C::GetUseChannelColor, &C::SetUseChannelColor, true);
        c.Object("Pen", &C::GetPen, &C::SetPen);
        c.Integer("Size", &C::GetSize, &C::SetSize, 3);
        c.Enumeration("Shape", &C::GetShape, &C::SetShape, SLDisplayMarkerShapeNames(), msCircle);
        c.Object("Brush", &C::GetBrush, &C::SetBrush);
      });
  return info;
}

TSLDisplayChannelLink::TSLDisplayChannelLink(TCollection *Collection)
    : TSLDisplayCollectionItem(Collection) {
  TFont *F = FChannelLabel.GetFont();
  F->SetStyle(0);
  F->SetSize(F->GetSize() - 2);
  FPen.SetColor(0x0000FF);
  FBrush.SetStyle(bsClear);
  auto Repaint = [this](TObject *) { InvalidateItem(); };
  FChannelLabel.OnChange = Repaint;
  FPen.OnChange = Repaint;
  FBrush.OnChange = Repaint;
}

TSLDisplayChannelLink::~TSLDisplayChannelLink() {
  if (FChannel)
    FChannel->RemoveLink(this);
}

ISLCursorChart *TSLDisplayChannelLink::Chart() const {
  auto *Links = dynamic_cast<TSLDisplayChannelLinks *>(Collection());
  return Links ? Links->GetChart() : nullptr;
}

void TSLDisplayChannelLink::DefineProperties(TFiler *Filer) {
  TSLDisplayCollectionItem::DefineProperties(Filer);
  Filer->DefineProperty(
      "ChannelIndex", [this](TReader *R) { SetChannelIndex(R->ReadInteger()); },
      [this](TWriter *W) { W->WriteInteger(GetChannelIndex()); }, true);
  // An older form named the channel itself; it is read past.
  Filer->DefineProperty(
      "Channel", [](TReader *R) { R->SkipValue(); }, nullptr, false);
}

void TSLDisplayChannelLink::Assign(TPersistent *Source) {
  if (auto *L = dynamic_cast<TSLDisplayChannelLink *>(Source)) {
    SetChannel(L->FChannel);
    FChannelLabel.Assign(&L->FChannelLabel);
    FPen.Assign(&L->FPen);
    FBrush.Assign(&L->FBrush);
    SetSize(L->FSize);
    SetShape(L->FShape);
    SetUseChannelColor(L->FUseChannelColor);
    return;
  }
  TSLDisplayCollectionItem::Assign(Source);
}

void TSLDisplayChannelLink::SetChannel(TSLDisplayChannel *Value) {
  if (Value == FChannel)
    return;
  if (FChannel)
    FChannel->RemoveLink(this);
  FChannel = Value;
  if (FChannel)
    FChannel->AddLink(this);
  InvalidateItem();
}

int32_t TSLDisplayChannelLink::GetChannelIndex() const { return FChannel ? FChannel->Index() : -1; }

void TSLDisplayChannelLink::SetChannelIndex(int32_t Index) {
  ISLCursorChart *C = Chart();
  TSLDisplayChannels *Channels = C ? C->CursorChannels() : nullptr;
  if (Channels == nullptr)
    throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  SetChannel(Channels->GetItem(Index));
}

void TSLDisplayChannelLink::SetUseChannelColor(bool Value) {
  if (Value == FUseChannelColor)
    return;
  FUseChannelColor = Value;
  InvalidateItem();
}

void TSLDisplayChannelLink::SetSize(uint32_t Value) {
  if (Value == FSize)
    return;
  FSize = Value;
  InvalidateItem();
}

void TSLDisplayChannelLink::SetShape(TSLDisplayMarkerShape Value) {
  if (Value == FShape)
    return;
  FShape = Value;
  InvalidateItem();
}

std::string TSLDisplayChannelLink::GetDisplayName() const {
  return FChannel ? FChannel->GetName() : TSLDisplayCollectionItem::GetDisplayName();
}

void TSLDisplayChannelLink::Draw(TCanvas *Canvas, bool Trail, double XValue, double YValue,
                                 int32_t XPixel, int32_t YPixel, const std::string &DefaultFormat) {
  if (Trail) {
    Canvas->Brush()->SetStyle(bsClear);
  } else {
    Canvas->SetPen(&FPen);
    Canvas->SetBrush(&FBrush);
    if (FUseChannelColor && FChannel) {
      Canvas->Pen()->SetColor(FChannel->GetColor());
      // A colour makes a clear brush solid; the link's style stays.
      Canvas->Brush()->SetColor(FChannel->GetColor());
      Canvas->Brush()->SetStyle(FBrush.GetStyle());
    }
  }
  // A size past any screen is drawn as large as the largest screen.
  TSLMarkerShapeStyle Style;
  Style.Size = static_cast<int32_t>(std::min<uint32_t>(FSize, 1u << 14));
  Style.Lines = false;
  SLDrawMarkerShape(Canvas, FShape, XPixel, YPixel, Style);
  ISLCursorChart *C = Chart();
  if (!FChannelLabel.GetVisible() || C == nullptr)
    return;
  Canvas->Brush()->SetStyle(bsClear);
  Canvas->SetFont(FChannelLabel.GetFont());
  const std::string Text =
      C->CursorLabelText(XValue, YValue, FChannelLabel.GetText(), DefaultFormat);
  Canvas->TextOut(XPixel + 4, YPixel - Canvas->TextHeight("Xg"), Text);
}

// ---------------------------------------------------------------------------
// Collection

TSLDisplayChannelLinks::TSLDisplayChannelLinks(TPersistent *Owner, ISLCursorChart *Chart)
    : TSLDisplayCollection(Owner, &TSLDisplayChannelLink::StaticClassInfo(),
                           Chart ? Chart->CursorDisplay() : nullptr),
      FChart(Chart) {}

TSLDisplayChannelLink *TSLDisplayChannelLinks::GetItem(int32_t Index) const {
  return static_cast<TSLDisplayChannelLink *>(Items(Index));
}

TSLDisplayChannelLink *TSLDisplayChannelLinks::Add() {
  TSLDisplayChannels *Channels = FChart ? FChart->CursorChannels() : nullptr;
  if (Channels == nullptr || Channels->Count() == 0)
    return nullptr;
  return static_cast<TSLDisplayChannelLink *>(TSLDisplayCollection::Add());
}

void TSLDisplayChannelLinks::NewItemCreated(TCollectionItem *Item) {
  TSLDisplayCollection::NewItemCreated(Item);
  TSLDisplayChannels *Channels = FChart ? FChart->CursorChannels() : nullptr;
  // Copies and form loading add links too; without channels they wait for
  // their channel to be set.
  if (Channels != nullptr && Channels->Count() > 0)
    static_cast<TSLDisplayChannelLink *>(Item)->SetChannel(GetNewChannel());
  if (GetDisplay())
    GetDisplay()->InvalidateRecalc();
}

void TSLDisplayChannelLinks::Update(TCollectionItem *) {
  if (GetDisplay())
    GetDisplay()->Invalidate();
}

TSLDisplayChannel *TSLDisplayChannelLinks::GetNewChannel() const {
  TSLDisplayChannels *Channels = FChart ? FChart->CursorChannels() : nullptr;
  if (Channels == nullptr)
    throw EListError("List index out of bounds (0)");
  TSLDisplayChannel *Result = Channels->GetItem(0);
  int32_t Best = 22000;
  for (int32_t I = 0; I < Channels->Count(); ++I) {
    const int32_t N = GetCountOfChannels(Channels->GetItem(I));
    if (N < Best) {
      Best = N;
      Result = Channels->GetItem(I);
    }
  }
  return Result;
}

int32_t TSLDisplayChannelLinks::GetCountOfChannels(const TSLDisplayChannel *Channel) const {
  int32_t N = 0;
  for (int32_t I = 0; I < Count(); ++I)
    if (GetItem(I)->GetChannel() == Channel)
      ++N;
  return N;
}

void TSLDisplayChannelLinks::AddChannel(TSLDisplayChannel *Channel) {
  if (Channel == nullptr || GetCountOfChannels(Channel) > 0)
    return;
  if (TSLDisplayChannelLink *Link = Add())
    Link->SetChannel(Channel);
}

void TSLDisplayChannelLinks::RemoveChannel(const TSLDisplayChannel *Channel) {
  for (int32_t I = Count() - 1; I >= 0; --I)
    if (GetItem(I)->GetChannel() == Channel)
      Delete(I);
}
