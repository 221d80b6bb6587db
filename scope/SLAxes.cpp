#include "scope/SLAxes.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "platform/classlib/ClassBuilder.h"
#include "platform/classlib/FormStream.h"
#include "scope/SLScope_numeric.h"

// Numbers and texts -------------------------------------------------------------------

int32_t SLGetDecimalPoints(double A, double B, int32_t Precision, bool Fixed) {
  if (Fixed)
    return Precision;
  if (Precision <= 0)
    return 0;
  double S = std::fabs(A - B);
  if (!std::isfinite(S))
    return 0;
  int64_t D = 0;
  if (S != 0)
    D = Precision - (static_cast<int64_t>(std::trunc(std::log10(S))) + 1);
  if (S < 1)
    D = D + 1;
  return static_cast<int32_t>(std::clamp<int64_t>(D, 0, INT32_MAX));
}

namespace {

std::string Trim(const std::string &S) {
  size_t B = S.find_first_not_of(' ');
  if (B == std::string::npos)
    return std::string();
  size_t E = S.find_last_not_of(' ');
  return S.substr(B, E - B + 1);
}

// Fixed-point text of the class library: fixed notation up to 18 integer
// digits, an exponent text beyond; always '.' as the separator.
std::string FixedText(double Value, int32_t Decimals) {
  if (std::isnan(Value))
    return "NAN";
  if (std::isinf(Value))
    return Value < 0 ? "-INF" : "INF";
  int D = static_cast<int>(std::min<int32_t>(Decimals, 330));
  const char *Format = std::fabs(Value) >= 1e18 ? "%.*E" : "%.*f";
  int N = std::snprintf(nullptr, 0, Format, D, Value);
  std::string S(static_cast<size_t>(N) + 1, '\0');
  std::snprintf(S.data(), S.size(), Format, D, Value);
  S.resize(static_cast<size_t>(N));
  return S;
}

} // namespace

std::string SLFormatTickText(double Value, int32_t Decimals, int32_t Precision, bool Fixed) {
  std::string T = Trim(FixedText(Value, Decimals));
  if (!Fixed)
    return T;
  size_t E = T.find('E');
  if (E == std::string::npos)
    return T;
  size_t Dot = T.find('.');
  if (Dot != std::string::npos && Dot < E && E - Dot - 1 > static_cast<size_t>(Precision))
    T.erase(Dot + 1 + static_cast<size_t>(std::max(Precision, 0)),
            E - Dot - 1 - static_cast<size_t>(std::max(Precision, 0)));
  E = T.find('E');
  while (E + 1 < T.size() && T[E + 1] == '0')
    T.erase(E + 1, 1);
  return T;
}

namespace {

int32_t ThirdsOfLog(double X) {
  double L = std::log10(X);
  if (!std::isfinite(L))
    return 0;
  return 3 * static_cast<int32_t>(std::trunc(std::clamp(L, -3000.0, 3000.0) / 3));
}

} // namespace

int32_t SLTimeUnitExponent(double SampleRate, double Samples) {
  if (!(SampleRate > 0) || !(Samples > 0))
    return 0;
  return ThirdsOfLog(SampleRate / Samples * 1000);
}

int32_t SLFreqUnitExponent(double SampleRate) {
  if (!(SampleRate > 0))
    return 0;
  return ThirdsOfLog(SampleRate);
}

double SLCalcMaxTime(double SampleRate, double Samples, int32_t Exponent) {
  if (!(SampleRate > 0) || !std::isfinite(SampleRate))
    return 0;
  return (Samples - 1) / SampleRate * std::pow(10.0, Exponent);
}

double SLCalcMaxFreq(double SampleRate, int32_t Exponent) {
  if (!(SampleRate > 0) || !std::isfinite(SampleRate))
    return 0;
  return SampleRate / 2 / std::pow(10.0, Exponent);
}

std::string SLTimeUnitCaption(int32_t E) {
  switch (E) {
  case 0:
    return "Sec";
  case 3:
    return "mSec";
  case 6:
    return "uSec";
  case 9:
    return "nSec";
  default:
    return "Sec (E" + std::to_string(-int64_t(E)) + ")";
  }
}

std::string SLFreqUnitCaption(int32_t E) {
  switch (E) {
  case 0:
    return "Hz";
  case 3:
    return "kHz";
  case 6:
    return "MHz";
  case 9:
    return "GHz";
  case -9:
    return "nHz";
  case -6:
    return "uHz";
  case -3:
    return "mHz";
  default:
    return "Hz (E" + std::to_string(-int64_t(E)) + ")";
  }
}

namespace {

double L(bool Logarithmic, double V) { return Logarithmic ? SLLog10a(V) : V; }

int32_t Widest(TCanvas *C, const std::string &A, const std::string &B) {
  return std::max(C->TextWidth(A), C->TextWidth(B));
}

// The smallest and largest finite values of Buffer between From and To
// (both included, limited to the buffer); false when there is none.
bool FiniteRange(ISLRealBuffer *Buffer, int64_t From, int64_t To, double &Lo, double &Hi) {
  int64_t N = Buffer->GetSize();
  From = std::max<int64_t>(From, 0);
  To = std::min<int64_t>(To, N - 1);
  const double *D = Buffer->Read();
  bool Any = false;
  for (int64_t I = From; I <= To; ++I) {
    double V = D[I];
    if (!std::isfinite(V))
      continue;
    if (!Any) {
      Lo = Hi = V;
      Any = true;
    } else {
      Lo = std::min(Lo, V);
      Hi = std::max(Hi, V);
    }
  }
  return Any;
}

// Snapping to samples: the value nearest to Value (the first on ties) when
// Value lies strictly inside the buffer's finite range.
double Snap(ISLRealBuffer *Buffer, double Value) {
  int64_t N = Buffer->GetSize();
  if (N <= 1)
    return Value;
  const double *D = Buffer->Read();
  double Lo = 0, Hi = 0, Nearest = 0, Best = std::numeric_limits<double>::infinity();
  bool Any = false;
  for (int64_t I = 0; I < N; ++I) {
    double V = D[I];
    if (!std::isfinite(V))
      continue;
    if (!Any) {
      Lo = Hi = V;
      Any = true;
    }
    Lo = std::min(Lo, V);
    Hi = std::max(Hi, V);
    if (std::fabs(V - Value) < Best) {
      Best = std::fabs(V - Value);
      Nearest = V;
    }
  }
  return Any && Lo < Value && Value < Hi ? Nearest : Value;
}

} // namespace

