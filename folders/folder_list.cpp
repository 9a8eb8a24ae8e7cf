// The list box itself: creation and subclassing, rows, selection, drawing
// and the mouse and keyboard routes to the context menu. The commands and
// the menu live in folder_list_commands.cpp.
#include "folders/folder_list.h"

#include <windowsx.h>

#include <algorithm>

#include "controls/code_page.h"
#include "controls/gdi_owner.h"
#include "controls/masked_bitmap.h"
#include "controls/module_instance.h"
#include "controls/res_string.h"
#include "folders/folder_list_impl.h"
#include "folders/icon_cache.h"
#include "resources/resource.h"

namespace qm {

namespace {

// The word of each difference bit, in bit order (see DifferenceWords).
constexpr UINT kWordIds[10] = {IDS_WORD_HIDDEN, IDS_WORD_WAS_HIDDEN, IDS_WORD_READONLY,
                               IDS_WORD_WAS_READONLY, IDS_WORD_NEWER, IDS_WORD_OLDER,
                               IDS_WORD_LARGER, IDS_WORD_SMALLER, IDS_WORD_CONTENTS,
                               IDS_WORD_UNREADABLE};

constexpr UINT kMarkIds[4][2] = {{IDB_MARK_OPENED, IDB_MARK_OPENED_MASK},
                                 {IDB_MARK_COPIED_TO_OLD, IDB_MARK_COPIED_TO_OLD_MASK},
                                 {IDB_MARK_COPIED_TO_NEW, IDB_MARK_COPIED_TO_NEW_MASK},
                                 {IDB_MARK_DELETED, IDB_MARK_DELETED_MASK}};

// The mark of a state, -1 for Present.
int MarkOf(EntryState state) {
  switch (state) {
    case EntryState::Present: return -1;
    case EntryState::Opened: return 0;
    case EntryState::CopiedToOld: return 1;
    case EntryState::CopiedToNew: return 2;
    case EntryState::DeletedOld:
    case EntryState::DeletedNew:
    case EntryState::DeletedBoth: break;
  }
  return 3;
}

void FillSolid(HDC dc, const RECT& rect, COLORREF color) {
  if (rect.right <= rect.left || rect.bottom <= rect.top) return;
  const COLORREF previous = SetBkColor(dc, color);
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
  SetBkColor(dc, previous);
}

// The row separator: the background with each part at 90%.
COLORREF SeparatorColour(COLORREF background) {
  return RGB(GetRValue(background) * 90 / 100, GetGValue(background) * 90 / 100,
             GetBValue(background) * 90 / 100);
}

}  // namespace

FolderList::FolderList(FolderListHost& host, FolderListKind kind)
    : host_(host), kind_(kind), impl_(new Impl) {
  for (int i = 0; i < 10; ++i) {
    const std::string word = LoadResString(kWordIds[i]);
    if (!word.empty()) impl_->words.words[i] = word;
  }
  for (int i = 0; i < 4; ++i) {
    impl_->marks[i].Reset(LoadBitmapW(ModuleInstance(), MAKEINTRESOURCEW(kMarkIds[i][0])));
    impl_->masks[i].Reset(LoadBitmapW(ModuleInstance(), MAKEINTRESOURCEW(kMarkIds[i][1])));
  }
}

FolderList::~FolderList() {
  if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
  delete impl_;
}

bool FolderList::Create(HWND parent, int id) {
  if (hwnd_) return false;
  const DWORD style = WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY |
                      LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT |
                      LBS_WANTKEYBOARDINPUT | LBS_EXTENDEDSEL;
  HWND hwnd = CreateWindowExW(WS_EX_CLIENTEDGE, L"LISTBOX", L"", style, 0, 0, 100, 100, parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ModuleInstance(),
                              nullptr);
  if (!hwnd) return false;
  // The object lives in the list box's user data, which its own class
  // leaves alone: a window property would cost the subclass a lookup in
  // the system's tables for every message.
  SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  impl_->original = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&FolderList::SubclassProc)));
  if (!impl_->original) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    DestroyWindow(hwnd);
    return false;
  }
  hwnd_ = hwnd;
  SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
  SendMessageW(hwnd_, LB_SETITEMHEIGHT, 0, RowHeight());
  return true;
}

