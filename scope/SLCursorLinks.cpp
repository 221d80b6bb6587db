#include "scope/SLCursorLinks.h"

#include <algorithm>
#include <cmath>

#include "platform/classlib/ClassBuilder.h"
#include "platform/classlib/FormStream.h"
#include "scope/SLHighlighting.h"
#include "scope/SLOptionalAxis.h"

namespace {

const std::vector<std::string> PenStyleNames = {
    "psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot", "psClear", "psInsideFrame"};
const std::vector<std::string> PenModeNames = {
    "pmBlack",       "pmWhite",      "pmNop",         "pmNot",        "pmCopy",  "pmNotCopy",
    "pmMergePenNot", "pmMaskPenNot", "pmMergeNotPen", "pmMaskNotPen", "pmMerge", "pmNotMerge",
    "pmMask",        "pmNotMask",    "pmXor",         "pmNotXor"};

constexpr TColor PressedColor = 0x008080;

bool Near(int32_t P, int32_t Mouse) { return int64_t(P) - 3 < Mouse && Mouse < int64_t(P) + 3; }

// A segment from A to B along screen X (at row Pos) or along screen Y (at
// column Pos).
void Segment(TCanvas *Canvas, bool AlongScreenX, int32_t Pos, int32_t A, int32_t B) {
  if (AlongScreenX) {
    Canvas->MoveTo(A, Pos);
    Canvas->LineTo(B, Pos);
  } else {
    Canvas->MoveTo(Pos, A);
    Canvas->LineTo(Pos, B);
  }
}

// The ends of the plot along the X direction and along the Y direction.
void XEnds(const TSLCursorGeometry &G, int32_t &Lo, int32_t &Hi) {
  Lo = G.Vertical ? G.Rect.Top : G.Rect.Left;
  Hi = G.Vertical ? G.Rect.Bottom : G.Rect.Right;
}
void YEnds(const TSLCursorGeometry &G, int32_t &Lo, int32_t &Hi) {
  Lo = G.Vertical ? G.Rect.Left : G.Rect.Top;
  Hi = G.Vertical ? G.Rect.Right : G.Rect.Bottom;
}

// Both pixels at or before Lo, or both at or after Hi: nothing between them
// shows.
bool Outside(int32_t P, int32_t Q, int32_t Lo, int32_t Hi) {
  return (P <= Lo && Q <= Lo) || (P >= Hi && Q >= Hi);
}

} // namespace

// ---------------------------------------------------------------------------
// Measurement line

const TClassInfo &TSLScopeMeasurementLine::StaticClassInfo() {
  using C = TSLScopeMeasurementLine;
  static const TClassInfo &info = MakeClassInfo<C>(
      "TSLScopeMeasurementLine", &TPersistent::StaticClassInfo(), [](TClassBuilder<C> &c) {
        c.Float("X", &C::GetX, &C::SetX);
        c.Float("Y", &C::GetY, &C::SetY);
        c.Enumeration("Style", &C::GetStyle, &C::SetStyle, PenStyleNames, psDot);
        c.Enumeration("Mode", &C::GetMode, &C::SetMode, PenModeNames, pmCopy);
        c.Object("MeasurementLabel", &C::GetMeasurementLabel, &C::SetMeasurementLabel);
        c.Boolean("Visible", &C::GetVisible, &C::SetVisible, true);
      });
  return info;
}

TSLScopeMeasurementLine::TSLScopeMeasurementLine(TSLDisplayCursorLink *Link) : FLink(Link) {
  FLabel.OnChange = [this](TObject *) { Changed(); };
}

void TSLScopeMeasurementLine::Changed() {
  if (FLink)
    FLink->InvalidateItem();
}

void TSLScopeMeasurementLine::SetX(double Value) {
  if (std::isnan(Value))
    return;
  Value = std::clamp(Value, -100.0, 100.0);
  if (Value == FX)
    return;
  FX = Value;
  Changed();
}

void TSLScopeMeasurementLine::SetY(double Value) {
  if (std::isnan(Value))
    return;
  Value = std::clamp(Value, -100.0, 100.0);
  if (Value == FY)
    return;
  FY = Value;
  Changed();
}

void TSLScopeMeasurementLine::SetColor(TColor Value) {
  if (Value == FColor)
    return;
  FColor = Value;
  Changed();
}

void TSLScopeMeasurementLine::SetStyle(TPenStyle Value) {
  if (Value == FStyle)
    return;
  FStyle = Value;
  Changed();
}

