#include "textwin/pane_layout.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "common/text_format.h"
#include "common/utf8.h"
#include "engine/text_doc.h"

namespace qm {

namespace {

constexpr int kMinSideWidth = 100;
constexpr int kGutterMargin = 6;   // at 96 dpi, either side of the numbers
constexpr int kBareGutter = 8;     // at 96 dpi, without line numbers
constexpr wchar_t kMiddleDot = 0x00B7;
constexpr wchar_t kPilcrow = 0x00B6;
constexpr wchar_t kGuillemet = 0x00BB;
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

namespace {

int ValidTabStop(int tabStop) { return tabStop < 1 || tabStop > kMaxCellText ? 4 : tabStop; }

// Decodes the character at p from at most four bytes before end; the gap
// buffer may split it, so it is gathered byte by byte.
int DecodeAt(const TextDoc& doc, uint32_t p, uint32_t end, uint32_t* codePoint) {
  unsigned char bytes[4];
  const uint32_t available = std::min<uint32_t>(4, end - p);
  for (uint32_t i = 0; i < available; ++i) bytes[i] = doc.ByteAt(p + i);
  return DecodeUtf8(bytes, available, codePoint);
}

int PutUtf16(uint32_t c, wchar_t* out) {
  if (c < 0x10000) {
    out[0] = static_cast<wchar_t>(c);
    return 1;
  }
  c -= 0x10000;
  out[0] = static_cast<wchar_t>(0xD800 | c >> 10);
  out[1] = static_cast<wchar_t>(0xDC00 | (c & 0x3FF));
  return 2;
}

// Columns along one line of a UTF-8 side, as MakeDisplayCell lays cells:
// a combining mark adds nothing after a printable character (it joins that
// cell) and one column anywhere else.
struct Utf8Columns {
  int64_t column = 0;
  bool afterPrintable = false;

