// FolderWindow: the command table, Refresh and its messages, Switch Sides,
// Compare Parents, Go Up, Choose Folder, the folder bars, the lists' host
// duties, keyboard pre-translation and dropped items.
#include "folders/folder_window.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <functional>
#include <utility>

#include "app/bars.h"
#include "app/quick_bar.h"
#include "app/settings.h"
#include "app/window_manager.h"
#include "common/paths.h"
#include "controls/code_page.h"
#include "controls/com_ptr.h"
#include "controls/message_box.h"
#include "controls/res_string.h"
#include "engine/platform.h"
#include "folders/file_system.h"
#include "folders/folder_ops.h"
#include "folders/shell_file_operations.h"
#include "resources/resource.h"

namespace qm {

namespace {

// While a comparison runs, the progress dialog's Cancel (and a close of the
// window) set the window's cancel flag; the scan polls the comparison's
// own. This timer carries the one over to the other.
constexpr UINT_PTR kCancelTimer = 1;
constexpr UINT kCancelPollMs = 50;

// The settings a comparison runs with, copied before it starts: the
// Options dialog stays usable while the worker runs.
FolderCompareSettings FolderSettingsSnapshot() {
  FolderCompareSettings s;
  s.IgnoreNameCase = Settings.IgnoreNameCase;
  s.CompareSubfolders = Settings.CompareSubfolders;
  s.CompareAttribs = Settings.CompareAttribs;
  s.CompareFolderAttribs = Settings.CompareFolderAttribs;
  s.CompareDate = Settings.CompareDate;
  s.CompareFolderDate = Settings.CompareFolderDate;
  s.CompareSize = Settings.CompareSize;
  s.CompareQuick = Settings.CompareQuick;
  s.CompareFull = Settings.CompareFull && !Settings.CompareQuick;
  s.HaveIncludeFilter = Settings.HaveIncludeFilter;
  s.HaveExcludeFilter = Settings.HaveExcludeFilter && !Settings.HaveIncludeFilter;
  s.IncludeFilter = Settings.IncludeFilterHistory.FirstText();
  s.ExcludeFilter = Settings.ExcludeFilterHistory.FirstText();
  s.text = Settings.CompareSnapshot().options;
  return s;
}

bool IsFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

int CALLBACK BrowseCallback(HWND dialog, UINT msg, LPARAM, LPARAM data) {
  if (msg == BFFM_INITIALIZED && data) {
    SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, data);
  }
  return 0;
}

}  // namespace

void FolderWindow::RegisterCommands() {
  HandlerMaps& m = maps();
  auto command = [&](UINT id, std::function<void()> action) {
    m.OnCommandAction(id, std::move(action));
  };
  command(ID_FILE_COMPARE_PARENTS, [this] { CompareParents(); });
  command(ID_VIEW_REFRESH, [this] { Refresh(); });
  command(ID_VIEW_SWITCH_SIDES, [this] { SwitchSides(); });
  command(ID_EDIT_SELECT_ALL, [this] { SelectAll(); });
  command(ID_EDIT_UNDO, [this] {
    if (FolderList* list = CurrentList()) list->RunCommand(ID_EDIT_UNDO);
  });
  for (UINT id : {IDC_GO_UP_OLD, IDC_GO_UP_NEW, IDC_CHOOSE_OLD_FOLDER, IDC_CHOOSE_NEW_FOLDER}) {
    m.OnCommand(id, [this, id](HWND, UINT, WPARAM wParam, LPARAM) -> LRESULT {
      if (HIWORD(wParam) != BN_CLICKED) return 0;
      const int side = id == IDC_GO_UP_OLD || id == IDC_CHOOSE_OLD_FOLDER ? 0 : 1;
      if (id == IDC_GO_UP_OLD || id == IDC_GO_UP_NEW) {
        GoUp(side);
      } else {
        ChooseFolder(side);
      }
      return 0;
    });
  }
  m.OnCommand(IDC_LEFT_NAME, Bind(this, &FolderWindow::OnBarCommand));
  m.OnCommand(IDC_RIGHT_NAME, Bind(this, &FolderWindow::OnBarCommand));
  m.OnCommandRange(IDC_LIST_NEW, IDC_LIST_SAME, Bind(this, &FolderWindow::OnListCommand));
  m.OnMessage(WM_TIMER, [this](HWND, UINT, WPARAM id, LPARAM) -> LRESULT {
    if (id == kCancelTimer && cancelFlag().load() != 0) comparison_.cancel.store(1);
    return 0;
  });
}

// ---- Names ----

