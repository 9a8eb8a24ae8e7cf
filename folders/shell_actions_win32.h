// The three shell actions of the folder lists for one entry: open its items
// with their associated programs, open the compared root folders in the
// shell's explorer, and show the shell's properties of its items.
//
// Which items: the Old list's entries exist on the old side only and the
// New list's on the new side only; a Changed or Same entry has both, and the
// old one comes first. A failure shows an error box (owned by owner) with
// the system's reason, and the remaining items are still tried.
//
// User-interface thread only.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "folders/folder_compare.h"
#include "folders/folder_entry.h"

namespace qm {

enum class ShellAction { OpenInApp, ExploreRoots, ShowProperties };

// The paths the action acts on for entry in list kind, in order: the
// items (roots joined with the name) or, for ExploreRoots, the roots.
std::vector<std::string> ShellActionTargets(ShellAction action, FolderListKind kind,
                                            const FolderComparison& comparison,
                                            const FolderEntry& entry);

// Each returns true when every target was handed to the shell.
bool OpenInApp(HWND owner, const FolderComparison& comparison, FolderListKind kind,
               const FolderEntry& entry);
bool ExploreRoots(HWND owner, const FolderComparison& comparison, FolderListKind kind,
                  const FolderEntry& entry);
bool ShowProperties(HWND owner, const FolderComparison& comparison, FolderListKind kind,
                    const FolderEntry& entry);

}  // namespace qm
