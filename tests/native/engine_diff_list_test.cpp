#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "engine/diff_list.h"
#include "engine/text_doc.h"

namespace qm {
namespace {

constexpr RowKind S = RowKind::Same;
constexpr RowKind L = RowKind::LeftOnly;
constexpr RowKind R = RowKind::RightOnly;
constexpr RowKind C = RowKind::Changed;

// A list of the given kinds whose offsets advance by 10 per real line.
void Fill(DiffList& list, const std::vector<RowKind>& kinds) {
  uint32_t left = 0;
  uint32_t right = 0;
  for (RowKind k : kinds) {
    list.AppendRow(k, left, right);
    if (k != R) left += 10;
    if (k != L) right += 10;
  }
  list.NumberRows();
  list.CountDifferences();
}

TEST(DiffListCounting, RunsAndLinesPerKindSequence) {
  struct Case {
    std::vector<RowKind> kinds;
    int32_t diffs, lines;
  } cases[] = {
      {{L, L, R}, 2, 3},
      {{C, C}, 1, 2},
      {{S, S, S}, 0, 0},
      {{S, L, S, R, R, S, C}, 3, 4},
      {{R, L, R, C, S}, 4, 4},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    DiffList list;
    Fill(list, cases[i].kinds);
    EXPECT_EQ(list.diffCount, cases[i].diffs) << "case " << i;
    EXPECT_EQ(list.diffLineCount, cases[i].lines) << "case " << i;
  }
}

TEST(DiffListNumbering, FillersGetMinusOne) {
  DiffList list;
  Fill(list, {S, L, R, S});
  const int32_t left[] = {0, 1, -1, 2};
  const int32_t right[] = {0, -1, 1, 2};
  for (int32_t r = 0; r < 4; ++r) {
    EXPECT_EQ(list.Row(r).leftLine, left[r]) << r;
    EXPECT_EQ(list.Row(r).rightLine, right[r]) << r;
  }
  list.Row(1).kind = R;
  list.NumberRows(1);  // renumbering a tail continues the numbers before it
  EXPECT_EQ(list.Row(1).leftLine, -1);
  EXPECT_EQ(list.Row(1).rightLine, 1);
  EXPECT_EQ(list.Row(3).leftLine, 1);
  EXPECT_EQ(list.Row(3).rightLine, 3);
}

TEST(DiffListRows, EndsLengthsAndFillers) {
  TextDoc left;
  TextDoc right;
  ASSERT_TRUE(left.Insert(0, "a\nbb\n", 5));
  ASSERT_TRUE(right.Insert(0, "a\nc", 3));
  DiffList list;
  list.AppendRow(S, 0, 0);
  list.AppendRow(L, 2, 2);
  list.AppendRow(R, 5, 2);
  EXPECT_EQ(list.RowEnd(0, 1, left), 5u);
  EXPECT_EQ(list.RowLength(0, 1, left), 3u);
  EXPECT_TRUE(list.RowEndsWithLF(0, 1, left));
  EXPECT_EQ(list.RowTextLength(0, 1, left), 2u);
  EXPECT_EQ(list.RowLength(1, 1, right), 0u);  // filler opposite a left-only line
  EXPECT_FALSE(list.RowEndsWithLF(1, 2, right));
  EXPECT_EQ(list.RowTextLength(1, 2, right), 1u);
  EXPECT_TRUE(list.IsFiller(1, 1));
  EXPECT_TRUE(list.IsFiller(0, 2));
  EXPECT_FALSE(list.IsFiller(0, 1));
  EXPECT_FALSE(list.IsFiller(0, 3));
}

TEST(DiffListSwap, SidesExchangeKindsOffsetsLinesAndHighlights) {
  DiffList list;
  std::unique_ptr<uint8_t[]> lh(new uint8_t[3]{0, kHighlightBit, 0});
  std::unique_ptr<uint8_t[]> rh(new uint8_t[2]{kHighlightBit, 0});
  list.AppendRow(C, 0, 0, std::move(lh), std::move(rh));
  list.AppendRow(L, 3, 2);
  list.NumberRows();
  list.SwapSides();
  EXPECT_EQ(list.Row(0).Highlight(1)[1], kHighlightBit);
  EXPECT_EQ(list.Row(0).Highlight(0)[0], kHighlightBit);
  EXPECT_EQ(list.Kind(1), R);
  EXPECT_EQ(list.Row(1).leftOffset, 2u);
  EXPECT_EQ(list.Row(1).rightOffset, 3u);
  EXPECT_EQ(list.Row(1).leftLine, -1);
  EXPECT_EQ(list.Row(1).rightLine, 1);
}

// Linear scans exactly as the operations are defined, for comparison with
// the searches.
int32_t ReferenceByOffset(const DiffList& list, int side, uint32_t offset, int32_t hint) {
  if (offset >= list.Row(hint).Offset(side)) {
    for (int32_t r = hint + 1; r < list.RowCount(); ++r) {
      if (list.Row(r).Offset(side) > offset) return r - 1;
    }
    return list.RowCount() - 1;
  }
  for (int32_t r = hint - 1; r >= 0; --r) {
    if (list.Row(r).Offset(side) <= offset) return r;
  }
  return 0;
}

int32_t ReferenceFromStart(const DiffList& list, int side, uint32_t offset) {
  uint32_t prev = 0;
  for (int32_t r = 1; r < list.RowCount(); ++r) {
    if (prev == offset || list.Row(r).Offset(side) > offset) return r - 1;
    prev = list.Row(r).Offset(side);
  }
  return list.RowCount() - 1;
}

TEST(DiffListSearch, OffsetSearchesMatchLinearDefinitions) {
  std::mt19937 rng(7);
  for (int round = 0; round < 30; ++round) {
    DiffList list;
    std::vector<RowKind> kinds;
    const int rows = 1 + static_cast<int>(rng() % 200);
    for (int i = 0; i < rows; ++i) kinds.push_back(static_cast<RowKind>(rng() % 4));
    kinds[0] = S;
    Fill(list, kinds);
    const uint32_t maxOffset = list.Row(list.RowCount() - 1).leftOffset + 20;
    for (int probe = 0; probe < 300; ++probe) {
      const int side = static_cast<int>(rng() % 2);
      const uint32_t offset = static_cast<uint32_t>(rng() % maxOffset);
      const int32_t hint = static_cast<int32_t>(rng() % static_cast<uint32_t>(rows));
      ASSERT_EQ(list.FindRowByOffset(side, offset, hint), ReferenceByOffset(list, side, offset, hint))
          << "round " << round << " offset " << offset << " hint " << hint;
      ASSERT_EQ(list.FindRowFromStart(side, offset), ReferenceFromStart(list, side, offset))
          << "round " << round << " offset " << offset;
    }
  }
}

TEST(DiffListSearch, ShiftOffsetsMovesTailOnly) {
  DiffList list;
  Fill(list, {S, S, S, S});
  list.ShiftOffsets(1, 2, -5);
  EXPECT_EQ(list.Row(1).rightOffset, 10u);
  EXPECT_EQ(list.Row(2).rightOffset, 15u);
  EXPECT_EQ(list.Row(3).rightOffset, 25u);
  EXPECT_EQ(list.Row(3).leftOffset, 30u);
}

TEST(DiffListSplice, ResultTellsWhatChanged) {
  struct Case {
    const char* name;
    std::vector<RowKind> base;
    std::vector<RowKind> source;
    int result;
  } cases[] = {
      {"identical rows", {S, S, S, S}, {S, S}, 0},
      {"changed row with same offsets", {S, C, S, S}, {C, S}, 1},
      {"same row becomes changed", {S, S, S, S}, {C, S}, 2},
      {"different kind", {S, S, S, S}, {L, S}, 2},
      {"fewer rows", {S, S, S, S}, {S}, 2},
      {"more rows", {S, S, S, S}, {S, S, R}, 2},
  };
  for (const Case& c : cases) {
    DiffList list;
    Fill(list, c.base);
    DiffList source;
    uint32_t off = 10;
    for (RowKind k : c.source) {
      source.AppendRow(k, off, off);
      off += 10;
    }
    EXPECT_EQ(list.SpliceRows(1, 2, source), c.result) << c.name;
    EXPECT_EQ(source.RowCount(), 0) << c.name;
    EXPECT_EQ(list.RowCount(), static_cast<int32_t>(2 + c.source.size())) << c.name;
    EXPECT_EQ(list.Row(1).kind, c.source[0]) << c.name;
    if (c.result < 2) {
      EXPECT_EQ(list.Row(2).leftLine, 2) << c.name << ": line numbers carried over";
    }
  }
}

// Rows as plain values, to follow a list through splices and swaps.
struct ModelRow {
  RowKind kind;
  uint32_t offset[2];
  int32_t line[2];
  int mark[2];  // the byte of the row's one-byte highlight array, or -1 for none
};

std::unique_ptr<uint8_t[]> Mark(int mark) {
  if (mark < 0) return nullptr;
  auto array = std::make_unique<uint8_t[]>(1);
  array[0] = static_cast<uint8_t>(mark);
  return array;
}

// Real line numbers counted along the rows, a side's filler getting -1.
void NumberModel(std::vector<ModelRow>& model) {
  int32_t next[2] = {0, 0};
  for (ModelRow& row : model) {
    for (int s = 0; s < 2; ++s) {
      const bool filler = row.kind == (s == 0 ? RowKind::RightOnly : RowKind::LeftOnly);
      row.line[s] = filler ? -1 : next[s]++;
    }
  }
}

void ExpectListIs(const DiffList& list, const std::vector<ModelRow>& model,
                  const std::string& step) {
  ASSERT_EQ(list.RowCount(), static_cast<int32_t>(model.size())) << step;
  for (int32_t r = 0; r < list.RowCount(); ++r) {
    const DiffRow& row = list.Row(r);
    const ModelRow& want = model[static_cast<size_t>(r)];
    EXPECT_EQ(row.kind, want.kind) << step << ", row " << r;
    for (int s = 0; s < 2; ++s) {
      EXPECT_EQ(row.Offset(s), want.offset[s]) << step << ", row " << r << " side " << s;
      EXPECT_EQ(row.Line(s), want.line[s]) << step << ", row " << r << " side " << s;
      const int mark = row.Highlight(s) ? row.Highlight(s)[0] : -1;
      EXPECT_EQ(mark, want.mark[s]) << step << ", row " << r << " side " << s;
    }
  }
}

// Random splices (the source rows equal to the replaced ones, or not; fewer,
// as many or more), swaps and renumberings against the plain model: every
// row keeps its offsets, numbers and own highlight arrays wherever it moves,
// also when the rows outgrow their storage.
TEST(DiffListSplice, FollowsPlainModelThroughSplicesAndSwaps) {
  std::mt19937 rng(7);
  const RowKind kinds[] = {S, L, R, C};
  int nextMark = 0;
  auto randomRow = [&](uint32_t offset) {
    const RowKind kind = kinds[rng() % 4];
    ModelRow row{kind, {offset, offset + 1}, {-1, -1}, {-1, -1}};
    if (kind == C) {
      row.mark[0] = nextMark++ % 256;
      row.mark[1] = rng() % 2 ? nextMark++ % 256 : -1;
    }
    return row;
  };
  auto append = [](DiffList& list, const ModelRow& row) {
    list.AppendRow(row.kind, row.offset[0], row.offset[1], Mark(row.mark[0]), Mark(row.mark[1]));
  };
  for (int round = 0; round < 20; ++round) {
    DiffList list;
    std::vector<ModelRow> model;
    for (uint32_t i = 0; i < 1 + rng() % 40; ++i) {
      model.push_back(randomRow(i * 10));
      append(list, model.back());
    }
    list.NumberRows();
    NumberModel(model);
    for (int step = 0; step < 30; ++step) {
      const std::string name = "round " + std::to_string(round) + " step " + std::to_string(step);
      if (step % 10 == 9) {
        list.SwapSides();
        for (ModelRow& row : model) {
          row.kind = row.kind == L ? R : row.kind == R ? L : row.kind;
          std::swap(row.offset[0], row.offset[1]);
          std::swap(row.line[0], row.line[1]);
          std::swap(row.mark[0], row.mark[1]);
        }
        ExpectListIs(list, model, name + " (swap)");
        continue;
      }
      const int32_t count = static_cast<int32_t>(model.size());
      const int32_t first = static_cast<int32_t>(rng() % static_cast<uint32_t>(count));
      const int32_t last = first + static_cast<int32_t>(rng() % static_cast<uint32_t>(
                                       std::min<int32_t>(count - first, 5)));
      const int32_t n = last - first + 1;
      // Mostly as many rows as replaced, often equal to them: the layout
      // stays and the old line numbers carry over.
      const int32_t m = rng() % 3 ? n : 1 + static_cast<int32_t>(rng() % 12);
      const bool same = rng() % 2 == 0;
      std::vector<ModelRow> fresh;
      DiffList source;
      for (int32_t i = 0; i < m; ++i) {
        ModelRow row = same && i < n ? model[static_cast<size_t>(first + i)] : randomRow(rng() % 1000);
        row.line[0] = row.line[1] = -1;
        if (row.kind == C) row.mark[0] = nextMark++ % 256;
        fresh.push_back(row);
        append(source, row);
      }
      // The model of SpliceRows: a row is "equal" by kind and offsets; up to
      // the first unequal one the old line numbers are kept.
      int want = 0;
      for (int32_t i = 0; i < std::min(n, m); ++i) {
        const ModelRow& old = model[static_cast<size_t>(first + i)];
        ModelRow& row = fresh[static_cast<size_t>(i)];
        if (want < 2) {
          const bool equal = old.kind == row.kind && old.offset[0] == row.offset[0] &&
                             old.offset[1] == row.offset[1];
          want = !equal ? 2 : row.kind == C ? 1 : want;
          if (want < 2) std::copy(old.line, old.line + 2, row.line);
        }
      }
      if (n != m) want = 2;
      model.erase(model.begin() + first, model.begin() + last + 1);
      model.insert(model.begin() + first, fresh.begin(), fresh.end());
      EXPECT_EQ(list.SpliceRows(first, last, source), want) << name;
      EXPECT_EQ(source.RowCount(), 0) << name;
      ExpectListIs(list, model, name);
      if (want == 2) {
        list.NumberRows(first);
        NumberModel(model);
        ExpectListIs(list, model, name + " (renumbered)");
      }
      if (HasFailure()) return;
    }
  }
}

TEST(DiffListNavigation, NextPreviousNearest) {
  DiffList list;
  //          0  1  2  3  4  5  6  7  8
  Fill(list, {S, L, L, S, S, S, C, S, S});
  DiffBlock b;
  ASSERT_TRUE(list.NextDifference(0, false, &b));
  EXPECT_EQ(b.firstRow, 1);
  EXPECT_EQ(b.lastRow, 2);
  ASSERT_TRUE(list.NextDifference(1, false, &b));
  EXPECT_EQ(b.firstRow, 6);
  // Inside the last difference without wrapping: that same difference.
  ASSERT_TRUE(list.NextDifference(6, false, &b));
  EXPECT_EQ(b.firstRow, 6);
  EXPECT_FALSE(list.NextDifference(7, false, &b));
  ASSERT_TRUE(list.NextDifference(7, true, &b));
  EXPECT_EQ(b.firstRow, 1);
  ASSERT_TRUE(list.PreviousDifference(5, false, &b));
  EXPECT_EQ(b.lastRow, 2);
  EXPECT_FALSE(list.PreviousDifference(0, false, &b));
  ASSERT_TRUE(list.PreviousDifference(0, true, &b));
  EXPECT_EQ(b.firstRow, 6);
  // Row 4 is midway between rows 2 and 6: the previous difference wins.
  ASSERT_TRUE(list.NearestDifference(4, true, &b));
  EXPECT_EQ(b.firstRow, 1);
  ASSERT_TRUE(list.NearestDifference(5, true, &b));
  EXPECT_EQ(b.firstRow, 6);
  // Wrapped blocks do not count as near.
  ASSERT_TRUE(list.NearestDifference(8, true, &b));
  EXPECT_EQ(b.firstRow, 6);
  ASSERT_TRUE(list.NearestDifference(0, true, &b));
  EXPECT_EQ(b.firstRow, 1);
}

TEST(DiffListNavigation, BlockOffsetsUseAttachedDocuments) {
  TextDoc left;
  TextDoc right;
  ASSERT_TRUE(left.Insert(0, "a\nb\n", 4));
  ASSERT_TRUE(right.Insert(0, "a\n", 2));
  DiffList list;
  list.AppendRow(S, 0, 0);
  list.AppendRow(L, 2, 2);
  list.AppendRow(L, 4, 2);
  list.AttachDocuments(&left, &right);
  const DiffBlock b = list.BlockAt(2, true);
  EXPECT_EQ(b.kind, L);
  EXPECT_EQ(b.firstRow, 1);
  EXPECT_EQ(b.leftStart, 2u);
  EXPECT_EQ(b.leftEnd, 4u);
  EXPECT_EQ(b.rightStart, 2u);
  EXPECT_EQ(b.rightEnd, 2u);
  const DiffBlock one = list.BlockAt(1, false);
  EXPECT_EQ(one.lastRow, 1);
  EXPECT_EQ(one.leftEnd, 4u);
  EXPECT_EQ(list.BlockAt(3, true).firstRow, -1);
}

}  // namespace
}  // namespace qm
