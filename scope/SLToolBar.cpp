#include "scope/SLToolBar.h"

#include <cstdlib>
#include <set>

#include "platform/classlib/ClassBuilder.h"
#include "scope/SLDisplayAxis.h"

// ---------------------------------------------------------------------------
// The glyph strip

namespace {

constexpr QRgb GlyphWhite = 0xFFFFFFFFu;
constexpr QRgb BorderGrey = 0xFF808080u;
constexpr QRgb BlendSilver = 0xFFC0C0C0u;
constexpr QRgb FaceBlack = 0xFF000000u;
// Transparent: any colour outside the four roles.
constexpr QRgb Outside = 0xFFFF00FFu;

class TGlyphPen {
public:
  TGlyphPen(QImage &Strip, int Index) : FStrip(Strip), FLeft(Index * 16) {}
  void Dot(int X, int Y, QRgb C = GlyphWhite) {
    if (X >= 0 && X < 16 && Y >= 0 && Y < 16)
      FStrip.setPixel(FLeft + X, Y, C);
  }
  void HLine(int X0, int X1, int Y, QRgb C = GlyphWhite) {
    for (int X = X0; X <= X1; ++X)
      Dot(X, Y, C);
  }
  void VLine(int X, int Y0, int Y1, QRgb C = GlyphWhite) {
    for (int Y = Y0; Y <= Y1; ++Y)
      Dot(X, Y, C);
  }
  void Box(int X0, int Y0, int X1, int Y1, QRgb C = GlyphWhite) {
    HLine(X0, X1, Y0, C);
    HLine(X0, X1, Y1, C);
    VLine(X0, Y0, Y1, C);
    VLine(X1, Y0, Y1, C);
  }
  // A button: grey border with cut corners around a black face.
  void Button() {
    for (int Y = 0; Y < 16; ++Y)
      for (int X = 0; X < 16; ++X)
        Dot(X, Y, FaceBlack);
    Box(0, 0, 15, 15, BorderGrey);
    for (int X : {0, 15})
      for (int Y : {0, 15})
        Dot(X, Y, Outside);
  }
  // A magnifier: a round lens over (3..9, 3..9) with a silver handle down
  // to the right.
  void Magnifier() {
    HLine(5, 7, 3);
    HLine(5, 7, 9);
    VLine(3, 5, 7);
    VLine(9, 5, 7);
    for (auto [X, Y] : {std::pair{4, 4}, {8, 4}, {4, 8}, {8, 8}})
      Dot(X, Y, BlendSilver);
    for (int I = 0; I < 3; ++I) {
      Dot(10 + I, 10 + I);
      Dot(11 + I, 10 + I, BlendSilver);
    }
  }

private:
  QImage &FStrip;
  int FLeft;
};

QImage DrawGlyphs() {
  QImage Strip(16 * tgGlyphCount, 16, QImage::Format_RGB32);
  for (int I = 0; I < tgGlyphCount; ++I) {
    TGlyphPen P(Strip, I);
    P.Button();
    switch (I) {
    case tgRun: // a triangle pointing right
      for (int X = 5; X <= 10; ++X)
        P.VLine(X, 3 + (X - 5), 12 - (X - 5));
      P.Dot(11, 7, BlendSilver);
      P.Dot(11, 8, BlendSilver);
      break;
    case tgHold: // two bars
      P.Box(4, 4, 6, 11);
      P.Box(9, 4, 11, 11);
      P.VLine(5, 5, 10, BlendSilver);
      P.VLine(10, 5, 10, BlendSilver);
      break;
    case tgZoomIn:
      P.Magnifier();
      P.HLine(5, 7, 6);
      P.VLine(6, 5, 7);
      break;
    case tgZoomOut:
      P.Magnifier();
      P.HLine(5, 7, 6);
      break;
    case tgZoomOff: // a cross in the lens
      P.Magnifier();
      for (int D = -1; D <= 1; ++D) {
        P.Dot(6 + D, 6 + D);
        P.Dot(6 + D, 6 - D);
      }
      break;
    case tgPrint: // paper above a printer body
      P.Box(5, 2, 10, 6);
      P.Box(2, 6, 13, 11);
      P.HLine(3, 12, 9, BlendSilver);
      P.Box(5, 10, 10, 13);
      break;
    case tgSave: // a disk with its shutter and label
      P.Box(2, 2, 13, 13);
      P.Box(5, 2, 10, 6);
      P.VLine(9, 3, 5, BlendSilver);
      P.HLine(4, 11, 9, BlendSilver);
      P.HLine(4, 11, 11, BlendSilver);
      break;
    case tgCopy: // two sheets
      P.Box(2, 2, 8, 10);
      P.Box(6, 5, 12, 13);
      P.HLine(8, 10, 8, BlendSilver);
      P.HLine(8, 10, 10, BlendSilver);
      break;
    case tgSetup: // a wrench: an open ring and a handle
      P.HLine(3, 5, 2);
      P.VLine(2, 3, 5);
      P.HLine(3, 6, 6);
      P.VLine(6, 3, 5);
      P.Dot(4, 4, BlendSilver);
      for (int I = 0; I < 6; ++I) {
        P.Dot(7 + I, 7 + I);
        P.Dot(8 + I, 7 + I);
        P.Dot(7 + I, 8 + I, BlendSilver);
      }
      break;
    case tgUndoZoom: // an arrow turning back to the left above the lens
      P.Magnifier();
      P.HLine(4, 8, 1);
      P.Dot(5, 0, BlendSilver);
      P.Dot(5, 2, BlendSilver);
      P.Dot(9, 2);
      break;
    case tgRedoZoom: // the same arrow turning to the right
      P.Magnifier();
      P.HLine(4, 8, 1);
      P.Dot(7, 0, BlendSilver);
      P.Dot(7, 2, BlendSilver);
      P.Dot(3, 2);
      break;
    }
  }
  return Strip;
}

} // namespace

