#include "folders/shell_actions_win32.h"

#include <shellapi.h>
#include <shlobj.h>

#include "common/paths.h"
#include "controls/code_page.h"
#include "controls/message_box.h"
#include "resources/resource.h"

namespace qm {

namespace {

// The sides whose item (or root) an entry of list kind has.
std::vector<int> SidesOf(FolderListKind kind) {
  switch (kind) {
    case FolderListKind::OldList: return {0};
    case FolderListKind::NewList: return {1};
    case FolderListKind::ChangedList:
    case FolderListKind::SameList: break;
  }
  return {0, 1};
}

void ShowFailure(HWND owner, UINT messageId, DWORD error) {
  const std::string reason = SystemMessage(error);
  ShowMessage(owner, messageId, MB_OK | MB_ICONERROR, {reinterpret_cast<DWORD_PTR>(reason.c_str())});
}

// One request to the shell; the error box on failure.
bool Execute(HWND owner, const std::string& path, ShellAction action) {
  const std::wstring wide = WideFromUtf8(path);
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.hwnd = owner;
  info.lpFile = wide.c_str();
  info.nShow = SW_SHOWNORMAL;
  UINT messageId = IDS_SHELL_OPEN_FAILED;
  PIDLIST_ABSOLUTE idList = nullptr;
  switch (action) {
    case ShellAction::OpenInApp: break;
    case ShellAction::ExploreRoots:
      info.lpVerb = L"explore";
      info.fMask = SEE_MASK_FLAG_NO_UI;
      break;
    case ShellAction::ShowProperties:
      messageId = IDS_PROPERTIES_FAILED;
      idList = ILCreateFromPathW(wide.c_str());
      if (!idList) {
        const DWORD error = GetLastError();
        ShowFailure(owner, messageId, error ? error : ERROR_FILE_NOT_FOUND);
        return false;
      }
      info.lpVerb = L"properties";
      info.fMask = SEE_MASK_INVOKEIDLIST | SEE_MASK_FLAG_NO_UI;
      info.lpIDList = idList;
      break;
  }
  SetLastError(0);
  const bool done = ShellExecuteExW(&info) != FALSE;
  const DWORD error = GetLastError();
  if (idList) ILFree(idList);
  if (!done) ShowFailure(owner, messageId, error ? error : ERROR_FILE_NOT_FOUND);
  return done;
}

bool RunAll(HWND owner, ShellAction action, const FolderComparison& comparison,
            FolderListKind kind, const FolderEntry& entry) {
  bool all = true;
  for (const std::string& target : ShellActionTargets(action, kind, comparison, entry)) {
    all = Execute(owner, target, action) && all;
  }
  return all;
}

}  // namespace

std::vector<std::string> ShellActionTargets(ShellAction action, FolderListKind kind,
                                            const FolderComparison& comparison,
                                            const FolderEntry& entry) {
  std::vector<std::string> targets;
  for (int side : SidesOf(kind)) {
    const std::string& root = side == 0 ? comparison.oldRoot : comparison.newRoot;
    targets.push_back(action == ShellAction::ExploreRoots ? root : JoinPath(root, entry.name));
  }
  return targets;
}

bool OpenInApp(HWND owner, const FolderComparison& comparison, FolderListKind kind,
               const FolderEntry& entry) {
  return RunAll(owner, ShellAction::OpenInApp, comparison, kind, entry);
}

bool ExploreRoots(HWND owner, const FolderComparison& comparison, FolderListKind kind,
                  const FolderEntry& entry) {
  return RunAll(owner, ShellAction::ExploreRoots, comparison, kind, entry);
}

bool ShowProperties(HWND owner, const FolderComparison& comparison, FolderListKind kind,
                    const FolderEntry& entry) {
  return RunAll(owner, ShellAction::ShowProperties, comparison, kind, entry);
}

}  // namespace qm