void TSLScopeMeasurementLine::SetMode(TPenMode Value) {
  if (Value == FMode)
    return;
  FMode = Value;
  Changed();
}

void TSLScopeMeasurementLine::SetMeasurementLabel(TSLMeasurementLabel *Value) {
  FLabel.Assign(Value);
  Changed();
}

void TSLScopeMeasurementLine::SetVisible(bool Value) {
  if (Value == FVisible)
    return;
  FVisible = Value;
  Changed();
}

void TSLScopeMeasurementLine::Assign(TPersistent *Source) {
  if (auto *M = dynamic_cast<TSLScopeMeasurementLine *>(Source)) {
    SetX(M->FX);
    SetY(M->FY);
    SetColor(M->FColor);
    SetStyle(M->FStyle);
    SetMode(M->FMode);
    SetMeasurementLabel(&M->FLabel);
    SetVisible(M->FVisible);
    return;
  }
  TPersistent::Assign(Source);
}

void TSLScopeMeasurementLine::DefineProperties(TFiler *Filer) {
  TPersistent::DefineProperties(Filer);
  DefineColorProperty(
      Filer, "Color", [this] { return FColor; }, [this](TColor C) { SetColor(C); },
      FColor != 0x00FFFF);
}

// ---------------------------------------------------------------------------
// Selection

const TClassInfo &TSLScopeSelection::StaticClassInfo() {
  using C = TSLScopeSelection;
  static const TClassInfo &info = MakeClassInfo<C>(
      "TSLScopeSelection", &TPersistent::StaticClassInfo(), [](TClassBuilder<C> &c) {
        c.Boolean("Visible", &C::GetVisible, &C::SetVisible, false);
        c.Object("Brush", &C::GetBrush, &C::SetBrush);
      });
  return info;
}

TSLScopeSelection::TSLScopeSelection(TSLDisplayCursorLink *Link) : FLink(Link) {
  FBrush.SetColor(0x808080);
  FBrush.OnChange = [this](TObject *) {
    if (FLink)
      FLink->InvalidateItem();
  };
}

void TSLScopeSelection::SetVisible(bool Value) {
  if (Value == FVisible)
    return;
  FVisible = Value;
  if (FLink)
    FLink->InvalidateItem();
}

void TSLScopeSelection::Assign(TPersistent *Source) {
  if (auto *S = dynamic_cast<TSLScopeSelection *>(Source)) {
    SetVisible(S->FVisible);
    FBrush.Assign(&S->FBrush);
    return;
  }
  TPersistent::Assign(Source);
}

// ---------------------------------------------------------------------------
// Link

const TClassInfo &TSLDisplayCursorLink::StaticClassInfo() {
  using C = TSLDisplayCursorLink;
  static const TClassInfo &info = MakeClassInfo<C>(
      "TSLDisplayCursorLink", &TSLDisplayCollectionItem::StaticClassInfo(),
      [](TClassBuilder<C> &c) {
        c.Object("MeasurementLine", &C::GetMeasurementLine, &C::SetMeasurementLine);
        c.Object("Selection", &C::GetSelection, &C::SetSelection);
        // Stored through "CursorIndex_", which can wait for its cursors.
        c.Integer("BeginCursorIndex", &C::GetBeginCursorIndex, &C::SetBeginCursorIndex)
            .Stored([](C &) { return false; });
        c.Integer("EndCursorIndex", &C::GetEndCursorIndex, &C::SetEndCursorIndex).Stored([](C &) {
          return false;
        });
      });
  return info;
}

namespace {
ISLCursorChart *LinkChartOf(TCollection *Collection) {
  auto *Links = dynamic_cast<TSLDisplayCursorLinks *>(Collection);
  return Links ? Links->GetChart() : nullptr;
}
TSLDisplayCursors *CursorsOf(ISLCursorChart *Chart) {
  return Chart ? Chart->CursorItems() : nullptr;
}
} // namespace

TSLDisplayCursorLink::TSLDisplayCursorLink(TCollection *Collection)
    : TSLDisplayCollectionItem(Collection), FChart(LinkChartOf(Collection)) {}

TSLDisplayCursorLink::~TSLDisplayCursorLink() {
  if (FBegin)
    FBegin->RemoveLink(this);
  if (FEnd)
    FEnd->RemoveLink(this);
}

