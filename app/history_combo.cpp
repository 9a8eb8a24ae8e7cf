#include "app/history_combo.h"

#include <shellapi.h>

#include <algorithm>
#include <vector>

#include "app/history_list.h"
#include "app/settings.h"
#include "controls/code_page.h"
#include "controls/module_instance.h"
#include "engine/platform.h"

namespace qm {

namespace {

constexpr int kListHeight = 140;  // the closed box plus its list

// Set when a history box opens its list, cleared when the selection ends:
// only one list can be open at a time, so one flag serves every box.
bool listOpen = false;

HWND FindEditField(HWND combo) {
  for (HWND child = GetWindow(combo, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    char name[16] = "";
    GetClassNameA(child, name, sizeof name);
    if (lstrcmpiA(name, "edit") == 0) return child;
  }
  return nullptr;
}

// Puts proc in front of window's procedure with self in its user data.
// Returns the previous procedure, or null when nothing was changed.
WNDPROC Hook(HWND window, WNDPROC proc, HistoryCombo* self) {
  SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  auto previous = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc)));
  if (!previous) SetWindowLongPtrA(window, GWLP_USERDATA, 0);
  return previous;
}

// A message that reaches a procedure of the wrapper after it let go of the
// window (through a procedure saved before) goes to the window's own.
LRESULT Unbound(WNDPROC ours, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto current = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(hwnd, GWLP_WNDPROC));
  if (current == ours) return DefWindowProcA(hwnd, msg, wParam, lParam);
  return CallWindowProcA(current, hwnd, msg, wParam, lParam);
}

void Unhook(HWND window, WNDPROC previous) {
  if (!previous) return;
  SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
  SetWindowLongPtrA(window, GWLP_USERDATA, 0);
}

std::string EntryText(HWND combo, LRESULT index) {
  const LRESULT length = SendMessageA(combo, CB_GETLBTEXTLEN, index, 0);
  if (length == CB_ERR) return std::string();
  std::vector<char> text(static_cast<size_t>(length) + 1);
  SendMessageA(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
  return text.data();
}

}  // namespace

HistoryCombo::~HistoryCombo() {
  // The wrapper may go before its window (a window object's members die
  // before the window): the window must not call into it afterwards.
  Unsubclass();
}

bool HistoryCombo::Create(HWND parent, UINT id, HistoryList* history, const char* registryName,
                          unsigned flags) {
  parent_ = parent;
  id_ = id;
  flags_ = flags;
  registryName_ = registryName ? registryName : "";
  const DWORD kind = (flags & kListOnly) ? CBS_DROPDOWNLIST : CBS_DROPDOWN;
  combo_ = CreateWindowExA(WS_EX_ACCEPTFILES, "combobox", "",
                           WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | CBS_AUTOHSCROLL |
                               CBS_HASSTRINGS | kind,
                           0, 0, 100, kListHeight, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ModuleInstance(),
                           nullptr);
  if (!combo_ || !Subclass()) return false;
  SetFlags(flags);
  AttachHistory(history);
  return true;
}

bool HistoryCombo::Attach(HWND dialog, UINT id, HistoryList* history, unsigned flags) {
  HWND control = GetDlgItem(dialog, static_cast<int>(id));
  if (!control || combo_ || GetWindowLongPtrA(control, GWLP_USERDATA) != 0) return false;
  parent_ = dialog;
  id_ = id;
  flags_ = flags;
  combo_ = control;
  if (!Subclass()) return false;
  SetFlags(flags);
  AttachHistory(history);
  return true;
}

bool HistoryCombo::Subclass() {
  comboPrevious_ = Hook(combo_, &ComboProc, this);
  if (!comboPrevious_) {
    combo_ = nullptr;
    return false;
  }
  SendMessageA(combo_, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
               FALSE);
  if (flags_ & kListOnly) return true;
  // Each field keeps its own previous procedure: boxes made under another
  // activation context have edit fields of another class.
  edit_ = FindEditField(combo_);
  if (edit_) editPrevious_ = Hook(edit_, &EditProc, this);
  if (!editPrevious_) edit_ = nullptr;
  return true;
}

