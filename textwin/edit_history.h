// EditHistory: the undo steps of one text comparison and each side's
// "modified" state.
//
// Records are held newest first, at most kMaxRecords; the redo count says
// how many of the newest ones are currently undone. Every side carries a
// state number: the sequence number of the last applied record that changed
// it (or the previous state an undo brought back). A side is modified when
// its current state differs from the state it was saved at, so undoing past
// a save makes it modified again and redoing up to the save clears it.
//
// The history only keeps the books: applying a record to the texts is the
// comparison document's work (CompareDocument::Undo and Redo).
// Ownership: the history owns its records. User-interface thread only.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>

namespace qm {

enum class EditKind : uint32_t {
  Insert = 1,     // typing, paste: inserted text replacing removed text (may be none)
  Overwrite = 2,  // one character replaced in place
  Delete = 3,     // removed text, nothing inserted
  CopyBlock = 4,  // a block copied to the other side (removed: the old destination)
  Drop = 5,       // drag-and-drop; a move within one side also takes the source away
};

// One undo step. Applying it replaces `removed` at `position` of the edited
// side by `inserted`; undoing puts `removed` back. A Drop that moves text
// within one side instead takes `removed` away at `sourcePosition` and puts
// `inserted` (the same text, with the LF the drop may add) at `position`.
// Texts are owned copies.
struct EditRecord {
  EditKind kind = EditKind::Insert;
  int activeSide = 0;
  int editedSide = 0;
  uint32_t position = 0;
  // Drop moving text within one side: where the text was taken from, in the
  // text as it was before the move; -1 for any other record.
  int64_t sourcePosition = -1;
  uint32_t caretAfter = 0;   // the active side's caret when the record was made
  uint32_t anchorAfter = 0;  // the selection anchor then
  std::string inserted;
  std::string removed;
  uint32_t previousState = 0;
  uint32_t sequence = 0;
};

class EditHistory {
public:
  static constexpr size_t kMaxRecords = 250;

  // Takes the record: numbers it, keeps the edited side's state as its
  // previous state, drops the undone records and, at the limit, the oldest.
  void Push(std::unique_ptr<EditRecord> record);
  // The record the next Undo takes back (null when none); UndoApplied then
  // moves the books once the texts were changed.
  const EditRecord* NextUndo() const;
  void UndoApplied();
  // The record the next Redo applies again (null when none); RedoApplied after.
  const EditRecord* NextRedo() const;
  void RedoApplied();
  bool CanUndo() const { return redoCount_ < records_.size(); }
  bool CanRedo() const { return redoCount_ >= 1; }
  size_t RecordCount() const { return records_.size(); }
  size_t RedoCount() const { return redoCount_; }

  bool IsModified(int side) const { return current_[side] != saved_[side]; }
  bool AnyModified() const { return IsModified(0) || IsModified(1); }
  // A change to side that no record can take back (e.g. a replaced side
  // whose write failed): the side is modified, and every record goes since
  // none describes the text any longer.
  void MarkEdited(int side);
  // The side was written to its file.
  void MarkSaved(int side) { saved_[side] = current_[side]; }
  // A new comparison or a replaced side: nothing to undo, neither side
  // modified, numbering from 0 again.
  void Clear();
  // Switch Sides: each side's states go with its document and every record
  // now applies to the other side.
  void SwapSides();

private:
  std::deque<std::unique_ptr<EditRecord>> records_;  // newest first
  size_t redoCount_ = 0;
  uint32_t sequence_ = 0;
  uint32_t current_[2] = {0, 0};
  uint32_t saved_[2] = {0, 0};
};

}  // namespace qm
