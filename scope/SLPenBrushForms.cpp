#include "scope/SLPenBrushForms.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "platform/classlib/ClassBuilder.h"
#include "platform/gui/Application.h"
#include "scope/SLPropertyPageForm.h"

const std::vector<std::string> &SLPenStyleNames() {
  static const std::vector<std::string> names{
      "psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot", "psClear", "psInsideFrame"};
  return names;
}

const std::vector<std::string> &SLPenModeNames() {
  static const std::vector<std::string> names{
      "pmBlack",       "pmWhite",      "pmNop",         "pmNot",        "pmCopy",  "pmNotCopy",
      "pmMergePenNot", "pmMaskPenNot", "pmMergeNotPen", "pmMaskNotPen", "pmMerge", "pmNotMerge",
      "pmMask",        "pmNotMask",    "pmXor",         "pmNotXor"};
  return names;
}

const std::vector<std::string> &SLBrushStyleNames() {
  static const std::vector<std::string> names{"bsSolid",    "bsClear",     "bsHorizontal",
                                              "bsVertical", "bsFDiagonal", "bsBDiagonal",
                                              "bsCross",    "bsDiagCross"};
  return names;
}

namespace {

// A small tool dialog over Owner's form with OK as default and cancel
// button; returns OK.
QPushButton *SetUpDialog(gui::TToolDialog *Dialog, TComponent *Owner, const char *Name) {
  Dialog->setObjectName(Name);
  if (QWidget *parent = SLOwnerWidget(Owner))
    Dialog->setParent(parent, Qt::Tool);
  else
    Dialog->setWindowFlags(Qt::Tool);
  QPushButton *ok = gui::MakeButton("OK", "OkButton", Dialog);
  Dialog->SetDefaultButton(ok);
  Dialog->SetCancelButton(ok);
  return ok;
}

} // namespace

// Pen ------------------------------------------------------------------------

TSLPenForm::TSLPenForm(TComponent *Owner, TPen *Pen)
    : gui::TForm(Owner, new gui::TToolDialog), FPen(Pen) {
  gui::TToolDialog *dialog = Dialog();
  OkButton = SetUpDialog(dialog, Owner, "SLPenForm");
  SetCaption("Pen");

  PointColorButton = gui::MakeButton("&Color...", "PointColorButton", dialog);
  ColorPaintBox = new gui::TColorSwatch(dialog);
  ColorPaintBox->setObjectName("ColorPaintBox");
  PenStyleComboBox = new QComboBox(dialog);
  PenStyleComboBox->setObjectName("PenStyleComboBox");
  PenModeComboBox = new QComboBox(dialog);
  PenModeComboBox->setObjectName("PenModeComboBox");
  WidthEdit = new gui::TFilteredEdit(dialog);
  WidthEdit->setObjectName("WidthEdit");
  PointSizeUpDown = new gui::TUpDown(WidthEdit, 1, 500, dialog);
  PointSizeUpDown->setObjectName("PointSizeUpDown");

  auto *form = new QFormLayout;
  auto *colorRow = new QHBoxLayout;
  colorRow->addWidget(ColorPaintBox, 1);
  colorRow->addWidget(PointColorButton);
  form->addRow(SLLabel("Color", ColorPaintBox), colorRow);
  form->addRow(SLLabel("&Style", PenStyleComboBox), PenStyleComboBox);
  form->addRow(SLLabel("&Mode", PenModeComboBox), PenModeComboBox);
  auto *widthRow = new QHBoxLayout;
  widthRow->addWidget(WidthEdit, 1);
  widthRow->addWidget(PointSizeUpDown);
  form->addRow(SLLabel("&Width", WidthEdit), widthRow);
  auto *layout = new QVBoxLayout(dialog);
  layout->addLayout(form);
  layout->addWidget(OkButton, 0, Qt::AlignRight);

  FUpdating = true;
  PointSizeUpDown->SetPosition(FPen->GetWidth());
  WidthEdit->SetText(std::to_string(FPen->GetWidth()));
  SLFillEnumCombo(PenStyleComboBox, SLPenStyleNames(), false);
  PenStyleComboBox->setCurrentIndex(FPen->GetStyle());
  SLFillEnumCombo(PenModeComboBox, SLPenModeNames(), false);
  PenModeComboBox->setCurrentIndex(FPen->GetMode());
  ColorPaintBox->SetColor(FPen->GetColor());
  FUpdating = false;

  QObject::connect(OkButton, &QPushButton::clicked, dialog, [this] { SetModalResult(mrOk); });
  QObject::connect(PointColorButton, &QPushButton::clicked, dialog,
                   [this] { gui::Guarded([&] { PointColorButtonClick(); }); });
  QObject::connect(PenStyleComboBox, &QComboBox::currentIndexChanged, dialog,
                   [this] { gui::Guarded([&] { PenStyleComboBoxChange(); }); });
  QObject::connect(PenModeComboBox, &QComboBox::currentIndexChanged, dialog,
                   [this] { gui::Guarded([&] { PenModeComboBoxChange(); }); });
  WidthEdit->OnChange = [this] { WidthEditChange(); };
  WidthEdit->OnKeyPress = [this](char &Key) { WidthEditKeyPress(Key); };
}

