#include "scope/SLHitTests.h"

#include <algorithm>
#include <cmath>

#include "framework/dispatch/Slbasicdispatcher.h"
#include "scope/SLChannels.h"

namespace {

// Ties to even, as every pixel position of the scope.
int32_t RoundEven(double V) {
  double R = std::nearbyint(V);
  return static_cast<int32_t>(std::clamp(R, double(INT32_MIN), double(INT32_MAX)));
}

double Dot(double AX, double AY, double BX, double BY) { return AX * BX + AY * BY; }

} // namespace

double SLDotProduct(TPoint A, TPoint B) { return Dot(A.X, A.Y, B.X, B.Y); }

double SLVectorLength(TPoint V) { return std::sqrt(SLDotProduct(V, V)); }

double SLPointDistance(TPoint P, TPoint Q) {
  // In doubles: the difference of two far pixels does not fit 32 bits.
  const double DX = double(P.X) - Q.X, DY = double(P.Y) - Q.Y;
  return std::sqrt(DX * DX + DY * DY);
}

double SLPointToSegmentDistance(TPoint P, TPoint A, TPoint B, TPoint &Nearest, double &Fraction) {
  const double DX = double(B.X) - A.X, DY = double(B.Y) - A.Y;
  const double WX = double(P.X) - A.X, WY = double(P.Y) - A.Y;
  const double C1 = Dot(WX, WY, DX, DY);
  if (C1 <= 0) {
    Nearest = A;
    Fraction = 0;
    return SLPointDistance(P, A);
  }
  const double C2 = Dot(DX, DY, DX, DY);
  if (C2 > C1) {
    Fraction = C1 / C2;
    Nearest = TPoint{RoundEven(A.X + std::nearbyint(Fraction * DX)),
                     RoundEven(A.Y + std::nearbyint(Fraction * DY))};
    return SLPointDistance(P, Nearest);
  }
  Nearest = B;
  Fraction = 1;
  return SLPointDistance(P, B);
}

