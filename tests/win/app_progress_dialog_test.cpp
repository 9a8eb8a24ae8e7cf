// ProgressDialog: the dialog returns only after its worker reported, Cancel
// sets the flag and disables the button without closing, the owner is
// disabled meanwhile, COM is initialised on the worker.
#include <gtest/gtest.h>

#include <objbase.h>

#include <atomic>
#include <cstring>
#include <string>
#include <vector>

#include "app/progress_dialog.h"

namespace qm {
namespace {

// An in-memory stand-in for resource 1140: a caption and a Cancel button.
class ProgressTemplate {
public:
  ProgressTemplate() {
    DLGTEMPLATE dlg{};
    dlg.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    dlg.cdit = 1;
    dlg.cx = 186;
    dlg.cy = 51;
    Append(&dlg, sizeof dlg);
    Word(0);  // menu
    Word(0);  // class
    Text(L"Please wait...");
    Align();
    DLGITEMTEMPLATE item{};
    item.style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON;
    item.x = 68;
    item.y = 28;
    item.cx = 50;
    item.cy = 14;
    item.id = IDCANCEL;
    Append(&item, sizeof item);
    Word(0xFFFF);
    Word(0x0080);  // button
    Text(L"Cancel");
    Word(0);  // no creation data
  }
  const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(bytes_.data()); }

private:
  void Append(const void* p, size_t n) {
    const auto* b = static_cast<const BYTE*>(p);
    bytes_.insert(bytes_.end(), b, b + n);
  }
  void Word(WORD w) { Append(&w, sizeof w); }
  void Text(const wchar_t* s) { Append(s, (std::wcslen(s) + 1) * sizeof(wchar_t)); }
  void Align() {
    while (bytes_.size() % 4) bytes_.push_back(0);
  }
  std::vector<BYTE> bytes_;
};

HWND MakeOwner() {
  HWND owner = CreateWindowA("STATIC", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 500,
                             400, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  return owner;
}

TEST(ProgressDialog, WorkerThatEndsBeforeTheLoopStillEndsTheDialog) {
  ProgressTemplate t;
  ProgressDialog dialog(t.get());
  CancelFlag cancel{0};
  std::atomic<bool> ran{false};
  EXPECT_EQ(dialog.RunTask(nullptr, [&] { ran = true; }, &cancel), 0);
  EXPECT_TRUE(ran);
  EXPECT_EQ(cancel.load(), 0);
}

TEST(ProgressDialog, CancelSetsTheFlagAndTheDialogWaitsForTheWorker) {
  ProgressTemplate t;
  ProgressDialog dialog(t.get());
  CancelFlag cancel{0};
  std::atomic<bool> finished{false};
  std::atomic<bool> buttonDisabled{false};
  std::atomic<bool> openAfterCancel{false};
  const INT_PTR result = dialog.RunTask(
      nullptr,
      [&] {
        HWND dlg = dialog.hwnd();
        PostMessageA(dlg, WM_COMMAND, IDCANCEL, 0);
        for (int i = 0; i < 500 && !cancel.load(); ++i) Sleep(10);
        buttonDisabled = !IsWindowEnabled(GetDlgItem(dlg, IDCANCEL));
        // A second Esc / close box changes nothing.
        PostMessageA(dlg, WM_COMMAND, IDCANCEL, 0);
        Sleep(200);
        openAfterCancel = IsWindowVisible(dlg) != FALSE;
        finished = true;
      },
      &cancel);
  EXPECT_EQ(result, 0);
  EXPECT_TRUE(finished) << "Run returned before the worker reported";
  EXPECT_EQ(cancel.load(), 1);
  EXPECT_TRUE(buttonDisabled);
  EXPECT_TRUE(openAfterCancel);
}

TEST(ProgressDialog, OwnerIsDisabledWhileTheDialogShows) {
  HWND owner = MakeOwner();
  ASSERT_NE(owner, nullptr);
  ProgressTemplate t;
  ProgressDialog dialog(t.get());
  CancelFlag cancel{0};
  std::atomic<bool> ownerEnabled{true};
  std::atomic<bool> centred{false};
  dialog.RunTask(
      owner,
      [&] {
        ownerEnabled = IsWindowEnabled(owner) != FALSE;
        RECT o, d;
        GetWindowRect(owner, &o);
        GetWindowRect(dialog.hwnd(), &d);
        centred = std::abs((o.left + o.right) - (d.left + d.right)) <= 1 &&
                  std::abs((o.top + o.bottom) - (d.top + d.bottom)) <= 1;
      },
      &cancel);
  EXPECT_FALSE(ownerEnabled);
  EXPECT_TRUE(centred);
  EXPECT_TRUE(IsWindowEnabled(owner));
  DestroyWindow(owner);
}

TEST(ProgressDialog, WorkerRunsWithComInitialised) {
  ProgressTemplate t;
  ProgressDialog dialog(t.get());
  CancelFlag cancel{0};
  HRESULT second = E_FAIL;
  dialog.RunTask(
      nullptr,
      [&] {
        // Already initialised on this thread: S_FALSE.
        second = CoInitialize(nullptr);
        if (SUCCEEDED(second)) CoUninitialize();
      },
      &cancel);
  EXPECT_EQ(second, S_FALSE);
}

struct ThreadContext {
  ProgressDialog* dialog;
  std::atomic<int> calls{0};
};

DWORD WINAPI CallerThread(void* param) {
  auto* context = static_cast<ThreadContext*>(param);
  CoInitialize(nullptr);
  ++context->calls;
  CoUninitialize();
  context->dialog->NotifyDone();
  return 0;
}

TEST(ProgressDialog, CallerSuppliedThreadProcedureReportsThroughTheDialog) {
  ProgressTemplate t;
  ProgressDialog dialog(t.get());
  ThreadContext context{&dialog};
  CancelFlag cancel{0};
  EXPECT_EQ(dialog.Run(nullptr, &CallerThread, &context, &cancel), 0);
  EXPECT_EQ(context.calls.load(), 1);
}

TEST(ProgressDialog, DialogDestroyedWithItsOwnerStillWaitsForTheWorker) {
  HWND owner = MakeOwner();
  ProgressTemplate t;
  ProgressDialog dialog(t.get());
  CancelFlag cancel{0};
  std::atomic<bool> finished{false};
  dialog.RunTask(
      owner,
      [&] {
        // Destroying the owner takes the owned dialog with it.
        PostMessageA(owner, WM_CLOSE, 0, 0);
        Sleep(300);
        finished = true;
      },
      &cancel);
  EXPECT_TRUE(finished);
  EXPECT_EQ(cancel.load(), 1) << "a dialog gone early asks the worker to stop";
  EXPECT_FALSE(IsWindow(owner));
}

TEST(ProgressDialog, MissingTemplateRunsNoWorker) {
  // This program has no resource 1140.
  ProgressDialog dialog;
  CancelFlag cancel{0};
  bool ran = false;
  EXPECT_EQ(dialog.RunTask(nullptr, [&] { ran = true; }, &cancel), -1);
  EXPECT_FALSE(ran);
}

TEST(CenteredRect, KeepsTheSizeAndCentresOnTheOwner) {
  const RECT got = CenteredRect(RECT{0, 0, 100, 50}, RECT{200, 100, 600, 400});
  EXPECT_EQ(got.left, 350);
  EXPECT_EQ(got.top, 225);
  EXPECT_EQ(got.right, 450);
  EXPECT_EQ(got.bottom, 275);
}

}  // namespace
}  // namespace qm
