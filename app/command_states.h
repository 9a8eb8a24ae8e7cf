// Command states: whether each command of a comparison window is enabled
// (and, for toggles, checked) in the window's present state.
//
// One table decides for every route a command can take: the menus read it
// when a popup opens, the tool bar after every change, and the window's
// WM_COMMAND dispatch reads it before any handler runs, so a command that
// is disabled cannot run by an accelerator, a context menu or a message
// sent from outside either. Commands the table does not list are always
// enabled (window-list entries, control notifications).
//
// Portable: the window fills a CommandContext and asks; no windows.h.
#pragma once

#include <cstdint>
#include <vector>

namespace qm {

// A snapshot of what the rules read, taken by the window when it asks.
struct CommandContext {
  // A comparison is running on a worker: only closing, arranging windows
  // and help remain.
  bool busy = false;
  // Per side (0 left, 1 right): loaded by a successful comparison,
  // modified since, read-only.
  bool loaded[2] = {false, false};
  bool modified[2] = {false, false};
  bool readOnly[2] = {false, false};
  int activeSide = 0;
  bool hasSelection = false;
  int32_t diffCount = 0;
  bool canUndo = false;
  bool canRedo = false;
  // Merges on the caret row: a copy towards the left or the right side,
  // deleting from the active side.
  bool canCopyLeft = false;
  bool canCopyRight = false;
  bool canDelete = false;
  // A folder window: only the commands of its menu, tool bar and keys run
  // there; canUndo then stands for the folder undo setting.
  bool folderWindow = false;
  // The window manager's tests (reuse settings).
  bool canNewTextWindow = true;
  bool canNewFolderWindow = true;
  bool optionsAvailable = true;
  // Toggles shown with a check mark.
  bool viewToolBar = false;
  bool viewQuickBar = false;
  bool viewStatusBar = false;
  bool viewSummary = false;
  bool showWhiteSpace = false;
  bool syncScroll = false;
  int lineNumbers = 0;  // 0 virtual, 1 real, 2 none
};

struct CommandState {
  bool enabled = true;
  bool checkable = false;  // a toggle or radio item: checked is meaningful
  bool radio = false;      // one of a run of items of which one is marked
  bool checked = false;
};

// True when the rules see the same state in a and b.
bool SameContext(const CommandContext& a, const CommandContext& b);

// The state of command id in context c.
CommandState EvaluateCommand(unsigned id, const CommandContext& c);
// Every command id the table has a rule for, in table order.
const std::vector<unsigned>& RuledCommands();

}  // namespace qm