// Both axes ------------------------------------------------------------------------------

namespace {

// The published properties both scope axes begin with, in form order.
template <class C> void SLPublishAxisViewProperties(TClassBuilder<C> &c) {
  c.Boolean("TrackCursor", &C::GetTrackCursor, &C::SetTrackCursor, true);
  c.Object("MinorTicks", &C::GetMinorTicks, &C::SetMinorTicks);
  c.Object("Font", &C::GetFont, &C::SetFont);
  c.Object("ToolBar", &C::GetToolBar, &C::SetToolBar);
  c.Object("AxisLabel", &C::GetAxisLabel, &C::SetAxisLabel);
}

} // namespace

TSLDisplayXYAxis::TSLDisplayXYAxis(ISLAxisChart *Chart, TSLAxisKind Kind)
    : TSLDisplayAxis(Chart), FKind(Kind) {
  FAxisLabel.OnChange = [this](TObject *Sender) { LabelChanged(Sender); };
}

void TSLDisplayXYAxis::LabelChanged(TObject *) {
  InvalidateRecalc();
  InvalidateMinMaxCache();
}

bool TSLDisplayXYAxis::GetIsVertical() {
  return (FKind == TSLAxisKind::X) == FChart->GetIsVertical();
}

int32_t TSLDisplayXYAxis::GetMaxTextLength() {
  if (GetIsVertical())
    return TSLDisplayAxis::GetMaxTextLength();
  return Widest(FChart->GetCanvas(), GetTickText(GetScaleZoomedMaxRead()),
                GetTickText(GetScaleZoomedMinRead()));
}

int32_t TSLDisplayXYAxis::GetMinScaleLineDistance() {
  TCanvas *C = FChart->GetCanvas();
  C->SetFont(GetFont());
  int32_t D = GetIsVertical() ? C->TextHeight("Xg") + 4
                              : C->TextWidth(GetTickText(GetDataZoomedMaxRead())) + 8;
  return std::max(D, 20);
}

void TSLDisplayXYAxis::ZoomOwnAxis(double Factor) {
  if (FKind == TSLAxisKind::X)
    FChart->ZoomBy(Factor, 1.0, true);
  else
    FChart->ZoomBy(1.0, Factor, true);
}

void TSLDisplayXYAxis::ZoomIn() { ZoomOwnAxis(0.5); }
void TSLDisplayXYAxis::ZoomOut() { ZoomOwnAxis(2.0); }

void TSLDisplayXYAxis::MouseWheelDown(TShiftState, TPoint MousePos) {
  if (FKind == TSLAxisKind::X)
    FChart->MouseWheelZoom(MousePos, 1.1, 1.0);
  else
    FChart->MouseWheelZoom(MousePos, 1.0, 1.1);
}

void TSLDisplayXYAxis::MouseWheelUp(TShiftState, TPoint MousePos) {
  if (FKind == TSLAxisKind::X)
    FChart->MouseWheelZoom(MousePos, 0.9, 1.0);
  else
    FChart->MouseWheelZoom(MousePos, 1.0, 0.9);
}

void TSLDisplayXYAxis::Draw(TSLDisplayDrawPart Part, TCanvas *Canvas, bool Vertical, bool Exporting,
                            double YMin, double YMax, int32_t YOffset, double YFactor) {
  const bool AlongX = (FKind == TSLAxisKind::X) != Vertical;
  if (FTrackCursor && !FChart->IsDesigning() && !Exporting && FMouseOver) {
    if (AlongX)
      DrawVerticalMouseMarker(Canvas, FMarkerLength);
    else
      DrawHorizontalMouseMarker(Canvas, FMarkerLength);
  }
  DrawTicks(Canvas, true, Vertical, YMin, YMax, YOffset, YFactor);
  if (FAxisLabel.GetVisible()) {
    if (AlongX)
      DrawHorizontalLabel(Canvas, FAxisLabel.GetFont());
    else
      DrawVerticalLabel(Canvas, FAxisLabel.GetFont());
  }
  TSLDisplayAxis::Draw(Part, Canvas, Vertical, Exporting, YMin, YMax, YOffset, YFactor);
}

void TSLDisplayXYAxis::DrawEx(TSLDisplayDrawPart, TCanvas *Canvas, bool Vertical, double YMin,
                              double YMax, int32_t YOffset, double YFactor) {
  DrawTicks(Canvas, false, Vertical, YMin, YMax, YOffset, YFactor);
}

// Y axes ---------------------------------------------------------------------------------

TSLDisplayYAxis::TSLDisplayYAxis(ISLAxisChart *Chart) : TSLDisplayXYAxis(Chart, TSLAxisKind::Y) {}

int32_t TSLDisplayYAxis::GetDefaultOffsetBegin() {
  return FChart->GetCanvas()->TextHeight("Xg") / 2 + 4;
}

int32_t TSLDisplayYAxis::GetDefaultOffsetEnd() {
  return FChart->GetCanvas()->TextHeight("Xg") / 2 + 4;
}

TAlign TSLDisplayYAxis::GetAlign() { return FChart->GetIsVertical() ? alBottom : alLeft; }

int32_t TSLDisplayYAxis::GetDimentionLength() {
  return FChart->GetIsVertical() ? GetWidth() : GetHeight();
}

