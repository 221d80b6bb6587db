// The scope's "Settings" dialog, its pages and the pen and brush dialogs,
// driven headless: keys are sent to the widgets as the user would type them,
// list and combo choices are made on the widgets, colour and font dialogs
// answer from a script.
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/gui/Application.h"
#include "platform/gui/ColorFontDialogs.h"
#include "scope/SLChannelLinks.h"
#include "scope/SLCursorLinks.h"
#include "scope/SLCursors.h"
#include "scope/SLPenBrushForms.h"
#include "scope/SLScopeChannelForm.h"
#include "scope/SLScopeChannelLinkForm.h"
#include "scope/SLScopeControl.h"
#include "scope/SLScopeCursorLinksForm.h"
#include "scope/SLScopeCursorsForm.h"
#include "scope/SLScopeMerkerGroupsForm.h"
#include "scope/SLScopePropertiesForm.h"
#include "tests/scope/ScopeTestWindow.h"
#include "tests/support/FrameworkEnvironment.h"

namespace {

// A window whose client area starts at (300, 200) on the screen; counts
// repaint requests.
struct TPropertiesWindow : IControlHost {
  void InvalidateRect(const TRect *) override { ++Repaints; }
  bool Focused() const override { return false; }
  void SetFocus() override {}
  TPoint ClientToScreen(TPoint P) const override { return {P.X + 300, P.Y + 200}; }
  TPoint ScreenToClient(TPoint P) const override { return {P.X - 300, P.Y - 200}; }
  TPoint CursorPos() const override { return {-1000, -1000}; }
  void SetCursor(TCursor) override {}
  void BoundsChanged(const TRect &) override {}
  void ControlDestroyed() override {}
  int Repaints = 0;
};

void SendKey(QWidget *Widget, int QtKey, const QString &Text = {}) {
  QKeyEvent press(QEvent::KeyPress, QtKey, Qt::NoModifier, Text);
  QApplication::sendEvent(Widget, &press);
  QKeyEvent release(QEvent::KeyRelease, QtKey, Qt::NoModifier, Text);
  QApplication::sendEvent(Widget, &release);
}
void Enter(QWidget *Widget) { SendKey(Widget, Qt::Key_Return, "\r"); }
void Esc(QWidget *Widget) { SendKey(Widget, Qt::Key_Escape, QString(QChar(27))); }
void Type(QWidget *Widget, const std::string &Text) {
  for (char c : Text) {
    const int key = (c >= 'a' && c <= 'z') ? c - 'a' + Qt::Key_A : c;
    SendKey(Widget, key, QString(QChar(c)));
  }
}

// The visible top-level widget of that object name, or null.
QWidget *TopLevel(const char *Name) {
  for (QWidget *w : QApplication::topLevelWidgets())
    if (w->objectName() == Name && w->isVisible())
      return w;
  return nullptr;
}

// Runs Check once the modal dialog Name is up, then closes it with OK; a
// missing dialog fails the test instead of hanging it.
void WhileModal(const char *Name, std::function<void(QWidget *)> Check) {
  QTimer::singleShot(0, [Name, Check] {
    QWidget *dialog = TopLevel(Name);
    EXPECT_NE(dialog, nullptr) << Name;
    if (!dialog)
      return;
    Check(dialog);
    if (dialog->isVisible())
      dialog->findChild<QPushButton *>("OkButton")->click();
  });
}

class ScopeProperties : public ::testing::Test {
protected:
  void SetUp() override {
    gui::Application();
    Scope->SetHost(&Window);
    Scope->SetBounds(0, 0, 700, 400);
    Scope->GetChannels()->Add();
    Scope->GetChannels()->Add();
    for (int i = 0; i < 3; ++i)
      Scope->GetChannels()->GetItem(i)->SetName("Ch" + std::to_string(i));
  }
  void TearDown() override {
    Form.reset();
    Scope->SetHost(nullptr);
    Scope.reset();
  }
  // Opens the dialog without a modal loop, shown, as a test can drive it.
  TSLScopePropertiesForm *Open(TSLScopePropertiesStartPage Page, int32_t Item) {
    Form.reset(CreateObject<TSLScopePropertiesForm>(Scope.get(), Page, Item));
    Form->Show();
    return Form.get();
  }
  TSLScopeChannelForm *ChannelsPage() {
    return dynamic_cast<TSLScopeChannelForm *>(Form->GetPage(spspChannels));
  }
  TSLScopeChannel *Channel(int i) { return Scope->GetChannels()->GetItem(i); }

  TStillTimers Timers;
  gui::TScopedWindowTimerService TimerScope{Timers};
  TPropertiesWindow Window;
  gui::TScriptedColorFontDialogs Dialogs;
  TOwnedPtr<TSLScope> Scope{CreateObject<TSLScope>(nullptr)};
  TOwnedPtr<TSLScopePropertiesForm> Form;
};

TEST_F(ScopeProperties, SetupOpensModalTopRightOnTheChannelsPageFirstItem) {
  bool seen = false;
  WhileModal("SLScopePropertiesForm", [&](QWidget *dialog) {
    seen = true;
    EXPECT_EQ(dialog->windowTitle(), "Settings");
    // (Width - dialog width - 20, 20) in client coordinates, on the screen.
    EXPECT_EQ(dialog->pos(), QPoint(300 + 700 - dialog->width() - 20, 200 + 20));
    auto *tabs = dialog->findChild<QTabWidget *>("PageControl");
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(tabs->currentIndex(), 0);
    EXPECT_EQ(tabs->tabText(0), "Channels");
    auto *list = dialog->findChild<QWidget *>("SLScopeChannelForm")
                     ->findChild<gui::TCheckList *>("ChannelsListBox");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->ItemIndex(), 0);
    EXPECT_EQ(dialog->findChild<QWidget *>("SLScopeChannelForm")
                  ->findChild<gui::TFilteredEdit *>("NameEdit")
                  ->Text(),
              "Ch0");
    // The channels page neither adds nor removes.
    EXPECT_FALSE(dialog->findChild<QPushButton *>("AddButton")->isEnabled());
    EXPECT_FALSE(dialog->findChild<QPushButton *>("RemoveButton")->isEnabled());
  });
  Scope->ShowSetupDialog();
  EXPECT_TRUE(seen);
  EXPECT_EQ(TopLevel("SLScopePropertiesForm"), nullptr) << "the dialog is freed after showing";
}

// The toolbar's setup button opens the same dialog; its buttons are all up
// while the dialog shows.
TEST_F(ScopeProperties, ToolBarSetupButtonOpensTheDialog) {
  TSLDisplayToolBar *Bar = Scope->GetToolBar();
  Bar->SetAutoHide(false);
  // Setup is the fifth button of the first row, from (Width - 88, 3).
  const int32_t X = 700 - 88 + 4 * 17 + 8, Y = 3 + 8;
  bool seen = false;
  WhileModal("SLScopePropertiesForm", [&](QWidget *dialog) {
    seen = true;
    EXPECT_EQ(dialog->findChild<QTabWidget *>("PageControl")->currentIndex(), 0);
    for (int I = 0; I < Bar->ButtonCount(); ++I)
      EXPECT_FALSE(Bar->GetButton(I)->GetDown()) << I;
  });
  Scope->DispatchMouseDown(mbLeft, 0, X, Y);
  Scope->DispatchMouseUp(mbLeft, 0, X, Y);
  EXPECT_TRUE(seen);
}

