#pragma once
// What the scope's picture export and printing share: the stretch of a
// picture over a printer's page.

#include <cstdint>

#include "platform/gui/Canvas.h"
#include "platform/gui/Printing.h"

// Copies Bitmap to the printer's page stretched over (X, Y, X + Width,
// Y + Height).
void SLStretchPrint(gui::IPrinter &Printer, int32_t X, int32_t Y, int32_t Width, int32_t Height,
                    TBitmap &Bitmap);

// The plot size that lays a page of PageWidth by PageHeight printer pixels
// out at the screen's resolution. Raises gui::EPrinter for a printer that
// reports no resolution or a page whose picture would not fit in memory.
TSize SLPrintLayoutSize(int32_t PageWidth, int32_t PageHeight, int32_t PrinterPpiX,
                        int32_t PrinterPpiY, int32_t ScreenPpiX, int32_t ScreenPpiY);
