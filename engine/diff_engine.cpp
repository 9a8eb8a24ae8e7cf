#include "engine/diff_engine.h"

#include <algorithm>
#include <new>
#include <vector>

#include "engine/changed_lines.h"
#include "engine/compare_progress.h"
#include "engine/diff_list.h"
#include "engine/line_search.h"
#include "engine/line_table.h"
#include "engine/run_both.h"
#include "engine/text_doc.h"

namespace qm {

namespace {

// The working state of one RunDiff call: the two line tables, the change
// flags, the emit cursors and the changed-line matcher. Nothing is shared
// between calls.
class LineDiff {
public:
  LineDiff(DiffList& list, const CompareOptions& options, const CancelFlag* cancel,
           const SearchBudgets& budgets)
      : list_(list), matcher_(options, cancel, budgets.characters), cancel_(cancel),
        lineBudget_(budgets.lines) {}

  LineTable table[2];

  // Searches a shortest edit script over the class ids (all below
  // classCount) and marks the changed lines. False when cancelled.
  bool Search(uint32_t classCount) {
    const int32_t n = table[0].Count();
    const int32_t m = table[1].Count();
    changed_[0].assign(static_cast<size_t>(n) + 1, 0);
    changed_[1].assign(static_cast<size_t>(m) + 1, 0);
    const bool done =
        MarkChangedLines(table[0].ids.data(), n, table[1].ids.data(), m, classCount,
                         changed_[0].data(), changed_[1].data(), lineBudget_, cancel_);
    // Only the flags and the line starts are needed from here on. (Assigning
    // {} would keep the capacity: swapping with an empty vector frees it.)
    std::vector<uint32_t>().swap(table[0].ids);
    std::vector<uint32_t>().swap(table[1].ids);
    return done;
  }

  // Walks the change flags hunk by hunk and appends the rows. False when
  // cancelled. Throws std::bad_alloc.
  bool Emit() {
    const int32_t n = static_cast<int32_t>(changed_[0].size()) - 1;
    const int32_t m = static_cast<int32_t>(changed_[1].size()) - 1;
    const uint8_t* left = changed_[0].data();
    const uint8_t* right = changed_[1].data();
    // Every left line gets one row and every changed right line at most one
    // more (none when it pairs with a left line): reserving that bound up
    // front keeps the rows in one block without the doubling copies.
    int32_t changedRight = 0;
    for (int32_t k = 0; k < m; ++k) changedRight += right[k];
    list_.ReserveRows(list_.RowCount() + std::max(n + changedRight, 1));
    int32_t i = 0;
    int32_t j = 0;
    while (i <= n || j <= m) {
      if (Cancelled()) return false;
      if (left[i] || right[j]) {
        const int32_t a = i;
        const int32_t c = j;
        while (left[i] && i < n) ++i;
        while (right[j] && j < m) ++j;
        if (!EmitHunk(a, i, c, j)) return false;
      }
      ++i;
      ++j;
    }
    EmitSame(n - cursor_[0]);
    return true;
  }

private:
  bool Cancelled() const { return cancel_ && cancel_->load(std::memory_order_relaxed) != 0; }

  void AppendAtCursors(RowKind kind) {
    list_.AppendRow(kind, table[0].starts[static_cast<size_t>(cursor_[0])],
                    table[1].starts[static_cast<size_t>(cursor_[1])]);
    if (kind != RowKind::RightOnly) ++cursor_[0];
    if (kind != RowKind::LeftOnly) ++cursor_[1];
  }

  void EmitSame(int32_t count) {
    for (int32_t k = 0; k < count; ++k) AppendAtCursors(RowKind::Same);
  }

  void EmitRun(RowKind kind, int32_t sameBefore, int32_t count) {
    EmitSame(sameBefore);
    for (int32_t k = 0; k < count; ++k) AppendAtCursors(kind);
  }

