// The common open and save dialogs as the program's windows use them: a
// title and a filter from this module's string table ('|' separating the
// entries), the current text as the starting name, and a second try with an
// empty name when the system rejects that text (a box showing "<no file>"
// is no file name). Modal to the owner; user-interface thread only.
#pragma once

#include <windows.h>

#include <string>

namespace qm {

struct FileDialogRequest {
  HWND owner = nullptr;
  bool save = false;
  UINT titleId = 0;
  UINT filterId = 0;
  const char* defaultExtension = nullptr;
  DWORD flags = OFN_HIDEREADONLY;
};

// path: the starting name in, the chosen name out. False when cancelled.
bool AskForFileName(const FileDialogRequest& request, std::string* path);

}  // namespace qm
