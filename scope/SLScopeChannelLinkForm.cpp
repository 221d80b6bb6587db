#include "scope/SLScopeChannelLinkForm.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "platform/gui/Application.h"
#include "platform/gui/ColorFontDialogs.h"
#include "scope/SLChannelLinks.h"
#include "scope/SLMarkerShape.h"
#include "scope/SLPenBrushForms.h"
#include "scope/SLPropertyPageForm.h"

TSLScopeChannelLinkForm::TSLScopeChannelLinkForm(TComponent *Owner, TSLDisplayChannelLink *Link)
    : gui::TForm(Owner, new QWidget), FLink(Link) {
  QWidget *form = Widget();
  form->setObjectName("SLScopeChannelLinkForm");
  GroupBox = SLNamed(new QGroupBox(" Channel Link ", form), "GroupBox");
  PageControl = SLNamed(new QTabWidget(GroupBox), "PageControl");
  auto *pointSheet = new QWidget;
  auto *labelSheet = new QWidget;
  PageControl->addTab(pointSheet, "Point");
  PageControl->addTab(labelSheet, "Label");

  UseChannelCheckBox =
      SLNamed(new QCheckBox("&Use Channel Color", pointSheet), "UseChannelCheckBox");
  PointsSizeEdit = SLNamed(new gui::TFilteredEdit(pointSheet), "PointsSizeEdit");
  PointSizeUpDown =
      SLNamed(new gui::TUpDown(PointsSizeEdit, 1, 500, pointSheet), "PointSizeUpDown");
  ShapeComboBox = SLNamed(new QComboBox(pointSheet), "ShapeComboBox");
  PointPenButton = gui::MakeButton("&Pen...", "PointPenButton", pointSheet);
  PointBrushButton = gui::MakeButton("&Brush...", "PointBrushButton", pointSheet);
  LabelVisibleCheckBox = SLNamed(new QCheckBox("&Visible", labelSheet), "LabelVisibleCheckBox");
  LabelEdit = SLNamed(new gui::TFilteredEdit(labelSheet), "LabelEdit");
  BitBtn2 = gui::MakeButton("&Font...", "BitBtn2", labelSheet);
  SpeedButton = SLNamed(new QToolButton(labelSheet), "SpeedButton");
  SpeedButton->setText("...");
  PopupMenu = SLMakePlaceholderMenu(
      form, LabelEdit, {{"X Axis", "%X"}, {"Y Axis", "%Y"}, {"Default", "%D"}, {"%", "%%"}});

  auto *point = new QGridLayout(pointSheet);
  point->addWidget(UseChannelCheckBox, 0, 0, 1, 3);
  point->addWidget(SLLabel("&Size", PointsSizeEdit), 1, 0);
  point->addWidget(PointsSizeEdit, 1, 1);
  point->addWidget(PointSizeUpDown, 1, 2);
  point->addWidget(SLLabel("S&hape", ShapeComboBox), 2, 0);
  point->addWidget(ShapeComboBox, 2, 1, 1, 2);
  point->addWidget(PointPenButton, 3, 0);
  point->addWidget(PointBrushButton, 3, 1, 1, 2);
  auto *label = new QGridLayout(labelSheet);
  label->addWidget(LabelVisibleCheckBox, 0, 0, 1, 3);
  label->addWidget(SLLabel("&Label", LabelEdit), 1, 0);
  label->addWidget(LabelEdit, 1, 1);
  label->addWidget(SpeedButton, 1, 2);
  label->addWidget(BitBtn2, 2, 1);
  label->setRowStretch(3, 1);
  auto *group = new QVBoxLayout(GroupBox);
  group->addWidget(PageControl);
  auto *layout = new QVBoxLayout(form);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(GroupBox);

  SLFillEnumCombo(ShapeComboBox, SLDisplayMarkerShapeNames(), true);

  SLOnToggle(UseChannelCheckBox, [this] { LinkSettingsChange(); });
  SLOnToggle(LabelVisibleCheckBox, [this] { LinkSettingsChange(); });
  SLOnChange(ShapeComboBox, [this] { LinkSettingsChange(); });
  PointsSizeEdit->OnChange = [this] { LinkSettingsChange(); };
  PointsSizeEdit->OnKeyPress = [this](char &Key) { PointsSizeEditKeyPress(Key); };
  PointsSizeEdit->OnExit = [this] { EditEnd(); };
  LabelEdit->OnChange = [this] { LinkSettingsChange(); };
  LabelEdit->OnExit = [this] { EditEnd(); };
  SLOnClick(PointPenButton, [this] { PointPenButtonClick(); });
  SLOnClick(PointBrushButton, [this] { PointBrushButtonClick(); });
  SLOnClick(BitBtn2, [this] { BitBtn2Click(); });
  SLOnClick(SpeedButton, [this] { SpeedButtonClick(); });

  RefreshLinkData();
}

