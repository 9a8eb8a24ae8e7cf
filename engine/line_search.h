// The line search of a comparison (engine-internal): the shortest-edit
// search over line class ids, first as it always runs, within a work
// budget; past the budget, a search that still finds a shortest script but
// cheaply: lines without an equal on the other side cannot be matched and
// are set aside first, and what is left is solved by a longest increasing
// subsequence over the matching line pairs when those are few, else by the
// same search over the shorter sequences.
#pragma once

#include <cstdint>

#include "engine/diff_engine.h"

namespace qm {

class TextDoc;
class DiffList;

// Work budgets, in diagonals swept by the passes of a search: the whole
// line search, and the character comparison of one pair of lines.
struct SearchBudgets {
  int64_t lines;
  int64_t characters;
};

// The budgets a comparison runs under: each about a second's search on a
// current machine for the lines, a few milliseconds for a pair of lines.
SearchBudgets DefaultSearchBudgets();

// Marks in changedA (n + 1 bytes) and changedB (m + 1 bytes), both zeroed,
// every line that is not part of a longest common subsequence of a[0, n)
// and b[0, m). The ids are below idLimit. budget is the work the exact
// search may do before the cheaper one takes over (rows are those of the
// exact search whenever it finishes); large comparisons use two threads.
// False when cancelled. Throws std::bad_alloc.
bool MarkChangedLines(const uint32_t* a, int32_t n, const uint32_t* b, int32_t m,
                      uint32_t idLimit, uint8_t* changedA, uint8_t* changedB,
                      int64_t budget, const CancelFlag* cancel);

// RunDiff under the given budgets, so tests can force the cheaper roads.
CompareResult RunDiffWithBudgetsForTesting(TextDoc& left, uint32_t leftStart, uint32_t leftEnd,
                                           TextDoc& right, uint32_t rightStart,
                                           uint32_t rightEnd, DiffList& list,
                                           const CompareOptions& options,
                                           const CancelFlag* cancel,
                                           const SearchBudgets& budgets);

}  // namespace qm
