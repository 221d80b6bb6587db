// The toolbars the scope draws itself: the glyph strip and its recolouring,
// the scope's toolbar composed from its geometry, its buttons' actions and
// the routing of presses, and the axes' two-button toolbars.
#include <QClipboard>
#include <QGuiApplication>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "platform/classlib/Dialogs.h"
#include "platform/gui/PictureFiles.h"
#include "platform/gui/Printing.h"
#include "scope/SLScopeToolBar.h"
#include "tests/scope/ScopeWindowSupport.h"

namespace {

namespace fs = std::filesystem;

constexpr QRgb White = 0xFFFFFFu, Grey = 0x808080u, Silver = 0xC0C0C0u, Black = 0u;

QRgb Role(int Glyph, int X, int Y) {
  return SLScopeButtonGlyphs().pixel(Glyph * 16 + X, Y) & 0xFFFFFFu;
}

TEST(ToolBarGlyphs, ElevenButtonsInFourColourRoles) {
  const QImage &Strip = SLScopeButtonGlyphs();
  ASSERT_EQ(Strip.size(), QSize(176, 16));
  for (int G = 0; G < tgGlyphCount; ++G) {
    SCOPED_TRACE(G);
    std::set<QRgb> Roles;
    for (int Y = 0; Y < 16; ++Y)
      for (int X = 0; X < 16; ++X)
        Roles.insert(Role(G, X, Y));
    // Glyph, border, blend and face, plus the transparent corners.
    EXPECT_EQ(Roles.size(), 5u);
    for (QRgb C : {White, Grey, Silver, Black})
      EXPECT_TRUE(Roles.count(C)) << std::hex << C;
    EXPECT_EQ(Role(G, 8, 0), Grey);
    EXPECT_EQ(Role(G, 0, 0), Role(G, 15, 15)) << "corners are transparent";
  }
  // No two glyphs alike.
  std::set<std::string> Pictures;
  for (int G = 0; G < tgGlyphCount; ++G) {
    const QImage Part = Strip.copy(G * 16, 0, 16, 16);
    Pictures.insert(
        std::string(reinterpret_cast<const char *>(Part.constBits()), size_t(Part.sizeInBytes())));
  }
  EXPECT_EQ(Pictures.size(), size_t(tgGlyphCount));
}

// The colour a strip pixel takes in a list: nullopt for transparent.
std::optional<TColor> Expected(QRgb RolePixel, TColor Glyph, TColor Border, TColor Button) {
  TColor Blend = 0;
  for (int S : {0, 8, 16})
    Blend |= ((((Glyph >> S) & 0xFF) + ((Button >> S) & 0xFF) + 1) / 2) << S;
  switch (RolePixel) {
  case White:
    return Glyph;
  case Grey:
    return Border;
  case Silver:
    return Blend;
  case Black:
    return Button;
  default:
    return std::nullopt;
  }
}

void ExpectList(gui::TImageList *List, TColor Glyph, TColor Border, TColor Button) {
  ASSERT_EQ(List->Count(), tgGlyphCount);
  for (int G = 0; G < tgGlyphCount; ++G) {
    const QImage P = List->Picture(G);
    for (int Y = 0; Y < 16; ++Y)
      for (int X = 0; X < 16; ++X) {
        const std::optional<TColor> Want = Expected(Role(G, X, Y), Glyph, Border, Button);
        const QRgb Got = P.pixel(X, Y);
        if (!Want) {
          ASSERT_EQ(qAlpha(Got), 0) << G << " " << X << "," << Y;
        } else {
          ASSERT_EQ(qAlpha(Got), 255) << G << " " << X << "," << Y;
          ASSERT_EQ(QRgbToColor(Got & 0xFFFFFFu), *Want) << G << " " << X << "," << Y;
        }
      }
  }
}

TEST(ToolBarColors, FourListsRecolouredByTheirRoles) {
  TSLDisplayToolBar Bar;
  ExpectList(Bar.GetNormalImages(), 0x00FFFF, 0x008000, 0x000000);
  ExpectList(Bar.GetDisabledImages(), 0x008000, 0x008000, 0x000000);
  ExpectList(Bar.GetMouseOverImages(), 0x00FFFF, 0x00FF00, 0x008000);
  ExpectList(Bar.GetMouseDownImages(), 0x00FFFF, 0x00FFFF, 0x008080);
  // Yellow glyphs over black buttons blend to olive, halves rounded up.
  const QImage Run = Bar.GetNormalImages()->Picture(tgRun);
  bool SawOlive = false;
  for (int Y = 0; Y < 16; ++Y)
    for (int X = 0; X < 16; ++X)
      if (Role(tgRun, X, Y) == Silver)
        SawOlive = QRgbToColor(Run.pixel(X, Y) & 0xFFFFFFu) == clOlive;
  EXPECT_TRUE(SawOlive);
}

TEST(ToolBarColors, ButtonColourRecoloursNormalAndDisabledOnly) {
  TSLDisplayToolBar Bar;
  Bar.SetButtonColor(0x402010);
  ExpectList(Bar.GetNormalImages(), 0x00FFFF, 0x008000, 0x402010);
  ExpectList(Bar.GetDisabledImages(), 0x008000, 0x008000, 0x402010);
  ExpectList(Bar.GetMouseOverImages(), 0x00FFFF, 0x00FF00, 0x008000);
}

// Role colours at the top of the colour range: the transparent colour
// moves past them instead of swallowing a role.
TEST(ToolBarColors, TransparentColourAvoidsTheRoles) {
  TSLDisplayToolBar Bar;
  Bar.SetGlyphColor(0xFFFFFE);
  Bar.SetBorderColor(0xFFFFFF);
  ExpectList(Bar.GetNormalImages(), 0xFFFFFE, 0xFFFFFF, 0x000000);
}

class ScopeToolBar : public ScopeOnWindow {
protected:
  TSLScopeToolBar *Bar() { return static_cast<TSLScopeToolBar *>(Scope->GetToolBar()); }
  // Somewhere over the data view, away from every toolbar.
  void MouseInPlot() {
    const TRect D = Scope->GetDataView()->GetDrawRect();
    MoveMouse((D.Left + D.Right) / 2, (D.Top + D.Bottom) / 2);
  }
  // The top-left corner of the scope toolbar's button in slot Slot (0..9,
  // five to a row).
  TPoint Slot(int S) { return {Scope->GetWidth() - 88 + (S % 5) * 17, 3 + (S / 5) * 17}; }
  void Press(TPoint P, TMouseButton Button = mbLeft) {
    MoveMouse(P.X, P.Y);
    Scope->DispatchMouseDown(Button, 0, P.X, P.Y);
    Scope->DispatchMouseUp(Button, 0, P.X, P.Y);
  }
  void PressSlot(int S) { Press({Slot(S).X + 8, Slot(S).Y + 8}); }
  // The button at (X, Y) of Picture shows List's Glyph over the scope's
  // background.
  void ExpectButton(const QImage &Picture, TPoint Corner, gui::TImageList *List, int Glyph) {
    const QImage P = List->Picture(Glyph);
    for (int Y = 0; Y < 16; ++Y)
      for (int X = 0; X < 16; ++X) {
        const TColor Want =
            qAlpha(P.pixel(X, Y)) ? QRgbToColor(P.pixel(X, Y) & 0xFFFFFFu) : Scope->GetColor();
        ASSERT_EQ(At(Picture, Corner.X + X, Corner.Y + Y), Want)
            << "glyph " << Glyph << " at " << Corner.X + X << "," << Corner.Y + Y;
      }
  }
};

// Two rows of five from (plot width - 88, 3): hold (or run), copy, print,
// save, setup; zoom in, out, off, undo, redo, the last three disabled until
// a zoom happens.
TEST_F(ScopeToolBar, PictureFromTheGeometry) {
  MouseInPlot();
  EXPECT_EQ(Scope->GetToolBar()->GetBoundRect(), (TRect{232, 3, 317, 36}));
  auto *Normal = Bar()->GetNormalImages(), *Disabled = Bar()->GetDisabledImages();
  QImage P = Paint();
  const int Row1[] = {tgHold, tgCopy, tgPrint, tgSave, tgSetup};
  for (int S = 0; S < 5; ++S)
    ExpectButton(P, Slot(S), Normal, Row1[S]);
  ExpectButton(P, Slot(5), Normal, tgZoomIn);
  ExpectButton(P, Slot(6), Normal, tgZoomOut);
  ExpectButton(P, Slot(7), Disabled, tgZoomOff);
  ExpectButton(P, Slot(8), Disabled, tgUndoZoom);
  ExpectButton(P, Slot(9), Disabled, tgRedoZoom);

  Scope->SetHold(true);
  Scope->ZoomBy(0.5);
  P = Paint();
  ExpectButton(P, Slot(0), Normal, tgRun);
  ExpectButton(P, Slot(7), Normal, tgZoomOff);
  ExpectButton(P, Slot(8), Normal, tgUndoZoom);
  ExpectButton(P, Slot(9), Disabled, tgRedoZoom);
  Scope->UndoZoom();
  P = Paint();
  ExpectButton(P, Slot(9), Normal, tgRedoZoom);

  // The mouse over a button lights it.
  MoveMouse(Slot(1).X + 3, Slot(1).Y + 3);
  P = Paint();
  ExpectButton(P, Slot(1), Bar()->GetMouseOverImages(), tgCopy);
  EXPECT_TRUE(Bar()->GetMouseOver());
  ExpectButton(P, Slot(2), Normal, tgPrint);
}

// Shown while the mouse is over the control unless AutoHide is off; never
// when hidden, never in exported pictures.
TEST_F(ScopeToolBar, AutoHideVisibleAndExport) {
  const QImage Plain = Paint();
  auto *Normal = Bar()->GetNormalImages();
  EXPECT_EQ(Plain, Exported()) << "the mouse never came";
  Scope->GetToolBar()->SetAutoHide(false);
  ExpectButton(Paint(), Slot(1), Normal, tgCopy);
  Scope->GetToolBar()->SetAutoHide(true);
  // Inside the control, over the title, where nothing follows the mouse.
  MoveMouse(5, 5);
  ExpectButton(Paint(), Slot(1), Normal, tgCopy);
  EXPECT_EQ(Exported(), Plain);
  Scope->GetToolBar()->SetVisible(false);
  EXPECT_EQ(Paint(), Plain);
  Scope->GetToolBar()->SetVisible(true);
  const int Before = Window.Repaints;
  Scope->OnMouseTimer(nullptr); // the mouse is still inside
  Window.Mouse = {-5, -5};
  Scope->OnMouseTimer(nullptr);
  EXPECT_GT(Window.Repaints, Before);
  EXPECT_EQ(Paint(), Plain);
}

// A left press on a button is the toolbar's: neither OnMouseDown nor the
// views hear it (the data view would start a zoom rectangle). Elsewhere,
// or with another button, the press goes on as usual.
TEST_F(ScopeToolBar, PressesOnTheToolBarGoNoFurther) {
  Scope->GetTitle()->SetVisible(false);
  Scope->GetLegend()->SetVisible(false);
  Scope->GetXAxis()->SetVisible(false);
  Scope->GetYAxis()->SetVisible(false);
  Paint(); // the data view now covers the toolbar's corner
  int Downs = 0;
  Scope->OnMouseDown.Fn = [&](TObject *, TMouseButton, TShiftState, int32_t, int32_t) { ++Downs; };
  const TPoint Copy{Slot(1).X + 8, Slot(1).Y + 8};
  ASSERT_TRUE(PtInRect(Scope->GetDataView()->GetDrawRect(), Copy));
  MoveMouse(Copy.X, Copy.Y);
  Scope->DispatchMouseDown(mbLeft, 0, Copy.X, Copy.Y);
  EXPECT_EQ(Downs, 0);
  EXPECT_FALSE(Scope->GetScopeDataView()->InMouseZooming());
  EXPECT_TRUE(Bar()->GetButton(2)->GetDown());
  Scope->DispatchMouseUp(mbLeft, 0, Copy.X, Copy.Y);
  EXPECT_FALSE(Bar()->GetButton(2)->GetDown());

  Scope->DispatchMouseDown(mbRight, 0, Copy.X, Copy.Y);
  Scope->DispatchMouseUp(mbRight, 0, Copy.X, Copy.Y);
  EXPECT_EQ(Downs, 1);
  // The gap between two buttons is no button.
  Scope->DispatchMouseDown(mbLeft, 0, Slot(1).X + 16, Slot(1).Y + 8);
  EXPECT_EQ(Downs, 2);
  Scope->DispatchMouseUp(mbLeft, 0, Slot(1).X + 16, Slot(1).Y + 8);
}

TEST_F(ScopeToolBar, TheHandShowsOverTheToolBar) {
  Scope->SetCursor(crCross);
  MoveMouse(Slot(3).X, Slot(3).Y);
  EXPECT_EQ(Window.Shown, crHandPoint);
  MouseInPlot();
  EXPECT_EQ(Window.Shown, crCross);
}

// Each button's action, pressed as the user would.
TEST_F(ScopeToolBar, ButtonActions) {
  MouseInPlot();
  const double Span =
      Scope->GetXAxis()->GetDataZoomedMaxRead() - Scope->GetXAxis()->GetDataZoomedMinRead();
  auto XSpan = [&] {
    return Scope->GetXAxis()->GetDataZoomedMaxRead() - Scope->GetXAxis()->GetDataZoomedMinRead();
  };
  PressSlot(0); // hold
  EXPECT_TRUE(Scope->GetVC_Hold());
  Paint(); // the hold button gives way to run at the paint
  PressSlot(0);
  EXPECT_FALSE(Scope->GetVC_Hold());
  PressSlot(5);
  EXPECT_TRUE(Scope->IsZoomed());
  EXPECT_NEAR(XSpan(), Span / 2, 1e-9);
  PressSlot(6);
  EXPECT_NEAR(XSpan(), Span, 1e-9);
  Paint();      // zoom off, undo and redo enable at the paint
  PressSlot(8); // undo the zoom out
  EXPECT_NEAR(XSpan(), Span / 2, 1e-9);
  Paint();
  PressSlot(9); // redo it
  EXPECT_NEAR(XSpan(), Span, 1e-9);
  Paint();
  PressSlot(7);
  EXPECT_FALSE(Scope->IsZoomed());
  Paint();
  const int Zooms = int(Scope->GetCanUndoZoom());
  PressSlot(7); // disabled again: nothing happens, the press goes on
  EXPECT_EQ(int(Scope->GetCanUndoZoom()), Zooms);

  PressSlot(1);
  EXPECT_EQ(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32),
            Exported());
  for (int I = 0; I < Bar()->ButtonCount(); ++I)
    EXPECT_FALSE(Bar()->GetButton(I)->GetDown()) << I;
}

