// History lists and window placements against the real registry, and the
// refresh of combo boxes attached to a list (needs a display under Wine).
#include "app/history_list.h"
#include "app/settings.h"
#include "app/window_placement.h"

#include <chrono>

#include "tests/win/settings_test_util.h"

namespace qm {
namespace {

using test::PutDword;
using test::PutString;

std::vector<std::string> Texts(const HistoryList& list) {
  std::vector<std::string> texts;
  for (int i = 0; i < list.Count(); ++i) texts.push_back(list.DisplayText(i));
  return texts;
}

using Strings = std::vector<std::string>;
using HistoryStore = test::CleanSettingsKey;

TEST_F(HistoryStore, LoadSkipsHolesAndKeepsOrder) {
  PutDword("LeftFileHistory.count", 3);
  PutString("LeftFileHistory.0", "C:\\newest.txt");
  PutString("LeftFileHistory.2", "C:\\oldest.txt");
  PutString("LeftFileHistory.3", "C:\\stale.txt");  // past the count
  HistoryList list("LeftFileHistory");
  list.Load();
  EXPECT_EQ((Strings{"C:\\newest.txt", "C:\\oldest.txt"}), Texts(list));
}

TEST_F(HistoryStore, HugeCountLoadsWhatIsThereAtOnce) {
  PutDword("LeftFileHistory.count", 0xFFFFFFFF);
  PutString("LeftFileHistory.0", "a");
  PutString("LeftFileHistory.12", "c");
  PutString("LeftFileHistory.2", "b");
  PutString("LeftFileHistory.02", "not an index");
  PutString("LeftFileHistory.x", "not an index");
  PutString("LeftFileHistoryX.1", "another list");
  HistoryList list("LeftFileHistory");
  const auto start = std::chrono::steady_clock::now();
  list.Load();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  EXPECT_EQ((Strings{"a", "b", "c"}), Texts(list));
}

TEST_F(HistoryStore, PairsSplitAtTheFirstLineFeed) {
  PutDword("RecentFileHistory.count", 3);
  PutString("RecentFileHistory.0", "C:\\l.txt\nC:\\r.txt");
  PutString("RecentFileHistory.1", "no line feed");
  PutString("RecentFileHistory.2", "C:\\a\nC:\\b\nc");
  HistoryList list("RecentFileHistory", HistoryList::Kind::Pairs);
  list.Load();
  ASSERT_EQ(2, list.Count());
  EXPECT_EQ("C:\\l.txt <---> C:\\r.txt", list.DisplayText(0));
  EXPECT_EQ("C:\\a", list.Pair(1).left);
  EXPECT_EQ("C:\\b\nc", list.Pair(1).right);
}

TEST_F(HistoryStore, SaveWritesCountAndEntriesAndLeavesStaleValues) {
  PutString("RightFolderHistory.2", "stale");
  HistoryList list("RightFolderHistory");
  list.Add("C:\\one");
  list.Add("C:\\two");
  list.Save();
  HistoryList pairs("RecentFolderHistory", HistoryList::Kind::Pairs);
  pairs.Add(RecentComparison{"C:\\old", "C:\\new"});
  pairs.Save();

  EXPECT_EQ(2u, ReadSettingDword("RightFolderHistory.count", 99));
  EXPECT_EQ("C:\\two", ReadSettingString("RightFolderHistory.0").value_or(""));
  EXPECT_EQ("C:\\one", ReadSettingString("RightFolderHistory.1").value_or(""));
  EXPECT_EQ("stale", ReadSettingString("RightFolderHistory.2").value_or(""));
  EXPECT_EQ("C:\\old\nC:\\new", ReadSettingString("RecentFolderHistory.0").value_or(""));

  HistoryList again("RightFolderHistory");
  again.Load();
  EXPECT_EQ((Strings{"C:\\two", "C:\\one"}), Texts(again));
}

TEST(HistoryAdd, DuplicatesByCaseRule) {
  const struct {
    const char* what;
    bool caseSensitive;
    Strings added;  // oldest first
    Strings expected;
  } rows[] = {
      {"path in other capitals", false, {"C:\\Dir\\File.txt", "c:\\x", "C:\\DIR\\FILE.TXT"},
       {"C:\\DIR\\FILE.TXT", "c:\\x"}},
      {"filter in other capitals", true, {"*.TXT", "*.txt"}, {"*.txt", "*.TXT"}},
      {"same filter", true, {"*.c", "*.h", "*.c"}, {"*.c", "*.h"}},
      {"empty ignored", false, {"a", ""}, {"a"}},
  };
  for (const auto& row : rows) {
    HistoryList list("List");
    EXPECT_EQ("", list.FirstText());
    list.SetCaseSensitive(row.caseSensitive);
    for (const std::string& text : row.added) list.Add(text);
    EXPECT_EQ(row.expected, Texts(list)) << row.what;
  }
}

TEST(HistoryAdd, MaximumDropsTheOldest) {
  HistoryList list("LeftFileHistory");
  list.SetMaximum(40);
  for (int i = 1; i <= 41; ++i) list.Add("C:\\file" + std::to_string(i));
  ASSERT_EQ(40, list.Count());
  EXPECT_EQ("C:\\file41", list.DisplayText(0));
  EXPECT_EQ("C:\\file2", list.DisplayText(39));

  list.SetMaximum(3);
  EXPECT_EQ((Strings{"C:\\file41", "C:\\file40", "C:\\file39"}), Texts(list));
  list.SetMaximum(0);
  for (int i = 0; i < 50; ++i) list.Add("x" + std::to_string(i));
  EXPECT_EQ(53, list.Count()) << "zero means no limit";
}

TEST(HistoryAdd, PairsAreDuplicatesByDisplayText) {
  HistoryList list("RecentFileHistory", HistoryList::Kind::Pairs);
  list.Add(RecentComparison{"C:\\a", "C:\\b"});
  list.Add(RecentComparison{"C:\\c", "C:\\d"});
  list.Add(RecentComparison{"c:\\A", "c:\\B"});
  list.Add("plain text is not a pair");
  ASSERT_EQ(2, list.Count());
  EXPECT_EQ("c:\\A <---> c:\\B", list.FirstText());
  EXPECT_EQ("C:\\c", list.Pair(1).left);
}

TEST(HistoryCompletion, ShortestMatchThenMostRecent) {
  HistoryList paths("LeftFileHistory");
  paths.Add("c:\\proj");
  paths.Add("c:\\program files\\x");
  EXPECT_EQ(1, paths.FindCompletion("C:\\PR")) << "c:\\proj is the shorter";
  EXPECT_EQ(0, paths.FindCompletion("c:\\progr"));
  EXPECT_EQ(HistoryList::kNone, paths.FindCompletion("d:"));
  EXPECT_EQ(HistoryList::kNone, paths.FindCompletion(""));
  EXPECT_EQ(HistoryList::kNone, paths.FindCompletion("c:\\proj\\longer"));

  HistoryList ties("List");
  ties.Add("abc1");
  ties.Add("abc2");
  EXPECT_EQ(0, ties.FindCompletion("ab")) << "equal lengths: the most recent";

  HistoryList filters("IncludeFilterHistory");
  filters.SetCaseSensitive(true);
  filters.Add("*.Cpp");
  EXPECT_EQ(HistoryList::kNone, filters.FindCompletion("*.c"));
  EXPECT_EQ(0, filters.FindCompletion("*.C"));
}

// A hidden top-level window with a combo box of the given style.
class ComboHost {
 public:
  explicit ComboHost(DWORD style) {
    parent_ = CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr,
                              nullptr, GetModuleHandleA(nullptr), nullptr);
    combo_ = CreateWindowExA(0, "COMBOBOX", "", WS_CHILD | WS_VISIBLE | CBS_HASSTRINGS | style,
                             0, 0, 200, 140, parent_, nullptr, GetModuleHandleA(nullptr), nullptr);
  }
  ~ComboHost() { DestroyWindow(parent_); }
  HWND combo() const { return combo_; }

