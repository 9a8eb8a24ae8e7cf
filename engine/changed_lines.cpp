#include "engine/changed_lines.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "engine/diff_list.h"
#include "engine/myers.h"

namespace qm {

namespace {

inline bool IsBlank(unsigned char c) { return c == ' ' || (c >= 0x09 && c <= 0x0D); }

// Lines whose comparable characters number more than this (both together)
// go straight to the windowed comparison: the exact search's diagonals
// alone would take 8 bytes a character.
constexpr int64_t kExactLimit = int64_t{1} << 22;
// The windowed comparison's window, per line, and the work the search of
// one window may do before the window counts as unmatched.
constexpr int32_t kWindow = 1024;
constexpr int64_t kWindowBudget = 16 * kWindow;
// How many characters the windowed comparison walks between cancel polls.
constexpr int64_t kPollEvery = int64_t{1} << 20;

std::unique_ptr<uint8_t[]> ZeroedArray(uint32_t size) {
  return std::unique_ptr<uint8_t[]>(new (std::nothrow) uint8_t[size]());
}

// Appends the match a[p] = b[q], joining it to the last run when it
// continues that run.
void AddMatch(std::vector<MatchRun>* runs, int32_t p, int32_t q, int32_t length) {
  if (!runs->empty()) {
    MatchRun& last = runs->back();
    if (last.p + last.length == p && last.q + last.length == q) {
      last.length += length;
      return;
    }
  }
  runs->push_back({p, q, length});
}

// Appends the matches that a finished search left unmarked, from (x0, y0)
// up to (but not at or past) xLimit or yLimit. Returns where the last one
// ends: (x, y) just after it, or (x0, y0) when there is none.
std::pair<int32_t, int32_t> CollectMatches(const uint8_t* changedA, int32_t n,
                                           const uint8_t* changedB, int32_t m, int32_t offset,
                                           int32_t xLimit, int32_t yLimit,
                                           std::vector<MatchRun>* runs) {
  int32_t i = 0;
  int32_t j = 0;
  std::pair<int32_t, int32_t> end{0, 0};
  while (i < n || j < m) {
    while (i < n && changedA[i]) ++i;
    while (j < m && changedB[j]) ++j;
    if (i >= n || j >= m || i >= xLimit || j >= yLimit) break;
    AddMatch(runs, offset + i, offset + j, 1);
    end = {i + 1, j + 1};
    ++i;
    ++j;
  }
  return end;
}

// Sets kHighlightBit at the raw position of every comparable character.
void MarkComparable(const LineMatcher::Normalized& line, uint8_t* highlight) {
  if (line.positions.empty()) {
    std::memset(highlight, kHighlightBit, line.count);
    return;
  }
  for (uint32_t pos : line.positions) highlight[pos] = kHighlightBit;
}

}  // namespace

uint64_t MatchedInFragments(const std::vector<MatchRun>& runs, uint32_t fragment) {
  // Run by run what a walk over the pairs counts: the walk's run counter
  // starts at 1 on the first pair of a run (at 0 before a run that starts
  // both lines, which the first pair then continues) and adds fragment when
  // it reaches fragment and 1 for every pair beyond.
  uint64_t matched = 0;
  size_t r = 0;
  while (r < runs.size()) {
    const MatchRun first = runs[r];
    uint64_t length = static_cast<uint64_t>(first.length);
    for (++r; r < runs.size() && runs[r].p == first.p + static_cast<int64_t>(length) &&
              runs[r].q == first.q + static_cast<int64_t>(length);
         ++r) {
      length += static_cast<uint64_t>(runs[r].length);
    }
    // The counter takes the values [low, length] as the run goes on.
    const uint64_t low = first.p == 0 && first.q == 0 ? 1 : 2;
    if (length < low) continue;
    if (fragment >= low && fragment <= length) matched += fragment;
    const uint64_t beyond = std::max<uint64_t>(low, uint64_t{fragment} + 1);
    if (length >= beyond) matched += length - beyond + 1;
  }
  return matched;
}

void LineMatcher::NormalizeLine(const char* raw, uint32_t length, const CompareOptions& options,
                                Normalized* out) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(raw);
  const uint32_t blanks =
      options.IgnoreBlanks2 &
      (kIgnoreAllBlanks | kIgnoreBlankRuns | kIgnoreLeadingBlanks | kIgnoreTrailingBlanks);
  out->copy.clear();
  out->positions.clear();
  if (blanks == 0) {
    // Every byte is comparable, at its own position.
    out->count = length;
    if (!options.IgnoreCase) {
      out->chars = bytes;
      return;
    }
    out->copy.assign(bytes, bytes + length);
    for (uint8_t& c : out->copy) {
      if (c >= 'a' && c <= 'z') c = static_cast<uint8_t>(c - 32);
    }
    out->chars = out->copy.data();
    return;
  }
  const bool all = (blanks & kIgnoreAllBlanks) != 0;
  const bool runs = (blanks & kIgnoreBlankRuns) != 0;
  uint32_t start = 0;
  uint32_t end = length;
  if (!all) {
    if (blanks & kIgnoreLeadingBlanks) {
      while (start < end && IsBlank(bytes[start])) ++start;
    }
    if (blanks & kIgnoreTrailingBlanks) {
      while (end > start && IsBlank(bytes[end - 1])) --end;
    }
  }
  out->copy.reserve(end - start);
  out->positions.reserve(end - start);
  bool inRun = false;
  for (uint32_t i = start; i < end; ++i) {
    unsigned char c = bytes[i];
    if (IsBlank(c)) {
      if (all) continue;
      if (runs) {
        if (inRun) continue;
        inRun = true;
        c = ' ';
      }
    } else {
      inRun = false;
      if (options.IgnoreCase && c >= 'a' && c <= 'z') c = static_cast<unsigned char>(c - 32);
    }
    out->copy.push_back(c);
    out->positions.push_back(i);
  }
  out->chars = out->copy.data();
  out->count = static_cast<uint32_t>(out->copy.size());
  // An empty result keeps positions empty too, which reads as no characters.
}