// A recording printer for the print button.
struct TPagePrinter : gui::IPrinter {
  void SetTitle(const std::string &) override {}
  std::string GetTitle() const override { return {}; }
  void BeginDoc() override {}
  void EndDoc() override {}
  int32_t GetPageWidth() override { return 800; }
  int32_t GetPageHeight() override { return 600; }
  int32_t GetPixelsPerInchX() override { return 96; }
  int32_t GetPixelsPerInchY() override { return 96; }
  void StretchDraw(int32_t, int32_t, int32_t, int32_t, const QImage &) override {
    if (Fails)
      throw gui::EPrinter("driver error");
    ++Pages;
  }
  int Pages = 0;
  bool Fails = false;
};

// Print: accepted, one page and the hold as it was; cancelled, the display
// stays held and shows the run button. Every button is up afterwards.
TEST_F(ScopeToolBar, PrintButton) {
  MouseInPlot();
  TPagePrinter Printer;
  gui::TScopedPrinter Installed(Printer);
  gui::TScriptedPrintDialogs Dialogs;
  Dialogs.Answer(true);
  Dialogs.Answer(false);
  PressSlot(2);
  EXPECT_EQ(Printer.Pages, 1);
  EXPECT_FALSE(Scope->GetVC_Hold());
  PressSlot(2);
  EXPECT_EQ(Dialogs.Shown, 2);
  EXPECT_EQ(Printer.Pages, 1);
  EXPECT_TRUE(Scope->GetVC_Hold());
  ExpectButton(Paint(), Slot(0), Bar()->GetNormalImages(), tgRun);
  for (int I = 0; I < Bar()->ButtonCount(); ++I)
    EXPECT_FALSE(Bar()->GetButton(I)->GetDown()) << I;
}

