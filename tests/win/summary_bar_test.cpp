// The summary bar of a real compare window: what it paints for a known
// comparison and where its clicks take the pane.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include <windows.h>

#include "app/settings.h"
#include "textwin/summary_bar.h"
#include "textwin/text_window.h"
#include "tests/win/painted_bitmap.h"
#include "tests/win/text_window_harness.h"

namespace qm {
namespace {

// Rows: 0 one, 1 two, 2 left only, 3 three, 4 four, 5 five, 6 right only, 7 six,
// 8 the empty row after the last line feed: all fit the pane.
const char kLeft[] = "one\ntwo\nonly-left\nthree\nfour\nfive\nsix\n";
const char kRight[] = "one\ntwo\nthree\nfour\nfive\nonly-right\nsix\n";

std::string Hex(COLORREF color) {
  char text[16];
  snprintf(text, sizeof text, "%06lX", static_cast<unsigned long>(color));
  return text;
}
#define EXPECT_COLOR(actual, expected) EXPECT_EQ(Hex(actual), Hex(expected))

// A mark's edge: the fill averaged with the button face darkened to 25%.
COLORREF EdgeOf(COLORREF fill) {
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  auto mix = [](int a, int b) { return (a + b * 25 / 100) / 2; };
  return RGB(mix(GetRValue(fill), GetRValue(face)), mix(GetGValue(fill), GetGValue(face)),
             mix(GetBValue(fill), GetBValue(face)));
}

class SummaryBarTest : public ::testing::Test {
protected:
  void SetUp() override {
    RegDeleteTreeA(HKEY_CURRENT_USER, "SOFTWARE\\Ambervale\\Quillmere\\Settings");
    Settings.IdenticalMessage = false;
    Settings.ViewSummary = true;
    window_ = static_cast<TextWindow*>(CreateTextWindow());
    ASSERT_NE(window_, nullptr);
    MoveWindow(window_->hwnd(), 0, 0, 700, 500, TRUE);
    bar_ = dynamic_cast<SummaryBar*>(WindowBase::FromHandle(
        FindWindowExA(window_->hwnd(), nullptr, SummaryBar::kClassName, nullptr)));
    ASSERT_NE(bar_, nullptr);
    left_ = TempFile("summary-left.txt", kLeft);
    right_ = TempFile("summary-right.txt", kRight);
    window_->SetNames(left_, right_, true);
    Pump();
    ASSERT_EQ(window_->Pane().List().RowCount(), 9);
    line_ = window_->Pane().LineHeight();
  }
  void TearDown() override {
    CloseTextWindow(window_);
    DeleteFileA(left_.c_str());
    DeleteFileA(right_.c_str());
  }
  PaintedBitmap Paint(SummaryBar& bar) {
    const int width = bar_->clientWidth(), height = bar_->clientHeight();
    return PaintedBitmap(width, height, [&](HDC dc) { bar.Paint(dc, width, height); });
  }
  void Click(HWND bar, UINT message, int y) {
    SendMessageA(bar, message, 0, MAKELPARAM(bar_->clientWidth() / 2, y));
  }

