// FolderWindow: the top-level window of one folder comparison (window class
// "FolderWindow").
//
// It frames the four result lists (tabs Changed, Old, New, Same) with a
// folder bar per side (label, side-modified marker, folder combo box bound
// to its history, Go Up and Choose folder buttons), the tool bar, the Quick
// Bar in its folder mode and the status bar. It runs the comparison on a
// worker under the progress dialog, reports the outcome, swaps the sides,
// moves up to parent folders, takes dropped folders and files, and hosts
// the lists, which act on the entries through the operations it runs.
//
// Ownership: the window owns the comparison (roots, the four result lists,
// the side marks), the four lists that show it, the file operations of its
// lists and every child window. The window manager owns the window.
//
// Threads: only the scan of a Refresh runs off the user-interface thread,
// through ComparisonWindow::RunComparison. It works on the comparison and a
// copy of the settings taken before it starts; the lists are emptied
// before it starts and refilled after it has ended, so painting meanwhile
// reads nothing the worker writes.
#pragma once

#include <windows.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "app/comparison_window.h"
#include "app/history_combo.h"
#include "folders/folder_compare.h"
#include "folders/folder_list.h"
#include "folders/folder_window_rules.h"

namespace qm {

class FileOperations;
class QuickBar;

// The tool bar's buttons in order (0: separator) and their strip images.
extern const UINT kFolderToolBarCommands[9];

class FolderWindow : public ComparisonWindow, public FolderListHost {
public:
  static constexpr char kClassName[] = "FolderWindow";

  FolderWindow();
  ~FolderWindow() override;

  // ---- ComparisonWindow ----
  WindowKind kind() const override { return WindowKind::Folder; }
  bool CreateFrame() override;
  bool PreTranslateMessage(MSG* msg) override;
  // OpenFolders: both bars' texts (persisted), focus, repaint, and Refresh
  // when compareNow.
  void SetNames(const std::string& oldFolder, const std::string& newFolder,
                bool compareNow) override;
  // Nothing to save; false only while a file operation runs, which must
  // end before the window and its entries go.
  bool AskToSave() override { return !operating_; }
  void UpdateCommandStates() override;
  void ApplyBars() override;
  std::string SideMenuName(int side) const override;
  CommandContext CommandSnapshot() const override;

  // ---- FolderListHost ----
  FolderComparison& Comparison() override { return comparison_; }
  ComparisonWindow* Window() override { return this; }
  void ClearOtherSelections(const FolderList* except) override;
  void EntriesChanged(FolderList* list, bool marksChanged) override;
  bool RunOperation(FolderOperation op, FolderListKind kind, size_t index) override;
  bool CompareSubfolders() const override;

  // ---- Operations of the window ----
  void Refresh();
  void SwitchSides();
  void CompareParents();
  void GoUp(int side);
  void ChooseFolder(int side);
  void RefreshTitle();
  void RefreshTabCaptions();
  std::string TitleText() const;
  // The folder a side stands for: the root of the last comparison, else
  // the bar's text.
  std::string SideFolder(int side) const;
  CompareResult LastResult() const { return result_; }

protected:
  void RegisterHandlers() override;
  LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
  // Creation, layout, painting and tabs (folder_window.cpp).
  LRESULT OnCreate(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnPaint(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnSize(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnSetFocus(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnNotify(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnDrawItem(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnMeasureItem(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnVKeyToItem(HWND, UINT, WPARAM, LPARAM);
  void CreateChildren();
  void CreateToolBar();
  void Layout();
  // Removes and re-inserts the four tabs with their plain captions; the
  // first tab, Changed, becomes the current one.
  void RebuildTabs();
  void ShowCurrentTab(bool focus);
  FolderList* CurrentList() const;
  FolderList* ListOf(FolderListKind kind) const;
  FolderList* ListById(int id) const;

  // Commands, bars, keys and drops (folder_window_commands.cpp).
  void RegisterCommands();
  void ReportResult(const CompareResult& result);
  void SelectAll();
  void SaveBarText(int side);
  LRESULT OnBarCommand(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnListCommand(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnDropFiles(HWND, UINT, WPARAM, LPARAM);
  void DropPaths(const std::vector<std::string>& paths);

  FolderComparison comparison_;  // declared first: the lists borrow it
  std::array<std::unique_ptr<FolderList>, kFolderListCount> lists_;  // by FolderListKind
  std::unique_ptr<FileOperations> fileOps_;
  HistoryCombo bar_[2];
  HWND label_[2] = {nullptr, nullptr};
  HWND marker_[2] = {nullptr, nullptr};
  HWND goUp_[2] = {nullptr, nullptr};
  HWND browse_[2] = {nullptr, nullptr};
  HWND tabs_ = nullptr;
  HWND toolBar_ = nullptr;
  std::unique_ptr<QuickBar> quickBar_;
  HWND statusBar_ = nullptr;
  HWND toolTip_ = nullptr;
  FolderLayout layout_;
  bool hasRoots_ = false;     // the roots belong to a comparison that returned 0
  bool counted_ = false;      // the tab captions show counts
  bool operating_ = false;    // a copy, delete or undo is running
  CompareResult result_;
};

// The factory the program registers with SetFolderWindowFactory.
std::unique_ptr<ComparisonWindow> NewFolderWindow();

}  // namespace qm
