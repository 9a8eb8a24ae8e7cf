#include "folders/folder_ops.h"

#include <cstdio>
#include <vector>

#include "common/paths.h"

namespace qm {

namespace {

// Progress titles of the shell's file operation (string table ids).
constexpr unsigned kTitleSavingUndo = 131;
constexpr unsigned kTitleUndoing = 132;
constexpr unsigned kTitleCopying = 133;

constexpr const char kTempPrefix[] = "cmp-";

std::string StripTrailingBackslashes(const std::string& path) {
  size_t end = path.size();
  while (end > 0 && path[end - 1] == '\\') --end;
  return path.substr(0, end);
}

// Folded for a comparison that ignores case, backslash runs kept as they are.
std::string Folded(const std::string& path) { return FoldName(StripTrailingBackslashes(path)); }

// True when a and b name one item or one holds the other.
bool Overlap(const std::string& a, const std::string& b) {
  const std::string fa = Folded(a);
  const std::string fb = Folded(b);
  const std::string& shorter = fa.size() <= fb.size() ? fa : fb;
  const std::string& longer = fa.size() <= fb.size() ? fb : fa;
  if (longer.compare(0, shorter.size(), shorter) != 0) return false;
  return longer.size() == shorter.size() || longer[shorter.size()] == '\\';
}

// A relative name from the scan: not empty, not rooted, no drive, no "."
// or ".." component, so that root joined with it stays below the root. A
// slash, which Windows also takes as a separator, is no part of a name.
bool IsSafeRelativeName(const std::string& name) {
  if (name.empty() || name[0] == '\\' || name.find_first_of(":/") != std::string::npos) {
    return false;
  }
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find('\\', start);
    if (end == std::string::npos) end = name.size();
    const std::string part = name.substr(start, end - start);
    if (part.empty() || part == "." || part == "..") return false;
    start = end + 1;
  }
  return true;
}

bool IsDeviceComponent(std::string part) {
  // Windows ignores an extension and trailing dots and spaces after a
  // device's name: "nul.txt" and "CON ." are the devices too.
  const size_t dot = part.find('.');
  if (dot != std::string::npos) part.erase(dot);
  while (!part.empty() && part.back() == ' ') part.pop_back();
  for (char& c : part) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  if (part == "CON" || part == "PRN" || part == "AUX" || part == "NUL" || part == "CONIN$" ||
      part == "CONOUT$") {
    return true;
  }
  return part.size() == 4 && (part.compare(0, 3, "COM") == 0 || part.compare(0, 3, "LPT") == 0) &&
         part[3] >= '1' && part[3] <= '9';
}

// What one operation on one entry works with.
struct Job {
  FolderComparison& comparison;
  FolderEntry& entry;
  FileOperations& ops;

