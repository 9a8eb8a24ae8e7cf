// SummaryBar: the narrow column beside a compare window's vertical scroll
// bar (window class "Summary") that draws the whole comparison as coloured
// marks, one per run of differing rows, scaled to its height, with a black
// frame at the caret row. A left click takes the text pane to the clicked
// row; a right click to the difference nearest to it.
//
// The bar reads the pane's DiffList, caret and geometry and draws with the
// colours of the display snapshot its window hands it (SetDisplay), so it
// repaints together with the pane. It listens to the pane's document and
// repaints after every comparison, edit, undo, redo and swap; the window
// repaints it when the caret changes row. While its window runs a
// comparison (TextViewHost::IsComparing) it paints only its background and
// ignores clicks: the list then belongs to the worker.
//
// Ownership: the bar borrows the pane, its document and the host, which
// must outlive it. Its class cursor is made once per process and kept.
//
// Threads: user-interface thread only.
#pragma once

#include <windows.h>

#include "app/display_settings.h"
#include "controls/window_base.h"
#include "textwin/compare_document.h"
#include "textwin/summary_scale.h"

namespace qm {

class TextView;
class TextViewHost;

class SummaryBar : public WindowBase, private DocumentView {
public:
  static constexpr char kClassName[] = "Summary";

  SummaryBar() = default;
  ~SummaryBar() override;

  // Creates the bar as a visible child of parent, reading pane (borrowed)
  // and asking host (borrowed, may be null) whether a comparison runs.
  // Returns false when the window was not created.
  bool Create(HWND parent, TextView* pane, TextViewHost* host,
              const DisplaySettings& display);
  // New display settings: the colours change, the bar repaints.
  void SetDisplay(const DisplaySettings& display);

  // Draws the whole bar, width x height pixels, onto dc.
  void Paint(HDC dc, int width, int height);
  // The bar's scale for its present height and the pane's rows.
  SummaryScale Scale() const;

protected:
  void RegisterHandlers() override;

private:
  void OnDocumentChanged(DocumentChange change, int side) override;
  LRESULT OnPaint(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnButtonDown(HWND, UINT, WPARAM, LPARAM);
  bool IsComparing() const;

  TextView* pane_ = nullptr;
  TextViewHost* host_ = nullptr;
  CompareDocument* document_ = nullptr;  // the pane's, listened to
  DisplaySettings display_;
};

}  // namespace qm