  void AddByte(unsigned char byte, int64_t tab) {
    if (byte > ' ') {
      ++column;
      afterPrintable = true;
      return;
    }
    if (byte == '\t')
      column += tab - column % tab;
    else if (byte == ' ' || byte == '\n')
      ++column;
    else
      column += 2;
    afterPrintable = false;
  }
  void AddChar(uint32_t c) {
    if (afterPrintable && IsCombiningChar(c)) return;
    column += std::max(1, CharCells(c));
    afterPrintable = true;
  }
};

}  // namespace

void MakeDisplayCell(const TextDoc& doc, uint32_t p, uint32_t end, int32_t column,
                     const CellRules& rules, DisplayCell* cell) {
  const int tabStop = ValidTabStop(rules.tabStop);
  const bool showWhiteSpace = rules.showWhiteSpace;
  const unsigned char byte = doc.ByteAt(p);
  wchar_t* text = cell->text;
  cell->bytes = 1;
  cell->spread = false;
  cell->length = cell->columns = 1;
  switch (byte) {
    case '\t': {
      const int columns = tabStop - static_cast<int>(column % tabStop);
      for (int i = 0; i < columns; ++i) text[i] = L' ';
      if (showWhiteSpace) text[0] = kGuillemet;
      cell->length = cell->columns = columns;
      cell->spread = true;
      return;
    }
    case ' ':
      text[0] = showWhiteSpace ? kMiddleDot : L' ';
      return;
    case '\n':
      text[0] = showWhiteSpace ? kPilcrow : L' ';
      return;
    default:
      break;
  }
  if (byte < 32) {
    text[0] = L'^';
    text[1] = static_cast<wchar_t>(byte + 64);
    cell->length = cell->columns = 2;
    cell->spread = true;
    return;
  }
  if (!rules.utf8) {
    text[0] = rules.legacy ? rules.legacy[byte] : static_cast<wchar_t>(byte);
    return;
  }
  uint32_t c = byte;
  uint32_t q = p + 1;
  if (byte >= 0x80) q = p + static_cast<uint32_t>(DecodeAt(doc, p, end, &c));
  cell->length = PutUtf16(c, text);
  cell->columns = std::max(1, CharCells(c));
  // Marks start with a lead byte of two or more bytes; ASCII and stray
  // continuation bytes end the cell at once.
  while (q < end && doc.ByteAt(q) >= 0xC2) {
    uint32_t mark = 0;
    const int n = DecodeAt(doc, q, end, &mark);
    if (!IsCombiningChar(mark)) break;
    if (cell->length + 2 <= kMaxCellText) cell->length += PutUtf16(mark, text + cell->length);
    q += static_cast<uint32_t>(n);
  }
  cell->bytes = q - p;
}

int32_t DisplayColumns(const TextDoc& doc, uint32_t start, uint32_t end, int tabStop,
                       bool utf8) {
  tabStop = ValidTabStop(tabStop);
  if (utf8) {
    Utf8Columns counter;
    for (uint32_t p = start; p < end;) {
      const unsigned char byte = doc.ByteAt(p);
      if (byte < 0x80) {
        counter.AddByte(byte, tabStop);
        ++p;
      } else {
        uint32_t c = 0;
        p += static_cast<uint32_t>(DecodeAt(doc, p, end, &c));
        counter.AddChar(c);
      }
    }
    return static_cast<int32_t>(std::min<int64_t>(counter.column, INT32_MAX));
  }
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

int32_t LongestLineColumns(const TextDoc& doc, uint32_t start, uint32_t end, int tabStop,
                           bool utf8) {
  const int64_t tab = ValidTabStop(tabStop);
  const char* runs[2];
  uint32_t counts[2];
  doc.Segments(start, end, &runs[0], &counts[0], &runs[1], &counts[1]);
  // 64 bits: a line of four thousand million control bytes is 8e9 columns.
  int64_t longest = 0;
  if (utf8) {
    // ASCII straight from the runs; a longer character is decoded from the
    // document, since it may straddle the gap, and its other bytes skipped.
    Utf8Columns counter;
    uint32_t position = start;
    uint32_t skip = 0;
    for (int r = 0; r < 2; ++r) {
      const unsigned char* p = reinterpret_cast<const unsigned char*>(runs[r]);
      const unsigned char* const stop = p + counts[r];
      for (; p < stop; ++p, ++position) {
        if (skip > 0) {
          --skip;
          continue;
        }
        const unsigned char byte = *p;
        if (byte >= ' ' && byte < 0x80) {
          // Most of a text is runs of printable ASCII and spaces, a column
          // a byte: counted by the run, as the measure of a whole file
          // after each comparison has to go at the speed of the engine.
          const unsigned char* last = p;
          while (last + 1 < stop && last[1] >= ' ' && last[1] < 0x80) ++last;
          counter.column += last - p + 1;
          counter.afterPrintable = *last > ' ';
          position += static_cast<uint32_t>(last - p);
          p = last;
        } else if (byte == '\n') {
          longest = std::max(longest, counter.column);
          counter = Utf8Columns();
        } else if (byte < 0x80) {
          counter.AddByte(byte, tab);
        } else {
          uint32_t c = 0;
          skip = static_cast<uint32_t>(DecodeAt(doc, position, end, &c)) - 1;
          counter.AddChar(c);
        }
      }
    }
    longest = std::max(longest, counter.column);
    return static_cast<int32_t>(std::min<int64_t>(longest, INT32_MAX));
  }
  int64_t column = 0;
  for (int r = 0; r < 2; ++r) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(runs[r]);
    const unsigned char* const stop = p + counts[r];
    for (; p < stop; ++p) {
      const unsigned char byte = *p;
      if (byte >= 32) {
        const unsigned char* last = p;  // a run of one column a byte, as above
        while (last + 1 < stop && last[1] >= 32) ++last;
        column += last - p + 1;
        p = last;
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
