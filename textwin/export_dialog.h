// The Export dialog (dialog 1148): what to export (everything, differences
// with context, differences only) and the output file. OK stores the choice
// in Settings.ExportHow and Settings.ExportResults.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace qm {

// Decides whether OK may go ahead with the chosen output file; it tells the
// user why not (the dialog then stays open for another name).
using ExportTargetCheck = std::function<bool(HWND dialog, const std::string& path)>;

// Modal, centred on owner. True when the user pressed OK and accept agreed.
bool ShowExportDialog(HWND owner, const ExportTargetCheck& accept);

}  // namespace qm