double SLChannelHitTest(const TSLChannelHitInput &In, int32_t X, int32_t Y, TSLChannelHit &Hit) {
  const size_t Count = std::min(In.PixelX.size(), In.PixelY.size());
  const int32_t N = static_cast<int32_t>(std::min<size_t>(Count, INT32_MAX));
  if (N == 0)
    return SLNoHitDistance;
  const int32_t *PX = In.PixelX.data();
  const int32_t *PY = In.PixelY.data();
  auto Screen = [&](int32_t I) {
    return In.Vertical ? TPoint{PY[I], PX[I]} : TPoint{PX[I], PY[I]};
  };
  // The pixel bounds in screen orientation, in 64 bits so that growing
  // them cannot wrap.
  int64_t MinX = INT64_MAX, MinY = INT64_MAX, MaxX = INT64_MIN, MaxY = INT64_MIN;
  for (int32_t I = 0; I < N; ++I) {
    const TPoint S = Screen(I);
    MinX = std::min<int64_t>(MinX, S.X);
    MaxX = std::max<int64_t>(MaxX, S.X);
    MinY = std::min<int64_t>(MinY, S.Y);
    MaxY = std::max<int64_t>(MaxY, S.Y);
  }
  auto NearBounds = [&](int64_t R) {
    return X >= MinX - R && X <= MaxX + R && Y >= MinY - R && Y <= MaxY + R;
  };

  // Symbols: the first sample whose square holds the point.
  if (In.Mode == cmPoint || In.PointsVisible) {
    const int64_t R = In.PointsVisible ? std::max<int64_t>(2, In.PointsSize) : 2;
    if (NearBounds(R))
      for (int32_t I = 0; I < N; ++I) {
        const TPoint S = Screen(I);
        if (X >= S.X - R && X < S.X + R && Y >= S.Y - R && Y < S.Y + R) {
          Hit = TSLChannelHit{S, 0, I, I};
          return 0;
        }
      }
  }

  double Result = SLNoHitDistance;
  if (In.Mode == cmLine) {
    if (!NearBounds(3))
      return Result;
    const int32_t H = (In.Width + 1) / 2;
    for (int32_t I = 0; I + 1 < N; ++I) {
      const TPoint A = Screen(I), B = Screen(I + 1);
      auto Beyond = [](int64_t P, int64_t Q, int64_t M) {
        return (P + 3 < M && Q + 3 < M) || (P - 3 > M && Q - 3 > M);
      };
      if (Beyond(A.X, B.X, X) || Beyond(A.Y, B.Y, Y))
        continue;
      TPoint Nearest;
      double F = 0;
      const double D = SLPointToSegmentDistance({X, Y}, A, B, Nearest, F);
      if (D < 3 - H && D < Result) {
        Hit = TSLChannelHit{Nearest, F, I, I + 1};
        Result = std::max(0.0, D - H);
      }
    }
    return Result;
  }

  if (In.Mode == cmBar) {
    const TRect &D = In.Rect;
    const bool V = In.Vertical, R = In.Reversed;
    // The base of top and bottom shading and the zero line, as the bars
    // were drawn.
    int64_t B = 0;
    if (In.ShadeMode == csmTop)
      B = V ? (R ? D.Right : D.Left) : (R ? int64_t(D.Bottom) + 1 : D.Top);
    else if (In.ShadeMode == csmBottom)
      B = V ? (R ? D.Left : D.Right) : (R ? D.Top : int64_t(D.Bottom) + 1);
    const int64_t Z = V ? int64_t(D.Right) - In.YOffset - 1 : int64_t(D.Bottom) - In.YOffset;
    const int64_t W = In.Width, Half = In.Width / 2;
    const int64_t Along = V ? Y : X, Across = V ? X : Y;
    for (int32_t I = 0; I < N; ++I) {
      const int64_t PXi = PX[I], PYi = PY[I];
      int64_t Lo, Hi; // the value direction, Hi excluded
      if (In.ShadeMode == csmZero) {
        if (PYi < Z) {
          Lo = PYi;
          Hi = Z + 1;
        } else {
          Lo = Z;
          Hi = PYi + 1;
        }
      } else {
        Lo = std::min(PYi, B);
        Hi = std::max(PYi, B);
      }
      if (Along < PXi - Half || Along >= PXi - Half + W || Across < Lo || Across >= Hi)
        continue;
      const double Denominator = double(PYi - Z);
      Hit.BeginIndex = Hit.EndIndex = I;
      Hit.HitPoint = V ? TPoint{X, PX[I]} : TPoint{PX[I], Y};
      Hit.Fraction = Denominator == 0 ? 0 : double(PYi - Across) / Denominator;
      return 0;
    }
  }
  return Result;
}

// The channels -----------------------------------------------------------------

double TSLScopeChannel::HitTest(int32_t X, int32_t Y, TPoint &HitPoint, double &Fraction,
                                int32_t &BeginIndex, int32_t &EndIndex) {
  // A hidden channel is not on the screen, whatever its last paint left.
  if (!FVisible || FDrawY->GetSize() == 0)
    return SLNoHitDistance;
  TSLChannelHitInput In;
  In.PixelX = std::span<const int32_t>(FPixelX->Read(), FPixelX->GetSize());
  In.PixelY = std::span<const int32_t>(FPixelY->Read(), FPixelY->GetSize());
  In.Vertical = FScope->GetIsVertical();
  In.Mode = FChannelMode;
  In.ShadeMode = FShadeMode;
  In.Width = FWidth;
  In.PointsVisible = FPoints.GetVisible();
  In.PointsSize = FPoints.GetSize();
  In.Rect = FHitRect;
  In.YOffset = FHitYOffset;
  In.Reversed = FScope->GetYAxisReversed();
  TSLChannelHit Hit;
  const double D = SLChannelHitTest(In, X, Y, Hit);
  if (D < SLNoHitDistance) {
    HitPoint = Hit.HitPoint;
    Fraction = Hit.Fraction;
    BeginIndex = Hit.BeginIndex;
    EndIndex = Hit.EndIndex;
  }
  return D;
}

