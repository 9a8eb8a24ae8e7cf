// Preparing lines for the line comparison (engine-internal): the 32-bit
// hash of each line under the ignore options, and exact equivalence classes
// that replace the hashes so the search compares two integers and two lines
// with colliding hashes are still told apart.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/compare_options.h"
#include "engine/diff_engine.h"

namespace qm {

class TextDoc;
class DiffList;

struct LineTable {
  const char* text = nullptr;   // the range's bytes; text[0] is at document offset start
  uint32_t start = 0;
  std::vector<uint32_t> ids;     // per line: its hash, then its class
  std::vector<uint32_t> starts;  // per line its document offset, then the range end

  int32_t Count() const { return static_cast<int32_t>(ids.size()); }
  const char* Line(int32_t i) const { return text + (starts[static_cast<size_t>(i)] - start); }
  uint32_t LineLength(int32_t i) const {
    return starts[static_cast<size_t>(i) + 1] - starts[static_cast<size_t>(i)];
  }
};

// Hashes the lines of text[0, end - start). A line runs up to and including
// its LF; when atDocumentEnd and the range is not empty, the text after the
// last LF (possibly empty) is one more line, hashed without the LF step.
// Throws std::bad_alloc.
void HashLines(const char* text, uint32_t start, uint32_t end, bool atDocumentEnd,
               const CompareOptions& options, LineTable* table);

// True when two lines (each with its LF, if any) are equal under the
// options: the same bytes that hashing takes in, and both or neither
// ending in LF.
bool LinesEqual(const char* a, uint32_t aLength, const char* b, uint32_t bLength,
                const CompareOptions& options);

// Replaces the hashes of both tables by class ids: two lines get the same
// id exactly when LinesEqual says so. Returns the number of classes (every
// id is below it). Throws std::bad_alloc.
uint32_t AssignLineClasses(LineTable& left, LineTable& right, const CompareOptions& options);

// RunDiff with every hash masked by hashMask before the classes are made,
// so tests can force collisions wholesale.
CompareResult RunDiffMaskedForTesting(TextDoc& left, uint32_t leftStart, uint32_t leftEnd,
                                      TextDoc& right, uint32_t rightStart, uint32_t rightEnd,
                                      DiffList& list, const CompareOptions& options,
                                      const CancelFlag* cancel, uint32_t hashMask);

}  // namespace qm
