#include "app/window_manager.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "app/menu_images.h"
#include "controls/res_string.h"
#include "app/settings.h"
#include "app/window_placement.h"
#include "resources/resource.h"

namespace qm {

namespace {

WindowFactory g_folderFactory = nullptr;
OptionsOpener g_optionsOpener = nullptr;

// Removed windows wait here until no handler of theirs can be on the stack.
// Never destroyed: deleting windows during static destruction would reach
// lists that may already be gone.
std::vector<OwnedWindow>& Graveyard() {
  static auto* graveyard = new std::vector<OwnedWindow>;
  return *graveyard;
}

void DeleteWindowObject(ComparisonWindow* window) { delete window; }

std::vector<OwnedWindow>& ListOf(WindowKind kind) {
  return kind == WindowKind::Text ? Settings.TextWindows : Settings.FolderWindows;
}

// The listed windows, copied: acting on a window may change the lists.
std::vector<ComparisonWindow*> Snapshot(WindowKind kind) {
  std::vector<ComparisonWindow*> windows;
  for (const OwnedWindow& w : ListOf(kind)) windows.push_back(w.get());
  return windows;
}

// Folder windows first, then text windows: the order of every broadcast.
std::vector<ComparisonWindow*> AllWindows() {
  std::vector<ComparisonWindow*> windows = Snapshot(WindowKind::Folder);
  for (ComparisonWindow* w : Snapshot(WindowKind::Text)) windows.push_back(w);
  return windows;
}

bool IsListed(const ComparisonWindow* window) { return WindowIndex(window) >= 0; }

RECT WorkArea() {
  RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  return work;
}

ComparisonWindow* CreateOfKind(WindowKind kind) {
  std::vector<OwnedWindow>& list = ListOf(kind);
  WindowPlacement& placement =
      kind == WindowKind::Text ? Settings.CompareWindow : Settings.SessionWindow;
  const bool maximized = placement.maximized;
  const bool applyRect = placement.valid && !placement.maximized;
  const RECT initial = InitialWindowRect(placement, !list.empty(), WorkArea());

  std::unique_ptr<ComparisonWindow> made;
  if (kind == WindowKind::Text) {
    made = NewTextWindow();
  } else if (g_folderFactory) {
    made = g_folderFactory();
  }
  if (!made) return nullptr;
  OwnedWindow owned(made.release(), &DeleteWindowObject);
  if (!owned->CreateFrame() || !owned->hwnd()) {
    // Destroyed through the object, so that a window already counted in
    // OpenWindowCount is uncounted again.
    if (owned->hwnd()) DestroyWindow(owned->hwnd());
    return nullptr;
  }

  ComparisonWindow* window = owned.get();
  list.push_back(std::move(owned));
  HWND hwnd = window->hwnd();
  if (applyRect) {
    MoveWindow(hwnd, initial.left, initial.top, initial.right - initial.left,
               initial.bottom - initial.top, FALSE);
  }
  placement.maximized = maximized;
  ShowWindow(hwnd, maximized ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
  UpdateWindow(hwnd);
  placement.maximized = maximized;
  UpdateAllCommandStates();
  return window;
}

// Reuse never picks a window whose comparison is still running: filling it
// would start a second comparison over the documents its worker writes.
ComparisonWindow* Usable(ComparisonWindow* window) {
  return window && window->hwnd() && !window->busy() ? window : nullptr;
}

void FocusWindow(WindowKind kind, size_t n) {
  const std::vector<OwnedWindow>& list = ListOf(kind);
  if (n >= list.size() || !list[n]->hwnd()) return;
  HWND hwnd = list[n]->hwnd();
  if (IsIconic(hwnd)) ShowWindow(hwnd, SW_RESTORE);
  SetForegroundWindow(hwnd);
  SetFocus(hwnd);
}

void AppendWindowItems(HMENU menu, WindowKind kind, ComparisonWindow* current, UINT firstId,
                       UINT lastId, UINT emptyText) {
  const std::vector<OwnedWindow>& list = ListOf(kind);
  if (list.empty()) {
    AppendMenuA(menu, MF_STRING | MF_GRAYED, 0, LoadResString(emptyText).c_str());
    return;
  }
  for (size_t i = 0; i < list.size() && firstId + i <= lastId; ++i) {
    const ComparisonWindow* w = list[i].get();
    const std::string text = WindowMenuItemText(w->SideMenuName(0), w->SideMenuName(1));
    AppendMenuA(menu, MF_STRING | (w == current ? MF_CHECKED : MF_UNCHECKED),
                firstId + static_cast<UINT>(i), text.c_str());
  }
}

void Arrange(bool cascade, UINT tileHow) {
  std::vector<HWND> handles;
  for (ComparisonWindow* w : AllWindows()) {
    if (w->hwnd()) handles.push_back(w->hwnd());
  }
  if (handles.empty()) return;
  const UINT count = static_cast<UINT>(handles.size());
  if (cascade) {
    if (CascadeWindows(nullptr, 0, nullptr, count, handles.data()) != 0) return;
  } else if (TileWindows(nullptr, tileHow, nullptr, count, handles.data()) != 0) {
    return;
  }
  const int step = GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYSIZEFRAME);
  const std::vector<RECT> rects = cascade
                                      ? CascadeLayout(count, WorkArea(), step)
                                      : TileLayout(count, WorkArea(), tileHow == MDITILE_VERTICAL);
  for (size_t i = 0; i < rects.size(); ++i) {
    if (IsIconic(handles[i]) || IsZoomed(handles[i])) ShowWindow(handles[i], SW_RESTORE);
    // Cascaded windows stack in array order, the last one in front.
    SetWindowPos(handles[i], cascade ? HWND_TOP : nullptr, rects[i].left, rects[i].top,
                 rects[i].right - rects[i].left, rects[i].bottom - rects[i].top,
                 SWP_NOACTIVATE | (cascade ? 0 : SWP_NOZORDER));
  }
}

// Every text window gets the display settings as they are now, as one
// snapshot; each works out itself what the change asks of it.
void ApplyToTextWindows() {
  const DisplaySettings snapshot = Settings.DisplaySnapshot();
  for (ComparisonWindow* w : Snapshot(WindowKind::Text)) {
    if (w->hwnd()) w->ApplyDisplay(snapshot);
  }
}

void ApplyBarsEverywhere() {
  for (ComparisonWindow* w : AllWindows()) {
    if (w->hwnd()) w->ApplyBars();
  }
}

}  // namespace

void SetFolderWindowFactory(WindowFactory factory) { g_folderFactory = factory; }
bool FolderWindowsAvailable() { return g_folderFactory != nullptr; }

void SetOptionsOpener(OptionsOpener opener) { g_optionsOpener = opener; }
bool OptionsAvailable() { return g_optionsOpener != nullptr; }

void OpenOptions(HWND owner) {
  if (g_optionsOpener) g_optionsOpener(owner);
}

bool CanCreateTextWindow() { return !(Settings.ReUseFileWindow && !Settings.TextWindows.empty()); }

bool CanCreateFolderWindow() {
  return g_folderFactory && !(Settings.ReUseFolderWindow && !Settings.FolderWindows.empty());
}

ComparisonWindow* CreateTextWindow() { return CreateOfKind(WindowKind::Text); }

ComparisonWindow* CreateFolderWindow() { return CreateOfKind(WindowKind::Folder); }

void RemoveWindow(ComparisonWindow* window) {
  for (std::vector<OwnedWindow>* list : {&Settings.TextWindows, &Settings.FolderWindows}) {
    for (auto it = list->begin(); it != list->end(); ++it) {
      if (it->get() == window) {
        Graveyard().push_back(std::move(*it));
        list->erase(it);
        UpdateAllCommandStates();
        return;
      }
    }
  }
}

void RemoveTextWindow(ComparisonWindow* window) { RemoveWindow(window); }

void RemoveFolderWindow(ComparisonWindow* window) { RemoveWindow(window); }

void ReapClosedWindows() {
  // Swap first: a destructor that closes something must not see a
  // half-cleared list.
  std::vector<OwnedWindow> dead;
  dead.swap(Graveyard());
}

void UpdateAllCommandStates() {
  for (ComparisonWindow* w : AllWindows()) {
    if (w->hwnd()) w->UpdateCommandStates();
  }
}

ComparisonWindow* FirstTextWindow() {
  return Settings.TextWindows.empty() ? nullptr : Settings.TextWindows.front().get();
}

ComparisonWindow* FirstFolderWindow() {
  return Settings.FolderWindows.empty() ? nullptr : Settings.FolderWindows.front().get();
}

ComparisonWindow* FindIdleTextWindow() {
  for (const OwnedWindow& w : Settings.TextWindows) {
    if (w->idle()) return w.get();
  }
  return nullptr;
}

ComparisonWindow* FindIdleFolderWindow() {
  for (const OwnedWindow& w : Settings.FolderWindows) {
    if (w->idle()) return w.get();
  }
  return nullptr;
}

int WindowIndex(const ComparisonWindow* window) {
  for (const std::vector<OwnedWindow>* list : {&Settings.TextWindows, &Settings.FolderWindows}) {
    for (size_t i = 0; i < list->size(); ++i) {
      if ((*list)[i].get() == window) return static_cast<int>(i);
    }
  }
  return -1;
}

ComparisonWindow* OpenTextComparison(ComparisonWindow* window, const std::string& left,
                                     const std::string& right, bool newWindow) {
  ComparisonWindow* target = nullptr;
  if (!newWindow && Settings.ReUseFileWindow) {
    target = Usable(window ? window : FirstTextWindow());
  } else {
    target = Usable(window ? window : FindIdleTextWindow());
  }
  if (!target) target = CreateTextWindow();
  if (!target) return nullptr;
  target->SetNames(left, right, true);
  return target;
}

ComparisonWindow* OpenFolderComparison(ComparisonWindow* window, const std::string& oldFolder,
                                       const std::string& newFolder, bool newWindow) {
  if (!g_folderFactory) return nullptr;
  ComparisonWindow* target = nullptr;
  if (!newWindow) {
    if (window) {
      target = Usable(window);
    } else {
      target = Usable(Settings.ReUseFolderWindow ? FirstFolderWindow() : FindIdleFolderWindow());
    }
  }
  if (!target) target = CreateFolderWindow();
  if (!target) return nullptr;
  target->SetNames(oldFolder, newFolder, true);
  return target;
}

void FocusTextWindow(size_t n) { FocusWindow(WindowKind::Text, n); }

void FocusFolderWindow(size_t n) { FocusWindow(WindowKind::Folder, n); }

RECT InitialWindowRect(const WindowPlacement& stored, bool othersOpen, const RECT& workArea) {
  RECT rc{stored.left, stored.top, stored.right, stored.bottom};
  if (!othersOpen) return rc;
  OffsetRect(&rc, 50, 50);
  if (rc.right > workArea.right || rc.bottom > workArea.bottom) {
    OffsetRect(&rc, -rc.left, -rc.top);
  }
  return rc;
}

RECT InitialTextWindowRect() {
  return InitialWindowRect(Settings.CompareWindow, !Settings.TextWindows.empty(), WorkArea());
}

RECT InitialFolderWindowRect() {
  return InitialWindowRect(Settings.SessionWindow, !Settings.FolderWindows.empty(), WorkArea());
}

std::string WindowMenuItemText(const std::string& leftName, const std::string& rightName) {
  return FormatResString(IDS_WINDOW_MENU_ITEM, {reinterpret_cast<DWORD_PTR>(leftName.c_str()),
                                                reinterpret_cast<DWORD_PTR>(rightName.c_str())});
}

void RebuildWindowMenu(ComparisonWindow* current, HMENU windowMenu) {
  while (GetMenuItemCount(windowMenu) > 4) {
    OwnerMenuItem* data = OwnerMenuItemAt(windowMenu, 4);
    DeleteMenu(windowMenu, 4, MF_BYPOSITION);
    if (data && current) current->ReleaseMenuItem(data);
  }
  AppendWindowItems(windowMenu, WindowKind::Folder, current, ID_WINDOW_FOLDER_FIRST,
                    ID_WINDOW_FOLDER_LAST, IDS_NO_FOLDER_WINDOWS);
  AppendMenuA(windowMenu, MF_SEPARATOR, 0, nullptr);
  AppendWindowItems(windowMenu, WindowKind::Text, current, ID_WINDOW_TEXT_FIRST,
                    ID_WINDOW_TEXT_LAST, IDS_NO_TEXT_WINDOWS);
}

std::vector<RECT> TileLayout(size_t count, const RECT& workArea, bool vertical) {
  std::vector<RECT> tiles;
  if (count == 0) return tiles;
  // Along the main direction: all windows up to three, else a square-ish
  // grid whose last line may hold fewer windows (they share its length).
  size_t along = count <= 3 ? count : static_cast<size_t>(std::ceil(std::sqrt(double(count))));
  const size_t lines = (count + along - 1) / along;
  const LONG width = workArea.right - workArea.left;
  const LONG height = workArea.bottom - workArea.top;
  for (size_t line = 0, placed = 0; line < lines; ++line) {
    const size_t inLine = std::min(along, count - placed);
    for (size_t k = 0; k < inLine; ++k, ++placed) {
      // Column k of row line (vertical), or row k of column line.
      const size_t across = vertical ? k : line;
      const size_t down = vertical ? line : k;
      const size_t columns = vertical ? inLine : lines;
      const size_t rows = vertical ? lines : inLine;
      RECT rc;
      rc.left = workArea.left + static_cast<LONG>(width * across / columns);
      rc.right = workArea.left + static_cast<LONG>(width * (across + 1) / columns);
      rc.top = workArea.top + static_cast<LONG>(height * down / rows);
      rc.bottom = workArea.top + static_cast<LONG>(height * (down + 1) / rows);
      tiles.push_back(rc);
    }
  }
  return tiles;
}

std::vector<RECT> CascadeLayout(size_t count, const RECT& workArea, int step) {
  std::vector<RECT> rects;
  if (count == 0) return rects;
  const LONG width = workArea.right - workArea.left;
  const LONG height = workArea.bottom - workArea.top;
  const LONG offset = static_cast<LONG>((count - 1) * step);
  const LONG w = std::max(width - offset, width / 2);
  const LONG h = std::max(height - offset, height / 2);
  for (size_t i = 0; i < count; ++i) {
    // Past the work area the cascade starts again at its corner.
    LONG x = static_cast<LONG>(i * step), y = x;
    if (x + w > width || y + h > height) {
      const size_t perRound = static_cast<size_t>(std::min(width - w, height - h) / step) + 1;
      x = y = static_cast<LONG>((i % perRound) * step);
    }
    rects.push_back(RECT{workArea.left + x, workArea.top + y, workArea.left + x + w,
                         workArea.top + y + h});
  }
  return rects;
}

void CascadeAll() { Arrange(true, 0); }

void TileAllHorizontally() { Arrange(false, MDITILE_HORIZONTAL); }

void TileAllVertically() { Arrange(false, MDITILE_VERTICAL); }

bool CloseAll() {
  for (ComparisonWindow* w : Snapshot(WindowKind::Text)) {
    // An earlier question's modal loop may have closed this one already.
    if (!IsListed(w)) continue;
    if (!w->RequestClose()) return false;
  }
  for (ComparisonWindow* w : Snapshot(WindowKind::Folder)) {
    if (IsListed(w)) w->ForceClose();
  }
  return true;
}

void ToggleToolBar() {
  Settings.ViewToolBar = !Settings.ViewToolBar;
  ApplyBarsEverywhere();
}

void ToggleQuickBar() {
  Settings.ViewQuickBar = !Settings.ViewQuickBar;
  ApplyBarsEverywhere();
}

void ToggleStatusBar() {
  Settings.ViewStatusBar = !Settings.ViewStatusBar;
  ApplyBarsEverywhere();
}

void ToggleSummary() {
  Settings.ViewSummary = !Settings.ViewSummary;
  ApplyToTextWindows();
}

void ToggleWhiteSpace() {
  Settings.ShowWhiteSpace = !Settings.ShowWhiteSpace;
  ApplyToTextWindows();
}

void ToggleWordWrap() {
  Settings.WordWrap = !Settings.WordWrap;
  ApplyToTextWindows();
}

void SetLineNumbers(int mode) {
  if (mode < 0 || mode > 2) return;
  Settings.ShowLineNumbers = mode;
  ApplyToTextWindows();
}

void ApplyDisplaySettings() {
  Settings.RemakeBrushes();
  ApplyToTextWindows();
}

}  // namespace qm
