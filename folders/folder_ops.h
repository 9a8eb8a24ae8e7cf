// The folder operations on one listed entry: copy one side's item over the
// other, delete it on one side or on both, and undo the last of these. The
// steps and their order are portable; the file system and the shell are
// reached through FileOperations, so every failure path runs natively in
// tests with faults injected.
//
// The rule every path keeps: no operation, failure path or undo removes or
// overwrites an item that it did not itself create, set aside or back up. A
// failure leaves the items as they were and returns false.
//
// Threads: user-interface thread (the shell's file operation is modal).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "folders/folder_compare.h"
#include "folders/folder_entry.h"

namespace qm {

enum class FolderOperation { CopyToOld, CopyToNew, DeleteOld, DeleteNew, DeleteBoth, Undo };

// Why an operation stopped before it changed anything, for the failures
// that the shell's own error windows do not show.
enum class Refusal {
  SetAsideFailed,   // the item to be replaced could not be moved aside
  NoTempName,       // no free "cmp-NNNNN.tmp" name left in a folder
  BackupFailed,     // the undo backup folder could not be made
  TargetAppeared,   // an item has appeared where the undo would restore
  SameItem,         // source and target are one item, or one holds the other
  DeviceName,       // a path names a device (CON, NUL, COM1, ...)
  SourceMissing,    // the item to be copied (or its backup) no longer exists
  InvalidName,      // an empty root, or a name that would leave its root
  PathTooLong,      // a path longer than the shell's file operation takes
  KeptAside,        // an item set aside could not be moved back (or to the
                    // recycle bin): path is where it is kept
};

// The primitive steps of the operations on the real file system (Windows:
// the shell's file operation, folders/shell_file_operations.h) or on a
// test's own. Paths are Windows paths as plain text (common/paths.h);
// nothing here throws.
class FileOperations {
public:
  virtual ~FileOperations() = default;
  // Copies the file or folder source, with everything in it, into the
  // existing folder targetFolder under its own name; a folder of that name
  // there is merged into and files in it are overwritten. A copied folder
  // tree keeps the source's folder times. titleId is the string id of the
  // progress title. False when anything was left uncopied (cancelled, disk
  // full, a path too long); the copy may then be partial.
  virtual bool CopyItem(const std::string& source, const std::string& targetFolder,
                        unsigned titleId) = 0;
  // Sends the item at path to the recycle bin. True when nothing is left
  // there (nothing there at all included). False when it is still there;
  // a folder may then have lost part of its contents to the bin.
  virtual bool RecycleItem(const std::string& path) = 0;
  // Moves the item at from to to on the same volume (a rename). False, and
  // nothing moved, when to exists or the system refuses.
  virtual bool MoveItem(const std::string& from, const std::string& to) = 0;
  // Removes the item at path for good, read-only items and everything in a
  // folder included. True when nothing is left at path.
  virtual bool RemoveItem(const std::string& path) = 0;
  virtual bool Exists(const std::string& path) = 0;
  virtual bool IsFolder(const std::string& path) = 0;
  // Makes one folder whose parent exists. False when it was not made (it
  // exists already included).
  virtual bool MakeFolder(const std::string& path) = 0;
  // The system's temporary folder; empty when it cannot be had.
  virtual std::string TempFolder() = 0;
  // A pseudo-random number, for temporary names.
  virtual uint32_t Random() = 0;
  // Tells the user why an operation on path stopped without a change, or
  // (KeptAside) where an item had to be left.
  virtual void Refuse(Refusal why, const std::string& path) = 0;
};

// Runs op on entry index of list. True on success, and when the operation
// does not act on the entry's state (nothing changes then). On success the
// entry's state and undoable flag (folderUndo) and the comparison's side
// marks are set as the operation says; the caller refreshes the window. On
// failure the entry, the marks and the items on disk are as they were, with
// these exceptions, each losing nothing: without undo, a folder merged into
// or recycled may be left part-done (what went is in the recycle bin); a
// "delete both" whose old item went but could not be put back leaves the
// entry DeletedOld (undoable when there is a backup); an item that could
// not be moved back is reported with Refusal::KeptAside.
bool RunEntryOperation(FolderComparison& comparison, FolderListKind list, size_t index,
                       FolderOperation op, bool folderUndo, FileOperations& ops);

// Makes the folder path and any missing folders above it (trailing
// backslashes ignored). True when a folder exists there at the end; false
// for an empty path or a file in the way.
bool MakeFolderPath(FileOperations& ops, const std::string& path);

// A path in folder named prefix + five digits + ".tmp" at which nothing
// exists, from up to kTempNameTries pseudo-random numbers; empty when none
// of them is free (a folder crowded with such names, or one whose every
// query answers "exists").
constexpr int kTempNameTries = 1000;
std::string MakeTempName(FileOperations& ops, const std::string& prefix,
                         const std::string& folder);
// MakeTempName in the system's temporary folder ("C:\" when there is none).
std::string MakeTempFolderPath(FileOperations& ops, const std::string& prefix);

// True when a component of path names a device (CON, PRN, AUX, NUL, COM1-9,
// LPT1-9, with any extension or trailing dots and spaces): such a path
// reaches the device, not a file.
bool NamesDevice(const std::string& path);

}  // namespace qm
