#include "scope/SLChannelDraw.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "framework/dispatch/VectorMath.h"
#include "platform/classlib/ClassBuilder.h"
#include "platform/classlib/FormStream.h"
#include "platform/sys/ScopeExit.h"
#include "scope/SLChannels.h"
#include "scope/SLMarkers.h"
#include "scope/SLOptionalAxis.h"

namespace sc = Slscopedispatcher;

// ---------------------------------------------------------------------------
// TSLScopePoints

const TClassInfo &TSLScopePoints::StaticClassInfo() {
  using C = TSLScopePoints;
  static const TClassInfo &info =
      MakeClassInfo<C>("TSLScopePoints", &TPersistent::StaticClassInfo(), [](TClassBuilder<C> &c) {
        c.Boolean("Visible", &C::GetVisible, &C::SetVisible);
        c.Enumeration("Shape", &C::GetShape, &C::SetShape,
                      {"psCircle", "psSquare", "psDiamond", "psPlus", "psCross", "psStar"});
        c.Integer("Size", &C::GetSize, &C::SetSize, 3);
        c.Object("Brush", &C::GetBrush, &C::SetBrush);
        c.Object("Pen", &C::GetPen, &C::SetPen);
        c.Boolean("UseChannelColor", &C::GetUseChannelColor, &C::SetUseChannelColor, true);
      });
  return info;
}

TSLScopePoints::TSLScopePoints(ISLDisplayHost *Chart) : FChart(Chart) {
  FPen.SetColor(clRed);
  FBrush.SetColor(clRed);
  FPen.OnChange = [this](TObject *) { SettingsChange(); };
  FBrush.OnChange = [this](TObject *) { SettingsChange(); };
}

void TSLScopePoints::SettingsChange() {
  if (FChart)
    FChart->Invalidate();
}

void TSLScopePoints::SetVisible(bool Value) {
  if (Value == FVisible)
    return;
  FVisible = Value;
  SettingsChange();
}

void TSLScopePoints::SetShape(TSLScopePointsShape Value) {
  if (Value == FShape)
    return;
  FShape = Value;
  SettingsChange();
}

void TSLScopePoints::SetSize(uint32_t Value) {
  Value = std::max<uint32_t>(Value, 1);
  if (Value == FSize)
    return;
  FSize = Value;
  SettingsChange();
}

void TSLScopePoints::SetUseChannelColor(bool Value) {
  if (Value == FUseChannelColor)
    return;
  FUseChannelColor = Value;
  SettingsChange();
}

void TSLScopePoints::SetBrush(TBrush *Value) {
  if (Value == &FBrush)
    return;
  FBrush.Assign(Value);
  SettingsChange();
}

void TSLScopePoints::SetPen(TPen *Value) {
  if (Value == &FPen)
    return;
  FPen.Assign(Value);
  SettingsChange();
}

void TSLScopePoints::Assign(TPersistent *Source) {
  auto *Other = dynamic_cast<TSLScopePoints *>(Source);
  if (!Other) {
    TPersistent::Assign(Source);
    return;
  }
  if (Other == this)
    return;
  FVisible = Other->FVisible;
  FShape = Other->FShape;
  FSize = Other->FSize;
  FUseChannelColor = Other->FUseChannelColor;
  FPen.Assign(&Other->FPen);
  FBrush.Assign(&Other->FBrush);
  SettingsChange();
}

void TSLScopePoints::DefineProperties(TFiler *Filer) {
  TPersistent::DefineProperties(Filer);
  Filer->DefineProperty(
      "Color",
      [this](TReader *R) {
        // Form text holds the pair as one list value: "Color = (255 65280)".
        R->ReadListBegin();
        const int32_t PenColor = R->ReadInteger();
        const int32_t BrushColor = R->ReadInteger();
        R->ReadListEnd();
        FPen.SetColor(PenColor);
        FBrush.SetColor(BrushColor);
      },
      [](TWriter *) {}, false);
}

// ---------------------------------------------------------------------------
// Channel drawing

namespace {

ISLRealBufferPtr Share(const ISLRealBufferPtr &B) {
  return ISLRealBufferPtr(com::MakeCom<TSLRealBuffer>(static_cast<ISLDataBuffer *>(B.Get())));
}

int32_t Saturate(int64_t V) {
  return static_cast<int32_t>(std::clamp<int64_t>(V, INT32_MIN, INT32_MAX));
}

// Pixel coordinates are drawn within +-2^24: far enough outside any picture
// that the visible part of a line keeps its pixels, near enough that wide
// pens stay within the rasteriser's fixed-point range.
constexpr int32_t FarPixel = 1 << 24;
int32_t Drawable(int32_t V) { return std::clamp(V, -FarPixel, FarPixel); }

// X values 0, 1, 2, ...: what a channel fed only Y values draws against.
bool IsRamp(const double *X, int32_t N) {
  for (int32_t I = 0; I < N; ++I)
    if (X[I] != I)
      return false;
  return true;
}

} // namespace

