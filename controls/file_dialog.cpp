#include "controls/file_dialog.h"

#include <commdlg.h>

#include "controls/code_page.h"
#include "controls/res_string.h"

namespace qm {

bool AskForFileName(const FileDialogRequest& request, std::string* path) {
  char name[kMaxPathBytes] = "";
  lstrcpynA(name, path->c_str(), kMaxPathBytes);
  std::string filter = LoadResString(request.filterId);
  for (char& c : filter)
    if (c == '|') c = '\0';
  std::string title = LoadResString(request.titleId);
  OPENFILENAMEA ofn{};
  ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
  ofn.hwndOwner = request.owner;
  ofn.lpstrFilter = filter.c_str();
  ofn.lpstrFile = name;
  ofn.nMaxFile = kMaxPathBytes;
  ofn.lpstrTitle = title.c_str();
  ofn.lpstrDefExt = request.defaultExtension;
  ofn.Flags = request.flags;
  auto run = [&] { return request.save ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn); };
  BOOL ok = run();
  if (!ok && CommDlgExtendedError() == FNERR_INVALIDFILENAME) {
    name[0] = '\0';
    ok = run();
  }
  if (!ok) return false;
  *path = name;
  return true;
}

}  // namespace qm
