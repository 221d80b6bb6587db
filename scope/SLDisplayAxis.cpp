#include "scope/SLDisplayAxis.h"

#include <algorithm>
#include <cmath>

#include "scope/SLAxes.h"

// Step and walks -----------------------------------------------------------------

int32_t TSLOptionalAxis::GetMaxTextLength() { return FChart->GetCanvas()->TextHeight("Xg"); }

TSLValueStepQuery TSLOptionalAxis::StepQuery() {
  TSLValueStepQuery Q;
  Q.Width = GetWidth();
  Q.RangeWidth = GetRangeWidth(false);
  Q.Logarithmic = IsLogarithmic();
  Q.RangeWidthLog = Q.Logarithmic ? GetRangeWidth(true) : Q.RangeWidth;
  Q.DimentionLength = GetDimentionLength();
  return Q;
}

double TSLOptionalAxis::ComputeValueStep() {
  TSLValueStepQuery Q = StepQuery();
  if (Q.Width != 0 && Q.RangeWidth != 0) {
    Q.MinScaleLineDistance = GetMinScaleLineDistance();
    FChart->GetCanvas()->SetFont(GetFont());
    Q.MaxTextLength = GetMaxTextLength();
  }
  return ::ComputeValueStep(Q, FStepCache);
}

bool TSLOptionalAxis::IsValidStep() { return FStepCache.IsValidStep(StepQuery()); }

namespace {

TSLTickWalk Walk(const TSLTickLineProc &Proc, TCanvas *Canvas, int32_t TextHeight, bool All,
                 double Min, double Max, double Step, uint32_t Minor, bool Logarithmic) {
  TSLTickWalk W;
  W.Proc = Proc;
  W.Canvas = Canvas;
  W.TextHeight = TextHeight;
  W.All = All;
  W.Min = Min;
  W.Max = Max;
  W.Step = Step;
  W.MinorCount = Minor;
  W.Logarithmic = Logarithmic;
  return W;
}

} // namespace

namespace {

// The upward walk runs along the data view's width in a vertical control
// whose Y axis is not reversed, else along its height.
bool AlongWidth(ISLAxisChart *Chart) {
  TSLScopeYAxis *Y = Chart->GetYAxis();
  return Chart->GetIsVertical() && !(Y && Y->GetReversed());
}

} // namespace

void TSLOptionalAxis::UpTickLines(const TSLTickLineProc &Proc, bool FromEnd, TCanvas *Canvas,
                                  int32_t TextHeight, bool All, double Min, double Max,
                                  int32_t Offset, double Factor) {
  TRect D = FChart->GetDataViewRect();
  bool X = AlongWidth(FChart);
  ::UpTickLines(Walk(Proc, Canvas, TextHeight, All, Min, Max, GetStepForWalk(), GetMinorCount(),
                     IsLogarithmic()),
                FromEnd, X ? D.Left : D.Top, X ? D.Right : D.Bottom, Offset, Factor);
}

void TSLOptionalAxis::DownTickLines(const TSLTickLineProc &Proc, bool, TCanvas *Canvas,
                                    int32_t TextHeight, bool All, double Min, double Max, int32_t,
                                    double) {
  TRect D = FChart->GetDataViewRect();
  ::DownTickLines(Walk(Proc, Canvas, TextHeight, All, Min, Max, GetStepForWalk(), GetMinorCount(),
                       IsLogarithmic()),
                  D.Top, D.Bottom);
}

void TSLOptionalAxis::RightTickLines(const TSLTickLineProc &Proc, bool, TCanvas *Canvas,
                                     int32_t TextHeight, bool All, double, double, double Min,
                                     double Max, int32_t, double) {
  TRect D = FChart->GetDataViewRect();
  ::RightTickLines(
      Walk(Proc, Canvas, TextHeight, All, Min, Max, GetStepForWalk(), GetMinorCount(), false),
      D.Left, D.Right);
}

// Tracking ---------------------------------------------------------------------------

TSLTrackingOptionalAxis::TSLTrackingOptionalAxis(ISLAxisChart *Chart)
    : TSLOptionalAxis(Chart), FMinorTicks([this](TObject *Sender) { FontChanged(Sender); }) {}