void HistoryCombo::Unsubclass() {
  if (edit_) Unhook(edit_, editPrevious_);
  if (combo_) Unhook(combo_, comboPrevious_);
  // The histories outlive every window: never leave them a box to refresh.
  if (history_ && combo_) history_->DetachCombo(combo_);
  history_ = nullptr;
  edit_ = combo_ = nullptr;
  editPrevious_ = comboPrevious_ = nullptr;
}

void HistoryCombo::SetFlags(unsigned flags) {
  flags_ = flags;
  if (combo_) DragAcceptFiles(combo_, (flags & (kAcceptFile | kAcceptFolder)) != 0);
}

void HistoryCombo::AttachHistory(HistoryList* history) {
  if (history_ && combo_) history_->DetachCombo(combo_);
  history_ = history;
  if (history_ && combo_) history_->AttachCombo(combo_);
}

void HistoryCombo::Notify(WORD code) const {
  PostMessageA(parent_, WM_COMMAND, MAKEWPARAM(id_, code), reinterpret_cast<LPARAM>(combo_));
}

LRESULT CALLBACK HistoryCombo::ComboProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<HistoryCombo*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (!self) return Unbound(&ComboProc, hwnd, msg, wParam, lParam);
  const WNDPROC previous = self->comboPrevious_;
  switch (msg) {
    case WM_KEYDOWN:
      // A drop-down list has the focus itself: Enter comes here.
      if (wParam == VK_RETURN && (self->flags_ & kListOnly) && !self->IsDropped()) {
        self->Notify(kEnter);
        return 0;
      }
      break;
    case WM_DROPFILES:
      self->OnDropFiles(reinterpret_cast<HDROP>(wParam));
      return 0;
    case WM_NCDESTROY:
      self->Unsubclass();
      break;
    default:
      break;
  }
  return CallWindowProcA(previous, hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK HistoryCombo::EditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<HistoryCombo*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (!self) return Unbound(&EditProc, hwnd, msg, wParam, lParam);
  const WNDPROC previous = self->editPrevious_;
  switch (msg) {
    case WM_KEYDOWN:
      self->deleting_ = wParam == VK_DELETE || wParam == VK_BACK;
      if (wParam == VK_RETURN || wParam == VK_ESCAPE) {
        if (self->IsDropped()) {
          // The open list ends here, as its combo box ends it for the
          // keyboard (not every edit field hands these keys on).
          return CallWindowProcA(self->comboPrevious_, self->combo_, msg, wParam, lParam);
        }
        if (wParam == VK_RETURN) {
          self->Notify(kEnter);
          return 0;
        }
      }
      break;
    case WM_CHAR:
      // The Enter that went out as kEnter is not text (the field would beep).
      if (wParam == '\r' || wParam == '\n') return 0;
      if (wParam == 0x18) self->deleting_ = true;  // Ctrl+X cuts without WM_CUT on some systems
      break;
    case WM_CUT:
    case WM_CLEAR:
      self->deleting_ = true;
      break;
    case WM_NCDESTROY:
      Unhook(hwnd, previous);
      self->edit_ = nullptr;
      self->editPrevious_ = nullptr;
      return CallWindowProcA(previous, hwnd, msg, wParam, lParam);
    default:
      break;
  }
  // Only what the user does in the field completes; a text set by the
  // program (a picked pair, a refreshed list) stays as it was set.
  switch (msg) {
    case WM_CHAR:
    case WM_IME_CHAR:
    case WM_PASTE:
    case WM_UNDO: {
      self->typing_ = true;
      const LRESULT result = CallWindowProcA(previous, hwnd, msg, wParam, lParam);
      self->typing_ = false;
      return result;
    }
    default:
      return CallWindowProcA(previous, hwnd, msg, wParam, lParam);
  }
}

std::string HistoryCombo::Text() const {
  char text[kMaxPathBytes] = "";
  if (combo_) GetWindowTextA(combo_, text, sizeof text);
  return text;
}