TEST_F(ScopeProperties, LegendClickSelectsTheGivenItem) {
  WhileModal("SLScopePropertiesForm", [&](QWidget *dialog) {
    EXPECT_EQ(dialog->findChild<QWidget *>("SLScopeChannelForm")
                  ->findChild<gui::TCheckList *>("ChannelsListBox")
                  ->ItemIndex(),
              2);
    EXPECT_EQ(dialog->findChild<QWidget *>("SLScopeChannelForm")
                  ->findChild<gui::TFilteredEdit *>("NameEdit")
                  ->Text(),
              "Ch2");
  });
  Scope->DoLegendClick(spspChannels, 2);
}

TEST_F(ScopeProperties, DialogIsAsLargeAsItsLargestPage) {
  Open(spspChannels, 0);
  QWidget *dialog = Form->Widget();
  QApplication::processEvents();
  int widest = 0, tallest = 0;
  for (int32_t i = 0; i < Form->PageCount(); ++i) {
    Form->GetPageControl()->setCurrentIndex(i);
    QApplication::processEvents();
    QWidget *page = Form->GetPage(i)->Widget();
    EXPECT_GE(page->width(), page->sizeHint().width()) << i;
    EXPECT_GE(page->height(), page->sizeHint().height()) << i;
    widest = std::max(widest, page->sizeHint().width());
    tallest = std::max(tallest, page->sizeHint().height());
  }
  // Grown from 80 x 80 to what the pages need, not beyond.
  EXPECT_GT(dialog->width(), 80);
  EXPECT_EQ(dialog->size(), dialog->sizeHint().expandedTo(QSize(80, 80)));
  EXPECT_GE(dialog->width(), widest);
  EXPECT_GE(dialog->height(), tallest + 41);
}

TEST_F(ScopeProperties, EnterInANameEditStoresAndStaysOpenASecondCloses) {
  Open(spspChannels, 1);
  TSLScopeChannelForm *page = ChannelsPage();
  page->NameEdit->setFocus();
  page->NameEdit->selectAll();
  Type(page->NameEdit, "Left");
  EXPECT_FALSE(Form->OkIsDefault()) << "typing takes the default role from OK";
  EXPECT_EQ(Channel(1)->GetName(), "Ch1") << "nothing stored while typing";
  Enter(page->NameEdit);
  EXPECT_EQ(Channel(1)->GetName(), "Left");
  EXPECT_EQ(page->ChannelsListBox->ItemText(1), "Left");
  EXPECT_TRUE(Form->Widget()->isVisible());
  EXPECT_TRUE(Form->OkIsDefault());
  Enter(page->NameEdit);
  EXPECT_FALSE(Form->Widget()->isVisible());
  EXPECT_EQ(Form->ModalResult(), mrOk);
}

TEST_F(ScopeProperties, EscInANameEditRestoresAndStaysOpenASecondClosesKeepingChanges) {
  Open(spspChannels, 0);
  TSLScopeChannelForm *page = ChannelsPage();
  page->ModeComboBox->setCurrentIndex(cmBar);
  page->NameEdit->setFocus();
  Type(page->NameEdit, "xyz");
  Esc(page->NameEdit);
  EXPECT_EQ(page->NameEdit->Text(), "Ch0");
  EXPECT_EQ(page->NameEdit->selectedText(), "Ch0");
  EXPECT_EQ(Channel(0)->GetName(), "Ch0");
  EXPECT_TRUE(Form->Widget()->isVisible());
  EXPECT_TRUE(Form->OkIsDefault());
  Esc(page->NameEdit);
  EXPECT_FALSE(Form->Widget()->isVisible());
  // Esc closes through OK: what was changed stays.
  EXPECT_EQ(Form->ModalResult(), mrOk);
  EXPECT_EQ(Channel(0)->GetChannelMode(), cmBar);
}

TEST_F(ScopeProperties, LeavingTheNameEditStoresIt) {
  Open(spspChannels, 2);
  TSLScopeChannelForm *page = ChannelsPage();
  page->NameEdit->SetText("Right");
  EXPECT_FALSE(Form->OkIsDefault());
  page->NameEdit->OnExit();
  EXPECT_EQ(Channel(2)->GetName(), "Right");
  EXPECT_EQ(page->ChannelsListBox->ItemText(2), "Right");
  EXPECT_TRUE(Form->OkIsDefault());
}

TEST_F(ScopeProperties, ChannelsPageNumericEditsKeepOnlyDigits) {
  Open(spspChannels, 0);
  TSLScopeChannelForm *page = ChannelsPage();
  page->WidthEdit->setFocus();
  page->WidthEdit->selectAll();
  Type(page->WidthEdit, "ab");
  EXPECT_EQ(page->WidthEdit->Text(), "1") << "letters are swallowed, even over a selection";
  EXPECT_TRUE(Form->OkIsDefault());
  page->WidthEdit->end(false);
  Type(page->WidthEdit, "x4");
  EXPECT_EQ(page->WidthEdit->Text(), "14");
  EXPECT_EQ(Channel(0)->GetWidth(), 14);
  EXPECT_FALSE(Form->OkIsDefault()) << "a digit takes the default role";
  Enter(page->WidthEdit);
  EXPECT_TRUE(Form->OkIsDefault());
  EXPECT_TRUE(Form->Widget()->isVisible());

  struct TCase {
    const char *Pasted;
    const char *Shown;
    int32_t Stored;
  };
  for (const TCase &c : {TCase{"1a2", "12", 12}, TCase{"", "", 1}, TCase{"7", "7", 7},
                         TCase{"x", "", 1}, TCase{"99999999999", "99999999999", 1}}) {
    page->WidthEdit->SetText(c.Pasted);
    EXPECT_EQ(page->WidthEdit->Text(), c.Shown) << c.Pasted;
    EXPECT_EQ(Channel(0)->GetWidth(), c.Stored) << c.Pasted;
    page->PointsSizeEdit->SetText(c.Pasted);
    EXPECT_EQ(page->PointsSizeEdit->Text(), c.Shown) << c.Pasted;
    EXPECT_EQ(Channel(0)->GetPoints()->GetSize(), uint32_t(c.Stored)) << c.Pasted;
  }
}

TEST_F(ScopeProperties, EditingTheWidthLeavesThePointSizeAlone) {
  Open(spspChannels, 0);
  TSLScopeChannelForm *page = ChannelsPage();
  page->PointsSizeEdit->SetText("");
  EXPECT_EQ(Channel(0)->GetPoints()->GetSize(), 1u);
  // Set meanwhile from elsewhere; the empty size edit is now stale.
  Channel(0)->GetPoints()->SetSize(9);
  page->WidthEdit->SetText("5");
  EXPECT_EQ(Channel(0)->GetWidth(), 5);
  EXPECT_EQ(Channel(0)->GetPoints()->GetSize(), 9u);
  page->PointsSizeEdit->SetText("4");
  Channel(0)->SetWidth(3);
  EXPECT_EQ(Channel(0)->GetWidth(), 3);
  EXPECT_EQ(Channel(0)->GetPoints()->GetSize(), 4u);
}

