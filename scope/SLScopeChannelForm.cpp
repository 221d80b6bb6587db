#include "scope/SLScopeChannelForm.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "platform/classlib/ClassBuilder.h"
#include "platform/gui/Application.h"
#include "scope/SLPenBrushForms.h"
#include "scope/SLScopeControl.h"

namespace {

template <class T> T *Named(T *Widget, const char *Name) {
  Widget->setObjectName(Name);
  return Widget;
}

} // namespace

TSLScopeChannelForm::TSLScopeChannelForm(TComponent *Owner, TSLScope *Scope, int32_t Item)
    : TSLPropertyPageForm(Owner), FScope(Scope) {
  QWidget *page = Widget();
  page->setObjectName("SLScopeChannelForm");
  SetCaption("Channels");

  ChannelsListBox = Named(new gui::TCheckList(true, page), "ChannelsListBox");
  NameEdit = Named(new gui::TFilteredEdit(page), "NameEdit");
  VisibleCheckBox = Named(new QCheckBox("&Visible", page), "VisibleCheckBox");
  ModeComboBox = Named(new QComboBox(page), "ModeComboBox");
  ShadeComboBox = Named(new QComboBox(page), "ShadeComboBox");
  ColorButton = gui::MakeButton("&Color...", "ColorButton", page);
  ColorPaintBox = Named(new gui::TColorSwatch(page), "ColorPaintBox");
  WidthEdit = Named(new gui::TFilteredEdit(page), "WidthEdit");
  WidthUpDown = Named(new gui::TUpDown(WidthEdit, 1, 500, page), "WidthUpDown");
  PointGroupBox = Named(new QGroupBox(" &Point ", page), "PointGroupBox");
  PointsVisibleCheckBox = Named(new QCheckBox("&Visible", PointGroupBox), "PointsVisibleCheckBox");
  PointsShapeComboBox = Named(new QComboBox(PointGroupBox), "PointsShapeComboBox");
  PointsSizeEdit = Named(new gui::TFilteredEdit(PointGroupBox), "PointsSizeEdit");
  PointSizeUpDown =
      Named(new gui::TUpDown(PointsSizeEdit, 1, 500, PointGroupBox), "PointSizeUpDown");
  PointsUseChannelColorCheckBox =
      Named(new QCheckBox("&Use Channel Color", PointGroupBox), "PointsUseChannelColorCheckBox");
  PointPenButton = gui::MakeButton("&Pen...", "PointPenButton", PointGroupBox);
  PointBrushButton = gui::MakeButton("&Brush...", "PointBrushButton", PointGroupBox);

  auto *grid = new QGridLayout;
  int row = 0;
  grid->addWidget(SLLabel("&Name", NameEdit), row, 0);
  grid->addWidget(NameEdit, row++, 1, 1, 2);
  grid->addWidget(VisibleCheckBox, row++, 1);
  grid->addWidget(SLLabel("&Mode", ModeComboBox), row, 0);
  grid->addWidget(ModeComboBox, row++, 1, 1, 2);
  grid->addWidget(SLLabel("&Shade", ShadeComboBox), row, 0);
  grid->addWidget(ShadeComboBox, row++, 1, 1, 2);
  grid->addWidget(ColorPaintBox, row, 1);
  grid->addWidget(ColorButton, row++, 2);
  auto *widthRow = new QHBoxLayout;
  widthRow->addWidget(WidthEdit, 1);
  widthRow->addWidget(WidthUpDown);
  grid->addWidget(SLLabel("&Width", WidthEdit), row, 0);
  grid->addLayout(widthRow, row++, 1, 1, 2);

  auto *points = new QGridLayout(PointGroupBox);
  points->addWidget(PointsVisibleCheckBox, 0, 0, 1, 2);
  points->addWidget(SLLabel("&Shape", PointsShapeComboBox), 1, 0);
  points->addWidget(PointsShapeComboBox, 1, 1);
  auto *sizeRow = new QHBoxLayout;
  sizeRow->addWidget(PointsSizeEdit, 1);
  sizeRow->addWidget(PointSizeUpDown);
  points->addWidget(SLLabel("&Size", PointsSizeEdit), 2, 0);
  points->addLayout(sizeRow, 2, 1);
  points->addWidget(PointsUseChannelColorCheckBox, 3, 0, 1, 2);
  auto *penRow = new QHBoxLayout;
  penRow->addWidget(PointPenButton);
  penRow->addWidget(PointBrushButton);
  points->addLayout(penRow, 4, 0, 1, 2);
  grid->addWidget(PointGroupBox, row++, 0, 1, 3);
  grid->setRowStretch(row, 1);

  auto *layout = new QHBoxLayout(page);
  layout->addWidget(ChannelsListBox, 1);
  layout->addLayout(grid, 2);

  SLFillEnumCombo(ModeComboBox, {"cmLine", "cmBar", "cmPoint"}, false);
  SLFillEnumCombo(ShadeComboBox, {"csmZero", "csmTop", "csmBottom"}, false);
  SLFillEnumCombo(PointsShapeComboBox,
                  {"psCircle", "psSquare", "psDiamond", "psPlus", "psCross", "psStar"}, false);

  ChannelsListBox->BeginFill();
  ChannelsListBox->SetItemIndex(-1);
  ChannelsListBox->clear();
  TSLScopeChannels *channels = FScope->GetChannels();
  for (int32_t i = 0; i < channels->Count(); ++i)
    ChannelsListBox->AddItem(channels->GetItem(i)->GetName(), channels->GetItem(i)->GetVisible());
  ChannelsListBox->EndFill();

  ChannelsListBox->OnClick = [this] { ChannelsListBoxClick(); };
  ChannelsListBox->OnClickCheck = [this](int32_t Index) { ChannelsListBoxClickCheck(Index); };
  NameEdit->OnChange = [this] { NameEditChange(); };
  NameEdit->OnKeyPress = [this](char &Key) { NameEditKeyPress(Key); };
  NameEdit->OnExit = [this] { NameEditExit(); };
  const auto clicked = [page](QAbstractButton *B, auto Handler) {
    QObject::connect(B, &QAbstractButton::clicked, page, [Handler] { gui::Guarded(Handler); });
  };
  const auto toggled = [page](QCheckBox *B, auto Handler) {
    QObject::connect(B, &QCheckBox::toggled, page, [Handler] { gui::Guarded(Handler); });
  };
  const auto changed = [page](QComboBox *B, auto Handler) {
    QObject::connect(B, &QComboBox::currentIndexChanged, page,
                     [Handler] { gui::Guarded(Handler); });
  };
  toggled(VisibleCheckBox, [this] { VisibleCheckBoxClick(); });
  changed(ModeComboBox, [this] { ModeComboBoxChange(); });
  changed(ShadeComboBox, [this] { ShadeComboBoxChange(); });
  clicked(ColorButton, [this] { ColorButtonClick(); });
  WidthEdit->OnChange = [this] { WidthEditChange(); };
  WidthEdit->OnKeyPress = [this](char &Key) { NumericEditKeyPress(Key); };
  WidthEdit->OnExit = [this] { EnableOK(); };
  toggled(PointsVisibleCheckBox, [this] { PointsVisibleCheckBoxClick(); });
  changed(PointsShapeComboBox, [this] { PointsShapeComboBoxChange(); });
  PointsSizeEdit->OnChange = [this] { PointsSizeEditChange(); };
  PointsSizeEdit->OnKeyPress = [this](char &Key) { NumericEditKeyPress(Key); };
  PointsSizeEdit->OnExit = [this] { EnableOK(); };
  toggled(PointsUseChannelColorCheckBox, [this] { PointsUseChannelColorCheckBoxClick(); });
  clicked(PointPenButton, [this] { PointPenButtonClick(); });
  clicked(PointBrushButton, [this] { PointBrushButtonClick(); });

  ChannelsListBox->SetItemIndex(Item);
  ChannelsListBoxClick();
}