void TSLDisplayCursorLink::AfterConstruction() {
  TSLDisplayCollectionItem::AfterConstruction();
  FName = "Link" + std::to_string(Collection() ? Collection()->Count() : 0);
}

void TSLDisplayCursorLink::DefineProperties(TFiler *Filer) {
  TSLDisplayCollectionItem::DefineProperties(Filer);
  Filer->DefineProperty(
      "CursorIndex_",
      [this](TReader *R) {
        R->ReadListBegin();
        const int32_t B = R->ReadInteger();
        SetBeginCursor(nullptr);
        SetEndCursor(nullptr);
        TSLDisplayCursors *Cursors = CursorsOf(FChart);
        const int32_t Count = Cursors ? Cursors->Count() : 0;
        if (B >= 0 && B < Count) {
          SetBeginCursor(Cursors->GetItem(B));
          FBegin->PopulateLinks();
        } else {
          FBeginIndex = B;
        }
        const int32_t E = R->ReadInteger();
        if (E >= 0 && E < Count) {
          SetEndCursor(Cursors->GetItem(E));
          FEnd->PopulateLinks();
        } else {
          FEndIndex = E;
        }
        R->ReadListEnd();
      },
      [this](TWriter *W) {
        W->WriteListBegin();
        W->WriteInteger(GetBeginCursorIndex());
        W->WriteInteger(GetEndCursorIndex());
        W->WriteListEnd();
      },
      true);
}

void TSLDisplayCursorLink::Assign(TPersistent *Source) {
  if (auto *L = dynamic_cast<TSLDisplayCursorLink *>(Source)) {
    SetBeginCursor(L->FBegin);
    SetEndCursor(L->FEnd);
    FMeasurementLine.Assign(&L->FMeasurementLine);
    FSelection.Assign(&L->FSelection);
    return;
  }
  TSLDisplayCollectionItem::Assign(Source);
}

void TSLDisplayCursorLink::Attach(TSLDisplayCursor *&End, int32_t &Index, TSLDisplayCursor *Value) {
  if (Value == End)
    return;
  if (End)
    End->RemoveLink(this);
  End = Value;
  TSLDisplayCursors *Cursors = CursorsOf(FChart);
  Index = Value && Cursors ? Cursors->IndexOf(Value) : -1;
  if (End)
    End->AddLink(this);
  InvalidateItem();
}

void TSLDisplayCursorLink::SetBeginCursor(TSLDisplayCursor *Value) {
  Attach(FBegin, FBeginIndex, Value);
}

void TSLDisplayCursorLink::SetEndCursor(TSLDisplayCursor *Value) { Attach(FEnd, FEndIndex, Value); }

int32_t TSLDisplayCursorLink::GetBeginCursorIndex() const {
  TSLDisplayCursors *Cursors = CursorsOf(FChart);
  return FBegin && Cursors ? Cursors->IndexOf(FBegin) : -1;
}

int32_t TSLDisplayCursorLink::GetEndCursorIndex() const {
  TSLDisplayCursors *Cursors = CursorsOf(FChart);
  return FEnd && Cursors ? Cursors->IndexOf(FEnd) : -1;
}

void TSLDisplayCursorLink::SetBeginCursorIndex(int32_t Index) {
  TSLDisplayCursors *Cursors = CursorsOf(FChart);
  if (Cursors && Index >= 0 && Index < Cursors->Count())
    SetBeginCursor(Cursors->GetItem(Index));
}

void TSLDisplayCursorLink::SetEndCursorIndex(int32_t Index) {
  TSLDisplayCursors *Cursors = CursorsOf(FChart);
  if (Cursors && Index >= 0 && Index < Cursors->Count())
    SetEndCursor(Cursors->GetItem(Index));
}

void TSLDisplayCursorLink::PopulateLink() {
  TSLDisplayCursors *Cursors = CursorsOf(FChart);
  if (Cursors == nullptr)
    return;
  if (FBegin == nullptr && FBeginIndex >= 0 && FBeginIndex < Cursors->Count())
    SetBeginCursor(Cursors->GetItem(FBeginIndex));
  if (FEnd == nullptr && FEndIndex >= 0 && FEndIndex < Cursors->Count())
    SetEndCursor(Cursors->GetItem(FEndIndex));
}