  TextWindow* window_ = nullptr;
  SummaryBar* bar_ = nullptr;
  std::string left_, right_;
  int line_ = 0;
};

TEST_F(SummaryBarTest, MarksSitBesideTheirRowsWithBordersAndTheCaretFrame) {
  window_->Pane().PlaceCaret(0, 0, false);
  const DisplaySettings display = Settings.DisplaySnapshot();
  const COLORREF face = GetSysColor(COLOR_BTNFACE), black = RGB(0, 0, 0);
  const int width = bar_->clientWidth(), mid = width / 2, top = 2 * line_;
  {
    const PaintedBitmap picture = Paint(*bar_);
    // Left-only row 2: edge pixel, fill, edge pixel between the side
    // columns; a border row above and below it.
    EXPECT_COLOR(picture.At(mid, top + line_ / 2), display.LeftBkColor);
    EXPECT_COLOR(picture.At(4, top + 1), EdgeOf(display.LeftBkColor));
    EXPECT_COLOR(picture.At(width - 5, top + 1), EdgeOf(display.LeftBkColor));
    EXPECT_COLOR(picture.At(3, top + 1), face);
    EXPECT_COLOR(picture.At(width - 4, top + 1), face);
    EXPECT_COLOR(picture.At(mid, top - 1), EdgeOf(display.LeftBkColor));
    EXPECT_COLOR(picture.At(mid, top + line_), EdgeOf(display.LeftBkColor));
    EXPECT_COLOR(picture.At(mid, top - 2), face);
    EXPECT_COLOR(picture.At(mid, 6 * line_ + 1), display.RightBkColor);
    // The caret frame around row 0: two black pixels on every side.
    for (int y : {0, 1, line_ - 2, line_ - 1}) EXPECT_COLOR(picture.At(mid, y), black) << y;
    for (int x : {4, 5, width - 6, width - 5}) EXPECT_COLOR(picture.At(x, line_ / 2), black) << x;
    EXPECT_COLOR(picture.At(mid, line_ / 2), face);
    EXPECT_COLOR(picture.At(mid, 9 * line_ + 2), face) << "below the marks";
  }
  // The bar draws with the snapshot its window was handed: without arrows
  // every mark takes the empty rows' colour.
  DisplaySettings plain = display;
  plain.DrawArrows = false;
  window_->ApplyDisplay(plain);
  EXPECT_COLOR(Paint(*bar_).At(mid, top + 1), display.EmptyBkColor);
}

TEST_F(SummaryBarTest, ClicksTakeThePaneToTheRowOrTheNearestDifference) {
  TextView& pane = window_->Pane();
  pane.SetActiveSide(1);
  pane.PlaceCaret(0, 2, true);  // a selection, to be collapsed
  Click(bar_->hwnd(), WM_LBUTTONDOWN, 7 * line_ + line_ / 2);
  EXPECT_EQ(pane.CaretRow(), 7);
  EXPECT_EQ(pane.CaretOffset(1), pane.List().Row(7).Offset(1)) << "the row's start";
  EXPECT_FALSE(pane.HasSelection());
  Click(bar_->hwnd(), WM_RBUTTONDOWN, 4 * line_ + 1);
  EXPECT_EQ(pane.CaretRow(), 2) << "two rows from either difference: the one above";
  Click(bar_->hwnd(), WM_RBUTTONDOWN, 5 * line_ + 1);
  EXPECT_EQ(pane.CaretRow(), 6);
  Click(bar_->hwnd(), WM_LBUTTONDOWN, bar_->clientHeight() - 1);
  EXPECT_EQ(pane.CaretRow(), 8) << "below the marks: the last row";
}

// A window running a comparison: the list belongs to the worker.
class ComparingHost : public TextViewHost {
public:
  bool IsComparing() const override { return true; }
};

TEST_F(SummaryBarTest, WhileItsWindowComparesTheBarShowsOnlyItsBackgroundAndIgnoresClicks) {
  TextView& pane = window_->Pane();
  pane.PlaceCaret(0, 0, false);
  ComparingHost host;
  SummaryBar bar;
  ASSERT_TRUE(bar.Create(window_->hwnd(), &pane, &host, Settings.DisplaySnapshot()));
  MoveWindow(bar.hwnd(), 0, 0, bar_->clientWidth(), bar_->clientHeight(), FALSE);
  const PaintedBitmap picture = Paint(bar);
  EXPECT_EQ(picture.CountOther(0, 0, bar_->clientWidth(), bar_->clientHeight(),
                               GetSysColor(COLOR_BTNFACE)), 0);
  Click(bar.hwnd(), WM_LBUTTONDOWN, 6 * line_ + 2);
  Click(bar.hwnd(), WM_RBUTTONDOWN, 5 * line_ + 2);
  EXPECT_EQ(pane.CaretRow(), 0);
  // The class cursor: the help viewer's hand, else the standard hand.
  EXPECT_NE(GetClassLongPtrA(bar.hwnd(), GCLP_HCURSOR), 0);
}

}  // namespace
}  // namespace qm
