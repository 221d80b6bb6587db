// A modal chooser of one item from a list: a list box with OK and Cancel
// buttons, centred over the window in the foreground. A double click on an
// item is OK; closing the window is Cancel. What the choice means stays
// with the caller (the media layer's device chooser plugs its logic in
// through the hooks). Main thread only.
#pragma once

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

class QListWidget;
class QPushButton;

namespace gui {

class TListChooser : public QDialog {
  Q_OBJECT

public:
  explicit TListChooser(QWidget *parent = nullptr);

  void SetItems(const std::vector<std::string> &items, int selected);

  QListWidget *ListBox;
  QPushButton *OKButton;
  QPushButton *CancelButton;

  // The selection changed (-1: none).
  std::function<void(int index)> OnSelect;
  // The user ended the chooser: OK, Cancel (also closing the window) or a
  // double click on an item.
  std::function<void()> OnOK, OnCancel, OnDoubleClick;

protected:
  void reject() override;
};

} // namespace gui
