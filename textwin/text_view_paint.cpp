// TextView: painting. WM_PAINT draws into a back buffer through Paint, which
// hands the pane's state, geometry and fonts to the row painter; while a
// comparison runs only the background and the divider are drawn.
#include <algorithm>

#include "app/settings.h"
#include "textwin/pane_layout.h"
#include "textwin/row_painter.h"
#include "textwin/text_view.h"
#include "textwin/text_view_internal.h"

namespace qm {

// ---- TextView ----

void TextView::Paint(HDC dc, const RECT& rect) {
  if (!fonts_) return;
  RowDecorations decorations;
  decorations.activeSide = activeSide_;
  decorations.caret = caretOffset_[activeSide_];
  decorations.anchor = anchor_;
  decorations.caretRow = caretRow_;
  decorations.hasFocus = hasFocus_;
  decorations.pixelOf = [this](int side, int32_t row, uint32_t offset) {
    return PixelOf(side, row, offset);
  };
  if (IsTextDragging()) decorations.dropMarker = [this](HDC target) { PaintDropMarker(target); };
  RowPaintSource source;
  source.state = &state_;
  source.display = &display_;
  source.geometry = &geometry_;
  source.fonts = fonts_.get();
  source.topRow = topRow_;
  source.hscroll[0] = hscroll_[0];
  source.hscroll[1] = hscroll_[1];
  source.decorations = &decorations;
  PaintRows(dc, source, rect);
}

LRESULT TextView::OnPaint(HWND hwnd, UINT, WPARAM, LPARAM) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  const RECT rect = ps.rcPaint;
  const bool comparing = host_ && host_->IsComparing();
  if (comparing) {
    SetBkColor(dc, display_.SameBkColor);
    ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &rect, "", 0, nullptr);
    const RECT divider{geometry_.split, rect.top,
                       geometry_.split + ScaleToDpi(kDividerWidth, dpiX_), rect.bottom};
    FillRect(dc, &divider, Settings.DividerBrush ? Settings.DividerBrush
                                                 : static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
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

}  // namespace qm
