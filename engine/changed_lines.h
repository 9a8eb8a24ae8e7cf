// Changed-line recognition (engine-internal): whether two lines of a hunk
// are similar enough to be shown side by side as a changed row, and which
// of their characters differ.
//
// The characters are compared by the shortest-edit search within a work
// budget. Past the budget, or for lines too long to search whole, a
// windowed comparison takes over: it walks both lines and searches one
// window of each at a time, keeping the matches of the window's first half.
// Its matches are real (every character left unmarked equals its partner)
// but it may find fewer of them, so it may mark more. Memory stays a small
// multiple of the lines: matches are kept as runs, and a line the options
// do not change is compared in place.
//
// All buffers live in a LineMatcher that one RunDiff call owns and reuses
// from pair to pair, so a hunk of many pairs allocates once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/compare_options.h"
#include "engine/diff_engine.h"
#include "engine/myers.h"

namespace qm {

enum class Similarity { Different, Similar, Aborted };

// a[p, p + length) equals b[q, q + length).
struct MatchRun {
  int32_t p;
  int32_t q;
  int32_t length;
};

class LineMatcher {
public:
  // budget: the work the exact search may do for one pair of lines.
  LineMatcher(const CompareOptions& options, const CancelFlag* cancel, int64_t budget)
      : options_(options), cancel_(cancel), budget_(budget) {}

  // Compares two raw lines (each with its LF, if any). On Similar, the
  // highlight arrays (rawL and rawR bytes, kHighlightBit on each differing
  // character) are in leftHighlight/rightHighlight; either may be null when
  // memory ran out. Aborted when the cancel flag was seen.
  Similarity Compare(const char* left, uint32_t rawL, const char* right, uint32_t rawR,
                     std::unique_ptr<uint8_t[]>* leftHighlight,
                     std::unique_ptr<uint8_t[]>* rightHighlight);

  // The comparable characters of a raw line under the options, and the raw
  // position of each. A line the options leave as it is is not copied
  // (chars points at the raw bytes) and its positions are left empty: each
  // character is at its own index.
  struct Normalized {
    const uint8_t* chars = nullptr;
    uint32_t count = 0;
    std::vector<uint8_t> copy;
    std::vector<uint32_t> positions;

    uint32_t Position(int32_t index) const {
      return positions.empty() ? static_cast<uint32_t>(index)
                               : positions[static_cast<size_t>(index)];
    }
  };
  static void NormalizeLine(const char* raw, uint32_t length, const CompareOptions& options,
                            Normalized* out);

  // Runs of matched characters of a common subsequence of a and b, in
  // increasing order of both: the shortest-edit search's when it finishes
  // within the budget, else the windowed comparison's. False when
  // cancelled. Throws std::bad_alloc.
  bool DiffCharacters(const uint8_t* a, int32_t n, const uint8_t* b, int32_t m,
                      std::vector<MatchRun>* runs);

private:
  bool ExactSearch(const uint8_t* a, int32_t n, const uint8_t* b, int32_t m, int32_t offset,
                   WorkBudget* budget, std::vector<MatchRun>* runs);
  bool WindowedSearch(const uint8_t* a, int32_t n, const uint8_t* b, int32_t m, int32_t offset,
                      std::vector<MatchRun>* runs);

  const CompareOptions& options_;
  const CancelFlag* cancel_;
  const int64_t budget_;
  Normalized left_;
  Normalized right_;
  DiagonalStorage diag_;
  std::vector<uint8_t> changed_;
  std::vector<MatchRun> runs_;
  std::vector<MatchRun> pending_;  // the matches of one window
};

// The similarity score: the total length of the runs of consecutive matched
// pairs that are at least fragment long (shorter runs count nothing; with
// fragment 0 or 1, a run counts from its second pair, except a run that
// starts both lines).
uint64_t MatchedInFragments(const std::vector<MatchRun>& runs, uint32_t fragment);

}  // namespace qm
