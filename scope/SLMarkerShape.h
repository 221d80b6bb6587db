#pragma once
// The point shapes that flag a sample: marker groups draw their markers with
// them, and cursors the points where they cross their channels. Drawing is
// main thread only, like all painting.

#include <cstdint>
#include <string>
#include <vector>

class TCanvas;

enum TSLDisplayMarkerShape : uint8_t {
  msPoint,
  msCircle,
  msSquare,
  msDiamond,
  msPlus,
  msCross,
  msStar,
  msTriangleUp,
  msTriangleDown,
  msTriangleLeft,
  msTriangleRight,
  msHLine,
  msVLine
};

// The shapes' names in form text, in order.
inline const std::vector<std::string> &SLDisplayMarkerShapeNames() {
  static const std::vector<std::string> Names = {
      "msPoint",         "msCircle", "msSquare",     "msDiamond",      "msPlus",
      "msCross",         "msStar",   "msTriangleUp", "msTriangleDown", "msTriangleLeft",
      "msTriangleRight", "msHLine",  "msVLine"};
  return Names;
}

// How one shape is drawn. Size is h, the half width: the box runs from (X -
// h, Y - h) to (X + h + 1, Y + h + 1). Grow draws the shape that many
// pixels larger (a highlight behind it), with the triangles' tips moved
// back by as much so that the tip stays on the sample.
//
// The vertical-display rule: a marker's shape turns with the axes, so up
// and down point along screen X and left and right along screen Y (left
// towards smaller Y), and the horizontal and vertical lines change places.
// A cursor's crossing point is drawn as it stands on the screen, and leaves
// the two lines out: the cursor's own line already marks the crossing.
struct TSLMarkerShapeStyle {
  int32_t Size = 3;
  int32_t Grow = 0;
  bool Vertical = false; // turned for the vertical display
  bool Lines = true;     // msHLine and msVLine drawn
};

// Draws Shape round the screen point (X, Y) with the canvas's pen and brush.
void SLDrawMarkerShape(TCanvas *Canvas, TSLDisplayMarkerShape Shape, int32_t X, int32_t Y,
                       const TSLMarkerShapeStyle &Style);
