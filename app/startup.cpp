#include "app/startup.h"

#include <commctrl.h>
#include <ole2.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "app/command_line.h"
#include "app/comparison_window.h"
#include "app/menu_images.h"
#include "app/settings.h"
#include "app/tips_dialog.h"
#include "app/window_manager.h"
#include "controls/message_box.h"
#include "controls/window_base.h"

namespace qm {

namespace {

bool g_oleInitialised = false;

void ShowNotice(const CommandLinePlan::Notice& notice) {
  const UINT icon = notice.insert.empty() ? MB_ICONINFORMATION : MB_ICONERROR;
  ShowMessage(nullptr, notice.stringId, MB_OK | icon,
              {reinterpret_cast<DWORD_PTR>(notice.insert.c_str())});
}

}  // namespace

std::vector<std::string> ProcessArguments() {
  std::vector<std::string> args;
  for (int i = 0; i < __argc; ++i) args.emplace_back(__argv[i] ? __argv[i] : "");
  return args;
}

bool ParseCommandLine(const std::vector<std::string>& args) {
  const CommandLinePlan plan = PlanCommandLine(args, FileSystemProbe());
  for (const CommandLinePlan::Notice& notice : plan.notices) ShowNotice(notice);
  if (!plan.opensWindow()) return false;

  Settings.CommandLineCompare = true;
  ComparisonWindow* window =
      plan.kind == PathKind::File ? CreateTextWindow() : CreateFolderWindow();
  if (!window) {
    // The empty window that opens instead is no command-line comparison:
    // its first identical result must not close it.
    Settings.CommandLineCompare = false;
    return false;
  }
  window->SetNames(plan.paths[0], plan.paths[1], plan.compareNow);
  return true;
}

bool InitInstance(const std::vector<std::string>& args) {
  std::srand(static_cast<unsigned>(std::time(nullptr)));
  _tzset();
  std::setlocale(LC_ALL, "");

  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_TAB_CLASSES};
  if (!InitCommonControlsEx(&icc)) InitCommonControls();
  g_oleInitialised = SUCCEEDED(OleInitialize(nullptr));

  Settings.Load();
  BuildCommandImages();

  if (!ParseCommandLine(args) && !CreateTextWindow()) return false;
  ShowTipsAtStartup();
  return true;
}

bool PreTranslate(MSG* msg) {
  if (Settings.FindDialog && IsWindow(Settings.FindDialog) &&
      IsDialogMessageW(Settings.FindDialog, msg)) {
    return true;
  }
  if (DialogBase::TranslateModeless(msg)) return true;
  if (!msg->hwnd) return false;
  WindowBase* object = WindowBase::FromTopLevel(msg->hwnd);
  if (!object) return false;
  if (object->PreTranslateMessage(msg)) return true;
  // PreTranslateMessage may have closed the window.
  if (!WindowBase::IsLive(object) || !object->hwnd()) return false;
  return object->accelerators() &&
         TranslateAcceleratorW(object->hwnd(), object->accelerators(), msg) != 0;
}

int RunMessageLoop() {
  MSG msg{};
  for (;;) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) return static_cast<int>(msg.wParam);
    if (got == -1) {
      char line[80];
      std::snprintf(line, sizeof line, "Quillmere: GetMessage failed, error %lu\n",
                    static_cast<unsigned long>(GetLastError()));
      OutputDebugStringA(line);
      return -1;
    }
    if (!PreTranslate(&msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    // Nothing of a window's handlers is on the stack here.
    ReapClosedWindows();
  }
}

void ExitInstance() {
  // Runs once: at the end of WinMain, or earlier when the session ends
  // (the system then ends the process without returning to WinMain).
  static bool done = false;
  if (done) return;
  done = true;
  ReapClosedWindows();
  Settings.Save();
  if (g_oleInitialised) OleUninitialize();
  g_oleInitialised = false;
}

}  // namespace qm
