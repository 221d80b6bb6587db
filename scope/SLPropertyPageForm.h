#pragma once
// The base of the pages of the scope's properties dialog, and what every
// page and the pen and brush dialogs share: enumeration lists, the
// placeholder menu of label edits, the key rules of numeric edits, and the
// widget a dialog of a component is centred on. Main thread only.

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QWidget>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/classlib/ClassBuilder.h"
#include "platform/gui/Application.h"
#include "platform/gui/DialogControls.h"
#include "platform/gui/Forms.h"

class TSLScopePropertiesForm;
class TSLDisplayCollectionItem;
class TSLOptionalDisplayCollectionItem;

// Fills List with the display names of an enumeration's value names (the
// lower-case prefix removed; with Split, a blank before every further
// capital); an item's index is its value.
void SLFillEnumCombo(QComboBox *List, const std::vector<std::string> &ValueNames, bool Split);

// Cleans Edit down to its digits; true when it had to (the edit's change
// then runs again on the clean text).
bool SLCleanDigits(gui::TFilteredEdit *Edit);

// A caption whose mnemonic moves the focus to Buddy.
QLabel *SLLabel(const char *Text, QWidget *Buddy);

// The widget of the nearest form among Owner and its owners (null when none
// has one): dialogs of a component centre on it.
QWidget *SLOwnerWidget(TComponent *Owner);

// A placeholder menu for Edit: each (caption, text) item replaces the
// edit's selection with the text, or inserts it at the caret.
QMenu *SLMakePlaceholderMenu(QWidget *Parent, gui::TFilteredEdit *Edit,
                             const std::vector<std::pair<std::string, std::string>> &Items);
// Shows Menu just below Button's lower-left corner.
void SLPopupBelow(QMenu *Menu, QWidget *Button);

// Handlers of user actions, each run guarded (an exception is shown, not
// passed to Qt): a button's click, a check box's change of state (also from
// code, as the class library's check boxes click), a list's new index.
template <class F> void SLOnClick(QAbstractButton *Button, F Handler) {
  QObject::connect(Button, &QAbstractButton::clicked, Button, [Handler] { gui::Guarded(Handler); });
}
template <class F> void SLOnToggle(QAbstractButton *Box, F Handler) {
  QObject::connect(Box, &QAbstractButton::toggled, Box, [Handler] { gui::Guarded(Handler); });
}
template <class F> void SLOnChange(QComboBox *List, F Handler) {
  QObject::connect(List, &QComboBox::currentIndexChanged, List,
                   [Handler] { gui::Guarded(Handler); });
}
// Names Widget for the tests and the form's code.
template <class T> T *SLNamed(T *Widget, const char *Name) {
  Widget->setObjectName(Name);
  return Widget;
}

class TSLPropertyPageForm : public gui::TForm {
  CLASSLIB_SIMPLE_CLASS(TSLPropertyPageForm, gui::TForm)

public:
  // Owner: the host dialog, whose buttons the page uses.
  explicit TSLPropertyPageForm(TComponent *Owner);

  // Disables Add and Remove; pages that add or remove items override it.
  virtual void PageActivated();
  virtual void AddItem() {}
  virtual void RemoveItem() {}
  // OK becomes the default button again.
  void EnableOK();
  // OK gives up the default role, so Enter and Esc reach the edit.
  void DisableOK();

  TSLScopePropertiesForm *GetHost() const;
  QPushButton *GetAddButton() const;
  QPushButton *GetRemoveButton() const;

protected:
  // The keys of a numeric edit: Enter and Esc give OK its role back (Enter
  // is swallowed), digits take it away, control characters pass, every
  // other character is swallowed.
  void NumericEditKeyPress(char &Key);
  // The keys of a label edit: Enter (swallowed) and Esc give OK its role
  // back; Esc also selects the whole text.
  void LabelEditKeyPress(gui::TFilteredEdit *Edit, char &Key);
  // The name edit of an item listed in List: leaving it or Enter (swallowed)
  // stores its text as Item's name and as Item's entry in List; Esc puts the
  // stored name back, selected, with Updating set meanwhile so the edit's
  // change is no typing. Either gives OK its role back. No item: only that.
  void StoreItemName(TSLDisplayCollectionItem *Item, gui::TFilteredEdit *Edit, QListWidget *List);
  void ItemNameKeyPress(TSLDisplayCollectionItem *Item, gui::TFilteredEdit *Edit, QListWidget *List,
                        bool &Updating, char &Key);
  // Visibility shown twice: the tick of entry Index in List (Item: that
  // entry's item, null when none) and the page's Visible box, which mirrors
  // the selected entry. Either stores Visible and updates the other.
  void ListTickToItem(TSLOptionalDisplayCollectionItem *Item, gui::TCheckList *List, int32_t Index,
                      QCheckBox *Box);
  void VisibleBoxToItem(TSLOptionalDisplayCollectionItem *Item, gui::TCheckList *List,
                        QCheckBox *Box);
  // Enables or disables every child widget of the page.
  void SetChildrenEnabled(bool Enabled);
};
