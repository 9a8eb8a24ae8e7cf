// TextView: vertical and horizontal scrolling (scroll bars),
// keeping the caret in view, and going to the next or previous difference.
#include <windowsx.h>

#include <algorithm>
#include <cstdlib>

#include "app/settings.h"
#include "textwin/text_view.h"
#include "textwin/text_view_internal.h"

namespace qm {

namespace {

constexpr int32_t kHorizontalLine = 4;  // columns per scroll-bar arrow click

// The position a scroll bar's request asks for; current when it asks for
// nothing. Thumb positions come from SIF_TRACKPOS: the message carries only
// 16 bits and lists may hold millions of rows.
int32_t ScrollTarget(HWND bar, int code, int32_t current, int32_t line, int32_t page,
                     int32_t last) {
  switch (code) {
    case SB_LINEUP: return current - line;
    case SB_LINEDOWN: return current + line;
    case SB_PAGEUP: return current - std::max<int32_t>(1, page);
    case SB_PAGEDOWN: return current + std::max<int32_t>(1, page);
    case SB_TOP: return 0;
    case SB_BOTTOM: return last;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
      SCROLLINFO info{};
      info.cbSize = sizeof(info);
      info.fMask = SIF_TRACKPOS;
      if (bar && GetScrollInfo(bar, SB_CTL, &info)) return info.nTrackPos;
      return current;
    }
    default: return current;
  }
}

}  // namespace

int32_t TopRowForBlock(const DiffBlock& block, int32_t top, int32_t visible) {
  if (block.firstRow > top && block.lastRow < top + visible) return top;
  const int32_t rows = block.lastRow - block.firstRow + 1;
  if (rows <= visible - 2) return block.firstRow - (visible - rows) / 2;
  return block.firstRow - 1;
}

void TextView::ScrollVerticallyTo(int32_t top) {
  top = std::clamp<int32_t>(top, 0, geometry_.maxTopRow);
  if (top == topRow_) return;
  const int64_t distance = static_cast<int64_t>(topRow_ - top) * lineHeight_;
  topRow_ = top;
  if (!hwnd()) return;
  if (caretShown_) HideCaret(hwnd());
  caretShown_ = false;
  if (std::llabs(distance) < std::min<int64_t>(kMaxScrollPixels, geometry_.height / 2))
    ScrollWindowEx(hwnd(), 0, static_cast<int>(distance), nullptr, nullptr, nullptr, nullptr,
                   SW_INVALIDATE);
  else
    InvalidateAll();
  SetBarPosition(verticalBar_, topRow_);
  UpdateCaretPixels();
  ShowCaret();
}

void TextView::ScrollSideTo(int side, int32_t column) {
  if (wordWrap_) return;
  const int32_t maxScroll = std::max<int32_t>(0, ColumnRange(side) - geometry_.visibleColumns[side]);
  column = std::clamp<int32_t>(column, 0, maxScroll);
  const int sides[2] = {side, 1 - side};
  const int count = Settings.SyncScroll ? 2 : 1;
  for (int i = 0; i < count; ++i) {
    const int s = sides[i];
    const int32_t target = std::min<int32_t>(
        column, std::max<int32_t>(0, ColumnRange(s) - geometry_.visibleColumns[s]));
    if (target == hscroll_[s]) continue;
    const int64_t distance = static_cast<int64_t>(hscroll_[s] - target) * charWidth_;
    hscroll_[s] = target;
    if (!hwnd()) continue;
    if (caretShown_) HideCaret(hwnd());
    caretShown_ = false;
    const SideGeometry& g = geometry_.side[s];
    RECT text{g.textStart, 0, g.right, geometry_.height};
    if (std::llabs(distance) < std::min<int64_t>(kMaxScrollPixels, g.right - g.textStart))
      ScrollWindowEx(hwnd(), static_cast<int>(distance), 0, &text, &text, nullptr, nullptr,
                     SW_INVALIDATE);
    else
      InvalidateRect(hwnd(), &text, FALSE);
    // The caret box's right edge lies inside the moved pixels.
    if (s == activeSide_) InvalidateRows(s, caretRow_, caretRow_);
    SetBarPosition(horizontalBar_[s], hscroll_[s]);
  }
  UpdateCaretPixels();
  ShowCaret();
}