  // Compares left line i with right line j; when similar, emits the Same
  // rows pending in front of them and the Changed row.
  Similarity LinesAreSimilar(int32_t i, int32_t j) {
    std::unique_ptr<uint8_t[]> lh;
    std::unique_ptr<uint8_t[]> rh;
    const Similarity s =
        matcher_.Compare(table[0].Line(i), table[0].LineLength(i), table[1].Line(j),
                         table[1].LineLength(j), &lh, &rh);
    if (s == Similarity::Similar) {
      EmitSame(i - cursor_[0]);
      list_.AppendRow(RowKind::Changed, table[0].starts[static_cast<size_t>(cursor_[0])],
                      table[1].starts[static_cast<size_t>(cursor_[1])], std::move(lh),
                      std::move(rh));
      ++cursor_[0];
      ++cursor_[1];
    }
    return s;
  }

  // Lays out left lines [a, b) replaced by right lines [c, d). False when
  // cancelled inside a character comparison.
  bool EmitHunk(int32_t a, int32_t b, int32_t c, int32_t d) {
    const int32_t nl = b - a;
    const int32_t nr = d - c;
    const int32_t sameLeft = a - cursor_[0];
    const int32_t sameRight = c - cursor_[1];
    if (nl == 0) {
      EmitRun(RowKind::RightOnly, sameRight, nr);
    } else if (nr == 0) {
      EmitRun(RowKind::LeftOnly, sameLeft, nl);
    } else if (nl == nr) {
      int32_t i = a;
      int32_t j = c;
      for (; i < b; ++i, ++j) {
        const Similarity s = LinesAreSimilar(i, j);
        if (s == Similarity::Aborted) return false;
        if (s == Similarity::Different) break;
      }
      if (i < b) {
        EmitRun(RowKind::LeftOnly, i - cursor_[0], b - i);
        EmitRun(RowKind::RightOnly, 0, d - j);
      }
    } else if (nl > nr) {
      EmitRun(RowKind::LeftOnly, sameLeft, nl);
      EmitRun(RowKind::RightOnly, 0, nr);
    } else {
      EmitRun(RowKind::RightOnly, sameRight, nr);
      EmitRun(RowKind::LeftOnly, 0, nl);
    }
    return true;
  }