const QImage &SLScopeButtonGlyphs() {
  static const QImage Strip = DrawGlyphs();
  return Strip;
}

// ---------------------------------------------------------------------------
// Buttons and the toolbar

void TSLDisplayToolBarButton::Click() {
  FDown = true;
  if (FOnClick)
    FOnClick(this);
}

const TClassInfo &TSLDisplayToolBar::StaticClassInfo() {
  using C = TSLDisplayToolBar;
  static const TClassInfo &info = MakeClassInfo<C>(
      "TSLDisplayToolBar", &TPersistent::StaticClassInfo(), [](TClassBuilder<C> &c) {
        c.Boolean("Visible", &C::GetVisible, &C::SetVisible, true);
        c.Boolean("AutoHide", &C::GetAutoHide, &C::SetAutoHide, true);
      });
  return info;
}

TSLDisplayToolBar::TSLDisplayToolBar(ISLToolBarHost *Host)
    : FHost(Host), FNormalImages(std::make_unique<gui::TImageList>(nullptr)),
      FDisabledImages(std::make_unique<gui::TImageList>(nullptr)),
      FMouseDownImages(std::make_unique<gui::TImageList>(nullptr)),
      FMouseOverImages(std::make_unique<gui::TImageList>(nullptr)) {
  ReassignColors();
}

TSLDisplayToolBar::~TSLDisplayToolBar() = default;

void TSLDisplayToolBar::Repaint() {
  if (FHost)
    FHost->InvalidateToolBar();
}

void TSLDisplayToolBar::SetVisible(bool Value) {
  if (Value == FVisible)
    return;
  FVisible = Value;
  Repaint();
}

void TSLDisplayToolBar::SetAutoHide(bool Value) {
  if (Value == FAutoHide)
    return;
  FAutoHide = Value;
  Repaint();
}

void TSLDisplayToolBar::SetColorField(TColor &Field, TColor Value) {
  if (Value == Field)
    return;
  Field = Value;
  ReassignColors();
}

void TSLDisplayToolBar::Assign(TPersistent *Source) {
  if (auto *T = dynamic_cast<TSLDisplayToolBar *>(Source)) {
    FVisible = T->FVisible;
    FAutoHide = T->FAutoHide;
    FGlyphColor = T->FGlyphColor;
    FBorderColor = T->FBorderColor;
    FButtonColor = T->FButtonColor;
    FMouseOverBorderColor = T->FMouseOverBorderColor;
    FMouseOverButtonColor = T->FMouseOverButtonColor;
    FMouseDownBorderColor = T->FMouseDownBorderColor;
    FMouseDownButtonColor = T->FMouseDownButtonColor;
    FDisabledColor = T->FDisabledColor;
    FCursor = T->FCursor;
    ReassignColors();
    return;
  }
  TPersistent::Assign(Source);
}

