// TextView: painting. WM_PAINT draws into a back buffer through Paint; the
// printing path calls the same Paint on the printer's DC. Paint computes the
// visible row range once and hands each row, the strip and the decorations
// to small helpers; nothing here looks at rows outside the update area
// except the bounded scan that finds the extent of a block in the strip.
#include <algorithm>
#include <cstdio>

#include "app/settings.h"
#include "engine/text_doc.h"
#include "textwin/pane_layout.h"
#include "textwin/text_view.h"
#include "textwin/text_view_internal.h"

namespace qm {

namespace {

constexpr COLORREF kFocusBoxColor = RGB(0, 0, 0);
constexpr COLORREF kUnfocusedBoxColor = RGB(0xC0, 0xC0, 0xC0);
constexpr COLORREF kFallbackDividerColor = RGB(0x80, 0x80, 0x80);
constexpr int kMaxRunChars = 512;

COLORREF HighlightBackground(COLORREF color) {
  return RGB(GetRValue(color) * 60 / 100, GetGValue(color) * 60 / 100,
             GetBValue(color) * 60 / 100);
}

COLORREF InvertColor(COLORREF color) {
  return RGB(255 - GetRValue(color), 255 - GetGValue(color), 255 - GetBValue(color));
}

}  // namespace

class TextViewPainter {
public:
  TextViewPainter(TextView& view, HDC dc)
      : view_(view), dc_(dc), list_(*view.state_.list), g_(view.geometry_),
        lineHeight_(view.lineHeight_) {}

  void Paint(const RECT& rect, bool decorations);

private:
  COLORREF RowBackground(int side, RowKind kind) const;
  void Fill(int left, int top, int right, int bottom, COLORREF color);
  void DrawRow(int side, int32_t row, int y);
  void DrawNumber(int side, int32_t row, int y, COLORREF textColor);
  void DrawText(int side, int32_t row, int y, COLORREF background, COLORREF textColor);
  bool MarkDrawsInItsOwnCell(wchar_t mark) const;
  void DrawSelection(int side, int32_t row, int y);
  void DrawStrip(int32_t first, int32_t last);
  void DrawBlock(RowKind kind, int32_t first, int32_t last);
  void DrawDivider(int top, int bottom);
  void DrawBelowRows();
  void DrawCaretBox();
  int Y(int32_t row) const { return (row - view_.topRow_) * lineHeight_; }

  // A run of characters drawn with one ExtTextOut: same colours, and for a
  // fixed-pitch font every character exactly one column wide.
  struct Run {
    wchar_t chars[kMaxRunChars];
    INT dx[kMaxRunChars];
    int count = 0;
    int x = 0;
    int width = 0;
    bool highlighted = false;
  };
  void FlushRun(Run& run, const RECT& area, COLORREF background, COLORREF textColor,
                COLORREF highlightBackground, COLORREF highlightText);

