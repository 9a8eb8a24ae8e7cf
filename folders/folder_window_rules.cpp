#include "folders/folder_window_rules.h"

#include <algorithm>
#include <utility>

#include "common/paths.h"

namespace qm {

namespace {

constexpr int kBand = 2;       // etched band under or over a bar
constexpr int kGap = 8;        // margin around the rows and the tabs
constexpr int kButton = 23;    // Go Up and Choose folder buttons
constexpr int kMarkerW = 9, kMarkerH = 11, kMarkerStep = 17;
constexpr int kMinRow = 23;

FolderBox Make(int x, int y, int w, int h) {
  return FolderBox{x, y, std::max(w, 0), std::max(h, 0)};
}

FolderSideBoxes LayOutRow(const FolderLayoutInput& in, int side, int y, int rowHeight,
                          int labelWidth) {
  const int w = in.clientWidth;
  auto centred = [&](int h) { return y + (rowHeight - h) / 2; };
  FolderSideBoxes row;
  row.label = Make(kGap, centred(in.labelHeight[side]), in.labelWidth[side], in.labelHeight[side]);
  const int markerX = kGap + labelWidth + kGap;
  if (in.modified[side]) row.marker = Make(markerX, centred(kMarkerH), kMarkerW, kMarkerH);
  const int barX = markerX + kMarkerStep;
  row.bar = Make(barX, centred(in.barHeight), w - barX - 62, in.barHeight);
  row.goUp = Make(w - 54, centred(kButton), kButton, kButton);
  row.browse = Make(w - 31, centred(kButton), kButton, kButton);
  return row;
}

EntryState MirrorState(EntryState state) {
  switch (state) {
    case EntryState::CopiedToOld: return EntryState::CopiedToNew;
    case EntryState::CopiedToNew: return EntryState::CopiedToOld;
    case EntryState::DeletedOld: return EntryState::DeletedNew;
    case EntryState::DeletedNew: return EntryState::DeletedOld;
    default: return state;
  }
}

uint32_t MirrorFlags(uint32_t flags) {
  static constexpr uint32_t kPairs[][2] = {{kEntryHidden, kEntryWasHidden},
                                           {kEntryReadOnly, kEntryWasReadOnly},
                                           {kEntryNewer, kEntryOlder},
                                           {kEntryLarger, kEntrySmaller}};
  uint32_t mirrored = flags;
  for (const auto& pair : kPairs) {
    mirrored &= ~(pair[0] | pair[1]);
    if (flags & pair[0]) mirrored |= pair[1];
    if (flags & pair[1]) mirrored |= pair[0];
  }
  return mirrored;
}

}  // namespace

FolderLayout ComputeFolderLayout(const FolderLayoutInput& in) {
  FolderLayout r;
  const int w = in.clientWidth;
  int top = 0;
  if (in.toolBarHeight > 0) {
    r.toolBar = Make(0, 0, w, in.toolBarHeight);
    top = in.toolBarHeight;
  }
  r.toolBarRule = top;
  top += kBand;
  if (in.quickBarHeight > 0) {
    r.quickBar = Make(0, top, w, in.quickBarHeight);
    top += in.quickBarHeight;
    r.quickBarRule = top;
    top += kBand;
  }
  int bottom = in.clientHeight;
  if (in.statusBarHeight > 0) {
    bottom -= in.statusBarHeight + kBand;
    r.statusBarRule = bottom;
  }
  r.top = top;
  r.bottom = bottom;

  const int rowHeight = std::max({std::max(in.barHeight, kMinRow), in.labelHeight[0],
                                  in.labelHeight[1]});
  const int labelWidth = std::max(in.labelWidth[0], in.labelWidth[1]);
  r.side[0] = LayOutRow(in, 0, top + kGap, rowHeight, labelWidth);
  r.side[1] = LayOutRow(in, 1, top + kGap + rowHeight + kGap, rowHeight, labelWidth);
  const int tabsY = top + 2 * (rowHeight + kGap) + kGap;
  r.tabs = Make(kGap, tabsY, w - 2 * kGap, bottom - kGap - tabsY);
  return r;
}

std::string FolderDisplayName(const std::string& path, bool modified,
                              const std::string& noFolder) {
  std::string name = IsValidFolderPath(path) ? LastComponent(path) : noFolder;
  if (modified) name += '*';
  return name;
}

int32_t PresentCount(const std::vector<FolderEntry>& list) {
  return static_cast<int32_t>(std::count_if(list.begin(), list.end(), [](const FolderEntry& e) {
    return e.state == EntryState::Present;
  }));
}

void SwitchComparisonSides(FolderComparison& comparison) {
  std::swap(comparison.List(FolderListKind::OldList), comparison.List(FolderListKind::NewList));
  for (FolderListKind kind :
       {FolderListKind::OldList, FolderListKind::NewList, FolderListKind::ChangedList}) {
    for (FolderEntry& entry : comparison.List(kind)) {
      entry.flags = MirrorFlags(entry.flags);
      entry.swapped = !entry.swapped;
      entry.state = MirrorState(entry.state);
    }
  }
  std::swap(comparison.oldRoot, comparison.newRoot);
  std::swap(comparison.modified[0], comparison.modified[1]);
}

}  // namespace qm
