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
  images_.push_back({icon, QImage()});
  return Count() - 1;
}

bool TImageList::GetIcon(int index, QIcon &icon) const {
  if (index < 0 || index >= Count())
    return false;
  const TEntry &entry = images_[static_cast<size_t>(index)];
  // Pictures become icons only when asked: a pixmap needs the GUI
  // application, the pictures do not.
  icon = entry.picture.isNull() ? entry.icon : QIcon(QPixmap::fromImage(entry.picture));
  return true;
}

namespace {

QImage Masked(const QImage &image, TColor maskColor) {
  QImage out = image.convertToFormat(QImage::Format_ARGB32);
  const QRgb mask = ColorToQRgb(maskColor) & 0xFFFFFFu;
  for (int y = 0; y < out.height(); ++y) {
    QRgb *line = reinterpret_cast<QRgb *>(out.scanLine(y));
    for (int x = 0; x < out.width(); ++x)
      line[x] = (line[x] & 0xFFFFFFu) == mask ? 0u : (line[x] | 0xFF000000u);
  }
  return out;
}

} // namespace

int TImageList::AddMasked(const QImage &strip, TColor maskColor) {
  const int first = Count();
  for (int left = 0; left + width_ <= strip.width(); left += width_) {
    images_.push_back({QIcon(), Masked(strip.copy(left, 0, width_, height_), maskColor)});
  }
  return first;
}

bool TImageList::ReplaceMasked(int index, const QImage &image, TColor maskColor) {
  if (index < 0 || index >= Count())
    return false;
  images_[static_cast<size_t>(index)] = {QIcon(), Masked(image, maskColor)};
  return true;
}

QImage TImageList::Picture(int index) const {
  if (index < 0 || index >= Count())
    return QImage();
  return images_[static_cast<size_t>(index)].picture;
}

void TImageList::Draw(TCanvas *canvas, int x, int y, int index) const {
  const QImage picture = Picture(index);
  for (int py = 0; py < picture.height(); ++py) {
    const QRgb *line = reinterpret_cast<const QRgb *>(picture.constScanLine(py));
    for (int px = 0; px < picture.width(); ++px)
      if (qAlpha(line[px]) != 0)
        canvas->SetPixel(x + px, y + py, QRgbToColor(line[px] & 0xFFFFFFu));
  }
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