void TSLScopeChannel::Draw(TCanvas *Canvas, const TRect &Rect, double XMin, double XMax, double,
                           double, bool Logarithmic, int32_t YOffset, double YScale) {
  if (!FVisible) {
    ClearMarkersDrawData();
    return;
  }
  try {
    ISLRealBufferPtr DY = Share(FDrawY);
    ISLRealBufferPtr DX = Share(FDrawX);
    // X and Y are drawn over their common length.
    const int32_t N =
        static_cast<int32_t>(std::min<uint32_t>(std::min(DY->GetSize(), DX->GetSize()), INT32_MAX));
    if (N == 0) {
      ClearMarkersDrawData();
      return;
    }
    const bool V = FScope->GetIsVertical();
    const int32_t L = V ? Rect.Bottom - Rect.Top : Rect.Right - Rect.Left;
    if (OnChannelDraw) {
      FScope->SetNoInvalidate(true);
      sys::TScopeExit Quiet([Scope = FScope] { Scope->SetNoInvalidate(false); });
      OnChannelDraw(FScope->GetScopeComponent(), Index(), DY->Read(), N, FWasChanged);
      FWasChanged = false;
    }
    const int32_t O = V ? Rect.Top : Rect.Left;
    if (FDrawXGeneration != FPixelXGeneration && FPixelXRamp && IsRamp(DX->Read(), N))
      FPixelXGeneration = FDrawXGeneration; // new Y under the same ramp: the pixels stand
    if (N != FPixelCount || L != FPixelLength || O != FPixelOrigin || XMin != FPixelXMin ||
        XMax != FPixelXMax || FPixelX->GetSize() != static_cast<uint32_t>(N) ||
        FDrawXGeneration != FPixelXGeneration)
      ComputePixelX(DX->Read(), N, L, O, XMin, XMax);
    ComputePixelY(DY->Read(), N, Rect, Logarithmic, YOffset, YScale);
    FHitRect = Rect;
    FHitYOffset = YOffset;
    FMinPixelX = FPixelX->GetMinValue();
    FMaxPixelX = FPixelX->GetMaxValue();
    FMinPixelY = FPixelY->GetMinValue();
    FMaxPixelY = FPixelY->GetMaxValue();
    if (IsDrawnHighlighted())
      PlotChannelData(Canvas, true, Rect, YOffset, DY, DX->Read());
    PlotChannelData(Canvas, false, Rect, YOffset, DY, DX->Read());
    DrawMarkers(Canvas, N, DY->Read());
  } catch (...) {
    // One channel's failure must not cost the rest of the picture.
  }
  Canvas->Pen()->SetWidth(1);
}

void TSLScopeChannel::DrawMarkers(TCanvas *Canvas, int32_t N, const double *DY) {
  if (FMarkers->Count() == 0)
    return;
  TCanvasSaver Saved(Canvas);
  const int32_t *PX = FPixelX->Read();
  const int32_t *PY = FPixelY->Read();
  for (int32_t I = 0; I < FMarkers->Count(); ++I) {
    TSLScopeChannelMarker *Marker = FMarkers->GetItem(I);
    TSLScopeMarkerGroup *Group = Marker->GetGroup();
    const int32_t P = Marker->GetPosition();
    // A position before the first sample or past the last has no pixel;
    // a hidden group's markers are not on the screen either.
    if (Group && Group->GetVisible() && P >= 0 && P < N)
      Marker->Draw(Canvas, PX[P], PY[P], P, DY[P]);
    else
      Marker->ClearDrawData();
  }
}

void TSLScopeChannel::ClearMarkersDrawData() {
  for (int32_t I = 0; I < FMarkers->Count(); ++I)
    FMarkers->GetItem(I)->ClearDrawData();
}

