#include "scope/SLLegend.h"

#include <algorithm>

#include "platform/classlib/ClassBuilder.h"

namespace {

int32_t TextHeightXg(TCanvas *Canvas) { return Canvas->TextHeight("Xg"); }

} // namespace

// Sections ------------------------------------------------------------------------------

const TClassInfo &TSLLegendGroup::StaticClassInfo() {
  using C = TSLLegendGroup;
  static const TClassInfo &info =
      MakeClassInfo<C>("TSLLegendGroup", &TPersistent::StaticClassInfo(), [](TClassBuilder<C> &c) {
        c.Object("Caption", &C::GetCaption, &C::SetLegendLabel);
        c.Boolean("Visible", &C::GetVisible, &C::SetVisible, true);
        c.Integer("Cursor", &C::GetCursor, &C::SetCursor, crHandPoint);
        c.Event("OnItemClick", &C::OnItemClick);
      });
  return info;
}

TSLLegendGroup::TSLLegendGroup(TSLLegendView *Legend, TSLItemKind Kind, std::string DefaultCaption)
    : FLegend(Legend), FKind(Kind), FDefaultCaption(std::move(DefaultCaption)) {
  FCaption.OnChange = [this](TObject *) { Changed(); };
}

void TSLLegendGroup::Changed() { FLegend->InvalidateRecalc(); }

void TSLLegendGroup::SetLegendLabel(TSLDisplayLabel *Value) {
  FCaption.Assign(Value);
  Changed();
}

void TSLLegendGroup::SetVisible(bool Value) {
  if (Value == FVisible)
    return;
  FVisible = Value;
  Changed();
}

TSLDisplayCollection *TSLLegendGroup::GetCollection() const {
  return FLegend->GetDisplay()->GetItems(FKind);
}

bool TSLLegendGroup::Empty() const {
  TSLDisplayCollection *C = GetCollection();
  return !FVisible || C == nullptr || C->Count() == 0;
}

const std::string &TSLLegendGroup::CaptionText() const {
  return FCaption.GetText().empty() ? FDefaultCaption : FCaption.GetText();
}

bool TSLLegendGroup::ClearHot() {
  if (FHotIndex == -1)
    return false;
  FHotIndex = -1;
  return true;
}

TPoint TSLLegendGroup::GetDefaultSize(TCanvas *Canvas) {
  if (Empty())
    return {0, -1};
  TCanvasSaver Saved(Canvas);
  int32_t Width = 0;
  if (FCaption.GetVisible()) {
    Canvas->SetFont(FCaption.GetFont());
    Width = Canvas->TextWidth(CaptionText()) + 23;
  }
  Canvas->SetFont(FLegend->GetFont());
  TSLDisplayCollection *C = GetCollection();
  for (int32_t I = 0; I < C->Count(); ++I) {
    TSLDisplayCollectionItem *Item = C->GetItem(I);
    if (Item->IsVisible())
      Width = std::max(Width, Canvas->TextWidth(Item->GetName()) + 30);
  }
  return {Width, -1};
}

void TSLLegendGroup::ButtonHitTest(TCanvas *Canvas, int32_t X, int32_t Y, int32_t &RowY) {
  if (Empty())
    return;
  TCanvasSaver Saved(Canvas);
  if (FCaption.GetVisible()) {
    Canvas->SetFont(FCaption.GetFont());
    RowY -= 6;
    RowY += std::max(TextHeightXg(Canvas) + 1, 6);
  }
  Canvas->SetFont(FLegend->GetFont());
  const int32_t H = FLegend->RowHeight(Canvas);
  const int32_t Half = TextHeightXg(Canvas) / 2;
  const TRect &L = FLegend->GetRect();
  TSLDisplayCollection *C = GetCollection();
  const int32_t Old = FHotIndex;
  int32_t New = -1;
  for (int32_t I = 0; I < C->Count(); ++I) {
    if (!C->GetItem(I)->IsVisible())
      continue;
    const TRect Button{L.Left + 4, RowY - Half, L.Right - 2, RowY + H - Half};
    if (PtInRect(Button, {X, Y})) {
      New = I;
      if (Old != I)
        FLegend->GetDisplay()->InvalidateViewRect(Button);
    } else if (Old == I) {
      FLegend->GetDisplay()->InvalidateViewRect(Button);
    }
    RowY += H;
  }
  if (New >= 0 && Old == -1)
    FLegend->GetDisplay()->ShowViewCursor(FCursor);
  else if (New == -1 && Old != -1)
    FLegend->GetDisplay()->RestoreViewCursor();
  FHotIndex = New;
  // The item may go in its own SetHighlighted (a handler); the collection
  // is asked again.
  if (New >= 0)
    C->GetItem(New)->SetHighlighted(true);
  else if (C->Count() > 0)
    C->GetItem(0)->SetHighlighted(false);
  RowY += H;
}

