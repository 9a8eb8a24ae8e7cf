#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "app/display_settings.h"

namespace qm {
namespace {

// Each field changed alone asks for exactly what it needs: a wrong kind
// either leaves a window stale or makes it redo needless work.
TEST(DisplayChange, EachFieldAsksForWhatItNeeds) {
  struct Case {
    const char* field;
    std::function<void(DisplaySettings&)> change;
    DisplayChange expected;
  } cases[] = {
      {"TextColor", [](DisplaySettings& d) { d.TextColor = 1; }, DisplayChange::Repaint},
      {"SameBkColor", [](DisplaySettings& d) { d.SameBkColor = 1; }, DisplayChange::Repaint},
      {"ChangeBkColor", [](DisplaySettings& d) { d.ChangeBkColor = 1; }, DisplayChange::Repaint},
      {"DrawArrows", [](DisplaySettings& d) { d.DrawArrows = false; }, DisplayChange::Repaint},
      {"DrawCaretBox", [](DisplaySettings& d) { d.DrawCaretBox = false; }, DisplayChange::Repaint},
      {"WheelScrollLines", [](DisplaySettings& d) { d.WheelScrollLines = 1; }, DisplayChange::Repaint},
      {"HighlightChanges", [](DisplaySettings& d) { d.HighlightChanges = false; },
       DisplayChange::Repaint},
      {"FontFace", [](DisplaySettings& d) { d.FontFace = "X"; }, DisplayChange::Relayout},
      {"FontSize", [](DisplaySettings& d) { d.FontSize = 12; }, DisplayChange::Relayout},
      {"TabStop", [](DisplaySettings& d) { d.TabStop = 8; }, DisplayChange::Relayout},
      {"ShowWhiteSpace", [](DisplaySettings& d) { d.ShowWhiteSpace = true; },
       DisplayChange::Relayout},
      {"ShowLineNumbers", [](DisplaySettings& d) { d.ShowLineNumbers = 0; },
       DisplayChange::Relayout},
      {"ViewSummary", [](DisplaySettings& d) { d.ViewSummary = false; }, DisplayChange::Relayout},
      {"IgnoreCase", [](DisplaySettings& d) { d.options.IgnoreCase = true; },
       DisplayChange::Recompare},
      {"IgnoreBlanks2", [](DisplaySettings& d) { d.options.IgnoreBlanks2 = 2; },
       DisplayChange::Recompare},
      {"nothing", [](DisplaySettings&) {}, DisplayChange::None},
  };
  for (const Case& c : cases) {
    DisplaySettings before, after;
    c.change(after);
    EXPECT_EQ(DisplayChangeBetween(before, after), c.expected) << c.field;
    EXPECT_EQ(DisplayChangeBetween(after, before), c.expected) << c.field << " back";
  }
  // Several at once: the most demanding wins.
  DisplaySettings before, after;
  after.TextColor = 5;
  after.TabStop = 2;
  EXPECT_EQ(DisplayChangeBetween(before, after), DisplayChange::Relayout);
}

}  // namespace
}  // namespace qm
