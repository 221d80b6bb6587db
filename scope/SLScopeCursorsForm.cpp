#include "scope/SLScopeCursorsForm.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "platform/classlib/ClassBuilder.h"
#include "platform/gui/Application.h"
#include "scope/SLChannelLinks.h"
#include "scope/SLCursors.h"
#include "scope/SLScopeChannelLinkForm.h"
#include "scope/SLScopeControl.h"

TSLScopeCursorsForm::TSLScopeCursorsForm(TComponent *Owner, TSLScope *Scope, int32_t Item)
    : TSLPropertyPageForm(Owner), FScope(Scope) {
  QWidget *page = Widget();
  page->setObjectName("SLScopeCursorsForm");
  SetCaption("Cursors");

  CursorListBox = SLNamed(new gui::TCheckList(true, page), "CursorListBox");
  HostPanel = SLNamed(new QWidget(page), "HostPanel");
  NameEdit = SLNamed(new gui::TFilteredEdit(HostPanel), "NameEdit");
  KindComboBox = SLNamed(new QComboBox(HostPanel), "KindComboBox");
  VisibleCheckBox = SLNamed(new QCheckBox("&Visible", HostPanel), "VisibleCheckBox");
  PointColorButton = gui::MakeButton("&Color...", "PointColorButton", HostPanel);
  ColorPaintBox = SLNamed(new gui::TColorSwatch(HostPanel), "ColorPaintBox");
  ChannelsGroupBox = SLNamed(new QGroupBox(" Channlels ", HostPanel), "ChannelsGroupBox");
  ChannelsListBox = SLNamed(new gui::TCheckList(true, ChannelsGroupBox), "ChannelsListBox");

  auto *grid = new QGridLayout;
  int row = 0;
  grid->addWidget(SLLabel("&Name", NameEdit), row, 0);
  grid->addWidget(NameEdit, row++, 1, 1, 2);
  grid->addWidget(SLLabel("&Kind", KindComboBox), row, 0);
  grid->addWidget(KindComboBox, row++, 1, 1, 2);
  grid->addWidget(VisibleCheckBox, row++, 1);
  grid->addWidget(ColorPaintBox, row, 1);
  grid->addWidget(PointColorButton, row++, 2);
  auto *channels = new QVBoxLayout(ChannelsGroupBox);
  channels->addWidget(ChannelsListBox);
  grid->addWidget(ChannelsGroupBox, row++, 0, 1, 3);
  // The link editor, when shown, is added below these.
  auto *host = new QVBoxLayout(HostPanel);
  host->setContentsMargins(0, 0, 0, 0);
  host->addLayout(grid, 1);

  auto *layout = new QHBoxLayout(page);
  layout->addWidget(CursorListBox, 1);
  layout->addWidget(HostPanel, 2);

  SLFillEnumCombo(KindComboBox, {"ckVertical", "ckHorizontal", "ckBoth"}, false);

  CursorListBox->BeginFill();
  CursorListBox->SetItemIndex(-1);
  CursorListBox->clear();
  SetEnabledState();
  TSLDisplayCursors *cursors = FScope->GetCursors();
  for (int32_t i = 0; i < cursors->Count(); ++i)
    CursorListBox->AddItem(cursors->GetItem(i)->GetName(), cursors->GetItem(i)->GetVisible());
  ChannelsListBox->BeginFill();
  TSLScopeChannels *scopeChannels = FScope->GetChannels();
  for (int32_t i = 0; i < scopeChannels->Count(); ++i)
    ChannelsListBox->AddItem(scopeChannels->GetItem(i)->GetName(), false);
  ChannelsListBox->EndFill();
  CursorListBox->EndFill();

  CursorListBox->OnClick = [this] { CursorListBoxClick(); };
  CursorListBox->OnClickCheck = [this](int32_t Index) { CursorListBoxClickCheck(Index); };
  ChannelsListBox->OnClick = [this] { RefreshLinkData(); };
  ChannelsListBox->OnClickCheck = [this](int32_t Index) { ChannelsListBoxClickCheck(Index); };
  NameEdit->OnChange = [this] { NameEditChange(); };
  NameEdit->OnKeyPress = [this](char &Key) { NameEditKeyPress(Key); };
  NameEdit->OnExit = [this] { NameEditExit(); };
  SLOnChange(KindComboBox, [this] { KindComboBoxChange(); });
  SLOnToggle(VisibleCheckBox, [this] { VisibleCheckBoxClick(); });
  SLOnClick(PointColorButton, [this] { PointColorButtonClick(); });

  CursorListBox->SetItemIndex(Item);
  RefreshLinkData();
  CursorListBoxClick();
}

TSLDisplayCursor *TSLScopeCursorsForm::Selected() const {
  const int32_t index = CursorListBox->ItemIndex();
  TSLDisplayCursors *cursors = FScope->GetCursors();
  return index >= 0 && index < cursors->Count() ? cursors->GetItem(index) : nullptr;
}

void TSLScopeCursorsForm::SetEnabledState() {
  SetChildrenEnabled(FScope->GetCursors()->Count() > 0);
}

void TSLScopeCursorsForm::CursorListBoxClick() {
  TSLDisplayCursor *cursor = Selected();
  if (!cursor) {
    if (GetRemoveButton())
      GetRemoveButton()->setEnabled(false);
    RfreshChannelsList();
    RefreshLinkData();
    return;
  }
  FUpdating = true;
  NameEdit->SetText(cursor->GetName());
  KindComboBox->setCurrentIndex(cursor->GetKind());
  VisibleCheckBox->setChecked(cursor->GetVisible());
  ColorPaintBox->SetColor(cursor->GetColor());
  FUpdating = false;
  if (GetRemoveButton())
    GetRemoveButton()->setEnabled(cursor->GetVC_IsDynamic());
  RfreshChannelsList();
  // The editor showed the previous cursor's link.
  RefreshLinkData();
}