bool LineMatcher::DiffCharacters(const uint8_t* a, int32_t n, const uint8_t* b, int32_t m,
                                 std::vector<MatchRun>* runs) {
  runs->clear();
  // The common ends are part of every shortest script's matches; the
  // search would strip them first too.
  int32_t prefix = 0;
  while (prefix < n && prefix < m && a[prefix] == b[prefix]) ++prefix;
  int32_t suffix = 0;
  while (suffix < n - prefix && suffix < m - prefix &&
         a[n - 1 - suffix] == b[m - 1 - suffix]) {
    ++suffix;
  }
  if (prefix > 0) runs->push_back({0, 0, prefix});
  const uint8_t* const midA = a + prefix;
  const uint8_t* const midB = b + prefix;
  const int32_t midN = n - prefix - suffix;
  const int32_t midM = m - prefix - suffix;
  if (midN > 0 && midM > 0) {
    bool done = false;
    if (static_cast<int64_t>(midN) + midM <= kExactLimit) {
      WorkBudget budget(budget_);
      done = ExactSearch(midA, midN, midB, midM, prefix, &budget, runs);
      if (!done && cancel_ && cancel_->load(std::memory_order_relaxed) != 0) return false;
    }
    if (!done && !WindowedSearch(midA, midN, midB, midM, prefix, runs)) return false;
  }
  if (suffix > 0) AddMatch(runs, n - suffix, m - suffix, suffix);
  return true;
}

// The shortest-edit search over a[0, n) and b[0, m), whose positions in
// the whole lines are offset further on. False when cancelled or when the
// budget ran out (nothing is appended then).
bool LineMatcher::ExactSearch(const uint8_t* a, int32_t n, const uint8_t* b, int32_t m,
                              int32_t offset, WorkBudget* budget, std::vector<MatchRun>* runs) {
  diag_.Allocate(0, 0, n, m);
  changed_.assign(static_cast<size_t>(n) + static_cast<size_t>(m) + 2, 0);
  uint8_t* changedA = changed_.data();
  uint8_t* changedB = changedA + n + 1;
  MyersSearch<ByteSequences> search({a, b}, diag_, changedA, changedB, cancel_, budget);
  if (!search.Compare(0, 0, n, m)) return false;
  CollectMatches(changedA, n, changedB, m, offset, n, m, runs);
  return true;
}