void TSLLegendGroup::Draw(TCanvas *Canvas, bool Exporting, int32_t &RowY) {
  if (Empty())
    return;
  if (FCaption.GetVisible()) {
    Canvas->SetFont(FCaption.GetFont());
    Canvas->Brush()->SetStyle(bsClear);
    RowY -= 6;
    const int32_t Height = TextHeightXg(Canvas);
    Canvas->TextOut(FLegend->GetRect().Left + 4, RowY - Height / 2, CaptionText());
    RowY += std::max(Height + 1, 6);
    Canvas->SetFont(FLegend->GetFont());
    Canvas->Brush()->SetStyle(bsSolid);
  }
  Canvas->SetFont(FLegend->GetFont());
  const int32_t H = FLegend->RowHeight(Canvas);
  const int32_t Half = TextHeightXg(Canvas) / 2;
  const int32_t Lv = FLegend->GetRect().Left, Rv = FLegend->GetRect().Right;
  TSLDisplayCollection *C = GetCollection();
  for (int32_t I = 0; I < C->Count(); ++I) {
    TSLDisplayCollectionItem *Item = C->GetItem(I);
    if (!Item->IsVisible())
      continue;
    if (!Exporting && (I == FHotIndex || Item->GetHighlighted())) {
      const bool Down = I == FPressedIndex || Item->GetMouseDown();
      const TColor Button =
          Down ? FLegend->GetMouseDownButtonColor() : FLegend->GetMouseOverButtonColor();
      const TColor Border =
          Down ? FLegend->GetMouseDownBorderColor() : FLegend->GetMouseOverBorderColor();
      RowY -= 1;
      const int32_t Top = RowY - Half, Bottom = RowY + H - Half;
      Canvas->Brush()->SetStyle(bsSolid);
      Canvas->Brush()->SetColor(Button);
      Canvas->FillRect({Lv + 5, Top, Rv - 5, Bottom});
      Canvas->Pen()->SetColor(Border);
      Canvas->Pen()->SetStyle(psSolid);
      Canvas->Pen()->SetWidth(1);
      Canvas->MoveTo(Lv + 5, Top);
      Canvas->LineTo(Rv - 5, Top);
      Canvas->MoveTo(Lv + 4, Top + 1);
      Canvas->LineTo(Lv + 4, Bottom);
      Canvas->MoveTo(Lv + 5, Bottom);
      Canvas->LineTo(Rv - 5, Bottom);
      Canvas->MoveTo(Rv - 5, Top + 1);
      Canvas->LineTo(Rv - 5, Bottom);
      Canvas->SetPixel(Lv + 5, Top + 1, Border);
      Canvas->SetPixel(Rv - 6, Top + 1, Border);
      Canvas->SetPixel(Lv + 5, Bottom - 1, Border);
      Canvas->SetPixel(Rv - 6, Bottom - 1, Border);
      RowY += 1;
    }
    Canvas->Pen()->SetColor(Item->GetLegendPenColor());
    Canvas->Pen()->SetStyle(psSolid);
    Canvas->Pen()->SetWidth(1);
    Canvas->Brush()->SetColor(Item->GetLegendBrushColor());
    Canvas->Rectangle(Lv + 6, RowY, Lv + 20, RowY + 3);
    Canvas->Brush()->SetStyle(bsClear);
    Canvas->TextOut(Lv + 23, RowY - Half, Item->GetName());
    Canvas->Brush()->SetStyle(bsSolid);
    RowY += H;
  }
  RowY += H;
}

