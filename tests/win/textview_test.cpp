// The text pane: layout arithmetic, display cells, clicks, navigation,
// scrolling, swapping, repaint areas and the pixels it draws. Each test
// drives a real TextView in a top-level test window that owns the three
// scroll bars, as the compare window does.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "app/settings.h"
#include "common/utf8.h"
#include "engine/text_doc.h"
#include "textwin/pane_layout.h"
#include "textwin/text_view.h"
#include "tests/win/painted_bitmap.h"

namespace qm {
namespace {

constexpr int kPaneWidth = 600;
constexpr int kPaneHeight = 320;
constexpr int kBarSize = 16;
constexpr char kFrameClass[] = "QmTextViewTestFrame";

// ---- Pure arithmetic ----

TEST(PaneLayout, SplitKeepsBothSidesAtLeast100Pixels) {
  struct Case {
    int width;
    float ratio;
    int split;
  } const cases[] = {
      {600, 0.5f, 300}, {600, 0.25f, 150}, {1000, 0.95f, 900},
      {1000, 0.05f, 100}, {150, 0.5f, 100}, {199, 0.9f, 100},
  };
  for (const Case& c : cases) {
    float ratio = c.ratio;
    EXPECT_EQ(ComputeSplit(c.width, &ratio), c.split) << c.width << " at " << c.ratio;
    const bool clamped = c.split != static_cast<int>(c.width * c.ratio);
    EXPECT_FLOAT_EQ(ratio, clamped ? (c.split + 0.5f) / c.width : c.ratio) << c.width;
  }
}

TEST(PaneLayout, GutterGrowsWithTheDigitsOfTheRowCount) {
  struct Case {
    int show;
    int32_t rows;
    int dpi;
    bool printing;
    int width;
  } const cases[] = {
      {0, 1, 96, false, 7 + 12},        {1, 9, 96, false, 7 + 12},
      {0, 10, 96, false, 14 + 12},      {1, 1000000, 96, false, 49 + 12},
      {0, 0, 96, false, 12},            {2, 1000000, 96, false, 8},
      {2, 5, 96, true, 0},              {0, 99, 192, false, 14 + 24},
      {2, 5, 144, false, 12},
  };
  for (const Case& c : cases)
    EXPECT_EQ(GutterWidth(c.show, c.rows, 7, c.dpi, c.printing), c.width)
        << "show " << c.show << ", rows " << c.rows << ", dpi " << c.dpi;
}

TEST(PaneLayout, DisplayCellsExpandTabsControlBytesAndWhiteSpace) {
  struct Case {
    unsigned char byte;
    int32_t column;
    int tabStop;
    bool showWhiteSpace;
    std::string text;
  } const cases[] = {
      {'\t', 3, 4, false, " "},
      {'\t', 4, 4, false, "    "},
      {'\t', 5, 8, true, "\xBB  "},
      {'\t', 0, 16, false, std::string(16, ' ')},
      {1, 0, 4, false, "^A"},
      {0, 7, 4, false, "^@"},
      {'\r', 0, 4, true, "^M"},
      {' ', 0, 4, false, " "},
      {' ', 0, 4, true, "\xB7"},
      {'\n', 0, 4, true, "\xB6"},
      {'\n', 0, 4, false, " "},
      {0xE9, 2, 4, true, "\xE9"},
  };
  for (const Case& c : cases) {
    // Legacy text is Windows-1252 here, whose first 256 characters the
    // expected texts are written in.
    TextDoc doc;
    ASSERT_TRUE(doc.Insert(0, reinterpret_cast<const char*>(&c.byte), 1));
    CellRules rules;
    rules.tabStop = c.tabStop;
    rules.showWhiteSpace = c.showWhiteSpace;
    DisplayCell cell;
    MakeDisplayCell(doc, 0, 1, c.column, rules, &cell);
    std::string text;
    for (int i = 0; i < cell.length; ++i) text += static_cast<char>(cell.text[i]);
    EXPECT_EQ(text, c.text) << "byte " << int(c.byte) << " at column " << c.column;
    EXPECT_EQ(cell.columns, static_cast<int>(c.text.size())) << "byte " << int(c.byte);
    EXPECT_EQ(cell.bytes, 1u);
  }
}

TEST(PaneLayout, DisplayColumnsCountTabStopsFromTheRowStart) {
  TextDoc doc;
  const std::string text = "ab\tc\x01\t\td\n";
  ASSERT_TRUE(doc.Insert(0, text.data(), static_cast<uint32_t>(text.size())));
  // a b -> 2, tab -> 4, c -> 5, ^A -> 7, tab -> 8, tab -> 12, d -> 13.
  const int32_t expected[] = {0, 1, 2, 4, 5, 7, 8, 12, 13};
  for (uint32_t end = 0; end < 9; ++end)
    EXPECT_EQ(DisplayColumns(doc, 0, end, 4, false), expected[end]) << "end " << end;
  for (uint32_t end = 0; end < 9; ++end)
    EXPECT_EQ(DisplayColumns(doc, 0, end, 4, true), expected[end]) << "ASCII as UTF-8, end " << end;
}

TEST(PaneLayout, LongestLineIsMeasuredInDisplayColumnsAcrossTheGap) {
  struct Case {
    const char* what;
    std::string text;
    uint32_t start;
    uint32_t end;  // 0: to the end
    int32_t columns;
  } const cases[] = {
      {"empty", "", 0, 0, 0},
      {"no final LF", "abc", 0, 0, 3},
      {"middle line widest", "ab\nabcdef\nxy\n", 0, 0, 6},
      {"LF not counted", "abcd\n", 0, 0, 4},
      {"tabs from each line start", "abcdef\na\tb\n\t\t", 7, 0, 8},
      {"control bytes two columns", "\x01\x02x\n", 0, 0, 5},
      {"part of the text", "abcdefgh\nab\nabc", 9, 12, 2},
  };
  for (const Case& c : cases) {
    TextDoc doc;
    ASSERT_TRUE(doc.Insert(0, c.text.data(), static_cast<uint32_t>(c.text.size())));
    const uint32_t end = c.end ? c.end : doc.Length();
    EXPECT_EQ(LongestLineColumns(doc, c.start, end, 4, false), c.columns) << c.what;
    EXPECT_EQ(LongestLineColumns(doc, c.start, end, 4, true), c.columns) << "UTF-8 " << c.what;
  }
  // A line split by the gap counts as one line.
  TextDoc doc;
  ASSERT_TRUE(doc.Insert(0, "abc\n12345", 9));
  ASSERT_TRUE(doc.Insert(4, "xxxxxxxxxx", 10));
  ASSERT_GT(doc.GapStart(), 4u);
  ASSERT_LT(doc.GapStart(), doc.Length());
  EXPECT_EQ(LongestLineColumns(doc, 0, doc.Length(), 4, false), 15);
}

// Random lines of letters, spaces, tabs, control bytes, wide and combining
// characters, the gap anywhere: the longest line is the widest line as
// DisplayColumns counts it, a combining mark after a space included.
TEST(PaneLayout, LongestLineIsTheWidestLineByDisplayColumns) {
  const char* const pieces[] = {"a", "xyz", " ", "  ", "\t", "\x01", "\n", "\n",
                                "\xC3\xA9", "\xE4\xB8\xAD", "\xCC\x81", "~\x7F"};
  std::mt19937 rng(11);
  for (int round = 0; round < 300; ++round) {
    std::string text;
    for (int i = 0; i < static_cast<int>(rng() % 40); ++i) text += pieces[rng() % 12];
    TextDoc doc;
    ASSERT_TRUE(doc.Insert(0, text.data(), static_cast<uint32_t>(text.size())));
    if (!text.empty()) {  // the gap somewhere inside
      const uint32_t at = rng() % doc.Length();
      ASSERT_TRUE(doc.Insert(at, "b", 1));
      doc.Delete(at, 1);
    }
    for (bool utf8 : {false, true}) {
      int32_t widest = 0;
      for (uint32_t start = 0; start <= doc.Length();) {
        const uint32_t end = doc.LineEnd(start);
        const bool lf = end > start && doc.ByteAt(end - 1) == '\n';
        widest = std::max(widest, DisplayColumns(doc, start, lf ? end - 1 : end, 4, utf8));
        if (end == start || end >= doc.Length()) break;
        start = end;
      }
      EXPECT_EQ(LongestLineColumns(doc, 0, doc.Length(), 4, utf8), widest)
          << (utf8 ? "UTF-8 " : "bytes ") << testing::PrintToString(text);
    }
  }
}

TEST(PaneLayout, HorizontalRangeCoversTheLongestLineAndOneColumn) {
  EXPECT_EQ(HorizontalRange(0, 5000, 8), 5000);
  EXPECT_EQ(HorizontalRange(4999, 5000, 8), 5000);
  EXPECT_EQ(HorizontalRange(5000, 5000, 8), 5001);
  EXPECT_EQ(HorizontalRange(10004, 5000, 8), 10005);
  // Pixel offsets of the range stay well inside an int.
  const int32_t widest = HorizontalRange(INT32_MAX, 5000, 8);
  EXPECT_LE(int64_t{widest} * 8, int64_t{INT32_MAX} / 2);
  EXPECT_GT(widest, 100000000);
}

// ---- A pane in a test window ----

struct RowSpec {
  RowKind kind;
  std::string left;
  std::string right;
};

class RecordingHost : public TextViewHost {
public:
  bool IsRepeatComparison() const override { return repeat; }
  bool IsComparing() const override { return comparing; }
  void OnCaretMoved(bool rowChanged) override {
    ++caretMoves;
    if (rowChanged) ++rowChanges;
  }
  void OnContentChanged() override { ++contentChanges; }
  void OnSideSaved(int side) override { savedSides.push_back(side); }
  int caretMoves = 0;
  int rowChanges = 0;
  int contentChanges = 0;
  std::vector<int> savedSides;
  bool repeat = false;
  bool comparing = false;
};

LRESULT CALLBACK FrameProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_VSCROLL || msg == WM_HSCROLL) {
    HWND pane = GetDlgItem(hwnd, 1);
    if (pane) return SendMessageA(pane, msg, wParam, lParam);
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

// The settings the tests change, put back after each test.
struct DisplaySettings {
  int ShowLineNumbers = Settings.ShowLineNumbers;
  bool DrawArrows = Settings.DrawArrows;
  bool DrawCaretBox = Settings.DrawCaretBox;
  bool SyncScroll = Settings.SyncScroll;
  bool WrapAround = Settings.WrapAround;
  bool ShowWhiteSpace = Settings.ShowWhiteSpace;
  bool HighlightChanges = Settings.HighlightChanges;
  int TabStop = Settings.TabStop;
  UINT WheelScrollLines = Settings.WheelScrollLines;
  void Restore() const {
    Settings.ShowLineNumbers = ShowLineNumbers;
    Settings.DrawArrows = DrawArrows;
    Settings.DrawCaretBox = DrawCaretBox;
    Settings.SyncScroll = SyncScroll;
    Settings.WrapAround = WrapAround;
    Settings.ShowWhiteSpace = ShowWhiteSpace;
    Settings.HighlightChanges = HighlightChanges;
    Settings.TabStop = TabStop;
    Settings.WheelScrollLines = WheelScrollLines;
  }
};

class TextViewTest : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    WNDCLASSA frameClass{};
    frameClass.lpfnWndProc = FrameProc;
    frameClass.hInstance = GetModuleHandleA(nullptr);
    frameClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    frameClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    frameClass.lpszClassName = kFrameClass;
    RegisterClassA(&frameClass);
    Settings.Load();  // the test prefix's empty registry: defaults and the shared brushes
    // Liberation Mono through the prefix's replacement of Courier New: a
    // fixed-pitch face every test machine has.
    Settings.FontFace = "Courier New";
    Settings.FontSize = 10;
  }