  DiffList& list_;
  LineMatcher matcher_;
  const CancelFlag* cancel_;
  const int64_t lineBudget_;
  std::vector<uint8_t> changed_[2];
  int32_t cursor_[2] = {0, 0};
};

// Read-only views of both ranges. One document compared with itself gets
// one view, so making the second range contiguous cannot move the first.
void ViewRanges(TextDoc& left, uint32_t leftStart, uint32_t leftEnd, TextDoc& right,
                uint32_t rightStart, uint32_t rightEnd, const char** leftText,
                const char** rightText) {
  if (&left == &right) {
    const uint32_t lo = std::min(leftStart, rightStart);
    const char* view = left.Contiguous(lo, std::max(leftEnd, rightEnd));
    *leftText = view + (leftStart - lo);
    *rightText = view + (rightStart - lo);
    return;
  }
  *leftText = left.Contiguous(leftStart, leftEnd);
  *rightText = right.Contiguous(rightStart, rightEnd);
}

// Ranges of at least this many bytes on both sides are hashed side by side.
constexpr uint32_t kTwoThreadBytes = 1u << 20;

}  // namespace

// No difference means an empty edit script: the same number of lines, each
// equal to its partner at the same place.
bool DocumentsDiffer(TextDoc& left, TextDoc& right, const CompareOptions& options) {
  const char* text[2];
  ViewRanges(left, 0, left.Length(), right, 0, right.Length(), &text[0], &text[1]);
  LineTable table[2];
  HashLines(text[0], 0, left.Length(), true, options, &table[0]);
  HashLines(text[1], 0, right.Length(), true, options, &table[1]);
  if (table[0].Count() != table[1].Count()) return true;
  for (int32_t i = 0; i < table[0].Count(); ++i) {
    const size_t k = static_cast<size_t>(i);
    if (table[0].ids[k] != table[1].ids[k] ||
        !LinesEqual(table[0].Line(i), table[0].LineLength(i), table[1].Line(i),
                    table[1].LineLength(i), options)) {
      return true;
    }
  }
  return false;
}

namespace {

CompareResult RunDiffWithMask(TextDoc& left, uint32_t leftStart, uint32_t leftEnd,
                              TextDoc& right, uint32_t rightStart, uint32_t rightEnd,
                              DiffList& list, const CompareOptions& options,
                              const CancelFlag* cancel, uint32_t hashMask,
                              const SearchBudgets& budgets, CompareProgress* progress) {
  leftEnd = std::min(leftEnd, left.Length());
  leftStart = std::min(leftStart, leftEnd);
  rightEnd = std::min(rightEnd, right.Length());
  rightStart = std::min(rightStart, rightEnd);
  try {
    LineDiff diff(list, options, cancel, budgets);
    const char* text[2];
    ViewRanges(left, leftStart, leftEnd, right, rightStart, rightEnd, &text[0], &text[1]);
    RunBoth(
        leftEnd - leftStart >= kTwoThreadBytes && rightEnd - rightStart >= kTwoThreadBytes,
        [&] {
          HashLines(text[0], leftStart, leftEnd, leftEnd == left.Length(), options,
                    &diff.table[0]);
        },
        [&] {
          HashLines(text[1], rightStart, rightEnd, rightEnd == right.Length(), options,
                    &diff.table[1]);
        });
    if (hashMask != 0xFFFFFFFFu) {
      for (LineTable& t : diff.table) {
        for (uint32_t& h : t.ids) h &= hashMask;
      }
    }
    const uint32_t classCount = AssignLineClasses(diff.table[0], diff.table[1], options);
    const bool searched = diff.Search(classCount);
    if (searched && progress) progress->Enter(CompareStage::Refining);
    if (searched && diff.Emit() && list.RowCount() == 0) {
      // Both ranges hold no line: one Same row where they start.
      list.AppendRow(RowKind::Same, leftStart, rightStart);
    }
  } catch (const std::bad_alloc&) {
    return {CompareCode::OutOfMemory, 0};
  }
  if (cancel && cancel->load(std::memory_order_relaxed) != 0) return {CompareCode::Aborted, 0};
  return {CompareCode::Ok, 0};
}

}  // namespace

CompareResult RunDiff(TextDoc& left, uint32_t leftStart, uint32_t leftEnd, TextDoc& right,
                      uint32_t rightStart, uint32_t rightEnd, DiffList& list,
                      const CompareOptions& options, const CancelFlag* cancel) {
  return RunDiffWithMask(left, leftStart, leftEnd, right, rightStart, rightEnd, list, options,
                         cancel, 0xFFFFFFFFu, DefaultSearchBudgets(), nullptr);
}

CompareResult RunDiff(TextDoc& left, uint32_t leftStart, uint32_t leftEnd, TextDoc& right,
                      uint32_t rightStart, uint32_t rightEnd, DiffList& list,
                      const CompareOptions& options, const CancelFlag* cancel,
                      CompareProgress* progress) {
  return RunDiffWithMask(left, leftStart, leftEnd, right, rightStart, rightEnd, list, options,
                         cancel, 0xFFFFFFFFu, DefaultSearchBudgets(), progress);
}

CompareResult RunDiffMaskedForTesting(TextDoc& left, uint32_t leftStart, uint32_t leftEnd,
                                      TextDoc& right, uint32_t rightStart, uint32_t rightEnd,
                                      DiffList& list, const CompareOptions& options,
                                      const CancelFlag* cancel, uint32_t hashMask) {
  return RunDiffWithMask(left, leftStart, leftEnd, right, rightStart, rightEnd, list, options,
                         cancel, hashMask, DefaultSearchBudgets(), nullptr);
}

CompareResult RunDiffWithBudgetsForTesting(TextDoc& left, uint32_t leftStart, uint32_t leftEnd,
                                           TextDoc& right, uint32_t rightStart,
                                           uint32_t rightEnd, DiffList& list,
                                           const CompareOptions& options,
                                           const CancelFlag* cancel,
                                           const SearchBudgets& budgets) {
  return RunDiffWithMask(left, leftStart, leftEnd, right, rightStart, rightEnd, list, options,
                         cancel, 0xFFFFFFFFu, budgets, nullptr);
}

}  // namespace qm