TEST_F(ScopeProperties, ChannelsPageStoresEveryControlIntoTheSelectedChannel) {
  Open(spspChannels, 1);
  TSLScopeChannelForm *page = ChannelsPage();
  Window.Repaints = 0;
  page->ModeComboBox->setCurrentIndex(cmPoint);
  page->ShadeComboBox->setCurrentIndex(csmBottom);
  page->PointsShapeComboBox->setCurrentIndex(psStar);
  page->PointsVisibleCheckBox->setChecked(true);
  page->PointsUseChannelColorCheckBox->setChecked(false);
  TSLScopeChannel *c = Channel(1);
  EXPECT_EQ(c->GetChannelMode(), cmPoint);
  EXPECT_EQ(c->GetShadeMode(), csmBottom);
  EXPECT_EQ(c->GetPoints()->GetShape(), psStar);
  EXPECT_TRUE(c->GetPoints()->GetVisible());
  EXPECT_FALSE(c->GetPoints()->GetUseChannelColor());
  EXPECT_GT(Window.Repaints, 0) << "every change shows at once";
  EXPECT_EQ(Channel(0)->GetChannelMode(), cmLine);

  // Selecting another channel loads it without storing anything.
  page->ChannelsListBox->setCurrentRow(0);
  EXPECT_EQ(page->NameEdit->Text(), "Ch0");
  EXPECT_EQ(page->ModeComboBox->currentIndex(), cmLine);
  EXPECT_EQ(page->PointsShapeComboBox->currentIndex(), psCircle);
  EXPECT_EQ(c->GetChannelMode(), cmPoint);
  EXPECT_TRUE(Form->OkIsDefault()) << "loading a name is no typing";
}

TEST_F(ScopeProperties, UntickingAChannelHidesItAndClearsVisible) {
  Open(spspChannels, 1);
  TSLScopeChannelForm *page = ChannelsPage();
  ASSERT_TRUE(page->VisibleCheckBox->isChecked());
  page->ChannelsListBox->item(1)->setCheckState(Qt::Unchecked);
  EXPECT_FALSE(Channel(1)->GetVisible());
  EXPECT_FALSE(page->VisibleCheckBox->isChecked());
  page->VisibleCheckBox->setChecked(true);
  EXPECT_TRUE(Channel(1)->GetVisible());
  EXPECT_TRUE(page->ChannelsListBox->Checked(1));
  // Ticking another entry leaves the selected channel's box alone.
  page->ChannelsListBox->item(0)->setCheckState(Qt::Unchecked);
  EXPECT_FALSE(Channel(0)->GetVisible());
  EXPECT_TRUE(page->VisibleCheckBox->isChecked());
}

TEST_F(ScopeProperties, ColourButtonStoresAnAcceptedColourOnly) {
  Open(spspChannels, 0);
  TSLScopeChannelForm *page = ChannelsPage();
  const TColor before = Channel(0)->GetColor();
  Dialogs.AnswerColor(std::nullopt);
  page->ColorButton->click();
  EXPECT_EQ(Channel(0)->GetColor(), before);
  Dialogs.AnswerColor(0x123456);
  page->ColorButton->click();
  EXPECT_EQ(Channel(0)->GetColor(), TColor(0x123456));
  EXPECT_EQ(page->ColorPaintBox->Color(), TColor(0x123456));
  EXPECT_EQ(Dialogs.ColorsShown, (std::vector<TColor>{before, before}));
}

TEST_F(ScopeProperties, WithoutASelectionEveryControlChangesNothing) {
  Open(spspChannels, 7); // no such channel: nothing selected
  TSLScopeChannelForm *page = ChannelsPage();
  EXPECT_EQ(page->ChannelsListBox->ItemIndex(), -1);
  page->NameEdit->SetText("Nobody");
  Enter(page->NameEdit);
  page->ModeComboBox->setCurrentIndex(cmBar);
  page->WidthEdit->SetText("9");
  page->PointsSizeEdit->SetText("9");
  page->VisibleCheckBox->setChecked(!page->VisibleCheckBox->isChecked());
  Dialogs.AnswerColor(0x111111);
  page->ColorButton->click();
  page->PointPenButton->click(); // no dialog without a channel
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(Channel(i)->GetName(), "Ch" + std::to_string(i));
    EXPECT_EQ(Channel(i)->GetChannelMode(), cmLine);
    EXPECT_EQ(Channel(i)->GetWidth(), 1);
    EXPECT_TRUE(Channel(i)->GetVisible());
    EXPECT_NE(Channel(i)->GetColor(), TColor(0x111111));
  }
  EXPECT_TRUE(Form->OkIsDefault());
}

TEST_F(ScopeProperties, AScopeWithoutChannelsShowsAnEmptyPage) {
  Scope->GetChannels()->Clear();
  Open(spspCursorLinks, 3); // also a start page the dialog may not have
  TSLScopeChannelForm *page = ChannelsPage();
  EXPECT_EQ(page->ChannelsListBox->count(), 0);
  page->WidthEdit->SetText("3");
  page->ChannelsListBox->setCurrentRow(0);
  EXPECT_EQ(Scope->GetChannels()->Count(), 0);
  EXPECT_GE(Form->GetPageControl()->currentIndex(), 0);
}

TEST_F(ScopeProperties, PenChangesRedrawTheScopeAtOnceAndReloadThePage) {
  Open(spspChannels, 0);
  TSLScopeChannelForm *page = ChannelsPage();
  TPen *pen = Channel(0)->GetPoints()->GetPen();
  int repaintsDuring = -1;
  WhileModal("SLPenForm", [&](QWidget *dialog) {
    EXPECT_EQ(dialog->windowTitle(), "Pen");
    Window.Repaints = 0;
    dialog->findChild<QComboBox *>("PenStyleComboBox")->setCurrentIndex(psDot);
    repaintsDuring = Window.Repaints;
    Esc(dialog->findChild<QComboBox *>("PenModeComboBox"));
  });
  page->PointPenButton->click();
  EXPECT_EQ(pen->GetStyle(), psDot);
  EXPECT_GT(repaintsDuring, 0);

  TBrush *brush = Channel(0)->GetPoints()->GetBrush();
  WhileModal("SLBrushForm", [&](QWidget *dialog) {
    Window.Repaints = 0;
    dialog->findChild<QComboBox *>("BrushStyleComboBox")->setCurrentIndex(bsCross);
    repaintsDuring = Window.Repaints;
  });
  page->PointBrushButton->click();
  EXPECT_EQ(brush->GetStyle(), bsCross);
  EXPECT_GT(repaintsDuring, 0);
}

// The pen and brush dialogs on their own -------------------------------------

class PenBrushDialogs : public ::testing::Test {
protected:
  void SetUp() override { gui::Application(); }
  gui::TScriptedColorFontDialogs Dialogs;
  TPen Pen;
  TBrush Brush;
  int Clicks = 0;
};

