#include "output/print_page.h"

#include <algorithm>

#include "controls/gdi_owner.h"
#include "controls/res_string.h"
#include "resources/resource.h"

namespace qm {

namespace {

// The current local date (short form) and time (without seconds) in the
// footer's format, "?" for either that cannot be formatted.
std::string FooterStamp() {
  char date[80] = "?";
  char time[80] = "?";
  if (!GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, date, sizeof date))
    lstrcpyA(date, "?");
  if (!GetTimeFormatA(LOCALE_USER_DEFAULT, TIME_NOSECONDS, nullptr, nullptr, time, sizeof time))
    lstrcpyA(time, "?");
  return FormatResString(IDS_DATE_TIME, {reinterpret_cast<DWORD_PTR>(date),
                                         reinterpret_cast<DWORD_PTR>(time)});
}

int SmallFontHeight(HDC dc, HFONT font) {
  TEXTMETRICA metrics{};
  SelectScope select(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(ANSI_FIXED_FONT));
  GetTextMetricsA(dc, &metrics);
  return std::max<int>(1, metrics.tmHeight);
}

}  // namespace

PageLayout::PageLayout(HDC printer, const PrintSource& source, int scalePercent)
    : source_(source), stamp_(FooterStamp()) {
  metrics_.dpiX = std::max(1, GetDeviceCaps(printer, LOGPIXELSX));
  metrics_.dpiY = std::max(1, GetDeviceCaps(printer, LOGPIXELSY));
  metrics_.pageWidth = GetDeviceCaps(printer, HORZRES);
  metrics_.pageHeight = GetDeviceCaps(printer, VERTRES);
  MakeRowFonts(printer, source.display, scalePercent, &fonts_);
  fonts_.dpiX = metrics_.dpiX;
  fonts_.dpiY = metrics_.dpiY;
  metrics_.lineHeight = fonts_.lineHeight;
  metrics_.smallHeight = SmallFontHeight(printer, fonts_.number.get());
  frame_ = FramePage(metrics_);
  const int32_t rows = source.state->list->RowCount();
  pages_ = PageCount(rows, frame_.linesPerPage);
  geometry_ = LayOutRows(frame_.width, frame_.bodyHeight, source.splitRatio, rows,
                         source.display.ShowLineNumbers, fonts_, true);
}

void PageLayout::DrawPage(HDC dc, int32_t page) const {
  const int saved = SaveDC(dc);
  POINT origin{};
  GetWindowOrgEx(dc, &origin);
  SetWindowOrgEx(dc, origin.x - frame_.marginX, origin.y - frame_.marginY, nullptr);
  DrawHeaderAndFooter(dc, page);

  const RowSpan span = RowsOfPage(page, frame_.linesPerPage, source_.state->list->RowCount());
  if (span.first <= span.last) {
    const RECT body{0, 0, geometry_.width, (span.last - span.first + 1) * fonts_.lineHeight};
    GetWindowOrgEx(dc, &origin);
    SetWindowOrgEx(dc, origin.x, origin.y - frame_.bodyY, nullptr);
    IntersectClipRect(dc, body.left, body.top, body.right, body.bottom);
    RowPaintSource rows;
    rows.state = source_.state;
    rows.display = &source_.display;
    rows.geometry = &geometry_;
    rows.fonts = &fonts_;
    rows.topRow = span.first;
    PaintRows(dc, rows, body);
  }
  RestoreDC(dc, saved);
}

void PageLayout::DrawHeaderAndFooter(HDC dc, int32_t page) const {
  const COLORREF color = source_.display.TextColor;
  const int width = frame_.width;
  const int small = metrics_.smallHeight;
  GdiObject<HPEN> pen(CreatePen(PS_SOLID, std::max(1, metrics_.dpiX / 100), color));
  SelectScope selectPen(dc, pen.get());
  SelectScope selectFont(dc, fonts_.number.get());
  SetTextColor(dc, color);
  SetBkMode(dc, TRANSPARENT);

  const std::string header = FormatResString(
      IDS_PRINT_HEADER, {reinterpret_cast<DWORD_PTR>(source_.leftName.c_str()),
                         reinterpret_cast<DWORD_PTR>(source_.rightName.c_str())});
  const RECT headerClip{0, 0, width, small};
  SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
  ExtTextOutA(dc, 0, 0, ETO_CLIPPED, &headerClip, header.c_str(),
              static_cast<UINT>(header.size()), nullptr);
  MoveToEx(dc, 0, frame_.headerRuleY, nullptr);
  LineTo(dc, width, frame_.headerRuleY);

  ExtTextOutA(dc, 0, frame_.footerY, 0, nullptr, stamp_.c_str(),
              static_cast<UINT>(stamp_.size()), nullptr);
  const std::string number = FormatResString(
      IDS_PAGE_OF, {static_cast<DWORD_PTR>(page), static_cast<DWORD_PTR>(pages_)});
  SetTextAlign(dc, TA_RIGHT | TA_TOP | TA_NOUPDATECP);
  ExtTextOutA(dc, width, frame_.footerY, 0, nullptr, number.c_str(),
              static_cast<UINT>(number.size()), nullptr);
  MoveToEx(dc, 0, frame_.footerRuleY, nullptr);
  LineTo(dc, width, frame_.footerRuleY);
}

}  // namespace qm
