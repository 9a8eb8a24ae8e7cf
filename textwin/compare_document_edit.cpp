// The edits, merges, undo and redo of a CompareDocument. Every change of a
// side's text goes through Splice, so the rows' offsets and the local
// re-alignment are done in one place; every recorded change goes through
// Apply or an undo or redo of a record, so the history always describes the
// texts as they are.
#include <algorithm>
#include <new>
#include <utility>

#include "textwin/compare_document.h"

namespace qm {
namespace {

std::string CopyText(const TextDoc& doc, uint32_t start, uint32_t end) {
  std::string text(end - start, '\0');
  if (end > start) doc.CopyOut(start, end, text.data());
  return text;
}

bool IsContinuationByte(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Fills a new record's active side and caret from what the view said.
void PlaceCaret(EditRecord& record, const CaretPlace& caret, uint32_t defaultCaret) {
  record.activeSide = caret.activeSide < 0 ? record.editedSide : caret.activeSide;
  if (caret.activeSide < 0) {
    record.caretAfter = record.anchorAfter = defaultCaret;
  } else {
    record.caretAfter = caret.caret;
    record.anchorAfter = caret.anchor;
  }
}

}  // namespace

bool CompareDocument::EditAllowed(int side, uint32_t offset, uint32_t count) const {
  const SideState& s = state_.side[side];
  const uint64_t end = static_cast<uint64_t>(offset) + count;
  if (s.readOnly || end > s.doc.Length()) return false;
  // Every side but a legacy one holds UTF-8: an edit must not cut a character.
  if (s.encoding == TextEncoding::Legacy) return true;
  if (offset < s.doc.Length() && IsContinuationByte(s.doc.ByteAt(offset))) return false;
  return end >= s.doc.Length() || !IsContinuationByte(s.doc.ByteAt(static_cast<uint32_t>(end)));
}

bool CompareDocument::Splice(int side, uint32_t offset, uint32_t count, const std::string& text,
                             int32_t firstRow, int32_t lastRow) {
  TextDoc& doc = state_.side[side].doc;
  DiffList& list = *state_.list;
  const uint32_t added = static_cast<uint32_t>(text.size());
  if (static_cast<uint64_t>(offset) + count > doc.Length()) return false;
  // Inserting first: when that fails nothing has changed yet.
  if (added > 0 && !doc.Insert(offset, text.data(), added)) return false;
  if (count > 0) doc.Delete(offset + added, count);

  // Rows up to r1 start at or before the edit and keep their offsets; rows
  // that started inside the removed bytes now start where the edit ends;
  // the rest move by the change in length.
  const int32_t r1 = list.FindRowByOffset(side, offset, 0);
  const int32_t r2 = list.FindRowByOffset(side, offset + count, r1);
  for (int32_t r = r1 + 1; r <= r2; ++r) list.Row(r).Offset(side) = offset + added;
  list.ShiftOffsets(side, r2 + 1, static_cast<int64_t>(added) - static_cast<int64_t>(count));

  int32_t first = r1;
  int32_t last = r2;
  if (firstRow >= 0) first = std::min(first, firstRow);
  if (lastRow >= 0) last = std::max(last, std::min(lastRow, list.RowCount() - 1));
  // Out of memory leaves rows that no longer match the text until the next
  // comparison; the text itself has changed, so the edit stands.
  lastRealignment_ = Recompare(first, last);
  Notify(DocumentChange::Edited, side);
  return true;
}

void CompareDocument::PushRecord(std::unique_ptr<EditRecord> record) {
  const int side = record->editedSide;
  const bool was = history_.IsModified(side);
  history_.Push(std::move(record));
  if (was != history_.IsModified(side)) Notify(DocumentChange::ModifiedState, side);
}

bool CompareDocument::ApplyRecord(const EditRecord& record, bool forward, int32_t firstRow,
                                  int32_t lastRow) {
  const int side = record.editedSide;
  // Forward the record's removed text gives way to its inserted text;
  // backward the other way round.
  const std::string& gone = forward ? record.removed : record.inserted;
  const std::string& back = forward ? record.inserted : record.removed;
  if (record.kind != EditKind::Drop || record.sourcePosition < 0) {
    return Splice(side, record.position, static_cast<uint32_t>(gone.size()), back, firstRow,
                  lastRow);
  }
  // A move within one side: the text leaves one place and arrives at the other.
  const uint32_t source = static_cast<uint32_t>(record.sourcePosition);
  const uint32_t from = forward ? source : record.position;
  const uint32_t to = forward ? record.position : source;
  if (!Splice(side, from, static_cast<uint32_t>(gone.size()), std::string())) return false;
  const int taken = lastRealignment_;
  if (Splice(side, to, 0, back)) {
    // Report the larger of the two re-alignments; running out of memory wins.
    if (taken == kRecompareOutOfMemory || lastRealignment_ == kRecompareOutOfMemory) {
      lastRealignment_ = kRecompareOutOfMemory;
    } else {
      lastRealignment_ = std::max(taken, lastRealignment_);
    }
    return true;
  }
  Splice(side, from, 0, gone);
  return false;
}

bool CompareDocument::Apply(std::unique_ptr<EditRecord> record, int32_t firstRow, int32_t lastRow) {
  if (!ApplyRecord(*record, true, firstRow, lastRow)) return false;
  PushRecord(std::move(record));
  return true;
}

bool CompareDocument::EditRange(EditKind kind, int side, uint32_t offset, uint32_t count,
                                const std::string& text, CaretPlace caret) {
  if ((count == 0 && text.empty()) || !EditAllowed(side, offset, count)) return false;
  try {
    auto record = std::make_unique<EditRecord>();
    record->kind = kind;
    record->editedSide = side;
    record->position = offset;
    record->inserted = text;
    record->removed = CopyText(Doc(side), offset, offset + count);
    PlaceCaret(*record, caret, offset + static_cast<uint32_t>(text.size()));
    return Apply(std::move(record));
  } catch (const std::bad_alloc&) {
    return false;
  }
}

bool CompareDocument::ReplaceRange(int side, uint32_t offset, uint32_t count,
                                  const std::string& text, CaretPlace caret) {
  return EditRange(EditKind::Insert, side, offset, count, text, caret);
}

bool CompareDocument::InsertText(int side, uint32_t offset, const std::string& text,
                                 CaretPlace caret) {
  return !text.empty() && EditRange(EditKind::Insert, side, offset, 0, text, caret);
}

bool CompareDocument::DeleteText(int side, uint32_t offset, uint32_t count, CaretPlace caret) {
  return count > 0 && EditRange(EditKind::Delete, side, offset, count, std::string(), caret);
}

bool CompareDocument::OverwriteChar(int side, uint32_t offset, uint32_t count,
                                    const std::string& character, CaretPlace caret) {
  return !character.empty() &&
         EditRange(EditKind::Overwrite, side, offset, count, character, caret);
}

bool CompareDocument::DropText(int side, uint32_t offset, const std::string& text, int64_t moveFrom,
                               CaretPlace caret) {
  if (text.empty()) return false;
  const uint32_t length = static_cast<uint32_t>(text.size());
  if (moveFrom >= 0) {
    const uint32_t source = static_cast<uint32_t>(moveFrom);
    if (!EditAllowed(side, source, length) ||
        CopyText(Doc(side), source, source + length) != text) {
      return false;
    }
    // offset is in the text without the moved bytes: check the place it
    // names in the text as it is.
    const uint64_t place = offset < source ? offset : static_cast<uint64_t>(offset) + length;
    if (place > Doc(side).Length() || !EditAllowed(side, static_cast<uint32_t>(place), 0)) {
      return false;
    }
  } else if (!EditAllowed(side, offset, 0)) {
    return false;
  }
  try {
    auto record = std::make_unique<EditRecord>();
    record->kind = EditKind::Drop;
    record->editedSide = side;
    record->position = offset;
    record->sourcePosition = moveFrom;
    record->inserted = text.back() == '\n' ? text : text + '\n';
    if (moveFrom >= 0) record->removed = text;
    PlaceCaret(*record, caret, offset + static_cast<uint32_t>(record->inserted.size()));
    return Apply(std::move(record));
  } catch (const std::bad_alloc&) {
    return false;
  }
}

bool CompareDocument::CanCopy(int toSide, int32_t row) const {
  if (row < 0 || row >= List().RowCount() || IsReadOnly(toSide)) return false;
  const RowKind kind = List().Kind(row);
  return kind == RowKind::Changed || kind == (toSide == 0 ? RowKind::RightOnly : RowKind::LeftOnly);
}

bool CompareDocument::CanDelete(int side, int32_t row) const {
  return row >= 0 && row < List().RowCount() && !IsReadOnly(side) && !List().IsFiller(side, row);
}

bool CompareDocument::CopyDifference(int toSide, int32_t row, CaretPlace caret) {
  return CanCopy(toSide, row) && CopyBlock(toSide, List().BlockAt(row, true), caret);
}

bool CompareDocument::CopyLine(int toSide, int32_t row, CaretPlace caret) {
  return CanCopy(toSide, row) && CopyBlock(toSide, List().BlockAt(row, false), caret);
}

bool CompareDocument::DeleteDifference(int side, int32_t row, CaretPlace caret) {
  return CanDelete(side, row) && DeleteBlock(side, List().BlockAt(row, true), caret);
}

bool CompareDocument::DeleteLine(int side, int32_t row, CaretPlace caret) {
  return CanDelete(side, row) && DeleteBlock(side, List().BlockAt(row, false), caret);
}

bool CompareDocument::CopyBlock(int toSide, const DiffBlock& block, CaretPlace caret) {
  const int from = 1 - toSide;
  const TextDoc& target = Doc(toSide);
  const uint32_t position = block.Start(toSide);
  const uint32_t oldEnd = block.kind == RowKind::Changed ? block.End(toSide) : position;
  try {
    auto record = std::make_unique<EditRecord>();
    record->kind = EditKind::CopyBlock;
    record->editedSide = toSide;
    record->position = position;
    record->removed = CopyText(target, position, oldEnd);
    std::string source = CopyText(Doc(from), block.Start(from), block.End(from));
    // The copied lines must stay lines of their own: after a last line that
    // lacks its LF one goes in front, and a copy that lacks one gets it when
    // text follows.
    const uint32_t lengthAfterRemoval = target.Length() - (oldEnd - position);
    if (position == lengthAfterRemoval && position > 0 && target.ByteAt(position - 1) != '\n') {
      source.insert(source.begin(), '\n');
    } else if (position != lengthAfterRemoval && (source.empty() || source.back() != '\n')) {
      source += '\n';
    }
    if (source.empty() && record->removed.empty()) return false;
    record->inserted = std::move(source);
    PlaceCaret(*record, caret, position);
    return Apply(std::move(record), block.firstRow, block.lastRow);
  } catch (const std::bad_alloc&) {
    return false;
  }
}

bool CompareDocument::DeleteBlock(int side, const DiffBlock& block, CaretPlace caret) {
  const uint32_t start = block.Start(side);
  const uint32_t end = block.End(side);
  if (end <= start) return false;
  try {
    auto record = std::make_unique<EditRecord>();
    record->kind = EditKind::Delete;
    record->editedSide = side;
    record->position = start;
    record->removed = CopyText(Doc(side), start, end);
    PlaceCaret(*record, caret, start);
    return Apply(std::move(record), block.firstRow, block.lastRow);
  } catch (const std::bad_alloc&) {
    return false;
  }
}

uint32_t CompareDocument::ReplaceSide(int side, const SideWriter& write) {
  if (IsReadOnly(side)) return kErrorAccessDenied;
  SideState& target = state_.side[side];
  const SideState& source = state_.side[1 - side];
  try {
    TextDoc copy(source.doc);
    target.doc = std::move(copy);
  } catch (const std::bad_alloc&) {
    return kOutOfMemoryError;
  }
  target.format = source.format;
  // Both sides hold the same text: one unchanged row per line.
  DiffList& list = *state_.list;
  list.ClearRows();
  uint32_t offset = 0;
  do {
    list.AppendRow(RowKind::Same, offset, offset);
    offset = target.doc.LineEnd(offset);
  } while (offset < target.doc.Length());
  list.NumberRows();
  list.CountDifferences();
  // Nothing before the replacement can be undone. The new text is on no
  // disk until the write succeeds, so the side counts as modified until then.
  history_.Clear();
  history_.MarkEdited(side);
  Notify(DocumentChange::Replaced, side);
  const uint32_t error = write ? write(side) : Save(side, FilePath(side));
  if (error == 0 && history_.IsModified(side)) {
    history_.MarkSaved(side);
    Notify(DocumentChange::Saved, side);
  }
  if (error != 0) Notify(DocumentChange::ModifiedState, side);
  return error;
}

EditOutcome CompareDocument::Undo() { return Replay(false); }

EditOutcome CompareDocument::Redo() { return Replay(true); }

EditOutcome CompareDocument::Replay(bool forward) {
  EditOutcome outcome;
  const EditRecord* record = forward ? history_.NextRedo() : history_.NextUndo();
  if (!record || !ApplyRecord(*record, forward)) return outcome;
  outcome = {true,
             record->activeSide,
             record->editedSide,
             record->position,
             record->caretAfter,
             record->anchorAfter,
             record->position +
                 static_cast<uint32_t>((forward ? record->inserted : record->removed).size())};
  const int side = record->editedSide;
  const bool was = history_.IsModified(side);
  if (forward) {
    history_.RedoApplied();
  } else {
    history_.UndoApplied();
  }
  if (was != history_.IsModified(side)) Notify(DocumentChange::ModifiedState, side);
  return outcome;
}

}  // namespace qm
