#include "platform/gui/ImageList.h"

#include <QPainter>
#include <QPixmap>

#include "platform/classlib/ClassBuilder.h"

namespace gui {

const TClassInfo &TImageList::StaticClassInfo() {
  static const TClassInfo &info =
      MakeClassInfo<TImageList>("TImageList", &TComponent::StaticClassInfo());
  return info;
}

TImageList::TImageList(TComponent *owner) : TComponent(owner) {}

int TImageList::Add(const QIcon &icon) {
  images_.push_back(icon);
  return Count() - 1;
}

bool TImageList::GetIcon(int index, QIcon &icon) const {
  if (index < 0 || index >= Count())
    return false;
  icon = images_[static_cast<size_t>(index)];
  return true;
}

QIcon SolidIcon(unsigned rgb, int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setBrush(QColor::fromRgb(rgb));
  p.setPen(Qt::NoPen);
  p.drawEllipse(1, 1, size - 2, size - 2);
  return QIcon(pixmap);
}

} // namespace gui
