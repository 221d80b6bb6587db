// Printing: the printer a program prints on, behind one replaceable seam,
// and the print dialog that chooses it. The program prints on Qt's printer
// (the default printer, or what the print dialog chose: another printer or
// a PDF file); tests install a printer of their own or script the dialog.
// Main thread only.
#pragma once

#include <QImage>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>

#include "platform/classlib/Exceptions.h"
#include "platform/gui/Canvas.h"

class QPrinter;
class QPainter;

namespace gui {

// Printing failed: no printer, a job that would not start, a page the
// printer reports no resolution for.
class EPrinter : public Exception {
public:
  using Exception::Exception;
};

class IPrinter {
public:
  virtual ~IPrinter() = default;
  // The job title; set before BeginDoc.
  virtual void SetTitle(const std::string &Title) = 0;
  virtual std::string GetTitle() const = 0;
  // A job of one page; EndDoc ends it, also after a failure.
  virtual void BeginDoc() = 0;
  virtual void EndDoc() = 0;
  // The printable page in device pixels.
  virtual int32_t GetPageWidth() = 0;
  virtual int32_t GetPageHeight() = 0;
  // Device pixels per inch across and down (LOGPIXELSX, LOGPIXELSY).
  virtual int32_t GetPixelsPerInchX() = 0;
  virtual int32_t GetPixelsPerInchY() = 0;
  // Image stretched over the rectangle (X, Y, X + Width, Y + Height) of the
  // page, in device pixels (StretchDIBits with SRCCOPY).
  virtual void StretchDraw(int32_t X, int32_t Y, int32_t Width, int32_t Height,
                           const QImage &Image) = 0;
};

// Qt's printer: the system's default printer unless SetOutputFileName asks
// for a PDF file; BeginDoc raises EPrinter when there is neither.
class TQtPrinter : public IPrinter {
public:
  TQtPrinter();
  ~TQtPrinter() override;
  TQtPrinter(const TQtPrinter &) = delete;
  TQtPrinter &operator=(const TQtPrinter &) = delete;

  QPrinter *GetQPrinter() const { return printer_.get(); }
  // Prints into a PDF file of the given page size in millimetres at
  // Resolution dots per inch.
  void SetPdfOutput(const std::string &FileName, double WidthMm, double HeightMm,
                    int32_t Resolution);

  void SetTitle(const std::string &Title) override;
  std::string GetTitle() const override;
  void BeginDoc() override;
  void EndDoc() override;
  int32_t GetPageWidth() override;
  int32_t GetPageHeight() override;
  int32_t GetPixelsPerInchX() override;
  int32_t GetPixelsPerInchY() override;
  void StretchDraw(int32_t X, int32_t Y, int32_t Width, int32_t Height,
                   const QImage &Image) override;

private:
  std::unique_ptr<QPrinter> printer_;
  std::unique_ptr<QPainter> painter_;
};

// The printer in use: the installed one, else one Qt printer kept for the
// program's life.
IPrinter &Printer();
// Installs Printer (null: Qt's) and returns the one it replaces.
IPrinter *SetPrinter(IPrinter *Printer);

class IPrintDialogs {
public:
  virtual ~IPrintDialogs() = default;
  // Lets the user choose and set up Printer; false when cancelled.
  virtual bool ExecutePrintDialog(IPrinter &Printer) = 0;
};

// Installs Handler (null: Qt's print dialog) and returns the one it
// replaces.
IPrintDialogs *SetPrintDialogs(IPrintDialogs *Handler);
// The print dialog over Printer().
bool ExecutePrintDialog();

// Answers print dialogs from a script (none left: cancelled) and counts
// them.
class TScriptedPrintDialogs : public IPrintDialogs {
public:
  TScriptedPrintDialogs() : previous_(SetPrintDialogs(this)) {}
  ~TScriptedPrintDialogs() override { SetPrintDialogs(previous_); }
  TScriptedPrintDialogs(const TScriptedPrintDialogs &) = delete;
  TScriptedPrintDialogs &operator=(const TScriptedPrintDialogs &) = delete;

  void Answer(bool Accept) { answers_.push_back(Accept); }
  bool ExecutePrintDialog(IPrinter &Printer) override;
  int Shown = 0;

private:
  IPrintDialogs *previous_;
  std::deque<bool> answers_;
};

// Installs a printer for the life of the object.
class TScopedPrinter {
public:
  explicit TScopedPrinter(IPrinter &Printer) : previous_(SetPrinter(&Printer)) {}
  ~TScopedPrinter() { SetPrinter(previous_); }
  TScopedPrinter(const TScopedPrinter &) = delete;
  TScopedPrinter &operator=(const TScopedPrinter &) = delete;

private:
  IPrinter *previous_;
};

} // namespace gui