TEST_F(PenBrushDialogs, PenDialogStartsFromThePenAndStoresEachChange) {
  Pen.SetWidth(4);
  Pen.SetStyle(psDash);
  Pen.SetMode(pmXor);
  Pen.SetColor(0x0000FF);
  TOwnedPtr<TSLPenForm> form{CreateObject<TSLPenForm>(nullptr, &Pen)};
  form->OnClick.Fn = [this](TObject *) { ++Clicks; };
  EXPECT_EQ(form->Caption(), "Pen");
  EXPECT_EQ(form->WidthEdit->Text(), "4");
  EXPECT_EQ(form->PointSizeUpDown->Position(), 4);
  EXPECT_EQ(form->PenStyleComboBox->count(), 7);
  EXPECT_EQ(form->PenStyleComboBox->itemText(6), "InsideFrame");
  EXPECT_EQ(form->PenStyleComboBox->currentIndex(), psDash);
  EXPECT_EQ(form->PenModeComboBox->count(), 16);
  EXPECT_EQ(form->PenModeComboBox->itemText(0), "Black");
  EXPECT_EQ(form->PenModeComboBox->itemText(15), "NotXor");
  EXPECT_EQ(form->PenModeComboBox->currentIndex(), pmXor);
  EXPECT_EQ(form->ColorPaintBox->Color(), TColor(0x0000FF));
  EXPECT_EQ(Clicks, 0) << "loading tells nobody";

  form->PenModeComboBox->setCurrentIndex(pmCopy);
  form->PenStyleComboBox->setCurrentIndex(psSolid);
  form->WidthEdit->SetText("1a2");
  Dialogs.AnswerColor(0x00FF00);
  form->PointColorButton->click();
  EXPECT_EQ(Pen.GetMode(), pmCopy);
  EXPECT_EQ(Pen.GetStyle(), psSolid);
  EXPECT_EQ(Pen.GetWidth(), 12);
  EXPECT_EQ(form->WidthEdit->Text(), "12");
  EXPECT_EQ(Pen.GetColor(), TColor(0x00FF00));
  EXPECT_EQ(form->ColorPaintBox->Color(), TColor(0x00FF00));
  EXPECT_EQ(Clicks, 4);
  form->WidthEdit->SetText("");
  EXPECT_EQ(Pen.GetWidth(), 1);
  // The up-down writes the edit, which stores.
  form->PointSizeUpDown->SetPosition(600);
  EXPECT_EQ(Pen.GetWidth(), 500);
}

TEST_F(PenBrushDialogs, TypingAWidthThenEnterKeepsThePenDialogOpenASecondEnterCloses) {
  TOwnedPtr<TSLPenForm> form{CreateObject<TSLPenForm>(nullptr, &Pen)};
  form->Show();
  form->WidthEdit->setFocus();
  form->WidthEdit->selectAll();
  Type(form->WidthEdit, "q3");
  EXPECT_EQ(form->WidthEdit->Text(), "3");
  EXPECT_EQ(Pen.GetWidth(), 3);
  EXPECT_FALSE(form->Dialog()->IsDefault(form->OkButton));
  Enter(form->WidthEdit);
  EXPECT_TRUE(form->Widget()->isVisible());
  EXPECT_TRUE(form->Dialog()->IsDefault(form->OkButton));
  Enter(form->WidthEdit);
  EXPECT_FALSE(form->Widget()->isVisible());
  EXPECT_EQ(form->ModalResult(), mrOk);
}

TEST_F(PenBrushDialogs, EscClosesThePenDialogAndKeepsChanges) {
  TOwnedPtr<TSLPenForm> form{CreateObject<TSLPenForm>(nullptr, &Pen)};
  form->Show();
  form->PenStyleComboBox->setCurrentIndex(psDashDot);
  Esc(form->PenStyleComboBox);
  EXPECT_FALSE(form->Widget()->isVisible());
  EXPECT_EQ(form->ModalResult(), mrOk);
  EXPECT_EQ(Pen.GetStyle(), psDashDot);
}

TEST_F(PenBrushDialogs, BrushDialogKeepsAClearStyleClear) {
  Brush.SetColor(0x336699);
  TOwnedPtr<TSLBrushForm> form{CreateObject<TSLBrushForm>(nullptr, &Brush)};
  form->OnClick.Fn = [this](TObject *) { ++Clicks; };
  EXPECT_EQ(form->Caption(), "Brush");
  ASSERT_EQ(form->BrushStyleComboBox->count(), 8);
  EXPECT_EQ(form->BrushStyleComboBox->itemText(4), "FDiagonal");
  EXPECT_EQ(form->BrushStyleComboBox->itemText(7), "DiagCross");
  EXPECT_EQ(form->ColorPaintBox->Color(), TColor(0x336699));

  form->BrushStyleComboBox->setCurrentIndex(bsClear);
  EXPECT_EQ(Brush.GetStyle(), bsClear);
  EXPECT_EQ(Clicks, 1);
  form->BrushStyleComboBox->setCurrentIndex(bsHorizontal);
  EXPECT_EQ(Brush.GetStyle(), bsHorizontal);
  EXPECT_EQ(Brush.GetColor(), TColor(0x336699)) << "the swatch's colour comes back";
  Dialogs.AnswerColor(0x010203);
  form->PointColorButton->click();
  EXPECT_EQ(Brush.GetColor(), TColor(0x010203));
  EXPECT_EQ(Dialogs.ColorsShown, std::vector<TColor>{TColor(0x336699)});
  EXPECT_EQ(Clicks, 3);
}

// The marker groups page ----------------------------------------------------

class MarkerGroupsPage : public ScopeProperties {
protected:
  void SetUp() override {
    ScopeProperties::SetUp();
    for (int i = 0; i < 2; ++i)
      Scope->GetMarkerGroups()->Add()->SetName("G" + std::to_string(i));
  }
  TSLScopeMerkerGroupsForm *Page() {
    return dynamic_cast<TSLScopeMerkerGroupsForm *>(Form->GetPage(spspMarkerGroups));
  }
  TSLScopeMarkerGroup *Group(int i) { return Scope->GetMarkerGroups()->GetItem(i); }
};

TEST_F(MarkerGroupsPage, LegendClickOpensTheGroupAndAddRemoveStayOff) {
  WhileModal("SLScopePropertiesForm", [&](QWidget *dialog) {
    auto *tabs = dialog->findChild<QTabWidget *>("PageControl");
    EXPECT_EQ(tabs->tabText(tabs->currentIndex()), "Marker Groups");
    auto *list = dialog->findChild<gui::TCheckList *>("GroupListBox");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->ItemIndex(), 1);
    EXPECT_EQ(list->ItemText(0), "G0");
    EXPECT_FALSE(dialog->findChild<QPushButton *>("AddButton")->isEnabled());
    EXPECT_FALSE(dialog->findChild<QPushButton *>("RemoveButton")->isEnabled());
  });
  Scope->DoLegendClick(spspMarkerGroups, 1);
}

