// The track bar: a horizontal slider with a selection band (SelStart ..
// SelEnd drawn over the groove) and hooks for the left button's press and
// release that run before the slider's own handling, as a window procedure
// installed over the control's would.
//
// OnChange runs whenever the position changes, from code or from the user;
// a handler that moves the thumb without seeking detaches it first and
// re-attaches it afterwards. Main thread only.
#pragma once

#include <QRect>
#include <QSlider>

#include <functional>

namespace gui {

class TTrackBar : public QSlider {
  Q_OBJECT

public:
  explicit TTrackBar(QWidget *parent = nullptr);

  int Min() const { return minimum(); }
  int Max() const { return maximum(); }
  void SetMin(int value) { setMinimum(value); }
  void SetMax(int value) { setMaximum(value); }
  int Position() const { return value(); }
  void SetPosition(int value) { setValue(value); }
  int SelStart() const { return selStart_; }
  int SelEnd() const { return selEnd_; }
  void SetSelStart(int value);
  void SetSelEnd(int value);

  // The groove in widget coordinates (the channel rectangle) and the
  // thumb's length along it.
  QRect ChannelRect() const;
  int ThumbLength() const;

  std::function<void()> OnChange;
  // Left button press and release at (x, y) in widget coordinates.
  std::function<void(int x, int y)> OnMouseDown;
  std::function<void(int x, int y)> OnMouseUp;

protected:
  void mousePressEvent(QMouseEvent *event) override;
  void mouseReleaseEvent(QMouseEvent *event) override;
  void paintEvent(QPaintEvent *event) override;

private:
  int selStart_ = 0;
  int selEnd_ = 0;
};

} // namespace gui
