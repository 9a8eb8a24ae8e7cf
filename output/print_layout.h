// Page arithmetic of a printed comparison: how a printer page is framed
// (margins, header, footer, the rows between them), how many pages the rows
// take and which rows each page holds. Portable: plain integers in printer
// pixels, no device context.
#pragma once

#include <cstdint>

namespace qm {

// What the printer and the fonts made for it measure.
struct PageMetrics {
  int dpiX = 300;
  int dpiY = 300;
  int pageWidth = 0;   // the printable area
  int pageHeight = 0;
  int lineHeight = 1;   // a row in the main font
  int smallHeight = 1;  // a line of the header or footer (the small font)
};

// Where things go on a page. The margins are half an inch; every other
// coordinate is relative to the top-left margin corner.
struct PageFrame {
  int marginX = 0;
  int marginY = 0;
  int width = 0;         // between the left and right margins
  int gap = 0;           // between a header or footer line and its rule
  int headerRuleY = 0;   // the rule under the header
  int footerY = 0;       // top of the footer's line of text
  int footerRuleY = 0;   // the rule over the footer
  int bodyY = 0;         // top of the first row
  int linesPerPage = 1;  // at least 1, however large the font
  int bodyHeight = 0;    // linesPerPage rows
};

PageFrame FramePage(const PageMetrics& m);

// Pages that rowCount rows take at linesPerPage a page, at least one.
int32_t PageCount(int32_t rowCount, int linesPerPage);

// The pages a job prints: fromPage..toPage of pages.
struct PageRange {
  int32_t fromPage = 1;
  int32_t toPage = 1;
  int32_t pages = 1;
};

// A range the user chose (chosen) is clamped to 1..pages; otherwise every
// page is printed.
PageRange ChoosePages(int32_t pages, bool chosen, int32_t fromPage, int32_t toPage);

// The rows of page (from 1): first..last, last < first when none.
struct RowSpan {
  int32_t first = 0;
  int32_t last = -1;
};
RowSpan RowsOfPage(int32_t page, int linesPerPage, int32_t rowCount);

}  // namespace qm
