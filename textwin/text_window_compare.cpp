// TextWindow: Refresh, saving, names, Switch Sides and dropped files.
#include "textwin/text_window.h"

#include <shellapi.h>

#include <vector>

#include "app/quick_bar.h"
#include "app/settings.h"
#include "app/window_manager.h"
#include "engine/platform.h"
#include "engine/text_file.h"
#include "resources/resource.h"
#include "controls/code_page.h"
#include "controls/file_dialog.h"
#include "controls/message_box.h"
#include "controls/res_string.h"

namespace qm {

std::string TextWindow::NameText(int side) const { return name_[side].Text(); }

void TextWindow::SetNameText(int side, const std::string& text) { name_[side].SetText(text); }

std::string TextWindow::SidePathOf(int side) const {
  return sidePath_[side].empty() ? NameText(side) : sidePath_[side];
}

void TextWindow::SetNames(const std::string& left, const std::string& right, bool compareNow) {
  SetNameText(0, left);
  SetNameText(1, right);
  namesUnchanged_ = false;
  UpdateTitle();
  SetFocus(hwnd());
  UpdateWindow(hwnd());
  if (compareNow) SendMessageA(hwnd(), WM_COMMAND, ID_VIEW_REFRESH, 0);
}

// ---- Refresh ----

void TextWindow::Refresh() {
  if (busy() || !AskToSave()) return;
  ClearChosenSides();
  for (int side = 0; side < 2; ++side) sidePath_[side] = NameText(side);
  // A repeat of the previous comparison keeps the view where it was.
  repeatRun_ = namesUnchanged_;
  ClearIdle();

  // The worker gets copies: the names and the comparison settings as they
  // are now, whatever the Options dialog does while it runs.
  const std::string left = sidePath_[0], right = sidePath_[1];
  CompareSettings settings = Settings.CompareSnapshot();
  settings.progress = &compareProgress();
  compareResult_ = CompareResult{};
  ShowResultInStatus(false);
  InvalidateRect(pane_->hwnd(), nullptr, FALSE);
  if (summary_) InvalidateRect(summary_, nullptr, FALSE);
  CancelFlag* cancel = &cancelFlag();
  TextView* pane = pane_.get();
  // A run that fails before it returns a result (the worker swallows what
  // it throws) has run out of something: it is never a success.
  CompareResult result{CompareCode::OutOfMemory, 0};
  bool ran = RunComparison(
      [&] { result = pane->LoadAndCompare(left, right, settings, cancel); });
  // Without a worker nothing was loaded: the system is out of resources.
  compareResult_ = ran ? result : CompareResult{CompareCode::OutOfMemory, 0};
  if (!hwnd()) return;  // closed while it ran
  pane_->FinishCompare();
  ReportResult();
}

void TextWindow::ReportResult() {
  const CompareResult result = compareResult_;
  HWND owner = hwnd();
  UINT message = 0;
  switch (result.code) {
    case CompareCode::Ok:
      for (HistoryCombo& box : name_) box.AddToHistory();
      if (quickBar_) {
        quickBar_->AddRecentComparison(sidePath_[0], sidePath_[1]);
      } else {
        Settings.RecentFileHistory.Add(RecentComparison{sidePath_[0], sidePath_[1]});
      }
      break;
    case CompareCode::OutOfMemory: message = IDS_OUT_OF_MEMORY; owner = nullptr; break;
    case CompareCode::Aborted: message = IDS_ABORTED; break;
    case CompareCode::LeftNameInvalid: message = IDS_LEFT_NAME_INVALID; break;
    case CompareCode::RightNameInvalid: message = IDS_RIGHT_NAME_INVALID; break;
    case CompareCode::LeftBinary: message = IDS_LEFT_BINARY; break;
    case CompareCode::RightBinary: message = IDS_RIGHT_BINARY; break;
    case CompareCode::LeftLoadFailed: message = IDS_LEFT_NOT_LOADED; break;
    case CompareCode::RightLoadFailed: message = IDS_RIGHT_NOT_LOADED; break;
  }
  // A window closed while it compared goes without a word on the outcome.
  if (closing()) message = 0;
  if (message == IDS_LEFT_NOT_LOADED || message == IDS_RIGHT_NOT_LOADED) {
    std::string reason = SystemMessage(result.detail);
    ShowMessage(owner, message, MB_OK | MB_ICONERROR, {reinterpret_cast<DWORD_PTR>(reason.c_str())});
  } else if (message) {
    ShowMessage(owner, message, MB_OK | MB_ICONERROR);
  }
  if (result.code != CompareCode::Ok) {
    sidePath_[0].clear();
    sidePath_[1].clear();
  }

  namesUnchanged_ = true;
  document_.FinishCompare();
  for (int side = 0; side < 2; ++side) {
    modifiedShown_[side] = false;
    readOnlyShown_[side] = pane_->IsReadOnly(side);
  }
  ShowResultInStatus(result.code == CompareCode::Ok);
  UpdateCommandStates();
  PaneLayout();
  UpdateTitle();
  InvalidateRect(hwnd(), nullptr, FALSE);
  InvalidateRect(pane_->hwnd(), nullptr, FALSE);
  if (summary_) InvalidateRect(summary_, nullptr, FALSE);

  if (Settings.IdenticalMessage && result.code == CompareCode::Ok && pane_->DiffCount() == 0 &&
      !closing()) {
    ShowMessage(hwnd(), IDS_FILES_IDENTICAL, MB_OK | MB_ICONINFORMATION);
    if (Settings.CommandLineCompare) PostMessageA(hwnd(), WM_CLOSE, 0, 0);
  }
  Settings.CommandLineCompare = false;
}

// ---- Saving ----

bool TextWindow::AskToSave() { return AskToSaveSide(0) && AskToSaveSide(1); }

bool TextWindow::AskToSaveSide(int side) {
  if (!Settings.AskConfirmation || !history_.IsModified(side)) return true;
  std::string path = SidePathOf(side);
  if (path.empty()) path = LoadResString(IDS_NO_FILE);
  switch (ShowMessage(hwnd(), IDS_SAVE_CHANGES, MB_YESNOCANCEL | MB_ICONQUESTION,
                      {reinterpret_cast<DWORD_PTR>(path.c_str())})) {
    case IDYES: return SaveSide(side);
    case IDNO: return true;
    default: return false;
  }
}

bool TextWindow::SaveSide(int side) {
  // The file the side was read from (a shortcut already resolved), else
  // the name it stands for.
  std::string path = document_.FilePath(side);
  if (path.empty()) path = SidePathOf(side);
  if (!IsFilePath(path)) return SaveSideAs(side);
  return WriteSide(side, path);
}

bool TextWindow::TargetIsFree(const std::string& path, int side) {
  if (!document_.IsOpenFile(path, side)) return true;
  ShowMessage(hwnd(), IDS_TARGET_IS_OPEN, MB_OK | MB_ICONWARNING,
              {reinterpret_cast<DWORD_PTR>(path.c_str())});
  return false;
}

bool TextWindow::WriteSide(int side, const std::string& path) {
  // Whatever route asked (a command, Ask to save, a message from outside),
  // a side that holds no loaded file has nothing to write.
  if (!document_.IsLoaded(side)) {
    ShowMessage(hwnd(), IDS_SIDE_NOT_LOADED, MB_OK | MB_ICONERROR);
    return false;
  }
  if (!TargetIsFree(path, side)) return false;
  if (IsSameFile(path, document_.FilePath(side)) &&
      document_.CheckDisk(side) == DiskState::Changed &&
      ShowMessage(hwnd(), IDS_CHANGED_ON_DISK, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2,
                  {reinterpret_cast<DWORD_PTR>(path.c_str())}) != IDYES) {
    return false;
  }
  // The pane shows the failure; the side stays modified and its path as it was.
  bool written = pane_->SaveSide(side, path);
  if (written) sidePath_[side] = path;
  UpdateTitle();
  return written;
}

bool TextWindow::SaveSideAs(int side) {
  if (!document_.IsLoaded(side)) {
    ShowMessage(hwnd(), IDS_SIDE_NOT_LOADED, MB_OK | MB_ICONERROR);
    return false;
  }
  std::string path = SidePathOf(side);
  FileDialogRequest request;
  request.owner = hwnd();
  request.save = true;
  request.titleId = side == 0 ? IDS_SAVE_LEFT_FILE : IDS_SAVE_RIGHT_FILE;
  request.filterId = IDS_FILTER_ALL_FILES;
  // The system asks before an existing file is replaced.
  request.flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
  if (!AskForFileName(request, &path)) return false;
  // Refused before the name box takes the name: the window keeps showing
  // what it compared.
  if (!TargetIsFree(path, side)) return false;
  SetNameText(side, path);
  name_[side].AddToHistory();
  namesUnchanged_ = false;
  return WriteSide(side, path);
}

void TextWindow::Browse(int side) {
  std::string path = NameText(side);
  FileDialogRequest request;
  request.owner = hwnd();
  request.titleId = side == 0 ? IDS_CHOOSE_LEFT_FILE : IDS_CHOOSE_RIGHT_FILE;
  request.filterId = IDS_FILTER_ALL_FILES;
  request.flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
  if (!AskForFileName(request, &path)) return;
  SetNameText(side, path);
  UpdateTitle();
  namesUnchanged_ = false;
  ChooseSide(side);
}

void TextWindow::SwitchSides() {
  pane_->SwapSides();
  std::swap(sidePath_[0], sidePath_[1]);
  std::swap(modifiedShown_[0], modifiedShown_[1]);
  std::swap(readOnlyShown_[0], readOnlyShown_[1]);
  std::string left = NameText(0), right = NameText(1);
  SetNameText(0, right);
  SetNameText(1, left);
  PaneLayout();
  InvalidateRect(pane_->hwnd(), nullptr, FALSE);
  for (int part = 1; part < 4; ++part) UpdateStatus(part);
  UpdateCommandStates();
  UpdateTitle();
}

// ---- Name boxes ----

LRESULT TextWindow::OnNameBoxCommand(HWND, UINT, WPARAM wParam, LPARAM) {
  const int side = LOWORD(wParam) == IDC_LEFT_NAME ? 0 : 1;
  name_[side].OnParentCommand(wParam);
  switch (HIWORD(wParam)) {
    case CBN_SELCHANGE:
    case CBN_EDITCHANGE:
      UpdateTitle();
      name_[side].SaveText();
      namesUnchanged_ = false;
      break;
    case HistoryCombo::kEnter:
      Refresh();
      break;
    case HistoryCombo::kPicked:
    case HistoryCombo::kDropped:
      name_[side].SaveText();
      namesUnchanged_ = false;
      UpdateTitle();
      ChooseSide(side);
      break;
  }
  return 0;
}

// ---- Dropped files ----

LRESULT TextWindow::OnDropFiles(HWND hwnd, UINT, WPARAM wParam, LPARAM) {
  HDROP drop = reinterpret_cast<HDROP>(wParam);
  std::vector<std::string> paths;
  UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    char path[kMaxPathBytes] = "";
    DragQueryFileA(drop, i, path, kMaxPathBytes);
    paths.push_back(path);
  }
  POINT point{};
  DragQueryPoint(drop, &point);
  DragFinish(drop);

  // The window takes drops for its children: find what was under the point.
  HWND target = ChildWindowFromPointEx(hwnd, point, CWP_SKIPINVISIBLE);
  int side = -1;
  for (int s = 0; s < 2; ++s)
    if (target == name_[s].hwnd()) side = s;
  if (side < 0 && target == pane_->hwnd()) {
    if (paths.size() >= 2) return DropPaths(paths), 0;
    side = point.x - layout_.pane.x > pane_->Geometry().split ? 1 : 0;
  }
  if (side < 0) {
    DropPaths(paths);
    return 0;
  }
  // A name box takes the first item, and only a file.
  if (!paths.empty()) name_[side].TakeDroppedFile(paths[0]);
  return 0;
}

void TextWindow::DropPaths(const std::vector<std::string>& paths) {
  if (paths.size() != 2) return;
  auto isFolder = [](const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
  };
  if (isFolder(paths[0]) && isFolder(paths[1])) {
    OpenFolderComparison(nullptr, paths[0], paths[1], false);
  } else if (!isFolder(paths[0]) && !isFolder(paths[1])) {
    OpenTextComparison(this, paths[0], paths[1], false);
  }
}

}  // namespace qm