TSLScopeChannel *TSLScopeChannelForm::Selected() const {
  const int32_t index = ChannelsListBox->ItemIndex();
  TSLScopeChannels *channels = FScope->GetChannels();
  return index >= 0 && index < channels->Count() ? channels->GetItem(index) : nullptr;
}

void TSLScopeChannelForm::ChannelsListBoxClick() {
  TSLScopeChannel *channel = Selected();
  if (!channel)
    return;
  FUpdating = true;
  NameEdit->SetText(channel->GetName());
  ModeComboBox->setCurrentIndex(channel->GetChannelMode());
  ShadeComboBox->setCurrentIndex(channel->GetShadeMode());
  VisibleCheckBox->setChecked(channel->GetVisible());
  ColorPaintBox->SetColor(channel->GetColor());
  WidthUpDown->SetPosition(channel->GetWidth());
  PointsVisibleCheckBox->setChecked(channel->GetPoints()->GetVisible());
  PointsShapeComboBox->setCurrentIndex(channel->GetPoints()->GetShape());
  PointsUseChannelColorCheckBox->setChecked(channel->GetPoints()->GetUseChannelColor());
  PointSizeUpDown->SetPosition(static_cast<int32_t>(channel->GetPoints()->GetSize()));
  FUpdating = false;
}

