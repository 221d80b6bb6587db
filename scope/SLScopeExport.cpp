// Picture export and printing of the scope control.
#include "scope/SLScopeExport.h"

#include <string>

#include "platform/gui/PictureFiles.h"
#include "platform/sys/ScopeExit.h"
#include "scope/SLScopeControl.h"

namespace {

// The largest picture printing lays out: 32767 pixels a side and 2^27
// pixels (512 MiB) in all, far beyond any paper at screen resolution.
constexpr int64_t MaxPrintSide = 32767;
constexpr int64_t MaxPrintPixels = int64_t(1) << 27;

} // namespace

void SLStretchPrint(gui::IPrinter &Printer, int32_t X, int32_t Y, int32_t Width, int32_t Height,
                    TBitmap &Bitmap) {
  Printer.StretchDraw(X, Y, Width, Height, Bitmap.Image());
}

TSize SLPrintLayoutSize(int32_t PageWidth, int32_t PageHeight, int32_t PrinterPpiX,
                        int32_t PrinterPpiY, int32_t ScreenPpiX, int32_t ScreenPpiY) {
  if (PrinterPpiX <= 0 || PrinterPpiY <= 0)
    throw gui::EPrinter("The printer reports no resolution");
  const int64_t W = int64_t(PageWidth) * ScreenPpiX / PrinterPpiX;
  const int64_t H = int64_t(PageHeight) * ScreenPpiY / PrinterPpiY;
  if (W <= 0 || H <= 0)
    throw gui::EPrinter("The printer reports an empty page");
  if (W > MaxPrintSide || H > MaxPrintSide || W * H > MaxPrintPixels)
    throw gui::EPrinter("The page is too large to print (" + std::to_string(W) + " by " +
                        std::to_string(H) + " pixels)");
  return {int32_t(W), int32_t(H)};
}

void TSLDataDisplay::CopyToBitmap(TBitmap *Bitmap) {
  Bitmap->SetSize(GetWidth(), GetHeight());
  if (Bitmap->GetWidth() > 0 && Bitmap->GetHeight() > 0)
    PaintToCanvas(Bitmap->Canvas());
}

void TSLDataDisplay::CopyToClipboard() {
  TBitmap Bitmap;
  CopyToBitmap(&Bitmap);
  gui::CopyImageToClipboard(Bitmap.Image());
}

void TSLDataDisplay::SaveToBitmap(const std::string &FileName) {
  TBitmap Bitmap;
  CopyToBitmap(&Bitmap);
  gui::SaveBitmapFile(Bitmap.Image(), FileName);
}

void TSLDataDisplay::SaveToJpeg(const std::string &FileName) {
  TBitmap Bitmap;
  CopyToBitmap(&Bitmap);
  gui::TJPEGImage Jpeg;
  Jpeg.Assign(Bitmap.Image());
  Jpeg.SaveToFile(FileName);
}

void TSLDataDisplay::Print() {
  TBitmap Bitmap;
  gui::IPrinter &Printer = gui::Printer();
  Printer.SetTitle(GetPrintTitle());
  Printer.BeginDoc();
  sys::TScopeExit Restore([this, &Printer] {
    Printer.EndDoc();
    FRecalcRects = true;
    FPrinting = false;
    Invalidate();
  });
  FPrinting = true;
  FRecalcRects = true;
  const int32_t PageWidth = Printer.GetPageWidth(), PageHeight = Printer.GetPageHeight();
  const TSize Size =
      SLPrintLayoutSize(PageWidth, PageHeight, Printer.GetPixelsPerInchX(),
                        Printer.GetPixelsPerInchY(), ScreenPixelsPerInch, ScreenPixelsPerInch);
  FPrintWidth = Size.cx;
  FPrintHeight = Size.cy;
  Bitmap.SetSize(FPrintWidth, FPrintHeight);
  if (Bitmap.GetWidth() != FPrintWidth || Bitmap.GetHeight() != FPrintHeight)
    throw gui::EPrinter("Not enough memory for the printed picture");
  PaintToCanvas(Bitmap.Canvas());
  SLStretchPrint(Printer, 0, 0, PageWidth, PageHeight, Bitmap);
}

void TSLScope::Print() {
  const bool Held = FHold;
  SetHold(true);
  sys::TScopeExit Restore([this, Held] { SetHold(Held); });
  TSLDataChart::Print();
}
