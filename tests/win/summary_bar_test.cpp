// The summary bar of a real compare window: what it paints for a known
// comparison (marks, their borders, the caret frame, the margins of a long
// list) and where its clicks take the pane.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include <windows.h>

#include "app/settings.h"
#include "app/window_manager.h"
#include "textwin/summary_bar.h"
#include "textwin/text_window.h"
#include "tests/win/painted_bitmap.h"
#include "tests/win/text_window_harness.h"

namespace qm {
namespace {

// The bar painted into a bitmap of its own size.
class Picture : public PaintedBitmap {
public:
  Picture(SummaryBar& bar, int width, int height)
      : PaintedBitmap(width, height, [&](HDC dc) { bar.Paint(dc, width, height); }) {}
};

COLORREF Dark() {
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  return RGB(GetRValue(face) * 25 / 100, GetGValue(face) * 25 / 100, GetBValue(face) * 25 / 100);
}

COLORREF EdgeOf(COLORREF fill) {
  const COLORREF dark = Dark();
  return RGB((GetRValue(fill) + GetRValue(dark)) / 2, (GetGValue(fill) + GetGValue(dark)) / 2,
             (GetBValue(fill) + GetBValue(dark)) / 2);
}

std::string Hex(COLORREF color) {
  char text[16];
  snprintf(text, sizeof text, "%06lX", static_cast<unsigned long>(color));
  return text;
}
#define EXPECT_COLOR(actual, expected) EXPECT_EQ(Hex(actual), Hex(expected))
#define ASSERT_COLOR(actual, expected) ASSERT_EQ(Hex(actual), Hex(expected))

class SummaryBarTest : public ::testing::Test {
protected:
  void SetUp() override {
    RegDeleteTreeA(HKEY_CURRENT_USER, "SOFTWARE\\Ambervale\\Quillmere\\Settings");
    Settings.IdenticalMessage = false;
    Settings.CommandLineCompare = false;
    Settings.ViewSummary = true;
    window_ = static_cast<TextWindow*>(CreateTextWindow());
    ASSERT_NE(window_, nullptr);
    MoveWindow(window_->hwnd(), 0, 0, 700, 500, TRUE);
    HWND summary = FindWindowExA(window_->hwnd(), nullptr, SummaryBar::kClassName, nullptr);
    ASSERT_TRUE(summary);
    bar_ = dynamic_cast<SummaryBar*>(WindowBase::FromHandle(summary));
    ASSERT_NE(bar_, nullptr);
  }
  void TearDown() override {
    CloseTextWindow(window_);
    DeleteFileA(left_.c_str());
    DeleteFileA(right_.c_str());
  }

  void Compare(const std::string& left, const std::string& right) {
    left_ = TempFile("summary-left.txt", left);
    right_ = TempFile("summary-right.txt", right);
    window_->SetNames(left_, right_, true);
    Pump();
    ASSERT_EQ(window_->LastResult().code, CompareCode::Ok);
  }

  int Width() const { return bar_->clientWidth(); }
  int Height() const { return bar_->clientHeight(); }
  void Click(UINT message, int y) {
    SendMessageA(bar_->hwnd(), message, 0, MAKELPARAM(Width() / 2, y));
  }

