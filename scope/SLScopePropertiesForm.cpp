#include "scope/SLScopePropertiesForm.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/classlib/ClassBuilder.h"
#include "platform/gui/Application.h"
#include "scope/SLPropertyPageForm.h"
#include "scope/SLScopeChannelForm.h"
#include "scope/SLScopeControl.h"
#include "scope/SLScopeCursorLinksForm.h"
#include "scope/SLScopeCursorsForm.h"
#include "scope/SLScopeMerkerGroupsForm.h"

TSLScopePropertiesForm::TSLScopePropertiesForm(TSLScope *Scope,
                                               TSLScopePropertiesStartPage StartPage, int32_t Item)
    : gui::TForm(Scope, new gui::TToolDialog), FScope(Scope) {
  gui::TToolDialog *dialog = Dialog();
  dialog->setObjectName("SLScopePropertiesForm");
  dialog->setWindowFlags(Qt::Tool);
  SetCaption("Settings");

  auto *layout = new QVBoxLayout(dialog);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  FPageControl = new QTabWidget(dialog);
  FPageControl->setObjectName("PageControl");
  layout->addWidget(FPageControl, 1);

  auto *panel1 = new QFrame(dialog);
  panel1->setObjectName("Panel1");
  panel1->setFixedHeight(41);
  panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
  panel1->setLineWidth(2);
  auto *bottom = new QHBoxLayout(panel1);
  bottom->setContentsMargins(8, 4, 8, 4);
  FAddButton = gui::MakeButton("Add", "AddButton", panel1);
  FRemoveButton = gui::MakeButton("Remove", "RemoveButton", panel1);
  bottom->addWidget(FAddButton);
  bottom->addWidget(FRemoveButton);
  bottom->addStretch(1);
  auto *panel2 = new QWidget(panel1);
  panel2->setObjectName("Panel2");
  auto *right = new QHBoxLayout(panel2);
  right->setContentsMargins(0, 0, 0, 0);
  FOkButton = gui::MakeButton("OK", "OkButton", panel2);
  right->addWidget(FOkButton);
  bottom->addWidget(panel2);
  layout->addWidget(panel1);

  dialog->SetDefaultButton(FOkButton);
  dialog->SetCancelButton(FOkButton);
  QObject::connect(FOkButton, &QPushButton::clicked, dialog, [this] { SetModalResult(mrOk); });
  QObject::connect(FAddButton, &QPushButton::clicked, dialog, [this] { AddButtonClick(); });
  QObject::connect(FRemoveButton, &QPushButton::clicked, dialog, [this] { RemoveButtonClick(); });
  dialog->OnShortCut = [this](char Key, bool &Handled) { FormShortCut(Key, Handled); };

  dialog->resize(80, 80);
  const auto itemFor = [&](TSLScopePropertiesStartPage Page) {
    return Page == StartPage ? Item : 0;
  };
  AddForm(CreateObject<TSLScopeChannelForm>(this, Scope, itemFor(spspChannels)));
  AddForm(CreateObject<TSLScopeMerkerGroupsForm>(this, Scope, itemFor(spspMarkerGroups)));
  AddForm(CreateObject<TSLScopeCursorsForm>(this, Scope, itemFor(spspCursors)));
  AddForm(CreateObject<TSLScopeCursorLinksForm>(this, Scope, itemFor(spspCursorLinks)));

  int32_t start = static_cast<int32_t>(StartPage);
  if (start < 0 || start >= PageCount())
    start = 0;
  FPageControl->setCurrentIndex(start);
  QObject::connect(FPageControl, &QTabWidget::currentChanged, dialog,
                   [this](int) { gui::Guarded([&] { PageControlChange(); }); });
  if (TSLPropertyPageForm *page = ActivePage())
    page->PageActivated();
}

TSLScopePropertiesForm::~TSLScopePropertiesForm() {
  // The pages go first, while the dialog they live in still exists.
  DestroyComponents();
}

gui::TToolDialog *TSLScopePropertiesForm::Dialog() const {
  return static_cast<gui::TToolDialog *>(Widget());
}

void TSLScopePropertiesForm::AddForm(TSLPropertyPageForm *Form) {
  FPages.push_back(Form);
  QWidget *page = Form->Widget();
  FPageControl->addTab(page, QString::fromStdString(Form->Caption()));
  page->setVisible(true);
  // Grow to what the largest page needs; never shrink. The page is polished
  // first, as its style's margins count, and the layouts forget what they
  // measured before it came.
  page->ensurePolished();
  QWidget *dialog = Dialog();
  FPageControl->updateGeometry();
  dialog->layout()->invalidate();
  dialog->layout()->activate();
  const QSize need = dialog->sizeHint();
  dialog->resize(std::max(dialog->width(), need.width()),
                 std::max(dialog->height(), need.height()));
}

TSLPropertyPageForm *TSLScopePropertiesForm::GetPage(int32_t Index) const {
  return Index >= 0 && Index < PageCount() ? FPages[size_t(Index)] : nullptr;
}

TSLPropertyPageForm *TSLScopePropertiesForm::ActivePage() const {
  return GetPage(FPageControl->currentIndex());
}

void TSLScopePropertiesForm::PageControlChange() {
  if (TSLPropertyPageForm *page = ActivePage())
    page->PageActivated();
}

void TSLScopePropertiesForm::AddButtonClick() {
  if (TSLPropertyPageForm *page = ActivePage())
    page->AddItem();
}

void TSLScopePropertiesForm::RemoveButtonClick() {
  if (TSLPropertyPageForm *page = ActivePage())
    page->RemoveItem();
}

void TSLScopePropertiesForm::FormShortCut(char Key, bool &Handled) {
  if (OkIsDefault() || Key != 27)
    return;
  Handled = true;
  if (auto *edit = dynamic_cast<gui::TFilteredEdit *>(Dialog()->focusWidget());
      edit && edit->OnKeyPress) {
    char key = Key;
    edit->OnKeyPress(key);
  }
}

void TSLScopePropertiesForm::EnableOK() { Dialog()->SetDefaultButton(FOkButton); }
void TSLScopePropertiesForm::DisableOK() { Dialog()->SetDefaultButton(nullptr); }
bool TSLScopePropertiesForm::OkIsDefault() const { return Dialog()->IsDefault(FOkButton); }

// The scope's side -----------------------------------------------------------

void TSLScope::DoLegendClick(int32_t StartPage, int32_t ItemIndex) {
  MouseLeave();
  FToolBar->Hide();
  TOwnedPtr<TSLScopePropertiesForm> form{CreateObject<TSLScopePropertiesForm>(
      this, static_cast<TSLScopePropertiesStartPage>(StartPage), ItemIndex)};
  QWidget *dialog = form->Widget();
  if (auto *window = dynamic_cast<QWidget *>(GetHost()))
    dialog->setParent(window, dialog->windowFlags());
  const TPoint at = ClientToScreen(TPoint{GetWidth() - dialog->width() - 20, 20});
  dialog->move(at.X, at.Y);
  form->ShowModal();
}