TEST_F(MarkerGroupsPage, StoresEveryControlIntoTheSelectedGroup) {
  Open(spspMarkerGroups, 1);
  TSLScopeMerkerGroupsForm *page = Page();
  EXPECT_EQ(page->ShapeComboBox->count(), 13);
  EXPECT_EQ(page->ShapeComboBox->itemText(msTriangleUp), "Triangle Up");
  EXPECT_EQ(page->ShapeComboBox->itemText(msHLine), "H Line");
  Window.Repaints = 0;
  page->ShapeComboBox->setCurrentIndex(msDiamond);
  page->LabelVisibleCheckBox->setChecked(!Group(1)->GetLabels()->GetVisible());
  const bool labelVisible = page->LabelVisibleCheckBox->isChecked();
  page->LabelEdit->SetText("at %X");
  EXPECT_FALSE(Form->OkIsDefault()) << "label typing takes the default role";
  Enter(page->LabelEdit);
  EXPECT_TRUE(Form->OkIsDefault());
  page->SizeEdit->SetText("1a2");
  EXPECT_EQ(page->SizeEdit->Text(), "12");
  EXPECT_FALSE(Form->OkIsDefault()) << "a size change takes the default role too";
  page->SizeEdit->SetText("");
  EXPECT_EQ(Group(1)->GetSize(), 1u) << "an empty size is 1";
  page->SizeEdit->SetText("7");
  EXPECT_GT(Window.Repaints, 0) << "every change shows at once";

  TSLScopeMarkerGroup *g = Group(1);
  EXPECT_EQ(g->GetShape(), msDiamond);
  EXPECT_EQ(g->GetLabels()->GetVisible(), labelVisible);
  EXPECT_EQ(g->GetLabels()->GetText(), "at %X");
  EXPECT_EQ(g->GetSize(), 7u);
  EXPECT_NE(Group(0)->GetShape(), msDiamond);
  EXPECT_NE(Group(0)->GetLabels()->GetText(), "at %X");

  // Selecting the other group loads it and stores nothing into either.
  page->GroupListBox->setCurrentRow(0);
  EXPECT_EQ(page->NameEdit->Text(), "G0");
  EXPECT_EQ(page->ShapeComboBox->currentIndex(), Group(0)->GetShape());
  EXPECT_EQ(page->SizeEdit->Text(), std::to_string(Group(0)->GetSize()));
  EXPECT_EQ(page->LabelEdit->Text(), Group(0)->GetLabels()->GetText());
  EXPECT_EQ(g->GetShape(), msDiamond);
  EXPECT_EQ(g->GetSize(), 7u);
}

TEST_F(MarkerGroupsPage, NameAndVisibilityReachTheGroupAndTheList) {
  Open(spspMarkerGroups, 0);
  TSLScopeMerkerGroupsForm *page = Page();
  page->NameEdit->setFocus();
  page->NameEdit->selectAll();
  Type(page->NameEdit, "peaks");
  EXPECT_EQ(Group(0)->GetName(), "G0");
  Esc(page->NameEdit);
  EXPECT_EQ(page->NameEdit->Text(), "G0");
  EXPECT_TRUE(Form->Widget()->isVisible());
  page->NameEdit->selectAll();
  Type(page->NameEdit, "peaks");
  Enter(page->NameEdit);
  EXPECT_EQ(Group(0)->GetName(), "peaks");
  EXPECT_EQ(page->GroupListBox->ItemText(0), "peaks");

  page->GroupListBox->item(0)->setCheckState(Qt::Unchecked);
  EXPECT_FALSE(Group(0)->GetVisible());
  EXPECT_FALSE(page->VisibleCheckBox->isChecked());
  page->VisibleCheckBox->setChecked(true);
  EXPECT_TRUE(Group(0)->GetVisible());
  EXPECT_TRUE(page->GroupListBox->Checked(0));
}

TEST_F(MarkerGroupsPage, PenDialogEditsTheGroupPen) {
  Open(spspMarkerGroups, 1);
  WhileModal("SLPenForm", [&](QWidget *dialog) {
    dialog->findChild<QComboBox *>("PenStyleComboBox")->setCurrentIndex(psDashDot);
  });
  Page()->PointPenButton->click();
  EXPECT_EQ(Group(1)->GetPen()->GetStyle(), psDashDot);
  EXPECT_NE(Group(0)->GetPen()->GetStyle(), psDashDot);
  WhileModal("SLBrushForm", [&](QWidget *dialog) {
    dialog->findChild<QComboBox *>("BrushStyleComboBox")->setCurrentIndex(bsCross);
  });
  Page()->PointBrushButton->click();
  EXPECT_EQ(Group(1)->GetBrush()->GetStyle(), bsCross);
}

TEST_F(ScopeProperties, AScopeWithoutMarkerGroupsShowsTheirPageDisabled) {
  ASSERT_EQ(Scope->GetMarkerGroups()->Count(), 0);
  Open(spspMarkerGroups, 0);
  auto *page = dynamic_cast<TSLScopeMerkerGroupsForm *>(Form->GetPage(spspMarkerGroups));
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(page->GroupListBox->count(), 0);
  for (QWidget *w : std::vector<QWidget *>{page->GroupListBox, page->NameEdit, page->ShapeComboBox,
                                           page->SizeEdit, page->PointPenButton, page->LabelEdit,
                                           page->SpeedButton})
    EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
  // Driven anyway, nothing happens and nothing is created.
  page->SizeEdit->SetText("5");
  page->LabelEdit->SetText("x");
  page->PointPenButton->click();
  EXPECT_EQ(Scope->GetMarkerGroups()->Count(), 0);
}

// The cursors page and its channel link editor ------------------------------

class CursorsPage : public ScopeProperties {
protected:
  void SetUp() override {
    ScopeProperties::SetUp();
    for (int i = 0; i < 3; ++i)
      Scope->GetCursors()->Add()->SetName("C" + std::to_string(i));
  }
  TSLScopeCursorsForm *Page() {
    return dynamic_cast<TSLScopeCursorsForm *>(Form->GetPage(spspCursors));
  }
  TSLDisplayCursor *Cursor(int i) { return Scope->GetCursors()->GetItem(i); }
  // Ticks (or unticks) channel Index for the selected cursor and selects it.
  void TickChannel(int Index, bool Ticked) {
    Page()->ChannelsListBox->item(Index)->setCheckState(Ticked ? Qt::Checked : Qt::Unchecked);
    Page()->ChannelsListBox->setCurrentRow(Index);
  }
};

TEST_F(CursorsPage, LegendClickSelectsTheCursorAndOnlyAddedCursorsCanBeRemoved) {
  WhileModal("SLScopePropertiesForm", [&](QWidget *dialog) {
    auto *page = dialog->findChild<QWidget *>("SLScopeCursorsForm");
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->findChild<gui::TCheckList *>("CursorListBox")->ItemIndex(), 2);
    EXPECT_EQ(page->findChild<gui::TFilteredEdit *>("NameEdit")->Text(), "C2");
    EXPECT_TRUE(dialog->findChild<QPushButton *>("AddButton")->isEnabled());
    EXPECT_FALSE(dialog->findChild<QPushButton *>("RemoveButton")->isEnabled())
        << "a cursor of the design stays";
  });
  Scope->DoLegendClick(spspCursors, 2);
}

TEST_F(CursorsPage, AddThenRemoveSelectsTheOneBefore) {
  Open(spspCursors, 0);
  TSLScopeCursorsForm *page = Page();
  Form->GetRemoveButton()->click(); // a design cursor: nothing happens
  EXPECT_EQ(Scope->GetCursors()->Count(), 3);

  Form->GetAddButton()->click();
  ASSERT_EQ(Scope->GetCursors()->Count(), 4);
  EXPECT_TRUE(Cursor(3)->GetVC_IsDynamic());
  EXPECT_EQ(page->CursorListBox->ItemIndex(), 3);
  EXPECT_EQ(page->CursorListBox->ItemText(3), Cursor(3)->GetName());
  EXPECT_EQ(page->NameEdit->Text(), Cursor(3)->GetName());
  EXPECT_TRUE(Form->GetRemoveButton()->isEnabled());

  page->CursorListBox->setCurrentRow(1);
  EXPECT_FALSE(Form->GetRemoveButton()->isEnabled());
  page->CursorListBox->setCurrentRow(3);
  Form->GetRemoveButton()->click();
  EXPECT_EQ(Scope->GetCursors()->Count(), 3);
  EXPECT_EQ(page->CursorListBox->count(), 3);
  EXPECT_EQ(page->CursorListBox->ItemIndex(), 2) << "the last removed: the one before";
  EXPECT_EQ(page->NameEdit->Text(), "C2");
  EXPECT_FALSE(Form->GetRemoveButton()->isEnabled());
}

