// The arithmetic of the summary bar: how the rows of a comparison map onto
// the bar's pixels and back, which pixel rows carry a mark and how each one
// is drawn, where the caret frame goes, and what a right click aims at.
//
// The bar draws the whole DiffList as a column of marks in a mark area of
// height H below a top margin M. With more rows than the pane shows, M is the
// height of a scroll-bar arrow so that the marks line up with the scroll
// bar's track; otherwise each mark sits beside its rows (H = rows x line
// height, no margin). Every row gets a span [y0, y1) of at least one pixel
// inside [0, H); later rows win where spans share pixels.
//
// Portable: no window, no GDI. The window (summary_bar.h) draws from these.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/diff_list.h"

namespace qm {

struct SummaryScale {
  int margin = 0;  // M: pixels above (and below) the mark area
  int height = 0;  // H: the mark area; below 1 nothing is drawn
};

// rows: N, the DiffList's rows; visibleRows: V, whole rows the pane shows;
// windowHeight: the bar's client height; arrowHeight: SM_CYVSCROLL.
SummaryScale ComputeSummaryScale(int32_t rows, int32_t visibleRows, int windowHeight,
                                 int lineHeight, int arrowHeight);

// A half-open span of pixel rows of the mark area.
struct PixelSpan {
  int y0 = 0;
  int y1 = 0;
};

// The pixels of row (0 <= row < rows) in a mark area of height H >= 1:
// y0 rounded from row x H / rows and at most H - 1, y1 likewise from the next
// row but at least y0 + 1 and at most H; the last row ends at H.
PixelSpan RowPixels(int32_t row, int32_t rows, int height);

// The row under y (bar client coordinates), the one whose span holds the
// pixel when H >= rows: row 0 in and above the margin,
// the last row below the area. Row 0 when there are no rows or no area.
int32_t RowAtPixel(int y, const SummaryScale& scale, int32_t rows);

// H bytes, each the RowKind of the last non-Same row whose span covers that
// pixel row, 0 where none does.
std::vector<uint8_t> MarkPixels(const DiffList& list, int height);

// How one pixel row of the mark area is drawn (between the side columns).
enum class MarkStyle : uint8_t {
  Background,  // button face
  Edge,        // the whole row in the edge colour of kind
  Filled,      // one edge pixel, the fill of kind, one edge pixel
};

struct MarkRow {
  MarkStyle style = MarkStyle::Background;
  uint8_t kind = 0;  // the RowKind whose colours draw it
};

// The style of every pixel row of marks (MarkPixels). A marked row is
// filled; an unmarked row next to a marked one becomes a one-pixel border
// in that mark's edge colour (the mark above wins over the one below
// when a single row lies between two); the area's first
// and last rows, when marked, are drawn as edges so that a mark touching the
// end of the area still shows its border.
std::vector<MarkRow> MarkRows(const std::vector<uint8_t>& marks);

// The caret frame around row's span: grown to 5 pixels (alternately one up
// and one down, starting up), then moved down to start at 0 or up to end
// at H.
PixelSpan CaretFrame(int32_t row, int32_t rows, int height);

// What a right click at row goes to: the difference at row or, when row is
// unchanged, the nearer of the one above and the one below (the one above
// on a tie), as DiffList::NearestDifference finds it. Without any, a block
// of kind Same holding row alone: the click then acts like a left click.
DiffBlock RightClickTarget(const DiffList& list, int32_t row);

}  // namespace qm
