#include "scope/SLPropertyPageForm.h"

#include <QAction>

#include "framework/data/Slfiltertypes.h"
#include "platform/classlib/ClassBuilder.h"
#include "platform/gui/Application.h"
#include "scope/SLCollections.h"
#include "scope/SLScopePropertiesForm.h"

void SLFillEnumCombo(QComboBox *List, const std::vector<std::string> &ValueNames, bool Split) {
  List->clear();
  for (const std::string &name : ValueNames)
    List->addItem(QString::fromStdString(SLEnumNameToString(name, true, Split)));
}

bool SLCleanDigits(gui::TFilteredEdit *Edit) {
  const std::string digits = gui::DigitsOnly(Edit->Text());
  if (digits == Edit->Text())
    return false;
  Edit->SetText(digits);
  return true;
}

QLabel *SLLabel(const char *Text, QWidget *Buddy) {
  auto *label = new QLabel(Text);
  label->setBuddy(Buddy);
  return label;
}

QWidget *SLOwnerWidget(TComponent *Owner) {
  for (TComponent *c = Owner; c; c = c->Owner())
    if (auto *form = dynamic_cast<gui::TForm *>(c))
      return form->Widget();
  return nullptr;
}

QMenu *SLMakePlaceholderMenu(QWidget *Parent, gui::TFilteredEdit *Edit,
                             const std::vector<std::pair<std::string, std::string>> &Items) {
  auto *menu = new QMenu(Parent);
  menu->setObjectName("PopupMenu");
  for (const auto &[caption, text] : Items) {
    QAction *action = menu->addAction(QString::fromStdString(caption));
    const QString insert = QString::fromStdString(text);
    QObject::connect(action, &QAction::triggered, Edit, [Edit, insert] { Edit->insert(insert); });
  }
  return menu;
}

void SLPopupBelow(QMenu *Menu, QWidget *Button) {
  Menu->popup(Button->mapToGlobal(QPoint(0, Button->height())));
}

TSLPropertyPageForm::TSLPropertyPageForm(TComponent *Owner) : gui::TForm(Owner, new QWidget) {
  SetCaption("SLPropertyPageForm");
}

TSLScopePropertiesForm *TSLPropertyPageForm::GetHost() const {
  return dynamic_cast<TSLScopePropertiesForm *>(Owner());
}

QPushButton *TSLPropertyPageForm::GetAddButton() const {
  return GetHost() ? GetHost()->GetAddButton() : nullptr;
}
QPushButton *TSLPropertyPageForm::GetRemoveButton() const {
  return GetHost() ? GetHost()->GetRemoveButton() : nullptr;
}

void TSLPropertyPageForm::PageActivated() {
  if (GetAddButton())
    GetAddButton()->setEnabled(false);
  if (GetRemoveButton())
    GetRemoveButton()->setEnabled(false);
}

void TSLPropertyPageForm::EnableOK() {
  if (GetHost())
    GetHost()->EnableOK();
}

void TSLPropertyPageForm::DisableOK() {
  if (GetHost())
    GetHost()->DisableOK();
}

void TSLPropertyPageForm::NumericEditKeyPress(char &Key) {
  if (Key == 13) {
    EnableOK();
    Key = 0;
  } else if (Key == 27) {
    EnableOK();
  } else if (Key >= '0' && Key <= '9') {
    DisableOK();
  } else if (static_cast<unsigned char>(Key) >= 32) {
    Key = 0;
  }
}

void TSLPropertyPageForm::LabelEditKeyPress(gui::TFilteredEdit *Edit, char &Key) {
  if (Key == 13) {
    EnableOK();
    Key = 0;
  } else if (Key == 27) {
    Edit->selectAll();
    EnableOK();
  }
}

void TSLPropertyPageForm::StoreItemName(TSLDisplayCollectionItem *Item, gui::TFilteredEdit *Edit,
                                        QListWidget *List) {
  if (Item) {
    Item->SetName(Edit->Text());
    if (QListWidgetItem *entry = List->currentItem())
      entry->setText(QString::fromStdString(Edit->Text()));
  }
  EnableOK();
}

void TSLPropertyPageForm::ItemNameKeyPress(TSLDisplayCollectionItem *Item, gui::TFilteredEdit *Edit,
                                           QListWidget *List, bool &Updating, char &Key) {
  if (Key == 13) {
    StoreItemName(Item, Edit, List);
    Key = 0;
  } else if (Key == 27) {
    if (Item) {
      Updating = true;
      Edit->SetText(Item->GetName());
      Updating = false;
    }
    Edit->selectAll();
    EnableOK();
  }
}

void TSLPropertyPageForm::ListTickToItem(TSLOptionalDisplayCollectionItem *Item,
                                         gui::TCheckList *List, int32_t Index, QCheckBox *Box) {
  if (!Item)
    return;
  const bool visible = List->Checked(Index);
  Item->SetVisible(visible);
  if (Index == List->ItemIndex())
    Box->setChecked(visible);
}

void TSLPropertyPageForm::VisibleBoxToItem(TSLOptionalDisplayCollectionItem *Item,
                                           gui::TCheckList *List, QCheckBox *Box) {
  if (!Item)
    return;
  Item->SetVisible(Box->isChecked());
  List->SetChecked(List->ItemIndex(), Box->isChecked());
}

void TSLPropertyPageForm::SetChildrenEnabled(bool Enabled) {
  for (QWidget *child : Widget()->findChildren<QWidget *>())
    child->setEnabled(Enabled);
}
