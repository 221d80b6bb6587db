#include "scope/SLScopeCursorLinksForm.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/classlib/ClassBuilder.h"
#include "platform/gui/Application.h"
#include "scope/SLCursorLinks.h"
#include "scope/SLCursors.h"
#include "scope/SLPenBrushForms.h"
#include "scope/SLScopeControl.h"

TSLScopeCursorLinksForm::TSLScopeCursorLinksForm(TComponent *Owner, TSLScope *Scope, int32_t Item)
    : TSLPropertyPageForm(Owner), FScope(Scope) {
  QWidget *page = Widget();
  page->setObjectName("SLScopeCursorLinksForm");
  SetCaption("Cursor Links");

  CursorLinksListBox = SLNamed(new QListWidget(page), "CursorLinksListBox");
  NameEdit = SLNamed(new gui::TFilteredEdit(page), "NameEdit");
  BeginCursorComboBox = SLNamed(new QComboBox(page), "BeginCursorComboBox");
  EndCursorComboBox = SLNamed(new QComboBox(page), "EndCursorComboBox");
  MeasurementGroupBox = SLNamed(new QGroupBox(" Measurment ", page), "MeasurementGroupBox");
  QGroupBox *m = MeasurementGroupBox;
  MeasurementVisibleCheckBox = SLNamed(new QCheckBox("&Visible", m), "MeasurementVisibleCheckBox");
  MeasurementModeComboBox = SLNamed(new QComboBox(m), "MeasurementModeComboBox");
  MeasurementStyleComboBox = SLNamed(new QComboBox(m), "MeasurementStyleComboBox");
  BitBtn1 = gui::MakeButton("&Color...", "BitBtn1", m);
  MeasurementColorPaintBox = SLNamed(new gui::TColorSwatch(m), "MeasurementColorPaintBox");
  LabelGroupBox = SLNamed(new QGroupBox(" Label ", m), "LabelGroupBox");
  QGroupBox *l = LabelGroupBox;
  LabelVisibleCheckBox = SLNamed(new QCheckBox("&Visible", l), "LabelVisibleCheckBox");
  LabelEdit = SLNamed(new gui::TFilteredEdit(l), "LabelEdit");
  BitBtn3 = gui::MakeButton("&Font...", "BitBtn3", l);
  SpeedButton = SLNamed(new QToolButton(l), "SpeedButton");
  SpeedButton->setText("...");
  // "Value" stands for the measured value; "%" for a percent sign itself.
  PopupMenu = SLMakePlaceholderMenu(page, LabelEdit, {{"Value", "%V"}, {"%", "%%"}});
  SelectionGroupBox = SLNamed(new QGroupBox(" Selection ", page), "SelectionGroupBox");
  SelectionVisibleCheckBox =
      SLNamed(new QCheckBox("&Visible", SelectionGroupBox), "SelectionVisibleCheckBox");
  PointBrushButton = gui::MakeButton("&Brush...", "PointBrushButton", SelectionGroupBox);

  auto *grid = new QGridLayout;
  int row = 0;
  grid->addWidget(SLLabel("&Name", NameEdit), row, 0);
  grid->addWidget(NameEdit, row++, 1);
  grid->addWidget(SLLabel("Be&gin Cursor", BeginCursorComboBox), row, 0);
  grid->addWidget(BeginCursorComboBox, row++, 1);
  grid->addWidget(SLLabel("&End Cursor", EndCursorComboBox), row, 0);
  grid->addWidget(EndCursorComboBox, row++, 1);
  auto *label = new QGridLayout(l);
  label->addWidget(LabelVisibleCheckBox, 0, 0, 1, 3);
  label->addWidget(SLLabel("&Label", LabelEdit), 1, 0);
  label->addWidget(LabelEdit, 1, 1);
  label->addWidget(SpeedButton, 1, 2);
  label->addWidget(BitBtn3, 2, 1);
  auto *measurement = new QGridLayout(m);
  measurement->addWidget(MeasurementVisibleCheckBox, 0, 0, 1, 3);
  measurement->addWidget(SLLabel("&Mode", MeasurementModeComboBox), 1, 0);
  measurement->addWidget(MeasurementModeComboBox, 1, 1, 1, 2);
  measurement->addWidget(SLLabel("&Style", MeasurementStyleComboBox), 2, 0);
  measurement->addWidget(MeasurementStyleComboBox, 2, 1, 1, 2);
  measurement->addWidget(MeasurementColorPaintBox, 3, 1);
  measurement->addWidget(BitBtn1, 3, 2);
  measurement->addWidget(l, 4, 0, 1, 3);
  grid->addWidget(m, row++, 0, 1, 2);
  auto *selection = new QHBoxLayout(SelectionGroupBox);
  selection->addWidget(SelectionVisibleCheckBox);
  selection->addWidget(PointBrushButton);
  grid->addWidget(SelectionGroupBox, row++, 0, 1, 2);
  grid->setRowStretch(row, 1);

  auto *layout = new QHBoxLayout(page);
  layout->addWidget(CursorLinksListBox, 1);
  layout->addLayout(grid, 2);

  SLFillEnumCombo(MeasurementModeComboBox, SLPenModeNames(), false);
  SLFillEnumCombo(MeasurementStyleComboBox, SLPenStyleNames(), false);

  CursorLinksListBox->setCurrentRow(-1);
  CursorLinksListBox->clear();
  SetEnabledState();
  TSLDisplayCursorLinks *links = FScope->GetCursorLinks();
  for (int32_t i = 0; i < links->Count(); ++i)
    CursorLinksListBox->addItem(QString::fromStdString(links->GetItem(i)->GetName()));
  FillCursorLists();

  QObject::connect(CursorLinksListBox, &QListWidget::currentRowChanged, page,
                   [this](int) { gui::Guarded([this] { CursorLinksListBoxClick(); }); });
  NameEdit->OnChange = [this] { NameEditChange(); };
  NameEdit->OnKeyPress = [this](char &Key) { NameEditKeyPress(Key); };
  NameEdit->OnExit = [this] { NameEditExit(); };
  SLOnChange(BeginCursorComboBox, [this] { BeginCursorComboBoxChange(); });
  SLOnChange(EndCursorComboBox, [this] { EndCursorComboBoxChange(); });
  SLOnToggle(MeasurementVisibleCheckBox, [this] { MeasurementVisibleCheckBoxClick(); });
  SLOnChange(MeasurementModeComboBox, [this] { MeasurementModeComboBoxChange(); });
  SLOnChange(MeasurementStyleComboBox, [this] { MeasurementStyleComboBoxChange(); });
  SLOnClick(BitBtn1, [this] { BitBtn1Click(); });
  SLOnToggle(LabelVisibleCheckBox, [this] { LabelVisibleCheckBoxClick(); });
  LabelEdit->OnChange = [this] { LabelEditChange(); };
  LabelEdit->OnKeyPress = [this](char &Key) { LabelEditKeyPress(Key); };
  LabelEdit->OnExit = [this] { EnableOK(); };
  SLOnClick(BitBtn3, [this] { BitBtn3Click(); });
  SLOnClick(SpeedButton, [this] { SpeedButtonClick(); });
  SLOnToggle(SelectionVisibleCheckBox, [this] { SelectionVisibleCheckBoxClick(); });
  SLOnClick(PointBrushButton, [this] { PointBrushButtonClick(); });

  CursorLinksListBox->setCurrentRow(Item >= 0 && Item < CursorLinksListBox->count() ? Item : -1);
  CursorLinksListBoxClick();
}