  const std::string& Root(int side) const {
    return side == 0 ? comparison.oldRoot : comparison.newRoot;
  }
  std::string Item(int side) const { return JoinPath(Root(side), entry.name); }
};

// MakeFolderPath that also tells which folder, if any, it made topmost, so
// that a failure path can take back exactly what it added.
bool MakeFolderPathNoting(FileOperations& ops, const std::string& path, std::string* topmost,
                          int depth) {
  const std::string folder = StripTrailingBackslashes(path);
  if (folder.empty() || depth > 128) return false;
  if (ops.MakeFolder(folder)) {
    if (topmost) *topmost = folder;
    return true;
  }
  if (ops.IsFolder(folder)) return true;
  if (ops.Exists(folder)) return false;  // a file in the way
  const std::string parent = ParentFolder(folder);
  if (parent.empty() || parent.size() >= folder.size()) return false;
  if (!MakeFolderPathNoting(ops, parent, topmost, depth + 1)) return false;
  if (ops.MakeFolder(folder)) {
    if (topmost && topmost->empty()) *topmost = folder;
    return true;
  }
  return ops.IsFolder(folder);
}

// Copies sourceRoot\name into the folder that holds targetRoot\name, making
// that folder first when it is missing; *madeFolder receives the topmost
// folder made for it (empty when none).
bool CopyBelow(FileOperations& ops, const std::string& sourceRoot, const std::string& targetRoot,
               const std::string& name, unsigned titleId, std::string* madeFolder) {
  const std::string target = JoinPath(targetRoot, name);
  const std::string folder = ParentFolder(target);
  std::string made;
  if (!ops.IsFolder(folder) && !MakeFolderPathNoting(ops, folder, &made, 0)) {
    if (!made.empty()) ops.RemoveItem(made);
    return false;
  }
  if (madeFolder) *madeFolder = made;
  return ops.CopyItem(JoinPath(sourceRoot, name), folder, titleId);
}

// Takes back what a failed copy or restore left at target and the folders
// made for it. Only called for a target at which nothing existed before.
bool TakeBack(FileOperations& ops, const std::string& target, const std::string& madeFolder) {
  bool clean = !ops.Exists(target) || ops.RemoveItem(target);
  if (!madeFolder.empty() && ops.Exists(madeFolder)) clean = ops.RemoveItem(madeFolder) && clean;
  return clean;
}

// After a failed copy or restore over a set-aside item: takes back what
// the copy left and moves the item back to its place. Should either step
// fail, the item stays under its set-aside name and the user is told so.
void PutBack(FileOperations& ops, const std::string& target, const std::string& madeFolder,
             const std::string& aside) {
  const bool clean = TakeBack(ops, target, madeFolder);
  if (aside.empty()) return;
  // One more try: the rename back is the one step that keeps the item
  // where the user looks for it.
  if (clean && (ops.MoveItem(aside, target) || ops.MoveItem(aside, target))) return;
  ops.Refuse(Refusal::KeptAside, aside);
}

// A fresh, empty backup folder in the temporary folder; empty (and the
// user told) when none could be made.
std::string NewBackupFolder(FileOperations& ops) {
  const std::string path = MakeTempFolderPath(ops, kTempPrefix);
  if (path.empty()) {
    ops.Refuse(Refusal::NoTempName, ops.TempFolder());
    return std::string();
  }
  // MakeFolder, not MakeFolderPath: a folder that exists already belongs to
  // someone else and must not be taken over.
  if (!ops.MakeFolder(path)) {
    ops.Refuse(Refusal::BackupFailed, path);
    return std::string();
  }
  return path;
}

// Checks that the names a copy or delete would reach are safe to touch.
bool CheckPaths(Job& job, const std::string& a, const std::string& b) {
  if (job.Root(0).empty() || job.Root(1).empty() || !IsSafeRelativeName(job.entry.name)) {
    job.ops.Refuse(Refusal::InvalidName, job.entry.name);
    return false;
  }
  for (const std::string* path : {&a, &b}) {
    if (!path->empty() && NamesDevice(*path)) {
      job.ops.Refuse(Refusal::DeviceName, *path);
      return false;
    }
  }
  return true;
}

// Copy to side t: the target item, when there is one, is saved (undo on)
// and moved aside before the copy, so that a failed copy can put it back
// untouched. An existing folder without undo is merged into instead, as the
// user asked for no backup of it.
bool CopyToSide(Job& job, int t, bool folderUndo) {
  FileOperations& ops = job.ops;
  const int s = 1 - t;
  const std::string source = job.Item(s);
  const std::string target = job.Item(t);
  if (!CheckPaths(job, source, target)) return false;
  if (Overlap(source, target)) {
    ops.Refuse(Refusal::SameItem, target);
    return false;
  }
  if (!ops.Exists(source)) {
    ops.Refuse(Refusal::SourceMissing, source);
    return false;
  }
  const bool targetExists = ops.Exists(target);
  std::string backup;
  if (targetExists && folderUndo) {
    backup = NewBackupFolder(ops);
    if (backup.empty()) return false;
    if (!CopyBelow(ops, job.Root(t), backup, job.entry.name, kTitleSavingUndo, nullptr)) {
      ops.RemoveItem(backup);
      return false;
    }
  }
  // Only a folder merges into a folder; anything else is replaced whole.
  const bool merge = targetExists && !folderUndo && ops.IsFolder(target) && ops.IsFolder(source);
  std::string aside;
  if (targetExists && !merge) {
    aside = MakeTempName(ops, kTempPrefix, job.Root(t));
    if (aside.empty() || !ops.MoveItem(target, aside)) {
      ops.Refuse(aside.empty() ? Refusal::NoTempName : Refusal::SetAsideFailed,
                 aside.empty() ? job.Root(t) : target);
      if (!backup.empty()) ops.RemoveItem(backup);
      return false;
    }
  }
  std::string made;
  if (CopyBelow(ops, job.Root(s), job.Root(t), job.entry.name, kTitleCopying, &made)) {
    if (!aside.empty()) ops.RemoveItem(aside);
    job.entry.undoPath = backup;
    return true;
  }
  // A merge into an existing folder cannot be told apart from what was
  // there: it stays as the failed copy left it.
  if (!merge) PutBack(ops, target, made, aside);
  if (!backup.empty()) ops.RemoveItem(backup);
  return false;
}

// A recycle that failed may have sent part of a folder to the bin. The
// backup just made (backupFolder holds the item at name) is merged back over
// what is left, the remaining items being overwritten by copies of
// themselves, so that the failure leaves the item as it was. True when the
// backup may go; false when the merge failed too: the backup is then kept
// and the user told where. Without a backup the missing part stays in the
// bin.
bool RecoverFailedRecycle(FileOperations& ops, const std::string& backupFolder,
                          const std::string& root, const std::string& name) {
  if (backupFolder.empty()) return true;
  const std::string target = JoinPath(root, name);
  if (!ops.IsFolder(target) || !ops.Exists(JoinPath(backupFolder, name))) return true;
  if (CopyBelow(ops, backupFolder, root, name, kTitleUndoing, nullptr)) return true;
  ops.Refuse(Refusal::KeptAside, backupFolder);
  return false;
}

// Delete on side d, after saving the item into a backup folder (undo on).
bool DeleteSide(Job& job, int d, bool folderUndo) {
  FileOperations& ops = job.ops;
  const std::string target = job.Item(d);
  if (!CheckPaths(job, target, std::string())) return false;
  if (!ops.Exists(target)) return true;  // nothing left to delete, nothing to save
  std::string backup;
  if (folderUndo) {
    backup = NewBackupFolder(ops);
    if (backup.empty()) return false;
    if (!CopyBelow(ops, job.Root(d), backup, job.entry.name, kTitleSavingUndo, nullptr)) {
      ops.RemoveItem(backup);
      return false;
    }
  }
  if (!ops.RecycleItem(target)) {
    if (!backup.empty() && RecoverFailedRecycle(ops, backup, job.Root(d), job.entry.name)) {
      ops.RemoveItem(backup);
    }
    return false;
  }
  job.entry.undoPath = backup;
  return true;
}

// The subfolder of the backup that holds side's item of a "delete both";
// the entry's swapped flag exchanges them, so that each item goes back to
// the folder it came from after Switch Sides.
std::string BothBackupOf(const std::string& backup, int side, bool swapped) {
  const bool old = (side == 0) != swapped;
  return JoinPath(backup, old ? "old" : "new");
}

bool DeleteBothSides(Job& job, bool folderUndo) {
  FileOperations& ops = job.ops;
  const std::string items[2] = {job.Item(0), job.Item(1)};
  if (!CheckPaths(job, items[0], items[1])) return false;
  std::string backup;
  if (folderUndo) {
    backup = NewBackupFolder(ops);
    if (backup.empty()) return false;
    for (int side = 0; side < 2; ++side) {
      if (!ops.Exists(items[side])) continue;
      const std::string folder = BothBackupOf(backup, side, job.entry.swapped);
      if (!ops.MakeFolder(folder) || !CopyBelow(ops, job.Root(side), folder, job.entry.name,
                                                kTitleSavingUndo, nullptr)) {
        ops.RemoveItem(backup);
        return false;
      }
    }
  }
  const std::string saved[2] = {
      backup.empty() ? backup : BothBackupOf(backup, 0, job.entry.swapped),
      backup.empty() ? backup : BothBackupOf(backup, 1, job.entry.swapped)};
  const bool hadOld = ops.Exists(items[0]);
  if (!ops.RecycleItem(items[0])) {
    if (!backup.empty() && RecoverFailedRecycle(ops, saved[0], job.Root(0), job.entry.name)) {
      ops.RemoveItem(backup);
    }
    return false;
  }
  if (!ops.RecycleItem(items[1])) {
    const bool keep = !RecoverFailedRecycle(ops, saved[1], job.Root(1), job.entry.name);
    // The old item went already: put it back from its backup, so that the
    // failure leaves both as they were. When that cannot be done (no
    // backup, or the restore fails) the entry says what happened: the old
    // item is deleted, undoable from the backup when there is one.
    std::string made;
    if (!backup.empty() && ops.Exists(JoinPath(saved[0], job.entry.name)) &&
        CopyBelow(ops, saved[0], job.Root(0), job.entry.name, kTitleUndoing, &made)) {
      if (!keep) ops.RemoveItem(backup);
      return false;
    }
    if (!hadOld) {
      if (!keep && !backup.empty()) ops.RemoveItem(backup);
      return false;  // nothing went on the old side
    }
    if (!backup.empty()) TakeBack(ops, items[0], made);
    job.entry.undoPath = backup;
    job.entry.state = EntryState::DeletedOld;
    return false;
  }
  job.entry.undoPath = backup;
  return true;
}

// Undo of a copy to side t.
bool UndoCopy(Job& job, int t) {
  FileOperations& ops = job.ops;
  const std::string target = job.Item(t);
  if (!CheckPaths(job, target, std::string())) return false;
  if (job.entry.undoPath.empty()) return ops.RecycleItem(target);  // the copy made the item
  const std::string saved = JoinPath(job.entry.undoPath, job.entry.name);
  if (!ops.Exists(saved)) {
    ops.Refuse(Refusal::SourceMissing, saved);
    return false;
  }
  std::string aside;
  if (ops.Exists(target)) {
    aside = MakeTempName(ops, kTempPrefix, job.Root(t));
    if (aside.empty() || !ops.MoveItem(target, aside)) {
      ops.Refuse(aside.empty() ? Refusal::NoTempName : Refusal::SetAsideFailed,
                 aside.empty() ? job.Root(t) : target);
      return false;
    }
  }
  std::string made;
  if (!CopyBelow(ops, job.entry.undoPath, job.Root(t), job.entry.name, kTitleUndoing, &made)) {
    PutBack(ops, target, made, aside);
    return false;
  }
  ops.RemoveItem(job.entry.undoPath);
  job.entry.undoPath.clear();
  // The copied item may have been edited since: it goes to the recycle bin,
  // not away for good. Should the bin refuse it, it stays under its
  // set-aside name rather than being lost.
  if (!aside.empty() && !ops.RecycleItem(aside)) ops.Refuse(Refusal::KeptAside, aside);
  return true;
}

// Undo of a delete: restores side's item (or both) from the backup, and
// refuses when an item has appeared at the place since.
bool UndoDelete(Job& job, bool both, int d) {
  FileOperations& ops = job.ops;
  const int first = both ? 0 : d;
  const int last = both ? 1 : d;
  for (int side = first; side <= last; ++side) {
    const std::string target = job.Item(side);
    if (!CheckPaths(job, target, std::string())) return false;
    if (ops.Exists(target)) {
      ops.Refuse(Refusal::TargetAppeared, target);
      return false;
    }
  }
  if (job.entry.undoPath.empty()) return true;  // the item was gone already
  std::string made[2];
  bool restored[2] = {false, false};
  bool ok = true;
  for (int side = first; side <= last && ok; ++side) {
    // A one-sided backup holds the item at its name; a "delete both" backup
    // (also the one kept by a half-done "delete both") below old or new.
    std::string from = job.entry.undoPath;
    if (both || !ops.Exists(JoinPath(from, job.entry.name))) {
      from = BothBackupOf(job.entry.undoPath, side, job.entry.swapped);
    }
    if (!ops.Exists(JoinPath(from, job.entry.name))) {
      if (both) continue;  // that side had nothing to delete
      ops.Refuse(Refusal::SourceMissing, JoinPath(job.entry.undoPath, job.entry.name));
      return false;
    }
    restored[side] = true;
    ok = CopyBelow(ops, from, job.Root(side), job.entry.name, kTitleUndoing, &made[side]);
  }
  if (!ok) {
    for (int side = last; side >= first; --side) {
      if (restored[side]) TakeBack(ops, job.Item(side), made[side]);
    }
    return false;
  }
  ops.RemoveItem(job.entry.undoPath);
  job.entry.undoPath.clear();
  return true;
}

bool Undo(Job& job) {
  switch (job.entry.state) {
    case EntryState::CopiedToOld: return UndoCopy(job, 0);
    case EntryState::CopiedToNew: return UndoCopy(job, 1);
    case EntryState::DeletedOld: return UndoDelete(job, false, 0);
    case EntryState::DeletedNew: return UndoDelete(job, false, 1);
    case EntryState::DeletedBoth: return UndoDelete(job, true, 0);
    default: return true;
  }
}

}  // namespace

