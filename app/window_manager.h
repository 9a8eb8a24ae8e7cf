// The window manager: the process-wide bookkeeping of the comparison
// windows kept in Settings.TextWindows and Settings.FolderWindows (creation
// order, owning entries): creating, finding, reusing, listing, arranging and
// closing them, the Window menu and the toggles that act on every window.
//
// Deletion is deferred: RemoveTextWindow / RemoveFolderWindow take the entry
// out of its list at once, but the object is deleted by ReapClosedWindows,
// which the message loop calls after each dispatched message. A window is
// usually removed from inside one of its own handlers (WM_CLOSE, Exit), whose
// frames must not run on a deleted object.
//
// User-interface thread only.
#pragma once

#include <windows.h>

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "app/comparison_window.h"

namespace qm {

struct WindowPlacement;

// A new text comparison window object whose window is not created yet.
// Defined by the text window (textwin/text_window.cpp).
std::unique_ptr<ComparisonWindow> NewTextWindow();

// Folder windows come from a factory registered at start-up; without one,
// no folder window can be made: CanCreateFolderWindow is false, command
// 20001 is disabled and OpenFolderComparison refuses.
using WindowFactory = std::unique_ptr<ComparisonWindow> (*)();
void SetFolderWindowFactory(WindowFactory factory);
bool FolderWindowsAvailable();

// The Options dialog (command 20214) is opened through a function
// registered at start-up; without one the command is disabled.
// The function shows the existing dialog or creates it; false on failure.
using OptionsOpener = bool (*)(HWND owner);
void SetOptionsOpener(OptionsOpener opener);
bool OptionsAvailable();
// Command 20214: opens the Options dialog (nothing without an opener).
void OpenOptions(HWND owner);

// ---- Creation and lists ----

// True unless Settings.ReUseFileWindow is on and a text window exists.
bool CanCreateTextWindow();
// The same with ReUseFolderWindow; always false without a folder factory.
bool CanCreateFolderWindow();
// Creates, lists, shows (maximised when the kind's placement says so) and
// updates a window, then UpdateAllCommandStates. Null on failure (nothing
// is listed). The placement's maximized flag survives the creation.
ComparisonWindow* CreateTextWindow();
ComparisonWindow* CreateFolderWindow();
// Takes the window out of its list (the object is deleted by
// ReapClosedWindows), then UpdateAllCommandStates.
void RemoveTextWindow(ComparisonWindow* window);
void RemoveFolderWindow(ComparisonWindow* window);
void RemoveWindow(ComparisonWindow* window);
// Deletes the objects of removed windows. Safe only where no handler of a
// comparison window is on the stack (the top of the message loop, shutdown).
void ReapClosedWindows();

void UpdateAllCommandStates();
ComparisonWindow* FirstTextWindow();
ComparisonWindow* FirstFolderWindow();
ComparisonWindow* FindIdleTextWindow();
ComparisonWindow* FindIdleFolderWindow();
// Position of window in its list, or -1.
int WindowIndex(const ComparisonWindow* window);

// Opens a comparison of two files: reuses window, or (ReUseFileWindow, no
// newWindow) the first text window, or else the first idle text window, or
// creates one; fills it and compares. Returns the window or null when none
// could be made.
ComparisonWindow* OpenTextComparison(ComparisonWindow* window, const std::string& left,
                                     const std::string& right, bool newWindow);
// The same for two folders: newWindow ignores window; else window, else
// (ReUseFolderWindow) the first folder window or (otherwise) the first idle
// one; else a new one. Null when no folder window could be made.
ComparisonWindow* OpenFolderComparison(ComparisonWindow* window, const std::string& oldFolder,
                                       const std::string& newFolder, bool newWindow);

// Gives the focus to the window at position n of its list (nothing past
// the end).
void FocusTextWindow(size_t n);
void FocusFolderWindow(size_t n);

// The rectangle a new window of a kind takes: the stored one, or with other
// windows of the kind open the stored one moved 50 right and 50 down, moved
// to (0, 0) with its size when that passes the work area's right or bottom.
RECT InitialWindowRect(const WindowPlacement& stored, bool othersOpen, const RECT& workArea);
RECT InitialTextWindowRect();
RECT InitialFolderWindowRect();

// ---- Window menu, arranging, closing ----

// The Window menu's item text for a window with these side names: string 3
// "%1, %2".
std::string WindowMenuItemText(const std::string& leftName, const std::string& rightName);
// Deletes every item after the fourth and appends the folder windows, a
// separator and the text windows (the current one checked; grayed "(no ...
// windows)" items for an empty list).
void RebuildWindowMenu(ComparisonWindow* current, HMENU windowMenu);

// The rectangles of count tiled windows in workArea: side by side for
// vertical tiling (stacked for horizontal), a grid of about square shape
// from four windows on. Used where the system's TileWindows does nothing
// (Wine implements it and CascadeWindows as stubs).
std::vector<RECT> TileLayout(size_t count, const RECT& workArea, bool vertical);
// The rectangles of count cascaded windows, each step pixels right of and
// below the one before, all of one size that keeps the last inside the
// work area (at least half the work area); the same Wine stub applies.
std::vector<RECT> CascadeLayout(size_t count, const RECT& workArea, int step);

void CascadeAll();
void TileAllHorizontally();
void TileAllVertically();
// Exit: asks each text window in list order and stops at the first refusal
// (false); then destroys every folder window. A window whose comparison is
// running is asked to cancel and closes itself when the comparison ends.
bool CloseAll();

// ---- View toggles and display settings ----

void ToggleToolBar();
void ToggleQuickBar();
void ToggleStatusBar();
void ToggleSummary();
void ToggleWhiteSpace();
void ToggleWordWrap();
void SetLineNumbers(int mode);  // 0 virtual, 1 real, 2 none
// Re-makes the shared background brushes and tells every text window to
// re-create its font and repaint.
void ApplyDisplaySettings();

}  // namespace qm
