// SplitterThumb: the small raised block between the two horizontal scroll
// bars of a compare window (window class "SplitterThumb"). Dragging it moves
// the divider of the text pane; a double click puts the divider back in the
// middle. The thumb only sets the pane's split ratio and asks its window to
// lay itself out again.
#pragma once

#include <functional>

#include "controls/window_base.h"

namespace qm {

class TextView;

class SplitterThumb : public WindowBase {
public:
  static constexpr char kClassName[] = "SplitterThumb";

  // pane (borrowed) takes the ratio; relayout is called after every change.
  bool Create(HWND parent, TextView* pane, std::function<void()> relayout);

  // The ratio for a thumb whose left edge is at thumbX (parent client
  // coordinates) when the mouse is at mouseX inside it, over a pane of
  // paneWidth pixels.
  static float RatioFor(int thumbX, int mouseX, int paneWidth);

protected:
  void RegisterHandlers() override;

private:
  LRESULT OnButtonDown(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnMouseMove(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnButtonUp(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnDoubleClick(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnPaint(HWND, UINT, WPARAM, LPARAM);
  void SetRatio(float ratio);

  TextView* pane_ = nullptr;
  std::function<void()> relayout_;
};

}  // namespace qm
