// The folder window's fixed rules: Switch Sides on a comparison's state
// (against an independent statement of the mirror, over random entries),
// the placement of the rows and tabs, and the names a side shows.
#include <gtest/gtest.h>

#include <random>

#include "folders/folder_window_rules.h"

namespace qm {
namespace {

FolderEntry RandomEntry(std::mt19937& rng, int n) {
  FolderEntry e;
  e.name = "item" + std::to_string(n);
  e.isFolder = rng() % 3 == 0;
  e.swapped = rng() % 2 == 0;
  e.undoable = rng() % 2 == 0;
  e.state = static_cast<EntryState>(rng() % 7);
  e.flags = static_cast<uint32_t>(rng()) & 0x3FF;
  return e;
}

void FillRandom(std::mt19937& rng, FolderComparison& c) {
  c.oldRoot = "C:\\old";
  c.newRoot = "D:\\new";
  c.modified[0] = rng() % 2 == 0;
  c.modified[1] = rng() % 2 == 0;
  int n = 0;
  for (auto& list : c.lists) {
    const int count = static_cast<int>(rng() % 5);
    for (int i = 0; i < count; ++i) list.push_back(RandomEntry(rng, n++));
  }
}

bool Same(const FolderEntry& a, const FolderEntry& b) {
  return a.name == b.name && a.isFolder == b.isFolder && a.swapped == b.swapped &&
         a.undoable == b.undoable && a.state == b.state && a.flags == b.flags;
}

// What an entry reads after the swap, said bit by bit.
void ExpectMirrored(const FolderEntry& before, const FolderEntry& after) {
  auto has = [](const FolderEntry& e, uint32_t bit) { return (e.flags & bit) != 0; };
  EXPECT_EQ(has(after, kEntryHidden), has(before, kEntryWasHidden));
  EXPECT_EQ(has(after, kEntryWasHidden), has(before, kEntryHidden));
  EXPECT_EQ(has(after, kEntryReadOnly), has(before, kEntryWasReadOnly));
  EXPECT_EQ(has(after, kEntryWasReadOnly), has(before, kEntryReadOnly));
  EXPECT_EQ(has(after, kEntryNewer), has(before, kEntryOlder));
  EXPECT_EQ(has(after, kEntryOlder), has(before, kEntryNewer));
  EXPECT_EQ(has(after, kEntryLarger), has(before, kEntrySmaller));
  EXPECT_EQ(has(after, kEntrySmaller), has(before, kEntryLarger));
  EXPECT_EQ(has(after, kEntryContents), has(before, kEntryContents));
  EXPECT_EQ(has(after, kEntryUnreadable), has(before, kEntryUnreadable));
  EXPECT_NE(after.swapped, before.swapped);
  const EntryState expected = [&] {
    switch (before.state) {
      case EntryState::CopiedToOld: return EntryState::CopiedToNew;
      case EntryState::CopiedToNew: return EntryState::CopiedToOld;
      case EntryState::DeletedOld: return EntryState::DeletedNew;
      case EntryState::DeletedNew: return EntryState::DeletedOld;
      default: return before.state;
    }
  }();
  EXPECT_EQ(after.state, expected);
  EXPECT_EQ(after.name, before.name);
  EXPECT_EQ(after.undoable, before.undoable);
}

TEST(FolderSwitchSides, MirrorsEveryEntryAndTwiceRestores) {
  std::mt19937 rng(5);
  for (int round = 0; round < 300; ++round) {
    SCOPED_TRACE(round);
    FolderComparison c;
    FillRandom(rng, c);
    const auto lists = c.lists;
    const bool modified[2] = {c.modified[0], c.modified[1]};

    SwitchComparisonSides(c);
    EXPECT_EQ(c.oldRoot, "D:\\new");
    EXPECT_EQ(c.newRoot, "C:\\old");
    EXPECT_EQ(c.modified[0], modified[1]);
    EXPECT_EQ(c.modified[1], modified[0]);
    const auto& oldBefore = lists[0];
    const auto& newBefore = lists[1];
    ASSERT_EQ(c.List(FolderListKind::OldList).size(), newBefore.size());
    ASSERT_EQ(c.List(FolderListKind::NewList).size(), oldBefore.size());
    for (size_t i = 0; i < newBefore.size(); ++i)
      ExpectMirrored(newBefore[i], c.List(FolderListKind::OldList)[i]);
    for (size_t i = 0; i < oldBefore.size(); ++i)
      ExpectMirrored(oldBefore[i], c.List(FolderListKind::NewList)[i]);
    const auto& changed = lists[2];
    for (size_t i = 0; i < changed.size(); ++i)
      ExpectMirrored(changed[i], c.List(FolderListKind::ChangedList)[i]);
    // The Same list is never offered a copy or a delete: it stays as it was.
    const auto& same = lists[3];
    ASSERT_EQ(c.List(FolderListKind::SameList).size(), same.size());
    for (size_t i = 0; i < same.size(); ++i)
      EXPECT_TRUE(Same(same[i], c.List(FolderListKind::SameList)[i]));

    SwitchComparisonSides(c);
    for (int k = 0; k < kFolderListCount; ++k) {
      ASSERT_EQ(c.lists[k].size(), lists[k].size());
      for (size_t i = 0; i < c.lists[k].size(); ++i)
        EXPECT_TRUE(Same(c.lists[k][i], lists[k][i])) << k << " " << i;
    }
    EXPECT_EQ(c.oldRoot, "C:\\old");
  }
}

TEST(FolderSwitchSides, NewerSmallerReadsOlderLarger) {
  FolderComparison c;
  FolderEntry e;
  e.name = "a.txt";
  e.flags = kEntryNewer | kEntrySmaller | kEntryContents;
  c.List(FolderListKind::ChangedList).push_back(e);
  SwitchComparisonSides(c);
  EXPECT_EQ(DifferenceText(c.List(FolderListKind::ChangedList)[0], true),
            "(older, larger, contents)");
}

FolderLayoutInput Input(int width, int height) {
  FolderLayoutInput in;
  in.clientWidth = width;
  in.clientHeight = height;
  in.toolBarHeight = 24;
  in.quickBarHeight = 25;
  in.statusBarHeight = 20;
  in.barHeight = 21;
  in.labelWidth[0] = 60;
  in.labelWidth[1] = 66;
  in.labelHeight[0] = in.labelHeight[1] = 13;
  return in;
}

TEST(FolderLayout, RowsAndTabsFollowTheBars) {
  FolderLayoutInput in = Input(640, 480);
  in.modified[1] = true;
  const FolderLayout r = ComputeFolderLayout(in);
  // Tool bar, its band, Quick Bar, its band: the work area starts at 53.
  EXPECT_EQ(r.toolBarRule, 24);
  EXPECT_EQ(r.quickBarRule, 51);
  EXPECT_EQ(r.top, 53);
  EXPECT_EQ(r.statusBarRule, 458);
  // Rows are 23 high (the bar is lower), 8 apart; the wider label decides.
  const FolderSideBoxes& oldRow = r.side[0];
  const FolderSideBoxes& newRow = r.side[1];
  EXPECT_EQ(oldRow.label.x, 8);
  EXPECT_EQ(oldRow.label.y, 61 + 5);
  EXPECT_EQ(oldRow.bar.x, 8 + 66 + 8 + 17);
  EXPECT_EQ(oldRow.bar.w, 640 - 99 - 62);
  EXPECT_EQ(oldRow.bar.y, 61 + 1);
  EXPECT_EQ(oldRow.goUp.x, 640 - 54);
  EXPECT_EQ(oldRow.browse.x, 640 - 31);
  EXPECT_EQ(oldRow.goUp.w, 23);
  EXPECT_EQ(oldRow.marker.w, 0) << "the old side is not modified";
  EXPECT_EQ(newRow.marker.x, 8 + 66 + 8);
  EXPECT_EQ(newRow.marker.w, 9);
  EXPECT_EQ(newRow.marker.h, 11);
  EXPECT_EQ(newRow.goUp.y, 61 + 23 + 8);
  EXPECT_EQ(newRow.bar.x, oldRow.bar.x) << "the marker takes no room from the bar";
  // Tabs: 8 below the new row, 8 inside both edges and above the band.
  EXPECT_EQ(r.tabs.x, 8);
  EXPECT_EQ(r.tabs.y, 53 + 2 * (23 + 8) + 8);
  EXPECT_EQ(r.tabs.w, 640 - 16);
  EXPECT_EQ(r.tabs.y + r.tabs.h, 458 - 8);
}

TEST(FolderLayout, HiddenBarsAndATinyWindow) {
  FolderLayoutInput in = Input(640, 480);
  in.toolBarHeight = in.quickBarHeight = in.statusBarHeight = 0;
  FolderLayout r = ComputeFolderLayout(in);
  EXPECT_EQ(r.toolBarRule, 0) << "the band under the tool bar stays";
  EXPECT_EQ(r.quickBarRule, -1);
  EXPECT_EQ(r.statusBarRule, -1);
  EXPECT_EQ(r.top, 2);
  EXPECT_EQ(r.tabs.y + r.tabs.h, 480 - 8);
  // A window too small for its rows hides what has no room, never a
  // negative size.
  r = ComputeFolderLayout(Input(40, 30));
  EXPECT_EQ(r.tabs.h, 0);
  EXPECT_EQ(r.side[0].bar.w, 0);
}

TEST(FolderDisplayName, LastComponentOrNoFolder) {
  const std::string none = "<no folder>";
  EXPECT_EQ(FolderDisplayName("C:\\Projects\\app\\", false, none), "app");
  EXPECT_EQ(FolderDisplayName("C:\\", true, none), "C:*");
  EXPECT_EQ(FolderDisplayName("<no folder>", false, none), none);
  EXPECT_EQ(FolderDisplayName("", true, none), none + "*");
  EXPECT_EQ(FolderDisplayName("C:\\a?b", false, none), none);
}

}  // namespace
}  // namespace qm
