// Random pairs against simple references: each side's rows give back its
// document, the list keeps its invariants, the edit count is the minimal
// one of an O(NM) LCS over independently normalised lines, and every Same
// row pairs lines that really are equal. Then random edits with
// LocalRecompare, which must keep all of that.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "engine/compare_state.h"
#include "engine_test_util.h"
#include "list_check.h"

namespace qm {
namespace {

using test::CheckList;
using test::Key;
using test::Lines;
using test::MinimalEdits;

class RandomPairs {
public:
  explicit RandomPairs(uint32_t seed) : rng_(seed) {}

  std::string Text() {
    static const char* const pool[] = {"a",  "b",   "c",    "a ",   " a", "A",  "a  b", "a b",
                                       "ab", "",    "\t",   "x yz", "\xE4", "abcdef", "abcxef",
                                       "\r", "b\r", "a\tb", "long line of text"};
    std::string text;
    const int lines = static_cast<int>(rng_() % 14);
    for (int i = 0; i < lines; ++i) {
      text += pool[rng_() % std::size(pool)];
      if (i + 1 < lines || rng_() % 3) text += '\n';
    }
    return text;
  }

  CompareOptions Options() {
    CompareOptions o;
    o.IgnoreBlanks2 = rng_() % 16;
    o.IgnoreCase = rng_() % 2;
    o.CompareChanges = rng_() % 4 != 0;
    o.FragmentSize = rng_() % 4;
    o.MatchPercent = static_cast<int32_t>(rng_() % 120) - 10;
    return o;
  }