TSLDisplayCursorLink *TSLScopeCursorLinksForm::Selected() const {
  const int32_t index = CursorLinksListBox->currentRow();
  TSLDisplayCursorLinks *links = FScope->GetCursorLinks();
  return index >= 0 && index < links->Count() ? links->GetItem(index) : nullptr;
}

void TSLScopeCursorLinksForm::SetEnabledState() {
  SetChildrenEnabled(FScope->GetCursorLinks()->Count() > 0);
}

void TSLScopeCursorLinksForm::FillCursorLists() {
  FFilling = true;
  BeginCursorComboBox->clear();
  EndCursorComboBox->clear();
  TSLDisplayCursors *cursors = FScope->GetCursors();
  for (int32_t i = 0; i < cursors->Count(); ++i) {
    const QString name = QString::fromStdString(cursors->GetItem(i)->GetName());
    BeginCursorComboBox->addItem(name);
    EndCursorComboBox->addItem(name);
  }
  FFilling = false;
}

void TSLScopeCursorLinksForm::CursorLinksListBoxClick() {
  TSLDisplayCursorLink *link = Selected();
  if (!link) {
    if (GetRemoveButton())
      GetRemoveButton()->setEnabled(false);
    return;
  }
  TSLScopeMeasurementLine *line = link->GetMeasurementLine();
  FUpdating = true;
  NameEdit->SetText(link->GetName());
  MeasurementVisibleCheckBox->setChecked(line->GetVisible());
  SelectionVisibleCheckBox->setChecked(link->GetSelection()->GetVisible());
  LabelVisibleCheckBox->setChecked(line->GetMeasurementLabel()->GetVisible());
  MeasurementModeComboBox->setCurrentIndex(line->GetMode());
  MeasurementStyleComboBox->setCurrentIndex(line->GetStyle());
  MeasurementColorPaintBox->SetColor(line->GetColor());
  LabelEdit->SetText(line->GetMeasurementLabel()->GetText());
  FFilling = true;
  BeginCursorComboBox->setCurrentIndex(link->GetBeginCursorIndex());
  EndCursorComboBox->setCurrentIndex(link->GetEndCursorIndex());
  FFilling = false;
  FUpdating = false;
  if (GetRemoveButton())
    GetRemoveButton()->setEnabled(link->GetVC_IsDynamic());
}

