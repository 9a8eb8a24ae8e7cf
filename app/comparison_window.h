// ComparisonWindow: the common base of the two kinds of top-level comparison
// window (TextWindow in textwin/, FolderWindow in folders/), and what the
// window manager needs of each.
//
// What the base does for every comparison window, so a derived window does
// not repeat it:
// - counts itself in Settings.OpenWindowCount once its WM_CREATE succeeded
//   and uncounts at WM_DESTROY; the last one posts WM_QUIT;
// - WM_CLOSE: while a comparison runs, cancels it and closes once the run
//   has ended (see closing below); otherwise AskToSave, and when that agrees
//   destroys the window and hands it to the window manager, which deletes
//   the object once the message being dispatched has returned;
// - WM_QUERYENDSESSION: refuses while busy, else asks AskToSave;
//   WM_ENDSESSION: saves the settings (ExitInstance), as the process will
//   not return to WinMain;
// - keeps the kind's placement (Settings.CompareWindow or SessionWindow) on
//   WM_SIZE, WM_MOVE and WM_ACTIVATE, after the derived handler has run;
// - WM_INITMENUPOPUP: rebuilds the Window menu (menu-bar position 3 in a
//   text window, 2 in a folder window), calls
//   UpdateMenuPopup for the derived states, then converts the popup's items
//   to owner-drawn items with the command images; WM_MEASUREITEM and
//   WM_DRAWITEM for menu items (ODT_MENU) never reach the derived maps;
// - the commands common to both kinds (RegisterHandlers): 20000, 20001,
//   20008, 20009, 20200, 20215, 20201, 20202-20204, 20207-20209, 20214,
//   20300-20302, 20700-20709, 25003, and the Window menu's 59000-59999.
//
// A derived window must:
// - implement the pure virtual operations below;
// - call ComparisonWindow::RegisterHandlers first in its own, and not
//   register WM_CLOSE, WM_QUERYENDSESSION or WM_ENDSESSION (it answers
//   through AskToSave);
// - end an overriding WindowProc in ComparisonWindow::WindowProc;
// - run every comparison through RunComparison, so that the window counts as
//   busy for the whole run and its cancel flag is the one CloseAll sets;
// - clear the idle flag (ClearIdle) when its first comparison starts.
//
// Threads: user-interface thread, except the work handed to RunComparison,
// which runs on the worker.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/command_states.h"
#include "app/display_settings.h"
#include "controls/window_base.h"
#include "engine/compare_progress.h"
#include "engine/diff_engine.h"

namespace qm {

struct WindowPlacement;
struct OwnerMenuItem;

enum class WindowKind { Text, Folder };

class ComparisonWindow : public WindowBase {
public:
  ComparisonWindow();
  ~ComparisonWindow() override;

  // ---- To be implemented by each kind ----

  virtual WindowKind kind() const = 0;
  // Creates the window at the system's default position (WindowBase::Create
  // with the kind's class). The window manager shows it and applies the
  // initial rectangle. False when the window could not be made.
  virtual bool CreateFrame() = 0;
  // Fills the left file / old folder field with left and the right / new
  // field with right (persisted), takes the focus, repaints, and when
  // compareNow sends itself command 20212 (Refresh).
  virtual void SetNames(const std::string& left, const std::string& right, bool compareNow) = 0;
  // Offers to save modified sides ("Save changes to %1?"); false when the
  // user cancelled or a save failed. A folder window returns true.
  virtual bool AskToSave() = 0;
  // Re-evaluates the enabled state of the tool bar buttons (20000 and 20001
  // with CanCreateTextWindow / CanCreateFolderWindow).
  virtual void UpdateCommandStates() = 0;
  // Shows or hides the tool bar, Quick Bar and status bar after
  // Settings.ViewToolBar, ViewQuickBar and ViewStatusBar, re-lays out and
  // repaints.
  virtual void ApplyBars() = 0;
  // The Window-menu name of a side (0 left/old, 1 right/new): the last path
  // component with "*" appended while the side is modified (changed), or
  // "<no file>" (string 4) / "<no folder>" (string 5) for a side without a
  // loaded file or valid folder.
  virtual std::string SideMenuName(int side) const = 0;

  // ---- Optional ----

  // New display settings (a View toggle, the Options dialog): the window
  // compares them with the snapshot it draws with and does what the
  // difference asks (DisplayChangeBetween). The default ignores them
  // (folder windows have no text pane).
  virtual void ApplyDisplay(const DisplaySettings& snapshot);
  // Enables and checks the items of a popup of the menu bar as it opens;
  // position is the popup's place in the menu bar (0 File, 1 Edit, ...), or
  // -1 for a nested popup such as "&Line Numbers". The base has already
  // applied the command states (CommandStateOf) to every item.
  virtual void UpdateMenuPopup(HMENU popup, int position);