void TSLDisplayCursorLink::RemoveCursor(TSLDisplayCursor *Cursor) {
  TSLDisplayCursors *Cursors = CursorsOf(FChart);
  // The first cursor after Cursor's place that is not Other, else the first
  // before it.
  auto Next = [&](TSLDisplayCursor *Other) -> TSLDisplayCursor * {
    if (Cursors == nullptr)
      return nullptr;
    const int32_t A = Cursors->IndexOf(Cursor);
    const int32_t N = Cursors->Count();
    for (int32_t I = A + 1; A >= 0 && I < N; ++I)
      if (Cursors->GetItem(I) != Other && Cursors->GetItem(I) != Cursor)
        return Cursors->GetItem(I);
    for (int32_t I = 0; I < (A >= 0 ? A : N); ++I)
      if (Cursors->GetItem(I) != Other && Cursors->GetItem(I) != Cursor)
        return Cursors->GetItem(I);
    return nullptr;
  };
  if (FBegin == Cursor) {
    SetBeginCursor(nullptr);
    if (TSLDisplayCursor *C = Next(FEnd))
      SetBeginCursor(C);
  }
  if (FEnd == Cursor) {
    SetEndCursor(nullptr);
    if (TSLDisplayCursor *C = Next(FBegin))
      SetEndCursor(C);
  }
}

bool TSLDisplayCursorLink::BothVisible() const {
  return FBegin && FEnd && FBegin->IsVisible() && FEnd->IsVisible();
}
bool TSLDisplayCursorLink::BothH() const { return FBegin->HasHLine() && FEnd->HasHLine(); }
bool TSLDisplayCursorLink::BothV() const { return FBegin->HasVLine() && FEnd->HasVLine(); }

TColor TSLDisplayCursorLink::GetLegendPenColor() {
  return FMeasurementLine.GetVisible() ? FMeasurementLine.GetColor() : GetLegendBrushColor();
}

TColor TSLDisplayCursorLink::GetLegendBrushColor() {
  return FSelection.GetVisible() ? FSelection.GetBrush()->GetColor() : FMeasurementLine.GetColor();
}

bool TSLDisplayCursorLink::IsVisible() {
  return BothVisible() && (FMeasurementLine.GetVisible() || FSelection.GetVisible());
}

bool TSLDisplayCursorLink::GetHighlighted() {
  if (FChart == nullptr)
    return false;
  TSLDisplayHighlighting *H = FChart->CursorHighlighting();
  return H != nullptr && H->GetCursorLinks()->GetHiglightLegendButton() &&
         (FChart->CursorHotItem() == this || FChart->CursorPressed(ikCursorLinks) == this);
}

void TSLDisplayCursorLink::SetHighlighted(bool Value) {
  if (FChart == nullptr)
    return;
  TSLDisplayHighlighting *H = FChart->CursorHighlighting();
  if (!Value)
    FChart->SetCursorLegendItem(ikCursorLinks, nullptr);
  else if (H != nullptr && H->GetCursorLinks()->GetHiglightFromLegend())
    FChart->SetCursorLegendItem(ikCursorLinks, this);
}

bool TSLDisplayCursorLink::GetMouseDown() {
  return FChart != nullptr && FChart->CursorPressed(ikCursorLinks) == this;
}

void TSLDisplayCursorLink::InvalidateItem() {
  if (FDisplay)
    FDisplay->InvalidateRecalc();
}

// The measurement lines' places across the plot use the same extents as the
// cursors' pixels, in drawing, hit tests and drops alike.
int32_t TSLDisplayCursorLink::VLinePos(const TSLCursorGeometry &G) const {
  int32_t Lo = 0, Hi = 0;
  XEnds(G, Lo, Hi);
  return Lo + SLRoundPixel((FMeasurementLine.GetX() + 100) / 200 * (Hi - Lo - 1));
}

int32_t TSLDisplayCursorLink::HLinePos(const TSLCursorGeometry &G) const {
  int32_t Lo = 0, Hi = 0;
  YEnds(G, Lo, Hi);
  return Lo + SLRoundPixel((100 - FMeasurementLine.GetY()) / 200 * (Hi - Lo));
}