void TSLScopeCursorLinksForm::PageActivated() {
  FillCursorLists();
  if (GetAddButton())
    GetAddButton()->setEnabled(FScope->GetCursors()->Count() >= 2);
  CursorLinksListBoxClick();
}

void TSLScopeCursorLinksForm::AddItem() {
  // A link joins two cursors; the button is off without them, and a call
  // from elsewhere must not make a link with nothing to join.
  if (FScope->GetCursors()->Count() < 2)
    return;
  TSLDisplayCursorLink *link = FScope->GetCursorLinks()->Add();
  CursorLinksListBox->addItem(QString::fromStdString(link->GetName()));
  link->SetIsDynamic(true);
  SetEnabledState();
  CursorLinksListBox->setCurrentRow(CursorLinksListBox->count() - 1);
  CursorLinksListBoxClick();
}

void TSLScopeCursorLinksForm::RemoveItem() {
  TSLDisplayCursorLink *link = Selected();
  if (!link || !link->GetVC_IsDynamic())
    return;
  const int32_t index = CursorLinksListBox->currentRow();
  const QSignalBlocker quiet(CursorLinksListBox);
  FScope->GetCursorLinks()->Delete(index);
  delete CursorLinksListBox->takeItem(index);
  CursorLinksListBox->setCurrentRow(std::min(index, CursorLinksListBox->count() - 1));
  SetEnabledState();
  CursorLinksListBoxClick();
}

void TSLScopeCursorLinksForm::NameEditChange() {
  if (!FUpdating)
    DisableOK();
}

void TSLScopeCursorLinksForm::NameEditKeyPress(char &Key) {
  ItemNameKeyPress(Selected(), NameEdit, CursorLinksListBox, FUpdating, Key);
}

void TSLScopeCursorLinksForm::NameEditExit() {
  StoreItemName(Selected(), NameEdit, CursorLinksListBox);
}

