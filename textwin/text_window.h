// TextWindow: the top-level window of one text comparison (window class
// "TextWindow").
//
// It frames the text pane with a name bar per side (modified and read-only
// marks, a file-name combo box bound to its history, a browse button), the
// vertical scroll bar shared by both sides, a horizontal scroll bar per side
// with the SplitterThumb between them, the summary bar, and the tool bar,
// Quick Bar and status bar. It owns the comparison's life cycle: it asks
// to save modified sides, runs the load-and-compare on a worker under the
// progress dialog, reports the outcome, saves, swaps sides, takes dropped
// files and routes the commands of a text comparison.
//
// Ownership: the window owns the comparison document (both sides, the
// DiffList, the edit history and the options they were compared with), the
// pane that shows it, the thumb and every child window. The scroll bars are
// its children and are lent to the pane.
//
// Writing: every write of a side goes through WriteSide, which refuses a
// side that was never loaded, a target that is the other compared file, and
// asks before overwriting a file that changed on disk since it was read.
//
// Threads: only the work of a Refresh runs off the user-interface thread,
// through ComparisonWindow::RunComparison. It reads the names and a copy of
// the comparison settings taken before it starts, writes the pane's state
// and compareResult_, and touches no window. The user-interface thread
// reads the result only after the progress dialog has ended.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/comparison_window.h"
#include "app/history_combo.h"
#include "engine/compare_state.h"
#include "app/command_states.h"
#include "textwin/compare_document.h"
#include "textwin/edit_history.h"
#include "textwin/text_view.h"
#include "textwin/window_layout.h"

namespace qm {

class QuickBar;
class SplitterThumb;
class SummaryBar;

// The tool bar's buttons in order; 0 is a separator.
extern const UINT kToolBarCommands[24];

class TextWindow : public ComparisonWindow, public TextViewHost {
public:
  static constexpr char kClassName[] = "TextWindow";

  TextWindow();
  ~TextWindow() override;

  // ---- ComparisonWindow ----
  WindowKind kind() const override { return WindowKind::Text; }
  bool CreateFrame() override;
  bool PreTranslateMessage(MSG* msg) override;
  void SetNames(const std::string& left, const std::string& right, bool compareNow) override;
  // Ask to save for the left side, then the right; false when the user
  // cancelled (or a save that was asked for failed or was cancelled).
  bool AskToSave() override;
  void UpdateCommandStates() override;
  void ApplyBars() override;
  std::string SideMenuName(int side) const override;
  void ApplyDisplay(const DisplaySettings& snapshot) override;
  CommandContext CommandSnapshot() const override;

  // ---- Operations of the window ----
  void Refresh();
  bool SaveSide(int side);
  bool SaveSideAs(int side);
  void Browse(int side);
  void SwitchSides();
  // The path a side stands for: its SidePath when set, else the box text.
  std::string SidePathOf(int side) const;

  TextView& Pane() { return *pane_; }
  CompareDocument& Document() { return document_; }
  EditHistory& History() { return history_; }
  CompareResult LastResult() const { return compareResult_; }
  bool NamesUnchanged() const { return namesUnchanged_; }
  HWND NameBox(int side) const { return name_[side].hwnd(); }
  const PaneLayoutResult& Layout() const { return layout_; }
  std::string TitleText() const;
  // Status bar part 0 to 3; parts 1 to 3 are empty until a comparison
  // succeeds, and again from the start of the next one.
  std::string StatusText(int part) const;

protected:
  void RegisterHandlers() override;
  LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
  // Creation and layout (text_window.cpp).
  LRESULT OnCreate(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnPaint(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnSize(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnSetFocus(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnScroll(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnDrawItem(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnNotify(HWND, UINT, WPARAM, LPARAM);
  void CreateChildren();
  void CreateToolBar();
  void CreateStatusBar();
  void PaneLayout();
  // Scrolls a name box to show its path whole when it fits, else its end;
  // newText: the box's text was just set, its caret goes to the end.
  void UpdateStatusParts();
  void UpdateTitle();
  void UpdateStatus(int part);
  // Fills status parts 1 to 3, or empties them.
  void ShowResultInStatus(bool shown);

  // Comparing, saving, names (text_window_compare.cpp).
  void ReportResult();
  bool AskToSaveSide(int side);
  bool WriteSide(int side, const std::string& path);
  // True when path may be written: false (after telling the user) when it
  // is one of the compared files other than side's own (side -1: either).
  bool TargetIsFree(const std::string& path, int side);
  void SetNameText(int side, const std::string& text);
  std::string NameText(int side) const;
  LRESULT OnNameBoxCommand(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnDropFiles(HWND, UINT, WPARAM, LPARAM);
  void DropPaths(const std::vector<std::string>& paths);

  // Commands (text_window_commands.cpp).
  void RegisterCommands();
  void RegisterMergeCommands(const std::function<void(UINT, std::function<void()>)>& command);
  // Replace <-- / -->: after the user confirms, side becomes a copy of the
  // other and is written to its file at once.
  void ReplaceSide(int side);
  // Find (text_window_find.cpp): commands 20107-20109 and the find
  // dialog's notifications. FindAgain does nothing while there is no
  // search text; a miss is reported in a message box.
  void RegisterFind();
  void OpenFindDialog();
  void TakeSelectionAsSearchText();
  void FindAgain(bool forwards);
  LRESULT OnFindReplace(HWND, UINT, WPARAM, LPARAM);
  void Export();
  void OpenWithShell(int command);

public:
  // ---- TextViewHost: what the pane reports (user-interface thread, but
  // IsRepeatComparison, which the worker reads during a run) ----
  void OnCaretMoved(bool rowChanged) override;
  void OnContentChanged() override;
  bool IsComparing() const override { return busy(); }
  bool IsRepeatComparison() const override { return repeatRun_; }
  bool IsSideModified(int side) const override { return history_.IsModified(side); }
  void OnSideSaved(int side) override;

private:
  CompareDocument document_;  // declared first: the pane borrows it
  EditHistory& history_ = document_.History();
  std::unique_ptr<TextView> pane_;
  std::unique_ptr<SplitterThumb> thumb_;
  std::unique_ptr<SummaryBar> summaryBar_;  // borrows the pane: declared after it
  HWND verticalBar_ = nullptr;
  HWND horizontalBar_[2] = {nullptr, nullptr};
  HWND summary_ = nullptr;  // summaryBar_'s window
  HistoryCombo name_[2];
  HWND browse_[2] = {nullptr, nullptr};
  HWND modifiedMark_[2] = {nullptr, nullptr};
  HWND readOnlyMark_[2] = {nullptr, nullptr};
  HWND toolBar_ = nullptr;
  std::unique_ptr<QuickBar> quickBar_;
  HWND statusBar_ = nullptr;
  HWND toolTip_ = nullptr;
  PaneLayoutResult layout_;
  std::optional<CommandContext> toolContext_;  // what the tool bar shows

  std::string sidePath_[2];  // empty: fall back to the box text
  DisplaySettings display_;  // what the window was last laid out with
  bool modifiedShown_[2] = {false, false};
  bool readOnlyShown_[2] = {false, false};

  // Comparison run: set before the worker starts, read after it has ended.
  CompareResult compareResult_;
  bool repeatRun_ = false;
  bool namesUnchanged_ = false;
  bool resultShown_ = false;  // the status bar describes a comparison
};

}  // namespace qm
