#include "textwin/summary_bar.h"

#include <windowsx.h>

#include <algorithm>
#include <string>
#include <vector>

#include "controls/gdi_owner.h"
#include "textwin/text_view.h"

namespace qm {

namespace {

constexpr int kSideColumn = 4;     // background columns left and right of the marks
constexpr int kHelpHandCursor = 106;

// The hand cursor of the system's help viewer, copied so that the library
// can go; the standard hand where the viewer or its cursor is missing (as
// under Wine). Made once and kept for the class.
HCURSOR ClassCursor() {
  static const HCURSOR cursor = [] {
    HCURSOR copy = nullptr;
    char folder[MAX_PATH] = "";
    const UINT length = GetWindowsDirectoryA(folder, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
      const std::string viewer = std::string(folder) + "\\winhlp32.exe";
      HMODULE library = LoadLibraryExA(viewer.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
      if (library) {
        if (HCURSOR hand = LoadCursorA(library, MAKEINTRESOURCEA(kHelpHandCursor)))
          copy = CopyCursor(hand);
        FreeLibrary(library);
      }
    }
    return copy ? copy : LoadCursor(nullptr, IDC_HAND);
  }();
  return cursor;
}

COLORREF Average(COLORREF a, COLORREF b) {
  return RGB((GetRValue(a) + GetRValue(b)) / 2, (GetGValue(a) + GetGValue(b)) / 2,
             (GetBValue(a) + GetBValue(b)) / 2);
}

// A solid rectangle without a brush to make and free.
void FillSolid(HDC dc, int left, int top, int right, int bottom, COLORREF color) {
  if (right <= left || bottom <= top) return;
  const RECT rect{left, top, right, bottom};
  SetBkColor(dc, color);
  ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
}

// Fill and edge colours by row kind (index 1 to 3).
struct MarkColors {
  COLORREF fill[4] = {};
  COLORREF edge[4] = {};
};

MarkColors ColorsFor(const DisplaySettings& display, COLORREF face) {
  const COLORREF dark =
      RGB(GetRValue(face) * 25 / 100, GetGValue(face) * 25 / 100, GetBValue(face) * 25 / 100);
  const COLORREF kinds[4] = {display.EmptyBkColor, display.LeftBkColor, display.RightBkColor,
                             display.ChangeBkColor};
  MarkColors colors;
  for (int kind = 1; kind < 4; ++kind) {
    // Without arrows every difference is drawn in the empty rows' colour.
    colors.fill[kind] = display.DrawArrows ? kinds[kind] : display.EmptyBkColor;
    colors.edge[kind] = Average(colors.fill[kind], dark);
  }
  return colors;
}

}  // namespace

SummaryBar::~SummaryBar() {
  if (document_) document_->RemoveView(this);
}

bool SummaryBar::Create(HWND parent, TextView* pane, TextViewHost* host,
                        const DisplaySettings& display) {
  pane_ = pane;
  host_ = host;
  display_ = display;
  if (pane_ && !document_) {
    document_ = &pane_->Document();
    document_->AddView(this);
  }
  windowClass().className = kClassName;
  windowClass().cursor = ClassCursor();
  windowClass().background = nullptr;
  return WindowBase::Create(0, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, parent, nullptr);
}

void SummaryBar::SetDisplay(const DisplaySettings& display) {
  display_ = display;
  if (hwnd()) InvalidateRect(hwnd(), nullptr, FALSE);
}

void SummaryBar::RegisterHandlers() {
  WindowBase::RegisterHandlers();
  maps().OnMessage(WM_ERASEBKGND, [](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 1; });
  maps().OnMessage(WM_PAINT, Bind(this, &SummaryBar::OnPaint));
  maps().OnMessage(WM_LBUTTONDOWN, Bind(this, &SummaryBar::OnButtonDown));
  maps().OnMessage(WM_RBUTTONDOWN, Bind(this, &SummaryBar::OnButtonDown));
}

void SummaryBar::OnDocumentChanged(DocumentChange change, int) {
  // A save or a modified mark leaves the rows as they were, and so does an
  // edit whose re-alignment kept the layout (the kinds of all rows stay):
  // the bar walks every row when it paints, which typing must not pay for.
  if (change == DocumentChange::Saved || change == DocumentChange::ModifiedState) return;
  if (change == DocumentChange::Edited && document_) {
    const int realignment = document_->LastRealignment();
    if (realignment == 0 || realignment == 1) return;
  }
  if (hwnd()) InvalidateRect(hwnd(), nullptr, FALSE);
}

bool SummaryBar::IsComparing() const { return host_ && host_->IsComparing(); }

SummaryScale SummaryBar::Scale() const {
  if (!pane_) return SummaryScale{};
  return ComputeSummaryScale(pane_->List().RowCount(), pane_->Geometry().visibleRows,
                             clientHeight(), pane_->LineHeight(),
                             GetSystemMetrics(SM_CYVSCROLL));
}

void SummaryBar::Paint(HDC dc, int width, int height) {
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  FillSolid(dc, 0, 0, width, height, face);
  if (!pane_ || IsComparing()) return;
  const DiffList& list = pane_->List();
  const int32_t rows = list.RowCount();
  const SummaryScale scale =
      ComputeSummaryScale(rows, pane_->Geometry().visibleRows, height, pane_->LineHeight(),
                          GetSystemMetrics(SM_CYVSCROLL));
  if (scale.height < 1 || rows < 1) return;

  const MarkColors colors = ColorsFor(display_, face);
  const std::vector<MarkRow> marks = MarkRows(MarkPixels(list, scale.height));
  const int left = kSideColumn, right = width - kSideColumn;
  // Runs of pixel rows drawn alike go out as one rectangle each.
  for (int y = 0; y < scale.height;) {
    const MarkRow mark = marks[y];
    int end = y + 1;
    while (end < scale.height && marks[end].style == mark.style && marks[end].kind == mark.kind)
      ++end;
    const int top = scale.margin + y, bottom = scale.margin + end;
    if (mark.style == MarkStyle::Edge) {
      FillSolid(dc, left, top, right, bottom, colors.edge[mark.kind]);
    } else if (mark.style == MarkStyle::Filled) {
      FillSolid(dc, left, top, left + 1, bottom, colors.edge[mark.kind]);
      FillSolid(dc, left + 1, top, right - 1, bottom, colors.fill[mark.kind]);
      FillSolid(dc, right - 1, top, right, bottom, colors.edge[mark.kind]);
    }
    y = end;
  }

  const int32_t caret = std::clamp<int32_t>(pane_->CaretRow(), 0, rows - 1);
  const PixelSpan frame = CaretFrame(caret, rows, scale.height);
  RECT outer{left, scale.margin + frame.y0, right, scale.margin + frame.y1};
  FrameRect(dc, &outer, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  InflateRect(&outer, -1, -1);
  FrameRect(dc, &outer, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
}

LRESULT SummaryBar::OnPaint(HWND hwnd, UINT, WPARAM, LPARAM) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  const int width = clientWidth(), height = clientHeight();
  // Drawn whole into a bitmap first: the marks are laid over the background.
  GdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(dc, std::max(1, width), std::max(1, height)));
  MemoryDC memory(dc);
  if (bitmap && memory.get()) {
    SelectScope select(memory.get(), bitmap.get());
    Paint(memory.get(), width, height);
    BitBlt(dc, 0, 0, width, height, memory.get(), 0, 0, SRCCOPY);
  } else {
    Paint(dc, width, height);
  }
  EndPaint(hwnd, &ps);
  return 0;
}

LRESULT SummaryBar::OnButtonDown(HWND, UINT msg, WPARAM, LPARAM lParam) {
  if (!pane_ || IsComparing()) return 0;
  const DiffList& list = pane_->List();
  const int32_t row = RowAtPixel(GET_Y_LPARAM(lParam), Scale(), list.RowCount());
  if (msg == WM_RBUTTONDOWN) {
    const DiffBlock target = RightClickTarget(list, row);
    if (target.kind != RowKind::Same) {
      pane_->GoToBlock(target);
      return 0;
    }
  }
  pane_->GoToRow(row);
  return 0;
}

}  // namespace qm
