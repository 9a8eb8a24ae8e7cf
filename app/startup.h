// The program's start, message loop and end.
//
// InitInstance: runtime set-up (random seed, time zone, user locale), common
// controls and OLE, Settings.Load and the command image list, the command
// line, an empty text window when the command line opened none, the tips at
// start-up. RunMessageLoop serves every window and modeless dialog of the
// process until WM_QUIT (or a GetMessage failure, which is reported and ends
// the loop like WM_QUIT). ExitInstance deletes the closed windows' objects,
// saves the settings and shuts OLE down; a comparison window calls it when
// the session ends, since the process then never returns to WinMain.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace qm {

bool InitInstance(const std::vector<std::string>& args);
// True when it opened and filled a comparison window.
bool ParseCommandLine(const std::vector<std::string>& args);
// The main loop's treatment of one message: the find dialog, the modeless
// dialogs, then the target's top-level window object (PreTranslateMessage,
// then its accelerators). True when the message was consumed.
bool PreTranslate(MSG* msg);
// Returns the WM_QUIT exit code, or -1 when GetMessage failed.
int RunMessageLoop();
// Runs once; later calls do nothing.
void ExitInstance();

// The runtime's argument vector (__argc, __argv) as strings.
std::vector<std::string> ProcessArguments();

}  // namespace qm
