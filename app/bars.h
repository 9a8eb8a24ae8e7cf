// The bars every comparison window has: the tool bar ("ToolbarWindow32",
// always 24 pixels high and as wide as the client area, at the top) and the
// status bar ("msctls_statusbar32" with a size grip, part 0 "Press F1 for
// help" without borders), plus the tooltip text rule shared by tool-bar and
// browse buttons.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

namespace qm {

constexpr int kToolBarHeight = 24;

// Creates the tool bar: the strip bitmap bitmapId (16 x 15 images,
// imageCount of them) and one button per entry of commands (0: separator);
// the non-separator buttons take images 0, 1, 2 ... in order. Hidden unless
// visible. Null on failure.
HWND CreateToolBar(HWND parent, UINT id, UINT bitmapId, int imageCount,
                   const std::vector<UINT>& commands, bool visible);
// Places the tool bar at the top, kToolBarHeight high and width wide.
void LayoutToolBar(HWND toolbar, int width);
void EnableToolButton(HWND toolbar, UINT command, bool enabled);

// Creates the status bar (hidden unless visible) with part 0 showing string
// 80 without borders. Null on failure.
HWND CreateStatusBar(HWND parent, UINT id, bool visible);
// Sets the parts by their right edges (-1: to the end).
void SetStatusParts(HWND statusbar, const std::vector<int>& rightEdges);
void SetStatusText(HWND statusbar, int part, const std::string& text, bool noBorders = false);
// The right edges of the text window's four parts for a client width: W -
// 500, W - 340, W - 140 and W, W being the width less SM_CXVSCROLL for the
// size grip unless the window is maximised.
std::vector<int> TextStatusParts(int clientWidth, bool maximized);

// Tooltip of a control or command: the string with that id; when it holds
// a line feed, the text after it; cut to fit NMTTDISPINFO's szText (79
// characters and the terminator).
std::string TooltipFromString(const std::string& text);
std::string TooltipText(UINT id);
// Answers TTN_NEEDTEXT for a tool-bar button (named by its command id) or
// a button registered by its window (TTF_IDISHWND, named by its control id).
void FillTooltip(NMTTDISPINFOA* tip);

// Moves and shows a child (hidden when w or h is 0 or less). A child that
// already stands there is left alone, so nothing repaints for nothing.
void PlaceChild(HWND window, int x, int y, int w, int h);
// The height of a window, whether or not it is on screen yet (0 for none).
int WindowHeight(HWND window);

// The etched 2-pixel band between bars at y, width wide (nothing for y < 0).
void DrawEtchedBand(HDC dc, int y, int width);
// An owner-drawn push button that shows image through mask, pushed while
// pressed, with a focus rectangle while it has the focus.
void DrawImageButton(const DRAWITEMSTRUCT* item, HBITMAP image, HBITMAP mask);

}  // namespace qm