std::vector<FolderEntry>& FolderList::Entries() const { return host_.Comparison().List(kind_); }

void FolderList::Refill() {
  ++impl_->generation;
  if (!hwnd_) return;
  const std::vector<FolderEntry>& entries = Entries();
  SendMessageW(hwnd_, WM_SETREDRAW, FALSE, 0);
  SendMessageW(hwnd_, LB_RESETCONTENT, 0, 0);
  SendMessageW(hwnd_, LB_INITSTORAGE, entries.size(), 0);
  // The rows go straight to the list box's own procedure: the subclass has
  // nothing to add to them, and a list of a hundred thousand entries would
  // otherwise pay the system's message dispatch for each.
  std::wstring name;
  for (const FolderEntry& entry : entries) {
    name = WideFromUtf8(entry.name);
    CallWindowProcW(impl_->original, hwnd_, LB_ADDSTRING, 0,
                    reinterpret_cast<LPARAM>(name.c_str()));
  }
  SendMessageW(hwnd_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void FolderList::Clear() {
  ++impl_->generation;
  if (!hwnd_) return;
  SendMessageW(hwnd_, LB_RESETCONTENT, 0, 0);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void FolderList::SelectAll() {
  if (!hwnd_) return;
  host_.ClearOtherSelections(this);
  if (SendMessageW(hwnd_, LB_GETCOUNT, 0, 0) > 0) SendMessageW(hwnd_, LB_SETSEL, TRUE, -1);
}

void FolderList::ClearSelection() {
  if (hwnd_) SendMessageW(hwnd_, LB_SETSEL, FALSE, -1);
}

bool FolderList::HasFocus() const { return hwnd_ && GetFocus() == hwnd_; }

int FolderList::RowHeight() {
  int height = 0;
  {
    WindowDC screen(nullptr);
    SelectScope font(screen.get(), GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICW metrics{};
    if (GetTextMetricsW(screen.get(), &metrics)) height = metrics.tmHeight;
  }
  return std::max(height, 18);
}

void FolderList::Measure(MEASUREITEMSTRUCT* item) const { item->itemHeight = RowHeight(); }

std::vector<size_t> FolderList::SelectedRows() const {
  std::vector<size_t> rows;
  if (!hwnd_) return rows;
  const LRESULT count = SendMessageW(hwnd_, LB_GETSELCOUNT, 0, 0);
  if (count <= 0) return rows;
  std::vector<int> items(static_cast<size_t>(count));
  const LRESULT got =
      SendMessageW(hwnd_, LB_GETSELITEMS, count, reinterpret_cast<LPARAM>(items.data()));
  for (LRESULT i = 0; i < got; ++i) rows.push_back(static_cast<size_t>(items[i]));
  std::sort(rows.begin(), rows.end());
  return rows;
}

int FolderList::CaretRow() const {
  if (!hwnd_) return -1;
  const LRESULT count = SendMessageW(hwnd_, LB_GETCOUNT, 0, 0);
  const LRESULT caret = SendMessageW(hwnd_, LB_GETCARETINDEX, 0, 0);
  return caret >= 0 && caret < count ? static_cast<int>(caret) : -1;
}

std::vector<size_t> FolderList::CommandRows() const {
  std::vector<size_t> rows = SelectedRows();
  if (rows.empty() && CaretRow() >= 0) rows.push_back(static_cast<size_t>(CaretRow()));
  return rows;
}

std::vector<size_t> FolderList::MenuRows(bool* single) const {
  const std::vector<size_t> selected = SelectedRows();
  const int caret = CaretRow();
  *single = selected.empty() || (selected.size() == 1 && static_cast<int>(selected[0]) == caret);
  if (!*single) return selected;
  if (caret < 0) return {};
  return {static_cast<size_t>(caret)};
}

std::string FolderList::RowDescription(size_t row) const {
  const std::vector<FolderEntry>& entries = Entries();
  if (kind_ != FolderListKind::ChangedList || row >= entries.size() || !entries[row].flags) {
    return {};
  }
  return DifferenceText(entries[row], host_.CompareSubfolders(), impl_->words);
}

void FolderList::Draw(const DRAWITEMSTRUCT* item) {
  HDC dc = item->hDC;
  const RECT& rc = item->rcItem;
  const std::vector<FolderEntry>& entries = Entries();
  const COLORREF window = GetSysColor(COLOR_WINDOW);
  if (item->itemID == static_cast<UINT>(-1) || item->itemID >= entries.size()) {
    // An empty list (the box still draws its focus) or a row that no longer
    // mirrors an entry: background only.
    RECT client{};
    GetClientRect(item->hwndItem, &client);
    FillSolid(dc, item->itemID == static_cast<UINT>(-1) ? client : rc, window);
    if (item->itemState & ODS_FOCUS) DrawFocusRect(dc, &rc);
    return;
  }
  const size_t row = item->itemID;
  const FolderEntry& entry = entries[row];
  const bool selected = (item->itemState & ODS_SELECTED) != 0;
  const COLORREF background = selected ? GetSysColor(COLOR_HIGHLIGHT) : window;
  const COLORREF text = GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT);

  const LRESULT count = SendMessageW(item->hwndItem, LB_GETCOUNT, 0, 0);
  if (count > 0 && row == static_cast<size_t>(count - 1)) {
    RECT client{};
    GetClientRect(item->hwndItem, &client);
    FillSolid(dc, RECT{client.left, rc.bottom, client.right, client.bottom}, window);
  }
  FillSolid(dc, rc, background);
  FillSolid(dc, RECT{rc.left, rc.bottom - 1, rc.right, rc.bottom}, SeparatorColour(background));

  const int mark = MarkOf(entry.state);
  if (mark >= 0) {
    const int y = (rc.top + rc.bottom - 9) / 2;
    DrawMaskedBitmap(dc, RECT{rc.left + 3, y, rc.left + 12, y + 9}, impl_->marks[mark].get(),
                     impl_->masks[mark].get());
  }
  if (entry.icon >= 0) DrawSmallIcon(dc, entry.icon, rc.left + 15, (rc.top + rc.bottom - 16) / 2);

  SelectScope font(dc, GetStockObject(DEFAULT_GUI_FONT));
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  const int textTop = (rc.top + rc.bottom - metrics.tmHeight) / 2;
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  const COLORREF oldColour = SetTextColor(dc, text);
  int nameRight = rc.right - 3;
  const std::wstring words = WideFromUtf8(RowDescription(row));
  if (!words.empty()) {
    SIZE extent{};
    GetTextExtentPoint32W(dc, words.c_str(), static_cast<int>(words.size()), &extent);
    const int x = rc.right - 3 - extent.cx;
    TextOutW(dc, x, textTop, words.c_str(), static_cast<int>(words.size()));
    nameRight = x - 8;
  }
  const std::wstring name = WideFromUtf8(entry.name);
  RECT nameRect{rc.left + 34, textTop, std::max<LONG>(rc.left + 34, nameRight),
                textTop + metrics.tmHeight};
  DrawTextW(dc, name.c_str(), static_cast<int>(name.size()), &nameRect,
            DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS | DT_LEFT | DT_TOP);
  SetTextColor(dc, oldColour);
  SetBkMode(dc, oldMode);
  if (item->itemState & ODS_FOCUS) DrawFocusRect(dc, &rc);
}

LRESULT CALLBACK FolderList::SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<FolderList*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
  if (msg == WM_NCDESTROY) {
    const WNDPROC original = self->impl_->original;
    SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    return CallWindowProcW(original, hwnd, msg, wParam, lParam);
  }
  // Nothing may unwind into the system; an allocation failure ends the
  // command, not the program.
  try {
    return self->OnMessage(msg, wParam, lParam);
  } catch (...) {
    return 0;
  }
}

LRESULT FolderList::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  const WNDPROC original = impl_->original;
  switch (msg) {
    case WM_ERASEBKGND: {
      // Rows and the area below the last one are painted by the owner draw;
      // an empty list has no rows to do it.
      if (SendMessageW(hwnd_, LB_GETCOUNT, 0, 0) <= 0) {
        RECT client{};
        GetClientRect(hwnd_, &client);
        FillSolid(reinterpret_cast<HDC>(wParam), client, GetSysColor(COLOR_WINDOW));
      }
      return 1;
    }
    case WM_COMMAND:
      if (lParam == 0) RunCommand(LOWORD(wParam));
      return 0;
    case WM_CONTEXTMENU:
      ShowContextMenu(lParam);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      host_.ClearOtherSelections(this);
      break;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
      OnRightButton(msg, lParam);
      return 0;
    case WM_MEASUREITEM:
    case WM_DRAWITEM:
    case WM_MENUCHAR: {
      LRESULT result = 0;
      if (OwnerDrawnMenuMessage(msg, wParam, lParam, &result)) return result;
      break;
    }
    default: break;
  }
  return CallWindowProcW(original, hwnd_, msg, wParam, lParam);
}

void FolderList::OnRightButton(UINT msg, LPARAM lParam) {
  const WNDPROC original = impl_->original;
  if (msg == WM_RBUTTONDOWN) {
    SetFocus(hwnd_);
    const LRESULT hit = SendMessageW(hwnd_, LB_ITEMFROMPOINT, 0, lParam);
    const int row = LOWORD(hit);
    const bool onRow = HIWORD(hit) == 0 && row < SendMessageW(hwnd_, LB_GETCOUNT, 0, 0);
    // A press on a row that is not selected selects it as a left press
    // would, so that the menu is for what the user clicked.
    if (onRow && SendMessageW(hwnd_, LB_GETSEL, row, 0) <= 0) {
      host_.ClearOtherSelections(this);
      CallWindowProcW(original, hwnd_, WM_LBUTTONDOWN, MK_LBUTTON, lParam);
      impl_->rightAsLeft = true;
    }
    return;
  }
  if (impl_->rightAsLeft) {
    impl_->rightAsLeft = false;
    CallWindowProcW(original, hwnd_, WM_LBUTTONUP, 0, lParam);
  }
  POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  ClientToScreen(hwnd_, &point);
  SendMessageW(hwnd_, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd_),
               MAKELPARAM(point.x, point.y));
}