  void SetUp() override {
    RECT frame{0, 0, kPaneWidth + kBarSize, kPaneHeight + kBarSize};
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    frame_ = CreateWindowExA(0, kFrameClass, "TextView test", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                             0, 0, frame.right - frame.left, frame.bottom - frame.top, nullptr,
                             nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(frame_);
    vbar_ = MakeBar(SBS_VERT, kPaneWidth, 0, kBarSize, kPaneHeight);
    lbar_ = MakeBar(SBS_HORZ, 0, kPaneHeight, kPaneWidth / 2 - 4, kBarSize);
    rbar_ = MakeBar(SBS_HORZ, kPaneWidth / 2 + 4, kPaneHeight, kPaneWidth / 2 - 4, kBarSize);
    view_ = std::make_unique<TextView>(document_);
    ASSERT_TRUE(view_->Create(frame_, 1, RECT{0, 0, kPaneWidth, kPaneHeight}, vbar_, lbar_, rbar_,
                              &host_));
    ShowWindow(frame_, SW_SHOW);
    Pump();
  }

  void TearDown() override {
    view_.reset();
    if (frame_) DestroyWindow(frame_);
    saved_.Restore();
  }

  HWND MakeBar(DWORD style, int x, int y, int width, int height) {
    return CreateWindowExA(0, "SCROLLBAR", "", WS_CHILD | WS_VISIBLE | style, x, y, width, height,
                           frame_, nullptr, GetModuleHandleA(nullptr), nullptr);
  }

  static void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }

  // Builds both documents and the list row by row, as the engine lays
  // them out: lines end in LF but for the last one of each side (so that no
  // empty last row follows), fillers sit at the next line's offset, changed
  // rows mark every byte that differs from the other line.
  // Both sides take encoding, as the loader would have set it.
  void Fill(const std::vector<RowSpec>& rows, TextEncoding encoding = TextEncoding::Legacy) {
    view_->Reset();
    CompareState& state = view_->State();
    auto list = std::make_unique<DiffList>();
    std::string left;
    std::string right;
    for (const RowSpec& row : rows) {
      std::unique_ptr<uint8_t[]> leftMarks;
      std::unique_ptr<uint8_t[]> rightMarks;
      if (row.kind == RowKind::Changed) {
        leftMarks = Marks(row.left, row.right);
        rightMarks = Marks(row.right, row.left);
      }
      list->AppendRow(row.kind, static_cast<uint32_t>(left.size()),
                      static_cast<uint32_t>(right.size()), std::move(leftMarks),
                      std::move(rightMarks));
      if (row.kind != RowKind::RightOnly) left += row.left + "\n";
      if (row.kind != RowKind::LeftOnly) right += row.right + "\n";
    }
    if (!left.empty()) left.pop_back();
    if (!right.empty()) right.pop_back();
    // Fillers after a side's last line sit at its end, as the engine has them.
    for (DiffRow& row : list->rows) {
      row.leftOffset = std::min(row.leftOffset, static_cast<uint32_t>(left.size()));
      row.rightOffset = std::min(row.rightOffset, static_cast<uint32_t>(right.size()));
    }
    state.side[0].doc.Insert(0, left.data(), static_cast<uint32_t>(left.size()));
    state.side[1].doc.Insert(0, right.data(), static_cast<uint32_t>(right.size()));
    list->NumberRows();
    list->CountDifferences();
    state.list = std::move(list);
    state.side[0].loaded = state.side[1].loaded = true;  // as a comparison leaves them
    state.side[0].encoding = state.side[1].encoding = encoding;
    view_->FinishCompare();
    Pump();
  }

  static std::unique_ptr<uint8_t[]> Marks(const std::string& line, const std::string& other) {
    auto marks = std::make_unique<uint8_t[]>(line.size() + 1);
    for (size_t i = 0; i <= line.size(); ++i)
      marks[i] = (i < line.size() && (i >= other.size() || line[i] != other[i])) ? kHighlightBit : 0;
    return marks;
  }

  static std::vector<RowSpec> SameRows(int count, const char* prefix = "line") {
    std::vector<RowSpec> rows;
    for (int i = 0; i < count; ++i) {
      const std::string text = std::string(prefix) + " " + std::to_string(i);
      rows.push_back({RowKind::Same, text, text});
    }
    return rows;
  }

  const SideGeometry& Side(int s) const { return view_->Geometry().side[s]; }
  int RowTop(int32_t row) const { return (row - view_->TopRow()) * view_->LineHeight(); }
  int ColumnX(int side, double column) const {
    return Side(side).textStart + static_cast<int>(column * view_->CharWidth());
  }
  // A click of its own: the middle button's press first ends any count of
  // a double or triple click.
  void Click(int x, int y, WPARAM keys = 0) {
    SendMessageA(view_->hwnd(), WM_MBUTTONDOWN, 0, MAKELPARAM(x, y));
    SendMessageA(view_->hwnd(), WM_LBUTTONDOWN, MK_LBUTTON | keys, MAKELPARAM(x, y));
    SendMessageA(view_->hwnd(), WM_LBUTTONUP, keys, MAKELPARAM(x, y));
  }
  std::string Text(int side) const {
    const TextDoc& doc = view_->State().side[side].doc;
    auto bytes = doc.CopyRange(0, doc.Length());
    return std::string(bytes.get(), doc.Length());
  }
  // The area waiting to be painted after an operation, with everything
  // painted before it.
  template <class Operation>
  RECT UpdateAfter(Operation operation) {
    Pump();
    ValidateRect(view_->hwnd(), nullptr);
    operation();
    RECT rect{};
    GetUpdateRect(view_->hwnd(), &rect, FALSE);
    return rect;
  }

  DisplaySettings saved_;
  RecordingHost host_;
  HWND frame_ = nullptr;
  HWND vbar_ = nullptr;
  HWND lbar_ = nullptr;
  HWND rbar_ = nullptr;
  CompareDocument document_;  // outlives view_
  std::unique_ptr<TextView> view_;
};

// The pane drawn into a 32-bit bitmap, read back pixel by pixel.
class Snapshot : public PaintedBitmap {
public:
  explicit Snapshot(TextView& view)
      : PaintedBitmap(view.Geometry().width, view.Geometry().height, [&view](HDC dc) {
          const RECT all{0, 0, view.Geometry().width, view.Geometry().height};
          view.Paint(dc, all);
        }) {}
  using PaintedBitmap::PaintedBitmap;
};

COLORREF Highlighted(COLORREF color) {
  return RGB(GetRValue(color) * 60 / 100, GetGValue(color) * 60 / 100,
             GetBValue(color) * 60 / 100);
}

// ---- Geometry ----

using TextViewGeometry = TextViewTest;

TEST_F(TextViewGeometry, SidesStripAndGutterFollowSplitAndLineNumbers) {
  Fill(SameRows(120));
  const PaneGeometry& g = view_->Geometry();
  EXPECT_EQ(g.split, 300);
  EXPECT_EQ(Side(0).left, 0);
  EXPECT_EQ(Side(0).right, 290);
  EXPECT_EQ(Side(1).left, 310);
  EXPECT_EQ(Side(1).right, kPaneWidth);
  EXPECT_EQ(g.visibleRows, kPaneHeight / view_->LineHeight());
  EXPECT_EQ(g.maxTopRow, 120 - g.visibleRows);

  Settings.ShowLineNumbers = 2;
  view_->ApplyDisplay(Settings.DisplaySnapshot(), DisplayChange::Relayout);
  EXPECT_EQ(Side(0).textStart, 8);
  EXPECT_EQ(Side(1).textStart, 318);

  Settings.ShowLineNumbers = 0;
  view_->ApplyDisplay(Settings.DisplaySnapshot(), DisplayChange::Relayout);
  const int gutter = view_->Geometry().gutter;
  EXPECT_GT(gutter, 3 * 4 + 12) << "three digits of a visible width plus the margins";
  EXPECT_EQ((gutter - 12) % 3, 0);
  EXPECT_EQ(Side(1).textStart, 310 + gutter);
  EXPECT_EQ(view_->Geometry().visibleColumns[0], (290 - gutter) / view_->CharWidth());

  view_->SetSplitRatio(0.25f);
  EXPECT_EQ(view_->Geometry().split, 150);
  EXPECT_EQ(Side(0).right, 140);
  EXPECT_EQ(Side(1).left, 160);
}

TEST_F(TextViewGeometry, NarrowPaneKeepsTheSplitAt100AndAResetListShowsOneDigit) {
  Settings.ShowLineNumbers = 0;
  view_->ApplyDisplay(Settings.DisplaySnapshot(), DisplayChange::Relayout);
  view_->Reset();
  EXPECT_EQ(view_->List().RowCount(), 1);
  const int oneDigit = view_->Geometry().gutter - 12;
  EXPECT_GT(oneDigit, 0);
  Fill(SameRows(10));
  EXPECT_EQ(view_->Geometry().gutter - 12, 2 * oneDigit);

  MoveWindow(view_->hwnd(), 0, 0, 150, kPaneHeight, TRUE);
  EXPECT_EQ(view_->Geometry().split, 100);
  EXPECT_FLOAT_EQ(view_->SplitRatio(), 100.5f / 150);
}

// ---- Caret placement by clicks ----

using TextViewCaret = TextViewTest;

TEST_F(TextViewCaret, ClickMapsColumnsOfTabsAndControlBytesToOffsets) {
  Settings.TabStop = 4;
  Fill({{RowKind::Same, "a\tb", "a\tb"},
        {RowKind::Same, "x\x01yz", "x\x01yz"},
        {RowKind::LeftOnly, "only", ""},
        {RowKind::Same, "end", "end"}});
  const int h = view_->LineHeight();
  struct Case {
    int side;
    int32_t row;
    double column;  // where the click lands, in columns
    uint32_t offset;
    int32_t caretColumn;
  } const cases[] = {
      {1, 0, 0.2, 0, 0},    // before "a"
      {1, 0, 1.4, 1, 1},    // left part of the tab cell
      {1, 0, 3.0, 2, 4},    // right half of the tab: after it
      {0, 1, 1.2, 5, 1},    // before ^A
      {0, 1, 2.9, 6, 3},    // right half of ^A: after it
      {0, 1, 30.0, 8, 5},   // past the end: before the LF
      {1, 2, 3.0, 9, 0},    // a filler row: its offset, column 0
      {0, 2, 2.2, 11, 2},
  };
  for (const Case& c : cases) {
    Click(ColumnX(c.side, c.column), RowTop(c.row) + h / 2);
    EXPECT_EQ(view_->ActiveSide(), c.side) << "row " << c.row << " column " << c.column;
    EXPECT_EQ(view_->CaretRow(), c.row) << "column " << c.column;
    EXPECT_EQ(view_->CaretOffset(c.side), c.offset) << "row " << c.row << " column " << c.column;
    EXPECT_EQ(view_->CaretColumn(), c.caretColumn) << "row " << c.row << " column " << c.column;
    EXPECT_FALSE(view_->HasSelection());
  }
  EXPECT_EQ(view_->CaretLine(), 2);
  EXPECT_GE(host_.caretMoves, 8);
}

TEST_F(TextViewCaret, ShiftClickExtendsTheSelectionAndAClickOnTheOtherSideCollapsesIt) {
  Fill(SameRows(5));
  const int h = view_->LineHeight();
  Click(ColumnX(0, 0.2), RowTop(1) + h / 2);
  Click(ColumnX(0, 3.2), RowTop(3) + h / 2, MK_SHIFT);
  EXPECT_TRUE(view_->HasSelection());
  EXPECT_EQ(view_->AnchorOffset(), 7u);
  EXPECT_EQ(view_->CaretOffset(0), 3 * 7u + 3);
  Click(ColumnX(1, 1.2), RowTop(2) + h / 2, MK_SHIFT);
  EXPECT_EQ(view_->ActiveSide(), 1);
  EXPECT_FALSE(view_->HasSelection());
}

TEST_F(TextViewCaret, ProportionalFontsMapPixelsAndOffsetsBothWays) {
  Settings.FontFace = "Tahoma";  // Wine's own proportional face
  view_->ApplyDisplay(Settings.DisplaySnapshot(), DisplayChange::Relayout);
  Fill({{RowKind::Same, "Wide MMM and thin iii\tend", "x"}});
  Settings.FontFace = "Courier New";
  const uint32_t length = 25;
  int previous = -1;
  for (uint32_t offset = 0; offset <= length; ++offset) {
    const int pixel = view_->PixelOf(0, 0, offset);
    EXPECT_GT(pixel, previous) << "offset " << offset;
    previous = pixel;
    Click(Side(0).textStart + pixel + 1, RowTop(0) + 2);
    EXPECT_EQ(view_->CaretOffset(0), offset) << "pixel " << pixel;
  }
  EXPECT_GT(view_->PixelOf(0, 0, 8) - view_->PixelOf(0, 0, 5),
            view_->PixelOf(0, 0, 21) - view_->PixelOf(0, 0, 18))
      << "MMM is wider than iii";
}

