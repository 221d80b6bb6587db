#include "platform/gui/ListChooser.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/gui/Application.h"

namespace gui {

TListChooser::TListChooser(QWidget *parent)
    : QDialog(parent ? parent : QApplication::activeWindow()) {
  ListBox = new QListWidget(this);
  ListBox->setObjectName("ListBox");
  OKButton = new QPushButton("OK", this);
  OKButton->setObjectName("OKButton");
  OKButton->setDefault(true);
  CancelButton = new QPushButton("Cancel", this);
  CancelButton->setObjectName("CancelButton");
  auto *buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(OKButton);
  buttons->addWidget(CancelButton);
  auto *layout = new QVBoxLayout(this);
  layout->addWidget(ListBox);
  layout->addLayout(buttons);
  resize(320, 240);

  connect(ListBox, &QListWidget::currentRowChanged, this, [this](int row) {
    if (OnSelect)
      Guarded([&] { OnSelect(row); });
  });
  connect(ListBox, &QListWidget::itemDoubleClicked, this, [this] {
    if (OnDoubleClick)
      Guarded(OnDoubleClick);
  });
  connect(OKButton, &QPushButton::clicked, this, [this] {
    if (OnOK)
      Guarded(OnOK);
  });
  connect(CancelButton, &QPushButton::clicked, this, [this] { reject(); });
}

void TListChooser::SetItems(const std::vector<std::string> &items, int selected) {
  ListBox->clear();
  for (const std::string &s : items)
    ListBox->addItem(QString::fromStdString(s));
  ListBox->setCurrentRow(selected);
}

void TListChooser::reject() {
  if (OnCancel)
    Guarded(OnCancel);
  else
    QDialog::reject();
}

} // namespace gui