void TextView::ScrollToRow(int32_t top) { ScrollVerticallyTo(top); }

void TextView::ScrollHorizontally(int side, int32_t column) { ScrollSideTo(side, column); }

void TextView::ScrollCaretIntoView() {
  if (caretRow_ < topRow_)
    ScrollVerticallyTo(caretRow_);
  else if (caretRow_ >= topRow_ + geometry_.visibleRows)
    ScrollVerticallyTo(caretRow_ - std::max(1, geometry_.visibleRows) + 1);
  if (wordWrap_) return;
  const SideGeometry& g = geometry_.side[activeSide_];
  const int textWidth = g.right - g.textStart;
  const int pixel = PixelOf(activeSide_, caretRow_, caretOffset_[activeSide_]);
  const int scrolled = hscroll_[activeSide_] * charWidth_;
  if (pixel < scrolled)
    ScrollSideTo(activeSide_, pixel / charWidth_);
  else if (pixel >= scrolled + textWidth - 2)
    ScrollSideTo(activeSide_, (pixel - textWidth + 2) / charWidth_ + 1);
}

void TextView::ScrollBlockIntoView(const DiffBlock& block) {
  ScrollVerticallyTo(TopRowForBlock(block, topRow_, geometry_.visibleRows));
}

bool TextView::GoToDifference(bool next) {
  const DiffList& list = *state_.list;
  DiffBlock block;
  const bool found = next ? list.NextDifference(caretRow_, Settings.WrapAround, &block)
                          : list.PreviousDifference(caretRow_, Settings.WrapAround, &block);
  if (!found) return false;
  GoToBlock(block);
  return true;
}

void TextView::GoToBlock(const DiffBlock& block) {
  const DiffList& list = *state_.list;
  if (block.firstRow < 0 || block.firstRow >= list.RowCount()) return;
  ScrollBlockIntoView(block);
  MoveCaret(block.firstRow, list.Row(block.firstRow).Offset(activeSide_), false, false);
}

void TextView::GoToRow(int32_t row) {
  const DiffList& list = *state_.list;
  row = std::clamp<int32_t>(row, 0, list.RowCount() - 1);
  const int32_t visible = std::max(1, geometry_.visibleRows);
  if (row < topRow_ || row >= topRow_ + visible) ScrollVerticallyTo(row - (visible - 1) / 2);
  MoveCaret(row, list.Row(row).Offset(activeSide_), false, false);
}

bool TextView::GoToNextDifference() { return GoToDifference(true); }

bool TextView::GoToPreviousDifference() { return GoToDifference(false); }

void TextView::MoveCaretByRows(int32_t delta, bool extend) {
  const int32_t row =
      std::clamp<int32_t>(caretRow_ + delta, 0, state_.list->RowCount() - 1);
  MoveCaret(row, OffsetAtPixel(activeSide_, row, rememberedX_), extend, true);
}

// ---- Messages ----

LRESULT TextView::OnVScroll(HWND, UINT, WPARAM wParam, LPARAM) {
  ScrollVerticallyTo(ScrollTarget(verticalBar_, LOWORD(wParam), topRow_, 1,
                                  geometry_.visibleRows, geometry_.maxTopRow));
  return 0;
}

LRESULT TextView::OnHScroll(HWND, UINT, WPARAM wParam, LPARAM lParam) {
  const HWND bar = reinterpret_cast<HWND>(lParam);
  const int side = bar == horizontalBar_[1] ? 1 : bar == horizontalBar_[0] ? 0 : activeSide_;
  ScrollSideTo(side, ScrollTarget(horizontalBar_[side], LOWORD(wParam), hscroll_[side],
                                  kHorizontalLine, geometry_.visibleColumns[side],
                                  ColumnRange(side)));
  return 0;
}

}  // namespace qm
