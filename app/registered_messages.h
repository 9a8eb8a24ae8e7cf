// The two registered window messages of the program, registered during
// static initialisation (before WinMain runs).
#pragma once

#include <windows.h>

namespace qm {

// "MSG_COMPARE_DONE-{2ECF7E4C-1184-4b0e-8849-F7DDD5BCF4DC}": posted by a
// comparison worker to its progress dialog, wParam and lParam 0.
extern const UINT CompareDoneMessage;
// "commdlg_FindReplace": the find and replace dialog's notifications.
extern const UINT FindReplaceMessage;

}  // namespace qm
