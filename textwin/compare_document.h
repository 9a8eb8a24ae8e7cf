// CompareDocument: one text comparison as data, apart from any window.
//
// It owns both sides (documents, formats, read-only flags, where each came
// from), the DiffList that aligns them, the edit history with the per-side
// modified state, and the compare options the rows were made with, so that
// a local re-alignment after an edit always uses the options of the
// comparison it mends, never whatever the settings say now. Views (the text
// pane, the compare window, later printing) register and are told what
// changed; they never change the sides behind the document's back.
//
// Every change of a side's text goes through the document (the edits, the
// merges, undo and redo): the text changes, the rows' offsets follow, the
// rows around the change are re-aligned, one undo step is recorded and the
// views hear Edited. The document keeps no caret; a view passes its caret
// in with an edit (CaretPlace) and gets it back from Undo and Redo.
//
// Writes are guarded here, whatever route asked for them: a side that was
// not loaded by a successful comparison is never written, and the caller
// can ask whether a target is one of the compared files or whether the
// side's file changed on disk since it was read.
//
// Threads: Compare runs on the comparison worker while the user-interface
// thread waits in the progress dialog and touches nothing of the document;
// it notifies no view (the window does that when the run has ended).
// Everything else is user-interface thread only. Portable: no windows.h.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/compare_options.h"
#include "engine/compare_state.h"
#include "textwin/edit_history.h"

namespace qm {

enum class DocumentChange {
  Compared,       // a comparison ended (successful or not): everything new
  Saved,          // a side was written (its read-only flag may have cleared)
  Swapped,        // the two sides exchanged places
  ModifiedState,  // a side became modified or unmodified
  Edited,         // a side's text and the rows around it changed (edit, merge, undo,
                  // redo)
  Replaced,       // a side was replaced by the other: new rows, history cleared
};

// Where the caret of the view that made an edit stands once the edit is
// done; undo brings it back. activeSide -1: the edited side, with the caret
// at the end of the edit.
struct CaretPlace {
  int activeSide = -1;
  uint32_t caret = 0;
  uint32_t anchor = 0;
};

// What an undo or redo did, for the view to follow: the side to make active
// and the caret and anchor to restore (those of the record).
struct EditOutcome {
  bool done = false;
  int activeSide = 0;
  int editedSide = 0;
  uint32_t position = 0;
  uint32_t caret = 0;
  uint32_t anchor = 0;
  // Where the text the step put back or in again ends on the edited side.
  uint32_t end = 0;
};

class DocumentView {
public:
  virtual ~DocumentView() = default;
  // side is the side concerned, or -1 for both.
  virtual void OnDocumentChanged(DocumentChange change, int side) = 0;
};

// What the file behind a side looks like now, against what was loaded.
enum class DiskState {
  Unchanged,  // size and last-write time as read or last written
  Changed,    // someone wrote it since
  Missing,    // it is gone
};

class CompareDocument {
public:
  CompareDocument();
  CompareDocument(const CompareDocument&) = delete;
  CompareDocument& operator=(const CompareDocument&) = delete;

  CompareState& State() { return state_; }
  const CompareState& State() const { return state_; }
  const DiffList& List() const { return *state_.list; }
  const TextDoc& Doc(int side) const { return state_.side[side].doc; }
  EditHistory& History() { return history_; }
  const EditHistory& History() const { return history_; }
  // The options of the comparison that made the rows.
  const CompareSettings& Options() const { return options_; }

  bool IsLoaded(int side) const { return state_.side[side].loaded; }
  bool IsModified(int side) const { return history_.IsModified(side); }
  bool IsReadOnly(int side) const { return state_.side[side].readOnly; }
  // The file the side was read from or last written to ("" when none).
  const std::string& FilePath(int side) const { return state_.side[side].path; }

  // Both sides empty, one unchanged row, nothing loaded or modified.
  void Reset();
  // Worker thread: loads and compares (LoadAndCompare) and keeps settings
  // as the options of the rows. Notifies nobody; the caller reports
  // DocumentChange::Compared once back on the user-interface thread.
  CompareResult Compare(const std::string& left, const std::string& right,
                        const CompareSettings& settings, const CancelFlag* cancel);
  // The history starts empty after every comparison; views are told.
  void FinishCompare();
  // Re-aligns rows firstRow..lastRow after an edit with the document's own
  // options (LocalRecompare's result; kRecompareOutOfMemory leaves the list).
  int Recompare(int32_t firstRow, int32_t lastRow);

  // A change to side that cannot be undone: it is modified from now on.
  void MarkEdited(int side);

