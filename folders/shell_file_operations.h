// The system's side of the folder operations: the shell's file operation
// (copies and recycle-bin deletions with the shell's progress window),
// renames, permanent removal of backups and the temporary folder.
//
// User-interface thread only.
#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "folders/folder_ops.h"

namespace qm {

// The operations of one folder window; owner owns the shell's progress and
// error windows.
std::unique_ptr<FileOperations> NewShellFileOperations(HWND owner);

// Removes a backup folder (or a set-aside item) with everything in it, for
// good, read-only items included. The folder comparison's discardBackup.
void DiscardBackupFolder(const std::string& path);

}  // namespace qm
