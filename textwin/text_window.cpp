// TextWindow: creation, layout, painting, title and status bar.
#include "textwin/text_window.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>

#include "app/bars.h"
#include "app/quick_bar.h"
#include "app/settings.h"
#include "app/window_manager.h"
#include "resources/resource.h"
#include "controls/module_instance.h"
#include "controls/res_string.h"
#include "common/text_format.h"
#include "textwin/splitter_thumb.h"
#include "textwin/summary_bar.h"

namespace qm {

namespace {


}  // namespace

// Tool-bar buttons in order; 0 is a separator.
const UINT kToolBarCommands[24] = {
    ID_FILE_NEW_TEXT_WINDOW, ID_FILE_NEW_FOLDER_WINDOW, ID_FILE_COMPARE_PARENTS, 0,
    ID_SIDE_SAVE, ID_SIDE_SAVE_ALL, 0, ID_VIEW_REFRESH, 0, ID_EDIT_UNDO, ID_EDIT_REDO, 0,
    ID_VIEW_PREV_DIFF, ID_VIEW_NEXT_DIFF, 0, ID_MERGE_COPY_LEFT, ID_MERGE_COPY_RIGHT,
    ID_MERGE_DELETE_DIFF, 0, ID_MERGE_COPY_LINE_LEFT, ID_MERGE_COPY_LINE_RIGHT,
    ID_MERGE_DELETE_LINE, 0, ID_VIEW_OPTIONS};

namespace {

// The layout runs again whenever a side's modified mark comes or goes; a
// child that stays where it is is left alone, as the pane's repaint is the
// expensive part of that.
void Place(HWND window, const Box& box) { PlaceChild(window, box.x, box.y, box.w, box.h); }

}  // namespace

TextWindow::TextWindow() = default;

TextWindow::~TextWindow() = default;

std::unique_ptr<ComparisonWindow> NewTextWindow() { return std::make_unique<TextWindow>(); }

bool TextWindow::CreateFrame() { return CreateTopLevel(kClassName, IDR_MENU_TEXT); }

void TextWindow::RegisterHandlers() {
  ComparisonWindow::RegisterHandlers();
  HandlerMaps& m = maps();
  m.OnMessage(WM_CREATE, Bind(this, &TextWindow::OnCreate));
  m.OnMessage(WM_ERASEBKGND, [](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 1; });
  m.OnMessage(WM_PAINT, Bind(this, &TextWindow::OnPaint));
  m.OnMessage(WM_SIZE, Bind(this, &TextWindow::OnSize));
  m.OnMessage(WM_SETFOCUS, Bind(this, &TextWindow::OnSetFocus));
  m.OnMessage(WM_VSCROLL, Bind(this, &TextWindow::OnScroll));
  m.OnMessage(WM_HSCROLL, Bind(this, &TextWindow::OnScroll));
  m.OnMessage(WM_DRAWITEM, Bind(this, &TextWindow::OnDrawItem));
  m.OnMessage(WM_NOTIFY, Bind(this, &TextWindow::OnNotify));
  m.OnMessage(WM_DROPFILES, Bind(this, &TextWindow::OnDropFiles));
  m.OnMessage(WM_SETTINGCHANGE, [](HWND, UINT, WPARAM, LPARAM) -> LRESULT {
    UINT lines = 2;
    if (SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0)) Settings.WheelScrollLines = lines;
    return 0;
  });
  RegisterCommands();
}

LRESULT TextWindow::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return ComparisonWindow::WindowProc(hwnd, msg, wParam, lParam);
}

LRESULT TextWindow::OnCreate(HWND hwnd, UINT, WPARAM, LPARAM) {
  display_ = Settings.DisplaySnapshot();
  SetAccelerators(LoadAccelerators(ModuleInstance(), MAKEINTRESOURCE(IDR_ACCEL_TEXT)));
  const WindowPlacement& placement = Settings.CompareWindow;
  if (placement.valid && !placement.maximized)
    MoveWindow(hwnd, placement.left, placement.top, placement.right - placement.left,
               placement.bottom - placement.top, FALSE);
  DragAcceptFiles(hwnd, TRUE);
  CreateChildren();
  UpdateTitle();
  SetFocus(name_[0].hwnd());
  return 0;
}

