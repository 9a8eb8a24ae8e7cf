#include "output/print_layout.h"

#include <gtest/gtest.h>

#include <random>

namespace qm {
namespace {

// Every row is on exactly one page, in order, and no page is empty.
TEST(PrintLayout, PagesCoverEveryRowOnceInOrder) {
  std::mt19937 random(7);
  for (int trial = 0; trial < 500; ++trial) {
    const int32_t rows = static_cast<int32_t>(random() % 3000) + 1;
    const int lines = static_cast<int>(random() % 120) + 1;
    const int32_t pages = PageCount(rows, lines);
    int32_t next = 0;
    for (int32_t page = 1; page <= pages; ++page) {
      const RowSpan span = RowsOfPage(page, lines, rows);
      ASSERT_EQ(span.first, next) << rows << " rows, " << lines << " a page, page " << page;
      ASSERT_LE(span.first, span.last);
      ASSERT_LE(span.last - span.first + 1, lines);
      next = span.last + 1;
    }
    ASSERT_EQ(next, rows) << rows << " rows, " << lines << " a page";
    EXPECT_GT(RowsOfPage(pages + 1, lines, rows).first, RowsOfPage(pages + 1, lines, rows).last);
  }
  EXPECT_EQ(PageCount(0, 50), 1) << "an empty comparison still prints a page";
}

TEST(PrintLayout, AChosenRangeIsClampedToThePages) {
  const PageRange beyond = ChoosePages(5, true, 3, 9);
  EXPECT_EQ(beyond.fromPage, 3);
  EXPECT_EQ(beyond.toPage, 5);
  EXPECT_EQ(beyond.pages, 5);
  const PageRange all = ChoosePages(5, false, 3, 4);
  EXPECT_EQ(all.fromPage, 1);
  EXPECT_EQ(all.toPage, 5);
  const PageRange past = ChoosePages(5, true, 7, 9);
  EXPECT_EQ(past.fromPage, 5);
  EXPECT_EQ(past.toPage, 5);
}

TEST(PrintLayout, FrameOfAnA4PageAt300Dpi) {
  PageMetrics m;
  m.pageWidth = 2480;
  m.pageHeight = 3508;
  m.lineHeight = 40;
  m.smallHeight = 36;
  const PageFrame f = FramePage(m);
  EXPECT_EQ(f.marginX, 150);
  EXPECT_EQ(f.width, 2480 - 300);
  EXPECT_EQ(f.gap, 6);
  EXPECT_EQ(f.linesPerPage, (3508 - 4 * 36 - 300) / 40);
  EXPECT_EQ(f.footerY, 3508 - 300 - 36);
  EXPECT_LE(f.bodyY + f.bodyHeight, f.footerRuleY) << "rows stop above the footer's rule";
  // Half the font takes about twice the rows.
  m.lineHeight = 20;
  m.smallHeight = 18;
  EXPECT_EQ(FramePage(m).linesPerPage, (3508 - 4 * 18 - 300) / 20);
  // A font taller than the paper still makes progress.
  m.lineHeight = 5000;
  EXPECT_EQ(FramePage(m).linesPerPage, 1);
}

}  // namespace
}  // namespace qm
