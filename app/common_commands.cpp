#include "app/common_commands.h"

#include <shellapi.h>

#include "app/about_box.h"
#include "app/comparison_window.h"
#include "app/help.h"
#include "app/settings.h"
#include "app/tips_dialog.h"
#include "app/window_manager.h"
#include "resources/resource.h"

namespace qm {

namespace {

// A handler that runs action and reports the command as handled.
template <class Fn>
MessageHandler Do(Fn action) {
  return [action](HWND, UINT, WPARAM, LPARAM) -> LRESULT {
    action();
    return 0;
  };
}

void OpenLink(const char* link) {
  ShellExecuteA(nullptr, "open", link, nullptr, nullptr, SW_SHOWNORMAL);
}

void Check(HMENU menu, UINT id, bool on) {
  CheckMenuItem(menu, id, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
}

void Enable(HMENU menu, UINT id, bool on) {
  EnableMenuItem(menu, id, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
}

// The menu (popup or one of its submenus) that holds item id directly:
// CheckMenuRadioItem wants that one.
HMENU FindItemHolder(HMENU menu, UINT id) {
  for (int i = 0, n = GetMenuItemCount(menu); i < n; ++i) {
    if (GetMenuItemID(menu, i) == id) return menu;
    if (HMENU sub = GetSubMenu(menu, i)) {
      if (HMENU holder = FindItemHolder(sub, id)) return holder;
    }
  }
  return nullptr;
}

}  // namespace

void RegisterCommonCommands(ComparisonWindow& window, HandlerMaps& maps) {
  ComparisonWindow* self = &window;
  maps.OnCommand(ID_FILE_NEW_TEXT_WINDOW, Do([] {
                   if (CanCreateTextWindow()) CreateTextWindow();
                 }));
  maps.OnCommand(ID_FILE_NEW_FOLDER_WINDOW, Do([] {
                   if (CanCreateFolderWindow()) CreateFolderWindow();
                 }));
  maps.OnCommand(ID_FILE_CLOSE, Do([self] { PostMessageA(self->hwnd(), WM_CLOSE, 0, 0); }));
  maps.OnCommand(ID_FILE_EXIT, Do([] { CloseAll(); }));

  maps.OnCommand(ID_VIEW_TOOLBAR, Do(ToggleToolBar));
  maps.OnCommand(ID_VIEW_QUICKBAR, Do(ToggleQuickBar));
  maps.OnCommand(ID_VIEW_STATUSBAR, Do(ToggleStatusBar));
  maps.OnCommand(ID_VIEW_SUMMARY, Do(ToggleSummary));
  maps.OnCommand(ID_VIEW_WHITESPACE, Do(ToggleWhiteSpace));
  maps.OnCommand(ID_VIEW_WORDWRAP, Do(ToggleWordWrap));
  maps.OnCommand(ID_VIEW_LINES_VIRTUAL, Do([] { SetLineNumbers(0); }));
  maps.OnCommand(ID_VIEW_LINES_REAL, Do([] { SetLineNumbers(1); }));
  maps.OnCommand(ID_VIEW_LINES_NONE, Do([] { SetLineNumbers(2); }));
  maps.OnCommand(ID_VIEW_OPTIONS, Do([self] { OpenOptions(self->hwnd()); }));

  maps.OnCommand(ID_WINDOW_CASCADE, Do(CascadeAll));
  maps.OnCommand(ID_WINDOW_TILE_HORZ, Do(TileAllHorizontally));
  maps.OnCommand(ID_WINDOW_TILE_VERT, Do(TileAllVertically));
  maps.OnCommandRange(ID_WINDOW_FOLDER_FIRST, ID_WINDOW_FOLDER_LAST,
                      [](HWND, UINT, WPARAM w, LPARAM) -> LRESULT {
                        FocusFolderWindow(LOWORD(w) - ID_WINDOW_FOLDER_FIRST);
                        return 0;
                      });
  maps.OnCommandRange(ID_WINDOW_TEXT_FIRST, ID_WINDOW_TEXT_LAST,
                      [](HWND, UINT, WPARAM w, LPARAM) -> LRESULT {
                        FocusTextWindow(LOWORD(w) - ID_WINDOW_TEXT_FIRST);
                        return 0;
                      });

  maps.OnCommand(ID_HELP_MANUAL, Do([] { ShowHelp(nullptr); }));
  maps.OnCommand(ID_HELP_QUICK_TOUR, Do([] { ShowHelp("quicktour.html"); }));
  maps.OnCommand(ID_HELP_SUPPORT, Do([] { ShowHelp("support.html"); }));
  maps.OnCommand(ID_HELP_TIPS, Do([] { ShowTips(); }));
  maps.OnCommand(ID_HELP_WEBSITE, Do([] { OpenLink(kVendorWebSite); }));
  maps.OnCommand(ID_HELP_EMAIL, Do([] { OpenLink(kSupportMailLink); }));
  maps.OnCommand(ID_HELP_ABOUT, Do([self] { ShowAboutBox(self->hwnd()); }));
}

void UpdateCommonMenuStates(HMENU popup) {
  Check(popup, ID_VIEW_TOOLBAR, Settings.ViewToolBar);
  Check(popup, ID_VIEW_QUICKBAR, Settings.ViewQuickBar);
  Check(popup, ID_VIEW_STATUSBAR, Settings.ViewStatusBar);
  Check(popup, ID_VIEW_SUMMARY, Settings.ViewSummary);
  Check(popup, ID_VIEW_WHITESPACE, Settings.ShowWhiteSpace);
  Check(popup, ID_VIEW_SYNC_SCROLL, Settings.SyncScroll);
  const int mode = Settings.ShowLineNumbers;
  if (HMENU holder = FindItemHolder(popup, ID_VIEW_LINES_VIRTUAL); holder && mode >= 0 && mode <= 2) {
    CheckMenuRadioItem(holder, ID_VIEW_LINES_VIRTUAL, ID_VIEW_LINES_NONE,
                       ID_VIEW_LINES_VIRTUAL + mode, MF_BYCOMMAND);
  }
  Enable(popup, ID_FILE_NEW_TEXT_WINDOW, CanCreateTextWindow());
  Enable(popup, ID_FILE_NEW_FOLDER_WINDOW, CanCreateFolderWindow());
  Enable(popup, ID_VIEW_OPTIONS, OptionsAvailable());
}

}  // namespace qm
