// An image list: pictures of one size reached by index (tray icon frames,
// button and menu pictures). Main thread only.
#pragma once

#include <QIcon>

#include <vector>

#include "platform/classlib/Component.h"

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

private:
  std::vector<QIcon> images_;
};

// An icon of one colour (the frames of a blinking tray icon).
QIcon SolidIcon(unsigned rgb, int size = 16);

} // namespace gui
