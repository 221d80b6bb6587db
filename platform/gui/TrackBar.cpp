#include "platform/gui/TrackBar.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionSlider>

#include "platform/gui/Application.h"

namespace gui {

TTrackBar::TTrackBar(QWidget *parent) : QSlider(Qt::Horizontal, parent) {
  setTickPosition(QSlider::NoTicks);
  setPageStep(1);
  connect(this, &QSlider::valueChanged, this, [this] {
    if (OnChange)
      Guarded([this] {
        // A copy: the handler may detach itself.
        std::function<void()> handler = OnChange;
        handler();
      });
  });
}

void TTrackBar::SetSelStart(int value) {
  if (value == selStart_)
    return;
  selStart_ = value;
  update();
}

void TTrackBar::SetSelEnd(int value) {
  if (value == selEnd_)
    return;
  selEnd_ = value;
  update();
}

QRect TTrackBar::ChannelRect() const {
  QStyleOptionSlider opt;
  initStyleOption(&opt);
  return style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderGroove, this);
}

int TTrackBar::ThumbLength() const {
  QStyleOptionSlider opt;
  initStyleOption(&opt);
  return style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, this).width();
}

intptr_t TTrackBar::Perform(uint32_t Msg, uintptr_t, intptr_t LParam) const {
  switch (Msg) {
  case TBM_GETCHANNELRECT: {
    auto *rect = reinterpret_cast<TChannelRect *>(LParam);
    if (rect == nullptr)
      return 0;
    QRect channel = ChannelRect();
    *rect = {channel.left(), channel.top(), channel.right() + 1, channel.bottom() + 1};
    return 0;
  }
  case TBM_GETTHUMBLENGTH:
    return ThumbLength();
  default:
    return 0;
  }
}

void TTrackBar::mousePressEvent(QMouseEvent *event) {
  if (event->button() == Qt::LeftButton && OnMouseDown) {
    QPoint p = event->position().toPoint();
    Guarded([&] { OnMouseDown(p.x(), p.y()); });
  }
  QSlider::mousePressEvent(event);
}

void TTrackBar::mouseReleaseEvent(QMouseEvent *event) {
  if (event->button() == Qt::LeftButton && OnMouseUp) {
    QPoint p = event->position().toPoint();
    Guarded([&] { OnMouseUp(p.x(), p.y()); });
  }
  QSlider::mouseReleaseEvent(event);
}

void TTrackBar::paintEvent(QPaintEvent *event) {
  QSlider::paintEvent(event);
  int lo = std::min(selStart_, selEnd_), hi = std::max(selStart_, selEnd_);
  if (hi <= lo || maximum() <= minimum())
    return;
  QRect groove = ChannelRect();
  int half = ThumbLength() / 2;
  int span = groove.width() - 2 * half;
  auto at = [&](int v) {
    return groove.left() + half +
           static_cast<int>(static_cast<long long>(v - minimum()) * span / (maximum() - minimum()));
  };
  QPainter painter(this);
  QColor band = palette().color(QPalette::Highlight);
  band.setAlpha(160);
  painter.fillRect(QRect(QPoint(at(lo), groove.top() - 2), QPoint(at(hi), groove.bottom() + 2)),
                   band);
}

} // namespace gui