void TSLTrackingOptionalAxis::SetTrackCursor(bool Value) {
  if (Value == FTrackCursor)
    return;
  FTrackCursor = Value;
  InvalidateRecalc();
}

void TSLTrackingOptionalAxis::SetTrackColor(TColor Value) {
  if (Value == FTrackColor)
    return;
  FTrackColor = Value;
  InvalidateRecalc();
}

void TSLTrackingOptionalAxis::MouseLeave() {
  TSLOptionalAxis::MouseLeave();
  FMouseOver = false;
  InvalidateView();
}

void TSLTrackingOptionalAxis::MouseEnter() {
  FMouseOver = true;
  InvalidateView();
}

// Display axis --------------------------------------------------------------------------

TSLDisplayAxis::TSLDisplayAxis(ISLAxisChart *Chart)
    : TSLTrackingOptionalAxis(Chart), FFont(std::make_unique<TFont>()) {
  FFont->SetColor(clWhite);
  FFont->SetName("Arial");
  FFont->OnChange = [this](TObject *Sender) { FontChanged(Sender); };
  // The chart is the control the toolbar is drawn on.
  FToolBar = std::make_unique<TSLAxisToolBar>(this, dynamic_cast<ISLToolBarHost *>(Chart));
}

TSLDisplayAxis::~TSLDisplayAxis() = default;

void TSLDisplayAxis::SetReversed(bool Value) {
  if (Value == FReversed)
    return;
  FReversed = Value;
  InvalidateRecalc();
}

void TSLDisplayAxis::SetColor(TColor Value) {
  if (Value == FColor)
    return;
  FColor = Value;
  InvalidateRecalc();
}

void TSLDisplayAxis::SetOnCustomLabel(TSLCustomAxisLabelEvent Value) {
  FOnCustomLabel = std::move(Value);
  InvalidateRecalc();
}

void TSLDisplayAxis::SetTickText(const std::string &Text) {
  FTickTextSet = true;
  FTickText = Text;
}

std::string TSLDisplayAxis::CustomLabel(double Value, std::string Text) {
  if (!FOnCustomLabel)
    return Text;
  FTickTextSet = false;
  FOnCustomLabel(this, Value, Text);
  if (FTickTextSet)
    Text = FTickText;
  FTickTextSet = false;
  return Text;
}

double TSLDisplayAxis::Cached(int Index, double (TSLDisplayAxis::*Get)()) {
  TCacheEntry &E = FCache[Index];
  if (!E.Valid) {
    E.Value = (this->*Get)();
    E.Valid = true;
    ++E.Fills;
  }
  return E.Value;
}

void TSLDisplayAxis::InvalidateMinMaxCache() {
  for (TCacheEntry &E : FCache)
    E.Valid = false;
}

// The scale is proportional to the data, without an offset: scale 0 is
// data 0. A flat data range gives the zoomed data range widened by one.
double TSLDisplayAxis::GetScaleZoomedMin() {
  double A = GetDataFullMinRead(), B = GetDataFullMaxRead();
  if (A == B)
    return GetDataZoomedMinRead() - 1;
  return (GetScaleFullMaxRead() - GetScaleFullMinRead()) * GetDataZoomedMinRead() / (B - A);
}

double TSLDisplayAxis::GetScaleZoomedMax() {
  double A = GetDataFullMinRead(), B = GetDataFullMaxRead();
  if (A == B)
    return GetDataZoomedMaxRead() + 1;
  return (GetScaleFullMaxRead() - GetScaleFullMinRead()) * GetDataZoomedMaxRead() / (B - A);
}

void TSLDisplayAxis::FontChanged(TObject *) {
  FStepCache.Valid = false;
  InvalidateRecalc();
}

// An axis's own drawing ends with its toolbar; exported pictures never
// show it.
void TSLDisplayAxis::Draw(TSLDisplayDrawPart, TCanvas *Canvas, bool, bool Exporting, double, double,
                          int32_t, double) {
  if (Exporting || !FToolBar->GetVisible())
    return;
  if (FToolBar->GetAutoHide() && !GetMouseInside() && !FChart->IsDesigning())
    return;
  FToolBar->Draw(Canvas);
}