void TSLDisplayToolBar::DefineProperties(TFiler *Filer) {
  TPersistent::DefineProperties(Filer);
  struct TColorProperty {
    const char *Name;
    TColor TSLDisplayToolBar::*Field;
    TColor Default;
  };
  static const TColorProperty Colors[] = {
      {"GlyphColor", &TSLDisplayToolBar::FGlyphColor, 0x00FFFF},
      {"BorderColor", &TSLDisplayToolBar::FBorderColor, 0x008000},
      {"ButtonColor", &TSLDisplayToolBar::FButtonColor, 0x000000},
      {"MouseOverBorderColor", &TSLDisplayToolBar::FMouseOverBorderColor, 0x00FF00},
      {"MouseOverButtonColor", &TSLDisplayToolBar::FMouseOverButtonColor, 0x008000},
      {"MouseDownBorderColor", &TSLDisplayToolBar::FMouseDownBorderColor, 0x00FFFF},
      {"MouseDownButtonColor", &TSLDisplayToolBar::FMouseDownButtonColor, 0x008080},
      {"DisabledColor", &TSLDisplayToolBar::FDisabledColor, 0x008000},
  };
  for (const TColorProperty &P : Colors) {
    TColor TSLDisplayToolBar::*Field = P.Field;
    DefineColorProperty(
        Filer, P.Name, [this, Field] { return this->*Field; },
        [this, Field](TColor V) { SetColorField(this->*Field, V); }, this->*Field != P.Default);
  }
  DefineCursorProperty(
      Filer, "Cursor", [this] { return FCursor; }, [this](TCursor C) { FCursor = C; },
      FCursor != crHandPoint);
}

void TSLDisplayToolBar::ReassignColors() {
  struct TList {
    gui::TImageList *List;
    TColor Glyph, Border, Button;
  };
  const TList Lists[] = {
      {FMouseOverImages.get(), FGlyphColor, FMouseOverBorderColor, FMouseOverButtonColor},
      {FMouseDownImages.get(), FGlyphColor, FMouseDownBorderColor, FMouseDownButtonColor},
      {FNormalImages.get(), FGlyphColor, FBorderColor, FButtonColor},
      {FDisabledImages.get(), FDisabledColor, FDisabledColor, FButtonColor},
  };
  for (const TList &L : Lists) {
    L.List->Clear();
    L.List->AddMasked(SLScopeButtonGlyphs(), clBlack);
    AssignColors(L.List, L.Glyph, L.Border, L.Button);
  }
  Repaint();
}

void TSLDisplayToolBar::AssignColors(gui::TImageList *List, TColor Glyph, TColor Border,
                                     TColor Button) {
  const TColor G = ColorToRGB(Glyph), Bo = ColorToRGB(Border), Bu = ColorToRGB(Button);
  const TColor Display = FHost ? ColorToRGB(FHost->GetToolBarColor()) : clBlack;
  // Per channel, halves rounded up: yellow over black gives olive.
  TColor Blend = 0;
  for (int Shift : {0, 8, 16})
    Blend |= ((((G >> Shift) & 0xFF) + ((Bu >> Shift) & 0xFF) + 1) / 2) << Shift;
  // The first colour from 0xFFFFFE up (within the 24 colour bits) that no
  // role uses stands for transparent.
  const std::set<TColor> Used{G, Bo, Display, Blend, Bu};
  TColor Transparent = 0xFFFFFE;
  while (Used.count(Transparent))
    Transparent = (Transparent + 1) & 0xFFFFFF;
  const QRgb Map[] = {ColorToQRgb(G), ColorToQRgb(Bo), ColorToQRgb(Blend), ColorToQRgb(Bu),
                      ColorToQRgb(Transparent)};
  for (int I = 0; I < List->Count(); ++I) {
    QImage Picture(List->Width(), List->Height(), QImage::Format_RGB32);
    Picture.fill(FaceBlack);
    const QImage Source = List->Picture(I);
    for (int Y = 0; Y < Picture.height(); ++Y)
      for (int X = 0; X < Picture.width(); ++X) {
        const QRgb S = Source.pixel(X, Y);
        const QRgb P = qAlpha(S) ? (S & 0xFFFFFFu) : 0u;
        const QRgb C = P == 0xFFFFFFu   ? Map[0]
                       : P == 0x808080u ? Map[1]
                       : P == 0xC0C0C0u ? Map[2]
                       : P == 0u        ? Map[3]
                                        : Map[4];
        Picture.setPixel(X, Y, 0xFF000000u | C);
      }
    List->ReplaceMasked(I, Picture, Transparent);
  }
}

void TSLDisplayToolBar::Hide() {
  for (auto &B : FButtons)
    B->SetDown(false);
}

int32_t TSLDisplayToolBar::VisibleButtonCount() const {
  int32_t N = 0;
  for (const auto &B : FButtons)
    N += B->GetVisible() ? 1 : 0;
  return N;
}

