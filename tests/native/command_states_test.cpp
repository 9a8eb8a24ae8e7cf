#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "app/command_states.h"
#include "resources/resource.h"

namespace qm {
namespace {

CommandContext RandomContext(std::mt19937& rng) {
  auto flip = [&] { return (rng() & 1) != 0; };
  CommandContext c;
  c.busy = (rng() % 4) == 0;
  for (int s = 0; s < 2; ++s) {
    c.loaded[s] = flip();
    c.modified[s] = flip();
    c.readOnly[s] = flip();
  }
  c.activeSide = static_cast<int>(rng() % 2);
  c.hasSelection = flip();
  c.diffCount = static_cast<int32_t>(rng() % 3);
  c.canUndo = flip();
  c.canRedo = flip();
  c.canCopyLeft = flip();
  c.canCopyRight = flip();
  c.canDelete = flip();
  c.canNewTextWindow = flip();
  c.canNewFolderWindow = flip();
  c.viewToolBar = flip();
  c.syncScroll = flip();
  c.lineNumbers = static_cast<int>(rng() % 3);
  return c;
}

bool Enabled(unsigned id, const CommandContext& c) { return EvaluateCommand(id, c).enabled; }

// The rules against an independent statement of them, over random states.
TEST(CommandStates, RulesHoldInEveryState) {
  std::mt19937 rng(7);
  for (int i = 0; i < 5000; ++i) {
    const CommandContext c = RandomContext(rng);
    const int a = c.activeSide;
    SCOPED_TRACE(i);
    if (c.busy) {
      // A running comparison leaves only closing and arranging.
      for (unsigned id : RuledCommands()) {
        const bool allowed = id == ID_FILE_CLOSE || id == ID_FILE_EXIT ||
                             id == ID_WINDOW_CASCADE || id == ID_WINDOW_TILE_HORZ ||
                             id == ID_WINDOW_TILE_VERT;
        EXPECT_EQ(Enabled(id, c), allowed) << id;
      }
      continue;
    }
    // Nothing is ever written from a side that was not loaded.
    EXPECT_EQ(Enabled(ID_SIDE_SAVE, c), c.loaded[a] && c.modified[a]);
    EXPECT_EQ(Enabled(ID_SIDE_SAVE_AS, c), c.loaded[a]);
    EXPECT_EQ(Enabled(ID_SIDE_SAVE_ALL, c),
              (c.loaded[0] && c.modified[0]) || (c.loaded[1] && c.modified[1]));
    EXPECT_EQ(Enabled(ID_FILE_NEW_TEXT_WINDOW, c), c.canNewTextWindow);
    EXPECT_EQ(Enabled(ID_FILE_NEW_FOLDER_WINDOW, c), c.canNewFolderWindow);
    EXPECT_EQ(Enabled(ID_EDIT_UNDO, c), c.canUndo);
    EXPECT_EQ(Enabled(ID_EDIT_REDO, c), c.canRedo);
    EXPECT_EQ(Enabled(ID_EDIT_COPY, c), c.hasSelection);
    const bool editable = c.loaded[a] && !c.readOnly[a];
    EXPECT_EQ(Enabled(ID_EDIT_CUT, c), c.hasSelection && editable);
    EXPECT_EQ(Enabled(ID_EDIT_PASTE, c), editable);
    EXPECT_EQ(Enabled(ID_EDIT_DELETE, c), editable);
    // Replacing writes the side at once: never from or to an unloaded side.
    const bool both = c.loaded[0] && c.loaded[1];
    EXPECT_EQ(Enabled(ID_EDIT_REPLACE_LEFT, c), !c.readOnly[0] && both);
    EXPECT_EQ(Enabled(ID_EDIT_REPLACE_RIGHT, c), !c.readOnly[1] && both);
    for (unsigned id : {ID_MERGE_COPY_LEFT, ID_MERGE_COPY_LINE_LEFT})
      EXPECT_EQ(Enabled(id, c), c.canCopyLeft) << id;
    for (unsigned id : {ID_MERGE_COPY_RIGHT, ID_MERGE_COPY_LINE_RIGHT})
      EXPECT_EQ(Enabled(id, c), c.canCopyRight) << id;
    for (unsigned id : {ID_MERGE_DELETE_DIFF, ID_MERGE_DELETE_LINE})
      EXPECT_EQ(Enabled(id, c), c.canDelete) << id;
    EXPECT_EQ(Enabled(ID_MERGE_COPY_BLOCK_ANY, c), c.canCopyLeft || c.canCopyRight);
    EXPECT_EQ(Enabled(ID_VIEW_NEXT_DIFF, c), c.diffCount > 0);
    EXPECT_EQ(Enabled(ID_VIEW_PREV_DIFF, c), c.diffCount > 0);
    for (unsigned always : {ID_VIEW_REFRESH, ID_VIEW_SWITCH_SIDES, ID_FILE_EXPORT,
                            ID_EDIT_SELECT_ALL, ID_FILE_CLOSE, ID_FILE_EXIT}) {
      EXPECT_TRUE(Enabled(always, c)) << always;
    }
    // Exactly one line-number mode carries the radio mark.
    int marked = 0;
    for (unsigned id : {ID_VIEW_LINES_VIRTUAL, ID_VIEW_LINES_REAL, ID_VIEW_LINES_NONE}) {
      const CommandState s = EvaluateCommand(id, c);
      EXPECT_TRUE(s.checkable);
      marked += s.checked;
      if (s.checked) {
        EXPECT_EQ(id - ID_VIEW_LINES_VIRTUAL, static_cast<unsigned>(c.lineNumbers));
      }
    }
    EXPECT_EQ(marked, 1);
    EXPECT_EQ(EvaluateCommand(ID_VIEW_TOOLBAR, c).checked, c.viewToolBar);
    EXPECT_EQ(EvaluateCommand(ID_VIEW_SYNC_SCROLL, c).checked, c.syncScroll);
  }
}

// The tool bar skips its update when the state is the same: a field the
// comparison forgets would leave a button stale. Any one field changed must
// count as a change whenever some rule reads it.
TEST(CommandStates, EveryFieldARuleReadsMakesADifferentContext) {
  std::mt19937 rng(3);
  for (int i = 0; i < 3000; ++i) {
    const CommandContext a = RandomContext(rng);
    CommandContext b = a;
    switch (rng() % 20) {
      case 0: b.busy = !b.busy; break;
      case 1: b.loaded[rng() % 2] ^= true; break;
      case 2: b.modified[rng() % 2] ^= true; break;
      case 3: b.readOnly[rng() % 2] ^= true; break;
      case 4: b.activeSide = 1 - b.activeSide; break;
      case 5: b.hasSelection = !b.hasSelection; break;
      case 6: b.diffCount = b.diffCount ? 0 : 1; break;
      case 7: b.canUndo = !b.canUndo; break;
      case 8: b.canRedo = !b.canRedo; break;
      case 9: b.canCopyLeft = !b.canCopyLeft; break;
      case 10: b.canCopyRight = !b.canCopyRight; break;
      case 11: b.canDelete = !b.canDelete; break;
      case 12: b.canNewTextWindow = !b.canNewTextWindow; break;
      case 13: b.canNewFolderWindow = !b.canNewFolderWindow; break;
      case 14: b.optionsAvailable = !b.optionsAvailable; break;
      case 15: b.viewToolBar = !b.viewToolBar; break;
      case 16: b.viewSummary = !b.viewSummary; break;
      case 17: b.syncScroll = !b.syncScroll; break;
      case 18: b.showWhiteSpace = !b.showWhiteSpace; break;
      default: b.lineNumbers = (b.lineNumbers + 1) % 3; break;
    }
    if (!SameContext(a, b)) continue;
    for (unsigned id : RuledCommands()) {
      const CommandState x = EvaluateCommand(id, a);
      const CommandState y = EvaluateCommand(id, b);
      EXPECT_TRUE(x.enabled == y.enabled && x.checked == y.checked) << "command " << id;
    }
  }
}

TEST(CommandStates, UnlistedIdsAreLeftAlone) {
  CommandContext busy;
  busy.busy = true;
  for (unsigned id : {unsigned{ID_WINDOW_TEXT_FIRST}, unsigned{IDC_LEFT_NAME}, 12345u}) {
    EXPECT_TRUE(EvaluateCommand(id, busy).enabled) << id;
    EXPECT_FALSE(EvaluateCommand(id, busy).checkable) << id;
  }
  // The table names each command once.
  std::vector<unsigned> ids = RuledCommands();
  std::sort(ids.begin(), ids.end());
  EXPECT_EQ(std::adjacent_find(ids.begin(), ids.end()), ids.end());
}

// A folder window runs only the commands of its own menu, tool bar and
// keys: a text window's command sent to it (a save, a merge, Find) is off
// in every state, and Undo follows the folder undo setting.
TEST(CommandStates, FolderWindowRunsOnlyItsOwnCommands) {
  const std::vector<unsigned> folderCommands = {
      ID_FILE_NEW_TEXT_WINDOW, ID_FILE_NEW_FOLDER_WINDOW, ID_FILE_COMPARE_PARENTS, ID_FILE_CLOSE,
      ID_FILE_EXIT, ID_EDIT_UNDO, ID_EDIT_SELECT_ALL, ID_VIEW_TOOLBAR, ID_VIEW_QUICKBAR,
      ID_VIEW_STATUSBAR, ID_VIEW_REFRESH, ID_VIEW_SWITCH_SIDES, ID_VIEW_OPTIONS,
      ID_WINDOW_CASCADE, ID_WINDOW_TILE_HORZ, ID_WINDOW_TILE_VERT};
  std::mt19937 rng(11);
  for (int i = 0; i < 2000; ++i) {
    CommandContext c = RandomContext(rng);
    c.folderWindow = true;
    SCOPED_TRACE(i);
    for (unsigned id : RuledCommands()) {
      const bool own =
          std::find(folderCommands.begin(), folderCommands.end(), id) != folderCommands.end();
      if (!own) {
        EXPECT_FALSE(Enabled(id, c)) << id;
      }
    }
    if (!c.busy) {
      EXPECT_EQ(Enabled(ID_EDIT_UNDO, c), c.canUndo);
      EXPECT_TRUE(Enabled(ID_VIEW_REFRESH, c));
      EXPECT_TRUE(Enabled(ID_VIEW_SWITCH_SIDES, c));
    }
    CommandContext text = c;
    text.folderWindow = false;
    EXPECT_FALSE(SameContext(c, text));
  }
}

}  // namespace
}  // namespace qm