void TSLDisplayAxis::MouseEnterView() {
  TSLTrackingOptionalAxis::MouseEnterView();
  if (FToolBar->GetVisible() && FToolBar->GetAutoHide())
    Invalidate();
}

void TSLDisplayAxis::MouseLeaveView() {
  TSLTrackingOptionalAxis::MouseLeaveView();
  if ((FToolBar->GetVisible() && FToolBar->GetAutoHide()) || FToolBar->GetMouseOver())
    Invalidate();
}

void TSLDisplayAxis::PrepareTicks(TCanvas *Canvas, int32_t &TextHeight) {
  Canvas->Pen()->SetColor(FColor);
  Canvas->SetFont(FFont.get());
  Canvas->Brush()->SetStyle(bsClear);
  TextHeight = Canvas->TextHeight("Xg");
}

namespace {

TSLTickLineProc Bind(TSLDisplayAxis *Axis, void (TSLDisplayAxis::*Tick)(TCanvas *, bool, int32_t,
                                                                        bool, double, int32_t)) {
  return [Axis, Tick](TCanvas *C, bool Z, int32_t H, bool M, double V, int32_t P) {
    (Axis->*Tick)(C, Z, H, M, V, P);
  };
}

} // namespace

void TSLDisplayAxis::DrawUpTick(TCanvas *Canvas, bool, int32_t TextHalfHeight, bool IsMinor,
                                double Value, int32_t Position) {
  int32_t Right = FRect.Right;
  if (IsMinor) {
    Canvas->MoveTo(Right - 9, Position);
    Canvas->LineTo(Right - 5, Position);
    return;
  }
  std::string Text = GetTickText(Value);
  Canvas->TextOut(Right - 14 - Canvas->TextWidth(Text), Position - TextHalfHeight, Text);
  Canvas->MoveTo(Right - 11, Position);
  Canvas->LineTo(Right - 5, Position);
}

void TSLDisplayAxis::DrawRightTick(TCanvas *Canvas, bool, int32_t, bool IsMinor, double Value,
                                   int32_t Position) {
  int32_t Top = FRect.Top;
  if (IsMinor) {
    Canvas->MoveTo(Position, Top + 5);
    Canvas->LineTo(Position, Top + 10);
    return;
  }
  std::string Text = GetTickText(Value);
  Canvas->TextOut(Position - Canvas->TextWidth(Text) / 2, Top + 14, Text);
  Canvas->MoveTo(Position, Top + 5);
  Canvas->LineTo(Position, Top + 12);
}

void TSLDisplayAxis::DrawUpTicks(TCanvas *Canvas, bool All, double YMin, double YMax,
                                 int32_t YOffset, double YFactor) {
  int32_t H = 0;
  PrepareTicks(Canvas, H);
  TRect D = FChart->GetDataViewRect();
  if (All) {
    Canvas->MoveTo(FRect.Right - 5, D.Top);
    Canvas->LineTo(FRect.Right - 5, D.Bottom);
  }
  UpTickLines(Bind(this, &TSLDisplayAxis::DrawUpTick), true, Canvas, H, All, YMin, YMax, YOffset,
              YFactor);
}

void TSLDisplayAxis::DrawDownTicks(TCanvas *Canvas, bool All, double YMin, double YMax,
                                   int32_t YOffset, double YFactor) {
  int32_t H = 0;
  PrepareTicks(Canvas, H);
  TRect D = FChart->GetDataViewRect();
  if (All) {
    Canvas->MoveTo(FRect.Right - 5, D.Top);
    Canvas->LineTo(FRect.Right - 5, D.Bottom);
  }
  DownTickLines(Bind(this, &TSLDisplayAxis::DrawUpTick), true, Canvas, H, All, YMin, YMax, YOffset,
                YFactor);
}

void TSLDisplayAxis::DrawLeftTicks(TCanvas *Canvas, bool All, double YMin, double YMax,
                                   int32_t YOffset, double YFactor) {
  int32_t H = 0;
  PrepareTicks(Canvas, H);
  TRect D = FChart->GetDataViewRect();
  if (All) {
    Canvas->MoveTo(D.Left, FRect.Top + 5);
    Canvas->LineTo(D.Right, FRect.Top + 5);
  }
  UpTickLines(Bind(this, &TSLDisplayAxis::DrawRightTick), true, Canvas, H, All, YMin, YMax, YOffset,
              YFactor);
}

