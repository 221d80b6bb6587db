#pragma once
// The "Cursors" page of the scope's properties dialog: name, kind,
// visibility and colour of each cursor, the channels it is linked to, and
// the editor of the link to the selected channel. Cursors added here can be
// removed again; those the scope was designed with cannot. Main thread only.

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>

#include "platform/gui/ColorFontDialogs.h"
#include "scope/SLPropertyPageForm.h"

class TSLScope;
class TSLDisplayCursor;
class TSLDisplayChannelLink;
class TSLScopeChannelLinkForm;

class TSLScopeCursorsForm : public TSLPropertyPageForm {
  CLASSLIB_SIMPLE_CLASS(TSLScopeCursorsForm, TSLPropertyPageForm)

public:
  // Owner: the host dialog; Item: the cursor selected first (none when out
  // of range).
  TSLScopeCursorsForm(TComponent *Owner, TSLScope *Scope, int32_t Item);

  // Enables Add; Remove follows the selected cursor.
  void PageActivated() override;
  void AddItem() override;
  void RemoveItem() override;
  // The page's controls are usable only while there are cursors.
  void SetEnabledState();
  // The link of the selected cursor to the selected, ticked channel, or null.
  TSLDisplayChannelLink *GetSelectedChannel() const;
  // Shows the link of GetSelectedChannel in the embedded editor, or frees
  // the editor when there is none.
  void RefreshLinkData();
  // Ticks the channels the selected cursor is linked to.
  void RfreshChannelsList();
  void FormEditEnter() { DisableOK(); }
  void FormEditExit() { EnableOK(); }

  // Loads the selected cursor's values into the controls.
  void CursorListBoxClick();
  void CursorListBoxClickCheck(int32_t Index);
  void NameEditChange();
  void NameEditKeyPress(char &Key);
  void NameEditExit();
  void KindComboBoxChange();
  void VisibleCheckBoxClick();
  void PointColorButtonClick();
  void ChannelsListBoxClickCheck(int32_t Index);

  TSLScopeChannelLinkForm *LinkForm() const { return FLinkForm; }

  QWidget *HostPanel;
  gui::TCheckList *CursorListBox;
  gui::TFilteredEdit *NameEdit;
  QComboBox *KindComboBox;
  QCheckBox *VisibleCheckBox;
  QPushButton *PointColorButton;
  gui::TColorSwatch *ColorPaintBox;
  QGroupBox *ChannelsGroupBox;
  gui::TCheckList *ChannelsListBox;
  gui::TColorDialog ColorDialog;

private:
  // The selected cursor, or null.
  TSLDisplayCursor *Selected() const;

  TSLScope *FScope;
  TSLScopeChannelLinkForm *FLinkForm = nullptr;
  bool FUpdating = false;
};