void TextWindow::CreateChildren() {
  HWND hwnd = this->hwnd();
  HINSTANCE instance = ModuleInstance();
  auto child = [&](const char* cls, DWORD style, int id) {
    return CreateWindowExA(0, cls, "", WS_CHILD | style, 0, 0, 0, 0, hwnd,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
  };
  verticalBar_ = child("scrollbar", WS_VISIBLE | SBS_VERT, 0);
  horizontalBar_[0] = child("scrollbar", WS_VISIBLE | SBS_HORZ, 0);
  horizontalBar_[1] = child("scrollbar", WS_VISIBLE | SBS_HORZ, 0);

  pane_ = std::make_unique<TextView>(document_);
  RECT empty{0, 0, 0, 0};
  pane_->Create(hwnd, 0, empty, verticalBar_, horizontalBar_[0], horizontalBar_[1], this);
  thumb_ = std::make_unique<SplitterThumb>();
  thumb_->Create(hwnd, pane_.get(), [this] { PaneLayout(); });
  summaryBar_ = std::make_unique<SummaryBar>();
  if (summaryBar_->Create(hwnd, pane_.get(), this, display_)) summary_ = summaryBar_->hwnd();

  for (int side = 0; side < 2; ++side) modifiedMark_[side] = child("static", SS_OWNERDRAW, 0);
  for (int side = 0; side < 2; ++side) readOnlyMark_[side] = child("static", SS_OWNERDRAW, 0);
  browse_[0] = child("button", WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW, IDC_BROWSE_LEFT);
  browse_[1] = child("button", WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW, IDC_BROWSE_RIGHT);

  const int nameIds[2] = {IDC_LEFT_NAME, IDC_RIGHT_NAME};
  const char* const names[2] = {"LeftFile", "RightFile"};
  for (int side = 0; side < 2; ++side) {
    name_[side].Create(hwnd, nameIds[side],
                       side == 0 ? &Settings.LeftFileHistory : &Settings.RightFileHistory,
                       names[side], HistoryCombo::kAcceptFile);
    name_[side].LoadText(LoadResString(IDS_NO_FILE));
  }

  toolTip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd,
                             nullptr, instance, nullptr);
  for (HWND button : browse_) {
    TOOLINFOA tool{};
    tool.cbSize = TTTOOLINFOA_V1_SIZE;
    tool.uFlags = TTF_IDISHWND;  // mouse messages come through PreTranslateMessage
    tool.hwnd = hwnd;
    tool.uId = reinterpret_cast<UINT_PTR>(button);
    tool.lpszText = LPSTR_TEXTCALLBACKA;
    SendMessageA(toolTip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
  }
  CreateToolBar();
  quickBar_ = std::make_unique<QuickBar>();
  if (quickBar_->Create(hwnd, this, false)) {
    RECT client;
    GetClientRect(hwnd, &client);
    quickBar_->SetWidth(client.right);
    if (!Settings.ViewQuickBar) ShowWindow(quickBar_->hwnd(), SW_HIDE);
  } else {
    quickBar_.reset();
  }
  CreateStatusBar();
}

void TextWindow::CreateToolBar() {
  std::vector<UINT> commands(std::begin(kToolBarCommands), std::end(kToolBarCommands));
  toolBar_ = qm::CreateToolBar(hwnd(), IDC_TOOLBAR, IDB_TOOLBAR, 24, commands,
                               Settings.ViewToolBar);
  UpdateCommandStates();
}

void TextWindow::CreateStatusBar() {
  statusBar_ = qm::CreateStatusBar(hwnd(), IDC_STATUSBAR, Settings.ViewStatusBar);
  UpdateStatusParts();
  for (int part = 1; part < 4; ++part) UpdateStatus(part);
}

LRESULT TextWindow::OnPaint(HWND hwnd, UINT, WPARAM, LPARAM) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  RECT client;
  GetClientRect(hwnd, &client);
  auto fill = [&](const Box& box) {
    RECT rect{box.x, box.y, box.x + box.w, box.y + box.h};
    FillRect(dc, &rect, GetSysColorBrush(COLOR_BTNFACE));
  };
  fill(layout_.nameBand);
  fill(layout_.corner);
  // The 2-pixel bands between the bars.
  for (int y : {layout_.toolBarRule, layout_.quickBarRule, layout_.statusBarRule})
    DrawEtchedBand(dc, y, client.right);
  EndPaint(hwnd, &ps);
  return 0;
}

