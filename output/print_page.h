// A printed page of a comparison: the layout of a comparison on one
// printer (fonts scaled for it, the page frame, the page count) and the
// drawing of one page (header with both names, the rows through the row
// painter, footer with the date, the time and the page number). The layout
// is built from the comparison and the printer's metrics alone; the text
// pane it came from is never touched.
#pragma once

#include <windows.h>

#include <string>

#include "app/display_settings.h"
#include "engine/compare_state.h"
#include "output/print_layout.h"
#include "textwin/row_painter.h"

namespace qm {

// What the pages show.
struct PrintSource {
  const CompareState* state = nullptr;  // borrowed; outlives the layout
  DisplaySettings display;
  float splitRatio = 0.5f;
  std::string leftName;
  std::string rightName;
  std::string title;  // the document name of the job
};

class PageLayout {
public:
  // Fonts and metrics for printer (its LOGPIXELS and HORZRES/VERTRES) at
  // scalePercent of the screen's font size; the footer's stamp is taken now.
  PageLayout(HDC printer, const PrintSource& source, int scalePercent);

  int32_t Pages() const { return pages_; }
  const PageMetrics& Metrics() const { return metrics_; }
  const PageFrame& Frame() const { return frame_; }

  // Draws page (from 1) of Pages() onto dc in the printer's logical units
  // with the page's top-left corner at the logical origin; a screen DC
  // mapped onto the printer's page (MM_ANISOTROPIC) serves as well as the
  // printer's own.
  void DrawPage(HDC dc, int32_t page) const;

private:
  void DrawHeaderAndFooter(HDC dc, int32_t page) const;

  const PrintSource& source_;
  RowFonts fonts_;
  PageMetrics metrics_;
  PageFrame frame_;
  PaneGeometry geometry_;
  int32_t pages_ = 1;
  std::string stamp_;
};

}  // namespace qm