int32_t TSLDisplayToolBar::GetXOffset() {
  const int32_t W = FHost ? FHost->GetToolBarPlotWidth() : 0;
  return W - VisibleButtonCount() * 17 / 2 - 3;
}

TRect TSLDisplayToolBar::GetBoundRect() {
  const int32_t Left = GetXOffset(), Top = GetYOffset();
  return {Left, Top, Left + VisibleButtonCount() * 17 / 2, Top + 2 * 16 + 1};
}

TSLDisplayToolBarButton *TSLDisplayToolBar::AddButton(int32_t Glyph, TSLToolBarClick OnClick) {
  FButtons.push_back(std::make_unique<TSLDisplayToolBarButton>(Glyph, std::move(OnClick)));
  return FButtons.back().get();
}

void TSLDisplayToolBar::WalkButtons(
    const std::function<void(TSLDisplayToolBarButton *, const TRect &)> &Visit) {
  const int32_t Left = GetXOffset();
  const bool TwoRows = GetHasTwoRows();
  const size_t Half = FButtons.size() / 2;
  int32_t X = Left, Y = GetYOffset();
  size_t Placed = 0;
  for (auto &B : FButtons) {
    if (!B->GetVisible())
      continue;
    Visit(B.get(), TRect{X, Y, X + 16, Y + 16});
    X += 17;
    if (TwoRows && ++Placed == Half) {
      X = Left;
      Y += 17;
    }
  }
}

void TSLDisplayToolBar::Draw(TCanvas *Canvas) {
  const TPoint Mouse = FHost ? FHost->GetToolBarMousePos() : TPoint{-1, -1};
  const TColor Color = FHost ? FHost->GetToolBarColor() : clBlack;
  FMouseOver = false;
  Canvas->Brush()->SetColor(Color);
  Canvas->Brush()->SetStyle(bsSolid);
  Canvas->Pen()->SetColor(Color);
  Canvas->Pen()->SetStyle(psSolid);
  WalkButtons([&](TSLDisplayToolBarButton *B, const TRect &R) {
    Canvas->FillRect(R);
    gui::TImageList *List = FNormalImages.get();
    if (!B->GetEnabled()) {
      List = FDisabledImages.get();
    } else if (PtInRect(R, Mouse)) {
      List = B->GetDown() ? FMouseDownImages.get() : FMouseOverImages.get();
      FMouseOver = true;
    }
    List->Draw(Canvas, R.Left, R.Top, B->GetGlyphIndex());
  });
}

bool TSLDisplayToolBar::MouseDown(TPoint Point) {
  bool Clicked = false;
  std::vector<std::pair<TSLDisplayToolBarButton *, TRect>> Hit;
  WalkButtons([&](TSLDisplayToolBarButton *B, const TRect &R) {
    if (B->GetEnabled() && (PtInRect(R, Point) || B->GetDown()))
      Hit.emplace_back(B, R);
  });
  // The clicks run after the walk: a click handler may change which
  // buttons show.
  for (auto &[B, R] : Hit) {
    if (PtInRect(R, Point)) {
      Clicked = true;
      B->Click();
    } else {
      B->SetDown(false);
    }
    if (FHost)
      FHost->InvalidateToolBarRect(R);
  }
  return Clicked;
}

void TSLDisplayToolBar::MouseUp(TPoint) {
  WalkButtons([&](TSLDisplayToolBarButton *B, const TRect &R) {
    if (!B->GetDown())
      return;
    B->SetDown(false);
    if (FHost)
      FHost->InvalidateToolBarRect(R);
  });
}

// ---------------------------------------------------------------------------
// Axis toolbar

TSLAxisToolBar::TSLAxisToolBar(TSLDisplayAxis *Axis, ISLToolBarHost *Host)
    : TSLDisplayToolBar(Host), FAxis(Axis) {
  AddButton(tgZoomIn, [this](TSLDisplayToolBarButton *) { FAxis->ZoomIn(); });
  AddButton(tgZoomOut, [this](TSLDisplayToolBarButton *) { FAxis->ZoomOut(); });
}

int32_t TSLAxisToolBar::GetXOffset() {
  return FAxis->GetIsVertical() ? 3 : FAxis->GetChart()->GetDataViewRect().Left;
}

int32_t TSLAxisToolBar::GetYOffset() {
  return FAxis->GetIsVertical() ? FAxis->GetChart()->GetDataViewRect().Top
                                : FAxis->GetDrawRect().Bottom - 16 - 3;
}

bool TSLAxisToolBar::GetHasTwoRows() { return FAxis->GetIsVertical(); }
