#include "scope/SLOptionalAxis.h"

#include <cmath>
#include <limits>

#include "scope/SLScope_numeric.h"

namespace {

constexpr double Log2Of10 = 3.32192809488736;
constexpr double MantissaLog[4] = {0, 0.301029995663981, 0.397940008672038, 0.698970004336019};
// Far more candidates than the doubles hold: the search stops at an
// overflow long before.
constexpr int MaxCandidates = 4 * 700;

double Candidate(int64_t E, int Index, bool Negative) {
  const double Y = (static_cast<double>(E) + MantissaLog[Index]) * Log2Of10;
  const double R = std::nearbyint(Y);
  const double S = std::exp2(Y - R) * std::exp2(R);
  return Negative ? -S : S;
}

// The value to pixel conversion of the upward walk: through a 32-bit float,
// rounded to the nearest (ties to even) and saturated, as the float-to-int
// vector conversion does.
int32_t FloatPixel(double Value) {
  const float F = static_cast<float>(Value);
  if (std::isnan(F))
    return 0;
  const float R = std::nearbyint(F);
  if (R >= 2147483648.0f)
    return std::numeric_limits<int32_t>::max();
  if (R < -2147483648.0f)
    return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(R);
}

double Map(bool Logarithmic, double V) { return Logarithmic ? SLLog10a(V) : V; }

// Minor ticks between the previous major pixel Last and the new one P, by
// integer division so that no further value arithmetic is needed.
template <class InSpan>
void MinorTicks(const TSLTickWalk &W, int32_t Last, int32_t P, double V, InSpan In) {
  const int64_t M = W.MinorCount;
  int64_t L = Last;
  for (int64_t I = 0; I < M; ++I) {
    L = L + (P - L) / (M - I + 1);
    if (In(L))
      W.Proc(W.Canvas, false, 0, true, V, static_cast<int32_t>(L));
  }
}

double NextValue(const TSLTickWalk &W, double V, double Direction) {
  if (!W.Logarithmic)
    return V + Direction * W.Step;
  return V + Direction * std::fabs(SLPow10(std::trunc(SLLog10a(V)))) * W.Step;
}

} // namespace

int32_t SLRoundPixel(double Value) {
  if (std::isnan(Value))
    return 0;
  const double R = std::nearbyint(Value);
  if (R >= 2147483647.0)
    return std::numeric_limits<int32_t>::max();
  if (R <= -2147483648.0)
    return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(R);
}

double ComputeValueStep(const TSLValueStepQuery &Q, TSLValueStepCache &Cache) {
  if (Q.Width == 0)
    return 1.0;
  Cache.RangeWidth = Q.RangeWidth;
  Cache.DimentionLength = Q.DimentionLength;
  Cache.Logarithmic = Q.Logarithmic;
  Cache.Valid = true;
  if (Q.RangeWidth == 0 || !std::isfinite(Q.RangeWidth))
    return 1.0;
  const double N = Q.DimentionLength == 0 ? 1.0 : Q.DimentionLength;
  double X = Q.MinScaleLineDistance * Q.RangeWidth / N;
  if (Q.Logarithmic)
    X = SLLog10a(X);
  if (X == 0 || !std::isfinite(X))
    return 1.0;
  const double T = std::log2(std::fabs(X)) / Log2Of10;
  int64_t E = static_cast<int64_t>(std::floor(T));
  const double F = T - static_cast<double>(E);
  int Index;
  if (F > MantissaLog[3]) {
    Index = 0;
    ++E;
  } else if (F > MantissaLog[2])
    Index = 3;
  else if (F > MantissaLog[1])
    Index = 2;
  else if (F > 0)
    Index = 1;
  else
    Index = 0;
  const double TextLength = Q.MaxTextLength + 2;
  const double LabelWidth =
      Q.Logarithmic ? static_cast<double>(SLRoundPixel(SLLog10a(TextLength))) : TextLength;
  const double Range = Q.Logarithmic ? Q.RangeWidthLog : Q.RangeWidth;
  for (int I = 0; I < MaxCandidates; ++I) {
    const double S = Candidate(E, Index, X < 0);
    if (!std::isfinite(S))
      return 1.0;
    if (!(LabelWidth > S / Range * N))
      return S;
    if (++Index == 4) {
      Index = 0;
      ++E;
    }
  }
  return 1.0;
}