  TextWindow* window_ = nullptr;
  SummaryBar* bar_ = nullptr;
  std::string left_, right_;
};

// Rows: 0 one, 1 two, 2 left only, 3 three, 4 four, 5 five, 6 right only, 7 six,
// 8 the empty row after the last line feed.
const char kShortLeft[] = "one\ntwo\nonly-left\nthree\nfour\nfive\nsix\n";
const char kShortRight[] = "one\ntwo\nthree\nfour\nfive\nonly-right\nsix\n";

TEST_F(SummaryBarTest, AShortComparisonDrawsEachMarkBesideItsRowsWithBordersAndTheCaretFrame) {
  Compare(kShortLeft, kShortRight);
  TextView& pane = window_->Pane();
  ASSERT_EQ(pane.List().RowCount(), 9);
  ASSERT_EQ(pane.List().Kind(2), RowKind::LeftOnly);
  ASSERT_EQ(pane.List().Kind(6), RowKind::RightOnly);
  pane.PlaceCaret(0, 0, false);
  const int line = pane.LineHeight();
  ASSERT_GE(line, 5);
  const SummaryScale scale = bar_->Scale();
  EXPECT_EQ(scale.margin, 0) << "all rows fit the pane";
  EXPECT_EQ(scale.height, 9 * line);

  const DisplaySettings display = Settings.DisplaySnapshot();
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  const int width = Width(), mid = width / 2;
  Picture picture(*bar_, width, Height());
  // The left-only row: fill between one edge pixel either side, a border
  // row above and below, background beyond and in the side columns.
  const int top = 2 * line, bottom = 3 * line;
  EXPECT_COLOR(picture.At(mid, top + line / 2), display.LeftBkColor);
  EXPECT_COLOR(picture.At(4, top + line / 2), EdgeOf(display.LeftBkColor));
  EXPECT_COLOR(picture.At(width - 5, top + line / 2), EdgeOf(display.LeftBkColor));
  EXPECT_COLOR(picture.At(3, top + line / 2), face);
  EXPECT_COLOR(picture.At(width - 4, top + line / 2), face);
  EXPECT_COLOR(picture.At(mid, top - 1), EdgeOf(display.LeftBkColor));
  EXPECT_COLOR(picture.At(mid, bottom), EdgeOf(display.LeftBkColor));
  EXPECT_COLOR(picture.At(mid, top - 2), face);
  EXPECT_COLOR(picture.At(mid, bottom + 1), face);
  // The right-only row in its own colours.
  EXPECT_COLOR(picture.At(mid, 6 * line + line / 2), display.RightBkColor);
  EXPECT_COLOR(picture.At(mid, 7 * line), EdgeOf(display.RightBkColor));
  // The caret frame around row 0: two black pixels on every side.
  const COLORREF black = RGB(0, 0, 0);
  for (int y : {0, 1, line - 2, line - 1}) EXPECT_COLOR(picture.At(mid, y), black) << "y " << y;
  for (int x : {4, 5, width - 6, width - 5}) EXPECT_COLOR(picture.At(x, line / 2), black);
  EXPECT_COLOR(picture.At(mid, line / 2), face) << "inside the frame";
  // Nothing below the marks.
  EXPECT_COLOR(picture.At(mid, 9 * line + 2), face);
}

TEST_F(SummaryBarTest, ClicksTakeThePaneToTheRowAndTheNearestDifference) {
  Compare(kShortLeft, kShortRight);
  TextView& pane = window_->Pane();
  const int line = pane.LineHeight();
  pane.SetActiveSide(1);
  pane.PlaceCaret(0, 2, true);  // a selection, to be collapsed
  Click(WM_LBUTTONDOWN, 7 * line + line / 2);
  EXPECT_EQ(pane.CaretRow(), 7);
  EXPECT_EQ(pane.CaretOffset(1), pane.List().Row(7).Offset(1)) << "the row's start";
  EXPECT_FALSE(pane.HasSelection());
  EXPECT_EQ(pane.ActiveSide(), 1);
  // Row 4 lies two rows from either difference: the one above wins.
  Click(WM_RBUTTONDOWN, 4 * line + 1);
  EXPECT_EQ(pane.CaretRow(), 2);
  Click(WM_RBUTTONDOWN, 5 * line + 1);
  EXPECT_EQ(pane.CaretRow(), 6);
  // Below the marks: the last row.
  Click(WM_LBUTTONDOWN, Height() - 1);
  EXPECT_EQ(pane.CaretRow(), 8);
}

TEST_F(SummaryBarTest, ALongComparisonLinesUpWithTheScrollTrackAndCentresTheClickedRow) {
  std::string left, right;
  for (int i = 0; i < 3000; ++i) {
    const std::string text = "line " + std::to_string(i) + "\n";
    left += text;
    right += i == 2222 ? "changed " + text : text;
  }
  Compare(left, right);
  TextView& pane = window_->Pane();
  const DiffList& list = pane.List();
  const int32_t rows = list.RowCount();
  int32_t changed = -1;
  for (int32_t row = 0; row < rows && changed < 0; ++row)
    if (list.Kind(row) != RowKind::Same) changed = row;
  ASSERT_GE(changed, 2222);
  pane.PlaceCaret(0, 0, false);

  const SummaryScale scale = bar_->Scale();
  EXPECT_EQ(scale.margin, GetSystemMetrics(SM_CYVSCROLL));
  EXPECT_EQ(scale.height, Height() - 2 * scale.margin);
  const PixelSpan span = RowPixels(changed, rows, scale.height);
  const int y = scale.margin + span.y0;
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  const int mid = Width() / 2;
  {
    Picture picture(*bar_, Width(), Height());
    ASSERT_EQ(list.Kind(changed), RowKind::Changed);
    EXPECT_COLOR(picture.At(mid, y), Settings.DisplaySnapshot().ChangeBkColor);
    EXPECT_NE(Hex(picture.At(mid, y)), Hex(face)) << "a one-row difference still shows";
    EXPECT_NE(Hex(picture.At(mid, y - 1)), Hex(face)) << "border above";
    EXPECT_NE(Hex(picture.At(mid, scale.margin + span.y1)), Hex(face)) << "border below";
    // The caret frame on row 0 starts at the top of the mark area, 5 pixels.
    EXPECT_COLOR(picture.At(mid, scale.margin - 1), face) << "the margin stays empty";
    EXPECT_COLOR(picture.At(mid, scale.margin), RGB(0, 0, 0));
    EXPECT_COLOR(picture.At(mid, scale.margin + 4), RGB(0, 0, 0));
    EXPECT_COLOR(picture.At(mid, scale.margin + 5), face);
  }
  // More rows than pixels: a click on the mark goes to one of the rows
  // sharing its pixel, centred in the pane; a right click to the change.
  Click(WM_LBUTTONDOWN, y);
  const int32_t perPixel = rows / scale.height + 1;
  EXPECT_LE(std::abs(pane.CaretRow() - changed), perPixel);
  const int32_t visible = pane.Geometry().visibleRows;
  EXPECT_EQ(pane.TopRow(), pane.CaretRow() - (visible - 1) / 2);
  EXPECT_EQ(pane.CaretOffset(0), list.Row(pane.CaretRow()).Offset(0));
  const int32_t clicked = pane.CaretRow();
  Click(WM_RBUTTONDOWN, y);
  EXPECT_EQ(pane.CaretRow(), changed);
  // A row in view is not scrolled to.
  pane.ScrollToRow(clicked - 2);
  Click(WM_LBUTTONDOWN, y);
  EXPECT_EQ(pane.CaretRow(), clicked);
  EXPECT_EQ(pane.TopRow(), clicked - 2);
  // The top margin is row 0; a right click there goes down to the change.
  Click(WM_LBUTTONDOWN, 1);
  EXPECT_EQ(pane.CaretRow(), 0);
  Click(WM_RBUTTONDOWN, 1);
  EXPECT_EQ(pane.CaretRow(), changed);
}

TEST_F(SummaryBarTest, FollowsTheWindowsDisplaySettingsAndTheViewToggle) {
  Compare(kShortLeft, kShortRight);
  const int line = window_->Pane().LineHeight();
  DisplaySettings display = Settings.DisplaySnapshot();
  display.DrawArrows = false;
  display.EmptyBkColor = RGB(0x20, 0x80, 0x40);
  window_->ApplyDisplay(display);
  {
    Picture picture(*bar_, Width(), Height());
    EXPECT_COLOR(picture.At(Width() / 2, 2 * line + line / 2), display.EmptyBkColor)
        << "without arrows every mark takes the empty rows' colour";
    EXPECT_COLOR(picture.At(Width() / 2, 3 * line), EdgeOf(display.EmptyBkColor));
  }
  const int paneWidth = window_->Layout().paneWidth;
  ToggleSummary();
  EXPECT_FALSE(IsWindowVisible(bar_->hwnd()));
  EXPECT_EQ(window_->Layout().paneWidth, paneWidth + GetSystemMetrics(SM_CXVSCROLL));
  ToggleSummary();
  EXPECT_TRUE(IsWindowVisible(bar_->hwnd()));
  EXPECT_EQ(window_->Layout().paneWidth, paneWidth);
}

TEST_F(SummaryBarTest, WithoutDifferencesARightClickActsLikeALeftClick) {
  Compare(kShortLeft, kShortLeft);
  TextView& pane = window_->Pane();
  pane.PlaceCaret(0, 0, false);
  Click(WM_RBUTTONDOWN, 4 * pane.LineHeight() + 2);
  EXPECT_EQ(pane.CaretRow(), 4);
}

// A window that is running a comparison: the list belongs to the worker.
class ComparingHost : public TextViewHost {
public:
  bool IsComparing() const override { return true; }
};

TEST_F(SummaryBarTest, WhileItsWindowComparesTheBarShowsOnlyItsBackgroundAndIgnoresClicks) {
  Compare(kShortLeft, kShortRight);
  TextView& pane = window_->Pane();
  pane.PlaceCaret(0, 0, false);
  ComparingHost host;
  SummaryBar bar;
  ASSERT_TRUE(bar.Create(window_->hwnd(), &pane, &host, Settings.DisplaySnapshot()));
  MoveWindow(bar.hwnd(), 0, 0, Width(), Height(), FALSE);
  {
    Picture picture(bar, Width(), Height());
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    for (int y = 0; y < Height(); y += 3)
      for (int x = 0; x < Width(); ++x) ASSERT_COLOR(picture.At(x, y), face) << x << "," << y;
  }
  SendMessageA(bar.hwnd(), WM_LBUTTONDOWN, 0, MAKELPARAM(Width() / 2, 6 * pane.LineHeight() + 2));
  SendMessageA(bar.hwnd(), WM_RBUTTONDOWN, 0, MAKELPARAM(Width() / 2, 5 * pane.LineHeight() + 2));
  EXPECT_EQ(pane.CaretRow(), 0);
  // The class cursor: the help viewer's hand, or the standard hand.
  EXPECT_NE(GetClassLongPtrA(bar.hwnd(), GCLP_HCURSOR), 0);
}

}  // namespace
}  // namespace qm
