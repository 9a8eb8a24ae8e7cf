#include "app/progress_dialog.h"

#include <commctrl.h>
#include <objbase.h>

#include <algorithm>
#include <utility>

#include "controls/module_instance.h"
#include "resources/resource.h"

namespace qm {

namespace {

// The stage is looked at this often (milliseconds).
constexpr UINT kStageTimer = 1;
constexpr UINT kStageInterval = 100;
// The bar's range: the share of the bytes read, in tenths of a percent.
constexpr int kBarRange = 1000;

UINT StageText(CompareStage stage) {
  switch (stage) {
    case CompareStage::Reading: return IDS_PROGRESS_READING;
    case CompareStage::Comparing: return IDS_PROGRESS_COMPARING;
    case CompareStage::Refining: return IDS_PROGRESS_REFINING;
    case CompareStage::Starting: break;
  }
  return 0;
}

}  // namespace

RECT CenteredRect(const RECT& rect, const RECT& owner) {
  const LONG width = rect.right - rect.left;
  const LONG height = rect.bottom - rect.top;
  const LONG left = owner.left + ((owner.right - owner.left) - width) / 2;
  const LONG top = owner.top + ((owner.bottom - owner.top) - height) / 2;
  return RECT{left, top, left + width, top + height};
}

ProgressDialog::ProgressDialog(const DLGTEMPLATE* dialogTemplate) : template_(dialogTemplate) {}

INT_PTR ProgressDialog::Run(HWND owner, LPTHREAD_START_ROUTINE proc, void* param,
                            CancelFlag* cancel) {
  owner_ = owner;
  proc_ = proc;
  param_ = param;
  cancel_ = cancel;
  thread_ = nullptr;
  dialog_ = nullptr;
  reported_ = false;
  startError_ = 0;
  shownStage_ = CompareStage::Starting;

  const INT_PTR result = template_ ? RunModal(template_, owner) : RunModal(IDD_PROGRESS, owner);
  if (result == -1 && !thread_ && !startError_) startError_ = GetLastError();
  if (thread_) {
    // The dialog went away before the worker reported: its caller's object
    // must outlive the worker, so wait here.
    if (cancel_) cancel_->store(1);
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
    thread_ = nullptr;
    return 0;
  }
  return reported_ ? 0 : -1;
}

INT_PTR ProgressDialog::RunTask(HWND owner, std::function<void()> work, CancelFlag* cancel) {
  work_ = std::move(work);
  const INT_PTR result = Run(owner, &ProgressDialog::TaskThread, this, cancel);
  work_ = nullptr;
  return result;
}

DWORD WINAPI ProgressDialog::TaskThread(void* param) {
  auto* self = static_cast<ProgressDialog*>(param);
  const HRESULT com = CoInitialize(nullptr);
  try {
    self->work_();
  } catch (...) {
    // Nothing may unwind out of a thread procedure; the caller sees what the
    // work stored before it failed.
  }
  if (SUCCEEDED(com)) CoUninitialize();
  self->NotifyDone();
  return 0;
}

void ProgressDialog::NotifyDone() const { PostMessageA(dialog_, CompareDoneMessage, 0, 0); }

void ProgressDialog::StartWorker(HWND hwnd) {
  dialog_ = hwnd;
  DWORD id = 0;
  HANDLE thread = CreateThread(nullptr, 0, proc_, param_, CREATE_SUSPENDED, &id);
  if (!thread) {
    startError_ = GetLastError();
    EndDialog(hwnd, -1);
    return;
  }
  thread_ = thread;
  if (ResumeThread(thread) == static_cast<DWORD>(-1)) {
    // A suspended thread that cannot be resumed never reports; end it here.
    startError_ = GetLastError();
    TerminateThread(thread, 1);
    CloseHandle(thread);
    thread_ = nullptr;
    EndDialog(hwnd, -1);
  }
}

// Says what the worker is doing now; the bar shows while the files are read
// and their sizes are known.
void ProgressDialog::ShowStage(HWND hwnd) {
  if (!progress_) return;
  const CompareStage stage = progress_->Stage();
  if (stage != shownStage_) {
    shownStage_ = stage;
    char text[128] = "";
    if (const UINT id = StageText(stage); id && LoadStringA(ModuleInstance(), id, text, sizeof text)) {
      SetDlgItemTextA(hwnd, IDC_PROGRESS_TEXT, text);
    }
  }
  HWND bar = GetDlgItem(hwnd, IDC_PROGRESS_BAR);
  const uint64_t total = progress_->bytesTotal.load(std::memory_order_relaxed);
  const bool reading = stage == CompareStage::Reading && total > 0;
  if (reading) {
    const uint64_t read = std::min(progress_->bytesRead.load(std::memory_order_relaxed), total);
    SendMessageA(bar, PBM_SETPOS, static_cast<WPARAM>(read * kBarRange / total), 0);
  }
  if ((IsWindowVisible(bar) != FALSE) != reading) ShowWindow(bar, reading ? SW_SHOWNA : SW_HIDE);
}

INT_PTR ProgressDialog::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM) {
  if (msg == WM_INITDIALOG) {
    RECT rc, ownerRect;
    if (owner_ && GetWindowRect(hwnd, &rc) && GetWindowRect(owner_, &ownerRect)) {
      const RECT centred = CenteredRect(rc, ownerRect);
      SetWindowPos(hwnd, nullptr, centred.left, centred.top, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (progress_) {
      SendDlgItemMessageA(hwnd, IDC_PROGRESS_BAR, PBM_SETRANGE32, 0, kBarRange);
      SetTimer(hwnd, kStageTimer, kStageInterval, nullptr);
    }
    StartWorker(hwnd);
    return TRUE;
  }
  if (msg == WM_TIMER && wParam == kStageTimer) {
    ShowStage(hwnd);
    return TRUE;
  }
  if (msg == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
    // Keep the keyboard on the dialog: focus on a disabled button is lost.
    SetFocus(hwnd);
    EnableWindow(GetDlgItem(hwnd, IDCANCEL), FALSE);
    if (cancel_) cancel_->store(1);
    return TRUE;
  }
  if (msg == CompareDoneMessage) {
    KillTimer(hwnd, kStageTimer);
    reported_ = true;
    if (thread_) {
      CloseHandle(thread_);
      thread_ = nullptr;
    }
    EndDialog(hwnd, 0);
    return TRUE;
  }
  return FALSE;
}

}  // namespace qm
