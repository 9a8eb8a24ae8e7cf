// Changed-line recognition (engine-internal): whether two lines of a hunk
// are similar enough to be shown side by side as a changed row, and which
// of their characters differ.
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

class LineMatcher {
public:
  LineMatcher(const CompareOptions& options, const CancelFlag* cancel)
      : options_(options), cancel_(cancel) {}

  // Compares two raw lines (each with its LF, if any). On Similar, the
  // highlight arrays (rawL and rawR bytes, kHighlightBit on each differing
  // character) are in leftHighlight/rightHighlight; either may be null when
  // memory ran out. Aborted when the cancel flag was seen.
  Similarity Compare(const char* left, uint32_t rawL, const char* right, uint32_t rawR,
                     std::unique_ptr<uint8_t[]>* leftHighlight,
                     std::unique_ptr<uint8_t[]>* rightHighlight);

  struct Normalized {
    std::vector<uint8_t> chars;       // comparable characters
    std::vector<uint32_t> positions;  // raw position of each
  };
  // The comparable characters of a raw line under the options.
  static void NormalizeLine(const char* raw, uint32_t length, const CompareOptions& options,
                            Normalized* out);

  // Matched index pairs (p, q) of a common subsequence of a and b found by
  // the shortest-edit search, increasing in both. False when cancelled.
  bool DiffCharacters(const uint8_t* a, int32_t n, const uint8_t* b, int32_t m,
                      std::vector<std::pair<int32_t, int32_t>>* pairs);

private:
  const CompareOptions& options_;
  const CancelFlag* cancel_;
  Normalized left_;
  Normalized right_;
  DiagonalStorage diag_;
  std::vector<uint8_t> changed_;
  std::vector<std::pair<int32_t, int32_t>> pairs_;
};

}  // namespace qm
