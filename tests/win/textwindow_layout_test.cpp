// The compare window's fixed rules without a window: where PaneLayout puts
// each child, the status-bar part edges, the names shown in the title, the
// splitter's ratio and the per-side modified state.
#include <gtest/gtest.h>

#include "common/text_format.h"
#include "textwin/edit_history.h"
#include "textwin/splitter_thumb.h"
#include "textwin/window_layout.h"

namespace qm {
namespace {

LayoutInput Standard() {
  LayoutInput in;
  in.clientWidth = 800;
  in.clientHeight = 600;
  in.toolBarHeight = 24;
  in.quickBarHeight = 0;
  in.statusBarHeight = 20;
  in.nameBoxHeight = 21;
  in.cxVScroll = 16;
  in.cyHScroll = 16;
  in.summaryShown = true;
  return in;
}

TEST(PaneLayout, BandsAndPaneOfAStandardWindow) {
  PaneLayoutResult r = ComputePaneLayout(Standard());
  EXPECT_EQ(r.top, 26);                 // tool bar + 2-pixel rule
  EXPECT_EQ(r.bottom, 578);             // 600 - status 20 - rule 2
  EXPECT_EQ(r.paneTop, 26 + 23 + 16);   // name box raised to 23, plus 16
  EXPECT_EQ(r.paneWidth, 800 - 32);     // vertical bar and summary
  EXPECT_EQ(r.paneHeight, 578 - 16 - 65);
  EXPECT_EQ(r.pane, (Box{0, 65, 768, 497}));
  EXPECT_EQ(r.vScroll, (Box{768, 65, 16, 497}));
  EXPECT_EQ(r.summary, (Box{784, 65, 16, 497}));
  EXPECT_EQ(r.toolBarRule, 24);
  EXPECT_EQ(r.quickBarRule, -1);
  EXPECT_EQ(r.statusBarRule, 578);
  EXPECT_EQ(r.nameBand, (Box{0, 26, 800, 39}));
  EXPECT_EQ(r.corner, (Box{768, 562, 32, 16}));
}

TEST(PaneLayout, ScrollBarsAndThumbMeetAtTheSplit) {
  PaneLayoutResult r = ComputePaneLayout(Standard());
  EXPECT_EQ(r.split, 384);
  EXPECT_EQ(r.hScroll[0], (Box{0, 562, 380, 16}));
  EXPECT_EQ(r.thumb, (Box{380, 562, 8, 16}));
  EXPECT_EQ(r.hScroll[1], (Box{388, 562, 768 - 388, 16}));
}

TEST(PaneLayout, NameBarsWithAndWithoutMarks) {
  LayoutInput in = Standard();
  PaneLayoutResult plain = ComputePaneLayout(in);
  // Elements are centred in the 23-pixel bar, 8 below its top.
  EXPECT_EQ(plain.side[0].nameBox, (Box{8, 26 + 1 + 8, 380 - 8 - 39, 21}));
  EXPECT_EQ(plain.side[0].browse, (Box{380 - 31, 26 + 8, 23, 23}));
  EXPECT_EQ(plain.side[0].modifiedMark.w, 0);
  EXPECT_EQ(plain.side[1].nameBox, (Box{396, 35, 768 - 396 - 39, 21}));
  EXPECT_EQ(plain.side[1].browse, (Box{768 - 31, 34, 23, 23}));

  in.modified[0] = true;
  in.readOnly[0] = true;
  in.readOnly[1] = true;
  PaneLayoutResult marked = ComputePaneLayout(in);
  EXPECT_EQ(marked.side[0].modifiedMark, (Box{8, 26 + 6 + 8, 9, 11}));
  EXPECT_EQ(marked.side[0].readOnlyMark, (Box{25, 40, 9, 11}));
  EXPECT_EQ(marked.side[0].nameBox.x, 42);
  EXPECT_EQ(marked.side[0].nameBox.w, 380 - 42 - 39);
  EXPECT_EQ(marked.side[1].modifiedMark.w, 0);
  EXPECT_EQ(marked.side[1].readOnlyMark, (Box{396, 40, 9, 11}));
  EXPECT_EQ(marked.side[1].nameBox.x, 413);
  EXPECT_EQ(marked.side[1].browse, plain.side[1].browse) << "the button stays put";
}

TEST(PaneLayout, HiddenBarsAndATallNameBox) {
  LayoutInput in = Standard();
  in.toolBarHeight = 0;
  in.statusBarHeight = 0;
  in.quickBarHeight = 26;
  in.summaryShown = false;
  in.nameBoxHeight = 30;
  PaneLayoutResult r = ComputePaneLayout(in);
  EXPECT_EQ(r.toolBarRule, 0) << "the rule stays when the tool bar is hidden";
  EXPECT_EQ(r.quickBar, (Box{0, 2, 800, 26}));
  EXPECT_EQ(r.quickBarRule, 28);
  EXPECT_EQ(r.top, 30);
  EXPECT_EQ(r.bottom, 600);
  EXPECT_EQ(r.statusBarRule, -1);
  EXPECT_EQ(r.paneTop, 30 + 30 + 16);
  EXPECT_EQ(r.paneWidth, 784);
  EXPECT_EQ(r.summary.w, 0);
  EXPECT_EQ(r.side[0].nameBox.y, 30 + 8);
  EXPECT_EQ(r.side[0].browse.y, 30 + 3 + 8);
}

TEST(PaneLayout, SplitStaysAtLeast100FromEitherEdge) {
  struct {
    int width;
    double ratio;
    int split;
  } cases[] = {
      {800, 0.5, 384},   {800, 0.05, 100}, {800, 0.99, 668},
      {800, 0.0, 100},   {250, 0.5, 109},  {180, 0.5, 100},  // narrower than 200: 100 wins
      {332, 0.9, 200},
  };
  for (const auto& c : cases) {
    LayoutInput in = Standard();
    in.clientWidth = c.width;
    in.splitRatio = c.ratio;
    PaneLayoutResult r = ComputePaneLayout(in);
    EXPECT_EQ(r.split, c.split) << "width " << c.width << " ratio " << c.ratio;
    EXPECT_EQ(r.thumb.x, c.split - 4);
    EXPECT_GE(r.hScroll[1].w, 0);
    EXPECT_GE(r.side[1].nameBox.w, 0) << "no negative sizes in a narrow window";
  }
}

TEST(PaneLayout, TinyWindowGivesNoNegativeSizes) {
  LayoutInput in = Standard();
  in.clientWidth = 40;
  in.clientHeight = 50;
  PaneLayoutResult r = ComputePaneLayout(in);
  for (const Box& box : {r.pane, r.vScroll, r.summary, r.hScroll[0], r.hScroll[1], r.corner,
                         r.side[0].nameBox, r.side[1].nameBox}) {
    EXPECT_GE(box.w, 0);
    EXPECT_GE(box.h, 0);
  }
  EXPECT_EQ(r.paneHeight, 0);
}

TEST(WindowTitle, SideNamesFollowTheFileNameRules) {
  const std::string noFile = "<no file>";
  struct {
    const char* path;
    bool modified;
    const char* name;
  } cases[] = {
      {"C:\\work\\left.txt", false, "left.txt"},
      {"C:\\work\\left.txt", true, "left.txt*"},
      {"left.txt", false, "left.txt"},
      {"", false, "<no file>"},
      {"", true, "<no file>*"},
      {"<no file>", false, "<no file>"},
      {"C:\\work\\", false, "<no file>"},   // a folder, not a file
      {"C:", false, "<no file>"},           // a bare drive
      {"C:\\a|b.txt", false, "<no file>"},
      {"\\\\server", false, "<no file>"},
      {"\\\\server\\share\\x.c", false, "x.c"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(SideDisplayName(c.path, c.modified, noFile), c.name) << c.path;
}

TEST(StatusBarParts, LineFormatLabels) {
  EXPECT_STREQ(LineFormatLabel(0), "UNIX");
  EXPECT_STREQ(LineFormatLabel(1), "DOS");
  EXPECT_STREQ(LineFormatLabel(2), "MAC");
  EXPECT_STREQ(LineFormatLabel(3), "???");
  EXPECT_STREQ(LineFormatLabel(0xFFFFFFFFu), "???");
}

TEST(SplitterThumbRatio, FollowsTheMouseInsideTheThumb) {
  EXPECT_FLOAT_EQ(SplitterThumb::RatioFor(380, 4, 768), 384.5f / 768);
  EXPECT_FLOAT_EQ(SplitterThumb::RatioFor(380, -30, 768), 350.5f / 768) << "dragged left";
  EXPECT_FLOAT_EQ(SplitterThumb::RatioFor(0, 0, 0), 0.5f) << "no pane width";
}

TEST(EditHistoryState, ModifiedMarksGoWithTheirSide) {
  EditHistory history;
  EXPECT_FALSE(history.AnyModified());
  history.MarkEdited(0);
  EXPECT_TRUE(history.IsModified(0));
  EXPECT_FALSE(history.IsModified(1));
  history.SwapSides();
  EXPECT_FALSE(history.IsModified(0));
  EXPECT_TRUE(history.IsModified(1));
  history.MarkSaved(1);
  EXPECT_FALSE(history.AnyModified());
  history.MarkEdited(0);
  history.MarkEdited(1);
  history.Clear();
  EXPECT_FALSE(history.AnyModified());
}

}  // namespace
}  // namespace qm
