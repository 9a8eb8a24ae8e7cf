// The folder comparison: scans an old and a new folder tree, pairs their
// entries by name, compares each pair by the chosen criteria and sorts
// every entry into one of four result lists (Old, New, Changed, Same).
//
// Everything here is portable; the file system is reached through a
// FolderFileSystem (folders/file_system.h) and the progress dialog through
// the runner the caller passes, so the whole comparison runs natively in
// tests and tools.
//
// Threads: RunFolderCompare runs the scan, the matching, the contents
// criteria and the sort inside the runner (the window runs it on a worker
// thread under its progress dialog). Until the runner returns only that
// work touches the comparison's lists; the caller's thread reads them
// afterwards. The cancel flag is the one thing written meanwhile: by the
// user-interface thread, polled by the worker. The settings are copied when
// the comparison starts.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/compare_options.h"
#include "engine/diff_engine.h"
#include "folders/file_system.h"
#include "folders/folder_entry.h"

namespace qm {

// The folder settings, named after their registry values, and the text
// options that the full contents criterion compares with. At most one of
// CompareQuick and CompareFull, and of the two filters, is on.
struct FolderCompareSettings {
  bool IgnoreNameCase = true;
  bool CompareSubfolders = true;
  bool CompareAttribs = false;
  bool CompareFolderAttribs = false;
  bool CompareDate = true;
  bool CompareFolderDate = false;
  bool CompareSize = true;
  bool CompareQuick = false;
  bool CompareFull = false;
  bool HaveIncludeFilter = false;
  bool HaveExcludeFilter = false;
  std::string IncludeFilter;  // the most recent item of IncludeFilterHistory
  std::string ExcludeFilter;  // the most recent item of ExcludeFilterHistory
  CompareOptions text;
};

// Result codes of a folder comparison (CompareResult::code); 0 done, 1 out
// of memory, 2 aborted by the user are the engine's. Codes 13 and 14 carry
// the system's error code in CompareResult::detail.
constexpr CompareCode kOldFolderInvalid = static_cast<CompareCode>(9);
constexpr CompareCode kNewFolderInvalid = static_cast<CompareCode>(10);
constexpr CompareCode kOldFolderMissing = static_cast<CompareCode>(11);
constexpr CompareCode kNewFolderMissing = static_cast<CompareCode>(12);
constexpr CompareCode kOldFolderUnreadable = static_cast<CompareCode>(13);
constexpr CompareCode kNewFolderUnreadable = static_cast<CompareCode>(14);

// Runs the comparison's work (a callable without arguments) and returns
// when it is done; the window shows its progress dialog meanwhile and lets
// a worker thread, with COM initialised, call it.
using WorkerRunner = std::function<void(const std::function<void()>& work)>;

// The state of one folder window's comparison. Lists own their entries.
struct FolderComparison {
  std::string oldRoot;
  std::string newRoot;
  std::array<std::vector<FolderEntry>, kFolderListCount> lists;  // by FolderListKind
  CancelFlag cancel{0};
  bool modified[2] = {false, false};  // per side, set by the folder operations
  // Deletes the undo backup at a path when an entry that owns one is
  // dropped. Unset: backups are left where they are.
  std::function<void(const std::string& undoPath)> discardBackup;
  // The icon of an entry added to a list, from the full path of the item it
  // shows (the old side's for the Old list, else the new side's). Called on
  // the worker. Unset: entries carry no icon (-1).
  std::function<int32_t(const std::string& path, bool isFolder)> iconFor;

  std::vector<FolderEntry>& List(FolderListKind kind) {
    return lists[static_cast<size_t>(kind)];
  }
};

// The folder name check: not empty; no leading ":"; a ":" only as the
// second character, after a drive letter and before a backslash (or in a
// bare drive "C:"); a server name "\\server" must go on to a share; none of
// ?*<>|. A trailing backslash is allowed.
bool IsValidFolderPath(const std::string& path);

// Empties the four lists, handing every undo backup to discardBackup.
void ClearResultLists(FolderComparison& comparison);

// Compares comparison.oldRoot with comparison.newRoot and fills the four
// lists, each sorted by EntryLess. The lists are emptied first and both
// side marks cleared. Returns 0; 9 or 10 for an invalid root name, 11 or
// 12 for a root that is no folder (checked in that order, before any
// work); 13 or 14 when a root cannot be listed (detail: the system's
// error); 2 when the cancel flag was set during the run; 1 when memory ran
// out. On any code but 0 the lists hold a partial result and mean nothing.
// runWorker empty: the work runs on the calling thread.
CompareResult RunFolderCompare(FolderComparison& comparison, const FolderCompareSettings& settings,
                               FolderFileSystem& fs, const WorkerRunner& runWorker = {});

}  // namespace qm