void FolderWindow::SetNames(const std::string& oldFolder, const std::string& newFolder,
                            bool compareNow) {
  bar_[0].SetText(oldFolder);
  bar_[1].SetText(newFolder);
  RefreshTitle();
  SetFocus(hwnd());
  UpdateWindow(hwnd());
  if (compareNow) SendMessageA(hwnd(), WM_COMMAND, ID_VIEW_REFRESH, 0);
}

void FolderWindow::SaveBarText(int side) { bar_[side].SaveText(); }

// ---- Refresh ----

void FolderWindow::Refresh() {
  if (busy() || operating_) return;
  ClearChosenSides();
  ClearIdle();
  // The rows go before the entries they show.
  for (auto& list : lists_) {
    if (list) list->Clear();
  }
  RebuildTabs();
  ShowCurrentTab(false);
  comparison_.oldRoot = bar_[0].Text();
  comparison_.newRoot = bar_[1].Text();
  UpdateWindow(hwnd());

  const FolderCompareSettings settings = FolderSettingsSnapshot();
  SystemFileSystem fs;
  bool ran = true;
  const WorkerRunner runner = [this, &ran](const std::function<void()>& work) {
    SetTimer(hwnd(), kCancelTimer, kCancelPollMs, nullptr);
    ran = RunComparison(work);
    KillTimer(hwnd(), kCancelTimer);
    // A Cancel in the last moments, before the timer saw it, still counts.
    if (cancelFlag().load() != 0) comparison_.cancel.store(1);
  };
  CompareResult result = RunFolderCompare(comparison_, settings, fs, runner);
  // Without a worker nothing was scanned: the system is out of resources.
  if (!ran) result = CompareResult{CompareCode::OutOfMemory, 0};
  if (!hwnd()) return;
  ReportResult(result);
}

void FolderWindow::ReportResult(const CompareResult& result) {
  result_ = result;
  HWND owner = hwnd();
  UINT message = 0;
  bool withReason = false;
  switch (static_cast<uint32_t>(result.code)) {
    case 0:
      for (HistoryCombo& bar : bar_) bar.AddToHistory();
      if (quickBar_) {
        quickBar_->AddRecentComparison(comparison_.oldRoot, comparison_.newRoot);
      } else {
        Settings.RecentFolderHistory.Add(
            RecentComparison{comparison_.oldRoot, comparison_.newRoot});
      }
      break;
    case 1: message = IDS_OUT_OF_MEMORY; owner = nullptr; break;
    case 2: message = IDS_ABORTED; break;
    case 9: message = IDS_OLD_FOLDER_INVALID; break;
    case 10: message = IDS_NEW_FOLDER_INVALID; break;
    case 11: message = IDS_OLD_NOT_FOLDER; break;
    case 12: message = IDS_NEW_NOT_FOLDER; break;
    case 13: message = IDS_OLD_FOLDER_UNREADABLE; withReason = true; break;
    case 14: message = IDS_NEW_FOLDER_UNREADABLE; withReason = true; break;
    default: message = IDS_OUT_OF_MEMORY; owner = nullptr; break;
  }
  if (result.code != CompareCode::Ok) {
    // Whatever a failed scan left in the lists means nothing.
    ClearResultLists(comparison_);
    comparison_.oldRoot.clear();
    comparison_.newRoot.clear();
    comparison_.modified[0] = comparison_.modified[1] = false;
  } else {
    for (auto& list : lists_) {
      if (list) list->Refill();
    }
    counted_ = true;
  }
  // A window closed while it compared goes without a word on the outcome.
  if (closing()) message = 0;
  if (withReason && message) {
    const std::string reason = SystemMessage(result.detail);
    ShowMessage(owner, message, MB_OK | MB_ICONERROR,
                {reinterpret_cast<DWORD_PTR>(reason.c_str())});
  } else if (message) {
    ShowMessage(owner, message, MB_OK | MB_ICONERROR);
  }

  RefreshTabCaptions();
  UpdateCommandStates();
  RefreshTitle();
  Layout();
  ShowCurrentTab(result.code == CompareCode::Ok && !closing());
  // A bar that had the focus scrolled to its start; show both names' ends.
  for (HistoryCombo& bar : bar_) bar.ShowEnd(false);

  const auto empty = [this](FolderListKind kind) { return comparison_.List(kind).empty(); };
  if (Settings.IdenticalMessage && result.code == CompareCode::Ok && !closing() &&
      empty(FolderListKind::OldList) && empty(FolderListKind::NewList) &&
      empty(FolderListKind::ChangedList)) {
    ShowMessage(hwnd(), IDS_FOLDERS_IDENTICAL, MB_OK | MB_ICONINFORMATION);
    if (Settings.CommandLineCompare) PostMessageA(hwnd(), WM_CLOSE, 0, 0);
  }
  Settings.CommandLineCompare = false;
}