void HistoryCombo::SetText(const std::string& text) {
  if (!combo_) return;
  SetWindowTextA(combo_, text.c_str());
  ShowEnd(true);
  SaveText();
}

void HistoryCombo::LoadText(const std::string& fallback) {
  std::string text;
  if (!registryName_.empty()) ReadFieldText(registryName_.c_str(), &text);
  SetWindowTextA(combo_, text.empty() ? fallback.c_str() : text.c_str());
  ShowEnd(true);
}

void HistoryCombo::SaveText() const {
  if (!registryName_.empty()) WriteFieldText(registryName_.c_str(), Text());
}

void HistoryCombo::AddToHistory() {
  const std::string text = Text();
  if (history_ && !text.empty()) history_->Add(text);
}

void HistoryCombo::SelectFirst() {
  if (flags_ & kListOnly) {
    Select(0);
  } else {
    SetText(history_ ? history_->FirstText() : std::string());
  }
}

bool HistoryCombo::Select(int index) {
  if (!combo_) return false;
  if (index < 0) {
    SendMessageA(combo_, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    return true;
  }
  return SendMessageA(combo_, CB_SETCURSEL, static_cast<WPARAM>(index), 0) != CB_ERR;
}

int HistoryCombo::Selection() const {
  if (!combo_) return -1;
  const LRESULT index = SendMessageA(combo_, CB_GETCURSEL, 0, 0);
  return index == CB_ERR ? -1 : static_cast<int>(index);
}

bool HistoryCombo::IsDropped() const {
  return combo_ && SendMessageA(combo_, CB_GETDROPPEDSTATE, 0, 0) != 0;
}

bool HistoryCombo::AnyListOpen() { return listOpen; }

bool HistoryCombo::Owns(HWND window) const {
  return combo_ && window && (window == combo_ || GetParent(window) == combo_);
}

void HistoryCombo::Move(int x, int y, int width) {
  if (!combo_) return;
  // Moving a combo box selects its text: keep the user's selection.
  const DWORD selection = static_cast<DWORD>(SendMessageA(combo_, CB_GETEDITSEL, 0, 0));
  MoveWindow(combo_, x, y, std::max(width, 0), kListHeight, TRUE);
  if (!edit_) return;
  SendMessageA(combo_, CB_SETEDITSEL, 0, selection);
  ShowEnd(false);
}

void HistoryCombo::ShowEnd(bool newText) {
  // A path that fits its box shows whole; a longer one shows its end, the
  // file name, rather than the drive. The edit field keeps its scroll
  // position through a resize, so it is scrolled back to the start first:
  // only a caret beyond the right edge scrolls it again. The caret goes to
  // the end, but in a box with the focus the user's selection stays.
  HWND edit = edit_ ? edit_ : (combo_ && !(flags_ & kListOnly) ? FindEditField(combo_) : nullptr);
  if (!edit) return;
  DWORD start = 0;
  DWORD end = 0;
  SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  SendMessageA(edit, EM_SETSEL, 0, 0);
  SendMessageA(edit, EM_SCROLLCARET, 0, 0);
  if (newText || GetFocus() != edit) start = end = static_cast<DWORD>(GetWindowTextLengthA(edit));
  SendMessageA(edit, EM_SETSEL, start, end);
  SendMessageA(edit, EM_SCROLLCARET, 0, 0);
}

bool HistoryCombo::TakeDroppedFile(const std::string& dropped) {
  if (!combo_ || dropped.empty()) return false;
  // A shortcut stands for its target; one that cannot be resolved is taken
  // for what it is.
  const std::string path = ResolveShortcut(dropped);
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  const bool folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  if (!(flags_ & (folder ? kAcceptFolder : kAcceptFile))) return false;
  SetWindowTextA(combo_, path.c_str());
  // Taking the focus selects the whole text: the caret goes to the end after.
  SetFocus(combo_);
  ShowEnd(true);
  Notify(kDropped);
  return true;
}

void HistoryCombo::OnDropFiles(HDROP drop) {
  char path[kMaxPathBytes] = "";
  const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
  if (count > 0) DragQueryFileA(drop, 0, path, sizeof path);
  DragFinish(drop);
  // Only the first item counts; anything not taken is ignored silently.
  if (path[0]) TakeDroppedFile(path);
}

void HistoryCombo::OnParentCommand(WPARAM wParam) {
  if (LOWORD(wParam) != id_ || !combo_) return;
  switch (HIWORD(wParam)) {
    case CBN_SELCHANGE: {
      // The combo box itself fills the edit field only after the
      // notification: the parent reads the new text now.
      if (flags_ & kListOnly) break;
      const LRESULT index = SendMessageA(combo_, CB_GETCURSEL, 0, 0);
      if (index != CB_ERR) SetWindowTextA(combo_, EntryText(combo_, index).c_str());
      break;
    }
    case CBN_EDITUPDATE:
      Complete();
      break;
    case CBN_DROPDOWN:
      listOpen = true;
      SizeList();
      break;
    case CBN_SELENDOK:
      // Also sent when the arrow keys move through a closed list: only a
      // choice made in the open list counts.
      if (listOpen) {
        listOpen = false;
        if (IsDropped()) Notify(kPicked);
      }
      break;
    case CBN_SELENDCANCEL:
      listOpen = false;
      break;
    default:
      break;
  }
}

void HistoryCombo::Complete() {
  if (!history_ || !edit_ || deleting_ || !typing_) return;
  const std::string text = Text();
  const int index = history_->FindCompletion(text);
  if (index == HistoryList::kNone) return;
  // Positions in characters, whatever the code page.
  const DWORD typed = static_cast<DWORD>(GetWindowTextLengthW(edit_));
  DWORD start = 0;
  DWORD end = 0;
  SendMessageW(edit_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  // Selecting the entry replaces the edit text by the whole entry.
  if (SendMessageA(combo_, CB_SETCURSEL, static_cast<WPARAM>(index), 0) == CB_ERR) return;
  if (start == end && end == typed) {
    SendMessageW(edit_, EM_SETSEL, typed, -1);  // the completed tail
  } else {
    SendMessageW(edit_, EM_SETSEL, start, end);  // the user was editing inside
  }
}

void HistoryCombo::SizeList() {
  const LRESULT count = SendMessageA(combo_, CB_GETCOUNT, 0, 0);
  if (count == CB_ERR) return;
  int widest = 0;
  HDC dc = GetDC(combo_);
  HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageA(combo_, WM_GETFONT, 0, 0));
  HGDIOBJ previous = SelectObject(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
  for (LRESULT i = 0; i < count; ++i) {
    const std::string text = EntryText(combo_, i);
    SIZE size{};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    widest = std::max(widest, static_cast<int>(size.cx));
  }
  SelectObject(dc, previous);
  ReleaseDC(combo_, dc);

  RECT box;
  GetWindowRect(combo_, &box);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (GetMonitorInfoA(MonitorFromWindow(combo_, MONITOR_DEFAULTTONEAREST), &monitor)) {
    screen = monitor.rcMonitor;
  }
  const int itemHeight = static_cast<int>(SendMessageA(combo_, CB_GETITEMHEIGHT, 0, 0));
  const int boxHeight = box.bottom - box.top;
  const int needed = static_cast<int>(std::max<LRESULT>(count, 1)) * std::max(itemHeight, 1) +
                     boxHeight + 2 * GetSystemMetrics(SM_CYBORDER);
  const int room = std::max(screen.bottom - box.bottom, box.top - screen.top);
  int width = widest + 4 * GetSystemMetrics(SM_CXEDGE);
  if (needed > room) width += GetSystemMetrics(SM_CXVSCROLL);
  width = std::min(width, static_cast<int>(screen.right - box.left));
  SendMessageA(combo_, CB_SETDROPPEDWIDTH, static_cast<WPARAM>(std::max(width, 0)), 0);
  SetWindowPos(combo_, nullptr, 0, 0, box.right - box.left, needed,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace qm