void TSLDisplayYAxis::MouseMove(TShiftState Shift, int32_t X, int32_t Y) {
  TSLDisplayAxis::MouseMove(Shift, X, Y);
  FMouseOver = true;
  TRect R = FChart->GetDataViewRect();
  bool In = PtInRect(R, TPoint{X, Y});
  bool WasIn = PtInRect(R, FLastMouse);
  if (Y == FLastMouse.Y) {
    if (In != WasIn)
      InvalidateView();
  } else if (GetVisible() && FTrackCursor && (In || WasIn)) {
    InvalidateView();
  }
  FLastMouse = TPoint{X, Y};
}

void TSLDisplayYAxis::DrawTicks(TCanvas *Canvas, bool All, bool Vertical, double YMin, double YMax,
                                int32_t YOffset, double YFactor) {
  if (Vertical) {
    if (FReversed)
      DrawRightTicks(Canvas, All, YMin, YMax, YOffset, YFactor);
    else
      DrawLeftTicks(Canvas, All, YMin, YMax, YOffset, YFactor);
  } else {
    if (FReversed)
      DrawDownTicks(Canvas, All, YMin, YMax, YOffset, YFactor);
    else
      DrawUpTicks(Canvas, All, YMin, YMax, YOffset, YFactor);
  }
}

const TClassInfo &TSLScopeYAxis::StaticClassInfo() {
  using C = TSLScopeYAxis;
  static const TClassInfo &info = MakeClassInfo<C>(
      "TSLScopeYAxis", &TSLOptionalView::StaticClassInfo(), [](TClassBuilder<C> &c) {
        SLPublishAxisViewProperties(c);
        c.Float("Min", &C::GetMin, &C::SetMin);
        c.Stored([](C &) { return false; });
        c.Float("Max", &C::GetMax, &C::SetMax);
        c.Stored([](C &) { return false; });
        c.Integer("Precision", &C::GetPrecision, &C::SetPrecision, 3);
        c.Boolean("FixedPrecision", &C::GetFixedPrecision, &C::SetFixedPrecision, false);
        c.Boolean("Logarithmic", &C::GetLogarithmic, &C::SetLogarithmic, false);
        c.Object("AutoScaling", &C::GetAutoScaling, &C::SetAutoScaling);
        c.Boolean("Reversed", &C::GetReversed, &C::SetReversed, false);
        c.Object("CursorSettings", &C::GetCursorSettings, &C::SetCursorSettings);
      });
  return info;
}

TSLScopeYAxis::TSLScopeYAxis(ISLAxisChart *Chart)
    : TSLScopeAxisT(Chart), FAutoScaling([this] { InvalidateStep(); }) {
  FAxisLabel.OnChange = nullptr;
  FAxisLabel.SetText("Y Axis");
  FAxisLabel.OnChange = [this](TObject *Sender) { LabelChanged(Sender); };
}

namespace {

// Colours read and written by name (clWhite), as form texts hold them.
void DefineAxisColors(TFiler *Filer, TSLDisplayAxis *Axis) {
  DefineColorProperty(
      Filer, "TrackColor", [Axis] { return Axis->GetTrackColor(); },
      [Axis](TColor C) { Axis->SetTrackColor(C); }, Axis->GetTrackColor() != clRed);
  DefineColorProperty(
      Filer, "Color", [Axis] { return Axis->GetColor(); }, [Axis](TColor C) { Axis->SetColor(C); },
      Axis->GetColor() != clWhite);
}

} // namespace

void TSLScopeYAxis::DefineProperties(TFiler *Filer) {
  TSLScopeAxisT::DefineProperties(Filer);
  DefineAxisColors(Filer, this);
  Filer->DefineProperty(
      "MinMax",
      [this](TReader *R) {
        R->ReadListBegin();
        FMin = R->ReadFloat();
        FMax = R->ReadFloat();
        R->ReadListEnd();
      },
      [this](TWriter *W) {
        W->WriteListBegin();
        W->WriteFloat(FMin);
        W->WriteFloat(FMax);
        W->WriteListEnd();
      },
      true);
  Filer->DefineProperty(
      "AutoScale", [this](TReader *R) { FAutoScaling.SetEnabled(R->ReadBoolean()); }, nullptr,
      false);
}

void TSLScopeYAxis::SetMin(double Value) { SetStepSetting(FMin, Value); }

void TSLScopeYAxis::SetMax(double Value) { SetStepSetting(FMax, Value); }

void TSLScopeYAxis::SetLogarithmic(bool Value) { SetStepSetting(FLogarithmic, Value); }

void TSLScopeYAxis::InvalidateStep() {
  FStepCache.Valid = false;
  InvalidateRecalc();
}

double TSLScopeYAxis::GetStep() {
  if (!IsValidStep()) {
    FStep = ComputeValueStep();
    FStepCache.Valid = true;
    // The label widths may have changed with the step.
    FChart->InvalidateRecalc();
  }
  return FStep;
}

double TSLScopeYAxis::GetRangeWidth(bool Logarithmic) {
  return L(Logarithmic, GetDataZoomedMaxRead()) - L(Logarithmic, GetDataZoomedMinRead());
}

bool TSLScopeYAxis::AnyChannelHolds(uint32_t Least) {
  for (int32_t I = 0; I < FChart->GetAxisChannelCount(); ++I) {
    if (!FChart->IsAxisChannelVisible(I))
      continue;
    ISLRealBufferPtr Y = FChart->GetAxisChannelDrawY(I);
    if (Y && Y->GetSize() > Least)
      return true;
  }
  return false;
}

template <class F> void TSLScopeYAxis::ForEachChannelRange(F Each) {
  TSLScopeXAxis *X = FChart->GetXAxis();
  int64_t From = X ? X->GetMinSample() : 0;
  int64_t To = X ? X->GetMaxSample() : INT32_MAX;
  for (int32_t I = 0; I < FChart->GetAxisChannelCount(); ++I) {
    if (!FChart->IsAxisChannelVisible(I))
      continue;
    ISLRealBufferPtr Y = FChart->GetAxisChannelDrawY(I);
    double Lo = 0, Hi = 0;
    if (Y && Y->GetSize() > 1 && FiniteRange(Y.Get(), From, To, Lo, Hi))
      Each(Lo, Hi);
  }
}