void TSLScopeCursorsForm::RfreshChannelsList() {
  TSLDisplayCursor *cursor = Selected();
  TSLScopeChannels *channels = FScope->GetChannels();
  ChannelsListBox->BeginFill();
  for (int32_t i = 0; i < channels->Count() && i < ChannelsListBox->count(); ++i) {
    bool linked = false;
    if (cursor) {
      TSLDisplayChannelLinks *links = cursor->GetChannels();
      for (int32_t j = 0; j < links->Count() && !linked; ++j)
        linked = links->GetItem(j)->GetChannel() == channels->GetItem(i);
    }
    ChannelsListBox->SetChecked(i, linked);
  }
  ChannelsListBox->EndFill();
}

void TSLScopeCursorsForm::ChannelsListBoxClickCheck(int32_t Index) {
  TSLDisplayCursor *cursor = Selected();
  TSLScopeChannels *channels = FScope->GetChannels();
  if (!cursor || Index < 0 || Index >= channels->Count())
    return;
  if (ChannelsListBox->Checked(Index))
    cursor->GetChannels()->AddChannel(channels->GetItem(Index));
  else
    cursor->GetChannels()->RemoveChannel(channels->GetItem(Index));
  RefreshLinkData();
}

TSLDisplayChannelLink *TSLScopeCursorsForm::GetSelectedChannel() const {
  TSLDisplayCursor *cursor = Selected();
  const int32_t index = ChannelsListBox->ItemIndex();
  TSLScopeChannels *channels = FScope->GetChannels();
  if (!cursor || index < 0 || index >= channels->Count() || !ChannelsListBox->Checked(index))
    return nullptr;
  TSLDisplayChannelLinks *links = cursor->GetChannels();
  for (int32_t j = links->Count() - 1; j >= 0; --j)
    if (links->GetItem(j)->GetChannel() == channels->GetItem(index))
      return links->GetItem(j);
  return nullptr;
}

void TSLScopeCursorsForm::RefreshLinkData() {
  TSLDisplayChannelLink *link = GetSelectedChannel();
  if (!link) {
    FreeAndNil(FLinkForm);
    return;
  }
  if (FLinkForm) {
    FLinkForm->SetLink(link);
    return;
  }
  FLinkForm = CreateObject<TSLScopeChannelLinkForm>(this, link);
  FLinkForm->OnEditBegin.Fn = [this](TObject *) { FormEditEnter(); };
  FLinkForm->OnEditEnd.Fn = [this](TObject *) { FormEditExit(); };
  HostPanel->layout()->addWidget(FLinkForm->Widget());
  FLinkForm->Widget()->setVisible(true);
}

void TSLScopeCursorsForm::PageActivated() {
  if (GetAddButton())
    GetAddButton()->setEnabled(true);
  CursorListBoxClick();
}

void TSLScopeCursorsForm::AddItem() {
  TSLDisplayCursor *cursor = FScope->GetCursors()->Add();
  CursorListBox->AddItem(cursor->GetName(), cursor->GetVisible());
  cursor->SetIsDynamic(true);
  SetEnabledState();
  CursorListBox->SetItemIndex(CursorListBox->count() - 1);
  CursorListBoxClick();
}

void TSLScopeCursorsForm::RemoveItem() {
  TSLDisplayCursor *cursor = Selected();
  if (!cursor || !cursor->GetVC_IsDynamic())
    return;
  // The editor may show a link of the cursor about to go.
  FreeAndNil(FLinkForm);
  const int32_t index = CursorListBox->ItemIndex();
  CursorListBox->BeginFill();
  FScope->GetCursors()->Delete(index);
  delete CursorListBox->takeItem(index);
  CursorListBox->SetItemIndex(std::min(index, CursorListBox->count() - 1));
  CursorListBox->EndFill();
  SetEnabledState();
  CursorListBoxClick();
}

void TSLScopeCursorsForm::CursorListBoxClickCheck(int32_t Index) {
  auto *cursors = FScope->GetCursors();
  ListTickToItem(Index >= 0 && Index < cursors->Count() ? cursors->GetItem(Index) : nullptr,
                 CursorListBox, Index, VisibleCheckBox);
}

void TSLScopeCursorsForm::NameEditChange() {
  if (!FUpdating)
    DisableOK();
}

void TSLScopeCursorsForm::NameEditKeyPress(char &Key) {
  ItemNameKeyPress(Selected(), NameEdit, CursorListBox, FUpdating, Key);
}

void TSLScopeCursorsForm::NameEditExit() { StoreItemName(Selected(), NameEdit, CursorListBox); }

void TSLScopeCursorsForm::KindComboBoxChange() {
  TSLDisplayCursor *cursor = Selected();
  if (FUpdating || !cursor || KindComboBox->currentIndex() < 0)
    return;
  cursor->SetKind(static_cast<TSLDisplayCursorKind>(KindComboBox->currentIndex()));
}

void TSLScopeCursorsForm::VisibleCheckBoxClick() {
  VisibleBoxToItem(Selected(), CursorListBox, VisibleCheckBox);
}

void TSLScopeCursorsForm::PointColorButtonClick() {
  TSLDisplayCursor *cursor = Selected();
  if (!cursor)
    return;
  ColorDialog.Color = cursor->GetColor();
  if (!ColorDialog.Execute())
    return;
  cursor->SetColor(ColorDialog.Color);
  ColorPaintBox->SetColor(ColorDialog.Color);
}
