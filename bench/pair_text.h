// Deterministic code-like text pairs for the comparison benchmarks.
//
// The left text looks like C-family source: nested blocks with
// indentation, identifiers, calls, comments, blank lines and the repeated
// lines real code has ("}", "break;"). The right text is the left one with
// clusters of changes of varied sizes: modified lines (small edits, so most
// pair up as changed lines), replaced runs, inserted and deleted runs.
// Everything comes from one seeded generator of our own, so the same
// options give the same bytes on every machine and compiler.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace qm::bench {

struct PairOptions {
  size_t lines = 10000;        // lines of the left text
  double changePercent = 1.0;  // share of lines modified, inserted or deleted
  uint64_t seed = 1;
  bool longLines = false;      // lines of 200 to 4000 bytes instead of code
  bool unrelated = false;      // the right text is independent, not derived
};

// Lines without their line ends.
struct TextPair {
  std::vector<std::string> left;
  std::vector<std::string> right;
};

TextPair MakePair(const PairOptions& options);

// The lines joined with LF (or CR LF); the last line gets its line end only
// when finalLineEnd is set.
std::string JoinLines(const std::vector<std::string>& lines, bool crlf, bool finalLineEnd);

}  // namespace qm::bench