bool TSLDisplayCursorLink::HitTest(bool &VHit, bool &HHit, int32_t X, int32_t Y, const TRect &Rect,
                                   double XMin, double XMax, double YMin, double YMax) {
  VHit = HHit = false;
  if (!BothVisible() || !FMeasurementLine.GetVisible())
    return false;
  const TSLCursorGeometry G = SLCursorGeometry(FChart, Rect, XMin, XMax, YMin, YMax);
  const int32_t AlongX = G.Vertical ? Y : X, AlongY = G.Vertical ? X : Y;
  int32_t Lo = 0, Hi = 0;
  if (BothH()) {
    const double Y1 = FBegin->GetPosition()->GetY(), Y2 = FEnd->GetPosition()->GetY();
    YEnds(G, Lo, Hi);
    const int32_t A = G.YPixel(Y1), B = G.YPixel(Y2);
    const int32_t P = std::min(A, B), Q = std::max(A, B);
    VHit =
        Y1 != Y2 && !Outside(P, Q, Lo, Hi) && P < AlongY && AlongY < Q && Near(VLinePos(G), AlongX);
  }
  if (BothV()) {
    const double X1 = FBegin->GetPosition()->GetX(), X2 = FEnd->GetPosition()->GetX();
    XEnds(G, Lo, Hi);
    const int32_t A = G.XPixel(X1), B = G.XPixel(X2);
    const int32_t P = std::min(A, B), Q = std::max(A, B);
    HHit =
        X1 != X2 && !Outside(P, Q, Lo, Hi) && P < AlongX && AlongX < Q && Near(HLinePos(G), AlongY);
  }
  return VHit || HHit;
}

void TSLDisplayCursorLink::MoveTo(bool MoveY, bool MoveX, int32_t X, int32_t Y, const TRect &Rect,
                                  double XMin, double XMax, double YMin, double YMax) {
  const TSLCursorGeometry G = SLCursorGeometry(FChart, Rect, XMin, XMax, YMin, YMax);
  const int32_t AlongX = G.Vertical ? Y : X, AlongY = G.Vertical ? X : Y;
  const TSLRealPoint Old{FMeasurementLine.GetX(), FMeasurementLine.GetY()};
  TSLRealPoint New = Old;
  int32_t Lo = 0, Hi = 0;
  if (MoveX) {
    XEnds(G, Lo, Hi);
    New.X = double(AlongX - Lo) * 200 / std::max(Hi - Lo - 1, 1) - 100;
  }
  if (MoveY) {
    YEnds(G, Lo, Hi);
    New.Y = 100 - double(AlongY - Lo) * 200 / std::max(Hi - Lo, 1);
  }
  if (New.X == Old.X && New.Y == Old.Y)
    return;
  FMeasurementLine.SetX(New.X);
  FMeasurementLine.SetY(New.Y);
  auto *Links = dynamic_cast<TSLDisplayCursorLinks *>(Collection());
  if (Links && Links->OnPositionChange)
    Links->OnPositionChange(FChart ? FChart->CursorSender() : nullptr, Index(), Old, New);
}

bool TSLDisplayCursorLink::PlotHitTest(const TSLPlotArea &Area, int32_t X, int32_t Y,
                                       TSLHitParts &Parts, TSLDisplayCollectionItem *&) {
  return HitTest(Parts.First, Parts.Second, X, Y, Area.Rect, Area.XMin, Area.XMax, Area.YMin,
                 Area.YMax);
}

void TSLDisplayCursorLink::PlotMoveTo(const TSLHitParts &Parts, const TSLPlotArea &Area, int32_t X,
                                      int32_t Y) {
  MoveTo(Parts.Second, Parts.First, X, Y, Area.Rect, Area.XMin, Area.XMax, Area.YMin, Area.YMax);
}

// ---------------------------------------------------------------------------
// Drawing

void TSLDisplayCursorLink::Draw(TSLDisplayDrawPart Part, TCanvas *Canvas, const TRect &Rect,
                                double XMin, double XMax, double YMin, double YMax) {
  if (!BothVisible() || FChart == nullptr)
    return;
  const TSLCursorGeometry G = SLCursorGeometry(FChart, Rect, XMin, XMax, YMin, YMax);
  // A link lit from the legend shows as if the mouse were on both lines.
  const TSLHitParts Hits = FChart->CursorLegendItem(ikCursorLinks) != nullptr
                               ? TSLHitParts{true, true}
                               : FChart->CursorHitParts(ikCursorLinks);
  if (FMeasurementLine.GetVisible()) {
    if (Hits.First && BothH())
      DrawHighlight(Canvas, G, true);
    if (Hits.Second && BothV())
      DrawHighlight(Canvas, G, false);
    if (Part == ddpFeatures) {
      if (BothH())
        DrawMeasurement(Canvas, G, false);
      if (BothV())
        DrawMeasurement(Canvas, G, true);
    }
  }
  if (FSelection.GetVisible() && Part == ddpBackground)
    DrawSelection(Canvas, G);
}

