#include "platform/gui/Printing.h"

#include <QApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

namespace gui {

TQtPrinter::TQtPrinter() : printer_(std::make_unique<QPrinter>(QPrinter::HighResolution)) {}

TQtPrinter::~TQtPrinter() {
  if (painter_)
    painter_->end();
}

void TQtPrinter::SetPdfOutput(const std::string &FileName, double WidthMm, double HeightMm,
                              int32_t Resolution) {
  printer_->setOutputFormat(QPrinter::PdfFormat);
  printer_->setOutputFileName(QString::fromStdString(FileName));
  printer_->setResolution(Resolution);
  printer_->setFullPage(true);
  printer_->setPageSize(QPageSize(QSizeF(WidthMm, HeightMm), QPageSize::Millimeter));
  printer_->setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

void TQtPrinter::SetTitle(const std::string &Title) {
  printer_->setDocName(QString::fromStdString(Title));
}

std::string TQtPrinter::GetTitle() const { return printer_->docName().toStdString(); }

void TQtPrinter::BeginDoc() {
  // Without a print system Qt falls back to PDF output, which needs a file
  // name: with neither a printer nor a file there is nowhere to print.
  const bool ToFile = !printer_->outputFileName().isEmpty();
  if (!ToFile &&
      (printer_->outputFormat() != QPrinter::NativeFormat || printer_->printerName().isEmpty()))
    throw EPrinter("There is no default printer currently selected");
  painter_ = std::make_unique<QPainter>();
  if (!painter_->begin(printer_.get())) {
    painter_.reset();
    throw EPrinter("Printing could not be started on \"" + printer_->printerName().toStdString() +
                   printer_->outputFileName().toStdString() + "\"");
  }
}

void TQtPrinter::EndDoc() {
  if (painter_) {
    painter_->end();
    painter_.reset();
  }
}

int32_t TQtPrinter::GetPageWidth() { return printer_->width(); }
int32_t TQtPrinter::GetPageHeight() { return printer_->height(); }
int32_t TQtPrinter::GetPixelsPerInchX() { return printer_->logicalDpiX(); }
int32_t TQtPrinter::GetPixelsPerInchY() { return printer_->logicalDpiY(); }

void TQtPrinter::StretchDraw(int32_t X, int32_t Y, int32_t Width, int32_t Height,
                             const QImage &Image) {
  if (!painter_)
    throw EPrinter("Printer is not currently printing");
  painter_->drawImage(QRect(X, Y, Width, Height), Image);
}

namespace {

IPrinter *installedPrinter = nullptr;
IPrintDialogs *installedDialogs = nullptr;

} // namespace

IPrinter &Printer() {
  if (installedPrinter)
    return *installedPrinter;
  static TQtPrinter Qt;
  return Qt;
}

IPrinter *SetPrinter(IPrinter *Printer) {
  IPrinter *Previous = installedPrinter;
  installedPrinter = Printer;
  return Previous;
}

IPrintDialogs *SetPrintDialogs(IPrintDialogs *Handler) {
  IPrintDialogs *Previous = installedDialogs;
  installedDialogs = Handler;
  return Previous;
}

bool ExecutePrintDialog() {
  IPrinter &Target = Printer();
  if (installedDialogs)
    return installedDialogs->ExecutePrintDialog(Target);
  // Only Qt's printer has a dialog of Qt's to set it up.
  TQtPrinter *Qt = dynamic_cast<TQtPrinter *>(&Target);
  if (!Qt)
    return true;
  QPrintDialog Dialog(Qt->GetQPrinter(), QApplication::activeWindow());
  return Dialog.exec() == QDialog::Accepted;
}

bool TScriptedPrintDialogs::ExecutePrintDialog(IPrinter &) {
  ++Shown;
  if (answers_.empty())
    return false;
  const bool Accept = answers_.front();
  answers_.pop_front();
  return Accept;
}

} // namespace gui
