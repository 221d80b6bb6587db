// The pieces of small settings dialogs in Qt Widgets, with the class
// library's key handling: a tool dialog whose one button may be both the
// default (Enter) and the cancel (Esc) button, edits with a key-press filter
// and change and exit events, an up-down control that writes its edit, a
// colour swatch and a check list. Main thread only.
//
// Keys: Enter and Esc go to the dialog first. Enter clicks the default
// button, Esc asks the dialog's shortcut handler and then clicks the cancel
// button; an edit's own key handler sees them only when the dialog did not
// take them (no default button, or the shortcut handler claimed Esc and
// passed it on). Other characters go to the edit's key handler, which may
// swallow them by setting the key to 0.
#pragma once

#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/gui/Graphics.h"

namespace gui {

using TKeyHandler = std::function<void(char &Key)>;

class TToolDialog : public QDialog {
public:
  explicit TToolDialog(QWidget *Parent = nullptr);

  // The button that Enter clicks while it is the default one. Buttons of
  // the dialog never take the default role by having the focus.
  void SetDefaultButton(QPushButton *Button);
  // Whether Button holds the default role now.
  bool IsDefault(const QPushButton *Button) const;
  // The button that Esc clicks.
  void SetCancelButton(QPushButton *Button) { cancel_ = Button; }
  QPushButton *CancelButton() const { return cancel_; }

  // The form's shortcut handler: runs for Esc before the cancel button;
  // setting Handled keeps the button from being clicked.
  std::function<void(char Key, bool &Handled)> OnShortCut;

  // Enter or Esc (13, 27) as the dialog handles them; true when taken.
  bool DialogKey(char Key);

protected:
  void keyPressEvent(QKeyEvent *Event) override;

private:
  QPushButton *default_ = nullptr;
  QPushButton *cancel_ = nullptr;
};

// The character a key event carries in the class library's terms: 13 for
// Enter, 27 for Esc, 8 for backspace, the typed Latin-1 character, or 0 for
// keys without one.
char KeyEventChar(const QKeyEvent *Event);

// Makes a push button that never becomes the default by focus.
QPushButton *MakeButton(const std::string &Caption, const std::string &Name, QWidget *Parent);

class TFilteredEdit : public QLineEdit {
public:
  explicit TFilteredEdit(QWidget *Parent = nullptr);

  TKeyHandler OnKeyPress;
  // The text changed (from code too).
  std::function<void()> OnChange;
  std::function<void()> OnEnter;
  std::function<void()> OnExit;

  std::string Text() const { return text().toStdString(); }
  void SetText(const std::string &Value) { setText(QString::fromStdString(Value)); }

protected:
  void keyPressEvent(QKeyEvent *Event) override;
  void focusInEvent(QFocusEvent *Event) override;
  void focusOutEvent(QFocusEvent *Event) override;
};

// Removes every character that is not a digit 0-9.
std::string DigitsOnly(const std::string &Text);
// The number a text of digits gives; Default when it is empty or too large
// for an int32.
int32_t DigitsToInt(const std::string &Digits, int32_t Default);

// An up-down control bound to an edit: its position lies within [Min, Max]
// and every change of it writes the number into the edit.
class TUpDown : public QWidget {
public:
  TUpDown(TFilteredEdit *Associate, int32_t Min, int32_t Max, QWidget *Parent = nullptr);

  int32_t Position() const { return position_; }
  // Clamped to [Min, Max]; the edit shows the result.
  void SetPosition(int32_t Value);
  int32_t Min() const { return min_; }
  int32_t Max() const { return max_; }
  // The arrow buttons: one step up or down (the edit's number as start).
  void StepBy(int32_t Steps);

private:
  TFilteredEdit *associate_;
  int32_t min_;
  int32_t max_;
  int32_t position_;
};

// A box painted all over in its colour.
class TColorSwatch : public QWidget {
public:
  explicit TColorSwatch(QWidget *Parent = nullptr);
  TColor Color() const { return color_; }
  void SetColor(TColor Value);

protected:
  void paintEvent(QPaintEvent *Event) override;

private:
  TColor color_ = clBlack;
};

// A list of names with an optional check box each. OnClick follows the
// selection, OnClickCheck a tick the user (or a test) changes; both are
// quiet while the list is filled from code between BeginFill and EndFill.
class TCheckList : public QListWidget {
public:
  TCheckList(bool Checkable, QWidget *Parent = nullptr);

  void BeginFill() { ++filling_; }
  void EndFill() { --filling_; }
  // Appends Name, ticked or not.
  void AddItem(const std::string &Name, bool Checked = false);
  int32_t ItemIndex() const { return currentRow(); }
  // -1 selects nothing.
  void SetItemIndex(int32_t Index);
  bool Checked(int32_t Index) const;
  void SetChecked(int32_t Index, bool Value);
  std::string ItemText(int32_t Index) const;

  std::function<void()> OnClick;
  std::function<void(int32_t Index)> OnClickCheck;

private:
  bool checkable_;
  int filling_ = 0;
};

} // namespace gui
