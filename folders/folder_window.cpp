// FolderWindow: creation, layout, painting, tabs and title.
#include "folders/folder_window.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>

#include "app/bars.h"
#include "app/quick_bar.h"
#include "app/settings.h"
#include "app/window_manager.h"
#include "controls/masked_bitmap.h"
#include "controls/module_instance.h"
#include "controls/res_string.h"
#include "folders/folder_ops.h"
#include "folders/icon_cache.h"
#include "folders/shell_file_operations.h"
#include "resources/resource.h"

namespace qm {

const UINT kFolderToolBarCommands[9] = {
    ID_FILE_NEW_TEXT_WINDOW, ID_FILE_NEW_FOLDER_WINDOW, ID_FILE_COMPARE_PARENTS, 0,
    ID_VIEW_REFRESH, 0, ID_EDIT_UNDO, 0, ID_VIEW_OPTIONS};

namespace {

// The images of the tool-bar strip the buttons above show, in their order.
constexpr int kFolderToolBarImages[] = {0, 1, 2, 5, 6, 16};
constexpr int kStripImages = 17;

// Tabs in display order and the list each shows.
constexpr FolderListKind kTabLists[kFolderListCount] = {
    FolderListKind::ChangedList, FolderListKind::OldList, FolderListKind::NewList,
    FolderListKind::SameList};
constexpr UINT kTabCaptions[kFolderListCount] = {IDS_TAB_CHANGED, IDS_TAB_OLD, IDS_TAB_NEW,
                                                 IDS_TAB_SAME};
constexpr UINT kTabCountCaptions[kFolderListCount] = {IDS_TAB_CHANGED_COUNT, IDS_TAB_OLD_COUNT,
                                                      IDS_TAB_NEW_COUNT, IDS_TAB_SAME_COUNT};
// Creation order of the lists, and their control ids.
constexpr FolderListKind kCreationOrder[kFolderListCount] = {
    FolderListKind::OldList, FolderListKind::NewList, FolderListKind::ChangedList,
    FolderListKind::SameList};

int ListId(FolderListKind kind) {
  switch (kind) {
    case FolderListKind::OldList: return IDC_LIST_OLD;
    case FolderListKind::NewList: return IDC_LIST_NEW;
    case FolderListKind::ChangedList: return IDC_LIST_CHANGED;
    default: return IDC_LIST_SAME;
  }
}

void Place(HWND window, const FolderBox& box) { PlaceChild(window, box.x, box.y, box.w, box.h); }

SIZE TextSize(HWND window, const std::string& text) {
  SIZE size{};
  HDC dc = GetDC(window);
  HGDIOBJ previous = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(dc, previous);
  ReleaseDC(window, dc);
  return size;
}

}  // namespace

FolderWindow::FolderWindow() {
  // An entry that is dropped (a new comparison, the window closing) takes
  // its undo backup with it.
  comparison_.discardBackup = &DiscardBackupFolder;
  // Runs on the worker: the icon cache takes its own lock.
  comparison_.iconFor = [](const std::string& path, bool isFolder) -> int32_t {
    if (isFolder) return StockIcon(3);
    const int icon = IconForFile(path);
    return icon >= 0 ? icon : StockIcon(0);
  };
}

FolderWindow::~FolderWindow() {
  // The lists' rows point into the comparison: they go first, and every
  // undo backup that is still kept goes with the entries.
  for (auto& list : lists_) list.reset();
  ClearResultLists(comparison_);
}

std::unique_ptr<ComparisonWindow> NewFolderWindow() { return std::make_unique<FolderWindow>(); }

bool FolderWindow::CreateFrame() { return CreateTopLevel(kClassName, IDR_MENU_FOLDER); }

void FolderWindow::RegisterHandlers() {
  ComparisonWindow::RegisterHandlers();
  HandlerMaps& m = maps();
  m.OnMessage(WM_CREATE, Bind(this, &FolderWindow::OnCreate));
  m.OnMessage(WM_PAINT, Bind(this, &FolderWindow::OnPaint));
  m.OnMessage(WM_SIZE, Bind(this, &FolderWindow::OnSize));
  m.OnMessage(WM_SETFOCUS, Bind(this, &FolderWindow::OnSetFocus));
  m.OnMessage(WM_NOTIFY, Bind(this, &FolderWindow::OnNotify));
  m.OnMessage(WM_DRAWITEM, Bind(this, &FolderWindow::OnDrawItem));
  m.OnMessage(WM_MEASUREITEM, Bind(this, &FolderWindow::OnMeasureItem));
  m.OnMessage(WM_VKEYTOITEM, Bind(this, &FolderWindow::OnVKeyToItem));
  m.OnMessage(WM_DROPFILES, Bind(this, &FolderWindow::OnDropFiles));
  RegisterCommands();
}

LRESULT FolderWindow::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return ComparisonWindow::WindowProc(hwnd, msg, wParam, lParam);
}

