// The summary bar's scale: rows onto pixels and back, the marks and their
// borders, the caret frame and the right click's target.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "textwin/summary_scale.h"

namespace qm {
namespace {

// One letter per row: S same, L left only, R right only, C changed.
void Fill(DiffList& list, const std::string& kinds) {
  list.ClearRows();
  for (size_t row = 0; row < kinds.size(); ++row)
    list.AppendRow(static_cast<RowKind>(std::string("SLRC").find(kinds[row])),
                   static_cast<uint32_t>(2 * row), static_cast<uint32_t>(2 * row));
}

TEST(SummaryScale, RowsMapOntoPixelsAndBackAndEveryDifferenceShowsAFramedMark) {
  std::mt19937 random(20261208);
  DiffList list;
  for (int round = 0; round < 300; ++round) {
    const int32_t rows = 1 + static_cast<int32_t>(random() % (round % 3 ? 6000 : 40));
    const int height = 1 + static_cast<int>(random() % 1200);
    const SummaryScale scale{17, height};
    std::string kinds;
    while (static_cast<int32_t>(kinds.size()) < rows)  // runs, mostly unchanged
      kinds.append(std::min<size_t>(1 + random() % 40, rows - kinds.size()), "SSSSLRC"[random() % 7]);
    Fill(list, kinds);
    const std::vector<uint8_t> marks = MarkPixels(list, height);
    const std::vector<MarkRow> styles = MarkRows(marks);
    const std::string at = "rows " + std::to_string(rows) + ", H " + std::to_string(height);

    std::vector<bool> covered(height, false);
    int previousY0 = 0;
    for (int32_t row = 0; row < rows; ++row) {
      const PixelSpan span = RowPixels(row, rows, height);
      ASSERT_TRUE(previousY0 <= span.y0 && span.y0 < span.y1 && span.y1 <= height) << at << ", row " << row;
      previousY0 = span.y0;
      for (int y = span.y0; y < span.y1; ++y) {
        // A click on the mark goes to its row, or with more rows than
        // pixels to a row sharing the pixel.
        const int32_t clicked = RowAtPixel(scale.margin + y, scale, rows);
        const PixelSpan back = RowPixels(clicked, rows, height);
        ASSERT_TRUE(height >= rows ? clicked == row : back.y0 <= y && y < back.y1) << at << ", row " << row;
        if (kinds[row] != 'S') covered[y] = true;
      }
    }
    EXPECT_EQ(RowPixels(rows - 1, rows, height).y1, height) << at;
    for (int y = 0; y < height; ++y) {
      ASSERT_EQ(marks[y] != 0, covered[y]) << at << ", pixel " << y;
      const bool above = y > 0 && marks[y - 1] != 0, below = y + 1 < height && marks[y + 1] != 0;
      // Borders: an unmarked row next to a mark, or a mark's own end row at
      // an end of the area; nothing else but the marks is drawn.
      MarkStyle expected = MarkStyle::Background;
      if (marks[y] != 0)
        expected = y == 0 || y == height - 1 ? MarkStyle::Edge : MarkStyle::Filled;
      else if (above || below)
        expected = MarkStyle::Edge;
      ASSERT_EQ(styles[y].style, expected) << at << ", pixel " << y;
      if (marks[y] == 0 && below && !above) {
        ASSERT_EQ(styles[y].kind, marks[y + 1]) << at;
      }
    }

    if (height >= 5) {  // the caret frame: the row's span, grown to 5, inside the area
      const int32_t row = static_cast<int32_t>(random() % rows);
      const PixelSpan span = RowPixels(row, rows, height), frame = CaretFrame(row, rows, height);
      EXPECT_EQ(frame.y1 - frame.y0, std::max(5, span.y1 - span.y0)) << at << ", row " << row;
      EXPECT_TRUE(0 <= frame.y0 && frame.y1 <= height) << at << ", row " << row;
      EXPECT_TRUE(frame.y0 == 0 || frame.y1 == height || (frame.y0 <= span.y0 && span.y1 <= frame.y1)) << at;
    }
  }
}

TEST(SummaryScale, EdgesOfTheScale) {
  // Rows that fit the pane sit beside their marks, without margins.
  const SummaryScale fit = ComputeSummaryScale(12, 30, 500, 16, 17);
  EXPECT_EQ(fit.margin, 0);
  EXPECT_EQ(fit.height, 12 * 16);
  EXPECT_EQ(RowPixels(5, 12, fit.height).y0, 5 * 16);
  EXPECT_EQ(RowPixels(5, 12, fit.height).y1, 6 * 16);
  // More rows: the margins of the scroll-bar arrows.
  const SummaryScale scrolls = ComputeSummaryScale(31, 30, 500, 16, 17);
  EXPECT_EQ(scrolls.margin, 17);
  EXPECT_EQ(scrolls.height, 500 - 34);
  EXPECT_EQ(RowAtPixel(3, scrolls, 31), 0) << "top margin";
  EXPECT_EQ(RowAtPixel(499, scrolls, 31), 30) << "bottom margin";
  // A bar shorter than its margins: clicks go to row 0, no division by 0.
  EXPECT_EQ(RowAtPixel(18, ComputeSummaryScale(100, 10, 20, 16, 17), 100), 0);

  // One changed row in 10 000: one pixel, a border above and below.
  std::string kinds(10000, 'S');
  kinds[6543] = 'C';
  DiffList list;
  Fill(list, kinds);
  const std::vector<MarkRow> styles = MarkRows(MarkPixels(list, 400));
  const int y = RowPixels(6543, 10000, 400).y0;
  EXPECT_EQ(styles[y].style, MarkStyle::Filled);
  EXPECT_EQ(styles[y - 1].style, MarkStyle::Edge);
  EXPECT_EQ(styles[y + 1].style, MarkStyle::Edge);
  EXPECT_EQ(styles[y + 1].kind, static_cast<uint8_t>(RowKind::Changed));

  // The caret frame on row 0 of a long list: the top 5 pixels; a 2-pixel
  // row grows one down, one up, one down.
  EXPECT_EQ(CaretFrame(0, 10000, 400).y0, 0);
  EXPECT_EQ(CaretFrame(0, 10000, 400).y1, 5);
  const PixelSpan two = RowPixels(50, 200, 400);
  ASSERT_EQ(two.y1 - two.y0, 2);
  EXPECT_EQ(CaretFrame(50, 200, 400).y0, two.y0 - 1);
}

TEST(SummaryScale, RightClickGoesToTheNearestDifferenceTheOneAboveOnATie) {
  DiffList list;
  Fill(list, "SLLSSSSCSS");
  EXPECT_EQ(RightClickTarget(list, 5).firstRow, 7) << "3 rows up, 2 down";
  EXPECT_EQ(RightClickTarget(list, 4).firstRow, 1) << "2 rows up, 3 down: the block's first row";
  Fill(list, "SLSSSRS");
  EXPECT_EQ(RightClickTarget(list, 3).firstRow, 1) << "halfway";
  EXPECT_EQ(RightClickTarget(list, 6).firstRow, 5) << "no wrapping past the last";
  // Without differences it acts like a left click.
  Fill(list, "SSSSS");
  const DiffBlock none = RightClickTarget(list, 3);
  EXPECT_EQ(none.kind, RowKind::Same);
  EXPECT_EQ(none.firstRow, 3);
}

}  // namespace
}  // namespace qm