std::string Magic(const fs::path &File) {
  std::ifstream In(File, std::ios::binary);
  char B[2] = {};
  In.read(B, 2);
  return std::string(B, 2);
}

// Save: ".JPG" and ".jpeg" in any case make a JPEG file, every other name a
// bitmap file (a name without extension gets ".bmp"); cancelled, the
// display stays held.
TEST_F(ScopeToolBar, SaveButtonChoosesTheFormatByExtension) {
  MouseInPlot();
  const struct {
    const char *Name, *Written, *Magic;
  } Cases[] = {
      {"a.JPG", "a.JPG", "\xFF\xD8"},   {"b.jpeg", "b.jpeg", "\xFF\xD8"},
      {"c.Jpg", "c.Jpg", "\xFF\xD8"},   {"d.bmp", "d.bmp", "BM"},
      {"e.png", "e.png", "BM"},         {"f", "f.bmp", "BM"},
      {"g.jpg.bmp", "g.jpg.bmp", "BM"}, {"h.jpegx", "h.jpegx", "BM"},
  };
  TScriptedDialogs Dialogs;
  for (const auto &C : Cases)
    Dialogs.AnswerFile((Dir() / C.Name).string());
  for (const auto &C : Cases) {
    SCOPED_TRACE(C.Name);
    PressSlot(3);
    EXPECT_EQ(Magic(Dir() / C.Written), C.Magic);
    EXPECT_FALSE(Scope->GetVC_Hold());
  }
  const TFileDialog &Shown = Dialogs.FileDialogs().front();
  EXPECT_EQ(Shown.Kind, fdSave);
  EXPECT_EQ(Shown.Filter, "Bitmap (*.bmp)|*.bmp|JPEG File Interchange Format (*.jpg)|*.jpg");
  EXPECT_EQ(Shown.DefaultExt, "bmp");

  Dialogs.AnswerFile(std::nullopt);
  PressSlot(3);
  EXPECT_TRUE(Scope->GetVC_Hold());
}