// ---- Switch Sides, Compare Parents, Go Up, Choose Folder ----

void FolderWindow::SwitchSides() {
  if (busy() || operating_) return;
  for (auto& list : lists_) {
    if (list) list->Clear();
  }
  SwitchComparisonSides(comparison_);
  for (auto& list : lists_) {
    if (list) list->Refill();
  }
  const std::string oldText = bar_[0].Text(), newText = bar_[1].Text();
  bar_[0].SetText(newText);
  bar_[1].SetText(oldText);
  RefreshTitle();
  RefreshTabCaptions();
  Layout();
}

void FolderWindow::CompareParents() {
  OpenFolderComparison(this, ParentFolder(SideFolder(0)), ParentFolder(SideFolder(1)), false);
}

void FolderWindow::GoUp(int side) {
  // No refresh: the title goes on naming the last comparison's root.
  bar_[side].SetText(ParentFolder(bar_[side].Text()));
  if (!comparison_.oldRoot.empty() || !comparison_.newRoot.empty()) return;
  RefreshTitle();
}

void FolderWindow::ChooseFolder(int side) {
  const std::string title =
      LoadResString(side == 0 ? IDS_CHOOSE_OLD_FOLDER : IDS_CHOOSE_NEW_FOLDER);
  const std::wstring wideTitle = WideFromUtf8(title);
  const std::wstring initial = WideFromUtf8(bar_[side].Text());
  BROWSEINFOW info{};
  info.hwndOwner = hwnd();
  info.lpszTitle = wideTitle.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_EDITBOX | BIF_NEWDIALOGSTYLE;
  info.lpfn = &BrowseCallback;
  info.lParam = reinterpret_cast<LPARAM>(initial.c_str());
  PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&info);
  if (!chosen) return;
  wchar_t path[MAX_PATH] = L"";
  const bool named = SHGetPathFromIDListW(chosen, path) != FALSE;
  CoTaskMemFree(chosen);
  if (!named || !path[0]) return;
  bar_[side].SetText(Utf8FromWide(path, wcslen(path)));
  RefreshTitle();
  ChooseSide(side);
}

// ---- Folder bars and lists ----

LRESULT FolderWindow::OnBarCommand(HWND, UINT, WPARAM wParam, LPARAM) {
  const int side = LOWORD(wParam) == IDC_LEFT_NAME ? 0 : 1;
  bar_[side].OnParentCommand(wParam);
  switch (HIWORD(wParam)) {
    case CBN_SELCHANGE:
    case CBN_EDITCHANGE:
      RefreshTitle();
      SaveBarText(side);
      break;
    case HistoryCombo::kEnter:
      Refresh();
      break;
    case HistoryCombo::kPicked:
    case HistoryCombo::kDropped:
      SaveBarText(side);
      RefreshTitle();
      ChooseSide(side);
      break;
    default:
      break;
  }
  return 0;
}

LRESULT FolderWindow::OnListCommand(HWND, UINT, WPARAM wParam, LPARAM) {
  FolderList* list = ListById(LOWORD(wParam));
  if (!list) return 0;
  switch (HIWORD(wParam)) {
    case LBN_SELCHANGE:
      ClearOtherSelections(list);
      break;
    case LBN_DBLCLK:
      list->DoubleClick();
      break;
    default:
      break;
  }
  return 0;
}

void FolderWindow::SelectAll() {
  for (auto& list : lists_) {
    if (!list || !list->HasFocus()) continue;
    list->SelectAll();
    ClearOtherSelections(list.get());
    return;
  }
}

void FolderWindow::ClearOtherSelections(const FolderList* except) {
  for (auto& list : lists_) {
    if (list && list.get() != except) list->ClearSelection();
  }
}

void FolderWindow::EntriesChanged(FolderList* list, bool marksChanged) {
  RefreshTitle();
  RefreshTabCaptions();
  if (marksChanged) {
    Layout();
  } else if (list) {
    InvalidateRect(list->hwnd(), nullptr, FALSE);
  }
}

