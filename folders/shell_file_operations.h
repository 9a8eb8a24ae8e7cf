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

// Interactive: the shell's progress and error windows and the program's
// own message for a refusal are shown. Quiet (tests, scripted use): none
// of them; failures are only returned.
enum class ShellOperationsMode { Interactive, Quiet };

// The operations of one folder window; owner owns the shell's progress and
// error windows and the message boxes.
std::unique_ptr<FileOperations> NewShellFileOperations(
    HWND owner, ShellOperationsMode mode = ShellOperationsMode::Interactive);

// Removes a backup folder (or a set-aside item) with everything in it, for
// good, read-only items included. The folder comparison's discardBackup.
void DiscardBackupFolder(const std::string& path);

// Gives every folder of the target tree the creation, last-access and
// last-write times of the source folder at the same relative path. Folders
// that cannot be opened are skipped; links to folders are not followed.
void CopyFolderTimes(const std::string& source, const std::string& target);

}  // namespace qm