// Walks a[0, n) and b[0, m) from the front: a common run is taken as it
// is; otherwise the next window of each line is searched (within a budget
// of its own), and the matches in the first half of both windows are kept,
// or all of them when the windows reach the ends of the lines. The walk
// then goes on after the last match kept, or, when that moves it little,
// past the first halves, leaving what it skips unmatched. Every match kept
// pairs equal characters in increasing order, so the result is a common
// subsequence. False when cancelled.
bool LineMatcher::WindowedSearch(const uint8_t* a, int32_t n, const uint8_t* b, int32_t m,
                                 int32_t offset, std::vector<MatchRun>* runs) {
  diag_.Allocate(0, 0, kWindow, kWindow);
  changed_.assign(2 * static_cast<size_t>(kWindow) + 2, 0);
  uint8_t* changedA = changed_.data();
  uint8_t* changedB = changedA + kWindow + 1;
  int32_t i = 0;
  int32_t j = 0;
  int64_t sincePoll = 0;
  while (i < n && j < m) {
    if (sincePoll > kPollEvery) {
      if (cancel_ && cancel_->load(std::memory_order_relaxed) != 0) return false;
      sincePoll = 0;
    }
    int32_t same = 0;
    while (i + same < n && j + same < m && a[i + same] == b[j + same]) ++same;
    if (same > 0) {
      AddMatch(runs, offset + i, offset + j, same);
      i += same;
      j += same;
      sincePoll += same;
      continue;
    }
    const int32_t wa = std::min(kWindow, n - i);
    const int32_t wb = std::min(kWindow, m - j);
    const bool lastA = i + wa == n;
    const bool lastB = j + wb == m;
    std::memset(changedA, 0, static_cast<size_t>(wa) + 1);
    std::memset(changedB, 0, static_cast<size_t>(wb) + 1);
    WorkBudget budget(kWindowBudget);
    MyersSearch<ByteSequences> search({a + i, b + j}, diag_, changedA, changedB, nullptr,
                                      &budget);
    const bool found = search.Compare(0, 0, wa, wb);
    sincePoll += wa + wb;
    std::pair<int32_t, int32_t> end{0, 0};
    if (found) {
      end = CollectMatches(changedA, wa, changedB, wb, 0, lastA ? wa : wa / 2,
                           lastB ? wb : wb / 2, &pending_);
      for (const MatchRun& r : pending_) AddMatch(runs, offset + i + r.p, offset + j + r.q, r.length);
      pending_.clear();
      if (lastA && lastB) break;
    }
    if (end.first + end.second >= kWindow / 2) {
      i += end.first;
      j += end.second;
    } else {
      i += std::max({end.first, wa / 2, 1});
      j += std::max({end.second, wb / 2, 1});
    }
  }
  return true;
}

Similarity LineMatcher::Compare(const char* left, uint32_t rawL, const char* right,
                                uint32_t rawR, std::unique_ptr<uint8_t[]>* leftHighlight,
                                std::unique_ptr<uint8_t[]>* rightHighlight) {
  if (!options_.CompareChanges) return Similarity::Different;
  runs_.clear();
  try {
    NormalizeLine(left, rawL, options_, &left_);
    NormalizeLine(right, rawR, options_, &right_);
    if (!DiffCharacters(left_.chars, static_cast<int32_t>(left_.count), right_.chars,
                        static_cast<int32_t>(right_.count), &runs_)) {
      return Similarity::Aborted;
    }
  } catch (const std::bad_alloc&) {
    // Without comparable characters there are no matches and no marks.
    // The memory goes back too (assigning {} to a vector keeps it).
    left_ = {};
    right_ = {};
    decltype(runs_)().swap(runs_);
    diag_ = {};
    decltype(changed_)().swap(changed_);
  }

  const uint64_t total = static_cast<uint64_t>(rawL) + rawR;
  const uint32_t fragment = options_.FragmentSize;
  bool similar = rawL < 2 || rawR < 2 || total <= 2 * static_cast<uint64_t>(fragment);
  if (!similar) {
    // 64-bit: lines of some megabytes would overflow 32-bit products.
    const uint64_t percent = MatchedInFragments(runs_, fragment) * 200 / total;
    similar = static_cast<int64_t>(percent) >= static_cast<int64_t>(options_.MatchPercent);
  }
  if (!similar) return Similarity::Different;

  auto lh = ZeroedArray(rawL);
  auto rh = ZeroedArray(rawR);
  if (lh && rh) {
    MarkComparable(left_, lh.get());
    MarkComparable(right_, rh.get());
    for (const MatchRun& r : runs_) {
      for (int32_t k = 0; k < r.length; ++k) {
        lh[left_.Position(r.p + k)] = 0;
        rh[right_.Position(r.q + k)] = 0;
      }
    }
  }
  *leftHighlight = std::move(lh);
  *rightHighlight = std::move(rh);
  return Similarity::Similar;
}

}  // namespace qm
