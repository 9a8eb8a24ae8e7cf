// The "Print preview" dialog: the pages of a comparison as the shared
// printer would print them, one at a time, stepped with "<<" and ">>" (or
// the pane's vertical scroll bar). The dialog is resizable and keeps its
// placement in Settings.PreviewWindow.
#pragma once

#include <windows.h>

#include "output/print_page.h"

namespace qm {

// Modal over owner; true when the user chose "&Print..." (the caller then
// prints), false for "&Close".
bool ShowPrintPreview(HWND owner, const PrintSource& source);

}  // namespace qm
