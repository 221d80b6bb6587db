// An image list: pictures of one size reached by index (tray icon frames,
// button and menu pictures). Pictures added with a mask colour are drawn
// transparently: their pixels of that colour leave the canvas as it was.
// Main thread only.
#pragma once

#include <QIcon>
#include <QImage>
#include <vector>

#include "platform/classlib/Component.h"
#include "platform/gui/Canvas.h"

namespace gui {

class TImageList : public TComponent {
  CLASSLIB_CLASS(TImageList)

public:
  explicit TImageList(TComponent *owner);

  int Count() const { return static_cast<int>(images_.size()); }
  int Add(const QIcon &icon);
  void Clear() { images_.clear(); }
  // False, leaving icon alone, for an index outside the list.
  bool GetIcon(int index, QIcon &icon) const;

  // The size of the pictures AddMasked cuts (16 by 16).
  int Width() const { return width_; }
  int Height() const { return height_; }
  // Cuts strip into pictures Width() wide, left to right (a last part
  // narrower than Width() is dropped), each pixel of maskColor (0x00BBGGRR)
  // transparent; returns the index of the first one added.
  int AddMasked(const QImage &strip, TColor maskColor);
  // Replaces picture index with image, pixels of maskColor transparent;
  // false for an index outside the list.
  bool ReplaceMasked(int index, const QImage &image, TColor maskColor);
  // The picture with transparent pixels at alpha 0 (null outside the list).
  QImage Picture(int index) const;
  // Draws picture index with its top-left corner at (x, y): every opaque
  // pixel is set, transparent ones leave the canvas alone; the canvas's
  // clip region applies.
  void Draw(TCanvas *canvas, int x, int y, int index) const;

private:
  struct TEntry {
    QIcon icon;
    QImage picture; // ARGB32; null for entries added as icons
  };
  std::vector<TEntry> images_;
  int width_ = 16;
  int height_ = 16;
};

// An icon of one colour (the frames of a blinking tray icon).
QIcon SolidIcon(unsigned rgb, int size = 16);

} // namespace gui