// The flat-range test compares the overall smallest and largest values of
// all channels taken, so one flat channel beside a moving one does not
// widen the range.
double TSLScopeYAxis::GetCalcMinCurrentScale() {
  bool Any = false;
  double M = 0, C = 0;
  ForEachChannelRange([&](double Lo, double Hi) {
    M = Any ? std::min(M, Lo) : Lo;
    C = Any ? std::max(C, Hi) : Hi;
    Any = true;
  });
  if (!Any)
    return FMin;
  return M == C ? M - 0.5 : M;
}

double TSLScopeYAxis::GetCalcMaxCurrentScale() {
  bool Any = false;
  double M = 0, C = 0;
  ForEachChannelRange([&](double Lo, double Hi) {
    M = Any ? std::max(M, Hi) : Hi;
    C = Any ? std::min(C, Lo) : Lo;
    Any = true;
  });
  if (!Any)
    return FMax;
  return M == C ? M + 0.5 : M;
}

double TSLScopeYAxis::GetDataFullMin() {
  return FAutoScaling.GetEnabled() ? GetCalcMinCurrentScale() : FMin;
}

double TSLScopeYAxis::GetDataFullMax() {
  return FAutoScaling.GetEnabled() ? GetCalcMaxCurrentScale() : FMax;
}

double TSLScopeYAxis::GetDataZoomedMin() {
  double V;
  if (FChart->IsZoomed()) {
    V = FZoomMin;
  } else if (FAutoScaling.GetEnabled() && AnyChannelHolds(1)) {
    TSLRealBuffer *H = FAutoScaling.GetMinHistoryBuffer();
    if (FAutoScaling.GetMaxHistory() > 0 && FHistoryCount > 0 && H) {
      const double *D = H->Read();
      int32_t N = std::min<int32_t>(FHistoryCount, int32_t(H->GetSize()));
      V = D[0];
      for (int32_t I = 1; I < N; ++I)
        V = std::min(V, D[I]);
    } else {
      V = GetDataFullMinRead();
    }
    double FullMax = GetDataFullMaxRead();
    if (uint32_t Space = FAutoScaling.GetSpaceBelow()->GetSpace(); Space != 0) {
      V = V - (FullMax - V) * Space / 2 / 100;
      if (!std::isfinite(V))
        V = 0;
    }
    if (uint32_t T = FAutoScaling.GetSpaceBelow()->GetThreshold(); T != 0 && V > FLastAutoMin)
      if (V < FLastAutoMin + (FullMax - V) * T / 2 / 100)
        V = FLastAutoMin;
  } else {
    V = GetDataFullMinRead();
  }
  FLastAutoMin = V;
  return V;
}

double TSLScopeYAxis::GetDataZoomedMax() {
  double V;
  if (FChart->IsZoomed()) {
    V = FZoomMax;
  } else if (FAutoScaling.GetEnabled() && AnyChannelHolds(1)) {
    TSLRealBuffer *H = FAutoScaling.GetMaxHistoryBuffer();
    if (FAutoScaling.GetMaxHistory() > 0 && FHistoryCount > 0 && H) {
      const double *D = H->Read();
      int32_t N = std::min<int32_t>(FHistoryCount, int32_t(H->GetSize()));
      V = D[0];
      for (int32_t I = 1; I < N; ++I)
        V = std::max(V, D[I]);
    } else {
      V = GetDataFullMaxRead();
    }
    double FullMin = GetDataFullMinRead();
    if (uint32_t Space = FAutoScaling.GetSpaceAbove()->GetSpace(); Space != 0) {
      V = V + (V - FullMin) * Space / 2 / 100;
      if (!std::isfinite(V))
        V = 0;
    }
    if (uint32_t T = FAutoScaling.GetSpaceAbove()->GetThreshold(); T != 0 && V < FLastAutoMax)
      if (V > FLastAutoMax - (V - FullMin) * T / 2 / 100)
        V = FLastAutoMax;
  } else {
    V = GetDataFullMaxRead();
  }
  FLastAutoMax = V;
  return V;
}

void TSLScopeYAxis::PopulateScaleHistory() {
  uint32_t Max = FAutoScaling.GetMaxHistory();
  if (Max == 0 || !AnyChannelHolds(0))
    return;
  TSLRealBuffer *Lo = FAutoScaling.GetMinHistoryBuffer();
  TSLRealBuffer *Hi = FAutoScaling.GetMaxHistoryBuffer();
  if (!Lo || !Hi)
    return;
  if (FHistoryPos >= int64_t(Max) || FHistoryPos >= int32_t(Lo->GetSize()) ||
      FHistoryPos >= int32_t(Hi->GetSize()))
    FHistoryPos = 0;
  Lo->SetItem(FHistoryPos, GetCalcMinCurrentScale());
  Hi->SetItem(FHistoryPos, GetCalcMaxCurrentScale());
  ++FHistoryPos;
  if (FHistoryCount < int64_t(Max))
    ++FHistoryCount;
}

void TSLScopeYAxis::GetScaleInfo(int32_t &Offset, double &Factor, double A, double B) {
  if (FReversed) {
    double T = A;
    A = -B;
    B = -T;
  }
  double Span = L(FLogarithmic, B) - L(FLogarithmic, A);
  TRect D = FChart->GetDataViewRect();
  int32_t Size = FChart->GetIsVertical() ? D.Right - D.Left - 1 : D.Bottom - D.Top - 1;
  // An empty view (a 0 x 0 control) puts every value on its one row.
  double N = double(std::max(Size - 1, 0));
  if (Span == 0 || !std::isfinite(Span)) {
    Offset = SLRoundPixel(N * 0.5);
    Factor = 1.0;
  } else {
    Offset = -SLRoundPixel(N * L(FLogarithmic, A) / Span);
    Factor = N / Span;
  }
  if (FReversed)
    Factor = -Factor;
}

