// The commands every comparison window handles the same way (File: new
// windows, Close, Exit; View toggles and Options; Window: arranging and the
// window list; Help), and the menu states that go with them.
#pragma once

#include <windows.h>

#include "controls/window_base.h"

namespace qm {

class ComparisonWindow;

// Registers the common commands in maps, handled for window.
void RegisterCommonCommands(ComparisonWindow& window, HandlerMaps& maps);
// Checks and enables the common items present in popup (or its submenus):
// the bar toggles, Summary, White Space, Sync Scrolling, the line-number
// radio items, New Text/Folder Window and Options.
void UpdateCommonMenuStates(HMENU popup);

}  // namespace qm