void TSLDisplayCursorLink::DrawSelection(TCanvas *Canvas, const TSLCursorGeometry &G) {
  const TRect &R = G.Rect;
  const double X1 = FBegin->GetPosition()->GetX(), X2 = FEnd->GetPosition()->GetX();
  const double Y1 = FBegin->GetPosition()->GetY(), Y2 = FEnd->GetPosition()->GetY();
  int32_t XLo = 0, XHi = 0, YLo = 0, YHi = 0;
  XEnds(G, XLo, XHi);
  YEnds(G, YLo, YHi);
  // The pixels of both ends, limited to the plot, smaller first.
  auto Span = [](int32_t A, int32_t B, int32_t Lo, int32_t Hi, int32_t &P, int32_t &Q) {
    A = std::clamp(A, Lo, Hi);
    B = std::clamp(B, Lo, Hi);
    P = std::min(A, B);
    Q = std::max(A, B);
  };
  const bool Box = FBegin->GetKind() == ckBoth && FEnd->GetKind() == ckBoth;
  const bool YBand = !Box && BothH();
  const bool XBand = !Box && !YBand && BothV();
  if (!Box && !YBand && !XBand)
    return;
  if ((XBand && X1 == X2) || (YBand && Y1 == Y2) || (Box && (X1 == X2 || Y1 == Y2)))
    return;
  int32_t XP = 0, XQ = 0, YP = 0, YQ = 0;
  Span(G.XPixel(X1), G.XPixel(X2), XLo, XHi, XP, XQ);
  Span(G.YPixel(Y1), G.YPixel(Y2), YLo, YHi, YP, YQ);
  // The band takes both cursor lines' pixels whichever cursor lies where,
  // so it fills the same rows on a reversed axis as on a plain one.
  TRect Along{XP, YP, XQ + 1, YQ + 1}; // in (X direction, Y direction)
  if (XBand) {
    Along.Top = YLo;
    Along.Bottom = YHi + 1;
  } else if (YBand) {
    Along.Left = XLo;
    Along.Right = XHi;
  }
  const TRect Fill = G.Vertical ? TRect{Along.Top, Along.Left, Along.Bottom, Along.Right} : Along;
  Canvas->SetBrush(FSelection.GetBrush());
  Canvas->FillRect(Fill);
  Canvas->Brush()->SetStyle(bsSolid);
  (void)R;
}

void TSLDisplayCursorLink::DrawHighlight(TCanvas *Canvas, const TSLCursorGeometry &G, bool VLine) {
  const bool Pressed = FChart->CursorPressed(ikCursorLinks) == this;
  TSLDisplayCollectionItem *Legend = FChart->CursorLegendItem(ikCursorLinks);
  const bool Hot = (Legend ? Legend : FChart->CursorHotItem()) == this;
  if (!Pressed && !Hot)
    return;
  int32_t Lo = 0, Hi = 0, P = 0, Q = 0, Pos = 0;
  bool AlongScreenX = false;
  if (VLine) {
    const double A = FBegin->GetPosition()->GetY(), B = FEnd->GetPosition()->GetY();
    if (A == B)
      return;
    YEnds(G, Lo, Hi);
    P = G.YPixel(A);
    Q = G.YPixel(B);
    Pos = VLinePos(G);
    AlongScreenX = G.Vertical;
  } else {
    const double A = FBegin->GetPosition()->GetX(), B = FEnd->GetPosition()->GetX();
    if (A == B)
      return;
    XEnds(G, Lo, Hi);
    P = G.XPixel(A);
    Q = G.XPixel(B);
    Pos = HLinePos(G);
    AlongScreenX = !G.Vertical;
  }
  if (Outside(P, Q, Lo, Hi))
    return;
  TSLDisplayHighlighting *H = FChart->CursorHighlighting();
  Canvas->Pen()->SetWidth(3);
  Canvas->Pen()->SetColor(Pressed || H == nullptr ? PressedColor : H->GetCursorLinks()->GetColor());
  Canvas->Brush()->SetStyle(bsClear);
  Segment(Canvas, AlongScreenX, Pos, std::clamp(P, Lo, Hi), std::clamp(Q, Lo, Hi));
  Canvas->Pen()->SetWidth(1);
  Canvas->Brush()->SetStyle(bsSolid);
  Canvas->Brush()->SetColor(FChart->CursorBackColor());
}