TPoint TSLScopeYAxis::GetDefaultSize() {
  TCanvas *C = FChart->GetCanvas();
  C->SetFont(FFont.get());
  int32_t W =
      Widest(C, GetTickText(GetDataZoomedMaxRead()), GetTickText(GetDataZoomedMinRead())) + 16;
  int32_t H = C->TextHeight("Xg") + 16;
  FMarkerLength = FChart->GetIsVertical() ? H - 1 : W - 1;
  if (FAxisLabel.GetVisible()) {
    C->SetFont(FAxisLabel.GetFont());
    int32_t Caption = C->TextHeight("Xg") + 4;
    W += Caption;
    H += Caption;
  }
  return TPoint{W, H};
}

namespace {

// The zoom range rule shared by both axes: smaller end first, at least
// 0.0001 wide; a range that is not finite is refused.
bool ZoomRange(double A, double B, double &Min, double &Max) {
  double Lo = std::min(A, B), Hi = std::max(A, B);
  if (!std::isfinite(Lo) || !std::isfinite(Hi))
    return false;
  if (Lo + 0.0001 > Hi)
    Hi = Lo + 0.0001;
  Min = Lo;
  Max = Hi;
  return true;
}

} // namespace

// X axes -----------------------------------------------------------------------------------

TSLDisplayXAxis::TSLDisplayXAxis(ISLAxisChart *Chart) : TSLDisplayXYAxis(Chart, TSLAxisKind::X) {}

TAlign TSLDisplayXAxis::GetAlign() { return FChart->GetIsVertical() ? alLeft : alBottom; }

int32_t TSLDisplayXAxis::GetDimentionLength() {
  TRect D = FChart->GetDataViewRect();
  return FChart->GetIsVertical() ? std::max(D.Bottom - D.Top - 1, 0)
                                 : std::max(D.Right - D.Left - 1, 0);
}

double TSLDisplayXAxis::GetRangeWidth(bool Logarithmic) {
  return L(Logarithmic, GetScaleZoomedMaxRead()) - L(Logarithmic, GetScaleZoomedMinRead());
}

std::string TSLDisplayXAxis::GetAxisLabelText() {
  return FAxisLabel.GetText().empty() ? std::string("X Axis") : FAxisLabel.GetText();
}

std::string TSLDisplayXAxis::GetTickText(double Value) {
  double R = std::nearbyint(Value);
  std::string Text = std::isfinite(R) && std::fabs(R) < 9.2e18
                         ? std::to_string(static_cast<int64_t>(R))
                         : SLFormatTickText(R, 0, 0, false);
  return CustomLabel(Value, Text);
}

double TSLDisplayXAxis::GetStep() {
  double Step = ComputeValueStep();
  FStepCache.Valid = true;
  return Step;
}

int32_t TSLDisplayXAxis::GetDefaultOffsetBegin() {
  TCanvas *C = FChart->GetCanvas();
  C->SetFont(GetFont());
  return C->TextWidth(GetTickText(GetScaleZoomedMinRead())) / 2 + 4;
}

int32_t TSLDisplayXAxis::GetDefaultOffsetEnd() {
  TCanvas *C = FChart->GetCanvas();
  C->SetFont(GetFont());
  return C->TextWidth(GetTickText(GetScaleZoomedMaxRead())) / 2 + 4;
}

TPoint TSLDisplayXAxis::GetDefaultSize() {
  TCanvas *C = FChart->GetCanvas();
  C->SetFont(GetFont());
  int32_t H = C->TextHeight("Xg") + 16;
  FMarkerLength = H - 1;
  int32_t Caption = 0;
  if (FAxisLabel.GetVisible()) {
    C->SetFont(FAxisLabel.GetFont());
    Caption = C->TextHeight("Xg") + 4;
    H += Caption;
  }
  C->SetFont(GetFont());
  int32_t W =
      Widest(C, GetTickText(GetScaleZoomedMaxRead()), GetTickText(GetScaleZoomedMinRead())) + 16;
  if (FChart->GetIsVertical())
    FMarkerLength = W - 1;
  if (FAxisLabel.GetVisible())
    W += Caption;
  return TPoint{W, H};
}

void TSLDisplayXAxis::SetSamples(int32_t Count) {
  if (Count == 0)
    Count = 1024;
  if (Count == FSamples)
    return;
  FSamples = Count;
  FStepCache.Valid = false;
  InvalidateMinMaxCache();
  InvalidateRecalc();
}

void TSLDisplayXAxis::MouseMove(TShiftState Shift, int32_t X, int32_t Y) {
  TSLDisplayAxis::MouseMove(Shift, X, Y);
  FMouseOver = true;
  if (X == FLastMouse.X) {
    TRect R = FChart->GetDataViewRect();
    if (PtInRect(R, TPoint{X, Y}) != PtInRect(R, FLastMouse))
      InvalidateView();
  }
  FLastMouse = TPoint{X, Y};
}

void TSLDisplayXAxis::DrawTicks(TCanvas *Canvas, bool All, bool Vertical, double YMin, double YMax,
                                int32_t YOffset, double YFactor) {
  double ZMin = GetScaleZoomedMinRead(), ZMax = GetScaleZoomedMaxRead();
  if (Vertical) {
    if (FReversed) {
      double Span = SLLog10a(ZMax) - SLLog10a(ZMin);
      TRect D = FChart->GetDataViewRect();
      double H = std::max(D.Bottom - D.Top - 1, 0);
      double T = 0.5, F = 1;
      if (Span != 0) {
        T = -SLLog10a(ZMin) / Span;
        F = H / Span;
      }
      DrawUpTicks(Canvas, All, ZMin, ZMax, SLRoundPixel(H * T), F);
    } else {
      DrawDownTicks(Canvas, All, ZMin, ZMax, YOffset, YFactor);
    }
  } else if (FReversed) {
    DrawLeftTicksV(Canvas, All);
  } else {
    DrawRightTicks(Canvas, All, YMin, YMax, YOffset, YFactor);
  }
}

