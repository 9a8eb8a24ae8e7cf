#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>
#include <thread>

#include "engine/line_table.h"
#include "engine_test_util.h"

namespace qm {
namespace {

using test::Compare;
using test::Doc;
using test::Kinds;

CompareOptions Blanks(uint32_t bits) {
  CompareOptions o;
  o.IgnoreBlanks2 = bits;
  return o;
}

struct LayoutCase {
  const char* name;
  std::string left, right;
  CompareOptions options;
  const char* kinds;
};

TEST(DiffLayout, RowsFollowTheHunkRules) {
  CompareOptions noChanges;
  noChanges.CompareChanges = false;
  CompareOptions ignoreCase;
  ignoreCase.IgnoreCase = true;
  const LayoutCase cases[] = {
      {"empty documents", "", "", {}, "S"},
      {"final LF against none", "a\n", "a", {}, "LLR"},
      {"identical", "x\ny\n", "x\ny\n", {}, "SSS"},
      {"one similar pair", "abc\n", "abd\n", {}, "CS"},
      {"first pair similar only", "abcdef\nqqqqqq\nwwwwww\n", "abcdeX\nzzzzzz\nyyyyyy\n", {},
       "CLLRRS"},
      {"later similar pairs stay unpaired", "abcdef\nqqqqqq\nabcdef\n",
       "uvwxyz\nqqqqqQ\nabcdeF\n", {}, "LLLRRRS"},
      {"two left against three right", "p1\np2\n", "q1\nq2\nq3\n", {}, "RRRLLS"},
      {"three left against two right", "p1\np2\np3\n", "q1\nq2\n", {}, "LLLRRS"},
      {"one left against two right", "same\nold\n", "same\nn1\nn2\n", {}, "SRRLS"},
      {"short lines always pair", "a\nb\n", "x\ny\n", {}, "CCS"},
      {"no changed rows when switched off", "abc\n", "abd\n", noChanges, "LRS"},
      {"trailing blanks ignored", "ab  \t\nc\n", "ab\nc\n", Blanks(kIgnoreTrailingBlanks), "SSS"},
      {"trailing CR ignored", "ab\r\n", "ab\n", Blanks(kIgnoreTrailingBlanks), "SS"},
      {"leading tabs ignored", "\t\tab\n", "ab\n", Blanks(kIgnoreLeadingBlanks), "SS"},
      {"blank runs collapse", "a  b\n", "a b\n", Blanks(kIgnoreBlankRuns), "SS"},
      {"blank runs keep one", "a  b\n", "ab\n", Blanks(kIgnoreBlankRuns), "CS"},
      {"all blanks", "a  b\n", "ab\n", Blanks(kIgnoreAllBlanks), "SS"},
      {"all blanks wins over runs", "a \t b\n", "ab\n",
       Blanks(kIgnoreAllBlanks | kIgnoreBlankRuns), "SS"},
      {"case ignored", "Hello\n", "hELLO\n", ignoreCase, "SS"},
      {"high bytes compare exactly", "\xE4x\n", "\xC4x\n", ignoreCase, "CS"},
  };
  for (const LayoutCase& c : cases) {
    TextDoc left = Doc(c.left);
    TextDoc right = Doc(c.right);
    DiffList list;
    ASSERT_EQ(Compare(left, right, list, c.options).code, CompareCode::Ok) << c.name;
    EXPECT_EQ(Kinds(list), c.kinds) << c.name;
  }
}

TEST(DiffLayout, EmptyComparisonRowSitsAtOffsetZero) {
  TextDoc left;
  TextDoc right;
  DiffList list;
  Compare(left, right, list);
  ASSERT_EQ(list.RowCount(), 1);
  EXPECT_EQ(list.Row(0).leftOffset, 0u);
  EXPECT_EQ(list.Row(0).rightOffset, 0u);
  EXPECT_EQ(list.Row(0).Highlight(0), nullptr);
}

TEST(DiffLayout, OneSidedRowsPointAtTheNextLineOpposite) {
  TextDoc left = Doc("a\nb\nc\n");
  TextDoc right = Doc("a\nc\n");
  DiffList list;
  Compare(left, right, list);
  ASSERT_EQ(Kinds(list), "SLSS");
  EXPECT_EQ(list.Row(1).leftOffset, 2u);
  EXPECT_EQ(list.Row(1).rightOffset, 2u);
  EXPECT_EQ(list.Row(2).rightLine, 1);
}

TEST(ChangedLines, HighlightsMarkTheDifferingCharacters) {
  struct Case {
    const char* name;
    std::string left, right;
    CompareOptions options;
    std::string leftMarks, rightMarks;  // 'x' where the highlight bit is set
  } cases[] = {
      {"one letter", "abc\n", "abd\n", {}, "..x.", "..x."},
      {"inserted letters", "abcdef\n", "abXcdef\n", {}, ".......", "..x....."},
      {"collapsed blanks are not marked", "ab  cd\n", "ab cX\n", Blanks(kIgnoreBlankRuns),
       ".....x.", "....x."},
      {"trimmed trailing blanks", "abcdef  \n", "abXdef\n", Blanks(kIgnoreTrailingBlanks),
       "..x......", "..x...."},
  };
  for (const Case& c : cases) {
    TextDoc left = Doc(c.left);
    TextDoc right = Doc(c.right);
    DiffList list;
    Compare(left, right, list, c.options);
    ASSERT_EQ(list.Kind(0), RowKind::Changed) << c.name;
    std::string marks[2];
    for (int side = 0; side < 2; ++side) {
      const uint8_t* h = list.Row(0).Highlight(side);
      ASSERT_NE(h, nullptr);
      for (uint32_t i = 0; i < list.RowLength(side, 0, side ? right : left); ++i) {
        marks[side] += (h[i] & kHighlightBit) ? 'x' : '.';
      }
    }
    EXPECT_EQ(marks[0], c.leftMarks) << c.name;
    EXPECT_EQ(marks[1], c.rightMarks) << c.name;
  }
}

TEST(ChangedLines, SimilarityThreshold) {
  struct Case {
    std::string left, right;
    int32_t match;
    uint32_t fragment;
    bool changed;
  } cases[] = {
      {"abc\n", "abd\n", 50, 2, true},    // matched 2: 2 * 200 / 8 = 50
      {"abc\n", "abd\n", 51, 2, false},
      {"abc\n", "abd\n", 51, 4, true},    // 8 bytes <= 2 * fragment
      {"abcdefgh\n", "hgfedcba\n", 1, 2, false},
      // The pair that starts a run counts nothing, even with fragments of 1.
      {"abcdefgh\n", "hgfedcba\n", 1, 1, false},
      {"abcdefgh\n", "abXXXXXX\n", 10, 1, true},
      {"\n", "completely different\n", 100, 2, true},  // a line under 2 bytes
  };
  for (const Case& c : cases) {
    CompareOptions o;
    o.MatchPercent = c.match;
    o.FragmentSize = c.fragment;
    TextDoc left = Doc(c.left);
    TextDoc right = Doc(c.right);
    DiffList list;
    Compare(left, right, list, o);
    EXPECT_EQ(list.Kind(0) == RowKind::Changed, c.changed)
        << c.left << " / " << c.right << " match " << c.match << " fragment " << c.fragment;
  }
}

uint32_t HashOf(const std::string& text, const CompareOptions& options) {
  LineTable table;
  HashLines(text.data(), 0, static_cast<uint32_t>(text.size()), true, options, &table);
  return table.ids.at(0);
}

TEST(LineHashes, FollowThePolynomialUnderOptions) {
  EXPECT_EQ(HashOf("a\n", {}), 97u * 127 + 10);
  EXPECT_EQ(HashOf("a", {}), 97u);
  EXPECT_EQ(HashOf("ab", {}), 97u * 127 + 98);
  // Bytes enter as signed values.
  EXPECT_EQ(HashOf("\xFF", {}), 0xFFFFFFFFu);
  EXPECT_EQ(HashOf("a  b", Blanks(kIgnoreBlankRuns)), (97u * 127 + 32) * 127 + 98);
  EXPECT_EQ(HashOf("ab  \n", Blanks(kIgnoreTrailingBlanks)), HashOf("ab\n", {}));
  EXPECT_EQ(HashOf("ab  ", Blanks(kIgnoreTrailingBlanks)), HashOf("ab", {}));
  CompareOptions ignoreCase;
  ignoreCase.IgnoreCase = true;
  EXPECT_EQ(HashOf("ab\n", ignoreCase), HashOf("AB\n", {}));
}

TEST(LineHashes, LineCountsAndStarts) {
  LineTable table;
  const std::string text = "x\ny\n";
  HashLines(text.data(), 0, 4, true, {}, &table);
  ASSERT_EQ(table.Count(), 3);  // the empty last line counts
  EXPECT_EQ(table.starts, (std::vector<uint32_t>{0, 2, 4, 4}));
  HashLines(text.data(), 0, 4, false, {}, &table);
  EXPECT_EQ(table.Count(), 2);  // a range ending inside the document
  HashLines(text.data(), 0, 0, true, {}, &table);
  EXPECT_EQ(table.Count(), 0);
}

// "Az" and "B\xFB" have the same hash: 65 * 127 + 122 == 66 * 127 - 5.
TEST(LineClasses, CollidingHashesAreNotEqualLines) {
  ASSERT_EQ(HashOf("Az\n", {}), HashOf("B\xFB\n", {}));
  TextDoc left = Doc("Az\nsame\n");
  TextDoc right = Doc("B\xFB\nsame\n");
  DiffList list;
  Compare(left, right, list);
  EXPECT_EQ(Kinds(list), "LRSS");
}

TEST(LineClasses, MaskedHashesGiveTheSameRows) {
  std::mt19937 rng(99);
  const char* words[] = {"a\n", "b\n", "c c\n", "C  c\n", "\n", "d \n", "d\n"};
  for (int round = 0; round < 200; ++round) {
    std::string texts[2];
    for (std::string& t : texts) {
      const int lines = static_cast<int>(rng() % 12);
      for (int i = 0; i < lines; ++i) t += words[rng() % 7];
    }
    CompareOptions o;
    o.IgnoreBlanks2 = rng() % 16;
    o.IgnoreCase = rng() % 2;
    TextDoc left = Doc(texts[0]);
    TextDoc right = Doc(texts[1]);
    DiffList exact;
    DiffList masked;
    RunDiff(left, 0, left.Length(), right, 0, right.Length(), exact, o, nullptr);
    // Every hash 0 or 1: nearly every pair of lines collides.
    RunDiffMaskedForTesting(left, 0, left.Length(), right, 0, right.Length(), masked, o,
                            nullptr, 1);
    ASSERT_EQ(exact.RowCount(), masked.RowCount()) << "round " << round;
    for (int32_t r = 0; r < exact.RowCount(); ++r) {
      ASSERT_TRUE(RowsEqual(exact.Row(r), masked.Row(r))) << "round " << round << " row " << r;
    }
  }
}

TEST(DiffCancel, FlagSetBeforeTheStartAborts) {
  TextDoc left = Doc("a\nb\n");
  TextDoc right = Doc("c\nd\n");
  DiffList list;
  const CancelFlag cancel{1};
  EXPECT_EQ(Compare(left, right, list, {}, &cancel).code, CompareCode::Aborted);
}

std::string RandomText(std::mt19937& rng, size_t bytes, bool lines) {
  std::string text(bytes, ' ');
  for (char& c : text) c = lines && rng() % 8 == 0 ? '\n' : static_cast<char>('a' + rng() % 26);
  return text;
}

// Cancelling from another thread while the engine is busy: in the line
// search, and inside the character comparison of two huge single lines.
TEST(DiffCancel, FlagSetDuringTheComparisonStopsIt) {
  std::mt19937 rng(5);
  struct Case {
    const char* name;
    bool lines;
  } cases[] = {{"line search", true}, {"character comparison", false}};
  for (const Case& c : cases) {
    TextDoc left = Doc(RandomText(rng, 4000000, c.lines));
    TextDoc right = Doc(RandomText(rng, 4000000, c.lines));
    DiffList list;
    CancelFlag cancel{0};
    std::thread canceller([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
      cancel = 1;
    });
    const auto start = std::chrono::steady_clock::now();
    const CompareResult r = Compare(left, right, list, {}, &cancel);
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start);
    canceller.join();
    EXPECT_EQ(r.code, CompareCode::Aborted) << c.name;
    EXPECT_LT(seconds.count(), 30.0) << c.name;
  }
}

}  // namespace
}  // namespace qm
