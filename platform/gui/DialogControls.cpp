#include "platform/gui/DialogControls.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QToolButton>
#include <QVBoxLayout>
#include <limits>

#include "platform/gui/Application.h"
#include "platform/gui/Canvas.h"

namespace gui {

namespace {

TToolDialog *DialogOf(QWidget *Widget) {
  return dynamic_cast<TToolDialog *>(Widget ? Widget->window() : nullptr);
}

} // namespace

// Dialog ---------------------------------------------------------------------

TToolDialog::TToolDialog(QWidget *Parent) : QDialog(Parent) {}

void TToolDialog::SetDefaultButton(QPushButton *Button) {
  if (default_ == Button)
    return;
  if (default_)
    default_->setDefault(false);
  default_ = Button;
  if (default_)
    default_->setDefault(true);
}

bool TToolDialog::IsDefault(const QPushButton *Button) const {
  return Button && default_ == Button;
}

bool TToolDialog::DialogKey(char Key) {
  if (Key == 13) {
    if (default_ && default_->isEnabled()) {
      default_->click();
      return true;
    }
    return false;
  }
  if (Key == 27) {
    bool handled = false;
    if (OnShortCut)
      Guarded([&] { OnShortCut(Key, handled); });
    if (handled)
      return true;
    if (cancel_ && cancel_->isEnabled()) {
      cancel_->click();
      return true;
    }
  }
  return false;
}

void TToolDialog::keyPressEvent(QKeyEvent *Event) {
  const char key = KeyEventChar(Event);
  if ((key == 13 || key == 27) && DialogKey(key)) {
    Event->accept();
    return;
  }
  // Never Qt's own Esc (reject) or Enter (focused button) rules.
  if (key == 13 || key == 27) {
    Event->accept();
    return;
  }
  QDialog::keyPressEvent(Event);
}

char KeyEventChar(const QKeyEvent *Event) {
  switch (Event->key()) {
  case Qt::Key_Return:
  case Qt::Key_Enter:
    return 13;
  case Qt::Key_Escape:
    return 27;
  case Qt::Key_Backspace:
    return 8;
  default:
    break;
  }
  const QString text = Event->text();
  if (text.size() == 1 && text[0].unicode() < 256 && text[0].unicode() != 0)
    return static_cast<char>(text[0].unicode());
  return 0;
}

QPushButton *MakeButton(const std::string &Caption, const std::string &Name, QWidget *Parent) {
  auto *button = new QPushButton(QString::fromStdString(Caption), Parent);
  button->setObjectName(QString::fromStdString(Name));
  button->setAutoDefault(false);
  return button;
}

// Edit -----------------------------------------------------------------------

TFilteredEdit::TFilteredEdit(QWidget *Parent) : QLineEdit(Parent) {
  connect(this, &QLineEdit::textChanged, this, [this] {
    if (OnChange)
      Guarded([&] { OnChange(); });
  });
}

void TFilteredEdit::keyPressEvent(QKeyEvent *Event) {
  char key = KeyEventChar(Event);
  if (key == 13 || key == 27) {
    if (TToolDialog *dialog = DialogOf(this); dialog && dialog->DialogKey(key)) {
      Event->accept();
      return;
    }
    // The dialog left the key to the edit.
    if (OnKeyPress)
      Guarded([&] { OnKeyPress(key); });
    Event->accept();
    return;
  }
  if (key != 0 && OnKeyPress) {
    Guarded([&] { OnKeyPress(key); });
    if (key == 0) {
      Event->accept();
      return;
    }
  }
  QLineEdit::keyPressEvent(Event);
}

void TFilteredEdit::focusInEvent(QFocusEvent *Event) {
  QLineEdit::focusInEvent(Event);
  if (OnEnter)
    Guarded([&] { OnEnter(); });
}

void TFilteredEdit::focusOutEvent(QFocusEvent *Event) {
  QLineEdit::focusOutEvent(Event);
  if (OnExit)
    Guarded([&] { OnExit(); });
}

std::string DigitsOnly(const std::string &Text) {
  std::string digits;
  for (char c : Text)
    if (c >= '0' && c <= '9')
      digits += c;
  return digits;
}

int32_t DigitsToInt(const std::string &Digits, int32_t Default) {
  if (Digits.empty())
    return Default;
  int64_t value = 0;
  for (char c : Digits) {
    if (c < '0' || c > '9')
      return Default;
    value = value * 10 + (c - '0');
    if (value > std::numeric_limits<int32_t>::max())
      return Default;
  }
  return static_cast<int32_t>(value);
}

// Up-down --------------------------------------------------------------------

TUpDown::TUpDown(TFilteredEdit *Associate, int32_t Min, int32_t Max, QWidget *Parent)
    : QWidget(Parent), associate_(Associate), min_(Min), max_(Max), position_(Min) {
  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  auto *up = new QToolButton(this);
  up->setObjectName("Up");
  up->setArrowType(Qt::UpArrow);
  auto *down = new QToolButton(this);
  down->setObjectName("Down");
  down->setArrowType(Qt::DownArrow);
  for (QToolButton *b : {up, down}) {
    b->setFixedSize(16, 10);
    b->setFocusPolicy(Qt::NoFocus);
    layout->addWidget(b);
  }
  connect(up, &QToolButton::clicked, this, [this] { StepBy(1); });
  connect(down, &QToolButton::clicked, this, [this] { StepBy(-1); });
}

void TUpDown::SetPosition(int32_t Value) {
  if (Value < min_)
    Value = min_;
  if (Value > max_)
    Value = max_;
  position_ = Value;
  if (associate_)
    associate_->setText(QString::number(Value));
}

void TUpDown::StepBy(int32_t Steps) {
  int32_t start = position_;
  if (associate_)
    start = DigitsToInt(DigitsOnly(associate_->Text()), position_);
  SetPosition(start + Steps);
}

// Swatch ---------------------------------------------------------------------

TColorSwatch::TColorSwatch(QWidget *Parent) : QWidget(Parent) { setMinimumSize(20, 20); }

void TColorSwatch::SetColor(TColor Value) {
  if (Value != color_) {
    color_ = Value;
    update();
  }
}

void TColorSwatch::paintEvent(QPaintEvent *) {
  QPainter painter(this);
  painter.fillRect(rect(), QColor::fromRgb(ColorToQRgb(color_)));
}

// Check list -----------------------------------------------------------------

TCheckList::TCheckList(bool Checkable, QWidget *Parent)
    : QListWidget(Parent), checkable_(Checkable) {
  connect(this, &QListWidget::currentRowChanged, this, [this](int) {
    if (!filling_ && OnClick)
      Guarded([&] { OnClick(); });
  });
  connect(this, &QListWidget::itemChanged, this, [this](QListWidgetItem *Item) {
    if (!checkable_)
      return;
    const bool checked = Item->checkState() == Qt::Checked;
    if (Item->data(Qt::UserRole).toBool() == checked)
      return;
    Item->setData(Qt::UserRole, checked);
    if (!filling_ && OnClickCheck) {
      const int32_t index = row(Item);
      Guarded([&] { OnClickCheck(index); });
    }
  });
}

void TCheckList::AddItem(const std::string &Name, bool Checked) {
  ++filling_;
  auto *item = new QListWidgetItem(QString::fromStdString(Name), this);
  if (checkable_) {
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setData(Qt::UserRole, Checked);
    item->setCheckState(Checked ? Qt::Checked : Qt::Unchecked);
  }
  --filling_;
}

void TCheckList::SetItemIndex(int32_t Index) {
  ++filling_;
  if (Index < 0 || Index >= count())
    setCurrentRow(-1);
  else
    setCurrentRow(Index);
  --filling_;
}

bool TCheckList::Checked(int32_t Index) const {
  const QListWidgetItem *it = item(Index);
  return it && checkable_ && it->checkState() == Qt::Checked;
}

void TCheckList::SetChecked(int32_t Index, bool Value) {
  QListWidgetItem *it = item(Index);
  if (!it || !checkable_)
    return;
  ++filling_;
  it->setData(Qt::UserRole, Value);
  it->setCheckState(Value ? Qt::Checked : Qt::Unchecked);
  --filling_;
}

std::string TCheckList::ItemText(int32_t Index) const {
  const QListWidgetItem *it = item(Index);
  return it ? it->text().toStdString() : std::string();
}

} // namespace gui
