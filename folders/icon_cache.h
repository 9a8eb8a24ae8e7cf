// The icon cache: one pair of image lists (32 x 32 and 16 x 16, always the
// same icons at the same indices) shared by every folder window, and a table
// from a file-type key or a stock icon number to an index in them, so that
// each icon is fetched from the shell once per run.
//
// A file's key is its extension with the dot (".txt", any case), or the
// whole path for programs, libraries, controls and icon files (".exe",
// ".dll", ".ocx", ".ico"), which carry icons of their own. A lookup that
// found nothing is remembered as -1 too.
//
// Threads: IconForFile and StockIcon run on comparison workers, possibly two
// at once, while the user-interface thread draws from the small list. One
// lock guards the table and both image lists; drawing goes through
// DrawSmallIcon, which takes it. The shell and registry queries run outside
// the lock, so a slow query does not stall the painting of other windows.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

namespace qm {

// Creates the two lists and finds the shell's generic document icon. Called
// once at start-up; false when the lists could not be made (lookups then
// give -1).
bool InitIconCache();
// Frees the table and destroys both lists. Called once at exit; lookups
// afterwards give -1.
void DestroyIconCache();

// The index of the icon of the file at path (UTF-8), or -1 when it has no
// usable icon of its own (no extension, a leading dot only, a type neither
// the shell nor the registry has an icon for).
int IconForFile(const std::string& path);
// The index of the shell's stock icon number (0 plain document, 3 closed
// folder), after the user's override under "Shell Icons"; -1 when none.
int StockIcon(int number);

// The two lists; null before InitIconCache. Draw with DrawSmallIcon from
// any thread that may race with a worker.
HIMAGELIST LargeImageList();
HIMAGELIST SmallImageList();
// Draws icon index of the small list transparently at (x, y); nothing for
// an index the list does not hold.
void DrawSmallIcon(HDC dc, int index, int x, int y);

// What the tests read: the number of table records, and how many times the
// shell was asked for a file's icons since start-up.
size_t IconCacheRecordCount();
int IconCacheShellQueries();

}  // namespace qm