const TClassInfo &TSLScopeXAxis::StaticClassInfo() {
  using C = TSLScopeXAxis;
  static const TClassInfo &info = MakeClassInfo<C>(
      "TSLScopeXAxis", &TSLOptionalView::StaticClassInfo(), [](TClassBuilder<C> &c) {
        SLPublishAxisViewProperties(c);
        c.Integer("Precision", &C::GetPrecision, &C::SetPrecision, 3);
        c.Boolean("FixedPrecision", &C::GetFixedPrecision, &C::SetFixedPrecision, false);
        c.Enumeration(
            "TicksMode", &C::GetTicksMode, &C::SetTicksMode,
            {"atmAuto", "atmBufferSamples", "atmFrequency", "atmIntensity", "atmTime", "atmManual"},
            atmAuto);
        c.Object("CursorSettings", &C::GetCursorSettings, &C::SetCursorSettings);
        c.Object("UnitScale", &C::GetUnitScale, &C::SetUnitScale);
        c.Object("Min", &C::GetMin, &C::SetMin);
        c.Object("Max", &C::GetMax, &C::SetMax);
        c.Object("MaxSample", &C::GetMaxSampleSettings, &C::SetMaxSample);
      });
  return info;
}

TSLScopeXAxis::TSLScopeXAxis(ISLAxisChart *Chart)
    : TSLScopeAxisT(Chart), FMinValue([this](TObject *S) { LimitChanged(S); }),
      FMaxValue([this](TObject *S) { LimitChanged(S); }), FUnitScale([this] {
        InvalidateRecalc();
        InvalidateMinMaxCache();
      }) {
  FMaxSample.OnChange = [this](TObject *S) { LimitChanged(S); };
  // The defaults are stored past the records' change handlers: the chart
  // is still being built.
  TSLScopeAxisValue Defaults;
  Defaults.SetValue(1024);
  Defaults.GetTick()->SetValue(1024);
  FMaxValue.TSLBasicScopeAxisValue::Assign(&Defaults);
}

void TSLScopeXAxis::LimitChanged(TObject *) {
  InvalidateRecalc();
  InvalidateMinMaxCache();
}

void TSLScopeXAxis::DefineProperties(TFiler *Filer) {
  TSLScopeAxisT::DefineProperties(Filer);
  DefineAxisColors(Filer, this);
  // Older streams only: read, never written.
  Filer->DefineProperty(
      "MinMax",
      [this](TReader *R) {
        R->ReadListBegin();
        FMinValue.GetTick()->SetValue(R->ReadFloat());
        FMaxValue.GetTick()->SetValue(R->ReadFloat());
        R->ReadListEnd();
      },
      nullptr, false);
  Filer->DefineProperty(
      "MinMaxScale",
      [this](TReader *R) {
        R->ReadListBegin();
        FMinValue.SetValue(R->ReadFloat());
        FMaxValue.SetValue(R->ReadFloat());
        R->ReadListEnd();
      },
      nullptr, false);
  Filer->DefineProperty(
      "AutoScale",
      [this](TReader *R) {
        bool A = R->ReadBoolean();
        FMinValue.SetAutosize(A);
        FMaxValue.SetAutosize(A);
      },
      nullptr, false);
}

void TSLScopeXAxis::SetMin(TSLScopeAxisValue *Value) {
  FMinValue.Assign(Value);
  FStepCache.Valid = false;
  InvalidateRecalc();
}

void TSLScopeXAxis::SetMax(TSLScopeAxisValue *Value) {
  FMaxValue.Assign(Value);
  FStepCache.Valid = false;
  InvalidateRecalc();
}

void TSLScopeXAxis::SetTicksMode(TSLDisplayAxisTicksMode Value) {
  SetStepSetting(FTicksMode, Value);
}

bool TSLScopeXAxis::InTimeAxis() { return FTicksMode == atmTime; }

bool TSLScopeXAxis::InFreqAxis() {
  return FTicksMode == atmFrequency ||
         (FTicksMode == atmAuto && FChart->GetChannelsInFreqencyDomain());
}

bool TSLScopeXAxis::InIntensityAxis() {
  return FTicksMode == atmIntensity ||
         (FTicksMode == atmAuto && FChart->GetChannelsInIntensityDomain());
}

void TSLScopeXAxis::InvalidateView() {
  TSLDisplayXAxis::InvalidateView();
  if (TSLScopeYAxis *Y = FChart->GetYAxis())
    Y->InvalidateView();
}

void TSLScopeXAxis::InvalidateMinMaxCache() {
  TSLDisplayXAxis::InvalidateMinMaxCache();
  FChart->InvalidateTimeFreqCaches();
}

double TSLScopeXAxis::GetDataFullMin() {
  if (FMinValue.GetAutoScale()) {
    if (InTimeAxis())
      return FChart->CalcMinTime();
    if (InFreqAxis())
      return FChart->CalcMinFreq();
    if (FSamples > 1)
      return FChart->GetMinXValue();
  }
  return FMinValue.GetValue();
}

double TSLScopeXAxis::GetDataFullMax() {
  if (FMaxValue.GetAutoScale()) {
    if (InTimeAxis())
      return FChart->CalcMaxTime();
    if (InFreqAxis())
      return FChart->CalcMaxFreq();
    if (FSamples > 1)
      return FChart->GetMaxXValue();
    if (FMaxValue.GetValue() <= FMinValue.GetValue())
      return FMinValue.GetValue() + FSamples - 1;
  }
  return FMaxValue.GetValue();
}

double TSLScopeXAxis::GetDataZoomedMin() {
  double V = GetDataFullMinRead();
  if (FChart->IsZoomed() && FZoomMin > V)
    V = FZoomMin;
  return V;
}