namespace {

// Where a measurement's label goes: centred along the segment just above a
// line along screen X, or beside a line along screen Y.
void PlaceLabel(TCanvas *Canvas, bool AlongScreenX, int32_t Pos, int32_t P1, int32_t P2,
                const std::string &Text) {
  const int32_t W = Canvas->TextWidth(Text), H = Canvas->TextHeight(Text);
  if (AlongScreenX)
    Canvas->TextOut((P1 + P2) / 2 - W / 2, Pos - H, Text);
  else
    Canvas->TextOut(Pos + 5, (P1 + P2) / 2 - H / 2, Text);
}

} // namespace

void TSLDisplayCursorLink::DrawMeasurement(TCanvas *Canvas, const TSLCursorGeometry &G,
                                           bool XMeasure) {
  // Between vertical cursors (XMeasure) the measurement runs along the X
  // direction at the line's Y; between horizontal ones along the Y
  // direction at the line's X.
  TSLDisplayCursorPosition *B = FBegin->GetPosition(), *E = FEnd->GetPosition();
  const double V1 = XMeasure ? B->GetX() : B->GetY(), V2 = XMeasure ? E->GetX() : E->GetY();
  int32_t Lo = 0, Hi = 0, ALo = 0, AHi = 0;
  if (XMeasure) {
    XEnds(G, Lo, Hi);
    YEnds(G, ALo, AHi);
  } else {
    YEnds(G, Lo, Hi);
    XEnds(G, ALo, AHi);
  }
  auto Pixel = [&](double V) { return std::clamp(XMeasure ? G.XPixel(V) : G.YPixel(V), Lo, Hi); };
  auto TickText = [&](double V) {
    return XMeasure ? FChart->CursorXTickText(V) : FChart->CursorYTickText(V);
  };
  const int32_t P1 = Pixel(V1), P2 = Pixel(V2);
  const bool AlongScreenX = XMeasure != G.Vertical;
  const int32_t Pos = XMeasure ? HLinePos(G) : VLinePos(G);
  TSLMeasurementLabel *Label = FMeasurementLine.GetMeasurementLabel();
  Canvas->SetFont(Label->GetFont());
  if (V1 != V2 && !Outside(P1, P2, Lo, Hi)) {
    Canvas->Pen()->SetStyle(FMeasurementLine.GetStyle());
    Canvas->Pen()->SetMode(FMeasurementLine.GetMode());
    Canvas->Pen()->SetColor(FMeasurementLine.GetColor());
    Canvas->Brush()->SetStyle(bsClear);
    Segment(Canvas, AlongScreenX, Pos, P1, P2);
    Canvas->Pen()->SetWidth(1);
    Canvas->Pen()->SetMode(pmCopy);
    Canvas->Pen()->SetStyle(psSolid);
    if (Label->GetVisible()) {
      const std::string Text =
          SLExpandMeasurementLabel(TickText(std::abs(V2 - V1)), Label->GetText(), "%V");
      Canvas->Brush()->SetStyle(bsSolid);
      Canvas->Brush()->SetColor(FChart->CursorBackColor());
      PlaceLabel(Canvas, AlongScreenX, Pos, P1, P2, Text);
    }
  }
  const TPoint M = FChart->CursorMouse();
  TSLDisplayTrails *Trails = FChart->CursorTrails();
  const TColor TrailColor = Trails ? Trails->GetColor() : clWhite;
  // Dragging the line itself: where it would land (held one short of the
  // far end, except a horizontal line in normal display).
  if (FChart->CursorPressed(ikCursorLinks) == this &&
      (XMeasure ? FChart->CursorHitParts(ikCursorLinks).Second
                : FChart->CursorHitParts(ikCursorLinks).First)) {
    const int32_t Upper = XMeasure && !G.Vertical ? AHi : AHi - 1;
    const int32_t At = std::clamp(AlongScreenX ? M.Y : M.X, ALo, Upper);
    Canvas->Pen()->SetStyle(psDot);
    Canvas->Pen()->SetColor(TrailColor);
    Segment(Canvas, AlongScreenX, At, P1, P2);
  }
  // Dragging one of the cursors: the measurement it would give, moved off
  // the line by the size of its text.
  auto *Pressed = dynamic_cast<TSLDisplayCursor *>(FChart->CursorPressed(ikCursors));
  const TSLHitParts CursorHits = FChart->CursorHitParts(ikCursors);
  if (Pressed && (Pressed == FBegin || Pressed == FEnd) &&
      (XMeasure ? CursorHits.First : CursorHits.Second)) {
    const int32_t Mouse = AlongScreenX ? M.X : M.Y;
    const double D = XMeasure ? Pressed->DragX(G, Mouse) : Pressed->DragY(G, Mouse);
    const double N1 = Pressed == FBegin ? D : V1, N2 = Pressed == FEnd ? D : V2;
    if (N1 != N2) {
      const int32_t Q1 = Pixel(N1), Q2 = Pixel(N2);
      const std::string Text = TickText(std::abs(N2 - N1));
      if (Trails)
        Canvas->SetFont(Trails->GetFont());
      Canvas->Font()->SetColor(TrailColor);
      const int32_t Step = AlongScreenX ? Canvas->TextHeight(Text) + 1
                                        : Canvas->TextWidth(Text) + (XMeasure ? 5 : 10);
      const int32_t At = Pos + Step < AHi ? Pos + Step : Pos - Step;
      Canvas->Pen()->SetStyle(psDot);
      Canvas->Pen()->SetColor(TrailColor);
      Canvas->Brush()->SetStyle(bsClear);
      Segment(Canvas, AlongScreenX, At, Q1, Q2);
      Canvas->Brush()->SetStyle(bsSolid);
      Canvas->Brush()->SetColor(FChart->CursorBackColor());
      PlaceLabel(Canvas, AlongScreenX, At, Q1, Q2, Text);
    }
  }
  Canvas->Pen()->SetWidth(1);
  Canvas->Pen()->SetStyle(psSolid);
}