void TSLScopeCursorLinksForm::BeginCursorComboBoxChange() {
  TSLDisplayCursorLink *link = Selected();
  if (FFilling || !link || BeginCursorComboBox->currentIndex() < 0)
    return;
  link->SetBeginCursorIndex(BeginCursorComboBox->currentIndex());
  CursorLinksListBoxClick();
}

void TSLScopeCursorLinksForm::EndCursorComboBoxChange() {
  TSLDisplayCursorLink *link = Selected();
  if (FFilling || !link || EndCursorComboBox->currentIndex() < 0)
    return;
  link->SetEndCursorIndex(EndCursorComboBox->currentIndex());
  CursorLinksListBoxClick();
}

// The check boxes and lists below store even while loading: they store the
// value they were loaded from.
void TSLScopeCursorLinksForm::MeasurementVisibleCheckBoxClick() {
  if (TSLDisplayCursorLink *link = Selected())
    link->GetMeasurementLine()->SetVisible(MeasurementVisibleCheckBox->isChecked());
}

void TSLScopeCursorLinksForm::MeasurementModeComboBoxChange() {
  TSLDisplayCursorLink *link = Selected();
  if (link && MeasurementModeComboBox->currentIndex() >= 0)
    link->GetMeasurementLine()->SetMode(
        static_cast<TPenMode>(MeasurementModeComboBox->currentIndex()));
}

void TSLScopeCursorLinksForm::MeasurementStyleComboBoxChange() {
  TSLDisplayCursorLink *link = Selected();
  if (link && MeasurementStyleComboBox->currentIndex() >= 0)
    link->GetMeasurementLine()->SetStyle(
        static_cast<TPenStyle>(MeasurementStyleComboBox->currentIndex()));
}

void TSLScopeCursorLinksForm::BitBtn1Click() {
  TSLDisplayCursorLink *link = Selected();
  if (!link)
    return;
  ColorDialog.Color = link->GetMeasurementLine()->GetColor();
  if (!ColorDialog.Execute())
    return;
  link->GetMeasurementLine()->SetColor(ColorDialog.Color);
  MeasurementColorPaintBox->SetColor(ColorDialog.Color);
}

void TSLScopeCursorLinksForm::LabelVisibleCheckBoxClick() {
  if (TSLDisplayCursorLink *link = Selected())
    link->GetMeasurementLine()->GetMeasurementLabel()->SetVisible(
        LabelVisibleCheckBox->isChecked());
}

void TSLScopeCursorLinksForm::LabelEditChange() {
  TSLDisplayCursorLink *link = Selected();
  if (FUpdating || !link)
    return;
  DisableOK();
  link->GetMeasurementLine()->GetMeasurementLabel()->SetText(LabelEdit->Text());
}

void TSLScopeCursorLinksForm::LabelEditKeyPress(char &Key) {
  TSLPropertyPageForm::LabelEditKeyPress(LabelEdit, Key);
}

void TSLScopeCursorLinksForm::BitBtn3Click() {
  TSLDisplayCursorLink *link = Selected();
  if (!link)
    return;
  TSLMeasurementLabel *label = link->GetMeasurementLine()->GetMeasurementLabel();
  TFont font;
  font.Assign(label->GetFont());
  if (gui::ExecuteFontDialog(font))
    label->SetFont(&font);
}

void TSLScopeCursorLinksForm::SpeedButtonClick() { SLPopupBelow(PopupMenu, SpeedButton); }

void TSLScopeCursorLinksForm::SelectionVisibleCheckBoxClick() {
  if (TSLDisplayCursorLink *link = Selected())
    link->GetSelection()->SetVisible(SelectionVisibleCheckBox->isChecked());
}

void TSLScopeCursorLinksForm::PointBrushButtonClick() {
  TSLDisplayCursorLink *link = Selected();
  if (!link)
    return;
  TOwnedPtr<TSLBrushForm> form{
      CreateObject<TSLBrushForm>(Owner(), link->GetSelection()->GetBrush())};
  form->ShowModal();
}