bool MakeFolderPath(FileOperations& ops, const std::string& path) {
  return MakeFolderPathNoting(ops, path, nullptr, 0);
}

std::string MakeTempName(FileOperations& ops, const std::string& prefix,
                         const std::string& folder) {
  for (int attempt = 0; attempt < kTempNameTries; ++attempt) {
    char number[16];
    std::snprintf(number, sizeof number, "%05u.tmp", static_cast<unsigned>(ops.Random() % 99999u));
    const std::string path = JoinPath(folder, prefix + number);
    if (!ops.Exists(path)) return path;
  }
  return std::string();
}

std::string MakeTempFolderPath(FileOperations& ops, const std::string& prefix) {
  std::string folder = ops.TempFolder();
  if (folder.empty()) folder = "C:\\";
  return MakeTempName(ops, prefix, folder);
}

bool NamesDevice(const std::string& path) {
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('\\', start);
    if (end == std::string::npos) end = path.size();
    if (IsDeviceComponent(path.substr(start, end - start))) return true;
    start = end + 1;
  }
  return false;
}

bool RunEntryOperation(FolderComparison& comparison, FolderListKind list, size_t index,
                       FolderOperation op, bool folderUndo, FileOperations& ops) {
  std::vector<FolderEntry>& entries = comparison.List(list);
  if (index >= entries.size()) return false;
  FolderEntry& entry = entries[index];
  Job job{comparison, entry, ops};
  const bool done = entry.state >= EntryState::CopiedToOld;
  if (op == FolderOperation::Undo) {
    if (!done || !entry.undoable) return true;
    if (!Undo(job)) return false;
    entry.state = EntryState::Present;
    return true;
  }
  if (done) return true;
  bool ok = false;
  EntryState after = entry.state;
  bool marks[2] = {false, false};
  switch (op) {
    case FolderOperation::CopyToOld:
      ok = CopyToSide(job, 0, folderUndo), after = EntryState::CopiedToOld, marks[0] = true;
      break;
    case FolderOperation::CopyToNew:
      ok = CopyToSide(job, 1, folderUndo), after = EntryState::CopiedToNew, marks[1] = true;
      break;
    case FolderOperation::DeleteOld:
      ok = DeleteSide(job, 0, folderUndo), after = EntryState::DeletedOld, marks[0] = true;
      break;
    case FolderOperation::DeleteNew:
      ok = DeleteSide(job, 1, folderUndo), after = EntryState::DeletedNew, marks[1] = true;
      break;
    case FolderOperation::DeleteBoth:
      ok = DeleteBothSides(job, folderUndo), after = EntryState::DeletedBoth;
      marks[0] = marks[1] = true;
      break;
    case FolderOperation::Undo: break;
  }
  if (!ok) {
    if (entry.state == EntryState::DeletedOld) {
      // A "delete both" half done whose old item could not be put back.
      entry.undoable = !entry.undoPath.empty();
      comparison.modified[0] = true;
    }
    return false;
  }
  entry.state = after;
  entry.undoable = folderUndo;
  for (int side = 0; side < 2; ++side) {
    if (marks[side]) comparison.modified[side] = true;
  }
  return true;
}

}  // namespace qm