void TSLScopeChannelLinkForm::SetLink(TSLDisplayChannelLink *Link) {
  FLink = Link;
  RefreshLinkData();
}

void TSLScopeChannelLinkForm::RefreshLinkData() {
  if (!FLink)
    return;
  FUpdating = true;
  LabelVisibleCheckBox->setChecked(FLink->GetChannelLabel()->GetVisible());
  LabelEdit->SetText(FLink->GetChannelLabel()->GetText());
  UseChannelCheckBox->setChecked(FLink->GetUseChannelColor());
  PointSizeUpDown->SetPosition(static_cast<int32_t>(FLink->GetSize()));
  ShapeComboBox->setCurrentIndex(FLink->GetShape());
  FUpdating = false;
}

void TSLScopeChannelLinkForm::LinkSettingsChange() {
  if (FUpdating || !FLink)
    return;
  FLink->GetChannelLabel()->SetVisible(LabelVisibleCheckBox->isChecked());
  FLink->GetChannelLabel()->SetText(LabelEdit->Text());
  FLink->SetUseChannelColor(UseChannelCheckBox->isChecked());
  // A link's point is 3 pixels unless told otherwise.
  FLink->SetSize(static_cast<uint32_t>(gui::DigitsToInt(PointsSizeEdit->Text(), 3)));
  if (ShapeComboBox->currentIndex() >= 0)
    FLink->SetShape(static_cast<TSLDisplayMarkerShape>(ShapeComboBox->currentIndex()));
}

void TSLScopeChannelLinkForm::EditBegin() {
  if (OnEditBegin)
    OnEditBegin(this);
}

void TSLScopeChannelLinkForm::EditEnd() {
  if (OnEditEnd)
    OnEditEnd(this);
}

void TSLScopeChannelLinkForm::PointsSizeEditKeyPress(char &Key) {
  if (Key == 13) {
    EditEnd();
    Key = 0;
  } else if (Key == 27) {
    EditEnd();
  } else if (Key >= '0' && Key <= '9') {
    EditBegin();
  } else if (static_cast<unsigned char>(Key) >= 32) {
    Key = 0;
  }
}

void TSLScopeChannelLinkForm::PointPenButtonClick() {
  if (!FLink)
    return;
  TOwnedPtr<TSLPenForm> form{CreateObject<TSLPenForm>(Owner(), FLink->GetPen())};
  form->OnClick.Fn = [this](TObject *) { LinkSettingsChange(); };
  if (form->ShowModal() == mrOk)
    LinkSettingsChange();
}

void TSLScopeChannelLinkForm::PointBrushButtonClick() {
  if (!FLink)
    return;
  TOwnedPtr<TSLBrushForm> form{CreateObject<TSLBrushForm>(Owner(), FLink->GetBrush())};
  form->OnClick.Fn = [this](TObject *) { LinkSettingsChange(); };
  if (form->ShowModal() == mrOk)
    LinkSettingsChange();
}

void TSLScopeChannelLinkForm::BitBtn2Click() {
  if (!FLink)
    return;
  TFont font;
  font.Assign(FLink->GetChannelLabel()->GetFont());
  if (gui::ExecuteFontDialog(font))
    FLink->GetChannelLabel()->SetFont(&font);
}

void TSLScopeChannelLinkForm::SpeedButtonClick() { SLPopupBelow(PopupMenu, SpeedButton); }