void TSLScopeChannel::ComputePixelX(const double *DX, int32_t N, int32_t L, int32_t O, double XMin,
                                    double XMax) {
  FScope->InvalidateMinMaxCache();
  const double GivenMin = XMin, GivenMax = XMax;
  if (XMax == XMin) {
    XMax += 1;
    XMin -= 1;
  }
  double G = XMax - XMin;
  if (G == 0)
    G = 1;
  const double K = FScope->GetXScaleFactor();
  const int32_t H = SLRoundPixel((L - 1) * XMin / G);
  FPixelX->Resize(static_cast<uint32_t>(N), false);
  FScaledX = ISLRealBufferPtr(com::MakeCom<TSLRealBuffer>(static_cast<uint32_t>(N)));
  std::vector<double> T(static_cast<size_t>(N));
  (void)sc::ippsMulC_64f(DX, K, *FScaledX->Write(), N);
  (void)sc::ippsMulC_64f(FScaledX->Read(), (L - 1) / G, T[0], N);
  int32_t *PX = FPixelX->Write();
  (void)sc::ippsConvert_64f32s_Sfs(T.data(), *PX, N, ippRndNear, 0);
  (void)sc::ippsAddC_32s_ISfs(Saturate(int64_t(O) - H), *PX, N, 0);
  FPixelCount = N;
  FPixelLength = L;
  FPixelOrigin = O;
  FPixelXMin = GivenMin;
  FPixelXMax = GivenMax;
  FPixelXGeneration = FDrawXGeneration;
  FPixelXRamp = IsRamp(DX, N);
  ++FPixelXComputations;
}

void TSLScopeChannel::ComputePixelY(const double *DY, int32_t N, const TRect &Rect,
                                    bool Logarithmic, int32_t YOffset, double YScale) {
  FPixelY->Resize(static_cast<uint32_t>(N), false);
  std::vector<double> S(static_cast<size_t>(N));
  if (Logarithmic) {
    for (int32_t I = 0; I < N; ++I)
      S[I] = SLLog10a(DY[I]) * YScale;
  } else {
    (void)sc::ippsMulC_64f(DY, YScale, S[0], N);
  }
  // Through single precision on the way to pixels, as the axes' tick walk
  // does, so curves and grid lines land on the same rows.
  std::vector<float> F(static_cast<size_t>(N));
  (void)sc::ippsConvert_64f32f(S.data(), F[0], N);
  int32_t *PY = FPixelY->Write();
  (void)sc::ippsConvert_32f32s_Sfs(F.data(), *PY, N, ippRndNear, 0);
  const int64_t C =
      FScope->GetIsVertical() ? int64_t(Rect.Right) - YOffset - 1 : int64_t(Rect.Bottom) - YOffset;
  (void)sc::ippsSubCRev_32s_ISfs(Saturate(C), *PY, N, 0);
}