void TSLScopeChannelForm::ChannelsListBoxClickCheck(int32_t Index) {
  auto *channels = FScope->GetChannels();
  ListTickToItem(Index >= 0 && Index < channels->Count() ? channels->GetItem(Index) : nullptr,
                 ChannelsListBox, Index, VisibleCheckBox);
}

void TSLScopeChannelForm::NameEditChange() {
  if (!FUpdating)
    DisableOK();
}

void TSLScopeChannelForm::NameEditKeyPress(char &Key) {
  ItemNameKeyPress(Selected(), NameEdit, ChannelsListBox, FUpdating, Key);
}

void TSLScopeChannelForm::NameEditExit() { StoreItemName(Selected(), NameEdit, ChannelsListBox); }

void TSLScopeChannelForm::VisibleCheckBoxClick() {
  // Applied while loading too: it stores the value it was loaded from.
  VisibleBoxToItem(Selected(), ChannelsListBox, VisibleCheckBox);
}

void TSLScopeChannelForm::ModeComboBoxChange() {
  TSLScopeChannel *channel = Selected();
  if (FUpdating || !channel || ModeComboBox->currentIndex() < 0)
    return;
  channel->SetChannelMode(static_cast<TSLScopeChannelMode>(ModeComboBox->currentIndex()));
}

void TSLScopeChannelForm::ShadeComboBoxChange() {
  TSLScopeChannel *channel = Selected();
  if (FUpdating || !channel || ShadeComboBox->currentIndex() < 0)
    return;
  channel->SetShadeMode(static_cast<TSLChannelShadeMode>(ShadeComboBox->currentIndex()));
}

void TSLScopeChannelForm::ColorButtonClick() {
  TSLScopeChannel *channel = Selected();
  if (!channel)
    return;
  ColorDialog.Color = channel->GetColor();
  if (!ColorDialog.Execute())
    return;
  channel->SetColor(ColorDialog.Color);
  ColorPaintBox->SetColor(ColorDialog.Color);
  ChannelsListBoxClick();
}

// Each of the two numeric edits stores only its own field: a stale text in
// the other one must not overwrite a value changed meanwhile.
void TSLScopeChannelForm::WidthEditChange() {
  if (FUpdating || SLCleanDigits(WidthEdit))
    return;
  if (TSLScopeChannel *channel = Selected())
    channel->SetWidth(gui::DigitsToInt(WidthEdit->Text(), 1));
}

void TSLScopeChannelForm::PointsSizeEditChange() {
  if (FUpdating || SLCleanDigits(PointsSizeEdit))
    return;
  if (TSLScopeChannel *channel = Selected())
    channel->GetPoints()->SetSize(
        static_cast<uint32_t>(gui::DigitsToInt(PointsSizeEdit->Text(), 1)));
}

void TSLScopeChannelForm::PointsVisibleCheckBoxClick() {
  TSLScopeChannel *channel = Selected();
  if (FUpdating || !channel)
    return;
  channel->GetPoints()->SetVisible(PointsVisibleCheckBox->isChecked());
}

void TSLScopeChannelForm::PointsShapeComboBoxChange() {
  TSLScopeChannel *channel = Selected();
  if (FUpdating || !channel || PointsShapeComboBox->currentIndex() < 0)
    return;
  channel->GetPoints()->SetShape(
      static_cast<TSLScopePointsShape>(PointsShapeComboBox->currentIndex()));
}

void TSLScopeChannelForm::PointsUseChannelColorCheckBoxClick() {
  TSLScopeChannel *channel = Selected();
  if (FUpdating || !channel)
    return;
  channel->GetPoints()->SetUseChannelColor(PointsUseChannelColorCheckBox->isChecked());
}

void TSLScopeChannelForm::PointPenButtonClick() {
  TSLScopeChannel *channel = Selected();
  if (!channel)
    return;
  TOwnedPtr<TSLPenForm> form{CreateObject<TSLPenForm>(Owner(), channel->GetPoints()->GetPen())};
  form->OnClick.Fn = [this](TObject *) { ChannelsListBoxClick(); };
  if (form->ShowModal() == mrOk)
    ChannelsListBoxClick();
}

void TSLScopeChannelForm::PointBrushButtonClick() {
  TSLScopeChannel *channel = Selected();
  if (!channel)
    return;
  TOwnedPtr<TSLBrushForm> form{
      CreateObject<TSLBrushForm>(Owner(), channel->GetPoints()->GetBrush())};
  form->OnClick.Fn = [this](TObject *) { ChannelsListBoxClick(); };
  if (form->ShowModal() == mrOk)
    ChannelsListBoxClick();
}