void TSLLegendGroup::Assign(TPersistent *Source) {
  if (auto *G = dynamic_cast<TSLLegendGroup *>(Source)) {
    FCaption.Assign(&G->FCaption);
    FVisible = G->FVisible;
    FCursor = G->FCursor;
    OnItemClick = G->OnItemClick;
    Changed();
    return;
  }
  TPersistent::Assign(Source);
}

// The legend view ---------------------------------------------------------------------------

const TClassInfo &TSLLegendView::StaticClassInfo() {
  using C = TSLLegendView;
  static const TClassInfo &info = MakeClassInfo<C>(
      "TSLLegendView", &TSLOptionalView::StaticClassInfo(), [](TClassBuilder<C> &c) {
        c.Object("Font", &C::GetFont, &C::SetFont);
        c.Integer("MouseOverBorderColor", &C::GetMouseOverBorderColor, &C::SetMouseOverBorderColor,
                  0x00FF00);
        c.Integer("MouseOverButtonColor", &C::GetMouseOverButtonColor, &C::SetMouseOverButtonColor,
                  0x008000);
        c.Integer("MouseDownBorderColor", &C::GetMouseDownBorderColor, &C::SetMouseDownBorderColor,
                  0x00FFFF);
        c.Integer("MouseDownButtonColor", &C::GetMouseDownButtonColor, &C::SetMouseDownButtonColor,
                  0x008080);
        c.Boolean("ButtonsEnabled", &C::GetButtonsEnabled, &C::SetButtonsEnabled, true);
        c.Boolean("Visible", &C::GetVisible, &C::SetVisible, true);
      });
  return info;
}

TSLLegendView::TSLLegendView(ISLViewHost *Display) : TSLOptionalView(Display) {
  FFont.SetName("Arial");
  FFont.SetColor(clWhite);
  FFont.OnChange = [this](TObject *) { InvalidateRecalc(); };
}

TSLLegendView::~TSLLegendView() = default;

TCanvas *TSLLegendView::MeasureCanvas() {
  if (TCanvas *C = FDisplay->GetDisplayCanvas())
    return C;
  if (!FMeasure)
    FMeasure = std::make_unique<TBitmap>(1, 1);
  return FMeasure->Canvas();
}

void TSLLegendView::SetMouseOverBorderColor(TColor Value) {
  if (Value != FMouseOverBorderColor) {
    FMouseOverBorderColor = Value;
    Invalidate();
  }
}

void TSLLegendView::SetMouseOverButtonColor(TColor Value) {
  if (Value != FMouseOverButtonColor) {
    FMouseOverButtonColor = Value;
    Invalidate();
  }
}

void TSLLegendView::SetMouseDownBorderColor(TColor Value) {
  if (Value != FMouseDownBorderColor) {
    FMouseDownBorderColor = Value;
    Invalidate();
  }
}

void TSLLegendView::SetMouseDownButtonColor(TColor Value) {
  if (Value != FMouseDownButtonColor) {
    FMouseDownButtonColor = Value;
    Invalidate();
  }
}

void TSLLegendView::SetButtonsEnabled(bool Value) {
  FButtonsEnabled = Value;
  Invalidate();
}

int32_t TSLLegendView::RowHeight(TCanvas *Canvas) { return std::max(TextHeightXg(Canvas) + 1, 6); }

TPoint TSLLegendView::GetDefaultSize() {
  int32_t Width = 0;
  TCanvas *Canvas = MeasureCanvas();
  for (TSLLegendGroup *G : FGroups)
    Width = std::max(Width, G->GetDefaultSize(Canvas).X);
  return {Width, -1};
}

