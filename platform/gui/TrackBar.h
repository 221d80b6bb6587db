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
#include <cstdint>
#include <functional>

namespace gui {

// The track bar's queries by message, as a window procedure installed over
// it sends them: TBM_GETCHANNELRECT fills the channel rectangle at LParam (a
// TChannelRect; right and bottom exclusive), TBM_GETTHUMBLENGTH answers the
// thumb's length along the channel.
inline constexpr uint32_t TBM_GETCHANNELRECT = 0x041A;
inline constexpr uint32_t TBM_GETTHUMBLENGTH = 0x041C;
struct TChannelRect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
};

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
  // Answers the messages above; any other message answers 0.
  intptr_t Perform(uint32_t Msg, uintptr_t WParam, intptr_t LParam) const;

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