void UpTickLines(const TSLTickWalk &W, bool FromEnd, int32_t Lo, int32_t Hi, int32_t Offset,
                 double Factor) {
  const int32_t Half = W.TextHeight / 2;
  const double Step = W.Step;
  const double HalfStep = Step / 2;
  auto Pixel = [&](double V) -> int64_t {
    const int64_t P = FloatPixel(Map(W.Logarithmic, V) * Factor);
    return FromEnd ? (int64_t(Hi) - Offset - 1) - P : int64_t(Offset) - P;
  };
  auto In = [&](int64_t P) { return Lo <= P && P < Hi; };
  const int64_t PMax = Pixel(W.Max);
  double Start;
  if (W.Min < 0 && 0 < W.Max)
    Start = 0;
  else if (W.Min >= 0)
    Start = std::trunc(W.Min / Step) * Step;
  else
    Start = std::trunc(W.Max / Step) * Step;
  int Count = 0;
  auto Pass = [&](bool Downward) {
    int64_t Last = Downward ? -100 : int64_t(Hi) + 100;
    bool HavePrevious = false;
    double V = Start;
    while (Downward ? W.Min - Step <= V : W.Max + Step >= V) {
      const int64_t P = Pixel(V);
      const int64_t Distance = Downward ? P - Last : Last - P;
      if (Distance > W.TextHeight) {
        if (!Downward || P >= PMax) {
          if (In(P))
            W.Proc(W.Canvas, std::fabs(V) < HalfStep, Half, false, V, static_cast<int32_t>(P));
          if (HavePrevious && Last != P)
            MinorTicks(W, static_cast<int32_t>(Last), static_cast<int32_t>(P), V, In);
          if (!W.All)
            return;
        }
        Last = P;
        HavePrevious = true;
      }
      const double Next = NextValue(W, V, Downward ? -1 : 1);
      if (Next == V || ++Count > 120)
        return;
      V = Next;
    }
  };
  if (W.Min < 0)
    Pass(true);
  if (W.Max > 0)
    Pass(false);
}

void DownTickLines(const TSLTickWalk &W, int32_t Top, int32_t Bottom) {
  const double LMin = Map(W.Logarithmic, W.Min);
  const double Span = Map(W.Logarithmic, W.Max) - LMin;
  const double H = double(Bottom) - Top;
  double T = 0.5, Factor = 1.0;
  if (Span != 0) {
    T = -LMin / Span;
    Factor = H / Span;
  }
  const int64_t Offset = int64_t(SLRoundPixel(H * T)) + Top;
  auto Pixel = [&](double V) {
    return int64_t(SLRoundPixel(Map(W.Logarithmic, V) * Factor)) + Offset;
  };
  auto In = [&](int64_t P) { return Top <= P && P < Bottom; };
  const double Step = W.Step;
  double V = std::trunc((W.Min - Step) / Step) * Step;
  const int64_t PLimit = Pixel(W.Min - Step);
  const int32_t Half = W.TextHeight / 2;
  int64_t Last = 0;
  bool HavePrevious = false;
  int Count = 0;
  while (W.Max + Step >= V) {
    const int64_t P = Pixel(V);
    if (P >= PLimit) {
      if (In(P))
        W.Proc(W.Canvas, std::fabs(V) < Step / 2, Half, false, V, static_cast<int32_t>(P));
      if (HavePrevious && Last != P)
        MinorTicks(W, static_cast<int32_t>(Last), static_cast<int32_t>(P), V, In);
      if (!W.All)
        return;
      Last = P;
      HavePrevious = true;
    }
    const double Next = V + Step;
    if (Next == V || ++Count > 120)
      return;
    V = Next;
  }
}

void RightTickLines(const TSLTickWalk &W, int32_t Left, int32_t Right) {
  const double Width = double(Right) - Left - 1;
  double Span = W.Max - W.Min;
  if (Span == 0)
    Span = 0.00001;
  auto Pixel = [&](double V) { return int64_t(Left) + SLRoundPixel((V - W.Min) * Width / Span); };
  auto In = [&](int64_t P) { return Left <= P && P <= Right; };
  const int32_t Half = W.TextHeight / 2;
  const double Step = W.Step == 0 ? 1.0 : W.Step;
  double V = std::trunc((W.Min - Step) / Step) * Step;
  int64_t Last = 0;
  bool HavePrevious = false;
  for (int Count = 0; Count < 300 && W.Max + Step >= V; ++Count) {
    if (V >= W.Min - Step) {
      const int64_t P = Pixel(V);
      if (In(P))
        W.Proc(W.Canvas, std::fabs(V) < Step / 2, Half, false, V, static_cast<int32_t>(P));
      if (HavePrevious && Last != P)
        MinorTicks(W, static_cast<int32_t>(Last), static_cast<int32_t>(P), V, In);
      Last = P;
      HavePrevious = true;
    }
    V = V + Step;
  }
}
