#include "engine/compare_state.h"

#include <algorithm>
#include <new>

#include "engine/platform.h"
#include "engine/run_both.h"
#include "engine/text_file.h"

namespace qm {

namespace {

// Rows re-compared on each side of an edit, and how much further the window
// may widen to end on an unchanged row.
constexpr int32_t kRecompareMargin = 40;
constexpr int32_t kRecompareWiden = 20;

void ClearSides(CompareState& state) {
  for (SideState& side : state.side) {
    side.doc.Clear();
    side.readOnly = false;
    side.format = LineFormat::Dos;
    side.encoding = TextEncoding::Legacy;
    side.loaded = false;
    side.path.clear();
    side.stamp = FileStamp{};
  }
}

std::unique_ptr<DiffList> NewList(CompareState& state) {
  auto list = std::make_unique<DiffList>();
  list->AttachDocuments(&state.side[0].doc, &state.side[1].doc);
  return list;
}

// What rows [from, to] add to the counters and to each side's real lines.
// A row starts a difference when its kind is not Same and differs from the
// kind of the row before it (before row 0: Same).
struct RowTally {
  int32_t runs = 0;
  int32_t diffLines = 0;
  int32_t lines[2] = {0, 0};
};

RowTally Tally(const DiffList& list, int32_t from, int32_t to) {
  RowTally t;
  RowKind prev = from > 0 ? list.Kind(from - 1) : RowKind::Same;
  for (int32_t r = from; r <= to && r < list.RowCount(); ++r) {
    const RowKind kind = list.Kind(r);
    if (kind != RowKind::Same) {
      ++t.diffLines;
      if (kind != prev) ++t.runs;
    }
    if (kind != RowKind::RightOnly) ++t.lines[0];
    if (kind != RowKind::LeftOnly) ++t.lines[1];
    prev = kind;
  }
  return t;
}

// After rows [first, last] were replaced by rows [first, newLast]: numbers
// the new rows, moves the numbers behind them by the change in real lines,
// and updates the counters from the tallies of the rows before and after
// (each tally reaching one row past the replaced ones, whose start of a
// difference depends on them). Only a change in line count costs a pass
// over the rows behind.
void Renumber(DiffList& list, int32_t first, int32_t newLast, const RowTally& before) {
  const RowTally after = Tally(list, first, newLast + 1);
  list.diffCount += after.runs - before.runs;
  list.diffLineCount += after.diffLines - before.diffLines;
  list.NumberRows(first, newLast + 1);
  const int32_t shift[2] = {after.lines[0] - before.lines[0], after.lines[1] - before.lines[1]};
  if (shift[0] == 0 && shift[1] == 0) return;
  for (int32_t r = newLast + 2; r < list.RowCount(); ++r) {
    DiffRow& row = list.Row(r);
    if (row.leftLine >= 0) row.leftLine += shift[0];
    if (row.rightLine >= 0) row.rightLine += shift[1];
  }
}

void ResetToOneRow(DiffList& list) {
  list.ClearRows();
  list.AppendRow(RowKind::Same, 0, 0);
}

// Loads both sides. Without forWindow the documents are only looked at,
// never shown or saved: their read-only marks and stamps are not taken.
CompareResult LoadSides(CompareState& state, const std::string& leftPath,
                        const std::string& rightPath, const CompareSettings& settings,
                        const CancelFlag* cancel, bool forWindow = true) {
  if (!IsFilePath(leftPath)) return {CompareCode::LeftNameInvalid, 0};
  if (!IsFilePath(rightPath)) return {CompareCode::RightNameInvalid, 0};
  const std::string left = ResolveShortcut(leftPath);
  const std::string right = ResolveShortcut(rightPath);
  const TextProbe probes[2] = {ProbeTextFile(left), ProbeTextFile(right)};
  if (!settings.AllowBinary) {
    if (probes[0].binary) return {CompareCode::LeftBinary, 0};
    if (probes[1].binary) return {CompareCode::RightBinary, 0};
  }
  if (forWindow) {
    state.side[0].readOnly = IsReadOnlyFile(left);
    state.side[1].readOnly = IsReadOnlyFile(right);
  }
  state.side[0].format = probes[0].format;
  state.side[1].format = probes[1].format;
  // Both files are read at once; a failure of the left one is still the
  // one reported, and a failed comparison empties both documents.
  // The stamps are taken before reading: a write that lands during the read
  // then shows as a change on disk, never the other way round.
  const std::string paths[2] = {left, right};
  if (forWindow) {
    for (int s = 0; s < 2; ++s) state.side[s].stamp = StampOf(paths[s]);
  }
  uint32_t errors[2] = {0, 0};
  CompareProgress* progress = settings.progress;
  if (progress) progress->Enter(CompareStage::Reading);
  // A second thread only pays for files that take a while to read.
  constexpr uint64_t kParallelLoadBytes = 1u << 20;
  RunBoth(
      state.side[0].stamp.size + state.side[1].stamp.size >= kParallelLoadBytes,
      [&] {
        SideState& s = state.side[0];
        errors[0] = LoadTextFile(s.doc, s.format, left, cancel, &s.encoding, progress);
      },
      [&] {
        SideState& s = state.side[1];
        errors[1] = LoadTextFile(s.doc, s.format, right, cancel, &s.encoding, progress);
      });
  if (errors[0] == kErrorCancelled || errors[1] == kErrorCancelled) {
    return {CompareCode::Aborted, 0};
  }
  // A file too large for the memory left is the out-of-memory failure of a
  // comparison, whichever side ran out, not a file that could not be read.
  for (int s = 0; s < 2; ++s) {
    if (errors[s] == kErrorOutOfMemory) return {CompareCode::OutOfMemory, 0};
    if (errors[s]) {
      return {s == 0 ? CompareCode::LeftLoadFailed : CompareCode::RightLoadFailed, errors[s]};
    }
  }
  for (int s = 0; s < 2; ++s) state.side[s].path = paths[s];
  return {};
}

}  // namespace

CompareState::CompareState() : list(NewList(*this)) {
  ResetToOneRow(*list);
  list->NumberRows();
  list->CountDifferences();
}

void ResetState(CompareState& state) {
  ClearSides(state);
  state.list.reset();
  state.list = NewList(state);
  ResetToOneRow(*state.list);
  state.list->NumberRows();
  state.list->CountDifferences();
}

CompareResult LoadAndCompare(CompareState& state, const std::string& leftPath,
                             const std::string& rightPath, const CompareSettings& settings,
                             const CancelFlag* cancel) {
  PaneHooks* pane = state.pane;
  if (pane) pane->RememberPositions();
  ClearSides(state);
  if (pane) pane->ResetPositions();
  CompareResult result = LoadSides(state, leftPath, rightPath, settings, cancel);
  const bool repeat = pane && pane->IsRepeatComparison();
  if (result.code == CompareCode::Ok && !settings.ScrollToFirst && repeat) {
    pane->RestorePositions();
  }
  BuildDiffList(state, result, settings, cancel);
  if (!pane) return result;
  if (result.code == CompareCode::Ok && settings.ScrollToFirst) {
    DiffBlock block;
    if (state.list->Kind(0) == RowKind::Same &&
        state.list->NextDifference(0, settings.WrapAround, &block)) {
      pane->MoveCaretToRow(block.firstRow);
    }
    pane->EnsureCaretVisible();
  } else {
    pane->RefreshPositions(repeat);
  }
  return result;
}

CompareResult LoadAndCheckDifferent(CompareState& state, const std::string& leftPath,
                                    const std::string& rightPath, const CompareSettings& settings,
                                    const CancelFlag* cancel, bool* differ) {
  ClearSides(state);
  CompareResult result = LoadSides(state, leftPath, rightPath, settings, cancel, false);
  if (result.code != CompareCode::Ok) return result;
  try {
    *differ = DocumentsDiffer(state.side[0].doc, state.side[1].doc, settings.options);
  } catch (const std::bad_alloc&) {
    ClearSides(state);
    return {CompareCode::OutOfMemory, 0};
  }
  return result;
}

void BuildDiffList(CompareState& state, CompareResult& result, const CompareSettings& settings,
                   const CancelFlag* cancel) {
  if (state.pane) state.pane->UpdateScrollRanges();
  // The previous list goes first, so two full lists never coexist.
  state.list.reset();
  state.list = NewList(state);
  DiffList& list = *state.list;
  if (result.code == CompareCode::Ok) {
    TextDoc& left = state.side[0].doc;
    TextDoc& right = state.side[1].doc;
    if (settings.progress) settings.progress->Enter(CompareStage::Comparing);
    result = RunDiff(left, 0, left.Length(), right, 0, right.Length(), list, settings.options,
                     cancel, settings.progress);
  }
  if (result.code != CompareCode::Ok) {
    ClearSides(state);
    ResetToOneRow(list);
  } else {
    state.side[0].loaded = state.side[1].loaded = true;
  }
  list.NumberRows();
  list.CountDifferences();
  if (state.pane) {
    state.pane->RecomputeLayout();
    state.pane->UpdateScrollRanges();
  }
}

int LocalRecompare(CompareState& state, int32_t firstRow, int32_t lastRow,
                   const CompareOptions& options) {
  DiffList& list = *state.list;
  const int32_t count = list.RowCount();
  if (count == 0) return 0;
  if (firstRow > lastRow) std::swap(firstRow, lastRow);
  int32_t first = std::clamp(firstRow - kRecompareMargin, 0, count - 1);
  int32_t last = std::clamp(lastRow + kRecompareMargin, first, count - 1);
  const int32_t lo = std::max(first - kRecompareWiden, 0);
  const int32_t hi = std::min(last + kRecompareWiden, count - 1);
  while (first > lo && list.Kind(first) != RowKind::Same) --first;
  while (last < hi && list.Kind(last) != RowKind::Same) ++last;

  TextDoc& left = state.side[0].doc;
  TextDoc& right = state.side[1].doc;
  DiffList fresh;
  const CancelFlag never{0};
  const CompareResult r =
      RunDiff(left, list.Row(first).leftOffset, list.RowEnd(0, last, left), right,
              list.Row(first).rightOffset, list.RowEnd(1, last, right), fresh, options, &never);
  if (r.code != CompareCode::Ok) return kRecompareOutOfMemory;
  const RowTally before = Tally(list, first, last + 1);
  const int32_t added = fresh.RowCount() - (last - first + 1);
  const int result = list.SpliceRows(first, last, fresh);
  if (list.RowCount() != count && state.pane) state.pane->UpdateScrollRanges();
  if (result == 2) {
    // The same numbers and counts as NumberRows and CountDifferences over
    // the whole list, without walking the rows that did not move.
    Renumber(list, first, last + added, before);
    if (state.pane) state.pane->RecomputeLayout();
  }
  return result;
}

uint32_t SaveTextFile(CompareState& state, int side, const std::string& path) {
  SideState& s = state.side[side];
  if (!s.loaded) return kErrorAccessDenied;
  const uint32_t error = WriteTextFile(s.doc, s.format, s.encoding, path);
  if (error == 0) {
    s.readOnly = false;
    s.path = path;
    s.stamp = StampOf(path);
  }
  return error;
}

}  // namespace qm