// ---------------------------------------------------------------------------
// Collection

TSLDisplayCursorLinks::TSLDisplayCursorLinks(TPersistent *Owner, ISLCursorChart *Chart)
    : TSLDisplayCollection(Owner, &TSLDisplayCursorLink::StaticClassInfo(),
                           Chart ? Chart->CursorDisplay() : nullptr),
      FChart(Chart) {}

TSLDisplayCursorLink *TSLDisplayCursorLinks::GetItem(int32_t Index) const {
  return static_cast<TSLDisplayCursorLink *>(Items(Index));
}

TSLDisplayCursorLink *TSLDisplayCursorLinks::Add() {
  return static_cast<TSLDisplayCursorLink *>(TSLDisplayCollection::Add());
}

void TSLDisplayCursorLinks::NewItemCreated(TCollectionItem *Item) {
  TSLDisplayCollection::NewItemCreated(Item);
  auto *Link = static_cast<TSLDisplayCursorLink *>(Item);
  TSLDisplayCursor *Begin = nullptr, *End = nullptr;
  GetNewCursors(Begin, End);
  Link->SetBeginCursor(Begin);
  Link->SetEndCursor(End);
  if (GetDisplay())
    GetDisplay()->InvalidateRecalc();
}

void TSLDisplayCursorLinks::Update(TCollectionItem *) {
  if (GetDisplay())
    GetDisplay()->Invalidate();
}

void TSLDisplayCursorLinks::GetNewCursors(TSLDisplayCursor *&Begin, TSLDisplayCursor *&End) const {
  Begin = End = nullptr;
  TSLDisplayCursors *Cursors = CursorsOf(FChart);
  if (Cursors == nullptr || Cursors->Count() < 2)
    return;
  int32_t Best = INT32_MAX;
  for (int32_t I = 0; I < Cursors->Count(); ++I)
    for (int32_t J = I + 1; J < Cursors->Count(); ++J) {
      const int32_t N = GetCountOfLinks(Cursors->GetItem(I), Cursors->GetItem(J));
      if (N < Best) {
        Best = N;
        Begin = Cursors->GetItem(I);
        End = Cursors->GetItem(J);
      }
    }
}

int32_t TSLDisplayCursorLinks::GetCountOfLinks(const TSLDisplayCursor *A,
                                               const TSLDisplayCursor *B) const {
  int32_t N = 0;
  for (int32_t I = 0; I < Count(); ++I) {
    const TSLDisplayCursorLink *L = GetItem(I);
    if ((L->GetBeginCursor() == A && L->GetEndCursor() == B) ||
        (L->GetBeginCursor() == B && L->GetEndCursor() == A))
      ++N;
  }
  return N;
}
