#include "output/print_layout.h"

#include <algorithm>

namespace qm {

PageFrame FramePage(const PageMetrics& m) {
  PageFrame f;
  f.marginX = m.dpiX / 2;
  f.marginY = m.dpiY / 2;
  f.width = std::max(0, m.pageWidth - 2 * f.marginX);
  f.gap = 2 * m.dpiY / 96;
  f.headerRuleY = m.smallHeight + f.gap;
  f.footerY = m.pageHeight - 2 * f.marginY - m.smallHeight;
  f.footerRuleY = f.footerY - f.gap;
  f.bodyY = 2 * m.smallHeight;
  const int lineHeight = std::max(1, m.lineHeight);
  // A font too large for the paper still gets one row a page rather than
  // none (which would never finish) or a division by zero.
  f.linesPerPage = std::max(1, (m.pageHeight - 4 * m.smallHeight - m.dpiY) / lineHeight);
  f.bodyHeight = f.linesPerPage * lineHeight;
  return f;
}

int32_t PageCount(int32_t rowCount, int linesPerPage) {
  const int64_t lines = std::max(1, linesPerPage);
  const int64_t pages = (std::max<int64_t>(0, rowCount) + lines - 1) / lines;
  return static_cast<int32_t>(std::max<int64_t>(1, pages));
}

PageRange ChoosePages(int32_t pages, bool chosen, int32_t fromPage, int32_t toPage) {
  PageRange range;
  range.pages = std::max<int32_t>(1, pages);
  range.fromPage = 1;
  range.toPage = range.pages;
  if (chosen) {
    range.fromPage = std::clamp<int32_t>(std::min(fromPage, toPage), 1, range.pages);
    range.toPage = std::clamp<int32_t>(std::max(fromPage, toPage), 1, range.pages);
  }
  return range;
}

RowSpan RowsOfPage(int32_t page, int linesPerPage, int32_t rowCount) {
  const int64_t lines = std::max(1, linesPerPage);
  RowSpan span;
  const int64_t first = lines * (std::max<int32_t>(1, page) - 1);
  if (first >= rowCount) return span;
  span.first = static_cast<int32_t>(first);
  span.last = static_cast<int32_t>(std::min<int64_t>(first + lines - 1, rowCount - 1));
  return span;
}

}  // namespace qm
