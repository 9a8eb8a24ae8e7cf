// ProgressDialog: the modal "Please wait..." dialog (resource 1140) under
// which every comparison runs its worker thread.
//
// Run starts the worker suspended at WM_INITDIALOG, resumes it, and ends the
// dialog only when the worker has posted CompareDoneMessage; Cancel (button,
// Esc or close box) disables the button and sets the caller's cancel flag,
// the dialog stays. The owner window is disabled meanwhile by the modal loop;
// other top-level windows stay usable.
//
// Worker contract (Run's thread procedure): CoInitialize(NULL) first and
// CoUninitialize at the end; poll the cancel flag; store results in the
// caller's object, never calling into a window; as the very last action call
// NotifyDone() on this dialog (reached through the caller's object).
// RunTask wraps a function in exactly that contract.
//
// Given a CompareProgress (ShowProgress), the dialog reads it on a timer and
// says what the worker is doing (reading, comparing, comparing the changed
// lines), with a bar of the bytes read while the files are read; until the
// worker enters a stage it says "Please wait while comparing...".
//
// Run never returns while the worker runs: should the dialog be destroyed
// without the worker's report (its owner destroyed by force), Run sets the
// cancel flag and waits for the thread before returning.
#pragma once

#include <windows.h>

#include <functional>

#include "controls/window_base.h"
#include "app/registered_messages.h"
#include "engine/compare_progress.h"
#include "engine/diff_engine.h"

namespace qm {

class ProgressDialog : public DialogBase {
public:
  // dialogTemplate: an in-memory template to use instead of resource 1140
  // (it needs a button with id IDCANCEL); null for the resource.
  explicit ProgressDialog(const DLGTEMPLATE* dialogTemplate = nullptr);

  // Returns 0 once the worker has reported, or -1 when no worker ran (the
  // dialog or the thread could not be made; startError() tells why).
  INT_PTR Run(HWND owner, LPTHREAD_START_ROUTINE proc, void* param, CancelFlag* cancel);
  // Runs work on the worker under the contract above. Exceptions thrown by
  // work end it early; the dialog still closes.
  INT_PTR RunTask(HWND owner, std::function<void()> work, CancelFlag* cancel);

  // The record the worker reports its stage in (borrowed; must outlive Run).
  void ShowProgress(const CompareProgress* progress) { progress_ = progress; }

  // The worker's last action: posts CompareDoneMessage to the dialog.
  void NotifyDone() const;
  DWORD startError() const { return startError_; }

  INT_PTR DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
  static DWORD WINAPI TaskThread(void* param);
  void StartWorker(HWND hwnd);
  void ShowStage(HWND hwnd);

  const DLGTEMPLATE* template_;
  HWND owner_ = nullptr;
  HWND dialog_ = nullptr;  // read by the worker; set before it starts
  HANDLE thread_ = nullptr;
  LPTHREAD_START_ROUTINE proc_ = nullptr;
  void* param_ = nullptr;
  CancelFlag* cancel_ = nullptr;
  std::function<void()> work_;
  bool reported_ = false;
  DWORD startError_ = 0;
  const CompareProgress* progress_ = nullptr;
  CompareStage shownStage_ = CompareStage::Starting;
};

// Centres rect on the owner rectangle, keeping its size.
RECT CenteredRect(const RECT& rect, const RECT& owner);

}  // namespace qm
