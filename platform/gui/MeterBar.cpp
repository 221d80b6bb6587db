#include "platform/gui/MeterBar.h"

#include <QPainter>
#include <algorithm>

namespace gui {

TMeterBar::TMeterBar(QWidget *parent) : QWidget(parent) {}

void TMeterBar::SetMax(int value) {
  value = std::max(value, 1);
  if (value == max_)
    return;
  max_ = value;
  ++repaints_;
  update();
  Store(position_);
}

void TMeterBar::SetPosition(int value) { Store(value); }

void TMeterBar::Store(int position) {
  position = std::clamp(position, 0, max_);
  if (position == position_)
    return;
  position_ = position;
  ++repaints_;
  update();
}

void TMeterBar::paintEvent(QPaintEvent *) {
  QPainter p(this);
  QRect r = rect();
  p.fillRect(r, palette().color(QPalette::Base));
  int h = static_cast<int>(static_cast<long long>(r.height()) * position_ / max_);
  p.fillRect(QRect(r.left(), r.bottom() - h + 1, r.width(), h), QColor(0, 170, 0));
  p.setPen(palette().color(QPalette::Mid));
  p.drawRect(r.adjusted(0, 0, -1, -1));
}

} // namespace gui
