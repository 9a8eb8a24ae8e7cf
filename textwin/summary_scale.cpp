#include "textwin/summary_scale.h"

#include <algorithm>

namespace qm {

SummaryScale ComputeSummaryScale(int32_t rows, int32_t visibleRows, int windowHeight,
                                 int lineHeight, int arrowHeight) {
  SummaryScale scale;
  if (rows > visibleRows) {
    scale.margin = arrowHeight;
    scale.height = windowHeight - 2 * arrowHeight;
  } else {
    // rows <= visibleRows, so rows x line height fits the pane's height.
    scale.height = static_cast<int>(std::max<int32_t>(rows, 0) * static_cast<int64_t>(lineHeight));
  }
  return scale;
}

namespace {

// row x H / rows rounded to the nearest pixel, in floating point: the
// product overflows 32 bits for long lists.
int ScaledEdge(int64_t row, int32_t rows, int height) {
  return static_cast<int>(static_cast<double>(row) * height / rows + 0.5);
}

}  // namespace

PixelSpan RowPixels(int32_t row, int32_t rows, int height) {
  PixelSpan span;
  span.y0 = std::min(ScaledEdge(row, rows, height), height - 1);
  if (row >= rows - 1) {
    span.y1 = height;
  } else {
    span.y1 = std::clamp(ScaledEdge(int64_t{row} + 1, rows, height), span.y0 + 1, height);
  }
  return span;
}

int32_t RowAtPixel(int y, const SummaryScale& scale, int32_t rows) {
  if (rows < 1 || scale.height < 1 || y <= scale.margin) return 0;
  if (y >= scale.margin + scale.height) return rows - 1;
  // The row whose span holds the pixel: spans start at row x H / rows
  // rounded, so the pixel is measured at its centre, and a pixel lying
  // exactly on a rounding tie belongs to the row above (its span starts a
  // pixel later). Truncating (y - M) x rows / H instead would send a click
  // on the top pixel of a mark to the row before it.
  const int64_t twiceHeight = 2 * int64_t{scale.height};
  const int64_t centre = (2 * int64_t{y - scale.margin} + 1) * rows;
  const int64_t row = (centre + twiceHeight - 1) / twiceHeight - 1;
  return static_cast<int32_t>(std::clamp<int64_t>(row, 0, rows - 1));
}

std::vector<uint8_t> MarkPixels(const DiffList& list, int height) {
  std::vector<uint8_t> marks(static_cast<size_t>(std::max(height, 0)), 0);
  if (height < 1) return marks;
  const int32_t rows = list.RowCount();
  for (int32_t row = 0; row < rows; ++row) {
    const RowKind kind = list.Kind(row);
    if (kind == RowKind::Same) continue;
    const PixelSpan span = RowPixels(row, rows, height);
    std::fill(marks.begin() + span.y0, marks.begin() + span.y1, static_cast<uint8_t>(kind));
  }
  return marks;
}

std::vector<MarkRow> MarkRows(const std::vector<uint8_t>& marks) {
  const size_t height = marks.size();
  std::vector<MarkRow> styles(height);
  for (size_t y = 0; y < height; ++y) {
    MarkRow& row = styles[y];
    if (marks[y] != 0) {
      row = {MarkStyle::Filled, marks[y]};
    } else if (y > 0 && marks[y - 1] != 0) {
      row = {MarkStyle::Edge, marks[y - 1]};
    } else if (y + 1 < height && marks[y + 1] != 0) {
      row = {MarkStyle::Edge, marks[y + 1]};
    }
  }
  // A mark that reaches an end of the area has no neighbour to carry its
  // border there: its own end row becomes the border.
  if (height > 0 && marks[0] != 0) styles[0].style = MarkStyle::Edge;
  if (height > 0 && marks[height - 1] != 0) styles[height - 1].style = MarkStyle::Edge;
  return styles;
}

PixelSpan CaretFrame(int32_t row, int32_t rows, int height) {
  PixelSpan frame = RowPixels(row, rows, height);
  // An odd height grows upwards, an even one downwards: 1 -> 2 -> 3 -> 4 -> 5.
  while (frame.y1 - frame.y0 < 5) {
    if ((frame.y1 - frame.y0) % 2 == 1)
      --frame.y0;
    else
      ++frame.y1;
  }
  if (frame.y0 < 0) {
    frame.y1 -= frame.y0;
    frame.y0 = 0;
  }
  if (frame.y1 > height) {
    frame.y0 -= frame.y1 - height;
    frame.y1 = height;
  }
  return frame;
}

DiffBlock RightClickTarget(const DiffList& list, int32_t row) {
  DiffBlock block;
  // Only differences on either side of row count: never wrap around.
  if (list.NearestDifference(row, false, &block)) return block;
  block = DiffBlock();
  block.firstRow = block.lastRow = row;
  return block;
}

}  // namespace qm