LRESULT TextWindow::OnSize(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  DefWindowProcA(hwnd, msg, wParam, lParam);
  if (statusBar_) SendMessageA(statusBar_, WM_SIZE, 0, 0);
  UpdateStatusParts();
  PaneLayout();
  return 0;
}

LRESULT TextWindow::OnSetFocus(HWND, UINT, WPARAM, LPARAM) {
  if (pane_ && pane_->hwnd()) SetFocus(pane_->hwnd());
  return 0;
}

LRESULT TextWindow::OnScroll(HWND, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (pane_ && pane_->hwnd()) SendMessageA(pane_->hwnd(), msg, wParam, lParam);
  return 0;
}

void TextWindow::PaneLayout() {
  HWND hwnd = this->hwnd();
  if (!hwnd || !pane_) return;
  RECT client;
  GetClientRect(hwnd, &client);
  LayoutInput in;
  in.clientWidth = client.right;
  in.clientHeight = client.bottom;
  in.toolBarHeight = Settings.ViewToolBar ? kToolBarHeight : 0;
  in.quickBarHeight = Settings.ViewQuickBar && quickBar_ ? WindowHeight(quickBar_->hwnd()) : 0;
  in.statusBarHeight = Settings.ViewStatusBar ? WindowHeight(statusBar_) : 0;
  RECT box;
  GetWindowRect(name_[0].hwnd(), &box);
  in.nameBoxHeight = box.bottom - box.top;
  in.cxVScroll = GetSystemMetrics(SM_CXVSCROLL);
  in.cyHScroll = GetSystemMetrics(SM_CYHSCROLL);
  in.summaryShown = Settings.ViewSummary && summary_;
  in.splitRatio = pane_->SplitRatio();
  for (int side = 0; side < 2; ++side) {
    in.modified[side] = history_.IsModified(side);
    in.readOnly[side] = pane_->IsReadOnly(side);
  }
  layout_ = ComputePaneLayout(in);

  if (toolBar_ && Settings.ViewToolBar) LayoutToolBar(toolBar_, client.right);
  if (quickBar_) Place(quickBar_->hwnd(), layout_.quickBar);
  Place(pane_->hwnd(), layout_.pane);
  Place(verticalBar_, layout_.vScroll);
  Place(summary_, layout_.summary);
  Place(horizontalBar_[0], layout_.hScroll[0]);
  Place(thumb_->hwnd(), layout_.thumb);
  Place(horizontalBar_[1], layout_.hScroll[1]);
  for (int side = 0; side < 2; ++side) {
    const NameBar& bar = layout_.side[side];
    Place(modifiedMark_[side], bar.modifiedMark);
    Place(readOnlyMark_[side], bar.readOnlyMark);
    name_[side].Move(bar.nameBox.x, bar.nameBox.y, bar.nameBox.w);
    Place(browse_[side], bar.browse);
  }
  InvalidateRect(hwnd, nullptr, FALSE);
}

void TextWindow::UpdateStatusParts() {
  if (!statusBar_) return;
  RECT client;
  GetClientRect(hwnd(), &client);
  SetStatusParts(statusBar_, TextStatusParts(client.right, IsZoomed(hwnd()) != 0));
  UpdateStatus(0);
}

std::string TextWindow::StatusText(int part) const {
  if (part != 0 && !resultShown_) return std::string();
  switch (part) {
    case 0:
      return LoadResString(IDS_STATUS_HELP);
    case 1: {
      DiffList& list = *pane_->State().list;
      int32_t row = pane_->CaretRow();
      int32_t line = row >= 0 && row < list.RowCount() ? list.Row(row).Line(pane_->ActiveSide()) : -1;
      return FormatResString(IDS_STATUS_CARET,
                        {static_cast<DWORD_PTR>(row + 1), static_cast<DWORD_PTR>(line + 1),
                         static_cast<DWORD_PTR>(pane_->CaretColumn() + 1)});
    }
    case 2: {
      // Each side as "DOS UTF-8": its line endings, then its encoding.
      std::string labels[2];
      for (int s = 0; s < 2; ++s) {
        labels[s] = LineFormatLabel(static_cast<unsigned>(pane_->Format(s)));
        labels[s] += ' ';
        labels[s] += EncodingLabel(static_cast<unsigned>(pane_->State().side[s].encoding));
      }
      return FormatResString(IDS_STATUS_FORMATS, {reinterpret_cast<DWORD_PTR>(labels[0].c_str()),
                                             reinterpret_cast<DWORD_PTR>(labels[1].c_str())});
    }
    default:
      if (pane_->DiffCount() == 0) return LoadResString(IDS_STATUS_NO_DIFFS);
      return FormatResString(IDS_STATUS_DIFFS, {static_cast<DWORD_PTR>(pane_->DiffCount()),
                                           static_cast<DWORD_PTR>(pane_->DiffLineCount())});
  }
}

