#include "engine/changed_lines.h"

#include <new>

#include "engine/diff_list.h"
#include "engine/myers.h"

namespace qm {

namespace {

inline bool IsBlank(unsigned char c) { return c == ' ' || (c >= 0x09 && c <= 0x0D); }

// Total length of the runs of consecutive matched pairs that are at least
// fragment long; shorter runs count nothing.
uint64_t MatchedInFragments(const std::vector<std::pair<int32_t, int32_t>>& pairs,
                            uint32_t fragment) {
  uint64_t run = 0;
  uint64_t matched = 0;
  int32_t prevP = -1;
  int32_t prevQ = -1;
  for (const auto& [p, q] : pairs) {
    if (p == prevP + 1 && q == prevQ + 1) {
      ++run;
      if (run == fragment) {
        matched += fragment;
      } else if (run > fragment) {
        ++matched;
      }
    } else {
      run = 1;
    }
    prevP = p;
    prevQ = q;
  }
  return matched;
}

std::unique_ptr<uint8_t[]> ZeroedArray(uint32_t size) {
  return std::unique_ptr<uint8_t[]>(new (std::nothrow) uint8_t[size]());
}

}  // namespace

void LineMatcher::NormalizeLine(const char* raw, uint32_t length, const CompareOptions& options,
                                Normalized* out) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(raw);
  const uint32_t blanks = options.IgnoreBlanks2;
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
  out->chars.clear();
  out->positions.clear();
  out->chars.reserve(end - start);
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
    out->chars.push_back(c);
    out->positions.push_back(i);
  }
}

bool LineMatcher::DiffCharacters(const uint8_t* a, int32_t n, const uint8_t* b, int32_t m,
                                 std::vector<std::pair<int32_t, int32_t>>* pairs) {
  pairs->clear();
  try {
    diag_.Allocate(0, 0, n, m);
    changed_.assign(static_cast<size_t>(n) + static_cast<size_t>(m) + 2, 0);
  } catch (const std::bad_alloc&) {
    // Without the working storage nothing matches: every character differs.
    diag_ = DiagonalStorage();
    changed_ = {};
    return true;
  }
  uint8_t* changedA = changed_.data();
  uint8_t* changedB = changedA + n + 1;
  MyersSearch<ByteSequences> search({a, b}, diag_, changedA, changedB, cancel_);
  if (!search.Compare(0, 0, n, m)) return false;
  int32_t i = 0;
  int32_t j = 0;
  while (i < n || j < m) {
    while (i < n && changedA[i]) ++i;
    while (j < m && changedB[j]) ++j;
    if (i < n && j < m) pairs->emplace_back(i, j);
    ++i;
    ++j;
  }
  return true;
}

Similarity LineMatcher::Compare(const char* left, uint32_t rawL, const char* right,
                                uint32_t rawR, std::unique_ptr<uint8_t[]>* leftHighlight,
                                std::unique_ptr<uint8_t[]>* rightHighlight) {
  if (!options_.CompareChanges) return Similarity::Different;
  pairs_.clear();
  try {
    NormalizeLine(left, rawL, options_, &left_);
    NormalizeLine(right, rawR, options_, &right_);
    if (!DiffCharacters(left_.chars.data(), static_cast<int32_t>(left_.chars.size()),
                        right_.chars.data(), static_cast<int32_t>(right_.chars.size()),
                        &pairs_)) {
      return Similarity::Aborted;
    }
  } catch (const std::bad_alloc&) {
    // Without comparable characters there are no matches and no marks.
    left_ = {};
    right_ = {};
    pairs_ = {};
  }

  const uint64_t total = static_cast<uint64_t>(rawL) + rawR;
  const uint32_t fragment = options_.FragmentSize;
  bool similar = rawL < 2 || rawR < 2 || total <= 2 * static_cast<uint64_t>(fragment);
  if (!similar) {
    // 64-bit: lines of some megabytes would overflow 32-bit products.
    const uint64_t percent = MatchedInFragments(pairs_, fragment) * 200 / total;
    similar = static_cast<int64_t>(percent) >= static_cast<int64_t>(options_.MatchPercent);
  }
  if (!similar) return Similarity::Different;

  auto lh = ZeroedArray(rawL);
  auto rh = ZeroedArray(rawR);
  if (lh && rh) {
    for (uint32_t pos : left_.positions) lh[pos] = kHighlightBit;
    for (uint32_t pos : right_.positions) rh[pos] = kHighlightBit;
    for (const auto& [p, q] : pairs_) {
      lh[left_.positions[static_cast<size_t>(p)]] = 0;
      rh[right_.positions[static_cast<size_t>(q)]] = 0;
    }
  }
  *leftHighlight = std::move(lh);
  *rightHighlight = std::move(rh);
  return Similarity::Similar;
}

}  // namespace qm
