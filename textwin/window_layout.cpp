#include "textwin/window_layout.h"

#include <algorithm>

#include "common/paths.h"
#include "engine/text_file.h"

namespace qm {

namespace {

constexpr int kSeparator = 2;       // etched rule under or over a bar
constexpr int kNameBarPadding = 16;  // name bar = box height + 16
constexpr int kMinSplit = 100;
constexpr int kMarkWidth = 9, kMarkHeight = 11, kMarkStep = 17;
constexpr int kBrowseSize = 23;
constexpr int kThumbHalf = 4;

Box Make(int x, int y, int w, int h) { return Box{x, y, std::max(w, 0), std::max(h, 0)}; }

// One side's name bar from x to right (exclusive), where the browse button
// ends 8 pixels before right.
NameBar LayOutNameBar(int x, int right, int top, int barHeight, int boxHeight, bool modified,
                      bool readOnly) {
  auto centred = [&](int h) { return top + (barHeight - h) / 2 + 8; };
  NameBar bar;
  if (modified) {
    bar.modifiedMark = Make(x, centred(kMarkHeight), kMarkWidth, kMarkHeight);
    x += kMarkStep;
  }
  if (readOnly) {
    bar.readOnlyMark = Make(x, centred(kMarkHeight), kMarkWidth, kMarkHeight);
    x += kMarkStep;
  }
  bar.nameBox = Make(x, centred(boxHeight), right - x - 39, boxHeight);
  bar.browse = Make(right - 31, centred(kBrowseSize), kBrowseSize, kBrowseSize);
  return bar;
}

}  // namespace

PaneLayoutResult ComputePaneLayout(const LayoutInput& in) {
  PaneLayoutResult r;
  const int cw = in.clientWidth, ch = in.clientHeight;

  // Bands: tool bar and its rule (the rule stays when the bar is hidden),
  // Quick Bar and its rule, status bar with its rule above it.
  int top = 0;
  if (in.toolBarHeight > 0) {
    r.toolBar = Make(0, 0, cw, in.toolBarHeight);
    top = in.toolBarHeight;
  }
  r.toolBarRule = top;
  top += kSeparator;
  if (in.quickBarHeight > 0) {
    r.quickBar = Make(0, top, cw, in.quickBarHeight);
    top += in.quickBarHeight;
    r.quickBarRule = top;
    top += kSeparator;
  }
  int bottom = ch;
  if (in.statusBarHeight > 0) {
    r.statusBar = Make(0, ch - in.statusBarHeight, cw, in.statusBarHeight);
    bottom = ch - in.statusBarHeight - kSeparator;
    r.statusBarRule = bottom;
  }
  r.top = top;
  r.bottom = bottom;

  const int barHeight = std::max(in.nameBoxHeight, kBrowseSize);
  const int paneTop = top + barHeight + kNameBarPadding;
  int width = cw - in.cxVScroll - (in.summaryShown ? in.cxVScroll : 0);
  const int height = bottom - in.cyHScroll - paneTop;
  int split = static_cast<int>(in.splitRatio * width);
  if (split > width - kMinSplit) split = width - kMinSplit;
  if (split < kMinSplit) split = kMinSplit;
  r.paneTop = paneTop;
  r.paneWidth = width;
  r.paneHeight = std::max(height, 0);
  r.split = split;

  r.pane = Make(0, paneTop, width, height);
  r.vScroll = Make(width, paneTop, in.cxVScroll, height);
  if (in.summaryShown) r.summary = Make(width + in.cxVScroll, paneTop, cw - width - in.cxVScroll, height);

  const int scrollY = paneTop + r.paneHeight;
  r.hScroll[0] = Make(0, scrollY, split - kThumbHalf, in.cyHScroll);
  r.thumb = Make(split - kThumbHalf, scrollY, 2 * kThumbHalf, in.cyHScroll);
  r.hScroll[1] = Make(split + kThumbHalf, scrollY, width - (split + kThumbHalf), in.cyHScroll);

  r.side[0] = LayOutNameBar(8, split - kThumbHalf, top, barHeight, in.nameBoxHeight,
                            in.modified[0], in.readOnly[0]);
  r.side[1] = LayOutNameBar(split + kThumbHalf + 8, width, top, barHeight, in.nameBoxHeight,
                            in.modified[1], in.readOnly[1]);

  r.nameBand = Make(0, top, cw, paneTop - top);
  r.corner = Make(width, bottom - in.cyHScroll, cw - width, in.cyHScroll);
  return r;
}

std::string SideDisplayName(const std::string& path, bool modified, const std::string& noFile) {
  std::string name = noFile;
  if (IsFilePath(path)) name = LastComponent(path);
  if (modified) name += "*";
  return name;
}

}  // namespace qm
