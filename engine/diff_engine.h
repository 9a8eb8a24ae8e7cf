// The line-difference engine: compares a byte range of the left document
// with a byte range of the right one and appends display rows to a list.
//
// Lines are hashed under the ignore options and, where hashes agree,
// confirmed equal by comparing the lines themselves, so two different lines
// are never shown as the same. A shortest edit script is found with Myers'
// linear-space algorithm within a work budget of about a second; a search
// that cannot finish within it gives way to one that still finds a shortest
// script, only faster (see line_search.h), so the edit count is always the
// minimal one. Each hunk is laid out by fixed rules and similar lines of
// equal-sized hunks are paired as changed rows with character highlights,
// whose comparison has a budget of its own (see changed_lines.h). All
// working state belongs to one call: comparisons on different threads never
// share anything. A large comparison hashes both ranges, searches the
// forward and backward paths of its first middle snake and then the halves
// of its first split on a second thread of its own; the rows are exactly
// those of a single-threaded search.
#pragma once

#include <atomic>
#include <cstdint>

#include "engine/compare_options.h"

namespace qm {

class TextDoc;
class DiffList;
struct CompareProgress;

enum class CompareCode : uint32_t {
  Ok = 0,
  OutOfMemory = 1,
  Aborted = 2,
  LeftNameInvalid = 3,
  RightNameInvalid = 4,
  LeftBinary = 5,
  RightBinary = 6,
  LeftLoadFailed = 7,
  RightLoadFailed = 8,
};

struct CompareResult {
  CompareCode code = CompareCode::Ok;
  uint32_t detail = 0;  // operating-system error code for the load failures
};

// The cancel flag: written by the user-interface thread, polled here.
using CancelFlag = std::atomic<uint8_t>;

// Compares left [leftStart, leftEnd) with right [rightStart, rightEnd) and
// appends rows to list (expected empty). Returns Ok, OutOfMemory (everything
// allocated freed; rows already appended stay) or Aborted. Line numbers and
// counters are left to the caller (NumberRows, CountDifferences).
CompareResult RunDiff(TextDoc& left, uint32_t leftStart, uint32_t leftEnd,
                      TextDoc& right, uint32_t rightStart, uint32_t rightEnd,
                      DiffList& list, const CompareOptions& options,
                      const CancelFlag* cancel);
// The same, telling progress (may be null) when the search is done and the
// rows are laid out and the changed lines compared.
CompareResult RunDiff(TextDoc& left, uint32_t leftStart, uint32_t leftEnd,
                      TextDoc& right, uint32_t rightStart, uint32_t rightEnd,
                      DiffList& list, const CompareOptions& options,
                      const CancelFlag* cancel, CompareProgress* progress);

// True when comparing the whole of left with the whole of right would show
// at least one difference under the options: the line counts differ, or
// two lines at the same place are not equal. Costs one pass over the lines,
// no search. Throws std::bad_alloc.
bool DocumentsDiffer(TextDoc& left, TextDoc& right, const CompareOptions& options);

}  // namespace qm
