#include "scope/SLLabels.h"

#include "platform/classlib/ClassBuilder.h"
#include "platform/sys/ScopeExit.h"

const TClassInfo &TSLOptionalLabel::StaticClassInfo() {
  using C = TSLOptionalLabel;
  static const TClassInfo &info = MakeClassInfo<C>(
      "TSLOptionalLabel", &TPersistent::StaticClassInfo(), [](TClassBuilder<C> &c) {
        c.String("Text", &C::GetText, &C::SetText);
        c.Object("Font", &C::GetFont, &C::SetFont);
      });
  return info;
}

const TClassInfo &TSLDisplayLabel::StaticClassInfo() {
  static const TClassInfo &info =
      MakeClassInfo<TSLDisplayLabel>("TSLDisplayLabel", &TSLOptionalLabel::StaticClassInfo());
  return info;
}

const TClassInfo &TSLMeasurementLabel::StaticClassInfo() {
  static const TClassInfo &info = MakeClassInfo<TSLMeasurementLabel>(
      "TSLMeasurementLabel", &TSLOptionalLabel::StaticClassInfo());
  return info;
}

TSLOptionalLabel::TSLOptionalLabel() : FFont(std::make_unique<TFont>()) {
  FFont->SetName("Arial");
  FFont->SetSize(DefaultFontSize + 2);
  FFont->SetColor(clWhite);
  FFont->OnChange = [this](TObject *Sender) { FontChanged(Sender); };
}

TSLOptionalLabel::~TSLOptionalLabel() = default;

void TSLOptionalLabel::Invalidate() {
  if (OnChange)
    OnChange(this);
}

void TSLOptionalLabel::SetText(const std::string &Value) {
  if (Value == FText)
    return;
  FText = Value;
  Invalidate();
}

void TSLOptionalLabel::SetVisible(bool Value) {
  if (Value == FVisible)
    return;
  FVisible = Value;
  Invalidate();
}

void TSLOptionalLabel::SetFont(TFont *Value) {
  // The font's own notification would report the change as well; one
  // report is enough.
  auto Hook = std::move(FFont->OnChange);
  FFont->OnChange = nullptr;
  {
    sys::TScopeExit Restore([&] { FFont->OnChange = std::move(Hook); });
    FFont->Assign(Value);
  }
  Invalidate();
}

void TSLOptionalLabel::FontChanged(TObject *) { Invalidate(); }

void TSLOptionalLabel::Assign(TPersistent *Source) {
  auto *Label = dynamic_cast<TSLOptionalLabel *>(Source);
  // A display label is the common currency of captions; a label of the same
  // kind (a measurement label copied to another) must copy as well.
  bool Accepted = dynamic_cast<TSLDisplayLabel *>(Source) != nullptr ||
                  (Label && Label->ClassInfo().InheritsFrom(ClassInfo()));
  if (!Accepted) {
    TPersistent::Assign(Source);
    return;
  }
  FText = Label->FText;
  auto Hook = std::move(FFont->OnChange);
  FFont->OnChange = nullptr;
  FFont->Assign(Label->FFont.get());
  FFont->OnChange = std::move(Hook);
  FVisible = Label->FVisible;
}

TSLDisplayLabel::TSLDisplayLabel() {
  GetFont()->OnChange = nullptr;
  GetFont()->SetStyle(GetFont()->GetStyle() | FontStyle(fsBold));
  GetFont()->OnChange = [this](TObject *Sender) { FontChanged(Sender); };
}

TSLMeasurementLabel::TSLMeasurementLabel() {
  GetFont()->OnChange = nullptr;
  GetFont()->SetSize(GetFont()->GetSize() - 2);
  GetFont()->OnChange = [this](TObject *Sender) { FontChanged(Sender); };
}

const TClassInfo &TSLDisplayTitle::StaticClassInfo() {
  using C = TSLDisplayTitle;
  static const TClassInfo &info = MakeClassInfo<C>(
      "TSLDisplayTitle", &TSLOptionalView::StaticClassInfo(), [](TClassBuilder<C> &c) {
        c.String("Text", &C::GetText, &C::SetText);
        c.Object("Font", &C::GetFont, &C::SetFont);
      });
  return info;
}

TSLDisplayTitle::TSLDisplayTitle(ISLAxisChart *Display)
    : TSLOptionalView(Display), FDisplayChart(Display), FFont(std::make_unique<TFont>()) {
  FFont->SetColor(clWhite);
  FFont->SetName("Arial");
  FFont->SetSize(DefaultFontSize + 8);
  FFont->SetStyle(FontStyle(fsBold));
  FFont->OnChange = [this](TObject *Sender) { FontChanged(Sender); };
}

void TSLDisplayTitle::SetText(const std::string &Value) {
  if (Value == FText)
    return;
  FText = Value;
  InvalidateRecalc();
}

TPoint TSLDisplayTitle::GetDefaultSize() {
  TCanvas *C = FDisplayChart->GetCanvas();
  C->SetFont(FFont.get());
  return TPoint{-1, C->TextHeight("Xg") + 16};
}

void TSLDisplayTitle::Draw(TSLDisplayDrawPart, TCanvas *Canvas, bool, bool, double, double, int32_t,
                           double) {
  Canvas->SetFont(FFont.get());
  Canvas->TextOut(FDisplayChart->GetPlotWidth() / 2 - Canvas->TextWidth(FText) / 2, 4, FText);
}