bool TSLDisplayChannels::HitTest(int32_t X, int32_t Y, int32_t &ChannelIndex, TPoint &HitPoint,
                                 double &Fraction, int32_t &BeginIndex, int32_t &EndIndex) {
  ChannelIndex = 0;
  double Best = SLNoHitDistance;
  if (Count() == 0)
    return false;
  // The last channel is drawn on top: it is tried first and keeps ties.
  for (int32_t I = Count() - 1; I >= 0; --I) {
    TPoint P;
    double F = 0;
    int32_t B = 0, E = 0;
    const double D = GetItem(I)->HitTest(X, Y, P, F, B, E);
    if (I == Count() - 1 || D < Best) {
      Best = D;
      ChannelIndex = I;
      HitPoint = P;
      Fraction = F;
      BeginIndex = B;
      EndIndex = E;
    }
    if (Best == 0)
      break;
  }
  return Best < 3;
}

// Crossings ------------------------------------------------------------------------------

namespace {

// The screen point a fraction T of the way from A to B, one pixel up, as
// crossing points are drawn.
TPoint Between(TPoint A, TPoint B, double T) {
  return {RoundEven(A.X + std::nearbyint(T * (double(B.X) - A.X))),
          RoundEven(A.Y + std::nearbyint(T * (double(B.Y) - A.Y)) - 1)};
}

} // namespace

namespace {

// Where a curve with the values Key crosses the level Value, sample by
// sample: Report(I, T) for a crossing a fraction T of the way from sample
// I towards sample I + 1 (T 0: on sample I), or back from I + 1 towards I
// (Back). A sample on the level counts once, the last one too, so that a
// curve that ends on the line crosses it there.
template <class R> void WalkCrossings(const double *Key, uint32_t Count, double Value, R Report) {
  for (uint32_t I = 0; I + 1 < Count; ++I) {
    const double K0 = Key[I], K1 = Key[I + 1];
    if (K0 == Value)
      Report(I, 0.0, false);
    else if (K0 < Value && Value < K1)
      Report(I, (Value - K0) / (K1 - K0), false);
    else if (K0 > Value && Value > K1)
      Report(I, (Value - K1) / (K0 - K1), true);
  }
  if (Count >= 2 && Key[Count - 1] == Value)
    Report(Count - 1, 0.0, false);
}

} // namespace

// Both walks run over the samples the last paint left pixels for: new data
// may have come since with another length.
void TSLDisplayChannel::CalcVIntersections(const TSLIntersectionCallback &Callback, void *Data,
                                           double Value) {
  const uint32_t Count =
      std::min({FScaledX->GetSize(), FDrawY->GetSize(), FPixelX->GetSize(), FPixelY->GetSize()});
  if (Count < 2 || !Callback)
    return;
  const double *Y = FDrawY->Read();
  const int32_t *PX = FPixelX->Read();
  const int32_t *PY = FPixelY->Read();
  const bool V = FChart && FChart->GetIsVertical();
  auto S = [&](uint32_t I) { return V ? TPoint{PY[I], PX[I]} : TPoint{PX[I], PY[I]}; };
  WalkCrossings(FScaledX->Read(), Count, Value, [&](uint32_t I, double T, bool Back) {
    if (T == 0) {
      Callback(Data, S(I).X, S(I).Y, Value, Y[I]);
      return;
    }
    const uint32_t From = Back ? I + 1 : I, To = Back ? I : I + 1;
    const TPoint P = Between(S(From), S(To), T);
    Callback(Data, P.X, P.Y, Value, Y[From] + T * (Y[To] - Y[From]));
  });
}

