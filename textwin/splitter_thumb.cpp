#include "textwin/splitter_thumb.h"

#include <windowsx.h>

#include "textwin/text_view.h"

namespace qm {

bool SplitterThumb::Create(HWND parent, TextView* pane, std::function<void()> relayout) {
  pane_ = pane;
  relayout_ = std::move(relayout);
  windowClass().className = kClassName;
  windowClass().style = CS_DBLCLKS;
  windowClass().cursor = LoadCursor(nullptr, IDC_SIZEWE);
  windowClass().background = nullptr;
  return WindowBase::Create(0, WS_CHILD | WS_VISIBLE, 0, 0, 8, 16, parent, nullptr);
}

float SplitterThumb::RatioFor(int thumbX, int mouseX, int paneWidth) {
  if (paneWidth <= 0) return 0.5f;
  return (static_cast<float>(thumbX + mouseX) + 0.5f) / static_cast<float>(paneWidth);
}

void SplitterThumb::RegisterHandlers() {
  WindowBase::RegisterHandlers();
  maps().OnMessage(WM_LBUTTONDOWN, Bind(this, &SplitterThumb::OnButtonDown));
  maps().OnMessage(WM_MOUSEMOVE, Bind(this, &SplitterThumb::OnMouseMove));
  maps().OnMessage(WM_LBUTTONUP, Bind(this, &SplitterThumb::OnButtonUp));
  maps().OnMessage(WM_LBUTTONDBLCLK, Bind(this, &SplitterThumb::OnDoubleClick));
  maps().OnMessage(WM_PAINT, Bind(this, &SplitterThumb::OnPaint));
  maps().OnMessage(WM_ERASEBKGND, [](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 1; });
}

LRESULT SplitterThumb::OnButtonDown(HWND hwnd, UINT, WPARAM, LPARAM) {
  SetCapture(hwnd);
  return 0;
}

LRESULT SplitterThumb::OnMouseMove(HWND hwnd, UINT, WPARAM, LPARAM lParam) {
  if (GetCapture() != hwnd || !pane_) return 0;
  RECT rect;
  GetWindowRect(hwnd, &rect);
  MapWindowPoints(nullptr, GetParent(hwnd), reinterpret_cast<POINT*>(&rect), 2);
  // The mouse x is signed: it goes negative when dragged left of the thumb.
  SetRatio(RatioFor(rect.left, GET_X_LPARAM(lParam), pane_->Geometry().width));
  return 0;
}

LRESULT SplitterThumb::OnButtonUp(HWND hwnd, UINT, WPARAM, LPARAM) {
  if (GetCapture() == hwnd) ReleaseCapture();
  return 0;
}

LRESULT SplitterThumb::OnDoubleClick(HWND, UINT, WPARAM, LPARAM) {
  SetRatio(0.5f);
  return 0;
}

LRESULT SplitterThumb::OnPaint(HWND hwnd, UINT, WPARAM, LPARAM) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  RECT rect;
  GetClientRect(hwnd, &rect);
  FillRect(dc, &rect, GetSysColorBrush(COLOR_BTNFACE));
  DrawEdge(dc, &rect, EDGE_RAISED, BF_RECT);
  EndPaint(hwnd, &ps);
  return 0;
}

void SplitterThumb::SetRatio(float ratio) {
  if (!pane_) return;
  pane_->SetSplitRatio(ratio);
  if (relayout_) relayout_();
}

}  // namespace qm
