// Small text rules of the shell: walking the tips, tooltips, the help path,
// dialog-unit arithmetic.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/about_box.h"
#include "app/bars.h"
#include "app/help.h"
#include "app/tips_dialog.h"

namespace qm {
namespace {

const char kThreeTips[] = "First tip\r\nSecond\\ntip\r\nThird\ttrailing part\r\n";

std::vector<std::string> Walk(TipCursor& cursor, int n, std::vector<uint32_t>* indexes) {
  std::vector<std::string> tips;
  for (int i = 0; i < n; ++i) {
    tips.push_back(cursor.Next());
    indexes->push_back(cursor.index());
  }
  return tips;
}

TEST(TipCursor, WalksTheTipsAndWrapsAround) {
  TipCursor cursor(kThreeTips, 0);
  std::vector<uint32_t> indexes;
  const std::vector<std::string> tips = Walk(cursor, 4, &indexes);
  const std::vector<std::string> expected = {"First tip", "Second\ntip", "Third", "First tip"};
  EXPECT_EQ(tips, expected);
  // The last tip makes the index 0, so the next start shows the first.
  const std::vector<uint32_t> expectedIndexes = {1, 2, 0, 1};
  EXPECT_EQ(indexes, expectedIndexes);
}

TEST(TipCursor, StoredIndexPicksTheTipAndTooLargeStartsOver) {
  struct Case {
    uint32_t stored;
    const char* tip;
    uint32_t after;
  } cases[] = {
      {1, "Second\ntip", 2},
      {2, "Third", 0},
      {3, "First tip", 1},  // past the last tip
      {1000, "First tip", 1},
  };
  for (const Case& c : cases) {
    TipCursor cursor(kThreeTips, c.stored);
    EXPECT_EQ(cursor.Next(), c.tip) << "stored index " << c.stored;
    EXPECT_EQ(cursor.index(), c.after) << "stored index " << c.stored;
  }
}

TEST(TipCursor, LastTipWithoutLineEndAndEmptyText) {
  TipCursor cursor("one\r\ntwo", 1);
  EXPECT_EQ(cursor.Next(), "two");
  EXPECT_EQ(cursor.index(), 0u);
  TipCursor none("", 5);
  EXPECT_TRUE(none.empty());
  EXPECT_EQ(none.Next(), "");
}

TEST(UnescapeTip, BackslashRules) {
  const std::pair<const char*, const char*> cases[] = {
      {"plain", "plain"},
      {"a\\nb", "a\nb"},
      {"c:\\\\dir", "c:\\dir"},
      {"\\\"quoted\\\"", "\"quoted\""},
      {"\\x", "x"},
      {"ends\\", "ends"},
  };
  for (const auto& [raw, cooked] : cases) EXPECT_EQ(UnescapeTip(raw), cooked) << raw;
}

TEST(Tooltip, TextAfterTheLineFeedCutToFit) {
  EXPECT_EQ(TooltipFromString("Open a new text editor window\nNew Text Window"),
            "New Text Window");
  EXPECT_EQ(TooltipFromString("Browse"), "Browse");
  EXPECT_EQ(TooltipFromString(std::string(100, 'x')).size(), 79u);
}

TEST(HelpPath, InstallFolderFileAndTopic) {
  EXPECT_EQ(HelpPath("C:\\Program Files\\Q", nullptr), "C:\\Program Files\\Q\\manual.chm");
  EXPECT_EQ(HelpPath("C:\\Q\\\\", "quicktour.html"), "C:\\Q\\manual.chm::/quicktour.html");
  EXPECT_EQ(HelpPath("C:\\", "support.html"), "C:\\manual.chm::/support.html");
  EXPECT_EQ(HelpPath("", "support.html"), "");
  EXPECT_EQ(HelpPath("\\\\", nullptr), "") << "only backslashes is no folder";
}

TEST(DialogUnits, RoundedToTheNearestPixel) {
  // Base units 6 x 13: 4 units across are 6 pixels, 8 down are 13.
  const RECT rc = DialogUnitsToPixels(8, 145, 246, 1, 6, 13);
  EXPECT_EQ(rc.left, 12);
  EXPECT_EQ(rc.top, 236);  // 145 * 13 / 8 = 235.6
  EXPECT_EQ(rc.right, 381);
  EXPECT_EQ(rc.bottom, 237);
}

}  // namespace
}  // namespace qm
