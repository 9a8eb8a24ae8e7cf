// TextView: fonts and metrics, geometry, scroll bar ranges, the caret's
// pixel position and the mapping between offsets, columns and pixels.
#include <algorithm>

#include "app/settings.h"
#include "engine/text_doc.h"
#include "controls/code_page.h"
#include "controls/gdi_owner.h"
#include "textwin/pane_layout.h"
#include "textwin/text_view.h"
#include "textwin/text_view_internal.h"

namespace qm {

void TextView::MakeFonts(HDC dc, int dpiY, int scalePercent) {
  auto fonts = std::make_unique<Fonts>();
  MakeRowFonts(dc, display_, scalePercent, fonts.get());
  fonts->dpiX = dpiX_;
  fonts->dpiY = dpiY;
  lineHeight_ = fonts->lineHeight;
  charWidth_ = fonts->charWidth;
  fixedPitch_ = fonts->fixedPitch;
  digitWidth_ = fonts->digitWidth;
  numberHeight_ = fonts->numberHeight;
  dpiY_ = dpiY;
  fonts_ = std::move(fonts);
}

void TextView::Layout() {
  const RowFonts defaults;  // before the pane has fonts: the default metrics
  geometry_ = LayOutRows(geometry_.width, geometry_.height, ratio_, state_.list->RowCount(),
                         showLineNumbers_, fonts_ ? *fonts_ : defaults, false);
  ComputeSplit(geometry_.width, &ratio_);  // the ratio of the clamped divider
  ClampPositions();
}

void TextView::SetSplitRatio(float ratio) {
  ratio_ = ratio;
  Layout();
  RefreshView();
}

void TextView::RefreshView() {
  if (!hwnd()) return;
  UpdateScrollBars();
  UpdateCaretPixels();
  ShowCaret();
  InvalidateAll();
}

void TextView::ClampPositions() {
  topRow_ = std::clamp<int32_t>(topRow_, 0, geometry_.maxTopRow);
  const int32_t lastRow = state_.list->RowCount() - 1;
  caretRow_ = std::clamp<int32_t>(caretRow_, 0, std::max<int32_t>(0, lastRow));
  for (int s = 0; s < 2; ++s) {
    const int32_t maxScroll = std::max<int32_t>(0, ColumnRange(s) - geometry_.visibleColumns[s]);
    hscroll_[s] = wordWrap_ ? 0 : std::clamp<int32_t>(hscroll_[s], 0, maxScroll);
  }
}

// Scroll bars repaint with the next paint cycle instead of at once: a
// synchronous redraw costs more than the pane's own repaint under Wine, and
// a held key or a dragged selection moves the position many times a frame.
void SetBarPosition(HWND bar, int32_t position) {
  if (!bar) return;
  SCROLLINFO info{};
  info.cbSize = sizeof(info);
  info.fMask = SIF_POS;
  info.nPos = position;
  SetScrollInfo(bar, SB_CTL, &info, FALSE);
  InvalidateRect(bar, nullptr, TRUE);
}

void TextView::UpdateScrollBars() {
  SCROLLINFO info{};
  info.cbSize = sizeof(info);
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
  if (verticalBar_) {
    info.nMin = 0;
    info.nMax = std::max<int32_t>(0, state_.list->RowCount() - 1);
    info.nPage = static_cast<UINT>(geometry_.visibleRows);
    info.nPos = topRow_;
    SetScrollInfo(verticalBar_, SB_CTL, &info, FALSE);
    InvalidateRect(verticalBar_, nullptr, TRUE);
  }
  for (int s = 0; s < 2; ++s) {
    if (!horizontalBar_[s]) continue;
    info.nMin = 0;
    info.nMax = wordWrap_ ? 0 : ColumnRange(s) - 1;
    info.nPage = wordWrap_ ? 1 : static_cast<UINT>(geometry_.visibleColumns[s]);
    info.nPos = hscroll_[s];
    SetScrollInfo(horizontalBar_[s], SB_CTL, &info, FALSE);
    InvalidateRect(horizontalBar_[s], nullptr, TRUE);
  }
}

int32_t TextView::ColumnRange(int side) const {
  return HorizontalRange(longestLine_[side], kHorizontalColumns, charWidth_);
}

void TextView::MeasureLongestLines() {
  measuredTabStop_ = display_.TabStop;
  for (int s = 0; s < 2; ++s) {
    const TextDoc& doc = state_.side[s].doc;
    longestLine_[s] = LongestLineColumns(doc, 0, doc.Length(), measuredTabStop_, IsUtf8(s));
  }
}

bool TextView::WidenLongestLines(int32_t firstRow, int32_t lastRow) {
  const DiffList& list = *state_.list;
  if (list.RowCount() == 0) return false;
  if (firstRow > lastRow) std::swap(firstRow, lastRow);
  firstRow = std::clamp<int32_t>(firstRow, 0, list.RowCount() - 1);
  lastRow = std::clamp<int32_t>(lastRow, firstRow, list.RowCount() - 1);
  bool wider = false;
  for (int s = 0; s < 2; ++s) {
    const TextDoc& doc = state_.side[s].doc;
    // The edit may have joined the rows' lines to their neighbours: measure
    // whole lines, from the line start before the first row to the line end
    // after the last.
    uint32_t start = std::min(list.Row(firstRow).Offset(s), doc.Length());
    while (start > 0 && doc.ByteAt(start - 1) != '\n') --start;
    const uint32_t end = list.RowEnd(s, lastRow, doc);
    const uint32_t stop = doc.LineEnd(end > start ? end - 1 : start);
    const int32_t columns = LongestLineColumns(doc, start, stop, measuredTabStop_, IsUtf8(s));
    if (columns > longestLine_[s]) {
      longestLine_[s] = columns;
      wider = true;
    }
  }
  return wider;
}

int32_t TextView::RowAtY(int y) const {
  const int32_t row = topRow_ + (y >= 0 ? y / lineHeight_ : -((lineHeight_ - 1 - y) / lineHeight_));
  return std::clamp<int32_t>(row, 0, std::max<int32_t>(0, state_.list->RowCount() - 1));
}

int32_t TextView::CaretLine() const {
  const DiffList& list = *state_.list;
  if (caretRow_ < 0 || caretRow_ >= list.RowCount()) return -1;
  return list.Row(caretRow_).Line(activeSide_);
}

bool TextView::IsSideModified(int side) const {
  return host_ && host_->IsSideModified(side);
}

// ---- Offsets, columns and pixels ----

int TextView::CellWidth(HDC dc, const DisplayCell& cell) const {
  if (fixedPitch_ || !dc) return cell.columns * charWidth_;
  SIZE size{};
  GetTextExtentPoint32W(dc, cell.text, cell.length, &size);
  return size.cx;
}

bool TextView::IsUtf8(int side) const {
  return state_.side[side].encoding != TextEncoding::Legacy;
}

CellRules TextView::Rules(int side) const {
  return RowCellRules(state_, display_, side);
}

uint32_t TextView::CharStart(int side, int32_t row, uint32_t offset) const {
  const DiffList& list = *state_.list;
  if (!IsUtf8(side) || row < 0 || row >= list.RowCount()) return offset;
  const TextDoc& doc = state_.side[side].doc;
  const uint32_t start = list.Row(row).Offset(side);
  const uint32_t end = list.RowEnd(side, row, doc);
  if (offset <= start || offset >= end) return offset;
  const CellRules rules = Rules(side);
  DisplayCell cell;
  uint32_t p = start;
  // Tabs are one byte whatever their column: column 0 serves for all.
  for (;;) {
    MakeDisplayCell(doc, p, end, 0, rules, &cell);
    if (p + cell.bytes > offset) return p;
    p += cell.bytes;
  }
}

int32_t TextView::ColumnOf(int side, int32_t row, uint32_t offset) const {
  const DiffList& list = *state_.list;
  if (row < 0 || row >= list.RowCount()) return 0;
  const uint32_t start = list.Row(row).Offset(side);
  const uint32_t end = std::min(offset, list.RowEnd(side, row, state_.side[side].doc));
  return offset > start ? DisplayColumns(state_.side[side].doc, start, end, display_.TabStop,
                                         IsUtf8(side))
                        : 0;
}

int TextView::PixelOf(int side, int32_t row, uint32_t offset) {
  if (fixedPitch_) return ColumnOf(side, row, offset) * charWidth_;
  const DiffList& list = *state_.list;
  if (row < 0 || row >= list.RowCount()) return 0;
  const TextDoc& doc = state_.side[side].doc;
  const uint32_t start = list.Row(row).Offset(side);
  const uint32_t rowEnd = list.RowEnd(side, row, doc);
  const uint32_t end = std::min(offset, rowEnd);
  WindowDC window(hwnd());
  SelectScope select(window.get(), fonts_->text.get());
  const CellRules rules = Rules(side);
  int x = 0;
  int32_t column = 0;
  DisplayCell cell;
  for (uint32_t p = start; p < end; p += cell.bytes) {
    MakeDisplayCell(doc, p, rowEnd, column, rules, &cell);
    x += CellWidth(window.get(), cell);
    column += cell.columns;
  }
  return x;
}

uint32_t TextView::OffsetAtPixel(int side, int32_t row, int x) {
  const DiffList& list = *state_.list;
  const TextDoc& doc = state_.side[side].doc;
  const uint32_t start = list.Row(row).Offset(side);
  if (list.IsFiller(side, row)) return start;
  const uint32_t end = start + list.RowTextLength(side, row, doc);
  std::unique_ptr<WindowDC> window;
  std::unique_ptr<SelectScope> select;
  if (!fixedPitch_) {
    window = std::make_unique<WindowDC>(hwnd());
    select = std::make_unique<SelectScope>(window->get(), fonts_->text.get());
  }
  HDC dc = window ? window->get() : nullptr;
  const CellRules rules = Rules(side);
  int left = 0;
  int32_t column = 0;
  DisplayCell cell;
  for (uint32_t p = start; p < end; p += cell.bytes) {
    MakeDisplayCell(doc, p, end, column, rules, &cell);
    const int width = CellWidth(dc, cell);
    // A point in the right half of a cell puts the caret after it.
    if (x < left + (width + 1) / 2) return p;
    left += width;
    column += cell.columns;
  }
  return end;
}

void TextView::HitTest(int side, int x, int y, int32_t* row, uint32_t* offset) {
  *row = RowAtY(y);
  const int textX = x - geometry_.side[side].textStart + hscroll_[side] * charWidth_;
  *offset = OffsetAtPixel(side, *row, std::max(0, textX));
}

void TextView::UpdateCaretPixels() {
  caretY_ = (caretRow_ - topRow_) * lineHeight_;
  caretX_ = PixelOf(activeSide_, caretRow_, caretOffset_[activeSide_]) -
            hscroll_[activeSide_] * charWidth_;
}

void TextView::ShowCaret() {
  if (!hasFocus_ || !hwnd()) return;
  const SideGeometry& side = geometry_.side[activeSide_];
  const int textWidth = side.right - side.textStart;
  const bool visible = caretX_ >= 0 && caretX_ < textWidth - 2 && caretY_ >= 0 &&
                       caretY_ <= geometry_.height && !IsTextDragging();
  if (visible) {
    SetCaretPos(side.textStart + caretX_, caretY_);
    if (!caretShown_) ::ShowCaret(hwnd());
  } else if (caretShown_) {
    HideCaret(hwnd());
  }
  caretShown_ = visible;
}

void TextView::CreateSystemCaret() {
  CreateCaret(hwnd(), nullptr, overwrite_ ? charWidth_ : 2, lineHeight_);
  caretShown_ = false;
  UpdateCaretPixels();
  ShowCaret();
}

}  // namespace qm
