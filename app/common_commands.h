// The commands every comparison window handles the same way (File: new
// windows, Close, Exit; View toggles and Options; Window: arranging and the
// window list; Help), and the menu states that go with them.
#pragma once

#include <windows.h>

#include <functional>

#include "app/command_states.h"
#include "controls/window_base.h"

namespace qm {

class ComparisonWindow;

// Registers the common commands in maps, handled for window.
void RegisterCommonCommands(ComparisonWindow& window, HandlerMaps& maps);
// The part of the command-state context every comparison window shares:
// the window manager's tests and the View toggles of Settings.
CommandContext CommonCommandContext();
// Enables, checks and radio-marks every item of menu (and its submenus) as
// stateOf says.
void ApplyCommandStates(HMENU menu, const std::function<CommandState(UINT)>& stateOf);

}  // namespace qm