  Strings Items() const {
    Strings items;
    const int count = static_cast<int>(SendMessageA(combo_, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      char text[256] = {};
      SendMessageA(combo_, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
      items.push_back(text);
    }
    return items;
  }
  std::string Text() const {
    char text[256] = {};
    GetWindowTextA(combo_, text, sizeof text);
    return text;
  }

 private:
  HWND parent_ = nullptr;
  HWND combo_ = nullptr;
};

TEST(HistoryCombos, RefreshedOnEveryChangeKeepingTheEditText) {
  ComboHost host(CBS_DROPDOWN);
  ASSERT_NE(nullptr, host.combo());
  HistoryList list("LeftFileHistory");
  list.Add("C:\\one");
  list.AttachCombo(host.combo());
  EXPECT_EQ((Strings{"C:\\one"}), host.Items()) << "filled when attached";

  SetWindowTextA(host.combo(), "C:\\typed");
  list.Add("C:\\two");
  EXPECT_EQ((Strings{"C:\\two", "C:\\one"}), host.Items());
  EXPECT_EQ("C:\\typed", host.Text());

  list.SetMaximum(1);
  EXPECT_EQ((Strings{"C:\\two"}), host.Items());
  EXPECT_EQ("C:\\typed", host.Text());

  list.DetachCombo(host.combo());
  list.Add("C:\\three");
  EXPECT_EQ((Strings{"C:\\two"}), host.Items()) << "a detached combo box is left alone";
}

TEST(HistoryCombos, DropDownListKeepsItsSelectedEntry) {
  ComboHost host(CBS_DROPDOWNLIST);
  ASSERT_NE(nullptr, host.combo());
  HistoryList list("RecentFileHistory", HistoryList::Kind::Pairs);
  list.Add(RecentComparison{"a", "b"});
  list.Add(RecentComparison{"c", "d"});
  list.AttachCombo(host.combo());
  SendMessageA(host.combo(), CB_SETCURSEL, 1, 0);
  list.Add(RecentComparison{"e", "f"});
  EXPECT_EQ((Strings{"e <---> f", "c <---> d", "a <---> b"}), host.Items());
  EXPECT_EQ("a <---> b", host.Text());
  list.DetachCombo(host.combo());
}

const RECT kWork{0, 0, 1024, 768};

TEST(WindowPlacementParse, AcceptsOnlyWholeRectanglesTouchingTheWorkArea) {
  const struct {
    const char* text;
    bool valid;
    bool maximized;
  } rows[] = {
      {"1,32,32,400,300", true, true},
      {"0,32,32,400,300", true, false},
      {"2,32,32,400,300", true, false},
      {"0,200,0,100,300", false, false},   // left above right
      {"0,0,200,100,100", false, false},   // top above bottom
      {"0,10,10,10,20", false, false},     // empty
      {"0,400,10,600,20", true, false},    // left on the right edge
      {"0,401,10,500,20", false, false},   // entirely right of the work area
      {"0,10,301,20,400", false, false},   // entirely below
      {"0,fffffe00,10,ffffff00,20", false, false},  // entirely left
      {"0,fffffe00,10,0,20", true, false},          // touches the left edge
      {"0,32,32,400", false, false},       // four numbers
      {"", false, false},
      {"garbage", false, false},
  };
  for (const auto& row : rows) {
    WindowPlacement p;
    EXPECT_EQ(row.valid, p.Parse(row.text, kWork)) << row.text;
    EXPECT_EQ(row.valid, p.valid) << row.text;
    EXPECT_EQ(row.maximized, p.maximized) << row.text;
    if (!row.valid) {
      EXPECT_EQ(LONG(CW_USEDEFAULT), p.left) << row.text;
      EXPECT_EQ(LONG(CW_USEDEFAULT), p.bottom) << row.text;
    }
  }
  WindowPlacement p;
  ASSERT_TRUE(p.Parse("1,32,32,400,300", kWork));
  EXPECT_EQ(50, p.left);
  EXPECT_EQ(50, p.top);
  EXPECT_EQ(1024, p.right);
  EXPECT_EQ(768, p.bottom);
}

TEST(WindowPlacementParse, NegativeCoordinatesRoundTripInTwosComplement) {
  WindowPlacement p;
  p.left = -8;
  p.top = -30;
  p.right = 1000;
  p.bottom = 700;
  p.valid = true;
  p.maximized = true;
  EXPECT_EQ("1,fffffff8,ffffffe2,3e8,2bc", p.Format());
  WindowPlacement q;
  ASSERT_TRUE(q.Parse(p.Format().c_str(), kWork));
  EXPECT_EQ(-8, q.left);
  EXPECT_EQ(-30, q.top);
  EXPECT_EQ(1000, q.right);
  EXPECT_EQ(700, q.bottom);
  EXPECT_TRUE(q.maximized);
}

using PlacementStore = test::CleanSettingsKey;

TEST_F(PlacementStore, SessionWindowDefaultsWhenAbsentOrRejected) {
  for (const char* stored : {static_cast<const char*>(nullptr), "0,200,0,100,300"}) {
    test::DeleteSettingsKey();
    if (stored) PutString("SessionWindow", stored);
    PutString("CompareWindow", "0,200,0,100,300");
    SettingsRecord s;
    s.Load();
    EXPECT_TRUE(s.SessionWindow.valid);
    EXPECT_EQ(50, s.SessionWindow.left);
    EXPECT_EQ(600, s.SessionWindow.bottom);
    EXPECT_FALSE(s.CompareWindow.valid);
    EXPECT_EQ(LONG(CW_USEDEFAULT), s.CompareWindow.top);
  }
}

TEST_F(PlacementStore, LoadChecksAgainstThePrimaryWorkArea) {
  RECT work;
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0));
  WindowPlacement inside;
  inside.left = work.left + 10;
  inside.top = work.top + 10;
  inside.right = work.left + 300;
  inside.bottom = work.top + 200;
  inside.Save("CompareWindow");
  WindowPlacement outside = inside;
  outside.left = work.right + 1;
  outside.right = work.right + 400;
  outside.Save("PreviewWindow");

  WindowPlacement p;
  EXPECT_TRUE(p.Load("CompareWindow"));
  EXPECT_EQ(work.left + 300, p.right);
  EXPECT_FALSE(p.Load("PreviewWindow"));
  EXPECT_FALSE(p.Load("SessionWindow"));
}

}  // namespace
}  // namespace qm