void TSLDisplayAxis::DrawRightTicks(TCanvas *Canvas, bool All, double YMin, double YMax,
                                    int32_t YOffset, double YFactor) {
  int32_t H = 0;
  PrepareTicks(Canvas, H);
  TRect D = FChart->GetDataViewRect();
  if (All) {
    Canvas->MoveTo(D.Left, FRect.Top + 5);
    Canvas->LineTo(D.Right, FRect.Top + 5);
  }
  RightTickLines(Bind(this, &TSLDisplayAxis::DrawRightTick), true, Canvas, H, All, YMin, YMax,
                 GetScaleZoomedMinRead(), GetScaleZoomedMaxRead(), YOffset, YFactor);
}

void TSLDisplayAxis::DrawLeftTicksV(TCanvas *Canvas, bool All) {
  double FullMin = GetScaleFullMinRead(), FullMax = GetScaleFullMaxRead();
  double ZMin = GetScaleZoomedMinRead(), ZMax = GetScaleZoomedMaxRead();
  double Step = GetStep();
  if (Step == 0)
    Step = 1.0;
  int64_t K = int64_t(FMinorTicks.GetCount()) + 1;
  double Sub = Step / double(K);
  TRect D = FChart->GetDataViewRect();
  if (All) {
    Canvas->Pen()->SetColor(FColor);
    Canvas->MoveTo(D.Left, FRect.Top + 5);
    Canvas->LineTo(D.Right, FRect.Top + 5);
  }
  Canvas->Pen()->SetColor(FColor);
  Canvas->SetFont(FFont.get());
  Canvas->Brush()->SetStyle(bsClear);
  double V = std::trunc(ZMin / Step) * Step;
  double W = double(D.Right) - D.Left - 1;
  double Span = ZMax - ZMin;
  if (Span == 0)
    Span = 0.00001;
  for (int64_t I = 0; I < 1000 && V <= ZMax; ++I) {
    if (V >= ZMin) {
      int32_t X = D.Right - SLRoundPixel((V - ZMin) * W / Span);
      if (All || V == FullMin || V + Step > FullMax)
        DrawRightTick(Canvas, false, 0, (I % K) != 0, V, X);
    }
    double Next = V + Sub;
    if (Next == V)
      break;
    V = Next;
  }
}

void TSLDisplayAxis::DrawVerticalLabel(TCanvas *Canvas, TFont *Font) {
  TFont Turned;
  Turned.Assign(Font);
  Turned.SetOrientation(900);
  Canvas->SetFont(&Turned);
  std::string Text = GetAxisLabelText();
  Canvas->TextOut(FRect.Left + 2, FRect.Top + (Canvas->TextWidth(Text) + GetHeight()) / 2, Text);
}

void TSLDisplayAxis::DrawHorizontalLabel(TCanvas *Canvas, TFont *Font) {
  int32_t Y = Canvas->TextHeight("Xg") + FRect.Top + 16;
  Canvas->SetFont(Font);
  std::string Text = GetAxisLabelText();
  Canvas->TextOut(FChart->GetPlotWidth() / 2 - Canvas->TextWidth(Text) / 2, Y, Text);
}

void TSLDisplayAxis::DrawVerticalMouseMarker(TCanvas *Canvas, int32_t Length) {
  TPoint M = FChart->GetMouseClientPos();
  if (!PtInRect(FChart->GetDataViewRect(), M))
    return;
  Canvas->Pen()->SetColor(FTrackColor);
  Canvas->MoveTo(M.X, FRect.Top + 5);
  Canvas->LineTo(M.X, FRect.Top + Length);
}

void TSLDisplayAxis::DrawHorizontalMouseMarker(TCanvas *Canvas, int32_t Length) {
  TPoint M = FChart->GetMouseClientPos();
  if (!PtInRect(FChart->GetDataViewRect(), M))
    return;
  Canvas->Pen()->SetColor(FTrackColor);
  Canvas->MoveTo(FRect.Right - Length, M.Y);
  Canvas->LineTo(FRect.Right - 4, M.Y);
}
