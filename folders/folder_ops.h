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

class FileOperations;  // the seam, declared below by the operations' author

// Runs op on entry index of list. True on success, and when the operation
// does not act on the entry's state (nothing changes then). On success the
// entry's state and undoable flag (folderUndo) and the comparison's side
// marks are set as the operation says; the caller refreshes the window. On
// failure the entry, the marks and the items on disk are as they were.
bool RunEntryOperation(FolderComparison& comparison, FolderListKind list, size_t index,
                       FolderOperation op, bool folderUndo, FileOperations& ops);

}  // namespace qm
