// The parts of the folder window that follow fixed rules and need no
// window: where every child goes for a client size, the name a side shows
// in the title, the tab counts, and Switch Sides on a comparison's state.
// Portable and stateless; safe from any thread on data it is given.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "folders/folder_compare.h"
#include "folders/folder_entry.h"

namespace qm {

// A rectangle in client pixels; w or h of 0 is hidden.
struct FolderBox {
  int x = 0, y = 0, w = 0, h = 0;
};

struct FolderLayoutInput {
  int clientWidth = 0;
  int clientHeight = 0;
  int toolBarHeight = 0;    // 0: hidden
  int quickBarHeight = 0;   // 0: hidden
  int statusBarHeight = 0;  // 0: hidden
  int barHeight = 0;        // the closed folder combo box
  int labelWidth[2] = {0, 0};
  int labelHeight[2] = {0, 0};
  bool modified[2] = {false, false};
};

struct FolderSideBoxes {
  FolderBox label, marker, bar, goUp, browse;
};

struct FolderLayout {
  FolderBox toolBar, quickBar;
  // y of the etched 2-pixel bands: under the tool bar (always drawn, at the
  // top edge when the bar is hidden), under the Quick Bar and above the
  // status bar (-1 while those bars are hidden).
  int toolBarRule = -1, quickBarRule = -1, statusBarRule = -1;
  int top = 0;     // first row of the work area
  int bottom = 0;  // first row below it
  FolderSideBoxes side[2];
  FolderBox tabs;
};

FolderLayout ComputeFolderLayout(const FolderLayoutInput& in);

// The name of a side in the title and the Window menu: the last component
// of path (trailing backslashes ignored, "C:\" gives "C:"), noFolder when
// path fails IsValidFolderPath, then "*" while the side is modified.
std::string FolderDisplayName(const std::string& path, bool modified,
                              const std::string& noFolder);

// Entries of a list that are still Present: what a tab caption counts.
int32_t PresentCount(const std::vector<FolderEntry>& list);

// Switch Sides without a new comparison: the Old and New lists trade
// places; every entry of the Old, New and Changed lists has its flags
// mirrored (hidden / was hidden, read-only / was read-only, newer / older,
// larger / smaller), its swapped flag toggled and its copied-to and
// deleted states exchanged; the Same list is left as it is. The roots and
// the side marks are exchanged too. Applying it twice restores the state.
void SwitchComparisonSides(FolderComparison& comparison);

}  // namespace qm
