// Printing a comparison: the print job with its "Printing..." dialog, the
// page set-up dialog and the printer set-up. The printer's DEVMODE and
// DEVNAMES are the ones in Settings, shared by every window.
#pragma once

#include <windows.h>

#include "output/print_page.h"

namespace qm {

// Runs the system print dialog and, unless it is cancelled, prints the
// pages of source the user chose; window is disabled meanwhile. A job that
// fails tells the user why; a job the user cancels prints nothing more.
// Returns true when every page was printed.
bool PrintComparison(HWND window, const PrintSource& source);

// The "Page setup" dialog (scale, printer set-up), modal over owner.
void ShowPageSetup(HWND owner);

// The system's printer set-up dialog; on OK the shared printer and the
// orientation setting follow it. True on OK.
bool PrinterSetup(HWND owner);

// A device context for the shared printer (null without one); the caller
// deletes it.
HDC CreateSharedPrinterDC();

// Centres dialog on its owner (on the screen without one).
void CentreOnOwner(HWND dialog);

}  // namespace qm
