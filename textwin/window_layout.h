// PaneLayout: where every child of a compare window goes, as plain
// arithmetic over the client size, the bar heights and the system metrics,
// so that the rules can be checked without a window. Also the pieces of
// the title and status texts that follow fixed rules.
//
// Coordinates are client pixels; a Box with w or h of 0 is hidden.
#pragma once

#include <string>

namespace qm {

struct Box {
  int x = 0, y = 0, w = 0, h = 0;
  bool operator==(const Box& o) const { return x == o.x && y == o.y && w == o.w && h == o.h; }
};

struct LayoutInput {
  int clientWidth = 0;
  int clientHeight = 0;
  int toolBarHeight = 0;    // 0 when hidden
  int quickBarHeight = 0;   // 0 when hidden
  int statusBarHeight = 0;  // 0 when hidden
  int nameBoxHeight = 0;    // the left name box's window height
  int cxVScroll = 16;       // SM_CXVSCROLL
  int cyHScroll = 16;       // SM_CYHSCROLL
  bool summaryShown = true;
  double splitRatio = 0.5;
  bool modified[2] = {false, false};
  bool readOnly[2] = {false, false};
};

struct NameBar {
  Box modifiedMark;  // 9 by 11 when the side is modified, else hidden
  Box readOnlyMark;  // 9 by 11 when the side is read-only, else hidden
  Box nameBox;       // height: the box's own
  Box browse;        // 23 by 23
};

struct PaneLayoutResult {
  int top = 0;       // first row below the bands
  int bottom = 0;    // first row of the status bar's separator (or the client height)
  int paneTop = 0;   // T
  int paneWidth = 0; // W
  int paneHeight = 0;  // P
  int split = 0;     // S
  Box toolBar, quickBar, statusBar;
  // y of the etched separators: under the tool bar, under the Quick Bar and
  // above the status bar; -1 when that bar is hidden (the first one is
  // always drawn, at the top edge when the tool bar is hidden).
  int toolBarRule = -1, quickBarRule = -1, statusBarRule = -1;
  Box pane, vScroll, summary;
  Box hScroll[2], thumb;
  NameBar side[2];
  Box nameBand;  // painted by the window in COLOR_BTNFACE
  Box corner;    // below the vertical scroll bar, beside the horizontal ones
};

PaneLayoutResult ComputePaneLayout(const LayoutInput& in);

// The name a side shows in the title: the part after the last backslash
// when the path is a valid file name, else noFile; "*" added when modified.
std::string SideDisplayName(const std::string& path, bool modified, const std::string& noFile);

}  // namespace qm
