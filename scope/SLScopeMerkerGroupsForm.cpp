#include "scope/SLScopeMerkerGroupsForm.h"

#include <QGridLayout>
#include <QHBoxLayout>

#include "platform/classlib/ClassBuilder.h"
#include "platform/gui/Application.h"
#include "scope/SLMarkerShape.h"
#include "scope/SLMarkers.h"
#include "scope/SLPenBrushForms.h"
#include "scope/SLScopeControl.h"

TSLScopeMerkerGroupsForm::TSLScopeMerkerGroupsForm(TComponent *Owner, TSLScope *Scope, int32_t Item)
    : TSLPropertyPageForm(Owner), FScope(Scope) {
  QWidget *page = Widget();
  page->setObjectName("SLScopeMerkerGroupsForm");
  SetCaption("Marker Groups");

  GroupListBox = SLNamed(new gui::TCheckList(true, page), "GroupListBox");
  NameEdit = SLNamed(new gui::TFilteredEdit(page), "NameEdit");
  ShapeComboBox = SLNamed(new QComboBox(page), "ShapeComboBox");
  SizeEdit = SLNamed(new gui::TFilteredEdit(page), "SizeEdit");
  WidthUpDown = SLNamed(new gui::TUpDown(SizeEdit, 1, 500, page), "WidthUpDown");
  VisibleCheckBox = SLNamed(new QCheckBox("&Visible", page), "VisibleCheckBox");
  PointPenButton = gui::MakeButton("&Pen...", "PointPenButton", page);
  PointBrushButton = gui::MakeButton("&Brush...", "PointBrushButton", page);
  LabelsGroupBox = SLNamed(new QGroupBox(" Labels ", page), "LabelsGroupBox");
  LabelVisibleCheckBox = SLNamed(new QCheckBox("&Visible", LabelsGroupBox), "LabelVisibleCheckBox");
  LabelEdit = SLNamed(new gui::TFilteredEdit(LabelsGroupBox), "LabelEdit");
  SpeedButton = SLNamed(new QToolButton(LabelsGroupBox), "SpeedButton");
  SpeedButton->setText("...");
  PopupMenu =
      SLMakePlaceholderMenu(page, LabelEdit, {{"X Axis", "%X"}, {"Y Axis", "%Y"}, {"%", "%%"}});

  auto *grid = new QGridLayout;
  int row = 0;
  grid->addWidget(SLLabel("&Name", NameEdit), row, 0);
  grid->addWidget(NameEdit, row++, 1, 1, 2);
  grid->addWidget(SLLabel("&Shape", ShapeComboBox), row, 0);
  grid->addWidget(ShapeComboBox, row++, 1, 1, 2);
  auto *sizeRow = new QHBoxLayout;
  sizeRow->addWidget(SizeEdit, 1);
  sizeRow->addWidget(WidthUpDown);
  grid->addWidget(SLLabel("Si&ze", SizeEdit), row, 0);
  grid->addLayout(sizeRow, row++, 1, 1, 2);
  grid->addWidget(VisibleCheckBox, row++, 1);
  grid->addWidget(PointPenButton, row, 1);
  grid->addWidget(PointBrushButton, row++, 2);
  auto *labels = new QGridLayout(LabelsGroupBox);
  labels->addWidget(LabelVisibleCheckBox, 0, 0, 1, 2);
  labels->addWidget(LabelEdit, 1, 0);
  labels->addWidget(SpeedButton, 1, 1);
  grid->addWidget(LabelsGroupBox, row++, 0, 1, 3);
  grid->setRowStretch(row, 1);

  auto *layout = new QHBoxLayout(page);
  layout->addWidget(GroupListBox, 1);
  layout->addLayout(grid, 2);

  SLFillEnumCombo(ShapeComboBox, SLDisplayMarkerShapeNames(), true);

  GroupListBox->BeginFill();
  GroupListBox->SetItemIndex(-1);
  GroupListBox->clear();
  TSLScopeMarkerGroups *groups = FScope->GetMarkerGroups();
  // Nothing to edit: every control stays off for the dialog's lifetime.
  if (groups->Count() == 0)
    SetChildrenEnabled(false);
  for (int32_t i = 0; i < groups->Count(); ++i)
    GroupListBox->AddItem(groups->GetItem(i)->GetName(), groups->GetItem(i)->GetVisible());
  GroupListBox->EndFill();

  GroupListBox->OnClick = [this] { GroupListBoxClick(); };
  GroupListBox->OnClickCheck = [this](int32_t Index) { GroupListBoxClickCheck(Index); };
  NameEdit->OnChange = [this] { NameEditChange(); };
  NameEdit->OnKeyPress = [this](char &Key) { NameEditKeyPress(Key); };
  NameEdit->OnExit = [this] { NameEditExit(); };
  SLOnChange(ShapeComboBox, [this] { ShapeComboBoxChange(); });
  SizeEdit->OnChange = [this] { SizeEditChange(); };
  SizeEdit->OnKeyPress = [this](char &Key) { NumericEditKeyPress(Key); };
  SizeEdit->OnExit = [this] { EnableOK(); };
  SLOnToggle(VisibleCheckBox, [this] { VisibleCheckBoxClick(); });
  SLOnClick(PointPenButton, [this] { PointPenButtonClick(); });
  SLOnClick(PointBrushButton, [this] { PointBrushButtonClick(); });
  SLOnToggle(LabelVisibleCheckBox, [this] { LabelVisibleCheckBoxClick(); });
  LabelEdit->OnChange = [this] { LabelEditChange(); };
  LabelEdit->OnKeyPress = [this](char &Key) { LabelEditKeyPress(Key); };
  LabelEdit->OnExit = [this] { EnableOK(); };
  SLOnClick(SpeedButton, [this] { SpeedButtonClick(); });

  GroupListBox->SetItemIndex(Item);
  GroupListBoxClick();
}

