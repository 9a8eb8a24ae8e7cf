#include "app/quick_bar.h"

#include <algorithm>

#include "app/comparison_window.h"
#include "app/history_list.h"
#include "app/settings.h"
#include "controls/module_instance.h"
#include "controls/res_string.h"
#include "resources/resource.h"

namespace qm {

namespace {

constexpr int kMargin = 8;  // left of the label, between label and list, right of the list

// "Label": a static text under a class name of its own, registered once per
// process (a class of that name registered first is used as it is).
bool RegisterLabelClass() {
  WNDCLASSEXA existing{};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExA(ModuleInstance(), QuickBar::kLabelClassName, &existing)) return true;
  WNDCLASSEXA label{};
  label.cbSize = sizeof label;
  if (!GetClassInfoExA(nullptr, "static", &label)) return false;
  label.hInstance = ModuleInstance();
  label.lpszClassName = QuickBar::kLabelClassName;
  label.style &= ~CS_GLOBALCLASS;
  return RegisterClassExA(&label) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

bool QuickBar::Create(HWND parent, ComparisonWindow* owner, bool folder) {
  owner_ = owner;
  folder_ = folder;
  windowClass().className = kClassName;
  windowClass().background = nullptr;  // painted whole in WM_PAINT
  if (!WindowBase::Create(0, WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, 0, 0, parent, nullptr)) {
    return false;
  }
  if (!RegisterLabelClass()) return false;
  const std::string text = LoadResString(folder ? IDS_QUICKBAR_FOLDER : IDS_QUICKBAR_TEXT);
  label_ = CreateWindowExA(0, kLabelClassName, text.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT, 0,
                           0, 0, 0, hwnd(), nullptr, ModuleInstance(), nullptr);
  if (!label_) return false;
  SendMessageA(label_, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
               FALSE);
  HistoryList* history = folder ? &Settings.RecentFolderHistory : &Settings.RecentFileHistory;
  return combo_.Create(hwnd(), IDC_QUICKBAR_COMBO, history, nullptr, HistoryCombo::kListOnly);
}

void QuickBar::RegisterHandlers() {
  WindowBase::RegisterHandlers();
  HandlerMaps& m = maps();
  m.OnMessage(WM_SIZE, Bind(this, &QuickBar::OnSize));
  m.OnMessage(WM_PAINT, Bind(this, &QuickBar::OnPaint));
  m.OnMessage(WM_ERASEBKGND, [](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 1; });
  m.OnMessage(WM_SETFOCUS, [this](HWND, UINT, WPARAM, LPARAM) -> LRESULT {
    if (combo_.hwnd()) SetFocus(combo_.hwnd());
    return 0;
  });
  m.OnCommand(IDC_QUICKBAR_COMBO, Bind(this, &QuickBar::OnComboCommand));
}

SIZE QuickBar::LabelSize() const {
  SIZE size{};
  const std::string text = LoadResString(folder_ ? IDS_QUICKBAR_FOLDER : IDS_QUICKBAR_TEXT);
  HDC dc = GetDC(hwnd());
  HGDIOBJ previous = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(dc, previous);
  ReleaseDC(hwnd(), dc);
  return size;
}

int QuickBar::BarHeight() const {
  RECT box{};
  if (combo_.hwnd()) GetWindowRect(combo_.hwnd(), &box);
  return std::max(static_cast<int>(box.bottom - box.top), static_cast<int>(LabelSize().cy)) + 4;
}

void QuickBar::SetWidth(int width) {
  if (!hwnd()) return;
  SetWindowPos(hwnd(), nullptr, 0, 0, std::max(width, 0), BarHeight(),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT QuickBar::OnSize(HWND hwnd, UINT, WPARAM, LPARAM) {
  if (!label_ || !combo_.hwnd()) return 0;
  RECT client;
  GetClientRect(hwnd, &client);
  const SIZE label = LabelSize();
  RECT box;
  GetWindowRect(combo_.hwnd(), &box);
  const int comboHeight = box.bottom - box.top;
  const int height = std::max(comboHeight, static_cast<int>(label.cy)) + 4;
  MoveWindow(label_, kMargin, (height - label.cy) / 2, label.cx, label.cy, TRUE);
  const int x = kMargin + label.cx + kMargin;
  combo_.Move(x, (height - comboHeight) / 2, client.right - kMargin - x);
  return 0;
}

LRESULT QuickBar::OnPaint(HWND hwnd, UINT, WPARAM, LPARAM) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  FillRect(dc, &ps.rcPaint, GetSysColorBrush(COLOR_BTNFACE));
  EndPaint(hwnd, &ps);
  return 0;
}

LRESULT QuickBar::OnComboCommand(HWND, UINT, WPARAM wParam, LPARAM) {
  combo_.OnParentCommand(wParam);
  const WORD code = HIWORD(wParam);
  if (code == HistoryCombo::kEnter || code == HistoryCombo::kPicked) OpenChosen();
  return 0;
}

void QuickBar::OpenChosen() {
  HistoryList* history = combo_.History();
  const int index = combo_.Selection();
  if (!owner_ || !history || index < 0 || index >= history->Count()) return;
  const RecentComparison pair = history->Pair(index);
  owner_->SetNames(pair.left, pair.right, true);
}

void QuickBar::AddRecentComparison(const std::string& left, const std::string& right) {
  HistoryList* history = combo_.History();
  if (!history) return;
  history->Add(RecentComparison{left, right});
  combo_.Select(0);
}

}  // namespace qm
