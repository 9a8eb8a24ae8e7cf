// Row painting: the rows of both sides, their numbers, the selection, the
// strip of difference markers and the caret box. Paint computes the row
// range of the update area once and hands each row, the strip and the
// decorations to small helpers; nothing here looks at rows outside the
// update area except the bounded scan that finds the extent of a block in
// the strip.
#include "textwin/row_painter.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "app/settings.h"
#include "controls/code_page.h"
#include "engine/text_doc.h"
#include "textwin/pane_layout.h"
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


class RowPainter {
public:
  RowPainter(HDC dc, const RowPaintSource& source)
      : s_(source), dc_(dc), state_(*source.state), display_(*source.display),
        fonts_(*source.fonts), deco_(source.decorations), list_(*state_.list),
        g_(*source.geometry), lineHeight_(fonts_.lineHeight) {}

  void Paint(const RECT& rect);

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
  int Y(int32_t row) const { return (row - s_.topRow) * lineHeight_; }
  int CellWidth(const DisplayCell& cell) const;

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

  const RowPaintSource& s_;
  HDC dc_;
  const CompareState& state_;
  const DisplaySettings& display_;
  const RowFonts& fonts_;
  const RowDecorations* deco_;
  const DiffList& list_;
  const PaneGeometry& g_;
  const int lineHeight_;
};

COLORREF RowPainter::RowBackground(int side, RowKind kind) const {
  if (kind == RowKind::Same) return display_.SameBkColor;
  if (!display_.DrawArrows) return display_.EmptyBkColor;
  if ((side == 0 && kind == RowKind::RightOnly) || (side == 1 && kind == RowKind::LeftOnly))
    return display_.EmptyBkColor;
  if (kind == RowKind::LeftOnly) return display_.LeftBkColor;
  if (kind == RowKind::RightOnly) return display_.RightBkColor;
  return display_.ChangeBkColor;
}

void RowPainter::Fill(int left, int top, int right, int bottom, COLORREF color) {
  if (left >= right || top >= bottom) return;
  const RECT rect{left, top, right, bottom};
  SetBkColor(dc_, color);
  ExtTextOutA(dc_, left, top, ETO_OPAQUE, &rect, "", 0, nullptr);
}

void RowPainter::Paint(const RECT& rect) {
  const int32_t rows = list_.RowCount();
  const int32_t top = s_.topRow;
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
  if (deco_) {
    DrawBelowRows();
    if (deco_->dropMarker)
      deco_->dropMarker(dc_);
    else
      DrawCaretBox();
  }
  RestoreDC(dc_, saved);
}

void RowPainter::DrawRow(int side, int32_t row, int y) {
  const SideGeometry& s = g_.side[side];
  const RowKind kind = list_.Kind(row);
  const COLORREF background = RowBackground(side, kind);
  const COLORREF textColor =
      state_.side[side].readOnly ? display_.ReadOnlyColor : display_.TextColor;
  Fill(s.left, y, s.textStart, y + lineHeight_, background);
  DrawNumber(side, row, y, textColor);
  if (list_.IsFiller(side, row)) {
    Fill(s.textStart, y, s.right, y + lineHeight_, background);
    return;
  }
  DrawText(side, row, y, background, textColor);
  if (deco_ && side == deco_->activeSide && deco_->caret != deco_->anchor)
    DrawSelection(side, row, y);
}

void RowPainter::DrawNumber(int side, int32_t row, int y, COLORREF textColor) {
  const int show = display_.ShowLineNumbers;
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
  SelectScope font(dc_, fonts_.number.get());
  const UINT align = SetTextAlign(dc_, TA_RIGHT | TA_TOP | TA_NOUPDATECP);
  const int mode = SetBkMode(dc_, TRANSPARENT);
  SetTextColor(dc_, textColor);
  ExtTextOutA(dc_, s.textStart - ScaleToDpi(kNumberMargin, fonts_.dpiX),
              y + (lineHeight_ - fonts_.numberHeight) / 2 + 1, ETO_CLIPPED, &gutter, text,
              static_cast<UINT>(length), nullptr);
  SetBkMode(dc_, mode);
  SetTextAlign(dc_, align);
}

