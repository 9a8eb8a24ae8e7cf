#include "textwin/edit_history.h"

#include <utility>

namespace qm {

void EditHistory::Push(std::unique_ptr<EditRecord> record) {
  record->sequence = ++sequence_;
  record->previousState = current_[record->editedSide];
  while (redoCount_ > 0) {
    records_.pop_front();
    --redoCount_;
  }
  if (records_.size() >= kMaxRecords) records_.pop_back();
  current_[record->editedSide] = record->sequence;
  records_.push_front(std::move(record));
}

const EditRecord* EditHistory::NextUndo() const {
  return CanUndo() ? records_[redoCount_].get() : nullptr;
}

void EditHistory::UndoApplied() {
  const EditRecord& record = *records_[redoCount_];
  ++redoCount_;
  current_[record.editedSide] = record.previousState;
}

const EditRecord* EditHistory::NextRedo() const {
  return CanRedo() ? records_[redoCount_ - 1].get() : nullptr;
}

void EditHistory::RedoApplied() {
  --redoCount_;
  const EditRecord& record = *records_[redoCount_];
  current_[record.editedSide] = record.sequence;
}

void EditHistory::MarkEdited(int side) {
  // The records no longer describe the text: none can be undone or redone.
  records_.clear();
  redoCount_ = 0;
  // A number no record carries, so no undo or save can match it by chance.
  current_[side] = ++sequence_;
}

void EditHistory::Clear() {
  records_.clear();
  redoCount_ = 0;
  sequence_ = 0;
  current_[0] = current_[1] = 0;
  saved_[0] = saved_[1] = 0;
}

void EditHistory::SwapSides() {
  std::swap(current_[0], current_[1]);
  std::swap(saved_[0], saved_[1]);
  for (auto& record : records_) {
    record->activeSide = 1 - record->activeSide;
    record->editedSide = 1 - record->editedSide;
  }
}

}  // namespace qm