// A print or a save that fails raises (the window shows it), releases the
// buttons and gives the display back as it was.
TEST_F(ScopeToolBar, FailedPrintOrSaveReleasesTheButtonsAndTheHold) {
  MouseInPlot();
  TPagePrinter Printer;
  Printer.Fails = true;
  gui::TScopedPrinter Installed(Printer);
  gui::TScriptedPrintDialogs PrintDialogs;
  PrintDialogs.Answer(true);
  TScriptedDialogs Dialogs;
  Dialogs.AnswerFile((Dir() / "missing" / "x.bmp").string());
  for (int S : {2, 3}) {
    SCOPED_TRACE(S);
    const TPoint At{Slot(S).X + 8, Slot(S).Y + 8};
    MoveMouse(At.X, At.Y);
    EXPECT_THROW(Scope->DispatchMouseDown(mbLeft, 0, At.X, At.Y), Exception);
    EXPECT_FALSE(Scope->GetVC_Hold());
    for (int I = 0; I < Bar()->ButtonCount(); ++I)
      EXPECT_FALSE(Bar()->GetButton(I)->GetDown()) << I;
  }
  EXPECT_EQ(Dialogs.FileDialogs().size(), 1u);
}

// The axes' zoom buttons: beside the Y axis from the data view's top, one
// per row; along the X axis's bottom from the data view's left, in one row.
// Each zooms its own axis only.
TEST_F(ScopeToolBar, AxisToolBarsAtTheirOffsets) {
  Paint();
  const TRect D = Scope->GetDataView()->GetDrawRect();
  const TRect XR = Scope->GetXAxis()->GetDrawRect();
  TSLAxisToolBar *YBar = Scope->GetYAxis()->GetToolBar();
  TSLAxisToolBar *XBar = Scope->GetXAxis()->GetToolBar();
  EXPECT_EQ(YBar->GetXOffset(), 3);
  EXPECT_EQ(YBar->GetYOffset(), D.Top);
  EXPECT_EQ(XBar->GetXOffset(), D.Left);
  EXPECT_EQ(XBar->GetYOffset(), XR.Bottom - 19);

  const TPoint YIn{3, D.Top}, YOut{3, D.Top + 17};
  MoveMouse(YIn.X + 8, YIn.Y + 8);
  QImage P = Paint();
  ExpectButton(P, YIn, YBar->GetMouseOverImages(), tgZoomIn);
  ExpectButton(P, YOut, YBar->GetNormalImages(), tgZoomOut);
  EXPECT_EQ(Exported(), [&] {
    Scope->GetYAxis()->GetToolBar()->SetVisible(false);
    QImage Q = Exported();
    Scope->GetYAxis()->GetToolBar()->SetVisible(true);
    return Q;
  }());

  const double XSpan0 =
      Scope->GetXAxis()->GetDataZoomedMaxRead() - Scope->GetXAxis()->GetDataZoomedMinRead();
  const double YSpan0 =
      Scope->GetYAxis()->GetDataZoomedMaxRead() - Scope->GetYAxis()->GetDataZoomedMinRead();
  Press({YIn.X + 8, YIn.Y + 8});
  EXPECT_NEAR(Scope->GetYAxis()->GetDataZoomedMaxRead() - Scope->GetYAxis()->GetDataZoomedMinRead(),
              YSpan0 / 2, 1e-9);
  EXPECT_NEAR(Scope->GetXAxis()->GetDataZoomedMaxRead() - Scope->GetXAxis()->GetDataZoomedMinRead(),
              XSpan0, 1e-9);

  const TPoint XIn{D.Left, XR.Bottom - 19}, XOut{D.Left + 17, XR.Bottom - 19};
  MoveMouse(XIn.X + 8, XIn.Y + 8);
  P = Paint();
  ExpectButton(P, XIn, XBar->GetMouseOverImages(), tgZoomIn);
  ExpectButton(P, XOut, XBar->GetNormalImages(), tgZoomOut);
  Press({XIn.X + 8, XIn.Y + 8});
  EXPECT_NEAR(Scope->GetXAxis()->GetDataZoomedMaxRead() - Scope->GetXAxis()->GetDataZoomedMinRead(),
              XSpan0 / 2, 1e-9);
}

} // namespace
