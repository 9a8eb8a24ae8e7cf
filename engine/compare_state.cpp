#include "engine/compare_state.h"

#include <algorithm>

#include "engine/platform.h"
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
  }
}

std::unique_ptr<DiffList> NewList(CompareState& state) {
  auto list = std::make_unique<DiffList>();
  list->AttachDocuments(&state.side[0].doc, &state.side[1].doc);
  return list;
}

void ResetToOneRow(DiffList& list) {
  list.ClearRows();
  list.AppendRow(RowKind::Same, 0, 0);
}

CompareResult LoadSides(CompareState& state, const std::string& leftPath,
                        const std::string& rightPath, const CompareSettings& settings) {
  if (!IsFilePath(leftPath)) return {CompareCode::LeftNameInvalid, 0};
  if (!IsFilePath(rightPath)) return {CompareCode::RightNameInvalid, 0};
  const std::string left = ResolveShortcut(leftPath);
  const std::string right = ResolveShortcut(rightPath);
  if (!settings.AllowBinary) {
    if (IsBinaryFile(left)) return {CompareCode::LeftBinary, 0};
    if (IsBinaryFile(right)) return {CompareCode::RightBinary, 0};
  }
  state.side[0].readOnly = IsReadOnlyFile(left);
  state.side[1].readOnly = IsReadOnlyFile(right);
  state.side[0].format = DetectLineFormat(left);
  state.side[1].format = DetectLineFormat(right);
  if (uint32_t error = LoadTextFile(state.side[0].doc, state.side[0].format, left)) {
    return {CompareCode::LeftLoadFailed, error};
  }
  if (uint32_t error = LoadTextFile(state.side[1].doc, state.side[1].format, right)) {
    return {CompareCode::RightLoadFailed, error};
  }
  return {};
}

}  // namespace

CompareState::CompareState() : list(NewList(*this)) {
  ResetToOneRow(*list);
  list->NumberRows();
  list->CountDifferences();
}

CompareResult LoadAndCompare(CompareState& state, const std::string& leftPath,
                             const std::string& rightPath, const CompareSettings& settings,
                             const CancelFlag* cancel) {
  PaneHooks* pane = state.pane;
  if (pane) pane->RememberPositions();
  ClearSides(state);
  if (pane) pane->ResetPositions();
  CompareResult result = LoadSides(state, leftPath, rightPath, settings);
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
    result = RunDiff(left, 0, left.Length(), right, 0, right.Length(), list, settings.options,
                     cancel);
  }
  if (result.code != CompareCode::Ok) {
    ClearSides(state);
    ResetToOneRow(list);
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
  if (r.code != CompareCode::Ok) {
    ShowOutOfMemory();
    return 0;
  }
  const int result = list.SpliceRows(first, last, fresh);
  if (list.RowCount() != count && state.pane) state.pane->UpdateScrollRanges();
  if (result == 2) {
    list.NumberRows(first);
    list.CountDifferences();
    if (state.pane) state.pane->RecomputeLayout();
  }
  return result;
}

uint32_t SaveTextFile(CompareState& state, int side, const std::string& path) {
  SideState& s = state.side[side];
  TextDoc& doc = s.doc;
  const uint32_t length = doc.Length();
  uint32_t error = 0;
  if (s.format == LineFormat::Unix) {
    error = WriteWholeFile(path, doc.Contiguous(0, length), length);
  } else if (s.format == LineFormat::Mac) {
    std::unique_ptr<char[]> bytes = doc.CopyRange(0, length);
    if (!bytes) return kOutOfMemoryError;
    std::replace(bytes.get(), bytes.get() + length, '\n', '\r');
    error = WriteWholeFile(path, bytes.get(), length);
  } else {
    uint32_t count = 0;
    std::unique_ptr<char[]> bytes = ToDosText(doc, 0, length, false, &count);
    if (!bytes) return kOutOfMemoryError;
    error = WriteWholeFile(path, bytes.get(), count);
  }
  if (error == 0) s.readOnly = false;
  return error;
}

}  // namespace qm
