// The scope's picture leaving the screen: into a bitmap, onto the clipboard,
// into bitmap and JPEG files, and onto a printed page, through a printer
// that records what it is given and through Qt into a PDF file.
#include <QClipboard>
#include <QGuiApplication>
#include <QPrinterInfo>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>

#include "platform/gui/PictureFiles.h"
#include "platform/gui/Printing.h"
#include "scope/SLScopeExport.h"
#include "tests/scope/ScopeWindowSupport.h"
#include "tests/support/RunCommand.h"

namespace {

namespace fs = std::filesystem;

// A printer that keeps what it is asked: the title, the job's begin and
// end, the picture and the rectangle it is stretched over. ThrowOnDraw
// makes the driver fail on the drawing.
struct TRecordingPrinter : gui::IPrinter {
  void SetTitle(const std::string &T) override { Title = T; }
  std::string GetTitle() const override { return Title; }
  void BeginDoc() override { ++Begun; }
  void EndDoc() override { ++Ended; }
  int32_t GetPageWidth() override { return PageWidth; }
  int32_t GetPageHeight() override { return PageHeight; }
  int32_t GetPixelsPerInchX() override { return PpiX; }
  int32_t GetPixelsPerInchY() override { return PpiY; }
  void StretchDraw(int32_t X, int32_t Y, int32_t W, int32_t H, const QImage &Image) override {
    PlotWidthWhileDrawing = Display ? Display->GetPlotWidth() : -1;
    if (ThrowOnDraw)
      throw gui::EPrinter("driver error");
    Target = {X, Y, X + W, Y + H};
    Picture = Image.copy();
  }

  std::string Title;
  int Begun = 0, Ended = 0;
  int32_t PageWidth = 4800, PageHeight = 6600, PpiX = 600, PpiY = 600;
  bool ThrowOnDraw = false;
  TSLDataDisplay *Display = nullptr;
  int32_t PlotWidthWhileDrawing = 0;
  TRect Target;
  QImage Picture;
};

using ScopeExport = ScopeOnWindow;

std::string ReadText(const fs::path &Path) {
  std::ifstream In(Path, std::ios::binary);
  return {std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>()};
}

TEST_F(ScopeExport, BitmapClipboardAndBitmapFileEqualTheScreen) {
  const QImage Screen = Paint();
  const QImage Bitmap = Exported();
  ASSERT_EQ(Bitmap.size(), QSize(320, 200));
  EXPECT_EQ(Bitmap, Screen);

  Scope->CopyToClipboard();
  EXPECT_EQ(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32), Screen);

  const fs::path File = Dir() / "scope.bmp";
  Scope->SaveToBitmap(File.string());
  QImage Read(QString::fromStdString(File.string()), "BMP");
  EXPECT_EQ(Read.convertToFormat(QImage::Format_RGB32), Screen);
}

TEST_F(ScopeExport, JpegFileDecodesToTheScreenSize) {
  const fs::path File = Dir() / "scope.jpeg";
  Scope->SaveToJpeg(File.string());
  int Status = 0;
  const std::string Out = RunCommand("djpeg -pnm '" + File.string() + "'", Status);
  EXPECT_EQ(Status, 0);
  EXPECT_EQ(Out.rfind("P6\n320 200\n255\n", 0), 0u) << Out.substr(0, 20);
}

// A control never given a window still renders: the picture needs no
// screen.
TEST_F(ScopeExport, RendersWithoutAWindow) {
  const QImage Screen = Paint();
  Scope->SetHost(nullptr);
  EXPECT_EQ(Exported(), Screen);
}

// An empty control: an empty bitmap; the clipboard and the files refuse
// it and leave what they held.
TEST_F(ScopeExport, EmptyControlIsRefusedByClipboardAndFiles) {
  const fs::path File = Dir() / "old.bmp";
  { std::ofstream(File) << "kept"; }
  Scope->SetBounds(0, 0, 0, 0);
  EXPECT_TRUE(Exported().isNull());
  EXPECT_THROW(Scope->CopyToClipboard(), gui::EInvalidGraphic);
  EXPECT_THROW(Scope->SaveToBitmap(File.string()), gui::EInvalidGraphic);
  EXPECT_THROW(Scope->SaveToJpeg(File.string()), gui::EInvalidGraphic);
  EXPECT_EQ(ReadText(File), "kept");
}

TEST_F(ScopeExport, UnwritablePathRaisesAndLeavesTheScopeAlone) {
  const std::string Path = (Dir() / "missing" / "scope.bmp").string();
  EXPECT_THROW(Scope->SaveToBitmap(Path), gui::EFCreateError);
  EXPECT_THROW(Scope->SaveToJpeg(Path), gui::EFCreateError);
  EXPECT_EQ(Exported(), Paint());
}

