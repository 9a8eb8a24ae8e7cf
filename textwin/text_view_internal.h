// Pieces of TextView shared by its source files (layout, painting,
// scrolling); not for other components.
#pragma once

#include <windows.h>

#include "controls/gdi_owner.h"
#include "textwin/text_view.h"

namespace qm {

// Fixed sizes at 96 dpi.
constexpr int kStripHalf = 10;         // strip width either side of the divider
constexpr int kNumberMargin = 6;       // numbers end this far before the text
constexpr int kArrowMaxHeight = 1000;  // taller blocks get plain bars
constexpr int kDividerWidth = 1;
// ScrollWindowEx moves at most this many pixels; farther jumps repaint.
constexpr int kMaxScrollPixels = 32768;

// The top row that shows a difference block the way navigation does: left
// alone when the block is inside the page, centred when it fits with a row
// to spare either side, else starting one row below the top (unclamped).
int32_t TopRowForBlock(const DiffBlock& block, int32_t top, int32_t visible);

// Moves a scroll bar's thumb; the bar repaints later (null: nothing).
void SetBarPosition(HWND bar, int32_t position);

struct TextView::Fonts : RowFonts {};

// The off-screen bitmap WM_PAINT draws into, kept between paints at the
// pane's size.
struct TextView::BackBuffer {
  GdiObject<HBITMAP> bitmap;
  int width = 0;
  int height = 0;
};

}  // namespace qm