  // What the command-state table reads for this window. The base fills
  // the shared part (window manager tests, View toggles, busy); a kind adds
  // its own fields.
  virtual CommandContext CommandSnapshot() const;

  // ---- Provided ----

  // The state of command id in this window now. The menus, the tool bar
  // and the WM_COMMAND dispatch all read it: a command it disables does not
  // run, whether it came from a menu, a key, a button or another process.
  CommandState CommandStateOf(UINT id) const;

  // Set when the object is constructed, cleared by the window's first
  // comparison; FindIdleTextWindow / FindIdleFolderWindow look for it.
  bool idle() const { return idle_; }
  void ClearIdle() { idle_ = false; }

  // True while a comparison of this window is in progress, from the start
  // of RunComparison until it has returned (also while a nested modal loop
  // of another window is still on the stack above it).
  bool busy() const { return busyDepth_ > 0; }
  // The cancel flag of the running comparison: polled by the worker, set by
  // the progress dialog's Cancel and by RequestClose while busy.
  CancelFlag& cancelFlag() { return cancel_; }
  // Where the running comparison may tell its stage: the progress dialog
  // shows it (see CompareSettings::progress). Reset by RunComparison.
  CompareProgress& compareProgress() { return progress_; }
  // A close (WM_CLOSE, Exit) arrived while the comparison ran: the run was
  // cancelled and the window closes as soon as RunComparison has returned,
  // so the outcome of the run needs no message.
  bool closing() const { return closePending_; }

  // Runs work on a worker thread (COM initialised there) under the modal
  // "Please wait..." dialog owned by this window. Clears the cancel flag
  // first. Returns true when the worker ran to its end (cancelled or not:
  // read cancelFlag()); false when no worker thread could be started
  // (nothing ran; GetLastError tells why: ERROR_BUSY when a comparison of
  // this window is already running). work must not touch windows.
  bool RunComparison(const std::function<void()>& work);

  // Closes the window as the user's Close would, for CloseAll: while busy,
  // asks the comparison to stop and closes once it has (returns true: the
  // window is on its way out); otherwise AskToSave and destroy. Returns false
  // when the user refused.
  bool RequestClose();
  // Destroys the window without asking (folder windows in CloseAll). A busy
  // window is cancelled and closes when its comparison ends.
  void ForceClose();

  // The kind's placement in Settings.
  WindowPlacement& placement() const;

  // Owner-drawn menu items created for this window's menus (owned here so
  // they live exactly as long as the menus can show them).
  OwnerMenuItem* AdoptMenuItem(std::unique_ptr<OwnerMenuItem> item);
  void ReleaseMenuItem(OwnerMenuItem* item);

  void RegisterHandlers() override;
  LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

protected:
  // The top-level frame of a kind: window class className with the
  // program's icon, the button-face background and menu resource menuId,
  // titled with the product name, at the system's default place.
  bool CreateTopLevel(const char* className, UINT menuId);
  // Smart refresh: a side the user picked (a chosen file or folder, a
  // history item, a drop on its bar) counts as chosen, and once both sides
  // are the window sends itself Refresh. With Settings.SmartRefresh off
  // nothing is counted. A Refresh starts the count anew.
  void ChooseSide(int side);
  void ClearChosenSides() { chosenSides_ = 0; }

private:
  class BusyScope;
  unsigned chosenSides_ = 0;  // 1 left / old, 2 right / new

  LRESULT OnClose(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnQueryEndSession(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnEndSession(HWND, UINT, WPARAM, LPARAM);
  void InitMenuPopup(HMENU popup, bool isSystemMenu);
  void DestroyAndRemove();

  bool idle_ = true;
  int busyDepth_ = 0;
  bool closePending_ = false;
  bool forcePending_ = false;
  bool counted_ = false;
  CancelFlag cancel_{0};
  CompareProgress progress_;
  std::vector<std::unique_ptr<OwnerMenuItem>> menuItems_;
};

// Keeping the placement: a window that is neither minimised nor maximised
// copies its rectangle into placement and marks it valid; the maximized flag
// follows the window (a minimised window keeps the state it will restore
// to). UpdatePlacement is the rule, TrackPlacement applies it to a window.
void UpdatePlacement(WindowPlacement& placement, const RECT& windowRect, bool minimized,
                     bool maximized, bool restoresMaximized);
void TrackPlacement(HWND hwnd, WindowPlacement& placement);

}  // namespace qm
