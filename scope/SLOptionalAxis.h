#pragma once
// What every scope axis has in common: the choice of the value step between
// labelled ticks (1, 2, 2.5 and 5 times a power of ten, never closer than a
// label) and the three tick walks that visit the tick positions of a range
// and call back a drawing routine for each major and minor tick. The axes
// and the data view's grid use them. Pure routines: the caller gives what it
// reads of its axis, view rectangle and font; main thread, like painting.

#include <cstdint>
#include <functional>

class TCanvas;

// A tick: the canvas is passed through unchanged; IsZero marks the major
// tick at value zero; TextHalfHeight is half the label height (0 for a minor
// tick); Value is the tick's value (for a minor tick that of the major tick
// that ends its interval); Position the pixel along the axis.
using TSLTickLineProc = std::function<void(TCanvas *Canvas, bool IsZero, int32_t TextHalfHeight,
                                           bool IsMinor, double Value, int32_t Position)>;

// What ComputeValueStep reads of its axis.
struct TSLValueStepQuery {
  int32_t Width = 0;           // GetWidth of the axis view
  double RangeWidth = 0;       // GetRangeWidth(false)
  double RangeWidthLog = 0;    // GetRangeWidth(true), used on a logarithmic axis
  int32_t DimentionLength = 0; // GetDimentionLength
  bool Logarithmic = false;    // IsLogarithmic
  double MinScaleLineDistance = 0;
  int32_t MaxTextLength = 0; // text height of "Xg" in the axis font
};

// The cache an axis keeps of its last step computation (IsValidStep).
struct TSLValueStepCache {
  bool Valid = false;
  double RangeWidth = 0;
  int32_t DimentionLength = 0;
  bool Logarithmic = false;

  bool IsValidStep(const TSLValueStepQuery &Q) const {
    return Valid && Q.Logarithmic == Logarithmic && Q.RangeWidth == RangeWidth &&
           Q.DimentionLength == DimentionLength;
  }
};

// The step between major ticks; fills Cache (not for an axis of zero width).
// A zero, infinite or NaN range, or one whose smallest step cannot be
// represented, gives 1.0: painting must never wait on a step search.
double ComputeValueStep(const TSLValueStepQuery &Q, TSLValueStepCache &Cache);

// rnd(): to the nearest integer, halves to the even neighbour, saturated to
// 32 bits; NaN gives 0.
int32_t SLRoundPixel(double Value);

struct TSLTickWalk {
  TSLTickLineProc Proc;
  TCanvas *Canvas = nullptr;
  int32_t TextHeight = 0;
  bool All = true;
  double Min = 0;
  double Max = 0;
  double Step = 1;         // GetStep
  uint32_t MinorCount = 0; // MinorTicks.Count
  bool Logarithmic = false;
};

// Upward walk (Y axis and Y grid) along Lo..Hi, pixel = Offset - rnd(L(v) x
// Factor), or (Hi - Offset - 1) - rnd(...) with FromEnd. Labels closer than
// TextHeight to the previous major tick are skipped; each pass is bounded to
// 120 steps.
void UpTickLines(const TSLTickWalk &W, bool FromEnd, int32_t Lo, int32_t Hi, int32_t Offset,
                 double Factor);
// Reversed Y axis: its own transform over Top..Bottom, values growing down.
void DownTickLines(const TSLTickWalk &W, int32_t Top, int32_t Bottom);
// X axis: a linear map over Left..Right (both edges drawn), at most 300
// steps; All is ignored.
void RightTickLines(const TSLTickWalk &W, int32_t Left, int32_t Right);
