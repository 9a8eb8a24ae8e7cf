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
  uint32_t offset = 0;
  for (char k : kinds) {
    const auto kind = static_cast<RowKind>(std::string("SLRC").find(k));
    list.AppendRow(kind, offset, offset);
    offset += 2;
  }
}

std::string RandomKinds(std::mt19937& random, int32_t rows) {
  std::string kinds;
  while (static_cast<int32_t>(kinds.size()) < rows) {
    // Runs, mostly unchanged, as a real comparison has them.
    const char kind = "SSSSLRC"[random() % 7];
    kinds.append(std::min<size_t>(1 + random() % 40, rows - kinds.size()), kind);
  }
  return kinds;
}

TEST(SummaryScale, EveryRowGetsPixelsInOrderAndEveryDifferenceAMarkWithBorders) {
  std::mt19937 random(20261208);
  DiffList list;
  for (int round = 0; round < 300; ++round) {
    const int32_t rows = 1 + static_cast<int32_t>(random() % (round % 3 == 0 ? 40 : 6000));
    const int height = 1 + static_cast<int>(random() % 1200);
    const SummaryScale scale{17, height};
    const std::string kinds = RandomKinds(random, rows);
    Fill(list, kinds);
    const std::vector<uint8_t> marks = MarkPixels(list, height);
    ASSERT_EQ(marks.size(), static_cast<size_t>(height));
    const std::string at = "rows " + std::to_string(rows) + ", H " + std::to_string(height);

    std::vector<bool> covered(height, false);  // by some difference row
    int previousY0 = 0;
    for (int32_t row = 0; row < rows; ++row) {
      const PixelSpan span = RowPixels(row, rows, height);
      ASSERT_GE(span.y0, previousY0) << at << ", row " << row;
      ASSERT_LT(span.y0, span.y1) << at << ", row " << row;
      ASSERT_LE(span.y1, height) << at << ", row " << row;
      previousY0 = span.y0;
      // A click on the mark goes to its row; with more rows than pixels, to
      // a row sharing the pixel.
      for (int y = span.y0; y < span.y1; ++y) {
        const int32_t clicked = RowAtPixel(scale.margin + y, scale, rows);
        if (height >= rows) {
          ASSERT_EQ(clicked, row) << at << ", pixel " << y;
        } else {
          const PixelSpan back = RowPixels(clicked, rows, height);
          ASSERT_TRUE(back.y0 <= y && y < back.y1) << at << ", row " << row << ", pixel " << y;
        }
      }
      if (kinds[row] == 'S') continue;
      for (int y = span.y0; y < span.y1; ++y) {
        ASSERT_NE(marks[y], 0) << at << ", difference row " << row << " lost pixel " << y;
        covered[y] = true;
      }
    }
    EXPECT_EQ(RowPixels(rows - 1, rows, height).y1, height) << at;
    for (int y = 0; y < height; ++y)
      ASSERT_EQ(marks[y] != 0, covered[y]) << at << ", pixel " << y;

    // Each run of marked pixels is framed by an edge row above and below
    // (its own end row at an end of the area), in the colours of its kinds.
    const std::vector<MarkRow> styles = MarkRows(marks);
    for (int y = 0; y < height; ++y) {
      if (marks[y] == 0) continue;
      const bool first = y == 0 || marks[y - 1] == 0;
      const bool last = y == height - 1 || marks[y + 1] == 0;
      if (first) {
        const MarkRow border = y == 0 ? styles[0] : styles[y - 1];
        EXPECT_EQ(border.style, MarkStyle::Edge) << at << ", above pixel " << y;
        if (y > 0 && (y < 2 || marks[y - 2] == 0)) {
          EXPECT_EQ(border.kind, marks[y]) << at;
        }
      }
      if (last) {
        const MarkRow border = y == height - 1 ? styles[y] : styles[y + 1];
        EXPECT_EQ(border.style, MarkStyle::Edge) << at << ", below pixel " << y;
        EXPECT_EQ(border.kind, marks[y]) << at << ", below pixel " << y;
      }
      if (!first && !last) {
        EXPECT_EQ(styles[y].style, MarkStyle::Filled) << at;
      }
    }
    for (int y = 0; y < height; ++y) {
      const bool nearMark = marks[y] != 0 || (y > 0 && marks[y - 1] != 0) ||
                            (y + 1 < height && marks[y + 1] != 0);
      if (!nearMark) {
        ASSERT_EQ(styles[y].style, MarkStyle::Background) << at << ", pixel " << y;
      }
    }

    // The caret frame holds the row's span, at least 5 pixels, inside the area.
    if (height >= 5) {
      const int32_t row = static_cast<int32_t>(random() % rows);
      const PixelSpan span = RowPixels(row, rows, height);
      const PixelSpan frame = CaretFrame(row, rows, height);
      EXPECT_EQ(frame.y1 - frame.y0, std::max(5, span.y1 - span.y0)) << at << ", row " << row;
      EXPECT_GE(frame.y0, 0) << at;
      EXPECT_LE(frame.y1, height) << at;
      if (frame.y0 > 0 && frame.y1 < height) {
        EXPECT_TRUE(frame.y0 <= span.y0 && span.y1 <= frame.y1) << at << ", row " << row;
      }
    }
  }
}