void TSLScopeChannel::PlotChannelData(TCanvas *Canvas, bool Highlighted, const TRect &Rect,
                                      int32_t YOffset, const ISLRealBufferPtr &YValues,
                                      const double *XValues) {
  const int32_t N = static_cast<int32_t>(std::min<uint32_t>(
      std::min({FPixelX->GetSize(), FPixelY->GetSize(), YValues->GetSize()}), INT32_MAX));
  if (N == 0)
    return;
  const bool V = FScope->GetIsVertical();
  const int32_t *PX = FPixelX->Read();
  const int32_t *PY = FPixelY->Read();
  const double *Y = YValues->Read();
  // A NaN sample has no place: lines break there, bars and points skip it.
  auto Missing = [&](int32_t I) {
    return std::isnan(Y[I]) || (XValues != nullptr && std::isnan(XValues[I]));
  };
  auto Screen = [&](int32_t I) -> TPoint {
    const int32_t X = Drawable(PX[I]), Yp = Drawable(PY[I]);
    return V ? TPoint{Yp, X} : TPoint{X, Yp};
  };
  const TColor Colour = Highlighted ? FScope->GetChannelHighlightColor() : FColor;
  const int32_t W = Highlighted ? FWidth + 2 : FWidth;
  const int32_t E = Highlighted ? 1 : 0;
  Canvas->Pen()->SetColor(Colour);
  Canvas->Brush()->SetColor(Colour);
  Canvas->Pen()->SetWidth(W);

  switch (FChannelMode) {
  case cmLine: {
    std::vector<TPoint> Run;
    auto Flush = [&] {
      if (Run.empty())
        return;
      Canvas->Polyline(Run);
      // The line leaves its end point out; the last sample still shows.
      Canvas->SetPixel(Run.back().X, Run.back().Y, FColor);
      Run.clear();
    };
    for (int32_t I = 0; I < N; ++I) {
      if (Missing(I))
        Flush();
      else
        Run.push_back(Screen(I));
    }
    Flush();
    break;
  }
  case cmBar: {
    Canvas->Pen()->SetWidth(1);
    const bool R = FScope->GetYAxisReversed();
    int64_t B = 0;
    if (FShadeMode == csmTop)
      B = V ? (R ? Rect.Right : Rect.Left) : (R ? int64_t(Rect.Bottom) + 1 : Rect.Top);
    else if (FShadeMode == csmBottom)
      B = V ? (R ? Rect.Left : Rect.Right) : (R ? Rect.Top : int64_t(Rect.Bottom) + 1);
    const int64_t Z = V ? int64_t(Rect.Right) - YOffset - 1 : int64_t(Rect.Bottom) - YOffset;
    const int64_t H = W / 2;
    for (int32_t I = 0; I < N; ++I) {
      if (Missing(I))
        continue;
      bool DefaultDraw = true;
      TCanvas *Target = Canvas;
      if (OnSampleDraw)
        OnSampleDraw(this, XValues ? XValues[I] : double(I), Y[I], Target, Highlighted,
                     DefaultDraw);
      if (!DefaultDraw || Target == nullptr)
        continue;
      const int64_t X = Drawable(PX[I]), Yp = Drawable(PY[I]);
      // Along X: from x - h, W pixels; along Y: from the base to the value.
      int64_t From, To;
      if (FShadeMode != csmZero) {
        From = B;
        To = Yp - E;
      } else if (Yp < Z) {
        From = Z + 1;
        To = Yp - E;
      } else {
        From = Z;
        To = Yp + 1 + E;
      }
      // Pen and brush share the colour: the filled rectangle is the bar.
      if (V)
        Target->FillRect({Saturate(From), Saturate(X - H), Saturate(To), Saturate(X - H + W)});
      else
        Target->FillRect({Saturate(X - H), Saturate(From), Saturate(X - H + W), Saturate(To)});
    }
    break;
  }
  case cmPoint:
    if (FPoints.GetVisible())
      break;
    if (Highlighted)
      Canvas->Pen()->SetWidth(1);
    for (int32_t I = 0; I < N; ++I) {
      if (Missing(I))
        continue;
      const TPoint P = Screen(I);
      if (Highlighted)
        Canvas->Rectangle(P.X - 1, P.Y - 1, P.X + 2, P.Y + 2);
      else
        Canvas->SetPixel(P.X, P.Y, FColor);
    }
    break;
  }
  if (FPoints.GetVisible()) {
    Canvas->Pen()->SetWidth(1);
    TPen SavedPen;
    TBrush SavedBrush;
    SavedPen.Assign(Canvas->Pen());
    SavedBrush.Assign(Canvas->Brush());
    if (!Highlighted) {
      if (FPoints.GetUseChannelColor()) {
        Canvas->Pen()->SetColor(FColor);
        Canvas->Brush()->SetColor(FColor);
      } else {
        Canvas->SetPen(FPoints.GetPen());
        Canvas->SetBrush(FPoints.GetBrush());
      }
    }
    const int32_t S = static_cast<int32_t>(std::min<uint32_t>(FPoints.GetSize(), 1u << 20));
    const int32_t Grow = Highlighted ? 1 : 0;
    for (int32_t I = 0; I < N; ++I) {
      if (Missing(I))
        continue;
      const TPoint P = Screen(I);
      const TRect Q{P.X - S - Grow, P.Y - S - Grow, P.X + S + 1 + Grow, P.Y + S + 1 + Grow};
      const TSLScopePointsShape Shape = FPoints.GetShape();
      switch (Shape) {
      case psCircle:
        Canvas->Ellipse(Q);
        break;
      case psSquare:
        Canvas->Rectangle(Q);
        break;
      case psDiamond:
        Canvas->Polygon({{P.X, Q.Top}, {Q.Left, P.Y}, {P.X, Q.Bottom - 1}, {Q.Right - 1, P.Y}});
        break;
      case psPlus:
      case psCross:
      case psStar:
        if (Shape != psCross) {
          Canvas->MoveTo(P.X, Q.Top);
          Canvas->LineTo(P.X, Q.Bottom);
          Canvas->MoveTo(Q.Left, P.Y);
          Canvas->LineTo(Q.Right, P.Y);
        }
        if (Shape != psPlus) {
          Canvas->MoveTo(Q.Left, Q.Top);
          Canvas->LineTo(Q.Right, Q.Bottom);
          Canvas->MoveTo(Q.Right - 1, Q.Top);
          Canvas->LineTo(Q.Left - 1, Q.Bottom);
        }
        break;
      }
    }
    Canvas->SetPen(&SavedPen);
    Canvas->SetBrush(&SavedBrush);
  }
}
