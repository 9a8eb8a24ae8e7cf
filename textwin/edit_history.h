// EditHistory: the per-side "modified" state of a text comparison.
//
// A side becomes modified with its first edit and stays so until it is saved
// or the next comparison clears the history. The compare window owns one
// history and is told of every change through its host (the pane reports
// edits, the window reports saves and swaps). User-interface thread only.
#pragma once

namespace qm {

class EditHistory {
public:
  bool IsModified(int side) const { return modified_[side]; }
  bool AnyModified() const { return modified_[0] || modified_[1]; }
  // An edit changed the side.
  void MarkEdited(int side) { modified_[side] = true; }
  // The side was written to its file.
  void MarkSaved(int side) { modified_[side] = false; }
  // A new comparison: nothing to undo, neither side modified.
  void Clear() { modified_[0] = modified_[1] = false; }
  // Switch Sides: each side's state goes with its document.
  void SwapSides() {
    bool left = modified_[0];
    modified_[0] = modified_[1];
    modified_[1] = left;
  }

private:
  bool modified_[2] = {false, false};
};

}  // namespace qm
