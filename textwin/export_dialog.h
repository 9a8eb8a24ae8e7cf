// The Export dialog (dialog 1148): what to export (everything, differences
// with context, differences only) and the output file. OK stores the choice
// in Settings.ExportHow and Settings.ExportResults.
#pragma once

#include <windows.h>

namespace qm {

// Modal, centred on owner. True when the user pressed OK.
bool ShowExportDialog(HWND owner);

}  // namespace qm