void TextWindow::UpdateStatus(int part) {
  if (!statusBar_ || !pane_) return;
  SetStatusText(statusBar_, part, StatusText(part), part == 0);  // part 0 has no borders
}

void TextWindow::ShowResultInStatus(bool shown) {
  resultShown_ = shown;
  for (int part = 1; part < 4; ++part) UpdateStatus(part);
}

std::string TextWindow::TitleText() const {
  const std::string noFile = LoadResString(IDS_NO_FILE);
  std::string product = LoadResString(IDS_PRODUCT_NAME);
  std::string left = SideDisplayName(SidePathOf(0), history_.IsModified(0), noFile);
  std::string right = SideDisplayName(SidePathOf(1), history_.IsModified(1), noFile);
  return FormatResString(IDS_WINDOW_TITLE, {reinterpret_cast<DWORD_PTR>(product.c_str()),
                                       reinterpret_cast<DWORD_PTR>(left.c_str()),
                                       reinterpret_cast<DWORD_PTR>(right.c_str())});
}

void TextWindow::UpdateTitle() {
  if (hwnd()) SetWindowTextA(hwnd(), TitleText().c_str());
}

std::string TextWindow::SideMenuName(int side) const {
  // The Window menu names a side by its loaded file only.
  return SideDisplayName(sidePath_[side], history_.IsModified(side), LoadResString(IDS_NO_FILE));
}

void TextWindow::ApplyBars() {
  if (toolBar_) ShowWindow(toolBar_, Settings.ViewToolBar ? SW_SHOWNA : SW_HIDE);
  if (quickBar_) ShowWindow(quickBar_->hwnd(), Settings.ViewQuickBar ? SW_SHOWNA : SW_HIDE);
  if (statusBar_) ShowWindow(statusBar_, Settings.ViewStatusBar ? SW_SHOWNA : SW_HIDE);
  PaneLayout();
  InvalidateRect(hwnd(), nullptr, TRUE);
}

void TextWindow::ApplyDisplay(const DisplaySettings& snapshot) {
  const DisplayChange change = DisplayChangeBetween(display_, snapshot);
  display_ = snapshot;
  if (change == DisplayChange::None) return;
  if (pane_) pane_->ApplyDisplay(snapshot, change);
  if (summaryBar_) summaryBar_->SetDisplay(snapshot);
  if (change >= DisplayChange::Relayout) PaneLayout();
  InvalidateRect(hwnd(), nullptr, TRUE);
}

// ---- Notifications of the pane ----

void TextWindow::OnCaretMoved(bool rowChanged) {
  UpdateStatus(1);
  if (rowChanged) {
    UpdateCommandStates();
    if (summary_) InvalidateRect(summary_, nullptr, FALSE);
  }
}

void TextWindow::OnContentChanged() {
  // The summary bar follows the document itself.
  UpdateStatus(3);
  UpdateCommandStates();
  bool changed = false;
  for (int side = 0; side < 2; ++side) {
    bool modified = history_.IsModified(side), readOnly = pane_->IsReadOnly(side);
    changed |= modified != modifiedShown_[side] || readOnly != readOnlyShown_[side];
    modifiedShown_[side] = modified;
    readOnlyShown_[side] = readOnly;
  }
  if (changed) {
    PaneLayout();
    UpdateTitle();
  }
}

void TextWindow::OnSideSaved(int) {
  // The document has already marked the side saved.
  OnContentChanged();
}

}  // namespace qm