void TSLPenForm::Click() {
  if (OnClick)
    OnClick(this);
}

void TSLPenForm::PointColorButtonClick() {
  ColorDialog.Color = FPen->GetColor();
  if (!ColorDialog.Execute())
    return;
  FPen->SetColor(ColorDialog.Color);
  ColorPaintBox->SetColor(ColorDialog.Color);
  Click();
}

void TSLPenForm::PenStyleComboBoxChange() {
  if (FUpdating || PenStyleComboBox->currentIndex() < 0)
    return;
  FPen->SetStyle(static_cast<TPenStyle>(PenStyleComboBox->currentIndex()));
  Click();
}

void TSLPenForm::PenModeComboBoxChange() {
  if (FUpdating || PenModeComboBox->currentIndex() < 0)
    return;
  FPen->SetMode(static_cast<TPenMode>(PenModeComboBox->currentIndex()));
  Click();
}

void TSLPenForm::WidthEditChange() {
  if (FUpdating)
    return;
  const std::string digits = gui::DigitsOnly(WidthEdit->Text());
  if (digits != WidthEdit->Text()) {
    // The edit's change runs again with the cleaned text and stores it.
    WidthEdit->SetText(digits);
    return;
  }
  FPen->SetWidth(gui::DigitsToInt(digits, 1));
  Click();
}

void TSLPenForm::WidthEditKeyPress(char &Key) {
  if (Key == 13) {
    Dialog()->SetDefaultButton(OkButton);
    Key = 0;
  } else if (Key == 27) {
    Dialog()->SetDefaultButton(OkButton);
  } else if (Key >= '0' && Key <= '9') {
    Dialog()->SetDefaultButton(nullptr);
  } else if (static_cast<unsigned char>(Key) >= 32) {
    Key = 0;
  }
}

// Brush ----------------------------------------------------------------------

TSLBrushForm::TSLBrushForm(TComponent *Owner, TBrush *Brush)
    : gui::TForm(Owner, new gui::TToolDialog), FBrush(Brush) {
  gui::TToolDialog *dialog = Dialog();
  OkButton = SetUpDialog(dialog, Owner, "SLBrushForm");
  SetCaption("Brush");

  PointColorButton = gui::MakeButton("&Color...", "PointColorButton", dialog);
  ColorPaintBox = new gui::TColorSwatch(dialog);
  ColorPaintBox->setObjectName("ColorPaintBox");
  BrushStyleComboBox = new QComboBox(dialog);
  BrushStyleComboBox->setObjectName("BrushStyleComboBox");

  auto *form = new QFormLayout;
  auto *colorRow = new QHBoxLayout;
  colorRow->addWidget(ColorPaintBox, 1);
  colorRow->addWidget(PointColorButton);
  form->addRow(SLLabel("Color", ColorPaintBox), colorRow);
  form->addRow(SLLabel("&Style", BrushStyleComboBox), BrushStyleComboBox);
  auto *layout = new QVBoxLayout(dialog);
  layout->addLayout(form);
  layout->addWidget(OkButton, 0, Qt::AlignRight);

  FUpdating = true;
  SLFillEnumCombo(BrushStyleComboBox, SLBrushStyleNames(), false);
  BrushStyleComboBox->setCurrentIndex(FBrush->GetStyle());
  ColorPaintBox->SetColor(FBrush->GetColor());
  FUpdating = false;

  QObject::connect(OkButton, &QPushButton::clicked, dialog, [this] { SetModalResult(mrOk); });
  QObject::connect(PointColorButton, &QPushButton::clicked, dialog,
                   [this] { gui::Guarded([&] { PointColorButtonClick(); }); });
  QObject::connect(BrushStyleComboBox, &QComboBox::currentIndexChanged, dialog,
                   [this] { gui::Guarded([&] { BrushStyleComboBoxChange(); }); });
}

void TSLBrushForm::Click() {
  if (OnClick)
    OnClick(this);
}

void TSLBrushForm::PointColorButtonClick() {
  ColorDialog.Color = FBrush->GetColor();
  if (!ColorDialog.Execute())
    return;
  FBrush->SetColor(ColorDialog.Color);
  ColorPaintBox->SetColor(ColorDialog.Color);
  Click();
}

void TSLBrushForm::BrushStyleComboBoxChange() {
  if (FUpdating || BrushStyleComboBox->currentIndex() < 0)
    return;
  const auto style = static_cast<TBrushStyle>(BrushStyleComboBox->currentIndex());
  FBrush->SetStyle(style);
  // Storing the colour again would turn a clear brush solid; a clear brush
  // keeps its colour for when a fill style is chosen again.
  if (style != bsClear)
    FBrush->SetColor(ColorPaintBox->Color());
  Click();
}
