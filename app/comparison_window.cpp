#include "app/comparison_window.h"

#include <utility>

#include "app/common_commands.h"
#include "app/menu_images.h"
#include "app/progress_dialog.h"
#include "app/settings.h"
#include "app/startup.h"
#include "app/window_manager.h"
#include "app/window_placement.h"
#include "controls/module_instance.h"
#include "controls/res_string.h"
#include "resources/resource.h"

namespace qm {

// Marks the window busy for the whole of a comparison, nested modal loops
// included; a close that arrived meanwhile is carried out when the
// outermost run ends.
class ComparisonWindow::BusyScope {
public:
  explicit BusyScope(ComparisonWindow& window) : window_(window) { ++window_.busyDepth_; }
  ~BusyScope() {
    if (--window_.busyDepth_ == 0 && window_.closePending_ && window_.hwnd()) {
      PostMessageA(window_.hwnd(), WM_CLOSE, 0, 0);
    }
  }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

private:
  ComparisonWindow& window_;
};

void UpdatePlacement(WindowPlacement& placement, const RECT& windowRect, bool minimized,
                     bool maximized, bool restoresMaximized) {
  if (minimized) {
    placement.maximized = restoresMaximized;
    return;
  }
  placement.maximized = maximized;
  if (maximized) return;
  placement.left = windowRect.left;
  placement.top = windowRect.top;
  placement.right = windowRect.right;
  placement.bottom = windowRect.bottom;
  placement.valid = true;
}

void TrackPlacement(HWND hwnd, WindowPlacement& placement) {
  WINDOWPLACEMENT wp{};
  wp.length = sizeof wp;
  RECT rc{};
  // A window still being created and placed is not what the user arranged.
  if (!IsWindowVisible(hwnd)) return;
  if (!GetWindowPlacement(hwnd, &wp) || !GetWindowRect(hwnd, &rc)) return;
  UpdatePlacement(placement, rc, IsIconic(hwnd) != FALSE, IsZoomed(hwnd) != FALSE,
                  (wp.flags & WPF_RESTORETOMAXIMIZED) != 0);
}

ComparisonWindow::ComparisonWindow() = default;

ComparisonWindow::~ComparisonWindow() = default;

void ComparisonWindow::ApplyDisplay(const DisplaySettings&) {}

void ComparisonWindow::UpdateMenuPopup(HMENU, int) {}

WindowPlacement& ComparisonWindow::placement() const {
  return kind() == WindowKind::Text ? Settings.CompareWindow : Settings.SessionWindow;
}

bool ComparisonWindow::CreateTopLevel(const char* className, UINT menuId) {
  WindowClassInfo& info = windowClass();
  info.className = className;
  info.style = CS_HREDRAW | CS_VREDRAW;
  info.icon = LoadIcon(ModuleInstance(), MAKEINTRESOURCE(IDI_COMPARE));
  info.background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  info.menuId = menuId;
  return Create(0, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT,
                CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                LoadResString(IDS_PRODUCT_NAME).c_str());
}

void ComparisonWindow::ChooseSide(int side) {
  if (!Settings.SmartRefresh) {
    chosenSides_ = 0;
    return;
  }
  chosenSides_ |= 1u << side;
  if (chosenSides_ == 3) SendMessageA(hwnd(), WM_COMMAND, ID_VIEW_REFRESH, 0);
}

bool ComparisonWindow::RunComparison(const std::function<void()>& work) {
  // One worker per window: a nested request (reached through another
  // window while this one's dialog is up) must not start a second one.
  if (busy()) {
    SetLastError(ERROR_BUSY);
    return false;
  }
  BusyScope busy(*this);
  cancel_.store(0);
  progress_.Reset();
  ProgressDialog dialog;
  dialog.ShowProgress(&progress_);
  const INT_PTR result = dialog.RunTask(hwnd(), work, &cancel_);
  if (result == -1) {
    SetLastError(dialog.startError());
    return false;
  }
  return true;
}

bool ComparisonWindow::RequestClose() {
  if (!hwnd()) return true;
  if (busy()) {
    closePending_ = true;
    cancel_.store(1);
    return true;
  }
  if (!AskToSave()) return false;
  DestroyAndRemove();
  return true;
}

void ComparisonWindow::ForceClose() {
  if (!hwnd()) return;
  if (busy()) {
    closePending_ = true;
    forcePending_ = true;
    cancel_.store(1);
    return;
  }
  DestroyAndRemove();
}

void ComparisonWindow::DestroyAndRemove() {
  closePending_ = false;
  forcePending_ = false;
  DestroyWindow(hwnd());
  RemoveWindow(this);
}

OwnerMenuItem* ComparisonWindow::AdoptMenuItem(std::unique_ptr<OwnerMenuItem> item) {
  menuItems_.push_back(std::move(item));
  return menuItems_.back().get();
}

void ComparisonWindow::ReleaseMenuItem(OwnerMenuItem* item) {
  for (auto it = menuItems_.begin(); it != menuItems_.end(); ++it) {
    if (it->get() == item) {
      menuItems_.erase(it);
      return;
    }
  }
}

LRESULT ComparisonWindow::OnClose(HWND, UINT, WPARAM, LPARAM) {
  if (!busy() && forcePending_) {
    DestroyAndRemove();
    return 0;
  }
  // While busy, RequestClose stops the comparison and the close comes back
  // when the worker, which still writes into this object, has ended. Not
  // busy, this is that close or a new one: whatever the save question
  // answers, no close waits any more.
  if (!busy()) closePending_ = false;
  RequestClose();
  return 0;
}

LRESULT ComparisonWindow::OnQueryEndSession(HWND, UINT, WPARAM, LPARAM) {
  if (busy()) return FALSE;
  return AskToSave() ? TRUE : FALSE;
}

LRESULT ComparisonWindow::OnEndSession(HWND, UINT, WPARAM ending, LPARAM) {
  // The process is ended after this returns: keep the settings.
  if (ending) ExitInstance();
  return 0;
}

void ComparisonWindow::RegisterHandlers() {
  WindowBase::RegisterHandlers();
  maps().OnMessage(WM_CLOSE, Bind(this, &ComparisonWindow::OnClose));
  maps().OnMessage(WM_QUERYENDSESSION, Bind(this, &ComparisonWindow::OnQueryEndSession));
  maps().OnMessage(WM_ENDSESSION, Bind(this, &ComparisonWindow::OnEndSession));
  RegisterCommonCommands(*this, maps());
}

void ComparisonWindow::InitMenuPopup(HMENU popup, bool isSystemMenu) {
  if (isSystemMenu) return;
  HMENU bar = GetMenu(hwnd());
  int barPosition = -1;
  for (int i = 0, n = bar ? GetMenuItemCount(bar) : 0; i < n; ++i) {
    if (GetSubMenu(bar, i) == popup) barPosition = i;
  }
  ApplyCommandStates(popup, [this](UINT id) { return CommandStateOf(id); });
  UpdateMenuPopup(popup, barPosition);
  // The Window menu follows File, Edit and View in a text window, File and
  // View in a folder window.
  const int windowMenu = kind() == WindowKind::Text ? 3 : 2;
  if (barPosition == windowMenu) RebuildWindowMenu(this, popup);
  ConvertMenuToOwnerDraw(*this, popup);
}

CommandContext ComparisonWindow::CommandSnapshot() const {
  CommandContext c = CommonCommandContext();
  c.busy = busy();
  return c;
}

CommandState ComparisonWindow::CommandStateOf(UINT id) const {
  return EvaluateCommand(id, CommandSnapshot());
}

LRESULT ComparisonWindow::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_COMMAND:
      // The one gate of every route a command can take.
      if (!CommandStateOf(LOWORD(wParam)).enabled) return 0;
      break;
    case WM_MEASUREITEM:
    case WM_DRAWITEM:
    case WM_MENUCHAR: {
      LRESULT result = 0;
      if (OwnerDrawnMenuMessage(msg, wParam, lParam, &result)) return result;
      break;
    }
    case WM_INITMENUPOPUP: {
      LRESULT result = WindowBase::WindowProc(hwnd, msg, wParam, lParam);
      InitMenuPopup(reinterpret_cast<HMENU>(wParam), HIWORD(lParam) != 0);
      return result;
    }
    case WM_CREATE: {
      LRESULT result = WindowBase::WindowProc(hwnd, msg, wParam, lParam);
      if (result != -1 && !counted_) {
        counted_ = true;
        ++Settings.OpenWindowCount;
      }
      return result;
    }
    case WM_DESTROY: {
      LRESULT result = WindowBase::WindowProc(hwnd, msg, wParam, lParam);
      if (counted_) {
        counted_ = false;
        if (--Settings.OpenWindowCount <= 0) {
          Settings.OpenWindowCount = 0;
          PostQuitMessage(0);
        }
      }
      return result;
    }
    case WM_SIZE:
    case WM_MOVE:
    case WM_ACTIVATE: {
      LRESULT result = WindowBase::WindowProc(hwnd, msg, wParam, lParam);
      if (msg != WM_ACTIVATE || LOWORD(wParam) != WA_INACTIVE) TrackPlacement(hwnd, placement());
      return result;
    }
    default:
      break;
  }
  return WindowBase::WindowProc(hwnd, msg, wParam, lParam);
}

}  // namespace qm