// ---- Navigation ----

using TextViewNavigation = TextViewTest;

TEST_F(TextViewNavigation, NextAndPreviousCentreSmallBlocksAndWrap) {
  std::vector<RowSpec> rows = SameRows(200);
  for (int r = 50; r <= 52; ++r) rows[r] = {RowKind::LeftOnly, "removed", ""};
  rows[150] = {RowKind::Changed, "line A", "line B"};
  Fill(rows);
  const int32_t v = view_->Geometry().visibleRows;
  Settings.WrapAround = true;

  ASSERT_TRUE(view_->GoToNextDifference());
  EXPECT_EQ(view_->CaretRow(), 50);
  EXPECT_EQ(view_->TopRow(), 50 - (v - 3) / 2);
  EXPECT_EQ(view_->CaretOffset(0), view_->List().Row(50).leftOffset);

  ASSERT_TRUE(view_->GoToNextDifference());
  EXPECT_EQ(view_->CaretRow(), 150);
  EXPECT_EQ(view_->TopRow(), 150 - (v - 1) / 2);

  ASSERT_TRUE(view_->GoToNextDifference());
  EXPECT_EQ(view_->CaretRow(), 50) << "wraps to the first difference";
  ASSERT_TRUE(view_->GoToPreviousDifference());
  EXPECT_EQ(view_->CaretRow(), 150) << "wraps back to the last one";

  Settings.WrapAround = false;
  ASSERT_TRUE(view_->GoToNextDifference());
  EXPECT_EQ(view_->CaretRow(), 150) << "without wrapping the last difference stays";
  view_->PlaceCaret(170, view_->List().Row(170).leftOffset, false);
  EXPECT_FALSE(view_->GoToNextDifference());
  EXPECT_EQ(view_->CaretRow(), 170) << "nothing found, nothing moves";
  ASSERT_TRUE(view_->GoToPreviousDifference());
  EXPECT_EQ(view_->CaretRow(), 150);
}

TEST_F(TextViewNavigation, VisibleBlocksDoNotScrollAndTallBlocksStartOneRowAbove) {
  std::vector<RowSpec> rows = SameRows(300);
  rows[20] = {RowKind::RightOnly, "", "added"};
  for (int r = 100; r < 160; ++r) rows[r] = {RowKind::LeftOnly, "gone", ""};
  Fill(rows);
  const int32_t v = view_->Geometry().visibleRows;
  ASSERT_LT(v, 58);
  view_->ScrollToRow(15);
  view_->PlaceCaret(16, view_->List().Row(16).leftOffset, false);
  ASSERT_TRUE(view_->GoToNextDifference());
  EXPECT_EQ(view_->CaretRow(), 20);
  EXPECT_EQ(view_->TopRow(), 15) << "a block inside the page leaves the view alone";

  ASSERT_TRUE(view_->GoToNextDifference());
  EXPECT_EQ(view_->CaretRow(), 100);
  EXPECT_EQ(view_->TopRow(), 99);
}

// ---- Scrolling ----

using TextViewScrolling = TextViewTest;

TEST_F(TextViewScrolling, HorizontalBarsMoveOneSideOrBothWithSyncScroll) {
  Fill(SameRows(50));
  const int32_t page = view_->Geometry().visibleColumns[1];
  Settings.SyncScroll = true;
  SendMessageA(frame_, WM_HSCROLL, SB_LINEDOWN, reinterpret_cast<LPARAM>(lbar_));
  EXPECT_EQ(view_->HorizontalScroll(0), 4);
  EXPECT_EQ(view_->HorizontalScroll(1), 4);
  EXPECT_EQ(GetScrollPos(rbar_, SB_CTL), 4);

  Settings.SyncScroll = false;
  SendMessageA(frame_, WM_HSCROLL, SB_PAGEDOWN, reinterpret_cast<LPARAM>(rbar_));
  EXPECT_EQ(view_->HorizontalScroll(1), 4 + page);
  EXPECT_EQ(view_->HorizontalScroll(0), 4);
  SendMessageA(frame_, WM_HSCROLL, SB_BOTTOM, reinterpret_cast<LPARAM>(rbar_));
  EXPECT_EQ(view_->HorizontalScroll(1), TextView::kHorizontalColumns - page);
  SendMessageA(frame_, WM_HSCROLL, SB_TOP, reinterpret_cast<LPARAM>(rbar_));
  EXPECT_EQ(view_->HorizontalScroll(1), 0);
}

TEST_F(TextViewScrolling, ALineWiderThanTheLeastRangeCanBeScrolledToItsEnd) {
  const std::string wide(10000, 'x');
  Fill({{RowKind::Same, "short", "short"},
        {RowKind::Changed, wide + "left", wide + "right"},
        {RowKind::Same, "end", "end"}});
  EXPECT_EQ(view_->ColumnRange(0), 10005);
  EXPECT_EQ(view_->ColumnRange(1), 10006);
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_ALL;
  ASSERT_TRUE(GetScrollInfo(lbar_, SB_CTL, &info));
  EXPECT_EQ(info.nMax, 10004);
  const int32_t page = view_->Geometry().visibleColumns[0];

  // The scroll bar reaches the change at column 10000.
  Settings.SyncScroll = false;
  SendMessageA(frame_, WM_HSCROLL, SB_BOTTOM, reinterpret_cast<LPARAM>(lbar_));
  EXPECT_EQ(view_->HorizontalScroll(0), 10005 - page);
  EXPECT_EQ(GetScrollPos(lbar_, SB_CTL), 10005 - page);

  // So does the caret placed after the line's last character.
  SendMessageA(frame_, WM_HSCROLL, SB_TOP, reinterpret_cast<LPARAM>(lbar_));
  const uint32_t rowStart = view_->List().Row(1).leftOffset;
  view_->PlaceCaret(1, rowStart + 10004, false);
  EXPECT_EQ(view_->CaretColumn(), 10004);
  EXPECT_LE(view_->HorizontalScroll(0), 10000);
  EXPECT_GT(view_->HorizontalScroll(0) + page, 10004);

  // An edit that widens a line widens the range with it.
  TextDoc& left = view_->State().side[0].doc;
  const std::string wider(12000, 'y');
  ASSERT_TRUE(left.Insert(2, wider.data(), static_cast<uint32_t>(wider.size())));
  view_->State().list->ShiftOffsets(0, 1, static_cast<uint32_t>(wider.size()));
  view_->RecompareAfterEdit(0, 0);
  EXPECT_EQ(view_->ColumnRange(0), 12006);
  ASSERT_TRUE(GetScrollInfo(lbar_, SB_CTL, &info));
  EXPECT_EQ(info.nMax, 12005);

  // Each side keeps its own range through Switch Sides.
  view_->SwapSides();
  EXPECT_EQ(view_->ColumnRange(0), 10006);
  EXPECT_EQ(view_->ColumnRange(1), 12006);
}

