#pragma once
// What lies under the mouse on a channel's curve, found on the pixel
// positions the last paint computed, so that it describes exactly what is on
// the screen; and the small plane-geometry routines it is built on. Main
// thread only, like painting.

#include <cstdint>
#include <span>

#include "platform/gui/Canvas.h"
#include "scope/SLChannels.h"

double SLDotProduct(TPoint A, TPoint B);
double SLVectorLength(TPoint V);
double SLPointDistance(TPoint P, TPoint Q);
// The distance from P to the segment A-B; Nearest is the segment's point
// nearest to P (rounded to whole pixels, halves to even) and Fraction its
// place on the segment, 0 at A and 1 at B.
double SLPointToSegmentDistance(TPoint P, TPoint A, TPoint B, TPoint &Nearest, double &Fraction);

// The distance a hit test reports when nothing is hit.
constexpr double SLNoHitDistance = 10000;

// A channel as the last paint left it.
struct TSLChannelHitInput {
  // Sample i lies at (PixelX[i], PixelY[i]) along X and Y, on the screen at
  // (PixelY[i], PixelX[i]) when Vertical.
  std::span<const int32_t> PixelX;
  std::span<const int32_t> PixelY;
  bool Vertical = false;
  TSLScopeChannelMode Mode = cmLine;
  TSLChannelShadeMode ShadeMode = csmZero;
  int32_t Width = 1;
  bool PointsVisible = false;
  uint32_t PointsSize = 3;
  // The rectangle and Y offset the channel was drawn with, and the Y axis's
  // Reversed: where the bars stand.
  TRect Rect;
  int32_t YOffset = 0;
  bool Reversed = false;
};

struct TSLChannelHit {
  TPoint HitPoint;
  double Fraction = 0;
  int32_t BeginIndex = 0;
  int32_t EndIndex = 0;
};

// The hit distance of (X, Y) (screen pixels) from the channel: 0 on a
// symbol or a bar, the distance from a line's edge, SLNoHitDistance when
// nothing is near enough. Hit is written only on a hit.
double SLChannelHitTest(const TSLChannelHitInput &In, int32_t X, int32_t Y, TSLChannelHit &Hit);
