// The searches past their work budgets. Line level: with budgets too small
// for the exact search, random pairs still get a shortest script (against
// an O(NM) reference) and rows that give back both documents; within the
// default budgets the rows are those of an unbounded search; two threads
// mark what one thread marks, also when they stop and go on alone.
// Character level: the windowed comparison keeps only real matches, so
// whatever it leaves unmarked is equal on both sides.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "engine/changed_lines.h"
#include "engine/line_search.h"
#include "engine/myers.h"
#include "engine_test_util.h"
#include "list_check.h"

namespace qm {
namespace {

constexpr int64_t kUnbounded = std::numeric_limits<int64_t>::max();

// Texts whose lines come from a pool of a few repeated lines and many
// lines of their own, so pairs have lines without an equal, lines with
// many, and long runs in common.
std::string RandomText(std::mt19937& rng, const std::string& common, int lines) {
  static const char* const pool[] = {"}", "", "a", "A", " a", "a b", "a  b", "\tb", "b\r"};
  std::string text;
  for (int i = 0; i < lines; ++i) {
    switch (rng() % 4) {
      case 0: text += pool[rng() % std::size(pool)]; break;
      case 1: text += "own " + std::to_string(rng() % 1000); break;
      default: text += common.substr(0, rng() % (common.size() + 1)); break;
    }
    if (i + 1 < lines || rng() % 3) text += '\n';
  }
  return text;
}

CompareOptions RandomOptions(std::mt19937& rng) {
  CompareOptions o;
  o.IgnoreBlanks2 = rng() % 16;
  o.IgnoreCase = rng() % 2;
  o.CompareChanges = rng() % 4 != 0;
  o.FragmentSize = rng() % 4;
  o.MatchPercent = static_cast<int32_t>(rng() % 120) - 10;
  return o;
}

CompareResult CompareWith(TextDoc& left, TextDoc& right, DiffList& list,
                          const CompareOptions& o, const SearchBudgets& budgets,
                          const CancelFlag* cancel = nullptr) {
  const CompareResult r = RunDiffWithBudgetsForTesting(left, 0, left.Length(), right, 0,
                                                       right.Length(), list, o, cancel, budgets);
  list.NumberRows();
  list.CountDifferences();
  return r;
}

TEST(SearchBudget, TinyBudgetsStillGiveShortestScripts) {
  std::mt19937 rng(1313);
  const int64_t budgets[] = {-1, 0, 1, 64, 4096};
  for (int round = 0; round < 1500; ++round) {
    const std::string common = "common line " + std::to_string(round);
    const std::string texts[2] = {RandomText(rng, common, static_cast<int>(rng() % 40)),
                                  RandomText(rng, common, static_cast<int>(rng() % 40))};
    const CompareOptions o = RandomOptions(rng);
    const int64_t budget = budgets[rng() % std::size(budgets)];
    TextDoc left = test::Doc(texts[0]);
    TextDoc right = test::Doc(texts[1]);
    DiffList list;
    ASSERT_EQ(CompareWith(left, right, list, o, {budget, budget}).code, CompareCode::Ok);
    const TextDoc* docs[2] = {&left, &right};
    const std::string where = "round " + std::to_string(round);
    const size_t edits = test::CheckList(list, docs, o, where);
    ASSERT_EQ(edits, test::MinimalEdits(test::Lines(texts[0]), test::Lines(texts[1]), o))
        << where;
  }
}

// Rows, offsets and highlights of two lists are the same.
void ExpectSameRows(const DiffList& a, const DiffList& b, const TextDoc* docs[2],
                    const std::string& where) {
  ASSERT_EQ(a.RowCount(), b.RowCount()) << where;
  for (int32_t r = 0; r < a.RowCount(); ++r) {
    ASSERT_TRUE(RowsEqual(a.Row(r), b.Row(r))) << where << " row " << r;
    for (int side = 0; side < 2; ++side) {
      const uint8_t* ha = a.Row(r).Highlight(side);
      const uint8_t* hb = b.Row(r).Highlight(side);
      ASSERT_EQ(ha == nullptr, hb == nullptr) << where << " row " << r;
      if (!ha) continue;
      const uint32_t length = a.RowLength(side, r, *docs[side]);
      ASSERT_EQ(std::string(ha, ha + length), std::string(hb, hb + length))
          << where << " row " << r << " side " << side;
    }
  }
}

TEST(SearchBudget, WithinTheBudgetRowsAreThoseOfTheUnboundedSearch) {
  std::mt19937 rng(99);
  for (int round = 0; round < 300; ++round) {
    std::string texts[2];
    // Small random pairs, and now and then a long one with scattered edits.
    if (round % 50 == 0) {
      for (int i = 0; i < 20000; ++i) {
        const std::string line = "line " + std::to_string(i) + (i % 7 ? " x\n" : "\n");
        texts[0] += line;
        texts[1] += rng() % 100 ? line : "edited " + line;
      }
    } else {
      const std::string common = "shared text " + std::to_string(round);
      texts[0] = RandomText(rng, common, static_cast<int>(rng() % 60));
      texts[1] = RandomText(rng, common, static_cast<int>(rng() % 60));
    }
    const CompareOptions o = RandomOptions(rng);
    TextDoc left = test::Doc(texts[0]);
    TextDoc right = test::Doc(texts[1]);
    DiffList bounded;
    DiffList unbounded;
    ASSERT_EQ(CompareWith(left, right, bounded, o, DefaultSearchBudgets()).code,
              CompareCode::Ok);
    ASSERT_EQ(CompareWith(left, right, unbounded, o, {kUnbounded, kUnbounded}).code,
              CompareCode::Ok);
    const TextDoc* docs[2] = {&left, &right};
    ExpectSameRows(bounded, unbounded, docs, "round " + std::to_string(round));
  }
}

// A sequence of ids, and one with many edits of it, so the first middle
// snake gets wide enough to go on two threads.
std::vector<uint32_t> RandomIds(std::mt19937& rng, size_t count) {
  std::vector<uint32_t> ids(count);
  for (uint32_t& id : ids) id = static_cast<uint32_t>(rng() % 5000);
  return ids;
}

std::vector<uint32_t> Edited(std::mt19937& rng, std::vector<uint32_t> ids, int edits) {
  while (edits-- > 0) {
    const size_t at = rng() % ids.size();
    switch (rng() % 3) {
      case 0: ids.insert(ids.begin() + static_cast<std::ptrdiff_t>(at), 5000); break;
      case 1: ids.erase(ids.begin() + static_cast<std::ptrdiff_t>(at)); break;
      default: ids[at] = 5001; break;
    }
  }
  return ids;
}

// fill: the byte the diagonal block holds before the search, which reads
// nothing it has not written.
std::vector<uint8_t> Marks(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b,
                           bool twoThreads, int32_t aloneAfter, WorkBudget* budget,
                           bool* done, int fill = 0) {
  const int32_t n = static_cast<int32_t>(a.size());
  const int32_t m = static_cast<int32_t>(b.size());
  DiagonalStorage diagonals;
  diagonals.Allocate(0, 0, n, m);
  std::memset(diagonals.block.get(), fill, diagonals.capacity * sizeof(int32_t));
  std::vector<uint8_t> changed(a.size() + b.size() + 2, 0);
  MyersSearch<LineSequences> search({a.data(), b.data(), false}, diagonals, changed.data(),
                                    changed.data() + n + 1, nullptr, budget);
  search.GoAloneAfterPassForTesting(aloneAfter);
  *done = twoThreads ? search.CompareOnTwoThreads(0, 0, n, m) : search.Compare(0, 0, n, m);
  return changed;
}

TEST(TwoThreadSearch, MarksWhatOneThreadMarksAloneOrNot) {
  std::mt19937 rng(7);
  for (int round = 0; round < 4; ++round) {
    // Odd and even differences between the sides' lengths.
    const std::vector<uint32_t> a = RandomIds(rng, 30000);
    const std::vector<uint32_t> b = Edited(rng, a, 9000 + round);
    bool done = false;
    const std::vector<uint8_t> one = Marks(a, b, false, INT32_MAX, nullptr, &done);
    ASSERT_TRUE(done);
    for (int32_t aloneAfter : {INT32_MAX, 1, 2, 3, 9, 200}) {
      const std::vector<uint8_t> two = Marks(a, b, true, aloneAfter, nullptr, &done);
      ASSERT_TRUE(done);
      ASSERT_EQ(one, two) << "round " << round << " alone after pass " << aloneAfter;
    }
    // A budget spent in the middle stops both threads.
    WorkBudget budget(1 << 20);
    Marks(a, b, true, INT32_MAX, &budget, &done);
    EXPECT_FALSE(done);
    EXPECT_TRUE(budget.Spent());
  }
}

// The diagonal block is not cleared before a search: whatever it holds,
// the marks are the same, on one thread and on two.
TEST(TwoThreadSearch, MarksDoNotDependOnWhatTheDiagonalsHeld) {
  std::mt19937 rng(11);
  for (int round = 0; round < 6; ++round) {
    const std::vector<uint32_t> a = RandomIds(rng, 500 + static_cast<int>(rng() % 3000));
    const std::vector<uint32_t> b = Edited(rng, a, 1 + static_cast<int>(rng() % 1500));
    for (bool twoThreads : {false, true}) {
      bool done = false;
      const std::vector<uint8_t> zero = Marks(a, b, twoThreads, 3, nullptr, &done, 0);
      ASSERT_TRUE(done);
      for (int fill : {0x55, 0x80, 0xFF}) {
        ASSERT_EQ(Marks(a, b, twoThreads, 3, nullptr, &done, fill), zero)
            << "round " << round << " fill " << fill;
      }
    }
  }
}

// The characters of a line the options keep, where the line leaves them unmarked.
std::string Unmarked(const std::string& line, const uint8_t* highlight,
                     const CompareOptions& o) {
  LineMatcher::Normalized n;
  LineMatcher::NormalizeLine(line.data(), static_cast<uint32_t>(line.size()), o, &n);
  std::string kept;
  for (uint32_t k = 0; k < n.count; ++k) {
    if (!(highlight[n.Position(static_cast<int32_t>(k))] & kHighlightBit)) {
      kept += static_cast<char>(n.chars[k]);
    }
  }
  return kept;
}

std::string RandomLine(std::mt19937& rng, size_t length, char letters) {
  std::string line(length, ' ');
  for (char& c : line) c = static_cast<char>('a' + rng() % static_cast<unsigned>(letters));
  return line;
}

TEST(WindowedCharacters, LeavesUnmarkedOnlyWhatIsEqual) {
  std::mt19937 rng(5);
  for (int round = 0; round < 200; ++round) {
    CompareOptions o = RandomOptions(rng);
    o.CompareChanges = true;
    o.MatchPercent = -1;  // every pair similar, so every pair gets highlights
    const size_t length = 1 + rng() % 5000;
    const std::string left = RandomLine(rng, length, static_cast<char>(2 + rng() % 25));
    std::string right = left;
    for (int edit = static_cast<int>(rng() % 40); edit-- > 0;) {
      const size_t at = rng() % (right.size() + 1);
      switch (rng() % 3) {
        case 0: right.insert(at, RandomLine(rng, 1 + rng() % 300, 26)); break;
        case 1: right.erase(at, rng() % 300); break;
        default: if (at < right.size()) right[at] = ' '; break;
      }
    }
    LineMatcher matcher(o, nullptr, -1);  // no exact search at all
    std::unique_ptr<uint8_t[]> marks[2];
    ASSERT_EQ(matcher.Compare(left.data(), static_cast<uint32_t>(left.size()), right.data(),
                              static_cast<uint32_t>(right.size()), &marks[0], &marks[1]),
              Similarity::Similar);
    EXPECT_EQ(Unmarked(left, marks[0].get(), o), Unmarked(right, marks[1].get(), o))
        << "round " << round;
  }
}

TEST(WindowedCharacters, ScatteredChangesAreMarkedExactly) {
  // Changes further apart than a window: the windows find every match, in
  // a line too long for the exact search and with no budget for it alike.
  std::mt19937 rng(11);
  for (const size_t length : {size_t{40000}, size_t{3000000}}) {
    const std::string left = RandomLine(rng, length, 26);
    std::string right = left;
    std::vector<size_t> changed;
    for (size_t at = 1000 + rng() % 1000; at < length; at += 3000 + rng() % 5000) {
      right[at] = static_cast<char>(left[at] == 'z' ? 'a' : left[at] + 1);
      changed.push_back(at);
    }
    const CompareOptions defaults;
    LineMatcher matcher(defaults, nullptr, length > 100000 ? kUnbounded : -1);
    std::unique_ptr<uint8_t[]> marks[2];
    ASSERT_EQ(matcher.Compare(left.data(), static_cast<uint32_t>(length), right.data(),
                              static_cast<uint32_t>(length), &marks[0], &marks[1]),
              Similarity::Similar);
    for (int side = 0; side < 2; ++side) {
      std::vector<size_t> marked;
      for (size_t i = 0; i < length; ++i) {
        if (marks[side][i] & kHighlightBit) marked.push_back(i);
      }
      EXPECT_EQ(marked, changed) << "length " << length << " side " << side;
    }
  }
}

TEST(WindowedCharacters, UnrelatedLongLinesStaySeparate) {
  // Two unrelated lines far beyond the character budget: a quick answer
  // that they are not similar, as two one-sided rows.
  std::mt19937 rng(3);
  const std::string left = RandomLine(rng, 200000, 26) + "\n";
  const std::string right = RandomLine(rng, 200000, 26) + "\n";
  TextDoc l = test::Doc(left);
  TextDoc r = test::Doc(right);
  DiffList list;
  ASSERT_EQ(test::Compare(l, r, list).code, CompareCode::Ok);
  EXPECT_EQ(test::Kinds(list), "LRS");
}

TEST(SearchBudget, CancelStopsTheSearchPastTheBudget) {
  // Lines drawn from a few distinct ones: every line has equals, so the
  // search past the budget is a long one.
  std::mt19937 rng(21);
  std::string texts[2];
  for (std::string& text : texts) {
    for (int i = 0; i < 60000; ++i) text += "line " + std::to_string(rng() % 10) + "\n";
  }
  TextDoc left = test::Doc(texts[0]);
  TextDoc right = test::Doc(texts[1]);
  DiffList list;
  CancelFlag cancel{0};
  std::thread canceller([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    cancel.store(1);
  });
  const CompareResult r = CompareWith(left, right, list, {}, {0, 0}, &cancel);
  canceller.join();
  EXPECT_EQ(r.code, CompareCode::Aborted);
}

}  // namespace
}  // namespace qm