void TSLLegendView::ButtonHitTest(int32_t X, int32_t Y) {
  if (!FButtonsEnabled) {
    // A row lit before the buttons were switched off would still take the
    // next click.
    bool Restore = false;
    for (TSLLegendGroup *G : FGroups)
      Restore = G->ClearHot() || Restore;
    if (Restore)
      FDisplay->RestoreViewCursor();
    return;
  }
  // Rows are measured in the legend's own font, as they were drawn, not in
  // whatever font the control's canvas was left with.
  TCanvas *Canvas = MeasureCanvas();
  TCanvasSaver Saved(Canvas);
  Canvas->SetFont(&FFont);
  int32_t RowY = FRect.Top + RowHeight(Canvas) / 2 + 1;
  for (TSLLegendGroup *G : FGroups)
    G->ButtonHitTest(Canvas, X, Y, RowY);
}

void TSLLegendView::ItemDestroyed(TSLDisplayCollectionItem *) {
  // Rows are indexes into the collections: after a removal they would name
  // other items, so every row lets go until the mouse moves again.
  for (TSLLegendGroup *G : FGroups) {
    G->ClearHot();
    G->SetPressedIndex(-1);
  }
}

void TSLLegendView::MouseMove(TShiftState, int32_t X, int32_t Y) { ButtonHitTest(X, Y); }

void TSLLegendView::MouseDown(TMouseButton, TShiftState, int32_t X, int32_t Y, bool) {
  ButtonHitTest(X, Y);
  for (size_t I = 0; I < FGroups.size(); ++I) {
    TSLLegendGroup *G = FGroups[I];
    G->SetPressedIndex(G->GetHotIndex());
    const int32_t Pressed = G->GetPressedIndex();
    if (Pressed < 0)
      continue;
    bool Handled = false;
    if (G->OnItemClick)
      G->OnItemClick(G, Pressed, Handled);
    if (!Handled)
      FDisplay->DoLegendClick(static_cast<int32_t>(I), Pressed);
    G->SetPressedIndex(-1);
  }
}

void TSLLegendView::MouseUp(TMouseButton, TShiftState, int32_t, int32_t, bool) {
  for (TSLLegendGroup *G : FGroups)
    G->SetPressedIndex(-1);
}

void TSLLegendView::MouseLeave() {
  TSLOptionalView::MouseLeave();
  bool Restore = false;
  for (TSLLegendGroup *G : FGroups)
    Restore = G->ClearHot() || Restore;
  if (Restore)
    FDisplay->RestoreViewCursor();
  InvalidateView();
}

void TSLLegendView::Draw(TSLDisplayDrawPart, TCanvas *Canvas, bool, bool Exporting, double, double,
                         int32_t, double) {
  TCanvasSaver Saved(Canvas);
  Canvas->SetFont(&FFont);
  int32_t RowY = FRect.Top + RowHeight(Canvas) / 2 + 2;
  for (TSLLegendGroup *G : FGroups)
    G->Draw(Canvas, Exporting, RowY);
}

// The scope's legend ------------------------------------------------------------------------

const TClassInfo &TSLScopeLegendView::StaticClassInfo() {
  using C = TSLScopeLegendView;
  static const TClassInfo &info = MakeClassInfo<C>(
      "TSLScopeLegendView", &TSLLegendView::StaticClassInfo(), [](TClassBuilder<C> &c) {
        c.Object("Channels", &C::GetChannels, &C::SetChannels);
        c.Object("MarkerGroups", &C::GetMarkerGroups, &C::SetMarkerGroups);
        c.Object("Cursors", &C::GetCursors, &C::SetCursors);
        c.Object("CursorLinks", &C::GetCursorLinks, &C::SetCursorLinks);
      });
  return info;
}

TSLScopeLegendView::TSLScopeLegendView(ISLViewHost *Chart)
    : TSLLegendView(Chart), FChannels(this, ikChannels, "Channels"),
      FMarkerGroups(this, ikMarkerGroups, "Marker Groups"), FCursors(this, ikCursors, "Cursors"),
      FCursorLinks(this, ikCursorLinks, "Links") {
  FGroups = {&FChannels, &FMarkerGroups, &FCursors, &FCursorLinks};
}
