#pragma once
// The "Cursor Links" page of the scope's properties dialog: which two
// cursors a link joins, its measurement line with its label, and its
// selection band. Links added here can be removed again; those the scope was
// designed with cannot. Main thread only.

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QListWidget>
#include <QMenu>
#include <QToolButton>

#include "platform/gui/ColorFontDialogs.h"
#include "scope/SLPropertyPageForm.h"

class TSLScope;
class TSLDisplayCursorLink;

class TSLScopeCursorLinksForm : public TSLPropertyPageForm {
  CLASSLIB_SIMPLE_CLASS(TSLScopeCursorLinksForm, TSLPropertyPageForm)

public:
  // Owner: the host dialog; Item: the link selected first (none when out of
  // range).
  TSLScopeCursorLinksForm(TComponent *Owner, TSLScope *Scope, int32_t Item);

  // Refills the cursor lists (cursors may have changed on the cursors
  // page); Add needs two cursors to join.
  void PageActivated() override;
  void AddItem() override;
  void RemoveItem() override;
  // The page's controls are usable only while there are links.
  void SetEnabledState();

  // Loads the selected link's values into the controls.
  void CursorLinksListBoxClick();
  void NameEditChange();
  void NameEditKeyPress(char &Key);
  void NameEditExit();
  void BeginCursorComboBoxChange();
  void EndCursorComboBoxChange();
  void MeasurementVisibleCheckBoxClick();
  void MeasurementModeComboBoxChange();
  void MeasurementStyleComboBoxChange();
  void BitBtn1Click();
  void LabelVisibleCheckBoxClick();
  void LabelEditChange();
  void LabelEditKeyPress(char &Key);
  void BitBtn3Click();
  void SpeedButtonClick();
  void SelectionVisibleCheckBoxClick();
  void PointBrushButtonClick();

  QListWidget *CursorLinksListBox;
  gui::TFilteredEdit *NameEdit;
  QComboBox *BeginCursorComboBox;
  QComboBox *EndCursorComboBox;
  QGroupBox *MeasurementGroupBox;
  QCheckBox *MeasurementVisibleCheckBox;
  QComboBox *MeasurementModeComboBox;
  QComboBox *MeasurementStyleComboBox;
  QPushButton *BitBtn1;
  gui::TColorSwatch *MeasurementColorPaintBox;
  QGroupBox *LabelGroupBox;
  QCheckBox *LabelVisibleCheckBox;
  gui::TFilteredEdit *LabelEdit;
  QPushButton *BitBtn3;
  QToolButton *SpeedButton;
  QMenu *PopupMenu;
  QGroupBox *SelectionGroupBox;
  QCheckBox *SelectionVisibleCheckBox;
  QPushButton *PointBrushButton;
  gui::TColorDialog ColorDialog;

private:
  // The selected link, or null.
  TSLDisplayCursorLink *Selected() const;
  void FillCursorLists();

  TSLScope *FScope;
  bool FUpdating = false;
  // The cursor lists are being refilled: their changes are no choice.
  bool FFilling = false;
};
