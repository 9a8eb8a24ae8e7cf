#include "app/display_settings.h"

#include <algorithm>

namespace qm {

namespace {

bool SameOptions(const CompareOptions& a, const CompareOptions& b) {
  return a.IgnoreCase == b.IgnoreCase && a.IgnoreBlanks2 == b.IgnoreBlanks2 &&
         a.CompareChanges == b.CompareChanges && a.FragmentSize == b.FragmentSize &&
         a.MatchPercent == b.MatchPercent;
}

bool SameLayout(const DisplaySettings& a, const DisplaySettings& b) {
  return a.FontFace == b.FontFace && a.FontSize == b.FontSize && a.TabStop == b.TabStop &&
         a.ShowWhiteSpace == b.ShowWhiteSpace && a.ShowLineNumbers == b.ShowLineNumbers &&
         a.WordWrap == b.WordWrap && a.ViewToolBar == b.ViewToolBar &&
         a.ViewQuickBar == b.ViewQuickBar && a.ViewStatusBar == b.ViewStatusBar &&
         a.ViewSummary == b.ViewSummary;
}

bool SamePaint(const DisplaySettings& a, const DisplaySettings& b) {
  return a.TextColor == b.TextColor && a.ReadOnlyColor == b.ReadOnlyColor &&
         a.SameBkColor == b.SameBkColor && a.EmptyBkColor == b.EmptyBkColor &&
         a.LeftBkColor == b.LeftBkColor && a.RightBkColor == b.RightBkColor &&
         a.ChangeBkColor == b.ChangeBkColor && a.HighlightChanges == b.HighlightChanges &&
         a.DrawArrows == b.DrawArrows && a.DrawCaretBox == b.DrawCaretBox &&
         a.WheelScrollLines == b.WheelScrollLines;
}

}  // namespace

DisplayChange DisplayChangeBetween(const DisplaySettings& before, const DisplaySettings& after) {
  if (!SameOptions(before.options, after.options)) return DisplayChange::Recompare;
  if (!SameLayout(before, after)) return DisplayChange::Relayout;
  if (!SamePaint(before, after)) return DisplayChange::Repaint;
  return DisplayChange::None;
}

}  // namespace qm
