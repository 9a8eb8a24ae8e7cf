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

  // An edit changed side: it is modified from now on.
  void MarkEdited(int side);
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

  CompareState state_;
  EditHistory history_;
  CompareSettings options_;
  std::vector<DocumentView*> views_;  // borrowed; each removes itself
};

}  // namespace qm
