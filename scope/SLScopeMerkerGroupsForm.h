#pragma once
// The "Marker Groups" page of the scope's properties dialog: name, shape,
// size, visibility, pen, brush and label of each marker group. Groups are
// neither added nor removed here. Main thread only.

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QMenu>
#include <QToolButton>

#include "scope/SLPropertyPageForm.h"

class TSLScope;
class TSLScopeMarkerGroup;

class TSLScopeMerkerGroupsForm : public TSLPropertyPageForm {
  CLASSLIB_SIMPLE_CLASS(TSLScopeMerkerGroupsForm, TSLPropertyPageForm)

public:
  // Owner: the host dialog; Item: the group selected first (none when out
  // of range).
  TSLScopeMerkerGroupsForm(TComponent *Owner, TSLScope *Scope, int32_t Item);

  // Loads the selected group's values into the controls.
  void GroupListBoxClick();
  void GroupListBoxClickCheck(int32_t Index);
  void NameEditChange();
  void NameEditKeyPress(char &Key);
  void NameEditExit();
  void ShapeComboBoxChange();
  void SizeEditChange();
  void VisibleCheckBoxClick();
  void PointPenButtonClick();
  void PointBrushButtonClick();
  void LabelVisibleCheckBoxClick();
  void LabelEditChange();
  void LabelEditKeyPress(char &Key);
  void SpeedButtonClick();

  gui::TCheckList *GroupListBox;
  gui::TFilteredEdit *NameEdit;
  QComboBox *ShapeComboBox;
  gui::TFilteredEdit *SizeEdit;
  gui::TUpDown *WidthUpDown;
  QCheckBox *VisibleCheckBox;
  QPushButton *PointPenButton;
  QPushButton *PointBrushButton;
  QGroupBox *LabelsGroupBox;
  QCheckBox *LabelVisibleCheckBox;
  gui::TFilteredEdit *LabelEdit;
  QToolButton *SpeedButton;
  QMenu *PopupMenu;

private:
  // The selected group, or null.
  TSLScopeMarkerGroup *Selected() const;

  TSLScope *FScope;
  bool FUpdating = false;
};