TSLScopeMarkerGroup *TSLScopeMerkerGroupsForm::Selected() const {
  const int32_t index = GroupListBox->ItemIndex();
  TSLScopeMarkerGroups *groups = FScope->GetMarkerGroups();
  return index >= 0 && index < groups->Count() ? groups->GetItem(index) : nullptr;
}

void TSLScopeMerkerGroupsForm::GroupListBoxClick() {
  TSLScopeMarkerGroup *group = Selected();
  if (!group)
    return;
  FUpdating = true;
  NameEdit->SetText(group->GetName());
  ShapeComboBox->setCurrentIndex(group->GetShape());
  VisibleCheckBox->setChecked(group->GetVisible());
  WidthUpDown->SetPosition(static_cast<int32_t>(group->GetSize()));
  LabelVisibleCheckBox->setChecked(group->GetLabels()->GetVisible());
  LabelEdit->SetText(group->GetLabels()->GetText());
  FUpdating = false;
}

void TSLScopeMerkerGroupsForm::GroupListBoxClickCheck(int32_t Index) {
  auto *groups = FScope->GetMarkerGroups();
  ListTickToItem(Index >= 0 && Index < groups->Count() ? groups->GetItem(Index) : nullptr,
                 GroupListBox, Index, VisibleCheckBox);
}

void TSLScopeMerkerGroupsForm::NameEditChange() {
  if (!FUpdating)
    DisableOK();
}

void TSLScopeMerkerGroupsForm::NameEditKeyPress(char &Key) {
  ItemNameKeyPress(Selected(), NameEdit, GroupListBox, FUpdating, Key);
}

void TSLScopeMerkerGroupsForm::NameEditExit() { StoreItemName(Selected(), NameEdit, GroupListBox); }

void TSLScopeMerkerGroupsForm::ShapeComboBoxChange() {
  TSLScopeMarkerGroup *group = Selected();
  if (FUpdating || !group || ShapeComboBox->currentIndex() < 0)
    return;
  group->SetShape(static_cast<TSLDisplayMarkerShape>(ShapeComboBox->currentIndex()));
}

void TSLScopeMerkerGroupsForm::SizeEditChange() {
  if (FUpdating || SLCleanDigits(SizeEdit))
    return;
  DisableOK();
  if (TSLScopeMarkerGroup *group = Selected())
    group->SetSize(static_cast<uint32_t>(gui::DigitsToInt(SizeEdit->Text(), 1)));
}

void TSLScopeMerkerGroupsForm::VisibleCheckBoxClick() {
  VisibleBoxToItem(Selected(), GroupListBox, VisibleCheckBox);
}

void TSLScopeMerkerGroupsForm::PointPenButtonClick() {
  TSLScopeMarkerGroup *group = Selected();
  if (!group)
    return;
  TOwnedPtr<TSLPenForm> form{CreateObject<TSLPenForm>(Owner(), group->GetPen())};
  form->OnClick.Fn = [this](TObject *) { GroupListBoxClick(); };
  if (form->ShowModal() == mrOk)
    GroupListBoxClick();
}

void TSLScopeMerkerGroupsForm::PointBrushButtonClick() {
  TSLScopeMarkerGroup *group = Selected();
  if (!group)
    return;
  TOwnedPtr<TSLBrushForm> form{CreateObject<TSLBrushForm>(Owner(), group->GetBrush())};
  form->OnClick.Fn = [this](TObject *) { GroupListBoxClick(); };
  if (form->ShowModal() == mrOk)
    GroupListBoxClick();
}

void TSLScopeMerkerGroupsForm::LabelVisibleCheckBoxClick() {
  TSLScopeMarkerGroup *group = Selected();
  if (FUpdating || !group)
    return;
  group->GetLabels()->SetVisible(LabelVisibleCheckBox->isChecked());
}

void TSLScopeMerkerGroupsForm::LabelEditChange() {
  TSLScopeMarkerGroup *group = Selected();
  if (FUpdating || !group)
    return;
  DisableOK();
  group->GetLabels()->SetText(LabelEdit->Text());
}

void TSLScopeMerkerGroupsForm::LabelEditKeyPress(char &Key) {
  TSLPropertyPageForm::LabelEditKeyPress(LabelEdit, Key);
}

void TSLScopeMerkerGroupsForm::SpeedButtonClick() { SLPopupBelow(PopupMenu, SpeedButton); }
