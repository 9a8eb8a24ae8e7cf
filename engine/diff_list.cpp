#include "engine/diff_list.h"

#include <algorithm>
#include <iterator>
#include <new>
#include <utility>

#include "engine/platform.h"
#include "engine/text_doc.h"

namespace qm {

namespace {

// A forward search looks at this many rows one by one before it switches to
// a binary search: hints are usually close, offsets may only be trusted to
// be ordered once the caller has shifted them.
constexpr int32_t kLinearProbe = 32;

// First row in [lo, hi) whose offset on side is above offset, or hi.
// Offsets are non-decreasing along the rows.
int32_t UpperBound(const DiffList& list, int side, uint32_t offset, int32_t lo, int32_t hi) {
  while (lo < hi) {
    const int32_t mid = lo + (hi - lo) / 2;
    if (list.Row(mid).Offset(side) <= offset) {
      lo = mid + 1;
    } else {
      hi = mid;
    }
  }
  return lo;
}

}  // namespace

DiffList::DiffList() = default;

DiffList::~DiffList() { ClearRows(); }

void DiffList::AppendRow(RowKind kind, uint32_t leftOffset, uint32_t rightOffset,
                         std::unique_ptr<uint8_t[]> leftHighlight,
                         std::unique_ptr<uint8_t[]> rightHighlight) {
  // Without memory for the pair, the row shows without marks, as it does
  // when the marks themselves could not be had.
  std::unique_ptr<RowHighlights> highlights;
  if (leftHighlight || rightHighlight) {
    highlights.reset(new (std::nothrow) RowHighlights);
    if (highlights) {
      highlights->side[0] = std::move(leftHighlight);
      highlights->side[1] = std::move(rightHighlight);
    }
  }
  DiffRow& row = rows.emplace_back();
  row.kind = kind;
  row.leftOffset = leftOffset;
  row.rightOffset = rightOffset;
  row.highlights = std::move(highlights);
}

// Gives the memory back too: a list of millions of rows is cleared when a
// comparison fails, and the single row that follows needs none of it.
void DiffList::ClearRows() { std::vector<DiffRow>().swap(rows); }

void DiffList::ReserveRows(int32_t count) {
  if (count <= 0) return;
  rows.reserve(static_cast<size_t>(count));
  AdviseLargeBuffer(rows.data(), rows.capacity() * sizeof(DiffRow));
}

void DiffList::AttachDocuments(const TextDoc* left, const TextDoc* right) {
  docs_[0] = left;
  docs_[1] = right;
}

uint32_t DiffList::RowEnd(int side, int32_t row, const TextDoc& doc) const {
  return row + 1 < RowCount() ? Row(row + 1).Offset(side) : doc.Length();
}

uint32_t DiffList::RowLength(int side, int32_t row, const TextDoc& doc) const {
  return RowEnd(side, row, doc) - Row(row).Offset(side);
}

bool DiffList::RowEndsWithLF(int side, int32_t row, const TextDoc& doc) const {
  const uint32_t end = RowEnd(side, row, doc);
  return end > Row(row).Offset(side) && doc.ByteAt(end - 1) == '\n';
}

uint32_t DiffList::RowTextLength(int side, int32_t row, const TextDoc& doc) const {
  return RowLength(side, row, doc) - (RowEndsWithLF(side, row, doc) ? 1 : 0);
}

bool DiffList::IsFiller(int side, int32_t row) const {
  if (row < 0 || row >= RowCount()) return false;
  return Kind(row) == (side == 0 ? RowKind::RightOnly : RowKind::LeftOnly);
}

void DiffList::NumberRows(int32_t fromRow, int32_t toRow) {
  const int32_t count = toRow < RowCount() ? toRow + 1 : RowCount();
  if (fromRow < 0) fromRow = 0;
  int32_t left = 0;
  int32_t right = 0;
  // Continue from the last real line of each side before fromRow.
  for (int32_t r = fromRow - 1; r >= 0 && (left == 0 || right == 0); --r) {
    const DiffRow& row = Row(r);
    if (left == 0 && row.leftLine >= 0) left = row.leftLine + 1;
    if (right == 0 && row.rightLine >= 0) right = row.rightLine + 1;
  }
  for (int32_t r = fromRow; r < count; ++r) {
    DiffRow& row = rows[static_cast<size_t>(r)];
    row.leftLine = row.kind != RowKind::RightOnly ? left++ : -1;
    row.rightLine = row.kind != RowKind::LeftOnly ? right++ : -1;
  }
}

void DiffList::CountDifferences() {
  int32_t runs = 0;
  int32_t lines = 0;
  RowKind prev = RowKind::Same;
  for (const DiffRow& row : rows) {
    const RowKind kind = row.kind;
    if (kind != prev) {
      prev = kind;
      if (kind != RowKind::Same) ++runs;
    }
    if (kind != RowKind::Same) ++lines;
  }
  diffCount = runs;
  diffLineCount = lines;
}

void DiffList::ShiftOffsets(int side, int32_t fromRow, int64_t delta) {
  const uint32_t add = static_cast<uint32_t>(delta);
  const size_t count = rows.size();
  size_t r = fromRow < 0 ? 0 : static_cast<size_t>(fromRow);
  if (side == 0) {
    for (; r < count; ++r) rows[r].leftOffset += add;
  } else {
    for (; r < count; ++r) rows[r].rightOffset += add;
  }
}

int32_t DiffList::FindRowByOffset(int side, uint32_t offset, int32_t hintRow) const {
  const int32_t count = RowCount();
  if (count == 0) return -1;
  int32_t hint = std::clamp(hintRow, int32_t{0}, count - 1);
  if (offset >= Row(hint).Offset(side)) {
    const int32_t probeEnd = std::min(count, hint + 1 + kLinearProbe);
    for (int32_t r = hint + 1; r < probeEnd; ++r) {
      if (Row(r).Offset(side) > offset) return r - 1;
    }
    if (probeEnd == count) return count - 1;
    return UpperBound(*this, side, offset, probeEnd, count) - 1;
  }
  const int32_t probeEnd = std::max(0, hint - 1 - kLinearProbe);
  for (int32_t r = hint - 1; r > probeEnd; --r) {
    if (Row(r).Offset(side) <= offset) return r;
  }
  if (probeEnd == 0) return 0;
  return std::max(0, UpperBound(*this, side, offset, 0, probeEnd + 1) - 1);
}

int32_t DiffList::FindRowFromStart(int side, uint32_t offset) const {
  const int32_t count = RowCount();
  if (count == 0) return -1;
  // The first row whose offset equals the offset, else the last row below it.
  int32_t lo = 0;
  int32_t hi = count;
  while (lo < hi) {
    const int32_t mid = lo + (hi - lo) / 2;
    if (Row(mid).Offset(side) < offset) {
      lo = mid + 1;
    } else {
      hi = mid;
    }
  }
  if (lo < count && Row(lo).Offset(side) == offset) return lo;
  return std::max(0, lo - 1);
}

void DiffList::SwapSides() {
  for (DiffRow& row : rows) {
    if (row.kind == RowKind::LeftOnly) {
      row.kind = RowKind::RightOnly;
    } else if (row.kind == RowKind::RightOnly) {
      row.kind = RowKind::LeftOnly;
    }
    std::swap(row.leftOffset, row.rightOffset);
    std::swap(row.leftLine, row.rightLine);
    if (row.highlights) std::swap(row.highlights->side[0], row.highlights->side[1]);
  }
}

int DiffList::SpliceRows(int32_t first, int32_t last, DiffList& source) {
  const int32_t n = last - first + 1;
  const int32_t m = source.RowCount();
  const int32_t k = std::min(n, m);
  if (m > n) {
    // Made room for before anything moves, so a failed allocation leaves
    // both lists as they were. Growing by an eighth besides keeps a run of
    // edits that each add a line from copying every row each time.
    const size_t want = rows.size() + static_cast<size_t>(m - n);
    if (want > rows.capacity()) rows.reserve(want + rows.size() / 8);
  }
  int state = 0;
  for (int32_t i = 0; i < k; ++i) {
    DiffRow& old = rows[static_cast<size_t>(first + i)];
    DiffRow& fresh = source.rows[static_cast<size_t>(i)];
    if (state < 2) {
      if (!RowsEqual(old, fresh)) {
        state = 2;
      } else if (fresh.kind == RowKind::Changed) {
        state = 1;
      }
      if (state < 2) {
        fresh.leftLine = old.leftLine;
        fresh.rightLine = old.rightLine;
      }
    }
    old = std::move(fresh);
  }
  const auto at = rows.begin() + (first + k);
  if (n > m) {
    rows.erase(at, at + (n - k));
    state = 2;
  } else if (m > n) {
    rows.insert(at, std::make_move_iterator(source.rows.begin() + k),
                std::make_move_iterator(source.rows.end()));
    state = 2;
  }
  source.ClearRows();
  return state;
}

uint32_t DiffList::BlockEnd(int side, int32_t row) const {
  if (row + 1 < RowCount()) return Row(row + 1).Offset(side);
  return docs_[side] ? docs_[side]->Length() : Row(row).Offset(side);
}

DiffBlock DiffList::BlockAt(int32_t row, bool wholeRun) const {
  DiffBlock block;
  const int32_t count = RowCount();
  if (row < 0 || row >= count) return block;
  block.kind = Kind(row);
  block.firstRow = block.lastRow = row;
  if (wholeRun) {
    while (block.firstRow > 0 && Kind(block.firstRow - 1) == block.kind) --block.firstRow;
    while (block.lastRow + 1 < count && Kind(block.lastRow + 1) == block.kind) ++block.lastRow;
  }
  block.leftStart = Row(block.firstRow).leftOffset;
  block.rightStart = Row(block.firstRow).rightOffset;
  block.leftEnd = BlockEnd(0, block.lastRow);
  block.rightEnd = BlockEnd(1, block.lastRow);
  return block;
}

// Scans rows from..to (either direction, inclusive) for the first row that
// is not Same and returns its whole run.
bool DiffList::ScanForDifference(int32_t from, int32_t to, DiffBlock* block) const {
  const int32_t step = from <= to ? 1 : -1;
  for (int32_t r = from; r != to + step; r += step) {
    if (Kind(r) != RowKind::Same) {
      if (block) *block = BlockAt(r, true);
      return true;
    }
  }
  return false;
}

bool DiffList::NextDifference(int32_t row, bool wrapAround, DiffBlock* block) const {
  const DiffBlock b = BlockAt(row, true);
  if (b.firstRow < 0) return false;
  if (b.lastRow + 1 <= RowCount() - 1 &&
      ScanForDifference(b.lastRow + 1, RowCount() - 1, block)) {
    return true;
  }
  if (wrapAround && b.firstRow > 0 && ScanForDifference(0, b.firstRow - 1, block)) return true;
  if (b.kind != RowKind::Same) {
    if (block) *block = b;
    return true;
  }
  return false;
}

bool DiffList::PreviousDifference(int32_t row, bool wrapAround, DiffBlock* block) const {
  const DiffBlock b = BlockAt(row, true);
  if (b.firstRow < 0) return false;
  if (b.firstRow > 0 && ScanForDifference(b.firstRow - 1, 0, block)) return true;
  if (wrapAround && b.lastRow + 1 <= RowCount() - 1 &&
      ScanForDifference(RowCount() - 1, b.lastRow + 1, block)) {
    return true;
  }
  if (b.kind != RowKind::Same) {
    if (block) *block = b;
    return true;
  }
  return false;
}

bool DiffList::NearestDifference(int32_t row, bool wrapAround, DiffBlock* block) const {
  if (row < 0 || row >= RowCount()) return false;
  if (Kind(row) != RowKind::Same) {
    if (block) *block = BlockAt(row, true);
    return true;
  }
  DiffBlock prev;
  DiffBlock next;
  const bool hasPrev = PreviousDifference(row, wrapAround, &prev) && prev.lastRow < row;
  const bool hasNext = NextDifference(row, wrapAround, &next) && next.firstRow > row;
  if (!hasPrev && !hasNext) return false;
  const bool takeNext = !hasPrev || (hasNext && row - prev.lastRow > next.firstRow - row);
  if (block) *block = takeNext ? next : prev;
  return true;
}

bool RowsEqual(const DiffRow& a, const DiffRow& b) {
  return a.kind == b.kind && a.leftOffset == b.leftOffset && a.rightOffset == b.rightOffset;
}

}  // namespace qm
