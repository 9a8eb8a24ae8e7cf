// DiffList: the display rows of one text comparison, in display order.
//
// Each row is one virtual line: the same line on both sides, a line on one
// side with a filler opposite, or a pair of similar lines with per-byte
// highlight marks. A row's line on a side runs from its offset to RowEnd.
// Invariants (of any list a window shows): at least one row; each side's
// offsets never decrease; each side's real line numbers count up by one over
// the rows that are not fillers on that side.
// Ownership: the list owns its rows, held by value in one array (a row per
// display line of a file of millions of lines: one heap block per row would
// cost more than the row itself); a changed row owns its two highlight
// arrays, through one pointer so that the rows of other kinds stay small.
// References to rows do not survive AppendRow, SpliceRows or ClearRows.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace qm {

class TextDoc;

enum class RowKind : uint32_t { Same = 0, LeftOnly = 1, RightOnly = 2, Changed = 3 };

// Highlight byte flag: the character at this position differs.
constexpr uint8_t kHighlightBit = 0x80;

// The per-byte marks of a changed row's two lines; either may be null.
struct RowHighlights {
  std::unique_ptr<uint8_t[]> side[2];
};

struct DiffRow {
  RowKind kind = RowKind::Same;
  uint32_t leftOffset = 0;
  uint32_t rightOffset = 0;
  int32_t leftLine = -1;
  int32_t rightLine = -1;
  std::unique_ptr<RowHighlights> highlights;  // Changed rows only; may be null

  uint32_t Offset(int side) const { return side == 0 ? leftOffset : rightOffset; }
  uint32_t& Offset(int side) { return side == 0 ? leftOffset : rightOffset; }
  int32_t Line(int side) const { return side == 0 ? leftLine : rightLine; }
  const uint8_t* Highlight(int side) const {
    return highlights ? highlights->side[side].get() : nullptr;
  }
};

// A run of rows of one kind around a row; "a difference" is a run whose
// kind is not Same. Computed on demand, never stored.
struct DiffBlock {
  RowKind kind = RowKind::Same;
  int32_t firstRow = -1;
  int32_t lastRow = -1;
  uint32_t leftStart = 0;
  uint32_t rightStart = 0;
  uint32_t leftEnd = 0;
  uint32_t rightEnd = 0;
  // The block's text on a side runs from Start to End.
  uint32_t Start(int side) const { return side == 0 ? leftStart : rightStart; }
  uint32_t End(int side) const { return side == 0 ? leftEnd : rightEnd; }
};

class DiffList {
public:
  DiffList();
  ~DiffList();
  DiffList(const DiffList&) = delete;
  DiffList& operator=(const DiffList&) = delete;

  // Row storage.
  void AppendRow(RowKind kind, uint32_t leftOffset, uint32_t rightOffset,
                 std::unique_ptr<uint8_t[]> leftHighlight = nullptr,
                 std::unique_ptr<uint8_t[]> rightHighlight = nullptr);
  void ClearRows();
  // Room for count rows in all, so appending up to that many allocates
  // nothing more. Throws std::bad_alloc (the rows are unchanged).
  void ReserveRows(int32_t count);
  int32_t RowCount() const { return static_cast<int32_t>(rows.size()); }
  const DiffRow& Row(int32_t row) const { return rows[static_cast<size_t>(row)]; }
  DiffRow& Row(int32_t row) { return rows[static_cast<size_t>(row)]; }
  RowKind Kind(int32_t row) const { return Row(row).kind; }

  // Ends and lengths of a row's line on a side; doc is that side's document
  // (its length ends the last row).
  uint32_t RowEnd(int side, int32_t row, const TextDoc& doc) const;
  uint32_t RowLength(int side, int32_t row, const TextDoc& doc) const;
  bool RowEndsWithLF(int side, int32_t row, const TextDoc& doc) const;
  uint32_t RowTextLength(int side, int32_t row, const TextDoc& doc) const;
  bool IsFiller(int side, int32_t row) const;

  // The documents the rows point into (borrowed, may be null): BlockAt ends
  // the last row with their lengths. Without them the last row of a block
  // ends at its own offset. CompareState attaches its two documents.
  void AttachDocuments(const TextDoc* left, const TextDoc* right);

  // Maintenance. NumberRows(from, to) renumbers rows from..to (to the end
  // by default), continuing the numbers of the rows before.
  void NumberRows(int32_t fromRow = 0, int32_t toRow = INT32_MAX);
  void CountDifferences();
  void ShiftOffsets(int side, int32_t fromRow, int64_t delta);
  int32_t FindRowByOffset(int side, uint32_t offset, int32_t hintRow) const;
  int32_t FindRowFromStart(int side, uint32_t offset) const;
  void SwapSides();
  // Replaces rows first..last by every row of source (left empty).
  // 0 same layout, 1 same layout with highlights that may differ, 2 changed layout.
  // Throws std::bad_alloc when more rows do not fit; both lists are then
  // unchanged.
  int SpliceRows(int32_t first, int32_t last, DiffList& source);

  // Navigation. wrapAround is the WrapAround setting of the caller.
  DiffBlock BlockAt(int32_t row, bool wholeRun) const;
  bool NextDifference(int32_t row, bool wrapAround, DiffBlock* block) const;
  bool PreviousDifference(int32_t row, bool wrapAround, DiffBlock* block) const;
  bool NearestDifference(int32_t row, bool wrapAround, DiffBlock* block) const;

  std::vector<DiffRow> rows;
  int32_t diffCount = 0;
  int32_t diffLineCount = 0;

private:
  uint32_t BlockEnd(int side, int32_t row) const;
  bool ScanForDifference(int32_t from, int32_t to, DiffBlock* block) const;

  const TextDoc* docs_[2] = {nullptr, nullptr};
};

bool RowsEqual(const DiffRow& a, const DiffRow& b);

}  // namespace qm