void RowPainter::FlushRun(Run& run, const RECT& area, COLORREF background,
                               COLORREF textColor, COLORREF highlightBackground,
                               COLORREF highlightText) {
  if (run.count == 0) return;
  const RECT clip{std::max<LONG>(run.x, area.left), area.top,
                  std::min<LONG>(run.x + run.width, area.right), area.bottom};
  SetBkColor(dc_, run.highlighted ? highlightBackground : background);
  SetTextColor(dc_, run.highlighted ? highlightText : textColor);
  ExtTextOutW(dc_, run.x, area.top, ETO_OPAQUE | ETO_CLIPPED, &clip, run.chars,
              static_cast<UINT>(run.count), fonts_.fixedPitch ? run.dx : nullptr);
  run.x += run.width;
  run.width = 0;
  run.count = 0;
}

bool RowPainter::MarkDrawsInItsOwnCell(wchar_t mark) const {
  // A mark meant to follow its letter draws to the left of its origin
  // (negative left bearing); one that starts at or after its origin sits in
  // a cell of its own, as some fixed-pitch faces make them.
  ABC abc{};
  return GetCharABCWidthsW(dc_, mark, mark, &abc) && abc.abcA >= 0;
}

void RowPainter::DrawText(int side, int32_t row, int y, COLORREF background,
                               COLORREF textColor) {
  const SideGeometry& s = g_.side[side];
  const TextDoc& doc = state_.side[side].doc;
  const DiffRow& diffRow = list_.Row(row);
  const uint32_t start = diffRow.Offset(side);
  const uint32_t end = list_.RowEnd(side, row, doc);
  const uint8_t* marks = display_.HighlightChanges && diffRow.kind == RowKind::Changed
                             ? diffRow.Highlight(side)
                             : nullptr;
  const COLORREF highlightBackground = HighlightBackground(background);
  const COLORREF highlightText = InvertColor(textColor);
  const RECT area{s.textStart, y, s.right, y + lineHeight_};
  const int charWidth = fonts_.charWidth;
  const CellRules rules = RowCellRules(state_, display_, side);
  const bool fixedPitch = fonts_.fixedPitch;

  SelectScope font(dc_, fonts_.text.get());
  SetBkMode(dc_, OPAQUE);
  Run run;
  int x = s.textStart - s_.hscroll[side] * charWidth;
  run.x = x;
  int32_t column = 0;
  DisplayCell cell;
  // Cells are whole characters: only the painted row is decoded, and a
  // character is highlighted when any of its bytes is marked.
  for (uint32_t p = start; p < end && x < s.right; p += cell.bytes) {
    MakeDisplayCell(doc, p, end, column, rules, &cell);
    const int width = CellWidth(cell);
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

void RowPainter::DrawSelection(int side, int32_t row, int y) {
  const uint32_t selStart = std::min(deco_->caret, deco_->anchor);
  const uint32_t selEnd = std::max(deco_->caret, deco_->anchor);
  const TextDoc& doc = state_.side[side].doc;
  const uint32_t rowStart = list_.Row(row).Offset(side);
  const uint32_t rowEnd = list_.RowEnd(side, row, doc);
  const uint32_t a = std::max(selStart, rowStart);
  const uint32_t b = std::min(selEnd, rowEnd);
  if (a >= b) return;
  const SideGeometry& s = g_.side[side];
  const int origin = s.textStart - s_.hscroll[side] * fonts_.charWidth;
  RECT rect{origin + deco_->pixelOf(side, row, a), y, origin + deco_->pixelOf(side, row, b),
            y + lineHeight_};
  rect.left = std::max<LONG>(rect.left, s.textStart);
  rect.right = std::min<LONG>(rect.right, s.right);
  if (rect.left < rect.right) InvertRect(dc_, &rect);
}

void RowPainter::DrawStrip(int32_t first, int32_t last) {
  // A block that runs this far past the visible rows is taller than the
  // arrow limit and is drawn as clamped bars, so scanning further would
  // not change the picture.
  const int32_t limit =
      ScaleToDpi(kArrowMaxHeight, fonts_.dpiY) / lineHeight_ + g_.visibleRows + 2;
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

void RowPainter::DrawBlock(RowKind kind, int32_t first, int32_t last) {
  const int left = g_.side[0].right;
  const int right = g_.side[1].left;
  const int split = g_.split;
  int top = Y(first);
  int bottom = Y(last + 1);
  const bool arrows = display_.DrawArrows && kind != RowKind::Same &&
                      bottom - top <= ScaleToDpi(kArrowMaxHeight, fonts_.dpiY);
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
  Fill(left, top, right, bottom, display_.EmptyBkColor);
  const int m = (top + bottom) / 2 - 1;
  const int c = (left + right) / 2 - 1;
  GdiObject<HBRUSH> empty(CreateSolidBrush(display_.EmptyBkColor));
  SelectScope pen(dc_, GetStockObject(NULL_PEN));
  auto polygon = [this](HBRUSH brush, std::initializer_list<POINT> points) {
    SelectScope select(dc_, brush);
    Polygon(dc_, points.begin(), static_cast<int>(points.size()));
  };
  if (kind == RowKind::LeftOnly) {
    GdiObject<HBRUSH> fill(CreateSolidBrush(display_.LeftBkColor));
    polygon(fill.get(), {{left, top}, {right, m}, {left, bottom}});
    polygon(empty.get(), {{left, top}, {right, top}, {right, m}});
    polygon(empty.get(), {{left, bottom}, {right, m}, {right, bottom}});
    const int d = (split - left) * (m - top) / std::max(1, right - left);
    DrawDivider(top, top + d);
    DrawDivider(bottom - d, bottom);
  } else if (kind == RowKind::RightOnly) {
    GdiObject<HBRUSH> fill(CreateSolidBrush(display_.RightBkColor));
    polygon(fill.get(), {{right, top}, {right, bottom}, {left, m}});
    polygon(empty.get(), {{left, top}, {right, top}, {left, m}});
    polygon(empty.get(), {{left, m}, {right, bottom}, {left, bottom}});
    const int d = (right - split) * (m - top) / std::max(1, right - left);
    DrawDivider(top, top + d);
    DrawDivider(bottom - d, bottom);
  } else {
    GdiObject<HBRUSH> fill(CreateSolidBrush(display_.ChangeBkColor));
    polygon(fill.get(), {{left, top}, {c, m}, {left, bottom}});
    polygon(fill.get(), {{right, top}, {right, bottom}, {c, m}});
    polygon(empty.get(), {{left, top}, {c, top}, {c, m}});
    polygon(empty.get(), {{c, m}, {c, bottom}, {left, bottom}});
    polygon(empty.get(), {{c, top}, {right, top}, {c, m}});
    polygon(empty.get(), {{c, m}, {right, bottom}, {c, bottom}});
    DrawDivider(top, bottom);
  }
}

void RowPainter::DrawDivider(int top, int bottom) {
  if (top >= bottom) return;
  const RECT rect{g_.split, top, g_.split + ScaleToDpi(kDividerWidth, fonts_.dpiX), bottom};
  if (Settings.DividerBrush) {
    // Anchor the pattern to the rows so that scrolled pixels and newly
    // painted ones continue the same dots.
    const int phase = static_cast<int>((-static_cast<int64_t>(s_.topRow) * lineHeight_) & 7);
    POINT previous{};
    SetBrushOrgEx(dc_, 0, phase, &previous);
    FillRect(dc_, &rect, Settings.DividerBrush);
    SetBrushOrgEx(dc_, previous.x, previous.y, nullptr);
  } else {
    Fill(rect.left, rect.top, rect.right, rect.bottom, kFallbackDividerColor);
  }
}

void RowPainter::DrawBelowRows() {
  const int64_t end = static_cast<int64_t>(list_.RowCount() - s_.topRow) * lineHeight_;
  if (end >= g_.height) return;
  const int y = static_cast<int>(end);
  Fill(0, y, g_.width, y + 1, display_.EmptyBkColor);
  Fill(0, y + 1, g_.width, g_.height, display_.SameBkColor);
  DrawDivider(y, g_.height);
}

void RowPainter::DrawCaretBox() {
  if (!display_.DrawCaretBox) return;
  const int32_t row = deco_->caretRow;
  if (row < s_.topRow || row > s_.topRow + g_.visibleRows) return;
  const SideGeometry& s = g_.side[deco_->activeSide];
  const RECT box{s.left, Y(row), s.right, Y(row) + lineHeight_};
  GdiObject<HBRUSH> brush(
      CreateSolidBrush(deco_->hasFocus ? kFocusBoxColor : kUnfocusedBoxColor));
  FrameRect(dc_, &box, brush.get());
}

int RowPainter::CellWidth(const DisplayCell& cell) const {
  if (fonts_.fixedPitch) return cell.columns * fonts_.charWidth;
  SIZE size{};
  GetTextExtentPoint32W(dc_, cell.text, cell.length, &size);
  return size.cx;
}

}  // namespace

void PaintRows(HDC dc, const RowPaintSource& source, const RECT& rect) {
  if (!source.fonts || !source.state) return;
  RowPainter(dc, source).Paint(rect);
}

void MakeRowFonts(HDC dc, const DisplaySettings& display, int scalePercent, RowFonts* fonts) {
  LOGFONTA font{};
  font.lfHeight = -MulDiv(display.FontSize, GetDeviceCaps(dc, LOGPIXELSY), 72);
  if (scalePercent != 100) font.lfHeight = font.lfHeight * scalePercent / 100;
  font.lfWeight = FW_NORMAL;
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfOutPrecision = OUT_DEFAULT_PRECIS;
  font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  font.lfQuality = DEFAULT_QUALITY;
  font.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;  // the face the user chose, whatever its pitch
  const std::string face = display.FontFace.empty() ? DefaultFontFace() : display.FontFace;
  lstrcpynA(font.lfFaceName, face.c_str(), LF_FACESIZE);
  fonts->text.Reset(CreateFontIndirectA(&font));
  font.lfHeight = font.lfHeight * 9 / 10;
  fonts->number.Reset(CreateFontIndirectA(&font));

  TEXTMETRICA metrics{};
  {
    SelectScope select(dc, fonts->text.get() ? fonts->text.get() : GetStockObject(ANSI_FIXED_FONT));
    GetTextMetricsA(dc, &metrics);
  }
  fonts->lineHeight = std::max<int>(1, metrics.tmHeight);
  fonts->charWidth = std::max<int>(1, metrics.tmAveCharWidth);
  // TMPF_FIXED_PITCH set means variable pitch (the name is historical).
  fonts->fixedPitch = (metrics.tmPitchAndFamily & TMPF_FIXED_PITCH) == 0;
  SIZE digit{};
  {
    SelectScope select(dc, fonts->number.get() ? fonts->number.get()
                                               : GetStockObject(ANSI_FIXED_FONT));
    GetTextExtentPoint32A(dc, "9", 1, &digit);
  }
  fonts->digitWidth = std::max<int>(1, digit.cx);
  fonts->numberHeight = digit.cy;
}

PaneGeometry LayOutRows(int width, int height, float ratio, int32_t rows, int showLineNumbers,
                        const RowFonts& fonts, bool printing) {
  PaneGeometry g;
  g.width = width;
  g.height = height;
  g.split = ComputeSplit(width, &ratio);
  const int strip = ScaleToDpi(kStripHalf, fonts.dpiX);
  g.gutter = GutterWidth(showLineNumbers, rows, fonts.digitWidth, fonts.dpiX, printing);
  g.side[0].left = 0;
  g.side[0].right = g.split - strip;
  g.side[1].left = g.split + strip;
  g.side[1].right = g.width;
  for (SideGeometry& side : g.side) side.textStart = side.left + g.gutter;
  g.visibleRows = std::max(0, g.height / fonts.lineHeight);
  g.maxTopRow = std::max<int32_t>(0, rows - g.visibleRows);
  for (int s = 0; s < 2; ++s)
    g.visibleColumns[s] = std::max(0, g.side[s].right - g.side[s].textStart) / fonts.charWidth;
  return g;
}

CellRules RowCellRules(const CompareState& state, const DisplaySettings& display, int side) {
  CellRules rules;
  rules.tabStop = display.TabStop;
  rules.showWhiteSpace = display.ShowWhiteSpace;
  rules.utf8 = state.side[side].encoding != TextEncoding::Legacy;
  rules.legacy = LegacyCharTable();
  return rules;
}

}  // namespace qm
