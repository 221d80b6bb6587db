#pragma once
// The scope's "Settings" dialog: one page per collection (channels, marker
// groups, cursors, cursor links) in a tab control, with Add and Remove for
// the pages that add and remove items and one OK button that is both the
// default and the cancel button. Every edit goes to the scope at once, so
// closing keeps every change. Main thread only.

#include <QPushButton>
#include <QTabWidget>
#include <cstdint>
#include <vector>

#include "platform/classlib/ClassBuilder.h"
#include "platform/gui/DialogControls.h"
#include "platform/gui/Forms.h"

class TSLScope;
class TSLPropertyPageForm;

enum TSLScopePropertiesStartPage { spspChannels, spspMarkerGroups, spspCursors, spspCursorLinks };

class TSLScopePropertiesForm : public gui::TForm {
  CLASSLIB_SIMPLE_CLASS(TSLScopePropertiesForm, gui::TForm)

public:
  // Owned by Scope; opens on StartPage with the item Item selected there
  // (the other pages select their first item). A start page outside the
  // four opens the channels page.
  TSLScopePropertiesForm(TSLScope *Scope, TSLScopePropertiesStartPage StartPage, int32_t Item);
  ~TSLScopePropertiesForm() override;

  // Adds a page: a tab named by its caption; the dialog grows to fit it and
  // never shrinks.
  void AddForm(TSLPropertyPageForm *Form);

  void PageControlChange();
  void AddButtonClick();
  void RemoveButtonClick();
  // Esc while an edit is being typed in (OK is not the default button):
  // taken from the cancel button and handed to the edit's key handler.
  void FormShortCut(char Key, bool &Handled);

  void EnableOK();
  void DisableOK();
  bool OkIsDefault() const;

  gui::TToolDialog *Dialog() const;
  QTabWidget *GetPageControl() const { return FPageControl; }
  // kept: public member of the form
  QPushButton *GetOkButton() const { return FOkButton; }
  QPushButton *GetAddButton() const { return FAddButton; }
  QPushButton *GetRemoveButton() const { return FRemoveButton; }
  int32_t PageCount() const { return static_cast<int32_t>(FPages.size()); }
  TSLPropertyPageForm *GetPage(int32_t Index) const;
  TSLPropertyPageForm *ActivePage() const;

private:
  TSLScope *FScope;
  QTabWidget *FPageControl = nullptr;
  QPushButton *FOkButton = nullptr;
  QPushButton *FAddButton = nullptr;
  QPushButton *FRemoveButton = nullptr;
  std::vector<TSLPropertyPageForm *> FPages;
};