bool FolderWindow::RunOperation(FolderOperation op, FolderListKind kind, size_t index) {
  // Only the entries of the comparison the lists show can be acted on: a
  // window whose last comparison failed has no roots to work in.
  if (busy() || comparison_.oldRoot.empty() || comparison_.newRoot.empty()) return false;
  if (index >= comparison_.List(kind).size()) return false;
  if (operating_) return false;
  if (!fileOps_) fileOps_ = NewShellFileOperations(hwnd());
  if (!fileOps_) return false;
  // The shell's progress and error windows run message loops of their own:
  // until the operation returns, nothing may refresh, swap or close the
  // entries it works on (the command states and AskToSave ask this flag).
  operating_ = true;
  const bool done =
      RunEntryOperation(comparison_, kind, index, op, Settings.FolderUndo, *fileOps_);
  operating_ = false;
  UpdateCommandStates();
  return done;
}

bool FolderWindow::CompareSubfolders() const { return Settings.CompareSubfolders; }

// ---- Command states ----

CommandContext FolderWindow::CommandSnapshot() const {
  CommandContext c = ComparisonWindow::CommandSnapshot();
  c.busy = c.busy || operating_;
  c.folderWindow = true;
  c.canUndo = Settings.FolderUndo;
  return c;
}

void FolderWindow::UpdateCommandStates() {
  if (!toolBar_) return;
  const CommandContext context = CommandSnapshot();
  for (UINT id : kFolderToolBarCommands) {
    if (id) EnableToolButton(toolBar_, id, EvaluateCommand(id, context).enabled);
  }
}

// ---- Keys ----

bool FolderWindow::PreTranslateMessage(MSG* msg) {
  if (toolTip_) SendMessageA(toolTip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(msg));
  if (msg->message != WM_KEYDOWN) return false;
  const bool ctrl = GetKeyState(VK_CONTROL) < 0;
  // Ctrl+A, Ctrl+Z and Backspace in a folder bar edit its text; as
  // accelerators they would act on the list the user is not looking at.
  for (HistoryCombo& bar : bar_) {
    if (!bar.Owns(msg->hwnd)) continue;
    if (msg->wParam == VK_BACK || msg->wParam == VK_DELETE ||
        (ctrl && (msg->wParam == 'A' || msg->wParam == 'Z'))) {
      TranslateMessage(msg);
      DispatchMessageW(msg);
      return true;
    }
  }
  switch (msg->wParam) {
    case VK_ESCAPE:
      if (Settings.EscQuitsApp && !bar_[0].IsDropped() && !bar_[1].IsDropped()) {
        SendMessageA(hwnd(), WM_COMMAND, ID_FILE_EXIT, 0);
        return true;
      }
      return false;
    case VK_RETURN: {
      // Enter in a bar whose list is closed compares (notification 200),
      // taken here before an accelerator or the list can act on it.
      for (int side = 0; side < 2; ++side) {
        if (!bar_[side].Owns(msg->hwnd) || bar_[side].IsDropped()) continue;
        PostMessageA(hwnd(), WM_COMMAND, MAKEWPARAM(bar_[side].id(), HistoryCombo::kEnter),
                     reinterpret_cast<LPARAM>(bar_[side].hwnd()));
        return true;
      }
      return false;
    }
    case VK_TAB: {
      HWND focus = msg->hwnd;
      if (SendMessageA(focus, WM_GETDLGCODE, VK_TAB, reinterpret_cast<LPARAM>(msg)) &
          DLGC_WANTTAB) {
        return true;
      }
      for (HistoryCombo& bar : bar_) {
        if (bar.Owns(focus)) focus = bar.hwnd();
      }
      if (HWND next = GetNextDlgTabItem(hwnd(), focus, GetKeyState(VK_SHIFT) < 0)) SetFocus(next);
      return true;
    }
    default:
      return false;
  }
}

// ---- Dropped items ----

LRESULT FolderWindow::OnDropFiles(HWND, UINT, WPARAM wParam, LPARAM) {
  HDROP drop = reinterpret_cast<HDROP>(wParam);
  std::vector<std::string> paths;
  const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count && i < 3; ++i) {
    char path[kMaxPathBytes] = "";
    DragQueryFileA(drop, i, path, kMaxPathBytes);
    paths.push_back(path);
  }
  DragFinish(drop);
  if (count == 2) DropPaths(paths);
  return 0;
}

void FolderWindow::DropPaths(const std::vector<std::string>& paths) {
  if (paths.size() != 2) return;
  const std::string first = ResolveShortcut(paths[0]);
  const std::string second = ResolveShortcut(paths[1]);
  if (IsFolder(first) && IsFolder(second)) {
    OpenFolderComparison(this, first, second, false);
  } else if (IsFile(first) && IsFile(second)) {
    OpenTextComparison(nullptr, first, second, false);
  }
}

}  // namespace qm