  // Edits of one side. Each changes the text, shifts the rows' offsets,
  // re-aligns the rows around the change with the document's options and
  // records one undo step. Offsets are byte offsets on character
  // boundaries. Each returns false and changes nothing on a read-only side,
  // for a range outside the text or not on character boundaries of a UTF-8
  // side, for an empty edit, or when memory runs out.
  bool InsertText(int side, uint32_t offset, const std::string& text, CaretPlace caret = {});
  bool DeleteText(int side, uint32_t offset, uint32_t count, CaretPlace caret = {});
  // Replaces count bytes at offset by text (a paste over a selection).
  bool ReplaceRange(int side, uint32_t offset, uint32_t count, const std::string& text,
                   CaretPlace caret = {});
  // Overwrite mode: the character at offset (count bytes) becomes character.
  bool OverwriteChar(int side, uint32_t offset, uint32_t count, const std::string& character,
                     CaretPlace caret = {});
  // Drag-and-drop of text to offset of side, followed by an LF when it does
  // not end with one. moveFrom >= 0: the text is moved from that offset of
  // the same side (offset is then where it goes in the text without it).
  bool DropText(int side, uint32_t offset, const std::string& text, int64_t moveFrom = -1,
                CaretPlace caret = {});

  // Merges, on the row the caret is on. Copy towards toSide is possible when
  // that side is writable and the row holds text of the other side only or
  // a changed pair; delete is possible when side is writable and the row is
  // not a filler of side.
  bool CanCopy(int toSide, int32_t row) const;
  bool CanDelete(int side, int32_t row) const;
  // Copies the difference around row (CopyDifference) or the row alone
  // (CopyLine) from the other side to toSide. False when not possible or
  // out of memory (nothing changed).
  bool CopyDifference(int toSide, int32_t row, CaretPlace caret = {});
  bool CopyLine(int toSide, int32_t row, CaretPlace caret = {});
  // Deletes from side the whole run of rows of one kind around row, or the
  // row's line alone.
  bool DeleteDifference(int side, int32_t row, CaretPlace caret = {});
  bool DeleteLine(int side, int32_t row, CaretPlace caret = {});
  // Replaces side by a copy of the other side (its text and line-ending
  // format), rebuilds the rows as all unchanged, clears the history and
  // writes side through write (Save to its own file when write is empty).
  // Returns write's code: 0, or an error after which the side stays modified
  // since its text is on no disk. kOutOfMemoryError when the copy failed
  // (nothing changed); kErrorAccessDenied for a read-only side.
  using SideWriter = std::function<uint32_t(int side)>;
  uint32_t ReplaceSide(int side, const SideWriter& write = {});

  // Takes back the newest applied record, or applies the newest undone one
  // again. outcome.done false when there was nothing to do or memory ran out.
  EditOutcome Undo();
  EditOutcome Redo();
  // What the re-alignment of the last edit, merge, undo or redo reported:
  // 0 same layout, 1 highlights may differ, 2 layout changed, or
  // kRecompareOutOfMemory (the rows may not match the text until the next
  // comparison). The views repaint accordingly.
  int LastRealignment() const { return lastRealignment_; }
  bool CanUndo() const { return history_.CanUndo(); }
  bool CanRedo() const { return history_.CanRedo(); }
  // True when path names the file of a loaded side other than side (side
  // -1: of either loaded side).
  bool IsOpenFile(const std::string& path, int side) const;
  // Whether the file of side changed on disk since it was read or written.
  DiskState CheckDisk(int side) const;
  // Writes side to path in its line-ending format. Returns 0 or an error
  // code: kErrorAccessDenied for a side that was never loaded, the system's
  // code for a failed write (the target then stays as it was). On success
  // the side is no longer modified and views hear Saved.
  uint32_t Save(int side, const std::string& path);
  // Exchanges the sides with their histories; views hear Swapped.
  void SwapSides();

  void AddView(DocumentView* view);
  void RemoveView(DocumentView* view);

private:
  void Notify(DocumentChange change, int side);
  bool EditAllowed(int side, uint32_t offset, uint32_t count) const;
  // Records and applies the edit replacing count bytes at offset by text.
  bool EditRange(EditKind kind, int side, uint32_t offset, uint32_t count, const std::string& text,
                 CaretPlace caret);
  // Replaces count bytes at offset of side by text, shifts the offsets and
  // re-aligns from the edited rows widened to firstRow..lastRow (-1: none).
  bool Splice(int side, uint32_t offset, uint32_t count, const std::string& text,
              int32_t firstRow = -1, int32_t lastRow = -1);
  // Applies record forward (its removed text becomes its inserted text) or
  // backward, through Splice.
  bool ApplyRecord(const EditRecord& record, bool forward, int32_t firstRow = -1,
                   int32_t lastRow = -1);
  // Applies a new record forward and pushes it.
  bool Apply(std::unique_ptr<EditRecord> record, int32_t firstRow = -1, int32_t lastRow = -1);
  bool CopyBlock(int toSide, const DiffBlock& block, CaretPlace caret);
  bool DeleteBlock(int side, const DiffBlock& block, CaretPlace caret);
  void PushRecord(std::unique_ptr<EditRecord> record);
  // Undo (forward false) or redo of the history's next record.
  EditOutcome Replay(bool forward);

  CompareState state_;
  EditHistory history_;
  CompareSettings options_;
  int lastRealignment_ = 0;
  std::vector<DocumentView*> views_;  // borrowed; each removes itself
};

}  // namespace qm
