// CompareOptions: the settings that steer one comparison.
//
// A comparison takes a copy of these when it starts, so an Options dialog
// that changes the settings meanwhile is never half-seen by the worker.
#pragma once

#include <cstdint>

namespace qm {

struct CompareProgress;

// Bits of IgnoreBlanks2.
enum : uint32_t {
  kIgnoreAllBlanks = 1,    // every blank is ignored; the other bits do nothing
  kIgnoreBlankRuns = 2,    // a run of blanks counts as one space
  kIgnoreLeadingBlanks = 4,
  kIgnoreTrailingBlanks = 8,
};

struct CompareOptions {
  bool IgnoreCase = false;
  uint32_t IgnoreBlanks2 = 0;
  bool CompareChanges = true;
  uint32_t FragmentSize = 2;
  int32_t MatchPercent = 50;
};

// Everything a whole load-and-compare reads from the settings, copied at
// the start of the comparison.
struct CompareSettings {
  CompareOptions options;
  bool AllowBinary = false;
  bool ScrollToFirst = false;
  bool WrapAround = true;
  // Not a setting: where the comparison tells what it is doing (borrowed,
  // may be null; see compare_progress.h).
  CompareProgress* progress = nullptr;
};

}  // namespace qm