  uint32_t Below(uint32_t n) { return n == 0 ? 0 : static_cast<uint32_t>(rng_() % n); }

private:
  std::mt19937 rng_;
};

TEST(DiffProperty, RandomPairsRebuildSidesWithMinimalEdits) {
  RandomPairs gen(2024);
  for (int round = 0; round < 3000; ++round) {
    const std::string texts[2] = {gen.Text(), gen.Text()};
    const CompareOptions o = gen.Options();
    TextDoc left = test::Doc(texts[0]);
    TextDoc right = test::Doc(texts[1]);
    DiffList list;
    ASSERT_EQ(test::Compare(left, right, list, o).code, CompareCode::Ok);
    const TextDoc* docs[2] = {&left, &right};
    const std::string where = "round " + std::to_string(round);
    const size_t edits = CheckList(list, docs, o, where);
    ASSERT_EQ(edits, MinimalEdits(Lines(texts[0]), Lines(texts[1]), o)) << where;
    if (!o.CompareChanges) {
      for (int32_t r = 0; r < list.RowCount(); ++r) ASSERT_NE(list.Kind(r), RowKind::Changed);
    }
  }
}

// The folder comparison's full criterion asks only whether two texts differ;
// its shortcut must agree with the rows of a real comparison.
TEST(DiffProperty, DocumentsDifferExactlyWhenTheRowsShowADifference) {
  RandomPairs gen(77);
  for (int round = 0; round < 3000; ++round) {
    std::string texts[2] = {gen.Text(), gen.Text()};
    // Every third pair differs from its partner only in case and blanks, so
    // that pairs alike under some options and not others come up.
    if (round % 3 == 0) {
      texts[1].clear();
      for (const char c : texts[0]) texts[1] += c == 'a' ? "A" : c == ' ' ? "  " : std::string(1, c);
    }
    const CompareOptions o = gen.Options();
    TextDoc left = test::Doc(texts[0]);
    TextDoc right = test::Doc(texts[1]);
    DiffList list;
    ASSERT_EQ(test::Compare(left, right, list, o).code, CompareCode::Ok);
    ASSERT_EQ(DocumentsDiffer(left, right, o), list.diffCount > 0) << "round " << round;
  }
}

// Edits one side the way the text pane does: the text changes, the rows'
// offsets follow, then LocalRecompare re-aligns the rows around it.
int EditAndRecompare(CompareState& state, RandomPairs& gen, const CompareOptions& o) {
  const int side = static_cast<int>(gen.Below(2));
  TextDoc& doc = state.side[side].doc;
  DiffList& list = *state.list;
  const uint32_t p = gen.Below(doc.Length() + 1);
  const int32_t r1 = list.FindRowByOffset(side, p, 0);
  if (gen.Below(2) == 0 || doc.Length() == 0) {
    static const char* const inserts[] = {"x", "\n", "a\n", "b\nc\n", " ", "ab"};
    const std::string bytes = inserts[gen.Below(std::size(inserts))];
    doc.Insert(p, bytes.data(), static_cast<uint32_t>(bytes.size()));
    list.ShiftOffsets(side, r1 + 1, static_cast<int64_t>(bytes.size()));
    return LocalRecompare(state, r1, r1, o);
  }
  const uint32_t n = 1 + gen.Below(std::min<uint32_t>(doc.Length() - p, 6));
  const uint32_t q = std::min(p + n, doc.Length());
  const int32_t r2 = list.FindRowByOffset(side, q, r1);
  doc.Delete(p, q - p);
  for (int32_t r = r1 + 1; r <= r2; ++r) list.Row(r).Offset(side) = p;
  list.ShiftOffsets(side, r2 + 1, -static_cast<int64_t>(q - p));
  return LocalRecompare(state, r1, r2, o);
}

// Fills both documents and builds their list under the options.
void LoadTexts(CompareState& state, const std::string (&texts)[2], const CompareOptions& o) {
  for (int side = 0; side < 2; ++side) {
    state.side[side].doc.Insert(0, texts[side].data(), static_cast<uint32_t>(texts[side].size()));
  }
  CompareSettings settings;
  settings.options = o;
  CompareResult result;
  BuildDiffList(state, result, settings, nullptr);
}

TEST(LocalRecompareProperty, SmallListsMatchAFreshComparison) {
  RandomPairs gen(77);
  for (int round = 0; round < 400; ++round) {
    CompareState state;
    const CompareOptions o = gen.Options();
    const std::string texts[2] = {gen.Text(), gen.Text()};
    LoadTexts(state, texts, o);
    for (int edit = 0; edit < 8; ++edit) {
      const int32_t before = state.list->diffCount;
      const int outcome = EditAndRecompare(state, gen, o);
      const std::string where = "round " + std::to_string(round) + " edit " + std::to_string(edit);
      const TextDoc* docs[2] = {&state.side[0].doc, &state.side[1].doc};
      CheckList(*state.list, docs, o, where);
      if (outcome < 2) {
        EXPECT_EQ(state.list->diffCount, before) << where;
      }
      // Under 41 rows the re-compared window is the whole list, so the
      // result must be exactly that of a full comparison.
      DiffList fresh;
      test::Compare(state.side[0].doc, state.side[1].doc, fresh, o);
      if (fresh.RowCount() <= 40) {
        ASSERT_EQ(state.list->RowCount(), fresh.RowCount()) << where;
        for (int32_t r = 0; r < fresh.RowCount(); ++r) {
          ASSERT_TRUE(RowsEqual(state.list->Row(r), fresh.Row(r))) << where << " row " << r;
        }
        EXPECT_EQ(state.list->diffCount, fresh.diffCount) << where;
        EXPECT_EQ(state.list->diffLineCount, fresh.diffLineCount) << where;
      }
    }
  }
}

TEST(LocalRecompareProperty, LongListsKeepInvariants) {
  RandomPairs gen(31);
  for (int round = 0; round < 20; ++round) {
    CompareState state;
    const CompareOptions o = gen.Options();
    std::string texts[2];
    for (int chunk = 0; chunk < 40; ++chunk) {
      const std::string common = gen.Text();
      texts[0] += common + "\n" + gen.Text() + "\n";
      texts[1] += common + "\n" + gen.Text() + "\n";
    }
    LoadTexts(state, texts, o);
    for (int edit = 0; edit < 30; ++edit) {
      EditAndRecompare(state, gen, o);
      const TextDoc* docs[2] = {&state.side[0].doc, &state.side[1].doc};
      CheckList(*state.list, docs, o, "round " + std::to_string(round) + " edit " +
                                          std::to_string(edit));
      if (HasFailure()) return;
    }
  }
}

// The rows LocalRecompare(100, 100) re-compares in a list of about 1000
// rows whose left side has extra lines at rows [extraFrom, extraTo): every
// row is first given a marker highlight array; the re-compared rows are
// replaced by fresh records (Same and filler rows without highlights), the
// others keep their marker.
std::pair<int32_t, int32_t> RecomparedWindow(int extraFrom, int extraTo) {
  std::string left;
  std::string right;
  for (int i = 0; i < 1000; ++i) {
    const std::string line = "l" + std::to_string(i) + "\n";
    left += line;
    if (i < extraFrom || i >= extraTo) right += line;
  }
  CompareState state;
  state.side[0].doc.Insert(0, left.data(), static_cast<uint32_t>(left.size()));
  state.side[1].doc.Insert(0, right.data(), static_cast<uint32_t>(right.size()));
  CompareResult result;
  BuildDiffList(state, result, {}, nullptr);
  for (int32_t r = 0; r < state.list->RowCount(); ++r) {
    state.list->Row(r).highlights = std::make_unique<RowHighlights>();
  }
  EXPECT_EQ(LocalRecompare(state, 100, 100, {}), 0);
  int32_t first = -1;
  int32_t last = -1;
  for (int32_t r = 0; r < state.list->RowCount(); ++r) {
    if (!state.list->Row(r).highlights) {
      if (first < 0) first = r;
      last = r;
    }
  }
  return {first, last};
}

TEST(LocalRecompare, WindowWidensToUnchangedRows) {
  EXPECT_EQ(RecomparedWindow(0, 0), std::make_pair(60, 140));
  // Row 60 inside a difference from row 45: back to the Same row 44.
  EXPECT_EQ(RecomparedWindow(45, 66), std::make_pair(44, 140));
  // A difference from row 30: no further back than 20 rows, row 40.
  EXPECT_EQ(RecomparedWindow(30, 66), std::make_pair(40, 140));
  // And forward: row 140 inside a difference up to row 150 reaches row 150.
  EXPECT_EQ(RecomparedWindow(130, 150), std::make_pair(60, 150));
}

TEST(LocalRecompare, UnchangedLayoutKeepsCountsAndNumbers) {
  CompareState state;
  const std::string left = "a\nsame\nabcdef\n";
  const std::string right = "b\nsame\nabcdeX\n";
  state.side[0].doc.Insert(0, left.data(), static_cast<uint32_t>(left.size()));
  state.side[1].doc.Insert(0, right.data(), static_cast<uint32_t>(right.size()));
  CompareResult result;
  BuildDiffList(state, result, {}, nullptr);
  ASSERT_EQ(test::Kinds(*state.list), "CSCS");
  // Typing "x" into the changed line: same rows, highlights redone.
  state.side[0].doc.Insert(7, "x", 1);
  state.list->ShiftOffsets(0, 3, 1);
  EXPECT_EQ(LocalRecompare(state, 2, 2, {}), 1);
  EXPECT_EQ(state.list->diffCount, 2);
  EXPECT_EQ(state.list->Row(3).leftLine, 3);
}

}  // namespace
}  // namespace qm
