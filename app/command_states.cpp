#include "app/command_states.h"

#include "resources/resource.h"

namespace qm {

namespace {

using Test = bool (*)(const CommandContext&);

struct Rule {
  unsigned id;
  Test enabled;           // null: always enabled
  Test checked;           // null: not a toggle
  bool whileBusy = false;  // stays enabled while a comparison runs
};

bool Active(const bool (&flags)[2], const CommandContext& c) { return flags[c.activeSide & 1]; }
// Writing a side needs text that came from its file: a side that was never
// loaded (an empty window, a failed comparison) is never written.
bool CanWriteActive(const CommandContext& c) { return Active(c.loaded, c); }
bool CanSaveSide(const CommandContext& c, int s) { return c.loaded[s] && c.modified[s]; }
// Text can change only on a side that holds a loaded file and may be written.
bool ActiveEditable(const CommandContext& c) {
  return Active(c.loaded, c) && !Active(c.readOnly, c);
}
bool CanReplace(const CommandContext& c, int s) {
  return !c.readOnly[s] && c.loaded[0] && c.loaded[1];
}
bool CanCopyEither(const CommandContext& c) { return c.canCopyLeft || c.canCopyRight; }

const Rule kRules[] = {
    // File
    {ID_FILE_NEW_TEXT_WINDOW, [](const CommandContext& c) { return c.canNewTextWindow; }, nullptr},
    {ID_FILE_NEW_FOLDER_WINDOW, [](const CommandContext& c) { return c.canNewFolderWindow; },
     nullptr},
    {ID_FILE_CLOSE, nullptr, nullptr, true},
    {ID_FILE_EXIT, nullptr, nullptr, true},
    {ID_SIDE_SAVE, [](const CommandContext& c) { return CanSaveSide(c, c.activeSide & 1); },
     nullptr},
    {ID_SIDE_SAVE_AS, CanWriteActive, nullptr},
    {ID_SIDE_SAVE_ALL,
     [](const CommandContext& c) { return CanSaveSide(c, 0) || CanSaveSide(c, 1); }, nullptr},
    {ID_FILE_EXPORT, nullptr, nullptr},
    // Printing reads the rows, which a running comparison is rewriting.
    {ID_FILE_PRINT, nullptr, nullptr},
    {ID_FILE_PRINT_PREVIEW, nullptr, nullptr},
    {ID_FILE_PAGE_SETUP, nullptr, nullptr},
    {ID_FILE_COMPARE_PARENTS, nullptr, nullptr},
    {ID_SIDE_BROWSE, nullptr, nullptr},
    {ID_SIDE_OPEN_IN_APP, nullptr, nullptr},
    {ID_SIDE_EXPLORE, nullptr, nullptr},
    {ID_SIDE_PROPERTIES, nullptr, nullptr},
    // Edit
    {ID_EDIT_UNDO, [](const CommandContext& c) { return c.canUndo; }, nullptr},
    {ID_EDIT_REDO, [](const CommandContext& c) { return c.canRedo; }, nullptr},
    {ID_EDIT_CUT, [](const CommandContext& c) { return c.hasSelection && ActiveEditable(c); },
     nullptr},
    {ID_EDIT_COPY, [](const CommandContext& c) { return c.hasSelection; }, nullptr},
    {ID_EDIT_PASTE, ActiveEditable, nullptr},
    {ID_EDIT_DELETE, ActiveEditable, nullptr},
    {ID_EDIT_SELECT_ALL, nullptr, nullptr},
    // Find reads the rows, which a running comparison is rewriting.
    {ID_EDIT_FIND, nullptr, nullptr},
    {ID_EDIT_FIND_NEXT, nullptr, nullptr},
    {ID_EDIT_FIND_PREV, nullptr, nullptr},
    // Replacing writes one side with the other's text at once: both must
    // hold a loaded file, or an empty side would be written over a file.
    {ID_EDIT_REPLACE_LEFT, [](const CommandContext& c) { return CanReplace(c, 0); }, nullptr},
    {ID_EDIT_REPLACE_RIGHT, [](const CommandContext& c) { return CanReplace(c, 1); }, nullptr},
    // Merges
    {ID_MERGE_COPY_LINE_LEFT, [](const CommandContext& c) { return c.canCopyLeft; }, nullptr},
    {ID_MERGE_COPY_LINE_RIGHT, [](const CommandContext& c) { return c.canCopyRight; }, nullptr},
    {ID_MERGE_DELETE_LINE, [](const CommandContext& c) { return c.canDelete; }, nullptr},
    {ID_MERGE_COPY_LEFT, [](const CommandContext& c) { return c.canCopyLeft; }, nullptr},
    {ID_MERGE_COPY_RIGHT, [](const CommandContext& c) { return c.canCopyRight; }, nullptr},
    {ID_MERGE_DELETE_DIFF, [](const CommandContext& c) { return c.canDelete; }, nullptr},
    {ID_MERGE_COPY_LINE_ANY, CanCopyEither, nullptr},
    {ID_MERGE_COPY_BLOCK_ANY, CanCopyEither, nullptr},
    // View
    {ID_VIEW_TOOLBAR, nullptr, [](const CommandContext& c) { return c.viewToolBar; }},
    {ID_VIEW_QUICKBAR, nullptr, [](const CommandContext& c) { return c.viewQuickBar; }},
    {ID_VIEW_STATUSBAR, nullptr, [](const CommandContext& c) { return c.viewStatusBar; }},
    {ID_VIEW_SUMMARY, nullptr, [](const CommandContext& c) { return c.viewSummary; }},
    {ID_VIEW_WHITESPACE, nullptr, [](const CommandContext& c) { return c.showWhiteSpace; }},
    {ID_VIEW_SYNC_SCROLL, nullptr, [](const CommandContext& c) { return c.syncScroll; }},
    {ID_VIEW_LINES_VIRTUAL, nullptr, [](const CommandContext& c) { return c.lineNumbers == 0; }},
    {ID_VIEW_LINES_REAL, nullptr, [](const CommandContext& c) { return c.lineNumbers == 1; }},
    {ID_VIEW_LINES_NONE, nullptr, [](const CommandContext& c) { return c.lineNumbers == 2; }},
    {ID_VIEW_WORDWRAP, nullptr, nullptr},
    {ID_VIEW_OTHER_SIDE, nullptr, nullptr},
    {ID_VIEW_PREV_DIFF, [](const CommandContext& c) { return c.diffCount > 0; }, nullptr},
    {ID_VIEW_NEXT_DIFF, [](const CommandContext& c) { return c.diffCount > 0; }, nullptr},
    {ID_VIEW_REFRESH, nullptr, nullptr},
    {ID_VIEW_SWITCH_SIDES, nullptr, nullptr},
    {ID_VIEW_OPTIONS, [](const CommandContext& c) { return c.optionsAvailable; }, nullptr},
    // Window
    {ID_WINDOW_CASCADE, nullptr, nullptr, true},
    {ID_WINDOW_TILE_HORZ, nullptr, nullptr, true},
    {ID_WINDOW_TILE_VERT, nullptr, nullptr, true},
};

// The ruled commands a folder window has; every other ruled command is a
// text window's and is disabled there, whatever route it comes by.
bool IsFolderWindowCommand(unsigned id) {
  switch (id) {
    case ID_FILE_NEW_TEXT_WINDOW:
    case ID_FILE_NEW_FOLDER_WINDOW:
    case ID_FILE_COMPARE_PARENTS:
    case ID_FILE_CLOSE:
    case ID_FILE_EXIT:
    case ID_EDIT_UNDO:
    case ID_EDIT_SELECT_ALL:
    case ID_VIEW_TOOLBAR:
    case ID_VIEW_QUICKBAR:
    case ID_VIEW_STATUSBAR:
    case ID_VIEW_REFRESH:
    case ID_VIEW_SWITCH_SIDES:
    case ID_VIEW_OPTIONS:
    case ID_WINDOW_CASCADE:
    case ID_WINDOW_TILE_HORZ:
    case ID_WINDOW_TILE_VERT:
      return true;
    default:
      return false;
  }
}

}  // namespace

bool SameContext(const CommandContext& a, const CommandContext& b) {
  for (int s = 0; s < 2; ++s) {
    if (a.loaded[s] != b.loaded[s] || a.modified[s] != b.modified[s] ||
        a.readOnly[s] != b.readOnly[s]) {
      return false;
    }
  }
  return a.busy == b.busy && a.folderWindow == b.folderWindow &&
         a.activeSide == b.activeSide && a.hasSelection == b.hasSelection &&
         a.diffCount == b.diffCount && a.canUndo == b.canUndo && a.canRedo == b.canRedo &&
         a.canCopyLeft == b.canCopyLeft && a.canCopyRight == b.canCopyRight &&
         a.canDelete == b.canDelete && a.canNewTextWindow == b.canNewTextWindow &&
         a.canNewFolderWindow == b.canNewFolderWindow && a.optionsAvailable == b.optionsAvailable &&
         a.viewToolBar == b.viewToolBar && a.viewQuickBar == b.viewQuickBar &&
         a.viewStatusBar == b.viewStatusBar && a.viewSummary == b.viewSummary &&
         a.showWhiteSpace == b.showWhiteSpace && a.syncScroll == b.syncScroll &&
         a.lineNumbers == b.lineNumbers;
}

CommandState EvaluateCommand(unsigned id, const CommandContext& c) {
  CommandState state;
  for (const Rule& rule : kRules) {
    if (rule.id != id) continue;
    state.enabled = (!c.busy || rule.whileBusy) && (!rule.enabled || rule.enabled(c)) &&
                    (!c.folderWindow || IsFolderWindowCommand(id));
    state.checkable = rule.checked != nullptr;
    state.checked = rule.checked && rule.checked(c);
    state.radio = id >= ID_VIEW_LINES_VIRTUAL && id <= ID_VIEW_LINES_NONE;
    return state;
  }
  return state;
}

const std::vector<unsigned>& RuledCommands() {
  static const std::vector<unsigned> ids = [] {
    std::vector<unsigned> all;
    for (const Rule& rule : kRules) all.push_back(rule.id);
    return all;
  }();
  return ids;
}

}  // namespace qm
