// Row painting: draws the rows of a comparison (both sides, their line
// numbers and the strip of difference markers between them) onto any device
// context, from the comparison state, the display settings, a geometry and
// a set of fonts made for that device. The text pane paints the screen
// through it and the printing code paints pages through it; neither lends
// the other its fields, so a page drawn for a printer never touches what
// the screen shows.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

#include "app/display_settings.h"
#include "controls/gdi_owner.h"
#include "engine/compare_state.h"

namespace qm {

struct CellRules;

// The pixel geometry of the pane, recomputed by every layout.
struct SideGeometry {
  int left = 0;       // the side's left edge
  int textStart = 0;  // left edge plus the line-number gutter
  int right = 0;      // the side's right edge (exclusive)
};

struct PaneGeometry {
  int width = 0;
  int height = 0;
  int split = 0;       // divider x
  int gutter = 0;      // width of each side's line-number gutter
  SideGeometry side[2];
  int visibleRows = 0;           // whole rows that fit in the height
  int32_t maxTopRow = 0;         // max(0, rows - visibleRows)
  int visibleColumns[2] = {0, 0};
};

// The text and line-number fonts of one device and their metrics.
struct RowFonts {
  GdiObject<HFONT> text;
  GdiObject<HFONT> number;  // 9/10 of the text font's height
  int lineHeight = 16;
  int charWidth = 8;
  bool fixedPitch = true;
  int digitWidth = 8;
  int numberHeight = 14;
  int dpiX = 96;  // what fixed sizes (margins, the strip) are scaled by
  int dpiY = 96;
};

// The user's face at display.FontSize points on dc (its LOGPIXELSY), the
// height then multiplied by scalePercent / 100 (truncating); the number font
// has 9/10 of that height. Metrics are read back from dc.
void MakeRowFonts(HDC dc, const DisplaySettings& display, int scalePercent, RowFonts* fonts);

// The geometry of a pane of width x height showing rows rows: the divider
// at ratio (clamped as the pane clamps it), the strip either side of it,
// the gutters. printing drops the bare gutter of hidden line numbers.
PaneGeometry LayOutRows(int width, int height, float ratio, int32_t rows, int showLineNumbers,
                        const RowFonts& fonts, bool printing);

// How a side of state is cut into display cells under display.
CellRules RowCellRules(const CompareState& state, const DisplaySettings& display, int side);

// What the screen draws over the rows: the selection, the caret box and
// the area below the last row. Paper has none of them.
struct RowDecorations {
  int activeSide = 0;
  uint32_t caret = 0;   // of the active side
  uint32_t anchor = 0;
  int32_t caretRow = 0;
  bool hasFocus = false;
  // Pixel x of an offset within a row of a side, from its text start.
  std::function<int(int side, int32_t row, uint32_t offset)> pixelOf;
  // While text is dragged: draws the drop marker in place of the caret box.
  std::function<void(HDC dc)> dropMarker;
};

struct RowPaintSource {
  const CompareState* state = nullptr;
  const DisplaySettings* display = nullptr;
  const PaneGeometry* geometry = nullptr;
  const RowFonts* fonts = nullptr;
  int32_t topRow = 0;  // drawn at y = 0
  int32_t hscroll[2] = {0, 0};
  const RowDecorations* decorations = nullptr;  // null: rows only
};

// Draws the part rect (pane coordinates) of source onto dc.
void PaintRows(HDC dc, const RowPaintSource& source, const RECT& rect);

}  // namespace qm