double TSLScopeXAxis::GetDataZoomedMax() {
  double V = GetDataFullMaxRead();
  if (FChart->IsZoomed() && FZoomMax < V)
    V = FZoomMax;
  return V;
}

double TSLScopeXAxis::GetScaleFullMin() {
  if (FTicksMode == atmManual || !FMinValue.GetTick()->GetAutoScale())
    return FMinValue.GetTick()->GetValue();
  return FMinValue.GetAutoScale() ? GetDataFullMinRead() : FMinValue.GetValue();
}

double TSLScopeXAxis::GetScaleFullMax() {
  if (FTicksMode == atmManual || !FMaxValue.GetTick()->GetAutoScale())
    return FMaxValue.GetTick()->GetValue();
  return FMaxValue.GetAutoScale() ? GetDataFullMaxRead() : FMaxValue.GetValue();
}

double TSLScopeXAxis::GetScaleFullRealMin() {
  if (FTicksMode == atmManual || !FMinValue.GetTick()->GetAutoScale())
    return FMinValue.GetTick()->GetValue();
  if (InTimeAxis())
    return FChart->CalcMinTime();
  if (InFreqAxis())
    return FChart->CalcMinFreq();
  if (FSamples > 1)
    return FChart->GetMinXValue();
  return FMinValue.GetValue();
}

double TSLScopeXAxis::GetScaleFullRealMax() {
  if (FTicksMode == atmManual || !FMaxValue.GetTick()->GetAutoScale())
    return FMaxValue.GetTick()->GetValue();
  if (InTimeAxis())
    return FChart->CalcMaxTime();
  if (InFreqAxis())
    return FChart->CalcMaxFreq();
  if (FSamples > 1)
    return FChart->GetMaxXValue();
  if (FMaxValue.GetValue() <= FMinValue.GetValue())
    return FMinValue.GetValue() + FSamples - 1;
  return FMaxValue.GetValue();
}

// A zero data range has no samples per unit: the sample window then falls
// back to its ends instead of dividing by zero.
double TSLScopeXAxis::ScaleToSample(double X) {
  double Span = GetDataFullMaxRead() - GetDataFullMinRead();
  if (Span == 0 || !std::isfinite(Span))
    return 0;
  return FSamples * X / Span;
}

double TSLScopeXAxis::SampleToScale(double X) {
  double A = FChart->GetMinXValue(), B = FChart->GetMaxXValue();
  if (A == B)
    return 0;
  return (GetDataFullMaxRead() - GetDataFullMinRead()) * X / (B - A);
}

int32_t TSLScopeXAxis::FixedSample(double V, int32_t Fallback) {
  double Lo = GetDataZoomedMinRead(), Hi = GetDataZoomedMaxRead();
  double Span = Hi - Lo;
  if (Span == 0 || !std::isfinite(Span))
    return Fallback;
  V = std::clamp(V, std::min(Lo, Hi), std::max(Lo, Hi));
  return SLRoundPixel(FSamples * V / Span);
}

int32_t TSLScopeXAxis::GetMinSample() {
  if (FChart->IsZoomed())
    return SLRoundPixel(ScaleToSample(FZoomMin));
  if (FMinValue.GetAutoScale())
    return 0;
  return FixedSample(FMinValue.GetValue(), 0);
}

int32_t TSLScopeXAxis::GetMaxSample() {
  if (FChart->IsZoomed()) {
    double Span = GetDataFullMaxRead() - GetDataFullMinRead();
    if (Span == 0 || !std::isfinite(Span))
      return FSamples;
    return SLRoundPixel(ScaleToSample(FZoomMax));
  }
  if (FMaxValue.GetAutoScale())
    return FSamples;
  return FixedSample(FMaxValue.GetValue(), FSamples);
}

void TSLScopeXAxis::SetSamples(int32_t Count) {
  if (FMaxSample.GetAutosize()) {
    TSLDisplayXAxis::SetSamples(Count);
    if (!FStepCache.Valid)
      FChart->InvalidateSamples();
    return;
  }
  int32_t Value = static_cast<int32_t>(std::min<uint32_t>(FMaxSample.GetValue(), INT32_MAX));
  if (Value != FSamples) {
    FSamples = Value;
    FChart->InvalidateSamples();
  }
}

std::string TSLScopeXAxis::GetAxisLabelText() {
  if (!FAxisLabel.GetText().empty())
    return FAxisLabel.GetText();
  if (FTicksMode == atmManual || (FTicksMode == atmAuto && FChart->IsDesigning()))
    return "X Axis";
  if (InTimeAxis()) {
    int32_t E = FUnitScale.GetAutoScale() ? SLTimeUnitExponent(FChart->GetSampleRate(), FSamples)
                                          : FUnitScale.GetExponent();
    return SLTimeUnitCaption(E);
  }
  if (InFreqAxis()) {
    int32_t E = FUnitScale.GetAutoScale() ? SLFreqUnitExponent(FChart->GetSampleRate())
                                          : FUnitScale.GetExponent();
    return SLFreqUnitCaption(E);
  }
  if (InIntensityAxis())
    return "Intensity";
  return "Samples";
}

// The scope's axes ---------------------------------------------------------------------------

template <class TDisplay>
TSLScopeAxisT<TDisplay>::TSLScopeAxisT(ISLAxisChart *Chart)
    : TDisplay(Chart), FCursorSettings([Chart] { Chart->UpdateCursors(); }) {}

template <class TDisplay> void TSLScopeAxisT<TDisplay>::SetPrecision(int32_t Value) {
  Value = std::clamp(Value, 0, 18);
  if (Value == FPrecision)
    return;
  FPrecision = Value;
  this->InvalidateRecalc();
}

template <class TDisplay> void TSLScopeAxisT<TDisplay>::SetFixedPrecision(bool Value) {
  if (Value == FFixedPrecision)
    return;
  FFixedPrecision = Value;
  this->InvalidateRecalc();
}