TEST_F(ScopeProperties, CursorsPageOnAScopeWithoutCursors) {
  ASSERT_EQ(Scope->GetCursors()->Count(), 0);
  Open(spspCursors, 0);
  auto *page = dynamic_cast<TSLScopeCursorsForm *>(Form->GetPage(spspCursors));
  ASSERT_NE(page, nullptr);
  for (QWidget *w : std::vector<QWidget *>{page->CursorListBox, page->NameEdit, page->KindComboBox,
                                           page->ChannelsListBox})
    EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
  EXPECT_TRUE(Form->GetAddButton()->isEnabled());
  EXPECT_FALSE(Form->GetRemoveButton()->isEnabled());
  page->NameEdit->SetText("x");
  Enter(page->NameEdit);
  EXPECT_EQ(Scope->GetCursors()->Count(), 0);

  Form->GetAddButton()->click();
  ASSERT_EQ(Scope->GetCursors()->Count(), 1);
  EXPECT_TRUE(page->NameEdit->isEnabled());
  EXPECT_TRUE(page->ChannelsListBox->isEnabled());
  Form->GetRemoveButton()->click();
  EXPECT_EQ(Scope->GetCursors()->Count(), 0);
  EXPECT_EQ(page->CursorListBox->ItemIndex(), -1);
  EXPECT_FALSE(page->NameEdit->isEnabled()) << "removing the only cursor disables the page";
  EXPECT_FALSE(Form->GetRemoveButton()->isEnabled());
}

TEST_F(CursorsPage, StoresKindVisibilityColourAndName) {
  Open(spspCursors, 1);
  TSLScopeCursorsForm *page = Page();
  EXPECT_EQ(page->KindComboBox->itemText(ckHorizontal), "Horizontal");
  Window.Repaints = 0;
  page->KindComboBox->setCurrentIndex(ckBoth);
  EXPECT_EQ(Cursor(1)->GetKind(), ckBoth);
  EXPECT_GT(Window.Repaints, 0) << "every change shows at once";
  Dialogs.AnswerColor(0x0A0B0C);
  page->PointColorButton->click();
  EXPECT_EQ(Cursor(1)->GetColor(), TColor(0x0A0B0C));
  EXPECT_EQ(page->ColorPaintBox->Color(), TColor(0x0A0B0C));
  page->VisibleCheckBox->setChecked(false);
  EXPECT_FALSE(Cursor(1)->GetVisible());
  EXPECT_FALSE(page->CursorListBox->Checked(1));
  page->NameEdit->SetText("Start");
  Enter(page->NameEdit);
  EXPECT_EQ(Cursor(1)->GetName(), "Start");
  EXPECT_EQ(page->CursorListBox->ItemText(1), "Start");
  EXPECT_NE(Cursor(0)->GetKind(), ckBoth);
  EXPECT_TRUE(Cursor(0)->GetVisible());
}

TEST_F(CursorsPage, TickingAChannelLinksItAndShowsItsEditor) {
  Open(spspCursors, 0);
  TSLScopeCursorsForm *page = Page();
  ASSERT_EQ(page->ChannelsListBox->count(), 3);
  EXPECT_EQ(page->ChannelsListBox->ItemText(2), "Ch2");
  EXPECT_EQ(page->LinkForm(), nullptr);

  TickChannel(2, true);
  TSLDisplayChannelLinks *links = Cursor(0)->GetChannels();
  ASSERT_EQ(links->Count(), 1);
  EXPECT_EQ(links->GetItem(0)->GetChannel(), Channel(2));
  ASSERT_NE(page->LinkForm(), nullptr);
  EXPECT_EQ(page->LinkForm()->GetLink(), links->GetItem(0));

  // Another cursor has no link to it: the ticks and the editor follow.
  page->CursorListBox->setCurrentRow(1);
  EXPECT_FALSE(page->ChannelsListBox->Checked(2));
  EXPECT_EQ(page->LinkForm(), nullptr);
  page->CursorListBox->setCurrentRow(0);
  EXPECT_TRUE(page->ChannelsListBox->Checked(2));
  EXPECT_NE(page->LinkForm(), nullptr);

  TickChannel(2, false);
  EXPECT_EQ(links->Count(), 0);
  EXPECT_EQ(page->LinkForm(), nullptr);
}

TEST_F(CursorsPage, LinkEditorStoresEverySettingIntoTheLink) {
  Open(spspCursors, 0);
  TickChannel(1, true);
  TSLScopeChannelLinkForm *editor = Page()->LinkForm();
  ASSERT_NE(editor, nullptr);
  TSLDisplayChannelLink *link = Cursor(0)->GetChannels()->GetItem(0);
  EXPECT_EQ(editor->PointsSizeEdit->Text(), std::to_string(link->GetSize()));
  EXPECT_EQ(editor->ShapeComboBox->itemText(msTriangleLeft), "Triangle Left");

  Window.Repaints = 0;
  editor->ShapeComboBox->setCurrentIndex(msStar);
  editor->UseChannelCheckBox->setChecked(!link->GetUseChannelColor());
  const bool useChannel = editor->UseChannelCheckBox->isChecked();
  editor->LabelVisibleCheckBox->setChecked(true);
  editor->LabelEdit->SetText("v=");
  editor->PointsSizeEdit->SetText("9");
  EXPECT_EQ(link->GetShape(), msStar);
  EXPECT_EQ(link->GetUseChannelColor(), useChannel);
  EXPECT_TRUE(link->GetChannelLabel()->GetVisible());
  EXPECT_EQ(link->GetChannelLabel()->GetText(), "v=");
  EXPECT_EQ(link->GetSize(), 9u);
  EXPECT_GT(Window.Repaints, 0);
  editor->PointsSizeEdit->SetText("");
  EXPECT_EQ(link->GetSize(), 3u) << "an empty size is the link's default, 3";

  Dialogs.AnswerFont(gui::TScriptedColorFontDialogs::TFontAnswer{"Serif", 14, 0x0000FF});
  editor->BitBtn2->click();
  EXPECT_EQ(link->GetChannelLabel()->GetFont()->GetSize(), 14);
  EXPECT_EQ(link->GetChannelLabel()->GetFont()->GetColor(), TColor(0x0000FF));

  WhileModal("SLPenForm", [&](QWidget *dialog) {
    dialog->findChild<QComboBox *>("PenStyleComboBox")->setCurrentIndex(psDot);
  });
  editor->PointPenButton->click();
  EXPECT_EQ(link->GetPen()->GetStyle(), psDot);
}

