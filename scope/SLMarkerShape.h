#pragma once
// The point shapes that flag a sample: marker groups draw their markers with
// them, and cursors the points where they cross their channels.

#include <cstdint>
#include <string>
#include <vector>

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
