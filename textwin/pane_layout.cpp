#include "textwin/pane_layout.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "common/text_format.h"
#include "engine/text_doc.h"

namespace qm {

namespace {

constexpr int kMinSideWidth = 100;
constexpr int kGutterMargin = 6;   // at 96 dpi, either side of the numbers
constexpr int kBareGutter = 8;     // at 96 dpi, without line numbers
constexpr unsigned char kMiddleDot = 183;
constexpr unsigned char kPilcrow = 182;
constexpr unsigned char kGuillemet = 187;
// Pixel offsets of a scroll range stay below this, so that adding a pane
// width to them cannot overflow.
constexpr int32_t kMaxRangePixels = INT_MAX / 2;

}  // namespace

int ScaleToDpi(int size, int dpi) {
  // MulDiv(size, dpi, 96): rounds half away from zero.
  const int64_t product = static_cast<int64_t>(size) * dpi;
  const int64_t rounded = product >= 0 ? (product + 48) / 96 : (product - 48) / 96;
  return static_cast<int>(rounded);
}

int ComputeSplit(int width, float* ratio) {
  if (width <= 0) return kMinSideWidth;
  int split = static_cast<int>(static_cast<float>(width) * *ratio);
  if (split > width - kMinSideWidth) {
    split = width - kMinSideWidth;
    *ratio = (static_cast<float>(split) + 0.5f) / static_cast<float>(width);
  }
  if (split < kMinSideWidth) {
    split = kMinSideWidth;
    *ratio = (static_cast<float>(split) + 0.5f) / static_cast<float>(width);
  }
  return split;
}

int GutterWidth(int showLineNumbers, int32_t rowCount, int digitWidth, int dpi, bool printing) {
  if (showLineNumbers == 0 || showLineNumbers == 1)
    return DecimalDigits(rowCount) * digitWidth + 2 * ScaleToDpi(kGutterMargin, dpi);
  return printing ? 0 : ScaleToDpi(kBareGutter, dpi);
}

void MakeDisplayCell(unsigned char byte, int32_t column, int tabStop, bool showWhiteSpace,
                     DisplayCell* cell) {
  if (tabStop < 1 || tabStop > kMaxCellText) tabStop = 4;
  char* text = cell->text;
  switch (byte) {
    case '\t': {
      const int columns = tabStop - static_cast<int>(column % tabStop);
      std::memset(text, ' ', static_cast<size_t>(columns));
      if (showWhiteSpace) text[0] = static_cast<char>(kGuillemet);
      cell->length = cell->columns = columns;
      return;
    }
    case ' ':
      text[0] = static_cast<char>(showWhiteSpace ? kMiddleDot : ' ');
      break;
    case '\n':
      text[0] = static_cast<char>(showWhiteSpace ? kPilcrow : ' ');
      break;
    default:
      if (byte < 32) {
        text[0] = '^';
        text[1] = static_cast<char>(byte + 64);
        cell->length = cell->columns = 2;
        return;
      }
      text[0] = static_cast<char>(byte);
      break;
  }
  cell->length = cell->columns = 1;
}

int32_t DisplayColumns(const TextDoc& doc, uint32_t start, uint32_t end, int tabStop) {
  if (tabStop < 1 || tabStop > kMaxCellText) tabStop = 4;
  int32_t column = 0;
  for (uint32_t p = start; p < end; ++p) {
    const unsigned char byte = doc.ByteAt(p);
    if (byte == '\t')
      column += tabStop - column % tabStop;
    else if (byte < 32 && byte != '\n')
      column += 2;
    else
      column += 1;
  }
  return column;
}

int32_t LongestLineColumns(const TextDoc& doc, uint32_t start, uint32_t end, int tabStop) {
  if (tabStop < 1 || tabStop > kMaxCellText) tabStop = 4;
  const int64_t tab = tabStop;
  const char* runs[2];
  uint32_t counts[2];
  doc.Segments(start, end, &runs[0], &counts[0], &runs[1], &counts[1]);
  // 64 bits: a line of four thousand million control bytes is 8e9 columns.
  int64_t longest = 0;
  int64_t column = 0;
  for (int r = 0; r < 2; ++r) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(runs[r]);
    const unsigned char* const stop = p + counts[r];
    for (; p < stop; ++p) {
      const unsigned char byte = *p;
      if (byte >= 32) {
        ++column;
      } else if (byte == '\n') {
        longest = std::max(longest, column);
        column = 0;
      } else if (byte == '\t') {
        column += tab - column % tab;
      } else {
        column += 2;
      }
    }
  }
  longest = std::max(longest, column);
  return static_cast<int32_t>(std::min<int64_t>(longest, INT32_MAX));
}

int32_t HorizontalRange(int32_t longestLine, int32_t minimum, int charWidth) {
  const int32_t limit = kMaxRangePixels / std::max(1, charWidth);
  const int32_t wanted = longestLine < limit ? longestLine + 1 : limit;
  return std::max(wanted, minimum);
}

}  // namespace qm