TEST_F(CursorsPage, DigitsInTheLinkSizeTakeTheDefaultRoleUntilEnterOrEsc) {
  Open(spspCursors, 0);
  TickChannel(0, true);
  TSLScopeChannelLinkForm *editor = Page()->LinkForm();
  ASSERT_NE(editor, nullptr);
  editor->PointsSizeEdit->setFocus();
  editor->PointsSizeEdit->selectAll();
  Type(editor->PointsSizeEdit, "x");
  EXPECT_TRUE(Form->OkIsDefault()) << "a letter is swallowed";
  EXPECT_EQ(editor->PointsSizeEdit->Text(), std::to_string(editor->GetLink()->GetSize()));
  Type(editor->PointsSizeEdit, "12");
  EXPECT_FALSE(Form->OkIsDefault());
  EXPECT_EQ(editor->GetLink()->GetSize(), 12u);
  Enter(editor->PointsSizeEdit);
  EXPECT_TRUE(Form->OkIsDefault());
  EXPECT_TRUE(Form->Widget()->isVisible());
  Type(editor->PointsSizeEdit, "4");
  EXPECT_FALSE(Form->OkIsDefault());
  Esc(editor->PointsSizeEdit);
  EXPECT_TRUE(Form->OkIsDefault());
  EXPECT_TRUE(Form->Widget()->isVisible()) << "the first Esc only ends the typing";
}

// The cursor links page -------------------------------------------------------

class CursorLinksPage : public CursorsPage {
protected:
  void SetUp() override {
    CursorsPage::SetUp();
    for (int i = 0; i < 2; ++i) {
      TSLDisplayCursorLink *link = Scope->GetCursorLinks()->Add();
      link->SetName("L" + std::to_string(i));
      link->SetBeginCursorIndex(0);
      link->SetEndCursorIndex(i + 1);
    }
  }
  TSLScopeCursorLinksForm *LinksPage() {
    return dynamic_cast<TSLScopeCursorLinksForm *>(Form->GetPage(spspCursorLinks));
  }
  TSLDisplayCursorLink *Link(int i) { return Scope->GetCursorLinks()->GetItem(i); }
};

TEST_F(CursorLinksPage, PagesComeInOrderAndALegendClickOpensTheLink) {
  WhileModal("SLScopePropertiesForm", [&](QWidget *dialog) {
    auto *tabs = dialog->findChild<QTabWidget *>("PageControl");
    ASSERT_EQ(tabs->count(), 4);
    const char *captions[] = {"Channels", "Marker Groups", "Cursors", "Cursor Links"};
    for (int i = 0; i < 4; ++i)
      EXPECT_EQ(tabs->tabText(i).toStdString(), captions[i]);
    EXPECT_EQ(tabs->currentIndex(), 3);
    auto *page = dialog->findChild<QWidget *>("SLScopeCursorLinksForm");
    EXPECT_EQ(page->findChild<QListWidget *>("CursorLinksListBox")->currentRow(), 1);
    EXPECT_EQ(page->findChild<gui::TFilteredEdit *>("NameEdit")->Text(), "L1");
    EXPECT_EQ(page->findChild<QComboBox *>("EndCursorComboBox")->currentText(), "C2");
    EXPECT_TRUE(dialog->findChild<QPushButton *>("AddButton")->isEnabled());
    EXPECT_FALSE(dialog->findChild<QPushButton *>("RemoveButton")->isEnabled())
        << "a link of the design stays";
  });
  Scope->DoLegendClick(spspCursorLinks, 1);
}

TEST_F(CursorLinksPage, AddNeedsTwoCursors) {
  struct TCase {
    int Cursors;
    bool AddEnabled;
  };
  // Fewest last: cursors are taken away case by case.
  for (const TCase &c : {TCase{3, true}, TCase{2, true}, TCase{1, false}, TCase{0, false}}) {
    while (Scope->GetCursors()->Count() > c.Cursors)
      Scope->GetCursors()->Delete(Scope->GetCursors()->Count() - 1);
    Open(spspCursorLinks, 0);
    EXPECT_EQ(Form->GetAddButton()->isEnabled(), c.AddEnabled) << c.Cursors;
    const int before = Scope->GetCursorLinks()->Count();
    LinksPage()->AddItem();
    EXPECT_EQ(Scope->GetCursorLinks()->Count(), before + (c.AddEnabled ? 1 : 0)) << c.Cursors;
    Form.reset();
  }
}

TEST_F(CursorLinksPage, AddedLinksCanBeRemovedAndTheCursorListsFollowTheCursorsPage) {
  Open(spspCursors, 0);
  Form->GetAddButton()->click(); // a fourth cursor
  Form->GetPageControl()->setCurrentIndex(spspCursorLinks);
  TSLScopeCursorLinksForm *page = LinksPage();
  EXPECT_EQ(page->BeginCursorComboBox->count(), 4) << "refilled on activation";
  EXPECT_EQ(page->EndCursorComboBox->itemText(3).toStdString(), Cursor(3)->GetName());

  Form->GetAddButton()->click();
  ASSERT_EQ(Scope->GetCursorLinks()->Count(), 3);
  EXPECT_TRUE(Link(2)->GetVC_IsDynamic());
  EXPECT_EQ(page->CursorLinksListBox->currentRow(), 2);
  EXPECT_TRUE(Form->GetRemoveButton()->isEnabled());
  page->CursorLinksListBox->setCurrentRow(0);
  EXPECT_FALSE(Form->GetRemoveButton()->isEnabled());
  Form->GetRemoveButton()->click();
  EXPECT_EQ(Scope->GetCursorLinks()->Count(), 3);
  page->CursorLinksListBox->setCurrentRow(2);
  Form->GetRemoveButton()->click();
  EXPECT_EQ(Scope->GetCursorLinks()->Count(), 2);
  EXPECT_EQ(page->CursorLinksListBox->count(), 2);
  EXPECT_EQ(page->CursorLinksListBox->currentRow(), 1);
  EXPECT_EQ(page->NameEdit->Text(), "L1");
}

