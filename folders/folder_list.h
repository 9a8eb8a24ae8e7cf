// FolderList: the owner-drawn list box that shows one result list of a
// folder comparison in a tab of the folder window: state marks, icons,
// names and the difference words; selection that never spans two lists;
// the context menu built from the chosen entries' states; the default
// actions on double-click and Enter; and the list commands run on every
// chosen entry.
//
// The list borrows its result list from the host's comparison: row i shows
// entry i of comparison.List(kind). The host (the folder window) outlives
// the list.
//
// User-interface thread only.
#pragma once
#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

#include "folders/folder_compare.h"
#include "folders/folder_entry.h"
#include "folders/folder_ops.h"
#include "folders/shell_actions_win32.h"

namespace qm {

class ComparisonWindow;
class FolderList;

// What a list needs of the window that holds it.
class FolderListHost {
public:
  virtual ~FolderListHost() = default;
  // The comparison whose lists the rows show.
  virtual FolderComparison& Comparison() = 0;
  // The folder window, for the window manager's openers and as the owner
  // of menus, message boxes and the shell's progress windows.
  virtual ComparisonWindow* Window() = 0;
  // Clears the selections of the other three lists.
  virtual void ClearOtherSelections(const FolderList* except) = 0;
  // Entries changed state (an operation, Compare): refresh the title and
  // the tab captions; when marksChanged (a side mark was set that was not
  // set before) redo the layout and repaint the window, else repaint the
  // list.
  virtual void EntriesChanged(FolderList* list, bool marksChanged) = 0;
  // Runs one copy, delete or undo (the shell's file operations with this
  // window as owner). True on success. The list itself calls
  // EntriesChanged afterwards when the entry or a side mark changed.
  virtual bool RunOperation(FolderOperation op, FolderListKind kind, size_t index) = 0;
  // Settings.CompareSubfolders as the lists' difference words read it.
  virtual bool CompareSubfolders() const = 0;

  // Opens the pair chosen for Compare: two folders through the window
  // manager's OpenFolderComparison (this window, or a new one when
  // several), two files through OpenTextComparison. A window that has its
  // own openers (a test's) overrides it.
  virtual void OpenPair(const std::string& oldPath, const std::string& newPath, bool isFolder,
                        bool several);
  // Runs Open in app, Explore folder or Properties on one entry (the
  // shell's requests; the error box on failure).
  virtual void RunShellAction(ShellAction action, FolderListKind kind, size_t index);
};

class FolderList {
public:
  FolderList(FolderListHost& host, FolderListKind kind);
  ~FolderList();
  FolderList(const FolderList&) = delete;
  FolderList& operator=(const FolderList&) = delete;

  // Creates the list box (child of parent, control id id) and subclasses
  // it. False when it could not be made.
  bool Create(HWND parent, int id);
  HWND hwnd() const { return hwnd_; }
  FolderListKind kind() const { return kind_; }

  // Empties the list box, then adds one row per entry of the result list.
  void Refill();
  // Empties the list box.
  void Clear();
  void SelectAll();
  void ClearSelection();
  bool HasFocus() const;

  // The row height: the default GUI font's height, at least 18.
  static int RowHeight();
  // The window's WM_MEASUREITEM / WM_DRAWITEM for this list's id.
  void Measure(MEASUREITEMSTRUCT* item) const;
  void Draw(const DRAWITEMSTRUCT* item);

  // The default action of the row under the caret (double-click), and the
  // command that Enter posts to the list (0: none).
  void DoubleClick();
  UINT EnterCommand() const;

  // A list command (20600-20605, 20100, 20512-20514) on every chosen entry.
  // A command this list never offers (a copy in the Same list, Undo there)
  // does nothing, whichever route it came by.
  void RunCommand(UINT id);
  // True when the list's menus may offer command id at all.
  bool Offers(UINT id) const;

  // The context menu for the chosen rows as it would open now (null for an
  // empty list); the caller destroys it.
  HMENU BuildContextMenu() const;
  // The difference words row shows at its right ("(newer, larger)"); empty
  // outside the Changed list and for an entry without differences.
  std::string RowDescription(size_t row) const;

private:
  struct Impl;
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  void OnRightButton(UINT msg, LPARAM lParam);
  void ShowContextMenu(LPARAM lParam);
  std::vector<FolderEntry>& Entries() const;
  std::vector<size_t> SelectedRows() const;
  int CaretRow() const;
  // The rows a list command acts on, and the rows the context menu is for
  // (single: the caret row alone).
  std::vector<size_t> CommandRows() const;
  std::vector<size_t> MenuRows(bool* single) const;
  void RunOn(UINT id, const std::vector<size_t>& rows);
  bool RunEntryOp(FolderOperation op, size_t row);
  void CompareEntry(size_t row, bool several);

  FolderListHost& host_;
  FolderListKind kind_;
  HWND hwnd_ = nullptr;
  Impl* impl_ = nullptr;
};

}  // namespace qm