TEST_F(TextViewScrolling, VerticalBarWheelAndKeysShareOneTopRow) {
  Fill(SameRows(500));
  const int32_t v = view_->Geometry().visibleRows;
  SendMessageA(frame_, WM_VSCROLL, SB_PAGEDOWN, reinterpret_cast<LPARAM>(vbar_));
  EXPECT_EQ(view_->TopRow(), v);
  EXPECT_EQ(GetScrollPos(vbar_, SB_CTL), v);
  SendMessageA(frame_, WM_VSCROLL, SB_BOTTOM, reinterpret_cast<LPARAM>(vbar_));
  EXPECT_EQ(view_->TopRow(), 500 - v);
  SendMessageA(frame_, WM_VSCROLL, SB_LINEDOWN, reinterpret_cast<LPARAM>(vbar_));
  EXPECT_EQ(view_->TopRow(), 500 - v) << "clamped at the largest top row";
  SendMessageA(frame_, WM_VSCROLL, SB_TOP, reinterpret_cast<LPARAM>(vbar_));
  SendMessageA(frame_, WM_VSCROLL, SB_LINEUP, reinterpret_cast<LPARAM>(vbar_));
  EXPECT_EQ(view_->TopRow(), 0);

  Settings.WheelScrollLines = 3;
  view_->ApplyDisplay(Settings.DisplaySnapshot(), DisplayChange::Repaint);
  SendMessageA(view_->hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-240)), 0);
  EXPECT_EQ(view_->TopRow(), 6);
  SendMessageA(view_->hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, 60), 0);
  EXPECT_EQ(view_->TopRow(), 6) << "half a notch is kept for later";
  SendMessageA(view_->hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, 60), 0);
  EXPECT_EQ(view_->TopRow(), 3);

  view_->PlaceCaret(3, view_->List().Row(3).leftOffset, false);
  SendMessageA(view_->hwnd(), WM_KEYDOWN, VK_NEXT, 0);
  EXPECT_EQ(view_->TopRow(), 3 + v);
  EXPECT_EQ(view_->CaretRow(), 3 + v);

  BYTE keys[256];
  GetKeyboardState(keys);
  keys[VK_SHIFT] = 0x80;
  SetKeyboardState(keys);
  SendMessageA(view_->hwnd(), WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(view_->CaretRow(), 4 + v);
  EXPECT_TRUE(view_->HasSelection()) << "Shift extends";
  keys[VK_SHIFT] = 0;
  keys[VK_CONTROL] = 0x80;
  SetKeyboardState(keys);
  SendMessageA(view_->hwnd(), WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(view_->TopRow(), 4 + v);
  EXPECT_EQ(view_->CaretRow(), 4 + v) << "Ctrl scrolls without moving the caret";
  keys[VK_CONTROL] = 0;
  SetKeyboardState(keys);
}

TEST_F(TextViewScrolling, ScrollingRepaintsOnlyTheUncoveredRows) {
  Fill(SameRows(500));
  const int h = view_->LineHeight();
  const int bottom = view_->Geometry().visibleRows * h;
  RECT update = UpdateAfter([&] { view_->ScrollToRow(2); });
  EXPECT_GE(update.top, bottom - 2 * h - h);
  EXPECT_EQ(update.bottom, kPaneHeight);

  update = UpdateAfter([&] { view_->ScrollToRow(400); });
  EXPECT_EQ(update.top, 0) << "a jump farther than the page repaints everything";
  EXPECT_EQ(update.bottom, kPaneHeight);

  Settings.SyncScroll = false;
  update = UpdateAfter([&] { view_->ScrollHorizontally(1, 3); });
  EXPECT_GE(update.left, Side(1).textStart) << "the left side and the gutter stay";
}

// ---- Swapping sides ----

using TextViewSwap = TextViewTest;

TEST_F(TextViewSwap, SwapKeepsTheCaretRowAndFindsTheOffsetOnTheNewSide) {
  Fill({{RowKind::Same, "abc", "abc"},
        {RowKind::LeftOnly, "left only", ""},
        {RowKind::Changed, "hello world", "hello there"}});
  const std::string left = Text(0);
  const std::string right = Text(1);
  const uint32_t rowStart = view_->List().Row(2).leftOffset;
  view_->PlaceCaret(2, rowStart + 6, false);
  view_->State().side[0].readOnly = true;
  view_->SwapSides();
  EXPECT_EQ(Text(0), right);
  EXPECT_EQ(Text(1), left);
  EXPECT_TRUE(view_->IsReadOnly(1));
  EXPECT_FALSE(view_->IsReadOnly(0));
  EXPECT_EQ(view_->List().Kind(1), RowKind::RightOnly);
  EXPECT_EQ(view_->ActiveSide(), 0);
  EXPECT_EQ(view_->CaretRow(), 2);
  EXPECT_EQ(view_->CaretOffset(0), view_->List().Row(2).leftOffset + 6);
  EXPECT_EQ(view_->CaretColumn(), 6);
  EXPECT_FALSE(view_->HasSelection());
  EXPECT_EQ(view_->DiffCount(), 2);
}

// ---- Editing ----

using TextViewEditing = TextViewTest;

// Random typing, deleting, merges, undo and redo through the pane, painted
// after every step: the caret always stands inside its row on the active
// side, the view inside the rows, and undoing everything gives back both
// texts byte for byte.
TEST_F(TextViewEditing, RandomEditsKeepTheCaretOnItsTextAndUndoToTheStart) {
  std::vector<RowSpec> rows;
  for (int i = 0; i < 40; ++i) {
    const std::string line = "line " + std::to_string(i);
    switch (i % 7) {
      case 2: rows.push_back({RowKind::LeftOnly, line + " left", ""}); break;
      case 4: rows.push_back({RowKind::RightOnly, "", line + " right"}); break;
      case 5: rows.push_back({RowKind::Changed, line + " old", line + " new"}); break;
      default: rows.push_back({RowKind::Same, line, line}); break;
    }
  }
  Fill(rows, TextEncoding::Utf8);
  const std::string original[2] = {Text(0), Text(1)};
  const char* pieces[] = {"x", "\n", "\xC3\xA9", "two\nlines", "\xE4\xB8\xAD\n", "  "};
  std::mt19937 rng(11);
  int changes = 0;
  for (int step = 0; step < 200; ++step) {
    SCOPED_TRACE("step " + std::to_string(step));
    const DiffList& list = view_->List();
    const int side = static_cast<int>(rng() % 2);
    view_->SetActiveSide(side);
    const int32_t row = static_cast<int32_t>(rng() % list.RowCount());
    const uint32_t start = list.Row(row).Offset(side);
    const uint32_t length = list.RowTextLength(side, row, view_->State().side[side].doc);
    view_->PlaceCaret(row, start + (length ? rng() % (length + 1) : 0), false);
    bool done = false;
    switch (rng() % 8) {
      case 0:
      case 1: done = view_->InsertAtCaret(pieces[rng() % 6]); break;
      case 2: {
        const uint32_t caret = view_->CaretOffset(side);
        done = view_->DeleteRange(caret, caret + 1 + rng() % 6);
        break;
      }
      case 3: done = view_->CopyBlock(static_cast<int>(rng() % 2), (rng() & 1) != 0); break;
      case 4: done = view_->DeleteBlock((rng() & 1) != 0); break;
      case 5: done = view_->Undo(); break;
      case 6: done = view_->Redo(); break;
      default: break;
    }
    changes += done;
    UpdateWindow(view_->hwnd());
    Pump();
    const DiffList& after = view_->List();
    const int active = view_->ActiveSide();
    const int32_t caretRow = view_->CaretRow();
    ASSERT_GE(caretRow, 0);
    ASSERT_LT(caretRow, after.RowCount());
    const TextDoc& doc = view_->State().side[active].doc;
    const uint32_t caret = view_->CaretOffset(active);
    EXPECT_GE(caret, after.Row(caretRow).Offset(active));
    EXPECT_LE(caret, after.RowEnd(active, caretRow, doc));
    EXPECT_LE(view_->AnchorOffset(), doc.Length());
    EXPECT_LE(view_->TopRow(), view_->Geometry().maxTopRow);
    // Every side stays well-formed UTF-8: no edit cuts a character.
    for (int s = 0; s < 2; ++s) ASSERT_TRUE(IsValidUtf8(Text(s))) << s;
  }
  EXPECT_GT(changes, 80) << "most steps must have changed something";
  while (view_->Undo()) Pump();
  EXPECT_EQ(Text(0), original[0]);
  EXPECT_EQ(Text(1), original[1]);
  EXPECT_FALSE(document_.IsModified(0));
  EXPECT_FALSE(document_.IsModified(1));
}

// ---- Painting ----

using TextViewPixels = TextViewTest;

TEST_F(TextViewPixels, RowBackgroundsFollowTheKindAndTheSide) {
  Fill({{RowKind::Same, "same", "same"},
        {RowKind::LeftOnly, "only left", ""},
        {RowKind::RightOnly, "", "only right"},
        {RowKind::Changed, "change ABC", "change XYZ"}});
  Snapshot shot(*view_);
  const int h = view_->LineHeight();
  const COLORREF expected[4][2] = {
      {Settings.SameBkColor, Settings.SameBkColor},
      {Settings.LeftBkColor, Settings.EmptyBkColor},
      {Settings.EmptyBkColor, Settings.RightBkColor},
      {Settings.ChangeBkColor, Settings.ChangeBkColor},
  };
  for (int32_t row = 0; row < 4; ++row)
    for (int side = 0; side < 2; ++side) {
      const int y = RowTop(row) + h / 2;
      EXPECT_EQ(shot.At(Side(side).right - 3, y), expected[row][side])
          << "row " << row << " side " << side << " after the text";
      EXPECT_EQ(shot.At(Side(side).left + 2, y), expected[row][side])
          << "row " << row << " side " << side << " in the gutter";
    }
  // Below the last row: a line of the filler colour, then the background.
  EXPECT_EQ(shot.At(50, 4 * h), Settings.EmptyBkColor);
  EXPECT_EQ(shot.At(50, 4 * h + 3), Settings.SameBkColor);
}

TEST_F(TextViewPixels, ChangedCharactersAreHighlightedOnlyWhenAsked) {
  Fill({{RowKind::Changed, "keep ABC", "keep XYZ"}});
  const int cw = view_->CharWidth();
  const int top = RowTop(0) + 1;  // below the caret box, above the glyphs
  const COLORREF change = Settings.ChangeBkColor;
  {
    Snapshot shot(*view_);
    EXPECT_EQ(shot.At(ColumnX(0, 0), top), change) << "an equal character";
    EXPECT_EQ(shot.At(ColumnX(0, 5), top), Highlighted(change)) << "a changed character";
    EXPECT_EQ(shot.At(ColumnX(1, 7) + cw - 1, top), Highlighted(change));
    // The glyph of a changed character is drawn in the inverted text colour
    // (white on the darkened background).
    int light = 0;
    for (int y = top; y < top + view_->LineHeight() - 2; ++y)
      for (int x = ColumnX(0, 5); x < ColumnX(0, 6); ++x)
        light += GetRValue(shot.At(x, y)) > 200 && GetGValue(shot.At(x, y)) > 200;
    EXPECT_GT(light, 0);
  }
  Settings.HighlightChanges = false;
  view_->ApplyDisplay(Settings.DisplaySnapshot(), DisplayChange::Repaint);
  Snapshot plain(*view_);
  EXPECT_EQ(plain.At(ColumnX(0, 5), top), change);
}

TEST_F(TextViewPixels, StripDrawsArrowsForShortBlocksAndBarsOtherwise) {
  std::vector<RowSpec> rows = SameRows(2);
  for (int i = 0; i < 4; ++i) rows.push_back({RowKind::LeftOnly, "left", ""});
  rows.push_back({RowKind::Same, "x", "x"});
  for (int i = 0; i < 4; ++i) rows.push_back({RowKind::RightOnly, "", "right"});
  Fill(rows);
  const int h = view_->LineHeight();
  const int left = Side(0).right;
  const int right = Side(1).left;
  {
    Snapshot shot(*view_);
    const int leftMiddle = RowTop(2) + 2 * h;
    EXPECT_EQ(shot.At(left + 1, leftMiddle), Settings.LeftBkColor) << "arrow body";
    EXPECT_EQ(shot.At(right - 2, RowTop(2) + 1), Settings.EmptyBkColor) << "corner";
    const int rightMiddle = RowTop(7) + 2 * h;
    EXPECT_EQ(shot.At(right - 2, rightMiddle), Settings.RightBkColor);
    EXPECT_EQ(shot.At(left + 1, RowTop(7) + 1), Settings.EmptyBkColor);
    EXPECT_EQ(shot.At(left + 2, RowTop(0) + h / 2), Settings.SameBkColor);
    EXPECT_NE(shot.At(view_->Geometry().split, RowTop(0) + h / 2), Settings.SameBkColor)
        << "the divider line";
  }
  Settings.DrawArrows = false;
  view_->ApplyDisplay(Settings.DisplaySnapshot(), DisplayChange::Repaint);
  Snapshot bars(*view_);
  EXPECT_EQ(bars.At(left + 1, RowTop(2) + 2 * h), Settings.EmptyBkColor);
  EXPECT_EQ(bars.At(Side(0).right - 3, RowTop(2) + 2), Settings.EmptyBkColor)
      << "differing rows lose their colour without arrows";
  EXPECT_EQ(bars.At(right - 2, RowTop(7) + 2), Settings.EmptyBkColor);
}

TEST_F(TextViewPixels, BlocksTallerThan1000PixelsAreBars) {
  const int h = view_->LineHeight();
  const int tall = 1000 / h + 2;
  const int shortRows = 900 / h;
  for (int rowsInBlock : {tall, shortRows}) {
    std::vector<RowSpec> rows;
    for (int i = 0; i < rowsInBlock; ++i) rows.push_back({RowKind::LeftOnly, "left", ""});
    rows.push_back({RowKind::Same, "x", "x"});
    Fill(rows);
    Snapshot shot(*view_);
    const COLORREF corner = shot.At(Side(0).right + 1, 1);
    const COLORREF expected = rowsInBlock == tall ? Settings.LeftBkColor : Settings.EmptyBkColor;
    EXPECT_EQ(corner, expected) << rowsInBlock << " rows: a bar, or an arrow's corner";
    EXPECT_EQ(shot.At(Side(1).left - 2, 1), Settings.EmptyBkColor);
  }
}

TEST_F(TextViewPixels, LineNumbersShowVirtualOrRealLines) {
  Fill({{RowKind::Same, "a", "a"}, {RowKind::LeftOnly, "b", ""}, {RowKind::Same, "c", "c"}});
  const int h = view_->LineHeight();
  auto inkInGutter = [&](const Snapshot& shot, int side, int32_t row) {
    const COLORREF background = shot.At(Side(side).left + 1, RowTop(row) + 1);
    return shot.CountOther(Side(side).left, RowTop(row), Side(side).textStart, RowTop(row) + h,
                           background);
  };
  Settings.ShowLineNumbers = 0;
  view_->ApplyDisplay(Settings.DisplaySnapshot(), DisplayChange::Relayout);
  {
    Snapshot shot(*view_);
    EXPECT_GT(inkInGutter(shot, 1, 1), 0) << "virtual numbers on filler rows too";
  }
  Settings.ShowLineNumbers = 1;
  view_->ApplyDisplay(Settings.DisplaySnapshot(), DisplayChange::Relayout);
  {
    Snapshot shot(*view_);
    EXPECT_EQ(inkInGutter(shot, 1, 1), 0) << "no real line on a filler row";
    EXPECT_GT(inkInGutter(shot, 0, 1), 0);
  }
  Settings.ShowLineNumbers = 2;
  view_->ApplyDisplay(Settings.DisplaySnapshot(), DisplayChange::Relayout);
  Snapshot none(*view_);
  EXPECT_EQ(inkInGutter(none, 0, 1), 0);
}

TEST_F(TextViewPixels, CaretBoxFramesTheActiveSideOfTheCaretRow) {
  Settings.DrawCaretBox = true;
  Fill(SameRows(5));
  Click(ColumnX(1, 1), RowTop(2) + 2);
  const COLORREF box = GetFocus() == view_->hwnd() ? RGB(0, 0, 0) : RGB(0xC0, 0xC0, 0xC0);
  Snapshot shot(*view_);
  EXPECT_EQ(shot.At(Side(1).left, RowTop(2) + 5), box);
  EXPECT_EQ(shot.At(Side(1).right - 1, RowTop(2) + 5), box);
  EXPECT_EQ(shot.At(Side(0).left, RowTop(2) + 5), Settings.SameBkColor) << "only the active side";
  EXPECT_EQ(shot.At(Side(1).left, RowTop(1) + 5), Settings.SameBkColor);
}

TEST_F(TextViewPixels, PrintedPagesStartAtColumnZeroWithoutCaretAndRestoreTheScreen) {
  std::vector<RowSpec> rows = SameRows(100);
  rows[50] = {RowKind::LeftOnly, "only on the left", ""};
  Fill(rows);
  view_->PlaceCaret(41, view_->List().Row(41).leftOffset, false);
  view_->PlaceCaret(42, view_->List().Row(42).leftOffset + 2, true);
  view_->ScrollToRow(10);
  view_->ScrollHorizontally(0, 3);
  const PaneGeometry screen = view_->Geometry();
  const int screenLineHeight = view_->LineHeight();

  const int pageWidth = 500;
  int lineHeight = 0;
  int gutter = -1;
  int right = 0;
  Snapshot page(pageWidth, 20 * screenLineHeight, [&](HDC dc) {
    // A page is drawn from the pane's document and settings with fonts and
    // a geometry of its own.
    RowFonts fonts;
    MakeRowFonts(dc, view_->Display(), 100, &fonts);
    const PaneGeometry g = LayOutRows(pageWidth, 20 * screenLineHeight, view_->SplitRatio(),
                                      view_->List().RowCount(),
                                      view_->Display().ShowLineNumbers, fonts, true);
    lineHeight = fonts.lineHeight;
    gutter = g.gutter;
    right = g.side[0].right;
    RowPaintSource source;
    source.state = &view_->State();
    source.display = &view_->Display();
    source.geometry = &g;
    source.fonts = &fonts;
    source.topRow = 40;
    PaintRows(dc, source, RECT{0, 0, pageWidth, 20 * lineHeight});
  });
  EXPECT_EQ(gutter, 0) << "no gutter on paper without line numbers";
  EXPECT_EQ(right, pageWidth / 2 - 10);
  const int mid = lineHeight / 2;
  EXPECT_EQ(page.At(right - 3, 10 * lineHeight + mid), Settings.LeftBkColor);
  EXPECT_EQ(page.At(right - 3, 1 * lineHeight), Settings.SameBkColor) << "no caret box";
  EXPECT_EQ(page.At(right - 3, 2 * lineHeight + mid), Settings.SameBkColor) << "no selection";
  EXPECT_GT(page.CountOther(0, 0, view_->CharWidth(), lineHeight, Settings.SameBkColor), 0)
      << "the first column of text is on the page";

  EXPECT_EQ(view_->Geometry().width, screen.width);
  EXPECT_EQ(view_->Geometry().gutter, screen.gutter);
  EXPECT_EQ(view_->Geometry().split, screen.split);
  EXPECT_EQ(view_->LineHeight(), screenLineHeight);
  EXPECT_EQ(view_->TopRow(), 10);
  EXPECT_EQ(view_->HorizontalScroll(0), 3);
  EXPECT_TRUE(view_->HasSelection());
}

TEST_F(TextViewPixels, WhileComparingThePaneShowsItsBackgroundAndDefersLayout) {
  Settings.ShowLineNumbers = 2;
  view_->ApplyDisplay(Settings.DisplaySnapshot(), DisplayChange::Relayout);
  Fill({{RowKind::LeftOnly, "left", ""}, {RowKind::Same, "same", "same"}});
  const int y = view_->LineHeight() / 2;
  auto onScreen = [&] {
    const int x = Side(0).right - 3;
    InvalidateRect(view_->hwnd(), nullptr, FALSE);
    UpdateWindow(view_->hwnd());
    HDC dc = GetDC(view_->hwnd());
    const COLORREF color = GetPixel(dc, x, y);
    ReleaseDC(view_->hwnd(), dc);
    return color;
  };
  EXPECT_EQ(onScreen(), Settings.LeftBkColor);

  host_.comparing = true;
  EXPECT_EQ(onScreen(), Settings.SameBkColor);
  MoveWindow(view_->hwnd(), 0, 0, 400, kPaneHeight, TRUE);
  Settings.ShowLineNumbers = 0;
  view_->ApplyDisplay(Settings.DisplaySnapshot(), DisplayChange::Relayout);
  EXPECT_EQ(view_->Geometry().width, kPaneWidth) << "the worker may be reading the layout";
  EXPECT_EQ(view_->Geometry().gutter, 8);

  view_->FinishCompare();  // the host may still call itself busy here
  EXPECT_EQ(view_->Geometry().width, 400);
  EXPECT_GT(view_->Geometry().gutter, 12);
  host_.comparing = false;
  EXPECT_EQ(onScreen(), Settings.LeftBkColor);
}

TEST_F(TextViewPixels, SampleComparisonScreenshot) {
  Settings.ShowLineNumbers = 1;
  Settings.ShowWhiteSpace = false;
  view_->ApplyDisplay(Settings.DisplaySnapshot(), DisplayChange::Relayout);
  Fill({{RowKind::Same, "// Inventory report generator", "// Inventory report generator"},
        {RowKind::Same, "#include <stdio.h>", "#include <stdio.h>"},
        {RowKind::RightOnly, "", "#include <stdlib.h>"},
        {RowKind::Same, "", ""},
        {RowKind::Same, "struct Item {", "struct Item {"},
        {RowKind::Same, "    const char *name;", "    const char *name;"},
        {RowKind::Changed, "    int count;", "    long count;"},
        {RowKind::Same, "    double price;", "    double price;"},
        {RowKind::Same, "};", "};"},
        {RowKind::Same, "", ""},
        {RowKind::LeftOnly, "/* unused helper */", ""},
        {RowKind::LeftOnly, "static int twice(int x) { return 2 * x; }", ""},
        {RowKind::Same, "", ""},
        {RowKind::Same, "static double total_value(const struct Item *items, int n)",
         "static double total_value(const struct Item *items, int n)"},
        {RowKind::Same, "{", "{"},
        {RowKind::Changed, "    double sum = 0.0;", "    double sum = 0;"},
        {RowKind::Changed, "\tfor (int i = 0; i < n; i++)", "\tfor (int i = 0; i != n; ++i)"},
        {RowKind::Same, "        sum += items[i].count * items[i].price;",
         "        sum += items[i].count * items[i].price;"},
        {RowKind::Same, "    return sum;", "    return sum;"},
        {RowKind::Same, "}", "}"}});
  view_->PlaceCaret(6, view_->List().Row(6).leftOffset + 4, false);
  Snapshot shot(*view_);
  const char* path = std::getenv("QM_TEXTVIEW_SCREENSHOT");
  if (path) {
    EXPECT_TRUE(shot.SaveBmp(path));
  }
  // Text was drawn: the first row holds dark glyph pixels.
  EXPECT_GT(shot.CountOther(Side(0).textStart, 0, Side(0).right, view_->LineHeight(),
                            Settings.SameBkColor),
            20);
}

// ---- Text in characters ----

using TextViewChars = TextViewTest;

// True when offset of side's text starts a display cell: not inside a
// multi-byte sequence and not at a combining mark that joins the character
// before it (the tests use U+0301, bytes CC 81).
bool StartsCell(const std::string& text, uint32_t offset) {
  if (offset >= text.size()) return offset == text.size();
  const unsigned char byte = static_cast<unsigned char>(text[offset]);
  if (byte >= 0x80 && byte < 0xC0) return false;
  return !(byte == 0xCC && offset + 1 < text.size() &&
           static_cast<unsigned char>(text[offset + 1]) == 0x81);
}

const std::string kJapanese = "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E";  // 日本語
const std::string kEmoji = "\xF0\x9F\x98\x80";                        // U+1F600
const std::string kAcute = "e\xCC\x81";                               // e + combining acute

TEST_F(TextViewChars, ColumnsCountCharactersWideCellsAndJoinedMarks) {
  Settings.TabStop = 4;
  Fill({{RowKind::Same, kJapanese + "x", kJapanese + "x"},
        {RowKind::Same, "caf\xC3\xA9\t|", "caf\xC3\xA9\t|"},
        {RowKind::Same, kAcute + kEmoji + "z", kAcute + kEmoji + "z"},
        {RowKind::Same, "a\xFF\xE6\x97" "b", "a\xFF\xE6\x97" "b"}},
       TextEncoding::Utf8);
  const std::string text = Text(0);
  struct Case {
    const char* what;
    int32_t row;
    uint32_t offset;  // from the row start
    int32_t column;
  } const cases[] = {
      {"after one wide character", 0, 3, 2},
      {"after three", 0, 9, 6},
      {"after the x", 0, 10, 7},
      {"e acute is one column", 1, 5, 4},
      {"the tab reaches column 8", 1, 6, 8},
      {"a mark joins its letter", 2, 3, 1},
      {"an emoji is two columns", 2, 7, 3},
      {"malformed bytes are one column each", 3, 4, 4},
  };
  for (const Case& c : cases) {
    const uint32_t start = view_->List().Row(c.row).leftOffset;
    view_->PlaceCaret(c.row, start + c.offset, false);
    EXPECT_EQ(view_->CaretOffset(0), start + c.offset) << c.what;
    EXPECT_EQ(view_->CaretColumn(), c.column) << c.what;
  }
  // The longest line is measured the same way: row 1 is 9 columns, not 10.
  EXPECT_EQ(LongestLineColumns(view_->State().side[0].doc, 0, static_cast<uint32_t>(text.size()),
                               4, true),
            9);
  EXPECT_EQ(Text(0).substr(view_->List().Row(3).leftOffset), "a\xFF\xE6\x97" "b")
      << "malformed bytes are shown, never altered";
}

TEST_F(TextViewChars, CaretAndSelectionStopOnlyOnCharacterBoundaries) {
  const std::string line = kJapanese + " " + kAcute + kEmoji + "\xC3\xA9z\xFF!";
  Fill({{RowKind::Same, "0123456789012345678901234", "x"},
        {RowKind::Same, line, "x"},
        {RowKind::Same, "0123456789012345678901234", "x"}},
       TextEncoding::Utf8);
  const std::string text = Text(0);
  const uint32_t start = view_->List().Row(1).leftOffset;
  const uint32_t end = start + static_cast<uint32_t>(line.size());
  // Every offset asked for, by any caller, lands on the cell that holds it.
  int32_t previousColumn = -1;
  for (uint32_t offset = start; offset <= end; ++offset) {
    view_->PlaceCaret(1, offset, false);
    const uint32_t caret = view_->CaretOffset(0);
    EXPECT_TRUE(StartsCell(text, caret)) << "asked " << offset << ", got " << caret;
    EXPECT_LE(caret, offset);
    EXPECT_GE(view_->CaretColumn(), previousColumn) << "offset " << offset;
    previousColumn = view_->CaretColumn();
  }
  // Clicks at every pixel, and Up/Down through the line from every column
  // of the rows around it, stop on boundaries too; so does a selection.
  const int h = view_->LineHeight();
  for (int x = Side(0).textStart; x < ColumnX(0, 16); ++x) {
    Click(x, RowTop(1) + h / 2);
    EXPECT_TRUE(StartsCell(text, view_->CaretOffset(0))) << "click at x " << x;
    Click(ColumnX(0, 15.9), RowTop(1) + h / 2, MK_SHIFT);
    EXPECT_TRUE(StartsCell(text, view_->AnchorOffset())) << "selection from x " << x;
    EXPECT_TRUE(StartsCell(text, view_->CaretOffset(0)));
    Click(x, RowTop(0) + h / 2);
    SendMessageA(view_->hwnd(), WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(view_->CaretRow(), 1);
    EXPECT_TRUE(StartsCell(text, view_->CaretOffset(0))) << "down from x " << x;
    Click(x, RowTop(2) + h / 2);
    SendMessageA(view_->hwnd(), WM_KEYDOWN, VK_UP, 0);
    EXPECT_TRUE(StartsCell(text, view_->CaretOffset(0))) << "up from x " << x;
  }
  view_->PlaceCaret(1, end, false);
  EXPECT_EQ(view_->CaretColumn(), 6 + 1 + 1 + 2 + 1 + 1 + 1 + 1);
}

TEST_F(TextViewChars, WideCharactersFillTwoColumnsAndHighlightsNeverSplitThem) {
  // 語 (E8 AA 9E) and 誠 (E8 AA A0) differ in their last byte only: the
  // whole character is highlighted, both of its columns.
  const std::string left = "ab" + kJapanese;
  const std::string right = "ab\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\xA0";
  Fill({{RowKind::Changed, left, right}, {RowKind::Same, kJapanese, "x"}}, TextEncoding::Utf8);
  const int top = RowTop(0) + 1;
  const COLORREF change = Settings.ChangeBkColor;
  Snapshot shot(*view_);
  for (int side = 0; side < 2; ++side) {
    EXPECT_EQ(shot.At(ColumnX(side, 5.9), top), change) << "本 is the same, side " << side;
    EXPECT_EQ(shot.At(ColumnX(side, 6.1), top), Highlighted(change)) << "side " << side;
    EXPECT_EQ(shot.At(ColumnX(side, 7.9), top), Highlighted(change)) << "side " << side;
    EXPECT_EQ(shot.At(ColumnX(side, 8.1), top), change) << "nothing after it, side " << side;
  }
  // Three characters draw within six columns, each pair of columns inked:
  // read byte by byte they would spread over nine.
  const int y0 = RowTop(1);
  const COLORREF same = Settings.SameBkColor;
  for (int cell = 0; cell < 3; ++cell)
    EXPECT_GT(shot.CountOther(ColumnX(0, 2 * cell), y0, ColumnX(0, 2 * cell + 2),
                              y0 + view_->LineHeight(), same),
              5)
        << "character " << cell;
  EXPECT_EQ(shot.CountOther(ColumnX(0, 6), y0, ColumnX(0, 12), y0 + view_->LineHeight(), same),
            0);
}

TEST_F(TextViewChars, ACombiningMarkDrawsOverItsLetterNotTheNextCell) {
  // e + U+0301 and the precomposed é: the cell after them ("x") must look
  // the same, and the mark must ink the letter's cell. The face stands for
  // one whose marks sit in a cell of their own (DejaVu Sans Mono here).
  Settings.FontFace = "Andale Mono";
  Settings.DrawCaretBox = false;
  view_->ApplyDisplay(Settings.DisplaySnapshot(), DisplayChange::Relayout);
  Fill({{RowKind::Same, kAcute + "x", "x"},
        {RowKind::Same, "\xC3\xA9x", "x"},
        {RowKind::Same, "ex", "x"}},
       TextEncoding::Utf8);
  Snapshot shot(*view_);
  const int h = view_->LineHeight();
  const COLORREF same = Settings.SameBkColor;
  int differing = 0;
  for (int y = 0; y < h; ++y)
    for (int x = ColumnX(0, 1); x < ColumnX(0, 3); ++x)
      differing += shot.At(x, RowTop(0) + y) != shot.At(x, RowTop(1) + y);
  EXPECT_EQ(differing, 0) << "the mark fell into the next cell";
  auto ink = [&](int32_t row) {
    return shot.CountOther(ColumnX(0, 0), RowTop(row), ColumnX(0, 1), RowTop(row) + h, same);
  };
  EXPECT_GT(ink(0), ink(2)) << "the mark is drawn over its letter";
}

TEST_F(TextViewChars, ALegacyFileDrawsItsCodePageAsTheSameTextInUtf8Does) {
  // Windows-1252 bytes on a legacy side and the same characters in UTF-8
  // give the same pixels, changed-character highlights included.
  const std::vector<RowSpec> legacy = {
      {RowKind::Same, "caf\xE9 \x80 \xFC\tx \x01", "caf\xE9 \x80 \xFC\tx \x01"},
      {RowKind::Changed, "nai\xEF", "naix"}};
  const std::vector<RowSpec> utf8 = {
      {RowKind::Same, "caf\xC3\xA9 \xE2\x82\xAC \xC3\xBC\tx \x01",
       "caf\xC3\xA9 \xE2\x82\xAC \xC3\xBC\tx \x01"},
      {RowKind::Changed, "nai\xC3\xAF", "naix"}};
  Settings.ShowWhiteSpace = true;
  Settings.DrawCaretBox = false;  // its colour follows the focus, which may come at any time
  view_->ApplyDisplay(Settings.DisplaySnapshot(), DisplayChange::Relayout);
  Fill(legacy);
  view_->PlaceCaret(1, view_->List().Row(1).leftOffset, false);
  Snapshot before(*view_);
  Fill(utf8, TextEncoding::Utf8);
  view_->PlaceCaret(1, view_->List().Row(1).leftOffset, false);
  Snapshot after(*view_);
  const int bottom = 2 * view_->LineHeight();
  int differing = 0;
  int inked = 0;
  for (int y = 0; y < bottom; ++y)
    for (int x = Side(0).textStart; x < Side(0).right; ++x) {
      differing += before.At(x, y) != after.At(x, y);
      inked += before.At(x, y) != Settings.SameBkColor;
    }
  EXPECT_EQ(differing, 0);
  EXPECT_GT(inked, 100) << "the legacy text was drawn";
}

TEST_F(TextViewChars, HorizontalRangeAndScrollingCountColumnsNotBytes) {
  // 3000 wide characters and 500 Cyrillic ones: 6500 columns in 10000 bytes.
  std::string line;
  for (int i = 0; i < 3000; ++i) line += "\xE6\x97\xA5";
  for (int i = 0; i < 500; ++i) line += "\xD0\xB6";
  Settings.SyncScroll = false;
  Fill({{RowKind::Same, "short", "short"}, {RowKind::Same, line, line}, {RowKind::Same, "end", "end"}},
       TextEncoding::Utf8);
  EXPECT_EQ(view_->ColumnRange(0), 6501);
  const int32_t page = view_->Geometry().visibleColumns[0];
  SendMessageA(frame_, WM_HSCROLL, SB_BOTTOM, reinterpret_cast<LPARAM>(lbar_));
  EXPECT_EQ(view_->HorizontalScroll(0), 6501 - page);

  // The caret after the last character is in view, at column 6500.
  SendMessageA(frame_, WM_HSCROLL, SB_TOP, reinterpret_cast<LPARAM>(lbar_));
  const uint32_t rowStart = view_->List().Row(1).leftOffset;
  view_->PlaceCaret(1, rowStart + static_cast<uint32_t>(line.size()), false);
  EXPECT_EQ(view_->CaretColumn(), 6500);
  EXPECT_LE(view_->HorizontalScroll(0), 6500);
  EXPECT_GT(view_->HorizontalScroll(0) + page, 6500);

  // An edit widens the range by the characters it adds: 2000 e-acutes.
  std::string wider;
  for (int i = 0; i < 2000; ++i) wider += "\xC3\xA9";
  TextDoc& left = view_->State().side[0].doc;
  ASSERT_TRUE(left.Insert(rowStart, wider.data(), static_cast<uint32_t>(wider.size())));
  view_->State().list->ShiftOffsets(0, 2, static_cast<uint32_t>(wider.size()));
  view_->RecompareAfterEdit(1, 1);
  EXPECT_EQ(view_->ColumnRange(0), 8501);
}

TEST_F(TextViewChars, ProportionalFontsMeasureWholeCharacters) {
  Settings.FontFace = "Tahoma";
  view_->ApplyDisplay(Settings.DisplaySnapshot(), DisplayChange::Relayout);
  const std::string line = "W\xD0\xB6" + kJapanese + kAcute + kEmoji + "i\xFFx";
  Fill({{RowKind::Same, line, "x"}}, TextEncoding::Utf8);
  Settings.FontFace = "Courier New";
  // Offsets where a character starts, and the line's end.
  const std::vector<uint32_t> boundaries = {0, 1, 3, 6, 9, 12, 15, 19, 20, 21, 22};
  ASSERT_EQ(boundaries.back(), line.size());
  int previous = -1;
  for (uint32_t offset : boundaries) {
    const int pixel = view_->PixelOf(0, 0, offset);
    EXPECT_GT(pixel, previous) << "offset " << offset;
    previous = pixel;
    Click(Side(0).textStart + pixel + 1, RowTop(0) + 2);
    EXPECT_EQ(view_->CaretOffset(0), offset) << "pixel " << pixel;
  }
}

TEST_F(TextViewChars, Utf8ComparisonScreenshot) {
  Settings.ShowLineNumbers = 1;
  view_->ApplyDisplay(Settings.DisplaySnapshot(), DisplayChange::Relayout);
  Fill({{RowKind::Same, "# \xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E / \xE4\xB8\xAD\xE6\x96\x87 / "
                        "\xD0\xA0\xD1\x83\xD1\x81\xD1\x81\xD0\xBA\xD0\xB8\xD0\xB9",
         "# \xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E / \xE4\xB8\xAD\xE6\x96\x87 / "
         "\xD0\xA0\xD1\x83\xD1\x81\xD1\x81\xD0\xBA\xD0\xB8\xD0\xB9"},
        {RowKind::Changed, "greeting = \"\xE4\xBD\xA0\xE5\xA5\xBD\"\t# hello",
         "greeting = \"\xE6\x82\xA8\xE5\xA5\xBD\"\t# hello"},
        {RowKind::Changed, "name = \"\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82\"",
         "name = \"\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82!\""},
        {RowKind::Same, "mood = \"\xF0\x9F\x98\x80\" # emoji", "mood = \"\xF0\x9F\x98\x80\" # emoji"},
        {RowKind::RightOnly, "", "cafe\xCC\x81 = \"caf\xC3\xA9\"  # combining and precomposed"},
        {RowKind::Same, "bad = \"\xFF\xFE\"", "bad = \"\xFF\xFE\""},
        {RowKind::Same, "columns|1234567890", "columns|1234567890"}},
       TextEncoding::Utf8);
  view_->PlaceCaret(1, view_->List().Row(1).leftOffset + 15, false);
  Snapshot shot(*view_);
  if (const char* path = std::getenv("QM_TEXTVIEW_UTF8_SCREENSHOT")) {
    EXPECT_TRUE(shot.SaveBmp(path));
  }
  // Byte 15 follows 你: column 12 + 2.
  EXPECT_EQ(view_->CaretColumn(), 14);
  // The last row's "|" and the first row's wide characters line up: the
  // three Japanese characters end at column 8, where " / " begins.
  const int y = RowTop(0);
  EXPECT_GT(shot.CountOther(ColumnX(0, 2), y, ColumnX(0, 8), y + view_->LineHeight(),
                            Settings.SameBkColor),
            30);
}

// ---- Repaint areas after an edit ----

using TextViewRepaint = TextViewTest;

TEST_F(TextViewRepaint, RecompareResultsRepaintOneSideBothSidesOrEverything) {
  // Rows 0 to 119; the re-compared window reaches 40 rows either side of
  // an edit, so an edit in row 3 does not see the changed row 100.
  std::vector<RowSpec> rows = SameRows(120);
  rows[100] = {RowKind::Changed, "value = 1;", "value = 2;"};
  Fill(rows);
  TextDoc& left = view_->State().side[0].doc;

  // Result 0: a byte replaced by itself leaves rows and highlights alone.
  const uint32_t row3 = view_->List().Row(3).leftOffset;
  int result = -1;
  RECT update = UpdateAfter([&] {
    left.SetByte(row3, static_cast<char>(left.ByteAt(row3)));
    result = view_->RecompareAfterEdit(3, 3);
  });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(update.top, RowTop(3));
  EXPECT_EQ(update.bottom, RowTop(4));
  EXPECT_LE(update.right, Side(0).right) << "only the active side";

  // Result 1: the changed row stays changed with other highlights.
  view_->ScrollToRow(95);
  const uint32_t digit = view_->List().Row(100).leftOffset + 8;
  update = UpdateAfter([&] {
    left.SetByte(digit, '3');
    result = view_->RecompareAfterEdit(100, 100);
  });
  EXPECT_EQ(result, 1);
  EXPECT_EQ(update.top, RowTop(100));
  EXPECT_EQ(update.bottom, RowTop(101));
  EXPECT_LT(update.left, Side(0).right);
  EXPECT_GT(update.right, Side(1).left) << "both sides";

  // Result 2: a new line on the left changes the layout; the caret row
  // follows its offset and the whole pane repaints.
  const uint32_t row70 = view_->List().Row(70).leftOffset;
  view_->PlaceCaret(75, view_->List().Row(75).leftOffset, false);
  const uint32_t caret = view_->CaretOffset(0);
  update = UpdateAfter([&] {
    ASSERT_TRUE(left.Insert(row70, "inserted\n", 9));
    view_->State().list->ShiftOffsets(0, 71, 9);
    view_->PlaceCaret(75, caret + 9, false);
    result = view_->RecompareAfterEdit(70, 70);
  });
  EXPECT_EQ(result, 2);
  EXPECT_EQ(update.top, 0);
  EXPECT_EQ(update.left, 0);
  EXPECT_EQ(update.right, kPaneWidth);
  EXPECT_EQ(update.bottom, kPaneHeight);
  EXPECT_EQ(view_->List().RowCount(), 121);
  EXPECT_EQ(view_->DiffCount(), 2);
  EXPECT_EQ(view_->CaretRow(), 76) << "the caret's line moved down one row";
  EXPECT_GE(host_.contentChanges, 1);
}

// ---- Loading, saving ----

std::string TempPath(const std::string& name) {
  char folder[MAX_PATH];
  GetTempPathA(MAX_PATH, folder);
  return std::string(folder) + name;
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Answers the first message box of this process with OK and keeps its text.
class MessageBoxWatcher {
public:
  MessageBoxWatcher() { thread_ = CreateThread(nullptr, 0, Watch, this, 0, nullptr); }
  ~MessageBoxWatcher() {
    stop_ = true;
    WaitForSingleObject(thread_, 5000);
    CloseHandle(thread_);
  }
  std::string text() const { return text_; }

private:
  static BOOL CALLBACK Find(HWND hwnd, LPARAM param) {
    DWORD process = 0;
    GetWindowThreadProcessId(hwnd, &process);
    char name[16];
    if (process == GetCurrentProcessId() && GetClassNameA(hwnd, name, sizeof(name)) &&
        std::string(name) == "#32770" && IsWindowVisible(hwnd)) {
      *reinterpret_cast<HWND*>(param) = hwnd;
      return FALSE;
    }
    return TRUE;
  }
  static DWORD WINAPI Watch(void* param) {
    auto* self = static_cast<MessageBoxWatcher*>(param);
    for (int i = 0; i < 500 && !self->stop_; ++i) {
      HWND box = nullptr;
      EnumWindows(Find, reinterpret_cast<LPARAM>(&box));
      if (box) {
        char text[1024] = "";
        GetDlgItemTextA(box, 0xFFFF, text, sizeof(text));
        self->text_ = text;
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        return 0;
      }
      Sleep(20);
    }
    return 0;
  }
  HANDLE thread_ = nullptr;
  volatile bool stop_ = false;
  std::string text_;
};

using TextViewFiles = TextViewTest;

TEST_F(TextViewFiles, LoadComparesAndARepeatKeepsThePositions) {
  std::string left;
  std::string right;
  for (int i = 0; i < 200; ++i) {
    left += "line " + std::to_string(i) + "\r\n";
    right += (i == 120 ? "changed line " : "line ") + std::to_string(i) + "\r\n";
  }
  const std::string leftPath = TempPath("qm_textview_left.txt");
  const std::string rightPath = TempPath("qm_textview_right.txt");
  WriteBytes(leftPath, left);
  WriteBytes(rightPath, right);
  CompareSettings settings;
  settings.ScrollToFirst = true;
  CompareResult result = view_->LoadAndCompare(leftPath, rightPath, settings, nullptr);
  view_->FinishCompare();
  ASSERT_EQ(result.code, CompareCode::Ok);
  EXPECT_EQ(view_->List().RowCount(), 201) << "200 lines and the empty one after the last LF";
  EXPECT_EQ(view_->DiffCount(), 1);
  EXPECT_EQ(view_->CaretRow(), 120) << "scrolled to the first difference";
  EXPECT_LE(view_->TopRow(), 120);
  EXPECT_GT(view_->TopRow() + view_->Geometry().visibleRows, 120);
  EXPECT_EQ(view_->Format(0), LineFormat::Dos);

  settings.ScrollToFirst = false;
  view_->ScrollToRow(30);
  view_->PlaceCaret(35, view_->List().Row(35).leftOffset + 3, false);
  host_.repeat = true;
  result = view_->LoadAndCompare(leftPath, rightPath, settings, nullptr);
  view_->FinishCompare();
  EXPECT_EQ(view_->TopRow(), 30);
  EXPECT_EQ(view_->CaretRow(), 35);
  EXPECT_EQ(view_->CaretOffset(0), view_->List().Row(35).leftOffset + 3);

  host_.repeat = false;
  result = view_->LoadAndCompare(leftPath, rightPath, settings, nullptr);
  view_->FinishCompare();
  EXPECT_EQ(view_->TopRow(), 0) << "another comparison starts at the top";
  EXPECT_EQ(view_->CaretRow(), 0);

  result = view_->LoadAndCompare(leftPath, TempPath("qm_textview_missing.txt"), settings, nullptr);
  view_->FinishCompare();
  EXPECT_EQ(result.code, CompareCode::RightLoadFailed);
  EXPECT_EQ(view_->List().RowCount(), 1) << "a failed load leaves one empty row";
  DeleteFileA(leftPath.c_str());
  DeleteFileA(rightPath.c_str());
}

TEST_F(TextViewFiles, SaveWritesTheSideInItsFormatAndReportsFailures) {
  Fill({{RowKind::Same, "one", "one"}, {RowKind::LeftOnly, "two", ""}});
  view_->State().side[0].format = LineFormat::Dos;
  view_->State().side[0].readOnly = true;
  const std::string path = TempPath("qm_textview_save.txt");
  DeleteFileA(path.c_str());
  ASSERT_TRUE(view_->SaveSide(0, path));
  EXPECT_EQ(ReadBytes(path), "one\r\ntwo");
  EXPECT_FALSE(view_->IsReadOnly(0));
  EXPECT_EQ(host_.savedSides, std::vector<int>{0});
  DeleteFileA(path.c_str());

  const std::string bad = TempPath("qm no such folder\\x.txt");
  std::string shown;
  {
    MessageBoxWatcher watcher;
    EXPECT_FALSE(view_->SaveSide(1, bad));
    Sleep(50);
    shown = watcher.text();
  }
  EXPECT_NE(shown.find("Could not save the file."), std::string::npos) << shown;
  EXPECT_GT(shown.size(), std::string("Could not save the file.\n\nReason: ").size())
      << "the system's reason follows";
  EXPECT_EQ(host_.savedSides, std::vector<int>{0}) << "a failed save marks nothing saved";
}

// ---- Input: keys and the mouse ----

class TextViewInput : public TextViewTest {
protected:
  void TearDown() override {
    SetModifiers(false, false);
    TextViewTest::TearDown();
  }
  static void SetModifiers(bool ctrl, bool shift) {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_CONTROL] = ctrl ? 0x80 : 0;
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    SetKeyboardState(keys);
  }
  void Press(UINT key, bool ctrl = false, bool shift = false) {
    SetModifiers(ctrl, shift);
    SendMessageW(view_->hwnd(), WM_KEYDOWN, key, 1);
    SendMessageW(view_->hwnd(), WM_KEYUP, key, 0xC0000001);
    SetModifiers(false, false);
  }
  void Type(const std::wstring& text) {
    for (wchar_t c : text) SendMessageW(view_->hwnd(), WM_CHAR, c, 1);
  }
  // Presses counted together as a double or triple click: no middle button
  // between them, the same message time.
  void Hit(int x, int y, WPARAM keys = 0) {
    SendMessageA(view_->hwnd(), WM_LBUTTONDOWN, MK_LBUTTON | keys, MAKELPARAM(x, y));
    SendMessageA(view_->hwnd(), WM_LBUTTONUP, keys, MAKELPARAM(x, y));
  }
  void Drag(POINT from, POINT to, WPARAM keys = 0) {
    SendMessageA(view_->hwnd(), WM_MBUTTONDOWN, 0, 0);
    SendMessageA(view_->hwnd(), WM_LBUTTONDOWN, MK_LBUTTON | keys, MAKELPARAM(from.x, from.y));
    SendMessageA(view_->hwnd(), WM_MOUSEMOVE, MK_LBUTTON | keys,
                 MAKELPARAM((from.x + to.x) / 2, (from.y + to.y) / 2));
    SendMessageA(view_->hwnd(), WM_MOUSEMOVE, MK_LBUTTON | keys, MAKELPARAM(to.x, to.y));
    SendMessageA(view_->hwnd(), WM_LBUTTONUP, keys, MAKELPARAM(to.x, to.y));
  }
  uint32_t Caret() const { return view_->CaretOffset(view_->ActiveSide()); }
  std::string Selected() const {
    const std::string text = Text(view_->ActiveSide());
    const uint32_t a = std::min(Caret(), view_->AnchorOffset());
    const uint32_t b = std::max(Caret(), view_->AnchorOffset());
    return text.substr(a, b - a);
  }
};

TEST_F(TextViewInput, ArrowsWalkCharactersRowsAndTheOtherSidesFillers) {
  Fill({{RowKind::Same, "ab", "ab"},
        {RowKind::LeftOnly, "left", ""},
        {RowKind::Same, "cd", "cd"},
        {RowKind::LeftOnly, "tail1", ""},
        {RowKind::LeftOnly, "tail2", ""}});
  view_->SetActiveSide(1);
  view_->PlaceCaret(0, 0, false);
  Press(VK_LEFT);
  EXPECT_EQ(view_->CaretRow(), 0);
  EXPECT_EQ(Caret(), 0u) << "nothing before the start of the document";
  // Right walks a character at a time, then row by row over the filler.
  const struct {
    int32_t row;
    uint32_t offset;
  } right[] = {{0, 1}, {0, 2}, {1, 3}, {2, 3}, {2, 4}, {2, 5}, {3, 5}, {4, 5}, {4, 5}};
  for (const auto& step : right) {
    Press(VK_RIGHT);
    EXPECT_EQ(view_->CaretRow(), step.row);
    EXPECT_EQ(Caret(), step.offset) << "row " << step.row;
  }
  // And back: a row start goes to the end of the row above.
  for (int32_t row : {3, 2, 2, 2, 1, 0}) {
    Press(VK_LEFT);
    EXPECT_EQ(view_->CaretRow(), row);
  }
  EXPECT_EQ(Caret(), 2u) << "the end of row 0, before its LF";

  Press(VK_HOME, false, true);
  EXPECT_EQ(Selected(), "ab") << "Shift+Home extends";
  Press(VK_END, true, false);
  EXPECT_EQ(view_->CaretRow(), 4);
  EXPECT_FALSE(view_->HasSelection());
  Press(VK_HOME, true, true);
  EXPECT_EQ(Selected(), "ab\ncd");
}

TEST_F(TextViewInput, ALegacySideTakesOnlyCharactersItsCodePageHolds) {
  // Windows-1252 here: "\xE9" is its e acute; Cyrillic has no byte there and
  // must not be saved as a "?" in its place.
  Fill({{RowKind::Same, "ab", "ab"}});
  view_->PlaceCaret(0, 1, false);
  Type(L"\x00E9\x0436x");
  EXPECT_EQ(Text(0), "a\xE9x" "b");
}

TEST_F(TextViewInput, ClicksCountToThreeAndDragsExtendByWordsOrRows) {
  Fill({{RowKind::Same, "alpha beta.gamma", "alpha beta.gamma"},
        {RowKind::Same, "delta epsilon", "delta epsilon"},
        {RowKind::Same, "zeta", "zeta"}});
  const int y0 = RowTop(0) + 2;
  const int beta = ColumnX(0, 7.5);
  SendMessageA(view_->hwnd(), WM_MBUTTONDOWN, 0, 0);
  Hit(beta, y0);
  EXPECT_FALSE(view_->HasSelection());
  Hit(beta, y0);
  EXPECT_EQ(Selected(), "beta") << "a double click selects the word";
  Hit(beta, y0);
  EXPECT_EQ(Selected(), "alpha beta.gamma\n") << "a triple click selects the row and its LF";
  Hit(beta, y0);
  EXPECT_FALSE(view_->HasSelection()) << "a fourth press is a single click again";
  EXPECT_EQ(Caret(), 8u);

  // Double click, then drag: whole words from the double-clicked one.
  SendMessageA(view_->hwnd(), WM_MBUTTONDOWN, 0, 0);
  Hit(beta, y0);
  SendMessageA(view_->hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(beta, y0));
  SendMessageA(view_->hwnd(), WM_MOUSEMOVE, MK_LBUTTON,
               MAKELPARAM(ColumnX(0, 8.5), RowTop(1) + 2));
  SendMessageA(view_->hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(ColumnX(0, 8.5), RowTop(1) + 2));
  EXPECT_EQ(Selected(), "beta.gamma\ndelta epsilon");
  EXPECT_EQ(view_->AnchorOffset(), 6u);

  // A press in the gutter selects the row; dragging there adds rows.
  Settings.ShowLineNumbers = 0;
  view_->ApplyDisplay(Settings.DisplaySnapshot(), DisplayChange::Relayout);
  Drag(POINT{Side(1).left + 2, RowTop(1) + 2}, POINT{Side(1).left + 2, RowTop(2) + 2});
  EXPECT_EQ(view_->ActiveSide(), 1);
  EXPECT_EQ(Selected(), "delta epsilon\nzeta");
}

TEST_F(TextViewInput, TheDividerDragsAndADoubleClickCentresIt) {
  Fill(SameRows(3));
  const int split = view_->Geometry().split;
  Drag(POINT{split + 2, 10}, POINT{180, 10});
  EXPECT_NEAR(view_->SplitRatio(), 180.5f / kPaneWidth, 0.001);
  EXPECT_EQ(view_->Geometry().split, 180);
  EXPECT_FALSE(view_->HasSelection()) << "a divider drag selects nothing";
  SendMessageA(view_->hwnd(), WM_MBUTTONDOWN, 0, 0);
  Hit(181, 10);
  Hit(181, 10);
  EXPECT_FLOAT_EQ(view_->SplitRatio(), 0.5f);
}

// ---- Input: edits against a model ----

// The length of the UTF-8 character at or before an offset of text.
uint32_t NextCharLength(const std::string& text, uint32_t offset) {
  uint32_t end = offset + 1;
  while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
  return end - offset;
}
uint32_t PreviousCharStart(const std::string& text, uint32_t offset) {
  uint32_t start = offset - 1;
  while (start > 0 && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80) --start;
  return start;
}

TEST_F(TextViewInput, RandomKeysEditBothSidesAsAPlainStringAndUndoRestoresEveryByte) {
  // What is typed: ASCII, Latin, Cyrillic, CJK and an emoji (two UTF-16
  // units, two WM_CHAR messages), each with its UTF-8 form.
  const struct {
    std::wstring units;
    std::string utf8;
  } typed[] = {{L"a", "a"},
               {L" ", " "},
               {L"\t", "\t"},
               {L"\x00E9", "\xC3\xA9"},
               {L"\x0436", "\xD0\xB6"},
               {L"\x4E2D", "\xE4\xB8\xAD"},
               {L"\xD83D\xDE00", "\xF0\x9F\x98\x80"}};
  std::mt19937 random(20261208);
  for (int round = 0; round < 12; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    Fill({{RowKind::Same, "alpha beta", "alpha beta"},
          {RowKind::Changed, "gamma \xD0\xB6", "gamma!"},
          {RowKind::LeftOnly, "only left", ""},
          {RowKind::RightOnly, "", "\xE4\xB8\xAD right"},
          {RowKind::Same, "end", "end"}},
         TextEncoding::Utf8);
    const std::string original[2] = {Text(0), Text(1)};
    std::string model[2] = {original[0], original[1]};
    std::vector<std::pair<int, std::string>> history;  // side and its text before each edit
    bool overwrite = false;
    for (int step = 0; step < 70; ++step) {
      const int side = view_->ActiveSide();
      const uint32_t caret = Caret();
      const uint32_t anchor = view_->AnchorOffset();
      const uint32_t low = std::min(caret, anchor);
      const uint32_t high = std::max(caret, anchor);
      const int32_t row = view_->CaretRow();
      const DiffList& list = view_->List();
      const TextDoc& doc = view_->State().side[side].doc;
      const bool filler = list.IsFiller(side, row);
      std::string& text = model[side];
      const std::string before = text;
      std::string action;
      switch (std::uniform_int_distribution<int>(0, 15)(random)) {
        case 0: case 1: case 2: {
          const auto& t = typed[std::uniform_int_distribution<size_t>(0, std::size(typed) - 1)(random)];
          action = "type " + t.utf8;
          Type(t.units);
          if (overwrite && low == high && caret < text.size() && text[caret] != '\n')
            text.replace(caret, NextCharLength(text, caret), t.utf8);
          else
            text.replace(low, high - low, t.utf8);
          break;
        }
        case 3:
          action = "enter";
          Type(L"\r");
          text.replace(low, high - low, "\n");
          break;
        case 4:
          action = "backspace";
          Type(L"\b");
          if (low != high)
            text.erase(low, high - low);
          else if (caret > 0 && !(caret == list.Row(row).Offset(side) && row > 0 &&
                                  list.IsFiller(side, row - 1)))
            text.erase(PreviousCharStart(text, caret), caret - PreviousCharStart(text, caret));
          break;
        case 5:
          action = "delete";
          Press(VK_DELETE);
          if (low != high)
            text.erase(low, high - low);
          else if (!filler && caret < text.size())
            text.erase(caret, NextCharLength(text, caret));
          break;
        case 6:
          action = "ctrl+e row " + std::to_string(row) + (filler ? " filler" : "") + " caret " +
                   std::to_string(caret);
          if (std::uniform_int_distribution<int>(0, 1)(random)) {
            const uint32_t start = list.Row(row).Offset(side);
            const uint32_t end = list.RowEnd(side, row, doc);
            Press('E', true, false);
            if (!filler) text.erase(start, end - start);
          } else {
            const uint32_t end = list.Row(row).Offset(side) + list.RowTextLength(side, row, doc);
            action += " shift";
            Press('E', true, true);
            if (!filler && caret < end) text.erase(caret, end - caret);
          }
          break;
        case 7:
          action = "undo";
          if (!history.empty()) {
            ASSERT_TRUE(view_->Undo());
            model[history.back().first] = history.back().second;
            history.pop_back();
          }
          break;
        case 8:
          action = "insert key";
          Press(VK_INSERT);
          overwrite = !overwrite;
          break;
        case 9:
          action = "other side";
          Press(VK_F4);
          break;
        default: {
          const UINT keys[] = {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, VK_HOME, VK_END};
          const UINT key = keys[std::uniform_int_distribution<int>(0, 5)(random)];
          const bool ctrl = (key == VK_LEFT || key == VK_RIGHT) &&
                            std::uniform_int_distribution<int>(0, 2)(random) == 0;
          const bool shift = std::uniform_int_distribution<int>(0, 2)(random) == 0;
          action = "key " + std::to_string(key) + (ctrl ? " ctrl" : "") + (shift ? " shift" : "");
          Press(key, ctrl, shift);
          break;
        }
      }
      if (action != "undo" && text != before) history.emplace_back(side, before);
      SCOPED_TRACE("step " + std::to_string(step) + ": " + action);
      ASSERT_EQ(Text(0), model[0]);
      ASSERT_EQ(Text(1), model[1]);
      // The caret stays on a character of its row.
      const int active = view_->ActiveSide();
      const uint32_t at = Caret();
      const int32_t caretRow = view_->CaretRow();
      ASSERT_TRUE(StartsCell(Text(active), at)) << at;
      ASSERT_GE(at, view_->List().Row(caretRow).Offset(active));
      ASSERT_LE(at, view_->List().RowEnd(active, caretRow, view_->State().side[active].doc));
    }
    while (view_->Undo()) {
    }
    EXPECT_EQ(Text(0), original[0]) << "undoing everything gives the original bytes";
    EXPECT_EQ(Text(1), original[1]);
    EXPECT_FALSE(view_->IsSideModified(0));
    EXPECT_FALSE(view_->IsSideModified(1));
    if (overwrite) Press(VK_INSERT);
  }
}

TEST_F(TextViewInput, TextDragCopiesMovesRefusesItsOwnRowsAndDeletesOutside) {
  const bool dropDelete = Settings.DropDelete;
  const std::vector<RowSpec> rows = {{RowKind::Same, "a", "a"},
                                     {RowKind::LeftOnly, "L1", ""},
                                     {RowKind::LeftOnly, "L2", ""},
                                     {RowKind::Same, "b", "b"},
                                     {RowKind::Same, "c", "c"}};
  const int leftX = ColumnX(0, 1);
  const int rightX = ColumnX(1, 1);
  auto rowY = [&](int32_t row) { return RowTop(row) + 2; };
  // The drop line goes between rows: the top edge of the row named.
  auto dropY = [&](int32_t row) { return RowTop(row); };

  Fill(rows);
  Drag(POINT{leftX, rowY(1)}, POINT{rightX, dropY(1)}, MK_CONTROL);
  EXPECT_EQ(Text(1), "a\nL1\nL2\nb\nc") << "the block copied before row 1 of the right side";
  EXPECT_EQ(Text(0), "a\nL1\nL2\nb\nc");
  EXPECT_FALSE(view_->IsTextDragging());
  ASSERT_TRUE(view_->Undo());
  EXPECT_EQ(Text(1), "a\nb\nc") << "one undo step takes the drop back";

  for (int32_t own : {1, 2, 3}) {
    Drag(POINT{leftX, rowY(1)}, POINT{leftX, dropY(own)}, MK_CONTROL);
    EXPECT_EQ(Text(0), "a\nL1\nL2\nb\nc") << "a drop on its own rows (" << own << ") does nothing";
  }
  Drag(POINT{leftX, rowY(2)}, POINT{leftX, dropY(4)}, MK_CONTROL);
  EXPECT_EQ(Text(0), "a\nb\nL1\nL2\nc") << "moved within its side";
  EXPECT_EQ(Text(1), "a\nb\nc");

  // The line alone (Shift), dropped outside the pane: deleted when asked.
  Fill(rows);
  Settings.DropDelete = false;
  Drag(POINT{leftX, rowY(2)}, POINT{-20, rowY(2)}, MK_CONTROL | MK_SHIFT);
  EXPECT_EQ(Text(0), "a\nL1\nL2\nb\nc");
  Settings.DropDelete = true;
  Drag(POINT{leftX, rowY(2)}, POINT{-20, rowY(2)}, MK_CONTROL | MK_SHIFT);
  EXPECT_EQ(Text(0), "a\nL1\nb\nc");

  // Esc and the right button cancel a drag in flight.
  Fill(rows);
  for (bool escape : {true, false}) {
    SendMessageA(view_->hwnd(), WM_MBUTTONDOWN, 0, 0);
    SendMessageA(view_->hwnd(), WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL, MAKELPARAM(leftX, rowY(1)));
    SendMessageA(view_->hwnd(), WM_MOUSEMOVE, MK_LBUTTON | MK_CONTROL, MAKELPARAM(rightX, dropY(1)));
    ASSERT_TRUE(view_->IsTextDragging());
    if (escape)
      Press(VK_ESCAPE);
    else
      SendMessageA(view_->hwnd(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(rightX, dropY(1)));
    EXPECT_FALSE(view_->IsTextDragging());
    SendMessageA(view_->hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(rightX, dropY(1)));
    EXPECT_EQ(Text(1), "a\nb\nc") << (escape ? "Esc" : "right button");
  }

  // A double click with Ctrl copies the block to the other side at once.
  SendMessageA(view_->hwnd(), WM_MBUTTONDOWN, 0, 0);
  Hit(leftX, rowY(2), MK_CONTROL);
  Hit(leftX, rowY(2), MK_CONTROL);
  EXPECT_EQ(Text(1), "a\nL1\nL2\nb\nc");
  Settings.DropDelete = dropDelete;
}

TEST_F(TextViewInput, DraggingPastTheEdgeScrollsARowATickAndStopsWhenTheMouseReturns) {
  Fill(SameRows(100));
  const HWND pane = view_->hwnd();
  const int x = ColumnX(0, 2);
  const int32_t visible = view_->Geometry().visibleRows;
  auto shownY = [&](int k) { return k * view_->LineHeight() + 2; };  // the k-th row shown
  SendMessageA(pane, WM_MBUTTONDOWN, 0, 0);
  SendMessageA(pane, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, shownY(2)));
  SendMessageA(pane, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, kPaneHeight + 20));
  EXPECT_EQ(view_->TopRow(), 0) << "the move itself scrolls nothing";
  for (int tick = 1; tick <= 3; ++tick) {
    SendMessageA(pane, WM_TIMER, 100, 0);
    EXPECT_EQ(view_->TopRow(), tick) << "one row a tick";
    EXPECT_EQ(view_->CaretRow(), tick + visible - 1) << "the selection reaches the last row shown";
  }
  EXPECT_EQ(view_->AnchorOffset(), view_->List().Row(2).leftOffset + 2);
  SendMessageA(pane, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, shownY(5)));
  SendMessageA(pane, WM_TIMER, 100, 0);
  EXPECT_EQ(view_->TopRow(), 3) << "back inside: no more scrolling";
  EXPECT_EQ(view_->CaretRow(), 8);
  // The wheel scrolls and the selection follows the mouse where it is.
  POINT screen{x, shownY(6)};
  ClientToScreen(pane, &screen);
  SendMessageA(pane, WM_MOUSEWHEEL, MAKEWPARAM(MK_LBUTTON, static_cast<WORD>(-WHEEL_DELTA)),
               MAKELPARAM(screen.x, screen.y));
  EXPECT_GT(view_->TopRow(), 3) << "a notch down";
  EXPECT_EQ(view_->CaretRow(), view_->TopRow() + 6);
  SendMessageA(pane, WM_LBUTTONUP, 0, MAKELPARAM(x, shownY(6)));
  EXPECT_EQ(GetCapture(), nullptr);
}

}  // namespace
}  // namespace qm