TEST(SummaryScale, RowsThatFitThePaneSitBesideTheirMarksWithoutMargins) {
  const SummaryScale scale = ComputeSummaryScale(12, 30, 500, 16, 17);
  EXPECT_EQ(scale.margin, 0);
  EXPECT_EQ(scale.height, 12 * 16);
  for (int32_t row = 0; row < 12; ++row) {
    const PixelSpan span = RowPixels(row, 12, scale.height);
    EXPECT_EQ(span.y0, row * 16);
    EXPECT_EQ(span.y1, row * 16 + 16);
    EXPECT_EQ(RowAtPixel(row * 16 + 8, scale, 12), row);
  }
  EXPECT_EQ(RowAtPixel(499, scale, 12), 11) << "below the marks: the last row";

  const SummaryScale scrolled = ComputeSummaryScale(31, 30, 500, 16, 17);
  EXPECT_EQ(scrolled.margin, 17);
  EXPECT_EQ(scrolled.height, 500 - 34);
  EXPECT_EQ(RowAtPixel(3, scrolled, 31), 0) << "inside the top margin";
  EXPECT_EQ(RowAtPixel(499, scrolled, 31), 30) << "inside the bottom margin";
}

TEST(SummaryScale, NoAreaDrawsAndAimsNothingOutside) {
  // A bar shorter than its two margins: nothing to draw, clicks go to row 0
  // instead of dividing by the empty area.
  const SummaryScale scale = ComputeSummaryScale(100, 10, 20, 16, 17);
  EXPECT_LT(scale.height, 1);
  EXPECT_EQ(RowAtPixel(18, scale, 100), 0);
  DiffList list;
  Fill(list, "SLS");
  EXPECT_TRUE(MarkPixels(list, scale.height).empty());
  EXPECT_TRUE(MarkRows({}).empty());
}

TEST(SummaryScale, OneDifferenceInTenThousandRowsStillShowsAFramedMark) {
  std::string kinds(10000, 'S');
  kinds[6543] = 'C';
  DiffList list;
  Fill(list, kinds);
  const int height = 400;
  const std::vector<uint8_t> marks = MarkPixels(list, height);
  const std::vector<MarkRow> styles = MarkRows(marks);
  const PixelSpan span = RowPixels(6543, 10000, height);
  ASSERT_EQ(span.y1 - span.y0, 1);
  EXPECT_EQ(marks[span.y0], static_cast<uint8_t>(RowKind::Changed));
  EXPECT_EQ(styles[span.y0].style, MarkStyle::Filled);
  EXPECT_EQ(styles[span.y0 - 1].style, MarkStyle::Edge);
  EXPECT_EQ(styles[span.y0 + 1].style, MarkStyle::Edge);
  EXPECT_EQ(std::count(marks.begin(), marks.end(), 0), height - 1);
}

TEST(SummaryScale, CaretFrameGrowsToFivePixelsAndStaysInsideTheArea) {
  // Row 0 of a long comparison: 1 pixel grown up, down, up, down, then
  // moved down to the top of the area.
  PixelSpan top = CaretFrame(0, 10000, 400);
  EXPECT_EQ(top.y0, 0);
  EXPECT_EQ(top.y1, 5);
  PixelSpan bottom = CaretFrame(9999, 10000, 400);
  EXPECT_EQ(bottom.y0, 395);
  EXPECT_EQ(bottom.y1, 400);
  // In the middle: two pixels above the row's one, two below.
  const PixelSpan span = RowPixels(5000, 10000, 400);
  const PixelSpan middle = CaretFrame(5000, 10000, 400);
  EXPECT_EQ(middle.y0, span.y0 - 2);
  EXPECT_EQ(middle.y1, span.y1 + 2);
  // Two pixels grow down first: one below, one above, one below.
  const PixelSpan two = RowPixels(50, 200, 400);
  ASSERT_EQ(two.y1 - two.y0, 2);
  const PixelSpan grown = CaretFrame(50, 200, 400);
  EXPECT_EQ(grown.y0, two.y0 - 1);
  EXPECT_EQ(grown.y1, two.y1 + 2);
  // A tall row keeps its own height.
  EXPECT_EQ(CaretFrame(1, 4, 400).y1 - CaretFrame(1, 4, 400).y0, 100);
}

TEST(SummaryScale, RightClickGoesToTheNearestDifferenceTheOneAboveOnATie) {
  DiffList list;
  //          0123456789
  Fill(list, "SLLSSSSCSS");
  // Row 5: two rows below the left-only block (ends at 2), two above the
  // change (7)... 5 - 2 = 3 against 7 - 5 = 2: the change.
  EXPECT_EQ(RightClickTarget(list, 5).firstRow, 7);
  // Row 4: 2 against 3: the block above, from its first row.
  DiffBlock above = RightClickTarget(list, 4);
  EXPECT_EQ(above.firstRow, 1);
  EXPECT_EQ(above.lastRow, 2);
  // Halfway between them goes up.
  Fill(list, "SLSSSSRS");
  EXPECT_EQ(RightClickTarget(list, 3).firstRow, 1) << "1 -> 3 and 3 -> 6: not halfway";
  Fill(list, "SLSSSRS");
  EXPECT_EQ(RightClickTarget(list, 3).kind, RowKind::LeftOnly) << "two rows either way";
  // On a difference: its own block, whole.
  const DiffBlock own = RightClickTarget(list, 5);
  EXPECT_EQ(own.kind, RowKind::RightOnly);
  EXPECT_EQ(own.firstRow, 5);
  // Past the last difference nothing wraps: the one above.
  EXPECT_EQ(RightClickTarget(list, 6).firstRow, 5);
}

TEST(SummaryScale, RightClickWithoutDifferencesActsLikeALeftClick) {
  DiffList list;
  Fill(list, "SSSSS");
  const DiffBlock target = RightClickTarget(list, 3);
  EXPECT_EQ(target.kind, RowKind::Same);
  EXPECT_EQ(target.firstRow, 3);
  EXPECT_EQ(target.lastRow, 3);
}

}  // namespace
}  // namespace qm
