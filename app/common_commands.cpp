#include "app/common_commands.h"

#include <shellapi.h>

#include "app/about_box.h"
#include "app/command_states.h"
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

CommandContext CommonCommandContext() {
  CommandContext c;
  c.canNewTextWindow = CanCreateTextWindow();
  c.canNewFolderWindow = CanCreateFolderWindow();
  c.optionsAvailable = OptionsAvailable();
  c.viewToolBar = Settings.ViewToolBar;
  c.viewQuickBar = Settings.ViewQuickBar;
  c.viewStatusBar = Settings.ViewStatusBar;
  c.viewSummary = Settings.ViewSummary;
  c.showWhiteSpace = Settings.ShowWhiteSpace;
  c.syncScroll = Settings.SyncScroll;
  c.lineNumbers = Settings.ShowLineNumbers;
  return c;
}

void ApplyCommandStates(HMENU menu, const std::function<CommandState(UINT)>& stateOf) {
  for (int i = 0, n = GetMenuItemCount(menu); i < n; ++i) {
    if (HMENU sub = GetSubMenu(menu, i)) {
      ApplyCommandStates(sub, stateOf);
      continue;
    }
    const UINT id = GetMenuItemID(menu, i);
    if (id == 0 || id == static_cast<UINT>(-1)) continue;  // separators
    const CommandState state = stateOf(id);
    EnableMenuItem(menu, i, MF_BYPOSITION | (state.enabled ? MF_ENABLED : MF_GRAYED));
    if (!state.checkable) continue;
    if (state.radio) {
      // The mark goes to the checked item of the run of radio items.
      if (!state.checked) continue;
      auto isRadio = [&](int at) { return stateOf(GetMenuItemID(menu, at)).radio; };
      int first = i, last = i;
      while (first > 0 && isRadio(first - 1)) --first;
      while (last + 1 < n && isRadio(last + 1)) ++last;
      CheckMenuRadioItem(menu, first, last, i, MF_BYPOSITION);
    } else {
      CheckMenuItem(menu, i, MF_BYPOSITION | (state.checked ? MF_CHECKED : MF_UNCHECKED));
    }
  }
}

}  // namespace qm