// 600 dpi printer, 96 dpi screen, a page of 4800 by 6600 printer pixels: the
// plot is laid out at 768 by 1056, as a control of that size would draw
// it, and stretched over the whole page.
TEST_F(ScopeExport, PrintLaysOutAtScreenResolutionAndStretchesOverThePage) {
  TRecordingPrinter Printer;
  Printer.Display = Scope.get();
  gui::TScopedPrinter Installed(Printer);
  Scope->Print();
  EXPECT_EQ(Printer.Title, "Unknown");
  EXPECT_EQ(Printer.Begun, 1);
  EXPECT_EQ(Printer.Ended, 1);
  EXPECT_EQ(Printer.PlotWidthWhileDrawing, 768);
  EXPECT_EQ(Printer.Target, (TRect{0, 0, 4800, 6600}));
  ASSERT_EQ(Printer.Picture.size(), QSize(768, 1056));

  // Back on the screen: the control's own size and picture.
  EXPECT_FALSE(Scope->GetPrinting());
  EXPECT_EQ(Scope->GetPlotWidth(), 320);
  const QImage Screen = Paint();
  Scope->SetBounds(0, 0, 768, 1056);
  EXPECT_EQ(Exported(), Printer.Picture);
  Scope->SetBounds(0, 0, 320, 200);
  EXPECT_EQ(Paint(), Screen);
}

// Hold returns to what it was, whether printing succeeds or the printer
// fails (a driver error, no resolution, a page too large to lay out); the
// job is ended in every case.
TEST_F(ScopeExport, PrintRestoresHoldAndEndsTheJobWhateverHappens) {
  struct TCase {
    const char *Name;
    bool Throws, Draw;
    int32_t PpiX, PpiY, PageWidth;
  };
  const TCase Cases[] = {
      {"prints", false, false, 600, 600, 4800},
      {"driver error", true, true, 600, 600, 4800},
      {"no X resolution", true, false, 0, 600, 4800},
      {"negative Y resolution", true, false, 600, -1, 4800},
      {"huge page", true, false, 1, 1, 2000000000},
  };
  for (const TCase &C : Cases)
    for (bool Held : {false, true}) {
      SCOPED_TRACE(std::string(C.Name) + (Held ? " held" : " running"));
      Scope->SetHold(Held);
      TRecordingPrinter Printer;
      Printer.ThrowOnDraw = C.Draw;
      Printer.PpiX = C.PpiX;
      Printer.PpiY = C.PpiY;
      Printer.PageWidth = C.PageWidth;
      gui::TScopedPrinter Installed(Printer);
      if (C.Throws)
        EXPECT_THROW(Scope->Print(), gui::EPrinter);
      else
        EXPECT_NO_THROW(Scope->Print());
      EXPECT_EQ(Scope->GetVC_Hold(), Held);
      EXPECT_EQ(Printer.Ended, 1);
      EXPECT_FALSE(Scope->GetPrinting());
      EXPECT_EQ(Scope->GetPlotWidth(), 320);
    }
}

TEST(PrintLayoutSize, ScreenResolutionOverThePage) {
  EXPECT_EQ(SLPrintLayoutSize(4800, 6600, 600, 600, 96, 96), (TSize{768, 1056}));
  // Integer product first, then the division: 1000 x 96 / 300 = 320.
  EXPECT_EQ(SLPrintLayoutSize(1000, 999, 300, 301, 96, 96), (TSize{320, 318}));
  // A page that lays out to nothing.
  EXPECT_THROW(SLPrintLayoutSize(5, 5, 600, 600, 96, 96), gui::EPrinter);
}

// Through Qt into a PDF file: one page of the chosen size, titled
// "Unknown", and the hold as it was.
TEST_F(ScopeExport, PrintIntoAPdfFile) {
  const fs::path File = Dir() / "scope.pdf";
  gui::TQtPrinter Printer;
  Printer.SetPdfOutput(File.string(), 100, 150, 300);
  gui::TScopedPrinter Installed(Printer);
  Scope->Print();
  EXPECT_FALSE(Scope->GetVC_Hold());
  int Status = 0;
  const std::string Info = RunCommand("pdfinfo '" + File.string() + "'", Status);
  ASSERT_EQ(Status, 0) << Info;
  EXPECT_NE(Info.find("Pages:           1\n"), std::string::npos) << Info;
  std::smatch Title;
  ASSERT_TRUE(std::regex_search(Info, Title, std::regex("Title: *(.*)\n"))) << Info;
  EXPECT_EQ(Title[1], "Unknown");
  std::smatch Size;
  ASSERT_TRUE(std::regex_search(Info, Size, std::regex("Page size: *([0-9.]+) x ([0-9.]+) pts")))
      << Info;
  // 100 mm by 150 mm in points of 1/72 inch.
  EXPECT_NEAR(std::stod(Size[1]), 100 / 25.4 * 72, 0.5);
  EXPECT_NEAR(std::stod(Size[2]), 150 / 25.4 * 72, 0.5);
}

// Without any printer, Qt's printer refuses to start a job, clearly.
TEST_F(ScopeExport, NoPrinterIsAClearError) {
  if (!QPrinterInfo::availablePrinters().isEmpty())
    GTEST_SKIP() << "this machine has a printer; the test would print on it";
  gui::TQtPrinter Printer;
  gui::TScopedPrinter Installed(Printer);
  try {
    Scope->Print();
    ADD_FAILURE() << "no error";
  } catch (const gui::EPrinter &E) {
    EXPECT_EQ(E.Message(), "There is no default printer currently selected");
  }
  EXPECT_FALSE(Scope->GetVC_Hold());
}

} // namespace
