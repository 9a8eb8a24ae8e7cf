#include "app/history_combo.h"

#include <algorithm>
#include <vector>

#include "app/history_list.h"
#include "app/settings.h"
#include "controls/code_page.h"
#include "controls/module_instance.h"

namespace qm {

namespace {

constexpr int kListHeight = 140;  // the closed box plus its list

}  // namespace

HistoryCombo::~HistoryCombo() {
  // The histories outlive every window: never leave them a box to refresh.
  if (history_ && combo_) history_->DetachCombo(combo_);
}

bool HistoryCombo::Create(HWND parent, UINT id, HistoryList* history, const char* registryName) {
  parent_ = parent;
  id_ = id;
  registryName_ = registryName ? registryName : "";
  combo_ = CreateWindowExA(0, "combobox", "",
                           WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | CBS_AUTOHSCROLL |
                               CBS_HASSTRINGS | CBS_DROPDOWN,
                           0, 0, 100, kListHeight, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ModuleInstance(),
                           nullptr);
  if (!combo_) return false;
  SendMessageA(combo_, WM_SETFONT,
               reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  history_ = history;
  if (history_) history_->AttachCombo(combo_);
  return true;
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

bool HistoryCombo::IsDropped() const {
  return combo_ && SendMessageA(combo_, CB_GETDROPPEDSTATE, 0, 0) != 0;
}

bool HistoryCombo::Owns(HWND window) const {
  return combo_ && window && (window == combo_ || GetParent(window) == combo_);
}

void HistoryCombo::Move(int x, int y, int width) {
  if (!combo_) return;
  // Moving a combo box selects its text: keep the user's selection.
  const DWORD selection = static_cast<DWORD>(SendMessageA(combo_, CB_GETEDITSEL, 0, 0));
  MoveWindow(combo_, x, y, std::max(width, 0), kListHeight, TRUE);
  SendMessageA(combo_, CB_SETEDITSEL, 0, selection);
  ShowEnd(false);
}

void HistoryCombo::ShowEnd(bool newText) {
  // A path that fits its box shows whole; a longer one shows its end, the
  // file name, rather than the drive. The edit field keeps its scroll
  // position through a resize, so it is scrolled back to the start first:
  // only a caret beyond the right edge scrolls it again. The caret goes to
  // the end, but in a box with the focus the user's selection stays.
  HWND edit = combo_ ? GetWindow(combo_, GW_CHILD) : nullptr;
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

bool HistoryCombo::TakeDroppedFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return false;
  }
  SetWindowTextA(combo_, path.c_str());
  SendMessageA(combo_, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
  SetFocus(combo_);
  PostMessageA(parent_, WM_COMMAND, MAKEWPARAM(id_, kDropped), reinterpret_cast<LPARAM>(combo_));
  return true;
}

void HistoryCombo::OnParentCommand(WPARAM wParam) {
  if (LOWORD(wParam) != id_ || !combo_) return;
  switch (HIWORD(wParam)) {
    case CBN_SELCHANGE: {
      const LRESULT index = SendMessageA(combo_, CB_GETCURSEL, 0, 0);
      if (index == CB_ERR) break;
      std::vector<char> text(SendMessageA(combo_, CB_GETLBTEXTLEN, index, 0) + 1);
      SendMessageA(combo_, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
      SetWindowTextA(combo_, text.data());
      break;
    }
    case CBN_SELENDOK:
      if (IsDropped()) {
        PostMessageA(parent_, WM_COMMAND, MAKEWPARAM(id_, kPicked),
                     reinterpret_cast<LPARAM>(combo_));
      }
      break;
    default:
      break;
  }
}

}  // namespace qm
