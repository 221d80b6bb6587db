// A vertical level bar (0 .. Max). A position beyond the range is clamped
// to it, never dropped: a 16-bit peak of 32768 over a maximum of 32767 shows
// a full bar and Position() reads 32767, so the clip lamp test
// Position >= Max holds. Main thread only.
#pragma once

#include <QWidget>

namespace gui {

class TMeterBar : public QWidget {
  Q_OBJECT

public:
  explicit TMeterBar(QWidget *parent = nullptr);

  int Max() const { return max_; }
  // A maximum below 1 is taken as 1; the position is clamped again.
  void SetMax(int value);
  int Position() const { return position_; }
  void SetPosition(int value);
  // How many times the bar asked to be repainted (a change did it).
  int RepaintCount() const { return repaints_; }

  QSize sizeHint() const override { return QSize(16, 100); }

protected:
  void paintEvent(QPaintEvent *event) override;

private:
  void Store(int position);

  int max_ = 100;
  int position_ = 0;
  int repaints_ = 0;
};

} // namespace gui