  TextView& view_;
  HDC dc_;
  const DiffList& list_;
  const PaneGeometry& g_;
  const int lineHeight_;
};

COLORREF TextViewPainter::RowBackground(int side, RowKind kind) const {
  if (kind == RowKind::Same) return view_.display_.SameBkColor;
  if (!view_.display_.DrawArrows) return view_.display_.EmptyBkColor;
  if ((side == 0 && kind == RowKind::RightOnly) || (side == 1 && kind == RowKind::LeftOnly))
    return view_.display_.EmptyBkColor;
  if (kind == RowKind::LeftOnly) return view_.display_.LeftBkColor;
  if (kind == RowKind::RightOnly) return view_.display_.RightBkColor;
  return view_.display_.ChangeBkColor;
}

void TextViewPainter::Fill(int left, int top, int right, int bottom, COLORREF color) {
  if (left >= right || top >= bottom) return;
  const RECT rect{left, top, right, bottom};
  SetBkColor(dc_, color);
  ExtTextOutA(dc_, left, top, ETO_OPAQUE, &rect, "", 0, nullptr);
}

void TextViewPainter::Paint(const RECT& rect, bool decorations) {
  const int32_t rows = list_.RowCount();
  const int32_t top = view_.topRow_;
  const int32_t first = std::max<int32_t>(0, top + rect.top / lineHeight_);
  const int32_t last = std::min<int32_t>(rows - 1, top + (rect.bottom - 1) / lineHeight_);
  const int saved = SaveDC(dc_);
  SetTextAlign(dc_, TA_LEFT | TA_TOP | TA_NOUPDATECP);
  for (int side = 0; side < 2; ++side) {
    if (rect.right <= g_.side[side].left || rect.left >= g_.side[side].right) continue;
    for (int32_t row = first; row <= last; ++row) DrawRow(side, row, Y(row));
  }
  if (rect.right > g_.side[0].right && rect.left < g_.side[1].left && first <= last)
    DrawStrip(first, last);
  if (decorations) {
    DrawBelowRows();
    if (view_.IsTextDragging())
      view_.PaintDropMarker(dc_);
    else
      DrawCaretBox();
  }
  RestoreDC(dc_, saved);
}

void TextViewPainter::DrawRow(int side, int32_t row, int y) {
  const SideGeometry& s = g_.side[side];
  const RowKind kind = list_.Kind(row);
  const COLORREF background = RowBackground(side, kind);
  const COLORREF textColor =
      view_.state_.side[side].readOnly ? view_.display_.ReadOnlyColor : view_.display_.TextColor;
  Fill(s.left, y, s.textStart, y + lineHeight_, background);
  DrawNumber(side, row, y, textColor);
  if (list_.IsFiller(side, row)) {
    Fill(s.textStart, y, s.right, y + lineHeight_, background);
    return;
  }
  DrawText(side, row, y, background, textColor);
  if (!view_.printing_ && side == view_.activeSide_ && view_.HasSelection())
    DrawSelection(side, row, y);
}

void TextViewPainter::DrawNumber(int side, int32_t row, int y, COLORREF textColor) {
  const int show = view_.showLineNumbers_;
  if (show != 0 && show != 1) return;
  int32_t number = row;
  if (show == 1) {
    number = list_.Row(row).Line(side);
    if (number < 0) return;
  }
  char text[16];
  const int length = std::snprintf(text, sizeof(text), "%u", static_cast<unsigned>(number) + 1);
  const SideGeometry& s = g_.side[side];
  const RECT gutter{s.left, y, s.textStart, y + lineHeight_};
  SelectScope font(dc_, view_.fonts_->number.get());
  const UINT align = SetTextAlign(dc_, TA_RIGHT | TA_TOP | TA_NOUPDATECP);
  const int mode = SetBkMode(dc_, TRANSPARENT);
  SetTextColor(dc_, textColor);
  ExtTextOutA(dc_, s.textStart - ScaleToDpi(kNumberMargin, view_.dpiX_),
              y + (lineHeight_ - view_.numberHeight_) / 2 + 1, ETO_CLIPPED, &gutter, text,
              static_cast<UINT>(length), nullptr);
  SetBkMode(dc_, mode);
  SetTextAlign(dc_, align);
}

void TextViewPainter::FlushRun(Run& run, const RECT& area, COLORREF background,
                               COLORREF textColor, COLORREF highlightBackground,
                               COLORREF highlightText) {
  if (run.count == 0) return;
  const RECT clip{std::max<LONG>(run.x, area.left), area.top,
                  std::min<LONG>(run.x + run.width, area.right), area.bottom};
  SetBkColor(dc_, run.highlighted ? highlightBackground : background);
  SetTextColor(dc_, run.highlighted ? highlightText : textColor);
  ExtTextOutW(dc_, run.x, area.top, ETO_OPAQUE | ETO_CLIPPED, &clip, run.chars,
              static_cast<UINT>(run.count), view_.fixedPitch_ ? run.dx : nullptr);
  run.x += run.width;
  run.width = 0;
  run.count = 0;
}

bool TextViewPainter::MarkDrawsInItsOwnCell(wchar_t mark) const {
  // A mark meant to follow its letter draws to the left of its origin
  // (negative left bearing); one that starts at or after its origin sits in
  // a cell of its own, as some fixed-pitch faces make them.
  ABC abc{};
  return GetCharABCWidthsW(dc_, mark, mark, &abc) && abc.abcA >= 0;
}

void TextViewPainter::DrawText(int side, int32_t row, int y, COLORREF background,
                               COLORREF textColor) {
  const SideGeometry& s = g_.side[side];
  const TextDoc& doc = view_.state_.side[side].doc;
  const DiffRow& diffRow = list_.Row(row);
  const uint32_t start = diffRow.Offset(side);
  const uint32_t end = list_.RowEnd(side, row, doc);
  const uint8_t* marks = view_.display_.HighlightChanges && diffRow.kind == RowKind::Changed
                             ? diffRow.Highlight(side)
                             : nullptr;
  const COLORREF highlightBackground = HighlightBackground(background);
  const COLORREF highlightText = InvertColor(textColor);
  const RECT area{s.textStart, y, s.right, y + lineHeight_};
  const int charWidth = view_.charWidth_;
  const CellRules rules = view_.Rules(side);
  const bool fixedPitch = view_.fixedPitch_;

  SelectScope font(dc_, view_.fonts_->text.get());
  SetBkMode(dc_, OPAQUE);
  Run run;
  int x = s.textStart - view_.hscroll_[side] * charWidth;
  run.x = x;
  int32_t column = 0;
  DisplayCell cell;
  // Cells are whole characters: only the painted row is decoded, and a
  // character is highlighted when any of its bytes is marked.
  for (uint32_t p = start; p < end && x < s.right; p += cell.bytes) {
    MakeDisplayCell(doc, p, end, column, rules, &cell);
    const int width = view_.CellWidth(dc_, cell);
    if (x + width > s.textStart) {
      bool highlighted = false;
      for (uint32_t b = 0; marks && b < cell.bytes && !highlighted; ++b)
        highlighted = (marks[p - start + b] & kHighlightBit) != 0;
      if (run.count > 0 && (highlighted != run.highlighted || !fixedPitch ||
                            run.count + cell.length > kMaxRunChars))
        FlushRun(run, area, background, textColor, highlightBackground, highlightText);
      if (run.count == 0) {
        run.x = x;
        run.highlighted = highlighted;
      }
      // The cell's advance goes to the last unit of its first character
      // (the low half of a surrogate pair draws over the high half); marks
      // after it advance nothing and draw over it. A font whose marks are
      // drawn inside a cell of their own (rather than to the left of their
      // origin) gets them at the letter's origin instead, the advance then
      // going to the last mark.
      const int base = cell.length > 1 && IS_HIGH_SURROGATE(cell.text[0]) ? 1 : 0;
      const int advancing =
          !cell.spread && cell.length > base + 1 && MarkDrawsInItsOwnCell(cell.text[base + 1])
              ? cell.length - 1
              : base;
      for (int i = 0; i < cell.length; ++i) {
        run.chars[run.count] = cell.text[i];
        run.dx[run.count++] = cell.spread ? charWidth : i == advancing ? width : 0;
      }
      run.width += width;
    }
    x += width;
    column += cell.columns;
  }
  FlushRun(run, area, background, textColor, highlightBackground, highlightText);
  Fill(std::max(x, s.textStart), y, s.right, y + lineHeight_, background);
}

void TextViewPainter::DrawSelection(int side, int32_t row, int y) {
  const uint32_t caret = view_.caretOffset_[side];
  const uint32_t selStart = std::min(caret, view_.anchor_);
  const uint32_t selEnd = std::max(caret, view_.anchor_);
  const TextDoc& doc = view_.state_.side[side].doc;
  const uint32_t rowStart = list_.Row(row).Offset(side);
  const uint32_t rowEnd = list_.RowEnd(side, row, doc);
  const uint32_t a = std::max(selStart, rowStart);
  const uint32_t b = std::min(selEnd, rowEnd);
  if (a >= b) return;
  const SideGeometry& s = g_.side[side];
  const int origin = s.textStart - view_.hscroll_[side] * view_.charWidth_;
  RECT rect{origin + view_.PixelOf(side, row, a), y, origin + view_.PixelOf(side, row, b),
            y + lineHeight_};
  rect.left = std::max<LONG>(rect.left, s.textStart);
  rect.right = std::min<LONG>(rect.right, s.right);
  if (rect.left < rect.right) InvertRect(dc_, &rect);
}

void TextViewPainter::DrawStrip(int32_t first, int32_t last) {
  // A block that runs this far past the visible rows is taller than the
  // arrow limit and is drawn as clamped bars, so scanning further would
  // not change the picture.
  const int32_t limit =
      ScaleToDpi(kArrowMaxHeight, view_.dpiY_) / lineHeight_ + g_.visibleRows + 2;
  const int32_t rows = list_.RowCount();
  int32_t row = first;
  while (row <= last) {
    const RowKind kind = list_.Kind(row);
    int32_t blockFirst = row;
    for (int32_t n = 0; n < limit && blockFirst > 0 && list_.Kind(blockFirst - 1) == kind; ++n)
      --blockFirst;
    int32_t blockLast = row;
    for (int32_t n = 0; n < limit && blockLast < rows - 1 && list_.Kind(blockLast + 1) == kind;
         ++n)
      ++blockLast;
    DrawBlock(kind, blockFirst, blockLast);
    row = blockLast + 1;
  }
}

void TextViewPainter::DrawBlock(RowKind kind, int32_t first, int32_t last) {
  const int left = g_.side[0].right;
  const int right = g_.side[1].left;
  const int split = g_.split;
  int top = Y(first);
  int bottom = Y(last + 1);
  const bool arrows = view_.display_.DrawArrows && kind != RowKind::Same &&
                      bottom - top <= ScaleToDpi(kArrowMaxHeight, view_.dpiY_);
  if (!arrows) {
    top = std::max(top, 0);
    bottom = std::min(bottom, g_.height);
    Fill(left, top, split, bottom, RowBackground(0, kind));
    Fill(split, top, right, bottom, RowBackground(1, kind));
    DrawDivider(top, bottom);
    return;
  }
  // The polygons cover the block but for their right and bottom edges,
  // which GDI leaves out without a pen: lay the corner colour first.
  Fill(left, top, right, bottom, view_.display_.EmptyBkColor);
  const int m = (top + bottom) / 2 - 1;
  const int c = (left + right) / 2 - 1;
  GdiObject<HBRUSH> empty(CreateSolidBrush(view_.display_.EmptyBkColor));
  SelectScope pen(dc_, GetStockObject(NULL_PEN));
  auto polygon = [this](HBRUSH brush, std::initializer_list<POINT> points) {
    SelectScope select(dc_, brush);
    Polygon(dc_, points.begin(), static_cast<int>(points.size()));
  };
  if (kind == RowKind::LeftOnly) {
    GdiObject<HBRUSH> fill(CreateSolidBrush(view_.display_.LeftBkColor));
    polygon(fill.get(), {{left, top}, {right, m}, {left, bottom}});
    polygon(empty.get(), {{left, top}, {right, top}, {right, m}});
    polygon(empty.get(), {{left, bottom}, {right, m}, {right, bottom}});
    const int d = (split - left) * (m - top) / std::max(1, right - left);
    DrawDivider(top, top + d);
    DrawDivider(bottom - d, bottom);
  } else if (kind == RowKind::RightOnly) {
    GdiObject<HBRUSH> fill(CreateSolidBrush(view_.display_.RightBkColor));
    polygon(fill.get(), {{right, top}, {right, bottom}, {left, m}});
    polygon(empty.get(), {{left, top}, {right, top}, {left, m}});
    polygon(empty.get(), {{left, m}, {right, bottom}, {left, bottom}});
    const int d = (right - split) * (m - top) / std::max(1, right - left);
    DrawDivider(top, top + d);
    DrawDivider(bottom - d, bottom);
  } else {
    GdiObject<HBRUSH> fill(CreateSolidBrush(view_.display_.ChangeBkColor));
    polygon(fill.get(), {{left, top}, {c, m}, {left, bottom}});
    polygon(fill.get(), {{right, top}, {right, bottom}, {c, m}});
    polygon(empty.get(), {{left, top}, {c, top}, {c, m}});
    polygon(empty.get(), {{c, m}, {c, bottom}, {left, bottom}});
    polygon(empty.get(), {{c, top}, {right, top}, {c, m}});
    polygon(empty.get(), {{c, m}, {right, bottom}, {c, bottom}});
    DrawDivider(top, bottom);
  }
}

void TextViewPainter::DrawDivider(int top, int bottom) {
  if (top >= bottom) return;
  const RECT rect{g_.split, top, g_.split + ScaleToDpi(kDividerWidth, view_.dpiX_), bottom};
  if (Settings.DividerBrush) {
    // Anchor the pattern to the rows so that scrolled pixels and newly
    // painted ones continue the same dots.
    const int phase = static_cast<int>((-static_cast<int64_t>(view_.topRow_) * lineHeight_) & 7);
    POINT previous{};
    SetBrushOrgEx(dc_, 0, phase, &previous);
    FillRect(dc_, &rect, Settings.DividerBrush);
    SetBrushOrgEx(dc_, previous.x, previous.y, nullptr);
  } else {
    Fill(rect.left, rect.top, rect.right, rect.bottom, kFallbackDividerColor);
  }
}

void TextViewPainter::DrawBelowRows() {
  const int64_t end = static_cast<int64_t>(list_.RowCount() - view_.topRow_) * lineHeight_;
  if (end >= g_.height) return;
  const int y = static_cast<int>(end);
  Fill(0, y, g_.width, y + 1, view_.display_.EmptyBkColor);
  Fill(0, y + 1, g_.width, g_.height, view_.display_.SameBkColor);
  DrawDivider(y, g_.height);
}

void TextViewPainter::DrawCaretBox() {
  if (!view_.display_.DrawCaretBox) return;
  const int32_t row = view_.caretRow_;
  if (row < view_.topRow_ || row > view_.topRow_ + g_.visibleRows) return;
  const SideGeometry& s = g_.side[view_.activeSide_];
  const RECT box{s.left, Y(row), s.right, Y(row) + lineHeight_};
  GdiObject<HBRUSH> brush(
      CreateSolidBrush(view_.hasFocus_ ? kFocusBoxColor : kUnfocusedBoxColor));
  FrameRect(dc_, &box, brush.get());
}

// ---- TextView ----

void TextView::Paint(HDC dc, const RECT& rect) {
  if (!fonts_) return;
  TextViewPainter(*this, dc).Paint(rect, !printing_);
}

LRESULT TextView::OnPaint(HWND hwnd, UINT, WPARAM, LPARAM) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  const RECT rect = ps.rcPaint;
  const bool comparing = host_ && host_->IsComparing();
  if (printing_ || comparing) {
    SetBkColor(dc, display_.SameBkColor);
    ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &rect, "", 0, nullptr);
    if (comparing && !printing_) {
      const RECT divider{geometry_.split, rect.top,
                         geometry_.split + ScaleToDpi(kDividerWidth, dpiX_), rect.bottom};
      FillRect(dc, &divider, Settings.DividerBrush ? Settings.DividerBrush
                                                   : static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
    }
    EndPaint(hwnd, &ps);
    return 0;
  }
  if (!backBuffer_ || backBuffer_->width != geometry_.width ||
      backBuffer_->height != geometry_.height) {
    backBuffer_ = std::make_unique<BackBuffer>();
    backBuffer_->bitmap.Reset(
        CreateCompatibleBitmap(dc, std::max(1, geometry_.width), std::max(1, geometry_.height)));
    backBuffer_->width = geometry_.width;
    backBuffer_->height = geometry_.height;
  }
  HDC memory = backBuffer_->bitmap ? CreateCompatibleDC(dc) : nullptr;
  if (memory) {
    {
      SelectScope bitmap(memory, backBuffer_->bitmap.get());
      IntersectClipRect(memory, rect.left, rect.top, rect.right, rect.bottom);
      Paint(memory, rect);
      BitBlt(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, memory,
             rect.left, rect.top, SRCCOPY);
    }
    DeleteDC(memory);
  } else {
    Paint(dc, rect);  // no memory for a back buffer: draw straight, flicker and all
  }
  EndPaint(hwnd, &ps);
  return 0;
}