void TSLDisplayChannel::CalcHIntersections(const TSLIntersectionCallback &Callback, void *Data,
                                           double Value) {
  CalcHIntersections(Callback, Data, Value, [this](double Position) {
    return FChart ? FChart->SampleToScale(Position) : Position;
  });
}

void TSLDisplayChannel::CalcHIntersections(const TSLIntersectionCallback &Callback, void *Data,
                                           double Value,
                                           const std::function<double(double)> &SampleToScale) {
  const uint32_t Count = std::min({FDrawY->GetSize(), FPixelX->GetSize(), FPixelY->GetSize()});
  if (Count < 2 || !Callback)
    return;
  const int32_t *PX = FPixelX->Read();
  const int32_t *PY = FPixelY->Read();
  const bool V = FChart && FChart->GetIsVertical();
  auto S = [&](uint32_t I) { return V ? TPoint{PY[I], PX[I]} : TPoint{PX[I], PY[I]}; };
  auto XAt = [&](double Position) { return SampleToScale ? SampleToScale(Position) : Position; };
  WalkCrossings(FDrawY->Read(), Count, Value, [&](uint32_t I, double T, bool Back) {
    if (T == 0) {
      Callback(Data, S(I).X, S(I).Y, XAt(I), Value);
      return;
    }
    const uint32_t From = Back ? I + 1 : I, To = Back ? I : I + 1;
    const TPoint P = Between(S(From), S(To), T);
    Callback(Data, P.X, P.Y, XAt(Back ? I + 1 - T : I + T), Value);
  });
}

void TSLDisplayChannel::GetXIntersectPoint(void *Data, int32_t, int32_t, double XValue, double) {
  static_cast<TSLScopeRealPoints *>(Data)->push_back(XValue);
}

void TSLDisplayChannel::GetYIntersectPoint(void *Data, int32_t, int32_t, double, double YValue) {
  static_cast<TSLScopeRealPoints *>(Data)->push_back(YValue);
}

TSLScopeRealPoints TSLDisplayChannel::GetXPointsAtValue(double Value) {
  TSLScopeRealPoints Points;
  CalcHIntersections([this](void *D, int32_t SX, int32_t SY, double X,
                            double Y) { GetXIntersectPoint(D, SX, SY, X, Y); },
                     &Points, Value);
  return Points;
}

TSLScopeRealPoints TSLDisplayChannel::GetYPointsAtValue(double Value) {
  TSLScopeRealPoints Points;
  CalcVIntersections([this](void *D, int32_t SX, int32_t SY, double X,
                            double Y) { GetYIntersectPoint(D, SX, SY, X, Y); },
                     &Points, Value);
  return Points;
}

TSLScopeRealPoints *TSLDisplayChannel::NET_GetXPointsAtValue(double Value) {
  return new TSLScopeRealPoints(GetXPointsAtValue(Value));
}

TSLScopeRealPoints *TSLDisplayChannel::NET_GetYPointsAtValue(double Value) {
  return new TSLScopeRealPoints(GetYPointsAtValue(Value));
}

int32_t TSLDisplayChannel::NET_GetArrayLength(TSLScopeRealPoints *Holder) {
  return Holder ? static_cast<int32_t>(Holder->size()) : 0;
}

double *TSLDisplayChannel::NET_GetArray(TSLScopeRealPoints *Holder) {
  return Holder && !Holder->empty() ? Holder->data() : nullptr;
}

void TSLDisplayChannel::NET_PopulateArray(TSLScopeRealPoints *Holder, double *Dest) {
  if (Holder && !Holder->empty() && Dest)
    (void)Slbasicdispatcher::ippsCopy_64f(Holder->data(), Dest, static_cast<int>(Holder->size()));
}

void TSLDisplayChannel::NET_DestroyArray(TSLScopeRealPoints *Holder) { delete Holder; }
