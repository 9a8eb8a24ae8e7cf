// CompareState: the comparison state a text pane owns — both documents with
// their formats and read-only flags, and the DiffList that aligns them — and
// the operations that fill and maintain it: LoadAndCompare, BuildDiffList,
// LocalRecompare.
//
// The engine knows nothing of windows. Whatever the pane must do at fixed
// points of a comparison (remember and restore positions, update scroll
// ranges, recompute its layout, move the caret) it does through PaneHooks.
// A state without hooks (rowdump, the folder comparison, tests) skips them.
// Threads: LoadAndCompare runs on a worker while the user-interface thread
// waits in the progress dialog; nothing else touches the state meanwhile.
// The hooks it calls therefore run on the worker and must only touch the
// pane's plain fields, never windows. Internally it reads the two files on
// two threads and the engine may search on two; the hooks are only ever
// called from the calling thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "engine/compare_options.h"
#include "engine/diff_engine.h"
#include "engine/diff_list.h"
#include "engine/encoding.h"
#include "engine/platform.h"
#include "engine/text_doc.h"

namespace qm {

class PaneHooks {
public:
  virtual ~PaneHooks() = default;
  // Step 1 of a load: remember scroll and caret positions.
  virtual void RememberPositions() {}
  // Caret offsets and horizontal scroll to 0, selection and vertical
  // positions reset.
  virtual void ResetPositions() {}
  // The window marks this comparison as a repeat of its previous one.
  virtual bool IsRepeatComparison() const { return false; }
  virtual void RestorePositions() {}
  virtual void UpdateScrollRanges() {}
  virtual void RecomputeLayout() {}
  // ScrollToFirst: put the caret on a row, then bring it into view.
  virtual void MoveCaretToRow(int32_t /*row*/) {}
  virtual void EnsureCaretVisible() {}
  // Without ScrollToFirst: keep positions for a repeat, else go to the top.
  virtual void RefreshPositions(bool /*repeat*/) {}
};

struct SideState {
  TextDoc doc;
  LineFormat format = LineFormat::Dos;
  TextEncoding encoding = TextEncoding::Legacy;
  bool readOnly = false;
  // Set only by a comparison that loaded both files (and kept by saves): a
  // side that was never loaded has nothing that could be written back.
  bool loaded = false;
  // The file the text came from (a shortcut resolved) and its stamp when it
  // was read or last written, to tell whether someone changed it since.
  std::string path;
  FileStamp stamp;
};

// The list is attached to the two documents (DiffList::AttachDocuments), so
// a state stays where it was made: it is neither copied nor moved.
struct CompareState {
  CompareState();
  CompareState(const CompareState&) = delete;
  CompareState& operator=(const CompareState&) = delete;
  SideState side[2];
  std::unique_ptr<DiffList> list;  // never null; at least one row when shown
  PaneHooks* pane = nullptr;       // borrowed
};

// Empties both sides (unloaded, Dos format, no path) and leaves a list of
// one unchanged row, numbered and counted: the state before any comparison.
void ResetState(CompareState& state);

// Loads both files and compares them (runs on the worker thread, COM
// initialised). Codes 3 to 8 stop before the engine; 1 and 2 come from it.
// On any failure both documents are empty and the list holds one Same row.
CompareResult LoadAndCompare(CompareState& state, const std::string& leftPath,
                             const std::string& rightPath, const CompareSettings& settings,
                             const CancelFlag* cancel);

// Loads both files as LoadAndCompare does, but only tells whether their
// comparison would show any difference (*differ, set on Ok); no rows are
// laid out and the list is left as it was.
CompareResult LoadAndCheckDifferent(CompareState& state, const std::string& leftPath,
                                    const std::string& rightPath, const CompareSettings& settings,
                                    const CancelFlag* cancel, bool* differ);

// Builds a new list for the current documents (runs the engine when
// result.code is Ok) and numbers and counts it; updates result.
void BuildDiffList(CompareState& state, CompareResult& result, const CompareSettings& settings,
                   const CancelFlag* cancel);

// Re-compares the rows around an edit of rows firstRow..lastRow and splices
// the result in. Returns 0 (same layout), 1 (highlights may differ) or 2
// (layout changed: rows renumbered and recounted), or kRecompareOutOfMemory
// when memory ran out: the list is left as it was and the caller reports it.
constexpr int kRecompareOutOfMemory = -1;
int LocalRecompare(CompareState& state, int32_t firstRow, int32_t lastRow,
                   const CompareOptions& options);

// Writes side s to path in its line-ending format and its encoding, replacing the target only
// when the whole file was written. Returns 0 on success, else an
// operating-system error code (kOutOfMemoryError when the bytes could not be
// built; kErrorAccessDenied for a side that was never loaded). On success
// the side's read-only flag is cleared and its path and stamp follow the
// written file.
constexpr uint32_t kOutOfMemoryError = 14;  // ERROR_OUTOFMEMORY
uint32_t SaveTextFile(CompareState& state, int side, const std::string& path);

}  // namespace qm