LRESULT FolderWindow::OnCreate(HWND hwnd, UINT, WPARAM, LPARAM) {
  SetAccelerators(LoadAccelerators(ModuleInstance(), MAKEINTRESOURCE(IDR_ACCEL_FOLDER)));
  const WindowPlacement& placement = Settings.SessionWindow;
  if (placement.valid && !placement.maximized) {
    const RECT rect = InitialFolderWindowRect();
    MoveWindow(hwnd, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, FALSE);
  }
  DragAcceptFiles(hwnd, TRUE);
  CreateChildren();
  RebuildTabs();
  ShowCurrentTab(false);
  RefreshTitle();
  SetFocus(bar_[0].hwnd());
  return 0;
}

void FolderWindow::CreateChildren() {
  HWND hwnd = this->hwnd();
  HINSTANCE instance = ModuleInstance();
  HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  auto child = [&](const char* cls, const char* text, DWORD style, int id) {
    HWND made = CreateWindowExA(0, cls, text, WS_CHILD | style, 0, 0, 0, 0, hwnd,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance,
                                nullptr);
    if (made) SendMessageA(made, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return made;
  };
  for (int side = 0; side < 2; ++side) {
    const std::string label =
        LoadResString(side == 0 ? IDS_OLD_FOLDER_LABEL : IDS_NEW_FOLDER_LABEL);
    label_[side] = child("static", label.c_str(), WS_VISIBLE | SS_LEFT, 0);
    marker_[side] = child("static", "", SS_OWNERDRAW, 0);
  }
  goUp_[0] = child("button", "", WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW, IDC_GO_UP_OLD);
  browse_[0] = child("button", "", WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW, IDC_CHOOSE_OLD_FOLDER);
  goUp_[1] = child("button", "", WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW, IDC_GO_UP_NEW);
  browse_[1] = child("button", "", WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW, IDC_CHOOSE_NEW_FOLDER);
  const int barIds[2] = {IDC_LEFT_NAME, IDC_RIGHT_NAME};
  const char* const names[2] = {"LeftFolder", "RightFolder"};
  for (int side = 0; side < 2; ++side) {
    bar_[side].Create(hwnd, barIds[side],
                      side == 0 ? &Settings.LeftFolderHistory : &Settings.RightFolderHistory,
                      names[side], HistoryCombo::kAcceptFolder);
    bar_[side].LoadText(LoadResString(IDS_NO_FOLDER));
  }
  for (FolderListKind kind : kCreationOrder) {
    auto list = std::make_unique<FolderList>(*this, kind);
    if (list->Create(hwnd, ListId(kind))) {
      ShowWindow(list->hwnd(), SW_HIDE);
      lists_[static_cast<size_t>(kind)] = std::move(list);
    }
  }

  toolTip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd,
                             nullptr, instance, nullptr);
  for (HWND button : {goUp_[0], browse_[0], goUp_[1], browse_[1]}) {
    TOOLINFOA tool{};
    tool.cbSize = TTTOOLINFOA_V1_SIZE;
    tool.uFlags = TTF_IDISHWND;  // mouse messages come through PreTranslateMessage
    tool.hwnd = hwnd;
    tool.uId = reinterpret_cast<UINT_PTR>(button);
    tool.lpszText = LPSTR_TEXTCALLBACKA;
    SendMessageA(toolTip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
  }
  CreateToolBar();
  statusBar_ = qm::CreateStatusBar(hwnd, IDC_STATUSBAR, Settings.ViewStatusBar);
  if (statusBar_) SetStatusParts(statusBar_, {-1});
  quickBar_ = std::make_unique<QuickBar>();
  if (quickBar_->Create(hwnd, this, true)) {
    RECT client;
    GetClientRect(hwnd, &client);
    quickBar_->SetWidth(client.right);
    if (!Settings.ViewQuickBar) ShowWindow(quickBar_->hwnd(), SW_HIDE);
  } else {
    quickBar_.reset();
  }
  // Behind the lists, which lie over its display area.
  tabs_ = child(WC_TABCONTROLA, "", WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP, 0);
  if (tabs_) SetWindowPos(tabs_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void FolderWindow::CreateToolBar() {
  std::vector<UINT> commands(std::begin(kFolderToolBarCommands), std::end(kFolderToolBarCommands));
  toolBar_ = qm::CreateToolBar(hwnd(), IDC_TOOLBAR, IDB_TOOLBAR, kStripImages, commands,
                               Settings.ViewToolBar);
  if (!toolBar_) return;
  // The folder window shows a few of the strip's images, not the first ones.
  size_t next = 0;
  for (UINT command : kFolderToolBarCommands) {
    if (!command) continue;
    SendMessageA(toolBar_, TB_CHANGEBITMAP, command, MAKELPARAM(kFolderToolBarImages[next++], 0));
  }
  UpdateCommandStates();
}

LRESULT FolderWindow::OnPaint(HWND hwnd, UINT, WPARAM, LPARAM) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  FillRect(dc, &ps.rcPaint, GetSysColorBrush(COLOR_BTNFACE));
  RECT client;
  GetClientRect(hwnd, &client);
  for (int y : {layout_.toolBarRule, layout_.quickBarRule, layout_.statusBarRule})
    DrawEtchedBand(dc, y, client.right);
  EndPaint(hwnd, &ps);
  return 0;
}

LRESULT FolderWindow::OnSize(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  DefWindowProcA(hwnd, msg, wParam, lParam);
  if (statusBar_) SendMessageA(statusBar_, WM_SIZE, 0, 0);
  Layout();
  return 0;
}

LRESULT FolderWindow::OnSetFocus(HWND, UINT, WPARAM, LPARAM) {
  // The window itself takes no keys: hand the focus to the shown list, or
  // to the old folder bar while the lists are empty.
  FolderList* list = CurrentList();
  if (list && SendMessageA(list->hwnd(), LB_GETCOUNT, 0, 0) > 0) {
    SetFocus(list->hwnd());
  } else if (bar_[0].hwnd()) {
    SetFocus(bar_[0].hwnd());
  }
  return 0;
}

void FolderWindow::Layout() {
  HWND hwnd = this->hwnd();
  if (!hwnd || !bar_[0].hwnd()) return;
  RECT client;
  GetClientRect(hwnd, &client);
  FolderLayoutInput in;
  in.clientWidth = client.right;
  in.clientHeight = client.bottom;
  in.toolBarHeight = Settings.ViewToolBar && toolBar_ ? kToolBarHeight : 0;
  in.quickBarHeight = Settings.ViewQuickBar && quickBar_ ? WindowHeight(quickBar_->hwnd()) : 0;
  in.statusBarHeight = Settings.ViewStatusBar && statusBar_ ? WindowHeight(statusBar_) : 0;
  in.barHeight = WindowHeight(bar_[0].hwnd());
  for (int side = 0; side < 2; ++side) {
    char text[128] = "";
    GetWindowTextA(label_[side], text, sizeof text);
    const SIZE size = TextSize(label_[side], text);
    in.labelWidth[side] = size.cx;
    in.labelHeight[side] = size.cy;
    in.modified[side] = comparison_.modified[side];
  }
  layout_ = ComputeFolderLayout(in);

  if (toolBar_ && Settings.ViewToolBar) LayoutToolBar(toolBar_, client.right);
  if (quickBar_ && Settings.ViewQuickBar) {
    quickBar_->SetWidth(client.right);
    Place(quickBar_->hwnd(), layout_.quickBar);
  }
  for (int side = 0; side < 2; ++side) {
    const FolderSideBoxes& row = layout_.side[side];
    Place(label_[side], row.label);
    Place(marker_[side], row.marker);
    bar_[side].Move(row.bar.x, row.bar.y, row.bar.w);
    Place(goUp_[side], row.goUp);
    Place(browse_[side], row.browse);
  }
  if (tabs_) {
    const FolderBox& t = layout_.tabs;
    SetWindowPos(tabs_, nullptr, t.x, t.y, t.w, t.h, SWP_NOZORDER | SWP_NOACTIVATE);
    RECT display{t.x, t.y, t.x + t.w, t.y + t.h};
    TabCtrl_AdjustRect(tabs_, FALSE, &display);
    OffsetRect(&display, 0, 2);
    for (auto& list : lists_) {
      if (!list) continue;
      SetWindowPos(list->hwnd(), nullptr, display.left, display.top,
                   std::max(0L, display.right - display.left),
                   std::max(0L, display.bottom - display.top),
                   SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }
  InvalidateRect(hwnd, nullptr, TRUE);
}

void FolderWindow::RebuildTabs() {
  if (!tabs_) return;
  TabCtrl_DeleteAllItems(tabs_);
  for (int tab = 0; tab < kFolderListCount; ++tab) {
    std::string caption = LoadResString(kTabCaptions[tab]);
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = caption.data();
    SendMessageA(tabs_, TCM_INSERTITEMA, tab, reinterpret_cast<LPARAM>(&item));
  }
  TabCtrl_SetCurSel(tabs_, 0);
  counted_ = false;
}

void FolderWindow::RefreshTabCaptions() {
  if (!tabs_) return;
  for (int tab = 0; tab < kFolderListCount; ++tab) {
    const int32_t count = PresentCount(comparison_.List(kTabLists[tab]));
    std::string caption = counted_ ? FormatResString(kTabCountCaptions[tab],
                                                     {static_cast<DWORD_PTR>(count)})
                                   : LoadResString(kTabCaptions[tab]);
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = caption.data();
    SendMessageA(tabs_, TCM_SETITEMA, tab, reinterpret_cast<LPARAM>(&item));
  }
}

FolderList* FolderWindow::ListOf(FolderListKind kind) const {
  return lists_[static_cast<size_t>(kind)].get();
}

FolderList* FolderWindow::ListById(int id) const {
  for (const auto& list : lists_) {
    if (list && GetDlgCtrlID(list->hwnd()) == id) return list.get();
  }
  return nullptr;
}

FolderList* FolderWindow::CurrentList() const {
  if (!tabs_) return nullptr;
  const int tab = TabCtrl_GetCurSel(tabs_);
  if (tab < 0 || tab >= kFolderListCount) return nullptr;
  return ListOf(kTabLists[tab]);
}

void FolderWindow::ShowCurrentTab(bool focus) {
  FolderList* current = CurrentList();
  for (const auto& list : lists_) {
    if (list && list.get() != current) ShowWindow(list->hwnd(), SW_HIDE);
  }
  if (!current) return;
  ShowWindow(current->hwnd(), SW_SHOWNA);
  if (focus) SetFocus(current->hwnd());
}

std::string FolderWindow::SideFolder(int side) const {
  const std::string& root = side == 0 ? comparison_.oldRoot : comparison_.newRoot;
  return root.empty() ? bar_[side].Text() : root;
}

std::string FolderWindow::SideMenuName(int side) const {
  return FolderDisplayName(SideFolder(side), comparison_.modified[side],
                           LoadResString(IDS_NO_FOLDER));
}

std::string FolderWindow::TitleText() const {
  const std::string product = LoadResString(IDS_PRODUCT_NAME);
  const std::string oldName = SideMenuName(0), newName = SideMenuName(1);
  return FormatResString(IDS_WINDOW_TITLE, {reinterpret_cast<DWORD_PTR>(product.c_str()),
                                            reinterpret_cast<DWORD_PTR>(oldName.c_str()),
                                            reinterpret_cast<DWORD_PTR>(newName.c_str())});
}

void FolderWindow::RefreshTitle() {
  if (hwnd()) SetWindowTextA(hwnd(), TitleText().c_str());
}

void FolderWindow::ApplyBars() {
  if (toolBar_) ShowWindow(toolBar_, Settings.ViewToolBar ? SW_SHOWNA : SW_HIDE);
  if (quickBar_) ShowWindow(quickBar_->hwnd(), Settings.ViewQuickBar ? SW_SHOWNA : SW_HIDE);
  if (statusBar_) ShowWindow(statusBar_, Settings.ViewStatusBar ? SW_SHOWNA : SW_HIDE);
  Layout();
}

LRESULT FolderWindow::OnNotify(HWND, UINT, WPARAM, LPARAM lParam) {
  auto* header = reinterpret_cast<NMHDR*>(lParam);
  if (header->hwndFrom == tabs_ && tabs_) {
    if (header->code == TCN_SELCHANGE) ShowCurrentTab(true);
    return 0;
  }
  if (header->code != TTN_NEEDTEXTA) return 0;
  FillTooltip(reinterpret_cast<NMTTDISPINFOA*>(lParam));
  return 0;
}

LRESULT FolderWindow::OnDrawItem(HWND, UINT, WPARAM, LPARAM lParam) {
  auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
  if (FolderList* list = ListById(static_cast<int>(item->CtlID))) {
    list->Draw(item);
    return TRUE;
  }
  if (item->CtlType == ODT_BUTTON) {
    const bool goUp = item->CtlID == IDC_GO_UP_OLD || item->CtlID == IDC_GO_UP_NEW;
    DrawImageButton(item, Settings.Bitmap(goUp ? IDB_GO_UP : IDB_BROWSE),
                    Settings.Bitmap(goUp ? IDB_GO_UP_MASK : IDB_BROWSE_MASK));
    return TRUE;
  }
  if (item->CtlType == ODT_STATIC) {
    const RECT rect = item->rcItem;
    FillRect(item->hDC, &rect, GetSysColorBrush(COLOR_BTNFACE));
    DrawMaskedBitmap(item->hDC, rect, Settings.Bitmap(IDB_MODIFIED),
                     Settings.Bitmap(IDB_MODIFIED_MASK));
    return TRUE;
  }
  return FALSE;
}

LRESULT FolderWindow::OnMeasureItem(HWND, UINT, WPARAM, LPARAM lParam) {
  auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
  // The lists measure while they are being created, before lists_ holds
  // them: every list row has the same height.
  const UINT id = item->CtlID;
  if (id >= IDC_LIST_NEW && id <= IDC_LIST_SAME) {
    if (FolderList* list = ListById(static_cast<int>(id))) {
      list->Measure(item);
    } else {
      item->itemHeight = static_cast<UINT>(FolderList::RowHeight());
    }
    return TRUE;
  }
  return FALSE;
}

LRESULT FolderWindow::OnVKeyToItem(HWND, UINT, WPARAM wParam, LPARAM lParam) {
  if (LOWORD(wParam) != VK_RETURN) return -1;
  const HWND box = reinterpret_cast<HWND>(lParam);
  FolderList* list = ListById(GetDlgCtrlID(box));
  if (!list) return -1;
  if (const UINT command = list->EnterCommand()) PostMessageA(box, WM_COMMAND, command, 0);
  return -2;
}

}  // namespace qm
