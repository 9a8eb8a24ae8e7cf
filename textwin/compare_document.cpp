#include "textwin/compare_document.h"

#include <algorithm>
#include <utility>

#include "engine/platform.h"

namespace qm {

CompareDocument::CompareDocument() { Reset(); }

void CompareDocument::Reset() {
  ResetState(state_);
  history_.Clear();
}

CompareResult CompareDocument::Compare(const std::string& left, const std::string& right,
                                       const CompareSettings& settings,
                                       const CancelFlag* cancel) {
  options_ = settings;
  return LoadAndCompare(state_, left, right, settings, cancel);
}

void CompareDocument::FinishCompare() {
  history_.Clear();
  Notify(DocumentChange::Compared, -1);
}

int CompareDocument::Recompare(int32_t firstRow, int32_t lastRow) {
  return LocalRecompare(state_, firstRow, lastRow, options_.options);
}

void CompareDocument::MarkEdited(int side) {
  const bool was = history_.IsModified(side);
  history_.MarkEdited(side);
  if (!was) Notify(DocumentChange::ModifiedState, side);
}

bool CompareDocument::IsOpenFile(const std::string& path, int side) const {
  for (int s = 0; s < 2; ++s) {
    if (s == side || !state_.side[s].loaded || state_.side[s].path.empty()) continue;
    if (IsSameFile(path, state_.side[s].path)) return true;
  }
  return false;
}

DiskState CompareDocument::CheckDisk(int side) const {
  const SideState& s = state_.side[side];
  const FileStamp now = StampOf(s.path);
  if (!now.exists) return DiskState::Missing;
  return now == s.stamp ? DiskState::Unchanged : DiskState::Changed;
}

uint32_t CompareDocument::Save(int side, const std::string& path) {
  const uint32_t error = SaveTextFile(state_, side, path);
  if (error != 0) return error;
  history_.MarkSaved(side);
  Notify(DocumentChange::Saved, side);
  return 0;
}

void CompareDocument::SwapSides() {
  std::swap(state_.side[0], state_.side[1]);
  state_.list->SwapSides();
  history_.SwapSides();
  Notify(DocumentChange::Swapped, -1);
}

void CompareDocument::AddView(DocumentView* view) {
  if (std::find(views_.begin(), views_.end(), view) == views_.end()) views_.push_back(view);
}

void CompareDocument::RemoveView(DocumentView* view) {
  views_.erase(std::remove(views_.begin(), views_.end(), view), views_.end());
}

void CompareDocument::Notify(DocumentChange change, int side) {
  // A view may remove itself while it is told: walk a copy.
  const std::vector<DocumentView*> views = views_;
  for (DocumentView* view : views) {
    if (std::find(views_.begin(), views_.end(), view) != views_.end()) {
      view->OnDocumentChanged(change, side);
    }
  }
}

}  // namespace qm
