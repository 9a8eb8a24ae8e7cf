#include "engine/line_search.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/myers.h"

namespace qm {

namespace {

// Searches of at least this many lines (both sides) run the two halves of
// their first split on two threads: below that a thread costs more than it
// saves, and LocalRecompare's few rows never pay for one.
constexpr int64_t kTwoThreadLines = 50000;
// The search asks for line ids ahead of time only when both sides' ids
// (4 bytes a line) outgrow a large last-level cache; below that the requests
// cost more instructions than the misses they save.
constexpr int64_t kPrefetchLines = int64_t{1} << 22;
// The increasing-subsequence search is taken when the matching line pairs
// number at most this many per line: its memory is one link per pair at
// worst, and past that the shortest-edit search is the cheaper one.
constexpr int64_t kPairsPerLine = 4;
// A search whose least work is above this share of its budget may not
// fit it: the cheap search runs first to learn the true number of edits.
constexpr int64_t kDoubtful = 16;
// Past this many lines (both sides) a unit of search work costs more: the
// line ids and the diagonals no longer fit any cache, and every step of a
// snake is a miss. The budget shrinks in proportion so that it still
// stands for about the same time (measured: 4M-line texts at 1 % changed
// take 3.6 ns a unit, small ones about 1 ns).
constexpr int64_t kCachedLines = int64_t{1} << 21;
constexpr int64_t kMaxUnitCost = 8;
// How many lines a loop without other cancel points walks between polls.
constexpr int32_t kPollEvery = 1 << 14;

bool Cancelled(const CancelFlag* cancel) {
  return cancel && cancel->load(std::memory_order_relaxed) != 0;
}

// The shortest-edit search over a and b; budget may be null.
bool ShortestEditSearch(const uint32_t* a, int32_t n, const uint32_t* b, int32_t m,
                        uint8_t* changedA, uint8_t* changedB, WorkBudget* budget,
                        const CancelFlag* cancel) {
  DiagonalStorage diagonals;
  diagonals.Allocate(0, 0, n, m);
  const LineSequences seq{a, b, static_cast<int64_t>(n) + m >= kPrefetchLines};
  MyersSearch<LineSequences> search(seq, diagonals, changedA, changedB, cancel, budget);
  return static_cast<int64_t>(n) + m >= kTwoThreadLines ? search.CompareOnTwoThreads(0, 0, n, m)
                                                        : search.Compare(0, 0, n, m);
}

// The lines of one side that have an equal on the other side: their ids,
// and where each is in the whole side. The others are marked changed.
struct Matchable {
  std::vector<uint32_t> ids;
  std::vector<int32_t> line;
};

void SetAside(const uint32_t* ids, int32_t n, const std::vector<int32_t>& otherCount,
              uint8_t* changed, Matchable* kept) {
  // Room for every line at once: usually most are kept, and growing by
  // doubling would hold up to twice that at the comparison's peak.
  kept->ids.reserve(static_cast<size_t>(n));
  kept->line.reserve(static_cast<size_t>(n));
  for (int32_t i = 0; i < n; ++i) {
    if (otherCount[ids[i]] > 0) {
      kept->ids.push_back(ids[i]);
      kept->line.push_back(i);
    } else {
      changed[i] = 1;
    }
  }
}

// A longest common subsequence as a longest increasing subsequence over
// the matching pairs (i, j), taken row by row with j falling, so no row
// gives two pairs. tails[k] is the smallest j that ends a common
// subsequence of k + 1 pairs; each improvement records a link back to the
// subsequence it extends. Marks changed every element outside the one
// found; false when cancelled.
bool IncreasingSubsequenceSearch(const uint32_t* a, int32_t n, const uint32_t* b, int32_t m,
                                 uint32_t idLimit, uint8_t* changedA, uint8_t* changedB,
                                 const CancelFlag* cancel) {
  // The positions in b of each id, in order: id's at where[first[id], first[id + 1]).
  std::vector<int32_t> first(static_cast<size_t>(idLimit) + 1, 0);
  for (int32_t j = 0; j < m; ++j) ++first[b[j] + 1];
  for (size_t id = 1; id < first.size(); ++id) first[id] += first[id - 1];
  std::vector<int32_t> where(static_cast<size_t>(m));
  {
    std::vector<int32_t> next(first.begin(), first.end() - 1);
    for (int32_t j = 0; j < m; ++j) where[static_cast<size_t>(next[b[j]]++)] = j;
  }

  struct Link {
    int32_t i;
    int32_t j;
    int32_t previous;  // the link this one extends, or -1
  };
  std::vector<Link> links;
  std::vector<int32_t> tails;
  std::vector<int32_t> tailLink;
  for (int32_t i = 0; i < n; ++i) {
    if (i % kPollEvery == 0 && Cancelled(cancel)) return false;
    const uint32_t id = a[i];
    for (int32_t p = first[id + 1]; p-- > first[id];) {
      const int32_t j = where[static_cast<size_t>(p)];
      const auto at = std::lower_bound(tails.begin(), tails.end(), j);
      if (at != tails.end() && *at == j) continue;
      const size_t k = static_cast<size_t>(at - tails.begin());
      const int32_t link = static_cast<int32_t>(links.size());
      links.push_back({i, j, k > 0 ? tailLink[k - 1] : -1});
      if (at == tails.end()) {
        tails.push_back(j);
        tailLink.push_back(link);
      } else {
        *at = j;
        tailLink[k] = link;
      }
    }
  }
  std::memset(changedA, 1, static_cast<size_t>(n));
  std::memset(changedB, 1, static_cast<size_t>(m));
  for (int32_t l = tailLink.empty() ? -1 : tailLink.back(); l >= 0;
       l = links[static_cast<size_t>(l)].previous) {
    changedA[links[static_cast<size_t>(l)].i] = 0;
    changedB[links[static_cast<size_t>(l)].j] = 0;
  }
  return true;
}

// The search past the budget. A line whose id does not occur on the other
// side is in no common subsequence, so setting such lines aside changes
// the longest common subsequence not at all: what is left is solved
// exactly, by increasing subsequence when the matching pairs are few, and
// the marks are carried back to the whole sides.
bool MatchableLinesSearch(const uint32_t* a, int32_t n, const uint32_t* b, int32_t m,
                          uint32_t idLimit, uint8_t* changedA, uint8_t* changedB,
                          const CancelFlag* cancel) {
  Matchable kept[2];
  {
    std::vector<int32_t> count[2];
    count[0].assign(idLimit, 0);
    count[1].assign(idLimit, 0);
    for (int32_t i = 0; i < n; ++i) ++count[0][a[i]];
    for (int32_t j = 0; j < m; ++j) ++count[1][b[j]];
    SetAside(a, n, count[1], changedA, &kept[0]);
    SetAside(b, m, count[0], changedB, &kept[1]);
  }
  if (Cancelled(cancel)) return false;
  const int32_t kn = static_cast<int32_t>(kept[0].ids.size());
  const int32_t km = static_cast<int32_t>(kept[1].ids.size());
  std::vector<uint8_t> flags(static_cast<size_t>(kn) + static_cast<size_t>(km) + 2, 0);
  uint8_t* keptA = flags.data();
  uint8_t* keptB = keptA + kn + 1;

  // The matching pairs: for each kept line of a, the kept lines of b with its id.
  std::vector<int64_t> countB(idLimit, 0);
  for (uint32_t id : kept[1].ids) ++countB[id];
  int64_t pairs = 0;
  for (uint32_t id : kept[0].ids) pairs += countB[id];
  std::vector<int64_t>().swap(countB);  // freed before the search needs its memory
  const bool done =
      pairs <= kPairsPerLine * (static_cast<int64_t>(kn) + km)
          ? IncreasingSubsequenceSearch(kept[0].ids.data(), kn, kept[1].ids.data(), km, idLimit,
                                        keptA, keptB, cancel)
          : ShortestEditSearch(kept[0].ids.data(), kn, kept[1].ids.data(), km, keptA, keptB,
                               nullptr, cancel);
  if (!done) return false;
  for (int32_t k = 0; k < kn; ++k) {
    if (keptA[k]) changedA[kept[0].line[static_cast<size_t>(k)]] = 1;
  }
  for (int32_t k = 0; k < km; ++k) {
    if (keptB[k]) changedB[kept[1].line[static_cast<size_t>(k)]] = 1;
  }
  return true;
}

// What the shortest-edit search of a against b faces once it has stripped
// the common ends: rows by columns, and at least edits edits, since a
// common subsequence holds at most min(count in a, count in b) lines of
// each id.
struct SearchBox {
  int64_t rows;
  int64_t columns;
  int64_t edits;
};

SearchBox BoxOf(const uint32_t* a, int32_t n, const uint32_t* b, int32_t m, uint32_t idLimit) {
  int32_t x0 = 0;
  while (x0 < n && x0 < m && a[x0] == b[x0]) ++x0;
  int32_t x1 = n;
  int32_t y1 = m;
  while (x1 > x0 && y1 > x0 && a[x1 - 1] == b[y1 - 1]) {
    --x1;
    --y1;
  }
  std::vector<int32_t> count(idLimit, 0);
  for (int32_t i = x0; i < x1; ++i) ++count[a[i]];
  int64_t common = 0;
  for (int32_t j = x0; j < y1; ++j) {
    if (count[b[j]] > 0) {
      --count[b[j]];
      ++common;
    }
  }
  const int64_t rows = x1 - x0;
  const int64_t columns = y1 - x0;
  return {rows, columns, rows + columns - 2 * common};
}

// A lower bound of the work the search of a box with the given number of
// edits draws from its budget. The first middle snake alone needs
// (edits - 1) / 2 pairs of passes, and in pass pair k each direction
// sweeps at least min(k, min(rows, columns)) + 1 diagonals.
int64_t LeastSearchWork(const SearchBox& box, int64_t edits) {
  const int64_t passes = edits > 0 ? (edits - 1) / 2 : 0;
  const int64_t widest = std::min(box.rows, box.columns);
  // Twice the sum over k = 1 .. passes of min(k, widest).
  const int64_t ramp = std::min(passes, widest);
  return ramp * (ramp + 1) + 2 * (passes - ramp) * widest;
}

}  // namespace

SearchBudgets DefaultSearchBudgets() { return {int64_t{1} << 30, int64_t{1} << 24}; }

bool MarkChangedLines(const uint32_t* a, int32_t n, const uint32_t* b, int32_t m,
                      uint32_t idLimit, uint8_t* changedA, uint8_t* changedB,
                      int64_t budget, const CancelFlag* cancel) {
  const SearchBox box = BoxOf(a, n, b, m, idLimit);
  budget /= std::clamp((static_cast<int64_t>(n) + m) / kCachedLines, int64_t{1}, kMaxUnitCost);
  if (LeastSearchWork(box, box.edits) > budget) {
    return MatchableLinesSearch(a, n, b, m, idLimit, changedA, changedB, cancel);
  }
  if (LeastSearchWork(box, box.edits) > budget / kDoubtful) {
    // The search may well not fit: solve the cheap way first, and search
    // only when the true number of edits lets the search finish in time.
    if (!MatchableLinesSearch(a, n, b, m, idLimit, changedA, changedB, cancel)) return false;
    int64_t edits = 0;
    for (int32_t i = 0; i < n; ++i) edits += changedA[i];
    for (int32_t j = 0; j < m; ++j) edits += changedB[j];
    if (LeastSearchWork(box, edits) > budget) return true;
    std::vector<uint8_t> cheap(changedA, changedA + n);
    cheap.insert(cheap.end(), changedB, changedB + m);
    std::memset(changedA, 0, static_cast<size_t>(n) + 1);
    std::memset(changedB, 0, static_cast<size_t>(m) + 1);
    WorkBudget work(budget);
    if (ShortestEditSearch(a, n, b, m, changedA, changedB, &work, cancel)) return true;
    if (Cancelled(cancel)) return false;
    std::memcpy(changedA, cheap.data(), static_cast<size_t>(n));
    std::memcpy(changedB, cheap.data() + n, static_cast<size_t>(m));
    changedA[n] = 0;
    changedB[m] = 0;
    return true;
  }
  WorkBudget work(budget);
  if (ShortestEditSearch(a, n, b, m, changedA, changedB, &work, cancel)) return true;
  if (Cancelled(cancel)) return false;
  // The budget is spent (the search stops for nothing else).
  std::memset(changedA, 0, static_cast<size_t>(n) + 1);
  std::memset(changedB, 0, static_cast<size_t>(m) + 1);
  return MatchableLinesSearch(a, n, b, m, idLimit, changedA, changedB, cancel);
}

}  // namespace qm