void FolderList::ShowContextMenu(LPARAM lParam) {
  if (SendMessageW(hwnd_, LB_GETCOUNT, 0, 0) <= 0) return;
  POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  if (lParam == -1) {
    // The keyboard's menu key: beside the caret row's name.
    RECT row{};
    const int caret = std::max(CaretRow(), 0);
    if (SendMessageW(hwnd_, LB_GETITEMRECT, caret, reinterpret_cast<LPARAM>(&row)) == LB_ERR) {
      return;
    }
    point = POINT{row.left + 44, (row.top + row.bottom) / 2};
    ClientToScreen(hwnd_, &point);
  } else {
    POINT client = point;
    ScreenToClient(hwnd_, &client);
    RECT area{};
    GetClientRect(hwnd_, &area);
    if (!PtInRect(&area, client)) return;
  }
  HMENU menu = BuildContextMenu();
  if (!menu) return;
  ComparisonWindow* window = host_.Window();
  if (window) ConvertMenuToOwnerDraw(*window, menu);
  const UINT command = static_cast<UINT>(TrackPopupMenu(
      menu, TPM_RIGHTBUTTON | TPM_RETURNCMD, point.x, point.y, 0, hwnd_, nullptr));
  if (window) {
    for (int i = 0, n = GetMenuItemCount(menu); i < n; ++i) {
      if (OwnerMenuItem* owned = OwnerMenuItemAt(menu, i)) window->ReleaseMenuItem(owned);
    }
  }
  DestroyMenu(menu);
  if (command) RunCommand(command);
}

}  // namespace qm
