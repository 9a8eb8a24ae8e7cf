// The text pane's pure arithmetic: split position, gutter width, display
// cells of characters (UTF-8 or legacy bytes; tabs, control bytes, visible
// white space) and display columns. No windows here, so every rule can be
// checked without a screen.
#pragma once

#include <cstdint>

namespace qm {

class TextDoc;

// size pixels at 96 dpi scaled to dpi, rounded as MulDiv rounds.
int ScaleToDpi(int size, int dpi);

// The divider position for a pane width and ratio, kept at least 100 pixels
// from either edge and from the left edge first when the pane is narrower
// than 200. ratio is replaced by the ratio of the clamped position.
int ComputeSplit(int width, float* ratio);

// The line-number gutter: ShowLineNumbers 0 or 1 gives the digits of the
// row count times the digit width plus 6 pixels (at 96 dpi) either side;
// 2 gives 8 pixels, none while printing.
int GutterWidth(int showLineNumbers, int32_t rowCount, int digitWidth, int dpi, bool printing);

// How a side's bytes are read. A UTF-8 side is read in characters: an
// East Asian wide character takes two columns, a combining mark joins the
// character before it, and a byte that starts no well-formed sequence is
// a character of its own shown as U+FFFD. A legacy side is one byte a
// character, through legacy (256 characters; null: Latin-1).
struct CellRules {
  int tabStop = 4;
  bool showWhiteSpace = false;
  bool utf8 = false;
  const wchar_t* legacy = nullptr;
};

// How one character is shown at a display column. Tabs reach the next tab
// stop; other control bytes show as a caret and a letter over two columns;
// with white space shown, a space is a middle dot, a tab starts with a
// guillemet and the line feed is a pilcrow.
constexpr int kMaxCellText = 16;  // the largest tab stop
struct DisplayCell {
  wchar_t text[kMaxCellText];
  int length = 0;      // UTF-16 units of text
  int columns = 0;     // display columns covered
  uint32_t bytes = 0;  // document bytes shown, at least 1
  // Each unit of text takes one column (tabs, control bytes); otherwise the
  // first unit takes all the columns and the rest (the low half of a
  // surrogate pair, combining marks) draw over it.
  bool spread = false;
};
// The cell of the character that starts at byte p of doc, before end
// (p < end). Combining marks after it join the cell (marks beyond the
// text's room are covered but not drawn).
void MakeDisplayCell(const TextDoc& doc, uint32_t p, uint32_t end, int32_t column,
                     const CellRules& rules, DisplayCell* cell);

// Display columns covered by the bytes [start, end) of doc that begin a row
// (tabs expanded from column 0), counted as the cells count them: end must
// lie on a character boundary.
int32_t DisplayColumns(const TextDoc& doc, uint32_t start, uint32_t end, int tabStop,
                       bool utf8);

// The display columns of the widest line among the bytes [start, end) of
// doc, counted as DisplayColumns counts them (start begins a line; each LF
// ends one and is not counted). Saturates at INT32_MAX.
int32_t LongestLineColumns(const TextDoc& doc, uint32_t start, uint32_t end, int tabStop,
                           bool utf8);

// A side's horizontal scroll range in columns for its widest line: one
// column more than the line (the caret after its last character, or the
// pilcrow), at least minimum, and at most what keeps the pixel offsets of
// the range within an int at charWidth pixels a column.
int32_t HorizontalRange(int32_t longestLine, int32_t minimum, int charWidth);

}  // namespace qm
