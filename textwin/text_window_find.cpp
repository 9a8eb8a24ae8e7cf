// TextWindow: Find (the system's modeless find dialog), Find Next and Find
// Previous on the active side of the pane.
//
// One find dialog exists in the process, whichever text window opened it:
// Settings.FindDialog is its handle, and its notifications go to the window
// that opened it. The search text and options live in Settings, shared by
// every text window.
#include <windows.h>
#include <commdlg.h>
#include <dlgs.h>

#include <algorithm>
#include <cstring>

#include "app/registered_messages.h"
#include "app/settings.h"
#include "controls/code_page.h"
#include "controls/message_box.h"
#include "engine/encoding.h"
#include "resources/resource.h"
#include "textwin/find_text.h"
#include "textwin/text_window.h"

namespace qm {

namespace {

// The structure and buffer the dialog works on must outlive the call that
// opens it, and may outlive the window that opened it by a few messages:
// they live as long as the process.
struct FindDialogData {
  FINDREPLACEA request{};
  char buffer[SettingsRecord::kMaxFindText + 1] = {};
};

FindDialogData& DialogData() {
  static FindDialogData data;
  return data;
}

// The open find dialog, or null. A dialog dies with the window that owns
// it without telling anyone: a handle that is no window any more is
// forgotten.
HWND OpenDialog() {
  if (Settings.FindDialog && !IsWindow(Settings.FindDialog)) Settings.FindDialog = nullptr;
  return Settings.FindDialog;
}

SideText SideOf(const CompareDocument& document, int side) {
  const bool utf8 = HoldsUtf8(document.State().side[side].encoding);
  return SideText{&document.Doc(side), side, utf8, utf8 ? nullptr : LegacyCharTable()};
}

}  // namespace

void TextWindow::RegisterFind() {
  HandlerMaps& m = maps();
  m.OnCommand(ID_EDIT_FIND, [this](HWND, UINT, WPARAM, LPARAM) -> LRESULT {
    OpenFindDialog();
    return 0;
  });
  m.OnCommand(ID_EDIT_FIND_NEXT, [this](HWND, UINT, WPARAM, LPARAM) -> LRESULT {
    TakeSelectionAsSearchText();
    FindAgain(true);
    return 0;
  });
  m.OnCommand(ID_EDIT_FIND_PREV, [this](HWND, UINT, WPARAM, LPARAM) -> LRESULT {
    TakeSelectionAsSearchText();
    FindAgain(false);
    return 0;
  });
  m.OnMessage(FindReplaceMessage, Bind(this, &TextWindow::OnFindReplace));
}

void TextWindow::TakeSelectionAsSearchText() {
  if (!Settings.SearchSelected || !pane_->HasSelection()) return;
  const int side = pane_->ActiveSide();
  const uint32_t caret = pane_->CaretOffset(side);
  const uint32_t anchor = pane_->AnchorOffset();
  std::string text = SearchTextOf(SideOf(document_, side), std::min(caret, anchor),
                                  std::max(caret, anchor), Settings.kMaxFindText);
  if (!text.empty()) Settings.FindText = std::move(text);
}

void TextWindow::OpenFindDialog() {
  TakeSelectionAsSearchText();
  if (HWND open = OpenDialog()) {
    // Another window's dialog, or this one's: it keeps its owner.
    if (Settings.SearchSelected && pane_->HasSelection())
      SetDlgItemTextA(open, edt1, Settings.FindText.c_str());
    SetActiveWindow(open);
    SetFocus(GetDlgItem(open, edt1));
    return;
  }
  FindDialogData& data = DialogData();
  data.request = FINDREPLACEA{};
  data.request.lStructSize = sizeof data.request;
  data.request.hwndOwner = hwnd();
  data.request.Flags = (Settings.FindMatchCase ? FR_MATCHCASE : 0) |
                       (Settings.FindWholeWord ? FR_WHOLEWORD : 0) |
                       (Settings.FindDownwards ? FR_DOWN : 0);
  const size_t length = std::min(Settings.FindText.size(), Settings.kMaxFindText);
  std::memcpy(data.buffer, Settings.FindText.data(), length);
  data.buffer[length] = '\0';
  data.request.lpstrFindWhat = data.buffer;
  data.request.wFindWhatLen = sizeof data.buffer;
  Settings.FindDialog = FindTextA(&data.request);
}

LRESULT TextWindow::OnFindReplace(HWND, UINT, WPARAM, LPARAM lParam) {
  const auto* request = reinterpret_cast<const FINDREPLACEA*>(lParam);
  if (!request) return 0;
  if (request->Flags & FR_DIALOGTERM) {
    Settings.FindDialog = nullptr;
    return 0;
  }
  if (!(request->Flags & FR_FINDNEXT)) return 0;
  const char* text = request->lpstrFindWhat;
  Settings.FindText.assign(text, strnlen(text, std::min<size_t>(request->wFindWhatLen,
                                                                Settings.kMaxFindText)));
  Settings.FindMatchCase = (request->Flags & FR_MATCHCASE) != 0;
  Settings.FindWholeWord = (request->Flags & FR_WHOLEWORD) != 0;
  Settings.FindDownwards = (request->Flags & FR_DOWN) != 0;
  // Closing the dialog reports FR_DIALOGTERM on the same structure, which
  // forgets the handle.
  if (HWND open = OpenDialog()) SendMessageA(open, WM_CLOSE, 0, 0);
  Settings.FindDialog = nullptr;
  // The dialog is not disabled while this window compares: its request
  // waits in Settings for the next Find Next.
  if (!CommandStateOf(ID_EDIT_FIND_NEXT).enabled) return 0;
  FindAgain(Settings.FindDownwards);
  return 0;
}

void TextWindow::FindAgain(bool forwards) {
  if (Settings.FindText.empty()) return;
  const int side = pane_->ActiveSide();
  const uint32_t caret = pane_->CaretOffset(side);
  const uint32_t anchor = pane_->AnchorOffset();
  FindQuery query;
  query.text = Settings.FindText;
  query.matchCase = Settings.FindMatchCase;
  query.wholeWord = Settings.FindWholeWord;
  query.forwards = forwards;
  const uint32_t from = forwards ? std::max(caret, anchor) : std::min(caret, anchor);
  const FindMatch match =
      FindInSide(pane_->List(), SideOf(document_, side), pane_->CaretRow(), from, query);
  if (!match.Found()) {
    ShowMessage(hwnd(), IDS_NOT_FOUND, MB_OK);
    return;
  }
  SetFocus(pane_->hwnd());
  pane_->SelectInRow(match.row, match.start, match.end);
}

}  // namespace qm
