// TextWindow: the command table, menu and tool-bar states, keyboard
// pre-translation, tooltips, owner-drawn buttons, Export and the shell
// commands.
#include "textwin/text_window.h"

#include <commctrl.h>
#include <shellapi.h>

#include "app/bars.h"
#include "app/settings.h"
#include "app/window_manager.h"
#include "common/paths.h"
#include "controls/masked_bitmap.h"
#include "engine/text_file.h"
#include "output/html_export.h"
#include "output/print_job.h"
#include "output/print_preview.h"
#include "resources/resource.h"
#include "textwin/export_dialog.h"
#include "controls/message_box.h"
#include "controls/res_string.h"

namespace qm {
namespace {

// Keys an edit field uses for its own text.
bool IsTextEditingKey(WPARAM key, bool ctrl) {
  switch (key) {
    case VK_DELETE:
    case VK_BACK:
    case VK_INSERT:
      return true;
    case 'A':
    case 'C':
    case 'V':
    case 'X':
    case 'Z':
    case 'Y':
      return ctrl;
    default:
      return false;
  }
}

}  // namespace

void TextWindow::RegisterCommands() {
  HandlerMaps& m = maps();
  auto command = [&](UINT id, std::function<void()> action) {
    m.OnCommandAction(id, std::move(action));
  };
  command(ID_FILE_COMPARE_PARENTS, [this] {
    OpenFolderComparison(nullptr, ParentFolder(SidePathOf(0)), ParentFolder(SidePathOf(1)), false);
  });
  command(ID_SIDE_SAVE_ALL, [this] {
    if (history_.IsModified(0) && !SaveSide(0)) return;
    if (history_.IsModified(1)) SaveSide(1);
  });
  command(ID_FILE_EXPORT, [this] { Export(); });
  // Printing draws from the document and a copy of the pane's display
  // settings; the pane itself is left alone.
  auto printSource = [this] {
    PrintSource source;
    source.state = &pane_->State();
    source.display = pane_->Display();
    source.splitRatio = pane_->SplitRatio();
    source.leftName = SidePathOf(0);
    source.rightName = SidePathOf(1);
    char title[512] = "";
    GetWindowTextA(hwnd(), title, sizeof title);
    source.title = title;
    return source;
  };
  command(ID_FILE_PRINT, [this, printSource] { PrintComparison(hwnd(), printSource()); });
  command(ID_FILE_PRINT_PREVIEW, [this, printSource] {
    if (ShowPrintPreview(hwnd(), printSource())) PostMessageA(hwnd(), WM_COMMAND, ID_FILE_PRINT, 0);
  });
  command(ID_FILE_PAGE_SETUP, [this] { ShowPageSetup(hwnd()); });
  command(ID_VIEW_SYNC_SCROLL, [] { Settings.SyncScroll = !Settings.SyncScroll; });
  command(ID_VIEW_PREV_DIFF, [this] {
    SetFocus(pane_->hwnd());
    pane_->GoToPreviousDifference();
  });
  command(ID_VIEW_NEXT_DIFF, [this] {
    SetFocus(pane_->hwnd());
    pane_->GoToNextDifference();
  });
  command(ID_VIEW_REFRESH, [this] { Refresh(); });
  command(ID_VIEW_SWITCH_SIDES, [this] { SwitchSides(); });
  command(ID_VIEW_OTHER_SIDE, [this] { pane_->SwitchSide(); });
  command(ID_SIDE_BROWSE, [this] { Browse(pane_->ActiveSide()); });
  command(ID_SIDE_SAVE, [this] { SaveSide(pane_->ActiveSide()); });
  command(ID_SIDE_SAVE_AS, [this] { SaveSideAs(pane_->ActiveSide()); });
  for (UINT id : {ID_SIDE_OPEN_IN_APP, ID_SIDE_EXPLORE, ID_SIDE_PROPERTIES})
    command(id, [this, id] { OpenWithShell(static_cast<int>(id)); });
  for (UINT id : {IDC_BROWSE_LEFT, IDC_BROWSE_RIGHT}) {
    m.OnCommand(id, [this, id](HWND, UINT, WPARAM wParam, LPARAM) -> LRESULT {
      if (HIWORD(wParam) == BN_CLICKED) Browse(id == IDC_BROWSE_LEFT ? 0 : 1);
      return 0;
    });
  }
  m.OnCommand(IDC_LEFT_NAME, Bind(this, &TextWindow::OnNameBoxCommand));
  m.OnCommand(IDC_RIGHT_NAME, Bind(this, &TextWindow::OnNameBoxCommand));
  // Edit and merge commands belong to the pane.
  auto toPane = [this](HWND, UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
    return SendMessageA(pane_->hwnd(), msg, wParam, lParam);
  };
  for (UINT id : {ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, ID_EDIT_DELETE, ID_EDIT_SELECT_ALL})
    m.OnCommand(id, toPane);
  for (UINT id : {ID_MERGE_CLIP_LINE, ID_MERGE_CLIP_BLOCK}) m.OnCommand(id, toPane);
  RegisterMergeCommands(command);
  RegisterFind();
}

void TextWindow::RegisterMergeCommands(const std::function<void(UINT, std::function<void()>)>& command) {
  command(ID_EDIT_UNDO, [this] { pane_->Undo(); });
  command(ID_EDIT_REDO, [this] { pane_->Redo(); });
  // A merge of a whole difference may go on to the next one.
  auto thenNext = [this](bool done) {
    if (done && Settings.JumpToNext && pane_->DiffCount() > 0) pane_->GoToNextDifference();
  };
  command(ID_MERGE_COPY_LEFT, [this, thenNext] { thenNext(pane_->CopyBlock(0, false)); });
  command(ID_MERGE_COPY_RIGHT, [this, thenNext] { thenNext(pane_->CopyBlock(1, false)); });
  command(ID_MERGE_DELETE_DIFF, [this, thenNext] { thenNext(pane_->DeleteBlock(false)); });
  command(ID_MERGE_COPY_LINE_LEFT, [this] { pane_->CopyBlock(0, true); });
  command(ID_MERGE_COPY_LINE_RIGHT, [this] { pane_->CopyBlock(1, true); });
  command(ID_MERGE_DELETE_LINE, [this] { pane_->DeleteBlock(true); });
  for (bool lineOnly : {true, false}) {
    command(lineOnly ? ID_MERGE_COPY_LINE_ANY : ID_MERGE_COPY_BLOCK_ANY, [this, lineOnly] {
      pane_->CopyBlock(pane_->CanCopyTo(0) ? 0 : 1, lineOnly);
    });
  }
  command(ID_EDIT_REPLACE_LEFT, [this] { ReplaceSide(0); });
  command(ID_EDIT_REPLACE_RIGHT, [this] { ReplaceSide(1); });
}

void TextWindow::ReplaceSide(int side) {
  if (ShowMessage(hwnd(), IDS_CONFIRM_REPLACE, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
  // The side is written to its own file at once; a failed write was shown
  // by SaveSide and leaves the side modified, so closing still asks.
  pane_->ReplaceSide(side, [this](int s) -> uint32_t { return SaveSide(s) ? 0 : kErrorCancelled; });
  PaneLayout();
  UpdateTitle();
  UpdateCommandStates();
}

bool TextWindow::PreTranslateMessage(MSG* msg) {
  if (toolTip_ && msg->message >= WM_MOUSEFIRST && msg->message <= WM_MOUSELAST)
    SendMessageA(toolTip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(msg));
  if (msg->message != WM_KEYDOWN) return false;
  auto nameBoxOf = [this](HWND window) -> int {
    for (int side = 0; side < 2; ++side)
      if (name_[side].Owns(window)) return side;
    return -1;
  };
  auto anyDropped = [this] { return name_[0].IsDropped() || name_[1].IsDropped(); };
  const bool ctrl = GetKeyState(VK_CONTROL) < 0;
  // The editing keys of a name box edit its text; as accelerators they
  // would cut, paste, delete or undo in the pane the user is not looking at.
  if (nameBoxOf(msg->hwnd) >= 0 && IsTextEditingKey(msg->wParam, ctrl)) {
    TranslateMessage(msg);
    DispatchMessageW(msg);
    return true;
  }
  switch (msg->wParam) {
    case VK_ESCAPE:
      if (Settings.EscQuitsApp && !anyDropped() && GetCapture() == nullptr) {
        SendMessageA(hwnd(), WM_COMMAND, ID_FILE_EXIT, 0);
        return true;
      }
      return false;
    case VK_RETURN: {
      int side = nameBoxOf(msg->hwnd);
      if (side < 0 || anyDropped()) return false;
      PostMessageA(hwnd(), WM_COMMAND,
                   MAKEWPARAM(name_[side].id(), HistoryCombo::kEnter),
                   reinterpret_cast<LPARAM>(name_[side].hwnd()));
      return true;
    }
    case VK_TAB: {
      // In the pane a plain Tab is text; Ctrl+Tab moves on from there.
      if (pane_ && msg->hwnd == pane_->hwnd() && !ctrl) return false;
      const int box = nameBoxOf(msg->hwnd);
      HWND from = box >= 0 ? name_[box].hwnd() : msg->hwnd;
      HWND next = GetNextDlgTabItem(hwnd(), from, GetKeyState(VK_SHIFT) < 0);
      if (next) SetFocus(next);
      return true;
    }
    default:
      return false;
  }
}

CommandContext TextWindow::CommandSnapshot() const {
  CommandContext c = ComparisonWindow::CommandSnapshot();
  if (!pane_) return c;
  for (int side = 0; side < 2; ++side) {
    c.loaded[side] = document_.IsLoaded(side);
    c.modified[side] = document_.IsModified(side);
    c.readOnly[side] = document_.IsReadOnly(side);
  }
  c.activeSide = pane_->ActiveSide();
  c.hasSelection = pane_->HasSelection();
  c.diffCount = pane_->DiffCount();
  c.canUndo = !busy() && document_.CanUndo();
  c.canRedo = !busy() && document_.CanRedo();
  c.canCopyLeft = pane_->CanCopyTo(0);
  c.canCopyRight = pane_->CanCopyTo(1);
  c.canDelete = pane_->CanDeleteBlock();
  return c;
}

void TextWindow::UpdateCommandStates() {
  if (!toolBar_ || !pane_) return;
  const CommandContext context = CommandSnapshot();
  // Asked after every key: the same state leaves the buttons as they are.
  if (toolContext_ && SameContext(*toolContext_, context)) return;
  toolContext_ = context;
  for (UINT id : kToolBarCommands) {
    if (id) EnableToolButton(toolBar_, id, EvaluateCommand(id, context).enabled);
  }
}

LRESULT TextWindow::OnNotify(HWND, UINT, WPARAM, LPARAM lParam) {
  auto* header = reinterpret_cast<NMHDR*>(lParam);
  if (header->code != TTN_NEEDTEXTA) return 0;
  // Tool-bar buttons are named by command id, the browse buttons by their
  // window; the tip is the text after the string's line feed.
  FillTooltip(reinterpret_cast<NMTTDISPINFOA*>(lParam));
  return 0;
}

LRESULT TextWindow::OnDrawItem(HWND, UINT, WPARAM, LPARAM lParam) {
  auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
  RECT rect = item->rcItem;
  if (item->CtlType == ODT_BUTTON) {
    DrawImageButton(item, Settings.Bitmap(IDB_BROWSE), Settings.Bitmap(IDB_BROWSE_MASK));
    return TRUE;
  }
  if (item->CtlType == ODT_STATIC) {
    FillRect(item->hDC, &rect, GetSysColorBrush(COLOR_BTNFACE));
    bool modifiedMark = item->hwndItem == modifiedMark_[0] || item->hwndItem == modifiedMark_[1];
    int image = modifiedMark ? IDB_MODIFIED : IDB_READONLY;
    DrawMaskedBitmap(item->hDC, rect, Settings.Bitmap(image), Settings.Bitmap(image + 1));
    return TRUE;
  }
  return FALSE;
}

void TextWindow::Export() {
  // The page never replaces a compared file, and replaces any other file
  // only when the user says so; both are asked while the dialog is open.
  auto accept = [this](HWND dialog, const std::string& path) {
    if (document_.IsOpenFile(path, -1)) {
      ShowMessage(dialog, IDS_TARGET_IS_OPEN, MB_OK | MB_ICONWARNING,
                  {reinterpret_cast<DWORD_PTR>(path.c_str())});
      return false;
    }
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return true;
    return ShowMessage(dialog, IDS_CONFIRM_OVERWRITE, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2,
                       {reinterpret_cast<DWORD_PTR>(path.c_str())}) == IDYES;
  };
  if (!ShowExportDialog(hwnd(), accept)) return;
  HtmlExportSettings page;
  page.ExportHow = static_cast<uint32_t>(Settings.ExportHow);
  page.ShowLineNumbers = static_cast<uint32_t>(Settings.ShowLineNumbers);
  page.ShowWhiteSpace = Settings.ShowWhiteSpace;
  page.TabStop = static_cast<uint32_t>(Settings.TabStop);
  page.DrawArrows = Settings.DrawArrows;
  page.SameBkColor = Settings.SameBkColor;
  page.EmptyBkColor = Settings.EmptyBkColor;
  page.LeftBkColor = Settings.LeftBkColor;
  page.RightBkColor = Settings.RightBkColor;
  page.ChangeBkColor = Settings.ChangeBkColor;
  HtmlExportTexts texts;
  texts.summaryFormat = LoadResString(IDS_STATUS_DIFFS);
  texts.noDifferences = LoadResString(IDS_STATUS_NO_DIFFS);
  texts.stampFormat = LoadResString(IDS_DATE_TIME);
  char date[80] = "", time[80] = "";
  if (GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, date, sizeof date))
    texts.date = date;
  if (GetTimeFormatA(LOCALE_USER_DEFAULT, TIME_NOSECONDS, nullptr, nullptr, time, sizeof time))
    texts.time = time;

  uint32_t error = ExportHtml(Settings.ExportResults, pane_->State(), SidePathOf(0),
                              SidePathOf(1), page, texts);
  if (error) {
    std::string reason = SystemMessage(error);
    ShowMessage(hwnd(), IDS_EXPORT_FAILED, MB_OK | MB_ICONERROR,
                {reinterpret_cast<DWORD_PTR>(reason.c_str())});
  }
}

void TextWindow::OpenWithShell(int command) {
  const std::string path = SidePathOf(pane_->ActiveSide());
  if (command != ID_SIDE_EXPLORE && !IsFilePath(path)) {
    ShowMessage(hwnd(), IDS_FILE_NAME_INVALID, MB_OK | MB_ICONERROR);
    return;
  }
  DWORD error = 0;
  if (command == ID_SIDE_PROPERTIES) {
    SHELLEXECUTEINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_INVOKEIDLIST | SEE_MASK_FLAG_NO_UI;
    info.hwnd = hwnd();
    info.lpVerb = "properties";
    info.lpFile = path.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExA(&info)) error = GetLastError();
  } else {
    const bool explore = command == ID_SIDE_EXPLORE;
    std::string target = explore ? ParentFolder(path) : path;
    auto result = reinterpret_cast<INT_PTR>(ShellExecuteA(hwnd(), explore ? "explore" : "open",
                                                          target.c_str(), nullptr, nullptr,
                                                          SW_SHOWNORMAL));
    // ShellExecute's own codes up to 32 are the old error numbers, which
    // the system's message table knows for the common ones.
    if (result <= 32) error = result == 0 ? ERROR_OUTOFMEMORY : static_cast<DWORD>(result);
  }
  if (!error) return;
  std::string reason = SystemMessage(error);
  UINT message = command == ID_SIDE_PROPERTIES ? IDS_PROPERTIES_FAILED : IDS_SHELL_OPEN_FAILED;
  ShowMessage(hwnd(), message, MB_OK | MB_ICONERROR, {reinterpret_cast<DWORD_PTR>(reason.c_str())});
}

}  // namespace qm