template <class TDisplay>
void TSLScopeAxisT<TDisplay>::SetCursorSettings(TSLDisplayAxisCursorSettings *Value) {
  FCursorSettings.Assign(Value);
  this->FChart->UpdateCursors();
}

template <class TDisplay> std::string TSLScopeAxisT<TDisplay>::GetTickText(double Value) {
  const double Lo = IsX() ? this->GetScaleZoomedMinRead() : this->GetDataZoomedMinRead();
  const double Hi = IsX() ? this->GetScaleZoomedMaxRead() : this->GetDataZoomedMaxRead();
  int32_t D = SLGetDecimalPoints(Lo, Hi, FPrecision, FFixedPrecision);
  return this->CustomLabel(Value, SLFormatTickText(Value, D, FPrecision, FFixedPrecision));
}

template <class TDisplay> void TSLScopeAxisT<TDisplay>::ZoomBy(double Factor, bool SaveUndo) {
  ZoomChart(SaveUndo, [&] { IntZoom(Factor); });
}

template <class TDisplay> void TSLScopeAxisT<TDisplay>::ZoomTo(double A, double B, bool SaveUndo) {
  ZoomChart(SaveUndo, [&] { IntZoomTo(A, B); });
}

template <class TDisplay>
template <class F>
void TSLScopeAxisT<TDisplay>::ZoomChart(bool SaveUndo, F Zoom) {
  ISLAxisChart *Chart = this->FChart;
  if (SaveUndo)
    Chart->SaveUndoZoom(false);
  Zoom();
  Chart->SetZoomed();
  Chart->Invalidate();
  Chart->ZoomChanged(zoZoom);
}

template <class TDisplay> void TSLScopeAxisT<TDisplay>::ZoomRangeChanged() {
  if (!IsX())
    this->FStepCache.Valid = false;
  this->InvalidateMinMaxCache();
}

template <class TDisplay> void TSLScopeAxisT<TDisplay>::IntZoomTo(double A, double B) {
  ZoomRange(A, B, FZoomMin, FZoomMax);
  ZoomRangeChanged();
}

template <class TDisplay> void TSLScopeAxisT<TDisplay>::IntZoom(double Factor) {
  double Lo = this->GetDataZoomedMinRead(), Hi = this->GetDataZoomedMaxRead();
  double R = Hi - Lo;
  double D = (R * Factor - R) / 2;
  // A range that would overflow keeps what is shown now.
  if (!ZoomRange(Lo - D, Hi + D, FZoomMin, FZoomMax))
    ZoomRange(Lo, Hi, FZoomMin, FZoomMax);
  ZoomRangeChanged();
}

template <class TDisplay> double TSLScopeAxisT<TDisplay>::AlignValue(double Value) {
  if (!FCursorSettings.GetSnapToSample())
    return Value;
  ISLAxisChart *Chart = this->FChart;
  for (int32_t I = 0; I < Chart->GetAxisChannelCount(); ++I)
    if (ISLRealBufferPtr V = IsX() ? Chart->GetAxisChannelDrawX(I) : Chart->GetAxisChannelDrawY(I))
      Value = Snap(V.Get(), Value);
  return Value;
}

template <class TDisplay>
void TSLScopeAxisT<TDisplay>::MouseDown(TMouseButton Button, TShiftState Shift, int32_t X,
                                        int32_t Y, bool InView) {
  TDisplay::MouseDown(Button, Shift, X, Y, InView);
  if (Button != mbLeft)
    return;
  if (InView) {
    FDragging = true;
    FDragStart = TPoint{X, Y};
    FDragStartMin = this->GetDataZoomedMinRead();
    FDragStartMax = this->GetDataZoomedMaxRead();
  }
  if (this->FToolBar->GetVisible())
    this->FToolBar->MouseDown(TPoint{X, Y});
}

template <class TDisplay>
void TSLScopeAxisT<TDisplay>::MouseMove(TShiftState Shift, int32_t X, int32_t Y) {
  TDisplay::MouseMove(Shift, X, Y);
  if (FDragging)
    MouseMoveScale(FDragStart, TPoint{X, Y});
}

template <class TDisplay>
void TSLScopeAxisT<TDisplay>::MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y,
                                      bool InView) {
  TDisplay::MouseUp(Button, Shift, X, Y, InView);
  if (Button != mbLeft)
    return;
  FDragging = false;
  this->FToolBar->MouseUp(TPoint{X, Y});
}

template <class TDisplay>
void TSLScopeAxisT<TDisplay>::MouseMoveScale(TPoint Start, TPoint Current) {
  ISLAxisChart *Chart = this->FChart;
  if (!Chart->IsZoomed())
    return;
  TRect R = Chart->GetDataViewRect();
  const bool AlongX = !this->GetIsVertical();
  double D = AlongX ? Current.X - Start.X : Current.Y - Start.Y;
  double Length = AlongX ? std::max(R.Right - R.Left - 1, 0) : std::max(R.Bottom - R.Top - 1, 0);
  // Values grow up the screen on the Y axis, unless it is reversed.
  if (!IsX() && !this->FReversed)
    D = -D;
  if (Length == 0)
    return; // no view to drag across
  double Shift = (this->GetDataZoomedMaxRead() - this->GetDataZoomedMinRead()) * D / Length;
  if (IsX()) {
    double FullMin = this->GetDataFullMinRead(), FullMax = this->GetDataFullMaxRead();
    if (FDragStartMin - Shift < FullMin)
      Shift = FDragStartMin - FullMin;
    if (FDragStartMax - Shift > FullMax)
      Shift = FDragStartMax - FullMax;
  }
  FZoomMax = FDragStartMax - Shift;
  FZoomMin = FDragStartMin - Shift;
  this->InvalidateMinMaxCache();
  Chart->ZoomChanged(zoZoom);
}

template class TSLScopeAxisT<TSLDisplayXAxis>;
template class TSLScopeAxisT<TSLDisplayYAxis>;