TEST_F(CursorLinksPage, StoresEveryControlIntoTheSelectedLink) {
  Open(spspCursorLinks, 0);
  TSLScopeCursorLinksForm *page = LinksPage();
  EXPECT_EQ(page->MeasurementModeComboBox->count(), 16);
  EXPECT_EQ(page->MeasurementModeComboBox->itemText(0), "Black");
  EXPECT_EQ(page->MeasurementModeComboBox->itemText(15), "NotXor");
  EXPECT_EQ(page->MeasurementStyleComboBox->count(), 7);
  EXPECT_EQ(page->MeasurementStyleComboBox->itemText(6), "InsideFrame");

  Window.Repaints = 0;
  page->BeginCursorComboBox->setCurrentIndex(2);
  EXPECT_EQ(Link(0)->GetBeginCursorIndex(), 2);
  EXPECT_EQ(page->BeginCursorComboBox->currentIndex(), 2) << "reloaded from the link";
  page->MeasurementStyleComboBox->setCurrentIndex(psDash);
  page->MeasurementModeComboBox->setCurrentIndex(pmXor);
  page->MeasurementVisibleCheckBox->setChecked(!Link(0)->GetMeasurementLine()->GetVisible());
  const bool lineVisible = page->MeasurementVisibleCheckBox->isChecked();
  page->SelectionVisibleCheckBox->setChecked(!Link(0)->GetSelection()->GetVisible());
  const bool selectionVisible = page->SelectionVisibleCheckBox->isChecked();
  page->LabelVisibleCheckBox->setChecked(true);
  page->LabelEdit->SetText("dt ");
  Dialogs.AnswerColor(0x102030);
  page->BitBtn1->click();
  Dialogs.AnswerFont(gui::TScriptedColorFontDialogs::TFontAnswer{"Mono", 11, 0x00FF00});
  page->BitBtn3->click();
  WhileModal("SLBrushForm", [&](QWidget *dialog) {
    dialog->findChild<QComboBox *>("BrushStyleComboBox")->setCurrentIndex(bsDiagCross);
  });
  page->PointBrushButton->click();
  EXPECT_GT(Window.Repaints, 0) << "every change shows at once";

  TSLScopeMeasurementLine *line = Link(0)->GetMeasurementLine();
  EXPECT_EQ(line->GetStyle(), psDash);
  EXPECT_EQ(line->GetMode(), pmXor);
  EXPECT_EQ(line->GetVisible(), lineVisible);
  EXPECT_EQ(Link(0)->GetSelection()->GetVisible(), selectionVisible);
  EXPECT_TRUE(line->GetMeasurementLabel()->GetVisible());
  EXPECT_EQ(line->GetMeasurementLabel()->GetText(), "dt ");
  EXPECT_EQ(line->GetColor(), TColor(0x102030));
  EXPECT_EQ(page->MeasurementColorPaintBox->Color(), TColor(0x102030));
  EXPECT_EQ(line->GetMeasurementLabel()->GetFont()->GetSize(), 11);
  EXPECT_EQ(Link(0)->GetSelection()->GetBrush()->GetStyle(), bsDiagCross);
  EXPECT_NE(Link(1)->GetMeasurementLine()->GetStyle(), psDash);
  EXPECT_NE(Link(1)->GetMeasurementLine()->GetMeasurementLabel()->GetText(), "dt ");

  page->CursorLinksListBox->setCurrentRow(1);
  EXPECT_EQ(page->NameEdit->Text(), "L1");
  EXPECT_EQ(page->EndCursorComboBox->currentIndex(), 2);
  EXPECT_EQ(page->MeasurementStyleComboBox->currentIndex(),
            Link(1)->GetMeasurementLine()->GetStyle());
  EXPECT_EQ(Link(0)->GetBeginCursorIndex(), 2) << "loading stores nothing into the other";
}

TEST_F(ScopeProperties, CursorLinksPageOnAScopeWithoutLinks) {
  Open(spspCursorLinks, 0);
  auto *page = dynamic_cast<TSLScopeCursorLinksForm *>(Form->GetPage(spspCursorLinks));
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(page->CursorLinksListBox->count(), 0);
  EXPECT_FALSE(page->NameEdit->isEnabled());
  EXPECT_FALSE(page->MeasurementStyleComboBox->isEnabled());
  EXPECT_FALSE(Form->GetAddButton()->isEnabled());
  EXPECT_FALSE(Form->GetRemoveButton()->isEnabled());
  page->LabelEdit->SetText("x");
  page->MeasurementStyleComboBox->setCurrentIndex(psDot);
  page->BitBtn1->click();
  page->RemoveItem();
  EXPECT_EQ(Scope->GetCursorLinks()->Count(), 0);
}

TEST_F(CursorLinksPage, RemovingAnAddedCursorLetsGoOfItsLinkAndItsEditor) {
  Open(spspCursors, 0);
  Form->GetAddButton()->click();
  TickChannel(1, true);
  ASSERT_NE(Page()->LinkForm(), nullptr);
  Form->GetPageControl()->setCurrentIndex(spspCursorLinks);
  LinksPage()->CursorLinksListBox->setCurrentRow(1);
  LinksPage()->EndCursorComboBox->setCurrentIndex(3);
  ASSERT_EQ(Link(1)->GetEndCursor(), Cursor(3));

  Form->GetPageControl()->setCurrentIndex(spspCursors);
  EXPECT_TRUE(Form->GetRemoveButton()->isEnabled());
  Form->GetRemoveButton()->click();
  EXPECT_EQ(Scope->GetCursors()->Count(), 3);
  EXPECT_EQ(Page()->CursorListBox->ItemIndex(), 2);
  EXPECT_EQ(Page()->LinkForm(), nullptr) << "the cursor now selected has no link to Ch1";
  // The link moves its end to a cursor that is still there.
  const int32_t end = Link(1)->GetEndCursorIndex();
  EXPECT_GE(end, 0);
  EXPECT_LT(end, 3);

  Form->GetPageControl()->setCurrentIndex(spspCursorLinks);
  EXPECT_EQ(LinksPage()->EndCursorComboBox->count(), 3);
  EXPECT_EQ(LinksPage()->EndCursorComboBox->currentIndex(), end);
  EXPECT_EQ(LinksPage()->BeginCursorComboBox->currentIndex(), Link(1)->GetBeginCursorIndex());
}

// Every placeholder menu inserts its code at the caret, or over the selection.
TEST_F(CursorLinksPage, PlaceholderMenusInsertTheirCodes) {
  Scope->GetMarkerGroups()->Add();
  Open(spspCursors, 0);
  TickChannel(0, true);
  ASSERT_NE(Page()->LinkForm(), nullptr);
  struct TMenu {
    const char *Where;
    QMenu *Menu;
    gui::TFilteredEdit *Edit;
    std::vector<std::pair<std::string, std::string>> Items;
  };
  auto *groups = dynamic_cast<TSLScopeMerkerGroupsForm *>(Form->GetPage(spspMarkerGroups));
  const std::vector<TMenu> menus = {
      {"marker groups",
       groups->PopupMenu,
       groups->LabelEdit,
       {{"X Axis", "%X"}, {"Y Axis", "%Y"}, {"%", "%%"}}},
      {"link editor",
       Page()->LinkForm()->PopupMenu,
       Page()->LinkForm()->LabelEdit,
       {{"X Axis", "%X"}, {"Y Axis", "%Y"}, {"Default", "%D"}, {"%", "%%"}}},
      {"cursor links",
       LinksPage()->PopupMenu,
       LinksPage()->LabelEdit,
       {{"Value", "%V"}, {"%", "%%"}}},
  };
  for (const TMenu &m : menus) {
    ASSERT_EQ(m.Menu->actions().size(), qsizetype(m.Items.size())) << m.Where;
    for (size_t i = 0; i < m.Items.size(); ++i) {
      QAction *action = m.Menu->actions()[qsizetype(i)];
      EXPECT_EQ(action->text().toStdString(), m.Items[i].first) << m.Where;
      m.Edit->SetText("a<b");
      m.Edit->setSelection(1, 1); // the "<"
      action->trigger();
      EXPECT_EQ(m.Edit->Text(), "a" + m.Items[i].second + "b") << m.Where << " " << i;
    }
  }
  EXPECT_EQ(Scope->GetMarkerGroups()->GetItem(0)->GetLabels()->GetText(), "a%%b");
  EXPECT_EQ(Link(0)->GetMeasurementLine()->GetMeasurementLabel()->GetText(), "a%%b");
  EXPECT_EQ(Cursor(0)->GetChannels()->GetItem(0)->GetChannelLabel()->GetText(), "a%%b");
}

} // namespace