// ---- Printing ----

void TextView::BeginPrinting(HDC printerDc, int width, int height) {
  auto screen = std::make_unique<ScreenState>();
  screen->geometry = geometry_;
  screen->topRow = topRow_;
  screen->hscroll[0] = hscroll_[0];
  screen->hscroll[1] = hscroll_[1];
  screen->dpiX = dpiX_;
  screen->dpiY = dpiY_;
  screen_ = std::move(screen);
  printing_ = true;
  dpiX_ = GetDeviceCaps(printerDc, LOGPIXELSX);
  MakeFonts(printerDc, GetDeviceCaps(printerDc, LOGPIXELSY), Settings.PrintScale);
  geometry_.width = width;
  geometry_.height = height;
  hscroll_[0] = hscroll_[1] = 0;
  Layout();
}

void TextView::PrintRows(HDC dc, int32_t firstRow, int32_t lastRow) {
  if (!printing_ || state_.list->RowCount() == 0) return;
  topRow_ = firstRow;
  const RECT rect{0, 0, geometry_.width, (lastRow - firstRow + 1) * lineHeight_};
  const int saved = SaveDC(dc);
  IntersectClipRect(dc, rect.left, rect.top, rect.right, rect.bottom);
  Paint(dc, rect);
  RestoreDC(dc, saved);
}

void TextView::EndPrinting() {
  if (!screen_) return;
  printing_ = false;
  geometry_ = screen_->geometry;
  topRow_ = screen_->topRow;
  hscroll_[0] = screen_->hscroll[0];
  hscroll_[1] = screen_->hscroll[1];
  dpiX_ = screen_->dpiX;
  screen_.reset();
  {
    WindowDC dc(hwnd());
    MakeFonts(dc.get(), 96, 100);
  }
  Layout();
  UpdateCaretPixels();
  InvalidateAll();
}

}  // namespace qm
